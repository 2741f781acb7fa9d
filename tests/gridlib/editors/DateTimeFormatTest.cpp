// DateTimeFormatTest.cpp: the date-time editor's pattern engine: compiled
// masks and element tables, pattern errors with their place, display formats
// and templates, elements read from typed texts, merging with and without
// completion, stepping, two-digit years. One table, each row rendered to text.
#include "gridlib/editors/DBCtrlsEh.h"

#include "platform/rtl/DateUtils.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

String Str(const char* S)
{
  return String::fromUtf8(S);
}

// "<mask> Y7.4 M4.2 ..." for the present elements, "! <message>" on an error.
String Compile(const char* Pattern)
{
  String Mask;
  TDateTimeElementsMaskPosEh P;
  try {
    ParseDateTimeEditFormatEh(Str(Pattern), Mask, P);
  } catch (const Exception& E) {
    return QStringLiteral("! ") + E.Message();
  }
  String R = Mask;
  const std::pair<char, TElementMaskPosEh> Elements[] = {{'Y', P.Year}, {'M', P.Month}, {'D', P.Day},
                                                          {'H', P.Hour}, {'N', P.Min},   {'S', P.Sec}};
  for (const auto& [Letter, E] : Elements)
    if (E.Present)
      R += QStringLiteral(" %1%2.%3").arg(QLatin1Char(Letter)).arg(E.Pos).arg(E.Length);
  return R;
}

TDateTimeElementsMaskPosEh MaskPosOf(const char* Pattern)
{
  String Mask;
  TDateTimeElementsMaskPosEh P;
  ParseDateTimeEditFormatEh(Str(Pattern), Mask, P);
  return P;
}

String PartsText(const TDateTimePartsEh& P)
{
  return QStringLiteral("%1 %2 %3 %4 %5 %6").arg(P.Year).arg(P.Month).arg(P.Day).arg(P.Hour).arg(P.Min).arg(P.Sec);
}

String ValueText(const Variant& V)
{
  if (VarIsNull(V))
    return QStringLiteral("Null");
  Word Y, Mo, D, H, Mi, S, Ms;
  DecodeDateTime(VarToDateTime(V), Y, Mo, D, H, Mi, S, Ms);
  return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d.%03d", Y, Mo, D, H, Mi, S, Ms);
}

Variant ValueOf(Word Y, Word Mo, Word D, Word H = 0, Word Mi = 0, Word S = 0, Word Ms = 0)
{
  return VarFromDateTime(EncodeDateTime(Y, Mo, D, H, Mi, S, Ms));
}

// "ok <value>" or "fail <value>" after merging Text typed under Pattern into Base.
String Merge(const char* Pattern, const char* Text, Variant Base, bool Complete)
{
  const auto P = MaskPosOf(Pattern);
  const bool Ok = DateTimePartsToValueEh(EditTextToDateTimePartsEh(Str(Text), P), P, Base, Complete);
  return (Ok ? QStringLiteral("ok ") : QStringLiteral("fail ")) + ValueText(Base);
}

// "<new text>|<pos>,<length>"; DateSeparator stands in for the locale's.
String Step(const char* Pattern, const char* Text, bool Up, Integer Pos, QChar DateSeparator = QLatin1Char('.'))
{
  const QChar Saved = FormatSettings.DateSeparator;
  FormatSettings.DateSeparator = DateSeparator;
  Integer Length = -1;
  const String R = IncrementDateTimeElementEh(Str(Text), DateTimeEditFormatToTemplateEh(Str(Pattern)), Up, Pos, Length);
  FormatSettings.DateSeparator = Saved;
  return R + QStringLiteral("|%1,%2").arg(Pos).arg(Length);
}

// The display format and what it shows for 7 March 2026 09:05:04.
String Display(const char* Pattern)
{
  const String F = DateTimeEditFormatToDisplayFormatEh(Str(Pattern));
  return F + QStringLiteral(" => ") + FormatDateTime(F, EncodeDateTime(2026, 3, 7, 9, 5, 4, 0));
}

