// Menus.cpp: menu items over QAction, the menu bar and popup menus.
#include "platform/gui/Menus.h"

#include "platform/gui/ControlsQt.h"
#include "platform/gui/Forms.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QKeyEvent>
#include <QMouseEvent>

TShortCut ShortCut(Word Key, TShiftState Shift)
{
  TShortCut S = Key;
  if (Shift.Contains(ssShift)) S |= scShift;
  if (Shift.Contains(ssCtrl)) S |= scCtrl;
  if (Shift.Contains(ssAlt)) S |= scAlt;
  return S;
}

static QKeySequence ToKeySequence(TShortCut S)
{
  if (S == 0)
    return QKeySequence();
  int Key = VirtualKeyToQtKey(Word(S & 0xFF));
  if (Key == 0)
    return QKeySequence();
  int Mods = 0;
  if (S & scShift) Mods |= Qt::SHIFT;
  if (S & scCtrl) Mods |= Qt::CTRL;
  if (S & scAlt) Mods |= Qt::ALT;
  return QKeySequence(Key | Mods);
}

String ShortCutToText(TShortCut S) { return ToKeySequence(S).toString(QKeySequence::NativeText); }

// Every menu callback goes through here: exceptions go to the application.
static void GuardedClick(TMenuItem* Item)
{
  try {
    Item->Click();
  } catch (...) {
    Application->HandleException(Item);
  }
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem()
{
  // Each action's destroyed() handler erases it from FActions: take the list
  // first and cut the handlers, so nothing erases from it while it is walked.
  std::vector<QAction*> Actions;
  Actions.swap(FActions);
  for (QAction* A : Actions) {
    A->disconnect();
    delete A;
  }
  while (!FItems.empty()) {
    TMenuItem* I = FItems.back();
    FItems.pop_back();
    I->FParent = nullptr;
    if (!I->Owner())
      delete I;
  }
  if (FParent)
    FParent->Remove(this);
}

// A line's caption "-" only marks it: the toolkit's separator would draw
// any text it has beside the line.
void TMenuItem::UpdateAction(QAction* A) const
{
  A->setText(IsLine() ? String() : FCaption);
  A->setEnabled(FEnabled);
  A->setVisible(FVisible);
  A->setCheckable(FChecked || FRadioItem);
  A->setChecked(FChecked);
  A->setShortcut(ToKeySequence(FShortCut));
  A->setSeparator(IsLine());
}

void TMenuItem::Changed()
{
  for (QAction* A : FActions)
    UpdateAction(A);
  if (TMenu* M = GetParentMenu(); M && !FItems.empty())
    M->MenuChanged();
}

void TMenuItem::SetCaption(const String& Value)
{
  if (Value == FCaption)
    return;
  FCaption = Value;
  Changed();
}

void TMenuItem::SetChecked(bool Value)
{
  if (Value == FChecked)
    return;
  FChecked = Value;
  if (Value && FRadioItem && FParent)
    for (TMenuItem* S : FParent->FItems)
      if (S != this && S->FRadioItem && S->FGroupIndex == FGroupIndex && S->FChecked) {
        S->FChecked = false;
        S->Changed();
      }
  Changed();
}

void TMenuItem::SetEnabled(bool Value)
{
  if (Value == FEnabled)
    return;
  FEnabled = Value;
  Changed();
}

void TMenuItem::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  Changed();
}

