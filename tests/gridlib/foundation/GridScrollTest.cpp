// GridScrollTest.cpp: the base grid scrolled as a user scrolls it: scroll-bar
// lines, pages and thumb, the wheel, keys that keep a cell in view, bars that
// appear when rows are added; and the tool windows around the grid.
#include "GridTestSupport.h"

#include <gtest/gtest.h>

using namespace gridtest;

namespace {

class GridScroll : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    Form = ShownForm();
  }
  TForm* Form = nullptr;
};

// A grid of Rows rolling rows of 20 pixels under a title row, two columns.
TCustomGridEh* RowsGrid(TForm* Form, Integer Rows, Integer VisibleRows)
{
  auto* G = PlaceGrid<TCustomGridEh>(Form, 300, 20 + 20 * VisibleRows);
  G->HorzScrollBar()->SetVisibleMode(sbNeverShowEh);
  G->SetColCount(2);
  G->SetColWidths(1, 200);
  G->SetRowCount(1 + Rows);
  G->CheckUpdateAxises();   // the layout a paint would run
  return G;
}

} // namespace

TEST_F(GridScroll, BarLinePageAndThumbScrollByCells)
{
  TCustomGridEh* G = RowsGrid(Form, 100, 20);
  ASSERT_EQ(G->VertAxis()->RolClientLen(), 400);
  TGridScrollBarPanelControlEh* Panel = G->VertScrollBarPanelControl();
  ASSERT_TRUE(Panel->Visible());
  EXPECT_EQ(Panel->Width(), G->VertScrollBar()->ActualSize());
  QScrollBar* Bar = BarWidget(Panel);
  ASSERT_NE(Bar, nullptr);
  EXPECT_EQ(Panel->ScrollBar()->Max(), 100 * 20 - 1);
  EXPECT_EQ(Panel->ScrollBar()->PageSize(), 400);

  Bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(G->TopRow(), 2);
  EXPECT_EQ(Panel->ScrollBar()->Position(), 20) << "the bar shows where the grid went";
  Bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(G->TopRow(), 22) << "the row after the last complete one comes first";
  Bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(G->TopRow(), 2);

  // Dragging the thumb: the row at the position, the next one past its middle.
  Bar->setSliderPosition(611);
  EXPECT_EQ(G->TopRow(), 1 + 31);
  Bar->setSliderPosition(629);
  EXPECT_EQ(G->TopRow(), 1 + 31);
  Bar->setSliderPosition(631);
  EXPECT_EQ(G->TopRow(), 1 + 32);
  // Without tracking the thumb moves alone.
  G->VertScrollBar()->SetTracking(false);
  Bar->setSliderPosition(1000);
  EXPECT_EQ(G->TopRow(), 1 + 32);
  G->ScrollByCode(sbVertical, scPosition, true, 1000);
  EXPECT_EQ(G->TopRow(), 1 + 50);
  // The thumb at its end shows the last row whole.
  Bar->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(G->LastFullVisibleRow(), 100);
  EXPECT_EQ(G->VertAxis()->RolStartVisPos(), 80 * 20);
}

TEST_F(GridScroll, LineUpFirstAlignsAPartlyScrolledRow)
{
  TCustomGridEh* G = RowsGrid(Form, 100, 20);
  G->SetTopPos(30);   // row 2 of the rolling rows is half out
  ASSERT_EQ(G->VertAxis()->RolStartVisCelOfst(), 10);
  G->ScrollVertByCode(scLineUp, 0);
  EXPECT_EQ(G->VertAxis()->RolStartVisPos(), 20);
  G->ScrollVertByCode(scLineUp, 0);
  EXPECT_EQ(G->VertAxis()->RolStartVisPos(), 0);
}

