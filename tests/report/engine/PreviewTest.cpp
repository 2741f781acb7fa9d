// PreviewTest.cpp: the preview control, the standard preview window, the
// progress window and the print dialog, on the offscreen platform with jobs
// whose pages are drawn straight onto the job's canvas.
#include "report/engine/QRCtrls.h"
#include "report/engine/QRPageInfo.h"
#include "report/engine/QRPrev.h"
#include "report/engine/QRPrgres.h"
#include "report/engine/QRPrnSu.h"
#include "report/engine/QRSearchDlg.h"

#include "platform/gui/Screenshot.h"
#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/report/engine/MemoryRows.h"
#include "tests/report/engine/PageDump.h"
#include "tests/report/engine/ReportTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <thread>

using gui_test::GuiTest;

namespace {

String PageLabel(Integer N) { return QStringLiteral("Page %1 of the run").arg(N); }

// Pages 2 and 5 carry the total line that the searches look for.
void DrawPage(TQRPrinter& Job, Integer N)
{
  TCanvas* C = Job.Canvas();
  C->Font()->SetName(QStringLiteral("Arial"));
  C->Font()->SetSize(14);
  C->Rectangle(Job.XPos(150), Job.YPos(150), Job.XPos(1950), Job.YPos(2800));
  C->TextOut(Job.XPos(200), Job.YPos(200), PageLabel(N));
  if (N == 2 || N == 5)
    C->TextOut(Job.XPos(200), Job.YPos(500), QStringLiteral("Итоговая сумма: %1").arg(N * 100));
}

void RunPages(TQRPrinter& Job, Integer Count)
{
  Job.BeginDoc();
  for (Integer I = 1; I <= Count; ++I) {
    Job.NewPage();
    DrawPage(Job, I);
  }
  Job.EndDoc();
}

void LetMessagesRun()
{
  for (int I = 0; I < 3; ++I)
    Application->ProcessMessages();
}

QStringList ShownTexts(TQRPreview* P)
{
  TMetafile* M = P->PreviewImage()->Metafile();
  return M ? M->Texts() : QStringList();
}

String Panel(TQRStandardPreview* F, Integer I) { return F->StatusBar->Panels()->Items(I)->Text(); }

String RunTool(const QString& Program, const QStringList& Args)
{
  QProcess P;
  P.start(Program, Args);
  P.waitForFinished(60000);
  return QString::fromUtf8(P.readAllStandardOutput());
}

// A report over Rows rows: one 50 mm detail band printing "Row n". A row
// given as Hold waits for Release while the report prints it.
struct TReportRig {
  std::unique_ptr<TComponent> Owner = std::make_unique<TComponent>(nullptr);
  TQRReport* Report = nullptr;
  std::atomic<int> Hold = 0;
  std::atomic<bool> Release = true;

  explicit TReportRig(int Rows)
  {
    std::vector<std::vector<Variant>> Data;
    for (int I = 1; I <= Rows; ++I)
      Data.push_back({Variant(String::number(I))});
    auto* M = new TMemoryRows(Owner.get(), QStringLiteral("Rows"), {{"Name"}}, std::move(Data));
    M->Open();
    Report = new TQRReport(Owner.get());
    Report->SetName(QStringLiteral("Report1"));
    Report->SetDataSet(M);
    TQRBand* Detail = Report->CreateBand(rbDetail);
    Detail->Size()->SetHeight(50);
    auto* T = new TTextItem(Owner.get(), [this, M] {
      const String Name = M->FieldByName(QStringLiteral("Name"))->AsString();
      if (Name.toInt() == Hold)
        while (!Release)
          std::this_thread::sleep_for(std::chrono::milliseconds(2));
      return QStringLiteral("Row ") + Name;
    });
    T->SetParent(Detail);
  }
  ~TReportRig()
  {
    Release = true;
    Report->StopBackground();
  }
  TQRStandardPreview* Preview() const
  {
    return Report->QRPrinter() ? dynamic_cast<TQRStandardPreview*>(Report->QRPrinter()->PreviewControl()) : nullptr;
  }
};

class PreviewTest : public GuiTest {
protected:
  // A shown preview window over the job; freed before the job.
  TQRStandardPreview* Open(TQRPrinter& Job)
  {
    Form.reset(new TQRStandardPreview(nullptr, &Job));
    Form->Show();
    LetMessagesRun();
    return Form.get();
  }
  void TearDown() override
  {
    Form.reset();
    GuiTest::TearDown();
  }
  String File(const char* Name) const { return Dir.filePath(QString::fromLatin1(Name)); }
  std::unique_ptr<TQRStandardPreview> Form;
  QTemporaryDir Dir;
};

} // namespace

// ---------------------------------------------------------------------------
// The preview control

