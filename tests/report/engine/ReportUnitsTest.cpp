// ReportUnitsTest.cpp: lengths in native units shown in the report's units,
// the page's paper and orientation, frames on a coarse and a fine device, and
// the printable control base on its band.
#include "report/engine/QRReport.h"

#include <gtest/gtest.h>

namespace {

constexpr double Tolerance = 1e-9;

class ReportUnitsTest : public ::testing::Test {
protected:
  TQRReport Report{nullptr};
  TQRPage& Page = *Report.Page();
};

} // namespace

// A4 read in every unit; a Characters length for the 10-point report font.
TEST_F(ReportUnitsTest, ConversionTable)
{
  ASSERT_EQ(Page.PaperSize(), TQRPaperSize::A4);
  struct Case { TQRUnit Units; double Width; double Length; double Margin; };
  const Case Cases[] = {
    {TQRUnit::MM, 210, 297, 10},
    {TQRUnit::Inches, 210 / 25.4, 297 / 25.4, 10 / 25.4},
    {TQRUnit::Native, 2100, 2970, 100},
    {TQRUnit::Pixels, 2100 / (254.0 / 96), 2970 / (254.0 / 96), 100 / (254.0 / 96)},
    {TQRUnit::Characters, 2100 / (80 / 10.0 / 2.54) / 10, 2970 / (145.3 / 10.0 / 2.54) / 10,
     100 / (80 / 10.0 / 2.54) / 10},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(int(C.Units));
    Page.SetUnits(C.Units);
    EXPECT_NEAR(double(Page.Width()), C.Width, Tolerance);
    EXPECT_NEAR(double(Page.Length()), C.Length, Tolerance);
    EXPECT_NEAR(double(Page.LeftMargin()), C.Margin, Tolerance);
  }
  EXPECT_NEAR(210 / 25.4, 8.2677, 1e-4);
  // One character of a 10-point font is 3.1496 mm wide and one line 5.7205 mm high.
  EXPECT_NEAR(double(Page.UnitsToNative(TQRUnit::Characters, true, 1)) / 10, 3.1496, 1e-4);
  EXPECT_NEAR(double(Page.UnitsToNative(TQRUnit::Characters, false, 1)) / 10, 5.7205, 1e-4);
  // Written in one unit, read in another.
  Page.SetUnits(TQRUnit::Inches);
  Page.SetTopMargin(1);
  Page.SetUnits(TQRUnit::MM);
  EXPECT_NEAR(double(Page.TopMargin()), 25.4, Tolerance);
  // The report stands for the page at the logical 96 dpi.
  EXPECT_EQ(Report.Width(), 794);
  EXPECT_EQ(Report.Height(), 1123);
}

TEST_F(ReportUnitsTest, TablePaperKeepsItsSize)
{
  Page.SetUnits(TQRUnit::MM);
  Page.SetLength(100);
  EXPECT_NEAR(double(Page.Length()), 297, Tolerance) << "A4 keeps its length";
  Page.SetPaperSize(TQRPaperSize::Custom);
  Page.SetLength(100);
  Page.SetWidth(50);
  EXPECT_NEAR(double(Page.Length()), 100, Tolerance);
  EXPECT_EQ(Report.Height(), 378);
  Page.SetPaperSize(TQRPaperSize::A3);
  EXPECT_NEAR(double(Page.Width()), 297, Tolerance);
  EXPECT_NEAR(double(Page.Length()), 420, Tolerance);
  EXPECT_EQ(Page.PaperSize(), TQRPaperSize::A3);
}

TEST_F(ReportUnitsTest, LandscapeSwapsWidthAndLength)
{
  Page.SetUnits(TQRUnit::MM);
  Page.SetOrientation(poLandscape);
  EXPECT_NEAR(double(Page.Width()), 297, Tolerance);
  EXPECT_NEAR(double(Page.Length()), 210, Tolerance);
  EXPECT_EQ(Report.PrinterSettings()->Orientation, poLandscape);
  EXPECT_EQ(Report.Width(), 1123);

  Page.SetOrientation(poPortrait);
  Page.SetPaperSize(TQRPaperSize::Custom);
  Page.SetWidth(100);
  Page.SetLength(50);
  Page.SetOrientation(poLandscape);
  EXPECT_NEAR(double(Page.Width()), 50, Tolerance);
  EXPECT_NEAR(double(Page.Length()), 100, Tolerance);
  EXPECT_EQ(Page.PaperSize(), TQRPaperSize::Custom);
}

