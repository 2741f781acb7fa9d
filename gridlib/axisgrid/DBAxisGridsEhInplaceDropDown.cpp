// DBAxisGridsEhInplaceDropDown.cpp: the grid editor's drop-downs (pick list,
// data grid box, calendar, calculator), how they close by key, mouse and
// focus, and the most-recently-used list under the editor.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "gridlib/axisgrid/DBLookupUtilsEh.h"
#include "gridlib/editors/CalculatorEh.h"
#include "gridlib/editors/DateTimeCalendarPickersEh.h"
#include "gridlib/editors/DropDownFormEh.h"
#include "gridlib/foundation/GridPlatformEh.h"
#include "platform/rtl/ScopeExit.h"

#include <algorithm>

namespace {

TPopupDataGridBoxFactoryEh& BoxFactory()
{
  static TPopupDataGridBoxFactoryEh Factory;
  return Factory;
}


} // namespace

// ---------------------------------------------------------------------------
// The data grid box factory.

void SetPopupDataGridBoxFactoryEh(TPopupDataGridBoxFactoryEh Factory) { BoxFactory() = std::move(Factory); }

TCustomForm* CreatePopupDataGridBoxEh(TComponent* Owner)
{
  if (!BoxFactory())
    return nullptr;
  TCustomForm* Box = BoxFactory()(Owner);
  if (Box && !dynamic_cast<IPopupDataGridBoxEh*>(Box)) {
    delete Box;
    return nullptr;
  }
  return Box;
}

IPopupDataGridBoxEh* PopupDataGridBoxOf(TWinControl* Control) { return dynamic_cast<IPopupDataGridBoxEh*>(Control); }

TCustomForm* TAxisBarEh::GetDataListBox()
{
  if (FDataListBox)
    return FDataListBox;
  FDataListBox = CreatePopupDataGridBoxEh(nullptr);
  if (FDataListBox) {
    FDataListBox->SetName(QStringLiteral("DropDownBox"));
    PopupDataGridBoxOf(FDataListBox)->SetAxisBarOwner(FDropDownBox.get());
  }
  return FDataListBox;
}

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
