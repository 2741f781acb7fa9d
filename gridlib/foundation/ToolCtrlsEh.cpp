// ToolCtrlsEh.cpp: the library's shared text, colour, value and settings routines.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Mask.h"
#include "platform/gui/Themes.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/ScopeExit.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------
// Text routines.

static const UINT AlignFormatTable[3] = {DT_NOPREFIX | DT_EXPANDTABS,
                                         DT_NOPREFIX | DT_EXPANDTABS | DT_RIGHT,
                                         DT_NOPREFIX | DT_EXPANDTABS | DT_CENTER};

static UINT AlignFormat(TAlignment Alignment)
{
  return AlignFormatTable[std::clamp(Integer(Alignment), 0, 2)];
}

// Every surface here is 32-bit, so a brush colour is always shown exactly and
// the dithered-colour bitmap path of a palette device never applies.
static Integer SharedTextBitmapRefs = 0;

void AddSharedTextBitmapRefEh()
{
  ++SharedTextBitmapRefs;
}

void ReleaseSharedTextBitmapRefEh()
{
  if (SharedTextBitmapRefs > 0)
    --SharedTextBitmapRefs;
  if (SharedTextBitmapRefs == 0)
    FreeCacheAlphaBitmapEh();
}

Integer DrawTextWidthEh(TCanvas* Canvas, const String& Text)
{
  TRect R(0, 0, 1, 0);
  DrawText(CanvasHandleEh(Canvas), Text, -1, R, DT_NOPREFIX | DT_CALCRECT);
  return R.Right - R.Left;
}

bool CanvasHasTransformEh(TCanvas* Canvas)
{
  XFORM X;
  if (!GetWorldTransform(Canvas->Handle(), X))
    return false;
  return !(X.eM11 == 1 && X.eM12 == 0 && X.eM21 == 0 && X.eM22 == 1 && X.eDx == 0 && X.eDy == 0);
}

static bool IsSimpleTextCase(const String& Text, bool WordWrap, bool EndEllipsis, Integer LeftMarg,
                             Integer RightMarg, bool SingleLine)
{
  return SingleLine && !WordWrap && !EndEllipsis && LeftMarg == 0 && RightMarg == 0 &&
         Text.size() <= 32768;
}

// One line is as high as the font; the last height is kept for the context
// and font, since every cell of a paint asks with the same ones.
static Integer FontLineHeight(TCanvas* Canvas, HDC DC)
{
  struct TKey {
    HDC DC = nullptr;
    String Name;
    Integer Height = 0;
    std::uint64_t Style = 0;
    TFontPitch Pitch = fpDefault;
    TFontCharset Charset = 0;
    bool operator==(const TKey&) const = default;
  };
  static TKey LastKey;
  static Integer LastHeight = -1;
  TFont* F = Canvas->Font();
  const TKey Key{DC, F->Name(), F->Height(), F->Style().Bits(), F->Pitch(), F->Charset()};
  if (LastHeight < 0 || !(Key == LastKey)) {
    TTextMetric TM;
    GetTextMetrics(DC, TM);
    LastKey = Key;
    LastHeight = TM.tmHeight;
  }
  return LastHeight;
}

// The one-line case. The text's own alignment point is handed to the context
// (right or centre text alignment), so the text is measured once, by the
// output itself; the position is the same as measuring first.
static void DrawSimpleCellText(TCanvas* Canvas, const TRect& Rect, bool FillRect, Integer DX,
                               Integer DY, const String& Text, TAlignment Alignment,
                               TTextLayout Layout)
{
  HDC DC = CanvasHandleEh(Canvas);
  Integer X = Rect.Left + DX;
  UINT Align = TA_LEFT;
  if (Alignment == taRightJustify) {
    X = Rect.Right - DX - 1;
    Align = TA_RIGHT;
  } else if (Alignment == taCenter) {
    X = Rect.Left + (Rect.Right - Rect.Left) / 2;
    Align = TA_CENTER;
  }

  Integer Y = Rect.Top + DY;
  if (Layout != tlTop) {
    const Integer H = FontLineHeight(Canvas, DC);
    if (H < Rect.Bottom - Rect.Top - DY)
      Y = Layout == tlCenter ? (Rect.Top + Rect.Bottom - H) / 2 : Rect.Bottom - H - DY;
  }

  const TColor SavedColor = Canvas->Brush()->Color();
  const TBrushStyle SavedStyle = Canvas->Brush()->Style();
  if (!FillRect)
    Canvas->Brush()->SetStyle(bsClear);
  const UINT SavedAlign = SetTextAlign(DC, (GetTextAlign(DC) & ~UINT(TA_CENTER)) | Align);
  Canvas->TextRect(Rect, X, Y, Text);
  SetTextAlign(DC, SavedAlign);
  if (!FillRect) {
    Canvas->Brush()->SetStyle(SavedStyle);
    Canvas->Brush()->SetColor(SavedColor);
  }
}

static void DrawFormattedCellText(TCanvas* Canvas, TRect R, Integer DX, Integer DY,
                                  const String& Text, TAlignment Alignment, TTextLayout Layout,
                                  bool WordWrap, bool EndEllipsis, Integer LeftMarg,
                                  Integer RightMarg, bool RightToLeft, bool SingleLine)
{
  UINT Flags = 0;
  if (WordWrap)
    Flags |= DT_WORDBREAK;
  else if (SingleLine)
    Flags |= DT_SINGLELINE;
  if (EndEllipsis)
    Flags |= DT_END_ELLIPSIS;
  Flags |= AlignFormat(Alignment);
  if (RightToLeft)
    Flags |= DT_RTLREADING;

  if (Alignment == taLeftJustify)
    R.Left += DX;
  else if (Alignment == taCenter)
    R.Right -= DX;
  else
    RightMarg = LeftMarg + DX;
  const TRect Horz = R;

  if (Layout == tlTop)
    R.Top += DY;
  else {
    TRect Calc = R;
    DrawTextExParamsEh(CanvasHandleEh(Canvas), Text, Calc, 0, LeftMarg, RightMarg, Flags | DT_CALCRECT);
    const Integer H = Calc.Bottom - Calc.Top;
    if (Layout == tlCenter)
      R.Top = (R.Top + R.Bottom - H) / 2;
    else
      R.Top = R.Bottom - H - DY;
  }

  HRGN SavedClip = nullptr;
  const bool Clip = R.Top < Horz.Top && !CanvasHasTransformEh(Canvas);
  if (Clip)
    SavedClip = IntersectClipRectEh(Canvas, Horz);
  ScopeExit Restore([&] {
    if (Clip)
      RestoreClipRegionEh(Canvas, SavedClip);
  });
  DrawTextExParamsEh(CanvasHandleEh(Canvas), Text, R, 0, LeftMarg, RightMarg, Flags);
}

