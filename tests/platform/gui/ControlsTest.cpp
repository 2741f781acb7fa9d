// ControlsTest.cpp: messages and their handlers, custom painting through the
// canvas, handles created on first need, layout, focus events, the message
// queue, and widgets replaced by handlers of their own events.
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/support/SameSlot.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>

#include <gtest/gtest.h>

using gui_test::GuiTest;

namespace {

// A custom control as the grid library writes them: it paints through its
// canvas and handles messages in handler methods.
class TProbeControl : public TCustomControl {
  using inherited = TCustomControl;
public:
  explicit TProbeControl(TComponent* AOwner) : TCustomControl(AOwner)
  {
    FControlStyle << csOpaque;
    SetTabStop(true);
  }
  std::vector<String> Log;
  std::vector<TPoint> Downs;
  int Paints = 0;
  int Custom = 0;

protected:
  void Paint() override
  {
    ++Paints;
    TCanvas* C = Canvas();
    C->Brush()->SetColor(clYellow);
    C->FillRect(ClientRect());
    C->Pen()->SetColor(clRed);
    C->MoveTo(0, 0);
    C->LineTo(Width(), Height());
    C->Brush()->SetStyle(bsClear);
    TRect R = ClientRect();
    DrawTextEx(C->Handle(), QStringLiteral("Итого"), -1, R, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  void Dispatch(TMessage& M) override
  {
    if (M.Msg == WM_USER + 100) {
      ++Custom;
      M.Result = 42;
      return;
    }
    inherited::Dispatch(M);
  }
  void WMLButtonDown(TMessage& M) override
  {
    Downs.push_back(TWMMouse(M).Pos());
    inherited::WMLButtonDown(M);
  }
  void WMGetDlgCode(TMessage& M) override { M.Result = DLGC_WANTARROWS; }
  void KeyDown(Word& Key, TShiftState Shift) override
  {
    Log.push_back(QStringLiteral("key %1").arg(Key));
    inherited::KeyDown(Key, Shift);
  }
  void DoEnter() override { Log.push_back(QStringLiteral("enter")); inherited::DoEnter(); }
  void DoExit() override { Log.push_back(QStringLiteral("exit")); inherited::DoExit(); }
};

TForm* ShownForm(int W = 300, int H = 200)
{
  auto* F = new TForm(Application, 0);
  F->SetBounds(10, 10, W, H);
  F->Show();
  return F;
}

// Frees the widgets that controls gave up, as the event loop does once it
// is back from the event that gave them up.
void FreeReleasedWidgets() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// A freed control's address given to the next control.
using TSameSlotControl = TSameSlot<TProbeControl>;

// A control whose widget cannot be made once: in CreateWidget or in
// InitializeWidget.
class TFailingControl : public TCustomControl {
  using inherited = TCustomControl;
public:
  TFailingControl(TComponent* AOwner, bool InInitialize) : TCustomControl(AOwner), FInInitialize(InInitialize) {}
  int Failures = 1;
protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override
  {
    if (!FInInitialize)
      FailOnce();
    return inherited::CreateWidget(ParentWidget);
  }
  void InitializeWidget() override
  {
    inherited::InitializeWidget();
    if (FInInitialize)
      FailOnce();
  }
private:
  void FailOnce()
  {
    if (Failures-- > 0)
      throw Exception(QStringLiteral("no window"));
  }
  bool FInInitialize;
};

} // namespace

TEST_F(GuiTest, CustomControlPaintsThroughItsCanvasAndHandlesMessages)
{
  TForm* F = ShownForm();
  auto* P = new TProbeControl(F);
  P->SetBounds(20, 30, 100, 40);
  P->SetParent(F);
  EXPECT_TRUE(P->HandleAllocated());
  EXPECT_EQ(P->Perform(WM_USER + 100), 42);
  EXPECT_EQ(P->Custom, 1);

  const QImage Shot = P->Widget()->grab().toImage();
  EXPECT_GT(P->Paints, 0);
  EXPECT_EQ(Shot.pixelColor(90, 5), QColor(Qt::yellow));
  EXPECT_EQ(Shot.pixelColor(10, 4), QColor(Qt::red));   // on the diagonal line
  gui_test::SaveImage(Shot, QStringLiteral("probe-control.png"));

  // Mouse messages carry client coordinates; a click runs OnClick.
  int Clicks = 0;
  P->OnClick = [&](TObject*) { ++Clicks; };
  gui_test::Click(P, QPoint(7, 9));
  ASSERT_EQ(P->Downs.size(), 1u);
  EXPECT_EQ(P->Downs[0], Point(7, 9));
  EXPECT_EQ(Clicks, 1);
  EXPECT_FALSE(P->MouseCapture());

  // WindowProc can be replaced to watch every message first.
  std::vector<UINT> Seen;
  auto Old = [P](TMessage& M) { P->WndProc(M); };
  P->WindowProc = [&](TMessage& M) {
    Seen.push_back(M.Msg);
    Old(M);
  };
  P->Perform(WM_USER + 100);
  EXPECT_EQ(Seen, std::vector<UINT>{WM_USER + 100});
  EXPECT_EQ(P->Custom, 2);
  P->WindowProc = nullptr;
}

TEST_F(GuiTest, GraphicControlsGetTheMouseThroughTheirParent)
{
  TForm* F = ShownForm();
  auto* L = new TLabel(F);
  L->SetParent(F);
  L->SetBounds(50, 50, 80, 20);
  L->SetAutoSize(false);
  L->SetCaption(QStringLiteral("Метка"));
  int Clicks = 0;
  L->OnClick = [&](TObject*) { ++Clicks; };
  TPoint Down;
  L->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer X, Integer Y) { Down = Point(X, Y); };
  gui_test::Click(L, QPoint(4, 6));
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(Down, Point(4, 6));
  // A click beside the label does not reach it; the form gets it, once.
  int FormDowns = 0;
  F->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++FormDowns; };
  gui_test::Click(F, QPoint(10, 10));
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(FormDowns, 1);
  // A click on a child control does not reach the form as well.
  auto* P = new TProbeControl(F);
  P->SetParent(F);
  P->SetBounds(150, 100, 40, 40);
  gui_test::Click(P, QPoint(3, 3));
  EXPECT_EQ(P->Downs.size(), 1u);
  EXPECT_EQ(FormDowns, 1);
}

