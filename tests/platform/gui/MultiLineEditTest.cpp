// MultiLineEditTest.cpp: an edit made with the multi-line style: it wraps
// its text at its width, keeps the line breaks it was given, types, pastes
// and moves between its lines as the single-line edit does, and holds
// MaxLength; and the EN_CHANGE notice that every change of an edit's text
// sends its parent, which reflects it back to the edit.
#include "platform/gui/Clipbrd.h"
#include "platform/gui/StdCtrls.h"

#include "tests/platform/gui/GuiTestSupport.h"

namespace {

// An edit that asks its window for the multi-line style, as a control that
// wraps text does in its CreateParams.
class TWrapEdit : public TEdit {
public:
  using TEdit::TEdit;
  bool AutoHScroll = false;
  // Text set while the window is being made.
  String TextWhileCreating;
protected:
  void CreateParams(TCreateParams& Params) override
  {
    TEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | (AutoHScroll ? DWORD(ES_AUTOHSCROLL) : DWORD(0));
  }
  void InitializeWidget() override
  {
    TEdit::InitializeWidget();
    if (!TextWhileCreating.isEmpty())
      SetText(TextWhileCreating);
  }
};

// A parent that writes down the notices of its children.
class TNoticeBoard : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  struct TNotice {
    Word Code;
    HWND Ctl;
  };
  std::vector<TNotice> Heard;
protected:
  void WndProc(TMessage& Message) override
  {
    if (Message.Msg == WM_COMMAND) {
      const TWMCommand C(Message);
      Heard.push_back({C.NotifyCode(), C.Ctl()});
    }
    TCustomControl::WndProc(Message);
  }
};

class MultiLineEditTest : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    Form = new TForm(Application, 0);
    Form->SetBounds(100, 100, 320, 200);
    Board = new TNoticeBoard(Form);
    Board->SetParent(Form);
    Board->SetBounds(0, 0, 320, 200);
  }
  void TearDown() override
  {
    delete Form;
    GuiTest::TearDown();
  }
  TWrapEdit* NewEdit(Integer Width = 120, Integer Height = 80)
  {
    auto* E = new TWrapEdit(Form);
    E->SetParent(Board);
    E->SetBounds(8, 8, Width, Height);
    return E;
  }
  void ShowAndFocus(TWinControl* E)
  {
    Form->Show();
    Application->ProcessMessages();
    E->SetFocus();
    Application->ProcessMessages();
  }
  Integer Lines(TWinControl* E) { return Integer(E->Perform(EM_GETLINECOUNT, 0, 0)); }
  Integer LineOf(TWinControl* E, Integer Pos) { return Integer(E->Perform(EM_LINEFROMCHAR, WPARAM(Pos), 0)); }
  Integer LineStart(TWinControl* E, Integer Line) { return Integer(E->Perform(EM_LINEINDEX, WPARAM(Line), 0)); }
  TForm* Form = nullptr;
  TNoticeBoard* Board = nullptr;
};

const char* LongText = "Bracket for the conveyor frame, zinc plated, with two bolts and a spring washer";

// The text wraps at the window's width, the narrower the more lines; with
// ES_AUTOHSCROLL it stays one line. The picture shows the wrapped lines.
TEST_F(MultiLineEditTest, LongTextWrapsAtTheWidth)
{
  TWrapEdit* Wide = NewEdit(300, 80);
  TWrapEdit* Narrow = NewEdit(100, 120);
  Narrow->SetTop(90);
  TWrapEdit* Scrolled = NewEdit(100, 40);
  Scrolled->AutoHScroll = true;
  Scrolled->SetLeft(150);
  Scrolled->SetTop(90);
  for (TWrapEdit* E : {Wide, Narrow, Scrolled})
    E->SetText(QString::fromLatin1(LongText));
  ShowAndFocus(Narrow);
  EXPECT_TRUE(Wide->MultiLine());
  EXPECT_GE(Lines(Wide), 2);
  EXPECT_GT(Lines(Narrow), Lines(Wide));
  EXPECT_EQ(Lines(Scrolled), 1);
  EXPECT_EQ(Narrow->Text(), QString::fromLatin1(LongText)) << "wrapping puts no break into the text";
  // Each shown line starts where the one before ended, at a word.
  for (Integer L = 1; L < Lines(Narrow); ++L) {
    const Integer Start = LineStart(Narrow, L);
    EXPECT_GT(Start, LineStart(Narrow, L - 1));
    EXPECT_EQ(LineOf(Narrow, Start), L);
    EXPECT_EQ(QString::fromLatin1(LongText).at(Start - 1), QLatin1Char(' ')) << "line " << L;
  }
  const QImage Shot = Board->Widget()->grab().toImage();
  gui_test::SaveImage(Shot, QStringLiteral("multiline-edit-wrapped.png"));
}

