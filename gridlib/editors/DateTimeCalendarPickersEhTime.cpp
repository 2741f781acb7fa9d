// DateTimeCalendarPickersEhTime.cpp: the hour, minute and second grids and
// the time page of the calendar picker.
#include "gridlib/editors/DateTimeCalendarPickersEh.h"

#include "platform/rtl/DateUtils.h"

#include <cmath>

namespace {

bool SameDay(TDateTime A, TDateTime B) { return DateOf(A).Val == DateOf(B).Val; }

String TwoDigits(Integer N) { return String::number(N).rightJustified(2, QLatin1Char('0')); }

// Sets one of the hour, minute and second, keeping the rest.
TDateTime WithTimePart(TDateTime Value, TTimeCalendarViewColTypeEh Part, Word N)
{
  Word Y, Mo, D, H, Mi, S, Ms;
  DecodeDateTime(Value, Y, Mo, D, H, Mi, S, Ms);
  switch (Part) {
  case tcvctHourEh: H = N; break;
  case tcvctMinuteEh: Mi = N; break;
  case tcvctSecondEh: S = N; break;
  default: break;
  }
  return EncodeDateTime(Y, Mo, D, H, Mi, S, Ms);
}

// The look of every time page: no lines, no border, no scroll bars, the
// picker's font.
void SetupTimeGrid(TCustomCalendarViewEh* View, Integer Cols, Integer Rows)
{
  View->BeginUpdateBoundaries();
  View->SetOptions(TGridOptionsEh{goDrawFocusSelectedEh});
  View->SetParentFont(true);
  View->SetBorderStyle(TBorderStyle::bsNone);
  View->HorzScrollBar()->SetVisibleMode(sbNeverShowEh);
  View->VertScrollBar()->SetVisibleMode(sbNeverShowEh);
  View->SetFixedColCount(0);
  View->SetFixedRowCount(0);
  View->SetColCount(Cols);
  View->SetRowCount(Rows);
  View->EndUpdateBoundaries();
}

// Five times the nearest of Part / 5, halves to the even neighbour.
Integer SnappedSteps(Word Part) { return Integer(std::nearbyint(Part * 12.0 / 60.0)); }

} // namespace

TDateTimeCalendarPickerEh* PickerOfViewEh(const TCustomCalendarViewEh* View)
{
  return dynamic_cast<TDateTimeCalendarPickerEh*>(View->Owner());
}

TDateTime SnapToFiveMinutesEh(TDateTime Value)
{
  const Word M = MinuteOf(Value);
  // 58 and 59 snap to 60: counted from the hour, that is the next hour.
  return IncMinute(Value, 5 * SnappedSteps(M) - M);
}

TDateTime SnapToFiveSecondsEh(TDateTime Value)
{
  const Word S = SecondOf(Value);
  return IncSecond(Value, 5 * SnappedSteps(S) - S);
}

// ---- The choice grids ------------------------------------------------------

TTimeUnitCalendarViewEh::TTimeUnitCalendarViewEh(TComponent* AOwner) : TCustomCalendarViewEh(AOwner)
{
  SetSelectNextViewOnClick(false);
}

bool TTimeUnitCalendarViewEh::SelectNextView(bool Forward, bool Animated)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return false;
  if (Forward)
    return false;
  Picker->ShowCalendarView(Picker->TimeView(), false, Animated);
  return true;
}

void TTimeUnitCalendarViewEh::KeyDown(Word& Key, TShiftState Shift)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  if (Key == VK_RETURN) {
    TTimeCalendarViewEh* Page = Picker->TimeView();
    Picker->ShowCalendarView(Page, false, true);
    if (!Shift.Contains(ssCtrl))
      Page->SelectNextRegion(true);
    Key = 0;
    return;
  }
  inherited::KeyDown(Key, Shift);
}

void TTimeUnitCalendarViewEh::DrawChoiceCell(const TRect& ARect, TGridDrawState State, bool Selected,
                                             const String& Text)
{
  const bool Hot = IsHotCell(State);
  SetCellCanvasColors(Hot, Selected);
  TCalendarViewDrawStateEh DrawState;
  if (Selected)
    DrawState.Include(cvdsSelectedEh);
  if (Hot)
    DrawState.Include(cvdsHotTrackEh);
  DateTimeCalendarPickerDrawStyle()->DrawCalendarViewCellBackgraund(this, Canvas(), ARect, DrawState);
  DrawCellTextEh(Canvas(), ARect, false, 0, 0, Text, taCenter, tlCenter, true, false, 0, 0, false, true);
}