TEST_F(ReportUnitsTest, ColumnsIgnoreNonPositive)
{
  Page.SetColumns(3);
  Page.SetColumns(0);
  Page.SetColumns(-2);
  EXPECT_EQ(Page.Columns(), 3);
}

// Side thickness: points at the device's resolution, at least one unit.
TEST(QRFrame, ThicknessOnDevices)
{
  struct Case { Integer Width; Extended Factor; Integer Thickness; };
  const Case Cases[] = {
    {1, 600.0L / 254, 8},   // 600 / 72 = 8.33 device units
    {2, 600.0L / 254, 17},
    {1, 96.0L / 254, 1},    // 1.33 on the screen
    {1, 10.0L / 254, 1},    // below one unit: still one
    {0, 600.0L / 254, 0},
    {-1, 600.0L / 254, 1},
  };
  TQRFrame Frame;
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Width);
    Frame.SetWidth(C.Width);
    EXPECT_EQ(Frame.VerticalThickness(C.Factor), C.Thickness);
    EXPECT_EQ(Frame.HorizontalThickness(C.Factor), C.Thickness);
  }
}

// What the frame paints: only the chosen sides, as strips of its thickness.
TEST(QRFrame, PaintsSelectedSides)
{
  struct Case { Integer Width; Integer Thickness; };
  for (const Case C : {Case{1, 8}, Case{-1, 1}, Case{0, 0}}) {
    SCOPED_TRACE(C.Width);
    TBitmap Bitmap(100, 100);
    Bitmap.Canvas()->Brush()->SetColor(clWhite);
    Bitmap.Canvas()->FillRect(TRect(0, 0, 100, 100));
    TQRFrame Frame;
    Frame.SetWidth(C.Width);
    Frame.SetDrawLeft(true);
    Frame.SetDrawTop(true);
    Frame.PaintIt(Bitmap.Canvas(), TRect(0, 0, 100, 100), 600.0L / 254, 600.0L / 254);
    auto Black = [&](Integer X, Integer Y) { return (Bitmap.Canvas()->Pixels(X, Y) & 0xFFFFFF) == 0; };
    if (C.Thickness > 0) {
      EXPECT_TRUE(Black(C.Thickness - 1, 50));
      EXPECT_TRUE(Black(50, C.Thickness - 1));
    }
    EXPECT_FALSE(Black(C.Thickness, 50));
    EXPECT_FALSE(Black(50, C.Thickness));
    EXPECT_FALSE(Black(99, 50)) << "the right side is not chosen";
    EXPECT_FALSE(Black(50, 99)) << "the bottom side is not chosen";
  }
}

TEST_F(ReportUnitsTest, PrintableFollowsItsBand)
{
  auto* Band = new TQRCustomBand(&Report);
  Band->SetParent(&Report);
  Band->SetParentReport(&Report);
  Band->SetWidth(700);
  auto* Control = new TQRPrintable(&Report);
  Control->SetParent(Band);
  Control->SetWidth(101);
  Control->SetAlignment(taCenter);
  Control->SetAlignToBand(true);
  EXPECT_EQ(Control->Left(), 299);
  Band->SetWidth(500);
  EXPECT_EQ(Control->Left(), 199) << "the band tells its controls of its new bounds";
  Control->SetAlignment(taRightJustify);
  EXPECT_EQ(Control->Left(), 399);
  Control->SetAlignment(taLeftJustify);
  EXPECT_EQ(Control->Left(), 0);
  // The size object holds what the bounds say, in the report's units.
  Report.SetUnits(TQRUnit::Native);
  EXPECT_NEAR(double(Control->Size()->Width()), 101 * 254.0 / 96, 1e-6);
}

