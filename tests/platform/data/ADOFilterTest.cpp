// ADOFilterTest.cpp: the client filter and sort texts against a fixed set of
// rows fetched from the test server.
#include "platform/data/ADODB.h"
#include "platform/data/ADOFilter.h"

#include "tests/support/TestDatabase.h"

#include <functional>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>


namespace {

const char* const RowsSql =
    "select * from (values "
    "(1, 'Цех сборки'::varchar(254), 10.50::numeric(15,2), 3, date '2024-01-10', 'первый'::text), "
    "(2, 'цех покраски', 20.25, 1, date '2024-02-01', null), "
    "(3, 'Склад ГП', 5, 7, date '2023-12-31', 'склад'), "
    "(4, 'Ёлочный участок', 0, 2, null, 'O''Neil'), "
    "(5, 'Администрация', 100, null, date '2024-03-15', '100%'), "
    "(6, 'ЦЕХ_1', 1, 1, date '2024-01-10', 'a_b')"
    ") as t(id, s_caption, price, qty, d_date, note)";

class ADOFilterTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    RegisterADOClasses();
    Db = std::make_unique<TADOConnection>(nullptr);
    Db->SetLoginPrompt(false);
    Db->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
    Db->Open();
    Rows = std::make_unique<TADOQuery>(nullptr);
    Rows->SetConnection(Db.get());
    Rows->SQL()->SetText(QString::fromUtf8(RowsSql));
    Rows->Open();
  }

  std::vector<int> Ids()
  {
    std::vector<int> R;
    for (Rows->First(); !Rows->Eof(); Rows->Next())
      R.push_back(Rows->FieldByName(QStringLiteral("id"))->AsInteger());
    return R;
  }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOQuery> Rows;
};

TEST_F(ADOFilterTest, ExpressionsSelectRows)
{
  struct Case { const char* Filter; std::vector<int> Ids; };
  const Case Cases[] = {
    {"s_caption like 'цех%'", {1, 2, 6}},
    {"s_caption like 'цех*'", {1, 2, 6}},
    {"s_caption like 'цех[*]'", {}},
    {"s_caption like 'ЦЕХ %'", {1, 2}},
    {"S_CAPTION LIKE '%участок'", {4}},
    {"s_caption like 'ёлоч%'", {4}},
    {"s_caption like 'Цех_сборки'", {1}},
    {"s_caption like 'цех_1'", {6}},
    {"s_caption like '%'", {1, 2, 3, 4, 5, 6}},
    {"s_caption like ''", {}},
    {"note like '%''%'", {4}},
    {"note = 'O''Neil'", {4}},
    {"note like '100%'", {5}},
    {"note like 'a_b'", {6}},
    {"s_caption = 'склад гп'", {3}},
    {"s_caption <> 'склад гп'", {1, 2, 4, 5, 6}},
    {"s_caption < 'Б'", {5}},
    {"s_caption >= 'Ё' and s_caption < 'Ж'", {4}},
    {"price > 10", {1, 2, 5}},
    {"price >= 10.5", {1, 2, 5}},
    {"price = 5", {3}},
    {"price < 1", {4}},
    {"price <= '1'", {4, 6}},
    {"qty = null", {5}},
    {"qty <> NULL", {1, 2, 3, 4, 6}},
    {"qty > 1", {1, 3, 4}},
    {"id > 1 and id < 4", {2, 3}},
    {"id = 1 or id = 5", {1, 5}},
    {"(id = 1 or id = 2) and price > 15", {2}},
    {"id = 1 or id = 2 and price > 15", {1, 2}},
    {"((id=6))", {6}},
    {"d_date > #2024-01-15#", {2, 5}},
    {"d_date = '2024-01-10'", {1, 6}},
    {"d_date = #10.01.2024#", {1, 6}},
    {"[s_caption] like '%ГП'", {3}},
    {"  ", {1, 2, 3, 4, 5, 6}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Filter);
    Rows->SetFilter(QString::fromUtf8(C.Filter));
    Rows->SetFilteredValue(true);
    EXPECT_EQ(Ids(), C.Ids);
    EXPECT_EQ(Rows->RecordCount(), int(C.Ids.size()));
    Rows->SetFilteredValue(false);
  }
}

