// Printers.h: the printer: the installed printers, a print job and the
// canvas of its pages.
#pragma once

#include "platform/gui/Graphics.h"

#include <QStringList>

#include <memory>

class QPrinter;

enum class TPrinterOrientation { poPortrait, poLandscape };
using enum TPrinterOrientation;

VELMORA_EXCEPTION(EPrinter, Exception)

class TPrinter : public TObject {
public:
  TPrinter();
  ~TPrinter() override;

  // The printers of the system; empty when none is installed.
  QStringList Printers() const;
  // -1 when there is no printer.
  Integer PrinterIndex() const { return FPrinterIndex; }
  void SetPrinterIndex(Integer Value);
  TPrinterOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TPrinterOrientation Value);
  Integer Copies() const { return FCopies; }
  void SetCopies(Integer Value) { FCopies = std::max(1, Value); }
  String Title() const { return FTitle; }
  void SetTitle(const String& Value) { FTitle = Value; }
  // Printing to a file: the pages go to this PDF file instead of the
  // printer (works without any printer installed). Empty: the printer.
  String FileName() const { return FFileName; }
  void SetFileName(const String& Value);

  // EPrinter "Printing in progress" / "There is no default printer currently
  // selected" as the original raises them.
  void BeginDoc();
  void EndDoc();
  void NewPage();
  void Abort();
  bool Printing() const { return FPrinting; }
  bool Aborted() const { return FAborted; }
  Integer PageNumber() const { return FPageNumber; }
  // The page in device pixels, and the page's canvas while printing.
  Integer PageWidth() const;
  Integer PageHeight() const;
  TCanvas* Canvas();
  HDC Handle();

private:
  void CheckPrinting(bool Value) const;
  // The Qt printer of the selected printer or of the file; nullptr: none.
  QPrinter* Device();
  std::unique_ptr<QPrinter> FPrinter;
  std::unique_ptr<TCanvas> FCanvas;
  Integer FPrinterIndex = -1;
  TPrinterOrientation FOrientation = poPortrait;
  Integer FCopies = 1;
  String FTitle;
  String FFileName;
  std::unique_ptr<QPrinter> FFilePrinter;
  bool FPrinting = false;
  bool FAborted = false;
  Integer FPageNumber = 0;
};

TPrinter* Printer();
