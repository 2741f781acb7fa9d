// WorkersTest.cpp: the workers book: search, add, change, delete with its
// question and the database's refusal, the editor's lists and wheel, and
// picking a worker for the shift-record editor and the request headers.
#include "tests/app/AppTestSupport.h"

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "platform/data/DBCtrls.h"
#include "platform/data/DBGrids.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Screenshot.h"

namespace {

using namespace apptest;

class Workers : public AppTest {
protected:
  void SetUp() override
  {
    AppTest::SetUp();
    testsupport::OdbcSession Db;
    Db.Exec("insert into cmn_department.department(id, s_caption, id_parent, type, s_type) values "
            "(1, 'Цех №1', 0, -1, ''), (2, 'Цех №2', 0, -1, ''), (3, 'Склад', 0, 2, 'Склад сырья')");
    Db.Exec("insert into hrms_staffpos.staffpos(id, s_caption, id_department) values "
            "(1, 'Мастер', 1), (2, 'Сварщик', 1), (3, 'Токарь', 2)");
    Db.Exec("insert into adm_role.roles(id, s_name, s_caption, b_active) values "
            "(1, 'master', 'Мастер смены', true), (2, 'worker', 'Рабочий', true)");
    Db.Exec("insert into cmn_contractor.person(id, s_caption, s_second_name, s_first_name, s_third_name, "
            "b_employee, id_staffpos, id_department, id_role) values "
            "(1, 'Иванов Иван Иванович', 'Иванов', 'Иван', 'Иванович', true, 1, 1, 1), "
            "(2, 'Петров Пётр Петрович', 'Петров', 'Пётр', 'Петрович', true, 2, 1, 2), "
            "(3, 'О''Нил Шон Патрик', 'О''Нил', 'Шон', 'Патрик', true, 3, 2, 2), "
            "(4, 'Сидорова Анна Сергеевна', 'Сидорова', 'Анна', 'Сергеевна', true, 2, 3, 2), "
            "(5, 'Уволенный Ушёл Давно', 'Уволенный', 'Ушёл', 'Давно', false, 2, 1, 2)");
    Db.Exec("select setval('cmn_contractor.person_id_seq', 100)");
    // Petrov has a shift record, so the database keeps him.
    Db.Exec("insert into accounts_dep.smena(data, smena, w_id) values ('2024-03-05', 1, 2)");
    StartClient();
    List()->Open();
  }
  static TADOQuery* List() { return DataModule6->workers; }
  static String Name() { return List()->FieldByName(QStringLiteral("s_caption"))->AsString(); }
  static std::vector<testsupport::Row> Rows(const std::string& Where = "true")
  {
    testsupport::OdbcSession Db;
    return Db.Rows("select s_caption, s_second_name, s_first_name, s_third_name, id_staffpos, id_department, "
                   "id_role, b_employee from cmn_contractor.person where " + Where + " order by id");
  }
  static void Locate(const char* FullName)
  {
    ASSERT_TRUE(List()->Locate(QStringLiteral("s_caption"), QString::fromUtf8(FullName), {}));
  }
  // What the shift-record editor and the request headers do before they
  // show the list to pick.
  static void PreparePick(Integer Tag, bool HideAdd = true)
  {
    Form5->SetTag(Tag);
    Form5->Button2->SetCaption(QStringLiteral("Выбрать"));
    Form5->Button2->SetDefault(true);
    Form5->Button2->SetVisible(true);
    Form5->Button3->SetVisible(false);
    if (HideAdd)
      Form5->Button1->SetVisible(false);
    Form5->Edit1->SetVisible(true);
    Form5->Edit1->Clear();
    DataModule6->workers->Open();
  }
  // Picks the worker whose name begins with Typed through the search box
  // and a double-click, as a user would.
  static void PickByName(const char* Typed)
  {
    WhenActive(Form5, [Typed] {
      Form5->Edit1->SetText(QString::fromUtf8(Typed));
      DoubleClickRow(Form5->DBGrid1, Form5->DBGrid1->CellRect(0, 0));
    });
    Form5->ShowModal();
  }
};

TEST_F(Workers, ListShowsEmployeesOnlyAndSearchesByFullName)
{
  EXPECT_EQ(List()->RecordCount(), 4) << "a former employee is not listed";
  struct Case { const char* Typed; int Rows; };
  const Case Cases[] = {{"ИВАНОВ", 1}, {"о'н", 1}, {"П", 1}, {"Иван Иванович", 0}, {"_", 0}, {"", 4}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Typed);
    Form5->Edit1->SetText(QString::fromUtf8(C.Typed));
    EXPECT_EQ(List()->RecordCount(), C.Rows);
  }
}

