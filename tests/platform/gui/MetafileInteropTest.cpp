// MetafileInteropTest.cpp: our .emf files read by an outside program.
// Each page is saved, converted to PNG by LibreOffice, replayed by us at the
// same size, and the two pictures are compared shape by shape: where each
// coloured box, line and text run lies (anti-aliasing differs, places must not).
#include "platform/gui/Metafile.h"

#include "platform/gui/GraphicsQt.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

// A page: its size, its drawing, and the shapes to find in both pictures.
struct TShape {
  const char* Name;
  QRgb Color;
  TRect Area;   // where to look (page pixels)
};

struct TPage {
  const char* Name;
  Integer Width, Height;
  std::function<void(TCanvas*)> Draw;
  std::vector<TShape> Shapes;
};

constexpr QRgb Ink = 0xFF000000;   // text and frame: any dark pixel

bool Matches(QRgb Pixel, QRgb Color)
{
  if (Color == Ink)
    return qGray(Pixel) < 110;
  auto Near = [](int A, int B) { return std::abs(A - B) < 60; };
  return Near(qRed(Pixel), qRed(Color)) && Near(qGreen(Pixel), qGreen(Color)) && Near(qBlue(Pixel), qBlue(Color));
}

// The box around the pixels of a colour inside an area; empty when none.
QRect Extent(const QImage& Image, QRgb Color, const QRect& Area)
{
  QRect Found;
  const QRect A = Area.intersected(Image.rect());
  for (int Y = A.top(); Y <= A.bottom(); ++Y)
    for (int X = A.left(); X <= A.right(); ++X)
      if (Matches(Image.pixel(X, Y), Color))
        Found |= QRect(X, Y, 1, 1);
  return Found;
}

String Describe(const QRect& R)
{
  return R.isNull() ? QStringLiteral("none")
                    : QStringLiteral("(%1,%2)-(%3,%4)").arg(R.left()).arg(R.top()).arg(R.right()).arg(R.bottom());
}

// Every page has a black frame on its border; the converter places the
// picture on a sheet, so the frame tells where the page landed.
std::optional<QImage> CutPage(const QImage& Sheet, Integer Width, Integer Height)
{
  QRect Frame;
  for (int Y = 0; Y < Sheet.height(); ++Y)
    for (int X = 0; X < Sheet.width(); ++X)
      if (qGray(Sheet.pixel(X, Y)) < 245 && qAlpha(Sheet.pixel(X, Y)) > 0)
        Frame |= QRect(X, Y, 1, 1);
  if (Frame.width() != Width || Frame.height() != Height)
    return std::nullopt;
  return Sheet.copy(Frame).convertToFormat(QImage::Format_RGB32);
}

void FramedPage(TCanvas* C, Integer W, Integer H)
{
  C->Pen()->SetColor(clBlack);
  C->Brush()->SetColor(clWhite);
  C->Rectangle(0, 0, W, H);
}

