// Printers.cpp: the printer over QPrinter; the page canvas draws with the
// printer's resolution.
#include "platform/gui/Printers.h"

#include "platform/gui/GraphicsQt.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

// The canvas of the printed pages.
class TPrinterCanvas : public TCanvas {
public:
  TPrinterCanvas(QPrinter* APrinter) : FPrinter(APrinter) {}
  ~TPrinterCanvas() override { End(); }
  void Begin()
  {
    FPainter = std::make_unique<QPainter>();
    if (!FPainter->begin(FPrinter))
      throw EPrinter(QStringLiteral("Printer selected is not valid"));
    const QRect Page = FPrinter->pageLayout().paintRectPixels(FPrinter->resolution());
    FDC = std::make_unique<TDeviceContext>(FPainter.get(), Page.size());
    FDC->DpiX = FDC->DpiY = FPrinter->resolution();
    SetHandle(FDC.get());
    // Sizes in points measure at the printer's resolution; the font keeps
    // its size rather than shrinking to screen pixels on the page.
    const Integer Size = Font()->Size();
    Font()->SetPixelsPerInch(FPrinter->resolution());
    Font()->SetSize(Size);
  }
  void End()
  {
    SetHandle(nullptr);
    if (FPainter && FPainter->isActive())
      FPainter->end();
    FDC.reset();
    FPainter.reset();
  }
  QPainter* Painter() const { return FPainter.get(); }
private:
  QPrinter* FPrinter;
  std::unique_ptr<QPainter> FPainter;
  std::unique_ptr<TDeviceContext> FDC;
};

} // namespace

TPrinter::TPrinter()
{
  if (!QPrinterInfo::availablePrinterNames().isEmpty())
    SetPrinterIndex(std::max(0, Integer(QPrinterInfo::availablePrinterNames().indexOf(QPrinterInfo::defaultPrinterName()))));
}

TPrinter::~TPrinter()
{
  if (FPrinting)
    Abort();
}

QStringList TPrinter::Printers() const { return QPrinterInfo::availablePrinterNames(); }

void TPrinter::CheckPrinting(bool Value) const
{
  if (FPrinting == Value)
    return;
  throw EPrinter(Value ? QStringLiteral("Printer is not currently printing") : QStringLiteral("Printing in progress"));
}

void TPrinter::SetPrinterIndex(Integer Value)
{
  CheckPrinting(false);
  const QStringList Names = Printers();
  if (Value < -1 || Value >= Names.size())
    throw EPrinter(QStringLiteral("Printer index out of range"));
  FPrinterIndex = Value;
  FPrinter.reset();
  FCanvas.reset();
  if (Value < 0)
    return;
  FPrinter = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(Names[Value]), QPrinter::HighResolution);
  SetOrientation(FOrientation);
}

void TPrinter::SetOrientation(TPrinterOrientation Value)
{
  CheckPrinting(false);
  FOrientation = Value;
  for (QPrinter* P : {FPrinter.get(), FFilePrinter.get()})
    if (P)
      P->setPageOrientation(Value == poPortrait ? QPageLayout::Portrait : QPageLayout::Landscape);
}

void TPrinter::SetFileName(const String& Value)
{
  CheckPrinting(false);
  FFileName = Value;
  FFilePrinter.reset();
  if (Value.isEmpty())
    return;
  FFilePrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
  FFilePrinter->setOutputFormat(QPrinter::PdfFormat);
  FFilePrinter->setOutputFileName(Value);
  if (FPrinter)
    FFilePrinter->setPageLayout(FPrinter->pageLayout());
  SetOrientation(FOrientation);
}

QPrinter* TPrinter::Device() { return FFilePrinter ? FFilePrinter.get() : FPrinter.get(); }

void TPrinter::BeginDoc()
{
  CheckPrinting(false);
  QPrinter* P = Device();
  if (!P)
    throw EPrinter(QStringLiteral("There is no default printer currently selected"));
  P->setDocName(FTitle);
  P->setCopyCount(FCopies);
  auto Canvas = std::make_unique<TPrinterCanvas>(P);
  Canvas->Begin();
  FCanvas = std::move(Canvas);
  FPrinting = true;
  FAborted = false;
  FPageNumber = 1;
}

void TPrinter::EndDoc()
{
  CheckPrinting(true);
  static_cast<TPrinterCanvas*>(FCanvas.get())->End();
  FPrinting = false;
  FPageNumber = 0;
}

void TPrinter::NewPage()
{
  CheckPrinting(true);
  FCanvas->Refresh();
  Device()->newPage();
  ++FPageNumber;
}

void TPrinter::Abort()
{
  CheckPrinting(true);
  Device()->abort();
  static_cast<TPrinterCanvas*>(FCanvas.get())->End();
  FPrinting = false;
  FAborted = true;
  FPageNumber = 0;
}

Integer TPrinter::PageWidth() const
{
  const QPrinter* P = FFilePrinter ? FFilePrinter.get() : FPrinter.get();
  if (!P)
    throw EPrinter(QStringLiteral("There is no default printer currently selected"));
  return P->pageLayout().paintRectPixels(P->resolution()).width();
}

Integer TPrinter::PageHeight() const
{
  const QPrinter* P = FFilePrinter ? FFilePrinter.get() : FPrinter.get();
  if (!P)
    throw EPrinter(QStringLiteral("There is no default printer currently selected"));
  return P->pageLayout().paintRectPixels(P->resolution()).height();
}

TCanvas* TPrinter::Canvas()
{
  CheckPrinting(true);
  return FCanvas.get();
}

HDC TPrinter::Handle() { return FPrinting ? FCanvas->Handle() : nullptr; }

TPrinter* Printer()
{
  static TPrinter* P = new TPrinter;
  return P;
}
