// DBNumberEditTest.cpp: the number editor on a form read from its
// description, over numeric(15,2) and integer columns of the test server:
// display and edit formats with grouping while typing, both decimal
// separators, the typing filter and limits, half-even rounding that large
// values survive, stepping, paste, and the popup calculator's result posted.
#include "gridlib/editors/CalculatorEh.h"
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/data/ADODB.h"
#include "platform/gui/Clipbrd.h"

#include "tests/gridlib/editors/EditorsTestSupport.h"
#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/support/TestDatabase.h"

#include <cmath>

namespace {

const char* const FormText = R"(object PriceForm: TForm
  Left = 0
  Top = 0
  Caption = 'Цена'
  ClientHeight = 160
  ClientWidth = 320
  object PriceEdit: TDBNumberEditEh
    Left = 90
    Top = 8
    Width = 200
    Height = 21
    DataField = 'price'
    DataSource = ItemSource
    DisplayFormat = ',0.00'
    EditButton.Visible = True
  end
  object QtyEdit: TDBNumberEditEh
    Left = 90
    Top = 40
    Width = 200
    Height = 21
    DataField = 'qty'
    DataSource = ItemSource
    DecimalPlaces = 0
    MaxValue = 100
  end
  object StepEdit: TDBNumberEditEh
    Left = 90
    Top = 72
    Width = 200
    Height = 21
    Increment = 0.5
  end
  object OtherEdit: TEdit
    Left = 90
    Top = 104
    Width = 200
    Height = 21
  end
  object ItemSource: TDataSource
    DataSet = Items
  end
  object Items: TADOQuery
    SQL.Strings = (
      'select * from ne_item order by id')
  end
end
)";

const QChar Nbsp(0x00A0);

class DBNumberEditTest : public editors_test::TableFormTest {
protected:
  static void SetUpTestSuite()
  {
    RegisterADOClasses();
    RegisterStdCtrlsClasses();
    RegisterDBCtrlsEhNumberEditClasses();
  }
  void SetUp() override
  {
    GuiTest::SetUp();
    ReadForm({"drop table if exists ne_item",
              "create table ne_item (id serial primary key, price numeric(15,2), qty integer)",
              "insert into ne_item (price, qty) values (1234.5, 5), (null, null)"},
             FormText);
    Price = Find("PriceEdit");
    Qty = Find("QtyEdit");
    Step = Find("StepEdit");
    Other = editors_test::Find<TEdit>(Form, "OtherEdit");
    OpenAndShow();
  }
  TDBNumberEditEh* Find(const char* Name) { return editors_test::Find<TDBNumberEditEh>(Form, Name); }
  // Posts the record the editors wrote into and reads a column back.
  std::string Posted(const char* Column)
  {
    Items->Post();
    return Db1(std::string("select ") + Column + " from ne_item where id = 1");
  }
  static void Backspace(TWinControl* Control)
  {
    gui_test::Key(Control, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
  }
  static String Grouped(const char* Text) { return QString::fromUtf8(Text).replace(QLatin1Char('_'), Nbsp); }

  TDBNumberEditEh *Price = nullptr, *Qty = nullptr, *Step = nullptr;
  TEdit* Other = nullptr;
};

} // namespace

TEST_F(DBNumberEditTest, DisplaysGroupsWhileTypingAndPosts)
{
  EXPECT_EQ(Price->Text(), Grouped("1_234,50"));
  EXPECT_EQ(Price->EditFormat(), QStringLiteral(",0.00"));
  EXPECT_EQ(Price->Value().AsDouble(), 1234.5);
  EXPECT_EQ(Qty->Text(), QStringLiteral("5"));

  Focus(Price);
  EXPECT_EQ(Price->Text(), Grouped("1_234,50"));
  Price->SelectAll();
  // A full stop stands for the decimal separator; the third decimal is refused.
  gui_test::Type(Price, QStringLiteral("1234567.891"));
  EXPECT_EQ(Price->Text(), Grouped("1_234_567,89"));
  EXPECT_EQ(Price->Value().AsDouble(), 1234567.89);
  Focus(Other);
  EXPECT_EQ(Posted("price"), "1234567.89");
  EXPECT_EQ(Price->Text(), Grouped("1_234_567,89"));

  // Backspace after a group separator only steps over it.
  Focus(Price);
  Price->SelectAll();
  gui_test::Type(Price, QStringLiteral("12345"));
  ASSERT_EQ(Price->Text(), Grouped("12_345"));
  Price->SetSelStart(3);
  Backspace(Price);
  EXPECT_EQ(Price->Text(), Grouped("12_345"));
  EXPECT_EQ(Price->SelStart(), 2);
}

