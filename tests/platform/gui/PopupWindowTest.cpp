// PopupWindowTest.cpp: top-level popup and tool windows that never take the
// activation: shown and clicked over a form with a focused edit; layering,
// colour keys and window regions.
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

using gui_test::GuiTest;

namespace {

// A drag-feedback window: a popup tool window, topmost and layered, whose
// parent is no control; it draws a red bar on white.
class TFeedbackWindow : public TCustomControl {
public:
  explicit TFeedbackWindow(TComponent* AOwner) : TCustomControl(AOwner)
  {
    FVisible = false;
    SetBounds(300, 200, 20, 20);
  }
  std::vector<UINT> Presses;

protected:
  void CreateParams(TCreateParams& Params) override
  {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_LAYERED;
    Params.WindowClass.style |= CS_SAVEBITS;
  }
  void Paint() override
  {
    Canvas()->Brush()->SetColor(clWhite);
    Canvas()->FillRect(ClientRect());
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->FillRect(TRect(8, 0, 12, Height()));
  }
  void WndProc(TMessage& Message) override
  {
    if (Message.Msg == WM_LBUTTONDOWN)
      Presses.push_back(Message.Msg);
    TCustomControl::WndProc(Message);
  }
};

// A form that answers clicks with "do not activate", as the library's
// popup forms do.
class TInactiveForm : public TForm {
public:
  explicit TInactiveForm(TComponent* AOwner) : TForm(AOwner, 0)
  {
    SetBorderStyle(bsNone);
    SetBounds(320, 240, 80, 60);
  }

  LRESULT Answer = 3;   // MA_NOACTIVATE
  int Presses = 0;

protected:
  void WndProc(TMessage& Message) override
  {
    if (Message.Msg == WM_MOUSEACTIVATE) {
      Message.Result = Answer;
      return;
    }
    if (Message.Msg == WM_LBUTTONDOWN)
      ++Presses;
    TForm::WndProc(Message);
  }
};

class PopupWindowTest : public GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    Form = new TForm(Application, 0);
    Form->SetBounds(100, 100, 400, 300);
    Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(8, 8, 120, 21);
    Form->Show();
    QApplication::processEvents();
    Edit->SetFocus();
    QApplication::processEvents();
    ASSERT_EQ(Application->ActiveForm(), Form);
    ASSERT_TRUE(Edit->Focused());
  }
  // Nothing moved: the same active form and window, the edit still focused.
  void ExpectActivationUnchanged()
  {
    Application->ProcessMessages();
    EXPECT_EQ(Application->ActiveForm(), Form);
    EXPECT_EQ(Screen->ActiveForm(), Form);
    EXPECT_EQ(GetActiveWindow(), Form);
    EXPECT_TRUE(Edit->Focused());
    EXPECT_EQ(FindControl(nullptr), Edit);
  }
  TForm* Form = nullptr;
  TEdit* Edit = nullptr;
};

} // namespace

