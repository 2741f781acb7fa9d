// CurrencyMathTest.cpp: banker's rounding, RoundTo/SimpleRoundTo and the
// fixed-point Currency.
#include "platform/rtl/Currency.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Rounding, BankersRoundAndTrunc)
{
  const struct {
    double Value;
    Int64 Rounded;
    Int64 Truncated;
  } Cases[] = {
      {2.5, 2, 2}, {3.5, 4, 3}, {-2.5, -2, -2}, {-3.5, -4, -3}, {2.6, 3, 2},
      {-2.6, -3, -2}, {0.5, 0, 0}, {1.5, 2, 1}, {1e15 + 0.5, 1000000000000000, 1000000000000000},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Value);
    EXPECT_EQ(Round(C.Value), C.Rounded);
    EXPECT_EQ(Trunc(C.Value), C.Truncated);
  }
  EXPECT_THROW(Round(std::nan("")), EInvalidArgument);
  EXPECT_THROW(Trunc(1e30), EInvalidArgument);
  EXPECT_DOUBLE_EQ(Frac(-2.25), -0.25);
  EXPECT_EQ(Int(-2.75), -2.0);
}

TEST(Rounding, RoundToAndSimpleRoundTo)
{
  const struct {
    double Value;
    int Digits;
    double Banker;
    double Simple;
  } Cases[] = {
      {1.235, -2, 1.24, 1.24},    // a tie: 4 is even
      {1.225, -2, 1.22, 1.23},
      {1.005, -2, 1.00, 1.01},    // a tie as written, though the double is below it
      {2.675, -2, 2.68, 2.68},
      {-1.225, -2, -1.22, -1.23},
      {0.125, -2, 0.12, 0.13},
      {2.5, 0, 2, 3},
      {3.5, 0, 4, 4},
      {1234567, 3, 1235000, 1235000},
      {2500, 3, 2000, 3000},
      {0.0004, -2, 0, 0},
      {0.006, -2, 0.01, 0.01},
      {99.995, -2, 100, 100},
      {1234.5678, -2, 1234.57, 1234.57},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(std::to_string(C.Value) + " " + std::to_string(C.Digits));
    EXPECT_EQ(RoundTo(C.Value, C.Digits), C.Banker);
    EXPECT_EQ(SimpleRoundTo(C.Value, C.Digits), C.Simple);
  }
}

TEST(Currency, FromDoubleTiesToEven)
{
  const struct {
    double Value;
    Int64 Raw;
  } Cases[] = {
      {1.5, 15000},
      {0.03125, 312},        // 312.5 ten-thousandths exactly: to even
      {0.09375, 938},
      {-0.03125, -312},
      {0.00005, 1},          // the double lies just above the tie
      {0.00015, 1},          // and this one just below
      {1.23456789, 12346},
      {922337203685477.0, 9223372036854770000},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Value);
    EXPECT_EQ(Currency(C.Value).Raw(), C.Raw);
  }
  EXPECT_THROW(Currency(1e16), EOverflow);
  EXPECT_THROW(Currency(std::nan("")), EInvalidArgument);
}

TEST(Currency, ExactArithmetic)
{
  const Currency A(0.1), B(0.2);
  EXPECT_EQ(A + B, Currency(0.3));   // no binary drift
  EXPECT_EQ((Currency(10) / 3).Raw(), 33333);
  EXPECT_EQ((Currency::FromRaw(5) * Currency(0.5)).Raw(), 2);   // 0.00025: tie to even
  EXPECT_EQ((Currency::FromRaw(15) * Currency(0.5)).Raw(), 8);
  EXPECT_EQ(Currency(7) * 3, Currency(21));
  EXPECT_LT(Currency(-1), Currency(0.5));
  EXPECT_THROW(MaxCurrency + Currency::FromRaw(1), EOverflow);
  EXPECT_THROW(Currency(1) / Currency(0), EZeroDivide);
  const double Mixed = Currency(10) * 0.33333;   // a double operand stays in floating point
  EXPECT_DOUBLE_EQ(Mixed, 3.3333);
  EXPECT_EQ(Currency(Mixed).Raw(), 33333);
}

}  // namespace
