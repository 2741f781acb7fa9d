// DBCtrlsEhKeys.cpp: the data-aware editor's keys, clipboard and in-place
// mode, in which a grid uses it as its cell editor.
#include "gridlib/editors/DBCtrlsEh.h"

void TCustomDBEditEh::KeyDown(Word& Key, TShiftState Shift) { inherited::KeyDown(Key, Shift); }
void TCustomDBEditEh::KeyPress(QChar& Key) { inherited::KeyPress(Key); }
void TCustomDBEditEh::KeyUp(Word& Key, TShiftState Shift) { inherited::KeyUp(Key, Shift); }
void TCustomDBEditEh::WndProc(TMessage& Message) { inherited::WndProc(Message); }
void TCustomDBEditEh::Dispatch(TMessage& Message) { inherited::Dispatch(Message); }
void TCustomDBEditEh::DefaultHandler(TMessage& Message) { inherited::DefaultHandler(Message); }
void TCustomDBEditEh::CMWantSpecialKey(TMessage& Message) { inherited::CMWantSpecialKey(Message); }
void TCustomDBEditEh::WMGetDlgCode(TMessage& Message) { inherited::WMGetDlgCode(Message); }
void TCustomDBEditEh::WMPaste(TMessage& Message) { inherited::WMPaste(Message); }
void TCustomDBEditEh::WMCut(TMessage& Message) { inherited::WMCut(Message); }
void TCustomDBEditEh::WMLButtonDown(TMessage& Message) { inherited::WMLButtonDown(Message); }
String TCustomDBEditEh::PreparePasteText(const String& Text) { return Text; }
void TCustomDBEditEh::SetInplaceEditHolder(TWinControl* AInplaceEditHolder) { FInplaceEditHolder = AInplaceEditHolder; }
void TCustomDBEditEh::Move(const TRect& Rect) { SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height()); }
void TCustomDBEditEh::UpdateLoc(const TRect& Rect) { Move(Rect); }
void TCustomDBEditEh::Hide() { TControl::SetVisible(false); }
void TCustomDBEditEh::SetFocus() { inherited::SetFocus(); }
bool TCustomDBEditEh::Visible() const { return TControl::Visible(); }
void TCustomDBEditEh::SetVisible(bool Value) { TControl::SetVisible(Value); }
