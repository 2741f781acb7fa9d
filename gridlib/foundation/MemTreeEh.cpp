// MemTreeEh.cpp: the generic in-memory tree.
#include "gridlib/foundation/MemTreeEh.h"

#include "platform/rtl/SysUtils.h"

#include <utility>

static TBaseTreeNodeEh* NodeAt(const TObjectListEh& List, Integer Index)
{
  return static_cast<TBaseTreeNodeEh*>(List.Items(Index));
}

// The node's real position among its siblings: FIndex may be stale while a
// bulk loader links without reindexing.
static Integer PositionOf(TBaseTreeNodeEh* Node)
{
  TBaseTreeNodeEh* Parent = Node->Parent();
  if (!Parent)
    return -1;
  const Integer I = Node->Index();
  if (I >= 0 && I < Parent->Count() && Parent->Items(I) == Node)
    return I;
  for (Integer J = 0; J < Parent->Count(); ++J)
    if (Parent->Items(J) == Node)
      return J;
  return -1;
}

// The depth of the deepest node below Node, counted from Node (0 for a leaf).
static Integer SubtreeHeight(TBaseTreeNodeEh* Node)
{
  Integer Height = 0;
  for (Integer I = 0; I < Node->Count(); ++I)
    Height = std::max(Height, SubtreeHeight(Node->Items(I)) + 1);
  return Height;
}

// ---------------------------------------------------------------------------
// Nodes.

TBaseTreeNodeEh::TBaseTreeNodeEh() = default;

TBaseTreeNodeEh::~TBaseTreeNodeEh()
{
  for (Integer I = 0; I < FItems.Count(); ++I)
    delete NodeAt(FItems, I);
  FItems.Clear();
  FVisibleItems.Clear();
}

void TBaseTreeNodeEh::SetExpanded(bool Value)
{
  if (Value == FExpanded || !ExpandedChanging())
    return;
  FExpanded = Value;
  ExpandedChanged();
}

void TBaseTreeNodeEh::SetVisible(bool Value)
{
  if (Value == FVisible || !FParent || !VisibleChanging())
    return;
  FVisible = Value;
  VisibleChanged();
}

TBaseTreeNodeEh* TBaseTreeNodeEh::GetItem(Integer Index) const
{
  return NodeAt(FItems, Index);
}

void TBaseTreeNodeEh::BuildVisibleItems()
{
  FVisibleItems.Clear();
  for (Integer I = 0; I < FItems.Count(); ++I) {
    TBaseTreeNodeEh* Child = NodeAt(FItems, I);
    if (!Child->FVisible)
      continue;
    Child->FVisibleIndex = FVisibleItems.Add(Child);
  }
  FVisibleCount = FVisibleItems.Count();
  FVisibleItemsObsolete = false;
  FHasVisibleChildren = GetVisibleCount() > 0;
}

Integer TBaseTreeNodeEh::GetVisibleCount()
{
  if (FVisibleItemsObsolete)
    BuildVisibleItems();
  if (GetCount() == FVisibleCount)
    return GetCount();
  return FVisibleItems.Count();
}

TObjectListEh* TBaseTreeNodeEh::GetVisibleItems()
{
  if (FVisibleItemsObsolete)
    BuildVisibleItems();
  if (GetCount() == FVisibleCount)
    return &FItems;
  return &FVisibleItems;
}

TBaseTreeNodeEh* TBaseTreeNodeEh::GetVisibleItem(Integer Index)
{
  return NodeAt(*GetVisibleItems(), Index);
}

bool TBaseTreeNodeEh::GetHasVisibleChildren()
{
  if (FVisibleItemsObsolete)
    BuildVisibleItems();
  return FHasVisibleChildren;
}

void TBaseTreeNodeEh::CheckOwner(TBaseTreeNodeEh* Node) const
{
  if (Node->FOwner != FOwner)
    throw Exception(QStringLiteral("TBaseTreeNodeEh.Add: Tree nodes can not has different Owners"));
}

