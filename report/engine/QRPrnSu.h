// QRPrnSu.h: the engine's print dialog: the common print dialog that also
// tells the engine the device choices made in it (paper, bin, duplex,
// quality, colour, collation).
#pragma once

#include "platform/gui/DialogsCommon.h"
#include "platform/gui/Printers.h"
#include "platform/rtl/Classes.h"

class TQRCommonDialog : public TComponent {
  VELMORA_CLASS(TQRCommonDialog)
public:
  explicit TQRCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
  virtual bool Execute() = 0;

  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value) { FCtl3D = Value; }
  Integer HelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer Value) { FHelpContext = Value; }
  TNotifyEvent OnClose;
  TNotifyEvent OnShow;

protected:
  bool FCtl3D = true;
  Integer FHelpContext = 0;
};

class TQRBasePrintDialog : public TQRCommonDialog {
  VELMORA_CLASS(TQRBasePrintDialog)
public:
  explicit TQRBasePrintDialog(TComponent* AOwner) : TQRCommonDialog(AOwner), FPrinter(Printer()) {}
  // The printer the dialog reads and sets (the global one by default).
  TPrinter* PrinterObject() const { return FPrinter; }
  void SetPrinterObject(TPrinter* Value) { FPrinter = Value; }

protected:
  TPrinter* FPrinter;
};

class TQRPrintDialog : public TQRBasePrintDialog {
  VELMORA_CLASS(TQRPrintDialog)
public:
  using TQRBasePrintDialog::TQRBasePrintDialog;
  // Shows the dialog; on OK the printer takes the chosen device and
  // settings and the dialog's fields hold the choices. Cancelled: false,
  // nothing changed.
  bool Execute() override;

  Integer FromPage() const { return FFromPage; }
  void SetFromPage(Integer Value) { FFromPage = Value; }
  Integer ToPage() const { return FToPage; }
  void SetToPage(Integer Value) { FToPage = Value; }
  Integer Collate() const { return FCollate; }
  void SetCollate(Integer Value) { FCollate = Value; }
  TPrintDialogOptions Options() const { return FOptions; }
  void SetOptions(TPrintDialogOptions Value) { FOptions = Value; }
  bool PrintToFile() const { return FPrintToFile; }
  void SetPrintToFile(bool Value) { FPrintToFile = Value; }
  TPrintRange PrintRange() const { return FPrintRange; }
  void SetPrintRange(TPrintRange Value) { FPrintRange = Value; }
  Integer MinPage() const { return FMinPage; }
  void SetMinPage(Integer Value) { FMinPage = Value; }
  Integer MaxPage() const { return FMaxPage; }
  void SetMaxPage(Integer Value) { FMaxPage = Value; }
  Integer Copies() const { return FCopies; }
  // Also the printer's copy count.
  void SetCopies(Integer Value);
  Integer PrintQuality() const { return FPrintQuality; }
  Integer ColorOption() const { return FColorOption; }
  Integer OutputBin() const { return FOutputBin; }
  Integer PaperSize() const { return FPaperSize; }
  bool Duplex() const { return FDuplex; }
  Extended Paperwidth() const { return FPaperwidth; }
  Extended Paperlength() const { return FPaperlength; }
  Cardinal dmFields() const { return FdmFields; }
  SmallInt Orientation() const { return FOrientation; }
  void SetOrientation(SmallInt Value) { FOrientation = Value; }
  Integer DuplexCode() const { return FDuplexCode; }

private:
  Integer FFromPage = 0;
  Integer FToPage = 0;
  Integer FCollate = 0;
  TPrintDialogOptions FOptions;
  bool FPrintToFile = false;
  TPrintRange FPrintRange = prAllPages;
  Integer FMinPage = 0;
  Integer FMaxPage = 0;
  Integer FCopies = 1;
  Integer FPrintQuality = 0;
  Integer FColorOption = 0;
  Integer FOutputBin = 0;
  Integer FPaperSize = 0;
  bool FDuplex = false;
  Extended FPaperwidth = 0;
  Extended FPaperlength = 0;
  Cardinal FdmFields = 0;
  SmallInt FOrientation = 1;
  Integer FDuplexCode = 0;
};

class TCustomQRReport;
class TQRPrinter;
class TQRPrinterSettings;

// A report's printer setup: the print dialog over the platform printer, its
// choices kept in the report's printer settings and in its user printer
// settings. False when the user cancelled.
bool QRReportPrinterSetup(TCustomQRReport* Report);
// The choices of the last print dialog (a report's user printer settings)
// set on a job's device settings.
void ApplyPrintDialogChoices(TQRPrinter* Job, const TQRPrinterSettings& Choices);
