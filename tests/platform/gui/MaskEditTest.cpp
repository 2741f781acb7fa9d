// MaskEditTest.cpp: the edit-mask routines and the masked edit box typed
// into as a user would: accepted and refused characters, literals, blanks,
// deleting, validation and form descriptions.
#include "platform/gui/Mask.h"

#include "platform/gui/Forms.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <QClipboard>

#include <gtest/gtest.h>

using gui_test::GuiTest;

namespace {

std::string S(const String& Value) { return Value.toStdString(); }

// Presses keys: plain characters are typed, {NAME} is a special key.
void Press(TWinControl* Edit, const String& Keys)
{
  static const std::pair<const char*, std::pair<int, Qt::KeyboardModifiers>> Special[] = {
    {"BS", {Qt::Key_Backspace, Qt::NoModifier}}, {"DEL", {Qt::Key_Delete, Qt::NoModifier}},
    {"LEFT", {Qt::Key_Left, Qt::NoModifier}}, {"RIGHT", {Qt::Key_Right, Qt::NoModifier}},
    {"HOME", {Qt::Key_Home, Qt::NoModifier}}, {"END", {Qt::Key_End, Qt::NoModifier}},
    {"ESC", {Qt::Key_Escape, Qt::NoModifier}}, {"SELALL", {Qt::Key_A, Qt::ControlModifier}},
    {"PASTE", {Qt::Key_V, Qt::ControlModifier}}, {"CUT", {Qt::Key_X, Qt::ControlModifier}},
    {"UP", {Qt::Key_Up, Qt::NoModifier}}};
  for (Integer I = 0; I < Integer(Keys.size()); ++I) {
    if (Keys[I] != QLatin1Char('{')) {
      gui_test::Type(Edit, String(Keys[I]));
      continue;
    }
    const Integer End = Integer(Keys.indexOf(QLatin1Char('}'), I));
    const String Name = Keys.mid(I + 1, End - I - 1);
    I = End;
    bool Found = false;
    for (const auto& [N, K] : Special) {
      if (Name != QLatin1String(N))
        continue;
      Found = true;
      String Text;
      if (K.first == Qt::Key_Backspace)
        Text = QStringLiteral("\b");
      else if (K.first == Qt::Key_Escape)
        Text = QString(QChar(27));
      else if (K.second == Qt::ControlModifier)
        Text = QString(QChar(char16_t(K.first - Qt::Key_A + 1)));
      gui_test::Key(Edit, K.first, K.second, Text);
    }
    EXPECT_TRUE(Found) << Name.toStdString();
  }
}

class MaskEditTest : public GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    OldBeep = SetMessageBeepHook([this](UINT) { ++Beeps; });
    Form = new TForm(Application, 0);
    Form->SetBounds(100, 100, 300, 120);
    Edit = new TMaskEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(8, 8, 200, 21);
    Other = new TEdit(Form);
    Other->SetParent(Form);
    Other->SetBounds(8, 40, 200, 21);
    Edit->OnChange = [this](TObject*) { ++Changes; };
    Form->Show();
    Edit->SetFocus();
  }
  void TearDown() override
  {
    SetMessageBeepHook(OldBeep);
    GuiTest::TearDown();
  }

  TForm* Form = nullptr;
  TMaskEdit* Edit = nullptr;
  TEdit* Other = nullptr;
  int Beeps = 0;
  int Changes = 0;
  TMessageBeepHook OldBeep;
};

} // namespace

TEST(Mask, SectionsOfTheMask)
{
  struct Case { const char* Mask; Integer Separator; bool Save; char16_t Blank; };
  const Case Cases[] = {
    {"000", -1, true, u'_'},
    {"000;0", 4, false, u'_'},
    {"000;1;*", 4, true, u'*'},
    {"!99/99/9999 99:99;1; ", 18, true, u' '},
    {"\\;00;0;#", 5, false, u'#'},   // an escaped separator belongs to the mask
    {"", -1, true, u'_'},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Mask);
    const String M = QString::fromUtf8(C.Mask);
    EXPECT_EQ(MaskGetFldSeparator(M), C.Separator);
    EXPECT_EQ(MaskGetMaskSave(M), C.Save);
    EXPECT_EQ(MaskGetMaskBlank(M), QChar(C.Blank));
  }
}

