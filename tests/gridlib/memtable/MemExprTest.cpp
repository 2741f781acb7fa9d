// MemExprTest.cpp: filter and aggregate expressions of the in-memory dataset,
// evaluated against records read from the test server, and aggregates over
// a flat walk of records and over the children of tree nodes.
#include "gridlib/memtable/MemTableDataEh.h"

#include "platform/data/ADODB.h"
#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// A record as the evaluator reads it: the current values in field order,
// also packed as the storage keeps them; with UsePacked the evaluator may
// read the packed ones directly.
struct TTestRecord : TExprRecordEh {
  std::vector<Variant> Values;
  TRecValuesEh PackedValues;
  bool UsePacked = false;
  Variant ExprFieldValue(Integer Index) const override { return Values.at(std::size_t(Index)); }
  const TRecValuesEh* ExprValues() const override { return UsePacked ? &PackedValues : nullptr; }
};

// The fields of a dataset, in its order.
struct TTestStructure : TExprStructureEh {
  TDataSet* DataSet = nullptr;
  Integer ExprFieldCount() const override { return DataSet->FieldCount(); }
  Integer ExprFieldIndex(const String& Name) const override
  {
    for (Integer I = 0; I < DataSet->FieldCount(); ++I)
      if (DataSet->Fields()->Fields(I)->FieldName().compare(Name, Qt::CaseInsensitive) == 0)
        return I;
    return -1;
  }
  TFieldType ExprFieldType(Integer Index) const override { return DataSet->Fields()->Fields(Index)->DataType(); }
};

struct TTestWalk : TExprRecordWalkEh {
  std::vector<const TTestRecord*> Records;
  Integer AccountableItemsCount() const override { return Integer(Records.size()); }
  const TExprRecordEh& GetAccountableRecord(Integer Index) const override { return *Records.at(std::size_t(Index)); }
};

// A value as the cases write it.
QString Show(const Variant& V)
{
  switch (V.VType()) {
  case varNull: return QStringLiteral("Null");
  case varEmpty: return QStringLiteral("Unassigned");
  case varBoolean: return V.AsBoolean() ? QStringLiteral("true") : QStringLiteral("false");
  case varDate: {
    Word Y, Mo, D, H, Mi, S, Ms;
    DecodeDate(V.AsDateTime(), Y, Mo, D);
    DecodeTime(V.AsDateTime(), H, Mi, S, Ms);
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d.%03d", Y, Mo, D, H, Mi, S, Ms);
  }
  case varSingle: case varDouble: case varCurrency: return QString::number(V.AsDouble(), 'g', 15);
  case varString: case varUString: case varOleStr: return u'\'' + V.AsString() + u'\'';
  default: return V.AsString();
  }
}

// Rows that exercise the value kinds: Cyrillic texts in both cases, exact
// decimals, dates and time stamps with milliseconds, Nulls in every column.
// parent makes a tree: 1 holds 2, 3 and 5; 2 holds 4.
const char* const RowsSql =
    "select * from (values "
    "(1, 'Цех сборки'::varchar(40), 10.5::numeric(15,4), 3, '2024-01-10'::date, "
    "  '2024-01-10 12:00:00.250'::timestamp(3), 'первый'::varchar(40), null::int), "
    "(2, 'цех покраски', 20.25, null, '2024-02-01', '2024-01-10 12:00:00.750', null, 1), "
    "(3, 'ABC', null, 7, null, '2024-03-01 08:30:00', 'xx--', 1), "
    "(4, 'abx', 0, 2, '2023-12-31', null, '   ', 2), "
    "(5, 'a', 100, 4, '2024-03-15', '2024-01-10 12:00:01', '100%', 1)"
    ") as t(id, name, price, qty, d, ts, note, parent) order by id";

class MemExpr : public ::testing::Test {
protected:
  static void SetUpTestSuite()
  {
    RegisterADOClasses();
    Db = new TADOConnection(nullptr);
    Db->SetLoginPrompt(false);
    Db->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
    Db->Open();
    Query = new TADOQuery(nullptr);
    Query->SetConnection(Db);
    Query->SQL()->SetText(QString::fromUtf8(RowsSql));
    Query->Open();
    Structure.DataSet = Query;
    for (Query->First(); !Query->Eof(); Query->Next()) {
      auto R = std::make_unique<TTestRecord>();
      for (Integer I = 0; I < Query->FieldCount(); ++I)
        R->Values.push_back(Query->Fields()->Fields(I)->Value());
      R->PackedValues = TRecValuesEh::FromVariants(R->Values);
      Records.push_back(std::move(R));
    }
  }

