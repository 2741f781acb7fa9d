// DateTimeCalendarPickersEhStyle.cpp: the calendar's draw style (colours,
// fonts, cell backgrounds) and the transformator that animates page changes.
#include "gridlib/editors/DateTimeCalendarPickersEh.h"

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Themes.h"

#include <algorithm>
#include <cmath>

namespace {

TColor StyleColor(TColor Color)
{
  return StyleServices()->GetSystemColor(Color);
}

std::unique_ptr<TDateTimeCalendarPickerDrawStyleEh>& GlobalDrawStyle()
{
  static std::unique_ptr<TDateTimeCalendarPickerDrawStyleEh> Style =
      std::make_unique<TDateTimeCalendarPickerDrawStyleEh>();
  return Style;
}

// Frame interval of the transitions: about sixty frames a second.
constexpr Cardinal FrameInterval = 15;

} // namespace

// ---------------------------------------------------------------------------
// Draw style

TDateTimeCalendarPickerDrawStyleEh* DateTimeCalendarPickerDrawStyle()
{
  return GlobalDrawStyle().get();
}

TDateTimeCalendarPickerDrawStyleEh* SetDateTimeCalendarPickerDrawStyle(TDateTimeCalendarPickerDrawStyleEh* Style)
{
  TDateTimeCalendarPickerDrawStyleEh* Previous = GlobalDrawStyle().release();
  GlobalDrawStyle().reset(Style);
  return Previous;
}

