// Contnrs.cpp: object lists that may own their objects.
#include "platform/rtl/Contnrs.h"

Integer TObjectList::FindInstanceOf(TClass AClass, bool AExact, Integer AStartAt) const
{
  for (Integer I = std::max(AStartAt, 0); I < Count(); ++I) {
    TObject* Obj = Items(I);
    if (!Obj)
      continue;
    if (AExact ? Obj->ClassType() == AClass : Obj->InheritsFrom(AClass))
      return I;
  }
  return -1;
}

void TObjectList::Notify(void* Ptr, TListNotification Action)
{
  if (FOwnsObjects && Action == lnDeleted)
    delete static_cast<TObject*>(Ptr);
  TList::Notify(Ptr, Action);
}

// Hears of the end of the listed components on the list's behalf.
class TComponentList::TNotifier : public TComponent {
public:
  explicit TNotifier(TComponentList* List) : TComponent(nullptr), FList(List) {}

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override
  {
    if (Operation == opRemove)
      FList->HandleFreeNotify(AComponent);
    TComponent::Notification(AComponent, Operation);
  }

private:
  TComponentList* FList;
};

TComponentList::TComponentList() : TComponentList(true) {}

TComponentList::TComponentList(bool AOwnsObjects) : TObjectList(AOwnsObjects) {}

TComponentList::~TComponentList()
{
  Clear();
  delete FNexus;
}

void TComponentList::HandleFreeNotify(TComponent* AComponent)
{
  Extract(AComponent);
}

void TComponentList::Notify(void* Ptr, TListNotification Action)
{
  auto* C = static_cast<TComponent*>(Ptr);
  if (!FNexus && Action == lnAdded)
    FNexus = new TNotifier(this);
  if (FNexus && C) {
    if (Action == lnAdded)
      C->FreeNotification(FNexus);
    else
      C->RemoveFreeNotification(FNexus);
  }
  TObjectList::Notify(Ptr, Action);
}
