// MemTableDataBench.cpp: the in-memory dataset's storage against SQLite's
// in-memory database on 1,000,000 rows x 6 fields, in one run: loading the
// rows, sorting the view by two fields, filtering it by an expression, and
// grouping with SUM and COUNT; the memory each holds per row. Medians of
// several runs; the two take turns within each run.
//   build-bench/bench/bench_memtable_data [filter|sort]
// With an argument only the storage loads and runs that step twenty times
// (for a profiler).
#include "BenchTiming.h"
#include "tests/gridlib/memtable/MemTableTestSupport.h"

#include <malloc.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

using mttest::AddField;

namespace {

constexpr int Rows = 1000000;
constexpr int Runs = 5;
const char* const FilterText = "price > 500 and name like '%77%'";

struct TRow {
  int Id;
  QString Name;
  double Price;
  double Date;   // days since 30.12.1899, as TDateTime holds it
  int Grp;
  QString Code;
};

// The rows both sides load, made once: the same names and codes the data
// benchmark reads from the server.
std::vector<TRow> MakeRows()
{
  std::vector<TRow> Out;
  Out.reserve(Rows);
  for (int G = 1; G <= Rows; ++G) {
    const QByteArray Md5 = QByteArray::number(quint64(G) * 2654435761ULL % 4294967291ULL, 16).rightJustified(32, '0');
    Out.push_back({G, QStringLiteral("Изделие %1").arg(G), G % 1000 + 0.25, 43831.0 + G % 365, G % 7,
                   QString::fromLatin1(Md5)});
  }
  return Out;
}

// Bytes the heap has handed out and not taken back, with the slabs the
// records' pool holds outside it.
double HeapInUse()
{
  const struct mallinfo2 M = mallinfo2();
  return double(M.uordblks) + double(M.hblkhd) + double(RecPoolBytesEh());
}

// ---------------------------------------------------------------------------
// The storage side.

// A sort order of field numbers, "4, 2 DESC" for grp, price DESC, as the
// view hands it back to the compare routine; it reads its keys as numbers.
class TFieldOrder : public TObject, public TRecordsSortKeyEh {
public:
  std::vector<std::pair<Integer, bool>> Fields;   // field, descending
  Integer KeyLength() const override { return Integer(Fields.size()); }
  bool KeyOf(const TMemoryRecordEh* Rec, double* Key) const override
  {
    const TRecValuesEh& Values = Rec->Values();
    for (const auto& [Field, Desc] : Fields) {
      const TRecValuesEh::TTag Tag = Values.Tag(Field);
      if (!Values.IsNumber(Field) || Tag == TRecValuesEh::tBoolean || Tag == TRecValuesEh::tInt64 ||
          Tag == TRecValuesEh::tUInt64)
        return false;
      *Key++ = Desc ? -Values.Number(Field) : Values.Number(Field);
    }
    return true;
  }
};

Integer CompareValues(const Variant& A, const Variant& B)
{
  switch (VarCompareValue(A, B)) {
  case vrLessThan: return -1;
  case vrGreaterThan: return 1;
  default: return 0;
  }
}

struct TStorage {
  std::unique_ptr<TMemTableDataEh> Data;
  std::unique_ptr<TRecordsViewEh> View;
  std::unique_ptr<TDataSetExprParserEh> Filter;
  bool FilterOn = false;

