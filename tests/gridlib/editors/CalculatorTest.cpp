// CalculatorTest.cpp: the pocket calculator read from its form description,
// its key-driven arithmetic (left to right, percent, square root, 1/x, sign,
// backspace, clear, the 15-character display, errors), copy and paste, and
// the drop-down form that closes on Enter only when nothing is pending.
#include "gridlib/editors/CalculatorEh.h"

#include "platform/gui/Clipbrd.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Windows.h"
#include "tests/platform/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

using gui_test::GuiTest;

namespace {

// Types Keys into the calculator one by one; "\b" is Backspace, "\r" Enter,
// "\x1b" Esc.
void Press(TCalculatorEh* Calc, const char* Keys)
{
  for (const char* K = Keys; *K; ++K)
    Calc->ProcessKey(QChar(QLatin1Char(*K)));
}

// "<display>|<last button's caption>|<state>"
String StateOf(TCalculatorEh* Calc)
{
  return Calc->DisplayText() + QLatin1Char('|') + Calc->spEqual->Caption() + QLatin1Char('|') +
         String::number(Calc->Status());
}

class CalculatorTest : public GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    Form = new TForm(Application, 0);
    Calc = new TCalculatorEh(Form);
    Calc->SetParent(Form);
  }
  void TearDown() override
  {
    delete Form;
    GuiTest::TearDown();
  }
  TForm* Form = nullptr;
  TCalculatorEh* Calc = nullptr;
};

TEST_F(CalculatorTest, ReadFromItsDescription)
{
  EXPECT_EQ(Calc->Width(), 233);
  EXPECT_EQ(Calc->Height(), 154);
  EXPECT_EQ(Calc->TextHeight(), 13);
  EXPECT_EQ(Calc->Font()->Name(), QStringLiteral("Tahoma"));
  EXPECT_EQ(Calc->DisplayText(), QStringLiteral("0"));
  EXPECT_EQ(Calc->spEqual->Caption(), QStringLiteral("Ok"));
  EXPECT_EQ(Calc->spEqual->BoundsRect(), TRect(156, 122, 228, 150));
  EXPECT_EQ(Calc->Panel1->BoundsRect(), TRect(6, 4, 228, 25));
  EXPECT_EQ(Calc->TextBox->Parent(), Calc->Panel1);
  // Digits are blue, operations red; C lies over Cancel and takes its clicks.
  EXPECT_EQ(Calc->SpeedButton1->Font()->Color(), clBlue);
  EXPECT_EQ(Calc->SpeedButton23->Font()->Color(), clRed);
  EXPECT_EQ(Calc->SpeedButton24->Font()->Color(), clRed);
  Integer CancelIndex = -1, ClearIndex = -1;
  for (Integer I = 0; I < Calc->ControlCount(); ++I) {
    if (Calc->Controls(I) == Calc->SpeedButton24)
      CancelIndex = I;
    if (Calc->Controls(I) == Calc->SpeedButton23)
      ClearIndex = I;
  }
  EXPECT_LT(CancelIndex, ClearIndex);

  // The buttons type through their tags.
  for (TSpeedButtonEh* B : {Calc->SpeedButton1, Calc->SpeedButton13, Calc->SpeedButton7, Calc->spEqual})
    B->Click();
  EXPECT_EQ(StateOf(Calc), QStringLiteral("8|Ok|0"));
  Calc->SpeedButton20->Click();   // sqrt
  EXPECT_EQ(Calc->DisplayText(), QStringLiteral("2,82842712474619"));
  Calc->SpeedButton23->Click();
  EXPECT_EQ(Calc->DisplayText(), QStringLiteral("0"));
}

TEST_F(CalculatorTest, KeySequences)
{
  struct TCase {
    const char* Keys;
    const char* Expected;   // display|caption|state (0 first, 1 typing, 2 error)
  };
  const TCase Cases[] = {
    {"2+3*4=", "20|Ok|0"},          // strictly left to right
    {"12+3\r", "15|Ok|0"},
    {"12+3", "3|=|1"},              // pending until Enter
    {"2+*3=", "6|Ok|0"},            // a second operator replaces the first
    {"200+10%", "220|Ok|0"},
    {"200-10%", "180|Ok|0"},
    {"200*10%", "20|Ok|0"},
    {"50/10%", "500|Ok|0"},
    {"2+.5=", "2,5|Ok|0"},
    {"1.5.2", "1,52|Ok|1"},         // one decimal separator
    {"1,5", "1,5|Ok|1"},
    {".", "0,|Ok|1"},
    {"9S", "3|Ok|0"},
    {"2s", "1,4142135623731|Ok|0"}, // lower case, 15 significant digits
    {"4R", "0,25|Ok|0"},
    {"5I", "-5|Ok|1"},
    {"5I\b", "0|Ok|1"},             // Backspace on "-5"
    {"123\b", "12|Ok|1"},
    {"7\b\b", "0|Ok|1"},
    {"1234567890123456789", "123456789012345|Ok|1"},
    {"5I12345678901234567", "-512345678901234|Ok|1"},
    {"1.234567890123456789", "1,2345678901234|Ok|1"},
    {"5+3C", "0|Ok|0"},
    {"5+3\x1b", "0|Ok|0"},
    {"5A", "5|Ok|1"},               // the Cancel key does nothing here
    {"1/0=", "Error|Ok|2"},
    {"0R", "Error|Ok|2"},
    {"4IS", "Error|Ok|2"},
    {"1/0=5+2=RSI\b\x1b", "Error|Ok|2"},   // only C leaves the error
    {"1/0=C7", "7|Ok|1"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Keys);
    Calc->ProcessKey(QLatin1Char('C'));
    Press(Calc, C.Keys);
    EXPECT_EQ(StateOf(Calc), String::fromLatin1(C.Expected));
  }
}