void TMenuItem::SetShortCut(TShortCut Value)
{
  FShortCut = Value;
  Changed();
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(Integer Index, TMenuItem* Item)
{
  if (Item->FParent)
    throw EMenuError(QStringLiteral("Menu inserted twice"));
  if (Index < 0 || Index > Count())
    throw EMenuError(QStringLiteral("Menu index out of range"));
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  if (TMenu* M = GetParentMenu())
    M->MenuChanged();
}

void TMenuItem::Remove(TMenuItem* Item)
{
  const Integer I = IndexOf(Item);
  if (I < 0)
    return;
  FItems.erase(FItems.begin() + I);
  Item->FParent = nullptr;
  if (TMenu* M = GetParentMenu())
    M->MenuChanged();
}

void TMenuItem::Delete(Integer Index)
{
  if (Index < 0 || Index >= Count())
    throw EMenuError(QStringLiteral("Menu index out of range"));
  Remove(FItems[std::size_t(Index)]);
}

void TMenuItem::Clear()
{
  while (!FItems.empty()) {
    TMenuItem* I = FItems.back();
    Remove(I);
    delete I;
  }
}

Integer TMenuItem::IndexOf(TMenuItem* Item) const
{
  auto It = std::find(FItems.begin(), FItems.end(), Item);
  return It == FItems.end() ? -1 : Integer(It - FItems.begin());
}

TMenu* TMenuItem::GetParentMenu() const
{
  const TMenuItem* I = this;
  while (I->FParent)
    I = I->FParent;
  return I->FMenu;
}

TMenuItem* TMenuItem::Find(const String& ACaption) const
{
  for (TMenuItem* I : FItems) {
    String C = I->FCaption;
    C.remove(QLatin1Char('&'));
    String W = ACaption;
    W.remove(QLatin1Char('&'));
    if (C.compare(W, Qt::CaseInsensitive) == 0)
      return I;
  }
  return nullptr;
}

void TMenuItem::Click()
{
  if (!FEnabled)
    return;
  if (OnClick)
    OnClick(this);
}

TComponent* TMenuItem::GetParentComponent() const
{
  if (FParent && FParent->FMenu)
    return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value)
{
  if (FParent)
    FParent->Remove(this);
  if (auto* M = dynamic_cast<TMenu*>(Value))
    M->Items()->Add(this);
  else if (auto* I = dynamic_cast<TMenuItem*>(Value))
    I->Add(this);
}

void TMenuItem::ReadState(TReader& Reader)
{
  if (Reader.Parent() && !FParent)
    SetParentComponent(Reader.Parent());
  inherited::ReadState(Reader);
}

void TMenuItem::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
  for (TMenuItem* I : FItems)
    if (I->Owner() == Root)
      Proc(I);
}

static const char* const MenuItemProperty = "velmoraMenuItem";

namespace {

// Clicks on items that keep their menu open run the item and are eaten, so
// the menu neither closes nor runs the item a second time.
class TKeepOpenFilter : public QObject {
public:
  explicit TKeepOpenFilter(QMenu* Menu) : QObject(Menu), FMenu(Menu) {}

  bool eventFilter(QObject* Watched, QEvent* Event) override
  {
    if (Watched != FMenu)
      return false;
    QAction* A = nullptr;
    if (Event->type() == QEvent::MouseButtonRelease) {
      auto* M = static_cast<QMouseEvent*>(Event);
      if (M->button() == Qt::LeftButton)
        A = FMenu->actionAt(M->position().toPoint());
    } else if (Event->type() == QEvent::KeyPress) {
      const int Key = static_cast<QKeyEvent*>(Event)->key();
      if (Key == Qt::Key_Return || Key == Qt::Key_Enter)
        A = FMenu->activeAction();
    }
    if (!A || !A->isEnabled() || A->menu())
      return false;
    auto* Item = reinterpret_cast<TMenuItem*>(A->property(MenuItemProperty).value<quintptr>());
    if (!Item || !Item->KeepsMenuOpenOnClick())
      return false;
    GuardedClick(Item);
    // The item stays highlighted, so Enter ticks it again.
    if (FMenu->actions().contains(A))
      FMenu->setActiveAction(A);
    FMenu->update();
    return true;
  }

private:
  QMenu* FMenu;
};

} // namespace

QAction* TMenuItem::MakeAction(QObject* Parent)
{
  auto* A = new QAction(Parent);
  // The actions die with the item, so the address stays good while A lives.
  A->setProperty(MenuItemProperty, QVariant::fromValue(quintptr(this)));
  FActions.push_back(A);
  QObject::connect(A, &QObject::destroyed, [this, A] {
    FActions.erase(std::remove(FActions.begin(), FActions.end(), A), FActions.end());
  });
  UpdateAction(A);
  QObject::connect(A, &QAction::triggered, [this] { GuardedClick(this); });
  return A;
}

void TMenuItem::FillMenu(QMenu* Menu)
{
  static const char* const FilterProperty = "velmoraKeepOpenFilter";
  if (!Menu->property(FilterProperty).toBool()) {
    Menu->installEventFilter(new TKeepOpenFilter(Menu));
    Menu->setProperty(FilterProperty, true);
  }
  for (TMenuItem* I : FItems) {
    if (I->IsLine()) {
      QAction* Sep = I->MakeAction(Menu);
      Menu->addAction(Sep);
      continue;
    }
    if (I->Count() > 0) {
      QMenu* Sub = Menu->addMenu(I->FCaption);
      Sub->setEnabled(I->FEnabled);
      Sub->menuAction()->setVisible(I->FVisible);
      I->FillMenu(Sub);
    } else {
      Menu->addAction(I->MakeAction(Menu));
    }
  }
}