TEST_F(GuiTest, HandlesAreCreatedOnFirstNeedWithEveryStoredProperty)
{
  auto* E = new TEdit(Application);
  E->SetText(QStringLiteral("до окна"));
  E->SetReadOnly(true);
  E->SetMaxLength(12);
  E->SetBounds(5, 6, 70, 21);
  E->SetFont(E->Font());
  E->Font()->SetStyle({fsBold});
  EXPECT_FALSE(E->HandleAllocated());
  EXPECT_EQ(E->Text(), QStringLiteral("до окна"));
  TForm* F = ShownForm();
  E->SetParent(F);
  ASSERT_TRUE(E->HandleAllocated());
  auto* Line = qobject_cast<QLineEdit*>(E->Widget());
  ASSERT_NE(Line, nullptr);
  EXPECT_EQ(Line->text(), QStringLiteral("до окна"));
  EXPECT_TRUE(Line->isReadOnly());
  EXPECT_EQ(Line->maxLength(), 12);
  EXPECT_EQ(Line->geometry(), QRect(5, 6, 70, 21));
  EXPECT_TRUE(Line->font().bold());
  // Recreating the window keeps what the control holds.
  E->SetReadOnly(false);
  E->SetText(QStringLiteral("после"));
  E->RecreateWnd();
  Line = qobject_cast<QLineEdit*>(E->Widget());
  EXPECT_EQ(Line->text(), QStringLiteral("после"));
  EXPECT_FALSE(Line->isReadOnly());
  // The edit-control messages reach the widget.
  E->Perform(EM_SETSEL, 1, 3);
  EXPECT_EQ(E->SelText(), QStringLiteral("ос"));
  EXPECT_EQ(E->Perform(EM_GETSEL), MakeLParam(1, 3));
}

