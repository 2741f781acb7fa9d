// FilterExprParser.cpp: the scanner the filter languages share, LIKE, and
// the compiler of filter and aggregate expressions into expression code.
#include "platform/data/FilterExprParser.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------
// LIKE

static inline bool SameChar(QChar A, QChar B, bool CaseInsensitive)
{
  return A == B || (CaseInsensitive && A.toUpper() == B.toUpper());
}

static inline char16_t UpperOf(char16_t C)
{
  return QChar(C).toUpper().unicode();
}

// "[x]" of one character stands for x itself, so typed text can carry the
// wildcard characters; any other "[" is an ordinary character.
TFilterLikePattern::TFilterLikePattern(QStringView P, bool AsteriskAnyRun, bool PlainForms)
{
  FTokens.reserve(std::size_t(P.size()));
  for (qsizetype I = 0; I < P.size(); ++I) {
    const char16_t C = P[I].unicode();
    if (C == u'[' && I + 2 < P.size() && P[I + 2] == u']') {
      FTokens.push_back({TToken::Char, P[I + 1].unicode()});
      I += 2;
    } else if (C == u'%' || (AsteriskAnyRun && C == u'*')) {
      FTokens.push_back({TToken::Any, C});
    } else if (C == u'_') {
      FTokens.push_back({TToken::One, C});
    } else {
      FTokens.push_back({TToken::Char, C});
    }
  }
  if (!PlainForms)
    return;
  // Any runs only at the ends, characters between them: a plain form.
  std::size_t Lead = 0, Trail = FTokens.size();
  while (Lead < Trail && FTokens[Lead].Kind == TToken::Any)
    ++Lead;
  while (Trail > Lead && FTokens[Trail - 1].Kind == TToken::Any)
    --Trail;
  for (std::size_t I = Lead; I < Trail; ++I)
    if (FTokens[I].Kind != TToken::Char)
      return;
  for (std::size_t I = Lead; I < Trail; ++I) {
    FLiteral.push_back(FTokens[I].C);
    FUpperLiteral.push_back(UpperOf(FTokens[I].C));
  }
  const bool AnyBefore = Lead > 0, AnyAfter = Trail < FTokens.size();
  FForm = AnyBefore && AnyAfter ? TForm::Contains
          : AnyBefore           ? TForm::Suffix
          : AnyAfter            ? TForm::Prefix
                                : TForm::Equal;
}

// Greedy with one back-track point: the last "any run" seen takes one more
// character each time the rest fails.
template <class TText>
bool TFilterLikePattern::MatchesText(TText S, bool CaseInsensitive) const
{
  const TToken* P = FTokens.data();
  const qsizetype PSize = qsizetype(FTokens.size());
  qsizetype Si = 0, Pi = 0, StarP = -1, StarS = 0;
  while (Si < S.size()) {
    if (Pi < PSize && P[Pi].Kind == TToken::Any) {
      StarP = Pi++;
      StarS = Si;
    } else if (Pi < PSize && (P[Pi].Kind == TToken::One || SameChar(QChar(P[Pi].C), QChar(S[Si]), CaseInsensitive))) {
      ++Pi;
      ++Si;
    } else if (StarP >= 0) {
      Pi = StarP + 1;
      Si = ++StarS;
    } else {
      return false;
    }
  }
  while (Pi < PSize && P[Pi].Kind == TToken::Any)
    ++Pi;
  return Pi == PSize;
}

namespace {

// A text of one byte a character over a page, read as characters by the
// general matcher.
struct TPagedText {
  const unsigned char* Bytes;
  qsizetype Size;
  char16_t Base;
  qsizetype size() const { return Size; }
  QChar operator[](qsizetype I) const
  {
    const unsigned char B = Bytes[I];
    return QChar(B < 0x80 ? char16_t(B) : char16_t(Base + (B - 0x80)));
  }
};

}  // namespace

// Whether a text of N units holds the literal of M units as the form asks;
// Same(I, K) compares the text's unit I with the literal's unit K.
template <class TSame>
bool TFilterLikePattern::FormHolds(TForm Form, qsizetype N, qsizetype M, TSame Same)
{
  if (M > N || (Form == TForm::Equal && M != N))
    return false;
  auto At = [&](qsizetype Start) {
    for (qsizetype K = 0; K < M; ++K)
      if (!Same(Start + K, K))
        return false;
    return true;
  };
  switch (Form) {
  case TForm::Suffix: return At(N - M);
  case TForm::Contains:
    for (qsizetype Start = 0; Start + M <= N; ++Start)
      if (At(Start))
        return true;
    return false;
  default: return At(0);   // equal or prefix
  }
}

bool TFilterLikePattern::MatchesWide(QStringView S, bool CaseInsensitive) const
{
  const char16_t* T = S.utf16();
  const qsizetype N = S.size(), M = qsizetype(FLiteral.size());
  if (!CaseInsensitive) {
    if (FForm == TForm::Contains)
      return std::u16string_view(T, std::size_t(N)).find(FLiteral) != std::u16string_view::npos;
    return FormHolds(FForm, N, M, [&](qsizetype I, qsizetype K) { return T[I] == FLiteral[K]; });
  }
  return FormHolds(FForm, N, M, [&](qsizetype I, qsizetype K) {
    return T[I] == FLiteral[K] || UpperOf(T[I]) == FUpperLiteral[K];
  });
}

