// OperationsTest.cpp: the operation types book with its pick mode, the
// operation dialog of a process route and the norms grid of an operation.
#include "tests/app/AppTestSupport.h"
#include "tests/platform/gui/GuiTestSupport.h"

#include "app/Unit1.h"
#include "app/Unit10.h"
#include "app/Unit22.h"
#include "app/Unit6.h"
#include "app/Unit8.h"
#include "app/Unit9.h"
#include "platform/data/DBCtrls.h"
#include "platform/data/DBGrids.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Screenshot.h"

#include <QKeyEvent>
#include <QWidget>

namespace {

using namespace apptest;

class Operations : public AppTest {
protected:
  void SetUp() override
  {
    AppTest::SetUp();
    testsupport::OdbcSession Db;
    Db.Exec("delete from mnf_operation.operation_type");
    Db.Exec("insert into mnf_operation.operation_type(id, s_caption, s_description) values "
            "(1, 'Гибка', 'Листогиб'), (2, 'Резка', 'Гильотина'), (3, 'резка лазером', NULL), "
            "(4, 'Сварка O''Hara', 'Полуавтомат')");
    Db.Exec("select setval('mnf_operation.operation_type_id_seq', 100)");
    Db.Exec("insert into mnf_operation.operation_state(id, s_caption) values (2, 'Брак')");
    Db.Exec("insert into cmn_inventory_items.inventory_items(id, marka, id_type) values "
            "(10, 'Кронштейн', 2), (11, 'Лист 2мм', 0), (12, 'Стойка', 2)");
    Db.Exec("insert into mnf_proc_tech.proc_tech(id, s_caption, id_inventory_items, id_gds) values "
            "(1, 'Кронштейн', 10, 11), (2, 'Стойка', 12, 11)");
    Db.Exec("insert into mnf_operation.operation(id, id_type, id_state, price, id_inventory_items, id_proc_tech, "
            "orderby) values (1, 2, 1, 10.5, 10, 1, 1), (2, 1, 1, 4, 10, 1, 2), (3, 4, 0, 20, 10, 1, 5)");
    Db.Exec("select setval('mnf_operation.operation_id_seq', 100)");
    StartClient();
    Route = new TPickCaller("Form33");
    Route->RouteId = 1;
    Route->ItemId = 10;
    OpenRoute(1);
  }
  static void OpenRoute(Integer RouteId)
  {
    TADOQuery* Ops = DataModule6->operation;
    Ops->Close();
    Ops->Parameters()->ParamByName(QStringLiteral("id_proc_tech"))->SetValue(RouteId);
    Ops->Open();
  }
  static TADOQuery* Types() { return DataModule6->operation_type; }
  static std::vector<testsupport::Row> TypeRows(const std::string& Where = "true")
  {
    testsupport::OdbcSession Db;
    return Db.Rows("select s_caption, coalesce(s_description, '<null>') from mnf_operation.operation_type where " +
                   Where + " order by id");
  }
  static std::vector<testsupport::Row> OperationRows(const std::string& Where = "true")
  {
    testsupport::OdbcSession Db;
    return Db.Rows("select id_type, id_state, price::text, id_inventory_items, id_proc_tech, orderby "
                   "from mnf_operation.operation where " + Where + " order by id");
  }
  static void LocateType(const char* Name)
  {
    ASSERT_TRUE(Types()->Locate(QStringLiteral("s_caption"), QString::fromUtf8(Name), {}));
  }
  // What the route dialog's "Добавить" does before it shows the dialog.
  static void PrepareNewOperation(Integer RouteId)
  {
    Form10->SetTag(1);
    Form10->max_num->Parameters()->ParamByName(QStringLiteral("id_pt"))->SetValue(RouteId);
    Form10->max_num->Open();
    Form10->Edit1->SetText(Form10->max_num->FieldByName(QStringLiteral("orderby"))->AsString());
    Form10->Edit2->Clear();
    Form10->Edit3->Clear();
    Form10->operation_state->Open();
    Form10->cb_operation_state->SetKeyValue(-1);
  }
  static void AfterNewOperation()
  {
    Form10->max_num->Close();
    Form10->operation_state->Close();
  }
  // Picks the type through "...": the list opens in its pick mode and the
  // type is double-clicked.
  static void PickType(const char* Prefix)
  {
    WhenActive(Form8, [Prefix] {
      EXPECT_EQ(Form8->Tag(), 1);
      EXPECT_FALSE(Form8->Button1->Visible());
      EXPECT_FALSE(Form8->Button3->Visible());
      EXPECT_TRUE(Form8->Button2->Default());
      EXPECT_TRUE(Form8->Edit1->Visible());
      EXPECT_TRUE(Form8->Edit1->Text().isEmpty());
      Form8->Edit1->SetText(QString::fromUtf8(Prefix));
      DoubleClickRow(Form8->DBGrid1, Form8->DBGrid1->CellRect(0, 0));
    });
    Form10->Button3->Click();
  }
  static void Type(TWinControl* Box, const QString& Text)
  {
    QWidget* W = Box->Widget();
    ASSERT_NE(W, nullptr);
    for (QChar C : Text) {
      QKeyEvent Down(QEvent::KeyPress, 0, Qt::NoModifier, QString(C));
      QCoreApplication::sendEvent(W, &Down);
      QKeyEvent Up(QEvent::KeyRelease, 0, Qt::NoModifier, QString(C));
      QCoreApplication::sendEvent(W, &Up);
    }
  }
  TPickCaller* Route = nullptr;
};

// ---------------------------------------------------------------------------
// The types book

TEST_F(Operations, SearchListsTypesThatBeginWithTheText)
{
  Types()->Open();
  struct Case { const char* Typed; int Rows; };
  const Case Cases[] = {{"резка", 2}, {"РЕЗКА Л", 1}, {"лазер", 0}, {"Сварка O'", 1}, {"%", 0}, {"", 4}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Typed);
    Form8->Edit1->SetText(QString::fromUtf8(C.Typed));
    EXPECT_EQ(Types()->RecordCount(), C.Rows);
  }
}

