// date_popup_sample.cpp: a form with the library's date editor and its popup
// calendar, for the desktop tests under a real window manager. The form's
// title tells the driver what it cannot see from outside:
//   "DTC: <edit text> | focus=<control with the focus> | calendar=<shown|hidden> | closed=<accepted closes>/<closes>"
#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/editors/DateTimeCalendarPickersEh.h"

#include "platform/rtl/DateUtils.h"
#include "tests/desktop/DesktopSample.h"

namespace {

class TSampleForm : public TDesktopSampleForm {
public:
  explicit TSampleForm(TComponent* AOwner) : TDesktopSampleForm(AOwner)
  {
    Edit = new TDBDateTimeEditEh(this);
    Edit->SetName(QStringLiteral("Edit1"));
    Edit->SetParent(this);
    // The driver knows the edit's place and size.
    Edit->SetAutoSize(false);
    Edit->SetBounds(20, 20, 220, 24);
    Edit->SetValue(VarFromDateTime(EncodeDate(2026, 3, 10)));
    Edit->OnCloseUp = [this](TObject*, bool Accept) {
      ++Closes;
      Accepted += Accept ? 1 : 0;
    };
    Other = new TEdit(this);
    Other->SetName(QStringLiteral("Edit2"));
    Other->SetParent(this);
    Other->SetBounds(20, 240, 220, 24);
  }

  String Report() override
  {
    return QStringLiteral("DTC: %1 | focus=%2 | calendar=%3 | closed=%4/%5")
      .arg(Edit->Text(), FocusName(), Edit->CalendarVisible() ? QStringLiteral("shown") : QStringLiteral("hidden"))
      .arg(Accepted)
      .arg(Closes);
  }

  TDBDateTimeEditEh* Edit = nullptr;
  TEdit* Other = nullptr;
  Integer Closes = 0;
  Integer Accepted = 0;
};

} // namespace

int main(int argc, char** argv)
{
  return RunDesktopSample<TSampleForm>(argc, argv, [] {
    RegisterGridLibFoundationClasses();
    RegisterDBCtrlsEhDateTimeEditClasses();
  });
}
