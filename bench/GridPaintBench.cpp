// GridPaintBench.cpp: painting a 1920x1080 viewport of the demo grid, and of
// a QTableView over a model with the same cells, in the same run.
#include "bench/DemoTableModel.h"
#include "bench/QtBenchMain.h"

#include <QHeaderView>
#include <QImage>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

constexpr int ViewWidth = 1920;
constexpr int ViewHeight = 1080;

void BM_DemoGridPaint(benchmark::State& State)
{
  TDemoGridEh Grid(nullptr);
  Grid.SetBounds(0, 0, ViewWidth, ViewHeight);
  Grid.SafeSetTopRow(5000);
  TImageCanvas Canvas(ViewWidth, ViewHeight, clWhite);
  Grid.PaintInto(&Canvas);   // warm the layout and the font caches
  for (auto _ : State) {
    Grid.PaintInto(&Canvas);
    benchmark::DoNotOptimize(Canvas.Image().constBits());
  }
  State.counters["cells"] = double(Grid.PaintedCols.size());
}
BENCHMARK(BM_DemoGridPaint)->Unit(benchmark::kMillisecond);

void BM_QTableViewPaint(benchmark::State& State)
{
  TDemoModel Model;
  QTableView View;
  View.setModel(&Model);
  View.resize(ViewWidth, ViewHeight);
  View.verticalHeader()->setMinimumSectionSize(10);
  View.verticalHeader()->setDefaultSectionSize(20);
  View.verticalHeader()->setFixedWidth(44);
  View.horizontalHeader()->setFixedHeight(20);
  View.horizontalHeader()->setDefaultSectionSize(50);
  View.setColumnWidth(0, 110);
  View.scrollTo(Model.index(5000, 0), QAbstractItemView::PositionAtTop);
  QImage Image(ViewWidth, ViewHeight, QImage::Format_ARGB32_Premultiplied);
  View.render(&Image);
  for (auto _ : State) {
    View.viewport()->update();
    View.render(&Image);
    benchmark::DoNotOptimize(Image.constBits());
  }
}
BENCHMARK(BM_QTableViewPaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
  return RunQtBenchmarks(argc, argv, {}, {{"BM_DemoGridPaint", "BM_QTableViewPaint"}});
}
