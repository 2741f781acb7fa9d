// EditGateTest.cpp: the edit box as a user meets it: every way of changing
// its text asks one gate first, and the caret, selection and character case
// behave as the window system's edit does.
#include "platform/gui/Mask.h"
#include "platform/gui/Clipbrd.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <QAction>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>

namespace {

// An edit whose data decides whether it may change, as data-aware edits do.
class TGatedEdit : public TMaskEdit {
public:
  using TMaskEdit::TMaskEdit;
  using TCustomEdit::CreateEditContextMenu;
  bool Allow = false;
  int Asked = 0;
protected:
  bool EditCanModify() override
  {
    ++Asked;
    return Allow;
  }
};

class EditGateTest : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    Form = new TForm(Application, 0);
    Form->SetBounds(100, 100, 300, 120);
    Edit = new TGatedEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(8, 8, 200, 21);
    Form->Show();
    Application->ProcessMessages();
    Edit->SetFocus();
    Edit->SetText(QStringLiteral("abcdef"));
  }
  void TearDown() override
  {
    delete Form;
    GuiTest::TearDown();
  }
  QLineEdit* Line() const { return qobject_cast<QLineEdit*>(Edit->Widget()); }
  void Select(int Start, int Length)
  {
    Edit->SetSelStart(Start);
    Edit->SetSelLength(Length);
  }
  TForm* Form = nullptr;
  TGatedEdit* Edit = nullptr;
};

// One way of changing the text each; refused, the text stays; allowed, it
// changes.
struct TChangePath {
  const char* Name;
  std::function<void(EditGateTest*, TGatedEdit*)> Do;
};

} // namespace

