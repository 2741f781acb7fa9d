// DateTimeCalendarPickersEh.cpp: the calendar views: the base page grid and
// the decades, years, months and days pages of the picker.
#include "gridlib/editors/DateTimeCalendarPickersEh.h"

#include "platform/rtl/DateUtils.h"

#include <algorithm>

namespace {

bool InCalendarRange(TDateTime Value)
{
  return Value.Val >= MinCalendarDateTimeEh().Val && Value.Val <= MaxCalendarDateTimeEh().Val;
}

// Date part Date with the time of day of Time; a negative serial counts its
// time backwards, as the platform's dates do.
TDateTime WithTimeOf(TDateTime Date, TDateTime Time)
{
  TDateTime Result = Date;
  ReplaceTime(Result, Time);
  return Result;
}

// 0 Monday .. 6 Sunday.
Integer WeekDayFromMonday(TDateTime Date)
{
  return DayOfTheWeek(Date) - 1;
}

void SetupDatePageGrid(TCustomCalendarViewEh* View, Integer Cols, Integer Rows, Integer FixedCols, Integer FixedRows)
{
  View->BeginUpdateBoundaries();
  View->SetOptions(TGridOptionsEh{goDrawFocusSelectedEh});
  View->SetParentFont(true);
  View->SetBorderStyle(TBorderStyle::bsNone);
  View->HorzScrollBar()->SetVisibleMode(sbNeverShowEh);
  View->VertScrollBar()->SetVisibleMode(sbNeverShowEh);
  // Fixed cells first: the counts include them.
  View->SetFixedColCount(FixedCols);
  View->SetFixedRowCount(FixedRows);
  View->SetColCount(Cols);
  View->SetRowCount(Rows);
  View->EndUpdateBoundaries();
}

} // namespace

TDateTime MinCalendarDateTimeEh()
{
  static const TDateTime Value = EncodeDate(100, 1, 1);
  return Value;
}

TDateTime MaxCalendarDateTimeEh()
{
  static const TDateTime Value = EncodeDateTime(9999, 12, 31, 23, 59, 59, 999);
  return Value;
}

Word IsoWeekNumberEh(TDateTime ADate)
{
  // The week belongs to the year of its Thursday.
  const TDateTime Day = DateOf(ADate);
  const TDateTime Thursday(Day.Val - WeekDayFromMonday(Day) + 3);
  const TDateTime FirstOfYear = EncodeDate(YearOf(Thursday), 1, 1);
  return Word(Integer(Thursday.Val - FirstOfYear.Val) / 7 + 1);
}

// ---------------------------------------------------------------------------
// TCustomCalendarViewEh

TCustomCalendarViewEh::TCustomCalendarViewEh(TComponent* AOwner)
    : TCustomGridEh(AOwner), FPaintBuffer(std::make_unique<TCustomCalendarViewPaintBufferEh>())
{
}

TCustomCalendarViewEh::~TCustomCalendarViewEh() = default;

ICalendarPickerEh* TCustomCalendarViewEh::Calendar() const
{
  return dynamic_cast<ICalendarPickerEh*>(Owner());
}

void TCustomCalendarViewEh::SetDateTime(TDateTime Value)
{
  // NaN differs from everything, itself included.
  if (Value.Val == FDate.Val)
    return;
  FDate = Value;
  DateTimeChanged();
}

void TCustomCalendarViewEh::UpdateMousePos()
{
  FMousePos = ScreenToClient(GetCursorPosEh());
}

bool TCustomCalendarViewEh::SelectNextView(bool Forward, bool Animated)
{
  ICalendarPickerEh* Picker = Calendar();
  if (!Picker || !Picker->CalendarViewList())
    return false;
  TObjectListEh* List = Picker->CalendarViewList();
  const Integer Index = List->IndexOf(this);
  if (Index < 0)
    return false;
  const Integer Next = Forward ? Index + 1 : Index - 1;
  if (Next < 0 || Next >= List->Count())
    return false;
  Picker->ShowCalendarView(static_cast<TCustomCalendarViewEh*>(List->Items(Next)), Forward, Animated);
  return true;
}

