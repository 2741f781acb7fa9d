// DateUtils.cpp: calendar helpers built on the SysUtils encode and decode.
#include "platform/rtl/DateUtils.h"

#include <cmath>

namespace {

struct TYmd {
  Word Year = 0, Month = 0, Day = 0;
};

TYmd YmdOf(TDateTime Value)
{
  TYmd R;
  DecodeDate(Value, R.Year, R.Month, R.Day);
  return R;
}

struct THms {
  Word Hour = 0, Min = 0, Sec = 0, MSec = 0;
};

THms HmsOf(TDateTime Value)
{
  THms R;
  DecodeTime(Value, R.Hour, R.Min, R.Sec, R.MSec);
  return R;
}

// A moment as milliseconds on one continuous scale (dates before the epoch
// carry their time with the opposite sign).
double Continuous(TDateTime Value)
{
  const double Whole = std::trunc(Value.Val);
  const double Time = std::fabs(Value.Val - Whole);
  return (Whole + Time) * MSecsPerDay;
}

TDateTime FromContinuous(double Ms)
{
  const double Days = Ms / MSecsPerDay;
  const double Whole = std::floor(Days);
  const double Time = Days - Whole;
  return TDateTime(Whole >= 0 ? Whole + Time : Whole - Time);
}

Int64 SpanMs(TDateTime ANow, TDateTime AThen)
{
  return std::llround(std::fabs(Continuous(ANow) - Continuous(AThen)));
}

}  // namespace

int DayOfTheWeek(TDateTime Value)
{
  return (DayOfWeek(Value) + 5) % 7 + 1;
}

Word YearOf(TDateTime Value) { return YmdOf(Value).Year; }
Word MonthOf(TDateTime Value) { return YmdOf(Value).Month; }
Word DayOf(TDateTime Value) { return YmdOf(Value).Day; }
Word HourOf(TDateTime Value) { return HmsOf(Value).Hour; }
Word MinuteOf(TDateTime Value) { return HmsOf(Value).Min; }
Word SecondOf(TDateTime Value) { return HmsOf(Value).Sec; }
Word MilliSecondOf(TDateTime Value) { return HmsOf(Value).MSec; }

Word DayOfTheYear(TDateTime Value)
{
  const TYmd D = YmdOf(Value);
  return static_cast<Word>(std::trunc(Value.Val) - EncodeDate(D.Year, 1, 1).Val + 1);
}

Word DaysInAMonth(Word Year, Word Month)
{
  return MonthDays(IsLeapYear(Year), Month);
}

Word DaysInMonth(TDateTime Value)
{
  const TYmd D = YmdOf(Value);
  return DaysInAMonth(D.Year, D.Month);
}

Word DaysInAYear(Word Year)
{
  return IsLeapYear(Year) ? 366 : 365;
}

Word DaysInYear(TDateTime Value)
{
  return DaysInAYear(YmdOf(Value).Year);
}

TDateTime DateOf(TDateTime Value) { return TDateTime(std::trunc(Value.Val)); }
TDateTime TimeOf(TDateTime Value) { return TDateTime(std::fabs(Value.Val - std::trunc(Value.Val))); }
TDateTime Today() { return Date(); }
TDateTime Yesterday() { return TDateTime(Date().Val - 1); }
TDateTime Tomorrow() { return TDateTime(Date().Val + 1); }

TDateTime StartOfTheDay(TDateTime Value)
{
  return DateOf(Value);
}

TDateTime EndOfTheDay(TDateTime Value)
{
  TDateTime R = DateOf(Value);
  ReplaceTime(R, EncodeTime(23, 59, 59, 999));
  return R;
}

TDateTime StartOfTheWeek(TDateTime Value)
{
  return TDateTime(std::trunc(Value.Val) - (DayOfTheWeek(Value) - 1));
}

TDateTime EndOfTheWeek(TDateTime Value)
{
  return EndOfTheDay(TDateTime(StartOfTheWeek(Value).Val + 6));
}

TDateTime StartOfAMonth(Word Year, Word Month)
{
  return EncodeDate(Year, Month, 1);
}

TDateTime EndOfAMonth(Word Year, Word Month)
{
  return EndOfTheDay(EncodeDate(Year, Month, DaysInAMonth(Year, Month)));
}

TDateTime StartOfTheMonth(TDateTime Value)
{
  const TYmd D = YmdOf(Value);
  return StartOfAMonth(D.Year, D.Month);
}

TDateTime EndOfTheMonth(TDateTime Value)
{
  const TYmd D = YmdOf(Value);
  return EndOfAMonth(D.Year, D.Month);
}

