// DBAxisGridsEhInplace.cpp: the axis grid's inplace editor: loading it for a
// cell, its geometry and edit buttons, keys and typed text, the clipboard and
// the image of the value.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "gridlib/axisgrid/DBLookupUtilsEh.h"
#include "gridlib/editors/CalculatorEh.h"
#include "gridlib/editors/DateTimeCalendarPickersEh.h"
#include "platform/gui/Clipbrd.h"
#include "platform/rtl/ScopeExit.h"

#include <algorithm>

// ---------------------------------------------------------------------------
// Style groups.

bool IsListEditStyleEh(TEditStyle Style)
{
  switch (Style) {
  case esPickList: case esLookupDataList: case esDateCalendar: case esAltCalendar: case esAltPickList:
  case esAltLookupDataList: case esDataList: case esAltDataList: return true;
  default: return false;
  }
}

bool IsLookupEditStyleEh(TEditStyle Style)
{
  return Style == esLookupDataList || Style == esAltLookupDataList || Style == esDataList || Style == esAltDataList;
}

bool IsPickEditStyleEh(TEditStyle Style)
{
  return Style == esPickList || Style == esAltPickList;
}

bool IsCalendarEditStyleEh(TEditStyle Style)
{
  return Style == esDateCalendar || Style == esAltCalendar;
}

bool IsUpDownEditStyleEh(TEditStyle Style)
{
  return Style == esUpDown || Style == esAltUpDown;
}

static bool IsDateFieldType(TFieldType T)
{
  return T == ftDate || T == ftDateTime || T == ftTimeStamp;
}

static bool IsDateOrTimeFieldType(TFieldType T)
{
  return IsDateFieldType(T) || T == ftTime;
}

static bool NamesDropDownForm(TAxisBarEh* Bar)
{
  TDropDownFormCallParamsEh* P = Bar->DropDownFormParams();
  return P && (P->DropDownForm() || !P->DropDownFormClassName().isEmpty());
}

TEditStyle AxisBarButtonEditStyleEh(TAxisBarEh* AxisBar)
{
  const TCellButtonStyleEh Style = AxisBar->ButtonStyle();
  switch (Style) {
  case cbsEllipsis: return esEllipsis;
  case cbsUpDown: return esUpDown;
  case cbsAltUpDown: return esAltUpDown;
  case cbsNone: return esSimple;
  default: break;
  }
  const bool Alt = Style == cbsAltDropDown;
  const TAxisBarEhType Type = AxisBar->GetBarType();
  if (AxisBar->LookupActiveEh())
    return Alt ? esAltLookupDataList : esLookupDataList;
  if ((Type == ctPickList || Type == ctKeyPickList) && !AxisBar->ReadOnly())
    return Alt ? esAltPickList : esPickList;
  if (Type == ctDataList)
    return Alt ? esAltDataList : esDataList;
  TField* F = AxisBar->Field();
  if (Alt)
    return F && IsDateOrTimeFieldType(F->DataType()) ? esAltCalendar : esAltDropDown;
  if (Style == cbsDropDown)
    return esDropDown;
  // A time-only field has no calendar to pick from.
  if (F && IsDateFieldType(F->DataType()) && !AxisBar->ReadOnly())
    return esDateCalendar;
  return NamesDropDownForm(AxisBar) ? esDropDown : esSimple;
}

// The field of the list data set that typed text is matched against.
static String ListFieldOf(TAxisBarEh* Bar)
{
  return Bar->GetDropDownBoxListField();
}

// The key a list row gives: the list field's value for a data list, the
// lookup key fields' values for a lookup.
static Variant ListRowKey(TAxisBarEh* Bar, TDataSet* DS, const String& ListField)
{
  if (Bar->GetBarType() == ctDataList)
    return DS->FieldByName(ListField)->Value();
  return DS->FieldValues(Bar->LookupParams()->LookupKeyFieldNames());
}

// ---------------------------------------------------------------------------
// TDBAxisGridnplaceEditCoreControl

TDBAxisGridnplaceEditCoreControl::TDBAxisGridnplaceEditCoreControl(TDBAxisGridInplaceEdit* AOwner)
    : TInplaceEditCoreControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this))
{
}

TDBAxisGridnplaceEditCoreControl::~TDBAxisGridnplaceEditCoreControl() = default;

TDBAxisGridInplaceEdit* TDBAxisGridnplaceEditCoreControl::AxisEdit() const
{
  return static_cast<TDBAxisGridInplaceEdit*>(ParentEdit());
}

void TDBAxisGridnplaceEditCoreControl::WndProc(TMessage& Message)
{
  if (ListKeyMessage(Message) || MRUKeyMessage(Message))
    return;
  // A press on the button strip gives it the focus for a moment: the
  // editor is told so, rather than of a focus gone nowhere.
  if (Message.Msg == WM_KILLFOCUS && !Message.WParam)
    if (TWinControl* To = FindControl(nullptr); To && To != this && AxisEdit()->ContainsControl(To))
      Message.WParam = WPARAM(To);
  // The focused core control hears of a press elsewhere for its editor.
  if (Message.Msg == CM_CANCELMODE)
    AxisEdit()->CMCancelMode(Message);
  inherited::WndProc(Message);
  if (Message.Msg == WM_KEYDOWN || Message.Msg == WM_CHAR || Message.Msg == WM_SYSKEYDOWN)
    AfterKeyMessage();
}

// An open list scrolls under the wheel, not the grid.
bool TDBAxisGridnplaceEditCoreControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (AxisEdit()->DroppedDown())
    return AxisEdit()->ActiveListMouseWheel(Shift, WheelDelta, MousePos);
  return inherited::DoMouseWheel(Shift, WheelDelta, MousePos);
}

