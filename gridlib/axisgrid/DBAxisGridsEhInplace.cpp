// DBAxisGridsEhInplace.cpp: the axis grid's inplace editor: loading it for a
// cell, its geometry and edit buttons, keys and typed text, the clipboard and
// the image of the value.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

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

TEditStyle AxisBarButtonEditStyleEh(TAxisBarEh* AxisBar)
{
  (void)AxisBar;
  return esSimple;
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
  inherited::WndProc(Message);
}

bool TDBAxisGridnplaceEditCoreControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  return inherited::DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TDBAxisGridnplaceEditCoreControl::DblClick()
{
  inherited::DblClick();
}

void TDBAxisGridnplaceEditCoreControl::CreateParams(TCreateParams& Params)
{
  inherited::CreateParams(Params);
}

bool TDBAxisGridnplaceEditCoreControl::ListKeyMessage(TMessage& Message)
{
  (void)Message;
  return false;
}

bool TDBAxisGridnplaceEditCoreControl::MRUKeyMessage(TMessage& Message)
{
  (void)Message;
  return false;
}

void TDBAxisGridnplaceEditCoreControl::AfterKeyMessage() {}

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

bool TDBAxisGridInplaceEdit::MainButtonPressed() const { return false; }
void TDBAxisGridInplaceEdit::SetMainButtonPressed(bool Value) { (void)Value; }
Integer TDBAxisGridInplaceEdit::FirstVisibleButtonIndex() const { return -1; }
void TDBAxisGridInplaceEdit::UpdateImageIndex() {}
bool TDBAxisGridInplaceEdit::ActiveListMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  (void)Shift; (void)WheelDelta; (void)MousePos;
  return false;
}
bool TDBAxisGridInplaceEdit::IsButtonMessagePending(TEditButtonControlEh* ButtonControl, TEditButtonEh* EditButton)
{
  (void)ButtonControl; (void)EditButton;
  return false;
}
TWinControl* TDBAxisGridInplaceEdit::GetPopupCalculator() { return FPopupCalculator; }
void TDBAxisGridInplaceEdit::DefaultEditButtonAction(bool IsBottom, bool& Handled) { (void)IsBottom; (void)Handled; }
TRect TDBAxisGridInplaceEdit::CalcEditRect() { return TRect(2, 2, Width() - 2, Height()); }
void TDBAxisGridInplaceEdit::CallEditButtonDropDownForm(TEditButtonEh* EditButton, TEditButtonControlEh* ButtonControl,
                                                        bool& Handled)
{
  (void)EditButton; (void)ButtonControl; (void)Handled;
}
void TDBAxisGridInplaceEdit::CreateEditButtonControl(TEditButtonControlEh*& Control) { (void)Control; }
void TDBAxisGridInplaceEdit::ProcessTypedText(String& Text) { (void)Text; }
void TDBAxisGridInplaceEdit::EditButtonClick(TObject* Sender) { (void)Sender; }
void TDBAxisGridInplaceEdit::EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)
{
  (void)Sender; (void)TopButton; (void)AutoRepeat; (void)Handled;
}
void TDBAxisGridInplaceEdit::EditButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y)
{
  (void)Sender; (void)Shift; (void)X; (void)Y;
}
void TDBAxisGridInplaceEdit::EditButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                               Integer Y)
{
  (void)Sender; (void)Button; (void)Shift; (void)X; (void)Y;
}
void TDBAxisGridInplaceEdit::GetEditValue(Variant& Value) { Value = Variant(Text()); }
void TDBAxisGridInplaceEdit::SetEditValue(const Variant& Value) { (void)Value; }
void TDBAxisGridInplaceEdit::TextChangedByUser()
{
  FUserTextChanged = true;
  UpdateImageIndex();
}
void TDBAxisGridInplaceEdit::GetEditCoreControlRect(TRect& Rect) { Rect = CalcEditRect(); }
bool TDBAxisGridInplaceEdit::HandleCut(TMessage& Message) { return inherited::HandleCut(Message); }
bool TDBAxisGridInplaceEdit::HandlePaste(TMessage& Message) { return inherited::HandlePaste(Message); }
bool TDBAxisGridInplaceEdit::HandleClear(TMessage& Message) { return inherited::HandleClear(Message); }
TInplaceEditCoreControl* TDBAxisGridInplaceEdit::CreateEditCoreControl()
{
  return new TDBAxisGridnplaceEditCoreControl(this);
}
void TDBAxisGridInplaceEdit::UpdateEditCoreControlBounds() { inherited::UpdateEditCoreControlBounds(); }
void TDBAxisGridInplaceEdit::UpdateContents() { inherited::UpdateContents(); }
void TDBAxisGridInplaceEdit::Hide()
{
  CloseUp(false);
  inherited::Hide();
}
void TDBAxisGridInplaceEdit::StepValue(bool TopHalf) { (void)TopHalf; }
void TDBAxisGridInplaceEdit::EditTextToKeyValue() {}
void TDBAxisGridInplaceEdit::Paint() {}
void TDBAxisGridInplaceEdit::WndProc(TMessage& Message) { inherited::WndProc(Message); }
void TDBAxisGridInplaceEdit::DefaultHandler(TMessage& Message) { inherited::DefaultHandler(Message); }
void TDBAxisGridInplaceEdit::KeyDown(Word& Key, TShiftState Shift) { inherited::KeyDown(Key, Shift); }
void TDBAxisGridInplaceEdit::KeyUp(Word& Key, TShiftState Shift) { inherited::KeyUp(Key, Shift); }
void TDBAxisGridInplaceEdit::KeyPress(QChar& Key) { inherited::KeyPress(Key); }
void TDBAxisGridInplaceEdit::UpdateEditButtonStyle(TAxisBarEh* Column) { (void)Column; }
void TDBAxisGridInplaceEdit::UpdateEffectiveEditStyle(TAxisBarEh* Column) { (void)Column; }
void TDBAxisGridInplaceEdit::UpdateActiveList(TAxisBarEh* Column) { (void)Column; }
void TDBAxisGridInplaceEdit::LayoutButtonsBox(TAxisBarEh* Column) { (void)Column; }
void TDBAxisGridInplaceEdit::UpdateButtonsDefaultActions(TAxisBarEh* Column) { (void)Column; }
void TDBAxisGridInplaceEdit::ListKeyDown(Word& Key, TShiftState Shift) { (void)Key; (void)Shift; }
void TDBAxisGridInplaceEdit::LookupTypedText(TAxisBarEh* Column, String& Text) { (void)Column; (void)Text; }
void TDBAxisGridInplaceEdit::PickListTypedText(TAxisBarEh* Column, String& Text) { (void)Column; (void)Text; }
void TDBAxisGridInplaceEdit::ListFollowsEditText(TAxisBarEh* Column) { (void)Column; }
void TDBAxisGridInplaceEdit::SetTextWithTail(const String& Text, Integer Caret) { (void)Text; (void)Caret; }
bool TDBAxisGridInplaceEdit::PasteIntoFreeText(TAxisBarEh* Column, const String& Clip)
{
  (void)Column; (void)Clip;
  return false;
}
bool TDBAxisGridInplaceEdit::PasteIntoList(TAxisBarEh* Column, const String& Clip)
{
  (void)Column; (void)Clip;
  return false;
}
