// DBCheckBoxTest.cpp: the data-aware check box on a form read from its
// description, over the roles table of the test server: a Boolean field, a
// text field read through value lists, the toggle cycle with and without
// the grayed state, keys, posting on exit; and pictures of its states.
#include "gridlib/editors/DBCtrlsEh.h"

#include "platform/data/ADODB.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Screenshot.h"
#include "platform/gui/StdCtrls.h"
#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/gridlib/editors/EditorsTestSupport.h"

#include <gtest/gtest.h>

using gui_test::GuiTest;

namespace {

class TCheckForm : public TForm {
  VELMORA_CLASS(TCheckForm)
public:
  explicit TCheckForm(TComponent* AOwner) : TForm(AOwner, 0) {}
  Integer Clicks = 0;
  void ActiveBoxClick(TObject*) { ++Clicks; }
  template <class T>
  T* Find(const char* Name) const
  {
    return editors_test::Find<T>(this, Name);
  }
};

const char* CheckFormDescription = R"(object CheckForm: TCheckForm
  Left = 0
  Top = 0
  Caption = 'Роль'
  ClientHeight = 110
  ClientWidth = 260
  object ActiveBox: TDBCheckBoxEh
    Left = 8
    Top = 8
    Width = 200
    Height = 17
    Caption = '&Активна'
    DataField = 'b_active'
    DataSource = DataSource1
    TabOrder = 0
    ValueChecked = '1;t;true'
    ValueUnchecked = '0;f;false'
    OnClick = ActiveBoxClick
  end
  object CaptionBox: TDBCheckBoxEh
    Left = 8
    Top = 32
    Width = 200
    Height = 17
    Caption = 'Подтверждена'
    DataField = 's_caption'
    DataSource = DataSource1
    TabOrder = 1
    ValueChecked = 'Да; Верно'
    ValueUnchecked = 'Нет;'
  end
  object Edit1: TEdit
    Left = 8
    Top = 60
    Width = 120
    Height = 21
    TabOrder = 2
  end
  object DataSource1: TDataSource
  end
end
)";

class DBCheckBoxTest : public GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    RegisterDBCtrlsEhCheckBoxClasses();
    RegisterClassInfo<TCheckForm, TForm>("TCheckForm").Handler("ActiveBoxClick", &TCheckForm::ActiveBoxClick);
    Db = editors_test::OpenTestSession();
    Db->Execute(QStringLiteral(
      "insert into adm_role.roles (id, s_name, s_caption, b_active) values "
      "(9001, 'r1', 'Да', true), (9002, 'r2', 'верно', false), (9003, 'r3', 'нет', true), "
      "(9004, 'r4', '', false), (9005, 'r5', 'может быть', true)"));
    Rows = std::make_unique<TADOQuery>(nullptr);
    Rows->SetConnection(Db.get());
    Rows->SQL()->SetText(
      QStringLiteral("select id, s_name, s_caption, b_active from adm_role.roles where id > 9000 order by id"));
    Rows->Open();
    Form = new TCheckForm(Application);
    ReadComponentFromText(QString::fromUtf8(CheckFormDescription), Form);
    Form->AfterConstruction();
    Form->Find<TDataSource>("DataSource1")->SetDataSet(Rows.get());
    Active = Form->Find<TDBCheckBoxEh>("ActiveBox");
    Text = Form->Find<TDBCheckBoxEh>("CaptionBox");
    Form->Show();
    QCoreApplication::processEvents();   // the window system activates the form
  }
  // Moves the focus as the user's Tab would, letting the window system act.
  void Focus(TWinControl* Control)
  {
    Control->SetFocus();
    QCoreApplication::processEvents();
  }
  void TearDown() override
  {
    delete Form;
    Rows.reset();
    Db->RollbackTrans();
    GuiTest::TearDown();
  }
  // The stored row as the server has it now.
  String Stored(Integer Id, const char* Column)
  {
    TADOQuery Q(nullptr);
    Q.SetConnection(Db.get());
    Q.SQL()->SetText(QStringLiteral("select coalesce(%1::text, '<null>') from adm_role.roles where id = %2")
                       .arg(QString::fromLatin1(Column))
                       .arg(Id));
    Q.Open();
    return Q.Fields()->Fields(0)->AsString();
  }
  void GoTo(Integer Id)
  {
    ASSERT_TRUE(Rows->Locate(QStringLiteral("id"), Variant(Id), {}));
  }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOQuery> Rows;
  TCheckForm* Form = nullptr;
  TDBCheckBoxEh* Active = nullptr;
  TDBCheckBoxEh* Text = nullptr;
};

} // namespace