  static void TearDownTestSuite()
  {
    Records.clear();
    delete Query;
    delete Db;
  }

  void TearDown() override
  {
    Query->SetFilterOptionsValue({});
    ReadPacked(false);
  }

  // Every case runs twice: the evaluator reading Variants, then reading the
  // packed values where it can; both must give the same.
  static void ReadPacked(bool Value)
  {
    for (const auto& R : Records)
      R->UsePacked = Value;
  }

  static TTestWalk All()
  {
    TTestWalk W;
    for (const auto& R : Records)
      W.Records.push_back(R.get());
    return W;
  }

  static TTestWalk ChildrenOf(int Id)
  {
    TTestWalk W;
    const Integer Parent = Structure.ExprFieldIndex(QStringLiteral("parent"));
    for (const auto& R : Records)
      if (!R->Values[std::size_t(Parent)].IsNull() && R->Values[std::size_t(Parent)].AsInteger() == Id)
        W.Records.push_back(R.get());
    return W;
  }

  // The ids of the records the filter takes, "1,3", or the error.
  static QString Filtered(const QString& Text)
  {
    try {
      TDataSetExprParserEh E(Query, dsptFilterEh, &Structure);
      E.ParseExpression(Text);
      QStringList Ids;
      for (const auto& R : Records)
        if (E.IsCurRecordInFilter(*R))
          Ids << R->Values[0].AsString();
      return Ids.join(u',');
    } catch (const Exception& X) {
      return QStringLiteral("error: ") + X.Message();
    }
  }

  static QString Aggregated(const QString& Text, const TTestWalk& Walk)
  {
    try {
      TDataSetExprParserEh E(Query, dsptAggregateEh, &Structure);
      E.ParseExpression(Text);
      return Show(E.CalcAggregateValue(Walk));
    } catch (const Exception& X) {
      return QStringLiteral("error: ") + X.Message();
    }
  }

  static TADOConnection* Db;
  static TADOQuery* Query;
  static TTestStructure Structure;
  static std::vector<std::unique_ptr<TTestRecord>> Records;
};

TADOConnection* MemExpr::Db = nullptr;
TADOQuery* MemExpr::Query = nullptr;
TTestStructure MemExpr::Structure;
std::vector<std::unique_ptr<TTestRecord>> MemExpr::Records;

struct TCase {
  const char* Text;
  bool IgnoreCase;
  const char* Expected;   // ids taken, or the start of the error text
};

void RunFilterCases(const std::vector<TCase>& Cases, const std::function<QString(const QString&)>& Run,
                    TDataSet* DataSet)
{
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Text);
    DataSet->SetFilterOptionsValue(C.IgnoreCase ? TFilterOptions{foCaseInsensitive} : TFilterOptions{});
    const QString Got = Run(QString::fromUtf8(C.Text));
    const QString Want = QString::fromUtf8(C.Expected);
    if (Want.startsWith(QLatin1String("error: ")))
      EXPECT_TRUE(Got.startsWith(QLatin1String("error: ")) && Got.contains(Want.mid(7))) << Got.toStdString();
    else
      EXPECT_EQ(Got, Want);
  }
}

}  // namespace

TEST_F(MemExpr, RecordsArriveWithTheirKinds)
{
  ASSERT_EQ(Records.size(), 5u);
  const TTestRecord& R = *Records[0];
  EXPECT_EQ(R.Values[1].AsString(), QStringLiteral("Цех сборки"));
  EXPECT_EQ(R.Values[4].VType(), varDate);
  EXPECT_EQ(Show(R.Values[5]), QStringLiteral("2024-01-10 12:00:00.250"));
  EXPECT_TRUE(Records[2]->Values[2].IsNull());
}

