// DBCtrlsEhComboBox.cpp: the combo box editor: items and keys, the
// drop-down list, incremental search, completion and stepping.
#include "gridlib/editors/DBCtrlsEh.h"

#include "gridlib/foundation/GridsEh.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/ScopeExit.h"

namespace {

bool IsNullValue(const Variant& V) { return VarIsNull(V) || VarIsEmpty(V); }

} // namespace

// ---------------------------------------------------------------------------
// TDropDownBoxEh

void TDropDownBoxEh::Assign(TPersistent* Source)
{
  auto* S = dynamic_cast<TDropDownBoxEh*>(Source);
  if (!S) {
    inherited::Assign(Source);
    return;
  }
  FAlign = S->FAlign;
  FAutoDrop = S->FAutoDrop;
  FRows = S->FRows;
  FSizable = S->FSizable;
  FWidth = S->FWidth;
}

// ---------------------------------------------------------------------------
// TCustomDBComboBoxEh: items, keys and the value

TCustomDBComboBoxEh::TCustomDBComboBoxEh(TComponent* AOwner) : TCustomDBEditEh(AOwner)
{
  FItems = std::make_unique<TStringList>();
  FItems->SetCaseSensitive(false);
  FItems->OnChange = [this](TObject*) { ItemsChanged(false); };
  FKeyItems = std::make_unique<TStringList>();
  FKeyItems->SetCaseSensitive(true);
  FKeyItems->OnChange = [this](TObject*) { ItemsChanged(true); };
  FDropDownBox.reset(CreateDropDownBox());
  FDropDownBox->SetRows(7);
  // The link's post comes here first, for the not-in-list check.
  FDataLink->OnUpdateData = [this](TObject*) {
    if (!FDataPosting)
      UpdateData();
  };
  RemakeEditButton();
}

TCustomDBComboBoxEh::~TCustomDBComboBoxEh()
{
  // The grip's window lives in the list's: it goes before the list.
  delete FSizeGrip;
  FSizeGrip = nullptr;
  FDataLink->SetDataSource(nullptr);
  FItems->OnChange = nullptr;
  FKeyItems->OnChange = nullptr;
}

TDropDownBoxEh* TCustomDBComboBoxEh::CreateDropDownBox()
{
  auto* Box = new TDropDownBoxEh();
  Box->SetRows(7);
  return Box;
}

TEditButtonEh* TCustomDBComboBoxEh::CreateEditButton() { return new TVisibleEditButtonEh(this); }

void TCustomDBComboBoxEh::SetCaseInsensitiveTextSearch(bool Value)
{
  FCaseInsensitiveTextSearch = Value;
  FItems->SetCaseSensitive(!Value);
}

bool TCustomDBComboBoxEh::LimitTextToListValues() const
{
  if (FLimitTextToListValuesStored)
    return FLimitTextToListValues;
  return FKeyItems->Count() > 0 && !OnNotInList;
}

void TCustomDBComboBoxEh::SetLimitTextToListValues(bool Value)
{
  if (FLimitTextToListValuesStored && FLimitTextToListValues == Value)
    return;
  FLimitTextToListValues = Value;
  FLimitTextToListValuesStored = true;
  UpdateEditReadOnly();
}

void TCustomDBComboBoxEh::SetLimitTextToListValuesStored(bool Value)
{
  if (Value == FLimitTextToListValuesStored)
    return;
  if (Value)
    FLimitTextToListValues = LimitTextToListValues();
  FLimitTextToListValuesStored = Value;
  UpdateEditReadOnly();
}

void TCustomDBComboBoxEh::ItemsChanged(bool KeysChanged)
{
  FItemsCount = FItems->Count();
  FKeyBased = FKeyItems->Count() > 0;
  if (FKeyBased)
    FItemsCount = std::min(FItems->Count(), FKeyItems->Count());
  UpdateEditReadOnly();
  if (FCheckingNotInList)
    return;
  if (KeysChanged) {
    if (FKeyBased)
      inherited::InternalSetText(String());
    UpdateItemIndex();
    ResetMaxLength();
    DataChanged();
    return;
  }
  // New texts for the same keys show the item of the current key, not an
  // empty text over a value that is still there; a text the user typed
  // stays and names its item.
  if (FKeyBased && !Modified()) {
    InternalSetValue(FVarValue);
  } else {
    UpdateItemIndex();
    KeyFollowsItem();
  }
  ResetMaxLength();
}

void TCustomDBComboBoxEh::DoGetItemsList()
{
  if (FItems->Count() == 0 && OnGetItemsList)
    OnGetItemsList(this);
}

