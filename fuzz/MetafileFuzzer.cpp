// MetafileFuzzer.cpp: feeds .emf bytes to the metafile loader, walks the
// records, and plays them onto an image at two scales and into a second
// metafile, which is played in turn.
//
// With VELMORA_WRITE_SEEDS=<folder> it writes the seed corpus (pages recorded
// by our own metafile canvas) into that folder and exits.
#include "platform/gui/Metafile.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

using TPage = void (*)(TCanvas* C);

void Shapes(TCanvas* C)
{
  C->Pen()->SetColor(clBlack);
  C->Brush()->SetColor(clWhite);
  C->Rectangle(0, 0, 200, 100);
  C->Pen()->SetStyle(psDash);
  C->Pen()->SetWidth(3);
  C->Ellipse(10, 10, 60, 40);
  C->Brush()->SetStyle(bsDiagCross);
  C->RoundRect(70, 10, 120, 40, 8, 8);
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(clRed);
  C->FillRect(Rect(130, 10, 190, 40));
  C->Pen()->SetStyle(psSolid);
  C->Pen()->SetWidth(1);
  C->MoveTo(10, 50);
  C->LineTo(190, 50);
  C->Polyline({TPoint(10, 60), TPoint(50, 90), TPoint(90, 60)});
  C->Polygon({TPoint(100, 60), TPoint(140, 90), TPoint(180, 60)});
  const TPoint Points[] = {TPoint(5, 5), TPoint(15, 5), TPoint(15, 15), TPoint(25, 25), TPoint(35, 25)};
  const DWORD Counts[] = {3, 2};
  PolyPolyline(C->Handle(), Points, Counts, 2);
  C->SetPixels(3, 3, clBlue);
}

void Texts(TCanvas* C)
{
  C->Font()->SetName(QStringLiteral("Arial"));
  C->Font()->SetSize(10);
  C->TextOut(5, 5, QStringLiteral("Накладная №17"));
  C->Font()->SetStyle({fsBold, fsItalic, fsUnderline});
  C->Brush()->SetStyle(bsClear);
  TRect R(10, 40, 190, 60);
  DrawTextEx(C->Handle(), QStringLiteral("Итого: 1 250,00"), -1, R, DT_RIGHT | DT_SINGLELINE);
  TRect Box(10, 70, 60, 90);
  ExtTextOut(C->Handle(), 12, 72, ETO_CLIPPED | ETO_OPAQUE, &Box, QStringLiteral("обрезано по рамке"), nullptr);
  C->Font()->SetOrientation(900);
  C->TextOut(150, 90, QStringLiteral("вверх"));
}

void ClipsAndMapping(TCanvas* C)
{
  HDC DC = C->Handle();
  SaveDC(DC);
  IntersectClipRect(DC, 20, 20, 80, 60);
  C->Brush()->SetColor(clLime);
  C->FillRect(Rect(0, 0, 100, 100));
  RestoreDC(DC, -1);
  SaveDC(DC);
  SetMapMode(DC, MM_ANISOTROPIC);
  SetWindowExtEx(DC, 1000, 1000);
  SetViewportExtEx(DC, 100, 100);
  SetViewportOrgEx(DC, 100, 0);
  C->Rectangle(0, 0, 500, 500);
  RestoreDC(DC, -1);
  SetGraphicsMode(DC, GM_ADVANCED);
  XFORM X;
  X.eM11 = 0.5f;
  X.eM22 = 2.0f;
  X.eDx = 10;
  SetWorldTransform(DC, X);
  C->Ellipse(0, 0, 40, 20);
  ModifyWorldTransform(DC, nullptr, MWT_IDENTITY);
}

void Image(TCanvas* C)
{
  TBitmap B(7, 5);
  B.Canvas()->Brush()->SetColor(clYellow);
  B.Canvas()->FillRect(Rect(0, 0, 7, 5));
  B.Canvas()->SetPixels(1, 1, clMaroon);
  C->Draw(3, 3, &B);
  C->StretchDraw(Rect(20, 20, 90, 70), &B);
}

void Nested(TCanvas* C)
{
  TMetafile Inner;
  Inner.SetWidth(50);
  Inner.SetHeight(50);
  {
    TMetafileCanvas IC(&Inner, nullptr);
    Shapes(&IC);
    Texts(&IC);
  }
  C->StretchDraw(Rect(50, 50, 100, 100), &Inner);
}

void WriteSeeds(const QString& Folder)
{
  const struct { const char* Name; TPage Page; } Pages[] = {
    {"shapes", Shapes}, {"texts", Texts}, {"clips_mapping", ClipsAndMapping}, {"image", Image}, {"nested", Nested}};
  QDir().mkpath(Folder);
  for (const auto& P : Pages) {
    TMetafile M;
    M.SetWidth(200);
    M.SetHeight(100);
    {
      TMetafileCanvas C(&M, nullptr, QStringLiteral("VELMORA"), QString::fromLatin1(P.Name));
      P.Page(&C);
    }
    QFile F(Folder + QLatin1Char('/') + QString::fromLatin1(P.Name));
    if (F.open(QIODevice::WriteOnly))
      F.write(M.SaveToBytes());
  }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* Argc, char*** Argv)
{
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static QGuiApplication App(*Argc, *Argv);
  const QByteArray Seeds = qgetenv("VELMORA_WRITE_SEEDS");
  if (!Seeds.isEmpty()) {
    WriteSeeds(QString::fromLocal8Bit(Seeds));
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
  const QByteArray Bytes(reinterpret_cast<const char*>(Data), qsizetype(Size));
  TMetafile M;
  try {
    M.LoadFromBytes(Bytes);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  M.CreatedBy();
  M.Description();
  M.Texts();
  M.Enumerate([](const TEnhMetaRecord& R) {
    TEmrText T;
    DecodeExtTextOut(R, T);
    return true;
  });
  TImageCanvas Small(64, 48), Large(256, 192);
  Small.StretchDraw(Rect(0, 0, 64, 48), &M);
  Large.StretchDraw(Rect(-10, 5, 240, 180), &M);
  // Played into another metafile, whose records are played in turn.
  TMetafile Copy;
  Copy.SetWidth(64);
  Copy.SetHeight(48);
  {
    TMetafileCanvas C(&Copy, nullptr);
    C.StretchDraw(Rect(0, 0, 64, 48), &M);
  }
  Small.StretchDraw(Rect(0, 0, 64, 48), &Copy);
  return 0;
}
