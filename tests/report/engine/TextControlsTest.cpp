// TextControlsTest.cpp: labels, memos and field texts: breaking into lines
// with a fixed-pitch test font, automatic sizing, printing onto a recorded
// page (alignment, clipping at the control's height, justification, the
// print handler, hidden and disabled controls), the export of text and
// backgrounds, and field texts with masks over a real PostgreSQL query.
#include "platform/data/ADODB.h"
#include "tests/report/engine/ControlTestSupport.h"
#include "tests/report/engine/ReportTestSupport.h"

namespace {

// A report with one band, a job recording one page, and controls placed on
// the band in the fixed-pitch test font.
class TextControlsTest : public ControlPageTest {
protected:
  template <class T>
  T* Place(Integer Width, Integer Height = 40)
  {
    auto* C = new T(&Report);
    C->Font()->SetName(QStringLiteral("Courier New"));
    C->Font()->SetSize(10);
    C->SetParent(Band);
    C->SetAutoSize(false);
    C->SetBounds(10, 10, Width, Height);
    Report.SetUnits(TQRUnit::Native);
    return C;
  }

  // The width of N characters of the test font, as an automatically sized
  // label measures it.
  Integer CharsWidth(Integer N)
  {
    auto* L = Place<TQRLabel>(10);
    L->SetAutoSize(true);
    L->SetCaption(String(N, QChar('x')));
    const Integer W = L->Width();
    delete L;
    return W;
  }

