// MemTableBench.cpp: a memory table opened through its data driver from a
// query of 1,000,000 rows x 6 columns, then sorted by two fields and
// filtered, against the platform's static client cursor (TADOQuery) doing the
// same with the same texts; memory per row of both. Medians of several runs,
// in one run; the two take turns within each run. Needs a running server:
//   scripts/pgserver.sh start /tmp/benchdb
//   ODBCINI=/tmp/benchdb/odbc.ini build-bench/bench/bench_memtable /tmp/benchdb
#include "BenchMemory.h"
#include "BenchServerEnv.h"
#include "BenchTiming.h"

#include "gridlib/memtable/DataDriverEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/data/ADODB.h"

#include <QCoreApplication>

#include <malloc.h>

#include <cstdio>
#include <vector>

namespace {

const char* const BenchSql =
    "select g as id, ('Изделие ' || g)::varchar(40) as name, (g % 1000 + 0.25)::numeric(15,2) as price, "
    "date '2020-01-01' + (g % 365) as d_date, (g % 7)::int4 as grp, md5(g::text)::varchar(32) as code "
    "from generate_series(1, 1000000) g";
const char* const SortText = "grp, price DESC";
const char* const FilterText = "price > 500 and name like '%77%'";

constexpr int Runs = 5;

// Resident memory after handing freed memory back to the system.
long TrimmedResidentBytes()
{
  malloc_trim(0);
  return ResidentBytes();
}

int FirstId(TDataSet* D)
{
  D->First();
  return D->FieldByName(QStringLiteral("id"))->AsInteger();
}

}  // namespace

int main(int argc, char** argv)
{
  QCoreApplication App(argc, argv);
  auto Env = ServerEnvOfArgs(argc, argv);
  if (Env.empty())
    return 2;
  RegisterADOClasses();
  RegisterMemTableClasses();
  TADOConnection Db(nullptr);
  Db.SetLoginPrompt(false);
  Db.SetConnectionString(QStringLiteral("Provider=MSDASQL.1;Password=") +
                         QuoteConnectionValue(Env[QStringLiteral("VELMORA_PG_PASSWORD")]) +
                         QStringLiteral(";User ID=") + QuoteConnectionValue(Env[QStringLiteral("VELMORA_PG_USER")]) +
                         QStringLiteral(";Data Source=velmora_dev"));
  Db.Open();
  TADOQuery Q(nullptr);
  Q.SetConnection(&Db);
  Q.SQL()->SetText(QString::fromUtf8(BenchSql));
  // The table reads through its own query, so that the cursor's rows are not
  // counted as the table's.
  TADOQuery Reader(nullptr);
  Reader.SetConnection(&Db);
  Reader.SQL()->SetText(QString::fromUtf8(BenchSql));
  TDataDriverEh Driver(nullptr);
  Driver.SetProviderDataSet(&Reader);
  TMemTableEh T(nullptr);
  T.SetDataDriver(&Driver);
  T.SetFetchAllOnOpen(true);

  std::vector<double> CursorOpen, TableOpen, CursorSort, TableSort, CursorFilter, TableFilter;
  std::vector<double> OpenRatio, SortRatio, FilterRatio, CursorBytes, TableBytes;
  int Rows = 0, TableRows = 0, CursorPassed = 0, TablePassed = 0, CursorFirst = 0, TableFirst = 0;
  for (int Run = 0; Run < Runs; ++Run) {
    // Each run: the cursor alone, then the table alone, so that each one's
    // memory is measured without the other's.
    long Before = TrimmedResidentBytes();
    CursorOpen.push_back(TimeOf([&] { Q.Open(); }));
    Rows = Q.RecordCount();
    CursorBytes.push_back(double(TrimmedResidentBytes() - Before) / Rows);
    CursorSort.push_back(TimeOf([&] { Q.SetSort(QString::fromUtf8(SortText)); }));
    CursorFirst = FirstId(&Q);
    Q.SetFilter(QString::fromUtf8(FilterText));
    CursorFilter.push_back(TimeOf([&] { Q.SetFilteredValue(true); }));
    CursorPassed = Q.RecordCount();
    Q.Close();
    Q.SetFilteredValue(false);   // the next run opens the plain rows again
    Q.SetSort(QString());

    Before = TrimmedResidentBytes();
    TableOpen.push_back(TimeOf([&] {
      T.Open();
      Reader.Close();   // every row is in the table now
    }));
    TableRows = T.RecordCount();
    TableBytes.push_back(double(TrimmedResidentBytes() - Before) / TableRows);
    TableSort.push_back(TimeOf([&] { T.SetSortOrder(QString::fromUtf8(SortText)); }));
    TableFirst = FirstId(&T);
    T.SetFilter(QString::fromUtf8(FilterText));
    TableFilter.push_back(TimeOf([&] { T.SetFilteredValue(true); }));
    TablePassed = T.RecordCount();
    T.DestroyTable();   // the rows go, for the next run's memory
    T.SetFilteredValue(false);
    T.SetSortOrder(QString());

    OpenRatio.push_back(TableOpen.back() / CursorOpen.back());
    SortRatio.push_back(TableSort.back() / CursorSort.back());
    FilterRatio.push_back(TableFilter.back() / CursorFilter.back());
    std::fprintf(stderr,
                 "run %d: open %.1f / %.1f, sort %.1f / %.1f, filter %.1f / %.1f ms, %.1f / %.1f bytes a row "
                 "(table / cursor)\n",
                 Run + 1, TableOpen.back(), CursorOpen.back(), TableSort.back(), CursorSort.back(),
                 TableFilter.back(), CursorFilter.back(), TableBytes.back(), CursorBytes.back());
  }

  const double TableRowBytes = Median(TableBytes), CursorRowBytes = Median(CursorBytes);
  std::printf("medians of %d runs; the table / the static client cursor\n", Runs);
  std::printf("rows                  %d / %d (first after sort: id %d / %d; %d / %d pass the filter)\n", TableRows,
              Rows, TableFirst, CursorFirst, TablePassed, CursorPassed);
  std::printf("open                  %8.1f / %8.1f ms   ratio %.2f\n", Median(TableOpen), Median(CursorOpen),
              Median(OpenRatio));
  std::printf("sort by two fields    %8.1f / %8.1f ms   ratio %.2f (target <= 1)\n", Median(TableSort),
              Median(CursorSort), Median(SortRatio));
  std::printf("filter                %8.1f / %8.1f ms   ratio %.2f (target <= 1)\n", Median(TableFilter),
              Median(CursorFilter), Median(FilterRatio));
  std::printf("resident bytes a row  %8.1f / %8.1f      ratio %.2f (target <= 1)\n", TableRowBytes, CursorRowBytes,
              TableRowBytes / CursorRowBytes);
  const bool Ok = Median(SortRatio) <= 1 && Median(FilterRatio) <= 1 && TableRowBytes <= CursorRowBytes;
  std::printf("%s\n", Ok ? "all targets met" : "a target was missed");
  return 0;
}
