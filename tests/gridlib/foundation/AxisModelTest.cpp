// AxisModelTest.cpp: the grid axis model: positions, the cell at a position,
// visible cells, scroll limits, counts and lengths, hit testing.
#include "gridlib/foundation/GridsEh.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A grid without a window: its layout follows Width and Height.
// The cell area alone: the scroll bars, which take room when the cells do
// not fit, are kept out of these measurements.
std::unique_ptr<TCustomGridEh> MakeGrid(Integer Width, Integer Height)
{
  auto Grid = std::make_unique<TCustomGridEh>(nullptr);
  Grid->HorzScrollBar()->SetVisibleMode(sbNeverShowEh);
  Grid->VertScrollBar()->SetVisibleMode(sbNeverShowEh);
  Grid->SetBounds(0, 0, Width, Height);
  return Grid;
}

// The last cell whose start is at or before Pos, found by walking.
Integer BruteCellAt(const std::vector<Int64>& Starts, Int64 Pos)
{
  Integer Cell = 0;
  for (std::size_t I = 0; I < Starts.size(); ++I)
    if (Starts[I] <= Pos)
      Cell = Integer(I);
  return Cell;
}

} // namespace

TEST(GridAxisData, FindCelAtPosMatchesBruteForceOverRandomAndZeroLengths)
{
  std::mt19937 Rng(20261210);
  for (Integer Round = 0; Round < 200; ++Round) {
    const Integer Count = 1 + Integer(Rng() % 60);
    std::vector<Int64> Starts;
    Int64 Pos = 0;
    for (Integer I = 0; I < Count; ++I) {
      Starts.push_back(Pos);
      // A third of the cells have no length, so several start at one place.
      Pos += (Rng() % 3 == 0) ? 0 : Int64(Rng() % 40);
    }
    for (Integer Probe = 0; Probe < 100; ++Probe) {
      const Int64 P = Int64(Rng() % (Pos + 60)) - 10;
      Integer Cel = -1, Ofs = -1;
      FindCelAtPosEh(Starts.data(), Count, P, Cel, Ofs);
      SCOPED_TRACE(testing::Message() << "round " << Round << " pos " << P);
      ASSERT_GE(Cel, 0);
      ASSERT_LT(Cel, Count);
      EXPECT_EQ(Ofs, P - Starts[std::size_t(Cel)]);
      const bool ExactHit = Starts[std::size_t(Cel)] == P;
      if (ExactHit)
        continue;   // any of several cells starting exactly at P will do
      EXPECT_EQ(Cel, BruteCellAt(Starts, P));
    }
  }
}

