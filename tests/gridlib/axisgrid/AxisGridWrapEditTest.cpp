// AxisGridWrapEditTest.cpp: the grid's inplace editor on a cell whose bar
// wraps its text, over items of the test server: the text wraps at the
// cell's width, Up and Down walk its shown lines and leave the cell only
// from the first or last, Enter and Ctrl+Enter, MaxLength on paste, and the
// grid hearing of the user's changes from its editor's window.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "platform/gui/Clipbrd.h"
#include "tests/gridlib/axisgrid/AxisGridTestSupport.h"

#include <gtest/gtest.h>

using namespace axisgrid_test;

namespace {

QString S(const char* Text) { return QString::fromUtf8(Text); }

const char* LongNote = "Bracket for the conveyor frame, zinc plated, with two bolts and a spring washer";

void MakeWrapTables()
{
  testsupport::OdbcSession Session;
  for (const char* Sql : {
         "drop table if exists wr_item",
         "create table wr_item (id int4 primary key, s_note varchar(200), s_code varchar(10))",
       })
    Session.Exec(Sql);
  Session.Exec(QStringLiteral("insert into wr_item values (1, '%1', 'A1'), (2, 'short', 'B2')")
                 .arg(QString::fromLatin1(LongNote)).toStdString().c_str());
}

// An editor that counts the changes the grid tells it of.
class TCountingInplaceEdit : public TDBAxisGridInplaceEdit {
public:
  using TDBAxisGridInplaceEdit::TDBAxisGridInplaceEdit;
  void TextChangedByUser() override
  {
    ++UserChanges;
    TDBAxisGridInplaceEdit::TextChangedByUser();
  }
  int UserChanges = 0;
};

class TWrapTestGridEh : public TEditTestGridEh {
public:
  using TEditTestGridEh::TEditTestGridEh;
protected:
  TInplaceEdit* CreateEditor() override { return new TCountingInplaceEdit(this); }
};

class AxisGridWrapEditTest : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    RegisterTestClasses();
    MakeWrapTables();
    Db = OpenTestConnection();
    Items = std::make_unique<TADOQuery>(nullptr);
    Items->SetConnection(Db.get());
    Items->SQL()->SetText(S("select id, s_note, s_code from wr_item order by id"));
    Source = std::make_unique<TDataSource>(nullptr);
    Source->SetDataSet(Items.get());
    Form = new TForm(Application, 0);
    Form->SetBounds(0, 0, 400, 300);
    Grid = new TWrapTestGridEh(Form);
    Grid->SetParent(Form);
    Grid->SetBounds(8, 8, 380, 280);
    Grid->SetDataSource(Source.get());
    Grid->SetDefaultRowHeight(80);
  }
  void TearDown() override
  {
    Grid->SetDataSource(nullptr);
    Grid->HideEditor();
    Form->Hide();
    Application->ProcessMessages();
    Source.reset();
    Items.reset();
    GuiTest::TearDown();
  }
  TAxisBarEh* AddBar(const char* FieldName, bool Wrap)
  {
    TAxisBarEh* Bar = Grid->AxisBars()->Add();
    Bar->SetFieldName(S(FieldName));
    Bar->SetWordWrap(Wrap);
    return Bar;
  }
  // Opens the data and shows the editor on bar Index of a focused grid,
  // its cell Width wide.
  TCountingInplaceEdit* ShowEditorOn(Integer Index, Integer Width = 120, bool AlwaysShow = true)
  {
    if (!Items->Active())
      Items->Open();
    TGridOptionsEh Options = Grid->Options() + TGridOptionsEh{goEditingEh};
    if (AlwaysShow)
      Options << goAlwaysShowEditorEh;
    else
      Options >> goAlwaysShowEditorEh;
    Grid->SetOptions(Options);
    Grid->SetSelectedIndex(Index);
    Form->Show();
    Application->ProcessMessages();
    // The editor stands over the current cell with the selected bar's text.
    Grid->SetColWidths(Grid->Col(), Width);
    Grid->SetRowHeights(Grid->Row(), 80);
    Grid->SetFocus();
    Grid->ShowEditor();
    Application->ProcessMessages();
    auto* E = dynamic_cast<TCountingInplaceEdit*>(Grid->InplaceEditor());
    EXPECT_NE(E, nullptr);
    if (E) {
      EXPECT_TRUE(E->Visible());
    }
    return E;
  }
  TInplaceEditCoreControl* Core(TInplaceEdit* E) { return E->EditCoreControl(); }
  Integer Lines(TInplaceEdit* E) { return Integer(Core(E)->Perform(EM_GETLINECOUNT, 0, 0)); }
  Integer LineOfCaret(TInplaceEdit* E) { return Integer(Core(E)->Perform(EM_LINEFROMCHAR, WPARAM(E->SelStart()), 0)); }
  void Key(TInplaceEdit* E, int QtKey, Qt::KeyboardModifiers Mods = Qt::NoModifier, const QString& Text = QString())
  {
    gui_test::Key(Core(E), QtKey, Mods, Text);
    Application->ProcessMessages();
  }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOQuery> Items;
  std::unique_ptr<TDataSource> Source;
  TForm* Form = nullptr;
  TWrapTestGridEh* Grid = nullptr;
};

