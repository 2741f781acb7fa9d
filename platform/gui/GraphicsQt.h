// GraphicsQt.h: the device context behind HDC, for the platform's own sources
// only: its selected objects and state, and the QPainter it draws with.
#pragma once

#include "platform/gui/Graphics.h"

#include <QCursor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QTransform>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class TDCRecorder;

// Coordinates are 28-bit on the window system; clamping a coordinate or an
// extent to that keeps every sum and difference of two within 32 bits.
constexpr Integer MaxCoord = (1 << 27) - 1;

// The logical objects selected into a context (what CreatePen, CreateBrush
// and CreateFont would describe).
struct TDCPen {
  TPenStyle Style = psSolid;
  Integer Width = 1;
  COLORREF Color = 0;
  TPenMode Mode = pmCopy;
  bool operator==(const TDCPen&) const = default;
};

struct TDCBrush {
  TBrushStyle Style = bsSolid;
  COLORREF Color = 0xFFFFFF;
  QImage Pattern;   // a bitmap brush when not null
  bool operator==(const TDCBrush& O) const
  {
    return Style == O.Style && Color == O.Color && Pattern.cacheKey() == O.Pattern.cacheKey();
  }
};

struct TDCFont {
  String Face = QStringLiteral("Tahoma");
  Integer Height = -11;        // negative: character height; positive: cell height
  Integer Weight = 400;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  Integer Escapement = 0;      // tenths of a degree, counter-clockwise
  Byte Charset = DEFAULT_CHARSET;
  Byte Quality = 0;
  // Unhinted design metrics, which scale linearly with the size.
  bool Unhinted = false;
  bool operator==(const TDCFont&) const = default;
};

struct TDCState {
  TDCPen Pen;
  TDCBrush Brush;
  TDCFont Font;
  UINT TextAlign = TA_LEFT | TA_TOP;
  Integer BkMode = OPAQUE;
  COLORREF BkColor = 0xFFFFFF;
  COLORREF TextColor = 0;
  Integer PolyFillMode = ALTERNATE;
  TPoint CurPos;
  std::optional<QRegion> Clip;   // device coordinates
  Integer MapMode = MM_TEXT;
  TPoint WindowOrg, ViewportOrg;
  TSize WindowExt{1, 1}, ViewportExt{1, 1};
  Integer GraphicsMode = GM_COMPATIBLE;
  QTransform World;
  DWORD Layout = 0;
};

// A logical font resolved to the QFont that draws it, with its metrics.
struct TDCFontEntry {
  explicit TDCFontEntry(const QFont& AFont) : Font(AFont), Metrics(AFont) {}
  QFont Font;
  QFontMetricsF Metrics;
  // Metrics.horizontalAdvance, remembered: shaping a text is most of what a
  // cell costs to paint, and repaints and scrolls show the same texts again.
  double Advance(const QString& Text) const;

private:
  mutable std::mutex FAdvanceLock;   // a context may be handed to another thread
  mutable QHash<QString, double> FAdvances;
};

struct TDeviceContext {
  TDeviceContext() = default;
  // A context drawing with Painter (not owned) on a surface of the given size.
  TDeviceContext(QPainter* APainter, QSize ASize, QImage* AImage = nullptr);
  ~TDeviceContext();
  TDeviceContext(const TDeviceContext&) = delete;
  TDeviceContext& operator=(const TDeviceContext&) = delete;

  QPainter* Painter = nullptr;
  QImage* Image = nullptr;       // the pixels when the surface is an image
  QSize Size;                    // surface size in device pixels
  Integer DpiX = ScreenPixelsPerInch;
  Integer DpiY = ScreenPixelsPerInch;
  TPoint PhysicalOffset;         // printers: the unprintable margin
  TDCState State;
  std::vector<TDCState> Saved;
  TDCRecorder* Recorder = nullptr;
  // Text is measured and drawn with unhinted design metrics.
  bool DesignMetrics = false;

