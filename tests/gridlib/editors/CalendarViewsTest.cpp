// CalendarViewsTest.cpp: the calendar's date pages (cell dates, steps, ISO
// weeks, the days page layout for any first weekday, keys and clicks), the
// draw style's fonts and the transformator's slide and zoom on a test clock.
#include "gridlib/editors/DateTimeCalendarPickersEh.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Screenshot.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/DateUtils.h"
#include "tests/platform/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using gui_test::GuiTest;

namespace {

// A small stand-in for the picker: it keeps the date-time, the reachable
// pages and the current one, and records what the pages ask of it.
class TTestCalendarHost : public TCustomControlEh, public ICalendarPickerEh {
public:
  explicit TTestCalendarHost(TComponent* AOwner) : TCustomControlEh(AOwner) {}

  TDateTime DateTime() const override { return FDateTime; }
  void SetDateTime(TDateTime Value) override
  {
    FDateTime = Value;
    if (Current)
      Current->SetDateTime(Value);
  }
  void SetDateTimeAnimated(TDateTime Value) override
  {
    ++AnimatedSteps;
    SetDateTime(Value);
  }
  void NextPeriod(bool Animated) override { SetDateTimeAnimated(Current->GetNextPeriodDate(FDateTime, true)); (void)Animated; }
  void PriorPeriod(bool Animated) override { SetDateTimeAnimated(Current->GetNextPeriodDate(FDateTime, false)); (void)Animated; }
  void ShowCalendarView(TCustomCalendarViewEh* View, bool ZoomIn, bool Animated) override
  {
    (void)Animated;
    ZoomIns.push_back(ZoomIn);
    if (Current)
      Current->SetVisible(false);
    Current = View;
    View->SetVisible(true);
    View->HandleNeeded();
    View->SetDateTime(FDateTime);
  }
  TObjectListEh* CalendarViewList() override { return &Views; }
  void UpdatePaintBuffer() override
  {
    Buffer.LoadColors();
    DateTimeCalendarPickerDrawStyle()->SetCalendarWeekNoFontData(nullptr, Font(), Buffer.CalendarWeekNoFont.get());
  }
  TDateTimePickCalendarPaintBufferEh* PaintBuffer() override { return &Buffer; }
  void DateTimeSelected() override { ++Selections; }
  TDaysCalendarViewDayInfoItem* CreateDayInfoItem() override { return new TDaysCalendarViewDayInfoItem(); }
  void GetDayInfo(TDaysCalendarViewDayInfoItem* Item, TDateTime Date) override
  {
    Item->SetIsHoliday(!GlobalWorkingTimeCalendar()->IsWorkday(Date));
  }
  TInteractiveInputMethodEh InputMethod() const override { return FInputMethod; }
  void SetInputMethod(TInteractiveInputMethodEh Value) override { FInputMethod = Value; }

  // Adds a page of this kind, hidden, in the reachable order.
  template <class TView>
  TView* AddView()
  {
    auto* View = new TView(this);
    View->SetParent(this);
    View->SetBounds(0, 0, Width(), Height());
    View->SetVisible(false);
    Views.Add(View);
    return View;
  }
  void Start(TCustomCalendarViewEh* View, TDateTime Value)
  {
    FDateTime = Value;
    if (Current && Current != View)
      Current->SetVisible(false);
    Current = View;
    View->SetVisible(true);
    View->HandleNeeded();
    View->SetDateTime(Value);
  }

