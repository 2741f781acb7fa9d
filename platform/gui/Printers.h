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

// A printer's device settings as a job reads and changes them. A field counts
// only when its bit is set in Fields. Sizes in tenths of a millimetre; paper
// and bin codes are the common device codes (9 = A4, 256 = user-defined;
// bins 1 upper ... 14 cassette); duplex 1 simplex, 2 long edge, 3 short edge;
// colour 1 monochrome, 2 colour; print quality in dots per inch.
struct TDeviceMode {
  Cardinal Fields = 0;
  Integer Orientation = 1;
  Integer PaperSize = 0;
  Integer PaperLength = 0;
  Integer PaperWidth = 0;
  Integer Copies = 1;
  Integer DefaultSource = 0;
  Integer PrintQuality = 0;
  Integer Color = 0;
  Integer Duplex = 0;
  Integer Collate = 0;
};
inline constexpr Cardinal DM_ORIENTATION = 0x1, DM_PAPERSIZE = 0x2, DM_PAPERLENGTH = 0x4, DM_PAPERWIDTH = 0x8,
                          DM_COPIES = 0x100, DM_DEFAULTSOURCE = 0x200, DM_PRINTQUALITY = 0x400, DM_COLOR = 0x800,
                          DM_DUPLEX = 0x1000, DM_COLLATE = 0x8000;
inline constexpr Integer DMPAPER_USER = 256;

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

  // The device settings of the printer (or of the file), and setting them
  // again; EPrinter when there is no device.
  bool HasDevice() const { return Device() != nullptr; }
  String DeviceName() const;
  TDeviceMode DeviceMode() const;
  void SetDeviceMode(const TDeviceMode& Mode);
  // Forgets the changed settings: the next job uses the device's defaults.
  void ResetDeviceMode();
  // The paper codes the device offers.
  QList<Integer> PaperCodes() const;
  // Dots per inch, the whole sheet and the unprintable top-left margin, in
  // device pixels.
  Integer PixelsPerInchX() const;
  Integer PixelsPerInchY() const;
  TPoint PhysicalSize() const;
  TPoint PhysicalOffset() const;

private:
  void CheckPrinting(bool Value) const;
  // The Qt printer of the selected printer or of the file; nullptr: none.
  QPrinter* Device();
  const QPrinter* Device() const;
  const QPrinter& CheckedDevice() const;
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