  // Logical to device: world transform, then the window-to-viewport mapping,
  // then the right-to-left mirror.
  QTransform DeviceTransform() const;
  // Pushes transform and clip to the painter; call after changing either.
  void ApplyState();
  const QFont& Font() const { return SelectedFont().Font; }
  const QFontMetricsF& FontMetrics() const { return SelectedFont().Metrics; }
  // The selected font, resolved again only when State.Font has changed.
  const std::shared_ptr<const TDCFontEntry>& FontEntry() const;
  QPen Pen() const;
  QBrush Brush() const;
  bool PenVisible() const { return State.Pen.Style != psClear; }
  bool BrushVisible() const { return State.Brush.Style != bsClear; }
  // The region that drawing may touch, in device coordinates.
  QRegion DeviceClip() const;

private:
  const TDCFontEntry& SelectedFont() const { return *FontEntry(); }
  mutable std::shared_ptr<const TDCFontEntry> FFontEntry;
  mutable TDCFont FFontKey;
};

// The region of a region handle, and a handle's region replaced.
QRegion RegionOfHandle(HRGN Rgn);
void SetRegionOfHandle(HRGN Rgn, const QRegion& Region);

// Receives what is drawn on a recording context (the metafile canvas). Each
// drawing call first syncs the selected objects through SyncObjects.
class TDCRecorder {
public:
  virtual ~TDCRecorder() = default;
  virtual void SyncObjects(TDeviceContext& DC) = 0;
  virtual void TextAlign(UINT Align) = 0;
  virtual void BkMode(Integer Mode) = 0;
  virtual void BkColor(COLORREF Color) = 0;
  virtual void TextColor(COLORREF Color) = 0;
  virtual void PolyFillMode(Integer Mode) = 0;
  virtual void MoveTo(TPoint P) = 0;
  virtual void LineTo(TPoint P) = 0;
  virtual void Polyline(const TPoint* Points, Integer Count) = 0;
  virtual void PolyPolyline(const TPoint* Points, const DWORD* Counts, Integer Polylines) = 0;
  virtual void Polygon(const TPoint* Points, Integer Count) = 0;
  virtual void Rectangle(const TRect& R) = 0;
  virtual void Ellipse(const TRect& R) = 0;
  virtual void RoundRect(const TRect& R, TSize Corner) = 0;
  virtual void FillRect(const TRect& R) = 0;   // with the selected brush
  virtual void SetPixel(TPoint P, COLORREF Color) = 0;
  virtual void ExtTextOut(Integer X, Integer Y, UINT Options, const TRect* R, const String& Text,
                          const Integer* Dx) = 0;
  virtual void StretchImage(const TRect& Dest, const QImage& Image, const TRect& Source) = 0;
  virtual void SaveDC() = 0;
  virtual void RestoreDC(Integer Relative) = 0;
  virtual void SelectClip(const std::optional<QRegion>& DeviceClip) = 0;
  virtual void WorldTransform(const QTransform& World) = 0;
  virtual void Mapping(const TDCState& State) = 0;
};

// ExtTextOut answering the advance of what it wrote (-1 without a context),
// so that a caller that moves on by the text's width measures it once.
Integer ExtTextOutWidth(HDC DC, Integer X, Integer Y, UINT Options, const TRect* R, const String& Text,
                        const Integer* Dx);

QColor ToQColor(COLORREF Color);
COLORREF FromQColor(const QColor& Color);
QRect ToQRect(const TRect& R);
TRect FromQRect(const QRect& R);
// The QFont that draws a logical font.
QFont MakeQFont(const TDCFont& F);
TDCFont FontToDC(const TFont& Font);

// The shape behind a cursor handle.
struct TCursorHandle {
  QCursor Cursor;
};
// The shape of a cursor number (crXXX, or one registered in Screen->Cursors).
QCursor QtCursor(SmallInt Cursor);
