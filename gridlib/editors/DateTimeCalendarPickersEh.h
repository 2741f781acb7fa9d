// DateTimeCalendarPickersEh.h: the calendar picker's pages (decades, years,
// months, days, and the time pages), its draw style, the page transitions
// and the picker with its popup form.
#pragma once

#include "gridlib/foundation/GridsEh.h"
#include "gridlib/foundation/ToolCtrlsEh.h"

#include <functional>
#include <memory>

class TCustomCalendarViewEh;
class TDateTimeCalendarPickerEh;
class TDaysCalendarViewDayInfoItem;
class TDateTimePickCalendarPaintBufferEh;

// ---------------------------------------------------------------------------
// Draw style: every colour of the calendar, its fonts and cell backgrounds.

enum TCalendarViewDrawStateItemEh { cvdsSelectedEh, cvdsHotTrackEh, cvdsPressedEh, cvdsNowEh, cvdsHolidayEh };
using TCalendarViewDrawStateEh = TSet<TCalendarViewDrawStateItemEh>;

class TDateTimeCalendarPickerDrawStyleEh : public TObject {
public:
  TDateTimeCalendarPickerDrawStyleEh() = default;
  ~TDateTimeCalendarPickerDrawStyleEh() override = default;

  TColor HolidayBaseFontColor() { return GetHolidayBaseFontColor(); }
  // A change repaints the open pickers (through WM_THEMECHANGED).
  void SetHolidayBaseFontColor(TColor Value);
  TColor HolidayFontColor() { return GetHolidayFontColor(); }
  TColor HolidayOutsidePeriodFontColor() { return GetHolidayOutsidePeriodFontColor(); }
  TColor HolidaySelectedFontColor() { return GetHolidaySelectedFontColor(); }
  TColor HotTrackCellBrushColor() { return GetHotTrackCellBrushColor(); }
  TColor HotTrackCellFontColor() { return GetHotTrackCellFontColor(); }
  TColor InsideHorzFrameColor() { return GetInsideHorzFrameColor(); }
  TColor InsideVertFrameColor() { return GetInsideVertFrameColor(); }
  TColor NormalCellBrushColor() { return GetNormalCellBrushColor(); }
  TColor NormalCellFontColor() { return GetNormalCellFontColor(); }
  TColor OutsidePeriodCellFontColor() { return GetOutsidePeriodCellFontColor(); }
  TColor SelectedCellBrushColor() { return GetSelectedCellBrushColor(); }
  TColor SelectedCellFontColor() { return GetSelectedCellFontColor(); }
  TColor TodayCellFrameColor() { return GetTodayCellFrameColor(); }

  virtual TColor GetHolidayBaseFontColor() { return FHolidayBaseFontColor; }
  virtual TColor GetHolidayFontColor();
  virtual TColor GetHolidayOutsidePeriodFontColor();
  virtual TColor GetHolidaySelectedFontColor();
  virtual TColor GetHotTrackCellBrushColor();
  virtual TColor GetHotTrackCellFontColor();
  virtual TColor GetInsideHorzFrameColor();
  virtual TColor GetInsideVertFrameColor();
  virtual TColor GetNormalCellBrushColor();
  virtual TColor GetNormalCellFontColor();
  virtual TColor GetOutsidePeriodCellFontColor();
  virtual TColor GetSelectedCellBrushColor();
  virtual TColor GetSelectedCellFontColor();
  virtual TColor GetTodayCellFrameColor();
  // Whether cell backgrounds come from the visual style (else flat colours).
  virtual bool CanDrawSelectionByStyle();
  // Fills ARect with the canvas brush, then marks the state on it;
  // CalendarView may be nullptr (the picker's buttons and labels).
  virtual void DrawCalendarViewCellBackgraund(TCustomCalendarViewEh* CalendarView, TCanvas* Canvas,
                                              const TRect& ARect, TCalendarViewDrawStateEh State);
  virtual void SetCalendarFontData(TDateTimeCalendarPickerEh* Calendar, TFont* MasterFont, TFont* CalendarFont);
  virtual void SetCalendarWeekNoFontData(TDateTimeCalendarPickerEh* Calendar, TFont* CalendarFont,
                                         TFont* CalendarWeekNoFont);

private:
  TColor FHolidayBaseFontColor = clDefault;
  TColor FHotTrackCellBrushColor = clNone;
  TColor FHotTrackCellBrushColor1 = clNone;
  TColor FHotTrackCellBrushColor2 = clNone;
};

// The style every picker, view, button and label asks when it paints.
TDateTimeCalendarPickerDrawStyleEh* DateTimeCalendarPickerDrawStyle();
// Installs Style and hands back the previous one, which the caller then owns.
TDateTimeCalendarPickerDrawStyleEh* SetDateTimeCalendarPickerDrawStyle(TDateTimeCalendarPickerDrawStyleEh* Style);

