// TextSearchTest.cpp: the whole-word search over Russian text, the line
// splitter against the cell writer's own wrapping, and search hits painted
// over written cells, checked by pixel probes on a kept screenshot.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

void PrepareCanvas(TCanvas& C)
{
  C.Font()->SetName(QStringLiteral("Tahoma"));
  C.Font()->SetSize(10);
  C.Font()->SetColor(clBlack);
  C.Brush()->SetColor(clWhite);
  C.Brush()->SetStyle(bsSolid);
}

String U(const char* Utf8)
{
  return QString::fromUtf8(Utf8);
}

} // namespace

// Case-insensitive search upper-cases both texts, so every "р" becomes the
// capital Er: were it a separator, "по" would be a whole word in "порт".
TEST(FindTextPosEh, WholeWordsInRussianText)
{
  struct Case {
    const char* Sub;
    const char* Text;
    bool IgnoreCase;
    Integer Offset;
    bool WholeWords;
    Integer Expected;
  };
  const Case Cases[] = {
      {"ab", "xab ab", false, 1, true, 5},
      {"ab", "xab", false, 1, true, 0},
      {"ab", "xab", false, 1, false, 2},
      {"по", "порт по делу", true, 1, true, 6},
      {"по", "порт по делу", true, 1, false, 1},
      {"ПО", "ПОРТ, ПО-2", false, 1, true, 7},
      {"ОЗА", "РОЗА", false, 1, true, 0},
      {"роза", "Алая РОЗА.", true, 1, true, 6},
      {"Рыба", "рыба-пила и Рыба", false, 1, true, 13},
      {"рыба", "«рыба»", false, 1, true, 0},   // guillemets are not separators
      {"рыба", "\u00A0рыба\u201D", false, 1, true, 2},
      {"раз", "раз раз", false, 2, true, 5},
      {"аа", "ааа", false, 2, false, 2},       // overlapping occurrences
      {"", "текст", false, 1, false, 0},
      {"Цех", "цех", false, 1, false, 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::string(C.Sub) + " in " + C.Text);
    EXPECT_EQ(FindTextPosEh(U(C.Sub), U(C.Text), C.IgnoreCase, C.Offset, C.WholeWords), C.Expected);
  }
}

TEST(FindTextPosEh, SeparatorTableHoldsNoLetters)
{
  for (char16_t C : {u'Р', u'р', u'A', u'Я', u'1'})
    EXPECT_FALSE(IsWordSeparatorEh(QChar(C))) << QString(QChar(C)).toStdString();
  for (char16_t C : {u' ', u'\t', u'-', u'\u00A0', u'\u201E', u'"', u'\\'})
    EXPECT_TRUE(IsWordSeparatorEh(QChar(C)));
}

// Widths of 10 per character make the breaks easy to follow.
TEST(FindLineEndEh, BreaksAtBlanksAndLineEnds)
{
  struct Case {
    const char* Text;
    Integer Start;
    Integer MaxWidth;
    bool WordWrap;
    Integer End;
    Integer Width;
  };
  const Case Cases[] = {
      {"ab cd ef", 0, 35, true, 3, 30},     // "cd" does not fit: break after the blank
      {"ab cd ef", 3, 35, true, 6, 30},
      {"ab cd ef", 6, 35, true, 8, 20},
      {"abcdefg hi", 0, 35, true, 8, 80},   // a long word runs on to the blank
      {"ab\r\ncd", 0, 100, true, 4, 20},    // CR LF ends the line after the LF
      {"ab\rcd", 0, 100, true, 3, 20},
      {"ab\ncd", 0, 100, true, 3, 20},
      {"ab\r\ncd", 0, 100, false, 6, 40},   // without wrapping line ends are text
      {"ab cd ef", 0, 35, false, 4, 40},    // unwrapped: cut after the character that overflows
      {"", 0, 35, true, 0, 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Text);
    const String Text = U(C.Text);
    std::vector<Integer> Widths(std::size_t(Text.size()), 10);
    for (qsizetype I = 0; I < Text.size(); ++I)
      if (Text[I] == QLatin1Char('\r') || Text[I] == QLatin1Char('\n'))
        Widths[std::size_t(I)] = 0;
    Integer Width = -1;
    EXPECT_EQ(FindLineEndEh(Text, C.Start, C.MaxWidth, C.WordWrap, Widths, Width), C.End);
    EXPECT_EQ(Width, C.Width);
  }
}

