// CodePagesTest.cpp: 8-bit code pages to and from String.
#include "platform/rtl/CodePages.h"

#include "tests/platform/rtl/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePages, RussianTextRoundTrips)
{
  const struct {
    const char* Text;
    Cardinal CodePage;
    QByteArray Bytes;
  } Cases[] = {
      {"Привет, ёЁ № 1", CP_WINDOWS_1251, QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2, \xB8\xA8 \xB9 1")},
      {"Привет, ёЁ № 1", CP_OEM_866, QByteArray("\x8F\xE0\xA8\xA2\xA5\xE2, \xF1\xF0 \xFC 1")},
      {"Привет, ёЁ 1", CP_KOI8_R, QByteArray("\xF0\xD2\xC9\xD7\xC5\xD4, \xA3\xB3 1")},
      {"Привет, ёЁ № 1", CP_UTF8, String("Привет, ёЁ № 1").toUtf8()},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.CodePage);
    EXPECT_EQ(StringToCodePage(C.Text, C.CodePage), C.Bytes);
    EXPECT_EQ(CodePageToString(C.Bytes, C.CodePage), String(C.Text));
  }
}

TEST(CodePages, UnmappableCharactersBecomeQuestionMarks)
{
  // Chinese and an emoji (a surrogate pair) are not in Windows-1251.
  EXPECT_EQ(StringToCodePage(String("a中b😀c"), CP_WINDOWS_1251), QByteArray("a?b?c"));
  // 0x98 is not defined in Windows-1251.
  EXPECT_EQ(CodePageToString(QByteArray("a\x98z"), CP_WINDOWS_1251), String("a\uFFFDz"));
}

TEST(CodePages, Names)
{
  EXPECT_EQ(CodePageFromName("Windows-1251"), CP_WINDOWS_1251);
  EXPECT_EQ(CodePageFromName("cp1251"), CP_WINDOWS_1251);
  EXPECT_EQ(CodePageFromName("KOI8-R"), CP_KOI8_R);
  EXPECT_EQ(CodePageFromName("utf-8"), CP_UTF8);
  EXPECT_EQ(CodePageFromName("klingon"), 0u);
  EXPECT_EQ(CodePageName(CP_WINDOWS_1251), String("windows-1251"));
  EXPECT_TRUE(IsCodePageSupported(CP_WINDOWS_1251));
  EXPECT_FALSE(IsCodePageSupported(12345));
}

}  // namespace