TEST_F(DBCheckBoxTest, ReadsBooleanAndTextFieldsRowByRow)
{
  // The client's driver settings bring booleans as short texts, so a form
  // names their texts in the value lists.
  ASSERT_EQ(Rows->FieldByName(QStringLiteral("b_active"))->DataType(), ftString);
  EXPECT_EQ(Text->ValueChecked(), QStringLiteral("Да; Верно"));
  struct Case {
    Integer Id;
    TCheckBoxState Active, Text;
  };
  // Either checked text in any case reads checked; the unchecked text and an
  // empty text (the list ends with ";") read unchecked; others read grayed.
  const Case Cases[] = {{9001, cbChecked, cbChecked},
                        {9002, cbUnchecked, cbChecked},
                        {9003, cbChecked, cbUnchecked},
                        {9004, cbUnchecked, cbUnchecked},
                        {9005, cbChecked, cbGrayed}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Id);
    GoTo(C.Id);
    EXPECT_EQ(Active->State(), C.Active);
    EXPECT_EQ(Text->State(), C.Text);
    EXPECT_FALSE(Active->Modified());
  }
  // Without the lists the field's text names neither default text.
  GoTo(9001);
  Active->SetValueChecked(QStringLiteral("True"));
  Active->SetValueUnchecked(QStringLiteral("False"));
  EXPECT_EQ(Active->State(), cbGrayed);
}