TEST_F(PreviewTest, ZoomAndFitArithmetic)
{
  TQRPrinter Job(nullptr);
  RunPages(Job, 2);
  TForm Host(nullptr, 0);
  Host.SetBounds(0, 0, 900, 700);
  auto* P = new TQRPreview(&Host);
  P->SetParent(&Host);
  P->SetBounds(0, 0, 760, 600);
  Host.Show();
  P->SetQRPrinter(&Job);

  // Out of range zooms are ignored; the ends of the range are taken.
  const struct { Integer Asked, Kept; } Zooms[] = {{50, 50}, {1, 50}, {2001, 50}, {2, 2}, {2000, 2000}, {100, 100}};
  for (const auto& Z : Zooms) {
    P->SetZoom(Z.Asked);
    EXPECT_EQ(P->Zoom(), Z.Kept) << Z.Asked;
  }
  // At 100 % the A4 page is its size at 96 dpi plus the shadow, centred
  // across when narrower than the preview, at the top when longer.
  P->SetZoom(50);
  EXPECT_EQ(P->PreviewImage()->Width(), 397 + 4);
  EXPECT_EQ(P->PreviewImage()->Height(), 561 + 4);
  EXPECT_EQ(P->PreviewImage()->Left(), (760 - 401) / 2);
  EXPECT_EQ(P->PreviewImage()->Top(), (600 - 565) / 2);
  P->SetZoom(100);
  EXPECT_EQ(P->PreviewImage()->Width(), 794 + 4);
  EXPECT_EQ(P->PreviewImage()->Left(), 0);
  EXPECT_TRUE(P->VertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(P->VertScrollBar()->Range(), 1123 + 4);
  EXPECT_EQ(P->ZoomState(), qrZoomOther);

  // 760 / 794 x 90 = 86.1; fit: the smaller of 760 / 794 x 95 and 600 / 1123 x 95.
  P->ZoomToWidth();
  EXPECT_EQ(P->Zoom(), 86);
  EXPECT_EQ(P->ZoomState(), qrZoomToWidth);
  P->ZoomToFit();
  EXPECT_EQ(P->Zoom(), 51);
  EXPECT_EQ(P->ZoomState(), qrZoomToFit);
  // A fitted page fits again when the preview is resized.
  P->SetBounds(0, 0, 760, 1200);
  EXPECT_EQ(P->Zoom(), 91);
  EXPECT_FALSE(P->VertScrollBar()->IsScrollBarVisible());
  P->SetQRPrinter(nullptr);
}

TEST_F(PreviewTest, PagesAppearAsTheJobStoresThem)
{
  TForm Host(nullptr, 0);
  auto* P = new TQRPreview(&Host);
  P->SetParent(&Host);
  Host.Show();
  std::vector<Integer> Available;
  P->OnPageAvailable = [&](TObject*, Integer N) { Available.push_back(N); };

  TQRPrinter Job(nullptr);
  P->SetQRPrinter(&Job);
  EXPECT_EQ(Job.Client(), P);
  EXPECT_TRUE(Job.ShowingPreview());
  Job.BeginDoc();
  Job.NewPage();
  DrawPage(Job, 1);
  LetMessagesRun();
  // Page 1 is still being drawn: nothing to show.
  EXPECT_FALSE(P->PreviewImage()->ImageOK());
  Job.NewPage();
  DrawPage(Job, 2);
  LetMessagesRun();
  EXPECT_EQ(ShownTexts(P), QStringList{PageLabel(1)});
  Job.EndDoc();
  LetMessagesRun();
  EXPECT_EQ(Available, (std::vector<Integer>{1, 2}));

  // A page past the end leaves the page shown; a real one shows.
  P->SetPageNumber(3);
  EXPECT_EQ(P->PageNumber(), 1);
  P->SetPageNumber(0);
  EXPECT_EQ(P->PageNumber(), 1);
  P->SetPageNumber(2);
  EXPECT_EQ(P->PageNumber(), 2);
  EXPECT_EQ(ShownTexts(P)[0], PageLabel(2));

  // Unbinding ends the job's showing state; a job still running is cancelled.
  TQRPrinter Running(nullptr);
  P->SetQRPrinter(&Running);
  Running.BeginDoc();
  Running.NewPage();
  P->SetQRPrinter(nullptr);
  EXPECT_FALSE(Running.ShowingPreview());
  EXPECT_TRUE(Running.Cancelled());
  EXPECT_EQ(Running.Client(), nullptr);
  Running.EndDoc();
}

TEST_F(PreviewTest, PageItemsHitTest)
{
  TQRLinkPage Page;
  for (const auto& [Name, L] : {std::pair{"Label1", 10.0}, std::pair{"Label2", 10.0}}) {
    auto Item = std::make_unique<TPageItemRec>();
    Item->controlname = QString::fromLatin1(Name);
    Item->recordnumber = 7;
    Item->left = L;
    Item->top = 20;
    Item->width = 100;
    Item->height = 15;
    Page.addItemRec(std::move(Item));
  }
  // Strictly inside; the first added wins where items overlap.
  EXPECT_EQ(Page.HitTest(10, 25), nullptr);
  EXPECT_EQ(Page.HitTest(11, 21)->controlname, QStringLiteral("Label1"));
  EXPECT_EQ(Page.HitTest(110, 25), nullptr);
  EXPECT_EQ(Page.FindItemByControlandRecord(QStringLiteral("Label2"), 7), Page.getItemRec(1));
  EXPECT_EQ(Page.FindItemByControlandRecord(QStringLiteral("label2"), 7), nullptr);

  // Initialise keeps the last entry alive for the report that adds it again.
  TQRPageInfoList List;
  auto* Current = new TQRLinkPage;
  List.addPageRec(new TQRLinkPage);
  List.addPageRec(Current);
  List.Initialise();
  EXPECT_EQ(List.Count(), 0);
  List.addPageRec(Current);
  EXPECT_EQ(List.getPageRec(0), Current);
  EXPECT_EQ(List.getPageRec(1), nullptr);
}

// ---------------------------------------------------------------------------
// The standard preview window

TEST_F(PreviewTest, PagingKeysAndThumbnails)
{
  TQRPrinter Job(nullptr);
  RunPages(Job, 10);
  TQRStandardPreview* F = Open(Job);
  EXPECT_EQ(F->QRPreview->PageNumber(), 1);
  EXPECT_EQ(Panel(F, 1), QStringLiteral("Page 1 of 10"));
  EXPECT_EQ(Panel(F, 2), QStringLiteral("Zoom 100%"));
  for (TControl* B : {static_cast<TControl*>(F->FirstPage), static_cast<TControl*>(F->LastPage),
                      static_cast<TControl*>(F->Print), static_cast<TControl*>(F->SaveReport),
                      static_cast<TControl*>(F->FindButton), static_cast<TControl*>(F->GotoPageButton)})
    EXPECT_TRUE(B->Enabled()) << B->Name().toStdString();
  EXPECT_FALSE(F->CancelButton->Enabled());
  EXPECT_EQ(F->ThumbGrid->RowCount(), 10);

  gui_test::Click(F->LastPage, QPoint(10, 10));
  EXPECT_EQ(F->QRPreview->PageNumber(), 10);
  EXPECT_EQ(F->ThumbGrid->Row(), 9);
  gui_test::Click(F->FirstPage, QPoint(10, 10));
  EXPECT_EQ(F->QRPreview->PageNumber(), 1);

  // The form sees the keys first.
  struct TKeyCase { int Key; Qt::KeyboardModifiers Mods; Integer Page; };
  const TKeyCase Keys[] = {{Qt::Key_PageDown, Qt::NoModifier, 2}, {Qt::Key_PageDown, Qt::ControlModifier, 10},
                           {Qt::Key_PageUp, Qt::NoModifier, 9}, {Qt::Key_Home, Qt::NoModifier, 1},
                           {Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier, 2},
                           {Qt::Key_End, Qt::NoModifier, 10}, {Qt::Key_PageUp, Qt::ControlModifier, 1},
                           {Qt::Key_PageUp, Qt::NoModifier, 1}};
  for (const TKeyCase& K : Keys) {
    gui_test::Key(F->QRPreview, K.Key, K.Mods);
    EXPECT_EQ(F->QRPreview->PageNumber(), K.Page) << K.Key;
  }

  // Down scrolls through the page, then turns to the next one.
  TControlScrollBar* V = F->QRPreview->VertScrollBar();
  ASSERT_TRUE(V->IsScrollBarVisible());
  Integer Downs = 0;
  while (F->QRPreview->PageNumber() == 1 && Downs < 1000) {
    gui_test::Key(F->QRPreview, Qt::Key_Down);
    ++Downs;
  }
  EXPECT_EQ(F->QRPreview->PageNumber(), 2);
  EXPECT_GT(Downs, 10);
  EXPECT_EQ(V->Position(), 0);
  // Up at the top goes back to the bottom of the page before.
  gui_test::Key(F->QRPreview, Qt::Key_Down);
  gui_test::Key(F->QRPreview, Qt::Key_Up);
  gui_test::Key(F->QRPreview, Qt::Key_Up);
  EXPECT_EQ(F->QRPreview->PageNumber(), 1);

  // The wheel scrolls as the arrows do.
  const Integer Before = V->Position();
  gui_test::Wheel(F->QRPreview, -1);
  EXPECT_EQ(V->Position(), Before + V->Increment());
  gui_test::Wheel(F->QRPreview, 1);
  EXPECT_EQ(V->Position(), Before);

  // A click on a thumbnail shows its page.
  F->Tabs->SetActivePage(F->TabThumbs);
  const TRect Cell = F->ThumbGrid->CellRect(0, 2);
  ASSERT_GT(Cell.Height(), 0);
  gui_test::Click(F->ThumbGrid, QPoint(Cell.Left + 20, Cell.Top + 20));
  EXPECT_EQ(F->QRPreview->PageNumber(), 3);
  EXPECT_EQ(Panel(F, 1), QStringLiteral("Page 3 of 10"));

  // Go to: a number in range, then text that is none.
  const auto Old = SetInputQueryHook([](const String& Caption, const String& Prompt, String& Value) {
    EXPECT_EQ(Caption, QStringLiteral("Select a page from 1 to 10"));
    EXPECT_EQ(Prompt, QStringLiteral("Enter page number"));
    Value = Value == QStringLiteral("3") ? QStringLiteral("7") : QStringLiteral("seven");
    return true;
  });
  F->GotoPageButton->Click();
  EXPECT_EQ(F->QRPreview->PageNumber(), 7);
  F->GotoPageButton->Click();
  EXPECT_EQ(F->QRPreview->PageNumber(), 1);
  SetInputQueryHook(Old);
}

TEST_F(PreviewTest, ZoomCommandsAndProgress)
{
  TQRPrinter Job(nullptr);
  RunPages(Job, 3);
  TQRStandardPreview* F = Open(Job);
  TPopupMenu::SetPopupHook([](TPopupMenu* M) { return M->Items()->Find(QStringLiteral("150%")); });
  gui_test::Click(F->ZoomPickButton, QPoint(10, 10));
  TPopupMenu::SetPopupHook(nullptr);
  EXPECT_EQ(F->QRPreview->Zoom(), 150);
  EXPECT_EQ(Panel(F, 2), QStringLiteral("Zoom 150%"));

  gui_test::Click(F->ZoomToWidth, QPoint(10, 10));
  EXPECT_EQ(F->QRPreview->ZoomState(), qrZoomToWidth);
  EXPECT_TRUE(F->ZoomToWidth->Down());
  EXPECT_FALSE(F->Zoom100->Down());
  EXPECT_EQ(Panel(F, 2), QStringLiteral("Zoom %1%").arg(F->QRPreview->Zoom()));
  gui_test::Click(F->Zoom100, QPoint(10, 10));
  EXPECT_EQ(F->QRPreview->Zoom(), 100);

  // Progress shows in steps of at least five.
  QStringList Shown;
  for (Integer P : {1, 3, 6, 8, 12}) {
    PostMessage(F->QRPreview, CM_QRPROGRESSUPDATE, WPARAM(P));
    LetMessagesRun();
    Shown << Panel(F, 0);
  }
  EXPECT_EQ(Shown, (QStringList{"0%", "0%", "6%", "6%", "12%"}));
}

TEST_F(PreviewTest, SearchListsThePagesFound)
{
  TQRPrinter Job(nullptr);
  RunPages(Job, 6);
  TQRStandardPreview* F = Open(Job);
  // Through the dialog, as a user fills it in.
  QTimer::singleShot(0, [] {
    auto* Dlg = dynamic_cast<TSearchDlg*>(Screen->ActiveForm());
    ASSERT_NE(Dlg, nullptr);
    EXPECT_EQ(Dlg->Caption(), QStringLiteral("Search for Text"));
    Dlg->Edit1->SetText(QStringLiteral("итоговая"));
    gui_test::Click(Dlg->SpeedButton2, QPoint(10, 10));
  });
  gui_test::Click(F->FindButton, QPoint(10, 10));
  EXPECT_EQ(F->Tabs->ActivePage(), F->TabSearchResult);
  EXPECT_EQ(F->SearchTextLabel->Caption(), QStringLiteral("итоговая"));
  ASSERT_EQ(F->SearchResultBox->Items()->Count(), 2);
  EXPECT_EQ(F->SearchResultBox->Items()->Strings(0), QStringLiteral("Page 2"));
  EXPECT_EQ(F->SearchResultBox->Items()->Strings(1), QStringLiteral("Page 5"));
  F->SearchResultBox->SetItemIndex(1);
  F->SearchResultBoxClick(F->SearchResultBox);
  EXPECT_EQ(F->QRPreview->PageNumber(), 5);

  // Cancelled: nothing searched; nothing found: one disabled line.
  QTimer::singleShot(0, [] {
    auto* Dlg = dynamic_cast<TSearchDlg*>(Screen->ActiveForm());
    ASSERT_NE(Dlg, nullptr);
    Dlg->Edit1->SetText(QStringLiteral("nowhere"));
    gui_test::Click(Dlg->SpeedButton1, QPoint(10, 10));
  });
  gui_test::Click(F->FindButton, QPoint(10, 10));
  EXPECT_EQ(F->SearchResultBox->Items()->Count(), 2);
  F->SearchPages(QStringLiteral("nowhere"), false);
  EXPECT_EQ(F->SearchResultBox->Items()->Strings(0), QStringLiteral("No matching text"));
  EXPECT_FALSE(F->SearchResultBox->Enabled());
}

TEST_F(PreviewTest, SaveThenLoadReportFile)
{
  TQRPrinter Job(nullptr);
  RunPages(Job, 5);
  TQRStandardPreview* F = Open(Job);
  gui_test::MessageBoxRecorder Boxes;
  const auto Old = SetFileDialogHook([this](TOpenDialog* D) {
    EXPECT_EQ(D->Title, QStringLiteral("Save report"));
    EXPECT_EQ(D->FileName, QStringLiteral("*.QRP"));
    EXPECT_EQ(D->Filter, QStringLiteral("Report file(*.QRP)|*.QRP"));
    D->FileName = File("report");
    D->FilterIndex = 1;
    return true;
  });
  gui_test::Click(F->SaveReport, QPoint(10, 10));
  SetFileDialogHook(Old);
  ASSERT_TRUE(QFile::exists(File("report.QRP")));

  // No filter for PDF is registered: refused aloud, nothing written.
  F->SaveAs(File("x.PDF"), 1);
  EXPECT_FALSE(QFile::exists(File("x.PDF")));
  ASSERT_EQ(Boxes.Requests.size(), 1u);
  EXPECT_TRUE(Boxes.Requests[0].Text.contains(QStringLiteral(".PDF")));

  // A file that cannot be written is left alone.
  QFile Locked(File("locked.QRP"));
  ASSERT_TRUE(Locked.open(QIODevice::WriteOnly));
  Locked.close();
  Locked.setPermissions(QFileDevice::ReadOwner);
  if (!QFile(File("locked.QRP")).open(QIODevice::ReadWrite)) {   // root may write anyway
    F->SaveAs(File("locked.QRP"), 1);
    EXPECT_EQ(Boxes.Requests.back().Text, QStringLiteral("The file is read-only or in use - save abandoned."));
    EXPECT_EQ(QFileInfo(File("locked.QRP")).size(), 0);
  }
  Form.reset();

  // Loaded into another preview: the same pages, printable as stored.
  TQRPrinter Loaded(nullptr);
  PrintStoredPages = false;
  TQRStandardPreview* G = Open(Loaded);
  G->LoadFrom(File("missing.QRP"));
  EXPECT_EQ(Boxes.Requests.back().Text, QStringLiteral("File does not exist"));
  G->LoadFrom(File("report.QRP"));
  EXPECT_EQ(Loaded.PageCount(), 5);
  EXPECT_EQ(Panel(G, 1), QStringLiteral("Page 1 of 5"));
  EXPECT_EQ(Panel(G, 3), File("report.QRP"));
  EXPECT_TRUE(G->Print->Enabled());
  EXPECT_TRUE(PrintStoredPages);
  EXPECT_EQ(G->ThumbGrid->RowCount(), 5);
  G->SelectPage(5);
  EXPECT_EQ(ShownTexts(G->QRPreview)[0], PageLabel(5));
  PrintStoredPages = false;
}

TEST_F(PreviewTest, PrintStoredPagesToPdf)
{
  TQRPrinter Job(nullptr);
  RunPages(Job, 4);
  Job.SetOutputFileName(File("out.pdf"));
  TQRStandardPreview* F = Open(Job);
  gui_test::Click(F->Print, QPoint(10, 10));
  EXPECT_TRUE(F->ExitButton->Enabled());
  const String Info = RunTool(QStringLiteral("pdfinfo"), {File("out.pdf")});
  EXPECT_TRUE(Info.contains(QRegularExpression(QStringLiteral("Pages:\\s+4\\n")))) << Info.toStdString();
  const String Text = RunTool(QStringLiteral("pdftotext"), {File("out.pdf"), QStringLiteral("-")});
  EXPECT_TRUE(Text.contains(PageLabel(4))) << Text.toStdString();
}

TEST_F(PreviewTest, RefusesToCloseWhileTheJobRuns)
{
  TQRPrinter Job(nullptr);
  auto* F = new TQRStandardPreview(nullptr, &Job);
  bool Freed = false;
  F->OnDestroy = [&](TObject*) { Freed = true; };
  F->Show();
  Job.BeginDoc();
  for (Integer I = 1; I <= 10; ++I) {
    Job.NewPage();
    DrawPage(Job, I);
  }
  LetMessagesRun();
  // Ten pages counted, the tenth still being drawn.
  EXPECT_TRUE(F->CancelButton->Enabled());
  EXPECT_FALSE(F->Print->Enabled());
  gui_test::Click(F->LastPage, QPoint(10, 10));
  EXPECT_EQ(F->QRPreview->PageNumber(), 9);

  gui_test::MessageBoxRecorder Boxes;
  gui_test::Key(F->QRPreview, Qt::Key_Escape);
  LetMessagesRun();
  ASSERT_FALSE(Freed);
  ASSERT_EQ(Boxes.Requests.size(), 1u);
  EXPECT_EQ(Boxes.Requests[0].Text, QStringLiteral("The report is still executing"));
  EXPECT_TRUE(F->Visible());

  Job.EndDoc();
  LetMessagesRun();
  EXPECT_TRUE(F->Print->Enabled());
  EXPECT_FALSE(F->CancelButton->Enabled());
  gui_test::Click(F->LastPage, QPoint(10, 10));
  EXPECT_EQ(F->QRPreview->PageNumber(), 10);
  gui_test::Click(F->ExitButton, QPoint(10, 10));
  LetMessagesRun();
  EXPECT_TRUE(Freed);
  EXPECT_FALSE(Job.ShowingPreview());
  EXPECT_EQ(Job.Client(), nullptr);
}

TEST_F(PreviewTest, JobOpensTheStandardPreview)
{
  TQRPrinter Job(nullptr);
  RunPages(Job, 3);
  Job.SetTitle(QStringLiteral("Табель"));
  Job.Preview();
  auto* F = dynamic_cast<TQRStandardPreview*>(Job.PreviewControl());
  ASSERT_NE(F, nullptr);
  bool Freed = false;
  F->OnDestroy = [&](TObject*) { Freed = true; };
  EXPECT_TRUE(F->Visible());
  EXPECT_EQ(F->Caption(), QStringLiteral("Report Preview : Табель"));
  EXPECT_EQ(F->QRPreview->QRPrinter(), &Job);
  EXPECT_TRUE(Job.ShowingPreview());
  gui_test::Click(F->ExitButton, QPoint(10, 10));
  LetMessagesRun();
  EXPECT_TRUE(Freed);
  EXPECT_FALSE(Job.ShowingPreview());
}

// ---------------------------------------------------------------------------
// With a report

TEST_F(PreviewTest, ReportStillGeneratingCannotBeClosed)
{
  TReportRig R(60);
  R.Hold = 30;
  R.Release = false;
  R.Report->PreviewModeless();
  TQRStandardPreview* F = R.Preview();
  ASSERT_NE(F, nullptr);
  bool Freed = false;
  F->OnDestroy = [&](TObject*) { Freed = true; };
  TQRPrinter* Job = R.Report->QRPrinter();
  // The run stops at the held row; the preview has heard of the pages before.
  ASSERT_TRUE(PumpUntil([&] { return Job->AvailablePages() >= 3 && F->CancelButton->Enabled(); }));
  EXPECT_EQ(F->CurrentReport(), R.Report);
  EXPECT_FALSE(F->Print->Enabled());
  {
    gui_test::MessageBoxRecorder Boxes;
    gui_test::Click(F->ExitButton, QPoint(10, 10));
    QCoreApplication::processEvents();
    ASSERT_FALSE(Freed);
    ASSERT_EQ(Boxes.Requests.size(), 1u);
    EXPECT_EQ(Boxes.Requests[0].Text, QStringLiteral("The report is still executing"));
  }
  R.Release = true;
  R.Report->WaitForBackground();
  ASSERT_TRUE(PumpUntil([&] { return F->Print->Enabled(); }));
  EXPECT_EQ(Panel(F, 1), QStringLiteral("Page 1 of %1").arg(Job->PageCount()));
  gui_test::Click(F->ExitButton, QPoint(10, 10));
  ASSERT_TRUE(PumpUntil([&] { return Freed; }));
  EXPECT_FALSE(Job->ShowingPreview());
}

TEST_F(PreviewTest, PagesInPreviewStopsTheReport)
{
  TReportRig R(200);
  R.Report->SetPagesInPreview(3);
  R.Report->PreviewModeless();
  ASSERT_NE(R.Preview(), nullptr);
  R.Report->WaitForBackground();
  TQRPrinter* Job = R.Report->QRPrinter();
  ASSERT_NE(Job, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return R.Preview()->Print->Enabled(); }));
  // The page being drawn when the third was stored may end too.
  EXPECT_GE(Job->PageCount(), 3);
  EXPECT_LE(Job->PageCount(), 4);
  R.Preview()->Close();
}

