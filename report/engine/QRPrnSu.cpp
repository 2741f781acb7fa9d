// QRPrnSu.cpp: the engine's print dialog.
#include "report/engine/QRPrnSu.h"

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
