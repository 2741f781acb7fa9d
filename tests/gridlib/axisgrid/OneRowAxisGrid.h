// OneRowAxisGrid.h: the axis test grid laid out one row a record: row N
// paints record N + 1 from the link's buffers, a move to another row moves
// the dataset and the current cell's column is the selected bar. Shared by
// the offscreen tests and the desktop samples; no test framework here.
#pragma once

#include "platform/rtl/ScopeExit.h"
#include "tests/gridlib/axisgrid/AxisGridTestSupport.h"

namespace axisgrid_test {

class TOneRowAxisGridEh : public TTestAxisGridEh {
  VELMORA_CLASS(TOneRowAxisGridEh)
public:
  static constexpr Integer ColWidth = 160;
  static constexpr Integer RowHeight = 22;

  explicit TOneRowAxisGridEh(TComponent* AOwner) : TTestAxisGridEh(AOwner)
  {
    HorzScrollBar()->SetVisibleMode(sbNeverShowEh);
    VertScrollBar()->SetVisibleMode(sbNeverShowEh);
    SetFixedColCount(0);
    SetFixedRowCount(0);
  }
  // A column a bar, a row a record, the grid just their size.
  void Arrange()
  {
    const Integer Rows = DataLink()->DataSet()->RecordCount();
    SetColCount(AxisBars()->Count());
    SetRowCount(Rows);
    DataLink()->SetBufferCount(Rows);
    // The data grid's layout gives the bars their button height.
    for (Integer I = 0; I < ColCount(); ++I) {
      SetColWidths(I, ColWidth);
      AxisBars()->AxisBar(I)->SetInplaceEditorButtonHeight(RowHeight);
    }
    for (Integer I = 0; I < Rows; ++I)
      SetRowHeights(I, RowHeight);
    SetBounds(Left(), Top(), ColWidth * ColCount() + 4, RowHeight * Rows + 4);
  }

  static void Register() { RegisterClassInfo<TOneRowAxisGridEh, TTestAxisGridEh>("TOneRowAxisGridEh"); }

protected:
  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State) override
  {
    const Integer Old = DataLink()->ActiveRecord();
    DataLink()->SetActiveRecord(ARow);
    ScopeExit Back([&] { DataLink()->SetActiveRecord(Old); });
    TAxisBarEh* Bar = AxisBars()->AxisBar(ACol);
    TAxisColCellParamsEh* P = GetColCellParamsEh();
    Bar->FillColCellParams(P);
    P->SetState(State);
    P->SetCellRect(ARect);
    P->SetCol(ACol);
    P->SetRow(ARow);
    Canvas()->Font()->Assign(P->Font());
    DefaultDrawDataCell({ACol, ARow}, {ACol, ARow}, Bar, ARect, P);
  }
  void CurrentCellMoved(TGridCoord OldCurrent) override
  {
    TTestAxisGridEh::CurrentCellMoved(OldCurrent);
    SetSelectedIndex(Col());
    if (DataLink()->Active() && Row() != OldCurrent.Y)
      DataLink()->DataSet()->SetRecNo(Row() + 1);
  }
};

} // namespace axisgrid_test
