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
const QPrinter* TPrinter::Device() const { return FFilePrinter ? FFilePrinter.get() : FPrinter.get(); }

const QPrinter& TPrinter::CheckedDevice() const
{
  const QPrinter* P = Device();
  if (!P)
    throw EPrinter(QStringLiteral("There is no default printer currently selected"));
  return *P;
}

// Bins: the device codes 1..11 and 14 against the printer's paper sources.
static const std::pair<Integer, QPrinter::PaperSource> BinCodes[] = {
  {1, QPrinter::Upper}, {2, QPrinter::Lower}, {3, QPrinter::Middle}, {4, QPrinter::Manual},
  {5, QPrinter::Envelope}, {6, QPrinter::EnvelopeManual}, {7, QPrinter::Auto}, {8, QPrinter::Tractor},
  {9, QPrinter::SmallFormat}, {10, QPrinter::LargeFormat}, {11, QPrinter::LargeCapacity}, {14, QPrinter::Cassette}};

static Integer PaperCodeOf(const QPageSize& Size)
{
  const Integer Code = Size.windowsId();
  return Code > 0 ? Code : DMPAPER_USER;
}

String TPrinter::DeviceName() const
{
  const QPrinter& P = CheckedDevice();
  return P.outputFormat() == QPrinter::PdfFormat ? QStringLiteral("PDF") : P.printerName();
}

TDeviceMode TPrinter::DeviceMode() const
{
  const QPrinter& P = CheckedDevice();
  TDeviceMode M;
  M.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_DEFAULTSOURCE |
             DM_PRINTQUALITY | DM_COLOR | DM_DUPLEX | DM_COLLATE;
  const QPageLayout Layout = P.pageLayout();
  M.Orientation = Layout.orientation() == QPageLayout::Landscape ? 2 : 1;
  M.PaperSize = PaperCodeOf(Layout.pageSize());
  const QSizeF Mm = Layout.pageSize().size(QPageSize::Millimeter);
  M.PaperWidth = qRound(Mm.width() * 10);
  M.PaperLength = qRound(Mm.height() * 10);
  M.Copies = P.copyCount();
  M.DefaultSource = 7;
  for (const auto& [Code, Source] : BinCodes)
    if (Source == P.paperSource()) {
      M.DefaultSource = Code;
      break;
    }
  M.PrintQuality = P.resolution();
  M.Color = P.colorMode() == QPrinter::Color ? 2 : 1;
  M.Duplex = P.duplex() == QPrinter::DuplexLongSide ? 2 : (P.duplex() == QPrinter::DuplexShortSide ? 3 : 1);
  M.Collate = P.collateCopies() ? 1 : 0;
  return M;
}

void TPrinter::SetDeviceMode(const TDeviceMode& M)
{
  CheckPrinting(false);
  QPrinter* P = Device();
  if (!P)
    throw EPrinter(QStringLiteral("There is no default printer currently selected"));
  if (M.Fields & DM_PAPERSIZE) {
    const QPageSize::PageSizeId Id = QPageSize::id(M.PaperSize);
    if (M.PaperSize != DMPAPER_USER && Id != QPageSize::Custom)
      P->setPageSize(QPageSize(Id));
    else if ((M.Fields & DM_PAPERWIDTH) && (M.Fields & DM_PAPERLENGTH) && M.PaperWidth > 0 && M.PaperLength > 0)
      P->setPageSize(QPageSize(QSizeF(M.PaperWidth / 10.0, M.PaperLength / 10.0), QPageSize::Millimeter));
  }
  if (M.Fields & DM_ORIENTATION) {
    FOrientation = M.Orientation == 2 ? poLandscape : poPortrait;
    P->setPageOrientation(M.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
  }
  if (M.Fields & DM_COPIES)
    FCopies = std::max(1, M.Copies);
  if (M.Fields & DM_DEFAULTSOURCE)
    for (const auto& [Code, Source] : BinCodes)
      if (Code == M.DefaultSource) {
        P->setPaperSource(Source);
        break;
      }
  if ((M.Fields & DM_PRINTQUALITY) && M.PrintQuality > 0)
    P->setResolution(M.PrintQuality);
  if (M.Fields & DM_COLOR)
    P->setColorMode(M.Color == 2 ? QPrinter::Color : QPrinter::GrayScale);
  if (M.Fields & DM_DUPLEX)
    P->setDuplex(M.Duplex == 2 ? QPrinter::DuplexLongSide : (M.Duplex == 3 ? QPrinter::DuplexShortSide : QPrinter::DuplexNone));
  if (M.Fields & DM_COLLATE)
    P->setCollateCopies(M.Collate != 0);
}

void TPrinter::ResetDeviceMode()
{
  CheckPrinting(false);
  const String File = FFileName;
  if (FPrinterIndex >= 0)
    SetPrinterIndex(FPrinterIndex);
  if (!File.isEmpty()) {
    FFilePrinter.reset();
    SetFileName(File);
  }
}

QList<Integer> TPrinter::PaperCodes() const
{
  const QPrinter& P = CheckedDevice();
  QList<Integer> Codes;
  if (P.outputFormat() == QPrinter::PdfFormat) {
    // A file takes every standard paper.
    for (Integer Code = 1; Code <= 68; ++Code)
      if (QPageSize::id(Code) != QPageSize::Custom)
        Codes.append(Code);
  } else {
    for (const QPageSize& Size : QPrinterInfo(P).supportedPageSizes())
      Codes.append(PaperCodeOf(Size));
  }
  return Codes;
}

Integer TPrinter::PixelsPerInchX() const { return CheckedDevice().resolution(); }
Integer TPrinter::PixelsPerInchY() const { return CheckedDevice().resolution(); }

TPoint TPrinter::PhysicalSize() const
{
  const QPrinter& P = CheckedDevice();
  const QRect Full = P.pageLayout().fullRectPixels(P.resolution());
  return TPoint(Full.width(), Full.height());
}

TPoint TPrinter::PhysicalOffset() const
{
  const QPrinter& P = CheckedDevice();
  const QRect Paint = P.pageLayout().paintRectPixels(P.resolution());
  return TPoint(Paint.left(), Paint.top());
}

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
  const QPrinter& P = CheckedDevice();
  return P.pageLayout().paintRectPixels(P.resolution()).width();
}

Integer TPrinter::PageHeight() const
{
  const QPrinter& P = CheckedDevice();
  return P.pageLayout().paintRectPixels(P.resolution()).height();
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
