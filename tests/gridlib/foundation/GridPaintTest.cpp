// GridPaintTest.cpp: the base grid and a descendant over a plain cell source,
// painted into images: areas, borders, line colours, strips, background
// picture and selection, checked by pixel probes; the images are kept.
#include "DemoGrid.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Themes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

namespace {

String OutputPath(const String& Name)
{
  String Dir = qEnvironmentVariable("VELMORA_TEST_OUTPUT");
  if (Dir.isEmpty())
    Dir = QDir::tempPath();
  QDir().mkpath(Dir);
  return QDir(Dir).filePath(Name);
}

struct Painted {
  std::unique_ptr<TImageCanvas> Canvas;
  TColor At(Integer X, Integer Y) { return Canvas->Pixels(X, Y); }
};

Painted Paint(TDemoGridEh& Grid, const char* ImageName)
{
  Painted P{std::make_unique<TImageCanvas>(Grid.Width(), Grid.Height(), clFuchsia)};
  P.Canvas->Font()->Assign(Grid.Font());
  Grid.PaintedCols.clear();
  Grid.PaintInto(P.Canvas.get());
  P.Canvas->SavePng(OutputPath(QString::fromUtf8(ImageName)));
  return P;
}

const TColor Dark = RGBEh(128, 128, 128);     // clGray
const TColor Bright = RGBEh(192, 192, 192);   // clSilver

// The painted cell areas alone, without the scroll bars' room.
std::unique_ptr<TDemoGridEh> MakeDemo(Integer W = 800, Integer H = 400)
{
  auto Grid = std::make_unique<TDemoGridEh>(nullptr);
  Grid->HorzScrollBar()->SetVisibleMode(sbNeverShowEh);
  Grid->VertScrollBar()->SetVisibleMode(sbNeverShowEh);
  Grid->SetBounds(0, 0, W, H);
  return Grid;
}

} // namespace

TEST(GridPaint, NewBaseGridDefaults)
{
  auto Grid = std::make_unique<TCustomGridEh>(nullptr);
  EXPECT_EQ(Grid->Width(), 300);
  EXPECT_EQ(Grid->Height(), 120);
  EXPECT_EQ(Grid->ColCount(), 6);
  EXPECT_EQ(Grid->RowCount(), 6);
  EXPECT_EQ(Grid->FixedColCount(), 1);
  EXPECT_EQ(Grid->DefaultColWidth(), 50);
  EXPECT_EQ(Grid->DefaultRowHeight(), 20);
  EXPECT_EQ(Grid->Options(), (TGridOptionsEh{goFixedVertLineEh, goFixedHorzLineEh, goVertLineEh,
                                              goHorzLineEh, goDrawFocusSelectedEh, goRowSizingEh,
                                              goColSizingEh, goRowMovingEh, goColMovingEh, goEditingEh,
                                              goContraVertBoundaryLineEh, goContraHorzBoundaryLineEh}));
  Grid->SetOptions(Grid->Options() + TGridOptionsEh{goAlwaysShowEditorEh, goRowSelectEh});
  EXPECT_FALSE(Grid->Options().Contains(goAlwaysShowEditorEh));

  // The base cells: coordinates on light green for fixed cells, window colour
  // for data cells; the current cell (1, 1) is selected.
  TImageCanvas Canvas(300, 120, clFuchsia);
  struct Access : TCustomGridEh {
    using TCustomGridEh::PaintWindow;
  };
  (Grid.get()->*(&Access::PaintWindow))(Canvas.Handle());
  Canvas.SavePng(OutputPath(QStringLiteral("base_grid.png")));
  EXPECT_EQ(Canvas.Pixels(40, 15), TColor(12639424));
  EXPECT_EQ(Canvas.Pixels(140, 30), ColorToRGB(clWindow));
  EXPECT_EQ(Canvas.Pixels(90, 35), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Canvas.Pixels(49, 30), Dark) << "the fixed column's line";
  EXPECT_EQ(Canvas.Pixels(149, 30), Bright) << "a data line";
  bool Ink = false;
  for (Integer X = 2; X < 30 && !Ink; ++X)
    for (Integer Y = 2; Y < 17 && !Ink; ++Y)
      Ink = Canvas.Pixels(X, Y) != TColor(12639424) && Canvas.Pixels(X, Y) != Dark;
  EXPECT_TRUE(Ink) << "\"0:0\" is written in the corner";
}