TEST_F(GridScroll, WheelScrollsRowsPagesAndPixels)
{
  TCustomGridEh* G = RowsGrid(Form, 100, 20);
  WheelAt(G, -1);
  EXPECT_EQ(G->TopRow(), 2) << "one row per notch";
  WheelAt(G, -1, {ssCtrl});
  EXPECT_EQ(G->TopRow(), 22) << "a page with Ctrl";
  WheelAt(G, 1);
  EXPECT_EQ(G->TopRow(), 21);
  WheelAt(G, 1, {ssCtrl});
  EXPECT_EQ(G->TopRow(), 1);
  EXPECT_EQ(G->LeftCol(), 1) << "the wheel never scrolls sideways";

  G->VertScrollBar()->SetSmoothStep(true);
  G->SetTopPos(0);
  WheelAt(G, -1);
  EXPECT_EQ(G->VertAxis()->RolStartVisPos(), G->GetVertScrollStep());
  EXPECT_EQ(G->GetVertScrollStep(), 400 / 20);
  WheelAt(G, -1, {ssCtrl});
  EXPECT_EQ(G->VertAxis()->RolStartVisPos(), 20 + 400);

  // A handler that takes the wheel stops the grid's own steps.
  G->OnMouseWheelDown = [](TObject*, TShiftState, TPoint, bool& Handled) { Handled = true; };
  WheelAt(G, -1);
  EXPECT_EQ(G->VertAxis()->RolStartVisPos(), 420);
}

TEST_F(GridScroll, PageDownOverThirtyAndAHundredRows)
{
  struct Case { Integer Rows; Integer Expected; };
  const Case Cases[] = {{30, 1 + 29}, {100, 1 + 39}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Rows);
    TCustomGridEh* G = RowsGrid(Form, C.Rows, 20);
    G->SetRow(1);
    Key(G, Qt::Key_PageDown);
    EXPECT_EQ(G->Row(), C.Expected);
    EXPECT_GE(G->Row(), G->TopRow());
    EXPECT_LE(G->Row(), G->LastFullVisibleRow()) << "the new row is in view";
    Key(G, Qt::Key_PageUp);
    EXPECT_LT(G->Row(), C.Expected);
    delete G;
  }
}

