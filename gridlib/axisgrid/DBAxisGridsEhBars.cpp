// DBAxisGridsEhBars.cpp: the bars of an axis grid: their own values and
// defaults, binding to fields, titles, buttons, the bar collection with its
// stream, and the column defaults.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "platform/gui/Windows.h"
#include "platform/rtl/ScopeExit.h"

#include <cmath>
#include <limits>

namespace {

// The program runs with a Russian locale: text never reads right to left.
bool LocaleIsRightToLeft()
{
  return false;
}

bool SameFont(TFont* A, TFont* B)
{
  return A->Name() == B->Name() && A->Height() == B->Height() && A->Style() == B->Style() &&
         A->Color() == B->Color() && A->Charset() == B->Charset() && A->Pitch() == B->Pitch();
}

// Copies Source into Font without telling Font's listener.
void AssignFontSilently(TFont* Font, TFont* Source)
{
  TNotifyEvent Saved = std::move(Font->OnChange);
  Font->OnChange = nullptr;
  ScopeExit Restore([&] { Font->OnChange = std::move(Saved); });
  Font->Assign(Source);
}

bool IsTextFieldType(TFieldType Type)
{
  switch (Type) {
  case ftString: case ftMemo: case ftFmtMemo: case ftWideString: case ftOraClob: case ftWideMemo:
    return true;
  default:
    return false;
  }
}

// Runs Body inside the grid's layout lock; the lock closes also when Body
// raises, and the first error is the one that reaches the caller.
template <class F>
void WithinLayout(TCustomDBAxisGridEh* Grid, F Body)
{
  if (!Grid) {
    Body();
    return;
  }
  Grid->BeginLayout();
  try {
    Body();
  } catch (...) {
    try {
      Grid->EndLayout();
    } catch (...) {
    }
    throw;
  }
  Grid->EndLayout();
}

} // namespace

// ---------------------------------------------------------------------------
// Titles.

TAxisBarTitleEh::TAxisBarTitleEh(TAxisBarEh* AxisBar) : FAxisBar(AxisBar), FFont(std::make_unique<TFont>())
{
  FFont->Assign(DefaultFont());
  FFont->OnChange = [this](TObject* Sender) { TitleFontChanged(Sender); };
}

TAxisBarTitleEh::~TAxisBarTitleEh() = default;

TPersistent* TAxisBarTitleEh::GetOwner() const
{
  return FAxisBar;
}

bool TAxisBarTitleEh::Assigned(TAxisBarEhValue Value) const
{
  return FAxisBar->FAssignedValues.Contains(Value);
}

void TAxisBarTitleEh::TitleFontChanged(TObject* Sender)
{
  (void)Sender;
  FAxisBar->MarkOwn(cvTitleFont);
  FAxisBar->Changed(true);
}

void TAxisBarTitleEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TAxisBarTitleEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  if (Src->Assigned(cvTitleAlignment))
    SetAlignment(Src->Alignment());
  if (Src->Assigned(cvTitleColor))
    SetColor(Src->Color());
  if (Src->Assigned(cvTitleCaption))
    SetCaption(Src->Caption());
  if (Src->Assigned(cvTitleFont))
    SetFont(Src->Font());
  SetHint(Src->Hint());
  SetOrientation(Src->Orientation());
  SetPopupMenu(Src->PopupMenu());
  SetImageIndex(Src->ImageIndex());
  SetTitleButton(Src->TitleButton());
  SetEndEllipsis(Src->EndEllipsis());
  SetToolTips(Src->ToolTips());
}

TAlignment TAxisBarTitleEh::DefaultAlignment() const
{
  TAxisBarDefValuesEh* D = FAxisBar->GridDefValues();
  return D ? D->Title()->Alignment() : taLeftJustify;
}

String TAxisBarTitleEh::DefaultCaption() const
{
  TField* F = FAxisBar->Field();
  return F ? F->DisplayName() : FAxisBar->FieldName();
}

TColor TAxisBarTitleEh::DefaultColor() const
{
  TAxisBarDefValuesEh* D = FAxisBar->GridDefValues();
  return D ? D->Title()->Color() : clBtnFace;
}

TFont* TAxisBarTitleEh::DefaultFont() const
{
  TCustomDBAxisGridEh* G = FAxisBar->Grid();
  return G ? G->TitleFont() : FAxisBar->Font();
}

bool TAxisBarTitleEh::DefaultTitleButton() const
{
  TAxisBarDefValuesEh* D = FAxisBar->GridDefValues();
  return D && D->Title()->TitleButton();
}

bool TAxisBarTitleEh::DefaultEndEllipsis() const
{
  TAxisBarDefValuesEh* D = FAxisBar->GridDefValues();
  return D && D->Title()->EndEllipsis();
}

bool TAxisBarTitleEh::DefaultToolTips() const
{
  TAxisBarDefValuesEh* D = FAxisBar->GridDefValues();
  return D && D->Title()->ToolTips();
}

TTextOrientationEh TAxisBarTitleEh::DefaultOrientation() const
{
  TAxisBarDefValuesEh* D = FAxisBar->GridDefValues();
  return D ? D->Title()->Orientation() : tohHorizontal;
}

TAlignment TAxisBarTitleEh::Alignment() const
{
  return Assigned(cvTitleAlignment) ? FAlignment : DefaultAlignment();
}

void TAxisBarTitleEh::SetAlignment(TAlignment Value)
{
  if (Assigned(cvTitleAlignment) && Value == FAlignment)
    return;
  FAlignment = Value;
  FAxisBar->MarkOwn(cvTitleAlignment);
  FAxisBar->Changed(false);
}

String TAxisBarTitleEh::Caption() const
{
  return Assigned(cvTitleCaption) ? FCaption : DefaultCaption();
}

void TAxisBarTitleEh::SetCaption(const String& Value)
{
  // A bar made from a field shows the field's label instead of keeping one.
  if (FAxisBar->IsDefaultBar()) {
    if (FAxisBar->GridLinkActive() && FAxisBar->Field())
      FAxisBar->Field()->SetDisplayLabel(Value);
    return;
  }
  if (Assigned(cvTitleCaption) && Value == FCaption)
    return;
  FCaption = Value;
  FAxisBar->MarkOwn(cvTitleCaption);
  FAxisBar->Changed(false);
}

TColor TAxisBarTitleEh::Color() const
{
  return Assigned(cvTitleColor) ? FColor : DefaultColor();
}

void TAxisBarTitleEh::SetColor(TColor Value)
{
  if (Assigned(cvTitleColor) && Value == FColor)
    return;
  FColor = Value;
  FAxisBar->MarkOwn(cvTitleColor);
  FAxisBar->Changed(false);
}

bool TAxisBarTitleEh::EndEllipsis() const
{
  return Assigned(cvTitleEndEllipsis) ? FEndEllipsis : DefaultEndEllipsis();
}

void TAxisBarTitleEh::SetEndEllipsis(bool Value)
{
  if (Assigned(cvTitleEndEllipsis) && Value == FEndEllipsis)
    return;
  FEndEllipsis = Value;
  FAxisBar->MarkOwn(cvTitleEndEllipsis);
  FAxisBar->Changed(false);
}

TFont* TAxisBarTitleEh::Font() const
{
  if (!Assigned(cvTitleFont)) {
    TFont* D = DefaultFont();
    if (D != FFont.get() && !SameFont(FFont.get(), D))
      AssignFontSilently(FFont.get(), D);
  }
  return FFont.get();
}

void TAxisBarTitleEh::SetFont(TFont* Value)
{
  FFont->Assign(Value);
  if (!Assigned(cvTitleFont))
    TitleFontChanged(this);
}

void TAxisBarTitleEh::SetImageIndex(TImageIndex Value)
{
  FImageIndex = Value;
  TCustomDBAxisGridEh* G = FAxisBar->Grid();
  if (G && FAxisBar->Collection()->UpdateCount() == 0)
    G->LayoutChanged();
}

TTextOrientationEh TAxisBarTitleEh::Orientation() const
{
  return Assigned(cvTitleOrientation) ? FOrientation : DefaultOrientation();
}

void TAxisBarTitleEh::SetOrientation(TTextOrientationEh Value)
{
  if (Assigned(cvTitleOrientation) && Value == FOrientation)
    return;
  FOrientation = Value;
  FAxisBar->MarkOwn(cvTitleOrientation);
  FAxisBar->Changed(false);
}

void TAxisBarTitleEh::SetPopupMenu(TPopupMenu* Value)
{
  FPopupMenu = Value;
  if (Value && FAxisBar->Grid())
    Value->FreeNotification(FAxisBar->Grid());
}

bool TAxisBarTitleEh::TitleButton() const
{
  return Assigned(cvTitleButton) ? FTitleButton : DefaultTitleButton();
}

void TAxisBarTitleEh::SetTitleButton(bool Value)
{
  if (Assigned(cvTitleButton) && Value == FTitleButton)
    return;
  FTitleButton = Value;
  FAxisBar->MarkOwn(cvTitleButton);
  FAxisBar->Changed(false);
}

bool TAxisBarTitleEh::ToolTips() const
{
  return Assigned(cvTitleToolTips) ? FToolTips : DefaultToolTips();
}

void TAxisBarTitleEh::SetToolTips(bool Value)
{
  FToolTips = Value;
  FAxisBar->MarkOwn(cvTitleToolTips);
}

void TAxisBarTitleEh::RefreshDefaultFont()
{
  if (Assigned(cvTitleFont))
    return;
  TFont* D = DefaultFont();
  if (D != FFont.get())
    AssignFontSilently(FFont.get(), D);
}