TEST_F(PreviewTest, PrintRunsTheReportAgain)
{
  TReportRig R(12);
  R.Report->PreviewModeless();
  R.Report->WaitForBackground();
  TQRStandardPreview* F = R.Preview();
  ASSERT_NE(F, nullptr);
  TQRPrinter* Job = R.Report->QRPrinter();
  ASSERT_TRUE(PumpUntil([&] { return F->Print->Enabled(); }));
  const Integer Pages = Job->PageCount();
  ASSERT_GT(Pages, 1);

  PrintStoredPages = false;
  Printer()->SetFileName(File("rerun.pdf"));
  R.Report->PrinterSettings()->UseStandardPrinter = true;
  gui_test::Click(F->Print, QPoint(10, 10));
  Printer()->SetFileName(String());
  // Printed by a new run at the printer's resolution; the preview keeps its job.
  const String Info = RunTool(QStringLiteral("pdfinfo"), {File("rerun.pdf")});
  EXPECT_TRUE(Info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(Pages)))) << Info.toStdString();
  const String Text = RunTool(QStringLiteral("pdftotext"), {File("rerun.pdf"), QStringLiteral("-")});
  EXPECT_TRUE(Text.contains(QStringLiteral("Row 12"))) << Text.toStdString();
  EXPECT_EQ(F->QRPreview->QRPrinter(), R.Report->QRPrinter());
  EXPECT_TRUE(F->ExitButton->Enabled());
  F->Close();
}

