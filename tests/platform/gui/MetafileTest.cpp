// MetafileTest.cpp: a page recorded as EMF records, saved, loaded, replayed
// at two scales and searched for its texts.
#include "platform/gui/Metafile.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

TColor At(TImageCanvas& C, int X, int Y)
{
  const QColor Q = C.Image().pixelColor(X, Y);
  return TColor(RGB(Byte(Q.red()), Byte(Q.green()), Byte(Q.blue())));
}

quint32 U32At(const QByteArray& B, int Pos) { return qFromLittleEndian<quint32>(B.constData() + Pos); }

// The sample page: a frame, a filled box, a line, two texts (one right
// aligned, one clipped by DrawText), and a clip region.
void DrawPage(TCanvas* C)
{
  C->Pen()->SetColor(clBlack);
  C->Brush()->SetColor(clWhite);
  C->Rectangle(0, 0, 200, 100);
  C->Brush()->SetColor(clRed);
  C->FillRect(Rect(10, 10, 50, 30));
  C->Pen()->SetColor(clBlue);
  C->MoveTo(10, 40);
  C->LineTo(190, 40);
  C->Font()->SetName(QStringLiteral("Arial"));
  C->Font()->SetSize(10);
  C->Brush()->SetStyle(bsClear);
  C->TextOut(60, 12, QStringLiteral("Накладная №17"));
  TRect R(10, 60, 190, 80);
  DrawTextEx(C->Handle(), QStringLiteral("Итого: 1 250,00"), -1, R, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
  SaveDC(C->Handle());
  IntersectClipRect(C->Handle(), 150, 10, 170, 30);
  C->Brush()->SetColor(clLime);
  C->FillRect(Rect(140, 5, 180, 35));
  RestoreDC(C->Handle(), -1);
}

} // namespace

TEST(Metafile, RecordSaveLoadReplayAndSearch)
{
  TMetafile Meta;
  Meta.SetWidth(200);
  Meta.SetHeight(100);
  {
    TMetafileCanvas Canvas(&Meta, nullptr, QStringLiteral("VELMORA"), QStringLiteral("page 1"));
    DrawPage(&Canvas);
  }
  ASSERT_FALSE(Meta.Empty());
  EXPECT_EQ(Meta.Width(), 200);
  EXPECT_EQ(Meta.Height(), 100);
  EXPECT_EQ(Meta.CreatedBy(), QStringLiteral("VELMORA"));
  EXPECT_EQ(Meta.Description(), QStringLiteral("page 1"));

  // The documented header: signature, total size, record count.
  const QByteArray Bytes = Meta.SaveToBytes();
  EXPECT_EQ(U32At(Bytes, 0), 1u);
  EXPECT_EQ(U32At(Bytes, 40), 0x464D4520u);
  EXPECT_EQ(U32At(Bytes, 48), quint32(Bytes.size()));
  int Records = 0;
  UINT LastType = 0;
  Meta.Enumerate([&](const TEnhMetaRecord& R) {
    ++Records;
    LastType = R.iType;
    EXPECT_EQ(R.Bytes.size() % 4, 0);
    return true;
  });
  EXPECT_EQ(quint32(Records), U32At(Bytes, 52));
  EXPECT_EQ(LastType, UINT(EMR_EOF));
  EXPECT_EQ(Meta.Texts(), QStringList({QStringLiteral("Накладная №17"), QStringLiteral("Итого: 1 250,00")}));

  // Through a file and back.
  const QString Path = gui_test::OutputPath(QStringLiteral("page.emf"));
  Meta.SaveToFile(Path);
  TMetafile Loaded;
  Loaded.LoadFromFile(Path);
  EXPECT_EQ(Loaded.SaveToBytes(), Bytes);
  EXPECT_EQ(Loaded.Width(), 200);
  EXPECT_EQ(Loaded.Height(), 100);

  // Replayed 1:1 it matches the page drawn directly.
  TImageCanvas Direct(200, 100), Played(200, 100);
  DrawPage(&Direct);
  Played.Draw(0, 0, &Loaded);
  int Differ = 0;
  for (int Y = 0; Y < 100; ++Y)
    for (int X = 0; X < 200; ++X)
      Differ += At(Direct, X, Y) != At(Played, X, Y);
  EXPECT_LT(Differ, 20);
  EXPECT_EQ(At(Played, 10, 10), clRed);
  EXPECT_EQ(At(Played, 49, 29), clRed);
  EXPECT_EQ(At(Played, 50, 29), clWhite);
  EXPECT_EQ(At(Played, 155, 15), clLime);   // inside the clip
  EXPECT_EQ(At(Played, 175, 8), clWhite);   // outside it
  EXPECT_EQ(At(Played, 0, 0), clBlack);
  EXPECT_EQ(At(Played, 100, 40), clBlue);

  // Replayed at twice the size, every shape doubles.
  TImageCanvas Double(400, 200);
  Double.StretchDraw(Rect(0, 0, 400, 200), &Loaded);
  EXPECT_EQ(At(Double, 20, 20), clRed);
  EXPECT_EQ(At(Double, 98, 58), clRed);
  EXPECT_EQ(At(Double, 102, 62), clWhite);
  EXPECT_EQ(At(Double, 310, 30), clLime);
  EXPECT_EQ(At(Double, 350, 16), clWhite);
  EXPECT_EQ(At(Double, 200, 80), clBlue);
  gui_test::SaveImage(Played.Image(), QStringLiteral("page-1x.png"));
  gui_test::SaveImage(Double.Image(), QStringLiteral("page-2x.png"));

  // The text keeps its place: the right-aligned total ends near the right edge.
  int LastInk = -1;
  for (int X = 0; X < 390; ++X)   // left of the frame
    for (int Y = 120; Y < 160; ++Y)
      if (At(Double, X, Y) == clBlack || GetRValue(COLORREF(At(Double, X, Y))) < 100)
        LastInk = X;
  EXPECT_GT(LastInk, 360);
  EXPECT_LT(LastInk, 380);
}