// The long note wraps at the cell's width inside the editor, more lines the
// narrower the cell; a bar that does not wrap keeps one line. The picture
// shows the wrapped editor over its cell.
TEST_F(AxisGridWrapEditTest, LongTextWrapsAtTheCellWidth)
{
  AddBar("s_note", true);
  AddBar("s_code", false);
  TCountingInplaceEdit* E = ShowEditorOn(0, 200);
  ASSERT_NE(E, nullptr);
  ASSERT_TRUE(E->WordWrap());
  ASSERT_TRUE(Core(E)->MultiLine());
  EXPECT_EQ(E->Text(), S(LongNote)) << "wrapping puts no break into the text";
  const Integer WideLines = Lines(E);
  EXPECT_GE(WideLines, 2);
  E->SetSel(0, 0);
  Application->ProcessMessages();
  gui_test::SaveImage(Grid->Widget()->grab().toImage(), QStringLiteral("axisgrid-wrapped-editor.png"));

  Grid->HideEditor();
  E = ShowEditorOn(0, 100);
  ASSERT_NE(E, nullptr);
  EXPECT_GT(Lines(E), WideLines);
  // Every shown line fits the editor's text area.
  const Integer Right = Core(E)->ClientWidth();
  for (Integer L = 0; L < Lines(E); ++L) {
    const Integer Start = Integer(Core(E)->Perform(EM_LINEINDEX, WPARAM(L), 0));
    const LRESULT P = Core(E)->Perform(EM_POSFROMCHAR, WPARAM(Start), 0);
    EXPECT_LT(SmallInt(LoWord(NativeUInt(P))), Right) << "line " << L;
  }

  Grid->HideEditor();
  E = ShowEditorOn(1, 100);
  ASSERT_NE(E, nullptr);
  EXPECT_FALSE(E->WordWrap());
  EXPECT_FALSE(Core(E)->MultiLine());
  EXPECT_EQ(Lines(E), 1);
  Items->Cancel();
}

// Up and Down typed in a wrapped cell walk its shown lines; in a grid that
// always shows its editor, Up on the first line and Down on the last move
// the grid, and without that option they never do.
TEST_F(AxisGridWrapEditTest, UpAndDownWalkTheWrappedLines)
{
  AddBar("s_note", true);
  for (bool AlwaysShow : {true, false}) {
    SCOPED_TRACE(AlwaysShow ? "always shown" : "shown on demand");
    TCountingInplaceEdit* E = ShowEditorOn(0, 100, AlwaysShow);
    ASSERT_NE(E, nullptr);
    const Integer Count = Lines(E);
    ASSERT_GE(Count, 3);
    E->SetSel(E->GetTextLen(), 0);
    Grid->GridKeys.clear();
    for (Integer L = Count - 1; L > 0; --L) {
      ASSERT_EQ(LineOfCaret(E), L);
      Key(E, Qt::Key_Up);
      EXPECT_EQ(LineOfCaret(E), L - 1);
    }
    EXPECT_TRUE(Grid->GridKeys.empty()) << "the keys stayed in the text";
    Key(E, Qt::Key_Up);
    EXPECT_EQ(Grid->GridKeys, AlwaysShow ? std::vector<Word>{VK_UP} : std::vector<Word>{});
    if (!E->Visible() || Grid->Row() != Grid->FixedRowCount())
      continue;   // the grid moved on
    Grid->GridKeys.clear();
    for (Integer L = 0; L < Count - 1; ++L) {
      ASSERT_EQ(LineOfCaret(E), L);
      Key(E, Qt::Key_Down);
      EXPECT_EQ(LineOfCaret(E), L + 1);
    }
    EXPECT_TRUE(Grid->GridKeys.empty());
    Key(E, Qt::Key_Down);
    EXPECT_EQ(Grid->GridKeys, AlwaysShow ? std::vector<Word>{VK_DOWN} : std::vector<Word>{});
    Items->Cancel();
    Grid->HideEditor();
    Items->First();
  }
}

