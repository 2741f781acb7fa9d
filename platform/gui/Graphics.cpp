// Graphics.cpp: fonts, pens, brushes, the canvas and the graphic classes.
#include "platform/gui/Graphics.h"

#include "platform/gui/GraphicsQt.h"
#include "platform/gui/Metafile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <cmath>

// ---------------------------------------------------------------------------
// Colours.

TColor ColorToRGB(TColor Color)
{
  if (Color < 0)
    return TColor(GetSysColor(Color & 0xFF));
  return Color;
}

TColor ColorWithLightness(TColor Color, double Lightness)
{
  const TColor C = ColorToRGB(Color);
  const QColor Q(GetRValue(C), GetGValue(C), GetBValue(C));
  const QColor L = QColor::fromHslF(Q.hslHueF(), Q.hslSaturationF(), std::clamp(Lightness, 0.0, 1.0));
  return TColor(RGB(Byte(L.red()), Byte(L.green()), Byte(L.blue())));
}

namespace {
struct TColorName { TColor Value; const char* Name; };
const TColorName ColorNames[] = {
  {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
  {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
  {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
  {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
  {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"}, {clCream, "clCream"},
  {clMedGray, "clMedGray"}, {clActiveBorder, "clActiveBorder"},
  {clActiveCaption, "clActiveCaption"}, {clAppWorkSpace, "clAppWorkSpace"},
  {clBackground, "clBackground"}, {clBtnFace, "clBtnFace"}, {clBtnHighlight, "clBtnHighlight"},
  {clBtnShadow, "clBtnShadow"}, {clBtnText, "clBtnText"}, {clCaptionText, "clCaptionText"},
  {clDefault, "clDefault"}, {clGradientActiveCaption, "clGradientActiveCaption"},
  {clGradientInactiveCaption, "clGradientInactiveCaption"}, {clGrayText, "clGrayText"},
  {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"}, {clHotLight, "clHotLight"},
  {clInactiveBorder, "clInactiveBorder"}, {clInactiveCaption, "clInactiveCaption"},
  {clInactiveCaptionText, "clInactiveCaptionText"}, {clInfoBk, "clInfoBk"},
  {clInfoText, "clInfoText"}, {clMenu, "clMenu"}, {clMenuBar, "clMenuBar"},
  {clMenuHighlight, "clMenuHighlight"}, {clMenuText, "clMenuText"}, {clNone, "clNone"},
  {clScrollBar, "clScrollBar"}, {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"},
  {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"}, {clWindowText, "clWindowText"},
};
} // namespace

bool IdentToColor(const String& Ident, Integer& Color)
{
  for (const TColorName& N : ColorNames)
    if (Ident.compare(QLatin1String(N.Name), Qt::CaseInsensitive) == 0) {
      Color = N.Value;
      return true;
    }
  return false;
}

bool ColorToIdent(Integer Color, String& Ident)
{
  for (const TColorName& N : ColorNames)
    if (N.Value == Color) {
      Ident = QString::fromLatin1(N.Name);
      return true;
    }
  return false;
}

TColor StringToColor(const String& S)
{
  Integer C = 0;
  if (IdentToColor(S, C))
    return C;
  bool Ok = false;
  const String T = S.trimmed();
  const qlonglong V = T.startsWith(QLatin1Char('$')) ? T.mid(1).toLongLong(&Ok, 16)
                      : T.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? T.mid(2).toLongLong(&Ok, 16)
                                                                                 : T.toLongLong(&Ok, 10);
  if (!Ok || V < INT32_MIN || V > UINT32_MAX)
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(S));
  return TColor(std::uint32_t(V));
}

String ColorToString(TColor Color)
{
  String Ident;
  if (ColorToIdent(Color, Ident))
    return Ident;
  return QStringLiteral("$%1").arg(std::uint32_t(Color), 8, 16, QLatin1Char('0')).toUpper();
}

// ---------------------------------------------------------------------------
// Graphics objects.

void TGraphicsObject::Changed()
{
  if (OnChange)
    OnChange(this);
}

TFont::TFont() = default;
TFont::~TFont() = default;

void TFont::Assign(TPersistent* Source)
{
  if (auto* F = dynamic_cast<TFont*>(Source)) {
    FName = F->FName;
    FHeight = F->FPixelsPerInch == FPixelsPerInch ? F->FHeight : -MulDiv(F->Size(), FPixelsPerInch, 72);
    FColor = F->FColor;
    FStyle = F->FStyle;
    FCharset = F->FCharset;
    FPitch = F->FPitch;
    FOrientation = F->FOrientation;
    FQuality = F->FQuality;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

bool TFont::Equals(const TFont& O) const
{
  return FName == O.FName && FHeight == O.FHeight && FColor == O.FColor && FStyle == O.FStyle &&
         FCharset == O.FCharset && FPitch == O.FPitch && FOrientation == O.FOrientation &&
         FQuality == O.FQuality;
}

void TFont::SetName(const TFontName& Value)
{
  if (Value.isEmpty() || Value == FName)
    return;
  FName = Value;
  Changed();
}

Integer TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }
void TFont::SetSize(Integer Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetHeight(Integer Value)
{
  if (Value == FHeight)
    return;
  FHeight = Value;
  Changed();
}

void TFont::SetColor(TColor Value)
{
  if (Value == FColor)
    return;
  FColor = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value)
{
  if (Value == FStyle)
    return;
  FStyle = Value;
  Changed();
}

void TFont::SetCharset(TFontCharset Value)
{
  if (Value == FCharset)
    return;
  FCharset = Value;
  Changed();
}

void TFont::SetPitch(TFontPitch Value)
{
  if (Value == FPitch)
    return;
  FPitch = Value;
  Changed();
}

void TFont::SetOrientation(Integer Value)
{
  if (Value == FOrientation)
    return;
  FOrientation = Value;
  Changed();
}

void TFont::SetQuality(TFontQuality Value)
{
  if (Value == FQuality)
    return;
  FQuality = Value;
  Changed();
}

TDCFont FontToDC(const TFont& Font)
{
  TDCFont F;
  F.Face = Font.Name();
  F.Height = Font.Height();
  F.Weight = Font.Style().Contains(fsBold) ? 700 : 400;
  F.Italic = Font.Style().Contains(fsItalic);
  F.Underline = Font.Style().Contains(fsUnderline);
  F.StrikeOut = Font.Style().Contains(fsStrikeOut);
  F.Escapement = Font.Orientation();
  F.Charset = Font.Charset();
  F.Quality = Byte(Font.Quality());
  return F;
}

void TPen::Assign(TPersistent* Source)
{
  if (auto* P = dynamic_cast<TPen*>(Source)) {
    FColor = P->FColor;
    FWidth = P->FWidth;
    FStyle = P->FStyle;
    FMode = P->FMode;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

void TPen::SetColor(TColor Value)
{
  if (Value == FColor)
    return;
  FColor = Value;
  Changed();
}

void TPen::SetWidth(Integer Value)
{
  if (Value < 0 || Value == FWidth)
    return;
  FWidth = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value)
{
  if (Value == FStyle)
    return;
  FStyle = Value;
  Changed();
}

void TPen::SetMode(TPenMode Value)
{
  if (Value == FMode)
    return;
  FMode = Value;
  Changed();
}

TBrush::TBrush() = default;
TBrush::~TBrush() = default;

void TBrush::Assign(TPersistent* Source)
{
  if (auto* B = dynamic_cast<TBrush*>(Source)) {
    FColor = B->FColor;
    FStyle = B->FStyle;
    FBitmap = B->FBitmap;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

void TBrush::SetColor(TColor Value)
{
  if (Value == FColor && FStyle != bsClear)
    return;
  FColor = Value;
  // Giving a clear brush a colour makes it solid.
  if (FStyle == bsClear)
    FStyle = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value)
{
  if (Value == FStyle)
    return;
  FStyle = Value;
  Changed();
}

void TBrush::SetBitmap(TBitmap* Value)
{
  FBitmap = Value;
  Changed();
}

// ---------------------------------------------------------------------------
// TCanvas.

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>())
{
  FFont->OnChange = [this](TObject* S) { FontChanged(S); };
  FPen->OnChange = [this](TObject* S) { PenChanged(S); };
  FBrush->OnChange = [this](TObject* S) { BrushChanged(S); };
}

TCanvas::~TCanvas() = default;

void TCanvas::SetFont(TFont* Value) { FFont->Assign(Value); }
void TCanvas::SetPen(TPen* Value) { FPen->Assign(Value); }
void TCanvas::SetBrush(TBrush* Value) { FBrush->Assign(Value); }

void TCanvas::FontChanged(TObject*) { FState.Exclude(csFontValid); }
void TCanvas::PenChanged(TObject*) { FState.Exclude(csPenValid); }
void TCanvas::BrushChanged(TObject*) { FState.Exclude(csBrushValid); }

HDC TCanvas::Handle()
{
  if (!FHandle)
    CreateHandle();
  return FHandle;
}

void TCanvas::SetHandle(HDC Value)
{
  if (Value == FHandle)
    return;
  FHandle = Value;
  FState = Value ? TCanvasState{csHandleValid} : TCanvasState{};
}

void TCanvas::DeselectHandles() { FState = FHandle ? TCanvasState{csHandleValid} : TCanvasState{}; }

void TCanvas::Refresh() { DeselectHandles(); }

// Selects the canvas's objects into its context as the original does: the
// text colour follows the font, background colour and mode follow the brush.
void TCanvas::RequiredState(TCanvasState ReqState)
{
  HDC DC = Handle();
  if (!DC)
    throw EInvalidOperation(QStringLiteral("Canvas does not allow drawing"));
  if (ReqState.Contains(csFontValid) && !FState.Contains(csFontValid)) {
    DC->State.Font = FontToDC(*FFont);
    ::SetTextColor(DC, COLORREF(ColorToRGB(FFont->Color())));
    FState.Include(csFontValid);
  }
  if (ReqState.Contains(csPenValid) && !FState.Contains(csPenValid)) {
    DC->State.Pen = TDCPen{FPen->Style(), FPen->Width(), COLORREF(ColorToRGB(FPen->Color())), FPen->Mode()};
    FState.Include(csPenValid);
  }
  if (ReqState.Contains(csBrushValid) && !FState.Contains(csBrushValid)) {
    TDCBrush B;
    B.Style = FBrush->Style();
    B.Color = COLORREF(ColorToRGB(FBrush->Color()));
    if (FBrush->Bitmap())
      B.Pattern = FBrush->Bitmap()->Image();
    DC->State.Brush = B;
    ::SetBkColor(DC, B.Color);
    ::SetBkMode(DC, B.Style == bsClear ? TRANSPARENT : OPAQUE);
    FState.Include(csBrushValid);
  }
}

void TCanvas::Changing()
{
  if (OnChanging)
    OnChanging(this);
}

void TCanvas::Changed()
{
  if (OnChange)
    OnChange(this);
}

TPoint TCanvas::PenPos() const { return FHandle ? FHandle->State.CurPos : TPoint(); }

void TCanvas::SetPenPos(TPoint Value) { MoveTo(Value.X, Value.Y); }

void TCanvas::MoveTo(Integer X, Integer Y)
{
  RequiredState({csHandleValid});
  MoveToEx(FHandle, X, Y);
}

void TCanvas::LineTo(Integer X, Integer Y)
{
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(FHandle, X, Y);
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points)
{
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polyline(FHandle, Points.data(), Integer(Points.size()));
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points)
{
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polygon(FHandle, Points.data(), Integer(Points.size()));
  Changed();
}

void TCanvas::Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3)
{
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::FillRect(const TRect& R)
{
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  HDC DC = FHandle;
  if (DC->Recorder) {
    DC->Recorder->SyncObjects(*DC);
    DC->Recorder->FillRect(R);
  }
  if (DC->Painter && DC->Painter->isActive() && DC->BrushVisible() && !R.IsEmpty()) {
    DC->Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    DC->Painter->fillRect(ToQRect(R), DC->Brush());
  }
  Changed();
}

void TCanvas::FrameRect(const TRect& R)
{
  if (R.IsEmpty())
    return;
  // A one-pixel frame in the brush colour: four fills.
  const TRect Sides[] = {
    TRect(R.Left, R.Top, R.Right, R.Top + 1), TRect(R.Left, R.Bottom - 1, R.Right, R.Bottom),
    TRect(R.Left, R.Top, R.Left + 1, R.Bottom), TRect(R.Right - 1, R.Top, R.Right, R.Bottom)};
  for (const TRect& S : Sides)
    FillRect(S);
}

void TCanvas::DrawFocusRect(const TRect& R)
{
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  HDC DC = FHandle;
  if (DC->Painter && DC->Painter->isActive() && !R.IsEmpty()) {
    // A dotted frame that inverts what is under it, so drawing it twice removes it.
    QPainter* P = DC->Painter;
    P->save();
    P->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (Integer X = R.Left; X < R.Right; X += 2) {
      P->fillRect(QRect(X, R.Top, 1, 1), Qt::white);
      P->fillRect(QRect(X, R.Bottom - 1, 1, 1), Qt::white);
    }
    for (Integer Y = R.Top + 2; Y < R.Bottom - 1; Y += 2) {
      P->fillRect(QRect(R.Left, Y, 1, 1), Qt::white);
      P->fillRect(QRect(R.Right - 1, Y, 1, 1), Qt::white);
    }
    P->restore();
  }
  Changed();
}

void TCanvas::TextOut(Integer X, Integer Y, const String& Text)
{
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  const Integer Width = ExtTextOutWidth(FHandle, X, Y, UINT(FTextFlags), nullptr, Text, nullptr);
  MoveToEx(FHandle, X + Width, Y);
  Changed();
}

void TCanvas::TextRect(const TRect& R, Integer X, Integer Y, const String& Text)
{
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT Options = ETO_CLIPPED | UINT(FTextFlags);
  if (FBrush->Style() != bsClear)
    Options |= ETO_OPAQUE;
  ::ExtTextOut(FHandle, X, Y, Options, &R, Text, nullptr);
  Changed();
}

void TCanvas::TextRect(TRect& R, String& Text, TTextFormat Format)
{
  static const std::pair<TTextFormats, UINT> Map[] = {
    {tfBottom, DT_BOTTOM}, {tfCalcRect, DT_CALCRECT}, {tfCenter, DT_CENTER},
    {tfEditControl, DT_EDITCONTROL}, {tfEndEllipsis, DT_END_ELLIPSIS},
    {tfPathEllipsis, DT_PATH_ELLIPSIS}, {tfExpandTabs, DT_EXPANDTABS},
    {tfExternalLeading, DT_EXTERNALLEADING}, {tfLeft, DT_LEFT}, {tfModifyString, DT_MODIFYSTRING},
    {tfNoClip, DT_NOCLIP}, {tfNoPrefix, DT_NOPREFIX}, {tfRight, DT_RIGHT},
    {tfRtlReading, DT_RTLREADING}, {tfSingleLine, DT_SINGLELINE}, {tfTop, DT_TOP},
    {tfVerticalCenter, DT_VCENTER}, {tfWordBreak, DT_WORDBREAK}, {tfHidePrefix, DT_HIDEPREFIX},
    {tfNoFullWidthCharBreak, DT_NOFULLWIDTHCHARBREAK}, {tfPrefixOnly, DT_PREFIXONLY},
    {tfTabStop, DT_TABSTOP}, {tfWordEllipsis, DT_WORD_ELLIPSIS}};
  UINT Flags = 0;
  for (const auto& [F, D] : Map)
    if (Format.Contains(F))
      Flags |= D;
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  ::DrawTextEx(FHandle, Text, -1, R, Flags, nullptr);
  Changed();
}

TSize TCanvas::TextExtent(const String& Text)
{
  RequiredState({csHandleValid, csFontValid});
  TSize S;
  GetTextExtentPoint32(FHandle, Text, -1, S);
  return S;
}

void TCanvas::Draw(Integer X, Integer Y, TGraphic* Graphic)
{
  if (!Graphic || Graphic->Empty())
    return;
  Changing();
  RequiredState({csHandleValid});
  Graphic->Draw(this, Bounds(X, Y, Graphic->Width(), Graphic->Height()));
  Changed();
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic)
{
  if (!Graphic || Graphic->Empty())
    return;
  Changing();
  RequiredState({csHandleValid});
  Graphic->Draw(this, R);
  Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source)
{
  Changing();
  RequiredState({csHandleValid});
  Canvas->RequiredState({csHandleValid});
  StretchBlt(FHandle, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Canvas->Handle(), Source.Left,
             Source.Top, Source.Width(), Source.Height(), DWORD(FCopyMode));
  Changed();
}

TColor TCanvas::Pixels(Integer X, Integer Y)
{
  RequiredState({csHandleValid});
  const COLORREF C = GetPixel(FHandle, X, Y);
  return C == 0xFFFFFFFF ? clNone : TColor(C);
}

void TCanvas::SetPixels(Integer X, Integer Y, TColor Value)
{
  Changing();
  RequiredState({csHandleValid});
  SetPixel(FHandle, X, Y, COLORREF(ColorToRGB(Value)));
  Changed();
}

TRect TCanvas::ClipRect()
{
  RequiredState({csHandleValid});
  TRect R;
  GetClipBox(FHandle, R);
  return R;
}

// ---------------------------------------------------------------------------
// TGraphic.

void TGraphic::SetTransparent(bool Value)
{
  if (Value == FTransparent)
    return;
  FTransparent = Value;
  Changed();
}

void TGraphic::Changed()
{
  FModified = true;
  if (OnChange)
    OnChange(this);
}

void TGraphic::LoadFromFile(const String& FileName)
{
  QFile F(FileName);
  if (!F.open(QIODevice::ReadOnly))
    throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, F.errorString()));
  LoadFromBytes(F.readAll());
}

void TGraphic::SaveToFile(const String& FileName)
{
  QFile F(FileName);
  if (!F.open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(FileName, F.errorString()));
  F.write(SaveToBytes());
}

// ---------------------------------------------------------------------------
// TBitmap.

TBitmapCanvas::TBitmapCanvas(TBitmap* ABitmap) : FBitmap(ABitmap) {}

TBitmapCanvas::~TBitmapCanvas() { EndPaint(); }

void TBitmapCanvas::CreateHandle()
{
  QImage& Img = FBitmap->Image();
  if (Img.isNull())
    return;   // an empty bitmap has nothing to draw on
  FPainter = std::make_unique<QPainter>(&Img);
  FDC = std::make_unique<TDeviceContext>(FPainter.get(), Img.size(), &Img);
  SetHandle(FDC.get());
}

void TBitmapCanvas::EndPaint()
{
  if (!FDC)
    return;
  SetHandle(nullptr);
  FPainter->end();
  FDC.reset();
  FPainter.reset();
}

TBitmap::TBitmap() : FImage(std::make_unique<QImage>()) {}

TBitmap::TBitmap(Integer AWidth, Integer AHeight) : TBitmap() { SetSize(AWidth, AHeight); }

TBitmap::~TBitmap() { FCanvas.reset(); }

void TBitmap::EndPaint() const
{
  if (FCanvas)
    FCanvas->EndPaint();
}

void TBitmap::Assign(TPersistent* Source)
{
  if (auto* B = dynamic_cast<TBitmap*>(Source)) {
    EndPaint();
    B->EndPaint();
    *FImage = B->FImage->copy();
    FPixelFormat = B->FPixelFormat;
    FAlphaFormat = B->FAlphaFormat;
    FTransparent = B->FTransparent;
    FTransparentColor = B->FTransparentColor;
    FTransparentMode = B->FTransparentMode;
    Changed();
    return;
  }
  if (auto* G = dynamic_cast<TGraphic*>(Source)) {
    SetSize(G->Width(), G->Height());
    Canvas()->Brush()->SetColor(clWhite);
    Canvas()->FillRect(Rect(0, 0, G->Width(), G->Height()));
    Canvas()->Draw(0, 0, G);
    return;
  }
  inherited::Assign(Source);
}

bool TBitmap::Empty() const { return FImage->isNull(); }
Integer TBitmap::Width() const { return FImage->width(); }
Integer TBitmap::Height() const { return FImage->height(); }
void TBitmap::SetWidth(Integer Value) { SetSize(Value, Height()); }
void TBitmap::SetHeight(Integer Value) { SetSize(Width(), Value); }

void TBitmap::SetSize(Integer AWidth, Integer AHeight)
{
  AWidth = std::max(0, AWidth);
  AHeight = std::max(0, AHeight);
  if (AWidth == Width() && AHeight == Height())
    return;
  EndPaint();
  if (AWidth == 0 || AHeight == 0) {
    *FImage = QImage();
  } else {
    // New pixels are white, the old ones are kept, as the original does.
    QImage New(AWidth, AHeight, QImage::Format_ARGB32_Premultiplied);
    New.fill(Qt::white);
    if (!FImage->isNull()) {
      QPainter P(&New);
      P.setCompositionMode(QPainter::CompositionMode_Source);
      P.drawImage(0, 0, *FImage);
    }
    *FImage = New;
  }
  Changed();
}

TColor TBitmap::TransparentColor() const
{
  if (FTransparentMode == tmFixed && FTransparentColor != clDefault)
    return FTransparentColor;
  if (FImage->isNull())
    return clDefault;
  EndPaint();
  return TColor(FromQColor(FImage->pixelColor(0, FImage->height() - 1)));
}

void TBitmap::SetTransparentColor(TColor Value)
{
  FTransparentColor = Value;
  FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
  Changed();
}

TCanvas* TBitmap::Canvas()
{
  if (!FCanvas)
    FCanvas = std::make_unique<TBitmapCanvas>(this);
  return FCanvas.get();
}

QImage& TBitmap::Image() { return *FImage; }
const QImage& TBitmap::Image() const { return *FImage; }

TRGBQuad* TBitmap::ScanLine(Integer Row)
{
  static_assert(sizeof(TRGBQuad) == sizeof(QRgb), "a scan line holds one QRgb a pixel");
  if (Row < 0 || Row >= FImage->height())
    return nullptr;
  return reinterpret_cast<TRGBQuad*>(FImage->scanLine(Row));
}

void TBitmap::LoadFromBytes(const QByteArray& Bytes)
{
  QImage Img;
  if (!Img.loadFromData(Bytes))
    throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
  EndPaint();
  *FImage = Img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  Changed();
}

QByteArray TBitmap::SaveToBytes() const
{
  EndPaint();
  QByteArray Out;
  QBuffer Buf(&Out);
  Buf.open(QIODevice::WriteOnly);
  FImage->convertToFormat(QImage::Format_RGB32).save(&Buf, "BMP");
  return Out;
}

// Masks the transparent colour out when the bitmap is transparent.
void TBitmap::Draw(TCanvas* ACanvas, const TRect& R)
{
  EndPaint();
  QImage Img = *FImage;
  if (FTransparent) {
    const QColor Key = ToQColor(COLORREF(ColorToRGB(TransparentColor())));
    Img = Img.convertToFormat(QImage::Format_ARGB32);
    for (int Y = 0; Y < Img.height(); ++Y) {
      auto* Line = reinterpret_cast<QRgb*>(Img.scanLine(Y));
      for (int X = 0; X < Img.width(); ++X)
        if ((Line[X] & 0xFFFFFF) == (Key.rgb() & 0xFFFFFF))
          Line[X] = 0;
    }
  }
  HDC DC = ACanvas->Handle();
  if (DC->Recorder)
    DC->Recorder->StretchImage(R, Img, TRect(0, 0, Img.width(), Img.height()));
  if (DC->Painter && DC->Painter->isActive()) {
    DC->Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    DC->Painter->drawImage(ToQRect(R), Img);
  }
}

// ---------------------------------------------------------------------------
// TIcon.

TIcon::TIcon() : FImage(std::make_unique<QImage>()) {}
TIcon::~TIcon() = default;

void TIcon::Assign(TPersistent* Source)
{
  if (auto* I = dynamic_cast<TIcon*>(Source)) {
    *FImage = *I->FImage;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

bool TIcon::Empty() const { return FImage->isNull(); }
Integer TIcon::Width() const { return FImage->isNull() ? 32 : FImage->width(); }
Integer TIcon::Height() const { return FImage->isNull() ? 32 : FImage->height(); }

void TIcon::LoadFromBytes(const QByteArray& Bytes)
{
  QImage Img;
  if (!Img.loadFromData(Bytes))
    throw EInvalidGraphic(QStringLiteral("Icon image is not valid"));
  *FImage = Img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  Changed();
}

QByteArray TIcon::SaveToBytes() const
{
  QByteArray Out;
  QBuffer Buf(&Out);
  Buf.open(QIODevice::WriteOnly);
  FImage->save(&Buf, "PNG");
  return Out;
}

void TIcon::LoadFromResourceName(const String& ResName)
{
  for (const char* Ext : {".png", ".ico", ".bmp"}) {
    const String Path = QStringLiteral(":/images/") + ResName + QLatin1String(Ext);
    if (QFile::exists(Path)) {
      QImage Img(Path);
      if (!Img.isNull()) {
        *FImage = Img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        Changed();
        return;
      }
    }
  }
  throw EResNotFound(QStringLiteral("Resource %1 not found").arg(ResName));
}

const QImage& TIcon::Image() const { return *FImage; }

void TIcon::SetImage(const QImage& Image)
{
  *FImage = Image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  Changed();
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& R)
{
  HDC DC = ACanvas->Handle();
  if (DC->Recorder)
    DC->Recorder->StretchImage(R, *FImage, TRect(0, 0, FImage->width(), FImage->height()));
  if (DC->Painter && DC->Painter->isActive())
    DC->Painter->drawImage(ToQRect(R), *FImage);
}

// ---------------------------------------------------------------------------
// TPicture.

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed()
{
  if (OnChange)
    OnChange(this);
}

void TPicture::Assign(TPersistent* Source)
{
  if (!Source) {
    FGraphic.reset();
    Changed();
    return;
  }
  if (auto* P = dynamic_cast<TPicture*>(Source)) {
    SetGraphic(P->Graphic());
    return;
  }
  if (auto* G = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(G);
    return;
  }
  inherited::Assign(Source);
}

void TPicture::SetGraphic(TGraphic* Value)
{
  if (!Value) {
    FGraphic.reset();
    Changed();
    return;
  }
  std::unique_ptr<TGraphic> New;
  if (dynamic_cast<TBitmap*>(Value))
    New = std::make_unique<TBitmap>();
  else if (dynamic_cast<TIcon*>(Value))
    New = std::make_unique<TIcon>();
  else if (dynamic_cast<TMetafile*>(Value))
    New = std::make_unique<TMetafile>();
  else if (TClass C = Value->ClassType(); C->CreatePersistent)
    New.reset(static_cast<TGraphic*>(C->CreatePersistent()));
  else
    throw EInvalidGraphic(QStringLiteral("Unsupported graphic format"));
  New->Assign(Value);
  New->OnChange = [this](TObject*) { Changed(); };
  FGraphic = std::move(New);
  Changed();
}

TBitmap* TPicture::Bitmap()
{
  if (!dynamic_cast<TBitmap*>(FGraphic.get())) {
    FGraphic = std::make_unique<TBitmap>();
    FGraphic->OnChange = [this](TObject*) { Changed(); };
  }
  return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::Icon()
{
  if (!dynamic_cast<TIcon*>(FGraphic.get())) {
    FGraphic = std::make_unique<TIcon>();
    FGraphic->OnChange = [this](TObject*) { Changed(); };
  }
  return static_cast<TIcon*>(FGraphic.get());
}

Integer TPicture::Width() const { return FGraphic ? FGraphic->Width() : 0; }
Integer TPicture::Height() const { return FGraphic ? FGraphic->Height() : 0; }

void TPicture::LoadFromBytes(const QByteArray& Bytes)
{
  std::unique_ptr<TGraphic> New;
  if (Bytes.size() >= 44 && Bytes.mid(40, 4) == QByteArray(" EMF", 4))
    New = std::make_unique<TMetafile>();
  else if (Bytes.startsWith(QByteArray("\0\0\1\0", 4)))
    New = std::make_unique<TIcon>();
  else
    New = std::make_unique<TBitmap>();
  New->LoadFromBytes(Bytes);
  New->OnChange = [this](TObject*) { Changed(); };
  FGraphic = std::move(New);
  Changed();
}

void TPicture::LoadFromFile(const String& FileName)
{
  QFile F(FileName);
  if (!F.open(QIODevice::ReadOnly))
    throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, F.errorString()));
  LoadFromBytes(F.readAll());
}

void TPicture::SaveToFile(const String& FileName)
{
  if (FGraphic)
    FGraphic->SaveToFile(FileName);
}

// ---------------------------------------------------------------------------
// Image and screen canvases.

TImageCanvas::TImageCanvas(Integer AWidth, Integer AHeight, TColor Background)
    : FImage(std::make_unique<QImage>(std::max(1, AWidth), std::max(1, AHeight), QImage::Format_ARGB32_Premultiplied))
{
  FImage->fill(ToQColor(COLORREF(ColorToRGB(Background))));
}

TImageCanvas::~TImageCanvas()
{
  SetHandle(nullptr);
  FDC.reset();
  FPainter.reset();
}

void TImageCanvas::CreateHandle()
{
  FPainter = std::make_unique<QPainter>(FImage.get());
  FDC = std::make_unique<TDeviceContext>(FPainter.get(), FImage->size(), FImage.get());
  SetHandle(FDC.get());
}

const QImage& TImageCanvas::Image() { return *FImage; }

bool TImageCanvas::SavePng(const String& FileName) { return FImage->save(FileName, "PNG"); }

TCanvas* ScreenCanvas()
{
  static TImageCanvas* Canvas = new TImageCanvas(16, 16);
  return Canvas;
}

// ---------------------------------------------------------------------------
// Registration.

namespace {

bool ColorIdentToInt(const String& Ident, Int64& Value)
{
  Integer C = 0;
  if (!IdentToColor(Ident, C))
    return false;
  Value = C;
  return true;
}

bool ColorIntToIdent(Int64 Value, String& Ident) { return ColorToIdent(Integer(Value), Ident); }

const std::pair<const char*, Integer> CharsetNames[] = {
  {"ANSI_CHARSET", 0}, {"DEFAULT_CHARSET", 1}, {"SYMBOL_CHARSET", 2}, {"MAC_CHARSET", 77},
  {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129}, {"GB2312_CHARSET", 134},
  {"CHINESEBIG5_CHARSET", 136}, {"GREEK_CHARSET", 161}, {"TURKISH_CHARSET", 162},
  {"VIETNAMESE_CHARSET", 163}, {"HEBREW_CHARSET", 177}, {"ARABIC_CHARSET", 178},
  {"BALTIC_CHARSET", 186}, {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},
  {"EASTEUROPE_CHARSET", 238}, {"OEM_CHARSET", 255}};

bool CharsetIdentToInt(const String& Ident, Int64& Value)
{
  for (const auto& [N, V] : CharsetNames)
    if (Ident.compare(QLatin1String(N), Qt::CaseInsensitive) == 0) {
      Value = V;
      return true;
    }
  return false;
}

bool CharsetIntToIdent(Int64 Value, String& Ident)
{
  for (const auto& [N, V] : CharsetNames)
    if (V == Value) {
      Ident = QString::fromLatin1(N);
      return true;
    }
  return false;
}

} // namespace

TIdentToInt ColorIdentConverter() { return &ColorIdentToInt; }
TIntToIdent ColorIntConverter() { return &ColorIntToIdent; }

// A picture in a description: the graphic's class name, then its data (a
// bitmap's with its size first).
void TPicture::DefineProperties(TFiler& Filer)
{
  inherited::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
    QStringLiteral("Data"),
    [this](TStream& S) {
      Byte Len = 0;
      S.ReadBuffer(&Len, 1);
      const QByteArray Name = S.ReadBytes(Len);
      QByteArray Rest = S.ReadBytes(Integer(S.Size() - S.Position()));
      if (Name == "TBitmap" && Rest.size() >= 4)
        Rest = Rest.mid(4);
      LoadFromBytes(Rest);
    },
    [this](TStream& S) {
      const QByteArray Name = QByteArray(FGraphic->ClassName().toLatin1());
      const Byte Len = Byte(Name.size());
      S.WriteBuffer(&Len, 1);
      S.WriteBuffer(Name);
      const QByteArray Data = FGraphic->SaveToBytes();
      if (dynamic_cast<TBitmap*>(FGraphic.get())) {
        const quint32 Size = quint32(Data.size());
        S.WriteBuffer(&Size, 4);
      }
      S.WriteBuffer(Data);
    },
    FGraphic && !FGraphic->Empty());
}

void RegisterGraphicsClasses()
{
  RegisterEnum<TFontStyle>("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
  RegisterEnum<TFontPitch>("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
  RegisterEnum<TFontQuality>("TFontQuality", {"fqDefault", "fqDraft", "fqProof", "fqNonAntialiased",
                                              "fqAntialiased", "fqClearType", "fqClearTypeNatural"});
  RegisterEnum<TPenStyle>("TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
                                        "psInsideFrame", "psUserStyle", "psAlternate"});
  RegisterEnum<TPenMode>("TPenMode", {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
                                      "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge",
                                      "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"});
  RegisterEnum<TBrushStyle>("TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                                            "bsBDiagonal", "bsCross", "bsDiagCross"});
  RegisterClassInfo<TGraphicsObject, TPersistent>("TGraphicsObject");
  RegisterClassInfo<TFont, TGraphicsObject>("TFont")
    .Property("Charset", &TFont::Charset, &TFont::SetCharset, DEFAULT_CHARSET).Idents(CharsetIdentToInt, CharsetIntToIdent)
    .Property("Color", &TFont::Color, &TFont::SetColor, clWindowText).Idents(ColorIdentToInt, ColorIntToIdent)
    .Property("Height", &TFont::Height, &TFont::SetHeight).NoDefault()
    .Property("Name", &TFont::Name, &TFont::SetName)
    .Property("Orientation", &TFont::Orientation, &TFont::SetOrientation, 0)
    .Property("Pitch", &TFont::Pitch, &TFont::SetPitch, fpDefault)
    .Property("Size", &TFont::Size, &TFont::SetSize).Stored(false)
    .Property("Style", &TFont::Style, &TFont::SetStyle, TFontStyles{})
    .Property("Quality", &TFont::Quality, &TFont::SetQuality, fqDefault);
  RegisterClassInfo<TPen, TGraphicsObject>("TPen")
    .Property("Color", &TPen::Color, &TPen::SetColor, clBlack).Idents(ColorIdentToInt, ColorIntToIdent)
    .Property("Mode", &TPen::Mode, &TPen::SetMode, pmCopy)
    .Property("Style", &TPen::Style, &TPen::SetStyle, psSolid)
    .Property("Width", &TPen::Width, &TPen::SetWidth, 1);
  RegisterClassInfo<TBrush, TGraphicsObject>("TBrush")
    .Property("Color", &TBrush::Color, &TBrush::SetColor, clWhite).Idents(ColorIdentToInt, ColorIntToIdent)
    .Property("Style", &TBrush::Style, &TBrush::SetStyle, bsSolid);
  RegisterClassInfo<TPicture, TPersistent>("TPicture");
}
