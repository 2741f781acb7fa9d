// Graphics.h: colours, fonts, pens, brushes, the canvas and the graphic
// classes (bitmap, icon, picture). The canvas draws through a device context
// (Windows.h), so the same drawing reaches a widget, an image or a metafile.
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/gui/Windows.h"

#include <memory>
#include <vector>

class QPainter;
class QPaintDevice;
class QImage;
class QFont;
class QColor;
class TCanvas;
class TGraphic;

VELMORA_EXCEPTION(EInvalidGraphic, Exception)
VELMORA_EXCEPTION(EInvalidGraphicOperation, Exception)
VELMORA_EXCEPTION(EOutOfResources, Exception)

// Colours: the original integer values, red in the low byte. System colours
// have the high byte 0xFF and name a system colour index in the low byte.
using TColor = Integer;

constexpr TColor clSystemColor = TColor(0xFF000000);
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clLtGray = 0xC0C0C0,
                 clDkGray = 0x808080, clWhite = 0xFFFFFF, clMoneyGreen = 0xC0DCC0,
                 clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF, clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

enum : Integer {
  COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_ACTIVECAPTION = 2, COLOR_INACTIVECAPTION = 3,
  COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6, COLOR_MENUTEXT = 7,
  COLOR_WINDOWTEXT = 8, COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10,
  COLOR_INACTIVEBORDER = 11, COLOR_APPWORKSPACE = 12, COLOR_HIGHLIGHT = 13,
  COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15, COLOR_BTNSHADOW = 16, COLOR_GRAYTEXT = 17,
  COLOR_BTNTEXT = 18, COLOR_INACTIVECAPTIONTEXT = 19, COLOR_BTNHIGHLIGHT = 20,
  COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23, COLOR_INFOBK = 24,
  COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION = 27, COLOR_GRADIENTINACTIVECAPTION = 28,
  COLOR_MENUHILIGHT = 29, COLOR_MENUBAR = 30, COLOR_ENDCOLORS = 30
};

constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
constexpr TColor clHotLight = clSystemColor | COLOR_HOTLIGHT;
constexpr TColor clGradientActiveCaption = clSystemColor | COLOR_GRADIENTACTIVECAPTION;
constexpr TColor clGradientInactiveCaption = clSystemColor | COLOR_GRADIENTINACTIVECAPTION;
constexpr TColor clMenuHighlight = clSystemColor | COLOR_MENUHILIGHT;
constexpr TColor clMenuBar = clSystemColor | COLOR_MENUBAR;

// The colour of a system colour index in the active style.
COLORREF GetSysColor(Integer Index);
// A system colour resolved through the active style; other colours as they are.
TColor ColorToRGB(TColor Color);
// Color with its HSL lightness set to Lightness (0..1), hue and saturation kept.
TColor ColorWithLightness(TColor Color, double Lightness);
constexpr COLORREF RGB(Byte R, Byte G, Byte B) { return COLORREF(R) | (COLORREF(G) << 8) | (COLORREF(B) << 16); }
constexpr Byte GetRValue(COLORREF C) { return Byte(C & 0xFF); }
constexpr Byte GetGValue(COLORREF C) { return Byte((C >> 8) & 0xFF); }
constexpr Byte GetBValue(COLORREF C) { return Byte((C >> 16) & 0xFF); }
// "clRed", "$00FF00FF" or a decimal number; raises EConvertError otherwise.
TColor StringToColor(const String& S);
String ColorToString(TColor Color);
// Colour identifiers for published colour properties.
TIdentToInt ColorIdentConverter();
TIntToIdent ColorIntConverter();
bool IdentToColor(const String& Ident, Integer& Color);
bool ColorToIdent(Integer Color, String& Ident);

// Fonts.
enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
using enum TFontStyle;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };
using enum TFontPitch;
enum class TFontQuality { fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased,
                          fqClearType, fqClearTypeNatural };
using enum TFontQuality;
using TFontCharset = Byte;
using TFontName = String;
constexpr TFontCharset ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2,
                       RUSSIAN_CHARSET = 204, OEM_CHARSET = 255;

// Screen resolution: fixed, so that form descriptions keep their pixel sizes.
constexpr Integer ScreenPixelsPerInch = 96;

