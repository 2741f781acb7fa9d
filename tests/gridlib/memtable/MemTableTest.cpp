// MemTableTest.cpp: the memory table's own behaviour beyond a plain dataset:
// sorting with Nulls, search, filters and extra filters, bookmarks across a
// sort, instant reading for grids, and master/detail between two tables.
#include "gridlib/memtable/MemTableEh.h"
#include "MemTableTestSupport.h"

#include "platform/gui/Forms.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

QString S(const char* Text) { return QString::fromUtf8(Text); }

struct TRow {
  Variant Id, Name, Amount;
};

// A table of (id, name, amount) filled through the dataset itself.
std::unique_ptr<TMemTableEh> NewTable(const std::vector<TRow>& Rows)
{
  auto T = std::make_unique<TMemTableEh>(nullptr);
  T->FieldDefs()->Add(S("id"), ftInteger);
  T->FieldDefs()->Add(S("name"), ftWideString, 30);
  T->FieldDefs()->Add(S("amount"), ftFloat);
  T->CreateDataSet();
  for (const TRow& R : Rows) {
    T->Append();
    T->FieldByName(S("id"))->SetValue(R.Id);
    T->FieldByName(S("name"))->SetValue(R.Name);
    T->FieldByName(S("amount"))->SetValue(R.Amount);
    T->Post();
  }
  T->First();
  return T;
}

std::vector<int> Ids(TDataSet* D) { return mttest::ColumnInts(D); }

const std::vector<TRow> Sample = {
  {Variant(1), Variant(S("Бета")), Variant(5.0)},   {Variant(2), Null, Variant(3.0)},
  {Variant(3), Variant(S("Альфа")), Null},          {Variant(4), Variant(S("Бета")), Variant(1.0)},
  {Variant(5), Variant(S("Гамма")), Variant(3.0)},  {Variant(6), Variant(S("Бета")), Variant(5.0)},
};

TEST(MemTableSort, SeveralFieldsWithNullsBothWays)
{
  struct TCase {
    const char* Order;
    std::vector<int> Ids;
  };
  const std::vector<TCase> Cases = {
    // Nulls first ascending, last descending; ties keep the storage order.
    {"amount", {3, 4, 2, 5, 1, 6}},
    {"amount DESC", {1, 6, 2, 5, 4, 3}},
    {"name DESC, amount", {5, 4, 1, 6, 3, 2}},
    {"name DESC; amount DESC", {5, 1, 6, 4, 3, 2}},
    {"[name] desc asc , id desc", {5, 6, 4, 1, 3, 2}},
    {"amount, name", {3, 4, 2, 5, 1, 6}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Order);
    auto T = NewTable(Sample);
    T->SetSortOrder(S(C.Order));
    EXPECT_EQ(Ids(T.get()), C.Ids);
    auto U = NewTable(Sample);
    U->SortByFields(S(C.Order));   // a one-time sort of the storage itself
    EXPECT_EQ(Ids(U.get()), C.Ids);
    U->Close();
    U->Open();
    EXPECT_EQ(Ids(U.get()), C.Ids);
  }
}

TEST(MemTableSort, OrderTextErrorsAndCaseInsensitiveText)
{
  auto T = NewTable(Sample);
  try {
    T->SortByFields(S("Nope"));
    FAIL() << "unknown field";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), S(" Field - \"Nope\" not found."));
  }
  try {
    T->SortByFields(S("name id"));
    FAIL() << "missing separator";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), S(" Invalid token - \"id\""));
  }
  EXPECT_EQ(Ids(T.get()), (std::vector<int>{1, 2, 3, 4, 5, 6}));   // nothing moved

  // Case-insensitive: abc and ABC are equal and keep their order.
  auto C = NewTable({{Variant(1), Variant(S("abd")), Null}, {Variant(2), Variant(S("abc")), Null},
                     {Variant(3), Variant(S("ABC")), Null}});
  C->SetOptions({mtoTextFieldsCaseInsensitive});
  C->SetSortOrder(S("name"));
  EXPECT_EQ(Ids(C.get()), (std::vector<int>{2, 3, 1}));
  C->SetSortOrder(S("name DESC"));
  EXPECT_EQ(Ids(C.get()), (std::vector<int>{1, 2, 3}));
  C->SetFilter(S("name = 'ABC'"));
  C->SetFilteredValue(true);
  EXPECT_EQ(Ids(C.get()), (std::vector<int>{2, 3}));

  // Sorting while a grid reads a row is refused.
  T->InstantReadEnter(0);
  EXPECT_THROW(T->SortByFields(S("id DESC")), Exception);
  T->InstantReadLeave();
  EXPECT_THROW(T->InstantReadLeave(), Exception);
}

