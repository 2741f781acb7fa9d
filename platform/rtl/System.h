// System.h: the basic types every unit uses: strings, integers, date-time,
// sets of an enumeration, events, and the root object class.
#pragma once

#include <QString>
#include <QByteArray>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <type_traits>

using String = QString;          // 16-bit units, positions counted from 1 by the helpers
using AnsiString = QByteArray;   // 8-bit text, UTF-8 on this system
using RawByteString = QByteArray;
using Integer = std::int32_t;
using Cardinal = std::uint32_t;
using LongInt = std::int32_t;
using LongWord = std::uint32_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;
using SmallInt = std::int16_t;
using ShortInt = std::int8_t;
using Word = std::uint16_t;
using Byte = std::uint8_t;
using NativeInt = std::intptr_t;
using NativeUInt = std::uintptr_t;
using Extended = double;
using Real = double;
using Single = float;
using WideChar = char16_t;
using Char = QChar;

// Days since 1899-12-30; the fraction is the time of day. A type of its own so
// that a Variant can tell a date from a number.
struct TDateTime {
  double Val = 0.0;
  constexpr TDateTime() = default;
  constexpr TDateTime(double V) : Val(V) {}
  constexpr operator double() const { return Val; }
};
using TDate = TDateTime;
using TTime = TDateTime;

// A set of an enumeration whose values are 0..63.
template <class E>
class TSet {
  static_assert(std::is_enum_v<E>, "TSet holds values of an enumeration");
public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> Values)
  {
    for (E V : Values)
      FBits |= Bit(V);
  }
  static constexpr TSet FromBits(std::uint64_t Bits) { TSet S; S.FBits = Bits; return S; }
  constexpr std::uint64_t Bits() const { return FBits; }

  constexpr bool Contains(E V) const { return (FBits & Bit(V)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr TSet& Include(E V) { FBits |= Bit(V); return *this; }
  constexpr TSet& Exclude(E V) { FBits &= ~Bit(V); return *this; }
  constexpr TSet& operator<<(E V) { return Include(V); }
  constexpr TSet& operator>>(E V) { return Exclude(V); }

  constexpr TSet operator+(TSet O) const { return FromBits(FBits | O.FBits); }
  constexpr TSet operator-(TSet O) const { return FromBits(FBits & ~O.FBits); }
  constexpr TSet operator*(TSet O) const { return FromBits(FBits & O.FBits); }
  constexpr TSet& operator+=(TSet O) { FBits |= O.FBits; return *this; }
  constexpr TSet& operator-=(TSet O) { FBits &= ~O.FBits; return *this; }
  constexpr TSet& operator*=(TSet O) { FBits &= O.FBits; return *this; }
  constexpr bool operator==(const TSet&) const = default;
  // Subset and superset, as the original's <= and >= on sets.
  constexpr bool operator<=(TSet O) const { return (FBits & ~O.FBits) == 0; }
  constexpr bool operator>=(TSet O) const { return O <= *this; }

private:
  static constexpr std::uint64_t Bit(E V) { return std::uint64_t(1) << static_cast<unsigned>(V); }
  std::uint64_t FBits = 0;
};

class TObject;
using TClass = const struct TClassInfo*;

// Events are std::function members; an empty one is an unassigned handler.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// The root of every class tree. Class names and published properties come from
// the class registry (TypInfo.h); RTTI supplies the rest.
class TObject {
public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;

  // The class of this object in the class registry (TypInfo.h). A class gets
  // its own entry with VELMORA_CLASS(Name) in its body; without it an object
  // answers the nearest ancestor that has one.
  virtual TClass ClassType() const { return StaticClass(); }
  static TClass StaticClass();
  String ClassName() const;
  bool InheritsFrom(TClass AClass) const;
};

template <class T>
inline bool Is(const TObject* Obj) { return dynamic_cast<const T*>(Obj) != nullptr; }
