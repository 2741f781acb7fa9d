// ReportGenerationTest.cpp: report runs read back page by page: page and
// column flow, forced breaks, child bands, groups, sub-details, empty data,
// cancelling; the same report over the server; runs on a thread of their own.
#include "report/engine/QRCtrls.h"
#include "report/engine/QRReport.h"

#include "tests/report/engine/MemoryRows.h"
#include "tests/report/engine/PageDump.h"
#include "tests/report/engine/ReportTestSupport.h"

#include "platform/data/ADODB.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

using TRows = std::vector<std::vector<Variant>>;

TRows NumberedRows(int Count, const char* Country = "RU")
{
  TRows Rows;
  for (int I = 1; I <= Count; ++I)
    Rows.push_back({Variant(String::fromUtf8(Country)), Variant(QStringLiteral("City")), Variant(String::number(I))});
  return Rows;
}

// A report on A4 with 10 mm margins over rows of (Country, City, Name):
// page header, title, summary and page footer 10 mm high, detail 50 mm, each
// band printing one text at its top left corner.
struct TRig {
  std::unique_ptr<TComponent> Form = std::make_unique<TComponent>(nullptr);
  TDataSet* Data = nullptr;
  TQRReport* Report = nullptr;
  TQRCustomBand* PageHeader = nullptr;
  TQRCustomBand* Title = nullptr;
  TQRCustomBand* Detail = nullptr;
  TQRCustomBand* Summary = nullptr;
  TQRCustomBand* PageFooter = nullptr;

  explicit TRig(TRows Rows)
    : TRig([&Rows](TComponent* Owner) {
        auto* M = new TMemoryRows(Owner, QStringLiteral("Rows"), {{"Country"}, {"City"}, {"Name"}}, std::move(Rows));
        M->Open();
        return M;
      })
  {
  }
  // Over the dataset that MakeData opens on the rig's form.
  explicit TRig(const std::function<TDataSet*(TComponent* Form)>& MakeData)
  {
    Data = MakeData(Form.get());
    Report = new TQRReport(Form.get());
    Report->SetName(QStringLiteral("Report1"));
    Report->SetDataSet(Data);
    PageHeader = Band(rbPageHeader, 10, "PH");
    Title = Band(rbTitle, 10, "T");
    Detail = Band(rbDetail, 50, [this] { return "D" + Field("Name"); });
    Summary = Band(rbSummary, 10, "S");
    PageFooter = Band(rbPageFooter, 10, "PF");
  }

  String Field(const char* Name) const { return Data->FieldByName(QString::fromLatin1(Name))->AsString(); }

  TTextItem* Text(TQRCustomBand* B, std::function<String()> Fn)
  {
    auto* T = new TTextItem(Form.get(), std::move(Fn));
    T->SetParent(B);
    T->Size()->SetLeft(0);
    T->Size()->SetTop(0);
    return T;
  }
  template <class B>
  B* Place(B* Band, Extended HeightMM, std::function<String()> Fn)
  {
    Band->SetParent(Report);
    Band->Size()->SetHeight(HeightMM);
    Text(Band, std::move(Fn));
    return Band;
  }
  TQRCustomBand* Band(TQRBandType Type, Extended HeightMM, std::function<String()> Fn)
  {
    TQRBand* B = Report->CreateBand(Type);
    B->Size()->SetHeight(HeightMM);
    Text(B, std::move(Fn));
    return B;
  }
  TQRCustomBand* Band(TQRBandType Type, Extended HeightMM, const char* Label)
  {
    const String L = QString::fromLatin1(Label);
    return Band(Type, HeightMM, [L] { return L; });
  }
  TQRGroup* Group(const char* Expression, Extended HeightMM, const char* Label, const char* FieldName)
  {
    auto* G = Place(new TQRGroup(Form.get()), HeightMM,
                    [this, Label, FieldName] { return QString::fromLatin1(Label) + ":" + Field(FieldName); });
    G->SetExpression(QString::fromLatin1(Expression));
    return G;
  }
  TQRCustomBand* Footer(TQRGroup* G, const char* Label, const char* FieldName)
  {
    TQRCustomBand* F = Band(rbGroupFooter, 10, [this, Label, FieldName] {
      return QString::fromLatin1(Label) + ":" + Field(FieldName);
    });
    G->SetFooterBand(F);
    return F;
  }

  std::vector<std::vector<TPageText>> Run()
  {
    Report->Prepare();
    return Report->QRPrinter() ? DumpPages(*Report->QRPrinter()) : std::vector<std::vector<TPageText>>{};
  }
};

