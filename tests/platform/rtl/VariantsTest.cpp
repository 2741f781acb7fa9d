// VariantsTest.cpp: Variant kinds, conversions, comparison, arithmetic and
// arrays by the original's rules.
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variants.h"

#include "tests/platform/rtl/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Numbers and dates are stored inside the value.
static_assert(sizeof(Variant) <= 32);

TEST(Variant, KindOfEachCppType)
{
  const struct {
    Variant V;
    TVarType Kind;
  } Cases[] = {
      {Variant(), varEmpty},
      {Null, varNull},
      {true, varBoolean},
      {ShortInt(1), varShortInt},
      {Byte(1), varByte},
      {SmallInt(1), varSmallint},
      {Word(1), varWord},
      {1, varInteger},
      {LongWord(1), varLongWord},
      {Int64(1), varInt64},
      {UInt64(1), varUInt64},
      {1.5f, varSingle},
      {1.5, varDouble},
      {Currency(1), varCurrency},
      {TDateTime(1), varDate},
      {"text", varUString},
      {String("text"), varUString},
      {AnsiString("bytes"), varString},
      {VarArrayOf({1, 2}), varArray | varVariant},
      {Variant::FromBytes("ab"), varArray | varByte},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(VarTypeAsText(C.Kind).toStdString());
    EXPECT_EQ(VarType(C.V), C.Kind);
  }
  EXPECT_EQ(VarTypeAsText(varArray | varVariant), String("Array Variant"));
}

TEST(Variant, VarToStr)
{
  const struct {
    Variant V;
    const char* Text;
  } Cases[] = {
      {Null, ""},
      {Variant(), ""},
      {true, "True"},
      {false, "False"},
      {-42, "-42"},
      {UInt64(18446744073709551615ULL), "18446744073709551615"},
      {1.5, "1,5"},
      {0.1f, "0,100000001490116"},   // a Single shows its double digits
      {Currency(1234.5), "1234,5"},
      {TDateTime(EncodeDate(2024, 3, 5)), "05.03.2024"},
      {TDateTime(EncodeDate(2024, 3, 5).Val + 0.5), "05.03.2024 12:00:00"},
      {AnsiString("ёж"), "ёж"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Text);
    EXPECT_EQ(VarToStr(C.V), String(C.Text));
  }
  EXPECT_EQ(VarToStrDef(Null, "—"), String("—"));
  EXPECT_EQ(VarToStrDef(5, "—"), String("5"));
}

TEST(Variant, ConversionsFollowTheOriginalRules)
{
  EXPECT_EQ(Variant("1,5").AsDouble(), 1.5);      // the program's decimal comma
  EXPECT_EQ(Variant(" 42").AsInteger(), 42);
  EXPECT_EQ(Variant("2,5").AsInteger(), 2);       // to even, as a cast from a double
  EXPECT_EQ(Variant(2.5).AsInteger(), 2);
  EXPECT_EQ(Variant(3.5).AsInteger(), 4);
  EXPECT_EQ(Variant(Currency(2.5)).AsInteger(), 2);
  EXPECT_EQ(Variant(true).AsInteger(), -1);
  EXPECT_TRUE(Variant("true").AsBoolean());
  EXPECT_FALSE(Variant("0").AsBoolean());
  EXPECT_TRUE(Variant(0.1).AsBoolean());
  EXPECT_EQ(Variant().AsInteger(), 0);
  EXPECT_EQ(Variant().AsString(), String());
  EXPECT_EQ(Variant("05.03.2024 14:00").AsDateTime().Val, EncodeDate(2024, 3, 5).Val + 14.0 / 24);
  EXPECT_EQ(Variant(1.23456).AsCurrency().Raw(), 12346);
  EXPECT_EQ(Variant("1,00005").AsCurrency().Raw(), 10000);   // read exactly, tie to even
  EXPECT_EQ(static_cast<int>(Variant(7)), 7);
  EXPECT_EQ(String(Variant(7)), String("7"));
  EXPECT_EQ(VarType(VarAsType("12", varInteger)), varInteger);
  EXPECT_EQ(VarType(VarAsType(12, varOleStr)), varOleStr);
  EXPECT_EQ(VarAsType(12, varDouble).AsDouble(), 12.0);
  EXPECT_TRUE(VarIsNull(VarAsType(Null, varVariant)));
}