// The splitter must break where the cell writer breaks, or hits would be
// painted beside their words.
TEST(SplitTextLinesEh, BreaksWhereTheCellWriterBreaks)
{
  TImageCanvas C(600, 400);
  PrepareCanvas(C);
  const String Text = U("Рабочий приказ по цеху: переработка сырья на участке Р-12, "
                        "проверка размеров партии и отчёт о работе бригады за смену.\r\n"
                        "Распоряжение передать в отдел.");
  TSize Empty;
  CalcWrappedTextSizeEh(&C, 100, String(), Empty, true);
  EXPECT_EQ(Empty.cx, 0);
  EXPECT_EQ(Empty.cy, 0);
  for (Integer Width = 90; Width <= 420; Width += 11) {
    SCOPED_TRACE(Width);
    TRect Calc(0, 0, Width, 0);
    const Integer Height = DrawTextEh(CanvasHandleEh(&C), Text, -1, Calc, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
    TSize Size;
    CalcWrappedTextSizeEh(&C, Width, Text, Size, true);
    EXPECT_EQ(Size.cy, Height);
    const TTextLinesEh Lines = SplitTextLinesEh(&C, Width, Text, true);
    Integer Next = 0;
    for (const TTextLineEh& L : Lines) {
      EXPECT_EQ(L.Start, Next);
      Next = L.Start + L.Length;
    }
    EXPECT_EQ(Next, Text.size());
  }
}

namespace {

const TColor Highlight = RGBEh(255, 255, 150);

bool IsHighlight(QRgb P)
{
  return qRed(P) == 255 && qGreen(P) == 255 && qBlue(P) == 150;
}

// Share of highlight pixels and count of dark (text) pixels in a box.
struct TProbe {
  double HighlightShare = 0;
  Integer Dark = 0;
};

TProbe Probe(const QImage& Img, const TRect& R)
{
  TProbe P;
  Integer Area = 0, Lit = 0;
  for (Integer Y = R.Top; Y < R.Bottom; ++Y)
    for (Integer X = R.Left; X < R.Right; ++X) {
      const QRgb Px = Img.pixel(X, Y);
      ++Area;
      Lit += IsHighlight(Px);
      P.Dark += qGray(Px) < 100;
    }
  P.HighlightShare = Area ? double(Lit) / Area : 0;
  return P;
}

Integer HighlightOutside(const QImage& Img, std::initializer_list<TRect> Cells)
{
  Integer N = 0;
  for (Integer Y = 0; Y < Img.height(); ++Y)
    for (Integer X = 0; X < Img.width(); ++X) {
      const bool Inside = std::any_of(Cells.begin(), Cells.end(),
                                      [&](const TRect& R) { return PointInRectEh(R, TPoint(X, Y)); });
      N += !Inside && IsHighlight(Img.pixel(X, Y));
    }
  return N;
}

// Where the writer puts a word: Prefix is the line's text before it.
TRect WordBox(TCanvas& C, const TRect& Cell, Integer DX, Integer DY, Integer LineIndex, const String& Line,
              const String& Prefix, const String& Word, TAlignment Align)
{
  const Integer LineHeight = C.TextHeight(QStringLiteral("Ag"));
  Integer X = Cell.Left + DX;
  if (Align == taRightJustify)
    X = Cell.Right - DX - 1 - C.TextWidth(Line);
  else if (Align == taCenter)
    X = Cell.Left + (Cell.Width() - C.TextWidth(Line)) / 2;
  X += C.TextWidth(Prefix);
  const Integer Top = Cell.Top + DY + LineIndex * LineHeight;
  return TRect(X, Top, X + C.TextWidth(Word), Top + LineHeight);
}

// Pixels dark in one image and not in the other.
Integer InkMismatch(const QImage& A, const QImage& B, const TRect& R)
{
  Integer N = 0;
  for (Integer Y = R.Top; Y < R.Bottom; ++Y)
    for (Integer X = R.Left; X < R.Right; ++X)
      N += (qGray(A.pixel(X, Y)) < 100) != (qGray(B.pixel(X, Y)) < 100);
  return N;
}

TRect Inner(const TRect& R)
{
  return TRect(R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom - 2);
}

} // namespace

// Three cells as a search panel leaves them: a wrapped left-aligned cell
// whose last hit lies below its bottom, a right-aligned and a centred line.
// The whole word "по" is found in any case, never inside "порт" or "приказ".
TEST(DrawHighlightedMatchesEh, PaintsWholeWordHitsOverWrittenCells)
{
  TImageCanvas C(440, 200, clWhite);
  PrepareCanvas(C);
  const Integer DX = 2, DY = 1;
  const Integer LineHeight = C.TextHeight(QStringLiteral("Ag"));
  const String Line1 = U("порт по приказу");
  const String Line2 = U("Рабочий ПО-2 в цехе");
  const String Line3 = U("отчёт по смене");
  const String Wrapped = Line1 + QStringLiteral("\r\n") + Line2 + QStringLiteral("\r\n") + Line3;
  const TRect CellA(10, 10, 260, 10 + DY + 2 * LineHeight);   // the third line is below it
  const String Single = U("Передать по участку");
  const TRect CellB(10, 100, 430, 100 + LineHeight + 4);
  const TRect CellC(10, 150, 430, 150 + LineHeight + 4);

  struct Cell {
    TRect Rect;
    String Text;
    TAlignment Align;
    bool WordWrap;
    Integer Hits;
    Integer NotShown;
  };
  const Cell Cells[] = {
      {CellA, Wrapped, taLeftJustify, true, 3, 1},
      {CellB, Single, taRightJustify, false, 1, 0},
      {CellC, Single, taCenter, false, 1, 0},
  };
  TImageCanvas Plain(440, 200, clWhite);   // the same cells without hits
  PrepareCanvas(Plain);
  for (const Cell& X : Cells) {
    DrawCellTextEh(&Plain, X.Rect, true, DX, DY, X.Text, X.Align, tlTop, X.WordWrap, false, 0, 0, false,
                   !X.WordWrap);
    DrawCellTextEh(&C, X.Rect, true, DX, DY, X.Text, X.Align, tlTop, X.WordWrap, false, 0, 0, false, !X.WordWrap);
    Integer NotShown = -1;
    const Integer Hits = DrawHighlightedMatchesEh(&C, X.Rect, DX, DY, X.Text, X.Align, tlTop, X.WordWrap,
                                                  U("ПО"), true, true, false, Highlight, NotShown);
    EXPECT_EQ(Hits, X.Hits);
    EXPECT_EQ(NotShown, X.NotShown);
  }
  ASSERT_TRUE(C.SavePng(gui_test::OutputPath(QStringLiteral("search-hits.png"))));
  const QImage& Img = C.Image();

  struct Expect {
    TRect Box;
    bool Lit;
    const char* What;
  };
  const Expect Boxes[] = {
      {WordBox(C, CellA, DX, DY, 0, Line1, U("порт "), U("по"), taLeftJustify), true, "по, line 1"},
      {WordBox(C, CellA, DX, DY, 1, Line2, U("Рабочий "), U("ПО"), taLeftJustify), true, "ПО-2, line 2"},
      {WordBox(C, CellA, DX, DY, 0, Line1, String(), U("по"), taLeftJustify), false, "по inside порт"},
      {WordBox(C, CellA, DX, DY, 0, Line1, U("порт по "), U("пр"), taLeftJustify), false, "приказу"},
      {WordBox(C, CellB, DX, DY, 0, Single, U("Передать "), U("по"), taRightJustify), true, "по, right"},
      {WordBox(C, CellC, DX, DY, 0, Single, U("Передать "), U("по"), taCenter), true, "по, centre"},
      {WordBox(C, CellB, DX, DY, 0, Single, String(), U("Пе"), taRightJustify), false, "Передать, right"},
  };
  for (const Expect& E : Boxes) {
    SCOPED_TRACE(E.What);
    const TProbe P = Probe(Img, Inner(E.Box));
    if (E.Lit) {
      EXPECT_GT(P.HighlightShare, 0.4);
      // The word is written again exactly where the cell writer put it.
      EXPECT_GT(P.Dark, 3);
      EXPECT_LE(InkMismatch(Img, Plain.Image(), E.Box), P.Dark / 10);
    } else {
      EXPECT_EQ(P.HighlightShare, 0.0);
    }
  }
  // Nothing spills out of the cells: the hit below cell A is not painted.
  EXPECT_EQ(HighlightOutside(Img, {CellA, CellB, CellC}), 0);
}

// Only a hit at the text's start counts when searching from the beginning.
TEST(DrawHighlightedMatchesEh, FromBeginTakesOnlyTheStart)
{
  TImageCanvas C(300, 60, clWhite);
  PrepareCanvas(C);
  const TRect Cell(0, 0, 300, 30);
  struct Case {
    const char* Text;
    Integer Hits;
  };
  const Case Cases[] = {{"xabc", 0}, {"abc abc", 1}, {"abcabc", 1}};
  for (const Case& X : Cases) {
    SCOPED_TRACE(X.Text);
    Integer NotShown = -1;
    EXPECT_EQ(DrawHighlightedMatchesEh(&C, Cell, 2, 1, U(X.Text), taLeftJustify, tlTop, false, U("abc"), false,
                                       false, true, Highlight, NotShown),
              X.Hits);
    EXPECT_EQ(NotShown, 0);
  }
}

// Without the grid tools' search installed, case-insensitive painting
// still finds its hits.
TEST(DrawHighlightedMatchesEh, CaseInsensitiveWithoutInstalledSearch)
{
  ASSERT_FALSE(CaseInsensitiveFindProcEh);
  TImageCanvas C(300, 60, clWhite);
  PrepareCanvas(C);
  Integer NotShown = -1;
  EXPECT_EQ(DrawHighlightedMatchesEh(&C, TRect(0, 0, 300, 30), 2, 1, U("Работа и РАБОТА"), taLeftJustify, tlTop,
                                     false, U("работа"), true, true, false, Highlight, NotShown),
            2);
  Integer Calls = 0;
  CaseInsensitiveFindProcEh = [&](const String& Sub, const String& Text, bool IgnoreCase, Integer Offset,
                                  bool WholeWords) {
    ++Calls;
    return FindTextPosEh(Sub, Text, IgnoreCase, Offset, WholeWords);
  };
  EXPECT_EQ(DrawHighlightedMatchesEh(&C, TRect(0, 0, 300, 30), 2, 1, U("Работа и РАБОТА"), taLeftJustify, tlTop,
                                     false, U("работа"), true, true, false, Highlight, NotShown),
            2);
  CaseInsensitiveFindProcEh = nullptr;
  EXPECT_EQ(Calls, 3);
}