THours24CalendarViewEh::THours24CalendarViewEh(TComponent* AOwner) : TTimeUnitCalendarViewEh(AOwner)
{
  SetupTimeGrid(this, 8, 3);
}

void THours24CalendarViewEh::MoveHorz(bool Forward)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  Picker->SetDateTimeAnimated(IncHour(Picker->DateTime(), Forward ? 1 : -1));
}

void THours24CalendarViewEh::MoveVert(bool Forward)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  Picker->SetDateTimeAnimated(IncHour(Picker->DateTime(), Forward ? 8 : -8));
}

bool THours24CalendarViewEh::DateInViewRange(TDateTime ADateTime) { return SameDay(ADateTime, FDate); }

String THours24CalendarViewEh::GetDateInfoText() { return DateToStr(FDate); }

TDateTime THours24CalendarViewEh::GetNextPeriodDate(TDateTime ADateTime, bool MoveForward)
{
  return IncDay(ADateTime, MoveForward ? 1 : -1);
}

bool THours24CalendarViewEh::TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime)
{
  const Integer Hour = CellHour(Cell.X, Cell.Y);
  if (Hour < 0 || Hour > 23)
    return false;
  ADateTime = WithTimePart(FDate, tcvctHourEh, Word(Hour));
  return true;
}

void THours24CalendarViewEh::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State)
{
  const Integer Hour = CellHour(ACol, ARow);
  DrawChoiceCell(ARect, State, Hour == HourOf(FDate), IntToStr(Hour));
}

void THours24CalendarViewEh::CellMouseClick(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos,
                                            TRect CellRect, TShiftState Shift)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  inherited::CellMouseClick(Cell, Button, InCellPos, MousePos, CellRect, Shift);
  const TCalendarDateTimeUnitsEh Units = Picker->TimeUnits();
  if (Button == mbLeft && Units.Contains(cdtuMinuteEh) && !Units.Contains(cdtuSecondEh))
    Picker->ShowCalendarView(Picker->MinutesView(), true, true);
  else if (Button == mbLeft || Button == mbRight)
    Picker->ShowCalendarView(Picker->TimeView(), false, true);
}

THours12CalendarViewEh::THours12CalendarViewEh(TComponent* AOwner) : THours24CalendarViewEh(AOwner)
{
  SetupTimeGrid(this, 6, 6);
}

Integer THours12CalendarViewEh::CellHour(Integer ACol, Integer ARow) const
{
  if (ARow == 1 || ARow == 2)
    return ACol + 6 * (ARow - 1);
  if (ARow == 4 || ARow == 5)
    return 12 + ACol + 6 * (ARow - 4);
  return -1;
}

void THours12CalendarViewEh::MoveVert(bool Forward)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  Picker->SetDateTimeAnimated(IncHour(Picker->DateTime(), Forward ? 6 : -6));
}

void THours12CalendarViewEh::Paint()
{
  FRow0Drawn = false;
  FRow3Drawn = false;
  inherited::Paint();
}

void THours12CalendarViewEh::DrawCaptionRow(Integer ARow)
{
  bool& Drawn = ARow == 0 ? FRow0Drawn : FRow3Drawn;
  if (Drawn)
    return;
  // One strip across the row, under one caption.
  TRect R = CalcCellRect(0, ARow);
  for (Integer C = 1; C < 6; ++C)
    R.Right += ColWidths(C);
  Canvas()->Brush()->SetColor(FPaintBuffer->NormalCellBrushColor);
  Canvas()->FillRect(R);
  Canvas()->Font()->SetColor(FPaintBuffer->NormalCellFontColor);
  DrawCellTextEh(Canvas(), R, false, 0, 0, ARow == 0 ? QStringLiteral("AM") : QStringLiteral("PM"), taCenter, tlCenter,
                 false, false, 0, 0, false, true);
  Drawn = true;
}