TEST_F(PreviewTest, PrinterSetupChoicesReachTheJob)
{
  TReportRig R(6);
  R.Report->PreviewModeless();
  R.Report->WaitForBackground();
  TQRStandardPreview* F = R.Preview();
  ASSERT_NE(F, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return F->PrintSetup->Enabled(); }));
  TQRPrinter* Job = R.Report->QRPrinter();
  PrintStoredPages = false;

  struct TCase { Integer Bin; bool Custom; TQRBin Expected; Integer Duplex; bool UseExtended; };
  const TCase Cases[] = {{4, false, TQRBin::Manual, 2, true}, {261, true, TQRBin::First, 1, false}};
  for (const TCase& C : Cases) {
    const auto Old = SetPrintDialogHook([&C, Job](TPrintDialogData& D) {
      EXPECT_EQ(D.MaxPage, Job->PageCount());
      D.Copies = 2;
      D.PrintRange = prPageNums;
      D.FromPage = 2;
      D.ToPage = 3;
      D.DefaultSource = C.Bin;
      D.Duplex = C.Duplex;
      D.PrintQuality = 300;
      D.Color = 2;
      D.Collate = true;
      D.Orientation = 2;
      return true;
    });
    gui_test::Click(F->PrintSetup, QPoint(10, 10));
    SetPrintDialogHook(Old);
    EXPECT_EQ(Job->UseCustomBinCode(), C.Custom);
    if (C.Custom) {
      EXPECT_EQ(Job->CustomBinCode(), C.Bin);
    } else {
      EXPECT_EQ(Job->OutputBin(), C.Expected);
    }
    EXPECT_EQ(Job->Copies(), 2);
    EXPECT_EQ(Job->FirstPage(), 2);
    EXPECT_EQ(Job->LastPage(), 3);
    EXPECT_EQ(Job->Collate(), 1);
    EXPECT_EQ(Job->PrintQuality(), 300);
    EXPECT_EQ(Job->ColorOption(), 2);
    EXPECT_EQ(Job->UseExtendedDuplex(), C.UseExtended);
    // A report on its own keeps the choices for its next run.
    EXPECT_EQ(R.Report->PrinterSettings()->Copies, 2);
    EXPECT_EQ(R.Report->PrinterSettings()->FirstPage, 2);
    EXPECT_EQ(R.Report->PrinterSettings()->LastPage, 3);
    EXPECT_EQ(R.Report->Page()->Orientation(), poLandscape);
  }
  // Cancelled: nothing changes.
  const auto Old = SetPrintDialogHook([](TPrintDialogData&) { return false; });
  R.Report->PrinterSettings()->Copies = 5;
  gui_test::Click(F->PrintSetup, QPoint(10, 10));
  SetPrintDialogHook(Old);
  EXPECT_EQ(R.Report->PrinterSettings()->Copies, 5);
  EXPECT_EQ(Job->Copies(), 2);
  F->Close();
}