TEST_F(ReportUnitsTest, PrintableSizeFollowsZoom)
{
  auto* Control = new TQRPrintable(&Report);
  Control->SetParent(&Report);
  Report.SetUnits(TQRUnit::MM);
  Control->Size()->SetLeft(10);
  Control->Size()->SetWidth(20);
  EXPECT_EQ(Control->Left(), 38);
  EXPECT_EQ(Control->Width(), 76);
  Report.SetZoom(200);
  EXPECT_NEAR(double(Control->Size()->Width()), 20, Tolerance) << "zoom changes pixels, not lengths";
  // A pixel value reads back as it was written, whatever the zoom.
  Control->Size()->SetPixels();
  Control->Size()->SetLeft(150);
  EXPECT_NEAR(double(Control->Size()->Left()), 150, 1e-9);
  Control->Size()->RestoreUnits();
  EXPECT_EQ(Control->Size()->Units(), TQRUnit::MM);
}

TEST_F(ReportUnitsTest, ShouldPrintOnlyWhatIsEnabledOrHidden)
{
  struct Case { bool Enabled; bool Visible; bool Prints; };
  const Case Cases[] = {{true, true, true}, {false, true, false}, {false, false, true}, {true, false, true}};
  for (const Case& C : Cases) {
    TQRPrintable Control(nullptr);
    Control.SetEnabled(C.Enabled);
    Control.SetVisible(C.Visible);
    EXPECT_EQ(Control.ShouldPrint(), C.Prints) << C.Enabled << C.Visible;
  }
}

TEST_F(ReportUnitsTest, LoadedBoundsFillWhatTheSizeLeftEmpty)
{
  auto* Control = new TQRPrintable(&Report);
  Control->SetParent(&Report);
  Report.SetPreparingDesignTime(true);
  Control->SetBounds(25, 30, 40, 50);   // remembered, not applied
  Report.SetPreparingDesignTime(false);
  Control->Size()->SetUnits(TQRUnit::Native);
  Control->Size()->SetLeft(0);
  Control->Size()->SetTop(100);
  Control->Loaded();
  EXPECT_EQ(Control->Left(), 25);
  EXPECT_EQ(Control->Top(), 38) << "a stored top is kept";
}

// Prepared for a run, a control takes the report's job and draws its frame
// there in device pixels.
TEST_F(ReportUnitsTest, PrintDrawsTheFrameOnTheJob)
{
  auto* Control = new TQRPrintable(&Report);
  Control->SetParent(&Report);
  Control->Frame()->SetDrawTop(true);
  TQRPrinter Job(&Report);
  Report.SetQRPrinter(&Job);
  Report.SetUnits(TQRUnit::Native);
  Control->Size()->SetLeft(100);
  Control->Size()->SetTop(100);
  Control->Size()->SetWidth(500);
  Control->Size()->SetHeight(200);
  Control->Prepare();
  EXPECT_TRUE(Control->IsPrinting());
  EXPECT_EQ(Control->QRPrinter(), &Job);
  Job.BeginDoc();
  Job.NewPage();
  Control->Print(0, 0);
  Job.EndDoc();
  Control->Unprepare();
  EXPECT_FALSE(Control->IsPrinting());
  std::unique_ptr<TMetafile> Page = Job.GetPage(1);
  ASSERT_NE(Page, nullptr);
  TBitmap Bitmap(Page->Width(), Page->Height());
  Bitmap.Canvas()->Brush()->SetColor(clWhite);
  Bitmap.Canvas()->FillRect(TRect(0, 0, Page->Width(), Page->Height()));
  Bitmap.Canvas()->StretchDraw(TRect(0, 0, Page->Width(), Page->Height()), Page.get());
  // 100..600 native across at 96 dpi: pixels 38..227, the strip one pixel high.
  EXPECT_EQ(Bitmap.Canvas()->Pixels(100, 38) & 0xFFFFFF, 0);
  EXPECT_NE(Bitmap.Canvas()->Pixels(100, 40) & 0xFFFFFF, 0);
  EXPECT_NE(Bitmap.Canvas()->Pixels(20, 38) & 0xFFFFFF, 0);
}

