// DBAxisGridsEhWindow.cpp: the axis grid's window: focus, input method,
// frame, the messages it handles, scaling of its fonts and the streaming of
// its bars.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

TInplaceEdit* TCustomDBAxisGridEh::CreateEditor()
{
  return new TDBAxisGridInplaceEdit(this);
}

void TCustomDBAxisGridEh::BorderChanged() {}
void TCustomDBAxisGridEh::UpdateIme() {}
void TCustomDBAxisGridEh::SetIme() {}
void TCustomDBAxisGridEh::ChangeScale(Integer M, Integer D) { inherited::ChangeScale(M, D); }
void TCustomDBAxisGridEh::InplaceEditTextChanged() {}
void TCustomDBAxisGridEh::CreateHandle() { inherited::CreateHandle(); }
void TCustomDBAxisGridEh::CreateParams(TCreateParams& Params) { inherited::CreateParams(Params); }
void TCustomDBAxisGridEh::DoEnter() { inherited::DoEnter(); }
void TCustomDBAxisGridEh::DoExit() { inherited::DoExit(); }
void TCustomDBAxisGridEh::Paint() { inherited::Paint(); }
void TCustomDBAxisGridEh::DefineProperties(TFiler& Filer) { inherited::DefineProperties(Filer); }
void TCustomDBAxisGridEh::WMSetFocus(TMessage& Message) { inherited::WMSetFocus(Message); }
void TCustomDBAxisGridEh::WMKillFocus(TMessage& Message) { inherited::WMKillFocus(Message); }
void TCustomDBAxisGridEh::WMCancelMode(TMessage& Message) { inherited::WMCancelMode(Message); }
void TCustomDBAxisGridEh::WMEraseBkgnd(TMessage& Message) { inherited::WMEraseBkgnd(Message); }
void TCustomDBAxisGridEh::CMWantSpecialKey(TMessage& Message) { inherited::CMWantSpecialKey(Message); }
void TCustomDBAxisGridEh::CMFontChanged(TMessage& Message) { inherited::CMFontChanged(Message); }
void TCustomDBAxisGridEh::WMNCCalcSize(TMessage& Message) { (void)Message; }
void TCustomDBAxisGridEh::WMNCPaint(TMessage& Message) { (void)Message; }
void TCustomDBAxisGridEh::WMCommand(TMessage& Message) { (void)Message; }
void TCustomDBAxisGridEh::WMIMEStartComposition(TMessage& Message) { (void)Message; }
void TCustomDBAxisGridEh::CMSysColorChange(TMessage& Message) { (void)Message; }
bool TCustomDBAxisGridEh::WindowMessage(TMessage& Message)
{
  (void)Message;
  return false;
}
void TCustomDBAxisGridEh::ReadBars(TReader& Reader) { (void)Reader; }
void TCustomDBAxisGridEh::WriteBars(TWriter& Writer) { (void)Writer; }
bool TCustomDBAxisGridEh::BarsStored(TFiler& Filer)
{
  (void)Filer;
  return false;
}