TEST(MemTableBookmarks, FollowTheirRecordAcrossSortsAndHiding)
{
  auto T = NewTable(Sample);
  T->SetRecNo(3);
  const TBookmark B3 = T->Bookmark();
  T->SetRecNo(5);
  const TBookmark B5 = T->Bookmark();
  EXPECT_LT(T->CompareBookmarks(B3, B5), 0);
  T->SetSortOrder(S("amount DESC"));   // 1 6 2 5 4 3
  EXPECT_GT(T->CompareBookmarks(B3, B5), 0);   // the view's order decides
  EXPECT_EQ(T->BookmarkToRecNo(B3), 6);
  T->GotoBookmark(B3);
  EXPECT_EQ(T->FieldByName(S("id"))->AsInteger(), 3);

  // Hidden by a filter: still valid, not visible, and not reachable.
  T->SetFilter(S("id <> 3"));
  T->SetFilteredValue(true);
  EXPECT_TRUE(T->BookmarkValid(B3));
  EXPECT_FALSE(T->BookmarkInVisibleView(B3));
  EXPECT_TRUE(T->BookmarkInVisibleView(B5));
  EXPECT_THROW(T->GotoBookmark(B3), EDatabaseError);
}

TEST(MemTableSearch, LocateLookupAndLookupAll)
{
  auto T = NewTable(Sample);
  T->SetRecNo(2);
  EXPECT_TRUE(T->Locate(S("amount"), Variant(5.0), {}));
  EXPECT_EQ(T->FieldByName(S("id"))->AsInteger(), 1);
  // Partial key compares texts, also of numbers.
  T->Append();
  T->FieldByName(S("id"))->SetAsInteger(123);
  T->Post();
  T->First();
  EXPECT_TRUE(T->Locate(S("id"), Variant(12), {loPartialKey}));
  EXPECT_EQ(T->FieldByName(S("id"))->AsInteger(), 123);
  EXPECT_TRUE(T->Locate(S("name"), Variant(S("АЛЬ")), {loPartialKey, loCaseInsensitive}));
  EXPECT_EQ(T->FieldByName(S("id"))->AsInteger(), 3);
  EXPECT_THROW(T->Locate(S("nope"), Variant(1), {}), EDatabaseError);

  const Variant Missing = T->Lookup(S("id"), Variant(77), S("name"));
  EXPECT_TRUE(VarIsEmpty(Missing));   // unassigned, not Null
  const Variant Pair = T->Lookup(S("id"), Variant(4), S("name;amount"));
  ASSERT_TRUE(VarIsArray(Pair));
  EXPECT_EQ(Pair.GetElement(0).AsString(), S("Бета"));
  EXPECT_EQ(T->FieldByName(S("id"))->AsInteger(), 3);   // the cursor stays

  const Variant All = T->LookupAll(S("name"), Variant(S("Бета")), S("id"), {});
  ASSERT_TRUE(VarIsArray(All));
  EXPECT_EQ(VarArrayHighBound(All, 1) - VarArrayLowBound(All, 1) + 1, 3);
  EXPECT_EQ(All.GetElement(2).AsInteger(), 6);
  EXPECT_EQ(T->LookupAll(S("id"), Variant(5), S("name"), {}).AsString(), S("Гамма"));
  EXPECT_TRUE(VarIsEmpty(T->LookupAll(S("id"), Variant(99), S("name"), {})));
}