// How the report chooses its preview window: its own settings, or those of
// a preview controller when it has one.
TEST_F(PreviewTest, ReportSettingsShapeThePreviewWindow)
{
  struct TCase {
    const char* Name;
    std::function<void(TQRReport*)> Setup;
    std::function<void(TQRStandardPreview*)> Check;
  };
  const TCase Cases[] = {
    {"the report's own settings",
     [](TQRReport* R) {
       R->SetPrevShowThumbs(false);
       R->SetPrevShowSearch(false);
       R->SetPrevInitialZoom(qrZoomOther);
       R->SetZoom(150);
       R->SetPreviewInitialState(wsNormal);
       R->SetPreviewLeft(10);
       R->SetPreviewTop(20);
       R->SetPreviewWidth(640);
       R->SetPreviewHeight(480);
     },
     [](TQRStandardPreview* F) {
       EXPECT_FALSE(F->Tabs->Visible());
       EXPECT_FALSE(F->FindButton->Visible());
       EXPECT_EQ(F->QRPreview->Zoom(), 150);
       EXPECT_TRUE(F->Zoom100->Down());
       EXPECT_EQ(F->WindowState(), wsNormal);
       EXPECT_EQ(F->FormStyle(), fsNormal);
       EXPECT_EQ(F->Width(), 640);
       EXPECT_EQ(F->Height(), 480);
     }},
    {"zoom to width, stay on top",
     [](TQRReport* R) {
       R->SetPrevInitialZoom(qrZoomToWidth);
       R->SetPrevFormStyle(fsStayOnTop);
     },
     [](TQRStandardPreview* F) {
       EXPECT_TRUE(F->ZoomToWidth->Down());
       EXPECT_EQ(F->QRPreview->ZoomState(), qrZoomToWidth);
       EXPECT_EQ(F->FormStyle(), fsStayOnTop);
       EXPECT_TRUE(F->Tabs->Visible());
     }},
    {"a preview controller",
     [](TQRReport* R) {
       auto* C = new TQRPreviewController(nullptr);
       C->ShowPrintButton = false;
       C->ShowThumbs = false;
       C->PrevInitZoom = qrZoom100;
       C->PrevInitState = wsMaximized;
       R->SetPreviewController(C);
     },
     [](TQRStandardPreview* F) {
       EXPECT_FALSE(F->Print->Visible());
       EXPECT_TRUE(F->SaveReport->Visible());
       EXPECT_FALSE(F->TabThumbs->TabVisible());
       EXPECT_EQ(F->QRPreview->Zoom(), 100);
       EXPECT_EQ(F->WindowState(), wsMaximized);
     }},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TReportRig R(4);
    C.Setup(R.Report);
    R.Report->PreviewModeless();
    R.Report->WaitForBackground();
    TQRStandardPreview* F = R.Preview();
    ASSERT_NE(F, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return F->Print->Enabled(); }));
    C.Check(F);
    F->Close();
    LetMessagesRun();
  }
}

