// PrinterSettingsTest.cpp: paper and bin codes, and a job's printer settings
// read from and written to a real printer device (a PDF file here).
#include "report/engine/QRPrntr.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(QRPrinterSettings, PaperAndBinCodes)
{
  struct PaperCase { Integer Code; TQRPaperSize Size; double Width; double Length; };
  const PaperCase Papers[] = {
    {9, TQRPaperSize::A4, 210, 297},         {1, TQRPaperSize::Letter, 215.9, 279.4},
    {8, TQRPaperSize::A3, 297, 420},         {5, TQRPaperSize::Legal, 215.9, 355.6},
    {35, TQRPaperSize::EnvB6, 176, 125},     {55, TQRPaperSize::A4Trans, 297, 210},
    {66, TQRPaperSize::A2, 420, 594},        {68, TQRPaperSize::A3ExtraTrans, 445, 322},
    {256, TQRPaperSize::Custom, 0, 0},       {999, TQRPaperSize::Default, 0, 0},
  };
  for (const PaperCase& C : Papers) {
    SCOPED_TRACE(C.Code);
    EXPECT_EQ(PaperSizeOfCode(C.Code), C.Size);
    EXPECT_DOUBLE_EQ(PaperWidthMM(C.Size), C.Width);
    EXPECT_DOUBLE_EQ(PaperLengthMM(C.Size), C.Length);
  }
  EXPECT_EQ(PaperCode(TQRPaperSize::Custom), 256);
  EXPECT_EQ(BinOfCode(1), TQRBin::First);
  EXPECT_EQ(BinOfCode(14), TQRBin::Cassette);
  EXPECT_EQ(BinOfCode(12), TQRBin::First);
  EXPECT_EQ(BinCode(TQRBin::Last), 14);
  EXPECT_EQ(BinCode(TQRBin::Manual), 4);
}

class PrinterSettingsTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Device.SetFileName(Dir.filePath(QStringLiteral("job.pdf")));
    Settings.SetPrinter(&Device);
  }
  QTemporaryDir Dir;
  TPrinter Device;
  TPrinterSettings Settings;
};

TEST_F(PrinterSettingsTest, ReadsTheDevice)
{
  ASSERT_NE(Settings.DevMode(), nullptr);
  EXPECT_EQ(Settings.Device(), QStringLiteral("PDF"));
  EXPECT_GT(Settings.PixelsPerX(), 0);
  // A table paper answers its own size, a custom one the stored size.
  Settings.SetPaperSize(TQRPaperSize::A4);
  Settings.SetPaperWidth(1234);
  EXPECT_EQ(Settings.PaperWidth(), 2100);
  EXPECT_EQ(Settings.PaperLength(), 2970);
  Settings.SetPaperSize(TQRPaperSize::Custom);
  EXPECT_EQ(Settings.PaperWidth(), 1234);
  EXPECT_TRUE(Settings.PaperSizeSupported(TQRPaperSize::Custom));
  EXPECT_TRUE(Settings.PaperSizeSupported(TQRPaperSize::Default));
  Settings.SetPaperSize(TQRPaperSize::Default);
  EXPECT_EQ(Settings.PaperSize(), TQRPaperSize::Default);
}

// What the settings write reaches the device, and reads back the same.
TEST_F(PrinterSettingsTest, AppliedSettingsReachTheDevice)
{
  struct Case { TQRPaperSize Paper; TQRBin Bin; bool Duplex; Integer Extended; TPrinterOrientation Orientation;
                Integer PaperCode; Integer BinCode; Integer DuplexCode; Integer OrientationCode; };
  const Case Cases[] = {
    {TQRPaperSize::A5, TQRBin::Manual, true, 0, poLandscape, 11, 4, 3, 2},
    {TQRPaperSize::A4, TQRBin::Lower, true, 2, poPortrait, 9, 2, 2, 1},
    {TQRPaperSize::Letter, TQRBin::Cassette, false, 0, poPortrait, 1, 14, 1, 1},
    {TQRPaperSize::A3, TQRBin::Last, false, 0, poLandscape, 8, 14, 1, 2},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(PaperCode(C.Paper));
    TDeviceMode Written;
    Settings.OnApplyPrinterSettings = [&](TObject*, bool&, TDeviceMode* M) { Written = *M; };
    Settings.SetPaperSize(C.Paper);
    Settings.SetOutputBin(C.Bin);
    Settings.SetDuplex(C.Duplex);
    Settings.ExtendedDuplex = C.Extended;
    Settings.SetOrientation(C.Orientation);
    Settings.ApplySettings();
    EXPECT_EQ(Written.PaperSize, C.PaperCode);
    EXPECT_EQ(Written.DefaultSource, C.BinCode);
    EXPECT_EQ(Written.Duplex, C.DuplexCode);
    EXPECT_EQ(Written.Orientation, C.OrientationCode);
    // A file keeps paper and orientation (it has no duplex unit or bins).
    const TDeviceMode Now = Device.DeviceMode();
    EXPECT_EQ(Now.PaperSize, C.PaperCode);
    EXPECT_EQ(Now.Orientation, C.OrientationCode);
    Settings.ReadSettings();
    EXPECT_EQ(Settings.PaperSize(), C.Paper);
  }
}

TEST_F(PrinterSettingsTest, CancelledApplyLeavesTheDevice)
{
  const TDeviceMode Before = Device.DeviceMode();
  Settings.OnApplyPrinterSettings = [](TObject*, bool& Cancel, TDeviceMode*) { Cancel = true; };
  Settings.SetOrientation(Before.Orientation == 1 ? poLandscape : poPortrait);
  Settings.SetPaperSize(TQRPaperSize::A5);
  Settings.ApplySettings();
  const TDeviceMode After = Device.DeviceMode();
  EXPECT_EQ(After.Orientation, Before.Orientation);
  EXPECT_EQ(After.PaperSize, Before.PaperSize);
}

TEST_F(PrinterSettingsTest, CancelledReadKeepsTheFields)
{
  TPrinterSettings Other;
  Other.OnGetPrinterSettings = [](TObject*, bool& Cancel, TDeviceMode*) { Cancel = true; };
  Other.SetPrinter(&Device);
  EXPECT_EQ(Other.PixelsPerX(), 0);
  EXPECT_EQ(Other.PaperSize(), TQRPaperSize::A4);
  EXPECT_FALSE(Other.PaperSizeSupported(TQRPaperSize::A3)) << "no paper list was read";
}
