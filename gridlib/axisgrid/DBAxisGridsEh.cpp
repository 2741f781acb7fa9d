// DBAxisGridsEh.cpp: the data-aware grid base: its data link and field map,
// the layout of its bars, the rules that decide whether a cell may be
// edited, the write-back of edited text, and the routines the axis grids share.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "gridlib/foundation/GridLibLangConsts.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/ScopeExit.h"

#include <cmath>

namespace {

// The field map holds at most this many entries.
constexpr Integer MaxFieldMapSize = 268435455;

bool IsMemoType(TFieldType Type)
{
  return Type == ftMemo || Type == ftOraClob || Type == ftWideMemo;
}

// A lookup field can be changed through its key fields.
bool FieldCanModifyEh(TField* Field)
{
  if (Field->FieldKind() != fkLookup)
    return Field->CanModify();
  TDataSet* DS = Field->DataSet();
  if (Field->KeyFields().isEmpty() || !DS)
    return false;
  for (TField* Key : DS->GetFieldList(Field->KeyFields()))
    if (!Key->CanModify())
      return false;
  return true;
}

Integer RoundHalfEven(double V)
{
  return Integer(std::nearbyint(V));
}

} // namespace

// ---------------------------------------------------------------------------
// Shared routines.

TColor LightenMixColorEh(TColor Color1, TColor Color2, bool Spread)
{
  const TColor C1 = ColorToRGB(Color1);
  const TColor C2 = ColorToRGB(Color2);
  auto Channel = [&](Integer Shift) {
    const double A = double((C1 >> Shift) & 0xFF);
    const double B = double((C2 >> Shift) & 0xFF);
    const double M = A + (B - A) * 0.5;
    double V = M + (225 - M) * 0.6;
    if (Spread)
      V = V - (122 - V) * 0.25;
    return std::clamp(RoundHalfEven(V), 0, 255);
  };
  return TColor(Channel(0) | (Channel(8) << 8) | (Channel(16) << 16));
}

Integer FieldAsIntegerDefEh(TField* Field, Integer Default)
{
  if (!Field || Field->IsNull())
    return Default;
  auto InRange = [](double V) { return V >= -2147483648.0 && V <= 2147483647.0; };
  switch (Field->DataType()) {
  case ftSmallint: case ftInteger: case ftWord: case ftShortint: case ftByte: case ftAutoInc:
    return Field->AsInteger();
  case ftLargeint: {
    const Int64 V = Field->AsLargeInt();
    return V >= -2147483648LL && V <= 2147483647LL ? Integer(V) : Default;
  }
  case ftFloat: case ftSingle: case ftExtended: case ftCurrency: case ftBCD: case ftFMTBcd: {
    const double V = Field->AsFloat();
    return InRange(V) ? Integer(std::trunc(V)) : Default;
  }
  default:
    return Default;
  }
}

TGridRect GridRectEh(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom)
{
  return TGridRect(ALeft, ATop, ARight, ABottom);
}

Integer MinIntEh(Integer A, Integer B)
{
  return A < B ? A : B;
}

void RaiseInvalidGridOperationEh(const String& Message)
{
  throw EInvalidGridOperationEh(Message);
}

bool IsFieldReadOnlyEh(TField* Field)
{
  if (Field->FieldKind() != fkLookup || Field->KeyFields().isEmpty() || Field->ReadOnly())
    return Field->ReadOnly();
  TDataSet* DS = Field->DataSet();
  if (!DS)
    return true;
  for (TField* Key : DS->GetFieldList(Field->KeyFields()))
    if (!Key->ReadOnly())
      return false;
  return true;
}

TCalendarDateTimeUnitsEh GetBarDateTimeUnitsEh(TAxisBarEh* Bar)
{
  TField* F = Bar->Field();
  auto* DTField = dynamic_cast<TDateTimeField*>(F);
  String Format = Bar->DisplayFormat();
  if (Format.isEmpty() && DTField)
    Format = DTField->DisplayFormat();
  TCalendarDateTimeUnitsEh Units;
  if (!Format.isEmpty()) {
    DateTimeFormatUnitsEh(Format, Units);
    return Units;
  }
  if (dynamic_cast<TDateField*>(F))
    return {cdtuYearEh, cdtuMonthEh, cdtuDayEh};
  if (dynamic_cast<TTimeField*>(F))
    return {cdtuHourEh, cdtuMinuteEh, cdtuSecondEh};
  if (DTField || (F && F->DataType() == ftTimeStamp))
    return {cdtuYearEh, cdtuMonthEh, cdtuDayEh, cdtuHourEh, cdtuMinuteEh, cdtuSecondEh};
  return {};
}

