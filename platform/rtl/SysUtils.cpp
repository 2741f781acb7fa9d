// SysUtils.cpp: string helpers, integer and floating-point text, Format,
// and the date-time routines, all with the program's Russian settings.
#include "platform/rtl/SysUtils.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <unicode/ucol.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

void Abort()
{
  throw EAbort();
}

// ---- Format settings --------------------------------------------------------

TFormatSettings TFormatSettings::Russian()
{
  TFormatSettings S;
  S.CurrencyFormat = 3;
  S.NegCurrFormat = 8;
  S.ThousandSeparator = QChar(0x00A0);
  S.DecimalSeparator = QLatin1Char(',');
  S.CurrencyDecimals = 2;
  S.DateSeparator = QLatin1Char('.');
  S.TimeSeparator = QLatin1Char(':');
  S.ListSeparator = QLatin1Char(';');
  S.CurrencyString = QStringLiteral("₽");
  S.ShortDateFormat = QStringLiteral("dd.mm.yyyy");
  S.LongDateFormat = QStringLiteral("d MMMM yyyy 'г.'");
  S.TimeAMString = String();
  S.TimePMString = String();
  S.ShortTimeFormat = QStringLiteral("h:mm");
  S.LongTimeFormat = QStringLiteral("h:mm:ss");
  const char* const ShortMonths[] = {"янв", "фев", "мар", "апр", "май", "июн",
                                     "июл", "авг", "сен", "окт", "ноя", "дек"};
  const char* const LongMonths[] = {"Январь", "Февраль", "Март",     "Апрель",  "Май",    "Июнь",
                                    "Июль",   "Август",  "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
  const char* const ShortDays[] = {"Вс", "Пн", "Вт", "Ср", "Чт", "Пт", "Сб"};
  const char* const LongDays[] = {"воскресенье", "понедельник", "вторник", "среда",
                                  "четверг",     "пятница",     "суббота"};
  for (int I = 0; I < 12; ++I) {
    S.ShortMonthNames.Items[I] = String::fromUtf8(ShortMonths[I]);
    S.LongMonthNames.Items[I] = String::fromUtf8(LongMonths[I]);
  }
  for (int I = 0; I < 7; ++I) {
    S.ShortDayNames.Items[I] = String::fromUtf8(ShortDays[I]);
    S.LongDayNames.Items[I] = String::fromUtf8(LongDays[I]);
  }
  S.TwoDigitYearCenturyWindow = 50;
  S.FirstDayOfWeek = 0;
  return S;
}

TFormatSettings TFormatSettings::Invariant()
{
  TFormatSettings S;
  S.CurrencyFormat = 0;
  S.NegCurrFormat = 0;
  S.ThousandSeparator = QLatin1Char(',');
  S.DecimalSeparator = QLatin1Char('.');
  S.CurrencyDecimals = 2;
  S.DateSeparator = QLatin1Char('/');
  S.TimeSeparator = QLatin1Char(':');
  S.ListSeparator = QLatin1Char(',');
  S.CurrencyString = QStringLiteral("\u00A4");
  S.ShortDateFormat = QStringLiteral("MM/dd/yyyy");
  S.LongDateFormat = QStringLiteral("dddd, dd MMMMM yyyy");
  S.TimeAMString = QStringLiteral("AM");
  S.TimePMString = QStringLiteral("PM");
  S.ShortTimeFormat = QStringLiteral("HH:mm");
  S.LongTimeFormat = QStringLiteral("HH:mm:ss");
  const char* const ShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const char* const LongMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};
  const char* const ShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  const char* const LongDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  for (int I = 0; I < 12; ++I) {
    S.ShortMonthNames.Items[I] = QLatin1String(ShortMonths[I]);
    S.LongMonthNames.Items[I] = QLatin1String(LongMonths[I]);
  }
  for (int I = 0; I < 7; ++I) {
    S.ShortDayNames.Items[I] = QLatin1String(ShortDays[I]);
    S.LongDayNames.Items[I] = QLatin1String(LongDays[I]);
  }
  S.TwoDigitYearCenturyWindow = 50;
  S.FirstDayOfWeek = 6;
  return S;
}

TFormatSettings FormatSettings = TFormatSettings::Russian();

// ---- Strings ----------------------------------------------------------------

int Pos(const String& Substr, const String& S, int Offset)
{
  if (Substr.isEmpty() || Offset < 1 || Offset > S.size())
    return 0;
  return static_cast<int>(S.indexOf(Substr, Offset - 1, Qt::CaseSensitive)) + 1;
}

int Pos(QChar C, const String& S, int Offset)
{
  if (Offset < 1 || Offset > S.size())
    return 0;
  return static_cast<int>(S.indexOf(C, Offset - 1, Qt::CaseSensitive)) + 1;
}

int PosEx(const String& Substr, const String& S, int Offset)
{
  return Pos(Substr, S, Offset);
}

String Copy(const String& S, int Index, int Count)
{
  if (Index < 1)
    Index = 1;
  if (Count <= 0 || Index > S.size())
    return String();
  return S.mid(Index - 1, Count);
}

AnsiString Copy(const AnsiString& S, int Index, int Count)
{
  if (Index < 1)
    Index = 1;
  if (Count <= 0 || Index > S.size())
    return AnsiString();
  return S.mid(Index - 1, Count);
}

void Delete(String& S, int Index, int Count)
{
  if (Index < 1 || Index > S.size() || Count <= 0)
    return;
  S.remove(Index - 1, Count);
}

void Insert(const String& Source, String& S, int Index)
{
  if (Index < 1)
    Index = 1;
  if (Index > S.size() + 1)
    Index = static_cast<int>(S.size()) + 1;
  S.insert(Index - 1, Source);
}

String StringOfChar(QChar C, int Count)
{
  return Count > 0 ? String(Count, C) : String();
}

static bool IsBlank(QChar C)
{
  return C.unicode() <= 32;
}

String Trim(const String& S)
{
  qsizetype L = 0;
  qsizetype R = S.size();
  while (L < R && IsBlank(S[L]))
    ++L;
  while (R > L && IsBlank(S[R - 1]))
    --R;
  return (L == 0 && R == S.size()) ? S : S.mid(L, R - L);
}

String TrimLeft(const String& S)
{
  qsizetype L = 0;
  while (L < S.size() && IsBlank(S[L]))
    ++L;
  return L == 0 ? S : S.mid(L);
}

String TrimRight(const String& S)
{
  qsizetype R = S.size();
  while (R > 0 && IsBlank(S[R - 1]))
    --R;
  return R == S.size() ? S : S.left(R);
}

String UpperCase(const String& S)
{
  String R = S;
  for (QChar& C : R)
    if (C >= QLatin1Char('a') && C <= QLatin1Char('z'))
      C = QChar(C.unicode() - 32);
  return R;
}

String LowerCase(const String& S)
{
  String R = S;
  for (QChar& C : R)
    if (C >= QLatin1Char('A') && C <= QLatin1Char('Z'))
      C = QChar(C.unicode() + 32);
  return R;
}

// One unit for one unit, so that positions stay valid.
String AnsiUpperCase(const String& S)
{
  String R = S;
  for (QChar& C : R)
    C = C.toUpper();
  return R;
}

String AnsiLowerCase(const String& S)
{
  String R = S;
  for (QChar& C : R)
    C = C.toLower();
  return R;
}

int CompareStr(const String& S1, const String& S2)
{
  const qsizetype N = std::min(S1.size(), S2.size());
  for (qsizetype I = 0; I < N; ++I)
    if (S1[I] != S2[I])
      return static_cast<int>(S1[I].unicode()) - static_cast<int>(S2[I].unicode());
  return static_cast<int>(S1.size() - S2.size());
}

static ushort FoldAscii(QChar C)
{
  const ushort U = C.unicode();
  return (U >= 'a' && U <= 'z') ? U - 32 : U;
}

int CompareText(const String& S1, const String& S2)
{
  const qsizetype N = std::min(S1.size(), S2.size());
  for (qsizetype I = 0; I < N; ++I) {
    const ushort A = FoldAscii(S1[I]);
    const ushort B = FoldAscii(S2[I]);
    if (A != B)
      return static_cast<int>(A) - static_cast<int>(B);
  }
  return static_cast<int>(S1.size() - S2.size());
}

bool SameStr(const String& S1, const String& S2)
{
  return S1 == S2;
}

bool SameText(const String& S1, const String& S2)
{
  return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}

// The root table of the collation library is the common Unicode order; a
// tailoring (the Russian one puts Cyrillic before Latin) is never used, so the
// order does not follow the process locale. One collator per thread and case
// form, opened on first use: a collator is not safe to share.
namespace {
struct TCollatorClose {
  void operator()(UCollator* C) const { ucol_close(C); }
};
}  // namespace

static UCollator* TextCollator(bool CaseSensitive)
{
  thread_local std::unique_ptr<UCollator, TCollatorClose> Collators[2];
  auto& C = Collators[CaseSensitive ? 1 : 0];
  if (C)
    return C.get();
  UErrorCode Err = U_ZERO_ERROR;
  C.reset(ucol_open("", &Err));
  if (U_FAILURE(Err) || !C)
    throw Exception(QStringLiteral("Cannot open the text collation table: %1").arg(QLatin1String(u_errorName(Err))));
  // Secondary strength ignores case but keeps accents: ё stays apart from е.
  ucol_setStrength(C.get(), CaseSensitive ? UCOL_TERTIARY : UCOL_SECONDARY);
  return C.get();
}

