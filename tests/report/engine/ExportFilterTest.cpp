// ExportFilterTest.cpp: the library of export filters that the preview's
// Save dialog offers, and the order in which an export run calls a filter.
#include "report/engine/QRPrntr.h"
#include "report/engine/QRCtrls.h"
#include "report/engine/QRReport.h"

#include <gtest/gtest.h>

namespace {

class TPdfLikeFilter : public TQRExportFilter {
  VELMORA_CLASS(TPdfLikeFilter)
public:
  using TQRExportFilter::TQRExportFilter;
  String GetName() const override { return QStringLiteral("Документ PDF"); }
  String GetFileExtension() const override { return QStringLiteral("PDF"); }
};

class TCsvLikeFilter : public TQRExportFilter {
  VELMORA_CLASS(TCsvLikeFilter)
public:
  using TQRExportFilter::TQRExportFilter;
  String GetName() const override { return QStringLiteral("CSV"); }
  String GetFileExtension() const override { return QStringLiteral("csv"); }
};

} // namespace

TEST(QRExportFilterLibrary, DialogFilterAndLookup)
{
  TQRExportFilterLibrary Library;
  EXPECT_EQ(Library.SaveDialogFilterString(), QStringLiteral("Report file(*.QRP)|*.QRP"));
  Library.AddFilter(ExportFilterClass<TPdfLikeFilter>());
  Library.AddFilter(ExportFilterClass<TPdfLikeFilter>());
  Library.AddFilter(ExportFilterClass<TCsvLikeFilter>());
  EXPECT_EQ(Library.Filters().size(), 2u);
  EXPECT_EQ(Library.SaveDialogFilterString(),
            QStringLiteral("Report file(*.QRP)|*.QRP|Документ PDF (*.PDF)|*.PDF|CSV (*.csv)|*.csv"));
  ASSERT_NE(Library.GetFilterByExtension(QStringLiteral("pdf")), nullptr);
  EXPECT_EQ(Library.GetFilterByExtension(QStringLiteral("pdf"))->FilterName, QStringLiteral("Документ PDF"));
  EXPECT_EQ(Library.GetFilterByExtension(QStringLiteral("xlsx")), nullptr);
  Library.RemoveFilter(ExportFilterClass<TPdfLikeFilter>());
  EXPECT_EQ(Library.SaveDialogFilterString(), QStringLiteral("Report file(*.QRP)|*.QRP|CSV (*.csv)|*.csv"));

  // The base filter is a working object that writes nothing.
  TQRExportFilter Base(QStringLiteral("/tmp/none"));
  EXPECT_EQ(Base.Description(), QStringLiteral("Abstract non-working export filter"));
  EXPECT_FALSE(Base.Active());
  Base.Start(2100, 2970, nullptr);
  EXPECT_TRUE(Base.Active());
  Base.Finish();
  EXPECT_FALSE(Base.Active());
}

namespace {

// Writes down every call, as a filter that builds pages would see them; an
// EndPage with no page begun is the call before the first page.
class TRecordingFilter : public TQRExportFilter {
  VELMORA_CLASS(TRecordingFilter)
public:
  using TQRExportFilter::TQRExportFilter;
  QStringList Calls;
  Integer PagesWritten = 0;

  void Start(Integer PaperWidth, Integer PaperHeight, TFont* Font) override
  {
    TQRExportFilter::Start(PaperWidth, PaperHeight, Font);
    Calls << QStringLiteral("Start %1x%2").arg(PaperWidth).arg(PaperHeight);
  }
  void NewPage() override
  {
    FPageOpen = true;
    Calls << QStringLiteral("NewPage");
  }
  void EndPage() override
  {
    Calls << (FPageOpen ? QStringLiteral("EndPage") : QStringLiteral("EndPage (no page)"));
    if (FPageOpen)
      ++PagesWritten;
    FPageOpen = false;
  }
  void Finish() override
  {
    Calls << QStringLiteral("Finish");
    TQRExportFilter::Finish();
  }
  void TextOut(Extended, Extended, TFont*, TColor, TAlignment, const String& Text) override
  {
    Calls << QStringLiteral("TextOut ") + Text;
  }

private:
  bool FPageOpen = false;
};

// A control on the report that hands its text to the filter when it prints.
class TTextControl : public TQRPrintable {
public:
  using TQRPrintable::TQRPrintable;
  String Text;
  void Print(Integer OfsX, Integer OfsY) override
  {
    TQRPrintable::Print(OfsX, OfsY);
    TCustomQRReport* Report = ParentReport();
    if (Report->Exporting())
      Report->ExportFilter()->TextOut(QRPrinter()->XPos(OfsX + Size()->Left()), QRPrinter()->YPos(OfsY + Size()->Top()),
                                      Font(), clWhite, taLeftJustify,
                                      QStringLiteral("%1 %2").arg(Text).arg(Report->PageNumber()));
  }
};

} // namespace