TEST_F(Operations, AddAfterAChangeShowsEmptyBoxes)
{
  Types()->Open();
  LocateType("Гибка");
  Later([&] { Form9->Button2->Click(); });
  Form8->Button2->Click();
  WhenActive(Form9, [&] {
    EXPECT_EQ(Form9->Tag(), 1);
    EXPECT_TRUE(Form9->Edit1->Text().isEmpty());
    EXPECT_TRUE(Form9->Edit2->Text().isEmpty());
    EXPECT_TRUE(Form9->Edit1->Focused()) << "the name box has the focus";
    Form9->Edit1->SetText(QStringLiteral("  Покраска O'Neil "));
    Form9->Edit2->SetText(QStringLiteral("'); delete from mnf_operation.operation_type; --"));
    EXPECT_TRUE(SaveScreenshot(Form9, OutputPath(QStringLiteral("app_operation_type_editor.png"))));
    Form9->Button1->Click();
  });
  Form8->Button1->Click();
  EXPECT_FALSE(Form9->Showing());
  const auto Added = TypeRows("id > 100");
  ASSERT_EQ(Added.size(), 1u);
  EXPECT_EQ(*Added[0][0], "Покраска O'Neil");
  EXPECT_EQ(*Added[0][1], "'); delete from mnf_operation.operation_type; --");
  EXPECT_EQ(Types()->RecordCount(), 5);
}

TEST_F(Operations, ChangeReturnsToTheSameRow)
{
  Types()->Open();
  LocateType("Резка");
  const Integer RecNo = Types()->RecNo();
  Later([&] {
    EXPECT_EQ(Form9->Tag(), 2);
    EXPECT_EQ(Std(Form9->Edit1->Text()), "Резка");
    EXPECT_EQ(Std(Form9->Edit2->Text()), "Гильотина");
    Form9->Edit1->SetText(QStringLiteral("Ювелирная резка"));   // moves to the end of the name order
    Form9->Edit2->Clear();
    Form9->Button1->Click();
  });
  Form8->Button2->Click();
  EXPECT_EQ(Types()->RecNo(), RecNo);
  EXPECT_EQ(*TypeRows("id = 2").at(0)[0], "Ювелирная резка");
  EXPECT_EQ(*TypeRows("id = 2").at(0)[1], "");
  EXPECT_EQ(TypeRows().size(), 4u);
}