TGridOptionsEh GetGridOptionsEh(TCustomGridEh* Grid)
{
  return Grid->Options();
}

// ---------------------------------------------------------------------------
// The data link.

TAxisGridDataLinkEh::TAxisGridDataLinkEh(TCustomDBAxisGridEh* AGrid) : FGrid(AGrid) {}

TAxisGridDataLinkEh::~TAxisGridDataLinkEh()
{
  ClearMapping();
}

bool TAxisGridDataLinkEh::AddMapping(const String& FieldName)
{
  if (FFieldCount >= MaxFieldMapSize)
    throw EInvalidGridOperationEh(QStringLiteral("Grid requested to display more than 256 columns"));
  TField* Field = FSparseMap ? DataSet()->FindField(FieldName) : DataSet()->FieldByName(FieldName);
  if (FFieldMapSize == FFieldCount) {
    Integer NewSize = FFieldMapSize == 0 ? 8 : std::min<Int64>(Int64(FFieldMapSize) * 2, MaxFieldMapSize);
    NewSize = std::max(NewSize, FFieldCount + 1);
    FFieldMap.resize(std::size_t(NewSize));
    FFieldMapSize = NewSize;
  }
  FFieldMap[std::size_t(FFieldCount)] = Field ? Field->Index() : -1;
  if (Field)
    Field->FreeNotification(FGrid);
  ++FFieldCount;
  return true;
}

void TAxisGridDataLinkEh::ClearMapping()
{
  FFieldMap.clear();
  FFieldMap.shrink_to_fit();
  FFieldMapSize = 0;
  FFieldCount = 0;
}

TField* TAxisGridDataLinkEh::GetFields(Integer I) const
{
  const Integer Index = GetMappedFieldIndex(I);
  if (Index < 0 || !DataSet() || Index >= DataSet()->Fields()->Count())
    return nullptr;
  return DataSet()->Fields()->Fields(Index);
}

Integer TAxisGridDataLinkEh::GetMappedFieldIndex(Integer I) const
{
  return I >= 0 && I < FFieldCount ? FFieldMap[std::size_t(I)] : -1;
}

bool TAxisGridDataLinkEh::DefaultFields() const
{
  if (!DataSet())
    return true;
  if (FSparseMap)
    for (Integer I = 0; I < FFieldCount; ++I)
      if (FFieldMap[std::size_t(I)] < 0)
        return false;
  return DataSet()->DefaultFields();
}

void TAxisGridDataLinkEh::Reset()
{
  if (FModified)
    RecordChanged(nullptr);
  else
    FGrid->CancelEditing();
}

void TAxisGridDataLinkEh::RememberBookmark()
{
  if (Active() && DataSet())
    FLastBookmark = DataSet()->Bookmark();
}

void TAxisGridDataLinkEh::ActiveChanged()
{
  FGrid->LinkActive(Active());
  FModified = false;
  RememberBookmark();
}

void TAxisGridDataLinkEh::DataSetChanged()
{
  FGrid->DataChanged();
  FModified = false;
  RememberBookmark();
}

void TAxisGridDataLinkEh::DataSetScrolled(Integer Distance)
{
  FGrid->Scroll(Distance);
  RememberBookmark();
}

void TAxisGridDataLinkEh::LayoutChanged()
{
  const bool Saved = FGrid->FLayoutFromDataset;
  FGrid->FLayoutFromDataset = true;
  {
    ScopeExit Restore([&] { FGrid->FLayoutFromDataset = Saved; });
    FGrid->LayoutChanged();
  }
  inherited::LayoutChanged();
}

void TAxisGridDataLinkEh::FocusControl(TField*& Field)
{
  if (!Field)
    return;
  FGrid->SetSelectedField(Field);
  if (FGrid->SelectedField() == Field && FGrid->AcquireFocus()) {
    Field = nullptr;
    FGrid->ShowEditor();
  }
}

void TAxisGridDataLinkEh::EditingChanged()
{
  if (DataSet() && DataSet()->State() == dsBrowse)
    FModified = false;
  FGrid->EditingChanged();
}

void TAxisGridDataLinkEh::RecordChanged(TField* Field)
{
  FGrid->RecordChanged(Field);
  FModified = false;
}

void TAxisGridDataLinkEh::UpdateData()
{
  if (FInUpdateData || !Active())
    return;
  FInUpdateData = true;
  ScopeExit Done([&] { FInUpdateData = false; });
  // A write that fails leaves the change pending, so nothing typed is lost.
  if (FModified)
    FGrid->UpdateData();
  FModified = false;
}