void TCustomDBComboBoxEh::InternalSetItemIndex(Integer Index)
{
  if (Index != FItemIndex)
    DoGetItemsList();
  if (Index < 0 || Index >= FItemsCount) {
    FItemIndex = -1;
    FVarValue = Null;
  } else {
    FItemIndex = Index;
    if (FKeyBased)
      FVarValue = Variant(FKeyItems->Strings(Index));
  }
  const Integer Chosen = FItemIndex;
  UpdateImageIndex();
  UpdatePopupListboxItemIndex();
  inherited::InternalSetText(Chosen >= 0 ? FItems->Strings(Chosen) : String());
  // Items that differ only in case must not move the choice to another.
  FItemIndex = Chosen;
  FDataLink->Modified();
  SetModified(true);
}

void TCustomDBComboBoxEh::UpdateItemIndex()
{
  FItemIndex = FItems->IndexOf(Text());
  if (FItemIndex >= FItemsCount)
    FItemIndex = -1;
  UpdatePopupListboxItemIndex();
  UpdateImageIndex();
}

void TCustomDBComboBoxEh::KeyFollowsItem()
{
  if (FKeyBased)
    FVarValue = FItemIndex >= 0 ? Variant(FKeyItems->Strings(FItemIndex)) : Variant(Null);
}

void TCustomDBComboBoxEh::UpdatePopupListboxItemIndex()
{
  if (FListVisible && FPopupListbox)
    FPopupListbox->SetItemIndex(FItemIndex);
}

void TCustomDBComboBoxEh::SetItemIndex(Integer Value)
{
  if (ComponentState().Contains(csDesigning) && !DataIndepended())
    return;
  // The write from code that Value makes, with the item put in where the
  // value would go.
  FWritingItemIndex = true;
  FItemIndexFromCode = Value;
  auto Done = ScopeExit([this] { FWritingItemIndex = false; });
  inherited::SetVariantValue(Null);
}

void TCustomDBComboBoxEh::Clear()
{
  if (FKeyBased)
    SetValue(Null);
  else
    inherited::Clear();
}

Variant TCustomDBComboBoxEh::GetVariantValue() const
{
  return FKeyBased ? FVarValue : inherited::GetVariantValue();
}

TAlignment TCustomDBComboBoxEh::DefaultAlignment() const
{
  return FKeyBased ? taLeftJustify : inherited::DefaultAlignment();
}

bool TCustomDBComboBoxEh::IsValidChar(QChar Key) { return FKeyBased || inherited::IsValidChar(Key); }

void TCustomDBComboBoxEh::InternalSetText(const String& AText)
{
  if (!FKeyBased) {
    inherited::InternalSetText(AText);
    UpdateItemIndex();
    return;
  }
  // Only an item's text can be shown: it names the key.
  const Integer I = FItems->IndexOf(AText);
  if (I < 0 || I >= FItemsCount)
    return;
  FVarValue = Variant(FKeyItems->Strings(I));
  FItemIndex = I;
  UpdateImageIndex();
  UpdatePopupListboxItemIndex();
  inherited::InternalSetText(FItems->Strings(I));
  FItemIndex = I;
}

void TCustomDBComboBoxEh::InternalSetValue(const Variant& AValue)
{
  if (FWritingItemIndex) {
    InternalSetItemIndex(FItemIndexFromCode);
    return;
  }
  if (!FKeyBased) {
    inherited::InternalSetValue(AValue);
    UpdateItemIndex();
    return;
  }
  FVarValue = IsNullValue(AValue) ? Variant(Null) : AValue;
  Integer I = -1;
  if (!IsNullValue(AValue)) {
    I = FKeyItems->IndexOf(VarToStrSafeEh(AValue));
    if (I >= FItemsCount)
      I = -1;
  }
  inherited::InternalSetText(I >= 0 ? FItems->Strings(I) : String());
  FItemIndex = I;
  UpdateImageIndex();
  UpdatePopupListboxItemIndex();
}

void TCustomDBComboBoxEh::DataChanged()
{
  if (ComponentState().Contains(csDestroying))
    return;
  const bool Editable = FFocused && FDataLink->CanModify();
  if (TField* F = Field()) {
    Variant V;
    bool Handled = false;
    if (OnGetFieldData)
      OnGetFieldData(this, V, Handled);
    if (!Handled) {
      if (FKeyBased)
        V = F->IsNull() ? Variant(Null) : Variant(F->Text());
      else
        V = Variant(Editable ? F->Text() : F->DisplayText());
      if (F->Alignment() != FAlignment)
        Invalidate();
      if (!FAssignedValues.Contains(evEditMaskEh))
        TCustomMaskEdit::SetEditMask(F->EditMask());
      if (!ComponentState().Contains(csDesigning) &&
          (F->DataType() == ftString || F->DataType() == ftWideString) && MaxLength() == 0 && !FKeyBased)
        SetMaxLength(F->Size());
    }
    if (Editable || FKeyBased)
      InternalSetValue(FKeyBased ? V : Variant(VarToStrSafeEh(V)));
    else
      InternalSetText(VarToStrSafeEh(V));
  } else if (FDataLink->DataIndepended()) {
    if (FKeyBased)
      InternalSetValue(FDataLink->DataIndependentValue);
    else
      InternalSetText(VarToStrSafeEh(FDataLink->DataIndependentValue));
    if (!FAssignedValues.Contains(evEditMaskEh))
      TCustomMaskEdit::SetEditMask(String());
  } else {
    if (!FAssignedValues.Contains(evEditMaskEh))
      TCustomMaskEdit::SetEditMask(String());
    if (FKeyBased)
      InternalSetValue(Null);
    else
      InternalSetText(String());
  }
  UpdateEditReadOnly();
  SetModified(false);
  Invalidate();
}

