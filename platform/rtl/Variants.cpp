// Variants.cpp: storage, conversion, comparison and arithmetic of Variant.
#include "platform/rtl/Variants.h"

#include "platform/rtl/Math.h"
#include "platform/rtl/SysUtils.h"

#include <cmath>
#include <new>

struct TVarArrayData {
  TVarType ElemType = varVariant;
  int Low = 0;
  std::vector<Variant> Items;   // every element type but varByte
  QByteArray Bytes;             // varByte

  int Count() const { return ElemType == varByte ? static_cast<int>(Bytes.size()) : static_cast<int>(Items.size()); }
};

namespace {

bool IsStringKind(TVarType T) { return T == varUString || T == varOleStr || T == varString; }
bool IsSignedKind(TVarType T)
{
  return T == varSmallint || T == varInteger || T == varShortInt || T == varInt64;
}
bool IsUnsignedKind(TVarType T) { return T == varByte || T == varWord || T == varLongWord || T == varUInt64; }
bool IsSmallIntegerKind(TVarType T)
{
  return T == varSmallint || T == varInteger || T == varShortInt || T == varByte || T == varWord
      || T == varBoolean;
}
bool IsFloatKind(TVarType T) { return T == varSingle || T == varDouble; }

[[noreturn]] void RaiseCast(TVarType From, TVarType To)
{
  throw EVariantError(QStringLiteral("Could not convert variant of type (%1) into type (%2)")
                          .arg(VarTypeAsText(From), VarTypeAsText(To)));
}

[[noreturn]] void RaiseOverflow(TVarType From, TVarType To)
{
  throw EVariantError(QStringLiteral("Overflow while converting variant of type (%1) into type (%2)")
                          .arg(VarTypeAsText(From), VarTypeAsText(To)));
}

[[noreturn]] void RaiseInvalidOp()
{
  throw EVariantError(QStringLiteral("Invalid variant operation"));
}

[[noreturn]] void RaiseBadIndex()
{
  throw EVariantError(QStringLiteral("Variant or safe array index out of bounds"));
}

[[noreturn]] void RaiseNotArray()
{
  throw EVariantError(QStringLiteral("Variant is not an array"));
}

// A currency's raw value rounded to a whole number, a tie to even.
Int64 CurrencyToInt64(Int64 Raw)
{
  Int64 Q = Raw / Currency::Scale;
  const Int64 R = Raw % Currency::Scale;
  const Int64 Twice = (R < 0 ? -R : R) * 2;
  if (Twice > Currency::Scale || (Twice == Currency::Scale && Q % 2 != 0))
    Q += Raw < 0 ? -1 : 1;
  return Q;
}

bool TextToBoolean(const String& S, bool& Value)
{
  const String T = S.trimmed();
  if (T.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
    Value = true;
    return true;
  }
  if (T.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
    Value = false;
    return true;
  }
  double D = 0;
  if (TryStrToFloat(S, D, FormatSettings)) {
    Value = D != 0;
    return true;
  }
  return false;
}

}  // namespace

// ---- Storage ----------------------------------------------------------------

Variant::Variant(const Variant& Other) : FInt(0)
{
  CopyFrom(Other);
}

Variant::Variant(Variant&& Other) noexcept : FInt(0)
{
  MoveFrom(Other);
}

Variant& Variant::operator=(const Variant& Other)
{
  if (this != &Other) {
    Variant Copy(Other);
    Release();
    MoveFrom(Copy);
  }
  return *this;
}

Variant& Variant::operator=(Variant&& Other) noexcept
{
  if (this != &Other) {
    Release();
    MoveFrom(Other);
  }
  return *this;
}

Variant::Variant(const String& Value) : FType(varUString)
{
  new (&FStr) String(Value);
}

Variant::Variant(String&& Value) : FType(varUString)
{
  new (&FStr) String(std::move(Value));
}

Variant::Variant(const char* Utf8) : FType(varUString)
{
  new (&FStr) String(String::fromUtf8(Utf8));
}

Variant::Variant(const char16_t* Value) : FType(varUString)
{
  new (&FStr) String(String::fromUtf16(Value));
}

Variant::Variant(QChar Value) : FType(varUString)
{
  new (&FStr) String(Value);
}

Variant::Variant(const AnsiString& Value) : FType(varString)
{
  new (&FAnsi) AnsiString(Value);
}

Variant::Variant(IInterfacePtr Value) : FType(varUnknown)
{
  new (&FIntf) IInterfacePtr(std::move(Value));
}

Variant Variant::FromBytes(const QByteArray& Bytes)
{
  auto Data = std::make_shared<TVarArrayData>();
  Data->ElemType = varByte;
  Data->Bytes = Bytes;
  Variant V;
  V.FType = varArray | varByte;
  new (&V.FArray) std::shared_ptr<TVarArrayData>(std::move(Data));
  return V;
}