  void Load(const std::vector<TRow>& Source)
  {
    View.reset();
    Data = std::make_unique<TMemTableDataEh>(nullptr);
    TMTDataStructEh* S = Data->DataStruct();
    AddField(S, "id", ftInteger);
    AddField(S, "name", ftWideString, 40);
    AddField(S, "price", ftFloat);
    AddField(S, "d_date", ftDate);
    AddField(S, "grp", ftInteger);
    AddField(S, "code", ftWideString, 32);
    TRecordsListEh* List = Data->RecordsList();
    for (const TRow& R : Source) {
      TMemoryRecordEh* Rec = List->NewRecord();
      Rec->SetDataValue(0, dvvValueEh, R.Id);
      Rec->SetDataValue(1, dvvValueEh, R.Name);
      Rec->SetDataValue(2, dvvValueEh, R.Price);
      Rec->SetDataValue(3, dvvValueEh, TDateTime(R.Date));
      Rec->SetDataValue(4, dvvValueEh, R.Grp);
      Rec->SetDataValue(5, dvvValueEh, R.Code);
      List->FetchRecord(Rec);
    }
    View = std::make_unique<TRecordsViewEh>(nullptr);
    View->OnParseOrderByStr = [this](const String& Text) {
      auto Order = std::make_unique<TFieldOrder>();
      for (const String& Item : Text.split(u',')) {
        const QStringList Words = Item.trimmed().split(u' ');
        Order->Fields.push_back({Data->DataStruct()->FieldIndex(Words[0]),
                                 Words.size() > 1 && Words[1].compare(u"DESC", Qt::CaseInsensitive) == 0});
      }
      return std::unique_ptr<TObject>(std::move(Order));
    };
    View->OnCompareRecords = [](TMemoryRecordEh* A, TMemoryRecordEh* B, TObject* P) {
      for (const auto& [Field, Desc] : static_cast<TFieldOrder*>(P)->Fields)
        if (const Integer C = CompareValues(A->Value(Field), B->Value(Field)))
          return Desc ? -C : C;
      return A->Index() - B->Index();
    };
    Filter = std::make_unique<TDataSetExprParserEh>(nullptr, dsptFilterEh, Data->DataStruct());
    Filter->ParseExpression(QString::fromUtf8(FilterText));
    View->OnFilterRecord = [this](TMemoryRecordEh* Rec, Integer) {
      return !FilterOn || Filter->IsCurRecordInFilter(*Rec);
    };
    View->SetMemTableData(Data.get());
  }
  void Sort() { View->SetSortOrder(QStringLiteral("grp, price DESC")); }
  void Unsort() { View->SetSortOrder(String()); }
  void SetFiltered(bool On)
  {
    FilterOn = On;
    View->RefreshFilteredRecsList(true);
  }
  // SUM(price) and COUNT(*) for each grp: the view sorted by the group and
  // walked once, as the grid's group footers are made.
  std::map<int, std::pair<double, int>> Group()
  {
    std::map<int, std::pair<double, int>> Out;
    for (Integer I = 0, N = View->Count(); I < N; ++I) {
      const TRecValuesEh& Values = View->GetViewRecord(I)->Values();
      auto& Slot = Out[int(Values.Int64Value(4))];
      Slot.first += Values.Number(2);
      ++Slot.second;
    }
    return Out;
  }
};

// ---------------------------------------------------------------------------
// The SQLite side.

void Check(int Rc, sqlite3* Db, const char* What)
{
  if (Rc != SQLITE_OK && Rc != SQLITE_DONE && Rc != SQLITE_ROW) {
    std::fprintf(stderr, "sqlite %s: %s\n", What, sqlite3_errmsg(Db));
    std::exit(2);
  }
}

struct TSqlite {
  sqlite3* Db = nullptr;
  ~TSqlite() { sqlite3_close(Db); }

  void Load(const std::vector<TRow>& Source)
  {
    sqlite3_close(Db);
    Check(sqlite3_open(":memory:", &Db), Db, "open");
    Check(sqlite3_exec(Db,
                       "create table t(id integer, name text, price real, d_date real, grp integer, code text);"
                       "begin",
                       nullptr, nullptr, nullptr),
          Db, "create");
    sqlite3_stmt* Ins = nullptr;
    Check(sqlite3_prepare_v2(Db, "insert into t values(?,?,?,?,?,?)", -1, &Ins, nullptr), Db, "prepare");
    for (const TRow& R : Source) {
      const QByteArray Name = R.Name.toUtf8(), Code = R.Code.toUtf8();
      sqlite3_bind_int(Ins, 1, R.Id);
      sqlite3_bind_text(Ins, 2, Name.constData(), int(Name.size()), SQLITE_TRANSIENT);
      sqlite3_bind_double(Ins, 3, R.Price);
      sqlite3_bind_double(Ins, 4, R.Date);
      sqlite3_bind_int(Ins, 5, R.Grp);
      sqlite3_bind_text(Ins, 6, Code.constData(), int(Code.size()), SQLITE_TRANSIENT);
      Check(sqlite3_step(Ins), Db, "insert");
      sqlite3_reset(Ins);
    }
    sqlite3_finalize(Ins);
    Check(sqlite3_exec(Db, "commit", nullptr, nullptr, nullptr), Db, "commit");
  }
  // The row ids of a query, in its order: what a view holds.
  std::vector<sqlite3_int64> Ids(const char* Sql)
  {
    std::vector<sqlite3_int64> Out;
    sqlite3_stmt* St = nullptr;
    Check(sqlite3_prepare_v2(Db, Sql, -1, &St, nullptr), Db, "prepare");
    while (sqlite3_step(St) == SQLITE_ROW)
      Out.push_back(sqlite3_column_int64(St, 0));
    sqlite3_finalize(St);
    return Out;
  }
  std::map<int, std::pair<double, int>> Group()
  {
    std::map<int, std::pair<double, int>> Out;
    sqlite3_stmt* St = nullptr;
    Check(sqlite3_prepare_v2(Db, "select grp, sum(price), count(*) from t group by grp", -1, &St, nullptr), Db,
          "prepare");
    while (sqlite3_step(St) == SQLITE_ROW)
      Out[sqlite3_column_int(St, 0)] = {sqlite3_column_double(St, 1), sqlite3_column_int(St, 2)};
    sqlite3_finalize(St);
    return Out;
  }
};

}  // namespace