void TCustomDBComboBoxEh::UpdateData()
{
  // An empty text is no new entry to offer.
  if (OnNotInList && FItemIndex == -1 && !Text().isEmpty()) {
    bool RecheckInList = false;
    {
      FCheckingNotInList = true;
      auto Done = ScopeExit([this] { FCheckingNotInList = false; });
      OnNotInList(this, Text(), RecheckInList);
    }
    if (RecheckInList) {
      UpdateItemIndex();
      KeyFollowsItem();
    }
  }
  inherited::UpdateData();
}

void TCustomDBComboBoxEh::InternalUpdateData()
{
  if (!FKeyBased) {
    inherited::InternalUpdateData();
    return;
  }
  // A typed text that is no item has no key: the key it replaced must not
  // be posted under it.
  if (FItemIndex < 0 && !Text().isEmpty())
    FVarValue = Null;
  if (IsNullValue(FVarValue))
    FDataLink->SetValue(Null);
  else
    FDataLink->SetText(VarToStrSafeEh(FVarValue));
}

void TCustomDBComboBoxEh::ResetMaxLength()
{
  if (MaxLength() <= 0)
    return;
  if (FKeyBased)
    SetMaxLength(0);
  else
    inherited::ResetMaxLength();
}

void TCustomDBComboBoxEh::UpdateEditReadOnly()
{
  // Limited to the list, the text changes only through the search.
  if (LimitTextToListValues())
    SetEditReadOnly(true);
  else
    inherited::UpdateEditReadOnly();
}

void TCustomDBComboBoxEh::UpdateImageIndex()
{
  FDefaultItemIndex = FItemIndex;
  if (OnGetItemImageIndex)
    OnGetItemImageIndex(this, FItemIndex, FDefaultItemIndex);
  inherited::UpdateImageIndex();
}

String TCustomDBComboBoxEh::GetDisplayTextForPaintCopy() const
{
  if (ComponentState().Contains(csDesigning) && !FDataLink->Active())
    return Name();
  TField* F = Field();
  if (!ControlState().Contains(csPaintCopy) || !F)
    return EditText();
  String S;
  if (FKeyBased) {
    const Integer I = FKeyItems->IndexOf(F->Text());
    if (I >= 0 && I < FItemsCount)
      S = FItems->Strings(I);
  } else {
    S = F->DisplayText();
  }
  switch (CharCase()) {
  case ecUpperCase: return S.toUpper();
  case ecLowerCase: return S.toLower();
  default: return S;
  }
}

void TCustomDBComboBoxEh::Change()
{
  UpdateItemIndex();
  // What the user types decides the key at once; Value never reads a key
  // the text no longer shows.
  if (!FInternalTextSetting)
    KeyFollowsItem();
  inherited::Change();
}

// ---------------------------------------------------------------------------
// Search and stepping

bool TCustomDBComboBoxEh::LocateText(const String& AText, bool Partial)
{
  if (!EditCanModify())
    return false;
  const Integer Old = FItemIndex;
  try {
    const Integer Options = Partial ? 2 : 0;
    Integer I = FindInStringsEh(FItems.get(), AText, Options);
    if (I < 0 && FCaseInsensitiveTextSearch)
      I = FindInStringsEh(FItems.get(), AText, Options | 1);
    if (I >= FItemsCount)
      I = -1;
    if (I >= 0) {
      InternalSetItemIndex(I);
      const Integer Len = Integer(EditText().size());
      SetSelStart(std::min(Integer(AText.size()), Len));
      SetSelLength(Len - SelStart());
    } else if (!LimitTextToListValues()) {
      UpdateItemIndex();
    }
    return FItemIndex != Old;
  } catch (const std::exception&) {
    FItemIndex = Old;
    return false;
  }
}

void TCustomDBComboBoxEh::SelectAnchoredAtEnd(Integer Start, Integer End)
{
  Perform(EM_SETSEL, WPARAM(End), LPARAM(Start));
}

bool TCustomDBComboBoxEh::ProcessSearchText(const String& AText)
{
  if ((!Field() && !DataIndepended()) || !EditCanModify())
    return false;
  if (AText == QStringLiteral("\b")) {
    // Backspace moves the start of the completed part one to the left.
    const Integer Len = Integer(EditText().size());
    const Integer Start = SelStart();
    const Integer End = Start + SelLength();
    if (SelLength() == Len)
      SelectAnchoredAtEnd(std::max(Len - 1, 0), Len);
    else
      SelectAnchoredAtEnd(std::max(Start - 1, 0), End);
    return false;
  }
  // The typed prefix is what stands before the completed part.
  const String Search = EditText().left(SelStart()) + AText;
  DoGetItemsList();
  if (Search.isEmpty())
    return false;
  return LocateText(Search, true);
}

