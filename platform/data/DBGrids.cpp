// DBGrids.cpp: the plain data grid, its columns and its data link.
#include "platform/data/DBGrids.h"

#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/ScopeExit.h"

#include <QWidget>

#include <algorithm>

// How near a title's right edge the mouse must be to size the column.
static constexpr Integer SizingZone = 2;

// ---------------------------------------------------------------------------
// The grid's data link: any change of the dataset or of its window repaints.

class TDBGrid::TGridDataLink : public TDataLink {
public:
  explicit TGridDataLink(TDBGrid* Grid) : FGrid(Grid) {}
  using TDataLink::FirstRecord;
protected:
  void ActiveChanged() override { FGrid->LinkActive(); }
  void DataSetChanged() override
  {
    FGrid->UpdateVertScrollBar();
    FGrid->DataMoved();
    FGrid->Invalidate();
  }
  void DataSetScrolled(Integer) override
  {
    FGrid->UpdateVertScrollBar();
    // a new row is a new cell: the editor stays only when always shown
    if (FGrid->FEditorMode && !FGrid->FOptions.Contains(dgAlwaysShowEditor))
      FGrid->HideEditor();
    FGrid->DataMoved();
    FGrid->Invalidate();
  }
  void LayoutChanged() override { FGrid->LinkLayout(); }
  void RecordChanged(TField*) override
  {
    FGrid->DataMoved();
    FGrid->Invalidate();
  }
  void EditingChanged() override
  {
    FGrid->DataMoved();
    FGrid->Invalidate();
  }
  void UpdateData() override { FGrid->UpdateData(); }
private:
  TDBGrid* FGrid;
};

// The grid's scroll bars never take the focus from the grid.
class TGridScrollBar : public TScrollBar {
public:
  using TScrollBar::TScrollBar;
protected:
  void InitializeWidget() override
  {
    TScrollBar::InitializeWidget();
    Widget()->setFocusPolicy(Qt::NoFocus);
  }
};

// ---------------------------------------------------------------------------
// TColumnTitle

TColumnTitle::TColumnTitle(TColumn* AColumn) : FColumn(AColumn), FFont(std::make_unique<TFont>())
{
  FFont->OnChange = [this](TObject*) {
    FFontAssigned = true;
    Changed();
  };
}

TColumnTitle::~TColumnTitle() { FFont->OnChange = nullptr; }

String TColumnTitle::Caption() const
{
  if (FCaptionAssigned || !FColumn)
    return FCaption;
  if (TField* F = FColumn->Field())
    return F->DisplayLabel();
  return FColumn->FieldName();
}

void TColumnTitle::SetCaption(const String& Value)
{
  FCaption = Value;
  FCaptionAssigned = true;
  Changed();
}

void TColumnTitle::SetAlignment(TAlignment Value)
{
  FAlignment = Value;
  Changed();
}

TFont* TColumnTitle::ShownFont() const
{
  if (FFontAssigned || !FColumn || !FColumn->Grid())
    return FFont.get();
  return FColumn->Grid()->TitleFont();
}

void TColumnTitle::Changed()
{
  if (FColumn && FColumn->Grid())
    FColumn->Grid()->Invalidate();
}

// ---------------------------------------------------------------------------
// TColumn

TColumn::TColumn(TCollection* Collection) : TCollectionItem(Collection), FTitle(std::make_unique<TColumnTitle>(this))
{
}

TColumn::~TColumn() = default;

TDBGrid* TColumn::Grid() const
{
  auto* Owner = dynamic_cast<TDBGridColumns*>(Collection());
  return Owner ? Owner->Grid() : nullptr;
}

void TColumn::SetFieldName(const String& Value)
{
  FFieldName = Value;
  FFieldListVersion = 0;
  Changed(false);
}

// Each paint asks every cell's column for its field: the search by name runs
// once per field list.
TField* TColumn::Field() const
{
  TDBGrid* G = Grid();
  if (!G || FFieldName.isEmpty() || !G->DataLink()->Active())
    return nullptr;
  const TFields* Fields = G->DataLink()->DataSet()->Fields();
  if (Fields->Version() != FFieldListVersion) {
    FField = Fields->FindField(FFieldName);
    FFieldListVersion = Fields->Version();
  }
  return FField;
}

Integer TColumn::Width() const
{
  if (FWidthAssigned)
    return FWidth;
  TField* F = Field();
  TDBGrid* G = Grid();
  if (!F || !G)
    return FWidth;
  // as wide as the field's display width in the grid's digits, or its title
  TCanvas* C = G->Canvas();
  C->Font()->Assign(G->Font());
  Integer W = F->DisplayWidth() * C->TextWidth(QStringLiteral("0")) + 4;
  C->Font()->Assign(FTitle->ShownFont());
  W = std::max(W, C->TextWidth(FTitle->Caption()) + 4);
  return W;
}

void TColumn::SetWidth(Integer Value)
{
  FWidth = std::max(Value, 0);
  FWidthAssigned = true;
  Changed(false);
}

TAlignment TColumn::Alignment() const
{
  if (FAlignmentAssigned)
    return FAlignment;
  TField* F = Field();
  return F ? F->Alignment() : FAlignment;
}

void TColumn::SetAlignment(TAlignment Value)
{
  FAlignment = Value;
  FAlignmentAssigned = true;
  Changed(false);
}

void TColumn::SetVisible(bool Value)
{
  FVisible = Value;
  Changed(true);
}

String TColumn::DisplayName() const { return FFieldName.isEmpty() ? inherited::DisplayName() : FFieldName; }

// ---------------------------------------------------------------------------
// TDBGridColumns

TDBGridColumns::TDBGridColumns(TDBGrid* AGrid) : TCollection(TColumn::StaticClass()), FGrid(AGrid) {}

