// GraphicsTest.cpp: canvas pixel rules, text output and metrics, regions and
// clipping, drawn into images and checked pixel by pixel.
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Printers.h"
#include "platform/gui/Themes.h"
#include "platform/gui/Windows.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Colours of the image behind a canvas, as the original integer values
// (read from the image, so that a clip region does not hide them).
TColor At(TImageCanvas& C, int X, int Y)
{
  const QColor Q = C.Image().pixelColor(X, Y);
  return TColor(RGB(Byte(Q.red()), Byte(Q.green()), Byte(Q.blue())));
}

bool IsDark(TColor C)
{
  const int Sum = GetRValue(COLORREF(C)) + GetGValue(COLORREF(C)) + GetBValue(COLORREF(C));
  return Sum < 3 * 160;
}

// The columns that hold any dark pixel inside R (text ink).
std::pair<int, int> InkColumns(TImageCanvas& C, const TRect& R)
{
  int First = -1, Last = -1;
  for (int X = R.Left; X < R.Right; ++X)
    for (int Y = R.Top; Y < R.Bottom; ++Y)
      if (IsDark(At(C, X, Y))) {
        if (First < 0)
          First = X;
        Last = X;
        break;
      }
  return {First, Last};
}

std::pair<int, int> InkRows(TImageCanvas& C, const TRect& R)
{
  int First = -1, Last = -1;
  for (int Y = R.Top; Y < R.Bottom; ++Y)
    for (int X = R.Left; X < R.Right; ++X)
      if (IsDark(At(C, X, Y))) {
        if (First < 0)
          First = Y;
        Last = Y;
        break;
      }
  return {First, Last};
}

} // namespace

TEST(Types, RectangleRoutines)
{
  struct Case { TRect A, B, Inter; bool Overlap; TRect Union; };
  const Case Cases[] = {
    {Rect(0, 0, 10, 10), Rect(5, 5, 15, 15), Rect(5, 5, 10, 10), true, Rect(0, 0, 15, 15)},
    {Rect(0, 0, 10, 10), Rect(10, 0, 20, 10), Rect(0, 0, 0, 0), false, Rect(0, 0, 20, 10)},
    {Rect(0, 0, 0, 10), Rect(2, 2, 4, 4), Rect(0, 0, 0, 0), false, Rect(2, 2, 4, 4)},
  };
  for (const Case& C : Cases) {
    TRect I, U;
    EXPECT_EQ(IntersectRect(I, C.A, C.B), C.Overlap);
    EXPECT_EQ(I, C.Inter);
    UnionRect(U, C.A, C.B);
    EXPECT_EQ(U, C.Union);
  }
  // Right and Bottom lie outside the rectangle.
  EXPECT_TRUE(PtInRect(Rect(0, 0, 10, 10), Point(9, 9)));
  EXPECT_FALSE(PtInRect(Rect(0, 0, 10, 10), Point(10, 5)));
  EXPECT_TRUE(IsRectEmpty(Rect(5, 0, 5, 10)));
  EXPECT_TRUE(IsRectEmpty(Rect(6, 0, 5, 10)));
  EXPECT_EQ(Bounds(3, 4, 10, 20), Rect(3, 4, 13, 24));
  EXPECT_EQ(MulDiv(8, 96, 72), 11);
  EXPECT_EQ(MulDiv(-11, 72, 96), -8);
}