void TCustomDBComboBoxEh::SelectNextValue(bool IsPrior)
{
  if (!EditCanModify())
    return;
  Integer I = FItemIndex;
  if (IsPrior) {
    if (FItemIndex > 0)
      I = FItemIndex - 1;
    else if (FItemIndex < 0)
      I = FItemsCount - 1;
  } else if (FItemIndex < FItemsCount - 1) {
    I = FItemIndex + 1;
  }
  if (I == FItemIndex || I < 0)
    return;
  InternalSetItemIndex(I);
  SelectAll();
}

void TCustomDBComboBoxEh::CompleteTypedText(QChar Typed, Integer CaretBefore)
{
  const Integer Len = Integer(EditText().size());
  if (SelStart() != Len || SelLength() > 0 || Typed == QChar('\b')) {
    DoGetItemsList();
    if (LocateText(EditText(), false)) {
      const Integer NewLen = Integer(EditText().size());
      SetSelStart(std::min(CaretBefore, NewLen));
      SetSelLength(NewLen - SelStart());
    }
  } else {
    ProcessSearchText(String());
  }
}

// ---------------------------------------------------------------------------
// The drop-down list

TPopupListboxFormEh* TCustomDBComboBoxEh::GetPopupListbox()
{
  if (FPopupListbox)
    return FPopupListbox;
  TComponent* Made = FPopupListboxClass && FPopupListboxClass->CreateComponent
                       ? FPopupListboxClass->CreateComponent(this) : nullptr;
  FPopupListbox = dynamic_cast<TPopupListboxFormEh*>(Made);
  if (!FPopupListbox) {
    delete Made;
    FPopupListbox = new TPopupListboxFormEh(this);
  }
  FPopupListbox->SetVisible(false);
  FPopupListbox->SetCtl3D(true);
  FPopupListbox->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
    ListMouseUp(Button, X, Y);
  };
  FPopupListbox->ListGrid()->OnGetImageIndex = [this](TObject*, Integer Index, Integer& ImageIndex) {
    if (OnGetItemImageIndex)
      OnGetItemImageIndex(this, Index, ImageIndex);
  };
  return FPopupListbox;
}

void TCustomDBComboBoxEh::ListMouseUp(TMouseButton Button, Integer X, Integer Y)
{
  if (Button != mbLeft || !FListVisible || !FPopupListbox->IsMouseUpCloseListbox())
    return;
  CloseUp(FPopupListbox->ListGrid()->ClientRect().Contains(TPoint(X, Y)));
}

void TCustomDBComboBoxEh::DropDown(TEditButtonEh* AEditButton)
{
  if (FListVisible)
    return;
  TEditButtonEh* Button = AEditButton ? AEditButton : GetFirstDefaultActionEditButton();
  SetDroppedDownState(Button, Button ? GetEditButtonControlByEditButton(Button) : nullptr);
  if (OnDropDown)
    OnDropDown(this);
  TPopupListboxFormEh* List = GetPopupListbox();
  List->HandleNeeded();
  DoGetItemsList();
  List->SetInternalResizing(true);
  auto Sized = ScopeExit([List] { List->SetInternalResizing(false); });
  List->SetColor(GetPopupListboxColor());
  List->SetFont(GetPopupListboxFont());
  TCustomImageList* ImageList = Images();
  List->SetImageList(ImageList);
  Integer ItemHeight = List->GetTextHeight();
  if (ImageList && EditImage()->UseImageHeight() && ItemHeight < ImageList->Height())
    ItemHeight = ImageList->Height();
  List->SetItemHeight(ItemHeight);
  // The list shows the editor's own items, not a copy.
  List->ListGrid()->SetExtItems(FItems.get());
  List->ListGrid()->SetCount(FItemsCount);
  List->SetItemIndex(FItemIndex < FItemsCount ? FItemIndex : -1);
  List->SetRowCount(std::max(std::min(FDropDownBox->Rows(), FItemsCount), 1));
  Integer W = FDropDownBox->Width();
  if (W == -1) {
    TControlCanvas* Canvas = GetCanvas();
    Canvas->Font()->Assign(Font());
    Integer TextW = 0;
    for (Integer I = 0; I < FItemsCount; ++I)
      TextW = std::max(TextW, Canvas->TextWidth(FItems->Strings(I)));
    TextW += ImageList ? ImageList->Width() + 9 : 5;
    W = TextW + List->GetBorderSize() + 2 * List->BorderWidth();
  } else if (W <= 0) {
    W = Width();
  }
  W = std::max(W, Width());
  List->SetBounds(List->Left(), List->Top(), W, List->Height());
  TDropDownAlign Align = FDropDownBox->Align();
  if (UseRightToLeftAlignment() && Align != daCenter)
    Align = Align == daLeft ? daRight : daLeft;
  TPoint P;
  CalcDropDownPosForControlEh(this, List, Integer(Align), P);
  List->SetBounds(P.X, P.Y, List->Width(), List->Height());
  List->SetMasterFocusControl(this);
  List->Show();
  UpdateSizeGrip();
  FListVisible = true;
  List->SetSizeGripResized(false);
  FDroppedDown = true;
}