// The full name is the three trimmed parts with one blank between them.
TEST_F(Workers, AddBuildsTheFullName)
{
  Later([&] {
    EXPECT_EQ(Form2->Tag(), 1);
    EXPECT_EQ(Std(Form2->Caption()), "Заведение данных нового работника");
    EXPECT_TRUE(Form2->Edit1->Text().isEmpty());
    EXPECT_TRUE(Form2->staffpos->Active());
    EXPECT_TRUE(Form2->roles->Active());
    EXPECT_TRUE(Form2->department->Active());
    Form2->Edit1->SetText(QStringLiteral("  Кузнецова  "));
    Form2->Edit2->SetText(QStringLiteral(" Мария"));
    Form2->Edit3->SetText(QStringLiteral("Ивановна   "));
    Form2->LCB_staffpos->SetKeyValue(3);
    Form2->LCB_department->SetKeyValue(2);
    Form2->LCB_roles->SetKeyValue(1);
    EXPECT_TRUE(SaveScreenshot(Form2, OutputPath(QStringLiteral("app_worker_editor.png"))));
    Form2->Button1->Click();
  });
  Form5->Button1->Click();
  EXPECT_FALSE(Form2->Showing());
  EXPECT_FALSE(Form2->staffpos->Active()) << "the editor closes its tables with it";
  const auto Added = Rows("id > 100");
  ASSERT_EQ(Added.size(), 1u);
  EXPECT_EQ(*Added[0][0], "Кузнецова Мария Ивановна");
  EXPECT_EQ(*Added[0][1], "Кузнецова");
  EXPECT_EQ(*Added[0][4], "3");
  EXPECT_EQ(*Added[0][5], "2");
  EXPECT_EQ(*Added[0][6], "1");
  EXPECT_EQ(*Added[0][7], "1") << "a new person is an employee by the database's default";
  EXPECT_EQ(List()->RecordCount(), 5);
  EXPECT_EQ(List()->RecNo(), 1) << "the list stands on its first row";
}

TEST_F(Workers, EveryFieldIsRequired)
{
  struct Case { const char* What; std::function<void()> Clear; };
  const Case Cases[] = {
    {"surname", [] { Form2->Edit1->SetText(QStringLiteral("  ")); }},
    {"first name", [] { Form2->Edit2->Clear(); }},
    {"patronymic", [] { Form2->Edit3->Clear(); }},
    {"position", [] { Form2->LCB_staffpos->SetKeyValue(Null); }},
    {"department", [] { Form2->LCB_department->SetKeyValue(Null); }},
    {"role", [] { Form2->LCB_roles->SetKeyValue(Null); }},
  };
  Locate("Иванов Иван Иванович");
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    Boxes.clear();
    bool StillOpen = false;
    Later([&] {
      C.Clear();
      Form2->Button1->Click();
      StillOpen = Form2->Showing();
      Form2->Button2->Click();
    });
    Form5->Button2->Click();
    EXPECT_TRUE(StillOpen);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Std(Boxes[0].Text), "Все поля должны быть заполнены!");
    EXPECT_EQ(Std(Boxes[0].Caption), "Ошибка");
  }
  EXPECT_EQ(*Rows("id = 1").at(0)[0], "Иванов Иван Иванович");
}

TEST_F(Workers, ChangeFillsTheEditorAndReturnsToTheSameRow)
{
  Locate("О'Нил Шон Патрик");
  const Integer RecNo = List()->RecNo();
  Later([&] {
    EXPECT_EQ(Form2->Tag(), 2);
    EXPECT_EQ(Std(Form2->Caption()), "Изменение данных работника");
    EXPECT_EQ(Form2->WorkerId, 3);
    EXPECT_EQ(Std(Form2->Edit1->Text()), "О'Нил");
    EXPECT_EQ(Std(Form2->Edit3->Text()), "Патрик");
    EXPECT_EQ(Std(Form2->LCB_staffpos->Text()), "Токарь");
    EXPECT_EQ(Std(Form2->LCB_department->Text()), "Цех №2");
    EXPECT_EQ(Std(Form2->LCB_roles->Text()), "Рабочий");
    Form2->Edit1->SetText(QStringLiteral("Абрамов"));   // moves to the top of the name order
    Form2->LCB_roles->SetKeyValue(1);
    Form2->Button1->Click();
  });
  Form5->Button2->Click();
  EXPECT_EQ(List()->RecNo(), RecNo);
  const auto Changed = Rows("id = 3");
  EXPECT_EQ(*Changed.at(0)[0], "Абрамов Шон Патрик");
  EXPECT_EQ(*Changed.at(0)[4], "3");
  EXPECT_EQ(*Changed.at(0)[6], "1");
  EXPECT_EQ(Rows().size(), 5u);
}

