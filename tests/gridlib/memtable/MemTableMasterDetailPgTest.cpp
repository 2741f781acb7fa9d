// MemTableMasterDetailPgTest.cpp: a memory table as the detail of an ADO
// query on the test server: restricted on itself over rows read once, re-read
// through its data driver for every master row, or read once per master key
// and kept.
#include "MemTableTestSupport.h"

#include "gridlib/memtable/DataDriverEh.h"
#include "gridlib/memtable/MemTableEh.h"

#include "platform/data/ADODB.h"

#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

namespace {

QString S(const char* Text) { return QString::fromUtf8(Text); }

class MemTableMasterDetailPg : public ::testing::Test {
protected:
  void SetUp() override
  {
    RegisterADOClasses();
    Other.Exec("drop table if exists mt_md_line");
    Other.Exec("drop table if exists mt_md_master");
    Other.Exec("create table mt_md_master (id int4 primary key, name varchar(20) not null)");
    Other.Exec("create table mt_md_line (id int4 primary key, master_id int4 not null, qty int4 not null)");
    Other.Exec("insert into mt_md_master values (1, 'Цех'), (2, 'Склад'), (3, 'Пусто')");
    Other.Exec("insert into mt_md_line values (10, 1, 5), (11, 2, 7), (12, 1, 3), (13, 2, 1), (14, 1, 2)");
    Db.SetLoginPrompt(false);
    Db.SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
    Db.Open();
    Master.SetConnection(&Db);
    Master.SQL()->SetText(S("select id, name from mt_md_master order by id"));
    Master.Open();
    Source.SetDataSet(&Master);
    Lines.SetConnection(&Db);
    Lines.AfterOpen = [this](TDataSet*) { ++LineReadings; };
    Driver.SetProviderDataSet(&Lines);
    Detail.SetDataDriver(&Driver);
    Detail.SetFetchAllOnOpen(true);
  }
  void TearDown() override
  {
    Detail.Close();
    Lines.Close();
    Master.Close();
    Db.Close();
    Other.Exec("drop table if exists mt_md_line");
    Other.Exec("drop table if exists mt_md_master");
  }
  // Restricted by the master's id, through its own fields or the query's.
  void Link(TMasterDetailSideEh Side, const char* LinesSql)
  {
    Lines.SQL()->SetText(S(LinesSql));
    Detail.SetMasterDetailSide(Side);
    Detail.SetMasterSource(&Source);
    Detail.SetMasterFields(S("id"));
    Detail.SetDetailFields(S("master_id"));
    Detail.Open();
  }
  std::vector<int> DetailIds() { return mttest::ColumnInts(&Detail); }
  Integer Stored() { return Detail.MemTableData()->RecordsList()->Count(); }

  testsupport::OdbcSession Other;
  TADOConnection Db{nullptr};
  TADOQuery Master{nullptr};
  TDataSource Source{nullptr};
  TADOQuery Lines{nullptr};
  int LineReadings = 0;
  TDataDriverEh Driver{nullptr};
  TMemTableEh Detail{nullptr};
};

const char* AllLines = "select id, master_id, qty from mt_md_line order by id";
const char* LinesOfMaster = "select id, master_id, qty from mt_md_line where master_id = :id order by id";

TEST_F(MemTableMasterDetailPg, OnSelfFollowsAnAdoMasterWithoutReading)
{
  Link(mdsOnSelfEh, AllLines);
  EXPECT_TRUE(Detail.DetailMode());
  EXPECT_EQ(DetailIds(), (std::vector<int>{10, 12, 14}));
  Master.Next();
  EXPECT_EQ(DetailIds(), (std::vector<int>{11, 13}));
  Master.Next();
  EXPECT_TRUE(Detail.IsEmpty());
  EXPECT_EQ(LineReadings, 1);
  EXPECT_EQ(Stored(), 5);

  // A new line takes the master's key before the user's handler runs.
  Variant SeenByHandler;
  Detail.OnNewRecord = [&](TDataSet* D) { SeenByHandler = D->FieldByName(S("master_id"))->Value(); };
  Detail.Append();
  EXPECT_EQ(SeenByHandler.AsInteger(), 3);
  Detail.FieldByName(S("id"))->SetAsInteger(15);
  Detail.FieldByName(S("qty"))->SetAsInteger(4);
  Detail.Post();
  EXPECT_EQ(DetailIds(), (std::vector<int>{15}));

  // Closing the master leaves the last restriction; an empty detail field
  // list switches it off.
  Master.Close();
  EXPECT_EQ(DetailIds(), (std::vector<int>{15}));
  Master.Open();
  EXPECT_EQ(DetailIds(), (std::vector<int>{10, 12, 14}));
  Detail.SetDetailFields(QString());
  EXPECT_FALSE(Detail.DetailMode());
  EXPECT_EQ(Detail.RecordCount(), 6);
}

TEST_F(MemTableMasterDetailPg, OnProviderReadsTheRowsOfEveryMasterRow)
{
  Link(mdsOnProviderEh, LinesOfMaster);
  EXPECT_TRUE(Detail.DetailMode());
  EXPECT_EQ(DetailIds(), (std::vector<int>{10, 12, 14}));
  EXPECT_EQ(Stored(), 3);
  Master.Next();
  EXPECT_EQ(DetailIds(), (std::vector<int>{11, 13}));
  EXPECT_EQ(Stored(), 2);   // only what the query gave for this row
  Master.Next();
  EXPECT_TRUE(Detail.IsEmpty());
  EXPECT_EQ(LineReadings, 3);
  // The same master values again read nothing.
  Master.Last();
  Master.Resync({});
  EXPECT_EQ(LineReadings, 3);
  Master.First();
  EXPECT_EQ(DetailIds(), (std::vector<int>{10, 12, 14}));
  EXPECT_EQ(LineReadings, 4);
}

TEST_F(MemTableMasterDetailPg, OnSelfAfterProviderReadsEachKeyOnce)
{
  Link(mdsOnSelfAfterProviderEh, LinesOfMaster);
  EXPECT_EQ(DetailIds(), (std::vector<int>{10, 12, 14}));
  EXPECT_EQ(LineReadings, 1);
  Master.Next();
  EXPECT_EQ(DetailIds(), (std::vector<int>{11, 13}));
  EXPECT_EQ(LineReadings, 2);
  EXPECT_EQ(Stored(), 5);   // the first key's rows stay
  Master.First();
  EXPECT_EQ(DetailIds(), (std::vector<int>{10, 12, 14}));
  EXPECT_EQ(LineReadings, 2);   // seen before: nothing read
  Master.Last();
  EXPECT_TRUE(Detail.IsEmpty());
  EXPECT_EQ(LineReadings, 3);
  EXPECT_EQ(Stored(), 5);

  // Closing forgets the keys read: opening again reads the current one.
  Detail.Close();
  Master.First();
  Detail.Open();
  EXPECT_EQ(DetailIds(), (std::vector<int>{10, 12, 14}));
  EXPECT_EQ(Stored(), 3);
  EXPECT_EQ(LineReadings, 4);
}

}  // namespace