  struct TPlaced {
    String Text;
    TPoint At;
  };
  static std::vector<TPlaced> TextsOf(const TMetafile& Page)
  {
    std::vector<TPlaced> Result;
    Page.Enumerate([&](const TEnhMetaRecord& R) {
      TEmrText T;
      if (DecodeExtTextOut(R, T))
        Result.push_back({T.Text, T.Reference});
      return true;
    });
    return Result;
  }

};

QStringList LinesOf(const TQRCustomLabel& L)
{
  QStringList Result;
  for (Integer I = 0; I < L.FormattedLines()->Count(); ++I)
    Result << L.FormattedLines()->Strings(I);
  return Result;
}

TEST_F(TextControlsTest, BreaksTextIntoLines)
{
  struct Case {
    const char* Name;
    const char* Text;
    Integer WidthChars;   // negative: that many pixels
    TWrapStyle Style;
    bool WordWrap;
    QStringList Lines;
  };
  const Case Cases[] = {
    {"carriage return and line feed", "AAA\r\nBBB", 10, BreakOnSpaces, true, {"AAA", "BBB"}},
    {"a lone line feed joins", "AAA\nBBB", 10, BreakOnSpaces, true, {"AAABBB"}},
    {"hyphen and space stay with their words", "abc-def ghi", 4, BreakOnSpaces, true, {"abc-", "def ", "ghi"}},
    {"words fill the line", "aa bb cc dd", 6, BreakOnSpaces, true, {"aa bb ", "cc dd"}},
    // A word wider than the control goes on, line by line; nothing is lost.
    {"a word twice as wide", "ABCDEFGHIJ", 5, BreakOnSpaces, true, {"ABCDE", "FGHIJ"}},
    {"a long word after a short one", "ab ABCDEFGHIJKL", 5, BreakOnSpaces, true, {"ab ", "ABCDE", "FGHIJ", "KL"}},
    {"no wrap keeps the first line", "aa bb cc dd", 6, BreakOnSpaces, false, {"aa bb "}},
    {"no wrap cuts a word too wide", "ABCDEFGH xy", 5, BreakOnSpaces, false, {"ABCD"}},
    {"anywhere", "abcdefg", 3, BreakAnywhere, true, {"abc", "def", "g"}},
    {"anywhere narrower than a character", "abc", -3, BreakAnywhere, true, {"", "a", "b", "c"}},
    {"anywhere ignores word wrap", "abcdefg", 3, BreakAnywhere, false, {"abc", "def", "g"}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    auto* L = Place<TQRLabel>(C.WidthChars < 0 ? -C.WidthChars : CharsWidth(C.WidthChars));
    L->SetWrapStyle(C.Style);
    L->SetWordWrap(C.WordWrap);
    L->SetCaption(QString::fromLatin1(C.Text));
    EXPECT_EQ(LinesOf(*L), C.Lines);
    delete L;
  }
}

TEST_F(TextControlsTest, AutoSizeTakesTheWidestLineAndKeepsItsAnchor)
{
  const Integer Widest = CharsWidth(7);
  struct Case {
    TAlignment Alignment;
    Integer Left;   // after sizing, from 100 at width 300
  };
  for (const Case& C : {Case{taLeftJustify, 100}, Case{taRightJustify, 100 + 300 - Widest},
                        Case{taCenter, 100 + (300 - Widest) / 2}}) {
    SCOPED_TRACE(int(C.Alignment));
    auto* L = Place<TQRLabel>(300);
    L->SetAlignment(C.Alignment);
    L->SetBounds(100, 10, 300, 20);
    L->SetAutoSize(true);
    L->SetCaption(QStringLiteral("one\r\nseventh\r\ntwo"));
    EXPECT_EQ(LinesOf(*L), (QStringList{"one", "seventh", "two"}));
    EXPECT_EQ(L->Width(), Widest);
    EXPECT_EQ(L->Left(), C.Left);
    delete L;
  }
  // The frame's sides add to the width.
  auto* Framed = Place<TQRLabel>(300);
  Framed->Frame()->SetDrawLeft(true);
  Framed->Frame()->SetDrawRight(true);
  Framed->Frame()->SetWidth(2);
  Framed->SetAutoSize(true);
  Framed->SetCaption(QStringLiteral("seventh"));
  EXPECT_EQ(Framed->Width(), Widest + 4);
}

TEST_F(TextControlsTest, NameAndPrintHandlerDoNotTouchTheCaption)
{
  auto* L = Place<TQRLabel>(CharsWidth(20));
  L->SetName(QStringLiteral("Label1"));
  EXPECT_EQ(L->Caption(), "Label1");
  L->SetCaption(QStringLiteral("Итого"));
  L->SetName(QStringLiteral("Label2"));
  EXPECT_EQ(L->Caption(), "Итого");

  L->OnPrint = [](TObject*, String& Value) { Value += QStringLiteral(" за март"); };
  const auto Page = PrintPage(L);
  EXPECT_EQ(Page->Texts(), QStringList{"Итого за март"});
  EXPECT_EQ(L->Caption(), "Итого");
  EXPECT_EQ(L->PrintCaption(), "Итого");
}

TEST_F(TextControlsTest, VerticalAlignmentPlacesASingleLine)
{
  auto TopOf = [&](TTextLayout Layout, const char* Text) {
    auto* L = Place<TQRLabel>(CharsWidth(10), 200);
    L->SetVerticalAlignment(Layout);
    L->SetCaption(QString::fromLatin1(Text));
    const auto Page = PrintPage(L);
    delete L;
    return TextsOf(*Page).front().At.Y;
  };
  const Integer Top = TopOf(tlTop, "one");
  const Integer Center = TopOf(tlCenter, "one");
  const Integer Bottom = TopOf(tlBottom, "one");
  // The control is 200 pixels high, a line of the test font about 15.
  EXPECT_NEAR(Bottom - Top, 200 - 15, 3);
  EXPECT_NEAR(Center - Top, (Bottom - Top) / 2, 2);
  // With two lines the setting has no effect.
  EXPECT_EQ(TopOf(tlBottom, "one\r\ntwo"), Top);
}

TEST_F(TextControlsTest, LinesBeyondTheHeightAreNotPrintedWithoutStretching)
{
  auto* M = Place<TQRMemo>(CharsWidth(10), 120);
  M->SetName(QStringLiteral("Memo1"));
  for (Integer I = 1; I <= 10; ++I)
    M->Lines()->Add(QStringLiteral("line %1").arg(I));
  const auto Page = PrintPage(M);
  const QStringList Texts = Page->Texts();
  ASSERT_GE(Texts.size(), 2);
  EXPECT_LT(Texts.size(), 10);
  EXPECT_EQ(Texts.front(), "line 1");
  EXPECT_TRUE(M->PrintFinished());
  // The memo's caption is its name again after the print.
  EXPECT_EQ(M->Caption(), "Memo1");
  // Lines follow each other at the font's line height.
  const auto Placed = TextsOf(*Page);
  EXPECT_NEAR(Placed[1].At.Y - Placed[0].At.Y, 15, 1);
}

TEST_F(TextControlsTest, HiddenControlFillsButDrawsNoTextAndDisabledPrintsNothing)
{
  auto Render = [&](bool Visible, bool Enabled) {
    auto* L = Place<TQRLabel>(CharsWidth(10), 60);
    L->SetColor(clYellow);
    L->SetCaption(QStringLiteral("hidden"));
    L->SetVisible(Visible);
    L->SetEnabled(Enabled);
    const auto Page = PrintPage(L);
    delete L;
    TBitmap B(300, 100);
    B.Canvas()->Brush()->SetColor(clWhite);
    B.Canvas()->FillRect(TRect(0, 0, 300, 100));
    B.Canvas()->Draw(0, 0, Page.get());
    return std::pair(Page->Texts(), B.Canvas()->Pixels(80, 14));   // right of the text
  };
  const auto [HiddenTexts, HiddenFill] = Render(false, true);
  EXPECT_TRUE(HiddenTexts.isEmpty());
  EXPECT_EQ(HiddenFill, clYellow);
  const auto [DisabledTexts, DisabledFill] = Render(true, false);
  EXPECT_TRUE(DisabledTexts.isEmpty());
  EXPECT_EQ(DisabledFill, clWhite);
  const auto [ShownTexts, ShownFill] = Render(true, true);
  EXPECT_EQ(ShownTexts, QStringList{"hidden"});
  EXPECT_EQ(ShownFill, clYellow);
}

TEST_F(TextControlsTest, FullJustifySpreadsWordsOnlyWithinTheAllowedGap)
{
  // Words' left edges on the page for a memo of two lines.
  auto Lefts = [&](Integer MaxBreakChars) {
    auto* M = Place<TQRMemo>(CharsWidth(30), 200);
    M->SetFullJustify(true);
    M->SetMaxBreakChars(MaxBreakChars);
    M->Lines()->Add(QStringLiteral("aaa bbb ccc ddd eee fff gggggggg"));
    const auto Page = PrintPage(M);
    delete M;
    std::vector<Integer> Result;
    for (const auto& P : TextsOf(*Page))
      Result.push_back(P.At.X);
    return Result;
  };
  const std::vector<Integer> Plain = Lefts(0);
  ASSERT_EQ(Plain.size(), 7u);
  // Ordinary spaces: every word begins four characters after the last.
  const Integer Step = Plain[1] - Plain[0];
  EXPECT_NEAR(Plain[5] - Plain[0], 5 * Step, 2);
  // Allowed: the first line's six words reach the right edge; the last
  // line's one word stays where it is.
  const std::vector<Integer> Spread = Lefts(5);
  ASSERT_EQ(Spread.size(), 7u);
  EXPECT_GT(Spread[5], Plain[5] + 10);
  EXPECT_EQ(Spread[6], Plain[6]);
  // A line whose gaps would pass the limit keeps ordinary spaces.
  auto* M = Place<TQRMemo>(CharsWidth(40), 200);
  M->SetFullJustify(true);
  M->SetMaxBreakChars(2);
  M->Lines()->Add(QStringLiteral("aa bb"));
  const auto Page = PrintPage(M);
  const auto Narrow = TextsOf(*Page);
  ASSERT_EQ(Narrow.size(), 2u);
  EXPECT_NEAR(Narrow[1].At.X - Narrow[0].At.X, Step * 3 / 4, 1);
}

// Keeps what a run hands to its filter.
class TRecordingFilter : public TQRExportFilter {
public:
  TRecordingFilter() : TQRExportFilter(QStringLiteral("unused")) {}
  QStringList Calls;
  void AcceptGraphic(Extended, Extended, TControl* GControl) override
  {
    auto* Shape = dynamic_cast<TQRShape*>(GControl);
    Calls << QStringLiteral("graphic %1").arg(Shape ? ColorToString(Shape->Brush()->Color()) : String());
  }
  void TextOut(Extended, Extended, TFont*, TColor, TAlignment, const String& Text) override
  {
    Calls << QStringLiteral("text %1").arg(Text);
  }
};

TEST_F(TextControlsTest, ExportSendsBackgroundOnlyForColouredControls)
{
  TRecordingFilter Filter;
  Report.SetExportFilter(&Filter);
  for (TColor Colour : {clWhite, clAqua}) {
    auto* L = Place<TQRLabel>(CharsWidth(20));
    L->SetColor(Colour);
    L->SetCaption(QStringLiteral("Сумма"));
    PrintPage(L);
    delete L;
  }
  EXPECT_EQ(Filter.Calls, (QStringList{"text Сумма", "graphic clAqua", "text Сумма"}));
  Report.SetExportFilter(nullptr);
}

// Field texts by field class and mask, over a real query.
TEST_F(TextControlsTest, FieldTextsByClassAndMask)
{
  TADOConnection Db(nullptr);
  OpenTestConnection(Db);
  TADOQuery Q(nullptr);
  Q.SetConnection(&Db);
  Q.SQL()->SetText(QStringLiteral(
      "select 'Болт М8'::varchar(20) as name, 42::int as qty, 7::smallint as small, 9000000001::bigint as big, "
      "2.5::numeric(10,2) as price, 1.26::float8 as ratio, date '2026-03-15' as shipped, "
      "timestamp '2026-03-15 14:30:00' as stamp, 'первая\nвторая'::text as note"));
  Q.Open();

  struct Case {
    const char* Field;
    const char* Mask;
    const char* Text;
  };
  const Case Cases[] = {
    {"name", "", "Болт М8"},
    {"name", "#0.00", "Болт М8"},   // a string field ignores the mask
    {"qty", "", "42"},
    {"qty", "#0.00", "42,00"},
    {"small", "000", "007"},
    {"big", "#,##0", "9\u00a0000\u00a0000\u00a0001"},
    {"price", "", "2,5"},
    {"price", "#0.000", "2,500"},
    {"ratio", "0.0", "1,3"},
    {"shipped", "", "15.03.2026"},
    {"shipped", "yyyy-mm-dd", "2026-03-15"},
    {"stamp", "hh:nn", "14:30"},
    {"missing", "#0", ""},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::string(C.Field) + " " + C.Mask);
    auto* T = Place<TQRDBText>(CharsWidth(30));
    T->SetDataSet(&Q);
    T->SetDataField(QString::fromLatin1(C.Field));
    T->SetMask(QString::fromLatin1(C.Mask));
    T->Prepare();
    String Text = QStringLiteral("stale");
    T->GetFieldString(Text);
    EXPECT_EQ(Text, QString::fromUtf8(C.Text));
    T->Unprepare();
    EXPECT_EQ(T->Caption(), QString::fromLatin1(C.Field));
    delete T;
  }

  // A memo field prints its lines.
  auto* Note = Place<TQRDBText>(CharsWidth(30), 100);
  Note->SetDataSet(&Q);
  Note->SetDataField(QStringLiteral("note"));
  const auto Page = PrintPage(Note);
  EXPECT_EQ(Page->Texts(), (QStringList{"первая", "вторая"}));
  Note->Unprepare();

  // A dataset that goes away leaves the control empty-handed, not dangling.
  auto* Orphan = Place<TQRDBText>(CharsWidth(30));
  {
    TADOQuery Gone(nullptr);
    Orphan->SetDataSet(&Gone);
  }
  EXPECT_EQ(Orphan->DataSet(), nullptr);
}

} // namespace
