// Unit23.h: the login dialog: builds the database connection from the
// command line and the typed account, signs the user in, applies the rights
// that go with the login and runs the main window.
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

#include <QStringList>

// Where the database is, from the command line: none or one parameter name
// an ODBC data source ("velmora_dev" when none), two name a PostgreSQL server
// and database.
struct TConnectionTarget {
  bool DriverKind = false;
  String DataSource;   // data-source kind
  String Server;       // driver kind
  String Database;
};
TConnectionTarget ConnectionTargetFromParams(const QStringList& Params);
// The connection string of a target, without the account: the typed login
// and password are handed to the connection separately, quoted there, and
// are not kept in the string.
String ConnectionStringFor(const TConnectionTarget& Target);
// "Сервер: S, БД: D" or "Data Source: N": how messages and captions name it.
String ConnectionTargetText(const TConnectionTarget& Target);
// The target a connection string names (a data source, or a driver string
// with a server and a database).
TConnectionTarget ConnectionTargetOf(const String& ConnectionString);

// The client's own words when the database cannot be reached: at start
// (by the SQLSTATE of the refusal: no such data source, no server, or the
// server's own reason) and when the server went away during work.
String StartConnectionFailureText(const String& ConnectionString, const String& SqlState, const String& Reason);
String ConnectionLostText(const String& ConnectionString);

// What the login lets its user do.
struct TLoginRights {
  bool ShiftEdit = true;     // shift log "Добавить", "Изменить", "Удалить"
  bool ShiftAccept = false;  // shift log "Принять"
  bool ShiftLog = true;      // shift log: shifts, "Выходной", "Обновить", grid, date
  bool Books = true;         // "Справочники", "Табель по времени", "Очистить базу"
  bool Reports = true;       // "Отчеты"
};
// Clerks and Approvers come from the site's rights file; "sys" is always an
// approver and "econom" always locked. Logins compare exactly.
TLoginRights RightsForLogin(const String& Login, const QStringList& Clerks, const QStringList& Approvers);
// The site's rights file: $XDG_CONFIG_HOME/velmora/rights.ini, section
// [Rights], keys Clerks and Approvers (logins separated by commas).
String RightsFilePath();
void ReadRightsFile(QStringList& Clerks, QStringList& Approvers);

// The signed-in user, read by the shift log and the documents.
struct TSignedInUser {
  Integer ShiftNo = 0;
  Integer UserId = 0;
  Integer PersonId = 0;
  AnsiString Login;
};
extern TSignedInUser SignedInUser;

class TForm23 : public TForm {
  VELMORA_CLASS(TForm23)
  using inherited = TForm;
public:
  explicit TForm23(TComponent* AOwner);
  ~TForm23() override;

  TEdit* Edit1 = nullptr;       // login
  TButton* Button1 = nullptr;   // "Вход"
  TButton* Button2 = nullptr;   // "Отмена"
  TTimer* Timer1 = nullptr;     // ends the program after the version lock
  TEdit* Edit2 = nullptr;       // password
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;     // server and database
  TLabel* Label4 = nullptr;
  TComboBox* ComboBox1 = nullptr;   // style chooser
  // The command line's parameters, read when the dialog is created.
  QStringList Params;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void ComboBox1Change(TObject* Sender);
  void Timer1Timer(TObject* Sender);

protected:
  void Loaded() override;

private:
  bool Connect(const TConnectionTarget& Target, const String& Login, const String& Password);
  void ApplyRights(const TLoginRights& Rights);
};

extern TForm23* Form23;

void RegisterUnit23Classes();
