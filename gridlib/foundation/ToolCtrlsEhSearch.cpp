// ToolCtrlsEhSearch.cpp: text search with its whole-word rule, the line
// splitter that repeats the cell writer's word wrap, and the hit painter.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include <algorithm>

TFindTextPosProcEh CaseInsensitiveFindProcEh;

// Characters that end a word. Letters of any alphabet never do: the Cyrillic
// capital Er, once listed here, split every Russian word that holds it.
static constexpr char16_t WordSeparators[] = {
    u' ',    u'.',    u';',    u',',    u':',    u'(',    u')',    u'{',    u'}',   u'"',
    u'\'',   u'/',    u'\\',   u'<',    u'>',    u'!',    u'?',    u'[',    u']',   u'-',
    u'+',    u'*',    u'=',    u'\t',   u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u00A0',
    u'\u201E',
};

bool IsWordSeparatorEh(QChar C)
{
  return std::find(std::begin(WordSeparators), std::end(WordSeparators), C.unicode()) != std::end(WordSeparators);
}

static bool IsWordEdge(const String& Text, qsizetype Index)
{
  return Index < 0 || Index >= Text.size() || IsWordSeparatorEh(Text[Index]);
}

Integer FindTextPosEh(const String& SubText, const String& Text, bool IgnoreCase, Integer Offset,
                      bool WholeWords)
{
  if (SubText.isEmpty())
    return 0;
  const String Sub = IgnoreCase ? AnsiUpperCaseEh(SubText) : SubText;
  const String S = IgnoreCase ? AnsiUpperCaseEh(Text) : Text;
  qsizetype From = std::max(Offset, 1) - 1;
  for (;;) {
    const qsizetype P = S.indexOf(Sub, From);
    if (P < 0)
      return 0;
    if (!WholeWords || (IsWordEdge(S, P - 1) && IsWordEdge(S, P + Sub.size())))
      return Integer(P + 1);
    From = P + 1;
  }
}

Integer FindLineEndEh(const String& Text, Integer Start, Integer MaxWidth, bool WordWrap,
                      const std::vector<Integer>& Widths, Integer& LineWidth)
{
  const Integer N = Integer(Text.size());
  Integer Sum = 0;
  Integer BreakEnd = -1;
  Integer BreakWidth = 0;
  for (Integer I = Start; I < N; ++I) {
    Sum += I < Integer(Widths.size()) ? Widths[std::size_t(I)] : 0;
    const QChar C = Text[I];
    if (C == QLatin1Char(' ')) {
      BreakEnd = I + 1;
      BreakWidth = Sum;
    }
    if (WordWrap && (C == QLatin1Char('\r') || C == QLatin1Char('\n'))) {
      LineWidth = Sum;
      if (C == QLatin1Char('\r') && I + 1 < N && Text[I + 1] == QLatin1Char('\n'))
        return I + 2;
      return I + 1;
    }
    if (Sum > MaxWidth && BreakEnd >= 0) {
      if (WordWrap) {
        LineWidth = BreakWidth;
        return BreakEnd;
      }
      LineWidth = Sum;
      return I + 1;
    }
  }
  LineWidth = Sum;
  return N;
}

// One width per character, from one measuring of the whole text; line
// breaks take no room, as the writer draws none.
static std::vector<Integer> CharWidths(TCanvas* Canvas, const String& Text, Integer& LineHeight)
{
  TSize Size;
  std::vector<Integer> Extents;
  GetTextExtentExPointEh(Canvas, Text, Size, Extents);
  LineHeight = Size.cy;
  std::vector<Integer> Widths(Extents.size());
  Integer Prev = 0;
  for (std::size_t I = 0; I < Extents.size(); ++I) {
    Widths[I] = Extents[I] - Prev;
    Prev = Extents[I];
    if (Text[qsizetype(I)] == QLatin1Char('\r') || Text[qsizetype(I)] == QLatin1Char('\n'))
      Widths[I] = 0;
  }
  return Widths;
}

static TTextLinesEh SplitLines(const String& Text, Integer MaxWidth, bool WordWrap,
                               const std::vector<Integer>& Widths, Integer LineHeight)
{
  TTextLinesEh Lines;
  const Integer N = Integer(Text.size());
  Integer Start = 0;
  do {
    TTextLineEh Line;
    Line.Start = Start;
    const Integer End = FindLineEndEh(Text, Start, MaxWidth, WordWrap, Widths, Line.Width);
    Line.Length = End - Start;
    Line.Height = LineHeight;
    Lines.push_back(Line);
    Start = End;
  } while (WordWrap && Start < N);
  return Lines;
}

TTextLinesEh SplitTextLinesEh(TCanvas* Canvas, Integer MaxWidth, const String& Text, bool WordWrap)
{
  if (Text.isEmpty())
    return {};
  Integer LineHeight = 0;
  const std::vector<Integer> Widths = CharWidths(Canvas, Text, LineHeight);
  return SplitLines(Text, MaxWidth, WordWrap, Widths, LineHeight);
}

void CalcWrappedTextSizeEh(TCanvas* Canvas, Integer MaxWidth, const String& Text, TSize& Size, bool WordWrap)
{
  Size = TSize(0, 0);
  const TTextLinesEh Lines = SplitTextLinesEh(Canvas, MaxWidth, Text, WordWrap);
  for (const TTextLineEh& L : Lines)
    Size.cx = std::max(Size.cx, L.Width);
  if (!Lines.empty())
    Size.cy = Integer(Lines.size()) * Lines.front().Height;
}

namespace {

// One occurrence placed on its line.
struct THitEh {
  Integer X = 0;
  Integer Y = 0;
  Integer Pos = 0;
  Integer Len = 0;
  Integer Width = 0;
  Integer XOffset = 0;
};

} // namespace

