// DBCtrlsEhDropDown.cpp: the drop-down forms of the editors' buttons.
#include "gridlib/editors/DBCtrlsEh.h"

#include "platform/rtl/ScopeExit.h"

namespace {

// The close marker of Button (or of the edit control without one) waits in
// the queue: the press that closed the form must not open it again.
bool CloseMarkerWaits(TWinControl* EditControl, TEditButtonEh* Button)
{
  TMsg M;
  if (!PeekMessage(M, EditControl, WM_USER, WM_USER, PM_NOREMOVE))
    return false;
  const LPARAM Marker = Button ? LPARAM(Button) : LPARAM(EditControl);
  return M.wParam == WPARAM(EditControl) && M.lParam == Marker;
}

void PostCloseMarker(TWinControl* EditControl, TEditButtonEh* Button)
{
  PostMessage(EditControl, WM_USER, WPARAM(EditControl), Button ? LPARAM(Button) : LPARAM(EditControl));
}

void ReleaseButtonControls(TWinControl* Parent)
{
  for (Integer I = 0; I < Parent->ControlCount(); ++I) {
    TControl* C = Parent->Controls(I);
    if (auto* B = dynamic_cast<TEditButtonControlEh*>(C))
      B->SetAlwaysDown(false);
    else if (auto* W = dynamic_cast<TWinControl*>(C))
      ReleaseButtonControls(W);
  }
}

} // namespace

void OpenEditButtonDropDownFormEh(TWinControl* EditControl, TFieldDataLinkEh* DataLink, TField* Field,
                                  const Variant& Value, TEditButtonEh* EditButton,
                                  TEditButtonControlEh* ButtonControl,
                                  const TEditControlShowDropDownFormEventEh& OnOpenDropDownForm,
                                  const TDropDownFormCallbackProcEh& CallbackProc, bool& Handled)
{
  if (ButtonControl && ButtonControl->AlwaysDown())
    return;
  if (CloseMarkerWaits(EditControl, EditButton)) {
    Handled = true;
    return;
  }
  TDropDownFormCallParamsEh* Params = EditButton ? EditButton->DropDownFormParams() : nullptr;
  if (!Params)
    return;
  bool FreeFormOnClose = false;
  TCustomForm* Form = Params->DropDownForm();
  if (!Form && !Params->DropDownFormClassName().isEmpty())
    Form = DropDownFormOfClassNameEh(Params->DropDownFormClassName(), EditControl, FreeFormOnClose);
  TCustomForm* const Made = FreeFormOnClose ? Form : nullptr;
  auto DynParams = std::make_unique<TDynVarsEh>(EditControl);
  auto SysParams = std::make_unique<TEditControlDropDownFormSysParams>();
  SysParams->FreeFormOnClose = FreeFormOnClose;
  SysParams->FEditControl = EditControl;
  SysParams->FEditButton = EditButton;
  // A form made for this call that is not shown goes at once.
  ScopeExit DropUnused([&] {
    if (Made && !Handled && IsLiveControl(Made) && !Made->Visible())
      delete Made;
  });
  FillDropDownPassParamsEh(DynParams.get(), DataLink ? DataLink->DataSet() : nullptr, Params->PassFieldNames(),
                           Params->PassParams(), Field, Value);
  if (auto* I = dynamic_cast<IDropDownFormEh*>(Form))
    I->SetReadOnly(Field && Field->ReadOnly());
  if (OnOpenDropDownForm)
    OnOpenDropDownForm(EditControl, EditButton, Form, DynParams.get());
  auto* DropDown = dynamic_cast<IDropDownFormEh*>(Form);
  if (!DropDown)
    return;
  if (Params->SaveFormSize()) {
    Params->SetOldFormWidth(Form->Width());
    if (Params->FormWidth() > 0)
      Form->SetWidth(Params->FormWidth());
    Params->SetOldFormHeight(Form->Height());
    if (Params->FormHeight() > 0)
      Form->SetHeight(Params->FormHeight());
  }
  if (ButtonControl)
    ButtonControl->SetAlwaysDown(true);
  TRect R;
  GetControlScreenRectEh(EditControl, R);
  TDynVarsEh* DynOut = DynParams.release();
  TDropDownFormSysParams* SysOut = SysParams.release();
  try {
    DropDown->ExecuteNomodal(R, nullptr, CallbackProc, SysOut, DynOut, DropDownAlignToAlignmentEh(Params->Align()));
  } catch (...) {
    // The form never opened: nothing calls back.
    if (ButtonControl)
      ButtonControl->SetAlwaysDown(false);
    delete DynOut;
    delete SysOut;
    throw;
  }
  Handled = true;
}

void CloseEditButtonDropDownFormEh(TWinControl* EditControl, TFieldDataLinkEh* DataLink, TCustomForm* DropDownForm,
                                   const TEditControlCloseDropDownFormEventEh& OnCloseDropDownForm,
                                   const TSetVarValueProcEh& SetValueProc, TDropDownFormSysParams* SysParams,
                                   TDynVarsEh* DynParams, bool Accept)
{
  ScopeExit Free([&] {
    delete DynParams;
    delete SysParams;
  });
  auto* Sys = dynamic_cast<TEditControlDropDownFormSysParams*>(SysParams);
  TEditButtonEh* Button = Sys ? Sys->FEditButton : nullptr;
  TDropDownFormCallParamsEh* Params = Button ? Button->DropDownFormParams() : nullptr;
  try {
    if (Accept && Params)
      AssignBackDropDownParamsEh(DynParams, DataLink ? DataLink->DataSet() : nullptr,
                                 Params->AssignBackFieldNames(), Params->PassParams(), SetValueProc);
    DropDownForm->Hide();
    if (Params && Params->SaveFormSize()) {
      Params->SetFormWidth(DropDownForm->Width());
      if (Params->OldFormWidth() > 0)
        DropDownForm->SetWidth(Params->OldFormWidth());
      Params->SetFormHeight(DropDownForm->Height());
      if (Params->OldFormHeight() > 0)
        DropDownForm->SetHeight(Params->OldFormHeight());
    }
    if (OnCloseDropDownForm)
      OnCloseDropDownForm(EditControl, nullptr, Accept, Params ? Params->DropDownForm() : nullptr, DynParams);
    PostCloseMarker(EditControl, Button);
  } catch (...) {
    ShowDropDownFormExceptionEh(DropDownForm, EditControl);
  }
}

void TCustomDBEditEh::EditButtonDropDownFormCallback(TCustomForm* DropDownForm, bool Accept, TDynVarsEh* DynParams,
                                                     TDropDownFormSysParams* SysParams)
{
  ReleaseButtonControls(this);
  CloseEditButtonDropDownFormEh(this, DataLink(), DropDownForm, OnCloseDropDownForm,
                                [this](const Variant& V) { SetValue(V); }, SysParams, DynParams, Accept);
}