void TAxisGridDataLinkEh::CheckBrowseMode()
{
  if (DataSet())
    FLastDataSetState = DataSet()->State();
  inherited::CheckBrowseMode();
}

// ---------------------------------------------------------------------------
// The grid.

TCustomDBAxisGridEh::TCustomDBAxisGridEh(TComponent* AOwner) : TCustomGridEh(AOwner)
{
  FCellPlaceBoxVisibleList = std::make_unique<TCellPlaceBoxVisibleListEh>(this);
  CreateParts();
  FVisibleAxisBars = std::make_unique<TAxisBarsEhList>();
  SetRowCount(2);
  SetColCount(2);
  SetColor(clWindow);
  SetParentColor(false);
  FDynProps = std::make_unique<TDynVarsEh>(this);
  FBorder = std::make_unique<TControlBorderEh>(this);
}

TCustomDBAxisGridEh::~TCustomDBAxisGridEh()
{
  Destroying();
  SetDataSource(nullptr);
  FIntMemTable = nullptr;
  FColCellParamsEh.reset();
  FHotTrackInCellControl = nullptr;
  FMouseDownInCellPlaceBox = nullptr;
  FCellPlaceBoxVisibleList.reset();
  FAxisBars.reset();
  FColumnDefValues.reset();
  FVisibleAxisBars.reset();
  FDataLink.reset();
  FDynProps.reset();
  FBorder.reset();
}

void TCustomDBAxisGridEh::CreateParts()
{
  FAxisBars.reset();
  FColumnDefValues.reset(CreateAxisBarDefValues());
  FAxisBars.reset(CreateAxisBars());
  FDataLink.reset(CreateDataLink());
  FColCellParamsEh.reset(CreateColCellParams());
}

TAxisBarDefValuesEh* TCustomDBAxisGridEh::CreateAxisBarDefValues()
{
  return new TAxisBarDefValuesEh(this);
}

TGridAxisBarsEh* TCustomDBAxisGridEh::CreateAxisBars()
{
  return new TGridAxisBarsEh(this, TAxisBarEh::StaticClass());
}

TAxisColCellParamsEh* TCustomDBAxisGridEh::CreateColCellParams()
{
  return new TAxisColCellParamsEh();
}

TAxisGridDataLinkEh* TCustomDBAxisGridEh::CreateDataLink()
{
  return new TAxisGridDataLinkEh(this);
}

// --- Properties.

void TCustomDBAxisGridEh::SetAllowedOperations(TDBGridEhAllowedOperations Value)
{
  if (Value == FAllowedOperations)
    return;
  FAllowedOperations = Value;
  if (!IsDestroying() && FDataLink)
    FDataLink->LayoutChanged();
}

TDataSource* TCustomDBAxisGridEh::DataSource() const
{
  return FDataLink ? FDataLink->DataSource() : nullptr;
}

void TCustomDBAxisGridEh::SetDataSource(TDataSource* Value)
{
  if (!FDataLink || Value == FDataLink->DataSource())
    return;
  FDataLink->SetDataSource(Value);
  if (Value)
    Value->FreeNotification(this);
}

void TCustomDBAxisGridEh::SetDrawGraphicData(bool Value)
{
  if (Value == FDrawGraphicData)
    return;
  FDrawGraphicData = Value;
  LayoutChanged();
}

void TCustomDBAxisGridEh::SetDrawMemoText(bool Value)
{
  if (Value == FDrawMemoText)
    return;
  FDrawMemoText = Value;
  LayoutChanged();
}

void TCustomDBAxisGridEh::SetReadOnly(bool Value)
{
  if (Value == FReadOnly)
    return;
  FReadOnly = Value;
  Invalidate();
  if (IsLoading())
    return;
  UpdateAxisBarsSizes();
  DataChanged();
}

Integer TCustomDBAxisGridEh::FieldCount() const
{
  return FDataLink->FieldCount();
}

TField* TCustomDBAxisGridEh::Fields(Integer I) const
{
  return FDataLink->GetFields(I);
}

TField* TCustomDBAxisGridEh::SelectedField()
{
  const Integer Index = SelectedIndex();
  if (Index < 0 || Index >= FAxisBars->Count())
    return nullptr;
  return FAxisBars->AxisBar(Index)->Field();
}

void TCustomDBAxisGridEh::SetSelectedField(TField* Value)
{
  if (!Value)
    return;
  for (Integer I = 0; I < FAxisBars->Count(); ++I)
    if (FAxisBars->AxisBar(I)->Field() == Value) {
      SetSelectedIndex(I);
      return;
    }
}

// --- Abstract operations.

