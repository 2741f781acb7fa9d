// AxisGridPaintBench.cpp: painting a 1920x1080 viewport of an axis grid of
// 50 bars over a memory table of 100,000 records, and of a QTableView over a
// model with the same texts, in the same run.
#include "bench/DemoTableModel.h"
#include "bench/QtBenchMain.h"

#include "gridlib/axisgrid/DBAxisGridsEh.h"
#include "gridlib/memtable/MemTableEh.h"

#include <QHeaderView>
#include <QImage>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

constexpr int ViewWidth = 1920;
constexpr int ViewHeight = 1080;
constexpr int Records = 100000;
constexpr int TopRecord = 50000;

// The axis grid with the least a data grid adds: a title row, and rows that
// show the records of the data link's window.
class TBenchAxisGridEh : public TCustomDBAxisGridEh {
public:
  explicit TBenchAxisGridEh(TComponent* AOwner) : TCustomDBAxisGridEh(AOwner) { FTitleFont.Assign(Font()); }
  TFont* GetTitleFont() override { return &FTitleFont; }
  void SetTitleFont(TFont* Value) override { FTitleFont.Assign(Value); }
  void SetSelectedIndex(Integer) override {}
  Integer GetSelectedIndex() override { return 0; }
  void UpdatePlaceBoxListForCell(Integer ACol, Integer ARow, TInCellPlaceBoxEh* PlaceBox) override
  {
    if (ARow > 0 && ACol < AxisBars()->Count())
      FillPlaceBoxForCell(ACol, ARow, PlaceBox, AxisBars()->AxisBar(ACol));
    else
      PlaceBox->Clear();
  }
  void Arrange()
  {
    SetFixedColCount(0);
    SetFixedRowCount(1);
    SetColCount(AxisBars()->Count());
    SetRowCount(1 + Records);
    for (Integer I = 0; I < ColCount(); ++I)
      SetColWidths(I, I == 0 ? 110 : 50);
    for (Integer I = 0; I < 60; ++I)
      SetRowHeights(I, 20);
    DataLink()->SetBufferCount(ViewHeight / 20 + 1);
  }
  void PaintInto(TCanvas* ACanvas) { PaintWindow(ACanvas->Handle()); }

protected:
  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State) override
  {
    TAxisBarEh* Bar = AxisBars()->AxisBar(ACol);
    if (ARow == 0) {
      Canvas()->Brush()->SetColor(FixedColor());
      WriteCellText(Canvas(), ARect, true, 2, 2, Bar->Title()->Caption(), taCenter, tlTop, false, false, 0, 0,
                    false, true);
      return;
    }
    const Integer Offset = ARow - TopRow();
    if (Offset < 0 || Offset >= DataLink()->RecordCount())
      return;
    const Integer Old = DataLink()->ActiveRecord();
    DataLink()->SetActiveRecord(Offset);
    TAxisColCellParamsEh* P = GetColCellParamsEh();
    Bar->FillColCellParams(P);
    P->SetState(State);
    P->SetCellRect(ARect);
    Canvas()->Font()->Assign(P->Font());
    DefaultDrawDataCell({ACol, ARow}, {ACol, ARow}, Bar, ARect, P);
    DataLink()->SetActiveRecord(Old);
  }

private:
  TFont FTitleFont;
};

struct TBenchData {
  TBenchData()
  {
    Table.FieldDefs()->Add(QStringLiteral("c0"), ftWideString, 40);
    for (int C = 1; C < TDemoCellSource::DataCols; ++C)
      Table.FieldDefs()->Add(QStringLiteral("c%1").arg(C), ftWideString, 20);
    Table.CreateDataSet();
    Table.DisableControls();
    for (int R = 0; R < Records; ++R) {
      Table.Append();
      for (int C = 0; C < TDemoCellSource::DataCols; ++C)
        Table.Fields()->Fields(C)->SetAsString(TDemoCellSource::Text(C, R));
      Table.Post();
    }
    Table.EnableControls();
    Source.SetDataSet(&Table);
  }
  TMemTableEh Table{nullptr};
  TDataSource Source{nullptr};
};

TBenchData& Data()
{
  static TBenchData D;
  return D;
}

class TBenchModel : public TDemoModel {
public:
  int rowCount(const QModelIndex& = QModelIndex()) const override { return Records; }
};

void BM_AxisGridPaint(benchmark::State& State)
{
  TBenchData& D = Data();
  TBenchAxisGridEh Grid(nullptr);
  Grid.SetBounds(0, 0, ViewWidth, ViewHeight);
  Grid.SetDataSource(&D.Source);
  for (int C = 0; C < TDemoCellSource::DataCols; ++C)
    if (C > 0)
      Grid.AxisBars()->AxisBar(C)->SetAlignment(TDemoCellSource::RightAligned(C) ? taRightJustify
                                                                                 : taLeftJustify);
  Grid.Arrange();
  D.Table.SetRecNo(TopRecord);
  Grid.SafeSetTopRow(1 + TopRecord);
  TImageCanvas Canvas(ViewWidth, ViewHeight, clWhite);
  Grid.PaintInto(&Canvas);   // warm the layout and the font caches
  // A look at what is painted, when asked for.
  if (const QByteArray Shot = qgetenv("VELMORA_BENCH_SHOT"); !Shot.isEmpty())
    Canvas.Image().save(QString::fromLocal8Bit(Shot));
  for (auto _ : State) {
    Grid.PaintInto(&Canvas);
    benchmark::DoNotOptimize(Canvas.Image().constBits());
  }
  Grid.SetDataSource(nullptr);
}
BENCHMARK(BM_AxisGridPaint)->Unit(benchmark::kMillisecond);

void BM_QTableViewPaint(benchmark::State& State)
{
  TBenchModel Model;
  QTableView View;
  View.setModel(&Model);
  View.resize(ViewWidth, ViewHeight);
  View.verticalHeader()->hide();
  View.horizontalHeader()->setFixedHeight(20);
  View.verticalHeader()->setMinimumSectionSize(10);
  View.verticalHeader()->setDefaultSectionSize(20);
  View.horizontalHeader()->setDefaultSectionSize(50);
  View.setColumnWidth(0, 110);
  View.scrollTo(Model.index(TopRecord, 0), QAbstractItemView::PositionAtTop);
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
  return RunQtBenchmarks(argc, argv, {}, {{"BM_AxisGridPaint", "BM_QTableViewPaint"}});
}