// The 0-based positions of every occurrence, overlapping ones included.
static std::vector<Integer> FindAllHits(const String& CellText, const String& SearchText, bool CaseInsensitive,
                                        bool WholeWords, bool FromBegin)
{
  std::vector<Integer> Hits;
  String Sub = SearchText;
  String Text = CellText;
  TFindTextPosProcEh Find = FindTextPosEh;
  if (CaseInsensitive) {
    Sub = AnsiUpperCaseEh(Sub);
    Text = AnsiUpperCaseEh(Text);
    if (CaseInsensitiveFindProcEh)
      Find = CaseInsensitiveFindProcEh;
  }
  Integer Offset = 1;
  for (;;) {
    const Integer P = Find(Sub, Text, CaseInsensitive, Offset, WholeWords);
    if (P <= 0)
      break;
    if (FromBegin) {
      if (P == 1)
        Hits.push_back(0);
      break;
    }
    Hits.push_back(P - 1);
    Offset = P + 1;
  }
  return Hits;
}

static bool StartsRightToLeft(const String& Text)
{
  if (Text.isEmpty())
    return false;
  const QChar::Direction D = Text[0].direction();
  return D == QChar::DirR || D == QChar::DirAL || D == QChar::DirAN;
}

static Integer TopOffset(TCanvas* Canvas, const TRect& Rect, Integer DY, const String& CellText,
                         TTextLayout Layout)
{
  if (Layout == tlTop)
    return DY;
  TRect Calc(0, 0, Rect.Width(), 0);
  DrawTextEh(CanvasHandleEh(Canvas), CellText, -1, Calc, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
  const Integer H = Calc.Height();
  if (Layout == tlCenter)
    return Rect.Height() / 2 - H / 2;
  return Rect.Height() - H - DY;
}

static Integer LineXOffset(const TRect& Rect, Integer DX, Integer LineWidth, TAlignment Alignment)
{
  switch (Alignment) {
  case taRightJustify:
    return Rect.Width() - LineWidth - DX - 1;
  case taCenter:   // halves rounded each on its own, as the writer centres a line
    return Rect.Width() / 2 - LineWidth / 2;
  default:
    return DX;
  }
}

Integer DrawHighlightedMatchesEh(TCanvas* Canvas, TRect Rect, Integer DX, Integer DY, const String& CellText,
                                 TAlignment Alignment, TTextLayout Layout, bool WordWrap,
                                 const String& SearchText, bool CaseInsensitive, bool WholeWords,
                                 bool FromBegin, TColor HighlightColor, Integer& NotShownCount)
{
  NotShownCount = 0;
  const std::vector<Integer> Positions = FindAllHits(CellText, SearchText, CaseInsensitive, WholeWords, FromBegin);
  if (Positions.empty())
    return 0;

  const bool RightToLeft = StartsRightToLeft(CellText);
  const Integer Top = TopOffset(Canvas, Rect, DY, CellText, Layout);
  Integer LineHeight = 0;
  const std::vector<Integer> Widths = CharWidths(Canvas, CellText, LineHeight);
  const TTextLinesEh Lines = SplitLines(CellText, Rect.Width() - DX, WordWrap, Widths, LineHeight);
  auto WidthOf = [&](Integer From, Integer To) {
    Integer W = 0;
    for (Integer I = std::max(From, 0); I < To && I < Integer(Widths.size()); ++I)
      W += Widths[std::size_t(I)];
    return W;
  };

  const Integer Len = Integer(SearchText.size());
  std::vector<THitEh> Hits;
  for (const Integer Pos : Positions) {
    bool Placed = false;
    for (std::size_t L = 0; L < Lines.size(); ++L) {
      const TTextLineEh& Line = Lines[L];
      if (Pos < Line.Start || Pos >= Line.Start + Line.Length)
        continue;
      Hits.push_back({WidthOf(Line.Start, Pos), Integer(L) * LineHeight, Pos, Len, Line.Width,
                      LineXOffset(Rect, DX, Line.Width, Alignment)});
      Placed = true;
      break;
    }
    if (!Placed)
      ++NotShownCount;
  }

  const TColor SavedBrush = Canvas->Brush()->Color();
  const TBrushStyle SavedStyle = Canvas->Brush()->Style();
  const TColor SavedFont = Canvas->Font()->Color();
  // A hit running past the cell's edge must not paint over its neighbour.
  HRGN SavedClip = IntersectClipRectEh(Canvas, Rect);
  Canvas->Brush()->SetColor(HighlightColor);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Font()->SetColor(clWindowText);
  for (const THitEh& H : Hits) {
    const Integer HitWidth = WidthOf(H.Pos, H.Pos + H.Len);
    TRect R;
    if (RightToLeft) {
      R.Right = Rect.Left + H.XOffset + H.Width - H.X;
      R.Left = R.Right - HitWidth;
    } else {
      R.Left = Rect.Left + H.XOffset + H.X;
      R.Right = R.Left + HitWidth;
    }
    R.Top = Rect.Top + Top + H.Y;
    R.Bottom = R.Top + LineHeight;
    if (R.Left >= Rect.Right || R.Top >= Rect.Bottom) {
      ++NotShownCount;
      continue;
    }
    WriteTextEh(Canvas, CellText.mid(H.Pos, H.Len), R);
  }
  RestoreClipRegionEh(Canvas, SavedClip);
  Canvas->Brush()->SetColor(SavedBrush);
  Canvas->Brush()->SetStyle(SavedStyle);
  Canvas->Font()->SetColor(SavedFont);
  return Integer(Positions.size());
}