TEST(Mask, FormatMaskTextLaysValuesIntoTheMask)
{
  struct Case { const char* Mask; const char* Value; const char* Formatted; };
  const Case Cases[] = {
    // Literals saved: the value holds them, place by place.
    {"!99/99/9999 99:99;1; ", "12.05.2026 10:30", "12.05.2026 10:30"},
    {"99/99/9999;1;_", "", "  .  .    "},
    {"99/99/9999;1;_", "12.05", "12.05.    "},
    // Bare characters: literals inserted, '!' fills from the end.
    {"(999) 000-00-00;0;_", "4951234567", "(495) 123-45-67"},
    {"000;0;_", "12", "12 "},
    {"!000;0;_", "12", " 12"},
    {"99:99;0", "1230", "12:30"},
    // Escaped characters are plain literals, also '/' and ':'.
    {"\\9\\/00;1;_", "xx12", "9/12"},
    {"\\A00;0;_", "12", "A12"},
    // Without a mask the value is kept.
    {"", "abc", "abc"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Mask);
    EXPECT_EQ(S(FormatMaskText(QString::fromUtf8(C.Mask), QString::fromUtf8(C.Value))), S(QString::fromUtf8(C.Formatted)));
  }
  EXPECT_EQ(S(MaskDoFormatText(QStringLiteral("00-00;0;*"), QStringLiteral("1"), QLatin1Char('*'))), S(QStringLiteral("1*-**")));
  EXPECT_EQ(S(MaskDoFormatText(QStringLiteral("!00-00;0;*"), QStringLiteral("1"), QLatin1Char('*'))), S(QStringLiteral("**-*1")));
  EXPECT_EQ(S(PadInputLiterals(QStringLiteral("00/00;1;_"), QStringLiteral("12"), QLatin1Char('_'))), S(QStringLiteral("12.__")));
}

TEST_F(MaskEditTest, TypedKeysAcceptedAndRefused)
{
  struct Case {
    const char* Mask;
    const char* Keys;
    const char* EditText;
    const char* Text;
    int Beeps;
  };
  const Case Cases[] = {
    {"000;1;_", "12", "12_", "12 ", 0},
    {"000;0;_", "1a2", "12_", "12", 1},
    {"00;1;_", "123", "12", "12", 1},   // no place left
    {"99/99/9999;1;_", "12052026", "12.05.2026", "12.05.2026", 0},
    {"99/99/9999;1;_", "12.05", "12.05.____", "12.05.    ", 0},   // typed separators step over
    {"99/99/9999;1;_", "1/", "1_.__.____", "1 .  .    ", 1},      // not where a digit belongs
    {"(999) 000-00-00;0;_", "4951234567", "(495) 123-45-67", "4951234567", 0},
    {">LLL<ll;0;_", "abcDE", "ABCde", "ABCde", 0},
    {">L<>l;0;_", "ab", "Ab", "Ab", 0},
    {"LLLL;0;_", "Жук1", "Жук_", "Жук", 1},   // Cyrillic letters are letters
    {">LLL;0;_", "ёжи", "ЁЖИ", "ЁЖИ", 0},
    {"AAA;0;_", "ф1-", "ф1_", "ф1", 1},
    {"#99;0;_", "-5x", "-5_", "-5", 1},
    {"ccc;0;*", "a b", "a b", "a b", 0},
    {"\\A00;0;_", "A12", "A12", "12", 0},   // the literal A typed first steps over it
    {"!999;0;_", "12", "12_", "12 ", 0},       // '!' trims the start, not the end
    // Deleting clears places to blanks; nothing moves.
    {"000;1;_", "123{BS}9", "129", "129", 0},
    {"000;1;_", "123{HOME}{DEL}", "_23", " 23", 0},
    {"000;1;_", "123{BS}{BS}{BS}{BS}", "___", "   ", 0},
    {"99/99;1;_", "1234{LEFT}{LEFT}{LEFT}7", "17.34", "17.34", 0},
    {"99/99;1;_", "1234{HOME}{RIGHT}{RIGHT}{DEL}", "12.\u005f4", "12. 4", 0},
    {"000000;1;_", "123456{SELALL}9", "9_____", "9     ", 0},
    {"000000;1;_", "123456{SELALL}{DEL}", "______", "      ", 0},
    {"000;1;_", "1{UP}2", "12_", "12 ", 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::string(C.Mask) + " <- " + C.Keys);
    Edit->SetEditMask(String());
    Edit->SetText(String());
    Edit->SetEditMask(QString::fromUtf8(C.Mask));
    Beeps = 0;
    Press(Edit, QString::fromUtf8(C.Keys));
    EXPECT_EQ(S(Edit->EditText()), S(QString::fromUtf8(C.EditText)));
    EXPECT_EQ(S(Edit->Text()), S(QString::fromUtf8(C.Text)));
    EXPECT_EQ(Beeps, C.Beeps);
  }
}

