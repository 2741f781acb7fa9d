// ReportFileFuzzer.cpp: feeds bytes to the report-file reader as a loaded
// file and reads every page it claims, forward and back.
#include "report/engine/QRPrntr.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
  TQRPageList List;
  TBytesStream In(QByteArray(reinterpret_cast<const char*>(Data), qsizetype(Size)));
  try {
    List.LoadFromStream(&In);
    for (Integer N = 1; N <= List.PageCount(); ++N)
      List.GetPage(N);
    for (Integer N = List.PageCount(); N >= 1; N -= 2)
      List.GetPage(N);
  } catch (const Exception&) {
  }
  return 0;
}