// We write a clip as a reset followed by an intersection; other writers set
// it with one RGN_COPY record that carries the region, which clips as well.
TEST(Metafile, ClipRegionCopiedByOneRecordClips)
{
  TMetafile Meta;
  Meta.SetWidth(200);
  Meta.SetHeight(100);
  {
    TMetafileCanvas C(&Meta, nullptr);
    DrawPage(&C);
  }
  QByteArray Bytes = Meta.SaveToBytes();
  int Pos = int(U32At(Bytes, 4));
  int Clips = 0;
  while (Pos + 8 <= Bytes.size()) {
    const quint32 Type = U32At(Bytes, Pos), Size = U32At(Bytes, Pos + 4);
    if (Type == EMR_EXTSELECTCLIPRGN && U32At(Bytes, Pos + 8) == 0 && Pos + int(Size) + 16 <= Bytes.size() &&
        U32At(Bytes, Pos + int(Size)) == EMR_EXTSELECTCLIPRGN && U32At(Bytes, Pos + int(Size) + 8) != 0) {
      // The reset becomes a comment, the intersection a copy.
      qToLittleEndian<quint32>(EMR_GDICOMMENT, Bytes.data() + Pos);
      qToLittleEndian<quint32>(4, Bytes.data() + Pos + 8);
      qToLittleEndian<quint32>(RGN_COPY, Bytes.data() + Pos + int(Size) + 12);
      ++Clips;
    }
    Pos += int(Size);
  }
  ASSERT_EQ(Clips, 1);
  TMetafile Copied;
  Copied.LoadFromBytes(Bytes);
  TImageCanvas Played(200, 100);
  Played.Draw(0, 0, &Copied);
  EXPECT_EQ(At(Played, 155, 15), clLime);
  EXPECT_EQ(At(Played, 143, 33), clWhite);
  EXPECT_EQ(At(Played, 165, 32), clWhite);
  EXPECT_EQ(At(Played, 175, 8), clWhite);
}