void TCustomDBComboBoxEh::UpdateSizeGrip()
{
  if (!FDropDownBox->Sizable()) {
    // Hidden both ways: the control's flag would show the window again.
    if (FSizeGrip) {
      FSizeGrip->SetVisible(false);
      FSizeGrip->TControl::SetVisible(false);
    }
    return;
  }
  if (!FSizeGrip) {
    FSizeGrip = new TSizeGripEh(this);
    FSizeGrip->SetHostControl(FPopupListbox);
    FSizeGrip->SetTriangleWindow(true);
  }
  TRect EditRect;
  GetControlScreenRectEh(this, EditRect);
  FSizeGrip->SetPosition(FPopupListbox->Top() < EditRect.Top ? sgpTopRight : sgpBottomRight);
  FSizeGrip->HandleNeeded();
  FSizeGrip->UpdatePosition();
  FSizeGrip->TControl::SetVisible(true);
  FSizeGrip->SetVisible(true);
  FSizeGrip->BringToFront();
}

void TCustomDBComboBoxEh::CloseUp(bool Accept)
{
  if (!FListVisible)
    return;
  TPopupListboxFormEh* List = FPopupListbox;
  FListTrackingSource = nullptr;
  if (TControl* Captured = Mouse()->Capture())
    Captured->Perform(WM_CANCELMODE);
  const bool HadFocus = List->Focused() || List->ContainsControl(Screen->ActiveControl());
  List->SetVisible(false);
  if (List->SizeGripResized()) {
    FDropDownBox->SetRows(List->ResizedRowCount());
    FDropDownBox->SetWidth(List->ResizedWidth());
  }
  if (HadFocus && CanFocus())
    SetFocus();
  FListVisible = false;
  ResetDroppedDownState();
  inherited::CloseUp(Accept);
  if (OnClosingUp)
    OnClosingUp(this, Accept);
  // Nothing picked in the list leaves the text as it is.
  if (Accept && !FReadOnly && FDataLink->Edit() && List->ItemIndex() >= 0) {
    InternalSetItemIndex(List->ItemIndex());
    if (FFocused)
      SelectAll();
  }
  if (OnCloseUp)
    OnCloseUp(this, Accept);
}

void TCustomDBComboBoxEh::EditButtonDropDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl)
{
  if (EditButtonControl)
    EditButtonControl->SetAlwaysDown(true);
  inherited::EditButtonDropDown(EditButton, EditButtonControl);
  DropDown(EditButton);
  if (!FListVisible && EditButtonControl)
    EditButtonControl->SetAlwaysDown(false);
}

void TCustomDBComboBoxEh::DefaultEditButtonClick(TEditButtonEh*, TEditButtonControlEh*, bool&) {}

void TCustomDBComboBoxEh::DefaultEditButtonDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                                bool TopButton, bool&, bool& Handled)
{
  if (EditButton && (EditButton->Style() == ebsUpDownEh || EditButton->Style() == ebsAltUpDownEh)) {
    if (!FReadOnly && FDataLink->Edit())
      SelectNextValue(TopButton);
  } else if (!FDroppedDown) {
    EditButtonDropDown(EditButton, EditButtonControl);
    FNoClickCloseUp = true;
  }
  Handled = true;
}

namespace {

LPARAM PointParam(TPoint P) { return MakeLParam(Word(SmallInt(P.X)), Word(SmallInt(P.Y))); }

} // namespace

bool TCustomDBComboBoxEh::DragIntoList(TControl* Source, Integer X, Integer Y)
{
  if (!FListVisible)
    return false;
  TPopupListboxGridEh* Grid = FPopupListbox->ListGrid();
  const TPoint P = Grid->ScreenToClient(Source->ClientToScreen(TPoint(X, Y)));
  if (FListTrackingSource == Source) {
    Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, PointParam(P));
    return true;
  }
  if (Mouse()->Capture() != Source || !Grid->ClientRect().Contains(P))
    return false;
  // The list tracks the press from here on, as if it had begun there. The
  // source lets its press go but keeps the capture: the window system goes
  // on sending it the mouse, which it passes to the list.
  Source->Perform(WM_CANCELMODE);
  FListTrackingSource = Source;
  Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(P));
  Mouse()->SetCapture(Source);
  return true;
}

bool TCustomDBComboBoxEh::ReleaseIntoList(TControl* Source, Integer X, Integer Y)
{
  if (FListTrackingSource != Source || !Source)
    return false;
  FListTrackingSource = nullptr;
  if (!FListVisible)
    return false;
  TPopupListboxGridEh* Grid = FPopupListbox->ListGrid();
  Grid->Perform(WM_LBUTTONUP, 0, PointParam(Grid->ScreenToClient(Source->ClientToScreen(TPoint(X, Y)))));
  return true;
}