// Described columns replace the default ones and back; a default column
// changes only its width or visibility, which needs no rebuild.
void TDBGridColumns::Update(TCollectionItem*)
{
  if (!FGrid)
    return;
  if (this == FGrid->Columns())
    FGrid->LinkLayout();
  else if (UpdateCount() == 0)
    FGrid->ColumnsChanged();
}

TPersistent* TDBGridColumns::GetOwner() const { return FGrid; }

// ---------------------------------------------------------------------------
// TDBGrid

TDBGrid::TDBGrid(TComponent* AOwner)
  : TCustomControl(AOwner),
    FDataLink(std::make_unique<TGridDataLink>(this)),
    FColumns(std::make_unique<TDBGridColumns>(this)),
    FDefaultColumns(std::make_unique<TDBGridColumns>(this)),
    FTitleFont(std::make_unique<TFont>()),
    FOptions({dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgConfirmDelete,
              dgCancelOnExit, dgTitleClick, dgTitleHotTrack})
{
  FVertBar = new TGridScrollBar(this);
  FVertBar->SetKind(sbVertical);
  FVertBar->SetTabStop(false);
  FVertBar->SetParent(this);
  FVertBar->OnScroll = [this](TObject*, TScrollCode Code, Integer& Pos) { VertScroll(Code, Pos); };
  FHorzBar = new TGridScrollBar(this);
  FHorzBar->SetTabStop(false);
  FHorzBar->SetVisible(false);
  FHorzBar->SetParent(this);
  FHorzBar->OnScroll = [this](TObject*, TScrollCode Code, Integer& Pos) { HorzScroll(Code, Pos); };
  SetBounds(Left(), Top(), 320, 120);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  FTitleFont->OnChange = [this](TObject* S) { FontsChanged(S); };
  FControlFontChange = Font()->OnChange;
  Font()->OnChange = [this](TObject* S) {
    if (FControlFontChange)
      FControlFontChange(S);
    FontsChanged(S);
  };
}

TDBGrid::~TDBGrid()
{
  FTitleFont->OnChange = nullptr;
  Font()->OnChange = FControlFontChange;   // the control's own, without the grid's layout
  FDataLink->SetDataSource(nullptr);
}

TDataSource* TDBGrid::DataSource() const { return FDataLink->DataSource(); }

TDataLink* TDBGrid::DataLink() const { return FDataLink.get(); }

void TDBGrid::SetDataSource(TDataSource* Value)
{
  if (Value == FDataLink->DataSource())
    return;
  FDataLink->SetDataSource(Value);
  if (Value)
    Value->FreeNotification(this);
  LinkActive();
}

void TDBGrid::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource())
    SetDataSource(nullptr);
}

void TDBGrid::SetOptions(TDBGridOptions Value)
{
  if (Value == FOptions)
    return;
  FOptions = Value;
  if (!CanEditShow())
    HideEditor();
  LayoutScrollBars();
  Invalidate();
}

void TDBGrid::Loaded()
{
  inherited::Loaded();
  LinkActive();
}

void TDBGrid::LinkActive()
{
  HideEditor();
  FSelectedIndex = 0;
  FLeftCol = 0;
  LinkLayout();
}

// The dataset's fields may have changed: default columns follow them.
void TDBGrid::LinkLayout()
{
  FDefaultColumns->BeginUpdate();
  FDefaultColumns->Clear();
  if (FColumns->Count() == 0 && FDataLink->Active()) {
    TFields* Fields = FDataLink->DataSet()->Fields();
    for (Integer I = 0; I < Fields->Count(); ++I)
      if (Fields->Fields(I)->Visible())
        FDefaultColumns->Add()->SetFieldName(Fields->Fields(I)->FieldName());
  }
  FDefaultColumns->EndUpdate();
  ColumnsChanged();
}

void TDBGrid::ColumnsChanged()
{
  if (FSelectedIndex >= ShownColumnCount())
    FSelectedIndex = std::max(0, ShownColumnCount() - 1);
  LayoutScrollBars();
  Invalidate();
}

void TDBGrid::FontsChanged(TObject*)
{
  LayoutScrollBars();
  Invalidate();
}

void TDBGrid::Resize()
{
  inherited::Resize();
  LayoutScrollBars();
}

// The link's record window holds the rows that fit, so that a paint reads
// every shown row from the dataset's buffers.
void TDBGrid::UpdateBufferCount()
{
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying))
    return;
  const Integer Rows = std::max(1, VisibleRowCount());
  if (FDataLink->BufferCount() != Rows)
    FDataLink->SetBufferCount(Rows);
}

Integer TDBGrid::ShownColumnCount() const
{
  const TDBGridColumns* Cols = FColumns->Count() > 0 ? FColumns.get() : FDefaultColumns.get();
  Integer N = 0;
  for (Integer I = 0; I < Cols->Count(); ++I)
    if (Cols->Items(I)->Visible())
      ++N;
  return N;
}

TColumn* TDBGrid::ShownColumn(Integer Index) const
{
  const TDBGridColumns* Cols = FColumns->Count() > 0 ? FColumns.get() : FDefaultColumns.get();
  for (Integer I = 0; I < Cols->Count(); ++I)
    if (Cols->Items(I)->Visible() && Index-- == 0)
      return Cols->Items(I);
  return nullptr;
}

TColumn* TDBGrid::SelectedColumn() const { return ShownColumn(FSelectedIndex); }

TField* TDBGrid::SelectedField() const
{
  TColumn* C = SelectedColumn();
  return C ? C->Field() : nullptr;
}

// Leaving a cell writes what its editor holds into the field first; a text
// the field refuses keeps the cell and the editor as they are.
void TDBGrid::SetSelectedIndex(Integer Value)
{
  if (Value < 0 || Value >= ShownColumnCount() || Value == FSelectedIndex)
    return;
  UpdateData();
  ColExit();
  FSelectedIndex = Value;
  ShowSelectedColumn();
  Invalidate();
  ColEnter();
  if (!FEditorMode)
    return;
  if (FOptions.Contains(dgAlwaysShowEditor) && CanEditShow()) {
    LoadEditor();
    PlaceEditor();
    FInplaceEdit->SelectAll();
  } else {
    HideEditor();
  }
}

