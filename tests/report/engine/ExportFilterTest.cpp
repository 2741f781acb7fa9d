// ExportFilterTest.cpp: the library of export filters that the preview's
// Save dialog offers.
#include "report/engine/QRPrntr.h"

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
