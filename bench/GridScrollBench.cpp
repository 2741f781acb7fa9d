// GridScrollBench.cpp: scrolling the demo grid page by page through its
// 10,000 rows with PgDn, painting every page, and a QTableView over the same
// cells doing the same, in the same run.
#include "bench/DemoTableModel.h"
#include "bench/QtBenchMain.h"

#include "platform/gui/Forms.h"

#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

constexpr int ViewWidth = 1280;
constexpr int ViewHeight = 720;

void BM_DemoGridPageDown(benchmark::State& State)
{
  auto* Form = new TForm(Application, 0);
  Form->SetBounds(0, 0, ViewWidth + 20, ViewHeight + 40);
  auto* Grid = new TDemoGridEh(Form);
  Grid->SetParent(Form);
  Grid->SetBounds(0, 0, ViewWidth, ViewHeight);
  Grid->HandleNeeded();
  TImageCanvas Canvas(Grid->ClientWidth(), Grid->ClientHeight(), clWhite);
  Integer Pages = 0;
  for (auto _ : State) {
    Grid->SetRow(1);
    Pages = 0;
    while (Grid->Row() < Grid->RowCount() - 1) {
      Grid->Perform(WM_KEYDOWN, VK_NEXT);
      Grid->PaintInto(&Canvas);
      ++Pages;
    }
    benchmark::DoNotOptimize(Canvas.Image().constBits());
  }
  State.counters["pages"] = double(Pages);
  delete Form;
}
BENCHMARK(BM_DemoGridPageDown)->Unit(benchmark::kMillisecond);

void BM_QTableViewPageDown(benchmark::State& State)
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
  QImage Image(ViewWidth, ViewHeight, QImage::Format_ARGB32_Premultiplied);
  int Pages = 0;
  for (auto _ : State) {
    View.setCurrentIndex(Model.index(0, 1));
    View.scrollToTop();
    Pages = 0;
    while (View.currentIndex().row() < Model.rowCount() - 1) {
      QKeyEvent Press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
      QCoreApplication::sendEvent(&View, &Press);
      View.render(&Image);
      ++Pages;
    }
    benchmark::DoNotOptimize(Image.constBits());
  }
  State.counters["pages"] = double(Pages);
}
BENCHMARK(BM_QTableViewPageDown)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
  return RunQtBenchmarks(argc, argv, [] { Application->Initialize(); },
                         {{"BM_DemoGridPageDown", "BM_QTableViewPageDown"}});
}
