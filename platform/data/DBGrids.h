// DBGrids.h: the plain data grid. It shows the rows of its data source's
// dataset through a data link whose record window is as tall as the grid,
// one column per field (or per column the form describes), moves the
// dataset's record by keys, clicks, the wheel and its scroll bars, sizes
// columns by their title edges, and edits a cell in place where the form
// allows it.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/Grids.h"
#include "platform/gui/Mask.h"
#include "platform/data/DB.h"

#include <memory>

class TDBGrid;
class TColumn;

enum TDBGridOption {
  dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
  dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect, dgTitleClick,
  dgTitleHotTrack
};
using TDBGridOptions = TSet<TDBGridOption>;


using TDrawColumnCellEvent =
  std::function<void(TObject* Sender, const TRect& Rect, Integer DataCol, TColumn* Column, TGridDrawState State)>;
using TDBGridClickEvent = std::function<void(TColumn* Column)>;

// The heading of a column; its font follows the grid's TitleFont until set.
class TColumnTitle : public TPersistent {
  VELMORA_CLASS(TColumnTitle)
public:
  explicit TColumnTitle(TColumn* AColumn = nullptr);
  ~TColumnTitle() override;
  TColumn* Column() const { return FColumn; }
  // The field's display label (or the field name) until a caption is set.
  String Caption() const;
  void SetCaption(const String& Value);
  bool IsCaptionStored() const { return FCaptionAssigned; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool IsFontStored() const { return FFontAssigned; }
  // The font the heading is drawn with.
  TFont* ShownFont() const;

private:
  void Changed();
  TColumn* FColumn;
  String FCaption;
  bool FCaptionAssigned = false;
  TAlignment FAlignment = taLeftJustify;
  std::unique_ptr<TFont> FFont;
  bool FFontAssigned = false;
};

class TColumn : public TCollectionItem {
  VELMORA_CLASS(TColumn)
  using inherited = TCollectionItem;
public:
  explicit TColumn(TCollection* Collection);
  ~TColumn() override;
  TDBGrid* Grid() const;
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  // The field of the grid's open dataset, nullptr when closed or unknown;
  // found again only when the dataset's field list has changed.
  TField* Field() const;
  // The set width, or one from the field's display width.
  Integer Width() const;
  void SetWidth(Integer Value);
  bool IsWidthStored() const { return FWidthAssigned; }
  // The set alignment, or the field's.
  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  bool IsAlignmentStored() const { return FAlignmentAssigned; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // A read-only column shows its field but never opens the editor.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  TColumnTitle* Title() const { return FTitle.get(); }
  String DisplayName() const override;

private:
  String FFieldName;
  Integer FWidth = 64;
  bool FWidthAssigned = false;
  TAlignment FAlignment = taLeftJustify;
  bool FAlignmentAssigned = false;
  bool FVisible = true;
  bool FReadOnly = false;
  std::unique_ptr<TColumnTitle> FTitle;
  mutable TField* FField = nullptr;
  mutable Int64 FFieldListVersion = 0;   // of the list FField was found in; 0: none
};

class TDBGridColumns : public TCollection {
  VELMORA_CLASS(TDBGridColumns)
  using inherited = TCollection;
public:
  explicit TDBGridColumns(TDBGrid* AGrid = nullptr);
  TDBGrid* Grid() const { return FGrid; }
  TColumn* Add() { return static_cast<TColumn*>(TCollection::Add()); }
  TColumn* Items(Integer Index) const { return static_cast<TColumn*>(TCollection::Items(Index)); }
  TColumn* operator[](Integer Index) const { return Items(Index); }

protected:
  void Update(TCollectionItem* Item) override;
  TPersistent* GetOwner() const override;

private:
  TDBGrid* FGrid;
};

// The editor shown over the current cell: a masked edit with the field's
// edit mask that hands the keys that move around the grid back to it.
class TDBGridInplaceEdit : public TCustomMaskEdit {
  VELMORA_CLASS(TDBGridInplaceEdit)
  using inherited = TCustomMaskEdit;
public:
  explicit TDBGridInplaceEdit(TDBGrid* AGrid);
  TDBGrid* Grid() const { return FGrid; }

protected:
  bool EditCanModify() override;
  void Change() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(QChar& Key) override;
  void WMGetDlgCode(TMessage& Message) override;
  void DoExit() override;

private:
  bool GridKey(Word Key, TShiftState Shift) const;
  TDBGrid* FGrid;
};

class TDBGrid : public TCustomControl {
  VELMORA_CLASS(TDBGrid)
  using inherited = TCustomControl;
public:
  explicit TDBGrid(TComponent* AOwner);
  ~TDBGrid() override;

  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* Value);
  TDataLink* DataLink() const;
  TDBGridColumns* Columns() const { return FColumns.get(); }
  void SetColumns(TDBGridColumns* Value) { FColumns->Assign(Value); }
  TDBGridOptions Options() const { return FOptions; }
  void SetOptions(TDBGridOptions Value);
  TFont* TitleFont() const { return FTitleFont.get(); }
  void SetTitleFont(TFont* Value) { FTitleFont->Assign(Value); }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }

