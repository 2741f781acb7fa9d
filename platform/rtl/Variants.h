// Variants.h: Variant, the dynamically typed value of fields, parameters and
// lookup keys, with the conversion, comparison and arithmetic rules of the
// original runtime. Numbers and dates live inside the value (no allocation);
// strings share their data; arrays are copied on write.
#pragma once

#include "platform/rtl/System.h"
#include "platform/rtl/Currency.h"

#include <memory>
#include <vector>

using TVarType = Word;

// Type codes as the original numbers them (VarType() gives these).
enum : TVarType {
  varEmpty = 0x0000,
  varNull = 0x0001,
  varSmallint = 0x0002,
  varInteger = 0x0003,
  varSingle = 0x0004,
  varDouble = 0x0005,
  varCurrency = 0x0006,
  varDate = 0x0007,
  varOleStr = 0x0008,
  varDispatch = 0x0009,
  varError = 0x000A,
  varBoolean = 0x000B,
  varVariant = 0x000C,
  varUnknown = 0x000D,
  varShortInt = 0x0010,
  varByte = 0x0011,
  varWord = 0x0012,
  varLongWord = 0x0013,
  varInt64 = 0x0014,
  varUInt64 = 0x0015,
  varString = 0x0100,    // 8-bit text (AnsiString)
  varUString = 0x0102,   // String
  varTypeMask = 0x0FFF,
  varArray = 0x2000,
  varByRef = 0x4000,
};

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

// The root of reference-counted interfaces that a Variant can carry
// (varUnknown); the count is the shared pointer's.
class IInterface {
public:
  virtual ~IInterface() = default;
};
using IInterfacePtr = std::shared_ptr<IInterface>;

class Variant;
struct TVarArrayData;   // bounds, element type and elements of a Variant array

class Variant {
public:
  constexpr Variant() noexcept : FInt(0) {}
  Variant(const Variant& Other);
  Variant(Variant&& Other) noexcept;
  Variant& operator=(const Variant& Other);
  Variant& operator=(Variant&& Other) noexcept;
  ~Variant()
  {
    if (HoldsReference(FType))
      Release();
  }

  // Each C++ type gives the kind the original gives it.
  Variant(bool Value) : FType(varBoolean), FBool(Value) {}
  template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, char16_t>)
  Variant(T Value) : FType(IntegerKind<T>())
  {
    if constexpr (std::is_signed_v<T>)
      FInt = static_cast<Int64>(Value);
    else
      FUInt = static_cast<UInt64>(Value);
  }
  Variant(float Value) : FType(varSingle), FSingle(Value) {}
  Variant(double Value) : FType(varDouble), FDouble(Value) {}
  Variant(Currency Value) : FType(varCurrency), FInt(Value.Raw()) {}
  Variant(TDateTime Value) : FType(varDate), FDouble(Value.Val) {}
  Variant(const String& Value);
  Variant(String&& Value);
  Variant(const char* Utf8);            // String from UTF-8 text
  Variant(const char16_t* Value);
  Variant(QChar Value);
  Variant(char16_t Value) : Variant(QChar(Value)) {}
  Variant(char Value) : Variant(QChar(QLatin1Char(Value))) {}
  Variant(const AnsiString& Value);     // 8-bit text (varString)
  Variant(IInterfacePtr Value);         // varUnknown
  // A pointer is no value; without this an object pointer would become a
  // Boolean.
  template <class T>
  Variant(T*) = delete;

  // A one-dimensional byte array (varArray | varByte) holding the bytes.
  static Variant FromBytes(const QByteArray& Bytes);

  TVarType VType() const { return FType; }
  bool IsNull() const { return FType == varNull; }
  bool IsEmpty() const { return FType == varEmpty; }
  bool IsArray() const { return (FType & varArray) != 0; }

  // Conversions by the original's rules; EVariantError when the value
  // cannot be converted (Null included). Strings convert through the
  // program's FormatSettings.
  bool AsBoolean() const;
  Integer AsInteger() const;
  Int64 AsInt64() const;
  UInt64 AsUInt64() const;
  double AsDouble() const;
  Currency AsCurrency() const;
  TDateTime AsDateTime() const;
  String AsString() const;
  AnsiString AsAnsiString() const;
  IInterfacePtr AsInterface() const;
  // The bytes of a byte array, or of an 8-bit string.
  QByteArray AsBytes() const;

  explicit operator bool() const { return AsBoolean(); }
  explicit operator ShortInt() const { return static_cast<ShortInt>(AsInteger()); }
  explicit operator Byte() const { return static_cast<Byte>(AsInteger()); }
  explicit operator SmallInt() const { return static_cast<SmallInt>(AsInteger()); }
  explicit operator Word() const { return static_cast<Word>(AsInteger()); }
  explicit operator Integer() const { return AsInteger(); }
  explicit operator LongWord() const { return static_cast<LongWord>(AsInt64()); }
  explicit operator long() const { return static_cast<long>(AsInt64()); }
  explicit operator long long() const { return static_cast<long long>(AsInt64()); }
  explicit operator unsigned long() const { return static_cast<unsigned long>(AsUInt64()); }
  explicit operator unsigned long long() const { return static_cast<unsigned long long>(AsUInt64()); }
  explicit operator float() const { return static_cast<float>(AsDouble()); }
  explicit operator double() const { return AsDouble(); }
  explicit operator Currency() const { return AsCurrency(); }
  explicit operator TDateTime() const { return AsDateTime(); }
  explicit operator String() const { return AsString(); }
  explicit operator AnsiString() const { return AsAnsiString(); }

  // Elements of an array by index within its bounds; EVariantError outside
  // them or on a value that is no array. The non-const form serves Variant
  // arrays only (a byte array is written through PutElement).
  Variant operator[](int Index) const { return GetElement(Index); }
  Variant& operator[](int Index);
  Variant GetElement(int Index) const;
  void PutElement(int Index, const Variant& Value);

  // Arithmetic and comparison as the original's Variant operators: Null
  // propagates through arithmetic, + on two strings concatenates, a string
  // with a number converts to a number; Null equals Null and orders before
  // every other value.
  Variant operator-() const;
  Variant& operator+=(const Variant& O);
  Variant& operator-=(const Variant& O);
  Variant& operator*=(const Variant& O);
  Variant& operator/=(const Variant& O);
  friend Variant operator+(const Variant& A, const Variant& B);
  friend Variant operator-(const Variant& A, const Variant& B);
  friend Variant operator*(const Variant& A, const Variant& B);
  friend Variant operator/(const Variant& A, const Variant& B);
  friend Variant operator%(const Variant& A, const Variant& B);   // mod
  friend bool operator==(const Variant& A, const Variant& B);
  friend bool operator!=(const Variant& A, const Variant& B) { return !(A == B); }
  friend bool operator<(const Variant& A, const Variant& B);
  friend bool operator>(const Variant& A, const Variant& B) { return B < A; }
  friend bool operator<=(const Variant& A, const Variant& B) { return !(B < A); }
  friend bool operator>=(const Variant& A, const Variant& B) { return !(A < B); }

  // Raw access for the library's own code (no checks).
  struct TNullTag {};
  constexpr explicit Variant(TNullTag) noexcept : FType(varNull), FInt(0) {}

