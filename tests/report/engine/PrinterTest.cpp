// PrinterTest.cpp: the report printer job: recorded pages and the messages
// to its client, printing to a PDF file (checked with poppler's tools), print
// ranges, report files and the paper of a loaded report.
#include "report/engine/QRPrntr.h"
#include "report/engine/QRReport.h"

#include "platform/gui/Forms.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A window that keeps the job's messages in the order they arrive.
class TRecordingClient : public TWinControl {
public:
  TRecordingClient() : TWinControl(nullptr) {}
  struct TEntry {
    UINT Msg;
    Integer Value;
    bool operator==(const TEntry&) const = default;
  };
  std::vector<TEntry> Received;
  std::function<void(const TEntry&)> OnMessage;

protected:
  void WndProc(TMessage& Message) override
  {
    if (Message.Msg == CM_QRPAGEAVAILABLE || Message.Msg == CM_QRPROGRESSUPDATE) {
      const TEntry E{Message.Msg, Integer(Message.WParam & 0xFFFF)};
      Received.push_back(E);
      if (OnMessage)
        OnMessage(E);
      return;
    }
    TWinControl::WndProc(Message);
  }
};

String PageLabel(Integer N) { return QStringLiteral("Page %1 of the run").arg(N); }

// Draws the job's pages one by one, each with its own number.
void RunPages(TQRPrinter& Job, Integer Count)
{
  Job.BeginDoc();
  for (Integer I = 1; I <= Count; ++I) {
    Job.NewPage();
    Job.Canvas()->Font()->SetName(QStringLiteral("Arial"));
    Job.Canvas()->Font()->SetSize(12);
    Job.Canvas()->TextOut(Job.XPos(300), Job.YPos(300), PageLabel(I));
  }
  Job.EndDoc();
}

String Run(const QString& Program, const QStringList& Args)
{
  QProcess P;
  P.start(Program, Args);
  if (!P.waitForFinished(60000) || P.exitStatus() != QProcess::NormalExit || P.exitCode() != 0)
    return QStringLiteral("<%1 failed: %2>").arg(Program, QString::fromLocal8Bit(P.readAllStandardError()));
  return QString::fromUtf8(P.readAllStandardOutput());
}

Integer PdfPages(const String& File)
{
  const String Info = Run(QStringLiteral("pdfinfo"), {File});
  for (const String& Line : Info.split(QLatin1Char('\n')))
    if (Line.startsWith(QStringLiteral("Pages:")))
      return Line.mid(6).trimmed().toInt();
  ADD_FAILURE() << Info.toStdString();
  return -1;
}

String PdfPageSize(const String& File)
{
  const String Info = Run(QStringLiteral("pdfinfo"), {File});
  for (const String& Line : Info.split(QLatin1Char('\n')))
    if (Line.startsWith(QStringLiteral("Page size:")))
      return Line.mid(10).trimmed();
  return Info;
}

String PdfText(const String& File) { return Run(QStringLiteral("pdftotext"), {File, QStringLiteral("-")}); }

// Every page label of a five-page run that the file holds, in order.
QStringList LabelsIn(const String& Text)
{
  QStringList Found;
  for (Integer I = 1; I <= 5; ++I)
    if (Text.contains(PageLabel(I)))
      Found << PageLabel(I);
  return Found;
}

class PrinterTest : public ::testing::Test {
protected:
  String Pdf(const char* Name) const { return Dir.filePath(QString::fromLatin1(Name)); }
  QTemporaryDir Dir;
};

} // namespace