TFont* TCustomDBAxisGridEh::GetTitleFont()
{
  throw Exception(QStringLiteral("Write TCustomDBAxisGridEh.GetTitleFont in the inherited class"));
}

void TCustomDBAxisGridEh::SetTitleFont(TFont* Value)
{
  (void)Value;
  throw Exception(QStringLiteral("Write TCustomDBAxisGridEh.SetTitleFont in the inherited class"));
}

void TCustomDBAxisGridEh::SetSelectedIndex(Integer Value)
{
  (void)Value;
  throw Exception(QStringLiteral(" TCustomDBAxisGridEh.SetSelectedIndex must be realized in the inherited class."));
}

String TCustomDBAxisGridEh::GetEditMask(Integer ACol, Integer ARow)
{
  (void)ACol;
  (void)ARow;
  return QStringLiteral("Must be rewrited in the inherited class");
}

String TCustomDBAxisGridEh::GetEditText(Integer ACol, Integer ARow)
{
  (void)ACol;
  (void)ARow;
  return QStringLiteral("Must be rewrited in the inherited class");
}

void TCustomDBAxisGridEh::SetEditText(Integer ACol, Integer ARow, const String& Value)
{
  (void)ACol;
  (void)ARow;
  FEditText = Value;
}

// --- Small operations.

void TCustomDBAxisGridEh::GetBarsPropertyName(String& Name)
{
  Name = QStringLiteral("<Define property Name>");
}

bool TCustomDBAxisGridEh::IsCell3D(Integer ACol, Integer ARow, TGridDrawState State)
{
  (void)ACol;
  (void)ARow;
  return State.Contains(gdFixed);
}

TColor TCustomDBAxisGridEh::GetGrayHighlightColor()
{
  return GrayColorOfEh(clHighlight);
}

bool TCustomDBAxisGridEh::ContainsFocus()
{
  if (!HandleAllocated())
    return false;
  for (TWinControl* C = FindControl(GetFocus()); C; C = C->Parent())
    if (C == this)
      return true;
  return false;
}

bool TCustomDBAxisGridEh::AcquireFocus()
{
  if (!FAcquireFocus || Focused())
    return true;
  if (!CanFocus())
    return false;
  SetFocus();
  return Focused();
}

void TCustomDBAxisGridEh::GridActiveChanged()
{
  Invalidate();
  FSelectionActive = ContainsFocus();
}

void TCustomDBAxisGridEh::EditButtonClick()
{
  if (OnEditButtonClick)
    OnEditButtonClick(this);
}

void TCustomDBAxisGridEh::GetCellParams(TAxisBarEh* AxisBar, TFont* AFont, TColor& Background, TGridDrawState State)
{
  (void)AxisBar;
  (void)AFont;
  (void)Background;
  (void)State;
}

void TCustomDBAxisGridEh::GetBarCurrentCell(TAxisBarEh* AxisBar, Integer& ACol, Integer& ARow)
{
  (void)AxisBar;
  ACol = Col();
  ARow = Row();
}

void TCustomDBAxisGridEh::GetDataSetFieldList(TList* List)
{
  TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
  if (!DS)
    return;
  for (Integer I = 0; I < DS->Fields()->Count(); ++I)
    List->Add(DS->Fields()->Fields(I));
}

void TCustomDBAxisGridEh::FlatChanged()
{
  FInterlinear = Flat() ? 2 : 4;
  // A flat grid draws its own border by default.
  if (FBorder)
    UpdateBorderWindow();
}

void TCustomDBAxisGridEh::InvalidateEditor()
{
  inherited::InvalidateEditor();
}

bool TCustomDBAxisGridEh::InplaceEditorVisible() const
{
  return InplaceEditor() && InplaceEditor()->Visible();
}

void TCustomDBAxisGridEh::ResetTimer(Integer Interval)
{
  if (FTimerActive && Interval != FTimerInterval)
    StopTimer();
  if (!FTimerActive)
    SetGridTimer(true, Interval);
  FTimerInterval = Interval;
  FTimerActive = true;
}

void TCustomDBAxisGridEh::StopTimer()
{
  if (!FTimerActive)
    return;
  SetGridTimer(false, 0);
  FTimerActive = false;
  FTimerInterval = -1;
}

// --- The in-place editor's holder.

bool TCustomDBAxisGridEh::InplaceEditCanModify(TControl* Control)
{
  (void)Control;
  return true;
}

void TCustomDBAxisGridEh::GetMouseDownInfo(TPoint& Pos, LongInt& Time)
{
  Pos = ClientToScreen(FDownMousePos);
  Time = FDownMouseMessageTime;
  FDownMouseMessageTime = 0;
}

