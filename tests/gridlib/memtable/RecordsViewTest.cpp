// RecordsViewTest.cpp: the records view kept current event by event, checked
// against a view computed from scratch and against a mirror that follows only
// the row notifications; the index search in view order; the record tree.
#include "MemTableTestSupport.h"

#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

using namespace mttest;

namespace {

// A sort order as an object the view hands back to its compare routine.
class TByValue : public TObject {
public:
  bool Descending = false;
};

Integer ValueOf(TMemoryRecordEh* Rec)
{
  return Rec->Value(1).IsNull() ? -1 : Rec->Value(1).AsInteger();
}

// The values of the view's rows, in row order.
std::vector<Integer> RowValues(const TRecordsViewEh& View)
{
  std::vector<Integer> Out;
  for (Integer I = 0; I < View.Count(); ++I)
    Out.push_back(ValueOf(View.GetViewRecord(I)));
  return Out;
}

void UseSortByValue(TRecordsViewEh& View)
{
  View.OnParseOrderByStr = [](const String& Text) {
    auto Order = std::make_unique<TByValue>();
    Order->Descending = Text.endsWith(QStringLiteral("DESC"));
    return std::unique_ptr<TObject>(std::move(Order));
  };
  View.OnCompareRecords = [](TMemoryRecordEh* A, TMemoryRecordEh* B, TObject* P) {
    const Integer C = ValueOf(A) - ValueOf(B);
    return static_cast<TByValue*>(P)->Descending ? -C : C;
  };
}

// Follows the view only through its notifications.
class TMirror {
public:
  explicit TMirror(TRecordsViewEh* View) : FView(View)
  {
    Sub = std::make_unique<TRecordsListNotificatorEh>(nullptr);
    Sub->OnDataEvent = [this](TMemoryRecordEh* R, Integer I, TRecordsListNotification A) { Event(R, I, A); };
    Sub->OnRecordMoved = [this](TMemoryRecordEh* R, Integer From, Integer To) {
      ASSERT_GE(From, 0);
      ASSERT_LT(From, Integer(Rows.size()));
      ASSERT_EQ(Rows[size_t(From)], R) << "moved row";
      Rows.erase(Rows.begin() + From);
      Rows.insert(Rows.begin() + To, R);
    };
    Sub->SetDataObject(View);
  }
  void Event(TMemoryRecordEh* R, Integer I, TRecordsListNotification A)
  {
    switch (A) {
    case rlnRecAddedEh:
      ASSERT_LE(I, Integer(Rows.size()));
      Rows.insert(Rows.begin() + I, R);
      break;
    case rlnRecDeletedEh:
      ASSERT_LT(I, Integer(Rows.size()));
      ASSERT_EQ(Rows[size_t(I)], R) << "deleted row";
      Rows.erase(Rows.begin() + I);
      break;
    case rlnRecChangedEh: case rlnRecMarkedForDelEh:
      ASSERT_LT(I, Integer(Rows.size()));
      ASSERT_EQ(Rows[size_t(I)], R) << "changed row";
      break;
    case rlnListChangedEh:
      Rows.clear();
      for (Integer K = 0; K < FView->Count(); ++K)
        Rows.push_back(FView->GetViewRecord(K));
      ++Rebuilds;
      break;
    default:
      break;
    }
  }
  std::unique_ptr<TRecordsListNotificatorEh> Sub;
  std::vector<TMemoryRecordEh*> Rows;
  Integer Rebuilds = 0;

private:
  TRecordsViewEh* FView;
};

class RecordsViewRandom : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override
  {
    Data = NewStorage();
    AddField(Data->DataStruct(), "Grp", ftInteger);
    AddField(Data->DataStruct(), "Val", ftInteger);
    List = Data->RecordsList();
    View = std::make_unique<TRecordsViewEh>(nullptr);
    UseSortByValue(*View);
    View->OnFilterRecord = [this](TMemoryRecordEh* Rec, Integer) { return Passes(Rec); };
    View->SetMemTableData(Data.get());
    if (GetParam())
      View->SetSortOrder(QStringLiteral("Val DESC"));
    Mirror = std::make_unique<TMirror>(View.get());
    Mirror->Event(nullptr, -1, rlnListChangedEh);
  }
  void TearDown() override
  {
    Mirror.reset();
    View.reset();
  }
  Integer Rand(Integer N) { return Integer(Rng() % unsigned(N)); }
  // Modulus 0 lets every record pass.
  bool Passes(TMemoryRecordEh* Rec) const { return Modulus == 0 || ValueOf(Rec) % Modulus != 0; }
  Integer FreshValue()
  {
    for (;;) {
      const Integer V = Rand(100000);
      if (Used.insert(V).second)
        return V;
    }
  }
  std::vector<TMemoryRecordEh*> Expected() const
  {
    std::vector<TMemoryRecordEh*> R;
    for (Integer I = 0; I < List->Count(); ++I) {
      TMemoryRecordEh* Rec = List->Rec(I);
      if (View->StatusFilter().Contains(Rec->UpdateStatus()) && Passes(Rec))
        R.push_back(Rec);
    }
    if (GetParam())
      std::stable_sort(R.begin(), R.end(), [](auto* A, auto* B) { return ValueOf(A) > ValueOf(B); });
    return R;
  }

