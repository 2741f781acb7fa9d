// DBCtrlsEhButtons.cpp: the editor's edit buttons (layout in the buttons box,
// the order of events on press and click, drop-down menus, the default
// actions), the dropped-down state, and the MRU list under the editor.
#include "gridlib/editors/DBCtrlsEh.h"

#include "gridlib/editors/MemoEditFormsEh.h"
#include "gridlib/foundation/GridsEh.h"
#include "platform/gui/Menus.h"

namespace {

bool IsTextEditStyle(TEditButtonStyleEh Style) { return Style == ebsEllipsisEh || Style == ebsGlyphEh; }
bool IsDropDownStyle(TEditButtonStyleEh Style) { return Style == ebsDropDownEh || Style == ebsAltDropDownEh; }
// A window opened for the editor must not offer a change it would refuse.
bool RefusesChange(TCustomDBEditEh* Edit) { return Edit->ReadOnly() || !Edit->DataLink()->CanModify(); }

} // namespace

TDBEditEhDefaultButtonActionProc& DBEditEhDefaultButtonActionProc()
{
  static TDBEditEhDefaultButtonActionProc Proc = DBEditEhDefaultButtonAction;
  return Proc;
}

TClass& DBEditEhMemoEditFormClass()
{
  static TClass FormClass = TMemoEditWinEh::StaticClass();
  return FormClass;
}

void DBEditEhDefaultButtonAction(TCustomDBEditEh* EditControl, TEditButtonEh* EditButton,
                                 TEditButtonControlEh* EditButtonControl, bool& Handled, bool IsDown)
{
  if (IsDown && IsDropDownStyle(EditButton->Style())) {
    TDropDownFormCallParamsEh* Params = EditButton->DropDownFormParams();
    Params->FEditButton = EditButton;
    Params->FEditButtonControl = EditButtonControl;
    Params->FEditControl = EditControl;
    Params->FDataLink = EditControl->DataLink();
    Params->FField = EditControl->Field();
    Params->FOnCloseDropDownFormProc = [EditControl](TControl* C, TEditButtonEh* B, bool Accept, TCustomForm* Form,
                                                     TDynVarsEh* DynParams) {
      if (EditControl->ButtonsBox())
        for (const TEditButtonControlLineRec& Entry : EditControl->ButtonsBox()->BtnCtlList())
          if (Entry.EditButtonControl)
            Entry.EditButtonControl->SetAlwaysDown(false);
      if (EditControl->OnCloseDropDownForm)
        EditControl->OnCloseDropDownForm(C, B, Accept, Form, DynParams);
    };
    Params->FOnOpenDropDownFormProc = [EditControl](TControl* C, TEditButtonEh* B, TCustomForm*& Form,
                                                    TDynVarsEh* DynParams) {
      EditControl->DoOpenDropDownForm(C, B, Form, DynParams);
    };
    Params->FOnSetVarValueProc = [EditControl](const Variant& V) { EditControl->SetValueFromDropDownForm(V); };
    Params->FOnGetVarValueProc = [EditControl](Variant& V) { V = EditControl->GetValueForDropDownForm(); };
    Params->FOnGetActualDropDownFormProc = [EditControl](TCustomForm*& Form, bool& FreeFormOnClose) {
      Form = EditControl->GetDefaultDropDownForm(FreeFormOnClose);
    };
    // The call parameters show the form after this, and their own test sees
    // only the field.
    Params->OnCheckDataIsReadOnly = [EditControl](bool& RO) {
      RO = RO || RefusesChange(EditControl);
    };
    Params->CheckShowDropDownForm(Handled);
    return;
  }
  if (IsDown || !IsTextEditStyle(EditButton->Style()))
    return;
  const TEditMemoTextProcEh& Edit = EditMemoTextProcEh();
  if (!Edit)
    return;
  const bool ReadOnly = RefusesChange(EditControl);
  String Text = EditControl->Text();
  TRect Where;
  GetControlScreenRectEh(EditControl, Where);
  if (Edit(Text, Where, ReadOnly) && !ReadOnly)
    EditControl->SetText(Text);
  Handled = true;
}

// ---------------------------------------------------------------------------
// Buttons and their layout.

TEditButtonEh* TCustomDBEditEh::CreateEditButton() { return new TEditButtonEh(this); }

void TCustomDBEditEh::RemakeEditButton()
{
  FEditButton.reset(CreateEditButton());
  InitEditButtons();
  if (HandleAllocated())
    UpdateEditButtons();
}