void TCustomDBAxisGridEh::InplaceEditWndProc(TControl* Control, TMessage& Message)
{
  (void)Control;
  (void)Message;
}

void TCustomDBAxisGridEh::InplaceEditKeyDown(TControl* Control, Word& Key, TShiftState Shift)
{
  (void)Control;
  (void)Key;
  (void)Shift;
}

void TCustomDBAxisGridEh::InplaceEditKeyPress(TControl* Control, QChar& Key)
{
  (void)Control;
  (void)Key;
}

void TCustomDBAxisGridEh::InplaceEditKeyUp(TControl* Control, Word& Key, TShiftState Shift)
{
  (void)Control;
  (void)Key;
  (void)Shift;
}

void TCustomDBAxisGridEh::InternalSetFocus(TControl* Control)
{
  inherited::InternalSetFocus(dynamic_cast<TWinControl*>(Control));
}

void TCustomDBAxisGridEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  FDownMousePos = TPoint(X, Y);
  FDownMouseMessageTime = Integer(GetTickCount());
  inherited::MouseDown(Button, Shift, X, Y);
}

void TCustomDBAxisGridEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  FMoveMousePos = TPoint(X, Y);
  inherited::MouseMove(Shift, X, Y);
}

// --- Bars and fields.

TAxisBarEh* TCustomDBAxisGridEh::FindFieldColumn(const String& FieldName) const
{
  for (Integer I = 0; I < FAxisBars->Count(); ++I)
    if (AnsiCompareText(FAxisBars->AxisBar(I)->FieldName(), FieldName) == 0)
      return FAxisBars->AxisBar(I);
  return nullptr;
}

TAxisBarEh* TCustomDBAxisGridEh::GetFieldAxisBars(const String& FieldName) const
{
  TAxisBarEh* Bar = FindFieldColumn(FieldName);
  if (!Bar)
    throw EInvalidGridOperationEh(Format(GridLibLanguageConsts()->FieldNameNotFound(), {Variant(FieldName)}));
  return Bar;
}

bool TCustomDBAxisGridEh::ValidFieldIndex(Integer FieldIndex) const
{
  return FDataLink->GetMappedFieldIndex(FieldIndex) >= 0;
}

bool TCustomDBAxisGridEh::DataSetActive() const
{
  return FDataLink->Active() && FDataLink->DataSet() && FDataLink->DataSet()->Active();
}

// --- Layout locks.

void TCustomDBAxisGridEh::BeginUpdateLock()
{
  if (FUpdateLock == 0)
    FLayoutChangedInUpdateLock = false;
  ++FUpdateLock;
}

void TCustomDBAxisGridEh::EndUpdateLock()
{
  if (FUpdateLock > 0)
    --FUpdateLock;
  if (FUpdateLock > 0 || !FLayoutChangedInUpdateLock || IsDestroying())
    return;
  ScopeExit Done([&] { FLayoutChangedInUpdateLock = false; });
  LayoutChanged();
}

void TCustomDBAxisGridEh::BeginLayout()
{
  BeginUpdateLock();
  if (FLayoutLock == 0)
    FAxisBars->BeginUpdate();
  ++FLayoutLock;
}

bool TCustomDBAxisGridEh::AcquireLayoutLock()
{
  if (FUpdateLock != 0 || FLayoutLock != 0)
    return false;
  BeginLayout();
  return true;
}

void TCustomDBAxisGridEh::EndLayout()
{
  if (FLayoutLock == 0)
    return;
  // The locks close whatever the layout does.
  auto Close = [this] {
    if (FLayoutLock == 1) {
      FAxisBars->EndUpdate();
      FLayoutChangedInUpdateLock = false;
    }
    --FLayoutLock;
    EndUpdateLock();
    if (!IsDestroying())
      UpdateBoundaries();
  };
  try {
    if (FLayoutLock == 1)
      InternalLayout();
  } catch (...) {
    try {
      Close();
    } catch (...) {
    }
    throw;
  }
  Close();
}

void TCustomDBAxisGridEh::CancelLayout()
{
  if (FLayoutLock == 0)
    return;
  if (FLayoutLock == 1)
    FAxisBars->EndUpdate();
  --FLayoutLock;
  EndUpdateLock();
}

void TCustomDBAxisGridEh::LayoutChanged()
{
  InvalidatePlaceBoxes();
  if (AcquireLayoutLock())
    EndLayout();
  else if (FUpdateLock > 0)
    FLayoutChangedInUpdateLock = true;
}

