// ContractorsTest.cpp: the contractors book: search by short name, add,
// change, delete, and picking a contractor for the request headers and the
// purchase requests list.
#include "tests/app/AppTestSupport.h"

#include "app/Unit1.h"
#include "app/Unit14.h"
#include "app/Unit34.h"
#include "app/Unit6.h"
#include "platform/data/DBGrids.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Screenshot.h"

namespace {

using namespace apptest;

class Contractors : public AppTest {
protected:
  void SetUp() override
  {
    AppTest::SetUp();
    testsupport::OdbcSession Db;
    Db.Exec("insert into cmn_contractor.jur_person(id, s_caption, s_full_caption, s_ogrn, s_inn) values "
            "(1, 'Альфа', 'ООО \"Альфа-Металл\"', '1027700132195', '7707083893'), "
            "(2, 'Бета', 'АО Бета', '', ''), "
            "(3, 'вектор', 'ИП Векторов О''Нил', NULL, NULL), "
            "(4, 'Гамма', 'ЗАО Гамма', '1', '2')");
    Db.Exec("select setval('cmn_contractor.jur_person_id_seq', 100)");
    StartClient();
    List()->Open();
  }
  static TADOQuery* List() { return DataModule6->jur_person; }
  static String FullName() { return List()->FieldByName(QStringLiteral("s_full_caption"))->AsString(); }
  static std::vector<testsupport::Row> Rows(const std::string& Where = "true")
  {
    testsupport::OdbcSession Db;
    return Db.Rows("select coalesce(s_caption, '<null>'), s_full_caption, coalesce(s_ogrn, '<null>'), "
                   "coalesce(s_inn, '<null>') from cmn_contractor.jur_person where " + Where + " order by id");
  }
  static void Locate(const char* ShortName)
  {
    ASSERT_TRUE(List()->Locate(QStringLiteral("s_caption"), QString::fromUtf8(ShortName), {}));
  }
  // What the request headers do before they show the list to pick.
  static void PrepareHeaderPick(Integer Tag)
  {
    Form34->SetTag(Tag);
    Form34->Button2->SetCaption(QStringLiteral("Выбрать"));
    Form34->Button2->SetDefault(true);
    Form34->Button1->SetVisible(false);
    Form34->Button3->SetVisible(false);
    Form34->Edit1->SetVisible(true);
    Form34->Edit1->Clear();
  }
};

// The grid shows full names; the search still goes by the short name.
TEST_F(Contractors, SearchGoesByTheShortName)
{
  struct Case { const char* Typed; int Rows; const char* First; };
  const Case Cases[] = {{"АЛЬ", 1, "ООО \"Альфа-Металл\""}, {"ООО", 0, ""}, {"Век", 1, "ИП Векторов О'Нил"},
                        {"'", 0, ""}, {"%", 0, ""}, {"", 4, "ООО \"Альфа-Металл\""}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Typed);
    Form34->Edit1->SetText(QString::fromUtf8(C.Typed));
    EXPECT_EQ(List()->RecordCount(), C.Rows);
    if (C.Rows > 0) {
      EXPECT_EQ(Std(FullName()), C.First);
    }
  }
}

// Texts go in as typed: leading blanks stay; only the full name's check
// trims.
TEST_F(Contractors, AddStoresTheTextsAsTyped)
{
  Locate("Гамма");
  Later([&] { Form14->Button6->Click(); });
  Form34->Button2->Click();   // fills the editor; "Добавить" must clear it again
  Later([&] {
    EXPECT_EQ(Form14->Tag(), 1);
    for (TEdit* E : {Form14->Edit1, Form14->Edit2, Form14->Edit3, Form14->Edit4})
      EXPECT_TRUE(E->Text().isEmpty());
    Form14->Edit2->SetText(QStringLiteral("  Дельта"));
    Form14->Edit1->SetText(QStringLiteral("ООО Дельта O'Hara "));
    Form14->Edit3->SetText(QStringLiteral("'); drop table cmn_contractor.jur_person; --"));
    EXPECT_TRUE(SaveScreenshot(Form14, OutputPath(QStringLiteral("app_contractor_editor.png"))));
    Form14->Button5->Click();
  });
  Form34->Button1->Click();
  EXPECT_FALSE(Form14->Showing());
  const auto Added = Rows("id > 100");
  ASSERT_EQ(Added.size(), 1u);
  EXPECT_EQ(*Added[0][0], "  Дельта");
  EXPECT_EQ(*Added[0][1], "ООО Дельта O'Hara ");
  EXPECT_EQ(*Added[0][2], "") << "an empty OGRN is stored as an empty text";
  EXPECT_EQ(*Added[0][3], "'); drop table cmn_contractor.jur_person; --");
  EXPECT_EQ(List()->RecordCount(), 5);
}

