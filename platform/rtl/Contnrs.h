// Contnrs.h: object lists that may own their objects.
#pragma once

#include "platform/rtl/Classes.h"

class TObjectList : public TList {
  VELMORA_CLASS(TObjectList)
public:
  TObjectList() = default;
  explicit TObjectList(bool AOwnsObjects) : FOwnsObjects(AOwnsObjects) {}
  // Empties the list here: in ~TList, Notify would no longer free anything.
  ~TObjectList() override { Clear(); }

  Integer Add(TObject* AObject) { return TList::Add(AObject); }
  void Insert(Integer Index, TObject* AObject) { TList::Insert(Index, AObject); }
  Integer Remove(TObject* AObject) { return TList::Remove(AObject); }
  TObject* Extract(TObject* Item) { return static_cast<TObject*>(TList::Extract(Item)); }
  Integer IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }
  TObject* First() const { return static_cast<TObject*>(TList::First()); }
  TObject* Last() const { return static_cast<TObject*>(TList::Last()); }
  // The index of the first object of AClass (or of a descendant when
  // AExact is false) from AStartAt on; -1 when none.
  Integer FindInstanceOf(TClass AClass, bool AExact = true, Integer AStartAt = 0) const;

  TObject* Items(Integer Index) const { return static_cast<TObject*>(TList::Items(Index)); }
  void SetItems(Integer Index, TObject* AObject) { TList::SetItems(Index, AObject); }
  TObject* operator[](Integer Index) const { return Items(Index); }
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

protected:
  void Notify(void* Ptr, TListNotification Action) override;

private:
  bool FOwnsObjects = true;
};

// A list of components that drops a component when it is freed.
class TComponentList : public TObjectList {
  VELMORA_CLASS(TComponentList)
public:
  TComponentList();
  explicit TComponentList(bool AOwnsObjects);
  ~TComponentList() override;

  Integer Add(TComponent* AComponent) { return TObjectList::Add(AComponent); }
  TComponent* Items(Integer Index) const { return static_cast<TComponent*>(TObjectList::Items(Index)); }

protected:
  void Notify(void* Ptr, TListNotification Action) override;

private:
  class TNotifier;
  void HandleFreeNotify(TComponent* AComponent);
  TNotifier* FNexus = nullptr;
};