// A double click steps the value of a bar that asks so: back with Shift.
void TDBAxisGridnplaceEditCoreControl::DblClick()
{
  TAxisBarEh* Column = AxisEdit()->GetAxisBar();
  if (Column && Column->DblClickNextVal())
    Column->SetNextValue(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
  inherited::DblClick();
}

// A wrapped cell is edited in a window that wraps the text at its width.
void TDBAxisGridnplaceEditCoreControl::CreateParams(TCreateParams& Params)
{
  inherited::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
  if (AxisEdit()->WordWrap())
    Params.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
  else
    Params.Style |= ES_AUTOHSCROLL;
}

// Up and Down that stay inside wrapped text go to the window, which moves
// the caret between the lines; the grid does not see them.
void TDBAxisGridnplaceEditCoreControl::KeyDown(Word& Key, TShiftState Shift)
{
  if ((Key == VK_UP || Key == VK_DOWN) && AxisEdit()->LineKeyStaysInText(Key)) {
    TCustomMaskEdit::KeyDown(Key, Shift);
    return;
  }
  inherited::KeyDown(Key, Shift);
}

// The control of a list that takes the keys: a list box form's grid.
static TWinControl* KeyTargetOf(TWinControl* List)
{
  if (auto* Box = dynamic_cast<TPopupListboxFormEh*>(List))
    return Box->ListGrid();
  return List;
}

// List keys run before the editor's own key handling, for list and
// calculator styles only; while a list is open its moving keys go to it.
bool TDBAxisGridnplaceEditCoreControl::ListKeyMessage(TMessage& Message)
{
  if (Message.Msg != WM_KEYDOWN && Message.Msg != WM_SYSKEYDOWN && Message.Msg != WM_CHAR)
    return false;
  TDBAxisGridInplaceEdit* E = AxisEdit();
  TAxisBarEh* Column = E->GetAxisBar();
  const bool Calculator = (E->EditStyle() == esDropDown || E->EditStyle() == esAltDropDown) && Column &&
                          Column->Field() && IsNumericFieldTypeEh(Column->Field()->DataType());
  if (!IsListEditStyleEh(E->EditStyle()) && !Calculator)
    return false;
  const TShiftState Shift = KeyDataToShiftState(LongInt(Message.LParam));
  if (Message.Msg != WM_CHAR) {
    Word Key = Word(Message.WParam);
    E->ListKeyDown(Key, Shift);
    Message.WParam = Key;
    if (Key == 0)
      return true;
  } else if (Message.WParam >= 32 && !E->ListVisible() && Column && Column->AutoDropDown()) {
    E->DropDown();
  }
  TWinControl* List = E->ActiveList();
  if (!E->ListVisible() || !List)
    return false;
  const WPARAM Code = Message.WParam;
  if (List == E->FPopupCalculator) {
    const bool Typed = Message.Msg == WM_CHAR && (Code == 8 || Code == 13 || Code == 27 || (Code >= 32 && Code <= 126));
    const bool Keyed = Message.Msg != WM_CHAR && (Code == VK_BACK || Code == VK_RETURN || Code == VK_ESCAPE);
    if (!Typed && !Keyed)
      return false;
    List->Perform(Message.Msg, Message.WParam, Message.LParam);
    return true;
  }
  // Typed characters stay text: only keys move the list.
  if (Message.Msg == WM_CHAR)
    return false;
  const bool Moves = ((Code == VK_PRIOR || Code == VK_NEXT || Code == VK_UP || Code == VK_DOWN) &&
                      !Shift.Contains(ssShift)) ||
                     ((Code == VK_HOME || Code == VK_END) && Shift.Contains(ssCtrl)) ||
                     ((Code == VK_LEFT || Code == VK_RIGHT) && IsCalendarEditStyleEh(E->EditStyle()));
  if (!Moves)
    return false;
  KeyTargetOf(List)->Perform(Message.Msg, Message.WParam, Message.LParam);
  E->TextFollowsList();
  return true;
}

// While the most-recently-used list is open its moving keys go to it, and
// Enter or Esc closes it.
bool TDBAxisGridnplaceEditCoreControl::MRUKeyMessage(TMessage& Message)
{
  TDBAxisGridInplaceEdit* E = AxisEdit();
  TMRUListEh* MRU = E->MRUList();
  if (!MRU || !MRU->DroppedDown() || !E->FMRUListControl)
    return false;
  const WPARAM Code = Message.WParam;
  const TShiftState Shift = KeyDataToShiftState(LongInt(Message.LParam));
  if (Message.Msg == WM_CHAR && (Code == 13 || Code == 27)) {
    E->MRUListCloseUp(Code == 13);
    return true;
  }
  if (Message.Msg != WM_KEYDOWN && Message.Msg != WM_SYSKEYDOWN && Message.Msg != WM_CHAR)
    return false;
  const bool Moves = Message.Msg == WM_KEYDOWN && !Shift.Contains(ssAlt) &&
                     (Code == VK_PRIOR || Code == VK_NEXT || Code == VK_UP || Code == VK_DOWN);
  const bool Ends = Message.Msg != WM_CHAR && (Code == VK_HOME || Code == VK_END) && Shift.Contains(ssCtrl);
  if (!Moves && !Ends)
    return false;
  KeyTargetOf(E->FMRUListControl)->Perform(Message.Msg, Message.WParam, Message.LParam);
  return true;
}

// Text the user changed opens, refilters or closes the MRU list.
void TDBAxisGridnplaceEditCoreControl::AfterKeyMessage()
{
  TDBAxisGridInplaceEdit* E = AxisEdit();
  TMRUListEh* MRU = E->MRUList();
  if (!E->FUserTextChanged || !MRU)
    return;
  E->FUserTextChanged = false;
  const String Empty = E->EditMask().isEmpty() ? String() : FormatMaskText(E->EditMask(), String());
  const String T = E->Text();
  if (T == Empty) {
    if (MRU->DroppedDown())
      E->MRUListCloseUp(false);
    return;
  }
  if (MRU->Active() && Showing() && !E->DroppedDown())
    E->MRUListDropDown();
}

// ---------------------------------------------------------------------------
// TDBAxisGridInplaceEdit

TDBAxisGridInplaceEdit::TDBAxisGridInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner)
{
  RemakeEditCoreControl();
  FLookupSource = new TDataSource(this);
}

TDBAxisGridInplaceEdit::~TDBAxisGridInplaceEdit() = default;

TCustomDBAxisGridEh* TDBAxisGridInplaceEdit::GetGrid() const
{
  return dynamic_cast<TCustomDBAxisGridEh*>(Grid());
}

TAxisBarEh* TDBAxisGridInplaceEdit::GetAxisBar() const
{
  TCustomDBAxisGridEh* G = GetGrid();
  if (!G || !G->AxisBars())
    return nullptr;
  const Integer Index = G->SelectedIndex();
  if (Index < 0 || Index >= G->AxisBars()->Count())
    return nullptr;
  return G->AxisBars()->AxisBar(Index);
}

void TDBAxisGridInplaceEdit::SetEditStyle(TEditStyle Value)
{
  if (Value == FEditStyle)
    return;
  FEditStyle = Value;
  Invalidate();
}


static TEditButtonControlEh* MainButtonControl(TEditButtonsBoxEh* Box)
{
  if (!Box || Box->ButtonsCount() == 0)
    return nullptr;
  return Box->BtnCtlList().front().EditButtonControl;
}

bool TDBAxisGridInplaceEdit::MainButtonPressed() const
{
  TEditButtonControlEh* C = MainButtonControl(FButtonsBox);
  return C && C->AlwaysDown();
}

void TDBAxisGridInplaceEdit::SetMainButtonPressed(bool Value)
{
  if (TEditButtonControlEh* C = MainButtonControl(FButtonsBox))
    C->SetAlwaysDown(Value);
}

Integer TDBAxisGridInplaceEdit::FirstVisibleButtonIndex() const
{
  if (!FButtonsBox)
    return -1;
  const TEditButtonControlList& List = FButtonsBox->BtnCtlList();
  for (std::size_t I = 0; I < List.size(); ++I)
    if (List[I].EditButtonControl && List[I].EditButtonControl->Visible())
      return Integer(I);
  return -1;
}