// Every command first offers itself to the report's hook; a command the hook
// takes over does nothing more.
TEST_F(PreviewTest, ReportHookTakesCommandsOver)
{
  TReportRig R(4);
  std::vector<std::pair<TStandPrevEventType, String>> Heard;
  R.Report->OnStandPrevEvent = [&](TObject*, TStandPrevEventType Type, const String& Name, bool& Handled) {
    Heard.emplace_back(Type, Name);
    Handled = Type == spSave || Type == spPrint;
  };
  R.Report->PreviewModeless();
  R.Report->WaitForBackground();
  TQRStandardPreview* F = R.Preview();
  ASSERT_NE(F, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return F->Print->Enabled(); }));
  ASSERT_FALSE(Heard.empty());
  EXPECT_EQ(Heard.front(), std::make_pair(spOpen, String()));

  bool DialogShown = false;
  const auto Old = SetFileDialogHook([&](TOpenDialog* D) {
    DialogShown = true;
    // The report's default type has no filter here: report files are offered.
    if (D->Title == QStringLiteral("Save report")) {
      EXPECT_EQ(D->FileName, QStringLiteral("*.QRP"));
    }
    return false;
  });
  Heard.clear();
  gui_test::Click(F->SaveReport, QPoint(10, 10));
  EXPECT_FALSE(DialogShown);
  gui_test::Click(F->Print, QPoint(10, 10));
  EXPECT_TRUE(F->ExitButton->Enabled());
  gui_test::Click(F->LoadReport, QPoint(10, 10));
  EXPECT_TRUE(DialogShown);
  R.Report->OnStandPrevEvent = [&](TObject*, TStandPrevEventType Type, const String& Name, bool&) {
    Heard.emplace_back(Type, Name);
  };
  gui_test::Click(F->SaveReport, QPoint(10, 10));
  SetFileDialogHook(Old);
  const std::vector<std::pair<TStandPrevEventType, String>> Expected = {
    {spSave, QStringLiteral("Save")}, {spPrint, QStringLiteral("Print")}, {spLoad, QStringLiteral("Load")},
    {spSave, QStringLiteral("Save")}};
  EXPECT_EQ(Heard, Expected);
  F->Close();
  LetMessagesRun();
  EXPECT_EQ(Heard.back(), std::make_pair(spClose, String()));
}

