// DBCtrlsEhButtons.cpp: the editor's edit buttons, drop-down forms and MRU
// list. Plain bodies until the buttons' behaviour is built here.
#include "gridlib/editors/DBCtrlsEh.h"

TEditButtonEh* TCustomDBEditEh::CreateEditButton() { return new TEditButtonEh(this); }

TEditButtonsEh* TCustomDBEditEh::CreateEditButtons()
{
  return new TEditButtonsEh(this, TVisibleEditButtonEh::StaticClass());
}

TMRUListboxEh* TCustomDBEditEh::CreateMRUListControl() { return nullptr; }
bool TCustomDBEditEh::GetEditButtonDefaultAction(TEditButtonEh*) { return false; }
void TCustomDBEditEh::DoOpenDropDownForm(TEditButtonEh*, TEditButtonControlEh*) {}
void TCustomDBEditEh::CreateEditButtonControl(TEditButtonControlEh*&) {}
void TCustomDBEditEh::EditButtonDropDown(TEditButtonEh*, TEditButtonControlEh*) {}
void TCustomDBEditEh::EditButtonClick(TObject*) {}
void TCustomDBEditEh::DefaultEditButtonClick(TEditButtonEh*, TEditButtonControlEh*, bool&) {}
void TCustomDBEditEh::EditButtonDown(TObject*, bool, bool&, bool&) {}
void TCustomDBEditEh::DefaultEditButtonDown(TEditButtonEh*, TEditButtonControlEh*, bool, bool&, bool&) {}
void TCustomDBEditEh::EditButtonMouseUp(TObject*, TMouseButton, TShiftState, Integer, Integer) {}
void TCustomDBEditEh::FilterMRUItem(const String&, bool&) {}
TCustomForm* TCustomDBEditEh::GetDefaultDropDownForm(bool& FreeFormOnClose)
{
  FreeFormOnClose = false;
  return nullptr;
}
Variant TCustomDBEditEh::GetValueForDropDownForm() { return Value(); }
void TCustomDBEditEh::MRUListFillAutogenItems(TMRUListEh*, TStrings*) {}
void TCustomDBEditEh::ResetDroppedDownState() {}
void TCustomDBEditEh::SetDroppedDownState(TEditButtonEh*, TEditButtonControlEh*) {}
void TCustomDBEditEh::CheckMRUListDropDown() {}
void TCustomDBEditEh::CloseUp(bool) {}
void TCustomDBEditEh::UpdateEditButtonControlsState() {}
void TCustomDBEditEh::ClickEditButtonByKey(TEditButtonEh*) {}
bool TCustomDBEditEh::MRUListKeyDown(TMessage&) { return false; }
void TCustomDBEditEh::SetEditButton(TEditButtonEh* Value) { FEditButton->Assign(Value); }
void TCustomDBEditEh::SetEditButtons(TEditButtonsEh* Value) { FEditButtons->Assign(Value); }
void TCustomDBEditEh::SetMRUList(TMRUListEh* Value) { FMRUList->Assign(Value); }
