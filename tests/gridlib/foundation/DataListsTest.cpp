// DataListsTest.cpp: the bookmark list of selected rows and the distinct
// value list of a field, over ADO datasets on the test server: selecting,
// re-sorting, deleting elsewhere and deleting the selection; the values of a
// 100,000-row field against the server's own DISTINCT.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include "platform/data/ADODB.h"
#include "platform/rtl/SysUtils.h"

#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

namespace {

// The list as a grid keeps it: over the grid's dataset, counting the
// notices a grid would repaint on.
class TGridBMList : public TBMListEh {
public:
  explicit TGridBMList(TDataSet* ADataSet) : FDataSet(ADataSet) { SetLinkActive(true); }
  Integer Changes = 0;

protected:
  TDataSet* GetDataSet() const override { return FDataSet; }
  void ListChanged() override
  {
    TBMListEh::ListChanged();
    ++Changes;
  }

private:
  TDataSet* FDataSet;
};

class DataListsTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    RegisterADOClasses();
    Db = std::make_unique<TADOConnection>(nullptr);
    Db->SetLoginPrompt(false);
    Db->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
    Db->Open();
    Db->BeginTrans();
  }
  void TearDown() override
  {
    Rows.reset();
    Db->RollbackTrans();
  }

  TADOQuery* Open(const String& Sql)
  {
    Rows = std::make_unique<TADOQuery>(nullptr);
    Rows->SetConnection(Db.get());
    Rows->SQL()->SetText(Sql);
    Rows->Open();
    return Rows.get();
  }

  Integer Scalar(const String& Sql)
  {
    TADOQuery Q(nullptr);
    Q.SetConnection(Db.get());
    Q.SQL()->SetText(Sql);
    Q.Open();
    return Q.Fields()->Fields(0)->AsInteger();
  }

  // The ids of the list's bookmarks, in list order.
  std::vector<Integer> Ids(TBMListEh& List)
  {
    std::vector<Integer> R;
    for (Integer I = 0; I < List.Count(); ++I) {
      Rows->GotoBookmark(List.Items(I));
      R.push_back(Rows->FieldByName(QStringLiteral("id"))->AsInteger());
    }
    return R;
  }

  void GotoId(Integer Id)
  {
    ASSERT_TRUE(Rows->Locate(QStringLiteral("id"), Id, {}));
  }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOQuery> Rows;
};

String Joined(TStrings* L)
{
  QStringList R;
  for (Integer I = 0; I < L->Count(); ++I)
    R.append(L->Get(I));
  return R.join(QLatin1Char('|'));
}

// Twenty rows whose names order them differently from their ids.
void CreateRows(TADOConnection& Db)
{
  Db.Execute(QStringLiteral("create table bm_rows(id int primary key, name varchar(40))"));
  Db.Execute(QStringLiteral("insert into bm_rows select g, 'Рейс ' || chr(1040 + (g * 7) % 20) "
                            "from generate_series(1, 20) g"));
}

} // namespace

TEST_F(DataListsTest, BookmarkListFollowsSortAndDeletes)
{
  CreateRows(*Db);
  TADOQuery* Q = Open(QStringLiteral("select id, name from bm_rows order by id"));
  TGridBMList List(Q);

  Integer Index = -1;
  EXPECT_FALSE(List.Find(Q->Bookmark(), Index));
  EXPECT_EQ(Index, 0);

  for (Integer Id : {15, 3, 9, 1, 20, 7}) {
    GotoId(Id);
    List.SetCurrentRowSelected(true);
  }
  EXPECT_EQ(Ids(List), (std::vector<Integer>{1, 3, 7, 9, 15, 20}));
  GotoId(9);
  EXPECT_TRUE(List.CurrentRowSelected());
  List.AppendBookmark(Q->Bookmark());   // already there: nothing changes
  EXPECT_EQ(List.Count(), 6);
  try {
    List.InsertItem(List.Count() + 1, Q->Bookmark());
    FAIL() << "no error for an index past the end";
  } catch (const EListError& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("List index out of bounds (7)"));
  }

  // Re-sorted by name: the list follows the dataset's new order.
  Q->SetSort(QStringLiteral("name DESC"));
  EXPECT_FALSE(List.Refresh(false));
  std::vector<Integer> ByName;
  for (Q->First(); !Q->Eof(); Q->Next()) {
    const Integer Id = Q->FieldByName(QStringLiteral("id"))->AsInteger();
    if (std::set<Integer>{1, 3, 7, 9, 15, 20}.count(Id))
      ByName.push_back(Id);
  }
  EXPECT_EQ(Ids(List), ByName);
  EXPECT_NE(ByName, (std::vector<Integer>{1, 3, 7, 9, 15, 20}));

  // A selected row deleted by someone else's code drops out on refresh.
  GotoId(9);
  Q->Delete();
  const Integer ChangesBefore = List.Changes;
  EXPECT_TRUE(List.Refresh(true));
  EXPECT_GT(List.Changes, ChangesBefore);
  std::erase(ByName, 9);
  EXPECT_EQ(Ids(List), ByName);
  EXPECT_EQ(Scalar(QStringLiteral("select count(*) from bm_rows")), 19);

  // Deleting the selection deletes its records on the server.
  List.Delete();
  EXPECT_EQ(List.Count(), 0);
  EXPECT_EQ(Q->RecordCount(), 14);
  EXPECT_EQ(Scalar(QStringLiteral("select count(*) from bm_rows where id in (1, 3, 7, 9, 15, 20)")), 0);
  EXPECT_EQ(Scalar(QStringLiteral("select count(*) from bm_rows")), 14);
}

