// DBCtrlsTest.cpp: the data-aware label, edit and lookup box on a form,
// driven by keys as a user would, over datasets of the test server.
#include "platform/data/DBCtrls.h"
#include "platform/data/ADODB.h"

#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/support/TestDatabase.h"

#include <memory>

namespace {

class DBCtrlsTest : public ::testing::Test {
protected:
  static void SetUpTestSuite()
  {
    RegisterADOClasses();
    RegisterDBCtrlsClasses();
  }

  void SetUp() override
  {
    testsupport::OdbcSession S;
    S.Exec("drop table if exists dc_dep; drop table if exists dc_person");
    S.Exec("create table dc_dep (id serial primary key, s_caption varchar(254))");
    S.Exec("insert into dc_dep (s_caption) values ('Склад'), ('Цех'), ('Бухгалтерия')");
    S.Exec("create table dc_person (id serial primary key, s_caption varchar(30), id_dep int4)");
    S.Exec("insert into dc_person (s_caption, id_dep) values ('Иванов', 2), ('Петров', null)");
    Db = std::make_unique<TADOConnection>(nullptr);
    Db->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
    Db->Open();
    People = std::make_unique<TADOTable>(nullptr);
    People->SetConnection(Db.get());
    People->SetTableName(QStringLiteral("dc_person"));
    People->SetIndexFieldNames(QStringLiteral("id"));
    PeopleSource = std::make_unique<TDataSource>(nullptr);
    PeopleSource->SetDataSet(People.get());
    Deps = std::make_unique<TADOQuery>(nullptr);
    Deps->SetConnection(Db.get());
    Deps->SQL()->SetText(QStringLiteral("select * from dc_dep order by s_caption"));
    DepSource = std::make_unique<TDataSource>(nullptr);
    DepSource->SetDataSet(Deps.get());
    Form = new TForm(Application, 0);
    Form->SetBounds(10, 10, 300, 200);
    Form->Show();
  }

