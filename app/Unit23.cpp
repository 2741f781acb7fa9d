// Unit23.cpp: the login dialog: connection from the command line and the
// typed account, user lookup, rights by login, and the signed-in run of the
// main window.
#include "app/Unit23.h"

#include "app/Project1.h"
#include "app/Unit1.h"
#include "app/Unit6.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Themes.h"
#include "platform/rtl/IniFiles.h"

#include <QStandardPaths>

TForm23* Form23 = nullptr;
TSignedInUser SignedInUser;

// ---------------------------------------------------------------------------
// Connection target

TConnectionTarget ConnectionTargetFromParams(const QStringList& Params)
{
  TConnectionTarget Target;
  if (Params.isEmpty()) {
    Target.DataSource = QStringLiteral("velmora_dev");
    return Target;
  }
  if (Params.size() >= 2 && !Params[0].isEmpty() && !Params[1].isEmpty()) {
    Target.DriverKind = true;
    Target.Server = Params[0];
    Target.Database = Params[1];
    return Target;
  }
  // Two parameters with one of them empty name no server: an empty source.
  if (Params.size() == 1)
    Target.DataSource = Params[0];
  return Target;
}

// A value from the command line goes into the driver string as one value,
// whatever it holds.
static String OdbcValue(const String& Value)
{
  static const QString Special = QStringLiteral(";{}=");
  const bool Plain = Value.trimmed() == Value &&
                     std::none_of(Value.begin(), Value.end(), [](QChar C) { return Special.contains(C); });
  return Plain ? Value : QuoteOdbcConnectionValue(Value);
}

String ConnectionStringFor(const TConnectionTarget& Target)
{
  if (!Target.DriverKind)
    return QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=") +
           QuoteConnectionValue(Target.DataSource);
  return QStringLiteral("DRIVER={PostgreSQL UNICODE};DATABASE=") + OdbcValue(Target.Database) +
         QStringLiteral(";SERVER=") + OdbcValue(Target.Server) +
         QStringLiteral(";PORT=5432;SSLmode=prefer;"
                        "ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;ShowSystemTables=0;"
                        "Fetch=100;UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;"
                        "Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;"
                        "BoolsAsChar=1;Parse=0;ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;"
                        "TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;LowerCaseIdentifier=0;"
                        "D6=-101;OptionalErrors=0;XaOpt=1");
}

String ConnectionTargetText(const TConnectionTarget& Target)
{
  if (Target.DriverKind)
    return QStringLiteral("сервер: ") + Target.Server + QStringLiteral(", БД: ") + Target.Database;
  return QStringLiteral("Data Source: ") + Target.DataSource;
}

TConnectionTarget ConnectionTargetOf(const String& ConnectionString)
{
  TConnectionTarget Target;
  for (const odbc::TConnAttr& A : odbc::ParseOdbcConnectionString(OdbcConnectionString(ConnectionString))) {
    const String Key = A.Key.toUpper();
    if (Key == QLatin1String("DSN"))
      Target.DataSource = A.Value;
    else if (Key == QLatin1String("SERVER") || Key == QLatin1String("SERVERNAME"))
      Target.Server = A.Value;
    else if (Key == QLatin1String("DATABASE"))
      Target.Database = A.Value;
  }
  Target.DriverKind = Target.DataSource.isEmpty() && !Target.Server.isEmpty();
  return Target;
}

String StartConnectionFailureText(const String& ConnectionString, const String& SqlState, const String& Reason)
{
  const TConnectionTarget Target = ConnectionTargetOf(ConnectionString);
  const String Where = ConnectionTargetText(Target);
  if (SqlState == QLatin1String("IM002"))
    return QStringLiteral("Источник данных ODBC «") + Target.DataSource +
           QStringLiteral("» не найден.\n\nДобавьте его в файл odbc.ini и запустите программу снова.");
  if (odbc::IsConnectionLoss(SqlState, Reason))
    return QStringLiteral("Нет связи с сервером базы данных (") + Where +
           (Target.DriverKind
              ? QStringLiteral(").\n\nПроверьте, что сервер PostgreSQL запущен и доступен по сети, "
                               "и запустите программу снова.")
              : QStringLiteral(").\n\nПроверьте, что сервер PostgreSQL запущен и что источник данных в "
                               "odbc.ini указывает на него, и запустите программу снова."));
  return QStringLiteral("Не удалось подключиться к базе данных (") + Where + QStringLiteral("):\n") + Reason;
}

