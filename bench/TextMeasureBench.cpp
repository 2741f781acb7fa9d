// TextMeasureBench.cpp: measuring and drawing cell texts through TCanvas
// against QFontMetricsF and QPainter doing the same, in the same run.
#include "platform/gui/Graphics.h"
#include "bench/QtBenchMain.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// Cell-like texts: numbers, Russian names, dates, a longer note.
const QStringList& Texts()
{
  static const QStringList T = [] {
    QStringList L;
    for (int I = 0; I < 200; ++I) {
      L << QString::number(100000 + I * 37) << QStringLiteral("Изделие №%1").arg(I)
        << QStringLiteral("%1.03.2026").arg(1 + I % 28, 2, 10, QLatin1Char('0'))
        << QStringLiteral("Склад готовой продукции, цех %1").arg(I % 9);
    }
    return L;
  }();
  return T;
}

void BM_CanvasTextWidth(benchmark::State& State)
{
  TImageCanvas Canvas(400, 100);
  Canvas.Font()->SetName(QStringLiteral("Tahoma"));
  Canvas.Font()->SetHeight(-11);
  Integer Sum = 0;
  for (auto _ : State)
    for (const QString& S : Texts())
      Sum += Canvas.TextWidth(S);
  benchmark::DoNotOptimize(Sum);
  State.SetItemsProcessed(State.iterations() * Texts().size());
}
BENCHMARK(BM_CanvasTextWidth)->Unit(benchmark::kMicrosecond);

void BM_QFontMetricsWidth(benchmark::State& State)
{
  QFont Font(QStringLiteral("Liberation Sans"));
  Font.setPixelSize(11);
  Font.setKerning(false);
  const QFontMetricsF M(Font);
  double Sum = 0;
  for (auto _ : State)
    for (const QString& S : Texts())
      Sum += M.horizontalAdvance(S);
  benchmark::DoNotOptimize(Sum);
  State.SetItemsProcessed(State.iterations() * Texts().size());
}
BENCHMARK(BM_QFontMetricsWidth)->Unit(benchmark::kMicrosecond);

void BM_CanvasTextOut(benchmark::State& State)
{
  TImageCanvas Canvas(400, 100);
  Canvas.Font()->SetHeight(-11);
  Canvas.Brush()->SetStyle(bsClear);
  for (auto _ : State)
    for (const QString& S : Texts())
      Canvas.TextOut(2, 2, S);
  benchmark::DoNotOptimize(Canvas.Image().constBits());
  State.SetItemsProcessed(State.iterations() * Texts().size());
}
BENCHMARK(BM_CanvasTextOut)->Unit(benchmark::kMicrosecond);

void BM_QPainterDrawText(benchmark::State& State)
{
  QImage Image(400, 100, QImage::Format_RGB32);
  Image.fill(Qt::white);
  QPainter P(&Image);
  QFont Font(QStringLiteral("Liberation Sans"));
  Font.setPixelSize(11);
  Font.setKerning(false);
  P.setFont(Font);
  const QFontMetricsF M(Font);
  for (auto _ : State)
    for (const QString& S : Texts())
      P.drawText(QPointF(2, 2 + M.ascent()), S);
  benchmark::DoNotOptimize(Image.constBits());
  State.SetItemsProcessed(State.iterations() * Texts().size());
}
BENCHMARK(BM_QPainterDrawText)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