TEST_F(Operations, EmptyTypeNameIsRefused)
{
  Types()->Open();
  LocateType("Гибка");
  bool StillOpen = false;
  Later([&] {
    Form9->Edit1->SetText(QStringLiteral(" "));
    Form9->Button1->Click();
    StillOpen = Form9->Showing();
    Form9->Button2->Click();
  });
  Form8->Button2->Click();
  EXPECT_TRUE(StillOpen);
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Std(Boxes[0].Text), "Все поля должны быть заполнены!");
  EXPECT_EQ(Std(Boxes[0].Caption), "Ошибка");
  EXPECT_EQ(*TypeRows("id = 1").at(0)[0], "Гибка");
}

TEST_F(Operations, DeleteAsksAndKeepsTypesInUse)
{
  testsupport::OdbcSession Db;
  Db.Exec("insert into mnf_operation.operation_type(id, s_caption) values (5, 'Зачистка')");
  Types()->Open();
  LocateType("Зачистка");
  const Integer RecNo = Types()->RecNo();
  Answer = [](const TMessageBoxRequest&) { return IDNO; };
  Form8->Button3->Click();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Std(Boxes[0].Text), "Удалить строку?");
  EXPECT_EQ(Std(Boxes[0].Caption), "Удаление");
  EXPECT_EQ(TypeRows().size(), 5u);

  Answer = [](const TMessageBoxRequest&) { return IDYES; };
  Form8->Button3->Click();
  EXPECT_TRUE(TypeRows("id = 5").empty());
  EXPECT_EQ(Types()->RecNo(), RecNo);

  // Operations use "Гибка": the database refuses and the list stays.
  LocateType("Гибка");
  EXPECT_THROW(Form8->Button3->Click(), Exception);
  EXPECT_EQ(TypeRows("id = 1").size(), 1u);
  EXPECT_EQ(Std(Types()->FieldByName(QStringLiteral("s_caption"))->AsString()), "Гибка");
}

TEST_F(Operations, EmptyListIgnoresChangeDeleteAndPick)
{
  Types()->Open();
  Form8->Edit1->SetText(QStringLiteral("нет такой"));
  ASSERT_TRUE(Types()->IsEmpty());
  bool EditorShown = false;
  Later([&] {
    EditorShown = Form9->Showing();
    if (EditorShown)
      Form9->Button2->Click();
  });
  Form8->Button2->Click();
  Form8->Button3->Click();
  Form8->SetTag(1);
  Form10->TypeId = 3;
  Form8->Button2->Click();
  EXPECT_EQ(Form10->TypeId, 3) << "an empty list picks nothing";
  EXPECT_FALSE(EditorShown);
  EXPECT_TRUE(Boxes.empty());
  QCoreApplication::processEvents();
}

// The list has no close box; "Выход" and Escape leave it.
TEST_F(Operations, ListHasNoSystemMenu)
{
  EXPECT_FALSE(Form8->BorderIcons().Contains(biSystemMenu));
  EXPECT_FALSE(Form8->BorderIcons().Contains(biMinimize));
  EXPECT_TRUE(Form8->Button4->Cancel());
  EXPECT_TRUE(Form9->BorderIcons().Contains(biSystemMenu)) << "the editor keeps its own border";
}

// ---------------------------------------------------------------------------
// Picking a type for the operation dialog

