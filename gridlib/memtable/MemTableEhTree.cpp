// MemTableEhTree.cpp: the memory table shown as a tree: the node of the
// current record, expanding and collapsing (one node, a row, or the whole
// tree), the tree locate, and moving records in the storage and between
// the levels of the tree.
#include "gridlib/memtable/MemTableEh.h"

#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>

namespace {

// The root of the tree is a node without a record.
bool IsRecordNode(const TMemRecViewEh* Node) { return Node && Node->Rec(); }

// Whether the node is one of the rows: visible, under visible expanded
// ancestors.
bool NodeShown(TMemRecViewEh* Node)
{
  if (!IsRecordNode(Node) || !Node->NodeVisible())
    return false;
  for (TMemRecViewEh* P = Node->NodeParent(); IsRecordNode(P); P = P->NodeParent())
    if (!P->NodeVisible() || !P->NodeExpanded())
      return false;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// The node of the current record.

TMemRecViewEh* TCustomMemTableEh::TreeNode() const
{
  CheckActive();
  TMemRecViewEh* N = RecView();
  return FRecordsView->ViewAsTreeList() && IsRecordNode(N) ? N : nullptr;
}

Integer TCustomMemTableEh::TreeNodeLevel() const
{
  TMemRecViewEh* N = TreeNode();
  return N ? N->NodeLevel() : -1;
}

Integer TCustomMemTableEh::TreeNodeChildCount() const
{
  TMemRecViewEh* N = TreeNode();
  return N ? N->VisibleNodesCount() : -1;
}

bool TCustomMemTableEh::TreeNodeHasChildren() const
{
  TMemRecViewEh* N = TreeNode();
  return N && N->NodeHasChildren();
}

bool TCustomMemTableEh::TreeNodeExpanded() const
{
  TMemRecViewEh* N = TreeNode();
  return N && N->NodeExpanded();
}

// The expanding events run from the tree list's handlers, once.
void TCustomMemTableEh::SetTreeNodeExpanded(bool Value)
{
  TMemRecViewEh* N = TreeNode();
  if (!N) {
    if (TMTRecBuf* B = RecBuf(ActiveBuffer()))
      B->NewTreeNodeExpanded = Value;
    return;
  }
  N->SetNodeExpanded(Value);
  TreeRowsChanged(N);
}

bool TCustomMemTableEh::TreeNodeHasVisibleChildren() const
{
  TMemRecViewEh* N = TreeNode();
  return N && N->NodeHasVisibleChildren();
}

// A node knows its visible children itself; only a record being inserted,
// which has no node yet, keeps the wish for when it gets one.
void TCustomMemTableEh::SetTreeNodeHasVisibleChildren(bool Value)
{
  if (TreeNode()) {
    Resync({});
    return;
  }
  if (TMTRecBuf* B = RecBuf(ActiveBuffer()))
    B->NewTreeNodeHasChildren = Value;
}

bool TCustomMemTableEh::GetActiveRecTreeNodeExpanded() { return TreeNodeExpanded(); }
bool TCustomMemTableEh::GetActiveRecTreeNodeHasVisibleChildren() { return TreeNodeHasVisibleChildren(); }
Integer TCustomMemTableEh::GetTreeNodeLevel() { return TreeNodeLevel(); }

Integer TCustomMemTableEh::GetPrevVisibleTreeNodeLevel()
{
  CheckActive();
  if (!FRecordsView->ViewAsTreeList() || RecNo() <= 1)
    return -1;
  TMemRecViewEh* N = ViewEntryAtRow(RecNo() - 2);
  return N ? N->NodeLevel() : -1;
}

Integer TCustomMemTableEh::GetNextVisibleTreeNodeLevel()
{
  CheckActive();
  if (!FRecordsView->ViewAsTreeList() || RecNo() >= RecordCount())
    return -1;
  TMemRecViewEh* N = ViewEntryAtRow(RecNo());
  return N ? N->NodeLevel() : -1;
}

TMemRecViewEh* TCustomMemTableEh::TreeNodeAncestorAtLevel(Integer Level) const
{
  TMemRecViewEh* N = TreeNode();
  if (Level <= 0 || !N || N->NodeLevel() < Level)
    return nullptr;
  while (IsRecordNode(N) && N->NodeLevel() > Level)
    N = N->NodeParent();
  return IsRecordNode(N) ? N : nullptr;
}

bool TCustomMemTableEh::TreeNodeHasNextVisibleSibling(Integer Level)
{
  TMemRecViewEh* N = TreeNodeAncestorAtLevel(Level);
  return N && FRecordsView->MemoryTreeList()->GetNextVisibleSibling(N) != nullptr;
}

bool TCustomMemTableEh::TreeNodeHasPriorVisibleSibling(Integer Level)
{
  TMemRecViewEh* N = TreeNodeAncestorAtLevel(Level);
  return N && FRecordsView->MemoryTreeList()->GetPriorVisibleSibling(N) != nullptr;
}

// ---------------------------------------------------------------------------
// Expanding and collapsing.

// The rows changed under the cursor: it stays on its record, or goes to the
// nearest ancestor still shown when its record got hidden.
void TCustomMemTableEh::TreeRowsChanged(TMemRecViewEh* Current)
{
  if (!FActive)
    return;
  FRecordsView->MemoryTreeList()->BuildVisibleItems();
  if (State() != dsBrowse)
    return;
  TMemRecViewEh* N = Current;
  while (IsRecordNode(N) && !NodeShown(N))
    N = N->NodeParent();
  if (IsRecordNode(N))
    FRecordPos = FRecordsView->IndexOfRec(N->Rec());
  FRecordPos = std::min(FRecordPos, FRecordsView->ViewItemsCount() - 1);
  if (FRecordPos < 0 && FRecordsView->ViewItemsCount() > 0)
    FRecordPos = 0;
  FInstantReadCurRowNum = std::max(FRecordPos, 0);
  Resync({});
}

bool TCustomMemTableEh::TreeListExpandedChanging(TMemRecViewEh* Node)
{
  if (!IsRecordNode(Node) || Node->NodeExpanded())
    return true;
  bool Allowed = true;
  if (OnRecordsViewTreeNodeExpanding)
    OnRecordsViewTreeNodeExpanding(this, Node, Allowed);
  if (!Allowed || !Active() || !OnTreeNodeExpanding)
    return Allowed;
  TMTRecBuf* Cur = nullptr;
  GetActiveRecBuf(Cur, true);
  if (Cur && Cur->RecView == Node && !FInstantReadMode) {
    OnTreeNodeExpanding(this, RecNo(), Allowed);
    return Allowed;
  }
  // Another node: the fields show its record while the event runs, and the
  // event gets that record's row.
  const Integer Row = FRecordsView->IndexOfRec(Node->Rec());
  InstantReadEnter(Node, Row);
  ScopeExit Leave([&] { InstantReadLeave(); });
  OnTreeNodeExpanding(this, Row + 1, Allowed);
  return Allowed;
}

void TCustomMemTableEh::TreeListExpandedChanged(TMemRecViewEh* Node)
{
  if (!Active() || !IsRecordNode(Node))
    return;
  TMemoryTreeListEh* Tree = FRecordsView->MemoryTreeList();
  if (ControlsDisabled()) {
    Tree->VisibleItemsBecomeObsolete();
  } else {
    TMTRecBuf* Cur = nullptr;
    GetActiveRecBuf(Cur, true);
    TreeRowsChanged(Cur ? Cur->RecView : nullptr);
    if (State() == dsBrowse)
      DoAfterScroll();
  }
  MTViewDataEvent(-1, mtViewDataChangedEh, -1);
  if (Node->NodeExpanded() && OnRecordsViewTreeNodeExpanded)
    OnRecordsViewTreeNodeExpanded(this, Node);
}

Integer TCustomMemTableEh::SetTreeNodeExpandedAtRow(Integer RowNum, bool Expanded)
{
  CheckActive();
  TMTRecBuf* Cur = nullptr;
  GetActiveRecBuf(Cur, true);
  TMemRecViewEh* Current = Cur ? Cur->RecView : nullptr;
  TMemRecViewEh* Node = nullptr;
  InstantReadEnter(RowNum);
  {
    ScopeExit Leave([&] { InstantReadLeave(); });
    TMTRecBuf* B = nullptr;
    if (GetActiveRecBuf(B) && B->MemRec)
      Node = B->RecView;
  }
  if (!FRecordsView->ViewAsTreeList() || !IsRecordNode(Node))
    return -1;
  Node->SetNodeExpanded(Expanded);
  FRecordsView->MemoryTreeList()->BuildVisibleItems();
  Integer Result = -1;
  if (IsRecordNode(Current) && !NodeShown(Current)) {
    TMemRecViewEh* N = Current;
    while (IsRecordNode(N) && !NodeShown(N) && N->NodeLevel() > 1)
      N = N->NodeParent();
    if (NodeShown(N))
      Result = FRecordsView->IndexOfRec(N->Rec()) + 1;
  }
  TreeRowsChanged(Current);
  if (State() == dsBrowse)
    DoAfterScroll();
  return Result;
}

void TMemTableTreeListEh::SetAllExpanded(bool Expanded)
{
  TCustomMemTableEh* T = FMemTable;
  TMemoryTreeListEh* Tree = T->RecordsView()->MemoryTreeList();
  TMTRecBuf* Cur = nullptr;
  if (T->Active())
    T->GetActiveRecBuf(Cur, true);
  TMemRecViewEh* Current = Cur ? Cur->RecView : nullptr;
  T->DisableControls();
  ScopeExit Enable([&] {
    T->TreeRowsChanged(Current);
    T->EnableControls();
  });
  const std::function<void(TMemRecViewEh*)> Walk = [&](TMemRecViewEh* Parent) {
    for (Integer I = 0; I < Parent->NodesCount(); ++I) {
      TMemRecViewEh* N = Parent->GetNodeItem(I);
      N->SetNodeExpanded(Expanded);
      Walk(N);
    }
  };
  Walk(Tree->MemRoot());
}

void TMemTableTreeListEh::FullExpand() { SetAllExpanded(true); }

void TMemTableTreeListEh::FullCollapse()
{
  SetAllExpanded(false);
  if (FMemTable->Active() && FMemTable->State() == dsBrowse)
    FMemTable->DoAfterScroll();
}

// Searches every node below shown ones, collapsed or not, and opens the path
// to the one found.
bool TMemTableTreeListEh::Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options)
{
  TCustomMemTableEh* T = FMemTable;
  if (!T->RecordsView()->ViewAsTreeList())
    return T->Locate(KeyFields, KeyValues, Options);
  T->CheckBrowseMode();
  if (T->IsEmpty())
    return false;
  TRecordsViewEh* View = T->RecordsView();
  TMemoryTreeListEh* Tree = View->MemoryTreeList();
  const bool ByText = !Options.Empty() && !KeyFields.contains(QLatin1Char(';'));
  String KeyText = ByText ? VarToStr(KeyValues) : String();
  const Qt::CaseSensitivity Case = Options.Contains(loCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
  for (Integer I = 0; I < Tree->AccountableCount(); ++I) {
    TMemRecViewEh* Node = Tree->GetAccountableItem(I);
    const Variant Value = Node->Rec()->GetDataValues(KeyFields, dvvValueEh);
    bool Match;
    if (ByText) {
      String Text = VarToStr(Value);
      if (Options.Contains(loPartialKey))
        Text = Text.left(KeyText.size());
      Match = Case == Qt::CaseInsensitive ? QString::localeAwareCompare(Text.toLower(), KeyText.toLower()) == 0
                                          : Text == KeyText;
    } else {
      Match = TCustomMemTableEh::VariantsEqual(Value, KeyValues);
    }
    if (!Match)
      continue;
    T->DisableControls();
    {
      ScopeExit Enable([&] { T->EnableControls(); });
      for (TMemRecViewEh* P = Node->NodeParent(); IsRecordNode(P); P = P->NodeParent())
        P->SetNodeExpanded(true);
      Tree->BuildVisibleItems();
      T->ClearBuffers();
      T->Resync({});
    }
    return T->GotoRec(Node->Rec());
  }
  return false;
}

// ---------------------------------------------------------------------------
// Moving records.

// The parent reference of a record rewritten, as an edit of the record.
void TCustomMemTableEh::SetRecParentRef(TMemoryRecordEh* Rec, const Variant& Ref)
{
  const std::vector<Integer>& Fields = FRecordsView->TreeViewRefParentFields();
  if (VariantsEqual(Rec->GetDataIndexValues(Fields, dvvValueEh), Ref))
    return;
  Rec->Edit();
  try {
    Rec->SetDataIndexValues(Fields, dvvValueEh, Ref);
    Rec->Post();
  } catch (...) {
    Rec->Cancel();
    throw;
  }
  ApplyChangeLogNow();
}

// Node next to (After) or before Sibling, or (Sibling none) a child of
// Parent. A place that would make the node its own ancestor is refused.
bool TCustomMemTableEh::PlaceTreeNode(TMemRecViewEh* Node, TMemRecViewEh* Sibling, bool After, TMemRecViewEh* Parent,
                                      bool CheckOnly)
{
  TMemoryTreeListEh* Tree = FRecordsView->MemoryTreeList();
  TMemRecViewEh* Target = Sibling ? Sibling : Parent;
  if (Target == Node || Target->InSubtreeOf(Node))
    return false;
  TMemRecViewEh* NewParent = Sibling ? Sibling->NodeParent() : Parent;
  Variant Ref;
  Integer Appointed = 0;
  if (Sibling) {
    Ref = Sibling->Rec()->GetDataIndexValues(FRecordsView->TreeViewRefParentFields(), dvvValueEh);
    Appointed = Sibling->Rec()->Index() + (After ? 1 : 0);
    if (Node->Rec()->Index() < Appointed)
      --Appointed;
  } else {
    Ref = Parent->Rec()->GetDataIndexValues(FRecordsView->TreeViewKeyFields(), dvvValueEh);
  }
  if (OnRecordsViewCheckMoveNode &&
      !OnRecordsViewCheckMoveNode(this, Node, IsRecordNode(NewParent) ? NewParent : nullptr, Appointed))
    return false;
  if (Tree->CheckReferenceLoop(Node->Rec(), Ref))
    return false;
  if (CheckOnly)
    return true;
  TMemoryRecordEh* Rec = Node->Rec();
  SetRecParentRef(Rec, Ref);
  if (Sibling && Rec->Index() != Appointed)
    MemTableData()->RecordsList()->Move(Rec->Index(), Appointed);
  return true;
}

// Rows are 0-based view rows; ToIndex may be the row count (after the last
// row). Rows out of range, or a closed table, refuse the move.
bool TCustomMemTableEh::MoveRecord(Integer FromIndex, Integer ToIndex, Integer TreeLevel, bool CheckOnly)
{
  if (!Active())
    return false;
  const Integer Count = FRecordsView->ViewItemsCount();
  if (FromIndex < 0 || FromIndex >= Count || ToIndex < 0 || ToIndex > Count)
    return false;
  ToIndex = std::min(ToIndex, Count - 1);
  CheckBrowseMode();
  TMemoryRecordEh* Current = Rec();
  if (!FRecordsView->ViewAsTreeList()) {
    if (CheckOnly || FromIndex == ToIndex)
      return true;
    TMemoryRecordEh* From = FRecordsView->GetViewRecord(FromIndex);
    TMemoryRecordEh* To = FRecordsView->GetViewRecord(ToIndex);
    MemTableData()->RecordsList()->Move(From->Index(), To->Index());
    FollowRecord(Current);
    return true;
  }
  TMemRecViewEh* N = ViewEntryAtRow(FromIndex);
  TMemRecViewEh* Above = nullptr;
  TMemRecViewEh* Below = nullptr;
  if (FromIndex < ToIndex) {
    Above = ViewEntryAtRow(ToIndex);
    Below = ToIndex + 1 < Count ? ViewEntryAtRow(ToIndex + 1) : nullptr;
  } else {
    Above = ToIndex > 0 ? ViewEntryAtRow(ToIndex - 1) : nullptr;
    Below = ViewEntryAtRow(ToIndex);
    if (Below == N)   // staying on its row: the neighbours are the rows around it
      Below = ToIndex + 1 < Count ? ViewEntryAtRow(ToIndex + 1) : nullptr;
  }
  if (!CheckOnly)
    BeginViewUpdate();
  bool Result = false;
  {
    ScopeExit End([&] {
      if (!CheckOnly) {
        EndViewUpdate(false);
        FRecordsView->MemoryTreeList()->BuildVisibleItems();
        FollowRecord(Current);
      }
    });
    if (Above && Above->NodeLevel() == TreeLevel) {
      Result = PlaceTreeNode(N, Above, true, nullptr, CheckOnly);
    } else if (Below && Below->NodeLevel() == TreeLevel) {
      Result = PlaceTreeNode(N, Below, false, nullptr, CheckOnly);
    } else if (Above && Above->NodeLevel() < TreeLevel) {
      Result = PlaceTreeNode(N, nullptr, false, Above, CheckOnly);
    } else if (Above && Above->NodeLevel() > TreeLevel) {
      TMemRecViewEh* A = Above;
      while (IsRecordNode(A) && A->NodeLevel() > TreeLevel)
        A = A->NodeParent();
      // No ancestor at the level asked for: nowhere to go.
      Result = IsRecordNode(A) && A->NodeLevel() == TreeLevel && PlaceTreeNode(N, A, true, nullptr, CheckOnly);
    }
  }
  return Result;
}

// The cursor back on its record after the storage or the tree changed.
void TCustomMemTableEh::FollowRecord(TMemoryRecordEh* Current)
{
  if (FRecordsViewUpdating > 0) {
    FRecordsViewUpdated = true;
    if (Current) {
      const Integer Row = FRecordsView->IndexOfRec(Current);
      if (Row >= 0)
        FRecordPos = Row;
    }
    return;
  }
  FRecordsViewUpdated = false;
  ClearBuffers();
  if (Current) {
    const Integer Row = FRecordsView->IndexOfRec(Current);
    if (Row >= 0)
      FRecordPos = Row;
  }
  FRecordPos = std::min(FRecordPos, FRecordsView->ViewItemsCount() - 1);
  if (State() == dsBrowse)
    Resync({});
}

bool TCustomMemTableEh::MoveRecords(std::vector<TBookmark>& BookmarkList, Integer ToRecNo, Integer TreeLevel,
                                    bool CheckOnly)
{
  if (!Active())
    return false;
  std::vector<TMemoryRecordEh*> Recs;
  for (const TBookmark& B : BookmarkList) {
    TMemoryRecordEh* R = BookmarkToRec(B);
    if (!R)
      return false;   // a bookmark of a record that is gone
    Recs.push_back(R);
  }
  if (Recs.empty())
    return true;
  CheckBrowseMode();
  TMemoryRecordEh* Current = Rec();
  if (!CheckOnly)
    BeginViewUpdate();
  bool Result = true;
  {
    ScopeExit End([&] {
      if (CheckOnly)
        return;
      EndViewUpdate(false);
      FollowRecord(Current);
    });
    Integer Target = ToRecNo - 1;
    for (size_t I = Recs.size(); I-- > 0;) {
      const Integer Row = FRecordsView->IndexOfRec(Recs[I]);
      if (Row < 0) {
        Result = false;   // hidden by a filter or a collapsed parent
        break;
      }
      if (I + 1 != Recs.size() && Row < Target)
        --Target;
      if (!MoveRecord(Row, Target, TreeLevel, CheckOnly)) {
        Result = false;
        break;
      }
    }
    if (!CheckOnly) {
      for (size_t I = 0; I < Recs.size(); ++I)
        BookmarkList[I] = RecToBookmark(Recs[I]);
      std::sort(BookmarkList.begin(), BookmarkList.end(),
                [this](const TBookmark& A, const TBookmark& B) { return CompareBookmarks(A, B) < 0; });
    }
  }
  return Result;
}
