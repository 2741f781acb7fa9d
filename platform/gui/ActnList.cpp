// ActnList.cpp: actions and the links that keep their clients in step.
#include "platform/gui/ActnList.h"

#include <algorithm>

TBasicAction::~TBasicAction()
{
  // The links outlive the action in their clients: they must forget it.
  while (!FClients.empty())
    FClients.back()->SetAction(nullptr);
}

bool TBasicAction::Execute()
{
  if (!OnExecute)
    return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update()
{
  if (!OnUpdate)
    return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Link) { FClients.push_back(Link); }

void TBasicAction::UnRegisterChanges(TBasicActionLink* Link)
{
  FClients.erase(std::remove(FClients.begin(), FClients.end(), Link), FClients.end());
}

// Each setter passes the new value to the clients whose value is linked (the
// others keep their own).
template <class V, class F>
static void Propagate(std::vector<TBasicActionLink*>& Clients, F Setter, const V& Value)
{
  const std::vector<TBasicActionLink*> Copy = Clients;
  for (TBasicActionLink* L : Copy)
    if (auto* A = dynamic_cast<TActionLink*>(L))
      Setter(A, Value);
}

#define VELMORA_ACTION_SETTER(Name, Type, Field, Linked)                                           \
  void TCustomAction::Set##Name(Type Value)                                                        \
  {                                                                                                \
    if (Value == Field)                                                                            \
      return;                                                                                      \
    Propagate(FClients, [](TActionLink* A, Type V) { if (A->Linked()) A->Set##Name(V); }, Value); \
    Field = Value;                                                                                 \
  }

VELMORA_ACTION_SETTER(Caption, const String&, FCaption, IsCaptionLinked)
VELMORA_ACTION_SETTER(Checked, bool, FChecked, IsCheckedLinked)
VELMORA_ACTION_SETTER(Enabled, bool, FEnabled, IsEnabledLinked)
VELMORA_ACTION_SETTER(Hint, const String&, FHint, IsHintLinked)
VELMORA_ACTION_SETTER(ShortCut, TShortCut, FShortCut, IsShortCutLinked)
VELMORA_ACTION_SETTER(Visible, bool, FVisible, IsVisibleLinked)
#undef VELMORA_ACTION_SETTER

TBasicActionLink::~TBasicActionLink() { SetAction(nullptr); }

void TBasicActionLink::SetAction(TBasicAction* Value)
{
  if (Value == FAction)
    return;
  if (FAction)
    FAction->UnRegisterChanges(this);
  FAction = Value;
  if (FAction)
    FAction->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent)
{
  if (!FAction)
    return false;
  FAction->SetActionComponent(AComponent);
  try {
    const bool Done = FAction->Execute();
    FAction->SetActionComponent(nullptr);
    return Done;
  } catch (...) {
    FAction->SetActionComponent(nullptr);
    throw;
  }
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::Change()
{
  if (OnChange)
    OnChange(FAction);
}

void RegisterActnListClasses()
{
  RegisterClassInfo<TBasicAction, TComponent>("TBasicAction")
    .Event("OnExecute", &TBasicAction::OnExecute)
    .Event("OnUpdate", &TBasicAction::OnUpdate);
  RegisterClassInfo<TCustomAction, TBasicAction>("TCustomAction");
  RegisterClassInfo<TAction, TCustomAction>("TAction")
    .Property("Caption", &TAction::Caption, &TAction::SetCaption)
    .Property("Checked", &TAction::Checked, &TAction::SetChecked, false)
    .Property("Enabled", &TAction::Enabled, &TAction::SetEnabled, true)
    .Property("Hint", &TAction::Hint, &TAction::SetHint)
    .Property("ShortCut", &TAction::ShortCut, &TAction::SetShortCut, TShortCut(0))
    .Property("Visible", &TAction::Visible, &TAction::SetVisible, true);
}
