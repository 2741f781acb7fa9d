// Grids.cpp: the owner-drawn grid.
#include "platform/gui/Grids.h"

TDrawGrid::TDrawGrid(TComponent* AOwner) : TCustomControl(AOwner)
{
  FWidth = 320;
  FHeight = 120;
  FTabStop = true;
  FColWidths.assign(std::size_t(FColCount), FDefaultColWidth);
  FRowHeights.assign(std::size_t(FRowCount), FDefaultRowHeight);
}

void TDrawGrid::SetColCount(Integer Value)
{
  FColCount = std::max(1, Value);
  FColWidths.resize(std::size_t(FColCount), FDefaultColWidth);
  FFixedCols = std::min(FFixedCols, FColCount - 1);
  FCol = std::clamp(FCol, FFixedCols, FColCount - 1);
  Invalidate();
}

void TDrawGrid::SetRowCount(Integer Value)
{
  FRowCount = std::max(1, Value);
  FRowHeights.resize(std::size_t(FRowCount), FDefaultRowHeight);
  FFixedRows = std::min(FFixedRows, FRowCount - 1);
  FRow = std::clamp(FRow, FFixedRows, FRowCount - 1);
  FTopRow = std::clamp(FTopRow, FFixedRows, FRowCount - 1);
  Invalidate();
}

void TDrawGrid::SetFixedCols(Integer Value)
{
  FFixedCols = std::clamp(Value, 0, FColCount - 1);
  FCol = std::max(FCol, FFixedCols);
  Invalidate();
}

void TDrawGrid::SetFixedRows(Integer Value)
{
  FFixedRows = std::clamp(Value, 0, FRowCount - 1);
  FRow = std::max(FRow, FFixedRows);
  FTopRow = std::max(FTopRow, FFixedRows);
  Invalidate();
}

void TDrawGrid::SetDefaultColWidth(Integer Value)
{
  FDefaultColWidth = Value;
  FColWidths.assign(std::size_t(FColCount), Value);
  Invalidate();
}

void TDrawGrid::SetDefaultRowHeight(Integer Value)
{
  FDefaultRowHeight = Value;
  FRowHeights.assign(std::size_t(FRowCount), Value);
  Invalidate();
}

Integer TDrawGrid::ColWidths(Integer Index) const
{
  return Index >= 0 && Index < FColCount ? FColWidths[std::size_t(Index)] : FDefaultColWidth;
}

void TDrawGrid::SetColWidths(Integer Index, Integer Value)
{
  if (Index >= 0 && Index < FColCount)
    FColWidths[std::size_t(Index)] = Value;
  Invalidate();
}

Integer TDrawGrid::RowHeights(Integer Index) const
{
  return Index >= 0 && Index < FRowCount ? FRowHeights[std::size_t(Index)] : FDefaultRowHeight;
}

void TDrawGrid::SetRowHeights(Integer Index, Integer Value)
{
  if (Index >= 0 && Index < FRowCount)
    FRowHeights[std::size_t(Index)] = Value;
  Invalidate();
}

void TDrawGrid::SetTopRow(Integer Value)
{
  Value = std::clamp(Value, FFixedRows, std::max(FFixedRows, FRowCount - 1));
  if (Value != FTopRow) {
    FTopRow = Value;
    Invalidate();
  }
}

Integer TDrawGrid::VisibleRowCount() const
{
  Integer H = 0;
  for (Integer R = 0; R < FFixedRows; ++R)
    H += RowHeights(R) + 1;
  Integer N = 0;
  for (Integer R = FTopRow; R < FRowCount; ++R) {
    H += RowHeights(R) + 1;
    if (H > ClientHeight())
      break;
    ++N;
  }
  return std::max(1, N);
}

// Fixed rows stay at the top; the others scroll from TopRow. Lines are one
// pixel between cells.
TRect TDrawGrid::CellRect(Integer ACol, Integer ARow) const
{
  if (ACol < 0 || ACol >= FColCount || ARow < 0 || ARow >= FRowCount || (ARow >= FFixedRows && ARow < FTopRow))
    return TRect();
  Integer X = 0;
  for (Integer C = 0; C < ACol; ++C)
    X += ColWidths(C) + 1;
  Integer Y = 0;
  for (Integer R = 0; R < std::min(ARow, FFixedRows); ++R)
    Y += RowHeights(R) + 1;
  for (Integer R = FTopRow; R < ARow; ++R)
    Y += RowHeights(R) + 1;
  return Bounds(X, Y, ColWidths(ACol), RowHeights(ARow));
}