void Variant::Release()
{
  if (FType & varArray)
    FArray.~shared_ptr();
  else if (FType == varUString || FType == varOleStr)
    FStr.~QString();
  else if (FType == varString)
    FAnsi.~QByteArray();
  else if (FType == varUnknown)
    FIntf.~shared_ptr();
  FType = varEmpty;
  FInt = 0;
}

void Variant::CopyFrom(const Variant& Other)
{
  if (Other.FType & varArray)
    new (&FArray) std::shared_ptr<TVarArrayData>(Other.FArray);
  else if (Other.FType == varUString || Other.FType == varOleStr)
    new (&FStr) String(Other.FStr);
  else if (Other.FType == varString)
    new (&FAnsi) AnsiString(Other.FAnsi);
  else if (Other.FType == varUnknown)
    new (&FIntf) IInterfacePtr(Other.FIntf);
  else
    FUInt = Other.FUInt;
  FType = Other.FType;
}

void Variant::MoveFrom(Variant& Other) noexcept
{
  if (Other.FType & varArray)
    new (&FArray) std::shared_ptr<TVarArrayData>(std::move(Other.FArray));
  else if (Other.FType == varUString || Other.FType == varOleStr)
    new (&FStr) String(std::move(Other.FStr));
  else if (Other.FType == varString)
    new (&FAnsi) AnsiString(std::move(Other.FAnsi));
  else if (Other.FType == varUnknown)
    new (&FIntf) IInterfacePtr(std::move(Other.FIntf));
  else
    FUInt = Other.FUInt;
  FType = Other.FType;
  Other.Release();
}

TVarArrayData& Variant::MutableArray()
{
  if (!(FType & varArray))
    RaiseNotArray();
  if (FArray.use_count() > 1)
    FArray = std::make_shared<TVarArrayData>(*FArray);   // copy on write
  return *FArray;
}

// ---- Conversions ------------------------------------------------------------

// The value as an Int64, rounded to even from fractions; the range check
// against the target kind is the caller's.
static Int64 ToInt64For(const Variant& V, TVarType Target);

bool Variant::AsBoolean() const
{
  switch (FType) {
  case varEmpty: return false;
  case varBoolean: return FBool;
  case varSingle: return FSingle != 0;
  case varDouble:
  case varDate: return FDouble != 0;
  case varCurrency: return FInt != 0;
  case varUString:
  case varOleStr:
  case varString: {
    bool B = false;
    if (TextToBoolean(AsString(), B))
      return B;
    RaiseCast(FType, varBoolean);
  }
  default:
    if (IsSignedKind(FType))
      return FInt != 0;
    if (IsUnsignedKind(FType))
      return FUInt != 0;
    RaiseCast(FType, varBoolean);
  }
}

static Int64 ToInt64For(const Variant& V, TVarType Target)
{
  const TVarType T = V.VType();
  switch (T) {
  case varEmpty: return 0;
  case varBoolean: return V.AsBoolean() ? -1 : 0;
  case varSingle:
  case varDouble:
  case varDate: {
    const double D = std::nearbyint(V.AsDouble());
    if (!(D >= -0x1p63 && D < 0x1p63))
      RaiseOverflow(T, Target);
    return static_cast<Int64>(D);
  }
  case varCurrency: return CurrencyToInt64(V.AsCurrency().Raw());
  case varUString:
  case varOleStr:
  case varString: {
    const String S = V.AsString();
    Int64 I = 0;
    if (TryStrToInt64(S, I))
      return I;
    double D = 0;
    if (TryStrToFloat(S, D, FormatSettings)) {
      D = std::nearbyint(D);
      if (!(D >= -0x1p63 && D < 0x1p63))
        RaiseOverflow(T, Target);
      return static_cast<Int64>(D);
    }
    RaiseCast(T, Target);
  }
  case varUInt64: {
    const UInt64 U = V.AsUInt64();
    if (U > static_cast<UInt64>(INT64_MAX))
      RaiseOverflow(T, Target);
    return static_cast<Int64>(U);
  }
  default:
    if (IsSignedKind(T) || IsUnsignedKind(T))
      return V.AsInt64();
    RaiseCast(T, Target);
  }
}

Integer Variant::AsInteger() const
{
  if (FType == varInteger || FType == varSmallint || FType == varShortInt)
    return static_cast<Integer>(FInt);
  const Int64 I = ToInt64For(*this, varInteger);
  if (I < INT32_MIN || I > INT32_MAX)
    RaiseOverflow(FType, varInteger);
  return static_cast<Integer>(I);
}

