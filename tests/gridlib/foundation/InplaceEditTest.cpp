// InplaceEditTest.cpp: editing cells in place as a user does: the first
// typed character opens the editor, Enter toggles it, arrows at the text's
// ends go back to the grid, the text is stored on focus loss; masks.
#include "GridTestSupport.h"

#include "platform/gui/StdCtrls.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <map>

using namespace gridtest;

namespace {

// A grid over a map of cell texts, with a mask for every cell.
class TTextGrid : public TCustomGridEh {
public:
  explicit TTextGrid(TComponent* AOwner) : TCustomGridEh(AOwner)
  {
    SetColCount(6);
    SetRowCount(30);
    SetOptions(Options() + TGridOptionsEh{goEditingEh});
  }
  std::map<std::pair<Integer, Integer>, String> Texts;
  String Mask;
  bool Modifiable = true;
  String Refused;   // characters the grid does not accept
  String Text(Integer ACol, Integer ARow) const
  {
    const auto It = Texts.find({ACol, ARow});
    return It == Texts.end() ? String() : It->second;
  }
protected:
  String GetEditText(Integer ACol, Integer ARow) override { return Text(ACol, ARow); }
  void SetEditText(Integer ACol, Integer ARow, const String& Value) override { Texts[{ACol, ARow}] = Value; }
  String GetEditMask(Integer, Integer) override { return Mask; }
  bool CanEditModify() override { return Modifiable; }
  bool CanEditAcceptKey(QChar Key) override { return !Refused.contains(Key); }
};

class InplaceEdit : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    Form = ShownForm();
    Grid = PlaceGrid<TTextGrid>(Form, 400, 300);
    Other = new TEdit(Form);
    Other->SetParent(Form);
    Other->SetBounds(0, 320, 100, 20);
    Grid->Texts[{1, 1}] = QStringLiteral("abc");
    Grid->Texts[{2, 1}] = QStringLiteral("abcd");
    Grid->SetFocus();
    QCoreApplication::processEvents();   // the window system activates the form
    ASSERT_EQ(GetFocus(), Grid);
  }
  // Typing as a user does; posted messages are delivered in between.
  void Type(const String& Text)
  {
    for (QChar C : Text) {
      gui_test::Type(Grid, String(C));
      QCoreApplication::sendPostedEvents();
      QCoreApplication::processEvents();
    }
  }
  bool EditorShown() { return Grid->InplaceEditor() && Grid->InplaceEditor()->Visible(); }
  TForm* Form = nullptr;
  TTextGrid* Grid = nullptr;
  TEdit* Other = nullptr;
};

} // namespace

TEST_F(InplaceEdit, FirstTypedCharacterOpensTheEditorWithIt)
{
  ASSERT_FALSE(EditorShown());
  Type(QStringLiteral("x"));
  ASSERT_TRUE(EditorShown());
  EXPECT_TRUE(Grid->EditorMode());
  EXPECT_TRUE(Grid->InplaceEditor()->Focused());
  EXPECT_EQ(Grid->IsActiveControl(), true) << "the grid stays the form's active control";
  EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("x")) << "the loaded text was selected";
  Type(QStringLiteral("yz"));
  EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("xyz"));
  EXPECT_EQ(Grid->InplaceEditor()->BoundsRect(), Grid->CellEditRect(1, 1));
  Key(Grid, Qt::Key_Return);
  EXPECT_FALSE(EditorShown()) << "Enter closes the editor";
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_EQ(Grid->Text(1, 1), QStringLiteral("xyz"));
  Key(Grid, Qt::Key_Return);
  EXPECT_TRUE(EditorShown()) << "and opens it again";
  EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("xyz"));
}

TEST_F(InplaceEdit, TypingCyrillicText)
{
  Type(QStringLiteral("Счёт №5 оплачен"));
  Key(Grid, Qt::Key_Down);
  EXPECT_EQ(Grid->Row(), 2);
  EXPECT_EQ(Grid->Text(1, 1), QStringLiteral("Счёт №5 оплачен"));
}

