// FieldValueListBench.cpp: the distinct values of a 1,000,000-row text field
// of 1,000 distinct texts, gathered by the field value list from the open
// dataset, against the server's SELECT DISTINCT ... ORDER BY of the same
// column read through the same connection. Runs in pairs, alternating which
// goes first; prints each side's median of the runs and the ratio. Needs a
// running server:
//   scripts/pgserver.sh start /tmp/benchdb
//   ODBCINI=/tmp/benchdb/odbc.ini build-bench/bench/bench_field_values /tmp/benchdb
#include "BenchServerEnv.h"

#include "gridlib/foundation/ToolCtrlsEh.h"

#include "platform/data/ADODB.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

constexpr int Pairs = 5;

QString LoadAverage()
{
  QFile F(QStringLiteral("/proc/loadavg"));
  return F.open(QIODevice::ReadOnly) ? QString::fromLatin1(F.readAll()).section(QLatin1Char(' '), 0, 2)
                                     : QStringLiteral("?");
}

double Median(std::vector<double> V)
{
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}

template <class F>
double TimeMs(F&& Work)
{
  QElapsedTimer T;
  T.start();
  Work();
  return double(T.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication App(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s SERVER_DIR\n", argv[0]);
    return 2;
  }
  const auto Env = ReadServerEnv(QString::fromLocal8Bit(argv[1]));
  if (Env.empty()) {
    std::fprintf(stderr, "no server environment in %s\n", argv[1]);
    return 2;
  }
  RegisterADOClasses();
  TADOConnection Db(nullptr);
  Db.SetLoginPrompt(false);
  Db.SetConnectionString(QStringLiteral("Provider=MSDASQL.1;Password=") +
                         QuoteConnectionValue(Env.at(QStringLiteral("VELMORA_PG_PASSWORD"))) +
                         QStringLiteral(";User ID=") + QuoteConnectionValue(Env.at(QStringLiteral("VELMORA_PG_USER"))) +
                         QStringLiteral(";Data Source=velmora_dev"));
  Db.Open();
  Db.Execute(QStringLiteral("drop table if exists bench_values"));
  Db.Execute(QStringLiteral("create table bench_values as select g as id, "
                            "('Изделие ' || (g::bigint * 7919 % 1000))::varchar(40) as name "
                            "from generate_series(1, 1000000) g"));
  Db.Execute(QStringLiteral("analyze bench_values"));

  // The grid's dataset is open already when its filter drops down.
  TADOQuery Rows(nullptr);
  Rows.SetConnection(&Db);
  Rows.SQL()->SetText(QStringLiteral("select id, name from bench_values"));
  Rows.Open();
  TDatasetFieldValueListEh List;
  List.SetDataSet(&Rows);

  TADOQuery Distinct(nullptr);
  Distinct.SetConnection(&Db);
  Distinct.SQL()->SetText(QStringLiteral("select distinct name from bench_values order by name"));

  const QString LoadBefore = LoadAverage();
  std::vector<double> Ours, Server, Ratios;
  Integer OurCount = 0, ServerCount = 0;
  auto RunOurs = [&] {
    List.SetFieldName(QString());   // obsolete: the next read walks the rows again
    List.SetFieldName(QStringLiteral("name"));
    const double T = TimeMs([&] { OurCount = List.Values()->Count(); });
    Ours.push_back(T);
    return T;
  };
  auto RunServer = [&] {
    const double T = TimeMs([&] {
      Distinct.Open();
      QStringList Values;
      for (; !Distinct.Eof(); Distinct.Next())
        Values.append(Distinct.Fields()->Fields(0)->AsString());
      ServerCount = Integer(Values.size());
      Distinct.Close();
    });
    Server.push_back(T);
    return T;
  };
  RunOurs();   // warm-up of both, not counted
  RunServer();
  Ours.clear();
  Server.clear();
  for (int I = 0; I < Pairs; ++I) {
    double A, B;
    if (I % 2 == 0) {
      A = RunOurs();
      B = RunServer();
    } else {
      B = RunServer();
      A = RunOurs();
    }
    Ratios.push_back(A / B);
    std::printf("pair %d: value list %.1f ms, server DISTINCT %.1f ms, ratio %.2f\n", I + 1, A, B, A / B);
  }
  const QString LoadAfter = LoadAverage();
  Db.Execute(QStringLiteral("drop table bench_values"));

  std::printf("values: list %d, server %d\n", OurCount, ServerCount);
  std::printf("median of %d: value list %.1f ms, server DISTINCT ... ORDER BY %.1f ms\n", Pairs, Median(Ours),
              Median(Server));
  std::printf("ratio value list / server: %.2f (median of pair ratios %.2f)\n", Median(Ours) / Median(Server),
              Median(Ratios));
  std::printf("load average before: %s, after: %s\n", qPrintable(LoadBefore), qPrintable(LoadAfter));
  return OurCount == ServerCount ? 0 : 1;
}
