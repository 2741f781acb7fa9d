// FilterExprParserTest.cpp: the filter-expression compiler: the layout of
// the code it writes, what it refuses, and how it stores constants.
#include "platform/data/FilterExprParser.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <cstring>
#include <limits>

namespace {

const TFieldMap& Map()
{
  static TFieldMap M = [] {
    TFieldMap R{};
    R[ftString] = 1; R[ftWideString] = 1; R[ftInteger] = 6; R[ftFloat] = 7; R[ftBCD] = 8; R[ftFMTBcd] = 25;
    R[ftDate] = 2; R[ftTime] = 10; R[ftDateTime] = 11;
    return R;
  }();
  return M;
}

TFilterExprFieldResolver Fields()
{
  return [](const String& Name, TFilterExprField& F) {
    static const struct {
      const char* Name;
      TFieldType Type;
    } Defs[] = {{"name", ftWideString}, {"qty", ftInteger}, {"price", ftFMTBcd}, {"d", ftDate}, {"ts", ftDateTime}};
    for (int I = 0; I < 5; ++I)
      if (Name.compare(QLatin1String(Defs[I].Name), Qt::CaseInsensitive) == 0) {
        F.FieldNo = I + 1;
        F.DataType = Defs[I].Type;
        return true;
      }
    return false;
  };
}

TExprData Compile(const QString& Text, TParserOptions Options = {poExtSyntax}, TFilterOptions Filter = {})
{
  return TFilterExprParser(Fields(), Text, Filter, Options, Map()).FilterData();
}

// A small reader of the code, written from the layout alone.
struct TCode {
  const TExprData& C;
  // Out of the code reads as 0, and the checks then fail.
  int U16(int At) const { return At >= 0 && At + 2 <= C.size() ? qFromLittleEndian<quint16>(C.mid(At, 2).constData()) : 0; }
  std::uint32_t U32(int At) const
  {
    return At >= 0 && At + 4 <= C.size() ? qFromLittleEndian<quint32>(C.mid(At, 4).constData()) : 0;
  }
  std::uint32_t Class(int Node) const { return U32(10 + Node) & 0x7F; }
  std::uint32_t Op(int Node) const { return U32(10 + Node + 4); }
  int Operand(int Node, int I) const { return U16(10 + Node + 8 + 2 * I); }
  int Literals() const { return U16(8); }
  QByteArray Literal(int Offset, int Size) const { return C.mid(Literals() + Offset, Size); }
  QString Name(int Offset) const { return QString::fromUtf8(C.mid(Literals() + Offset).constData()); }
};

}  // namespace

TEST(FilterExprParser, EmptyTextGivesNoCode)
{
  EXPECT_EQ(Compile(QStringLiteral("  ")).size(), 0);
}

TEST(FilterExprParser, CodeLayoutOfAComparisonWithAFunction)
{
  const TExprData Data = Compile(QStringLiteral("[Name] like 'Цех%' and SUBSTRING(name, 2) <> 'x'"));
  const TCode C{Data};
  ASSERT_GT(Data.size(), 10);
  EXPECT_EQ(C.U32(2), std::uint32_t(Data.size()));
  // root: and
  EXPECT_EQ(C.Class(0), std::uint32_t(enBinary));
  EXPECT_EQ(C.Op(0), std::uint32_t(coAND));
  const int Like = C.Operand(0, 0), Ne = C.Operand(0, 1);
  EXPECT_EQ(C.Op(Like), std::uint32_t(coLIKE));
  const int Field = C.Operand(Like, 0);
  EXPECT_EQ(C.Class(Field), std::uint32_t(enField));
  EXPECT_EQ(C.Operand(Field, 0), 1);
  EXPECT_EQ(C.Name(C.Operand(Field, 1)), QStringLiteral("Name"));
  // the pattern: wide text, 16-bit byte count, UTF-16
  const int Pattern = C.Operand(Like, 1);
  EXPECT_EQ(C.Class(Pattern), std::uint32_t(enConst));
  EXPECT_EQ(C.Operand(Pattern, 0), int(scWideText));
  const QByteArray Bytes = C.Literal(C.Operand(Pattern, 2), C.Operand(Pattern, 1));
  EXPECT_EQ(qFromLittleEndian<quint16>(Bytes.constData()), 8);
  EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(Bytes.constData() + 2), 4),
            QStringLiteral("Цех%"));
  // SUBSTRING(name, 2): a function node over a two-element list
  EXPECT_EQ(C.Op(Ne), std::uint32_t(coNE));
  const int Func = C.Operand(Ne, 0);
  EXPECT_EQ(C.Class(Func), std::uint32_t(enFunc));
  EXPECT_EQ(C.Name(C.Operand(Func, 0)), QStringLiteral("SUBSTRING"));
  const int First = C.Operand(Func, 1);
  EXPECT_EQ(C.Class(First), std::uint32_t(enListElem));
  const int Second = C.Operand(First, 1);
  EXPECT_EQ(C.Class(Second), std::uint32_t(enListElem));
  EXPECT_EQ(C.Operand(Second, 1), 0);
}

