// ReportBench.cpp: a 10,000-row report (6 columns, two group levels with
// footers holding sums, a grand total) generated into stored pages, against
// a QTextDocument table of the same rows and totals laid out on pages of the
// same size and painted page by page into QPicture, in one run. Prints the
// medians and their ratio (report / QTextDocument).
//   build/bench/bench_report [rows]
#include "report/engine/QRCtrls.h"
#include "report/engine/QRReport.h"
#include "tests/report/engine/MemoryRows.h"

#include "bench/BenchTiming.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPainter>
#include <QPicture>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <cstdio>
#include <map>

namespace {

// Region, City, Code, Name, Qty, Amount; sorted by region and city, so that
// both group levels change every few dozen rows.
std::vector<std::vector<Variant>> MakeRows(int Count)
{
  std::vector<std::vector<Variant>> Rows;
  Rows.reserve(std::size_t(Count));
  for (int I = 0; I < Count; ++I) {
    const int Region = I / 1000, City = I / 40;
    Rows.push_back({Variant(QStringLiteral("Регион %1").arg(Region + 1)), Variant(QStringLiteral("Город %1").arg(City + 1)),
                    Variant(QStringLiteral("A-%1").arg(100000 + I)),
                    Variant(QStringLiteral("Болт М%1 × %2, оцинкованный").arg(4 + I % 12).arg(10 + I % 90)),
                    Variant(Integer(1 + I % 50)), Variant(double((I * 37) % 10000) / 100.0)});
  }
  return Rows;
}

const std::vector<TMemoryRows::TColumn> Columns = {{"Region"}, {"City"}, {"Code"}, {"Name"},
                                                   {"Qty", ftInteger}, {"Amount", ftFloat}};

// The report: title, page header, two groups (region, city) with footers
// holding the sum of Amount, a detail of six fields, a summary with the
// total and a page footer. Everything owned by Form.
TQRReport* BuildReport(TComponent* Form, TDataSet* Data)
{
  auto* Report = new TQRReport(Form);
  Report->SetDataSet(Data);
  Report->SetShowProgress(false);
  auto Put = [&](auto* C, TQRCustomBand* Band, Extended Left, Extended Width) {
    C->SetParent(Band);
    C->Font()->SetName(QStringLiteral("Arial"));
    C->Font()->SetSize(8);
    C->SetAutoSize(false);
    C->Size()->SetLeft(Left);
    C->Size()->SetTop(0.5);
    C->Size()->SetWidth(Width);
    C->Size()->SetHeight(4);
    return C;
  };
  auto Label = [&](TQRCustomBand* Band, Extended Left, Extended Width, const String& Text) {
    Put(new TQRLabel(Form), Band, Left, Width)->SetCaption(Text);
  };
  auto Field = [&](TQRCustomBand* Band, Extended Left, Extended Width, const char* Name, const char* Mask = nullptr) {
    auto* F = Put(new TQRDBText(Form), Band, Left, Width);
    F->SetDataSet(Data);
    F->SetDataField(QString::fromLatin1(Name));
    if (Mask)
      F->SetMask(QString::fromLatin1(Mask));
  };
  auto Sum = [&](TQRCustomBand* Band, bool Reset) {
    auto* E = Put(new TQRExpr(Form), Band, 160, 30);
    E->SetExpression(QStringLiteral("SUM([Amount])"));
    E->SetMask(QStringLiteral("#0.00"));
    E->SetAlignment(taRightJustify);
    E->SetMaster(Report);
    E->SetResetAfterPrint(Reset);
  };
  auto Band = [&](TQRBandType Type) {
    TQRBand* B = Report->CreateBand(Type);
    B->Size()->SetHeight(5);
    return B;
  };
  Label(Band(rbTitle), 0, 190, QStringLiteral("Продажи по регионам и городам"));
  TQRCustomBand* Header = Band(rbPageHeader);
  const char* const Titles[] = {"Регион", "Город", "Код", "Наименование", "Кол-во", "Сумма"};
  const Extended Lefts[] = {0, 25, 50, 70, 140, 160}, Widths[] = {25, 25, 20, 70, 20, 30};
  for (int C = 0; C < 6; ++C)
    Label(Header, Lefts[C], Widths[C], String::fromUtf8(Titles[C]));
  auto Group = [&](const char* Expression, const char* FieldName) {
    auto* G = new TQRGroup(Form);
    G->SetParent(Report);
    G->Size()->SetHeight(5);
    G->SetExpression(QString::fromLatin1(Expression));
    Field(G, 0, 60, FieldName);
    TQRCustomBand* Footer = Band(rbGroupFooter);
    G->SetFooterBand(Footer);
    Label(Footer, 70, 60, QStringLiteral("Итого"));
    Sum(Footer, true);
  };
  Group("[Region]", "Region");
  Group("[City]", "City");
  TQRCustomBand* Detail = Band(rbDetail);
  const char* const Fields[] = {"Region", "City", "Code", "Name", "Qty", "Amount"};
  for (int C = 0; C < 6; ++C)
    Field(Detail, Lefts[C], Widths[C], Fields[C], C == 5 ? "#0.00" : nullptr);
  TQRCustomBand* Summary = Band(rbSummary);
  Label(Summary, 70, 60, QStringLiteral("Всего"));
  Sum(Summary, false);
  Label(Band(rbPageFooter), 0, 60, QStringLiteral("Отчёт о продажах"));
  return Report;
}

// The same rows and totals as a QTextDocument table on A4 pages with 10 mm
// margins (at 96 dpi), laid out, then each page painted into a QPicture.
int TextDocumentPages(const std::vector<std::vector<Variant>>& Rows)
{
  QTextDocument Doc;
  QFont Font(QStringLiteral("Arial"));
  Font.setPointSizeF(8);
  Doc.setDefaultFont(Font);
  const QSizeF Page(794, 1123);
  Doc.setPageSize(Page);
  Doc.setDocumentMargin(38);
  // The rows of the table (headers, details, footers) first, so that the
  // table is made at its full size and filled cell by cell in order.
  std::vector<QStringList> Table;
  Table.push_back({QStringLiteral("Регион"), QStringLiteral("Город"), QStringLiteral("Код"),
                   QStringLiteral("Наименование"), QStringLiteral("Кол-во"), QStringLiteral("Сумма")});
  auto Money = [](double V) { return QString::number(V, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(',')); };
  double RegionSum = 0, CitySum = 0, Total = 0;
  String Region, City;
  auto Footer = [&](double& Sum) {
    Table.push_back({QString(), QString(), QString(), QStringLiteral("Итого"), QString(), Money(Sum)});
    Sum = 0;
  };
  for (std::size_t I = 0; I < Rows.size(); ++I) {
    const auto& R = Rows[I];
    const String NewRegion = VarToStr(R[0]), NewCity = VarToStr(R[1]);
    if (I > 0 && NewCity != City)
      Footer(CitySum);
    if (I > 0 && NewRegion != Region)
      Footer(RegionSum);
    if (NewRegion != Region)
      Table.push_back({NewRegion});
    if (NewCity != City || NewRegion != Region)
      Table.push_back({NewCity});
    Region = NewRegion;
    City = NewCity;
    const double Amount = R[5].AsDouble();
    CitySum += Amount;
    RegionSum += Amount;
    Total += Amount;
    Table.push_back({NewRegion, NewCity, VarToStr(R[2]), VarToStr(R[3]), VarToStr(R[4]), Money(Amount)});
  }
  Footer(CitySum);
  Footer(RegionSum);
  Table.push_back({QString(), QString(), QString(), QStringLiteral("Всего"), QString(), Money(Total)});

  QTextCursor Cursor(&Doc);
  Cursor.insertText(QStringLiteral("Продажи по регионам и городам"));
  QTextTableFormat Format;
  Format.setHeaderRowCount(1);
  Format.setCellPadding(1);
  Format.setBorder(0);
  Cursor.insertTable(int(Table.size()), 6, Format);
  for (std::size_t R = 0; R < Table.size(); ++R)
    for (int C = 0; C < 6; ++C) {
      if (R > 0 || C > 0)
        Cursor.movePosition(QTextCursor::NextCell);
      if (!Table[R].value(C).isEmpty())
        Cursor.insertText(Table[R].value(C));
    }
  const int Pages = Doc.pageCount();
  for (int P = 0; P < Pages; ++P) {
    QPicture Picture;
    QPainter Painter(&Picture);
    Painter.translate(0, -P * Page.height());
    Doc.drawContents(&Painter, QRectF(0, P * Page.height(), Page.width(), Page.height()));
  }
  return Pages;
}

} // namespace

int main(int argc, char** argv)
{
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication App(argc, argv);
  RegisterQRCtrlsClasses();
  const int Count = argc > 1 ? std::atoi(argv[1]) : 10000;
  const auto Rows = MakeRows(Count);
  auto Form = std::make_unique<TComponent>(nullptr);
  auto* Data = new TMemoryRows(Form.get(), QStringLiteral("Rows"), Columns, Rows);
  Data->Open();
  TQRReport* Report = BuildReport(Form.get(), Data);

  Integer ReportPages = 0;
  int DocPages = 0;
  std::vector<double> Ours, Peer;
  for (int Run = 0; Run < 5; ++Run) {
    Ours.push_back(TimeOf([&] {
      Report->Prepare();
      ReportPages = Report->QRPrinter()->PageCount();
    }));
    Peer.push_back(TimeOf([&] { DocPages = TextDocumentPages(Rows); }));
  }
  const double O = Median(Ours), P = Median(Peer);
  std::printf("%d rows\nreport generated into pages: median %.1f ms (%d pages)\n"
              "QTextDocument laid out + painted into QPicture: median %.1f ms (%d pages)\nratio: %.2f\n",
              Count, O, int(ReportPages), P, DocPages, O / P);
  return 0;
}
