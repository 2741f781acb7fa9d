// Project1.cpp: the start routine: style file, form creation order, the
// common form setup and the message loop.
#include "app/Project1.h"

#include "app/Unit1.h"
#include "app/Unit10.h"
#include "app/Unit14.h"
#include "app/Unit2.h"
#include "app/Unit22.h"
#include "app/Unit23.h"
#include "app/Unit26.h"
#include "app/Unit27.h"
#include "app/Unit30.h"
#include "app/Unit31.h"
#include "app/Unit34.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "app/Unit8.h"
#include "app/Unit9.h"
#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/data/ADODB.h"
#include "platform/data/ConnectionLoss.h"
#include "platform/gui/Dialogs.h"
#include "platform/data/DBCtrls.h"
#include "platform/data/DBGrids.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Themes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

static const char* const DefaultStyle = "Windows";

String StyleFilePath()
{
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/velmora/t_style.txt");
}

// The style file is 8-bit text with CR LF line ends; its folder may not
// exist yet on a new account.
static void SaveStyleLines(TStringList& Lines)
{
  const String Path = StyleFilePath();
  QDir().mkpath(QFileInfo(Path).absolutePath());
  Lines.SetLineBreak(QStringLiteral("\r\n"));
  Lines.SaveToFile(Path, TEncoding::ANSI());
}

String ReadStyleName()
{
  const String Path = StyleFilePath();
  TStringList Lines;
  if (!QFile(Path).open(QIODevice::ReadOnly)) {
    Lines.Add(QString::fromLatin1(DefaultStyle));
    SaveStyleLines(Lines);
    return QString::fromLatin1(DefaultStyle);
  }
  Lines.LoadFromFile(Path, TEncoding::ANSI());
  if (Lines.Count() == 0 || Lines[0].isEmpty()) {
    Lines.Add(QString::fromLatin1(DefaultStyle));
    SaveStyleLines(Lines);
    return QString::fromLatin1(DefaultStyle);
  }
  return Lines[0];
}

void WriteStyleName(const String& Name)
{
  TStringList Lines;
  Lines.Add(Name);
  SaveStyleLines(Lines);
}

void ApplyStyleFile()
{
  TStyleManager::TrySetStyle(ReadStyleName(), true);
}

void CommonFormSetup(TCustomForm* Form, bool IconOnly)
{
  Form->Icon()->LoadFromResourceName(QStringLiteral("Icon_1"));
  if (IconOnly)
    return;
  Form->SetBorderStyle(bsSingle);
  TBorderIcons Icons = Form->BorderIcons();
  Icons >> biMinimize;
  Icons >> biMaximize;
  Form->SetBorderIcons(Icons);
}

void RegisterAppClasses()
{
  RegisterGuiClasses();
  RegisterADOClasses();
  RegisterMemTableClasses();
  RegisterDBCtrlsClasses();
  RegisterDBGridsClasses();
  RegisterDBCtrlsEhClasses();
  RegisterDBCtrlsEhNumberEditClasses();
  RegisterDBCtrlsEhDateTimeEditClasses();
  RegisterDBCtrlsEhComboBoxClasses();
  RegisterUnit6Classes();
  RegisterUnit1Classes();
  RegisterUnit2Classes();
  RegisterUnit5Classes();
  RegisterUnit8Classes();
  RegisterUnit9Classes();
  RegisterUnit10Classes();
  RegisterUnit14Classes();
  RegisterUnit22Classes();
  RegisterUnit23Classes();
  RegisterUnit26Classes();
  RegisterUnit27Classes();
  RegisterUnit30Classes();
  RegisterUnit31Classes();
  RegisterUnit34Classes();
}

void ShowAppException(TObject*, Exception& E)
{
  if (dynamic_cast<EConnectionLost*>(&E) && DataModule6) {
    Application->MessageBox(ConnectionLostText(DataModule6->ADO_DB->ConnectionString()), QStringLiteral("Ошибка"),
                            MB_OK | MB_ICONERROR);
    return;
  }
  Application->ShowException(E);
}

// Forms of the later modules join this order where their numbers stand.
void CreateAppForms()
{
  Application->OnException = ShowAppException;
  Application->CreateForm(Form1);
  Application->CreateForm(Form2);
  Application->CreateForm(Form5);
  Application->CreateForm(Form8);
  Application->CreateForm(Form9);
  Application->CreateForm(Form10);
  Application->CreateForm(Form22);
  Application->CreateForm(Form14);
  Application->CreateForm(Form26);
  Application->CreateForm(Form27);
  Application->CreateForm(Form30);
  Application->CreateForm(Form31);
  Application->CreateForm(Form34);
}

int ApplicationMain()
{
  try {
    Application->Initialize();
    Application->SetMainFormOnTaskBar(true);
    RegisterAppClasses();
    ApplyStyleFile();
    CreateAppForms();
    Application->Run();
  } catch (ENoDatabase& E) {
    Application->MessageBox(E.Message(), QStringLiteral("Ошибка"), MB_OK | MB_ICONERROR);
    return 1;
  } catch (Exception& E) {
    Application->ShowException(E);
    return 1;
  } catch (const std::exception& E) {
    Application->ShowException(Exception(QString::fromLocal8Bit(E.what())));
    return 1;
  } catch (...) {
    Application->ShowException(Exception(String()));
    return 1;
  }
  return 0;
}