void TAxisBarTitleEh::RestoreDefaults()
{
  const bool FontWasOwn = Assigned(cvTitleFont);
  FAxisBar->FAssignedValues -= {cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont,
                                cvTitleButton, cvTitleEndEllipsis, cvTitleToolTips, cvTitleOrientation};
  FCaption.clear();
  RefreshDefaultFont();
  FAxisBar->Changed(FontWasOwn);
}

bool TAxisBarTitleEh::IsAlignmentStored() const
{
  return Assigned(cvTitleAlignment) && FAlignment != DefaultAlignment();
}

bool TAxisBarTitleEh::IsCaptionStored() const
{
  return Assigned(cvTitleCaption) && FCaption != DefaultCaption();
}

bool TAxisBarTitleEh::IsColorStored() const
{
  return Assigned(cvTitleColor) && FColor != DefaultColor();
}

bool TAxisBarTitleEh::IsEndEllipsisStored() const
{
  return Assigned(cvTitleEndEllipsis) && FEndEllipsis != DefaultEndEllipsis();
}

bool TAxisBarTitleEh::IsFontStored() const
{
  return Assigned(cvTitleFont);
}

bool TAxisBarTitleEh::IsOrientationStored() const
{
  return Assigned(cvTitleOrientation) && FOrientation != DefaultOrientation();
}

bool TAxisBarTitleEh::IsTitleButtonStored() const
{
  return Assigned(cvTitleButton) && FTitleButton != DefaultTitleButton();
}

bool TAxisBarTitleEh::IsToolTipsStored() const
{
  return Assigned(cvTitleToolTips) && FToolTips != DefaultToolTips();
}

// ---------------------------------------------------------------------------
// Edit buttons and cell buttons.

static TAxisBarEh* BarOfButtonCollection(TCollection* Collection)
{
  auto* Buttons = dynamic_cast<TEditButtonsEh*>(Collection);
  return Buttons ? dynamic_cast<TAxisBarEh*>(Buttons->Owner()) : nullptr;
}

TAxisBarEditButtonEh::TAxisBarEditButtonEh(TCollection* Collection)
  : TEditButtonEh(Collection), FAxisBar(BarOfButtonCollection(Collection))
{
  RecreateDropDownFormParams();
}

TAxisBarEditButtonEh::TAxisBarEditButtonEh(TAxisBarEh* AxisBar)
  : TEditButtonEh(static_cast<TWinControl*>(nullptr)), FAxisBar(AxisBar)
{
  RecreateDropDownFormParams();
}

TEditButtonDrawBackTimeEh TAxisBarEditButtonEh::DefaultDrawBackTime() const
{
  return FAxisBar ? FAxisBar->GetEditButtonDrawBackTime() : inherited::DefaultDrawBackTime();
}

bool TAxisBarEditButtonEh::ForwardMouseDownToEditor(Integer, Integer, TObject*, TMouseButton, TShiftState,
                                                    Integer, Integer)
{
  return true;
}

void TAxisBarEditButtonEh::InCellCancelMouse(TObject*) {}
void TAxisBarEditButtonEh::InCellMouseDown(Integer, Integer, TObject*, TMouseButton, TShiftState, Integer,
                                           Integer)
{
}
void TAxisBarEditButtonEh::InCellMouseUp(Integer, Integer, TObject*, TMouseButton, TShiftState, Integer,
                                         Integer)
{
}
void TAxisBarEditButtonEh::InCellMouseMove(Integer, Integer, TObject*, TShiftState, Integer, Integer) {}

TAxisBarVisibleEditButtonEh::TAxisBarVisibleEditButtonEh(TCollection* Collection) : TAxisBarEditButtonEh(Collection)
{
  FShortCut = AltDownShortCutEh;
  FVisible = true;
}

TAxisBarMainEditButtonEh::TAxisBarMainEditButtonEh(TAxisBarEh* AxisBar) : TAxisBarEditButtonEh(AxisBar)
{
  DropDownFormParams()->OnCheckDataIsReadOnly = [this](bool& ReadOnly) {
    FAxisBar->GetInplaceEditorReadOnly(ReadOnly);
  };
}

void TAxisBarMainEditButtonEh::Assign(TPersistent* Source)
{
  inherited::Assign(Source);
  if (auto* Src = dynamic_cast<TAxisBarMainEditButtonEh*>(Source)) {
    FVisibleStored = Src->FVisibleStored;
    FVisible = Src->FVisible;
  }
}

bool TAxisBarMainEditButtonEh::DefaultVisible() const
{
  if (!FAxisBar)
    return false;
  TAxisBarEh* B = FAxisBar;
  if (B->LookupActiveEh())
    return true;
  const TAxisBarEhType Type = B->GetBarType();
  if ((Type == ctPickList || Type == ctKeyPickList) && !B->ReadOnly())
    return true;
  if (Type == ctDataList)
    return true;
  if (TField* F = B->Field()) {
    const TFieldType DT = F->DataType();
    if ((DT == ftDate || DT == ftDateTime || DT == ftTimeStamp) && !B->ReadOnly())
      return true;
  }
  TDropDownFormCallParamsEh* P = const_cast<TAxisBarMainEditButtonEh*>(this)->DropDownFormParams();
  return P && (P->DropDownForm() || !P->DropDownFormClassName().isEmpty());
}

bool TAxisBarMainEditButtonEh::GetVisible() const
{
  return FVisibleStored ? FVisible : DefaultVisible();
}

void TAxisBarMainEditButtonEh::SetVisibleValue(bool Value)
{
  if (FVisibleStored && Value == FVisible)
    return;
  FVisibleStored = true;
  FVisible = Value;
  NotifyChanged();
}

void TAxisBarMainEditButtonEh::SetVisibleStored(bool Value)
{
  if (Value == FVisibleStored)
    return;
  FVisible = DefaultVisible();
  FVisibleStored = Value;
  NotifyChanged();
}

TCellButtonStyleEh TAxisBarMainEditButtonEh::AxisBarButtonStyle() const
{
  if (!FVisibleStored)
    return cbsAuto;
  if (!FVisible)
    return cbsNone;
  switch (Style()) {
  case ebsDropDownEh: return cbsDropDown;
  case ebsEllipsisEh: return cbsEllipsis;
  case ebsUpDownEh: return cbsUpDown;
  case ebsAltDropDownEh: return cbsAltDropDown;
  case ebsAltUpDownEh: return cbsAltUpDown;
  default: return cbsAuto;
  }
}

void TAxisBarMainEditButtonEh::SetAxisBarButtonStyle(TCellButtonStyleEh Value)
{
  if (Value == AxisBarButtonStyle())
    return;
  switch (Value) {
  case cbsAuto:
    SetVisibleStored(false);
    return;
  case cbsNone:
    SetVisible(false);
    SetStyle(ebsDropDownEh);
    return;
  case cbsEllipsis: SetStyle(ebsEllipsisEh); break;
  case cbsUpDown: SetStyle(ebsUpDownEh); break;
  case cbsDropDown: SetStyle(ebsDropDownEh); break;
  case cbsAltUpDown: SetStyle(ebsAltUpDownEh); break;
  case cbsAltDropDown: SetStyle(ebsAltDropDownEh); break;
  }
  SetVisible(true);
}

TAxisBarEditButtonsEh::TAxisBarEditButtonsEh(TAxisBarEh* AxisBar, TClass EditButtonClass)
  : TEditButtonsEh(AxisBar, EditButtonClass)
{
}

TCellButtonEh::TCellButtonEh(TCollection* Collection)
  : TAxisBarVisibleEditButtonEh(Collection), FButtonDrawParams(std::make_unique<TCellButtonDrawParamsEh>()),
    FCellButtonMouseParams(std::make_unique<TCellButtonMouseParamsEh>())
{
}

TCellButtonEh::~TCellButtonEh() = default;

void TCellButtonEh::Assign(TPersistent* Source)
{
  inherited::Assign(Source);
  if (auto* Src = dynamic_cast<TCellButtonEh*>(Source)) {
    FHorzPlacement = Src->FHorzPlacement;
    FPressable = Src->FPressable;
    OnGetEnabledState = Src->OnGetEnabledState;
    OnDraw = Src->OnDraw;
    OnMouseDown = Src->OnMouseDown;
    OnMouseClick = Src->OnMouseClick;
  }
}

void TCellButtonEh::SetHorzPlacement(TEditButtonHorzPlacementEh Value)
{
  if (Value == FHorzPlacement)
    return;
  FHorzPlacement = Value;
  NotifyChanged();
}

bool TCellButtonEh::ForwardMouseDownToEditor(Integer, Integer, TObject*, TMouseButton, TShiftState, Integer,
                                             Integer)
{
  return false;
}

TCellButtonsEh::TCellButtonsEh(TAxisBarEh* AxisBar, TClass CellButtonClass) : TEditButtonsEh(AxisBar, CellButtonClass)
{
}

TCellButtonEh* TCellButtonsEh::GetButtonByShortCut(TShortCut ShortCut) const
{
  for (Integer I = 0; I < Count(); ++I)
    if (Items(I)->ShortCut() == ShortCut)
      return Items(I);
  return nullptr;
}

// ---------------------------------------------------------------------------
// Bars.