void TDBGrid::ColEnter()
{
  if (OnColEnter)
    OnColEnter(this);
}

void TDBGrid::ColExit()
{
  if (OnColExit)
    OnColExit(this);
}

void TDBGrid::TitleClick(TColumn* Column)
{
  if (OnTitleClick)
    OnTitleClick(Column);
}

Integer TDBGrid::TitleHeight()
{
  if (!FOptions.Contains(dgTitles))
    return 0;
  Integer H = 0;
  TCanvas* C = Canvas();
  C->Font()->Assign(FTitleFont.get());
  H = C->TextHeight(QStringLiteral("Wg"));
  for (Integer I = 0; I < ShownColumnCount(); ++I) {
    C->Font()->Assign(ShownColumn(I)->Title()->ShownFont());
    H = std::max(H, C->TextHeight(QStringLiteral("Wg")));
  }
  return H + 4;
}

Integer TDBGrid::RowHeight()
{
  TCanvas* C = Canvas();
  C->Font()->Assign(Font());
  return C->TextHeight(QStringLiteral("Wg")) + 4;
}

Integer TDBGrid::IndicatorWidth() const { return FOptions.Contains(dgIndicator) ? 11 : 0; }

Integer TDBGrid::DataWidth() const
{
  return std::max(0, ClientWidth() - (FVertBar->Visible() ? FVertBar->Width() : 0));
}

Integer TDBGrid::DataHeight() const
{
  return std::max(0, ClientHeight() - (FHorzBar->Visible() ? FHorzBar->Height() : 0));
}

Integer TDBGrid::VisibleRowCount()
{
  const Integer Free = DataHeight() - TitleHeight();
  return std::max(0, Free / std::max(1, RowHeight()));
}

// Columns left of LeftCol lie left of the indicator, outside the cells.
TRect TDBGrid::CellRect(Integer Column, Integer Row)
{
  Integer X = IndicatorWidth();
  for (Integer I = FLeftCol; I < Column; ++I)
    X += ShownColumn(I)->Width() + 1;
  for (Integer I = Column; I < FLeftCol && I >= 0; ++I)
    X -= ShownColumn(I)->Width() + 1;
  const Integer W = Column >= 0 && Column < ShownColumnCount() ? ShownColumn(Column)->Width() : 0;
  const Integer Title = TitleHeight();
  if (Row < 0)
    return TRect(X, 0, X + W, Title);
  const Integer H = RowHeight();
  const Integer Y = Title + Row * H;
  return TRect(X, Y, X + W, Y + H - 1);
}

void TDBGrid::MouseCoord(Integer X, Integer Y, Integer& Column, Integer& Row)
{
  Column = -1;
  Row = -1;
  if (X >= DataWidth() || Y >= DataHeight())
    return;
  Integer Left = IndicatorWidth();
  for (Integer I = FLeftCol; I < ShownColumnCount(); ++I) {
    const Integer Right = Left + ShownColumn(I)->Width() + 1;
    if (X >= Left && X < Right) {
      Column = I;
      break;
    }
    Left = Right;
  }
  const Integer Title = TitleHeight();
  if (Y < Title)
    return;
  const Integer R = (Y - Title) / std::max(1, RowHeight());
  if (R < FDataLink->RecordCount())
    Row = R;
  else
    Column = -1;   // below the last row is nowhere
}

void TDBGrid::DefaultDrawColumnCell(const TRect& Rect, Integer DataCol, TColumn* Column, TGridDrawState State)
{
  (void)DataCol;
  (void)State;
  TCanvas* C = Canvas();
  TField* F = Column ? Column->Field() : nullptr;
  const String Text = F ? F->DisplayText() : String();
  Integer X = Rect.Left + 2;
  if (Column && Column->Alignment() != taLeftJustify) {
    const Integer W = C->TextWidth(Text);
    X = Column->Alignment() == taRightJustify ? Rect.Right - 3 - W : Rect.Left + (Rect.Width() - W) / 2;
  }
  C->TextRect(Rect, X, Rect.Top + 2, Text);
}

void TDBGrid::DrawColumnCell(const TRect& Rect, Integer DataCol, TColumn* Column, TGridDrawState State)
{
  if (OnDrawColumnCell)
    OnDrawColumnCell(this, Rect, DataCol, Column, State);
}

// The sizing cursor needs the mouse's moves with no button held.
void TDBGrid::InitializeWidget()
{
  inherited::InitializeWidget();
  Widget()->setMouseTracking(true);
}

void TDBGrid::Paint()
{
  TCanvas* C = Canvas();
  C->Brush()->SetColor(Color());
  C->FillRect(ClientRect());
  DrawTitles(C);
  DrawRows(C);
  if (FVertBar->Visible() && FHorzBar->Visible()) {
    // the square where the two bars meet
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(TRect(DataWidth(), DataHeight(), ClientWidth(), ClientHeight()));
  }
  if (FSizingIndex >= 0) {
    // where the column's edge will be when the button comes up
    C->Pen()->SetColor(clWindowText);
    C->MoveTo(FSizingPos, 0);
    C->LineTo(FSizingPos, DataHeight());
  }
}

// The shown columns from LeftCol that start left of Width, each with its
// left edge; a cell spans Left .. Left + Width() and a line follows it.
struct TDBGrid::TShownColumn {
  Integer Index;
  TColumn* Column;
  Integer Left;
  Integer Right;   // the cell's right edge, where its column line is drawn
};

std::vector<TDBGrid::TShownColumn> TDBGrid::ColumnsInView()
{
  std::vector<TShownColumn> Shown;
  const Integer Width = DataWidth();
  Integer X = IndicatorWidth();
  for (Integer I = FLeftCol; I < ShownColumnCount() && X < Width; ++I) {
    TColumn* Column = ShownColumn(I);
    const Integer Right = X + Column->Width();
    Shown.push_back({I, Column, X, Right});
    X = Right + 1;
  }
  return Shown;
}

