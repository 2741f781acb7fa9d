// DataSetBench.cpp: opening a query of 1,000,000 rows x 6 columns into the
// static client cursor against psql copying the same query to /dev/null and
// against QSqlQuery (Qt's PostgreSQL driver, forward-only, every row kept as a
// vector of QVariant), then the same with a text column added; sorting and
// filtering against std::stable_sort over plain vectors. Medians of several
// runs, in one run; the peers take turns within each run. Needs a running server:
//   scripts/pgserver.sh start /tmp/benchdb
//   ODBCINI=/tmp/benchdb/odbc.ini build-bench/bench/bench_dataset /tmp/benchdb
#include "BenchMemory.h"
#include "BenchServerEnv.h"
#include "BenchTiming.h"

#include "platform/data/ADODB.h"
#include "platform/data/ADOFilter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <numeric>
#include <vector>

namespace {

const char* const BenchSql =
    "select g as id, ('Изделие ' || g)::varchar(40) as name, (g % 1000 + 0.25)::numeric(15,2) as price, "
    "date '2020-01-01' + (g % 365) as d_date, (g % 7)::int4 as grp, md5(g::text)::varchar(32) as code "
    "from generate_series(1, 1000000) g";
// The same rows with a text column (a note of 20 to 70 characters).
const char* const BenchTextSql =
    "select g as id, ('Изделие ' || g)::varchar(40) as name, (g % 1000 + 0.25)::numeric(15,2) as price, "
    "date '2020-01-01' + (g % 365) as d_date, (g % 7)::int4 as grp, md5(g::text)::varchar(32) as code, "
    "repeat('примечание ', 2 + g % 5) || g as note "
    "from generate_series(1, 1000000) g";

constexpr int Runs = 5;

// What a Qt programmer would write: a forward-only query whose rows are all
// kept as vectors of QVariant.
std::size_t QtReadAll(QSqlDatabase& Db, const char* Sql, std::vector<QVector<QVariant>>& Rows)
{
  Rows.clear();
  QSqlQuery Q(Db);
  Q.setForwardOnly(true);
  if (!Q.exec(QString::fromUtf8(Sql))) {
    std::fprintf(stderr, "QSqlQuery failed: %s\n", qPrintable(Q.lastError().text()));
    return 0;
  }
  const int N = Q.record().count();
  while (Q.next()) {
    QVector<QVariant> Row(N);
    for (int C = 0; C < N; ++C)
      Row[C] = Q.value(C);
    Rows.push_back(std::move(Row));
  }
  return Rows.size();
}

}  // namespace