TAxisBarEh::TAxisBarEh(TCollection* Collection) : TCollectionItem(Collection)
{
  TCustomDBAxisGridEh* G = Grid();
  FCheckModifyColCellParamsEh.reset(G ? G->CreateColCellParams() : new TAxisColCellParamsEh());
  const bool Bracket = G && GetCollectionUpdateCountEh(Collection) == 0;
  if (Bracket)
    G->BeginLayout();
  FDynProps = std::make_unique<TDynVarsEh>(this);
  FFont = std::make_unique<TFont>();
  FFont->Assign(DefaultFont());
  FFont->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
  FTitle.reset(CreateTitle());
  FEditButton.reset(CreateEditButton());
  FEditButton->OnChanged = [this](TObject*) { Changed(false); };
  FEditButtons.reset(CreateEditButtons());
  FEditButtons->OnChanged = [this](TObject*) { Changed(false); };
  FCellButtons.reset(CreateCellButtons());
  FCellButtons->OnChanged = [this](TObject*) { Changed(false); };
  FDropDownSpecRow = std::make_unique<TSpecRowEh>(this);
  FDropDownSpecRow->OnChanged = [this](TObject* Sender) { DropDownSpecRowChanged(Sender); };
  FDropDownBox = std::make_unique<TColumnDropDownBoxEh>(this);
  FMRUList = std::make_unique<TMRUListEh>(this);
  FLookupParams = CreateLookupParams();
  if (Bracket)
    G->EndLayout();
}

TAxisBarEh::~TAxisBarEh()
{
  // Leave the collection first: the grid must not see a half-freed bar.
  SetCollection(nullptr);
  FreeLookupParamsEh();
  delete FDataListBox;
}

TCustomDBAxisGridEh* TAxisBarEh::Grid() const
{
  auto* Bars = dynamic_cast<TGridAxisBarsEh*>(Collection());
  return Bars ? Bars->Grid() : nullptr;
}

TAxisBarDefValuesEh* TAxisBarEh::GridDefValues() const
{
  TCustomDBAxisGridEh* G = Grid();
  return G ? G->ColumnDefValues() : nullptr;
}

bool TAxisBarEh::GridIsLoading() const
{
  TCustomDBAxisGridEh* G = Grid();
  return G && G->ComponentState().Contains(csLoading);
}

bool TAxisBarEh::GridLinkActive() const
{
  TCustomDBAxisGridEh* G = Grid();
  return G && G->DataLink()->Active();
}

void TAxisBarEh::Changed(bool AllItems)
{
  inherited::Changed(AllItems);
}

TAxisBarTitleEh* TAxisBarEh::CreateTitle()
{
  return new TAxisBarTitleEh(this);
}

TAxisBarMainEditButtonEh* TAxisBarEh::CreateEditButton()
{
  return new TAxisBarMainEditButtonEh(this);
}

TAxisBarEditButtonsEh* TAxisBarEh::CreateEditButtons()
{
  return new TAxisBarEditButtonsEh(this, TAxisBarVisibleEditButtonEh::StaticClass());
}

TCellButtonsEh* TAxisBarEh::CreateCellButtons()
{
  return new TCellButtonsEh(this, TCellButtonEh::StaticClass());
}

TEditButtonEh* TAxisBarEh::CreateEditButtonObject()
{
  return new TAxisBarEditButtonEh(this);
}

void TAxisBarEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TAxisBarEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  TCollection* C = Collection();
  if (C)
    C->BeginUpdate();
  ScopeExit Done([&] {
    if (C)
      C->EndUpdate();
  });
  RestoreDefaults();
  SetFieldName(Src->FieldName());
  if (Src->Own(cvColor))
    SetColor(Src->Color());
  if (Src->Own(cvFont))
    SetFont(Src->Font());
  if (Src->Own(cvAlignment))
    SetAlignment(Src->Alignment());
  if (Src->Own(cvReadOnly))
    SetReadOnly(Src->ReadOnly());
  SetCaseInsensitiveTextSearch(Src->CaseInsensitiveTextSearch());
  AssignLookupParamsEh(Src);
  if (Src->LimitTextToListValuesStored())
    SetLimitTextToListValues(Src->LimitTextToListValues());
  SetTitle(Src->Title());
  SetDropDownRows(Src->DropDownRows());
  SetButtonStyle(Src->ButtonStyle());
  SetPickList(Src->FPickList.get());
  SetPopupMenu(Src->PopupMenu());
  SetWordWrap(Src->WordWrap());
  SetEndEllipsis(Src->EndEllipsis());
  SetDropDownWidth(Src->DropDownWidth());
  if (Src->Own(cvLookupDisplayFields))
    SetLookupDisplayFields(Src->LookupDisplayFields());
  SetAutoDropDown(Src->AutoDropDown());
  SetAlwaysShowEditButton(Src->AlwaysShowEditButton());
  SetKeyList(Src->FKeyList.get());
  if (Src->Own(cvCheckboxes))
    SetCheckboxes(Src->Checkboxes());
  SetIncrement(Src->Increment());
  SetToolTips(Src->ToolTips());
  SetTag(Src->Tag());
  SetVisible(Src->Visible());
  SetImageList(Src->ImageList());
  SetNotInKeyListIndex(Src->NotInKeyListIndex());
  SetDblClickNextVal(Src->DblClickNextVal());
  SetDropDownSizing(Src->DropDownSizing());
  SetDropDownShowTitles(Src->DropDownShowTitles());
  OnNotInList = Src->OnNotInList;
  OnUpdateData = Src->OnUpdateData;
  FEditButton->OnClick = Src->FEditButton->OnClick;
  FEditButton->OnDown = Src->FEditButton->OnDown;
  SetEditButtons(Src->EditButtons());
  // Cell buttons carry the form's handlers; a copied bar must keep them.
  SetCellButtons(Src->CellButtons());
  SetDropDownBox(Src->DropDownBox());
  SetMRUList(Src->MRUList());
  SetDisplayFormat(Src->DisplayFormat());
  SetEditMask(Src->EditMask());
  SetShowImageAndText(Src->ShowImageAndText());
  SetLayout(Src->Layout());
}

String TAxisBarEh::DisplayName() const
{
  return FFieldName.isEmpty() ? inherited::DisplayName() : FFieldName;
}

String TAxisBarEh::GetBarName() const
{
  return QStringLiteral("Column_%1_%2").arg(Index()).arg(FFieldName);
}

void TAxisBarEh::SetIndex(Integer Value)
{
  auto* Bars = dynamic_cast<TGridAxisBarsEh*>(Collection());
  TCustomDBAxisGridEh* G = Grid();
  // While the bars follow the fields, moving a bar moves its field.
  if (Bars && G && Bars->IsDefaultState() && G->DataLink()->Active()) {
    TField* Target = G->DataLink()->GetFields(Value);
    if (Target && Field())
      Field()->SetIndex(Target->Index());
  }
  if (Bars && Value != Index() && Value >= 0 && Value < Bars->Count())
    Bars->ItemRemovingOrMoving(this, 2);
  inherited::SetIndex(Value);
}

void TAxisBarEh::RefreshDefaultFont()
{
  if (Own(cvFont))
    return;
  TFont* D = DefaultFont();
  if (D != FFont.get())
    AssignFontSilently(FFont.get(), D);
}

void TAxisBarEh::SetFontSilently(TFont* Source)
{
  AssignFontSilently(FFont.get(), Source);
}

void TAxisBarEh::RestoreDefaults()
{
  FTitle->RestoreDefaults();
  const bool FontWasOwn = Own(cvFont);
  FAssignedValues = {};
  RefreshDefaultFont();
  FPickList.reset();
  FEditButton->SetAxisBarButtonStyle(cbsAuto);
  Changed(FontWasOwn);
  FKeyList.reset();
}

// --- Values with defaults.

TAlignment TAxisBarEh::DefaultAlignment() const
{
  TField* F = Field();
  return F ? F->Alignment() : taLeftJustify;
}

TAlignment TAxisBarEh::Alignment() const
{
  return Own(cvAlignment) ? FAlignment : DefaultAlignment();
}

void TAxisBarEh::SetAlignment(TAlignment Value)
{
  if (IsDefaultBar()) {
    if (GridLinkActive() && Field())
      Field()->SetAlignment(Value);
    return;
  }
  if (Own(cvAlignment) && Value == FAlignment)
    return;
  FAlignment = Value;
  MarkOwn(cvAlignment);
  Changed(false);
}

void TAxisBarEh::SetAlignmentStored(bool Value)
{
  if (Value == Own(cvAlignment))
    return;
  if (Value) {
    FAlignment = DefaultAlignment();
    MarkOwn(cvAlignment);
  } else {
    FAssignedValues.Exclude(cvAlignment);
  }
  Changed(false);
}

bool TAxisBarEh::AlwaysShowEditButton() const
{
  if (Own(cvAlwaysShowEditButton))
    return FAlwaysShowEditButton;
  TAxisBarDefValuesEh* D = GridDefValues();
  return D && D->AlwaysShowEditButton();
}

void TAxisBarEh::SetAlwaysShowEditButton(bool Value)
{
  if (Own(cvAlwaysShowEditButton) && Value == FAlwaysShowEditButton)
    return;
  FAlwaysShowEditButton = Value;
  MarkOwn(cvAlwaysShowEditButton);
  Changed(false);
}

bool TAxisBarEh::IsAlwaysShowEditButtonStored() const
{
  TAxisBarDefValuesEh* D = GridDefValues();
  return Own(cvAlwaysShowEditButton) && FAlwaysShowEditButton != (D && D->AlwaysShowEditButton());
}

bool TAxisBarEh::AutoDropDown() const
{
  if (Own(cvAutoDropDown))
    return FAutoDropDown;
  TAxisBarDefValuesEh* D = GridDefValues();
  return D && D->AutoDropDown();
}

void TAxisBarEh::SetAutoDropDown(bool Value)
{
  FAutoDropDown = Value;
  MarkOwn(cvAutoDropDown);
}