TEST(Variant, TextConversionsFollowTheGlobalSettings)
{
  // The library switches the global settings for invariant text; a Variant
  // cast in between must follow them.
  const TFormatSettings Saved = FormatSettings;
  FormatSettings.DecimalSeparator = QLatin1Char('.');
  FormatSettings.DateSeparator = QLatin1Char('-');
  FormatSettings.ShortDateFormat = "YYYY/MM/DD";
  EXPECT_EQ(VarAsType("1.5", varDouble).AsDouble(), 1.5);
  EXPECT_EQ(VarToStr(2.25), String("2.25"));
  EXPECT_EQ(VarAsType("2024-03-05", varDate).AsDateTime().Val, EncodeDate(2024, 3, 5).Val);
  EXPECT_EQ(VarToStr(TDateTime(EncodeDate(2024, 3, 5))), String("2024-03-05"));
  FormatSettings = Saved;
  EXPECT_EQ(VarToStr(2.25), String("2,25"));
}

TEST(Variant, BadCastsRaiseWithTheOriginalText)
{
  const struct {
    Variant V;
    TVarType Target;
    const char* Message;
  } Cases[] = {
      {Null, varInteger, "Could not convert variant of type (Null) into type (Integer)"},
      {Null, varUString, "Could not convert variant of type (Null) into type (UnicodeString)"},
      {"abc", varInteger, "Could not convert variant of type (UnicodeString) into type (Integer)"},
      {"1.5", varDouble, "Could not convert variant of type (UnicodeString) into type (Double)"},
      {"yes", varBoolean, "Could not convert variant of type (UnicodeString) into type (Boolean)"},
      {"32.13.2024", varDate, "Could not convert variant of type (UnicodeString) into type (Date)"},
      {VarArrayOf({1}), varDouble, "Could not convert variant of type (Array Variant) into type (Double)"},
      {300, varByte, "Overflow while converting variant of type (Integer) into type (Byte)"},
      {Int64(1) << 40, varInteger, "Overflow while converting variant of type (Int64) into type (Integer)"},
      {1e300, varCurrency, "Overflow while converting variant of type (Double) into type (Currency)"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Message);
    try {
      VarAsType(C.V, C.Target);
      ADD_FAILURE() << "no exception";
    } catch (const EVariantError& E) {
      EXPECT_EQ(E.Message(), String(C.Message));
    }
  }
  EXPECT_THROW(Null.AsString(), EVariantError);
  EXPECT_THROW(static_cast<double>(Null), EVariantError);
}

TEST(Variant, Arithmetic)
{
  const struct {
    Variant Result;
    TVarType Kind;
    const char* Text;
  } Cases[] = {
      {Variant("ab") + Variant("cd"), varUString, "abcd"},
      {Variant("1") + 2, varDouble, "3"},
      {2 + Variant("1,5"), varDouble, "3,5"},
      {Variant("5") - Variant("2"), varDouble, "3"},
      {Variant() + 5, varInteger, "5"},
      {Variant("x") + Variant(), varUString, "x"},
      {Variant(INT32_MAX) + 1, varInt64, "2147483648"},
      {Variant(INT64_MAX) + 1, varDouble, "9,22337203685478E18"},
      {Variant(7) / 2, varDouble, "3,5"},
      {Variant(7) % 3, varInteger, "1"},
      {Variant(Currency(0.1)) + Currency(0.2), varCurrency, "0,3"},
      {Variant(Currency(1.5)) * 3, varCurrency, "4,5"},
      {Variant(Currency(1.5)) + 0.25, varDouble, "1,75"},
      {Variant(TDateTime(EncodeDate(2024, 2, 28))) + 1, varDate, "29.02.2024"},
      {Variant(TDateTime(EncodeDate(2024, 3, 1))) - Variant(TDateTime(EncodeDate(2024, 2, 1))), varDouble, "29"},
      {-Variant(5), varInteger, "-5"},
      {-Variant("2,5"), varDouble, "-2,5"},
      {Variant(true) + 1, varInteger, "0"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Text);
    EXPECT_EQ(VarType(C.Result), C.Kind);
    EXPECT_EQ(VarToStr(C.Result), String(C.Text));
  }
  EXPECT_TRUE(VarIsNull(Null + 1));
  EXPECT_TRUE(VarIsNull(Variant("a") + Null));
  EXPECT_THROW(Variant(1) / 0, EZeroDivide);
  EXPECT_THROW(Variant(1) % 0, EZeroDivide);
  EXPECT_THROW(Variant("x") + 1, EVariantError);
  EXPECT_THROW(VarArrayOf({1}) + 1, EVariantError);
  Variant Sum = 0;
  for (int I = 1; I <= 4; ++I)
    Sum += I;
  EXPECT_EQ(Sum.AsInteger(), 10);
}

