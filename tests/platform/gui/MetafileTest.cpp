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
