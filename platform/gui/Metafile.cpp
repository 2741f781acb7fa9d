// Metafile.cpp: the EMF recorder behind TMetafileCanvas and the player that
// replays records through the device-context calls onto any canvas.
#include "platform/gui/Metafile.h"

#include "platform/gui/GraphicsQt.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace {

// The reference device: 96 pixels per inch, sizes that convert exactly.
constexpr Integer RefDeviceWidth = 1920, RefDeviceHeight = 1440;
constexpr Integer RefDeviceMMWidth = 508, RefDeviceMMHeight = 381;
constexpr UINT EmfSignature = 0x464D4520;   // " EMF"
constexpr UINT HeaderSize = 108;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr UINT StockObject = 0x80000000;
constexpr UINT NULL_BRUSH = 5, NULL_PEN = 8;
// A taller font is no text a page shows; squares of it still fit 32 bits.
constexpr Integer MaxFontHeight = 1 << 15;

// Little-endian record writer.
class TRecordWriter {
public:
  explicit TRecordWriter(UINT Type) { U32(Type); U32(0); }
  TRecordWriter& U32(UINT V) { Put(&V, 4); return *this; }
  TRecordWriter& I32(Integer V) { Put(&V, 4); return *this; }
  TRecordWriter& U16(Word V) { Put(&V, 2); return *this; }
  TRecordWriter& U8(Byte V) { Put(&V, 1); return *this; }
  TRecordWriter& F32(float V) { Put(&V, 4); return *this; }
  TRecordWriter& Rect(const TRect& R) { return I32(R.Left).I32(R.Top).I32(R.Right).I32(R.Bottom); }
  TRecordWriter& Pt(TPoint P) { return I32(P.X).I32(P.Y); }
  TRecordWriter& Bytes(const QByteArray& B) { FData += B; return *this; }
  TRecordWriter& Pad() { while (FData.size() % 4) FData += char(0); return *this; }
  Integer Size() const { return Integer(FData.size()); }
  QByteArray Done()
  {
    Pad();
    const quint32 N = quint32(FData.size());
    qToLittleEndian(N, FData.data() + 4);
    return FData;
  }
private:
  void Put(const void* P, int N)
  {
    char B[4];
    std::memcpy(B, P, std::size_t(N));
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN)
      std::reverse(B, B + N);
    FData.append(B, N);
  }
  QByteArray FData;
};

// Little-endian record reader; reads past the end answer 0. Positions are
// 64-bit: offsets taken from a record may be anything up to 2^32.
class TRecordReader {
public:
  TRecordReader(const QByteArray& B, Int64 Pos = 8) : FData(B), FPos(Pos) {}
  UINT U32() { UINT V = 0; Get(&V, 4); return V; }
  Integer I32() { Integer V = 0; Get(&V, 4); return V; }
  Word U16() { Word V = 0; Get(&V, 2); return V; }
  Byte U8() { Byte V = 0; Get(&V, 1); return V; }
  float F32() { float V = 0; Get(&V, 4); return V; }
  Integer Coord() { return std::clamp(I32(), -MaxCoord, MaxCoord); }
  TRect Rect() { TRect R; R.Left = Coord(); R.Top = Coord(); R.Right = Coord(); R.Bottom = Coord(); return R; }
  TPoint Pt() { TPoint P; P.X = Coord(); P.Y = Coord(); return P; }
  void Seek(Int64 Pos) { FPos = Pos; }
  // The bytes left from the position on.
  Int64 Remaining() const { return FPos >= 0 && FPos <= FData.size() ? FData.size() - FPos : 0; }
private:
  void Get(void* P, int N)
  {
    if (N > Remaining()) {
      FPos = FData.size();
      return;
    }
    std::memcpy(P, FData.constData() + FPos, std::size_t(N));
    FPos += N;
  }
  const QByteArray& FData;
  Int64 FPos;
};

QByteArray Utf16(const String& S)
{
  QByteArray B;
  for (QChar C : S) {
    B += char(C.unicode() & 0xFF);
    B += char(C.unicode() >> 8);
  }
  return B;
}

String FromUtf16(const QByteArray& Data, Int64 Offset, Int64 Chars)
{
  String S;
  if (Offset < 0 || Chars < 0 || Offset + Chars * 2 > Data.size())
    return S;
  S.reserve(qsizetype(Chars));
  for (Int64 I = 0; I < Chars; ++I) {
    const auto* P = reinterpret_cast<const uchar*>(Data.constData() + Offset + I * 2);
    S += QChar(char16_t(P[0] | (P[1] << 8)));
  }
  return S;
}

} // namespace

void SetDesignMetrics(HDC DC, bool Value)
{
  if (DC)
    DC->DesignMetrics = Value;
}

// ---------------------------------------------------------------------------
// The recorder.

