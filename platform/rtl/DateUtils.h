// DateUtils.h: calendar helpers over TDateTime (parts of a date, starts and
// ends of periods, adding units, spans).
#pragma once

#include "platform/rtl/SysUtils.h"

inline constexpr int DaysPerWeek = 7;
inline constexpr int MonthsPerYear = 12;

// 1 Monday … 7 Sunday.
int DayOfTheWeek(TDateTime Value);
Word YearOf(TDateTime Value);
Word MonthOf(TDateTime Value);
Word DayOf(TDateTime Value);
Word HourOf(TDateTime Value);
Word MinuteOf(TDateTime Value);
Word SecondOf(TDateTime Value);
Word MilliSecondOf(TDateTime Value);
Word DayOfTheYear(TDateTime Value);
Word DaysInMonth(TDateTime Value);
Word DaysInAMonth(Word Year, Word Month);
Word DaysInYear(TDateTime Value);
Word DaysInAYear(Word Year);

TDateTime DateOf(TDateTime Value);
TDateTime TimeOf(TDateTime Value);
TDateTime Today();
TDateTime Yesterday();
TDateTime Tomorrow();
TDateTime StartOfTheDay(TDateTime Value);
TDateTime EndOfTheDay(TDateTime Value);
TDateTime StartOfTheWeek(TDateTime Value);   // Monday
TDateTime EndOfTheWeek(TDateTime Value);
TDateTime StartOfTheMonth(TDateTime Value);
TDateTime EndOfTheMonth(TDateTime Value);
TDateTime StartOfTheYear(TDateTime Value);
TDateTime EndOfTheYear(TDateTime Value);
TDateTime StartOfAMonth(Word Year, Word Month);
TDateTime EndOfAMonth(Word Year, Word Month);

TDateTime EncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Minute, Word Second,
                         Word MilliSecond);
bool TryEncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Minute, Word Second,
                       Word MilliSecond, TDateTime& Value);
void DecodeDateTime(TDateTime Value, Word& Year, Word& Month, Word& Day, Word& Hour,
                    Word& Minute, Word& Second, Word& MilliSecond);
TDateTime RecodeTime(TDateTime Value, Word Hour, Word Minute, Word Second, Word MilliSecond);

TDateTime IncYear(TDateTime Value, int NumberOfYears = 1);
TDateTime IncWeek(TDateTime Value, int NumberOfWeeks = 1);
TDateTime IncDay(TDateTime Value, int NumberOfDays = 1);
TDateTime IncHour(TDateTime Value, Int64 NumberOfHours = 1);
TDateTime IncMinute(TDateTime Value, Int64 NumberOfMinutes = 1);
TDateTime IncSecond(TDateTime Value, Int64 NumberOfSeconds = 1);
TDateTime IncMilliSecond(TDateTime Value, Int64 NumberOfMilliSeconds = 1);

// Whole units between two moments, never negative.
int DaysBetween(TDateTime ANow, TDateTime AThen);
Int64 HoursBetween(TDateTime ANow, TDateTime AThen);
Int64 MinutesBetween(TDateTime ANow, TDateTime AThen);
Int64 SecondsBetween(TDateTime ANow, TDateTime AThen);
Int64 MilliSecondsBetween(TDateTime ANow, TDateTime AThen);

bool IsSameDay(TDateTime Value, TDateTime Basis);
bool SameDate(TDateTime A, TDateTime B);
bool SameDateTime(TDateTime A, TDateTime B);   // equal to the millisecond
int CompareDate(TDateTime A, TDateTime B);
int CompareDateTime(TDateTime A, TDateTime B);
int CompareTime(TDateTime A, TDateTime B);