TEST_F(MemExpr, FilterTable)
{
  const std::vector<TCase> Cases = {
      // texts under the program's text order, the case from the filter options
      {"name = 'abc'", false, ""},
      {"name = 'abc'", true, "3"},
      {"name = 'ab*'", false, "4"},                 // compares the first two characters
      {"name = 'ab*'", true, "3,4"},
      {"name like 'Цех%'", false, "1"},
      {"name like 'цех%'", true, "1,2"},
      {"name like '%ки'", false, "1,2"},
      {"name like 'a_%'", false, "4"},              // "_" still wants one character: 'a' is out
      {"name like 'a%'", false, "4,5"},
      {"note like '100%'", false, "5"},
      {"note like '%'", false, "1,3,4,5"},        // a missing note matches no pattern
      {"not (name like '%х%')", false, "3,4,5"},
      {"name in ('ABC', 'a', 'Нет')", false, "3,5"},
      {"name not in ('ABC', 'a')", false, "1,2,4"},
      {"name > 'Б'", false, "1,2"},                 // Cyrillic after Latin
      {"UPPER(name) = 'ЦЕХ ПОКРАСКИ'", false, "2"},
      {"name + '!' = 'a!'", false, "5"},
      // Nulls: equal only to Null, before every value
      {"note is null", false, "2"},
      {"note is not null", false, "1,3,4,5"},
      {"note = ''", false, ""},
      {"note = null", false, "2"},
      {"qty < 3", false, "2,4"},
      {"qty * price > 30", false, "1,5"},
      {"-qty < -5", false, "2,3"},               // 0 - Null is Null, before -5
      // exact decimals and numbers
      {"price = 20.25", false, "2"},
      {"price >= 10.5 and price < 100", false, "1,2"},
      {"price / 2 = 5.25", false, "1"},
      {"qty + 1 = 4 or id = 5", false, "1,5"},
      // dates and time stamps; = and in cut to whole seconds, <> is not =
      {"d >= '01.01.2024'", false, "1,2,5"},
      {"d = #2023-12-31#", false, "4"},
      {"YEAR(d) = 2024 and MONTH(d) > 1", false, "2,5"},
      {"ts = #2024-01-10 12:00:00#", false, "1,2"},
      {"ts <> #2024-01-10 12:00:00#", false, "3,4,5"},
      {"ts in (#2024-01-10 12:00:00#, #2024-03-01 08:30:00#)", false, "1,2,3"},
      {"HOUR(ts) = 8 and MINUTE(ts) = 30", false, "3"},
      {"DATE(ts) = #2024-01-10#", false, "1,2,5"},
      // functions, nested in any argument
      {"SUBSTRING(name, 1, 3) = 'Цех'", false, "1"},
      {"SUBSTRING('abcdef', 2, MONTH(d)) = 'bc'", false, "2"},
      {"SUBSTRING(name, MONTH(d), 2) = 'ех'", false, "2"},
      {"TRIMRIGHT(note, '-') = 'xx'", false, "3"},
      {"TRIM(note) = ''", false, "4"},
      {"LOWER(TRIM(UPPER(name))) = 'abc'", false, "3"},
      // refused when parsed
      {"SUM(qty) > 1", false, "error: Invalid expression"},
      {"SUBSTRING(name) = 'a'", false, "error: Invalid expression"},
      {"nosuch = 1", false, "error: Invalid expression"},
      {"", false, ""},                              // no code: no record is in
      // a constant before the field; whole numbers beside fractions
      {"3 < qty", false, "3,5"},
      {"5 > qty", false, "1,2,4,5"},              // Null orders before 5
      {"id >= 2.5", false, "3,4,5"},
      {"id <> 2", false, "1,3,4,5"},
      {"d < #2024-01-15#", false, "1,3,4"},
      {"#2024-01-15# <= d", false, "2,5"},
      {"name >= 'abx'", true, "1,2,4"},
      {"'Цех покраски' = name", true, "2"},
      {"name like '%b%'", false, "4"},
      {"name like '%B%'", true, "3,4"},
      // decimals beside whole numbers and fractions, either side
      {"price > 20", false, "2,5"},
      {"price <= 10.5", false, "1,3,4"},           // Null orders before 10.5
      {"price <> 0", false, "1,2,3,5"},
      {"100 = price", false, "5"},
      {"price < 20.2501", false, "1,2,3,4"},
      {"price >= 0 and name like 'a%'", false, "4,5"},
  };
  for (bool Packed : {false, true}) {
    SCOPED_TRACE(Packed ? "packed" : "variants");
    ReadPacked(Packed);
    RunFilterCases(Cases, Filtered, Query);
  }
}

