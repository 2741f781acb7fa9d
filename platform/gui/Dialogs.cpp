// Dialogs.cpp: message boxes over QMessageBox, run in the application's
// modal loop so that timers keep firing and Terminate closes them.
#include "platform/gui/Dialogs.h"

#include "platform/gui/Forms.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
TMessageBoxHook& Hook()
{
  static TMessageBoxHook H;
  return H;
}
} // namespace

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook NewHook)
{
  TMessageBoxHook Old = std::move(Hook());
  Hook() = std::move(NewHook);
  return Old;
}

Integer RunModalDialog(QDialog* Dialog);

Integer ShowMessageBox(const String& Text, const String& ACaption, UINT Flags)
{
  // A box without a caption of its own shows the application's title.
  const String Caption = ACaption.isEmpty() ? Application->Title() : ACaption;
  if (Hook())
    return Hook()(TMessageBoxRequest{Text, Caption, Flags});
  QMessageBox Box;
  Box.setWindowTitle(Caption);
  Box.setText(Text);
  switch (Flags & 0xF0) {
  case MB_ICONERROR: Box.setIcon(QMessageBox::Critical); break;
  case MB_ICONQUESTION: Box.setIcon(QMessageBox::Question); break;
  case MB_ICONWARNING: Box.setIcon(QMessageBox::Warning); break;
  case MB_ICONINFORMATION: Box.setIcon(QMessageBox::Information); break;
  default: break;
  }
  struct TButtonDef { const char* Text; Integer Id; QMessageBox::ButtonRole Role; };
  std::vector<TButtonDef> Buttons;
  switch (Flags & 0xF) {
  case MB_OKCANCEL: Buttons = {{"OK", IDOK, QMessageBox::AcceptRole}, {"Отмена", IDCANCEL, QMessageBox::RejectRole}}; break;
  case MB_ABORTRETRYIGNORE:
    Buttons = {{"Прервать", IDABORT, QMessageBox::RejectRole}, {"Повторить", IDRETRY, QMessageBox::AcceptRole},
               {"Пропустить", IDIGNORE, QMessageBox::ActionRole}};
    break;
  case MB_YESNOCANCEL:
    Buttons = {{"Да", IDYES, QMessageBox::YesRole}, {"Нет", IDNO, QMessageBox::NoRole},
               {"Отмена", IDCANCEL, QMessageBox::RejectRole}};
    break;
  case MB_YESNO: Buttons = {{"Да", IDYES, QMessageBox::YesRole}, {"Нет", IDNO, QMessageBox::NoRole}}; break;
  case MB_RETRYCANCEL: Buttons = {{"Повторить", IDRETRY, QMessageBox::AcceptRole}, {"Отмена", IDCANCEL, QMessageBox::RejectRole}}; break;
  default: Buttons = {{"OK", IDOK, QMessageBox::AcceptRole}}; break;
  }
  std::vector<std::pair<QAbstractButton*, Integer>> Map;
  const std::size_t Default = (Flags & 0xF00) >> 8;
  for (std::size_t I = 0; I < Buttons.size(); ++I) {
    QPushButton* B = Box.addButton(QString::fromUtf8(Buttons[I].Text), Buttons[I].Role);
    Map.emplace_back(B, Buttons[I].Id);
    if (I == Default)
      Box.setDefaultButton(B);
  }
  if (Buttons.size() == 1)
    Box.setEscapeButton(Map.front().first);
  RunModalDialog(&Box);
  for (const auto& [B, Id] : Map)
    if (Box.clickedButton() == B)
      return Id;
  // Closed without a button: the cancel answer where there is one.
  for (const TButtonDef& B : Buttons)
    if (B.Id == IDCANCEL || B.Id == IDNO)
      return B.Id;
  return Buttons.front().Id;
}

Integer MessageBox(HWND, const String& Text, const String& Caption, UINT Type)
{
  return ShowMessageBox(Text, Caption, Type);
}

Integer MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer)
{
  static const char* Captions[] = {"Предупреждение", "Ошибка", "Информация", "Подтверждение"};
  UINT Flags = 0;
  switch (DlgType) {
  case mtWarning: Flags |= MB_ICONWARNING; break;
  case mtError: Flags |= MB_ICONERROR; break;
  case mtInformation: Flags |= MB_ICONINFORMATION; break;
  case mtConfirmation: Flags |= MB_ICONQUESTION; break;
  default: break;
  }
  if (Buttons.Contains(mbYes) && Buttons.Contains(mbNo))
    Flags |= Buttons.Contains(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
  else if (Buttons.Contains(mbOK) && Buttons.Contains(mbCancel))
    Flags |= MB_OKCANCEL;
  const String Caption = DlgType == mtCustom ? Application->Title() : QString::fromUtf8(Captions[int(DlgType)]);
  const Integer Id = ShowMessageBox(Msg, Caption, Flags);
  // Modal results share the numbers of the answers (mrOk = IDOK …).
  return Id;
}

void ShowMessage(const String& Msg)
{
  ShowMessageBox(Msg, Application->Title(), MB_OK);
}

void ShowStyleError(const String& Message)
{
  MessageDlg(Message, mtError, {mbOK});
}

// Runs a dialog until it closes or the application is told to terminate.
// Shown, not opened: opening would make it modal to no window at all.
Integer RunModalDialog(QDialog* Dialog)
{
  Dialog->setWindowModality(Qt::ApplicationModal);
  TModalWindowGuard Guard(Dialog);
  Dialog->setResult(0);
  Dialog->show();
  while (Dialog->isVisible() && !Application->Terminated())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
  if (Dialog->isVisible())
    Dialog->reject();
  return Dialog->result();
}