// The font family that draws a requested face: the common Windows faces go to
// installed metric-compatible families that have Cyrillic glyphs.
String SubstituteFontFamily(const String& Name);

class TGraphicsObject : public TPersistent {
  VELMORA_CLASS(TGraphicsObject)
  using inherited = TPersistent;
public:
  TNotifyEvent OnChange;
protected:
  virtual void Changed();
};

class TFont : public TGraphicsObject {
  VELMORA_CLASS(TFont)
  using inherited = TGraphicsObject;
public:
  TFont();
  ~TFont() override;
  void Assign(TPersistent* Source) override;

  TFontName Name() const { return FName; }
  void SetName(const TFontName& Value);
  // Points at 96 pixels per inch; Height is the negated character height in pixels.
  Integer Size() const;
  void SetSize(Integer Value);
  Integer Height() const { return FHeight; }
  void SetHeight(Integer Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);
  Integer Orientation() const { return FOrientation; }   // tenths of a degree
  void SetOrientation(Integer Value);
  TFontQuality Quality() const { return FQuality; }
  void SetQuality(TFontQuality Value);
  // The resolution Size converts with: the screen's, or a printer canvas's
  // own. Assigning a font of another resolution keeps its Size.
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value > 0 ? Value : ScreenPixelsPerInch; }

  bool Equals(const TFont& Other) const;

private:
  TFontName FName = QStringLiteral("Tahoma");
  Integer FHeight = -11;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
  Integer FOrientation = 0;
  TFontQuality FQuality = fqDefault;
  Integer FPixelsPerInch = ScreenPixelsPerInch;
};

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame,
                       psUserStyle, psAlternate };
using enum TPenStyle;
enum class TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot,
                      pmMaskPenNot, pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask,
                      pmNotMask, pmXor, pmNotXor };
using enum TPenMode;

class TPen : public TGraphicsObject {
  VELMORA_CLASS(TPen)
  using inherited = TGraphicsObject;
public:
  void Assign(TPersistent* Source) override;
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode Value);
private:
  TColor FColor = clBlack;
  Integer FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal,
                         bsCross, bsDiagCross };
using enum TBrushStyle;

class TBitmap;

class TBrush : public TGraphicsObject {
  VELMORA_CLASS(TBrush)
  using inherited = TGraphicsObject;
public:
  TBrush();
  ~TBrush() override;
  void Assign(TPersistent* Source) override;
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  // A pattern bitmap replaces colour and style while assigned (not owned).
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* Value);
private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  TBitmap* FBitmap = nullptr;
};

enum class TCanvasStates { csHandleValid, csFontValid, csPenValid, csBrushValid };
using enum TCanvasStates;
using TCanvasState = TSet<TCanvasStates>;
using TCopyMode = Integer;
constexpr TCopyMode cmSrcCopy = SRCCOPY;

enum class TTextFormats { tfBottom, tfCalcRect, tfCenter, tfEditControl, tfEndEllipsis,
                          tfPathEllipsis, tfExpandTabs, tfExternalLeading, tfLeft, tfModifyString,
                          tfNoClip, tfNoPrefix, tfRight, tfRtlReading, tfSingleLine, tfTop,
                          tfVerticalCenter, tfWordBreak, tfHidePrefix, tfNoFullWidthCharBreak,
                          tfPrefixOnly, tfTabStop, tfWordEllipsis, tfComposited };
using enum TTextFormats;
using TTextFormat = TSet<TTextFormats>;