static int Sign(int V)
{
  return V < 0 ? -1 : V > 0 ? 1 : 0;
}

int CollateText(QStringView S1, QStringView S2, bool CaseSensitive)
{
  if (S1 == S2)
    return 0;
  const UCollationResult R = ucol_strcoll(TextCollator(CaseSensitive), S1.utf16(), int32_t(S1.size()),
                                          S2.utf16(), int32_t(S2.size()));
  if (R != UCOL_EQUAL)
    return R == UCOL_LESS ? -1 : 1;
  // The collator calls some distinct texts equal (ignorable characters,
  // composed and decomposed letters); a sorted list still needs one order.
  return CaseSensitive ? Sign(S1.compare(S2)) : 0;
}

void AppendCollationKey(std::string& Key, QStringView S, bool CaseSensitive)
{
  UCollator* C = TextCollator(CaseSensitive);
  const std::size_t At = Key.size();
  std::size_t Room = 16 + 3 * std::size_t(S.size());
  Key.resize(At + Room);
  auto Out = [&] { return reinterpret_cast<uint8_t*>(Key.data() + At); };
  std::size_t N = std::size_t(ucol_getSortKey(C, S.utf16(), int32_t(S.size()), Out(), int32_t(Room)));
  if (N > Room) {
    Room = N;
    Key.resize(At + Room);
    N = std::size_t(ucol_getSortKey(C, S.utf16(), int32_t(S.size()), Out(), int32_t(Room)));
  }
  // The key ends with its only zero byte, so a key never orders by what
  // follows it unless the keys are equal: then the code units decide, as in
  // CollateText.
  Key.resize(At + N);
  if (!CaseSensitive)
    return;
  for (const QChar U : S) {
    Key.push_back(char(U.unicode() >> 8));
    Key.push_back(char(U.unicode() & 0xFF));
  }
}

int AnsiCompareStr(const String& S1, const String& S2)
{
  return CollateText(S1, S2, true);
}

int AnsiCompareText(const String& S1, const String& S2)
{
  return CollateText(S1, S2, false);
}

bool AnsiSameStr(const String& S1, const String& S2)
{
  return AnsiCompareStr(S1, S2) == 0;
}

bool AnsiSameText(const String& S1, const String& S2)
{
  return AnsiCompareText(S1, S2) == 0;
}

String StringReplace(const String& S, const String& OldPattern, const String& NewPattern,
                     TReplaceFlags Flags)
{
  if (OldPattern.isEmpty())
    return S;
  const Qt::CaseSensitivity Cs = Flags.Contains(rfIgnoreCase) ? Qt::CaseInsensitive : Qt::CaseSensitive;
  String Result;
  qsizetype From = 0;
  for (;;) {
    const qsizetype At = S.indexOf(OldPattern, From, Cs);
    if (At < 0)
      break;
    Result += QStringView(S).mid(From, At - From);
    Result += NewPattern;
    From = At + OldPattern.size();
    if (!Flags.Contains(rfReplaceAll))
      break;
  }
  if (From == 0)
    return S;
  Result += QStringView(S).mid(From);
  return Result;
}

String QuotedStr(const String& S)
{
  return AnsiQuotedStr(S, QLatin1Char('\''));
}

String AnsiQuotedStr(const String& S, QChar Quote)
{
  String R;
  R.reserve(S.size() + 2);
  R += Quote;
  for (QChar C : S) {
    R += C;
    if (C == Quote)
      R += Quote;
  }
  R += Quote;
  return R;
}

String AnsiDequotedStr(const String& S, QChar Quote)
{
  if (S.isEmpty() || S[0] != Quote)
    return S;
  String R;
  qsizetype I = 1;
  while (I < S.size()) {
    if (S[I] == Quote) {
      if (I + 1 < S.size() && S[I + 1] == Quote) {
        R += Quote;
        I += 2;
        continue;
      }
      break;   // the closing quote; anything after it is not part of the value
    }
    R += S[I++];
  }
  return R;
}

// ---- Integers ---------------------------------------------------------------

String IntToStr(Int64 Value)
{
  return String::number(Value);
}

String UIntToStr(UInt64 Value)
{
  return String::number(Value);
}

static String HexDigits(UInt64 Value, int Digits)
{
  String R = String::number(Value, 16).toUpper();
  if (R.size() < Digits)
    R.prepend(String(Digits - R.size(), QLatin1Char('0')));
  return R;
}

String IntToHex(Integer Value, int Digits)
{
  return HexDigits(static_cast<UInt64>(static_cast<Cardinal>(Value)), Digits);
}

String IntToHex(Int64 Value, int Digits)
{
  return HexDigits(static_cast<UInt64>(Value), Digits);
}

// Reads an integer as the original's Val does: leading blanks, a sign, "$",
// "0x" or "x" for hex, then digits to the end. Hex may use the full unsigned
// width of the target (it wraps to negative).
static bool ScanInteger(const String& S, Int64 Min, Int64 Max, UInt64 HexMax, Int64& Value)
{
  qsizetype I = 0;
  const qsizetype N = S.size();
  while (I < N && S[I] == QLatin1Char(' '))
    ++I;
  bool Negative = false;
  if (I < N && (S[I] == QLatin1Char('-') || S[I] == QLatin1Char('+'))) {
    Negative = S[I] == QLatin1Char('-');
    ++I;
  }
  bool Hex = false;
  if (I < N && S[I] == QLatin1Char('$')) {
    Hex = true;
    ++I;
  } else if (I + 1 < N && S[I] == QLatin1Char('0') && (S[I + 1] == QLatin1Char('x') || S[I + 1] == QLatin1Char('X'))) {
    Hex = true;
    I += 2;
  } else if (I < N && (S[I] == QLatin1Char('x') || S[I] == QLatin1Char('X'))) {
    Hex = true;
    ++I;
  }
  if (I >= N)
    return false;
  UInt64 Acc = 0;
  const UInt64 Base = Hex ? 16 : 10;
  const UInt64 Limit = Hex ? HexMax : (Negative ? static_cast<UInt64>(-(Min + 1)) + 1 : static_cast<UInt64>(Max));
  for (; I < N; ++I) {
    const ushort C = S[I].unicode();
    UInt64 D;
    if (C >= '0' && C <= '9')
      D = C - '0';
    else if (Hex && C >= 'a' && C <= 'f')
      D = C - 'a' + 10;
    else if (Hex && C >= 'A' && C <= 'F')
      D = C - 'A' + 10;
    else
      return false;
    if (Acc > (Limit - D) / Base)
      return false;
    Acc = Acc * Base + D;
  }
  if (Hex) {
    // Wrap into the signed range of the target, as a bit pattern.
    Int64 V;
    if (HexMax == 0xFFFFFFFFu)
      V = static_cast<Int64>(static_cast<Integer>(static_cast<Cardinal>(Acc)));
    else
      V = static_cast<Int64>(Acc);
    Value = Negative ? -V : V;
    return Value >= Min && Value <= Max;
  }
  Value = Negative ? static_cast<Int64>(0 - Acc) : static_cast<Int64>(Acc);
  return true;
}

bool TryStrToInt(const String& S, Integer& Value)
{
  Int64 V = 0;
  if (!ScanInteger(S, INT32_MIN, INT32_MAX, 0xFFFFFFFFu, V))
    return false;
  Value = static_cast<Integer>(V);
  return true;
}

Integer StrToInt(const String& S)
{
  Integer V = 0;
  if (!TryStrToInt(S, V))
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(S));
  return V;
}

Integer StrToIntDef(const String& S, Integer Default)
{
  Integer V = 0;
  return TryStrToInt(S, V) ? V : Default;
}

bool TryStrToInt64(const String& S, Int64& Value)
{
  return ScanInteger(S, INT64_MIN, INT64_MAX, UINT64_MAX, Value);
}

Int64 StrToInt64(const String& S)
{
  Int64 V = 0;
  if (!TryStrToInt64(S, V))
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(S));
  return V;
}

Int64 StrToInt64Def(const String& S, Int64 Default)
{
  Int64 V = 0;
  return TryStrToInt64(S, V) ? V : Default;
}

String BoolToStr(bool B, bool UseBoolStrs)
{
  if (UseBoolStrs)
    return B ? QStringLiteral("True") : QStringLiteral("False");
  return B ? QStringLiteral("-1") : QStringLiteral("0");
}

bool TryStrToBool(const String& S, bool& Value)
{
  if (S.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
    Value = true;
    return true;
  }
  if (S.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
    Value = false;
    return true;
  }
  double D = 0;
  if (TryStrToFloat(S, D)) {
    Value = D != 0;
    return true;
  }
  return false;
}

bool StrToBool(const String& S)
{
  bool B = false;
  if (!TryStrToBool(S, B))
    throw EConvertError(QStringLiteral("'%1' is not a valid boolean value").arg(S));
  return B;
}

// ---- Decimal digits ---------------------------------------------------------