// ---------------------------------------------------------------------------
// Page transitions: a short animation between two pictures of the page.

enum TImageTransformStyleEh {
  itsTransparentTransformEh, itsLeftToRightTransformEh, itsRightToLeftTransformEh, itsZoomInTransformEh,
  itsZoomOutTransformEh
};

// Frames run on the platform timer, so the event loop keeps running while a
// transition plays; input meant for the page can check Animating().
class TImageTransformatorEh : public TCustomControlEh {
  VELMORA_CLASS(TImageTransformatorEh)
  using inherited = TCustomControlEh;
public:
  explicit TImageTransformatorEh(TComponent* AOwner);
  ~TImageTransformatorEh() override;

  TBitmap* Bitmap1() const { return FBitmap1.get(); }
  TBitmap* Bitmap2() const { return FBitmap2.get(); }
  TBitmap* ResultBitmap() const { return FResultBitmap.get(); }
  TImageTransformStyleEh TransformStyle() const { return FTransformStyle; }
  void SetTransformStyle(TImageTransformStyleEh Value) { FTransformStyle = Value; }
  Integer TransformTime() const { return FTransformTime; }
  void SetTransformTime(Integer Value) { FTransformTime = Value; }
  TRect ZoomWinRect() const { return FZoomWinRect; }
  void SetZoomWinRect(const TRect& Value) { FZoomWinRect = Value; }

  // Captures Control1 as the old and Control2 as the new picture (either may
  // be nullptr). A transition still playing stops first, so none of its
  // frames lands after this.
  void Reset(TWinControl* Control1, TWinControl* Control2);
  // Starts the transition and returns; OnTransformFinished fires after the
  // last frame (at once when TransformTime is 0 or 1).
  void AnimatedTransform();
  bool Animating() const { return FAnimating; }
  // Jumps to the end of a playing transition (the new picture), firing
  // OnTransformFinished.
  void FinishTransform();
  // Composes the frame at T of TransformTime milliseconds into ResultBitmap.
  void DrawFrame(Integer T);

  TNotifyEvent OnTransformFinished;

protected:
  void Paint() override;
  bool FOutputDebugString = false;

private:
  void TimerTick(TObject* Sender);
  void StopTimer();
  void DrawZoomFrame(TBitmap* Coarse, TBitmap* Fine, double F, Integer CoarseAlpha);

  std::unique_ptr<TBitmap> FBitmap1;
  Integer FBitmap1Transparency = 0;
  std::unique_ptr<TBitmap> FBitmap2;
  Integer FBitmap2Transparency = 255;
  std::unique_ptr<TBitmap> FResultBitmap;
  TImageTransformStyleEh FTransformStyle = itsTransparentTransformEh;
  Integer FTransformTime = 1000;
  TRect FZoomWinRect;
  TTimer* FTimer = nullptr;
  bool FAnimating = false;
  Int64 FStartTick = 0;
  Integer FFrameCount = 0;
};

// ---------------------------------------------------------------------------
// What a view asks of the picker that owns it. The picker implements it; a
// view whose owner does not is inert (paints with the draw style's colours).

enum TInteractiveInputMethodEh { iimKeyboardEh, iimMouseEh };

class ICalendarPickerEh {
public:
  virtual ~ICalendarPickerEh() = default;
  virtual TDateTime DateTime() const = 0;
  virtual void SetDateTime(TDateTime Value) = 0;
  virtual void SetDateTimeAnimated(TDateTime Value) = 0;
  virtual void NextPeriod(bool Animated) = 0;
  virtual void PriorPeriod(bool Animated) = 0;
  virtual void ShowCalendarView(TCustomCalendarViewEh* View, bool ZoomIn, bool Animated) = 0;
  // The views the user can reach, coarsest first (not owning).
  virtual TObjectListEh* CalendarViewList() = 0;
  virtual void UpdatePaintBuffer() = 0;
  virtual TDateTimePickCalendarPaintBufferEh* PaintBuffer() = 0;
  virtual void DateTimeSelected() = 0;
  virtual TDaysCalendarViewDayInfoItem* CreateDayInfoItem() = 0;
  virtual void GetDayInfo(TDaysCalendarViewDayInfoItem* Item, TDateTime Date) = 0;
  virtual TInteractiveInputMethodEh InputMethod() const = 0;
  virtual void SetInputMethod(TInteractiveInputMethodEh Value) = 0;
};

// The picker's colours of the current paint, from the draw style.
class TDateTimePickCalendarPaintBufferEh : public TPersistent {
  VELMORA_CLASS(TDateTimePickCalendarPaintBufferEh)
  using inherited = TPersistent;
public:
  TDateTimePickCalendarPaintBufferEh();
  ~TDateTimePickCalendarPaintBufferEh() override;
  // The thirteen colours from the global draw style.
  void LoadColors();

