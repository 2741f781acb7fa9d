// Dialogs.h: message boxes and message dialogs, with a hook that lets tests
// answer them without a person.
#pragma once

#include "platform/gui/Windows.h"

#include <functional>

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
using enum TMsgDlgType;
enum class TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll,
                        mbNoToAll, mbYesToAll, mbHelp, mbClose };
using enum TMsgDlgBtn;
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

// What a message box asks: its text, caption and MB_* flags.
struct TMessageBoxRequest {
  String Text;
  String Caption;
  UINT Flags = 0;
};

// A hook that answers every message box (IDOK, IDYES…) instead of a person;
// an empty hook shows the box. Answers the previous hook.
using TMessageBoxHook = std::function<Integer(const TMessageBoxRequest& Request)>;
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook Hook);

// Shows a message box (or asks the hook) and answers the button pressed.
Integer ShowMessageBox(const String& Text, const String& Caption, UINT Flags);
// A message dialog; answers the modal result of the button pressed.
Integer MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx = 0);
void ShowMessage(const String& Msg);