  TObjectListEh Views;
  TCustomCalendarViewEh* Current = nullptr;
  TDateTimePickCalendarPaintBufferEh Buffer;
  Integer AnimatedSteps = 0;
  Integer Selections = 0;
  std::vector<bool> ZoomIns;

private:
  TDateTime FDateTime;
  TInteractiveInputMethodEh FInputMethod = iimKeyboardEh;
};

Byte Red(TColor C) { return Byte(Cardinal(C) & 0xFF); }
Byte Blue(TColor C) { return Byte((Cardinal(C) >> 16) & 0xFF); }
TDateTime D(Word Y, Word M, Word Day) { return EncodeDate(Y, M, Day); }
TDateTime DT(Word Y, Word M, Word Day, Word H, Word N) { return EncodeDateTime(Y, M, Day, H, N, 0, 0); }
String Text(TDateTime Value) { return FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn"), Value); }

class CalendarViewsTest : public GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    RegisterDateTimeCalendarPickersEhClasses();
    Form = new TForm(Application);
    Form->SetBounds(0, 0, 320, 280);
    Host = new TTestCalendarHost(Form);
    Host->SetParent(Form);
    Host->SetBounds(0, 0, 280, 230);
    DateTimeCalendarPickerDrawStyle()->SetCalendarFontData(nullptr, Form->Font(), Host->Font());
    Decades = Host->AddView<TDecadesCalendarViewEh>();
    Years = Host->AddView<TYearsCalendarViewEh>();
    Months = Host->AddView<TMonthsCalendarViewEh>();
    Days = Host->AddView<TDaysCalendarViewEh>();
  }
  void TearDown() override
  {
    FormatSettings.FirstDayOfWeek = 0;
    GuiTest::TearDown();
  }
  // The days page's cell that shows Date; (-1, -1) when none does.
  TGridCoord DayCellOf(TDateTime Date)
  {
    for (Integer Row = 1; Row < Days->RowCount(); ++Row)
      for (Integer Col = 1; Col < Days->ColCount(); ++Col) {
        TDateTime V;
        if (Days->TryDateFromCell(TGridCoord(Col, Row), V) && DateOf(V).Val == Date.Val)
          return TGridCoord(Col, Row);
      }
    return TGridCoord(-1, -1);
  }

  TForm* Form = nullptr;
  TTestCalendarHost* Host = nullptr;
  TDecadesCalendarViewEh* Decades = nullptr;
  TYearsCalendarViewEh* Years = nullptr;
  TMonthsCalendarViewEh* Months = nullptr;
  TDaysCalendarViewEh* Days = nullptr;
};

} // namespace

TEST_F(CalendarViewsTest, CellsStandForDatesAndKeepMonthDayAndTime)
{
  struct Case {
    const char* Name;
    TCustomCalendarViewEh* View;
    TDateTime Shown;
    TGridCoord Cell;
    bool Ok;
    TDateTime Expected;
  };
  const Case Cases[] = {
    // The decades page of the 1900s: the 1890s first, the 2000s last.
    {"decade 1890s", Decades, DT(1957, 6, 15, 10, 30), {0, 0}, true, DT(1897, 6, 15, 10, 30)},
    {"decade 2000s", Decades, DT(1957, 6, 15, 10, 30), {3, 2}, true, DT(2007, 6, 15, 10, 30)},
    {"decade of 29 Feb into a common year", Decades, D(2024, 2, 29), {1, 0}, true, D(2004, 2, 29)},
    {"decade of 29 Feb, no such day", Decades, D(2024, 2, 29), {2, 0}, false, D(2024, 2, 29)},
    // Below year 100 and above 9999 nothing can be picked.
    {"decade before year 100", Decades, D(105, 3, 1), {0, 0}, false, D(105, 3, 1)},
    {"decade after 9999", Decades, D(9995, 3, 1), {3, 2}, false, D(9995, 3, 1)},
    {"years 2023 from 29 Feb 2024", Years, D(2024, 2, 29), {0, 1}, false, D(2024, 2, 29)},
    {"years 2028 from 29 Feb 2024", Years, D(2024, 2, 29), {1, 2}, true, D(2028, 2, 29)},
    {"years first cell is the year before", Years, DT(2024, 5, 5, 8, 0), {0, 0}, true, DT(2019, 5, 5, 8, 0)},
    {"year 99 is below the limits", Years, D(100, 1, 1), {0, 0}, false, D(100, 1, 1)},
    {"year 10000 is above them", Years, D(9999, 12, 31), {3, 2}, false, D(9999, 12, 31)},
    {"February from 31 January, leap year", Months, DT(2024, 1, 31, 12, 0), {1, 0}, true, DT(2024, 2, 29, 12, 0)},
    {"February from 31 January", Months, D(2023, 1, 31), {1, 0}, true, D(2023, 2, 28)},
    {"December", Months, D(2023, 1, 31), {3, 2}, true, D(2023, 12, 31)},
    {"days title row", Days, D(2024, 9, 10), {3, 0}, false, D(2024, 9, 10)},
    {"days week column", Days, D(2024, 9, 10), {0, 3}, false, D(2024, 9, 10)},
    {"first day cell of September 2024", Days, DT(2024, 9, 10, 9, 15), {1, 1}, true, DT(2024, 8, 26, 9, 15)},
    {"last day cell of September 2024", Days, D(2024, 9, 10), {7, 6}, true, D(2024, 10, 6)},
    {"before 0100-01-01", Days, D(100, 1, 20), {1, 1}, false, D(100, 1, 20)},
    {"0100-01-01 itself", Days, D(100, 1, 20), {5, 1}, true, D(100, 1, 1)},
    {"after 9999-12-31", Days, D(9999, 12, 20), {7, 6}, false, D(9999, 12, 20)},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    C.View->SetDateTime(C.Shown);
    TDateTime Value = C.Shown;
    EXPECT_EQ(C.View->TryDateFromCell(C.Cell, Value), C.Ok);
    if (C.Ok) {
      EXPECT_EQ(Text(Value), Text(C.Expected));
    }
  }
}

