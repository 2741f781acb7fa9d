// DateTimeTest.cpp: TDateTime arithmetic, FormatDateTime patterns and the
// date and time readers under the Russian settings.
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"

#include "tests/platform/rtl/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TDateTime At(Word Y, Word M, Word D, Word H = 0, Word N = 0, Word S = 0, Word Ms = 0)
{
  return EncodeDateTime(Y, M, D, H, N, S, Ms);
}

TEST(DateTime, DaysFromTheEpochAndNegativeDates)
{
  EXPECT_EQ(EncodeDate(1899, 12, 30).Val, 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1).Val, 2);
  EXPECT_EQ(EncodeDate(2024, 2, 29).Val, 45351);
  EXPECT_EQ(EncodeDate(1, 1, 1).Val, -693593);
  EXPECT_EQ(EncodeDate(9999, 12, 31).Val, 2958465);
  // Before the epoch the time is subtracted: -1.25 is 1899-12-29 06:00.
  EXPECT_EQ(At(1899, 12, 29, 6).Val, -1.25);
  Word Y, M, D, H, N, S, Ms;
  DecodeDateTime(TDateTime(-1.25), Y, M, D, H, N, S, Ms);
  EXPECT_EQ((std::vector<int>{Y, M, D, H, N}), (std::vector<int>{1899, 12, 29, 6, 0}));
  // A time that rounds to midnight belongs to the next day.
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy hh:nn:ss.zzz", TDateTime(45351 + 0.99999999999)),
            String("01.03.2024 00:00:00.000"));

  TDateTime T;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, T));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, T));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, T));
  EXPECT_THROW(EncodeDate(2023, 13, 1), EConvertError);
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
}

TEST(DateTime, WeekdaysAndMonths)
{
  const TDateTime Sunday = EncodeDate(2024, 3, 3);
  EXPECT_EQ(DayOfWeek(Sunday), 1);       // Sunday = 1
  EXPECT_EQ(DayOfTheWeek(Sunday), 7);    // Monday = 1
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);
  EXPECT_EQ(DayOfWeek(TDateTime(-1)), 6);
  EXPECT_EQ(DaysInMonth(EncodeDate(2024, 2, 10)), 29);
  EXPECT_EQ(DaysInAMonth(2023, 2), 28);
  EXPECT_EQ(StartOfTheMonth(At(2024, 2, 10, 15)).Val, EncodeDate(2024, 2, 1).Val);
  EXPECT_EQ(DateToStr(EndOfTheMonth(At(2024, 2, 10))), String("29.02.2024"));
  EXPECT_EQ(DateToStr(StartOfTheWeek(Sunday)), String("26.02.2024"));

  const struct {
    TDateTime From;
    int Months;
    const char* Expected;
  } Incs[] = {
      {At(2024, 1, 31, 10, 30), 1, "29.02.2024 10:30:00"},
      {At(2023, 1, 31), 1, "28.02.2023"},
      {At(2024, 3, 31), -1, "29.02.2024"},
      {At(2024, 1, 15), -13, "15.12.2022"},
      {At(2024, 12, 1), 1, "01.01.2025"},
  };
  for (const auto& C : Incs) {
    SCOPED_TRACE(C.Expected);
    EXPECT_EQ(DateTimeToStr(IncMonth(C.From, C.Months)), String(C.Expected));
  }
  EXPECT_EQ(DaysBetween(At(2024, 3, 1), At(2024, 2, 1, 12)), 28);
  EXPECT_EQ(DateTimeToStr(IncHour(TDateTime(-1.25), 20)), String("30.12.1899 2:00:00"));
}

TEST(FormatDateTime, Patterns)
{
  const TDateTime T = At(2024, 3, 5, 14, 7, 9, 45);   // Tuesday
  const TDateTime Morning = At(2024, 3, 5, 0, 7);
  const struct {
    const char* Pattern;
    TDateTime Value;
    const char* Expected;
  } Cases[] = {
      {"d.m.yy", T, "5.3.24"},
      {"dd/mm/yyyy", T, "05.03.2024"},
      {"ddd dddd", T, "Вт вторник"},
      {"ddddd", T, "05.03.2024"},
      {"dddddd", T, "5 Март 2024 г."},
      {"mmm mmmm", T, "мар Март"},
      {"yyyy yy y yyy", T, "2024 24 24 2024"},
      {"h:n:s", T, "14:7:9"},
      {"hh:nn:ss.zzz", T, "14:07:09.045"},
      {"z", T, "45"},
      {"hh:mm", T, "14:07"},              // m after h is minutes
      {"h mm dd.mm", T, "14 07 05.03"},   // and m after a day is the month again
      {"hh:mm:ss mm", T, "14:07:09 03"},
      {"t", T, "14:07"},
      {"tt", T, "14:07:09"},
      {"c", T, "05.03.2024 14:07:09"},
      {"c", EncodeDate(2024, 3, 5), "05.03.2024"},
      {"", T, "05.03.2024 14:07:09"},
      {"h am/pm", T, "2 pm"},
      {"h AM/PM", Morning, "12 AM"},
      {"hh a/p", T, "02 p"},
      {"h ampm", T, "2 "},                // the Russian settings have no AM/PM texts
      {"'dd' \"mm\" dd", T, "dd mm 05"},
      {"yyyy-mm-dd\"T\"hh:nn", T, "2024-03-05T14:07"},
      {"mmmm yyyy", T, "Март 2024"},
      {"D", T, "5"},
      {"HH", T, "14"},
      {"HH:NN", T, "14:07"},
      {"dd.mm.yyyy", TDateTime(-1.25), "29.12.1899"},
      {"hh:nn", TDateTime(-1.25), "06:00"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Pattern);
    EXPECT_EQ(FormatDateTime(C.Pattern, C.Value), String(C.Expected));
  }
  String Out;
  DateTimeToString(Out, "yyyy", T);
  EXPECT_EQ(Out, String("2024"));
  EXPECT_EQ(TimeToStr(T), String("14:07:09"));
  EXPECT_EQ(DateToStr(T), String("05.03.2024"));
}

