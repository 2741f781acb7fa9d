// MemTreeTest.cpp: the in-memory tree against a plain model of parents and
// child lists, under random linking, moving, deleting, sorting and hiding.
#include "gridlib/foundation/MemTreeEh.h"

#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

namespace {

// Counts the link notifications the tree sends.
class TCountingTree : public TTreeListEh {
public:
  Integer Attached = 0;
  Integer Detached = 0;
  TBaseTreeNodeEh* LastDetachedParent = nullptr;
  Integer LastDetachedIndex = -2;
  Integer CompareTreeNodes(TBaseTreeNodeEh* A, TBaseTreeNodeEh* B, TObject*) override
  {
    return A->Text().compare(B->Text());
  }
  void NodeLinkChanged(TBaseTreeNodeEh*, TNodeLinkStateEh State, TBaseTreeNodeEh* OldParent, Integer OldIndex) override
  {
    if (State == nlsAttachedEh) {
      ++Attached;
      EXPECT_EQ(OldParent, nullptr);
      EXPECT_EQ(OldIndex, -1);
      return;
    }
    ++Detached;
    LastDetachedParent = OldParent;
    LastDetachedIndex = OldIndex;
  }
};

// The model: node 0 is the root; each node lists its children in order.
struct TModel {
  struct TNode {
    Integer Parent = -1;
    std::vector<Integer> Kids;
    bool Visible = true;
    bool Expanded = false;
    bool Alive = true;
  };
  std::vector<TNode> Nodes{TNode{}};

  Integer Level(Integer Id) const
  {
    Integer L = 0;
    for (Integer P = Nodes[Id].Parent; P != -1; P = Nodes[P].Parent)
      ++L;
    return L;
  }
  Integer Height(Integer Id) const
  {
    Integer H = 0;
    for (Integer K : Nodes[Id].Kids)
      H = std::max(H, Height(K) + 1);
    return H;
  }
  bool InSubtree(Integer Id, Integer Top) const
  {
    for (Integer N = Id; N > 0; N = Nodes[N].Parent)
      if (N == Top)
        return true;
    return false;
  }
  void Unlink(Integer Id)
  {
    auto& Kids = Nodes[Nodes[Id].Parent].Kids;
    Kids.erase(std::find(Kids.begin(), Kids.end(), Id));
  }
  void Link(Integer Id, Integer Parent, Integer At)
  {
    Nodes[Id].Parent = Parent;
    auto& Kids = Nodes[Parent].Kids;
    Kids.insert(Kids.begin() + At, Id);
  }
  void Kill(Integer Id)
  {
    for (Integer K : Nodes[Id].Kids)
      Kill(K);
    Nodes[Id].Alive = false;
  }
  bool Shown(Integer Id, bool ConsiderCollapsed) const
  {
    if (!Nodes[Id].Visible)
      return false;
    for (Integer P = Nodes[Id].Parent; P > 0; P = Nodes[P].Parent)
      if (!Nodes[P].Visible || (ConsiderCollapsed && !Nodes[P].Expanded))
        return false;
    return true;
  }
  void Preorder(Integer Id, std::vector<Integer>& Out) const
  {
    for (Integer K : Nodes[Id].Kids) {
      Out.push_back(K);
      Preorder(K, Out);
    }
  }
};

class MemTreeRandom : public ::testing::Test {
protected:
  TCountingTree Tree;
  TModel Model;
  std::vector<TBaseTreeNodeEh*> ById{nullptr};
  std::map<TBaseTreeNodeEh*, Integer> IdOf;
  std::mt19937 Rng{20261210};

