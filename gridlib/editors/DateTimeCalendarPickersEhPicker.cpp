// DateTimeCalendarPickersEhPicker.cpp: the calendar picker, its header
// buttons and labels, and the popup calendar form the editors open.
#include "gridlib/editors/DateTimeCalendarPickersEh.h"

#include "gridlib/foundation/GridLibLangConsts.h"
#include "platform/gui/Themes.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ScopeExit.h"

namespace {

// The views' own wheel handling, which the picker hands on to.
struct TViewAccessEh : TCustomCalendarViewEh {
  using TCustomCalendarViewEh::DoMouseWheelDown;
  using TCustomCalendarViewEh::DoMouseWheelUp;
};

bool ViewWheel(TCustomCalendarViewEh* View, TShiftState Shift, TPoint MousePos, bool Down)
{
  return Down ? (View->*(&TViewAccessEh::DoMouseWheelDown))(Shift, MousePos)
              : (View->*(&TViewAccessEh::DoMouseWheelUp))(Shift, MousePos);
}

TColor StyleColor(TColor Color)
{
  TCustomStyleServices* Style = StyleServices();
  return Style ? Style->GetSystemColor(Color) : Color;
}

// Takes the picker's colours and paints a header control's background; the
// period arrows and the period label mark a hot state as a cell does.
TDateTimeCalendarPickerEh* PaintHeaderBackground(TComponent* Owner, TCanvas* Canvas, const TRect& R, bool Hot,
                                                 bool HotAsCell)
{
  auto* Picker = static_cast<TDateTimeCalendarPickerEh*>(Owner);
  Picker->UpdatePaintBuffer();
  TDateTimePickCalendarPaintBufferEh* Buf = Picker->PaintBuffer();
  Canvas->Brush()->SetColor(Hot ? Buf->HotTrackCellBrushColor : Buf->NormalCellBrushColor);
  if (Hot && HotAsCell)
    DateTimeCalendarPickerDrawStyle()->DrawCalendarViewCellBackgraund(nullptr, Canvas, R, {cvdsHotTrackEh});
  else
    Canvas->FillRect(R);
  return Picker;
}

} // namespace

// ---- Header buttons and labels ---------------------------------------------

TDateTimePickCalendarButtonEh::TDateTimePickCalendarButtonEh(TComponent* AOwner) : TSpeedButtonEh(AOwner) {}

TDateTimeCalendarPickerEh* TDateTimePickCalendarButtonEh::PickCalendar() const
{
  return static_cast<TDateTimeCalendarPickerEh*>(Owner());
}

void TDateTimePickCalendarButtonEh::SetStyle(TDateTimePickCalendarButtonStyleEh Value)
{
  if (FStyle == Value)
    return;
  FStyle = Value;
  Invalidate();
}

void TDateTimePickCalendarButtonEh::Paint()
{
  const TRect R = ClientRect();
  PaintHeaderBackground(Owner(), Canvas(), R, MouseInControl(), true);
  // A triangle 4 wide and 7 high, pointing to the period it goes to.
  const Integer L = R.Left + (R.Width() - 4) / 2;
  const Integer T = R.Top + (R.Height() - 7) / 2;
  Canvas()->Pen()->SetColor(StyleColor(clWindowText));
  for (Integer K = 0; K < 4; ++K) {
    const Integer X = FStyle == cmpsNextPeriodEh ? L + K : L + 3 - K;
    Canvas()->MoveTo(X, T + K);
    Canvas()->LineTo(X, T + 7 - K);
  }
}

TDateTimePickCalendarDateInfoLabelEh::TDateTimePickCalendarDateInfoLabelEh(TComponent* AOwner)
  : TSpeedButtonEh(AOwner)
{
}

TDateTimeCalendarPickerEh* TDateTimePickCalendarDateInfoLabelEh::PickCalendar() const
{
  return static_cast<TDateTimeCalendarPickerEh*>(Owner());
}

void TDateTimePickCalendarDateInfoLabelEh::Paint()
{
  const TRect R = ClientRect();
  TDateTimeCalendarPickerEh* Picker = PaintHeaderBackground(Owner(), Canvas(), R, MouseInControl(), true);
  Canvas()->Font()->Assign(Font());
  Canvas()->Font()->SetColor(StyleColor(Font()->Color()));
  const String Text = Picker->CurrentCalendarView() ? Picker->CurrentCalendarView()->GetDateInfoText() : String();
  DrawCellTextEh(Canvas(), R, false, 0, 0, Text, taCenter, tlCenter, false, false, 0, 0, false, true);
}