TEST(Graphics, ColoursAreOriginalIntegersAndSystemColoursFollowTheStyle)
{
  EXPECT_EQ(clRed, 0x0000FF);
  EXPECT_EQ(RGB(255, 0, 0), COLORREF(clRed));
  EXPECT_EQ(StringToColor(QStringLiteral("clNavy")), clNavy);
  EXPECT_EQ(StringToColor(QStringLiteral("$00C0DCC0")), clMoneyGreen);
  EXPECT_EQ(StringToColor(QStringLiteral("12639424")), TColor(12639424));
  EXPECT_EQ(ColorToString(clBtnFace), QStringLiteral("clBtnFace"));
  EXPECT_EQ(ColorToString(0x123456), QStringLiteral("$00123456"));
  EXPECT_THROW(StringToColor(QStringLiteral("clNoSuchColour")), EConvertError);

  ASSERT_TRUE(TStyleManager::TrySetStyle(QStringLiteral("Windows"), false));
  EXPECT_EQ(ColorToRGB(clBtnFace), TColor(0xF0F0F0));
  EXPECT_EQ(ColorToRGB(clWindow), TColor(0xFFFFFF));
  EXPECT_EQ(ColorToRGB(clRed), clRed);
  EXPECT_FALSE(TStyleManager::IsCustomStyleActive());
  ASSERT_TRUE(TStyleManager::TrySetStyle(QStringLiteral("Graphite"), false));
  EXPECT_TRUE(TStyleManager::IsCustomStyleActive());
  EXPECT_NE(ColorToRGB(clBtnFace), TColor(0xF0F0F0));
  EXPECT_TRUE(IsDark(ColorToRGB(clWindow)));
  // An unknown name keeps the current style.
  EXPECT_FALSE(TStyleManager::TrySetStyle(QStringLiteral("No Such Style"), false));
  EXPECT_EQ(TStyleManager::ActiveStyle()->Name(), QStringLiteral("Graphite"));
  ASSERT_TRUE(TStyleManager::TrySetStyle(QStringLiteral("Windows"), false));
  EXPECT_TRUE(TStyleManager::StyleNames().contains(QStringLiteral("Windows")));
}

TEST(Graphics, FontSizeIsPointsAt96PixelsPerInch)
{
  TFont F;
  EXPECT_EQ(F.Height(), -11);
  EXPECT_EQ(F.Size(), 8);
  F.SetSize(10);
  EXPECT_EQ(F.Height(), -13);
  F.SetHeight(-16);
  EXPECT_EQ(F.Size(), 12);
  int Changes = 0;
  F.OnChange = [&](TObject*) { ++Changes; };
  F.SetHeight(-16);   // unchanged: no notice
  F.SetStyle({fsBold});
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(SubstituteFontFamily(QStringLiteral("Tahoma")), QStringLiteral("Liberation Sans"));
  EXPECT_EQ(SubstituteFontFamily(QStringLiteral("Times New Roman")), QStringLiteral("Liberation Serif"));
}

TEST(Canvas, LinesLeaveOutTheirEndPoint)
{
  TImageCanvas C(20, 20);
  C.Pen()->SetColor(clBlack);
  C.MoveTo(2, 5);
  C.LineTo(10, 5);
  for (int X = 2; X < 10; ++X)
    EXPECT_EQ(At(C, X, 5), clBlack) << X;
  EXPECT_EQ(At(C, 10, 5), clWhite);
  EXPECT_EQ(At(C, 1, 5), clWhite);
  EXPECT_EQ(C.PenPos(), Point(10, 5));
  C.MoveTo(15, 2);
  C.LineTo(15, 12);
  EXPECT_EQ(At(C, 15, 11), clBlack);
  EXPECT_EQ(At(C, 15, 12), clWhite);
  // A polyline draws every corner but its last point.
  C.Pen()->SetColor(clRed);
  C.Polyline({Point(0, 15), Point(5, 15), Point(5, 19)});
  EXPECT_EQ(At(C, 0, 15), clRed);
  EXPECT_EQ(At(C, 5, 15), clRed);
  EXPECT_EQ(At(C, 5, 18), clRed);
  EXPECT_EQ(At(C, 5, 19), clWhite);
}

TEST(Canvas, ShapesCoverLeftToRightMinusOne)
{
  TImageCanvas C(20, 20);
  C.Brush()->SetColor(clRed);
  C.FillRect(Rect(0, 0, 4, 4));
  EXPECT_EQ(At(C, 3, 3), clRed);
  EXPECT_EQ(At(C, 4, 3), clWhite);
  EXPECT_EQ(At(C, 3, 4), clWhite);

  C.Pen()->SetColor(clBlack);
  C.Brush()->SetColor(clLime);
  C.Rectangle(6, 6, 12, 12);
  EXPECT_EQ(At(C, 6, 6), clBlack);
  EXPECT_EQ(At(C, 11, 11), clBlack);
  EXPECT_EQ(At(C, 11, 8), clBlack);
  EXPECT_EQ(At(C, 12, 12), clWhite);
  EXPECT_EQ(At(C, 7, 7), clLime);
  EXPECT_EQ(At(C, 10, 10), clLime);

  C.Brush()->SetColor(clBlue);
  C.FrameRect(Rect(14, 14, 20, 20));
  EXPECT_EQ(At(C, 14, 14), clBlue);
  EXPECT_EQ(At(C, 19, 19), clBlue);
  EXPECT_EQ(At(C, 16, 16), clWhite);

  C.SetPixels(1, 10, clFuchsia);
  EXPECT_EQ(At(C, 1, 10), clFuchsia);
}

