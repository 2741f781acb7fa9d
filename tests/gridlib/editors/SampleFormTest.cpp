// SampleFormTest.cpp: one form as the client would describe it, with the
// text editor, an editor with edit buttons and the check box over one row of
// the roles table of the test server: the row loads into all three, typed
// text, a toggle and the memo window's text reach the server.
#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/editors/MemoEditFormsEh.h"

#include "platform/data/ADODB.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "tests/gridlib/editors/EditorsTestSupport.h"
#include "tests/platform/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

namespace {

const char* RoleFormDescription = R"(object RoleForm: TForm
  Left = 0
  Top = 0
  Caption = 'Роль'
  ClientHeight = 150
  ClientWidth = 300
  object NameEdit: TDBEditEh
    Left = 8
    Top = 8
    Width = 200
    Height = 21
    DataField = 's_name'
    DataSource = DataSource1
    TabOrder = 0
  end
  object CaptionEdit: TDBEditEh
    Left = 8
    Top = 40
    Width = 200
    Height = 21
    DataField = 's_caption'
    DataSource = DataSource1
    EditButtons = <
      item
        Style = ebsEllipsisEh
      end>
    TabOrder = 1
  end
  object ActiveBox: TDBCheckBoxEh
    Left = 8
    Top = 72
    Width = 200
    Height = 17
    Caption = '&Активна'
    DataField = 'b_active'
    DataSource = DataSource1
    TabOrder = 2
    ValueChecked = '1'
    ValueUnchecked = '0'
  end
  object DataSource1: TDataSource
  end
end
)";

class SampleFormTest : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    RegisterDBCtrlsEhClasses();
    Db = editors_test::OpenTestSession();
    Db->Execute(QStringLiteral("insert into adm_role.roles (id, s_name, s_caption, b_active) values "
                               "(9201, 'склад', 'Кладовщик', true)"));
    Rows = std::make_unique<TADOQuery>(nullptr);
    Rows->SetConnection(Db.get());
    Rows->SQL()->SetText(
      QStringLiteral("select id, s_name, s_caption, b_active from adm_role.roles where id = 9201"));
    Rows->Open();
    Form = new TForm(Application, 0);
    ReadComponentFromText(QString::fromUtf8(RoleFormDescription), Form);
    Form->AfterConstruction();
    editors_test::Find<TDataSource>(Form, "DataSource1")->SetDataSet(Rows.get());
    Name = editors_test::Find<TDBEditEh>(Form, "NameEdit");
    Caption = editors_test::Find<TDBEditEh>(Form, "CaptionEdit");
    Active = editors_test::Find<TDBCheckBoxEh>(Form, "ActiveBox");
    Form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override
  {
    delete Form;
    Rows.reset();
    Db->RollbackTrans();
    GuiTest::TearDown();
  }
  String Stored(const char* Column)
  {
    TADOQuery Q(nullptr);
    Q.SetConnection(Db.get());
    Q.SQL()->SetText(
      QStringLiteral("select %1::text from adm_role.roles where id = 9201").arg(QString::fromLatin1(Column)));
    Q.Open();
    return Q.Fields()->Fields(0)->AsString();
  }
  void Focus(TWinControl* Control)
  {
    Control->SetFocus();
    Application->ProcessMessages();
  }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOQuery> Rows;
  TForm* Form = nullptr;
  TDBEditEh* Name = nullptr;
  TDBEditEh* Caption = nullptr;
  TDBCheckBoxEh* Active = nullptr;
};

} // namespace

TEST_F(SampleFormTest, TheRowLoadsIsEditedInEachControlAndReachesTheServer)
{
  EXPECT_EQ(Name->Text(), QStringLiteral("склад"));
  EXPECT_EQ(Caption->Text(), QStringLiteral("Кладовщик"));
  EXPECT_TRUE(Active->Checked());
  ASSERT_TRUE(Caption->ButtonsBox()->Visible());

  // Typed text, Escape gives the stored one back; typed again, it is written
  // to the field when the user moves on.
  Focus(Name);
  Name->SelectAll();
  gui_test::Type(Name, QStringLiteral("цех"));
  gui_test::Key(Name, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
  EXPECT_EQ(Name->Text(), QStringLiteral("склад"));
  Name->SelectAll();
  gui_test::Type(Name, QStringLiteral("цех"));
  Focus(Active);
  EXPECT_EQ(Rows->FieldByName(QStringLiteral("s_name"))->AsString(), QStringLiteral("цех"));

  // The check box toggles on its key.
  gui_test::Key(Active, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  EXPECT_FALSE(Active->Checked());

  // The ellipsis button edits the caption in the memo window.
  Focus(Caption);
  gui_test::WhenReady([] { return TMemoEditWinEh::GlobalRef()->Visible(); }, [] {
    TMemoEditWinEh* Win = TMemoEditWinEh::GlobalRef();
    Win->Memo1->SetText(QStringLiteral("Кладовщик\r\nсклада № 2"));
    Win->sbOk->Click();
  });
  TEditButtonControlEh* Ellipsis = Caption->ButtonsBox()->BtnCtlList()[1].EditButtonControl;
  bool AutoRepeat = false, Handled = false;
  Caption->ButtonsBox()->OnDown(Ellipsis, true, AutoRepeat, Handled);
  Ellipsis->Click();
  EXPECT_EQ(Caption->Text(), QStringLiteral("Кладовщик\r\nсклада № 2"));
  Focus(Name);

  Rows->Post();
  EXPECT_EQ(Stored("s_name"), QStringLiteral("цех"));
  EXPECT_EQ(Stored("s_caption"), QStringLiteral("Кладовщик\r\nсклада № 2"));
  EXPECT_EQ(Stored("b_active"), QStringLiteral("false"));
}