  std::unique_ptr<TMemTableDataEh> Data;
  TRecordsListEh* List = nullptr;
  std::unique_ptr<TRecordsViewEh> View;
  std::unique_ptr<TMirror> Mirror;
  std::set<Integer> Used;
  std::mt19937 Rng{4711};
  Integer Modulus = 3;
  Integer Refilters = 0;
  void RunSteps(const std::vector<Integer>& Moduli);
};

// Random record operations; now and then a new filter, the next of Moduli.
void RecordsViewRandom::RunSteps(const std::vector<Integer>& Moduli)
{
  size_t NextModulus = 0;
  for (Integer Step = 0; Step < 2500; ++Step) {
    SCOPED_TRACE(Step);
    const Integer N = List->Count();
    const Integer Op = Rand(103);
    if (Op < 35 || N == 0) {
      TMemoryRecordEh* Rec = List->NewRecord();
      Rec->SetDataValue(0, dvvValueEh, Variant(Rand(5)));
      Rec->SetDataValue(1, dvvValueEh, Variant(FreshValue()));
      List->InsertRecord(Rand(N + 1), Rec);
    } else if (Op < 60) {
      TMemoryRecordEh* Rec = List->Rec(Rand(N));
      if (Rec->UpdateStatus() == usDeleted)
        continue;
      Rec->Edit();
      Rec->SetDataValue(1, dvvValueEh, Variant(FreshValue()));
      Rec->Post();
    } else if (Op < 72) {
      const Integer I = Rand(N);
      if (List->Rec(I)->UpdateStatus() != usDeleted)
        List->DeleteRecord(I);
    } else if (Op < 78) {
      List->RevertRecord(Rand(N));
    } else if (Op < 88) {
      List->Move(Rand(N), Rand(N));
    } else if (Op < 91) {
      List->SetCachedUpdates(!List->CachedUpdates());
    } else if (Op < 93) {
      List->MergeChangeLog();
    } else if (Op < 95) {
      List->CancelUpdates();
    } else if (Op < 97) {
      View->SetStatusFilter(View->StatusFilter().Contains(usDeleted)
                              ? TUpdateStatusSet{usUnmodified, usModified, usInserted}
                              : TUpdateStatusSet{usUnmodified, usModified, usInserted, usDeleted});
    } else if (Op < 100) {
      std::vector<TRecordsRangeEh> Ranges{{Rand(N), Rand(N)}};
      List->PersistDeleteRecords(Ranges);
    } else {
      // A new filter over the sorted list as the events left it.
      Modulus = Moduli[NextModulus++ % Moduli.size()];
      View->RefreshFilteredRecsList(true);
      ++Refilters;
    }
    std::vector<TMemoryRecordEh*> Rows;
    for (Integer I = 0; I < View->Count(); ++I)
      Rows.push_back(View->GetViewRecord(I));
    ASSERT_EQ(Rows, Expected());
    ASSERT_EQ(Mirror->Rows, Rows) << "the notifications lost track of the rows";
    ASSERT_EQ(View->SortedListItemCount(), List->Count());
    if (!GetParam())
      for (Integer I = 0; I < List->Count(); ++I) {
        ASSERT_EQ(View->GetSortedListItem(I)->Rec(), List->Rec(I)) << I;
        ASSERT_EQ(View->IndexOfSortedListRec(List->Rec(I)), I) << I;
      }
  }
  EXPECT_LT(Mirror->Rebuilds - Refilters, 400) << "single changes should not rebuild the view";
}