// Case by case the same as SameChar: two characters are the same when their
// upper cases are. Within a page, the bytes of one upper case fold to the
// first of them, and a literal character to the byte its upper case folds to.
const TFilterLikePattern::TPageForm& TFilterLikePattern::PageForm(unsigned Page, bool CaseInsensitive) const
{
  auto Is = [&](const TPageForm& F) { return F.Page == Page && F.CaseInsensitive == CaseInsensitive; };
  for (std::size_t I = 0; I < FPageForms.size(); ++I)
    if (Is(FPageForms[I])) {
      FLastPageForm = I;
      return FPageForms[I];
    }
  TPageForm F;
  F.Page = Page;
  F.CaseInsensitive = CaseInsensitive;
  const char16_t Base = char16_t(Page << 7);
  if (!CaseInsensitive) {
    for (const char16_t C : FLiteral) {
      if (C < 0x80)
        F.Bytes.push_back(char(C));
      else if (unsigned(C >> 7) == Page)
        F.Bytes.push_back(char(0x80 | (C & 0x7F)));
      else {
        F.Possible = false;
        break;
      }
    }
  } else {
    std::array<char16_t, 256> Upper;
    for (unsigned B = 0; B < 256; ++B)
      Upper[B] = UpperOf(B < 0x80 ? char16_t(B) : char16_t(Base + (B - 0x80)));
    for (unsigned B = 0; B < 256; ++B) {
      unsigned First = B;
      for (unsigned E = 0; E < B; ++E)
        if (Upper[E] == Upper[B]) {
          First = E;
          break;
        }
      F.Fold[B] = static_cast<unsigned char>(First);
    }
    for (const char16_t C : FUpperLiteral) {
      const auto Found = std::find(Upper.begin(), Upper.end(), C);
      if (Found == Upper.end()) {
        F.Possible = false;
        break;
      }
      F.Bytes.push_back(char(Found - Upper.begin()));   // the first byte of that upper case
    }
  }
  FPageForms.push_back(std::move(F));
  FLastPageForm = FPageForms.size() - 1;
  return FPageForms.back();
}

bool TFilterLikePattern::Matches(QStringView Text, bool CaseInsensitive) const
{
  if (FForm != TForm::General)
    return MatchesWide(Text, CaseInsensitive);
  return MatchesText(Text, CaseInsensitive);
}

bool TFilterLikePattern::Matches(QLatin1StringView Text, bool CaseInsensitive) const
{
  return Matches(QByteArrayView(Text.data(), Text.size()), 1, CaseInsensitive);
}

bool TFilterLikePattern::Matches(QByteArrayView Text, unsigned Page, bool CaseInsensitive) const
{
  Q_ASSERT_X(Page < 512, "TFilterLikePattern::Matches", "a page beyond the 16-bit characters");
  const auto* T = reinterpret_cast<const unsigned char*>(Text.data());
  const qsizetype N = Text.size();
  if (FForm == TForm::General)
    return MatchesText(TPagedText{T, N, char16_t(Page << 7)}, CaseInsensitive);
  // Texts of one page usually follow one another: the last form is tried first.
  const bool Last = FLastPageForm < FPageForms.size() && FPageForms[FLastPageForm].Page == Page &&
                    FPageForms[FLastPageForm].CaseInsensitive == CaseInsensitive;
  const TPageForm& F = Last ? FPageForms[FLastPageForm] : PageForm(Page, CaseInsensitive);
  if (!F.Possible)
    return false;
  const auto* L = reinterpret_cast<const unsigned char*>(F.Bytes.data());
  const qsizetype M = qsizetype(F.Bytes.size());
  if (!CaseInsensitive) {
    // A short text is scanned in place: cheaper than a call to the library's search.
    if (FForm == TForm::Contains && N > 64)
      return std::string_view(Text.data(), std::size_t(N)).find(F.Bytes) != std::string_view::npos;
    return FormHolds(FForm, N, M, [&](qsizetype I, qsizetype K) { return T[I] == L[K]; });
  }
  return FormHolds(FForm, N, M, [&](qsizetype I, qsizetype K) { return F.Fold[T[I]] == L[K]; });
}

bool FilterLikeMatch(QStringView S, QStringView Pattern, bool CaseInsensitive, bool AsteriskAnyRun)
{
  return TFilterLikePattern(Pattern, AsteriskAnyRun).Matches(S, CaseInsensitive);
}

QString FilterLikeEscape(QStringView Text, QStringView Specials)
{
  QString R;
  R.reserve(Text.size());
  for (const QChar C : Text) {
    if (C == u'[' || Specials.contains(C))
      R += u'[' + QString(C) + u']';
    else
      R += C;
  }
  return R;
}

QString FilterBracketName(QStringView Name)
{
  QString R = Name.toString();
  R.replace(QLatin1String("]"), QLatin1String("]]"));
  return u'[' + R + u']';
}

// ---------------------------------------------------------------------------
// Scanner