struct TCase {
  const char* What;
  std::function<String()> Actual;
  String Expected;
};

TEST(DateTimeFormat, EdgeCases)
{
  Word TY, TM, TD;
  DecodeDate(Date(), TY, TM, TD);
  const String TodayDay = QString::asprintf("%02d", TD);
  const String TodayYear = QString::number(TY);

  const std::vector<TCase> Cases = {
    // Defaults come from the program's Russian settings.
    {"default date, four-digit year", [] { return DefaultDateEditFormatEh(true); }, Str("DD/MM/YYYY")},
    {"default date, two-digit year", [] { return DefaultDateEditFormatEh(false); }, Str("DD/MM/YY")},
    {"default time", [] { return DefaultTimeEditFormatEh(); }, Str("HH:NN:SS")},
    {"order of yyyy-mm-dd", [] { return String::number(ShortDateOrderEh(Str("yyyy-mm-dd"))); },
     String::number(doYMDEh)},
    {"order of M/d/yy", [] { return String::number(ShortDateOrderEh(Str("M/d/yy"))); }, String::number(doMDYEh)},
    {"order without letters", [] { return String::number(ShortDateOrderEh(Str("--"))); }, String::number(doDMYEh)},

    // Compiling.
    {"upper-case date", [] { return Compile("DD/MM/YYYY"); }, Str("!99/99/9999;1;  Y7.4 M4.2 D1.2")},
    {"lower case compiles alike", [] { return Compile("dd/mm/yyyy"); }, Str("!99/99/9999;1;  Y7.4 M4.2 D1.2")},
    {"date and time", [] { return Compile("DD/MM/YYYY HH:NN"); },
     Str("!99/99/9999 99:99;1;  Y7.4 M4.2 D1.2 H12.2 N15.2")},
    {"two-digit year", [] { return Compile("yy"); }, Str("!99;1;  Y1.2")},
    {"run too long", [] { return Compile("DDD"); }, Str("! Element in EditFormat: \"DDD\" is too long. Pos: 3")},
    {"year run too long", [] { return Compile("DD.YYYYY"); },
     Str("! Element in EditFormat: \"DD.YYYYY\" is too long. Pos: 8")},
    {"single D", [] { return Compile("D/MM/YYYY"); }, Str("! Invalid datetime format element length: \"D\"")},
    {"three Y", [] { return Compile("YYY"); }, Str("! Invalid datetime format element length: \"Y\"")},
    {"lower-case run named upper", [] { return Compile("hh:n"); }, Str("! Invalid datetime format element length: \"N\"")},
    {"day twice", [] { return Compile("DD/MM/DD"); }, Str("! Duplicating datetime format element: \"D\"")},
    {"escaped letters are literals", [] { return Compile("\\D\\D MM"); }, Str("!DD 99;1;  M4.2")},
    {"mask characters escaped", [] { return Compile("DD#0;MM"); }, Str("!99\\#\\0\\;99;1;  M6.2 D1.2")},
    {"escaped backslash takes one place", [] { return Compile("DD\\\\MM"); }, Str("!99\\\\99;1;  M4.2 D1.2")},
    {"failed compile keeps the caller's", [] {
       String Mask = Str("kept");
       TDateTimeElementsMaskPosEh P;
       P.Day = {5, 2, true};
       try {
         ParseDateTimeEditFormatEh(Str("MM/MM"), Mask, P);
       } catch (const Exception&) {
       }
       return Mask + QStringLiteral(" %1 %2").arg(P.Day.Pos).arg(int(P.Month.Present));
     }, Str("kept 5 0")},

    // Display formats and templates.
    {"display of dd.mm.yyyy", [] { return Display("dd.mm.yyyy"); }, Str("DD'.'MM'.'YYYY => 07.03.2026")},
    {"display with separators", [] { return Display("DD/MM/YYYY HH:NN:SS"); },
     Str("DD/MM/YYYY' 'HH:NN:SS => 07.03.2026 09:05:04")},
    {"display of literals and a quote", [] { return Display("\\D\\d hh'x"); },
     Str("'Dd 'HH\"'\"'x' => Dd 09'x")},
    {"template", [] { return DateTimeEditFormatToTemplateEh(Str("dd/mm/yyyy hh:nn")); }, Str("DD/MM/YYYY HH:NN")},
    {"template of literals", [] { return DateTimeEditFormatToTemplateEh(Str("\\D\\\\-mm")); }, Str("   MM")},

    // Reading typed elements.
    {"all blank", [] { return PartsText(EditTextToDateTimePartsEh(Str("  .  .       :  :  "),
                                                                   MaskPosOf("DD/MM/YYYY HH:NN:SS"))); },
     Str("-1 -1 -1 -1 -1 -1")},
    {"full text", [] { return PartsText(EditTextToDateTimePartsEh(Str("07.03.2026 09:05:04"),
                                                                   MaskPosOf("DD/MM/YYYY HH:NN:SS"))); },
     Str("2026 3 7 9 5 4")},
    {"blanks between digits, a letter", [] { return PartsText(EditTextToDateTimePartsEh(Str(" 7.x3.2 26 9 :  :  "),
                                                                                         MaskPosOf("DD/MM/YYYY HH:NN:SS"))); },
     Str("226 -1 7 9 -1 -1")},
    {"two-digit year expanded", [] { return PartsText(EditTextToDateTimePartsEh(Str("07.03.26"), MaskPosOf("DD/MM/YY"))); },
     Str("2026 3 7 -1 -1 -1")},
    {"absent elements", [] { return PartsText(EditTextToDateTimePartsEh(Str("09:05"), MaskPosOf("HH:NN"))); },
     Str("-1 -1 -1 9 5 -1")},
    {"Null value", [] { return PartsText(ValueToDateTimePartsEh(Null)); }, Str("-1 -1 -1 -1 -1 -1")},
    {"value split", [] { return PartsText(ValueToDateTimePartsEh(ValueOf(2026, 3, 7, 9, 5, 4, 999))); },
     Str("2026 3 7 9 5 4")},

    // Merging.
    {"blank text clears", [] { return Merge("DD/MM/YYYY", "  .  .    ", ValueOf(2026, 1, 1), false); },
     Str("ok Null")},
    {"completion takes today's day", [&] { return Merge("DD/MM/YYYY", "  .05.2026", Null, true); },
     Str("ok 2026-05-") + TodayDay + Str(" 00:00:00.000")},
    {"completion takes today's year", [&] { return Merge("DD/MM/YYYY", "07.03.    ", Null, true); },
     Str("ok ") + TodayYear + Str("-03-07 00:00:00.000")},
    {"31 February completes to the 28th", [] { return Merge("DD/MM/YYYY", "31.02.2026", Null, true); },
     Str("ok 2026-02-28 00:00:00.000")},
    {"29 February of a common year", [] { return Merge("DD/MM/YYYY", "29.02.2025", Null, true); },
     Str("ok 2025-02-28 00:00:00.000")},
    {"29 February of a leap year", [] { return Merge("DD/MM/YYYY", "29.02.2024", Null, false); },
     Str("ok 2024-02-29 00:00:00.000")},
    {"month 13 completes to 12", [] { return Merge("DD/MM/YYYY", "07.13.2026", Null, true); },
     Str("ok 2026-12-07 00:00:00.000")},
    {"time beyond range completes", [] { return Merge("DD/MM/YYYY HH:NN:SS", "07.03.2026 29:75:99", Null, true); },
     Str("ok 2026-03-07 23:59:59.000")},
    {"without completion 31 February fails", [] { return Merge("DD/MM/YYYY", "31.02.2026", ValueOf(2020, 1, 1), false); },
     Str("fail Null")},
    {"without completion a blank day fails", [] { return Merge("DD/MM/YYYY", "  .05.2026", Null, false); },
     Str("fail Null")},
    {"without completion hour 24 fails", [] { return Merge("HH:NN", "24:00", Null, false); }, Str("fail Null")},
    {"date keeps the time of day", [] { return Merge("DD/MM/YYYY", "07.03.2026", ValueOf(2020, 1, 1, 14, 30, 10, 250), false); },
     Str("ok 2026-03-07 14:30:10.250")},
    {"time keeps the date and seconds", [] { return Merge("HH:NN", "09:05", ValueOf(2026, 3, 7, 14, 30, 10, 250), false); },
     Str("ok 2026-03-07 09:05:10.250")},
    {"time into no value", [] { return Merge("HH:NN", "09:05", Null, false); }, Str("ok 1900-01-01 09:05:00.000")},
    {"month and year onto a shorter month", [] { return Merge("MM/YYYY", "02.2026", ValueOf(2026, 1, 31, 8, 0), false); },
     Str("ok 2026-02-28 08:00:00.000")},

    // Stepping on "31.12.2026 00:05:59".
    {"day 31 up", [] { return Step("DD/MM/YYYY HH:NN:SS", "31.12.2026 00:05:59", true, 2); },
     Str("01.12.2026 00:05:59|1,2")},
    {"hour 00 down", [] { return Step("DD/MM/YYYY HH:NN:SS", "31.12.2026 00:05:59", false, 12); },
     Str("31.12.2026 23:05:59|12,2")},
    {"on the time separator steps minutes", [] { return Step("DD/MM/YYYY HH:NN:SS", "31.12.2026 00:05:59", true, 14); },
     Str("31.12.2026 00:06:59|15,2")},
    {"on a full-stop date separator nothing", [] { return Step("DD/MM/YYYY HH:NN:SS", "31.12.2026 00:05:59", true, 3); },
     Str("31.12.2026 00:05:59|3,-1")},
    {"on a slash date separator the month", [] {
       return Step("DD/MM/YYYY HH:NN:SS", "31/12/2026 00:05:59", true, 3, QLatin1Char('/'));
     }, Str("31/01/2026 00:05:59|4,2")},
    {"on the blank nothing", [] { return Step("DD/MM/YYYY HH:NN:SS", "31.12.2026 00:05:59", true, 11); },
     Str("31.12.2026 00:05:59|11,-1")},
    {"past the end the seconds wrap", [] { return Step("DD/MM/YYYY HH:NN:SS", "31.12.2026 00:05:59", true, 99); },
     Str("31.12.2026 00:05:00|18,2")},
    {"year 0001 down", [] { return Step("DD/MM/YYYY", "01.01.0001", false, 7); }, Str("01.01.9999|7,4")},
    {"blank day up and down", [] {
       return Step("DD/MM/YYYY", "  .01.2026", true, 1) + QLatin1Char(' ') + Step("DD/MM/YYYY", "  .01.2026", false, 1);
     }, Str("01.01.2026|1,2 31.01.2026|1,2")},
    {"two-digit year past 99 keeps its width", [] { return Step("DD/MM/YY", "31.12.99", true, 8); },
     Str("31.12.00|7,2")},

    // Two-digit years in 2026.
    {"65 in 2026", [] { return String::number(ExpandTwoDigitYearEh(65, 2026)); }, Str("2065")},
    {"66 in 2026", [] { return String::number(ExpandTwoDigitYearEh(66, 2026)); }, Str("1966")},
    {"0 in 2026", [] { return String::number(ExpandTwoDigitYearEh(0, 2026)); }, Str("2000")},
    {"100 unchanged", [] { return String::number(ExpandTwoDigitYearEh(100, 2026)); }, Str("100")},
  };

  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    EXPECT_EQ(C.Actual().toStdString(), C.Expected.toStdString());
  }
}

} // namespace