namespace {

// A number as significant decimal digits: value = 0.D1D2… × 10^Exponent.
struct TDecimal {
  bool Negative = false;
  int Exponent = 0;
  std::string Digits;   // no trailing zeros; empty for zero
  bool Nan = false;
  bool Infinite = false;
};

void StripTrailingZeros(TDecimal& D)
{
  while (!D.Digits.empty() && D.Digits.back() == '0')
    D.Digits.pop_back();
  if (D.Digits.empty()) {
    D.Exponent = 0;
    D.Negative = false;
  }
}

// Eighteen significant digits of the double, correctly rounded from its
// exact value, as the original reads a double before formatting it.
TDecimal DecimalOfDouble(double V)
{
  TDecimal D;
  if (std::isnan(V)) {
    D.Nan = true;
    return D;
  }
  D.Negative = std::signbit(V);
  if (std::isinf(V)) {
    D.Infinite = true;
    return D;
  }
  if (V == 0) {
    D.Negative = false;
    return D;
  }
  char Buf[40];
  std::snprintf(Buf, sizeof Buf, "%.17e", std::fabs(V));
  D.Digits.reserve(18);
  D.Digits.push_back(Buf[0]);
  const char* P = Buf + 2;
  while (*P >= '0' && *P <= '9')
    D.Digits.push_back(*P++);
  D.Exponent = std::atoi(P + 1) + 1;
  StripTrailingZeros(D);
  return D;
}

TDecimal DecimalOfCurrency(Currency C)
{
  TDecimal D;
  const Int64 Raw = C.Raw();
  if (Raw == 0)
    return D;
  D.Negative = Raw < 0;
  const UInt64 Abs = Raw < 0 ? 0 - static_cast<UInt64>(Raw) : static_cast<UInt64>(Raw);
  D.Digits = std::to_string(Abs);
  D.Exponent = static_cast<int>(D.Digits.size()) - 4;
  StripTrailingZeros(D);
  return D;
}

// Keeps at most Precision significant digits and at most Decimals digits
// after the point, rounding half away from zero.
void RoundDecimal(TDecimal& D, int Precision, int Decimals)
{
  if (D.Digits.empty() || D.Nan || D.Infinite)
    return;
  const long Keep = std::min<long>(Precision, static_cast<long>(D.Exponent) + Decimals);
  if (Keep < 0) {
    D.Digits.clear();
    StripTrailingZeros(D);
    return;
  }
  if (Keep >= static_cast<long>(D.Digits.size()))
    return;
  const bool Up = D.Digits[static_cast<size_t>(Keep)] >= '5';
  D.Digits.resize(static_cast<size_t>(Keep));
  if (Up) {
    long I = Keep - 1;
    while (I >= 0 && D.Digits[static_cast<size_t>(I)] == '9') {
      D.Digits[static_cast<size_t>(I)] = '0';
      --I;
    }
    if (I < 0) {
      D.Digits.insert(D.Digits.begin(), '1');
      ++D.Exponent;
    } else {
      ++D.Digits[static_cast<size_t>(I)];
    }
  }
  StripTrailingZeros(D);
}

char DigitAt(const TDecimal& D, long Index)
{
  return Index >= 0 && Index < static_cast<long>(D.Digits.size()) ? D.Digits[static_cast<size_t>(Index)] : '0';
}

String ExponentText(int Exp, int MinDigits, bool PlusSign)
{
  String R;
  if (Exp < 0)
    R += QLatin1Char('-');
  else if (PlusSign)
    R += QLatin1Char('+');
  String Num = String::number(std::abs(Exp));
  if (Num.size() < MinDigits)
    Num.prepend(String(MinDigits - Num.size(), QLatin1Char('0')));
  return R + Num;
}

// Integer digits with optional grouping.
String IntegerPart(const TDecimal& D, QChar Thousands)
{
  String R;
  if (D.Exponent <= 0)
    return QStringLiteral("0");
  const int N = D.Exponent;
  R.reserve(N + N / 3);
  for (int I = 0; I < N; ++I) {
    if (!Thousands.isNull() && I > 0 && (N - I) % 3 == 0)
      R += Thousands;
    R += QLatin1Char(DigitAt(D, I));
  }
  return R;
}

String FixedText(const TDecimal& D, int Decimals, QChar Thousands, const TFormatSettings& Settings)
{
  String R = IntegerPart(D, Thousands);
  if (Decimals > 0) {
    R += Settings.DecimalSeparator;
    for (int I = 0; I < Decimals; ++I)
      R += QLatin1Char(DigitAt(D, D.Exponent + I));
  }
  return R;
}

String GeneralText(TDecimal D, int Precision, int ExpDigits, const TFormatSettings& Settings)
{
  RoundDecimal(D, Precision, 9999);
  if (D.Digits.empty())
    return QStringLiteral("0");
  String R;
  if (D.Negative)
    R += QLatin1Char('-');
  const int Count = static_cast<int>(D.Digits.size());
  if (D.Exponent > Precision || D.Exponent < -3) {
    R += QLatin1Char(D.Digits[0]);
    if (Count > 1) {
      R += Settings.DecimalSeparator;
      for (int I = 1; I < Count; ++I)
        R += QLatin1Char(D.Digits[static_cast<size_t>(I)]);
    }
    R += QLatin1Char('E');
    R += ExponentText(D.Exponent - 1, std::clamp(ExpDigits, 0, 4), false);
    return R;
  }
  const int Decimals = std::max(0, Count - D.Exponent);
  R += FixedText(D, Decimals, QChar(), Settings);
  return R;
}

String ExponentFormText(TDecimal D, int Precision, int ExpDigits, const TFormatSettings& Settings)
{
  RoundDecimal(D, Precision, 9999);
  String R;
  if (D.Negative)
    R += QLatin1Char('-');
  R += QLatin1Char(DigitAt(D, 0));
  if (Precision > 1) {
    R += Settings.DecimalSeparator;
    for (int I = 1; I < Precision; ++I)
      R += QLatin1Char(DigitAt(D, I));
  }
  R += QLatin1Char('E');
  R += ExponentText(D.Digits.empty() ? 0 : D.Exponent - 1, std::clamp(ExpDigits, 0, 4), true);
  return R;
}

String CurrencyText(const String& Number, bool Negative, const TFormatSettings& S)
{
  const String& C = S.CurrencyString;
  if (!Negative) {
    switch (S.CurrencyFormat) {
    case 0: return C + Number;
    case 1: return Number + C;
    case 2: return C + QLatin1Char(' ') + Number;
    default: return Number + QLatin1Char(' ') + C;
    }
  }
  const QChar M = QLatin1Char('-');
  const QChar B = QLatin1Char(' ');
  switch (S.NegCurrFormat) {
  case 0: return QLatin1Char('(') + C + Number + QLatin1Char(')');
  case 1: return M + C + Number;
  case 2: return C + M + Number;
  case 3: return C + Number + M;
  case 4: return QLatin1Char('(') + Number + C + QLatin1Char(')');
  case 5: return M + Number + C;
  case 6: return Number + M + C;
  case 7: return Number + C + M;
  case 8: return M + Number + B + C;
  case 9: return M + C + B + Number;
  case 10: return Number + B + C + M;
  case 11: return C + B + Number + M;
  case 12: return C + B + M + Number;
  case 13: return Number + M + B + C;
  case 14: return QLatin1Char('(') + C + B + Number + QLatin1Char(')');
  default: return QLatin1Char('(') + Number + B + C + QLatin1Char(')');
  }
}

String DecimalToText(const TDecimal& Source, TFloatFormat Format, int Precision, int Digits,
                     const TFormatSettings& Settings)
{
  if (Source.Nan)
    return QStringLiteral("NAN");
  if (Source.Infinite)
    return Source.Negative ? QStringLiteral("-INF") : QStringLiteral("INF");
  // 19 digits hold every Currency; doubles are clamped to 18 by their callers.
  if (Precision <= 0)
    Precision = 15;
  Precision = std::min(Precision, 19);
  switch (Format) {
  case ffGeneral: return GeneralText(Source, Precision, Digits, Settings);
  case ffExponent: return ExponentFormText(Source, Precision, Digits, Settings);
  case ffFixed:
  case ffNumber:
  case ffCurrency: {
    Digits = std::clamp(Digits, 0, 18);
    if (Source.Exponent > Precision)
      return GeneralText(Source, Precision, 0, Settings);
    TDecimal D = Source;
    RoundDecimal(D, Precision, Digits);
    const QChar Thousands = Format == ffFixed ? QChar() : Settings.ThousandSeparator;
    const String Number = FixedText(D, Digits, Thousands, Settings);
    if (Format == ffCurrency)
      return CurrencyText(Number, D.Negative, Settings);
    return D.Negative ? QLatin1Char('-') + Number : Number;
  }
  }
  return String();
}

}  // namespace

String FloatToStr(double Value)
{
  return FloatToStr(Value, FormatSettings);
}

String FloatToStr(double Value, const TFormatSettings& Settings)
{
  return DecimalToText(DecimalOfDouble(Value), ffGeneral, 15, 0, Settings);
}

String FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits)
{
  return FloatToStrF(Value, Format, Precision, Digits, FormatSettings);
}

String FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits,
                   const TFormatSettings& Settings)
{
  return DecimalToText(DecimalOfDouble(Value), Format, std::min(Precision, 18), Digits, Settings);
}

String CurrToStr(Currency Value)
{
  return CurrToStr(Value, FormatSettings);
}

String CurrToStr(Currency Value, const TFormatSettings& Settings)
{
  return DecimalToText(DecimalOfCurrency(Value), ffGeneral, 19, 0, Settings);
}

String CurrToStrF(Currency Value, TFloatFormat Format, int Digits)
{
  return CurrToStrF(Value, Format, Digits, FormatSettings);
}

String CurrToStrF(Currency Value, TFloatFormat Format, int Digits, const TFormatSettings& Settings)
{
  return DecimalToText(DecimalOfCurrency(Value), Format, 19, Digits, Settings);
}

// ---- FormatFloat ------------------------------------------------------------