void TFilterScanner::SkipBlanks()
{
  while (P < S.size() && S[P].isSpace())
    ++P;
}

bool TFilterScanner::AtEnd()
{
  SkipBlanks();
  return P >= S.size();
}

bool TFilterScanner::Keyword(const char* Word)
{
  SkipBlanks();
  const QLatin1String W(Word);
  if (P + W.size() > S.size() || QStringView(S).mid(P, W.size()).compare(W, Qt::CaseInsensitive) != 0)
    return false;
  const qsizetype End = P + W.size();
  if (End < S.size() && (S[End].isLetterOrNumber() || S[End] == u'_'))
    return false;
  P = End;
  return true;
}

bool TFilterScanner::Take(const char* Token)
{
  SkipBlanks();
  const QLatin1String T(Token);
  if (!QStringView(S).mid(P).startsWith(T))
    return false;
  P += T.size();
  return true;
}

bool TFilterScanner::AtNameStart()
{
  SkipBlanks();
  return P < S.size() && (S[P] == u'[' || S[P].isLetter() || S[P] == u'_');
}

QString TFilterScanner::ReadName()
{
  SkipBlanks();
  if (P < S.size() && S[P] == u'[') {
    // "]]" inside the brackets is one "]" of the name.
    QString Name;
    for (++P;; ++P) {
      if (P >= S.size())
        Fail(QStringLiteral("missing \"]\""));
      if (S[P] != u']') {
        Name += S[P];
        continue;
      }
      if (P + 1 < S.size() && S[P + 1] == u']') {
        Name += u']';
        ++P;
        continue;
      }
      ++P;
      return Name;
    }
  }
  const qsizetype Start = P;
  while (P < S.size() && (S[P].isLetterOrNumber() || S[P] == u'_' || S[P] == u'.'))
    ++P;
  if (P == Start)
    Fail(QStringLiteral("field name expected"));
  return S.mid(Start, P - Start);
}

bool TFilterScanner::AtText()
{
  SkipBlanks();
  return P < S.size() && (S[P] == u'\'' || S[P] == u'"');
}

QString TFilterScanner::ReadText()
{
  SkipBlanks();
  const QChar C = S[P];
  QString T;
  ++P;
  for (;;) {
    if (P >= S.size())
      Fail(QStringLiteral("unterminated text"));
    if (S[P] == C) {
      if (P + 1 < S.size() && S[P + 1] == C) {
        T += C;
        P += 2;
        continue;
      }
      ++P;
      return T;
    }
    T += S[P++];
  }
}

bool TFilterScanner::AtDate()
{
  SkipBlanks();
  return P < S.size() && S[P] == u'#';
}

QDateTime FilterTextToDateTime(const QString& Text)
{
  const QString T = Text.trimmed();
  QDateTime D = QDateTime::fromString(T, Qt::ISODate);
  if (!D.isValid()) {
    for (const char* F : {"dd.MM.yyyy", "dd.MM.yyyy HH:mm:ss", "dd.MM.yyyy HH:mm", "MM/dd/yyyy", "yyyy-MM-dd"}) {
      D = QDateTime::fromString(T, QLatin1String(F));
      if (D.isValid())
        break;
    }
  }
  return D;
}

double FilterDateTimeValue(const QDateTime& D)
{
  const double Days = double(D.date().toJulianDay() - 2415019);
  const double Time = D.time().msecsSinceStartOfDay() / double(MSecsPerDay);
  return Days < 0 ? Days - Time : Days + Time;
}

QDateTime TFilterScanner::ReadDate()
{
  SkipBlanks();
  const qsizetype End = S.indexOf(u'#', P + 1);
  if (End < 0)
    Fail(QStringLiteral("unterminated date"));
  const QString T = S.mid(P + 1, End - P - 1).trimmed();
  const QDateTime D = FilterTextToDateTime(T);
  if (!D.isValid())
    Fail(QStringLiteral("invalid date \"%1\"").arg(T));
  P = End + 1;
  return D;
}

bool TFilterScanner::AtNumber()
{
  SkipBlanks();
  return P < S.size() && (S[P].isDigit() || (S[P] == u'.' && P + 1 < S.size() && S[P + 1].isDigit()));
}

QString TFilterScanner::ReadNumber(bool AllowSign)
{
  SkipBlanks();
  const qsizetype Start = P;
  if (AllowSign && P < S.size() && (S[P] == u'-' || S[P] == u'+'))
    ++P;
  while (P < S.size() && (S[P].isDigit() || S[P] == u'.' || S[P] == u'e' || S[P] == u'E' ||
                          ((S[P] == u'-' || S[P] == u'+') && P > Start && (S[P - 1] == u'e' || S[P - 1] == u'E'))))
    ++P;
  return S.mid(Start, P - Start);
}

// ---------------------------------------------------------------------------
// Code writer

static void PutU16(QByteArray& B, int At, int V) { qToLittleEndian<quint16>(quint16(V), B.data() + At); }
static void PutU32(QByteArray& B, int At, std::uint32_t V) { qToLittleEndian<quint32>(V, B.data() + At); }

TExprCodeWriter::TExprCodeWriter() = default;