Int64 Variant::AsInt64() const
{
  if (IsSignedKind(FType))
    return FInt;
  if (IsUnsignedKind(FType) && FType != varUInt64)
    return static_cast<Int64>(FUInt);
  return ToInt64For(*this, varInt64);
}

UInt64 Variant::AsUInt64() const
{
  if (IsUnsignedKind(FType))
    return FUInt;
  if (FType == varSingle || FType == varDouble || FType == varDate) {
    const double D = std::nearbyint(AsDouble());
    if (!(D >= 0 && D < 0x1p64))
      RaiseOverflow(FType, varUInt64);
    return static_cast<UInt64>(D);
  }
  const Int64 I = ToInt64For(*this, varUInt64);
  if (I < 0 && FType != varBoolean)
    RaiseOverflow(FType, varUInt64);
  return static_cast<UInt64>(I);
}

double Variant::AsDouble() const
{
  switch (FType) {
  case varEmpty: return 0;
  case varBoolean: return FBool ? -1 : 0;
  case varSingle: return FSingle;
  case varDouble:
  case varDate: return FDouble;
  case varCurrency: return static_cast<double>(FInt) / Currency::Scale;
  case varUString:
  case varOleStr:
  case varString: {
    double D = 0;
    if (TryStrToFloat(AsString(), D, FormatSettings))
      return D;
    RaiseCast(FType, varDouble);
  }
  default:
    if (IsSignedKind(FType))
      return static_cast<double>(FInt);
    if (IsUnsignedKind(FType))
      return static_cast<double>(FUInt);
    RaiseCast(FType, varDouble);
  }
}

Currency Variant::AsCurrency() const
{
  switch (FType) {
  case varCurrency: return Currency::FromRaw(FInt);
  case varEmpty: return Currency();
  case varBoolean: return Currency(FBool ? -1 : 0);
  case varSingle:
  case varDouble:
  case varDate:
    try {
      return Currency(AsDouble());
    } catch (const EMathError&) {
      RaiseOverflow(FType, varCurrency);
    }
  case varUString:
  case varOleStr:
  case varString: {
    Currency C;
    if (TryStrToCurr(AsString(), C, FormatSettings))
      return C;
    RaiseCast(FType, varCurrency);
  }
  default:
    if (IsSignedKind(FType) || IsUnsignedKind(FType)) {
      const Int64 I = AsInt64();
      if (I > INT64_MAX / Currency::Scale || I < INT64_MIN / Currency::Scale)
        RaiseOverflow(FType, varCurrency);
      return Currency(I);
    }
    RaiseCast(FType, varCurrency);
  }
}

TDateTime Variant::AsDateTime() const
{
  switch (FType) {
  case varDate: return TDateTime(FDouble);
  case varUString:
  case varOleStr:
  case varString: {
    TDateTime D;
    if (TryStrToDateTime(AsString(), D, FormatSettings))
      return D;
    RaiseCast(FType, varDate);
  }
  case varNull:
  case varUnknown:
  case varDispatch:
  case varError:
    RaiseCast(FType, varDate);
  default:
    if (FType & varArray)
      RaiseCast(FType, varDate);
    return TDateTime(AsDouble());
  }
}

String Variant::AsString() const
{
  switch (FType) {
  case varUString:
  case varOleStr: return FStr;
  case varString: return String::fromUtf8(FAnsi);
  case varEmpty: return String();
  case varBoolean: return BoolToStr(FBool, true);
  case varSingle: return FloatToStr(FSingle);
  case varDouble: return FloatToStr(FDouble);
  case varDate: return DateTimeToStr(TDateTime(FDouble));
  case varCurrency: return CurrToStr(Currency::FromRaw(FInt));
  default:
    if (IsSignedKind(FType))
      return String::number(FInt);
    if (IsUnsignedKind(FType))
      return String::number(FUInt);
    RaiseCast(FType, varUString);
  }
}

AnsiString Variant::AsAnsiString() const
{
  if (FType == varString)
    return FAnsi;
  if (FType == varNull)
    RaiseCast(varNull, varString);
  return AsString().toUtf8();
}

IInterfacePtr Variant::AsInterface() const
{
  if (FType == varUnknown)
    return FIntf;
  if (FType == varEmpty)
    return nullptr;
  RaiseCast(FType, varUnknown);
}

QByteArray Variant::AsBytes() const
{
  if (FType == (varArray | varByte))
    return FArray->Bytes;
  if (FType == varString)
    return FAnsi;
  if (FType & varArray) {
    QByteArray Result;
    Result.reserve(FArray->Count());
    for (const Variant& Item : FArray->Items)
      Result.append(static_cast<char>(static_cast<Byte>(Item.AsInteger())));
    return Result;
  }
  RaiseCast(FType, varArray | varByte);
}

