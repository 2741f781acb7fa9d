// Windows.cpp: device contexts, text output and metrics, regions, mapping and
// clipping over QPainter, with the window system's pixel rules (a line leaves
// out its end point, a rectangle covers Left..Right-1).
#include "platform/gui/Windows.h"

#include "platform/gui/GraphicsQt.h"
#include "platform/rtl/ScopeExit.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QGuiApplication>
#include <QPixmap>
#include <QTextLayout>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

// ---------------------------------------------------------------------------
// Conversions.

QColor ToQColor(COLORREF C) { return QColor(GetRValue(C), GetGValue(C), GetBValue(C)); }
COLORREF FromQColor(const QColor& C) { return RGB(Byte(C.red()), Byte(C.green()), Byte(C.blue())); }
QRect ToQRect(const TRect& R) { return QRect(R.Left, R.Top, R.Width(), R.Height()); }
TRect FromQRect(const QRect& R) { return TRect(R.left(), R.top(), R.left() + R.width(), R.top() + R.height()); }

Integer MulDiv(Integer Number, Integer Numerator, Integer Denominator)
{
  if (Denominator == 0)
    return -1;
  // Rounds half away from zero, as the window system does.
  const Int64 P = Int64(Number) * Numerator;
  const Int64 D = Denominator;
  const Int64 Q = (std::abs(P) + std::abs(D) / 2) / std::abs(D);
  return Integer(((P < 0) != (D < 0)) ? -Q : Q);
}

// ---------------------------------------------------------------------------
// Fonts.

String SubstituteFontFamily(const String& Name)
{
  struct Subst { const char* From; const char* To; };
  static const Subst Table[] = {
    {"Arial", "Liberation Sans"}, {"Helvetica", "Liberation Sans"},
    {"Tahoma", "Liberation Sans"}, {"MS Sans Serif", "Liberation Sans"},
    {"Microsoft Sans Serif", "Liberation Sans"}, {"Segoe UI", "Liberation Sans"},
    {"Arial Narrow", "Liberation Sans Narrow"}, {"Verdana", "DejaVu Sans"},
    {"Times New Roman", "Liberation Serif"}, {"Times", "Liberation Serif"},
    {"Courier New", "Liberation Mono"}, {"Courier", "Liberation Mono"},
    {"Consolas", "Liberation Mono"}, {"Lucida Console", "Liberation Mono"},
    {"Calibri", "Carlito"}, {"Cambria", "Caladea"}, {"Georgia", "DejaVu Serif"},
    {"Symbol", "DejaVu Sans"}, {"Wingdings", "DejaVu Sans"}, {"Marlett", "DejaVu Sans"},
  };
  for (const Subst& S : Table)
    if (Name.compare(QLatin1String(S.From), Qt::CaseInsensitive) == 0)
      return QString::fromLatin1(S.To);
  return Name.isEmpty() ? QStringLiteral("Liberation Sans") : Name;
}

QFont MakeQFont(const TDCFont& F)
{
  QFont Font(SubstituteFontFamily(F.Face));
  Font.setStyleStrategy(F.Quality == Byte(fqNonAntialiased) ? QFont::NoAntialias : QFont::PreferDefault);
  Font.setHintingPreference(F.Unhinted ? QFont::PreferNoHinting : QFont::PreferFullHinting);
  Integer Px = std::abs(F.Height);
  if (Px == 0)
    Px = 16;   // the window system's default height
  Font.setPixelSize(Px);
  if (F.Height > 0) {
    // A positive height is the cell height: ascent plus descent.
    const QFontMetricsF M(Font);
    const double Cell = M.ascent() + M.descent();
    if (Cell > 0)
      Font.setPixelSize(std::max(1, int(std::lround(Px * Px / Cell))));
  }
  Font.setWeight(F.Weight >= 600 ? QFont::Bold : F.Weight <= 300 ? QFont::Light : QFont::Normal);
  Font.setItalic(F.Italic);
  Font.setUnderline(F.Underline);
  Font.setStrikeOut(F.StrikeOut);
  Font.setKerning(false);
  return Font;
}

// ---------------------------------------------------------------------------
// The device context.

TDeviceContext::TDeviceContext(QPainter* APainter, QSize ASize, QImage* AImage)
    : Painter(APainter), Image(AImage), Size(ASize)
{
  if (Painter) {
    Painter->setRenderHint(QPainter::Antialiasing, false);
    Painter->setRenderHint(QPainter::TextAntialiasing, true);
  }
}

TDeviceContext::~TDeviceContext() = default;

QTransform TDeviceContext::DeviceTransform() const
{
  QTransform Map;
  if (State.MapMode == MM_ANISOTROPIC || State.MapMode == MM_ISOTROPIC) {
    const double SX = State.WindowExt.cx ? double(State.ViewportExt.cx) / State.WindowExt.cx : 1.0;
    double SY = State.WindowExt.cy ? double(State.ViewportExt.cy) / State.WindowExt.cy : 1.0;
    if (State.MapMode == MM_ISOTROPIC)
      SY = std::copysign(std::abs(SX), SY);
    Map = QTransform(SX, 0, 0, SY, State.ViewportOrg.X - State.WindowOrg.X * SX,
                     State.ViewportOrg.Y - State.WindowOrg.Y * SY);
  } else {
    Map = QTransform::fromTranslate(State.ViewportOrg.X - State.WindowOrg.X,
                                    State.ViewportOrg.Y - State.WindowOrg.Y);
  }
  QTransform T = State.World * Map;
  if (State.Layout & LAYOUT_RTL)
    T = T * QTransform(-1, 0, 0, 1, Size.width() - 1, 0);
  return T;
}

QRegion TDeviceContext::DeviceClip() const
{
  const QRegion Surface(0, 0, Size.width(), Size.height());
  return State.Clip ? (*State.Clip & Surface) : Surface;
}

void TDeviceContext::ApplyState()
{
  if (!Painter)
    return;
  const QTransform T = DeviceTransform();
  Painter->setWorldTransform(QTransform());
  if (State.Clip)
    Painter->setClipRegion(*State.Clip);
  else
    Painter->setClipping(false);
  Painter->setWorldTransform(T);
}

// Resolving a font and its metrics costs more than measuring most texts, and
// a paint switches among a few fonts: those stay resolved, per thread.
static std::shared_ptr<const TDCFontEntry> ResolveFont(const TDCFont& F)
{
  constexpr std::size_t Kept = 16;
  thread_local std::vector<std::pair<TDCFont, std::shared_ptr<const TDCFontEntry>>> Recent;
  auto It = std::find_if(Recent.begin(), Recent.end(), [&](const auto& E) { return E.first == F; });
  if (It != Recent.end()) {
    std::rotate(Recent.begin(), It, It + 1);   // most recent first
    return Recent.front().second;
  }
  auto Entry = std::make_shared<const TDCFontEntry>(MakeQFont(F));
  if (Recent.size() == Kept)
    Recent.pop_back();
  Recent.emplace(Recent.begin(), F, Entry);
  return Entry;
}

double TDCFontEntry::Advance(const QString& Text) const
{
  // Enough for every cell of a large screen; past it all are forgotten and
  // measured anew.
  constexpr qsizetype Kept = 8192;
  const std::lock_guard<std::mutex> Lock(FAdvanceLock);
  if (const auto It = FAdvances.constFind(Text); It != FAdvances.cend())
    return *It;
  if (FAdvances.size() >= Kept)
    FAdvances.clear();
  const double W = Metrics.horizontalAdvance(Text);
  FAdvances.insert(Text, W);
  return W;
}

const std::shared_ptr<const TDCFontEntry>& TDeviceContext::FontEntry() const
{
  TDCFont Key = State.Font;
  Key.Unhinted = DesignMetrics;
  if (!FFontEntry || !(FFontKey == Key)) {
    FFontEntry = ResolveFont(Key);
    FFontKey = Key;
  }
  return FFontEntry;
}

static Qt::PenStyle QtPenStyle(TPenStyle S)
{
  switch (S) {
  case psDash: return Qt::DashLine;
  case psDot: case psAlternate: return Qt::DotLine;
  case psDashDot: return Qt::DashDotLine;
  case psDashDotDot: return Qt::DashDotDotLine;
  case psClear: return Qt::NoPen;
  default: return Qt::SolidLine;
  }
}

QPen TDeviceContext::Pen() const
{
  const TDCPen& P = State.Pen;
  QPen Pen(ToQColor(P.Color));
  Pen.setStyle(QtPenStyle(P.Style));
  const QTransform T = DeviceTransform();
  const double Scale = std::sqrt(std::abs(T.determinant()));
  if (P.Width == 0 || (P.Width == 1 && std::abs(Scale - 1.0) < 0.01)) {
    Pen.setWidth(0);   // one device pixel
    // A flat cap leaves out the last pixel of a line, as the window system does.
    Pen.setCapStyle(Qt::FlatCap);
  } else {
    // A width in logical units scales with the mapping (a page played larger).
    Pen.setWidthF(std::max(1.0, double(P.Width)));
    Pen.setCosmetic(false);
    Pen.setCapStyle(P.Width == 1 ? Qt::FlatCap : Qt::RoundCap);
    Pen.setJoinStyle(Qt::RoundJoin);
  }
  return Pen;
}

QBrush TDeviceContext::Brush() const
{
  const TDCBrush& B = State.Brush;
  if (!B.Pattern.isNull())
    return QBrush(B.Pattern);
  Qt::BrushStyle S = Qt::SolidPattern;
  switch (B.Style) {
  case bsClear: S = Qt::NoBrush; break;
  case bsHorizontal: S = Qt::HorPattern; break;
  case bsVertical: S = Qt::VerPattern; break;
  case bsFDiagonal: S = Qt::FDiagPattern; break;
  case bsBDiagonal: S = Qt::BDiagPattern; break;
  case bsCross: S = Qt::CrossPattern; break;
  case bsDiagCross: S = Qt::DiagCrossPattern; break;
  default: break;
  }
  return QBrush(ToQColor(B.Color), S);
}