// --- Loading the editor for a cell.

void TDBAxisGridInplaceEdit::UpdateContents()
{
  FFixedDownButton = -1;
  TCustomDBAxisGridEh* G = GetGrid();
  TAxisBarEh* Column = GetAxisBar();
  if (!G || !Column) {
    inherited::UpdateContents();
    return;
  }
  UpdateEditButtonStyle(Column);
  UpdateEffectiveEditStyle(Column);
  UpdateActiveList(Column);
  SetFont(Column->Font());
  const bool ReadOnlyBase = !Column->CanModify(false);

  TAxisColCellParamsEh* Params = G->ColCellParamsEh();
  Column->FillColCellParams(Params);
  Params->SetBackground(Column->Color());
  Params->SetFont(Font());
  Params->SetState(TGridDrawState{gdFocused});
  Params->SetText(Column->GetInplaceEditorText());
  Params->SetReadOnly(ReadOnlyBase);
  TColor Background = Params->Background();
  G->GetCellParams(Column, Params->Font(), Background, Params->State());
  Params->SetBackground(Background);
  if (!G->ComponentState().Contains(csLoading))
    Column->GetColCellParams(true, Params);

  SetColor(Params->Background());
  FImageIndex = Params->ImageIndex();
  // A read-only state a cell event set is the editor's; otherwise the bar's
  // own, so that a previous cell's state never stays.
  FReadOnlyStored = Params->ReadOnly() != ReadOnlyBase;
  SetReadOnly(Params->ReadOnly());
  // The core control's window is multi-line exactly while the cell wraps.
  if (const bool Wrap = Column->CurLineWordWrap(Height()); Wrap != FWordWrap) {
    FWordWrap = Wrap;
    EditCoreControl()->RecreateWnd();
  }

  SetText(String());
  SetEditMask(Column->GetEditMask());
  SetText(Params->Text());
  SetMaxLength(G->GetEditLimit());
  FMRUList = Column->MRUList();
  SetMainButtonPressed(false);
}

void TDBAxisGridInplaceEdit::UpdateEditButtonStyle(TAxisBarEh* Column)
{
  FEditButtonStyle = AxisBarButtonEditStyleEh(Column);
}

// The first visible button of the bar: its main button, then its others.
static TEditButtonEh* FirstVisibleEditButton(TAxisBarEh* Column)
{
  if (Column->EditButton()->Visible())
    return Column->EditButton();
  for (Integer I = 0; I < Column->EditButtons()->Count(); ++I)
    if (Column->EditButtons()->Items(I)->Visible())
      return Column->EditButtons()->Items(I);
  return nullptr;
}

static bool LookupCanDropDown(TAxisBarEh* Column, TCustomDBAxisGridEh* G)
{
  TField* F = Column->Field();
  TDataSet* DS = F ? F->DataSet() : nullptr;
  if (!DS)
    return false;
  const QStringList Keys = Column->LookupParams()->KeyFieldNames().split(QLatin1Char(';'), Qt::SkipEmptyParts);
  if (Keys.isEmpty())
    return false;
  for (const String& K : Keys) {
    TField* KF = DS->FindField(K.trimmed());
    if (!KF || !KF->CanModify())
      return false;
  }
  return !Column->ReadOnly() && !G->ReadOnly() && G->DataLink()->Active() && !G->DataLink()->ReadOnly();
}

void TDBAxisGridInplaceEdit::UpdateEffectiveEditStyle(TAxisBarEh* Column)
{
  if (FEditButtonStyle != esSimple) {
    SetEditStyle(FEditButtonStyle);
    return;
  }
  TEditButtonEh* B = FirstVisibleEditButton(Column);
  if (!B) {
    SetEditStyle(esSimple);
    return;
  }
  switch (B->Style()) {
  case ebsDropDownEh:
  case ebsAltDropDownEh: {
    TField* F = Column->Field();
    if (!F)
      return;
    if (Column->LookupIsSetUpEh()) {
      if (LookupCanDropDown(Column, GetGrid()))
        SetEditStyle(esLookupDataList);
      return;
    }
    if (Column->HasPickList() && !Column->ReadOnly())
      SetEditStyle(esPickList);
    else if (IsDateOrTimeFieldType(F->DataType()) && !Column->ReadOnly())
      SetEditStyle(esDateCalendar);
    else
      SetEditStyle(esSimple);
    return;
  }
  case ebsEllipsisEh: SetEditStyle(esEllipsis); return;
  case ebsUpDownEh: SetEditStyle(esUpDown); return;
  case ebsAltUpDownEh: SetEditStyle(esAltUpDown); return;
  default: return;
  }
}

void TDBAxisGridInplaceEdit::UpdateActiveList(TAxisBarEh* Column)
{
  FActiveList = nullptr;
  if (IsPickEditStyleEh(FEditStyle)) {
    if (!FPickList) {
      FPickList = new TPopupListboxFormEh(this);
      FPickList->SetVisible(false);
      FPickList->SetItemHeight(FPickList->GetTextHeight());
      FPickList->ListGrid()->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                                Integer Y) { PickListMouseUp(Sender, Button, Shift, X, Y); };
    }
    FPickList->SetImageList(Column->ImageList());
    FActiveList = FPickList;
  } else if (IsCalendarEditStyleEh(FEditStyle)) {
    if (!FPopupMonthCalendar)
      FPopupMonthCalendar = CreatePopupOfClassEh<IPopupDateTimePickerEh, TPopupDateTimeCalendarFormEh>(
        GlobalGridLibManager()->PopupDateTimePickerClass(), this);
    FActiveList = FPopupMonthCalendar;
  } else if ((FEditStyle == esDropDown || FEditStyle == esAltDropDown) && Column->Field() &&
             IsNumericFieldTypeEh(Column->Field()->DataType())) {
    FActiveList = GetPopupCalculator();
  } else if (IsLookupEditStyleEh(FEditStyle)) {
    UseDataListBox(Column);
    FActiveList = FDataList;
  }
}

// The drop-down grid is the bar's: the editor only binds to it and watches
// for its end.
void TDBAxisGridInplaceEdit::UseDataListBox(TAxisBarEh* Column)
{
  TCustomForm* Box = Column->GetDataListBox();
  IPopupDataGridBoxEh* Grid = PopupDataGridBoxOf(Box);
  if (!Grid)
    return;
  if (Box != FDataList) {
    if (FDataList)
      FDataList->RemoveFreeNotification(this);
    Box->SetVisible(false);
    Box->SetCtl3D(true);
    Grid->SetOnMouseCloseUp([this](TObject* Sender, bool Accept) { DataListCloseUp(Sender, Accept); });
    Box->FreeNotification(this);
    FDataList = Box;
  }
  if (TCustomDBAxisGridEh* G = GetGrid())
    Grid->SetDrawMemoText(G->DrawMemoText());
}

// --- Geometry and the button strip.