// ---- Arrays -----------------------------------------------------------------

Variant Variant::GetElement(int Index) const
{
  if (!(FType & varArray))
    RaiseNotArray();
  const int I = Index - FArray->Low;
  if (I < 0 || I >= FArray->Count())
    RaiseBadIndex();
  if (FArray->ElemType == varByte)
    return Variant(static_cast<Byte>(FArray->Bytes[I]));
  return FArray->Items[static_cast<size_t>(I)];
}

Variant& Variant::operator[](int Index)
{
  TVarArrayData& Data = MutableArray();
  if (Data.ElemType == varByte)
    throw EVariantError(QStringLiteral("Invalid variant operation"));
  const int I = Index - Data.Low;
  if (I < 0 || I >= Data.Count())
    RaiseBadIndex();
  return Data.Items[static_cast<size_t>(I)];
}

void Variant::PutElement(int Index, const Variant& Value)
{
  TVarArrayData& Data = MutableArray();
  const int I = Index - Data.Low;
  if (I < 0 || I >= Data.Count())
    RaiseBadIndex();
  if (Data.ElemType == varByte)
    Data.Bytes[I] = static_cast<char>(static_cast<Byte>(Value.AsInteger()));
  else if (Data.ElemType == varVariant)
    Data.Items[static_cast<size_t>(I)] = Value;
  else
    Data.Items[static_cast<size_t>(I)] = VarAsType(Value, Data.ElemType);
}

// The free functions' door to the array storage.
struct TVarAccess {
  static Variant MakeArray(std::shared_ptr<TVarArrayData> Data)
  {
    Variant V;
    V.FType = varArray | Data->ElemType;
    new (&V.FArray) std::shared_ptr<TVarArrayData>(std::move(Data));
    return V;
  }
  static const TVarArrayData& Array(const Variant& V)
  {
    if (!(V.FType & varArray))
      RaiseNotArray();
    return *V.FArray;
  }
  static TVarArrayData& MutableArray(Variant& V) { return V.MutableArray(); }
  static const String& Str(const Variant& V) { return V.FStr; }
  static const AnsiString& Ansi(const Variant& V) { return V.FAnsi; }
  static Int64 Int(const Variant& V) { return V.FInt; }
  static UInt64 UInt(const Variant& V) { return V.FUInt; }
  static void SetType(Variant& V, TVarType T) { V.FType = T; }
};

Variant VarArrayCreate(std::initializer_list<int> Bounds, TVarType AVarType)
{
  if (Bounds.size() != 2)
    throw EVariantError(QStringLiteral("Error creating variant or safe array"));
  const int Low = *Bounds.begin();
  const int High = *(Bounds.begin() + 1);
  TVarType Elem = AVarType & varTypeMask;
  if (Elem == varEmpty)
    Elem = varVariant;
  if (High < Low - 1 || Elem == varNull || Elem == varUnknown || Elem == varDispatch
      || Elem == varError || (Elem > varUInt64 && !IsStringKind(Elem)))
    throw EVariantError(QStringLiteral("Error creating variant or safe array"));
  const int Count = High - Low + 1;
  auto Data = std::make_shared<TVarArrayData>();
  Data->ElemType = Elem;
  Data->Low = Low;
  if (Elem == varByte) {
    Data->Bytes = QByteArray(Count, '\0');
  } else {
    Variant Prototype;
    if (Elem == varBoolean)
      Prototype = false;
    else if (Elem != varVariant)
      Prototype = VarAsType(IsStringKind(Elem) ? Variant(String()) : Variant(0), Elem);
    Data->Items.assign(static_cast<size_t>(Count), Prototype);
  }
  return TVarAccess::MakeArray(std::move(Data));
}

Variant VarArrayOf(std::initializer_list<Variant> Values)
{
  auto Data = std::make_shared<TVarArrayData>();
  Data->Items.assign(Values.begin(), Values.end());
  return TVarAccess::MakeArray(std::move(Data));
}

Variant VarArrayOf(const std::vector<Variant>& Values)
{
  auto Data = std::make_shared<TVarArrayData>();
  Data->Items = Values;
  return TVarAccess::MakeArray(std::move(Data));
}

bool VarIsArray(const Variant& V)
{
  return V.IsArray();
}

int VarArrayDimCount(const Variant& V)
{
  return V.IsArray() ? 1 : 0;
}

int VarArrayLowBound(const Variant& V, int Dim)
{
  const TVarArrayData& Data = TVarAccess::Array(V);
  if (Dim != 1)
    RaiseBadIndex();
  return Data.Low;
}