String ConnectionLostText(const String& ConnectionString)
{
  return QStringLiteral("Нет связи с сервером базы данных (") + ConnectionTargetText(ConnectionTargetOf(ConnectionString)) +
         QStringLiteral("). Последнее действие не выполнено, введённые данные не записаны.\n\n"
                        "Проверьте, что сервер работает, и повторите действие: программа подключится снова.");
}

static QStringList CommandLineParams()
{
  QStringList Params;
  for (Integer I = 1; I <= ParamCount(); ++I)
    Params << ParamStr(I);
  return Params;
}

// ---------------------------------------------------------------------------
// Rights

TLoginRights RightsForLogin(const String& Login, const QStringList& Clerks, const QStringList& Approvers)
{
  TLoginRights Rights;
  if (Login == QLatin1String("sys") || Approvers.contains(Login, Qt::CaseSensitive)) {
    Rights.ShiftAccept = true;
  } else if (Clerks.contains(Login, Qt::CaseSensitive)) {
    Rights.ShiftEdit = false;
    Rights.ShiftAccept = true;
    Rights.Books = false;
    Rights.Reports = false;
  }
  if (Login == QLatin1String("econom")) {
    Rights.ShiftEdit = false;
    Rights.ShiftLog = false;
    Rights.Books = false;
  }
  return Rights;
}

String RightsFilePath()
{
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/velmora/rights.ini");
}

static QStringList LoginList(const String& Text)
{
  QStringList Logins;
  for (const QString& Item : Text.split(u',', Qt::SkipEmptyParts))
    if (!Item.trimmed().isEmpty())
      Logins << Item.trimmed();
  return Logins;
}

void ReadRightsFile(QStringList& Clerks, QStringList& Approvers)
{
  TMemIniFile Ini(RightsFilePath());
  Clerks = LoginList(Ini.ReadString(QStringLiteral("Rights"), QStringLiteral("Clerks"), String()));
  Approvers = LoginList(Ini.ReadString(QStringLiteral("Rights"), QStringLiteral("Approvers"), String()));
}

// ---------------------------------------------------------------------------
// TForm23

TForm23::TForm23(TComponent* AOwner) : TForm(AOwner) {}

TForm23::~TForm23()
{
  if (Form23 == this)
    Form23 = nullptr;
}

void TForm23::Loaded()
{
  inherited::Loaded();
  Edit1 = OwnedComponent<TEdit>(this, "Edit1");
  Button1 = OwnedComponent<TButton>(this, "Button1");
  Button2 = OwnedComponent<TButton>(this, "Button2");
  Timer1 = OwnedComponent<TTimer>(this, "Timer1");
  Edit2 = OwnedComponent<TEdit>(this, "Edit2");
  Label1 = OwnedComponent<TLabel>(this, "Label1");
  Label2 = OwnedComponent<TLabel>(this, "Label2");
  Label3 = OwnedComponent<TLabel>(this, "Label3");
  Label4 = OwnedComponent<TLabel>(this, "Label4");
  ComboBox1 = OwnedComponent<TComboBox>(this, "ComboBox1");
}

// The dialog is stored visible: it activates before its creation returns.
void TForm23::FormCreate(TObject*)
{
  Form23 = this;
  Params = CommandLineParams();
  CommonFormSetup(this);
  ComboBox1->Items()->Clear();
  for (const QString& Name : TStyleManager::StyleNames())
    ComboBox1->Items()->Add(Name);
}

void TForm23::FormActivate(TObject*)
{
  if (Application->Terminated())
    return;
  CheckBuildVersion();
  SetCaption(QStringLiteral("Авторизация (build: ") + IntToStr(Form1->BuildDate) + u'.' +
             IntToStr(Form1->BuildTime) + u')');
  const TConnectionTarget Target = ConnectionTargetFromParams(Params);
  if (Target.DriverKind)
    Label3->SetCaption(QStringLiteral("Сервер: ") + Target.Server + QStringLiteral(", БД: ") + Target.Database);
  ComboBox1->SetItemIndex(ComboBox1->Items()->IndexOf(TStyleManager::ActiveStyle()->Name()));
}

static Integer IntegerOrZero(TDataSet* DataSet, const char* FieldName)
{
  if (DataSet->IsEmpty())
    return 0;
  TField* Field = DataSet->FieldByName(QString::fromLatin1(FieldName));
  return Field->IsNull() ? 0 : Field->AsInteger();
}