// The order in which an export run calls its filter: Start once, EndPage
// before the first page too, each page's content between its NewPage and
// EndPage, and Finish after the last EndPage. The export job itself records
// only the first page.
TEST(QRExportFilter, CallOrderOfAnExportRun)
{
  TQRReport Report(nullptr);
  auto* Control = new TTextControl(&Report);
  Control->SetParent(&Report);
  Control->Text = QStringLiteral("Итого");
  TRecordingFilter Filter(QStringLiteral("/tmp/unused"));
  TQRPrinter Job(&Report);
  Report.SetQRPrinter(&Job);
  Report.SetExportFilter(&Filter);
  Report.SetFinalPass(false);
  ASSERT_TRUE(Report.Exporting());

  // The run as the generation drives it.
  Report.SetUnits(TQRUnit::Native);
  Job.BeginDoc();
  if (!Filter.Active())
    Filter.Start(Integer(Report.Page()->Width()), Integer(Report.Page()->Length()), Report.Font());
  Control->Prepare();
  for (Integer Page = 1; Page <= 3; ++Page)
    Report.NewPage();
  Report.SetLastPage(true);
  Report.EndPage();
  Filter.Finish();
  Control->Unprepare();
  Job.AbortDoc();

  EXPECT_EQ(Filter.Calls, (QStringList{
    QStringLiteral("Start 2100x2970"), QStringLiteral("EndPage (no page)"),
    QStringLiteral("NewPage"), QStringLiteral("TextOut Итого 1"), QStringLiteral("EndPage"),
    QStringLiteral("NewPage"), QStringLiteral("TextOut Итого 2"), QStringLiteral("EndPage"),
    QStringLiteral("NewPage"), QStringLiteral("TextOut Итого 3"), QStringLiteral("EndPage"),
    QStringLiteral("Finish")}));
  EXPECT_EQ(Filter.PagesWritten, 3);
  EXPECT_FALSE(Filter.Active());
  EXPECT_EQ(Job.PageCount(), 1);
  EXPECT_EQ(Report.PageNumber(), 3);
}

namespace {

// Notes each shape handed over: where, what, how big, with which pen.
class TShapeRecorder : public TQRExportFilter {
public:
  TShapeRecorder() : TQRExportFilter(QStringLiteral("/tmp/unused")) {}
  QStringList Shapes;
  void AcceptGraphic(Extended Xoff, Extended Yoff, TControl* GControl) override
  {
    static const char* const Names[] = {"Rectangle", "Circle", "VertLine", "HorLine"};
    auto* S = dynamic_cast<TQRShape*>(GControl);
    ASSERT_NE(S, nullptr);
    const bool Filled = S->Brush()->Style() == bsSolid;
    Shapes << QStringLiteral("%1 at %2,%3 %4x%5 %6")
                .arg(QString::fromLatin1(Names[S->Shape()]))
                .arg(Xoff).arg(Yoff).arg(S->Width()).arg(S->Height())
                .arg(Filled ? QStringLiteral("filled %1").arg(S->Brush()->Color(), 0, 16)
                            : QStringLiteral("pen %1").arg(S->Pen()->Width()));
  }
};

} // namespace