TEditButtonsEh* TCustomDBEditEh::CreateEditButtons()
{
  return new TEditButtonsEh(this, TVisibleEditButtonEh::StaticClass());
}

void TCustomDBEditEh::InitEditButtons()
{
  const auto Relayout = [this](TObject*) {
    if (HandleAllocated())
      UpdateEditButtons();
  };
  FEditButton->OnChanged = Relayout;
  FEditButtons->OnChanged = Relayout;
  const auto RefChanged = [this](TObject*, TComponent* Ref) {
    if (Ref)
      Ref->FreeNotification(this);
    Invalidate();
  };
  FEditButton->OnRefComponentChanged = RefChanged;
  FEditButtons->OnRefComponentChanged = RefChanged;
  FMRUList->OnSetDropDown = [this](TObject*) { MRUListDropDown(); };
  FMRUList->OnSetCloseUp = [this](TObject*, bool Accept) { MRUListCloseUp(Accept); };
  FMRUList->OnFillAutogenItems = [this](TMRUListEh* Sender, TStrings* Items) { MRUListFillAutogenItems(Sender, Items); };
  FMRUList->OwnerFilterItem = [this](const String& AText, bool& Accept) { FilterMRUItem(AText, Accept); };
}

void TCustomDBEditEh::CreateEditButtonControl(TEditButtonControlEh*& Control)
{
  Control = new TEditButtonControlEh(this);
  TControlStyle Style = Control->ControlStyle();
  Style.Include(csReplicatable);
  Control->SetControlStyle(Style);
  Control->SetBounds(0, 0, 10, 17);
  Control->SetVisible(true);
  Control->SetTransparent(false);
}

void TCustomDBEditEh::CreateButtonsBox()
{
  FButtonsBox = new TEditButtonsBoxEh(this);
  FButtonsBox->SetBounds(0, 0, 0, 0);
  FButtonsBox->SetVisible(false);
  FButtonsBox->OnDown = [this](TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled) {
    EditButtonDown(Sender, TopButton, AutoRepeat, Handled);
  };
  FButtonsBox->OnClick = [this](TObject* Sender) { EditButtonClick(Sender); };
  FButtonsBox->OnMouseMove = [this](TObject* Sender, TShiftState Shift, Integer X, Integer Y) {
    EditButtonMouseMove(Sender, Shift, X, Y);
  };
  FButtonsBox->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    EditButtonMouseUp(Sender, Button, Shift, X, Y);
  };
  FButtonsBox->OnCreateEditButtonControl = [this](TEditButtonControlEh*& Control) { CreateEditButtonControl(Control); };
  FButtonsBox->SetParent(this);
}

void TCustomDBEditEh::UpdateEditButtons()
{
  if (!FButtonsBox)
    CreateButtonsBox();
  FButtonsBox->BeginLayout();
  FButtonsBox->SetButtonsCount(FEditButtons->Count() + 1);
  FButtonsBox->SetFlat(FFlat);
  FButtonsBox->SetMaxButtonHeight(GetEditButtonsRect().Height());
  FButtonsBox->SetEditButton(0, FEditButton.get());
  for (Integer I = 0; I < FEditButtons->Count(); ++I)
    FButtonsBox->SetEditButton(I + 1, FEditButtons->Items(I));
  FButtonsBox->EndLayout();
  // The area is measured again now that the buttons' width is known.
  const TRect Area = GetEditButtonsRect();
  if (FButtonsBox->ButtonsWidth() <= 0) {
    FButtonsBox->SetVisible(false);
  } else {
    FButtonsBox->SetBoundsRect(Area);
    FButtonsBox->SetVisible(true);
  }
  UpdateEditButtonControlsState();
}

void TCustomDBEditEh::UpdateEditButtonControlsState()
{
  if (FButtonsBox) {
    FButtonsBox->SetBorderActive(FBorderActive);
    FButtonsBox->UpdateEditButtonControlsState();
  }
  FEditButton->SetParentDefinedDefaultAction(GetEditButtonDefaultAction(FEditButton.get()));
  for (Integer I = 0; I < FEditButtons->Count(); ++I)
    FEditButtons->Items(I)->SetParentDefinedDefaultAction(GetEditButtonDefaultAction(FEditButtons->Items(I)));
}

bool TCustomDBEditEh::GetEditButtonDefaultAction(TEditButtonEh* EditButton)
{
  if (EditButton == FEditButton.get())
    return EditButton->Visible();
  return !EditButton->OnClick && !EditButton->OnDown && !EditButton->DropdownMenu();
}