int TExprCodeWriter::AddNode(std::uint32_t NodeClass, std::uint32_t Operator, int Operands)
{
  const int At = int(FNodes.size());
  FNodes.append(8 + 2 * Operands, '\0');
  PutU32(FNodes, At, NodeClass);
  PutU32(FNodes, At + 4, Operator);
  ++FNodeCount;
  return At;
}

void TExprCodeWriter::SetOperand(int Node, int Index, int Value)
{
  PutU16(FNodes, Node + 8 + 2 * Index, Value);
}

int TExprCodeWriter::AddLiteral(const QByteArray& Bytes)
{
  const int At = int(FLiterals.size());
  if (At > 0xFFFF)
    throw EFilterExprError(QStringLiteral("The expression is too long."));
  FLiterals.append(Bytes);
  return At;
}

int TExprCodeWriter::AddName(const QString& Name)
{
  QByteArray B = Name.toUtf8();
  B.append('\0');
  return AddLiteral(B);
}

int TExprCodeWriter::AddConst(std::uint16_t StorageCode, const QByteArray& Value)
{
  // A text's size counts its closing zero.
  const QByteArray Bytes = StorageCode == scString ? Value + QByteArray(1, '\0') : Value;
  if (Bytes.size() > 0xFFFF)
    throw EFilterExprError(QStringLiteral("The expression is too long."));
  const int Node = AddNode(enConst, coCONST, 3);
  SetOperand(Node, 0, StorageCode);
  SetOperand(Node, 1, int(Bytes.size()));
  SetOperand(Node, 2, AddLiteral(Bytes));
  return Node;
}

TExprData TExprCodeWriter::Finish() const
{
  const qsizetype LiteralStart = 10 + FNodes.size();
  if (LiteralStart > 0xFFFF || FNodeCount > 0xFFFF)
    throw EFilterExprError(QStringLiteral("The expression is too long."));
  QByteArray Code(10, '\0');
  PutU16(Code, 0, 1);
  PutU32(Code, 2, std::uint32_t(LiteralStart + FLiterals.size()));
  PutU16(Code, 6, FNodeCount);
  PutU16(Code, 8, int(LiteralStart));
  Code += FNodes;
  Code += FLiterals;
  return Code;
}

QByteArray EncodeBcd(const QString& Decimal)
{
  // Precision, sign and places, then 32 bytes of digits, two to a byte,
  // the most significant first.
  QString T = Decimal.trimmed();
  bool Neg = false;
  if (!T.isEmpty() && (T[0] == u'-' || T[0] == u'+')) {
    Neg = T[0] == u'-';
    T.remove(0, 1);
  }
  const qsizetype Dot = T.indexOf(u'.');
  const QString IntPart = Dot < 0 ? T : T.left(Dot);
  const QString FracPart = Dot < 0 ? QString() : T.mid(Dot + 1);
  QString Digits = IntPart + FracPart;
  qsizetype Lead = 0;
  while (Lead < IntPart.size() - 1 && Digits[Lead] == u'0')
    ++Lead;
  Digits.remove(0, Lead);
  if (Digits.isEmpty())
    Digits = QStringLiteral("0");
  if (Digits.size() > 64 || FracPart.size() > 63)
    throw EFilterExprError(QStringLiteral("The number %1 has too many digits.").arg(Decimal));
  QByteArray B(34, '\0');
  B[0] = char(Digits.size());
  B[1] = char((Neg ? 0x80 : 0) | int(FracPart.size()));
  for (qsizetype I = 0; I < Digits.size(); ++I) {
    const int D = Digits[I].unicode() - u'0';
    char& Byte = B[2 + I / 2];
    Byte = char(I % 2 == 0 ? (D << 4) : (quint8(Byte) | D));
  }
  return B;
}

QByteArray EncodeWideText(const QString& Text)
{
  const qsizetype Bytes = Text.size() * 2;
  if (Bytes > 0xFFFF - 2)
    throw EFilterExprError(QStringLiteral("The text in the expression is too long."));
  QByteArray B(2 + Bytes, '\0');
  PutU16(B, 0, int(Bytes));
  for (qsizetype I = 0; I < Text.size(); ++I)
    PutU16(B, 2 + int(I) * 2, Text[I].unicode());
  return B;
}

// ---------------------------------------------------------------------------
// Functions

const TExprFunctionInfo* FindExprFunction(const String& Name)
{
  static constexpr TExprFunctionInfo Functions[] = {
    {"SUBSTRING", efSubstring, 2, 3, false}, {"UPPER", efUpper, 1, 1, false}, {"LOWER", efLower, 1, 1, false},
    {"TRIM", efTrim, 1, 2, false}, {"TRIMLEFT", efTrimLeft, 1, 2, false}, {"TRIMRIGHT", efTrimRight, 1, 2, false},
    {"YEAR", efYear, 1, 1, false}, {"MONTH", efMonth, 1, 1, false}, {"DAY", efDay, 1, 1, false},
    {"HOUR", efHour, 1, 1, false}, {"MINUTE", efMinute, 1, 1, false}, {"SECOND", efSecond, 1, 1, false},
    {"GETDATE", efGetDate, 0, 0, false}, {"DATE", efDate, 1, 1, false}, {"TIME", efTime, 1, 1, false},
    {"SUM", efSum, 1, 1, true}, {"MIN", efMin, 1, 1, true}, {"MAX", efMax, 1, 1, true},
    {"AVG", efAvg, 1, 1, true}, {"COUNT", efCount, 0, 1, true},
  };
  for (const TExprFunctionInfo& F : Functions)
    if (CompareText(Name, String::fromLatin1(F.Name)) == 0)
      return &F;
  return nullptr;
}