  std::unique_ptr<TFont> CalendarWeekNoFont;
  TColor HolidayFontColor = clRed;
  TColor HolidayOutsidePeriodFontColor = clRed;
  TColor HolidaySelectedFontColor = clRed;
  TColor HotTrackCellBrushColor = clWindow;
  TColor HotTrackCellFontColor = clWindowText;
  TColor InsideHorzFrameColor = clSilver;
  TColor InsideVertFrameColor = clSilver;
  TColor NormalCellBrushColor = clWindow;
  TColor NormalCellFontColor = clWindowText;
  TColor OutsidePeriod = clGray;
  TColor SelectedCellBrushColor = clHighlight;
  TColor SelectedCellFontColor = clHighlightText;
  TColor TodayCellFrameColor = clHighlight;
};

// ---------------------------------------------------------------------------
// Calendar views: one page of the picker each, a small grid that never takes
// the focus (the picker hands it its keys).

class TCustomCalendarViewPaintBufferEh : public TPersistent {
  VELMORA_CLASS(TCustomCalendarViewPaintBufferEh)
  using inherited = TPersistent;
public:
  TColor HolidayFontColor = clRed;
  TColor HolidayOutsidePeriodFontColor = clRed;
  TColor HolidaySelectedFontColor = clRed;
  TColor HotTrackCellBrushColor = clWindow;
  TColor HotTrackCellFontColor = clWindowText;
  TColor InsideHorzFrameColor = clSilver;
  TColor InsideVertFrameColor = clSilver;
  TColor NormalCellBrushColor = clWindow;
  TColor NormalCellFontColor = clWindowText;
  TColor OutsidePeriodCellFontColor = clGray;
  TColor SelectedCellBrushColor = clHighlight;
  TColor SelectedCellFontColor = clHighlightText;
  TColor TodayCellFrameColor = clHighlight;
};

class TCustomCalendarViewEh : public TCustomGridEh {
  VELMORA_CLASS(TCustomCalendarViewEh)
  using inherited = TCustomGridEh;
public:
  explicit TCustomCalendarViewEh(TComponent* AOwner);
  ~TCustomCalendarViewEh() override;

  TDateTime DateTime() const { return FDate; }
  void SetDateTime(TDateTime Value);
  bool SelectNextViewOnClick() const { return FSelectNextViewOnClick; }
  void SetSelectNextViewOnClick(bool Value) { FSelectNextViewOnClick = Value; }
  // The picker that owns the view; nullptr when the owner is none.
  ICalendarPickerEh* Calendar() const;
  TCustomCalendarViewPaintBufferEh* PaintBuffer() const { return FPaintBuffer.get(); }
  bool CanFocus() const override { return false; }
  void UpdateMousePos();
  TPoint MousePos() const { return FMousePos; }

  virtual bool SelectNextView(bool Forward, bool Animated);
  virtual void UpdateCellSizes();
  virtual void CalcRecommendedSize(Integer& AWidth, Integer& AHeight) { (void)AWidth; (void)AHeight; }
  virtual void DateTimeChanged();
  virtual void UpdatePaintBuffer();
  virtual void SetCellCanvasColors(bool HotTrack, bool Selected);
  virtual void MoveHorz(bool Forward) { (void)Forward; }
  virtual void MoveVert(bool Forward) { (void)Forward; }
  virtual void SelectDateTime();
  virtual bool DateInViewRange(TDateTime ADateTime) { (void)ADateTime; return true; }
  virtual String GetDateInfoText();
  virtual TDateTime GetNextPeriodDate(TDateTime ADateTime, bool MoveForward);
  virtual bool ShowTodayInfo() { return true; }
  virtual bool TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime);

  // The picker hands its keys on to the current view.
  void KeyDown(Word& Key, TShiftState Shift) override;

protected:
  void CreateHandle() override;
  void Paint() override;
  void Resize() override;
  void WndProc(TMessage& Message) override;
  bool IsCellHotTrackable(Integer ACol, Integer ARow) override { (void)ACol; (void)ARow; return true; }
  void CellMouseDown(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos, TRect CellRect,
                     TShiftState Shift) override;
  void CellMouseClick(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos, TRect CellRect,
                      TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

  // Hot tracking shows only while the user works with the mouse.
  bool IsHotCell(TGridDrawState State) const;
  // The cell's colours and background for its state.
  void DrawCellBackground(const TRect& ARect, bool Hot, bool Selected, bool Today);
  // Writes a cell text centred, the one way every date page writes.
  void WriteCellCentered(const TRect& ARect, const String& Text);
  // The period step of the date pages: Months months added with the day
  // clamped, the time of day kept; unchanged when out of 1..9999.
  static TDateTime AddPeriodMonths(TDateTime ADateTime, Integer Months);
  // The picker's date moved by Months (day clamped), animated.
  void StepPickerMonths(Integer Months);
  // FDate with another year (and month); false when it cannot be encoded.
  bool TryDateWithYear(Integer AYear, TDateTime& ADateTime) const;

  TDateTime FDate = 0;
  bool FSelectNextViewOnClick = true;
  std::unique_ptr<TCustomCalendarViewPaintBufferEh> FPaintBuffer;
  TPoint FMousePos{-1, -1};
};

