// DataDriverPgTest.cpp: data drivers against the test server: rows read into
// a storage, edited, inserted and deleted with cached updates, and applied
// through a PostgreSQL driver with bound parameters; rows changed by another
// connection in between come back as conflicts, never as applied changes.
#include "MemTableTestSupport.h"
#include "PgSQLDataDriver.h"

#include "gridlib/memtable/MemTableEh.h"

#include "platform/rtl/SysUtils.h"

#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

namespace {

using testsupport::OdbcSession;

class DataDriverPg : public ::testing::Test {
protected:
  void SetUp() override
  {
    RegisterADOClasses();
    Other.Exec("drop table if exists mt_drv_items");
    Other.Exec("create table mt_drv_items (id int4 primary key, name varchar(40) not null, price numeric(10,2) not null,"
               " note text)");
    Other.Exec("insert into mt_drv_items values (1, 'Болт', 1.50, 'a'), (2, 'Гайка', 0.75, 'b'),"
               " (3, 'Шайба', 0.10, null), (4, 'Винт', 2.00, 'd')");
    Db.SetLoginPrompt(false);
    Db.SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
    Db.Open();
  }
  void TearDown() override
  {
    Db.Close();
    Other.Exec("drop table if exists mt_drv_items");
  }
  std::vector<testsupport::Row> ServerRows()
  {
    return Other.Rows("select id::text, name, price::text from mt_drv_items order by id");
  }
  // Updates check the values read, so a row someone else changed is not
  // overwritten; inserts and deletes are generated.
  static void WriteItems(TCustomSQLDataDriverEh& Driver)
  {
    Driver.SetUpdateSQL(QStringLiteral(
      "update mt_drv_items set name = :name, price = :price"
      " where id = :OLD_id and name = :OLD_name and price = :OLD_price"));
    Driver.SetGetrecSQL(QStringLiteral("select id, name, price from mt_drv_items where id = :OLD_id"));
    TDynaSQLParamsEh* Dyna = Driver.DynaSQLParams();
    Dyna->SetUpdateTable(QStringLiteral("mt_drv_items"));
    Dyna->SetKeyFields(QStringLiteral("id"));
    Dyna->SetUpdateFields(QStringLiteral("name, price"));
    Dyna->SetOptions({dsoDynamicSQLInsertEh, dsoDynamicSQLDeleteEh});
  }
  static TMemoryRecordEh* RecById(TMemTableDataEh* Data, int Id)
  {
    TRecordsListEh* L = Data->RecordsList();
    for (Integer I = 0; I < L->Count(); ++I)
      if (L->Rec(I)->GetDataValues(QStringLiteral("id"), dvvValueEh).AsInteger() == Id)
        return L->Rec(I);
    return nullptr;
  }
  static void Edit(TMemoryRecordEh* R, const char* Field, const Variant& V)
  {
    R->Edit();
    R->SetDataValues(QString::fromUtf8(Field), dvvValueEh, V);
    R->Post();
  }

