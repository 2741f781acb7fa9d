// PageStoreBench.cpp: recording 10,000 report pages of 60 text lines each,
// storing them in the page list (spilling to its temporary file) and reading
// every page back, against writing and reading the same page bytes with
// plain fwrite/fread, in one run. Prints the medians and their ratio.
//   build/bench/bench_page_store [pages]
#include "report/engine/QRPrntr.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

std::unique_ptr<TMetafile> Page(int N)
{
  auto Meta = std::make_unique<TMetafile>();
  Meta->SetWidth(794);
  Meta->SetHeight(1123);
  TMetafileCanvas C(Meta.get(), nullptr);
  C.Font()->SetName(QStringLiteral("Arial"));
  for (int L = 0; L < 60; ++L)
    C.TextOut(40, 40 + L * 17, QStringLiteral("Накладная %1, строка %2: болт М8 × %3 шт.").arg(N).arg(L).arg(N * L % 97));
  return Meta;
}

double Median(std::vector<double> V)
{
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication App(argc, argv);
  const int Pages = argc > 1 ? std::atoi(argv[1]) : 10000;
  // The pages are drawn once; both sides store and read the same bytes.
  std::vector<std::unique_ptr<TMetafile>> Drawn;
  Drawn.reserve(std::size_t(Pages));
  QElapsedTimer T;
  T.start();
  for (int I = 0; I < Pages; ++I)
    Drawn.push_back(Page(I + 1));
  std::printf("recording %d pages: %lld ms (not compared)\n", Pages, T.elapsed());

  QTemporaryDir Dir;
  std::vector<double> Ours, Plain;
  for (int Run = 0; Run < 5; ++Run) {
    T.start();
    {
      TQRPageList List;
      List.SetStream(std::make_unique<TQRStream>(1000000));
      for (const auto& M : Drawn)
        List.AddPage(M.get());
      List.Finish();
      Int64 Bytes = 0;
      for (int I = 1; I <= Pages; ++I)
        Bytes += List.GetPage(I)->SaveToBytes().size();
      if (Bytes == 0)
        return 1;
    }
    Ours.push_back(double(T.nsecsElapsed()) / 1e6);

    T.start();
    {
      const QByteArray Name = QFile::encodeName(Dir.filePath(QStringLiteral("plain.bin")));
      std::FILE* F = std::fopen(Name.constData(), "w+b");
      std::vector<long> Offsets;
      for (const auto& M : Drawn) {
        const QByteArray B = M->SaveToBytes();
        Offsets.push_back(std::ftell(F));
        std::fwrite(B.constData(), 1, std::size_t(B.size()), F);
      }
      Offsets.push_back(std::ftell(F));
      Int64 Bytes = 0;
      for (std::size_t I = 0; I + 1 < Offsets.size(); ++I) {
        QByteArray B(Offsets[I + 1] - Offsets[I], Qt::Uninitialized);
        std::fseek(F, Offsets[I], SEEK_SET);
        Bytes += Int64(std::fread(B.data(), 1, std::size_t(B.size()), F));
      }
      std::fclose(F);
      if (Bytes == 0)
        return 1;
    }
    Plain.push_back(double(T.nsecsElapsed()) / 1e6);
  }
  const double O = Median(Ours), P = Median(Plain);
  std::printf("page list store + read: median %.1f ms\nfwrite + fread:         median %.1f ms\nratio: %.2f\n", O, P,
              O / P);
  return 0;
}