TEST_P(RecordsViewRandom, RowsFollowEveryRecordEvent)
{
  RunSteps({4, 3});
}

// A view whose filter passes every record shows the records list itself
// until a record is left out; it must follow the events all the same.
TEST_P(RecordsViewRandom, RowsFollowEveryRecordEventMostlyUnfiltered)
{
  Modulus = 0;
  View->RefreshFilteredRecsList(true);
  RunSteps({3, 0, 0, 4, 0});
}

INSTANTIATE_TEST_SUITE_P(Order, RecordsViewRandom, ::testing::Values(false, true),
                         [](const auto& Info) { return Info.param ? "Sorted" : "StorageOrder"; });

TEST(RecordsView, MoveTowardTheStartKeepsTheRowWhenNothingPrecedesIt)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "Grp", ftInteger);
  AddField(Data->DataStruct(), "Val", ftInteger);
  for (Integer V : {1, 3, 4, 5})   // 3 is filtered out
    Append(Data.get(), {Variant(0), Variant(V)});
  TRecordsViewEh View(nullptr);
  View.OnFilterRecord = [](TMemoryRecordEh* Rec, Integer) { return ValueOf(Rec) % 3 != 0; };
  View.SetMemTableData(Data.get());
  TMemoryRecordEh* Four = Data->RecordsList()->Rec(2);
  Data->RecordsList()->Move(2, 1);   // past the hidden record only
  ASSERT_EQ(View.Count(), 3);
  EXPECT_EQ(View.GetViewRecord(0)->Value(1).AsInteger(), 1);
  EXPECT_EQ(View.GetViewRecord(1), Four);
}

// A view over every record in storage order with its filter switched off
// stands still while the records list changes, and takes the changes in
// when the filter is on again and the view refreshed.
TEST(RecordsView, DisabledFilterKeepsTheRowsOfAnUnfilteredView)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "Grp", ftInteger);
  AddField(Data->DataStruct(), "Val", ftInteger);
  for (Integer V : {1, 2, 3})
    Append(Data.get(), {Variant(0), Variant(V)});
  TRecordsViewEh View(nullptr);
  View.SetMemTableData(Data.get());
  TRecordsListEh* List = Data->RecordsList();
  auto Values = [&] { return RowValues(View); };
  ASSERT_EQ(Values(), (std::vector<Integer>{1, 2, 3}));
  View.InstantDisableFilter();
  TMemoryRecordEh* First = List->Rec(0);
  Append(Data.get(), {Variant(0), Variant(4)});
  List->Move(0, 3);
  EXPECT_EQ(Values(), (std::vector<Integer>{1, 2, 3}));
  EXPECT_EQ(View.SortedListItemCount(), 3);
  EXPECT_EQ(View.GetViewRecord(0), First);
  View.InstantEnableFilter();
  View.RefreshFilteredRecsList(true);
  EXPECT_EQ(Values(), (std::vector<Integer>{2, 3, 4, 1}));
  // Shared again: the next append and deletion show at once.
  Append(Data.get(), {Variant(0), Variant(5)});
  List->DeleteRecord(0);
  EXPECT_EQ(Values(), (std::vector<Integer>{3, 4, 1, 5}));
  EXPECT_EQ(View.IndexOfSortedListRec(First), 2);
}

