// DropDownFormTest.cpp: drop-down forms placed below or above their anchor
// inside the work area of the anchor's monitor, run modally and not, closed
// by a click elsewhere; the call parameters of edit buttons; the order-by
// list.
#include "gridlib/editors/DropDownFormEh.h"
#include "tests/gridlib/editors/DropDownTestForm.h"

#include "gridlib/foundation/GridsEh.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <QPointer>
#include <QTimer>

#include <map>

namespace {

// A drop-down with an OK button, made by its class's name.
class TPickFormEh : public TOkDropDownFormEh {
  VELMORA_CLASS(TPickFormEh)
public:
  explicit TPickFormEh(TComponent* AOwner) : TOkDropDownFormEh(AOwner, 300, 200) {}
};

// One shared instance, as the library's memo window keeps.
class TSharedPickFormEh : public TPickFormEh {
  VELMORA_CLASS(TSharedPickFormEh)
public:
  using TPickFormEh::TPickFormEh;
  static inline TSharedPickFormEh* Instance = nullptr;
};

class DropDownFormTest : public gui_test::GuiTest {
protected:
  static void SetUpTestSuite()
  {
    RegisterGridLibFoundationClasses();
    RegisterDropDownFormEhClasses();
    RegisterClassInfo<TPickFormEh, TCustomDropDownFormEh>("TPickFormEh");
    RegisterClassInfo<TSharedPickFormEh, TPickFormEh>("TSharedPickFormEh");
    RegisterClasses({TPickFormEh::StaticClass(), TSharedPickFormEh::StaticClass()});
    RegisterDropDownFormGlobalRefEh(TSharedPickFormEh::StaticClass(),
                                    [] { return static_cast<TCustomForm*>(TSharedPickFormEh::Instance); });
  }

  void SetUp() override
  {
    GuiTest::SetUp();
    Master = new TForm(Application, 0);
    Master->SetBounds(100, 100, 400, 300);
    Edit = new TEdit(Master);
    Edit->SetParent(Master);
    Edit->SetBounds(20, 20, 200, 24);
    Other = new TEdit(Master);
    Other->SetParent(Master);
    Other->SetBounds(20, 200, 200, 24);
    Master->Show();
    Edit->SetFocus();
    QCoreApplication::processEvents();
  }

  TRect EditRect()
  {
    TRect R;
    GetControlScreenRectEh(Edit, R);
    return R;
  }

  // The master keeps the activation and the edit the focus.
  void ExpectMasterKeepsFocus()
  {
    EXPECT_EQ(Application->ActiveForm(), Master);
    EXPECT_EQ(FindControl(GetFocus()), Edit);
  }