bool TAxisBarEh::IsAutoDropDownStored() const
{
  TAxisBarDefValuesEh* D = GridDefValues();
  return Own(cvAutoDropDown) && FAutoDropDown != (D && D->AutoDropDown());
}

TBiDiMode TAxisBarEh::BiDiMode() const
{
  // The grid has no reading direction of its own here: left to right.
  return Own(cvBiDiMode) || !Grid() ? FBiDiMode : bdLeftToRight;
}

void TAxisBarEh::SetBiDiMode(TBiDiMode Value)
{
  if (Own(cvBiDiMode) && Value == FBiDiMode)
    return;
  FBiDiMode = Value;
  MarkOwn(cvBiDiMode);
  Changed(false);
}

TCellButtonStyleEh TAxisBarEh::ButtonStyle() const
{
  return FEditButton->AxisBarButtonStyle();
}

void TAxisBarEh::SetButtonStyle(TCellButtonStyleEh Value)
{
  FButtonStyle = Value;
  FEditButton->SetAxisBarButtonStyle(Value);
}

bool TAxisBarEh::Checkboxes() const
{
  if (Own(cvCheckboxes))
    return FCheckboxes;
  TField* F = Field();
  return F && F->DataType() == ftBoolean;
}

void TAxisBarEh::SetCheckboxes(bool Value)
{
  if (Own(cvCheckboxes) && Value == FCheckboxes)
    return;
  FCheckboxes = Value;
  MarkOwn(cvCheckboxes);
  Changed(false);
}

TColor TAxisBarEh::DefaultColor() const
{
  TCustomDBAxisGridEh* G = Grid();
  return G ? G->Color() : clWindow;
}

TColor TAxisBarEh::Color() const
{
  return Own(cvColor) ? FColor : DefaultColor();
}

void TAxisBarEh::SetColor(TColor Value)
{
  if (Own(cvColor) && Value == FColor)
    return;
  FColor = Value;
  MarkOwn(cvColor);
  Changed(false);
}

bool TAxisBarEh::IsColorStored() const
{
  return Own(cvColor) && FColor != DefaultColor();
}

bool TAxisBarEh::DblClickNextVal() const
{
  if (Own(cvDblClickNextVal))
    return FDblClickNextVal;
  TAxisBarDefValuesEh* D = GridDefValues();
  return D && D->DblClickNextVal();
}

void TAxisBarEh::SetDblClickNextVal(bool Value)
{
  FDblClickNextVal = Value;
  MarkOwn(cvDblClickNextVal);
}

bool TAxisBarEh::IsDblClickNextValStored() const
{
  TAxisBarDefValuesEh* D = GridDefValues();
  return Own(cvDblClickNextVal) && FDblClickNextVal != (D && D->DblClickNextVal());
}

bool TAxisBarEh::DropDownShowTitles() const
{
  if (Own(cvDropDownShowTitles))
    return FDropDownShowTitles;
  TAxisBarDefValuesEh* D = GridDefValues();
  return D && D->DropDownShowTitles();
}

void TAxisBarEh::SetDropDownShowTitles(bool Value)
{
  FDropDownShowTitles = Value;
  MarkOwn(cvDropDownShowTitles);
}

bool TAxisBarEh::IsDropDownShowTitlesStored() const
{
  TAxisBarDefValuesEh* D = GridDefValues();
  return Own(cvDropDownShowTitles) && FDropDownShowTitles != (D && D->DropDownShowTitles());
}

bool TAxisBarEh::DropDownSizing() const
{
  if (Own(cvDropDownSizing))
    return FDropDownSizing;
  TAxisBarDefValuesEh* D = GridDefValues();
  return D && D->DropDownSizing();
}

void TAxisBarEh::SetDropDownSizing(bool Value)
{
  FDropDownSizing = Value;
  MarkOwn(cvDropDownSizing);
}

bool TAxisBarEh::IsDropDownSizingStored() const
{
  TAxisBarDefValuesEh* D = GridDefValues();
  return Own(cvDropDownSizing) && FDropDownSizing != (D && D->DropDownSizing());
}

bool TAxisBarEh::EndEllipsis() const
{
  if (Own(cvEndEllipsis))
    return FEndEllipsis;
  TAxisBarDefValuesEh* D = GridDefValues();
  return D && D->EndEllipsis();
}

void TAxisBarEh::SetEndEllipsis(bool Value)
{
  if (Own(cvEndEllipsis) && Value == FEndEllipsis)
    return;
  FEndEllipsis = Value;
  MarkOwn(cvEndEllipsis);
  Changed(false);
}

bool TAxisBarEh::IsEndEllipsisStored() const
{
  TAxisBarDefValuesEh* D = GridDefValues();
  return Own(cvEndEllipsis) && FEndEllipsis != (D && D->EndEllipsis());
}

TFont* TAxisBarEh::DefaultFont() const
{
  TCustomDBAxisGridEh* G = Grid();
  return G ? G->Font() : FFont.get();
}

TFont* TAxisBarEh::Font() const
{
  if (!Own(cvFont)) {
    TFont* D = DefaultFont();
    if (D != FFont.get() && !SameFont(FFont.get(), D))
      AssignFontSilently(FFont.get(), D);
  }
  return FFont.get();
}

void TAxisBarEh::SetFont(TFont* Value)
{
  AssignFontSilently(FFont.get(), Value);
  FontChanged(this);
}

void TAxisBarEh::FontChanged(TObject* Sender)
{
  (void)Sender;
  MarkOwn(cvFont);
  FTitle->RefreshDefaultFont();
  Changed(false);
}

bool TAxisBarEh::HighlightRequired() const
{
  if (Own(cvHighlightRequired))
    return FHighlightRequired;
  TAxisBarDefValuesEh* D = GridDefValues();
  return D && D->HighlightRequired();
}

void TAxisBarEh::SetHighlightRequired(bool Value)
{
  if (Own(cvHighlightRequired) && Value == FHighlightRequired)
    return;
  FHighlightRequired = Value;
  MarkOwn(cvHighlightRequired);
  Changed(false);
}

bool TAxisBarEh::IsHighlightRequiredStored() const
{
  TAxisBarDefValuesEh* D = GridDefValues();
  return Own(cvHighlightRequired) && FHighlightRequired != (D && D->HighlightRequired());
}

TTextLayout TAxisBarEh::Layout() const
{
  if (Own(cvLayout))
    return FLayout;
  TAxisBarDefValuesEh* D = GridDefValues();
  return D ? D->Layout() : tlTop;
}

void TAxisBarEh::SetLayout(TTextLayout Value)
{
  if (Own(cvLayout) && Value == FLayout)
    return;
  FLayout = Value;
  MarkOwn(cvLayout);
  Changed(false);
}

bool TAxisBarEh::IsLayoutStored() const
{
  TAxisBarDefValuesEh* D = GridDefValues();
  return Own(cvLayout) && FLayout != (D ? D->Layout() : tlTop);
}

String TAxisBarEh::LookupDisplayFields() const
{
  return Own(cvLookupDisplayFields) ? FLookupDisplayFields : LookupDisplayFieldNameEh();
}

void TAxisBarEh::SetLookupDisplayFields(const String& Value)
{
  if (Own(cvLookupDisplayFields) || Value != LookupDisplayFieldNameEh()) {
    FLookupDisplayFields = Value;
    MarkOwn(cvLookupDisplayFields);
  }
  Changed(false);
}

bool TAxisBarEh::IsLookupDisplayFieldsStored() const
{
  return Own(cvLookupDisplayFields) && FLookupDisplayFields != LookupDisplayFieldNameEh();
}

bool TAxisBarEh::DefaultReadOnly() const
{
  TCustomDBAxisGridEh* G = Grid();
  TField* F = Field();
  return (G && G->ReadOnly()) || (F && F->ReadOnly());
}

bool TAxisBarEh::ReadOnly() const
{
  return Own(cvReadOnly) ? FReadonly : DefaultReadOnly();
}

void TAxisBarEh::SetReadOnly(bool Value)
{
  if (IsDefaultBar() && GridLinkActive() && Field()) {
    Field()->SetReadOnly(Value);
    return;
  }
  if (Own(cvReadOnly) && Value == FReadonly)
    return;
  FReadonly = Value;
  MarkOwn(cvReadOnly);
  Changed(false);
}

bool TAxisBarEh::IsReadOnlyStored() const
{
  return Own(cvReadOnly) && FReadonly != DefaultReadOnly();
}

static bool DefaultTextEditingOf(const TAxisBarEh* Bar)
{
  const TAxisBarEhType T = Bar->GetBarType();
  return T != ctKeyImageList && T != ctCheckboxes && T != ctGraphicData;
}

bool TAxisBarEh::TextEditing() const
{
  return Own(cvTextEditing) ? FTextEditing : DefaultTextEditingOf(this);
}

void TAxisBarEh::SetTextEditing(bool Value)
{
  if (Own(cvTextEditing) || Value != DefaultTextEditingOf(this) || GridIsLoading()) {
    FTextEditing = Value;
    MarkOwn(cvTextEditing);
  }
  Changed(false);
}

bool TAxisBarEh::IsTextEditingStored() const
{
  return Own(cvTextEditing) && FTextEditing != DefaultTextEditingOf(this);
}

bool TAxisBarEh::ToolTips() const
{
  if (Own(cvToolTips))
    return FToolTips;
  TAxisBarDefValuesEh* D = GridDefValues();
  return D && D->ToolTips();
}

void TAxisBarEh::SetToolTips(bool Value)
{
  FToolTips = Value;
  MarkOwn(cvToolTips);
}

bool TAxisBarEh::IsToolTipsStored() const
{
  TAxisBarDefValuesEh* D = GridDefValues();
  return Own(cvToolTips) && FToolTips != (D && D->ToolTips());
}