void THours12CalendarViewEh::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State)
{
  if (ARow == 0 || ARow == 3) {
    DrawCaptionRow(ARow);
    return;
  }
  const Integer Hour = CellHour(ACol, ARow);
  const Integer Shown = Hour % 12 == 0 ? 12 : Hour % 12;
  DrawChoiceCell(ARect, State, Hour == HourOf(FDate), IntToStr(Shown));
}

void THours12CalendarViewEh::CellMouseClick(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos,
                                            TRect CellRect, TShiftState Shift)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  // A caption picks no hour: the page changes as in the 24-hour grid.
  if (CellHour(Cell.X, Cell.Y) < 0 || Button != mbLeft) {
    inherited::CellMouseClick(Cell, Button, InCellPos, MousePos, CellRect, Shift);
    return;
  }
  TTimeUnitCalendarViewEh::CellMouseClick(Cell, Button, InCellPos, MousePos, CellRect, Shift);
  const TCalendarDateTimeUnitsEh Units = Picker->TimeUnits();
  if (Units.Contains(cdtuMinuteEh))
    Picker->ShowCalendarView(Picker->MinutesView(), true, true);
  else if (Units.Contains(cdtuSecondEh))
    Picker->ShowCalendarView(Picker->SecondsView(), true, true);
  else
    Picker->ShowCalendarView(Picker->TimeView(), false, true);
}

TMinutesCalendarViewEh::TMinutesCalendarViewEh(TComponent* AOwner) : TTimeUnitCalendarViewEh(AOwner)
{
  SetupTimeGrid(this, 4, 3);
}

Word TMinutesCalendarViewEh::UnitOf(TDateTime Value) const { return MinuteOf(Value); }

TDateTime TMinutesCalendarViewEh::Step(TDateTime Value, Integer N) const { return IncMinute(Value, N); }

TDateTime TMinutesCalendarViewEh::Snap(TDateTime Value) const { return SnapToFiveMinutesEh(Value); }

void TMinutesCalendarViewEh::MoveHorz(bool Forward)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  Picker->SetDateTimeAnimated(Snap(Step(Picker->DateTime(), Forward ? 5 : -5)));
}

void TMinutesCalendarViewEh::MoveVert(bool Forward)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  Picker->SetDateTimeAnimated(Snap(Step(Picker->DateTime(), Forward ? 20 : -20)));
}

bool TMinutesCalendarViewEh::DateInViewRange(TDateTime ADateTime)
{
  return SameDay(ADateTime, FDate) && HourOf(ADateTime) == HourOf(FDate);
}

String TMinutesCalendarViewEh::GetDateInfoText()
{
  return DateToStr(FDate) + QLatin1Char(' ') + FormatDateTime(QStringLiteral("HH"), FDate) + QStringLiteral(":(M)");
}

TDateTime TMinutesCalendarViewEh::GetNextPeriodDate(TDateTime ADateTime, bool MoveForward)
{
  return IncHour(ADateTime, MoveForward ? 1 : -1);
}

bool TMinutesCalendarViewEh::TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime)
{
  ADateTime = WithTimePart(FDate, tcvctMinuteEh, Word(5 * (Cell.X + 4 * Cell.Y)));
  return true;
}

void TMinutesCalendarViewEh::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State)
{
  const Integer N = 5 * (ACol + 4 * ARow);
  DrawChoiceCell(ARect, State, N == UnitOf(FDate), TwoDigits(N));
}

void TMinutesCalendarViewEh::CellMouseClick(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos,
                                            TRect CellRect, TShiftState Shift)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  inherited::CellMouseClick(Cell, Button, InCellPos, MousePos, CellRect, Shift);
  Picker->ShowCalendarView(Picker->TimeView(), false, true);
}

TSecondsCalendarViewEh::TSecondsCalendarViewEh(TComponent* AOwner) : TMinutesCalendarViewEh(AOwner) {}

Word TSecondsCalendarViewEh::UnitOf(TDateTime Value) const { return SecondOf(Value); }

TDateTime TSecondsCalendarViewEh::Step(TDateTime Value, Integer N) const { return IncSecond(Value, N); }

TDateTime TSecondsCalendarViewEh::Snap(TDateTime Value) const { return SnapToFiveSecondsEh(Value); }

bool TSecondsCalendarViewEh::DateInViewRange(TDateTime ADateTime)
{
  return SameDay(ADateTime, FDate) && HourOf(ADateTime) == HourOf(FDate) && MinuteOf(ADateTime) == MinuteOf(FDate);
}