TEST_F(PrinterTest, PageMessagesArriveInOrder)
{
  TRecordingClient Client;
  Client.HandleNeeded();
  TQRPrinter Job(nullptr);
  Job.SetClient(&Client);
  Job.BeginDoc();
  for (Integer I = 1; I <= 3; ++I) {
    Job.NewPage();
    Job.Canvas()->TextOut(Job.XPos(100), Job.YPos(100), PageLabel(I));
    // The page being drawn is not in the list yet; the one before it is.
    EXPECT_EQ(Job.GetPage(I), nullptr);
    if (I > 1) {
      EXPECT_NE(Job.GetPage(I - 1), nullptr);
    }
  }
  Job.EndDoc();
  using E = TRecordingClient::TEntry;
  EXPECT_EQ(Client.Received, (std::vector<E>{{CM_QRPAGEAVAILABLE, 1}, {CM_QRPAGEAVAILABLE, 2}, {CM_QRPAGEAVAILABLE, 3}}));
  EXPECT_EQ(Job.Status(), mpFinished);
  EXPECT_EQ(Job.PageCount(), 3);
  ASSERT_NE(Job.GetPage(3), nullptr);
  EXPECT_EQ(Job.GetPage(3)->Texts(), QStringList{PageLabel(3)});
  EXPECT_EQ(Job.GetPage(4), nullptr);
  // Recorded at the fixed logical 96 dpi: A4 is 794 x 1123 pixels.
  EXPECT_EQ(Job.GetPage(1)->Width(), 794);
  EXPECT_EQ(Job.GetPage(1)->Height(), 1123);
}

TEST_F(PrinterTest, JobStatesAndIllegalCalls)
{
  TQRPrinter Job(nullptr);
  try {
    Job.NewPage();
    ADD_FAILURE() << "NewPage before BeginDoc";
  } catch (const EQRError& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Illegal call to NewPage"));
  }
  Job.BeginDoc();
  try {
    Job.BeginDoc();
    ADD_FAILURE() << "BeginDoc twice";
  } catch (const EQRError& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("QRPrinter not ready"));
  }
  Job.NewPage();
  Job.NewPage();
  Job.SetPageNumber(0);
  EXPECT_EQ(Job.PageNumber(), 2);
  Job.SetPageNumber(3);
  EXPECT_EQ(Job.PageNumber(), 2);
  Job.SetPageNumber(1);
  EXPECT_EQ(Job.PageNumber(), 1);
  Job.EndDoc();
  Job.EndDoc();   // nothing outside a running job
  EXPECT_EQ(Job.PageCount(), 2);
  Job.Cleanup();
  EXPECT_EQ(Job.Status(), mpReady);
  EXPECT_EQ(Job.GetPage(1), nullptr);
  RunPages(Job, 1);
  EXPECT_EQ(Job.PageCount(), 1);
}

// Pages outside the range are drawn (numbers and totals stay right) but only
// the range reaches the paper, without an empty sheet after it.
TEST_F(PrinterTest, PrinterJobPrintsOnlyItsRange)
{
  const String File = Pdf("range.pdf");
  TQRPrinter Job(nullptr);
  Job.SetOutputFileName(File);
  ASSERT_TRUE(Job.PrinterOK());
  Job.SetDestination(qrdPrinter);
  Job.SetPaperSize(TQRPaperSize::A4);
  Job.SetFirstPage(2);
  Job.SetLastPage(3);
  bool Printed = false;
  Job.AfterPrint = [&](TObject*) { Printed = true; };
  RunPages(Job, 5);
  EXPECT_EQ(Job.PageCount(), 5);
  EXPECT_TRUE(Printed);
  EXPECT_EQ(PdfPages(File), 2);
  EXPECT_EQ(LabelsIn(PdfText(File)), (QStringList{PageLabel(2), PageLabel(3)}));
}

TEST_F(PrinterTest, StoredPagesPrintTheirRange)
{
  TQRPrinter Job(nullptr);
  RunPages(Job, 5);
  const String File = Pdf("stored.pdf");
  Job.SetOutputFileName(File);
  Job.SetFirstPage(2);
  Job.SetLastPage(3);
  Job.Print();
  EXPECT_EQ(PdfPages(File), 2);
  EXPECT_EQ(LabelsIn(PdfText(File)), (QStringList{PageLabel(2), PageLabel(3)}));
  EXPECT_EQ(Job.FirstPage(), 0) << "the range serves one print";

  // All pages the next time.
  const String All = Pdf("all.pdf");
  Job.SetOutputFileName(All);
  Job.Print();
  EXPECT_EQ(PdfPages(All), 5);

  // A range past the last page prints what there is, no empty sheets.
  const String Tail = Pdf("tail.pdf");
  Job.SetOutputFileName(Tail);
  Job.SetFirstPage(4);
  Job.SetLastPage(9);
  Job.Print();
  EXPECT_EQ(PdfPages(Tail), 2);
  EXPECT_EQ(LabelsIn(PdfText(Tail)), (QStringList{PageLabel(4), PageLabel(5)}));
}

