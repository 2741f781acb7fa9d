// StaffPositionsTest.cpp: the staff positions book: search, add, change,
// delete with its question and the database's refusal, the department box
// and its wheel.
#include "tests/app/AppTestSupport.h"

#include "app/Unit26.h"
#include "app/Unit27.h"
#include "app/Unit6.h"
#include "platform/data/DBCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Screenshot.h"

namespace {

using namespace apptest;

class StaffPositions : public AppTest {
protected:
  void SetUp() override
  {
    AppTest::SetUp();
    testsupport::OdbcSession Db;
    Db.Exec("insert into cmn_department.department(id, s_caption, id_parent, type, s_type) values "
            "(1, 'Администрация', 0, -1, ''), (2, 'Бухгалтерия', 0, -1, ''), (3, 'Цех №1', 0, -1, '')");
    Db.Exec("insert into hrms_staffpos.staffpos(id, s_caption, s_description, id_department, d_begin, d_end) values "
            "(1, 'Директор', 'Руководство', 1, '2020-01-01', NULL), "
            "(2, 'Мастер', 'Смена', 3, '2021-02-03', '2030-12-31'), "
            "(3, 'мастер участка', NULL, 3, NULL, NULL), "
            "(4, 'Оператор O''Neil', NULL, 2, NULL, NULL)");
    Db.Exec("select setval('hrms_staffpos.staffpos_id_seq', 100)");
    // A worker holds position 1, so the database refuses to delete it.
    Db.Exec("insert into adm_role.roles(id, s_name, s_caption, b_active) values (1, 'worker', 'Рабочий', true)");
    Db.Exec("insert into cmn_contractor.person(id, s_caption, id_staffpos, id_department, id_role) "
            "values (1, 'Иванов Иван Иванович', 1, 1, 1)");
    StartClient();
    List()->Open();
  }
  static TADOQuery* List() { return DataModule6->staffpos; }
  static String Caption() { return List()->FieldByName(QStringLiteral("s_caption"))->AsString(); }
  static std::vector<testsupport::Row> Rows(const std::string& Where = "true")
  {
    testsupport::OdbcSession Db;
    return Db.Rows("select s_caption, coalesce(s_description, '<null>'), id_department, "
                   "coalesce(d_begin::text, '<null>'), coalesce(d_end::text, '<null>') "
                   "from hrms_staffpos.staffpos where " + Where + " order by id");
  }
  static void Locate(const char* Name)
  {
    ASSERT_TRUE(List()->Locate(QStringLiteral("s_caption"), QString::fromUtf8(Name), {}));
  }
};

TEST_F(StaffPositions, SearchIsALiteralPrefixOfTheName)
{
  struct Case { const char* Typed; int Rows; };
  const Case Cases[] = {{"мастер", 2}, {"МАСТЕР У", 1}, {"Оператор O'", 1}, {"%", 0}, {"_астер", 0}, {"", 4}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Typed);
    Form26->Edit1->SetText(QString::fromUtf8(C.Typed));
    EXPECT_EQ(List()->RecordCount(), C.Rows);
  }
}

TEST_F(StaffPositions, AddStoresANewPositionAndKeepsTheDepartmentChoice)
{
  // The box keeps the department of the position opened last.
  Locate("Мастер");
  Later([&] { Form27->Button2->Click(); });
  Form26->Button2->Click();

  Later([&] {
    EXPECT_EQ(Form27->Tag(), 1);
    EXPECT_TRUE(Form27->Edit1->Text().isEmpty());
    EXPECT_TRUE(Form27->Edit2->Text().isEmpty());
    EXPECT_EQ(Form27->p_department->KeyValue().AsInteger(), 3);
    EXPECT_TRUE(Form27->cb_department->Active());
    Form27->Edit1->SetText(QStringLiteral("  Кладовщик  "));
    Form27->Edit2->SetText(QStringLiteral(" Склад "));
    Form27->p_department->SetKeyValue(2);
    EXPECT_TRUE(SaveScreenshot(Form27, OutputPath(QStringLiteral("app_staff_position_editor.png"))));
    Form27->Button1->Click();
  });
  Form26->Button1->Click();
  EXPECT_FALSE(Form27->Showing());
  const auto Added = Rows("id > 100");
  ASSERT_EQ(Added.size(), 1u);
  EXPECT_EQ(*Added[0][0], "Кладовщик");
  EXPECT_EQ(*Added[0][1], "Склад");
  EXPECT_EQ(*Added[0][2], "2");
  EXPECT_EQ(*Added[0][3], "<null>") << "the book never writes the validity dates";
  EXPECT_TRUE(List()->Active());
  EXPECT_EQ(List()->RecordCount(), 5);
}

TEST_F(StaffPositions, AddWithoutADepartmentStoresDepartmentZero)
{
  Later([&] {
    Form27->p_department->SetKeyValue(Null);
    Form27->Edit1->SetText(QStringLiteral("Стажёр"));
    Form27->Button1->Click();
  });
  Form26->Button1->Click();
  EXPECT_EQ(*Rows("id > 100").at(0)[2], "0");
}