class TDecadesCalendarViewEh : public TCustomCalendarViewEh {
  VELMORA_CLASS(TDecadesCalendarViewEh)
  using inherited = TCustomCalendarViewEh;
public:
  explicit TDecadesCalendarViewEh(TComponent* AOwner);
  void MoveHorz(bool Forward) override;
  void MoveVert(bool Forward) override;
  bool DateInViewRange(TDateTime ADateTime) override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime ADateTime, bool MoveForward) override;
  bool TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime) override;
  // The first year of the decade in the cell.
  Integer CellStartYear(Integer ACol, Integer ARow) const;
protected:
  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State) override;
};

class TYearsCalendarViewEh : public TCustomCalendarViewEh {
  VELMORA_CLASS(TYearsCalendarViewEh)
  using inherited = TCustomCalendarViewEh;
public:
  explicit TYearsCalendarViewEh(TComponent* AOwner);
  void MoveHorz(bool Forward) override;
  void MoveVert(bool Forward) override;
  bool DateInViewRange(TDateTime ADateTime) override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime ADateTime, bool MoveForward) override;
  bool TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime) override;
  Integer CellYear(Integer ACol, Integer ARow) const;
protected:
  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State) override;
};

class TMonthsCalendarViewEh : public TCustomCalendarViewEh {
  VELMORA_CLASS(TMonthsCalendarViewEh)
  using inherited = TCustomCalendarViewEh;
public:
  explicit TMonthsCalendarViewEh(TComponent* AOwner);
  void MoveHorz(bool Forward) override;
  void MoveVert(bool Forward) override;
  bool DateInViewRange(TDateTime ADateTime) override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime ADateTime, bool MoveForward) override;
  bool TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime) override;
protected:
  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State) override;
};

class TDaysCalendarViewDayInfoItem : public TPersistent {
  VELMORA_CLASS(TDaysCalendarViewDayInfoItem)
  using inherited = TPersistent;
public:
  bool IsHoliday() const { return FIsHoliday; }
  void SetIsHoliday(bool Value) { FIsHoliday = Value; }
private:
  bool FIsHoliday = false;
};

class TDaysCalendarViewEh : public TCustomCalendarViewEh {
  VELMORA_CLASS(TDaysCalendarViewEh)
  using inherited = TCustomCalendarViewEh;
public:
  static constexpr Integer DayCellCount = 42;

  explicit TDaysCalendarViewEh(TComponent* AOwner);
  ~TDaysCalendarViewEh() override;

  TDateTime StartDate() const { return FStartDate; }
  Integer FirstWeekDayNum() const { return FFirstWeekDayNum; }
  TDaysCalendarViewDayInfoItem* DayInfo(Integer Index) const;

  void DateTimeChanged() override;
  void UpdateCellSizes() override;
  void CalcRecommendedSize(Integer& AWidth, Integer& AHeight) override;
  void MoveHorz(bool Forward) override;
  void MoveVert(bool Forward) override;
  bool DateInViewRange(TDateTime ADateTime) override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime ADateTime, bool MoveForward) override;
  bool TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime) override;

  virtual TDaysCalendarViewDayInfoItem* CreateDayInfoItem();
  virtual void DrawDayCell(Integer ACol, Integer ARow, TGridDrawState State, TRect ARect);
  virtual void DrawWeekDayTitleCell(Integer ACol, Integer ARow, TGridDrawState State, TRect ARect);
  virtual void DrawWeekNoCell(Integer ACol, Integer ARow, TGridDrawState State, TRect ARect);

  // The date of the first day cell for a date: the last first-day-of-week
  // on or before the 1st of its month.
  TDateTime CalcStartDate(TDateTime ADate) const;
  void UpdateDatesInfo();
  void UpdateFirstWeekDay();

protected:
  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State) override;
  void WndProc(TMessage& Message) override;

private:
  // The picker's date moved by Days, animated; nothing past the limits.
  void StepPickerDays(Integer Days);

  TObjectListEh FDatesInfoList;
  Integer FFirstWeekDayNum = 0;
  TDateTime FStartDate = 0;
};

// The ISO 8601 week number (1..53) of a date.
Word IsoWeekNumberEh(TDateTime ADate);
// The smallest and largest date-time values the calendar handles.
TDateTime MinCalendarDateTimeEh();
TDateTime MaxCalendarDateTimeEh();

// Registers the calendar's views and transformator for form descriptions.
void RegisterDateTimeCalendarPickersEhClasses();

// ---------------------------------------------------------------------------
// Time views and the picker


#include "gridlib/editors/DropDownFormEh.h"

