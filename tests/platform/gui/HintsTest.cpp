// HintsTest.cpp: the application's hint service and the hint window, driven
// by mouse moves and a test clock.
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <QPointer>

namespace {

// A control that refuses its hint through CM_HINTSHOW, or changes it.
class THintProbe : public TPanel {
  using inherited = TPanel;
public:
  using TPanel::TPanel;
  bool Refuse = false;
  Integer Pause = -1;
  THintInfo Seen;
  void WndProc(TMessage& M) override
  {
    if (M.Msg == CM_HINTSHOW) {
      Seen = *reinterpret_cast<THintInfo*>(M.LParam);
      M.Result = Refuse ? 1 : 0;
      return;
    }
    if (M.Msg == CM_HINTSHOWPAUSE && Pause >= 0) {
      *reinterpret_cast<Integer*>(M.LParam) = Pause;
      return;
    }
    inherited::WndProc(M);
  }
};

void MoveMouse(TWinControl* Control, QPoint At)
{
  QWidget* W = Control->Widget();
  QMouseEvent Move(QEvent::MouseMove, QPointF(At), W->mapToGlobal(QPointF(At)), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(W, &Move);
}

class HintsTest : public gui_test::GuiTest {
public:   // the case table's set-up functions reach the controls
  void SetUp() override
  {
    GuiTest::SetUp();
    Form = new TForm(Application, 0);
    Form->SetBounds(100, 100, 300, 200);
    Save = Add(10, 10, QStringLiteral("Сохранить|Сохраняет документ"));
    Print = Add(100, 10, QStringLiteral("Печать"));
    Form->Show();
    Application->ProcessMessages();
  }
  THintProbe* Add(int Left, int Top, const String& Hint)
  {
    auto* P = new THintProbe(Form);
    P->SetParent(Form);
    P->SetBounds(Left, Top, 80, 40);
    P->SetHint(Hint);
    P->SetShowHint(true);
    P->HandleNeeded();
    return P;
  }
  THintWindow* Shown() const
  {
    THintWindow* H = Application->HintWindow();
    return H && H->HandleAllocated() && H->Widget()->isVisible() ? H : nullptr;
  }
  TTestClock Clock;
  TForm* Form = nullptr;
  THintProbe* Save = nullptr;
  THintProbe* Print = nullptr;
};

} // namespace

TEST_F(HintsTest, ShowsAfterThePauseWithoutTakingTheActivation)
{
  const HWND Active = GetActiveWindow();
  Application->SetHintPause(500);
  MoveMouse(Save, QPoint(5, 5));
  Clock.Advance(300);
  MoveMouse(Save, QPoint(8, 6));   // moving inside the control keeps the pause running
  Clock.Advance(150);
  EXPECT_EQ(Shown(), nullptr);
  Clock.Advance(100);
  THintWindow* H = Shown();
  ASSERT_NE(H, nullptr);
  EXPECT_EQ(H->Caption(), QStringLiteral("Сохранить"));   // the short part
  EXPECT_EQ(GetActiveWindow(), Active);
  EXPECT_EQ(H->Color(), clInfoBk);
  // Below the pointer, and as large as its text.
  const TPoint Pointer = Save->ClientToScreen(TPoint(8, 6));
  TRect Window;
  GetWindowRect(H, Window);
  EXPECT_EQ(Window.Left, Pointer.X);
  EXPECT_GT(Window.Top, Pointer.Y);
  EXPECT_GT(Window.Width(), ScreenCanvas()->TextWidth(QStringLiteral("Сохранить")));
  // What the control was told.
  EXPECT_EQ(Save->Seen.HintControl, Save);
  EXPECT_EQ(Save->Seen.CursorPos, TPoint(8, 6));
  EXPECT_EQ(Save->Seen.CursorRect, Save->ClientRect());
  EXPECT_EQ(Save->Seen.HideTimeout, Application->HintHidePause());

  // The hint window paints its text on the hint colour.
  const QImage Shot = H->Widget()->grab().toImage();
  EXPECT_EQ(Shot.pixelColor(Shot.width() / 2, Shot.height() - 2), ToQColor(GetSysColor(COLOR_INFOBK)));
  gui_test::SaveImage(Shot, QStringLiteral("hint-window.png"));

  // It goes after the hide pause, and stays hidden over the same control.
  Clock.Advance(Cardinal(Application->HintHidePause()));
  EXPECT_EQ(Shown(), nullptr);
  MoveMouse(Save, QPoint(20, 20));
  Clock.Advance(1000);
  EXPECT_EQ(Shown(), nullptr);
}

TEST_F(HintsTest, MovingToAnotherControlShowsItsHintAfterTheShortPause)
{
  MoveMouse(Save, QPoint(5, 5));
  Clock.Advance(600);
  ASSERT_NE(Shown(), nullptr);
  MoveMouse(Print, QPoint(5, 5));
  EXPECT_EQ(Shown(), nullptr);
  Clock.Advance(Cardinal(Application->HintShortPause()) + 1);
  ASSERT_NE(Shown(), nullptr);
  EXPECT_EQ(Shown()->Caption(), QStringLiteral("Печать"));
}

TEST_F(HintsTest, ClickKeyAndCancelHideTheHint)
{
  MoveMouse(Save, QPoint(5, 5));
  Clock.Advance(600);
  ASSERT_NE(Shown(), nullptr);
  gui_test::Click(Save);
  EXPECT_EQ(Shown(), nullptr);

  MoveMouse(Print, QPoint(5, 5));
  Clock.Advance(600);
  ASSERT_NE(Shown(), nullptr);
  Application->CancelHint();
  EXPECT_EQ(Shown(), nullptr);
  Clock.Advance(1000);
  EXPECT_EQ(Shown(), nullptr);
}

TEST_F(HintsTest, WhoDecidesWhetherAHintShows)
{
  struct Case {
    const char* Name;
    std::function<void(HintsTest&)> Setup;
    const char* Expected;   // nullptr: no hint
  };
  const Case Cases[] = {
    {"control's ShowHint off", [](HintsTest& T) { T.Save->SetShowHint(false); }, nullptr},
    {"application's ShowHint off", [](HintsTest&) { Application->SetShowHint(false); }, nullptr},
    {"parent's setting taken", [](HintsTest& T) {
       T.Save->SetParentShowHint(true);
       T.Form->SetShowHint(true);
     }, "Сохранить"},
    {"parent's setting off", [](HintsTest& T) { T.Save->SetParentShowHint(true); }, nullptr},
    {"refused by CM_HINTSHOW", [](HintsTest& T) { T.Save->Refuse = true; }, nullptr},
    {"refused by OnShowHint", [](HintsTest&) {
       Application->OnShowHint = [](String&, bool& CanShow, THintInfo&) { CanShow = false; };
     }, nullptr},
    {"text changed by OnShowHint", [](HintsTest&) {
       Application->OnShowHint = [](String& S, bool&, THintInfo& Info) {
         if (Info.HintControl)
           S = QStringLiteral("Другой текст");
       };
     }, "Другой текст"},
    {"empty hint takes the parent's", [](HintsTest& T) {
       T.Save->SetHint(String());
       T.Form->SetHint(QStringLiteral("Форма"));
     }, "Форма"},
    {"pause set by the control", [](HintsTest& T) { T.Save->Pause = 2000; }, nullptr},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    Application->CancelHint();
    MoveMouse(Print, QPoint(30, 30));   // away first, so the next move starts afresh
    Application->CancelHint();
    C.Setup(*this);
    MoveMouse(Save, QPoint(5, 5));
    Clock.Advance(600);
    if (C.Expected) {
      ASSERT_NE(Shown(), nullptr);
      EXPECT_EQ(Shown()->Caption(), QString::fromUtf8(C.Expected));
    } else {
      EXPECT_EQ(Shown(), nullptr);
    }
    // Back to the fixture's settings.
    Save->SetHint(QStringLiteral("Сохранить|Сохраняет документ"));
    Save->SetShowHint(true);
    Save->Refuse = false;
    Save->Pause = -1;
    Form->SetShowHint(false);
    Form->SetHint(String());
    Application->SetShowHint(true);
    Application->OnShowHint = nullptr;
  }
}

TEST_F(HintsTest, HintControlFreedWhileThePauseRuns)
{
  MoveMouse(Save, QPoint(5, 5));
  delete Save;
  Save = nullptr;
  Clock.Advance(600);
  EXPECT_EQ(Shown(), nullptr);
}

// The hint filter releases the hint window while Qt is delivering the very
// event that made it do so.
TEST_F(HintsTest, HintWindowReleasedByAnEventDeliveredToIt)
{
  struct Case {
    const char* Name;
    std::function<void(THintWindow*)> Send;
  };
  const Case Cases[] = {
    {"mouse moved onto the hint", [](THintWindow* H) { MoveMouse(H, QPoint(2, 2)); }},
    {"click on the hint", [](THintWindow* H) { gui_test::Click(H, QPoint(2, 2)); }},
    {"wheel over the hint", [](THintWindow* H) { gui_test::Wheel(H, -1); }},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    Application->CancelHint();
    MoveMouse(Print, QPoint(30, 30));
    Application->CancelHint();
    MoveMouse(Save, QPoint(5, 5));
    Clock.Advance(600);
    THintWindow* H = Shown();
    ASSERT_NE(H, nullptr);
    QPointer<QWidget> Old = H->Widget();
    C.Send(H);
    EXPECT_EQ(Shown(), nullptr);
    EXPECT_FALSE(H->HandleAllocated());
    ASSERT_TRUE(Old);
    EXPECT_FALSE(Old->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(Old);
    // The hints go on as before.
    MoveMouse(Print, QPoint(5, 5));
    Clock.Advance(600);
    ASSERT_NE(Shown(), nullptr);
    EXPECT_EQ(Shown()->Caption(), QStringLiteral("Печать"));
  }
}

TEST(Hints, ShortAndLongParts)
{
  EXPECT_EQ(GetShortHint(QStringLiteral("Печать|Печатает отчёт")), QStringLiteral("Печать"));
  EXPECT_EQ(GetLongHint(QStringLiteral("Печать|Печатает отчёт")), QStringLiteral("Печатает отчёт"));
  EXPECT_EQ(GetShortHint(QStringLiteral("Печать")), QStringLiteral("Печать"));
  EXPECT_EQ(GetLongHint(QStringLiteral("Печать")), QStringLiteral("Печать"));
}