bool TAxisBarEh::WordWrap() const
{
  if (Own(cvWordWrap))
    return FWordWrap;
  TField* F = Field();
  return Grid() && F && IsTextFieldType(F->DataType());
}

void TAxisBarEh::SetWordWrap(bool Value)
{
  const bool Old = WordWrap();
  FWordWrap = Value;
  MarkOwn(cvWordWrap);
  if (Old != Value)
    Changed(false);
}

static bool DefaultLimitTextToListValuesOf(const TAxisBarEh* Bar)
{
  const TAxisBarEhType T = Bar->GetBarType();
  return (T == ctLookupField || T == ctKeyPickList) && !Bar->OnNotInList;
}

bool TAxisBarEh::LimitTextToListValues() const
{
  return FLimitTextToListValuesStored ? FLimitTextToListValues : DefaultLimitTextToListValuesOf(this);
}

void TAxisBarEh::SetLimitTextToListValues(bool Value)
{
  if (FLimitTextToListValuesStored && Value == FLimitTextToListValues)
    return;
  FLimitTextToListValuesStored = true;
  FLimitTextToListValues = Value;
}

void TAxisBarEh::SetLimitTextToListValuesStored(bool Value)
{
  if (Value == FLimitTextToListValuesStored)
    return;
  FLimitTextToListValuesStored = Value;
  FLimitTextToListValues = DefaultLimitTextToListValuesOf(this);
}

bool TAxisBarEh::IsEditButtonStored() const
{
  return FEditButton->VisibleStored();
}

// --- Plain values.

void TAxisBarEh::SetDisplayFormat(const String& Value)
{
  if (Value == FDisplayFormat)
    return;
  FDisplayFormat = Value;
  Changed(false);
}

void TAxisBarEh::SetEditMask(const String& Value)
{
  if (Value == FEditMask)
    return;
  FEditMask = Value;
  Changed(false);
}

void TAxisBarEh::SetDropDownWidth(Integer Value)
{
  if (Value == FDropDownWidth)
    return;
  FDropDownWidth = Value;
  Changed(false);
}

void TAxisBarEh::SetFieldName(const String& Value)
{
  if (Value == FFieldName)
    return;
  FFieldName = Value;
  BindField();
}

void TAxisBarEh::SetNotInKeyListIndex(Integer Value)
{
  if (Value == FNotInKeyListIndex)
    return;
  FNotInKeyListIndex = Value;
  if (TCustomDBAxisGridEh* G = Grid())
    G->Invalidate();
}

void TAxisBarEh::SetShowImageAndText(bool Value)
{
  if (Value == FShowImageAndText)
    return;
  FShowImageAndText = Value;
  Changed(false);
}

void TAxisBarEh::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  Changed(true);
}

TStrings* TAxisBarEh::KeyList() const
{
  if (!FKeyList) {
    FKeyList = std::make_unique<TStringList>();
    FKeyList->SetCaseSensitive(true);
  }
  return FKeyList.get();
}

void TAxisBarEh::SetKeyList(TStrings* Value)
{
  if (!Value) {
    FKeyList.reset();
    return;
  }
  KeyList()->Assign(Value);
  if (TCustomDBAxisGridEh* G = Grid())
    G->Invalidate();
}

TStrings* TAxisBarEh::PickList() const
{
  if (!FPickList)
    FPickList = std::make_unique<TStringList>();
  return FPickList.get();
}

void TAxisBarEh::SetPickList(TStrings* Value)
{
  if (!Value) {
    FPickList.reset();
    return;
  }
  PickList()->Assign(Value);
}

void TAxisBarEh::SetImageList(TCustomImageList* Value)
{
  if (Value == FImageList)
    return;
  FImageList = Value;
  TCustomDBAxisGridEh* G = Grid();
  if (!G)
    return;
  if (Value)
    Value->FreeNotification(G);
  G->Invalidate();
}

void TAxisBarEh::SetPopupMenu(TPopupMenu* Value)
{
  FPopupMenu = Value;
  if (Value && Grid())
    Value->FreeNotification(Grid());
}

// --- Binding.

void TAxisBarEh::BindField()
{
  TField* Found = nullptr;
  TCustomDBAxisGridEh* G = Grid();
  if (G && G->DataLink()->DataSet() && !GridIsLoading() && !FFieldName.isEmpty())
    Found = G->DataLink()->DataSet()->FindField(FFieldName);
  SetField(Found);
}

void TAxisBarEh::SetField(TField* Value)
{
  if (Value == FField)
    return;
  FField = Value;
  if (Value) {
    FFieldName = Value->FieldName();
    // The bar holds the field until the field goes away.
    if (TCustomDBAxisGridEh* G = Grid())
      Value->FreeNotification(G);
    UpdateLookupStateEh();
  } else if (FFieldName.isEmpty()) {
    UpdateLookupStateEh();
  }
  if (IsDefaultBar()) {
    if (!Value)
      FFieldName.clear();
    RestoreDefaults();
  }
  Changed(false);
}

TField* TAxisBarEh::GetField() const
{
  if (FField)
    return FField;
  TCustomDBAxisGridEh* G = Grid();
  if (!G || FFieldName.isEmpty())
    return nullptr;
  TDataSet* DS = G->DataLink()->DataSet();
  if (!DS || (!DS->Active() && DS->DefaultFields()))
    return nullptr;
  TField* F = DS->FindField(FFieldName);
  if (F && F != FField) {
    FField = F;
    F->FreeNotification(G);
    auto* Self = const_cast<TAxisBarEh*>(this);
    Self->FFieldName = F->FieldName();
    Self->UpdateLookupStateEh();
  }
  return FField;
}

void TAxisBarEh::LookupStateChanged()
{
  if (TCustomDBAxisGridEh* G = Grid())
    G->BarLookupStateChanged(this);
}

void TAxisBarEh::SetTextArea(TRect& ARect)
{
  (void)ARect;
  throw Exception(QStringLiteral(" TAxisBarEh.SetTextArea must be realized in the inherited class."));
}

TAxisBarEhType TAxisBarEh::GetBarType() const
{
  if (Checkboxes())
    return ctCheckboxes;
  if (LookupIsSetUpEh())
    return ctLookupField;
  if (FDropDownBox->ListSource())
    return ctDataList;
  TField* F = Field();
  TCustomDBAxisGridEh* G = Grid();
  if (auto* Blob = dynamic_cast<TBlobField*>(F); Blob && Blob->BlobType() == ftGraphic && G && G->DrawGraphicData())
    return ctGraphicData;
  if (HasPickList() && !HasKeyList())
    return ctPickList;
  if (FImageList && !FShowImageAndText)
    return ctKeyImageList;
  if (HasKeyList() && HasPickList())
    return ctKeyPickList;
  return ctCommon;
}

// --- Sizes.

Integer TAxisBarEh::EditButtonWidth(TEditButtonEh* Button) const
{
  if (Button->Width() != 0)
    return Button->Width();
  TCustomDBAxisGridEh* G = Grid();
  if (G && G->Flat())
    return EditorsFlatButtonWidthEh() + (StyleThemesEnabledEh() ? 0 : 1);
  return GetSystemMetrics(SM_CXVSCROLL);
}

Integer TAxisBarEh::GetMainEditButtonWidth() const
{
  return EditButtonWidth(FEditButton.get());
}

Integer TAxisBarEh::EditButtonsWidth() const
{
  Integer Result = FEditButton->Visible() ? GetMainEditButtonWidth() : 0;
  TCustomDBAxisGridEh* G = Grid();
  const Integer Extra = (G && G->Flat() && !StyleThemesEnabledEh()) ? 1 : 0;
  for (Integer I = 0; I < FEditButtons->Count(); ++I)
    if (FEditButtons->Items(I)->Visible())
      Result += EditButtonWidth(FEditButtons->Items(I)) + Extra;
  return Result;
}

static Integer CellButtonsWidth(const TAxisBarEh* Bar, TEditButtonHorzPlacementEh Placement)
{
  Integer Result = 0;
  TCellButtonsEh* Buttons = Bar->CellButtons();
  for (Integer I = 0; I < Buttons->Count(); ++I) {
    TCellButtonEh* B = Buttons->Items(I);
    if (B->Visible() && B->HorzPlacement() == Placement)
      Result += Bar->EditButtonWidth(B);
  }
  return Result;
}

Integer TAxisBarEh::GetCellEditorLeftMargin() const
{
  return CellButtonsWidth(this, ebhpLeftEh);
}

Integer TAxisBarEh::GetCellEditorRightMargin() const
{
  return CellButtonsWidth(this, ebhpRightEh);
}

Integer TAxisBarEh::CalcInplaceEditorButtonHeight()
{
  TCustomDBAxisGridEh* G = Grid();
  const Integer GridHeight = G ? G->InplaceEditorButtonHeight() : 0;
  std::vector<Integer> Widths{FEditButton->Width()};
  for (Integer I = 0; I < FEditButtons->Count(); ++I)
    Widths.push_back(FEditButtons->Items(I)->Width());
  if (std::all_of(Widths.begin(), Widths.end(), [](Integer W) { return W == 0; }))
    return GridHeight;
  // The smallest candidate wins; a button without a width gives 0.
  Integer Smallest = std::numeric_limits<Integer>::max();
  for (Integer W : Widths)
    Smallest = std::min(Smallest, W == 0 ? 0 : Integer(std::lround(W * 3 / 2.0)));
  if (Smallest < GridHeight)
    return GridHeight;
  return G ? std::min(Smallest, G->DefaultRowHeight()) : Smallest;
}