TEST_F(MemExpr, AggregateTable)
{
  const TTestWalk Walk = All();
  const TTestWalk Empty;
  struct TAggr {
    const char* Text;
    const TTestWalk& Over;
    const char* Expected;
  } Cases[] = {
      {"SUM(qty)", Walk, "16"},
      {"AVG(qty)", Walk, "4"},                // over the four values, not the five records
      {"AVG(price)", Walk, "32.6875"},
      {"MIN(price)", Walk, "0"},              // the Null of record 3 is skipped
      {"MAX(price)", Walk, "100"},
      {"MIN(name)", Walk, "'a'"},
      {"MAX(name)", Walk, "'Цех сборки'"},
      {"MIN(note)", Walk, "'   '"},
      {"MAX(d)", Walk, "2024-03-15 00:00:00.000"},
      {"COUNT(price)", Walk, "4"},
      {"COUNT(*)", Walk, "5"},
      {"SUM(price) / COUNT(*)", Walk, "26.15"},
      {"SUM(qty * price)", Walk, "431.5"},
      {"MAX(qty) - MIN(qty)", Walk, "5"},
      {"SUM(qty)", Empty, "Null"},
      {"COUNT(qty)", Empty, "Null"},
      {"COUNT(*)", Empty, "0"},
      {"AVG(qty)", Empty, "Null"},
      {"SUBSTRING('abcdef', 3)", Walk, "'cdef'"},
      {"SUBSTRING('abcdef', 2, 3)", Walk, "'bcd'"},
      {"TRIMRIGHT('xx--', '-')", Walk, "'xx'"},
      {"TRIM('   ')", Walk, "''"},
      {"TRIM('ab', 'ab')", Walk, "'ab'"},
      {"qty + SUM(qty)", Walk, "error: Invalid expression"},
      {"SUM(SUM(qty))", Walk, "error: Invalid expression"},
      {"SUBSTRING('abcdef')", Walk, "error: Invalid expression"},
  };
  for (bool Packed : {false, true})
  for (const TAggr& C : Cases) {
    SCOPED_TRACE(C.Text);
    SCOPED_TRACE(Packed ? "packed" : "variants");
    ReadPacked(Packed);
    const QString Got = Aggregated(QString::fromUtf8(C.Text), C.Over);
    const QString Want = QString::fromUtf8(C.Expected);
    if (Want.startsWith(QLatin1String("error: ")))
      EXPECT_TRUE(Got.startsWith(Want)) << Got.toStdString();
    else
      EXPECT_EQ(Got, Want);
  }
}

TEST_F(MemExpr, AggregatesOverTheChildrenOfTreeNodes)
{
  struct TNodeCase {
    int Node;
    const char* Text;
    const char* Expected;
  } Cases[] = {
      {1, "COUNT(*)", "3"},           // records 2, 3 and 5
      {1, "SUM(qty)", "11"},
      {1, "AVG(price)", "60.125"},
      {1, "MIN(ts)", "2024-01-10 12:00:00.750"},
      {2, "SUM(qty)", "2"},
      {4, "SUM(qty)", "Null"},        // a leaf
      {4, "COUNT(*)", "0"},
  };
  for (const TNodeCase& C : Cases) {
    SCOPED_TRACE(C.Text);
    EXPECT_EQ(Aggregated(QString::fromUtf8(C.Text), ChildrenOf(C.Node)), QString::fromUtf8(C.Expected));
  }
}

TEST_F(MemExpr, NoCodeAndRecordBuffers)
{
  TDataSetExprParserEh E(Query, dsptFilterEh, &Structure);
  EXPECT_FALSE(E.HasData());
  EXPECT_FALSE(E.IsCurRecordInFilter(*Records[0]));
  EXPECT_EQ(Show(E.CalcAggregateValue(All())), QStringLiteral("false"));
  EXPECT_TRUE(E.IsCurRecordBufInFilter(0));
  E.ParseExpression(QStringLiteral("id = 1"));
  ASSERT_TRUE(E.HasData());
  // a failed parse keeps the code that was there
  EXPECT_THROW(E.ParseExpression(QStringLiteral("id = ")), EFilterExprError);
  EXPECT_TRUE(E.IsCurRecordInFilter(*Records[0]));
  EXPECT_FALSE(E.IsCurRecordInFilter(*Records[1]));
}

TEST_F(MemExpr, NamesResolveAgainstTheDataSetsFieldDefinitions)
{
  TDataSetExprParserEh E(Query, dsptFilterEh);
  E.ParseExpression(QStringLiteral("[NAME] like '%цех%' or qty = 7"));
  Query->SetFilterOptionsValue({foCaseInsensitive});
  QStringList Ids;
  for (const auto& R : Records)
    if (E.IsCurRecordInFilter(*R))
      Ids << R->Values[0].AsString();
  EXPECT_EQ(Ids.join(u','), QStringLiteral("1,2,3"));
}