void TCustomCalendarViewEh::UpdateCellSizes()
{
  if (!HandleAllocated() || ColCount() <= 0 || RowCount() <= 0)
    return;
  const Integer W = ClientWidth();
  for (Integer I = 0; I < ColCount(); ++I)
    SetColWidths(I, W / ColCount() + (I < W % ColCount() ? 1 : 0));
  const Integer H = ClientHeight();
  for (Integer I = 0; I < RowCount(); ++I)
    SetRowHeights(I, H / RowCount() + (I < H % RowCount() ? 1 : 0));
}

void TCustomCalendarViewEh::DateTimeChanged()
{
  Invalidate();
}

void TCustomCalendarViewEh::UpdatePaintBuffer()
{
  TDateTimePickCalendarPaintBufferEh Own;
  TDateTimePickCalendarPaintBufferEh* Source = &Own;
  if (ICalendarPickerEh* Picker = Calendar(); Picker && Picker->PaintBuffer()) {
    Picker->UpdatePaintBuffer();
    Source = Picker->PaintBuffer();
  } else {
    Own.LoadColors();
  }
  TCustomCalendarViewPaintBufferEh& B = *FPaintBuffer;
  B.HolidayFontColor = Source->HolidayFontColor;
  B.HolidayOutsidePeriodFontColor = Source->HolidayOutsidePeriodFontColor;
  B.HolidaySelectedFontColor = Source->HolidaySelectedFontColor;
  B.HotTrackCellBrushColor = Source->HotTrackCellBrushColor;
  B.HotTrackCellFontColor = Source->HotTrackCellFontColor;
  B.InsideHorzFrameColor = Source->InsideHorzFrameColor;
  B.InsideVertFrameColor = Source->InsideVertFrameColor;
  B.NormalCellBrushColor = Source->NormalCellBrushColor;
  B.NormalCellFontColor = Source->NormalCellFontColor;
  B.OutsidePeriodCellFontColor = Source->OutsidePeriod;
  B.SelectedCellBrushColor = Source->SelectedCellBrushColor;
  B.SelectedCellFontColor = Source->SelectedCellFontColor;
  B.TodayCellFrameColor = Source->TodayCellFrameColor;
}

void TCustomCalendarViewEh::SetCellCanvasColors(bool HotTrack, bool Selected)
{
  const TCustomCalendarViewPaintBufferEh& B = *FPaintBuffer;
  if (Selected) {
    Canvas()->Brush()->SetColor(B.SelectedCellBrushColor);
    Canvas()->Font()->SetColor(B.SelectedCellFontColor);
  } else if (HotTrack) {
    Canvas()->Brush()->SetColor(B.HotTrackCellBrushColor);
    Canvas()->Font()->SetColor(B.HotTrackCellFontColor);
  } else {
    Canvas()->Brush()->SetColor(B.NormalCellBrushColor);
    Canvas()->Font()->SetColor(B.NormalCellFontColor);
  }
}

void TCustomCalendarViewEh::SelectDateTime()
{
  if (ICalendarPickerEh* Picker = Calendar())
    Picker->DateTimeSelected();
}

String TCustomCalendarViewEh::GetDateInfoText()
{
  return QStringLiteral("TCustomCalendarViewEh.GetDateInfoText");
}

TDateTime TCustomCalendarViewEh::GetNextPeriodDate(TDateTime ADateTime, bool)
{
  return ADateTime;
}

bool TCustomCalendarViewEh::TryDateFromCell(TGridCoord, TDateTime& ADateTime)
{
  ADateTime = FDate;
  return false;
}

TDateTime TCustomCalendarViewEh::AddPeriodMonths(TDateTime ADateTime, Integer Months)
{
  Word Y = 0, M = 0, D = 0;
  DecodeDate(ADateTime, Y, M, D);
  const Integer Total = Integer(Y) * 12 + (M - 1) + Months;
  const Integer NewYear = Total / 12;
  const Integer NewMonth = Total % 12 + 1;
  if (Total < 0 || NewYear < 1 || NewYear > 9999)
    return ADateTime;
  TDateTime NewDate;
  const Word Day = std::min<Word>(D, DaysInAMonth(Word(NewYear), Word(NewMonth)));
  if (!TryEncodeDate(Word(NewYear), Word(NewMonth), Day, NewDate))
    return ADateTime;
  const TDateTime Result = WithTimeOf(NewDate, ADateTime);
  return InCalendarRange(Result) ? Result : ADateTime;
}