#include <array>
#include <vector>

// The picker a time view belongs to (nullptr: none; the view is inert).
TDateTimeCalendarPickerEh* PickerOfViewEh(const TCustomCalendarViewEh* View);

// The choice grids of the time: a click picks at once, the time page is
// one click or Enter away.
class TTimeUnitCalendarViewEh : public TCustomCalendarViewEh {
  VELMORA_CLASS(TTimeUnitCalendarViewEh)
  using inherited = TCustomCalendarViewEh;
public:
  explicit TTimeUnitCalendarViewEh(TComponent* AOwner);
  // There is no finer page; back goes to the time page.
  bool SelectNextView(bool Forward, bool Animated) override;

protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  // One choice cell: hot and selected as the date views draw them.
  void DrawChoiceCell(const TRect& ARect, TGridDrawState State, bool Selected, const String& Text);
};

// The 24 hours, 8 x 3.
class THours24CalendarViewEh : public TTimeUnitCalendarViewEh {
  VELMORA_CLASS(THours24CalendarViewEh)
  using inherited = TTimeUnitCalendarViewEh;
public:
  explicit THours24CalendarViewEh(TComponent* AOwner);
  // The hour a cell stands for; -1 for a caption.
  virtual Integer CellHour(Integer ACol, Integer ARow) const { return ACol + 8 * ARow; }
  void MoveHorz(bool Forward) override;
  void MoveVert(bool Forward) override;
  bool DateInViewRange(TDateTime ADateTime) override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime ADateTime, bool MoveForward) override;
  bool ShowTodayInfo() override { return false; }
  bool TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime) override;

protected:
  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State) override;
  void CellMouseClick(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos, TRect CellRect,
                      TShiftState Shift) override;
};

// The hours in an AM and a PM half, each under its caption row.
class THours12CalendarViewEh : public THours24CalendarViewEh {
  VELMORA_CLASS(THours12CalendarViewEh)
  using inherited = THours24CalendarViewEh;
public:
  explicit THours12CalendarViewEh(TComponent* AOwner);
  Integer CellHour(Integer ACol, Integer ARow) const override;
  void MoveVert(bool Forward) override;

protected:
  void Paint() override;
  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State) override;
  void CellMouseClick(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos, TRect CellRect,
                      TShiftState Shift) override;

private:
  void DrawCaptionRow(Integer ARow);
  bool FRow0Drawn = false;
  bool FRow3Drawn = false;
};

// Minutes in steps of five, 4 x 3.
class TMinutesCalendarViewEh : public TTimeUnitCalendarViewEh {
  VELMORA_CLASS(TMinutesCalendarViewEh)
  using inherited = TTimeUnitCalendarViewEh;
public:
  explicit TMinutesCalendarViewEh(TComponent* AOwner);
  void MoveHorz(bool Forward) override;
  void MoveVert(bool Forward) override;
  bool DateInViewRange(TDateTime ADateTime) override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime ADateTime, bool MoveForward) override;
  bool ShowTodayInfo() override { return false; }
  bool TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime) override;

protected:
  // The minute of FDate, or the second in the seconds grid.
  virtual Word UnitOf(TDateTime Value) const;
  virtual TDateTime Step(TDateTime Value, Integer N) const;
  virtual TDateTime Snap(TDateTime Value) const;
  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State) override;
  void CellMouseClick(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos, TRect CellRect,
                      TShiftState Shift) override;
};

// Seconds in steps of five, the same grid.
class TSecondsCalendarViewEh : public TMinutesCalendarViewEh {
  VELMORA_CLASS(TSecondsCalendarViewEh)
  using inherited = TMinutesCalendarViewEh;
public:
  explicit TSecondsCalendarViewEh(TComponent* AOwner);
  bool DateInViewRange(TDateTime ADateTime) override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime ADateTime, bool MoveForward) override;
  bool TryDateFromCell(TGridCoord Cell, TDateTime& ADateTime) override;

protected:
  Word UnitOf(TDateTime Value) const override;
  TDateTime Step(TDateTime Value, Integer N) const override;
  TDateTime Snap(TDateTime Value) const override;
};

// Moves a minute (second) to the nearest multiple of five; 58 and 59 go on
// to the next hour (minute).
TDateTime SnapToFiveMinutesEh(TDateTime Value);
TDateTime SnapToFiveSecondsEh(TDateTime Value);

enum TTimeCalendarViewActiveRegionEh { tcarHoursEh, tcarMinutesEh, tcarSecondsEh, tcarOKButtonEh };
enum TTimeCalendarViewColTypeEh { tcvctHourEh, tcvctMinuteEh, tcvctSecondEh, tcvctAmPmEh, tcvctColonEh, tcvctBlankEh };
enum TTimeCalendarViewPopupListKindEh { tclcHoursEh, tclcMinutesEh, tclcSecondsEh };
enum TTimeCalendarViewPressedButtonTypeEh { tcpbtHoursUpEh, tcpbtHoursDownEh, tcpbtMinutesUpEh, tcpbtMinutesDownEh,
                                            tcpbtSecondsUpEh, tcpbtSecondsDownEh };

