// NumberTextTest.cpp: FormatFloat, FormatCurr, FloatToStr(F), Format and the
// number readers under the program's Russian settings.
#include "platform/rtl/SysUtils.h"

#include "tests/platform/rtl/QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// The thousand separator of the Russian settings.
#define NB "\u00A0"

struct FormatCase {
  const char* Mask;
  double Value;
  const char* Expected;
};

TEST(FormatFloat, RussianSettingsAndMaskSyntax)
{
  const FormatCase Cases[] = {
      {"#,##0.00", 1234.5, "1" NB "234,50"},
      {"#,##0.00", -1234.5, "-1" NB "234,50"},
      {"#,##0", 1234567.891, "1" NB "234" NB "568"},
      {"#,##0.00 ₽", 1234.5, "1" NB "234,50 ₽"},
      {"0.00", 0.125, "0,13"},        // half away from zero on the shown digits
      {"0.00", -0.125, "-0,13"},
      {"0", 2.5, "3"},
      {"0", -2.5, "-3"},
      {"0.00", 2.675, "2,67"},        // the double is just below 2.675
      {"0.00", 1.005, "1,00"},
      {"#", 0, ""},
      {"0.##", 5, "5"},
      {"0.##", 5.1, "5,1"},
      {"#.##", 0.5, ",5"},
      {"00000", 123, "00123"},
      {"000-000", 123456, "123-456"},
      {"0.00E+00", 1234.5, "1,23E+03"},
      {"0.00E-00", 1234.5, "1,23E03"},
      {"0.00E+00", 0.00012345, "1,23E-04"},
      {"0.###e+0", 12345, "1,235e+4"},
      {"00.0E+0", 1234.5, "12,3E+2"},
      {"0.00;(0.00)", -5, "(5,00)"},
      {"0.00;(0.00)", 5, "5,00"},
      {"0.00;(0.00);'ноль'", 0, "ноль"},
      {"0;;'ноль'", -3, "-3"},         // an empty negative section falls back on the first
      {"0.0;-0.0;'ноль'", 0.01, "ноль"},   // rounds to zero: the zero section
      {"0.00", -0.001, "0,00"},        // never "-0,00"
      {"'№ '0", 7, "№ 7"},
      {"\"x;\"0\"y\"", 7, "x;7y"},     // a quoted semicolon does not split sections
      {"", 1.5, "1,5"},
      {"0.0", 1e20, "1E20"},           // beyond 18 digits: the general form
      {"#,##0.00", 0.5, "0,50"},
  };
  for (const FormatCase& C : Cases) {
    SCOPED_TRACE(std::string(C.Mask) + " / " + std::to_string(C.Value));
    EXPECT_EQ(FormatFloat(C.Mask, C.Value), String(C.Expected));
  }
}

TEST(FormatFloat, ExplicitSettingsWin)
{
  const TFormatSettings Inv = TFormatSettings::Invariant();
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, Inv), String("1,234.50"));
  EXPECT_EQ(FloatToStr(0.5, Inv), String("0.5"));
}

TEST(FormatCurr, ExactDigitsOfTheCurrency)
{
  const struct {
    const char* Mask;
    Currency Value;
    const char* Expected;
  } Cases[] = {
      {"#,##0.00", Currency::FromRaw(12345650), "1" NB "234,57"},   // 1234.565 exactly: away from zero
      {"0.0000", Currency::FromRaw(12345), "1,2345"},
      {"0.00", Currency::FromRaw(-50), "-0,01"},
      {"0", Currency::FromRaw(922337203685477807LL), "92233720368548"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Mask);
    EXPECT_EQ(FormatCurr(C.Mask, C.Value), String(C.Expected));
  }
}

struct FloatCase {
  double Value;
  TFloatFormat Format;
  int Precision;
  int Digits;
  const char* Expected;
};