void TCustomCalendarViewEh::StepPickerMonths(Integer Months)
{
  ICalendarPickerEh* Picker = Calendar();
  const TDateTime Current = Picker ? Picker->DateTime() : FDate;
  const TDateTime Value = AddPeriodMonths(Current, Months);
  if (Picker)
    Picker->SetDateTimeAnimated(Value);
  else
    SetDateTime(Value);
}

bool TCustomCalendarViewEh::TryDateWithYear(Integer AYear, TDateTime& ADateTime) const
{
  Word Y = 0, M = 0, D = 0;
  DecodeDate(FDate, Y, M, D);
  TDateTime NewDate;
  if (AYear < 1 || AYear > 9999 || !TryEncodeDate(Word(AYear), M, D, NewDate))
    return false;
  const TDateTime Result = WithTimeOf(NewDate, FDate);
  // Years before 100 lie below the smallest date the calendar handles.
  if (!InCalendarRange(Result))
    return false;
  ADateTime = Result;
  return true;
}

bool TCustomCalendarViewEh::IsHotCell(TGridDrawState State) const
{
  if (!State.Contains(gdHotTrack))
    return false;
  ICalendarPickerEh* Picker = Calendar();
  return !Picker || Picker->InputMethod() == iimMouseEh;
}

void TCustomCalendarViewEh::DrawCellBackground(const TRect& ARect, bool Hot, bool Selected, bool Today)
{
  SetCellCanvasColors(Hot, Selected);
  TCalendarViewDrawStateEh DrawState;
  if (Selected)
    DrawState << cvdsSelectedEh;
  if (Hot)
    DrawState << cvdsHotTrackEh;
  if (Today)
    DrawState << cvdsNowEh;
  DateTimeCalendarPickerDrawStyle()->DrawCalendarViewCellBackgraund(this, Canvas(), ARect, DrawState);
}

void TCustomCalendarViewEh::WriteCellCentered(const TRect& ARect, const String& Text)
{
  DrawCellTextEh(Canvas(), ARect, false, 0, 0, Text, taCenter, tlCenter, true, false, 0, 0, false, true);
}

void TCustomCalendarViewEh::KeyDown(Word& Key, TShiftState Shift)
{
  ICalendarPickerEh* Picker = Calendar();
  const auto StepPeriod = [&](bool Forward) {
    if (!Picker)
      SetDateTime(GetNextPeriodDate(FDate, Forward));
    else if (Forward)
      Picker->NextPeriod(true);
    else
      Picker->PriorPeriod(true);
  };
  switch (Key) {
  case VK_RETURN:
    if (Shift.Contains(ssCtrl)) {
      if (SelectNextView(false, true))
        Key = 0;
    } else if (!SelectNextView(true, true)) {
      SelectDateTime();
      Key = 0;
    }
    break;
  case VK_PRIOR: StepPeriod(false); Key = 0; break;
  case VK_NEXT: StepPeriod(true); Key = 0; break;
  case VK_LEFT: MoveHorz(false); Key = 0; break;
  case VK_RIGHT: MoveHorz(true); Key = 0; break;
  case VK_UP: MoveVert(false); Key = 0; break;
  case VK_DOWN: MoveVert(true); Key = 0; break;
  default: break;
  }
  if (Key != 0)
    inherited::KeyDown(Key, Shift);
}

void TCustomCalendarViewEh::Paint()
{
  UpdatePaintBuffer();
  inherited::Paint();
}

void TCustomCalendarViewEh::Resize()
{
  inherited::Resize();
  UpdateCellSizes();
}

void TCustomCalendarViewEh::CreateHandle()
{
  inherited::CreateHandle();
  // Sized before the window existed, the cells still have their defaults.
  UpdateCellSizes();
}

