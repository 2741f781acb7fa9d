// DepartmentsTest.cpp: the departments book end to end: search, add,
// change, delete, the warehouse type coding and typed text that must reach
// the database as typed.
#include "tests/app/AppTestSupport.h"

#include "app/Unit1.h"
#include "app/Unit30.h"
#include "app/Unit31.h"
#include "app/Unit6.h"
#include "platform/data/DBCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Screenshot.h"

#include <QKeyEvent>
#include <QWidget>

namespace {

using namespace apptest;

class Departments : public AppTest {
protected:
  void SetUp() override
  {
    AppTest::SetUp();
    testsupport::OdbcSession Db;
    Db.Exec("insert into cmn_department.department(id, s_caption, s_description, id_parent, type, s_type) values "
            "(1, 'Администрация', 'Управление', 0, -1, ''), "
            "(2, 'Склад сырья', 'Металл', 0, 2, 'Склад сырья'), "
            "(3, 'Цех №1', 'Заготовка', 1, -1, ''), "
            "(4, 'цех покраски', NULL, 1, 1, 'Склад заготовок'), "
            "(5, 'Отдел O''Brien', NULL, 0, -1, '')");
    Db.Exec("select setval('cmn_department.department_id_seq', 100)");
    StartClient();
    DataModule6->department->Open();
  }
  static TADOQuery* List() { return DataModule6->department; }
  static String Caption() { return List()->FieldByName(QStringLiteral("s_caption"))->AsString(); }
  static std::vector<testsupport::Row> Rows(const std::string& Where = "id <> 0")
  {
    testsupport::OdbcSession Db;
    return Db.Rows("select s_caption, coalesce(s_description, ''), id_parent, type, s_type "
                   "from cmn_department.department where " + Where + " order by id");
  }
  static void Locate(const char* Name)
  {
    ASSERT_TRUE(List()->Locate(QStringLiteral("s_caption"), QString::fromUtf8(Name), {}));
  }
};

TEST_F(Departments, SearchIsAPrefixMatchOnTheName)
{
  struct Case { const char* Typed; int Rows; };
  const Case Cases[] = {{"Цех", 2}, {"ЦЕХ П", 1}, {"Склад", 1}, {"Отдел O'", 1}, {"' or 1=1 --", 0}, {"", 5}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Typed);
    Form30->Edit1->SetText(QString::fromUtf8(C.Typed));
    EXPECT_EQ(List()->RecordCount(), C.Rows);
  }
}

// Keys a person presses: letters and Backspace edit the search text, while
// the box's key-down handler consumes every key.
TEST_F(Departments, TypingInTheSearchBoxFilters)
{
  Form30->Show();
  Form30->Edit1->SetFocus();
  QWidget* Box = Form30->Edit1->Widget();
  ASSERT_NE(Box, nullptr);
  auto Press = [&](int Key, const QString& Text) {
    QKeyEvent Down(QEvent::KeyPress, Key, Qt::NoModifier, Text);
    QCoreApplication::sendEvent(Box, &Down);
    QKeyEvent Up(QEvent::KeyRelease, Key, Qt::NoModifier, Text);
    QCoreApplication::sendEvent(Box, &Up);
  };
  for (const QString& Letter : {QStringLiteral("ц"), QStringLiteral("е"), QStringLiteral("х"), QStringLiteral("ы")})
    Press(0, Letter);
  EXPECT_EQ(Std(Form30->Edit1->Text()), "цехы");
  EXPECT_EQ(List()->RecordCount(), 0);
  Press(Qt::Key_Backspace, QString());
  EXPECT_EQ(Std(Form30->Edit1->Text()), "цех");
  EXPECT_EQ(List()->RecordCount(), 2);
  Form30->Hide();
}

