// ExpressionBuilderTest.cpp: the expression builder and the environment
// editor, driven with clicks and keys as a user works them.
#include "report/engine/QRExpBld.h"

#include "platform/gui/Screenshot.h"
#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/report/engine/ReportTestSupport.h"

#include <QTimer>

using gui_test::Click;
using gui_test::GuiTest;

void PrintTo(const QString& S, std::ostream* Out) { *Out << '"' << S.toStdString() << '"'; }

namespace {

// Keys with their text, sent to the edit itself whatever the window
// system's focus.
void Keys(TCustomEdit* Edit, const QString& Text)
{
  for (QChar C : Text) {
    QKeyEvent Press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(C));
    QCoreApplication::sendEvent(Edit->Widget(), &Press);
  }
}

// A click into the edit, Ctrl+A, Delete, then the text.
void TypeInto(TCustomEdit* Edit, const QString& Text)
{
  Click(Edit);
  QKeyEvent SelectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
  QCoreApplication::sendEvent(Edit->Widget(), &SelectAll);
  QKeyEvent Erase(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QCoreApplication::sendEvent(Edit->Widget(), &Erase);
  Keys(Edit, Text);
}

// Picks an item with the keys a user presses in a list: Home, then Down.
void PickItem(TListBox* List, const String& Item)
{
  const Integer I = List->Items()->IndexOf(Item);
  ASSERT_GE(I, 0) << Item.toStdString();
  auto Press = [List](int K) {
    QKeyEvent E(QEvent::KeyPress, K, Qt::NoModifier);
    QCoreApplication::sendEvent(List->Widget(), &E);
  };
  Click(List);
  Press(Qt::Key_Home);
  for (Integer N = 0; N < I; ++N)
    Press(Qt::Key_Down);
  ASSERT_EQ(List->ItemIndex(), I);
}

TButton* ButtonOf(TWinControl* Page, const String& Caption)
{
  for (Integer I = 0; I < Page->ComponentCount(); ++I)
    if (auto* B = dynamic_cast<TButton*>(Page->Components(I)); B && B->Caption() == Caption)
      return B;
  ADD_FAILURE() << "no button " << Caption.toStdString();
  return nullptr;
}

// Runs Drive inside the modal loop once Form is up.
void WhenShown(TCustomForm* Form, std::function<void()> Drive, int Tries = 500)
{
  QTimer::singleShot(10, qApp, [=] {
    if (Form->Visible())
      Drive();
    else if (Tries > 0)
      WhenShown(Form, Drive, Tries - 1);
  });
}

void Shot(TControl* C, const char* Name)
{
  EXPECT_TRUE(SaveScreenshot(C, gui_test::OutputPath(QString::fromLatin1(Name))));
}

std::vector<std::pair<String, String>> Entries(TQREvEnvironment& Env)
{
  std::vector<std::pair<String, String>> R;
  for (Integer I = 0; I < Env.Count(); ++I)
    R.emplace_back(Env.Strings(I), Env.Entry(I)->Expression());
  return R;
}

} // namespace