class TEmfRecorder : public TDCRecorder {
public:
  void SyncObjects(TDeviceContext& DC) override
  {
    if (!FPenValid || !(FPen == DC.State.Pen)) {
      FPen = DC.State.Pen;
      FPenValid = true;
      if (FPen.Style == psClear) {
        Select(StockObject | NULL_PEN, FPenHandle);
      } else {
        const UINT H = NewHandle();
        static const UINT Styles[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
        Add(TRecordWriter(EMR_CREATEPEN).U32(H).U32(Styles[int(FPen.Style)]).I32(FPen.Width).I32(0)
              .U32(FPen.Color).Done());
        Select(H, FPenHandle);
      }
    }
    if (!FBrushValid || !(FBrush == DC.State.Brush)) {
      FBrush = DC.State.Brush;
      FBrushValid = true;
      if (FBrush.Style == bsClear) {
        Select(StockObject | NULL_BRUSH, FBrushHandle);
      } else {
        // BS_SOLID 0, BS_HATCHED 2 with the hatch style.
        static const UINT Hatch[] = {0, 0, 0, 1, 2, 3, 4, 5};
        const bool Hatched = FBrush.Style != bsSolid;
        const UINT H = NewHandle();
        Add(TRecordWriter(EMR_CREATEBRUSHINDIRECT).U32(H).U32(Hatched ? 2 : 0).U32(FBrush.Color)
              .U32(Hatched ? Hatch[int(FBrush.Style)] : 0).Done());
        Select(H, FBrushHandle);
      }
    }
    if (!FFontValid || !(FFont == DC.State.Font)) {
      FFont = DC.State.Font;
      FFontValid = true;
      const UINT H = NewHandle();
      TRecordWriter W(EMR_EXTCREATEFONTINDIRECTW);
      W.U32(H).I32(FFont.Height).I32(0).I32(FFont.Escapement).I32(FFont.Escapement).I32(FFont.Weight)
        .U8(FFont.Italic).U8(FFont.Underline).U8(FFont.StrikeOut).U8(FFont.Charset).U8(0).U8(0)
        .U8(FFont.Quality).U8(0);
      QByteArray Face = Utf16(FFont.Face.left(31));
      Face.resize(64, '\0');
      W.Bytes(Face);
      Add(W.Done());
      Select(H, FFontHandle);
    }
  }

  void TextAlign(UINT A) override
  {
    FAlign = A;
    Add(TRecordWriter(EMR_SETTEXTALIGN).U32(A).Done());
  }
  void BkMode(Integer M) override { Add(TRecordWriter(EMR_SETBKMODE).U32(UINT(M)).Done()); }
  void BkColor(COLORREF C) override { Add(TRecordWriter(EMR_SETBKCOLOR).U32(C).Done()); }
  void TextColor(COLORREF C) override { Add(TRecordWriter(EMR_SETTEXTCOLOR).U32(C).Done()); }
  void PolyFillMode(Integer M) override { Add(TRecordWriter(EMR_SETPOLYFILLMODE).U32(UINT(M)).Done()); }
  void MoveTo(TPoint P) override { Add(TRecordWriter(EMR_MOVETOEX).Pt(P).Done()); }
  void LineTo(TPoint P) override
  {
    Extend(TRect(P.X, P.Y, P.X + 1, P.Y + 1));
    Add(TRecordWriter(EMR_LINETO).Pt(P).Done());
  }

  void Polyline(const TPoint* Points, Integer Count) override { Poly(EMR_POLYLINE, Points, Count); }
  void Polygon(const TPoint* Points, Integer Count) override { Poly(EMR_POLYGON, Points, Count); }

  void PolyPolyline(const TPoint* Points, const DWORD* Counts, Integer Polylines) override
  {
    Integer Total = 0;
    for (Integer I = 0; I < Polylines; ++I)
      Total += Integer(Counts[I]);
    const TRect B = BoundsOf(Points, Total);
    TRecordWriter W(EMR_POLYPOLYLINE);
    W.Rect(Inclusive(B)).U32(UINT(Polylines)).U32(UINT(Total));
    for (Integer I = 0; I < Polylines; ++I)
      W.U32(Counts[I]);
    for (Integer I = 0; I < Total; ++I)
      W.Pt(Points[I]);
    Add(W.Done());
  }

  void Rectangle(const TRect& R) override { Box(EMR_RECTANGLE, R); }
  void Ellipse(const TRect& R) override { Box(EMR_ELLIPSE, R); }
  void RoundRect(const TRect& R, TSize Corner) override
  {
    Extend(R);
    Add(TRecordWriter(EMR_ROUNDRECT).Rect(Inclusive(R)).I32(Corner.cx).I32(Corner.cy).Done());
  }

  void FillRect(const TRect& R) override
  {
    if (R.IsEmpty())
      return;
    Extend(R);
    TRecordWriter W(EMR_BITBLT);
    W.Rect(Inclusive(R)).I32(R.Left).I32(R.Top).I32(R.Width()).I32(R.Height()).U32(PATCOPY).I32(0).I32(0);
    W.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0);   // source transform
    W.U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    Add(W.Done());
  }

  void SetPixel(TPoint P, COLORREF C) override
  {
    Extend(TRect(P.X, P.Y, P.X + 1, P.Y + 1));
    Add(TRecordWriter(EMR_SETPIXELV).Pt(P).U32(C).Done());
  }

  void ExtTextOut(Integer X, Integer Y, UINT Options, const TRect* R, const String& Text,
                  const Integer* Dx) override
  {
    // Advances are stored for every character, as readers expect.
    std::vector<Integer> Adv(std::size_t(Text.size()), 0);
    if (Dx) {
      std::copy(Dx, Dx + Text.size(), Adv.begin());
    } else if (FMeasure) {
      std::vector<Integer> Cum;
      TSize S;
      GetTextExtentExPoint(FMeasure, Text, -1, 0, nullptr, &Cum, S);
      Integer Prev = 0;
      for (std::size_t I = 0; I < Cum.size(); ++I) {
        Adv[I] = Cum[I] - Prev;
        Prev = Cum[I];
      }
    }
    Integer Total = 0;
    for (Integer A : Adv)
      Total += A;
    const TRect Clip = R ? *R : TRect();
    const TRect Bounds = TextBounds(X, Y, Total, Options, R);
    Extend(Bounds);
    TRecordWriter W(EMR_EXTTEXTOUTW);
    const UINT OffString = 76;
    const QByteArray Str = Utf16(Text);
    const UINT OffDx = UINT(OffString + ((Str.size() + 3) / 4) * 4);
    W.Rect(Inclusive(Bounds)).U32(GM_COMPATIBLE).F32(0).F32(0);
    W.Pt(TPoint(X, Y)).U32(UINT(Text.size())).U32(OffString).U32(Options).Rect(Clip).U32(OffDx);
    W.Bytes(Str).Pad();
    for (Integer A : Adv)
      W.I32(A);
    Add(W.Done());
  }