bool HasItem(const std::vector<TPageText>& Page, const std::string& Probe)
{
  for (const TPageText& T : Page)
    if (T.Text + "@" + std::to_string(T.XMM) + "," + std::to_string(T.YMM) == Probe)
      return true;
  return false;
}

struct TScenario {
  const char* Name;
  TRows Rows;
  std::function<void(TRig&)> Setup;
  const char* Pages;
  // Items that must stand where given: page index, "text@x,y" in mm.
  std::vector<std::pair<int, std::string>> Probes = {};
};

TRows GroupRows()
{
  auto Row = [](const char* Country, const char* City, const char* Name) {
    return std::vector<Variant>{Variant(String::fromUtf8(Country)), Variant(String::fromUtf8(City)),
                                Variant(String::fromUtf8(Name))};
  };
  return {Row("RU", "Moscow", "a"), Row("RU", "Moscow", "b"), Row("RU", "Tver", "c"), Row("KZ", "Tver", "d")};
}

void NestedGroups(TRig& R)
{
  R.Detail->Size()->SetHeight(10);
  TQRGroup* Country = R.Group("[Country]", 10, "GH", "Country");
  TQRGroup* City = R.Group("[City]", 10, "GH2", "City");
  R.Footer(Country, "GF", "Country");
  R.Footer(City, "GF2", "City");
}

}   // namespace