// Code written by hand: what the compiler never writes still fails cleanly.
TEST_F(MemExpr, HandWrittenCode)
{
  auto Run = [](const std::function<void(TExprCodeWriter&)>& Build) -> QString {
    TExprCodeWriter W;
    Build(W);
    TDataSetExprParserEh E(Query, dsptAggregateEh, &Structure);
    E.SetExprData(W.Finish());
    try {
      return Show(E.CalcAggregateValue(All()));
    } catch (const Exception& X) {
      return X.Message();
    }
  };
  auto Const = [](std::uint16_t Code, const QByteArray& Bytes) {
    return [=](TExprCodeWriter& W) { W.AddConst(Code, Bytes); };
  };
  EXPECT_EQ(Run(Const(scBytes, QByteArray(4, 'x'))), QStringLiteral("Unsupported data type: [12]."));
  EXPECT_EQ(Run(Const(14, QByteArray(4, 'x'))), QStringLiteral("Unsupported data type: [0]."));
  EXPECT_EQ(Run(Const(4200, QByteArray())), QStringLiteral("Null"));
  EXPECT_EQ(Run(Const(scString, QByteArray("Цех"))), QStringLiteral("'Цех'"));
  EXPECT_EQ(Run(Const(scWideText, EncodeWideText(QStringLiteral("ёлка")))), QStringLiteral("'ёлка'"));
  EXPECT_EQ(Run(Const(scBCD, EncodeBcd(QStringLiteral("-12.5")))), QStringLiteral("-12.5"));
  EXPECT_EQ(Run(Const(scBCD, EncodeBcd(QStringLiteral("922337203685477.5808")))), QStringLiteral("Null"));
  QByteArray Time(4, '\0');
  qToLittleEndian<qint32>(12 * 3600000 + 345, Time.data());   // milliseconds are cut
  EXPECT_EQ(Run(Const(scTime, Time)), QStringLiteral("1899-12-30 12:00:00.000"));
  QByteArray Stamp(16, '\0');
  const quint16 Parts[] = {2024, 2, 29, 23, 59, 58};
  for (int I = 0; I < 6; ++I)
    qToLittleEndian<quint16>(Parts[I], Stamp.data() + 2 * I);
  EXPECT_EQ(Run(Const(24, Stamp)), QStringLiteral("2024-02-29 23:59:58.000"));
  // unary minus is no operator of the code
  EXPECT_EQ(Run([](TExprCodeWriter& W) {
              const int N = W.AddNode(enUnary, coMINUS, 1);
              W.SetOperand(N, 0, W.AddConst(scInteger, QByteArray(4, '\1')));
            }),
            QStringLiteral("Operator <1:15> not supported."));
  // a function the evaluator does not know, and a wrong count
  EXPECT_EQ(Run([](TExprCodeWriter& W) {
              const int N = W.AddNode(enFunc, coFUNC, 2);
              W.SetOperand(N, 0, W.AddName(QStringLiteral("Median")));
            }),
            QStringLiteral("Unsupported function: Median"));
  EXPECT_EQ(Run([](TExprCodeWriter& W) {
              const int N = W.AddNode(enFunc, coFUNC, 2);
              W.SetOperand(N, 0, W.AddName(QStringLiteral("substring")));
              const int L = W.AddNode(enListElem, coLISTELEM, 2);
              W.SetOperand(N, 1, L);
              W.SetOperand(L, 0, W.AddConst(scWideText, EncodeWideText(QStringLiteral("abc"))));
            }),
            QStringLiteral("Incorrect number of arguments in function <substring>"));
  // a list that points back at itself ends instead of running forever
  EXPECT_EQ(Run([](TExprCodeWriter& W) {
              const int N = W.AddNode(enFunc, coFUNC, 2);
              W.SetOperand(N, 0, W.AddName(QStringLiteral("UPPER")));
              const int L = W.AddNode(enListElem, coLISTELEM, 2);
              W.SetOperand(N, 1, L);
              W.SetOperand(L, 0, W.AddConst(scInteger, QByteArray(4, '\0')));
              W.SetOperand(L, 1, L);
            }),
            QStringLiteral("The expression code is damaged."));
  // a field outside any aggregate has no record to read
  EXPECT_EQ(Run([](TExprCodeWriter& W) {
              const int N = W.AddNode(enField, coFIELD, 2);
              W.SetOperand(N, 0, 1);
              W.SetOperand(N, 1, W.AddName(QStringLiteral("id")));
            }),
            QStringLiteral("The field \"id\" is outside an aggregate function."));
}