  void SetUp() override
  {
    ById[0] = Tree.Root();
    IdOf[Tree.Root()] = 0;
    Tree.SetMaxLevel(7);
  }
  Integer Rand(Integer N) { return Integer(Rng() % unsigned(N)); }
  Integer RandomLive(bool WithRoot)
  {
    std::vector<Integer> Live;
    for (Integer I = WithRoot ? 0 : 1; I < Integer(Model.Nodes.size()); ++I)
      if (Model.Nodes[I].Alive)
        Live.push_back(I);
    return Live.empty() ? -1 : Live[Rand(Integer(Live.size()))];
  }
  TBaseTreeNodeEh* NewNode()
  {
    const Integer Id = Integer(Model.Nodes.size());
    // Unique texts: the sort is not stable, so equal keys would leave the
    // order open.
    TBaseTreeNodeEh* Node = Tree.CreateNode(QStringLiteral("%1#%2").arg(Rand(500), 3, 10, QChar('0')).arg(Id), nullptr);
    Model.Nodes.push_back({});
    Model.Nodes.back().Alive = false;
    ById.push_back(Node);
    IdOf[Node] = Id;
    return Node;
  }

  // Where a mode puts a node relative to Dest, in the model; false when the
  // tree leaves it alone. Extra counts the nested link notices.
  bool Target(Integer Dest, TNodeAttachModeEh Mode, Integer Moving, Integer& Parent, Integer& At, Integer& Notices)
  {
    const bool AsChild = Mode == naAddChildEh || Mode == naAddChildFirstEh;
    if (Dest == 0 && !AsChild)
      return false;
    const auto KidsWithout = [&](Integer P) {
      std::vector<Integer> K = Model.Nodes[P].Kids;
      K.erase(std::remove(K.begin(), K.end(), Moving), K.end());
      return K;
    };
    Notices = 1;
    switch (Mode) {
    case naAddChildEh: Parent = Dest; At = Integer(KidsWithout(Dest).size()); break;
    case naAddChildFirstEh: Parent = Dest; At = 0; break;
    case naAddEh: Parent = Model.Nodes[Dest].Parent; At = Integer(KidsWithout(Parent).size()); Notices = 2; break;
    case naAddFirstEh: Parent = Model.Nodes[Dest].Parent; At = 0; Notices = 2; break;
    case naInsertEh: {
      Parent = Model.Nodes[Dest].Parent;
      auto K = KidsWithout(Parent);
      At = Integer(std::find(K.begin(), K.end(), Dest) - K.begin());
      break;
    }
    case naAddAfterEh: {
      Parent = Model.Nodes[Dest].Parent;
      auto K = KidsWithout(Parent);
      At = Integer(std::find(K.begin(), K.end(), Dest) - K.begin()) + 1;
      Notices = At == Integer(K.size()) ? 3 : 2;
      break;
    }
    }
    return true;
  }

  void CheckNode(Integer Id)
  {
    TBaseTreeNodeEh* Node = ById[Id];
    const auto& M = Model.Nodes[Id];
    ASSERT_EQ(Node->Count(), Integer(M.Kids.size())) << "node " << Id;
    EXPECT_EQ(Node->Level(), Model.Level(Id)) << "node " << Id;
    EXPECT_EQ(Node->HasChildren(), !M.Kids.empty()) << "node " << Id;
    Integer Visible = 0;
    for (Integer I = 0; I < Integer(M.Kids.size()); ++I) {
      TBaseTreeNodeEh* Child = Node->Items(I);
      ASSERT_EQ(IdOf[Child], M.Kids[I]) << "child " << I << " of " << Id;
      EXPECT_EQ(Child->Index(), I);
      EXPECT_EQ(Child->Parent(), Node);
      Visible += Model.Nodes[M.Kids[I]].Visible;
      CheckNode(M.Kids[I]);
    }
    ASSERT_EQ(Node->GetVisibleCount(), Visible) << "node " << Id;
    EXPECT_EQ(Node->GetHasVisibleChildren(), Visible > 0);
    Integer V = 0;
    for (Integer K : M.Kids) {
      if (!Model.Nodes[K].Visible)
        continue;
      EXPECT_EQ(Node->GetVisibleItem(V), ById[K]);
      // Positions among the visible children count only while some are hidden.
      if (Visible < Integer(M.Kids.size())) {
        EXPECT_EQ(ById[K]->VisibleIndex(), V);
      }
      ++V;
    }
  }