// A report's range and progress: 50 then 100 for pages 3 and 4, and the range
// is reset once printed.
TEST_F(PrinterTest, ReportPrintShowsProgress)
{
  TQRReport Report(nullptr);
  TQRPrinter Job(&Report);
  RunPages(Job, 5);
  TRecordingClient Client;
  Client.HandleNeeded();
  Job.SetClient(&Client);
  Report.SetShowProgress(true);
  Report.PrinterSettings()->FirstPage = 3;
  Report.PrinterSettings()->LastPage = 4;
  bool AfterPrint = false;
  Report.AfterPrint = [&](TObject* Sender) { AfterPrint = Sender == &Report; };
  const String File = Pdf("report.pdf");
  Job.SetOutputFileName(File);
  Job.Print();
  Application->ProcessMessages();
  using E = TRecordingClient::TEntry;
  EXPECT_EQ(Client.Received, (std::vector<E>{{CM_QRPROGRESSUPDATE, 50}, {CM_QRPROGRESSUPDATE, 100}}));
  EXPECT_TRUE(AfterPrint);
  EXPECT_EQ(Report.PrinterSettings()->FirstPage, 0);
  EXPECT_EQ(PdfPages(File), 2);
  EXPECT_EQ(LabelsIn(PdfText(File)), (QStringList{PageLabel(3), PageLabel(4)}));
}

TEST_F(PrinterTest, NothingPrintsWithoutPrinterOrFinishedJob)
{
  TQRPrinter Job(nullptr);
  const String File = Pdf("early.pdf");
  Job.SetOutputFileName(File);
  Job.Print();   // not finished: nothing happens
  EXPECT_FALSE(QFile::exists(File));
}

// The paper and orientation of a job, as the device gets them.
TEST_F(PrinterTest, JobSettingsReachThePrinter)
{
  struct Case { TQRPaperSize Paper; TPrinterOrientation Orientation; TQRBin Bin; bool Duplex;
                Integer PaperCode; Integer BinCode; Integer DuplexCode; const char* PdfSize; };
  const Case Cases[] = {
    {TQRPaperSize::A4, poPortrait, TQRBin::Upper, false, 9, 1, 1, "595 x 842 pts (A4)"},
    {TQRPaperSize::A5, poLandscape, TQRBin::Manual, true, 11, 4, 3, "595 x 420 pts (A5)"},
    {TQRPaperSize::Letter, poPortrait, TQRBin::Cassette, false, 1, 14, 1, "612 x 792 pts (letter)"},
  };
  Integer N = 0;
  for (const Case& C : Cases) {
    SCOPED_TRACE(PaperCode(C.Paper));
    const String File = Pdf(("settings" + std::to_string(++N) + ".pdf").c_str());
    TQRPrinter Job(nullptr);
    Job.SetOutputFileName(File);
    Job.SetDestination(qrdPrinter);
    Job.SetPaperSize(C.Paper);
    Job.SetOrientation(C.Orientation);
    Job.SetOutputBin(C.Bin);
    Job.SetExtendedDuplex(0);   // as a report sets it: the plain choice counts
    Job.SetDuplex(C.Duplex);
    TDeviceMode Written;
    Job.aPrinterSettings->OnApplyPrinterSettings = [&](TObject*, bool&, TDeviceMode* M) { Written = *M; };
    RunPages(Job, 1);
    EXPECT_EQ(Written.PaperSize, C.PaperCode);
    EXPECT_EQ(Written.DefaultSource, C.BinCode);
    EXPECT_EQ(Written.Duplex, C.DuplexCode);
    EXPECT_EQ(Written.Orientation, C.Orientation == poLandscape ? 2 : 1);
    EXPECT_EQ(PdfPageSize(File), QString::fromLatin1(C.PdfSize));
  }
}

