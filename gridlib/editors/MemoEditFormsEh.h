// MemoEditFormsEh.h: the library's window for editing a long text: a memo
// with OK and Cancel that drops down under an editor or runs as a dialog,
// reached through a replaceable routine so that controls edit a text without
// knowing the window.
#pragma once

#include "gridlib/editors/DropDownFormEh.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"

#include <functional>

// The text travels in the form's parameter bag: the first variable in, the
// memo's text back into it.
class TMemoEditWinEh : public TCustomDropDownFormEh {
  VELMORA_CLASS(TMemoEditWinEh)
  using inherited = TCustomDropDownFormEh;
public:
  explicit TMemoEditWinEh(TComponent* AOwner);
  ~TMemoEditWinEh() override;
  // The single window of the program, made on first use.
  static TMemoEditWinEh* GlobalRef();
  TCustomDropDownFormEh* GetGlobalRef() override { return GlobalRef(); }
  // A read-only window shows the text, keeps it and cannot be confirmed.
  void SetReadOnly(bool Value) override;

  TMemo* Memo1 = nullptr;
  TPanel* Panel1 = nullptr;
  TSpeedButton* sbOk = nullptr;
  TSpeedButton* sbCancel = nullptr;
  TBevel* Bevel1 = nullptr;
  TDropDownPassParamsEh PassParams() const { return FPassParams; }

  void CustomDropDownFormEhCreate(TObject* Sender);
  void CustomDropDownFormEhInitForm(TCustomDropDownFormEh* Sender, TDynVarsEh* DynParams);
  void CustomDropDownFormEhReturnParams(TCustomDropDownFormEh* Sender, TDynVarsEh* DynParams);
  void sbOkClick(TObject* Sender);
  void sbCancelClick(TObject* Sender);

private:
  void Finish(TModalResult Result);
  TDropDownPassParamsEh FPassParams = pspFieldValueEh;
};

// Edits Text in the memo window as a dialog; true when the user confirmed.
// The rectangle is where the caller stands (not used by the default window).
using TEditMemoTextProcEh = std::function<bool(String& Text, const TRect& Pos, bool ReadOnly)>;
bool DefaultEditMemoTextEh(String& Text, const TRect& Pos, bool ReadOnly);
TEditMemoTextProcEh& EditMemoTextProcEh();

// Registers the memo window for form descriptions (unless a class of its
// name is known already) and as the shared instance of its class.
void RegisterMemoEditFormsEhClasses();