// The page of the metafile test, drawn again here: frame, box, line, texts,
// and a box clipped by a rectangle inside SaveDC/RestoreDC.
void InvoicePage(TCanvas* C)
{
  FramedPage(C, 200, 100);
  C->Brush()->SetColor(clRed);
  C->FillRect(Rect(10, 10, 50, 30));
  C->Pen()->SetColor(clBlue);
  C->MoveTo(10, 40);
  C->LineTo(190, 40);
  C->Font()->SetName(QStringLiteral("Arial"));
  C->Font()->SetSize(10);
  C->Brush()->SetStyle(bsClear);
  C->TextOut(60, 12, QStringLiteral("Накладная №1"));
  TRect R(10, 60, 190, 80);
  DrawTextEx(C->Handle(), QStringLiteral("Итого: 1 250,00"), -1, R, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
  SaveDC(C->Handle());
  IntersectClipRect(C->Handle(), 150, 10, 170, 30);
  C->Brush()->SetColor(clLime);
  C->FillRect(Rect(140, 5, 180, 35));
  RestoreDC(C->Handle(), -1);
  C->Brush()->SetColor(clBlue);
  C->FillRect(Rect(150, 85, 160, 95));   // after the restore: not clipped
}

// Mapping modes, text alignment and the current position.
void MappingPage(TCanvas* C)
{
  FramedPage(C, 240, 120);
  HDC DC = C->Handle();
  SaveDC(DC);
  SetMapMode(DC, MM_ANISOTROPIC);
  SetWindowExtEx(DC, 100, 100);
  SetViewportExtEx(DC, 200, 100);
  SetViewportOrgEx(DC, 10, 10);
  C->Brush()->SetColor(clRed);
  C->FillRect(Rect(0, 0, 20, 20));        // device (10,10)-(50,30)
  RestoreDC(DC, -1);
  C->Font()->SetName(QStringLiteral("Arial"));
  C->Font()->SetSize(12);
  C->Brush()->SetStyle(bsClear);
  SetTextAlign(DC, TA_RIGHT | TA_BASELINE);
  C->TextOut(230, 40, QStringLiteral("Сумма"));
  SetTextAlign(DC, TA_LEFT | TA_TOP | TA_UPDATECP);
  MoveToEx(DC, 20, 80);
  TextOut(DC, 0, 0, QStringLiteral("Итог"));
  SetTextAlign(DC, TA_LEFT | TA_TOP);
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(clLime);
  C->FillRect(Rect(180, 80, 220, 110));
}

// A metafile drawn into another one at another size.
void NestedPage(TCanvas* C)
{
  TMetafile Inner;
  Inner.SetWidth(50);
  Inner.SetHeight(50);
  {
    TMetafileCanvas IC(&Inner, nullptr);
    IC.Brush()->SetColor(clNavy);
    IC.FillRect(Rect(0, 0, 50, 50));
    IC.Brush()->SetColor(clYellow);
    IC.FillRect(Rect(10, 10, 20, 20));
  }
  FramedPage(C, 300, 150);
  C->StretchDraw(Rect(100, 20, 200, 120), &Inner);   // twice the size
  C->Brush()->SetColor(clRed);
  C->FillRect(Rect(220, 20, 260, 40));               // after it, unscaled
}

std::vector<TPage> Pages()
{
  const QRgb Red = 0xFFFF0000, Lime = 0xFF00FF00, Blue = 0xFF0000FF, Navy = 0xFF000080, Yellow = 0xFFFFFF00;
  return {
    {"invoice", 200, 100, InvoicePage,
     {{"red box", Red, Rect(2, 2, 198, 98)},
      {"clipped green box", Lime, Rect(2, 2, 198, 98)},
      {"blue line", Blue, Rect(2, 35, 198, 45)},
      {"blue box after the restore", Blue, Rect(2, 82, 198, 98)},
      {"title text", Ink, Rect(55, 5, 148, 35)},
      {"total text", Ink, Rect(5, 55, 195, 82)}}},
    {"mapping", 240, 120, MappingPage,
     {{"box in a mapped space", Red, Rect(2, 2, 238, 118)},
      {"right-aligned text on its baseline", Ink, Rect(100, 5, 238, 60)},
      {"text at the current position", Ink, Rect(5, 62, 170, 118)},
      {"box after the mapping", Lime, Rect(2, 2, 238, 118)}}},
    {"nested", 300, 150, NestedPage,
     {{"stretched inner page", Navy, Rect(2, 2, 298, 148)},
      {"box inside it", Yellow, Rect(2, 2, 298, 148)},
      {"box after it", Red, Rect(2, 2, 298, 148)}}},
  };
}

// The converter: soffice on the PATH, run with a profile of its own so that
// it neither meets a running instance nor touches the user's.
QString Soffice() { return QStandardPaths::findExecutable(QStringLiteral("soffice")); }

bool Convert(const QStringList& Files, const QString& OutDir, QString& Log)
{
  QProcess P;
  const QString Profile = QUrl::fromLocalFile(OutDir + QStringLiteral("/profile")).toString();
  P.start(Soffice(), QStringList{QStringLiteral("-env:UserInstallation=") + Profile, QStringLiteral("--headless"),
                                 QStringLiteral("--convert-to"), QStringLiteral("png"), QStringLiteral("--outdir"),
                                 OutDir} + Files);
  const bool Done = P.waitForFinished(240000);
  Log = QString::fromLocal8Bit(P.readAllStandardOutput() + P.readAllStandardError());
  if (!Done)
    P.kill();
  return Done && P.exitCode() == 0;
}

} // namespace