// An aborted job's file says how many pages it really holds.
TEST_F(PrinterTest, AbortedJobKeepsItsTruePageCount)
{
  TQRPrinter Job(nullptr);
  Job.BeginDoc();
  for (Integer I = 1; I <= 3; ++I) {
    Job.NewPage();
    Job.Canvas()->TextOut(10, 10, PageLabel(I));
  }
  Job.AbortDoc();
  EXPECT_EQ(Job.Status(), mpFinished);
  const String File = Dir.filePath(QStringLiteral("aborted.qrp"));
  Job.Save(File);
  QFile F(File);
  ASSERT_TRUE(F.open(QIODevice::ReadOnly));
  const QByteArray Header = F.read(12);
  EXPECT_EQ(Byte(Header[8]), 3);

  TQRPrinter Loaded(nullptr);
  Loaded.Load(File);
  EXPECT_EQ(Loaded.Status(), mpFinished);
  EXPECT_TRUE(Loaded.ReportLoaded());
  EXPECT_EQ(Loaded.PageCount(), 3);
  ASSERT_NE(Loaded.GetPage(3), nullptr);
  EXPECT_EQ(Loaded.GetPage(3)->Texts(), QStringList{PageLabel(3)});
}

// The paper of a loaded report from the size of its first page: the first
// table paper of that size (A4 rather than A4Small, Letter rather than Note),
// also where recording in whole pixels made the page a little smaller (A3, A5).
TEST_F(PrinterTest, LoadedReportFindsItsPaper)
{
  struct Case { double WidthMM; double LengthMM; TQRPaperSize Paper; TPrinterOrientation Orientation; };
  const Case Cases[] = {
    {210, 297, TQRPaperSize::A4, poPortrait},        {297, 210, TQRPaperSize::A4, poLandscape},
    {215.9, 279.4, TQRPaperSize::Letter, poPortrait}, {279.4, 215.9, TQRPaperSize::Letter, poLandscape},
    {297, 420, TQRPaperSize::A3, poPortrait},         {215.9, 355.6, TQRPaperSize::Legal, poPortrait},
    {148, 210, TQRPaperSize::A5, poPortrait},         {210, 148, TQRPaperSize::A5, poLandscape},
    {100, 150, TQRPaperSize::Executive, poPortrait},  {150, 100, TQRPaperSize::Executive, poLandscape},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.WidthMM);
    TQRPageList List;
    List.SetStream(std::make_unique<TQRStream>(1000000));
    TMetafile Page;
    Page.SetWidth(Integer(std::nearbyint(C.WidthMM * 96 / 25.4)));
    Page.SetHeight(Integer(std::nearbyint(C.LengthMM * 96 / 25.4)));
    { TMetafileCanvas Canvas(&Page, nullptr); Canvas.TextOut(1, 1, QStringLiteral("x")); }
    List.AddPage(&Page);
    List.Finish();
    TMemoryStream Bytes;
    List.SaveToStream(&Bytes);

    TQRPrinter Job(nullptr);
    Job.SetPaperSize(TQRPaperSize::Executive);   // kept when nothing matches
    Job.SetOrientation(C.Orientation == poPortrait ? poLandscape : poPortrait);
    Job.LoadFromStream(&Bytes);
    EXPECT_EQ(Job.PaperSize(), C.Paper);
    EXPECT_EQ(Job.Orientation(), C.Orientation);
    EXPECT_EQ(Job.PageCount(), 1);
  }
}

TEST(QRPrinterUnit, TextPositionAndEncoding)
{
  EXPECT_EQ(QRPos(QStringLiteral("b"), QStringLiteral("abc")), 2);
  EXPECT_EQ(QRPos(QStringLiteral("x"), QStringLiteral("abc")), 0);
  EXPECT_EQ(QRPos(String(), QStringLiteral("abc")), 0);
  TQRTextEncoding Encoding;
  EXPECT_TRUE(Encoding.GetPreamble().isEmpty());
  EXPECT_EQ(Encoding.GetMaxByteCount(100), 0);
  EXPECT_EQ(Encoding.GetMaxCharCount(7), 7);
  EXPECT_EQ(Encoding.GetString(Encoding.GetBytes(QStringLiteral("Итого"))), QStringLiteral("Итого"));
}
