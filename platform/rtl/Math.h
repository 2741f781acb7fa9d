// Math.h: rounding and the small numeric helpers of the original runtime.
#pragma once

#include "platform/rtl/System.h"

#include <cmath>

// Round to the nearest integer, a tie to the even one (2.5 -> 2, 3.5 -> 4).
// EInvalidArgument for NaN, infinity or a value outside Int64.
Int64 Round(double Value);
// Toward zero.
Int64 Trunc(double Value);
inline double Int(double Value) { return std::trunc(Value); }
inline double Frac(double Value) { return Value - std::trunc(Value); }

// Digits is the power of ten to round to: -2 keeps two decimals, 3 rounds
// to thousands. Ties are judged on the value's 15 significant decimal
// digits (1.005 is a tie): RoundTo rounds a tie to even, SimpleRoundTo away
// from zero.
double RoundTo(double Value, int Digits);
double SimpleRoundTo(double Value, int Digits = -2);

int Floor(double Value);
int Ceil(double Value);
double Power(double Base, double Exponent);
double IntPower(double Base, int Exponent);
inline int Sign(double Value) { return Value > 0 ? 1 : Value < 0 ? -1 : 0; }
bool IsZero(double Value, double Epsilon = 0);
bool SameValue(double A, double B, double Epsilon = 0);
// -1, 0 or 1.
int CompareValue(double A, double B, double Epsilon = 0);
int CompareValue(Int64 A, Int64 B);
inline bool IsNan(double Value) { return std::isnan(Value); }
inline bool IsInfinite(double Value) { return std::isinf(Value); }
template <class T>
constexpr bool InRange(T Value, T Min, T Max) { return Value >= Min && Value <= Max; }
template <class T>
constexpr T EnsureRange(T Value, T Min, T Max) { return Value < Min ? Min : Value > Max ? Max : Value; }
template <class T>
constexpr T Max(T A, T B) { return A > B ? A : B; }
template <class T>
constexpr T Min(T A, T B) { return A < B ? A : B; }
