// SysUtils.h: exceptions, string routines, number and date formatting with
// the program's (Russian) format settings.
#pragma once

#include "platform/rtl/System.h"

#include <QStringList>

#include <exception>
#include <string>

// The base of every exception the platform and the libraries raise. what()
// gives the message in UTF-8.
class Exception : public std::exception {
public:
  explicit Exception(const String& Msg) : FMessage(Msg), FUtf8(Msg.toUtf8()) {}
  const String& Message() const { return FMessage; }
  void SetMessage(const String& Value) { FMessage = Value; FUtf8 = Value.toUtf8(); }
  const char* what() const noexcept override { return FUtf8.constData(); }

private:
  String FMessage;
  QByteArray FUtf8;
};

#define VELMORA_EXCEPTION(Name, Base)                   \
  class Name : public Base {                            \
  public:                                               \
    explicit Name(const String& Msg) : Base(Msg) {}     \
  };

// Silent exception: stops an operation without a message.
class EAbort : public Exception {
public:
  EAbort() : Exception(QStringLiteral("Operation aborted")) {}
  explicit EAbort(const String& Msg) : Exception(Msg) {}
};

VELMORA_EXCEPTION(EConvertError, Exception)
VELMORA_EXCEPTION(EListError, Exception)
VELMORA_EXCEPTION(EStringListError, Exception)
VELMORA_EXCEPTION(EStreamError, Exception)
VELMORA_EXCEPTION(EFileStreamError, EStreamError)
VELMORA_EXCEPTION(EFCreateError, EFileStreamError)
VELMORA_EXCEPTION(EFOpenError, EFileStreamError)
VELMORA_EXCEPTION(EResNotFound, Exception)
VELMORA_EXCEPTION(EFilerError, EStreamError)
VELMORA_EXCEPTION(EReadError, EFilerError)
VELMORA_EXCEPTION(EWriteError, EFilerError)
VELMORA_EXCEPTION(EClassNotFound, EFilerError)
VELMORA_EXCEPTION(EComponentError, Exception)
VELMORA_EXCEPTION(EPropertyError, Exception)
VELMORA_EXCEPTION(EInvalidOperation, Exception)
VELMORA_EXCEPTION(EInvalidCast, Exception)
VELMORA_EXCEPTION(EVariantError, Exception)
VELMORA_EXCEPTION(EMathError, Exception)
VELMORA_EXCEPTION(EZeroDivide, EMathError)
VELMORA_EXCEPTION(EOverflow, EMathError)
VELMORA_EXCEPTION(EInvalidArgument, EMathError)
VELMORA_EXCEPTION(EIntError, Exception)
VELMORA_EXCEPTION(ERangeError, EIntError)
VELMORA_EXCEPTION(EOutOfMemory, Exception)
VELMORA_EXCEPTION(EInOutError, Exception)
VELMORA_EXCEPTION(EOSError, Exception)
VELMORA_EXCEPTION(ENotSupportedException, Exception)
VELMORA_EXCEPTION(EArgumentException, Exception)
VELMORA_EXCEPTION(EArgumentOutOfRangeException, EArgumentException)

// Raises EAbort.
[[noreturn]] void Abort();

// ---------------------------------------------------------------------------
// Everything below: strings, numbers, dates and their text forms.

#include "platform/rtl/Currency.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/Variants.h"

#include <array>

// A fixed list of names indexed from 1, as the original's month and day
// name arrays are.
template <int N>
struct TNameList {
  std::array<String, N> Items;
  String& operator[](int Index) { return Items[Index - 1]; }
  const String& operator[](int Index) const { return Items[Index - 1]; }
};

