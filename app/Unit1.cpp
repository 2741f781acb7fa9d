// Unit1.cpp: the main window, its menu commands, the version lock and the
// database clean-out.
#include "app/Unit1.h"

#include "app/BuildStamp.h"   // rewritten when a source changes, so __DATE__ is the build's
#include "app/Project1.h"
#include "app/Unit23.h"
#include "app/Unit26.h"
#include "app/Unit34.h"
#include "app/Unit5.h"
#include "app/Unit30.h"
#include "app/Unit6.h"
#include "app/Unit8.h"
#include "platform/gui/Dialogs.h"
#include "platform/rtl/ScopeExit.h"

TForm1* Form1 = nullptr;

static String GBuildDateText;
static String GBuildTimeText;

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {}

TForm1::~TForm1()
{
  if (Form1 == this)
    Form1 = nullptr;
}

void TForm1::Loaded()
{
  inherited::Loaded();
  Image1 = OwnedComponent<TImage>(this, "Image1");
  MainMenu1 = OwnedComponent<TMainMenu>(this, "MainMenu1");
  Timer1 = OwnedComponent<TTimer>(this, "Timer1");
  Button1 = OwnedComponent<TButton>(this, "Button1");
  N2 = OwnedComponent<TMenuItem>(this, "N2");
  N19 = OwnedComponent<TMenuItem>(this, "N19");
  N1 = OwnedComponent<TMenuItem>(this, "N1");
  N8 = OwnedComponent<TMenuItem>(this, "N8");
  N24 = OwnedComponent<TMenuItem>(this, "N24");
  N6 = OwnedComponent<TMenuItem>(this, "N6");
  N11 = OwnedComponent<TMenuItem>(this, "N11");
  N7 = OwnedComponent<TMenuItem>(this, "N7");
  N12 = OwnedComponent<TMenuItem>(this, "N12");
  N28 = OwnedComponent<TMenuItem>(this, "N28");
  N5 = OwnedComponent<TMenuItem>(this, "N5");
}

// The data module connects while it is created; the login dialog, created
// inside this handler, finishes first and so becomes the main window.
void TForm1::FormCreate(TObject*)
{
  Form1 = this;
  Application->CreateForm(DataModule6);
  Application->CreateForm(Form23);
  CommonFormSetup(this);
}

void TForm1::FormActivate(TObject*) {}

// A failing lock must not stack one error dialog on another every 30
// seconds: the error is shown here, inside the lock's guard.
void TForm1::Timer1Timer(TObject*)
{
  static bool Showing = false;
  if (Showing)
    return;
  Showing = true;
  ScopeExit Done([&] { Showing = false; });
  try {
    CheckBuildVersion();
  } catch (const EConnectionLost&) {
    // Nobody asked for this one: the user's next action tells of the lost
    // server, once.
  } catch (Exception& E) {
    ShowAppException(this, E);
  }
}

void TForm1::Button1Click(TObject*) { Close(); }

void TForm1::N5Click(TObject*) { Close(); }

void TForm1::N19Click(TObject*)
{
  DataModule6->department->Open();
  ScopeExit CloseAfter([] { DataModule6->department->Close(); });
  Form30->ShowModal();
}

// A list opened to pick a row may have hidden these buttons; the menu
// shows them again.
void TForm1::N1Click(TObject*)
{
  Form5->SetTag(0);
  DataModule6->workers->Open();
  ScopeExit CloseAfter([] { DataModule6->workers->Close(); });
  Form5->Button1->SetVisible(true);
  Form5->Button3->SetVisible(true);
  Form5->ShowModal();
}

void TForm1::N8Click(TObject*)
{
  DataModule6->staffpos->Open();
  ScopeExit CloseAfter([] { DataModule6->staffpos->Close(); });
  Form26->ShowModal();
}

void TForm1::N24Click(TObject*)
{
  Form34->SetTag(0);
  DataModule6->jur_person->Open();
  ScopeExit CloseAfter([] { DataModule6->jur_person->Close(); });
  Form34->Button1->SetVisible(true);
  Form34->Button3->SetVisible(true);
  Form34->ShowModal();
}

void TForm1::N6Click(TObject*)
{
  Form8->SetTag(0);
  DataModule6->operation_type->Open();
  ScopeExit CloseAfter([] { DataModule6->operation_type->Close(); });
  Form8->Button1->SetVisible(true);
  Form8->Button3->SetVisible(true);
  Form8->ShowModal();
}

const char* const CleanOutStatements[8] = {
  "SELECT truncate_tables('mnf_app');",
  "truncate table mnf_proc_tech.tp_operation;",
  "truncate table accounts_dep.smena;",
  "truncate table accounts_dep.h_tabel;",
  "truncate table accounts_dep.person_temp;",
  "SELECT truncate_tables('stk_stocks');",
  "SELECT truncate_tables('stk_purchase');",
  "update cmn_inventory_items.inventory_items set cost_price =0;",
};

