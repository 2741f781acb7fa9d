// Menus.h: menu items, the main menu shown as the form's menu bar, and
// popup menus.
#pragma once

#include "platform/gui/Controls.h"

#include <memory>
#include <vector>

class QMenuBar;
class QMenu;
class QAction;
class TMenu;

VELMORA_EXCEPTION(EMenuError, Exception)

using TShortCut = Word;   // virtual key plus scShift/scCtrl/scAlt
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;
TShortCut ShortCut(Word Key, TShiftState Shift);
String ShortCutToText(TShortCut ShortCut);

class TMenuItem : public TComponent {
  VELMORA_CLASS(TMenuItem)
  using inherited = TComponent;
public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  String Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value) { FRadioItem = Value; Changed(); }
  Byte GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Byte Value) { FGroupIndex = Value; }
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value) { FImageIndex = Value; }
  String Hint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }
  bool IsLine() const { return FCaption == QStringLiteral("-"); }

  Integer Count() const { return Integer(FItems.size()); }
  TMenuItem* Items(Integer Index) const { return FItems.at(std::size_t(Index)); }
  TMenuItem* operator[](Integer Index) const { return Items(Index); }
  void Add(TMenuItem* Item);
  void Insert(Integer Index, TMenuItem* Item);
  void Remove(TMenuItem* Item);
  void Delete(Integer Index);
  void Clear();
  Integer IndexOf(TMenuItem* Item) const;
  TMenuItem* Parent() const { return FParent; }
  TMenu* GetParentMenu() const;
  TMenuItem* Find(const String& ACaption) const;

  virtual void Click();
  // An item that answers true runs its Click and leaves its menu open.
  virtual bool KeepsMenuOpenOnClick() const { return false; }
  TNotifyEvent OnClick;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void ReadState(TReader& Reader) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

  // Platform only: fills a Qt menu with this item's sub-items.
  void FillMenu(QMenu* Menu);

protected:
  void Changed();

private:
  friend class TMenu;
  friend class TMainMenu;
  QAction* MakeAction(QObject* Parent);
  void UpdateAction(QAction* A) const;
  String FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  bool FRadioItem = false;
  Byte FGroupIndex = 0;
  TShortCut FShortCut = 0;
  Integer FImageIndex = -1;
  String FHint;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;   // set on the root item of a menu
  std::vector<TMenuItem*> FItems;
  std::vector<QAction*> FActions;
};

class TMenu : public TComponent {
  VELMORA_CLASS(TMenu)
  using inherited = TComponent;
public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  TMenuItem* Items() const { return FItems.get(); }
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  TComponent* GetChildOwner() override { return nullptr; }
  // Called when an item changes: the shown menu follows.
  virtual void MenuChanged() {}
  // Runs the item with this shortcut; answers whether there was one.
  bool IsShortCut(TShortCut ShortCut);

private:
  std::unique_ptr<TMenuItem> FItems;
};

class TMainMenu : public TMenu {
  VELMORA_CLASS(TMainMenu)
  using inherited = TMenu;
public:
  explicit TMainMenu(TComponent* AOwner);
  ~TMainMenu() override;
  bool AutoMerge() const { return false; }
  void SetAutoMerge(bool) {}
  void MenuChanged() override;
  // Platform only: the menu bar of the form (rebuilt when items change).
  QMenuBar* CreateMenuBar();
private:
  QMenuBar* FBar = nullptr;
  std::function<void()> FForgetBar;   // stops watching the bar
};

enum class TPopupAlignment { paLeft, paRight, paCenter };
using enum TPopupAlignment;

class TPopupMenu : public TMenu {
  VELMORA_CLASS(TPopupMenu)
  using inherited = TMenu;
public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }
  // Shows the menu at a screen point and returns when it closes.
  virtual void Popup(Integer X, Integer Y);
  TNotifyEvent OnPopup;
  // Tests: a hook that picks the item instead of a person (nullptr: none).
  static void SetPopupHook(std::function<TMenuItem*(TPopupMenu* Menu)> Hook);
private:
  bool FAutoPopup = true;
  TPopupAlignment FAlignment = paLeft;
  TComponent* FPopupComponent = nullptr;
};

void RegisterMenusClasses();