int VarArrayHighBound(const Variant& V, int Dim)
{
  const TVarArrayData& Data = TVarAccess::Array(V);
  if (Dim != 1)
    RaiseBadIndex();
  return Data.Low + Data.Count() - 1;
}

void VarArrayRedim(Variant& A, int HighBound)
{
  TVarArrayData& Data = TVarAccess::MutableArray(A);
  const int Count = HighBound - Data.Low + 1;
  if (Count < 0)
    throw EVariantError(QStringLiteral("Variant array bounds error"));
  if (Data.ElemType == varByte) {
    Data.Bytes.resize(Count, '\0');
    return;
  }
  Variant Prototype;
  if (Data.ElemType != varVariant && Count > Data.Count())
    Prototype = VarAsType(IsStringKind(Data.ElemType) ? Variant(String()) : Variant(0), Data.ElemType);
  Data.Items.resize(static_cast<size_t>(Count), Prototype);
}

// ---- Kinds ------------------------------------------------------------------

TVarType VarType(const Variant& V)
{
  return V.VType();
}

bool VarIsType(const Variant& V, TVarType AVarType)
{
  return V.VType() == AVarType;
}

bool VarIsNull(const Variant& V)
{
  return V.IsNull();
}

bool VarIsEmpty(const Variant& V)
{
  return V.IsEmpty();
}

bool VarIsClear(const Variant& V)
{
  return V.IsEmpty() || (V.VType() == varUnknown && !V.AsInterface());
}

bool VarIsStr(const Variant& V)
{
  return IsStringKind(V.VType());
}

bool VarIsOrdinal(const Variant& V)
{
  const TVarType T = V.VType();
  return IsSignedKind(T) || IsUnsignedKind(T) || T == varBoolean;
}

bool VarIsFloat(const Variant& V)
{
  const TVarType T = V.VType();
  return IsFloatKind(T) || T == varCurrency;
}

bool VarIsNumeric(const Variant& V)
{
  return VarIsOrdinal(V) || VarIsFloat(V);
}

String VarTypeAsText(TVarType AVarType)
{
  static const char* const Names[] = {
      "Empty",   "Null",     "Smallint", "Integer", "Single",  "Double",   "Currency", "Date",
      "OleStr",  "Dispatch", "Error",    "Boolean", "Variant", "Unknown",  "Decimal",  "$000F",
      "ShortInt", "Byte",    "Word",     "LongWord", "Int64",  "UInt64"};
  const TVarType Base = AVarType & varTypeMask;
  String Name;
  if (Base < std::size(Names))
    Name = QLatin1String(Names[Base]);
  else if (Base == varString)
    Name = QStringLiteral("String");
  else if (Base == varUString)
    Name = QStringLiteral("UnicodeString");
  else
    Name = QStringLiteral("$%1").arg(Base, 4, 16, QLatin1Char('0')).toUpper();
  if (AVarType & varArray)
    Name = QStringLiteral("Array ") + Name;
  if (AVarType & varByRef)
    Name = QStringLiteral("Ref ") + Name;
  return Name;
}

void VarClear(Variant& V)
{
  V = Variant();
}

// ---- Conversion functions ---------------------------------------------------

String VarToStr(const Variant& V)
{
  if (V.IsNull())
    return String();
  return V.AsString();
}

String VarToStrDef(const Variant& V, const String& ADefault)
{
  if (V.IsNull())
    return ADefault;
  return V.AsString();
}

TDateTime VarToDateTime(const Variant& V)
{
  return V.AsDateTime();
}

Variant VarFromDateTime(TDateTime DateTime)
{
  return Variant(DateTime);
}

Variant VarAsType(const Variant& V, TVarType AVarType)
{
  const TVarType From = V.VType();
  if (From == AVarType)
    return V;
  if (AVarType & varArray) {
    if ((From & varArray) && (AVarType & varTypeMask) == varVariant)
      return V;
    RaiseCast(From, AVarType);
  }
  if (From == varNull) {
    if (AVarType == varVariant)
      return V;
    RaiseCast(From, AVarType);
  }
  auto CheckedInt = [&](Int64 Lo, Int64 Hi) {
    const Int64 I = ToInt64For(V, AVarType);
    if (I < Lo || I > Hi)
      RaiseOverflow(From, AVarType);
    return I;
  };
  switch (AVarType) {
  case varEmpty: return Variant();
  case varVariant: return V;
  case varBoolean: return Variant(V.AsBoolean());
  case varShortInt: return Variant(static_cast<ShortInt>(CheckedInt(INT8_MIN, INT8_MAX)));
  case varByte: return Variant(static_cast<Byte>(CheckedInt(0, UINT8_MAX)));
  case varSmallint: return Variant(static_cast<SmallInt>(CheckedInt(INT16_MIN, INT16_MAX)));
  case varWord: return Variant(static_cast<Word>(CheckedInt(0, UINT16_MAX)));
  case varInteger: return Variant(V.AsInteger());
  case varLongWord: return Variant(static_cast<LongWord>(CheckedInt(0, UINT32_MAX)));
  case varInt64: return Variant(V.AsInt64());
  case varUInt64: return Variant(V.AsUInt64());
  case varSingle: return Variant(static_cast<float>(V.AsDouble()));
  case varDouble: return Variant(V.AsDouble());
  case varCurrency: return Variant(V.AsCurrency());
  case varDate: return Variant(V.AsDateTime());
  case varUString: return Variant(V.AsString());
  case varOleStr: {
    Variant R(V.AsString());
    TVarAccess::SetType(R, varOleStr);
    return R;
  }
  case varString: return Variant(V.AsAnsiString());
  case varUnknown: return Variant(V.AsInterface());
  default: RaiseCast(From, AVarType);
  }
}

