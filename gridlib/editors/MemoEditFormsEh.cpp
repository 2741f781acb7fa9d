// MemoEditFormsEh.cpp: the memo window and the default text editing routine.
#include "gridlib/editors/MemoEditFormsEh.h"

#include "gridlib/foundation/GridLibLangConsts.h"

TMemoEditWinEh::TMemoEditWinEh(TComponent* AOwner) : TForm(AOwner, 0)
{
  SetClientWidth(447);
  SetClientHeight(324);
  SetCaption(GridLibLanguageConsts()->MemoEditWin_Caption());
  Memo1 = new TMemo(this);
  Memo1->SetParent(this);
  Memo1->SetBounds(0, 0, 447 - 82, 324);
  Memo1->SetAnchors({akLeft, akTop, akRight, akBottom});
  Memo1->SetScrollBars(ssVertical);
  const auto MakeButton = [this](Integer Top, const String& Caption, TModalResult Result) {
    auto* B = new TSpeedButton(this);
    B->SetParent(this);
    B->SetBounds(447 - 74, Top, 68, 22);
    B->SetAnchors({akTop, akRight});
    B->SetCaption(Caption);
    B->OnClick = [this, Result](TObject*) { SetModalResult(Result); };
    return B;
  };
  sbOk = MakeButton(15, GridLibLanguageConsts()->OKButtonEh(), mrOk);
  sbCancel = MakeButton(40, GridLibLanguageConsts()->CancelButtonEh(), mrCancel);
}

TMemoEditWinEh* TMemoEditWinEh::GetGlobalRef()
{
  static TMemoEditWinEh* Window = nullptr;
  if (!IsLiveControl(Window))
    Window = new TMemoEditWinEh(Application);
  return Window;
}

void TMemoEditWinEh::SetReadOnly(bool Value)
{
  FReadOnly = Value;
  Memo1->SetReadOnly(Value);
  sbOk->SetEnabled(!Value);
}

bool DefaultEditMemoTextEh(String& Text, const TRect&, bool ReadOnly)
{
  TMemoEditWinEh* Win = TMemoEditWinEh::GetGlobalRef();
  Win->Memo1->SetText(Text);
  Win->SetReadOnly(ReadOnly);
  if (Win->ShowModal() != mrOk || ReadOnly)
    return false;
  Text = Win->Memo1->Text();
  return true;
}

TEditMemoTextProcEh& EditMemoTextProcEh()
{
  static TEditMemoTextProcEh Proc = DefaultEditMemoTextEh;
  return Proc;
}