TEditButtonControlEh* TCustomDBEditEh::GetEditButtonControlByEditButton(TEditButtonEh* EditButton) const
{
  if (!FButtonsBox)
    return nullptr;
  for (const TEditButtonControlLineRec& Entry : FButtonsBox->BtnCtlList())
    if (Entry.EditButton == EditButton)
      return Entry.EditButtonControl;
  return nullptr;
}

TEditButtonEh* TCustomDBEditEh::GetFirstDefaultActionEditButton() const
{
  if (FEditButton->DefaultAction() && FEditButton->Visible())
    return FEditButton.get();
  for (Integer I = 0; I < FEditButtons->Count(); ++I) {
    TEditButtonEh* B = FEditButtons->Items(I);
    if (B->DefaultAction() && B->Visible())
      return B;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// Press and click.

namespace {

// The entry of a button control in the box: 0 the main button.
Integer EntryOf(TObject* Sender) { return Integer(static_cast<TComponent*>(Sender)->Tag()); }

} // namespace

void TCustomDBEditEh::EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)
{
  Handled = false;
  if (!Focused())
    SetFocus();
  if (!Focused())
    return;
  auto* Control = static_cast<TEditButtonControlEh*>(Sender);
  const Integer Entry = EntryOf(Sender);
  const bool Main = Entry == 0;
  TEditButtonEh* Button = Main ? FEditButton.get() : FEditButtons->Items(Entry - 1);
  if (Main && !Control->Enabled())
    return;
  if (Main) {
    if (OnButtonDown)
      OnButtonDown(Sender, TopButton, AutoRepeat, Handled);
  } else if (Button->OnDown) {
    Button->OnDown(Sender, TopButton, AutoRepeat, Handled);
  }
  if (!Handled)
    DoOpenDropDownForm(Button, Control, Handled);
  if (!Handled && Button->DropdownMenu()) {
    TPopupMenu* Menu = Button->DropdownMenu();
    TPoint P = Control->ClientToScreen(TPoint(0, Control->Height()));
    if (Menu->Alignment() == paRight)
      P.X += Control->Width();
    SkipPendingMouseDownEh(Control);
    Control->Perform(WM_LBUTTONUP, 0, 0);
    Menu->Popup(P.X, P.Y);
    Handled = true;
    return;
  }
  if (!Handled && (!Main || !Button->Action()) && Button->DefaultAction())
    DefaultEditButtonDown(Button, Control, TopButton, AutoRepeat, Handled);
}

void TCustomDBEditEh::EditButtonClick(TObject* Sender)
{
  bool Handled = false;
  const Integer Entry = EntryOf(Sender);
  auto* Control = static_cast<TEditButtonControlEh*>(Sender);
  TEditButtonEh* Button = Entry == 0 ? FEditButton.get() : FEditButtons->Items(Entry - 1);
  Button->Click(Sender, Handled);
  if (!Handled && Entry == 0 && OnButtonClick)
    OnButtonClick(Sender, Handled);
  if (!Handled && Button->DefaultAction() && DBEditEhDefaultButtonActionProc())
    DefaultEditButtonClick(Button, Control, Handled);
  if (!Handled && FDroppedDown && !FNoClickCloseUp && Sender == FDroppedDownButtonControl)
    CloseUp(false);
  FNoClickCloseUp = false;
}

void TCustomDBEditEh::EditButtonMouseUp(TObject* Sender, TMouseButton, TShiftState, Integer X, Integer Y)
{
  auto* Control = static_cast<TControl*>(Sender);
  if (X < 0 || X >= Control->ClientWidth() || Y < 0 || Y > Control->ClientHeight())
    FNoClickCloseUp = false;
}

void TCustomDBEditEh::DefaultEditButtonClick(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                             bool& Handled)
{
  if (const TDBEditEhDefaultButtonActionProc& Proc = DBEditEhDefaultButtonActionProc())
    Proc(this, EditButton, EditButtonControl, Handled, false);
}

void TCustomDBEditEh::DefaultEditButtonDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                            bool, bool&, bool& Handled)
{
  if (const TDBEditEhDefaultButtonActionProc& Proc = DBEditEhDefaultButtonActionProc())
    Proc(this, EditButton, EditButtonControl, Handled, true);
}

// The drop-down form launcher opens the form a button names; without the
// launcher in this build no button names one that can open.
void TCustomDBEditEh::DoOpenDropDownForm(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                         bool& Handled)
{
  OpenEditButtonDropDownFormEh(
      this, DataLink(), Field(), Text(), EditButton, EditButtonControl, OnOpenDropDownForm,
      [this](TCustomForm* Form, bool Accept, TDynVarsEh* DynParams, TDropDownFormSysParams* SysParams) {
        EditButtonDropDownFormCallback(Form, Accept, DynParams, SysParams);
      },
      Handled);
}