private:
  friend struct TVarAccess;
  template <class T>
  static constexpr TVarType IntegerKind()
  {
    if constexpr (std::is_signed_v<T>)
      return sizeof(T) == 1 ? varShortInt : sizeof(T) == 2 ? varSmallint : sizeof(T) == 4 ? varInteger : varInt64;
    else
      return sizeof(T) == 1 ? varByte : sizeof(T) == 2 ? varWord : sizeof(T) == 4 ? varLongWord : varUInt64;
  }
  // Kinds whose payload is a shared object (strings, arrays, interfaces).
  static constexpr bool HoldsReference(TVarType T)
  {
    return (T & varArray) != 0 || T == varUString || T == varOleStr || T == varString || T == varUnknown;
  }
  void Release();
  void CopyFrom(const Variant& Other);
  void MoveFrom(Variant& Other) noexcept;
  TVarArrayData& MutableArray();

  TVarType FType = varEmpty;
  union {
    bool FBool;
    Int64 FInt;        // signed integers, Currency (raw)
    UInt64 FUInt;      // unsigned integers
    double FDouble;    // Double, Date
    float FSingle;
    String FStr;                              // varUString, varOleStr
    AnsiString FAnsi;                         // varString, byte arrays
    std::shared_ptr<TVarArrayData> FArray;    // Variant arrays
    IInterfacePtr FIntf;                      // varUnknown
  };
};

// Constant-initialised, so usable from any static initialiser.
constinit inline const Variant Null{Variant::TNullTag{}};
constinit inline const Variant Unassigned{};

// Kind and tests.
TVarType VarType(const Variant& V);
bool VarIsType(const Variant& V, TVarType AVarType);
bool VarIsNull(const Variant& V);
bool VarIsEmpty(const Variant& V);
bool VarIsClear(const Variant& V);
bool VarIsStr(const Variant& V);
bool VarIsOrdinal(const Variant& V);    // integer kinds and Boolean
bool VarIsFloat(const Variant& V);      // Single, Double, Currency
bool VarIsNumeric(const Variant& V);    // ordinal or float
// "Integer", "UnicodeString", "Array Variant", … as the error texts write them.
String VarTypeAsText(TVarType AVarType);
void VarClear(Variant& V);

// Conversions.
String VarToStr(const Variant& V);                                // Null and Empty give ""
String VarToStrDef(const Variant& V, const String& ADefault);     // Null gives ADefault
Variant VarAsType(const Variant& V, TVarType AVarType);           // EVariantError on a bad cast
TDateTime VarToDateTime(const Variant& V);
Variant VarFromDateTime(TDateTime DateTime);

// Comparison. VarCompareValue: Empty and Null equal only themselves
// (vrNotEqual against anything else); other values compare by the operator
// rules. VarSameValue: the same, as a Boolean. VarEquals: operator == that
// gives False instead of raising.
TVariantRelationship VarCompareValue(const Variant& A, const Variant& B);
bool VarSameValue(const Variant& A, const Variant& B);
bool VarEquals(const Variant& A, const Variant& B);

// Arrays (one dimension). VarArrayCreate({Low, High}, varVariant) gives
// Unassigned elements; a numeric element type gives zeros of that kind, and
// varByte a byte array.
Variant VarArrayCreate(std::initializer_list<int> Bounds, TVarType AVarType);
Variant VarArrayOf(std::initializer_list<Variant> Values);
Variant VarArrayOf(const std::vector<Variant>& Values);
bool VarIsArray(const Variant& V);
int VarArrayDimCount(const Variant& V);   // 1 for an array, 0 otherwise
int VarArrayLowBound(const Variant& V, int Dim);
int VarArrayHighBound(const Variant& V, int Dim);
// Changes the upper bound, keeping the elements that remain; new ones are
// Unassigned (zero in a byte array).
void VarArrayRedim(Variant& A, int HighBound);