// The time page: up and down arrows over the hour, minute and second, and
// OK; a click on a value opens its choice grid.
class TTimeCalendarViewEh : public TCustomCalendarViewEh {
  VELMORA_CLASS(TTimeCalendarViewEh)
  using inherited = TCustomCalendarViewEh;
public:
  explicit TTimeCalendarViewEh(TComponent* AOwner);

  virtual bool ProcessMouseWheel(TShiftState Shift, TPoint MousePos, bool Up);
  // Action 0 steps down, 1 up, 2 enters.
  virtual void HoursRegionAction(Integer Action);
  virtual void MinutesRegionAction(Integer Action);
  virtual void OKButtonRegionAction(Integer Action);
  virtual void PopupListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void StartButtonRepeat(TGridCoord Cell, TTimeCalendarViewPressedButtonTypeEh ButtonType);
  virtual void SecondsRegionAction(Integer Action);
  virtual void SelectNextRegion(bool Forward);
  virtual void RepeatTimerTimer(TObject* Sender);

  // Steps within the day (hour) or the hour (minute, second): 23 up is 0.
  void IncrementHour(Integer N);
  void IncrementMinute(Integer N);
  void IncrementSecond(Integer N);
  void ResetGrid();
  void ResetRegion();
  bool AmPm12() const { return FHoursFormat == htfAmPm12hEh; }
  TTimeCalendarViewActiveRegionEh ActiveRegion() const { return FActiveRegion; }
  Integer OkButtonCol() const { return FOkButtonCol; }
  TTimeCalendarViewColTypeEh ColType(Integer ACol) const;
  const std::vector<TTimeCalendarViewActiveRegionEh>& VisibleRegions() const { return FVisibleRegions; }
  TTimer* RepeatTimer() const { return FTimer; }

  void UpdateCellSizes() override;
  void DateTimeChanged() override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime ADateTime, bool MoveForward) override;
  bool ShowTodayInfo() override { return false; }

protected:
  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State) override;
  void CellMouseDown(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos, TRect CellRect,
                     TShiftState Shift) override;
  void CellMouseClick(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos, TRect CellRect,
                      TShiftState Shift) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void WndProc(TMessage& Message) override;

  void DrawSpinArrow(const TRect& ARect, bool Up);
  void ClosePopupList(bool Accept);
  void StartRepeatTimer(Cardinal Interval);
  void StopRepeatTimer();
  void UpdateLocaleTimeFormat();
  Integer IndexOfVisibleRegion(TTimeCalendarViewActiveRegionEh Region) const;

private:
  // The step an arrow (or a repeat of it) makes.
  void StepByButton(TTimeCalendarViewPressedButtonTypeEh ButtonType);
  void RegionAction(Integer Action);
  TCalendarDateTimeUnitsEh ShownTimeUnits() const;

  TTimeCalendarViewActiveRegionEh FActiveRegion = tcarHoursEh;
  TAmPmPosEh FAmPmPos = appAmPmSuffixEh;
  std::vector<TTimeCalendarViewColTypeEh> FColTypes;
  THoursTimeFormatEh FHoursFormat = htf24hEh;
  Integer FOkButtonCol = 5;
  TPopupListboxEh* FPopupList = nullptr;
  TTimeCalendarViewPopupListKindEh FPopupListKind = tclcHoursEh;
  TTimeCalendarViewPressedButtonTypeEh FPressedButtonType = tcpbtHoursUpEh;
  TGridCoord FPressedCell{-1, -1};
  // The cell under the mouse, kept while a button is held too.
  TGridCoord FMouseCell{-1, -1};
  std::array<void (TTimeCalendarViewEh::*)(Integer), 4> FRegionProcList;
  TTimer* FTimer = nullptr;
  std::vector<TTimeCalendarViewActiveRegionEh> FVisibleRegions;
};

enum TDateTimePickCalendarButtonStyleEh { cmpsPriorPeriodEh, cmpsNextPeriodEh };

// The period arrows of the picker's header.
class TDateTimePickCalendarButtonEh : public TSpeedButtonEh {
  VELMORA_CLASS(TDateTimePickCalendarButtonEh)
  using inherited = TSpeedButtonEh;
public:
  explicit TDateTimePickCalendarButtonEh(TComponent* AOwner);
  TDateTimeCalendarPickerEh* PickCalendar() const;
  TDateTimePickCalendarButtonStyleEh Style() const { return FStyle; }
  void SetStyle(TDateTimePickCalendarButtonStyleEh Value);

protected:
  void Paint() override;

private:
  TDateTimePickCalendarButtonStyleEh FStyle = cmpsPriorPeriodEh;
};