  void StretchImage(const TRect& Dest, const QImage& Image, const TRect& Source) override
  {
    if (Image.isNull())
      return;
    Extend(Dest);
    const QImage Img = Image.convertToFormat(QImage::Format_ARGB32);
    const Integer W = Img.width(), H = Img.height();
    QByteArray Bits;
    Bits.reserve(qsizetype(W) * H * 4);
    for (Integer Y = H - 1; Y >= 0; --Y)   // bottom-up rows
      Bits.append(reinterpret_cast<const char*>(Img.constScanLine(Y)), W * 4);
    TRecordWriter Rec(EMR_STRETCHDIBITS);
    const UINT OffBmi = 80, CbBmi = 40, OffBits = OffBmi + CbBmi;
    Rec.Rect(Inclusive(Dest)).I32(Dest.Left).I32(Dest.Top).I32(Source.Left).I32(Source.Top)
      .I32(Source.Width()).I32(Source.Height()).U32(OffBmi).U32(CbBmi).U32(OffBits).U32(UINT(Bits.size()))
      .U32(0).U32(SRCCOPY).I32(Dest.Width()).I32(Dest.Height());
    Rec.U32(40).I32(W).I32(H).U16(1).U16(32).U32(0).U32(UINT(Bits.size())).I32(3780).I32(3780).U32(0).U32(0);
    Rec.Bytes(Bits);
    Add(Rec.Done());
  }

  void SaveDC() override { Add(TRecordWriter(EMR_SAVEDC).Done()); Invalidate(); }
  void RestoreDC(Integer Relative) override
  {
    Add(TRecordWriter(EMR_RESTOREDC).I32(Relative).Done());
    Invalidate();
  }

  // A new clip is written as "back to no clip", then "intersect with the
  // region". One RGN_COPY record with the region means the same, but some
  // readers (LibreOffice) take an RGN_COPY record as a reset whatever region
  // it carries, and would draw the page unclipped.
  void SelectClip(const std::optional<QRegion>& Clip) override
  {
    Add(TRecordWriter(EMR_EXTSELECTCLIPRGN).U32(0).U32(RGN_COPY).Done());
    if (!Clip)
      return;
    TRecordWriter W(EMR_EXTSELECTCLIPRGN);
    const QRegion& R = *Clip;
    const UINT Count = UINT(R.rectCount());
    W.U32(32 + Count * 16).U32(RGN_AND);
    W.U32(32).U32(1).U32(Count).U32(Count * 16).Rect(FromQRect(R.boundingRect()));
    for (const QRect& Q : R)
      W.Rect(FromQRect(Q));
    Add(W.Done());
  }

  void WorldTransform(const QTransform& T) override
  {
    Add(TRecordWriter(EMR_SETWORLDTRANSFORM).F32(float(T.m11())).F32(float(T.m12())).F32(float(T.m21()))
          .F32(float(T.m22())).F32(float(T.dx())).F32(float(T.dy())).Done());
  }

  void Mapping(const TDCState& S) override
  {
    Add(TRecordWriter(EMR_SETMAPMODE).U32(UINT(S.MapMode)).Done());
    Add(TRecordWriter(EMR_SETWINDOWORGEX).Pt(S.WindowOrg).Done());
    Add(TRecordWriter(EMR_SETVIEWPORTORGEX).Pt(S.ViewportOrg).Done());
    if (S.MapMode == MM_ANISOTROPIC || S.MapMode == MM_ISOTROPIC) {
      Add(TRecordWriter(EMR_SETWINDOWEXTEX).I32(S.WindowExt.cx).I32(S.WindowExt.cy).Done());
      Add(TRecordWriter(EMR_SETVIEWPORTEXTEX).I32(S.ViewportExt.cx).I32(S.ViewportExt.cy).Done());
    }
  }

  // The complete file: header, records, end record.
  QByteArray Finish(Integer Width, Integer Height, const String& CreatedBy, const String& Description)
  {
    FreeObjects();
    Add(TRecordWriter(EMR_EOF).U32(0).U32(16).U32(20).Done());
    if (Width <= 0 || Height <= 0) {
      Width = std::max(1, FBounds.Right);
      Height = std::max(1, FBounds.Bottom);
    }
    QByteArray Desc;
    if (!CreatedBy.isEmpty() || !Description.isEmpty())
      Desc = Utf16(CreatedBy + QChar(0) + Description + QChar(0) + QChar(0));
    const UINT DescChars = UINT(Desc.size() / 2);
    TRecordWriter H(EMR_HEADER);
    const TRect Bounds = FBounds.IsEmpty() ? TRect(0, 0, 0, 0) : Inclusive(FBounds);
    H.Rect(Bounds);
    H.I32(0).I32(0).I32(MulDiv(Width, 2540, 96) - 1).I32(MulDiv(Height, 2540, 96) - 1);
    H.U32(EmfSignature).U32(0x10000).U32(0).U32(FRecords + 1).U16(Word(FNextHandle)).U16(0);
    H.U32(DescChars).U32(DescChars ? HeaderSize : 0).U32(0);
    H.I32(RefDeviceWidth).I32(RefDeviceHeight).I32(RefDeviceMMWidth).I32(RefDeviceMMHeight);
    H.U32(0).U32(0).U32(0);
    H.I32(RefDeviceMMWidth * 1000).I32(RefDeviceMMHeight * 1000);
    H.Bytes(Desc);
    QByteArray File = H.Done() + FBody;
    const quint32 Total = quint32(File.size());
    qToLittleEndian(Total, File.data() + 48);
    return File;
  }