void DrawCellTextEh(TCanvas* Canvas, TRect Rect, bool FillRect, Integer DX, Integer DY,
                    const String& Text, TAlignment Alignment, TTextLayout Layout, bool WordWrap,
                    bool EndEllipsis, Integer LeftMarg, Integer RightMarg, bool RightToLeft,
                    bool SingleLine)
{
  if (IsSimpleTextCase(Text, WordWrap, EndEllipsis, LeftMarg, RightMarg, SingleLine)) {
    DrawSimpleCellText(Canvas, Rect, FillRect, DX, DY, Text, Alignment, Layout);
    return;
  }
  const TColor SavedColor = Canvas->Brush()->Color();
  const TBrushStyle SavedStyle = Canvas->Brush()->Style();
  if (FillRect)
    Canvas->FillRect(Rect);
  else
    Canvas->Brush()->SetStyle(bsClear);
  ScopeExit Restore([&] {
    Canvas->Brush()->SetStyle(SavedStyle);
    Canvas->Brush()->SetColor(SavedColor);
  });
  DrawFormattedCellText(Canvas, Rect, DX, DY, Text, Alignment, Layout, WordWrap, EndEllipsis,
                        LeftMarg, RightMarg, RightToLeft, SingleLine);
}

void WriteTextRotatedEh(TCanvas* Canvas, TRect Rect, bool FillRect, Integer DX, Integer DY,
                        const String& Text, TAlignment Alignment, TTextLayout Layout,
                        bool WordWrap, bool EndEllipsis, bool)
{
  HDC DC = Canvas->Handle();
  const Integer Saved = SaveDC(DC);
  ScopeExit Restore([&] { RestoreDC(DC, Saved); });

  XFORM Rot;
  Rot.eM11 = 0;   // cos(-90)
  Rot.eM12 = -1;  // sin(-90)
  Rot.eM21 = 1;   // -sin(-90)
  Rot.eM22 = 0;
  XFORM Cur;
  GetWorldTransform(DC, Cur);
  if (Cur.eM11 == 1 && Cur.eM12 == 0 && Cur.eM21 == 0 && Cur.eM22 == 1) {
    SetGraphicsMode(DC, GM_ADVANCED);
    SetWorldTransform(DC, Rot);
  } else
    ModifyWorldTransform(DC, &Rot, MWT_LEFTMULTIPLY);

  const Integer W = Rect.Width();
  const Integer H = Rect.Height();
  const TRect Logical(-Rect.Top - H, Rect.Left, -Rect.Top, Rect.Left + W);
  DrawCellTextEh(Canvas, Logical, FillRect, DX, DY, Text, Alignment, Layout, WordWrap, EndEllipsis,
                 0, 0, false, false);
}

void WriteClippedTextEh(TCanvas* Canvas, TRect Rect, Integer DX, TAlignment Alignment, const String& Text,
                        Integer DY)
{
  const Integer TextWidth = Canvas->TextWidth(Text);
  Integer X = Rect.Left + DX;
  if (Alignment == taRightJustify)
    X = Rect.Right - TextWidth - 3;
  else if (Alignment == taCenter)
    X = Rect.Left + (Rect.Right - Rect.Left) / 2 - TextWidth / 2;
  ExtTextOut(CanvasHandleEh(Canvas), X, Rect.Top + DY, ETO_CLIPPED | ETO_OPAQUE, &Rect, Text, nullptr);
}

String MinimizeTextEh(const String& Text, TCanvas* Canvas, Integer MaxWidth)
{
  String Result = Text;
  const Integer Len = Integer(Text.size());
  for (Integer I = 1; I <= Len && Canvas->TextWidth(Result) > MaxWidth; ++I)
    Result = Text.left(std::max(0, Len - I - 1)) + QStringLiteral("...");
  return Result;
}

bool IsTextCutInRectEh(TCanvas* Canvas, const TRect& Rect, const String& Text, UINT Flags,
                       bool WordWrap, bool SingleLine, bool EndEllipsis, TAlignment Alignment,
                       Integer ExtraWidth, Integer Interlinear, Integer& TextWidth, Integer& TextHeight)
{
  const Integer W = Rect.Width() - ExtraWidth - 4;
  TRect Calc(0, 0, std::max(W, 1), 0);
  UINT F = Flags | DT_CALCRECT | DT_NOPREFIX;
  if (WordWrap)
    F |= DT_WORDBREAK;
  else if (SingleLine)
    F |= DT_SINGLELINE;
  DrawTextEh(CanvasHandleEh(Canvas), Text, -1, Calc, F);
  TextWidth = Calc.Width();
  TextHeight = Calc.Height();
  const Integer Available = EndEllipsis && Alignment != taLeftJustify ? W - 3 : W;
  return TextWidth > Available || TextHeight > Rect.Height() - Interlinear + 1;
}

TBiDiMode TextBiDiModeEh(const String& Text, TBiDiMode Default)
{
  if (Text.isEmpty())
    return bdLeftToRight;
  switch (Text.at(0).direction()) {
  case QChar::DirL:
    return bdLeftToRight;
  case QChar::DirR: case QChar::DirAL: case QChar::DirAN:
    return bdRightToLeft;
  default:
    return Default;
  }
}

bool FirstCharIsRightToLeftEh(const String& Text, bool Default)
{
  return TextBiDiModeEh(Text, Default ? bdRightToLeft : bdLeftToRight) == bdRightToLeft;
}

void FontToFontDataEh(TFont* Font, TFontDataEh& Data)
{
  Data.Height = Font->Height();
  Data.Pitch = Font->Pitch();
  Data.Style = Font->Style();
  Data.Charset = Font->Charset();
  Data.Name = Font->Name();
  Data.Color = Font->Color();
}

void FontDataToFontEh(const TFontDataEh& Data, TFont* Font)
{
  Font->SetHeight(Data.Height);
  Font->SetPitch(Data.Pitch);
  Font->SetStyle(Data.Style);
  Font->SetCharset(Data.Charset);
  Font->SetName(Data.Name);
  Font->SetColor(Data.Color);
}

// ---------------------------------------------------------------------------
// Colours.

static Integer ChannelR(TColor C) { return Integer(C & 0xFF); }
static Integer ChannelG(TColor C) { return Integer((C >> 8) & 0xFF); }
static Integer ChannelB(TColor C) { return Integer((C >> 16) & 0xFF); }

static TColor MakeColor(Integer R, Integer G, Integer B)
{
  return RGBEh(Byte(std::clamp(R, 0, 255)), Byte(std::clamp(G, 0, 255)), Byte(std::clamp(B, 0, 255)));
}

Integer LuminanceOfColorEh(TColor Color)
{
  const TColor C = ColorToRGB(Color);
  return (77 * ChannelR(C) + 150 * ChannelG(C) + 29 * ChannelB(C)) / 256;
}

TColor GrayColorOfEh(TColor Color)
{
  const Integer L = LuminanceOfColorEh(Color);
  return MakeColor(L, L, L);
}

TColor DarkerColorEh(TColor Color1, TColor Color2)
{
  return LuminanceOfColorEh(Color2) < LuminanceOfColorEh(Color1) ? Color2 : Color1;
}

TColor MixColorsByFactorEh(TColor Color1, TColor Color2, double Factor)
{
  const TColor C1 = ColorToRGB(Color1);
  const TColor C2 = ColorToRGB(Color2);
  auto Mix = [Factor](Integer A, Integer B) { return A + Integer(std::trunc((B - A) / 255.0 * Factor)); };
  return MakeColor(Mix(ChannelR(C1), ChannelR(C2)), Mix(ChannelG(C1), ChannelG(C2)),
                   Mix(ChannelB(C1), ChannelB(C2)));
}

