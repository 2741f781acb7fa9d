// PrintersTest.cpp: a print job of two pages written to a PDF file.
#include "platform/gui/Printers.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

class PrintersTest : public gui_test::GuiTest {};

// The page objects of a PDF file ("/Type /Page", not "/Pages").
int PageObjects(const QByteArray& Pdf)
{
  static const QRegularExpression Page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
  return int(QString::fromLatin1(Pdf).count(Page));
}

} // namespace

TEST_F(PrintersTest, TwoPagesToAPdfFile)
{
  const QString Path = gui_test::OutputPath(QStringLiteral("printer-two-pages.pdf"));
  QFile::remove(Path);
  TPrinter P;
  P.SetFileName(Path);
  P.SetTitle(QStringLiteral("Накладная"));
  P.SetOrientation(poPortrait);
  const Integer W = P.PageWidth(), H = P.PageHeight();
  EXPECT_GT(H, W);
  P.BeginDoc();
  EXPECT_TRUE(P.Printing());
  EXPECT_EQ(P.PageNumber(), 1);
  TCanvas* C = P.Canvas();
  // A size in points is a size on paper: about a sixth of an inch for 12.
  C->Font()->SetName(QStringLiteral("Arial"));
  C->Font()->SetSize(12);
  const Integer Dpi = GetDeviceCaps(C->Handle(), LOGPIXELSY);
  EXPECT_EQ(C->Font()->PixelsPerInch(), Dpi);
  EXPECT_GT(C->TextHeight(QStringLiteral("Ж")), Dpi / 8);
  C->TextOut(Dpi, Dpi, QStringLiteral("Страница один"));
  C->Brush()->SetColor(clRed);
  C->FillRect(Rect(Dpi, 2 * Dpi, 2 * Dpi, 3 * Dpi));
  P.NewPage();
  EXPECT_EQ(P.PageNumber(), 2);
  C->TextOut(Dpi, Dpi, QStringLiteral("Страница два"));
  EXPECT_THROW(P.BeginDoc(), EPrinter);          // printing in progress
  EXPECT_THROW(P.SetOrientation(poLandscape), EPrinter);
  P.EndDoc();
  EXPECT_FALSE(P.Printing());
  EXPECT_THROW(P.NewPage(), EPrinter);           // not printing

  QFile F(Path);
  ASSERT_TRUE(F.open(QIODevice::ReadOnly));
  const QByteArray Pdf = F.readAll();
  EXPECT_TRUE(Pdf.startsWith("%PDF-"));
  EXPECT_EQ(PageObjects(Pdf), 2);
  QByteArray Title("\xFE\xFF");   // the document title, as UTF-16 text
  for (QChar Ch : QStringLiteral("Накладная"))
    Title += char(Ch.unicode() >> 8), Title += char(Ch.unicode() & 0xFF);
  EXPECT_TRUE(Pdf.contains(Title));
  const QString PdfToText = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  if (!PdfToText.isEmpty()) {
    QProcess Run;
    Run.start(PdfToText, {Path, QStringLiteral("-")});
    ASSERT_TRUE(Run.waitForFinished(60000));
    const QString Text = QString::fromUtf8(Run.readAllStandardOutput());
    const qsizetype One = Text.indexOf(QStringLiteral("Страница один"));
    const qsizetype Two = Text.indexOf(QStringLiteral("Страница два"));
    EXPECT_GE(One, 0);
    EXPECT_GT(Two, One);
    EXPECT_EQ(Text.left(Two).count(QChar(0x0C)), 1);   // a page break between them
  }

  // Landscape swaps the page's sides.
  P.SetOrientation(poLandscape);
  EXPECT_EQ(P.PageWidth(), H);
  EXPECT_EQ(P.PageHeight(), W);
}

TEST_F(PrintersTest, AbortEndsTheJob)
{
  TPrinter P;
  P.SetFileName(gui_test::OutputPath(QStringLiteral("printer-aborted.pdf")));
  P.BeginDoc();
  P.Canvas()->TextOut(10, 10, QStringLiteral("x"));
  P.Abort();
  EXPECT_TRUE(P.Aborted());
  EXPECT_FALSE(P.Printing());
  EXPECT_EQ(P.PageNumber(), 0);
  P.BeginDoc();   // a new job after an aborted one
  EXPECT_FALSE(P.Aborted());
  P.EndDoc();
}
