// ExpressionTest.cpp: the report expression language: parsing, operators,
// built-in functions, aggregates, fields of a real dataset, environments.
#include "report/engine/QRExpr.h"

#include "tests/report/engine/ReportTestSupport.h"

#include <gtest/gtest.h>

namespace {

// "kind:text" of a result: i:14, f:2,5, s:abc, b:True, e:message.
std::string Shown(const TQREvResult& R)
{
  static const char Kinds[] = {'i', 'f', 's', 'b', 'e'};
  return std::string(1, Kinds[R.Kind]) + ":" + EvResultToString(R).toStdString();
}

std::string Eval(const String& Expr)
{
  TQREvaluator E;
  TQREvResult R;
  E.Calculate(Expr, R);
  return Shown(R);
}

} // namespace

TEST(QREvaluator, ExpressionTable)
{
  struct Case { const char* Expr; const char* Result; };
  const Case Cases[] = {
    {"", "s: "},
    {"2 + 3 * 4", "i:14"},
    {"(2 + 3) * 4", "i:20"},
    {"10 - 2 - 3", "i:5"},
    {"10 - 2 + 3", "i:11"},
    {"10 - 2 + 3 - 4", "i:7"},
    {"12 / 2 / 3", "f:2"},
    {"12 / 2 * 3", "f:18"},
    {"7 / 2", "f:3,5"},
    {"6 / 0", "e:Cannot divide by 0"},
    {"-3 * 2", "i:-6"},
    {"2 * (-3)", "i:-6"},
    // A sign behind another operator is the operand's own sign.
    {"2 * -3", "i:-6"},
    {"10 - -3", "i:13"},
    {"10 - 2 * -3", "i:16"},
    {"1 < -1", "b:False"},
    {"1 <-1", "b:False"},
    {"3 and -1", "i:3"},
    {"TRUE and -1 < 0", "e:Operator AND is not compatible with string expressions"},
    {"'abc", "e:Missing '"},
    {"(1 + 2", "e:Missing )"},
    {"[Amount", "e:Missing ]"},
    {"()", "e:Error in expression : "},
    {"1.5E3", "f:1500"},
    {"1e-5", "e:Illegal character in numeric contant \"1e\""},
    {"12a", "e:Illegal character in numeric contant \"12a\""},
    // Integers are 64-bit: big literals and sums stay exact.
    {"12345678901", "i:12345678901"},
    {"4000000000 + 4000000000", "i:8000000000"},
    {"'x' + 1", "s:x1"},
    {"TRUE + 1", "s:True1"},
    {"TRUE + FALSE", "e:Cannot add boolean expressions"},
    {"'a' - 'b'", "e:Cannot subtract string expressions"},
    {"TRUE < FALSE", "e:Operator < is not compatible with boolean expressions"},
    {"1.5 or 2", "e:Operator OR is not compatible with numeric expressions"},
    {"6 or 3", "i:7"},
    {"6 and 3", "i:2"},
    {"'b' > 'a'", "b:True"},
    {"'B' > 'a'", "b:False"},
    {"1 = '1'", "b:True"},
    {"TRUE = 'True'", "b:True"},
    {"2 < 'a'", "b:True"},
    {"'a - b' + 'c'", "s:a - bc"},
    {"not TRUE", "b:False"},
    {"not (1 = 2)", "b:True"},
    {"not 1", "e:Invalid use of NOT"},
    // "not" is a word of its own: a name that starts with it is a name.
    {"notes", "e:Unknown function : notes"},
    {"FOO(1)", "e:Unknown function : FOO"},
    {"foo", "e:Unknown function : foo"},
    {"IF(1, 2, 3)", "e:Wrong arguments for IF"},
    {"IF(TRUE, 1, 'a')", "i:1"},
    {"IF(1 > 2, 'yes', 'no')", "s:no"},
    {"STR(2.5)", "s:2,5"},
    {"STR('x')", "e:Conversion error"},
    {"STR(TRUE)", "s:True"},
    {"UPPER('щука')", "s:ЩУКА"},
    {"LOWER('ЁЖ')", "s:ёж"},
    {"PRETTY('иВАНОВ')", "s:Иванов"},
    {"PRETTY('')", "s:"},
    {"UPPER(1, 2)", "e:Missing argument for UPPER"},
    {"COPY('Hello', 0, 2)", "s:He"},
    {"COPY('Hello', 2, 10)", "s:ello"},
    {"COPY('Hello', 9, 1)", "s:"},
    {"COPY('Hello', 2.0, 1)", "e:"},
    {"COPY('a,b', 2, 1)", "s:,"},
    {"INT(-2.7)", "i:-2"},
    {"FRAC(-2.75)", "f:-0,75"},
    {"FRAC(3)", "f:0"},
    {"SQRT(-1)", "e:Invalid argument to SQRT function"},
    {"SQRT(4)", "f:2"},
    {"DIV(7, 2)", "i:3"},
    {"DIV(-7, 2)", "i:-3"},
    {"DIV(7.5, 2)", "i:4"},
    {"DIV(1, 0.4)", "e:Division by Zero"},
    {"TYPEOF(1/2)", "s:FLOAT"},
    {"TYPEOF(FOO)", "s:ERROR"},
    {"TYPEOF(1, 2)", "e:Wrong arguments for TypeOf"},
    {"FORMATNUMERIC('#0.00', 1234.5)", "s:1234,50"},
    {"FORMATNUMERIC(1, 2)", "e:"},
    {"TRUE(1)", "e:Too many arguments"},
    {"COUNT(1)", "e:COUNT - Too many arguments"},
    {"TRUE()", "b:True"},
    {"SUM(1,)", "i:0"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Expr);
    EXPECT_EQ(Eval(QString::fromUtf8(C.Expr)), C.Result);
  }
}