TEST(Canvas, OnePixelGridOfLines)
{
  const int Cell = 10, Cells = 5;
  TImageCanvas C(Cell * Cells, Cell * Cells);
  C.Pen()->SetColor(clSilver);
  // Each cell draws its right and bottom border as one polyline, as a grid does.
  for (int Row = 0; Row < Cells; ++Row)
    for (int Col = 0; Col < Cells; ++Col) {
      const TRect R = Bounds(Col * Cell, Row * Cell, Cell, Cell);
      C.Polyline({Point(R.Right - 1, R.Top), Point(R.Right - 1, R.Bottom - 1), Point(R.Left - 1, R.Bottom - 1)});
    }
  for (int Row = 0; Row < Cells; ++Row)
    for (int Col = 0; Col < Cells; ++Col) {
      SCOPED_TRACE(testing::Message() << Col << ":" << Row);
      const TRect R = Bounds(Col * Cell, Row * Cell, Cell, Cell);
      EXPECT_EQ(At(C, R.Right - 1, R.Top), clSilver);
      EXPECT_EQ(At(C, R.Right - 1, R.Bottom - 1), clSilver);
      EXPECT_EQ(At(C, R.Left, R.Bottom - 1), clSilver);
      EXPECT_EQ(At(C, R.Left + 4, R.Top + 4), clWhite);
      EXPECT_EQ(At(C, R.Right - 2, R.Bottom - 2), clWhite);
    }
}

TEST(Canvas, ClipRegionLimitsDrawing)
{
  TImageCanvas C(40, 40);
  HRGN Rgn = CreateRectRgn(5, 5, 15, 15);
  HRGN Other = CreateEllipticRgn(20, 20, 40, 40);
  EXPECT_EQ(CombineRgn(Rgn, Rgn, Other, RGN_OR), COMPLEXREGION);
  SelectClipRgn(C.Handle(), Rgn);
  EXPECT_EQ(C.ClipRect(), Rect(5, 5, 40, 40));
  C.Brush()->SetColor(clRed);
  C.FillRect(Rect(0, 0, 40, 40));
  EXPECT_EQ(At(C, 5, 5), clRed);
  EXPECT_EQ(At(C, 14, 14), clRed);
  EXPECT_EQ(At(C, 15, 15), clWhite);
  EXPECT_EQ(At(C, 30, 30), clRed);   // inside the ellipse
  EXPECT_EQ(At(C, 21, 21), clWhite); // its corner is outside
  EXPECT_TRUE(RectVisible(C.Handle(), Rect(0, 0, 6, 6)));
  EXPECT_FALSE(RectVisible(C.Handle(), Rect(0, 0, 5, 5)));
  // Narrowing and excluding.
  IntersectClipRect(C.Handle(), 0, 0, 10, 40);
  ExcludeClipRect(C.Handle(), 5, 5, 7, 7);
  C.Brush()->SetColor(clBlue);
  C.FillRect(Rect(0, 0, 40, 40));
  EXPECT_EQ(At(C, 6, 6), clRed);
  EXPECT_EQ(At(C, 8, 8), clBlue);
  EXPECT_EQ(At(C, 12, 12), clRed);
  HRGN Got = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(C.Handle(), Got), 1);
  EXPECT_TRUE(PtInRegion(Got, 8, 8));
  EXPECT_FALSE(PtInRegion(Got, 12, 12));
  SelectClipRgn(C.Handle(), nullptr);
  EXPECT_EQ(GetClipRgn(C.Handle(), Got), 0);
  DeleteObject(Got);
  DeleteObject(Other);
  DeleteObject(Rgn);
}

