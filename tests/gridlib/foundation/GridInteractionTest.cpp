// GridInteractionTest.cpp: the demo grid driven by keys and the mouse: range
// selection, sizing columns and rows by their borders, moving a column with
// auto-scroll, hot tracking and the cell mouse events.
#include "GridTestSupport.h"

#include <gtest/gtest.h>

using namespace gridtest;

namespace {

// The demo grid with hot-trackable data cells and a record of cell events.
class TTrackingGrid : public TDemoGridEh {
public:
  using TDemoGridEh::TDemoGridEh;
  bool Trackable = true;
  std::vector<TGridCoord> Downs, Clicks;
protected:
  bool IsCellHotTrackable(Integer ACol, Integer ARow) override
  {
    return Trackable && ACol >= FixedColCount() && ARow >= FixedRowCount() && ARow < RowCount();
  }
  void DefaultCellMouseDown(TGridCoord Cell, TMouseButton, TPoint, TPoint, TRect, TShiftState) override
  {
    Downs.push_back(Cell);
  }
  void DefaultCellMouseClick(TGridCoord Cell, TMouseButton, TPoint, TPoint, TRect, TShiftState) override
  {
    Clicks.push_back(Cell);
  }
};

class GridInteraction : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    Form = ShownForm();
    Grid = PlaceGrid<TTrackingGrid>(Form, 700, 400);
    Grid->SetOptions(Grid->Options() - TGridOptionsEh{goEditingEh});
    Grid->CheckUpdateAxises();
  }
  // The centre of a cell in client coordinates.
  TPoint Centre(Integer ACol, Integer ARow)
  {
    const TRect R = Grid->CalcCellRect(ACol, ARow, true);
    return TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
  }
  TTestClock Clock;   // the grid's timers run on it, before the grid exists
  TForm* Form = nullptr;
  TTrackingGrid* Grid = nullptr;
};

} // namespace

