// Unit1.h: the main window: the main menu that opens every module, the
// 30-second client-version lock and the database clean-out.
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"

class TForm1 : public TForm {
  VELMORA_CLASS(TForm1)
  using inherited = TForm;
public:
  explicit TForm1(TComponent* AOwner);
  ~TForm1() override;

  // The running client's build stamp (yyyymmdd and seconds after midnight),
  // filled by every run of the version lock.
  Integer BuildDate = 0;
  Integer BuildTime = 0;

  TImage* Image1 = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TTimer* Timer1 = nullptr;
  TButton* Button1 = nullptr;
  TMenuItem* N2 = nullptr;    // "Справочники"
  TMenuItem* N19 = nullptr;   // "Подразделения"
  TMenuItem* N1 = nullptr;    // "Персонал"
  TMenuItem* N8 = nullptr;    // "Должности"
  TMenuItem* N24 = nullptr;   // "Контрагенты"
  TMenuItem* N6 = nullptr;    // "Операции"
  TMenuItem* N11 = nullptr;   // "Табель по времени"
  TMenuItem* N7 = nullptr;    // "Отчеты"
  TMenuItem* N12 = nullptr;   // "База"
  TMenuItem* N28 = nullptr;   // "Очистить базу"
  TMenuItem* N5 = nullptr;    // "Выход"

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void Button1Click(TObject* Sender);
  void N5Click(TObject* Sender);
  void N19Click(TObject* Sender);
  void N1Click(TObject* Sender);
  void N8Click(TObject* Sender);
  void N24Click(TObject* Sender);
  void N6Click(TObject* Sender);
  void N28Click(TObject* Sender);

protected:
  void Loaded() override;
};

extern TForm1* Form1;

// The client-version lock: compares the build stamp with the database's
// table ver, claims the table for a newer build and ends an older one. A run
// that starts while another is still showing its message does nothing.
void CheckBuildVersion();

// The build stamp as the compiler writes it: "Mmm dd yyyy" (day padded with a
// blank; a text beginning with "?" is 1 January 1900) and "hh:mm:ss".
Integer BuildDateFromText(const String& DateText);
Integer BuildTimeFromText(const String& TimeText);
// The texts the lock reads; tests put in a stamp of their own (empty texts
// restore the program's own).
void SetBuildStampText(const String& DateText, const String& TimeText);

// The statements of the database clean-out, run one by one in one
// transaction.
extern const char* const CleanOutStatements[8];

void RegisterUnit1Classes();