// Nesting beyond any real layout ends in an error, not in a stack overflow.
TEST(QREvaluator, DeepNestingIsAnError)
{
  const String Deep = QString(2000, QLatin1Char('(')) + QStringLiteral("1") + QString(2000, QLatin1Char(')'));
  EXPECT_EQ(Eval(Deep), "e:Expression too complex");
  EXPECT_EQ(Eval(QString(100, QLatin1Char('(')) + QStringLiteral("1") + QString(100, QLatin1Char(')'))), "i:1");
  String Signs;
  for (int I = 0; I < 1000; ++I)
    Signs += QStringLiteral("-");
  EXPECT_EQ(Eval(Signs + QStringLiteral("1")), "e:Expression too complex");
}

TEST(QREvaluator, TypedAccessors)
{
  TQREvaluator E;
  E.Prepare(QStringLiteral("2.5"));
  EXPECT_EQ(E.AsInteger(), 2);
  E.Prepare(QStringLiteral("3.5"));
  EXPECT_EQ(E.AsInteger(), 4);
  EXPECT_DOUBLE_EQ(E.AsFloat(), 3.5);
  EXPECT_THROW(E.AsBoolean(), EQRError);
  E.Prepare(QStringLiteral("'true'"));
  EXPECT_TRUE(E.AsBoolean());
  E.Prepare(QStringLiteral("1"));
  try {
    E.AsBoolean();
    FAIL() << "1 is not a boolean";
  } catch (const EQRError& Ex) {
    EXPECT_EQ(Ex.Message(), QStringLiteral("Not a boolean value"));
  }
  E.Prepare(QStringLiteral("6 / 0"));
  try {
    (void)E.AsString();
    FAIL() << "an error result raises";
  } catch (const EQRError& Ex) {
    EXPECT_EQ(Ex.Message(), QStringLiteral("Error in expression : Cannot divide by 0"));
  }
  E.UnPrepare();
  EXPECT_THROW(E.Value(), EQRError);
}

