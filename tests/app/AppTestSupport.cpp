// AppTestSupport.cpp: the fixture of the client's tests.
#include "tests/app/AppTestSupport.h"

#include "app/Project1.h"
#include "app/Unit1.h"
#include "app/Unit23.h"
#include "app/Unit6.h"
#include "platform/gui/Forms.h"

#include <QDir>
#include <QTimer>

namespace apptest {

// Calls still waiting when a test ends are dropped with their context.
static QObject* LaterContext = nullptr;

void Later(std::function<void()> F)
{
  if (!LaterContext)
    LaterContext = new QObject;
  QTimer::singleShot(0, LaterContext, [F = std::move(F)] {
    try {
      F();
    } catch (const Exception& E) {
      ADD_FAILURE() << "exception inside a modal window: " << E.Message().toStdString();
      Application->Terminate();   // ends every modal window, so the test ends
    }
  });
}

String Utf8(const std::string& S) { return QString::fromStdString(S); }
std::string Std(const String& S) { return S.toStdString(); }

String OutputPath(const String& Name)
{
  String Dir = qEnvironmentVariable("VELMORA_TEST_OUTPUT");
  if (Dir.isEmpty())
    Dir = QDir::tempPath() + QStringLiteral("/velmora-test-output");
  QDir().mkpath(Dir);
  return Dir + u'/' + Name;
}

void AppTest::SetUp()
{
  static bool Registered = false;
  if (!Registered) {
    Application->Initialize();
    RegisterAppClasses();
    Registered = true;
  }
  testsupport::ResetDatabase();
  FConfig = std::make_unique<QTemporaryDir>();
  qputenv("XDG_CONFIG_HOME", FConfig->path().toUtf8());
  SetBuildStampText(String(), String());
  Answer = [](const TMessageBoxRequest& R) { return (R.Flags & MB_YESNO) == MB_YESNO ? IDYES : IDOK; };
  FOldHook = SetMessageBoxHook([this](const TMessageBoxRequest& R) {
    Boxes.push_back(R);
    return Answer(R);
  });
}

void AppTest::TearDown()
{
  delete LaterContext;
  LaterContext = nullptr;
  Application->ResetForTesting();
  SetMessageBoxHook(FOldHook);
  SetBuildStampText(String(), String());
}

void AppTest::StartClient()
{
  CreateAppForms();
  ASSERT_NE(Form1, nullptr);
  ASSERT_NE(Form23, nullptr);
  ASSERT_NE(DataModule6, nullptr);
  ASSERT_TRUE(DataModule6->ADO_DB->Connected());
  Form23->Params.clear();   // the test program's own arguments are no database
}

void AppTest::SignIn(std::function<void()> Inside)
{
  Form23->Edit1->SetText(Utf8(testsupport::UserName()));
  Form23->Edit2->SetText(Utf8(testsupport::Password()));
  bool Ran = false;
  Later([&] {
    Ran = true;
    Inside();
    if (Form1 && Form1->Showing())
      Form1->Close();
  });
  Form23->Button1->Click();
  EXPECT_TRUE(Ran) << "the main window was not shown";
}

QString AppTest::ConfigDir() const { return FConfig->path() + QStringLiteral("/velmora"); }

std::vector<String> AppTest::BoxTexts() const
{
  std::vector<String> Texts;
  for (const TMessageBoxRequest& R : Boxes)
    Texts.push_back(R.Text);
  return Texts;
}

}  // namespace apptest
