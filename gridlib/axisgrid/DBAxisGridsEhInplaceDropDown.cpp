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

