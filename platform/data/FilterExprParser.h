// FilterExprParser.h: the filter-expression compiler of the data library. It
// turns the text of a dataset filter or aggregate ("[Name] like 'Цех%' and
// Qty * Price > 100", "SUM(Amount) / COUNT(*)") into expression code: a
// compact byte form that evaluators walk without re-parsing.
//
// Expression code (integers little-endian):
//   bytes 0-1 format version, 2-5 total size, 6-7 node count, 8-9 start of
//   the literal area (absolute). Nodes begin at byte 10; a node at node
//   offset N starts at byte 10 + N with its class (32 bits), its operator (32
//   bits) and its 16-bit operands. The root is at node offset 0. Literal
//   offsets count from the literal area; a name literal is 8-bit text ended
//   by a zero byte.
#pragma once

#include "platform/data/DB.h"
#include "platform/rtl/SysUtils.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <functional>
#include <string>
#include <vector>

// The compiled form of one expression; shared, so copies are cheap.
using TExprData = QByteArray;

// Node classes and operators of the expression code.
enum TExprNodeClass : std::uint32_t {
  enUnary = 1, enBinary = 2, enCompare = 3, enField = 4, enConst = 5, enFunc = 10, enListElem = 11
};
enum TCanOperator : std::uint32_t {
  coISBLANK = 1, coNOTBLANK = 2, coEQ = 3, coNE = 4, coGT = 5, coLT = 6, coGE = 7, coLE = 8, coNOT = 9,
  coAND = 10, coOR = 11, coFIELD = 13, coCONST = 14, coMINUS = 15, coADD = 16, coSUB = 17, coMUL = 18,
  coDIV = 19, coLIKE = 30, coIN = 31, coUPPER = 33, coLOWER = 34, coFUNC = 35, coLISTELEM = 36
};

// Storage codes of constants (the field type a constant decodes to).
enum : std::uint16_t {
  scString = 1, scDate = 2, scBoolean = 4, scSmallint = 5, scInteger = 6, scFloat = 7, scBCD = 8,
  scBytes = 9, scTime = 10, scDateTime = 11, scLargeint = 18, scWideText = 4103,
  scNull = 0xFFFF   // beyond every type: the constant is Null
};

// The parser's options: functions and arithmetic (extended syntax), and
// aggregate functions. An aggregate expression reads fields only inside
// aggregate functions; a filter admits none.
enum TParserOption { poExtSyntax, poAggregate };
using TParserOptions = TSet<TParserOption>;

// Storage code of each field type, in the order of TFieldType.
using TFieldMap = std::array<std::uint8_t, ftSingle + 1>;

// A malformed expression; the message says what and where.
class EFilterExprError : public Exception {
public:
  explicit EFilterExprError(const String& Msg) : Exception(Msg) {}
};

// LIKE: % any run of characters (also * when AsteriskAnyRun, as the ADO
// filter reads it), _ exactly one, [x] the character x itself; the whole
// text must match.
bool FilterLikeMatch(QStringView Text, QStringView Pattern, bool CaseInsensitive, bool AsteriskAnyRun = false);

// A LIKE pattern read once, for a filter that matches it against many texts.
// A pattern of the plain forms "text", "text%", "%text" and "%text%" (no "_",
// no inner "%") is matched as an equality, prefix, suffix or substring test.
// Not for use by two threads at once: it keeps the byte forms it made.
class TFilterLikePattern {
public:
  // PlainForms false leaves every pattern to the general matcher.
  explicit TFilterLikePattern(QStringView Pattern, bool AsteriskAnyRun = false, bool PlainForms = true);
  bool Matches(QStringView Text, bool CaseInsensitive) const;
  // Matches for a text of one byte a character (Latin-1).
  bool Matches(QLatin1StringView Text, bool CaseInsensitive) const;
  // Matches for a text of one byte a character over a page of 128: a byte
  // below 0x80 is ASCII, any other stands for Page * 128 + (byte - 0x80).
  // Page 1 is Latin-1.
  bool Matches(QByteArrayView Text, unsigned Page, bool CaseInsensitive) const;

private:
  struct TToken {
    enum TKind : char16_t { Any, One, Char } Kind;
    char16_t C;
  };
  enum class TForm : char { General, Equal, Prefix, Suffix, Contains };
  // The literal of a plain form in the byte form of one page, for one case
  // rule: with Fold, a byte matches a literal byte when it folds to it.
  struct TPageForm {
    unsigned Page = 0;
    bool CaseInsensitive = false;
    bool Possible = true;   // false: some literal character has no byte in the page
    std::string Bytes;
    std::array<unsigned char, 256> Fold{};
  };
  template <class TText>
  bool MatchesText(TText Text, bool CaseInsensitive) const;
  bool MatchesWide(QStringView Text, bool CaseInsensitive) const;
  template <class TSame>
  static bool FormHolds(TForm Form, qsizetype N, qsizetype M, TSame Same);
  const TPageForm& PageForm(unsigned Page, bool CaseInsensitive) const;
  std::vector<TToken> FTokens;
  TForm FForm = TForm::General;
  std::u16string FLiteral, FUpperLiteral;
  mutable std::vector<TPageForm> FPageForms;
  mutable std::size_t FLastPageForm = 0;
};
// Text for a LIKE pattern that matches itself literally: each of Specials
// and "[" in brackets.
QString FilterLikeEscape(QStringView Text, QStringView Specials = u"%_*?");
// A field name in brackets for a filter, "]" doubled.
QString FilterBracketName(QStringView Name);