// ---------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(std::make_unique<TMenuItem>(nullptr))
{
  FItems->FMenu = this;
}

TMenu::~TMenu()
{
  // Items owned by the form go with the form; unhook them from the tree.
  FItems.reset();
}

void TMenu::GetChildren(const TGetChildProc& Proc, TComponent* Root) { FItems->GetChildren(Proc, Root); }

bool TMenu::IsShortCut(TShortCut ShortCut)
{
  std::function<TMenuItem*(TMenuItem*)> FindIn = [&](TMenuItem* Parent) -> TMenuItem* {
    for (Integer I = 0; I < Parent->Count(); ++I) {
      TMenuItem* Item = Parent->Items(I);
      if (Item->ShortCut() == ShortCut && Item->Enabled() && Item->Visible())
        return Item;
      if (TMenuItem* Sub = FindIn(Item))
        return Sub;
    }
    return nullptr;
  };
  TMenuItem* Item = ShortCut ? FindIn(FItems.get()) : nullptr;
  if (Item)
    Item->Click();
  return Item != nullptr;
}

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
TMainMenu::~TMainMenu()
{
  // The bar belongs to the form's window, which may outlive the menu.
  if (FBar) {
    FForgetBar();
    FBar->clear();
  }
}

QMenuBar* TMainMenu::CreateMenuBar()
{
  if (!FBar) {
    FBar = new QMenuBar;
    const QMetaObject::Connection Watch = QObject::connect(FBar, &QObject::destroyed, [this] { FBar = nullptr; });
    FForgetBar = [Watch] { QObject::disconnect(Watch); };
  }
  MenuChanged();
  return FBar;
}

void TMainMenu::MenuChanged()
{
  if (!FBar)
    return;
  FBar->clear();
  TMenuItem* Root = Items();
  for (Integer I = 0; I < Root->Count(); ++I) {
    TMenuItem* Item = Root->Items(I);
    if (Item->Count() > 0) {
      QMenu* M = FBar->addMenu(Item->Caption());
      M->setEnabled(Item->Enabled());
      M->menuAction()->setVisible(Item->Visible());
      Item->FillMenu(M);
    } else {
      FBar->addAction(Item->MakeAction(FBar));
    }
  }
}

namespace {
std::function<TMenuItem*(TPopupMenu*)>& PopupHook()
{
  static std::function<TMenuItem*(TPopupMenu*)> H;
  return H;
}
} // namespace

void TPopupMenu::SetPopupHook(std::function<TMenuItem*(TPopupMenu*)> Hook) { PopupHook() = std::move(Hook); }

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}
TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Popup(Integer X, Integer Y)
{
  if (OnPopup)
    OnPopup(this);
  if (PopupHook()) {
    if (TMenuItem* Item = PopupHook()(this))
      Item->Click();
    return;
  }
  QMenu Menu;
  Items()->FillMenu(&Menu);
  Menu.exec(QPoint(X, Y));
}

void RegisterMenusClasses()
{
  RegisterEnum<TPopupAlignment>("TPopupAlignment", {"paLeft", "paRight", "paCenter"});
  RegisterClassInfo<TMenuItem, TComponent>("TMenuItem")
    .Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
    .Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false)
    .Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true)
    .Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex, Byte(0))
    .Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint)
    .Property("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex, -1)
    .Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem, false)
    .Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut, TShortCut(0))
    .Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, true)
    .Event("OnClick", &TMenuItem::OnClick);
  RegisterClassInfo<TMenu, TComponent>("TMenu");
  RegisterClassInfo<TMainMenu, TMenu>("TMainMenu")
    .Property("AutoMerge", &TMainMenu::AutoMerge, &TMainMenu::SetAutoMerge, false);
  RegisterClassInfo<TPopupMenu, TMenu>("TPopupMenu")
    .Property("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment, paLeft)
    .Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true)
    .Event("OnPopup", &TPopupMenu::OnPopup);
}
