// AxisGridPaintTest.cpp: data cells of an axis grid over a table of the test
// server painted into images: text alignment, check boxes, selection with
// and without focus, and pictures from a bytea column (scaled, behind the
// old header, unreadable). Checked by pixel probes; one image is kept.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "tests/gridlib/axisgrid/AxisGridTestSupport.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <set>

using namespace axisgrid_test;

namespace {

String S(const char* Text)
{
  return QString::fromUtf8(Text);
}

constexpr Integer CellWidth = 120;
constexpr Integer CellHeight = 60;

// One row of cells: column N paints bar N of the record the dataset is on.
class TPaintAxisGridEh : public TTestAxisGridEh {
public:
  explicit TPaintAxisGridEh(TComponent* AOwner) : TTestAxisGridEh(AOwner)
  {
    HorzScrollBar()->SetVisibleMode(sbNeverShowEh);
    VertScrollBar()->SetVisibleMode(sbNeverShowEh);
    SetOptions(Options() - TGridOptionsEh{goVertLineEh, goHorzLineEh});
    SetFixedColCount(0);
    SetFixedRowCount(0);
  }
  void Arrange()
  {
    SetColCount(AxisBars()->Count());
    SetRowCount(1);
    for (Integer I = 0; I < ColCount(); ++I)
      SetColWidths(I, CellWidth);
    SetRowHeights(0, CellHeight);
    SetBounds(0, 0, CellWidth * ColCount(), CellHeight);
  }
  std::unique_ptr<TImageCanvas> PaintImage()
  {
    auto Image = std::make_unique<TImageCanvas>(Width(), Height(), clFuchsia);
    PaintWindow(Image->Handle());
    return Image;
  }
  std::set<Integer> BlankCols;
  std::set<Integer> RaisedCols;   // drawn raised, by the theme

protected:
  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State) override
  {
    TAxisBarEh* Bar = AxisBars()->AxisBar(ACol);
    TAxisColCellParamsEh* P = GetColCellParamsEh();
    Bar->FillColCellParams(P);
    P->SetState(RaisedCols.count(ACol) ? State + TGridDrawState{gdFixed} : State);
    P->SetDrawCellByThemes(RaisedCols.count(ACol) > 0);
    P->SetCellRect(ARect);
    P->SetBlankCell(BlankCols.count(ACol) > 0);
    Canvas()->Font()->Assign(P->Font());
    DefaultDrawDataCell({ACol, ARow}, {ACol, ARow}, Bar, ARect, P);
  }
};

QByteArray Png(Integer W, Integer H, QColor Color)
{
  QImage Image(W, H, QImage::Format_RGB32);
  Image.fill(Color);
  QByteArray Bytes;
  QBuffer Buffer(&Bytes);
  Buffer.open(QIODevice::WriteOnly);
  Image.save(&Buffer, "PNG");
  return Bytes;
}

// The old header: count 1, kind 0x0100, the length of what follows.
QByteArray WithHeader(const QByteArray& Bytes, quint32 Length)
{
  QByteArray Header("\x01\x00\x00\x01", 4);
  for (int I = 0; I < 4; ++I)
    Header.append(char((Length >> (8 * I)) & 0xFF));
  return Header + Bytes;
}

std::string Bytea(const QByteArray& Bytes)
{
  return "'\\x" + Bytes.toHex().toStdString() + "'::bytea";
}

void MakePaintTable()
{
  const QByteArray Red = Png(400, 100, Qt::red);
  const QByteArray Blue = Png(40, 20, Qt::blue);
  testsupport::OdbcSession Session;
  Session.Exec("drop table if exists ax_paint");
  Session.Exec("create table ax_paint (id int4 primary key, s_name text, b_done boolean, p_pict bytea)");
  Session.Exec("insert into ax_paint values"
               " (1, 'Вал', true, " + Bytea(Red) + "),"
               " (2, 'Шкив', false, " + Bytea(QByteArray("not a picture")) + "),"
               " (3, 'Ось', null, " + Bytea(WithHeader(Blue, quint32(Blue.size()))) + "),"
               " (4, 'Муфта', true, " + Bytea(WithHeader(Blue, quint32(Blue.size() + 1))) + "),"
               " (5, 'Втулка', false, null)");
}

// Text pixels: every channel low (a pure blue is not text).
bool IsDark(TColor C)
{
  const Cardinal V = Cardinal(C);
  return std::max({V & 0xFF, (V >> 8) & 0xFF, (V >> 16) & 0xFF}) < 120;
}