TDateTimePickCalendarTodayInfoLabelEh::TDateTimePickCalendarTodayInfoLabelEh(TComponent* AOwner)
  : TSpeedButtonEh(AOwner)
{
}

TDateTimeCalendarPickerEh* TDateTimePickCalendarTodayInfoLabelEh::PickCalendar() const
{
  return static_cast<TDateTimeCalendarPickerEh*>(Owner());
}

void TDateTimePickCalendarTodayInfoLabelEh::Paint()
{
  const bool Hot = MouseInControl();
  const TRect R = ClientRect();
  TDateTimeCalendarPickerEh* Picker = PaintHeaderBackground(Owner(), Canvas(), R, Hot, false);
  Canvas()->Font()->Assign(Font());
  Canvas()->Font()->SetColor(Picker->PaintBuffer()->NormalCellFontColor);
  const String Text = GridLibLanguageConsts()->TodayEh() + QStringLiteral(": ") + DateToStr(Date()) + QLatin1Char(' ');
  // The mark of today as the days page draws it, left of the text.
  const TRect Cell = Picker->DaysView()->CalcCellRect(1, 1);
  const Integer MarkW = Cell.Width();
  const Integer MarkH = Cell.Height() - 1;
  const Integer TextW = Canvas()->TextWidth(Text);
  const Integer X = Width() - TextW - MarkW - 5;
  const Integer Y = (Height() - MarkH) / 2 + 1;
  TCalendarViewDrawStateEh State{cvdsNowEh};
  if (Hot)
    State.Include(cvdsHotTrackEh);
  DateTimeCalendarPickerDrawStyle()->DrawCalendarViewCellBackgraund(nullptr, Canvas(), TRect(X, Y, X + MarkW, Y + MarkH),
                                                                     State);
  DrawCellTextEh(Canvas(), R, false, 0, 0, Text, taRightJustify, tlCenter, false, false, 0, 0, false, true);
}

// ---- The picker ------------------------------------------------------------

TDateTimeCalendarPickerEh::TDateTimeCalendarPickerEh(TComponent* AOwner) : TCustomControlEh(AOwner)
{
  SetControlStyle(ControlStyle() + TControlStyle{csOpaque});
  SetDoubleBuffered(true);
  SetTabStop(true);
  auto Down = [this](TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled) {
    PeriodButtonDown(Sender, TopButton, AutoRepeat, Handled);
  };
  FPriorPeriodButton = new TDateTimePickCalendarButtonEh(this);
  FPriorPeriodButton->SetStyle(cmpsPriorPeriodEh);
  FPriorPeriodButton->OnDown = Down;
  FPriorPeriodButton->SetParent(this);
  FNextPeriodButton = new TDateTimePickCalendarButtonEh(this);
  FNextPeriodButton->SetStyle(cmpsNextPeriodEh);
  FNextPeriodButton->OnDown = Down;
  FNextPeriodButton->SetParent(this);
  auto LabelDown = [this](TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled) {
    InfoLabelDown(Sender, TopButton, AutoRepeat, Handled);
  };
  FDateInfo = new TDateTimePickCalendarDateInfoLabelEh(this);
  FDateInfo->OnDown = LabelDown;
  FDateInfo->SetParent(this);
  FTodayInfo = new TDateTimePickCalendarTodayInfoLabelEh(this);
  FTodayInfo->OnDown = LabelDown;
  FTodayInfo->SetParent(this);

  FCalendarViewList = std::make_unique<TObjectListEh>(false);
  auto Place = [this](TCustomCalendarViewEh* View, bool Listed) {
    View->SetVisible(false);
    View->SetParent(this);
    if (Listed)
      FCalendarViewList->Add(View);
  };
  Place(FDecadesView = new TDecadesCalendarViewEh(this), true);
  Place(FYearsView = new TYearsCalendarViewEh(this), true);
  Place(FMonthsView = new TMonthsCalendarViewEh(this), true);
  Place(FDaysView = new TDaysCalendarViewEh(this), true);
  Place(FHours24View = new THours24CalendarViewEh(this), false);
  Place(FHours12View = new THours12CalendarViewEh(this), false);
  Place(FMinutesView = new TMinutesCalendarViewEh(this), false);
  Place(FSecondsView = new TSecondsCalendarViewEh(this), false);
  Place(FTimeView = new TTimeCalendarViewEh(this), true);
  FCurrentCalendarView = FDaysView;
  FDaysView->SetDateTime(FDateTime);
  FDaysView->SetVisible(true);

  FImageTrans = new TImageTransformatorEh(this);
  FImageTrans->SetVisible(false);
  FImageTrans->SetParent(this);
  FImageTrans->OnTransformFinished = [this](TObject* Sender) { TransformFinished(Sender); };
  FPaintBuffer = std::make_unique<TDateTimePickCalendarPaintBufferEh>();
  FTimeUnits = {cdtuYearEh, cdtuMonthEh, cdtuDayEh};
  UpdateCalendarViewList();
  FInternalFontSet = true;
  auto Clear = ScopeExit([&] { FInternalFontSet = false; });
  ResetCalendarFont();
}

