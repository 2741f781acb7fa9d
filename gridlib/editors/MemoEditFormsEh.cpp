// MemoEditFormsEh.cpp: the memo window and the default text editing routine.
#include "gridlib/editors/MemoEditFormsEh.h"

#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/foundation/GridLibLangConsts.h"
#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/TypInfo.h"

TMemoEditWinEh::TMemoEditWinEh(TComponent* AOwner) : TCustomDropDownFormEh(AOwner, 0)
{
  SetName(QStringLiteral("MemoEditWinEh"));
  SetClientWidth(447);
  SetClientHeight(324);
  SetBorderIcons(TBorderIcons{});
  SetParentFont(true);
  Memo1 = new TMemo(this);
  Memo1->SetName(QStringLiteral("Memo1"));
  Panel1 = new TPanel(this);
  Panel1->SetName(QStringLiteral("Panel1"));
  Panel1->SetParent(this);
  Panel1->SetWidth(80);
  Panel1->SetAlign(alRight);
  Panel1->SetBevelOuter(bvNone);
  Panel1->SetCaption(String());
  Bevel1 = new TBevel(this);
  Bevel1->SetName(QStringLiteral("Bevel1"));
  Bevel1->SetParent(this);
  Bevel1->SetWidth(2);
  Bevel1->SetAlign(alRight);
  Memo1->SetParent(this);
  Memo1->SetBorderStyle(TBorderStyle::bsNone);
  Memo1->SetAlign(alClient);
  Memo1->SetScrollBars(ssVertical);
  const auto MakeButton = [this](const char* Name, Integer Top, TNotifyEvent OnClick) {
    auto* B = new TSpeedButton(this);
    B->SetName(QString::fromLatin1(Name));
    B->SetParent(Panel1);
    B->SetBounds(6, Top, 68, 22);
    B->OnClick = std::move(OnClick);
    return B;
  };
  sbOk = MakeButton("sbOk", 15, [this](TObject* S) { sbOkClick(S); });
  sbCancel = MakeButton("sbCancel", 40, [this](TObject* S) { sbCancelClick(S); });
  OnInitForm = [this](TCustomDropDownFormEh* S, TDynVarsEh* P) { CustomDropDownFormEhInitForm(S, P); };
  OnReturnParams = [this](TCustomDropDownFormEh* S, TDynVarsEh* P) { CustomDropDownFormEhReturnParams(S, P); };
  CustomDropDownFormEhCreate(this);
}

namespace {

// The shared window; it forgets itself when freed, so that a new control at
// the same address never passes for it.
TMemoEditWinEh* GlobalMemoEditWin = nullptr;

} // namespace

TMemoEditWinEh::~TMemoEditWinEh()
{
  if (GlobalMemoEditWin == this)
    GlobalMemoEditWin = nullptr;
}

TMemoEditWinEh* TMemoEditWinEh::GlobalRef()
{
  if (!GlobalMemoEditWin)
    GlobalMemoEditWin = new TMemoEditWinEh(Application);
  return GlobalMemoEditWin;
}

void TMemoEditWinEh::CustomDropDownFormEhCreate(TObject*)
{
  sbOk->SetCaption(GridLibLanguageConsts()->OKButtonEh());
  sbCancel->SetCaption(GridLibLanguageConsts()->CancelButtonEh());
  SetCaption(GridLibLanguageConsts()->MemoEditWin_Caption());
}

void TMemoEditWinEh::SetReadOnly(bool Value)
{
  inherited::SetReadOnly(Value);
  Memo1->SetReadOnly(Value);
  sbOk->SetEnabled(!Value);
}

void TMemoEditWinEh::CustomDropDownFormEhInitForm(TCustomDropDownFormEh*, TDynVarsEh* DynParams)
{
  const Integer Count = DynParams ? DynParams->Count() : 0;
  if (Count == 0) {
    FPassParams = pspByFieldNamesEh;
    // Nothing was handed in: the text another caller left must not pass for
    // this one's.
    Memo1->SetText(String());
  } else {
    FPassParams = Count == 1 ? pspFieldValueEh : pspRecordValuesEh;
    Memo1->SetText(VarToStrSafeEh(DynParams->Items(0)->Value()));
  }
  SetReadOnly(ReadOnly());
}

void TMemoEditWinEh::CustomDropDownFormEhReturnParams(TCustomDropDownFormEh*, TDynVarsEh* DynParams)
{
  if (DynParams && DynParams->Count() > 0)
    DynParams->Items(0)->SetValue(Variant(Memo1->Text()));
}

void TMemoEditWinEh::Finish(TModalResult Result)
{
  SetModalResult(Result);
  if (DropDownMode())
    Close();
}

void TMemoEditWinEh::sbOkClick(TObject*)
{
  // Enter or a click cannot confirm what the window may not change.
  if (!ReadOnly())
    Finish(mrOk);
}

void TMemoEditWinEh::sbCancelClick(TObject*) { Finish(mrCancel); }

bool DefaultEditMemoTextEh(String& Text, const TRect&, bool ReadOnly)
{
  TMemoEditWinEh* Win = TMemoEditWinEh::GlobalRef();
  auto* Interactable = dynamic_cast<IDynParamsInteractableEh*>(Win);
  if (!Interactable)
    return false;
  TDynVarsEh Params(nullptr);
  Params.CreateDynVar(String(), Variant(Text));
  Interactable->SetDynParams(&Params);
  // The bag lives here only: the window must not keep it.
  ScopeExit Forget([&] {
    if (IsLiveControl(Win))
      Interactable->SetDynParams(nullptr);
  });
  Win->SetReadOnly(ReadOnly);
  if (Win->ShowModal() != mrOk || ReadOnly)
    return false;
  TDynVarsEh* Back = nullptr;
  Interactable->GetDynParams(Back);
  if (!Back || Back->Count() == 0)
    return false;
  Text = VarToStrSafeEh(Back->Items(0)->Value());
  return true;
}

TEditMemoTextProcEh& EditMemoTextProcEh()
{
  static TEditMemoTextProcEh Proc = DefaultEditMemoTextEh;
  return Proc;
}

void RegisterMemoEditFormsEhClasses()
{
  RegisterDropDownFormEhClasses();
  if (!GetClass(QStringLiteral("TMemoEditWinEh"))) {
    RegisterClassInfo<TMemoEditWinEh, TCustomDropDownFormEh>("TMemoEditWinEh");
    RegisterClass(TMemoEditWinEh::StaticClass());
  }
  RegisterDropDownFormGlobalRefEh(TMemoEditWinEh::StaticClass(), [] { return TMemoEditWinEh::GlobalRef(); });
}
