// ControlTestSupport.h: a report with one band and a job that records one
// page, for the printable controls' tests.
#pragma once

#include "report/engine/QRCtrls.h"

#include <gtest/gtest.h>

class ControlPageTest : public ::testing::Test {
protected:
  ControlPageTest()
  {
    RegisterQRCtrlsClasses();
    Band = new TQRCustomBand(&Report);
    Band->SetParent(&Report);
    Band->SetParentReport(&Report);
    Band->SetBounds(0, 0, 700, 300);
    // A run measures in tenths of a millimetre.
    Report.SetUnits(TQRUnit::Native);
  }

  // Runs Print on the single page of a fresh job and answers the page.
  std::unique_ptr<TMetafile> PrintPage(const std::function<void()>& Print)
  {
    Report.SetUnits(TQRUnit::Native);
    Job = std::make_unique<TQRPrinter>(&Report);
    Report.SetQRPrinter(Job.get());
    Job->BeginDoc();
    Job->NewPage();
    Print();
    Job->EndDoc();
    return Job->GetPage(1);
  }

  // Prepares and prints the control at the band's origin.
  std::unique_ptr<TMetafile> PrintPage(TQRPrintable* Control)
  {
    return PrintPage([Control] {
      Control->Prepare();
      Control->Print(0, 0);
    });
  }

  TQRReport Report{nullptr};
  std::unique_ptr<TQRPrinter> Job;
  TQRCustomBand* Band = nullptr;
};