// A report that records its printed items tells its mouse hook which of them
// lies under the pointer over the page.
TEST_F(PreviewTest, PreviewLinksReachTheMouseHook)
{
  TReportRig R(8);
  R.Report->UsePreviewLinks = true;
  TQRCustomBand* Detail = R.Report->Bands()->DetailBand();
  auto* Label = new TQRLabel(R.Owner.get());
  Label->SetName(QStringLiteral("Amount"));
  Label->SetParent(Detail);
  Label->SetCaption(QStringLiteral("Сумма"));
  Label->Size()->SetLeft(100);
  Label->Size()->SetTop(20);
  Label->SetActiveInPreview(true);
  auto* Silent = new TQRLabel(R.Owner.get());
  Silent->SetName(QStringLiteral("Silent"));
  Silent->SetParent(Detail);
  Silent->SetCaption(QStringLiteral("Не отмечается"));
  Silent->Size()->SetLeft(100);
  Silent->Size()->SetTop(35);
  for (int Run = 0; Run < 2; ++Run)   // a second run starts its list afresh
    R.Report->Prepare();
  TQRPrinter* Job = R.Report->QRPrinter();
  ASSERT_NE(Job, nullptr);
  TQRPageInfoList* Links = R.Report->PageLinkInfoList();
  // Entry 0 holds what came before the first page; then one entry a page.
  ASSERT_EQ(Links->Count(), Job->PageCount() + 1);
  EXPECT_EQ(Links->getPageRec(0)->Count(), 0);
  TQRLinkPage* Page2 = Links->getPageRec(2);
  ASSERT_GT(Page2->Count(), 0);
  for (const auto& Item : Page2->linkitems) {
    EXPECT_EQ(Item->controlname, QStringLiteral("Amount"));
    EXPECT_EQ(Item->controlclass, QStringLiteral("TQRLabel"));
    EXPECT_EQ(Item->textcontent, QStringLiteral("Сумма"));
  }
  // 100 mm right of the 10 mm margin, in pixels at 96 dpi.
  const TPageItemRec* First = Page2->getItemRec(0);
  EXPECT_NEAR(First->left, 110 / 25.4 * 96, 1);

  std::vector<std::pair<TStandPrevMouseEventType, String>> Heard;
  R.Report->OnStandPrevMouseEvent = [&](TObject* Sender, TStandPrevMouseEventType Type, TPageItemRec* Item) {
    EXPECT_EQ(Sender, R.Report);
    Heard.emplace_back(Type, Item ? Item->controlname : QStringLiteral("-"));
  };
  TQRStandardPreview* F = Open(*Job);
  F->SelectPage(2);
  TQRPreviewImage* Image = F->QRPreview->PreviewImage();
  const double Scale = F->QRPreview->Zoom() / 100.0 * Job->CurrentScreenDPI();
  const Integer X = Integer((First->left + First->width / 2) * Scale);
  const Integer Y = Integer((First->top + First->height / 2) * Scale);
  ASSERT_TRUE(Image->OnMouseMove);
  Image->OnMouseMove(Image, TShiftState(), X, Y);
  Image->OnMouseDown(Image, mbLeft, TShiftState(), X, Y);
  Image->OnMouseMove(Image, TShiftState(), 2, 2);
  Image->OnMouseDown(Image, mbLeft, TShiftState(), 2, 2);
  const std::vector<std::pair<TStandPrevMouseEventType, String>> Expected = {
    {meMouseOver, QStringLiteral("Amount")}, {meMouseClick, QStringLiteral("Amount")},
    {meMouseOut, QStringLiteral("-")}};
  EXPECT_EQ(Heard, Expected);
  Form.reset();
}