TEST_F(CalendarViewsTest, PeriodStepsClampTheDayAndStopAtTheLimits)
{
  struct Case {
    const char* Name;
    TCustomCalendarViewEh* View;
    TDateTime From;
    bool Forward;
    TDateTime Expected;
  };
  const Case Cases[] = {
    {"31 January + 1 month", Days, DT(2024, 1, 31, 13, 45), true, DT(2024, 2, 29, 13, 45)},
    {"31 March - 1 month", Days, D(2023, 3, 31), false, D(2023, 2, 28)},
    {"29 February + 1 year", Months, D(2024, 2, 29), true, D(2025, 2, 28)},
    {"years page steps a decade", Years, D(2024, 2, 29), false, D(2014, 2, 28)},
    {"decades page steps a century", Decades, DT(1957, 6, 15, 10, 30), true, DT(2057, 6, 15, 10, 30)},
    {"December 9999 stays", Days, D(9999, 12, 15), true, D(9999, 12, 15)},
    {"January 100 stays", Days, D(100, 1, 15), false, D(100, 1, 15)},
    {"a century past 9999 stays", Decades, D(9950, 1, 1), true, D(9950, 1, 1)},
    {"a century before 100 stays", Decades, D(150, 1, 1), false, D(150, 1, 1)},
    {"back to year 100", Years, DT(110, 6, 1, 6, 0), false, DT(100, 6, 1, 6, 0)},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(Text(C.View->GetNextPeriodDate(C.From, C.Forward)), Text(C.Expected));
  }
  // Before 1899-12-30 the time of day counts backwards; it survives a step.
  const TDateTime Old = DT(1800, 3, 31, 18, 0);
  EXPECT_EQ(Text(Days->GetNextPeriodDate(Old, false)), Text(DT(1800, 2, 28, 18, 0)));
}

TEST_F(CalendarViewsTest, ArrowsAndPageKeysStepThePickersDate)
{
  struct Case {
    const char* Name;
    TCustomCalendarViewEh* View;
    Word Key;
    TDateTime Expected;
  };
  const TDateTime Start = DT(2024, 2, 29, 7, 0);
  const Case Cases[] = {
    {"days right", Days, VK_RIGHT, DT(2024, 3, 1, 7, 0)},
    {"days up", Days, VK_UP, DT(2024, 2, 22, 7, 0)},
    {"days page down", Days, VK_NEXT, DT(2024, 3, 29, 7, 0)},
    {"months left", Months, VK_LEFT, DT(2024, 1, 29, 7, 0)},
    {"months down", Months, VK_DOWN, DT(2024, 6, 29, 7, 0)},
    {"years right", Years, VK_RIGHT, DT(2025, 2, 28, 7, 0)},
    {"years down", Years, VK_DOWN, DT(2028, 2, 29, 7, 0)},
    {"decades left", Decades, VK_LEFT, DT(2014, 2, 28, 7, 0)},
    {"decades up", Decades, VK_UP, DT(1984, 2, 29, 7, 0)},
    {"decades page up", Decades, VK_PRIOR, DT(1924, 2, 29, 7, 0)},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    Host->Start(C.View, Start);
    Word Key = C.Key;
    C.View->KeyDown(Key, TShiftState());
    EXPECT_EQ(Key, 0);
    EXPECT_EQ(Text(Host->DateTime()), Text(C.Expected));
    EXPECT_EQ(Text(C.View->DateTime()), Text(C.Expected));
  }
  // At the last day the calendar knows, a step forward changes nothing.
  Host->Start(Days, D(9999, 12, 31));
  Word Key = VK_RIGHT;
  Days->KeyDown(Key, TShiftState());
  EXPECT_EQ(Text(Host->DateTime()), Text(D(9999, 12, 31)));
}