void TCustomDBComboBoxEh::EditButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                            Integer Y)
{
  if (Button == mbLeft && ReleaseIntoList(dynamic_cast<TControl*>(Sender), X, Y))
    return;
  inherited::EditButtonMouseUp(Sender, Button, Shift, X, Y);
}

void TCustomDBComboBoxEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (Button == mbLeft && ReleaseIntoList(this, X, Y))
    return;
  inherited::MouseUp(Button, Shift, X, Y);
}

void TCustomDBComboBoxEh::EditButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y)
{
  if (auto* Control = dynamic_cast<TControl*>(Sender))
    DragIntoList(Control, X, Y);
  inherited::EditButtonMouseMove(Sender, Shift, X, Y);
}

void TCustomDBComboBoxEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  if (!DragIntoList(this, X, Y))
    inherited::MouseMove(Shift, X, Y);
}

// ---------------------------------------------------------------------------
// Keys, mouse and messages

void TCustomDBComboBoxEh::KeyDown(Word& Key, TShiftState Shift)
{
  inherited::KeyDown(Key, Shift);
  if (Key == 0)
    return;
  const bool Limited = LimitTextToListValues();
  if ((Key == VK_UP || Key == VK_DOWN) && !FListVisible && !FReadOnly) {
    if (!FWordWrap || SelLength() == Integer(EditText().size())) {
      SelectNextValue(Key == VK_UP);
      Key = 0;
    }
  } else if (Key == VK_DELETE && Limited && !FReadOnly &&
             (DataIndepended() || (Field() && !Field()->Required()))) {
    if (EditCanModify())
      InternalSetItemIndex(-1);
    Key = 0;
  } else if (Key == 'V' && Shift.Contains(ssCtrl) && Limited && !FReadOnly) {
    Perform(WM_PASTE);
    Key = 0;
  }
}

void TCustomDBComboBoxEh::KeyPress(QChar& Key)
{
  if (FListVisible && (Key == QChar('\r') || Key == QChar(27))) {
    CloseUp(Key == QChar('\r'));
    Key = QChar();
    return;
  }
  inherited::KeyPress(Key);
  if (Key.isNull())
    return;
  const bool Limited = LimitTextToListValues();
  if (Key == QChar('\b')) {
    if (Limited && !FReadOnly) {
      ProcessSearchText(QStringLiteral("\b"));
      Key = QChar();
    }
  } else if (Key > QChar(31)) {
    if (FDropDownBox->AutoDrop() && !FListVisible)
      DropDown(nullptr);
    if (Limited && !FReadOnly) {
      const String Typed = GetCompleteKeyPress().isEmpty() ? String(Key) : GetCompleteKeyPress();
      ProcessSearchText(Typed);
      Key = QChar();
    }
  }
}

void TCustomDBComboBoxEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseDown(Button, Shift, X, Y);
  if (!LimitTextToListValues() || Button != mbLeft || Shift.Contains(ssDouble))
    return;
  if (GetEditButtonsRect().Contains(TPoint(X, Y)) || !CanDropDown() || FDroppedDown)
    return;
  if (CanFocus() && !Focused())
    SetFocus();
  FNoClickCloseUp = true;
  DropDown(nullptr);
}

void TCustomDBComboBoxEh::Click()
{
  inherited::Click();
  if (LimitTextToListValues() && FDroppedDown && !FNoClickCloseUp)
    CloseUp(false);
  FNoClickCloseUp = false;
}

// An unmodified wheel the base leaves steps through the items.
bool TCustomDBComboBoxEh::WheelSteps(TShiftState Shift, bool IsPrior)
{
  if (!Shift.Empty() || FReadOnly || !FDataLink->Edit())
    return false;
  SelectNextValue(IsPrior);
  return true;
}

bool TCustomDBComboBoxEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  return inherited::DoMouseWheelDown(Shift, MousePos) || WheelSteps(Shift, false);
}

bool TCustomDBComboBoxEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  return inherited::DoMouseWheelUp(Shift, MousePos) || WheelSteps(Shift, true);
}

void TCustomDBComboBoxEh::DefaultHandler(TMessage& Message)
{
  // Limited to the list, the mouse places no caret and selects nothing.
  if (Message.Msg >= WM_LBUTTONDOWN && Message.Msg <= WM_MBUTTONDBLCLK && Message.Msg != WM_RBUTTONDOWN &&
      Message.Msg != WM_RBUTTONUP && Message.Msg != WM_RBUTTONDBLCLK && LimitTextToListValues())
    return;
  if (Message.Msg == WM_CHAR && FTypingChar) {
    // Typed here rather than by the edit window, so that the completion
    // that follows sees the character in the text.
    QChar C(char16_t(Message.WParam));
    if (C != QChar('\b') && C < QChar(' '))
      return;
    if (!CanModifyText())
      return;
    if (C >= QChar(' '))
      C = ApplyCharCase(String(C)).at(0);
    if (C == QChar('\b')) {
      if (SelLength() == 0 && SelStart() > 0) {
        SetSelStart(SelStart() - 1);
        SetSelLength(1);
      }
      SetSelText(String());
    } else if (MaxLength() <= 0 || Text().size() - SelLength() < MaxLength()) {
      SetSelText(String(C));
    }
    FCharTyped = true;
    return;
  }
  inherited::DefaultHandler(Message);
}