int main(int argc, char** argv)
{
  QCoreApplication App(argc, argv);
  auto Env = ServerEnvOfArgs(argc, argv);
  if (Env.empty())
    return 2;
  const QString Port = Env[QStringLiteral("VELMORA_PG_PORT")];
  const QString User = Env[QStringLiteral("VELMORA_PG_USER")];
  const QString Password = Env[QStringLiteral("VELMORA_PG_PASSWORD")];

  // psql streaming the same rows to /dev/null.
  QProcessEnvironment PsqlEnv = QProcessEnvironment::systemEnvironment();
  PsqlEnv.insert(QStringLiteral("PGPASSWORD"), Password);
  const auto RunPsql = [&] {
    QProcess P;
    P.setProcessEnvironment(PsqlEnv);
    P.start(QStringLiteral("psql"), {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-h"),
                                     QStringLiteral("127.0.0.1"), QStringLiteral("-p"), Port, QStringLiteral("-U"),
                                     User, QStringLiteral("-d"), QStringLiteral("velmora"), QStringLiteral("-c"),
                                     QStringLiteral("\\copy (") + QString::fromUtf8(BenchSql) +
                                         QStringLiteral(") to '/dev/null'")});
    P.waitForFinished(-1);
    if (P.exitCode() != 0)
      std::fprintf(stderr, "psql failed: %s\n", P.readAllStandardError().constData());
  };

  // The Qt peer, with and without the text column.
  QSqlDatabase QtDb = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("bench"));
  QtDb.setHostName(QStringLiteral("127.0.0.1"));
  QtDb.setPort(Port.toInt());
  QtDb.setUserName(User);
  QtDb.setPassword(Password);
  QtDb.setDatabaseName(QStringLiteral("velmora"));
  if (!QtDb.open()) {
    std::fprintf(stderr, "Qt's PostgreSQL driver: %s\n", qPrintable(QtDb.lastError().text()));
    return 2;
  }
  std::vector<QVector<QVariant>> QtRows;
  long QtRssBefore = 0, QtRssAfter = 0;
  std::size_t QtCount = 0;

  RegisterADOClasses();
  TADOConnection Db(nullptr);
  Db.SetLoginPrompt(false);
  Db.SetConnectionString(QStringLiteral("Provider=MSDASQL.1;Password=") + QuoteConnectionValue(Password) +
                         QStringLiteral(";User ID=") + QuoteConnectionValue(User) +
                         QStringLiteral(";Data Source=velmora_dev"));
  Db.Open();
  TADOQuery Q(nullptr);
  Q.SetConnection(&Db);

  // Each run times every peer once, one after another, so that a change in
  // the machine's speed (it is shared) reaches them alike; the ratios are
  // taken run by run, and the medians of times and ratios are printed.
  std::vector<double> PsqlT, QtT, OpenT, QtTextT, OpenTextT, VsPsql, VsQt, VsQtText;
  long RssBefore = 0, RssAfter = 0;
  int TextRows = 0;
  for (int Run = 0; Run < Runs; ++Run) {
    PsqlT.push_back(TimeOf(RunPsql));
    std::vector<QVector<QVariant>>().swap(QtRows);
    QtT.push_back(TimeOf([&] {
      QtRssBefore = ResidentBytes();
      QtReadAll(QtDb, BenchSql, QtRows);
      QtRssAfter = ResidentBytes();
    }));
    QtCount = QtRows.size();
    std::vector<QVector<QVariant>>().swap(QtRows);
    Q.Close();
    Q.SQL()->SetText(QString::fromUtf8(BenchSql));
    OpenT.push_back(TimeOf([&] {
      RssBefore = ResidentBytes();
      Q.Open();
      RssAfter = ResidentBytes();
    }));
    Q.Close();
    QtTextT.push_back(TimeOf([&] { QtReadAll(QtDb, BenchTextSql, QtRows); }));
    std::vector<QVector<QVariant>>().swap(QtRows);
    Q.SQL()->SetText(QString::fromUtf8(BenchTextSql));
    OpenTextT.push_back(TimeOf([&] { Q.Open(); }));
    TextRows = Q.RecordCount();
    Q.Close();
    VsPsql.push_back(OpenT.back() / PsqlT.back());
    VsQt.push_back(OpenT.back() / QtT.back());
    VsQtText.push_back(OpenTextT.back() / QtTextT.back());
    std::fprintf(stderr, "run %d: psql %.1f, Qt %.1f, cursor %.1f; text: Qt %.1f, cursor %.1f ms\n", Run + 1,
                 PsqlT.back(), QtT.back(), OpenT.back(), QtTextT.back(), OpenTextT.back());
  }
  const double Psql = Median(PsqlT), Qt = Median(QtT), Open = Median(OpenT), QtText = Median(QtTextT),
               OpenText = Median(OpenTextT);
  Q.SQL()->SetText(QString::fromUtf8(BenchSql));
  Q.Open();
  const odbc::TRowStore& Store = *Q.RowStore();
  const int Rows = Store.RowCount();
  // the storage, plus the cursor's order, position and deletion marks per row
  const double StoreBytesPerRow = (double(Store.MemoryUsed()) + double(Rows) * (4 + 4 + 0.125)) / Rows;
  const double RssBytesPerRow = double(RssAfter - RssBefore) / Rows;
  const double QtRssBytesPerRow = double(QtRssAfter - QtRssBefore) / double(std::max<std::size_t>(QtCount, 1));

  // Sorting by two fields, and the same keys in plain vectors.
  const double Sort = MedianOf(Runs, [&] { Q.SetSort(QStringLiteral("grp, price DESC")); },
                               [&] { Q.SetSort(QString()); });
  std::vector<std::int64_t> Grp(static_cast<std::size_t>(Rows)), Price(static_cast<std::size_t>(Rows));
  for (int R = 0; R < Rows; ++R) {
    Grp[std::size_t(R)] = Store.IntAt(R, 4);
    Price[std::size_t(R)] = Store.IntAt(R, 2);
  }
  std::vector<int> Order(static_cast<std::size_t>(Rows));
  const double PlainSort = MedianOf(Runs, [&] {
    std::iota(Order.begin(), Order.end(), 0);
    std::stable_sort(Order.begin(), Order.end(), [&](int A, int B) {
      if (Grp[std::size_t(A)] != Grp[std::size_t(B)])
        return Grp[std::size_t(A)] < Grp[std::size_t(B)];
      return Price[std::size_t(A)] > Price[std::size_t(B)];
    });
  });
  Q.SetRecNo(1);
  const int FirstId = Q.FieldByName(QStringLiteral("id"))->AsInteger();

  Q.SetFilter(QStringLiteral("price > 500 and name like '%77%'"));
  const double Filter = MedianOf(Runs, [&] { Q.SetFilteredValue(true); }, [&] { Q.SetFilteredValue(false); });
  const int Filtered = Q.RecordCount();

  // Sorting by a text field in the program's text order, against the same
  // texts sorted by code unit, and by the collator on every comparison.
  Q.SetFilteredValue(false);
  const double TextSort = MedianOf(Runs, [&] { Q.SetSort(QStringLiteral("name")); }, [&] { Q.SetSort(QString()); });
  std::vector<QString> Names(static_cast<std::size_t>(Rows));
  for (int R = 0; R < Rows; ++R)
    Names[std::size_t(R)] = Store.TextAt(R, 1).toString();
  const auto SortNames = [&](const std::function<bool(QStringView, QStringView)>& Less) {
    std::iota(Order.begin(), Order.end(), 0);
    std::stable_sort(Order.begin(), Order.end(),
                     [&](int A, int B) { return Less(Names[std::size_t(A)], Names[std::size_t(B)]); });
  };
  const double PlainTextSort = MedianOf(Runs, [&] { SortNames([](QStringView A, QStringView B) { return A < B; }); });
  const double CollatorSort = MedianOf(3, [&] {
    SortNames([](QStringView A, QStringView B) { return CollateText(A, B, false) < 0; });
  });

  std::printf("medians of %d runs\n", Runs);
  std::printf("rows                         %d, %d with text, %zu by Qt (first after sort: id %d; %d pass the filter)\n",
              Rows, TextRows, QtCount, FirstId, Filtered);
  std::printf("psql \\copy to /dev/null      %8.1f ms\n", Psql);
  std::printf("QSqlQuery into QVariant rows %8.1f ms\n", Qt);
  std::printf("open into static cursor      %8.1f ms   vs psql %.2f (target 1.3), vs Qt %.2f (target 0.8)\n", Open,
              Median(VsPsql), Median(VsQt));
  std::printf("with a text column: Qt       %8.1f ms\n", QtText);
  std::printf("with a text column: cursor   %8.1f ms   vs Qt %.2f (target 0.8)\n", OpenText, Median(VsQtText));
  std::printf("client sort by two fields    %8.1f ms\n", Sort);
  std::printf("std::stable_sort, plain keys %8.1f ms   ratio %.2f (target < 3)\n", PlainSort, Sort / PlainSort);
  std::printf("client filter                %8.1f ms\n", Filter);
  std::printf("client sort by a text field  %8.1f ms\n", TextSort);
  std::printf("std::stable_sort by code unit%8.1f ms   ratio %.2f\n", PlainTextSort, TextSort / PlainTextSort);
  std::printf("std::stable_sort, collator   %8.1f ms   ratio %.2f\n", CollatorSort, TextSort / CollatorSort);
  std::printf("storage                      %8.1f bytes a row (target 120); resident growth %.1f bytes a row, "
              "Qt's rows %.1f\n", StoreBytesPerRow, RssBytesPerRow, QtRssBytesPerRow);
  const bool Ok = Median(VsPsql) <= 1.3 && Median(VsQt) <= 0.8 && Median(VsQtText) <= 0.8 && Sort / PlainSort < 3 &&
                  StoreBytesPerRow <= 120;
  std::printf("%s\n", Ok ? "all targets met" : "a target was missed");
  return 0;
}