Integer TAxisBarEh::GetCellHeight(Integer Row) const
{
  TCustomDBAxisGridEh* G = Grid();
  return G ? G->RowHeights(Row) : 0;
}

bool TAxisBarEh::CurLineWordWrap(Integer RowHeight)
{
  TCustomDBAxisGridEh* G = Grid();
  if (!WordWrap() || !G)
    return false;
  TCanvas* C = G->Canvas();
  TFont Saved;
  Saved.Assign(C->Font());
  C->Font()->Assign(Font());
  const Integer TextHeight = C->TextHeight(QStringLiteral("Wg"));
  C->Font()->Assign(&Saved);
  return G->Interlinear() + TextHeight < RowHeight;
}

bool TAxisBarEh::IsDrawEditButton(Integer ACol, Integer ARow) const
{
  (void)ACol;
  (void)ARow;
  return AlwaysShowEditButton();
}

TEditButtonDrawBackTimeEh TAxisBarEh::GetEditButtonDrawBackTime() const
{
  TAxisBarDefValuesEh* D = GridDefValues();
  return D ? D->EditButtonDrawBackTime() : edbtAlwaysEh;
}

// --- Reading direction.

bool TAxisBarEh::UseRightToLeftReading() const
{
  return LocaleIsRightToLeft() && BiDiMode() != bdLeftToRight;
}

Integer TAxisBarEh::DrawTextBiDiModeFlagsReadingOnly() const
{
  return UseRightToLeftReading() ? Integer(DT_RTLREADING) : 0;
}

bool TAxisBarEh::UseRightToLeftAlignment() const
{
  return LocaleIsRightToLeft() && BiDiMode() == bdRightToLeft;
}

bool TAxisBarEh::UseRightToLeftScrollBar() const
{
  return LocaleIsRightToLeft() && (BiDiMode() == bdRightToLeft || BiDiMode() == bdRightToLeftNoAlign);
}

// ---------------------------------------------------------------------------
// The bar collection.

Integer GetCollectionUpdateCountEh(TCollection* Collection)
{
  return Collection ? Collection->UpdateCount() : 0;
}

TGridAxisBarsEh::TGridAxisBarsEh(TCustomDBAxisGridEh* Grid, TClass AxisBarClass)
  : TCollection(AxisBarClass), FGrid(Grid)
{
}

TPersistent* TGridAxisBarsEh::GetOwner() const
{
  if (FGrid && FGrid->AxisBarOwner())
    return FGrid->AxisBarOwner();
  return FGrid;
}

TAxisBarEh* TGridAxisBarsEh::AddDefaultBar()
{
  TAxisBarEh* Bar = Add();
  Bar->FStored = false;
  return Bar;
}

TDBGridColumnsState TGridAxisBarsEh::State() const
{
  return Count() > 0 && AxisBar(0)->FStored ? csCustomized : csDefault;
}

void TGridAxisBarsEh::SetState(TDBGridColumnsState Value)
{
  if (Value == State())
    return;
  if (Value == csCustomized)
    RebuildBars();
  else
    Clear();
}

void TGridAxisBarsEh::Assign(TPersistent* Source)
{
  WithinLayout(FGrid, [&] { inherited::Assign(Source); });
}

void TGridAxisBarsEh::AddAllBars(bool DeleteExisting)
{
  TDataSet* DS = FGrid && FGrid->DataSource() ? FGrid->DataSource()->DataSet() : nullptr;
  if (!DS) {
    if (DeleteExisting)
      Clear();
    return;
  }
  WithinLayout(FGrid, [&] {
    if (DeleteExisting)
      Clear();
    TList Fields;
    FGrid->GetDataSetFieldList(&Fields);
    for (Integer I = 0; I < Fields.Count(); ++I)
      Add()->SetFieldName(static_cast<TField*>(Fields.Items(I))->FieldName());
  });
}

void TGridAxisBarsEh::RestoreDefaults()
{
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  for (Integer I = 0; I < Count(); ++I)
    AxisBar(I)->RestoreDefaults();
}

void TGridAxisBarsEh::ActiveChanged()
{
  for (Integer I = 0; I < Count(); ++I)
    AxisBar(I)->UpdateLookupStateEh();
}

TAxisBarEh* TGridAxisBarsEh::FindBarByName(const String& ColumnName) const
{
  for (Integer I = 0; I < Count(); ++I)
    if (AxisBar(I)->GetBarName() == ColumnName)
      return AxisBar(I);
  return nullptr;
}

void TGridAxisBarsEh::GetBarNames(TStrings* List) const
{
  for (Integer I = 0; I < Count(); ++I)
    List->Add(AxisBar(I)->GetBarName());
}

bool TGridAxisBarsEh::CheckItemInList(TAxisBarEh* AxisBar) const
{
  for (Integer I = 0; I < Count(); ++I)
    if (Items(I) == AxisBar)
      return true;
  return false;
}

void TGridAxisBarsEh::Notify(TCollectionItem* Item, TCollectionNotification Action)
{
  auto* Bar = static_cast<TAxisBarEh*>(Item);
  if (Action == cnDeleting) {
    if (FGrid)
      FGrid->AxisBarDeleting(Bar);
    ItemRemovingOrMoving(Bar, 1);
  } else if (Action == cnExtracting) {
    ItemRemovingOrMoving(Bar, 0);
  }
  inherited::Notify(Item, Action);
}

void TGridAxisBarsEh::SaveToStream(TStream* S)
{
  TColumnsWrapper Wrapper(nullptr);
  Wrapper.SetAxisBars(this);
  S->WriteComponent(&Wrapper);
}

void TGridAxisBarsEh::SaveToFile(const String& FileName)
{
  TFileStream S(FileName, fmCreate);
  SaveToStream(&S);
}

void TGridAxisBarsEh::LoadFromStream(TStream* S)
{
  std::unique_ptr<TGridAxisBarsEh> Loaded(FGrid ? FGrid->CreateAxisBars()
                                                : new TGridAxisBarsEh(nullptr, ItemClass()));
  TColumnsWrapper Wrapper(nullptr);
  Wrapper.SetAxisBars(Loaded.get());
  // The bars read into the spare collection must not lay out the grid.
  Loaded->BeginUpdate();
  S->ReadComponent(&Wrapper);
  Loaded->EndUpdate();
  Assign(Loaded.get());
}

void TGridAxisBarsEh::LoadFromFile(const String& FileName)
{
  TFileStream S(FileName, fmOpenRead);
  LoadFromStream(&S);
}

// ---------------------------------------------------------------------------
// Column defaults.

TPersistent* TAxisBarCaptionDefValuesEh::GetOwner() const
{
  return FColumnDefValues;
}

TCustomDBAxisGridEh* TAxisBarCaptionDefValuesEh::Grid() const
{
  return FColumnDefValues ? FColumnDefValues->Grid() : nullptr;
}

void TAxisBarCaptionDefValuesEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TAxisBarCaptionDefValuesEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  if (Src->FAssignedValues.Contains(cvdpTitleAlignmentEh))
    SetAlignment(Src->Alignment());
  if (Src->FAssignedValues.Contains(cvdpTitleColorEh))
    SetColor(Src->Color());
  SetEndEllipsis(Src->EndEllipsis());
  SetTitleButton(Src->TitleButton());
  SetToolTips(Src->ToolTips());
  SetOrientation(Src->Orientation());
}

TAlignment TAxisBarCaptionDefValuesEh::Alignment() const
{
  if (FAssignedValues.Contains(cvdpTitleAlignmentEh))
    return FAlignment;
  TCustomDBAxisGridEh* G = Grid();
  return G ? G->DefaultTitleAlignment() : taLeftJustify;
}

void TAxisBarCaptionDefValuesEh::SetAlignment(TAlignment Value)
{
  if (FAssignedValues.Contains(cvdpTitleAlignmentEh) && Value == FAlignment)
    return;
  FAlignment = Value;
  FAssignedValues.Include(cvdpTitleAlignmentEh);
  if (TCustomDBAxisGridEh* G = Grid())
    G->LayoutChanged();
}

bool TAxisBarCaptionDefValuesEh::IsAlignmentStored() const
{
  TCustomDBAxisGridEh* G = Grid();
  return FAssignedValues.Contains(cvdpTitleAlignmentEh) && (!G || FAlignment != G->DefaultTitleAlignment());
}

TColor TAxisBarCaptionDefValuesEh::Color() const
{
  if (FAssignedValues.Contains(cvdpTitleColorEh))
    return FColor;
  TCustomDBAxisGridEh* G = Grid();
  return G ? G->DefaultTitleColor() : clBtnFace;
}

void TAxisBarCaptionDefValuesEh::SetColor(TColor Value)
{
  if (FAssignedValues.Contains(cvdpTitleColorEh) && Value == FColor)
    return;
  FColor = Value;
  FAssignedValues.Include(cvdpTitleColorEh);
  if (TCustomDBAxisGridEh* G = Grid())
    G->Invalidate();
}

bool TAxisBarCaptionDefValuesEh::IsColorStored() const
{
  TCustomDBAxisGridEh* G = Grid();
  return FAssignedValues.Contains(cvdpTitleColorEh) && (!G || FColor != G->DefaultTitleColor());
}

void TAxisBarCaptionDefValuesEh::SetEndEllipsis(bool Value)
{
  if (Value == FEndEllipsis)
    return;
  FEndEllipsis = Value;
  if (TCustomDBAxisGridEh* G = Grid())
    G->Invalidate();
}

void TAxisBarCaptionDefValuesEh::SetOrientation(TTextOrientationEh Value)
{
  if (Value == FOrientation)
    return;
  FOrientation = Value;
  if (TCustomDBAxisGridEh* G = Grid())
    G->LayoutChanged();
}