TDateTime StartOfTheYear(TDateTime Value)
{
  return EncodeDate(YmdOf(Value).Year, 1, 1);
}

TDateTime EndOfTheYear(TDateTime Value)
{
  return EndOfTheDay(EncodeDate(YmdOf(Value).Year, 12, 31));
}

bool TryEncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Minute, Word Second,
                       Word MilliSecond, TDateTime& Value)
{
  TDateTime D, T;
  if (!TryEncodeDate(Year, Month, Day, D) || !TryEncodeTime(Hour, Minute, Second, MilliSecond, T))
    return false;
  Value = TDateTime(D.Val >= 0 ? D.Val + T.Val : D.Val - T.Val);
  return true;
}

TDateTime EncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Minute, Word Second,
                         Word MilliSecond)
{
  TDateTime R;
  if (!TryEncodeDateTime(Year, Month, Day, Hour, Minute, Second, MilliSecond, R))
    throw EConvertError(QStringLiteral("Invalid argument to date encode"));
  return R;
}

void DecodeDateTime(TDateTime Value, Word& Year, Word& Month, Word& Day, Word& Hour,
                    Word& Minute, Word& Second, Word& MilliSecond)
{
  DecodeDate(Value, Year, Month, Day);
  DecodeTime(Value, Hour, Minute, Second, MilliSecond);
}

TDateTime RecodeTime(TDateTime Value, Word Hour, Word Minute, Word Second, Word MilliSecond)
{
  TDateTime R = Value;
  ReplaceTime(R, EncodeTime(Hour, Minute, Second, MilliSecond));
  return R;
}

TDateTime IncYear(TDateTime Value, int NumberOfYears)
{
  return IncMonth(Value, NumberOfYears * MonthsPerYear);
}

TDateTime IncWeek(TDateTime Value, int NumberOfWeeks)
{
  return IncDay(Value, NumberOfWeeks * DaysPerWeek);
}

TDateTime IncDay(TDateTime Value, int NumberOfDays)
{
  return FromContinuous(Continuous(Value) + static_cast<double>(NumberOfDays) * MSecsPerDay);
}

TDateTime IncHour(TDateTime Value, Int64 NumberOfHours)
{
  return FromContinuous(Continuous(Value) + static_cast<double>(NumberOfHours) * 3600000.0);
}

TDateTime IncMinute(TDateTime Value, Int64 NumberOfMinutes)
{
  return FromContinuous(Continuous(Value) + static_cast<double>(NumberOfMinutes) * 60000.0);
}

TDateTime IncSecond(TDateTime Value, Int64 NumberOfSeconds)
{
  return FromContinuous(Continuous(Value) + static_cast<double>(NumberOfSeconds) * 1000.0);
}

TDateTime IncMilliSecond(TDateTime Value, Int64 NumberOfMilliSeconds)
{
  return FromContinuous(Continuous(Value) + static_cast<double>(NumberOfMilliSeconds));
}

int DaysBetween(TDateTime ANow, TDateTime AThen)
{
  return static_cast<int>(SpanMs(ANow, AThen) / MSecsPerDay);
}

Int64 HoursBetween(TDateTime ANow, TDateTime AThen) { return SpanMs(ANow, AThen) / 3600000; }
Int64 MinutesBetween(TDateTime ANow, TDateTime AThen) { return SpanMs(ANow, AThen) / 60000; }
Int64 SecondsBetween(TDateTime ANow, TDateTime AThen) { return SpanMs(ANow, AThen) / 1000; }
Int64 MilliSecondsBetween(TDateTime ANow, TDateTime AThen) { return SpanMs(ANow, AThen); }

bool IsSameDay(TDateTime Value, TDateTime Basis)
{
  return std::trunc(Value.Val) == std::trunc(Basis.Val);
}

bool SameDate(TDateTime A, TDateTime B)
{
  return IsSameDay(A, B);
}

bool SameDateTime(TDateTime A, TDateTime B)
{
  return SpanMs(A, B) == 0;
}

int CompareDate(TDateTime A, TDateTime B)
{
  const double X = std::trunc(A.Val);
  const double Y = std::trunc(B.Val);
  return X < Y ? -1 : X > Y ? 1 : 0;
}

int CompareDateTime(TDateTime A, TDateTime B)
{
  if (SameDateTime(A, B))
    return 0;
  return Continuous(A) < Continuous(B) ? -1 : 1;
}

int CompareTime(TDateTime A, TDateTime B)
{
  const Int64 X = std::llround(TimeOf(A).Val * MSecsPerDay);
  const Int64 Y = std::llround(TimeOf(B).Val * MSecsPerDay);
  return X < Y ? -1 : X > Y ? 1 : 0;
}