TDateTimeCalendarPickerEh::~TDateTimeCalendarPickerEh()
{
  // The transformator goes with the owned components: no finish may reach
  // the picker then.
  FImageTrans->OnTransformFinished = nullptr;
}

void TDateTimeCalendarPickerEh::CreateParams(TCreateParams& Params)
{
  inherited::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN | WS_BORDER;
}

void TDateTimeCalendarPickerEh::CreateHandle()
{
  inherited::CreateHandle();
  ResizeToRecommended();
}

void TDateTimeCalendarPickerEh::SetDateTime(TDateTime Value)
{
  if (Value.Val == FDateTime.Val)
    return;
  FDateTime = Value;
  if (FCurrentCalendarView)
    FCurrentCalendarView->SetDateTime(Value);
  Invalidate();
  if (HandleAllocated())
    FDateInfo->Invalidate();
}

void TDateTimeCalendarPickerEh::RunTransform()
{
  FImageTrans->BringToFront();
  FImageTrans->SetVisible(true);
  // The frames run on the timer; the page is live again when they end.
  FImageTrans->AnimatedTransform();
}

void TDateTimeCalendarPickerEh::TransformFinished(TObject*)
{
  FImageTrans->SetVisible(false);
  Invalidate();
}

void TDateTimeCalendarPickerEh::SetDateTimeAnimated(TDateTime Value)
{
  TCustomCalendarViewEh* View = FCurrentCalendarView;
  if (Value.Val == FDateTime.Val || !View)
    return;
  if (View->DateInViewRange(Value) || !HandleAllocated()) {
    SetDateTime(Value);
    return;
  }
  // Back in time the page leaves to the right.
  FImageTrans->SetTransformStyle(Value.Val <= View->DateTime().Val ? itsLeftToRightTransformEh
                                                                   : itsRightToLeftTransformEh);
  FImageTrans->Reset(View, View);
  SetDateTime(Value);
  View->PaintTo(FImageTrans->Bitmap2()->Canvas()->Handle(), 0, 0);
  FImageTrans->SetTransformTime(250);
  RunTransform();
}

void TDateTimeCalendarPickerEh::NextPeriod(bool Animated)
{
  if (!FCurrentCalendarView)
    return;
  const TDateTime V = FCurrentCalendarView->GetNextPeriodDate(FDateTime, true);
  if (Animated)
    SetDateTimeAnimated(V);
  else
    SetDateTime(V);
}

void TDateTimeCalendarPickerEh::PriorPeriod(bool Animated)
{
  if (!FCurrentCalendarView)
    return;
  const TDateTime V = FCurrentCalendarView->GetNextPeriodDate(FDateTime, false);
  if (Animated)
    SetDateTimeAnimated(V);
  else
    SetDateTime(V);
}