TEST(Metafile, NestedMetafileIsRecordedIntoAnother)
{
  TMetafile Inner;
  Inner.SetWidth(50);
  Inner.SetHeight(50);
  {
    TMetafileCanvas C(&Inner, nullptr);
    C.Brush()->SetColor(clNavy);
    C.FillRect(Rect(0, 0, 50, 50));
    C.TextOut(2, 2, QStringLiteral("внутри"));
  }
  TMetafile Outer;
  Outer.SetWidth(100);
  Outer.SetHeight(100);
  {
    TMetafileCanvas C(&Outer, nullptr);
    C.StretchDraw(Rect(50, 50, 100, 100), &Inner);
    C.TextOut(0, 0, QStringLiteral("снаружи"));
  }
  EXPECT_EQ(Outer.Texts(), QStringList({QStringLiteral("внутри"), QStringLiteral("снаружи")}));
  TImageCanvas Out(100, 100);
  Out.Draw(0, 0, &Outer);
  EXPECT_EQ(At(Out, 75, 75), clNavy);
  EXPECT_EQ(At(Out, 25, 75), clWhite);
}

TEST(Metafile, DamagedBytesAreRefused)
{
  TMetafile M;
  EXPECT_THROW(M.LoadFromBytes(QByteArray("not a metafile at all, not at all, no")), EInvalidGraphic);
  // A valid header followed by a record whose size runs past the end stops
  // the walk instead of reading beyond the data.
  TMetafile Good;
  Good.SetWidth(10);
  Good.SetHeight(10);
  {
    TMetafileCanvas C(&Good, nullptr);
    C.TextOut(0, 0, QStringLiteral("x"));
  }
  QByteArray Bytes = Good.SaveToBytes();
  const int FirstRecord = int(U32At(Bytes, 4));
  qToLittleEndian<quint32>(0x7FFFFFF0u, Bytes.data() + FirstRecord + 4);
  M.LoadFromBytes(Bytes);
  int Seen = 0;
  M.Enumerate([&](const TEnhMetaRecord&) { ++Seen; return true; });
  EXPECT_EQ(Seen, 1);
  TImageCanvas C(10, 10);
  C.Draw(0, 0, &M);   // plays the header only, without failing
}