// The header's label naming the shown period; a press goes one page up.
class TDateTimePickCalendarDateInfoLabelEh : public TSpeedButtonEh {
  VELMORA_CLASS(TDateTimePickCalendarDateInfoLabelEh)
  using inherited = TSpeedButtonEh;
public:
  explicit TDateTimePickCalendarDateInfoLabelEh(TComponent* AOwner);
  TDateTimeCalendarPickerEh* PickCalendar() const;

protected:
  void Paint() override;
};

// Today's date at the bottom; a press moves to today, a second one picks it.
class TDateTimePickCalendarTodayInfoLabelEh : public TSpeedButtonEh {
  VELMORA_CLASS(TDateTimePickCalendarTodayInfoLabelEh)
  using inherited = TSpeedButtonEh;
public:
  explicit TDateTimePickCalendarTodayInfoLabelEh(TComponent* AOwner);
  TDateTimeCalendarPickerEh* PickCalendar() const;

protected:
  void Paint() override;
};

// The date and time picker: a header with the period and its arrows, one
// calendar page at a time, today's date below. Pages go from coarse
// (decades) to fine (the time page).
class TDateTimeCalendarPickerEh : public TCustomControlEh, public ICalendarPickerEh {
  VELMORA_CLASS(TDateTimeCalendarPickerEh)
  using inherited = TCustomControlEh;
public:
  explicit TDateTimeCalendarPickerEh(TComponent* AOwner);
  ~TDateTimeCalendarPickerEh() override;

  TDateTime DateTime() const override { return FDateTime; }
  void SetDateTime(TDateTime Value) override;
  // Slides the page when the value leaves the shown period.
  void SetDateTimeAnimated(TDateTime Value) override;
  TCalendarDateTimeUnitsEh TimeUnits() const { return FTimeUnits; }
  void SetTimeUnits(TCalendarDateTimeUnitsEh Value);
  TCustomCalendarViewEh* CurrentCalendarView() const { return FCurrentCalendarView; }
  TInteractiveInputMethodEh InputMethod() const override { return FInputMethod; }
  void SetInputMethod(TInteractiveInputMethodEh Value) override;
  TDateTimePickCalendarPaintBufferEh* PaintBuffer() override { return FPaintBuffer.get(); }
  // The pages the user can reach, coarsest first.
  TObjectListEh* CalendarViewList() override { return FCalendarViewList.get(); }
  TDecadesCalendarViewEh* DecadesView() const { return FDecadesView; }
  TYearsCalendarViewEh* YearsView() const { return FYearsView; }
  TMonthsCalendarViewEh* MonthsView() const { return FMonthsView; }
  TDaysCalendarViewEh* DaysView() const { return FDaysView; }
  THours24CalendarViewEh* Hours24View() const { return FHours24View; }
  THours12CalendarViewEh* Hours12View() const { return FHours12View; }
  TMinutesCalendarViewEh* MinutesView() const { return FMinutesView; }
  TSecondsCalendarViewEh* SecondsView() const { return FSecondsView; }
  TTimeCalendarViewEh* TimeView() const { return FTimeView; }
  TImageTransformatorEh* ImageTransformator() const { return FImageTrans; }
  TDateTimePickCalendarButtonEh* PriorPeriodButton() const { return FPriorPeriodButton; }
  TDateTimePickCalendarButtonEh* NextPeriodButton() const { return FNextPeriodButton; }
  TDateTimePickCalendarDateInfoLabelEh* DateInfoLabel() const { return FDateInfo; }
  TDateTimePickCalendarTodayInfoLabelEh* TodayInfoLabel() const { return FTodayInfo; }

  TDaysCalendarViewDayInfoItem* CreateDayInfoItem() override;
  virtual TFont* GetMasterFont();
  virtual void ChangeHeightAnimated(Integer NewHeight);
  virtual void UpdateTodayInfo();
  virtual void InfoLabelDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
  virtual void CalcRecommendedSize(Integer& AWidth, Integer& AHeight);
  virtual void PeriodButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
  // 7: the user has chosen; 4, 5 and 6 (a time part set) change nothing.
  virtual void UserActionDone(Integer Action);
  void UpdatePaintBuffer() override;
  void ShowCalendarView(TCustomCalendarViewEh* View, bool ZoomIn, bool Animated) override;
  void NextPeriod(bool Animated) override;
  void PriorPeriod(bool Animated) override;
  virtual void UpdateCalendarViewList();
  void DateTimeSelected() override;
  void GetDayInfo(TDaysCalendarViewDayInfoItem* Item, TDateTime ADate) override;

  void ResetStartCalendarView();
  void RecomndedSize(Integer& RecClientWidth, Integer& RecClientHeight) { (void)RecClientWidth; (void)RecClientHeight; }
  void ResizeToRecommended();
  void ApplyCalendarFont();
  void ResetCalendarFont();