TRect TDBAxisGridInplaceEdit::CalcEditRect()
{
  TCustomDBAxisGridEh* G = GetGrid();
  TAxisBarEh* Column = GetAxisBar();
  const bool Flat = G && G->Flat();
  TRect R(0, Flat ? 1 : 2, Width() - 2, Flat ? Height() - 1 : Height());
  R.Left = G && Column ? G->GetInplaceEditorTextLeft(Column) : 2;
  Canvas()->Font()->Assign(Font());
  const Integer H = Canvas()->TextHeight(QStringLiteral("Wg"));
  if (H - 1 >= R.Height())
    --R.Top;
  if (R.Height() < H && R.Bottom < Height())
    ++R.Bottom;
  if (!Column)
    return R;
  const bool RightToLeft = Column->UseRightToLeftAlignment();
  const Integer Buttons = FButtonsBox && FButtonsBox->Visible() ? FButtonsBox->Width() : 0;
  if (RightToLeft)
    R.Left += Buttons;
  else
    R.Right -= Buttons;
  if (Column->ImageList() && Column->ShowImageAndText()) {
    const Integer W = Column->ImageList()->Width() + 5;
    if (RightToLeft)
      R.Right -= W;
    else
      R.Left += W;
  }
  return R;
}

void TDBAxisGridInplaceEdit::GetEditCoreControlRect(TRect& Rect)
{
  Rect = CalcEditRect();
}

void TDBAxisGridInplaceEdit::UpdateEditCoreControlBounds()
{
  TAxisBarEh* Column = GetAxisBar();
  if (Column)
    LayoutButtonsBox(Column);
  inherited::UpdateEditCoreControlBounds();
  if (HandleAllocated())
    RemovePendingMessage(Handle(), WM_USER + 102);
  if (!Column)
    return;
  UpdateButtonsDefaultActions(Column);
  UpdateEffectiveEditStyle(Column);
  UpdateActiveList(Column);
}

void TDBAxisGridInplaceEdit::LayoutButtonsBox(TAxisBarEh* Column)
{
  if (!FButtonsBox) {
    FButtonsBox = new TEditButtonsBoxEh(this);
    FButtonsBox->SetVisible(false);
    FButtonsBox->SetBounds(0, 0, 0, 0);
    FButtonsBox->SetParent(this);
    FButtonsBox->OnCreateEditButtonControl = [this](TEditButtonControlEh*& C) { CreateEditButtonControl(C); };
    FButtonsBox->OnDown = [this](TObject* S, bool Top, bool& Repeat, bool& Handled) {
      EditButtonDown(S, Top, Repeat, Handled);
    };
    FButtonsBox->OnClick = [this](TObject* S) { EditButtonClick(S); };
    FButtonsBox->OnMouseMove = [this](TObject* S, TShiftState Sh, Integer X, Integer Y) {
      EditButtonMouseMove(S, Sh, X, Y);
    };
    FButtonsBox->OnMouseUp = [this](TObject* S, TMouseButton B, TShiftState Sh, Integer X, Integer Y) {
      EditButtonMouseUp(S, B, Sh, X, Y);
    };
  }
  TCustomDBAxisGridEh* G = GetGrid();
  FButtonsBox->BeginLayout();
  FButtonsBox->SetButtonsCount(Column->EditButtons()->Count() + 1);
  FButtonsBox->SetFlat(G && G->Flat());
  FButtonsBox->SetMaxButtonHeight(Height());
  FButtonsBox->SetEditButton(0, Column->EditButton());
  for (Integer I = 0; I < Column->EditButtons()->Count(); ++I)
    FButtonsBox->SetEditButton(I + 1, Column->EditButtons()->Items(I));
  FButtonsBox->EndLayout();
  const Integer W = FButtonsBox->ButtonsWidth();
  if (W < 1) {
    FButtonsBox->SetVisible(false);
    return;
  }
  const Integer X = Column->UseRightToLeftAlignment() ? 0 : Width() - W;
  FButtonsBox->SetBounds(X, 0, W, Height());
  FButtonsBox->SetVisible(true);
}

// At most one button carries the default action: the first without
// handlers of its own.
void TDBAxisGridInplaceEdit::UpdateButtonsDefaultActions(TAxisBarEh* Column)
{
  if (FButtonsBox) {
    FButtonsBox->SetBorderActive(true);
    FButtonsBox->UpdateEditButtonControlsState();
  }
  TAxisBarMainEditButtonEh* Main = Column->EditButton();
  bool Taken = false;
  TCustomDBAxisGridEh* G = GetGrid();
  (void)G;
  if (Main->Visible()) {
    Taken = !Main->OnClick && !Main->OnDown;
    Main->SetParentDefinedDefaultAction(Taken);
  } else {
    Main->SetParentDefinedDefaultAction(false);
  }
  for (Integer I = 0; I < Column->EditButtons()->Count(); ++I) {
    TEditButtonEh* B = Column->EditButtons()->Items(I);
    const bool Mine = !Taken && !B->OnClick && !B->OnDown;
    B->SetParentDefinedDefaultAction(Mine);
    Taken = Taken || Mine;
  }
}

void TDBAxisGridInplaceEdit::CreateEditButtonControl(TEditButtonControlEh*& Control)
{
  Control = new TEditButtonControlEh(this);
  TControlStyle Style = Control->ControlStyle();
  Style.Include(csReplicatable);
  Control->SetControlStyle(Style);
  Control->SetBounds(0, 0, 10, 17);
  Control->SetVisible(true);
  Control->SetTransparent(false);
}

// --- Values.

void TDBAxisGridInplaceEdit::GetEditValue(Variant& Value)
{
  Value = Variant(Text());
}

void TDBAxisGridInplaceEdit::SetEditValue(const Variant& Value)
{
  SetText(VarToStr(Value));
  if (TAxisBarEh* Column = GetAxisBar())
    Column->SetValueAsText(Text());
}

void TDBAxisGridInplaceEdit::TextFollowsList()
{
  if (IsLookupEditStyleEh(FEditStyle) && FActiveList == FDataList) {
    if (IPopupDataGridBoxEh* Box = PopupDataGridBoxOf(FDataList))
      SetText(Box->SelectedItem());
  } else if (IsPickEditStyleEh(FEditStyle) && FActiveList == FPickList && FPickList->ItemIndex() >= 0) {
    const String Item = FPickList->Items()->Strings(FPickList->ItemIndex());
    if (Item != Text())
      SetText(Item);
  }
}

void TDBAxisGridInplaceEdit::TextChangedByUser()
{
  FUserTextChanged = true;
  UpdateImageIndex();
}

void TDBAxisGridInplaceEdit::UpdateImageIndex()
{
  TAxisBarEh* Column = GetAxisBar();
  if (!Column || !Column->ImageList())
    return;
  Integer Index = FImageIndex;
  TField* F = Column->Field();
  if (!Column->HasPickList()) {
    if (F && IsNumericFieldTypeEh(F->DataType()))
      Index = FieldAsIntegerDefEh(F, -1);
  } else {
    Index = Column->PickList()->IndexOf(Text());
  }
  if (Index == -1)
    Index = Column->NotInKeyListIndex();
  if (Index == FImageIndex)
    return;
  FImageIndex = Index;
  Invalidate();
}