void TForm23::Button1Click(TObject*)
{
  SignedInUser.ShiftNo = 1;
  const String Login = Trim(Edit1->Text());
  const String Password = Trim(Edit2->Text());
  SignedInUser.Login = Login.toUtf8();

  // The lookup runs on the connection the program started with.
  TADOQuery* User = DataModule6->user;
  User->Close();
  User->Parameters()->ParamByName(QStringLiteral("s_name"))->SetValue(Login);
  User->Open();
  SignedInUser.UserId = IntegerOrZero(User, "id");
  SignedInUser.PersonId = IntegerOrZero(User, "id_person");

  if (!Connect(ConnectionTargetFromParams(Params), Login, Password))
    return;
  Edit2->SetText(String());   // the password lives on only inside the open connection

  QStringList Clerks, Approvers;
  ReadRightsFile(Clerks, Approvers);
  ApplyRights(RightsForLogin(Login, Clerks, Approvers));
  for (TADOQuery* Shift : {DataModule6->Smena1, DataModule6->Smena2, DataModule6->Smena3, DataModule6->Smena4})
    Shift->Parameters()->ParamByName(QStringLiteral("OK"))->SetValue(QStringLiteral("ta"));

  Hide();
  Form1->ShowModal();
  Close();
}

// Reconnects ADO_DB to the target with the typed account. A refusal is
// shown and the program goes back to its first connection, so that the user
// can try again.
bool TForm23::Connect(const TConnectionTarget& Target, const String& Login, const String& Password)
{
  TADOConnection* Db = DataModule6->ADO_DB;
  const String Stored = Db->ConnectionString();
  try {
    Db->Close();
    Form1->SetCaption(QStringLiteral("VELMORA (") + ConnectionTargetText(Target) + u')');
    Db->SetConnectionString(ConnectionStringFor(Target));
    Db->Open(Login, Password);
    return true;
  } catch (Exception& E) {
    Application->MessageBox(QStringLiteral("Подключение к БД отсутсвует (") + ConnectionTargetText(Target) +
                              QStringLiteral(")\n\n") + E.Message(),
                            QStringLiteral("Ошибка"), MB_OK | MB_ICONERROR);
  }
  try {
    Db->SetConnectionString(Stored);
    Db->Open();
  } catch (Exception&) {
    // The next lookup reports it.
  }
  return false;
}

static void SetEnabledByName(TComponent* Owner, const char* Name, bool Enabled)
{
  if (auto* Control = dynamic_cast<TControl*>(Owner->FindComponent(QString::fromLatin1(Name))))
    Control->SetEnabled(Enabled);
}

void TForm23::ApplyRights(const TLoginRights& Rights)
{
  Form1->N2->SetEnabled(Rights.Books);
  Form1->N11->SetEnabled(Rights.Books);
  Form1->N7->SetEnabled(Rights.Reports);
  Form1->N28->SetVisible(Rights.Books);
  // The shift log joins the program with the production module.
  TComponent* ShiftLog = Application->FindComponent(QStringLiteral("Form45"));
  if (!ShiftLog)
    return;
  for (const char* Name : {"Button1", "Button2", "Button3"})
    SetEnabledByName(ShiftLog, Name, Rights.ShiftEdit);
  SetEnabledByName(ShiftLog, "Button5", Rights.ShiftAccept);
  for (const char* Name : {"RadioButton1", "RadioButton2", "RadioButton3", "RadioButton4", "CBox1", "Button8",
                           "DBGrid2", "DateT"})
    SetEnabledByName(ShiftLog, Name, Rights.ShiftLog);
}

void TForm23::Button2Click(TObject*) { Close(); }

void TForm23::ComboBox1Change(TObject*)
{
  if (ComboBox1->ItemIndex() < 0)
    return;
  const String Name = ComboBox1->Items()->Strings(ComboBox1->ItemIndex());
  TStyleManager::TrySetStyle(Name, true);
  WriteStyleName(Name);
}

void TForm23::Timer1Timer(TObject*) { Application->Terminate(); }

void RegisterUnit23Classes()
{
  RegisterClassInfo<TForm23, TForm>("TForm23")
    .Handler("FormCreate", &TForm23::FormCreate)
    .Handler("FormActivate", &TForm23::FormActivate)
    .Handler("Button1Click", &TForm23::Button1Click)
    .Handler("Button2Click", &TForm23::Button2Click)
    .Handler("ComboBox1Change", &TForm23::ComboBox1Change)
    .Handler("Timer1Timer", &TForm23::Timer1Timer);
}