TEST(Canvas, SaveAndRestoreKeepsClipAndMapping)
{
  TImageCanvas C(40, 40);
  HDC DC = C.Handle();
  const int Saved = SaveDC(DC);
  IntersectClipRect(DC, 0, 0, 10, 10);
  SetWindowOrgEx(DC, -20, -20);
  C.Brush()->SetColor(clRed);
  C.FillRect(Rect(-20, -20, 0, 0));   // logical, moved by the window origin
  EXPECT_EQ(At(C, 5, 5), clRed);
  RestoreDC(DC, Saved);
  C.Brush()->SetColor(clBlue);
  C.FillRect(Rect(30, 30, 40, 40));
  EXPECT_EQ(At(C, 35, 35), clBlue);
  TPoint P[1] = {Point(3, 4)};
  SetMapMode(DC, MM_ANISOTROPIC);
  SetWindowExtEx(DC, 10, 10);
  SetViewportExtEx(DC, 20, 20);
  LPtoDP(DC, P, 1);
  EXPECT_EQ(P[0], Point(6, 8));
}

TEST(Text, MetricsAndExtents)
{
  TImageCanvas C(10, 10);
  C.Font()->SetName(QStringLiteral("Tahoma"));
  C.Font()->SetSize(8);
  TEXTMETRIC Small;
  C.TextHeight(QStringLiteral("A"));   // selects the font
  ASSERT_TRUE(GetTextMetrics(C.Handle(), Small));
  EXPECT_EQ(Small.tmHeight, Small.tmAscent + Small.tmDescent);
  EXPECT_GE(Small.tmHeight, 11);
  EXPECT_GE(Small.tmInternalLeading, 0);
  EXPECT_GT(Small.tmAveCharWidth, 0);
  C.Font()->SetSize(16);
  C.TextHeight(QStringLiteral("A"));
  TEXTMETRIC Big;
  GetTextMetrics(C.Handle(), Big);
  EXPECT_GT(Big.tmHeight, Small.tmHeight + 8);

  const String S = QStringLiteral("Склад сырья");
  std::vector<Integer> Dx;
  TSize Size;
  Integer Fit = 0;
  ASSERT_TRUE(GetTextExtentExPoint(C.Handle(), S, -1, 40, &Fit, &Dx, Size));
  ASSERT_EQ(Dx.size(), std::size_t(S.size()));
  for (std::size_t I = 1; I < Dx.size(); ++I)
    EXPECT_GE(Dx[I], Dx[I - 1]);
  EXPECT_NEAR(Dx.back(), Size.cx, 1);
  EXPECT_EQ(Size.cx, C.TextWidth(S));
  EXPECT_EQ(Size.cy, Big.tmHeight);
  EXPECT_GT(Fit, 0);
  EXPECT_LT(Fit, S.size());
  EXPECT_LE(Dx[std::size_t(Fit - 1)], 40);
  EXPECT_GT(Dx[std::size_t(Fit)], 40);
}

// A text's extent alone is measured without laying out a line; it must stay
// what the laid-out line gives, for each font and whatever the text.
TEST(Text, ExtentWithoutPositionsMatchesTheLaidOutLine)
{
  struct FontCase { const char* Name; Integer Size; TFontStyles Style; };
  const FontCase Fonts[] = {{"Tahoma", 8, {}}, {"Times New Roman", 12, {fsBold}}, {"Courier New", 10, {fsItalic}}};
  const QString Long = QStringLiteral("Накладная на отпуск материалов на сторону, форма М-15 ").repeated(12);
  const QString Texts[] = {QString(), QStringLiteral("0"), QStringLiteral("12 345,67"), QStringLiteral("Склад сырья"),
                           QStringLiteral("a\tb\t\tc"), QStringLiteral("\tотступ"), QStringLiteral("WWWiii..."),
                           QStringLiteral("Ёлка ёж"), Long};
  TImageCanvas C(10, 10);
  for (const FontCase& F : Fonts) {
    C.Font()->SetName(QString::fromLatin1(F.Name));
    C.Font()->SetSize(F.Size);
    C.Font()->SetStyle(F.Style);
    for (const QString& S : Texts) {
      SCOPED_TRACE(QStringLiteral("%1 %2: \"%3\"").arg(QString::fromLatin1(F.Name)).arg(F.Size).arg(S.left(20)).toStdString());
      const TSize Canvas(C.TextWidth(S), C.TextHeight(S));   // selects the font too
      TSize Fast;
      ASSERT_TRUE(GetTextExtentPoint32(C.Handle(), S, -1, Fast));
      EXPECT_EQ(Canvas, Fast);
      TSize Laid;
      std::vector<Integer> Dx;
      Integer Fit = 0;
      ASSERT_TRUE(GetTextExtentExPoint(C.Handle(), S, -1, 1 << 20, &Fit, &Dx, Laid));
      EXPECT_EQ(Fast.cx, Laid.cx);
      EXPECT_EQ(Fast.cy, Laid.cy);
      EXPECT_NEAR(Dx.empty() ? 0 : Dx.back(), Fast.cx, 1);
      EXPECT_EQ(Fit, S.size());
    }
  }
}