String TSecondsCalendarViewEh::GetDateInfoText()
{
  return DateToStr(FDate) + QLatin1Char(' ') + FormatDateTime(QStringLiteral("HH:NN"), FDate) + QStringLiteral(":(S)");
}

TDateTime TSecondsCalendarViewEh::GetNextPeriodDate(TDateTime ADateTime, bool MoveForward)
{
  return IncMinute(ADateTime, MoveForward ? 1 : -1);
}

bool TSecondsCalendarViewEh::TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime)
{
  ADateTime = WithTimePart(FDate, tcvctSecondEh, Word(5 * (Cell.X + 4 * Cell.Y)));
  return true;
}

// ---- The time page ---------------------------------------------------------

TTimeCalendarViewEh::TTimeCalendarViewEh(TComponent* AOwner) : TCustomCalendarViewEh(AOwner)
{
  // Quick clicks on an arrow are steps each, not a double click.
  SetControlStyle(ControlStyle() - TControlStyle{csDoubleClicks});
  SetSelectNextViewOnClick(false);
  GetLocaleHoursFormatEh(FHoursFormat, FAmPmPos);
  FRegionProcList = {&TTimeCalendarViewEh::HoursRegionAction, &TTimeCalendarViewEh::MinutesRegionAction,
                     &TTimeCalendarViewEh::SecondsRegionAction, &TTimeCalendarViewEh::OKButtonRegionAction};
  FPopupList = new TPopupListboxEh(this);
  FPopupList->SetVisible(false);
  FPopupList->SetCtl3D(false);
  FPopupList->SetSizeGripAlwaysShow(false);
  FPopupList->SetItemAlignment(taCenter);
  FPopupList->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    PopupListMouseUp(Sender, Button, Shift, X, Y);
  };
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->OnTimer = [this](TObject* Sender) { RepeatTimerTimer(Sender); };
  SetupTimeGrid(this, 7, 6);
}

TCalendarDateTimeUnitsEh TTimeCalendarViewEh::ShownTimeUnits() const
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return {};
  TCalendarDateTimeUnitsEh Units;
  const TCalendarDateTimeUnitsEh All = Picker->TimeUnits();
  for (TCalendarDateTimeUnitEh U : {cdtuHourEh, cdtuMinuteEh, cdtuSecondEh})
    if (All.Contains(U))
      Units.Include(U);
  return Units;
}

TTimeCalendarViewColTypeEh TTimeCalendarViewEh::ColType(Integer ACol) const
{
  return ACol >= 0 && ACol < Integer(FColTypes.size()) ? FColTypes[ACol] : tcvctBlankEh;
}

void TTimeCalendarViewEh::ResetGrid()
{
  const TCalendarDateTimeUnitsEh Units = ShownTimeUnits();
  SetFixedColCount(0);
  SetFixedRowCount(0);
  SetRowCount(6);
  // Minutes or seconds without the hour still need their columns: they
  // take the layout of the nearest full set.
  if (Units.Contains(cdtuSecondEh)) {
    SetColCount(AmPm12() ? 9 : 7);
    FOkButtonCol = AmPm12() ? 7 : 5;
  } else if (!Units.Empty()) {
    SetColCount(AmPm12() ? 6 : 7);
    FOkButtonCol = AmPm12() ? 4 : 5;
  }
  UpdateCellSizes();
  Invalidate();
}

void TTimeCalendarViewEh::ResetRegion()
{
  FActiveRegion = tcarHoursEh;
  Invalidate();
}