void TCustomCalendarViewEh::WndProc(TMessage& Message)
{
  inherited::WndProc(Message);
  if (Message.Msg == CM_SYSCOLORCHANGE || Message.Msg == CM_STYLECHANGED)
    Invalidate();
  else if (Message.Msg == CM_FONTCHANGED)
    UpdateCellSizes();
}

void TCustomCalendarViewEh::CellMouseDown(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos,
                                          TRect CellRect, TShiftState Shift)
{
  inherited::CellMouseDown(Cell, Button, InCellPos, MousePos, CellRect, Shift);
  TDateTime Value;
  if (Button != mbLeft || !TryDateFromCell(Cell, Value))
    return;
  if (ICalendarPickerEh* Picker = Calendar())
    Picker->SetDateTime(Value);
  else
    SetDateTime(Value);
}

void TCustomCalendarViewEh::CellMouseClick(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos,
                                           TRect CellRect, TShiftState Shift)
{
  inherited::CellMouseClick(Cell, Button, InCellPos, MousePos, CellRect, Shift);
  if (!FSelectNextViewOnClick)
    return;
  if (Button == mbLeft && Cell.X >= FixedColCount() && Cell.Y >= FixedRowCount()) {
    if (!SelectNextView(true, true))
      SelectDateTime();
  } else if (Button == mbRight) {
    SelectNextView(false, true);
  }
}

void TCustomCalendarViewEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (ICalendarPickerEh* Picker = Calendar())
    Picker->SetInputMethod(iimMouseEh);
  inherited::MouseDown(Button, Shift, X, Y);
}

void TCustomCalendarViewEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  if (FMousePos != TPoint(X, Y)) {
    FMousePos = TPoint(X, Y);
    if (ICalendarPickerEh* Picker = Calendar())
      Picker->SetInputMethod(iimMouseEh);
  }
  inherited::MouseMove(Shift, X, Y);
}

// The picker turns the wheel into period steps and page changes.
bool TCustomCalendarViewEh::DoMouseWheelDown(TShiftState, TPoint) { return false; }
bool TCustomCalendarViewEh::DoMouseWheelUp(TShiftState, TPoint) { return false; }

// ---------------------------------------------------------------------------
// Decades of a century, with the decade before and after it.

TDecadesCalendarViewEh::TDecadesCalendarViewEh(TComponent* AOwner) : TCustomCalendarViewEh(AOwner)
{
  SetupDatePageGrid(this, 4, 3, 0, 0);
  SetDateTime(Now());
}

Integer TDecadesCalendarViewEh::CellStartYear(Integer ACol, Integer ARow) const
{
  const Integer Century = YearOf(FDate) / 100 * 100;
  return Century + ARow * 40 + ACol * 10 - 10;
}

void TDecadesCalendarViewEh::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State)
{
  const Integer Year = YearOf(FDate);
  const Integer Start = CellStartYear(ACol, ARow);
  const Integer Stop = Start + 9;
  const bool Hot = IsHotCell(State);
  const bool Selected = Start <= Year && Year <= Stop;
  DrawCellBackground(ARect, Hot, Selected, false);
  if (Start / 100 != Year / 100)
    Canvas()->Font()->SetColor(FPaintBuffer->OutsidePeriodCellFontColor);
  WriteCellCentered(ARect, IntToStr(Start) + QStringLiteral("-\r\n") + IntToStr(Stop) + QStringLiteral("  "));
}

void TDecadesCalendarViewEh::MoveHorz(bool Forward) { StepPickerMonths(Forward ? 120 : -120); }
void TDecadesCalendarViewEh::MoveVert(bool Forward) { StepPickerMonths(Forward ? 480 : -480); }

bool TDecadesCalendarViewEh::DateInViewRange(TDateTime ADateTime)
{
  return YearOf(ADateTime) / 100 == YearOf(FDate) / 100;
}

String TDecadesCalendarViewEh::GetDateInfoText()
{
  const Integer Century = YearOf(FDate) / 100 * 100;
  return IntToStr(Century) + QStringLiteral("-") + IntToStr(Century + 99);
}