void TDateTimeCalendarPickerEh::ShowCalendarView(TCustomCalendarViewEh* View, bool ZoomIn, bool Animated)
{
  if (!View || View == FCurrentCalendarView)
    return;
  TCustomCalendarViewEh* Old = FCurrentCalendarView;
  Animated = Animated && HandleAllocated() && Visible();
  if (Animated) {
    View->SetDateTime(FDateTime);
    FImageTrans->Reset(Old, View);
    FImageTrans->SetTransformTime(300);
    if (ZoomIn) {
      FImageTrans->SetTransformStyle(itsZoomInTransformEh);
      FImageTrans->SetZoomWinRect(Old->CalcCellRect(Old->Col(), Old->Row()));
    }
    FImageTrans->BringToFront();
    FImageTrans->SetVisible(true);
  }
  Old->SetVisible(false);
  FCurrentCalendarView = View;
  View->SetVisible(true);
  View->SetDateTime(FDateTime);
  View->UpdateMousePos();
  UpdateTodayInfo();
  Invalidate();
  if (Animated) {
    if (!ZoomIn) {
      FImageTrans->SetTransformStyle(itsZoomOutTransformEh);
      FImageTrans->SetZoomWinRect(View->CalcCellRect(View->Col(), View->Row()));
    }
    RunTransform();
  }
  Integer W = Width(), H = Height();
  CalcRecommendedSize(W, H);
  ChangeHeightAnimated(H);
}

void TDateTimeCalendarPickerEh::ChangeHeightAnimated(Integer NewHeight)
{
  // The page keeps the size of the days page, so the height changes only
  // with the font: no frames are worth drawing for it.
  if (Height() != NewHeight)
    SetHeight(NewHeight);
}

void TDateTimeCalendarPickerEh::UpdateTodayInfo()
{
  FTodayInfo->SetVisible(FCurrentCalendarView && FCurrentCalendarView->ShowTodayInfo());
  Invalidate();
}

void TDateTimeCalendarPickerEh::SetTimeUnits(TCalendarDateTimeUnitsEh Value)
{
  if (Value == FTimeUnits)
    return;
  FTimeUnits = Value;
  UpdateCalendarViewList();
  ResetStartCalendarView();
}

void TDateTimeCalendarPickerEh::UpdateCalendarViewList()
{
  FCalendarViewList->Clear();
  if (FTimeUnits.Contains(cdtuYearEh)) {
    FCalendarViewList->Add(FDecadesView);
    FCalendarViewList->Add(FYearsView);
  }
  if (FTimeUnits.Contains(cdtuMonthEh))
    FCalendarViewList->Add(FMonthsView);
  if (FTimeUnits.Contains(cdtuDayEh))
    FCalendarViewList->Add(FDaysView);
  const bool Time =
    FTimeUnits.Contains(cdtuHourEh) || FTimeUnits.Contains(cdtuMinuteEh) || FTimeUnits.Contains(cdtuSecondEh);
  if (Time && GlobalGridLibManager()->DateTimeCalendarPickerShowTimeSelectionPage())
    FCalendarViewList->Add(FTimeView);
  FTimeView->ResetGrid();
  const bool Dates =
    FTimeUnits.Contains(cdtuYearEh) || FTimeUnits.Contains(cdtuMonthEh) || FTimeUnits.Contains(cdtuDayEh);
  FPriorPeriodButton->SetVisible(Dates);
  FNextPeriodButton->SetVisible(Dates);
  FDateInfo->SetVisible(Dates);
}

void TDateTimeCalendarPickerEh::ResetStartCalendarView()
{
  TCustomCalendarViewEh* Start = nullptr;
  for (TCustomCalendarViewEh* V :
       std::initializer_list<TCustomCalendarViewEh*>{FDaysView, FMonthsView, FYearsView, FDecadesView, FTimeView,
                                                     FHours24View, FHours12View, FMinutesView, FSecondsView})
    if (FCalendarViewList->IndexOf(V) >= 0) {
      Start = V;
      break;
    }
  if (!Start || Start == FCurrentCalendarView)
    return;
  FCurrentCalendarView->SetVisible(false);
  FCurrentCalendarView = Start;
  Start->SetVisible(true);
  Start->SetDateTime(FDateTime);
  UpdateTodayInfo();
}

void TDateTimeCalendarPickerEh::UserActionDone(Integer Action)
{
  if (Action == 7)
    DateTimeSelected();
}

void TDateTimeCalendarPickerEh::DateTimeSelected()
{
  if (OnDateTimeSelected)
    OnDateTimeSelected(this);
}

TDaysCalendarViewDayInfoItem* TDateTimeCalendarPickerEh::CreateDayInfoItem() { return new TDaysCalendarViewDayInfoItem(); }

TFont* TDateTimeCalendarPickerEh::GetMasterFont() { return Font(); }