TEST_F(GuiTest, AlignmentAndAnchorsFollowTheParentsSize)
{
  TForm* F = ShownForm(400, 300);
  const TRect C0 = F->ClientRect();
  auto* Bottom = new TPanel(F);
  Bottom->SetParent(F);
  Bottom->SetHeight(36);
  Bottom->SetAlign(alBottom);
  auto* Left = new TPanel(F);
  Left->SetParent(F);
  Left->SetWidth(50);
  Left->SetAlign(alLeft);
  auto* Client = new TMemo(F);
  Client->SetParent(F);
  Client->SetAlign(alClient);
  auto* Ok = new TButton(Bottom);
  Ok->SetParent(Bottom);
  Ok->SetBounds(Bottom->Width() - 85, 5, 75, 25);
  Ok->SetAnchors({akTop, akRight});
  auto* Wide = new TEdit(Bottom);
  Wide->SetParent(Bottom);
  Wide->SetBounds(10, 5, Bottom->Width() - 110, 21);
  Wide->SetAnchors({akLeft, akTop, akRight});

  EXPECT_EQ(Bottom->BoundsRect(), Rect(0, C0.Height() - 36, C0.Width(), C0.Height()));
  EXPECT_EQ(Left->BoundsRect(), Rect(0, 0, 50, C0.Height() - 36));
  EXPECT_EQ(Client->BoundsRect(), Rect(50, 0, C0.Width(), C0.Height() - 36));

  F->SetBounds(F->Left(), F->Top(), 500, 350);
  const TRect C1 = F->ClientRect();
  EXPECT_EQ(C1.Width(), C0.Width() + 100);
  EXPECT_EQ(Bottom->BoundsRect(), Rect(0, C1.Height() - 36, C1.Width(), C1.Height()));
  EXPECT_EQ(Client->BoundsRect(), Rect(50, 0, C1.Width(), C1.Height() - 36));
  EXPECT_EQ(Ok->Left(), C1.Width() - 85);
  EXPECT_EQ(Wide->Width(), C1.Width() - 110);
  EXPECT_EQ(Client->Widget()->geometry(), ToQRect(Client->BoundsRect()));
}

TEST_F(GuiTest, FocusMovesWithEnterAndExitEvents)
{
  TForm* F = ShownForm();
  auto* A = new TProbeControl(F);
  A->SetParent(F);
  A->SetBounds(0, 0, 50, 20);
  auto* B = new TProbeControl(F);
  B->SetParent(F);
  B->SetBounds(0, 30, 50, 20);
  A->SetFocus();
  EXPECT_EQ(F->ActiveControl(), A);
  EXPECT_EQ(A->Log.back(), QStringLiteral("enter"));
  // Arrows that the control wants are keys; Tab is not.
  gui_test::Key(A, Qt::Key_Down);
  EXPECT_EQ(A->Log.back(), QStringLiteral("key %1").arg(VK_DOWN));
  gui_test::Key(A, Qt::Key_Tab);
  EXPECT_EQ(F->ActiveControl(), B);
  EXPECT_EQ(A->Log.back(), QStringLiteral("exit"));
  EXPECT_EQ(B->Log.back(), QStringLiteral("enter"));
  // A hidden control gives the focus up.
  B->Hide();
  EXPECT_NE(F->ActiveControl(), B);
  EXPECT_FALSE(B->CanFocus());
}

TEST_F(GuiTest, PostedMessagesArriveInOrderOnceAndNotAfterTheControlIsFreed)
{
  TForm* F = ShownForm();
  auto* P = new TProbeControl(F);
  P->SetParent(F);
  ASSERT_TRUE(PostMessage(P, WM_USER + 100));
  ASSERT_TRUE(PostMessageOnce(P, WM_USER + 100));   // one is waiting already
  TMsg M;
  EXPECT_TRUE(PeekMessage(M, P, WM_USER + 100, WM_USER + 100, PM_NOREMOVE));
  EXPECT_EQ(M.message, UINT(WM_USER + 100));
  EXPECT_EQ(P->Custom, 0);
  Application->ProcessMessages();
  EXPECT_EQ(P->Custom, 1);
  EXPECT_FALSE(PeekMessage(M, P, WM_USER + 100, WM_USER + 100, PM_NOREMOVE));

  // Removing a waiting message keeps it from being delivered.
  PostMessage(P, WM_USER + 100);
  EXPECT_TRUE(RemovePendingMessage(P, WM_USER + 100));
  Application->ProcessMessages();
  EXPECT_EQ(P->Custom, 1);

  // A control freed before delivery gets nothing.
  PostMessage(P, WM_USER + 100);
  delete P;
  Application->ProcessMessages();
  EXPECT_FALSE(PostMessage(P, WM_USER + 100));
}