static bool MeetsHorizontally(const TRect& Clip, Integer Left, Integer Right)
{
  return Left < Clip.Right && Right >= Clip.Left;   // Right: the column line
}

void TDBGrid::DrawTitles(TCanvas* C)
{
  if (!FOptions.Contains(dgTitles))
    return;
  const Integer H = TitleHeight();
  const TRect Clip = C->ClipRect();
  if (Clip.Top >= H)
    return;
  const Integer Width = DataWidth();
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(TRect(0, 0, Width, H));
  C->Pen()->SetColor(clBtnShadow);
  C->MoveTo(0, H - 1);
  C->LineTo(Width, H - 1);
  for (const TShownColumn& S : ColumnsInView()) {
    if (!MeetsHorizontally(Clip, S.Left, S.Right))
      continue;
    TColumn* Col = S.Column;
    const TRect R(S.Left, 0, S.Right, H - 1);
    C->Font()->Assign(Col->Title()->ShownFont());
    C->Brush()->SetColor(clBtnFace);
    const String Text = Col->Title()->Caption();
    const Integer W = C->TextWidth(Text);
    Integer X = R.Left + 2;
    if (Col->Title()->Alignment() == taCenter)
      X = R.Left + (R.Width() - W) / 2;
    else if (Col->Title()->Alignment() == taRightJustify)
      X = R.Right - 3 - W;
    C->TextRect(R, X, R.Top + 2, Text);
    C->Pen()->SetColor(clBtnShadow);
    C->MoveTo(R.Right, 0);
    C->LineTo(R.Right, H);
  }
}

// Only the rows and cells that meet the canvas's clip rectangle are read and
// drawn: a caret or a one-cell change repaints that little.
void TDBGrid::DrawRows(TCanvas* C)
{
  if (!FDataLink->Active())
    return;
  const TRect Clip = C->ClipRect();
  const Integer H = RowHeight();
  const Integer Title = TitleHeight();
  const Integer Rows = std::min(FDataLink->RecordCount(), VisibleRowCount());
  const Integer FirstRow = std::max(0, (Clip.Top - Title) / std::max(1, H));
  const Integer LastRow = std::min(Rows - 1, (Clip.Bottom - 1 - Title) / std::max(1, H));
  if (Clip.Bottom <= Title || FirstRow > LastRow)
    return;
  const Integer Current = FDataLink->ActiveRecord();
  const bool ShowSelection = Focused() || FOptions.Contains(dgAlwaysShowSelection);
  const Integer Width = DataWidth();
  const std::vector<TShownColumn> Shown = ColumnsInView();
  const Integer Right = Shown.empty() ? IndicatorWidth() : std::min(Shown.back().Right + 1, Width);
  // each row is read by making it the window's active record, then back
  struct TRestore {
    TDataLink* Link;
    Integer Record;
    ~TRestore() { Link->SetActiveRecord(Record); }
  } Restore{FDataLink.get(), Current};
  for (Integer Row = FirstRow; Row <= LastRow; ++Row) {
    FDataLink->SetActiveRecord(Row);
    const Integer Y = Title + Row * H;
    if (FOptions.Contains(dgIndicator) && Clip.Left < IndicatorWidth()) {
      C->Brush()->SetColor(clBtnFace);
      C->FillRect(TRect(0, Y, IndicatorWidth() - 1, Y + H));
      if (Row == Current) {
        // the current-record triangle
        C->Brush()->SetColor(clWindowText);
        C->Pen()->SetColor(clWindowText);
        const Integer Mid = Y + H / 2;
        C->Polygon({TPoint(3, Mid - 3), TPoint(6, Mid), TPoint(3, Mid + 3)});
      }
    }
    for (const TShownColumn& S : Shown) {
      if (!MeetsHorizontally(Clip, S.Left, S.Right))
        continue;
      const TRect R(S.Left, Y, std::min(S.Right, Width), Y + H - 1);
      TGridDrawState State;
      const bool RowSelected = Row == Current && FOptions.Contains(dgRowSelect);
      const bool CellSelected = Row == Current && S.Index == FSelectedIndex;
      if ((RowSelected || CellSelected) && ShowSelection) {
        State << gdSelected;
        if (Focused())
          State << gdFocused;
      }
      C->Font()->Assign(Font());
      if (State.Contains(gdSelected)) {
        C->Brush()->SetColor(clHighlight);
        C->Font()->SetColor(clHighlightText);
      } else {
        C->Brush()->SetColor(Color());
      }
      C->FillRect(R);
      if (FDefaultDrawing)
        DefaultDrawColumnCell(R, S.Index, S.Column, State);
      DrawColumnCell(R, S.Index, S.Column, State);
    }
    C->Pen()->SetColor(clBtnFace);
    if (FOptions.Contains(dgRowLines)) {
      C->MoveTo(0, Y + H - 1);
      C->LineTo(Right, Y + H - 1);
    }
  }
  if (FOptions.Contains(dgColLines)) {
    C->Pen()->SetColor(clBtnFace);
    const Integer Top = Title + FirstRow * H;
    const Integer Bottom = Title + (LastRow + 1) * H;
    for (const TShownColumn& S : Shown) {
      C->MoveTo(S.Right, Top);
      C->LineTo(S.Right, Bottom);
    }
  }
}

// ---- scroll bars

