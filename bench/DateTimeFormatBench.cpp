// DateTimeFormatBench.cpp: 1,000,000 typed dates read through the date-time
// editor's pattern engine (the pattern compiled, the elements read and
// merged into a value, for every date) against QDate::fromString with the
// same format. Runs in pairs, alternating which goes first; prints each
// side's median and the ratio.
//   build-bench/bench/bench_datetime_format
#include "BenchTiming.h"

#include "gridlib/editors/DBCtrlsEh.h"

#include <QDate>

#include <cstdio>
#include <vector>

namespace {

constexpr int Dates = 1000000;
constexpr int Pairs = 7;

} // namespace

int main()
{
  // The texts the editor's mask gives for dates spread over some 2,700 years.
  std::vector<String> Texts;
  Texts.reserve(Dates);
  const QDate First(1900, 1, 1);
  for (int I = 0; I < Dates; ++I)
    Texts.push_back(First.addDays(I).toString(QStringLiteral("dd.MM.yyyy")));

  const String Pattern = QStringLiteral("DD.MM.YYYY");
  const String QtFormat = QStringLiteral("dd.MM.yyyy");
  double EngineSum = 0;
  qint64 QtSum = 0;

  auto Engine = [&] {
    for (const String& Text : Texts) {
      String Mask;
      TDateTimeElementsMaskPosEh MaskPos;
      ParseDateTimeEditFormatEh(Pattern, Mask, MaskPos);
      Variant Value = Null;
      if (DateTimePartsToValueEh(EditTextToDateTimePartsEh(Text, MaskPos), MaskPos, Value, false))
        EngineSum += VarToDateTime(Value).Val;
    }
  };
  auto Qt = [&] {
    for (const String& Text : Texts)
      QtSum += QDate::fromString(Text, QtFormat).toJulianDay();
  };

  std::vector<double> EngineTimes, QtTimes;
  for (int P = 0; P < Pairs; ++P) {
    if (P % 2 == 0) {
      EngineTimes.push_back(TimeOf(Engine));
      QtTimes.push_back(TimeOf(Qt));
    } else {
      QtTimes.push_back(TimeOf(Qt));
      EngineTimes.push_back(TimeOf(Engine));
    }
  }
  const double E = Median(EngineTimes);
  const double Q = Median(QtTimes);
  std::printf("%d dates, median of %d runs\n", Dates, Pairs);
  std::printf("  pattern engine (compile + read + merge): %8.1f ms\n", E);
  std::printf("  QDate::fromString (same format):         %8.1f ms\n", Q);
  std::printf("  ratio engine / Qt: %.2f\n", E / Q);
  // Keeps the work from being optimised away.
  std::printf("  (checksums %.0f %lld)\n", EngineSum, static_cast<long long>(QtSum));
  return 0;
}