TEST_F(Workers, DeleteAsksAndTheDatabaseMayRefuse)
{
  Locate("О'Нил Шон Патрик");
  const Integer RecNo = List()->RecNo();
  Answer = [](const TMessageBoxRequest&) { return IDNO; };
  Form5->Button3->Click();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Std(Boxes[0].Text), "Удалить работника?");
  EXPECT_EQ(Std(Boxes[0].Caption), "Удаление");
  EXPECT_EQ(Boxes[0].Flags & (MB_YESNO | MB_ICONQUESTION), UINT(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(Rows("id = 3").size(), 1u);

  Answer = [](const TMessageBoxRequest&) { return IDYES; };
  Form5->Button3->Click();
  EXPECT_TRUE(Rows("id = 3").empty());
  EXPECT_EQ(List()->RecNo(), RecNo);

  // A worker with shift records stays, and the list with him.
  Locate("Петров Пётр Петрович");
  EXPECT_THROW(Form5->Button3->Click(), Exception);
  EXPECT_EQ(Rows("id = 2").size(), 1u);
  EXPECT_EQ(Std(Name()), "Петров Пётр Петрович");
}

TEST_F(Workers, EmptyListIgnoresChangeAndDelete)
{
  Form5->Edit1->SetText(QStringLiteral("нет такого"));
  ASSERT_TRUE(List()->IsEmpty());
  bool EditorShown = false;
  Later([&] {
    EditorShown = Form2->Showing();
    if (EditorShown)
      Form2->Button2->Click();
  });
  Form5->Button2->Click();
  Form5->Button3->Click();
  EXPECT_FALSE(EditorShown);
  EXPECT_TRUE(Boxes.empty());
  QCoreApplication::processEvents();
}

// The wheel turns whichever of the three lists has the focus, one row per
// notch, and none while an edit has it.
TEST_F(Workers, WheelMovesTheFocusedList)
{
  Locate("Иванов Иван Иванович");
  Later([&] {
    Form2->Edit1->SetFocus();
    TurnWheel(Form2->Edit1, -1);
    EXPECT_EQ(Std(Form2->LCB_staffpos->Text()), "Мастер");
    EXPECT_EQ(Std(Form2->LCB_roles->Text()), "Мастер смены");
    Form2->LCB_staffpos->SetFocus();
    TurnWheel(Form2->LCB_staffpos, -2);
    EXPECT_EQ(Std(Form2->LCB_staffpos->Text()), "Токарь");
    Form2->LCB_roles->SetFocus();
    TurnWheel(Form2->LCB_roles, -1);
    EXPECT_EQ(Std(Form2->LCB_roles->Text()), "Рабочий");
    Form2->LCB_department->SetFocus();
    TurnWheel(Form2->LCB_department, -1);
    TurnWheel(Form2->LCB_department, 1);
    TurnWheel(Form2->LCB_department, -1);
    EXPECT_EQ(Std(Form2->LCB_department->Text()), "Цех №2");
    EXPECT_EQ(Std(Form2->LCB_staffpos->Text()), "Токарь") << "only the focused list moves";
    Form2->Button1->Click();
  });
  Form5->Button2->Click();
  const auto Changed = Rows("id = 1");
  EXPECT_EQ(*Changed.at(0)[4], "3");
  EXPECT_EQ(*Changed.at(0)[5], "2");
  EXPECT_EQ(*Changed.at(0)[6], "2");
}

// The shift-record editor: a new record takes the worker and shows his
// name; a saved record takes only a different worker; the name box of a
// saved record is never touched.
TEST_F(Workers, PickForTheShiftRecordEditor)
{
  auto* Record = new TPickCaller("Form11");
  struct Case { const char* What; Integer SavedWorkerId; const char* Typed; Integer Picked; Integer WorkerId;
                const char* Box; };
  const Case Cases[] = {
    {"new record", 0, "Сид", 1, 4, "Сидорова Анна Сергеевна"},
    {"saved record, same worker", 2, "Петров", 0, 0, "прежний"},
    {"saved record, another worker", 2, "Иванов", 1, 1, "прежний"},
    {"empty list", 0, "нет такого", 0, 0, "прежний"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    Record->SavedWorkerId = C.SavedWorkerId;
    Record->WorkerId = 0;
    Record->CoWorkerId = 0;
    Record->Edit1->SetText(QStringLiteral("прежний"));
    PreparePick(11);
    PickByName(C.Typed);
    EXPECT_FALSE(Form5->Showing());
    EXPECT_EQ(Form5->WorkerPicked, C.Picked);
    EXPECT_EQ(Record->WorkerId, C.WorkerId);
    EXPECT_EQ(Record->CoWorkerId, C.WorkerId);
    EXPECT_EQ(Std(Record->Edit1->Text()), C.Box);
    EXPECT_EQ(Record->SavedWorkerId, C.SavedWorkerId);
  }
}

// The list resets its flag whenever it becomes active, so a flag left by an
// earlier pick never reaches the next caller.
TEST_F(Workers, WorkerPickedIsResetOnActivation)
{
  new TPickCaller("Form11");
  Form5->WorkerPicked = 1;
  PreparePick(11, false);
  bool Reset = false;
  WhenActive(Form5, [&] {
    Reset = Form5->WorkerPicked == 0;
    EXPECT_TRUE(Form5->Button1->Visible()) << "the co-worker command leaves \"Добавить\"";
    Form5->Button4->Click();
  });
  Form5->ShowModal();
  EXPECT_TRUE(Reset);
  EXPECT_EQ(Form5->WorkerPicked, 0);
}

TEST_F(Workers, PickForARequestHeader)
{
  for (Integer Tag : {43, 61}) {
    SCOPED_TRACE(Tag);
    auto* Header = new TPickCaller(Tag == 43 ? "Form43" : "Form61");
    Header->Edit1->SetText(QStringLiteral("ООО Альфа"));
    PreparePick(Tag);
    PickByName("о'нил");
    EXPECT_FALSE(Form5->Showing());
    EXPECT_EQ(Header->PersonId, 3);
    EXPECT_EQ(Std(Header->Edit2->Text()), "О'Нил Шон Патрик");
    EXPECT_EQ(Std(Header->Edit1->Text()), "ООО Альфа");
    EXPECT_EQ(Header->JurPersonId, 0);
    EXPECT_EQ(Form5->WorkerPicked, 0) << "only the shift-record editor reads the flag";

    Header->PersonId = 9;
    PreparePick(Tag);
    PickByName("нет такого");
    EXPECT_FALSE(Form5->Showing()) << "an empty list closes too";
    EXPECT_EQ(Header->PersonId, 9);
  }
}

TEST_F(Workers, UnknownTagDoesNothing)
{
  auto* Record = new TPickCaller("Form11");
  PreparePick(12);
  bool StillOpen = false;
  Later([&] {
    Form5->Button2->Click();
    QCoreApplication::processEvents();
    StillOpen = Form5->Showing();
    Form5->Button4->Click();
  });
  Form5->ShowModal();
  EXPECT_TRUE(StillOpen);
  EXPECT_EQ(Record->WorkerId, 0);
}

// After a pick the menu shows all four buttons again, with "Выбрать" still
// on the change button, and the book works for maintenance.
TEST_F(Workers, MenuRestoresTheButtonsAfterAPick)
{
  List()->Close();
  new TPickCaller("Form43");
  PreparePick(43);
  PickByName("Иванов");
  DataModule6->workers->Close();

  SignIn([&] {
    bool Checked = false;
    Later([&] {
      Checked = true;
      EXPECT_EQ(Form5->Tag(), 0);
      EXPECT_TRUE(DataModule6->workers->Active());
      for (TButton* B : {Form5->Button1, Form5->Button2, Form5->Button3, Form5->Button4})
        EXPECT_TRUE(B->Visible());
      EXPECT_EQ(Std(Form5->Button2->Caption()), "Выбрать");
      Later([&] {
        EXPECT_EQ(Form2->Tag(), 2);
        Form2->Button2->Click();
      });
      Form5->Button2->Click();
      Form5->Button4->Click();
    });
    Form1->N1->Click();
    EXPECT_TRUE(Checked);
    EXPECT_FALSE(DataModule6->workers->Active());
  });
}

}  // namespace