TColor MixColorsByPercentEh(TColor Color1, TColor Color2, Integer Percent)
{
  const TColor C1 = ColorToRGB(Color1);
  const TColor C2 = ColorToRGB(Color2);
  auto Mix = [Percent](Integer A, Integer B) { return Integer(Round(A + Percent * (B - A) / 100.0)); };
  return MakeColor(Mix(ChannelR(C1), ChannelR(C2)), Mix(ChannelG(C1), ChannelG(C2)),
                   Mix(ChannelB(C1), ChannelB(C2)));
}

TColor ColorWithLightnessEh(TColor Color, Integer Value)
{
  return ColorWithLightness(Color, Value / 256.0);
}

Cardinal ColorToImageListColorEh(TColor Color)
{
  if (Color == clNone)
    return CLR_NONE;
  if (Color == clDefault)
    return CLR_DEFAULT;
  return Cardinal(ColorToRGB(Color));
}

// ---------------------------------------------------------------------------
// Gradients, lines and clipping.

void FillVerticalGradientEh(TCanvas* Canvas, const TRect& Rect, TColor TopColor, TColor BottomColor)
{
  const TColor Top = ColorToRGB(TopColor);
  const TColor Bottom = ColorToRGB(BottomColor);
  const Integer H = Rect.Height();
  const TColor SavedPen = Canvas->Pen()->Color();
  const Integer SavedWidth = Canvas->Pen()->Width();
  Canvas->Pen()->SetWidth(1);
  for (Integer I = 0; I < H; ++I) {
    TColor C = Top;
    if (H > 1) {
      auto Step = [&](Integer A, Integer B) { return Integer(Round(A - I * double(A - B) / (H - 1))); };
      C = MakeColor(Step(ChannelR(Top), ChannelR(Bottom)), Step(ChannelG(Top), ChannelG(Bottom)),
                    Step(ChannelB(Top), ChannelB(Bottom)));
    }
    Canvas->Pen()->SetColor(C);
    if (Rect.Width() <= 1) {
      Canvas->MoveTo(Rect.Left, Rect.Top + I);
      Canvas->LineTo(Rect.Right, Rect.Top + I);
    } else {
      Canvas->Brush()->SetColor(C);
      Canvas->FillRect(TRect(Rect.Left, Rect.Top + I, Rect.Right, Rect.Top + I + 1));
    }
  }
  Canvas->Pen()->SetColor(SavedPen);
  Canvas->Pen()->SetWidth(SavedWidth);
}

void DrawGradientLinesEh(TCanvas* Canvas, TPoint Origin, const std::vector<TPoint>& Points,
                         TColor FromColor, TColor ToColor)
{
  const TColor From = ColorToRGB(FromColor);
  const TColor To = ColorToRGB(ToColor);
  const Integer N = Integer(Points.size()) / 2;
  const Integer Div = N > 1 ? N - 1 : 1;
  for (Integer K = 0; K < N; ++K) {
    auto Step = [&](Integer A, Integer B) { return Integer(Round(A - double(A - B) * K / Div)); };
    const TColor C = MakeColor(Step(ChannelR(From), ChannelR(To)), Step(ChannelG(From), ChannelG(To)),
                               Step(ChannelB(From), ChannelB(To)));
    const TPoint S = Points[std::size_t(2 * K)] + Origin;
    const TPoint E = Points[std::size_t(2 * K + 1)] + Origin;
    if (CacheAlphaBitmapCapturedEh()) {
      GetCacheAlphaBitmapEh(0, 0)->DrawHorzLine(S, E.X - S.X - 1, C);
      continue;
    }
    Canvas->Pen()->SetColor(C);
    Canvas->MoveTo(S.X, S.Y);
    Canvas->LineTo(E.X, E.Y);
  }
}