TEST_F(Operations, PickFillsTheOperationDialogAndClosesTheList)
{
  PrepareNewOperation(1);
  Later([&] {
    PickType("свар");
    EXPECT_FALSE(Form8->Showing());
    EXPECT_EQ(Std(Form10->Edit2->Text()), "Сварка O'Hara");
    EXPECT_EQ(Form10->TypeId, 4);
    EXPECT_FALSE(Form8->Button2->Default());
    EXPECT_FALSE(Form8->Edit1->Visible());
    EXPECT_FALSE(Types()->Active());
    Form10->Button2->Click();
  });
  Form10->ShowModal();
  AfterNewOperation();

  // The menu shows "Добавить" and "Удалить" again, but not the search box.
  SignIn([&] {
    bool Checked = false;
    Later([&] {
      Checked = true;
      EXPECT_EQ(Form8->Tag(), 0);
      EXPECT_TRUE(Types()->Active());
      EXPECT_EQ(Types()->RecordCount(), 4) << "the pick's search left no filter behind";
      EXPECT_TRUE(Form8->Button1->Visible());
      EXPECT_TRUE(Form8->Button3->Visible());
      EXPECT_FALSE(Form8->Edit1->Visible());
      Form8->Button4->Click();
    });
    Form1->N6->Click();
    EXPECT_TRUE(Checked);
    EXPECT_FALSE(Types()->Active());
  });
}

// ---------------------------------------------------------------------------
// The operation dialog

TEST_F(Operations, NewOperationIsProposedTheNextPosition)
{
  struct Case { Integer RouteId; const char* Proposed; };
  const Case Cases[] = {{1, "6"}, {2, "1"}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.RouteId);
    PrepareNewOperation(C.RouteId);
    EXPECT_EQ(Std(Form10->Edit1->Text()), C.Proposed);
    AfterNewOperation();
  }
}

TEST_F(Operations, NewOperationIsStoredWithTheRouteAndItsProduct)
{
  PrepareNewOperation(1);
  WhenActive(Form10, [&] {
    EXPECT_TRUE(Form10->Button1->Focused()) << "\"Записать\" has the focus";
    EXPECT_EQ(Form10->cb_operation_state->Items()->Count(), 2) << "results with id below 2 only";
    PickType("Гиб");
    Form10->cb_operation_state->SetKeyValue(0);
    Form10->Edit3->SetText(QStringLiteral("12,5"));
    EXPECT_TRUE(SaveScreenshot(Form10, OutputPath(QStringLiteral("app_operation.png"))));
    Form10->Button1->Click();
  });
  Form10->ShowModal();
  AfterNewOperation();
  EXPECT_TRUE(Boxes.empty());
  const auto Added = OperationRows("id > 100");
  ASSERT_EQ(Added.size(), 1u);
  EXPECT_EQ(*Added[0][0], "1");
  EXPECT_EQ(*Added[0][1], "0");
  EXPECT_EQ(*Added[0][2], "12.5000");
  EXPECT_EQ(*Added[0][3], "10");
  EXPECT_EQ(*Added[0][4], "1");
  EXPECT_EQ(*Added[0][5], "6");
  EXPECT_EQ(DataModule6->operation->RecordCount(), 4) << "the route's list was reopened";
}

TEST_F(Operations, PricesAreWrittenAsNumbers)
{
  struct Case { const char* Typed; const char* Stored; };
  const Case Cases[] = {{"", "0.0000"}, {"7", "7.0000"}, {"3.25", "3.2500"}, {",5", "0.5000"}, {"8,", "8.0000"}};
  Integer Id = 100;
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Typed);
    PrepareNewOperation(2);
    Form10->TypeId = 2;
    Form10->Edit2->SetText(QStringLiteral("Резка"));
    Form10->cb_operation_state->SetKeyValue(1);
    Form10->Edit3->SetText(QString::fromUtf8(C.Typed));
    Form10->Button1->Click();
    AfterNewOperation();
    const auto Added = OperationRows("id = " + std::to_string(++Id));
    ASSERT_EQ(Added.size(), 1u);
    EXPECT_EQ(*Added[0][2], C.Stored);
  }
}

