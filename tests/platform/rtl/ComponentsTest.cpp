// ComponentsTest.cpp: ownership, names, free notification, collections and
// the class registry.
#include "platform/rtl/Classes.h"
#include "platform/rtl/ScopeExit.h"
#include "tests/platform/rtl/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Records what it is told and counts live instances.
class TWatcher : public TComponent {
  VELMORA_CLASS(TWatcher)
public:
  explicit TWatcher(TComponent* AOwner) : TComponent(AOwner) { ++Live; }
  ~TWatcher() override { --Live; }
  TComponent* Watched = nullptr;
  std::vector<std::pair<TComponent*, TOperation>> Heard;
  static inline int Live = 0;

  void Watch(TComponent* C)
  {
    Watched = C;
    if (C)
      C->FreeNotification(this);
  }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override
  {
    TComponent::Notification(AComponent, Operation);
    Heard.emplace_back(AComponent, Operation);
    if (Operation == opRemove && AComponent == Watched)
      Watched = nullptr;
  }
};

TEST(Component, OwnerFreesWhatItOwns)
{
  TWatcher::Live = 0;
  auto* Form = new TWatcher(nullptr);
  auto* Panel = new TWatcher(Form);
  new TWatcher(Panel);
  new TWatcher(Form);
  EXPECT_EQ(TWatcher::Live, 4);
  EXPECT_EQ(Form->ComponentCount(), 2);
  EXPECT_EQ(Panel->Owner(), Form);
  delete Panel;   // leaves its owner and takes its own component with it
  EXPECT_EQ(TWatcher::Live, 2);
  EXPECT_EQ(Form->ComponentCount(), 1);
  delete Form;
  EXPECT_EQ(TWatcher::Live, 0);
}