HRGN IntersectClipRectEh(TCanvas* Canvas, const TRect& Rect)
{
  HDC DC = Canvas->Handle();
  HRGN Saved = CreateRectRgn(0, 0, 0, 0);
  if (GetClipRgn(DC, Saved) != 1) {
    DeleteObject(Saved);
    Saved = nullptr;
  }
  IntersectClipRect(DC, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
  return Saved;
}

void RestoreClipRegionEh(TCanvas* Canvas, HRGN Region)
{
  SelectClipRgn(Canvas->Handle(), Region);
  if (Region)
    DeleteObject(Region);
}

TPoint InterpolatePointEh(TPoint P1, TPoint P2, double Fraction)
{
  return TPoint(P1.X + Integer(std::trunc((P2.X - P1.X) * Fraction)),
                P1.Y + Integer(std::trunc((P2.Y - P1.Y) * Fraction)));
}

void DrawImageListImageCenteredEh(TCanvas* Canvas, const TRect& Rect, TCustomImageList* Images,
                                  Integer ImageIndex, bool Selected)
{
  if (!Images || ImageIndex < 0 || ImageIndex >= Images->Count())
    return;
  const Integer X = Rect.Left + (Rect.Width() - Images->Width()) / 2;
  const Integer Y = Rect.Top + (Rect.Height() - Images->Height()) / 2;
  const bool SticksOut = X < Rect.Left || Y < Rect.Top || X + Images->Width() > Rect.Right ||
                         Y + Images->Height() > Rect.Bottom;
  HRGN Saved = SticksOut ? IntersectClipRectEh(Canvas, Rect) : nullptr;
  // The selected look blends with the highlight whatever the list's own
  // blend colour.
  const TColor Blend = Images->BlendColor();
  if (Selected)
    Images->SetBlendColor(clHighlight);
  Images->Draw(Canvas, X, Y, ImageIndex, Selected ? dsSelected : dsNormal, Images->ImageType());
  Images->SetBlendColor(Blend);
  if (SticksOut)
    RestoreClipRegionEh(Canvas, Saved);
}

void DrawImageListImageCenteredEh(HDC DC, const TRect& Rect, TCustomImageList* Images, Integer ImageIndex,
                                  bool Selected)
{
  TExternalCanvas Canvas(DC);
  DrawImageListImageCenteredEh(&Canvas, Rect, Images, ImageIndex, Selected);
}

void DrawImageInRectEh(TCustomImageList* Images, TBitmap* Bitmap, TCanvas* Canvas, const TRect& Rect,
                       Integer ImageIndex, Integer DX, Integer DY, TAlignment Alignment,
                       const TRect& ClipRect, double Scale, bool Enabled)
{
  TRect Common;
  if ((!Images && !Bitmap) || !IntersectRect(Common, Rect, ClipRect))
    return;
  std::unique_ptr<TBitmap> Copy;
  TBitmap* Source = Bitmap;
  if (Images && Scale != 1) {
    Copy = std::make_unique<TBitmap>();
    Images->GetBitmap(ImageIndex, Copy.get());
    Source = Copy.get();
  }
  Integer W = Images ? Images->Width() : Bitmap->Width();
  Integer H = Images ? Images->Height() : Bitmap->Height();
  if (Scale != 1) {
    W = Integer(std::trunc(Scale * Source->Width()));
    H = Integer(std::trunc(Scale * Source->Height()));
  }
  Integer X = Rect.Left + DX;
  if (Alignment == taRightJustify)
    X = Rect.Right - W + DX;
  else if (Alignment == taCenter)
    X = (Rect.Left + Rect.Right - W) / 2 + DX;
  Integer Y = (Rect.Top + Rect.Bottom - H) / 2 + DY;
  if (Scale != 1) {
    // Scaled images are centred in the rectangle.
    X = (Rect.Left + Rect.Right - W) / 2;
    Y = (Rect.Top + Rect.Bottom - H) / 2;
  }
  const TRect ImageRect(X, Y, X + W, Y + H);
  const bool Inside = ImageRect.Left >= Rect.Left && ImageRect.Top >= Rect.Top &&
                      ImageRect.Right <= Rect.Right && ImageRect.Bottom <= Rect.Bottom;
  HRGN Saved = nullptr;
  if (!Inside)
    Saved = IntersectClipRectEh(Canvas, Rect);
  ScopeExit Restore([&] {
    if (!Inside)
      RestoreClipRegionEh(Canvas, Saved);
  });
  if (Scale != 1)
    Canvas->StretchDraw(ImageRect, Source);
  else if (Images)
    Images->Draw(Canvas, X, Y, ImageIndex, Enabled);
  else
    Canvas->Draw(X, Y, Bitmap);
}

void DrawProgressBarEh(TCanvas* Canvas, const TRect& Rect, TColor BarColor, const TProgressBarParamsEh* Params,
                       TColor BackColor, TColor FrameColor, double MaxValue, double MinValue, double Value)
{
  TProgressBarParamsEh P;
  if (Params)
    P = *Params;
  if (BackColor == clDefault)
    BackColor = Canvas->Brush()->Color();
  if (BackColor != clNone) {
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(ColorToRGB(BackColor));
    Canvas->FillRect(Rect);
  }
  // The fraction counts from MinValue; an empty range draws no bar.
  const double Range = MaxValue - MinValue;
  const double F = Range != 0 ? (Value - MinValue) / Range : 0;
  const Integer Indent = P.Indent;
  const Integer L = Value > MinValue && Range != 0 ? Integer(std::trunc(F * (Rect.Width() - 4 * Indent))) : 0;

  String Text;
  if (P.ShowText) {
    const double Shown = P.TextType == pbttAsPercent ? F * 100 : Value;
    Text = FloatToStr(RoundTo(Shown, -Integer(P.TextDecimalPlaces)));
    if (P.TextType == pbttAsPercent)
      Text += QLatin1Char('%');
  }

  TRect Bar(Rect.Left + Indent, Rect.Top + Indent, Rect.Left + Indent + L, Rect.Bottom - Indent);
  if (Value >= MaxValue)
    Bar.Right = Rect.Right - Indent;
  else
    Bar.Right = std::min(Bar.Right, Rect.Right);
  const TRect Full(Bar.Left, Bar.Top, Rect.Right - Indent, Bar.Bottom);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(ColorToRGB(BarColor));
  Canvas->Pen()->SetColor(ColorToRGB(FrameColor));
  if (P.FrameFigureType == pbfftRoundRect) {
    if (P.FrameSizeType == pbfstVal)
      Canvas->RoundRect(Bar.Left, Bar.Top, Bar.Right, Bar.Bottom, 10, 5);
    else {
      Canvas->Pen()->SetColor(ColorToRGB(BarColor));
      Canvas->RoundRect(Bar.Left, Bar.Top, Bar.Right, Bar.Bottom, 5, 5);
      Canvas->Brush()->SetStyle(bsClear);
      Canvas->Pen()->SetColor(ColorToRGB(FrameColor));
      Canvas->RoundRect(Full.Left, Full.Top, Full.Right, Full.Bottom, 5, 5);
    }
  } else if (P.FrameSizeType == pbfstVal) {
    Canvas->Rectangle(Bar);
  } else {
    Canvas->FillRect(Bar);
    Canvas->Brush()->SetColor(ColorToRGB(FrameColor));
    Canvas->FrameRect(Full);
  }
  if (Text.isEmpty())
    return;

  Canvas->Brush()->SetStyle(bsClear);
  if (Params) {
    Canvas->Font()->SetName(P.FontName);
    Canvas->Font()->SetColor(P.FontColor);
    Canvas->Font()->SetSize(P.FontSize);
    Canvas->Font()->SetStyle(P.FontStyle);
  } else if (Canvas->TextHeight(Text) >= Rect.Height() && FrameColor != BarColor) {
    Canvas->Font()->SetSize(Canvas->Font()->Size() - 1);
  }
  const Integer TW = Canvas->TextWidth(Text);
  Integer X = Rect.Left + Rect.Width() / 2 - TW / 2;
  if (P.TextAlignment == taLeftJustify)
    X = Rect.Left + Indent + 3;
  else if (P.TextAlignment == taRightJustify)
    X = Rect.Right - TW - Indent - 3;
  X = std::max(X, Rect.Left + 1);
  const Integer Y = (Rect.Top + Rect.Bottom - Canvas->TextHeight(Text)) / 2;
  Canvas->TextRect(Rect, X, Y, Text);
}

// ---------------------------------------------------------------------------
// The shared alpha bitmap.

static std::unique_ptr<TCacheAlphaBitmapEh> CacheAlphaBitmap;

TCacheAlphaBitmapEh::TCacheAlphaBitmapEh()
{
  SetPixelFormat(pf32bit);
  SetAlphaFormat(afDefined);
}

void TCacheAlphaBitmapEh::Capture()
{
  if (FCapture)
    throw Exception(QStringLiteral("CacheAlphaBitmap have captured"));
  FCapture = true;
}

void TCacheAlphaBitmapEh::DrawHorzLine(TPoint Start, Integer Length, TColor Color)
{
  TRGBQuad* Line = ScanLine(Start.Y);
  if (!Line || Start.X >= Width())
    return;
  const TColor C = ColorToRGB(Color);
  const TRGBQuad Pixel{Byte(ChannelB(C)), Byte(ChannelG(C)), Byte(ChannelR(C)), 255};
  const Integer From = std::max(Start.X, 0);
  const Integer To = std::min(Start.X + Length, Width() - 1);
  for (Integer X = From; X <= To; ++X)
    Line[X] = Pixel;
}

TCacheAlphaBitmapEh* GetCacheAlphaBitmapEh(Integer Width, Integer Height)
{
  if (!CacheAlphaBitmap)
    CacheAlphaBitmap = std::make_unique<TCacheAlphaBitmapEh>();
  if (CacheAlphaBitmap->Width() < Width || CacheAlphaBitmap->Height() < Height)
    CacheAlphaBitmap->SetSize(std::max(CacheAlphaBitmap->Width(), Width),
                              std::max(CacheAlphaBitmap->Height(), Height));
  return CacheAlphaBitmap.get();
}

bool CacheAlphaBitmapCapturedEh()
{
  return CacheAlphaBitmap && CacheAlphaBitmap->Captured();
}

void FreeCacheAlphaBitmapEh()
{
  CacheAlphaBitmap.reset();
}

// ---------------------------------------------------------------------------
// Themes.

bool StyleThemesEnabledEh()
{
  return ThemeServicesEnabled();
}

bool ThemesEnabledVistaOrLaterEh()
{
  return StyleThemesEnabledEh();
}

bool CustomStyleActiveEh()
{
  TCustomStyleServices* Style = TStyleManager::ActiveStyle();
  return Style && Style->Name() != TStyleManager::SystemStyleName();
}

// ---------------------------------------------------------------------------
// Placement, windows, mouse and keyboard.

void GetControlScreenRectEh(TControl* Control, TRect& Rect)
{
  const TPoint P = Control->ClientToScreen(TPoint(0, 0));
  Rect = Bounds(P.X, P.Y, Control->Width(), Control->Height());
}

void CalcDropDownPosForRectEh(const TRect& HostRect, TWinControl* DropDown, Integer Align, TPoint& Pos)
{
  const TRect Work = Screen->WorkAreaRect();
  Integer H = DropDown->Height();
  const bool FitsBelow = Work.Bottom >= HostRect.Bottom + H;
  const bool FitsAbove = HostRect.Top - H >= Work.Top;
  const bool Upward = (!FitsBelow && FitsAbove) ||
                      (!FitsBelow && !FitsAbove && Work.Bottom - HostRect.Bottom < HostRect.Top - Work.Top);
  Integer Y = 0;
  if (Upward) {
    if (HostRect.Top - H < Work.Top)
      H = HostRect.Top - Work.Top;
    Y = HostRect.Top - H;
    DropDown->Perform(WM_USER + 100, 2, 0);
  } else {
    if (Work.Bottom < HostRect.Bottom + H)
      H = Work.Bottom - HostRect.Bottom;
    Y = HostRect.Bottom;
    DropDown->Perform(WM_USER + 100, 3, 0);
  }
  if (H != DropDown->Height())
    DropDown->SetHeight(H);

  if (DropDown->Width() > Work.Width())
    DropDown->SetWidth(Work.Width());
  const Integer W = DropDown->Width();
  Integer X = HostRect.Left;
  if (Align == 1)
    X = HostRect.Right - W;
  else if (Align == 2)
    X = HostRect.Left - (W + HostRect.Left - HostRect.Right) / 2;
  if (X + W > Work.Right) {
    X = Work.Right - W;
    DropDown->Perform(WM_USER + 100, 0, 0);
  } else if (X < Work.Left) {
    X = Work.Left;
    DropDown->Perform(WM_USER + 100, 1, 0);
  } else
    DropDown->Perform(WM_USER + 100, Align == 1 ? 0 : 1, 0);
  Pos = TPoint(X, Y);
}

void CalcDropDownPosForControlEh(TControl* Control, TWinControl* DropDown, Integer Align, TPoint& Pos)
{
  TRect R = Control->BoundsRect();
  if (Control->Parent()) {
    const TPoint TL = Control->Parent()->ClientToScreen(R.TopLeft());
    R = Bounds(TL.X, TL.Y, R.Width(), R.Height());
  }
  CalcDropDownPosForRectEh(R, DropDown, Align, Pos);
}

void BroadcastPerformEh(TComponent* Component, TClass ClassRef, UINT Msg, WPARAM WParam, LPARAM LParam)
{
  for (Integer I = 0; I < Component->ComponentCount(); ++I) {
    TComponent* C = Component->Components(I);
    if (auto* Control = dynamic_cast<TControl*>(C); Control && C->InheritsFrom(ClassRef))
      Control->Perform(Msg, WParam, LParam);
    BroadcastPerformEh(C, ClassRef, Msg, WParam, LParam);
  }
}

// The program has no window of its own: the forms stand for it.
void PostAppMessageOnceEh(UINT Msg, WPARAM WParam, LPARAM LParam)
{
  if (!Screen)
    return;
  for (Integer I = 0; I < Screen->FormCount(); ++I)
    PostMessageOnce(Screen->Forms(I), Msg, WParam, LParam);
}

TShiftState CurrentShiftStateEh()
{
  TShiftState State;
  if (GetKeyState(VK_SHIFT) < 0)
    State << ssShift;
  if (GetKeyState(VK_MENU) < 0)
    State << ssAlt;
  if (GetKeyState(VK_CONTROL) < 0)
    State << ssCtrl;
  return State;
}

bool IsMouseButtonDownEh(TMouseButton Button)
{
  switch (Button) {
  case mbLeft: return GetAsyncKeyState(VK_LBUTTON) < 0;
  case mbRight: return GetAsyncKeyState(VK_RBUTTON) < 0;
  case mbMiddle: return GetAsyncKeyState(VK_MBUTTON) < 0;
  }
  return false;
}

bool IsDoubleClickEh(TPoint FirstPoint, TPoint SecondPoint, Cardinal Interval)
{
  if (Interval > GetDoubleClickTime())
    return false;
  return std::abs(FirstPoint.X - SecondPoint.X) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
         std::abs(FirstPoint.Y - SecondPoint.Y) <= GetSystemMetrics(SM_CYDOUBLECLK);
}

static bool SkipPendingMouseDown(TControl* Control, bool InClient)
{
  auto* Win = dynamic_cast<TWinControl*>(Control);
  TWinControl* Target = Win ? Win : Control->Parent();
  if (!Target || !Target->HandleAllocated())
    return false;
  TMsg Msg;
  if (!PeekMessage(Msg, Target->Handle(), WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_NOREMOVE))
    return false;
  if (Msg.message != WM_LBUTTONDOWN && Msg.message != WM_LBUTTONDBLCLK)
    return false;
  const TPoint P = SmallPointToPointEh(Msg.lParam);
  if (InClient) {
    const TPoint ClientPt = Win ? P : TPoint(P.X - Control->Left(), P.Y - Control->Top());
    if (!PointInRectEh(Control->ClientRect(), ClientPt))
      return false;
  } else {
    TControl* Hit = Win ? Win->ControlAtPos(P, true) : Target->ControlAtPos(P, true);
    if (Hit != Control)
      return false;
  }
  PeekMessage(Msg, Target->Handle(), Msg.message, Msg.message, PM_REMOVE);
  return true;
}

bool SkipPendingMouseDownEh(TControl* Control)
{
  return SkipPendingMouseDown(Control, false);
}

bool SkipPendingMouseDownInClientEh(TControl* Control)
{
  return SkipPendingMouseDown(Control, true);
}

// ---------------------------------------------------------------------------
// Values.

static bool IsArrayOfSameShape(const Variant& V1, const Variant& V2)
{
  return VarArrayDimCount(V1) == VarArrayDimCount(V2) &&
         VarArrayLowBound(V1, 1) == VarArrayLowBound(V2, 1) &&
         VarArrayHighBound(V1, 1) == VarArrayHighBound(V2, 1);
}

bool VarValuesEqualEh(const Variant& V1, const Variant& V2)
{
  try {
    if (V1.IsArray() != V2.IsArray())
      return false;
    if (V1.IsArray()) {
      if (!IsArrayOfSameShape(V1, V2))
        return false;
      const Integer Lo = VarArrayLowBound(V1, 1);
      const Integer Hi = VarArrayHighBound(V1, 1);
      if (Hi < Lo)
        return false;
      for (Integer I = Lo; I <= Hi; ++I)
        if (!(V1.GetElement(I) == V2.GetElement(I)))
          return false;
      return true;
    }
    if (V1.IsEmpty() != V2.IsEmpty())
      return false;
    return V1 == V2;
  } catch (...) {
    return false;
  }
}

static TVariantRelationship CompareNullAware(const Variant& V1, const Variant& V2)
{
  if (V1.IsNull() && V2.IsNull())
    return vrEqual;
  if (V1.IsNull())
    return vrLessThan;
  if (V2.IsNull())
    return vrGreaterThan;
  return VarCompareValue(V1, V2);
}

TVariantRelationship CompareVarValuesEh(const Variant& V1, const Variant& V2)
{
  if (V1.IsArray() != V2.IsArray())
    return vrNotEqual;
  if (!V1.IsArray())
    return CompareNullAware(V1, V2);
  if (!IsArrayOfSameShape(V1, V2))
    return vrNotEqual;
  const Integer Lo = VarArrayLowBound(V1, 1);
  const Integer Hi = VarArrayHighBound(V1, 1);
  if (Hi < Lo)
    return vrNotEqual;
  for (Integer I = Lo; I <= Hi; ++I) {
    const TVariantRelationship R = CompareNullAware(V1.GetElement(I), V2.GetElement(I));
    if (R != vrEqual)
      return R;
  }
  return vrEqual;
}

String VarToArrayTextEh(const Variant& V)
{
  if (!V.IsArray())
    return VarToStr(V);
  QStringList Items;
  for (Integer I = VarArrayLowBound(V, 1); I <= VarArrayHighBound(V, 1); ++I)
    Items << VarToArrayTextEh(V.GetElement(I));
  return QStringLiteral("[") + Items.join(QStringLiteral(", ")) + QStringLiteral("]");
}

String VarToDisplayStrEh(const Variant& V)
{
  if (V.VType() == varDate)
    return DateTimeToStr(V.AsDateTime());
  return VarToStr(V);
}

bool VarIsNumericEh(const Variant& V)
{
  switch (V.VType()) {
  case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency: case varDate:
  case varShortInt: case varByte: case varWord: case varLongWord: case varInt64: case varUInt64:
    return true;
  default:
    return false;
  }
}

String FormatMaskTextWithMaskBlankEh(const String& EditMask, const String& Text)
{
  const QChar Blank = MaskGetMaskBlank(EditMask);
  return MaskGetMaskSave(EditMask) ? PadInputLiterals(EditMask, Text, Blank)
                                   : MaskDoFormatText(EditMask, Text, Blank);
}

static TFormatSettings InvariantSettings()
{
  TFormatSettings S = FormatSettings;
  S.DecimalSeparator = QLatin1Char('.');
  S.DateSeparator = QLatin1Char('-');
  S.ShortDateFormat = QStringLiteral("YYYY/MM/DD");
  S.TimeSeparator = QLatin1Char(':');
  S.ShortTimeFormat = QStringLiteral("HH:NN:SS");
  return S;
}

// The invariant texts are made with a local settings record, so that no other
// thread sees the program's settings switched.
String VarToInvariantStrEh(const Variant& V)
{
  const TFormatSettings S = InvariantSettings();
  switch (V.VType()) {
  case varCurrency:
    return CurrToStr(V.AsCurrency(), S);
  case varDate:
    return DateTimeToStr(V.AsDateTime(), S);
  case varSingle: case varDouble:
    return FloatToStr(V.AsDouble(), S);
  default:
    return VarToStr(V);
  }
}

void InvariantStrToVarEh(const String& Text, TVarType VarType, Variant& Value)
{
  Value = Null;
  const TFormatSettings S = InvariantSettings();
  switch (VarType) {
  case varSingle: case varDouble:
    Value = StrToFloat(Text, S);
    return;
  case varCurrency:
    Value = StrToCurr(Text, S);
    return;
  case varDate:
    Value = StrToDateTime(Text, S);
    return;
  default:
    Value = VarAsType(Variant(Text), VarType);
  }
}

String FloatToInvariantStrEh(double Value)
{
  TFormatSettings S = FormatSettings;
  S.DecimalSeparator = QLatin1Char('.');
  return FloatToStr(Value, S);
}

String FieldValueToDisplayTextEh(const Variant& Value, TField* Field, const String& Format)
{
  if (Value.IsEmpty() || Value.IsNull())
    return String();
  auto* Numeric = dynamic_cast<TNumericField*>(Field);
  const String DisplayFormat = Numeric ? Numeric->DisplayFormat() : String();
  switch (Field->DataType()) {
  case ftSmallint: case ftInteger: case ftWord: case ftAutoInc:
    if (!Format.isEmpty())
      return FormatFloat(Format, Value.AsDouble());
    if (!DisplayFormat.isEmpty())
      return FormatFloat(DisplayFormat, Value.AsDouble());
    return IntToStr(Value.AsInt64());
  case ftFloat: case ftCurrency: {
    if (!Format.isEmpty())
      return FormatFloat(Format, Value.AsDouble());
    if (!DisplayFormat.isEmpty())
      return FormatFloat(DisplayFormat, Value.AsDouble());
    auto* F = dynamic_cast<TFloatField*>(Field);
    const Integer Precision = F ? F->Precision() : 15;
    if (F && F->IsCurrency())
      return FloatToStrF(Value.AsDouble(), ffCurrency, Precision, FormatSettings.CurrencyDecimals);
    return FloatToStrF(Value.AsDouble(), ffGeneral, Precision, 0);
  }
  case ftBCD: case ftFMTBcd: {
    if (!Format.isEmpty())
      return FormatFloat(Format, Value.AsDouble());
    if (!DisplayFormat.isEmpty())
      return FormatCurr(DisplayFormat, Value.AsCurrency());
    auto* F = dynamic_cast<TBCDField*>(Field);
    if (F && F->IsCurrency())
      return CurrToStrF(Value.AsCurrency(), ffCurrency, FormatSettings.CurrencyDecimals);
    return CurrToStr(Value.AsCurrency());
  }
  case ftDate: case ftTime: case ftDateTime: {
    String Fmt = Format;
    if (Fmt.isEmpty() && Field->DataType() == ftDate)
      Fmt = FormatSettings.ShortDateFormat;
    else if (Fmt.isEmpty() && Field->DataType() == ftTime)
      Fmt = FormatSettings.LongTimeFormat;
    String Result;
    DateTimeToString(Result, Fmt, Value.AsDateTime());
    return Result;
  }
  default:
    return VarToStr(Value);
  }
}

bool IsNumericFieldTypeEh(TFieldType FieldType)
{
  switch (FieldType) {
  case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD:
  case ftFMTBcd: case ftLongWord: case ftShortint: case ftByte: case ftExtended: case ftSingle:
    return true;
  default:
    return false;
  }
}

bool IsStringFieldTypeEh(TFieldType FieldType)
{
  switch (FieldType) {
  case ftString: case ftMemo: case ftFmtMemo: case ftFixedChar: case ftWideString: case ftOraClob:
  case ftVariant: case ftGuid: case ftFixedWideChar: case ftWideMemo:
    return true;
  default:
    return false;
  }
}

bool FieldListCanModifyEh(TFieldListEh* FieldList)
{
  for (Integer I = 0; I < FieldList->Count(); ++I)
    if (!FieldList->Fields(I)->CanModify())
      return false;
  return true;
}

bool FieldsCanModifyEh(const TFieldsArrEh& Fields)
{
  return std::all_of(Fields.begin(), Fields.end(), [](TField* F) { return F->CanModify(); });
}

static QStringList SplitFieldNames(const String& FieldNames)
{
  QStringList Names;
  for (const String& N : FieldNames.split(QLatin1Char(';')))
    if (!N.trimmed().isEmpty())
      Names << N.trimmed();
  return Names;
}

static TField* FieldOrError(TDataSet* DataSet, TComponent* Component, const String& Name)
{
  TField* F = DataSet->Fields()->FindField(Name);
  if (!F)
    DatabaseError(QStringLiteral("Field '%1' not found").arg(Name), Component);
  return F;
}

void CollectFieldsByNamesEh(TFieldListEh* List, TDataSet* DataSet, TComponent* Component,
                            const String& FieldNames)
{
  for (const String& Name : SplitFieldNames(FieldNames)) {
    TField* F = FieldOrError(DataSet, Component, Name);
    if (List)
      List->Add(F);
  }
}

void GetFieldsArrayByNamesEh(TDataSet* DataSet, TComponent* Component, const String& FieldNames,
                             TFieldsArrEh& Fields)
{
  Fields.clear();
  for (const String& Name : SplitFieldNames(FieldNames))
    Fields.push_back(FieldOrError(DataSet, Component, Name));
}

void SetDataSetFieldsValueEh(TDataSet* DataSet, const String& FieldNames, const Variant& Value)
{
  TFieldsArrEh Fields;
  GetFieldsArrayByNamesEh(DataSet, nullptr, FieldNames, Fields);
  if (VarValuesEqualEh(Value, Null)) {
    for (TField* F : Fields)
      F->Clear();
    return;
  }
  if (Fields.size() == 1) {
    Fields[0]->SetValue(Value);
    return;
  }
  for (std::size_t I = 0; I < Fields.size(); ++I)
    Fields[I]->SetValue(Value.GetElement(VarArrayLowBound(Value, 1) + Integer(I)));
}

// No field has no value: Null rather than a read past the array.
Variant FieldsValuesAsVariantEh(const TFieldsArrEh& Fields)
{
  if (Fields.empty())
    return Null;
  if (Fields.size() == 1)
    return Fields[0]->Value();
  std::vector<Variant> Values;
  for (TField* F : Fields)
    Values.push_back(F->Value());
  return VarArrayOf(Values);
}

TDateTime TruncDateTimeToSecondsEh(TDateTime Value)
{
  Word Y, Mo, D, H, Mi, S, Ms;
  DecodeDate(Value, Y, Mo, D);
  DecodeTime(Value, H, Mi, S, Ms);
  const double Date = EncodeDate(Y, Mo, D);
  const double Time = EncodeTime(H, Mi, S, 0);
  return Date >= 0 ? Date + Time : Date - Time;
}

void ReplaceTimeOfDateTimeEh(TDateTime& Value, TDateTime Time)
{
  const double Day = std::trunc(double(Value));
  const double Frac = std::fabs(double(Time) - std::trunc(double(Time)));
  Value = (Day >= 0 || std::isnan(Day)) ? Day + Frac : Day - Frac;
}

void DateTimeFormatUnitsEh(const String& Format, TCalendarDateTimeUnitsEh& Units)
{
  Units = {};
  const String F = Format.toUpper();
  static const String Markers[] = {QStringLiteral("AM/PM"), QStringLiteral("A/P"), QStringLiteral("AMPM")};
  Integer I = 0;
  while (I < Integer(F.size())) {
    const QChar C = F[I];
    if (C == QLatin1Char('\'') || C == QLatin1Char('"')) {
      const Integer Close = Integer(F.indexOf(C, I + 1));
      I = Close < 0 ? Integer(F.size()) : Close + 1;
      continue;
    }
    if (C == QLatin1Char('A')) {
      bool Found = false;
      for (const String& M : Markers)
        if (F.mid(I, M.size()) == M) {
          Units.Include(cdtuAmPmEh);
          I += Integer(M.size());
          Found = true;
          break;
        }
      if (!Found)
        ++I;
      continue;
    }
    switch (C.unicode()) {
    case 'D': Units.Include(cdtuDayEh); break;
    case 'H': Units.Include(cdtuHourEh); break;
    case 'M': Units.Include(cdtuMonthEh); break;
    case 'N': Units.Include(cdtuMinuteEh); break;
    case 'S': Units.Include(cdtuSecondEh); break;
    case 'Y': Units.Include(cdtuYearEh); break;
    default: break;
    }
    ++I;
  }
}

void GetLocaleHoursFormatEh(THoursTimeFormatEh& HoursFormat, TAmPmPosEh& AmPmPos)
{
  // The Russian locale writes 24-hour times.
  HoursFormat = htf24hEh;
  AmPmPos = appAmPmSuffixEh;
}

void ArrayInsertRange(TVariantArrayEh& Extents, Integer StartIndex, Integer Amount)
{
  if (Amount < 0)
    throw Exception(QStringLiteral("ArrayInsertRange: (Amount < 0)"));
  if (StartIndex > Integer(Extents.size()))
    throw Exception(QStringLiteral("ArrayInsertRange: StartIndex > Length(Extents)"));
  const std::size_t OldLen = Extents.size();
  Extents.resize(OldLen + std::size_t(Amount));
  std::copy_backward(Extents.begin() + StartIndex, Extents.begin() + Integer(OldLen), Extents.end());
}

void ArrayDeleteRange(TVariantArrayEh& Extents, Integer StartIndex, Integer Amount)
{
  if (Amount < 0)
    throw Exception(QStringLiteral("ArrayDeleteRange: (Amount < 0)"));
  if (Int64(StartIndex) + Amount > Int64(Extents.size()))
    throw Exception(QStringLiteral("ArrayDeleteRange: StartIndex + Amount > Length(Extents)"));
  Extents.erase(Extents.begin() + StartIndex, Extents.begin() + StartIndex + Amount);
}

void QuickSortEh(void* Data, Integer L, Integer R, const TQuickSortExchangeEh& Exchange,
                 const TQuickSortCompareEh& Compare)
{
  while (L < R) {
    Integer I = L;
    Integer J = R;
    Integer P = (L + R) / 2;
    do {
      while (Compare(Data, I, P) < 0)
        ++I;
      while (Compare(Data, J, P) > 0)
        --J;
      if (I <= J) {
        if (I != J)
          Exchange(Data, I, J);
        if (P == I)
          P = J;
        else if (P == J)
          P = I;
        ++I;
        --J;
      }
    } while (I <= J);
    if (L < J)
      QuickSortEh(Data, L, J, Exchange, Compare);
    L = I;
  }
}

Integer CompareStringsOrdinalEh(TStringList* List, Integer Index1, Integer Index2)
{
  return CompareStr(List->Strings(Index1), List->Strings(Index2));
}

Integer FindInStringsEh(TStrings* Strings, const String& Text, Integer Options)
{
  const bool IgnoreCase = (Options & 1) != 0;
  const bool Prefix = (Options & 2) != 0;
  for (Integer I = 0; I < Strings->Count(); ++I) {
    String Item = Strings->Strings(I);
    if (Prefix) {
      if (Item.size() < Text.size())
        continue;
      Item = Item.left(Text.size());
    } else if (Item.size() != Text.size())
      continue;
    const Integer Cmp = IgnoreCase ? AnsiCompareTextEh(Item, Text) : CompareStr(Item, Text);
    if (Cmp == 0)
      return I;
  }
  return -1;
}

// ---------------------------------------------------------------------------
// Library manager and working-time calendar.

TGridLibManager::TGridLibManager() : FUseAlphaFormatInAlphaBlend(StyleThemesEnabledEh()) {}

void TGridLibManager::SetDateTimeCalendarPickerHighlightHolidays(bool Value)
{
  if (Value == FDateTimeCalendarPickerHighlightHolidays)
    return;
  FDateTimeCalendarPickerHighlightHolidays = Value;
  PostAppMessageOnceEh(WM_THEMECHANGED, 0, 0);
}

void TGridLibManager::SetWeekWorkingDays(TWeekDaysEh Value)
{
  if (Value == FWeekWorkingDays)
    return;
  FWeekWorkingDays = Value;
  PostAppMessageOnceEh(WM_THEMECHANGED, 0, 0);
}

bool TWorkingTimeCalendarEh::IsWorkday(TDateTime ADate)
{
  // DayOfWeek: 1 = Sunday .. 7 = Saturday; the set counts from Monday.
  const Integer Dow = (DayOfWeek(ADate) + 5) % 7;
  return GlobalGridLibManager()->WeekWorkingDays().Contains(TWeekDayEh(Dow));
}

void TWorkingTimeCalendarEh::GetWorkingTime(TDateTime, TTimeRangesEh& ATimeRanges)
{
  ATimeRanges.assign(1, TTimeRangeEh{EncodeTime(8, 0, 0, 0), EncodeTime(17, 0, 0, 0)});
}

static TGridLibManager* GridLibManagerInstance = nullptr;
static TWorkingTimeCalendarEh* WorkingTimeCalendarInstance = nullptr;

// The singletons of the library start-up; freed when the program ends.
namespace {
struct TToolCtrlsLifetime {
  std::unique_ptr<TGridLibManager> Manager;
  std::unique_ptr<TWorkingTimeCalendarEh> Calendar;
  ~TToolCtrlsLifetime()
  {
    if (GridLibManagerInstance == Manager.get())
      GridLibManagerInstance = nullptr;
    if (WorkingTimeCalendarInstance == Calendar.get())
      WorkingTimeCalendarInstance = nullptr;
  }
};
TToolCtrlsLifetime& Lifetime()
{
  static TToolCtrlsLifetime L;
  return L;
}
} // namespace

TGridLibManager* GlobalGridLibManager()
{
  if (!GridLibManagerInstance && !Lifetime().Manager) {
    Lifetime().Manager = std::make_unique<TGridLibManager>();
    GridLibManagerInstance = Lifetime().Manager.get();
  }
  return GridLibManagerInstance;
}

TGridLibManager* SetGlobalGridLibManager(TGridLibManager* Manager)
{
  TGridLibManager* Previous = GlobalGridLibManager();
  // From now on the caller owns the previous one.
  if (Lifetime().Manager.get() == Previous)
    Lifetime().Manager.release();
  GridLibManagerInstance = Manager;
  return Previous;
}

TWorkingTimeCalendarEh* GlobalWorkingTimeCalendar()
{
  if (!WorkingTimeCalendarInstance && !Lifetime().Calendar) {
    Lifetime().Calendar = std::make_unique<TWorkingTimeCalendarEh>(nullptr);
    WorkingTimeCalendarInstance = Lifetime().Calendar.get();
  }
  return WorkingTimeCalendarInstance;
}

TWorkingTimeCalendarEh* SetGlobalWorkingTimeCalendar(TWorkingTimeCalendarEh* Calendar)
{
  TWorkingTimeCalendarEh* Previous = GlobalWorkingTimeCalendar();
  if (Lifetime().Calendar.get() == Previous)
    Lifetime().Calendar.release();
  WorkingTimeCalendarInstance = Calendar;
  return Previous;
}

// ---------------------------------------------------------------------------
// TPopupInactiveFormEh

TPopupInactiveFormEh::TPopupInactiveFormEh(TComponent* AOwner) : TForm(AOwner, 0)
{
  SetBorderStyle(bsNone);
  SetPosition(poDesigned);
  SetFormStyle(fsStayOnTop);
}

void TPopupInactiveFormEh::Show()
{
  SetWindowPos(this, HWND_TOP, Left(), Top(), Width(), Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
  TControl::SetVisible(true);
}

void TPopupInactiveFormEh::CreateParams(TCreateParams& Params)
{
  inherited::CreateParams(Params);
  Params.WindowClass.style |= CS_HREDRAW | CS_VREDRAW;
  if (FDropShadow)
    Params.WindowClass.style |= CS_DROPSHADOW;
}

void TPopupInactiveFormEh::SetVisible(bool Value)
{
  if (Value == Visible())
    return;
  if (!Value) {
    // Shown through SetWindowPos, the window is hidden the same way.
    if (HandleAllocated())
      ShowWindow(this, SW_HIDE);
    TControl::SetVisible(false);
    return;
  }
  Show();
}

TRect TPopupInactiveFormEh::ClientRect() const
{
  TRect R = inherited::ClientRect();
  const Integer B = BorderWidth();
  R.Inflate(-B, -B);
  return R;
}

void TPopupInactiveFormEh::WndProc(TMessage& Message)
{
  if (Message.Msg == WM_MOUSEACTIVATE) {
    Message.Result = MA_NOACTIVATE;
    return;
  }
  if ((Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN) && FMasterActionsControl)
    FMasterActionsControl->Perform(Message.Msg, Message.WParam, Message.LParam);
  inherited::WndProc(Message);
}

void TPopupInactiveFormEh::PaintWindow(HDC DC)
{
  inherited::PaintWindow(DC);
  if (BorderWidth() == 0)
    return;
  // A raised outer edge and a raised inner edge one pixel inside it.
  TExternalCanvas C(DC);
  auto Edge = [&C](TRect R, TColor TopLeft, TColor BottomRight) {
    C.Pen()->SetColor(ColorToRGB(TopLeft));
    C.Polyline({TPoint(R.Left, R.Bottom - 1), TPoint(R.Left, R.Top), TPoint(R.Right - 1, R.Top)});
    C.Pen()->SetColor(ColorToRGB(BottomRight));
    C.Polyline({TPoint(R.Right - 1, R.Top), TPoint(R.Right - 1, R.Bottom - 1), TPoint(R.Left - 1, R.Bottom - 1)});
  };
  const TRect R(0, 0, Width(), Height());
  Edge(R, cl3DLight, cl3DDkShadow);
  Edge(TRect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1), clBtnHighlight, clBtnShadow);
}