// The horizontal bar shows when the columns do not fit; the vertical one is
// always there, as the record position it shows is worth seeing.
void TDBGrid::LayoutScrollBars()
{
  if (FLayingOut || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying))
    return;
  FLayingOut = true;
  const Integer BarW = GetSystemMetrics(SM_CXVSCROLL);
  const Integer BarH = GetSystemMetrics(SM_CYHSCROLL);
  FVertBar->SetVisible(true);
  FHorzBar->SetVisible(false);
  FLeftCol = std::clamp(FLeftCol, 0, MaxLeftCol());
  const bool Horz = FLeftCol > 0 || MaxLeftCol() > 0;
  FHorzBar->SetVisible(Horz);
  FLeftCol = std::clamp(FLeftCol, 0, MaxLeftCol());
  FVertBar->SetBounds(ClientWidth() - BarW, 0, BarW, std::max(0, ClientHeight() - (Horz ? BarH : 0)));
  FHorzBar->SetBounds(0, ClientHeight() - BarH, std::max(0, ClientWidth() - BarW), BarH);
  FLayingOut = false;
  UpdateBufferCount();
  UpdateVertScrollBar();
  UpdateHorzScrollBar();
}

// For a dataset with record numbers the position is the record number
// among RecordCount records and a page is the rows shown; without record
// numbers the bar only tells the start, the middle and the end.
void TDBGrid::UpdateVertScrollBar()
{
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying))
    return;
  TDataSet* D = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
  if (!D || D->IsEmpty()) {
    FVertBar->SetPageSize(0);
    FVertBar->SetParams(0, 0, 0);
    FVertBar->SetEnabled(false);
    return;
  }
  if (D->IsSequenced()) {
    const Integer Page = std::max(1, VisibleRowCount());
    const Integer Count = std::max(1, D->RecordCount());
    const TDataSetState State = D->State();
    const Integer Pos = State == dsBrowse || State == dsEdit ? D->RecNo() : FVertBar->Position();
    FVertBar->SetPageSize(Page);
    FVertBar->SetParams(std::clamp(Pos, 1, Count), 1, Count + Page - 1);
    FVertBar->SetEnabled(Count > Page);
    return;
  }
  FVertBar->SetPageSize(0);
  FVertBar->SetParams(D->Bof() ? 0 : D->Eof() ? 4 : 2, 0, 4);
  FVertBar->SetEnabled(true);
}

void TDBGrid::UpdateHorzScrollBar()
{
  if (!FHorzBar->Visible())
    return;
  FHorzBar->SetParams(FLeftCol, 0, MaxLeftCol());
  FHorzBar->SetLargeChange(1);
}

// Scroll-bar clicks move the record: a line step goes to the record just
// outside the window, a page by the rows shown, the thumb to the record
// number it points at.
void TDBGrid::VertScroll(TScrollCode Code, Integer& Pos)
{
  if (!FDataLink->Active())
    return;
  TDataSet* D = FDataLink->DataSet();
  const Integer Page = std::max(1, VisibleRowCount());
  switch (Code) {
    case scLineUp: FDataLink->MoveBy(-FDataLink->ActiveRecord() - 1); break;
    case scLineDown: FDataLink->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord()); break;
    case scPageUp: FDataLink->MoveBy(-Page); break;
    case scPageDown: FDataLink->MoveBy(Page); break;
    case scTop: D->First(); break;
    case scBottom: D->Last(); break;
    case scPosition:
    case scTrack:
      if (D->IsSequenced())
        D->SetRecNo(Pos);
      else if (Pos <= 0)
        D->First();
      else if (Pos >= 4)
        D->Last();
      break;
    default: break;
  }
  UpdateVertScrollBar();
  Pos = FVertBar->Position();
}

void TDBGrid::HorzScroll(TScrollCode Code, Integer& Pos)
{
  switch (Code) {
    case scLineUp:
    case scPageUp: SetLeftCol(FLeftCol - 1); break;
    case scLineDown:
    case scPageDown: SetLeftCol(FLeftCol + 1); break;
    case scTop: SetLeftCol(0); break;
    case scBottom: SetLeftCol(MaxLeftCol()); break;
    default: SetLeftCol(Pos); break;
  }
  Pos = FLeftCol;
}

// The smallest first column from which the last column is wholly shown.
Integer TDBGrid::MaxLeftCol()
{
  const Integer Room = DataWidth() - IndicatorWidth();
  Integer Used = 0;
  Integer Col = ShownColumnCount();
  while (Col > 0 && Used + ShownColumn(Col - 1)->Width() + 1 <= Room) {
    Used += ShownColumn(Col - 1)->Width() + 1;
    --Col;
  }
  return std::min(Col, std::max(0, ShownColumnCount() - 1));
}

void TDBGrid::SetLeftCol(Integer Value)
{
  Value = std::clamp(Value, 0, MaxLeftCol());
  if (Value == FLeftCol)
    return;
  FLeftCol = Value;
  UpdateHorzScrollBar();
  PlaceEditor();
  Invalidate();
}

// Scrolls sideways until the current column is in sight.
void TDBGrid::ShowSelectedColumn()
{
  if (FSelectedIndex < FLeftCol) {
    SetLeftCol(FSelectedIndex);
    return;
  }
  while (FLeftCol < FSelectedIndex && CellRect(FSelectedIndex, -1).Right > DataWidth()) {
    const Integer Before = FLeftCol;
    SetLeftCol(FLeftCol + 1);
    if (FLeftCol == Before)
      break;
  }
}

// ---- sizing columns by the mouse

// The column whose title edge is under the point, -1 when none.
Integer TDBGrid::SizingColumnAt(Integer X, Integer Y)
{
  if (!FOptions.Contains(dgColumnResize) || !FOptions.Contains(dgTitles) || Y < 0 || Y >= TitleHeight() ||
      X >= DataWidth())
    return -1;
  for (Integer I = ShownColumnCount() - 1; I >= FLeftCol; --I) {
    const Integer Edge = CellRect(I, -1).Right;
    if (X >= Edge - SizingZone && X <= Edge + SizingZone)
      return I;
  }
  return -1;
}

void TDBGrid::ShowSizeCursor(bool Show)
{
  if (Show == FSizeCursorShown)
    return;
  FSizeCursorShown = Show;
  if (Show) {
    FCursorBeforeSizing = Cursor();
    SetCursor(crHSplit);
  } else {
    SetCursor(FCursorBeforeSizing);
  }
}