TEST_F(MaskEditTest, CaretIsTheSelectedPlaceThatTypingOverwrites)
{
  Edit->SetEditMask(QStringLiteral("(999) 000;1;_"));
  Edit->SetText(QStringLiteral("(495) 123"));
  EXPECT_EQ(S(Edit->EditText()), S(QStringLiteral("(495) 123")));
  EXPECT_FALSE(Edit->Modified());
  Press(Edit, QStringLiteral("{HOME}"));
  EXPECT_EQ(Edit->SelStart(), 1);   // the first input place, past "("
  EXPECT_EQ(Edit->SelLength(), 1);
  EXPECT_EQ(S(Edit->SelText()), S(QStringLiteral("4")));
  Changes = 0;
  Press(Edit, QStringLiteral("8"));
  EXPECT_EQ(S(Edit->EditText()), S(QStringLiteral("(895) 123")));
  EXPECT_EQ(Edit->SelStart(), 2);
  EXPECT_TRUE(Edit->Modified());
  EXPECT_EQ(Changes, 1);
  // Past the last input place the caret is empty at the end.
  Press(Edit, QStringLiteral("{END}"));
  EXPECT_EQ(Edit->SelStart(), 9);
  EXPECT_EQ(Edit->SelLength(), 0);
  Press(Edit, QStringLiteral("{LEFT}"));
  EXPECT_EQ(Edit->SelStart(), 8);
  EXPECT_EQ(Edit->SelLength(), 1);
  // Escape brings back the text the edit had before the typing.
  Press(Edit, QStringLiteral("{ESC}"));
  EXPECT_EQ(S(Edit->EditText()), S(QStringLiteral("(495) 123")));
  EXPECT_FALSE(Edit->Modified());
  // A click leaves the caret as a selected place too.
  gui_test::Click(Edit, QPoint(30, 10));
  EXPECT_EQ(Edit->SelLength(), 1);
}

TEST_F(MaskEditTest, ReadOnlyAndRefusingDescendantsTakeNoTypingAndDoNotBeep)
{
  Edit->SetEditMask(QStringLiteral("000;1;_"));
  Edit->SetText(QStringLiteral("123"));
  Edit->SetReadOnly(true);
  Press(Edit, QStringLiteral("{HOME}9{DEL}{BS}{CUT}"));
  EXPECT_EQ(S(Edit->EditText()), S(QStringLiteral("123")));
  EXPECT_EQ(Beeps, 0);
  EXPECT_FALSE(Edit->Modified());

  struct TLockedEdit : TMaskEdit {
    using TMaskEdit::TMaskEdit;
    bool EditCanModify() override { return false; }
  };
  auto* Locked = new TLockedEdit(Form);
  Locked->SetParent(Form);
  Locked->SetEditMask(QStringLiteral("LL;0;_"));
  Locked->SetFocus();
  Press(Locked, QStringLiteral("ab{BS}"));
  EXPECT_EQ(S(Locked->EditText()), S(QStringLiteral("__")));
  EXPECT_EQ(Beeps, 0);
}

TEST_F(MaskEditTest, PasteAndCutGoThroughTheMask)
{
  Edit->SetEditMask(QStringLiteral("99/99/9999;1;_"));
  QApplication::clipboard()->setText(QStringLiteral("12.05.2026"));
  Press(Edit, QStringLiteral("{PASTE}"));
  EXPECT_EQ(S(Edit->EditText()), S(QStringLiteral("12.05.2026")));
  Press(Edit, QStringLiteral("{SELALL}{CUT}"));
  EXPECT_EQ(S(Edit->EditText()), S(QStringLiteral("__.__.____")));
  EXPECT_EQ(S(QApplication::clipboard()->text()), S(QStringLiteral("12.05.2026")));
  // A pasted text that the mask refuses stops at the refused character.
  QApplication::clipboard()->setText(QStringLiteral("31x2"));
  Beeps = 0;
  Press(Edit, QStringLiteral("{HOME}{PASTE}"));
  EXPECT_EQ(S(Edit->EditText()), S(QStringLiteral("31.__.____")));
  EXPECT_EQ(Beeps, 1);
}

