// DBGrids.cpp: the plain data grid, its columns and its data link.
#include "platform/data/DBGrids.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Windows.h"

#include <algorithm>

// ---------------------------------------------------------------------------
// The grid's data link: any change of the dataset or of its window repaints.

class TDBGrid::TGridDataLink : public TDataLink {
public:
  explicit TGridDataLink(TDBGrid* Grid) : FGrid(Grid) {}
  using TDataLink::FirstRecord;
protected:
  void ActiveChanged() override { FGrid->LinkActive(); }
  void DataSetChanged() override { FGrid->Invalidate(); }
  void DataSetScrolled(Integer) override { FGrid->Invalidate(); }
  void LayoutChanged() override { FGrid->LinkLayout(); }
  void RecordChanged(TField*) override { FGrid->Invalidate(); }
  void EditingChanged() override { FGrid->Invalidate(); }
private:
  TDBGrid* FGrid;
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
  Changed(false);
}

TField* TColumn::Field() const
{
  TDBGrid* G = Grid();
  if (!G || FFieldName.isEmpty() || !G->DataLink()->Active())
    return nullptr;
  return G->DataLink()->DataSet()->FindField(FFieldName);
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

// Described columns replace the default ones and back; the default ones
// change only inside the grid's own rebuild.
void TDBGridColumns::Update(TCollectionItem*)
{
  if (FGrid && this == FGrid->Columns())
    FGrid->LinkLayout();
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
  UpdateBufferCount();
  Invalidate();
}

void TDBGrid::Loaded()
{
  inherited::Loaded();
  LinkActive();
}

void TDBGrid::LinkActive()
{
  FSelectedIndex = 0;
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
  UpdateBufferCount();
  Invalidate();
}

void TDBGrid::FontsChanged(TObject*)
{
  UpdateBufferCount();
  Invalidate();
}

void TDBGrid::Resize()
{
  inherited::Resize();
  UpdateBufferCount();
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

void TDBGrid::SetSelectedIndex(Integer Value)
{
  if (Value < 0 || Value >= ShownColumnCount() || Value == FSelectedIndex)
    return;
  ColExit();
  FSelectedIndex = Value;
  Invalidate();
  ColEnter();
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

Integer TDBGrid::VisibleRowCount()
{
  const Integer Free = ClientHeight() - TitleHeight();
  return std::max(0, Free / std::max(1, RowHeight()));
}

TRect TDBGrid::CellRect(Integer Column, Integer Row)
{
  Integer X = IndicatorWidth();
  for (Integer I = 0; I < Column; ++I)
    X += ShownColumn(I)->Width() + 1;
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
  Integer Left = IndicatorWidth();
  for (Integer I = 0; I < ShownColumnCount(); ++I) {
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

void TDBGrid::Paint()
{
  TCanvas* C = Canvas();
  C->Brush()->SetColor(Color());
  C->FillRect(ClientRect());
  DrawTitles(C);
  DrawRows(C);
}

void TDBGrid::DrawTitles(TCanvas* C)
{
  if (!FOptions.Contains(dgTitles))
    return;
  const Integer H = TitleHeight();
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(TRect(0, 0, ClientWidth(), H));
  C->Pen()->SetColor(clBtnShadow);
  C->MoveTo(0, H - 1);
  C->LineTo(ClientWidth(), H - 1);
  for (Integer I = 0; I < ShownColumnCount(); ++I) {
    TColumn* Col = ShownColumn(I);
    TRect R = CellRect(I, -1);
    R.Bottom -= 1;
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

void TDBGrid::DrawRows(TCanvas* C)
{
  if (!FDataLink->Active())
    return;
  const Integer Rows = std::min(FDataLink->RecordCount(), VisibleRowCount());
  const Integer Current = FDataLink->ActiveRecord();
  const bool ShowSelection = Focused() || FOptions.Contains(dgAlwaysShowSelection);
  const Integer Cols = ShownColumnCount();
  const Integer H = RowHeight();
  const Integer Title = TitleHeight();
  Integer Right = IndicatorWidth();
  for (Integer I = 0; I < Cols; ++I)
    Right += ShownColumn(I)->Width() + 1;
  // each row is read by making it the window's active record, then back
  struct TRestore {
    TDataLink* Link;
    Integer Record;
    ~TRestore() { Link->SetActiveRecord(Record); }
  } Restore{FDataLink.get(), Current};
  for (Integer Row = 0; Row < Rows; ++Row) {
    FDataLink->SetActiveRecord(Row);
    const Integer Y = Title + Row * H;
    if (FOptions.Contains(dgIndicator)) {
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
    for (Integer Col = 0; Col < Cols; ++Col) {
      TColumn* Column = ShownColumn(Col);
      const TRect R = CellRect(Col, Row);
      TGridDrawState State;
      const bool RowSelected = Row == Current && FOptions.Contains(dgRowSelect);
      const bool CellSelected = Row == Current && Col == FSelectedIndex;
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
        DefaultDrawColumnCell(R, Col, Column, State);
      DrawColumnCell(R, Col, Column, State);
    }
    C->Pen()->SetColor(clBtnFace);
    if (FOptions.Contains(dgRowLines)) {
      C->MoveTo(0, Y + H - 1);
      C->LineTo(Right, Y + H - 1);
    }
  }
  if (FOptions.Contains(dgColLines)) {
    C->Pen()->SetColor(clBtnFace);
    const Integer Bottom = Title + Rows * H;
    for (Integer Col = 0; Col < Cols; ++Col) {
      const Integer X = CellRect(Col, 0).Right;
      C->MoveTo(X, Title);
      C->LineTo(X, Bottom);
    }
  }
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
  switch (Key) {
    case VK_UP: MoveBy(-1); break;
    case VK_DOWN: MoveBy(1); break;
    case VK_PRIOR: MoveBy(-Page); break;
    case VK_NEXT: MoveBy(Page); break;
    case VK_HOME: D->First(); break;
    case VK_END: D->Last(); break;
    case VK_LEFT: SetSelectedIndex(FSelectedIndex - 1); break;
    case VK_RIGHT: SetSelectedIndex(FSelectedIndex + 1); break;
    case VK_TAB:
      if (!FOptions.Contains(dgTabs))
        return;
      SetSelectedIndex(FSelectedIndex + (Shift.Contains(ssShift) ? -1 : 1));
      break;
    default: return;
  }
  Key = 0;
}

void TDBGrid::WMGetDlgCode(TMessage& Message)
{
  Message.Result = DLGC_WANTARROWS;
  if (FOptions.Contains(dgTabs))
    Message.Result |= DLGC_WANTTAB;
}

void TDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (CanFocus() && !Focused())
    SetFocus();
  FTitlePressed = -1;
  if (Button == mbLeft && !Shift.Contains(ssDouble)) {
    Integer Col = -1, Row = -1;
    MouseCoord(X, Y, Col, Row);
    if (Row < 0 && Col >= 0 && FOptions.Contains(dgTitles))
      FTitlePressed = Col;
    else if (Row >= 0 && FDataLink->Active()) {
      MoveBy(Row - FDataLink->ActiveRecord());
      SetSelectedIndex(Col);
    }
  }
  inherited::MouseDown(Button, Shift, X, Y);
}

// A title is clicked when the button comes up over the title it went down on.
void TDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  const Integer Pressed = FTitlePressed;
  FTitlePressed = -1;
  if (Button == mbLeft && Pressed >= 0) {
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
  Invalidate();
}

void TDBGrid::DoExit()
{
  inherited::DoExit();
  Invalidate();
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