TEST(GridPaint, AreasBordersAndLineColours)
{
  auto Grid = MakeDemo();
  Grid->SetContraColCount(1);
  Grid->SetColWidths(Grid->ColCount(), 70);
  Painted P = Paint(*Grid, "demo_nine_areas.png");
  TGridAxisDataEh* H = Grid->HorzAxis();
  TGridAxisDataEh* V = Grid->VertAxis();
  ASSERT_EQ(H->FixedBoundary(), 154);
  ASSERT_EQ(V->FixedBoundary(), 20);
  ASSERT_EQ(V->ContraStart(), 400 - 21);
  ASSERT_EQ(H->ContraStart(), 800 - 71);

  struct Probe { const char* Name; Integer X, Y; TColor Color; };
  const Probe Probes[] = {
    {"number column's right line", 43, 110, Dark},
    {"frozen column's right line", 153, 110, Dark},
    {"corner of the frozen line: dark wins", 153, 119, Dark},
    {"data bottom line next to it", 150, 119, Bright},
    {"data vertical line", 203, 110, Bright},
    {"data horizontal line", 180, 119, Bright},
    {"title cell's right line", 203, 10, Dark},
    {"title cell's bottom line", 180, 19, Dark},
    {"title fill", 156, 2, ColorToRGB(clBtnFace)},
    {"contra row boundary", 180, 379, Dark},
    {"contra column boundary", 729, 100, Dark},
    {"contra crossing pixel", 729, 379, Dark},
    {"contra corner cell", 760, 382, ColorToRGB(clBtnFace)},
    {"number column fill", 2, 42, ColorToRGB(clBtnFace)},
    {"name column fill", 150, 42, TDemoGridEh::NameColumnColor(ColorToRGB(clWindow))},
    {"data fill", 156, 42, ColorToRGB(clWindow)},
    {"first rolling row starts under the titles", 206, 21, ColorToRGB(clWindow)},
    {"the current cell (2, 1)", 156, 21, ColorToRGB(clBtnShadow)},
  };
  for (const Probe& Pr : Probes) {
    SCOPED_TRACE(Pr.Name);
    EXPECT_EQ(P.At(Pr.X, Pr.Y), Pr.Color);
  }
  // Painting visits only the visible cells: 15 rolling columns at most.
  EXPECT_LE(Grid->PaintedCols.size(), 2u + 15u + 1u);
  EXPECT_EQ(Grid->PaintedCols.count(40), 0u);
}

TEST(GridPaint, ZeroWidthColumnsAreSkipped)
{
  auto Grid = MakeDemo();
  Grid->SetColWidths(4, 0);
  Painted P = Paint(*Grid, "demo_zero_width.png");
  EXPECT_EQ(Grid->PaintedCols.count(4), 0u);
  EXPECT_GT(Grid->PaintedCols[3], 0);
  EXPECT_GT(Grid->PaintedCols[5], 0);
  // Column 5 starts where column 4 would have: right after column 3.
  EXPECT_EQ(Grid->CalcCellRect(5, 3).Left, Grid->CalcCellRect(3, 3).Right);
  EXPECT_EQ(P.At(Grid->CalcCellRect(3, 3).Right - 1, 70), Bright);
}

TEST(GridPaint, SelectionAndCurrentCell)
{
  auto Grid = MakeDemo();
  Grid->FocusCell(3, 2, true);
  Grid->SetAnchorCell(4, 3, false);
  EXPECT_EQ(Grid->GetSelection(), TGridRect(3, 2, 4, 3));
  Painted P = Paint(*Grid, "demo_selection.png");
  const TRect Sel = Grid->CalcBoxRect(3, 2, 4, 3);
  EXPECT_EQ(P.At(Sel.Left + 2, Sel.Top + 2), ColorToRGB(clBtnShadow)) << "not the active control";
  EXPECT_EQ(P.At(Sel.Right - 52, Sel.Bottom - 3), ColorToRGB(clBtnShadow));
  EXPECT_EQ(P.At(Sel.Left + 2, Sel.Bottom + 3), ColorToRGB(clWindow)) << "below the selection";
  EXPECT_EQ(P.At(Sel.Left - 48, Sel.Top + 2), ColorToRGB(clWindow)) << "left of it";
  EXPECT_THROW(Grid->FocusCell(Grid->FullColCount(), 1, true), EInvalidGridOperationEh);
}