void TColumnFooterDefValuesEh::Assign(TPersistent* Source)
{
  if (auto* Src = dynamic_cast<TColumnFooterDefValuesEh*>(Source)) {
    FToolTips = Src->FToolTips;
    return;
  }
  TPersistent::Assign(Source);
}

TAxisBarDefValuesEh::TAxisBarDefValuesEh(TCustomDBAxisGridEh* Grid) : FGrid(Grid)
{
  InitTitle();
}

TAxisBarDefValuesEh::~TAxisBarDefValuesEh() = default;

TPersistent* TAxisBarDefValuesEh::GetOwner() const
{
  return FGrid;
}

TAxisBarCaptionDefValuesEh* TAxisBarDefValuesEh::CreateTitleDefValues()
{
  return new TAxisBarCaptionDefValuesEh(this);
}

void TAxisBarDefValuesEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TAxisBarDefValuesEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  SetTitle(Src->Title());
  SetAlwaysShowEditButton(Src->AlwaysShowEditButton());
  SetEndEllipsis(Src->EndEllipsis());
  FAutoDropDown = Src->FAutoDropDown;
  FDblClickNextVal = Src->FDblClickNextVal;
  FToolTips = Src->FToolTips;
  FDropDownSizing = Src->FDropDownSizing;
  FDropDownShowTitles = Src->FDropDownShowTitles;
}

void TAxisBarDefValuesEh::RepaintGrid()
{
  if (FGrid)
    FGrid->Invalidate();
}

void TAxisBarDefValuesEh::SetAlwaysShowEditButton(bool Value)
{
  if (Value == FAlwaysShowEditButton)
    return;
  FAlwaysShowEditButton = Value;
  RepaintGrid();
}

void TAxisBarDefValuesEh::SetEditButtonDrawBackTime(TEditButtonDrawBackTimeEh Value)
{
  if (Value == FEditButtonDrawBackTime)
    return;
  FEditButtonDrawBackTime = Value;
  RepaintGrid();
}

void TAxisBarDefValuesEh::SetEndEllipsis(bool Value)
{
  if (Value == FEndEllipsis)
    return;
  FEndEllipsis = Value;
  RepaintGrid();
}

void TAxisBarDefValuesEh::SetHighlightRequired(bool Value)
{
  if (Value == FHighlightRequired)
    return;
  FHighlightRequired = Value;
  RepaintGrid();
}

void TAxisBarDefValuesEh::SetLayout(TTextLayout Value)
{
  if (Value == FLayout)
    return;
  FLayout = Value;
  RepaintGrid();
}

// ---------------------------------------------------------------------------
// Published properties.

void TCustomDBAxisGridEh::RegisterClass()
{
  RegisterEnum<TDBGridEhAllowedOperation>("TDBGridEhAllowedOperation",
                                          {"alopInsertEh", "alopUpdateEh", "alopDeleteEh", "alopAppendEh"});
  RegisterEnum<TIncludeImageModuleEh>("TIncludeImageModuleEh",
                                      {"iimJpegImageModuleEh", "iimGIFImageModuleEh", "iimPNGImageModuleEh"});
  RegisterClassInfo<TCustomDBAxisGridEh, TCustomGridEh>("TCustomDBAxisGridEh")
    .Property("AllowedOperations", &TCustomDBAxisGridEh::AllowedOperations,
              &TCustomDBAxisGridEh::SetAllowedOperations,
              TDBGridEhAllowedOperations{alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh})
    .Property("Border", &TCustomDBAxisGridEh::Border, &TCustomDBAxisGridEh::SetBorder)
    .Property("DataSource", &TCustomDBAxisGridEh::DataSource, &TCustomDBAxisGridEh::SetDataSource)
    .Property("DefaultDrawing", &TCustomDBAxisGridEh::DefaultDrawing, &TCustomDBAxisGridEh::SetDefaultDrawing, true)
    .Property("DrawGraphicData", &TCustomDBAxisGridEh::DrawGraphicData, &TCustomDBAxisGridEh::SetDrawGraphicData,
              false)
    .Property("DrawMemoText", &TCustomDBAxisGridEh::DrawMemoText, &TCustomDBAxisGridEh::SetDrawMemoText, false)
    .Property("DynProps", &TCustomDBAxisGridEh::DynProps, &TCustomDBAxisGridEh::SetDynProps)
    .Property("IncludeImageModules", &TCustomDBAxisGridEh::IncludeImageModules,
              &TCustomDBAxisGridEh::SetIncludeImageModules, TIncludeImageModulesEh{})
    .Property("ReadOnly", &TCustomDBAxisGridEh::ReadOnly, &TCustomDBAxisGridEh::SetReadOnly, false)
    .Event("OnEditButtonClick", &TCustomDBAxisGridEh::OnEditButtonClick);
}