TEST_F(CalendarViewsTest, EnterZoomsInAndPicksOnTheFinestPage)
{
  Host->Start(Decades, D(2024, 5, 5));
  Word Key = VK_RETURN;
  // Ctrl+Enter on the coarsest page: nothing to zoom out to, the key passes.
  Decades->KeyDown(Key, TShiftState{ssCtrl});
  EXPECT_EQ(Key, VK_RETURN);
  EXPECT_EQ(Host->Current, Decades);
  // Enter zooms in without consuming the key; on the days page it picks.
  for (TCustomCalendarViewEh* Next : {static_cast<TCustomCalendarViewEh*>(Years), static_cast<TCustomCalendarViewEh*>(Months),
                                      static_cast<TCustomCalendarViewEh*>(Days)}) {
    Key = VK_RETURN;
    Host->Current->KeyDown(Key, TShiftState());
    EXPECT_EQ(Host->Current, Next);
  }
  EXPECT_EQ(Host->ZoomIns, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(Host->Selections, 0);
  Key = VK_RETURN;
  Days->KeyDown(Key, TShiftState());
  EXPECT_EQ(Key, 0);
  EXPECT_EQ(Host->Selections, 1);
  Key = VK_RETURN;
  Days->KeyDown(Key, TShiftState{ssCtrl});
  EXPECT_EQ(Key, 0);
  EXPECT_EQ(Host->Current, Months);
}

TEST_F(CalendarViewsTest, ClicksPickZoomInAndRightClickZoomsOut)
{
  Form->Show();
  Application->ProcessMessages();
  Host->Start(Months, D(2023, 1, 31));
  Application->ProcessMessages();
  EXPECT_EQ(Months->ColWidths(1), Months->ClientWidth() / 4);
  // March is column 2 of row 0: the press picks, the click opens the days.
  const TRect March = Months->CalcCellRect(2, 0);
  gui_test::Click(Months, QPoint(March.Left + 3, March.Top + 3));
  EXPECT_EQ(Text(Host->DateTime()), Text(D(2023, 3, 31)));
  EXPECT_EQ(Host->Current, Days);
  EXPECT_EQ(Host->InputMethod(), iimMouseEh);
  // A click on the day names changes nothing; a day cell picks the date.
  Application->ProcessMessages();
  const TRect Title = Days->CalcCellRect(3, 0);
  gui_test::Click(Days, QPoint(Title.Left + 3, Title.Top + 3));
  EXPECT_EQ(Host->Selections, 0);
  const TGridCoord Cell = DayCellOf(D(2023, 3, 8));
  const TRect R = Days->CalcCellRect(Cell.X, Cell.Y);
  gui_test::Click(Days, QPoint(R.Left + 3, R.Top + 3));
  EXPECT_EQ(Text(Host->DateTime()), Text(D(2023, 3, 8)));
  EXPECT_EQ(Host->Selections, 1);
  gui_test::Click(Days, QPoint(R.Left + 3, R.Top + 3), Qt::RightButton);
  EXPECT_EQ(Host->Current, Months);
  // A year cell standing for a date that does not exist still zooms in.
  Host->Start(Years, D(2024, 2, 29));
  Application->ProcessMessages();
  const TRect Y2023 = Years->CalcCellRect(0, 1);
  gui_test::Click(Years, QPoint(Y2023.Left + 3, Y2023.Top + 3));
  EXPECT_EQ(Text(Host->DateTime()), Text(D(2024, 2, 29)));
  EXPECT_EQ(Host->Current, Months);
}

TEST_F(CalendarViewsTest, IsoWeekNumbers)
{
  struct Case {
    TDateTime Date;
    Word Week;
  };
  const Case Cases[] = {
    {D(2015, 1, 1), 1},    // 1 January on a Thursday
    {D(2014, 12, 29), 1},  // the Monday of that week, still December
    {D(2016, 1, 1), 53},   // 1 January on a Friday belongs to the old year
    {D(2016, 1, 4), 1},
    {D(2018, 12, 31), 1},  // 31 December on a Monday belongs to the new year
    {D(2020, 12, 31), 53},
    {D(2021, 1, 3), 53},
    {D(2024, 12, 30), 1},
    {D(2026, 3, 15), 11},
    {D(100, 1, 1), 53},
    {D(9999, 12, 31), 52},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(Text(C.Date).toStdString());
    EXPECT_EQ(IsoWeekNumberEh(C.Date), C.Week);
  }
}

TEST_F(CalendarViewsTest, DaysPageFitsEveryMonthWhateverTheFirstWeekday)
{
  // Monday first: a month from a Monday starts in the first cell, one from
  // a Sunday in the seventh.
  Days->SetDateTime(D(2024, 4, 15));
  EXPECT_EQ(DayCellOf(D(2024, 4, 1)), TGridCoord(1, 1));
  Days->SetDateTime(D(2024, 9, 15));
  EXPECT_EQ(DayCellOf(D(2024, 9, 1)), TGridCoord(7, 1));
  EXPECT_EQ(DayCellOf(D(2024, 9, 30)), TGridCoord(1, 6));

  // Every first weekday, every month of two years: the start is that
  // weekday, at most six days before the 1st, and the last day is on the page.
  for (Byte First = 0; First < 7; ++First) {
    FormatSettings.FirstDayOfWeek = First;
    Days->UpdateFirstWeekDay();
    for (Word Year : {2024, 2026})
      for (Word Month = 1; Month <= 12; ++Month) {
        SCOPED_TRACE(testing::Message() << "first weekday " << int(First) << ", " << Month << "." << Year);
        Days->SetDateTime(D(Year, Month, 10));
        const TDateTime Start = Days->StartDate();
        EXPECT_EQ(DayOfTheWeek(Start) - 1, First);
        EXPECT_LE(D(Year, Month, 1).Val - Start.Val, 6);
        EXPECT_GE(D(Year, Month, 1).Val - Start.Val, 0);
        EXPECT_NE(DayCellOf(DateOf(EndOfAMonth(Year, Month))), TGridCoord(-1, -1));
      }
  }
  // Tuesday first: March 2026 begins on a Sunday and has 31 days.
  FormatSettings.FirstDayOfWeek = 1;
  Days->UpdateFirstWeekDay();
  Days->SetDateTime(D(2026, 3, 10));
  EXPECT_EQ(Text(Days->StartDate()), Text(D(2026, 2, 24)));
  EXPECT_EQ(DayCellOf(D(2026, 3, 1)), TGridCoord(6, 1));
  EXPECT_EQ(DayCellOf(D(2026, 3, 31)), TGridCoord(1, 6));

  // A change of the format settings reaches the page as a settings message.
  FormatSettings.FirstDayOfWeek = 6;
  Days->Perform(CM_WININICHANGE, 0, 0);
  EXPECT_EQ(Days->FirstWeekDayNum(), 6);
  EXPECT_EQ(Text(Days->StartDate()), Text(D(2026, 3, 1)));
}

TEST_F(CalendarViewsTest, InfoTextsAndRanges)
{
  Host->Start(Days, D(2024, 3, 5));
  for (TCustomCalendarViewEh* V : {static_cast<TCustomCalendarViewEh*>(Decades), static_cast<TCustomCalendarViewEh*>(Years),
                                   static_cast<TCustomCalendarViewEh*>(Months)})
    V->SetDateTime(D(2024, 3, 5));
  EXPECT_EQ(Decades->GetDateInfoText(), QStringLiteral("2000-2099"));
  EXPECT_EQ(Years->GetDateInfoText(), QStringLiteral("2020-2029"));
  EXPECT_EQ(Months->GetDateInfoText(), QStringLiteral("2024"));
  EXPECT_EQ(Days->GetDateInfoText(), QStringLiteral("Март 2024"));
  EXPECT_TRUE(Days->DateInViewRange(D(2024, 3, 31)));
  EXPECT_FALSE(Days->DateInViewRange(D(2024, 4, 1)));
  EXPECT_TRUE(Years->DateInViewRange(D(2029, 12, 31)));
  EXPECT_FALSE(Years->DateInViewRange(D(2030, 1, 1)));
  EXPECT_FALSE(Decades->DateInViewRange(D(2100, 1, 1)));
}

TEST_F(CalendarViewsTest, PagesLookRight)
{
  Form->Show();
  Application->ProcessMessages();
  // 11 December 2026 is the test machine's today only by chance; the
  // selected day is another one so that both marks show.
  const TDateTime Shown = IncDay(Date(), 13);
  struct Page {
    TCustomCalendarViewEh* View;
    const char* File;
  };
  const Page Pages[] = {{Decades, "calendar_decades.png"}, {Years, "calendar_years.png"},
                        {Months, "calendar_months.png"}, {Days, "calendar_days.png"}};
  for (const Page& P : Pages) {
    SCOPED_TRACE(P.File);
    Host->Start(P.View, Shown);
    Application->ProcessMessages();
    EXPECT_TRUE(SaveScreenshot(P.View, gui_test::OutputPath(QString::fromLatin1(P.File))));
    P.View->SetVisible(false);
  }
  // The same days page in the flat look (no visual style).
  TStyleManager::SetSystemThemesEnabled(false);
  Host->Start(Days, Shown);
  Application->ProcessMessages();
  EXPECT_TRUE(SaveScreenshot(Days, gui_test::OutputPath(QStringLiteral("calendar_days_flat.png"))));
  TStyleManager::SetSystemThemesEnabled(true);
}

TEST_F(CalendarViewsTest, CalendarFontsFollowTheMasterFont)
{
  struct Case {
    Integer Master;
    Integer Calendar;
    Integer CalendarForWeekNo;
    Integer WeekNo;
  };
  // Round halves to even: 8.8 -> 9, 11 -> 11; 7.2 -> 7, 3.2 -> 3, 4 -> 4 - 1.
  const Case Cases[] = {{8, 9, 9, 7}, {10, 11, 4, 3}, {5, 6, 5, 4}};
  TFont Master, CalendarFont, WeekNo, Probe;
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Master);
    Master.SetSize(C.Master);
    Master.SetName(QStringLiteral("Arial"));
    DateTimeCalendarPickerDrawStyle()->SetCalendarFontData(nullptr, &Master, &CalendarFont);
    EXPECT_EQ(CalendarFont.Size(), C.Calendar);
    EXPECT_EQ(CalendarFont.Name(), QStringLiteral("Segoe UI"));
    Probe.SetSize(C.CalendarForWeekNo);
    DateTimeCalendarPickerDrawStyle()->SetCalendarWeekNoFontData(nullptr, &Probe, &WeekNo);
    EXPECT_EQ(WeekNo.Size(), C.WeekNo);
  }
}