TEST(GridPaint, OutBoundaryStripsAndCorners)
{
  auto Grid = MakeDemo(600, 300);
  TGridOutBoundaryDataEh* Out = Grid->OutBoundaryData();
  Out->SetTopIndent(20);
  Out->SetLeftIndent(10);
  TRect R;
  ASSERT_TRUE(Out->GetOutBoundaryRect(R, cbtTopEh));
  EXPECT_EQ(R, TRect(0, 0, 600, 20));
  ASSERT_TRUE(Out->GetOutBoundaryRect(R, cbtLeftEh));
  EXPECT_EQ(R, TRect(0, 20, 10, 300));
  EXPECT_FALSE(Out->GetOutBoundaryRect(R, cbtBottomEh));
  Out->SetLeftTopDrawPriority(crpVerticalDataPriorityEh);
  Out->GetOutBoundaryRect(R, cbtTopEh);
  EXPECT_EQ(R, TRect(10, 0, 600, 20));
  Out->GetOutBoundaryRect(R, cbtLeftEh);
  EXPECT_EQ(R, TRect(0, 0, 10, 300));
  Out->SetLeftBottomDrawPriority(crpVerticalDataPriorityEh);   // stored only

  Grid->SetFixedColor(RGBEh(200, 220, 240));
  Painted P = Paint(*Grid, "demo_out_boundary.png");
  EXPECT_EQ(Grid->HorzAxis()->GridClientStart(), 10);
  EXPECT_EQ(Grid->VertAxis()->GridClientStart(), 20);
  EXPECT_EQ(P.At(5, 5), RGBEh(200, 220, 240));
  EXPECT_EQ(P.At(300, 10), RGBEh(200, 220, 240));
  EXPECT_EQ(P.At(5, 200), RGBEh(200, 220, 240));
  EXPECT_EQ(P.At(10 + 43, 130), Dark) << "cells moved right by the indent";
}

TEST(GridPaint, BackgroundPictureShowsThroughTheData)
{
  auto Grid = MakeDemo(600, 300);
  TBitmap Tile(16, 16);
  Tile.Canvas()->Brush()->SetColor(RGBEh(30, 90, 200));
  Tile.Canvas()->FillRect(TRect(0, 0, 16, 16));
  Tile.Canvas()->Brush()->SetColor(RGBEh(255, 220, 120));
  Tile.Canvas()->FillRect(TRect(0, 0, 8, 8));
  TGridBackgroundDataEh* Bg = Grid->BackgroundData();
  Bg->Picture()->SetGraphic(&Tile);
  Bg->SetPlacement(ipTileEh);
  Bg->SetVisible(true);
  Painted P = Paint(*Grid, "demo_background.png");
  // Inside a data cell, away from the text: a tile pixel.
  const TRect Cell = Grid->CalcCellRect(3, 4);
  const TColor C = P.At(Cell.Left + 3, Cell.Top + 2);
  EXPECT_TRUE(C == RGBEh(30, 90, 200) || C == RGBEh(255, 220, 120));
  EXPECT_EQ(P.At(Cell.Right - 1, Cell.Top + 5), Bright) << "lines are drawn over the picture";
  EXPECT_EQ(P.At(2, 42), ColorToRGB(clBtnFace)) << "fixed cells keep their fill";
}

TEST(GridPaint, BackgroundPictureRectangles)
{
  auto Grid = MakeDemo(400, 400);
  TGridBackgroundDataEh* Bg = Grid->BackgroundData();
  TBitmap Pic(200, 100);
  Bg->Picture()->SetGraphic(&Pic);
  struct Case { TImagePlacementEh Placement; TRect Rect; };
  const Case Cases[] = {
    {ipFitEh, TRect(0, 100, 400, 300)},
    {ipFillEh, TRect(-200, 0, 600, 400)},
    {ipCenterCenterEh, TRect(100, 150, 300, 250)},
    {ipBottomRightEh, TRect(200, 300, 400, 400)},
    {ipStretchEh, TRect(0, 0, 400, 400)},
    {ipTileEh, TRect(0, 0, 200, 100)},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Placement);
    Bg->SetPlacement(C.Placement);
    TRect R;
    Bg->CalcImageRect(R);
    EXPECT_EQ(R, C.Rect);
  }
  Bg->SetHorzMargin(5);
  Bg->SetVertMargin(7);
  Bg->SetPlacement(ipTopLeftEh);
  TRect R;
  Bg->CalcImageRect(R);
  EXPECT_EQ(R, TRect(5, 7, 205, 107));
}