  TNotifyEvent OnDateTimeSelected;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateHandle() override;
  void Resize() override;
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void CMFontChanged(TMessage& Message) override;
  void CMParentFontChanged(TMessage& Message) override;
  void WndProc(TMessage& Message) override;

  TPoint FMousePos{-1, -1};

private:
  // Starts the transformator's animation; it hides when it ends.
  void RunTransform();
  void TransformFinished(TObject* Sender);
  bool WheelStep(TShiftState Shift, bool Down);

  std::unique_ptr<TObjectListEh> FCalendarViewList;
  TCustomCalendarViewEh* FCurrentCalendarView = nullptr;
  TDateTimePickCalendarDateInfoLabelEh* FDateInfo = nullptr;
  TDateTime FDateTime = 0;
  TDaysCalendarViewEh* FDaysView = nullptr;
  TDecadesCalendarViewEh* FDecadesView = nullptr;
  THours12CalendarViewEh* FHours12View = nullptr;
  THours24CalendarViewEh* FHours24View = nullptr;
  TImageTransformatorEh* FImageTrans = nullptr;
  TInteractiveInputMethodEh FInputMethod = iimKeyboardEh;
  bool FInternalFontSet = false;
  TMinutesCalendarViewEh* FMinutesView = nullptr;
  TMonthsCalendarViewEh* FMonthsView = nullptr;
  TDateTimePickCalendarButtonEh* FNextPeriodButton = nullptr;
  std::unique_ptr<TDateTimePickCalendarPaintBufferEh> FPaintBuffer;
  TDateTimePickCalendarButtonEh* FPriorPeriodButton = nullptr;
  TSecondsCalendarViewEh* FSecondsView = nullptr;
  TCalendarDateTimeUnitsEh FTimeUnits;
  TTimeCalendarViewEh* FTimeView = nullptr;
  TDateTimePickCalendarTodayInfoLabelEh* FTodayInfo = nullptr;
  TYearsCalendarViewEh* FYearsView = nullptr;
};

// What the editors drive a popup calendar through.
class IPopupDateTimePickerEh {
public:
  virtual ~IPopupDateTimePickerEh() = default;
  virtual TDateTime GetDateTime() = 0;
  virtual TCalendarDateTimeUnitsEh GetTimeUnits() = 0;
  virtual bool IsAvailable() = 0;
  virtual bool WantFocus() = 0;
  virtual void CloseUp() = 0;
  virtual void SetTimeUnits(TCalendarDateTimeUnitsEh Value) = 0;
  virtual void SetFont(TFont* Value) = 0;
  // Shows the calendar at the screen point Pos and returns at once;
  // CloseCallback hears the end, accepted when the user picked.
  virtual void DropDown(TPoint Pos, TCloseWinCallbackProcEh CloseCallback, TDateTime StartDateTime) = 0;
  virtual void UpdateSize() = 0;
};

// The picker in a drop-down form, as the date-time editors open it.
class TPopupDateTimeCalendarFormEh : public TCustomDropDownFormEh, public IPopupDateTimePickerEh {
  VELMORA_CLASS(TPopupDateTimeCalendarFormEh)
  using inherited = TCustomDropDownFormEh;
public:
  explicit TPopupDateTimeCalendarFormEh(TComponent* AOwner);

  TDateTimeCalendarPickerEh* CalendarPicker() const { return Calendar; }
  TDateTime DateTime() const { return Calendar->DateTime(); }
  void SetDateTime(TDateTime Value) { Calendar->SetDateTime(Value); }
  TCalendarDateTimeUnitsEh TimeUnits() const { return Calendar->TimeUnits(); }

  TDateTime GetDateTime() override { return Calendar->DateTime(); }
  TCalendarDateTimeUnitsEh GetTimeUnits() override { return Calendar->TimeUnits(); }
  bool IsAvailable() override { return true; }
  bool WantFocus() override { return true; }
  void CloseUp() override;
  void SetTimeUnits(TCalendarDateTimeUnitsEh Value) override { Calendar->SetTimeUnits(Value); }
  void SetFont(TFont* Value) override;
  void DropDown(TPoint Pos, TCloseWinCallbackProcEh CloseCallback, TDateTime StartDateTime) override;
  void UpdateSize() override;

protected:
  void KeyDown(Word& Key, TShiftState Shift) override;

  TDateTimeCalendarPickerEh* Calendar = nullptr;

private:
  void CalendarDateTimeSelected(TObject* Sender);
  void DropDownFormClosed(TCustomForm* Form, bool Accept, TDynVarsEh* DynParams, TDropDownFormSysParams* SysParams);
  TCloseWinCallbackProcEh FCloseCallback;
};

// Registers the picker and the popup calendar form, and names the form as
// the library's popup date-time picker unless another class is named.
void RegisterPopupDateTimeCalendarEhClasses();