// ---------------------------------------------------------------------------
// Transformator

namespace {


void Fill(TBitmap* Bitmap, TColor Color)
{
  Bitmap->Canvas()->Brush()->SetColor(Color);
  Bitmap->Canvas()->FillRect(TRect(0, 0, Bitmap->Width(), Bitmap->Height()));
}

class TransformatorTest : public GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    Form = new TForm(Application);
    Trans = new TImageTransformatorEh(Form);
    Trans->SetParent(Form);
    Trans->SetBounds(0, 0, 100, 50);
    Trans->OnTransformFinished = [this](TObject*) { ++Finished; };
  }
  // Old picture red, new one blue.
  void Prepare(TImageTransformStyleEh Style, Integer Time, TColor Old = clRed, TColor New = clBlue)
  {
    Trans->Reset(nullptr, nullptr);
    Fill(Trans->Bitmap1(), Old);
    Fill(Trans->Bitmap2(), New);
    Trans->SetTransformStyle(Style);
    Trans->SetTransformTime(Time);
  }
  TColor At(Integer X, Integer Y) { return Trans->ResultBitmap()->Canvas()->Pixels(X, Y); }

  TForm* Form = nullptr;
  TImageTransformatorEh* Trans = nullptr;
  Integer Finished = 0;
};

} // namespace