// The bounds of the pixels in Cell that Pick accepts (empty when none).
template <class Pick>
TRect PixelBounds(TImageCanvas& Image, const TRect& Cell, Pick Accept)
{
  TRect Found(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
  for (Integer Y = Cell.Top; Y < Cell.Bottom; ++Y)
    for (Integer X = Cell.Left; X < Cell.Right; ++X)
      if (Accept(Image.Pixels(X, Y))) {
        Found.Left = std::min(Found.Left, X);
        Found.Top = std::min(Found.Top, Y);
        Found.Right = std::max(Found.Right, X + 1);
        Found.Bottom = std::max(Found.Bottom, Y + 1);
      }
  return Found.Left == INT_MAX ? TRect() : Found;
}

TRect CellOf(Integer Col)
{
  return TRect(Col * CellWidth, 0, (Col + 1) * CellWidth, CellHeight);
}

class AxisGridPaintTest : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    RegisterTestClasses();
    MakePaintTable();
    Db = OpenTestConnection();
    Parts = std::make_unique<TADOQuery>(nullptr);
    Parts->SetConnection(Db.get());
    Parts->SQL()->SetText(S("select id, s_name, b_done, p_pict from ax_paint order by id"));
    Parts->Open();
    static_cast<TBlobField*>(Parts->FieldByName(S("p_pict")))->SetBlobType(ftGraphic);
    Source = std::make_unique<TDataSource>(nullptr);
    Source->SetDataSet(Parts.get());
    Form = new TForm(Application, 0);
    Form->SetBounds(0, 0, 600, 200);
    Grid = new TPaintAxisGridEh(Form);
    Grid->SetParent(Form);
    Grid->SetDrawGraphicData(true);
    Grid->SetDataSource(Source.get());
    for (const char* Name : {"s_name", "b_done", "p_pict"})
      Grid->AxisBars()->Add()->SetFieldName(S(Name));
    Grid->Bar(1)->SetCheckboxes(true);
    // Booleans may arrive as text "1"/"0" or as True/False.
    Grid->Bar(1)->KeyList()->SetText(S("1;True;true\n0;False;false"));
    Grid->Arrange();
  }
  void TearDown() override
  {
    delete Form;
    Source.reset();
    Parts.reset();
    GuiTest::TearDown();
  }
  void GoTo(Integer Id) { ASSERT_TRUE(Parts->Locate(S("id"), Variant(Id), {})); }
  // The current cell in the picture column, so the text cell is not selected.
  void SelectPictureCell() { Grid->SetCol(2); }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOQuery> Parts;
  std::unique_ptr<TDataSource> Source;
  TForm* Form = nullptr;
  TPaintAxisGridEh* Grid = nullptr;
};

TEST_F(AxisGridPaintTest, TextFollowsTheBarAlignment)
{
  GoTo(1);
  SelectPictureCell();
  const TRect Cell = CellOf(0);
  const struct {
    TAlignment Alignment;
    const char* Name;
  } Cases[] = {{taLeftJustify, "left"}, {taRightJustify, "right"}, {taCenter, "centre"}};
  for (const auto& Case : Cases) {
    Grid->Bar(0)->SetAlignment(Case.Alignment);
    auto Image = Grid->PaintImage();
    const TRect Text = PixelBounds(*Image, Cell, IsDark);
    ASSERT_FALSE(Text.IsEmpty()) << Case.Name;
    EXPECT_EQ(Image->Pixels(Cell.Left + 1, Cell.Bottom - 2), ColorToRGB(clWindow)) << Case.Name;
    switch (Case.Alignment) {
    case taLeftJustify:
      EXPECT_LT(Text.Left, Cell.Left + 8) << Case.Name;
      EXPECT_LT(Text.Right, Cell.Left + Cell.Width() / 2) << Case.Name;
      break;
    case taRightJustify:
      EXPECT_GT(Text.Right, Cell.Right - 8) << Case.Name;
      EXPECT_GT(Text.Left, Cell.Left + Cell.Width() / 2) << Case.Name;
      break;
    case taCenter:
      EXPECT_NEAR((Text.Left + Text.Right) / 2, (Cell.Left + Cell.Right) / 2, 3) << Case.Name;
      break;
    }
  }
}