static QPainter::CompositionMode CompositionFor(TPenMode Mode)
{
  switch (Mode) {
  case pmXor: case pmNotXor: return QPainter::RasterOp_SourceXorDestination;
  case pmNot: return QPainter::RasterOp_NotDestination;
  case pmMask: return QPainter::RasterOp_SourceAndDestination;
  case pmMerge: return QPainter::RasterOp_SourceOrDestination;
  case pmNotCopy: return QPainter::RasterOp_NotSource;
  default: return QPainter::CompositionMode_SourceOver;
  }
}

// Sets pen and brush on the painter for one shape.
static void PreparePainter(TDeviceContext& DC, bool WithBrush)
{
  QPainter* P = DC.Painter;
  P->setPen(DC.Pen());
  P->setBrush(WithBrush ? DC.Brush() : QBrush(Qt::NoBrush));
  if (DC.State.Brush.Style != bsSolid && DC.State.Brush.Pattern.isNull()) {
    P->setBackgroundMode(DC.State.BkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    P->setBackground(ToQColor(DC.State.BkColor));
  }
  P->setCompositionMode(CompositionFor(DC.State.Pen.Mode));
}

static bool Drawable(HDC DC) { return DC && DC->Painter && DC->Painter->isActive(); }

// ---------------------------------------------------------------------------
// Text measuring.

namespace {

// The selected font's metrics in the window system's whole pixels.
struct TTextMeasure {
  explicit TTextMeasure(const TDeviceContext& DC)
      : Entry(DC.FontEntry()), Font(Entry->Font), Metrics(Entry->Metrics)
  {
  }
  std::shared_ptr<const TDCFontEntry> Entry;   // keeps Font and Metrics alive
  const QFont& Font;
  const QFontMetricsF& Metrics;
  Integer Width(const String& S) const { return Extent(Entry->Advance(S)); }
  // A run wider than any surface (a huge font, a long text) is cut to the
  // coordinate range, so that positions computed from it cannot overflow.
  static Integer Extent(double W) { return Integer(std::clamp(std::round(W), 0.0, double(MaxCoord))); }
  Integer Ascent() const { return Integer(std::ceil(Metrics.ascent())); }
  Integer Descent() const { return Integer(std::ceil(Metrics.descent())); }
  Integer Height() const { return Ascent() + Descent(); }
  Integer AveCharWidth() const { return Integer(std::lround(Metrics.averageCharWidth())); }
};

} // namespace

bool GetTextMetrics(HDC DC, TEXTMETRIC& TM)
{
  if (!DC)
    return false;
  const TTextMeasure M(*DC);
  TM = TEXTMETRIC();
  TM.tmAscent = M.Ascent();
  TM.tmDescent = M.Descent();
  TM.tmHeight = M.Height();
  TM.tmInternalLeading = std::max(0, TM.tmHeight - M.Font.pixelSize());
  TM.tmExternalLeading = std::max(0, Integer(std::lround(M.Metrics.leading())));
  TM.tmAveCharWidth = M.AveCharWidth();
  TM.tmMaxCharWidth = Integer(std::lround(M.Metrics.maxWidth()));
  TM.tmWeight = DC->State.Font.Weight;
  TM.tmItalic = DC->State.Font.Italic;
  TM.tmUnderlined = DC->State.Font.Underline;
  TM.tmStruckOut = DC->State.Font.StrikeOut;
  TM.tmCharSet = DC->State.Font.Charset;
  TM.tmPitchAndFamily = QFontInfo(M.Font).fixedPitch() ? 0 : 1;   // TMPF_FIXED_PITCH clear = fixed
  return true;
}

bool GetTextExtentExPoint(HDC DC, const String& Text, Integer Count, Integer MaxExtent, Integer* Fit,
                          std::vector<Integer>* Dx, TSize& Size)
{
  if (!DC)
    return false;
  const String S = (Count < 0 || Count > Text.size()) ? Text : Text.left(Count);
  const TTextMeasure M(*DC);
  Size = TSize(S.isEmpty() ? 0 : M.Width(S), M.Height());
  if (!Fit && !Dx)
    return true;   // only the extent: no layout needed
  // Each character's position takes a laid-out line.
  QTextLayout Layout(S, M.Font);
  Layout.setCacheEnabled(true);
  QTextOption Opt;
  Opt.setWrapMode(QTextOption::NoWrap);
  Layout.setTextOption(Opt);
  Layout.beginLayout();
  QTextLine Line = Layout.createLine();
  if (Line.isValid())
    Line.setLineWidth(1e9);
  Layout.endLayout();
  if (Dx)
    Dx->assign(std::size_t(S.size()), 0);
  Integer Fitted = 0;
  for (Integer I = 0; I < S.size(); ++I) {
    const Integer W = Line.isValid() ? TTextMeasure::Extent(Line.cursorToX(I + 1)) : 0;
    if (Dx)
      (*Dx)[std::size_t(I)] = W;
    if (W <= MaxExtent)
      Fitted = I + 1;
  }
  if (Fit)
    *Fit = Fitted;
  return true;
}

bool GetTextExtentPoint32(HDC DC, const String& Text, Integer Count, TSize& Size)
{
  return GetTextExtentExPoint(DC, Text, Count, 0, nullptr, nullptr, Size);
}

UINT SetTextAlign(HDC DC, UINT Align)
{
  if (!DC)
    return 0xFFFFFFFF;
  const UINT Old = DC->State.TextAlign;
  DC->State.TextAlign = Align;
  if (DC->Recorder)
    DC->Recorder->TextAlign(Align);
  return Old;
}
UINT GetTextAlign(HDC DC) { return DC ? DC->State.TextAlign : 0; }

Integer SetBkMode(HDC DC, Integer Mode)
{
  if (!DC)
    return 0;
  const Integer Old = DC->State.BkMode;
  DC->State.BkMode = Mode;
  if (DC->Recorder)
    DC->Recorder->BkMode(Mode);
  return Old;
}
Integer GetBkMode(HDC DC) { return DC ? DC->State.BkMode : 0; }

COLORREF SetBkColor(HDC DC, COLORREF Color)
{
  if (!DC)
    return 0xFFFFFFFF;
  const COLORREF Old = DC->State.BkColor;
  DC->State.BkColor = Color & 0xFFFFFF;
  if (DC->Recorder)
    DC->Recorder->BkColor(Color & 0xFFFFFF);
  return Old;
}
COLORREF GetBkColor(HDC DC) { return DC ? DC->State.BkColor : 0; }

COLORREF SetTextColor(HDC DC, COLORREF Color)
{
  if (!DC)
    return 0xFFFFFFFF;
  const COLORREF Old = DC->State.TextColor;
  DC->State.TextColor = Color & 0xFFFFFF;
  if (DC->Recorder)
    DC->Recorder->TextColor(Color & 0xFFFFFF);
  return Old;
}
COLORREF GetTextColor(HDC DC) { return DC ? DC->State.TextColor : 0; }

// ---------------------------------------------------------------------------
// Text output.

// Single-line left-to-right text is drawn at its baseline: Qt then shapes it
// once instead of laying it out as a paragraph, which costs a grid paint
// about a third of its time. Its width is not needed to draw it.
static bool PlainRun(const QPainter* P, const String& Text, bool RightToLeft)
{
  if (RightToLeft || P->layoutDirection() == Qt::RightToLeft)
    return false;
  for (const QChar C : Text)
    if (C.unicode() < 0x20 || C.isHighSurrogate() || C.direction() == QChar::DirR ||
        C.direction() == QChar::DirAL)
      return false;
  return true;
}

// Draws one run of text with its top-left corner at (X, Y) in logical
// coordinates, with the context's colours and background mode.
// Width is the run's advance, as measured by the caller (the sum of Dx when
// given). CallerSaved: the caller restores the painter's state after the run,
// so an unrotated run need not save it again (a save costs as much as a
// cell's fill).
static void PaintTextRun(HDC DC, const TTextMeasure& M, Integer X, Integer Y, const String& Text, Integer Width,
                         bool RightToLeft, const Integer* Dx = nullptr, bool FillBack = true,
                         bool CallerSaved = false)
{
  QPainter* P = DC->Painter;
  const bool Save = !CallerSaved || DC->State.Font.Escapement != 0;
  if (Save)
    P->save();
  ScopeExit Restore([&] {
    if (Save)
      P->restore();
  });
  if (DC->State.Font.Escapement != 0) {
    P->translate(X, Y);
    P->rotate(-double(DC->State.Font.Escapement) / 10.0);
    P->translate(-X, -Y);
  }
  if (FillBack && DC->State.BkMode == OPAQUE && !Text.isEmpty())
    P->fillRect(QRect(X, Y, Width, M.Height()), ToQColor(DC->State.BkColor));
  P->setFont(M.Font);
  P->setPen(ToQColor(DC->State.TextColor));
  P->setCompositionMode(QPainter::CompositionMode_SourceOver);
  // Qt keeps the glyphs it draws in a cache image; a glyph it has no outline
  // for (drawn as a box) goes there at any size, which for text thousands of
  // pixels high costs seconds and gigabytes. Text that large (Qt itself draws
  // it as outlines from 64 pixels on) is filled as outlines.
  constexpr double LargeTextPixels = 256;
  if (M.Font.pixelSize() * std::sqrt(std::abs(P->worldTransform().determinant())) > LargeTextPixels) {
    QPainterPath Path;
    if (Dx) {
      Integer CX = X;
      for (Integer I = 0; I < Text.size(); ++I) {
        Path.addText(QPointF(CX, Y + M.Metrics.ascent()), M.Font, Text.mid(I, 1));
        CX += Dx[I];
      }
    } else {
      Path.addText(QPointF(X, Y + M.Metrics.ascent()), M.Font, Text);
    }
    const bool Antialiased = P->testRenderHint(QPainter::Antialiasing);
    P->setRenderHint(QPainter::Antialiasing, true);
    P->fillPath(Path, ToQColor(DC->State.TextColor));
    P->setRenderHint(QPainter::Antialiasing, Antialiased);
    return;
  }
  if (Dx) {
    Integer CX = X;
    for (Integer I = 0; I < Text.size(); ++I) {
      P->drawText(QPointF(CX, Y + M.Metrics.ascent()), Text.mid(I, 1));
      CX += Dx[I];
    }
  } else if (PlainRun(P, Text, RightToLeft)) {
    P->drawText(QPointF(X, Y + M.Metrics.ascent()), Text);
  } else {
    const int Flags = Qt::TextSingleLine | Qt::TextDontClip | Qt::AlignLeft | Qt::AlignTop |
                      (RightToLeft ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight);
    P->drawText(QRectF(X, Y, std::max(Width, 1) + 2, M.Height() + 2), Flags, Text);
  }
}

// WantWidth: the caller wants the run's width back; otherwise the text is
// measured only where its placement or background needs the width.
static Integer TextOutRun(HDC DC, Integer X, Integer Y, UINT Options, const TRect* R, const String& Text,
                          const Integer* Dx, bool WantWidth)
{
  if (!DC)
    return -1;
  if (DC->Recorder) {
    DC->Recorder->SyncObjects(*DC);
    DC->Recorder->ExtTextOut(X, Y, Options, R, Text, Dx);
  }
  const TTextMeasure M(*DC);
  const UINT Align = DC->State.TextAlign;
  const bool UpdateCP = Align & TA_UPDATECP;
  const bool Rtl = (Options & ETO_RTLREADING) || (Align & TA_RTLREADING);
  // A clipped run over its rectangle filled with the same colour needs no
  // background of its own.
  const bool FillBack = !(R && (Options & ETO_OPAQUE) && (Options & ETO_CLIPPED));
  Integer W = 0;
  if (Dx) {
    for (Integer I = 0; I < Text.size(); ++I)
      W += Dx[I];
  } else if (WantWidth || UpdateCP || (Align & (TA_CENTER | TA_RIGHT)) || (FillBack && DC->State.BkMode == OPAQUE) ||
             !Drawable(DC) || !PlainRun(DC->Painter, Text, Rtl)) {
    W = M.Width(Text);
  }
  if (UpdateCP) {
    X = DC->State.CurPos.X;
    Y = DC->State.CurPos.Y;
  }
  Integer Left = X;
  if ((Align & TA_CENTER) == TA_CENTER)
    Left = X - W / 2;
  else if (Align & TA_RIGHT)
    Left = X - W;
  Integer Top = Y;
  if ((Align & TA_BASELINE) == TA_BASELINE)
    Top = Y - M.Ascent();
  else if (Align & TA_BOTTOM)
    Top = Y - M.Height();
  // Runs written one after another stay within the coordinate range.
  if (UpdateCP && !(Align & TA_RIGHT))
    DC->State.CurPos.X = std::clamp(Left + W, -MaxCoord, MaxCoord);
  else if (UpdateCP && (Align & TA_CENTER) != TA_CENTER)
    DC->State.CurPos.X = Left;
  if (!Drawable(DC))
    return W;
  QPainter* P = DC->Painter;
  P->save();
  if (R && (Options & ETO_OPAQUE))
    P->fillRect(ToQRect(*R), ToQColor(DC->State.BkColor));
  if (R && (Options & ETO_CLIPPED))
    P->setClipRect(ToQRect(*R), Qt::IntersectClip);
  PaintTextRun(DC, M, Left, Top, Text, W, Rtl, Dx, FillBack, true);
  P->restore();
  return W;
}

bool ExtTextOut(HDC DC, Integer X, Integer Y, UINT Options, const TRect* R, const String& Text,
                const Integer* Dx)
{
  return TextOutRun(DC, X, Y, Options, R, Text, Dx, false) >= 0;
}

Integer ExtTextOutWidth(HDC DC, Integer X, Integer Y, UINT Options, const TRect* R, const String& Text,
                        const Integer* Dx)
{
  return TextOutRun(DC, X, Y, Options, R, Text, Dx, true);
}

bool TextOut(HDC DC, Integer X, Integer Y, const String& Text)
{
  return ExtTextOut(DC, X, Y, 0, nullptr, Text, nullptr);
}

namespace {

// One laid-out line of DrawText.
struct TTextLine {
  String Text;
  Integer Width = 0;
  Integer PrefixPos = -1;   // the character to underline (a prefix "&x")
};

// Removes prefix ampersands; answers the position of the underlined character.
String StripPrefix(const String& S, Integer& Underlined)
{
  String Out;
  Out.reserve(S.size());
  Underlined = -1;
  for (Integer I = 0; I < S.size(); ++I) {
    if (S[I] == QLatin1Char('&') && I + 1 < S.size()) {
      ++I;
      if (S[I] != QLatin1Char('&'))
        Underlined = Integer(Out.size());
    }
    Out += S[I];
  }
  return Out;
}

// A run of text and its width (below zero while not measured).
struct TMeasuredRun {
  String Text;
  Integer Width = -1;
};

class TDrawTextLayout {
public:
  TDrawTextLayout(const TTextMeasure& M, UINT Format, Integer TabLength)
      : FM(M), FFormat(Format), FTabWidth(std::max(1, (TabLength > 0 ? TabLength : 8) * M.AveCharWidth()))
  {
  }

  // Width of a text; tabs advance to the next stop when they are expanded.
  Integer Width(const String& S) const
  {
    if (!(FFormat & DT_EXPANDTABS) || !S.contains(QLatin1Char('\t')))
      return FM.Width(S);
    Integer X = 0;
    const QStringList Parts = S.split(QLatin1Char('\t'));
    for (qsizetype I = 0; I < Parts.size(); ++I) {
      X += FM.Width(Parts[I]);
      if (I + 1 < Parts.size())
        X = (X / FTabWidth + 1) * FTabWidth;
    }
    return X;
  }

  // Width is what Width(S) answered; the caller saved the painter's state.
  void Draw(HDC DC, Integer X, Integer Y, const String& S, Integer Width, bool Rtl) const
  {
    if (!(FFormat & DT_EXPANDTABS) || !S.contains(QLatin1Char('\t'))) {
      PaintTextRun(DC, FM, X, Y, S, Width, Rtl, nullptr, true, true);
      return;
    }
    Integer CX = 0;
    const QStringList Parts = S.split(QLatin1Char('\t'));
    for (qsizetype I = 0; I < Parts.size(); ++I) {
      const Integer PartWidth = FM.Width(Parts[I]);
      PaintTextRun(DC, FM, X + CX, Y, Parts[I], PartWidth, Rtl, nullptr, true, true);
      CX += PartWidth;
      if (I + 1 < Parts.size())
        CX = (CX / FTabWidth + 1) * FTabWidth;
    }
  }

  // The text with an ellipsis at its end, cut to fit MaxWidth. RunWidth is
  // the text's width when known (below zero when not), and receives the
  // result's.
  String Ellipsize(const String& S, Integer MaxWidth, bool AtWord, Integer& RunWidth) const
  {
    static const String Dots = QStringLiteral("...");
    if (RunWidth < 0)
      RunWidth = Width(S);
    if (RunWidth <= MaxWidth)
      return S;
    Integer Lo = 0, Hi = Integer(S.size());
    while (Lo < Hi) {   // the longest prefix that fits with the dots
      const Integer Mid = (Lo + Hi + 1) / 2;
      if (Width(S.left(Mid) + Dots) <= MaxWidth)
        Lo = Mid;
      else
        Hi = Mid - 1;
    }
    Integer Cut = Lo;
    if (AtWord) {
      const Integer Space = Integer(S.left(Cut).lastIndexOf(QLatin1Char(' ')));
      if (Space > 0)
        Cut = Space;
    }
    const String Result = S.left(Cut) + Dots;
    RunWidth = Width(Result);
    return Result;
  }

  // Breaks one paragraph at blanks so that each line fits MaxWidth; a word
  // wider than the line runs on by itself. Each line comes with its width
  // where the breaking measured it (below zero where not).
  void Wrap(const String& Para, Integer MaxWidth, std::vector<TMeasuredRun>& Lines) const
  {
    if (Para.isEmpty()) {
      Lines.push_back({String(), 0});
      return;
    }
    // Most cells fit on their first line: one measure instead of one a word.
    if (const Integer Whole = Width(Para); Whole <= MaxWidth) {
      Lines.push_back({Para, Whole});
      return;
    }
    Integer Start = 0;
    const Integer N = Integer(Para.size());
    while (Start < N) {
      Integer LineEnd = Start;   // end of the last word that fits
      Integer LineWidth = -1;    // the width of Para.mid(Start, LineEnd - Start) when measured
      Integer Pos = Start;
      bool Broke = false;
      while (Pos < N) {
        Integer WordEnd = Pos;
        while (WordEnd < N && Para[WordEnd] != QLatin1Char(' '))
          ++WordEnd;
        const Integer W = Width(Para.mid(Start, WordEnd - Start));
        if (W > MaxWidth && LineEnd > Start) {
          Broke = true;
          break;
        }
        LineEnd = WordEnd;
        LineWidth = W;
        Pos = WordEnd;
        while (Pos < N && Para[Pos] == QLatin1Char(' '))
          ++Pos;
        if (W > MaxWidth) {
          Broke = true;   // a single long word
          break;
        }
      }
      if (!Broke && LineEnd != Pos) {
        LineEnd = Pos;
        LineWidth = -1;
      }
      String Line = Para.mid(Start, LineEnd - Start);
      while (Line.endsWith(QLatin1Char(' ')) && Broke) {
        Line.chop(1);
        LineWidth = -1;
      }
      Lines.push_back({Line, LineWidth});
      Start = LineEnd;
      while (Start < N && Para[Start] == QLatin1Char(' '))
        ++Start;
    }
  }

private:
  const TTextMeasure& FM;
  UINT FFormat;
  Integer FTabWidth;
};

} // namespace

Integer DrawText(HDC DC, const String& Text, Integer Count, TRect& R, UINT Format)
{
  return DrawTextEx(DC, Text, Count, R, Format, nullptr);
}

Integer DrawTextEx(HDC DC, const String& AText, Integer Count, TRect& R, UINT Format, DRAWTEXTPARAMS* Params)
{
  if (!DC)
    return 0;
  const String Text = (Count < 0 || Count > AText.size()) ? AText : AText.left(Count);
  const TTextMeasure M(*DC);
  const TDrawTextLayout Layout(M, Format, Params ? Params->iTabLength : 0);
  const Integer LeftMargin = Params ? Params->iLeftMargin : 0;
  const Integer RightMargin = Params ? Params->iRightMargin : 0;
  TRect Box(R.Left + LeftMargin, R.Top, R.Right - RightMargin, R.Bottom);
  const Integer BoxWidth = std::max(0, Box.Width());
  const Integer LineHeight = M.Height() +
                             ((Format & DT_EXTERNALLEADING) ? Integer(std::lround(M.Metrics.leading())) : 0);
  const bool Single = Format & DT_SINGLELINE;

  // Paragraphs, then lines.
  std::vector<String> Paras;
  if (Single) {
    String S = Text;
    S.remove(QLatin1Char('\r'));
    S.remove(QLatin1Char('\n'));
    Paras.push_back(S);
  } else {
    String S = Text;
    S.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    S.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const String& P : S.split(QLatin1Char('\n')))
      Paras.push_back(P);
  }
  std::vector<TTextLine> Lines;
  for (const String& Para : Paras) {
    Integer Underlined = -1;
    const String Plain = (Format & DT_NOPREFIX) ? Para : StripPrefix(Para, Underlined);
    std::vector<TMeasuredRun> Broken;
    if ((Format & DT_WORDBREAK) && !Single)
      Layout.Wrap(Plain, BoxWidth, Broken);
    else
      Broken.push_back({Plain});
    Integer Offset = 0;
    for (TMeasuredRun& Run : Broken) {
      String& L = Run.Text;
      TTextLine Line;
      if (Format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS))
        L = Layout.Ellipsize(L, BoxWidth, Format & DT_WORD_ELLIPSIS, Run.Width);
      Line.Text = L;
      Line.Width = Run.Width >= 0 ? Run.Width : Layout.Width(L);
      if (Underlined >= Offset && Underlined < Offset + L.size())
        Line.PrefixPos = Underlined - Offset;
      Offset += Integer(L.size());
      Lines.push_back(Line);
    }
  }
  if (Params)
    Params->uiLengthDrawn = UINT(Text.size());

  Integer MaxWidth = 0;
  for (const TTextLine& L : Lines)
    MaxWidth = std::max(MaxWidth, L.Width);
  const Integer TextHeight = Integer(Lines.size()) * LineHeight;

  if (Format & DT_CALCRECT) {
    if (Text.isEmpty() && !Single) {
      R.Right = R.Left;
      R.Bottom = R.Top;
      return 0;
    }
    R.Right = R.Left + LeftMargin + MaxWidth + RightMargin;
    R.Bottom = R.Top + TextHeight;
    return TextHeight;
  }

  Integer Y = Box.Top;
  if (Single && (Format & DT_VCENTER))
    Y = Box.Top + (Box.Height() - LineHeight) / 2;
  else if (Single && (Format & DT_BOTTOM))
    Y = Box.Bottom - LineHeight;

  if (DC->Recorder) {
    // Recorded as positioned text runs, clipped to the rectangle.
    DC->Recorder->SyncObjects(*DC);
  }
  const bool Clip = !(Format & DT_NOCLIP);
  const bool Rtl = Format & DT_RTLREADING;
  const bool Paint = Drawable(DC);
  if (Paint) {
    DC->Painter->save();
    if (Clip)
      DC->Painter->setClipRect(ToQRect(R), Qt::IntersectClip);
  }
  Integer LineY = Y;
  for (const TTextLine& L : Lines) {
    Integer X = Box.Left;
    if (Format & DT_CENTER)
      X = Box.Left + (BoxWidth - L.Width) / 2;
    else if (Format & DT_RIGHT)
      X = Box.Right - L.Width;
    if (DC->Recorder && !L.Text.isEmpty()) {
      const UINT SavedAlign = DC->State.TextAlign;
      if (SavedAlign != (TA_LEFT | TA_TOP))
        DC->Recorder->TextAlign(TA_LEFT | TA_TOP);
      DC->Recorder->ExtTextOut(X, LineY, (Clip ? UINT(ETO_CLIPPED) : 0u) | (Rtl ? UINT(ETO_RTLREADING) : 0u), &R,
                               L.Text, nullptr);
      if (SavedAlign != (TA_LEFT | TA_TOP))
        DC->Recorder->TextAlign(SavedAlign);
    }
    if (Paint) {
      Layout.Draw(DC, X, LineY, L.Text, L.Width, Rtl);
      if (L.PrefixPos >= 0 && !(Format & DT_HIDEPREFIX)) {
        const Integer UX = X + Layout.Width(L.Text.left(L.PrefixPos));
        const Integer UW = M.Width(L.Text.mid(L.PrefixPos, 1));
        DC->Painter->fillRect(QRect(UX, LineY + M.Ascent() + 1, UW, 1), ToQColor(DC->State.TextColor));
      }
    }
    LineY += LineHeight;
  }
  if (Paint)
    DC->Painter->restore();
  if (Single && (Format & (DT_VCENTER | DT_BOTTOM)))
    return Y - R.Top + LineHeight;
  return TextHeight;
}