TEST(FilterExprParser, PartialComparisonFollowsTheFilterOptions)
{
  const TExprData Partial = Compile(QStringLiteral("name = 'ab*'"), {poExtSyntax}, {foCaseInsensitive});
  const TCode C{Partial};
  EXPECT_EQ(C.Class(0), std::uint32_t(enCompare));
  EXPECT_EQ(C.Operand(0, 0), 1);   // ignore case
  EXPECT_EQ(C.Operand(0, 1), 2);   // compare two characters
  const TExprData Whole = Compile(QStringLiteral("name = 'ab*'"), {poExtSyntax}, {foNoPartialCompare});
  EXPECT_EQ(TCode{Whole}.Class(0), std::uint32_t(enBinary));
}

TEST(FilterExprParser, RefusesWhatCannotBeEvaluated)
{
  struct TCase {
    const char* Text;
    bool Aggregate;
    const char* Message;
  } Cases[] = {
    {"SUM(qty) > 1", false, "aggregate function SUM is not allowed"},
    {"qty + SUM(qty)", true, "\"qty\" is outside an aggregate function"},
    {"SUM(MAX(qty))", true, "inside another aggregate"},
    {"SUBSTRING(name)", false, "Incorrect number of arguments in function <SUBSTRING>"},
    {"COUNT(qty, qty)", true, "Incorrect number of arguments in function <COUNT>"},
    {"FOO(name) = 1", false, "Unsupported function: FOO"},
    {"nosuch = 1", false, "unknown field \"nosuch\""},
    {"name = ", false, "value expected"},
    {"name = 'abc", false, "unterminated text"},
    {"(qty = 1", false, "missing \")\""},
    {"qty in 1, 2", false, "\"(\" expected after IN"},
    {"qty not 1", false, "LIKE or IN expected after NOT"},
    {"d = '31.02.2024'", false, "\"31.02.2024\" is not a date"},
    {"qty = 'many'", false, "\"many\" is not a number"},
    {"qty is 1", false, "NULL expected after IS"},
    {"qty = 1 qty", false, "unexpected"},
  };
  for (const TCase& T : Cases) {
    SCOPED_TRACE(T.Text);
    try {
      Compile(QString::fromUtf8(T.Text), T.Aggregate ? TParserOptions{poExtSyntax, poAggregate} : TParserOptions{poExtSyntax});
      ADD_FAILURE() << "parsed";
    } catch (const EFilterExprError& E) {
      EXPECT_TRUE(E.Message().contains(QString::fromUtf8(T.Message))) << E.Message().toStdString();
    }
  }
}

TEST(FilterExprParser, DeepNestingIsRefusedNotOverflowed)
{
  const QString Text = QString(5000, u'(') + QStringLiteral("qty") + QString(5000, u')');
  EXPECT_THROW(Compile(Text), EFilterExprError);
  EXPECT_THROW(Compile(QString(5000, u'-') + QStringLiteral("qty")), EFilterExprError);
}