// An unfiltered view sorted and unsorted again, with record events between:
// its rows stay every record in the order asked, and the notifications
// follow them.
TEST(RecordsView, UnfilteredRowsThroughSortingAndEvents)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "Grp", ftInteger);
  AddField(Data->DataStruct(), "Val", ftInteger);
  for (Integer V : {5, 1, 4})
    Append(Data.get(), {Variant(0), Variant(V)});
  TRecordsViewEh View(nullptr);
  UseSortByValue(View);
  View.SetMemTableData(Data.get());
  TMirror Mirror(&View);
  Mirror.Event(nullptr, -1, rlnListChangedEh);
  TRecordsListEh* List = Data->RecordsList();
  auto Values = [&] {
    const std::vector<Integer> Out = RowValues(View);
    EXPECT_EQ(Mirror.Rows.size(), size_t(View.Count()));
    for (size_t I = 0; I < Mirror.Rows.size() && I < size_t(View.Count()); ++I)
      EXPECT_EQ(Mirror.Rows[I], View.GetViewRecord(Integer(I))) << I;
    return Out;
  };
  using V = std::vector<Integer>;
  View.SetSortOrder(QStringLiteral("Val"));
  EXPECT_EQ(Values(), (V{1, 4, 5}));
  Append(Data.get(), {Variant(0), Variant(3)});
  EXPECT_EQ(Values(), (V{1, 3, 4, 5}));
  View.SetSortOrder(QStringLiteral("Val DESC"));
  EXPECT_EQ(Values(), (V{5, 4, 3, 1}));
  List->SetValue(0, 1, Variant(0));   // 5 becomes 0
  EXPECT_EQ(Values(), (V{4, 3, 1, 0}));
  List->DeleteRecord(2);               // the 4
  EXPECT_EQ(Values(), (V{3, 1, 0}));
  View.SetSortOrder(String());
  EXPECT_EQ(Values(), (V{0, 1, 3}));
  List->Move(2, 0);
  EXPECT_EQ(Values(), (V{3, 0, 1}));
  View.SetSortOrder(QStringLiteral("Val"));
  List->Move(0, 2);
  EXPECT_EQ(Values(), (V{0, 1, 3}));
  EXPECT_EQ(View.IndexOfSortedListRec(List->Rec(2)), 2);
}

TEST(RecordsView, IndexSearchAnswersTheFirstShownRowFromTheStart)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "Grp", ftInteger);
  AddField(Data->DataStruct(), "Val", ftInteger);
  TMTIndexEh* ByGroup = Data->RecordsList()->Indexes()->Add();
  ByGroup->SetFields(QStringLiteral("Grp"));
  ByGroup->SetActive(true);
  // Group 7 holds the values 10, 20, 30 (hidden: a multiple of 3), 40.
  for (Integer V : {10, 20, 30, 40, 50})
    Append(Data.get(), {Variant(V == 50 ? 8 : 7), Variant(V)});
  TRecordsViewEh View(nullptr);
  UseSortByValue(View);
  View.OnFilterRecord = [](TMemoryRecordEh* Rec, Integer) { return ValueOf(Rec) % 3 != 0; };
  View.SetMemTableData(Data.get());
  View.SetSortOrder(QStringLiteral("Val DESC"));   // rows: 50, 40, 20, 10
  ASSERT_EQ(View.Count(), 4);
  struct Case { Integer Start; Integer Row; };
  const Case Cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 3}, {4, -1}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Start);
    EXPECT_EQ(View.FindRowByIndexKey(ByGroup, Variant(7), C.Start), C.Row);
  }
  EXPECT_EQ(View.FindRowByIndexKey(ByGroup, Variant(9), 0), -1);
}

