// EngineUtilitiesTest.cpp: text search in a stored page, the datasets of a
// form and of the data modules, published properties by name, and the
// report classes known by name.
#include "report/engine/QRReport.h"

#include "tests/report/engine/MemoryRows.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Metafile.h"
#include "platform/rtl/TypInfo.h"

#include <gtest/gtest.h>

TEST(QREngineUtilities, TextInAStoredPage)
{
  TMetafile Page;
  {
    TMetafileCanvas C(&Page, nullptr);
    C.Font()->SetName(QStringLiteral("Arial"));
    C.TextOut(10, 10, QStringLiteral("Итоговая ведомость"));
    C.TextOut(10, 40, QStringLiteral("Quantity"));
  }
  struct Case { const char* Text; bool MatchCase; bool Found; };
  const Case Cases[] = {
    {"итоговая", false, true},
    {"итоговая", true, false},
    {"Итоговая вед", true, true},
    {"ВЕДОМОСТЬ", false, true},
    {"quantity", false, true},
    {"quantity", true, false},
    // Each text record is searched by itself.
    {"ведомость Quantity", false, false},
    {"", false, false},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Text);
    EXPECT_EQ(TextInMetafile(QString::fromUtf8(C.Text), &Page, C.MatchCase), C.Found);
  }
}

TEST(QREngineUtilities, DataSetsOfAFormAndOfTheDataModules)
{
  TDataModule Module(nullptr);
  auto* Shared = new TMemoryRows(&Module, QStringLiteral("Shared"), {{"A"}}, {});
  TForm Form(nullptr);
  auto* Own = new TMemoryRows(&Form, QStringLiteral("Own"), {{"A"}}, {});
  auto* Panel = new TPanel(&Form);
  auto* Inner = new TMemoryRows(Panel, QStringLiteral("Inner"), {{"A"}}, {});

  const auto Modules = GetDataSetList(nullptr, true);
  ASSERT_EQ(Modules.size(), 1u);
  EXPECT_EQ(Modules[0].first, QStringLiteral("Shared"));
  EXPECT_EQ(Modules[0].second, Shared);

  const auto All = GetDataSetList(&Form, true);
  ASSERT_EQ(All.size(), 3u);
  EXPECT_EQ(All[0].second, Own);
  EXPECT_EQ(All[1].second, Inner);
  EXPECT_EQ(All[2].second, Shared);
  EXPECT_EQ(GetDataSetList(&Form, false).size(), 2u);
}

TEST(QREngineUtilities, PublishedPropertiesByName)
{
  RegisterQRReportClasses();
  TQRReport Report(nullptr);
  Report.SetReportTitle(QStringLiteral("Ведомость"));
  auto* Band = Report.CreateBand(rbDetail);
  Band->SetForceNewPage(true);
  EXPECT_TRUE(HasPublishedProperty(Band, QStringLiteral("forcenewpage")));
  EXPECT_FALSE(HasPublishedProperty(Band, QStringLiteral("ReprintOnNewPage"))) << "a group's only";
  EXPECT_TRUE(GetBooleanProperty(Band, QStringLiteral("ForceNewPage")));
  EXPECT_FALSE(GetBooleanProperty(Band, QStringLiteral("KeepOnOnePage")));
  EXPECT_FALSE(GetBooleanProperty(Band, QStringLiteral("NoSuchProperty")));
  EXPECT_EQ(GetStringProperty(&Report, QStringLiteral("ReportTitle")), QStringLiteral("Ведомость"));
  EXPECT_EQ(GetStringProperty(&Report, QStringLiteral("NoSuchProperty")), String());
  for (const char* Name : {"TQRReport", "TQRBand", "TQRGroup", "TQRSubDetail", "TQRChildBand"})
    EXPECT_NE(GetClass(QString::fromLatin1(Name)), nullptr) << Name;
}