// While the report exports, a frame is drawn and also handed over as shapes:
// the control's background, then its sides (or one outline for all four),
// then the band's frame lines.
TEST(QRExportFilter, FramesGoToTheFilterAsShapes)
{
  TQRReport Report(nullptr);
  auto* Band = new TQRCustomBand(&Report);
  Band->SetParent(&Report);
  Band->SetParentReport(&Report);
  Band->SetBounds(0, 0, 400, 100);
  auto* Line = new TQRFrameline(&Report);
  Line->SetParent(Band);
  Line->SetBounds(99, 0, 2, 10);
  auto* Control = new TQRShape(&Report);
  Control->SetParent(Band);
  Control->SetColor(clYellow);
  TShapeRecorder Filter;
  Report.SetExportFilter(&Filter);
  TBitmap Bitmap(500, 200);
  const TRect R(10, 20, 410, 120);   // at 1 device unit per 0.1 mm a 1-point side is 4 units

  TQRFrame& BandFrame = *Band->Frame();
  BandFrame.SetDrawTop(true);
  BandFrame.SetDrawLeft(true);
  BandFrame.PaintIt(Bitmap.Canvas(), R, 1, 1);
  EXPECT_EQ(Filter.Shapes, (QStringList{QStringLiteral("HorLine at 10,20 400x4 pen 4"),
                                        QStringLiteral("VertLine at 10,20 4x100 pen 4"),
                                        QStringLiteral("VertLine at 110,20 4x100 pen 4")}));
  EXPECT_EQ(Bitmap.Canvas()->Pixels(110, 60) & 0xFFFFFF, 0) << "the frame line is drawn on the page";

  Filter.Shapes.clear();
  TQRFrame& ControlFrame = *Control->Frame();
  for (auto Side : {&TQRFrame::SetDrawTop, &TQRFrame::SetDrawBottom, &TQRFrame::SetDrawLeft, &TQRFrame::SetDrawRight})
    (ControlFrame.*Side)(true);
  ControlFrame.PaintIt(Bitmap.Canvas(), R, 1, 1);
  EXPECT_EQ(Filter.Shapes, (QStringList{QStringLiteral("Rectangle at 10,20 400x100 filled ffff"),
                                        QStringLiteral("Rectangle at 10,20 400x100 pen 4")}));

  // Not exporting: drawn only.
  Filter.Shapes.clear();
  Report.SetExportFilter(nullptr);
  ControlFrame.PaintIt(Bitmap.Canvas(), R, 1, 1);
  EXPECT_TRUE(Filter.Shapes.isEmpty());
}

// A shape hands itself to the filter at its device position, and draws on the
// page in the final pass only.
TEST(QRExportFilter, ShapePrintsAndExports)
{
  TQRReport Report(nullptr);
  auto* Shape = new TQRShape(&Report);
  Shape->SetParent(&Report);
  Shape->SetShape(qrsHorLine);
  Report.SetUnits(TQRUnit::Native);
  Shape->Size()->SetLeft(100);
  Shape->Size()->SetTop(100);
  Shape->Size()->SetWidth(500);
  Shape->Size()->SetHeight(200);
  TQRPrinter Job(&Report);
  Report.SetQRPrinter(&Job);
  TShapeRecorder Filter;
  Report.SetExportFilter(&Filter);
  Shape->Prepare();
  Job.BeginDoc();
  Job.NewPage();
  Shape->Print(0, 0);
  Report.SetFinalPass(false);
  Job.NewPage();
  Shape->Print(0, 0);
  Job.EndDoc();
  Shape->Unprepare();
  EXPECT_EQ(Filter.Shapes, (QStringList{QStringLiteral("HorLine at 38,38 189x76 filled ffffff"),
                                        QStringLiteral("HorLine at 38,38 189x76 filled ffffff")}));
  auto MiddleOf = [&](Integer Page) {
    std::unique_ptr<TMetafile> Meta = Job.GetPage(Page);
    TBitmap Bitmap(Meta->Width(), Meta->Height());
    Bitmap.Canvas()->Brush()->SetColor(clWhite);
    Bitmap.Canvas()->FillRect(TRect(0, 0, Meta->Width(), Meta->Height()));
    Bitmap.Canvas()->StretchDraw(TRect(0, 0, Meta->Width(), Meta->Height()), Meta.get());
    return Bitmap.Canvas()->Pixels(100, 76) & 0xFFFFFF;   // the line at YPos(200)
  };
  EXPECT_EQ(MiddleOf(1), clBlack);
  EXPECT_EQ(MiddleOf(2), clWhite) << "an export pass draws nothing";
}