// A password is never shown on several lines: the window is a line edit.
TEST_F(MultiLineEditTest, PasswordEditStaysOneLine)
{
  TWrapEdit* E = NewEdit();
  E->SetText(QString::fromLatin1(LongText));
  ShowAndFocus(E);
  ASSERT_TRUE(E->MultiLine());
  E->SetPasswordChar(QLatin1Char('*'));
  EXPECT_FALSE(E->MultiLine());
  EXPECT_EQ(E->Text(), QString::fromLatin1(LongText));
  E->SetPasswordChar(QChar());
  EXPECT_TRUE(E->MultiLine());
}

// A text set in code is read back as it was given, its breaks included;
// positions count a CR LF break as two characters, as the text holds it.
TEST_F(MultiLineEditTest, TextKeepsItsBreaksAndPositionsCountThem)
{
  struct Case {
    const char* Text;
    Integer SelStart, SelLength;
    const char* Selected;
    Integer Line;   // the line of SelStart
  };
  const Case Cases[] = {
    {"ab\r\ncd\r\nef", 4, 2, "cd", 1},
    {"ab\r\ncd\r\nef", 1, 4, "b\r\nc", 0},
    {"ab\r\ncd\r\nef", 8, 2, "ef", 2},
    {"ab\ncd\nef", 3, 2, "cd", 1},
    {"ab\ncd\nef", 6, 2, "ef", 2},
    {"no breaks", 3, 6, "breaks", 0},
  };
  TWrapEdit* E = NewEdit(200, 80);
  ShowAndFocus(E);
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Text);
    E->SetText(QString::fromLatin1(C.Text));
    EXPECT_EQ(E->Text(), QString::fromLatin1(C.Text));
    E->SetSelStart(C.SelStart);
    E->SetSelLength(C.SelLength);
    EXPECT_EQ(E->SelStart(), C.SelStart);
    EXPECT_EQ(E->SelLength(), C.SelLength);
    EXPECT_EQ(E->SelText(), QString::fromLatin1(C.Selected));
    EXPECT_EQ(LineOf(E, C.SelStart), C.Line);
    const LRESULT Sel = E->Perform(EM_GETSEL, 0, 0);
    EXPECT_EQ(LoWord(NativeUInt(Sel)), C.SelStart);
    EXPECT_EQ(HiWord(NativeUInt(Sel)), C.SelStart + C.SelLength);
  }
}