void TDateTimeCalendarPickerEh::GetDayInfo(TDaysCalendarViewDayInfoItem* Item, TDateTime ADate)
{
  Item->SetIsHoliday(!GlobalWorkingTimeCalendar()->IsWorkday(ADate));
}

void TDateTimeCalendarPickerEh::UpdatePaintBuffer()
{
  FPaintBuffer->LoadColors();
  DateTimeCalendarPickerDrawStyle()->SetCalendarWeekNoFontData(this, Font(), FPaintBuffer->CalendarWeekNoFont.get());
}

void TDateTimeCalendarPickerEh::ApplyCalendarFont()
{
  if (!FInternalFontSet)
    return;
  const TNotifyEvent Saved = Font()->OnChange;
  Font()->OnChange = nullptr;
  auto Restore = ScopeExit([&] { Font()->OnChange = Saved; });
  DateTimeCalendarPickerDrawStyle()->SetCalendarFontData(this, GetMasterFont(), Font());
}

void TDateTimeCalendarPickerEh::ResetCalendarFont()
{
  {
    const bool Old = FInternalFontSet;
    FInternalFontSet = true;
    auto Restore = ScopeExit([&] { FInternalFontSet = Old; });
    ApplyCalendarFont();
  }
  Perform(CM_FONTCHANGED, 0, 0);
}

void TDateTimeCalendarPickerEh::CMFontChanged(TMessage& Message)
{
  ApplyCalendarFont();
  inherited::CMFontChanged(Message);
}

void TDateTimeCalendarPickerEh::CMParentFontChanged(TMessage& Message)
{
  // A font taken from the parent becomes the calendar's font.
  const bool Old = FInternalFontSet;
  FInternalFontSet = true;
  auto Restore = ScopeExit([&] { FInternalFontSet = Old; });
  inherited::CMParentFontChanged(Message);
}

void TDateTimeCalendarPickerEh::CalcRecommendedSize(Integer& AWidth, Integer& AHeight)
{
  AWidth = Width();
  AHeight = Height();
  if (!HandleAllocated())
    return;
  Canvas()->Font()->Assign(Font());
  const Integer TH = Canvas()->TextHeight(QStringLiteral("Wg"));
  const Integer A = Integer(std::nearbyint(1.5 * TH));
  FDaysView->HandleNeeded();
  Integer ViewHeight = AHeight;
  FDaysView->CalcRecommendedSize(AWidth, ViewHeight);
  AHeight = 2 * TH + ViewHeight + A + 2;
}

void TDateTimeCalendarPickerEh::ResizeToRecommended()
{
  Integer W = Width(), H = Height();
  CalcRecommendedSize(W, H);
  SetBounds(Left(), Top(), W, H);
}

void TDateTimeCalendarPickerEh::Resize()
{
  inherited::Resize();
  if (!HandleAllocated())
    return;
  Canvas()->Font()->Assign(Font());
  const Integer TH = Canvas()->TextHeight(QStringLiteral("Wg"));
  const Integer A = Integer(std::nearbyint(1.5 * TH));
  const Integer M = Canvas()->TextWidth(QStringLiteral("0")) / 2;
  const Integer B = A;
  const Integer W3 = Canvas()->TextWidth(QStringLiteral("000"));
  const Integer CW = ClientWidth(), CH = ClientHeight();
  const TRect ViewRect(M, 2 * TH, CW - M, CH - A);
  for (Integer I = 0; I < ComponentCount(); ++I)
    if (auto* View = dynamic_cast<TCustomCalendarViewEh*>(Components(I)))
      View->SetBounds(ViewRect.Left, ViewRect.Top, ViewRect.Width(), ViewRect.Height());
  FImageTrans->SetBounds(ViewRect.Left, ViewRect.Top, ViewRect.Width(), ViewRect.Height());
  const Integer Y = (2 * TH - B) / 2;
  FPriorPeriodButton->SetBounds(5, Y, W3, B);
  FNextPeriodButton->SetBounds(CW - W3 - 5, Y, W3, B);
  FDateInfo->SetBounds(W3 + 5, Y, CW - 2 * (W3 + 5), B);
  FTodayInfo->SetBounds(W3 + 5, CH - A, CW - 2 * (W3 + 5), B - 5);
}

void TDateTimeCalendarPickerEh::Paint()
{
  UpdatePaintBuffer();
  Canvas()->Brush()->SetColor(StyleColor(clWindow));
  Canvas()->FillRect(ClientRect());
}