TEST_F(PreviewTest, Screenshot)
{
  TQRPrinter Job(nullptr);
  RunPages(Job, 5);
  TQRStandardPreview* F = Open(Job);
  F->SetWindowState(wsNormal);
  F->SetBounds(0, 0, 1000, 720);
  gui_test::Click(F->ZoomFit, QPoint(10, 10));
  F->SelectPage(2);
  LetMessagesRun();
  EXPECT_TRUE(SaveScreenshot(F, gui_test::OutputPath(QStringLiteral("report_preview.png"))));
}

// ---------------------------------------------------------------------------
// The progress window and the print dialog

TEST_F(PreviewTest, ProgressWindowShowsStepsOfFive)
{
  TQRPrinter Job(nullptr);
  TQRProgressForm Progress(nullptr);
  Progress.SetQRPrinter(&Job);
  Progress.Show();
  Job.SetClient(&Progress);
  Job.BeginDoc();
  Job.SetProgress(45);
  LetMessagesRun();
  EXPECT_EQ(Progress.Info->Caption(), QStringLiteral("45%  Completed"));
  EXPECT_EQ(Progress.Gauge->Position(), 45);
  Job.SetProgress(47);
  LetMessagesRun();
  EXPECT_EQ(Progress.Gauge->Position(), 45);
  gui_test::Click(Progress.CancelButton);
  EXPECT_TRUE(Job.Cancelled());
  Job.SetClient(nullptr);
  Job.EndDoc();
}

TEST_F(PreviewTest, PrintDialogResults)
{
  TPrinter P;
  P.SetFileName(File("dialog.pdf"));
  P.SetCopies(2);
  TQRPrintDialog D(nullptr);
  D.SetPrinterObject(&P);
  D.SetOptions({poPageNums, poWarning});
  D.SetMinPage(1);
  D.SetMaxPage(12);

  TPrintDialogData Seen;
  auto Answer = [&](Integer Copies, bool Accept) {
    return [&Seen, Copies, Accept](TPrintDialogData& Data) {
      Seen = Data;
      Data.Copies = Copies;
      Data.PrintRange = prPageNums;
      Data.FromPage = 3;
      Data.ToPage = 5;
      Data.DefaultSource = 4;
      Data.Duplex = 2;
      Data.PaperSize = 8;
      Data.Orientation = 2;
      Data.PrintQuality = 300;
      Data.Color = 1;
      Data.Collate = true;
      return Accept;
    };
  };
  // Cancelled: false, and the printer is as it was.
  auto Old = SetPrintDialogHook(Answer(3, false));
  EXPECT_FALSE(D.Execute());
  EXPECT_EQ(P.Copies(), 2);
  EXPECT_EQ(Seen.MaxPage, 12);
  EXPECT_EQ(Seen.Copies, 1);
  EXPECT_EQ(D.PrintRange(), prAllPages);

  // One copy keeps the printer's own count.
  SetPrintDialogHook(Answer(1, true));
  EXPECT_TRUE(D.Execute());
  EXPECT_EQ(D.Copies(), 2);
  EXPECT_EQ(P.Copies(), 2);
  SetPrintDialogHook(Answer(3, true));
  EXPECT_TRUE(D.Execute());
  EXPECT_EQ(D.Copies(), 3);
  EXPECT_EQ(P.Copies(), 3);
  EXPECT_EQ(D.PrintRange(), prPageNums);
  EXPECT_EQ(D.FromPage(), 3);
  EXPECT_EQ(D.ToPage(), 5);
  EXPECT_EQ(D.OutputBin(), 4);
  EXPECT_EQ(D.DuplexCode(), 2);
  EXPECT_TRUE(D.Duplex());
  EXPECT_EQ(D.PaperSize(), 8);
  EXPECT_EQ(D.Orientation(), 2);
  EXPECT_EQ(D.Collate(), 1);
  // The printer took the device choices.
  EXPECT_EQ(P.DeviceMode().PaperSize, 8);
  EXPECT_EQ(P.DeviceMode().Orientation, 2);
  SetPrintDialogHook(Old);
}