// A new operation needs a type and a result, and what was pasted into the
// number boxes must be a number; each refusal keeps the dialog and writes
// nothing.
TEST_F(Operations, IncompleteOrNonNumericOperationIsRefused)
{
  const String Filled = QStringLiteral("Все поля должны быть заполнены!");
  struct Case { const char* What; std::function<void()> Spoil; String Message; };
  const Case Cases[] = {
    {"no position", [] { Form10->Edit1->Clear(); }, Filled},
    {"type left from an earlier operation", [] { Form10->Edit2->Clear(); Form10->TypeId = 1; }, Filled},
    {"no type ever", [] { Form10->Edit2->SetText(QStringLiteral("x")); Form10->TypeId = 0; }, Filled},
    {"no result", [] { Form10->cb_operation_state->SetKeyValue(-1); }, Filled},
    {"result cleared", [] { Form10->cb_operation_state->SetKeyValue(Null); }, Filled},
    {"pasted position", [] { Form10->Edit1->SetText(QStringLiteral("1a")); },
     QStringLiteral("В поле \"№ по порядку\" должно быть целое число!")},
    {"position too large", [] { Form10->Edit1->SetText(QStringLiteral("99999999999")); },
     QStringLiteral("В поле \"№ по порядку\" должно быть целое число!")},
    {"pasted price", [] { Form10->Edit3->SetText(QStringLiteral("1,2,3")); },
     QStringLiteral("В поле \"Цена\" должно быть число!")},
    {"price with a blank", [] { Form10->Edit3->SetText(QStringLiteral("12 5")); },
     QStringLiteral("В поле \"Цена\" должно быть число!")},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    Boxes.clear();
    PrepareNewOperation(1);
    Form10->TypeId = 2;
    Form10->Edit2->SetText(QStringLiteral("Резка"));
    Form10->cb_operation_state->SetKeyValue(1);
    Form10->Edit3->SetText(QStringLiteral("5"));
    C.Spoil();
    bool StillOpen = false;
    Later([&] {
      Form10->Button1->Click();
      StillOpen = Form10->Showing();
      Form10->Button2->Click();
    });
    Form10->ShowModal();
    AfterNewOperation();
    EXPECT_TRUE(StillOpen);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Std(Boxes[0].Text), Std(C.Message));
    EXPECT_EQ(Std(Boxes[0].Caption), "Ошибка");
    EXPECT_TRUE(OperationRows("id > 100").empty());
  }
}

// Keys typed into the number boxes: letters never get in.
TEST_F(Operations, NumberBoxesTakeOnlyWhatTheyAllow)
{
  PrepareNewOperation(1);
  Later([&] {
    Form10->Edit1->Clear();
    Form10->Edit1->SetFocus();
    Type(Form10->Edit1, QStringLiteral("1a2,б3"));
    EXPECT_EQ(Std(Form10->Edit1->Text()), "123");
    Form10->Edit3->SetFocus();
    Type(Form10->Edit3, QStringLiteral("1x2,5.ф-7"));
    EXPECT_EQ(Std(Form10->Edit3->Text()), "12,5.7");
    Form10->Button2->Click();
  });
  Form10->ShowModal();
  AfterNewOperation();
}