void TDrawGrid::MouseToCell(Integer X, Integer Y, Integer& ACol, Integer& ARow) const
{
  ACol = ARow = -1;
  for (Integer C = 0; C < FColCount; ++C) {
    const TRect R = CellRect(C, FFixedRows < FRowCount ? std::max(FTopRow, FFixedRows) : 0);
    if (X >= R.Left && X < R.Right + 1)
      ACol = C;
  }
  for (Integer Row = 0; Row < FRowCount; ++Row) {
    const TRect R = CellRect(0, Row);
    if (R.Height() > 0 && Y >= R.Top && Y < R.Bottom + 1) {
      ARow = Row;
      break;
    }
  }
}

bool TDrawGrid::SelectCell(Integer ACol, Integer ARow)
{
  bool Can = true;
  if (OnSelectCell)
    OnSelectCell(this, ACol, ARow, Can);
  return Can;
}

void TDrawGrid::FocusCell(Integer ACol, Integer ARow)
{
  ACol = std::clamp(ACol, FFixedCols, FColCount - 1);
  ARow = std::clamp(ARow, FFixedRows, FRowCount - 1);
  if (!SelectCell(ACol, ARow))
    return;
  FCol = ACol;
  FRow = ARow;
  // The current row comes into view.
  if (FRow < FTopRow)
    FTopRow = FRow;
  else
    while (FRow >= FTopRow + VisibleRowCount() && FTopRow < FRow)
      ++FTopRow;
  Invalidate();
}

void TDrawGrid::Paint()
{
  TCanvas* C = Canvas();
  C->Brush()->SetColor(Color());
  C->FillRect(ClientRect());
  for (Integer Row = 0; Row < FRowCount; ++Row)
    for (Integer Col = 0; Col < FColCount; ++Col) {
      const TRect R = CellRect(Col, Row);
      if (R.Height() <= 0 || R.Top > ClientHeight())
        continue;
      TGridDrawState State;
      const bool Fixed = Row < FFixedRows || Col < FFixedCols;
      if (Fixed)
        State.Include(gdFixed);
      else if (Row == FRow && (Col == FCol || FOptions.Contains(goRowSelect)))
        State.Include(gdSelected);
      if (!Fixed && Row == FRow && Col == FCol && Focused())
        State.Include(gdFocused);
      C->Brush()->SetColor(Fixed ? clBtnFace : (State.Contains(gdSelected) ? clHighlight : Color()));
      C->FillRect(R);
      if (OnDrawCell)
        OnDrawCell(this, Col, Row, R, State);
    }
}

void TDrawGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (CanFocus())
    SetFocus();
  Integer Col = -1, Row = -1;
  MouseToCell(X, Y, Col, Row);
  if (Button == mbLeft && Col >= FFixedCols && Row >= FFixedRows)
    FocusCell(Col, Row);
  inherited::MouseDown(Button, Shift, X, Y);
}

void TDrawGrid::KeyDown(Word& Key, TShiftState Shift)
{
  inherited::KeyDown(Key, Shift);
  switch (Key) {
  case VK_UP: FocusCell(FCol, FRow - 1); break;
  case VK_DOWN: FocusCell(FCol, FRow + 1); break;
  case VK_PRIOR: FocusCell(FCol, FRow - VisibleRowCount()); break;
  case VK_NEXT: FocusCell(FCol, FRow + VisibleRowCount()); break;
  case VK_HOME: FocusCell(FCol, FFixedRows); break;
  case VK_END: FocusCell(FCol, FRowCount - 1); break;
  default: return;
  }
  Key = 0;
}

bool TDrawGrid::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (inherited::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  SetTopRow(FTopRow + (WheelDelta < 0 ? 1 : -1));
  return true;
}

void TDrawGrid::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }
