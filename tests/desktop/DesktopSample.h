// DesktopSample.h: what the desktop tests' sample programs share: a form
// whose title, rewritten every 100 ms, tells the driver what it cannot see
// from outside, and the program's start with the first edit focused.
#pragma once

#include "platform/gui/Forms.h"
#include "platform/gui/Windows.h"

#include <functional>

class TDesktopSampleForm : public TForm {
public:
  explicit TDesktopSampleForm(TComponent* AOwner) : TForm(AOwner, 0)
  {
    SetBounds(200, 150, 420, 300);
    SetPosition(poDesigned);
    FTimer = SetTimer(nullptr, 0, 100, [this](HWND, UINT, UINT_PTR, DWORD) { SetCaption(Report()); });
  }
  ~TDesktopSampleForm() override { KillTimer(nullptr, FTimer); }

  // The name of the control with the focus (its class when it has none).
  static String FocusName()
  {
    TWinControl* Focused = FindControl(GetFocus());
    if (!Focused)
      return QStringLiteral("none");
    return Focused->Name().isEmpty() ? Focused->ClassName() : Focused->Name();
  }
  virtual String Report() = 0;

private:
  UINT_PTR FTimer = 0;
};

// Registers the classes, shows the form and runs until it closes; the
// form's Edit has the focus first.
template <class TSample>
int RunDesktopSample(int argc, char** argv, const std::function<void()>& Register)
{
  return RunWithToolkit(argc, argv, [&Register] {
    Register();
    TSample* Form = nullptr;
    Application->CreateForm(Form);
    Form->Show();
    Form->Edit->SetFocus();
    Application->Run();
    return 0;
  });
}
