// GridStructureTest.cpp: the base grid's parts from a descendant's
// factories, its window border as a real frame around the client area, the
// hit test it records, and the stand-alone popup list as a top-level window
// with its own border.
#include "GridTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

using namespace gridtest;

namespace {

class TOwnHorzPanel : public TGridScrollBarPanelControlEh {
public:
  explicit TOwnHorzPanel(TComponent* AOwner) : TGridScrollBarPanelControlEh(AOwner, sbHorizontal) {}
};
class TOwnVertPanel : public TGridScrollBarPanelControlEh {
public:
  explicit TOwnVertPanel(TComponent* AOwner) : TGridScrollBarPanelControlEh(AOwner, sbVertical) {}
};
class TOwnCorner : public TSizeGripPanelEh {
public:
  using TSizeGripPanelEh::TSizeGripPanelEh;
};

// A descendant with panels of its own and a look at the recorded hit test.
class TOwnPartsGrid : public TCustomGridEh {
public:
  using TCustomGridEh::TCustomGridEh;
  TPoint HitTest() const { return FHitTest; }
  TPoint MoveMousePos() const { return FMoveMousePos; }
protected:
  TGridScrollBarPanelControlEh* CreateHorzScrollBarPanelControl() override { return new TOwnHorzPanel(this); }
  TGridScrollBarPanelControlEh* CreateVertScrollBarPanelControl() override { return new TOwnVertPanel(this); }
  TSizeGripPanelEh* CreateCornerScrollBarPanelControl() override { return new TOwnCorner(this); }
};

class TPopupProbe : public TPopupListboxEh {
public:
  using TPopupListboxEh::TPopupListboxEh;
  using TPopupListboxEh::CreateParams;
};

class GridStructure : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    Form = ShownForm(500, 400);
  }
  TForm* Form = nullptr;
};

} // namespace

TEST_F(GridStructure, PanelsComeFromTheFactoriesWithTheirNames)
{
  auto* G = PlaceGrid<TOwnPartsGrid>(Form, 300, 200);
  EXPECT_NE(dynamic_cast<TOwnHorzPanel*>(G->HorzScrollBarPanelControl()), nullptr);
  EXPECT_NE(dynamic_cast<TOwnVertPanel*>(G->VertScrollBarPanelControl()), nullptr);
  EXPECT_NE(dynamic_cast<TOwnCorner*>(G->CornerScrollBarPanelControl()), nullptr);
  EXPECT_EQ(G->HorzScrollBarPanelControl()->Name(), QStringLiteral("HorzScrollBarPanelControl"));
  EXPECT_EQ(G->VertScrollBarPanelControl()->Name(), QStringLiteral("VertScrollBarPanelControl"));
  EXPECT_EQ(G->CornerScrollBarPanelControl()->Name(), QStringLiteral("CornerScrollBarPanelControl"));
  EXPECT_EQ(G->HorzScrollBarPanelControl()->Parent(), G);
  EXPECT_EQ(G->ExtraSizeGripControl()->Parent(), G);
  EXPECT_EQ(G->FindComponent(QStringLiteral("VertScrollBarPanelControl")), G->VertScrollBarPanelControl());
}