  void CheckWalks()
  {
    std::vector<Integer> Order;
    Model.Preorder(0, Order);
    // Depth-first successor over every node.
    TBaseTreeNodeEh* N = Tree.GetFirst();
    for (Integer Id : Order) {
      ASSERT_EQ(N, ById[Id]);
      N = Tree.GetNext(N);
    }
    EXPECT_EQ(N, nullptr);
    for (bool Collapsed : {false, true}) {
      SCOPED_TRACE(Collapsed ? "considering collapsed nodes" : "ignoring collapsed nodes");
      std::vector<Integer> Shown;
      for (Integer Id : Order)
        if (Model.Shown(Id, Collapsed))
          Shown.push_back(Id);
      TBaseTreeNodeEh* S = Tree.GetFirstVisible();
      if (Shown.empty() || S != ById[Shown[0]])
        continue;   // the first shown node may sit below a hidden top-level one
      for (size_t I = 0; I + 1 < Shown.size(); ++I)
        ASSERT_EQ(Tree.GetNextVisible(ById[Shown[I]], Collapsed), ById[Shown[I + 1]]) << "after " << Shown[I];
      EXPECT_EQ(Tree.GetNextVisible(ById[Shown.back()], Collapsed), nullptr);
    }
  }
};

TEST_F(MemTreeRandom, OperationsAgreeWithModel)
{
  Integer ExpectAttached = 0;
  Integer ExpectDetached = 0;
  for (Integer Step = 0; Step < 4000; ++Step) {
    SCOPED_TRACE(Step);
    const Integer Op = Rand(100);
    if (Op < 30) {   // add a new node in any mode
      TBaseTreeNodeEh* Node = NewNode();
      const Integer Id = IdOf[Node];
      const Integer Dest = RandomLive(true);
      const auto Mode = TNodeAttachModeEh(Rand(6));
      Integer Parent = 0, At = 0, Notices = 0;
      const bool Links = Target(Dest, Mode, Id, Parent, At, Notices);
      const bool TooDeep = Links && Model.Level(Parent) + 1 > Tree.MaxLevel();
      if (TooDeep) {
        EXPECT_THROW(Tree.AddNode(Node, ById[Dest], Mode, true), Exception);
      } else {
        Tree.AddNode(Node, ById[Dest], Mode, true);
      }
      if (Links && !TooDeep) {
        Model.Nodes[Id].Alive = true;
        Model.Link(Id, Parent, At);
        ExpectAttached += Notices;
      } else {
        delete Node;
        IdOf.erase(Node);
        ById[Id] = nullptr;
      }
    } else if (Op < 55) {   // move a node somewhere
      const Integer Id = RandomLive(false);
      const Integer Dest = RandomLive(true);
      if (Id < 0)
        continue;
      const auto Mode = TNodeAttachModeEh(Rand(6));
      Integer Parent = 0, At = 0, Notices = 0;
      if (!Target(Dest, Mode, Id, Parent, At, Notices)) {
        Tree.MoveTo(ById[Id], ById[Dest], Mode, true);
        continue;
      }
      if (Model.InSubtree(Dest, Id)) {
        EXPECT_THROW(Tree.MoveTo(ById[Id], ById[Dest], Mode, true), Exception);
      } else if (Model.Level(Parent) + 1 + Model.Height(Id) > Tree.MaxLevel()) {
        EXPECT_THROW(Tree.MoveTo(ById[Id], ById[Dest], Mode, true), Exception) << "too deep";
      } else {
        Tree.MoveTo(ById[Id], ById[Dest], Mode, true);
        Model.Unlink(Id);
        Model.Link(Id, Parent, At);
        ExpectAttached += Notices;
      }
    } else if (Op < 65) {   // delete a subtree
      const Integer Id = RandomLive(false);
      if (Id < 0)
        continue;
      const Integer OldParent = Model.Nodes[Id].Parent;
      const auto& Kids = Model.Nodes[OldParent].Kids;
      const Integer OldIndex = Integer(std::find(Kids.begin(), Kids.end(), Id) - Kids.begin());
      Tree.DeleteNode(ById[Id], true);
      ++ExpectDetached;
      EXPECT_EQ(Tree.LastDetachedParent, ById[OldParent]);
      EXPECT_EQ(Tree.LastDetachedIndex, OldIndex);
      Model.Unlink(Id);
      Model.Kill(Id);
    } else if (Op < 72) {   // sort one level or all of them
      const Integer Id = RandomLive(true);
      const bool Recurse = Rand(2) == 0;
      const auto ByText = [&](Integer Top, bool Deep, auto& Self) -> void {
        auto& Kids = Model.Nodes[Top].Kids;
        std::sort(Kids.begin(), Kids.end(), [&](Integer A, Integer B) { return ById[A]->Text() < ById[B]->Text(); });
        if (Deep)
          for (Integer K : Kids)
            Self(K, true, Self);
      };
      ById[Id]->SortData(nullptr, Recurse, [&](TBaseTreeNodeEh* A, TBaseTreeNodeEh* B, TObject* P) {
        return Tree.CompareTreeNodes(A, B, P);
      });
      ByText(Id, Recurse, ByText);
    } else if (Op < 86) {   // hide or show
      const Integer Id = RandomLive(false);
      if (Id < 0)
        continue;
      const bool V = Rand(3) != 0;
      ById[Id]->SetVisible(V);
      Model.Nodes[Id].Visible = V;
    } else if (Op < 96) {   // expand or collapse
      const Integer Id = RandomLive(false);
      if (Id < 0)
        continue;
      const bool E = Rand(2) == 0;
      if (E)
        Tree.Expand(ById[Id], false);
      else
        Tree.Collapse(ById[Id], false);
      Model.Nodes[Id].Expanded = E ? !Model.Nodes[Id].Kids.empty() || Model.Nodes[Id].Expanded : false;
      EXPECT_EQ(ById[Id]->Expanded(), Model.Nodes[Id].Expanded);
    } else {   // extract and relink at the end of the top level
      const Integer Id = RandomLive(false);
      if (Id < 0 || Model.Height(Id) + 1 > Tree.MaxLevel())
        continue;
      Tree.ExtractNode(ById[Id], true);
      ++ExpectDetached;
      Model.Unlink(Id);
      Tree.AddNode(ById[Id], nullptr, naAddChildEh, true);
      ++ExpectAttached;
      Model.Link(Id, 0, Integer(Model.Nodes[0].Kids.size()));
    }
    ASSERT_NO_FATAL_FAILURE(CheckNode(0));
    ASSERT_NO_FATAL_FAILURE(CheckWalks());
    ASSERT_EQ(Tree.Attached, ExpectAttached);
    ASSERT_EQ(Tree.Detached, ExpectDetached);
  }
}

TEST(MemTree, EmptyTreeAndTopLevel)
{
  TTreeListEh Tree;
  EXPECT_EQ(Tree.GetFirst(), nullptr);
  EXPECT_EQ(Tree.GetFirstVisible(), nullptr);
  EXPECT_EQ(Tree.GetLast(nullptr), nullptr);
  for (Integer I = 0; I < 3; ++I) {
    TBaseTreeNodeEh* N = Tree.AddChild(QString::number(I), nullptr, nullptr);
    EXPECT_EQ(N->Level(), 1);
    EXPECT_EQ(N->Index(), I);
  }
  TBaseTreeNodeEh* Loose = Tree.CreateNode("x", nullptr);
  Tree.AddNode(Loose, nullptr, naAddEh, true);   // a sibling of the root: nothing
  EXPECT_EQ(Loose->Parent(), nullptr);
  EXPECT_EQ(Tree.Root()->Count(), 3);
  delete Loose;
}

TEST(MemTree, LoopsAndLevelLimitChangeNothing)
{
  TTreeListEh Tree;
  TBaseTreeNodeEh* A = Tree.AddChild("a", nullptr, nullptr);
  TBaseTreeNodeEh* B = Tree.AddChild("b", A, nullptr);
  TBaseTreeNodeEh* C = Tree.AddChild("c", B, nullptr);
  for (TBaseTreeNodeEh* Dest : {A, B, C}) {
    try {
      Tree.MoveTo(A, Dest, naAddChildEh, true);
      ADD_FAILURE() << "no loop error";
    } catch (const Exception& E) {
      EXPECT_EQ(E.Message(), "Reference-loop found");
    }
  }
  EXPECT_EQ(C->Parent(), B);
  EXPECT_EQ(C->Level(), 3);

  // A chain reaches the limit at the 1001st link.
  TTreeListEh Deep;
  TBaseTreeNodeEh* Last = nullptr;
  for (Integer I = 1; I <= 1000; ++I)
    Last = Deep.AddChild(QString::number(I), Last, nullptr);
  EXPECT_EQ(Last->Level(), 1000);
  try {
    Deep.AddChild("1001", Last, nullptr);
    ADD_FAILURE() << "no level error";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "TBaseTreeNodeEh.SetLevel: Max level exceed - 1000");
  }
  EXPECT_EQ(Last->Count(), 0);