int main(int argc, char** argv)
{
  const std::vector<TRow> Source = MakeRows();
  TStorage Ours;
  TSqlite Peer;
  if (argc > 1) {
    const std::string Step = argv[1];
    Ours.Load(Source);
    for (int I = 0; I < 20; ++I)
      std::printf("%s %.1f ms\n", Step.c_str(), Step == "sort" ? TimeOf([&] { Ours.Sort(); Ours.Unsort(); })
                                                           : TimeOf([&] { Ours.SetFiltered(I % 2 == 0); }));
    return 0;
  }
  std::vector<double> LoadT, LoadP, SortT, SortP, FilterT, FilterP, GroupT, GroupP;
  std::vector<double> LoadR, SortR, FilterR, GroupR;
  double OursBytes = 0, PeerBytes = 0;
  std::size_t Sorted = 0, PeerSorted = 0, Filtered = 0, PeerFiltered = 0;
  bool GroupsAgree = true;
  for (int Run = 0; Run < Runs; ++Run) {
    Ours.Data.reset();
    Ours.View.reset();
    const double Before = HeapInUse();
    LoadT.push_back(TimeOf([&] { Ours.Load(Source); }));
    OursBytes = (HeapInUse() - Before) / Rows;
    LoadP.push_back(TimeOf([&] { Peer.Load(Source); }));
    PeerBytes = double(sqlite3_memory_used()) / Rows;

    SortT.push_back(TimeOf([&] { Ours.Sort(); }));
    Sorted = std::size_t(Ours.View->Count());
    SortP.push_back(TimeOf([&] { PeerSorted = Peer.Ids("select id from t order by grp, price desc").size(); }));

    Ours.Unsort();
    FilterT.push_back(TimeOf([&] { Ours.SetFiltered(true); }));
    Filtered = std::size_t(Ours.View->Count());
    Ours.SetFiltered(false);
    FilterP.push_back(TimeOf([&] {
      PeerFiltered = Peer.Ids("select id from t where price > 500 and name like '%77%'").size();
    }));

    std::map<int, std::pair<double, int>> G, PG;
    GroupT.push_back(TimeOf([&] {
      Ours.View->SetSortOrder(QStringLiteral("grp"));
      G = Ours.Group();
    }));
    GroupP.push_back(TimeOf([&] { PG = Peer.Group(); }));
    GroupsAgree = GroupsAgree && G.size() == PG.size();
    for (const auto& [K, V] : G)
      GroupsAgree = GroupsAgree && PG.count(K) && PG[K].second == V.second && std::abs(PG[K].first - V.first) < 1e-3;
    Ours.Unsort();

    LoadR.push_back(LoadT.back() / LoadP.back());
    SortR.push_back(SortT.back() / SortP.back());
    FilterR.push_back(FilterT.back() / FilterP.back());
    GroupR.push_back(GroupT.back() / GroupP.back());
    std::fprintf(stderr, "run %d: load %.0f/%.0f, sort %.0f/%.0f, filter %.0f/%.0f, group %.0f/%.0f ms\n", Run + 1,
                 LoadT.back(), LoadP.back(), SortT.back(), SortP.back(), FilterT.back(), FilterP.back(),
                 GroupT.back(), GroupP.back());
  }
  std::printf("medians of %d runs, %d rows x 6 fields; storage / SQLite in memory\n", Runs, Rows);
  std::printf("load                %8.1f / %8.1f ms   ratio %.2f\n", Median(LoadT), Median(LoadP), Median(LoadR));
  std::printf("sort by two fields  %8.1f / %8.1f ms   ratio %.2f (target 1)  rows %zu / %zu\n", Median(SortT),
              Median(SortP), Median(SortR), Sorted, PeerSorted);
  std::printf("filter              %8.1f / %8.1f ms   ratio %.2f (target 1)  rows %zu / %zu\n", Median(FilterT),
              Median(FilterP), Median(FilterR), Filtered, PeerFiltered);
  std::printf("group SUM, COUNT    %8.1f / %8.1f ms   ratio %.2f  %s\n", Median(GroupT), Median(GroupP),
              Median(GroupR), GroupsAgree ? "same sums" : "SUMS DIFFER");
  std::printf("memory a row        %8.1f / %8.1f bytes (target 150)\n", OursBytes, PeerBytes);
  const bool Ok = Median(SortR) <= 1 && Median(FilterR) <= 1 && OursBytes < 150 && Filtered == PeerFiltered &&
                  GroupsAgree;
  std::printf("%s\n", Ok ? "all targets met" : "a target was missed");
  return 0;
}