// A field, an operator and a function with its arguments make one
// expression; a check shows the result or the error and keeps the text.
TEST_F(GuiTest, BuilderComposesAndChecksAnExpression)
{
  TADOConnection Db(nullptr);
  OpenTestConnection(Db);
  auto* Owner = new TForm(Application, 0);
  auto* Orders = new TADOQuery(Owner);
  Orders->SetName(QStringLiteral("Orders"));
  Orders->SetConnection(&Db);
  Orders->SQL()->SetText(QStringLiteral("select 'Болт'::varchar as name, 3::int as qty"));
  Orders->Open();

  TQREvEnvironment Env;
  Env.AddFunction(QStringLiteral("Rate"), QStringLiteral("10"));
  auto* B = new TQRExpressionBuilder(Application, Owner, &Env);
  B->Show();

  Click(B->DataFieldButton);
  EXPECT_TRUE(B->DataFieldPage->Visible());
  PickItem(B->AvailableDatasets, QStringLiteral("Orders"));
  PickItem(B->AvailableFields, QStringLiteral("name"));
  Click(ButtonOf(B->DataFieldPage, QStringLiteral("ОК")));
  EXPECT_FALSE(B->DataFieldPage->Visible());
  Click(B->OperatorButtons[0]);   // +

  Click(B->FunctionButton);
  PickItem(B->Categories, QStringLiteral("Прочие"));
  PickItem(B->FunctionList, QStringLiteral("COPY"));
  EXPECT_TRUE(B->FuncName->Caption().startsWith(QStringLiteral("COPY(")));
  Click(ButtonOf(B->FunctionPage, QStringLiteral("&Далее")));
  ASSERT_TRUE(B->FuncParamsPage->Visible());
  ASSERT_EQ(B->ParamEdits.size(), 3u);
  Shot(B, "expression-builder-arguments.png");
  const char* Args[] = {"'abc'", "1", "2"};
  for (int I = 0; I < 3; ++I)
    TypeInto(B->ParamEdits[std::size_t(I)], QString::fromLatin1(Args[I]));
  Click(ButtonOf(B->FuncParamsPage, QStringLiteral("ОК")));
  EXPECT_EQ(B->Expr->Text(), QStringLiteral("Orders.name + COPY('abc',1,2)"));

  Click(B->OperatorButtons[0]);
  Click(B->VariableButton);
  PickItem(B->AvailableVariables, QStringLiteral("RATE"));
  EXPECT_EQ(B->VariableValue->Caption(), QStringLiteral("10"));
  EXPECT_GE(B->AvailableVariables->Items()->IndexOf(QStringLiteral("APPNAME")), 0);   // the global ones follow
  Click(ButtonOf(B->VariablePage, QStringLiteral("ОК")));
  EXPECT_EQ(B->Expr->Text(), QStringLiteral("Orders.name + COPY('abc',1,2) + RATE"));

  Click(B->ValidateButton);
  EXPECT_EQ(B->ValidateResult->Caption(), QStringLiteral("Ошибок нет. Результат: Болтab10"));
  EXPECT_FALSE(Env.Prepared());   // the check leaves nothing prepared

  struct Case { const char* Text; const char* Shown; };
  const Case Cases[] = {
    {"1 + 1", "Ошибок нет. Результат: 2"},
    {"''", "Ошибок нет. Результат: "},   // an empty text is a result, not an error
    {"X", "ОШИБКА: Unknown function : X"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Text);
    Click(B->ClearButton);
    EXPECT_EQ(B->Expr->Text(), String());
    Keys(B->Expr, QString::fromUtf8(C.Text));
    Click(B->ValidateButton);
    EXPECT_EQ(B->ValidateResult->Caption(), QString::fromUtf8(C.Shown));
    EXPECT_TRUE(B->Visible());
    EXPECT_EQ(B->Expr->Text(), QString::fromUtf8(C.Text));
  }
  Shot(B, "expression-builder.png");
  delete B;
  delete Owner;
}

// The builder answers the edited text on OK and an empty one on Cancel.
TEST_F(GuiTest, BuilderAnswersOnlyAConfirmedExpression)
{
  for (bool Confirm : {true, false}) {
    auto* B = new TQRExpressionBuilder(Application, nullptr, nullptr);
    WhenShown(B, [B, Confirm] {
      EXPECT_EQ(B->Heading->Caption(), QStringLiteral("Цена"));
      Keys(B->Expr, QStringLiteral(" * 2"));
      Click(Confirm ? B->OKButton : B->CancelButton);
    });
    String Text = QStringLiteral("1");
    EXPECT_EQ(B->Execute(QStringLiteral("Цена"), Text, nullptr), Confirm);
    // The edit starts with the whole text selected: typing replaces it.
    EXPECT_EQ(Text, Confirm ? QStringLiteral(" * 2") : String());
    delete B;
  }
}

// Entries added, changed and deleted reach the environment only on OK.
TEST_F(GuiTest, EnvironmentEditorChangesTheEnvironmentOnlyOnOK)
{
  TQREvEnvironment Env;
  Env.AddFunction(QStringLiteral("A"), QStringLiteral("1"));
  Env.AddFunction(QStringLiteral("B"), QStringLiteral("2"));
  const auto Before = Entries(Env);
  TQREvEmbeddedFunction* KeptEntry = Env.Entry(1);

  for (bool Confirm : {false, true}) {
    SCOPED_TRACE(Confirm ? "OK" : "Cancel");
    auto* E = new TQREnvironmentEditor(Application, &Env, false);
    EXPECT_FALSE(E->GlobalDefines->Enabled());
    EXPECT_TRUE(E->LocalDefines->Checked());
    WhenShown(E, [E, Confirm] {
      ASSERT_EQ(E->UDFGrid->Count(), 2);
      // A new entry
      Click(E->AddButton);
      EXPECT_TRUE(E->EntryGroup->Visible());
      EXPECT_FALSE(E->OKButton->Visible());
      TypeInto(E->EntryName, QStringLiteral("c"));
      TypeInto(E->EntryExpression, QStringLiteral("A + 1"));
      Click(E->EntryOK);
      EXPECT_FALSE(E->EntryGroup->Visible());
      EXPECT_EQ(E->UDFGrid->Items()->Strings(2), QStringLiteral("C = A + 1"));
      // A name already taken is refused and the group stays open.
      Click(E->AddButton);
      TypeInto(E->EntryName, QStringLiteral("b"));
      Click(E->EntryOK);
      EXPECT_TRUE(E->EntryGroup->Visible());
      EXPECT_EQ(E->EntryError->Caption(), QStringLiteral("Имя B уже есть."));
      Shot(E, "environment-editor-entry.png");
      Click(E->EntryCancel);
      EXPECT_EQ(E->UDFGrid->Count(), 3);
      // B renamed and given a new expression
      PickItem(E->UDFGrid, QStringLiteral("B = 2"));
      Click(E->EditButton);
      EXPECT_EQ(E->EntryExpression->Text(), QStringLiteral("2"));
      TypeInto(E->EntryName, QStringLiteral("bb"));
      TypeInto(E->EntryExpression, QStringLiteral("5 * 2"));
      Click(E->EntryOK);
      // A deleted
      PickItem(E->UDFGrid, QStringLiteral("A = 1"));
      Click(E->DeleteButton);
      EXPECT_EQ(E->UDFGrid->Count(), 2);
      EXPECT_EQ(E->UDFGrid->Items()->Strings(0), QStringLiteral("BB = 5 * 2"));
      Shot(E, "environment-editor.png");
      Click(Confirm ? E->OKButton : E->CancelButton);
    });
    EXPECT_EQ(E->Execute(), Confirm);
    delete E;
    if (!Confirm) {
      EXPECT_EQ(Entries(Env), Before);
    }
  }
  const std::vector<std::pair<String, String>> After = {{"BB", "5 * 2"}, {"C", "A + 1"}};
  EXPECT_EQ(Entries(Env), After);
  EXPECT_EQ(Env.Entry(0) != KeptEntry, true);   // a new expression is a new entry
  TQREvaluator Eval;
  Eval.SetEnvironment(&Env);
  TQREvResult R;
  Env.Prepare();
  Eval.Calculate(QStringLiteral("bb + 1"), R);
  EXPECT_EQ(EvResultToString(R), QStringLiteral("11"));
  Eval.Calculate(QStringLiteral("C"), R);   // A is gone
  EXPECT_EQ(R.Kind, resError);
  Env.Unprepare();
}