TDateTime TDecadesCalendarViewEh::GetNextPeriodDate(TDateTime ADateTime, bool MoveForward)
{
  return AddPeriodMonths(ADateTime, MoveForward ? 1200 : -1200);
}

bool TDecadesCalendarViewEh::TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime)
{
  return TryDateWithYear(CellStartYear(Cell.X, Cell.Y) + YearOf(FDate) % 10, ADateTime);
}

// ---------------------------------------------------------------------------
// Years of a decade, with the year before and after it.

TYearsCalendarViewEh::TYearsCalendarViewEh(TComponent* AOwner) : TCustomCalendarViewEh(AOwner)
{
  SetupDatePageGrid(this, 4, 3, 0, 0);
  SetDateTime(Now());
}

Integer TYearsCalendarViewEh::CellYear(Integer ACol, Integer ARow) const
{
  return YearOf(FDate) / 10 * 10 - 1 + ACol + ARow * ColCount();
}

void TYearsCalendarViewEh::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State)
{
  const Integer Year = YearOf(FDate);
  const Integer CellYearValue = CellYear(ACol, ARow);
  const bool Hot = IsHotCell(State);
  const bool Selected = CellYearValue == Year;
  DrawCellBackground(ARect, Hot, Selected, false);
  if (CellYearValue / 10 != Year / 10)
    Canvas()->Font()->SetColor(FPaintBuffer->OutsidePeriodCellFontColor);
  WriteCellCentered(ARect, IntToStr(CellYearValue));
}

void TYearsCalendarViewEh::MoveHorz(bool Forward) { StepPickerMonths(Forward ? 12 : -12); }
void TYearsCalendarViewEh::MoveVert(bool Forward) { StepPickerMonths(Forward ? 48 : -48); }

bool TYearsCalendarViewEh::DateInViewRange(TDateTime ADateTime)
{
  return YearOf(ADateTime) / 10 == YearOf(FDate) / 10;
}

String TYearsCalendarViewEh::GetDateInfoText()
{
  const Integer Decade = YearOf(FDate) / 10 * 10;
  return IntToStr(Decade) + QStringLiteral("-") + IntToStr(Decade + 9);
}

TDateTime TYearsCalendarViewEh::GetNextPeriodDate(TDateTime ADateTime, bool MoveForward)
{
  return AddPeriodMonths(ADateTime, MoveForward ? 120 : -120);
}

bool TYearsCalendarViewEh::TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime)
{
  return TryDateWithYear(CellYear(Cell.X, Cell.Y), ADateTime);
}

// ---------------------------------------------------------------------------
// Months of a year.

TMonthsCalendarViewEh::TMonthsCalendarViewEh(TComponent* AOwner) : TCustomCalendarViewEh(AOwner)
{
  SetupDatePageGrid(this, 4, 3, 0, 0);
  SetDateTime(Now());
}

void TMonthsCalendarViewEh::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State)
{
  const Integer Month = ACol + ARow * ColCount() + 1;
  const bool Hot = IsHotCell(State);
  const bool Selected = Month == MonthOf(FDate);
  DrawCellBackground(ARect, Hot, Selected, false);
  WriteCellCentered(ARect, FormatSettings.ShortMonthNames[Month]);
}

void TMonthsCalendarViewEh::MoveHorz(bool Forward) { StepPickerMonths(Forward ? 1 : -1); }
void TMonthsCalendarViewEh::MoveVert(bool Forward) { StepPickerMonths(Forward ? 4 : -4); }

bool TMonthsCalendarViewEh::DateInViewRange(TDateTime ADateTime)
{
  return YearOf(ADateTime) == YearOf(FDate);
}

String TMonthsCalendarViewEh::GetDateInfoText()
{
  return IntToStr(YearOf(FDate));
}

TDateTime TMonthsCalendarViewEh::GetNextPeriodDate(TDateTime ADateTime, bool MoveForward)
{
  return AddPeriodMonths(ADateTime, MoveForward ? 12 : -12);
}

