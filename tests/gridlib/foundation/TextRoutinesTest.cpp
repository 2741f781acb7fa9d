// TextRoutinesTest.cpp: the cell text writer and text measuring, checked on
// the pixels they draw.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

// The bounding box of the pixels that differ from the background.
TRect InkBox(const QImage& Img, QRgb Background, const TRect& Within)
{
  TRect Box(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
  for (Integer Y = std::max(Within.Top, 0); Y < std::min(Within.Bottom, Img.height()); ++Y)
    for (Integer X = std::max(Within.Left, 0); X < std::min(Within.Right, Img.width()); ++X) {
      if ((Img.pixel(X, Y) & 0xFFFFFF) == (Background & 0xFFFFFF))
        continue;
      Box.Left = std::min(Box.Left, X);
      Box.Top = std::min(Box.Top, Y);
      Box.Right = std::max(Box.Right, X + 1);
      Box.Bottom = std::max(Box.Bottom, Y + 1);
    }
  return Box;
}

void PrepareCanvas(TImageCanvas& C)
{
  C.Font()->SetName(QStringLiteral("Tahoma"));
  C.Font()->SetSize(10);
  C.Font()->SetColor(clBlack);
  C.Brush()->SetColor(clWhite);
  C.Brush()->SetStyle(bsSolid);
}

const TRect Cell(20, 10, 220, 50);
const String Sample = QStringLiteral("Ширина WWW");

} // namespace

// The ink of a one-line text lies in the box the alignment and layout give it.
TEST(DrawCellTextEh, OneLineTextLandsInItsGlyphBox)
{
  struct Case {
    const char* Name;
    TAlignment Align;
    TTextLayout Layout;
    bool Formatted;   // EndEllipsis takes the formatter path
  };
  const Case Cases[] = {
    {"left top", taLeftJustify, tlTop, false},
    {"right top", taRightJustify, tlTop, false},
    {"centre centre", taCenter, tlCenter, false},
    {"left bottom", taLeftJustify, tlBottom, false},
    {"left top, formatter", taLeftJustify, tlTop, true},
    {"right centre, formatter", taRightJustify, tlCenter, true},
    {"centre bottom, formatter", taCenter, tlBottom, true},
  };
  const Integer DX = 3, DY = 2;
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TImageCanvas Canvas(240, 60, clWhite);
    PrepareCanvas(Canvas);
    const Integer W = Canvas.TextWidth(Sample);
    const Integer H = Canvas.TextHeight(Sample);
    DrawCellTextEh(&Canvas, Cell, true, DX, DY, Sample, C.Align, C.Layout, false, C.Formatted, 0, 0,
                   false, true);
    const TRect Ink = InkBox(Canvas.Image(), qRgb(255, 255, 255), TRect(0, 0, 240, 60));

    Integer X = Cell.Left + DX;
    if (C.Align == taRightJustify)
      X = C.Formatted ? Cell.Right - DX - W : Cell.Right - W - DX - 1;
    else if (C.Align == taCenter)
      X = C.Formatted ? (Cell.Left + Cell.Right - DX - W) / 2 : Cell.Left + Cell.Width() / 2 - W / 2;
    Integer Y = Cell.Top + DY;
    if (C.Layout == tlCenter)
      Y = (Cell.Top + Cell.Bottom - H) / 2;
    else if (C.Layout == tlBottom)
      Y = Cell.Bottom - H - DY;
    const TRect Glyphs(X, Y, X + W, Y + H);

    EXPECT_GE(Ink.Left, Glyphs.Left - 1);
    EXPECT_LE(Ink.Right, Glyphs.Right + 1);
    EXPECT_GE(Ink.Top, Glyphs.Top);
    EXPECT_LE(Ink.Bottom, Glyphs.Bottom);
    EXPECT_GE(Ink.Width(), W - 4) << "the ink spans the text's width";
    EXPECT_GE(Ink.Height(), H / 2);
  }
}