// Number, date and currency text conventions. The program's FormatSettings
// start as the Russian ones whatever the process locale is.
struct TFormatSettings {
  Byte CurrencyFormat = 3;       // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
  Byte NegCurrFormat = 8;        // 0 "($1)" … 8 "-1 $" … 15 "(1 $)"
  QChar ThousandSeparator = QChar(0x00A0);
  QChar DecimalSeparator = QLatin1Char(',');
  Byte CurrencyDecimals = 2;
  QChar DateSeparator = QLatin1Char('.');
  QChar TimeSeparator = QLatin1Char(':');
  QChar ListSeparator = QLatin1Char(';');
  String CurrencyString;
  String ShortDateFormat;
  String LongDateFormat;
  String TimeAMString;
  String TimePMString;
  String ShortTimeFormat;
  String LongTimeFormat;
  TNameList<12> ShortMonthNames;
  TNameList<12> LongMonthNames;
  TNameList<7> ShortDayNames;    // [1] is Sunday
  TNameList<7> LongDayNames;
  Word TwoDigitYearCenturyWindow = 50;
  Byte FirstDayOfWeek = 0;       // 0 Monday … 6 Sunday

  // The Russian conventions the program runs with.
  static TFormatSettings Russian();
  // A neutral set: "." decimal, "," thousands, English names.
  static TFormatSettings Invariant();
};

// The settings every routine without an explicit TFormatSettings uses.
extern TFormatSettings FormatSettings;

// ---- Strings (positions count from 1) -------------------------------------

enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = TSet<TReplaceFlag>;

inline int Length(const String& S) { return static_cast<int>(S.size()); }
inline int Length(const AnsiString& S) { return static_cast<int>(S.size()); }
inline void SetLength(String& S, int NewLength) { S.resize(NewLength < 0 ? 0 : NewLength); }
// Position of the first Substr in S at or after Offset, 0 when absent.
int Pos(const String& Substr, const String& S, int Offset = 1);
int Pos(QChar C, const String& S, int Offset = 1);
int PosEx(const String& Substr, const String& S, int Offset = 1);
// Count characters from Index; out-of-range parts are clipped.
String Copy(const String& S, int Index, int Count);
AnsiString Copy(const AnsiString& S, int Index, int Count);
void Delete(String& S, int Index, int Count);
void Insert(const String& Source, String& S, int Index);
String StringOfChar(QChar C, int Count);

// Blanks and control characters (code <= 32) at the ends.
String Trim(const String& S);
String TrimLeft(const String& S);
String TrimRight(const String& S);

// ASCII-only case (other letters stay).
String UpperCase(const String& S);
String LowerCase(const String& S);
// Full case with the Russian rules (ё/Ё included).
String AnsiUpperCase(const String& S);
String AnsiLowerCase(const String& S);

// Ordinal comparison of UTF-16 units; CompareText folds ASCII letters only.
int CompareStr(const String& S1, const String& S2);
int CompareText(const String& S1, const String& S2);
bool SameStr(const String& S1, const String& S2);
bool SameText(const String& S1, const String& S2);
// The program's one text order, the same whatever the process locale: the
// common Unicode order (punctuation, digits, Latin, Cyrillic; ё right after
// е; lower case before upper case). -1, 0 or 1. The case-sensitive form calls
// only identical texts equal. String lists, the grids and the datasets' sort
// and filter all compare through it.
int CollateText(QStringView S1, QStringView S2, bool CaseSensitive);
// Appends S's key in that order to Key: keys compared as unsigned bytes
// (std::string_view::compare) order as CollateText orders their texts. For
// sorting many texts: each text is collated once, each comparison is memcmp.
void AppendCollationKey(std::string& Key, QStringView S, bool CaseSensitive);
// CollateText case-sensitive and case-insensitive.
int AnsiCompareStr(const String& S1, const String& S2);
int AnsiCompareText(const String& S1, const String& S2);
bool AnsiSameStr(const String& S1, const String& S2);
bool AnsiSameText(const String& S1, const String& S2);

String StringReplace(const String& S, const String& OldPattern, const String& NewPattern,
                     TReplaceFlags Flags);
String QuotedStr(const String& S);
String AnsiQuotedStr(const String& S, QChar Quote);
// S without its quotes (doubled quotes inside become one); S itself when it
// does not start with Quote.
String AnsiDequotedStr(const String& S, QChar Quote);

// ---- Integers -------------------------------------------------------------