void TCustomDBAxisGridEh::PostDeferredLayout()
{
  if (!HandleAllocated())
    return;
  TMsg Msg;
  if (!PeekMessage(Msg, Handle(), WM_DEFERREDLAYOUTEH, WM_DEFERREDLAYOUTEH, PM_NOREMOVE))
    PostMessage(Handle(), WM_DEFERREDLAYOUTEH, WPARAM(GetOpenPopupListbox()), 0);
}

void TCustomDBAxisGridEh::EndLayoutDeferred()
{
  PostDeferredLayout();
  CancelLayout();
  EndUpdateLock();
}

void TCustomDBAxisGridEh::WndProc(TMessage& Message)
{
  if (Message.Msg == WM_DEFERREDLAYOUTEH) {
    // Locks held by someone else stay theirs: only ask again later.
    if (AcquireLayoutLock())
      EndLayout();
    else
      PostDeferredLayout();
    return;
  }
  if (WindowMessage(Message))
    return;
  inherited::WndProc(Message);
}

void TCustomDBAxisGridEh::Loaded()
{
  inherited::Loaded();
  LayoutChanged();
  EndLayoutDeferred();
}

// --- Layout.

void TCustomDBAxisGridEh::InternalLayout()
{
  if (IsLoading() || IsDestroying())
    return;
  if (HandleAllocated())
    RemovePendingMessage(Handle(), WM_DEFERREDLAYOUTEH);
  LockPaint();
  ScopeExit Unlock([&] { UnlockPaint(); });
  DeleteNonStoredBarsAfterStored();
  FDataLink->ClearMapping();
  if (FDataLink->Active())
    DefineFieldMap();
  if (FAxisBars->State() == csCustomized)
    BindAxisBars();
  else
    LayoutDefaultBars();
  FVisibleAxisBars->Clear();
}

// Bars the user added after bars made from the fields replace those.
void TCustomDBAxisGridEh::DeleteNonStoredBarsAfterStored()
{
  bool SeenDefault = false;
  for (Integer I = 0; I < FAxisBars->Count(); ++I) {
    if (!FAxisBars->AxisBar(I)->Stored()) {
      SeenDefault = true;
      continue;
    }
    if (!SeenDefault)
      continue;
    for (Integer J = FAxisBars->Count() - 1; J >= 0; --J)
      if (!FAxisBars->AxisBar(J)->Stored())
        FAxisBars->Delete(J);
    return;
  }
}

bool TCustomDBAxisGridEh::HasFieldInMap(TField* Field) const
{
  for (Integer I = 0; I < FDataLink->FieldCount(); ++I)
    if (FDataLink->GetFields(I) == Field)
      return true;
  return false;
}

void TCustomDBAxisGridEh::LayoutDefaultBars()
{
  if (FDataLink->Active() || !FDataLink->DefaultFields()) {
    for (Integer I = FAxisBars->Count() - 1; I >= 0; --I) {
      TField* F = FAxisBars->AxisBar(I)->Field();
      if (!F || !HasFieldInMap(F))
        FAxisBars->Delete(I);
    }
  } else {
    FAxisBars->Clear();
  }

  if (!FAxisBars->IsDefaultState()) {
    if (!FAxisBars->KeepExistingBars()) {
      FAxisBars->Clear();
      for (Integer I = 0; I < FDataLink->FieldCount(); ++I)
        FAxisBars->AddDefaultBar()->SetField(FDataLink->GetFields(I));
    } else if (FAxisBars->Count() == 0) {
      FAxisBars->AddDefaultBar();
    }
    return;
  }
  Integer N = FDataLink->FieldCount();
  if (N == 0 && FAxisBars->Count() == 0)
    N = 1;
  for (Integer I = 0; I < N; ++I) {
    TField* F = FDataLink->GetFields(I);
    TAxisBarEh* Bar = nullptr;
    if (F) {
      for (Integer J = I; J < FAxisBars->Count() && !Bar; ++J)
        if (FAxisBars->AxisBar(J)->Field() == F)
          Bar = FAxisBars->AxisBar(J);
      if (!Bar) {
        Bar = FAxisBars->AddDefaultBar();
        Bar->SetField(F);
      }
    } else {
      Bar = FAxisBars->AddDefaultBar();
    }
    Bar->SetIndex(I);
  }
}

void TCustomDBAxisGridEh::DefineFieldMap()
{
  if (FAxisBars->State() == csCustomized) {
    FDataLink->SetSparseMap(true);
    for (Integer I = 0; I < FAxisBars->Count(); ++I)
      FDataLink->AddMapping(FAxisBars->AxisBar(I)->FieldName());
    return;
  }
  FDataLink->SetSparseMap(false);
  TFields* DataSetFields = FDataLink->DataSet()->Fields();
  for (Integer I = 0; I < DataSetFields->Count(); ++I)
    if (DataSetFields->Fields(I)->Visible())
      FDataLink->AddMapping(DataSetFields->Fields(I)->FieldName());
}

