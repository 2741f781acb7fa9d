// QRPrnSu.cpp: the engine's print dialog.
#include "report/engine/QRPrnSu.h"

#include "platform/gui/Forms.h"
#include "report/engine/QRReport.h"

void TQRPrintDialog::SetCopies(Integer Value)
{
  FCopies = Value;
  if (FPrinter)
    FPrinter->SetCopies(Value);
}

bool TQRPrintDialog::Execute()
{
  TPrintDialogData Data;
  const bool HasDevice = FPrinter && FPrinter->HasDevice();
  if (FPrinter)
    Data.PrinterIndex = FPrinter->PrinterIndex();
  const Integer PrinterCopies = FPrinter ? FPrinter->Copies() : 1;
  if (HasDevice) {
    const TDeviceMode M = FPrinter->DeviceMode();
    Data.DevFields = M.Fields;
    Data.PaperSize = M.PaperSize;
    Data.PaperWidth = M.PaperWidth;
    Data.PaperLength = M.PaperLength;
    Data.Orientation = M.Orientation;
    Data.DefaultSource = M.DefaultSource;
    Data.PrintQuality = M.PrintQuality;
    Data.Color = M.Color;
    Data.Duplex = M.Duplex;
  }
  Data.PrintRange = FPrintRange;
  Data.Collate = FCollate != 0;
  Data.Options = FOptions;
  Data.PrintToFile = FPrintToFile;
  // The dialog's page numbers are 16-bit.
  Data.FromPage = FFromPage & 0xFFFF;
  Data.ToPage = FToPage & 0xFFFF;
  Data.MinPage = FMinPage & 0xFFFF;
  Data.MaxPage = FMaxPage & 0xFFFF;
  Data.Copies = FCopies;
  if (OnShow)
    OnShow(this);
  const bool Accepted = ExecutePrintDialog(Data);
  if (OnClose)
    OnClose(this);
  if (!Accepted)
    return false;
  if (FPrinter) {
    if (Data.PrinterIndex >= 0 && Data.PrinterIndex != FPrinter->PrinterIndex())
      FPrinter->SetPrinterIndex(Data.PrinterIndex);
    if (FPrinter->HasDevice()) {
      TDeviceMode M = FPrinter->DeviceMode();
      M.Fields |= Data.DevFields;
      M.PaperSize = Data.PaperSize;
      M.PaperWidth = Data.PaperWidth;
      M.PaperLength = Data.PaperLength;
      M.Orientation = Data.Orientation;
      M.DefaultSource = Data.DefaultSource;
      M.PrintQuality = Data.PrintQuality;
      M.Color = Data.Color;
      M.Duplex = Data.Duplex;
      M.Collate = Data.Collate ? 1 : 0;
      M.Copies = Data.Copies == 1 ? PrinterCopies : Data.Copies;
      FPrinter->SetDeviceMode(M);
    }
  }
  FPrintToFile = Data.PrintToFile;
  FPrintRange = Data.PrintRange;
  FFromPage = Data.FromPage;
  FToPage = Data.ToPage;
  // One copy in the dialog means: as many as the printer is set to make.
  if (Data.Copies == 1 && FPrinter) {
    FPrinter->SetCopies(PrinterCopies);
    FCopies = PrinterCopies;
  }
  else
    SetCopies(Data.Copies);
  FdmFields = Data.DevFields;
  FOutputBin = Data.DefaultSource;
  FPaperSize = Data.PaperSize;
  FPaperwidth = Data.PaperWidth;
  FPaperlength = Data.PaperLength;
  FOrientation = SmallInt(Data.Orientation);
  FPrintQuality = Data.PrintQuality;
  FColorOption = Data.Color;
  FDuplexCode = Data.Duplex;
  FDuplex = Data.Duplex != 1;
  FCollate = Data.Collate ? 1 : 0;
  return true;
}

bool QRReportPrinterSetup(TCustomQRReport* Report)
{
  TQRPrintDialog D(Application);
  TPrinter* P = Printer();
  TQRPrinterSettings& Settings = *Report->PrinterSettings();
  TQRPrinterSettings& User = *Report->UserPrinterSettings();
  TQRPrinter* Job = Report->QRPrinter();
  if (Job && Job->Status() == mpFinished) {
    D.SetMinPage(1);
    D.SetMaxPage(Job->PageCount());
    D.SetFromPage(1);
    D.SetToPage(Job->PageCount());
  } else {
    D.SetMinPage(0);
    D.SetMaxPage(9999);
  }
  D.SetOptions({poPageNums, poWarning});
  D.SetOrientation(Report->Page()->Orientation() == poLandscape ? 2 : 1);
  if (P)
    D.SetCopies(Settings.Copies);
  if (!D.Execute())
    return false;
  Settings.Copies = D.Copies();
  Settings.PrinterIndex = P ? P->PrinterIndex() : -1;
  Report->Page()->SetOrientation(D.Orientation() == 2 ? poLandscape : poPortrait);
  User.CustomBinCode = D.OutputBin();
  User.ExtendedDuplex = D.DuplexCode();
  User.PrintQuality = D.PrintQuality();
  User.Collate = D.Collate();
  User.ColorOption = D.ColorOption();
  User.Copies = D.Copies();
  User.Orientation = Report->Page()->Orientation();
  User.OutputBin = Settings.OutputBin;
  const Integer Bin = D.OutputBin() > 255 ? D.OutputBin() - 256 : D.OutputBin();
  for (Integer I = 0; I <= Integer(TQRBin::Last); ++I)
    if (BinCode(TQRBin(I)) == Bin) {
      User.OutputBin = TQRBin(I);
      break;
    }
  User.CustomPaperCode = D.PaperSize();
  User.PrinterIndex = Settings.PrinterIndex;
  User.Duplex = D.Duplex();
  if (D.PrintRange() == prPageNums) {
    Settings.FirstPage = User.FirstPage = D.FromPage();
    Settings.LastPage = User.LastPage = D.ToPage();
  } else {
    Settings.FirstPage = Settings.LastPage = User.FirstPage = User.LastPage = 0;
  }
  return true;
}

void ApplyPrintDialogChoices(TQRPrinter* Job, const TQRPrinterSettings& Choices)
{
  // The dialog's bin: a standard code picks the bin, any other is the
  // device's own.
  const Integer Code = Choices.CustomBinCode;
  if (Code < 13) {
    Job->SetOutputBin(BinOfCode(Code));
    Job->SetUseCustomBinCode(false);
  } else {
    Job->SetCustomBinCode(Code);
    Job->SetUseCustomBinCode(true);
  }
  Job->SetCollate(Choices.Collate);
  Job->SetColorOption(Choices.ColorOption);
  Job->SetPrintQuality(Choices.PrintQuality);
  Job->SetCopies(Choices.Copies);
  Job->SetDuplex(Choices.Duplex);
  Job->SetFirstPage(Choices.FirstPage);
  Job->SetLastPage(Choices.LastPage);
  Job->SetExtendedDuplex(Choices.ExtendedDuplex);
  Job->SetUseExtendedDuplex(Choices.ExtendedDuplex > 1);
}
