// StringsTest.cpp: the 1-based string helpers, case and collation rules,
// quoting and replacement.
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/SysUtils.h"

#include "tests/platform/rtl/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(Strings, PositionsCountFromOne)
{
  EXPECT_EQ(Pos("b", "abcb"), 2);
  EXPECT_EQ(Pos("x", "abc"), 0);
  EXPECT_EQ(Pos("", "abc"), 0);
  EXPECT_EQ(PosEx("b", "abcb", 3), 4);
  EXPECT_EQ(PosEx("b", "abcb", 5), 0);
  EXPECT_EQ(PosEx("b", "abcb", 0), 0);

  const struct {
    int Index, Count;
    const char* Expected;
  } Copies[] = {{2, 2, "bc"}, {0, 2, "ab"}, {3, 100, "cd"}, {5, 1, ""}, {2, -1, ""}, {-5, 1, "a"}};
  for (const auto& C : Copies) {
    SCOPED_TRACE(C.Index);
    EXPECT_EQ(Copy(String("abcd"), C.Index, C.Count), String(C.Expected));
  }

  String S = "abcdef";
  Delete(S, 2, 2);
  EXPECT_EQ(S, String("adef"));
  Delete(S, 0, 2);    // out of range: nothing
  Delete(S, 4, 10);   // clipped at the end
  EXPECT_EQ(S, String("ade"));
  Insert("XY", S, 2);
  EXPECT_EQ(S, String("aXYde"));
  Insert("!", S, 99);
  EXPECT_EQ(S, String("aXYde!"));
  EXPECT_EQ(Length(S), 6);
}

TEST(Strings, TrimRemovesControlCharactersToo)
{
  EXPECT_EQ(Trim(" \t a b \r\n"), String("a b"));
  EXPECT_EQ(TrimLeft("  a "), String("a "));
  EXPECT_EQ(TrimRight("  a \x01"), String("  a"));
  EXPECT_EQ(Trim("\u00A0a"), String("\u00A0a"));   // no-break space is text
}

TEST(Strings, CaseRules)
{
  EXPECT_EQ(UpperCase("abc ёжик"), String("ABC ёжик"));   // ASCII only
  EXPECT_EQ(AnsiUpperCase("abc ёжик"), String("ABC ЁЖИК"));
  EXPECT_EQ(AnsiLowerCase("ЁЛКА Z"), String("ёлка z"));
  EXPECT_EQ(LowerCase("ЁЛКА Z"), String("ЁЛКА z"));
  EXPECT_TRUE(SameText("Abc", "aBC"));
  EXPECT_FALSE(SameText("Ёж", "ёж"));          // not an ASCII letter
  EXPECT_TRUE(AnsiSameText("Ёж", "ёЖ"));
  EXPECT_LT(CompareStr("A", "a"), 0);
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_GT(CompareText("_", "a"), 0);         // '_' sorts after the upper-cased letters
}

TEST(Strings, RussianCollationWhateverTheProcessLocale)
{
  const QLocale Saved;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  const struct {
    const char* A;
    const char* B;
    int Sensitive;
    int Insensitive;
  } Cases[] = {
      {"ёлка", "елка", 1, 1},     // ё after е, not after я
      {"ёлка", "жук", -1, -1},
      {"яблоко", "Ёлка", 1, 1},
      {"абв", "Абв", -1, 0},
      {"Ж", "ж", 1, 0},
      {"abc", "абв", -1, -1},     // Latin before Cyrillic
      {"10", "9", -1, -1},
      {"", "а", -1, -1},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(std::string(C.A) + " / " + C.B);
    EXPECT_EQ(AnsiCompareStr(C.A, C.B), C.Sensitive);
    EXPECT_EQ(AnsiCompareText(C.A, C.B), C.Insensitive);
    EXPECT_EQ(AnsiCompareStr(C.B, C.A), -C.Sensitive);
  }
  QLocale::setDefault(Saved);
}

TEST(Strings, ReplaceAndQuote)
{
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", {}), String("a+b-c"));
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", {rfReplaceAll}), String("a+b+c"));
  EXPECT_EQ(StringReplace("Мир мир МИР", "мир", "X", {rfReplaceAll, rfIgnoreCase}), String("X X X"));
  EXPECT_EQ(StringReplace("abc", "", "X", {rfReplaceAll}), String("abc"));
  EXPECT_EQ(StringReplace("aaa", "a", "aa", {rfReplaceAll}), String("aaaaaa"));

  const struct {
    const char* Text;
    const char* Quoted;
  } Quotes[] = {{"abc", "'abc'"}, {"O'Neil", "'O''Neil'"}, {"", "''"}, {"''", "''''''"}};
  for (const auto& C : Quotes) {
    SCOPED_TRACE(C.Text);
    EXPECT_EQ(QuotedStr(C.Text), String(C.Quoted));
    EXPECT_EQ(AnsiDequotedStr(C.Quoted, QLatin1Char('\'')), String(C.Text));
  }
  EXPECT_EQ(AnsiQuotedStr("a\"b", QLatin1Char('"')), String("\"a\"\"b\""));
  EXPECT_EQ(AnsiDequotedStr("plain", QLatin1Char('"')), String("plain"));
  EXPECT_EQ(AnsiDequotedStr("\"ab\" tail", QLatin1Char('"')), String("ab"));
  EXPECT_EQ(AnsiDequotedStr("\"open", QLatin1Char('"')), String("open"));
}

TEST(StrUtils, PartsAndTests)
{
  EXPECT_EQ(LeftStr("abcdef", 2), String("ab"));
  EXPECT_EQ(RightStr("abcdef", 2), String("ef"));
  EXPECT_EQ(MidStr("abcdef", 2, 3), String("bcd"));
  EXPECT_EQ(DupeString("ab", 3), String("ababab"));
  EXPECT_TRUE(StartsText("мос", "Москва"));
  EXPECT_FALSE(StartsStr("мос", "Москва"));
  EXPECT_TRUE(EndsText("КВА", "Москва"));
  EXPECT_TRUE(ContainsText("Москва", "СКВ"));
  EXPECT_EQ(IndexText("б", {"А", "Б"}), 1);
  EXPECT_EQ(IndexStr("б", {"А", "Б"}), -1);
}

}  // namespace
