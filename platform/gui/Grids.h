// Grids.h: the owner-drawn grid: rows and columns of cells that the owner
// paints, with a current cell the user moves by mouse and keys.
#pragma once

#include "platform/gui/Controls.h"

enum class TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using enum TGridDrawStateItem;
using TGridDrawState = TSet<TGridDrawStateItem>;
enum class TGridOption { goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected,
                         goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect,
                         goAlwaysShowEditor, goThumbTracking };
using enum TGridOption;
using TGridOptions = TSet<TGridOption>;

using TDrawCellEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, TRect Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, bool& CanSelect)>;

class TDrawGrid : public TCustomControl {
  VELMORA_CLASS(TDrawGrid)
  using inherited = TCustomControl;
public:
  explicit TDrawGrid(TComponent* AOwner);

  Integer ColCount() const { return FColCount; }
  void SetColCount(Integer Value);
  Integer RowCount() const { return FRowCount; }
  void SetRowCount(Integer Value);
  Integer FixedCols() const { return FFixedCols; }
  void SetFixedCols(Integer Value);
  Integer FixedRows() const { return FFixedRows; }
  void SetFixedRows(Integer Value);
  Integer DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(Integer Value);
  Integer DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(Integer Value);
  Integer ColWidths(Integer Index) const;
  void SetColWidths(Integer Index, Integer Value);
  Integer RowHeights(Integer Index) const;
  void SetRowHeights(Integer Index, Integer Value);
  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions Value) { FOptions = Value; Invalidate(); }
  // Moving the current cell asks OnSelectCell first, as a click does.
  Integer Row() const { return FRow; }
  void SetRow(Integer Value) { FocusCell(FCol, Value); }
  Integer Col() const { return FCol; }
  void SetCol(Integer Value) { FocusCell(Value, FRow); }
  Integer TopRow() const { return FTopRow; }
  void SetTopRow(Integer Value);
  Integer VisibleRowCount() const;
  TRect CellRect(Integer ACol, Integer ARow) const;
  void MouseToCell(Integer X, Integer Y, Integer& ACol, Integer& ARow) const;

  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void WMGetDlgCode(TMessage& Message) override;
  virtual bool SelectCell(Integer ACol, Integer ARow);
  void FocusCell(Integer ACol, Integer ARow);

private:
  Integer FColCount = 5;
  Integer FRowCount = 5;
  Integer FFixedCols = 1;
  Integer FFixedRows = 1;
  Integer FDefaultColWidth = 64;
  Integer FDefaultRowHeight = 24;
  std::vector<Integer> FColWidths;
  std::vector<Integer> FRowHeights;
  TGridOptions FOptions = {goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  Integer FRow = 1;
  Integer FCol = 1;
  Integer FTopRow = 1;
};
