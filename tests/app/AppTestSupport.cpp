// AppTestSupport.cpp: the fixture of the client's tests.
#include "tests/app/AppTestSupport.h"

#include "app/Project1.h"
#include "app/Unit1.h"
#include "app/Unit23.h"
#include "app/Unit6.h"
#include "platform/gui/Forms.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

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

void WhenActive(TCustomForm* Form, std::function<void()> F)
{
  auto Tries = std::make_shared<int>(0);
  auto Step = std::make_shared<std::function<void()>>();
  *Step = [Form, F = std::move(F), Tries, Step] {
    // The window system's own activation comes later than the form's; a
    // user's click comes after both.
    const bool Active = Form->Active() && QApplication::activeWindow() == Form->Widget();
    if (Active || ++*Tries > 400) {
      EXPECT_TRUE(Active) << "the form never became active";
      F();
      *Step = nullptr;   // breaks the cycle
      return;
    }
    QTimer::singleShot(5, LaterContext, [Step] {
      if (*Step)
        Later(*Step);
    });
  };
  Later([Step] { (*Step)(); });
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

void TurnWheel(TWinControl* Control, int Notches)
{
  QWidget* W = Control->Widget();
  ASSERT_NE(W, nullptr) << "the control has no widget";
  const QPointF Local(W->width() / 2.0, W->height() / 2.0);
  const QPointF Global = W->mapToGlobal(Local);
  for (int I = 0; I < std::abs(Notches); ++I) {
    const QPoint Angle(0, Notches < 0 ? -WHEEL_DELTA : WHEEL_DELTA);
    QWheelEvent Wheel(Local, Global, QPoint(), Angle, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(W, &Wheel);
  }
}

void DoubleClickRow(TWinControl* Grid, TRect Cell)
{
  QWidget* W = Grid->Widget();
  ASSERT_NE(W, nullptr) << "the grid has no widget";
  const QPointF At((Cell.Left + Cell.Right) / 2.0, (Cell.Top + Cell.Bottom) / 2.0);
  const QPointF Global = W->mapToGlobal(At);
  for (QEvent::Type Type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                            QEvent::MouseButtonRelease}) {
    const Qt::MouseButtons Held = Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent Event(Type, At, Global, Qt::LeftButton, Held, Qt::NoModifier);
    QCoreApplication::sendEvent(W, &Event);
  }
}

TPickCaller::TPickCaller(const char* Name) : TForm(Application, 0)
{
  SetName(QString::fromLatin1(Name));
  Edit1 = new TEdit(this);
  Edit1->SetName(QStringLiteral("Edit1"));
  Edit1->SetParent(this);
  Edit2 = new TEdit(this);
  Edit2->SetName(QStringLiteral("Edit2"));
  Edit2->SetParent(this);
}

void RegisterPickCaller()
{
  using C = TPickCaller;
  RegisterClassInfo<C, TForm>("TPickCaller")
    .Property("PersonId", &C::PersonId, [](C* F, Integer V) { F->PersonId = V; })
    .Property("JurPersonId", &C::JurPersonId, [](C* F, Integer V) { F->JurPersonId = V; })
    .Property("WorkerId", &C::WorkerId, [](C* F, Integer V) { F->WorkerId = V; })
    .Property("SavedWorkerId", &C::SavedWorkerId, [](C* F, Integer V) { F->SavedWorkerId = V; })
    .Property("CoWorkerId", &C::CoWorkerId, [](C* F, Integer V) { F->CoWorkerId = V; })
    .Property("ItemId", &C::ItemId, [](C* F, Integer V) { F->ItemId = V; })
    .Property("RouteId", &C::RouteId, [](C* F, Integer V) { F->RouteId = V; });
}

void AppTest::SetUp()
{
  static bool Registered = false;
  if (!Registered) {
    Application->Initialize();
    RegisterAppClasses();
    RegisterPickCaller();
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