TEST_F(InplaceEdit, TextIsStoredWhenTheFocusLeaves)
{
  Type(QStringLiteral("new"));
  ASSERT_TRUE(EditorShown());
  Other->SetFocus();
  EXPECT_FALSE(EditorShown());
  EXPECT_EQ(Grid->Text(1, 1), QStringLiteral("new"));
  EXPECT_EQ(Grid->InplaceCol(), -1);
}

TEST_F(InplaceEdit, ArrowsAtTheEndsOfTheTextGoBackToTheGrid)
{
  Grid->SetOptions(Grid->Options() + TGridOptionsEh{goAlwaysShowEditorEh});
  Grid->SetCol(2);
  ASSERT_TRUE(EditorShown());
  TInplaceEdit* E = Grid->InplaceEditor();
  EXPECT_EQ(E->Text(), QStringLiteral("abcd"));
  E->SetSel(2, 0);
  Key(Grid, Qt::Key_Left);
  EXPECT_EQ(Grid->Col(), 2) << "inside the text the caret moves";
  EXPECT_EQ(E->SelStart(), 1);
  Key(Grid, Qt::Key_Left);
  EXPECT_EQ(E->SelStart(), 0);
  Key(Grid, Qt::Key_Left);
  EXPECT_EQ(Grid->Col(), 1) << "at the start the previous cell";
  ASSERT_TRUE(EditorShown());
  EXPECT_EQ(E->Text(), QStringLiteral("abc"));
  E->SetSel(3, 0);
  Key(Grid, Qt::Key_Right);
  EXPECT_EQ(Grid->Col(), 2) << "at the end the next cell";
  EXPECT_EQ(E->SelLength(), 4) << "a loaded text is all selected";
  Key(Grid, Qt::Key_Right);
  EXPECT_EQ(Grid->Col(), 3) << "with all selected the arrow leaves the cell";
  // Always shown, Enter stays in the editor: it selects all or nothing.
  E->SetSel(1, 0);
  Key(Grid, Qt::Key_Return);
  EXPECT_TRUE(EditorShown());
  EXPECT_EQ(E->SelLength(), E->GetTextLen());
  Key(Grid, Qt::Key_Return);
  EXPECT_EQ(E->SelLength(), 0);
  EXPECT_EQ(E->SelStart(), 0);
}

TEST_F(InplaceEdit, RefusedInputAndReadOnlyCells)
{
  Grid->Refused = QStringLiteral("q");
  Type(QStringLiteral("aqb"));
  EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("ab")) << "the refused character is dropped";
  Key(Grid, Qt::Key_Escape);
  EXPECT_TRUE(EditorShown());
  Key(Grid, Qt::Key_Return);
  Grid->Modifiable = false;
  Type(QStringLiteral("z"));
  EXPECT_FALSE(EditorShown()) << "a cell that cannot change opens no editor by typing";
  Key(Grid, Qt::Key_F2);
  ASSERT_TRUE(EditorShown());
  Type(QStringLiteral("z"));
  Key(Grid, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
  EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("ab"));
}

TEST_F(InplaceEdit, NoEditorWithoutEditingOrWithRowSelect)
{
  Grid->SetOptions(Grid->Options() - TGridOptionsEh{goEditingEh});
  Type(QStringLiteral("x"));
  EXPECT_FALSE(EditorShown());
  Grid->SetEditorMode(true);
  EXPECT_FALSE(EditorShown());
  Grid->SetEditorMode(false);
  Grid->SetOptions(Grid->Options() + TGridOptionsEh{goEditingEh, goRowSelectEh});
  Grid->SetEditorMode(true);
  EXPECT_FALSE(EditorShown());
}