void TCustomDBEditEh::EditButtonDropDown(TEditButtonEh*, TEditButtonControlEh*)
{
  if (FMRUList->DroppedDown())
    FMRUList->CloseUp(false);
}

void TCustomDBEditEh::CloseUp(bool) {}

TCustomForm* TCustomDBEditEh::GetDefaultDropDownForm(bool& FreeFormOnClose)
{
  TCustomForm* Form = DBEditEhMemoEditFormClass() ? DropDownFormGlobalRefEh(DBEditEhMemoEditFormClass()) : nullptr;
  if (Form)
    FreeFormOnClose = false;
  return Form;
}

void TCustomDBEditEh::DoOpenDropDownForm(TControl*, TEditButtonEh* Button, TCustomForm*& DropDownForm,
                                         TDynVarsEh* DynParams)
{
  if (auto* Form = dynamic_cast<TCustomDropDownFormEh*>(DropDownForm))
    Form->SetReadOnly(RefusesChange(this));
  if (OnOpenDropDownForm)
    OnOpenDropDownForm(this, Button, DropDownForm, DynParams);
}

Variant TCustomDBEditEh::GetValueForDropDownForm() { return Value(); }

void TCustomDBEditEh::SetDroppedDownState(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl)
{
  FDroppedDown = true;
  FDroppedDownButton = EditButton;
  FDroppedDownButtonControl = EditButtonControl;
  if (EditButtonControl)
    EditButtonControl->SetAlwaysDown(true);
}

void TCustomDBEditEh::ResetDroppedDownState()
{
  if (FDroppedDownButtonControl)
    FDroppedDownButtonControl->SetAlwaysDown(false);
  FDroppedDown = false;
  FDroppedDownButton = nullptr;
  FDroppedDownButtonControl = nullptr;
}

void TCustomDBEditEh::ClickEditButtonByKey(TEditButtonEh* EditButton)
{
  TEditButtonControlEh* Control = GetEditButtonControlByEditButton(EditButton);
  if (!Control)
    return;
  bool AutoRepeat = false, Handled = false;
  EditButtonDown(Control, false, AutoRepeat, Handled);
  Control->Click();
}

// ---------------------------------------------------------------------------
// MRU list.

TMRUListboxEh* TCustomDBEditEh::CreateMRUListControl()
{
  auto* List = new TMRUListboxEh(this);
  List->SetVisible(false);
  List->SetCtl3D(false);
  List->OnMouseUp = [this, List](TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
    const TRect Client = List->ListGrid()->ClientRect();
    FMRUList->CloseUp(Button == mbLeft && Client.Contains(TPoint(X, Y)));
  };
  return List;
}

void TCustomDBEditEh::FilterMRUItem(const String& AText, bool& Accept)
{
  const String Typed = Text();
  const String Head = AText.left(Typed.size());
  Accept = (FMRUList->CaseSensitive() ? AnsiCompareStrEh(Head, Typed) : AnsiCompareTextEh(Head, Typed)) == 0;
  if (FMRUList->OnFilterItem)
    FMRUList->OnFilterItem(this, Accept);
}

void TCustomDBEditEh::MRUListFillAutogenItems(TMRUListEh*, TStrings* Items)
{
  TField* F = Field();
  if (!F || !F->DataSet() || !F->DataSet()->Active())
    return;
  (void)Items;   // no data-set features are registered in this program
}

namespace {

// Where the list stands: under the editor's text area, left-aligned.
void PlaceMRUList(TCustomDBEditEh* Edit, TMRUListboxEh* List, const TRect& TextArea)
{
  TRect Host(Edit->ClientToScreen(TextArea.TopLeft()), Edit->ClientToScreen(TextArea.BottomRight()));
  TPoint Pos;
  CalcDropDownPosForRectEh(Host, List, 0, Pos);
  List->SetBounds(Pos.X, Pos.Y, List->Width(), List->Height());
  List->Show();
}

} // namespace