// ---------------------------------------------------------------------------
// Parser

namespace {

enum class TLit { None, Text, Number, Date, Null, Bool };

struct TExpr {
  TExprNodeClass Class = enConst;
  std::uint32_t Op = coCONST;
  // field
  QString Name;
  TFilterExprField Field;
  // constant, and what it was written as
  std::uint16_t Code = scNull;
  QByteArray Value;
  TLit Lit = TLit::None;
  QString Text;
  QDateTime Date;
  // compare with options
  bool IgnoreCase = false;
  int Partial = 0;
  // operands, function arguments or the list of in
  std::vector<std::unique_ptr<TExpr>> Args;
};
using PExpr = std::unique_ptr<TExpr>;

bool IsDateType(TFieldType T)
{
  return T == ftDate || T == ftTime || T == ftDateTime || T == ftTimeStamp || T == ftOraTimeStamp ||
         T == ftTimeStampOffset;
}

bool IsNumberType(TFieldType T)
{
  switch (T) {
  case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD: case ftAutoInc:
  case ftLargeint: case ftFMTBcd: case ftLongWord: case ftShortint: case ftByte: case ftExtended: case ftSingle:
    return true;
  default:
    return false;
  }
}

QByteArray Bytes32(std::int32_t V)
{
  QByteArray B(4, '\0');
  qToLittleEndian<qint32>(V, B.data());
  return B;
}

QByteArray Bytes64(std::int64_t V)
{
  QByteArray B(8, '\0');
  qToLittleEndian<qint64>(V, B.data());
  return B;
}

QByteArray BytesDouble(double V)
{
  std::int64_t Bits;
  std::memcpy(&Bits, &V, sizeof Bits);
  return Bytes64(Bits);
}

class TCompiler : public TFilterScanner {
public:
  TCompiler(const QString& Text, TFilterExprFieldResolver Fields, TFilterOptions FilterOptions,
            TParserOptions ParserOptions, const TFieldMap& FieldMap)
      : TFilterScanner(Text), FFields(std::move(Fields)), FFilterOptions(FilterOptions),
        FParserOptions(ParserOptions), FFieldMap(FieldMap)
  {
  }

  TExprData Compile()
  {
    PExpr Root = ParseOr();
    if (!AtEnd())
      Fail(QStringLiteral("unexpected \"%1\"").arg(S.mid(P, 10)));
    TExprCodeWriter W;
    Emit(W, *Root);
    return W.Finish();
  }

private:
  [[noreturn]] void Fail(const QString& What) const override
  {
    throw EFilterExprError(QStringLiteral("Invalid expression \"%1\": %2 at position %3").arg(S, What).arg(P + 1));
  }

  struct TDepth {
    TCompiler& C;
    explicit TDepth(TCompiler& AC) : C(AC)
    {
      if (++C.FDepth > 200)
        C.Fail(QStringLiteral("nesting too deep"));
    }
    ~TDepth() { --C.FDepth; }
  };

  static PExpr Node(TExprNodeClass Class, std::uint32_t Op)
  {
    auto N = std::make_unique<TExpr>();
    N->Class = Class;
    N->Op = Op;
    return N;
  }

  static PExpr Binary(std::uint32_t Op, PExpr L, PExpr R)
  {
    PExpr N = Node(enBinary, Op);
    N->Args.push_back(std::move(L));
    N->Args.push_back(std::move(R));
    return N;
  }

  static PExpr Unary(std::uint32_t Op, PExpr A)
  {
    PExpr N = Node(enUnary, Op);
    N->Args.push_back(std::move(A));
    return N;
  }

  PExpr ParseOr()
  {
    PExpr L = ParseAnd();
    while (Keyword("or"))
      L = Binary(coOR, std::move(L), ParseAnd());
    return L;
  }

  PExpr ParseAnd()
  {
    PExpr L = ParseNot();
    while (Keyword("and"))
      L = Binary(coAND, std::move(L), ParseNot());
    return L;
  }

  PExpr ParseNot()
  {
    TDepth D(*this);
    if (Keyword("not"))
      return Unary(coNOT, ParseNot());
    return ParseComparison();
  }

