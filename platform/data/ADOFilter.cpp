// ADOFilter.cpp: a recursive-descent parser of the filter language and its
// evaluator over the static row storage.
#include "platform/data/ADOFilter.h"

#include "platform/data/FilterExprParser.h"
#include "platform/data/Odbc.h"

#include <QDate>

#include <cmath>

namespace adofilter {

using odbc::TValueKind;

QString QuoteFilterText(const QString& Text)
{
  QString R = Text;
  R.replace(u'\'', QLatin1String("''"));
  return u'\'' + R + u'\'';
}

// ---------------------------------------------------------------------------
// Tree

enum class TOp { Eq, Ne, Lt, Le, Gt, Ge, Like, And, Or };

enum class TLitKind { Null, Number, Text, Date };

struct TNode {
  TOp Op = TOp::Eq;
  std::unique_ptr<TNode> Left, Right;   // And, Or
  QString Field;                        // comparisons
  int Col = -1;
  TLitKind Lit = TLitKind::Null;
  double Num = 0;
  std::int64_t Scaled = 0;              // the number as Currency, when exact
  bool ScaledExact = false;
  QString Text;                         // text literal as written
};

namespace {

class TParser : public TFilterScanner {
public:
  explicit TParser(const QString& T) : TFilterScanner(T) {}

  std::unique_ptr<TNode> ParseAll()
  {
    auto N = ParseOr();
    SkipBlanks();
    if (P < S.size())
      Fail(QStringLiteral("unexpected \"%1\"").arg(S.mid(P, 10)));
    return N;
  }

private:
  [[noreturn]] void Fail(const QString& What) const override
  {
    throw EFilterError(QStringLiteral("Invalid filter \"%1\": %2 at position %3").arg(S, What).arg(P + 1));
  }

  std::unique_ptr<TNode> Binary(TOp Op, std::unique_ptr<TNode> L, std::unique_ptr<TNode> R)
  {
    auto N = std::make_unique<TNode>();
    N->Op = Op;
    N->Left = std::move(L);
    N->Right = std::move(R);
    return N;
  }

  std::unique_ptr<TNode> ParseOr()
  {
    auto L = ParseAnd();
    while (Keyword("or"))
      L = Binary(TOp::Or, std::move(L), ParseAnd());
    return L;
  }

  std::unique_ptr<TNode> ParseAnd()
  {
    auto L = ParseFactor();
    while (Keyword("and"))
      L = Binary(TOp::And, std::move(L), ParseFactor());
    return L;
  }

  std::unique_ptr<TNode> ParseFactor()
  {
    if (++Depth > 200)
      Fail(QStringLiteral("nesting too deep"));
    struct DepthGuard {
      int& D;
      ~DepthGuard() { --D; }
    } Guard{Depth};
    SkipBlanks();
    if (P < S.size() && S[P] == u'(') {
      ++P;
      auto N = ParseOr();
      SkipBlanks();
      if (P >= S.size() || S[P] != u')')
        Fail(QStringLiteral("missing \")\""));
      ++P;
      return N;
    }
    return ParseComparison();
  }

  TOp ParseOperator()
  {
    SkipBlanks();
    if (Take("<>")) return TOp::Ne;
    if (Take("<=")) return TOp::Le;
    if (Take(">=")) return TOp::Ge;
    if (Take("=")) return TOp::Eq;
    if (Take("<")) return TOp::Lt;
    if (Take(">")) return TOp::Gt;
    if (Keyword("like")) return TOp::Like;
    Fail(QStringLiteral("comparison operator expected"));
  }

  void ParseValue(TNode& N)
  {
    SkipBlanks();
    if (P >= S.size())
      Fail(QStringLiteral("value expected"));
    if (AtText()) {
      N.Lit = TLitKind::Text;
      N.Text = ReadText();
      return;
    }
    if (AtDate()) {
      N.Lit = TLitKind::Date;
      N.Num = FilterDateTimeValue(ReadDate());
      return;
    }
    if (Keyword("null")) {
      N.Lit = TLitKind::Null;
      return;
    }
    const QString T = ReadNumber(true);
    bool Ok = false;
    const double D = T.toDouble(&Ok);
    if (T.isEmpty() || !Ok || !std::isfinite(D))
      Fail(QStringLiteral("value expected"));
    N.Lit = TLitKind::Number;
    N.Num = D;
    N.Text = T;
    N.ScaledExact = odbc::ParseCurrency(T, N.Scaled);
  }

  std::unique_ptr<TNode> ParseComparison()
  {
    auto N = std::make_unique<TNode>();
    N->Field = ReadName();
    N->Op = ParseOperator();
    ParseValue(*N);
    if (N->Op == TOp::Like && N->Lit != TLitKind::Text)
      Fail(QStringLiteral("LIKE needs a text in quotes"));
    if (N->Lit == TLitKind::Null && N->Op != TOp::Eq && N->Op != TOp::Ne)
      Fail(QStringLiteral("NULL can only be compared with = or <>"));
    return N;
  }