namespace {

// A record of the given type with these 32-bit fields; its size field says
// Declared bytes when given, else the true size.
QByteArray Record(UINT Type, std::initializer_list<quint32> Fields, quint32 Declared = 0)
{
  QByteArray B(int(8 + Fields.size() * 4), '\0');
  qToLittleEndian<quint32>(Type, B.data());
  qToLittleEndian<quint32>(Declared ? Declared : quint32(B.size()), B.data() + 4);
  int Pos = 8;
  for (quint32 F : Fields) {
    qToLittleEndian<quint32>(F, B.data() + Pos);
    Pos += 4;
  }
  return B;
}

// A stretched 1x1 bitmap record with these source rectangle, offsets and sizes.
QByteArray Picture(qint32 XSrc, qint32 YSrc, qint32 CxSrc, qint32 CySrc, quint32 OffBmi, quint32 CbBmi,
                   quint32 OffBits, quint32 CbBits, qint32 W = 1, qint32 H = 1)
{
  return Record(EMR_STRETCHDIBITS,
                {0, 0, 9, 9, 0, 0, quint32(XSrc), quint32(YSrc), quint32(CxSrc), quint32(CySrc), OffBmi, CbBmi,
                 OffBits, CbBits, 0, 0xCC0020, 10, 10,
                 40, quint32(W), quint32(H), 1 | (32u << 16), 0, 4, 0, 0, 0, 0, 0xFF0000});
}

// A font record: handle, height and turn; the face left empty.
QByteArray FontRecord(quint32 Handle, qint32 Height, qint32 Escapement)
{
  return Record(EMR_EXTCREATEFONTINDIRECTW, {Handle, quint32(Height), 0, quint32(Escapement), quint32(Escapement),
                                             400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
}

// A text record of one character at (X, Y).
QByteArray TextRecord(qint32 X, qint32 Y, char16_t Char)
{
  return Record(EMR_EXTTEXTOUTW, {0, 0, 9, 9, 1, 0, 0, quint32(X), quint32(Y), 1, 76, 0, 0, 0, 9, 9, 0, Char});
}

// Rectangles of a clip record: Strips rows across and as many columns down a
// square of Side, crossing one another.
QByteArray CrossingStrips(int Strips, int Side)
{
  std::initializer_list<quint32> None;
  QByteArray B = Record(EMR_EXTSELECTCLIPRGN, None);
  const quint32 Count = quint32(Strips) * 2;
  const auto Put = [&](quint32 V) {
    char C[4];
    qToLittleEndian<quint32>(V, C);
    B.append(C, 4);
  };
  Put(32 + Count * 16);
  Put(RGN_AND);
  for (quint32 V : {32u, 1u, Count, Count * 16, 0u, 0u, quint32(Side), quint32(Side)})
    Put(V);
  for (int I = 0; I < Strips; ++I) {
    const quint32 At = quint32(I * Side / Strips);
    for (quint32 V : {0u, At, quint32(Side), At})   // a row one unit high
      Put(V);
    for (quint32 V : {At, 0u, At, quint32(Side)})   // a column one unit wide
      Put(V);
  }
  qToLittleEndian<quint32>(quint32(B.size()), B.data() + 4);
  return B;
}

} // namespace

// Each damaged record is skipped: the page plays without reading beyond its
// bytes, the record leaves no trace when played into another metafile, and the
// text recorded after it still plays. The sound variants are played.
TEST(Metafile, DamagedRecordsAreSkipped)
{
  const quint32 Huge = 0x7FFFFFFC, Wraps = 0xFFFFFFF0;
  struct TCase {
    const char* Name;
    QByteArray Bytes;
    UINT Type;
    bool Played;
  };
  const TCase Cases[] = {
    {"sound picture", Picture(0, 0, 1, 1, 80, 40, 120, 4), EMR_STRETCHDIBITS, true},
    {"bitmap header offset near 2^31", Picture(0, 0, 1, 1, Huge, 40, 120, 4), EMR_STRETCHDIBITS, false},
    {"bitmap header offset wraps 32 bits", Picture(0, 0, 1, 1, Wraps, 40, 120, 4), EMR_STRETCHDIBITS, false},
    {"bitmap header past the record", Picture(0, 0, 1, 1, 100, 40, 120, 4), EMR_STRETCHDIBITS, false},
    {"bits offset past the end", Picture(0, 0, 1, 1, 80, 40, Huge, 4), EMR_STRETCHDIBITS, false},
    {"bits size short of the bitmap", Picture(0, 0, 1, 1, 80, 40, 120, 3), EMR_STRETCHDIBITS, false},
    {"bitmap height of -2^31", Picture(0, 0, 1, 1, 80, 40, 120, 4, 1, qint32(0x80000000)), EMR_STRETCHDIBITS,
     false},
    {"bitmap of 2^32 bytes", Picture(0, 0, 1, 1, 80, 40, 120, 0, 65536, 16384), EMR_STRETCHDIBITS, false},
    {"source rectangle past the bitmap", Picture(0, 0, 3000, 3000, 80, 40, 120, 4), EMR_STRETCHDIBITS, false},
    {"negative source origin", Picture(-5, 0, 1, 1, 80, 40, 120, 4), EMR_STRETCHDIBITS, false},
    {"sound polygon", Record(EMR_POLYGON, {0, 0, 9, 9, 3, 0, 0, 9, 0, 9, 9}), EMR_POLYGON, true},
    {"polygon points past the record", Record(EMR_POLYGON, {0, 0, 9, 9, 1000000}), EMR_POLYGON, false},
    {"polyline of 2^32-1 points", Record(EMR_POLYLINE, {0, 0, 9, 9, 0xFFFFFFFF, 1, 1, 2, 2}), EMR_POLYLINE,
     false},
    {"sound polypolyline", Record(EMR_POLYPOLYLINE, {0, 0, 9, 9, 2, 4, 2, 2, 0, 0, 9, 0, 0, 9, 9, 9}),
     EMR_POLYPOLYLINE, true},
    {"polypolyline line longer than its points",
     Record(EMR_POLYPOLYLINE, {0, 0, 9, 9, 1, 2, 0x7FFFFFFF, 0, 0, 9, 9}), EMR_POLYPOLYLINE, false},
    {"polypolyline counts past the record", Record(EMR_POLYPOLYLINE, {0, 0, 9, 9, 100000, 0}), EMR_POLYPOLYLINE,
     false},
    {"sound clip region", Record(EMR_EXTSELECTCLIPRGN, {48, RGN_AND, 32, 1, 1, 16, 0, 0, 9, 9, 0, 0, 9, 9}),
     EMR_EXTSELECTCLIPRGN, true},
    {"clip rectangles past the region",
     Record(EMR_EXTSELECTCLIPRGN, {48, RGN_AND, 32, 1, 100000, 16, 0, 0, 9, 9, 0, 0, 9, 9}),
     EMR_EXTSELECTCLIPRGN, false},
    {"clip region size wraps 32 bits",
     Record(EMR_EXTSELECTCLIPRGN, {Wraps, RGN_AND, 32, 1, 1, 16, 0, 0, 9, 9, 0, 0, 9, 9}), EMR_EXTSELECTCLIPRGN,
     false},
    {"rectangle cut short", Record(EMR_RECTANGLE, {1, 1}), EMR_RECTANGLE, false},
    {"rectangle at the ends of 32 bits", Record(EMR_RECTANGLE, {0x80000000, 0x80000000, 0x7FFFFFFF, 0x7FFFFFFF}),
     EMR_RECTANGLE, true},
    {"text string offset past the end",
     Record(EMR_EXTTEXTOUTW, {0, 0, 9, 9, 1, 0, 0, 0, 0, 1, Huge, 0, 0, 0, 9, 9, 0, 0x0041}),
     EMR_EXTTEXTOUTW, false},
    {"text of 2^30 characters",
     Record(EMR_EXTTEXTOUTW, {0, 0, 9, 9, 1, 0, 0, 0, 0, 0x40000000, 76, 0, 0, 0, 9, 9, 0, 0x0041}),
     EMR_EXTTEXTOUTW, false},
    {"font turned by -2^31 tenths of a degree",
     FontRecord(7, -12, qint32(0x80000000)) + Record(EMR_SELECTOBJECT, {7}) + TextRecord(5, 5, u'Ж'),
     EMR_EXTTEXTOUTW, true},
    {"font of the greatest height turned by 2^31-1",
     FontRecord(7, qint32(0x80000000), 0x7FFFFFFF) + Record(EMR_SELECTOBJECT, {7}) + TextRecord(5, 5, u'Ж'),
     EMR_EXTTEXTOUTW, true},
    // Qt cached this glyph (one it has no outline for) as an image of its
    // size: gigabytes, and minutes.
    {"font of the greatest height, a character drawn as a box",
     FontRecord(7, qint32(0x80000000), 0) + Record(EMR_SELECTOBJECT, {7}) + TextRecord(0, 0, u'\u0700'),
     EMR_EXTTEXTOUTW, true},
    // Joined one by one, the rectangles of this region took minutes.
    {"clip of many crossing rectangles", CrossingStrips(300, 20000), EMR_EXTSELECTCLIPRGN, true},
  };

  TMetafile Base;
  Base.SetWidth(20);
  Base.SetHeight(20);
  {
    TMetafileCanvas C(&Base, nullptr);
    C.TextOut(0, 0, QStringLiteral("после"));
  }
  const QByteArray Good = Base.SaveToBytes();
  const int HeaderSize = int(U32At(Good, 4));
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TMetafile M;
    M.LoadFromBytes(Good.left(HeaderSize) + Case.Bytes + Good.mid(HeaderSize));
    TImageCanvas Image(20, 20);
    Image.StretchDraw(Rect(0, 0, 20, 20), &M);
    TMetafile Copy;
    Copy.SetWidth(20);
    Copy.SetHeight(20);
    {
      TMetafileCanvas C(&Copy, nullptr);
      C.StretchDraw(Rect(0, 0, 20, 20), &M);
    }
    int Found = 0;
    Copy.Enumerate([&](const TEnhMetaRecord& R) {
      Found += R.iType == Case.Type;
      return true;
    });
    const int Marker = Case.Type == EMR_EXTTEXTOUTW;
    EXPECT_EQ(Found > Marker, Case.Played);
    const QStringList Texts = Copy.Texts();
    EXPECT_EQ(Texts.isEmpty() ? QString() : Texts.last(), QStringLiteral("после"));
  }
}

// Frame corners at the ends of 32 bits give a size, not an overflow.
TEST(Metafile, HugeFrameLoadsWithAPositiveSize)
{
  TMetafile Base;
  {
    TMetafileCanvas C(&Base, nullptr);
    C.TextOut(0, 0, QStringLiteral("x"));
  }
  QByteArray Bytes = Base.SaveToBytes();
  for (int Pos : {24, 28})
    qToLittleEndian<quint32>(0x80000000u, Bytes.data() + Pos);
  for (int Pos : {32, 36})
    qToLittleEndian<quint32>(0x7FFFFFFFu, Bytes.data() + Pos);
  TMetafile M;
  M.LoadFromBytes(Bytes);
  EXPECT_GT(M.Width(), 1000000);
  EXPECT_GT(M.Height(), 1000000);
}

// A turn is read as the same angle within one full turn, whatever multiple
// of it the record adds: the page plays as with the plain angle, and a copy
// carries the reduced one.
TEST(Metafile, FontTurnIsTakenWithinOneTurn)
{
  TMetafile Base;
  Base.SetWidth(60);
  Base.SetHeight(60);
  {
    TMetafileCanvas C(&Base, nullptr);
  }
  const QByteArray Empty = Base.SaveToBytes();
  const int HeaderSize = int(U32At(Empty, 4));
  const auto Page = [&](qint32 Escapement) {
    TMetafile M;
    M.LoadFromBytes(Empty.left(HeaderSize) + FontRecord(3, -24, Escapement) + Record(EMR_SELECTOBJECT, {3}) +
                    TextRecord(30, 40, u'Ж') + Empty.mid(HeaderSize));
    return M.SaveToBytes();
  };
  const auto Played = [](const QByteArray& Bytes) {
    TMetafile M;
    M.LoadFromBytes(Bytes);
    TImageCanvas C(60, 60);
    C.StretchDraw(Rect(0, 0, 60, 60), &M);
    return C.Image().copy();
  };
  const QImage Plain = Played(Page(900));
  const QImage Upright = Played(Page(0));
  ASSERT_NE(Plain, Upright);   // the turn shows
  struct TCase {
    qint32 Escapement;
    qint32 Reduced;
  };
  const TCase Cases[] = {{900 + 3600 * 7, 900}, {900 - 3600 * 500000, -2700}, {-2700, -2700},
                         {qint32(0x80000000), -848}, {0x7FFFFFFF, 847}};
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Escapement);
    const QByteArray Bytes = Page(Case.Escapement);
    if ((Case.Reduced - 900) % 3600 == 0) {
      EXPECT_EQ(Played(Bytes), Plain);
    }
    TMetafile M;
    M.LoadFromBytes(Bytes);
    TMetafile Copy;
    Copy.SetWidth(60);
    Copy.SetHeight(60);
    {
      TMetafileCanvas C(&Copy, nullptr);
      C.StretchDraw(Rect(0, 0, 60, 60), &M);
    }
    QList<qint32> Turns;
    Copy.Enumerate([&](const TEnhMetaRecord& R) {
      if (R.iType == EMR_EXTCREATEFONTINDIRECTW)
        Turns << qFromLittleEndian<qint32>(R.Bytes.constData() + 20);
      return true;
    });
    EXPECT_TRUE(Turns.contains(Case.Reduced)) << Turns.size();
  }
}