// A layout keeps its lengths as the Values lists in native units, and reads
// back the same page, sizes and frames.
TEST(QRReportStream, ValuesRoundTrip)
{
  RegisterQRReportClasses();
  TQRReport Report(nullptr);
  Report.SetName(QStringLiteral("Report1"));
  TQRPage& Page = *Report.Page();
  Page.SetUnits(TQRUnit::MM);
  Page.SetPaperSize(TQRPaperSize::Custom);
  Page.SetWidth(100);
  Page.SetLength(150);
  Page.SetTopMargin(12.5);
  Page.SetColumns(2);
  auto* Control = new TQRPrintable(&Report);
  Control->SetName(QStringLiteral("QRPrintable1"));
  Control->SetParent(&Report);
  Control->Size()->SetLeft(10);
  Control->Size()->SetTop(20);
  Control->Size()->SetWidth(30);
  Control->Size()->SetHeight(5);
  Control->Frame()->SetDrawTop(true);
  Control->Frame()->SetWidth(2);
  Control->SetXLNumFormat(nfDec2);

  const String Text = WriteComponentToText(&Report);
  EXPECT_TRUE(Text.contains(QStringLiteral("Page.Values = (")));
  EXPECT_TRUE(Text.contains(QStringLiteral("Size.Values = (")));
  EXPECT_FALSE(Text.contains(QStringLiteral("Size.Left"))) << "lengths are stored once, natively";

  TQRReport Copy(nullptr);
  ReadComponentFromText(Text, &Copy);
  TQRPage& Read = *Copy.Page();
  Read.SetUnits(TQRUnit::MM);
  EXPECT_EQ(Read.PaperSize(), TQRPaperSize::Custom);
  EXPECT_NEAR(double(Read.Width()), 100, 1e-9);
  EXPECT_NEAR(double(Read.Length()), 150, 1e-9);
  EXPECT_NEAR(double(Read.TopMargin()), 12.5, 1e-9);
  EXPECT_EQ(Read.Columns(), 2);
  EXPECT_EQ(Copy.Width(), 378);
  auto* ReadControl = dynamic_cast<TQRPrintable*>(Copy.FindComponent(QStringLiteral("QRPrintable1")));
  ASSERT_NE(ReadControl, nullptr);
  ReadControl->Size()->SetUnits(TQRUnit::MM);
  EXPECT_NEAR(double(ReadControl->Size()->Left()), 10, 1e-9);
  EXPECT_NEAR(double(ReadControl->Size()->Width()), 30, 1e-9);
  EXPECT_EQ(ReadControl->Left(), 38);
  EXPECT_EQ(ReadControl->Width(), 113);
  EXPECT_TRUE(ReadControl->Frame()->DrawTop());
  EXPECT_EQ(ReadControl->Frame()->Width(), 2);
  EXPECT_EQ(ReadControl->XLNumFormat(), nfDec2);
}

// At design time a control shows its corner marks and its frame over a white
// background.
TEST(QRPrintableDesign, PaintsCornersAndFrame)
{
  for (const bool Top : {false, true}) {
    SCOPED_TRACE(Top);
    TQRPrintable Control(nullptr);
    Control.SetBounds(0, 0, 40, 30);
    Control.Frame()->SetDrawTop(Top);
    Control.HandleNeeded();
    TBitmap Bitmap(40, 30);
    Bitmap.Canvas()->Brush()->SetColor(clRed);
    Bitmap.Canvas()->FillRect(TRect(0, 0, 40, 30));
    Control.PaintTo(Bitmap.Canvas()->Handle(), 0, 0);
    auto At = [&](Integer X, Integer Y) { return Bitmap.Canvas()->Pixels(X, Y) & 0xFFFFFF; };
    for (const TPoint P : {TPoint(0, 0), TPoint(0, 2), TPoint(2, 0), TPoint(39, 29), TPoint(37, 29), TPoint(39, 27),
                           TPoint(0, 27), TPoint(39, 2)})
      EXPECT_EQ(At(P.X, P.Y), clBlack) << P.X << "," << P.Y;
    EXPECT_EQ(At(20, 15), clWhite);
    EXPECT_EQ(At(0, 15), clWhite) << "corner marks are three pixels long";
    EXPECT_EQ(At(20, 0), Top ? clBlack : clWhite) << "the top side is one pixel";
    EXPECT_EQ(At(20, 1), clWhite);
  }
}
