// ControlEditorsTest.cpp: the designer's editors of a text label and of an
// expression control, driven as modal windows on the offscreen platform.
#include "report/engine/QRExpBld.h"
#include "report/engine/QRExprEd.h"

#include "tests/platform/gui/GuiTestSupport.h"

namespace {

// The shown modal form of class T, nullptr while there is none.
template <class T>
T* Shown()
{
  for (Integer I = 0; I < Screen->FormCount(); ++I)
    if (auto* F = dynamic_cast<T*>(Screen->Forms(I)); F && F->Visible())
      return F;
  return nullptr;
}

class ControlEditorsTest : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    RegisterQRCtrlsClasses();
    Report = std::make_unique<TQRReport>(nullptr);
    Band = Report->CreateBand(rbDetail);
  }
  void TearDown() override
  {
    Report.reset();
    GuiTest::TearDown();
  }
  template <class T>
  T* Put()
  {
    auto* C = new T(Report.get());
    C->SetParent(Band);
    C->Size()->SetWidth(40);
    C->Size()->SetHeight(6);
    return C;
  }
  std::unique_ptr<TQRReport> Report;
  TQRBand* Band = nullptr;
};

} // namespace

// The size fields take digits with blanks around them; OK writes every
// field back, Cancel none.
TEST_F(ControlEditorsTest, LabelEditorWritesBackOnOk)
{
  auto* Label = Put<TQRLabel>();
  Label->SetCaption(QStringLiteral("Итого"));
  Label->SetAutoSize(true);
  ASSERT_EQ(Label->EditorClass(), TQRLabelEditor::StaticClass());
  TQRLabelEditor Editor(Label);
  EXPECT_EQ(Editor.ControlName(), QStringLiteral("Text Control"));

  struct TCase { const char* Width; Integer Expected; };
  String Before = QStringLiteral("-");
  for (const TCase& C : {TCase{"  12", 12}, TCase{"7   ", 7}, TCase{"    ", 0}}) {
    SCOPED_TRACE(C.Width);
    gui_test::WhenReady([] { return Shown<TQRLabelEditorForm>() != nullptr; }, [&] {
      TQRLabelEditorForm* F = Shown<TQRLabelEditorForm>();
      EXPECT_EQ(F->Caption(), QStringLiteral("Text Settings"));
      if (Before == QStringLiteral("-"))
        Before = F->Value->Text();
      F->Value->SetText(QStringLiteral("Всего по цеху"));
      F->Width->SetText(QString::fromLatin1(C.Width));
      F->AutoSize->SetChecked(false);
      F->Stretch->SetChecked(true);
      F->Transparent->SetChecked(true);
      F->OKBtn->Click();
    });
    EXPECT_TRUE(Editor.ShowEditor());
    EXPECT_EQ(Label->Caption(), QStringLiteral("Всего по цеху"));
    EXPECT_EQ(Label->Size()->Width(), C.Expected);
    EXPECT_EQ(Label->Size()->Height(), 6);
    EXPECT_FALSE(Label->AutoSize());
    EXPECT_TRUE(Label->AutoStretch());
    EXPECT_TRUE(Label->Transparent());
  }

  EXPECT_EQ(Before, QStringLiteral("Итого"));
  gui_test::WhenReady([] { return Shown<TQRLabelEditorForm>() != nullptr; }, [] {
    TQRLabelEditorForm* F = Shown<TQRLabelEditorForm>();
    F->Value->SetText(QStringLiteral("не то"));
    F->Width->SetText(QStringLiteral("99"));
    F->Button4->Click();
  });
  EXPECT_FALSE(Editor.ShowEditor());
  EXPECT_EQ(Label->Caption(), QStringLiteral("Всего по цеху"));
  EXPECT_EQ(Label->Size()->Width(), 0);
}

// The expression editor shows the expression and its mask; the "..." button
// puts what the builder confirmed into the text.
TEST_F(ControlEditorsTest, ExpressionEditorTakesTheBuildersExpression)
{
  auto* Expr = Put<TQRExpr>();
  Expr->SetExpression(QStringLiteral("SUM([summa])"));
  Expr->SetMask(QStringLiteral("#0.00"));
  ASSERT_EQ(Expr->EditorClass(), TQRExprEditor::StaticClass());
  TQRExprEditor Editor(Expr);
  EXPECT_EQ(Editor.Value(), QStringLiteral("SUM([summa])"));

  String ShownText, ShownMask, BuilderText;
  gui_test::WhenReady([] { return Shown<TQRExprEditorForm>() != nullptr; }, [&] {
    TQRExprEditorForm* F = Shown<TQRExprEditorForm>();
    ShownText = F->Value->Text();
    ShownMask = F->Mask->Text();
    gui_test::WhenReady([] { return Shown<TQRExpressionBuilder>() != nullptr; }, [&] {
      TQRExpressionBuilder* B = Shown<TQRExpressionBuilder>();
      BuilderText = B->Expr->Text();
      B->Expr->SetText(QStringLiteral("COUNT"));
      B->OKButton->Click();
    });
    F->ShowExprBuilder->Click();
    F->Mask->SetText(QStringLiteral("#0.000"));
    F->OKBtn->Click();
  });
  EXPECT_TRUE(Editor.ShowEditor());
  EXPECT_EQ(ShownText, QStringLiteral("SUM([summa])"));
  EXPECT_EQ(ShownMask, QStringLiteral("#0.00"));
  EXPECT_EQ(BuilderText, QStringLiteral("SUM([summa])"));
  EXPECT_EQ(Expr->Expression(), QStringLiteral("COUNT"));
  EXPECT_EQ(Expr->Mask(), QStringLiteral("#0.000"));
}