  PExpr ParseComparison()
  {
    PExpr L = ParseAdditive();
    struct TRel {
      const char* Token;
      std::uint32_t Op;
    };
    static constexpr TRel Rels[] = {{"<>", coNE}, {"!=", coNE}, {"<=", coLE}, {">=", coGE},
                                    {"=", coEQ},  {"<", coLT},  {">", coGT}};
    for (const TRel& R : Rels)
      if (Take(R.Token))
        return Relation(R.Op, std::move(L), ParseAdditive());
    if (Keyword("is")) {
      const bool Negated = Keyword("not");
      if (!Keyword("null"))
        Fail(QStringLiteral("NULL expected after IS"));
      return Unary(Negated ? coNOTBLANK : coISBLANK, std::move(L));
    }
    const qsizetype Before = P;
    const bool Negated = Keyword("not");
    if (Keyword("like")) {
      PExpr N = Binary(coLIKE, std::move(L), ParseAdditive());
      return Negated ? Unary(coNOT, std::move(N)) : std::move(N);
    }
    if (Keyword("in")) {
      PExpr N = Node(enBinary, coIN);
      if (!Take("("))
        Fail(QStringLiteral("\"(\" expected after IN"));
      N->Args.push_back(std::move(L));
      do
        N->Args.push_back(ParseAdditive());
      while (Take(","));
      if (!Take(")"))
        Fail(QStringLiteral("missing \")\""));
      for (std::size_t I = 1; I < N->Args.size(); ++I)
        TypeConstant(*N->Args[0], *N->Args[I]);
      return Negated ? Unary(coNOT, std::move(N)) : std::move(N);
    }
    if (Negated) {
      P = Before;
      Fail(QStringLiteral("LIKE or IN expected after NOT"));
    }
    return L;
  }

  PExpr Relation(std::uint32_t Op, PExpr L, PExpr R)
  {
    TypeConstant(*L, *R);
    TypeConstant(*R, *L);
    // 'ab*' compares by its start unless partial comparison is off.
    if ((Op == coEQ || Op == coNE) && !FFilterOptions.Contains(foNoPartialCompare) && R->Lit == TLit::Text &&
        R->Text.size() > 1 && R->Text.endsWith(u'*')) {
      PExpr N = Node(enCompare, Op);
      N->IgnoreCase = FFilterOptions.Contains(foCaseInsensitive);
      N->Partial = int(R->Text.size() - 1);
      SetText(*R, R->Text.left(R->Text.size() - 1));
      N->Args.push_back(std::move(L));
      N->Args.push_back(std::move(R));
      return N;
    }
    return Binary(Op, std::move(L), std::move(R));
  }

  // A quoted value compared with a date or number field is that kind of
  // value: [d_date] >= '01.01.2024' compares dates, not texts.
  void TypeConstant(const TExpr& Field, TExpr& C)
  {
    if (Field.Class != enField || C.Lit != TLit::Text)
      return;
    const TFieldType T = Field.Field.DataType;
    if (IsDateType(T)) {
      const QDateTime D = FilterTextToDateTime(C.Text);
      if (!D.isValid())
        Fail(QStringLiteral("\"%1\" is not a date").arg(C.Text));
      SetDate(C, D, FFieldMap[std::size_t(T)]);
    } else if (IsNumberType(T)) {
      const QString Number = QString(C.Text).replace(u',', u'.').trimmed();
      if (!SetNumber(C, Number))
        Fail(QStringLiteral("\"%1\" is not a number").arg(C.Text));
    }
  }

  PExpr ParseAdditive()
  {
    PExpr L = ParseTerm();
    for (;;) {
      if (Take("+"))
        L = Binary(coADD, std::move(L), ParseTerm());
      else if (Take("-"))
        L = Binary(coSUB, std::move(L), ParseTerm());
      else
        return L;
    }
  }

  PExpr ParseTerm()
  {
    PExpr L = ParseSigned();
    for (;;) {
      if (Take("*"))
        L = Binary(coMUL, std::move(L), ParseSigned());
      else if (Take("/"))
        L = Binary(coDIV, std::move(L), ParseSigned());
      else
        return L;
    }
  }

  // A minus before a number belongs to the number; before anything else it
  // subtracts from zero.
  PExpr ParseSigned()
  {
    TDepth D(*this);
    if (Take("-")) {
      if (AtNumber())
        return NumberConst(QLatin1Char('-') + ReadNumber(false));
      PExpr Zero = std::make_unique<TExpr>();
      SetNumber(*Zero, QStringLiteral("0"));
      return Binary(coSUB, std::move(Zero), ParseSigned());
    }
    if (Take("+"))
      return ParseSigned();
    return ParsePrimary();
  }

  PExpr ParsePrimary()
  {
    if (AtEnd())
      Fail(QStringLiteral("value expected"));
    if (Take("(")) {
      PExpr N = ParseOr();
      if (!Take(")"))
        Fail(QStringLiteral("missing \")\""));
      return N;
    }
    auto C = std::make_unique<TExpr>();
    if (AtText()) {
      SetText(*C, ReadText());
      return C;
    }
    if (AtDate()) {
      const QDateTime D = ReadDate();
      SetDate(*C, D, D.time().msecsSinceStartOfDay() == 0 ? scDate : scDateTime);
      return C;
    }
    if (AtNumber())
      return NumberConst(ReadNumber(false));
    if (Keyword("null")) {
      C->Lit = TLit::Null;
      C->Code = scNull;
      return C;
    }
    for (const bool B : {true, false}) {
      if (Keyword(B ? "true" : "false")) {
        C->Lit = TLit::Bool;
        C->Code = scBoolean;
        C->Value = QByteArray(1, char(B ? 1 : 0)) + QByteArray(1, '\0');
        return C;
      }
    }
    if (!AtNameStart())
      Fail(QStringLiteral("value expected"));
    const bool Bracketed = S[P] == u'[';
    const qsizetype NameAt = P;
    const QString Name = ReadName();
    if (!Bracketed && Take("("))
      return ParseCall(Name, NameAt);
    return FieldRef(Name, NameAt);
  }