TEST_F(TransformatorTest, SlidesRunOnTheTimerAndEndOnTheNewPicture)
{
  TTestClock Clock;
  Prepare(itsRightToLeftTransformEh, 250);
  Trans->AnimatedTransform();
  EXPECT_TRUE(Trans->Animating());
  // Frames come every 15 ms: the one at 120 ms has moved the old picture
  // out by 48 pixels and the new one after it.
  Clock.Advance(125);
  EXPECT_TRUE(Trans->Animating());
  EXPECT_EQ(At(51, 10), clRed);
  EXPECT_EQ(At(52, 10), clBlue);
  EXPECT_EQ(Finished, 0);
  Clock.Advance(200);
  EXPECT_FALSE(Trans->Animating());
  EXPECT_EQ(Finished, 1);
  EXPECT_EQ(At(0, 0), clBlue);
  EXPECT_EQ(At(99, 49), clBlue);

  Prepare(itsLeftToRightTransformEh, 250);
  Trans->AnimatedTransform();
  Clock.Advance(50);   // the frame at 45 ms: the new picture 18 pixels in from the left
  EXPECT_EQ(At(17, 10), clBlue);
  EXPECT_EQ(At(18, 10), clRed);
  Clock.Advance(300);
  EXPECT_EQ(Finished, 2);
  EXPECT_EQ(At(99, 10), clBlue);
}