TEST_F(ADOFilterTest, MalformedFilterIsRefusedAndTheOldOneStays)
{
  Rows->SetFilter(QStringLiteral("id > 4"));
  Rows->SetFilteredValue(true);
  const char* const Bad[] = {
    "s_caption like 'O'Neil%'",   // a typed quote that was not doubled
    "s_caption like 'abc",
    "price >",
    "id = 1 and",
    "no_such_field = 1",
    "id == 1",
    "(id = 1",
    "id = 1)",
    "price like 5",
    "qty > null",
    "d_date = 'не дата'",
    "price = 'много'",
  };
  for (const char* B : Bad) {
    SCOPED_TRACE(B);
    EXPECT_THROW(Rows->SetFilter(QString::fromUtf8(B)), Exception);
    EXPECT_EQ(Rows->Filter(), QStringLiteral("id > 4"));
    EXPECT_EQ(Ids(), (std::vector<int>{5, 6}));
  }
}

TEST_F(ADOFilterTest, QuotedTypedTextMatchesLiterally)
{
  const char* const Typed[] = {"O'Neil", "100%", "a_b"};
  for (const char* T : Typed) {
    SCOPED_TRACE(T);
    Rows->SetFilter(QStringLiteral("note = ") + adofilter::QuoteFilterText(QString::fromUtf8(T)));
    Rows->SetFilteredValue(true);
    EXPECT_EQ(Rows->RecordCount(), 1);
    EXPECT_EQ(Rows->FieldByName(QStringLiteral("note"))->AsString(), QString::fromUtf8(T));
  }
}

TEST_F(ADOFilterTest, SortTexts)
{
  struct Case { const char* Sort; std::vector<int> Ids; };
  const Case Cases[] = {
    {"s_caption", {5, 4, 3, 2, 1, 6}},   // Ё after Е, before Ж; case ignored
    {"s_caption  ASC", {5, 4, 3, 2, 1, 6}},
    {"qty DESC, id", {3, 1, 4, 2, 6, 5}},
    {"d_date DESC, s_caption ASC", {5, 2, 1, 6, 3, 4}},
    {"price", {4, 6, 3, 1, 2, 5}},
    {"", {1, 2, 3, 4, 5, 6}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Sort);
    Rows->SetSort(QString::fromUtf8(C.Sort));
    EXPECT_EQ(Ids(), C.Ids);
  }
  EXPECT_THROW(Rows->SetSort(QStringLiteral("id DESC DESC")), Exception);
  EXPECT_THROW(adofilter::ParseSort(QStringLiteral("a b, c")), adofilter::EFilterError);
}

// Number keys of many rows (negatives, fractions, ties, both directions)
// come out as a stable sort of the same values does it.
TEST_F(ADOFilterTest, SortNumbersAsAStableSortDoes)
{
  TADOQuery Many(nullptr);
  Many.SetConnection(Db.get());
  Many.SQL()->SetText(QStringLiteral(
    "select g as id, (g * 7919 % 13) - 6 as a, ((g * 104729) % 1000) / 8.0 - 60 as b, "
    "(g % 5)::numeric(15,2) - 2.5 as c from generate_series(1, 5000) g"));
  Many.Open();
  struct TRow { int Id; std::int64_t A; double B; double C; };
  std::vector<TRow> Plain;
  for (Many.First(); !Many.Eof(); Many.Next())
    Plain.push_back({Many.FieldByName(QStringLiteral("id"))->AsInteger(),
                     std::int64_t(Many.FieldByName(QStringLiteral("a"))->AsInteger()),
                     Many.FieldByName(QStringLiteral("b"))->AsFloat(),
                     Many.FieldByName(QStringLiteral("c"))->AsFloat()});
  struct Case { const char* Sort; std::function<bool(const TRow&, const TRow&)> Less; };
  const Case Cases[] = {
    {"a DESC, b", [](const TRow& X, const TRow& Y) { return X.A != Y.A ? X.A > Y.A : X.B < Y.B; }},
    {"c, a", [](const TRow& X, const TRow& Y) { return X.C != Y.C ? X.C < Y.C : X.A < Y.A; }},
    {"b DESC", [](const TRow& X, const TRow& Y) { return X.B > Y.B; }},
    {"c DESC, a DESC, b", [](const TRow& X, const TRow& Y) {
       if (X.C != Y.C) return X.C > Y.C;
       return X.A != Y.A ? X.A > Y.A : X.B < Y.B; }},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Sort);
    std::vector<TRow> Expected = Plain;
    std::stable_sort(Expected.begin(), Expected.end(), C.Less);
    Many.SetSort(QString::fromUtf8(C.Sort));
    std::vector<int> Got;
    for (Many.First(); !Many.Eof(); Many.Next())
      Got.push_back(Many.FieldByName(QStringLiteral("id"))->AsInteger());
    std::vector<int> Want;
    for (const TRow& R : Expected)
      Want.push_back(R.Id);
    EXPECT_EQ(Got, Want);
  }
}

}  // namespace