  HDC FMeasure = nullptr;

private:
  void Add(const QByteArray& Rec)
  {
    FBody += Rec;
    ++FRecords;
  }
  UINT NewHandle() { return FNextHandle++; }
  void Select(UINT H, UINT& Slot)
  {
    Add(TRecordWriter(EMR_SELECTOBJECT).U32(H).Done());
    if (Slot && !(Slot & StockObject))
      Add(TRecordWriter(EMR_DELETEOBJECT).U32(Slot).Done());
    Slot = H;
  }
  void FreeObjects()
  {
    for (UINT* Slot : {&FPenHandle, &FBrushHandle, &FFontHandle})
      *Slot = 0;
  }
  // After SaveDC/RestoreDC the selected objects may differ: select again.
  void Invalidate()
  {
    FPenValid = FBrushValid = FFontValid = false;
    FAlign.reset();
  }
  static TRect Inclusive(const TRect& R) { return TRect(R.Left, R.Top, R.Right - 1, R.Bottom - 1); }
  static TRect BoundsOf(const TPoint* P, Integer N)
  {
    TRect B;
    for (Integer I = 0; I < N; ++I) {
      const TRect One(P[I].X, P[I].Y, P[I].X + 1, P[I].Y + 1);
      UnionRect(B, B, One);
    }
    return B;
  }
  void Extend(const TRect& R) { UnionRect(FBounds, FBounds, R); }
  // The box the text covers, from the alignment it is drawn with.
  TRect TextBounds(Integer X, Integer Y, Integer Width, UINT Options, const TRect* R) const
  {
    if (!FMeasure)
      return R ? *R : TRect(X, Y, X + Width, Y + 1);
    const UINT Align = FAlign ? *FAlign : FMeasure->State.TextAlign;
    if (Align & TA_UPDATECP) {
      X = FMeasure->State.CurPos.X;
      Y = FMeasure->State.CurPos.Y;
    }
    TEXTMETRIC TM;
    GetTextMetrics(FMeasure, TM);
    TRect B;
    if (FMeasure->State.Font.Escapement != 0) {
      // Turned text: whatever turn, it stays within its length of the reference.
      const Integer Reach = Width + TM.tmHeight;
      B = TRect(X - Reach, Y - Reach, X + Reach, Y + Reach);
    } else {
      const Integer Left = (Align & TA_CENTER) == TA_CENTER ? X - Width / 2 : (Align & TA_RIGHT) ? X - Width : X;
      const Integer Top = (Align & TA_BASELINE) == TA_BASELINE ? Y - TM.tmAscent
                          : (Align & TA_BOTTOM)                ? Y - TM.tmHeight
                                                               : Y;
      B = TRect(Left, Top, Left + Width, Top + TM.tmHeight);
    }
    if (R && (Options & ETO_CLIPPED))
      IntersectRect(B, B, *R);
    if (R && (Options & ETO_OPAQUE))
      UnionRect(B, B, *R);
    return B;
  }
  void Poly(UINT Type, const TPoint* Points, Integer Count)
  {
    const TRect B = BoundsOf(Points, Count);
    Extend(B);
    TRecordWriter W(Type);
    W.Rect(Inclusive(B)).U32(UINT(Count));
    for (Integer I = 0; I < Count; ++I)
      W.Pt(Points[I]);
    Add(W.Done());
  }
  void Box(UINT Type, const TRect& R)
  {
    Extend(R);
    Add(TRecordWriter(Type).Rect(Inclusive(R)).Done());
  }

  QByteArray FBody;
  UINT FRecords = 0;
  UINT FNextHandle = 1;
  TRect FBounds;
  TDCPen FPen;
  TDCBrush FBrush;
  TDCFont FFont;
  bool FPenValid = false, FBrushValid = false, FFontValid = false;
  // The alignment last written, when it may differ from the context's.
  std::optional<UINT> FAlign;
  UINT FPenHandle = 0, FBrushHandle = 0, FFontHandle = 0;
};

// ---------------------------------------------------------------------------
// TMetafile.

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