void TCustomDBAxisGridEh::BindAxisBars()
{
  const bool Bind = FDataLink->Active() || !FDataLink->DefaultFields();
  for (Integer I = 0; I < FAxisBars->Count(); ++I) {
    TAxisBarEh* Bar = FAxisBars->AxisBar(I);
    if (Bind)
      Bar->BindField();
    else
      Bar->SetField(nullptr);
  }
}

// --- Data notifications.

void TCustomDBAxisGridEh::LinkActive(bool Value)
{
  if (IsDestroying())
    return;
  if (!Value)
    HideEditor();
  LayoutChanged();
  if (Value && IsDataEditorMode() && Options().Contains(goAlwaysShowEditorEh))
    ShowEditor();
  if (!IsLoading())
    FAxisBars->ActiveChanged();
}

void TCustomDBAxisGridEh::EditingChanged()
{
  if (IsDestroying() || !DataSource() || !DataSource()->DataSet())
    return;
  TDataSet* DS = DataSource()->DataSet();
  // Only a record posted or cancelled from edit state changed the bars' values.
  if (DS->State() != dsBrowse || FDataLink->LastDataSetState() != dsEdit)
    return;
  for (Integer I = 0; I < FAxisBars->Count(); ++I)
    FAxisBars->AxisBar(I)->RecordDataChanged(nullptr);
}

void TCustomDBAxisGridEh::RecordChanged(TField* Field)
{
  if (!HandleAllocated())
    return;
  if (Field) {
    for (Integer I = 0; I < FAxisBars->Count(); ++I)
      FAxisBars->AxisBar(I)->RecordDataChanged(Field);
    for (Integer I = 0; I < FAxisBars->Count(); ++I)
      if (FAxisBars->AxisBar(I)->Field() == Field)
        InvalidateRow(Row());
  } else {
    Invalidate();
  }
  TField* Selected = SelectedField();
  if (!Selected || (Field && Field != Selected))
    return;
  TAxisBarEh* Bar = FAxisBars->AxisBar(SelectedIndex());
  String Text;
  if (FDrawMemoText && IsMemoType(Selected->DataType())) {
    Text = Selected->AsString();
    Text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    Text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  } else if (Bar->GetBarType() == ctKeyPickList) {
    Text = Bar->DisplayText();
  } else {
    Text = Bar->EditText();
  }
  if (Text == FEditText)
    return;
  InvalidateEditor();
  if (InplaceEditor())
    InplaceEditor()->Deselect();
}

// --- Edit rules.

bool TCustomDBAxisGridEh::CanEditShow()
{
  if (FLayoutLock > 0 || !inherited::CanEditShow())
    return false;
  const Integer Index = SelectedIndex();
  if (Index < 0 || Index >= FAxisBars->Count() || !FDataLink->Active())
    return false;
  return FAxisBars->AxisBar(Index)->ActualTextEditing();
}

bool TCustomDBAxisGridEh::CanEditAcceptKey(QChar Key)
{
  (void)Key;
  const Integer Index = SelectedIndex();
  if (Index < 0 || Index >= FAxisBars->Count())
    return true;
  TAxisBarEh* Bar = FAxisBars->AxisBar(Index);
  bool ReadOnlyStated = false;
  const bool Stated = EditorReadOnlyStated(ReadOnlyStated);
  if (!FDataLink->Active() || !Bar->Field())
    return Stated && !ReadOnlyStated;
  return Stated ? !ReadOnlyStated : true;
}

bool TCustomDBAxisGridEh::EditorReadOnlyStated(bool& ReadOnly)
{
  // Only a visible editor whose state a cell event set has one.
  (void)ReadOnly;
  return false;
}

bool TCustomDBAxisGridEh::CanEditModifyData()
{
  // The grid, the link and the dataset decide before anything that could
  // put the dataset into edit state.
  if (FReadOnly || !FDataLink->Active() || FDataLink->ReadOnly())
    return false;
  const Integer Index = SelectedIndex();
  if (Index < 0 || Index >= FAxisBars->Count())
    return false;
  TAxisBarEh* Bar = FAxisBars->AxisBar(Index);

  bool ReadOnlyStated = false;
  if (EditorReadOnlyStated(ReadOnlyStated)) {
    if (ReadOnlyStated)
      return false;
    if (!FDataLink->Edit())
      return false;
    FDataLink->Modified();
    return true;
  }

  bool Result;
  if (Bar->LookupActiveEh()) {
    Result = Bar->LookupKeyFieldsCanModifyEh();
  } else {
    TField* F = Bar->Field();
    Result = F && FieldCanModifyEh(F) &&
             (!F->IsBlob() || F->OnSetText || (FDrawMemoText && IsMemoType(F->DataType())));
  }
  if (Result && !Bar->ReadOnly() && Bar->TextEditing() && Bar->CanModify(false)) {
    FDataLink->Edit();
    Result = FDataLink->Editing();
    if (Result)
      FDataLink->Modified();
  }
  return Result;
}