TEST(Component, NamesAreCheckedAndUniqueWithinTheOwner)
{
  TComponent Owner(nullptr);
  auto* A = new TComponent(&Owner);
  auto* B = new TComponent(&Owner);
  A->SetName(QStringLiteral("Button1"));
  struct Case {
    const char* Name;
    const char* Message;
  };
  const Case Cases[] = {
    {"1Button", "'1Button' is not a valid component name"},
    {"Button 2", "'Button 2' is not a valid component name"},
    {"Кнопка", "'Кнопка' is not a valid component name"},
    {"button1", "A component named button1 already exists"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    try {
      B->SetName(QString::fromUtf8(C.Name));
      FAIL() << "no exception";
    } catch (const EComponentError& E) {
      EXPECT_EQ(E.Message(), QString::fromUtf8(C.Message));
    }
    EXPECT_EQ(B->Name(), QString());
  }
  B->SetName(QStringLiteral("_Button2"));
  A->SetName(QStringLiteral("BUTTON1"));   // renaming itself in another case is allowed
  EXPECT_EQ(Owner.FindComponent(QStringLiteral("button1")), A);
  EXPECT_EQ(Owner.FindComponent(QStringLiteral("_button2")), B);
  EXPECT_EQ(Owner.FindComponent(QString()), nullptr);
  auto* C = new TComponent(nullptr);
  C->SetName(QStringLiteral("Button1"));
  EXPECT_THROW(Owner.InsertComponent(C), EComponentError);
  EXPECT_EQ(C->Owner(), nullptr);
  delete C;
}

TEST(Component, FreeNotificationAcrossOwners)
{
  auto* FormA = new TComponent(nullptr);
  auto* FormB = new TComponent(nullptr);
  auto* Grid = new TWatcher(FormA);
  auto* Source = new TWatcher(FormB);
  Grid->Watch(Source);
  delete FormB;   // frees Source: Grid hears of it and drops the pointer
  EXPECT_EQ(Grid->Watched, nullptr);
  ASSERT_FALSE(Grid->Heard.empty());
  EXPECT_EQ(Grid->Heard.back().second, opRemove);

  auto* Other = new TWatcher(nullptr);
  Grid->Watch(Other);
  Other->RemoveFreeNotification(Grid);
  Grid->Heard.clear();
  delete Other;   // no longer registered: nothing heard
  EXPECT_TRUE(Grid->Heard.empty());
  delete FormA;
}

TEST(Component, OwnedComponentsHearOfEachOther)
{
  TComponent Form(nullptr);
  auto* Grid = new TWatcher(&Form);
  auto* Source = new TWatcher(&Form);
  Grid->Watched = Source;   // same owner: no FreeNotification needed
  delete Source;
  EXPECT_EQ(Grid->Watched, nullptr);
  auto* Late = new TComponent(&Form);
  ASSERT_FALSE(Grid->Heard.empty());
  EXPECT_EQ(Grid->Heard.back().first, Late);
  EXPECT_EQ(Grid->Heard.back().second, opInsert);
}

TEST(Component, DesigningSpreadsToOwnedComponents)
{
  TComponent Form(nullptr);
  auto* A = new TComponent(&Form);
  Form.SetDesigning(true);
  EXPECT_TRUE(A->ComponentState().Contains(csDesigning));
  auto* B = new TComponent(&Form);
  EXPECT_TRUE(B->ComponentState().Contains(csDesigning));
}

class TItemX : public TCollectionItem {
  VELMORA_CLASS(TItemX)
public:
  using TCollectionItem::TCollectionItem;
  String Text() const { return FText; }
  void SetText(const String& V)
  {
    FText = V;
    Changed(false);
  }
  void Assign(TPersistent* Source) override
  {
    if (auto* I = dynamic_cast<TItemX*>(Source)) {
      SetText(I->FText);
      return;
    }
    TCollectionItem::Assign(Source);
  }

private:
  String FText;
};

class TItemsX : public TCollection {
public:
  TItemsX() : TCollection(TItemX::StaticClass()) {}
  std::vector<TCollectionItem*> Updates;
  std::vector<std::pair<TCollectionItem*, TCollectionNotification>> Notes;

protected:
  void Update(TCollectionItem* Item) override { Updates.push_back(Item); }
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override
  {
    Notes.emplace_back(Item, Action);
    TCollection::Notify(Item, Action);
  }
};

TEST(Collection, UpdatesAreHeldBackInsideBeginEndUpdate)
{
  TItemsX Items;
  auto* A = static_cast<TItemX*>(Items.Add());
  EXPECT_EQ(Items.Updates, std::vector<TCollectionItem*>{nullptr});
  A->SetText(QStringLiteral("a"));
  EXPECT_EQ(Items.Updates.back(), A);   // one item changed
  Items.Updates.clear();
  Items.BeginUpdate();
  Items.Add();
  A->SetText(QStringLiteral("b"));
  Items.BeginUpdate();
  Items.EndUpdate();
  EXPECT_TRUE(Items.Updates.empty());
  Items.EndUpdate();
  EXPECT_EQ(Items.Updates, std::vector<TCollectionItem*>{nullptr});
}

TEST(Collection, ItemsKnowTheirPlaceAndIds)
{
  TItemsX Items;
  auto* A = Items.Add();
  auto* B = Items.Add();
  auto* C = Items.Add();
  EXPECT_EQ(C->ID(), 2);
  C->SetIndex(0);
  EXPECT_EQ(Items.Items(0), C);
  EXPECT_EQ(A->Index(), 1);
  Items.Delete(1);
  EXPECT_EQ(Items.Count(), 2);
  EXPECT_EQ(Items.FindItemID(1), B);
  EXPECT_EQ(Items.FindItemID(0), nullptr);
  EXPECT_EQ(Items.Add()->ID(), 3);   // ids are never reused
  delete B;                          // an item freed by itself leaves the collection
  EXPECT_EQ(Items.Count(), 2);
  EXPECT_THROW(Items.Items(5), EListError);
  const auto Deleting = std::count_if(Items.Notes.begin(), Items.Notes.end(),
                                      [](const auto& N) { return N.second == cnDeleting; });
  EXPECT_EQ(Deleting, 1);
}

TEST(Collection, AssignCopiesItems)
{
  TItemsX Source, Dest;
  static_cast<TItemX*>(Source.Add())->SetText(QStringLiteral("x"));
  static_cast<TItemX*>(Source.Add())->SetText(QStringLiteral("y"));
  Dest.Add();
  Dest.Assign(&Source);
  ASSERT_EQ(Dest.Count(), 2);
  EXPECT_EQ(static_cast<TItemX*>(Dest.Items(1))->Text(), QStringLiteral("y"));
  TStringList NotACollection;
  try {
    Dest.Assign(&NotACollection);
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Cannot assign a TStringList to a TItemsX").replace(
                             QStringLiteral("TItemsX"), Dest.ClassName()));
  }
}

TEST(ClassRegistry, FindsClassesByNameAndKnowsTheirAncestry)
{
  RegisterRtlClasses();
  RegisterClassInfo<TWatcher, TComponent>("TWatcher");
  EXPECT_EQ(GetClass(QStringLiteral("twatcher")), TWatcher::StaticClass());
  EXPECT_EQ(GetClass(QStringLiteral("TNothing")), nullptr);
  try {
    FindClass(QStringLiteral("TNothing"));
    FAIL();
  } catch (const EClassNotFound& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Class TNothing not found"));
  }
  TWatcher W(nullptr);
  EXPECT_EQ(W.ClassName(), QStringLiteral("TWatcher"));
  EXPECT_TRUE(W.InheritsFrom(TComponent::StaticClass()));
  EXPECT_TRUE(W.InheritsFrom(TObject::StaticClass()));
  EXPECT_FALSE(W.InheritsFrom(TCollection::StaticClass()));
  EXPECT_TRUE(ClassInheritsFrom(TWatcher::StaticClass(), TPersistent::StaticClass()));
  TComponent* Made = GetClass(QStringLiteral("TWatcher"))->CreateComponent(nullptr);
  EXPECT_NE(dynamic_cast<TWatcher*>(Made), nullptr);
  delete Made;
  EXPECT_TRUE(IsPublishedProp(&W, QStringLiteral("Tag")));
  SetOrdProp(&W, QStringLiteral("tag"), 42);
  EXPECT_EQ(W.Tag(), 42);
  EXPECT_THROW(GetOrdProp(&W, QStringLiteral("Nope")), EPropertyError);
}

} // namespace