TEST(FloatToStrF, EveryFormat)
{
  const double Inf = std::numeric_limits<double>::infinity();
  const FloatCase Cases[] = {
      {0.1, ffGeneral, 15, 0, "0,1"},
      {1.0 / 3, ffGeneral, 15, 0, "0,333333333333333"},
      {0.1 + 0.2, ffGeneral, 15, 0, "0,3"},
      {123456789012345.0, ffGeneral, 15, 0, "123456789012345"},
      {1e15, ffGeneral, 15, 0, "1E15"},
      {1e20, ffGeneral, 15, 0, "1E20"},
      {-1.5e-7, ffGeneral, 15, 0, "-1,5E-7"},
      {0.0001, ffGeneral, 15, 0, "0,0001"},
      {0.00001, ffGeneral, 15, 0, "1E-5"},
      {1234.5678, ffGeneral, 3, 0, "1,23E3"},
      {0, ffGeneral, 15, 0, "0"},
      {std::nan(""), ffGeneral, 15, 0, "NAN"},
      {-Inf, ffGeneral, 15, 0, "-INF"},
      {1234.5678, ffFixed, 15, 2, "1234,57"},
      {1234.5678, ffFixed, 4, 2, "1235,00"},
      {0.5, ffFixed, 15, 0, "1"},
      {-0.004, ffFixed, 15, 2, "0,00"},
      {12345678, ffFixed, 4, 2, "1,235E7"},
      {1234567.891, ffNumber, 15, 2, "1" NB "234" NB "567,89"},
      {-999.5, ffNumber, 15, 0, "-1" NB "000"},
      {1234.5, ffCurrency, 15, 2, "1" NB "234,50 ₽"},
      {-1234.5, ffCurrency, 15, 2, "-1" NB "234,50 ₽"},
      {1234.5678, ffExponent, 4, 2, "1,235E+03"},
      {0.00012, ffExponent, 3, 0, "1,20E-4"},
      {0, ffExponent, 3, 2, "0,00E+00"},
  };
  for (const FloatCase& C : Cases) {
    SCOPED_TRACE(C.Expected);
    EXPECT_EQ(FloatToStrF(C.Value, C.Format, C.Precision, C.Digits), String(C.Expected));
  }
  EXPECT_EQ(FloatToStr(1234.5), String("1234,5"));
}

TEST(CurrToStr, FourDecimalsAtMost)
{
  EXPECT_EQ(CurrToStr(Currency(1234.5)), String("1234,5"));
  EXPECT_EQ(CurrToStr(Currency::FromRaw(-1)), String("-0,0001"));
  EXPECT_EQ(CurrToStr(MaxCurrency), String("922337203685477,5807"));
  EXPECT_EQ(CurrToStrF(Currency(1234.5), ffCurrency, 2), String("1" NB "234,50 ₽"));
}

TEST(StrToFloat, ReadsWithTheGivenSettings)
{
  const struct {
    const char* Text;
    bool Valid;
    double Value;
  } Cases[] = {
      {"1,5", true, 1.5},      {"  -1,5  ", true, -1.5}, {"+2", true, 2},
      {"1,5E3", true, 1500},   {"1e-2", true, 0.01},     {",5", true, 0.5},
      {"1,", true, 1},         {"1,2,3", false, 0},      {"1.5", false, 0},
      {"1" NB "234", false, 0}, {"", false, 0},          {"  ", false, 0},
      {",", false, 0},         {"1e", false, 0},         {"abc", false, 0},
      {"1e400", false, 0},     {"0,1", true, 0.1},       {"\t1", false, 0},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Text);
    double V = -7;
    EXPECT_EQ(TryStrToFloat(C.Text, V), C.Valid);
    if (C.Valid) {
      EXPECT_EQ(V, C.Value);
    }
  }
  EXPECT_THROW(StrToFloat("1,2,3"), EConvertError);
  try {
    StrToFloat("x");
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), String("'x' is not a valid floating point value"));
  }
  EXPECT_EQ(StrToFloat("1.5", TFormatSettings::Invariant()), 1.5);
  EXPECT_EQ(StrToFloatDef("oops", 3.5), 3.5);
}

TEST(StrToCurr, ExactWithTiesToEven)
{
  const struct {
    const char* Text;
    Int64 Raw;
  } Cases[] = {
      {"1,23455", 12346},   // a tie rounds to the even last digit
      {"1,23445", 12344},
      {"1,234451", 12345},
      {"-0,00005", 0},
      {"-0,00015", -2},
      {"922337203685477,5807", INT64_MAX},
      {"0,1", 1000},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Text);
    EXPECT_EQ(StrToCurr(C.Text).Raw(), C.Raw);
  }
  Currency C;
  EXPECT_FALSE(TryStrToCurr("922337203685477,5808", C));
  EXPECT_FALSE(TryStrToCurr("1,2,3", C));
}

