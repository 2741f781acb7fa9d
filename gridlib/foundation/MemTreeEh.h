// MemTreeEh.h: a generic ordered tree of nodes kept in memory, with linking,
// moving, sorting, expanding and walks that skip hidden or collapsed branches.
// Grouping trees, record trees and pivot axes derive their nodes from it.
#pragma once

#include "gridlib/foundation/GridPlatformEh.h"
#include "platform/rtl/Classes.h"

#include <functional>

class TBaseTreeNodeEh;
class TTreeListEh;

enum TNodeAttachModeEh { naAddEh, naAddFirstEh, naAddChildEh, naAddChildFirstEh, naInsertEh, naAddAfterEh };
enum TNodeLinkStateEh { nlsAttachedEh, nlsDetachedEh };

using TCompareNodesEh = std::function<Integer(TBaseTreeNodeEh* Node1, TBaseTreeNodeEh* Node2, TObject* ParamSort)>;
using TTreeNodeNotifyEvent = std::function<void(TBaseTreeNodeEh* Sender)>;
using TTreeNodeNotifyResultEvent = std::function<bool(TBaseTreeNodeEh* Sender)>;

// The class of a tree's nodes: makes an unlinked node of that class.
using TTreeNodeClassEh = TBaseTreeNodeEh* (*)();
template <class T>
TBaseTreeNodeEh* CreateTreeNodeEh() { return new T(); }

class TBaseTreeNodeEh : public TPersistent {
  VELMORA_CLASS(TBaseTreeNodeEh)
  using inherited = TPersistent;
public:
  TBaseTreeNodeEh();
  ~TBaseTreeNodeEh() override;

  TObject* Data() const { return FData; }
  void SetData(TObject* Value) { FData = Value; }
  bool Expanded() const { return FExpanded; }
  void SetExpanded(bool Value);
  bool HasChildren() const { return FHasChildren; }
  bool GetHasVisibleChildren();
  Integer Index() const { return FIndex; }
  TBaseTreeNodeEh* GetItem(Integer Index) const;
  TBaseTreeNodeEh* Items(Integer Index) const { return GetItem(Index); }
  Integer GetCount() const { return FItems.Count(); }
  Integer Count() const { return GetCount(); }
  Integer Level() const { return FLevel; }
  TTreeListEh* Owner() const { return FOwner; }
  TBaseTreeNodeEh* Parent() const { return FParent; }
  const String& Text() const { return FText; }
  void SetText(const String& Value) { FText = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  Integer GetVisibleCount();
  Integer VisibleCount() { return GetVisibleCount(); }
  Integer VisibleIndex() const { return FVisibleIndex; }
  TObjectListEh* GetVisibleItems();
  TObjectListEh* VisibleItems() { return GetVisibleItems(); }
  TBaseTreeNodeEh* GetVisibleItem(Integer Index);
  TBaseTreeNodeEh* VisibleItem(Integer Index) { return GetVisibleItem(Index); }

  Integer Add(TBaseTreeNodeEh* Node);
  void Insert(Integer Index, TBaseTreeNodeEh* Node);
  void Delete(Integer Index);
  void Exchange(Integer Index1, Integer Index2);
  bool InSubtreeOf(TBaseTreeNodeEh* Node) const;
  void QuickSort(Integer L, Integer R, TObject* ParamSort, const TCompareNodesEh& CompareProg);
  void SetLevel(Integer Value);
  void BuildVisibleItems();

  virtual bool ExpandedChanging();
  virtual bool VisibleChanging();
  virtual void VisibleItemsBecomeObsolete();
  virtual void ChildVisibleChanged(TBaseTreeNodeEh* Node);
  virtual void Clear();
  virtual void ExpandedChanged();
  virtual void SortData(TObject* ParamSort, bool ARecurse, const TCompareNodesEh& CompareProg);
  virtual void VisibleChanged();

private:
  friend class TTreeListEh;
  void CheckOwner(TBaseTreeNodeEh* Node) const;

  TObject* FData = nullptr;
  bool FExpanded = false;
  bool FHasChildren = false;
  bool FHasVisibleChildren = false;
  Integer FIndex = -1;
  TObjectListEh FItems;
  Integer FLevel = 0;
  TTreeListEh* FOwner = nullptr;
  TBaseTreeNodeEh* FParent = nullptr;
  String FText;
  bool FVisible = true;
  Integer FVisibleCount = 0;
  Integer FVisibleIndex = -1;
  TObjectListEh FVisibleItems;
  bool FVisibleItemsObsolete = false;
};

class TTreeListEh : public TComponent {
  VELMORA_CLASS(TTreeListEh)
  using inherited = TComponent;
public:
  explicit TTreeListEh(TTreeNodeClassEh ItemClass = &CreateTreeNodeEh<TBaseTreeNodeEh>);
  ~TTreeListEh() override;