TEST(DrawCellTextEh, FillRectDecidesTheBackground)
{
  for (const bool Formatted : {false, true}) {
    SCOPED_TRACE(Formatted ? "formatter" : "simple");
    TImageCanvas Canvas(240, 60, clRed);
    PrepareCanvas(Canvas);
    DrawCellTextEh(&Canvas, Cell, false, 2, 2, Sample, taLeftJustify, tlTop, false, Formatted, 0, 0, false, true);
    EXPECT_EQ(Canvas.Pixels(Cell.Right - 2, Cell.Bottom - 2), clRed) << "background stays";
    EXPECT_EQ(Canvas.Brush()->Style(), bsSolid) << "brush restored";
    DrawCellTextEh(&Canvas, Cell, true, 2, 2, Sample, taLeftJustify, tlTop, false, Formatted, 0, 0, false, true);
    EXPECT_EQ(Canvas.Pixels(Cell.Right - 2, Cell.Bottom - 2), clWhite) << "filled with the brush";
    EXPECT_EQ(Canvas.Pixels(Cell.Right + 2, Cell.Bottom + 2), clRed) << "only the rectangle";
  }
}

TEST(DrawCellTextEh, WrapEllipsisAndClipping)
{
  const String Long = QStringLiteral("один два три четыре пять шесть семь восемь");
  const TRect Narrow(10, 10, 90, 100);
  TImageCanvas Canvas(200, 120, clWhite);
  PrepareCanvas(Canvas);
  const Integer H = Canvas.TextHeight(Long);
  DrawCellTextEh(&Canvas, Narrow, true, 2, 2, Long, taLeftJustify, tlTop, true, false, 0, 0, false, false);
  TRect Ink = InkBox(Canvas.Image(), qRgb(255, 255, 255), TRect(0, 0, 200, 120));
  EXPECT_GE(Ink.Height(), 3 * H) << "wrapped over several lines";
  EXPECT_GE(Ink.Left, Narrow.Left);
  EXPECT_LE(Ink.Right, Narrow.Right);

  // End ellipsis keeps one line inside the rectangle.
  TImageCanvas Ell(200, 40, clWhite);
  PrepareCanvas(Ell);
  DrawCellTextEh(&Ell, TRect(10, 5, 90, 30), true, 2, 2, Long, taLeftJustify, tlTop, false, true, 0, 0, false, true);
  Ink = InkBox(Ell.Image(), qRgb(255, 255, 255), TRect(0, 0, 200, 40));
  EXPECT_LE(Ink.Right, 90);
  EXPECT_GE(Ink.Right, 70) << "the ellipsis fills the line to its end";
  EXPECT_LE(Ink.Height(), H);

  // A wrapped text taller than its rectangle, centred: moved above the top
  // and clipped to the rectangle.
  TImageCanvas Clip(200, 120, clWhite);
  PrepareCanvas(Clip);
  const TRect Short(10, 40, 90, 60);
  DrawCellTextEh(&Clip, Short, false, 2, 0, Long, taLeftJustify, tlCenter, true, false, 0, 0, false, false);
  Ink = InkBox(Clip.Image(), qRgb(255, 255, 255), TRect(0, 0, 200, 120));
  EXPECT_GE(Ink.Top, Short.Top);
  EXPECT_LE(Ink.Bottom, Short.Bottom);
  // The simple path keeps top placement when the text does not fit.
  TImageCanvas Simple(200, 40, clWhite);
  PrepareCanvas(Simple);
  DrawCellTextEh(&Simple, TRect(10, 10, 190, 14), true, 2, 0, Sample, taLeftJustify, tlBottom, false, false, 0, 0, false, true);
  Ink = InkBox(Simple.Image(), qRgb(255, 255, 255), TRect(0, 0, 200, 40));
  EXPECT_GE(Ink.Top, 10);
  EXPECT_LE(Ink.Bottom, 14);
}

TEST(DrawCellTextEh, RightMarginAndRightToLeftReading)
{
  // Right alignment in the formatter uses LeftMarg + DX as the right margin.
  TImageCanvas A(240, 60, clWhite), B(240, 60, clWhite);
  PrepareCanvas(A);
  PrepareCanvas(B);
  DrawCellTextEh(&A, Cell, true, 4, 2, Sample, taRightJustify, tlTop, false, false, 6, 50, false, true);
  DrawCellTextEh(&B, Cell, true, 4, 2, Sample, taRightJustify, tlTop, false, false, 6, 0, false, true);
  const TRect InkA = InkBox(A.Image(), qRgb(255, 255, 255), TRect(0, 0, 240, 60));
  const TRect InkB = InkBox(B.Image(), qRgb(255, 255, 255), TRect(0, 0, 240, 60));
  EXPECT_EQ(InkA, InkB) << "RightMarg is not used";
  EXPECT_LE(InkA.Right, Cell.Right - 10 + 1);   // a glyph may overhang by a pixel
  EXPECT_GE(InkA.Right, Cell.Right - 14);

  // Right-to-left reading reorders neutral characters.
  const String Mixed = QStringLiteral("abc!");
  TImageCanvas L(240, 60, clWhite), R(240, 60, clWhite);
  PrepareCanvas(L);
  PrepareCanvas(R);
  DrawCellTextEh(&L, Cell, true, 2, 2, Mixed, taLeftJustify, tlTop, false, false, 0, 0, false, false);
  DrawCellTextEh(&R, Cell, true, 2, 2, Mixed, taLeftJustify, tlTop, false, false, 0, 0, true, false);
  EXPECT_NE(L.Image(), R.Image());
  const TRect InkR = InkBox(R.Image(), qRgb(255, 255, 255), TRect(0, 0, 240, 60));
  EXPECT_GE(InkR.Left, Cell.Left);
  EXPECT_LE(InkR.Right, Cell.Right);
}