TEST_F(GridScroll, KeysKeepTheCurrentCellInView)
{
  auto* G = PlaceGrid<TDemoGridEh>(Form, 700, 400);
  G->SetRow(1);
  G->SetCol(2);
  for (int I = 0; I < 40; ++I)
    Key(G, Qt::Key_Down);
  EXPECT_EQ(G->Row(), 41);
  EXPECT_EQ(G->LastFullVisibleRow(), 41) << "the row is scrolled in at the bottom";
  for (int I = 0; I < 30; ++I)
    Key(G, Qt::Key_Right);
  EXPECT_EQ(G->Col(), 32);
  EXPECT_GE(G->LastFullVisibleCol(), 32);
  EXPECT_EQ(G->HorzAxis()->RolStartVisCelOfst(), 0) << "cell mode snaps to a column start";
  Key(G, Qt::Key_Home);
  EXPECT_EQ(G->Col(), 2) << "Home goes to the first column after the frozen one";
  EXPECT_EQ(G->LeftCol(), 2);
  Key(G, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(G->Row(), 1);
  EXPECT_EQ(G->TopRow(), 1);
  Key(G, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(G->Row(), G->RowCount() - 1);
  EXPECT_EQ(G->Col(), G->ColCount() - 1);
  EXPECT_EQ(G->LastFullVisibleRow(), G->RowCount() - 1);
  // At the ends the arrows leave the cell alone.
  Key(G, Qt::Key_Right);
  Key(G, Qt::Key_Down);
  EXPECT_EQ(G->Row(), G->RowCount() - 1);
  EXPECT_EQ(G->Col(), G->ColCount() - 1);
}

TEST_F(GridScroll, BarsAppearWhenRowsAreAdded)
{
  TCustomGridEh* G = RowsGrid(Form, 10, 20);
  TGridAxisDataEh* H = G->HorzAxis();
  EXPECT_EQ(G->VertScrollBarPanelControl()->Width(), 0) << "all rows fit: no bar";
  EXPECT_EQ(H->GridClientStop(), G->ClientWidth());
  const Integer OldContra = H->ContraStart();
  G->SetRowCount(1 + 20);
  G->CheckUpdateAxises();
  EXPECT_EQ(G->VertScrollBarPanelControl()->Width(), 0) << "exactly full: still no bar";
  G->SetRowCount(1 + 21);
  G->CheckUpdateAxises();
  const Integer Bar = G->VertScrollBar()->ActualSize();
  EXPECT_EQ(G->VertScrollBarPanelControl()->Width(), Bar);
  EXPECT_EQ(G->VertScrollBarPanelControl()->Left(), G->ClientWidth() - Bar);
  EXPECT_EQ(H->ContraStart(), OldContra - Bar) << "the cells make room for the bar";

  // Always shown: visible and disabled with nothing to scroll; never shown:
  // keys still scroll.
  G->SetRowCount(1 + 5);
  G->CheckUpdateAxises();
  G->VertScrollBar()->SetVisibleMode(sbAlwaysShowEh);
  EXPECT_EQ(G->VertScrollBarPanelControl()->Width(), Bar);
  EXPECT_FALSE(G->VertScrollBarPanelControl()->ScrollBar()->Enabled());
  G->VertScrollBar()->SetVisibleMode(sbNeverShowEh);
  G->SetRowCount(1 + 100);
  G->CheckUpdateAxises();
  EXPECT_EQ(G->VertScrollBarPanelControl()->Width(), 0);
  G->SetRow(1);
  Key(G, Qt::Key_PageDown);
  EXPECT_GT(G->TopRow(), 1);
}

// ---------------------------------------------------------------------------
// The tool windows.

TEST_F(GridScroll, ScrollBarPanelParameters)
{
  auto* Panel = new TGridScrollBarPanelControlEh(Form, sbVertical);
  Panel->SetParent(Form);
  Panel->SetBounds(0, 0, 17, 200);
  TScrollBar* Bar = Panel->ScrollBar();
  struct Case { Integer Pos, Min, Page, Max; bool Enabled; Integer WantMax; };
  const Case Cases[] = {
    {10, 0, 50, 200, true, 200},
    {0, 30, 5, 10, false, 30},     // Max below Min: a disabled bar at Min
    {0, 0, 300, 200, false, 200},  // a page larger than the range
    {0, 0, 0, 0, false, 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Max);
    Panel->SetParams(C.Pos, C.Min, C.Page, C.Max);
    EXPECT_EQ(Bar->Enabled(), C.Enabled);
    EXPECT_EQ(Bar->Max(), C.WantMax);
    EXPECT_EQ(Bar->Min(), C.Min);
    EXPECT_FALSE(Panel->IgnoreCancelMode());
  }
  Panel->SetBounds(0, 0, -5, -1);
  EXPECT_EQ(Panel->Width(), 0);
  EXPECT_EQ(Panel->Height(), 0);
}

TEST_F(GridScroll, MoveMarkerAndDragBox)
{
  TGridMoveLineEh* Line = GetGridMoveLineEh();
  EXPECT_EQ(Line, GetGridMoveLineEh()) << "one shared marker";
  Line->StartShow(TPoint(100, 50), true, 20, nullptr);
  EXPECT_EQ(Line->BoundsRect(), TRect(97, 46, 97 + 7, 46 + 28));
  EXPECT_TRUE(Line->Visible());
  Line->MoveToFor(TPoint(200, 60));
  EXPECT_EQ(Line->BoundsRect(), TRect(197, 56, 197 + 7, 56 + 28));
  Line->StartShow(TPoint(100, 50), false, 30, nullptr);
  EXPECT_EQ(Line->Width(), 38);
  EXPECT_EQ(Line->Height(), 7);

  // The vertical marker: arrow heads top and bottom and a one-pixel stem,
  // everything else white (the transparent colour).
  TImageCanvas C(7, 28, clWhite);
  Line->SetIsVert(true);
  Line->DrawMarker(&C, 7, 28);
  EXPECT_EQ(C.Pixels(0, 0), clRed);
  EXPECT_EQ(C.Pixels(6, 0), clRed);
  EXPECT_EQ(C.Pixels(3, 3), clRed);
  EXPECT_EQ(C.Pixels(3, 14), clRed);
  EXPECT_EQ(C.Pixels(2, 14), clWhite);
  EXPECT_EQ(C.Pixels(0, 27), clRed);
  EXPECT_EQ(C.Pixels(0, 26), clWhite);

  TGridDragBoxEh* Box = GetGridDragBoxEh();
  EXPECT_THROW(Box->Show(), Exception);
  EXPECT_EQ(Box->AlphaBlendValue(), 200);
  EXPECT_EQ(Box->TransparentColorValue(), clNone);
  Box->StartShow(TPoint(10, 10), 40, 30);
  EXPECT_TRUE(Box->Visible());
  Box->TemporaryHide();
  EXPECT_EQ(Box->Width(), 0);
  EXPECT_TRUE(Box->Visible());
}

TEST_F(GridScroll, SizeGripSizesItsForm)
{
  auto* F = new TForm(Application, 0);
  F->SetBounds(100, 100, 400, 300);
  F->Show();
  auto* Grip = new TSizeGripPanelEh(F);
  Grip->SetParent(F);
  Grip->SetBounds(F->ClientWidth() - 17, F->ClientHeight() - 17, 17, 17);
  EXPECT_TRUE(Grip->IsGripActive()) << "in the form's bottom-right corner";
  EXPECT_EQ(Grip->Cursor(), crSizeNWSE);
  Grip->SetBounds(0, 0, 17, 17);
  EXPECT_FALSE(Grip->IsGripActive()) << "away from the corner";
  EXPECT_EQ(Grip->Cursor(), crDefault);
  F->SetWindowState(wsMaximized);
  Grip->SetBounds(F->ClientWidth() - 17, F->ClientHeight() - 17, 17, 17);
  EXPECT_FALSE(Grip->IsGripActive()) << "a maximised form is not sized";
  F->SetWindowState(wsNormal);
  Grip->SetBounds(F->ClientWidth() - 17, F->ClientHeight() - 17, 17, 17);
  EXPECT_TRUE(Grip->IsGripActive());

  // A top-left grip dragged 10 pixels up and left grows the form that much.
  Grip->SetGripActiveStatus(gasAlwaysEh);
  Grip->SetPosition(sgpTopLeft);
  const TRect Before = F->BoundsRect();
  LeftDown(Grip, 5, 5);
  MoveTo(Grip, -5, -5);
  LeftUp(Grip, -5, -5);
  EXPECT_EQ(F->Left(), Before.Left - 10);
  EXPECT_EQ(F->Top(), Before.Top - 10);
  EXPECT_EQ(F->Width(), Before.Width() + 10);
  EXPECT_EQ(F->Height(), Before.Height() + 10);

  Grip->SetTriangleWindow(true);
  EXPECT_EQ(Grip->WindowRegionPoints(), (std::vector<TPoint>{TPoint(16, 0), TPoint(0, 0), TPoint(0, 16)}));
  // The window takes that shape; a rectangle again without the triangle.
  HRGN Shape = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(Grip, Shape), ERROR);
  EXPECT_TRUE(PtInRegion(Shape, 2, 2));
  EXPECT_FALSE(PtInRegion(Shape, 14, 14));
  Grip->SetPosition(sgpBottomRight);
  GetWindowRgn(Grip, Shape);
  EXPECT_TRUE(PtInRegion(Shape, 14, 14));
  EXPECT_FALSE(PtInRegion(Shape, 2, 2));
  Grip->SetTriangleWindow(false);
  EXPECT_EQ(GetWindowRgn(Grip, Shape), ERROR);
  DeleteObject(Shape);
}