void TDBGrid::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  if (FSizingIndex >= 0) {
    FSizingPos = std::max(X, CellRect(FSizingIndex, -1).Left + 1);
    Invalidate();
  } else {
    ShowSizeCursor(SizingColumnAt(X, Y) >= 0);
  }
  inherited::MouseMove(Shift, X, Y);
}

// ---- the in-place editor

TDBGridInplaceEdit::TDBGridInplaceEdit(TDBGrid* AGrid) : TCustomMaskEdit(AGrid), FGrid(AGrid)
{
  SetBorderStyle(TBorderStyle::bsNone);
  SetTabStop(false);
  SetVisible(false);
  SetParent(AGrid);
}

bool TDBGridInplaceEdit::EditCanModify() { return FGrid->CanEditModify(); }

void TDBGridInplaceEdit::Change()
{
  FGrid->EditorChanged();
  inherited::Change();
}

// The keys that move between cells and rows, Enter, Escape and F2 belong to
// the grid; Left and Right only at the ends of the text.
bool TDBGridInplaceEdit::GridKey(Word Key, TShiftState Shift) const
{
  switch (Key) {
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: case VK_RETURN: case VK_ESCAPE: case VK_F2:
      return true;
    case VK_TAB: return FGrid->Options().Contains(dgTabs);
    case VK_HOME: case VK_END: return Shift.Contains(ssCtrl);
    case VK_LEFT: return SelStart() == 0 && SelLength() <= (IsMasked() ? 1 : 0);
    case VK_RIGHT: return SelStart() + SelLength() >= Text().size() && (!IsMasked() || SelLength() == 0);
    default: return false;
  }
}

void TDBGridInplaceEdit::KeyDown(Word& Key, TShiftState Shift)
{
  if (GridKey(Key, Shift)) {
    FGrid->KeyDown(Key, Shift);
    if (Key == 0)
      return;
  }
  const bool Deleting = Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift));
  if (Deleting && !FGrid->CanEditModify()) {
    Key = 0;
    return;
  }
  inherited::KeyDown(Key, Shift);
}

// Typing, Backspace, paste and cut need the record in edit state first.
void TDBGridInplaceEdit::KeyPress(QChar& Key)
{
  const char16_t K = Key.unicode();
  const bool Typing = K >= 32 || K == 8 || K == 22 || K == 24;
  if (Typing && !FGrid->CanEditModify()) {
    Key = QChar();
    return;
  }
  if (K == 13 || K == 27) {
    Key = QChar();   // handled by the grid on the key going down
    return;
  }
  inherited::KeyPress(Key);
}

// Focus moving back to the grid is no leaving; anywhere else is.
void TDBGridInplaceEdit::DoExit()
{
  inherited::DoExit();
  TCustomForm* Form = GetParentForm(this);
  if (!Form || Form->ActiveControl() != FGrid)
    FGrid->FocusLeft();
}

void TDBGridInplaceEdit::WMGetDlgCode(TMessage& Message)
{
  inherited::WMGetDlgCode(Message);
  Message.Result |= DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
  if (FGrid->Options().Contains(dgTabs))
    Message.Result |= DLGC_WANTTAB;
}

// A cell is edited only where the grid, its dataset, the column and the
// field all allow it, and never with a whole-row cursor.
bool TDBGrid::CanEditShow()
{
  if (!FOptions.Contains(dgEditing) || FOptions.Contains(dgRowSelect) || FReadOnly)
    return false;
  if (!FDataLink->Active() || FDataLink->ReadOnly() || !FDataLink->DataSet()->CanModify())
    return false;
  TColumn* Column = SelectedColumn();
  TField* Field = SelectedField();
  return Column && !Column->ReadOnly() && Field && Field->CanModify() && !Field->IsBlob();
}

bool TDBGrid::CanEditModify()
{
  if (!CanEditShow())
    return false;
  FDataLink->Edit();
  return FDataLink->Editing();
}

void TDBGrid::SetEditorMode(bool Value)
{
  if (Value) {
    ShowEditor();
    return;
  }
  UpdateData();
  HideEditor();
}

// Whether the control holds its form's focus; the form records the move
// even where the window system has not made it yet.
static bool HoldsFocus(TWinControl* Control)
{
  if (Control->Focused())
    return true;
  TCustomForm* Form = GetParentForm(Control);
  return Form && Form->ActiveControl() == Control;
}

void TDBGrid::ShowEditor()
{
  if (!CanEditShow())
    return;
  if (!FInplaceEdit)
    FInplaceEdit = new TDBGridInplaceEdit(this);
  FInplaceEdit->HandleNeeded();
  const bool Focus = HoldsFocus(this) || HoldsFocus(FInplaceEdit);
  FEditorMode = true;
  LoadEditor();
  PlaceEditor();
  FInplaceEdit->SetVisible(true);
  if (Focus && FInplaceEdit->CanFocus())
    FInplaceEdit->SetFocus();
  FInplaceEdit->SelectAll();
}

void TDBGrid::HideEditor()
{
  if (!FEditorMode)
    return;
  FEditorMode = false;
  FEditorModified = false;
  const bool Focus = HoldsFocus(FInplaceEdit);
  FInplaceEdit->SetVisible(false);
  if (Focus && CanFocus())
    SetFocus();
  Invalidate();
}

// The field's edit text and mask; an unchanged text is not set again so
// that the caret stays where the person left it.
void TDBGrid::LoadEditor()
{
  TField* Field = SelectedField();
  if (!FInplaceEdit || !Field)
    return;
  FLoadingEditor = true;
  ScopeExit Done([&] { FLoadingEditor = false; });
  if (FInplaceEdit->EditMask() != Field->EditMask())
    FInplaceEdit->SetEditMask(Field->EditMask());
  // only real changes reach the widget: a new length limit drops the selection
  const Integer Limit = dynamic_cast<TStringField*>(Field) ? Field->Size() : 0;
  if (!FInplaceEdit->IsMasked() && FInplaceEdit->MaxLength() != Limit)
    FInplaceEdit->SetMaxLength(Limit);
  if (FInplaceEdit->Alignment() != Field->Alignment())
    FInplaceEdit->SetAlignment(Field->Alignment());
  const String Text = Field->Text();
  if (FInplaceEdit->Text() != Text)
    FInplaceEdit->SetText(Text);
  FEditorModified = false;
}