TEST_F(InplaceEdit, MouseOpensTheEditorOnTheCurrentCell)
{
  const TRect Current = Grid->CalcCellRect(1, 1, true);
  const TRect Next = Grid->CalcCellRect(3, 4, true);
  Click(Grid, Next.Left + 5, Next.Top + 5);
  EXPECT_EQ(Grid->Col(), 3);
  EXPECT_FALSE(EditorShown()) << "another cell: moved there only";
  Click(Grid, Next.Left + 5, Next.Top + 5);
  EXPECT_TRUE(EditorShown()) << "the current cell: the editor";
  Click(Grid, Current.Left + 5, Current.Top + 5);
  EXPECT_FALSE(EditorShown());
  Grid->SetOptions(Grid->Options() + TGridOptionsEh{goAlwaysShowEditorEh});
  Click(Grid, Next.Left + 5, Next.Top + 5);
  EXPECT_TRUE(EditorShown());
  EXPECT_EQ(Grid->InplaceCol(), 3);

  // The wheel over the editor scrolls the grid.
  TInplaceEdit* E = Grid->InplaceEditor();
  E->EditCoreControl()->Perform(WM_MOUSEWHEEL, MakeWParam(0, Word(SmallInt(-WHEEL_DELTA))), 0);
  EXPECT_EQ(Grid->TopRow(), 2);
}

TEST_F(InplaceEdit, MaskedCells)
{
  struct Case { const char* Mask; const char* Typed; const char* EditText; const char* Text; };
  const Case Cases[] = {
    {"00-00;1;_", "12ab34", "12-34", "12-34"},    // letters refused
    {"00-00;0;_", "1234", "12-34", "1234"},       // literals not saved
    {">LL 00;1;_", "ab12", "AB 12", "AB 12"},     // upper case from '>'
    {"LL;1;_", "7", "__", "  "},                  // a digit where letters go
    {"00/00;1;_", "1203", "12.03", "12.03"},      // the date separator of the locale
    {"00:00;1;_", "0945", "09:45", "09:45"},
    {"AAA;1;*", "a1", "a1*", "a1 "},              // own blank character
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Mask);
    Grid->Mask = QString::fromUtf8(C.Mask);
    Grid->Texts[{1, 1}] = String();
    Grid->SetCol(1);
    Grid->SetRow(1);
    Key(Grid, Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    TInplaceEdit* E = Grid->InplaceEditor();
    EXPECT_TRUE(E->IsMasked());
    E->SetSel(0, 0);
    Type(QString::fromUtf8(C.Typed));
    EXPECT_EQ(E->EditText(), QString::fromUtf8(C.EditText));
    EXPECT_EQ(E->Text(), QString::fromUtf8(C.Text));
    Key(Grid, Qt::Key_Down);
    EXPECT_EQ(Grid->Text(1, 1), QString::fromUtf8(C.Text)) << "the grid gets Text";
    Key(Grid, Qt::Key_Up);
  }
}

// A click of the window system at a given message time.
static void TimedClick(TWinControl* C, QPoint At, ulong Time)
{
  QWidget* W = C->Widget();
  const QPointF Global = W->mapToGlobal(QPointF(At));
  QMouseEvent Press(QEvent::MouseButtonPress, QPointF(At), Global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  Press.setTimestamp(Time);
  QCoreApplication::sendEvent(W, &Press);
  QMouseEvent Release(QEvent::MouseButtonRelease, QPointF(At), Global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  Release.setTimestamp(Time + 10);
  QCoreApplication::sendEvent(W, &Release);
}

TEST_F(InplaceEdit, ClickOnTheGridThenInTheEditorIsADoubleClick)
{
  int DblClicks = 0;
  Grid->OnDblClick = [&](TObject*) { ++DblClicks; };
  const TRect Current = Grid->CalcCellRect(1, 1, true);
  TimedClick(Grid, QPoint(Current.Left + 5, Current.Top + 5), 100000);
  ASSERT_TRUE(EditorShown());
  EXPECT_EQ(Grid->InplaceEditor()->ClickTime(), 100000) << "the grid's press stamps the editor";
  TInplaceEditCoreControl* Core = Grid->InplaceEditor()->EditCoreControl();
  TimedClick(Core, QPoint(3, 3), 100200);
  EXPECT_EQ(DblClicks, 1) << "the editor's click completes a double click of the grid";
  EXPECT_EQ(Grid->InplaceEditor()->ClickTime(), 0);
  TimedClick(Core, QPoint(3, 3), 100400);
  EXPECT_EQ(DblClicks, 1) << "the stamp serves once";
}