void TTimeCalendarViewEh::UpdateCellSizes()
{
  if (!HandleAllocated())
    return;
  const TCalendarDateTimeUnitsEh Units = ShownTimeUnits();
  const bool Seconds = Units.Contains(cdtuSecondEh);
  const bool Minutes = Seconds || Units.Contains(cdtuMinuteEh);
  const TTimeCalendarViewColTypeEh B = tcvctBlankEh, H = tcvctHourEh, M = tcvctMinuteEh, S = tcvctSecondEh,
                                   C = tcvctColonEh, A = tcvctAmPmEh;
  std::vector<Integer> Fixed;
  if (Seconds && !AmPm12()) {
    FColTypes = {B, H, C, M, C, S, B};
    Fixed = {0, 2, 4, 6};
  } else if (Seconds) {
    FColTypes = {B, H, C, M, C, S, B, A, B};
    Fixed = {0, 2, 4, 6, 8};
  } else if (Minutes && !AmPm12()) {
    FColTypes = {B, B, H, C, M, B, B};
    Fixed = {0, 3, 6};
  } else if (Minutes) {
    FColTypes = {B, H, C, M, A, B};
    Fixed = {0, 2, 5};
  } else if (!AmPm12()) {
    FColTypes = {B, B, B, H, B, B, B};
    Fixed = {0, 2, 4, 6};
  } else {
    FColTypes = {B, B, H, A, B, B};
    Fixed = {0, 5};
  }
  FVisibleRegions = {tcarHoursEh};
  if (Minutes)
    FVisibleRegions.push_back(tcarMinutesEh);
  if (Seconds)
    FVisibleRegions.push_back(tcarSecondsEh);
  FVisibleRegions.push_back(tcarOKButtonEh);
  if (ColCount() != Integer(FColTypes.size()))
    SetColCount(Integer(FColTypes.size()));

  Canvas()->Font()->Assign(Font());
  const Integer V = Canvas()->TextWidth(QStringLiteral("00"));
  const Integer W = ClientWidth();
  std::vector<Integer> Sharing;
  for (Integer I = 0; I < ColCount(); ++I)
    if (std::find(Fixed.begin(), Fixed.end(), I) == Fixed.end())
      Sharing.push_back(I);
  const Integer Rest = std::max(0, W - V * Integer(Fixed.size()));
  const Integer Each = Sharing.empty() ? 0 : Rest / Integer(Sharing.size());
  Integer Extra = Sharing.empty() ? 0 : Rest % Integer(Sharing.size());
  for (Integer I : Fixed)
    SetColWidths(I, V);
  for (Integer I : Sharing)
    SetColWidths(I, Each + (Extra-- > 0 ? 1 : 0));
  if (Seconds && AmPm12()) {
    // The blank between the seconds and AM/PM gives its width to the
    // value columns.
    SetColWidths(6, 0);
    SetColWidths(1, ColWidths(1) + V / 3);
    SetColWidths(3, ColWidths(3) + 2 * V / 3 - V / 3);
    SetColWidths(5, ColWidths(5) + V - 2 * V / 3);
  }

  const Integer CH = ClientHeight();
  const Integer RowH = CH / 6;
  for (Integer R = 0; R < 6; ++R)
    SetRowHeights(R, RowH + (R < CH % 6 ? 1 : 0));
  // The OK row is about one and a half rows high.
  SetRowHeights(4, RowHeights(4) - RowH / 2);
  SetRowHeights(5, RowHeights(5) + RowH / 2);
}

Integer TTimeCalendarViewEh::IndexOfVisibleRegion(TTimeCalendarViewActiveRegionEh Region) const
{
  const auto It = std::find(FVisibleRegions.begin(), FVisibleRegions.end(), Region);
  return It == FVisibleRegions.end() ? -1 : Integer(It - FVisibleRegions.begin());
}

void TTimeCalendarViewEh::SelectNextRegion(bool Forward)
{
  const Integer Count = Integer(FVisibleRegions.size());
  if (Count == 0)
    return;
  const Integer I = IndexOfVisibleRegion(FActiveRegion);
  Integer Next;
  if (Forward)
    Next = I < 0 || I + 1 >= Count ? 0 : I + 1;
  else
    // A region gone with the units starts over from the last.
    Next = I <= 0 ? Count - 1 : I - 1;
  FActiveRegion = FVisibleRegions[Next];
  Invalidate();
}

void TTimeCalendarViewEh::IncrementHour(Integer N)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  const Integer H = HourOf(FDate);
  if (H + N >= 24)
    N = -H;
  else if (H + N < 0)
    N += 24;
  if (N == 0)
    return;
  Picker->SetDateTime(IncHour(Picker->DateTime(), N));
}

void TTimeCalendarViewEh::IncrementMinute(Integer N)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  const Integer M = MinuteOf(FDate);
  if (N == 0)
    return;
  const Integer Step = N + M >= 60 ? -M : N + M < 0 ? 59 : N > 0 ? 1 : -1;
  Picker->SetDateTime(IncMinute(Picker->DateTime(), Step));
}