TEST_F(GridStructure, TheBorderIsAFrameAroundTheClientArea)
{
  auto* G = new TOwnPartsGrid(Form);
  G->SetParent(Form);
  G->SetBounds(10, 10, 200, 150);
  G->HandleNeeded();
  struct Case { const char* Name; TBorderStyle Border; bool Ctl3D; Integer Frame; LongInt Ex; LongInt Style; };
  const Case Cases[] = {
    {"single, 3-D: the sunken client edge", TBorderStyle::bsSingle, true, 2, WS_EX_CLIENTEDGE, 0},
    {"single, flat: a line", TBorderStyle::bsSingle, false, 1, 0, WS_BORDER},
    {"none", TBorderStyle::bsNone, true, 0, 0, 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    G->SetBorderStyle(C.Border);
    G->SetCtl3D(C.Ctl3D);
    EXPECT_EQ(GetWindowLong(G, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, C.Ex);
    EXPECT_EQ(GetWindowLong(G, GWL_STYLE) & WS_BORDER, C.Style);
    EXPECT_EQ(G->ClientWidth(), 200 - 2 * C.Frame);
    EXPECT_EQ(G->ClientHeight(), 150 - 2 * C.Frame);
    EXPECT_EQ(G->ClientToScreen(TPoint(0, 0)), Form->ClientToScreen(TPoint(10 + C.Frame, 10 + C.Frame)));
  }

  // The sunken edge is painted around the cells, which start inside it.
  G->SetBorderStyle(TBorderStyle::bsSingle);
  G->SetCtl3D(true);
  TImageCanvas Image(200, 150, clFuchsia);
  G->PaintTo(Image.Handle(), 0, 0);
  EXPECT_EQ(Image.Pixels(50, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Image.Pixels(50, 1), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(Image.Pixels(50, 149), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Image.Pixels(199, 50), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(GetWindowDC(G), nullptr) << "only while the frame is painted";
}

TEST_F(GridStructure, HitTestsAreRecordedAndTheFrameTakesNoClicks)
{
  auto* G = new TOwnPartsGrid(Form);
  G->SetParent(Form);
  G->SetBounds(10, 10, 200, 150);
  G->HandleNeeded();
  const TPoint Inside = G->ClientToScreen(TPoint(30, 25));
  EXPECT_EQ(G->Perform(WM_NCHITTEST, 0, MakeLParam(Word(Inside.X), Word(Inside.Y))), HTCLIENT);
  EXPECT_EQ(G->HitTest(), TPoint(30, 25));
  const TPoint OnFrame = G->ClientToScreen(TPoint(-1, 40));
  EXPECT_EQ(G->Perform(WM_NCHITTEST, 0, MakeLParam(Word(OnFrame.X), Word(OnFrame.Y))), HTBORDER);
  EXPECT_EQ(G->HitTest(), TPoint(-1, 40));
  const TPoint Away = G->ClientToScreen(TPoint(400, 40));
  EXPECT_EQ(G->Perform(WM_NCHITTEST, 0, MakeLParam(Word(Away.X), Word(Away.Y))), HTNOWHERE);

  // A real press on the frame reaches no cell; one inside does.
  G->SetCol(2);
  G->SetRow(2);
  QWidget* W = G->Widget();
  auto Press = [&](QPoint P) {
    QMouseEvent Down(QEvent::MouseButtonPress, QPointF(P), QPointF(W->mapToGlobal(P)), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(W, &Down);
    QMouseEvent Up(QEvent::MouseButtonRelease, QPointF(P), QPointF(W->mapToGlobal(P)), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(W, &Up);
  };
  Press(QPoint(1, 30));
  EXPECT_EQ(G->Col(), 2);
  EXPECT_EQ(G->Row(), 2);
  const TRect Cell = G->CalcCellRect(1, 1, true);
  QWidget* Client = G->ClientWidget();
  ASSERT_NE(Client, W);
  const QPoint At(Cell.Left + 5, Cell.Top + 5);
  QMouseEvent Down(QEvent::MouseButtonPress, QPointF(At), QPointF(Client->mapToGlobal(At)), Qt::LeftButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Client, &Down);
  QMouseEvent Up(QEvent::MouseButtonRelease, QPointF(At), QPointF(Client->mapToGlobal(At)), Qt::LeftButton,
                 Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(Client, &Up);
  EXPECT_EQ(G->Col(), 1);
  EXPECT_EQ(G->Row(), 1);
  MoveTo(G, 44, 33, false);
  EXPECT_EQ(G->MoveMousePos(), TPoint(44, 33));
}

TEST_F(GridStructure, ThePopupListIsATopLevelToolWindowWithItsBorder)
{
  auto* L = new TPopupProbe(Form);
  L->SetParent(Form);
  L->SetVisible(false);
  L->SetItemHeight(16);
  for (const char* S : {"Сталь", "Медь", "Латунь"})
    L->Items()->Add(QString::fromUtf8(S));
  TCreateParams Params;
  L->CreateParams(Params);
  EXPECT_TRUE(Params.Style & WS_POPUP);
  EXPECT_FALSE(Params.Style & WS_CHILD);
  EXPECT_EQ(Params.ExStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CLIENTEDGE),
            DWORD(WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
  EXPECT_TRUE(Params.WindowClass.style & CS_DROPSHADOW);
  EXPECT_TRUE(Params.WindowClass.style & CS_SAVEBITS);

  const TPoint At = Form->ClientToScreen(TPoint(40, 60));
  L->SetBounds(At.X, At.Y, 120, 3 * 16);
  L->Show();
  QCoreApplication::processEvents();
  ASSERT_TRUE(L->HandleAllocated());
  EXPECT_TRUE(L->Widget()->isWindow()) << "a window of its own, not a child of the form";
  EXPECT_EQ(L->Widget()->pos(), QPoint(At.X, At.Y));
  EXPECT_TRUE(L->ShowsWithoutActivating());
  EXPECT_TRUE(L->Focused()) << "paints as focused";
  EXPECT_FALSE(L->CanFocus());
  EXPECT_EQ(L->ClientToScreen(TPoint(0, 0)), At);

  // Without the 3-D look a line; with it the raised double edge.
  L->SetCtl3D(false);
  EXPECT_EQ(L->GetBorderSize(), 2);
  L->SetCtl3D(true);
  EXPECT_EQ(L->BorderWidth(), 2);
  EXPECT_EQ(L->GetBorderSize(), 4);
  L->SetRowCount(3);
  EXPECT_EQ(L->Height(), 3 * 16 + 4);
  EXPECT_EQ(L->ClientToScreen(TPoint(0, 0)), At + TPoint(2, 2));
  TImageCanvas Image(L->Width(), L->Height(), clFuchsia);
  L->PaintTo(Image.Handle(), 0, 0);
  EXPECT_EQ(Image.Pixels(30, 0), ColorToRGB(cl3DLight));
  EXPECT_EQ(Image.Pixels(30, 1), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Image.Pixels(30, L->Height() - 1), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(Image.Pixels(30, L->Height() - 2), ColorToRGB(clBtnShadow));

  // Never smaller than a scroll bar's width and a thumb's height.
  L->SetBounds(At.X, At.Y, 1, 1);
  EXPECT_EQ(L->Width(), GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_GE(L->Height(), GetSystemMetrics(SM_CYVTHUMB));
}
