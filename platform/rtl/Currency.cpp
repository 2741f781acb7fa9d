// Currency.cpp: exact fixed-point arithmetic, ties rounded to even.
#include "platform/rtl/Currency.h"

#include "platform/rtl/SysUtils.h"

#include <cmath>

namespace {

[[noreturn]] void RaiseOverflow()
{
  throw EOverflow(QStringLiteral("Floating point overflow"));
}

Int64 Checked(__int128 Value)
{
  if (Value > INT64_MAX || Value < INT64_MIN)
    RaiseOverflow();
  return static_cast<Int64>(Value);
}

// Numerator / Denominator rounded to the nearest, a tie to even.
__int128 DivideToEven(__int128 Numerator, __int128 Denominator)
{
  if (Denominator == 0)
    throw EZeroDivide(QStringLiteral("Floating point division by zero"));
  if (Denominator < 0) {
    Numerator = -Numerator;
    Denominator = -Denominator;
  }
  __int128 Q = Numerator / Denominator;
  __int128 R = Numerator % Denominator;   // same sign as Numerator
  const __int128 Twice = (R < 0 ? -R : R) * 2;
  if (Twice > Denominator || (Twice == Denominator && (Q % 2 != 0)))
    Q += (Numerator < 0 ? -1 : 1);
  return Q;
}

}  // namespace

Currency::Currency(double Value)
{
  if (std::isnan(Value))
    throw EInvalidArgument(QStringLiteral("Invalid floating point operation"));
  // The product is exact in quad precision (53 + 14 bits of mantissa).
  const __float128 Product = static_cast<__float128>(Value) * Scale;
  const __float128 Limit = 0x1p63, Half = 0.5;
  if (!(Product > -Limit && Product < Limit))
    RaiseOverflow();
  __int128 R = static_cast<__int128>(Product);   // toward zero
  const __float128 Frac = Product - static_cast<__float128>(R);
  if (Frac > Half || (Frac == Half && R % 2 != 0))
    ++R;
  else if (Frac < -Half || (Frac == -Half && R % 2 != 0))
    --R;
  if (R > INT64_MAX || R < INT64_MIN)
    RaiseOverflow();
  FValue = static_cast<Int64>(R);
}

Currency& Currency::operator+=(Currency O)
{
  if (__builtin_add_overflow(FValue, O.FValue, &FValue))
    RaiseOverflow();
  return *this;
}

Currency& Currency::operator-=(Currency O)
{
  if (__builtin_sub_overflow(FValue, O.FValue, &FValue))
    RaiseOverflow();
  return *this;
}

Currency& Currency::operator*=(Currency O)
{
  FValue = Checked(DivideToEven(static_cast<__int128>(FValue) * O.FValue, Scale));
  return *this;
}

Currency& Currency::operator/=(Currency O)
{
  FValue = Checked(DivideToEven(static_cast<__int128>(FValue) * Scale, O.FValue));
  return *this;
}