namespace {

// Splits a format at the semicolons that stand outside quotes.
std::vector<String> SplitSections(const String& Format)
{
  std::vector<String> Sections(1);
  QChar Quote;
  for (QChar C : Format) {
    if (!Quote.isNull()) {
      if (C == Quote)
        Quote = QChar();
    } else if (C == QLatin1Char('\'') || C == QLatin1Char('"')) {
      Quote = C;
    } else if (C == QLatin1Char(';')) {
      if (Sections.size() == 3)
        break;
      Sections.emplace_back();
      continue;
    }
    Sections.back() += C;
  }
  return Sections;
}

// What a section asks for.
struct TMask {
  int IntPlaceholders = 0;
  int MinInt = 0;          // integer digits always shown ('0's from the first one)
  int DecPlaceholders = 0;
  int MinDec = 0;          // decimals always shown (up to the last '0')
  bool Thousands = false;
  bool Scientific = false;
  int ExpDigits = 0;
};

bool IsExponentAt(const String& S, qsizetype I)
{
  return (S[I] == QLatin1Char('E') || S[I] == QLatin1Char('e')) && I + 1 < S.size()
      && (S[I + 1] == QLatin1Char('+') || S[I + 1] == QLatin1Char('-'));
}

TMask AnalyseSection(const String& S)
{
  TMask M;
  bool AfterPoint = false;
  int FirstZero = -1;
  for (qsizetype I = 0; I < S.size(); ++I) {
    const QChar C = S[I];
    if (C == QLatin1Char('\'') || C == QLatin1Char('"')) {
      const qsizetype Close = S.indexOf(C, I + 1);
      I = Close < 0 ? S.size() : Close;
      continue;
    }
    if (C == QLatin1Char('0') || C == QLatin1Char('#')) {
      if (AfterPoint) {
        ++M.DecPlaceholders;
        if (C == QLatin1Char('0'))
          M.MinDec = M.DecPlaceholders;
      } else {
        if (C == QLatin1Char('0') && FirstZero < 0)
          FirstZero = M.IntPlaceholders;
        ++M.IntPlaceholders;
      }
    } else if (C == QLatin1Char('.')) {
      AfterPoint = true;
    } else if (C == QLatin1Char(',')) {
      M.Thousands = true;
    } else if (IsExponentAt(S, I)) {
      M.Scientific = true;
      qsizetype J = I + 2;
      while (J < S.size() && S[J] == QLatin1Char('0') && M.ExpDigits < 4) {
        ++M.ExpDigits;
        ++J;
      }
      break;   // what follows the exponent is written as it stands
    }
  }
  M.MinInt = FirstZero < 0 ? 0 : M.IntPlaceholders - FirstZero;
  return M;
}

// Writes the rounded number D through the section. Negative signs are the
// caller's.
String ApplySection(const String& S, const TMask& M, const TDecimal& D, const TFormatSettings& Settings)
{
  // The integer digits to write and the decimals.
  const int IntDigits = M.Scientific ? M.IntPlaceholders : std::max(0, D.Exponent);
  String IntText;
  for (int I = 0; I < IntDigits; ++I)
    IntText += QLatin1Char(DigitAt(D, I));
  // Significant digits only: no leading zeros in the integer part.
  while (!IntText.isEmpty() && IntText[0] == QLatin1Char('0'))
    IntText.remove(0, 1);
  if (IntText.size() < M.MinInt)
    IntText.prepend(String(M.MinInt - IntText.size(), QLatin1Char('0')));
  const int DecStart = M.Scientific ? M.IntPlaceholders : D.Exponent;
  int ShownDec = M.MinDec;
  for (int J = M.DecPlaceholders; J > ShownDec; --J)
    if (DigitAt(D, DecStart + J - 1) != '0') {
      ShownDec = J;
      break;
    }
  const int Exp = D.Digits.empty() ? 0 : D.Exponent - M.IntPlaceholders;

  String R;
  const int IntLen = static_cast<int>(IntText.size());
  int IntIndex = 0;   // integer placeholders seen
  int DecIndex = 0;   // decimal placeholders seen
  bool AfterPoint = false;
  auto EmitIntDigit = [&](int PosFromRight) {
    // PosFromRight counts from 1 at the units digit.
    if (PosFromRight > IntLen)
      return;
    R += IntText[IntLen - PosFromRight];
    if (M.Thousands && PosFromRight > 1 && (PosFromRight - 1) % 3 == 0)
      R += Settings.ThousandSeparator;
  };
  for (qsizetype I = 0; I < S.size(); ++I) {
    const QChar C = S[I];
    if (C == QLatin1Char('\'') || C == QLatin1Char('"')) {
      qsizetype Close = S.indexOf(C, I + 1);
      if (Close < 0)
        Close = S.size();
      R += QStringView(S).mid(I + 1, Close - I - 1);
      I = Close;
      continue;
    }
    if (C == QLatin1Char('0') || C == QLatin1Char('#')) {
      if (!AfterPoint) {
        const int Pos = M.IntPlaceholders - IntIndex;
        if (IntIndex == 0)
          for (int P = IntLen; P > Pos; --P)
            EmitIntDigit(P);   // digits beyond the placeholders go first
        EmitIntDigit(Pos);
        ++IntIndex;
      } else {
        ++DecIndex;
        if (DecIndex <= ShownDec)
          R += QLatin1Char(DigitAt(D, DecStart + DecIndex - 1));
      }
      continue;
    }
    if (C == QLatin1Char('.')) {
      if (!AfterPoint) {
        if (IntIndex == 0)
          for (int P = IntLen; P > 0; --P)
            EmitIntDigit(P);
        IntIndex = M.IntPlaceholders;
        if (ShownDec > 0)
          R += Settings.DecimalSeparator;
      }
      AfterPoint = true;
      continue;
    }
    if (C == QLatin1Char(','))
      continue;
    if (M.Scientific && IsExponentAt(S, I)) {
      R += C;
      if (S[I + 1] == QLatin1Char('+') || Exp < 0)
        R += Exp < 0 ? QLatin1Char('-') : QLatin1Char('+');
      String Num = String::number(std::abs(Exp));
      if (Num.size() < M.ExpDigits)
        Num.prepend(String(M.ExpDigits - Num.size(), QLatin1Char('0')));
      R += Num;
      I += 1 + M.ExpDigits;
      R += QStringView(S).mid(I + 1);   // the rest is literal text
      break;
    }
    R += C;
  }
  return R;
}

String FormatDecimal(const String& Format, const TDecimal& Value, bool FromCurrency,
                     const TFormatSettings& Settings)
{
  if (Value.Nan || Value.Infinite || Format.isEmpty())
    return DecimalToText(Value, ffGeneral, FromCurrency ? 19 : 15, 0, Settings);
  const std::vector<String> Sections = SplitSections(Format);
  auto Section = [&](size_t I) -> const String* {
    return I < Sections.size() && !Sections[I].isEmpty() ? &Sections[I] : nullptr;
  };
  auto Rounded = [&](const TMask& M) {
    TDecimal D = Value;
    if (M.Scientific)
      RoundDecimal(D, std::max(1, M.IntPlaceholders + M.DecPlaceholders), 9999);
    else
      RoundDecimal(D, 18, M.DecPlaceholders);
    return D;
  };

  const String* Chosen = Section(0);
  bool NeedMinus = false;
  if (Value.Digits.empty()) {
    if (Section(2))
      Chosen = Section(2);
  } else if (Value.Negative) {
    if (Section(1))
      Chosen = Section(1);
    else
      NeedMinus = true;
  }
  if (!Chosen)
    return DecimalToText(Value, ffGeneral, FromCurrency ? 19 : 15, 0, Settings);
  TMask M = AnalyseSection(*Chosen);
  if (!M.Scientific && Value.Exponent > 18)
    return DecimalToText(Value, ffGeneral, 15, 0, Settings);
  TDecimal D = Rounded(M);
  if (D.Digits.empty() && !Value.Digits.empty()) {
    // Rounded away to zero: the zero section when there is one, never "-0".
    NeedMinus = false;
    if (Section(2)) {
      Chosen = Section(2);
      M = AnalyseSection(*Chosen);
      D = Rounded(M);
    }
  }
  const String Text = ApplySection(*Chosen, M, D, Settings);
  return NeedMinus ? QLatin1Char('-') + Text : Text;
}

}  // namespace

String FormatFloat(const String& Format, double Value)
{
  return FormatFloat(Format, Value, FormatSettings);
}

String FormatFloat(const String& Format, double Value, const TFormatSettings& Settings)
{
  return FormatDecimal(Format, DecimalOfDouble(Value), false, Settings);
}

String FormatCurr(const String& Format, Currency Value)
{
  return FormatCurr(Format, Value, FormatSettings);
}

String FormatCurr(const String& Format, Currency Value, const TFormatSettings& Settings)
{
  return FormatDecimal(Format, DecimalOfCurrency(Value), true, Settings);
}

// ---- Reading numbers --------------------------------------------------------