TEST(DrawCellTextEh, RotatedTextReadsBottomToTop)
{
  TImageCanvas Canvas(60, 220, clWhite);
  PrepareCanvas(Canvas);
  const TRect Tall(10, 10, 40, 210);
  WriteTextRotatedEh(&Canvas, Tall, true, 2, 2, QStringLiteral("Вертикально"), taLeftJustify, tlTop, false, false);
  const TRect Ink = InkBox(Canvas.Image(), qRgb(255, 255, 255), TRect(0, 0, 60, 220));
  EXPECT_GT(Ink.Height(), 3 * Ink.Width()) << "the text runs along the height";
  EXPECT_GE(Ink.Left, Tall.Left);
  EXPECT_LE(Ink.Right, Tall.Right);
  EXPECT_GE(Ink.Bottom, Tall.Bottom - 12) << "left alignment starts at the bottom";
  EXPECT_GE(Ink.Top, Tall.Top);
  XFORM X;
  GetWorldTransform(Canvas.Handle(), X);
  EXPECT_EQ(X.eM11, 1) << "the transform is restored";
  EXPECT_FALSE(CanvasHasTransformEh(&Canvas));
}

TEST(DrawCellTextEh, MinimizeAndWidth)
{
  TImageCanvas Canvas(100, 20, clWhite);
  PrepareCanvas(Canvas);
  const String Text = QStringLiteral("Наименование изделия");
  EXPECT_EQ(MinimizeTextEh(Text, &Canvas, 1000), Text);
  const String Short = MinimizeTextEh(Text, &Canvas, 60);
  EXPECT_TRUE(Short.endsWith(QStringLiteral("...")));
  EXPECT_LE(Canvas.TextWidth(Short), 60);
  EXPECT_EQ(MinimizeTextEh(QStringLiteral("Ш"), &Canvas, 1), QStringLiteral("..."));
  EXPECT_EQ(DrawTextWidthEh(&Canvas, Text), Canvas.TextWidth(Text));
}

TEST(WriteTextRectEh, LayoutAndMeasuringWithoutACanvas)
{
  TFont Font;
  Font.SetName(QStringLiteral("Tahoma"));
  Font.SetSize(12);
  TImageCanvas Canvas(200, 100, clWhite);
  Canvas.Font()->Assign(&Font);
  const Integer H = Canvas.TextHeight(QStringLiteral("Ag"));
  EXPECT_EQ(GetFontTextHeightEh(nullptr, &Font, false), H) << "measured on the screen canvas";
  EXPECT_GE(GetFontTextHeightEh(nullptr, &Font, true), H);

  // Centre layout of a text taller than its rectangle starts above it.
  TWriteTextParamsEh Params;
  Params.Layout = 1;
  Params.LineMode = 1;
  Params.Opaque = true;
  const String Long = QStringLiteral("раз два три четыре пять шесть");
  const TRect R(10, 40, 60, 50);
  WriteTextRectEh(&Canvas, Long, R, R, Params);
  bool InkAbove = false;
  for (Integer Y = 0; Y < 40 && !InkAbove; ++Y)
    for (Integer X = 10; X < 60 && !InkAbove; ++X)
      InkAbove = Canvas.Pixels(X, Y) != clWhite;
  EXPECT_TRUE(InkAbove) << "drawn from above the rectangle's top";

  // Transparent writing leaves the brush clear afterwards.
  Params.Opaque = false;
  WriteTextRectEh(&Canvas, QStringLiteral("x"), R, R, Params);
  EXPECT_EQ(Canvas.Brush()->Style(), bsClear);
}
