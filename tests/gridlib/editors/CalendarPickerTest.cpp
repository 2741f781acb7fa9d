// CalendarPickerTest.cpp: the calendar picker's time page and time grids,
// the pages it offers for the units it shows, and the popup calendar form's
// pick and cancel.
#include "gridlib/editors/DateTimeCalendarPickersEh.h"
#include "platform/gui/Screenshot.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/DateUtils.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <optional>

namespace {

using TUnits = TCalendarDateTimeUnitsEh;
const TUnits DateUnits{cdtuYearEh, cdtuMonthEh, cdtuDayEh};
const TUnits AllUnits{cdtuYearEh, cdtuMonthEh, cdtuDayEh, cdtuHourEh, cdtuMinuteEh, cdtuSecondEh};

TDateTime At(Word Y, Word Mo, Word D, Word H, Word Mi, Word S = 0) { return EncodeDateTime(Y, Mo, D, H, Mi, S, 0); }

std::string Text(TDateTime V) { return FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn:ss"), V).toStdString(); }

class CalendarPickerTest : public gui_test::GuiTest {
protected:
  static void SetUpTestSuite() { RegisterPopupDateTimeCalendarEhClasses(); }
  void SetUp() override
  {
    GuiTest::SetUp();
    GlobalGridLibManager()->SetDateTimeCalendarPickerShowTimeSelectionPage(true);
    Form = new TForm(Application, 0);
    Form->SetBounds(100, 100, 400, 400);
    Picker = new TDateTimeCalendarPickerEh(Form);
    Picker->SetParent(Form);
    Picker->SetLeft(10);
    Picker->SetTop(10);
    Picker->OnDateTimeSelected = [this](TObject*) { ++Selected; };
    Form->Show();
    Application->ProcessMessages();
    Picker->SetFocus();
    Application->ProcessMessages();
  }
  void TearDown() override
  {
    delete Form;
    GlobalGridLibManager()->SetDateTimeCalendarPickerShowTimeSelectionPage(true);
    GuiTest::TearDown();
  }
  void Press(int QtKey, Qt::KeyboardModifiers Mods = Qt::NoModifier)
  {
    gui_test::Key(Picker, QtKey, Mods);
    Application->ProcessMessages();
  }
  // Starts on the time page with the value given.
  void OnTimePage(TUnits Units, TDateTime Value)
  {
    Picker->SetTimeUnits(Units);
    Picker->SetDateTime(Value);
    Picker->ShowCalendarView(Picker->TimeView(), false, false);
    Picker->TimeView()->ResetRegion();
  }
  // The screen-free centre of a cell of a view, in the view's client.
  static QPoint CellCentre(TCustomCalendarViewEh* View, Integer Col, Integer Row)
  {
    const TRect R = View->CalcCellRect(Col, Row);
    return QPoint(R.Left + R.Width() / 2, R.Top + R.Height() / 2);
  }
  static void MouseEvent(TWinControl* Control, QEvent::Type Type, QPoint P, Qt::MouseButtons Buttons)
  {
    QWidget* W = Control->Widget();
    QMouseEvent E(Type, QPointF(P), W->mapToGlobal(QPointF(P)),
                  Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(W, &E);
  }

  TForm* Form = nullptr;
  TDateTimeCalendarPickerEh* Picker = nullptr;
  Integer Selected = 0;
};

} // namespace

TEST_F(CalendarPickerTest, TimePageStepsWrapWithinTheirUnit)
{
  struct TCase {
    const char* What;
    TDateTime Start;
    std::vector<int> Keys;
    TDateTime Expected;
  };
  const TCase Cases[] = {
    {"hour 23 up", At(2026, 3, 10, 23, 15, 10), {Qt::Key_Up}, At(2026, 3, 10, 0, 15, 10)},
    {"hour 0 down", At(2026, 3, 10, 0, 15, 10), {Qt::Key_Down}, At(2026, 3, 10, 23, 15, 10)},
    {"hour 9 up", At(2026, 3, 10, 9, 15, 10), {Qt::Key_Up}, At(2026, 3, 10, 10, 15, 10)},
    {"minute 59 up", At(2026, 3, 10, 14, 59, 10), {Qt::Key_Right, Qt::Key_Up}, At(2026, 3, 10, 14, 0, 10)},
    {"minute 0 down", At(2026, 3, 10, 14, 0, 10), {Qt::Key_Right, Qt::Key_Down}, At(2026, 3, 10, 14, 59, 10)},
    {"second 59 up", At(2026, 3, 10, 14, 20, 59), {Qt::Key_Right, Qt::Key_Right, Qt::Key_Up},
     At(2026, 3, 10, 14, 20, 0)},
    {"second 0 down", At(2026, 3, 10, 14, 20, 0), {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down},
     At(2026, 3, 10, 14, 20, 59)},
    // Left from the hours comes round to OK, where the arrows do nothing.
    {"OK ignores arrows", At(2026, 3, 10, 14, 20, 0), {Qt::Key_Left, Qt::Key_Up, Qt::Key_Down},
     At(2026, 3, 10, 14, 20, 0)},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    OnTimePage(AllUnits, C.Start);
    for (int K : C.Keys)
      Press(K);
    EXPECT_EQ(Text(Picker->DateTime()), Text(C.Expected));
    EXPECT_EQ(Picker->CurrentCalendarView(), Picker->TimeView());
  }
  // Enter on OK picks the value; the wheel over a value column steps it.
  EXPECT_EQ(Picker->TimeView()->ActiveRegion(), tcarOKButtonEh);
  Press(Qt::Key_Return);
  EXPECT_EQ(Selected, 1);
  TTimeCalendarViewEh* Page = Picker->TimeView();
  EXPECT_TRUE(Page->ProcessMouseWheel({}, Page->ClientToScreen(TPoint(CellCentre(Page, 1, 2).x(), 0)), true));
  EXPECT_EQ(Text(Picker->DateTime()), "10.03.2026 15:20:00");
}

TEST_F(CalendarPickerTest, FiveStepsSnapAndCarryIntoTheNextUnit)
{
  struct TSnap {
    TDateTime Value;
    bool Seconds;
    TDateTime Expected;
  };
  const TSnap Snaps[] = {
    {At(2026, 3, 10, 10, 23, 40), false, At(2026, 3, 10, 10, 25, 40)},
    {At(2026, 3, 10, 10, 22, 40), false, At(2026, 3, 10, 10, 20, 40)},
    // 58 and 59 would snap to 60: they become the next hour, minute or day.
    {At(2026, 3, 10, 10, 58, 0), false, At(2026, 3, 10, 11, 0, 0)},
    {At(2026, 3, 10, 23, 59, 30), false, At(2026, 3, 11, 0, 0, 30)},
    {At(2026, 3, 10, 10, 20, 58), true, At(2026, 3, 10, 10, 21, 0)},
    {At(2026, 12, 31, 23, 59, 59), true, At(2027, 1, 1, 0, 0, 0)},
  };
  for (const TSnap& S : Snaps) {
    SCOPED_TRACE(Text(S.Value));
    const TDateTime Got = S.Seconds ? SnapToFiveSecondsEh(S.Value) : SnapToFiveMinutesEh(S.Value);
    EXPECT_EQ(Text(Got), Text(S.Expected));
  }

  // The arrows of the choice grids step in real time and snap.
  struct TMove {
    const char* What;
    TCustomCalendarViewEh* View;
    TDateTime Start;
    int Key;
    TDateTime Expected;
  };
  const TMove Moves[] = {
    {"minutes down", Picker->MinutesView(), At(2026, 3, 10, 10, 25), Qt::Key_Down, At(2026, 3, 10, 10, 45)},
    {"minutes right", Picker->MinutesView(), At(2026, 3, 10, 10, 25), Qt::Key_Right, At(2026, 3, 10, 10, 30)},
    {"minutes right to 58", Picker->MinutesView(), At(2026, 3, 10, 23, 53), Qt::Key_Right, At(2026, 3, 11, 0, 0)},
    {"minutes up past midnight", Picker->MinutesView(), At(2026, 3, 11, 0, 5), Qt::Key_Up, At(2026, 3, 10, 23, 45)},
    {"seconds right to 58", Picker->SecondsView(), At(2026, 3, 10, 10, 20, 53), Qt::Key_Right,
     At(2026, 3, 10, 10, 21, 0)},
    {"hours right at 23", Picker->Hours24View(), At(2026, 3, 10, 23, 0), Qt::Key_Right, At(2026, 3, 11, 0, 0)},
    {"hours down", Picker->Hours24View(), At(2026, 3, 10, 9, 0), Qt::Key_Down, At(2026, 3, 10, 17, 0)},
  };
  Picker->SetTimeUnits(AllUnits);
  for (const TMove& M : Moves) {
    SCOPED_TRACE(M.What);
    Picker->SetDateTime(M.Start);
    Picker->ShowCalendarView(M.View, true, false);
    Press(M.Key);
    EXPECT_EQ(Text(Picker->DateTime()), Text(M.Expected));
    EXPECT_EQ(Picker->CurrentCalendarView(), M.View);
  }
}

TEST_F(CalendarPickerTest, PagesFollowTheUnits)
{
  struct TCase {
    const char* What;
    TUnits Units;
    bool TimePage;
    std::vector<TCustomCalendarViewEh*> List;
    TCustomCalendarViewEh* Start;
    bool Header;
    Integer Cols, OkCol;
    std::vector<TTimeCalendarViewColTypeEh> ColTypes;
  };
  const auto B = tcvctBlankEh, H = tcvctHourEh, M = tcvctMinuteEh, S = tcvctSecondEh, C = tcvctColonEh;
  const TCase Cases[] = {
    {"date", DateUnits, true,
     {Picker->DecadesView(), Picker->YearsView(), Picker->MonthsView(), Picker->DaysView()},
     Picker->DaysView(), true, 7, 5, {}},
    {"date and time", AllUnits, true,
     {Picker->DecadesView(), Picker->YearsView(), Picker->MonthsView(), Picker->DaysView(), Picker->TimeView()},
     Picker->DaysView(), true, 7, 5, {B, H, C, M, C, S, B}},
    {"hours and minutes", {cdtuHourEh, cdtuMinuteEh}, true, {Picker->TimeView()}, Picker->TimeView(), false, 7, 5,
     {B, B, H, C, M, B, B}},
    {"hours", {cdtuHourEh}, true, {Picker->TimeView()}, Picker->TimeView(), false, 7, 5, {B, B, B, H, B, B, B}},
    // Without the time page a time-only picker has no page to go to.
    {"no time page", {cdtuHourEh, cdtuMinuteEh}, false, {}, Picker->DaysView(), false, 7, 5, {}},
  };
  for (const TCase& K : Cases) {
    SCOPED_TRACE(K.What);
    Picker->SetTimeUnits({});
    Picker->ShowCalendarView(Picker->DaysView(), false, false);
    GlobalGridLibManager()->SetDateTimeCalendarPickerShowTimeSelectionPage(K.TimePage);
    Picker->SetTimeUnits(K.Units);
    std::vector<TCustomCalendarViewEh*> List;
    for (Integer I = 0; I < Picker->CalendarViewList()->Count(); ++I)
      List.push_back(static_cast<TCustomCalendarViewEh*>(Picker->CalendarViewList()->Items(I)));
    EXPECT_EQ(List, K.List);
    EXPECT_EQ(Picker->CurrentCalendarView(), K.Start);
    EXPECT_TRUE(K.Start->Visible());
    EXPECT_EQ(Picker->DateInfoLabel()->Visible(), K.Header);
    EXPECT_EQ(Picker->PriorPeriodButton()->Visible(), K.Header);
    EXPECT_EQ(Picker->NextPeriodButton()->Visible(), K.Header);
    TTimeCalendarViewEh* Page = Picker->TimeView();
    EXPECT_EQ(Page->ColCount(), K.Cols);
    EXPECT_EQ(Page->OkButtonCol(), K.OkCol);
    for (size_t I = 0; I < K.ColTypes.size(); ++I)
      EXPECT_EQ(Page->ColType(Integer(I)), K.ColTypes[I]) << "column " << I;
  }
}

TEST_F(CalendarPickerTest, ChainOfPagesByKeysAndClicks)
{
  Picker->SetTimeUnits(AllUnits);
  Picker->SetDateTime(At(2026, 3, 10, 14, 25, 0));
  ASSERT_EQ(Picker->CurrentCalendarView(), Picker->DaysView());
  // Enter on the days page goes on to the time page, not to a pick.
  Press(Qt::Key_Return);
  EXPECT_EQ(Picker->CurrentCalendarView(), Picker->TimeView());
  EXPECT_EQ(Selected, 0);
  // Enter on the hours opens their grid; a click there picks the hour and,
  // with seconds shown, comes back to the time page.
  Press(Qt::Key_Return);
  ASSERT_EQ(Picker->CurrentCalendarView(), Picker->Hours24View());
  gui_test::Click(Picker->Hours24View(), CellCentre(Picker->Hours24View(), 1, 2));
  Application->ProcessMessages();
  EXPECT_EQ(Text(Picker->DateTime()), "10.03.2026 17:25:00");
  EXPECT_EQ(Picker->CurrentCalendarView(), Picker->TimeView());
  // A click on the minute value opens the minutes; Enter there returns and
  // moves the keyboard on to the seconds.
  gui_test::Click(Picker->TimeView(), CellCentre(Picker->TimeView(), 3, 2));
  Application->ProcessMessages();
  ASSERT_EQ(Picker->CurrentCalendarView(), Picker->MinutesView());
  gui_test::Click(Picker->MinutesView(), CellCentre(Picker->MinutesView(), 3, 1));
  Application->ProcessMessages();
  EXPECT_EQ(Text(Picker->DateTime()), "10.03.2026 17:35:00");
  EXPECT_EQ(Picker->CurrentCalendarView(), Picker->TimeView());
  // The up arrow of the seconds steps at once.
  gui_test::Click(Picker->TimeView(), CellCentre(Picker->TimeView(), 5, 1));
  Application->ProcessMessages();
  EXPECT_EQ(Text(Picker->DateTime()), "10.03.2026 17:35:01");
  EXPECT_EQ(Picker->TimeView()->ActiveRegion(), tcarSecondsEh);
  // Ctrl+Enter and a right click go back to the days.
  Press(Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(Picker->CurrentCalendarView(), Picker->DaysView());
  Press(Qt::Key_Return);
  ASSERT_EQ(Picker->CurrentCalendarView(), Picker->TimeView());
  gui_test::Click(Picker->TimeView(), CellCentre(Picker->TimeView(), 3, 4), Qt::RightButton);
  Application->ProcessMessages();
  EXPECT_EQ(Picker->CurrentCalendarView(), Picker->DaysView());
  // OK on the time page picks.
  Press(Qt::Key_Return);
  gui_test::Click(Picker->TimeView(), CellCentre(Picker->TimeView(), Picker->TimeView()->OkButtonCol(), 5));
  Application->ProcessMessages();
  EXPECT_EQ(Selected, 1);

  // Pressing today's label moves to today keeping the time; again, it picks.
  Picker->SetTimeUnits(DateUnits);
  Picker->SetDateTime(At(2020, 1, 2, 8, 9, 10));
  gui_test::Click(Picker->TodayInfoLabel(), QPoint(20, 5));
  Application->ProcessMessages();
  EXPECT_EQ(Text(Picker->DateTime()), Text(TDateTime(Date().Val + TimeOf(At(2020, 1, 2, 8, 9, 10)).Val)));
  EXPECT_EQ(Selected, 1);
  gui_test::Click(Picker->TodayInfoLabel(), QPoint(20, 5));
  Application->ProcessMessages();
  EXPECT_EQ(Selected, 2);
}

TEST_F(CalendarPickerTest, HeldArrowRepeatsOnTheTestClock)
{
  TTestClock Clock;
  OnTimePage(AllUnits, At(2026, 3, 10, 5, 0, 0));
  TTimeCalendarViewEh* Page = Picker->TimeView();
  const QPoint Up = CellCentre(Page, 1, 1);
  MouseEvent(Page, QEvent::MouseMove, Up, Qt::NoButton);
  MouseEvent(Page, QEvent::MouseButtonPress, Up, Qt::LeftButton);
  // Once at once, again after 400 ms, then every 100 ms.
  EXPECT_EQ(HourOf(Picker->DateTime()), 6);
  Clock.Advance(399);
  EXPECT_EQ(HourOf(Picker->DateTime()), 6);
  Clock.Advance(1);
  EXPECT_EQ(HourOf(Picker->DateTime()), 7);
  Clock.Advance(100);
  EXPECT_EQ(HourOf(Picker->DateTime()), 8);
  Clock.Advance(200);
  EXPECT_EQ(HourOf(Picker->DateTime()), 10);
  // Off the arrow the stepping pauses.
  MouseEvent(Page, QEvent::MouseMove, CellCentre(Page, 3, 4), Qt::LeftButton);
  Clock.Advance(300);
  EXPECT_EQ(HourOf(Picker->DateTime()), 10);
  MouseEvent(Page, QEvent::MouseMove, Up, Qt::LeftButton);
  Clock.Advance(100);
  EXPECT_EQ(HourOf(Picker->DateTime()), 11);
  // Letting go stops it.
  MouseEvent(Page, QEvent::MouseButtonRelease, Up, Qt::NoButton);
  EXPECT_FALSE(Page->RepeatTimer()->Enabled());
  Clock.Advance(1000);
  EXPECT_EQ(HourOf(Picker->DateTime()), 11);
}

TEST_F(CalendarPickerTest, PopupPicksAndCancels)
{
  auto* Popup = new TPopupDateTimeCalendarFormEh(Form);
  IPopupDateTimePickerEh* Intf = Popup;
  std::vector<bool> Ends;
  const auto Open = [&](TUnits Units, TDateTime Start) {
    Intf->SetTimeUnits(Units);
    Intf->SetFont(Form->Font());
    Intf->UpdateSize();
    Intf->DropDown(TPoint(150, 160), [&](TWinControl* Sender, bool Accept) {
      EXPECT_EQ(Sender, Popup);
      Ends.push_back(Accept);
    }, Start);
    Application->ProcessMessages();
    ASSERT_TRUE(Popup->Visible());
    // The form is the picker's size and lies at the point asked.
    EXPECT_EQ(Popup->ClientWidth(), Popup->CalendarPicker()->Width());
    EXPECT_EQ(Popup->ClientHeight(), Popup->CalendarPicker()->Height());
    EXPECT_EQ(Popup->Left(), 150);
  };
  // The picker's keys reach it through its own window as the editor sends them.
  const auto Send = [&](Word Key) {
    Popup->CalendarPicker()->Perform(WM_KEYDOWN, Key, 0);
    Application->ProcessMessages();
  };

  Open(DateUnits, At(2026, 3, 10, 14, 30));
  Send(VK_RIGHT);
  Send(VK_RETURN);
  EXPECT_FALSE(Popup->Visible());
  EXPECT_EQ(Ends, std::vector<bool>{true});
  EXPECT_EQ(Text(Intf->GetDateTime()), "11.03.2026 14:30:00");

  // Esc closes without a pick, and so does CloseUp.
  Open(DateUnits, At(2026, 3, 10, 14, 30));
  Send(VK_RIGHT);
  Send(VK_ESCAPE);
  EXPECT_FALSE(Popup->Visible());
  Open(AllUnits, At(2026, 3, 10, 14, 30));
  Intf->CloseUp();
  Application->ProcessMessages();
  EXPECT_FALSE(Popup->Visible());
  EXPECT_EQ(Ends, (std::vector<bool>{true, false, false}));
  EXPECT_EQ(Intf->GetTimeUnits(), AllUnits);
  EXPECT_TRUE(Intf->WantFocus());
  EXPECT_TRUE(Intf->IsAvailable());
  EXPECT_EQ(GlobalGridLibManager()->PopupDateTimePickerClass(), TPopupDateTimeCalendarFormEh::StaticClass());
}

TEST_F(CalendarPickerTest, Screenshots)
{
  Picker->SetTimeUnits(AllUnits);
  Picker->SetDateTime(At(2026, 3, 10, 14, 25, 30));
  Application->ProcessMessages();
  EXPECT_TRUE(SaveScreenshot(Picker, gui_test::OutputPath(QStringLiteral("calendarpicker_days.png"))));
  Picker->ShowCalendarView(Picker->TimeView(), false, false);
  Picker->TimeView()->ResetRegion();
  Application->ProcessMessages();
  EXPECT_TRUE(SaveScreenshot(Picker, gui_test::OutputPath(QStringLiteral("calendarpicker_timepage.png"))));
  Picker->ShowCalendarView(Picker->Hours24View(), true, false);
  Application->ProcessMessages();
  EXPECT_TRUE(SaveScreenshot(Picker, gui_test::OutputPath(QStringLiteral("calendarpicker_hours.png"))));
  Picker->ShowCalendarView(Picker->MinutesView(), true, false);
  Application->ProcessMessages();
  EXPECT_TRUE(SaveScreenshot(Picker, gui_test::OutputPath(QStringLiteral("calendarpicker_minutes.png"))));
}