// The lexical level that the filter languages of the data library share:
// blanks, keywords, [bracketed] or plain names, quoted texts ('O''Neil'),
// #dates# and numbers. A parser derives from it and says how to fail.
class TFilterScanner {
public:
  explicit TFilterScanner(const QString& Text) : S(Text) {}
  virtual ~TFilterScanner() = default;

protected:
  [[noreturn]] virtual void Fail(const QString& What) const = 0;
  void SkipBlanks();
  bool AtEnd();
  // The word, in any case, not followed by a letter, digit or "_".
  bool Keyword(const char* Word);
  // The token exactly as written ("<>", "(").
  bool Take(const char* Token);
  bool AtNameStart();
  // "[any name]" or a run of letters, digits, "_" and ".".
  QString ReadName();
  bool AtText();
  // A text in single or double quotes; the quote doubled stands for itself.
  QString ReadText();
  bool AtDate();
  // #yyyy-mm-dd#, #dd.mm.yyyy#, with an optional time.
  QDateTime ReadDate();
  bool AtNumber();
  // Digits with an optional fraction and exponent (a leading sign when
  // AllowSign); the text as written.
  QString ReadNumber(bool AllowSign);

  const QString& S;
  qsizetype P = 0;
};

// A text as a date-time ("2024-01-10", "10.01.2024 12:30:00"); invalid when
// it is none.
QDateTime FilterTextToDateTime(const QString& Text);
// The TDateTime of a date-time.
double FilterDateTimeValue(const QDateTime& D);

// Writes expression code node by node. Nodes are written parent first, so
// that the root lands at node offset 0; operands that are node offsets are
// patched once the child is written.
class TExprCodeWriter {
public:
  TExprCodeWriter();
  // A node with room for Operands operands, all 0; returns its offset.
  int AddNode(std::uint32_t NodeClass, std::uint32_t Operator, int Operands);
  void SetOperand(int Node, int Index, int Value);
  // A literal's offset within the literal area.
  int AddLiteral(const QByteArray& Bytes);
  int AddName(const QString& Name);   // UTF-8, zero-terminated
  int AddConst(std::uint16_t StorageCode, const QByteArray& Value);
  int NextNodeOffset() const { return int(FNodes.size()); }
  // The finished code; raises EFilterExprError when the expression is too
  // large for 16-bit offsets.
  TExprData Finish() const;

private:
  QByteArray FNodes;
  QByteArray FLiterals;
  int FNodeCount = 0;
};

// The value bytes of constants.
QByteArray EncodeBcd(const QString& Decimal);   // an exact decimal text "-12.3400"
QByteArray EncodeWideText(const QString& Text);
// A BCD value as a currency's raw 1/10000 units, rounded half away from zero
// beyond four places; false when it is malformed or outside the currency
// range (checked exactly, not through a double).
bool BcdToCurrencyRaw(const QByteArray& Bcd, Int64& Raw);

// The functions of the language, by name (ASCII letters in any case).
enum TExprFunction {
  efSubstring, efUpper, efLower, efTrim, efTrimLeft, efTrimRight, efYear, efMonth, efDay, efHour, efMinute,
  efSecond, efGetDate, efDate, efTime, efSum, efMin, efMax, efAvg, efCount
};
struct TExprFunctionInfo {
  const char* Name;
  TExprFunction Func;
  int MinArgs, MaxArgs;   // COUNT(*) is COUNT with none
  bool Aggregate;
};
// Nullptr for a name that is no function.
const TExprFunctionInfo* FindExprFunction(const String& Name);

// What the parser knows of a field: its 1-based number and type.
struct TFilterExprField {
  Integer FieldNo = 0;
  TFieldType DataType = ftUnknown;
};
// Resolves a field name (case-insensitive); false when unknown.
using TFilterExprFieldResolver = std::function<bool(const String& Name, TFilterExprField& Field)>;

// Compiles one expression. The fields resolve by name; the field map says
// how a constant compared with a field is stored; the filter options decide
// partial comparison (a text ending in "*" compares by its start unless
// foNoPartialCompare) and its case.
class TFilterExprParser {
public:
  TFilterExprParser(TFilterExprFieldResolver Fields, const String& Text, TFilterOptions FilterOptions,
                    TParserOptions ParserOptions, const TFieldMap& FieldMap);
  // The same against the field definitions of a dataset.
  TFilterExprParser(TDataSet* DataSet, const String& Text, TFilterOptions FilterOptions,
                    TParserOptions ParserOptions, const TFieldMap& FieldMap);

  const TExprData& FilterData() const { return FData; }
  Integer DataSize() const { return Integer(FData.size()); }

private:
  TExprData FData;
};
