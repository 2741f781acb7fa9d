// QRPrev.cpp: the standard preview window.
#include "report/engine/QRPrev.h"

#include "platform/gui/Clipbrd.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/SysUtils.h"
#include "report/engine/QRReport.h"
#include "report/engine/QRPrnSu.h"
#include "report/engine/QRSearchDlg.h"


String PrevSaveTypeExtension(TPrevSaveType Type)
{
  static const char* const Ext[] = {".QRP", ".PDF", ".XLS", ".HTML", ".RTF", ".CSV", ".TXT", ".XML", ".XLSX"};
  return QString::fromLatin1(Ext[int(Type)]);
}

namespace {

const String ReportFileExtension = QStringLiteral("QRP");

// The extension of the file name (after its last dot), empty without one.
String ExtensionOf(const String& FileName)
{
  const String Name = FileName.mid(FileName.lastIndexOf(QLatin1Char('/')) + 1);
  const qsizetype Dot = Name.lastIndexOf(QLatin1Char('.'));
  return Dot < 0 ? String() : Name.mid(Dot + 1);
}

// Whether an existing file can be had for reading and writing alone.
bool CanRewrite(const String& FileName)
{
  try {
    TFileStream F(FileName, fmOpenReadWrite | fmShareExclusive);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

template <class T>
T* Put(TWinControl* Parent, TComponent* Owner, const char* Name)
{
  auto* C = new T(Owner);
  C->SetName(QString::fromLatin1(Name));
  C->SetParent(Parent);
  return C;
}

} // namespace

// ---------------------------------------------------------------------------
// Creation

TQRStandardPreview::TQRStandardPreview(TComponent* AOwner, TQRPrinter* aQRPrinter)
    : TForm(AOwner, 0), FQRPrinter(aQRPrinter)
{
  BuildLayout();
  SetTexts();
  QRPreview->SetQRPrinter(FQRPrinter);
  udpifact = FQRPrinter ? FQRPrinter->CurrentScreenDPI() : 1.0;
  FCurrentReport = FQRPrinter ? dynamic_cast<TCustomQRReport*>(FQRPrinter->ParentReport()) : nullptr;
  FReportOrientation = FQRPrinter ? FQRPrinter->Orientation() : poPortrait;
  if (FCurrentReport) {
    FReportOrientation = FCurrentReport->Page()->Orientation();
    FReportTitle = FCurrentReport->ReportTitle();
    if (TQRPreviewController* Controller = FCurrentReport->PreviewController()) {
      SetupFromController(Controller);
    } else {
      TCustomQRReport& R = *FCurrentReport;
      SetFormStyle(R.PrevFormStyle());
      ShowThumbs = R.PrevShowThumbs();
      ShowSearch = R.PrevShowSearch();
      InitZoom = R.PrevInitialZoom();
      InitZoomValue = R.Zoom();
      FQRPrinter->SetTitle(FReportTitle);
      SetWindowState(R.PreviewInitialState());
      if (R.PreviewInitialState() != wsMaximized)
        SetBounds(R.PreviewLeft(), R.PreviewTop(), R.PreviewWidth(), R.PreviewHeight());
    }
    HookHandled(spOpen, String());
  } else {
    SetWindowState(wsMaximized);
    ShowThumbs = ShowSearch = true;
    InitZoom = qrZoomOther;
    InitZoomValue = 100;
  }
  if (FQRPrinter) {
    FQRPrinter->SetOrientation(FReportOrientation);
    if (!FQRPrinter->Title().isEmpty())
      SetCaption(QStringLiteral("Report Preview : ") + FQRPrinter->Title());
  }
  SetupThumbnails();
  ApplyInitialZoom();
  if (JobFinished())
    QRPreviewPageAvailable(QRPreview, PageCount());
}

TQRStandardPreview::~TQRStandardPreview()
{
  // The children go after this part of the form: their events must not
  // reach it on the way.
  ThumbGrid->OnResize = nullptr;
  ThumbGrid->OnDrawCell = nullptr;
  ThumbGrid->OnSelectCell = nullptr;
  QRPreview->OnPageAvailable = nullptr;
  QRPreview->OnProgressUpdate = nullptr;
  QRPreview->OnMouseWheel = nullptr;
  SearchResultBox->OnClick = nullptr;
  delete Gauge;
}

void TQRStandardPreview::BuildLayout()
{
  SetCaption(QStringLiteral("Print Preview"));
  SetClientWidth(951);
  SetClientHeight(669);
  SetFormStyle(fsStayOnTop);
  SetKeyPreview(true);
  OnKeyDown = [this](TObject* S, Word& Key, TShiftState Shift) { FormKeyDown(S, Key, Shift); };
  OnCloseQuery = [this](TObject* S, bool& CanClose) { FormCloseQuery(S, CanClose); };
  OnClose = [this](TObject* S, TCloseAction& Action) { FormClose(S, Action); };

  Images = new TImageList(this);
  StatusBar = Put<TStatusBar>(this, this, "StatusBar");
  StatusBar->SetAlign(alBottom);
  StatusBar->SetHeight(19);
  const struct { const char* Text; Integer Width; TAlignment Alignment; } Panels[] = {
    {"0%", 60, taRightJustify}, {"Page", 120, taLeftJustify}, {"Zoom", 120, taLeftJustify}, {"Report", 50, taLeftJustify}};
  for (const auto& P : Panels) {
    TStatusPanel* Panel = StatusBar->Panels()->Add();
    Panel->SetText(QString::fromLatin1(P.Text));
    Panel->SetWidth(P.Width);
    Panel->SetAlignment(P.Alignment);
  }

  ToolBar1 = Put<TToolBar>(this, this, "ToolBar1");
  ToolBar1->SetAlign(alTop);
  ToolBar1->SetHeight(36);
  ToolBar1->SetButtonWidth(32);
  ToolBar1->SetButtonHeight(32);
  ToolBar1->SetImages(Images);
  ToolBar1->SetShowHint(true);
  auto Button = [this](const char* Name, const char* Glyph, TToolButtonStyle Style, auto Handler) {
    auto* B = Put<TToolButton>(ToolBar1, this, Name);
    B->SetStyle(Style);
    B->SetCaption(QString::fromUtf8(Glyph));
    B->OnClick = [this, Handler](TObject* S) { (this->*Handler)(S); };
    return B;
  };
  auto Separator = [this] {
    auto* B = new TToolButton(this);
    B->SetParent(ToolBar1);
    B->SetStyle(tbsSeparator);
  };
  ZoomFit = Button("ZoomFit", "Весь", tbsCheck, &TQRStandardPreview::ZoomFitClick);
  ZoomToWidth = Button("ZoomToWidth", "↔", tbsCheck, &TQRStandardPreview::ZoomToWidthClick);
  Zoom100 = Button("Zoom100", "1:1", tbsCheck, &TQRStandardPreview::Zoom100Click);
  for (TToolButton* B : {ZoomFit, ZoomToWidth, Zoom100})
    B->SetGrouped(true);
  ZoomPickButton = Put<TSpeedButton>(ToolBar1, this, "ZoomPickButton");
  ZoomPickButton->SetFlat(true);
  ZoomPickButton->SetCaption(QStringLiteral("%"));
  ZoomPickButton->SetWidth(32);
  ZoomPickButton->OnClick = [this](TObject* S) { ZoomPickButtonClick(S); };
  Separator();
  FirstPage = Button("FirstPage", "|◀", tbsButton, &TQRStandardPreview::FirstPageClick);
  PreviousPage = Button("PreviousPage", "◀", tbsButton, &TQRStandardPreview::PreviousPageClick);
  nextPage = Button("nextPage", "▶", tbsButton, &TQRStandardPreview::NextPageClick);
  LastPage = Button("LastPage", "▶|", tbsButton, &TQRStandardPreview::LastPageClick);
  Separator();
  GotoPageButton = Button("GotoPageButton", "#", tbsButton, &TQRStandardPreview::GotoPageButtonClick);
  FindButton = Button("FindButton", "Найти", tbsButton, &TQRStandardPreview::FindButtonClick);
  Separator();
  copybutton = Button("copybutton", "Копия", tbsButton, &TQRStandardPreview::CopyButtonClick);
  PrintSetup = Button("PrintSetup", "Устр.", tbsButton, &TQRStandardPreview::PrintSetupClick);
  Print = Button("Print", "Печ.", tbsButton, &TQRStandardPreview::PrintClick);
  LoadReport = Button("LoadReport", "Откр.", tbsButton, &TQRStandardPreview::LoadReportClick);
  SaveReport = Button("SaveReport", "Сохр.", tbsButton, &TQRStandardPreview::SaveReportClick);
  Separator();
  CancelButton = Button("CancelButton", "Стоп", tbsButton, &TQRStandardPreview::CancelButtonClick);
  ExitButton = Put<TSpeedButton>(ToolBar1, this, "ExitButton");
  ExitButton->SetFlat(true);
  ExitButton->SetWidth(60);
  ExitButton->OnClick = [this](TObject* S) { ExitButtonClick(S); };
  for (TControl* B : {static_cast<TControl*>(FirstPage), static_cast<TControl*>(PreviousPage),
                      static_cast<TControl*>(nextPage), static_cast<TControl*>(LastPage),
                      static_cast<TControl*>(GotoPageButton), static_cast<TControl*>(FindButton),
                      static_cast<TControl*>(copybutton), static_cast<TControl*>(PrintSetup),
                      static_cast<TControl*>(Print), static_cast<TControl*>(LoadReport),
                      static_cast<TControl*>(SaveReport), static_cast<TControl*>(CancelButton),
                      static_cast<TControl*>(ZoomPickButton)})
    B->SetEnabled(false);

  Tabs = Put<TPageControl>(this, this, "Tabs");
  Tabs->SetAlign(alLeft);
  Tabs->SetWidth(193);
  TabThumbs = new TTabSheet(this);
  TabThumbs->SetName(QStringLiteral("TabThumbs"));
  TabThumbs->SetPageControl(Tabs);
  TabThumbs->SetCaption(QStringLiteral("Thumbnails"));
  ThumbGrid = Put<TDrawGrid>(TabThumbs, this, "ThumbGrid");
  ThumbGrid->SetAlign(alClient);
  ThumbGrid->SetColCount(1);
  ThumbGrid->SetFixedCols(0);
  ThumbGrid->SetRowCount(1);
  ThumbGrid->SetFixedRows(0);
  ThumbGrid->SetDefaultColWidth(90);
  ThumbGrid->SetDefaultRowHeight(90);
  ThumbGrid->SetOptions({goRowSelect});
  ThumbGrid->OnResize = [this](TObject*) { ThumbGridResize(); };
  ThumbGrid->OnDrawCell = [this](TObject*, Integer C, Integer R, TRect Rect, TGridDrawState) {
    ThumbGridDrawCell(C, R, Rect);
  };
  ThumbGrid->OnSelectCell = [this](TObject*, Integer, Integer R, bool& Can) { ThumbGridSelectCell(R, Can); };
  TabSearchResult = new TTabSheet(this);
  TabSearchResult->SetName(QStringLiteral("TabSearchResult"));
  TabSearchResult->SetPageControl(Tabs);
  TabSearchResult->SetCaption(QStringLiteral("Search result"));
  GroupBox1 = Put<TGroupBox>(TabSearchResult, this, "GroupBox1");
  GroupBox1->SetAlign(alTop);
  GroupBox1->SetHeight(41);
  GroupBox1->SetCaption(QStringLiteral("Search text"));
  SearchTextLabel = Put<TLabel>(GroupBox1, this, "SearchTextLabel");
  SearchTextLabel->SetBounds(8, 18, 170, 13);
  SearchResultBox = Put<TListBox>(TabSearchResult, this, "SearchResultBox");
  SearchResultBox->SetAlign(alClient);
  SearchResultBox->SetEnabled(false);
  SearchResultBox->OnClick = [this](TObject* S) { SearchResultBoxClick(S); };
  Splitter1 = Put<TSplitter>(this, this, "Splitter1");
  Splitter1->SetAlign(alLeft);
  Splitter1->SetLeft(Tabs->Left() + Tabs->Width());

  QRPreview = Put<TQRPreview>(this, this, "QRPreview");
  QRPreview->SetAlign(alClient);
  QRPreview->OnMouseDown = [this](TObject* S, TMouseButton B, TShiftState Sh, Integer X, Integer Y) {
    QRPreviewMouseDown(S, B, Sh, X, Y);
  };
  QRPreview->OnMouseMove = [this](TObject* S, TShiftState Sh, Integer X, Integer Y) { QRPreviewMouseMove(S, Sh, X, Y); };
  QRPreview->OnPageAvailable = [this](TObject* S, Integer N) { QRPreviewPageAvailable(S, N); };
  QRPreview->OnProgressUpdate = [this](TObject* S, Integer N) { QRPreviewProgressUpdate(S, N); };
  // The wheel pages as the arrow keys do.
  QRPreview->OnMouseWheel = [this](TObject*, TShiftState Shift, Integer Delta, TPoint, bool& Handled) {
    Word Key = Delta > 0 ? VK_UP : VK_DOWN;
    FormKeyDown(this, Key, Shift);
    Handled = true;
  };

  Zoommenu = new TPopupMenu(this);
  Zoommenu->SetName(QStringLiteral("Zoommenu"));
  for (Integer Z = 50; Z <= 200; Z += 10) {
    auto* Item = new TMenuItem(this);
    Item->SetName(QStringLiteral("N%1").arg(Z));
    Item->SetCaption(QStringLiteral("%1%").arg(Z));
    Item->OnClick = [this](TObject* S) { ZoomMenuClick(S); };
    Zoommenu->Items()->Add(Item);
  }
  // Made without a parent: never shown.
  Gauge = new TProgressBar(nullptr);
}

void TQRStandardPreview::SetTexts()
{
  TabThumbs->SetCaption(QStringLiteral("ThumbNails"));
  TabSearchResult->SetCaption(QStringLiteral("Search Results"));
  GroupBox1->SetCaption(QStringLiteral("Search Text"));
  const std::pair<TControl*, const char*> Hints[] = {
    {ZoomFit, "Zoom to fit"}, {ZoomToWidth, "Zoom to width"}, {Zoom100, "100% Size"}, {FirstPage, "First page"},
    {nextPage, "Next page"}, {PreviousPage, "Previous page"}, {LastPage, "Last page"},
    {GotoPageButton, "Select a Page"}, {FindButton, "Search for Text"}, {PrintSetup, "Printer setup"},
    {Print, "Print"}, {SaveReport, "Save report"}, {LoadReport, "Load report"}, {ExitButton, "Close Preview"},
    {CancelButton, "Cancel the report"}, {copybutton, "Copy page to clipboard"}, {ZoomPickButton, "Set Display Zoom"}};
  for (const auto& [C, H] : Hints) {
    C->SetHint(QString::fromLatin1(H));
    C->SetShowHint(true);
  }
  SetCaption(QStringLiteral("Report Preview : "));
  ExitButton->SetCaption(QStringLiteral("&Close"));
  CancelButton->SetEnabled(false);
  ZoomPickButton->SetEnabled(true);
}

void TQRStandardPreview::SetupThumbnails()
{
  ThumbGrid->SetRowCount(1);
  const bool TabsShown = ShowThumbs || ShowSearch;
  Tabs->SetVisible(TabsShown);
  Splitter1->SetVisible(TabsShown);
  if (TabsShown && FQRPrinter && PageCount() > 0)
    ThumbGrid->SetRowCount(PageCount());
  TabThumbs->SetTabVisible(ShowThumbs);
  FindButton->SetVisible(ShowSearch);
  if (!ShowSearch)
    TabSearchResult->SetTabVisible(false);
  Tabs->SetActivePage(ShowThumbs ? TabThumbs : TabSearchResult);
}

void TQRStandardPreview::ApplyInitialZoom()
{
  if (InitZoom == qrZoomToFit) {
    QRPreview->ZoomToFit();
    ZoomFit->SetDown(true);
  } else if (InitZoom == qrZoomToWidth) {
    QRPreview->ZoomToWidth();
    ZoomToWidth->SetDown(true);
  } else {
    QRPreview->SetZoom(InitZoomValue);
    Zoom100->SetDown(true);
  }
  UpdateInfo();
}

bool TQRStandardPreview::JobFinished() const { return FQRPrinter && FQRPrinter->Status() == mpFinished; }

Integer TQRStandardPreview::PageCount() const { return FQRPrinter ? FQRPrinter->PageCount() : 0; }

// ---------------------------------------------------------------------------
// Status, pages and thumbnails

void TQRStandardPreview::UpdateInfo()
{
  try {
    StatusBar->Panels()->Items(1)->SetText(
      QStringLiteral("Page %1 of %2").arg(QRPreview->PageNumber()).arg(PageCount()));
    StatusBar->Panels()->Items(3)->SetText(FReportTitle);
    StatusBar->Panels()->Items(2)->SetText(QStringLiteral("Zoom %1%").arg(QRPreview->Zoom()));
  } catch (const Exception&) {
    // The panels only show; a failure leaves the old text.
  }
}

void TQRStandardPreview::SelectPage(Integer n)
{
  try {
    QRPreview->SetPageNumber(n);
    UpdateInfo();
    if (n >= 1 && n <= PageCount() && n <= ThumbGrid->RowCount()) {
      FSelectingThumb = true;
      ThumbGrid->SetRow(n - 1);
      FSelectingThumb = false;
    }
  } catch (const Exception&) {
    FSelectingThumb = false;
  }
}

void TQRStandardPreview::ThumbGridResize()
{
  ThumbFontHeight = ThumbGrid->Canvas()->TextHeight(QStringLiteral("P"));
  const Integer ColWidth = ThumbGrid->Width() - 4;
  ThumbGrid->SetColWidths(0, ColWidth);
  ThumbDrawWidth = ColWidth - 20;
  const double W = FQRPrinter ? FQRPrinter->PaperWidth() : 2159;
  const double L = FQRPrinter ? FQRPrinter->PaperLength() : 2794;
  if (W <= 0 || L <= 0)
    return;
  ThumbDrawHeight = Integer(Round(FReportOrientation == poLandscape ? ThumbDrawWidth * W / L - ThumbFontHeight
                                                                    : ThumbDrawWidth * L / W - ThumbFontHeight));
  ThumbGrid->SetDefaultRowHeight(std::max(1, ThumbDrawHeight));
  ThumbLeftMargin = Integer(Round((ColWidth - ThumbDrawWidth) / 2.0));
  ThumbTopMargin = Integer(Round((ThumbGrid->DefaultRowHeight() - ThumbDrawHeight) / 2.0));
}

void TQRStandardPreview::ThumbGridDrawCell(Integer, Integer ARow, const TRect& Rect)
{
  if (!FQRPrinter)
    return;
  TCanvas* C = ThumbGrid->Canvas();
  const std::unique_ptr<TMetafile> Page = FQRPrinter->GetPage(ARow + 1);
  if (Page)
    DrawPreviewPage(C, Page.get(), TRect(Rect.Left + ThumbLeftMargin, Rect.Top + 10, Rect.Right - 30, Rect.Bottom - 10),
                    true, true);
  C->Brush()->SetColor(clBtnFace);
  C->Brush()->SetStyle(bsClear);
  C->Font()->SetColor(clWindowText);
  C->TextOut(Rect.Left + 2, Rect.Top + 1, QString::number(ARow + 1));
  C->Brush()->SetStyle(bsSolid);
}

void TQRStandardPreview::ThumbGridSelectCell(Integer ARow, bool& CanSelect)
{
  CanSelect = true;
  if (FSelectingThumb || FKeyPaging)
    return;
  try {
    QRPreview->SetPageNumber(ARow + 1);
    UpdateInfo();
  } catch (const Exception&) {
    // A page that cannot be read leaves the one shown.
  }
}

void TQRStandardPreview::QRPreviewPageAvailable(TObject*, Integer)
{
  CancelButton->SetEnabled(true);
  UpdateInfo();
  ThumbGrid->SetRowCount(std::max(1, PageCount()));
  ThumbGrid->Invalidate();
  if (PageCount() > 0 && !pageSelected) {
    pageSelected = true;
    SelectPage(1);
  }
  if (PageCount() > 0 && !FirstPage->Enabled())
    for (TControl* B : {static_cast<TControl*>(FirstPage), static_cast<TControl*>(nextPage),
                        static_cast<TControl*>(PreviousPage), static_cast<TControl*>(LastPage),
                        static_cast<TControl*>(copybutton), static_cast<TControl*>(ZoomPickButton)})
      B->SetEnabled(true);
  if (JobFinished()) {
    for (TToolButton* B : {PrintSetup, Print, SaveReport, LoadReport, FindButton, GotoPageButton})
      B->SetEnabled(true);
    CancelButton->SetEnabled(false);
  }
  ReportPagesInPreviewReached();
}

void TQRStandardPreview::QRPreviewProgressUpdate(TObject*, Integer Progress)
{
  if (Progress < LastProgress + 5)
    return;
  LastProgress = Progress;
  StatusBar->Panels()->Items(0)->SetText(QStringLiteral("%1%").arg(Progress));
}

// ---------------------------------------------------------------------------
// Commands

void TQRStandardPreview::ZoomFitClick(TObject*)
{
  Application->ProcessMessages();
  QRPreview->ZoomToFit();
  UpdateInfo();
}

void TQRStandardPreview::ZoomToWidthClick(TObject*)
{
  Application->ProcessMessages();
  QRPreview->ZoomToWidth();
  UpdateInfo();
}

void TQRStandardPreview::Zoom100Click(TObject*)
{
  Application->ProcessMessages();
  QRPreview->SetZoom(100);
  UpdateInfo();
}

void TQRStandardPreview::ZoomMenuClick(TObject* Sender)
{
  auto* Item = dynamic_cast<TMenuItem*>(Sender);
  if (!Item)
    return;
  bool Ok = false;
  const Integer Z = Item->Name().mid(1).toInt(&Ok);
  if (Ok)
    QRPreview->SetZoom(Z);
  UpdateInfo();
}

void TQRStandardPreview::ZoomPickButtonClick(TObject*)
{
  const TPoint P = ZoomPickButton->ClientToScreen(TPoint(ZoomPickButton->Width() / 2, ZoomPickButton->Height() / 2));
  Zoommenu->Popup(P.X, P.Y);
}

void TQRStandardPreview::FirstPageClick(TObject*) { SelectPage(1); }
void TQRStandardPreview::PreviousPageClick(TObject*) { SelectPage(QRPreview->PageNumber() - 1); }
void TQRStandardPreview::NextPageClick(TObject*) { SelectPage(QRPreview->PageNumber() + 1); }

// While the report runs the last page counted is still being drawn.
void TQRStandardPreview::LastPageClick(TObject*) { SelectPage(JobFinished() ? PageCount() : PageCount() - 1); }

void TQRStandardPreview::GotoPageButtonClick(TObject*)
{
  String Value = QString::number(QRPreview->PageNumber());
  if (!InputQuery(QStringLiteral("Select a page from 1 to %1").arg(PageCount()), QStringLiteral("Enter page number"),
                  Value))
    return;
  bool Ok = false;
  Integer N = Value.trimmed().toInt(&Ok);
  if (!Ok || N < 1 || N > PageCount())
    N = 1;
  SelectPage(N);
}

void TQRStandardPreview::FindButtonClick(TObject*)
{
  if (!JobFinished())
    return;
  const std::unique_ptr<TSearchDlg> Dlg(new TSearchDlg(this));
  Dlg->ShowModal();
  if (Dlg->cancel)
    return;
  SearchPages(Dlg->Edit1->Text(), Dlg->CheckBox1->Checked());
}

void TQRStandardPreview::SearchPages(const String& Text, bool MatchCase)
{
  SearchResultBox->SetEnabled(true);
  SearchTextLabel->SetCaption(Text);
  SearchResultBox->Items()->Clear();
  FSearchPages.clear();
  for (Integer N = 1; N <= PageCount(); ++N) {
    const std::unique_ptr<TMetafile> Page = FQRPrinter->GetPage(N);
    if (TextInMetafile(Text, Page.get(), MatchCase)) {
      SearchResultBox->Items()->Add(QStringLiteral("Page %1").arg(N));
      FSearchPages.push_back(N);
    }
  }
  if (FSearchPages.empty()) {
    SearchResultBox->Items()->Add(QStringLiteral("No matching text"));
    SearchResultBox->SetEnabled(false);
  }
  TabSearchResult->SetTabVisible(true);
  Tabs->SetActivePage(TabSearchResult);
}

void TQRStandardPreview::SearchResultBoxClick(TObject*)
{
  const Integer I = SearchResultBox->ItemIndex();
  SelectPage(I >= 0 && I < Integer(FSearchPages.size()) ? FSearchPages[std::size_t(I)] : 1);
}

void TQRStandardPreview::CopyButtonClick(TObject*)
{
  if (HookHandled(spCopy, QStringLiteral("Copy")))
    return;
  if (TMetafile* Page = QRPreview->PreviewImage()->Metafile())
    Clipboard()->SetData(QStringLiteral("image/x-emf"), Page->SaveToBytes());
}

void TQRStandardPreview::CancelButtonClick(TObject*)
{
  if (HookHandled(spCancel, QStringLiteral("Cancel")))
    return;
  ReportUserCancel();
}

void TQRStandardPreview::ExitButtonClick(TObject*) { Close(); }

// ---------------------------------------------------------------------------
// Files

void TQRStandardPreview::SaveReportClick(TObject*)
{
  if (HookHandled(spSave, QStringLiteral("Save")))
    return;
  TSaveDialog Dialog(this);
  Dialog.Title = QStringLiteral("Save report");
  Dialog.Filter = QRExportFilterLibrary().SaveDialogFilterString();
  Dialog.FileName = QStringLiteral("*") + ReportDefaultSaveExtension();
  if (!Dialog.Execute())
    return;
  SaveAs(Dialog.FileName, Dialog.FilterIndex);
}

void TQRStandardPreview::SaveAs(String FileName, Integer FilterIndex)
{
  if (FileExists(FileName) && !CanRewrite(FileName)) {
    ShowMessage(QStringLiteral("The file is read-only or in use - save abandoned."));
    return;
  }
  String Ext = ExtensionOf(FileName).toUpper();
  if (Ext.isEmpty()) {
    const auto& Filters = QRExportFilterLibrary().Filters();
    if (FilterIndex <= 1)
      Ext = ReportFileExtension;
    else if (FilterIndex - 2 < Integer(Filters.size()))
      Ext = Filters[std::size_t(FilterIndex - 2)]->Extension.toUpper();
    else
      Ext = ReportDefaultSaveExtension().mid(1);
    if (Ext.startsWith(QLatin1Char('.')))
      Ext = Ext.mid(1, 4).trimmed();
    if (!FileName.endsWith(QLatin1Char('.')))
      FileName += QLatin1Char('.');
    FileName += Ext;
  }
  if (Ext == ReportFileExtension) {
    FQRPrinter->Save(FileName);
    return;
  }
  // Only the formats that are registered are offered; a name with any other
  // extension is refused aloud rather than saved as nothing.
  TQRExportFilterLibraryEntry* Entry = QRExportFilterLibrary().GetFilterByExtension(Ext);
  if (!Entry) {
    ShowMessage(QStringLiteral("Для файлов .%1 фильтр экспорта не установлен - сохранение отменено.").arg(Ext));
    return;
  }
  if (Ext == QStringLiteral("XLSX"))
    FileName = QStringLiteral("+++") + FileName;
  const std::unique_ptr<TQRExportFilter> Filter = Entry->ExportFilterClass.Create(FileName);
  ReportExport(Filter.get());
}

void TQRStandardPreview::LoadReportClick(TObject*)
{
  if (HookHandled(spLoad, QStringLiteral("Load")))
    return;
  TOpenDialog Dialog(this);
  Dialog.Title = QStringLiteral("Load report");
  Dialog.Filter = QStringLiteral("Report file (*.%1)|*.%1").arg(ReportFileExtension);
  if (!Dialog.Execute())
    return;
  LoadFrom(Dialog.FileName);
}

void TQRStandardPreview::LoadFrom(const String& FileName)
{
  if (!FileExists(FileName)) {
    ShowMessage(QStringLiteral("File does not exist"));
    return;
  }
  FQRPrinter->Load(FileName);
  FReportTitle = FileName;
  QRPreview->SetQRPrinter(FQRPrinter);
  SelectPage(1);
  FReportOrientation = FQRPrinter->Orientation();
  ReportTakeLoadedPaper();
  ThumbGridResize();
  if (QRPreview->ZoomState() == qrZoomToFit)
    QRPreview->ZoomToFit();
  else if (QRPreview->ZoomState() == qrZoomToWidth)
    QRPreview->ZoomToWidth();
  else
    QRPreview->UpdateZoom();
  QRPreviewPageAvailable(QRPreview, 1);
  FSelectingThumb = true;
  ThumbGrid->SetRow(0);
  FSelectingThumb = false;
  PrintStoredPages = true;
  Print->SetEnabled(true);
}

// ---------------------------------------------------------------------------
// Printing

void TQRStandardPreview::PrintClick(TObject*)
{
  if (HookHandled(spPrint, QStringLiteral("Print")))
    return;
  ExitButton->SetEnabled(false);
  try {
    if (!PrintStoredPages && dynamic_cast<TQRReport*>(FCurrentReport))
      ReportPrintAgain();
    else
      FQRPrinter->Print();
  } catch (...) {
    ExitButton->SetEnabled(true);
    throw;
  }
  ExitButton->SetEnabled(true);
}

void TQRStandardPreview::PrintSetupClick(TObject*)
{
  if (HookHandled(spPrintSetup, QStringLiteral("PrintSetup")))
    return;
  ReportPrinterSetup();
}

// ---------------------------------------------------------------------------
// Mouse, keys, closing

void TQRStandardPreview::QRPreviewMouseDown(TObject*, TMouseButton, TShiftState, Integer X, Integer Y)
{
  ReportMouseEvent(true, X, Y);
}

void TQRStandardPreview::QRPreviewMouseMove(TObject*, TShiftState, Integer X, Integer Y)
{
  ReportMouseEvent(false, X, Y);
}

void TQRStandardPreview::KeyPage(Integer Page)
{
  FKeyPaging = true;
  SelectPage(Page);
  FKeyPaging = false;
}

void TQRStandardPreview::FormKeyDown(TObject*, Word& Key, TShiftState Shift)
{
  try {
    if (Key == VK_ESCAPE) {
      Close();
      return;
    }
    if (ThumbGrid->Focused())
      return;
    const bool CtrlOnly = Shift == TShiftState{ssCtrl};
    TControlScrollBar* V = QRPreview->VertScrollBar();
    const Integer Page = QRPreview->PageNumber();
    switch (Key) {
    case VK_PRIOR: KeyPage(CtrlOnly ? 1 : Page - 1); break;
    case VK_NEXT:
      if (CtrlOnly)
        LastPageClick(this);
      else
        KeyPage(Page + 1);
      break;
    case VK_END: LastPageClick(this); break;
    case VK_HOME: KeyPage(1); break;
    case VK_UP:
      if (V->Position() - V->Increment() <= 0) {
        // On the first page there is no page before: the top of this one.
        if (Page <= 1)
          V->SetPosition(0);
        else {
          KeyPage(Page - 1);
          V->SetPosition(Page - 1 == 1 ? 0 : V->Range() - QRPreview->Height() - V->Increment());
        }
      } else {
        V->SetPosition(V->Position() - V->Increment());
      }
      break;
    case VK_DOWN:
      if (V->Position() + V->Increment() < V->Range() - QRPreview->Height())
        V->SetPosition(V->Position() + V->Increment());
      else
        KeyPage(Page + 1);
      break;
    default: return;
    }
  } catch (const Exception&) {
    // Paging past either end leaves the page as it is.
  }
}

void TQRStandardPreview::WndProc(TMessage& Message)
{
  if (Message.Msg == WM_MOUSEWHEEL) {
    Word Key = SmallInt(HiWord(DWORD(Message.WParam))) > 0 ? VK_UP : VK_DOWN;
    FormKeyDown(this, Key, GetShiftState());
    return;
  }
  inherited::WndProc(Message);
}

void TQRStandardPreview::FormCloseQuery(TObject*, bool& CanClose)
{
  CanClose = !(ReportExporting() || (FQRPrinter && FQRPrinter->Status() != mpFinished));
  if (!CanClose)
    ShowMessage(QStringLiteral("The report is still executing"));
}

void TQRStandardPreview::FormClose(TObject*, TCloseAction& Action)
{
  if ((FQRPrinter && FQRPrinter->Status() == mpBusy) || !ExitButton->Enabled()) {
    Action = caNone;
    return;
  }
  HookHandled(spClose, String());
  if (FQRPrinter)
    FQRPrinter->ClosePreview(this);
  Application->ProcessMessages();
  Action = caFree;
}

// ---------------------------------------------------------------------------
// The report's part

bool TQRStandardPreview::HookHandled(TStandPrevEventType EventType, const String& Name)
{
  if (!FCurrentReport || !FCurrentReport->OnStandPrevEvent)
    return false;
  bool Handled = false;
  FCurrentReport->OnStandPrevEvent(this, EventType, Name, Handled);
  return Handled;
}

// A report limited to so many preview pages stops once they are stored.
void TQRStandardPreview::ReportPagesInPreviewReached()
{
  if (FCurrentReport && FCurrentReport->PagesInPreview() != 0 && FCurrentReport->PagesInPreview() == PageCount())
    FCurrentReport->UserCancel = true;
}

void TQRStandardPreview::ReportUserCancel()
{
  if (FCurrentReport)
    FCurrentReport->UserCancel = true;
}

// The report's default save type, while the format can be written at all:
// a name offered with an extension nothing writes would save nothing.
String TQRStandardPreview::ReportDefaultSaveExtension() const
{
  if (!FCurrentReport)
    return PrevSaveTypeExtension(stQRP);
  const String Ext = PrevSaveTypeExtension(FCurrentReport->PreviewDefaultSaveType());
  if (Ext.mid(1) == ReportFileExtension || QRExportFilterLibrary().GetFilterByExtension(Ext.mid(1)))
    return Ext;
  return PrevSaveTypeExtension(stQRP);
}

void TQRStandardPreview::ReportExport(TQRExportFilter* Filter)
{
  if (FCurrentReport)
    FCurrentReport->ExportToFilter(Filter);
  else
    FQRPrinter->ExportToFilter(Filter);
}

void TQRStandardPreview::ReportTakeLoadedPaper()
{
  if (!FCurrentReport)
    return;
  FCurrentReport->Page()->SetPaperSize(FQRPrinter->PaperSize());
  FCurrentReport->Page()->SetOrientation(FQRPrinter->Orientation());
}

// The report runs again to the printer; the job it previews stays.
void TQRStandardPreview::ReportPrintAgain()
{
  FCurrentReport->Print();
  if (!QRPreview->QRPrinter() && FCurrentReport->QRPrinter()) {
    FQRPrinter = FCurrentReport->QRPrinter();
    QRPreview->SetQRPrinter(FQRPrinter);
  }
}

void TQRStandardPreview::ReportPrinterSetup()
{
  if (!FCurrentReport || !QRReportPrinterSetup(FCurrentReport))
    return;
  FQRPrinter->SetPrinterIndex(FCurrentReport->PrinterSettings()->PrinterIndex);
  ApplyPrintDialogChoices(FQRPrinter, *FCurrentReport->UserPrinterSettings());
  if (PrintStoredPages)
    return;
  const TQRPrinterSettings& U = *FCurrentReport->UserPrinterSettings();
  TQRPrinterSettings& P = *FCurrentReport->PrinterSettings();
  P.OutputBin = FQRPrinter->OutputBin();
  P.UseCustomBinCode = FQRPrinter->UseCustomBinCode();
  P.CustomBinCode = FQRPrinter->CustomBinCode();
  P.Copies = U.Copies;
  P.Duplex = U.Duplex;
  P.FirstPage = U.FirstPage;
  P.LastPage = U.LastPage;
  P.ExtendedDuplex = FQRPrinter->ExtendedDuplex();
  P.UseExtendedDuplex = FQRPrinter->UseExtendedDuplex();
  P.CustomPaperCode = U.CustomPaperCode;
  P.UseCustomPaperCode = U.UseCustomPaperCode;
  P.PrintQuality = U.PrintQuality;
  P.Collate = U.Collate;
  P.ColorOption = U.ColorOption;
  P.Orientation = FCurrentReport->Page()->Orientation();
  P.PaperSize = FCurrentReport->Page()->PaperSize();
  if (FCurrentReport->PrintAfterSetup)
    PrintClick(this);
}

// The printed item under the pointer goes to the report's mouse hook. The
// items are read only once the run that records them has ended.
void TQRStandardPreview::ReportMouseEvent(bool Click, Integer X, Integer Y)
{
  auto* Report = dynamic_cast<TQRReport*>(FCurrentReport);
  if (!Report || !Report->UsePreviewLinks || !Report->Available() || !Report->OnStandPrevMouseEvent)
    return;
  const double Scale = QRPreview->Zoom() * udpifact;
  const Integer px = Integer(Round(X * 100 / Scale)), py = Integer(Round(Y * 100 / Scale));
  TQRLinkPage* Page = Report->PageLinkInfoList()->getPageRec(QRPreview->PageNumber());
  if (!Page)
    return;
  TPageItemRec* Item = Page->HitTest(px, py);
  if (Click) {
    if (Item)
      Report->OnStandPrevMouseEvent(Report, meMouseClick, Item);
  } else {
    Report->OnStandPrevMouseEvent(Report, Item ? meMouseOver : meMouseOut, Item);
  }
}

bool TQRStandardPreview::ReportExporting() const { return FCurrentReport && FCurrentReport->Exporting(); }

// The report's preview settings: window, zoom, panels and buttons.
void TQRStandardPreview::SetupFromController(TQRPreviewController* prevcon)
{
  SetFormStyle(prevcon->PrevWindowStyle);
  ShowThumbs = prevcon->ShowThumbs;
  ShowSearch = prevcon->ShowFindButton;
  InitZoom = prevcon->PrevInitZoom;
  InitZoomValue = FCurrentReport->Zoom();
  if (!FReportTitle.isEmpty())
    FQRPrinter->SetTitle(FReportTitle);
  const std::pair<TControl*, bool> Shown[] = {
    {LoadReport, prevcon->ShowLoadReportButton}, {SaveReport, prevcon->ShowSaveReportButton},
    {CancelButton, prevcon->ShowCancelButton}, {Print, prevcon->ShowPrintButton},
    {PrintSetup, prevcon->ShowPrintSetupButton}, {FindButton, prevcon->ShowFindButton},
    {GotoPageButton, prevcon->ShowGotoButton}, {ZoomPickButton, prevcon->ShowZoomPickButton},
    {Zoom100, prevcon->ShowZoom100Button}, {ZoomFit, prevcon->ShowZoomFitButton},
    {ZoomToWidth, prevcon->ShowZoomToWidthButton}, {FirstPage, prevcon->ShowFirstButton},
    {PreviousPage, prevcon->ShowPrevButton}, {nextPage, prevcon->ShowNextButton},
    {LastPage, prevcon->ShowLastButton}, {copybutton, prevcon->ShowCopyButton}};
  for (const auto& [C, Show] : Shown)
    C->SetVisible(Show);
  TBorderIcons Icons;
  if (prevcon->ShowSysMenu)
    Icons.Include(biSystemMenu);
  if (prevcon->ShowMinimise)
    Icons.Include(biMinimize);
  if (prevcon->ShowMaximise)
    Icons.Include(biMaximize);
  SetBorderIcons(Icons);
  SetWindowState(prevcon->PrevInitState);
  if (prevcon->PrevInitState != wsMaximized)
    SetBounds(prevcon->PrevInitLeft, prevcon->PrevInitTop, prevcon->prevInitWidth, prevcon->prevInitHeight);
}

// ---------------------------------------------------------------------------
// The preview interface

TWinControl* TQRStandardPreviewInterface::Show(TQRPrinter* AQRPrinter)
{
  auto* Form = new TQRStandardPreview(Application, AQRPrinter);
  Form->Show();
  return Form;
}

TWinControl* TQRStandardPreviewInterface::ShowModal(TQRPrinter* AQRPrinter)
{
  auto* Form = new TQRStandardPreview(Application, AQRPrinter);
  Form->ShowModal();
  return Form;
}