TEST(QREvaluator, AggregatesCountTheDetailPasses)
{
  struct Case { const char* Expr; std::vector<TQREvResult> Values; const char* Result; };
  const std::vector<Case> Cases = {
    {"SUM(X)", {IntResult(1), IntResult(2), IntResult(3)}, "i:6"},
    {"SUM(X)", {IntResult(1), FloatResult(0.5)}, "f:1,5"},
    {"SUM(X)", {IntResult(5000000000), IntResult(5000000000)}, "i:10000000000"},
    {"SUM(X)", {StringResult("a"), StringResult("b")}, "e:"},
    {"AVERAGE(X)", {IntResult(1), IntResult(2), IntResult(3)}, "f:2"},
    {"MAX(X)", {StringResult("b"), StringResult("a"), StringResult("c")}, "s:c"},
    {"MIN(X)", {BoolResult(true), BoolResult(false)}, "b:False"},
    {"MIN(X)", {IntResult(3), IntResult(-2), IntResult(7)}, "i:-2"},
    {"COUNT", {IntResult(0), IntResult(0), IntResult(0)}, "i:3"},
    {"SUM(X) + COUNT", {IntResult(10), IntResult(20)}, "i:32"},
  };
  TQREvEnvironment Env;
  Env.AddFunction(QStringLiteral("X"), QStringLiteral("0"));
  Env.Prepare();
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Expr);
    TQREvaluator E;
    E.SetEnvironment(&Env);
    E.Prepare(QString::fromUtf8(C.Expr));
    EXPECT_TRUE(E.IsAggreg());
    for (const TQREvResult& V : C.Values) {
      Env.UpdateConstant(QStringLiteral("X"), V);
      E.DoAggregate();
    }
    // Reading does not accumulate.
    EXPECT_EQ(Shown(E.Value()), C.Result);
    EXPECT_EQ(Shown(E.Value()), C.Result);
    E.Reset();
    if (std::string(C.Expr) == "SUM(X)") {
      EXPECT_EQ(Shown(E.Value()), "i:0");
    }
  }
  Env.Unprepare();
}

TEST(QREvEnvironment, EntriesConstantsAndRecursion)
{
  TQREvEnvironment Env;
  Env.AddFunction(QStringLiteral("x"), QStringLiteral("1"));
  Env.AddFunction(QStringLiteral("X"), QStringLiteral("2"));
  ASSERT_EQ(Env.Count(), 1);
  EXPECT_EQ(Env.Entry(0)->Expression(), QStringLiteral("1"));
  Env.AddFunction(QStringLiteral("A"), QStringLiteral("A + 1"));
  Env.AddFunction(QStringLiteral("TITLE"), QStringLiteral("''"));
  Env.AddFunction(QStringLiteral("PAGENUMBER"), QStringLiteral("0"));
  Env.AddFunction(QStringLiteral("Twice"), QStringLiteral("pagenumber * 2"));
  Env.Prepare();

  TQREvaluator E;
  E.SetEnvironment(&Env);
  E.Prepare(QStringLiteral("a"));
  EXPECT_EQ(Shown(E.Value()), "e:Recursive calls not allowed");

  Env.SetStringConstant(Env.GetConstant(QStringLiteral("title")), QStringLiteral("Отчёт"));
  Env.SetIntegerConstant(Env.GetConstant(QStringLiteral("TITLE")), 5);   // not a number constant
  Env.SetIntegerConstant(Env.GetConstant(QStringLiteral("PageNumber")), 7);
  E.Prepare(QStringLiteral("Title + ': ' + STR(PAGENUMBER) + '/' + STR(twice)"));
  EXPECT_EQ(Shown(E.Value()), "s:Отчёт: 7/14");
  // The global environment answers what the local one lacks.
  E.Prepare(QStringLiteral("TYPEOF(AppStartDate) + TYPEOF(APPNAME)"));
  EXPECT_EQ(Shown(E.Value()), "s:STRINGSTRING");
  // An entry added while prepared is ready at once.
  Env.AddFunction(QStringLiteral("LATE"), QStringLiteral("40 + 2"));
  E.Prepare(QStringLiteral("late"));
  EXPECT_EQ(Shown(E.Value()), "i:42");
  E.UnPrepare();
  Env.Unprepare();
  EXPECT_FALSE(Env.Prepared());
  EXPECT_FALSE(Env.Entry(0)->Evaluator.Prepared());
}

// A report-like owner that stores its environment as "Functions".
class TEnvHolder : public TComponent {
  VELMORA_CLASS(TEnvHolder)
public:
  explicit TEnvHolder(TComponent* AOwner) : TComponent(AOwner) {}
  TQREvEnvironment* Functions() const { return FFunctions.get(); }
  void SetFunctions(TQREvEnvironment*) {}
private:
  std::unique_ptr<TQREvEnvironment> FFunctions = std::make_unique<TQREvEnvironment>();
};