TEST(MTIndex, UniqueNullsAndRevertedDeletion)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "A", ftInteger);
  AddField(Data->DataStruct(), "B", ftWideString, 10);
  TRecordsListEh* List = Data->RecordsList();
  Append(Data.get(), {Null, Variant(QStringLiteral("x"))});
  Append(Data.get(), {Null, Variant(QStringLiteral("y"))});
  Append(Data.get(), {Variant(1), Variant(QStringLiteral("z"))});
  TMTIndexEh* Single = List->Indexes()->Add();
  Single->SetFields(QStringLiteral("A"));
  Single->SetUnical(true);
  Single->SetActive(true);
  EXPECT_EQ(Single->Count(), 3) << "the rebuild accepts repeated Nulls";
  EXPECT_NO_THROW(Append(Data.get(), {Null, Variant(QStringLiteral("w"))})) << "and so does adding";
  try {
    Append(Data.get(), {Variant(1), Variant(QStringLiteral("v"))});
    ADD_FAILURE() << "duplicate accepted";
  } catch (const EDatabaseError& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Unique key violation \r\n FieldNames: A\r\n Value: \"1\""));
  }
  TMTIndexEh* Pair = List->Indexes()->Add();
  Pair->SetFields(QStringLiteral("A;B"));
  Pair->SetPrimary(true);
  Pair->SetActive(true);
  Single->SetActive(false);
  try {
    Append(Data.get(), {Variant(1), Variant(QStringLiteral("z"))});
    ADD_FAILURE() << "duplicate accepted";
  } catch (const EDatabaseError& E) {
    EXPECT_TRUE(E.Message().endsWith(QStringLiteral("Value: \"[1, z]\""))) << E.Message().toStdString();
  }
  Single->SetActive(true);
  Integer At = 0;
  EXPECT_THROW(Pair->FindKeyValueIndex(Variant(1), At), Exception);

  // A deletion reverted brings the entry back; one whose key was taken in
  // the meantime is refused and stays deleted.
  List->SetCachedUpdates(true);
  List->DeleteRecord(2);   // A = 1
  EXPECT_EQ(Single->Count(), 3);
  List->RevertRecord(2);
  EXPECT_EQ(Single->Count(), 4);
  Integer RecIndex = -1;
  ASSERT_TRUE(Single->FindRecordIndexByKey(Variant(1), RecIndex));
  EXPECT_EQ(RecIndex, 2);
  List->DeleteRecord(2);
  Append(Data.get(), {Variant(1), Variant(QStringLiteral("new"))});
  EXPECT_THROW(List->RevertRecord(2), EDatabaseError);
  EXPECT_EQ(List->Rec(2)->UpdateStatus(), usDeleted);
  // Three records under one key come back together.
  std::vector<TMemoryRecordEh*> Nulls;
  Single->FillMatchedRecsList(Null, Nulls);
  EXPECT_EQ(Nulls.size(), 3u);
}

// --- the record tree

struct TTreeFixture {
  TTreeFixture()
  {
    Data = NewStorage();
    AddField(Data->DataStruct(), "Id", ftInteger);
    AddField(Data->DataStruct(), "Parent", ftInteger);
    View = std::make_unique<TRecordsViewEh>(nullptr);
    View->SetMemTableData(Data.get());
    View->SetTreeViewKeyFieldName(QStringLiteral("Id"));
    View->SetTreeViewRefParentFieldName(QStringLiteral("Parent"));
  }
  ~TTreeFixture() { View.reset(); }
  void Add(Integer Id, Variant Parent) { Append(Data.get(), {Variant(Id), Parent}); }
  TMemoryTreeListEh* Tree() const { return View->MemoryTreeList(); }
  // "1(2(3),4)" style picture of the tree.
  String Picture(TMemRecViewEh* Node = nullptr) const
  {
    if (!Node)
      Node = Tree()->MemRoot();
    QStringList Parts;
    for (Integer I = 0; I < Node->NodesCount(); ++I) {
      TMemRecViewEh* Child = Node->GetNodeItem(I);
      String S = QString::number(Child->Rec()->Value(0).AsInteger());
      if (Child->NodesCount() > 0)
        S += QLatin1Char('(') + Picture(Child) + QLatin1Char(')');
      Parts << S;
    }
    return Parts.join(QLatin1Char(','));
  }
  std::unique_ptr<TMemTableDataEh> Data;
  std::unique_ptr<TRecordsViewEh> View;
};