namespace {

// Parses blanks, sign, digits, the decimal separator, digits, an exponent,
// blanks. Gives the digits and the power of ten separately so that a
// Currency can be read without passing through a double.
struct TScannedNumber {
  bool Negative = false;
  std::string Digits;   // all mantissa digits, leading zeros removed
  long Exponent = 0;    // value = Digits × 10^Exponent
};

bool ScanNumber(const String& S, QChar DecimalSeparator, TScannedNumber& Out)
{
  qsizetype I = 0;
  const qsizetype N = S.size();
  while (I < N && S[I] == QLatin1Char(' '))
    ++I;
  if (I < N && (S[I] == QLatin1Char('-') || S[I] == QLatin1Char('+'))) {
    Out.Negative = S[I] == QLatin1Char('-');
    ++I;
  }
  bool AnyDigit = false;
  while (I < N && S[I].isDigit() && S[I].unicode() < 128) {
    AnyDigit = true;
    if (!(Out.Digits.empty() && S[I] == QLatin1Char('0')))
      Out.Digits.push_back(static_cast<char>(S[I].unicode()));
    ++I;
  }
  if (I < N && S[I] == DecimalSeparator) {
    ++I;
    while (I < N && S[I].unicode() >= '0' && S[I].unicode() <= '9') {
      AnyDigit = true;
      if (!(Out.Digits.empty() && S[I] == QLatin1Char('0')))
        Out.Digits.push_back(static_cast<char>(S[I].unicode()));
      --Out.Exponent;
      ++I;
    }
  }
  if (!AnyDigit)
    return false;
  if (I < N && (S[I] == QLatin1Char('E') || S[I] == QLatin1Char('e'))) {
    ++I;
    bool ExpNegative = false;
    if (I < N && (S[I] == QLatin1Char('-') || S[I] == QLatin1Char('+'))) {
      ExpNegative = S[I] == QLatin1Char('-');
      ++I;
    }
    if (!(I < N && S[I].unicode() >= '0' && S[I].unicode() <= '9'))
      return false;
    long E = 0;
    while (I < N && S[I].unicode() >= '0' && S[I].unicode() <= '9') {
      if (E < 100000)
        E = E * 10 + (S[I].unicode() - '0');
      ++I;
    }
    Out.Exponent += ExpNegative ? -E : E;
  }
  while (I < N && S[I] == QLatin1Char(' '))
    ++I;
  return I == N;
}

}  // namespace

bool TryStrToFloat(const String& S, double& Value)
{
  return TryStrToFloat(S, Value, FormatSettings);
}

bool TryStrToFloat(const String& S, double& Value, const TFormatSettings& Settings)
{
  TScannedNumber Num;
  if (!ScanNumber(S, Settings.DecimalSeparator, Num))
    return false;
  // The C library converts "digits e exponent" correctly rounded.
  std::string Text = Num.Negative ? "-" : "";
  Text += Num.Digits.empty() ? std::string("0") : Num.Digits;
  Text += 'e';
  Text += std::to_string(Num.Exponent);
  char* End = nullptr;
  const double D = std::strtod(Text.c_str(), &End);
  if (std::isinf(D))
    return false;   // out of range, as the original refuses it
  Value = D;
  return true;
}

double StrToFloat(const String& S)
{
  return StrToFloat(S, FormatSettings);
}

double StrToFloat(const String& S, const TFormatSettings& Settings)
{
  double D = 0;
  if (!TryStrToFloat(S, D, Settings))
    throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(S));
  return D;
}

double StrToFloatDef(const String& S, double Default)
{
  return StrToFloatDef(S, Default, FormatSettings);
}

double StrToFloatDef(const String& S, double Default, const TFormatSettings& Settings)
{
  double D = 0;
  return TryStrToFloat(S, D, Settings) ? D : Default;
}

bool TryStrToCurr(const String& S, Currency& Value)
{
  return TryStrToCurr(S, Value, FormatSettings);
}

bool TryStrToCurr(const String& S, Currency& Value, const TFormatSettings& Settings)
{
  TScannedNumber Num;
  if (!ScanNumber(S, Settings.DecimalSeparator, Num))
    return false;
  if (Num.Digits.empty()) {
    Value = Currency();
    return true;
  }
  // Scale to ten-thousandths exactly, then round the dropped digits to even.
  const long Shift = Num.Exponent + 4;   // power of ten on the raw value
  if (static_cast<long>(Num.Digits.size()) + Shift > 19)
    return false;
  std::string Kept = Num.Digits;
  std::string Dropped;
  if (Shift >= 0) {
    Kept.append(static_cast<size_t>(Shift), '0');
  } else {
    const long Cut = static_cast<long>(Kept.size()) + Shift;
    if (Cut <= 0) {
      Dropped = std::string(static_cast<size_t>(-Cut), '0') + Kept;
      Kept.clear();
    } else {
      Dropped = Kept.substr(static_cast<size_t>(Cut));
      Kept.resize(static_cast<size_t>(Cut));
    }
  }
  unsigned __int128 Raw = 0;
  for (char C : Kept)
    Raw = Raw * 10 + static_cast<unsigned>(C - '0');
  if (!Dropped.empty()) {
    const char First = Dropped[0];
    const bool RestNonZero = Dropped.find_first_not_of('0', 1) != std::string::npos;
    if (First > '5' || (First == '5' && (RestNonZero || (Raw % 2) != 0)))
      Raw += 1;
  }
  const unsigned __int128 Limit = Num.Negative ? static_cast<unsigned __int128>(INT64_MAX) + 1 : INT64_MAX;
  if (Raw > Limit)
    return false;
  const Int64 Signed = Num.Negative ? static_cast<Int64>(0 - static_cast<UInt64>(Raw)) : static_cast<Int64>(Raw);
  Value = Currency::FromRaw(Signed);
  return true;
}

Currency StrToCurr(const String& S)
{
  return StrToCurr(S, FormatSettings);
}

Currency StrToCurr(const String& S, const TFormatSettings& Settings)
{
  Currency C;
  if (!TryStrToCurr(S, C, Settings))
    throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(S));
  return C;
}

Currency StrToCurrDef(const String& S, Currency Default)
{
  return StrToCurrDef(S, Default, FormatSettings);
}

Currency StrToCurrDef(const String& S, Currency Default, const TFormatSettings& Settings)
{
  Currency C;
  return TryStrToCurr(S, C, Settings) ? C : Default;
}

// ---- Format -----------------------------------------------------------------

namespace {

[[noreturn]] void RaiseFormatError(const String& Fmt)
{
  throw EConvertError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(Fmt));
}

[[noreturn]] void RaiseMissingArgument(const String& Fmt)
{
  throw EConvertError(QStringLiteral("No argument for format '%1'").arg(Fmt));
}

bool IsIntegerArg(const Variant& V)
{
  const TVarType T = V.VType();
  return T == varSmallint || T == varInteger || T == varShortInt || T == varByte || T == varWord
      || T == varLongWord || T == varInt64 || T == varUInt64;
}

bool IsFloatArg(const Variant& V)
{
  const TVarType T = V.VType();
  return T == varSingle || T == varDouble || T == varCurrency || T == varDate;
}

// 32-bit kinds print as 32-bit values (for %u and %x of a negative number).
bool IsNarrowArg(const Variant& V)
{
  const TVarType T = V.VType();
  return T != varInt64 && T != varUInt64;
}

}  // namespace

String Format(const String& Fmt, std::initializer_list<Variant> Args)
{
  return Format(Fmt, Args.begin(), static_cast<int>(Args.size()), FormatSettings);
}

String Format(const String& Fmt, std::initializer_list<Variant> Args, const TFormatSettings& Settings)
{
  return Format(Fmt, Args.begin(), static_cast<int>(Args.size()), Settings);
}