// "Изменить" in the route dialog; the change keeps the route.
TEST_F(Operations, ChangeUpdatesTheCurrentOperation)
{
  TADOQuery* Ops = DataModule6->operation;
  ASSERT_TRUE(Ops->Locate(QStringLiteral("id"), 2, {}));
  Form10->SetTag(0);
  Form10->TypeId = Ops->FieldByName(QStringLiteral("id_type"))->AsInteger();
  Form10->Edit1->SetText(Ops->FieldByName(QStringLiteral("orderby"))->AsString());
  Form10->Edit2->SetText(Ops->FieldByName(QStringLiteral("s_type"))->AsString());
  Form10->Edit3->SetText(Ops->FieldByName(QStringLiteral("price"))->AsString());
  Form10->operation_state->Open();
  Form10->cb_operation_state->SetKeyValue(Ops->FieldByName(QStringLiteral("id_state"))->AsString());
  Route->RouteId = 2;   // the update never moves an operation to another route
  Later([&] {
    EXPECT_EQ(Std(Form10->cb_operation_state->Text()), "Заготовки");
    PickType("Резка л");
    Form10->Edit1->SetText(QStringLiteral("3"));
    Form10->Edit3->SetText(QStringLiteral("4,75"));
    Form10->Button1->Click();
  });
  Form10->ShowModal();
  Form10->operation_state->Close();
  const auto Changed = OperationRows("id = 2");
  EXPECT_EQ(*Changed.at(0)[0], "3");
  EXPECT_EQ(*Changed.at(0)[1], "1");
  EXPECT_EQ(*Changed.at(0)[2], "4.7500");
  EXPECT_EQ(*Changed.at(0)[4], "1");
  EXPECT_EQ(*Changed.at(0)[5], "3");
  EXPECT_EQ(OperationRows().size(), 3u);
}

// ---------------------------------------------------------------------------
// The norms grid

class Norms : public Operations {
protected:
  void SetUp() override
  {
    Operations::SetUp();
    ASSERT_TRUE(DataModule6->operation->Locate(QStringLiteral("id"), 3, {}));
    testsupport::OdbcSession Db;
    Db.Exec("insert into accounts_dep.norm(o_id, norma, price, prize) values (1, 50, 1.5, 10)");
  }
  static void OpenFor(Integer OperationId)
  {
    Form22->norm->SetFilter(QStringLiteral("o_id=") + QString::number(OperationId));
    Form22->norm->SetFilteredValue(true);
    Form22->norm->Open();
  }
  static std::vector<testsupport::Row> NormRows()
  {
    testsupport::OdbcSession Db;
    return Db.Rows("select coalesce(o_id::text, '<null>'), norma, price, prize from accounts_dep.norm order by id");
  }
  static void Enter(Integer Column) { Form22->DBGrid1->SetSelectedIndex(Column); }
  // Shows the grid (what was put in Later runs inside), then answers the
  // rows stored.
  static std::vector<testsupport::Row> ShowAndReadBack()
  {
    Form22->ShowModal();
    Form22->norm->Close();
    return NormRows();
  }
};

TEST_F(Norms, ANewRowBelongsToTheOperation)
{
  OpenFor(3);
  ASSERT_TRUE(Form22->norm->IsEmpty());
  Later([&] {
    Form22->DBGrid1ColEnter(Form22->DBGrid1);   // the first column, entered on an empty table
    EXPECT_EQ(Form22->norm->State(), dsInsert);
    Form22->norm->FieldByName(QStringLiteral("norma"))->SetAsInteger(120);
    Form22->norm->FieldByName(QStringLiteral("price"))->SetAsFloat(2.5);
    Enter(1);   // leaving the column posts the row
    EXPECT_EQ(Form22->norm->State(), dsEdit) << "the next column edits the posted row";
    Form22->norm->FieldByName(QStringLiteral("prize"))->SetAsInteger(15);
    Enter(2);
    EXPECT_TRUE(SaveScreenshot(Form22, OutputPath(QStringLiteral("app_norms.png"))));
    Form22->Button1->Click();
  });
  const auto Rows = ShowAndReadBack();
  ASSERT_EQ(Rows.size(), 2u);
  EXPECT_EQ(*Rows[1][0], "3");
  EXPECT_EQ(*Rows[1][1], "120");
  EXPECT_EQ(*Rows[1][2], "2.5");
  EXPECT_EQ(*Rows[1][3], "15");
  EXPECT_EQ(DataModule6->operation->FieldByName(QStringLiteral("id"))->AsInteger(), 3)
    << "the route's list comes back on its row";
}