TEST(MemoryTreeList, DepthFirstDeliveryNeedsNoSearch)
{
  TTreeFixture F;
  F.View->SetViewAsTreeList(true);
  F.Add(1, Null);
  F.Add(2, 1);
  const Integer Before = F.Tree()->SearchCount();
  F.Add(3, 2);
  F.Add(4, 3);
  F.Add(5, 3);
  F.Add(6, 2);
  F.Add(7, 1);
  EXPECT_EQ(F.Tree()->SearchCount(), Before) << "the insertion chain held every parent";
  EXPECT_EQ(F.Picture(), QStringLiteral("1(2(3(4,5),6),7)"));
  F.Tree()->Expand(nullptr, true);
  EXPECT_EQ(F.View->Count(), 7);
}

TEST(MemoryTreeList, ReverseDeliveryAndTheFullBuildCheck)
{
  for (bool Full : {false, true}) {
    SCOPED_TRACE(Full);
    TTreeFixture F;
    F.Tree()->SetFullBuildCheck(Full);
    F.View->SetViewAsTreeList(true);
    for (Integer Id = 5; Id >= 1; --Id)
      F.Add(Id, Id == 1 ? Null : Variant(Id - 1));
    EXPECT_EQ(F.Picture(), Full ? QStringLiteral("1(2(3(4(5))))") : QStringLiteral("5,4,3,2,1"));
  }
}

TEST(MemoryTreeList, LoopsAreRefusedAndDeletionReparents)
{
  TTreeFixture F;
  F.View->SetViewAsTreeList(true);
  F.Add(1, Null);
  F.Add(2, 1);
  F.Add(3, 2);
  F.Add(4, 77);   // names no record: at the root
  TMemoryRecordEh* One = F.Data->RecordsList()->Rec(0);
  One->Edit();
  One->SetDataValue(1, dvvValueEh, Variant(3));
  try {
    One->Post();
    ADD_FAILURE() << "a loop was stored";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Reference-loop found"));
  }
  One->Cancel();
  EXPECT_TRUE(One->Value(1).IsNull());
  EXPECT_EQ(F.Picture(), QStringLiteral("1(2(3)),4"));
  // Re-parenting a record moves its node with its subtree.
  TMemoryRecordEh* Two = F.Data->RecordsList()->Rec(1);
  Two->Edit();
  Two->SetDataValue(1, dvvValueEh, Variant(4));
  Two->Post();
  EXPECT_EQ(F.Picture(), QStringLiteral("1,4(2(3))"));
  // Deleting 4 puts its direct child at the root; 3 stays under 2.
  F.Data->RecordsList()->DeleteRecord(3);
  EXPECT_EQ(F.Picture(), QStringLiteral("1,2(3)"));
}