// ---------------------------------------------------------------------------
// Lines and shapes.

bool MoveToEx(HDC DC, Integer X, Integer Y, TPoint* Old)
{
  if (!DC)
    return false;
  if (Old)
    *Old = DC->State.CurPos;
  DC->State.CurPos = TPoint(X, Y);
  if (DC->Recorder)
    DC->Recorder->MoveTo(TPoint(X, Y));
  return true;
}

// A one-pixel segment that leaves out its end point.
static void PaintSegment(HDC DC, TPoint A, TPoint B)
{
  if (A == B)
    return;
  DC->Painter->drawLine(QPoint(A.X, A.Y), QPoint(B.X, B.Y));
}

bool LineTo(HDC DC, Integer X, Integer Y)
{
  if (!DC)
    return false;
  const TPoint From = DC->State.CurPos;
  DC->State.CurPos = TPoint(X, Y);
  if (DC->Recorder) {
    DC->Recorder->SyncObjects(*DC);
    DC->Recorder->LineTo(TPoint(X, Y));
  }
  if (!Drawable(DC) || !DC->PenVisible())
    return true;
  PreparePainter(*DC, false);
  PaintSegment(DC, From, TPoint(X, Y));
  return true;
}

bool Polyline(HDC DC, const TPoint* Points, Integer Count)
{
  if (!DC || Count < 2)
    return false;
  if (DC->Recorder) {
    DC->Recorder->SyncObjects(*DC);
    DC->Recorder->Polyline(Points, Count);
  }
  if (!Drawable(DC) || !DC->PenVisible())
    return true;
  PreparePainter(*DC, false);
  QPolygon Poly;
  for (Integer I = 0; I < Count; ++I)
    Poly << QPoint(Points[I].X, Points[I].Y);
  DC->Painter->drawPolyline(Poly);
  return true;
}