TEST_F(TransformatorTest, ZoomGrowsTheFinePageOutOfTheCell)
{
  TTestClock Clock;
  Prepare(itsZoomInTransformEh, 300);
  Trans->SetZoomWinRect(TRect(24, 10, 48, 30));
  Trans->AnimatedTransform();
  Clock.Advance(149);
  Trans->DrawFrame(150);
  // f = 0.5: the fine page covers (12, 5)-(74, 40); outside it only the
  // half-faded red page shows (full red over white), inside blue dims it.
  EXPECT_EQ(Red(At(11, 20)), 255);
  EXPECT_LT(Red(At(12, 20)), 200);
  EXPECT_LT(Red(At(73, 39)), 200);
  EXPECT_EQ(Red(At(74, 20)), 255);
  EXPECT_EQ(Red(At(30, 4)), 255);
  EXPECT_GT(Blue(At(30, 20)), 150);
  Clock.Advance(200);
  EXPECT_EQ(Finished, 1);
  EXPECT_EQ(At(0, 0), clBlue);

  // Zooming out the fine (old) page shrinks into the cell; at the end the
  // coarse page stands alone.
  Prepare(itsZoomOutTransformEh, 300);
  Trans->SetZoomWinRect(TRect(24, 10, 48, 30));
  Trans->AnimatedTransform();
  Trans->DrawFrame(150);
  EXPECT_LT(Red(At(11, 20)), 150);
  EXPECT_GT(Red(At(30, 20)), 180);
  Clock.Advance(400);
  EXPECT_EQ(Finished, 2);
  EXPECT_EQ(At(30, 20), clBlue);
}

TEST_F(TransformatorTest, ANewTransitionLeavesNoFrameOfTheOldOne)
{
  TTestClock Clock;
  Prepare(itsRightToLeftTransformEh, 250);
  Trans->AnimatedTransform();
  Clock.Advance(100);
  // Started again mid-way with other pictures: the first one's timer must
  // not paint red or blue over them.
  Prepare(itsLeftToRightTransformEh, 250, clGreen, clYellow);
  Trans->AnimatedTransform();
  for (Integer Step = 0; Step < 20; ++Step) {
    Clock.Advance(15);
    for (Integer X : {0, 30, 60, 99}) {
      const TColor C = At(X, 25);
      EXPECT_TRUE(C == clGreen || C == clYellow) << "frame " << Step << " x " << X;
    }
  }
  EXPECT_FALSE(Trans->Animating());
  EXPECT_EQ(Finished, 1);
  EXPECT_EQ(At(50, 25), clYellow);
}