  PExpr NumberConst(const QString& Text)
  {
    auto C = std::make_unique<TExpr>();
    if (!SetNumber(*C, Text))
      Fail(QStringLiteral("invalid number \"%1\"").arg(Text));
    return C;
  }

  PExpr FieldRef(const QString& Name, qsizetype NameAt)
  {
    TFilterExprField F;
    if (!FFields || !FFields(Name, F)) {
      P = NameAt;
      Fail(QStringLiteral("unknown field \"%1\"").arg(Name));
    }
    if (FParserOptions.Contains(poAggregate) && FAggregateDepth == 0) {
      P = NameAt;
      Fail(QStringLiteral("the field \"%1\" is outside an aggregate function").arg(Name));
    }
    PExpr N = Node(enField, coFIELD);
    N->Name = Name;
    N->Field = F;
    return N;
  }

  PExpr ParseCall(const QString& Name, qsizetype NameAt)
  {
    const TExprFunctionInfo* Info = FindExprFunction(Name);
    if (!Info) {
      P = NameAt;
      Fail(QStringLiteral("Unsupported function: %1").arg(Name));
    }
    if (Info->Aggregate) {
      if (!FParserOptions.Contains(poAggregate)) {
        P = NameAt;
        Fail(QStringLiteral("the aggregate function %1 is not allowed here").arg(Name));
      }
      if (FAggregateDepth > 0) {
        P = NameAt;
        Fail(QStringLiteral("the aggregate function %1 is inside another aggregate").arg(Name));
      }
    }
    PExpr N = Node(enFunc, coFUNC);
    N->Name = Name;
    const bool CountAll = Info->Func == efCount && Take("*");
    if (CountAll) {
      if (!Take(")"))
        Fail(QStringLiteral("missing \")\""));
      return N;
    }
    if (Info->Aggregate)
      ++FAggregateDepth;
    if (!Take(")")) {
      do
        N->Args.push_back(ParseOr());
      while (Take(","));
      if (!Take(")"))
        Fail(QStringLiteral("missing \")\""));
    }
    if (Info->Aggregate)
      --FAggregateDepth;
    const int Count = int(N->Args.size());
    if (Count < Info->MinArgs || Count > Info->MaxArgs || (Info->Aggregate && Count != 1)) {
      P = NameAt;
      Fail(QStringLiteral("Incorrect number of arguments in function <%1>").arg(Name));
    }
    return N;
  }

  // Constants

  static void SetText(TExpr& C, const QString& Text)
  {
    C.Lit = TLit::Text;
    C.Text = Text;
    C.Code = scWideText;
    C.Value = EncodeWideText(Text);
  }

  static void SetDate(TExpr& C, const QDateTime& D, std::uint16_t Code)
  {
    C.Lit = TLit::Date;
    C.Date = D;
    const std::int64_t Day = std::int64_t(std::floor(FilterDateTimeValue(QDateTime(D.date(), QTime(0, 0))))) + DateDelta;
    const int MSec = D.time().msecsSinceStartOfDay();
    switch (Code) {
    case scDate:
      C.Code = scDate;
      C.Value = Bytes32(std::int32_t(Day));
      break;
    case scTime:
      C.Code = scTime;
      C.Value = Bytes32(MSec);
      break;
    default:
      C.Code = scDateTime;
      C.Value = BytesDouble(double(Day) * MSecsPerDay + MSec);
      break;
    }
  }

  // Integers as 32 or 64 bits, decimals that fit a currency exactly as BCD,
  // anything else as a double.
  static bool SetNumber(TExpr& C, const QString& Text)
  {
    bool Ok = false;
    const double D = Text.toDouble(&Ok);
    if (Text.isEmpty() || !Ok || !std::isfinite(D))
      return false;
    C.Lit = TLit::Number;
    C.Text = Text;
    const bool Exponent = Text.contains(u'e', Qt::CaseInsensitive);
    if (!Exponent && !Text.contains(u'.')) {
      const qlonglong I = Text.toLongLong(&Ok);
      if (Ok && I >= std::numeric_limits<std::int32_t>::min() && I <= std::numeric_limits<std::int32_t>::max()) {
        C.Code = scInteger;
        C.Value = Bytes32(std::int32_t(I));
        return true;
      }
      if (Ok) {
        C.Code = scLargeint;
        C.Value = Bytes64(I);
        return true;
      }
    } else if (!Exponent && Text.size() - Text.indexOf(u'.') - 1 <= 4 && Text.size() < 60) {
      const QByteArray Bcd = EncodeBcd(Text);
      Int64 Raw = 0;
      if (BcdToCurrencyRaw(Bcd, Raw)) {
        C.Code = scBCD;
        C.Value = Bcd;
        return true;
      }
    }
    C.Code = scFloat;
    C.Value = BytesDouble(D);
    return true;
  }

  // Code

