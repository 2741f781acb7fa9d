// MemoEditFormsEh.h: the library's window for editing a long text: a memo
// with OK and Cancel, reached through a replaceable routine so that controls
// edit a text without knowing the window.
#pragma once

#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Buttons.h"

#include <functional>

class TMemoEditWinEh : public TForm {
  VELMORA_CLASS(TMemoEditWinEh)
  using inherited = TForm;
public:
  explicit TMemoEditWinEh(TComponent* AOwner);
  // The single window of the program, made on first use.
  static TMemoEditWinEh* GetGlobalRef();

  TMemo* Memo1 = nullptr;
  TSpeedButton* sbOk = nullptr;
  TSpeedButton* sbCancel = nullptr;
  bool ReadOnly() const { return FReadOnly; }
  // A read-only window shows the text, keeps it and cannot be confirmed.
  void SetReadOnly(bool Value);

private:
  bool FReadOnly = false;
};

// Edits Text in the memo window; true when the user confirmed. The
// rectangle is where the caller stands (not used by the default window).
using TEditMemoTextProcEh = std::function<bool(String& Text, const TRect& Pos, bool ReadOnly)>;
bool DefaultEditMemoTextEh(String& Text, const TRect& Pos, bool ReadOnly);
TEditMemoTextProcEh& EditMemoTextProcEh();