TEST(Variant, CompareValueOnMixedKinds)
{
  const Variant Day(TDateTime(45000));
  const struct {
    Variant A;
    Variant B;
    TVariantRelationship Expected;
  } Cases[] = {
      {1, 1.0, vrEqual},
      {1, "1", vrEqual},
      {2, "10", vrLessThan},          // a number and a string compare as numbers
      {"2", "10", vrGreaterThan},     // two strings compare as text
      {"а", "Б", vrLessThan},         // Russian collation
      {"abc", "abc", vrEqual},
      {Currency(1.5), 1.5, vrEqual},
      {Currency(1.5), 2, vrLessThan},
      {Int64(-1), UInt64(1), vrLessThan},
      {UInt64(18446744073709551615ULL), Int64(1), vrGreaterThan},
      {Day, TDateTime(45001), vrLessThan},
      {Day, 45000, vrEqual},
      {Day, "15.03.2023", vrEqual},
      {true, false, vrGreaterThan},
      {Byte(200), ShortInt(-1), vrGreaterThan},
      {Null, Null, vrEqual},
      {Null, 5, vrNotEqual},
      {5, Null, vrNotEqual},
      {Variant(), Variant(), vrEqual},
      {Variant(), 0, vrNotEqual},
      {Null, Variant(), vrNotEqual},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(VarToStr(C.A).toStdString() + " / " + VarToStr(C.B).toStdString());
    EXPECT_EQ(VarCompareValue(C.A, C.B), C.Expected);
    if (C.Expected == vrLessThan) {
      EXPECT_EQ(VarCompareValue(C.B, C.A), vrGreaterThan);
    }
  }
  EXPECT_TRUE(VarSameValue(Null, Null));
  EXPECT_FALSE(VarSameValue(Null, Variant()));
  EXPECT_THROW(VarCompareValue(VarArrayOf({1}), 1), EVariantError);
}

TEST(Variant, OperatorsOrderNullFirst)
{
  EXPECT_TRUE(Null == Null);
  EXPECT_FALSE(Null == 0);
  EXPECT_FALSE(Null == Variant());
  EXPECT_TRUE(Null < 0);
  EXPECT_TRUE(Null < "");
  EXPECT_FALSE(0 < Null);
  EXPECT_FALSE(Null < Null);
  EXPECT_TRUE(Variant() == 0);     // Empty is zero or the empty text
  EXPECT_TRUE(Variant() == "");
  EXPECT_TRUE(Variant(1) != 2);
  EXPECT_TRUE(Variant("1,5") == 1.5);
  EXPECT_FALSE(VarEquals(VarArrayOf({1}), 1));   // raises inside, False outside
  EXPECT_THROW((void)(VarArrayOf({1}) == 1), EVariantError);
}

TEST(Variant, ArraysAreValuesCopiedOnWrite)
{
  Variant A = VarArrayOf({1, "a", Null});
  EXPECT_TRUE(VarIsArray(A));
  EXPECT_EQ(VarArrayDimCount(A), 1);
  EXPECT_EQ(VarArrayLowBound(A, 1), 0);
  EXPECT_EQ(VarArrayHighBound(A, 1), 2);
  Variant B = A;
  B[0] = 5;
  EXPECT_EQ(A[0].AsInteger(), 1);
  EXPECT_EQ(B[0].AsInteger(), 5);
  EXPECT_TRUE(VarIsNull(A[2]));
  EXPECT_THROW(A.GetElement(3), EVariantError);
  EXPECT_THROW(Variant(1).GetElement(0), EVariantError);
  EXPECT_THROW(VarArrayLowBound(A, 2), EVariantError);

  Variant Typed = VarArrayCreate({1, 3}, varInteger);
  EXPECT_EQ(VarArrayLowBound(Typed, 1), 1);
  EXPECT_EQ(VarArrayHighBound(Typed, 1), 3);
  EXPECT_EQ(VarType(Typed[2]), varInteger);
  Typed.PutElement(3, "7");
  EXPECT_EQ(VarType(Typed[3]), varInteger);   // an element takes the array's type
  EXPECT_THROW(Typed.GetElement(0), EVariantError);
  VarArrayRedim(Typed, 5);
  EXPECT_EQ(VarArrayHighBound(Typed, 1), 5);
  EXPECT_EQ(Typed[5].AsInteger(), 0);
  EXPECT_EQ(Typed[3].AsInteger(), 7);

  Variant Blob = VarArrayCreate({0, 2}, varByte);
  EXPECT_EQ(VarType(Blob), varArray | varByte);
  Blob.PutElement(1, 0xAB);
  EXPECT_EQ(Blob.AsBytes(), QByteArray("\x00\xAB\x00", 3));
  const Variant Copy = Blob;
  Blob.PutElement(0, 1);
  EXPECT_EQ(Copy.AsBytes(), QByteArray("\x00\xAB\x00", 3));
  EXPECT_EQ(Variant::FromBytes("xyz").GetElement(2).AsInteger(), 'z');
  EXPECT_THROW(Blob[0] = 1, EVariantError);   // bytes are written with PutElement
  EXPECT_EQ(VarArrayOf({65, 66}).AsBytes(), QByteArray("AB"));
  EXPECT_THROW(VarArrayCreate({0}, varVariant), EVariantError);
}

}  // namespace