// A canvas draws through its device context with its own pen, brush and font,
// selected into the context before each operation as the original does.
class TCanvas : public TPersistent {
  VELMORA_CLASS(TCanvas)
  using inherited = TPersistent;
public:
  TCanvas();
  ~TCanvas() override;

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value);
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value);
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value);
  TPoint PenPos() const;
  void SetPenPos(TPoint Value);
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
  // ETO_* options of TextOut and TextRect.
  Integer TextFlags() const { return FTextFlags; }
  void SetTextFlags(Integer Value) { FTextFlags = Value; }

  // The device context; created on first need.
  HDC Handle();
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  void MoveTo(Integer X, Integer Y);
  void LineTo(Integer X, Integer Y);
  void Polyline(const std::vector<TPoint>& Points);
  void Polygon(const std::vector<TPoint>& Points);
  void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3);
  void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2);
  void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
  void FillRect(const TRect& R);
  void FrameRect(const TRect& R);
  void DrawFocusRect(const TRect& R);

  void TextOut(Integer X, Integer Y, const String& Text);
  void TextRect(const TRect& R, Integer X, Integer Y, const String& Text);
  // DrawTextEx with the flags of the format; with tfCalcRect R receives the size.
  void TextRect(TRect& R, String& Text, TTextFormat Format);
  TSize TextExtent(const String& Text);
  Integer TextWidth(const String& Text) { return TextExtent(Text).cx; }
  Integer TextHeight(const String& Text) { return TextExtent(Text).cy; }

  void Draw(Integer X, Integer Y, TGraphic* Graphic);
  void StretchDraw(const TRect& R, TGraphic* Graphic);
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

  TColor Pixels(Integer X, Integer Y);
  void SetPixels(Integer X, Integer Y, TColor Value);
  // The clip box in logical coordinates (the whole surface when nothing clips).
  TRect ClipRect();

  void Lock() { ++FLockCount; }
  void Unlock() { --FLockCount; }
  bool TryLock() { ++FLockCount; return true; }
  Integer LockCount() const { return FLockCount; }
  void Refresh();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  // Binds a device context; descendants create theirs here.
  virtual void CreateHandle() {}
  virtual void Changing();
  virtual void Changed();
  void RequiredState(TCanvasState ReqState);
  void DeselectHandles();

private:
  void FontChanged(TObject*);
  void PenChanged(TObject*);
  void BrushChanged(TObject*);

  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  HDC FHandle = nullptr;
  TCanvasState FState;
  TCopyMode FCopyMode = cmSrcCopy;
  Integer FTextFlags = 0;
  Integer FLockCount = 0;
};

// The base of pictures that draw themselves onto a canvas.
class TGraphic : public TPersistent {
  VELMORA_CLASS(TGraphic)
  using inherited = TPersistent;
public:
  virtual bool Empty() const = 0;
  virtual Integer Width() const = 0;
  virtual void SetWidth(Integer Value) = 0;
  virtual Integer Height() const = 0;
  virtual void SetHeight(Integer Value) = 0;
  virtual bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }

  virtual void LoadFromFile(const String& FileName);
  virtual void SaveToFile(const String& FileName);
  // Bytes of the graphic's own file format.
  virtual void LoadFromBytes(const QByteArray& Bytes) = 0;
  virtual QByteArray SaveToBytes() const = 0;

  TNotifyEvent OnChange;

protected:
  friend class TCanvas;
  virtual void Draw(TCanvas* ACanvas, const TRect& R) = 0;
  virtual void Changed();
  bool FTransparent = false;
  bool FModified = false;
};

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit,
                          pfCustom };
using enum TPixelFormat;
enum class TAlphaFormat { afIgnored, afDefined, afPremultiplied };
using enum TAlphaFormat;
enum class TTransparentMode { tmAuto, tmFixed };
using enum TTransparentMode;

class TBitmapCanvas;

// A device-independent bitmap held as a 32-bit image.
// A 32-bit pixel as a bitmap's scan line holds it: blue, green, red, alpha
// (colours premultiplied by alpha).
struct TRGBQuad {
  Byte rgbBlue = 0;
  Byte rgbGreen = 0;
  Byte rgbRed = 0;
  Byte rgbReserved = 0;
};

class TBitmap : public TGraphic {
  VELMORA_CLASS(TBitmap)
  using inherited = TGraphic;
public:
  TBitmap();
  TBitmap(Integer AWidth, Integer AHeight);
  ~TBitmap() override;
  void Assign(TPersistent* Source) override;