bool TMonthsCalendarViewEh::TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime)
{
  const Integer Month = Cell.X + Cell.Y * ColCount() + 1;
  if (Month < 1 || Month > 12)
    return false;
  ADateTime = AddPeriodMonths(FDate, Month - MonthOf(FDate));
  return true;
}

// ---------------------------------------------------------------------------
// Days of a month: six weeks, a row of day names and a column of ISO weeks.

TDaysCalendarViewEh::TDaysCalendarViewEh(TComponent* AOwner) : TCustomCalendarViewEh(AOwner), FDatesInfoList(true)
{
  SetupDatePageGrid(this, 8, 7, 1, 1);
  for (Integer I = 0; I < DayCellCount; ++I)
    FDatesInfoList.Add(CreateDayInfoItem());
  FFirstWeekDayNum = 0;
  UpdateFirstWeekDay();
  SetDateTime(Now());
}

TDaysCalendarViewEh::~TDaysCalendarViewEh() = default;

TDaysCalendarViewDayInfoItem* TDaysCalendarViewEh::DayInfo(Integer Index) const
{
  return static_cast<TDaysCalendarViewDayInfoItem*>(FDatesInfoList.Items(Index));
}

TDaysCalendarViewDayInfoItem* TDaysCalendarViewEh::CreateDayInfoItem()
{
  if (ICalendarPickerEh* Picker = Calendar())
    return Picker->CreateDayInfoItem();
  return new TDaysCalendarViewDayInfoItem();
}

TDateTime TDaysCalendarViewEh::CalcStartDate(TDateTime ADate) const
{
  // Back from the 1st to the nearest first day of the week, so that every
  // month fits into the six rows whatever day the week starts on.
  const TDateTime First = StartOfTheMonth(ADate);
  const Integer Back = (WeekDayFromMonday(First) - FFirstWeekDayNum + 7) % 7;
  return TDateTime(First.Val - Back);
}

void TDaysCalendarViewEh::DateTimeChanged()
{
  inherited::DateTimeChanged();
  FStartDate = CalcStartDate(FDate);
  UpdateDatesInfo();
}

void TDaysCalendarViewEh::UpdateDatesInfo()
{
  ICalendarPickerEh* Picker = Calendar();
  for (Integer I = 0; I < FDatesInfoList.Count(); ++I) {
    TDaysCalendarViewDayInfoItem* Item = DayInfo(I);
    Item->SetIsHoliday(false);
    if (!InCalendarRange(TDateTime(FStartDate.Val + I)))
      continue;
    if (Picker)
      Picker->GetDayInfo(Item, TDateTime(FStartDate.Val + I));
    else
      Item->SetIsHoliday(!GlobalWorkingTimeCalendar()->IsWorkday(TDateTime(FStartDate.Val + I)));
  }
}

void TDaysCalendarViewEh::UpdateFirstWeekDay()
{
  const Integer Value = GetFirstDayOfWeekEh();
  if (Value != FFirstWeekDayNum) {
    FFirstWeekDayNum = Value;
    FStartDate = CalcStartDate(FDate);
  }
  Invalidate();
}

void TDaysCalendarViewEh::WndProc(TMessage& Message)
{
  inherited::WndProc(Message);
  if (Message.Msg == CM_WININICHANGE || Message.Msg == CM_STYLECHANGED) {
    UpdateFirstWeekDay();
    DateTimeChanged();
    Invalidate();
  }
}

void TDaysCalendarViewEh::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State)
{
  if (ARow == 0)
    DrawWeekDayTitleCell(ACol, ARow, State, ARect);
  else if (ACol == 0)
    DrawWeekNoCell(ACol, ARow, State, ARect);
  else
    DrawDayCell(ACol, ARow, State, ARect);
}

