// dropdown_form_sample.cpp: a form with the library's editor whose drop-down
// form opens from its button on F4, for the desktop tests under a real window
// manager. The form's title tells the driver what it cannot see from outside:
//   "DDF: <edit text> | focus=<control with the focus> | form=<shown|hidden> | closed=<accepted closes>/<closes>"
#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/editors/DropDownFormEh.h"
#include "gridlib/foundation/GridsEh.h"

#include "tests/desktop/DesktopSample.h"

namespace {

// The drop-down: a list of sizes to pick from, and OK.
class TSizesFormEh : public TCustomDropDownFormEh {
public:
  explicit TSizesFormEh(TComponent* AOwner) : TCustomDropDownFormEh(AOwner, 0)
  {
    SetBounds(0, 0, 240, 160);
    Sizes = new TListBox(this);
    Sizes->SetParent(this);
    Sizes->SetBounds(8, 12, 140, 110);
    for (const char* S : {"M6", "M8", "M10"})
      Sizes->Items()->Add(QString::fromUtf8(S));
    Ok = new TButton(this);
    Ok->SetParent(this);
    Ok->SetName(QStringLiteral("Ok"));
    Ok->SetCaption(QStringLiteral("OK"));
    Ok->SetBounds(156, 12, 70, 25);
    // OK gives the result and ends the drop-down, run modally or not.
    Ok->OnClick = [this](TObject*) {
      SetModalResult(mrOk);
      Close();
    };
    OnReturnParams = [this](TCustomDropDownFormEh*, TDynVarsEh* P) {
      P->Items(0)->SetValue(Variant(QStringLiteral("bolt ") + Sizes->Items()->Strings(1)));
    };
  }
  TListBox* Sizes = nullptr;
  TButton* Ok = nullptr;
};

class TSampleForm : public TDesktopSampleForm {
public:
  explicit TSampleForm(TComponent* AOwner) : TDesktopSampleForm(AOwner)
  {
    Edit = new TDBEditEh(this);
    Edit->SetName(QStringLiteral("Edit1"));
    Edit->SetParent(this);
    // The driver knows the edit's place and size.
    Edit->SetAutoSize(false);
    Edit->SetBounds(20, 20, 220, 24);
    Edit->SetText(QStringLiteral("bolt"));
    Other = new TEdit(this);
    Other->SetName(QStringLiteral("Edit2"));
    Other->SetParent(this);
    Other->SetBounds(20, 240, 220, 24);
    DropDown = new TSizesFormEh(this);
    // The editor's own drop-down button, pressed by F4: its default action
    // fills the call parameters with the editor's procedures.
    TEditButtonEh* Button = Edit->EditButton();
    Button->SetVisible(true);
    Button->SetStyle(ebsDropDownEh);
    Button->SetShortCut(ShortCut(VK_F4, {}));
    TDropDownFormCallParamsEh* P = Button->DropDownFormParams();
    P->SetDropDownForm(DropDown);
    P->SetAlign(daLeft);
    Edit->OnCloseDropDownForm = [this](TControl*, TEditButtonEh*, bool Accept, TCustomForm*, TDynVarsEh*) {
      ++Closes;
      Accepted += Accept ? 1 : 0;
    };
  }

  String Report() override
  {
    return QStringLiteral("DDF: %1 | focus=%2 | form=%3 | closed=%4/%5")
      .arg(Edit->Text(), FocusName(), DropDown->Visible() ? QStringLiteral("shown") : QStringLiteral("hidden"))
      .arg(Accepted)
      .arg(Closes);
  }

  TDBEditEh* Edit = nullptr;
  TEdit* Other = nullptr;
  TSizesFormEh* DropDown = nullptr;
  Integer Closes = 0;
  Integer Accepted = 0;
};

} // namespace

int main(int argc, char** argv)
{
  return RunDesktopSample<TSampleForm>(argc, argv, [] {
    RegisterGridLibFoundationClasses();
    RegisterDBCtrlsEhClasses();
  });
}