// A new row gets its operation however it is posted: "Сохранить" straight
// after typing, or the arrow key moving off it with no column left and no
// button pressed. Without it the filter would never show the row again.
TEST_F(Norms, ANewRowKeepsTheOperationHoweverItIsPosted)
{
  struct Case { const char* How; std::function<void()> Post; };
  const Case Cases[] = {
    {"Сохранить", [] { Form22->norm->FieldByName(QStringLiteral("norma"))->SetAsInteger(45); }},
    {"arrow key",
     [] {
       TDBGrid* Grid = Form22->DBGrid1;
       auto Focus = [Grid]() -> TWinControl* {
         return Grid->EditorMode() ? static_cast<TWinControl*>(Grid->InplaceEditor()) : Grid;
       };
       gui_test::Type(Focus(), QStringLiteral("4"));
       gui_test::Type(Focus(), QStringLiteral("5"));
       gui_test::Key(Focus(), Qt::Key_Up);
       EXPECT_EQ(Form22->norm->State(), dsBrowse) << "the move posted the row";
       EXPECT_EQ(Form22->norm->RecordCount(), 1) << "the filter still shows the row";
     }},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.How);
    testsupport::OdbcSession Db;
    Db.Exec("delete from accounts_dep.norm where o_id is distinct from 1");
    OpenFor(3);
    Later([&] {
      Form22->DBGrid1->SetFocus();
      Form22->DBGrid1ColEnter(Form22->DBGrid1);   // the first column, entered on an empty table
      ASSERT_EQ(Form22->norm->State(), dsInsert);
      C.Post();
      Form22->Button1->Click();
    });
    const auto Rows = ShowAndReadBack();
    ASSERT_EQ(Rows.size(), 2u);
    EXPECT_EQ(*Rows[1][0], "3");
    EXPECT_EQ(*Rows[1][1], "45");
  }
}

// What a user types into the grid's cells is what "Сохранить" stores.
TEST_F(Norms, TypedCellsAreSaved)
{
  testsupport::OdbcSession Db;
  Db.Exec("insert into accounts_dep.norm(o_id, norma, price, prize) values (3, 10, 1, 0)");
  OpenFor(3);
  Later([&] {
    TDBGrid* Grid = Form22->DBGrid1;
    Grid->SetFocus();
    auto Focus = [Grid]() -> TWinControl* {
      return Grid->EditorMode() ? static_cast<TWinControl*>(Grid->InplaceEditor()) : Grid;
    };
    auto TypeIn = [&](const char* Text) {
      for (QChar C : QString::fromUtf8(Text))
        gui_test::Type(Focus(), QString(C));
    };
    TypeIn("75");
    ASSERT_TRUE(Grid->EditorMode());
    gui_test::Key(Focus(), Qt::Key_Tab);
    TypeIn("1,75");
    gui_test::Key(Focus(), Qt::Key_Tab);
    TypeIn("12");
    // the press moves the focus to the button before its click runs
    Form22->Button1->SetFocus();
    Form22->Button1->Click();
  });
  const auto Rows = ShowAndReadBack();
  ASSERT_EQ(Rows.size(), 2u);
  EXPECT_EQ(*Rows[1][0], "3");
  EXPECT_EQ(*Rows[1][1], "75");
  EXPECT_EQ(*Rows[1][2], "1.75");
  EXPECT_EQ(*Rows[1][3], "12");
}

TEST_F(Norms, TheLastRowCannotBeDeleted)
{
  testsupport::OdbcSession Db;
  Db.Exec("insert into accounts_dep.norm(o_id, norma, price, prize) values (3, 10, 1, 0), (3, 20, 2, 0)");
  OpenFor(3);
  ASSERT_EQ(Form22->norm->RecordCount(), 2);
  Form22->norm->First();
  Form22->Button2->Click();
  EXPECT_EQ(Form22->norm->RecordCount(), 1);
  Form22->Button2->Click();
  EXPECT_EQ(Form22->norm->RecordCount(), 1);
  Form22->norm->Close();
  const auto Rows = NormRows();
  ASSERT_EQ(Rows.size(), 2u);
  EXPECT_EQ(*Rows[0][0], "1") << "another operation's norm is untouched";
  EXPECT_EQ(*Rows[1][1], "20");
}

}  // namespace