TEST_F(MemExpr, SingleFieldAggregatesOfAView)
{
  const TTestWalk Walk = All();
  const TTestWalk Empty;
  EXPECT_EQ(Show(CalcAggrFieldFuncEh(Walk, Structure, QStringLiteral("*"), QStringLiteral("COUNT"))), QStringLiteral("5"));
  EXPECT_EQ(Show(CalcAggrFieldFuncEh(Empty, Structure, QStringLiteral("*"), QStringLiteral("COUNT"))), QStringLiteral("0"));
  EXPECT_EQ(Show(CalcAggrFieldFuncEh(Walk, Structure, QStringLiteral("QTY"), QStringLiteral("SUM"))), QStringLiteral("16"));
  EXPECT_EQ(Show(CalcAggrFieldFuncEh(Walk, Structure, QStringLiteral("qty"), QStringLiteral("AVG"))), QStringLiteral("4"));
  EXPECT_EQ(Show(CalcAggrFieldFuncEh(Walk, Structure, QStringLiteral("price"), QStringLiteral("MIN"))), QStringLiteral("0"));
  EXPECT_EQ(Show(CalcAggrFieldFuncEh(Walk, Structure, QStringLiteral("note"), QStringLiteral("COUNT"))), QStringLiteral("4"));
  EXPECT_EQ(Show(CalcAggrFieldFuncEh(Empty, Structure, QStringLiteral("qty"), QStringLiteral("SUM"))), QStringLiteral("0"));
  EXPECT_EQ(Show(CalcAggrFieldFuncEh(Empty, Structure, QStringLiteral("qty"), QStringLiteral("AVG"))), QStringLiteral("Null"));
  EXPECT_EQ(Show(CalcAggrFieldFuncEh(Empty, Structure, QStringLiteral("qty"), QStringLiteral("MAX"))), QStringLiteral("Null"));
  // 3, Null, 3 averages to 3
  TTestRecord A, B, C;
  for (TTestRecord* R : {&A, &B, &C})
    R->Values = Records[0]->Values;
  B.Values[3] = Null;
  TTestWalk Three;
  Three.Records = {&A, &B, &C};
  EXPECT_EQ(Show(CalcAggrFieldFuncEh(Three, Structure, QStringLiteral("qty"), QStringLiteral("AVG"))), QStringLiteral("3"));
  auto Error = [&](const char* Field, const char* Func) {
    try {
      CalcAggrFieldFuncEh(Walk, Structure, QString::fromUtf8(Field), QString::fromUtf8(Func));
      return QString();
    } catch (const Exception& X) {
      return X.Message();
    }
  };
  EXPECT_EQ(Error("*", "SUM"), QStringLiteral("Invalid field name: *"));
  EXPECT_EQ(Error("nosuch", "SUM"), QStringLiteral("Invalid field name: nosuch"));
  EXPECT_EQ(Error("qty", "sum"), QStringLiteral("Unsupported aggrigate function: sum"));
}

// SUM, AVG and COUNT of a field read from packed values agree with the
// Variant fold, also where doubles give way to another kind part-way.
TEST_F(MemExpr, SingleFieldAggregatesOverPackedValues)
{
  const Integer Price = Structure.ExprFieldIndex(QStringLiteral("price"));
  const std::vector<Variant> Column = {0.1, 0.2, Null, Unassigned, Currency(1.25), 0.3, Integer(2)};
  std::vector<TTestRecord> Rows(Column.size());
  TTestWalk Walk;
  for (std::size_t I = 0; I < Column.size(); ++I) {
    Rows[I].Values = Records[0]->Values;
    Rows[I].Values[std::size_t(Price)] = Column[I];
    Rows[I].PackedValues = TRecValuesEh::FromVariants(Rows[I].Values);
    Walk.Records.push_back(&Rows[I]);
  }
  for (const char* Func : {"SUM", "AVG", "COUNT", "MIN", "MAX"}) {
    SCOPED_TRACE(Func);
    const Variant Plain = CalcAggrFieldFuncEh(Walk, Structure, QStringLiteral("price"), QString::fromUtf8(Func));
    for (TTestRecord& R : Rows)
      R.UsePacked = true;
    const Variant Packed = CalcAggrFieldFuncEh(Walk, Structure, QStringLiteral("price"), QString::fromUtf8(Func));
    for (TTestRecord& R : Rows)
      R.UsePacked = false;
    EXPECT_EQ(Packed.VType(), Plain.VType());
    EXPECT_EQ(Show(Packed), Show(Plain));
  }
  // Doubles only: the typed sum alone.
  Walk.Records = {&Rows[0], &Rows[1], &Rows[2], &Rows[5]};
  for (TTestRecord& R : Rows)
    R.UsePacked = true;
  EXPECT_EQ(Show(CalcAggrFieldFuncEh(Walk, Structure, QStringLiteral("price"), QStringLiteral("SUM"))),
            Show(Variant(0.1 + 0.2 + 0.3)));
  EXPECT_EQ(Show(CalcAggrFieldFuncEh(Walk, Structure, QStringLiteral("price"), QStringLiteral("COUNT"))),
            QStringLiteral("3"));
}