TEST_F(DBNumberEditTest, TypingFilterAndLimits)
{
  // qty: no decimals, 0 to 100.
  Focus(Qty);
  Qty->SelectAll();
  gui_test::Type(Qty, QStringLiteral("-"));
  EXPECT_EQ(Qty->Text(), QStringLiteral("-"));
  gui_test::Type(Qty, QStringLiteral("5,"));
  EXPECT_EQ(Qty->Text(), QStringLiteral("-"));
  Qty->SelectAll();
  gui_test::Type(Qty, QStringLiteral("150"));
  EXPECT_EQ(Qty->Value().AsDouble(), 100);
  Focus(Other);
  EXPECT_EQ(Posted("qty"), "100");

  // Many decimals leave room for one integer digit, not a wrapped count.
  Step->SetDecimalPlaces(20);
  Focus(Step);
  gui_test::Type(Step, QStringLiteral("12,5"));
  EXPECT_EQ(Step->Text(), QStringLiteral("1,5"));
}

TEST_F(DBNumberEditTest, ClampsAndRoundsHalfEven)
{
  struct TCase {
    double Min, Max;
    Cardinal Places;
    double In, Out;
  };
  const TCase Cases[] = {
    {0, 0, 0, 2.5, 2},        {0, 0, 0, 3.5, 4},          {0, 0, 0, -2.5, -2},
    {0, 0, 2, 0.125, 0.12},   {0, 0, 2, 0.375, 0.38},     {0, 0, 2, 1234.5, 1234.5},
    // Too large to scale into 64 bits, or too many decimals: left as they are.
    {0, 0, 2, 1e300, 1e300},  {0, 0, 2, -9.3e16, -9.3e16}, {0, 0, 20, 1.23456789, 1.23456789},
    {0, 100, 0, 150, 100},    {0, 100, 0, -5, 0},          {5, 0, 2, 3, 5},
    {0, 7, 2, 9, 7},          {10, 5, 2, 3, 3},            {10, 5, 2, 30, 30},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.Min << ".." << C.Max << " dp " << C.Places << " in " << C.In);
    auto* E = new TDBNumberEditEh(Form);
    if (C.Min != 0)
      E->SetMinValue(C.Min);
    if (C.Max != 0)
      E->SetMaxValue(C.Max);
    E->SetDecimalPlaces(C.Places);
    const double Out = E->AdjustValue(C.In);
    EXPECT_TRUE(std::isfinite(Out));
    EXPECT_DOUBLE_EQ(Out, C.Out);
    delete E;
  }
}

TEST_F(DBNumberEditTest, StepsByIncrement)
{
  Focus(Step);
  ASSERT_TRUE(Step->Value().IsNull());
  gui_test::Key(Step, Qt::Key_Up);
  EXPECT_EQ(Step->Value().AsDouble(), 0.5);
  Step->SetValue(Null);
  gui_test::Key(Step, Qt::Key_Down);
  EXPECT_EQ(Step->Value().AsDouble(), 0.5);
  Step->SetValue(1.0);
  gui_test::Wheel(Step, 1);
  EXPECT_EQ(Step->Value().AsDouble(), 1.5);
  gui_test::Key(Step, Qt::Key_Down);
  gui_test::Key(Step, Qt::Key_Down);
  EXPECT_EQ(Step->Value().AsDouble(), 0.5);
  EXPECT_EQ(Step->Text(), QStringLiteral("0,5"));
}