  void TearDown() override { delete Form; }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOTable> People;
  std::unique_ptr<TDataSource> PeopleSource;
  std::unique_ptr<TADOQuery> Deps;
  std::unique_ptr<TDataSource> DepSource;
  TForm* Form = nullptr;
};

TEST_F(DBCtrlsTest, TextAndEditFollowTheRecord)
{
  auto* Label = new TDBText(Form);
  Label->SetParent(Form);
  Label->SetDataSource(PeopleSource.get());
  Label->SetDataField(QStringLiteral("s_caption"));
  auto* Edit = new TDBEdit(Form);
  Edit->SetParent(Form);
  Edit->SetBounds(10, 40, 120, 21);
  Edit->SetDataSource(PeopleSource.get());
  Edit->SetDataField(QStringLiteral("s_caption"));
  People->Open();
  EXPECT_EQ(Label->Caption(), QStringLiteral("Иванов"));
  EXPECT_EQ(Edit->Text(), QStringLiteral("Иванов"));
  EXPECT_EQ(Edit->MaxLength(), 30);
  People->Next();
  EXPECT_EQ(Label->Caption(), QStringLiteral("Петров"));
  EXPECT_EQ(Edit->Text(), QStringLiteral("Петров"));
  People->Close();
  EXPECT_EQ(Label->Caption(), QString());
  EXPECT_EQ(Edit->Text(), QString());
}

TEST_F(DBCtrlsTest, TypingEditsTheFieldAndEscapeRestoresIt)
{
  auto* Edit = new TDBEdit(Form);
  Edit->SetParent(Form);
  Edit->SetBounds(10, 40, 120, 21);
  Edit->SetDataSource(PeopleSource.get());
  Edit->SetDataField(QStringLiteral("s_caption"));
  auto* Other = new TEdit(Form);
  Other->SetParent(Form);
  Other->SetBounds(10, 80, 120, 21);
  People->Open();
  Edit->SetFocus();
  Edit->SelectAll();
  gui_test::Type(Edit, QStringLiteral("Sidorov"));
  EXPECT_EQ(People->State(), dsEdit);
  EXPECT_EQ(Edit->Text(), QStringLiteral("Sidorov"));
  gui_test::Key(Edit, Qt::Key_Escape);
  EXPECT_EQ(Edit->Text(), QStringLiteral("Иванов"));
  gui_test::Type(Edit, QStringLiteral("X"));
  // Leaving the edit writes the text into the field; Post stores it.
  Other->SetFocus();
  QCoreApplication::processEvents();
  EXPECT_EQ(People->FieldByName(QStringLiteral("s_caption"))->AsString(), Edit->Text());
  People->Post();
  testsupport::OdbcSession S;
  EXPECT_EQ(S.Scalar("select s_caption from dc_person where id = 1"), std::optional<std::string>(Edit->Text().toStdString()));

  // A read-only edit takes no typing and leaves the dataset alone.
  Edit->SetReadOnly(true);
  Edit->SetFocus();
  const QString Before = Edit->Text();
  gui_test::Type(Edit, QStringLiteral("zz"));
  EXPECT_EQ(Edit->Text(), Before);
  EXPECT_EQ(People->State(), dsBrowse);
}

TEST_F(DBCtrlsTest, LookupListsRowsAndKeepsKeyValue)
{
  auto* Lookup = new TDBLookupComboBox(Form);
  Lookup->SetParent(Form);
  Lookup->SetBounds(10, 10, 150, 21);
  Lookup->SetKeyField(QStringLiteral("id"));
  Lookup->SetListField(QStringLiteral("s_caption"));
  Lookup->SetListSource(DepSource.get());
  Deps->Open();
  ASSERT_EQ(Lookup->Items()->Count(), 3);
  EXPECT_EQ(Lookup->Items()->Strings(0), QStringLiteral("Бухгалтерия"));
  EXPECT_TRUE(VarIsNull(Lookup->KeyValue()));
  EXPECT_EQ(Lookup->ItemIndex(), -1);
  Lookup->SetKeyValue(2);
  EXPECT_EQ(Lookup->DisplayText(), QStringLiteral("Цех"));
  Lookup->SetKeyValue(42);
  EXPECT_EQ(Lookup->ItemIndex(), -1);
  Lookup->SetKeyValue(Null);
  EXPECT_EQ(Lookup->DisplayText(), QString());
  // Reading the list left the list dataset on its record.
  Deps->Last();
  Lookup->RefreshList();
  EXPECT_EQ(Deps->FieldByName(QStringLiteral("s_caption"))->AsString(), QStringLiteral("Цех"));
}

TEST_F(DBCtrlsTest, LookupChoiceWritesTheLinkedField)
{
  auto* Lookup = new TDBLookupComboBox(Form);
  Lookup->SetParent(Form);
  Lookup->SetBounds(10, 10, 150, 21);
  Lookup->SetKeyField(QStringLiteral("id"));
  Lookup->SetListField(QStringLiteral("s_caption"));
  Lookup->SetListSource(DepSource.get());
  Lookup->SetDataSource(PeopleSource.get());
  Lookup->SetDataField(QStringLiteral("id_dep"));
  int CloseUps = 0;
  Lookup->OnCloseUp = [&](TObject*) { ++CloseUps; };
  Deps->Open();
  People->Open();
  EXPECT_EQ(Lookup->DisplayText(), QStringLiteral("Цех"));
  People->Next();
  EXPECT_EQ(Lookup->ItemIndex(), -1);   // Null key
  Lookup->SetFocus();
  gui_test::Key(Lookup, Qt::Key_Down);
  EXPECT_EQ(Lookup->DisplayText(), QStringLiteral("Бухгалтерия"));
  EXPECT_EQ(People->State(), dsEdit);
  EXPECT_EQ(People->FieldByName(QStringLiteral("id_dep"))->AsInteger(), 3);
  People->Cancel();
  EXPECT_EQ(Lookup->ItemIndex(), -1);
  (void)CloseUps;
}

}  // namespace