  TTreeListEh Other;
  TBaseTreeNodeEh* Foreign = Other.CreateNode("f", nullptr);
  try {
    Tree.AddNode(Foreign, A, naAddChildEh, true);
    ADD_FAILURE() << "no owner error";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "TBaseTreeNodeEh.Add: Tree nodes can not has different Owners");
  }
  delete Foreign;
}

TEST(MemTree, VisibleListIsTheChildListWhileAllShow)
{
  TTreeListEh Tree;
  TBaseTreeNodeEh* A = Tree.AddChild("a", nullptr, nullptr);
  for (Integer I = 0; I < 4; ++I)
    Tree.AddChild(QString::number(I), A, nullptr);
  TObjectListEh* All = A->GetVisibleItems();
  A->Items(1)->SetVisible(false);
  EXPECT_EQ(A->GetVisibleCount(), 3);
  EXPECT_NE(A->GetVisibleItems(), All);
  A->Items(1)->SetVisible(true);
  EXPECT_EQ(A->GetVisibleItems(), All);
  // Expand leaves a childless node alone; Collapse reaches it anyway.
  Tree.Expand(A->Items(0), false);
  EXPECT_FALSE(A->Items(0)->Expanded());
  A->Items(0)->SetExpanded(true);
  Tree.Collapse(A->Items(0), false);
  EXPECT_FALSE(A->Items(0)->Expanded());
  // A compare that answers 0 for every pair still leaves consistent indexes.
  A->SortData(nullptr, false, [](TBaseTreeNodeEh*, TBaseTreeNodeEh*, TObject*) { return 0; });
  for (Integer I = 0; I < A->Count(); ++I)
    EXPECT_EQ(A->Items(I)->Index(), I);
}

TEST(MemTree, SortOfManySortedChildrenKeepsTheStackShallow)
{
  TTreeListEh Tree;
  for (Integer I = 0; I < 200000; ++I)
    Tree.AddChild(QString::number(I).rightJustified(7, '0'), nullptr, nullptr);
  Tree.SortData([](TBaseTreeNodeEh* A, TBaseTreeNodeEh* B, TObject*) { return -A->Text().compare(B->Text()); },
                nullptr, false);
  EXPECT_EQ(Tree.GetFirst()->Text(), "0199999");
  EXPECT_EQ(Tree.GetLast(nullptr)->Text(), "0000000");
}

} // namespace