bool TCustomDBAxisGridEh::CanEditByAllowedOperations()
{
  if (!FDataLink->Active() || !FDataLink->DataSet())
    return false;
  TDataSet* DS = FDataLink->DataSet();
  return (FAllowedOperations.Contains(alopUpdateEh) || DS->State() == dsInsert) &&
         (!DS->IsEmpty() || FAllowedOperations.Contains(alopInsertEh) || FAllowedOperations.Contains(alopAppendEh));
}

Integer TCustomDBAxisGridEh::GetEditLimit()
{
  const Integer Index = SelectedIndex();
  TField* F = SelectedField();
  if (!F || FAxisBars->AxisBar(Index)->HasKeyList())
    return 0;
  return F->DataType() == ftString || F->DataType() == ftWideString ? F->Size() : 0;
}

// --- Write-back.

void TCustomDBAxisGridEh::UpdateData()
{
  const Integer Index = SelectedIndex();
  if (Index < 0 || Index >= FAxisBars->Count())
    return;
  TAxisBarEh* Bar = FAxisBars->AxisBar(Index);
  if (Bar->LookupActiveEh()) {
    if (Bar->LookupKeyFieldsCanModifyEh()) {
      FDataLink->Edit();
      Bar->UpdateDataValue(FEditText, FEditKeyValue, false);
    }
    return;
  }
  if (!SelectedField()) {
    Bar->UpdateDataValue(FEditText, Variant(FEditText), true);
    return;
  }
  switch (Bar->GetBarType()) {
  case ctPickList:
    if (Bar->OnNotInList && Bar->LocatePickList(FEditText, false) == -1) {
      bool Accept = false;
      Bar->OnNotInList(Bar, FEditText, Accept);
    }
    Bar->UpdateDataValue(FEditText, Variant(FEditText), true);
    return;
  case ctKeyPickList:
    Bar->UpdateDataValue(FEditText, FEditKeyValue, false);
    return;
  default:
    Bar->UpdateDataValue(FEditText, Variant(FEditText), true);
    return;
  }
}

// --- Component removal.

void TCustomDBAxisGridEh::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove || !FAxisBars)
    return;
  for (Integer I = 0; I < FAxisBars->Count(); ++I) {
    TAxisBarEh* Bar = FAxisBars->AxisBar(I);
    if (Bar->FPopupMenu == AComponent)
      Bar->FPopupMenu = nullptr;
    if (Bar->Title()->PopupMenu() == AComponent)
      Bar->Title()->SetPopupMenu(nullptr);
    if (Bar->FImageList == AComponent)
      Bar->FImageList = nullptr;
    if (Bar->DropDownBox()->ListSource() == AComponent)
      Bar->DropDownBox()->SetListSource(nullptr);
  }
  if (FDataLink && AComponent == DataSource())
    SetDataSource(nullptr);
  if (FDataLink)
    FieldRemoved(AComponent);
}

// A field being freed is no longer a TField here: it is known by address
// only, and its dataset is the link's.
void TCustomDBAxisGridEh::FieldRemoved(TComponent* Field)
{
  auto BoundTo = [Field](TAxisBarEh* Bar) { return Bar->FField && static_cast<TComponent*>(Bar->FField) == Field; };
  TDataSet* DS = FDataLink->DataSet();
  bool Relayout = false;
  for (Integer I = 0; I < FAxisBars->Count(); ++I) {
    TAxisBarEh* Bar = FAxisBars->AxisBar(I);
    if (!BoundTo(Bar))
      continue;
    if (DS && DS->ControlsDisabled())
      Bar->FField = nullptr;
    else
      Relayout = true;
  }
  if (!Relayout)
    return;
  BeginLayout();
  for (Integer I = 0; I < FAxisBars->Count(); ++I)
    if (BoundTo(FAxisBars->AxisBar(I)))
      FAxisBars->AxisBar(I)->SetField(nullptr);
  if (!DS || DS->ControlsDisabled())
    EndLayoutDeferred();
  else
    EndLayout();
}