void TCustomDBEditEh::MRUListDropDown()
{
  if (!FMRUListControl)
    FMRUListControl = CreateMRUListControl();
  TMRUListboxEh* List = FMRUListControl;
  List->SetInternalResizing(true);
  const bool GripResized = List->SizeGripResized();
  if (!FMRUList->FilterItemsTo(List->Items(), Text())) {
    List->SetInternalResizing(false);
    FMRUList->CloseUp(false);
    return;
  }
  const Integer Count = List->Items()->Count();
  TRect TextArea;
  CalcEditRect(TextArea);
  if (Count == 0) {
    List->SetInternalResizing(false);
    if (FMRUList->DroppedDown())
      FMRUList->CloseUp(false);
    return;
  }
  List->SetRowCount(std::min(Count, FMRUList->Rows()));
  if (FMRUList->DroppedDown()) {
    PlaceMRUList(this, List, TextArea);
    List->SetSizeGripResized(GripResized);
  } else {
    List->SetColor(Color());
    List->SetFont(Font());
    List->SetItemHeight(List->GetTextHeight());
    List->SetItemIndex(-1);
    List->SetRowCount(std::min(Count, FMRUList->Rows()));
    List->SetWidth(FMRUList->Width() > 0 ? FMRUList->Width() : TextArea.Width());
    PlaceMRUList(this, List, TextArea);
    FMRUList->SetDroppedDown(true);
    List->SetSizeGripResized(false);
  }
  List->SetInternalResizing(false);
}

void TCustomDBEditEh::MRUListCloseUp(bool Accept)
{
  if (!FMRUList->DroppedDown() || !IsLiveControl(FMRUListControl))
    return;
  TMRUListboxEh* List = FMRUListControl;
  if (TControl* Captured = Mouse()->Capture())
    Captured->Perform(WM_CANCELMODE);
  const bool HadFocus = List->Focused();
  List->Hide();
  if (List->SizeGripResized()) {
    FMRUList->SetRows(List->ResizedRowCount());
    FMRUList->SetWidth(List->ResizedWidth());
  }
  if (HadFocus)
    SetFocus();
  FMRUList->SetDroppedDown(false);
  if (Accept && !FReadOnly && FDataLink->Edit() && List->ItemIndex() >= 0) {
    InternalSetText(List->Items()->Strings(List->ItemIndex()));
    if (Focused())
      SelectAll();
  }
}

void TCustomDBEditEh::CheckMRUListDropDown()
{
  const String EmptyText = EditMask().isEmpty() ? String() : FormatMaskText(EditMask(), String());
  if (FMRUList->DroppedDown() && Text() == EmptyText) {
    FMRUList->CloseUp(false);
    return;
  }
  if (FMRUList->Active() && Showing() && !FDroppedDown && Focused() && Text() != EmptyText)
    FMRUList->DropDown();
}

bool TCustomDBEditEh::MRUListKeyDown(TMessage& Message)
{
  if (!FMRUList->DroppedDown() || (Message.Msg != WM_KEYDOWN && Message.Msg != WM_SYSKEYDOWN))
    return false;
  const Word Key = Word(Message.WParam);
  const bool Alt = Message.Msg == WM_SYSKEYDOWN;
  const bool Ctrl = GetKeyState(VK_CONTROL) < 0;
  if ((!Alt && (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN)) ||
      (Ctrl && (Key == VK_HOME || Key == VK_END))) {
    FMRUListControl->Perform(Message.Msg, Message.WParam, Message.LParam);
    Message.Result = 0;
    return true;
  }
  if (Key == VK_RETURN || Key == VK_ESCAPE) {
    FMRUList->CloseUp(Key == VK_RETURN);
    Message.Result = 0;
    return true;
  }
  return false;
}

void TCustomDBEditEh::SetEditButton(TEditButtonEh* Value) { FEditButton->Assign(Value); }
void TCustomDBEditEh::SetEditButtons(TEditButtonsEh* Value) { FEditButtons->Assign(Value); }
void TCustomDBEditEh::SetMRUList(TMRUListEh* Value) { FMRUList->Assign(Value); }

void RegisterDBCtrlsEhButtonsClasses()
{
  RegisterClassInfo<TCustomDBEditEh, TCustomMaskEdit>("TCustomDBEditEh");
  RegisterClassInfo<TDBEditEh, TCustomDBEditEh>("TDBEditEh")
    .Property("EditButton", &TDBEditEh::EditButton, &TDBEditEh::SetEditButton)
    .Property("EditButtons", &TDBEditEh::EditButtons, &TDBEditEh::SetEditButtons)
    .Property("MRUList", &TDBEditEh::MRUList, &TDBEditEh::SetMRUList)
    .Event("OnButtonClick", &TDBEditEh::OnButtonClick)
    .Event("OnButtonDown", &TDBEditEh::OnButtonDown);
  RegisterMemoEditFormsEhClasses();
}