TEST(QRReportGeneration, ScenariosPageByPage)
{
  const TScenario Scenarios[] = {
    {"plain", NumberedRows(10), nullptr, "PH T D1 D2 D3 D4 PF | PH D5 D6 D7 D8 D9 PF | PH D10 S PF",
     {{0, "PH@10,10"}, {0, "T@10,20"}, {0, "D1@10,30"}, {1, "D5@10,20"}, {2, "PF@10,277"}}},
    {"first page header off", NumberedRows(10),
     [](TRig& R) { R.Report->SetOptions({TQRReportOption::LastPageFooter}); },
     "T D1 D2 D3 D4 D5 PF | PH D6 D7 D8 D9 D10 PF | PH S PF", {{0, "T@10,10"}}},
    {"last page footer off, summary at the bottom", NumberedRows(10),
     [](TRig& R) {
       R.Report->SetOptions({TQRReportOption::FirstPageHeader});
       R.Summary->SetAlignToBottom(true);
     },
     "PH T D1 D2 D3 D4 PF | PH D5 D6 D7 D8 D9 PF | PH D10 S", {{2, "S@10,277"}}},
    // Columns 2 and 3 of page 1 start below the title; headers again in
    // every column and on the next page.
    {"three columns", NumberedRows(14),
     [](TRig& R) {
       R.Band(rbColumnHeader, 10, "CH");
       R.Report->Page()->SetColumnSpace(5);
       R.Report->Page()->SetColumns(3);
     },
     "PH T CH D1 D2 D3 D4 CH D5 D6 D7 D8 CH D9 D10 D11 D12 PF | PH CH D13 D14 S PF",
     {{0, "CH@10,30"}, {0, "D1@10,40"}, {0, "CH@75,30"}, {0, "D5@75,40"}, {0, "D9@140,40"}, {1, "D13@10,30"}}},
    // The first record never breaks when there are column headers.
    {"forced new page with headers", NumberedRows(3),
     [](TRig& R) {
       R.Band(rbColumnHeader, 10, "CH");
       R.Detail->SetForceNewPage(true);
     },
     "PH T CH D1 PF | PH CH D2 PF | PH CH D3 S PF"},
    {"child bands before and after", NumberedRows(2),
     [](TRig& R) {
       R.Detail->Size()->SetHeight(10);
       R.Detail->SetHasChild(true);
       TQRChildBand* C = R.Detail->ChildBand();
       C->Size()->SetHeight(10);
       C->SetPrintOrder(cboBeforeAndAfter);
       R.Text(C, [] { return QStringLiteral("C"); });
       R.PageFooter->SetHasChild(true);
       R.PageFooter->ChildBand()->Size()->SetHeight(10);
       R.Text(R.PageFooter->ChildBand(), [] { return QStringLiteral("PFC"); });
     },
     "PH T C D1 C C D2 C S PF PFC", {{0, "PF@10,267"}, {0, "PFC@10,277"}}},
    // A change of country closes the city first, then the country, and
    // opens both again although the city stays the same.
    {"nested groups", GroupRows(), NestedGroups,
     "PH T GH:RU GH2:Moscow Da Db GF2:Moscow GH2:Tver Dc GF2:Tver GF:RU GH:KZ GH2:Tver Dd GF2:Tver GF:KZ S PF"},
    // The header repeats at the top of each page, and a group that starts
    // right after a break is not printed twice.
    {"reprint on new page", [] {
       TRows Rows = NumberedRows(8);
       Rows.push_back({Variant(QStringLiteral("DE")), Variant(QStringLiteral("City")), Variant(QStringLiteral("9"))});
       return Rows;
     }(),
     [](TRig& R) { R.Group("[Country]", 40, "GH", "Country")->SetReprintOnNewPage(true); },
     "PH T GH:RU D1 D2 D3 D4 PF | PH GH:RU D5 D6 D7 D8 PF | PH GH:DE D9 S PF"},
    {"empty, printed", {}, nullptr, "PH T D S PF"},
    {"empty, not printed", {}, [](TRig& R) { R.Report->SetPrintIfEmpty(false); }, ""},
    {"sub-detail", {{Variant("RU"), Variant("X"), Variant("A")}, {Variant("RU"), Variant("X"), Variant("B")}},
     [](TRig& R) {
       R.Detail->Size()->SetHeight(10);
       auto* Sub = new TMemoryRows(R.Form.get(), QStringLiteral("Items"), {{"Item"}},
                                   {{Variant("x")}, {Variant("y")}});
       Sub->Open();
       auto* SD = R.Place(new TQRSubDetail(R.Form.get()), 10,
                          [Sub] { return "SD" + Sub->FieldByName(QStringLiteral("Item"))->AsString(); });
       SD->SetDataSet(Sub);
       SD->Bands()->SetHasHeader(true);
       SD->Bands()->SetHasFooter(true);
       R.Text(SD->HeaderBand(), [] { return QStringLiteral("SH"); });
       R.Text(SD->FooterBand(), [] { return QStringLiteral("SF"); });
     },
     "PH T DA SH SDx SDy SF DB SH SDx SDy SF S PF"},
    {"empty sub-detail", {{Variant("RU"), Variant("X"), Variant("A")}, {Variant("RU"), Variant("X"), Variant("B")}},
     [](TRig& R) {
       R.Detail->Size()->SetHeight(10);
       auto* Sub = new TMemoryRows(R.Form.get(), QStringLiteral("Items"), {{"Item"}}, {});
       Sub->Open();
       auto* SD = R.Place(new TQRSubDetail(R.Form.get()), 10, [] { return QStringLiteral("SD"); });
       SD->SetDataSet(Sub);
       SD->Bands()->SetHasHeader(true);
       SD->Bands()->SetHasFooter(true);
       R.Text(SD->HeaderBand(), [] { return QStringLiteral("SH"); });
       R.Text(SD->FooterBand(), [] { return QStringLiteral("SF"); });
     },
     "PH T DA SH SD SF DB SH SD SF S PF"},
    // The progress form's Cancel: the loop ends, no footers, no summary,
    // and the page in hand is kept as it stands.
    {"user cancel", NumberedRows(10),
     [](TRig& R) {
       R.Detail->AfterPrint = [&R](TQRCustomBand*, bool) {
         if (R.Field("Name") == QLatin1String("3"))
           R.Report->UserCancel = true;
       };
     },
     "PH T D1 D2 D3"},
  };
  for (const TScenario& S : Scenarios) {
    SCOPED_TRACE(S.Name);
    TRig R(S.Rows);
    if (S.Setup)
      S.Setup(R);
    const auto Pages = R.Run();
    EXPECT_EQ(PagesAsText(Pages), S.Pages);
    for (const auto& [Page, Probe] : S.Probes) {
      ASSERT_LT(std::size_t(Page), Pages.size()) << Probe;
      EXPECT_TRUE(HasItem(Pages[std::size_t(Page)], Probe)) << Probe;
    }
    EXPECT_TRUE(R.Report->Available());
  }
}

// An error in a band reaches the caller; the report is usable again and its
// controls were unprepared.
TEST(QRReportGeneration, AnErrorEndsTheRunCleanly)
{
  TRig R(NumberedRows(10));
  TTextItem* Item = R.Text(R.Summary, [] { return QStringLiteral("extra"); });
  R.Detail->BeforePrint = [&R](TQRCustomBand*, bool&) {
    if (R.Field("Name") == QLatin1String("7"))
      throw EQRError(QStringLiteral("the band failed"));
  };
  EXPECT_THROW(R.Report->Prepare(), EQRError);
  EXPECT_TRUE(R.Report->Available());
  EXPECT_FALSE(Item->IsPrinting());
  // The preview closes and passes the error on instead of swallowing it.
  R.Report->OnPreview = [](TObject*) {};
  EXPECT_THROW(R.Report->Preview(), EQRError);
  EXPECT_TRUE(R.Report->Available());
  EXPECT_EQ(R.Report->QRPrinter(), nullptr);
  R.Detail->BeforePrint = nullptr;
  EXPECT_EQ(PagesAsText(R.Run()).substr(0, 7), "PH T D1");
}