Integer TBaseTreeNodeEh::Add(TBaseTreeNodeEh* Node)
{
  CheckOwner(Node);
  const bool AllVisible = GetCount() == FVisibleCount && Node->FVisible;
  const Integer Result = FItems.Add(Node);
  if (AllVisible) {
    Node->FVisibleIndex = Result;
    ++FVisibleCount;
  }
  VisibleItemsBecomeObsolete();
  return Result;
}

void TBaseTreeNodeEh::Insert(Integer Index, TBaseTreeNodeEh* Node)
{
  CheckOwner(Node);
  const bool AllVisible = GetCount() == FVisibleCount && Node->FVisible;
  FItems.Insert(Index, Node);
  if (AllVisible)
    ++FVisibleCount;   // the visible list is not in use while every child shows
  else
    VisibleItemsBecomeObsolete();
}

void TBaseTreeNodeEh::Delete(Integer Index)
{
  FItems.Delete(Index);
  VisibleItemsBecomeObsolete();
}

void TBaseTreeNodeEh::Exchange(Integer Index1, Integer Index2)
{
  if (Index1 == Index2)
    return;
  FItems.Exchange(Index1, Index2);
  NodeAt(FItems, Index1)->FIndex = Index1;
  NodeAt(FItems, Index2)->FIndex = Index2;
}

bool TBaseTreeNodeEh::InSubtreeOf(TBaseTreeNodeEh* Node) const
{
  for (const TBaseTreeNodeEh* N = this; N && N->FParent; N = N->FParent)
    if (N == Node)
      return true;
  return false;
}

void TBaseTreeNodeEh::SetLevel(Integer Value)
{
  if (Value == FLevel)
    return;
  if (FOwner && Value > FOwner->MaxLevel())
    throw Exception(QStringLiteral("TBaseTreeNodeEh.SetLevel: Max level exceed - %1").arg(FOwner->MaxLevel()));
  FLevel = Value;
  for (Integer I = 0; I < FItems.Count(); ++I)
    NodeAt(FItems, I)->SetLevel(Value + 1);
}

// Partitions as a classic Hoare quicksort; it recurses into the smaller part
// and loops on the larger, so a sorted or adversarial child list cannot
// overflow the stack.
void TBaseTreeNodeEh::QuickSort(Integer L, Integer R, TObject* ParamSort, const TCompareNodesEh& CompareProg)
{
  while (L < R) {
    Integer I = L;
    Integer J = R;
    TBaseTreeNodeEh* Pivot = NodeAt(FItems, (L + R) / 2);
    do {
      while (CompareProg(NodeAt(FItems, I), Pivot, ParamSort) < 0)
        ++I;
      while (CompareProg(NodeAt(FItems, J), Pivot, ParamSort) > 0)
        --J;
      if (I <= J) {
        Exchange(I, J);
        ++I;
        --J;
      }
    } while (I <= J);
    if (GetCount() != FVisibleCount)
      VisibleItemsBecomeObsolete();
    if (J - L < R - I) {
      QuickSort(L, J, ParamSort, CompareProg);
      L = I;
    } else {
      QuickSort(I, R, ParamSort, CompareProg);
      R = J;
    }
  }
}

bool TBaseTreeNodeEh::ExpandedChanging()
{
  return FOwner ? FOwner->ExpandedChanging(this) : true;
}

bool TBaseTreeNodeEh::VisibleChanging()
{
  return true;
}

void TBaseTreeNodeEh::VisibleItemsBecomeObsolete()
{
  FVisibleItemsObsolete = true;
}

void TBaseTreeNodeEh::ChildVisibleChanged(TBaseTreeNodeEh* Node)
{
  (void)Node;
  VisibleItemsBecomeObsolete();
}

void TBaseTreeNodeEh::Clear()
{
  FItems.Clear();
  FVisibleItems.Clear();
}

void TBaseTreeNodeEh::ExpandedChanged()
{
  if (FOwner)
    FOwner->ExpandedChanged(this);
}