  TBaseTreeNodeEh* Root() const { return FRoot; }
  Integer MaxLevel() const { return FMaxLevel; }
  void SetMaxLevel(Integer Value) { FMaxLevel = Value; }
  TTreeNodeClassEh ItemClass() const { return FItemClass; }
  TTreeNodeNotifyEvent OnExpandedChanged;
  TTreeNodeNotifyResultEvent OnExpandedChanging;

  TBaseTreeNodeEh* CreateNode(const String& Text, TObject* Data);
  TBaseTreeNodeEh* AddChild(const String& Text, TBaseTreeNodeEh* Parent, TObject* Data);
  void AddNode(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode, bool ReIndex);
  void DeleteChildren(TBaseTreeNodeEh* Node);
  void DeleteNode(TBaseTreeNodeEh* Node, bool ReIndex);
  void ExtractNode(TBaseTreeNodeEh* Node, bool ReIndex);
  void Clear();
  void Expand(TBaseTreeNodeEh* Node, bool Recurse);
  void Collapse(TBaseTreeNodeEh* Node, bool Recurse);
  void ReindexChildren(TBaseTreeNodeEh* Node, bool Recurse, Integer ToIndex, Integer FromIndex);
  TBaseTreeNodeEh* FindNodeByData(TBaseTreeNodeEh* Node, TObject* Data) const;

  TBaseTreeNodeEh* GetPrevSibling(TBaseTreeNodeEh* Node) const;
  TBaseTreeNodeEh* GetNextSibling(TBaseTreeNodeEh* Node) const;
  TBaseTreeNodeEh* GetFirstChild(TBaseTreeNodeEh* Node) const;
  TBaseTreeNodeEh* GetLastChild(TBaseTreeNodeEh* Node) const;
  TBaseTreeNodeEh* GetFirst() const;
  TBaseTreeNodeEh* GetLast(TBaseTreeNodeEh* Node = nullptr) const;
  TBaseTreeNodeEh* GetPrevious(TBaseTreeNodeEh* Node) const;
  TBaseTreeNodeEh* GetNext(TBaseTreeNodeEh* Node) const;
  bool NodeHasChildren(TBaseTreeNodeEh* Node) const;

  TBaseTreeNodeEh* GetFirstVisible() const;
  bool GetPathVisible(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const;
  TBaseTreeNodeEh* GetVisibleAncestor(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const;
  TBaseTreeNodeEh* GetNextVisible(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const;
  TBaseTreeNodeEh* GetNextVisibleSibling(TBaseTreeNodeEh* Node) const;
  TBaseTreeNodeEh* GetPriorVisibleSibling(TBaseTreeNodeEh* Node) const;

  virtual Integer CompareTreeNodes(TBaseTreeNodeEh* Rec1, TBaseTreeNodeEh* Rec2, TObject* ParamSort);
  virtual bool ExpandedChanging(TBaseTreeNodeEh* Node);
  virtual void ExpandedChanged(TBaseTreeNodeEh* Node);
  virtual void MoveTo(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode, bool ReIndex);
  virtual void SortData(const TCompareNodesEh& CompareProg, TObject* ParamSort, bool ARecurse);
  virtual void NodeLinkChanged(TBaseTreeNodeEh* Node, TNodeLinkStateEh LinkState, TBaseTreeNodeEh* OldParent,
                               Integer OldIndex);

private:
  bool LinkApplies(TBaseTreeNodeEh* Node, TBaseTreeNodeEh*& Destination, TNodeAttachModeEh Mode) const;
  void Unlink(TBaseTreeNodeEh* Node, bool ReIndex);

  TTreeNodeClassEh FItemClass;
  Integer FMaxLevel = 1000;
  TBaseTreeNodeEh* FRoot = nullptr;
};