// ---- Comparison -------------------------------------------------------------

namespace {

enum class TKind { Empty, Null, Boolean, Signed, Unsigned, Float, Currency, Date, Str, Other };

TKind ClassOf(TVarType T)
{
  if (T & varArray)
    return TKind::Other;
  switch (T) {
  case varEmpty: return TKind::Empty;
  case varNull: return TKind::Null;
  case varBoolean: return TKind::Boolean;
  case varSingle:
  case varDouble: return TKind::Float;
  case varCurrency: return TKind::Currency;
  case varDate: return TKind::Date;
  default:
    if (IsSignedKind(T))
      return TKind::Signed;
    if (IsUnsignedKind(T))
      return TKind::Unsigned;
    if (IsStringKind(T))
      return TKind::Str;
    return TKind::Other;
  }
}

template <class T>
int Sign3(T A, T B)
{
  return A < B ? -1 : B < A ? 1 : 0;
}

int CompareText16(const String& A, const String& B)
{
  if (A == B)
    return 0;
  const int R = AnsiCompareStr(A, B);
  // Distinct texts that the collation calls equal still need an order
  // (sorting, lookups), so fall back on the units.
  return R != 0 ? R : (A < B ? -1 : 1);
}

bool IsIntegral(TKind C) { return C == TKind::Signed || C == TKind::Unsigned || C == TKind::Boolean; }

// Compares two values that are neither Null nor arrays.
int CompareValues(const Variant& A, const Variant& B)
{
  const TKind CA = ClassOf(A.VType());
  const TKind CB = ClassOf(B.VType());
  if (CA == TKind::Other || CB == TKind::Other) {
    if (A.VType() == varUnknown && B.VType() == varUnknown)
      return A.AsInterface() == B.AsInterface() ? 0 : Sign3(A.AsInterface().get(), B.AsInterface().get());
    RaiseInvalidOp();
  }
  if (CA == TKind::Str && CB == TKind::Str) {
    if (A.VType() == varString && B.VType() == varString && TVarAccess::Ansi(A) == TVarAccess::Ansi(B))
      return 0;
    return CompareText16(A.AsString(), B.AsString());
  }
  if (CA == TKind::Empty && CB == TKind::Empty)
    return 0;
  if (CA == TKind::Empty && CB == TKind::Str)
    return B.AsString().isEmpty() ? 0 : -1;
  if (CA == TKind::Str && CB == TKind::Empty)
    return A.AsString().isEmpty() ? 0 : 1;
  if (CA == TKind::Boolean && CB == TKind::Boolean)
    return Sign3(A.AsBoolean(), B.AsBoolean());
  if ((CA == TKind::Str && CB == TKind::Boolean) || (CA == TKind::Boolean && CB == TKind::Str))
    return Sign3(A.AsBoolean(), B.AsBoolean());
  if ((CA == TKind::Str && CB == TKind::Date) || (CA == TKind::Date && CB == TKind::Str))
    return Sign3(A.AsDateTime().Val, B.AsDateTime().Val);
  if (CA == TKind::Signed && CB == TKind::Signed)
    return Sign3(TVarAccess::Int(A), TVarAccess::Int(B));
  if (CA == TKind::Unsigned && CB == TKind::Unsigned)
    return Sign3(TVarAccess::UInt(A), TVarAccess::UInt(B));
  if ((IsIntegral(CA) || CA == TKind::Empty) && (IsIntegral(CB) || CB == TKind::Empty)) {
    auto Wide = [](const Variant& V, TKind C) -> __int128 {
      if (C == TKind::Unsigned)
        return TVarAccess::UInt(V);
      if (C == TKind::Empty)
        return 0;
      return V.AsInt64();
    };
    return Sign3(Wide(A, CA), Wide(B, CB));
  }
  const bool CurA = CA == TKind::Currency || IsIntegral(CA) || CA == TKind::Empty;
  const bool CurB = CB == TKind::Currency || IsIntegral(CB) || CB == TKind::Empty;
  if (CurA && CurB) {
    auto Raw = [](const Variant& V, TKind C) -> __int128 {
      if (C == TKind::Currency)
        return V.AsCurrency().Raw();
      if (C == TKind::Unsigned)
        return static_cast<__int128>(TVarAccess::UInt(V)) * Currency::Scale;
      if (C == TKind::Empty)
        return 0;
      return static_cast<__int128>(V.AsInt64()) * Currency::Scale;
    };
    return Sign3(Raw(A, CA), Raw(B, CB));
  }
  const double DA = A.AsDouble();
  const double DB = B.AsDouble();
  return Sign3(DA, DB);
}

}  // namespace