void TTimeCalendarViewEh::IncrementSecond(Integer N)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  const Integer S = SecondOf(FDate);
  if (N == 0)
    return;
  const Integer Step = N + S >= 60 ? -S : N + S < 0 ? 59 : N > 0 ? 1 : -1;
  Picker->SetDateTime(IncSecond(Picker->DateTime(), Step));
}

void TTimeCalendarViewEh::HoursRegionAction(Integer Action)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  if (Action == 0)
    IncrementHour(-1);
  else if (Action == 1)
    IncrementHour(1);
  else if (Action == 2)
    Picker->ShowCalendarView(AmPm12() ? static_cast<TCustomCalendarViewEh*>(Picker->Hours12View())
                                          : Picker->Hours24View(),
                                 true, true);
}

void TTimeCalendarViewEh::MinutesRegionAction(Integer Action)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  if (Action == 0)
    IncrementMinute(-1);
  else if (Action == 1)
    IncrementMinute(1);
  else if (Action == 2)
    Picker->ShowCalendarView(Picker->MinutesView(), true, true);
}

void TTimeCalendarViewEh::SecondsRegionAction(Integer Action)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  if (Action == 0)
    IncrementSecond(-1);
  else if (Action == 1)
    IncrementSecond(1);
  else if (Action == 2)
    Picker->ShowCalendarView(Picker->SecondsView(), true, true);
}

void TTimeCalendarViewEh::OKButtonRegionAction(Integer Action)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  if (Action == 2)
    Picker->UserActionDone(7);
}

void TTimeCalendarViewEh::RegionAction(Integer Action) { (this->*FRegionProcList[FActiveRegion])(Action); }

void TTimeCalendarViewEh::KeyDown(Word& Key, TShiftState Shift)
{
  switch (Key) {
  case VK_RETURN:
    if (Shift.Contains(ssCtrl))
      SelectNextView(false, true);
    else
      RegionAction(2);
    break;
  case VK_LEFT:
  case VK_RIGHT: SelectNextRegion(Key == VK_RIGHT); break;
  case VK_UP: RegionAction(1); break;
  case VK_DOWN: RegionAction(0); break;
  default: inherited::KeyDown(Key, Shift); return;
  }
  Key = 0;
}

void TTimeCalendarViewEh::StepByButton(TTimeCalendarViewPressedButtonTypeEh ButtonType)
{
  switch (ButtonType) {
  case tcpbtHoursUpEh: IncrementHour(1); break;
  case tcpbtHoursDownEh: IncrementHour(-1); break;
  case tcpbtMinutesUpEh: IncrementMinute(1); break;
  case tcpbtMinutesDownEh: IncrementMinute(-1); break;
  case tcpbtSecondsUpEh: IncrementSecond(1); break;
  case tcpbtSecondsDownEh: IncrementSecond(-1); break;
  }
}

void TTimeCalendarViewEh::CellMouseDown(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos,
                                        TRect CellRect, TShiftState Shift)
{
  inherited::CellMouseDown(Cell, Button, InCellPos, MousePos, CellRect, Shift);
  if (Button != mbLeft || (Cell.Y != 1 && Cell.Y != 3))
    return;
  const bool Up = Cell.Y == 1;
  TTimeCalendarViewPressedButtonTypeEh Type;
  TTimeCalendarViewActiveRegionEh Region;
  switch (ColType(Cell.X)) {
  case tcvctHourEh:
    Type = Up ? tcpbtHoursUpEh : tcpbtHoursDownEh;
    Region = tcarHoursEh;
    break;
  case tcvctMinuteEh:
    Type = Up ? tcpbtMinutesUpEh : tcpbtMinutesDownEh;
    Region = tcarMinutesEh;
    break;
  case tcvctSecondEh:
    Type = Up ? tcpbtSecondsUpEh : tcpbtSecondsDownEh;
    Region = tcarSecondsEh;
    break;
  default: return;
  }
  StepByButton(Type);
  StartButtonRepeat(Cell, Type);
  FActiveRegion = Region;
  Invalidate();
}