void TMetafile::Assign(TPersistent* Source)
{
  if (auto* M = dynamic_cast<TMetafile*>(Source)) {
    FData = M->FData;
    FWidth = M->FWidth;
    FHeight = M->FHeight;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

void TMetafile::Clear()
{
  FData.clear();
  FWidth = FHeight = 0;
  Changed();
}

void TMetafile::SetWidth(Integer Value)
{
  if (Value == FWidth)
    return;
  FWidth = Value;
  Changed();
}

void TMetafile::SetHeight(Integer Value)
{
  if (Value == FHeight)
    return;
  FHeight = Value;
  Changed();
}

Integer TMetafile::MMWidth() const { return MulDiv(FWidth, 2540, 96); }
void TMetafile::SetMMWidth(Integer Value) { SetWidth(MulDiv(Value, 96, 2540)); }
Integer TMetafile::MMHeight() const { return MulDiv(FHeight, 2540, 96); }
void TMetafile::SetMMHeight(Integer Value) { SetHeight(MulDiv(Value, 96, 2540)); }

static String DescriptionPart(const QByteArray& Data, int Part)
{
  if (Data.size() < Integer(HeaderSize))
    return String();
  TRecordReader R(Data, 60);
  const UINT Chars = R.U32();
  const UINT Off = R.U32();
  const QStringList Parts = FromUtf16(Data, Off, Chars).split(QChar(0));
  return Part < Parts.size() ? Parts[Part] : String();
}

String TMetafile::CreatedBy() const { return DescriptionPart(FData, 0); }
String TMetafile::Description() const { return DescriptionPart(FData, 1); }

void TMetafile::LoadFromBytes(const QByteArray& Bytes)
{
  TRecordReader R(Bytes, 0);
  const UINT Type = R.U32();
  const UINT Size = R.U32();
  R.Seek(40);
  const UINT Sig = R.U32();
  if (Type != EMR_HEADER || Sig != EmfSignature || Size < 88 || Int64(Size) > Bytes.size())
    throw EInvalidGraphic(QStringLiteral("Metafile is not valid"));
  R.Seek(24);
  const TRect Frame = R.Rect();   // hundredths of a millimetre, inclusive
  FData = Bytes;
  // Sizes in 96-per-inch logical pixels.
  FWidth = MulDiv(Frame.Right - Frame.Left + 1, 96, 2540);
  FHeight = MulDiv(Frame.Bottom - Frame.Top + 1, 96, 2540);
  Changed();
}

void TMetafile::LoadFromStream(TStream* Stream)
{
  const Int64 N = Stream->Size() - Stream->Position();
  LoadFromBytes(Stream->ReadBytes(Integer(N)));
}

void TMetafile::SaveToStream(TStream* Stream) const { Stream->WriteBuffer(FData); }

void TMetafile::SetRecorded(const QByteArray& Data, Integer AWidth, Integer AHeight)
{
  FData = Data;
  FWidth = AWidth;
  FHeight = AHeight;
  Changed();
}

void TMetafile::Enumerate(const std::function<bool(const TEnhMetaRecord&)>& Proc) const
{
  qsizetype Pos = 0;
  while (Pos + 8 <= FData.size()) {
    TRecordReader R(FData, Pos);
    TEnhMetaRecord Rec;
    Rec.iType = R.U32();
    const UINT Size = R.U32();
    if (Size < 8 || Pos + Int64(Size) > FData.size() || Size % 4)
      return;   // a damaged record ends the walk
    Rec.Bytes = FData.mid(Pos, qsizetype(Size));
    if (!Proc(Rec))
      return;
    if (Rec.iType == EMR_EOF)
      return;
    Pos += qsizetype(Size);
  }
}

bool DecodeExtTextOut(const TEnhMetaRecord& Record, TEmrText& Text)
{
  if (Record.iType != EMR_EXTTEXTOUTW || Record.Bytes.size() < 76)
    return false;
  TRecordReader R(Record.Bytes, 36);
  Text.Reference = R.Pt();
  const Integer Chars = R.I32();
  const Integer Off = R.I32();
  Text.Options = R.U32();
  Text.Rect = R.Rect();
  if (Chars < 0 || Off < 0 || Off + Int64(Chars) * 2 > Record.Bytes.size())
    return false;
  Text.Text = FromUtf16(Record.Bytes, Off, Chars);
  return true;
}

QStringList TMetafile::Texts() const
{
  QStringList Out;
  Enumerate([&](const TEnhMetaRecord& Rec) {
    TEmrText T;
    if (DecodeExtTextOut(Rec, T))
      Out << T.Text;
    return true;
  });
  return Out;
}

void TMetafile::Draw(TCanvas* ACanvas, const TRect& R) { PlayEnhMetaFile(ACanvas->Handle(), *this, R); }

// ---------------------------------------------------------------------------
// TMetafileCanvas.

TMetafileCanvas::TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice)
    : TMetafileCanvas(AMetafile, ReferenceDevice, String(), String())
{
}

TMetafileCanvas::TMetafileCanvas(TMetafile* AMetafile, HDC, const String& CreatedBy, const String& Description)
    : FMetafile(AMetafile), FCreatedBy(CreatedBy), FDescription(Description),
      FDC(std::make_unique<TDeviceContext>()), FRecorder(std::make_unique<TEmfRecorder>())
{
  FDC->Size = QSize(AMetafile->Width() > 0 ? AMetafile->Width() : RefDeviceWidth,
                    AMetafile->Height() > 0 ? AMetafile->Height() : RefDeviceHeight);
  FDC->Recorder = FRecorder.get();
  FRecorder->FMeasure = FDC.get();
  SetHandle(FDC.get());
}

TMetafileCanvas::~TMetafileCanvas()
{
  SetHandle(nullptr);
  const QByteArray Data = FRecorder->Finish(FMetafile->Width(), FMetafile->Height(), FCreatedBy, FDescription);
  FMetafile->LoadFromBytes(Data);
}

// ---------------------------------------------------------------------------
// Playback.

namespace {

// The fixed part of each record the player reads; a shorter record is
// damaged and skipped.
qsizetype FixedSize(UINT Type)
{
  switch (Type) {
  case EMR_SETTEXTALIGN: case EMR_SETBKMODE: case EMR_SETBKCOLOR: case EMR_SETTEXTCOLOR:
  case EMR_SETPOLYFILLMODE: case EMR_SETMAPMODE: case EMR_SELECTOBJECT: case EMR_DELETEOBJECT:
  case EMR_RESTOREDC:
    return 12;
  case EMR_MOVETOEX: case EMR_LINETO: case EMR_SETWINDOWORGEX: case EMR_SETVIEWPORTORGEX:
  case EMR_SETWINDOWEXTEX: case EMR_SETVIEWPORTEXTEX: case EMR_EXTSELECTCLIPRGN:
    return 16;
  case EMR_SETPIXELV: return 20;
  case EMR_RECTANGLE: case EMR_ELLIPSE: case EMR_INTERSECTCLIPRECT: case EMR_CREATEBRUSHINDIRECT: return 24;
  case EMR_POLYLINE: case EMR_POLYGON: case EMR_CREATEPEN: return 28;
  case EMR_POLYPOLYLINE: case EMR_ROUNDRECT: case EMR_SETWORLDTRANSFORM: return 32;
  case EMR_MODIFYWORLDTRANSFORM: return 36;
  case EMR_EXTTEXTOUTW: return 76;
  case EMR_STRETCHDIBITS: return 80;
  case EMR_BITBLT: return 100;
  case EMR_EXTCREATEFONTINDIRECTW: return 104;
  default: return 8;
  }
}

bool Finite(const QTransform& T)
{
  return std::isfinite(T.m11()) && std::isfinite(T.m12()) && std::isfinite(T.m13()) &&
         std::isfinite(T.m21()) && std::isfinite(T.m22()) && std::isfinite(T.m23()) &&
         std::isfinite(T.m31()) && std::isfinite(T.m32()) && std::isfinite(T.m33());
}

struct TPlayObject {
  enum { None, Pen, Brush, Font } Kind = None;
  TDCPen PenValue;
  TDCBrush BrushValue;
  TDCFont FontValue;
};

class TPlayer {
public:
  TPlayer(HDC DC, const TMetafile& M, const TRect& R) : FDC(DC), FMeta(M)
  {
    const double SX = M.Width() > 0 ? double(R.Width()) / M.Width() : 1.0;
    const double SY = M.Height() > 0 ? double(R.Height()) / M.Height() : 1.0;
    FBase = QTransform(SX, 0, 0, SY, R.Left, R.Top) * DC->DeviceTransform();
    FBaseClip = DC->State.Clip;
  }

  void Run()
  {
    SaveDC(FDC);
    TDCRecorder* Rec = FDC->Recorder;
    FDC->State.MapMode = MM_TEXT;
    FDC->State.WindowOrg = FDC->State.ViewportOrg = TPoint();
    FDC->State.Layout = 0;
    FDC->State.GraphicsMode = GM_ADVANCED;
    FDC->State.TextAlign = TA_LEFT | TA_TOP;
    FDC->State.BkMode = OPAQUE;
    FDC->State.BkColor = 0xFFFFFF;
    FDC->State.TextColor = 0;
    FDC->State.Pen = TDCPen();
    FDC->State.Brush = TDCBrush();
    FDC->State.Font = TDCFont();
    if (Rec) {
      // Recording into another metafile: the state is written as records.
      Rec->TextAlign(FDC->State.TextAlign);
      Rec->BkMode(FDC->State.BkMode);
      Rec->BkColor(FDC->State.BkColor);
      Rec->TextColor(FDC->State.TextColor);
    }
    UpdateTransform();
    FMeta.Enumerate([this](const TEnhMetaRecord& R) {
      Play(R);
      return true;
    });
    RestoreDC(FDC, -1);
  }

private:
  QTransform Mapping() const
  {
    QTransform Map = QTransform::fromTranslate(FViewportOrg.X - FWindowOrg.X, FViewportOrg.Y - FWindowOrg.Y);
    if ((FMapMode == MM_ANISOTROPIC || FMapMode == MM_ISOTROPIC) && FWindowExt.cx && FWindowExt.cy) {
      const double SX = double(FViewportExt.cx) / FWindowExt.cx;
      const double SY = double(FViewportExt.cy) / FWindowExt.cy;
      Map = QTransform(SX, 0, 0, SY, FViewportOrg.X - FWindowOrg.X * SX, FViewportOrg.Y - FWindowOrg.Y * SY);
    }
    return Map;
  }

  void UpdateTransform()
  {
    FDC->State.World = FWorld * Mapping() * FBase;
    FDC->ApplyState();
    if (FDC->Recorder)
      FDC->Recorder->WorldTransform(FDC->State.World);
  }

  void SelectObject(UINT H)
  {
    if (H & StockObject) {
      if ((H & 0xFF) == NULL_PEN)
        FDC->State.Pen.Style = psClear;
      else if ((H & 0xFF) == NULL_BRUSH)
        FDC->State.Brush.Style = bsClear;
      return;
    }
    auto It = FObjects.find(H);
    if (It == FObjects.end())
      return;
    switch (It->second.Kind) {
    case TPlayObject::Pen: FDC->State.Pen = It->second.PenValue; break;
    case TPlayObject::Brush: FDC->State.Brush = It->second.BrushValue; break;
    case TPlayObject::Font: FDC->State.Font = It->second.FontValue; break;
    default: break;
    }
  }

  // Count points, when the record holds them all.
  static bool Points(TRecordReader& R, Int64 Count, std::vector<TPoint>& P)
  {
    if (Count * 8 > R.Remaining())
      return false;
    P.reserve(std::size_t(Count));
    for (Int64 I = 0; I < Count; ++I)
      P.push_back(R.Pt());
    return true;
  }

  void Play(const TEnhMetaRecord& Rec)
  {
    if (Rec.Bytes.size() < FixedSize(Rec.iType))
      return;
    TRecordReader R(Rec.Bytes);
    switch (Rec.iType) {
    case EMR_SETTEXTALIGN: SetTextAlign(FDC, R.U32()); break;
    case EMR_SETBKMODE: SetBkMode(FDC, Integer(R.U32())); break;
    case EMR_SETBKCOLOR: SetBkColor(FDC, R.U32()); break;
    case EMR_SETTEXTCOLOR: SetTextColor(FDC, R.U32()); break;
    case EMR_SETPOLYFILLMODE: SetPolyFillMode(FDC, Integer(R.U32())); break;
    case EMR_MOVETOEX: { const TPoint P = R.Pt(); MoveToEx(FDC, P.X, P.Y); break; }
    case EMR_LINETO: { const TPoint P = R.Pt(); LineTo(FDC, P.X, P.Y); break; }
    case EMR_POLYLINE: case EMR_POLYGON: {
      R.Rect();
      std::vector<TPoint> P;
      if (!Points(R, R.U32(), P))
        break;
      if (Rec.iType == EMR_POLYLINE)
        Polyline(FDC, P.data(), Integer(P.size()));
      else
        Polygon(FDC, P.data(), Integer(P.size()));
      break;
    }
    case EMR_POLYPOLYLINE: {
      R.Rect();
      const Int64 Lines = R.U32();
      const Int64 Total = R.U32();
      if (Lines * 4 > R.Remaining())
        break;
      std::vector<DWORD> Counts;
      Int64 Sum = 0;
      for (Int64 I = 0; I < Lines; ++I) {
        Counts.push_back(R.U32());
        Sum += Counts.back();
      }
      // Lines longer than the points given would be drawn from beyond them.
      std::vector<TPoint> P;
      if (Sum != Total || !Points(R, Total, P))
        break;
      PolyPolyline(FDC, P.data(), Counts.data(), Integer(Lines));
      break;
    }
    case EMR_RECTANGLE: { const TRect B = R.Rect(); Rectangle(FDC, B.Left, B.Top, B.Right + 1, B.Bottom + 1); break; }
    case EMR_ELLIPSE: { const TRect B = R.Rect(); Ellipse(FDC, B.Left, B.Top, B.Right + 1, B.Bottom + 1); break; }
    case EMR_ROUNDRECT: {
      const TRect B = R.Rect();
      const Integer W = R.Coord(), H = R.Coord();
      RoundRect(FDC, B.Left, B.Top, B.Right + 1, B.Bottom + 1, W, H);
      break;
    }
    case EMR_BITBLT: PlayBitBlt(R); break;
    case EMR_SETPIXELV: { const TPoint P = R.Pt(); SetPixel(FDC, P.X, P.Y, R.U32()); break; }
    case EMR_EXTTEXTOUTW: PlayText(Rec); break;
    case EMR_STRETCHDIBITS: PlayImage(Rec); break;
    case EMR_SAVEDC: SaveDC(FDC); FSaved.push_back({FWorld, FMapMode, FWindowOrg, FViewportOrg, FWindowExt, FViewportExt}); break;
    case EMR_RESTOREDC: {
      const Integer Rel = R.I32();
      const Integer Keep = Integer(FSaved.size()) + Rel;
      // A restore past the metafile's own saves would undo the player's.
      if (Rel >= 0 || Keep < 0)
        break;
      RestoreDC(FDC, Rel);
      {
        const TSavedMap& S = FSaved[std::size_t(Keep)];
        FWorld = S.World; FMapMode = S.MapMode; FWindowOrg = S.WindowOrg; FViewportOrg = S.ViewportOrg;
        FWindowExt = S.WindowExt; FViewportExt = S.ViewportExt;
        FSaved.resize(std::size_t(Keep));
      }
      UpdateTransform();
      break;
    }
    case EMR_SETWORLDTRANSFORM: {
      const float A = R.F32(), B = R.F32(), C = R.F32(), D = R.F32(), E = R.F32(), F = R.F32();
      const QTransform T(A, B, C, D, E, F);
      if (!Finite(T))
        break;
      FWorld = T;
      UpdateTransform();
      break;
    }
    case EMR_MODIFYWORLDTRANSFORM: {
      const float A = R.F32(), B = R.F32(), C = R.F32(), D = R.F32(), E = R.F32(), F = R.F32();
      const UINT Mode = R.U32();
      const QTransform T(A, B, C, D, E, F);
      QTransform World = FWorld;
      if (Mode == MWT_IDENTITY)
        World = QTransform();
      else if (Mode == MWT_LEFTMULTIPLY)
        World = T * FWorld;
      else if (Mode == MWT_RIGHTMULTIPLY)
        World = FWorld * T;
      if (!Finite(World))
        break;
      FWorld = World;
      UpdateTransform();
      break;
    }
    case EMR_SETMAPMODE: FMapMode = Integer(R.U32()); UpdateTransform(); break;
    case EMR_SETWINDOWORGEX: FWindowOrg = R.Pt(); UpdateTransform(); break;
    case EMR_SETVIEWPORTORGEX: FViewportOrg = R.Pt(); UpdateTransform(); break;
    case EMR_SETWINDOWEXTEX: { const TPoint P = R.Pt(); FWindowExt = TSize(P.X, P.Y); UpdateTransform(); break; }
    case EMR_SETVIEWPORTEXTEX: { const TPoint P = R.Pt(); FViewportExt = TSize(P.X, P.Y); UpdateTransform(); break; }
    case EMR_EXTSELECTCLIPRGN: PlayClip(R); break;
    case EMR_INTERSECTCLIPRECT: { const TRect C = R.Rect(); IntersectClipRect(FDC, C.Left, C.Top, C.Right, C.Bottom); break; }
    case EMR_CREATEPEN: {
      const UINT H = R.U32();
      TPlayObject O;
      O.Kind = TPlayObject::Pen;
      const UINT Style = R.U32() & 0xF;
      O.PenValue.Style = Style <= UINT(psInsideFrame) ? TPenStyle(Style) : psSolid;
      O.PenValue.Width = R.Coord();
      R.I32();
      O.PenValue.Color = R.U32() & 0xFFFFFF;
      FObjects[H] = O;
      break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
      const UINT H = R.U32();
      TPlayObject O;
      O.Kind = TPlayObject::Brush;
      const UINT Style = R.U32();
      O.BrushValue.Color = R.U32() & 0xFFFFFF;
      const UINT Hatch = R.U32();
      static const TBrushStyle Hatches[] = {bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross};
      O.BrushValue.Style = Style == 1 ? bsClear : Style == 2 && Hatch < 6 ? Hatches[Hatch] : bsSolid;
      FObjects[H] = O;
      break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
      const UINT H = R.U32();
      TPlayObject O;
      O.Kind = TPlayObject::Font;
      TDCFont& F = O.FontValue;
      F.Height = std::clamp(R.I32(), -MaxFontHeight, MaxFontHeight);
      R.I32();
      F.Escapement = R.I32() % 3600;   // a turn is a turn: the same angle, small
      R.I32();
      F.Weight = R.I32();
      F.Italic = R.U8();
      F.Underline = R.U8();
      F.StrikeOut = R.U8();
      F.Charset = R.U8();
      R.U8(); R.U8();
      F.Quality = R.U8();
      R.U8();
      F.Face = FromUtf16(Rec.Bytes, 12 + 28, 32);
      F.Face.truncate(F.Face.indexOf(QChar(0)) < 0 ? F.Face.size() : F.Face.indexOf(QChar(0)));
      FObjects[H] = O;
      break;
    }
    case EMR_SELECTOBJECT: SelectObject(R.U32()); break;
    case EMR_DELETEOBJECT: FObjects.erase(R.U32()); break;
    default: break;   // records we neither write nor need are skipped
    }
  }

  void PlayBitBlt(TRecordReader& R)
  {
    R.Rect();
    const Integer X = R.Coord(), Y = R.Coord(), W = R.Coord(), H = R.Coord();
    const DWORD Rop = R.U32();
    if (Rop != PATCOPY || !FDC->BrushVisible())
      return;
    if (FDC->Recorder) {
      FDC->Recorder->SyncObjects(*FDC);
      FDC->Recorder->FillRect(TRect(X, Y, X + W, Y + H));
    }
    if (FDC->Painter && FDC->Painter->isActive())
      FDC->Painter->fillRect(QRect(X, Y, W, H), FDC->Brush());
  }

  void PlayText(const TEnhMetaRecord& Rec)
  {
    TEmrText T;
    if (!DecodeExtTextOut(Rec, T))
      return;
    TRecordReader R(Rec.Bytes, 72);
    const UINT OffDx = R.U32();
    std::vector<Integer> Dx;
    if (OffDx && OffDx + Int64(T.Text.size()) * 4 <= Rec.Bytes.size()) {
      TRecordReader D(Rec.Bytes, OffDx);
      for (qsizetype I = 0; I < T.Text.size(); ++I)
        Dx.push_back(D.I32());
    }
    const bool HasRect = T.Options & (ETO_CLIPPED | ETO_OPAQUE);
    // The advances are the recording font's; text drawn at another scale
    // keeps its own shaping, so they are only used when the record needs them.
    ExtTextOut(FDC, T.Reference.X, T.Reference.Y, T.Options, HasRect ? &T.Rect : nullptr, T.Text, nullptr);
  }

  void PlayImage(const TEnhMetaRecord& Rec)
  {
    TRecordReader R(Rec.Bytes, 24);
    const Integer XDest = R.Coord(), YDest = R.Coord();
    const Integer XSrc = R.I32(), YSrc = R.I32(), CxSrc = R.I32(), CySrc = R.I32();
    const Int64 OffBmi = R.U32(), CbBmi = R.U32();
    const Int64 OffBits = R.U32(), CbBits = R.U32();
    R.U32(); R.U32();
    const Integer CxDest = R.Coord(), CyDest = R.Coord();
    // The bitmap header (at least the 40 bytes read here) within the record.
    if (CbBmi < 40 || OffBmi + CbBmi > Rec.Bytes.size())
      return;
    TRecordReader B(Rec.Bytes, OffBmi);
    B.U32();
    const Integer W = B.I32(), H = B.I32();
    B.U16();
    const Word Bpp = B.U16();
    if (Bpp != 32 || W <= 0 || W > 65536 || H == 0 || H < -65536 || H > 65536)
      return;
    const Integer Rows = std::abs(H);
    const Int64 RowBytes = Int64(W) * 4;
    if (CbBits < RowBytes * Rows || OffBits + RowBytes * Rows > Rec.Bytes.size())
      return;
    // A source beyond the bitmap would be made up of blank pixels, as many
    // as the record says.
    if (XSrc < 0 || YSrc < 0 || CxSrc <= 0 || CySrc <= 0 || Int64(XSrc) + CxSrc > W || Int64(YSrc) + CySrc > Rows)
      return;
    QImage Img(W, Rows, QImage::Format_ARGB32);
    if (Img.isNull())
      return;
    for (Integer Y = 0; Y < Rows; ++Y) {
      const Integer SrcRow = H > 0 ? Rows - 1 - Y : Y;
      std::memcpy(Img.scanLine(Y), Rec.Bytes.constData() + OffBits + SrcRow * RowBytes, std::size_t(RowBytes));
    }
    const QImage Part = Img.copy(XSrc, YSrc, CxSrc, CySrc);
    const TRect Dest(XDest, YDest, XDest + CxDest, YDest + CyDest);
    if (FDC->Recorder)
      FDC->Recorder->StretchImage(Dest, Part, TRect(0, 0, Part.width(), Part.height()));
    if (FDC->Painter && FDC->Painter->isActive())
      FDC->Painter->drawImage(ToQRect(Dest), Part);
  }

  void PlayClip(TRecordReader& R)
  {
    const Int64 Cb = R.U32();
    const UINT Mode = R.U32();
    if (Cb == 0) {
      // Back to the clip the metafile was played into.
      FDC->State.Clip = FBaseClip;
      FDC->ApplyState();
      if (FDC->Recorder)
        FDC->Recorder->SelectClip(FDC->State.Clip);
      return;
    }
    // The region data: a 32-byte header, then Count rectangles.
    if (Cb < 32 || Cb > R.Remaining())
      return;
    R.U32(); R.U32();
    const Int64 Count = R.U32();
    R.U32();
    R.Rect();
    if (Count * 16 > Cb - 32 || Count > 100000)
      return;
    // Metafile device units to the target's device units. The rectangles are
    // joined pairwise: added one by one, each would cost the whole region so
    // far, and a damaged record of many would play for minutes.
    std::vector<QRegion> Parts;
    Parts.reserve(std::size_t(Count));
    for (Int64 I = 0; I < Count; ++I)
      Parts.emplace_back(FBase.mapRect(ToQRect(R.Rect())));
    for (std::size_t Step = 1; Step < Parts.size(); Step *= 2)
      for (std::size_t I = 0; I + Step < Parts.size(); I += 2 * Step)
        Parts[I] += Parts[I + Step];
    QRegion Mapped = Parts.empty() ? QRegion() : Parts.front();
    if (FBaseClip)
      Mapped &= *FBaseClip;
    HRGN H = CreateRectRgn(0, 0, 0, 0);
    SetRegionOfHandle(H, Mapped);
    ExtSelectClipRgn(FDC, H, Integer(Mode));
    DeleteObject(H);
  }

  struct TSavedMap {
    QTransform World;
    Integer MapMode;
    TPoint WindowOrg, ViewportOrg;
    TSize WindowExt, ViewportExt;
  };

  HDC FDC;
  const TMetafile& FMeta;
  QTransform FBase;
  std::optional<QRegion> FBaseClip;
  QTransform FWorld;
  Integer FMapMode = MM_TEXT;
  TPoint FWindowOrg, FViewportOrg;
  TSize FWindowExt{1, 1}, FViewportExt{1, 1};
  std::map<UINT, TPlayObject> FObjects;
  std::vector<TSavedMap> FSaved;
};

} // namespace

bool PlayEnhMetaFile(HDC DC, const TMetafile& Metafile, const TRect& R)
{
  if (!DC || Metafile.Empty())
    return false;
  TPlayer(DC, Metafile, R).Run();
  return true;
}