void TDateTimeCalendarPickerEh::SetInputMethod(TInteractiveInputMethodEh Value)
{
  if (FInputMethod == Value)
    return;
  FInputMethod = Value;
  if (FCurrentCalendarView)
    FCurrentCalendarView->Invalidate();
}

void TDateTimeCalendarPickerEh::KeyDown(Word& Key, TShiftState Shift)
{
  // Input works on the page as it ends up, not on a picture of it.
  FImageTrans->FinishTransform();
  SetInputMethod(iimKeyboardEh);
  if (FCurrentCalendarView)
    FCurrentCalendarView->KeyDown(Key, Shift);
  if (Key != 0)
    inherited::KeyDown(Key, Shift);
}

void TDateTimeCalendarPickerEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  FImageTrans->FinishTransform();
  SetInputMethod(iimMouseEh);
  inherited::MouseDown(Button, Shift, X, Y);
  if (FCurrentCalendarView)
    FCurrentCalendarView->Perform(CM_CANCELMODE, 0, LPARAM(static_cast<TControl*>(this)));
}

void TDateTimeCalendarPickerEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  if (FMousePos != TPoint(X, Y)) {
    FMousePos = TPoint(X, Y);
    SetInputMethod(iimMouseEh);
  }
  inherited::MouseMove(Shift, X, Y);
}

bool TDateTimeCalendarPickerEh::WheelStep(TShiftState Shift, bool Down)
{
  if (!FCurrentCalendarView)
    return true;
  if (Shift.Contains(ssCtrl))
    FCurrentCalendarView->SelectNextView(!Down, true);
  else if (Down)
    NextPeriod(true);
  else
    PriorPeriod(true);
  return true;
}

bool TDateTimeCalendarPickerEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  if (inherited::DoMouseWheelDown(Shift, MousePos))
    return true;
  // The time page steps the value under the mouse.
  if (FCurrentCalendarView && ViewWheel(FCurrentCalendarView, Shift, MousePos, true))
    return true;
  return WheelStep(Shift, true);
}

bool TDateTimeCalendarPickerEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  if (inherited::DoMouseWheelUp(Shift, MousePos))
    return true;
  if (FCurrentCalendarView && ViewWheel(FCurrentCalendarView, Shift, MousePos, false))
    return true;
  return WheelStep(Shift, false);
}

void TDateTimeCalendarPickerEh::InfoLabelDown(TObject* Sender, bool, bool&, bool& Handled)
{
  Handled = true;
  if (Sender == FDateInfo) {
    if (FCurrentCalendarView)
      FCurrentCalendarView->SelectNextView(false, true);
    return;
  }
  if (Sender != FTodayInfo)
    return;
  // The first press moves to today, a press on today picks it.
  if (DateOf(FDateTime).Val != Date().Val)
    SetDateTime(TDateTime(Date().Val + TimeOf(FDateTime).Val));
  else
    UserActionDone(7);
}

void TDateTimeCalendarPickerEh::PeriodButtonDown(TObject* Sender, bool, bool& AutoRepeat, bool& Handled)
{
  if (Sender == FNextPeriodButton)
    NextPeriod(true);
  else if (Sender == FPriorPeriodButton)
    PriorPeriod(true);
  AutoRepeat = true;
  Handled = true;
}

void TDateTimeCalendarPickerEh::WndProc(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_GETDLGCODE: Message.Result = DLGC_WANTARROWS; return;
  case CM_SHOWINGCHANGED:
    inherited::WndProc(Message);
    if (FCurrentCalendarView)
      FCurrentCalendarView->Perform(CM_CANCELMODE, 0, LPARAM(static_cast<TControl*>(this)));
    return;
  case WM_THEMECHANGED:
    inherited::WndProc(Message);
    Invalidate();
    return;
  default: break;
  }
  inherited::WndProc(Message);
}

// ---- The popup calendar form -----------------------------------------------