// A new run replaces the job; one that a preview still shows stays readable
// until the preview lets it go.
TEST(QRReportGeneration, AReplacedJobLivesWhileAPreviewShowsIt)
{
  TRig R(NumberedRows(3));
  R.Report->Prepare();
  TQRPrinter* Shown = R.Report->QRPrinter();
  Shown->SetShowingPreview(true);
  R.Report->Prepare();
  ASSERT_NE(R.Report->QRPrinter(), Shown);
  const std::unique_ptr<TMetafile> Page = Shown->GetPage(1);
  ASSERT_NE(Page, nullptr);
  EXPECT_EQ(PageTexts(*Page).front().Text, "PH");
  Shown->SetShowingPreview(false);
  R.Report->Prepare();
  EXPECT_EQ(PagesAsText(DumpPages(*R.Report->QRPrinter())), "PH T D1 D2 D3 S PF");
}

// A control that can never place what it holds ends instead of asking for
// new pages for ever.
TEST(QRReportGeneration, ABandThatNeverFitsEnds)
{
  class TStuck : public TQRPrintable {
  public:
    using TQRPrintable::TQRPrintable;
    void Print(Integer, Integer) override { FPrintFinished = false; }
  };
  TRig R(NumberedRows(2));
  auto* Stuck = new TStuck(R.Form.get());
  Stuck->SetParent(R.Detail);
  const auto Pages = R.Run();
  EXPECT_TRUE(R.Report->Available());
  EXPECT_LE(Pages.size(), 5u);
}

// The nested-groups report over a real query gives the same pages.
TEST(QRReportGeneration, SameReportOverTheServer)
{
  TRig Memory(GroupRows());
  NestedGroups(Memory);
  const std::string Expected = PagesAsText(Memory.Run());
  ASSERT_FALSE(Expected.empty());

  TADOConnection Db(nullptr);
  OpenTestConnection(Db);
  TRig R([&Db](TComponent* Form) {
    auto* Q = new TADOQuery(Form);
    Q->SetName(QStringLiteral("Query"));
    Q->SetConnection(&Db);
    Q->SQL()->SetText(QStringLiteral(
        "select * from (values ('RU', 'Moscow', 'a'), ('RU', 'Moscow', 'b'), ('RU', 'Tver', 'c'), "
        "('KZ', 'Tver', 'd')) as t(\"Country\", \"City\", \"Name\")"));
    Q->Open();
    return Q;
  });
  NestedGroups(R);
  EXPECT_EQ(PagesAsText(R.Run()), Expected);
}

// The picture named as the report's background is drawn stretched under
// every page, and not again over it as a control of the report.
TEST(QRReportGeneration, BackgroundImageOnEveryPage)
{
  TRig R(NumberedRows(10));
  auto* Back = new TQRImage(R.Form.get());
  Back->SetName(QStringLiteral("Back"));
  Back->SetParent(R.Report);
  Back->Size()->SetLeft(100);
  Back->Size()->SetTop(150);
  Back->Size()->SetWidth(50);
  Back->Size()->SetHeight(50);
  TBitmap Red(4, 4);
  Red.Canvas()->Brush()->SetColor(TColor(0x0000FF));
  Red.Canvas()->FillRect(TRect(0, 0, 4, 4));
  Back->Picture()->SetGraphic(&Red);
  R.Report->SetBackImageControl(QStringLiteral("Back"));
  // Opaque bands would paint over the background where they print.
  for (TQRCustomBand* B : {R.PageHeader, R.Title, R.Detail, R.Summary, R.PageFooter})
    B->SetTransparentBand(true);
  R.Run();
  TQRPrinter* Job = R.Report->QRPrinter();
  ASSERT_GE(Job->PageCount(), 2);
  auto Pixel = [](TMetafile& Page, double XMM, double YMM) {
    TBitmap B(Page.Width(), Page.Height());
    B.Canvas()->Brush()->SetColor(clWhite);
    B.Canvas()->FillRect(TRect(0, 0, Page.Width(), Page.Height()));
    B.Canvas()->Draw(0, 0, &Page);
    return B.Image().pixel(int(XMM / 25.4 * 96), int(YMM / 25.4 * 96)) & 0xFFFFFF;
  };
  for (Integer N = 1; N <= Job->PageCount(); ++N) {
    SCOPED_TRACE(N);
    const std::unique_ptr<TMetafile> Page = Job->GetPage(N);
    ASSERT_NE(Page, nullptr);
    EXPECT_EQ(Pixel(*Page, 125, 175), 0xFF0000u);   // inside: red
    EXPECT_EQ(Pixel(*Page, 155, 175), 0xFFFFFFu);   // beside it
  }
}