TEST_F(EditGateTest, EveryChangeByTheUserAsksTheGate)
{
  const std::vector<TChangePath> Paths = {
    {"typing", [](EditGateTest*, TGatedEdit* E) { gui_test::Type(E, QStringLiteral("z")); }},
    {"backspace", [](EditGateTest*, TGatedEdit* E) { gui_test::Key(E, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b")); }},
    {"delete", [](EditGateTest*, TGatedEdit* E) { gui_test::Key(E, Qt::Key_Delete); }},
    {"ctrl+x", [](EditGateTest*, TGatedEdit* E) { gui_test::Key(E, Qt::Key_X, Qt::ControlModifier, QStringLiteral("\x18")); }},
    {"shift+del", [](EditGateTest*, TGatedEdit* E) { gui_test::Key(E, Qt::Key_Delete, Qt::ShiftModifier); }},
    {"ctrl+v", [](EditGateTest*, TGatedEdit* E) { gui_test::Key(E, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16")); }},
    {"shift+ins", [](EditGateTest*, TGatedEdit* E) { gui_test::Key(E, Qt::Key_Insert, Qt::ShiftModifier); }},
    {"clear", [](EditGateTest*, TGatedEdit* E) { E->Perform(WM_CLEAR); }},
    {"input method", [](EditGateTest*, TGatedEdit* E) {
       QInputMethodEvent IM;
       IM.setCommitString(QStringLiteral("ж"));
       QCoreApplication::sendEvent(E->Widget(), &IM);
     }},
    {"drop", [](EditGateTest*, TGatedEdit* E) {
       QMimeData Data;
       Data.setText(QStringLiteral("dropped"));
       QDropEvent Drop(QPointF(5, 5), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
       // Delivered as the window system's drop reaches the widget.
       static_cast<QObject*>(E->Widget())->event(&Drop);
     }},
    {"menu paste", [](EditGateTest*, TGatedEdit* E) {
       std::unique_ptr<QMenu> Menu(E->CreateEditContextMenu());
       Menu->findChild<QAction*>(QStringLiteral("edit-paste"))->trigger();
     }},
    {"menu cut", [](EditGateTest*, TGatedEdit* E) {
       std::unique_ptr<QMenu> Menu(E->CreateEditContextMenu());
       Menu->findChild<QAction*>(QStringLiteral("edit-cut"))->trigger();
     }},
    {"menu delete", [](EditGateTest*, TGatedEdit* E) {
       std::unique_ptr<QMenu> Menu(E->CreateEditContextMenu());
       Menu->findChild<QAction*>(QStringLiteral("edit-delete"))->trigger();
     }},
  };
  for (bool Allow : {false, true}) {
    for (const TChangePath& P : Paths) {
      SCOPED_TRACE(std::string(P.Name) + (Allow ? " allowed" : " refused"));
      Edit->Allow = true;
      Edit->SetText(QStringLiteral("abcdef"));
      Select(2, 2);
      Clipboard()->SetAsText(QStringLiteral("pasted"));
      Edit->Allow = Allow;
      Edit->Asked = 0;
      P.Do(this, Edit);
      EXPECT_GT(Edit->Asked, 0);
      if (Allow)
        EXPECT_NE(Edit->Text(), QStringLiteral("abcdef"));
      else
        EXPECT_EQ(Edit->Text(), QStringLiteral("abcdef"));
    }
  }
}

TEST_F(EditGateTest, UndoPassesTheGateAndReadOnlyRefusesWhateverTheGateSays)
{
  Edit->Allow = true;
  gui_test::Type(Edit, QStringLiteral("x"));
  ASSERT_NE(Edit->Text(), QStringLiteral("abcdef"));
  const String Typed = Edit->Text();
  Edit->Allow = false;
  gui_test::Key(Edit, Qt::Key_Z, Qt::ControlModifier, QStringLiteral("\x1a"));
  EXPECT_EQ(Edit->Text(), Typed);
  Edit->Allow = true;
  gui_test::Key(Edit, Qt::Key_Z, Qt::ControlModifier, QStringLiteral("\x1a"));
  EXPECT_EQ(Edit->Text(), QStringLiteral("abcdef"));

  Edit->SetReadOnly(true);
  gui_test::Type(Edit, QStringLiteral("q"));
  Edit->Perform(WM_PASTE);
  EXPECT_EQ(Edit->Text(), QStringLiteral("abcdef"));
  std::unique_ptr<QMenu> Menu(Edit->CreateEditContextMenu());
  EXPECT_FALSE(Menu->findChild<QAction*>(QStringLiteral("edit-paste"))->isEnabled());
}

TEST_F(EditGateTest, CaretSelectionAndCharacterCase)
{
  Edit->Allow = true;
  // A selection set in code keeps the caret at its end.
  Select(1, 3);
  EXPECT_EQ(Line()->cursorPosition(), 4);
  EXPECT_EQ(Edit->SelStart(), 1);
  EXPECT_EQ(Edit->SelLength(), 3);
  // A text reformatted in code keeps the caret as far from the end.
  Edit->SetSelStart(4);
  ASSERT_TRUE(Edit->Focused());
  Edit->SetText(QStringLiteral("1 abcdef"));
  EXPECT_EQ(Line()->cursorPosition(), 6);
  // Ctrl+A selects all, in a plain and in a multi-line box.
  gui_test::Key(Edit, Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01"));
  EXPECT_EQ(Edit->SelLength(), 8);
  auto* Memo = new TMemo(Form);
  Memo->SetParent(Form);
  Memo->SetBounds(8, 40, 200, 60);
  Memo->SetText(QStringLiteral("one\ntwo"));
  Memo->SetFocus();
  gui_test::Key(Memo, Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01"));
  EXPECT_EQ(Memo->Perform(EM_GETSEL) >> 16, 7);
  Edit->SetFocus();
  // Upper case: typed, pasted and set text alike.
  Edit->SetCharCase(ecUpperCase);
  Edit->SetText(QStringLiteral("ab"));
  EXPECT_EQ(Edit->Text(), QStringLiteral("AB"));
  Edit->SetSelStart(2);
  gui_test::Type(Edit, QStringLiteral("c"));
  Clipboard()->SetAsText(QStringLiteral("dé"));
  Edit->Perform(WM_PASTE);
  EXPECT_EQ(Edit->Text(), QStringLiteral("ABCDÉ"));
}
