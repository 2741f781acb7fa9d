// DBAxisGridsEhInplaceDropDown.cpp: the inplace editor's drop-downs, their
// closing by keys, mouse and focus, and the most-recently-used list.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

void TDBAxisGridInplaceEdit::DropDown() {}

void TDBAxisGridInplaceEdit::CloseUp(bool Accept)
{
  (void)Accept;
  FDroppedDown = false;
  FListVisible = false;
}

void TDBAxisGridInplaceEdit::PickListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                             Integer Y)
{
  (void)Sender; (void)Button; (void)Shift; (void)X; (void)Y;
}

void TDBAxisGridInplaceEdit::DataListCloseUp(TObject* Sender, bool Accept)
{
  (void)Sender;
  CloseUp(Accept);
}

void TDBAxisGridInplaceEdit::MRUListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                            Integer Y)
{
  (void)Sender; (void)Button; (void)Shift; (void)X; (void)Y;
}

void TDBAxisGridInplaceEdit::MRUListDropDown() {}

void TDBAxisGridInplaceEdit::MRUListCloseUp(bool Accept)
{
  (void)Accept;
}

TMRUListboxEh* TDBAxisGridInplaceEdit::CreateMRUListControl()
{
  return nullptr;
}

TMRUListboxEh* TDBAxisGridInplaceEdit::GetMRUListControl()
{
  if (!FMRUListControl)
    FMRUListControl = CreateMRUListControl();
  return FMRUListControl;
}

void TDBAxisGridInplaceEdit::FilterMRUItem(const String& Text, bool& Accept)
{
  (void)Text;
  (void)Accept;
}

void TDBAxisGridInplaceEdit::CoreControlKillFocus(HWND FocusedWnd)
{
  inherited::CoreControlKillFocus(FocusedWnd);
}

void TDBAxisGridInplaceEdit::WMSetFocus(TMessage& Message)
{
  inherited::WMSetFocus(Message);
}

void TDBAxisGridInplaceEdit::CMCancelMode(TMessage& Message)
{
  DefaultHandler(Message);
}

bool TDBAxisGridInplaceEdit::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  return inherited::DoMouseWheelDown(Shift, MousePos);
}

bool TDBAxisGridInplaceEdit::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  return inherited::DoMouseWheelUp(Shift, MousePos);
}

void TDBAxisGridInplaceEdit::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
}