  // The columns shown: the described ones, or one per visible field when the
  // description has none.
  Integer ShownColumnCount() const;
  TColumn* ShownColumn(Integer Index) const;
  // Index among the shown columns of the current column, its column and field.
  Integer SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(Integer Value);
  TColumn* SelectedColumn() const;
  TField* SelectedField() const;

  // The first shown column at the left edge (the horizontal scroll position).
  Integer LeftCol() const { return FLeftCol; }
  void SetLeftCol(Integer Value);
  // The grid's own scroll bars: the vertical one shows the record number
  // among the records, the horizontal one the first column shown.
  TScrollBar* VertScrollBar() const { return FVertBar; }
  TScrollBar* HorzScrollBar() const { return FHorzBar; }

  // Geometry in client pixels.
  Integer TitleHeight();
  Integer RowHeight();
  Integer IndicatorWidth() const;
  // The client area left to titles and cells beside the scroll bars.
  Integer DataWidth() const;
  Integer DataHeight() const;
  // Rows of data that fit under the titles.
  Integer VisibleRowCount();
  // The cell of a shown column and a row of the window; Row -1 is the title.
  TRect CellRect(Integer Column, Integer Row);
  // The shown column and window row under a client point (-1 when none;
  // Row -1 with Column >= 0 is a title).
  void MouseCoord(Integer X, Integer Y, Integer& Column, Integer& Row);

  // The in-place editor: shown over the current cell with the field's text
  // (F2, Enter, typing, a click on the current cell), written into the
  // field when the cell is left or Enter is pressed; the record is posted
  // when the row is left.
  bool EditorMode() const { return FEditorMode; }
  void SetEditorMode(bool Value);
  TDBGridInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
  // Whether the current cell may be edited at all.
  bool CanEditShow();

  // Writes the column's field text of the active record into Rect with the
  // canvas's current font and brush.
  void DefaultDrawColumnCell(const TRect& Rect, Integer DataCol, TColumn* Column, TGridDrawState State);

  TDrawColumnCellEvent OnDrawColumnCell;
  TDBGridClickEvent OnTitleClick;
  TNotifyEvent OnColEnter;
  TNotifyEvent OnColExit;


protected:
  friend class TDBGridColumns;
  friend class TColumn;
  friend class TDBGridInplaceEdit;
  void InitializeWidget() override;
  void Paint() override;
  void Resize() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(QChar& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void WMGetDlgCode(TMessage& Message) override;
  void DoEnter() override;
  void DoExit() override;
  virtual void ColEnter();
  virtual void ColExit();
  virtual void TitleClick(TColumn* Column);
  virtual void DrawColumnCell(const TRect& Rect, Integer DataCol, TColumn* Column, TGridDrawState State);
  virtual void ShowEditor();
  virtual void HideEditor();
  // Puts the dataset into edit state for typing; false when it may not change.
  bool CanEditModify();

private:
  class TGridDataLink;
  void LinkActive();
  void LinkLayout();
  void UpdateBufferCount();
  void ColumnsChanged();
  void FontsChanged(TObject*);
  void MoveBy(Integer Distance);
  struct TShownColumn;
  std::vector<TShownColumn> ColumnsInView();
  void DrawTitles(TCanvas* C);
  void DrawRows(TCanvas* C);
  // Scroll bars and the column sizing.
  void LayoutScrollBars();
  void UpdateVertScrollBar();
  void UpdateHorzScrollBar();
  void VertScroll(TScrollCode Code, Integer& Pos);
  void HorzScroll(TScrollCode Code, Integer& Pos);
  Integer MaxLeftCol();
  void ShowSelectedColumn();
  Integer SizingColumnAt(Integer X, Integer Y);
  void ShowSizeCursor(bool Show);
  // The editor: its text from the field, its place, and back into the field.
  void LoadEditor();
  void PlaceEditor();
  void UpdateData();
  void EditorChanged();
  void DataMoved();
  // The focus left the grid and its editor for another control.
  void FocusLeft();

  std::unique_ptr<TGridDataLink> FDataLink;
  std::unique_ptr<TDBGridColumns> FColumns;
  std::unique_ptr<TDBGridColumns> FDefaultColumns;   // one per visible field
  std::unique_ptr<TFont> FTitleFont;
  TNotifyEvent FControlFontChange;
  TDBGridOptions FOptions;
  bool FReadOnly = false;
  bool FDefaultDrawing = true;
  Integer FSelectedIndex = 0;
  Integer FTitlePressed = -1;   // the title a left button went down on
  Integer FLeftCol = 0;
  TScrollBar* FVertBar = nullptr;   // owned as child controls
  TScrollBar* FHorzBar = nullptr;
  bool FLayingOut = false;
  Integer FSizingIndex = -1;        // the column being sized by the mouse
  Integer FSizingPos = -1;          // where its new right edge would be
  bool FSizeCursorShown = false;
  TCursor FCursorBeforeSizing = crDefault;
  TDBGridInplaceEdit* FInplaceEdit = nullptr;   // a child control, made when first shown
  bool FEditorMode = false;
  bool FEditorModified = false;   // typed since the field's text was loaded
  bool FLoadingEditor = false;
};

// Registers the grid, its columns and their published properties.
void RegisterDBGridsClasses();