void TBaseTreeNodeEh::SortData(TObject* ParamSort, bool ARecurse, const TCompareNodesEh& CompareProg)
{
  if (GetCount() == 0)
    return;
  QuickSort(0, GetCount() - 1, ParamSort, CompareProg);
  if (!ARecurse)
    return;
  for (Integer I = 0; I < GetCount(); ++I)
    NodeAt(FItems, I)->SortData(ParamSort, ARecurse, CompareProg);
}

void TBaseTreeNodeEh::VisibleChanged()
{
  if (FParent)
    FParent->ChildVisibleChanged(this);
}

// ---------------------------------------------------------------------------
// The tree.

TTreeListEh::TTreeListEh(TTreeNodeClassEh ItemClass) : TComponent(nullptr), FItemClass(ItemClass)
{
  FRoot = FItemClass();
  FRoot->FOwner = this;
}

TTreeListEh::~TTreeListEh()
{
  delete FRoot;
}

TBaseTreeNodeEh* TTreeListEh::CreateNode(const String& Text, TObject* Data)
{
  TBaseTreeNodeEh* Node = FItemClass();
  Node->FOwner = this;
  Node->FData = Data;
  Node->FText = Text;
  return Node;
}

TBaseTreeNodeEh* TTreeListEh::AddChild(const String& Text, TBaseTreeNodeEh* Parent, TObject* Data)
{
  TBaseTreeNodeEh* Node = CreateNode(Text, Data);
  try {
    AddNode(Node, Parent, naAddChildEh, true);
  } catch (...) {
    delete Node;
    throw;
  }
  return Node;
}

static bool IsChildMode(TNodeAttachModeEh Mode)
{
  return Mode == naAddChildEh || Mode == naAddChildFirstEh;
}

// Settles the destination (none is the root) and answers whether a link of
// Node there is carried out at all: the root is never linked, and it has no
// siblings.
bool TTreeListEh::LinkApplies(TBaseTreeNodeEh* Node, TBaseTreeNodeEh*& Destination, TNodeAttachModeEh Mode) const
{
  if (!Node || Node == FRoot)
    return false;
  if (!Destination)
    Destination = FRoot;
  return Destination != FRoot || IsChildMode(Mode);
}

void TTreeListEh::AddNode(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode, bool ReIndex)
{
  if (!LinkApplies(Node, Destination, Mode))
    return;
  const bool AsChild = IsChildMode(Mode);
  switch (Mode) {
  case naAddEh:
    AddNode(Node, Destination->FParent, naAddChildEh, false);
    break;
  case naAddFirstEh:
    AddNode(Node, Destination->FParent, naAddChildFirstEh, ReIndex);
    break;
  case naAddAfterEh:
    if (PositionOf(Destination) == Destination->FParent->GetCount() - 1)
      AddNode(Node, Destination, naAddEh, ReIndex);
    else
      AddNode(Node, GetNextSibling(Destination), naInsertEh, ReIndex);
    break;
  default: {
    TBaseTreeNodeEh* Parent = AsChild ? Destination : Destination->FParent;
    Parent->CheckOwner(Node);
    // Checked before anything changes: a link that fails half-way would
    // leave a subtree with wrong levels, or lost when it was being moved.
    const Integer NewLevel = Parent->FLevel + 1;
    if (NewLevel != Node->FLevel && NewLevel + SubtreeHeight(Node) > FMaxLevel)
      throw Exception(QStringLiteral("TBaseTreeNodeEh.SetLevel: Max level exceed - %1").arg(FMaxLevel));
    Node->FParent = Parent;
    Parent->FHasChildren = true;
    if (Mode == naAddChildEh) {
      Node->FIndex = Parent->Add(Node);
    } else if (Mode == naAddChildFirstEh) {
      Parent->Insert(0, Node);
      Node->FIndex = 0;
    } else {
      const Integer At = PositionOf(Destination);
      Parent->Insert(At, Node);
      Node->FIndex = At;
    }
    Node->SetLevel(NewLevel);
    if (ReIndex && Mode == naAddChildFirstEh)
      ReindexChildren(Parent, false, -1, -1);
    else if (ReIndex && Mode == naInsertEh)
      ReindexChildren(Parent, false, -1, Node->FIndex);
    break;
  }
  }
  NodeLinkChanged(Node, nlsAttachedEh, nullptr, -1);
}