TEST_F(DBNumberEditTest, PasteAndLeftoverExponent)
{
  Focus(Price);
  Clipboard()->SetAsText(QStringLiteral("2 500.75"));
  gui_test::Key(Price, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
  EXPECT_EQ(Price->Value().AsDouble(), 2500.75);
  {
    gui_test::MessageBoxRecorder Boxes;
    Clipboard()->SetAsText(QStringLiteral("много"));
    gui_test::Key(Price, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    EXPECT_TRUE(Boxes.Requests.empty());
  }
  EXPECT_EQ(Price->Text(), Grouped("2_500,75"));
  EXPECT_EQ(Price->Value().AsDouble(), 2500.75);
  Focus(Other);
  EXPECT_EQ(Posted("price"), "2500.75");

  // Deleting back from an exponent leaves "1E": no number, no error.
  Focus(Step);
  Step->SetValue(1e20);
  Focus(Other);
  Focus(Step);
  ASSERT_EQ(Step->Text(), QStringLiteral("1E20"));
  Step->SetSelStart(4);
  gui_test::MessageBoxRecorder Boxes;
  Backspace(Step);
  Backspace(Step);
  EXPECT_TRUE(Boxes.Requests.empty());
  EXPECT_EQ(Step->Text(), QStringLiteral("1E"));
  EXPECT_TRUE(Step->Value().IsNull());
}

TEST_F(DBNumberEditTest, ButtonIsTheDropDownKind)
{
  // Every editor made in code or read has the drop-down button, Alt+Down by
  // default, hooked to the editor's layout.
  TDBNumberEditEh Made(Form);
  for (TDBNumberEditEh* E : {Price, Step, &Made}) {
    auto* B = dynamic_cast<TDropDownEditButtonEh*>(E->EditButton());
    ASSERT_NE(B, nullptr) << E->Name().toStdString();
    EXPECT_EQ(B->ShortCut(), AltDownShortCutEh);
  }
  // The description's visible button is laid out once the form is read.
  EXPECT_TRUE(Price->ButtonsBox()->Visible());
  EXPECT_GT(Price->ButtonsBox()->ButtonsWidth(), 0);
  EXPECT_FALSE(Step->ButtonsBox()->Visible());
  Step->EditButton()->SetVisible(true);
  EXPECT_TRUE(Step->ButtonsBox()->Visible());
  EXPECT_GT(Step->ButtonsBox()->ButtonsWidth(), 0);
}

TEST_F(DBNumberEditTest, CalculatorResultIsPosted)
{
  Focus(Price);
  gui_test::Key(Price, Qt::Key_Down, Qt::AltModifier);
  Application->ProcessMessages();
  ASSERT_TRUE(Price->CalculatorVisible());
  // Keys go to the calculator; the first Enter computes, the second accepts.
  gui_test::Type(Price, QStringLiteral("*2"));
  gui_test::Key(Price, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  Application->ProcessMessages();
  EXPECT_TRUE(Price->CalculatorVisible());
  gui_test::Key(Price, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  Application->ProcessMessages();
  EXPECT_FALSE(Price->CalculatorVisible());
  EXPECT_EQ(Price->Value().AsDouble(), 2469);
  Focus(Other);
  EXPECT_EQ(Posted("price"), "2469.00");

  // After an error the pick changes nothing.
  Focus(Price);
  gui_test::Key(Price, Qt::Key_Down, Qt::AltModifier);
  Application->ProcessMessages();
  ASSERT_TRUE(Price->CalculatorVisible());
  gui_test::Type(Price, QStringLiteral("/0="));
  gui_test::Key(Price, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  Application->ProcessMessages();
  EXPECT_FALSE(Price->CalculatorVisible());
  EXPECT_EQ(Price->Value().AsDouble(), 2469);
  // Esc closes without taking the value.
  gui_test::Key(Price, Qt::Key_Down, Qt::AltModifier);
  Application->ProcessMessages();
  gui_test::Type(Price, QStringLiteral("5"));
  gui_test::Key(Price, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
  Application->ProcessMessages();
  EXPECT_FALSE(Price->CalculatorVisible());
  EXPECT_EQ(Price->Value().AsDouble(), 2469);
  // The wheel turns the open calculator's number, not the editor's.
  gui_test::Key(Price, Qt::Key_Down, Qt::AltModifier);
  Application->ProcessMessages();
  ASSERT_TRUE(Price->CalculatorVisible());
  gui_test::Wheel(Price, 1);
  EXPECT_EQ(Price->Value().AsDouble(), 2469);
  gui_test::Key(Price, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  Application->ProcessMessages();
  EXPECT_FALSE(Price->CalculatorVisible());
  EXPECT_EQ(Price->Value().AsDouble(), 2470);
  // Leaving the editor closes the calculator without taking its value.
  gui_test::Key(Price, Qt::Key_Down, Qt::AltModifier);
  Application->ProcessMessages();
  ASSERT_TRUE(Price->CalculatorVisible());
  gui_test::Type(Price, QStringLiteral("7"));
  Focus(Other);
  EXPECT_FALSE(Price->CalculatorVisible());
  EXPECT_FALSE(Price->DroppedDown());
  EXPECT_EQ(Price->Value().AsDouble(), 2470);
}

TEST_F(DBNumberEditTest, CalculatorClosedByTheEditorEndsItsCall)
{
  std::vector<bool> Ends;
  Price->OnCloseUp = [&](TObject*, bool Accept) { Ends.push_back(Accept); };
  TPopupCalculatorFormEh* Calc = nullptr;
  Integer Owned = -1;
  // Each close ends the form's call once, not accepted, and leaves nothing
  // of the call behind.
  const auto ExpectEnded = [&] {
    EXPECT_FALSE(Price->CalculatorVisible());
    ASSERT_NE(Calc, nullptr);
    EXPECT_FALSE(Calc->Visible());
    EXPECT_FALSE(Calc->CallbackProc());
    EXPECT_EQ(Calc->SysParams(), nullptr);
    if (Owned < 0)
      Owned = Calc->ComponentCount();
    EXPECT_EQ(Calc->ComponentCount(), Owned);
  };
  Focus(Price);
  for (int Round = 0; Round < 3; ++Round) {
    gui_test::Key(Price, Qt::Key_Down, Qt::AltModifier);
    Application->ProcessMessages();
    ASSERT_TRUE(Price->CalculatorVisible());
    for (Integer I = 0; !Calc && I < Price->ComponentCount(); ++I)
      Calc = dynamic_cast<TPopupCalculatorFormEh*>(Price->Components(I));
    gui_test::Type(Price, QStringLiteral("9"));
    if (Round < 2) {
      gui_test::Key(Price, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
      Application->ProcessMessages();
      ExpectEnded();
      EXPECT_TRUE(Price->Focused());
    } else {
      // The focus moving away stays where it went.
      Focus(Other);
      ExpectEnded();
      EXPECT_TRUE(Other->Focused());
      EXPECT_FALSE(Price->Focused());
    }
  }
  EXPECT_EQ(Ends, std::vector<bool>(3, false));
  EXPECT_EQ(Price->Value().AsDouble(), 1234.5);
}

TEST_F(DBNumberEditTest, CurrencyEditFormat)
{
  Step->SetCurrency(true);
  EXPECT_EQ(Step->EditFormat(), QStringLiteral(",#.00"));
  Step->SetDisplayFormat(QStringLiteral("#,##0.000 'шт';-0.0"));
  EXPECT_EQ(Step->EditFormat(), QStringLiteral("#,##0.000"));
  Step->SetDisplayFormat(QStringLiteral("0.00E+00"));
  EXPECT_EQ(Step->EditFormat(), QStringLiteral("0.00"));
}