// The metrics kept with the selected font follow each change of the font,
// and a text written moves the pen by its measured width.
TEST(Text, MeasuringFollowsFontChangesOnOneCanvas)
{
  const String S = QStringLiteral("Отгрузка 2026");
  struct FontCase { const char* Name; Integer Size; TFontStyles Style; };
  const FontCase Fonts[] = {{"Tahoma", 8, {}}, {"Tahoma", 14, {}}, {"Tahoma", 8, {fsBold}}, {"Courier New", 8, {}}};
  auto Apply = [](TCanvas& Canvas, const FontCase& F) {
    Canvas.Font()->SetName(QString::fromLatin1(F.Name));
    Canvas.Font()->SetSize(F.Size);
    Canvas.Font()->SetStyle(F.Style);
  };
  std::vector<TSize> Fresh;
  for (const FontCase& F : Fonts) {
    TImageCanvas Own(10, 10);
    Apply(Own, F);
    Fresh.push_back(Own.TextExtent(S));
  }
  ASSERT_NE(Fresh[0].cx, Fresh[1].cx);
  ASSERT_NE(Fresh[0].cx, Fresh[2].cx);
  TImageCanvas Shared(400, 40);
  for (int Round = 0; Round < 2; ++Round)
    for (std::size_t I = 0; I < std::size(Fonts); ++I) {
      SCOPED_TRACE(I);
      Apply(Shared, Fonts[I]);
      EXPECT_EQ(Shared.TextExtent(S), Fresh[I]);
      Shared.TextOut(5, 5, S);
      EXPECT_EQ(Shared.PenPos(), TPoint(5 + Fresh[I].cx, 5));
    }
}