String IntToStr(Int64 Value);
String UIntToStr(UInt64 Value);
// Upper-case hex of at least Digits digits; a negative Integer as 32 bits.
String IntToHex(Integer Value, int Digits);
String IntToHex(Int64 Value, int Digits);
// Leading blanks, a sign, "$" or "0x" for hex; EConvertError
// "'%s' is not a valid integer value" otherwise.
Integer StrToInt(const String& S);
Integer StrToIntDef(const String& S, Integer Default);
bool TryStrToInt(const String& S, Integer& Value);
Int64 StrToInt64(const String& S);
Int64 StrToInt64Def(const String& S, Int64 Default);
bool TryStrToInt64(const String& S, Int64& Value);
// "True"/"False" with UseBoolStrs, else "-1"/"0".
String BoolToStr(bool B, bool UseBoolStrs = false);
bool StrToBool(const String& S);
bool TryStrToBool(const String& S, bool& Value);

// ---- Format ---------------------------------------------------------------

// Format("List index out of bounds (%d)", {Index}): %d %u %s %x %e %f %g %n
// %m %p, "%0:s" argument indexes, widths, "-" for left justification,
// ".N" precision, "*" for a width or precision taken from the arguments.
// EConvertError on an argument of the wrong kind or a missing one.
String Format(const String& Fmt, std::initializer_list<Variant> Args);
String Format(const String& Fmt, std::initializer_list<Variant> Args,
              const TFormatSettings& Settings);
String Format(const String& Fmt, const Variant* Args, int Count, const TFormatSettings& Settings);

// ---- Floating point and currency text -------------------------------------

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// ffGeneral, 15 significant digits.
String FloatToStr(double Value);
String FloatToStr(double Value, const TFormatSettings& Settings);
String FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits);
String FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits,
                   const TFormatSettings& Settings);
String CurrToStr(Currency Value);
String CurrToStr(Currency Value, const TFormatSettings& Settings);
String CurrToStrF(Currency Value, TFloatFormat Format, int Digits);
String CurrToStrF(Currency Value, TFloatFormat Format, int Digits, const TFormatSettings& Settings);
// Format strings: "#" "0" "," "." "E+" "E-" "e+" "e-", up to three sections
// (positive;negative;zero), literals in '…' or "…". An empty format is
// FloatToStr.
String FormatFloat(const String& Format, double Value);
String FormatFloat(const String& Format, double Value, const TFormatSettings& Settings);
String FormatCurr(const String& Format, Currency Value);
String FormatCurr(const String& Format, Currency Value, const TFormatSettings& Settings);

// Blanks around, a sign, digits with the settings' decimal separator, an
// exponent; no thousand separators. EConvertError
// "'%s' is not a valid floating point value" otherwise.
double StrToFloat(const String& S);
double StrToFloat(const String& S, const TFormatSettings& Settings);
double StrToFloatDef(const String& S, double Default);
double StrToFloatDef(const String& S, double Default, const TFormatSettings& Settings);
bool TryStrToFloat(const String& S, double& Value);
bool TryStrToFloat(const String& S, double& Value, const TFormatSettings& Settings);
Currency StrToCurr(const String& S);
Currency StrToCurr(const String& S, const TFormatSettings& Settings);
Currency StrToCurrDef(const String& S, Currency Default);
Currency StrToCurrDef(const String& S, Currency Default, const TFormatSettings& Settings);
bool TryStrToCurr(const String& S, Currency& Value);
bool TryStrToCurr(const String& S, Currency& Value, const TFormatSettings& Settings);

// ---- Dates and times ------------------------------------------------------

inline constexpr int HoursPerDay = 24;
inline constexpr int MinsPerDay = 24 * 60;
inline constexpr int SecsPerDay = MinsPerDay * 60;
inline constexpr int MSecsPerDay = SecsPerDay * 1000;
inline constexpr double DateDelta = 693594;    // days from 0001-01-01 to 1899-12-30
inline constexpr double UnixDateDelta = 25569;  // days from 1899-12-30 to 1970-01-01