void TDBAxisGridInplaceEdit::Paint()
{
  TAxisBarEh* Column = GetAxisBar();
  if (!Column || !Column->ImageList() || !Column->ShowImageAndText() || FImageIndex < 0 || !Visible())
    return;
  TCustomImageList* IL = Column->ImageList();
  const Integer X = Column->UseRightToLeftAlignment() ? ClientWidth() - IL->Width() - 2 : 2;
  const Integer Y = (ClientHeight() - IL->Height()) / 2;
  IL->Draw(Canvas(), X, Y, FImageIndex);
}

TWinControl* TDBAxisGridInplaceEdit::GetPopupCalculator()
{
  if (!FPopupCalculator)
    FPopupCalculator = CreatePopupOfClassEh<IPopupCalculatorEh, TPopupCalculatorFormEh>(
      GlobalGridLibManager()->PopupCalculatorClass(), this);
  return FPopupCalculator;
}

bool TDBAxisGridInplaceEdit::ActiveListMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (!FActiveList)
    return false;
  return FActiveList->Perform(CM_MOUSEWHEEL, WPARAM(WheelDelta), 0) != 0 ||
         (void(Shift), void(MousePos), false);
}

bool TDBAxisGridInplaceEdit::IsButtonMessagePending(TEditButtonControlEh* ButtonControl, TEditButtonEh* EditButton)
{
  if (ButtonControl && ButtonControl->AlwaysDown())
    return false;
  if (!HandleAllocated())
    return false;
  TMsg Msg;
  if (!PeekMessage(Msg, Handle(), WM_USER, WM_USER, PM_NOREMOVE))
    return false;
  const LPARAM Target = EditButton ? LPARAM(EditButton) : LPARAM(this);
  return Msg.wParam == WPARAM(Handle()) && Msg.lParam == Target;
}

// --- Keys.

void TDBAxisGridInplaceEdit::WndProc(TMessage& Message)
{
  if (Message.Msg == CM_CANCELMODE)
    CMCancelMode(Message);
  inherited::WndProc(Message);
}

void TDBAxisGridInplaceEdit::DefaultHandler(TMessage& Message)
{
  inherited::DefaultHandler(Message);
}

void TDBAxisGridInplaceEdit::ListKeyDown(Word& Key, TShiftState Shift)
{
  const bool Alt = Shift.Contains(ssAlt);
  if ((Key == VK_RETURN || Key == VK_ESCAPE) && FListVisible && !Alt && FActiveList != FPopupCalculator) {
    CloseUp(Key == VK_RETURN);
    Key = 0;
    return;
  }
  if (Key == VK_RETURN && Shift == TShiftState{ssCtrl} && !FListVisible) {
    DropDown();
    FLineFeedSpent = true;
    Key = 0;
    return;
  }
  if ((Key == VK_UP || Key == VK_DOWN) && Alt) {
    if (FListVisible)
      CloseUp(true);
    else
      DropDown();
    Key = 0;
  }
}

static bool DeleteRuleApplies(TAxisBarEh* Column)
{
  const TAxisBarEhType T = Column->GetBarType();
  return T == ctLookupField || T == ctKeyPickList || (T == ctPickList && Column->LimitTextToListValues());
}

void TDBAxisGridInplaceEdit::KeyDown(Word& Key, TShiftState Shift)
{
  FLineFeedSpent = false;
  TCustomDBAxisGridEh* G = GetGrid();
  TAxisBarEh* Column = GetAxisBar();
  if (!G || !Column) {
    inherited::KeyDown(Key, Shift);
    return;
  }
  const TAxisBarEhType Type = Column->GetBarType();
  if (Key == VK_RETURN && Shift == TShiftState{ssCtrl} && (FEditStyle == esEllipsis || FEditStyle == esDropDown)) {
    // The line feed the press also queues is not text.
    if (EditCoreControl()->HandleAllocated())
      RemovePendingMessage(EditCoreControl()->Handle(), WM_CHAR);
    if (HandleAllocated())
      RemovePendingMessage(Handle(), WM_CHAR);
    FLineFeedSpent = true;
    G->EditButtonClick();
    Key = 0;
    return;
  }
  if (Key == VK_DELETE && Shift.Empty() && DeleteRuleApplies(Column) && Column->CanModify(false)) {
    const bool AllSelected = SelStart() == 0 && SelLength() == GetTextLen();
    if (AllSelected && Column->CanModify(true)) {
      if (IsLookupEditStyleEh(FEditStyle) && Column->LookupKeyFieldsCanModifyEh()) {
        G->DataLink()->Edit();
        G->DataLink()->Modified();
        G->SetEditKeyValue(Null);
        G->SetEditTextValue(String());
        SetText(String());
        ListFollowsEditText(Column);
        if (ListAutoFiltered(Column))
          ApplyListFilter(Column, String());
      } else if (IsPickEditStyleEh(FEditStyle) && Type == ctKeyPickList) {
        SetText(String());
        G->SetEditTextValue(String());
        G->SetEditKeyValue(Null);
      }
      Key = 0;
      return;
    }
    if (!Column->OnNotInList) {
      Key = 0;
      return;
    }
    if (Column->CanModify(true)) {
      const Integer Caret = SelStart();
      String T = Text();
      T.remove(SelStart(), SelLength());
      SetText(T);
      SetSel(Caret, 0);
      EditTextToKeyValue();
      ListFollowsEditText(Column);
    }
    return;
  }
  if (Key == VK_BACK && (Type == ctPickList || Type == ctLookupField || Type == ctKeyPickList || Type == ctDataList)) {
    if (Column->LimitTextToListValues()) {
      // Only the caret moves: the text stays one of the list's.
      SetSel(std::max(SelStart() - 1, 0), 0);
      Key = 0;
      return;
    }
    if (Type != ctPickList && Column->CanModify(true)) {
      G->DataLink()->Edit();
      Integer Caret = SelStart();
      String T = Text();
      T.remove(Caret, SelLength());
      if (Caret > 0) {
        T.remove(Caret - 1, 1);
        --Caret;
      }
      SetText(T);
      SetSel(Caret, 0);
      EditTextToKeyValue();
      ListFollowsEditText(Column);
      Key = 0;
      return;
    }
  }
  // The core control moves the caret between the lines; the grid stays.
  if (LineKeyStaysInText(Key))
    return;
  if (IsLookupEditStyleEh(FEditStyle) && SpecRowShortCut(Column, Key, Shift)) {
    Key = 0;
    return;
  }
  if (!Shift.Contains(ssAlt) || Key != VK_DOWN) {
    const TShortCut SC = ShortCut(Key, Shift);
    for (Integer I = 0; I < Column->EditButtons()->Count() && SC != 0; ++I) {
      TEditButtonEh* B = Column->EditButtons()->Items(I);
      if (!B->Visible() || B->ShortCut() != SC || !FButtonsBox || FButtonsBox->ButtonsCount() <= I + 1)
        continue;
      TEditButtonControlEh* C = FButtonsBox->BtnCtlList()[std::size_t(I + 1)].EditButtonControl;
      bool AutoRepeat = false, Handled = false;
      EditButtonDown(C, false, AutoRepeat, Handled);
      EditButtonClick(C);
      Key = 0;
      return;
    }
  }
  inherited::KeyDown(Key, Shift);
}