  TForm* Master = nullptr;
  TEdit* Edit = nullptr;
  TEdit* Other = nullptr;
};

struct TPlaceCase {
  const char* Name;
  TRect Anchor;
  TRect Work;
  TAlignment Align;
  Integer Width, Height;
  TRect Want;
  TDropLayoutEh Layout;
};

TEST_F(DropDownFormTest, PlacementKeepsTheFormInsideTheWorkArea)
{
  const TRect Screen1(0, 0, 1600, 1000);
  const TRect Screen2(1600, 0, 2880, 1024);   // a second monitor to the right
  const TPlaceCase Cases[] = {
    {"below, left edges lined up", {100, 100, 250, 121}, Screen1, taLeftJustify, 300, 200,
     {100, 122, 400, 322}, dlUnderControlEh},
    {"right edges lined up", {500, 100, 700, 121}, Screen1, taRightJustify, 300, 200, {400, 122, 700, 322},
     dlUnderControlEh},
    {"centred on a wider anchor, odd difference truncated", {100, 100, 401, 121}, Screen1, taCenter, 100, 50,
     {200, 122, 300, 172}, dlUnderControlEh},
    {"centred on a narrower anchor", {100, 100, 201, 121}, Screen1, taCenter, 300, 50, {1, 122, 301, 172},
     dlUnderControlEh},
    {"at the right edge", {1500, 100, 1590, 121}, Screen1, taLeftJustify, 300, 200, {1300, 122, 1600, 322},
     dlUnderControlEh},
    {"right-justified at the left edge: the left edge wins", {0, 100, 100, 121}, Screen1, taRightJustify, 300, 200,
     {0, 122, 300, 322}, dlUnderControlEh},
    {"wider than the work area", {700, 100, 800, 121}, Screen1, taLeftJustify, 2000, 200, {0, 122, 1600, 322},
     dlUnderControlEh},
    {"at the bottom: above, where there is more room", {100, 900, 250, 921}, Screen1, taLeftJustify, 300, 200,
     {100, 700, 400, 900}, dlAboveControlEh},
    {"at the bottom, too tall for above: cut to the work area", {100, 900, 250, 921}, Screen1, taLeftJustify, 300,
     1200, {100, 0, 400, 900}, dlAboveControlEh},
    {"at the top, too tall for below: stays below, cut", {100, 50, 250, 71}, Screen1, taLeftJustify, 300, 1200,
     {100, 72, 400, 1000}, dlUnderControlEh},
    {"at the top edge", {100, 0, 250, 21}, Screen1, taLeftJustify, 300, 200, {100, 22, 400, 222},
     dlUnderControlEh},
    {"second monitor, bottom right corner", {2800, 1000, 2870, 1021}, Screen2, taLeftJustify, 300, 200,
     {2580, 800, 2880, 1000}, dlAboveControlEh},
    {"second monitor, at its left edge", {1600, 300, 1650, 321}, Screen2, taRightJustify, 300, 200,
     {1600, 322, 1900, 522}, dlUnderControlEh},
  };
  for (const TPlaceCase& C : Cases) {
    TRect B = Bounds(0, 0, C.Width, C.Height);
    const TDropLayoutEh Layout = PlaceDropDownEh(C.Anchor, C.Work, C.Align, B);
    EXPECT_EQ(B, C.Want) << C.Name;
    EXPECT_EQ(Layout, C.Layout) << C.Name;
  }
}

// The form finds the monitor that holds its anchor. The test runs on two
// emulated monitors (1600x1000 and 1280x1024 to its right); on one monitor
// only the first check applies.
TEST_F(DropDownFormTest, DropsDownOnTheMonitorOfItsAnchor)
{
  auto* F = new TPickFormEh(Application);
  F->SetFormElements({});
  const TRect Primary = Screen->MonitorFromPoint(TPoint(10, 10))->WorkareaRect();
  F->ExecuteNomodal(TRect(100, Primary.Bottom - 21, 250, Primary.Bottom), nullptr, nullptr, nullptr, nullptr,
                    taLeftJustify);
  EXPECT_EQ(F->BoundsRect(), TRect(100, Primary.Bottom - 221, 400, Primary.Bottom - 21));
  EXPECT_EQ(F->DropLayout(), dlAboveControlEh);
  F->Close();
  if (Screen->MonitorCount() < 2)
    GTEST_SKIP() << "one monitor only";
  ASSERT_EQ(Screen->Monitors(0)->WorkareaRect(), TRect(0, 0, 1600, 1000));
  ASSERT_EQ(Screen->Monitors(1)->WorkareaRect(), TRect(1600, 0, 2880, 1024));
  // An anchor across the border belongs to the monitor with its larger part.
  EXPECT_EQ(Screen->MonitorFromRect(TRect(1550, 10, 1700, 30))->MonitorNum(), 1);
  EXPECT_EQ(Screen->MonitorFromRect(TRect(3000, 10, 3100, 30))->MonitorNum(), 1);
  F->ExecuteNomodal(TRect(2800, 1000, 2870, 1021), nullptr, nullptr, nullptr, nullptr, taLeftJustify);
  EXPECT_EQ(F->BoundsRect(), TRect(2580, 800, 2880, 1000));
  F->Close();
  // Under an anchor at the first monitor's right edge the form stays on it.
  F->ExecuteNomodal(TRect(1500, 100, 1590, 121), nullptr, nullptr, nullptr, nullptr, taLeftJustify);
  EXPECT_EQ(F->BoundsRect(), TRect(1300, 122, 1600, 322));
  F->Close();
}

TEST_F(DropDownFormTest, ExecuteEndsOnAModalResultOrAClickElsewhere)
{
  auto* F = new TPickFormEh(Application);
  TDynVarsEh Params(nullptr);
  Params.CreateDynVar(QStringLiteral("v"), Variant(1));
  Integer Inits = 0, Returns = 0;
  F->OnInitForm = [&](TCustomDropDownFormEh*, TDynVarsEh* P) {
    ++Inits;
    EXPECT_EQ(P, &Params);
  };
  F->OnReturnParams = [&](TCustomDropDownFormEh*, TDynVarsEh* P) {
    ++Returns;
    P->DynVar(QStringLiteral("v"))->SetValue(Variant(2));
  };
  bool SeenOpen = false;
  QTimer::singleShot(0, [&] {
    SeenOpen = F->Visible();
    ExpectMasterKeepsFocus();
    gui_test::Click(F->Ok);
  });
  EXPECT_TRUE(F->Execute(Edit, nullptr, &Params, taLeftJustify));
  EXPECT_TRUE(SeenOpen);
  EXPECT_FALSE(F->Visible());
  EXPECT_EQ(Inits, 1);
  EXPECT_EQ(Returns, 1);
  EXPECT_EQ(Params.DynVar(QStringLiteral("v"))->Value().AsInteger(), 2);
  EXPECT_EQ(F->Top(), EditRect().Bottom + 1);

  // A click on the master's other edit: no result, nothing returned.
  QTimer::singleShot(0, [&] { gui_test::Click(Other); });
  EXPECT_FALSE(F->Execute(Edit, nullptr, &Params, taLeftJustify));
  EXPECT_FALSE(F->Visible());
  EXPECT_EQ(Inits, 2);
  EXPECT_EQ(Returns, 1);
}

TEST_F(DropDownFormTest, NonModalRunCallsBackOnceWhenItEnds)
{
  auto* F = new TPickFormEh(Application);
  std::vector<bool> Calls;
  const auto Callback = [&](TCustomForm* Form, bool Accept, TDynVarsEh*, TDropDownFormSysParams*) {
    EXPECT_EQ(Form, F);
    Calls.push_back(Accept);
  };
  // A click elsewhere ends it, Accept False.
  F->ExecuteNomodal(EditRect(), nullptr, Callback, nullptr, nullptr, taLeftJustify);
  EXPECT_TRUE(F->Visible());
  ExpectMasterKeepsFocus();
  gui_test::Click(Other);
  EXPECT_FALSE(F->Visible());
  EXPECT_EQ(Calls, std::vector<bool>{false});

  // Its own OK button: Accept True; a click inside does not end it.
  F->ExecuteNomodal(EditRect(), nullptr, Callback, nullptr, nullptr, taLeftJustify);
  gui_test::Click(F, QPoint(200, 150));
  EXPECT_TRUE(F->Visible());
  gui_test::Click(F->Ok);
  EXPECT_FALSE(F->Visible());
  EXPECT_EQ(Calls, (std::vector<bool>{false, true}));

  // Held open while something else has the activation: only an explicit
  // close ends it.
  F->ExecuteNomodal(EditRect(), nullptr, Callback, nullptr, nullptr, taLeftJustify);
  F->SetKeepFormVisible(true);
  gui_test::Click(Other);
  EXPECT_TRUE(F->Visible());
  EXPECT_EQ(Calls.size(), 2u);
  F->SetKeepFormVisible(false);
  // ...and, held no longer, the next click elsewhere ends it.
  gui_test::Click(Other);
  EXPECT_FALSE(F->Visible());
  EXPECT_EQ(Calls, (std::vector<bool>{false, true, false}));

  // The close button.
  F->ExecuteNomodal(EditRect(), nullptr, Callback, nullptr, nullptr, taLeftJustify);
  ASSERT_TRUE(F->CloseButton()->Visible());
  gui_test::Click(F->CloseButton()->ButtonControl());
  EXPECT_FALSE(F->Visible());
  EXPECT_EQ(Calls.size(), 4u);
}

// A form that closes while it is being shown still reaches its caller.
TEST_F(DropDownFormTest, CloseWhileShowingStillCallsBack)
{
  auto* F = new TPickFormEh(Application);
  F->OnShow = [F](TObject*) { F->Close(); };
  Integer Calls = 0;
  F->ExecuteNomodal(EditRect(), nullptr, [&](TCustomForm*, bool, TDynVarsEh*, TDropDownFormSysParams*) { ++Calls; },
                    nullptr, nullptr, taLeftJustify);
  EXPECT_EQ(Calls, 1);
  EXPECT_FALSE(F->Visible());
  EXPECT_FALSE(bool(F->CallbackProc()));
}

TEST_F(DropDownFormTest, ElementsFollowTheSideItDropsTo)
{
  auto* F = new TPickFormEh(Application);
  const TRect Work = Screen->MonitorFromRect(EditRect())->WorkareaRect();
  const Integer W = F->CloseButton()->Width();
  // Below: the bar at the bottom, the button in it beside the left grip.
  F->ExecuteNomodal(EditRect(), nullptr, nullptr, nullptr, nullptr, taLeftJustify);
  EXPECT_EQ(F->DropLayout(), dlUnderControlEh);
  EXPECT_TRUE(F->SizingBar()->Visible());
  EXPECT_EQ(F->SizingBar()->Align(), alBottom);
  EXPECT_EQ(F->SizingBar()->Height(), GetSystemMetrics(SM_CYVTHUMB) + 3);
  EXPECT_EQ(F->CloseButton()->Left(), 17);
  EXPECT_EQ(F->CloseButton()->Top(), F->ClientHeight() - F->CloseButton()->Height() - 1);
  EXPECT_EQ(F->SizeGrip()->Position(), sgpBottomRight);
  EXPECT_TRUE(F->SizeGrip()->Widget()->isVisible() && F->SizeGrip2()->Widget()->isVisible());
  F->Close();
  // Above: the bar at the top, the button 17 pixels left of the right edge.
  F->ExecuteNomodal(TRect(100, Work.Bottom - 21, 300, Work.Bottom), nullptr, nullptr, nullptr, nullptr,
                    taLeftJustify);
  EXPECT_EQ(F->DropLayout(), dlAboveControlEh);
  EXPECT_EQ(F->SizingBar()->Align(), alTop);
  EXPECT_EQ(F->CloseButton()->Left(), F->ClientWidth() - W - 17);
  EXPECT_EQ(F->CloseButton()->Top(), 1);
  EXPECT_EQ(F->SizeGrip()->Position(), sgpTopRight);
  EXPECT_EQ(F->SizeGrip2()->Position(), sgpTopLeft);
  F->Close();
  // No elements at all; the border stays.
  F->SetFormElements({});
  F->ExecuteNomodal(EditRect(), nullptr, nullptr, nullptr, nullptr, taLeftJustify);
  EXPECT_FALSE(F->SizingBar()->Visible());
  EXPECT_FALSE(F->CloseButton()->Visible());
  EXPECT_EQ(F->ControlClientRect(), TRect(3, 6, F->ClientWidth() - 3, F->ClientHeight() - 3));
  const QImage Image = F->Widget()->grab().toImage();
  EXPECT_EQ(QColor(Image.pixel(0, 50)), QColor(ToQColor(COLORREF(ColorToRGB(cl3DDkShadow)))));
  EXPECT_EQ(QColor(Image.pixel(1, 50)), QColor(ToQColor(COLORREF(ColorToRGB(cl3DLight)))));
  F->Close();
}

// ---------------------------------------------------------------------------
// Call parameters

class CallParamsTest : public DropDownFormTest {
protected:
  void SetUp() override
  {
    DropDownFormTest::SetUp();
    Button = std::make_unique<TEditButtonEh>(Edit);
    Control = new TEditButtonControlEh(Master);
    Control->SetParent(Master);
    Params = Button->DropDownFormParams();
    Params->FEditControl = Edit;
    Params->FEditButton = Button.get();
    Params->FEditButtonControl = Control;
    Params->FOnCloseDropDownFormProc = [this](TControl*, TEditButtonEh* B, bool Accept, TCustomForm*,
                                              TDynVarsEh* DynParams) {
      EXPECT_EQ(B, nullptr);
      Closed.push_back(Accept);
      LastNames.clear();
      for (Integer I = 0; I < DynParams->Count(); ++I)
        LastNames.push_back(DynParams->Items(I)->Name());
    };
  }
  void TearDown() override
  {
    Button.reset();
    DropDownFormTest::TearDown();
  }