TEST_F(MaskEditTest, SettingTheMaskLaysTheTextIntoIt)
{
  Edit->SetText(QStringLiteral("4951234567"));
  Edit->SetEditMask(QStringLiteral("(999) 000-00-00;0;_"));
  EXPECT_EQ(S(Edit->EditText()), S(QStringLiteral("(495) 123-45-67")));
  EXPECT_EQ(S(Edit->Text()), S(QStringLiteral("4951234567")));
  EXPECT_TRUE(Edit->IsMasked());
  // A mask that saves literals: Text is what was set, EditText shows blanks.
  Edit->SetEditMask(QStringLiteral("!99/99/9999 99:99;1; "));
  Edit->SetText(QStringLiteral("12.05.2026"));
  EXPECT_EQ(S(Edit->EditText()), S(QStringLiteral("12.05.2026   :  ")));
  EXPECT_EQ(S(Edit->Text()), S(QStringLiteral("12.05.2026   :  ")));
  Edit->SetEditMask(QStringLiteral("000;0;_"));
  Edit->SetEditText(QStringLiteral("1_3"));
  EXPECT_EQ(S(Edit->Text()), S(QStringLiteral("1 3")));
  // Without a mask the edit is a plain one again.
  Edit->SetEditMask(String());
  EXPECT_FALSE(Edit->IsMasked());
  EXPECT_EQ(S(Edit->Text()), S(QStringLiteral("1 3")));
  Press(Edit, QStringLiteral("{END}x"));
  EXPECT_EQ(S(Edit->Text()), S(QStringLiteral("1 3x")));
}

TEST_F(MaskEditTest, ValidateEditRaisesOnTheFirstIncompletePlace)
{
  Edit->SetEditMask(QStringLiteral("00/00/0000;1;_"));
  // An unchanged text is not checked.
  EXPECT_NO_THROW(Edit->ValidateEdit());
  Press(Edit, QStringLiteral("1205"));
  Beeps = 0;
  try {
    Edit->ValidateEdit();
    ADD_FAILURE() << "an incomplete date passed";
  } catch (const EDBEditError& E) {
    EXPECT_EQ(S(E.Message()), S(QStringLiteral("Invalid input value.  Use escape key to abandon changes")));
  }
  EXPECT_EQ(Edit->SelStart(), 6);
  EXPECT_EQ(Edit->SelLength(), 1);
  EXPECT_EQ(Beeps, 1);
  // Optional places may stay empty; a wrong character set in code may not.
  Edit->SetEditMask(QStringLiteral("0999;1;_"));
  Press(Edit, QStringLiteral("{HOME}5"));
  EXPECT_NO_THROW(Edit->ValidateEdit());
  Edit->SetEditText(QStringLiteral("5x__"));
  Edit->SetModified(true);
  EXPECT_THROW(Edit->ValidateEdit(), EDBEditError);
  EXPECT_EQ(Edit->SelStart(), 1);
}

TEST_F(MaskEditTest, LeavingAnIncompleteEditShowsTheErrorAndKeepsTheFocus)
{
  gui_test::MessageBoxRecorder Boxes;
  Edit->SetEditMask(QStringLiteral("000;1;_"));
  Press(Edit, QStringLiteral("1"));
  Other->SetFocus();
  Application->ProcessMessages();
  ASSERT_EQ(Boxes.Requests.size(), 1u);
  EXPECT_TRUE(Boxes.Requests[0].Text.startsWith(QStringLiteral("Invalid input value.  Use escape key to abandon changes")));
  EXPECT_TRUE(Edit->Focused());
  EXPECT_EQ(Form->ActiveControl(), Edit);
  // Escape abandons the change and the edit can be left.
  Press(Edit, QStringLiteral("{ESC}"));
  EXPECT_EQ(S(Edit->EditText()), S(QStringLiteral("___")));
  Other->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(Boxes.Requests.size(), 1u);
  EXPECT_TRUE(Other->Focused());
}

TEST_F(MaskEditTest, FormDescriptionHoldsTheMaskAndText)
{
  const char* Description = R"(object Form2: TForm
  Left = 0
  Top = 0
  Caption = 'Накладная'
  ClientHeight = 80
  ClientWidth = 240
  object MaskEdit1: TMaskEdit
    Left = 8
    Top = 8
    Width = 120
    Height = 21
    EditMask = '!99/99/9999;1;_'
    MaxLength = 10
    TabOrder = 0
    Text = '01.02.2026'
  end
end
)";
  auto* F = new TForm(Application, 0);
  ReadComponentFromText(QString::fromUtf8(Description), F);
  auto* M = dynamic_cast<TMaskEdit*>(F->FindComponent(QStringLiteral("MaskEdit1")));
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(M->EditMask(), QStringLiteral("!99/99/9999;1;_"));
  EXPECT_EQ(S(M->EditText()), S(QStringLiteral("01.02.2026")));
  EXPECT_EQ(S(M->Text()), S(QStringLiteral("01.02.2026")));
  const String Text = WriteComponentToText(F);
  EXPECT_TRUE(Text.contains(QStringLiteral("EditMask = '!99/99/9999;1;_'"))) << Text.toStdString();
  EXPECT_TRUE(Text.contains(QStringLiteral("Text = '01.02.2026'"))) << Text.toStdString();
}
