// OdbcTest.cpp: the ODBC seam against the test server: connection strings,
// parameters, column kinds, fetching, transactions and lost connections.
#include "platform/data/Odbc.h"

#include "tests/support/TestDatabase.h"

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
                        {"922337203685477.5807", true, INT64_MAX}, {"9223372036854775808", false, 0}};
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