TEST_F(AxisGridPaintTest, CheckBoxIsCentredAndShowsItsState)
{
  SelectPictureCell();
  const TRect Cell = CellOf(1);
  const TSize Glyph = CheckBoxGlyphSizeEh();
  auto NotWindow = [](TColor C) { return C != ColorToRGB(clWindow); };
  std::map<Integer, Integer> DarkCount;
  const std::pair<Integer, TCheckBoxState> States[] = {{1, cbChecked}, {2, cbUnchecked}, {3, cbGrayed}};
  for (auto [Id, State] : States) {
    GoTo(Id);
    ASSERT_EQ(Grid->Bar(1)->CheckboxState(), State) << Id;
    auto Image = Grid->PaintImage();
    const TRect Box = PixelBounds(*Image, Cell, NotWindow);
    ASSERT_FALSE(Box.IsEmpty()) << Id;
    EXPECT_NEAR((Box.Left + Box.Right) / 2, (Cell.Left + Cell.Right) / 2, 2) << Id;
    EXPECT_NEAR((Box.Top + Box.Bottom) / 2, (Cell.Top + Cell.Bottom) / 2, 2) << Id;
    EXPECT_LE(Box.Width(), Glyph.cx) << Id;
    EXPECT_LE(Box.Height(), Glyph.cy) << Id;
    const TRect Inside(Box.Left + 2, Box.Top + 2, Box.Right - 2, Box.Bottom - 2);
    Integer N = 0;
    for (Integer Y = Inside.Top; Y < Inside.Bottom; ++Y)
      for (Integer X = Inside.Left; X < Inside.Right; ++X)
        N += IsDark(Image->Pixels(X, Y)) ? 1 : 0;
    DarkCount[Id] = N;
  }
  EXPECT_GT(DarkCount[1], DarkCount[2]) << "a checked box shows its mark";
  EXPECT_NE(DarkCount[3], DarkCount[2]) << "a grayed box differs from an empty one";

  // A column narrower than the glyph: the box spans the whole cell width.
  GoTo(1);
  Grid->SetColWidths(1, Glyph.cx - 4);
  auto Image = Grid->PaintImage();
  const TRect Narrow(CellWidth, 0, CellWidth + Glyph.cx - 4, CellHeight);
  const TRect Box = PixelBounds(*Image, Narrow, NotWindow);
  EXPECT_EQ(Box.Left, Narrow.Left);
  EXPECT_EQ(Box.Right, Narrow.Right);
}

TEST_F(AxisGridPaintTest, SelectedCellIsHighlightedOnlyWithFocus)
{
  GoTo(1);
  Grid->SetCol(0);
  const TPoint Probe(CellOf(0).Left + 2, CellOf(0).Bottom - 3);

  auto Unfocused = Grid->PaintImage();
  EXPECT_EQ(Unfocused->Pixels(Probe.X, Probe.Y), ColorToRGB(clWindow)) << "no focus: no highlight";

  Form->Show();
  Application->ProcessMessages();
  Grid->SetFocus();
  Application->ProcessMessages();
  ASSERT_TRUE(Grid->Focused());
  auto Focused = Grid->PaintImage();
  EXPECT_EQ(Focused->Pixels(Probe.X, Probe.Y), ColorToRGB(clHighlight));
  EXPECT_EQ(Focused->Pixels(CellOf(1).Left + 2, Probe.Y), ColorToRGB(clWindow)) << "other cells keep their fill";
  Focused->SavePng(gui_test::OutputPath(QStringLiteral("axisgrid_paint_focused.png")));

  // The classic selection: the selection colours with the highlight text;
  // the themed one keeps the text colour on its own fill.
  const TRect Inner(CellOf(0).Left + 3, 3, CellOf(0).Right - 3, CellHeight - 3);   // inside the focus frame
  for (bool Classic : {true, false}) {
    Grid->SelectionDrawParams()->SetSelectionStyle(Classic ? gsdsClassicEh : gsdsGridThemedEh);
    auto Image = Grid->PaintImage();
    EXPECT_EQ(Image->Pixels(Probe.X, Probe.Y), ColorToRGB(clHighlight)) << Classic;
    EXPECT_EQ(PixelBounds(*Image, Inner, IsDark).IsEmpty(), Classic) << Classic;
  }

  // The current cell's colour suppressed.
  Grid->ColCellParamsEh()->SetSuppressActiveCellColor(true);
  auto Suppressed = Grid->PaintImage();
  EXPECT_EQ(Suppressed->Pixels(Probe.X, Probe.Y), ColorToRGB(clWindow));
}