  bool Empty() const override;
  Integer Width() const override;
  void SetWidth(Integer Value) override;
  Integer Height() const override;
  void SetHeight(Integer Value) override;
  void SetSize(Integer AWidth, Integer AHeight);
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat Value) { FPixelFormat = Value; }
  TAlphaFormat AlphaFormat() const { return FAlphaFormat; }
  void SetAlphaFormat(TAlphaFormat Value) { FAlphaFormat = Value; }
  // The transparent colour: the bottom-left pixel unless fixed.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value) { FTransparentMode = Value; }
  bool IgnorePalette() const { return true; }
  void SetIgnorePalette(bool) {}

  TCanvas* Canvas();
  void LoadFromBytes(const QByteArray& Bytes) override;
  QByteArray SaveToBytes() const override;   // BMP file bytes
  void Dormant() {}
  void FreeImage() {}

  // Row Row of the pixels for direct access, Width() of them; nullptr for a
  // row outside the bitmap.
  TRGBQuad* ScanLine(Integer Row);
  // The pixels (a 32-bit image); for the platform's own drawing code.
  QImage& Image();
  const QImage& Image() const;

protected:
  void Draw(TCanvas* ACanvas, const TRect& R) override;

private:
  void EndPaint() const;
  std::unique_ptr<QImage> FImage;
  std::unique_ptr<TBitmapCanvas> FCanvas;
  TPixelFormat FPixelFormat = pfDevice;
  TAlphaFormat FAlphaFormat = afIgnored;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
};

// An icon: an image with an alpha channel.
class TIcon : public TGraphic {
  VELMORA_CLASS(TIcon)
  using inherited = TGraphic;
public:
  TIcon();
  ~TIcon() override;
  void Assign(TPersistent* Source) override;
  bool Empty() const override;
  Integer Width() const override;
  void SetWidth(Integer) override {}
  Integer Height() const override;
  void SetHeight(Integer) override {}
  void LoadFromBytes(const QByteArray& Bytes) override;
  QByteArray SaveToBytes() const override;
  // Loads a named image of the program's resources ("Icon_1" and the like).
  void LoadFromResourceName(const String& ResName);
  const QImage& Image() const;
  void SetImage(const QImage& Image);
protected:
  void Draw(TCanvas* ACanvas, const TRect& R) override;
private:
  std::unique_ptr<QImage> FImage;
};

// Holds one graphic of any kind; the kind follows the loaded file.
class TPicture : public TPersistent {
  VELMORA_CLASS(TPicture)
  using inherited = TPersistent;
public:
  TPicture();
  ~TPicture() override;
  void Assign(TPersistent* Source) override;
  TGraphic* Graphic() const { return FGraphic.get(); }
  void SetGraphic(TGraphic* Value);   // copies Value
  TBitmap* Bitmap();                  // replaces another kind with an empty bitmap
  TIcon* Icon();
  Integer Width() const;
  Integer Height() const;
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName);
  // Recognises BMP, PNG, JPEG, GIF, ICO and EMF bytes.
  void LoadFromBytes(const QByteArray& Bytes);
  TNotifyEvent OnChange;
protected:
  void DefineProperties(TFiler& Filer) override;
private:
  void Changed();
  std::unique_ptr<TGraphic> FGraphic;
};

// The canvas of a bitmap: draws into its image.
class TBitmapCanvas : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap* ABitmap);
  ~TBitmapCanvas() override;
  void EndPaint();
protected:
  void CreateHandle() override;
private:
  TBitmap* FBitmap;
  std::unique_ptr<QPainter> FPainter;
  std::unique_ptr<TDeviceContext> FDC;
};

// A canvas over a device context owned by someone else (a widget's paint
// event, a printer page). The context must outlive the canvas's use of it.
class TExternalCanvas : public TCanvas {
public:
  explicit TExternalCanvas(HDC DC) { SetHandle(DC); }
  ~TExternalCanvas() override { SetHandle(nullptr); }
};

// A canvas drawing into an image of its own; tests and off-screen drawing.
class TImageCanvas : public TCanvas {
public:
  TImageCanvas(Integer AWidth, Integer AHeight, TColor Background = clWhite);
  ~TImageCanvas() override;
  const QImage& Image();
  bool SavePng(const String& FileName);
protected:
  void CreateHandle() override;
private:
  std::unique_ptr<QImage> FImage;
  std::unique_ptr<QPainter> FPainter;
  std::unique_ptr<TDeviceContext> FDC;
};

// The shared screen canvas for measuring text before a window exists.
TCanvas* ScreenCanvas();