bool operator==(const Variant& A, const Variant& B)
{
  if (A.IsNull() || B.IsNull())
    return A.IsNull() && B.IsNull();
  if (A.IsArray() || B.IsArray())
    RaiseInvalidOp();
  return CompareValues(A, B) == 0;
}

bool operator<(const Variant& A, const Variant& B)
{
  if (A.IsNull())
    return !B.IsNull();
  if (B.IsNull())
    return false;
  if (A.IsArray() || B.IsArray())
    RaiseInvalidOp();
  return CompareValues(A, B) < 0;
}

TVariantRelationship VarCompareValue(const Variant& A, const Variant& B)
{
  if (A.IsEmpty())
    return B.IsEmpty() ? vrEqual : vrNotEqual;
  if (A.IsNull())
    return B.IsNull() ? vrEqual : vrNotEqual;
  if (B.IsEmpty() || B.IsNull())
    return vrNotEqual;
  if (A.IsArray() || B.IsArray())
    RaiseInvalidOp();
  const int R = CompareValues(A, B);
  return R == 0 ? vrEqual : R < 0 ? vrLessThan : vrGreaterThan;
}

bool VarSameValue(const Variant& A, const Variant& B)
{
  return VarCompareValue(A, B) == vrEqual;
}

bool VarEquals(const Variant& A, const Variant& B)
{
  try {
    return A == B;
  } catch (const Exception&) {
    return false;
  }
}

// ---- Arithmetic -------------------------------------------------------------