String Format(const String& Fmt, const Variant* Args, int Count, const TFormatSettings& Settings)
{
  String R;
  R.reserve(Fmt.size() + 16);
  int ArgIndex = 0;
  const qsizetype N = Fmt.size();
  auto NextArg = [&]() -> const Variant& {
    if (ArgIndex >= Count)
      RaiseMissingArgument(Fmt);
    return Args[ArgIndex++];
  };
  // A number, or "*" taking an integer argument; -1 when absent.
  auto ReadNumber = [&](qsizetype& I) -> int {
    if (I < N && Fmt[I] == QLatin1Char('*')) {
      ++I;
      const Variant& A = NextArg();
      if (!IsIntegerArg(A))
        RaiseFormatError(Fmt);
      return A.AsInteger();
    }
    if (!(I < N && Fmt[I].unicode() >= '0' && Fmt[I].unicode() <= '9'))
      return -1;
    int V = 0;
    while (I < N && Fmt[I].unicode() >= '0' && Fmt[I].unicode() <= '9') {
      V = std::min(V * 10 + (Fmt[I].unicode() - '0'), 100000);
      ++I;
    }
    return V;
  };

  for (qsizetype I = 0; I < N; ++I) {
    const QChar C = Fmt[I];
    if (C != QLatin1Char('%')) {
      R += C;
      continue;
    }
    ++I;
    if (I >= N)
      RaiseFormatError(Fmt);
    if (Fmt[I] == QLatin1Char('%')) {
      R += QLatin1Char('%');
      continue;
    }
    // [index ":"] ["-"] [width] ["." precision] type
    qsizetype Save = I;
    int Number = ReadNumber(I);
    if (I < N && Fmt[I] == QLatin1Char(':')) {
      ArgIndex = std::max(Number, 0);
      ++I;
    } else if (Number >= 0) {
      I = Save;   // it was the width; read it again below (a "*" takes no second argument)
      if (Fmt[I] == QLatin1Char('*'))
        --ArgIndex;
    }
    bool Left = false;
    if (I < N && Fmt[I] == QLatin1Char('-')) {
      Left = true;
      ++I;
    }
    int Width = ReadNumber(I);
    if (Width < 0)
      Width = 0;
    int Precision = -1;
    if (I < N && Fmt[I] == QLatin1Char('.')) {
      ++I;
      Precision = ReadNumber(I);
      if (Precision < 0)
        Precision = 0;
    }
    if (I >= N)
      RaiseFormatError(Fmt);
    const QChar Type = Fmt[I].toLower();
    const Variant& A = NextArg();
    String Text;
    switch (Type.unicode()) {
    case 'd':
    case 'u': {
      if (!IsIntegerArg(A))
        RaiseFormatError(Fmt);
      bool Negative = false;
      UInt64 Magnitude = 0;
      if (A.VType() == varUInt64) {
        Magnitude = A.AsUInt64();
      } else {
        const Int64 V = A.AsInt64();
        if (Type == QLatin1Char('u') && V < 0)
          Magnitude = IsNarrowArg(A) ? static_cast<UInt64>(static_cast<Cardinal>(V)) : static_cast<UInt64>(V);
        else {
          Negative = V < 0;
          Magnitude = Negative ? 0 - static_cast<UInt64>(V) : static_cast<UInt64>(V);
        }
      }
      Text = String::number(Magnitude);
      if (Precision > Text.size())
        Text.prepend(String(Precision - Text.size(), QLatin1Char('0')));
      if (Negative)
        Text.prepend(QLatin1Char('-'));
      break;
    }
    case 'x': {
      if (!IsIntegerArg(A))
        RaiseFormatError(Fmt);
      UInt64 V = A.VType() == varUInt64 ? A.AsUInt64() : static_cast<UInt64>(A.AsInt64());
      if (IsNarrowArg(A))
        V &= 0xFFFFFFFFu;
      Text = String::number(V, 16).toUpper();
      if (Precision > Text.size())
        Text.prepend(String(Precision - Text.size(), QLatin1Char('0')));
      break;
    }
    case 'e':
    case 'f':
    case 'g':
    case 'n':
    case 'm': {
      if (!IsFloatArg(A))
        RaiseFormatError(Fmt);
      const TDecimal D = A.VType() == varCurrency ? DecimalOfCurrency(A.AsCurrency()) : DecimalOfDouble(A.AsDouble());
      switch (Type.unicode()) {
      case 'e': Text = DecimalToText(D, ffExponent, Precision < 0 ? 15 : std::clamp(Precision, 1, 18), 3, Settings); break;
      case 'f': Text = DecimalToText(D, ffFixed, 18, Precision < 0 ? 2 : Precision, Settings); break;
      case 'g': Text = DecimalToText(D, ffGeneral, Precision < 0 ? 15 : std::clamp(Precision, 1, 18), 3, Settings); break;
      case 'n': Text = DecimalToText(D, ffNumber, 18, Precision < 0 ? 2 : Precision, Settings); break;
      default:
        Text = DecimalToText(D, ffCurrency, 18, Precision < 0 ? Settings.CurrencyDecimals : Precision, Settings);
        break;
      }
      break;
    }
    case 's': {
      if (!VarIsStr(A))
        RaiseFormatError(Fmt);
      Text = A.AsString();
      if (Precision >= 0 && Precision < Text.size())
        Text.truncate(Precision);
      break;
    }
    default:
      RaiseFormatError(Fmt);
    }
    if (Text.size() < Width) {
      const String Pad(Width - Text.size(), QLatin1Char(' '));
      Text = Left ? Text + Pad : Pad + Text;
    }
    R += Text;
  }
  return R;
}

// ---- Calendar ---------------------------------------------------------------

namespace {

const Word DaysOfMonth[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                 {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

// Whole days and milliseconds of a TDateTime: the day is the value's
// integer part (toward zero), the time its absolute fraction, so that
// -1.25 is 1899-12-29 06:00. A time that rounds to 24:00 is the next day.
void SplitDateTime(double Value, long& Day, int& MSec)
{
  const double Whole = std::trunc(Value);
  Day = static_cast<long>(Whole);
  long long Ms = std::llround(std::fabs(Value - Whole) * MSecsPerDay);
  if (Ms >= MSecsPerDay) {
    Ms -= MSecsPerDay;
    ++Day;
  }
  MSec = static_cast<int>(Ms);
}

// Day count from 0001-01-01 (= 1) to year, month, day; false before year 1
// or after 9999.
bool DecodeDayNumber(long T, Word& Year, Word& Month, Word& Day)
{
  if (T <= 0 || T > 3652059) {
    Year = Month = Day = 0;
    return false;
  }
  long D = T - 1;
  long Y = 1;
  Y += 400 * (D / 146097);
  D %= 146097;
  long I = D / 36524;
  if (I == 4)
    I = 3;
  Y += 100 * I;
  D -= I * 36524;
  Y += 4 * (D / 1461);
  D %= 1461;
  I = D / 365;
  if (I == 4)
    I = 3;
  Y += I;
  D -= I * 365;
  const bool Leap = IsLeapYear(static_cast<Word>(Y));
  int M = 0;
  while (D >= DaysOfMonth[Leap][M]) {
    D -= DaysOfMonth[Leap][M];
    ++M;
  }
  Year = static_cast<Word>(Y);
  Month = static_cast<Word>(M + 1);
  Day = static_cast<Word>(D + 1);
  return true;
}

}  // namespace

bool IsLeapYear(Word Year)
{
  return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0);
}

Word MonthDays(bool LeapYear, Word Month)
{
  return Month >= 1 && Month <= 12 ? DaysOfMonth[LeapYear][Month - 1] : 0;
}

bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date)
{
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12)
    return false;
  const bool Leap = IsLeapYear(Year);
  if (Day < 1 || Day > DaysOfMonth[Leap][Month - 1])
    return false;
  long DayOfYear = Day;
  for (int M = 0; M < Month - 1; ++M)
    DayOfYear += DaysOfMonth[Leap][M];
  const long Y = Year - 1;
  Date = TDateTime(static_cast<double>(Y * 365 + Y / 4 - Y / 100 + Y / 400 + DayOfYear) - DateDelta);
  return true;
}

TDateTime EncodeDate(Word Year, Word Month, Word Day)
{
  TDateTime D;
  if (!TryEncodeDate(Year, Month, Day, D))
    throw EConvertError(QStringLiteral("Invalid argument to date encode"));
  return D;
}

bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time)
{
  if (Hour >= 24 || Min >= 60 || Sec >= 60 || MSec >= 1000)
    return false;
  Time = TDateTime((Hour * 3600000.0 + Min * 60000.0 + Sec * 1000.0 + MSec) / MSecsPerDay);
  return true;
}

TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec)
{
  TDateTime T;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, T))
    throw EConvertError(QStringLiteral("Invalid argument to time encode"));
  return T;
}

bool DecodeDateFully(TDateTime Date, Word& Year, Word& Month, Word& Day, Word& DOW)
{
  long DayNumber = 0;
  int MSec = 0;
  SplitDateTime(Date, DayNumber, MSec);
  const long T = DayNumber + static_cast<long>(DateDelta);
  if (!DecodeDayNumber(T, Year, Month, Day)) {
    DOW = 0;
    return false;
  }
  DOW = static_cast<Word>(T % 7 + 1);
  return IsLeapYear(Year);
}

void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day)
{
  Word DOW = 0;
  DecodeDateFully(Date, Year, Month, Day, DOW);
}

void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec)
{
  long Day = 0;
  int Ms = 0;
  SplitDateTime(Time, Day, Ms);
  Hour = static_cast<Word>(Ms / 3600000);
  Min = static_cast<Word>(Ms / 60000 % 60);
  Sec = static_cast<Word>(Ms / 1000 % 60);
  MSec = static_cast<Word>(Ms % 1000);
}

int DayOfWeek(TDateTime Date)
{
  long Day = 0;
  int Ms = 0;
  SplitDateTime(Date, Day, Ms);
  const long T = Day + static_cast<long>(DateDelta);
  return static_cast<int>(((T % 7) + 7) % 7) + 1;
}

void ReplaceTime(TDateTime& DateTime, TDateTime NewTime)
{
  const double Whole = std::trunc(DateTime.Val);
  const double Time = std::fabs(NewTime.Val - std::trunc(NewTime.Val));
  DateTime = TDateTime(Whole >= 0 ? Whole + Time : Whole - Time);
}

void ReplaceDate(TDateTime& DateTime, TDateTime NewDate)
{
  TDateTime R(std::trunc(NewDate.Val));
  ReplaceTime(R, DateTime);
  DateTime = R;
}

TDateTime IncMonth(TDateTime Date, int NumberOfMonths)
{
  Word Y = 0, M = 0, D = 0;
  DecodeDate(Date, Y, M, D);
  long Months = static_cast<long>(Y) * 12 + (M - 1) + NumberOfMonths;
  const long NewYear = Months / 12;
  const Word NewMonth = static_cast<Word>(Months % 12 + 1);
  if (NewYear < 1 || NewYear > 9999)
    throw EConvertError(QStringLiteral("Invalid argument to date encode"));
  const Word Limit = MonthDays(IsLeapYear(static_cast<Word>(NewYear)), NewMonth);
  TDateTime R = EncodeDate(static_cast<Word>(NewYear), NewMonth, std::min(D, Limit));
  ReplaceTime(R, Date);
  return R;
}

TDateTime Now()
{
  const QDateTime T = QDateTime::currentDateTime();
  const QDate D = T.date();
  const QTime Tm = T.time();
  TDateTime R = EncodeDate(static_cast<Word>(D.year()), static_cast<Word>(D.month()), static_cast<Word>(D.day()));
  return TDateTime(R.Val + Tm.msecsSinceStartOfDay() / static_cast<double>(MSecsPerDay));
}