TEST(MemTableFilter, RaisingFilterIsReportedOnceAndStopsThePass)
{
  auto T = NewTable(Sample);
  std::vector<QString> Shown;
  Application->OnException = [&](TObject*, Exception& E) { Shown.push_back(E.Message()); };
  int Calls = 0;
  T->SetOnFilterRecord([&](TDataSet* D, bool& Accept) {
    ++Calls;
    if (D->FieldByName(S("id"))->AsInteger() == 3)
      throw Exception(S("сбой фильтра"));
    Accept = true;
  });
  T->SetFilteredValue(true);
  Application->OnException = nullptr;
  EXPECT_EQ(Shown, std::vector<QString>{S("сбой фильтра")});
  EXPECT_EQ(Calls, 3);   // records after the failing one are not asked
  EXPECT_EQ(T->RecordCount(), 0);   // nothing unjudged is shown
  // A sound filter afterwards shows the rows again.
  T->SetOnFilterRecord([](TDataSet* D, bool& Accept) { Accept = D->FieldByName(S("id"))->AsInteger() > 4; });
  EXPECT_EQ(Ids(T.get()), (std::vector<int>{5, 6}));
  // The event runs also when the expression rejected the record, and may accept it.
  T->SetFilter(S("id = 1"));
  EXPECT_EQ(Ids(T.get()), (std::vector<int>{5, 6}));
}

TEST(MemTableFilter, FilterTextOnlyWhileFilteredAndExtraFilters)
{
  auto T = NewTable(Sample);
  T->SetFilter(S("amount >= 3"));
  EXPECT_EQ(T->RecordCount(), 6);   // not filtered yet
  T->SetFilteredValue(true);
  EXPECT_EQ(Ids(T.get()), (std::vector<int>{1, 2, 5, 6}));
  T->SetFilteredValue(false);

  IMemTableEh* Grid = T.get();
  TMemTableFilterItemEh* ByName = Grid->AddExtraFilter(S("name = 'Бета'"), nullptr);
  TMemTableFilterItemEh* ByProc =
    Grid->AddExtraFilter(QString(), [](TDataSet* D, bool& Accept) { Accept = D->FieldByName(S("id"))->AsInteger() != 4; });
  EXPECT_EQ(Ids(T.get()), (std::vector<int>{1, 6}));
  ByName->SetActive(false);
  EXPECT_EQ(Ids(T.get()), (std::vector<int>{1, 2, 3, 5, 6}));
  auto Other = NewTable(Sample);
  EXPECT_FALSE(static_cast<IMemTableEh*>(Other.get())->RemoveExtraFilter(ByProc));
  EXPECT_TRUE(Grid->RemoveExtraFilter(ByProc));
  EXPECT_EQ(T->RecordCount(), 6);
}

TEST(MemTableInstantRead, ReadsRowsWithoutMovingTheCursor)
{
  auto T = NewTable(Sample);
  T->SetRecNo(2);
  int Scrolls = 0;
  T->AfterScroll = [&](TDataSet*) { ++Scrolls; };
  T->InstantReadEnter(4);
  EXPECT_EQ(T->FieldByName(S("id"))->AsInteger(), 5);
  T->InstantReadEnter(0);   // nests
  EXPECT_EQ(T->FieldByName(S("id"))->AsInteger(), 1);
  T->InstantReadLeave();
  EXPECT_EQ(T->FieldByName(S("id"))->AsInteger(), 5);
  T->InstantReadLeave();
  EXPECT_EQ(T->RecNo(), 2);
  EXPECT_EQ(T->FieldByName(S("id"))->AsInteger(), 2);
  EXPECT_EQ(T->State(), dsBrowse);
  EXPECT_EQ(Scrolls, 0);

  // A row being inserted at grid row 2 shows its unsaved values there; the
  // stored rows from there on count one further down.
  T->Insert();
  T->FieldByName(S("id"))->SetAsInteger(42);
  IMemTableEh* Grid = T.get();
  EXPECT_EQ(Grid->InstantReadRowCount(), 7);
  Grid->InstantReadEnter(1);
  EXPECT_EQ(T->FieldByName(S("id"))->AsInteger(), 42);
  Grid->InstantReadLeave();
  Grid->InstantReadEnter(2);
  EXPECT_EQ(T->FieldByName(S("id"))->AsInteger(), 2);
  Grid->InstantReadLeave();
  T->Cancel();
}