namespace {

enum class TOp { Add, Sub, Mul, Div, Mod };

[[noreturn]] void RaiseZeroDivide(bool Float)
{
  if (Float)
    throw EZeroDivide(QStringLiteral("Floating point division by zero"));
  throw EZeroDivide(QStringLiteral("Division by zero"));
}

double FloatOp(double A, double B, TOp Op)
{
  switch (Op) {
  case TOp::Add: return A + B;
  case TOp::Sub: return A - B;
  case TOp::Mul: return A * B;
  case TOp::Div:
    if (B == 0)
      RaiseZeroDivide(true);
    return A / B;
  case TOp::Mod: break;
  }
  return 0;
}

Variant ModOp(const Variant& A, const Variant& B)
{
  const Int64 X = A.AsInt64();
  const Int64 Y = B.AsInt64();
  if (Y == 0)
    RaiseZeroDivide(false);
  if (Y == -1)
    return Variant(static_cast<Integer>(0));
  const Int64 R = X % Y;
  if (IsSmallIntegerKind(A.VType()) && IsSmallIntegerKind(B.VType()))
    return Variant(static_cast<Integer>(R));
  return Variant(R);
}

Variant Arith(const Variant& A, const Variant& B, TOp Op)
{
  if (A.IsArray() || B.IsArray())
    RaiseInvalidOp();
  if (A.IsNull() || B.IsNull())
    return Null;
  TKind CA = ClassOf(A.VType());
  TKind CB = ClassOf(B.VType());
  if (CA == TKind::Other || CB == TKind::Other)
    RaiseInvalidOp();
  if (Op == TOp::Add && (CA == TKind::Str || CA == TKind::Empty) && (CB == TKind::Str || CB == TKind::Empty)
      && (CA == TKind::Str || CB == TKind::Str)) {
    if (A.VType() == varString && B.VType() == varString)
      return Variant(TVarAccess::Ansi(A) + TVarAccess::Ansi(B));
    return Variant(A.AsString() + B.AsString());
  }
  if (CA == TKind::Empty && CB == TKind::Empty) {
    if (Op == TOp::Div || Op == TOp::Mod)
      RaiseZeroDivide(Op == TOp::Div);
    return Variant();
  }
  if (Op == TOp::Mod)
    return ModOp(A, B);

  // Strings take the kind of the other side: a date when it is a date, else
  // a double.
  const Variant* L = &A;
  const Variant* R = &B;
  Variant LConv, RConv;
  if (CA == TKind::Str) {
    LConv = CB == TKind::Date ? Variant(A.AsDateTime()) : Variant(A.AsDouble());
    L = &LConv;
    CA = ClassOf(LConv.VType());
  }
  if (CB == TKind::Str) {
    RConv = CA == TKind::Date ? Variant(B.AsDateTime()) : Variant(B.AsDouble());
    R = &RConv;
    CB = ClassOf(RConv.VType());
  }
  if (CA == TKind::Date || CB == TKind::Date) {
    const double D = FloatOp(L->AsDouble(), R->AsDouble(), Op);
    const bool DateResult = (Op == TOp::Add) || (Op == TOp::Sub && !(CA == TKind::Date && CB == TKind::Date));
    return DateResult ? Variant(TDateTime(D)) : Variant(D);
  }
  if (CA == TKind::Float || CB == TKind::Float)
    return Variant(FloatOp(L->AsDouble(), R->AsDouble(), Op));
  const bool LUnsignedBig = CA == TKind::Unsigned && TVarAccess::UInt(*L) > static_cast<UInt64>(INT64_MAX);
  const bool RUnsignedBig = CB == TKind::Unsigned && TVarAccess::UInt(*R) > static_cast<UInt64>(INT64_MAX);
  if (LUnsignedBig || RUnsignedBig)
    return Variant(FloatOp(L->AsDouble(), R->AsDouble(), Op));
  if (CA == TKind::Currency || CB == TKind::Currency) {
    const Currency X = L->AsCurrency();
    const Currency Y = R->AsCurrency();
    switch (Op) {
    case TOp::Add: return Variant(X + Y);
    case TOp::Sub: return Variant(X - Y);
    case TOp::Mul: return Variant(X * Y);
    default:
      if (Y.Raw() == 0)
        RaiseZeroDivide(true);
      return Variant(X / Y);
    }
  }
  // Integers (Empty counts as 0, Boolean as -1/0).
  const Int64 X = L->AsInt64();
  const Int64 Y = R->AsInt64();
  if (Op == TOp::Div) {
    if (Y == 0)
      RaiseZeroDivide(true);
    return Variant(static_cast<double>(X) / static_cast<double>(Y));
  }
  Int64 Z = 0;
  bool Overflow = false;
  switch (Op) {
  case TOp::Add: Overflow = __builtin_add_overflow(X, Y, &Z); break;
  case TOp::Sub: Overflow = __builtin_sub_overflow(X, Y, &Z); break;
  default: Overflow = __builtin_mul_overflow(X, Y, &Z); break;
  }
  if (Overflow)
    return Variant(FloatOp(static_cast<double>(X), static_cast<double>(Y), Op));
  const bool Small = (IsSmallIntegerKind(L->VType()) || L->IsEmpty()) && (IsSmallIntegerKind(R->VType()) || R->IsEmpty());
  if (Small && Z >= INT32_MIN && Z <= INT32_MAX)
    return Variant(static_cast<Integer>(Z));
  return Variant(Z);
}

}  // namespace

Variant operator+(const Variant& A, const Variant& B) { return Arith(A, B, TOp::Add); }
Variant operator-(const Variant& A, const Variant& B) { return Arith(A, B, TOp::Sub); }
Variant operator*(const Variant& A, const Variant& B) { return Arith(A, B, TOp::Mul); }
Variant operator/(const Variant& A, const Variant& B) { return Arith(A, B, TOp::Div); }
Variant operator%(const Variant& A, const Variant& B) { return Arith(A, B, TOp::Mod); }

Variant& Variant::operator+=(const Variant& O) { return *this = *this + O; }
Variant& Variant::operator-=(const Variant& O) { return *this = *this - O; }
Variant& Variant::operator*=(const Variant& O) { return *this = *this * O; }
Variant& Variant::operator/=(const Variant& O) { return *this = *this / O; }

Variant Variant::operator-() const
{
  switch (ClassOf(FType)) {
  case TKind::Null:
  case TKind::Empty: return *this;
  case TKind::Float: return FType == varSingle ? Variant(-FSingle) : Variant(-FDouble);
  case TKind::Date: return Variant(TDateTime(-FDouble));
  case TKind::Currency: return Variant(-Currency::FromRaw(FInt));
  case TKind::Str: return Variant(-AsDouble());
  case TKind::Boolean:
  case TKind::Signed:
  case TKind::Unsigned: return Variant() - *this;
  case TKind::Other: break;
  }
  RaiseInvalidOp();
}