bool PolyPolyline(HDC DC, const TPoint* Points, const DWORD* Counts, Integer Polylines)
{
  if (!DC)
    return false;
  if (DC->Recorder) {
    DC->Recorder->SyncObjects(*DC);
    DC->Recorder->PolyPolyline(Points, Counts, Polylines);
  }
  TDCRecorder* Rec = DC->Recorder;
  DC->Recorder = nullptr;   // recorded once, as one record
  const TPoint* P = Points;
  for (Integer I = 0; I < Polylines; ++I) {
    Polyline(DC, P, Integer(Counts[I]));
    P += Counts[I];
  }
  DC->Recorder = Rec;
  return true;
}

bool Polygon(HDC DC, const TPoint* Points, Integer Count)
{
  if (!DC || Count < 2)
    return false;
  if (DC->Recorder) {
    DC->Recorder->SyncObjects(*DC);
    DC->Recorder->Polygon(Points, Count);
  }
  if (!Drawable(DC))
    return true;
  PreparePainter(*DC, true);
  QPolygon Poly;
  for (Integer I = 0; I < Count; ++I)
    Poly << QPoint(Points[I].X, Points[I].Y);
  DC->Painter->drawPolygon(Poly, DC->State.PolyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  return true;
}

// The outline of a shape drawn inside L..R-1, T..B-1.
static QRect ShapeRect(Integer L, Integer T, Integer R, Integer B)
{
  if (R < L)
    std::swap(L, R);
  if (B < T)
    std::swap(T, B);
  return QRect(L, T, std::max(0, R - L - 1), std::max(0, B - T - 1));
}

bool Rectangle(HDC DC, Integer L, Integer T, Integer R, Integer B)
{
  if (!DC)
    return false;
  if (DC->Recorder) {
    DC->Recorder->SyncObjects(*DC);
    DC->Recorder->Rectangle(TRect(L, T, R, B));
  }
  if (!Drawable(DC))
    return true;
  PreparePainter(*DC, true);
  if (!DC->PenVisible()) {
    // Without a pen the filled area is one pixel smaller on the right and bottom.
    DC->Painter->fillRect(ShapeRect(L, T, R, B), DC->Brush());
    return true;
  }
  DC->Painter->drawRect(ShapeRect(L, T, R, B));
  return true;
}

bool Ellipse(HDC DC, Integer L, Integer T, Integer R, Integer B)
{
  if (!DC)
    return false;
  if (DC->Recorder) {
    DC->Recorder->SyncObjects(*DC);
    DC->Recorder->Ellipse(TRect(L, T, R, B));
  }
  if (!Drawable(DC))
    return true;
  PreparePainter(*DC, true);
  DC->Painter->drawEllipse(ShapeRect(L, T, R, B));
  return true;
}

bool RoundRect(HDC DC, Integer L, Integer T, Integer R, Integer B, Integer W, Integer H)
{
  if (!DC)
    return false;
  if (DC->Recorder) {
    DC->Recorder->SyncObjects(*DC);
    DC->Recorder->RoundRect(TRect(L, T, R, B), TSize(W, H));
  }
  if (!Drawable(DC))
    return true;
  PreparePainter(*DC, true);
  DC->Painter->drawRoundedRect(ShapeRect(L, T, R, B), W / 2.0, H / 2.0);
  return true;
}

Integer SetPolyFillMode(HDC DC, Integer Mode)
{
  if (!DC)
    return 0;
  const Integer Old = DC->State.PolyFillMode;
  DC->State.PolyFillMode = Mode;
  if (DC->Recorder)
    DC->Recorder->PolyFillMode(Mode);
  return Old;
}

COLORREF GetPixel(HDC DC, Integer X, Integer Y)
{
  if (!DC || !DC->Image)
    return 0xFFFFFFFF;   // CLR_INVALID
  const QPoint P = DC->DeviceTransform().map(QPoint(X, Y));
  if (!DC->Image->rect().contains(P) || !DC->DeviceClip().contains(P))
    return 0xFFFFFFFF;
  return FromQColor(DC->Image->pixelColor(P));
}

COLORREF SetPixel(HDC DC, Integer X, Integer Y, COLORREF Color)
{
  if (!DC)
    return 0xFFFFFFFF;
  if (DC->Recorder)
    DC->Recorder->SetPixel(TPoint(X, Y), Color);
  if (Drawable(DC)) {
    DC->Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    DC->Painter->fillRect(QRect(X, Y, 1, 1), ToQColor(Color));
  }
  return Color & 0xFFFFFF;
}

// ---------------------------------------------------------------------------
// Regions.

struct TRegionHandle {
  QRegion Region;
};

QRegion RegionOfHandle(HRGN Rgn) { return Rgn ? Rgn->Region : QRegion(); }

void SetRegionOfHandle(HRGN Rgn, const QRegion& Region)
{
  if (Rgn)
    Rgn->Region = Region;
}

static Integer RegionKind(const QRegion& R)
{
  if (R.isEmpty())
    return NULLREGION;
  return R.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

HRGN CreateRectRgn(Integer L, Integer T, Integer R, Integer B)
{
  return new TRegionHandle{QRegion(ToQRect(TRect(std::min(L, R), std::min(T, B), std::max(L, R), std::max(T, B))))};
}
HRGN CreateRectRgnIndirect(const TRect& R) { return CreateRectRgn(R.Left, R.Top, R.Right, R.Bottom); }

HRGN CreateEllipticRgn(Integer L, Integer T, Integer R, Integer B)
{
  return new TRegionHandle{QRegion(ToQRect(TRect(L, T, R, B)), QRegion::Ellipse)};
}

HRGN CreatePolygonRgn(const TPoint* Points, Integer Count, Integer FillMode)
{
  QPolygon Poly;
  for (Integer I = 0; I < Count; ++I)
    Poly << QPoint(Points[I].X, Points[I].Y);
  return new TRegionHandle{QRegion(Poly, FillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill)};
}

Integer CombineRgn(HRGN Dst, HRGN Src1, HRGN Src2, Integer Mode)
{
  if (!Dst || !Src1 || (Mode != RGN_COPY && !Src2))
    return RGN_ERROR;
  QRegion R;
  switch (Mode) {
  case RGN_AND: R = Src1->Region & Src2->Region; break;
  case RGN_OR: R = Src1->Region | Src2->Region; break;
  case RGN_XOR: R = Src1->Region ^ Src2->Region; break;
  case RGN_DIFF: R = Src1->Region - Src2->Region; break;
  case RGN_COPY: R = Src1->Region; break;
  default: return RGN_ERROR;
  }
  Dst->Region = R;
  return RegionKind(R);
}

Integer OffsetRgn(HRGN Rgn, Integer DX, Integer DY)
{
  if (!Rgn)
    return RGN_ERROR;
  Rgn->Region.translate(DX, DY);
  return RegionKind(Rgn->Region);
}

Integer GetRgnBox(HRGN Rgn, TRect& R)
{
  if (!Rgn)
    return RGN_ERROR;
  R = Rgn->Region.isEmpty() ? TRect() : FromQRect(Rgn->Region.boundingRect());
  return RegionKind(Rgn->Region);
}

bool PtInRegion(HRGN Rgn, Integer X, Integer Y) { return Rgn && Rgn->Region.contains(QPoint(X, Y)); }
bool RectInRegion(HRGN Rgn, const TRect& R) { return Rgn && Rgn->Region.intersects(ToQRect(R)); }
bool EqualRgn(HRGN R1, HRGN R2) { return R1 && R2 && R1->Region == R2->Region; }

bool DeleteObject(HRGN Rgn)
{
  if (!Rgn)
    return false;
  delete Rgn;
  return true;
}

// ---------------------------------------------------------------------------
// Clipping.

static Integer SetClip(HDC DC, std::optional<QRegion> Clip)
{
  DC->State.Clip = std::move(Clip);
  DC->ApplyState();
  if (DC->Recorder)
    DC->Recorder->SelectClip(DC->State.Clip);
  return RegionKind(DC->DeviceClip());
}

Integer SelectClipRgn(HDC DC, HRGN Rgn) { return ExtSelectClipRgn(DC, Rgn, RGN_COPY); }

Integer ExtSelectClipRgn(HDC DC, HRGN Rgn, Integer Mode)
{
  if (!DC)
    return RGN_ERROR;
  if (!Rgn) {
    if (Mode != RGN_COPY)
      return RGN_ERROR;
    return SetClip(DC, std::nullopt);
  }
  const QRegion Current = DC->DeviceClip();
  QRegion R;
  switch (Mode) {
  case RGN_AND: R = Current & Rgn->Region; break;
  case RGN_OR: R = Current | Rgn->Region; break;
  case RGN_XOR: R = Current ^ Rgn->Region; break;
  case RGN_DIFF: R = Current - Rgn->Region; break;
  case RGN_COPY: R = Rgn->Region; break;
  default: return RGN_ERROR;
  }
  return SetClip(DC, R);
}

Integer GetClipRgn(HDC DC, HRGN Rgn)
{
  if (!DC || !Rgn)
    return -1;
  if (!DC->State.Clip)
    return 0;
  Rgn->Region = *DC->State.Clip;
  return 1;
}

Integer GetClipBox(HDC DC, TRect& R)
{
  if (!DC)
    return RGN_ERROR;
  const QRegion Clip = DC->DeviceClip();
  bool Invertible = true;
  const QTransform Inv = DC->DeviceTransform().inverted(&Invertible);
  R = FromQRect(Inv.mapRect(Clip.boundingRect()));
  return RegionKind(Clip);
}

static QRect LogicalToDevice(HDC DC, Integer L, Integer T, Integer R, Integer B)
{
  return DC->DeviceTransform().mapRect(ToQRect(TRect(std::min(L, R), std::min(T, B), std::max(L, R), std::max(T, B))));
}

Integer IntersectClipRect(HDC DC, Integer L, Integer T, Integer R, Integer B)
{
  if (!DC)
    return RGN_ERROR;
  return SetClip(DC, DC->DeviceClip() & LogicalToDevice(DC, L, T, R, B));
}

Integer ExcludeClipRect(HDC DC, Integer L, Integer T, Integer R, Integer B)
{
  if (!DC)
    return RGN_ERROR;
  return SetClip(DC, DC->DeviceClip() - LogicalToDevice(DC, L, T, R, B));
}

bool RectVisible(HDC DC, const TRect& R)
{
  return DC && DC->DeviceClip().intersects(LogicalToDevice(DC, R.Left, R.Top, R.Right, R.Bottom));
}

bool PtVisible(HDC DC, Integer X, Integer Y)
{
  return DC && DC->DeviceClip().contains(DC->DeviceTransform().map(QPoint(X, Y)));
}

// ---------------------------------------------------------------------------
// State, mapping and transforms.

Integer SaveDC(HDC DC)
{
  if (!DC)
    return 0;
  DC->Saved.push_back(DC->State);
  if (DC->Recorder)
    DC->Recorder->SaveDC();
  return Integer(DC->Saved.size());
}

bool RestoreDC(HDC DC, Integer SavedDC)
{
  if (!DC)
    return false;
  const Integer Level = SavedDC < 0 ? Integer(DC->Saved.size()) + SavedDC + 1 : SavedDC;
  if (Level < 1 || Level > Integer(DC->Saved.size()))
    return false;
  if (DC->Recorder)
    DC->Recorder->RestoreDC(Level - Integer(DC->Saved.size()) - 1);
  DC->State = DC->Saved[std::size_t(Level - 1)];
  DC->Saved.resize(std::size_t(Level - 1));
  DC->ApplyState();
  return true;
}

static void MappingChanged(HDC DC)
{
  DC->ApplyState();
  if (DC->Recorder)
    DC->Recorder->Mapping(DC->State);
}

Integer SetMapMode(HDC DC, Integer Mode)
{
  if (!DC)
    return 0;
  const Integer Old = DC->State.MapMode;
  DC->State.MapMode = Mode;
  MappingChanged(DC);
  return Old;
}
Integer GetMapMode(HDC DC) { return DC ? DC->State.MapMode : 0; }

bool SetWindowOrgEx(HDC DC, Integer X, Integer Y, TPoint* Old)
{
  if (!DC)
    return false;
  if (Old)
    *Old = DC->State.WindowOrg;
  DC->State.WindowOrg = TPoint(X, Y);
  MappingChanged(DC);
  return true;
}

bool SetViewportOrgEx(HDC DC, Integer X, Integer Y, TPoint* Old)
{
  if (!DC)
    return false;
  if (Old)
    *Old = DC->State.ViewportOrg;
  DC->State.ViewportOrg = TPoint(X, Y);
  MappingChanged(DC);
  return true;
}

// Extents are ignored outside the scalable mapping modes, as the window system does.
static bool SetExtent(HDC DC, TSize TDCState::*Ext, Integer X, Integer Y, TSize* Old)
{
  if (!DC)
    return false;
  if (Old)
    *Old = DC->State.*Ext;
  if (DC->State.MapMode != MM_ANISOTROPIC && DC->State.MapMode != MM_ISOTROPIC)
    return true;
  if (X == 0 || Y == 0)
    return false;
  DC->State.*Ext = TSize(X, Y);
  MappingChanged(DC);
  return true;
}

bool SetWindowExtEx(HDC DC, Integer X, Integer Y, TSize* Old)
{
  return SetExtent(DC, &TDCState::WindowExt, X, Y, Old);
}

bool SetViewportExtEx(HDC DC, Integer X, Integer Y, TSize* Old)
{
  return SetExtent(DC, &TDCState::ViewportExt, X, Y, Old);
}

bool GetWindowOrgEx(HDC DC, TPoint& P)
{
  if (!DC)
    return false;
  P = DC->State.WindowOrg;
  return true;
}

bool GetViewportOrgEx(HDC DC, TPoint& P)
{
  if (!DC)
    return false;
  P = DC->State.ViewportOrg;
  return true;
}

Integer SetGraphicsMode(HDC DC, Integer Mode)
{
  if (!DC)
    return 0;
  const Integer Old = DC->State.GraphicsMode;
  DC->State.GraphicsMode = Mode;
  return Old;
}

static QTransform ToQTransform(const XFORM& X) { return QTransform(X.eM11, X.eM12, X.eM21, X.eM22, X.eDx, X.eDy); }
static XFORM ToXForm(const QTransform& T)
{
  return XFORM{Single(T.m11()), Single(T.m12()), Single(T.m21()), Single(T.m22()), Single(T.dx()), Single(T.dy())};
}

bool SetWorldTransform(HDC DC, const XFORM& X)
{
  if (!DC || DC->State.GraphicsMode != GM_ADVANCED)
    return false;
  DC->State.World = ToQTransform(X);
  DC->ApplyState();
  if (DC->Recorder)
    DC->Recorder->WorldTransform(DC->State.World);
  return true;
}

bool GetWorldTransform(HDC DC, XFORM& X)
{
  if (!DC)
    return false;
  X = ToXForm(DC->State.World);
  return true;
}

bool ModifyWorldTransform(HDC DC, const XFORM* X, DWORD Mode)
{
  if (!DC || DC->State.GraphicsMode != GM_ADVANCED)
    return false;
  if (Mode == MWT_IDENTITY)
    DC->State.World = QTransform();
  else if (!X)
    return false;
  else if (Mode == MWT_LEFTMULTIPLY)
    DC->State.World = ToQTransform(*X) * DC->State.World;
  else if (Mode == MWT_RIGHTMULTIPLY)
    DC->State.World = DC->State.World * ToQTransform(*X);
  else
    return false;
  DC->ApplyState();
  if (DC->Recorder)
    DC->Recorder->WorldTransform(DC->State.World);
  return true;
}

bool LPtoDP(HDC DC, TPoint* Points, Integer Count)
{
  if (!DC)
    return false;
  const QTransform T = DC->DeviceTransform();
  for (Integer I = 0; I < Count; ++I) {
    const QPointF P = T.map(QPointF(Points[I].X, Points[I].Y));
    Points[I] = TPoint(Integer(std::lround(P.x())), Integer(std::lround(P.y())));
  }
  return true;
}

bool DPtoLP(HDC DC, TPoint* Points, Integer Count)
{
  if (!DC)
    return false;
  bool Ok = true;
  const QTransform T = DC->DeviceTransform().inverted(&Ok);
  if (!Ok)
    return false;
  for (Integer I = 0; I < Count; ++I) {
    const QPointF P = T.map(QPointF(Points[I].X, Points[I].Y));
    Points[I] = TPoint(Integer(std::lround(P.x())), Integer(std::lround(P.y())));
  }
  return true;
}

DWORD SetLayout(HDC DC, DWORD Layout)
{
  if (!DC)
    return 0xFFFFFFFF;
  const DWORD Old = DC->State.Layout;
  DC->State.Layout = Layout;
  DC->ApplyState();
  return Old;
}
DWORD GetLayout(HDC DC) { return DC ? DC->State.Layout : 0xFFFFFFFF; }

// ---------------------------------------------------------------------------
// Device capabilities.

Integer GetDeviceCaps(HDC DC, Integer Index)
{
  if (!DC)
    return 0;
  switch (Index) {
  case LOGPIXELSX: return DC->DpiX;
  case LOGPIXELSY: return DC->DpiY;
  case HORZRES: case DESKTOPHORZRES: return DC->Size.width();
  case VERTRES: case DESKTOPVERTRES: return DC->Size.height();
  case HORZSIZE: return MulDiv(DC->Size.width(), 254, DC->DpiX * 10);
  case VERTSIZE: return MulDiv(DC->Size.height(), 254, DC->DpiY * 10);
  case PHYSICALWIDTH: return DC->Size.width() + 2 * DC->PhysicalOffset.X;
  case PHYSICALHEIGHT: return DC->Size.height() + 2 * DC->PhysicalOffset.Y;
  case PHYSICALOFFSETX: return DC->PhysicalOffset.X;
  case PHYSICALOFFSETY: return DC->PhysicalOffset.Y;
  case BITSPIXEL: return 32;
  default: return 0;
  }
}

// ---------------------------------------------------------------------------
// Pixel copies.

bool BitBlt(HDC Dst, Integer X, Integer Y, Integer W, Integer H, HDC Src, Integer XSrc, Integer YSrc, DWORD Rop)
{
  return StretchBlt(Dst, X, Y, W, H, Src, XSrc, YSrc, W, H, Rop);
}

bool StretchBlt(HDC Dst, Integer X, Integer Y, Integer W, Integer H, HDC Src, Integer XSrc, Integer YSrc,
                Integer WSrc, Integer HSrc, DWORD)
{
  if (!Dst || !Src || !Src->Image)
    return false;
  const QRect SrcDev = Src->DeviceTransform().mapRect(QRect(XSrc, YSrc, WSrc, HSrc));
  const QImage Part = Src->Image->copy(SrcDev);
  if (Dst->Recorder)
    Dst->Recorder->StretchImage(TRect(X, Y, X + W, Y + H), Part, TRect(0, 0, Part.width(), Part.height()));
  if (!Drawable(Dst))
    return true;
  Dst->Painter->setCompositionMode(QPainter::CompositionMode_Source);
  Dst->Painter->drawImage(QRect(X, Y, W, H), Part);
  Dst->Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  return true;
}

bool AlphaBlend(HDC Dst, Integer X, Integer Y, Integer W, Integer H, HDC Src, Integer XSrc, Integer YSrc,
                Integer WSrc, Integer HSrc, BLENDFUNCTION Blend)
{
  if (!Dst || !Src || !Src->Image || W <= 0 || H <= 0)
    return false;
  const QRect SrcDev = Src->DeviceTransform().mapRect(QRect(XSrc, YSrc, WSrc, HSrc));
  QImage Part = Src->Image->copy(SrcDev);
  // Without per-pixel alpha the source counts as opaque.
  if (!(Blend.AlphaFormat & AC_SRC_ALPHA))
    Part = Part.convertToFormat(QImage::Format_RGB32);
  if (Dst->Recorder)
    Dst->Recorder->StretchImage(TRect(X, Y, X + W, Y + H), Part, TRect(0, 0, Part.width(), Part.height()));
  if (!Drawable(Dst))
    return true;
  const qreal Opacity = Dst->Painter->opacity();
  Dst->Painter->setOpacity(Opacity * Blend.SourceConstantAlpha / 255.0);
  Dst->Painter->drawImage(QRect(X, Y, W, H), Part);
  Dst->Painter->setOpacity(Opacity);
  return true;
}

// ---------------------------------------------------------------------------
// Time and input state that does not need a window.

static QElapsedTimer& TickClock()
{
  static QElapsedTimer Clock = [] {
    QElapsedTimer T;
    T.start();
    return T;
  }();
  return Clock;
}

Cardinal GetTickCount() { return Cardinal(GetTickCount64()); }
UInt64 GetTickCount64()
{
  if (TTestClock* Clock = TTestClock::Active())
    return Clock->Now();
  return UInt64(TickClock().elapsed()) + 1000;
}
UINT GetDoubleClickTime() { return 500; }

Integer GetSystemMetrics(Integer Index)
{
  switch (Index) {
  case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL:
  case SM_CYVTHUMB: case SM_CXHTHUMB: return 17;
  case SM_CYCAPTION: return 23;
  case SM_CXBORDER: case SM_CYBORDER: return 1;
  case SM_CXEDGE: case SM_CYEDGE: return 2;
  case SM_CXICON: case SM_CYICON: return 32;
  case SM_CXSMICON: case SM_CYSMICON: return 16;
  case SM_CYMENU: return 20;
  case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
  case SM_CXSCREEN: case SM_CYSCREEN: {
    const QScreen* S = QGuiApplication::primaryScreen();
    if (!S)
      return Index == SM_CXSCREEN ? 1024 : 768;
    return Index == SM_CXSCREEN ? S->geometry().width() : S->geometry().height();
  }
  default: return 0;
  }
}

// ---------------------------------------------------------------------------
// Classic edges and frame controls. Every part is made of solid runs of
// system colours, so it looks the same on a widget, an image or a metafile.

namespace {

// Fills R with a solid colour without touching the selected brush.
void FillSolid(HDC DC, const TRect& R, COLORREF Color)
{
  if (R.IsEmpty())
    return;
  const TDCBrush Old = DC->State.Brush;
  DC->State.Brush = TDCBrush();
  DC->State.Brush.Color = Color & 0xFFFFFF;
  if (DC->Recorder) {
    DC->Recorder->SyncObjects(*DC);
    DC->Recorder->FillRect(R);
  }
  if (Drawable(DC)) {
    DC->Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    DC->Painter->fillRect(ToQRect(R), ToQColor(Color));
  }
  DC->State.Brush = Old;
}

void FillSys(HDC DC, const TRect& R, Integer SysColor) { FillSolid(DC, R, GetSysColor(SysColor)); }

struct TEdgeLine {
  Integer TopLeft = -1;       // system colour index of the left and top sides
  Integer BottomRight = -1;   // of the right and bottom sides
};

TEdgeLine OuterLine(UINT Edge, UINT Flags)
{
  if (!(Edge & BDR_OUTER))
    return {};
  if (Flags & BF_MONO)
    return {COLOR_WINDOWFRAME, COLOR_WINDOWFRAME};
  if (Flags & BF_FLAT)
    return {COLOR_BTNSHADOW, COLOR_BTNSHADOW};
  if (Edge & BDR_RAISEDOUTER)
    return {(Flags & BF_SOFT) ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT, COLOR_3DDKSHADOW};
  return {(Flags & BF_SOFT) ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
}

TEdgeLine InnerLine(UINT Edge, UINT Flags)
{
  if (!(Edge & BDR_INNER))
    return {};
  if (Flags & BF_MONO)
    return {COLOR_WINDOW, COLOR_WINDOW};
  if (Flags & BF_FLAT)
    return {COLOR_BTNFACE, COLOR_BTNFACE};
  if (Edge & BDR_RAISEDINNER)
    return {(Flags & BF_SOFT) ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
  return {(Flags & BF_SOFT) ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW, COLOR_3DLIGHT};
}

// One line of an edge on the sides asked, then R shrinks by it. The
// bottom-right colour owns the top-right and bottom-left corners.
void EdgeLine(HDC DC, TRect& R, const TEdgeLine& L, UINT Flags)
{
  if (L.TopLeft < 0 || R.IsEmpty())
    return;
  const Integer LeftEnd = (Flags & BF_BOTTOM) ? R.Bottom - 1 : R.Bottom;
  const Integer TopEnd = (Flags & BF_RIGHT) ? R.Right - 1 : R.Right;
  if (Flags & BF_LEFT)
    FillSys(DC, TRect(R.Left, R.Top, R.Left + 1, LeftEnd), L.TopLeft);
  if (Flags & BF_TOP)
    FillSys(DC, TRect(R.Left, R.Top, TopEnd, R.Top + 1), L.TopLeft);
  if (Flags & BF_RIGHT)
    FillSys(DC, TRect(R.Right - 1, R.Top, R.Right, R.Bottom), L.BottomRight);
  if (Flags & BF_BOTTOM)
    FillSys(DC, TRect(R.Left, R.Bottom - 1, R.Right, R.Bottom), L.BottomRight);
  if (Flags & BF_LEFT)
    ++R.Left;
  if (Flags & BF_TOP)
    ++R.Top;
  if (Flags & BF_RIGHT)
    --R.Right;
  if (Flags & BF_BOTTOM)
    --R.Bottom;
}

// The centred square of side min(width, height).
TRect CentredSquare(const TRect& R)
{
  const Integer Side = std::min(R.Width(), R.Height());
  const Integer L = R.Left + (R.Width() - Side) / 2, T = R.Top + (R.Height() - Side) / 2;
  return TRect(L, T, L + Side, T + Side);
}

enum class TArrow { Up, Down, Left, Right };

// A solid triangle centred in R, its size following the smaller side.
void Arrow(HDC DC, const TRect& R, TArrow Dir, COLORREF Color)
{
  const Integer Side = std::min(R.Width(), R.Height());
  const Integer Depth = std::max(1, (Side - 4) / 3);
  const Integer CX = R.Left + (R.Width() - 1) / 2, CY = R.Top + (R.Height() - 1) / 2;
  for (Integer I = 0; I < Depth; ++I) {
    // Row I from the tip: half-width I.
    switch (Dir) {
    case TArrow::Up: {
      const Integer Y = CY - Depth / 2 + I;
      FillSolid(DC, TRect(CX - I, Y, CX + I + 1, Y + 1), Color);
      break;
    }
    case TArrow::Down: {
      const Integer Y = CY + (Depth - 1) / 2 - I;
      FillSolid(DC, TRect(CX - I, Y, CX + I + 1, Y + 1), Color);
      break;
    }
    case TArrow::Left: {
      const Integer X = CX - Depth / 2 + I;
      FillSolid(DC, TRect(X, CY - I, X + 1, CY + I + 1), Color);
      break;
    }
    case TArrow::Right: {
      const Integer X = CX + (Depth - 1) / 2 - I;
      FillSolid(DC, TRect(X, CY - I, X + 1, CY + I + 1), Color);
      break;
    }
    }
  }
}

// A glyph in the button text colour, or embossed grey when inactive.
template <class TDraw>
void Glyph(UINT State, TDraw Draw)
{
  if (State & DFCS_INACTIVE) {
    Draw(1, GetSysColor(COLOR_BTNHIGHLIGHT));
    Draw(0, GetSysColor(COLOR_BTNSHADOW));
    return;
  }
  Draw(0, GetSysColor(COLOR_BTNTEXT));
}

// The check mark: seven columns, three pixels tall, a short and a long arm.
void CheckMark(HDC DC, const TRect& Box, COLORREF Color)
{
  static const Integer Starts[7] = {2, 3, 4, 3, 2, 1, 0};
  const Integer K = std::max(1, std::min(Box.Width(), Box.Height()) / 13);
  const Integer L = Box.Left + (Box.Width() - 7 * K) / 2, T = Box.Top + (Box.Height() - 7 * K) / 2;
  for (Integer X = 0; X < 7; ++X)
    FillSolid(DC, TRect(L + X * K, T + Starts[X] * K, L + (X + 1) * K, T + (Starts[X] + 3) * K), Color);
}

// A face with the classic button edges; answers the content rectangle.
TRect ButtonFace(HDC DC, const TRect& R, UINT State)
{
  TRect Face = R;
  if (State & DFCS_FLAT) {
    DrawEdge(DC, Face, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE | BF_FLAT | BF_ADJUST);
  } else if (State & (DFCS_PUSHED | DFCS_CHECKED)) {
    DrawEdge(DC, Face, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_ADJUST);
  } else {
    DrawEdge(DC, Face, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_SOFT | BF_ADJUST);
  }
  return Face;
}

void CheckBox(HDC DC, const TRect& R, UINT State)
{
  TRect Box = CentredSquare(R);
  UINT Flags = BF_RECT | BF_ADJUST;
  if (State & DFCS_FLAT)
    Flags |= BF_FLAT;
  if (State & DFCS_MONO)
    Flags |= BF_MONO;
  DrawEdge(DC, Box, EDGE_SUNKEN, Flags);
  const bool Mixed = (State & DFCS_BUTTON3STATE) && (State & DFCS_CHECKED);
  const bool Grey = State & (DFCS_INACTIVE | DFCS_PUSHED);
  FillSys(DC, Box, Grey || Mixed ? Integer(COLOR_BTNFACE) : Integer(COLOR_WINDOW));
  if (State & DFCS_CHECKED)
    CheckMark(DC, Box, GetSysColor(Mixed || (State & DFCS_INACTIVE) ? Integer(COLOR_BTNSHADOW) : Integer(COLOR_WINDOWTEXT)));
}

// The round radio button: two rings split into a top-left and a
// bottom-right half, the inside, and a dot when checked.
void RadioButton(HDC DC, const TRect& R, UINT State)
{
  const TRect Box = CentredSquare(R);
  const Integer Side = Box.Width();
  if (Side <= 0)
    return;
  const double C = (Side - 1) / 2.0, Radius = Side / 2.0;
  const bool Grey = State & (DFCS_INACTIVE | DFCS_PUSHED);
  for (Integer Y = 0; Y < Side; ++Y) {
    for (Integer X = 0; X < Side; ++X) {
      const double DX = X - C, DY = Y - C, D = std::sqrt(DX * DX + DY * DY);
      if (D > Radius - 0.25)
        continue;
      const bool TopLeft = DX + DY < 0;
      Integer Sys = Grey ? COLOR_BTNFACE : COLOR_WINDOW;
      if (D > Radius - 1.25)
        Sys = TopLeft ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT;
      else if (D > Radius - 2.25)
        Sys = TopLeft ? COLOR_3DDKSHADOW : COLOR_3DLIGHT;
      else if ((State & DFCS_CHECKED) && D < Radius / 3.0)
        Sys = (State & DFCS_INACTIVE) ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT;
      FillSys(DC, TRect(Box.Left + X, Box.Top + Y, Box.Left + X + 1, Box.Top + Y + 1), Sys);
    }
  }
}

// Three groups of diagonal ridges (light, shadow, shadow) in the bottom
// corner: the right one, or the left one for a left-hand grip.
void SizeGrip(HDC DC, const TRect& R, bool LeftHand)
{
  FillSys(DC, R, COLOR_BTNFACE);
  const Integer Side = std::min(R.Width(), R.Height());
  static const Integer Colors[3] = {COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, COLOR_BTNSHADOW};
  for (Integer Group = 0; Group < 3; ++Group) {
    for (Integer K = 0; K < 3; ++K) {
      const Integer N = 4 * Group + K + 1;   // distance of the ridge from the corner
      if (N >= Side)
        continue;
      for (Integer I = 0; I <= N; ++I) {
        const Integer Y = R.Bottom - 1 - I;
        const Integer X = LeftHand ? R.Left + (N - I) : R.Right - 1 - (N - I);
        FillSys(DC, TRect(X, Y, X + 1, Y + 1), Colors[K]);
      }
    }
  }
}

void CaptionGlyph(HDC DC, const TRect& Content, UINT State)
{
  const TRect G = CentredSquare(TRect(Content.Left + 2, Content.Top + 2, Content.Right - 2, Content.Bottom - 2));
  const Integer S = G.Width();
  if (S <= 1)
    return;
  const Integer Shift = (State & (DFCS_PUSHED | DFCS_CHECKED)) ? 1 : 0;
  Glyph(State, [&](Integer Off, COLORREF Color) {
    const Integer L = G.Left + Off + Shift, T = G.Top + Off + Shift;
    switch (State & 0xFF) {
    case DFCS_CAPTIONCLOSE:
      for (Integer I = 0; I < S; ++I) {
        FillSolid(DC, TRect(L + I, T + I, L + I + 2, T + I + 1), Color);
        FillSolid(DC, TRect(L + S - 2 - I, T + I, L + S - I, T + I + 1), Color);
      }
      break;
    case DFCS_CAPTIONMIN: FillSolid(DC, TRect(L, T + S - 2, L + S, T + S), Color); break;
    case DFCS_CAPTIONMAX:
      FillSolid(DC, TRect(L, T, L + S, T + 2), Color);
      FillSolid(DC, TRect(L, T, L + 1, T + S), Color);
      FillSolid(DC, TRect(L + S - 1, T, L + S, T + S), Color);
      FillSolid(DC, TRect(L, T + S - 1, L + S, T + S), Color);
      break;
    case DFCS_CAPTIONRESTORE: {
      const Integer B = S * 2 / 3;
      for (const TPoint P : {TPoint(L + S - B, T), TPoint(L, T + S - B)}) {
        FillSolid(DC, TRect(P.X, P.Y, P.X + B, P.Y + 2), Color);
        FillSolid(DC, TRect(P.X, P.Y, P.X + 1, P.Y + B), Color);
        FillSolid(DC, TRect(P.X + B - 1, P.Y, P.X + B, P.Y + B), Color);
        FillSolid(DC, TRect(P.X, P.Y + B - 1, P.X + B, P.Y + B), Color);
      }
      break;
    }
    default: break;
    }
  });
}

// Menu glyphs are masks: black on white, as the menu code expects.
void MenuGlyph(HDC DC, const TRect& R, UINT State)
{
  FillSolid(DC, R, 0xFFFFFF);
  switch (State & 0xFF) {
  case DFCS_MENUARROW: Arrow(DC, R, TArrow::Right, 0); break;
  case DFCS_MENUARROWRIGHT: Arrow(DC, R, TArrow::Left, 0); break;
  case DFCS_MENUCHECK: CheckMark(DC, R, 0); break;
  case DFCS_MENUBULLET: {
    const TRect B = CentredSquare(R);
    const Integer D = std::max(2, B.Width() / 3);
    const Integer L = B.Left + (B.Width() - D) / 2, T = B.Top + (B.Height() - D) / 2;
    FillSolid(DC, TRect(L + 1, T, L + D - 1, T + D), 0);
    FillSolid(DC, TRect(L, T + 1, L + D, T + D - 1), 0);
    break;
  }
  default: break;
  }
}

} // namespace

bool DrawEdge(HDC DC, TRect& R, UINT Edge, UINT Flags)
{
  if (!DC || (Flags & BF_DIAGONAL))
    return false;
  TRect Inner = R;
  EdgeLine(DC, Inner, OuterLine(Edge, Flags), Flags);
  EdgeLine(DC, Inner, InnerLine(Edge, Flags), Flags);
  if (Flags & BF_MIDDLE)
    FillSys(DC, Inner, (Flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE);
  if (Flags & BF_ADJUST)
    R = Inner;
  return true;
}

bool DrawFrameControl(HDC DC, TRect& R, UINT Type, UINT State)
{
  if (!DC || R.IsEmpty())
    return false;
  switch (Type) {
  case DFC_BUTTON:
    if (State & DFCS_BUTTONPUSH) {
      const TRect Content = ButtonFace(DC, R, State);
      if (State & DFCS_ADJUSTRECT)
        R = Content;
    } else if (State & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE)) {
      RadioButton(DC, R, State);
    } else if (State & DFCS_BUTTONRADIOMASK) {
      FillSolid(DC, R, 0xFFFFFF);
    } else {
      CheckBox(DC, R, State);
    }
    return true;
  case DFC_SCROLL: {
    const UINT Kind = State & 0xFF;
    if (Kind == DFCS_SCROLLSIZEGRIP || Kind == DFCS_SCROLLSIZEGRIPRIGHT) {
      SizeGrip(DC, R, Kind == DFCS_SCROLLSIZEGRIPRIGHT);
      return true;
    }
    // A pushed scroll button goes flat, its arrow one pixel down and right.
    TRect Face = R;
    if (State & (DFCS_PUSHED | DFCS_FLAT))
      DrawEdge(DC, Face, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE | BF_FLAT | BF_ADJUST);
    else
      DrawEdge(DC, Face, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    const TArrow Dir = Kind == DFCS_SCROLLUP     ? TArrow::Up
                       : Kind == DFCS_SCROLLLEFT  ? TArrow::Left
                       : Kind == DFCS_SCROLLRIGHT ? TArrow::Right
                                                  : TArrow::Down;
    const Integer Shift = (State & DFCS_PUSHED) ? 1 : 0;
    Glyph(State, [&](Integer Off, COLORREF Color) {
      Arrow(DC, TRect(R.Left + Off + Shift, R.Top + Off + Shift, R.Right + Off + Shift, R.Bottom + Off + Shift), Dir,
            Color);
    });
    return true;
  }
  case DFC_CAPTION:
    CaptionGlyph(DC, ButtonFace(DC, R, State), State);
    return true;
  case DFC_MENU:
  case DFC_POPUPMENU:
    MenuGlyph(DC, R, State);
    return true;
  default:
    return false;
  }
}

// ---------------------------------------------------------------------------
// Cursors.

namespace {

// Reads a .cur file: the first image of the directory and its hot spot.
std::optional<QCursor> CursorFromCurFile(const QByteArray& Data)
{
  if (Data.size() < 22 || qFromLittleEndian<quint16>(Data.constData() + 2) != 2)
    return std::nullopt;
  const int HotX = qFromLittleEndian<quint16>(Data.constData() + 10);
  const int HotY = qFromLittleEndian<quint16>(Data.constData() + 12);
  QImage Image = QImage::fromData(Data, "CUR");
  if (Image.isNull())
    Image = QImage::fromData(Data, "ICO");
  if (Image.isNull())
    return std::nullopt;
  return QCursor(QPixmap::fromImage(Image), HotX, HotY);
}

} // namespace

HCURSOR LoadCursor(void*, Integer Id)
{
  static const std::pair<Integer, Qt::CursorShape> Shapes[] = {
    {IDC_ARROW, Qt::ArrowCursor}, {IDC_IBEAM, Qt::IBeamCursor}, {IDC_WAIT, Qt::WaitCursor},
    {IDC_CROSS, Qt::CrossCursor}, {IDC_UPARROW, Qt::UpArrowCursor}, {IDC_SIZENWSE, Qt::SizeFDiagCursor},
    {IDC_SIZENESW, Qt::SizeBDiagCursor}, {IDC_SIZEWE, Qt::SizeHorCursor}, {IDC_SIZENS, Qt::SizeVerCursor},
    {IDC_SIZEALL, Qt::SizeAllCursor}, {IDC_NO, Qt::ForbiddenCursor}, {IDC_HAND, Qt::PointingHandCursor},
    {IDC_APPSTARTING, Qt::BusyCursor}, {IDC_HELP, Qt::WhatsThisCursor}};
  static std::map<Integer, TCursorHandle> Loaded;
  for (const auto& [I, Shape] : Shapes)
    if (I == Id) {
      auto [It, New] = Loaded.try_emplace(Id);
      if (New)
        It->second.Cursor = QCursor(Shape);
      return &It->second;
    }
  return nullptr;
}

HCURSOR LoadCursor(void*, const String& Name)
{
  static std::map<String, TCursorHandle> Loaded;
  if (auto It = Loaded.find(Name.toUpper()); It != Loaded.end())
    return &It->second;
  std::optional<QCursor> Cursor;
  const String Base = QStringLiteral(":/cursors/") + Name;
  if (QFile Cur(Base + QStringLiteral(".cur")); Cur.open(QIODevice::ReadOnly))
    Cursor = CursorFromCurFile(Cur.readAll());
  if (!Cursor) {
    const QImage Image(Base + QStringLiteral(".png"));
    if (!Image.isNull())
      Cursor = QCursor(QPixmap::fromImage(Image), Image.text(QStringLiteral("HotSpotX")).toInt(),
                       Image.text(QStringLiteral("HotSpotY")).toInt());
  }
  if (!Cursor)
    return nullptr;
  TCursorHandle& H = Loaded[Name.toUpper()];
  H.Cursor = *Cursor;
  return &H;
}