TEST_F(Departments, UpAndDownInTheSearchBoxMoveTheList)
{
  List()->First();
  Form30->Edit1->Perform(WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(List()->RecNo(), 2);
  Form30->Edit1->Perform(WM_KEYDOWN, VK_DOWN, 0);
  Form30->Edit1->Perform(WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(List()->RecNo(), 2);
}

TEST_F(Departments, AddStoresANewDepartment)
{
  bool Shown = false;
  Later([&] {
    Shown = Form31->Showing();
    EXPECT_EQ(Form31->Tag(), 1);
    EXPECT_TRUE(Form31->Edit1->Text().isEmpty());
    EXPECT_FALSE(Form31->CheckBox1->Checked());
    EXPECT_FALSE(Form31->type_combo->Enabled());
    EXPECT_EQ(Form31->type_combo->ItemIndex(), -1);
    Form31->Edit1->SetText(QStringLiteral("  Цех сборки  "));
    Form31->Edit2->SetText(QStringLiteral("Сборка металлоконструкций"));
    Form31->Button1->Click();
  });
  Form30->Button5->Click();
  EXPECT_TRUE(Shown);
  EXPECT_FALSE(Form31->Showing());
  const auto Added = Rows("id > 100");
  ASSERT_EQ(Added.size(), 1u);
  EXPECT_EQ(*Added[0][0], "Цех сборки");
  EXPECT_EQ(*Added[0][1], "Сборка металлоконструкций");
  EXPECT_EQ(*Added[0][2], "0") << "no parent chosen";
  EXPECT_EQ(*Added[0][3], "-1") << "not a warehouse";
  EXPECT_EQ(*Added[0][4], "");
  EXPECT_TRUE(List()->Active());
  EXPECT_EQ(List()->RecordCount(), 6);
  EXPECT_FALSE(Form31->cb_department->Active()) << "the editor's table closes with it";
}

// Ticking the box by hand selects the first type; the types are stored by
// their position, the text beside them.
TEST_F(Departments, WarehouseTypeCoding)
{
  Later([&] {
    Form31->Edit1->SetText(QStringLiteral("Склад ГП"));
    Form31->CheckBox1->SetChecked(true);
    Form31->CheckBox1->Click();
    EXPECT_EQ(Form31->type_combo->ItemIndex(), 0);
    EXPECT_TRUE(Form31->type_combo->Enabled());
    EXPECT_TRUE(Form31->Label3->Enabled());
    Form31->Button1->Click();
  });
  Form30->Button5->Click();
  EXPECT_EQ(Rows("s_caption = 'Склад ГП'").at(0)[3], "0");
  EXPECT_EQ(Rows("s_caption = 'Склад ГП'").at(0)[4], "Склад ГП");

  // A non-warehouse first, then the raw-material warehouse: its type shows
  // and survives a save without changes.
  Locate("Администрация");
  Later([&] {
    EXPECT_FALSE(Form31->CheckBox1->Checked());
    Form31->Button2->Click();
  });
  Form30->Button2->Click();
  Locate("Склад сырья");
  Later([&] {
    EXPECT_EQ(Form31->Tag(), 0);
    EXPECT_TRUE(Form31->CheckBox1->Checked());
    EXPECT_TRUE(Form31->type_combo->Enabled());
    EXPECT_EQ(Form31->type_combo->ItemIndex(), 2);
    EXPECT_EQ(Std(Form31->type_combo->Text()), "Склад сырья");
    Form31->Button1->Click();
  });
  Form30->Button2->Click();
  EXPECT_EQ(Rows("id = 2").at(0)[3], "2");
  EXPECT_EQ(Rows("id = 2").at(0)[4], "Склад сырья");

  // Clearing the box makes it an ordinary department again.
  Locate("цех покраски");
  Later([&] {
    EXPECT_EQ(Std(Form31->p_department->Text()), "Администрация");
    EXPECT_EQ(Form31->type_combo->ItemIndex(), 1);
    EXPECT_TRUE(SaveScreenshot(Form31, OutputPath(QStringLiteral("app_department_editor.png"))));
    Form31->CheckBox1->SetChecked(false);
    Form31->CheckBox1->Click();
    EXPECT_EQ(Form31->type_combo->ItemIndex(), -1);
    Form31->Button1->Click();
  });
  Form30->Button2->Click();
  EXPECT_EQ(Rows("id = 4").at(0)[3], "-1");
  EXPECT_EQ(Rows("id = 4").at(0)[4], "");
}

TEST_F(Departments, ChangeReturnsToTheSameRow)
{
  Locate("Отдел O'Brien");
  const Integer RecNo = List()->RecNo();
  Later([&] {
    EXPECT_EQ(Std(Form31->Edit1->Text()), "Отдел O'Brien");
    EXPECT_EQ(Form31->p_department->KeyValue().AsInteger(), 0);
    Form31->Edit1->SetText(QStringLiteral("Ящик O'Brien"));   // moves to the end of the name order
    Form31->Edit2->SetText(QStringLiteral("примечание"));
    Form31->Button1->Click();
  });
  Form30->Button2->Click();
  EXPECT_EQ(List()->RecNo(), RecNo);
  const auto Changed = Rows("id = 5");
  EXPECT_EQ(*Changed.at(0)[0], "Ящик O'Brien");
  EXPECT_EQ(*Changed.at(0)[1], "примечание");
  EXPECT_EQ(Rows().size(), 5u);
}

TEST_F(Departments, ParentIsChosenFromTheLookup)
{
  Locate("Цех №1");
  Later([&] {
    EXPECT_EQ(Form31->p_department->KeyValue().AsInteger(), 1);
    Form31->p_department->SetKeyValue(2);
    Form31->Button1->Click();
  });
  Form30->Button2->Click();
  EXPECT_EQ(*Rows("id = 3").at(0)[2], "2");
}

TEST_F(Departments, EmptyNameIsRefused)
{
  Locate("Администрация");
  bool StillOpen = false;
  Later([&] {
    Form31->Edit1->SetText(QStringLiteral("   "));
    Form31->Button1->Click();
    StillOpen = Form31->Showing();
    Form31->Button2->Click();
  });
  Form30->Button2->Click();
  EXPECT_TRUE(StillOpen);
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Std(Boxes[0].Text), "Все поля должны быть заполнены!");
  EXPECT_EQ(Std(Boxes[0].Caption), "Ошибка");
  EXPECT_EQ(*Rows("id = 1").at(0)[0], "Администрация");
}

TEST_F(Departments, DeleteAsksFirst)
{
  Locate("Склад сырья");
  const Integer RecNo = List()->RecNo();
  Answer = [](const TMessageBoxRequest&) { return IDNO; };
  Form30->Button3->Click();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Std(Boxes[0].Text), "Удалить строку?");
  EXPECT_EQ(Std(Boxes[0].Caption), "Удаление");
  EXPECT_EQ(Boxes[0].Flags & (MB_YESNO | MB_ICONQUESTION), UINT(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(Rows().size(), 5u);
  EXPECT_EQ(List()->RecNo(), RecNo);

  Answer = [](const TMessageBoxRequest&) { return IDYES; };
  Form30->Button3->Click();
  EXPECT_TRUE(Rows("id = 2").empty());
  EXPECT_EQ(List()->RecNo(), RecNo) << "back on the same row number";

  // After the last row the number is gone: the list stays on the first row.
  List()->Last();
  Form30->Button3->Click();
  EXPECT_EQ(Rows().size(), 3u);
  EXPECT_EQ(List()->RecNo(), 1);
}

TEST_F(Departments, EmptyListIgnoresChangeAndDelete)
{
  Form30->Edit1->SetText(QStringLiteral("нет такого"));
  ASSERT_TRUE(List()->IsEmpty());
  bool EditorShown = false;
  Later([&] {
    EditorShown = Form31->Showing();
    if (EditorShown)
      Form31->Button2->Click();
  });
  Form30->Button2->Click();
  Form30->Button3->Click();
  EXPECT_FALSE(EditorShown);
  EXPECT_TRUE(Boxes.empty());
  EXPECT_EQ(Rows().size(), 5u);
  QCoreApplication::processEvents();
}

// Every box the user types into: the statement never changes, the text is
// stored exactly as typed (trimmed, as the book trims names and notes).
TEST_F(Departments, TypedSqlIsStoredAsText)
{
  const char* Name = "x'); delete from cmn_department.department; --";
  const char* Note = "'; update ver set d = 0; select '\\";
  Later([&] {
    Form31->Edit1->SetText(QString::fromUtf8(Name));
    Form31->Edit2->SetText(QString::fromUtf8(Note));
    Form31->Button1->Click();
  });
  Form30->Button5->Click();
  EXPECT_EQ(Rows().size(), 6u);
  const auto Added = Rows("id > 100");
  ASSERT_EQ(Added.size(), 1u);
  EXPECT_EQ(*Added[0][0], Name);
  EXPECT_EQ(*Added[0][1], Note);

  Form30->Edit1->SetText(QString::fromUtf8("x');"));
  EXPECT_EQ(List()->RecordCount(), 1);
  EXPECT_EQ(Std(Caption()), Name);
  Form30->Edit1->SetText(QString());
  EXPECT_EQ(List()->RecordCount(), 6);
}

}  // namespace
