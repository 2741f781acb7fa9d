// OdbcTest.cpp: the ODBC seam against the test server: connection strings,
// parameters, column kinds, fetching, transactions and lost connections.
#include "platform/data/Odbc.h"

#include "platform/data/DB.h"

#include "tests/support/TestDatabase.h"

#include <QDate>

using namespace odbc;

static QString Q(const std::string& S) { return QString::fromStdString(S); }

class OdbcTest : public ::testing::Test {
protected:
  void SetUp() override { Conn.Open(Q(testsupport::ConnectionString())); }
  TConnection Conn;
};

TEST(OdbcConnString, ParseBracesAndQuoteRoundTrip)
{
  auto A = ParseOdbcConnectionString(QStringLiteral("DRIVER={PostgreSQL UNICODE};UID=a b;PWD={x;}}y{};;Flag"));
  ASSERT_EQ(A.size(), 4u);
  EXPECT_EQ(A[0].Value, QStringLiteral("PostgreSQL UNICODE"));
  EXPECT_EQ(A[1].Value, QStringLiteral("a b"));
  EXPECT_EQ(A[2].Value, QStringLiteral("x;}y{"));
  EXPECT_EQ(A[3].Key, QStringLiteral("Flag"));
  const QString Odd = QStringLiteral("p;}{}};Database=other");
  auto B = ParseOdbcConnectionString(QStringLiteral("PWD=") + QuoteOdbcValue(Odd));
  ASSERT_EQ(B.size(), 1u);
  EXPECT_EQ(B[0].Value, Odd);
  EXPECT_THROW(ParseOdbcConnectionString(QStringLiteral("PWD={abc")), EOleException);
}

TEST(OdbcSql, NamedParametersSkipQuotesCommentsAndCasts)
{
  struct Case { const char* Sql; const char* Odbc; const char* Names; };
  const Case Cases[] = {
    {"select * from t where a=:a and b = :B", "select * from t where a=? and b = ?", "a,B"},
    {"select ':x', \":y\" from t where c=:c", "select ':x', \":y\" from t where c=?", "c"},
    {"select 1::t_money, x from t where d=:d::date", "select 1::t_money, x from t where d=?::date", "d"},
    {"select 1 -- :no\n, :yes /* :no */", "select 1 -- :no\n, ? /* :no */", "yes"},
    {"select $$ :no $$, :id_1, 'it''s :no'", "select $$ :no $$, ?, 'it''s :no'", "id_1"},
    {"select :p, :p", "select ?, ?", "p,p"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Sql);
    QString Out;
    QStringList Names;
    SplitParameters(QString::fromUtf8(C.Sql), Out, Names);
    EXPECT_EQ(Out, QString::fromUtf8(C.Odbc));
    EXPECT_EQ(Names.join(u','), QString::fromUtf8(C.Names));
  }
}

TEST(OdbcDecimal, CurrencyText)
{
  struct Case { const char* Text; bool Ok; std::int64_t Scaled; };
  const Case Cases[] = {{"12.5", true, 125000}, {"-0.00005", true, -1}, {"0,1234", true, 1234},
                        {"abc", false, 0}, {"", false, 0}, {"1.2.3", false, 0},
                        {"922337203685477.5807", true, INT64_MAX}, {"9223372036854775808", false, 0},
                        {" 7 ", true, 70000}, {"\u0661\u0662", false, 0}, {"1\u0663", false, 0}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Text);
    std::int64_t V = 0;
    EXPECT_EQ(ParseCurrency(QString::fromUtf8(C.Text), V), C.Ok);
    if (C.Ok) {
      EXPECT_EQ(V, C.Scaled);
    }
  }
  EXPECT_EQ(CurrencyToText(-125000), QStringLiteral("-12.5"));
  EXPECT_EQ(CurrencyToText(INT64_MIN), QStringLiteral("-922337203685477.5808"));
}

