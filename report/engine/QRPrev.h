// QRPrev.h: the standard preview window: tool bar, status bar, page
// thumbnails and search results beside the preview of one page; paging,
// zoom, search, copy, printer setup, printing, saving and loading report
// files, and cancelling a report still running.
#pragma once

#include "platform/gui/ComCtrlsToolBar.h"
#include "platform/gui/DialogsCommon.h"
#include "platform/gui/ExtCtrlsSplitter.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Grids.h"
#include "platform/gui/Menus.h"
#include "report/engine/QRPrntr.h"
#include "report/engine/QRReport.h"


// The default extension (with its dot) of a save type.
String PrevSaveTypeExtension(TPrevSaveType Type);

class TQRStandardPreview : public TForm {
  VELMORA_CLASS(TQRStandardPreview)
  using inherited = TForm;
public:
  TQRStandardPreview(TComponent* AOwner, TQRPrinter* aQRPrinter);
  ~TQRStandardPreview() override;

  TQRPrinter* QRPrinter() const { return FQRPrinter; }
  // The report the job belongs to, nullptr for a loaded or bare job.
  TCustomQRReport* CurrentReport() const { return FCurrentReport; }
  const String& ReportTitle() const { return FReportTitle; }

  // Shows page n (thumbnail selection and status follow).
  void SelectPage(Integer n);
  void UpdateInfo();
  // Searches every page for the text and lists the pages found.
  void SearchPages(const String& Text, bool MatchCase);
  // Saves under the name as the Save command does after its dialog;
  // FilterIndex is the dialog's (1: report files).
  void SaveAs(String FileName, Integer FilterIndex);
  // Loads a report file as the Load command does after its dialog.
  void LoadFrom(const String& FileName);

  // The command handlers (tool bar, menu, list).
  void ZoomFitClick(TObject* Sender);
  void ZoomToWidthClick(TObject* Sender);
  void Zoom100Click(TObject* Sender);
  void ZoomMenuClick(TObject* Sender);
  void ZoomPickButtonClick(TObject* Sender);
  void FirstPageClick(TObject* Sender);
  void PreviousPageClick(TObject* Sender);
  void NextPageClick(TObject* Sender);
  void LastPageClick(TObject* Sender);
  void GotoPageButtonClick(TObject* Sender);
  void FindButtonClick(TObject* Sender);
  void SearchResultBoxClick(TObject* Sender);
  void CopyButtonClick(TObject* Sender);
  void PrintSetupClick(TObject* Sender);
  void PrintClick(TObject* Sender);
  void LoadReportClick(TObject* Sender);
  void SaveReportClick(TObject* Sender);
  void CancelButtonClick(TObject* Sender);
  void ExitButtonClick(TObject* Sender);
  void QRPreviewPageAvailable(TObject* Sender, Integer PageNum);
  void QRPreviewProgressUpdate(TObject* Sender, Integer Progress);
  void QRPreviewMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void QRPreviewMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);

  TStatusBar* StatusBar = nullptr;
  TToolBar* ToolBar1 = nullptr;
  TImageList* Images = nullptr;
  TToolButton* ZoomFit = nullptr;
  TToolButton* ZoomToWidth = nullptr;
  TToolButton* Zoom100 = nullptr;
  TSpeedButton* ZoomPickButton = nullptr;
  TToolButton* FirstPage = nullptr;
  TToolButton* PreviousPage = nullptr;
  TToolButton* nextPage = nullptr;
  TToolButton* LastPage = nullptr;
  TToolButton* GotoPageButton = nullptr;
  TToolButton* FindButton = nullptr;
  TToolButton* copybutton = nullptr;
  TToolButton* PrintSetup = nullptr;
  TToolButton* Print = nullptr;
  TToolButton* LoadReport = nullptr;
  TToolButton* SaveReport = nullptr;
  TToolButton* CancelButton = nullptr;
  TSpeedButton* ExitButton = nullptr;
  TPageControl* Tabs = nullptr;
  TTabSheet* TabThumbs = nullptr;
  TDrawGrid* ThumbGrid = nullptr;
  TTabSheet* TabSearchResult = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TLabel* SearchTextLabel = nullptr;
  TListBox* SearchResultBox = nullptr;
  TSplitter* Splitter1 = nullptr;
  TQRPreview* QRPreview = nullptr;
  TPopupMenu* Zoommenu = nullptr;
  TProgressBar* Gauge = nullptr;

protected:
  void WndProc(TMessage& Message) override;

private:
  void BuildLayout();
  void SetTexts();
  // Runs the report's hook; true when the hook took the command over.
  bool HookHandled(TStandPrevEventType EventType, const String& Name);
  void ApplyInitialZoom();
  void SetupThumbnails();
  void ThumbGridResize();
  void ThumbGridDrawCell(Integer ACol, Integer ARow, const TRect& Rect);
  void ThumbGridSelectCell(Integer ARow, bool& CanSelect);
  void KeyPage(Integer Page);
  bool JobFinished() const;
  Integer PageCount() const;
  // What the current report (when there is one) adds to the commands.
  void ReportPagesInPreviewReached();
  void ReportUserCancel();
  String ReportDefaultSaveExtension() const;
  void ReportExport(TQRExportFilter* Filter);
  void ReportTakeLoadedPaper();
  void ReportPrintAgain();
  void ReportPrinterSetup();
  void ReportMouseEvent(bool Click, Integer X, Integer Y);
  bool ReportExporting() const;
  void SetupFromController(TQRPreviewController* prevcon);

  TQRPrinter* FQRPrinter = nullptr;
  TCustomQRReport* FCurrentReport = nullptr;
  TPrinterOrientation FReportOrientation = poPortrait;
  Integer LastProgress = 0;
  Integer ThumbFontHeight = 0;
  Integer ThumbDrawHeight = 0;
  Integer ThumbDrawWidth = 0;
  Integer ThumbTopMargin = 0;
  Integer ThumbLeftMargin = 0;
  bool ShowThumbs = true;
  bool ShowSearch = true;
  bool pageSelected = false;
  TQRZoomState InitZoom = qrZoomOther;
  Integer InitZoomValue = 100;
  double udpifact = 1.0;
  String FReportTitle;
  std::vector<Integer> FSearchPages;
  bool FSelectingThumb = false;
  bool FKeyPaging = false;
};