void TDaysCalendarViewEh::DrawDayCell(Integer ACol, Integer ARow, TGridDrawState State, TRect ARect)
{
  const Integer Index = ARow * 7 + ACol - 8;
  const TDateTime Day(FStartDate.Val + Index);
  const bool Hot = IsHotCell(State);
  const bool Selected = DateOf(Day).Val == DateOf(FDate).Val;
  DrawCellBackground(ARect, Hot, Selected, DateOf(Day).Val == Date().Val);
  const TCustomCalendarViewPaintBufferEh& B = *FPaintBuffer;
  // Days past the calendar's limits stay blank.
  if (!InCalendarRange(DateOf(Day)))
    return;
  const bool InMonth = StartOfTheMonth(Day).Val == StartOfTheMonth(FDate).Val;
  const bool Holiday = GlobalGridLibManager()->DateTimeCalendarPickerHighlightHolidays() && Index >= 0 &&
                       Index < FDatesInfoList.Count() && DayInfo(Index)->IsHoliday();
  if (Holiday)
    Canvas()->Font()->SetColor(Selected ? B.HolidaySelectedFontColor
                                        : InMonth ? B.HolidayFontColor : B.HolidayOutsidePeriodFontColor);
  else if (!InMonth)
    Canvas()->Font()->SetColor(B.OutsidePeriodCellFontColor);
  WriteCellCentered(ARect, FormatDateTime(QStringLiteral("D"), Day));
}

void TDaysCalendarViewEh::DrawWeekDayTitleCell(Integer ACol, Integer, TGridDrawState, TRect ARect)
{
  const TCustomCalendarViewPaintBufferEh& B = *FPaintBuffer;
  Canvas()->Brush()->SetColor(B.NormalCellBrushColor);
  Canvas()->FillRect(ARect);
  Canvas()->Font()->SetColor(B.NormalCellFontColor);
  if (ACol == 0)
    return;
  const Integer Inset = Integer(Round(ARect.Width() * 0.15));
  const Integer Left = ACol == FixedColCount() ? ARect.Left + Inset : ARect.Left;
  const Integer Right = ACol == ColCount() - 1 ? ARect.Right - Inset : ARect.Right;
  Canvas()->Pen()->SetColor(B.InsideHorzFrameColor);
  Canvas()->MoveTo(Left, ARect.Bottom - 1);
  Canvas()->LineTo(Right, ARect.Bottom - 1);
  Integer Day = ACol + FFirstWeekDayNum + 1;
  if (Day > 7)
    Day -= 7;
  const Integer WeekDay = (ACol - 1 + FFirstWeekDayNum) % 7;
  if (GlobalGridLibManager()->DateTimeCalendarPickerHighlightHolidays() &&
      !GlobalGridLibManager()->WeekWorkingDays().Contains(TWeekDayEh(WeekDay)))
    Canvas()->Font()->SetColor(B.HolidayFontColor);
  WriteCellCentered(ARect, FormatSettings.ShortDayNames[Day]);
}

void TDaysCalendarViewEh::DrawWeekNoCell(Integer, Integer ARow, TGridDrawState, TRect ARect)
{
  const TCustomCalendarViewPaintBufferEh& B = *FPaintBuffer;
  Canvas()->Brush()->SetColor(B.NormalCellBrushColor);
  Canvas()->FillRect(ARect);
  const Integer Inset = Integer(Round(ARect.Height() * 0.25));
  const Integer Top = ARow == FixedRowCount() ? ARect.Top + Inset : ARect.Top;
  const Integer Bottom = ARow == RowCount() - 1 ? ARect.Bottom - Inset : ARect.Bottom;
  Canvas()->Pen()->SetColor(B.InsideVertFrameColor);
  Canvas()->MoveTo(ARect.Right - 1, Top);
  Canvas()->LineTo(ARect.Right - 1, Bottom);
  ICalendarPickerEh* Picker = Calendar();
  if (Picker && Picker->PaintBuffer())
    Canvas()->Font()->Assign(Picker->PaintBuffer()->CalendarWeekNoFont.get());
  Canvas()->Font()->SetColor(B.NormalCellFontColor);
  const TDateTime RowStart(FStartDate.Val + (ARow - 1) * 7);
  if (RowStart.Val > MaxCalendarDateTimeEh().Val)
    return;
  WriteCellCentered(ARect, IntToStr(IsoWeekNumberEh(RowStart)));
  Canvas()->Font()->Assign(Font());
}