TEST(Text, DrawTextAlignmentAndCalcRect)
{
  TImageCanvas C(200, 60);
  C.Font()->SetSize(10);
  C.Brush()->SetStyle(bsClear);
  HDC DC = C.Handle();
  const String S = QStringLiteral("Итого 125");
  const int W = C.TextWidth(S);

  TRect Calc(0, 0, 0, 0);
  const int H = DrawTextEx(DC, S, -1, Calc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(Calc.Width(), W);
  EXPECT_EQ(Calc.Height(), H);
  TEXTMETRIC TM;
  GetTextMetrics(DC, TM);
  EXPECT_EQ(H, TM.tmHeight);

  // Right alignment: the ink ends at the right edge, not beyond it.
  TRect Right(10, 0, 190, 20);
  DrawTextEx(DC, S, -1, Right, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
  auto [RFirst, RLast] = InkColumns(C, Rect(0, 0, 200, 20));
  EXPECT_LE(RLast, 189);
  EXPECT_GE(RLast, 189 - 3);
  EXPECT_NEAR(RFirst, 190 - W, 3);

  // Centre horizontally and vertically.
  TRect Centre(0, 20, 200, 60);
  DrawTextEx(DC, S, -1, Centre, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  auto [CFirst, CLast] = InkColumns(C, Rect(0, 20, 200, 60));
  EXPECT_NEAR((CFirst + CLast) / 2, 100, 3);
  auto [Top, Bottom] = InkRows(C, Rect(0, 20, 200, 60));
  EXPECT_NEAR((Top + Bottom) / 2, 40, 4);
}

TEST(Text, WordBreakAndLineBreaks)
{
  TImageCanvas C(300, 200);
  C.Font()->SetSize(10);
  HDC DC = C.Handle();
  C.TextWidth(QStringLiteral("x"));
  TEXTMETRIC TM;
  GetTextMetrics(DC, TM);
  const int WordW = C.TextWidth(QStringLiteral("материал"));
  const String S = QStringLiteral("материал материал материал");
  struct Case { int Width; UINT Flags; int Lines; };
  const Case Cases[] = {
    {WordW + 2, DT_WORDBREAK, 3},
    {WordW * 2 + C.TextWidth(QStringLiteral(" ")) + 2, DT_WORDBREAK, 2},
    {1000, DT_WORDBREAK, 1},
    {WordW + 2, 0, 1},                   // no word break: one line
    {WordW / 2, DT_WORDBREAK, 3},        // words longer than the line run on
  };
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Width);
    TRect R(0, 0, K.Width, 0);
    const int H = DrawTextEx(DC, S, -1, R, K.Flags | DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(H, K.Lines * TM.tmHeight);
    EXPECT_EQ(R.Height(), H);
  }
  TRect R(0, 0, 1000, 0);
  EXPECT_EQ(DrawTextEx(DC, QStringLiteral("a\r\nb\rc\nd"), -1, R, DT_CALCRECT), 4 * TM.tmHeight);
  EXPECT_EQ(DrawTextEx(DC, QStringLiteral("a\r\nb"), -1, R, DT_CALCRECT | DT_SINGLELINE), TM.tmHeight);
  // Prefix characters are hidden unless DT_NOPREFIX.
  TRect P1(0, 0, 0, 0), P2(0, 0, 0, 0);
  DrawTextEx(DC, QStringLiteral("&Файл"), -1, P1, DT_CALCRECT | DT_SINGLELINE);
  DrawTextEx(DC, QStringLiteral("&Файл"), -1, P2, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(P1.Width(), C.TextWidth(QStringLiteral("Файл")));
  EXPECT_GT(P2.Width(), P1.Width());
}

// Each broken line is placed by its own width: right-aligned lines end at the
// right edge, centred ones sit about the middle, whether the text fits whole
// or breaks (with blanks left over at a break).
TEST(Text, BrokenLinesArePlacedByTheirOwnWidths)
{
  const String Word = QStringLiteral("материал");
  struct Case { const char* Name; String Text; int Lines; UINT Align; };
  const Case Cases[] = {
    {"fits, right", Word, 1, DT_RIGHT},
    {"fits, centre", Word, 1, DT_CENTER},
    {"breaks, right", Word + QStringLiteral("   ") + Word, 2, DT_RIGHT},
    {"breaks, centre", Word + QStringLiteral("  ") + Word + QStringLiteral(" ") + Word, 3, DT_CENTER},
  };
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Name);
    TImageCanvas C(300, 120);
    C.Font()->SetSize(10);
    C.Brush()->SetStyle(bsClear);
    HDC DC = C.Handle();
    const int WordW = C.TextWidth(Word);   // selects the font into the context
    TEXTMETRIC TM;
    GetTextMetrics(DC, TM);
    // Room for one word and a little, not for two.
    TRect R(20, 0, 20 + WordW + 30, 120);
    const int H = DrawTextEx(DC, K.Text, -1, R, K.Align | DT_WORDBREAK | DT_NOPREFIX);
    ASSERT_EQ(H, K.Lines * TM.tmHeight);
    for (int L = 0; L < K.Lines; ++L) {
      SCOPED_TRACE(L);
      const auto [First, Last] = InkColumns(C, Rect(0, L * TM.tmHeight, 300, (L + 1) * TM.tmHeight));
      if (K.Align == DT_RIGHT) {
        EXPECT_LE(Last, R.Right - 1);
        EXPECT_GE(Last, R.Right - 4);
      } else {
        EXPECT_NEAR((First + Last) / 2, (R.Left + R.Right) / 2, 3);
      }
      EXPECT_NEAR(Last - First + 1, WordW, 3);
    }
  }
}

// A text's width is its font's: measures remembered for one font never
// answer for another, and asking again answers the same.
TEST(Text, WidthsBelongToTheirFont)
{
  TImageCanvas C(100, 40);
  const String S = QStringLiteral("Итого 1 250,00");
  struct Case { int Size; bool Bold; };
  const Case Cases[] = {{10, false}, {20, false}, {10, true}, {10, false}};
  std::vector<int> Widths;
  for (const Case& K : Cases) {
    C.Font()->SetSize(K.Size);
    C.Font()->SetStyle(K.Bold ? TFontStyles{fsBold} : TFontStyles{});
    const int W = C.TextWidth(S);
    // The same as laying out the text line by itself.
    TRect Calc(0, 0, 0, 0);
    DrawTextEx(C.Handle(), S, -1, Calc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(Calc.Width(), W);
    EXPECT_EQ(C.TextWidth(S), W);
    Widths.push_back(W);
  }
  EXPECT_GT(Widths[1], Widths[0] * 3 / 2);
  EXPECT_GT(Widths[2], Widths[0]);
  EXPECT_EQ(Widths[3], Widths[0]);
}

TEST(Text, EllipsisAndClippingStayInsideTheRectangle)
{
  TImageCanvas C(300, 40);
  C.Font()->SetSize(10);
  C.Brush()->SetStyle(bsClear);
  HDC DC = C.Handle();
  const String Long = QStringLiteral("Очень длинное наименование номенклатуры");
  ASSERT_GT(C.TextWidth(Long), 100);
  TRect Clipped(10, 0, 110, 20);
  DrawTextEx(DC, Long, -1, Clipped, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_LE(InkColumns(C, Rect(0, 0, 300, 20)).second, 109);

  TRect Ell(10, 20, 110, 40);
  DrawTextEx(DC, Long, -1, Ell, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP);
  // Even without clipping, the shortened text with its dots fits.
  EXPECT_LE(InkColumns(C, Rect(0, 20, 300, 40)).second, 109);
  // The dots are there: three ink blobs at the baseline near the end.
  TRect Calc(0, 0, 100, 0);
  DrawTextEx(DC, Long, -1, Calc, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  EXPECT_LE(Calc.Width(), 100);
  gui_test::SaveImage(C.Image(), QStringLiteral("text-ellipsis.png"));
}

TEST(Text, OpaqueTextFillsItsBackgroundWithTheBrush)
{
  TImageCanvas C(100, 30);
  C.Brush()->SetColor(clYellow);
  C.TextOut(5, 5, QStringLiteral("  "));
  EXPECT_EQ(At(C, 6, 7), clYellow);
  C.Brush()->SetStyle(bsClear);
  C.TextOut(50, 5, QStringLiteral("  "));
  EXPECT_EQ(At(C, 51, 7), clWhite);
  // TextRect fills the whole rectangle and clips the text to it.
  C.Brush()->SetColor(clAqua);
  C.TextRect(Rect(0, 20, 30, 30), 2, 20, QStringLiteral("WWWWWWWWWWWW"));
  EXPECT_EQ(At(C, 0, 29), clAqua);
  EXPECT_EQ(At(C, 1, 21), clAqua);
  EXPECT_EQ(At(C, 31, 25), clWhite);
  // Pixels answers no colour outside the clip region, as the original does.
  IntersectClipRect(C.Handle(), 0, 0, 10, 10);
  EXPECT_EQ(C.Pixels(50, 25), clNone);
  EXPECT_EQ(C.Pixels(0, 0), At(C, 0, 0));
}

TEST(Graphics, BitmapsPicturesAndImageLists)
{
  TBitmap B(8, 8);
  B.Canvas()->Brush()->SetColor(clRed);
  B.Canvas()->FillRect(Rect(0, 0, 8, 8));
  B.Canvas()->SetPixels(0, 7, clLime);   // the bottom-left pixel: the transparent colour
  B.Canvas()->SetPixels(3, 3, clLime);
  EXPECT_EQ(B.TransparentColor(), clLime);
  // Growing keeps the old pixels and whitens the new ones.
  B.SetSize(10, 8);
  EXPECT_EQ(B.Canvas()->Pixels(2, 2), clRed);
  EXPECT_EQ(B.Canvas()->Pixels(9, 2), clWhite);

  TImageCanvas C(30, 30, clBlue);
  B.SetTransparent(true);
  C.Draw(5, 5, &B);
  const auto At = [&C](int X, int Y) {
    const QColor Q = C.Image().pixelColor(X, Y);
    return TColor(RGB(Byte(Q.red()), Byte(Q.green()), Byte(Q.blue())));
  };
  EXPECT_EQ(At(6, 6), clRed);
  EXPECT_EQ(At(8, 8), clBlue);   // the lime pixel let the background through
  C.StretchDraw(Rect(20, 20, 30, 30), &B);
  EXPECT_EQ(At(21, 21), clRed);

  // A picture recognises what it loads.
  TPicture P;
  P.LoadFromBytes(B.SaveToBytes());
  ASSERT_NE(dynamic_cast<TBitmap*>(P.Graphic()), nullptr);
  EXPECT_EQ(P.Width(), 10);
  EXPECT_THROW(P.LoadFromBytes(QByteArray("no picture here")), EInvalidGraphic);

  // An image list splits a strip into images and draws each by index.
  TBitmap Strip(32, 16);
  Strip.Canvas()->Brush()->SetColor(clNavy);
  Strip.Canvas()->FillRect(Rect(0, 0, 16, 16));
  Strip.Canvas()->Brush()->SetColor(clYellow);
  Strip.Canvas()->FillRect(Rect(16, 0, 32, 16));
  TImageList List(nullptr);
  EXPECT_EQ(List.Add(&Strip, nullptr), 0);
  EXPECT_EQ(List.Count(), 2);
  TImageCanvas D(40, 20);
  List.Draw(&D, 0, 0, 1);
  List.Draw(&D, 20, 0, 0, false);
  const QColor Drawn = D.Image().pixelColor(5, 5);
  EXPECT_EQ(Drawn, QColor(Qt::yellow));
  const QColor Disabled = D.Image().pixelColor(25, 5);
  EXPECT_EQ(Disabled.red(), Disabled.green());   // greyed
  EXPECT_NE(Disabled, QColor(Qt::darkBlue));
}

// Plain left-to-right runs are drawn at their baseline without a paragraph
// layout; the ink must be the laid-out line's, pixel for pixel. A trailing
// tab, which prints nothing, sends the same text through the layout.
TEST(Text, PlainRunsDrawTheInkOfTheLaidOutLine)
{
  for (const String& S : {QStringLiteral("Накладная"), QStringLiteral("Invoice 12,50"), QStringLiteral("ЁжWy")}) {
    TImageCanvas Plain(160, 24), LaidOut(160, 24);
    for (TImageCanvas* C : {&Plain, &LaidOut}) {
      C->Font()->SetName(QStringLiteral("DejaVu Sans"));
      C->Font()->SetSize(11);
      C->Brush()->SetStyle(bsClear);
    }
    Plain.TextOut(3, 2, S);
    LaidOut.TextOut(3, 2, S + QLatin1Char('\t'));
    EXPECT_EQ(Plain.Image(), LaidOut.Image()) << S.toStdString();
    EXPECT_NE(InkColumns(Plain, TRect(0, 0, 160, 24)).first, -1);
  }
}

TEST(Text, RightToLeftReadingKeepsTheTextInsideItsRectangle)
{
  TImageCanvas C(200, 20);
  C.Brush()->SetStyle(bsClear);
  C.TextHeight(QStringLiteral("x"));
  TRect R(100, 0, 200, 20);
  DrawTextEx(C.Handle(), QStringLiteral("abc 123"), -1, R, DT_RIGHT | DT_RTLREADING | DT_SINGLELINE);
  int First = 200;
  for (int X = 0; X < 200; ++X)
    for (int Y = 0; Y < 20; ++Y)
      if (C.Image().pixelColor(X, Y).lightness() < 128)
        First = std::min(First, X);
  EXPECT_GE(First, 100);
}

TEST(Printers, DeviceCapsAndAMachineWithoutPrinters)
{
  TImageCanvas C(200, 100);
  EXPECT_EQ(GetDeviceCaps(C.Handle(), LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(C.Handle(), LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(C.Handle(), HORZRES), 200);
  EXPECT_EQ(GetDeviceCaps(C.Handle(), VERTSIZE), 26);   // millimetres
  if (!Printer()->Printers().isEmpty())
    GTEST_SKIP() << "a printer is installed here";
  // No printer: nothing to select, and a print job is refused with the
  // original's message instead of printing nowhere.
  EXPECT_EQ(Printer()->PrinterIndex(), -1);
  try {
    Printer()->BeginDoc();
    FAIL() << "BeginDoc printed without a printer";
  } catch (const EPrinter& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("There is no default printer currently selected"));
  }
  EXPECT_FALSE(Printer()->Printing());
  EXPECT_THROW(Printer()->NewPage(), EPrinter);
}