// The special row's short cut puts the special value into the cell.
bool TDBAxisGridInplaceEdit::SpecRowShortCut(TAxisBarEh* Column, Word Key, TShiftState Shift)
{
  TSpecRowEh* SpecialRow = Column->DropDownSpecRow();
  if (!SpecialRow || !SpecialRow->Visible() || SpecialRow->ShortCut() == 0 ||
      SpecialRow->ShortCut() != ShortCut(Key, Shift) || !Column->CanModify(false))
    return false;
  TCustomDBAxisGridEh* G = GetGrid();
  if (!Column->CanModify(true))
    return true;
  // As a choice from the list: the record takes the value when it posts.
  G->DataLink()->Edit();
  if (G->DataLink()->Editing())
    G->DataLink()->Modified();
  SetText(SpecialRow->GetCellText(0));
  G->SetEditTextValue(Text());
  G->SetEditKeyValue(SpecialRow->Value());
  ListFollowsEditText(Column);
  SelectAll();
  return true;
}

// Up on the first line, Down on the last, or either over the whole text
// move the grid, when the grid always shows its editor. The lines are those
// the core control shows: typed breaks and wrapped lines alike.
bool TDBAxisGridInplaceEdit::LineKeyLeavesText(TCustomDBAxisGridEh* G, bool Up) const
{
  if (!G->Options().Contains(goAlwaysShowEditorEh))
    return false;
  const Integer Len = GetTextLen();
  if (SelStart() == 0 && SelLength() == Len)
    return true;
  TInplaceEditCoreControl* C = EditCoreControl();
  const Integer Caret = Up ? SelStart() : SelStart() + SelLength();
  const Integer Line = Integer(C->Perform(EM_LINEFROMCHAR, WPARAM(Caret), 0));
  return Up ? Line <= 0 : Line >= Integer(C->Perform(EM_GETLINECOUNT, 0, 0)) - 1;
}

bool TDBAxisGridInplaceEdit::LineKeyStaysInText(Word Key)
{
  if ((Key != VK_UP && Key != VK_DOWN) || !FWordWrap)
    return false;
  TCustomDBAxisGridEh* G = GetGrid();
  return G && !LineKeyLeavesText(G, Key == VK_UP);
}

void TDBAxisGridInplaceEdit::KeyUp(Word& Key, TShiftState Shift)
{
  inherited::KeyUp(Key, Shift);
  if (Key == VK_CONTROL && IsLookupEditStyleEh(FEditStyle) && FDataList && FListVisible &&
      FActiveList == FDataList)
    if (IPopupDataGridBoxEh* Box = PopupDataGridBoxOf(FDataList))
      Box->GridKeyUp(Key, Shift);
}

void TDBAxisGridInplaceEdit::KeyPress(QChar& Key)
{
  TAxisBarEh* Column = GetAxisBar();
  if (!Column) {
    inherited::KeyPress(Key);
    return;
  }
  TField* F = Column->Field();
  if (F && IsNumericFieldTypeEh(F->DataType()) && (Key == QLatin1Char(',') || Key == QLatin1Char('.')))
    Key = FormatSettings.DecimalSeparator;
  FCharKeyStr = String(Key);
  ProcessTypedText(FCharKeyStr);
  if (FCharKeyStr.isEmpty())
    Key = QChar();
  // A line feed breaks the line of wrapped text only; the one of a Ctrl+Enter
  // that pressed a button or opened a list is spent.
  if (Key == QLatin1Char('\n') && (!FWordWrap || FLineFeedSpent))
    Key = QChar();
  FLineFeedSpent = false;
  inherited::KeyPress(Key);
  if (Key == QLatin1Char('\b') && Text().isEmpty() && FMRUList && FMRUList->Active() && Visible() && !FDroppedDown)
    MRUListDropDown();
}

void TDBAxisGridInplaceEdit::ProcessTypedText(String& Text)
{
  if (Text.size() == 1 && Text[0] < QChar(32) && Text[0] != QLatin1Char('\b'))
    return;
  TCustomDBAxisGridEh* G = GetGrid();
  TAxisBarEh* Column = GetAxisBar();
  if (!G || !Column)
    return;
  if (IsLookupEditStyleEh(FEditStyle) && G->CanEditModifyData() && G->CanEditByAllowedOperations() &&
      Column->GetDropDownListDataSet()) {
    LookupTypedText(Column, Text);
    return;
  }
  const TAxisBarEhType Type = Column->GetBarType();
  if ((Type == ctPickList || Type == ctKeyPickList) && G->CanEditModifyData())
    PickListTypedText(Column, Text);
}

void TDBAxisGridInplaceEdit::SetTextWithTail(const String& NewText, Integer Caret)
{
  SetText(NewText);
  Caret = std::clamp(Caret, 0, Integer(NewText.size()));
  SetSel(Caret, Integer(NewText.size()) - Caret);
}

void TDBAxisGridInplaceEdit::LookupTypedText(TAxisBarEh* Column, String& Typed)
{
  TCustomDBAxisGridEh* G = GetGrid();
  const TAxisBarEhType Type = Column->GetBarType();
  if (Typed == QStringLiteral("\b")) {
    if (ListAutoFiltered(Column))
      ApplyListFilter(Column, Text().left(SelStart()));
    if (Type == ctPickList || Type == ctLookupField || Type == ctKeyPickList || Type == ctDataList)
      Typed.clear();
    return;
  }
  TDataSet* DS = Column->GetDropDownListDataSet();
  const String ListField = ListFieldOf(Column);
  const String Candidate = Text().left(SelStart()) + Typed;
  Typed.clear();
  bool Found = DS->Locate(ListField, Variant(Candidate), TLocateOptions{loPartialKey});
  if (!Found && Column->CaseInsensitiveTextSearch())
    Found = DS->Locate(ListField, Variant(Candidate), TLocateOptions{loPartialKey, loCaseInsensitive});
  if (!Found && Column->LimitTextToListValues()) {
    // The text stays one of the list's: the character is refused aloud.
    MessageBeep(MB_OK);
    return;
  }
  const String Display = Found ? DS->FieldByName(ListField)->AsString() : Candidate;
  const Variant Key = Found ? ListRowKey(Column, DS, ListField) : Null;
  G->DataLink()->Edit();
  if (!G->DataLink()->Editing())
    return;
  // The open list shows all rows while the key moves, then the rows of the
  // new text; its grid redraws once.
  const bool Filtered = ListAutoFiltered(Column);
  if (Filtered) {
    DS->DisableControls();
    ApplyListFilter(Column, String());
  }
  ScopeExit Enable([DS, Filtered] {
    if (Filtered)
      DS->EnableControls();
  });
  G->DataLink()->Modified();
  SetTextWithTail(Display, Found ? Integer(Candidate.size()) : Integer(Display.size()));
  G->SetEditKeyValue(Key);
  G->SetEditTextValue(Text());
  ListFollowsEditText(Column);
  if (Filtered)
    ApplyListFilter(Column, Text().left(SelStart()));
}