// Empties every document table: asked first, and all or nothing.
void TForm1::N28Click(TObject*)
{
  const Integer Answer = Application->MessageBox(
    QStringLiteral("Удалить все документы, складские остатки, сменные записи и табель? "
                   "Справочники останутся. Отменить это будет нельзя."),
    QStringLiteral("Очистить базу"), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
  if (Answer != IDYES)
    return;
  TADOConnection* Db = DataModule6->ADO_DB;
  Db->BeginTrans();
  try {
    for (const char* Statement : CleanOutStatements)
      ExecuteCommand(QString::fromUtf8(Statement));
    Db->CommitTrans();
  } catch (...) {
    Db->RollbackTrans();
    throw;
  }
}

// ---------------------------------------------------------------------------
// The version lock

static Integer MonthOfAbbreviation(const String& Month)
{
  static const char* const Names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (Integer I = 0; I < 12; ++I)
    if (Month == QLatin1String(Names[I]))
      return I + 1;
  return 0;
}

static Integer DigitAt(const String& Text, qsizetype Index)
{
  if (Index >= Text.size() || !Text[Index].isDigit())
    return 0;   // a blank pads the day
  return Text[Index].digitValue();
}

Integer BuildDateFromText(const String& DateText)
{
  Integer Year = 1900, Month = 1, Day = 1;
  if (!DateText.startsWith(u'?')) {
    Month = MonthOfAbbreviation(DateText.left(3));
    Day = DigitAt(DateText, 4) * 10 + DigitAt(DateText, 5);
    Year = DateText.mid(7, 4).toInt();
  }
  return Year * 10000 + Month * 100 + Day;
}

Integer BuildTimeFromText(const String& TimeText)
{
  return DigitAt(TimeText, 0) * 36000 + DigitAt(TimeText, 1) * 3600 + DigitAt(TimeText, 3) * 600 +
         DigitAt(TimeText, 4) * 60 + DigitAt(TimeText, 6) * 10 + DigitAt(TimeText, 7);
}

void SetBuildStampText(const String& DateText, const String& TimeText)
{
  GBuildDateText = DateText;
  GBuildTimeText = TimeText;
}

static String BuildDateText()
{
  return GBuildDateText.isEmpty() ? QString::fromLatin1(__DATE__) : GBuildDateText;
}

static String BuildTimeText()
{
  return GBuildTimeText.isEmpty() ? QString::fromLatin1(__TIME__) : GBuildTimeText;
}

static bool StampBefore(Integer D1, Integer T1, Integer D2, Integer T2)
{
  return D1 < D2 || (D1 == D2 && T1 < T2);
}

void CheckBuildVersion()
{
  // The lock's own message box runs a modal loop in which the timer fires
  // again; one question at a time.
  static bool Running = false;
  if (Running)
    return;
  Running = true;
  ScopeExit Done([&] { Running = false; });

  Form1->BuildDate = BuildDateFromText(BuildDateText());
  Form1->BuildTime = BuildTimeFromText(BuildTimeText());
  TADOTable* Ver = DataModule6->ver;
  Ver->Open();
  ScopeExit CloseVer([&] { Ver->Close(); });
  Ver->First();
  DataModule6->DbDecimalSeparator = Ver->FieldByName(QStringLiteral("delim"))->AsString();

  auto StoredDate = [&] { return Ver->FieldByName(QStringLiteral("d"))->AsInteger(); };
  auto StoredTime = [&] { return Ver->FieldByName(QStringLiteral("t"))->AsInteger(); };
  if (Ver->IsEmpty() || StampBefore(StoredDate(), StoredTime(), Form1->BuildDate, Form1->BuildTime)) {
    if (Ver->IsEmpty())
      Ver->Insert();
    else
      Ver->Edit();
    Ver->FieldByName(QStringLiteral("d"))->SetAsInteger(Form1->BuildDate);
    Ver->FieldByName(QStringLiteral("t"))->SetAsInteger(Form1->BuildTime);
    Ver->Post();
  }
  if (StampBefore(Form1->BuildDate, Form1->BuildTime, StoredDate(), StoredTime())) {
    // Ends the program even when nobody answers the message.
    if (Form23)
      Form23->Timer1->SetEnabled(true);
    Application->MessageBox(QStringLiteral("Версия программы не соответсвует БД! Запустите программу через 5 мин."),
                            QStringLiteral("Ошибка"), MB_OK | MB_ICONERROR);
    Application->Terminate();
  }
}

void RegisterUnit1Classes()
{
  RegisterClassInfo<TForm1, TForm>("TForm1")
    .Handler("FormCreate", &TForm1::FormCreate)
    .Handler("FormActivate", &TForm1::FormActivate)
    .Handler("Timer1Timer", &TForm1::Timer1Timer)
    .Handler("Button1Click", &TForm1::Button1Click)
    .Handler("N5Click", &TForm1::N5Click)
    .Handler("N19Click", &TForm1::N19Click)
    .Handler("N1Click", &TForm1::N1Click)
    .Handler("N8Click", &TForm1::N8Click)
    .Handler("N24Click", &TForm1::N24Click)
    .Handler("N6Click", &TForm1::N6Click)
    .Handler("N28Click", &TForm1::N28Click);
}