  bool Show()
  {
    bool Handled = false;
    Params->CheckShowDropDownForm(Handled);
    return Handled;
  }

  std::unique_ptr<TEditButtonEh> Button;
  TEditButtonControlEh* Control = nullptr;
  TDropDownFormCallParamsEh* Params = nullptr;
  std::vector<bool> Closed;
  std::vector<String> LastNames;
};

TEST_F(CallParamsTest, FormsByInstanceOrClassName)
{
  // Neither a form nor a class: nothing happens.
  EXPECT_FALSE(Show());

  Params->SetDropDownFormClassName(QStringLiteral("TNoSuchFormEh"));
  try {
    Show();
    ADD_FAILURE() << "an unknown class opened a form";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Class 'TNoSuchFormEh' is not registered"));
  }

  // A class without a shared instance: a new form per call, freed on close.
  Params->SetDropDownFormClassName(QStringLiteral("TPickFormEh"));
  ASSERT_TRUE(Show());
  auto* Made = dynamic_cast<TPickFormEh*>(Screen->Forms(Screen->FormCount() - 1));
  ASSERT_NE(Made, nullptr);
  EXPECT_TRUE(Control->AlwaysDown());
  bool Freed = false;
  Made->OnDestroy = [&](TObject*) { Freed = true; };
  gui_test::Click(Other);
  EXPECT_EQ(Closed, std::vector<bool>{false});
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  EXPECT_TRUE(Freed);

  // A shared instance is reused and stays.
  TSharedPickFormEh::Instance = new TSharedPickFormEh(Application);
  Params->SetDropDownFormClassName(QStringLiteral("TSharedPickFormEh"));
  ASSERT_TRUE(Show());
  EXPECT_TRUE(TSharedPickFormEh::Instance->Visible());
  gui_test::Click(Other);
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  EXPECT_TRUE(IsLiveControl(TSharedPickFormEh::Instance));
  TSharedPickFormEh::Instance = nullptr;
}

TEST_F(CallParamsTest, ValueTravelsAndTheSizeIsKept)
{
  auto* F = new TPickFormEh(Application);
  Params->SetDropDownForm(F);
  Variant Written;
  Params->FOnGetVarValueProc = [](Variant& V) { V = Variant(QStringLiteral("abc")); };
  Params->FOnSetVarValueProc = [&](const Variant& V) { Written = V; };
  F->OnInitForm = [](TCustomDropDownFormEh*, TDynVarsEh* P) {
    // Without a field the one value has an empty name.
    ASSERT_EQ(P->Count(), 1);
    EXPECT_EQ(P->Items(0)->Name(), String());
    EXPECT_EQ(P->Items(0)->Value().AsString(), QStringLiteral("abc"));
  };
  F->OnReturnParams = [](TCustomDropDownFormEh*, TDynVarsEh* P) { P->Items(0)->SetValue(Variant(QStringLiteral("xyz"))); };

  // The first time the form keeps its own width; the user widens it.
  ASSERT_TRUE(Show());
  EXPECT_EQ(F->Width(), 300);
  F->SetWidth(360);
  gui_test::Click(F->Ok);
  EXPECT_EQ(Written.AsString(), QStringLiteral("xyz"));
  EXPECT_EQ(Closed, std::vector<bool>{true});
  // The form is back at its size; the next call opens at the user's.
  EXPECT_EQ(F->Width(), 300);
  EXPECT_EQ(Params->FormWidth(), 360);
  // The editor hears that its button just closed the form.
  TMsg M;
  EXPECT_TRUE(PeekMessage(M, Edit, WM_USER, WM_USER, PM_NOREMOVE));
  EXPECT_EQ(M.wParam, WPARAM(Edit));
  EXPECT_EQ(M.lParam, LPARAM(Button.get()));
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();

  Written = Variant();
  ASSERT_TRUE(Show());
  EXPECT_EQ(F->Width(), 360);
  // Not accepted: nothing written, the close still heard and marked.
  gui_test::Click(Other);
  EXPECT_TRUE(Written.IsEmpty());
  EXPECT_EQ(Closed, (std::vector<bool>{true, false}));
  EXPECT_TRUE(PeekMessage(M, Edit, WM_USER, WM_USER, PM_NOREMOVE));
}

TEST_F(CallParamsTest, PublishedValuesAreCopied)
{
  TDropDownFormCallParamsEh Copy;
  Params->SetPassFieldNames(QStringLiteral("a;b"));
  Params->SetAssignBackFieldNames(QStringLiteral("b"));
  Params->SetPassParams(pspByFieldNamesEh);
  Params->SetAlign(daRight);
  Params->SetFormWidth(250);
  Params->SetDropDownFormClassName(QStringLiteral("TPickFormEh"));
  Copy.Assign(Params);
  EXPECT_EQ(Copy.PassFieldNames(), QStringLiteral("a;b"));
  EXPECT_EQ(Copy.AssignBackFieldNames(), QStringLiteral("b"));
  EXPECT_EQ(Copy.PassParams(), pspByFieldNamesEh);
  EXPECT_EQ(Copy.Align(), daRight);
  EXPECT_EQ(Copy.FormWidth(), 250);
  EXPECT_EQ(Copy.FormHeight(), -1);
  EXPECT_EQ(Copy.DropDownFormClassName(), QStringLiteral("TPickFormEh"));
}

// ---------------------------------------------------------------------------
// Order-by list

class TNamedOrderByList : public TOrderByList {
public:
  std::map<String, Integer> Names{{QStringLiteral("Name"), 0}, {QStringLiteral("Last Name"), 1},
                                  {QStringLiteral("Qty"), 2}};

protected:
  Integer FindFieldIndex(const String& FieldName) override
  {
    auto It = Names.find(FieldName);
    return It == Names.end() ? -1 : It->second;
  }
  void SetItemFieldIndex(TOrderByItemEh* Item, Integer FieldIndex) override { Item->FieldIndex = FieldIndex; }
};

TEST(OrderByListTest, ParsesNamesAndDirections)
{
  struct TCase {
    const char* Text;
    std::vector<std::pair<Integer, bool>> Want;   // field index, descending
    const char* Error;
  } Cases[] = {
    {"[Last Name] desc; Name", {{1, true}, {0, false}}, nullptr},
    {"Qty DESC ASC", {{2, true}}, nullptr},
    {"Name,Qty asc , [Last Name]", {{0, false}, {2, false}, {1, false}}, nullptr},
    {"   ", {}, nullptr},
    {"Name upward", {}, " Invalid token - \"upward\""},
    {"Price", {}, " Field - \"Price\" not found."},
  };
  for (const TCase& C : Cases) {
    TNamedOrderByList List;
    List.ParseOrderByStr(QStringLiteral("Qty"));
    try {
      List.ParseOrderByStr(QString::fromUtf8(C.Text));
      EXPECT_EQ(C.Error, nullptr) << C.Text;
      std::vector<std::pair<Integer, bool>> Got;
      for (Integer I = 0; I < List.Count(); ++I)
        Got.emplace_back(List.Items(I)->FieldIndex, List.Items(I)->Desc);
      EXPECT_EQ(Got, C.Want) << C.Text;
    } catch (const Exception& E) {
      ASSERT_NE(C.Error, nullptr) << C.Text << ": " << E.Message().toStdString();
      EXPECT_EQ(E.Message(), QString::fromUtf8(C.Error));
      // A failed parse leaves the old items.
      ASSERT_EQ(List.Count(), 1) << C.Text;
      EXPECT_EQ(List.Items(0)->FieldIndex, 2);
    }
  }
}

TEST(OrderByListTest, TokensOfAnOrderByText)
{
  TOrderByList List;
  const String Text = QStringLiteral("  [a b],c;[open");
  Integer Pos = 0;
  std::vector<String> Tokens;
  for (String T = List.GetToken(Text, Pos); !T.isEmpty(); T = List.GetToken(Text, Pos))
    Tokens.push_back(T);
  EXPECT_EQ(Tokens, (std::vector<String>{QStringLiteral("a b"), QStringLiteral(","), QStringLiteral("c"),
                                         QStringLiteral(";"), QStringLiteral("open")}));
}

} // namespace