void TTreeListEh::DeleteChildren(TBaseTreeNodeEh* Node)
{
  if (!Node)
    Node = FRoot;
  for (Integer I = 0; I < Node->FItems.Count(); ++I)
    delete NodeAt(Node->FItems, I);
  Node->Clear();
}

void TTreeListEh::DeleteNode(TBaseTreeNodeEh* Node, bool ReIndex)
{
  if (!Node || Node == FRoot)
    return;
  DeleteChildren(Node);
  ExtractNode(Node, ReIndex);
  delete Node;
}

// Removes Node from its parent's list; the node keeps its parent, index and
// level values. Answers the position it had.
void TTreeListEh::Unlink(TBaseTreeNodeEh* Node, bool ReIndex)
{
  TBaseTreeNodeEh* Parent = Node->FParent;
  const Integer At = PositionOf(Node);
  const bool WasLast = At == Parent->GetCount() - 1;
  Parent->Delete(At);
  Parent->FHasChildren = Parent->GetCount() > 0;
  if (ReIndex && !WasLast)
    ReindexChildren(Parent, false, -1, -1);
}

void TTreeListEh::ExtractNode(TBaseTreeNodeEh* Node, bool ReIndex)
{
  if (!Node || !Node->FParent)
    return;
  TBaseTreeNodeEh* OldParent = Node->FParent;
  const Integer OldIndex = PositionOf(Node);
  Unlink(Node, ReIndex);
  NodeLinkChanged(Node, nlsDetachedEh, OldParent, OldIndex);
}

void TTreeListEh::Clear()
{
  DeleteChildren(FRoot);
}

void TTreeListEh::Expand(TBaseTreeNodeEh* Node, bool Recurse)
{
  if (!Node)
    Node = FRoot;
  if (Node->GetCount() == 0)
    return;
  if (Node != FRoot)
    Node->SetExpanded(true);
  if (!Recurse)
    return;
  for (Integer I = 0; I < Node->GetCount(); ++I)
    Expand(Node->Items(I), true);
}

void TTreeListEh::Collapse(TBaseTreeNodeEh* Node, bool Recurse)
{
  if (!Node)
    Node = FRoot;
  Node->SetExpanded(false);
  if (!Recurse)
    return;
  for (Integer I = 0; I < Node->GetCount(); ++I)
    Collapse(Node->Items(I), true);
}

void TTreeListEh::ReindexChildren(TBaseTreeNodeEh* Node, bool Recurse, Integer ToIndex, Integer FromIndex)
{
  if (!Node)
    Node = FRoot;
  Node->FVisibleItems.Clear();
  if (FromIndex == -1)
    FromIndex = 0;
  if (ToIndex == -1)
    ToIndex = Node->GetCount() - 1;
  for (Integer I = FromIndex; I <= ToIndex; ++I) {
    TBaseTreeNodeEh* Child = Node->Items(I);
    Child->FIndex = I;
    if (Recurse)
      ReindexChildren(Child, true, -1, -1);
  }
  Node->VisibleItemsBecomeObsolete();
}