void TDBAxisGridInplaceEdit::PickListTypedText(TAxisBarEh* Column, String& Typed)
{
  TCustomDBAxisGridEh* G = GetGrid();
  const bool Limit = Column->LimitTextToListValues();
  if (Typed == QStringLiteral("\b")) {
    if (Limit || Column->GetBarType() == ctKeyPickList)
      Typed.clear();
    return;
  }
  const String Candidate = Text().left(SelStart()) + Typed;
  const Integer Index = Column->LocatePickList(Candidate, true);
  if (Index < 0) {
    if (Limit)
      Typed.clear();
    return;
  }
  Typed.clear();
  G->DataLink()->Edit();
  if (G->DataLink()->Editing())
    G->DataLink()->Modified();
  const String Entry = Column->PickList()->Strings(Index);
  SetTextWithTail(Entry, Integer(Candidate.size()));
  G->SetEditTextValue(Entry);
  if (Column->HasKeyList() && Index < Column->KeyList()->Count())
    G->SetEditKeyValue(Variant(Column->KeyList()->Strings(Index)));
  if (FPickList && FPickList->Items()->Count() > Index)
    FPickList->SetItemIndex(Index);
}

void TDBAxisGridInplaceEdit::EditTextToKeyValue()
{
  TCustomDBAxisGridEh* G = GetGrid();
  TAxisBarEh* Column = GetAxisBar();
  if (!G || !Column || !Column->CanModify(true))
    return;
  G->SetEditTextValue(Text());
  G->SetEditKeyValue(Null);
  if (!IsLookupEditStyleEh(FEditStyle))
    return;
  TDataSet* DS = Column->GetDropDownListDataSet();
  const String Display = Column->LookupDisplayFieldNameEh();
  if (!DS || Display.isEmpty())
    return;
  if (DS->Locate(Display, Variant(Text()), TLocateOptions{loCaseInsensitive}))
    G->SetEditKeyValue(DS->FieldValues(Column->LookupParams()->LookupKeyFieldNames()));
}

void TDBAxisGridInplaceEdit::ListFollowsEditText(TAxisBarEh* Column)
{
  TCustomDBAxisGridEh* G = GetGrid();
  if (!G)
    return;
  if (IsPickEditStyleEh(FEditStyle) && FPickList)
    FPickList->SetItemIndex(Column->LocatePickList(G->EditText(), false));
  else if (IsLookupEditStyleEh(FEditStyle))
    if (IPopupDataGridBoxEh* Box = PopupDataGridBoxOf(FDataList))
      Box->SetKeyValue(G->EditKeyValue());
}

bool TDBAxisGridInplaceEdit::ListAutoFiltered(TAxisBarEh* Column) const
{
  return FListVisible && FDataList && FActiveList == FDataList && Column->DropDownBox()->ListSourceAutoFilter();
}

void TDBAxisGridInplaceEdit::ApplyListFilter(TAxisBarEh* Column, const String& FilterText)
{
  if (TDataSet* DS = Column->GetDropDownListDataSet())
    Column->DropDownBoxApplyTextFilter(DS, ListFieldOf(Column), Column->DropDownBox()->ListSourceAutoFilterType(),
                                       FilterText);
}

// --- Edit buttons.

void TDBAxisGridInplaceEdit::StepValue(bool TopHalf)
{
  TCustomDBAxisGridEh* G = GetGrid();
  TAxisBarEh* Column = GetAxisBar();
  if (!G || !Column || !Column->CanModify(true))
    return;
  if (Text() != Column->GetInplaceEditorText()) {
    G->SetEditTextValue(Text());
    G->UpdateData();
  }
  Column->StepUpDown(TopHalf ? 1 : 2);
}

void TDBAxisGridInplaceEdit::DefaultEditButtonAction(bool IsBottom, bool& Handled)
{
  if (IsUpDownEditStyleEh(FEditStyle)) {
    StepValue(!IsBottom);
    Handled = true;
    return;
  }
  if (FDroppedDown)
    return;
  DropDown();
  Handled = FDroppedDown;
  FNoClickCloseUp = true;
}

// The edit button a control of the strip stands for.
static TEditButtonEh* ButtonOfControl(TEditButtonsBoxEh* Box, TObject* Control, Integer* Index = nullptr)
{
  if (!Box)
    return nullptr;
  const TEditButtonControlList& List = Box->BtnCtlList();
  for (std::size_t I = 0; I < List.size(); ++I)
    if (List[I].EditButtonControl == Control) {
      if (Index)
        *Index = Integer(I);
      return List[I].EditButton;
    }
  return nullptr;
}

void TDBAxisGridInplaceEdit::EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)
{
  SetFocus();
  Handled = false;
  TEditButtonEh* B = ButtonOfControl(FButtonsBox, Sender);
  TCustomDBAxisGridEh* G = GetGrid();
  TAxisBarEh* Column = GetAxisBar();
  if (!B || !G || !Column)
    return;
  if (B->OnDown)
    B->OnDown(Sender, TopButton, AutoRepeat, Handled);
  auto* Control = static_cast<TEditButtonControlEh*>(Sender);
  // The press that closed this button's drop-down form is spent on that:
  // the form's end is still queued for the editor.
  if (!Handled && (IsButtonMessagePending(Control, nullptr) || TakeClosingPress())) {
    Handled = true;
    return;
  }
  if (!Handled)
    CallEditButtonDropDownForm(B, Control, Handled);
  if (!Handled && B->DropdownMenu()) {
    PopupMenuUnderControl(B->DropdownMenu(), Control);
    Handled = true;
  }
  if (!Handled && B->DefaultAction())
    DefaultEditButtonAction(!TopButton, Handled);
  if (!Handled && FEditStyle != esEllipsis && B->DefaultAction())
    G->EditButtonDefaultAction(Column, this, nullptr, Column->EditButton(), MainButtonControl(FButtonsBox), TRect(),
                               true, Handled);
}