TEST_F(DBCheckBoxTest, ClicksCycleAndPostOnExit)
{
  GoTo(9002);
  Focus(Active);
  ASSERT_TRUE(Active->Focused());
  const Integer ClicksBefore = Form->Clicks;
  gui_test::Click(Active);
  EXPECT_EQ(Active->State(), cbChecked);
  EXPECT_EQ(Rows->State(), dsEdit);
  EXPECT_EQ(Form->Clicks, ClicksBefore + 1);
  // Leaving the check box writes the field; posting stores it.
  Focus(Form->Find<TEdit>("Edit1"));
  EXPECT_EQ(Rows->FieldByName(QStringLiteral("b_active"))->Text(), QStringLiteral("1"));
  Rows->Post();
  EXPECT_EQ(Stored(9002, "b_active"), QStringLiteral("true"));

  // Without AllowGrayed a click never produces grayed: a grayed row checks.
  GoTo(9005);
  ASSERT_EQ(Text->State(), cbGrayed);
  Focus(Text);
  gui_test::Key(Text, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  EXPECT_EQ(Text->State(), cbChecked);
  gui_test::Key(Text, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  EXPECT_EQ(Text->State(), cbUnchecked);
  // With it the cycle passes through grayed; writing grayed clears the
  // text, which this column refuses: the server's error reaches the caller
  // and the row stays in edit until cancelled.
  Text->SetAllowGrayed(true);
  gui_test::Click(Text);
  EXPECT_EQ(Text->State(), cbGrayed);
  Focus(Form->Find<TEdit>("Edit1"));
  EXPECT_TRUE(Rows->FieldByName(QStringLiteral("s_caption"))->IsNull());
  EXPECT_ANY_THROW(Rows->Post());
  EXPECT_EQ(Rows->State(), dsEdit);
  Rows->Cancel();
  EXPECT_EQ(Stored(9005, "s_caption"), QStringLiteral("может быть"));
  EXPECT_EQ(Text->State(), cbGrayed);

  // Checking writes the first checked text, unchecking the unchecked one.
  Focus(Text);
  gui_test::Click(Text);
  EXPECT_EQ(Text->State(), cbChecked);
  Focus(Form->Find<TEdit>("Edit1"));
  Rows->Post();
  EXPECT_EQ(Stored(9005, "s_caption"), QStringLiteral("Да"));
  Text->SetState(cbUnchecked);
  Rows->Post();
  EXPECT_EQ(Stored(9005, "s_caption"), QStringLiteral("Нет"));
}

TEST_F(DBCheckBoxTest, EscapeDropsTheToggleAndAcceleratorToggles)
{
  GoTo(9001);
  Focus(Active);
  gui_test::Key(Active, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  EXPECT_EQ(Active->State(), cbUnchecked);
  EXPECT_TRUE(Active->Modified());
  gui_test::Key(Active, Qt::Key_Escape, Qt::NoModifier, QString(QChar(0x1B)));
  EXPECT_EQ(Active->State(), cbChecked);
  EXPECT_FALSE(Active->Modified());

  // Alt and the caption's marked letter take the focus and toggle.
  Focus(Form->Find<TEdit>("Edit1"));
  Active->Perform(CM_DIALOGCHAR, WPARAM(QChar(u'а').unicode()));
  QCoreApplication::processEvents();
  EXPECT_TRUE(Active->Focused());
  EXPECT_EQ(Active->State(), cbUnchecked);

  // A read-only check box does not toggle.
  Active->SetReadOnly(true);
  gui_test::Click(Active);
  EXPECT_EQ(Active->State(), cbUnchecked);
}

TEST_F(GuiTest, DataIndependentCheckBoxKeepsItsOwnValue)
{
  RegisterDBCtrlsEhCheckBoxClasses();
  TForm* Form = new TForm(Application, 0);
  auto* Box = new TDBCheckBoxEh(Form);
  Box->SetParent(Form);
  EXPECT_EQ(Box->State(), cbUnchecked);
  EXPECT_FALSE(Box->StateStored());
  Box->SetState(cbGrayed);
  EXPECT_TRUE(Box->DataLink()->DataIndependentValue.IsNull());
  EXPECT_TRUE(Box->StateStored());
  Box->SetChecked(true);
  EXPECT_TRUE(VarValuesEqualEh(Box->DataLink()->DataIndependentValue, Variant(true)));

  // A field name without a data source: a clear error, no state taken.
  auto* Bound = new TDBCheckBoxEh(Form);
  Bound->SetDataField(QStringLiteral("b_active"));
  EXPECT_THROW(Bound->SetState(cbChecked), EDatabaseError);
  EXPECT_EQ(Bound->State(), cbUnchecked);
  delete Form;
}

TEST_F(GuiTest, CheckBoxStatesPictured)
{
  RegisterDBCtrlsEhCheckBoxClasses();
  for (const char* StyleName : {"Windows", "Ocean"}) {
    SCOPED_TRACE(StyleName);
    ASSERT_TRUE(TStyleManager::TrySetStyle(QString::fromLatin1(StyleName), false));
    TForm* Form = new TForm(Application, 0);
    Form->SetClientWidth(380);
    Form->SetClientHeight(110);
    Form->SetColor(clBtnFace);
    struct Item {
      const char* Caption;
      TCheckBoxState State;
      bool Flat, Enabled, LeftCaption;
    };
    const Item Items[] = {{"Снят", cbUnchecked, false, true, false},
                          {"Отмечен", cbChecked, false, true, false},
                          {"Неопределён", cbGrayed, false, true, false},
                          {"Плоский отмеченный", cbChecked, true, true, false},
                          {"Недоступен", cbChecked, false, false, false},
                          {"Подпись слева", cbChecked, false, true, true}};
    Integer I = 0;
    std::vector<TDBCheckBoxEh*> Boxes;
    for (const Item& It : Items) {
      auto* B = new TDBCheckBoxEh(Form);
      B->SetParent(Form);
      B->SetBounds(8 + (I % 2) * 190, 8 + (I / 2) * 32, 170, 20);
      B->SetCaption(QString::fromUtf8(It.Caption));
      B->SetState(It.State);
      B->SetFlat(It.Flat);
      B->SetEnabled(It.Enabled);
      if (It.LeftCaption)
        B->SetAlignment(TLeftRight::taLeftJustify);
      Boxes.push_back(B);
      ++I;
    }
    Form->Show();
    Boxes[1]->SetFocus();
    const String File = gui_test::OutputPath(QStringLiteral("dbcheckbox_states_%1.png").arg(QString::fromLatin1(StyleName)));
    ASSERT_TRUE(SaveScreenshot(Form, File));
    QImage Shot(File);
    ASSERT_FALSE(Shot.isNull());
    // The picture holds the window's caption bar above the client area.
    const Integer Top = Shot.height() - Form->ClientHeight();
    // The checked box has a mark drawn inside it: darker pixels than the
    // unchecked one at the same place of its box.
    auto DarkPixels = [&](TDBCheckBoxEh* B) {
      Integer Dark = 0;
      for (Integer Y = Top + B->Top() + 4; Y < Top + B->Top() + 16; ++Y)
        for (Integer X = B->Left() + 3; X < B->Left() + 12; ++X)
          if (qGray(Shot.pixel(X, Y)) < 100)
            ++Dark;
      return Dark;
    };
    EXPECT_GT(DarkPixels(Boxes[1]), DarkPixels(Boxes[0]) + 5);
    delete Form;
  }
  TStyleManager::TrySetStyle(QStringLiteral("Windows"), false);
}