TBaseTreeNodeEh* TTreeListEh::FindNodeByData(TBaseTreeNodeEh* Node, TObject* Data) const
{
  if (!Node)
    Node = FRoot;
  for (Integer I = 0; I < Node->GetCount(); ++I) {
    TBaseTreeNodeEh* Child = Node->Items(I);
    if (Child->Data() == Data)
      return Child;
    if (TBaseTreeNodeEh* Found = FindNodeByData(Child, Data))
      return Found;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// Navigation.

TBaseTreeNodeEh* TTreeListEh::GetPrevSibling(TBaseTreeNodeEh* Node) const
{
  if (!Node || !Node->Parent())
    return nullptr;
  const Integer At = PositionOf(Node);
  return At > 0 ? Node->Parent()->Items(At - 1) : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetNextSibling(TBaseTreeNodeEh* Node) const
{
  if (!Node || !Node->Parent())
    return nullptr;
  const Integer At = PositionOf(Node);
  return At >= 0 && At + 1 < Node->Parent()->GetCount() ? Node->Parent()->Items(At + 1) : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetFirstChild(TBaseTreeNodeEh* Node) const
{
  return Node && Node->GetCount() > 0 ? Node->Items(0) : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetLastChild(TBaseTreeNodeEh* Node) const
{
  return Node && Node->GetCount() > 0 ? Node->Items(Node->GetCount() - 1) : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetFirst() const
{
  return GetFirstChild(FRoot);
}

TBaseTreeNodeEh* TTreeListEh::GetLast(TBaseTreeNodeEh* Node) const
{
  if (!Node)
    Node = FRoot;
  TBaseTreeNodeEh* Result = nullptr;
  while (Node->GetCount() > 0) {
    Node = GetLastChild(Node);
    Result = Node;
  }
  return Result;
}

TBaseTreeNodeEh* TTreeListEh::GetPrevious(TBaseTreeNodeEh* Node) const
{
  if (!Node || Node == FRoot)
    return Node;
  if (TBaseTreeNodeEh* Prev = GetPrevSibling(Node)) {
    TBaseTreeNodeEh* Deepest = GetLast(Prev);
    return Deepest ? Deepest : Prev;
  }
  return Node->Parent() == FRoot ? nullptr : Node->Parent();
}

TBaseTreeNodeEh* TTreeListEh::GetNext(TBaseTreeNodeEh* Node) const
{
  if (!Node || Node == FRoot)
    return Node;
  if (Node->GetCount() > 0)
    return Node->Items(0);
  for (TBaseTreeNodeEh* N = Node; N && N != FRoot; N = N->Parent())
    if (TBaseTreeNodeEh* Next = GetNextSibling(N))
      return Next;
  return nullptr;
}

bool TTreeListEh::NodeHasChildren(TBaseTreeNodeEh* Node) const
{
  return (Node ? Node : FRoot)->HasChildren();
}

// ---------------------------------------------------------------------------
// Visible walks.

TBaseTreeNodeEh* TTreeListEh::GetFirstVisible() const
{
  for (Integer I = 0; I < FRoot->GetCount(); ++I)
    if (FRoot->Items(I)->Visible())
      return FRoot->Items(I);
  return nullptr;
}

bool TTreeListEh::GetPathVisible(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const
{
  if (!Node || Node == FRoot)
    return false;
  for (TBaseTreeNodeEh* A = Node->Parent(); A && A != FRoot; A = A->Parent())
    if (!A->Visible() || (ConsiderCollapsed && !A->Expanded()))
      return false;
  return true;
}

// The nearest ancestor that is itself shown; the root when there is none.
TBaseTreeNodeEh* TTreeListEh::GetVisibleAncestor(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const
{
  if (!Node || Node == FRoot)
    return FRoot;
  for (TBaseTreeNodeEh* A = Node->Parent(); A && A != FRoot; A = A->Parent())
    if (A->Visible() && GetPathVisible(A, ConsiderCollapsed))
      return A;
  return FRoot;
}

// The outermost node on the way from the root to Node that hides Node: a
// hidden node, or a collapsed shown one. None when Node itself is shown.
static TBaseTreeNodeEh* HidingNode(TBaseTreeNodeEh* Root, TBaseTreeNodeEh* Node, bool ConsiderCollapsed)
{
  std::vector<TBaseTreeNodeEh*> Path;
  for (TBaseTreeNodeEh* N = Node; N && N != Root; N = N->Parent())
    Path.push_back(N);
  for (auto It = Path.rbegin(); It != Path.rend(); ++It) {
    if (!(*It)->Visible())
      return *It;
    if (ConsiderCollapsed && *It != Node && !(*It)->Expanded())
      return *It;
  }
  return nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetNextVisible(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const
{
  if (!Node || Node == FRoot)
    return nullptr;
  TBaseTreeNodeEh* Candidate = HidingNode(FRoot, Node, ConsiderCollapsed);
  if (!Candidate) {
    Candidate = Node;
    if (Node->GetCount() > 0 && (Node->Expanded() || !ConsiderCollapsed)) {
      Candidate = Node->Items(0);
      if (Candidate->Visible())
        return Candidate;
    }
  }
  // The candidate's subtree is done; walk on to the next shown sibling.
  while (Candidate && Candidate != FRoot) {
    TBaseTreeNodeEh* Next = GetNextSibling(Candidate);
    if (!Next) {
      Candidate = Candidate->Parent();
      continue;
    }
    if (Next->Visible())
      return Next;
    Candidate = Next;
  }
  return nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetNextVisibleSibling(TBaseTreeNodeEh* Node) const
{
  if (!Node || !Node->Parent())
    return nullptr;
  TBaseTreeNodeEh* Parent = Node->Parent();
  if (Parent->GetVisibleCount() == Parent->GetCount())
    return GetNextSibling(Node);
  const Integer Next = Node->VisibleIndex() + 1;
  return Next < Parent->GetVisibleCount() ? Parent->GetVisibleItem(Next) : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetPriorVisibleSibling(TBaseTreeNodeEh* Node) const
{
  if (!Node || !Node->Parent())
    return nullptr;
  TBaseTreeNodeEh* Parent = Node->Parent();
  if (Parent->GetVisibleCount() == Parent->GetCount())
    return GetPrevSibling(Node);
  const Integer Prior = Node->VisibleIndex() - 1;
  return Prior >= 0 ? Parent->GetVisibleItem(Prior) : nullptr;
}

// ---------------------------------------------------------------------------
// Virtual hooks.

Integer TTreeListEh::CompareTreeNodes(TBaseTreeNodeEh* Rec1, TBaseTreeNodeEh* Rec2, TObject* ParamSort)
{
  (void)Rec1;
  (void)Rec2;
  (void)ParamSort;
  return 0;
}

bool TTreeListEh::ExpandedChanging(TBaseTreeNodeEh* Node)
{
  return OnExpandedChanging ? OnExpandedChanging(Node) : true;
}

void TTreeListEh::ExpandedChanged(TBaseTreeNodeEh* Node)
{
  if (OnExpandedChanged)
    OnExpandedChanged(Node);
}

void TTreeListEh::MoveTo(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode, bool ReIndex)
{
  if (!LinkApplies(Node, Destination, Mode))
    return;
  const bool AsChild = IsChildMode(Mode);
  if (Destination->InSubtreeOf(Node))
    throw Exception(QStringLiteral("Reference-loop found"));
  TBaseTreeNodeEh* NewParent = AsChild ? Destination : Destination->Parent();
  if (NewParent->Level() + 1 + SubtreeHeight(Node) > FMaxLevel)
    throw Exception(QStringLiteral("TBaseTreeNodeEh.SetLevel: Max level exceed - %1").arg(FMaxLevel));
  if (Node->Parent())
    Unlink(Node, ReIndex);
  AddNode(Node, Destination, Mode, ReIndex);
}

void TTreeListEh::SortData(const TCompareNodesEh& CompareProg, TObject* ParamSort, bool ARecurse)
{
  FRoot->SortData(ParamSort, ARecurse, CompareProg);
}

void TTreeListEh::NodeLinkChanged(TBaseTreeNodeEh* Node, TNodeLinkStateEh LinkState, TBaseTreeNodeEh* OldParent,
                                  Integer OldIndex)
{
  (void)Node;
  (void)LinkState;
  (void)OldParent;
  (void)OldIndex;
}