void TDBAxisGridInplaceEdit::EditButtonClick(TObject* Sender)
{
  TCustomDBAxisGridEh* G = GetGrid();
  Integer Index = -1;
  TEditButtonEh* B = ButtonOfControl(FButtonsBox, Sender, &Index);
  if (!G || !B)
    return;
  if (Index == 0 && (FEditStyle == esEllipsis || FEditStyle == esDropDown || FEditStyle == esAltDropDown))
    G->EditButtonClick();
  bool Handled = false;
  B->Click(Sender, Handled);
  if (!Handled && FDroppedDown && !FNoClickCloseUp && (Index == 0 || Index == FirstVisibleButtonIndex()))
    CloseUp(false);
  FNoClickCloseUp = false;
}

void TDBAxisGridInplaceEdit::EditButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y)
{
  (void)Sender; (void)Shift; (void)X; (void)Y;
}

void TDBAxisGridInplaceEdit::EditButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                               Integer Y)
{
  (void)Button;
  (void)Shift;
  auto* C = dynamic_cast<TControl*>(Sender);
  if (C && !PtInRect(C->ClientRect(), TPoint(X, Y)))
    FNoClickCloseUp = false;
}

void TDBAxisGridInplaceEdit::CallEditButtonDropDownForm(TEditButtonEh* EditButton, TEditButtonControlEh* ButtonControl,
                                                        bool& Handled)
{
  TCustomDBAxisGridEh* G = GetGrid();
  TAxisBarEh* Column = GetAxisBar();
  auto* P = EditButton ? dynamic_cast<TAxisBarDropDownFormCallParamsEh*>(EditButton->DropDownFormParams()) : nullptr;
  if (!G || !Column || !P)
    return;
  P->FEditButtonControl = ButtonControl;
  P->FDataLink = G->DataLink();
  P->FField = Column->Field();
  P->FOnGetActualDropDownFormProc = nullptr;
  P->FPlaceBox = nullptr;
  P->FEditControl = this;
  P->FEditControlScreenRect = TRect();
  // Every button's form is told when the cell may not change, not only the
  // main button's.
  if (!P->OnCheckDataIsReadOnly)
    P->OnCheckDataIsReadOnly = [Column](bool& ReadOnly) {
      bool BarReadOnly = false;
      Column->GetInplaceEditorReadOnly(BarReadOnly);
      ReadOnly = ReadOnly || BarReadOnly;
    };
  P->CheckShowDropDownForm(Handled);
}

// --- Clipboard.

bool TDBAxisGridInplaceEdit::HandleCut(TMessage& Message)
{
  TAxisBarEh* Column = GetAxisBar();
  if (Column && Column->LimitTextToListValues() && !(SelStart() == 0 && SelLength() == GetTextLen()))
    return true;
  return inherited::HandleCut(Message);
}

bool TDBAxisGridInplaceEdit::HandleClear(TMessage& Message)
{
  return HandleCut(Message);
}

static bool IsFreeTextColumn(TAxisBarEh* Column)
{
  const TAxisBarEhType T = Column->GetBarType();
  if (T == ctLookupField || T == ctKeyPickList)
    return false;
  return !((T == ctPickList || T == ctDataList) && Column->LimitTextToListValues());
}

bool TDBAxisGridInplaceEdit::HandlePaste(TMessage& Message)
{
  TCustomDBAxisGridEh* G = GetGrid();
  TAxisBarEh* Column = GetAxisBar();
  if (!G || !Column || !G->CanEditByAllowedOperations() || !Column->CanModify(false))
    return true;
  if (IsFreeTextColumn(Column)) {
    if (!EditCanModify() || !Clipboard()->HasFormat(CF_UNICODETEXT))
      return inherited::HandlePaste(Message);
    return PasteIntoFreeText(Column, Clipboard()->AsText());
  }
  if (!Clipboard()->HasFormat(CF_UNICODETEXT))
    return true;
  return PasteIntoList(Column, Clipboard()->AsText());
}

bool TDBAxisGridInplaceEdit::PasteIntoFreeText(TAxisBarEh* Column, const String& Clip)
{
  TCustomDBAxisGridEh* G = GetGrid();
  String Pasted = Column->GetAcceptableEditText(Clip);
  const String Old = Text();
  const Integer Start = SelStart();
  const Integer Len = SelLength();
  // The text after the paste stays within MaxLength: the pasted part is cut.
  if (MaxLength() > 0)
    Pasted = Pasted.left(std::max(MaxLength() - (Integer(Old.size()) - Len), 0));
  const String NewText = Old.left(Start) + Pasted + Old.mid(Start + Len);
  G->DataLink()->Edit();
  if (!G->DataLink()->Editing())
    return true;
  G->DataLink()->Modified();
  SetText(NewText);
  SetSel(Start + Integer(Pasted.size()), 0);
  G->SetEditTextValue(NewText);
  EditCoreControl()->Perform(EM_SCROLLCARET, 0, 0);
  return true;
}

bool TDBAxisGridInplaceEdit::PasteIntoList(TAxisBarEh* Column, const String& Clip)
{
  TCustomDBAxisGridEh* G = GetGrid();
  const String Candidate = Text().left(SelStart()) + Clip + Text().mid(SelStart() + SelLength());
  const TAxisBarEhType Type = Column->GetBarType();
  TDataSet* DS = Column->GetDropDownListDataSet();
  if ((Type == ctLookupField || Type == ctDataList) && DS) {
    const String ListField = ListFieldOf(Column);
    bool Found = DS->Locate(ListField, Variant(Candidate), TLocateOptions{loPartialKey});
    if (!Found && Column->CaseInsensitiveTextSearch())
      Found = DS->Locate(ListField, Variant(Candidate), TLocateOptions{loPartialKey, loCaseInsensitive});
    if (!Found && Column->LimitTextToListValues())
      return true;
    const String Display = Found ? DS->FieldByName(ListField)->AsString() : Candidate;
    const Variant Key = Found ? ListRowKey(Column, DS, ListField) : Null;
    G->DataLink()->Edit();
    if (!G->DataLink()->Editing())
      return true;
    G->DataLink()->Modified();
    SetTextWithTail(Display, Found ? Integer(Candidate.size()) : Integer(Display.size()));
    G->SetEditKeyValue(Key);
    G->SetEditTextValue(Text());
    return true;
  }
  const Integer Index = Column->LocatePickList(Candidate, true);
  const bool FromList = Index >= 0 && G->CanEditModifyData();
  if (!FromList && Column->LimitTextToListValues())
    return true;
  G->DataLink()->Edit();
  if (G->DataLink()->Editing())
    G->DataLink()->Modified();
  if (FromList)
    SetTextWithTail(Column->PickList()->Strings(Index), Integer(Candidate.size()));
  else
    SetText(Candidate);
  G->SetEditTextValue(Text());
  if (FromList && Column->HasKeyList() && Index < Column->KeyList()->Count())
    G->SetEditKeyValue(Variant(Column->KeyList()->Strings(Index)));
  return true;
}

TInplaceEditCoreControl* TDBAxisGridInplaceEdit::CreateEditCoreControl()
{
  return new TDBAxisGridnplaceEditCoreControl(this);
}

void TDBAxisGridInplaceEdit::Hide()
{
  CloseUp(false);
  inherited::Hide();
}