TEST(Format, ArgumentsWidthsAndIndexes)
{
  const struct {
    const char* Fmt;
    std::vector<Variant> Args;
    const char* Expected;
  } Cases[] = {
      {"List index out of bounds (%d)", {5}, "List index out of bounds (5)"},
      {"%s-%s", {"a", "b"}, "a-b"},
      {"%1:s %0:s", {"a", "b"}, "b a"},
      {"%1:s %s", {"a", "b", "c"}, "b c"},   // an index moves the running position
      {"[%5d]", {42}, "[   42]"},
      {"[%-5d]", {42}, "[42   ]"},
      {"[%*d]", {4, 7}, "[   7]"},
      {"[%-*d]", {4, 7}, "[7   ]"},
      {"%.5d", {-42}, "-00042"},
      {"%d", {Int64(1) << 40}, "1099511627776"},
      {"%u", {-1}, "4294967295"},
      {"%x", {255}, "FF"},
      {"%.4x", {255}, "00FF"},
      {"%x", {-1}, "FFFFFFFF"},
      {"%x", {Int64(-1)}, "FFFFFFFFFFFFFFFF"},
      {"%.2f", {1234.567}, "1234,57"},
      {"%f", {1.0}, "1,00"},
      {"[%8.2f]", {3.14159}, "[    3,14]"},
      {"%n", {1234567.891}, "1" NB "234" NB "567,89"},
      {"%m", {1234.5}, "1" NB "234,50 ₽"},
      {"%m", {Currency::FromRaw(12345)}, "1,23 ₽"},
      {"%e", {1234.5}, "1,23450000000000E+003"},
      {"%.3e", {1234.5}, "1,23E+003"},
      {"%g", {1234.5}, "1234,5"},
      {"%.3s", {"abcdef"}, "abc"},
      {"100%%", {}, "100%"},
      {"%s", {String("текст")}, "текст"},
      {"%s", {AnsiString("utf8")}, "utf8"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Fmt);
    EXPECT_EQ(Format(C.Fmt, C.Args.data(), static_cast<int>(C.Args.size()), FormatSettings), String(C.Expected));
  }
}

TEST(Format, MismatchRaisesConvertError)
{
  const struct {
    const char* Fmt;
    std::vector<Variant> Args;
    const char* Message;
  } Cases[] = {
      {"%d", {"x"}, "Format '%d' invalid or incompatible with argument"},
      {"%s", {5}, "Format '%s' invalid or incompatible with argument"},
      {"%f", {5}, "Format '%f' invalid or incompatible with argument"},
      {"%d", {1.5}, "Format '%d' invalid or incompatible with argument"},
      {"%q", {5}, "Format '%q' invalid or incompatible with argument"},
      {"%s", {Null}, "Format '%s' invalid or incompatible with argument"},
      {"abc%", {}, "Format 'abc%' invalid or incompatible with argument"},
      {"%d %d", {1}, "No argument for format '%d %d'"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Fmt);
    try {
      Format(C.Fmt, C.Args.data(), static_cast<int>(C.Args.size()), FormatSettings);
      ADD_FAILURE() << "no exception";
    } catch (const EConvertError& E) {
      EXPECT_EQ(E.Message(), String(C.Message));
    }
  }
  EXPECT_EQ(Format("List index out of bounds (%d)", {7}), String("List index out of bounds (7)"));
}

TEST(Integers, TextBothWays)
{
  const struct {
    const char* Text;
    bool Valid;
    Integer Value;
  } Cases[] = {
      {"42", true, 42},          {"  -42", true, -42},       {"+7", true, 7},
      {"$FF", true, 255},        {"0x1F", true, 31},         {"$FFFFFFFF", true, -1},
      {"2147483647", true, INT32_MAX}, {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 0},  {"42 ", false, 0},          {"", false, 0},
      {"4a", false, 0},          {"-", false, 0},            {"1,5", false, 0},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Text);
    Integer V = -1;
    EXPECT_EQ(TryStrToInt(C.Text, V), C.Valid);
    if (C.Valid) {
      EXPECT_EQ(V, C.Value);
    }
  }
  try {
    StrToInt("4a");
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), String("'4a' is not a valid integer value"));
  }
  EXPECT_EQ(StrToIntDef("x", -5), -5);
  EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(IntToHex(255, 4), String("00FF"));
  EXPECT_EQ(IntToHex(-1, 2), String("FFFFFFFF"));
  EXPECT_EQ(IntToHex(Int64(-1), 2), String("FFFFFFFFFFFFFFFF"));
  EXPECT_EQ(IntToStr(Int64(-123)), String("-123"));
  EXPECT_EQ(BoolToStr(true), String("-1"));
  EXPECT_EQ(BoolToStr(false, true), String("False"));
}

}  // namespace
