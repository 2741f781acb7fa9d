// mru_popup_sample.cpp: a form with an edit whose MRU list drops down while
// the user types, for the desktop tests under a real window manager. The
// form's title tells the driver what it cannot see from outside:
//   "MRU: <edit text> | focus=<name of the control with the focus> | list=<shown|hidden>"
#include "tests/gridlib/foundation/MRUSampleEdit.h"

#include "platform/gui/Forms.h"

namespace {

class TSampleForm : public TForm {
public:
  explicit TSampleForm(TComponent* AOwner) : TForm(AOwner, 0)
  {
    SetBounds(200, 150, 360, 240);
    SetPosition(poDesigned);
    Edit = new TMRUSampleEdit(this);
    Edit->SetName(QStringLiteral("Edit1"));
    Edit->SetParent(this);
    Edit->SetBounds(20, 20, 220, 24);
    for (const char* Item : {"bolt M6", "bolt M8", "bolt M10", "nut M6", "nut M8", "washer 6"})
      Edit->MRUList()->Add(QString::fromUtf8(Item));
    Edit->OnTextChanged = [this](TObject*) { Report(); };
    Other = new TEdit(this);
    Other->SetName(QStringLiteral("Edit2"));
    Other->SetParent(this);
    Other->SetBounds(20, 180, 220, 24);
    Timer = SetTimer(nullptr, 0, 100, [this](HWND, UINT, UINT_PTR, DWORD) { Report(); });
  }
  ~TSampleForm() override { KillTimer(nullptr, Timer); }

  void Report()
  {
    TWinControl* Focused = FindControl(GetFocus());
    const bool Shown = Edit->ListControl() && Edit->ListControl()->Visible();
    SetCaption(QStringLiteral("MRU: %1 | focus=%2 | list=%3")
                   .arg(Edit->Text(), Focused ? Focused->Name() : QStringLiteral("none"),
                        Shown ? QStringLiteral("shown") : QStringLiteral("hidden")));
  }

  TMRUSampleEdit* Edit = nullptr;
  TEdit* Other = nullptr;
  UINT_PTR Timer = 0;
};

} // namespace

int main(int argc, char** argv)
{
  return RunWithToolkit(argc, argv, [] {
    RegisterGridLibFoundationClasses();
    TSampleForm* Form = nullptr;
    Application->CreateForm(Form);
    Form->Show();
    Form->Edit->SetFocus();
    Application->Run();
    return 0;
  });
}