void RegisterDBAxisGridsEhClasses()
{
  RegisterEnum<TCellButtonStyleEh>("TCellButtonStyleEh", {"cbsAuto", "cbsEllipsis", "cbsNone", "cbsUpDown",
                                                          "cbsDropDown", "cbsAltUpDown", "cbsAltDropDown"});
  RegisterEnum<TEditButtonHorzPlacementEh>("TEditButtonHorzPlacementEh", {"ebhpLeftEh", "ebhpRightEh"});
  RegisterEnum<TBiDiMode>("TBiDiMode",
                          {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"});
  RegisterEnum<TTextOrientationEh>("TTextOrientationEh", {"tohHorizontal", "tohVertical"});

  RegisterClassInfo<TAxisBarTitleEh, TPersistent>("TAxisBarTitleEh")
    .Property("Alignment", &TAxisBarTitleEh::Alignment, &TAxisBarTitleEh::SetAlignment)
    .Stored(&TAxisBarTitleEh::IsAlignmentStored)
    .Property("Caption", &TAxisBarTitleEh::Caption, &TAxisBarTitleEh::SetCaption)
    .Stored(&TAxisBarTitleEh::IsCaptionStored)
    .Property("Color", &TAxisBarTitleEh::Color, &TAxisBarTitleEh::SetColor)
    .Stored(&TAxisBarTitleEh::IsColorStored)
    .Property("EndEllipsis", &TAxisBarTitleEh::EndEllipsis, &TAxisBarTitleEh::SetEndEllipsis)
    .Stored(&TAxisBarTitleEh::IsEndEllipsisStored)
    .Property("Font", &TAxisBarTitleEh::Font, &TAxisBarTitleEh::SetFont)
    .Stored(&TAxisBarTitleEh::IsFontStored)
    .Property("Hint", &TAxisBarTitleEh::Hint, &TAxisBarTitleEh::SetHint, "")
    .Property("ImageIndex", &TAxisBarTitleEh::ImageIndex, &TAxisBarTitleEh::SetImageIndex, -1)
    .Property("TitleButton", &TAxisBarTitleEh::TitleButton, &TAxisBarTitleEh::SetTitleButton)
    .Stored(&TAxisBarTitleEh::IsTitleButtonStored)
    .Property("ToolTips", &TAxisBarTitleEh::ToolTips, &TAxisBarTitleEh::SetToolTips)
    .Stored(&TAxisBarTitleEh::IsToolTipsStored);

  RegisterClassInfo<TAxisBarEditButtonEh, TEditButtonEh>("TAxisBarEditButtonEh");
  RegisterClassInfo<TAxisBarVisibleEditButtonEh, TAxisBarEditButtonEh>("TAxisBarVisibleEditButtonEh")
    .Property("ShortCut", &TEditButtonEh::ShortCut, &TEditButtonEh::SetShortCut, AltDownShortCutEh)
    .Stored(&TEditButtonEh::IsShortCutStored)
    .Property("Visible", &TEditButtonEh::Visible, &TEditButtonEh::SetVisible, true)
    .Stored(&TEditButtonEh::IsVisibleStored);
  RegisterClassInfo<TAxisBarMainEditButtonEh, TAxisBarEditButtonEh>("TAxisBarMainEditButtonEh")
    .Property("Visible", &TEditButtonEh::Visible, &TEditButtonEh::SetVisible)
    .Stored(&TAxisBarMainEditButtonEh::VisibleStored);
  RegisterClassInfo<TCellButtonEh, TAxisBarVisibleEditButtonEh>("TCellButtonEh")
    .Property("HorzPlacement", &TCellButtonEh::HorzPlacement, &TCellButtonEh::SetHorzPlacement, ebhpRightEh)
    .Property("Pressable", &TCellButtonEh::Pressable, &TCellButtonEh::SetPressable, true)
    .Event("OnGetEnabledState", &TCellButtonEh::OnGetEnabledState)
    .Event("OnDraw", &TCellButtonEh::OnDraw)
    .Event("OnMouseClick", &TCellButtonEh::OnMouseClick)
    .Event("OnMouseDown", &TCellButtonEh::OnMouseDown);
  RegisterClassInfo<TAxisBarEditButtonsEh, TEditButtonsEh>("TAxisBarEditButtonsEh");
  RegisterClassInfo<TCellButtonsEh, TEditButtonsEh>("TCellButtonsEh");
  TColumnDropDownBoxEh::RegisterClass();

  using B = TAxisBarEh;
  RegisterClassInfo<TAxisBarEh, TCollectionItem>("TAxisBarEh")
    .Property("Alignment", &B::Alignment, &B::SetAlignment).Stored(&B::IsAlignmentStored)
    .Property("AlwaysShowEditButton", &B::AlwaysShowEditButton, &B::SetAlwaysShowEditButton)
    .Stored(&B::IsAlwaysShowEditButtonStored)
    .Property("AutoDropDown", &B::AutoDropDown, &B::SetAutoDropDown).Stored(&B::IsAutoDropDownStored)
    .Property("BiDiMode", &B::BiDiMode, &B::SetBiDiMode).Stored(&B::IsBiDiModeStored)
    .Property("ButtonStyle", &B::ButtonStyle, &B::SetButtonStyle, cbsAuto)
    .Property("CaseInsensitiveTextSearch", &B::CaseInsensitiveTextSearch, &B::SetCaseInsensitiveTextSearch, true)
    .Property("CellButtons", &B::CellButtons, &B::SetCellButtons).Stored(&B::IsCellButtonsStored)
    .Property("CellDataIsLink", &B::CellDataIsLink, &B::SetCellDataIsLink, false)
    .Property("Checkboxes", &B::Checkboxes, &B::SetCheckboxes).Stored(&B::IsCheckboxesStored)
    .Property("Color", &B::Color, &B::SetColor).Stored(&B::IsColorStored)
    .Property("DblClickNextVal", &B::DblClickNextVal, &B::SetDblClickNextVal).Stored(&B::IsDblClickNextValStored)
    .Property("DisplayFormat", &B::DisplayFormat, &B::SetDisplayFormat, "")
    .Property("DropDownBox", &B::DropDownBox, &B::SetDropDownBox)
    .Property("DropDownRows", &B::DropDownRows, &B::SetDropDownRows, 7)
    .Property("DropDownShowTitles", &B::DropDownShowTitles, &B::SetDropDownShowTitles)
    .Stored(&B::IsDropDownShowTitlesStored)
    .Property("DropDownSizing", &B::DropDownSizing, &B::SetDropDownSizing).Stored(&B::IsDropDownSizingStored)
    .Property("DropDownSpecRow", &B::DropDownSpecRow, &B::SetDropDownSpecRow)
    .Property("DropDownWidth", &B::DropDownWidth, &B::SetDropDownWidth, 0)
    .Property("DynProps", &B::DynProps, &B::SetDynProps)
    .Property("EditButton", &B::EditButton, &B::SetEditButton)
    .Property("EditButtons", &B::EditButtons, &B::SetEditButtons).Stored(&B::IsEditButtonsStored)
    .Property("EditMask", &B::EditMask, &B::SetEditMask, "")
    .Property("EndEllipsis", &B::EndEllipsis, &B::SetEndEllipsis).Stored(&B::IsEndEllipsisStored)
    .Property("FieldName", &B::FieldName, &B::SetFieldName, "")
    .Property("Font", &B::Font, &B::SetFont).Stored(&B::IsFontStored)
    .Property("HighlightRequired", &B::HighlightRequired, &B::SetHighlightRequired)
    .Stored(&B::IsHighlightRequiredStored)
    .Property("ImageList", &B::ImageList, &B::SetImageList)
    .Property("Increment", &B::Increment, &B::SetIncrement).Stored(&B::IsIncrementStored)
    .Property("KeyList", &B::KeyList, &B::SetKeyList).Stored(&B::IsKeyListStored)
    .Property("Layout", &B::Layout, &B::SetLayout).Stored(&B::IsLayoutStored)
    .Property("LimitTextToListValues", &B::LimitTextToListValues, &B::SetLimitTextToListValues)
    .Stored(&B::LimitTextToListValuesStored)
    .Property("LookupDisplayFields", &B::LookupDisplayFields, &B::SetLookupDisplayFields)
    .Stored(&B::IsLookupDisplayFieldsStored)
    .Property("MRUList", &B::MRUList, &B::SetMRUList)
    .Property("NotInKeyListIndex", &B::NotInKeyListIndex, &B::SetNotInKeyListIndex, -1)
    .Property("PickList", &B::PickList, &B::SetPickList).Stored(&B::IsPickListStored)
    .Property("PopupMenu", &B::PopupMenu, &B::SetPopupMenu)
    .Property("ReadOnly", &B::ReadOnly, &B::SetReadOnly).Stored(&B::IsReadOnlyStored)
    .Property("ShowImageAndText", &B::ShowImageAndText, &B::SetShowImageAndText, false)
    .Property("Tag", &B::Tag, &B::SetTag, 0)
    .Property("TextEditing", &B::TextEditing, &B::SetTextEditing).Stored(&B::IsTextEditingStored)
    .Property("Title", &B::Title, &B::SetTitle)
    .Property("ToolTips", &B::ToolTips, &B::SetToolTips).Stored(&B::IsToolTipsStored)
    .Property("Visible", &B::Visible, &B::SetVisible, true)
    .Property("WordWrap", &B::WordWrap, &B::SetWordWrap).Stored(&B::IsWordWrapStored)
    .Event("OnCellDataLinkClick", &B::OnCellDataLinkClick)
    .Event("OnCloseDropDownForm", &B::OnCloseDropDownForm)
    .Event("OnNotInList", &B::OnNotInList)
    .Event("OnOpenDropDownForm", &B::OnOpenDropDownForm)
    .Event("OnUpdateData", &B::OnUpdateData);
  RegisterClassInfo<TBaseColumnEh, TAxisBarEh>("TBaseColumnEh");
  RegisterClassInfo<TGridAxisBarsEh, TCollection>("TGridAxisBarsEh");
  RegisterClassInfo<TBaseColumnsEh, TGridAxisBarsEh>("TBaseColumnsEh");
  RegisterClassInfo<TColumnsWrapper, TComponent>("TColumnsWrapper")
    .Property("AxisBars", &TColumnsWrapper::AxisBars);
  RegisterClassInfo<TAxisBarCaptionDefValuesEh, TPersistent>("TAxisBarCaptionDefValuesEh")
    .Property("Alignment", &TAxisBarCaptionDefValuesEh::Alignment, &TAxisBarCaptionDefValuesEh::SetAlignment)
    .Stored(&TAxisBarCaptionDefValuesEh::IsAlignmentStored)
    .Property("Color", &TAxisBarCaptionDefValuesEh::Color, &TAxisBarCaptionDefValuesEh::SetColor)
    .Stored(&TAxisBarCaptionDefValuesEh::IsColorStored)
    .Property("EndEllipsis", &TAxisBarCaptionDefValuesEh::EndEllipsis, &TAxisBarCaptionDefValuesEh::SetEndEllipsis,
              false)
    .Property("Orientation", &TAxisBarCaptionDefValuesEh::Orientation, &TAxisBarCaptionDefValuesEh::SetOrientation,
              tohHorizontal)
    .Property("TitleButton", &TAxisBarCaptionDefValuesEh::TitleButton, &TAxisBarCaptionDefValuesEh::SetTitleButton,
              false)
    .Property("ToolTips", &TAxisBarCaptionDefValuesEh::ToolTips, &TAxisBarCaptionDefValuesEh::SetToolTips, false);
  RegisterClassInfo<TColumnFooterDefValuesEh, TPersistent>("TColumnFooterDefValuesEh")
    .Property("ToolTips", &TColumnFooterDefValuesEh::ToolTips, &TColumnFooterDefValuesEh::SetToolTips, false);
  using D = TAxisBarDefValuesEh;
  RegisterClassInfo<TAxisBarDefValuesEh, TPersistent>("TAxisBarDefValuesEh")
    .Property("AlwaysShowEditButton", &D::AlwaysShowEditButton, &D::SetAlwaysShowEditButton, false)
    .Property("AutoDropDown", &D::AutoDropDown, &D::SetAutoDropDown, false)
    .Property("DblClickNextVal", &D::DblClickNextVal, &D::SetDblClickNextVal, false)
    .Property("DropDownShowTitles", &D::DropDownShowTitles, &D::SetDropDownShowTitles, false)
    .Property("DropDownSizing", &D::DropDownSizing, &D::SetDropDownSizing, false)
    .Property("EditButtonDrawBackTime", &D::EditButtonDrawBackTime, &D::SetEditButtonDrawBackTime, edbtAlwaysEh)
    .Property("EndEllipsis", &D::EndEllipsis, &D::SetEndEllipsis, false)
    .Property("HighlightRequired", &D::HighlightRequired, &D::SetHighlightRequired, false)
    .Property("Layout", &D::Layout, &D::SetLayout, tlTop)
    .Property("Title", &D::Title, &D::SetTitle)
    .Property("ToolTips", &D::ToolTips, &D::SetToolTips, false);
  RegisterClassInfo<TCustomColumnDefValuesEh, TAxisBarDefValuesEh>("TCustomColumnDefValuesEh");
  RegisterEnum<TEdgeBorder>("TEdgeBorder", {"ebLeft", "ebTop", "ebRight", "ebBottom"});
  RegisterClassInfo<TControlBorderEh, TPersistent>("TControlBorderEh")
    .Property("Color", &TControlBorderEh::Color, &TControlBorderEh::SetColor, clDefault)
    // The grid's own properties, shown here too: the grid stores them.
    .Property("Ctl3D", &TControlBorderEh::Ctl3D, &TControlBorderEh::SetCtl3D)
    .Stored(false)
    .Property("EdgeBorders", &TControlBorderEh::EdgeBorders, &TControlBorderEh::SetEdgeBorders,
              TEdgeBorders{ebLeft, ebTop, ebRight, ebBottom})
    .Property("ExtendedDraw", &TControlBorderEh::ExtendedDraw, &TControlBorderEh::SetExtendedDraw)
    .Stored(&TControlBorderEh::ExtendedDrawStored)
    .Property("Style", &TControlBorderEh::Style, &TControlBorderEh::SetStyle)
    .Stored(false);
  TCustomDBAxisGridEh::RegisterClass();
}