TEST_F(MemExpr, AggregateCollection)
{
  TTestWalk Walk = All();
  TMTAggregatesEh Aggrs(nullptr, Query, &Walk, &Structure);
  TMTAggregateEh* Sum = Aggrs.Add();
  TMTAggregateEh* Avg = Aggrs.Add();
  TMTAggregateEh* Blank = Aggrs.Add();
  Sum->SetExpression(QStringLiteral("SUM(qty)"));
  Avg->SetExpression(QStringLiteral("AVG(price)"));
  Sum->SetActive(true);
  Avg->SetActive(true);
  Blank->SetActive(true);
  // the collection is off: nothing is in use
  EXPECT_FALSE(Sum->InUse());
  EXPECT_TRUE(Sum->Value().IsNull());
  Aggrs.SetActive(true);
  EXPECT_TRUE(Sum->InUse());
  EXPECT_EQ(Show(Sum->Value()), QStringLiteral("16"));
  EXPECT_EQ(Show(Avg->Value()), QStringLiteral("32.6875"));
  EXPECT_EQ(Sum->DataType(), ftFloat);
  EXPECT_FALSE(Blank->InUse());
  EXPECT_TRUE(Blank->Value().IsNull());
  EXPECT_EQ(Sum->DisplayName(), QStringLiteral("SUM(qty)"));

  // a changed record: every aggregate follows on the next recalculation
  TTestRecord Changed = *Records[0];
  Changed.Values[3] = 13;
  Changed.Values[2] = Null;
  Walk.Records[0] = &Changed;
  Aggrs.Recalc();
  EXPECT_EQ(Show(Sum->Value()), QStringLiteral("26"));
  EXPECT_EQ(Show(Avg->Value()), QStringLiteral("40.0833333333333"));

  // a copy takes active and expression
  TMTAggregateEh* Copy = Aggrs.Add();
  Copy->Assign(Sum);
  EXPECT_EQ(Copy->Expression(), QStringLiteral("SUM(qty)"));
  EXPECT_EQ(Show(Copy->Value()), QStringLiteral("26"));

  // a bad expression leaves the item inactive, the error passes on
  TMTAggregateEh* Bad = Aggrs.Add();
  Bad->SetExpression(QStringLiteral("SUM(qty"));
  EXPECT_THROW(Bad->SetActive(true), EFilterExprError);
  EXPECT_FALSE(Bad->Active());
  EXPECT_TRUE(Bad->Value().IsNull());

  Aggrs.SetActive(false);
  EXPECT_FALSE(Sum->InUse());
  EXPECT_TRUE(Sum->Value().IsNull());
}

TEST_F(MemExpr, AggregatesOfAClosedTableAreNull)
{
  TTestWalk Walk = All();
  TADOQuery Closed(nullptr);
  Closed.SetConnection(Db);
  Closed.SQL()->SetText(QString::fromUtf8(RowsSql));
  TMTAggregatesEh Aggrs(nullptr, &Closed, &Walk, &Structure);
  TMTAggregateEh* Sum = Aggrs.Add();
  Sum->SetExpression(QStringLiteral("SUM(qty)"));
  Sum->SetActive(true);
  Aggrs.SetActive(true);
  EXPECT_FALSE(Sum->InUse());
  EXPECT_TRUE(Sum->Value().IsNull());
}