TEST(MetafileInterop, OutsideProgramShowsTheSamePage)
{
  if (Soffice().isEmpty())
    GTEST_SKIP() << "soffice (LibreOffice) is not on the PATH: the outside reading of our .emf files is not checked";
  const QString Dir = gui_test::OutputPath(QStringLiteral("emf-interop"));
  QDir(Dir).removeRecursively();
  QDir().mkpath(Dir);

  const std::vector<TPage> List = Pages();
  QStringList Files;
  std::vector<QImage> Ours;
  for (const TPage& Page : List) {
    TMetafile Meta;
    Meta.SetWidth(Page.Width);
    Meta.SetHeight(Page.Height);
    {
      TMetafileCanvas C(&Meta, nullptr);
      Page.Draw(&C);
    }
    const QString File = Dir + QLatin1Char('/') + QLatin1String(Page.Name) + QStringLiteral(".emf");
    Meta.SaveToFile(File);
    Files << File;
    TImageCanvas Played(Page.Width, Page.Height);
    Played.Draw(0, 0, &Meta);
    Ours.push_back(Played.Image().convertToFormat(QImage::Format_RGB32));
    Ours.back().save(Dir + QLatin1Char('/') + QLatin1String(Page.Name) + QStringLiteral("-ours.png"));
  }
  QString Log;
  ASSERT_TRUE(Convert(Files, Dir, Log)) << Log.toStdString();

  for (std::size_t I = 0; I < List.size(); ++I) {
    const TPage& Page = List[I];
    SCOPED_TRACE(Page.Name);
    const QImage Sheet(Dir + QLatin1Char('/') + QLatin1String(Page.Name) + QStringLiteral(".png"));
    ASSERT_FALSE(Sheet.isNull()) << "no picture from the converter: " << Log.toStdString();
    const std::optional<QImage> Theirs = CutPage(Sheet, Page.Width, Page.Height);
    ASSERT_TRUE(Theirs) << "the page frame was not found at its size in the converted picture";
    Theirs->save(Dir + QLatin1Char('/') + QLatin1String(Page.Name) + QStringLiteral("-theirs.png"));
    for (const TShape& S : Page.Shapes) {
      SCOPED_TRACE(S.Name);
      const QRect Mine = Extent(Ours[I], S.Color, ToQRect(S.Area));
      const QRect Other = Extent(*Theirs, S.Color, ToQRect(S.Area));
      ASSERT_FALSE(Mine.isNull()) << "our replay lacks the shape";
      ASSERT_FALSE(Other.isNull()) << "the outside picture lacks the shape";
      const int Tolerance = S.Color == Ink ? 3 : 1;
      const bool Same = std::abs(Mine.left() - Other.left()) <= Tolerance &&
                        std::abs(Mine.top() - Other.top()) <= Tolerance &&
                        std::abs(Mine.right() - Other.right()) <= Tolerance &&
                        std::abs(Mine.bottom() - Other.bottom()) <= Tolerance;
      EXPECT_TRUE(Same) << "ours " << Describe(Mine).toStdString() << ", outside " << Describe(Other).toStdString();
    }
  }
}