TEST_F(AxisGridPaintTest, PicturesAreScaledIntoTheCellOrShowWhyNot)
{
  Grid->SetCol(0);
  const TRect Cell = CellOf(2);
  const auto IsRed = [](TColor C) { return C == RGBEh(255, 0, 0); };
  const auto IsBlue = [](TColor C) { return C == RGBEh(0, 0, 255); };

  // 400 x 100 in a 120 x 60 cell: 120 x 30, centred vertically.
  GoTo(1);
  auto Image = Grid->PaintImage();
  Image->SavePng(gui_test::OutputPath(QStringLiteral("axisgrid_paint_picture.png")));
  EXPECT_EQ(PixelBounds(*Image, Cell, IsRed), TRect(Cell.Left, Cell.Top + 15, Cell.Right, Cell.Top + 45));

  // 40 x 20 behind the old header: drawn at its size, centred.
  GoTo(3);
  Image = Grid->PaintImage();
  EXPECT_EQ(PixelBounds(*Image, Cell, IsBlue), TRect(Cell.Left + 40, Cell.Top + 20, Cell.Left + 80, Cell.Top + 40));

  // Unreadable bytes, and a header whose length does not match, show the
  // error text instead of a picture.
  for (Integer Id : {2, 4}) {
    GoTo(Id);
    Image = Grid->PaintImage();
    EXPECT_TRUE(PixelBounds(*Image, Cell, IsBlue).IsEmpty()) << Id;
    const TRect Text = PixelBounds(*Image, Cell, IsDark);
    ASSERT_FALSE(Text.IsEmpty()) << Id;
    EXPECT_NEAR((Text.Top + Text.Bottom) / 2, (Cell.Top + Cell.Bottom) / 2, 3) << Id;
    try {
      Grid->LoadBarPicture(Grid->Bar(2));
      ADD_FAILURE() << Id << ": unreadable bytes load";
    } catch (const EInvalidGraphic&) {
    }
  }

  // No picture: the cell is only filled.
  GoTo(5);
  Image = Grid->PaintImage();
  EXPECT_EQ(PixelBounds(*Image, Cell, [](TColor C) { return C != ColorToRGB(clWindow); }), TRect());
}

TEST_F(AxisGridPaintTest, PictureColumnWithoutGraphicDataShowsTheFieldText)
{
  GoTo(1);
  Grid->SetCol(0);
  Grid->SetDrawGraphicData(false);
  auto Image = Grid->PaintImage();
  const TRect Cell = CellOf(2);
  EXPECT_TRUE(PixelBounds(*Image, Cell, [](TColor C) { return C == RGBEh(255, 0, 0); }).IsEmpty());
}

} // namespace

namespace {

// Two 16 x 16 images: green and blue.
TImageList* TwoImages(TComponent* Owner)
{
  auto* Images = new TImageList(Owner);
  Images->SetWidth(16);
  Images->SetHeight(16);
  for (TColor Color : {RGBEh(0, 255, 0), RGBEh(0, 0, 255)}) {
    TBitmap Bitmap(16, 16);
    Bitmap.Canvas()->Brush()->SetColor(Color);
    Bitmap.Canvas()->FillRect(TRect(0, 0, 16, 16));
    Images->Add(&Bitmap, nullptr);
  }
  return Images;
}

TEST_F(AxisGridPaintTest, ImageListCellsShowTheImageOfTheValue)
{
  TAxisBarEh* Bar = Grid->Bar(0);
  Bar->SetImageList(TwoImages(Form));
  Bar->KeyList()->SetText(S("Вал\nШкив"));
  ASSERT_EQ(Bar->GetBarType(), ctKeyImageList);
  SelectPictureCell();
  const TRect Cell = CellOf(0);
  const struct {
    Integer Id;
    TColor Color;
  } Cases[] = {{1, RGBEh(0, 255, 0)}, {2, RGBEh(0, 0, 255)}};
  for (const auto& Case : Cases) {
    GoTo(Case.Id);
    auto Image = Grid->PaintImage();
    const TRect Found = PixelBounds(*Image, Cell, [&](TColor C) { return C == Case.Color; });
    EXPECT_EQ(Found.Width(), 16) << Case.Id;
    EXPECT_EQ(Found.Height(), 16) << Case.Id;
    EXPECT_NEAR((Found.Left + Found.Right) / 2, (Cell.Left + Cell.Right) / 2, 1) << Case.Id;
    EXPECT_NEAR((Found.Top + Found.Bottom) / 2, (Cell.Top + Cell.Bottom) / 2, 1) << Case.Id;
    EXPECT_TRUE(PixelBounds(*Image, Cell, IsDark).IsEmpty()) << Case.Id << ": no text";
  }

  // Image beside the text: the image at the left, the text behind it.
  Bar->SetShowImageAndText(true);
  Bar->PickList()->SetText(S("Вал\nШкив"));
  GoTo(2);
  auto Image = Grid->PaintImage();
  const TRect Found = PixelBounds(*Image, Cell, [](TColor C) { return C == RGBEh(0, 0, 255); });
  EXPECT_EQ(Found.Left, Cell.Left + 2);
  const TRect Text = PixelBounds(*Image, Cell, IsDark);
  ASSERT_FALSE(Text.IsEmpty());
  EXPECT_GT(Text.Left, Cell.Left + 16 + 4);
}

// A blank cell is painted like a raised cell in the fixed colour, with its
// frame; a cell of the data keeps the window colour.
TEST_F(AxisGridPaintTest, BlankCellsAreRaisedInTheFixedColour)
{
  Grid->BlankCols = {0};
  const TColor Fixed = RGBEh(200, 220, 240);
  Grid->SetFixedColor(Fixed);
  Grid->SetCol(1);
  GoTo(1);
  const TRect Cell = CellOf(0);
  const TPoint Middle(Cell.Left + Cell.Width() / 2, Cell.Top + Cell.Height() / 2);
  // Flat: a plain fill in the fixed colour; otherwise the themed raised look.
  for (bool Flat : {true, false}) {
    Grid->SetFlat(Flat);
    auto Image = Grid->PaintImage();
    if (Flat) {
      EXPECT_EQ(Image->Pixels(Middle.X, Middle.Y), Fixed);
      EXPECT_NE(Image->Pixels(Cell.Left + 10, Cell.Top), Fixed) << "the raised top edge";
    } else
      EXPECT_NE(Image->Pixels(Middle.X, Middle.Y), ColorToRGB(clWindow));
    EXPECT_TRUE(PixelBounds(*Image, TRect(Cell.Left + 3, Cell.Top + 3, Cell.Right - 3, Cell.Bottom - 3), IsDark)
                  .IsEmpty())
      << Flat << ": a blank cell shows no text";
    EXPECT_EQ(Image->Pixels(CellOf(1).Left + 2, Cell.Bottom - 3), ColorToRGB(clWindow)) << Flat;
  }
}

} // namespace