// Ctrl+Enter breaks the line of a wrapped cell only; Enter never does. A
// Ctrl+Enter that presses the ellipsis or opens the list breaks no line.
TEST_F(AxisGridWrapEditTest, EnterAndCtrlEnterInWrappedCells)
{
  struct Case {
    const char* Name;
    bool Wrap;
    TCellButtonStyleEh Button;
    bool PickList;
    bool Ctrl;
    const char* Expected;   // the text after "short" with the caret after "sh"
    int Clicks;
  };
  const Case Cases[] = {
    {"wrapped, Ctrl+Enter", true, cbsAuto, false, true, "sh\r\nort", 0},
    {"wrapped, Enter", true, cbsAuto, false, false, "short", 0},
    {"one line, Ctrl+Enter", false, cbsAuto, false, true, "short", 0},
    {"wrapped ellipsis, Ctrl+Enter", true, cbsEllipsis, false, true, "short", 1},
    {"wrapped pick list, Ctrl+Enter", true, cbsAuto, true, true, "short", 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    Grid->AxisBars()->Clear();
    TAxisBarEh* Bar = AddBar("s_note", C.Wrap);
    Bar->SetButtonStyle(C.Button);
    if (C.PickList)
      for (const char* P : {"short", "shorter"})
        Bar->PickList()->Add(S(P));
    int Clicks = 0;
    Grid->OnEditButtonClick = [&](TObject*) { ++Clicks; };
    if (!Items->Active())
      Items->Open();
    Items->Last();   // the "short" note
    TCountingInplaceEdit* E = ShowEditorOn(0, 120);
    ASSERT_NE(E, nullptr);
    ASSERT_EQ(E->Text(), S("short"));
    E->SetSel(2, 0);
    if (C.Ctrl)
      Key(E, Qt::Key_Return, Qt::ControlModifier, QStringLiteral("\n"));
    else
      Key(E, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_EQ(E->Text(), S(C.Expected));
    EXPECT_EQ(Clicks, C.Clicks);
    if (C.PickList) {
      EXPECT_TRUE(E->ListVisible()) << "Ctrl+Enter opened the list";
    }
    Grid->OnEditButtonClick = nullptr;
    E->CloseUp(false);
    Items->Cancel();
    Grid->HideEditor();
  }
}

// A paste into a wrapped cell keeps within the field's length; a typed
// character beyond it is refused.
TEST_F(AxisGridWrapEditTest, MaxLengthHoldsOnPasteIntoAWrappedCell)
{
  AddBar("s_code", true);
  struct Case {
    const char* Clip;
    const char* Expected;
  };
  const Case Cases[] = {
    {"123456789012", "A112345678"},   // A1 and 8 of the 12
    {"xy", "A1xy"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Clip);
    TCountingInplaceEdit* E = ShowEditorOn(0, 60);
    ASSERT_NE(E, nullptr);
    ASSERT_TRUE(Core(E)->MultiLine());
    ASSERT_EQ(E->MaxLength(), 10);
    Items->Edit();   // the record in edit: the editor is not loaded anew
    E->SetText(S("A1"));
    E->SetSel(2, 0);
    Clipboard()->SetAsText(S(C.Clip));
    Key(E, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(E->Text(), S(C.Expected));
    Items->Cancel();
    Grid->HideEditor();
  }
  TCountingInplaceEdit* E = ShowEditorOn(0, 60);
  ASSERT_NE(E, nullptr);
  Items->Edit();
  E->SetText(S("ABCDEFGHIJ"));
  E->SetSel(10, 0);
  gui_test::Type(Core(E), S("K"));
  EXPECT_EQ(E->Text(), S("ABCDEFGHIJ"));
  Items->Cancel();
}

// The grid follows typed text, and hears each change the user types from
// its editor's window; the editor's own setting of the text is none.
TEST_F(AxisGridWrapEditTest, GridHearsTheUsersChanges)
{
  AddBar("s_note", true);
  AddBar("s_code", false);
  for (Integer Index : {0, 1}) {
    SCOPED_TRACE(Index == 0 ? "wrapped" : "one line");
    TCountingInplaceEdit* E = ShowEditorOn(Index, 120);
    ASSERT_NE(E, nullptr);
    Items->Edit();
    E->UserChanges = 0;
    E->SetText(S("in code"));
    EXPECT_EQ(E->UserChanges, 0);
    E->SetSel(E->GetTextLen(), 0);
    gui_test::Type(Core(E), S("xy"));
    EXPECT_EQ(E->UserChanges, 2);
    EXPECT_EQ(Grid->EditText(), S("in codexy")) << "the grid follows the typed text";
    Clipboard()->SetAsText(S("!"));
    // The editor pastes itself, writing the grid's text as it does.
    Key(E, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(E->Text(), S("in codexy!"));
    EXPECT_EQ(Grid->EditText(), S("in codexy!"));
    Items->Cancel();
    Grid->HideEditor();
  }
}

} // namespace