TEST_F(PopupWindowTest, PopupShownAndClickedLeavesTheActivationAndFocus)
{
  auto* Popup = new TFeedbackWindow(Application);
  EXPECT_EQ(DWORD(GetWindowLong(Popup, GWL_STYLE)) & WS_POPUP, DWORD(WS_POPUP));
  EXPECT_EQ(DWORD(GetWindowLong(Popup, GWL_EXSTYLE)), DWORD(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_LAYERED));
  EXPECT_TRUE(Popup->ShowsWithoutActivating());
  EXPECT_FALSE(Popup->Widget()->isVisible());

  ASSERT_TRUE(SetWindowPos(Popup, HWND_TOPMOST, 310, 205, 20, 40, SWP_SHOWWINDOW | SWP_NOACTIVATE));
  QWidget* W = Popup->Widget();
  EXPECT_TRUE(W->isVisible());
  EXPECT_TRUE(W->isWindow());
  EXPECT_TRUE(W->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(W->geometry(), QRect(310, 205, 20, 40));
  ExpectActivationUnchanged();

  gui_test::Click(Popup, QPoint(10, 10));
  EXPECT_EQ(Popup->Presses.size(), 1u);   // the click itself still counts
  ExpectActivationUnchanged();

  // Shown and hidden through ShowWindow, which answers the old visibility.
  EXPECT_TRUE(ShowWindow(Popup, SW_HIDE));
  EXPECT_FALSE(W->isVisible());
  EXPECT_FALSE(ShowWindow(Popup, SW_SHOWNOACTIVATE));
  EXPECT_TRUE(W->isVisible());
  ExpectActivationUnchanged();
  // Moving keeps the size when SWP_NOSIZE is given.
  SetWindowPos(Popup, nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(W->geometry(), QRect(50, 60, 20, 40));
}

TEST_F(PopupWindowTest, FormAnsweringNoActivateShowsAndTakesClicksWithoutActivation)
{
  auto* Popup = new TInactiveForm(Application);
  Popup->HandleNeeded();
  EXPECT_TRUE(Popup->ShowsWithoutActivating());
  SetWindowPos(Popup, nullptr, 320, 240, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
  EXPECT_TRUE(Popup->Widget()->isVisible());
  ExpectActivationUnchanged();
  gui_test::Click(Popup, QPoint(20, 20));
  EXPECT_EQ(Popup->Presses, 1);
  ExpectActivationUnchanged();
  // MA_NOACTIVATEANDEAT: the click is not seen at all.
  Popup->Answer = 4;
  gui_test::Click(Popup, QPoint(20, 20));
  EXPECT_EQ(Popup->Presses, 1);
  ExpectActivationUnchanged();
  // A plain form still takes the activation when shown.
  auto* Other = new TForm(Application, 0);
  Other->HandleNeeded();
  EXPECT_FALSE(Other->ShowsWithoutActivating());
}

TEST_F(PopupWindowTest, LayeredAlphaAndColourKeyShapeTheWindow)
{
  auto* Popup = new TFeedbackWindow(Application);
  ASSERT_TRUE(SetLayeredWindowAttributes(Popup, 0, 200, LWA_ALPHA));
  EXPECT_NEAR(Popup->Widget()->windowOpacity(), 200 / 255.0, 0.01);
  Byte Alpha = 0;
  DWORD Flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(Popup, nullptr, &Alpha, &Flags));
  EXPECT_EQ(Alpha, 200);
  EXPECT_EQ(Flags, DWORD(LWA_ALPHA));
  EXPECT_TRUE(Popup->Widget()->mask().isEmpty());   // alpha alone keeps the rectangle

  // White is the colour key: only the red bar is left of the window.
  SetWindowPos(Popup, HWND_TOPMOST, 300, 200, 20, 20, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  SetLayeredWindowAttributes(Popup, COLORREF(ColorToRGB(clWhite)), 255, LWA_COLORKEY);
  const QRegion Shape = Popup->Widget()->mask();
  EXPECT_TRUE(Shape.contains(QPoint(9, 5)));
  EXPECT_TRUE(Shape.contains(QPoint(11, 19)));
  EXPECT_FALSE(Shape.contains(QPoint(2, 5)));
  EXPECT_FALSE(Shape.contains(QPoint(15, 5)));
  EXPECT_EQ(Shape.boundingRect(), QRect(8, 0, 4, 20));
  ExpectActivationUnchanged();
  // The shape follows the drawing when the window is sized.
  Popup->SetBounds(300, 200, 20, 35);
  EXPECT_EQ(Popup->Widget()->mask().boundingRect(), QRect(8, 0, 4, 35));

  // Taking the layered style away makes the window whole and opaque again.
  SetWindowLong(Popup, GWL_EXSTYLE, GetWindowLong(Popup, GWL_EXSTYLE) & ~LongInt(WS_EX_LAYERED));
  EXPECT_TRUE(Popup->Widget()->mask().isEmpty());
  EXPECT_DOUBLE_EQ(Popup->Widget()->windowOpacity(), 1.0);
  EXPECT_FALSE(GetLayeredWindowAttributes(Popup, nullptr, nullptr, nullptr));
}

TEST_F(PopupWindowTest, WindowRegionGivesTheWindowItsShape)
{
  auto* Grip = new TFeedbackWindow(Application);
  Grip->HandleNeeded();
  // The bottom-right triangle of a 20 x 20 grip.
  const TPoint Corner[] = {TPoint(0, 20), TPoint(20, 20), TPoint(20, 0)};
  ASSERT_NE(SetWindowRgn(Grip, CreatePolygonRgn(Corner, 3, WINDING), true), 0);
  const QRegion Shape = Grip->Widget()->mask();
  EXPECT_TRUE(Shape.contains(QPoint(18, 18)));
  EXPECT_FALSE(Shape.contains(QPoint(2, 2)));
  HRGN Copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(Grip, Copy), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(Copy, 18, 18));
  EXPECT_FALSE(PtInRegion(Copy, 2, 2));
  DeleteObject(Copy);
  // No region: a rectangle again.
  SetWindowRgn(Grip, nullptr, true);
  EXPECT_TRUE(Grip->Widget()->mask().isEmpty());
  HRGN None = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(Grip, None), ERROR);
  DeleteObject(None);
}

TEST_F(PopupWindowTest, InactiveFormMadeVisibleLeavesActivation)
{
  auto* Popup = new TInactiveForm(Application);
  SetWindowPos(Popup, nullptr, 320, 240, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
  Popup->SetVisible(true);
  ExpectActivationUnchanged();
  EXPECT_TRUE(Popup->Showing());
  Popup->SetFormStyle(fsNormal);
  Popup->Show();
  ExpectActivationUnchanged();
  Popup->Hide();
  ExpectActivationUnchanged();
}

// A form shown by SetWindowPos and then hidden through Visible stays hidden
// when its window is next brought up to date.
TEST_F(PopupWindowTest, HiddenFormShownBySetWindowPosStaysHidden)
{
  auto* Popup = new TInactiveForm(Application);
  SetWindowPos(Popup, nullptr, 320, 240, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
  Popup->SetVisible(true);
  Popup->SetVisible(false);
  EXPECT_FALSE(Popup->WidgetState()->WindowShown);
  EXPECT_FALSE(Popup->Widget()->isVisible());
  Popup->SetBounds(300, 200, 120, 80);
  EXPECT_FALSE(Popup->Widget()->isVisible());
  delete Popup;
}