void TDBGrid::PlaceEditor()
{
  if (!FEditorMode || !FInplaceEdit)
    return;
  TRect R = CellRect(FSelectedIndex, FDataLink->ActiveRecord());
  R.Right = std::min(R.Right, DataWidth());
  FInplaceEdit->SetBounds(R.Left, R.Top, std::max(0, R.Width()), R.Height() + 1);
}

// What the editor holds goes into the field (the link asks before a post).
void TDBGrid::UpdateData()
{
  if (!FEditorMode || !FEditorModified)
    return;
  TField* Field = SelectedField();
  if (!Field)
    return;
  if (FInplaceEdit->IsMasked())
    FInplaceEdit->ValidateEdit();
  Field->SetText(FInplaceEdit->Text());
  FEditorModified = false;
}

void TDBGrid::EditorChanged()
{
  if (FLoadingEditor || !FEditorMode)
    return;
  FEditorModified = true;
  if (!FDataLink->Editing())
    FDataLink->Edit();
}

// The record or its state changed under the editor: a record no longer
// being edited drops what was typed; otherwise the typing is kept.
void TDBGrid::DataMoved()
{
  if (!FEditorMode)
    return;
  if (!FDataLink->Editing())
    FEditorModified = false;
  if (!FEditorModified)
    LoadEditor();
  PlaceEditor();
}

void TDBGrid::MoveBy(Integer Distance)
{
  if (FDataLink->Active() && Distance != 0)
    FDataLink->MoveBy(Distance);
}

void TDBGrid::KeyDown(Word& Key, TShiftState Shift)
{
  inherited::KeyDown(Key, Shift);
  if (!FDataLink->Active() || Key == 0)
    return;
  TDataSet* D = FDataLink->DataSet();
  const Integer Page = std::max(1, VisibleRowCount());
  const bool Always = FOptions.Contains(dgAlwaysShowEditor);
  switch (Key) {
    case VK_F2:
      if (!FEditorMode)
        ShowEditor();
      break;
    case VK_RETURN:
      if (!FEditorMode) {
        ShowEditor();
      } else {
        UpdateData();
        if (Always)
          FInplaceEdit->SelectAll();
        else
          HideEditor();
      }
      break;
    // Escape first drops the typing, then the record's changes
    case VK_ESCAPE:
      if (FEditorModified) {
        FEditorModified = false;
        LoadEditor();
        FInplaceEdit->SelectAll();
      } else if (D->State() == dsEdit || D->State() == dsInsert) {
        D->Cancel();
      } else if (!FEditorMode) {
        return;
      }
      if (!Always)
        HideEditor();
      break;
    case VK_UP: MoveBy(-1); break;
    case VK_DOWN: MoveBy(1); break;
    case VK_PRIOR: MoveBy(-Page); break;
    case VK_NEXT: MoveBy(Page); break;
    case VK_HOME: D->First(); break;
    case VK_END: D->Last(); break;
    // a whole-row cursor has no current column to move: the view scrolls
    case VK_LEFT:
      if (FOptions.Contains(dgRowSelect))
        SetLeftCol(FLeftCol - 1);
      else
        SetSelectedIndex(FSelectedIndex - 1);
      break;
    case VK_RIGHT:
      if (FOptions.Contains(dgRowSelect))
        SetLeftCol(FLeftCol + 1);
      else
        SetSelectedIndex(FSelectedIndex + 1);
      break;
    case VK_TAB:
      if (!FOptions.Contains(dgTabs))
        return;
      SetSelectedIndex(FSelectedIndex + (Shift.Contains(ssShift) ? -1 : 1));
      break;
    default: return;
  }
  Key = 0;
}

// An editable cell takes typing, Enter and Escape from the form.
void TDBGrid::WMGetDlgCode(TMessage& Message)
{
  Message.Result = DLGC_WANTARROWS;
  if (FOptions.Contains(dgTabs))
    Message.Result |= DLGC_WANTTAB;
  if (FOptions.Contains(dgEditing) && !FOptions.Contains(dgRowSelect))
    Message.Result |= DLGC_WANTCHARS;
  if (CanEditShow())
    Message.Result |= DLGC_WANTALLKEYS;
}

// A character typed on an editable cell opens the editor and replaces the
// field's text, as typing over a selection does.
void TDBGrid::KeyPress(QChar& Key)
{
  inherited::KeyPress(Key);
  if (Key.unicode() < 32 || FEditorMode || !CanEditShow())
    return;
  ShowEditor();
  if (!FEditorMode)
    return;
  if (FInplaceEdit->IsMasked())
    FInplaceEdit->Perform(WM_CHAR, Key.unicode(), 0);
  else if (CanEditModify())
    FInplaceEdit->SetSelText(String(Key));
  Key = QChar();
}

void TDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (CanFocus() && !Focused())
    SetFocus();
  FTitlePressed = -1;
  if (Button == mbLeft && !Shift.Contains(ssDouble) && SizingColumnAt(X, Y) >= 0) {
    FSizingIndex = SizingColumnAt(X, Y);
    FSizingPos = X;
    SetMouseCapture(true);
    Invalidate();
  } else if (Button == mbLeft && !Shift.Contains(ssDouble)) {
    Integer Col = -1, Row = -1;
    MouseCoord(X, Y, Col, Row);
    if (Row < 0 && Col >= 0 && FOptions.Contains(dgTitles))
      FTitlePressed = Col;
    else if (Row >= 0 && FDataLink->Active()) {
      // a click on the current cell edits it
      const bool Current = Row == FDataLink->ActiveRecord() && Col == FSelectedIndex;
      MoveBy(Row - FDataLink->ActiveRecord());
      SetSelectedIndex(Col);
      if (Current || FOptions.Contains(dgAlwaysShowEditor))
        ShowEditor();
    }
  }
  inherited::MouseDown(Button, Shift, X, Y);
}

