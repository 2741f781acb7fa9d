// MemTableTreeTest.cpp: the memory table shown as a tree over its parent
// reference: expanding and collapsing, the node reads grids make, the tree
// locate, moving records flat and between levels, and the row events that
// grids receive.
#include "gridlib/memtable/MemTableEh.h"
#include "MemTableTestSupport.h"

#include "gridlib/foundation/ToolCtrlsEh.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

namespace {

QString S(const char* Text) { return QString::fromUtf8(Text); }

// id, parent: 1 [2 [4], 3], 5 [6] in storage order 1..6.
std::unique_ptr<TMemTableEh> NewTree(bool Expanded)
{
  auto T = std::make_unique<TMemTableEh>(nullptr);
  T->FieldDefs()->Add(S("id"), ftInteger);
  T->FieldDefs()->Add(S("parent"), ftInteger);
  T->CreateDataSet();
  const std::vector<std::pair<int, Variant>> Rows = {{1, Null},        {2, Variant(1)}, {3, Variant(1)},
                                                     {4, Variant(2)},  {5, Null},       {6, Variant(5)}};
  for (const auto& [Id, Parent] : Rows) {
    T->Append();
    T->FieldByName(S("id"))->SetAsInteger(Id);
    T->FieldByName(S("parent"))->SetValue(Parent);
    T->Post();
  }
  T->TreeList()->SetKeyFieldName(S("id"));
  T->TreeList()->SetRefParentFieldName(S("parent"));
  T->TreeList()->SetDefaultNodeExpanded(Expanded);
  T->TreeList()->SetActive(true);
  T->First();
  return T;
}

// The rows as (id, level).
std::vector<std::pair<int, int>> Rows(TMemTableEh* T)
{
  std::vector<std::pair<int, int>> R;
  TBookmark Keep = T->Bookmark();
  for (T->First(); !T->Eof(); T->Next())
    R.emplace_back(T->FieldByName(S("id"))->AsInteger(), T->TreeNodeLevel());
  if (!Keep.isEmpty() && T->BookmarkValid(Keep) && T->BookmarkInVisibleView(Keep))
    T->GotoBookmark(Keep);
  return R;
}

int Id(TDataSet* T) { return T->FieldByName(S("id"))->AsInteger(); }

using TRows = std::vector<std::pair<int, int>>;

TEST(MemTableTree, ExpandCollapseAndTheNodeReadsOfGrids)
{
  auto T = NewTree(false);
  EXPECT_TRUE(T->GetViewAsTreeList());
  EXPECT_EQ(Rows(T.get()), (TRows{{1, 1}, {5, 1}}));
  EXPECT_TRUE(T->TreeNodeHasChildren());
  EXPECT_FALSE(T->TreeNodeExpanded());
  T->SetTreeNodeExpanded(true);
  EXPECT_EQ(Rows(T.get()), (TRows{{1, 1}, {2, 2}, {3, 2}, {5, 1}}));
  EXPECT_EQ(Id(T.get()), 1);

  T->TreeList()->FullExpand();
  EXPECT_EQ(Rows(T.get()), (TRows{{1, 1}, {2, 2}, {4, 3}, {3, 2}, {5, 1}, {6, 2}}));
  ASSERT_TRUE(T->Locate(S("id"), Variant(4), {}));
  IMemTableEh* Grid = T.get();
  EXPECT_EQ(Grid->GetTreeNodeLevel(), 3);
  EXPECT_EQ(Grid->GetPrevVisibleTreeNodeLevel(), 2);
  EXPECT_EQ(Grid->GetNextVisibleTreeNodeLevel(), 2);
  EXPECT_FALSE(Grid->GetActiveRecTreeNodeHasVisibleChildren());
  // The ancestor at level 2 is node 2, followed by 3; at level 1 node 1,
  // followed by 5; nothing comes before either.
  EXPECT_TRUE(Grid->TreeNodeHasNextVisibleSibling(2));
  EXPECT_FALSE(Grid->TreeNodeHasPriorVisibleSibling(2));
  EXPECT_TRUE(Grid->TreeNodeHasNextVisibleSibling(1));
  EXPECT_FALSE(Grid->TreeNodeHasPriorVisibleSibling(1));
  EXPECT_FALSE(Grid->TreeNodeHasNextVisibleSibling(3));   // node 4 is the only child
  EXPECT_FALSE(Grid->TreeNodeHasNextVisibleSibling(0));
  T->Last();
  EXPECT_EQ(Grid->GetNextVisibleTreeNodeLevel(), -1);
  T->First();
  EXPECT_EQ(Grid->GetPrevVisibleTreeNodeLevel(), -1);
  EXPECT_EQ(T->TreeNodeChildCount(), 2);

  // Collapsing the parent of the current node answers the parent's row, and
  // the cursor goes there; collapsing another node answers -1.
  ASSERT_TRUE(T->Locate(S("id"), Variant(4), {}));
  EXPECT_EQ(Grid->SetTreeNodeExpandedAtRow(1, false), 2);
  EXPECT_EQ(Id(T.get()), 2);
  EXPECT_EQ(Rows(T.get()), (TRows{{1, 1}, {2, 2}, {3, 2}, {5, 1}, {6, 2}}));
  EXPECT_EQ(Grid->SetTreeNodeExpandedAtRow(3, false), -1);
  EXPECT_EQ(Id(T.get()), 2);
  EXPECT_EQ(Grid->SetTreeNodeExpandedAtRow(17, true), -1);   // no such row

  // Collapsing the top node of the current one climbs to it.
  T->TreeList()->FullExpand();
  ASSERT_TRUE(T->Locate(S("id"), Variant(4), {}));
  EXPECT_EQ(Grid->SetTreeNodeExpandedAtRow(0, false), 1);
  EXPECT_EQ(Id(T.get()), 1);

  T->TreeList()->FullCollapse();
  EXPECT_EQ(Rows(T.get()), (TRows{{1, 1}, {5, 1}}));
  // The tree locate finds a record under collapsed nodes and opens its path.
  EXPECT_TRUE(T->TreeList()->Locate(S("id"), Variant(4), {}));
  EXPECT_EQ(Id(T.get()), 4);
  EXPECT_EQ(Rows(T.get()), (TRows{{1, 1}, {2, 2}, {4, 3}, {3, 2}, {5, 1}}));
  EXPECT_EQ(Id(T.get()), 4);
  EXPECT_FALSE(T->TreeList()->Locate(S("id"), Variant(99), {}));
  EXPECT_EQ(Id(T.get()), 4);
  EXPECT_TRUE(T->TreeList()->Locate(S("id"), Variant(S("6")), {loPartialKey}));
  EXPECT_EQ(Id(T.get()), 6);

  // Switching the tree off shows the flat rows again; the node reads answer
  // as for no node.
  T->TreeList()->SetActive(false);
  EXPECT_EQ(T->RecordCount(), 6);
  EXPECT_EQ(T->TreeNodeLevel(), -1);
  EXPECT_EQ(Grid->GetPrevVisibleTreeNodeLevel(), -1);
}

TEST(MemTableTree, ExpandingEventsMayRefuseAndSeeTheNodesRecord)
{
  auto T = NewTree(false);
  std::vector<std::tuple<int, int>> Asked;   // (row number given, id shown)
  std::vector<int> Expanded;
  T->OnTreeNodeExpanding = [&](TObject* Sender, Integer RecNo, bool& Allow) {
    auto* D = static_cast<TMemTableEh*>(Sender);
    Asked.emplace_back(RecNo, Id(D));
    Allow = Id(D) != 5;
  };
  T->OnRecordsViewTreeNodeExpanded = [&](TObject*, TMemRecViewEh* Node) {
    Expanded.push_back(Node->Rec()->Value(0).AsInteger());
  };
  IMemTableEh* Grid = T.get();
  Grid->SetTreeNodeExpandedAtRow(1, true);   // node 5, not the current one: refused
  EXPECT_EQ(Asked, (std::vector<std::tuple<int, int>>{{2, 5}}));
  EXPECT_EQ(T->RecordCount(), 2);
  EXPECT_EQ(Id(T.get()), 1);   // the cursor stayed
  T->SetTreeNodeExpanded(true);   // the current node: asked once
  EXPECT_EQ(Asked.size(), 2u);
  EXPECT_EQ(Asked.back(), std::make_tuple(1, 1));
  EXPECT_EQ(Expanded, std::vector<int>{1});
  EXPECT_EQ(T->RecordCount(), 4);

  // The view's own expanding event comes first and may refuse on its own.
  T->OnRecordsViewTreeNodeExpanding = [](TObject*, TMemRecViewEh*, bool& Allow) { Allow = false; };
  Asked.clear();
  T->TreeList()->FullExpand();
  EXPECT_TRUE(Asked.empty());
  EXPECT_EQ(T->RecordCount(), 4);
  // Collapsing asks nobody.
  T->TreeList()->FullCollapse();
  EXPECT_EQ(T->RecordCount(), 2);
}

// The ids of the flat table in row order.
std::vector<int> Ids(TDataSet* T) { return mttest::ColumnInts(T); }

TEST(MemTableMove, FlatRowsMoveInTheStorage)
{
  struct TCase {
    Integer From, To;
    bool CheckOnly, Answer;
    std::vector<int> Ids;
  };
  const std::vector<TCase> Cases = {
    {0, 3, false, true, {2, 3, 4, 1, 5, 6}},
    {4, 1, false, true, {1, 5, 2, 3, 4, 6}},
    {0, 6, false, true, {2, 3, 4, 5, 6, 1}},   // after the last row
    {2, 2, false, true, {1, 2, 3, 4, 5, 6}},
    {0, 3, true, true, {1, 2, 3, 4, 5, 6}},    // a check changes nothing
    {6, 0, false, false, {1, 2, 3, 4, 5, 6}},  // no row 6 to move
    {0, 7, false, false, {1, 2, 3, 4, 5, 6}},
    {-1, 0, true, false, {1, 2, 3, 4, 5, 6}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.From << "->" << C.To);
    auto T = NewTree(true);
    T->TreeList()->SetActive(false);
    T->SetRecNo(3);
    EXPECT_EQ(T->MoveRecord(C.From, C.To, 0, C.CheckOnly), C.Answer);
    EXPECT_EQ(Id(T.get()), 3);   // the cursor follows its record
    EXPECT_EQ(Ids(T.get()), C.Ids);
  }
}

TEST(MemTableMove, TreeNodesTakeTheLevelAskedFor)
{
  struct TCase {
    const char* What;
    Integer From, To, Level;
    bool Answer;
    TRows Rows;
    int MovedId;
    Variant NewParent;
  };
  const TRows Unchanged{{1, 1}, {2, 2}, {4, 3}, {3, 2}, {5, 1}, {6, 2}};
  const std::vector<TCase> Cases = {
    {"before the sibling below", 5, 1, 2, true, {{1, 1}, {6, 2}, {2, 2}, {4, 3}, {3, 2}, {5, 1}}, 6, Variant(1)},
    {"after the sibling above", 0, 4, 1, true, {{5, 1}, {6, 2}, {1, 1}, {2, 2}, {4, 3}, {3, 2}}, 1, Null},
    {"child of a shallower node above", 5, 3, 4, true, {{1, 1}, {2, 2}, {4, 3}, {6, 4}, {3, 2}, {5, 1}}, 6, Variant(4)},
    {"next to the ancestor of deeper neighbours", 5, 3, 1, true,
     {{1, 1}, {2, 2}, {4, 3}, {3, 2}, {6, 1}, {5, 1}}, 6, Null},
    {"staying on the row one level deeper", 3, 3, 3, true, {{1, 1}, {2, 2}, {4, 3}, {3, 3}, {5, 1}, {6, 2}}, 3,
     Variant(2)},
    {"no ancestor at the level", 5, 3, 0, false, Unchanged, 6, Variant(5)},
    {"into its own subtree", 0, 2, 4, false, Unchanged, 1, Null},
    {"after its own descendant", 1, 2, 3, false, Unchanged, 2, Variant(1)},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    for (bool CheckOnly : {true, false}) {
      auto T = NewTree(true);
      ASSERT_TRUE(T->Locate(S("id"), Variant(3), {}));
      EXPECT_EQ(T->MoveRecord(C.From, C.To, C.Level, CheckOnly), C.Answer);
      EXPECT_EQ(Id(T.get()), 3);
      EXPECT_EQ(Rows(T.get()), CheckOnly ? Unchanged : C.Rows);
      ASSERT_TRUE(T->Locate(S("id"), Variant(C.MovedId), {}));
      if (!CheckOnly) {
        EXPECT_TRUE(TCustomMemTableEh::VariantsEqual(T->FieldByName(S("parent"))->Value(), C.NewParent));
      }
    }
  }
}

TEST(MemTableMove, TheCheckEventRefusesAndSeveralRecordsMoveTogether)
{
  auto T = NewTree(true);
  std::vector<std::tuple<int, int, Integer>> Checked;   // moved, appointed parent (0: top), position
  T->OnRecordsViewCheckMoveNode = [&](TObject*, TMemRecViewEh* Node, TMemRecViewEh* Parent, Integer At) {
    Checked.emplace_back(Node->Rec()->Value(0).AsInteger(), Parent ? Parent->Rec()->Value(0).AsInteger() : 0, At);
    return false;
  };
  EXPECT_FALSE(T->MoveRecord(5, 1, 2, false));
  EXPECT_EQ(Checked, (std::vector<std::tuple<int, int, Integer>>{{6, 1, 1}}));
  EXPECT_EQ(Rows(T.get()), (TRows{{1, 1}, {2, 2}, {4, 3}, {3, 2}, {5, 1}, {6, 2}}));
  T->OnRecordsViewCheckMoveNode = nullptr;

  // Flat: 2 and 4 go together behind the last row, in their order.
  T->TreeList()->SetActive(false);
  T->SetRecNo(5);
  std::vector<TBookmark> Marks;
  T->SetRecNo(4);
  Marks.push_back(T->Bookmark());
  T->SetRecNo(2);
  Marks.push_back(T->Bookmark());
  T->SetRecNo(5);
  EXPECT_TRUE(T->MoveRecords(Marks, 7, 0, false));
  EXPECT_EQ(Ids(T.get()), (std::vector<int>{1, 3, 5, 6, 2, 4}));
  ASSERT_EQ(Marks.size(), 2u);
  T->GotoBookmark(Marks[0]);
  EXPECT_EQ(Id(T.get()), 2);   // fresh bookmarks in view order
  T->GotoBookmark(Marks[1]);
  EXPECT_EQ(Id(T.get()), 4);

  // A bookmark of a deleted record refuses the whole move.
  T->First();
  const TBookmark First = T->Bookmark();
  T->Delete();
  std::vector<TBookmark> Gone{First, Marks[0]};
  EXPECT_FALSE(T->MoveRecords(Gone, 1, 0, false));
  EXPECT_EQ(Ids(T.get()), (std::vector<int>{3, 5, 6, 2, 4}));
}

// A grid's side of the view events.
class TEventLog : public TComponent, public IMTEventReceiverEh {
public:
  TEventLog() : TComponent(nullptr) {}
  void MTViewEvent(Integer RowNum, TMTViewEventTypeEh Event, Integer OldRowNum) override
  {
    Events.emplace_back(RowNum, Event, OldRowNum);
  }
  std::vector<std::tuple<Integer, TMTViewEventTypeEh, Integer>> Events;
};

using TEvents = std::vector<std::tuple<Integer, TMTViewEventTypeEh, Integer>>;

TEST(MemTableViewEvents, RowEventsAndMergingWhileDisabled)
{
  auto T = NewTree(true);
  T->TreeList()->SetActive(false);
  TEventLog Log;
  IMemTableEh* Grid = T.get();
  Grid->RegisterEventReceiver(&Log);

  // An insert shows a row, its cancel takes the same row away.
  T->SetRecNo(3);
  T->Insert();
  T->Cancel();
  EXPECT_EQ(Log.Events, (TEvents{{2, mtRowInsertedEh, -1}, {2, mtRowDeletedEh, -1}}));

  Log.Events.clear();
  T->Edit();
  T->FieldByName(S("parent"))->SetAsInteger(7);
  T->Post();
  EXPECT_EQ(Log.Events, (TEvents{{2, mtRowChangedEh, -1}}));

  // One event while disabled arrives unchanged; two or more as one change
  // of the whole view.
  Log.Events.clear();
  T->DisableControls();
  T->Edit();
  T->FieldByName(S("parent"))->SetAsInteger(8);
  T->Post();
  EXPECT_TRUE(Log.Events.empty());
  T->EnableControls();
  ASSERT_FALSE(Log.Events.empty());
  EXPECT_EQ(Log.Events.front(), std::make_tuple(2, mtRowChangedEh, -1));
  // The grids' own bracket reports the whole view when it ends.
  Log.Events.clear();
  Grid->MTDisableControls();
  Grid->MTEnableControls(false);
  EXPECT_EQ(Log.Events, (TEvents{{-1, mtViewDataChangedEh, -1}}));

  Log.Events.clear();
  T->DisableControls();
  T->First();
  T->Delete();
  T->Last();
  T->Delete();
  T->EnableControls();
  EXPECT_EQ(Log.Events, (TEvents{{-1, mtViewDataChangedEh, -1}}));

  // A move reports the rows it changed.
  Log.Events.clear();
  EXPECT_TRUE(T->MoveRecord(0, 2, 0, false));
  ASSERT_FALSE(Log.Events.empty());
  EXPECT_EQ(Log.Events.front(), std::make_tuple(2, mtRowMovedEh, 0));

  Grid->UnregisterEventReceiver(&Log);
  Log.Events.clear();
  T->First();
  T->Delete();
  EXPECT_TRUE(Log.Events.empty());
}

}  // namespace