void TTimeCalendarViewEh::CellMouseClick(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos,
                                         TRect CellRect, TShiftState Shift)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  inherited::CellMouseClick(Cell, Button, InCellPos, MousePos, CellRect, Shift);
  if (Button == mbRight) {
    Picker->ShowCalendarView(Picker->DaysView(), false, true);
    return;
  }
  if (Button != mbLeft)
    return;
  if (Cell.X == FOkButtonCol && Cell.Y == 5) {
    Picker->UserActionDone(7);
    return;
  }
  if (Cell.Y != 2)
    return;
  switch (ColType(Cell.X)) {
  case tcvctHourEh: HoursRegionAction(2); break;
  case tcvctMinuteEh: MinutesRegionAction(2); break;
  case tcvctSecondEh: SecondsRegionAction(2); break;
  default: break;
  }
}

void TTimeCalendarViewEh::StartButtonRepeat(TGridCoord Cell, TTimeCalendarViewPressedButtonTypeEh ButtonType)
{
  FPressedButtonType = ButtonType;
  FPressedCell = Cell;
  StartRepeatTimer(400);
}

void TTimeCalendarViewEh::StartRepeatTimer(Cardinal Interval)
{
  if (FTimer->Enabled() && FTimer->Interval() == Interval)
    return;
  FTimer->SetEnabled(false);
  FTimer->SetInterval(Interval);
  FTimer->SetEnabled(true);
}

void TTimeCalendarViewEh::StopRepeatTimer() { FTimer->SetEnabled(false); }

void TTimeCalendarViewEh::RepeatTimerTimer(TObject*)
{
  if (FTimer->Interval() == 400)
    StartRepeatTimer(100);
  // Off the pressed arrow the timer runs on without stepping.
  if (FMouseCell == FPressedCell)
    StepByButton(FPressedButtonType);
}

void TTimeCalendarViewEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  FMouseCell = MouseCoord(X, Y);
  inherited::MouseMove(Shift, X, Y);
}

void TTimeCalendarViewEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  FMouseCell = MouseCoord(X, Y);
  ClosePopupList(false);
  inherited::MouseDown(Button, Shift, X, Y);
}

void TTimeCalendarViewEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  StopRepeatTimer();
  inherited::MouseUp(Button, Shift, X, Y);
}

bool TTimeCalendarViewEh::ProcessMouseWheel(TShiftState, TPoint MousePos, bool Up)
{
  const TPoint P = ScreenToClient(MousePos);
  const TGridCoord Cell = MouseCoord(P.X, P.Y);
  if (Cell.X >= 0 && Cell.Y >= 0) {
    switch (ColType(Cell.X)) {
    case tcvctHourEh: IncrementHour(Up ? 1 : -1); break;
    case tcvctMinuteEh: IncrementMinute(Up ? 1 : -1); break;
    case tcvctSecondEh: IncrementSecond(Up ? 1 : -1); break;
    default: break;
    }
  }
  return true;
}

bool TTimeCalendarViewEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  return ProcessMouseWheel(Shift, MousePos, false);
}

bool TTimeCalendarViewEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  return ProcessMouseWheel(Shift, MousePos, true);
}

void TTimeCalendarViewEh::ClosePopupList(bool Accept)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  if (!FPopupList || !FPopupList->Visible())
    return;
  FPopupList->Hide();
  if (!Accept || FPopupList->ItemIndex() < 0)
    return;
  bool Ok = false;
  const Integer N = FPopupList->Items()->Strings(FPopupList->ItemIndex()).trimmed().toInt(&Ok);
  if (!Ok)
    return;
  static const TTimeCalendarViewColTypeEh Parts[] = {tcvctHourEh, tcvctMinuteEh, tcvctSecondEh};
  Picker->SetDateTime(WithTimePart(Picker->DateTime(), Parts[FPopupListKind], Word(N)));
  Picker->UserActionDone(4 + Integer(FPopupListKind));
}

void TTimeCalendarViewEh::PopupListMouseUp(TObject*, TMouseButton, TShiftState, Integer, Integer)
{
  ClosePopupList(true);
}

void TTimeCalendarViewEh::DateTimeChanged()
{
  ClosePopupList(false);
  inherited::DateTimeChanged();
}

void TTimeCalendarViewEh::UpdateLocaleTimeFormat()
{
  THoursTimeFormatEh Format;
  TAmPmPosEh Pos;
  GetLocaleHoursFormatEh(Format, Pos);
  if (Format == FHoursFormat && Pos == FAmPmPos)
    return;
  FHoursFormat = Format;
  FAmPmPos = Pos;
  ResetGrid();
}