// Typing, Enter and Ctrl+Enter, Backspace and undo through the keyboard;
// Up and Down move between the shown lines.
TEST_F(MultiLineEditTest, KeysTypeBreakAndMoveBetweenLines)
{
  TWrapEdit* E = NewEdit(200, 80);
  ShowAndFocus(E);
  gui_test::Type(E, QStringLiteral("ab"));
  gui_test::Key(E, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  gui_test::Type(E, QStringLiteral("cd"));
  gui_test::Key(E, Qt::Key_Return, Qt::ControlModifier, QStringLiteral("\n"));
  gui_test::Type(E, QStringLiteral("ef"));
  EXPECT_EQ(E->Text(), QStringLiteral("ab\r\ncd\r\nef")) << "a typed break is the text's CR LF";
  EXPECT_EQ(Lines(E), 3);
  EXPECT_EQ(E->SelStart(), 10);
  gui_test::Key(E, Qt::Key_Up);
  EXPECT_EQ(LineOf(E, E->SelStart()), 1);
  gui_test::Key(E, Qt::Key_Up);
  EXPECT_EQ(LineOf(E, E->SelStart()), 0);
  gui_test::Key(E, Qt::Key_Down);
  gui_test::Key(E, Qt::Key_Down);
  EXPECT_EQ(LineOf(E, E->SelStart()), 2);
  // Up and Down sent as messages move the caret too.
  E->Perform(WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(LineOf(E, E->SelStart()), 1);
  E->SetSelStart(4);   // the start of "cd"
  gui_test::Key(E, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
  EXPECT_EQ(E->Text(), QStringLiteral("abcd\r\nef")) << "Backspace takes the whole break";
  E->Undo();
  EXPECT_EQ(E->Text(), QStringLiteral("ab\r\ncd\r\nef"));
  // A character sent as a message is typed as well, a line feed as a break.
  E->SetSelStart(2);
  E->Perform(WM_CHAR, '\n', 0);
  EXPECT_EQ(E->Text(), QStringLiteral("ab\r\n\r\ncd\r\nef"));
}

// MaxLength holds for typing, a typed break and a paste; a break counts as
// the two characters it is; text set in code is kept whole.
TEST_F(MultiLineEditTest, MaxLengthHoldsOnTypingAndPaste)
{
  struct Case {
    const char* Start;
    Integer Caret;
    const char* Clip;   // pasted, or typed when empty
    const char* Typed;
    const char* Expected;
  };
  const Case Cases[] = {
    {"ab", 2, "123456789", "", "ab1234"},
    {"ab", 1, "12\r\n34", "", "a12\r\nb"},   // the break does not fit whole
    {"abc", 3, "x\ny", "", "abcx\r\n"},       // a lone LF pasted takes the text's break
    {"abcd", 4, "", "xyz", "abcdxy"},
    {"abcde", 5, "", "\r", "abcde"},          // no room for a break
  };
  TWrapEdit* E = NewEdit(200, 80);
  ShowAndFocus(E);
  E->SetMaxLength(6);
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Start);
    E->SetText(QString::fromLatin1(C.Start));
    E->SetSelStart(C.Caret);
    if (*C.Clip) {
      Clipboard()->SetAsText(QString::fromLatin1(C.Clip));
      gui_test::Key(E, Qt::Key_V, Qt::ControlModifier);
    } else {
      for (const char* P = C.Typed; *P; ++P) {
        if (*P == '\r')
          gui_test::Key(E, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        else
          gui_test::Type(E, QString(QLatin1Char(*P)));
      }
    }
    EXPECT_EQ(E->Text(), QString::fromLatin1(C.Expected));
  }
  E->SetText(QString::fromLatin1(LongText));
  EXPECT_EQ(E->Text(), QString::fromLatin1(LongText)) << "text set in code is kept whole";
}

// Every change of an edit's text, by the user or in code, reaches its parent
// once as EN_CHANGE from the edit's window; the parent's reflection runs
// OnChange. A text set while the window is being made is no change to tell.
TEST_F(MultiLineEditTest, ParentHearsEachChangeOnce)
{
  for (bool Multi : {false, true}) {
    SCOPED_TRACE(Multi ? "multi-line" : "single-line");
    Board->Heard.clear();
    TWrapEdit* E = nullptr;
    if (Multi) {
      ASSERT_TRUE(Board->HandleAllocated());
      E = new TWrapEdit(Form);
      E->TextWhileCreating = QStringLiteral("made");
      E->SetParent(Board);   // the parent's window exists: the edit's is made now
      E->SetBounds(8, 8, 120, 80);
      ASSERT_TRUE(E->HandleAllocated());
      EXPECT_EQ(E->Text(), QStringLiteral("made"));
      EXPECT_TRUE(Board->Heard.empty()) << "the text set while the window was made";
    }
    TEdit* Plain = nullptr;
    if (!Multi) {
      Plain = new TEdit(Form);
      Plain->SetParent(Board);
      Plain->SetBounds(8, 100, 120, 21);
    }
    TCustomEdit* Edit = Multi ? static_cast<TCustomEdit*>(E) : Plain;
    int Changes = 0;
    Edit->OnChange = [&](TObject*) { ++Changes; };
    ShowAndFocus(Edit);
    Board->Heard.clear();
    Changes = 0;

    Edit->SetText(QStringLiteral("one"));
    Edit->SetText(QStringLiteral("one"));   // no change
    gui_test::Type(Edit, QStringLiteral("xy"));
    Clipboard()->SetAsText(QStringLiteral("Z"));
    Edit->PasteFromClipboard();
    Edit->Perform(WM_CHAR, 'w', 0);
    ASSERT_EQ(Board->Heard.size(), 5u) << "SetText, two keys, a paste and a sent character";
    for (const TNoticeBoard::TNotice& N : Board->Heard) {
      EXPECT_EQ(N.Code, EN_CHANGE);
      EXPECT_EQ(N.Ctl, HWND(Edit));
    }
    EXPECT_EQ(Changes, 5);
    Edit->SetParent(nullptr);
    delete Edit;
  }
}

} // namespace
