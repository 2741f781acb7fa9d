// AxisGridPlaceBoxTest.cpp: the layout of data cells of an axis grid over
// parts of the test server into a data area and in-cell buttons (edit
// buttons shown in every cell, cell buttons left and right), the buffer of
// the visible cells' boxes, hit testing at the strips' borders, hot
// tracking over buttons, text and images shown as links, data hints, the
// grid-line colour schemes and the border.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "tests/gridlib/axisgrid/AxisGridTestSupport.h"

#include <gtest/gtest.h>

#include "platform/gui/Themes.h"

#include <set>

using namespace axisgrid_test;

namespace {

constexpr Integer CellWidth = 200;
constexpr Integer CellHeight = 24;

// One fixed row of titles, the bars as columns after no fixed column; the
// columns named in Raised are drawn raised.
class TBoxAxisGridEh : public TTestAxisGridEh {
public:
  explicit TBoxAxisGridEh(TComponent* AOwner) : TTestAxisGridEh(AOwner)
  {
    HorzScrollBar()->SetVisibleMode(sbNeverShowEh);
    VertScrollBar()->SetVisibleMode(sbNeverShowEh);
    SetFixedColCount(0);
    SetFixedRowCount(1);
  }
  void Arrange(Integer Rows = 4)
  {
    SetColCount(AxisBars()->Count());
    SetRowCount(Rows);
    for (Integer I = 0; I < ColCount(); ++I)
      SetColWidths(I, CellWidth);
    for (Integer I = 0; I < RowCount(); ++I)
      SetRowHeights(I, CellHeight);
    SetBounds(0, 0, CellWidth * ColCount() + 4, CellHeight * RowCount() + 4);
    HandleNeeded();
  }
  bool IsCell3D(Integer ACol, Integer ARow, TGridDrawState State) override
  {
    return Raised.count(ACol) > 0 || TTestAxisGridEh::IsCell3D(ACol, ARow, State);
  }
  std::set<Integer> Raised;
  using TCustomDBAxisGridEh::FInplaceEditorButtonWidth;
};

// The rectangles of a box's children, left to right as "kind:left-right".
std::string Strips(TInCellPlaceBoxEh* Box)
{
  std::string S;
  for (Integer I = 0; I < Box->ChildCount(); ++I) {
    TInCellPlaceBoxEh* C = Box->ChildItem(I);
    const char* Kind = !C->Control() ? "data"
                     : dynamic_cast<TCellButtonEh*>(C->Control()) ? "cell"
                                                                  : "edit";
    S += (S.empty() ? "" : " ") + std::string(Kind) + ":" + std::to_string(C->AreaRect().Left) + "-" +
         std::to_string(C->AreaRect().Right);
  }
  return S;
}

class AxisGridPlaceBoxTest : public AxisGridFormTest {
protected:
  void MakeGrid(Integer BarCount = 1)
  {
    ReadForm(PartsForm("").c_str());
    delete Grid;
    Box = new TBoxAxisGridEh(Form);
    Box->SetParent(Form);
    Box->SetDataSource(Find<TDataSource>(Form, "PartsSource"));
    Box->AxisBars()->Clear();
    for (Integer I = 0; I < BarCount; ++I) {
      auto* Bar = static_cast<TTestAxisBarEh*>(Box->AxisBars()->Add());
      Bar->SetFieldName(QStringLiteral("s_name"));
      Bar->GivesTextArea = true;
    }
    Parts->Open();
    Box->Arrange();
  }
  TBoxAxisGridEh* Box = nullptr;
};

// ---------------------------------------------------------------------------
// The boxes themselves.

TEST(InCellPlaceBoxTest, ChildrenAreReusedAndHitTestedWithoutTheirFarEdges)
{
  TInCellPlaceBoxEh Box;
  TInCellPlaceBoxEh* A = Box.AddChild();
  TInCellPlaceBoxEh* B = Box.AddChild();
  A->SetCtrlClientRect(TRect(0, 0, 10, 20));
  B->SetCtrlClientRect(TRect(10, 0, 30, 20));
  TObject Inner;
  B->AddChild()->SetControl(&Inner);

  struct Probe {
    Integer X, Y;
    TInCellPlaceBoxEh* Expected;
  };
  for (const Probe& P : {Probe{0, 0, A}, Probe{9, 19, A}, Probe{10, 0, B}, Probe{29, 19, B}, Probe{30, 5, nullptr},
                         Probe{5, 20, nullptr}, Probe{-1, 5, nullptr}})
    EXPECT_EQ(Box.GetChildAtPos(P.X, P.Y), P.Expected) << P.X << "," << P.Y;
  EXPECT_EQ(Box.FindChildBoxByControl(&Inner), B->ChildItem(0)) << "searched depth first";

  Box.ClearChildList();
  EXPECT_EQ(Box.ChildCount(), 0);
  EXPECT_EQ(Box.GetChildAtPos(5, 5), nullptr);
  EXPECT_EQ(Box.FindChildBoxByControl(&Inner), nullptr);
  EXPECT_EQ(Box.AddChild(), A) << "the first child object comes back";
  EXPECT_EQ(Box.AddChild(), B);
  EXPECT_TRUE(B->CtrlClientRect().IsEmpty()) << "cleared for reuse";
  EXPECT_EQ(B->ChildCount(), 0);
  Box.ResetChildList();
  EXPECT_EQ(Box.ChildCount(), 0);
  EXPECT_NE(Box.AddChild(), nullptr);
}

// ---------------------------------------------------------------------------
// Layout of a cell.

TEST_F(AxisGridPlaceBoxTest, CellReadsLeftButtonsDataEditButtonsRightButtons)
{
  MakeGrid();
  TAxisBarEh* Bar = Box->AxisBars()->AxisBar(0);
  const Integer Scroll = GetSystemMetrics(SM_CXVSCROLL);
  const Integer FlatWidth = EditorsFlatButtonWidthEh();

  struct Case {
    const char* Name;
    bool Flat;
    bool Raised;
    Integer LeftWidth;    // -1: no left cell button
    bool EditButton;      // the main edit button shown in every cell
    Integer RightWidth;   // -1: no right cell button
    std::string Expected;
  };
  auto N = [](Integer V) { return std::to_string(V); };
  const Integer W = CellWidth - 1;   // without the vertical grid line
  // A flat grid drawn without themes widens its buttons.
  const bool Themes = TStyleManager::SystemThemesEnabled();
  TStyleManager::SetSystemThemesEnabled(false);
  const Integer ScrollEdit = Scroll;
  const std::vector<Case> Cases = {
    {"data only", false, false, -1, false, -1, "data:0-" + N(W)},
    {"all four", false, false, 16, true, 0,
     "data:16-" + N(W - ScrollEdit - Scroll) + " edit:" + N(W - ScrollEdit - Scroll) + "-" + N(W - Scroll) +
       " cell:0-16 cell:" + N(W - Scroll) + "-" + N(W)},
    {"flat widens set widths by two, default ones by one", true, false, 16, false, 0,
     "data:18-" + N(W - FlatWidth - 1) + " cell:0-18 cell:" + N(W - FlatWidth - 1) + "-" + N(W)},
    {"raised cell: data shrinks, left button at the edge", false, true, 16, false, -1,
     "data:17-" + N(W - 1) + " cell:0-16"},
    {"buttons wider than the cell: no negative data area", false, false, 150, false, 150,
     "data:150-150 cell:0-150 cell:150-300"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    Box->SetFlat(C.Flat);
    Box->FInplaceEditorButtonWidth = C.Flat ? FlatWidth : Scroll;
    Box->Raised.clear();
    if (C.Raised)
      Box->Raised.insert(0);
    Bar->CellButtons()->Clear();
    if (C.LeftWidth >= 0) {
      TCellButtonEh* B = Bar->CellButtons()->Add();
      B->SetHorzPlacement(ebhpLeftEh);
      B->SetWidth(C.LeftWidth);
    }
    if (C.RightWidth >= 0) {
      TCellButtonEh* B = Bar->CellButtons()->Add();
      B->SetHorzPlacement(ebhpRightEh);
      B->SetWidth(C.RightWidth);
    }
    Bar->SetAlwaysShowEditButton(C.EditButton);
    Bar->EditButton()->SetVisible(C.EditButton);
    Box->InvalidatePlaceBoxes();
    TInCellPlaceBoxEh* Cell = Box->GetCellPlaceBox(0, 1);
    ASSERT_NE(Cell, nullptr);
    EXPECT_EQ(Strips(Cell), C.Expected);
    if (C.Raised) {
      EXPECT_EQ(Cell->ChildItem(0)->AreaRect().Top, 1);
      EXPECT_EQ(Cell->ChildItem(0)->AreaRect().Bottom, CellHeight - 1 - 1);
    }
  }
  TStyleManager::SetSystemThemesEnabled(Themes);
}

TEST_F(AxisGridPlaceBoxTest, EveryVisibleCellHasItsBoxAndHiddenCellsNone)
{
  MakeGrid(3);
  Box->SetBounds(0, 0, CellWidth * 2, CellHeight * 3);
  Box->AxisBars()->AxisBar(1)->CellButtons()->Add()->SetWidth(20);
  Box->InvalidatePlaceBoxes();
  TInCellPlaceBoxEh* Visible = Box->GetCellPlaceBox(1, 1);
  ASSERT_NE(Visible, nullptr);
  EXPECT_EQ(Visible->ChildCount(), 2);
  EXPECT_EQ(Box->GetCellPlaceBox(0, 1)->ChildCount(), 1);
  EXPECT_EQ(Box->GetCellPlaceBox(0, 0)->ChildCount(), 0) << "title cells hold no data area";
  EXPECT_EQ(Box->GetCellPlaceBox(1, 3), nullptr) << "the row below the window";

  // Scrolled one column on, the first column's cells have no box, and do
  // not take the box of the cell now shown first.
  Box->SetLeftCol(1);
  EXPECT_EQ(Box->GetCellPlaceBox(0, 1), nullptr);
  ASSERT_NE(Box->GetCellPlaceBox(1, 1), nullptr);
  EXPECT_EQ(Box->GetCellPlaceBox(1, 1)->ChildCount(), 2);
  EXPECT_EQ(Box->GetCellPlaceBox(2, 1)->ChildCount(), 1);
}

TEST_F(AxisGridPlaceBoxTest, BufferCoordinatesOfFixedScrollingAndContraCells)
{
  MakeGrid(11);
  // One fixed column, ten scrolling columns of which 3 to 6 show, and one
  // contra column.
  Box->SetFixedColCount(1);
  Box->SetColCount(11);
  Box->SetContraColCount(1);
  for (Integer I = 0; I < Box->FullColCount(); ++I)
    Box->SetColWidths(I, 50);
  Box->SetBounds(0, 0, 50 * 6 + Box->Width() - Box->ClientWidth(), 100);
  Box->SetLeftCol(4);
  ASSERT_EQ(Box->HorzAxis()->RolStartVisCel(), 3);
  ASSERT_EQ(Box->HorzAxis()->RolLastVisCel(), 6);
  struct Case {
    Integer GridCol, BufferCol;
  };
  for (const Case& C : {Case{0, 0}, Case{4, 1}, Case{5, 2}, Case{7, 4}, Case{11, 5}})
    EXPECT_EQ(Box->CellPlaceBoxVisibleList()->GridToPlaceBoxArrayCoord(TGridCoord(C.GridCol, 1)).X, C.BufferCol)
      << "grid column " << C.GridCol;
}

// ---------------------------------------------------------------------------
// Hit testing and hot tracking.

TEST_F(AxisGridPlaceBoxTest, HitTestingFindsTheStripAtItsBorders)
{
  MakeGrid();
  TAxisBarEh* Bar = Box->AxisBars()->AxisBar(0);
  TCellButtonEh* Left = Bar->CellButtons()->Add();
  Left->SetHorzPlacement(ebhpLeftEh);
  Left->SetWidth(20);
  TCellButtonEh* Right = Bar->CellButtons()->Add();
  Right->SetWidth(30);
  Bar->SetInplaceEditorButtonHeight(CellHeight);
  Box->InvalidatePlaceBoxes();
  const Integer W = CellWidth - 1;

  struct Probe {
    Integer X;
    TObject* Control;   // nullptr: the data area
  };
  {
    const bool RightToLeft = Box->UseRightToLeftAlignment();
    for (const Probe& P : {Probe{0, Left}, Probe{19, Left}, Probe{20, nullptr}, Probe{W - 31, nullptr},
                           Probe{W - 30, Right}, Probe{W - 1, Right}}) {
      TInCellPlaceBoxEh* Child = Box->GetCellPlaceBoxChildAtPos(0, 1, P.X, 5, Bar);
      ASSERT_NE(Child, nullptr) << P.X;
      EXPECT_EQ(Child->Control(), P.Control) << P.X;

      // The mouse over the same strip on screen; mirrored right to left.
      const TRect R = Box->CalcCellRect(0, 1, true);
      const Integer ScreenX = RightToLeft ? R.Right - 1 - P.X : R.Left + P.X;
      Box->UpdateHotTrack(ScreenX, R.Top + 5);
      Box->UpdateHotTrack(ScreenX, R.Top + 5);
      ASSERT_NE(Box->HotTrackInCellControl(), nullptr) << P.X;
      EXPECT_EQ(Box->HotTrackInCellControl()->Control(), P.Control) << "screen x " << ScreenX;
    }
  }
  EXPECT_EQ(Box->GetCellPlaceBoxChildAtPos(0, 1, W, 5, Bar), nullptr) << "the grid line";
}

TEST_F(AxisGridPlaceBoxTest, TextAndImageBoundsOfTheHotCellMakeLinks)
{
  MakeGrid();
  TAxisBarEh* Bar = Box->AxisBars()->AxisBar(0);
  TImageList Images(Form);
  Images.SetWidth(16);
  Images.SetHeight(16);
  Bar->SetImageList(&Images);
  Bar->SetShowImageAndText(true);
  Bar->SetCellDataIsLink(true);
  Box->InvalidatePlaceBoxes();

  const TRect R = Box->CalcCellRect(0, 1, true);
  Box->UpdateHotTrack(R.Left + 100, R.Top + 5);
  ASSERT_EQ(Box->MouseCellTextBounds().size(), 2u) << "the image, then the text";
  const TRect Image = Box->MouseCellTextBounds()[0];
  const TRect Text = Box->MouseCellTextBounds()[1];
  EXPECT_EQ(Image, TRect(0, 0, 16, 16));
  EXPECT_GT(Text.Width(), 0);
  EXPECT_EQ(Text.Left, 16 + 5 + 2) << "left text: after the image strip, 2 pixels in";

  struct Step {
    TPoint InCell;
    Integer Index;
    bool OverData;
  };
  const Step Steps[] = {{TPoint(Text.Left + 1, Text.Top + 1), 1, true},
                        {TPoint(Image.Left + 1, Image.Top + 1), 0, false},
                        {TPoint(CellWidth - 5, CellHeight - 3), -1, false}};
  for (const Step& S : Steps) {
    Box->UpdateHotTrack(R.Left + S.InCell.X, R.Top + S.InCell.Y);
    EXPECT_EQ(Box->MousePointInCellTextBoundIndex(), S.Index) << S.InCell.X;
    EXPECT_EQ(Box->IsMouseOverCellDataLink(), S.OverData) << S.InCell.X;
    EXPECT_EQ(Box->IsMouseOverCellImageLink(), S.Index == 0 && Bar->GetCellImageIsLink()) << S.InCell.X;
  }
}

// ---------------------------------------------------------------------------
// Data hints.

TEST_F(AxisGridPlaceBoxTest, HintShowsCutTextAndButtonHints)
{
  MakeGrid();
  TAxisBarEh* Bar = Box->AxisBars()->AxisBar(0);
  TCellButtonEh* Button = Bar->CellButtons()->Add();
  Button->SetWidth(20);
  Button->SetHint(QStringLiteral("Подобрать"));
  Bar->SetInplaceEditorButtonHeight(CellHeight);
  Box->InvalidatePlaceBoxes();
  const TRect Cell = Box->CalcCellRect(0, 1, true);

  auto Hint = [&](TPoint At) {
    auto P = std::make_unique<TDBAxisGridDataHintParamsEh>();
    P->CursorRect = Cell;
    Box->DefaultFillDataHintShowInfo(At, TGridCoord(0, 1), Bar, P.get());
    return P;
  };

  // Over the button: the button's own hint over the button's rectangle.
  auto OnButton = Hint(TPoint(Cell.Right - 5, Cell.Top + 5));
  EXPECT_EQ(OnButton->HintStr, QStringLiteral("Подобрать"));
  EXPECT_EQ(OnButton->EditButtonControl, Button);
  EXPECT_EQ(OnButton->CursorRect, TRect(Cell.Right - 1 - 20, Cell.Top, Cell.Right - 1, Cell.Top + CellHeight - 1));

  // The short name fits: no hint; a long one is cut: the hint is the text.
  Parts->First();
  auto Short = Hint(TPoint(Cell.Left + 10, Cell.Top + 5));
  EXPECT_TRUE(Short->HintStr.isEmpty()) << Short->HintStr.toStdString();
  Parts->Edit();
  const String Long = QStringLiteral("Болт М8 оцинкованный с шестигранной головкой, класс прочности 8.8");
  Parts->FieldByName(QStringLiteral("s_name"))->SetAsString(Long);
  auto Cut = Hint(TPoint(Cell.Left + 10, Cell.Top + 5));
  EXPECT_EQ(Cut->HintStr, Long);
  EXPECT_EQ(Cut->HintPos.Y, Cell.Top - 1);
  Parts->Cancel();
}

TEST_F(AxisGridPlaceBoxTest, CheckBoxHintIsThePickListTextOfItsState)
{
  MakeGrid();
  TAxisBarEh* Bar = Box->AxisBars()->AxisBar(0);
  Bar->SetFieldName(QStringLiteral("b_done"));
  Parts->Close();
  Parts->Open();
  Bar->SetCheckboxes(true);
  // The field's own texts of true and false are the checked and unchecked keys.
  Parts->First();
  const String Yes = Parts->FieldByName(QStringLiteral("b_done"))->Text();
  Parts->Next();
  const String No = Parts->FieldByName(QStringLiteral("b_done"))->Text();
  Bar->KeyList()->SetText(Yes + QStringLiteral("\n") + No);
  const TRect Cell = Box->CalcCellRect(0, 1, true);
  struct Case {
    const char* PickList;
    Integer Record;
    const char* Expected;
  };
  // Records: 1 done (checked), 2 not done, 3 unknown (grayed).
  for (const Case& C : {Case{"Нет\nДа\nНе знаю", 1, "Да"}, Case{"Нет\nДа\nНе знаю", 2, "Нет"},
                        Case{"Нет\nДа\nНе знаю", 3, "Не знаю"}, Case{"Нет\nДа", 3, ""}}) {
    Bar->PickList()->SetText(QString::fromUtf8(C.PickList));
    Parts->First();
    Parts->MoveBy(C.Record - 1);
    TDBAxisGridDataHintParamsEh P;
    P.CursorRect = Cell;
    Box->DefaultFillDataHintShowInfo(TPoint(Cell.Left + 10, Cell.Top + 5), TGridCoord(0, 1), Bar, &P);
    EXPECT_EQ(P.HintStr, QString::fromUtf8(C.Expected)) << C.Record << " " << C.PickList;
  }
}

// ---------------------------------------------------------------------------
// Border.

TEST_F(AxisGridPlaceBoxTest, ExtendedBorderFollowsFlatnessColourAndEdges)
{
  MakeGrid();
  TControlBorderEh* B = Box->Border();
  struct Case {
    bool Flat, Ctl3D;
    TColor Color;
    TEdgeBorders Edges;
    bool Expected;
  };
  const TEdgeBorders All{ebLeft, ebTop, ebRight, ebBottom};
  const TEdgeBorders Three{ebLeft, ebRight, ebBottom};
  for (const Case& C : {Case{false, true, clRed, Three, false}, Case{true, false, clDefault, All, false},
                        Case{true, true, clDefault, All, true}, Case{true, false, clRed, All, true},
                        Case{true, false, clDefault, Three, true}}) {
    Box->SetFlat(C.Flat);
    Box->SetCtl3D(C.Ctl3D);
    B->SetColor(C.Color);
    B->SetEdgeBorders(C.Edges);
    EXPECT_EQ(B->DefaultExtendedDraw(), C.Expected);
    EXPECT_EQ(B->ExtendedDraw(), C.Expected) << "not stored: the default";
  }
  B->SetExtendedDraw(false);
  EXPECT_TRUE(B->ExtendedDrawStored());
  EXPECT_FALSE(B->ExtendedDraw());
  B->SetExtendedDrawStored(false);
  EXPECT_TRUE(B->ExtendedDraw());
}

} // namespace