TEST(GridPaint, LineColoursFromTheGridAndTheStyle)
{
  auto Grid = MakeDemo();
  TGridLineColorsEh* Colors = Grid->GridLineColors();
  EXPECT_EQ(Colors->GetBrightColor(), Bright);
  EXPECT_EQ(Colors->GetDarkColor(), Dark);
  Grid->SetColor(clSilver);
  EXPECT_EQ(Colors->GetBrightColor(), Dark) << "a silver grid gets grey lines";
  Colors->SetBrightColor(clRed);
  EXPECT_EQ(Colors->GetDataVertColor(), clRed);
  Grid->SetColor(clWindow);
  Painted P = Paint(*Grid, "demo_red_lines.png");
  EXPECT_EQ(P.At(203, 110), clRed);

  auto Other = MakeDemo();
  Other->SetGridLineColors(Colors);
  EXPECT_EQ(Other->GridLineColors()->GetBrightColor(), clRed) << "assigned by copy";

  // Flat changes only the fixed line colour.
  EXPECT_EQ(Grid->FixedLineColor(), ColorToRGB(clBlack));
  Grid->SetFlat(true);
  EXPECT_EQ(Grid->FixedLineColor(), ColorToRGB(clGray));
}

TEST(GridPaint, SelectionStyleRules)
{
  auto Grid = MakeDemo();
  TGridDrawStyleEh* Style = GridDefaultDrawStyleEh();
  ASSERT_TRUE(Style->GridInChangeNotification(Grid.get()));
  EXPECT_EQ(Grid->SelectionDrawParams()->GetActualSelectionStyle(),
            CustomStyleActiveEh() ? gsdsGridThemedEh : gsdsListViewThemedEh);
  EXPECT_FALSE(Grid->SelectionDrawParams()->DrawFocusFrame()) << "themed: no focus frame by default";
  Grid->SelectionDrawParams()->SetSelectionStyle(gsdsClassicEh);
  EXPECT_TRUE(Grid->SelectionDrawParams()->DrawFocusFrame());
  Grid->SelectionDrawParams()->SetDrawFocusFrame(true);
  EXPECT_TRUE(Grid->SelectionDrawParams()->DrawFocusFrameStored()) << "stored even when equal to the default";

  {
    TGridDrawStyleEh Own(nullptr);
    Grid->SetDrawStyle(&Own);
    EXPECT_FALSE(Style->GridInChangeNotification(Grid.get()));
    EXPECT_TRUE(Own.GridInChangeNotification(Grid.get()));
  }
  EXPECT_EQ(Grid->DrawStyle(), Style) << "back to the library default when its style goes";
}

TEST(GridPaint, WindowPaintMatchesDirectPaint)
{
  auto Grid = MakeDemo(500, 260);
  Grid->HandleNeeded();
  ASSERT_TRUE(Grid->HandleAllocated());
  Grid->SetBounds(0, 0, 500, 260);
  // The window is painted with its frame; inside it, the cells as painted
  // directly.
  TImageCanvas Window(Grid->Width(), Grid->Height(), clFuchsia);
  Grid->PaintTo(Window.Handle(), 0, 0);
  Window.SavePng(OutputPath(QStringLiteral("demo_window.png")));
  TImageCanvas Direct(Grid->ClientWidth(), Grid->ClientHeight(), clFuchsia);
  Grid->PaintInto(&Direct);
  const TPoint Client = Grid->ClientOrigin() - Grid->BoundsRect().TopLeft();
  EXPECT_EQ(Client, TPoint(2, 2)) << "the sunken edge";
  EXPECT_EQ(Window.Image().copy(Client.X, Client.Y, Grid->ClientWidth(), Grid->ClientHeight()), Direct.Image());
  EXPECT_TRUE(Grid->BufferedPaint());

  Grid->LockPaint();
  TImageCanvas Locked(Grid->ClientWidth(), Grid->ClientHeight(), clFuchsia);
  Grid->PaintInto(&Locked);
  EXPECT_EQ(Locked.Pixels(100, 100), clFuchsia) << "a locked grid paints nothing";
  Grid->UnlockPaint();
}

TEST(GridPaint, ScrolledFarDown)
{
  auto Grid = MakeDemo();
  Grid->SafeSetTopRow(9990);
  Painted P = Paint(*Grid, "demo_scrolled_end.png");
  EXPECT_TRUE(Grid->VertAxis()->InEndOfRol());
  EXPECT_EQ(Grid->VertAxis()->RolLastFullVisCel(), TDemoCellSource::DataRows - 1);
  EXPECT_EQ(Grid->TopRow() + Grid->VisibleRowCount() - 1, Grid->RowCount() - 1);
  EXPECT_GT(Grid->PaintedCols[2], 0);
}