void TCustomDBComboBoxEh::WndProc(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
    if (FListVisible) {
      const Word Key = Word(Message.WParam);
      const bool Ctrl = GetKeyState(VK_CONTROL) < 0;
      const bool Navigation = Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN ||
                              (Ctrl && (Key == VK_HOME || Key == VK_END));
      TShiftState Shift = KeyDataToShiftState(LongInt(Message.LParam));
      if (Message.Msg == WM_SYSKEYDOWN)
        Shift << ssAlt;
      bool ButtonKey = false;
      const TShortCut Cut = ShortCut(Key, Shift);
      if (FEditButton->ShortCut() == Cut)
        ButtonKey = true;
      for (Integer I = 0; !ButtonKey && I < FEditButtons->Count(); ++I)
        ButtonKey = FEditButtons->Items(I)->ShortCut() == Cut;
      if (Navigation && !ButtonKey) {
        FPopupListbox->Perform(Message.Msg, Message.WParam, Message.LParam);
        Message.Result = 0;
        return;
      }
    }
    break;
  case WM_KILLFOCUS:
    // The list never takes the focus: losing it means another window has it.
    if (FListVisible && !ComponentState().Contains(csDestroying))
      CloseUp(false);
    break;
  case CM_MOUSEWHEEL:
    if (FListVisible && !FWheelEventInListbox) {
      FWheelEventInListbox = true;
      auto Done = ScopeExit([this] { FWheelEventInListbox = false; });
      if (FPopupListbox->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam) != 0) {
        Message.Result = 1;
        return;
      }
    }
    break;
  case WM_CLEAR:
    if (FKeyBased && EditCanModify()) {
      InternalSetItemIndex(-1);
      return;
    }
    break;
  case WM_CHAR: {
    const QChar C(char16_t(Message.WParam));
    const bool Completes = !C.isNull() && C != QChar('.') && GetKeyState(VK_CONTROL) >= 0 &&
                           !LimitTextToListValues() && !IsMasked();
    if (!Completes)
      break;
    const Integer CaretBefore = SelStart();
    FTypingChar = true;
    FCharTyped = false;
    {
      auto Done = ScopeExit([this] { FTypingChar = false; });
      inherited::WndProc(Message);
    }
    if (FCharTyped)
      CompleteTypedText(C, CaretBefore);
    FCharTyped = false;
    return;
  }
  case CM_CANCELMODE: {
    inherited::WndProc(Message);
    auto* Sender = reinterpret_cast<TControl*>(Message.LParam);
    auto* SenderWin = dynamic_cast<TWinControl*>(Sender);
    if (FListVisible && Sender != this && !(SenderWin && ContainsControl(SenderWin)) && Sender != FPopupListbox &&
        !(SenderWin && FPopupListbox->ContainsControl(SenderWin)))
      CloseUp(false);
    return;
  }
  default:
    break;
  }
  inherited::WndProc(Message);
}

void TCustomDBComboBoxEh::CMWantSpecialKey(TMessage& Message)
{
  const Word Key = Word(Message.WParam);
  if (FListVisible && (Key == VK_RETURN || Key == VK_ESCAPE)) {
    Message.Result = 1;
    return;
  }
  inherited::CMWantSpecialKey(Message);
}

void TCustomDBComboBoxEh::WMPaste(TMessage& Message)
{
  if (LimitTextToListValues()) {
    const String S = Clipboard()->AsText();
    if (!S.isEmpty())
      ProcessSearchText(S);
    return;
  }
  inherited::WMPaste(Message);
}

// ---------------------------------------------------------------------------
// Registration