TEST_F(StaffPositions, ChangeReturnsToTheSameRowAndKeepsTheDates)
{
  Locate("Мастер");
  const Integer RecNo = List()->RecNo();
  Later([&] {
    EXPECT_EQ(Form27->Tag(), 0);
    EXPECT_EQ(Std(Form27->Edit1->Text()), "Мастер");
    EXPECT_EQ(Std(Form27->Edit2->Text()), "Смена");
    EXPECT_EQ(Std(Form27->p_department->Text()), "Цех №1");
    Form27->Edit1->SetText(QStringLiteral("Ящик O'Brien"));   // moves to the end of the name order
    Form27->Edit2->SetText(QStringLiteral("'; delete from hrms_staffpos.staffpos; --"));
    Form27->p_department->SetKeyValue(1);
    Form27->Button1->Click();
  });
  Form26->Button2->Click();
  EXPECT_EQ(List()->RecNo(), RecNo);
  EXPECT_NE(Std(Caption()), "Ящик O'Brien") << "the row number stays, the row moved";
  const auto Changed = Rows("id = 2");
  EXPECT_EQ(*Changed.at(0)[0], "Ящик O'Brien");
  EXPECT_EQ(*Changed.at(0)[1], "'; delete from hrms_staffpos.staffpos; --");
  EXPECT_EQ(*Changed.at(0)[2], "1");
  EXPECT_EQ(*Changed.at(0)[3], "2021-02-03");
  EXPECT_EQ(*Changed.at(0)[4], "2030-12-31");
  EXPECT_EQ(Rows().size(), 4u);
  EXPECT_FALSE(Form27->cb_department->Active()) << "the list closes the editor's table after a change";
}

TEST_F(StaffPositions, EmptyNameIsRefused)
{
  Locate("Директор");
  bool StillOpen = false;
  Later([&] {
    Form27->Edit1->SetText(QStringLiteral("  "));
    Form27->Button1->Click();
    StillOpen = Form27->Showing();
    Form27->Button2->Click();
  });
  Form26->Button2->Click();
  EXPECT_TRUE(StillOpen);
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Std(Boxes[0].Text), "Все поля должны быть заполнены!");
  EXPECT_EQ(Std(Boxes[0].Caption), "Ошибка");
  EXPECT_EQ(Boxes[0].Flags & MB_ICONERROR, UINT(MB_ICONERROR));
  EXPECT_EQ(*Rows("id = 1").at(0)[0], "Директор");
}

TEST_F(StaffPositions, DeleteAsksAndTheDatabaseMayRefuse)
{
  Locate("Мастер");
  const Integer RecNo = List()->RecNo();
  Answer = [](const TMessageBoxRequest&) { return IDNO; };
  Form26->Button3->Click();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Std(Boxes[0].Text), "Удалить строку?");
  EXPECT_EQ(Std(Boxes[0].Caption), "Удаление");
  EXPECT_EQ(Boxes[0].Flags & (MB_YESNO | MB_ICONQUESTION), UINT(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(Rows().size(), 4u);

  Answer = [](const TMessageBoxRequest&) { return IDYES; };
  Form26->Button3->Click();
  EXPECT_TRUE(Rows("id = 2").empty());
  EXPECT_EQ(List()->RecNo(), RecNo);

  // A position a worker holds stays; the refusal goes to the error dialog.
  Locate("Директор");
  EXPECT_THROW(Form26->Button3->Click(), Exception);
  EXPECT_EQ(Rows("id = 1").size(), 1u);
  EXPECT_EQ(Std(Caption()), "Директор");
}

TEST_F(StaffPositions, EmptyListIgnoresChangeAndDelete)
{
  Form26->Edit1->SetText(QStringLiteral("нет такой"));
  ASSERT_TRUE(List()->IsEmpty());
  bool EditorShown = false;
  Later([&] {
    EditorShown = Form27->Showing();
    if (EditorShown)
      Form27->Button2->Click();
  });
  Form26->Button2->Click();
  Form26->Button3->Click();
  EXPECT_FALSE(EditorShown);
  EXPECT_TRUE(Boxes.empty());
  EXPECT_EQ(Rows().size(), 4u);
  QCoreApplication::processEvents();
}

// The wheel over the editor moves the department box one row per notch
// while the box has the focus, and does nothing to it otherwise.
TEST_F(StaffPositions, WheelMovesTheFocusedDepartmentBox)
{
  Locate("Оператор O'Neil");
  Later([&] {
    ASSERT_EQ(Std(Form27->p_department->Text()), "Бухгалтерия");
    Form27->Edit1->SetFocus();
    TurnWheel(Form27->Edit1, -1);
    EXPECT_EQ(Std(Form27->p_department->Text()), "Бухгалтерия");
    Form27->p_department->SetFocus();
    TurnWheel(Form27->p_department, -1);
    EXPECT_EQ(Std(Form27->p_department->Text()), "Цех №1");
    TurnWheel(Form27->p_department, 2);
    EXPECT_EQ(Std(Form27->p_department->Text()), "Администрация");
    EXPECT_EQ(Form27->p_department->KeyValue().AsInteger(), 1);
    Form27->Button1->Click();
  });
  Form26->Button2->Click();
  EXPECT_EQ(*Rows("id = 4").at(0)[2], "1");
}

}  // namespace