void TTimeCalendarViewEh::WndProc(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_SHOWINGCHANGED:
  case WM_CANCELMODE:
    ClosePopupList(false);
    break;
  case CM_CANCELMODE:
    if (Message.LParam != LPARAM(static_cast<TControl*>(FPopupList)))
      ClosePopupList(false);
    break;
  case WM_KILLFOCUS: ClosePopupList(false); break;
  case CM_WININICHANGE:
    inherited::WndProc(Message);
    UpdateLocaleTimeFormat();
    return;
  default: break;
  }
  inherited::WndProc(Message);
}

String TTimeCalendarViewEh::GetDateInfoText() { return DateToStr(FDate); }

TDateTime TTimeCalendarViewEh::GetNextPeriodDate(TDateTime ADateTime, bool MoveForward)
{
  return IncDay(ADateTime, MoveForward ? 1 : -1);
}

void TTimeCalendarViewEh::DrawSpinArrow(const TRect& ARect, bool Up)
{
  const Integer L = ARect.Left + (ARect.Width() - 7) / 2;
  const Integer T = ARect.Top + (ARect.Height() - 4) / 2;
  const Integer B = T + 4;
  Canvas()->Pen()->SetColor(FPaintBuffer->NormalCellFontColor);
  for (Integer K = 0; K < 4; ++K) {
    // Widest at the bottom of the up arrow and at the top of the down one.
    const Integer Y = Up ? B - 1 - K : T + K;
    Canvas()->MoveTo(L + K, Y);
    Canvas()->LineTo(L + 7 - K, Y);
  }
}

void TTimeCalendarViewEh::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State)
{
  TDateTimeCalendarPickerEh* Picker = PickerOfViewEh(this);
  if (!Picker)
    return;
  Word H, M, S, Ms;
  DecodeTime(FDate, H, M, S, Ms);
  const TTimeCalendarViewColTypeEh Type = ColType(ACol);
  const bool ValueCol = Type == tcvctHourEh || Type == tcvctMinuteEh || Type == tcvctSecondEh;
  const bool OkCell = ACol == FOkButtonCol && ARow == 5;
  const bool Keyboard = Picker->InputMethod() == iimKeyboardEh;
  bool Hot = State.Contains(gdHotTrack) && !Keyboard && ((ValueCol && ARow >= 1 && ARow <= 3) || OkCell);
  String Text;
  if (ARow == 2) {
    switch (Type) {
    case tcvctHourEh:
      if (AmPm12()) {
        const String T = FormatDateTime(QStringLiteral("h AMPM"), FDate);
        Text = T.size() > 1 && T[1] == QLatin1Char(' ') ? T.left(1) : T.left(2);
      } else {
        Text = IntToStr(H);
      }
      if (Keyboard && FActiveRegion == tcarHoursEh)
        Hot = true;
      break;
    case tcvctMinuteEh:
      Text = TwoDigits(M);
      if (Keyboard && FActiveRegion == tcarMinutesEh)
        Hot = true;
      break;
    case tcvctSecondEh:
      Text = TwoDigits(S);
      if (Keyboard && FActiveRegion == tcarSecondsEh)
        Hot = true;
      break;
    case tcvctAmPmEh: Text = FormatDateTime(QStringLiteral("AMPM"), FDate); break;
    case tcvctColonEh: Text = QStringLiteral(":"); break;
    default: break;
    }
  }
  if (OkCell) {
    Text = QStringLiteral("OK");
    if (Keyboard && FActiveRegion == tcarOKButtonEh)
      Hot = true;
  }
  SetCellCanvasColors(Hot, false);
  TCalendarViewDrawStateEh DrawState;
  if (Hot)
    DrawState.Include(cvdsHotTrackEh);
  DateTimeCalendarPickerDrawStyle()->DrawCalendarViewCellBackgraund(this, Canvas(), ARect, DrawState);
  if (ValueCol && (ARow == 1 || ARow == 3))
    DrawSpinArrow(ARect, ARow == 1);
  else if (!Text.isEmpty())
    DrawCellTextEh(Canvas(), ARect, false, 0, 0, Text, taCenter, tlCenter, true, false, 0, 0, false, true);
}