namespace {

// 2498 rows of 50 mm details make 500 pages: 4 on the first, 5 on every
// other, the summary under the last 4.
constexpr int BackgroundRows = 2498;
constexpr Integer BackgroundPages = 500;

std::string FirstDetailOf(Integer Page) { return "D" + std::to_string(Page == 1 ? 1 : 5 + 5 * (Page - 2)); }

}   // namespace

// The report's thread generates while the GUI thread reads random pages of
// what is there so far; every page read is whole and in its place.
TEST(QRReportBackground, PagesReadWhileTheyAreGenerated)
{
  TRig R(NumberedRows(BackgroundRows));
  R.Report->OnPreview = [](TObject*) {};
  R.Report->PreviewModeless();
  TQRPrinter* Job = R.Report->QRPrinter();
  ASSERT_NE(Job, nullptr);
  QRandomGenerator Random(2026);
  int Reads = 0;
  while (R.Report->RunningInBackground() || Reads == 0) {
    const Integer Available = Job->AvailablePages();
    if (Available == 0) {
      QCoreApplication::processEvents();
      continue;
    }
    const Integer N = 1 + Integer(Random.bounded(Available));
    const std::unique_ptr<TMetafile> Page = Job->GetPage(N);
    ASSERT_NE(Page, nullptr) << N;
    const std::vector<TPageText> Texts = PageTexts(*Page);
    ASSERT_GE(Texts.size(), 3u) << N;
    EXPECT_EQ(Texts.front().Text, "PH");
    EXPECT_EQ(Texts[N == 1 ? 2 : 1].Text, FirstDetailOf(N));
    EXPECT_EQ(Texts.back().Text, "PF");
    ++Reads;
    QCoreApplication::processEvents();
  }
  R.Report->WaitForBackground();
  EXPECT_EQ(Job->PageCount(), BackgroundPages);
  EXPECT_EQ(Job->Status(), mpFinished);
  EXPECT_TRUE(R.Report->Available());
  const std::unique_ptr<TMetafile> Last = Job->GetPage(BackgroundPages);
  ASSERT_NE(Last, nullptr);
  EXPECT_EQ(PagesAsText({PageTexts(*Last)}), "PH D2495 D2496 D2497 D2498 S PF");
  EXPECT_GT(Reads, 0);
}

// A cancelled run stops soon, keeps what it had and its job goes on the GUI
// thread; a new run starts cleanly afterwards.
TEST(QRReportBackground, CancelMidRun)
{
  TRig R(NumberedRows(BackgroundRows));
  R.Report->OnPreview = [](TObject*) {};
  R.Report->PreviewModeless();
  TQRPrinter* Job = R.Report->QRPrinter();
  ASSERT_TRUE(PumpUntil([&] { return Job->AvailablePages() >= 20 || !R.Report->RunningInBackground(); }));
  R.Report->Cancel();
  R.Report->WaitForBackground();
  EXPECT_TRUE(R.Report->Cancelled());
  EXPECT_LT(Job->PageCount(), BackgroundPages);
  EXPECT_TRUE(PumpUntil([&] { return R.Report->QRPrinter() == nullptr; }));
  R.Report->Prepare();
  ASSERT_NE(R.Report->QRPrinter(), nullptr);
  EXPECT_EQ(R.Report->QRPrinter()->PageCount(), BackgroundPages);
}

// Destroying the report while its thread runs stops the thread first.
TEST(QRReportBackground, DestroyMidRun)
{
  TRig R(NumberedRows(BackgroundRows));
  R.Report->OnPreview = [](TObject*) {};
  R.Report->SetCreateInBGThread(true);
  R.Report->Preview();
  TQRPrinter* Job = R.Report->QRPrinter();
  ASSERT_TRUE(PumpUntil([&] { return Job->AvailablePages() >= 10 || !R.Report->RunningInBackground(); }));
  delete R.Report;
  R.Report = nullptr;
  // Nothing queued for the report reaches it after its end.
  QCoreApplication::processEvents();
  R.Form.reset();
  SUCCEED();
}