TEST(MemTableAggregates, RangeValuesOfTheView)
{
  auto T = NewTable(Sample);
  T->Append();
  T->FieldByName(S("id"))->SetAsInteger(7);
  T->FieldByName(S("name"))->SetAsString(S("Гамма"));
  T->Post();
  IMemTableEh* Grid = T.get();
  TAggrResultArr R;
  Grid->GetAggregatedValuesForRange(TBookmark(), TBookmark(), S("amount"), R,
                                    {agfSumEh, agfCountEh, agfAvg, agfMin, agfMax});
  EXPECT_DOUBLE_EQ(R[agfSumEh].AsDouble(), 17.0);
  EXPECT_EQ(R[agfCountEh].AsInteger(), 5);   // Nulls skipped
  EXPECT_DOUBLE_EQ(R[agfAvg].AsDouble(), 3.4);
  EXPECT_DOUBLE_EQ(R[agfMin].AsDouble(), 1.0);
  EXPECT_DOUBLE_EQ(R[agfMax].AsDouble(), 5.0);
  // A text column is counted but not summed.
  Grid->GetAggregatedValuesForRange(TBookmark(), TBookmark(), S("name"), R, {agfSumEh, agfCountEh});
  EXPECT_TRUE(R[agfSumEh].IsNull());
  EXPECT_EQ(R[agfCountEh].AsInteger(), 6);
  // A bookmark of a deleted record gives the empty result.
  T->Last();
  const TBookmark Gone = T->Bookmark();
  T->Delete();
  Grid->GetAggregatedValuesForRange(Gone, TBookmark(), S("amount"), R, {agfSumEh, agfCountEh});
  EXPECT_TRUE(R[agfSumEh].IsNull());
  EXPECT_EQ(R[agfCountEh].AsInteger(), 0);
}

TEST(MemTableMasterDetail, DetailFollowsTheMasterRecord)
{
  auto Master = NewTable({{Variant(1), Variant(S("Цех")), Null}, {Variant(2), Variant(S("Склад")), Null},
                          {Variant(3), Variant(S("Пусто")), Null}});
  auto Detail = NewTable({{Variant(10), Variant(S("a")), Variant(1.0)},
                          {Variant(11), Variant(S("b")), Variant(2.0)},
                          {Variant(12), Variant(S("c")), Variant(1.0)}});
  TDataSource Source(nullptr);
  Source.SetDataSet(Master.get());
  Detail->SetMasterSource(&Source);
  Detail->SetMasterFields(S("id"));
  Detail->SetDetailFields(S("amount"));
  EXPECT_TRUE(Detail->DetailMode());
  EXPECT_EQ(Ids(Detail.get()), (std::vector<int>{10, 12}));
  Master->Next();
  EXPECT_EQ(Ids(Detail.get()), (std::vector<int>{11}));
  Master->Next();
  EXPECT_TRUE(Detail->IsEmpty());
  Master->First();
  EXPECT_EQ(Detail->RecordCount(), 2);
  Detail->SetMasterSource(nullptr);
  EXPECT_FALSE(Detail->DetailMode());
  EXPECT_EQ(Detail->RecordCount(), 3);
}

TEST(MemTableStructure, OpeningErrorsAndExternalStorage)
{
  TMemTableEh Empty(nullptr);
  try {
    Empty.Open();
    FAIL() << "opened without structure";
  } catch (const EDatabaseError& E) {
    EXPECT_TRUE(E.Message().endsWith(S("MemTable doesn't have data.")));
  }
  EXPECT_FALSE(Empty.Active());
  EXPECT_THROW(Empty.SetExternalMemData(&Empty), Exception);

  auto Owner = NewTable(Sample);
  {
    TMemTableEh Viewer(nullptr);
    Viewer.SetExternalMemData(Owner.get());
    Viewer.Open();
    EXPECT_EQ(Viewer.RecordCount(), 6);
    Viewer.SetRecNo(2);
    Viewer.Edit();
    Viewer.FieldByName(S("name"))->SetAsString(S("Дельта"));
    Viewer.Post();
  }
  Owner->SetRecNo(2);
  EXPECT_EQ(Owner->FieldByName(S("name"))->AsString(), S("Дельта"));
  EXPECT_EQ(Owner->RecordCount(), 6);   // the viewer's end left the records

  Owner->EmptyTable();
  EXPECT_EQ(Owner->RecordCount(), 0);
  EXPECT_EQ(Owner->FieldCount(), 3);
  Owner->DestroyTable();
  EXPECT_THROW(Owner->Open(), EDatabaseError);
}

}  // namespace