TEST_F(DataListsTest, SelectAllKeepsThePosition)
{
  CreateRows(*Db);
  TADOQuery* Q = Open(QStringLiteral("select id, name from bm_rows order by id"));
  TGridBMList List(Q);
  GotoId(12);
  List.SelectAll();
  EXPECT_EQ(List.Count(), Q->RecordCount());
  EXPECT_EQ(Q->FieldByName(QStringLiteral("id"))->AsInteger(), 12);
  EXPECT_TRUE(List.CurrentRowSelected());
  List.SetLinkActive(false);
  EXPECT_EQ(List.Count(), 0);
  EXPECT_FALSE(List.CurrentRowSelected());
  try {
    List.SetCurrentRowSelected(true);
    FAIL() << "a closed link gave a current bookmark";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Cannot perform this operation on a closed dataset"));
  }
}

// Inside BeginUpdate and EndUpdate no list notice runs, yet a search after
// an insert or a delete must see the change: a stale answer would insert
// the same row twice or delete the wrong one.
TEST_F(DataListsTest, SearchSeesChangesInsideAnUpdate)
{
  CreateRows(*Db);
  TADOQuery* Q = Open(QStringLiteral("select id, name from bm_rows order by id"));
  TGridBMList List(Q);
  for (Integer Id : {2, 4, 6}) {
    GotoId(Id);
    List.SetCurrentRowSelected(true);
  }
  List.BeginUpdate();
  const Integer Changes = List.Changes;
  GotoId(5);
  EXPECT_FALSE(List.CurrentRowSelected());   // caches "absent at 2"
  List.SetCurrentRowSelected(true);
  List.SetCurrentRowSelected(true);
  EXPECT_TRUE(List.CurrentRowSelected());
  GotoId(4);
  EXPECT_TRUE(List.CurrentRowSelected());   // caches "present at 1"
  List.SetCurrentRowSelected(false);
  EXPECT_FALSE(List.CurrentRowSelected());
  EXPECT_EQ(List.Changes, Changes);
  List.EndUpdate();
  EXPECT_EQ(List.Changes, Changes + 1);
  EXPECT_EQ(Ids(List), (std::vector<Integer>{2, 5, 6}));
}

// The drop-down of a column filter over 100,000 rows: every distinct text
// once, in the program's text order, Null as the empty text.
TEST_F(DataListsTest, ValueListOfALargeField)
{
  Db->Execute(QStringLiteral(
      "create table vl_rows as select g as id, "
      "case when g % 1000 = 0 then null else 'Изделие ' || (g * 7919 % 4999) end::varchar(40) as name "
      "from generate_series(1, 100000) g"));
  Db->Execute(QStringLiteral("alter table vl_rows add primary key (id)"));
  TADOQuery* Q = Open(QStringLiteral("select id, name from vl_rows order by id"));
  Q->MoveBy(500);
  const Integer Pos = Q->RecNo();

  auto List = std::make_shared<TDatasetFieldValueListEh>();
  List->SetDataSet(Q);
  List->SetFieldName(QStringLiteral("name"));
  std::shared_ptr<IMemTableDataFieldValueListEh> Holder = List;
  TStrings* Values = Holder->GetValues();
  EXPECT_EQ(Values->Count(), Scalar(QStringLiteral("select count(distinct coalesce(name, '')) from vl_rows")));
  EXPECT_EQ(Values->Get(0), String());
  for (Integer I = 1; I < Values->Count(); ++I)
    ASSERT_LT(CollateText(Values->Get(I - 1), Values->Get(I), false), 0) << I;
  EXPECT_EQ(Q->RecNo(), Pos);

  // Scrolling leaves the values as they are; a change of the data has them
  // gathered again on the next read, and the new text is among them.
  Integer Walked = 0;
  Q->AfterScroll = [&](TDataSet*) { ++Walked; };
  Q->Next();
  Walked = 0;
  List->Values();
  EXPECT_EQ(Walked, 0);
  Q->Edit();
  Q->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("Ящик"));
  Q->Post();
  EXPECT_EQ(Walked, 0);
  EXPECT_EQ(List->Values()->IndexOf(QStringLiteral("Ящик")), List->Values()->Count() - 1);
  EXPECT_GT(Walked, 0);
}

TEST_F(DataListsTest, ValueListCaseAndMissingField)
{
  TADOQuery* Q = Open(QStringLiteral("select * from (values (1, 'b'), (2, 'a'), (3, 'b'), (4, 'A'), (5, null)) "
                                     "as t(id, name) order by id"));
  TDatasetFieldValueListEh List;
  List.SetDataSet(Q);
  List.SetFieldName(QStringLiteral("name"));
  List.SetCaseSensitive(true);
  EXPECT_EQ(Joined(List.Values()), QStringLiteral("|a|A|b"));
  List.SetCaseSensitive(false);
  EXPECT_EQ(Joined(List.Values()), QStringLiteral("|a|b"));   // the text met first stays

  List.SetFieldName(QStringLiteral("nosuch"));
  EXPECT_EQ(List.Values()->Count(), 0);
  List.SetFieldName(QStringLiteral("id"));
  EXPECT_EQ(List.Values()->Count(), 5);
}
