// ControlsInReportTest.cpp: text controls printed by a report run over a real
// PostgreSQL query: a stretching memo continued over a page break, and group
// totals against a running total.
#include "report/engine/QRCtrls.h"

#include "platform/data/ADODB.h"
#include "tests/report/engine/PageDump.h"
#include "tests/report/engine/ReportTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct TReportRig {
  explicit TReportRig(const char* Sql)
  {
    RegisterQRCtrlsClasses();
    OpenTestConnection(Db);
    Query = new TADOQuery(Form.get());
    Query->SetName(QStringLiteral("Rows"));
    Query->SetConnection(&Db);
    Query->SQL()->SetText(QString::fromUtf8(Sql));
    Query->Open();
    Report = new TQRReport(Form.get());
    Report->SetDataSet(Query);
  }

  template <class T>
  T* Put(TQRCustomBand* Band, Extended Left, Extended Width)
  {
    auto* C = new T(Form.get());
    C->SetParent(Band);
    C->Font()->SetName(QStringLiteral("Courier New"));
    C->Font()->SetSize(10);
    C->SetAutoSize(false);
    C->Size()->SetLeft(Left);
    C->Size()->SetTop(0);
    C->Size()->SetWidth(Width);
    C->Size()->SetHeight(6);
    return C;
  }

  std::vector<QStringList> Run()
  {
    Report->Prepare();
    std::vector<QStringList> Pages;
    for (const auto& Page : DumpPages(*Report->QRPrinter())) {
      QStringList Texts;
      for (const TPageText& T : Page)
        Texts << QString::fromStdString(T.Text);
      Pages.push_back(Texts);
    }
    return Pages;
  }

  TADOConnection Db{nullptr};
  std::unique_ptr<TComponent> Form = std::make_unique<TComponent>(nullptr);
  TADOQuery* Query = nullptr;
  TQRReport* Report = nullptr;
};

TEST(ControlsInReport, StretchingMemoContinuesOnTheNextPage)
{
  TReportRig Rig("select 1 as n");
  TQRBand* Detail = Rig.Report->CreateBand(rbDetail);
  Detail->Size()->SetHeight(10);
  auto* Memo = Rig.Put<TQRMemo>(Detail, 0, 100);
  Memo->SetAutoStretch(true);
  for (Integer I = 1; I <= 120; ++I)
    Memo->Lines()->Add(QStringLiteral("line %1").arg(I));
  const auto Pages = Rig.Run();
  ASSERT_GE(Pages.size(), 2u);
  // Every line once, in order, the second page going on where the first stopped.
  QStringList All;
  for (const QStringList& P : Pages)
    All += P;
  QStringList Expected;
  for (Integer I = 1; I <= 120; ++I)
    Expected << QStringLiteral("line %1").arg(I);
  EXPECT_EQ(All, Expected);
  EXPECT_GT(Pages[0].size(), 10);
  EXPECT_GT(Pages[1].size(), 0);

  // Without stretching the memo keeps to its height on one page.
  Memo->SetAutoStretch(false);
  const auto Short = Rig.Run();
  ASSERT_EQ(Short.size(), 1u);
  EXPECT_LT(Short[0].size(), 5);
  EXPECT_EQ(Short[0].front(), "line 1");
}

TEST(ControlsInReport, GroupTotalsAgainstARunningTotal)
{
  TReportRig Rig("select * from (values ('A', 1.5::numeric(10,2)), ('A', 2.0), ('B', 4.25), ('B', 1.0), "
                 "('B', 0.75)) as t(grp, summa) order by grp");
  auto* Group = new TQRGroup(Rig.Form.get());
  Group->SetParent(Rig.Report);
  Group->Size()->SetHeight(6);
  Group->SetExpression(QStringLiteral("[grp]"));
  auto* Name = Rig.Put<TQRDBText>(Group, 0, 30);
  Name->SetDataSet(Rig.Query);
  Name->SetDataField(QStringLiteral("grp"));
  TQRBand* Detail = Rig.Report->CreateBand(rbDetail);
  Detail->Size()->SetHeight(6);
  auto* Amount = Rig.Put<TQRDBText>(Detail, 0, 30);
  Amount->SetDataSet(Rig.Query);
  Amount->SetDataField(QStringLiteral("summa"));
  Amount->SetMask(QStringLiteral("#0.00"));
  TQRBand* Footer = Rig.Report->CreateBand(rbGroupFooter);
  Footer->Size()->SetHeight(6);
  Group->SetFooterBand(Footer);
  auto* GroupTotal = Rig.Put<TQRExpr>(Footer, 0, 40);
  GroupTotal->SetExpression(QStringLiteral("SUM([summa])"));
  GroupTotal->SetMask(QStringLiteral("#0.00"));
  GroupTotal->SetMaster(Rig.Report);
  GroupTotal->SetResetAfterPrint(true);
  auto* Running = Rig.Put<TQRExpr>(Footer, 50, 40);
  Running->SetExpression(QStringLiteral("SUM([summa])"));
  Running->SetMask(QStringLiteral("#0.00"));
  Running->SetMaster(Rig.Report);

  const auto Pages = Rig.Run();
  ASSERT_EQ(Pages.size(), 1u);
  EXPECT_EQ(Pages[0], (QStringList{"A", "1,50", "2,00", "3,50", "3,50", "B", "4,25", "1,00", "0,75", "6,00",
                                   "9,50"}));
  // After the run the captions are the expressions again.
  EXPECT_EQ(GroupTotal->Caption(), "SUM([summa])");
  EXPECT_EQ(Amount->Caption(), "summa");
}

} // namespace