  int Emit(TExprCodeWriter& W, const TExpr& N)
  {
    switch (N.Class) {
    case enField: {
      const int At = W.AddNode(enField, coFIELD, 2);
      W.SetOperand(At, 0, N.Field.FieldNo);
      W.SetOperand(At, 1, W.AddName(N.Name));
      return At;
    }
    case enConst:
      return W.AddConst(N.Code, N.Value);
    case enUnary: {
      const int At = W.AddNode(enUnary, N.Op, 1);
      W.SetOperand(At, 0, Emit(W, *N.Args[0]));
      return At;
    }
    case enCompare: {
      const int At = W.AddNode(enCompare, N.Op, 4);
      W.SetOperand(At, 0, N.IgnoreCase ? 1 : 0);
      W.SetOperand(At, 1, N.Partial);
      W.SetOperand(At, 2, Emit(W, *N.Args[0]));
      W.SetOperand(At, 3, Emit(W, *N.Args[1]));
      return At;
    }
    case enFunc: {
      const int At = W.AddNode(enFunc, coFUNC, 2);
      W.SetOperand(At, 0, W.AddName(N.Name));
      W.SetOperand(At, 1, EmitList(W, N, 0));
      return At;
    }
    default: {
      const int At = W.AddNode(enBinary, N.Op, 2);
      W.SetOperand(At, 0, Emit(W, *N.Args[0]));
      W.SetOperand(At, 1, N.Op == coIN ? EmitList(W, N, 1) : Emit(W, *N.Args[1]));
      return At;
    }
    }
  }

  // The argument list from Args[From] on; 0 when empty.
  int EmitList(TExprCodeWriter& W, const TExpr& N, std::size_t From)
  {
    int First = 0, Prev = -1;
    for (std::size_t I = From; I < N.Args.size(); ++I) {
      const int At = W.AddNode(enListElem, coLISTELEM, 2);
      if (Prev < 0)
        First = At;
      else
        W.SetOperand(Prev, 1, At);
      W.SetOperand(At, 0, Emit(W, *N.Args[I]));
      Prev = At;
    }
    return First;
  }

  TFilterExprFieldResolver FFields;
  TFilterOptions FFilterOptions;
  TParserOptions FParserOptions;
  const TFieldMap& FFieldMap;
  int FDepth = 0;
  int FAggregateDepth = 0;
};

}  // namespace

TFilterExprParser::TFilterExprParser(TFilterExprFieldResolver Fields, const String& Text,
                                     TFilterOptions FilterOptions, TParserOptions ParserOptions,
                                     const TFieldMap& FieldMap)
{
  if (Text.trimmed().isEmpty())
    return;
  FData = TCompiler(Text, std::move(Fields), FilterOptions, ParserOptions, FieldMap).Compile();
}

TFilterExprParser::TFilterExprParser(TDataSet* DataSet, const String& Text, TFilterOptions FilterOptions,
                                     TParserOptions ParserOptions, const TFieldMap& FieldMap)
    : TFilterExprParser(
          [DataSet](const String& Name, TFilterExprField& Field) {
            if (!DataSet)
              return false;
            TFieldDefs* Defs = DataSet->FieldDefs();
            const Integer I = Defs->IndexOf(Name);
            if (I < 0)
              return false;
            Field.FieldNo = I + 1;
            Field.DataType = Defs->Items(I)->DataType();
            return true;
          },
          Text, FilterOptions, ParserOptions, FieldMap)
{
}

// ---------------------------------------------------------------------------
// BCD

bool BcdToCurrencyRaw(const QByteArray& Bcd, Int64& Raw)
{
  if (Bcd.size() < 2)
    return false;
  const int Precision = quint8(Bcd[0]);
  const int Places = quint8(Bcd[1]) & 0x3F;
  const bool Neg = (quint8(Bcd[1]) & 0x80) != 0;
  if (Precision > 64 || Places > Precision || Bcd.size() < 2 + (Precision + 1) / 2)
    return false;
  // Magnitude in units of 1/10000, exact: the bound is the 64-bit range
  // itself, one more on the negative side.
  const unsigned __int128 Limit = Neg ? (unsigned __int128)(std::numeric_limits<std::int64_t>::max()) + 1
                                      : (unsigned __int128)(std::numeric_limits<std::int64_t>::max());
  unsigned __int128 Value = 0;
  int RoundDigit = -1;
  const int Kept = Precision - Places + std::min(Places, 4);   // digits down to 1/10000
  for (int I = 0; I < Precision; ++I) {
    const quint8 Byte = quint8(Bcd[2 + I / 2]);
    const int D = I % 2 == 0 ? Byte >> 4 : Byte & 0x0F;
    if (D > 9)
      return false;
    if (I < Kept) {
      Value = Value * 10 + unsigned(D);
      if (Value > Limit)
        return false;
    } else if (I == Kept) {
      RoundDigit = D;
    }
  }
  for (int I = Places; I < 4; ++I) {
    Value *= 10;
    if (Value > Limit)
      return false;
  }
  if (RoundDigit >= 5) {   // half away from zero
    ++Value;
    if (Value > Limit)
      return false;
  }
  Raw = Neg ? Int64(-(__int128)Value) : Int64(Value);
  return true;
}