// Rows appended one by one past the storage's blocks keep their values when
// the room reserved beyond them is given back, and rows can follow again.
TEST(OdbcRowStore, ValuesStayPutAcrossBlocks)
{
  std::vector<TColumn> Columns(5);
  const TValueKind Kinds[] = {TValueKind::Int32, TValueKind::Int64, TValueKind::Date, TValueKind::WideText,
                              TValueKind::Binary};
  for (int C = 0; C < 5; ++C)
    Columns[std::size_t(C)].Kind = Kinds[C];
  TRowStore Store(std::move(Columns));
  const auto Put = [&](int G) {
    const int Row = Store.AppendRow();
    Store.SetValue(Row, 0, TValue::FromInt32(G));
    Store.SetValue(Row, 1, TValue::FromInt64(std::int64_t(G) << 33));
    Store.SetValue(Row, 2, TValue::FromDate(G / 4.0));
    if (G % 7)
      Store.SetValue(Row, 3, TValue::FromText((G % 3 ? QStringLiteral("текст %1") : QStringLiteral("text %1")).arg(G)));
    if (G % 100000 == 0)
      Store.SetValue(Row, 4, TValue::FromBytes(QByteArray::number(G)));
  };
  const auto Check = [&](int Count) {
    ASSERT_EQ(Store.RowCount(), Count);
    for (int Row = 0; Row < Count; ++Row) {
      const int G = Row + 1;
      ASSERT_EQ(Store.IntAt(Row, 0), G);
      ASSERT_EQ(Store.IntAt(Row, 1), std::int64_t(G) << 33);
      ASSERT_EQ(Store.DoubleAt(Row, 2), G / 4.0);
      ASSERT_EQ(Store.IsNull(Row, 3), G % 7 == 0) << G;
      if (G % 7) {
        ASSERT_EQ(Store.TextAt(Row, 3), (G % 3 ? QStringLiteral("текст %1") : QStringLiteral("text %1")).arg(G));
      }
      ASSERT_EQ(Store.Value(Row, 4).Bytes, G % 100000 ? QByteArray() : QByteArray::number(G)) << G;
    }
  };
  const int Count = 1200000;   // past two blocks of the widest values
  for (int G = 1; G <= Count; ++G)
    Put(G);
  Store.ShrinkToFit();
  Check(Count);
  // the fixed-size values and the texts, and little room besides
  const double PerRow = 4 + 8 + 8 + 8 + double(sizeof(QByteArray)) + 5 / 8.0 + 2 * 12;
  EXPECT_LT(double(Store.MemoryUsed()), PerRow * Count + 8e6);
  for (int G = Count + 1; G <= Count + 5000; ++G)
    Put(G);
  Check(Count + 5000);
}

TEST_F(OdbcTest, ColumnKindsAndCyrillic)
{
  auto R = Conn.Execute(QStringLiteral(
      "select 'Привет'::varchar(254) w, 'текст'::text t, 12.5::numeric(15,2) b, 1.5::numeric f, "
      "42::int4 i, 7::int2 s, 9000000000::int8 l, true::bool bo, date '2024-02-29' d, "
      "timestamp '2024-02-29 13:45:10' dt, 2.25::float8 fl, null::int4 n"), {});
  ASSERT_TRUE(R);
  ASSERT_EQ(R->RowCount(), 1);
  EXPECT_EQ(R->Value(0, 0).Text, QStringLiteral("Привет"));
  EXPECT_EQ(R->Column(0).Size, 254);
  EXPECT_EQ(R->Value(0, 1).Text, QStringLiteral("текст"));
  EXPECT_EQ(R->Column(2).Kind, TValueKind::Currency);
  EXPECT_EQ(R->Value(0, 2).Int, 125000);
  EXPECT_EQ(R->Column(3).Kind, TValueKind::Decimal);
  EXPECT_EQ(R->Value(0, 4).Int, 42);
  EXPECT_EQ(R->Value(0, 6).Int, 9000000000LL);
  EXPECT_EQ(R->Column(6).Kind, TValueKind::Int64);
  EXPECT_EQ(R->Column(7).Kind, TValueKind::AnsiText);
  EXPECT_EQ(R->Value(0, 7).Text, QStringLiteral("1"));
  EXPECT_DOUBLE_EQ(R->Value(0, 8).Dbl, 45351.0);
  EXPECT_NEAR(R->Value(0, 9).Dbl, 45351.0 + (13 * 3600 + 45 * 60 + 10) / 86400.0, 1e-9);
  EXPECT_DOUBLE_EQ(R->Value(0, 10).Dbl, 2.25);
  EXPECT_TRUE(R->IsNull(0, 11));
}

