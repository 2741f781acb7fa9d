// ActnList.h: actions: a command with its caption, hint, shortcut and
// enabled and visible states, shared by the controls linked to it.
#pragma once

#include "platform/gui/Menus.h"

#include <vector>

class TBasicActionLink;

class TBasicAction : public TComponent {
  VELMORA_CLASS(TBasicAction)
  using inherited = TComponent;
public:
  explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
  ~TBasicAction() override;
  // Runs OnExecute; answers whether there was one.
  virtual bool Execute();
  // Runs OnUpdate; answers whether there was one.
  virtual bool Update();
  // The component that executed the action last.
  TComponent* ActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* Value) { FActionComponent = Value; }
  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

protected:
  friend class TBasicActionLink;
  void RegisterChanges(TBasicActionLink* Link);
  void UnRegisterChanges(TBasicActionLink* Link);
  std::vector<TBasicActionLink*> FClients;

private:
  TComponent* FActionComponent = nullptr;
};

class TCustomAction : public TBasicAction {
  VELMORA_CLASS(TCustomAction)
  using inherited = TBasicAction;
public:
  explicit TCustomAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  String Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  String Hint() const { return FHint; }
  void SetHint(const String& Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);

private:
  String FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  String FHint;
  TShortCut FShortCut = 0;
  bool FVisible = true;
};

class TAction : public TCustomAction {
  VELMORA_CLASS(TAction)
public:
  explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

// Binds a client to an action: the action's changes reach the client through
// the Set... operations while the client's value is linked.
class TBasicActionLink : public TObject {
public:
  explicit TBasicActionLink(TObject* AClient) { (void)AClient; }
  ~TBasicActionLink() override;
  TBasicAction* Action() const { return FAction; }
  void SetAction(TBasicAction* Value);
  virtual bool Execute(TComponent* AComponent = nullptr);
  virtual bool Update();
  // Told by Change, for clients that follow the action as a whole.
  TNotifyEvent OnChange;

protected:
  friend class TBasicAction;
  friend class TCustomAction;
  virtual void Change();
  TBasicAction* FAction = nullptr;
};

class TActionLink : public TBasicActionLink {
public:
  explicit TActionLink(TObject* AClient) : TBasicActionLink(AClient) {}
  virtual bool IsCaptionLinked() const { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
  virtual bool IsCheckedLinked() const { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
  virtual bool IsEnabledLinked() const { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
  virtual bool IsHintLinked() const { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
  virtual bool IsShortCutLinked() const { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
  virtual bool IsVisibleLinked() const { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }

  // The action's new values, passed on while linked.
  virtual void SetCaption(const String& Value) { (void)Value; }
  virtual void SetChecked(bool Value) { (void)Value; }
  virtual void SetEnabled(bool Value) { (void)Value; }
  virtual void SetHint(const String& Value) { (void)Value; }
  virtual void SetShortCut(TShortCut Value) { (void)Value; }
  virtual void SetVisible(bool Value) { (void)Value; }
};

void RegisterActnListClasses();