TDateTime Date()
{
  return TDateTime(std::trunc(Now().Val));
}

TDateTime Time()
{
  const double N = Now().Val;
  return TDateTime(N - std::trunc(N));
}

TDateTime GetTime()
{
  return Time();
}

// ---- FormatDateTime ---------------------------------------------------------

namespace {

struct TDateParts {
  Word Year = 0, Month = 0, Day = 0, DOW = 0;
  Word Hour = 0, Min = 0, Sec = 0, MSec = 0;
  bool HasTime = false;
};

TDateParts PartsOf(TDateTime Value)
{
  TDateParts P;
  long Day = 0;
  int Ms = 0;
  SplitDateTime(Value, Day, Ms);
  const long T = Day + static_cast<long>(DateDelta);
  if (DecodeDayNumber(T, P.Year, P.Month, P.Day))
    P.DOW = static_cast<Word>(T % 7 + 1);
  P.Hour = static_cast<Word>(Ms / 3600000);
  P.Min = static_cast<Word>(Ms / 60000 % 60);
  P.Sec = static_cast<Word>(Ms / 1000 % 60);
  P.MSec = static_cast<Word>(Ms % 1000);
  P.HasTime = Value.Val != std::trunc(Value.Val);
  return P;
}

void AppendNumber(String& R, int Value, int Width)
{
  String N = String::number(Value);
  if (N.size() < Width)
    R += String(Width - N.size(), QLatin1Char('0'));
  R += N;
}

bool StartsWithText(const String& S, qsizetype I, const char* Text)
{
  const qsizetype Len = static_cast<qsizetype>(std::strlen(Text));
  return I + Len <= S.size() && QStringView(S).mid(I, Len).compare(QLatin1String(Text), Qt::CaseInsensitive) == 0;
}

// Whether an am/pm marker follows in the format, outside quotes.
bool HasAmPmAfter(const String& F, qsizetype From)
{
  for (qsizetype I = From; I < F.size(); ++I) {
    const QChar C = F[I];
    if (C == QLatin1Char('"') || C == QLatin1Char('\'')) {
      const qsizetype Close = F.indexOf(C, I + 1);
      if (Close < 0)
        return false;
      I = Close;
      continue;
    }
    if (StartsWithText(F, I, "am/pm") || StartsWithText(F, I, "a/p") || StartsWithText(F, I, "ampm"))
      return true;
  }
  return false;
}

void AppendDateTime(String& R, const String& F, const TDateParts& P, const TFormatSettings& S, int Depth)
{
  if (Depth > 2)
    return;   // a format that names itself (ddddd inside ShortDateFormat)
  QChar LastToken;
  const qsizetype N = F.size();
  for (qsizetype I = 0; I < N;) {
    const QChar C = F[I];
    const QChar U = C.toUpper();
    // The length of the run of the same letter.
    qsizetype Run = 1;
    while (I + Run < N && F[I + Run].toUpper() == U)
      ++Run;
    switch (U.unicode()) {
    case '"':
    case '\'': {
      qsizetype Close = F.indexOf(C, I + 1);
      if (Close < 0)
        Close = N;
      R += QStringView(F).mid(I + 1, Close - I - 1);
      I = Close + 1;
      continue;
    }
    case 'C':
      AppendDateTime(R, S.ShortDateFormat, P, S, Depth + 1);
      if (P.HasTime) {
        R += QLatin1Char(' ');
        AppendDateTime(R, S.LongTimeFormat, P, S, Depth + 1);
      }
      I += 1;
      LastToken = U;
      continue;
    case 'D':
      switch (Run) {
      case 1: AppendNumber(R, P.Day, 1); break;
      case 2: AppendNumber(R, P.Day, 2); break;
      case 3: if (P.DOW) R += S.ShortDayNames[P.DOW]; break;
      case 4: if (P.DOW) R += S.LongDayNames[P.DOW]; break;
      case 5: AppendDateTime(R, S.ShortDateFormat, P, S, Depth + 1); break;
      default: AppendDateTime(R, S.LongDateFormat, P, S, Depth + 1); break;
      }
      Run = std::min<qsizetype>(Run, 6);
      break;
    case 'M':
      if (Run <= 2 && LastToken == QLatin1Char('H')) {
        AppendNumber(R, P.Min, static_cast<int>(Run));
      } else {
        Run = std::min<qsizetype>(Run, 4);
        switch (Run) {
        case 1: AppendNumber(R, P.Month, 1); break;
        case 2: AppendNumber(R, P.Month, 2); break;
        case 3: if (P.Month) R += S.ShortMonthNames[P.Month]; break;
        default: if (P.Month) R += S.LongMonthNames[P.Month]; break;
        }
      }
      break;
    case 'Y':
      if (Run <= 2)
        AppendNumber(R, P.Year % 100, 2);
      else
        AppendNumber(R, P.Year, 4);
      Run = std::min<qsizetype>(Run, 4);
      break;
    case 'H': {
      Run = std::min<qsizetype>(Run, 2);
      int Hour = P.Hour;
      if (HasAmPmAfter(F, I + Run)) {
        Hour %= 12;
        if (Hour == 0)
          Hour = 12;
      }
      AppendNumber(R, Hour, static_cast<int>(Run));
      break;
    }
    case 'N':
      Run = std::min<qsizetype>(Run, 2);
      AppendNumber(R, P.Min, static_cast<int>(Run));
      break;
    case 'S':
      Run = std::min<qsizetype>(Run, 2);
      AppendNumber(R, P.Sec, static_cast<int>(Run));
      break;
    case 'Z':
      Run = std::min<qsizetype>(Run, 3);
      AppendNumber(R, P.MSec, Run == 1 ? 1 : 3);
      break;
    case 'T':
      Run = std::min<qsizetype>(Run, 2);
      AppendDateTime(R, Run == 1 ? S.ShortTimeFormat : S.LongTimeFormat, P, S, Depth + 1);
      break;
    case 'A':
      if (StartsWithText(F, I, "am/pm")) {
        R += P.Hour >= 12 ? QStringView(F).mid(I + 3, 2) : QStringView(F).mid(I, 2);
        Run = 5;
      } else if (StartsWithText(F, I, "a/p")) {
        R += P.Hour >= 12 ? F[I + 2] : F[I];
        Run = 3;
      } else if (StartsWithText(F, I, "ampm")) {
        R += P.Hour >= 12 ? S.TimePMString : S.TimeAMString;
        Run = 4;
      } else {
        R += C;
        I += 1;
        continue;   // a plain letter, not a token
      }
      break;
    case '/':
      R += S.DateSeparator;
      I += 1;
      continue;
    case ':':
      R += S.TimeSeparator;
      I += 1;
      continue;
    default:
      R += C;
      I += 1;
      continue;
    }
    LastToken = U;
    I += Run;
  }
}

}  // namespace

String FormatDateTime(const String& Format, TDateTime DateTime)
{
  return FormatDateTime(Format, DateTime, FormatSettings);
}

String FormatDateTime(const String& Format, TDateTime DateTime, const TFormatSettings& Settings)
{
  String R;
  AppendDateTime(R, Format.isEmpty() ? QStringLiteral("c") : Format, PartsOf(DateTime), Settings, 0);
  return R;
}

void DateTimeToString(String& Result, const String& Format, TDateTime DateTime)
{
  Result = FormatDateTime(Format, DateTime, FormatSettings);
}

void DateTimeToString(String& Result, const String& Format, TDateTime DateTime, const TFormatSettings& Settings)
{
  Result = FormatDateTime(Format, DateTime, Settings);
}

String DateToStr(TDateTime Date)
{
  return DateToStr(Date, FormatSettings);
}

String DateToStr(TDateTime Date, const TFormatSettings& Settings)
{
  return FormatDateTime(QStringLiteral("ddddd"), Date, Settings);
}

String TimeToStr(TDateTime Time)
{
  return TimeToStr(Time, FormatSettings);
}

String TimeToStr(TDateTime Time, const TFormatSettings& Settings)
{
  return FormatDateTime(QStringLiteral("tt"), Time, Settings);
}

String DateTimeToStr(TDateTime DateTime)
{
  return DateTimeToStr(DateTime, FormatSettings);
}

String DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings)
{
  return FormatDateTime(QStringLiteral("c"), DateTime, Settings);
}

// ---- Reading dates and times ------------------------------------------------

namespace {

struct TScanner {
  const String& S;
  qsizetype Pos = 0;