TEST(QREvEnvironment, StoredWithItsOwner)
{
  RegisterRtlClasses();
  RegisterClassInfo<TQREvEnvironment, TStringList>("TQREvEnvironment");
  RegisterClassInfo<TEnvHolder, TComponent>("TEnvHolder")
    .Property("Functions", &TEnvHolder::Functions, &TEnvHolder::SetFunctions);

  TEnvHolder Report(nullptr);
  Report.SetName(QStringLiteral("Report1"));
  TQREvEnvironment& Env = *Report.Functions();
  for (const char* Name : {"PAGENUMBER", "COLUMNNUMBER", "REPORTTITLE", "QRLOOPBAND1"})
    Env.AddFunction(QLatin1String(Name), std::string(Name) == "REPORTTITLE" ? QStringLiteral("''") : QStringLiteral("0"));
  Env.AddFunction(QStringLiteral("ИТОГ"), QStringLiteral("SUM([Кол-во])"));

  const String Text = WriteComponentToText(&Report);
  EXPECT_TRUE(Text.contains(QStringLiteral("Functions.DATA = (")));
  TEnvHolder Loaded(nullptr);
  Loaded.Functions()->AddFunction(QStringLiteral("OLD"), QStringLiteral("1"));
  ReadComponentFromText(Text, &Loaded);
  const TQREvEnvironment& Read = *Loaded.Functions();
  ASSERT_EQ(Read.Count(), Env.Count());
  for (Integer I = 0; I < Env.Count(); ++I) {
    EXPECT_EQ(Read.Strings(I), Env.Strings(I));
    ASSERT_NE(Read.Entry(I), nullptr);
    EXPECT_EQ(Read.Entry(I)->Expression(), Env.Entry(I)->Expression());
  }
}

// Fields of a real query: by dataset and field name in any letter case, or
// by the field name alone from the first dataset that has it.
TEST(QREvaluator, FieldsOfARealDataset)
{
  TADOConnection Db(nullptr);
  OpenTestConnection(Db);
  auto Query = [&](const char* Name, const char* Sql) {
    auto Q = std::make_unique<TADOQuery>(nullptr);
    Q->SetName(QLatin1String(Name));
    Q->SetConnection(&Db);
    Q->SQL()->SetText(QString::fromUtf8(Sql));
    Q->Open();
    return Q;
  };
  auto Orders = Query("Orders", "select * from (values (9000000000::bigint, 'Болт М8'::varchar, 2.5::numeric(10,2), "
                                "3::int, date '2026-03-15'), (9000000001, 'Гайка', 1.25, 4, null)) "
                                "as t(amount, name, price, qty, shipped) order by amount");
  auto Stock = Query("Stock", "select 17::int as qty, 5::int as amount");
  std::vector<TDataSet*> Sets = {Stock.get(), Orders.get()};

  struct Case { const char* Expr; const char* Result; };
  const Case Cases[] = {
    {"[orders.AMOUNT] + 1", "i:9000000001"},
    {"[Amount]", "i:5"},   // the first dataset that has the field
    {"[Orders.Name] + ' x' + STR([Orders.Qty])", "s:Болт М8 x3"},
    {"[Orders.Price] * 2", "f:5"},
    {"[Orders.Shipped]", "s:15.03.2026"},
    {"[Orders.Missing]", "e:Unknown function : Orders.Missing"},
    {"[Qty]", "i:17"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Expr);
    TQREvaluator E;
    E.SetDataSets(&Sets);
    E.Prepare(QString::fromUtf8(C.Expr));
    EXPECT_EQ(Shown(E.Value()), C.Result);
  }

  // A sum over bigint amounts stays exact past 32 bits.
  TQREvaluator Sum;
  Sum.SetDataSets(&Sets);
  Sum.Prepare(QStringLiteral("SUM([Orders.Amount])"));
  for (Orders->First(); !Orders->Eof(); Orders->Next())
    Sum.DoAggregate();
  EXPECT_EQ(Shown(Sum.Value()), "i:18000000001");
  Orders->First();
  Orders->Next();
  TQREvaluator Null;
  Null.SetDataSets(&Sets);
  Null.Prepare(QStringLiteral("TYPEOF([Orders.Shipped]) + [Orders.Shipped]"));
  EXPECT_EQ(Shown(Null.Value()), "s:STRING");
}