TEST_F(GuiTest, WaitingKeyInputIsSeenBeforeItIsHandled)
{
  TForm* F = ShownForm();
  auto* E = new TEdit(F);
  E->SetParent(F);
  E->SetFocus();
  EXPECT_FALSE(InputPending());
  QCoreApplication::postEvent(E->Widget(), new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")));
  QCoreApplication::postEvent(E->Widget(), new QKeyEvent(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b")));
  EXPECT_TRUE(InputPending());
  TMsg M;
  ASSERT_TRUE(PeekMessage(M, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
  EXPECT_EQ(M.wParam, WPARAM('A'));
  EXPECT_EQ(M.hwnd, E);
  EXPECT_EQ(E->Text(), QString());   // peeking handles nothing
  // The first key is taken out of the queue; the second is typed.
  EXPECT_TRUE(RemovePendingMessage(E, WM_KEYDOWN));
  Application->ProcessMessages();
  EXPECT_EQ(E->Text(), QStringLiteral("b"));
  EXPECT_FALSE(InputPending());
}

TEST_F(GuiTest, ScrollWindowExReportsTheUncoveredStrip)
{
  TForm* F = ShownForm();
  auto* P = new TProbeControl(F);
  P->SetParent(F);
  P->SetBounds(0, 0, 100, 60);
  HRGN Update = CreateRectRgn(0, 0, 0, 0);
  TRect UpdateRect;
  EXPECT_EQ(ScrollWindowEx(P, 0, -10, nullptr, nullptr, Update, &UpdateRect, SW_INVALIDATE), SIMPLEREGION);
  EXPECT_EQ(UpdateRect, Rect(0, 50, 100, 60));
  TRect Box;
  GetRgnBox(Update, Box);
  EXPECT_EQ(Box, Rect(0, 50, 100, 60));
  DeleteObject(Update);
}

TEST_F(GuiTest, PostedMessagesOfAFreedControlNeverReachTheNextOneAtItsAddress)
{
  TForm* F = ShownForm();
  auto* P = new TSameSlotControl(F);
  P->SetParent(F);
  ASSERT_TRUE(PostMessage(P, WM_USER + 100));
  const void* Address = P;
  delete P;
  auto* Q = new TSameSlotControl(F);
  Q->SetParent(F);
  ASSERT_EQ(static_cast<const void*>(Q), Address);
  TMsg M;
  EXPECT_FALSE(PeekMessage(M, Q, WM_USER + 100, WM_USER + 100, PM_NOREMOVE));
  Application->ProcessMessages();
  EXPECT_EQ(Q->Custom, 0);
  // Nothing stale keeps the new control's own message from being posted.
  ASSERT_TRUE(PostMessageOnce(Q, WM_USER + 100));
  Application->ProcessMessages();
  EXPECT_EQ(Q->Custom, 1);
}

TEST_F(GuiTest, HandleCreationThatFailsCanBeTriedAgain)
{
  for (const bool InInitialize : {false, true}) {
    SCOPED_TRACE(InInitialize ? "InitializeWidget" : "CreateWidget");
    TForm* F = ShownForm();
    auto* C = new TFailingControl(F, InInitialize);
    C->SetBounds(5, 5, 50, 20);
    EXPECT_THROW(C->SetParent(F), Exception);
    EXPECT_EQ(C->Parent(), F);
    EXPECT_FALSE(C->HandleAllocated());
    C->HandleNeeded();
    ASSERT_TRUE(C->HandleAllocated());
    EXPECT_EQ(C->Widget()->parentWidget(), F->ClientWidget());
    EXPECT_TRUE(C->Widget()->isVisible());
    EXPECT_EQ(C->Widget()->geometry(), QRect(5, 5, 50, 20));
  }
}

TEST_F(GuiTest, ControlRecreatedFromItsOwnMouseHandler)
{
  TForm* F = ShownForm();
  auto* P = new TProbeControl(F);
  P->SetBounds(10, 10, 100, 40);
  P->SetParent(F);
  int Downs = 0;
  P->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) {
    if (++Downs == 1)
      P->RecreateWnd();
  };
  QPointer<QWidget> Old = P->Widget();
  gui_test::Click(P, QPoint(7, 9));
  EXPECT_EQ(Downs, 1);
  ASSERT_TRUE(P->HandleAllocated());
  EXPECT_NE(P->Widget(), Old.data());
  EXPECT_TRUE(P->Widget()->isVisible());
  ASSERT_TRUE(Old);   // Qt was still delivering to it
  EXPECT_FALSE(Old->isVisible());
  FreeReleasedWidgets();
  EXPECT_FALSE(Old);
  gui_test::Click(P, QPoint(8, 9));
  EXPECT_EQ(Downs, 2);
  EXPECT_EQ(P->Downs.size(), 2u);
}

TEST_F(GuiTest, ComboStyleChangedFromOnChangeWhileTheUserPicks)
{
  TForm* F = ShownForm();
  auto* C = new TComboBox(F);
  C->SetParent(F);
  C->SetStyle(csDropDownList);
  for (const char* Item : {"Склад", "Цех", "Офис"})
    C->Items()->Add(QString::fromUtf8(Item));
  C->SetItemIndex(0);
  int Changes = 0;
  C->OnChange = [&](TObject*) {
    if (++Changes == 1)
      C->SetStyle(csDropDown);
  };
  QPointer<QWidget> Old = C->Widget();
  QKeyEvent Down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QCoreApplication::sendEvent(Old, &Down);
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(C->Style(), csDropDown);
  EXPECT_EQ(C->ItemIndex(), 1);
  auto* New = qobject_cast<QComboBox*>(C->Widget());
  ASSERT_NE(New, nullptr);
  EXPECT_NE(New, Old.data());
  EXPECT_TRUE(New->isEditable());
  EXPECT_EQ(New->currentText(), QStringLiteral("Цех"));
  ASSERT_TRUE(Old);
  EXPECT_FALSE(Old->isVisible());
  FreeReleasedWidgets();
  EXPECT_FALSE(Old);
  // The new widget serves the next pick.
  QKeyEvent Next(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QCoreApplication::sendEvent(New, &Next);
  EXPECT_EQ(C->ItemIndex(), 2);
  EXPECT_EQ(C->Text(), QStringLiteral("Офис"));
}

TEST_F(GuiTest, ScrollBarKindChangedFromItsOwnHandlers)
{
  for (const bool FromScroll : {true, false}) {
    SCOPED_TRACE(FromScroll ? "OnScroll" : "OnChange");
    TForm* F = ShownForm();
    auto* S = new TScrollBar(F);
    S->SetBounds(10, 10, 150, 17);
    S->SetParent(F);
    int Calls = 0;
    auto TurnUpright = [&] {
      if (++Calls == 1)
        S->SetKind(sbVertical);
    };
    if (FromScroll)
      S->OnScroll = [&](TObject*, TScrollCode, Integer&) { TurnUpright(); };
    else
      S->OnChange = [&](TObject*) { TurnUpright(); };
    QPointer<QWidget> Old = S->Widget();
    gui_test::Click(S, QPoint(145, 8));   // the arrow at the right end
    EXPECT_EQ(Calls, 1);
    EXPECT_EQ(S->Kind(), sbVertical);
    EXPECT_EQ(S->Position(), 1);
    EXPECT_EQ(S->BoundsRect(), Bounds(10, 10, 17, 150));
    auto* New = qobject_cast<QScrollBar*>(S->Widget());
    ASSERT_NE(New, nullptr);
    EXPECT_EQ(New->orientation(), Qt::Vertical);
    EXPECT_EQ(New->value(), 1);
    ASSERT_TRUE(Old);   // Qt was still in its mouse press
    EXPECT_FALSE(Old->isVisible());
    FreeReleasedWidgets();
    EXPECT_FALSE(Old);
  }
}