void TDateTimeCalendarPickerDrawStyleEh::SetHolidayBaseFontColor(TColor Value)
{
  if (Value == FHolidayBaseFontColor)
    return;
  FHolidayBaseFontColor = Value;
  PostAppMessageOnceEh(WM_THEMECHANGED, 0, 0);
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetHolidayFontColor()
{
  const TColor Base = HolidayBaseFontColor() == clDefault ? clRed : HolidayBaseFontColor();
  const Integer Lightness = LuminanceOfColorEh(NormalCellFontColor()) > 127 ? 160 : 100;
  return ColorWithLightnessEh(StyleColor(Base), Lightness);
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetHolidayOutsidePeriodFontColor()
{
  return MixColorsByPercentEh(HolidayFontColor(), OutsidePeriodCellFontColor(), 66);
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetHolidaySelectedFontColor()
{
  const Integer Lightness = LuminanceOfColorEh(SelectedCellFontColor()) > 99 ? 180 : 60;
  return ColorWithLightnessEh(StyleColor(clRed), Lightness);
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetHotTrackCellBrushColor()
{
  if (CanDrawSelectionByStyle())
    return StyleColor(clWindow);
  const TColor W = StyleColor(clWindow);
  const TColor H = StyleColor(clHighlight);
  if (W == FHotTrackCellBrushColor1 && H == FHotTrackCellBrushColor2)
    return FHotTrackCellBrushColor;
  const Integer LumW = LuminanceOfColorEh(W);
  const Integer D = Integer(std::trunc(std::abs(LumW - LuminanceOfColorEh(H)) * 100.0 /
                                       LuminanceOfColorEh(clWhite)));
  Integer Percent = D < 20 ? 50 : D < 26 ? 40 : D < 32 ? 30 : 15;
  // A dark window needs a stronger tint to show at all.
  if (LumW < 128)
    Percent += 10;
  FHotTrackCellBrushColor = MixColorsByPercentEh(W, H, Percent);
  FHotTrackCellBrushColor1 = W;
  FHotTrackCellBrushColor2 = H;
  return FHotTrackCellBrushColor;
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetHotTrackCellFontColor() { return StyleColor(clWindowText); }

TColor TDateTimeCalendarPickerDrawStyleEh::GetInsideHorzFrameColor()
{
  return MixColorsByPercentEh(StyleColor(clWindow), StyleColor(clWindowText), 8);
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetInsideVertFrameColor()
{
  return MixColorsByPercentEh(StyleColor(clWindow), StyleColor(clWindowText), 8);
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetNormalCellBrushColor() { return StyleColor(clWindow); }

TColor TDateTimeCalendarPickerDrawStyleEh::GetNormalCellFontColor() { return StyleColor(clWindowText); }

TColor TDateTimeCalendarPickerDrawStyleEh::GetOutsidePeriodCellFontColor()
{
  return MixColorsByPercentEh(StyleColor(clWindow), StyleColor(clWindowText), 50);
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetSelectedCellBrushColor()
{
  return StyleColor(CanDrawSelectionByStyle() ? clWindow : clHighlight);
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetSelectedCellFontColor()
{
  // The style's selected cell is a full highlight here, themed or not, so
  // the text on it needs the highlight's text colour to stay readable.
  return StyleColor(clHighlightText);
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetTodayCellFrameColor()
{
  return MixColorsByPercentEh(StyleColor(clHighlight), StyleColor(clWindowText), 66);
}

bool TDateTimeCalendarPickerDrawStyleEh::CanDrawSelectionByStyle()
{
  return ThemesEnabledVistaOrLaterEh() && !CustomStyleActiveEh();
}

void TDateTimeCalendarPickerDrawStyleEh::DrawCalendarViewCellBackgraund(TCustomCalendarViewEh*, TCanvas* Canvas,
                                                                        const TRect& ARect,
                                                                        TCalendarViewDrawStateEh State)
{
  Canvas->FillRect(ARect);
  if (CanDrawSelectionByStyle()) {
    // The style's item-view cells stand in for a month calendar's cells.
    TThemedListview Part = tlListItemNormal;
    if (State.Contains(cvdsSelectedEh))
      Part = tlListItemSelected;
    else if (State.Contains(cvdsHotTrackEh))
      Part = tlListItemHot;
    if (Part != tlListItemNormal)
      StyleServices()->DrawElement(Canvas->Handle(), StyleServices()->GetElementDetails(Part), ARect);
  }
  if (!State.Contains(cvdsNowEh))
    return;
  const TColor OldColor = Canvas->Brush()->Color();
  Canvas->Brush()->SetColor(TodayCellFrameColor());
  Canvas->FrameRect(ARect);
  Canvas->Brush()->SetColor(OldColor);
}

void TDateTimeCalendarPickerDrawStyleEh::SetCalendarFontData(TDateTimeCalendarPickerEh*, TFont* MasterFont,
                                                             TFont* CalendarFont)
{
  CalendarFont->Assign(MasterFont);
  CalendarFont->SetName(QStringLiteral("Segoe UI"));
  const double S = GetFontSizeEh(MasterFont);
  CalendarFont->SetSize(Integer(Round(S + S * 0.1)));
  CalendarFont->SetColor(NormalCellFontColor());
}

void TDateTimeCalendarPickerDrawStyleEh::SetCalendarWeekNoFontData(TDateTimeCalendarPickerEh*, TFont* CalendarFont,
                                                                   TFont* CalendarWeekNoFont)
{
  CalendarWeekNoFont->Assign(CalendarFont);
  const Integer Size = GetFontSizeEh(CalendarFont);
  Integer NewSize = Integer(Round(0.8 * Size));
  // A week number as large as the days would crowd the column.
  if (NewSize == Size)
    NewSize = Size - 1;
  CalendarWeekNoFont->SetSize(NewSize);
}

// ---------------------------------------------------------------------------
// Paint buffer of the picker

TDateTimePickCalendarPaintBufferEh::TDateTimePickCalendarPaintBufferEh()
    : CalendarWeekNoFont(std::make_unique<TFont>())
{
}

TDateTimePickCalendarPaintBufferEh::~TDateTimePickCalendarPaintBufferEh() = default;

void TDateTimePickCalendarPaintBufferEh::LoadColors()
{
  TDateTimeCalendarPickerDrawStyleEh* S = DateTimeCalendarPickerDrawStyle();
  HolidayFontColor = S->HolidayFontColor();
  HolidayOutsidePeriodFontColor = S->HolidayOutsidePeriodFontColor();
  HolidaySelectedFontColor = S->HolidaySelectedFontColor();
  HotTrackCellBrushColor = S->HotTrackCellBrushColor();
  HotTrackCellFontColor = S->HotTrackCellFontColor();
  InsideHorzFrameColor = S->InsideHorzFrameColor();
  InsideVertFrameColor = S->InsideVertFrameColor();
  NormalCellBrushColor = S->NormalCellBrushColor();
  NormalCellFontColor = S->NormalCellFontColor();
  OutsidePeriod = S->OutsidePeriodCellFontColor();
  SelectedCellBrushColor = S->SelectedCellBrushColor();
  SelectedCellFontColor = S->SelectedCellFontColor();
  TodayCellFrameColor = S->TodayCellFrameColor();
}

// ---------------------------------------------------------------------------
// Transformator

namespace {

// Src stretched (nearest pixel) into DestRect of Dest, laid over what is
// there with a constant Alpha (0 transparent .. 255 opaque).
void BlendStretchedEh(TBitmap* Dest, TBitmap* Src, const TRect& DestRect, Integer Alpha)
{
  const Integer DW = DestRect.Width();
  const Integer DH = DestRect.Height();
  if (Alpha <= 0 || DW <= 0 || DH <= 0 || Src->Width() <= 0 || Src->Height() <= 0)
    return;
  const Integer Y0 = std::max(DestRect.Top, 0);
  const Integer Y1 = std::min(DestRect.Bottom, Dest->Height());
  const Integer X0 = std::max(DestRect.Left, 0);
  const Integer X1 = std::min(DestRect.Right, Dest->Width());
  const Integer A = std::min(Alpha, 255);
  for (Integer Y = Y0; Y < Y1; ++Y) {
    TRGBQuad* D = Dest->ScanLine(Y);
    const TRGBQuad* S = Src->ScanLine(Integer(Int64(Y - DestRect.Top) * Src->Height() / DH));
    if (!D || !S)
      continue;
    for (Integer X = X0; X < X1; ++X) {
      const TRGBQuad& P = S[Int64(X - DestRect.Left) * Src->Width() / DW];
      TRGBQuad& Q = D[X];
      Q.rgbRed = Byte((P.rgbRed * A + Q.rgbRed * (255 - A) + 127) / 255);
      Q.rgbGreen = Byte((P.rgbGreen * A + Q.rgbGreen * (255 - A) + 127) / 255);
      Q.rgbBlue = Byte((P.rgbBlue * A + Q.rgbBlue * (255 - A) + 127) / 255);
      Q.rgbReserved = 255;
    }
  }
}

void FillBitmapEh(TBitmap* Bitmap, TColor Color)
{
  if (Bitmap->Width() <= 0 || Bitmap->Height() <= 0)
    return;
  Bitmap->Canvas()->Brush()->SetStyle(bsSolid);
  Bitmap->Canvas()->Brush()->SetColor(Color);
  Bitmap->Canvas()->FillRect(TRect(0, 0, Bitmap->Width(), Bitmap->Height()));
}

} // namespace

TImageTransformatorEh::TImageTransformatorEh(TComponent* AOwner)
    : TCustomControlEh(AOwner), FBitmap1(std::make_unique<TBitmap>()), FBitmap2(std::make_unique<TBitmap>()),
      FResultBitmap(std::make_unique<TBitmap>())
{
  SetControlStyle(ControlStyle() << csOpaque);
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(FrameInterval);
  FTimer->OnTimer = [this](TObject* Sender) { TimerTick(Sender); };
  Reset(nullptr, nullptr);
}

TImageTransformatorEh::~TImageTransformatorEh() = default;

void TImageTransformatorEh::StopTimer()
{
  FTimer->SetEnabled(false);
  FAnimating = false;
}

void TImageTransformatorEh::Reset(TWinControl* Control1, TWinControl* Control2)
{
  // Frames of a transition still playing would paint over the new pictures.
  StopTimer();
  FBitmap1Transparency = 0;
  FBitmap2Transparency = 255;
  const Integer W = std::max(Width(), 0);
  const Integer H = std::max(Height(), 0);
  const TColor Back = StyleColor(clWindow);
  FBitmap1->SetSize(W, H);
  FResultBitmap->SetSize(W, H);
  FillBitmapEh(FBitmap1.get(), Back);
  if (Control1 && W > 0 && H > 0)
    Control1->PaintTo(FBitmap1->Canvas()->Handle(), 0, 0);
  FBitmap2->SetSize(W, H);
  FillBitmapEh(FBitmap2.get(), Back);
  FillBitmapEh(FResultBitmap.get(), Back);
  // Nothing to capture before the transformator has a size.
  if (W == 0 || H == 0)
    return;
  if (Control2) {
    Control2->PaintTo(FBitmap2->Canvas()->Handle(), 0, 0);
    FResultBitmap->Canvas()->Draw(0, 0, FBitmap2.get());
  }
}

void TImageTransformatorEh::AnimatedTransform()
{
  StopTimer();
  FFrameCount = 0;
  FStartTick = GetTickCountEh();
  if (FOutputDebugString) {
    OutputDebugStringEh(String());
    OutputDebugStringEh(QStringLiteral("--"));
    OutputDebugStringEh(QStringLiteral("Start Time: ") + IntToStr(FStartTick));
  }
  if (FTransformTime <= 1) {
    // Nothing to play: the new picture stays as Reset left it.
    Invalidate();
    if (OnTransformFinished)
      OnTransformFinished(this);
    return;
  }
  FAnimating = true;
  DrawFrame(1);
  Invalidate();
  FTimer->SetEnabled(true);
}

void TImageTransformatorEh::TimerTick(TObject*)
{
  if (!FAnimating)
    return;
  const Int64 T = GetTickCountEh() - FStartTick;
  if (T >= FTransformTime) {
    FinishTransform();
    return;
  }
  DrawFrame(Integer(T));
  if (FOutputDebugString)
    OutputDebugStringEh(QStringLiteral("Step: ") + IntToStr(FFrameCount) + QStringLiteral("  Duration: (") +
                        IntToStr(T) + QStringLiteral(")"));
  Invalidate();
}

void TImageTransformatorEh::FinishTransform()
{
  if (!FAnimating)
    return;
  StopTimer();
  // The last frame is the new picture whole, however late the timer came.
  DrawFrame(FTransformTime);
  Invalidate();
  if (FOutputDebugString) {
    const Int64 Finish = GetTickCountEh();
    OutputDebugStringEh(QStringLiteral("Finish Time: ") + IntToStr(Finish));
    OutputDebugStringEh(QStringLiteral("Transformation Duration: (") + IntToStr(Finish - FStartTick) +
                        QStringLiteral(")"));
    OutputDebugStringEh(QStringLiteral("--"));
  }
  if (OnTransformFinished)
    OnTransformFinished(this);
}

void TImageTransformatorEh::DrawFrame(Integer T)
{
  ++FFrameCount;
  const Integer Total = std::max(FTransformTime, 1);
  T = std::clamp(T, 0, Total);
  const Integer W = FResultBitmap->Width();
  const Integer H = FResultBitmap->Height();
  if (W <= 0 || H <= 0)
    return;
  FillBitmapEh(FResultBitmap.get(), StyleColor(clWindow));
  const Integer A = Integer(Round(double(T) * 255 / Total));
  const Integer D = Integer(Round(double(T) * W / Total));
  TImageTransformStyleEh Style = FTransformStyle;
  // A cell of no size has no zoom factor; such a change fades instead.
  if ((Style == itsZoomInTransformEh || Style == itsZoomOutTransformEh) &&
      (FZoomWinRect.Width() <= 0 || FZoomWinRect.Height() <= 0))
    Style = itsTransparentTransformEh;
  switch (Style) {
  case itsTransparentTransformEh:
    BlendStretchedEh(FResultBitmap.get(), FBitmap1.get(), TRect(0, 0, W, H), 255 - A);
    BlendStretchedEh(FResultBitmap.get(), FBitmap2.get(), TRect(0, 0, W, H), A);
    break;
  case itsLeftToRightTransformEh:
    FResultBitmap->Canvas()->Draw(D, 0, FBitmap1.get());
    FResultBitmap->Canvas()->Draw(D - W, 0, FBitmap2.get());
    break;
  case itsRightToLeftTransformEh:
    FResultBitmap->Canvas()->Draw(-D, 0, FBitmap1.get());
    FResultBitmap->Canvas()->Draw(W - D, 0, FBitmap2.get());
    break;
  case itsZoomInTransformEh:
    DrawZoomFrame(FBitmap1.get(), FBitmap2.get(), double(T) / Total, 255 - A);
    break;
  case itsZoomOutTransformEh:
    DrawZoomFrame(FBitmap2.get(), FBitmap1.get(), double(Total - T) / Total, A);
    break;
  }
}

void TImageTransformatorEh::DrawZoomFrame(TBitmap* Coarse, TBitmap* Fine, double F, Integer CoarseAlpha)
{
  const double W = FResultBitmap->Width();
  const double H = FResultBitmap->Height();
  const TRect& Z = FZoomWinRect;
  const double KX = W / Z.Width();
  const double KY = H / Z.Height();
  const TRect CoarseRect(Integer(Round(-Z.Left * KX * F)), Integer(Round(-Z.Top * KY * F)),
                         Integer(Round(W + (W - Z.Right) * KX * F)), Integer(Round(H + (H - Z.Bottom) * KY * F)));
  const TRect FineRect(Integer(Round(Z.Left - Z.Left * F)), Integer(Round(Z.Top - Z.Top * F)),
                       Integer(Round(Z.Right + (W - Z.Right) * F)), Integer(Round(Z.Bottom + (H - Z.Bottom) * F)));
  BlendStretchedEh(FResultBitmap.get(), Coarse, CoarseRect, CoarseAlpha);
  BlendStretchedEh(FResultBitmap.get(), Fine, FineRect, 255 - CoarseAlpha);
}

void TImageTransformatorEh::Paint()
{
  if (FResultBitmap->Empty())
    return;
  Canvas()->Draw(0, 0, FResultBitmap.get());
}