// A title is clicked when the button comes up over the title it went down on.
void TDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  const Integer Pressed = FTitlePressed;
  FTitlePressed = -1;
  if (FSizingIndex >= 0) {
    TColumn* Column = ShownColumn(FSizingIndex);
    const Integer Left = CellRect(FSizingIndex, -1).Left;
    FSizingIndex = -1;
    SetMouseCapture(false);
    ShowSizeCursor(SizingColumnAt(X, Y) >= 0);
    Column->SetWidth(std::max(1, X - Left));
    Invalidate();
  } else if (Button == mbLeft && Pressed >= 0) {
    Integer Col = -1, Row = -1;
    MouseCoord(X, Y, Col, Row);
    if (Row < 0 && Col == Pressed)
      TitleClick(ShownColumn(Col));
  }
  inherited::MouseUp(Button, Shift, X, Y);
}

bool TDBGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  if (inherited::DoMouseWheelDown(Shift, MousePos))
    return true;
  MoveBy(1);
  return FDataLink->Active();
}

bool TDBGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  if (inherited::DoMouseWheelUp(Shift, MousePos))
    return true;
  MoveBy(-1);
  return FDataLink->Active();
}

void TDBGrid::DoEnter()
{
  inherited::DoEnter();
  if (FOptions.Contains(dgAlwaysShowEditor) && !FEditorMode)
    ShowEditor();
  Invalidate();
}

void TDBGrid::DoExit()
{
  inherited::DoExit();
  Invalidate();
  TCustomForm* Form = GetParentForm(this);
  if (!FInplaceEdit || !Form || Form->ActiveControl() != FInplaceEdit)
    FocusLeft();
}

// Leaving the grid: an untouched new record is dropped (dgCancelOnExit),
// anything typed goes into its field so that the form's buttons see it. A
// text the field refuses keeps the focus in the editor.
void TDBGrid::FocusLeft()
{
  if (!FDataLink->Active())
    return;
  TDataSet* D = FDataLink->DataSet();
  if (FOptions.Contains(dgCancelOnExit) && D->State() == dsInsert && !D->Modified() && !FEditorModified) {
    D->Cancel();
    return;
  }
  try {
    UpdateData();
  } catch (...) {
    if (FEditorMode && FInplaceEdit->CanFocus())
      FInplaceEdit->SetFocus();
    throw;
  }
}

// ---------------------------------------------------------------------------
// Registration

void RegisterDBGridsClasses()
{
  RegisterGuiClasses();
  RegisterDBClasses();
  RegisterEnum<TDBGridOption>("TDBGridOption", {
    "dgEditing", "dgAlwaysShowEditor", "dgTitles", "dgIndicator", "dgColumnResize", "dgColLines", "dgRowLines",
    "dgTabs", "dgRowSelect", "dgAlwaysShowSelection", "dgConfirmDelete", "dgCancelOnExit", "dgMultiSelect",
    "dgTitleClick", "dgTitleHotTrack"});
  RegisterClassInfo<TColumnTitle, TPersistent>("TColumnTitle")
    .Property("Alignment", &TColumnTitle::Alignment, &TColumnTitle::SetAlignment, taLeftJustify)
    .Property("Caption", &TColumnTitle::Caption, &TColumnTitle::SetCaption).Stored(&TColumnTitle::IsCaptionStored)
    .Property("Font", &TColumnTitle::Font, &TColumnTitle::SetFont).Stored(&TColumnTitle::IsFontStored);
  RegisterClassInfo<TColumn, TCollectionItem>("TColumn")
    .Property("Alignment", &TColumn::Alignment, &TColumn::SetAlignment).Stored(&TColumn::IsAlignmentStored)
    .Property("FieldName", &TColumn::FieldName, &TColumn::SetFieldName)
    .Property("ReadOnly", &TColumn::ReadOnly, &TColumn::SetReadOnly, false)
    .Property("Title", &TColumn::Title)
    .Property("Visible", &TColumn::Visible, &TColumn::SetVisible, true)
    .Property("Width", &TColumn::Width, &TColumn::SetWidth).Stored(&TColumn::IsWidthStored);
  RegisterClassInfo<TDBGridColumns, TCollection>("TDBGridColumns");
  RegisterClassInfo<TDBGrid, TCustomControl>("TDBGrid")
    .Property("Columns", &TDBGrid::Columns)
    .Property("DataSource", &TDBGrid::DataSource, &TDBGrid::SetDataSource)
    .Property("DefaultDrawing", &TDBGrid::DefaultDrawing, &TDBGrid::SetDefaultDrawing, true)
    .Property("Options", &TDBGrid::Options, &TDBGrid::SetOptions,
              TDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                             dgConfirmDelete, dgCancelOnExit, dgTitleClick, dgTitleHotTrack})
    .Property("ReadOnly", &TDBGrid::ReadOnly, &TDBGrid::SetReadOnly, false)
    .Property("TabStop", &TDBGrid::TabStop, &TDBGrid::SetTabStop, true)
    .Property("TitleFont", &TDBGrid::TitleFont, &TDBGrid::SetTitleFont)
    .Event("OnColEnter", &TDBGrid::OnColEnter)
    .Event("OnColExit", &TDBGrid::OnColExit)
    .Event("OnDblClick", &TDBGrid::OnDblClick)
    .Event("OnDrawColumnCell", &TDBGrid::OnDrawColumnCell)
    .Event("OnTitleClick", &TDBGrid::OnTitleClick);
  RegisterClasses({TDBGrid::StaticClass()});
}