// "..." of a new entry opens the builder over the editor; its OK puts the
// composed text into the entry.
TEST_F(GuiTest, EditorOpensTheBuilderForAnEntry)
{
  TQREvEnvironment Env;
  auto* E = new TQREnvironmentEditor(Application, &Env, true);
  WhenShown(E, [E] {
    Click(E->AddButton);
    TypeInto(E->EntryName, QStringLiteral("total"));
    QTimer::singleShot(10, qApp, [E] {
      TQRExpressionBuilder* B = nullptr;
      for (Integer I = 0; I < Application->ComponentCount(); ++I)
        if (auto* F = dynamic_cast<TQRExpressionBuilder*>(Application->Components(I)))
          B = F;
      ASSERT_NE(B, nullptr);
      EXPECT_TRUE(B->Visible());
      EXPECT_EQ(B->Left(), E->Left());   // over the calling dialog
      EXPECT_EQ(B->Heading->Caption(), QStringLiteral("TOTAL"));
      Keys(B->Expr, QStringLiteral("2"));
      Click(B->OperatorButtons[2]);   // *
      Keys(B->Expr, QStringLiteral("3"));
      Shot(B, "expression-builder-for-entry.png");
      Click(B->OKButton);
    });
    Click(E->EntryExpressionButton);
    EXPECT_EQ(E->EntryExpression->Text(), QStringLiteral("2 * 3"));
    Click(E->EntryOK);
    Click(E->OKButton);
  });
  EXPECT_TRUE(E->Execute());
  delete E;
  ASSERT_EQ(Env.Count(), 1);
  EXPECT_EQ(Env.Strings(0), QStringLiteral("TOTAL"));
  EXPECT_EQ(Env.Entry(0)->Expression(), QStringLiteral("2 * 3"));
}

// While a report runs, its environment is prepared and its constants are
// held: the editor may rename entries but neither re-express nor delete them.
TEST_F(GuiTest, EditorKeepsTheEntriesOfAPreparedEnvironment)
{
  TQREvEnvironment Env;
  Env.AddFunction(QStringLiteral("PAGENUMBER"), QStringLiteral("0"));
  Env.Prepare();
  TQREvElement* Constant = Env.GetConstant(QStringLiteral("PAGENUMBER"));
  auto* E = new TQREnvironmentEditor(Application, &Env, false);
  WhenShown(E, [E] {
    PickItem(E->UDFGrid, QStringLiteral("PAGENUMBER = 0"));
    Click(E->DeleteButton);
    EXPECT_EQ(E->UDFGrid->Count(), 1);
    Click(E->EditButton);
    EXPECT_TRUE(E->EntryExpression->ReadOnly());
    TypeInto(E->EntryName, QStringLiteral("page"));
    Click(E->EntryOK);
    Click(E->OKButton);
  });
  EXPECT_TRUE(E->Execute());
  delete E;
  ASSERT_EQ(Env.Count(), 1);
  EXPECT_EQ(Env.Strings(0), QStringLiteral("PAGE"));
  EXPECT_EQ(Env.GetConstant(QStringLiteral("PAGE")), Constant);
  Env.SetIntegerConstant(Constant, 4);
  TQREvResult R;
  Env.Value(QStringLiteral("page"), R);
  EXPECT_EQ(EvResultToString(R), QStringLiteral("4"));
  Env.Unprepare();
}
