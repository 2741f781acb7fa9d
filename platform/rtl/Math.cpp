// Math.cpp: rounding that judges ties on the exact value of a double.
#include "platform/rtl/Math.h"

#include "platform/rtl/SysUtils.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

enum class TTie { Even, AwayFromZero };

// Rounds to a power of ten on the value's 15 significant decimal digits,
// the digits the program shows for a double, so that 1.005 and 2.675 are the
// ties a user sees rather than the binary values just below them.
double RoundToPower(double Value, int Digits, TTie Tie)
{
  if (!std::isfinite(Value) || Value == 0)
    return Value;
  Digits = std::max(-37, std::min(37, Digits));
  char Buf[40];
  std::snprintf(Buf, sizeof Buf, "%.14e", std::fabs(Value));
  std::string D;
  D.push_back(Buf[0]);
  const char* P = Buf + 2;
  while (*P >= '0' && *P <= '9')
    D.push_back(*P++);
  const int Exp = std::atoi(P + 1);   // Value = D[0].D[1..] x 10^Exp
  const int Keep = Exp - Digits + 1;  // digits left of the rounding place
  if (Keep >= static_cast<int>(D.size()))
    return Value;
  if (Keep < 0)
    return std::copysign(0.0, Value);
  const char First = D[static_cast<size_t>(Keep)];
  const bool RestZero = D.find_first_not_of('0', static_cast<size_t>(Keep) + 1) == std::string::npos;
  const int Last = Keep > 0 ? D[static_cast<size_t>(Keep) - 1] - '0' : 0;
  bool Up = First > '5' || (First == '5' && !RestZero);
  if (First == '5' && RestZero)
    Up = Tie == TTie::AwayFromZero || Last % 2 != 0;
  std::string Kept = Keep > 0 ? D.substr(0, static_cast<size_t>(Keep)) : std::string("0");
  if (Up) {
    int I = static_cast<int>(Kept.size()) - 1;
    while (I >= 0 && Kept[static_cast<size_t>(I)] == '9')
      Kept[static_cast<size_t>(I--)] = '0';
    if (I < 0)
      Kept.insert(Kept.begin(), '1');
    else
      ++Kept[static_cast<size_t>(I)];
  }
  const std::string Text = (Value < 0 ? "-" : "") + Kept + "e" + std::to_string(Digits);
  return std::strtod(Text.c_str(), nullptr);
}

}  // namespace

Int64 Round(double Value)
{
  const double R = std::nearbyint(Value);
  if (!(R >= -0x1p63 && R < 0x1p63))
    throw EInvalidArgument(QStringLiteral("Invalid floating point operation"));
  return static_cast<Int64>(R);
}

Int64 Trunc(double Value)
{
  const double R = std::trunc(Value);
  if (!(R >= -0x1p63 && R < 0x1p63))
    throw EInvalidArgument(QStringLiteral("Invalid floating point operation"));
  return static_cast<Int64>(R);
}

double RoundTo(double Value, int Digits)
{
  return RoundToPower(Value, Digits, TTie::Even);
}

double SimpleRoundTo(double Value, int Digits)
{
  return RoundToPower(Value, Digits, TTie::AwayFromZero);
}

int Floor(double Value)
{
  return static_cast<int>(std::floor(Value));
}

int Ceil(double Value)
{
  return static_cast<int>(std::ceil(Value));
}

double Power(double Base, double Exponent)
{
  return std::pow(Base, Exponent);
}

double IntPower(double Base, int Exponent)
{
  return std::pow(Base, Exponent);
}

static double DefaultEpsilon(double A, double B)
{
  // As the original: a relative tolerance of about 1e-12 of the larger value.
  return std::max(std::min(std::fabs(A), std::fabs(B)) * 1e-12, 1e-12);
}

bool IsZero(double Value, double Epsilon)
{
  if (Epsilon == 0)
    Epsilon = 1e-12;
  return std::fabs(Value) <= Epsilon;
}

bool SameValue(double A, double B, double Epsilon)
{
  if (Epsilon == 0)
    Epsilon = DefaultEpsilon(A, B);
  return A > B ? A - B <= Epsilon : B - A <= Epsilon;
}

int CompareValue(double A, double B, double Epsilon)
{
  if (std::fabs(A - B) <= Epsilon)
    return 0;
  return A < B ? -1 : 1;
}

int CompareValue(Int64 A, Int64 B)
{
  return A < B ? -1 : A > B ? 1 : 0;
}