TEST_F(TransformatorTest, NoTimeOrNoCellStillEndsOnTheNewPicture)
{
  TTestClock Clock;
  for (Integer Time : {0, 1}) {
    SCOPED_TRACE(Time);
    Prepare(itsRightToLeftTransformEh, Time);
    Fill(Trans->ResultBitmap(), clBlue);
    Trans->AnimatedTransform();
    EXPECT_FALSE(Trans->Animating());
    EXPECT_EQ(At(10, 10), clBlue);
  }
  EXPECT_EQ(Finished, 2);
  // A zoom cell of no size fades instead of dividing by zero.
  Prepare(itsZoomInTransformEh, 300);
  Trans->SetZoomWinRect(TRect(10, 10, 10, 30));
  Trans->AnimatedTransform();
  Trans->DrawFrame(150);
  EXPECT_GT(Red(At(50, 25)), 100);
  EXPECT_GT(Blue(At(50, 25)), 100);
  Clock.Advance(400);
  EXPECT_EQ(At(50, 25), clBlue);
  EXPECT_EQ(Finished, 3);
}

TEST_F(CalendarViewsTest, ColoursFollowLightAndDarkStyles)
{
  TDateTimeCalendarPickerDrawStyleEh* S = DateTimeCalendarPickerDrawStyle();
  TStyleManager::SetSystemThemesEnabled(false);
  const TColor LightHot = S->HotTrackCellBrushColor();
  const TColor LightHoliday = S->HolidayFontColor();
  EXPECT_NE(LightHot, S->NormalCellBrushColor());
  EXPECT_NE(LightHot, S->SelectedCellBrushColor());
  TStyleManager::SetSystemThemesEnabled(true);

  // A dark style: the hot brush is computed again for its colours, and
  // holidays are drawn lighter so that they read on the dark window.
  ASSERT_TRUE(TStyleManager::TrySetStyle(QStringLiteral("Graphite"), false));
  const TColor DarkHot = S->HotTrackCellBrushColor();
  EXPECT_NE(DarkHot, LightHot);
  EXPECT_NE(DarkHot, S->NormalCellBrushColor());
  EXPECT_LT(LuminanceOfColorEh(S->NormalCellBrushColor()), 128);
  EXPECT_GT(LuminanceOfColorEh(S->HolidayFontColor()), LuminanceOfColorEh(LightHoliday));
  Form->Show();
  Host->Start(Days, IncDay(Date(), 13));
  Application->ProcessMessages();
  EXPECT_TRUE(SaveScreenshot(Days, gui_test::OutputPath(QStringLiteral("calendar_days_dark.png"))));
  TStyleManager::TrySetStyle(QStringLiteral("Windows"), false);

  // Another base colour for holidays.
  S->SetHolidayBaseFontColor(clBlue);
  const TColor Holiday = S->HolidayFontColor();
  EXPECT_GT(Blue(Holiday), Red(Holiday));
  S->SetHolidayBaseFontColor(clDefault);
  EXPECT_EQ(S->HolidayFontColor(), LightHoliday);
}

TEST_F(CalendarViewsTest, HotCellShowsOnlyWhileTheMouseIsUsed)
{
  TStyleManager::SetSystemThemesEnabled(false);
  Form->Show();
  Host->Start(Months, D(2023, 1, 15));
  Application->ProcessMessages();
  const TRect R = Months->CalcCellRect(2, 1);
  const QPoint P(R.Left + 5, R.Top + 5);
  Months->Perform(WM_MOUSEMOVE, 0, MakeLParam(Word(P.x()), Word(P.y())));
  EXPECT_EQ(Host->InputMethod(), iimMouseEh);
  const auto CellColour = [&] {
    TBitmap Image(Months->Width(), Months->Height());
    Months->PaintTo(Image.Canvas()->Handle(), 0, 0);
    return Image.Canvas()->Pixels(R.Left + 2, R.Top + 2);
  };
  EXPECT_EQ(CellColour(), DateTimeCalendarPickerDrawStyle()->HotTrackCellBrushColor());
  // Keys take the hot mark away while the mouse rests.
  Host->SetInputMethod(iimKeyboardEh);
  EXPECT_EQ(CellColour(), DateTimeCalendarPickerDrawStyle()->NormalCellBrushColor());
  TStyleManager::SetSystemThemesEnabled(true);
}
