// FormActivationTest.cpp: one form freed, the next one shown: the window
// the toolkit leaves on activation stays alive while a control of the new
// form looks at the message queue on getting the focus, as a grid's editor
// does; a press on a form ends the modes of its active control.
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <QPointer>

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

using gui_test::GuiTest;

namespace {

// An edit that peeks at the queue when it receives the focus and records
// whether the window of the form freed before was still there.
class TPeekingEdit : public TEdit {
public:
  using TEdit::TEdit;
  QPointer<QWidget> Watched;
  int Peeks = 0;
  int WatchedGoneDuringPeek = 0;

protected:
  void WMSetFocus(TMessage& M) override
  {
    TEdit::WMSetFocus(M);
    const bool Before = !Watched.isNull();
    RemovePendingMessage(this, WM_USER + 102);
    ++Peeks;
    if (Before && Watched.isNull())
      ++WatchedGoneDuringPeek;
  }
};

TForm* NewForm(Integer Left)
{
  auto* Form = new TForm(Application, 0);
  Form->SetBounds(Left, 40, 300, 200);
  auto* Edit = new TEdit(Form);
  Edit->SetParent(Form);
  Edit->SetBounds(8, 8, 150, 24);
  return Form;
}

class FormActivationTest : public GuiTest {};

TEST_F(FormActivationTest, FormFreedBeforeTheNextIsShownOutlivesItsActivation)
{
  // How the first form goes: freed by the program outside any event (a
  // sign-in form before the main form), or by Release from its own event.
  struct Case {
    const char* Name;
    bool Release;
  };
  const Case Cases[] = {{"deleted", false}, {"released", true}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TForm* First = NewForm(20);
    First->Show();
    Application->ProcessMessages();
    ASSERT_EQ(Application->ActiveForm(), First);
    QPointer<QWidget> FirstWindow = First->Widget();
    if (C.Release) {
      First->Hide();
      First->Release();
    } else {
      delete First;
    }

    auto* Second = NewForm(360);
    auto* Edit = new TPeekingEdit(Second);
    Edit->SetParent(Second);
    Edit->SetBounds(8, 40, 150, 24);
    Second->SetActiveControl(Edit);
    Edit->Watched = FirstWindow;
    Second->Show();
    Application->ProcessMessages();

    EXPECT_GT(Edit->Peeks, 0) << "the edit got the focus on activation";
    EXPECT_EQ(Edit->WatchedGoneDuringPeek, 0) << "the window left was freed under the activation";
    EXPECT_EQ(Application->ActiveForm(), Second);
    EXPECT_TRUE(Edit->Focused());
    Application->ProcessMessages();
    EXPECT_TRUE(FirstWindow.isNull()) << "the first form's window is freed once the loop is back";
    delete Second;
    Application->ProcessMessages();
  }
}

// An edit that records the cancel-mode notices it receives.
class TModalEdit : public TEdit {
public:
  using TEdit::TEdit;
  std::vector<TControl*> Senders;
  void WndProc(TMessage& M) override
  {
    if (M.Msg == CM_CANCELMODE)
      Senders.push_back(reinterpret_cast<TControl*>(M.LParam));
    TEdit::WndProc(M);
  }
};

TEST_F(FormActivationTest, PressTellsTheActiveControlWhatWasPressed)
{
  auto* Form = new TForm(Application, 0);
  Form->SetBounds(20, 40, 360, 240);
  auto* Edit = new TModalEdit(Form);
  Edit->SetParent(Form);
  Edit->SetBounds(8, 8, 150, 24);
  auto* Label = new TLabel(Form);
  Label->SetParent(Form);
  Label->SetBounds(8, 60, 100, 20);
  Label->SetCaption(QStringLiteral("Label"));
  Form->SetActiveControl(Edit);
  Form->Show();
  Application->ProcessMessages();
  ASSERT_TRUE(Edit->Focused());

  // A press on the bare form, on a label (no window, no focus) and on the
  // focused edit itself: the edit hears of each with what was pressed.
  struct Case {
    const char* Name;
    TControl* Pressed;
    QPoint At;
  };
  const Case Cases[] = {{"form", Form, QPoint(300, 180)}, {"label", Label, QPoint(5, 5)}, {"edit", Edit, QPoint(5, 5)}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    Edit->Senders.clear();
    gui_test::Click(C.Pressed, C.At);
    Application->ProcessMessages();
    ASSERT_EQ(Edit->Senders.size(), 1u);
    EXPECT_EQ(Edit->Senders[0], C.Pressed);
    EXPECT_TRUE(Edit->Focused());
  }

  // An inactive form's control hears nothing of presses.
  Form->Hide();
  Application->ProcessMessages();
  Edit->Senders.clear();
  gui_test::Click(Label);
  EXPECT_TRUE(Edit->Senders.empty());
}

// A windowed control freed while its form lives leaves the tab order, so
// showing the form again walks no freed control.
TEST_F(FormActivationTest, FreedControlLeavesTheTabOrder)
{
  std::unique_ptr<TForm> Form(NewForm(40));
  auto* First = new TEdit(Form.get());
  First->SetParent(Form.get());
  auto* Second = new TEdit(Form.get());
  Second->SetParent(Form.get());
  delete First;
  const TWinControl* Gone = First;
  std::vector<TWinControl*> Order;
  Form->GetTabOrderList(Order);
  ASSERT_EQ(Order.size(), 2u) << "the form's own edit and the second";
  EXPECT_EQ(std::count(Order.begin(), Order.end(), Gone), 0);
  EXPECT_EQ(Order.back(), Second);
  Form->Show();
  EXPECT_NE(Form->FindNextControl(nullptr, true, true, false), Gone);
}

} // namespace