TEST_F(Contractors, OnlyTheFullNameIsRequired)
{
  Locate("Бета");
  bool StillOpen = false;
  Later([&] {
    EXPECT_EQ(Std(Form14->Edit1->Text()), "АО Бета");
    Form14->Edit1->SetText(QStringLiteral("   "));
    Form14->Edit2->SetText(QStringLiteral("Бета"));
    Form14->Button5->Click();
    StillOpen = Form14->Showing();
    Form14->Button6->Click();
  });
  Form34->Button2->Click();
  EXPECT_TRUE(StillOpen);
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Std(Boxes[0].Text), "Все поля должны быть заполнены!");
  EXPECT_EQ(Std(Boxes[0].Caption), "Ошибка");
  EXPECT_EQ(*Rows("id = 2").at(0)[1], "АО Бета");
}

// After "Добавить" (cancelled) and "Изменить" on another row, the save
// changes that row and adds nothing; the list comes back on its row.
TEST_F(Contractors, ChangeAfterAddChangesTheRow)
{
  Later([&] { Form14->Button6->Click(); });
  Form34->Button1->Click();
  Locate("вектор");
  const Integer RecNo = List()->RecNo();
  Later([&] {
    EXPECT_EQ(Form14->Tag(), 0);
    EXPECT_EQ(Std(Form14->Edit2->Text()), "вектор");
    EXPECT_EQ(Std(Form14->Edit1->Text()), "ИП Векторов О'Нил");
    EXPECT_TRUE(Form14->Edit3->Text().isEmpty());
    Form14->Edit2->SetText(QStringLiteral("Ёж"));
    Form14->Edit4->SetText(QStringLiteral("304500116000157"));
    Form14->Button5->Click();
  });
  Form34->Button2->Click();
  EXPECT_EQ(List()->RecNo(), RecNo);
  EXPECT_EQ(Rows().size(), 4u);
  const auto Changed = Rows("id = 3");
  EXPECT_EQ(*Changed.at(0)[0], "Ёж");
  EXPECT_EQ(*Changed.at(0)[1], "ИП Векторов О'Нил");
  EXPECT_EQ(*Changed.at(0)[2], "304500116000157");
}

TEST_F(Contractors, DeleteAsksFirst)
{
  Locate("Бета");
  const Integer RecNo = List()->RecNo();
  Answer = [](const TMessageBoxRequest&) { return IDNO; };
  Form34->Button3->Click();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Std(Boxes[0].Text), "Удалить строку?");
  EXPECT_EQ(Std(Boxes[0].Caption), "Удаление");
  EXPECT_EQ(Rows().size(), 4u);
  Answer = [](const TMessageBoxRequest&) { return IDYES; };
  Form34->Button3->Click();
  EXPECT_TRUE(Rows("id = 2").empty());
  EXPECT_EQ(List()->RecNo(), RecNo);

  // A contractor that a purchase request names stays, and the list with it.
  testsupport::OdbcSession Db;
  Db.Exec("insert into stk_purchase.purchase_doc(id_jur_person) values (4)");
  Locate("Гамма");
  EXPECT_THROW(Form34->Button3->Click(), Exception);
  EXPECT_EQ(Rows("id = 4").size(), 1u);
  EXPECT_EQ(Std(FullName()), "ЗАО Гамма");
}

TEST_F(Contractors, EmptyListIgnoresChangeAndDelete)
{
  Form34->Edit1->SetText(QStringLiteral("нет такого"));
  ASSERT_TRUE(List()->IsEmpty());
  bool EditorShown = false;
  Later([&] {
    EditorShown = Form14->Showing();
    if (EditorShown)
      Form14->Button6->Click();
  });
  Form34->Button2->Click();
  Form34->Button3->Click();
  EXPECT_FALSE(EditorShown);
  EXPECT_TRUE(Boxes.empty());
  QCoreApplication::processEvents();
}

// Both request headers: the pick writes the contractor's id and full name
// into the header, nothing else, and closes the list.
TEST_F(Contractors, PickForARequestHeader)
{
  for (Integer Tag : {43, 61}) {
    SCOPED_TRACE(Tag);
    auto* Header = new TPickCaller(Tag == 43 ? "Form43" : "Form61");
    Header->Edit2->SetText(QStringLiteral("Иванов"));
    PrepareHeaderPick(Tag);
    WhenActive(Form34, [&] {
      EXPECT_FALSE(Form34->Button1->Visible());
      EXPECT_FALSE(Form34->Button3->Visible());
      EXPECT_EQ(Std(Form34->Button2->Caption()), "Выбрать");
      Form34->Edit1->SetText(QStringLiteral("вект"));
      DoubleClickRow(Form34->DBGrid1, Form34->DBGrid1->CellRect(0, 0));
    });
    const TModalResult Result = Form34->ShowModal();
    EXPECT_NE(Result, mrNone);
    EXPECT_FALSE(Form34->Showing());
    EXPECT_EQ(Header->JurPersonId, 3);
    EXPECT_EQ(Std(Header->Edit1->Text()), "ИП Векторов О'Нил");
    EXPECT_EQ(Std(Header->Edit2->Text()), "Иванов");
    EXPECT_EQ(Header->PersonId, 0);
  }
}