TEST(FormatDateTime, InvariantSettingsOfTheLibrary)
{
  TFormatSettings S = FormatSettings;
  S.DecimalSeparator = QLatin1Char('.');
  S.DateSeparator = QLatin1Char('-');
  S.ShortDateFormat = "YYYY/MM/DD";
  S.ShortTimeFormat = "HH:NN:SS";
  const TDateTime T = At(2024, 3, 5, 14, 7, 9);
  EXPECT_EQ(DateTimeToStr(T, S), String("2024-03-05 14:07:09"));
  EXPECT_EQ(StrToDateTime("2024-03-05 14:07:09", S).Val, T.Val);
}

TEST(StrToDate, ReadsInTheOrderOfTheShortDateFormat)
{
  const int ThisYear = YearOf(Date());
  const struct {
    const char* Text;
    bool Valid;
    TDateTime Value;
  } Cases[] = {
      {"05.03.2024", true, EncodeDate(2024, 3, 5)},
      {"5.3.2024", true, EncodeDate(2024, 3, 5)},
      {" 05 . 03 . 2024 ", true, EncodeDate(2024, 3, 5)},
      {"01.02", true, EncodeDate(static_cast<Word>(ThisYear), 2, 1)},
      {"31.02.2024", false, 0},
      {"05/03/2024", false, 0},
      {"05.03.2024x", false, 0},
      {"", false, 0},
      {"5", false, 0},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Text);
    TDateTime V;
    EXPECT_EQ(TryStrToDate(C.Text, V), C.Valid);
    if (C.Valid) {
      EXPECT_EQ(V.Val, C.Value.Val);
    }
  }
  // Two-digit years fall within the fifty-year window around this year.
  const int Century = ThisYear / 100 * 100;
  const int Near = ThisYear % 100;
  EXPECT_EQ(YearOf(StrToDate(QStringLiteral("01.01.%1").arg(Near, 2, 10, QLatin1Char('0')))), ThisYear);
  const int Far = (Near + 60) % 100;
  const int FarYear = Century + Far > ThisYear + 49 ? Century + Far - 100 : Century + Far;
  EXPECT_EQ(YearOf(StrToDate(QStringLiteral("01.01.%1").arg(Far, 2, 10, QLatin1Char('0')))), FarYear);
  try {
    StrToDate("31.02.2024");
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), String("'31.02.2024' is not a valid date"));
  }
  EXPECT_EQ(StrToDateDef("x", TDateTime(7)).Val, 7);
}

TEST(StrToTime, HoursMinutesSecondsAndMarkers)
{
  const struct {
    const char* Text;
    bool Valid;
    TDateTime Value;
  } Cases[] = {
      {"14:07", true, EncodeTime(14, 7, 0, 0)},
      {"14:07:09", true, EncodeTime(14, 7, 9, 0)},
      {"14:07:09.5", true, EncodeTime(14, 7, 9, 500)},
      {"2:07 PM", true, EncodeTime(14, 7, 0, 0)},
      {"12:00 am", true, EncodeTime(0, 0, 0, 0)},
      {"2 PM", true, EncodeTime(14, 0, 0, 0)},
      {"24:00", false, 0},
      {"14:60", false, 0},
      {"14", false, 0},
      {"13:00 PM", false, 0},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Text);
    TDateTime V;
    EXPECT_EQ(TryStrToTime(C.Text, V), C.Valid);
    if (C.Valid) {
      EXPECT_DOUBLE_EQ(V.Val, C.Value.Val);
    }
  }
  EXPECT_EQ(StrToDateTime("05.03.2024 14:07").Val, At(2024, 3, 5, 14, 7).Val);
  EXPECT_EQ(StrToDateTime("14:07").Val, EncodeTime(14, 7, 0, 0).Val);
  EXPECT_EQ(StrToDateTime("29.12.1899 6:00").Val, -1.25);
  EXPECT_THROW(StrToDateTime("05.03.2024 25:00"), EConvertError);
  // What DateTimeToStr writes reads back.
  const TDateTime T = At(2031, 11, 30, 23, 59, 58);
  EXPECT_EQ(StrToDateTime(DateTimeToStr(T)).Val, T.Val);
}

}  // namespace