TEST(MemoryTreeList, FilterVisibilityWithAndWithoutWholeSubtrees)
{
  for (bool ParentShowsSubtree : {false, true}) {
    SCOPED_TRACE(ParentShowsSubtree);
    TTreeFixture F;
    F.View->OnFilterRecord = [](TMemoryRecordEh* Rec, Integer) {
      const Integer Id = Rec->Value(0).AsInteger();
      return Id == 2 || Id == 5;
    };
    F.Tree()->SetFilterNodeIfParentVisible(!ParentShowsSubtree);
    F.Tree()->SetDefaultNodeExpanded(true);
    F.Add(1, Null);
    F.Add(2, 1);
    F.Add(3, 2);
    F.Add(4, Null);
    F.Add(5, 4);
    F.Add(6, 4);
    F.View->SetViewAsTreeList(true);
    QStringList Shown;
    for (Integer I = 0; I < F.View->Count(); ++I)
      Shown << QString::number(F.View->GetViewRecord(I)->Value(0).AsInteger());
    EXPECT_EQ(Shown.join(QLatin1Char(',')), ParentShowsSubtree ? QStringLiteral("1,2,3,4,5") : QStringLiteral("1,2,4,5"));
  }
}

} // namespace

// --- aggregates over the view

TEST(RecordsView, AggregatesFollowTheViewFlatAndAsATree)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "Id", ftInteger);
  AddField(Data->DataStruct(), "Parent", ftInteger);
  AddField(Data->DataStruct(), "Qty", ftInteger);
  auto View = std::make_unique<TRecordsViewEh>(nullptr);
  View->SetMemTableData(Data.get());
  View->SetTreeViewKeyFieldName(QStringLiteral("Id"));
  View->SetTreeViewRefParentFieldName(QStringLiteral("Parent"));
  Append(Data.get(), {Variant(1), Null, Variant(10)});
  Append(Data.get(), {Variant(2), Variant(1), Null});
  Append(Data.get(), {Variant(3), Variant(1), Variant(5)});
  Append(Data.get(), {Variant(4), Null, Variant(7)});
  TDataSetExprParserEh Expr(nullptr, dsptAggregateEh, Data->DataStruct());
  Expr.ParseExpression(QStringLiteral("SUM(Qty) + COUNT(*)"));
  for (bool Tree : {false, true}) {
    SCOPED_TRACE(Tree ? "tree" : "flat");
    View->SetViewAsTreeList(Tree);
    EXPECT_EQ(View->CalcAggrFieldFunc(QStringLiteral("Qty"), QStringLiteral("SUM")).AsInteger(), 22);
    EXPECT_EQ(View->CalcAggrFieldFunc(QStringLiteral("Qty"), QStringLiteral("COUNT")).AsInteger(), 3);
    EXPECT_EQ(View->CalcAggrFieldFunc(QStringLiteral("Qty"), QStringLiteral("MIN")).AsInteger(), 5);
    EXPECT_DOUBLE_EQ(View->CalcAggrFieldFunc(QStringLiteral("Qty"), QStringLiteral("AVG")).AsDouble(), 22.0 / 3);
    EXPECT_EQ(Expr.CalcAggregateValue(View->AccountableRecords()).AsInteger(), 26);
  }
  // A deletion is seen at once, without a rebuild.
  Data->RecordsList()->DeleteRecord(0);
  EXPECT_EQ(View->CalcAggrFieldFunc(QStringLiteral("Qty"), QStringLiteral("SUM")).AsInteger(), 12);
  EXPECT_EQ(Expr.CalcAggregateValue(View->AccountableRecords()).AsInteger(), 15);
  View.reset();
}

