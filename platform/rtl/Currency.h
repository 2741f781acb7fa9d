// Currency.h: money as a fixed-point number with four decimals (an Int64 of
// ten-thousandths), exact in sums and rounded ties-to-even from doubles.
#pragma once

#include "platform/rtl/System.h"

#include <compare>
#include <concepts>

class Currency {
public:
  static constexpr Int64 Scale = 10000;

  constexpr Currency() = default;
  template <std::integral T>
    requires(!std::same_as<T, bool>)
  constexpr Currency(T Value) : FValue(static_cast<Int64>(Value) * Scale) {}
  // Rounds to four decimals, a tie to the even last digit; raises EOverflow
  // outside the range and EInvalidArgument for NaN.
  Currency(double Value);

  // The raw ten-thousandths.
  static constexpr Currency FromRaw(Int64 Raw) { Currency C; C.FValue = Raw; return C; }
  constexpr Int64 Raw() const { return FValue; }

  double ToDouble() const { return static_cast<double>(FValue) / Scale; }
  explicit operator double() const { return ToDouble(); }

  constexpr Currency operator-() const { return FromRaw(-FValue); }
  Currency& operator+=(Currency O);
  Currency& operator-=(Currency O);
  Currency& operator*=(Currency O);
  Currency& operator/=(Currency O);

  friend Currency operator+(Currency A, Currency B) { return A += B; }
  friend Currency operator-(Currency A, Currency B) { return A -= B; }
  friend Currency operator*(Currency A, Currency B) { return A *= B; }
  friend Currency operator/(Currency A, Currency B) { return A /= B; }
  // With a double operand the arithmetic is done in floating point, as the
  // original evaluates such mixed expressions; assigning the result to a
  // Currency rounds it once.
  friend double operator+(Currency A, double B) { return A.ToDouble() + B; }
  friend double operator+(double A, Currency B) { return A + B.ToDouble(); }
  friend double operator-(Currency A, double B) { return A.ToDouble() - B; }
  friend double operator-(double A, Currency B) { return A - B.ToDouble(); }
  friend double operator*(Currency A, double B) { return A.ToDouble() * B; }
  friend double operator*(double A, Currency B) { return A * B.ToDouble(); }
  friend double operator/(Currency A, double B) { return A.ToDouble() / B; }
  friend double operator/(double A, Currency B) { return A / B.ToDouble(); }
  template <std::integral T> requires(!std::same_as<T, bool>)
  friend Currency operator+(Currency A, T B) { return A + Currency(B); }
  template <std::integral T> requires(!std::same_as<T, bool>)
  friend Currency operator+(T A, Currency B) { return Currency(A) + B; }
  template <std::integral T> requires(!std::same_as<T, bool>)
  friend Currency operator-(Currency A, T B) { return A - Currency(B); }
  template <std::integral T> requires(!std::same_as<T, bool>)
  friend Currency operator-(T A, Currency B) { return Currency(A) - B; }
  template <std::integral T> requires(!std::same_as<T, bool>)
  friend Currency operator*(Currency A, T B) { return A * Currency(B); }
  template <std::integral T> requires(!std::same_as<T, bool>)
  friend Currency operator*(T A, Currency B) { return Currency(A) * B; }
  template <std::integral T> requires(!std::same_as<T, bool>)
  friend Currency operator/(Currency A, T B) { return A / Currency(B); }

  friend constexpr bool operator==(Currency A, Currency B) { return A.FValue == B.FValue; }
  friend constexpr std::strong_ordering operator<=>(Currency A, Currency B) { return A.FValue <=> B.FValue; }

private:
  Int64 FValue = 0;
};

// Largest and smallest values a Currency holds.
inline constexpr Currency MaxCurrency = Currency::FromRaw(INT64_MAX);
inline constexpr Currency MinCurrency = Currency::FromRaw(INT64_MIN);