TEST(GridAxisData, PositionsCountsAndErrors)
{
  auto Grid = MakeGrid(300, 120);
  TGridAxisDataEh* H = Grid->HorzAxis();
  H->SetDefaultCelLen(50);
  H->SetRolCelCount(5);
  for (Integer I = 0; I < 5; ++I)
    EXPECT_EQ(H->RolLocCelPosArr(I), 50 * I);
  EXPECT_EQ(H->RolLen(), 250);

  H->SetDefaultCelLen(30);
  H->SetRolCelCount(7);
  EXPECT_EQ(H->RolCelLens(4), 50) << "existing cells keep their length";
  EXPECT_EQ(H->RolCelLens(6), 30);
  EXPECT_EQ(H->RolLen(), 250 + 60);

  struct Case {
    const char* Name;
    std::function<void()> Call;
    const char* Message;
  };
  const Case Cases[] = {
    {"rolling count 0", [&] { H->SetRolCelCount(0); }, "RolCelCount can't be less then 1"},
    {"contra count -1", [&] { H->SetContraCelCount(-1); }, "ContraCelCount can't be less then 0"},
    {"past the end", [&] { H->SetRolStartVisPos(H->RolLen() + 1); }, "RolStartVisPos can't be > RolLen"},
    {"fixed to rolling", [&] { H->MoveCel(0, 3); }, "MoveCel in different areas[FromIndex:0, ToIndex:3"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    const Integer Rol = H->RolCelCount(), Contra = H->ContraCelCount();
    try {
      C.Call();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& E) {
      EXPECT_EQ(E.Message(), QString::fromUtf8(C.Message));
    }
    EXPECT_EQ(H->RolCelCount(), Rol);
    EXPECT_EQ(H->ContraCelCount(), Contra);
  }
  EXPECT_THROW(H->SetFixedCelCount(-1), Exception);
  EXPECT_EQ(H->FixedCelCount(), 1);

  H->SetRolStartVisPos(H->RolLen());   // exactly the end is accepted
  EXPECT_EQ(H->RolStartVisPos(), H->RolLen());
}

TEST(GridAxisData, ArrayRangeErrors)
{
  TIntegerDynArray A{1, 2, 3};
  EXPECT_THROW(ArrayInsertRange(A, 0, -1), Exception);
  EXPECT_THROW(ArrayInsertRange(A, 4, 1), Exception);
  EXPECT_THROW(ArrayDeleteRange(A, 2, 2), Exception);
  ArrayInsertRange(A, 1, 2);
  EXPECT_EQ(A, (TIntegerDynArray{1, 2, 3, 2, 3})) << "opened range keeps what stood there";
  ArrayMoveItemEh(A, 0, 4);
  EXPECT_EQ(A, (TIntegerDynArray{2, 3, 2, 3, 1}));
  ArrayMoveItemEh(A, 4, 1);
  EXPECT_EQ(A, (TIntegerDynArray{2, 1, 3, 2, 3}));
}

TEST(GridAxisData, RolCellAtPosBeforeAndAfterTheCells)
{
  auto Grid = MakeGrid(300, 120);
  TGridAxisDataEh* H = Grid->HorzAxis();
  Integer Cel = -1, Ofs = 0;
  H->RolCellAtPos(-7, Cel, Ofs);
  EXPECT_EQ(Cel, 0);
  EXPECT_EQ(Ofs, -7);
  H->RolCellAtPos(H->RolLen() + 13, Cel, Ofs);
  EXPECT_EQ(Cel, H->RolCelCount() - 1);
  EXPECT_EQ(Ofs, 50 + 13);
}

TEST(GridAxisData, VisibleCellsAndScrollLimits)
{
  // 1 fixed column of 50, 20 rolling columns of 50, a 275-pixel client:
  // 225 pixels for rolling cells, so 4.5 columns show.
  auto Grid = MakeGrid(275, 120);
  Grid->SetColCount(21);
  TGridAxisDataEh* H = Grid->HorzAxis();
  EXPECT_EQ(H->FixedBoundary(), 50);
  EXPECT_EQ(H->ContraStart(), 275);
  EXPECT_EQ(H->RolLastVisCel(), 4);
  EXPECT_EQ(H->RolLastFullVisCel(), 3) << "the cut-off fifth column is not fully visible";
  EXPECT_EQ(Grid->VisibleColCount(), 4);

  H->SafeSetRolStartVisCel(19, sstByPixelEh);
  EXPECT_EQ(H->RolStartVisPos(), 1000 - 225);
  EXPECT_TRUE(H->InEndOfRol());
  H->SafeSetRolStartVisCel(19, sstByCellEh);
  EXPECT_EQ(H->RolStartVisPos(), 16 * 50) << "the first cell from which the rest fits";
  EXPECT_EQ(H->RolLastFullVisCel(), 19);

  // A window wider than the remaining cells lowers the position; the end shows.
  Grid->SetBounds(0, 0, 600, 120);
  EXPECT_LE(H->RolStartVisPos(), 1000 - 550);
  EXPECT_TRUE(H->InEndOfRol());
  const Int64 Lowered = H->RolStartVisPos();
  Grid->SetBounds(0, 0, 900, 120);
  EXPECT_LE(H->RolStartVisPos(), Lowered) << "growing never raises the position";
  Grid->SetBounds(0, 0, 2000, 120);
  EXPECT_EQ(H->RolStartVisPos(), 0);
  EXPECT_LT(H->RolInClientBoundary(), H->ContraStart());

  // No room for rolling cells: the last visible cells are the first one.
  Grid->SetBounds(0, 0, 40, 120);
  EXPECT_EQ(H->RolLastVisCel(), H->RolStartVisCel());
  EXPECT_EQ(H->RolLastFullVisCel(), H->RolStartVisCel());
}

TEST(GridAxisData, SingleCellWiderThanTheViewCountsAsFullyVisible)
{
  auto Grid = MakeGrid(300, 120);
  Grid->SetColWidths(1, 1000);
  EXPECT_EQ(Grid->HorzAxis()->RolLastVisCel(), 0);
  EXPECT_EQ(Grid->HorzAxis()->RolLastFullVisCel(), 0);
  EXPECT_EQ(Grid->HorzAxis()->CalcMaxStartCellFor(0), 0);
}

TEST(GridAxisData, PositionsBeyondThe32BitRange)
{
  auto Grid = MakeGrid(300, 600);
  TGridAxisDataEh* V = Grid->VertAxis();
  V->SetDefaultCelLen(50'000'000);
  Grid->SetRolRowCount(1);
  Grid->SetRowHeights(1, 50'000'000);
  Grid->SetRowCount(101);   // 100 rolling rows: 5e9 pixels
  EXPECT_EQ(V->RolLen(), Int64(5'000'000'000));
  EXPECT_EQ(V->RolLocCelPosArr(99), Int64(4'950'000'000));

  // The last row starts before the furthest pixel position: it starts the view.
  Grid->SafeSetTopRow(Grid->RowCount() - 1);
  EXPECT_EQ(V->RolStartVisPos(), Int64(4'950'000'000));
  EXPECT_LT(V->RolStartVisPos(), V->RolLen() - V->RolClientLen());
  EXPECT_EQ(Grid->TopRow(), 100);
  EXPECT_EQ(V->RolLastVisCel(), 99);

  V->SetRolStartVisPos(Int64(3'000'000'123));
  EXPECT_EQ(V->RolStartVisCel(), 60);
  EXPECT_EQ(V->RolStartVisCelOfst(), 123);
  // Hit testing and rectangles read the same positions.
  EXPECT_EQ(Grid->MouseCoord(60, V->FixedBoundary() + 10).Y, 61);
  const TRect R = Grid->CalcCellRect(1, 61, false);
  EXPECT_EQ(R.Top, V->FixedBoundary());
  EXPECT_EQ(R.Bottom, V->ContraStart());
  EXPECT_EQ(Grid->CalcCellRectAbs(1, 61).Top, V->FixedBoundary() - 123);

  V->SafeSetRolStartVisCel(99, sstByCellEh);
  EXPECT_EQ(V->RolStartVisPos(), Int64(4'950'000'000));
}

TEST(GridAxisData, FrozenRollingAndContraCells)
{
  auto Grid = MakeGrid(400, 300);
  Grid->SetFixedColCount(2);
  Grid->SetFrozenColCount(1);
  Grid->SetContraColCount(2);
  Grid->SetContraRowCount(1);
  Grid->SetColWidths(0, 30);
  Grid->SetColWidths(1, 40);
  TGridAxisDataEh* H = Grid->HorzAxis();
  TGridAxisDataEh* V = Grid->VertAxis();
  EXPECT_EQ(H->FixedBoundary(), 70);
  EXPECT_EQ(H->FrozenLen(), 40);
  EXPECT_EQ(H->ContraLen(), 2 * 50 + 1) << "contra cells plus the boundary line";
  EXPECT_EQ(H->ContraStart(), 400 - 101);
  EXPECT_EQ(Grid->ColCount(), 7);
  EXPECT_EQ(Grid->FullColCount(), 9);
  EXPECT_EQ(V->ContraStart(), 300 - 21);

  // A horizontal hit at ContraStart falls into the rolling area, a vertical
  // one into the first contra row.
  Grid->SetColWidths(6, 400);   // the rolling columns reach ContraStart
  EXPECT_LT(Grid->MouseCoord(H->ContraStart(), 30).X, Grid->ColCount());
  EXPECT_EQ(Grid->MouseCoord(H->ContraStart() + 2, 30).X, Grid->ColCount());
  Grid->SetRowHeights(5, 400);
  EXPECT_EQ(Grid->MouseCoord(100, V->ContraStart()).Y, Grid->RowCount());
  EXPECT_EQ(Grid->MouseCoord(100, V->ContraStart() - 1).Y, 5);
  EXPECT_EQ(Grid->MouseCoord(-5, 10).X, -1);

  // Moving within an area; across areas fails.
  Grid->SetColWidths(7, 11);
  Grid->MoveColumn(7, 8);
  EXPECT_EQ(Grid->ColWidths(8), 11);
  EXPECT_THROW(Grid->MoveColumn(6, 7), Exception);

  // Deleting a column with contra columns present removes a rolling column.
  const Integer Before = Grid->ColCount();
  Grid->DeleteColumn(3);
  EXPECT_EQ(Grid->ColCount(), Before - 1);
  EXPECT_EQ(Grid->ContraColCount(), 2);
}

TEST(GridAxisData, BoxRectangles)
{
  auto Grid = MakeGrid(300, 120);
  Grid->SetColCount(10);
  EXPECT_EQ(Grid->CalcBoxRect(3, 1, 2, 1), TRect(0, 0, 0, 0)) << "inverted range";
  EXPECT_EQ(Grid->CalcCellRect(1, 1), TRect(50, 20, 100, 40));
  Grid->SetLeftPos(20);
  EXPECT_EQ(Grid->CalcCellRect(1, 1, false).Left, 50) << "clipped at the fixed boundary";
  EXPECT_EQ(Grid->CalcCellRectAbs(1, 1).Left, 30);
  EXPECT_EQ(Grid->CalcCellRect(1, 1, false).Right, 80);

  Grid->SetLeftPos(0);
  const TRect Cell = Grid->CalcCellRect(2, 2);
  const TRect Edit = Grid->CellEditRect(2, 2);
  EXPECT_EQ(Edit, TRect(Cell.Left, Cell.Top, Cell.Right - 1, Cell.Bottom - 1));
}

namespace {
// A descendant whose line colours and scroll bars are its own.
class TRedLineColors : public TGridLineColorsEh {
public:
  using TGridLineColorsEh::TGridLineColorsEh;
  TColor GetBrightColor() override { return clRed; }
};
class TOwnPartsGrid : public TCustomGridEh {
public:
  using TCustomGridEh::TCustomGridEh;
  Integer ScrollBarsMade = 0;
protected:
  TGridLineColorsEh* CreateGridLineColors() override { return new TRedLineColors(this); }
  TGridScrollBarEh* CreateScrollBar(TScrollBarKind AKind) override
  {
    ++ScrollBarsMade;
    return TCustomGridEh::CreateScrollBar(AKind);
  }
};
} // namespace

TEST(GridAxisData, DescendantFactoriesMakeTheParts)
{
  TOwnPartsGrid Grid(nullptr);
  Grid.SetBounds(0, 0, 200, 100);
  EXPECT_EQ(Grid.GridLineColors()->GetBrightColor(), clRed);
  // Six columns of 50 do not fit into 200 pixels: the vertical bar, needed
  // for the rows, takes its width.
  EXPECT_EQ(Grid.HorzAxis()->GridClientStop(), 200 - Grid.VertScrollBar()->ActualSize()) << "the layout asked the bars";
  EXPECT_EQ(Grid.ScrollBarsMade, 2);
  EXPECT_EQ(Grid.HorzScrollBar()->Kind(), sbHorizontal);
  EXPECT_EQ(Grid.VertScrollBar()->Kind(), sbVertical);
}