namespace {

// "Grp, Val DESC" as a compare routine, and the same order that also reads
// its keys as numbers.
class TGrpValOrder : public TObject {};
class TGrpValKeyOrder : public TGrpValOrder, public TRecordsSortKeyEh {
public:
  Integer KeyLength() const override { return 2; }
  bool KeyOf(const TMemoryRecordEh* Rec, double* Key) const override
  {
    if (!VarIsNumeric(Rec->Value(0)) || !VarIsNumeric(Rec->Value(1)))
      return false;
    Key[0] = Rec->Value(0).AsDouble();
    Key[1] = -Rec->Value(1).AsDouble();
    return true;
  }
};

Integer CompareGrpVal(TMemoryRecordEh* A, TMemoryRecordEh* B, TObject*)
{
  const auto Cmp = [](const Variant& X, const Variant& Y) {
    switch (VarCompareValue(X, Y)) {
    case vrLessThan: return -1;
    case vrGreaterThan: return 1;
    default: return 0;
    }
  };
  if (const Integer C = Cmp(A->Value(0), B->Value(0)))
    return C;
  return -Cmp(A->Value(1), B->Value(1));
}

std::vector<TMemoryRecordEh*> SortedRows(TMemTableDataEh* Data, bool WithKeys, bool Filtered)
{
  TRecordsViewEh View(nullptr);
  View.OnParseOrderByStr = [WithKeys](const String&) {
    return WithKeys ? std::unique_ptr<TObject>(new TGrpValKeyOrder) : std::unique_ptr<TObject>(new TGrpValOrder);
  };
  View.OnCompareRecords = CompareGrpVal;
  if (Filtered)
    View.OnFilterRecord = [](TMemoryRecordEh* Rec, Integer) { return Rec->Index() % 4 != 1; };
  View.SetMemTableData(Data);
  View.SetSortOrder(QStringLiteral("Grp, Val DESC"));
  std::vector<TMemoryRecordEh*> Rows;
  for (Integer I = 0; I < View.Count(); ++I)
    Rows.push_back(View.GetViewRecord(I));
  // Without an order the rows are in storage order again.
  View.SetSortOrder(String());
  for (Integer I = 1; I < View.Count(); ++I)
    EXPECT_LT(View.GetViewRecord(I - 1)->Index(), View.GetViewRecord(I)->Index());
  return Rows;
}

} // namespace

// Sorting by keys read once gives the order of the compare routine, ties in
// storage order; a key that cannot be read as numbers (a text, a NaN) sends
// the whole sort back to the compare routine.
TEST(RecordsView, SortByKeysOrdersAsTheCompareRoutine)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "Grp", ftVariant);
  AddField(Data->DataStruct(), "Val", ftVariant);
  std::mt19937 Rng(99);
  for (Integer I = 0; I < 3000; ++I)
    Append(Data.get(), {Variant(Integer(Rng() % 5)), Variant(double(Rng() % 40) / 4)});
  for (const bool Filtered : {false, true}) {
    SCOPED_TRACE(Filtered);
    const auto ByKeys = SortedRows(Data.get(), true, Filtered);
    const auto ByCompare = SortedRows(Data.get(), false, Filtered);
    ASSERT_EQ(ByKeys.size(), Filtered ? 2250u : 3000u);
    // The compare routine's sort is not stable: compare the keys, then
    // check that the key sort kept storage order among equals.
    for (size_t I = 0; I < ByKeys.size(); ++I)
      ASSERT_EQ(CompareGrpVal(ByKeys[I], ByCompare[I], nullptr), 0) << I;
    for (size_t I = 1; I < ByKeys.size(); ++I)
      if (CompareGrpVal(ByKeys[I - 1], ByKeys[I], nullptr) == 0)
        ASSERT_LT(ByKeys[I - 1]->Index(), ByKeys[I]->Index());
      else
        ASSERT_LT(CompareGrpVal(ByKeys[I - 1], ByKeys[I], nullptr), 0);
  }
  // Each odd value in a group of its own, where the compare routine never
  // has to weigh it against a number.
  for (const Variant& Odd : {Variant(String(QStringLiteral("x"))), Variant(std::nan(""))}) {
    Append(Data.get(), {Variant(Integer(7)), Odd});
    const auto ByKeys = SortedRows(Data.get(), true, false);
    const auto ByCompare = SortedRows(Data.get(), false, false);
    for (size_t I = 0; I < ByKeys.size(); ++I)
      ASSERT_EQ(CompareGrpVal(ByKeys[I], ByCompare[I], nullptr), 0) << I;
    Data->RecordsList()->DeleteRecord(Data->RecordsList()->Count() - 1);
  }
}