  int Depth = 0;
};

}  // namespace

TFilter::TFilter() = default;
TFilter::~TFilter() = default;

std::unique_ptr<TFilter> TFilter::Parse(const QString& Text)
{
  std::unique_ptr<TFilter> F(new TFilter());
  if (!Text.trimmed().isEmpty())
    F->FRoot = TParser(Text).ParseAll();
  return F;
}

static void CollectNames(const TNode* N, QStringList& Names)
{
  if (!N)
    return;
  if (N->Op == TOp::And || N->Op == TOp::Or) {
    CollectNames(N->Left.get(), Names);
    CollectNames(N->Right.get(), Names);
    return;
  }
  Names << N->Field;
}

QStringList TFilter::FieldNames() const
{
  QStringList Names;
  CollectNames(FRoot.get(), Names);
  return Names;
}

static bool IsTextKind(TValueKind K) { return K == TValueKind::AnsiText || K == TValueKind::WideText; }
static bool IsDateKind(TValueKind K)
{
  return K == TValueKind::Date || K == TValueKind::Time || K == TValueKind::DateTime;
}

static void BindNode(TNode* N, const std::function<int(const QString&)>& ColumnOf, const odbc::TRowStore& Store)
{
  if (!N)
    return;
  if (N->Op == TOp::And || N->Op == TOp::Or) {
    BindNode(N->Left.get(), ColumnOf, Store);
    BindNode(N->Right.get(), ColumnOf, Store);
    return;
  }
  N->Col = ColumnOf(N->Field);
  if (N->Col < 0)
    throw EFilterError(QStringLiteral("Invalid filter: unknown field \"%1\"").arg(N->Field));
  const TValueKind K = Store.Column(N->Col).Kind;
  if (N->Lit == TLitKind::Text && !IsTextKind(K) && N->Op != TOp::Like) {
    // a quoted value for a number or date column is read as that kind
    if (IsDateKind(K)) {
      const QString Date = N->Text;
      QDateTime D = QDateTime::fromString(Date.trimmed(), Qt::ISODate);
      if (!D.isValid())
        D = QDateTime::fromString(Date.trimmed(), QStringLiteral("dd.MM.yyyy"));
      if (!D.isValid())
        throw EFilterError(QStringLiteral("Invalid filter: \"%1\" is not a date").arg(Date));
      const double Days = double(D.date().toJulianDay() - 2415019);
      N->Num = Days + D.time().msecsSinceStartOfDay() / 86400000.0;
      N->Lit = TLitKind::Date;
    } else {
      bool Ok = false;
      const double D = QString(N->Text).replace(u',', u'.').trimmed().toDouble(&Ok);
      if (!Ok)
        throw EFilterError(QStringLiteral("Invalid filter: \"%1\" is not a number").arg(N->Text));
      N->Num = D;
      N->ScaledExact = odbc::ParseCurrency(N->Text, N->Scaled);
      N->Lit = TLitKind::Number;
    }
  }
}

void TFilter::Bind(const std::function<int(const QString&)>& ColumnOf, const odbc::TRowStore& Store)
{
  BindNode(FRoot.get(), ColumnOf, Store);
}

static bool CompareResult(TOp Op, int C)
{
  switch (Op) {
  case TOp::Eq: return C == 0;
  case TOp::Ne: return C != 0;
  case TOp::Lt: return C < 0;
  case TOp::Le: return C <= 0;
  case TOp::Gt: return C > 0;
  case TOp::Ge: return C >= 0;
  default: return false;
  }
}

template <class T>
static int Cmp(T A, T B) { return A < B ? -1 : (B < A ? 1 : 0); }

static bool EvalComparison(const TNode& N, const odbc::TRowStore& Store, int Row)
{
  const bool Null = Store.IsNull(Row, N.Col);
  if (N.Lit == TLitKind::Null)
    return N.Op == TOp::Eq ? Null : !Null;
  if (Null)
    return false;   // Null matches no value
  const TValueKind K = Store.Column(N.Col).Kind;
  if (N.Op == TOp::Like) {
    QString Text;
    if (IsTextKind(K) || K == TValueKind::Decimal)
      return FilterLikeMatch(Store.TextAt(Row, N.Col), N.Text, true, true);
    const odbc::TValue V = Store.Value(Row, N.Col);
    if (K == TValueKind::Int32 || K == TValueKind::Int64 || K == TValueKind::Boolean)
      Text = QString::number(V.Int);
    else if (K == TValueKind::Currency)
      Text = odbc::CurrencyToText(V.Int);
    else
      Text = QString::number(V.Dbl);
    return FilterLikeMatch(Text, N.Text, true, true);
  }
  if (IsTextKind(K)) {
    return CompareResult(N.Op, CollateText(Store.TextAt(Row, N.Col), N.Text, false));
  }
  switch (K) {
  case TValueKind::Int32:
  case TValueKind::Int64:
  case TValueKind::Boolean: {
    const double V = double(Store.IntAt(Row, N.Col));
    return CompareResult(N.Op, Cmp(V, N.Num));
  }
  case TValueKind::Currency:
    if (N.ScaledExact)
      return CompareResult(N.Op, Cmp(Store.IntAt(Row, N.Col), N.Scaled));
    return CompareResult(N.Op, Cmp(double(Store.IntAt(Row, N.Col)) / 10000.0, N.Num));
  case TValueKind::Decimal: {
    bool Ok = false;
    const double V = Store.TextAt(Row, N.Col).toDouble(&Ok);
    return Ok && CompareResult(N.Op, Cmp(V, N.Num));
  }
  case TValueKind::Double:
  case TValueKind::Date:
  case TValueKind::Time:
  case TValueKind::DateTime:
    return CompareResult(N.Op, Cmp(Store.DoubleAt(Row, N.Col), N.Num));
  default: return false;
  }
}

static bool Eval(const TNode* N, const odbc::TRowStore& Store, int Row)
{
  switch (N->Op) {
  case TOp::And: return Eval(N->Left.get(), Store, Row) && Eval(N->Right.get(), Store, Row);
  case TOp::Or: return Eval(N->Left.get(), Store, Row) || Eval(N->Right.get(), Store, Row);
  default: return EvalComparison(*N, Store, Row);
  }
}

bool TFilter::Accepts(const odbc::TRowStore& Store, int Row) const
{
  return !FRoot || Eval(FRoot.get(), Store, Row);
}

// ---------------------------------------------------------------------------
// Sort

std::vector<TSortKey> ParseSort(const QString& Text)
{
  std::vector<TSortKey> Keys;
  QString T = Text;
  T.replace(u';', u',');
  for (const QString& Part : T.split(u',')) {
    const QString Item = Part.trimmed();
    if (Item.isEmpty())
      continue;
    TSortKey K;
    QStringList Words = Item.split(u' ', Qt::SkipEmptyParts);
    if (Words.size() > 1) {
      const QString Last = Words.last();
      if (Last.compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0) {
        K.Descending = true;
        Words.removeLast();
      } else if (Last.compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0) {
        Words.removeLast();
      }
    }
    K.Field = Words.join(u' ');
    if (K.Field.startsWith(u'[') && K.Field.endsWith(u']'))
      K.Field = K.Field.mid(1, K.Field.size() - 2);
    if (K.Field.isEmpty() || K.Field.contains(u' '))
      throw EFilterError(QStringLiteral("Invalid sort \"%1\"").arg(Text));
    Keys.push_back(K);
  }
  return Keys;
}

int CompareCells(const odbc::TRowStore& Store, int Col, int RowA, int RowB)
{
  const bool NA = Store.IsNull(RowA, Col), NB = Store.IsNull(RowB, Col);
  if (NA || NB)
    return NA == NB ? 0 : (NA ? -1 : 1);
  switch (Store.Column(Col).Kind) {
  case TValueKind::Int32:
  case TValueKind::Int64:
  case TValueKind::Currency:
  case TValueKind::Boolean: return Cmp(Store.IntAt(RowA, Col), Store.IntAt(RowB, Col));
  case TValueKind::Double:
  case TValueKind::Date:
  case TValueKind::Time:
  case TValueKind::DateTime: return Cmp(Store.DoubleAt(RowA, Col), Store.DoubleAt(RowB, Col));
  case TValueKind::Decimal: {
    const double A = Store.TextAt(RowA, Col).toDouble(), B = Store.TextAt(RowB, Col).toDouble();
    return Cmp(A, B);
  }
  case TValueKind::Binary: return 0;
  default: return CollateText(Store.TextAt(RowA, Col), Store.TextAt(RowB, Col), false);
  }
}

TTextSortKeys::TTextSortKeys(const odbc::TRowStore& Store, int Col, const std::vector<int>& Rows)
    : FStart(std::size_t(Store.RowCount()), 0), FLength(std::size_t(Store.RowCount()), 0)
{
  FBytes.reserve(Rows.size() * 32);
  for (const int R : Rows) {
    if (Store.IsNull(R, Col))
      continue;   // empty: before every text, as CompareCells puts Null first
    const std::size_t At = FBytes.size();
    AppendCollationKey(FBytes, Store.TextAt(R, Col), false);
    FStart[std::size_t(R)] = At;
    FLength[std::size_t(R)] = std::uint32_t(FBytes.size() - At);
  }
}

std::string_view TTextSortKeys::Key(int Row) const
{
  return std::string_view(FBytes).substr(FStart[std::size_t(Row)], FLength[std::size_t(Row)]);
}

int TTextSortKeys::Compare(int RowA, int RowB) const
{
  const int C = Key(RowA).compare(Key(RowB));
  return C < 0 ? -1 : (C > 0 ? 1 : 0);
}

}  // namespace adofilter