TEST_F(OdbcTest, BatchesRunEveryStatement)
{
  // The clean-out and the forms run several statements in one text.
  Conn.Execute(QStringLiteral("create temp table odbc_batch (x int); insert into odbc_batch values (1); "
                              "insert into odbc_batch values (2)"), {});
  auto R = Conn.Execute(QStringLiteral("select count(*) as n from odbc_batch; select 5 as other"), {});
  ASSERT_TRUE(R);
  EXPECT_EQ(R->Column(0).Name, QStringLiteral("n"));
  EXPECT_EQ(R->Value(0, 0).Int, 2);
  auto S = Conn.Execute(QStringLiteral("delete from odbc_batch where x = 1; select x from odbc_batch"), {});
  ASSERT_TRUE(S);
  EXPECT_EQ(S->RowCount(), 1);
  std::int64_t Affected = 0;
  EXPECT_FALSE(Conn.Execute(QStringLiteral("update odbc_batch set x = 3"), {}, &Affected));
  EXPECT_EQ(Affected, 1);
}

// A cell longer than the width the driver announces for its column (an
// unconstrained varchar is announced at the driver's maximum, 255) comes
// whole, in a block of short rows as well as alone.
TEST_F(OdbcTest, EveryCellArrivesWhole)
{
  struct Case { const char* Expr; QString Expected; };
  const Case Cases[] = {
    {"repeat('я', 255)::varchar", QString(255, QChar(0x044F))},
    {"repeat('я', 511)::varchar", QString(511, QChar(0x044F))},
    {"repeat('ж', 5000)::varchar", QString(5000, QChar(0x0436))},
    {"repeat('x', 600)::bpchar", QString(600, u'x')},
    {"repeat('ё', 100000)::text", QString(100000, QChar(0x0451))},
    {"repeat('9', 100)::numeric", QString(100, u'9')},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Expr);
    auto R = Conn.Execute(QStringLiteral("select g, case when g = 3 then %1 when g % 2 = 0 then null "
                                         "else left((%1)::text, g)::%2 end v from generate_series(1, 5) g")
                              .arg(QString::fromUtf8(C.Expr), QString::fromUtf8(C.Expr).section(u':', -1)), {});
    ASSERT_TRUE(R);
    ASSERT_EQ(R->RowCount(), 5);
    const QString Whole = R->Value(2, 1).Text;
    EXPECT_TRUE(Whole == C.Expected) << Whole.size() << " of " << C.Expected.size() << " characters";
    EXPECT_EQ(R->Value(0, 1).Text, C.Expected.left(1));
    EXPECT_TRUE(R->IsNull(1, 1));
    EXPECT_EQ(R->Value(4, 1).Text, C.Expected.left(5));
  }
}

// A date the driver cannot render (it writes "0000-00-00" for infinity and
// years past 9999) is an error naming the field, never 30.12.1899 or today.
TEST_F(OdbcTest, DatesOutOfRangeAreErrorsNamingTheField)
{
  const char* const Bad[] = {"'infinity'::date", "'-infinity'::date", "'12000-06-15'::date",
                             "'12000-06-15 10:00'::timestamp"};
  // alone, and in a later block of a long result, stored while the next comes
  const int Places[][2] = {{1, 1}, {3000, 5000}, {5000, 5000}};
  for (const char* Expr : Bad) {
    for (const auto& Place : Places) {
      SCOPED_TRACE(testing::Message() << Expr << " in row " << Place[0] << " of " << Place[1]);
      try {
        Conn.Execute(QStringLiteral("select g a, case when g = %2 then %1 else date '2024-01-01' end as d_shipped "
                                    "from generate_series(1, %3) g")
                       .arg(QString::fromUtf8(Expr))
                       .arg(Place[0])
                       .arg(Place[1]),
                     {});
        ADD_FAILURE() << "no error";
      } catch (const EDatabaseError& E) {
        EXPECT_TRUE(E.Message().contains(QStringLiteral("d_shipped"))) << E.Message().toStdString();
      }
      auto After = Conn.Execute(QStringLiteral("select 7"), {});
      ASSERT_TRUE(After);
      EXPECT_EQ(After->Value(0, 0).Int, 7);
    }
  }
  struct Good { const char* Expr; double Value; };
  const double Day = 1.0 / 86400;
  const Good Cases[] = {
    {"date '2024-02-29'", 45351.0},
    {"timestamp '2024-02-29 13:45:10.25'", 45351.0 + (13 * 3600 + 45 * 60 + 10.25) * Day},
    {"time '07:08:09.5'", (7 * 3600 + 8 * 60 + 9.5) * Day},
    {"timestamp '0044-03-15 06:00 BC'", double(QDate(-44, 3, 15).toJulianDay() - 2415019) - 0.25},
    {"timestamp 'infinity'", double(QDate(9999, 12, 31).toJulianDay() - 2415019) + (86400 - 1) * Day},
  };
  for (const Good& C : Cases) {
    SCOPED_TRACE(C.Expr);
    auto R = Conn.Execute(QStringLiteral("select %1 as d").arg(QString::fromUtf8(C.Expr)), {});
    ASSERT_TRUE(R);
    EXPECT_NEAR(R->Value(0, 0).Dbl, C.Value, 1e-9);
  }
}