bool IsLeapYear(Word Year);
// Days of each month, [false] for a common year and [true] for a leap year.
Word MonthDays(bool LeapYear, Word Month);
// EConvertError "Invalid argument to date encode" / "… time encode".
TDateTime EncodeDate(Word Year, Word Month, Word Day);
TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);
bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date);
bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time);
void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day);
bool DecodeDateFully(TDateTime Date, Word& Year, Word& Month, Word& Day, Word& DOW);
void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec);
// 1 Sunday … 7 Saturday.
int DayOfWeek(TDateTime Date);
// Adds months, clamping the day to the last day of the target month.
TDateTime IncMonth(TDateTime Date, int NumberOfMonths = 1);
void ReplaceTime(TDateTime& DateTime, TDateTime NewTime);
void ReplaceDate(TDateTime& DateTime, TDateTime NewDate);
TDateTime Now();
TDateTime Date();
TDateTime Time();
TDateTime GetTime();

// Patterns: c d dd ddd dddd ddddd dddddd m mm mmm mmmm yy yyyy h hh n nn s ss
// z zzz t tt am/pm a/p ampm / : and literals in '…' or "…"; m or mm right
// after an hour means minutes. An empty pattern is "c".
String FormatDateTime(const String& Format, TDateTime DateTime);
String FormatDateTime(const String& Format, TDateTime DateTime, const TFormatSettings& Settings);
void DateTimeToString(String& Result, const String& Format, TDateTime DateTime);
void DateTimeToString(String& Result, const String& Format, TDateTime DateTime,
                      const TFormatSettings& Settings);
String DateToStr(TDateTime Date);
String DateToStr(TDateTime Date, const TFormatSettings& Settings);
String TimeToStr(TDateTime Time);
String TimeToStr(TDateTime Time, const TFormatSettings& Settings);
String DateTimeToStr(TDateTime DateTime);
String DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings);

// Dates are read in the order of ShortDateFormat with DateSeparator; a
// missing year is this year, a two-digit one falls in the century window.
// EConvertError "'%s' is not a valid date" (time, date and time).
TDateTime StrToDate(const String& S);
TDateTime StrToDate(const String& S, const TFormatSettings& Settings);
TDateTime StrToDateDef(const String& S, TDateTime Default);
bool TryStrToDate(const String& S, TDateTime& Value);
bool TryStrToDate(const String& S, TDateTime& Value, const TFormatSettings& Settings);
TDateTime StrToTime(const String& S);
TDateTime StrToTime(const String& S, const TFormatSettings& Settings);
TDateTime StrToTimeDef(const String& S, TDateTime Default);
bool TryStrToTime(const String& S, TDateTime& Value);
bool TryStrToTime(const String& S, TDateTime& Value, const TFormatSettings& Settings);
TDateTime StrToDateTime(const String& S);
TDateTime StrToDateTime(const String& S, const TFormatSettings& Settings);
TDateTime StrToDateTimeDef(const String& S, TDateTime Default);
bool TryStrToDateTime(const String& S, TDateTime& Value);
bool TryStrToDateTime(const String& S, TDateTime& Value, const TFormatSettings& Settings);

// ---- Files and folders --------------------------------------------------

String GetCurrentDir();
// Folder ending with one '/'; empty stays empty.
String IncludeTrailingPathDelimiter(const String& Folder);
// True for an existing file (not a folder).
bool FileExists(const String& FileName);
// The names (without folder) of the files in Folder that match Mask ('*' and
// '?' wildcards), sorted; empty when the folder does not exist.
QStringList FindFileNames(const String& Folder, const String& Mask);

// ---- Languages ----------------------------------------------------------

// The upper-case three-letter ISO 639-2 code of a locale name ("ru_RU",
// "de-AT" or "de"): "RUS"; empty for "C" or an unknown language.
String LocaleLanguageCode(const String& LocaleName);
// The language of a three-letter ISO 639-2 code (any case) named in itself
// ("русский"); empty for an unknown code.
String NativeLanguageName(const String& LanguageCode);
bool IsLanguageCode(const String& LanguageCode);

// Writes Text to the program's debug output.
void OutputDebugString(const String& Text);