TEST(FilterExprParser, NumbersAreStoredExactly)
{
  struct TCase {
    const char* Text;
    int Code;
  } Cases[] = {
    {"qty = 12", scInteger},
    {"qty = -2147483648", scInteger},
    {"qty = 2147483648", scLargeint},
    {"qty = 12.5", scBCD},
    {"qty = 922337203685477.5807", scBCD},      // the greatest currency, exactly
    {"qty = -922337203685477.5808", scBCD},     // and the least
    {"qty = 922337203685477.5808", scFloat},    // one unit beyond
    {"qty = 0.00001", scFloat},                 // beyond four places
    {"qty = 1e3", scFloat},
  };
  for (const TCase& T : Cases) {
    SCOPED_TRACE(T.Text);
    const TExprData Data = Compile(QString::fromUtf8(T.Text));
    const TCode C{Data};
    EXPECT_EQ(C.Operand(C.Operand(0, 1), 0), T.Code);
  }
  const TExprData Max = Compile(QStringLiteral("qty = 922337203685477.5807"));
  const TCode C{Max};
  const int Const = C.Operand(0, 1);
  Int64 Raw = 0;
  ASSERT_TRUE(BcdToCurrencyRaw(C.Literal(C.Operand(Const, 2), C.Operand(Const, 1)), Raw));
  EXPECT_EQ(Raw, std::numeric_limits<Int64>::max());
}

TEST(FilterExprParser, BcdConversionBoundsAndRounding)
{
  struct TCase {
    const char* Decimal;
    bool Ok;
    Int64 Raw;
  } Cases[] = {
    {"12.34", true, 123400},
    {"-0.0001", true, -1},
    {"1.00005", true, 10001},   // half away from zero
    {"-1.00005", true, -10001},
    {"1.00004", true, 10000},
    {"922337203685477.5807", true, std::numeric_limits<Int64>::max()},
    {"-922337203685477.5808", true, std::numeric_limits<Int64>::min()},
    {"922337203685477.5808", false, 0},
    {"922337203685477.58075", false, 0},   // rounds beyond the bound
    {"99999999999999999999", false, 0},
  };
  for (const TCase& T : Cases) {
    SCOPED_TRACE(T.Decimal);
    Int64 Raw = 0;
    EXPECT_EQ(BcdToCurrencyRaw(EncodeBcd(QString::fromUtf8(T.Decimal)), Raw), T.Ok);
    if (T.Ok) {
      EXPECT_EQ(Raw, T.Raw);
    }
  }
  QByteArray Bad = EncodeBcd(QStringLiteral("12"));
  Bad[2] = char(0xA1);   // a nibble beyond 9
  Int64 Raw = 0;
  EXPECT_FALSE(BcdToCurrencyRaw(Bad, Raw));
}

TEST(FilterExprParser, QuotedValuesBesideDateFieldsAreDates)
{
  const TExprData Data = Compile(QStringLiteral("d >= '10.01.2024' and ts < '2024-01-10T12:30:00'"));
  const TCode C{Data};
  const int Ge = C.Operand(0, 0), Lt = C.Operand(0, 1);
  const int DateConst = C.Operand(Ge, 1), TsConst = C.Operand(Lt, 1);
  EXPECT_EQ(C.Operand(DateConst, 0), int(scDate));
  // day numbers of the time-stamp scale: 2024-01-10 is TDateTime 45301
  EXPECT_EQ(qFromLittleEndian<qint32>(C.Literal(C.Operand(DateConst, 2), 4).constData()), 45301 + 693594);
  EXPECT_EQ(C.Operand(TsConst, 0), int(scDateTime));
  double MSecs;
  std::memcpy(&MSecs, C.Literal(C.Operand(TsConst, 2), 8).constData(), 8);
  EXPECT_EQ(MSecs, (45301.0 + 693594) * 86400000.0 + 12.5 * 3600000.0);
}