TPopupDateTimeCalendarFormEh::TPopupDateTimeCalendarFormEh(TComponent* AOwner) : TCustomDropDownFormEh(AOwner, 0)
{
  SetFormElements({});
  SetBorderWidth(0);
  SetKeyPreview(true);
  SetFormStyle(fsStayOnTop);
  Calendar = new TDateTimeCalendarPickerEh(this);
  Calendar->SetParent(this);
  Calendar->SetBounds(0, 0, Calendar->Width(), Calendar->Height());
  Calendar->SetDateTime(Now());
  Calendar->SetTimeUnits({cdtuYearEh, cdtuMonthEh, cdtuDayEh, cdtuHourEh, cdtuMinuteEh, cdtuSecondEh});
  Calendar->OnDateTimeSelected = [this](TObject* Sender) { CalendarDateTimeSelected(Sender); };
  SetActiveControl(Calendar);
}

void TPopupDateTimeCalendarFormEh::CalendarDateTimeSelected(TObject*)
{
  if (!Visible())
    return;
  SetModalResult(mrOk);
  Close();
}

void TPopupDateTimeCalendarFormEh::CloseUp()
{
  SetModalResult(mrCancel);
  Close();
}

void TPopupDateTimeCalendarFormEh::SetFont(TFont* Value)
{
  Calendar->Font()->Assign(Value);
  Calendar->ResetCalendarFont();
  Calendar->ResizeToRecommended();
}

void TPopupDateTimeCalendarFormEh::UpdateSize()
{
  inherited::UpdateSize();
  Calendar->HandleNeeded();
  SetClientWidth(Calendar->Width());
  SetClientHeight(Calendar->Height());
}

void TPopupDateTimeCalendarFormEh::KeyDown(Word& Key, TShiftState Shift)
{
  inherited::KeyDown(Key, Shift);
  if (Key == VK_ESCAPE) {
    Key = 0;
    SetModalResult(mrCancel);
    Close();
  }
}

void TPopupDateTimeCalendarFormEh::DropDown(TPoint Pos, TCloseWinCallbackProcEh CloseCallback, TDateTime StartDateTime)
{
  Calendar->SetDateTime(StartDateTime);
  FCloseCallback = std::move(CloseCallback);
  auto* DynParams = new TDynVarsEh(this);
  auto* SysParams = new TEditControlDropDownFormSysParams();
  ExecuteNomodal(TRect(Pos.X, Pos.Y, Pos.X, Pos.Y), nullptr,
                 [this](TCustomForm* Form, bool Accept, TDynVarsEh* Dyn, TDropDownFormSysParams* Sys) {
                   DropDownFormClosed(Form, Accept, Dyn, Sys);
                 },
                 SysParams, DynParams, taLeftJustify);
}

void TPopupDateTimeCalendarFormEh::DropDownFormClosed(TCustomForm* Form, bool Accept, TDynVarsEh* DynParams,
                                                      TDropDownFormSysParams* SysParams)
{
  delete DynParams;
  delete SysParams;
  if (FCloseCallback)
    FCloseCallback(dynamic_cast<TWinControl*>(Form), Accept);
}

void RegisterPopupDateTimeCalendarEhClasses()
{
  static bool Done = false;
  if (Done)
    return;
  Done = true;
  RegisterDateTimeCalendarPickersEhClasses();
  RegisterDropDownFormEhClasses();
  RegisterClassInfo<TTimeUnitCalendarViewEh, TCustomCalendarViewEh>("TTimeUnitCalendarViewEh");
  RegisterClassInfo<THours24CalendarViewEh, TTimeUnitCalendarViewEh>("THours24CalendarViewEh");
  RegisterClassInfo<THours12CalendarViewEh, THours24CalendarViewEh>("THours12CalendarViewEh");
  RegisterClassInfo<TMinutesCalendarViewEh, TTimeUnitCalendarViewEh>("TMinutesCalendarViewEh");
  RegisterClassInfo<TSecondsCalendarViewEh, TMinutesCalendarViewEh>("TSecondsCalendarViewEh");
  RegisterClassInfo<TTimeCalendarViewEh, TCustomCalendarViewEh>("TTimeCalendarViewEh");
  RegisterClassInfo<TDateTimeCalendarPickerEh, TCustomControlEh>("TDateTimeCalendarPickerEh");
  RegisterClassInfo<TPopupDateTimeCalendarFormEh, TCustomDropDownFormEh>("TPopupDateTimeCalendarFormEh");
  if (!GlobalGridLibManager()->PopupDateTimePickerClass())
    GlobalGridLibManager()->SetPopupDateTimePickerClass(TPopupDateTimeCalendarFormEh::StaticClass());
}
