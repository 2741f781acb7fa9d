// DialogsCommon.cpp: file dialogs, the one-line question and the print
// dialog over Qt's dialogs, each with a hook for tests.
#include "platform/gui/DialogsCommon.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Printers.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

Integer RunModalDialog(QDialog* Dialog);

namespace {
template <class Hook>
Hook Swap(Hook& Slot, Hook NewHook)
{
  Hook Old = std::move(Slot);
  Slot = std::move(NewHook);
  return Old;
}

TFileDialogHook FileHook;
TInputQueryHook QueryHook;
TPrintDialogHook PrintHook;

// "Text|*.txt;*.log|All|*" as Qt's "Text (*.txt *.log)" entries.
QStringList QtFilters(const String& Filter)
{
  const QStringList Parts = Filter.split(QLatin1Char('|'));
  QStringList Result;
  for (qsizetype I = 0; I + 1 < Parts.size(); I += 2) {
    QString Patterns = Parts[I + 1];
    Patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    Result << QStringLiteral("%1 (%2)").arg(Parts[I], Patterns);
  }
  return Result;
}
} // namespace

TFileDialogHook SetFileDialogHook(TFileDialogHook Hook) { return Swap(FileHook, std::move(Hook)); }
TInputQueryHook SetInputQueryHook(TInputQueryHook Hook) { return Swap(QueryHook, std::move(Hook)); }
TPrintDialogHook SetPrintDialogHook(TPrintDialogHook Hook) { return Swap(PrintHook, std::move(Hook)); }

bool TOpenDialog::Execute()
{
  if (FileHook)
    return FileHook(this);
  QFileDialog D(nullptr, Title, InitialDir);
  D.setAcceptMode(IsSaveDialog() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  D.setFileMode(IsSaveDialog() || !Options.Contains(ofFileMustExist) ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  D.setOption(QFileDialog::DontConfirmOverwrite, !Options.Contains(ofOverwritePrompt));
  const QStringList Filters = QtFilters(Filter);
  D.setNameFilters(Filters);
  if (FilterIndex >= 1 && FilterIndex <= Filters.size())
    D.selectNameFilter(Filters[FilterIndex - 1]);
  if (!DefaultExt.isEmpty())
    D.setDefaultSuffix(DefaultExt);
  // A pattern such as "*.QRP" stays in the name box for the user to replace.
  if (!FileName.isEmpty())
    D.selectFile(FileName);
  if (RunModalDialog(&D) != QDialog::Accepted || D.selectedFiles().isEmpty())
    return false;
  FileName = D.selectedFiles().front();
  FilterIndex = Integer(Filters.indexOf(D.selectedNameFilter())) + 1;
  return true;
}

bool InputQuery(const String& ACaption, const String& APrompt, String& Value)
{
  if (QueryHook)
    return QueryHook(ACaption, APrompt, Value);
  QInputDialog D;
  D.setWindowTitle(ACaption);
  D.setLabelText(APrompt);
  D.setTextValue(Value);
  if (RunModalDialog(&D) != QDialog::Accepted)
    return false;
  Value = D.textValue();
  return true;
}

bool ExecutePrintDialog(TPrintDialogData& Data)
{
  if (PrintHook)
    return PrintHook(Data);
  const QStringList Names = QPrinterInfo::availablePrinterNames();
  QPrinter P(Data.PrinterIndex >= 0 && Data.PrinterIndex < Names.size()
               ? QPrinterInfo::printerInfo(Names[Data.PrinterIndex]) : QPrinterInfo::defaultPrinter(),
             QPrinter::HighResolution);
  P.setCopyCount(std::max(1, Data.Copies));
  P.setCollateCopies(Data.Collate);
  P.setPageOrientation(Data.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
  if (Data.PaperSize > 0)
    P.setPageSize(QPageSize(QPageSize::id(Data.PaperSize)));
  if (Data.PrintRange == prPageNums)
    P.setFromTo(Data.FromPage, Data.ToPage);
  QPrintDialog D(&P);
  QAbstractPrintDialog::PrintDialogOptions O;
  if (Data.Options.Contains(poPrintToFile) && !Data.Options.Contains(poDisablePrintToFile))
    O |= QAbstractPrintDialog::PrintToFile;
  if (Data.Options.Contains(poPageNums))
    O |= QAbstractPrintDialog::PrintPageRange;
  if (Data.Options.Contains(poSelection))
    O |= QAbstractPrintDialog::PrintSelection;
  O |= QAbstractPrintDialog::PrintCollateCopies;
  D.setOptions(O);
  if (Data.MinPage > 0 || Data.MaxPage > 0)
    D.setMinMax(Data.MinPage, Data.MaxPage);
  if (RunModalDialog(&D) != QDialog::Accepted)
    return false;
  Data.PrinterIndex = Integer(Names.indexOf(P.printerName()));
  Data.PrintToFile = !P.outputFileName().isEmpty();
  Data.FileName = P.outputFileName();
  switch (P.printRange()) {
  case QPrinter::Selection: Data.PrintRange = prSelection; break;
  case QPrinter::PageRange: Data.PrintRange = prPageNums; break;
  default: Data.PrintRange = prAllPages; break;
  }
  Data.FromPage = P.fromPage();
  Data.ToPage = P.toPage();
  Data.Copies = P.copyCount();
  Data.Collate = P.collateCopies();
  Data.DevFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_DEFAULTSOURCE |
                   DM_PRINTQUALITY | DM_COLOR | DM_DUPLEX | DM_COLLATE;
  const QPageSize Page = P.pageLayout().pageSize();
  Data.PaperSize = Page.windowsId();
  const QSizeF MM = Page.size(QPageSize::Millimeter);
  Data.PaperWidth = Integer(qRound(MM.width() * 10));
  Data.PaperLength = Integer(qRound(MM.height() * 10));
  Data.Orientation = P.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
  Data.DefaultSource = Integer(P.paperSource()) + 1;
  Data.PrintQuality = P.resolution();
  Data.Color = P.colorMode() == QPrinter::Color ? 2 : 1;
  switch (P.duplex()) {
  case QPrinter::DuplexLongSide: Data.Duplex = 2; break;
  case QPrinter::DuplexShortSide: Data.Duplex = 3; break;
  default: Data.Duplex = 1; break;
  }
  return true;
}