TEST_F(GridInteraction, RangeSelectionWithShiftAndTheMouse)
{
  Grid->SetRow(2);
  Grid->SetCol(3);
  Key(Grid, Qt::Key_Down, Qt::ShiftModifier);
  Key(Grid, Qt::Key_Down, Qt::ShiftModifier);
  Key(Grid, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(Grid->GetSelection(), TGridRect(3, 2, 4, 4)) << "Shift moves only the anchor";
  EXPECT_EQ(Grid->Row(), 2);
  Key(Grid, Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(Grid->GetSelection(), TGridRect(3, 2, 4, 4)) << "Shift+Tab does nothing then";
  Key(Grid, Qt::Key_Down);
  EXPECT_EQ(Grid->GetSelection(), TGridRect(3, 3, 3, 3)) << "a plain key collapses the range";

  // Drag from one cell to another; then Shift+click moves the anchor.
  const TPoint From = Centre(2, 2), To = Centre(4, 5);
  LeftDown(Grid, From.X, From.Y);
  EXPECT_EQ(Grid->GridState(), gsSelectingEh);
  MoveTo(Grid, To.X, To.Y);
  LeftUp(Grid, To.X, To.Y);
  EXPECT_EQ(Grid->GridState(), gsNormalEh);
  EXPECT_EQ(Grid->GetSelection(), TGridRect(2, 2, 4, 5));
  EXPECT_EQ(Grid->Col(), 2);
  const TPoint Far = Centre(6, 7);
  Click(Grid, Far.X, Far.Y, {ssShift});
  EXPECT_EQ(Grid->GetSelection(), TGridRect(2, 2, 6, 7));
  EXPECT_FALSE(Grid->GridTimer()->Enabled());
}

TEST_F(GridInteraction, SelectingBelowTheLastRowScrollsEveryTick)
{
  const TPoint From = Centre(3, 5);
  LeftDown(Grid, From.X, From.Y);
  EXPECT_TRUE(Grid->GridTimer()->Enabled());
  EXPECT_EQ(Grid->GridTimer()->Interval(), 60u);
  const Integer Top = Grid->TopRow();
  MoveTo(Grid, From.X, Grid->ClientHeight() + 30);
  CursorAt(Grid, TPoint(From.X, Grid->ClientHeight() + 30));
  EXPECT_EQ(Grid->AnchorCell().Y, 5) << "outside the rows the mouse leaves the anchor to the timer";
  const Integer Last = Grid->LastFullVisibleRow();
  Clock.Advance(59);
  EXPECT_EQ(Grid->AnchorCell().Y, 5) << "nothing before the interval has passed";
  Clock.Advance(1);
  EXPECT_EQ(Grid->AnchorCell().Y, 6);
  const Integer Ticks = Last - 5 + 3;
  for (int I = 1; I < Ticks; ++I)
    Tick(Grid);
  EXPECT_EQ(Grid->AnchorCell().Y, 5 + Ticks) << "one row per tick";
  EXPECT_EQ(Grid->TopRow(), Top + 3) << "past the last row the view scrolls with it";
  EXPECT_EQ(Grid->LastFullVisibleRow(), 5 + Ticks);
  LeftUp(Grid, From.X, Grid->ClientHeight() + 30);
  EXPECT_FALSE(Grid->GridTimer()->Enabled());
  EXPECT_EQ(Grid->GetSelection(), TGridRect(3, 5, 3, 5 + Ticks));
}

TEST_F(GridInteraction, SizingBandAroundColumnAndRowEdges)
{
  // Column 2's title ends at 204; row 1's header ends at 40.
  ASSERT_EQ(Grid->HorzAxis()->FixedBoundary(), 154);
  struct Case { const char* Name; Integer X, Y; TGridStateEh State; Integer Index; };
  const Case Cases[] = {
    {"3 left of a column edge", 201, 10, gsColSizingEh, 2},
    {"4 right of a column edge", 208, 10, gsColSizingEh, 2},
    {"4 left of a column edge", 200, 10, gsNormalEh, -1},
    {"5 right of a column edge", 209, 10, gsNormalEh, -1},
    {"a column edge below the titles", 204, 50, gsNormalEh, -1},
    {"the frozen column's edge", 153, 10, gsColSizingEh, 1},
    {"the indicator column's edge", 44, 10, gsNormalEh, -1},
    {"2 above a row edge", 20, 38, gsRowSizingEh, 1},
    {"3 below a row edge", 20, 43, gsRowSizingEh, 1},
    {"3 above a row edge", 20, 37, gsNormalEh, -1},
    {"4 below a row edge", 20, 44, gsNormalEh, -1},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TGridStateEh State = gsNormalEh;
    Integer Index = -5, Pos = 0, Ofs = 0;
    Grid->CalcSizingState(C.X, C.Y, State, Index, Pos, Ofs);
    EXPECT_EQ(State, C.State);
    EXPECT_EQ(Index, C.Index);
    EXPECT_EQ(Grid->GetCursorAtPos(TPoint(C.X, C.Y)),
              C.State == gsColSizingEh ? crHSplit : C.State == gsRowSizingEh ? crVSplit : crDefault);
  }
}

TEST_F(GridInteraction, SizingAColumnAndARowByTheirBorders)
{
  LeftDown(Grid, 202, 10);
  EXPECT_EQ(Grid->GridState(), gsColSizingEh);
  MoveTo(Grid, 232, 12);
  EXPECT_EQ(Grid->SizingPos(), 234) << "the edge follows the mouse at the press's distance";
  // The sizing line runs across the cells, one pixel before the edge.
  TImageCanvas Image(Grid->ClientWidth(), Grid->ClientHeight(), clFuchsia);
  Grid->PaintInto(&Image);
  EXPECT_EQ(Image.Pixels(233, 150), ColorToRGB(cl3DDkShadow));
  EXPECT_NE(Image.Pixels(234, 150), ColorToRGB(cl3DDkShadow));
  LeftUp(Grid, 232, 12);
  EXPECT_EQ(Grid->GridState(), gsNormalEh);
  EXPECT_EQ(Grid->ColWidths(2), 80);

  // A drag to one pixel or less keeps the width; two pixels are taken.
  struct Case { Integer ReleaseX; Integer Width; };
  const Case Cases[] = {{154 + 1 - 2, 80}, {154 + 2 - 2, 2}};
  for (const Case& C : Cases) {
    const Integer Edge = 154 + Grid->ColWidths(2);
    LeftDown(Grid, Edge - 2, 10);
    MoveTo(Grid, C.ReleaseX, 10);
    LeftUp(Grid, C.ReleaseX, 10);
    EXPECT_EQ(Grid->ColWidths(2), C.Width);
  }

  LeftDown(Grid, 20, 41);
  EXPECT_EQ(Grid->GridState(), gsRowSizingEh);
  MoveTo(Grid, 20, 56);
  LeftUp(Grid, 20, 56);
  EXPECT_EQ(Grid->RowHeights(1), 35);
  EXPECT_EQ(Grid->RowHeights(2), 20);
}

TEST_F(GridInteraction, MovingAColumnAutoScrollsAndDrops)
{
  Grid->SetColWidths(3, 77);   // marks the moved column
  Grid->CheckUpdateAxises();
  const TPoint Title = Centre(3, 0);
  LeftDown(Grid, Title.X - 10, Title.Y);
  ASSERT_EQ(Grid->GridState(), gsColMovingEh);
  EXPECT_EQ(Grid->MoveFromIndex(), 3);
  EXPECT_TRUE(GetGridMoveLineEh()->Visible()) << "the marker shows the drop place";

  // The speed grows with the distance past the edge, over at most 200
  // pixels (less when the screen ends sooner).
  const Integer ScreenEdge = Grid->ClientToScreen(TPoint(Grid->HorzAxis()->ContraStart(), 0)).X;
  const Integer Range = std::min(GetSystemMetrics(SM_CXSCREEN) - ScreenEdge, 200);
  ASSERT_GT(Range, 20);
  CursorAt(Grid, TPoint(Grid->HorzAxis()->ContraStart() + 250, Title.Y));
  const Integer Left = Grid->LeftCol();
  Tick(Grid);
  Tick(Grid);
  EXPECT_EQ(Grid->LeftCol(), Left + 2) << "a step every tick";
  EXPECT_EQ(Grid->GridTimer()->Interval(), Cardinal(Range * 3 / (2 * (Range - 10)) + 60));
  EXPECT_LE(Grid->GridTimer()->Interval(), 61u);
  CursorAt(Grid, TPoint(Grid->HorzAxis()->ContraStart() + 5, Title.Y));
  Tick(Grid);
  EXPECT_EQ(Grid->GridTimer()->Interval(), Cardinal(Range * 3 / 2 + 60)) << "slowly just past the edge";

  // Back over a column's left half: the column lands just before it.
  const Integer Target = Grid->LeftCol() + 2;
  const TRect R = Grid->CalcCellRect(Target, 0, true);
  CursorAt(Grid, TPoint(R.Left + 5, Title.Y));
  Tick(Grid);
  EXPECT_EQ(Grid->MoveToIndex(), Target);
  LeftUp(Grid, R.Left + 5, Title.Y);
  EXPECT_EQ(Grid->GridState(), gsNormalEh);
  EXPECT_FALSE(GetGridMoveLineEh()->Visible());
  EXPECT_FALSE(Grid->GridTimer()->Enabled());
  EXPECT_EQ(Grid->ColWidths(Target - 1), 77);
  EXPECT_EQ(Grid->ColWidths(3), 50);
}

TEST_F(GridInteraction, MoveFeedbackWindowsLeaveTheFormActiveAndFocused)
{
  auto ExpectFocusKept = [this] {
    Application->ProcessMessages();
    EXPECT_EQ(GetActiveWindow(), Form);
    EXPECT_EQ(Screen->ActiveForm(), Form);
    EXPECT_TRUE(Grid->Focused());
  };
  ExpectFocusKept();
  const TPoint Title = Centre(3, 0);
  LeftDown(Grid, Title.X - 10, Title.Y);
  ASSERT_EQ(Grid->GridState(), gsColMovingEh);

  // The marker: a top-level window, opaque, white keyed out, so only the
  // red arrow is left of it.
  TGridMoveLineEh* Line = GetGridMoveLineEh();
  ASSERT_TRUE(Line->HandleAllocated());
  QWidget* W = Line->Widget();
  EXPECT_TRUE(W->isWindow());
  EXPECT_TRUE(W->isVisible());
  ExpectFocusKept();
  COLORREF Key = 0;
  Byte Alpha = 0;
  DWORD Flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(Line, &Key, &Alpha, &Flags));
  EXPECT_EQ(Key, COLORREF(ColorToRGB(clWhite)));
  EXPECT_EQ(Alpha, 255);
  EXPECT_EQ(Flags, DWORD(LWA_COLORKEY));
  const Integer H = Line->Height();
  const QRegion Shape = W->mask();
  EXPECT_TRUE(Shape.contains(QPoint(0, 0))) << "the top arrow head";
  EXPECT_TRUE(Shape.contains(QPoint(3, H / 2))) << "the stem";
  EXPECT_FALSE(Shape.contains(QPoint(0, H / 2)));
  EXPECT_FALSE(Shape.contains(QPoint(6, H / 2)));
  EXPECT_TRUE(Shape.contains(QPoint(6, H - 1))) << "the bottom arrow head";

  // The drag box: a topmost translucent tool window.
  TGridDragBoxEh* Box = GetGridDragBoxEh();
  Box->StartShow(Grid->ClientToScreen(TPoint(Title.X - 30, 0)), 60, 20);
  EXPECT_EQ(DWORD(GetWindowLong(Box, GWL_STYLE)) & WS_POPUP, DWORD(WS_POPUP));
  EXPECT_EQ(DWORD(GetWindowLong(Box, GWL_EXSTYLE)) & (WS_EX_TOOLWINDOW | WS_EX_LAYERED),
            DWORD(WS_EX_TOOLWINDOW | WS_EX_LAYERED));
  EXPECT_TRUE(Box->Widget()->isWindow());
  EXPECT_TRUE(Box->Widget()->isVisible());
  EXPECT_TRUE(Box->Widget()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  ASSERT_TRUE(GetLayeredWindowAttributes(Box, &Key, &Alpha, &Flags));
  EXPECT_EQ(Alpha, 200);
  EXPECT_EQ(Flags, DWORD(LWA_ALPHA)) << "no colour key: the whole box is seen";
  EXPECT_TRUE(Box->Widget()->mask().isEmpty());
  ExpectFocusKept();
  Box->SetVisible(false);

  // A translucent drag form.
  auto* DragForm = new TGridDragFormEh(Form);
  DragForm->SetAlphaBlendValue(150);
  DragForm->StartShow(Grid->ClientToScreen(TPoint(10, 10)), 50, 20);
  EXPECT_TRUE(DragForm->Widget()->isVisible());
  ASSERT_TRUE(GetLayeredWindowAttributes(DragForm, &Key, &Alpha, &Flags));
  EXPECT_EQ(Alpha, 150);
  EXPECT_EQ(Flags, DWORD(LWA_ALPHA));
  ExpectFocusKept();
  DragForm->SetVisible(false);

  LeftUp(Grid, Title.X - 10, Title.Y);
  EXPECT_FALSE(W->isVisible());
  ExpectFocusKept();
}

TEST_F(GridInteraction, PopupInactiveFormShowsWithoutTakingTheFocus)
{
  auto* Popup = new TPopupInactiveFormEh(Form);
  Popup->SetBounds(300, 300, 120, 80);
  Popup->Show();
  ASSERT_TRUE(Popup->HandleAllocated());
  EXPECT_TRUE(Popup->Widget()->isVisible());
  EXPECT_EQ(Popup->Widget()->geometry(), QRect(300, 300, 120, 80));
  EXPECT_TRUE(Popup->Visible());
  Application->ProcessMessages();
  EXPECT_EQ(GetActiveWindow(), Form);
  EXPECT_TRUE(Grid->Focused());
  Popup->SetVisible(false);
  EXPECT_FALSE(Popup->Widget()->isVisible());
  EXPECT_TRUE(Grid->Focused());
}

TEST_F(GridInteraction, TitlePressWithoutMovingOrSizingIsJustAPress)
{
  Grid->SetOptions(Grid->Options() - TGridOptionsEh{goColMovingEh});
  int Downs = 0;
  Grid->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++Downs; };
  const TPoint Title = Centre(4, 0);
  LeftDown(Grid, Title.X, Title.Y);
  EXPECT_EQ(Grid->GridState(), gsNormalEh);
  EXPECT_EQ(Downs, 1);
  LeftUp(Grid, Title.X, Title.Y);
}

TEST_F(GridInteraction, HotTrackingFollowsTheMouse)
{
  const TPoint P = Centre(3, 4);
  MoveTo(Grid, P.X, P.Y, false);
  EXPECT_EQ(Grid->HotTrackCell(), TGridCoord(3, 4));
  EXPECT_EQ(Grid->NewHotTrackSpot()->Col(), 3);
  const TRect R = Grid->CalcCellRect(3, 4, true);
  EXPECT_EQ(Grid->HotTrackInCellPos(), TPoint(P.X - R.Left, P.Y - R.Top));
  MoveTo(Grid, 10, 10, false);   // over the fixed corner
  EXPECT_EQ(Grid->HotTrackCell(), TGridCoord(-1, -1));
  MoveTo(Grid, P.X, P.Y, false);
  Grid->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(Grid->HotTrackCell(), TGridCoord(-1, -1));
  EXPECT_FALSE(Grid->MouseInControl());

  Grid->Trackable = false;   // the base grid's answer
  MoveTo(Grid, P.X, P.Y, false);
  EXPECT_EQ(Grid->HotTrackCell(), TGridCoord(-1, -1));
}

TEST_F(GridInteraction, ClickReleasedOverAnotherCellRaisesNoClick)
{
  const TPoint A = Centre(3, 3), B = Centre(5, 6);
  Click(Grid, A.X, A.Y);
  ASSERT_EQ(Grid->Clicks.size(), 1u);
  EXPECT_EQ(Grid->Clicks.back(), TGridCoord(3, 3));
  EXPECT_EQ(Grid->Downs.back(), TGridCoord(3, 3));
  LeftDown(Grid, A.X, A.Y);
  MoveTo(Grid, B.X, B.Y);
  LeftUp(Grid, B.X, B.Y);
  EXPECT_EQ(Grid->Clicks.size(), 1u);

  // A press outside every cell raises no cell event.
  Grid->SetColCount(4);
  Grid->SetRowCount(5);
  Grid->CheckUpdateAxises();
  const size_t Downs = Grid->Downs.size();
  Click(Grid, Grid->ClientWidth() - 30, Grid->ClientHeight() / 2);
  EXPECT_EQ(Grid->MouseDownCell(), TGridCoord(-1, -1));
  EXPECT_EQ(Grid->Downs.size(), Downs);
  EXPECT_EQ(Grid->Clicks.size(), 1u);

  // The events' handler comes first and may take the event over.
  int Handled = 0;
  Grid->OnCellMouseClick = [&](TCustomGridEh*, TGridCoord, TMouseButton, TShiftState, Integer, Integer,
                               bool& Processed) {
    ++Handled;
    Processed = true;
  };
  Click(Grid, A.X, A.Y);
  EXPECT_EQ(Handled, 1);
  EXPECT_EQ(Grid->Clicks.size(), 1u);
}

TEST_F(GridInteraction, CancelModeEndsAnOperation)
{
  const TPoint Title = Centre(3, 0);
  LeftDown(Grid, Title.X, Title.Y);
  ASSERT_EQ(Grid->GridState(), gsColMovingEh);
  Grid->Perform(WM_CANCELMODE);
  EXPECT_EQ(Grid->GridState(), gsNormalEh);
  EXPECT_FALSE(Grid->GridTimer()->Enabled());
  EXPECT_FALSE(GetGridMoveLineEh()->Visible());
  EXPECT_THROW(Grid->SetAnchorCell(Grid->FullColCount(), 1, true), EInvalidGridOperationEh);
  EXPECT_THROW(Grid->MoveCurrentCell(1, Grid->RowCount(), true, true), EInvalidGridOperationEh);
}

TEST_F(GridInteraction, SizingTheEdgeInFrontOfAContraColumn)
{
  Grid->SetContraColCount(1);
  Grid->SetColWidths(Grid->ColCount(), 70);
  Grid->CheckUpdateAxises();
  TGridAxisDataEh* H = Grid->HorzAxis();
  const Integer Contra = H->ContraStart();
  const Integer FarEdge = Contra + 70;
  LeftDown(Grid, Contra + 1, 10);
  ASSERT_EQ(Grid->GridState(), gsColSizingEh);
  EXPECT_EQ(Grid->SizingIndex(), Grid->ColCount()) << "the contra column after the edge";
  MoveTo(Grid, Contra - 19, 10);
  LeftUp(Grid, Contra - 19, 10);
  EXPECT_EQ(Grid->ColWidths(Grid->ColCount()), 90);
  Grid->CheckUpdateAxises();
  EXPECT_EQ(H->ContraStart() + 90, FarEdge) << "its far edge stays where it was";
}

TEST_F(GridInteraction, TabWalksTheColumnsAndRows)
{
  // Without range selection: with it, Shift with Tab does nothing.
  Grid->SetOptions(Grid->Options() + TGridOptionsEh{goTabsEh} - TGridOptionsEh{goRangeSelectEh});
  Grid->SetRow(3);
  Grid->SetCol(Grid->ColCount() - 1);
  Key(Grid, Qt::Key_Tab);
  EXPECT_EQ(Grid->Row(), 4);
  EXPECT_EQ(Grid->Col(), Grid->FixedColCount()) << "after the last column the next row's first";
  Key(Grid, Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(Grid->Row(), 3);
  EXPECT_EQ(Grid->Col(), Grid->ColCount() - 1) << "Shift+Tab goes back";
}