void RegisterDBCtrlsEhComboBoxClasses()
{
  RegisterDBCtrlsEhClasses();
  RegisterClassInfo<TDropDownBoxEh, TPersistent>("TDropDownBoxEh")
    .Property("Align", &TDropDownBoxEh::Align, &TDropDownBoxEh::SetAlign, daLeft)
    .Property("AutoDrop", &TDropDownBoxEh::AutoDrop, &TDropDownBoxEh::SetAutoDrop, false)
    .Property("Rows", &TDropDownBoxEh::Rows, &TDropDownBoxEh::SetRows, 7)
    .Property("Sizable", &TDropDownBoxEh::Sizable, &TDropDownBoxEh::SetSizable, false)
    .Property("Width", &TDropDownBoxEh::Width, &TDropDownBoxEh::SetWidth, 0);
  RegisterClassInfo<TCustomDBComboBoxEh, TCustomDBEditEh>("TCustomDBComboBoxEh");
  RegisterClassInfo<TDBComboBoxEh, TCustomDBComboBoxEh>("TDBComboBoxEh")
    .Property("Alignment", &TDBComboBoxEh::Alignment, &TDBComboBoxEh::SetAlignment)
    .Stored(&TDBComboBoxEh::AlignmentStored)
    .Property("AlwaysShowBorder", &TDBComboBoxEh::AlwaysShowBorder, &TDBComboBoxEh::SetAlwaysShowBorder, false)
    .Property("AutoSize", &TDBComboBoxEh::AutoSize, &TDBComboBoxEh::SetAutoSize, true)
    .Property("CaseInsensitiveTextSearch", &TDBComboBoxEh::CaseInsensitiveTextSearch,
              &TDBComboBoxEh::SetCaseInsensitiveTextSearch, true)
    .Property("ControlLabel", &TDBComboBoxEh::ControlLabel, nullptr)
    .Property("ControlLabelLocation", &TDBComboBoxEh::ControlLabelLocation, nullptr)
    .Property("DataField", &TDBComboBoxEh::DataField, &TDBComboBoxEh::SetDataField)
    .Property("DataSource", &TDBComboBoxEh::DataSource, &TDBComboBoxEh::SetDataSource)
    .Property("DropDownBox", &TDBComboBoxEh::DropDownBox, &TDBComboBoxEh::SetDropDownBox)
    .Property("DynProps", &TDBComboBoxEh::DynProps, &TDBComboBoxEh::SetDynProps)
    .Property("EditButton", &TDBComboBoxEh::EditButton, &TDBComboBoxEh::SetEditButton)
    .Property("EditButtons", &TDBComboBoxEh::EditButtons, &TDBComboBoxEh::SetEditButtons)
    .Property("EditMask", &TDBComboBoxEh::EditMask, &TDBComboBoxEh::SetEditMask)
    .Stored(&TDBComboBoxEh::EditMaskStored)
    .Property("EmptyDataInfo", &TDBComboBoxEh::EmptyDataInfo, &TDBComboBoxEh::SetEmptyDataInfo)
    .Property("Flat", &TDBComboBoxEh::Flat, &TDBComboBoxEh::SetFlat, false)
    .Property("HighlightRequired", &TDBComboBoxEh::HighlightRequired, &TDBComboBoxEh::SetHighlightRequired, false)
    .Property("Images", &TDBComboBoxEh::Images, &TDBComboBoxEh::SetImages)
    .Property("Items", &TDBComboBoxEh::Items, &TDBComboBoxEh::SetItems)
    .Property("KeyItems", &TDBComboBoxEh::KeyItems, &TDBComboBoxEh::SetKeyItems)
    .Property("LimitTextToListValues", &TDBComboBoxEh::LimitTextToListValues,
              &TDBComboBoxEh::SetLimitTextToListValues)
    .Stored(&TDBComboBoxEh::LimitTextToListValuesStored)
    .Property("MRUList", &TDBComboBoxEh::MRUList, &TDBComboBoxEh::SetMRUList)
    .Property("ReadOnly", &TDBComboBoxEh::ReadOnly, &TDBComboBoxEh::SetReadOnly, false)
    .Property("ShowHint", &TDBComboBoxEh::ShowHint, &TDBComboBoxEh::SetShowHint, false)
    .Property("Text", &TDBComboBoxEh::Text, &TDBComboBoxEh::SetText)
    .Stored(&TDBComboBoxEh::TextStored)
    .Property("Tooltips", &TDBComboBoxEh::Tooltips, &TDBComboBoxEh::SetTooltips, false)
    .Property("WordWrap", &TDBComboBoxEh::WordWrap, &TDBComboBoxEh::SetWordWrap, false)
    .Event("OnButtonClick", &TDBComboBoxEh::OnButtonClick)
    .Event("OnButtonDown", &TDBComboBoxEh::OnButtonDown)
    .Event("OnCheckDrawRequiredState", &TDBComboBoxEh::OnCheckDrawRequiredState)
    .Event("OnCloseDropDownForm", &TDBComboBoxEh::OnCloseDropDownForm)
    .Event("OnCloseUp", &TDBComboBoxEh::OnCloseUp)
    .Event("OnDropDown", &TDBComboBoxEh::OnDropDown)
    .Event("OnGetImageIndex", &TDBComboBoxEh::OnGetImageIndex)
    .Event("OnGetItemImageIndex", &TDBComboBoxEh::OnGetItemImageIndex)
    .Event("OnNotInList", &TDBComboBoxEh::OnNotInList)
    .Event("OnOpenDropDownForm", &TDBComboBoxEh::OnOpenDropDownForm)
    .Event("OnUpdateData", &TDBComboBoxEh::OnUpdateData);
  RegisterClasses({TDBComboBoxEh::StaticClass()});
}