TEST(GridStreaming, CellExtentsOnlyWhenAsked)
{
  RegisterGridLibFoundationClasses();
  auto Grid = std::make_unique<TCustomGridEh>(nullptr);
  Grid->SetName(QStringLiteral("Grid1"));
  Grid->SetColWidths(2, 77);
  Grid->SetRowHeights(3, 33);
  String Text = WriteComponentToText(Grid.get());
  EXPECT_FALSE(Text.contains(QStringLiteral("ColWidths"))) << Text.toStdString();
  EXPECT_FALSE(Text.contains(QStringLiteral("RowHeights")));

  Grid->SetSaveCellExtents(true);
  Text = WriteComponentToText(Grid.get());
  EXPECT_TRUE(Text.contains(QStringLiteral("ColWidths"))) << Text.toStdString();
  auto Copy = std::make_unique<TCustomGridEh>(nullptr);
  Copy->SetSaveCellExtents(true);
  ReadComponentFromText(Text, Copy.get());
  EXPECT_EQ(Copy->ColWidths(2), 77);
  EXPECT_EQ(Copy->RowHeights(3), 33);
  EXPECT_EQ(Copy->ColWidths(1), 50);
}

TEST(GridPaint, FocusedGridMarksItsCurrentCell)
{
  TForm Form(nullptr, 0);
  Form.SetBounds(0, 0, 640, 400);
  auto* Grid = new TDemoGridEh(&Form);
  Grid->SetParent(&Form);
  Grid->SetBounds(0, 0, 600, 300);
  Grid->SetOptions(Grid->Options() + TGridOptionsEh{goRowSelectEh});
  Grid->FocusCell(3, 5, true);
  Form.Show();
  Form.SetActiveControl(Grid);
  Grid->SetFocus();
  Application->ProcessMessages();
  ASSERT_TRUE(Grid->IsActiveControl());

  TImageCanvas Focused(600, 300, clFuchsia);
  Grid->PaintInto(&Focused);
  Focused.SavePng(OutputPath(QStringLiteral("demo_focused.png")));
  auto StateOf = [&](Integer C, Integer R) { return Grid->States[std::make_pair(C, R)]; };
  const TGridDrawState Current = StateOf(3, 5);
  EXPECT_TRUE(Current.Contains(gdSelected));
  EXPECT_TRUE(Current.Contains(gdCurrent));
  EXPECT_TRUE(Current.Contains(gdFocused));
  EXPECT_TRUE(StateOf(7, 5).Contains(gdRowSelected)) << "the whole current row";
  EXPECT_FALSE(StateOf(7, 6).Contains(gdRowSelected));
  const TRect Cell = Grid->CalcCellRect(3, 5);
  EXPECT_EQ(Focused.Pixels(Cell.Left + 2, Cell.Top + 2), ColorToRGB(clHighlight));

  // Without the focus the current cell is no longer focused.
  Form.SetActiveControl(nullptr);
  Form.Hide();
  Application->ProcessMessages();
  Grid->States.clear();
  TImageCanvas Unfocused(600, 300, clFuchsia);
  Grid->PaintInto(&Unfocused);
  EXPECT_FALSE(StateOf(3, 5).Contains(gdFocused));
  EXPECT_TRUE(StateOf(3, 5).Contains(gdCurrent));
}

TEST(GridPaint, CustomStyleColours)
{
  auto Grid = MakeDemo(400, 200);
  Grid->SetFixedColor(clRed);
  const String Before = TStyleManager::ActiveStyle()->Name();
  ASSERT_TRUE(TStyleManager::TrySetStyle(QStringLiteral("Windows"), false));
  Painted Plain = Paint(*Grid, "demo_style_windows.png");
  EXPECT_EQ(Plain.At(2, 42), clRed) << "the grid's own fixed colour";
  EXPECT_EQ(Grid->GridLineColors()->GetDarkColor(), Dark);

  String Custom;
  for (const String& Name : TStyleManager::StyleNames())
    if (Name != QStringLiteral("Windows")) {
      Custom = Name;
      break;
    }
  ASSERT_FALSE(Custom.isEmpty());
  ASSERT_TRUE(TStyleManager::TrySetStyle(Custom, false));
  Painted Styled = Paint(*Grid, "demo_style_custom.png");
  EXPECT_EQ(Styled.At(2, 42), ColorToRGB(clBtnFace)) << "the style's fixed-cell fill";
  EXPECT_EQ(Styled.At(206, 42), ColorToRGB(clWindow)) << "the style's cell fill";
  EXPECT_EQ(Grid->SelectionDrawParams()->GetActualSelectionStyle(), gsdsGridThemedEh);
  EXPECT_NE(Grid->GridLineColors()->GetDarkColor(), Dark);
  TStyleManager::TrySetStyle(Before, false);
}