TEST(FilterExprParser, LikeKeepsEachUnderscoreOneCharacter)
{
  struct TCase {
    const char* Text;
    const char* Pattern;
    bool Match;
  } Cases[] = {
    {"abc", "a%c", true}, {"abc", "%", true}, {"abc", "a_c", true}, {"abc", "abc", true}, {"a", "a%", true},
    {"abc", "%bc", true}, {"abx", "%bc", false}, {"xaba", "x%ab%ba%", false}, {"xabba", "x%ab%ba%", true},
    {"a", "a_%", false}, {"ab", "a_%", true}, {"a", "a%_", false}, {"abc", "ab%bc", false}, {"ab", "ab%x", false},
    {"", "%", true}, {"", "_", false}, {"100%", "100%", true},
  };
  for (const TCase& T : Cases) {
    EXPECT_EQ(FilterLikeMatch(QString::fromUtf8(T.Text), QString::fromUtf8(T.Pattern), false), T.Match)
        << T.Text << " like " << T.Pattern;
    // A pattern read once matches texts of either width the same way.
    const TFilterLikePattern Pattern(QString::fromUtf8(T.Pattern));
    EXPECT_EQ(Pattern.Matches(QLatin1StringView(T.Text), false), T.Match) << T.Text << " like " << T.Pattern;
    EXPECT_EQ(Pattern.Matches(QString::fromUtf8(T.Text), false), T.Match) << T.Text << " like " << T.Pattern;
    // Plain forms taken apart or not, the answer is the same.
    const TFilterLikePattern General(QString::fromUtf8(T.Pattern), false, false);
    EXPECT_EQ(General.Matches(QString::fromUtf8(T.Text), false), T.Match) << T.Text << " like " << T.Pattern;
  }
  EXPECT_TRUE(TFilterLikePattern(u"ÄB%").Matches(QLatin1StringView("\xe4" "bc"), true));
  EXPECT_TRUE(FilterLikeMatch(QStringLiteral("ЦЕХ сборки"), QStringLiteral("цех%"), true));
  EXPECT_FALSE(FilterLikeMatch(QStringLiteral("ЦЕХ сборки"), QStringLiteral("цех%"), false));
}

// A one-character bracket is that character itself, so an escaped text
// matches only itself; the ADO reading also takes * for any run.
TEST(FilterExprParser, LikeEscapesAndTheAsterisk)
{
  struct TCase {
    const char* Text;
    const char* Pattern;
    bool Asterisk;
    bool Match;
  } Cases[] = {
    {"100%", "100[%]", false, true}, {"100 kg", "100[%]%", false, false}, {"100%x", "100[%]%", false, true},
    {"a_b", "a[_]b", false, true}, {"axb", "a[_]b", false, false}, {"a*b", "a[*]b", true, true},
    {"axb", "a[*]b", true, false}, {"axxb", "a*b", true, true}, {"a*b", "a*b", false, true},
    {"axb", "a*b", false, false}, {"a[b]", "a[[]b]", false, true}, {"ab", "a[[]b]", false, false},
    {"a[b", "a[b", false, true}, {"a]b", "a]b", false, true}, {"x?", "%[?]", true, true}, {"xy", "%[?]", true, false},
  };
  for (const TCase& T : Cases)
    EXPECT_EQ(FilterLikeMatch(QString::fromUtf8(T.Text), QString::fromUtf8(T.Pattern), false, T.Asterisk), T.Match)
        << T.Text << " like " << T.Pattern << (T.Asterisk ? " (asterisk)" : "");

  for (const char* Typed : {"100%", "a_b", "a*b", "a?b", "[x]", "]", "%_*?[]"}) {
    const QString Text = QString::fromUtf8(Typed);
    EXPECT_TRUE(FilterLikeMatch(Text, FilterLikeEscape(Text), false, true)) << Typed;
    EXPECT_FALSE(FilterLikeMatch(Text + u'z', FilterLikeEscape(Text), false, true)) << Typed;
  }
  EXPECT_EQ(FilterBracketName(u"s]name"), QStringLiteral("[s]]name]"));
}