void TDaysCalendarViewEh::UpdateCellSizes()
{
  if (!HandleAllocated())
    return;
  UpdatePaintBuffer();
  Canvas()->Font()->Assign(Font());
  const Integer WeekNoWidth = Canvas()->TextWidth(QStringLiteral("000"));
  SetColWidths(0, WeekNoWidth);
  const Integer Rest = std::max(ClientWidth() - WeekNoWidth, 0);
  for (Integer I = 1; I < ColCount(); ++I)
    SetColWidths(I, Rest / 7 + (I - 1 < Rest % 7 ? 1 : 0));
  const Integer H = ClientHeight();
  for (Integer I = 0; I < RowCount(); ++I)
    SetRowHeights(I, H / RowCount() + (I < H % RowCount() ? 1 : 0));
}

void TDaysCalendarViewEh::CalcRecommendedSize(Integer& AWidth, Integer& AHeight)
{
  if (!HandleAllocated())
    return;
  Canvas()->Font()->Assign(Font());
  AHeight = Canvas()->TextHeight(QStringLiteral("Wg")) * RowCount();
  Integer DayNameWidth = 0;
  for (Integer I = 1; I <= 7; ++I)
    DayNameWidth = std::max(DayNameWidth, Canvas()->TextWidth(FormatSettings.ShortDayNames[I]));
  DayNameWidth += 2 * Canvas()->TextWidth(QStringLiteral(" "));
  AWidth = ColCount() * std::max(Canvas()->TextWidth(QStringLiteral("0000")), DayNameWidth);
}

void TDaysCalendarViewEh::MoveHorz(bool Forward) { StepPickerDays(Forward ? 1 : -1); }
void TDaysCalendarViewEh::MoveVert(bool Forward) { StepPickerDays(Forward ? 7 : -7); }

void TDaysCalendarViewEh::StepPickerDays(Integer Days)
{
  ICalendarPickerEh* Picker = Calendar();
  const TDateTime Current = Picker ? Picker->DateTime() : FDate;
  const TDateTime Value = IncDay(Current, Days);
  if (!InCalendarRange(Value))
    return;
  if (Picker)
    Picker->SetDateTimeAnimated(Value);
  else
    SetDateTime(Value);
}

bool TDaysCalendarViewEh::DateInViewRange(TDateTime ADateTime)
{
  return StartOfTheMonth(ADateTime).Val == StartOfTheMonth(FDate).Val;
}

String TDaysCalendarViewEh::GetDateInfoText()
{
  return FormatDateTime(QStringLiteral("MMMM YYYY"), FDate);
}

TDateTime TDaysCalendarViewEh::GetNextPeriodDate(TDateTime ADateTime, bool MoveForward)
{
  return AddPeriodMonths(ADateTime, MoveForward ? 1 : -1);
}

bool TDaysCalendarViewEh::TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime)
{
  if (Cell.X <= 0 || Cell.Y <= 0 || Cell.X >= ColCount() || Cell.Y >= RowCount())
    return false;
  const TDateTime Value = WithTimeOf(TDateTime(FStartDate.Val + Cell.Y * 7 + Cell.X - 8), FDate);
  if (!InCalendarRange(Value))
    return false;
  ADateTime = Value;
  return true;
}

// ---------------------------------------------------------------------------
// Registration

void RegisterDateTimeCalendarPickersEhClasses()
{
  static bool Done = false;
  if (Done)
    return;
  Done = true;
  RegisterGridLibFoundationClasses();
  RegisterClassInfo<TImageTransformatorEh, TCustomControlEh>("TImageTransformatorEh");
  RegisterClassInfo<TCustomCalendarViewEh, TCustomGridEh>("TCustomCalendarViewEh");
  RegisterClassInfo<TDecadesCalendarViewEh, TCustomCalendarViewEh>("TDecadesCalendarViewEh");
  RegisterClassInfo<TYearsCalendarViewEh, TCustomCalendarViewEh>("TYearsCalendarViewEh");
  RegisterClassInfo<TMonthsCalendarViewEh, TCustomCalendarViewEh>("TMonthsCalendarViewEh");
  RegisterClassInfo<TDaysCalendarViewEh, TCustomCalendarViewEh>("TDaysCalendarViewEh");
}