  void SkipBlanks()
  {
    while (Pos < S.size() && S[Pos] == QLatin1Char(' '))
      ++Pos;
  }
  bool AtEnd()
  {
    SkipBlanks();
    return Pos >= S.size();
  }
  // Up to Max digits; Length gets how many were read.
  bool Number(int& Value, int& Length, int Max = 4)
  {
    SkipBlanks();
    Value = 0;
    Length = 0;
    while (Pos < S.size() && S[Pos].unicode() >= '0' && S[Pos].unicode() <= '9' && Length < Max) {
      Value = Value * 10 + (S[Pos].unicode() - '0');
      ++Length;
      ++Pos;
    }
    return Length > 0;
  }
  bool Char(QChar C)
  {
    SkipBlanks();
    if (Pos < S.size() && S[Pos] == C) {
      ++Pos;
      return true;
    }
    return false;
  }
  bool Text(const String& T)
  {
    SkipBlanks();
    if (T.isEmpty() || Pos + T.size() > S.size())
      return false;
    if (QStringView(S).mid(Pos, T.size()).compare(T, Qt::CaseInsensitive) != 0)
      return false;
    Pos += T.size();
    return true;
  }
};

enum class TDateOrder { DMY, MDY, YMD };

TDateOrder DateOrderOf(const String& ShortDateFormat)
{
  for (QChar C : ShortDateFormat) {
    switch (C.toUpper().unicode()) {
    case 'D': return TDateOrder::DMY;
    case 'M': return TDateOrder::MDY;
    case 'Y': return TDateOrder::YMD;
    default: break;
    }
  }
  return TDateOrder::DMY;
}

int CurrentYear()
{
  Word Y = 0, M = 0, D = 0;
  DecodeDate(Date(), Y, M, D);
  return Y;
}

bool ScanDate(TScanner& Sc, const TFormatSettings& S, TDateTime& Value)
{
  int N1 = 0, N2 = 0, N3 = 0, L1 = 0, L2 = 0, L3 = 0;
  if (!Sc.Number(N1, L1) || !Sc.Char(S.DateSeparator) || !Sc.Number(N2, L2))
    return false;
  const qsizetype AfterTwo = Sc.Pos;
  bool Three = false;
  if (Sc.Char(S.DateSeparator)) {
    if (Sc.Number(N3, L3))
      Three = true;
    else
      Sc.Pos = AfterTwo;
  }
  int Y = 0, M = 0, D = 0, YearLength = 4;
  const TDateOrder Order = DateOrderOf(S.ShortDateFormat);
  if (!Three) {
    Y = CurrentYear();
    if (Order == TDateOrder::DMY) {
      D = N1;
      M = N2;
    } else {
      M = N1;
      D = N2;
    }
  } else {
    switch (Order) {
    case TDateOrder::DMY: D = N1; M = N2; Y = N3; YearLength = L3; break;
    case TDateOrder::MDY: M = N1; D = N2; Y = N3; YearLength = L3; break;
    case TDateOrder::YMD: Y = N1; M = N2; D = N3; YearLength = L1; break;
    }
    if (YearLength <= 2) {
      const int Current = CurrentYear();
      Y += Current / 100 * 100;
      if (S.TwoDigitYearCenturyWindow > 0) {
        const int Start = Current - S.TwoDigitYearCenturyWindow;
        if (Y < Start)
          Y += 100;
        else if (Y > Start + 99)
          Y -= 100;
      }
    }
  }
  if (Y < 1 || Y > 9999 || M < 1 || M > 12 || D < 1 || D > 31)
    return false;
  return TryEncodeDate(static_cast<Word>(Y), static_cast<Word>(M), static_cast<Word>(D), Value);
}

bool ScanAmPm(TScanner& Sc, const TFormatSettings& S, int& AmPm)
{
  // 0 none, 1 am, 2 pm.
  if (Sc.Text(S.TimeAMString) || Sc.Text(QStringLiteral("AM"))) {
    AmPm = 1;
    return true;
  }
  if (Sc.Text(S.TimePMString) || Sc.Text(QStringLiteral("PM"))) {
    AmPm = 2;
    return true;
  }
  return false;
}

bool ScanTime(TScanner& Sc, const TFormatSettings& S, TDateTime& Value)
{
  int AmPm = 0;
  ScanAmPm(Sc, S, AmPm);
  int Hour = 0, Min = 0, Sec = 0, MSec = 0, L = 0;
  if (!Sc.Number(Hour, L, 2))
    return false;
  bool HaveMinutes = false;
  if (Sc.Char(S.TimeSeparator)) {
    if (!Sc.Number(Min, L, 2))
      return false;
    HaveMinutes = true;
    if (Sc.Char(S.TimeSeparator)) {
      if (!Sc.Number(Sec, L, 2))
        return false;
      if (Sc.Char(QLatin1Char('.')) || Sc.Char(S.DecimalSeparator)) {
        // A fraction of a second: ".5" is 500 ms.
        int Frac = 0, FracLength = 0;
        if (!Sc.Number(Frac, FracLength, 3))
          return false;
        MSec = FracLength == 1 ? Frac * 100 : FracLength == 2 ? Frac * 10 : Frac;
        while (Sc.Pos < Sc.S.size() && Sc.S[Sc.Pos].isDigit())
          ++Sc.Pos;   // finer digits than milliseconds are dropped
      }
    }
  }
  if (AmPm == 0)
    ScanAmPm(Sc, S, AmPm);
  if (!HaveMinutes && AmPm == 0)
    return false;
  if (AmPm != 0) {
    if (Hour < 1 || Hour > 12)
      return false;
    if (Hour == 12)
      Hour = 0;
    if (AmPm == 2)
      Hour += 12;
  }
  return TryEncodeTime(static_cast<Word>(Hour), static_cast<Word>(Min), static_cast<Word>(Sec),
                       static_cast<Word>(MSec), Value);
}

}  // namespace

bool TryStrToDate(const String& S, TDateTime& Value)
{
  return TryStrToDate(S, Value, FormatSettings);
}

bool TryStrToDate(const String& S, TDateTime& Value, const TFormatSettings& Settings)
{
  TScanner Sc{S};
  TDateTime D;
  if (!ScanDate(Sc, Settings, D) || !Sc.AtEnd())
    return false;
  Value = D;
  return true;
}

TDateTime StrToDate(const String& S)
{
  return StrToDate(S, FormatSettings);
}

TDateTime StrToDate(const String& S, const TFormatSettings& Settings)
{
  TDateTime D;
  if (!TryStrToDate(S, D, Settings))
    throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(S));
  return D;
}

TDateTime StrToDateDef(const String& S, TDateTime Default)
{
  TDateTime D;
  return TryStrToDate(S, D) ? D : Default;
}

bool TryStrToTime(const String& S, TDateTime& Value)
{
  return TryStrToTime(S, Value, FormatSettings);
}

bool TryStrToTime(const String& S, TDateTime& Value, const TFormatSettings& Settings)
{
  TScanner Sc{S};
  TDateTime T;
  if (!ScanTime(Sc, Settings, T) || !Sc.AtEnd())
    return false;
  Value = T;
  return true;
}

TDateTime StrToTime(const String& S)
{
  return StrToTime(S, FormatSettings);
}

TDateTime StrToTime(const String& S, const TFormatSettings& Settings)
{
  TDateTime T;
  if (!TryStrToTime(S, T, Settings))
    throw EConvertError(QStringLiteral("'%1' is not a valid time").arg(S));
  return T;
}

TDateTime StrToTimeDef(const String& S, TDateTime Default)
{
  TDateTime T;
  return TryStrToTime(S, T) ? T : Default;
}

bool TryStrToDateTime(const String& S, TDateTime& Value)
{
  return TryStrToDateTime(S, Value, FormatSettings);
}

bool TryStrToDateTime(const String& S, TDateTime& Value, const TFormatSettings& Settings)
{
  TScanner Sc{S};
  TDateTime D;
  if (ScanDate(Sc, Settings, D)) {
    if (Sc.AtEnd()) {
      Value = D;
      return true;
    }
    TDateTime T;
    if (ScanTime(Sc, Settings, T) && Sc.AtEnd()) {
      Value = TDateTime(D.Val >= 0 ? D.Val + T.Val : D.Val - T.Val);
      return true;
    }
  }
  return TryStrToTime(S, Value, Settings);
}

TDateTime StrToDateTime(const String& S)
{
  return StrToDateTime(S, FormatSettings);
}

TDateTime StrToDateTime(const String& S, const TFormatSettings& Settings)
{
  TDateTime D;
  if (!TryStrToDateTime(S, D, Settings))
    throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(S));
  return D;
}

TDateTime StrToDateTimeDef(const String& S, TDateTime Default)
{
  TDateTime D;
  return TryStrToDateTime(S, D) ? D : Default;
}

// ---- Files and folders ------------------------------------------------------

String GetCurrentDir()
{
  return QDir::currentPath();
}

String IncludeTrailingPathDelimiter(const String& Folder)
{
  if (Folder.isEmpty() || Folder.endsWith(QLatin1Char('/')))
    return Folder;
  return Folder + QLatin1Char('/');
}

bool FileExists(const String& FileName)
{
  return QFileInfo(FileName).isFile();
}

QStringList FindFileNames(const String& Folder, const String& Mask)
{
  return QDir(Folder).entryList({Mask}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

// ---- Languages --------------------------------------------------------------

static QLocale::Language LanguageOfCode(const String& LanguageCode)
{
  if (LanguageCode.size() != 3)
    return QLocale::AnyLanguage;
  return QLocale::codeToLanguage(LanguageCode.toLower(), QLocale::ISO639Part2);
}

String LocaleLanguageCode(const String& LocaleName)
{
  const QLocale::Language L = QLocale(LocaleName).language();
  if (L == QLocale::C || L == QLocale::AnyLanguage)
    return String();
  return QLocale::languageToCode(L, QLocale::ISO639Part2T).toUpper();
}

String NativeLanguageName(const String& LanguageCode)
{
  const QLocale::Language L = LanguageOfCode(LanguageCode);
  return L == QLocale::AnyLanguage ? String() : QLocale(L).nativeLanguageName();
}

bool IsLanguageCode(const String& LanguageCode)
{
  return LanguageOfCode(LanguageCode) != QLocale::AnyLanguage;
}

void OutputDebugString(const String& Text)
{
  qDebug().noquote() << Text;
}