// Row counts around the fetch block, with and without a long column, with
// Nulls and Cyrillic in both; the long texts are shorter and longer than
// the width a long column is bound at.
TEST_F(OdbcTest, RowsAcrossTheFetchBlock)
{
  const int B = FetchBlockRows;
  for (bool WithLong : {false, true}) {
    for (int Count : {1, B - 1, B, B + 1, 2 * B + 3}) {
      SCOPED_TRACE(testing::Message() << Count << " rows, long column " << WithLong);
      // a varchar(200) is bound whole; a text is bound 256 units wide
      const int Longest = WithLong ? 600 : 190;
      const QString Sql =
          QStringLiteral("select g, case when g % 7 = 0 then null else 'Строка ' || g end::varchar(40) s, "
                         "case when g % 5 = 0 then null else repeat('щ', g * 37 % %2) || g end::%3 t, "
                         "date '2024-01-01' + g d from generate_series(1, %1) g")
              .arg(Count)
              .arg(Longest)
              .arg(WithLong ? QStringLiteral("text") : QStringLiteral("varchar(200)"));
      auto R = Conn.Execute(Sql, {});
      ASSERT_TRUE(R);
      ASSERT_EQ(R->RowCount(), Count);
      EXPECT_EQ(R->Column(2).Long, WithLong);
      for (int Row = 0; Row < Count; ++Row) {
        const int G = Row + 1;
        ASSERT_EQ(R->Value(Row, 0).Int, G);
        ASSERT_EQ(R->IsNull(Row, 1), G % 7 == 0) << G;
        if (G % 7) {
          ASSERT_EQ(R->Value(Row, 1).Text, QStringLiteral("Строка %1").arg(G));
        }
        ASSERT_EQ(R->IsNull(Row, 2), G % 5 == 0) << G;
        if (G % 5) {
          ASSERT_EQ(R->Value(Row, 2).Text, QString(G * 37 % Longest, QChar(0x0449)) + QString::number(G));
        }
        ASSERT_DOUBLE_EQ(R->Value(Row, 3).Dbl, 45292.0 + G);
      }
    }
  }
}

TEST_F(OdbcTest, LongTextsOverManyRows)
{
  auto R = Conn.Execute(QStringLiteral("select g, repeat(chr(1040 + g % 32), 100000 + g) t, "
                                       "decode(repeat('ab', 40000 + g), 'escape') b "
                                       "from generate_series(1, 60) g"), {});
  ASSERT_TRUE(R);
  ASSERT_EQ(R->RowCount(), 60);
  for (int Row = 0; Row < 60; ++Row) {
    const int G = Row + 1;
    ASSERT_TRUE(R->Value(Row, 1).Text == QString(100000 + G, QChar(1040 + G % 32))) << G;
    ASSERT_TRUE(R->Value(Row, 2).Bytes == QByteArray("ab").repeated(40000 + G)) << G;
  }
}

// A column kept as Latin-1 while its texts allow it keeps every text when a
// later one needs 16 bits, and when a cell is replaced.
TEST_F(OdbcTest, TextsStayWholeWhenAColumnTurnsWide)
{
  auto R = Conn.Execute(QStringLiteral("select g, case when g < 2000 then 'code-' || g else 'код-' || g end s "
                                       "from generate_series(1, 3000) g"), {});
  ASSERT_TRUE(R);
  ASSERT_EQ(R->RowCount(), 3000);
  R->SetValue(5, 1, TValue::FromText(QStringLiteral("é")));
  for (int Row = 0; Row < 3000; ++Row) {
    const int G = Row + 1;
    const QString Want = Row == 5 ? QStringLiteral("é") : (G < 2000 ? QStringLiteral("code-%1") : QStringLiteral("код-%1")).arg(G);
    ASSERT_EQ(R->Value(Row, 1).Text, Want);
    ASSERT_EQ(R->TextAt(Row, 1), Want);
  }
}