TEST_F(CalculatorTest, DecimalKeyFollowsTheSeparator)
{
  const QChar Saved = FormatSettings.DecimalSeparator;
  FormatSettings.DecimalSeparator = QLatin1Char('.');
  Press(Calc, "1,5+1=");
  const String Shown = Calc->DisplayText();
  FormatSettings.DecimalSeparator = Saved;
  EXPECT_EQ(Shown, QStringLiteral("2.5"));
}

TEST_F(CalculatorTest, DeleteClearsAndTheWheelSteps)
{
  Form->Show();
  Application->ProcessMessages();
  Press(Calc, "1/0=");
  gui_test::Wheel(Calc, 1);
  EXPECT_EQ(Calc->DisplayText(), QStringLiteral("Error"));
  gui_test::Key(Calc, Qt::Key_Delete);
  EXPECT_EQ(StateOf(Calc), QStringLiteral("0|Ok|0"));
  gui_test::Wheel(Calc, 1);
  gui_test::Wheel(Calc, 1);
  gui_test::Wheel(Calc, -1);
  EXPECT_EQ(Calc->DisplayText(), QStringLiteral("1"));
}

TEST_F(CalculatorTest, CopyAndPaste)
{
  int Beeps = 0;
  auto OldBeep = SetMessageBeepHook([&](UINT) { ++Beeps; });
  Press(Calc, "12+3");
  Clipboard()->SetAsText(QStringLiteral("двенадцать"));
  Calc->ProcessKey(QChar(22));
  // Not a number: a beep, and the calculation goes on.
  EXPECT_EQ(Beeps, 1);
  EXPECT_EQ(StateOf(Calc), QStringLiteral("3|=|1"));
  Press(Calc, "=");
  EXPECT_EQ(Calc->DisplayText(), QStringLiteral("15"));
  Calc->ProcessKey(QChar(3));
  EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("15"));
  Clipboard()->SetAsText(QStringLiteral("  42,5 "));
  Calc->ProcessKey(QChar(22));
  EXPECT_EQ(Calc->DisplayText(), QStringLiteral("42,5"));
  EXPECT_EQ(Beeps, 1);
  SetMessageBeepHook(OldBeep);
}

TEST_F(CalculatorTest, PopupClosesOnEnterOnlyWhenNothingPends)
{
  auto* Popup = new TPopupCalculatorFormEh(Form);
  IPopupCalculatorEh* Intf = Popup;
  TCalculatorEh* C = Popup->Calculator;
  EXPECT_EQ(Popup->ClientWidth(), C->Width() + 4);
  EXPECT_EQ(Popup->ClientHeight(), C->Height() + 4);
  EXPECT_EQ(C->Left(), 2);

  int Closes = 0;
  bool Accepted = false;
  auto Callback = [&](TWinControl* Control, bool Accept) {
    EXPECT_EQ(Control, Popup);
    ++Closes;
    Accepted = Accept;
  };

  Intf->SetValue(12.5);
  Intf->Show(TPoint(100, 100), Callback);
  Application->ProcessMessages();
  ASSERT_TRUE(Popup->Visible());
  Press(C, "+3\r");   // computes instead of closing
  Application->ProcessMessages();
  EXPECT_TRUE(Popup->Visible());
  EXPECT_EQ(Closes, 0);
  EXPECT_TRUE(Intf->GetEnterCanClose());
  Press(C, "\r");
  Application->ProcessMessages();
  EXPECT_FALSE(Popup->Visible());
  EXPECT_EQ(Closes, 1);
  EXPECT_TRUE(Accepted);
  EXPECT_EQ(Intf->GetValue().AsDouble(), 15.5);

  Intf->SetValue(Null);
  Intf->Show(TPoint(100, 100), Callback);
  Application->ProcessMessages();
  Press(C, "1/0=");
  EXPECT_TRUE(Intf->GetValue().IsEmpty());
  Press(C, "\x1b");
  Application->ProcessMessages();
  EXPECT_FALSE(Popup->Visible());
  EXPECT_EQ(Closes, 2);
  EXPECT_FALSE(Accepted);

  // A larger editor font rescales the calculator and the form follows.
  Intf->SetTextHeight(Variant(26));
  EXPECT_EQ(C->TextHeight(), 26);
  EXPECT_EQ(C->Width(), 466);
  EXPECT_EQ(C->spEqual->BoundsRect(), TRect(312, 244, 456, 300));
  EXPECT_EQ(Popup->ClientWidth(), 470);
}

} // namespace