TEST_F(Contractors, PickFromAnEmptyListClosesWithoutWriting)
{
  auto* Header = new TPickCaller("Form43");
  Header->JurPersonId = 7;
  Header->Edit1->SetText(QStringLiteral("прежний"));
  PrepareHeaderPick(43);
  Later([&] {
    Form34->Edit1->SetText(QStringLiteral("нет такого"));
    Form34->Button2->Click();
  });
  Form34->ShowModal();
  EXPECT_FALSE(Form34->Showing());
  EXPECT_EQ(Header->JurPersonId, 7);
  EXPECT_EQ(Std(Header->Edit1->Text()), "прежний");
}

// The purchase requests list: the request under its cursor gets the
// contractor, and the list comes back on that request.
TEST_F(Contractors, PickForAPurchaseRequest)
{
  testsupport::OdbcSession Db;
  Db.Exec("insert into stk_purchase.purchase_doc(id, id_jur_person) values (1, NULL), (2, 1), (3, NULL)");
  auto* Requests = new TPickCaller("Form60");
  auto* Documents = new TADOQuery(Requests);
  Documents->SetName(QStringLiteral("purchase_doc"));
  Documents->SetConnection(DataModule6->ADO_DB);
  Documents->SQL()->SetText(QStringLiteral("select * from stk_purchase.purchase_doc order by id"));
  Documents->Open();
  Documents->SetRecNo(2);
  Form34->SetTag(60);
  Later([&] {
    Locate("Гамма");
    Form34->Button2->Click();
  });
  Form34->ShowModal();
  EXPECT_FALSE(Form34->Showing());
  const auto Suppliers = Db.Rows("select coalesce(id_jur_person::text, '-') from stk_purchase.purchase_doc order by id");
  ASSERT_EQ(Suppliers.size(), 3u);
  EXPECT_EQ(*Suppliers[0][0], "-");
  EXPECT_EQ(*Suppliers[1][0], "4");
  EXPECT_EQ(*Suppliers[2][0], "-");
  EXPECT_EQ(Documents->RecNo(), 2);
  EXPECT_EQ(Documents->FieldByName(QStringLiteral("id_jur_person"))->AsInteger(), 4) << "the list was reopened";
}

// Any other number leaves the list open and writes nothing.
TEST_F(Contractors, UnknownTagDoesNothing)
{
  auto* Header = new TPickCaller("Form43");
  Form34->SetTag(5);
  bool StillOpen = false;
  Later([&] {
    Form34->Button2->Click();
    QCoreApplication::processEvents();
    StillOpen = Form34->Showing();
    Form34->Button4->Click();
  });
  Form34->ShowModal();
  EXPECT_TRUE(StillOpen);
  EXPECT_EQ(Header->JurPersonId, 0);
}

// After a pick the menu shows the buttons again and opens the book for
// maintenance; the pick's caption stays on the change button.
TEST_F(Contractors, MenuRestoresTheButtonsAfterAPick)
{
  List()->Close();
  new TPickCaller("Form61");
  PrepareHeaderPick(61);
  DataModule6->jur_person->Open();
  Later([&] { Form34->Button2->Click(); });
  Form34->ShowModal();
  DataModule6->jur_person->Close();

  SignIn([&] {
    bool Checked = false;
    Later([&] {
      Checked = true;
      EXPECT_EQ(Form34->Tag(), 0);
      EXPECT_TRUE(DataModule6->jur_person->Active());
      EXPECT_TRUE(Form34->Button1->Visible());
      EXPECT_TRUE(Form34->Button3->Visible());
      EXPECT_EQ(Std(Form34->Button2->Caption()), "Выбрать");
      Later([&] {
        EXPECT_EQ(Form14->Tag(), 0) << "the change button opens the editor again";
        Form14->Button6->Click();
      });
      Form34->Button2->Click();
      Form34->Button4->Click();
    });
    Form1->N24->Click();
    EXPECT_TRUE(Checked);
    EXPECT_FALSE(DataModule6->jur_person->Active());
  });
}

}  // namespace