  OdbcSession Other;   // the second user
  TADOConnection Db{nullptr};
};

using testsupport::Row;
Row R3(const char* A, const char* B, const char* C) { return {std::string(A), std::string(B), std::string(C)}; }

TEST_F(DataDriverPg, CachedUpdatesReachTheServerAndConflictsAreReported)
{
  mttest::TPgSQLDataDriver Driver(nullptr, &Db);
  Driver.SetSelectSQL(QStringLiteral("select id, name, price from mt_drv_items %Filter% %SortOrder%"));
  Driver.MacroVars()->SetSpecMacrosUsages({smuUseFilterMacroEh, smuFilterAsWhereClauseEh, smuUseSortOrderMacroEh,
                                           smuSortOrderAsOrderByClauseEh});
  Driver.ApplyFilterText(QStringLiteral("name <> 'Винт'"));
  Driver.ApplyOrderByText(QStringLiteral("id"));
  WriteItems(Driver);

  auto Data = mttest::NewStorage();
  Driver.BuildDataStruct(Data->DataStruct());
  ASSERT_EQ(Data->DataStruct()->Count(), 3);
  ASSERT_NE(Driver.GetDataReader(), nullptr);
  EXPECT_EQ(Driver.ReadData(Data.get(), 1), 1);
  EXPECT_FALSE(Driver.ProviderEOF());
  EXPECT_EQ(Driver.ReadData(Data.get(), -1), 2);
  EXPECT_TRUE(Driver.ProviderEOF());
  EXPECT_EQ(Driver.ReadData(Data.get(), -1), 0);
  ASSERT_EQ(Data->RecordsList()->Count(), 3);   // the filter left "Винт" out

  TRecordsListEh* List = Data->RecordsList();
  List->SetCachedUpdates(true);
  Edit(RecById(Data.get(), 1), "name", QStringLiteral("Болт М8; it's fine"));
  Edit(RecById(Data.get(), 2), "price", 0.80);
  List->DeleteRecord(RecById(Data.get(), 3)->Index());
  TMemoryRecordEh* New = List->NewRecord();
  New->SetDataValues(QStringLiteral("id"), dvvValueEh, 5);
  New->SetDataValues(QStringLiteral("name"), dvvValueEh, QStringLiteral("Заклёпка'); delete from mt_drv_items; --"));
  New->SetDataValues(QStringLiteral("price"), dvvValueEh, 0.05);
  List->AddRecord(New);

  // Meanwhile the second user changes row 2.
  Other.Exec("update mt_drv_items set price = 9.99 where id = 2");

  std::vector<TMemoryRecordEh*> Conflicts;
  Driver.OnUpdateError = [&](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh* Rec, TUpdateErrorActionEh& Action) {
    Conflicts.push_back(Rec);
    Action = ueaCountinueSkip;
  };
  EXPECT_EQ(Driver.ApplyUpdates(Data.get()), 3);
  TMemoryRecordEh* Two = RecById(Data.get(), 2);
  EXPECT_EQ(Conflicts, std::vector<TMemoryRecordEh*>{Two});
  ASSERT_EQ(List->DeltaList().size(), 1u);
  EXPECT_EQ(Two->UpdateStatus(), usModified);
  ASSERT_NE(Two->UpdateError(), nullptr);
  EXPECT_EQ(ServerRows(), (std::vector<Row>{R3("1", "Болт М8; it's fine", "1.50"), R3("2", "Гайка", "9.99"),
                                            R3("4", "Винт", "2.00"),
                                            R3("5", "Заклёпка'); delete from mt_drv_items; --", "0.05")}));

  // The user takes the server's row and writes the change again.
  Driver.RefreshRecord(Two);
  EXPECT_DOUBLE_EQ(Two->GetDataValues(QStringLiteral("price"), dvvOldValueEh).AsDouble(), 9.99);
  EXPECT_DOUBLE_EQ(Two->GetDataValues(QStringLiteral("price"), dvvValueEh).AsDouble(), 0.80);
  Conflicts.clear();
  EXPECT_EQ(Driver.ApplyUpdates(Data.get()), 1);
  EXPECT_TRUE(Conflicts.empty());
  EXPECT_FALSE(List->HasCachedChanges());
  EXPECT_EQ(ServerRows()[1], R3("2", "Гайка", "0.80"));

  // A row deleted by the other user: the default answer raises and keeps the
  // change in the log.
  Driver.OnUpdateError = nullptr;
  Edit(RecById(Data.get(), 1), "price", 3.25);
  Other.Exec("delete from mt_drv_items where id = 1");
  EXPECT_THROW(Driver.ApplyUpdates(Data.get()), EUpdateConflictEh);
  EXPECT_EQ(List->DeltaList().size(), 1u);
  EXPECT_EQ(RecById(Data.get(), 1)->UpdateStatus(), usModified);
}

TEST_F(DataDriverPg, GeneratedUpdatesQuoteNamesAndSkipUnchangedFields)
{
  Other.Exec("drop table if exists \"mt drv Order\"");
  Other.Exec("create table \"mt drv Order\" (\"Id\" int4 primary key, \"order\" varchar(20), qty int4)");
  Other.Exec("insert into \"mt drv Order\" values (1, 'x', 5)");
  mttest::TPgSQLDataDriver Driver(nullptr, &Db);
  Driver.SetSelectSQL(QStringLiteral("select \"Id\", \"order\", qty from \"mt drv Order\""));
  TDynaSQLParamsEh* Dyna = Driver.DynaSQLParams();
  Dyna->SetUpdateTable(QStringLiteral("mt drv Order"));
  Dyna->SetKeyFields(QStringLiteral("Id"));
  Dyna->SetUpdateFieldListSource(tflsDataBaseSchemaEh);
  Dyna->SetSkipUnchangedFields(true);
  Dyna->SetOptions({dsoDynamicSQLInsertEh, dsoDynamicSQLUpdateEh, dsoDynamicSQLDeleteEh});

  auto Data = mttest::NewStorage();
  Driver.BuildDataStruct(Data->DataStruct());
  Driver.GetDataReader();
  ASSERT_EQ(Driver.ReadData(Data.get(), -1), 1);
  TRecordsListEh* List = Data->RecordsList();
  List->SetCachedUpdates(true);
  TMemoryRecordEh* Rec = List->Rec(0);
  Edit(Rec, "qty", 7);
  const Integer Before = Driver.Executed();
  EXPECT_EQ(Driver.ApplyUpdates(Data.get()), 1);
  EXPECT_EQ(Driver.Executed() - Before, 1);
  EXPECT_EQ(Driver.ServiceCommand()->CommandText()->ToStringList(),
            QStringList({"update \"mt drv Order\"", "set", " \"qty\" = :qty", "where", " \"Id\" = :OLD_Id"}));
  EXPECT_EQ(Other.Rows("select \"order\", qty::text from \"mt drv Order\""), (std::vector<Row>{{"x", "7"}}));

  // Edited back and forth: nothing to write, nothing executed.
  Edit(Rec, "qty", 8);
  Edit(Rec, "qty", 7);
  const Integer Again = Driver.Executed();
  EXPECT_EQ(Driver.ApplyUpdates(Data.get()), 1);
  EXPECT_EQ(Driver.Executed(), Again);
  Other.Exec("drop table \"mt drv Order\"");
}

// The plain driver over a provider query: reading, and writing back by
// locating the provider's rows.
TEST_F(DataDriverPg, ProviderDataSetDriverReadsAndWritesBack)
{
  TADOQuery Provider(nullptr);
  Provider.SetConnection(&Db);
  Provider.SQL()->SetText(QStringLiteral("select id, name, note from mt_drv_items order by id"));
  TDataDriverEh Driver(nullptr);
  Driver.SetProviderDataSet(&Provider);

  auto Data = mttest::NewStorage();
  // A storage column without a counterpart keeps its value; names match
  // ignoring case.
  mttest::AddField(Data->DataStruct(), "ID", ftInteger);
  mttest::AddField(Data->DataStruct(), "Name", ftWideString, 40);
  mttest::AddField(Data->DataStruct(), "extra", ftInteger);
  ASSERT_EQ(Driver.GetDataReader(), &Provider);
  EXPECT_EQ(Driver.ReadData(Data.get(), 0), 0);
  EXPECT_EQ(Driver.ReadData(Data.get(), 1), 1);
  EXPECT_EQ(Driver.ReadData(Data.get(), -1), 3);
  EXPECT_TRUE(Driver.ProviderEOF());
  TRecordsListEh* List = Data->RecordsList();
  ASSERT_EQ(List->Count(), 4);
  EXPECT_EQ(List->Rec(1)->GetDataValue(1, dvvValueEh).AsString(), QStringLiteral("Гайка"));
  EXPECT_TRUE(List->Rec(1)->GetDataValue(2, dvvValueEh).IsNull());

  // With no key fields the key is every key-capable field the records have:
  // neither the text column "note" nor a column the storage lacks takes part.
  List->SetCachedUpdates(true);
  Edit(List->Rec(0), "Name", QStringLiteral("Болт-2"));
  List->DeleteRecord(3);
  EXPECT_EQ(Driver.ApplyUpdates(Data.get()), 2);
  EXPECT_EQ(ServerRows(), (std::vector<Row>{R3("1", "Болт-2", "1.50"), R3("2", "Гайка", "0.75"),
                                            R3("3", "Шайба", "0.10")}));

  // A row the other user deleted since is no longer in the provider: a
  // conflict, not a silent success.
  Other.Exec("delete from mt_drv_items where id = 2");
  Provider.Close();
  Provider.Open();
  Edit(List->Rec(1), "Name", QStringLiteral("Гайка-2"));
  Edit(List->Rec(2), "Name", QStringLiteral("Шайба-2"));
  std::vector<TMemoryRecordEh*> Conflicts;
  Driver.OnUpdateError = [&](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh* Rec, TUpdateErrorActionEh& Action) {
    Conflicts.push_back(Rec);
    Action = ueaCountinueSkip;
  };
  EXPECT_EQ(Driver.ApplyUpdates(Data.get()), 1);
  EXPECT_EQ(Conflicts, std::vector<TMemoryRecordEh*>{List->Rec(1)});
  EXPECT_EQ(List->DeltaList().size(), 1u);
  EXPECT_EQ(ServerRows(), (std::vector<Row>{R3("1", "Болт-2", "1.50"), R3("3", "Шайба-2", "0.10")}));
}

// A memory table fed by the PostgreSQL driver: edits through the dataset,
// cached and applied together, or each one at once.
TEST_F(DataDriverPg, MemTableEditsReachTheServerThroughItsDriver)
{
  mttest::TPgSQLDataDriver Driver(nullptr, &Db);
  Driver.SetSelectSQL(QStringLiteral("select id, name, price from mt_drv_items order by id"));
  WriteItems(Driver);

  TMemTableEh Table(nullptr);
  Table.SetDataDriver(&Driver);
  Table.Open();
  ASSERT_EQ(Table.FieldCount(), 3);
  // Appending waits until every row was read.
  EXPECT_THROW(Table.Append(), Exception);
  EXPECT_EQ(Table.State(), dsBrowse);
  Table.Last();
  EXPECT_EQ(Table.RecordCount(), 4);
  EXPECT_TRUE(Driver.ProviderEOF());

  auto Field = [&](const char* Name) { return Table.FieldByName(QString::fromUtf8(Name)); };
  auto Goto = [&](int Id) { return Table.Locate(QStringLiteral("id"), Id, TLocateOptions()); };
  Table.SetCachedUpdates(true);
  ASSERT_TRUE(Goto(1));
  Table.Edit();
  Field("name")->SetAsString(QStringLiteral("Болт-3"));
  Table.Post();
  EXPECT_EQ(Table.UpdateStatus(), usModified);
  Table.Append();
  Field("id")->SetAsInteger(6);
  Field("name")->SetAsString(QStringLiteral("Дюбель"));
  Field("price")->SetAsFloat(0.3);
  Table.Post();
  EXPECT_EQ(Table.UpdateStatus(), usInserted);
  ASSERT_TRUE(Goto(4));
  Table.Delete();
  EXPECT_EQ(Table.RecordCount(), 4);
  EXPECT_EQ(ServerRows().size(), 4u);   // nothing reached the server yet

  Other.Exec("update mt_drv_items set price = 5 where id = 1");
  int Conflicts = 0;
  Driver.OnUpdateError = [&](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*, TUpdateErrorActionEh& Action) {
    ++Conflicts;
    Action = ueaCountinueSkip;
  };
  EXPECT_EQ(Table.ApplyUpdates(-1), 2);
  EXPECT_EQ(Conflicts, 1);
  EXPECT_TRUE(Table.HasCachedChanges());
  ASSERT_TRUE(Goto(1));
  EXPECT_EQ(Table.UpdateStatus(), usModified);
  ASSERT_NE(Table.UpdateError(), nullptr);
  EXPECT_EQ(ServerRows(), (std::vector<Row>{R3("1", "Болт", "5.00"), R3("2", "Гайка", "0.75"),
                                            R3("3", "Шайба", "0.10"), R3("6", "Дюбель", "0.30")}));
  // Re-read from the server, the change goes through.
  Table.RefreshRecord();
  EXPECT_EQ(Table.ApplyUpdates(-1), 1);
  EXPECT_FALSE(Table.HasCachedChanges());
  EXPECT_EQ(ServerRows()[0][1], std::optional<std::string>("Болт-3"));

  // Without cached updates every post goes to the server at once.
  Table.SetCachedUpdates(false);
  ASSERT_TRUE(Goto(2));
  Table.Edit();
  Field("price")->SetAsFloat(0.9);
  Table.Post();
  EXPECT_EQ(Table.UpdateStatus(), usUnmodified);
  EXPECT_EQ(ServerRows()[1], R3("2", "Гайка", "0.90"));
  // A row gone from the server: the post fails and the edit stays open.
  Other.Exec("delete from mt_drv_items where id = 3");
  Driver.OnUpdateError = nullptr;
  ASSERT_TRUE(Goto(3));
  Table.Edit();
  Field("name")->SetAsString(QStringLiteral("Шайба-2"));
  EXPECT_THROW(Table.Post(), EUpdateConflictEh);
  EXPECT_EQ(Table.State(), dsEdit);
  Table.Cancel();
  EXPECT_EQ(Field("name")->AsString(), QStringLiteral("Шайба"));
  EXPECT_FALSE(Table.HasCachedChanges());
  Table.Close();
}

}  // namespace