namespace {

TEST_F(AxisGridPaintTest, CellRectanglesLeaveOutTheGridLinesOnRequest)
{
  const struct {
    TGridOptionsEh Lines;
    Integer LessWidth, LessHeight;
  } Cases[] = {{{}, 0, 0}, {{goVertLineEh}, 1, 0}, {{goHorzLineEh}, 0, 1}, {{goVertLineEh, goHorzLineEh}, 1, 1}};
  for (const auto& Case : Cases) {
    Grid->SetOptions(Grid->Options() - TGridOptionsEh{goVertLineEh, goHorzLineEh} + Case.Lines);
    const TRect With = Grid->CellRect(1, 0, true);
    const TRect Without = Grid->CellRect(1, 0, false);
    EXPECT_EQ(With, Grid->BoxRect(1, 0, 1, 0));
    EXPECT_EQ(Without.Width(), With.Width() - Case.LessWidth) << Case.LessWidth << Case.LessHeight;
    EXPECT_EQ(Without.Height(), With.Height() - Case.LessHeight) << Case.LessWidth << Case.LessHeight;
    EXPECT_EQ(Without.TopLeft(), With.TopLeft());
    EXPECT_EQ(Grid->CellRectAbs(1, 0, false).Width(), Without.Width());
  }

  // Without a custom style there are no style colours.
  TColor Fill = clRed, Text = clRed, From = clRed, To = clRed;
  Grid->GetCustomStyleCellColors(Fill, Text, From, To, 3, false, false);
  EXPECT_EQ((std::vector<TColor>{Fill, Text, From, To}), (std::vector<TColor>(4, clNone)));
}

} // namespace

namespace {

// A raised data cell takes the themed raised fill; selected, it is filled
// plainly in the selection colour instead.
TEST_F(AxisGridPaintTest, RaisedCellsAreFilledByThemeUnlessSelected)
{
  Grid->RaisedCols = {0};
  GoTo(1);
  Form->Show();
  Application->ProcessMessages();
  Grid->SetFocus();
  Application->ProcessMessages();
  const TPoint Middle(CellOf(0).Left + CellOf(0).Width() / 2, CellOf(0).Bottom - 4);
  const struct {
    Integer CurrentCol;
    bool Selected;
  } Cases[] = {{2, false}, {0, true}};
  for (const auto& Case : Cases) {
    Grid->SetCol(Case.CurrentCol);
    auto Image = Grid->PaintImage();
    const TColor At = Image->Pixels(Middle.X, Middle.Y);
    if (Case.Selected)
      EXPECT_EQ(At, ColorToRGB(clHighlight));
    else {
      EXPECT_NE(At, ColorToRGB(clWindow));
      EXPECT_NE(At, ColorToRGB(clHighlight));
    }
    EXPECT_FALSE(PixelBounds(*Image, CellOf(0), IsDark).IsEmpty()) << Case.Selected << ": the text stays";
  }
}

} // namespace
