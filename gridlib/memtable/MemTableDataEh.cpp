// MemTableDataEh.cpp: the storage of the in-memory dataset: the structure and
// its field descriptors, and the data container with its subscribers.
#include "gridlib/memtable/MemTableDataEh.h"

#include "gridlib/foundation/GridLibLangConsts.h"
#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"

#include <algorithm>
#include <random>

// ---------------------------------------------------------------------------
// Data structure and field descriptors.

TVarType VarTypeForFieldTypeEh(TFieldType AType)
{
  switch (AType) {
  case ftString: case ftMemo: case ftFmtMemo: case ftFixedChar: case ftOraClob: case ftGuid: case ftOraInterval:
    return varString;
  case ftWideString: return varUString;
  case ftFixedWideChar: case ftWideMemo: return varOleStr;
  case ftSmallint: return varSmallint;
  case ftInteger: case ftWord: case ftAutoInc: return varInteger;
  case ftLargeint: return varInt64;
  case ftLongWord: return varLongWord;
  case ftShortint: return varShortInt;
  case ftByte: return varByte;
  case ftBoolean: return varBoolean;
  case ftFloat: case ftExtended: case ftFMTBcd: return varDouble;
  case ftSingle: return varSingle;
  case ftCurrency: case ftBCD: return varCurrency;
  case ftDate: case ftTime: case ftDateTime: return varDate;
  case ftTimeStamp: case ftOraTimeStamp: case ftTimeStampOffset: return varDate;
  case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary:
  case ftOraBlob:
    return varArray | varByte;
  case ftVariant: return varVariant;
  case ftInterface: case ftIDispatch: return varUnknown;
  case ftUnknown: case ftCursor: case ftADT: case ftArray: case ftReference: case ftDataSet: case ftConnection:
  case ftParams: case ftStream:
    return varError;
  default:
    return varEmpty;
  }
}

TClass DataFieldClassForFieldTypeEh(TFieldType AType)
{
  switch (AType) {
  case ftUnknown: return TMTRefObjectFieldEh::StaticClass();
  case ftString: case ftFixedChar: case ftWideString: case ftGuid: case ftFixedWideChar: case ftOraInterval:
    return TMTStringDataFieldEh::StaticClass();
  case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD: case ftAutoInc:
  case ftLargeint: case ftFMTBcd: case ftLongWord: case ftShortint: case ftByte: case ftExtended: case ftSingle:
    return TMTNumericDataFieldEh::StaticClass();
  case ftBoolean: return TMTBooleanDataFieldEh::StaticClass();
  case ftDate: case ftTime: case ftDateTime: return TMTDateTimeDataFieldEh::StaticClass();
  case ftBytes: case ftVarBytes: case ftVariant: return TMTVariantDataFieldEh::StaticClass();
  case ftBlob: case ftMemo: case ftGraphic: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary:
  case ftOraBlob: case ftOraClob: case ftWideMemo:
    return TMTBlobDataFieldEh::StaticClass();
  case ftInterface: case ftIDispatch: return TMTInterfaceDataFieldEh::StaticClass();
  case ftTimeStamp: case ftOraTimeStamp: case ftTimeStampOffset: return TMTSQLTimeStampDataFieldEh::StaticClass();
  default: return nullptr;
  }
}

// The decimal digits of the whole part of a value's magnitude, without
// leading zeros ("" below 1).
static QByteArray WholeDigits(const Variant& Value)
{
  QByteArray Text;
  switch (Value.VType()) {
  case varCurrency: {
    const Int64 Raw = Value.AsCurrency().Raw();
    const UInt64 Mag = Raw < 0 ? UInt64(0) - UInt64(Raw) : UInt64(Raw);
    Text = QByteArray::number(qulonglong(Mag / 10000));
    break;
  }
  case varSingle: case varDouble:
    Text = QByteArray::number(std::floor(std::abs(Value.AsDouble())), 'f', 0);
    break;
  case varShortInt: case varSmallint: case varInteger: case varInt64: {
    const Int64 V = Value.AsInt64();
    Text = QByteArray::number(qulonglong(V < 0 ? UInt64(0) - UInt64(V) : UInt64(V)));
    break;
  }
  case varByte: case varWord: case varLongWord: case varUInt64:
    Text = QByteArray::number(qulonglong(Value.AsUInt64()));
    break;
  default: {
    String S = Value.AsString().trimmed();
    if (S.startsWith(QLatin1Char('-')) || S.startsWith(QLatin1Char('+')))
      S.remove(0, 1);
    for (QChar C : S) {
      if (!C.isDigit())
        break;
      Text.append(char(C.unicode()));
    }
    break;
  }
  }
  while (Text.startsWith('0'))
    Text.remove(0, 1);
  return Text;
}

bool BcdValueFitsEh(const Variant& Value, Integer APrecision, Integer AScale)
{
  if (Value.IsNull() || Value.IsEmpty() || APrecision <= 0)
    return true;
  return WholeDigits(Value).size() <= std::max(APrecision - AScale, 0);
}

// A new identifier in the braced text form; it tells a column apart across
// restructuring, so it only needs to be unique.
static String NewGUIDText()
{
  static std::mt19937_64 Rng{std::random_device{}()};
  const UInt64 A = Rng();
  const UInt64 B = Rng();
  const String Hex = QStringLiteral("%1%2").arg(qulonglong(A), 16, 16, QChar('0')).arg(qulonglong(B), 16, 16, QChar('0')).toUpper();
  return QStringLiteral("{%1-%2-%3-%4-%5}").arg(Hex.mid(0, 8), Hex.mid(8, 4), Hex.mid(12, 4), Hex.mid(16, 4),
                                                 Hex.mid(20, 12));
}

static bool IsNameChar(QChar C)
{
  const char16_t U = C.unicode();
  return (U >= '0' && U <= '9') || (U >= 'A' && U <= 'Z') || (U >= 'a' && U <= 'z') || U == '_';
}

static String NameChars(const String& Text)
{
  String Result;
  for (QChar C : Text)
    if (IsNameChar(C))
      Result.append(C);
  return Result;
}

TMTDataFieldEh::TMTDataFieldEh(TComponent* AOwner) : TComponent(AOwner), FGUID(NewGUIDText())
{
  if (auto* Struct = dynamic_cast<TMTDataStructEh*>(AOwner))
    (void)Struct;   // attached by the structure that creates it
  UpdateVarDataType();
}

TMTDataFieldEh::~TMTDataFieldEh()
{
  if (FDataStruct) {
    auto& L = FDataStruct->FList;
    L.erase(std::remove(L.begin(), L.end(), this), L.end());
  }
}

TMemTableDataEh* TMTDataFieldEh::MemTableData() const
{
  return FDataStruct ? FDataStruct->MemTableData() : nullptr;
}

void TMTDataFieldEh::StructChanged()
{
  if (FDataStruct && FDataStruct->FUpdateCount == 0)
    FDataStruct->StructChanged();
}

#define MT_SETTER(Name, Type, Field)              \
  void TMTDataFieldEh::Set##Name(Type Value)      \
  {                                               \
    if (Field == Value)                           \
      return;                                     \
    Field = Value;                                \
    StructChanged();                              \
  }
MT_SETTER(Alignment, TAlignment, FAlignment)
MT_SETTER(AutoIncrement, bool, FAutoIncrement)
MT_SETTER(DefaultExpression, const String&, FDefaultExpression)
MT_SETTER(DisplayLabel, const String&, FDisplayLabel)
MT_SETTER(DisplayWidth, Integer, FDisplayWidth)
MT_SETTER(EditMask, const String&, FEditMask)
MT_SETTER(ReadOnly, bool, FReadOnly)
MT_SETTER(Required, bool, FRequired)
MT_SETTER(Visible, bool, FVisible)
MT_SETTER(Calculated, bool, FCalculated)
#undef MT_SETTER

void TMTDataFieldEh::SetSize(Integer Value)
{
  if (Value == FSize)
    return;
  if (!CanDinaSize())
    DatabaseError(QStringLiteral("Invalid field size"), MemTableData());
  FSize = Value;
  StructChanged();
}

void TMTDataFieldEh::SetFieldName(const String& Value)
{
  if (Value == FFieldName)
    return;
  if (TMemTableDataEh* Data = MemTableData())
    Data->DataFieldChanged(this);
  if (FDataStruct && Value.compare(FFieldName, Qt::CaseInsensitive) != 0)
    FDataStruct->CheckFieldName(Value);
  FFieldName = Value;
  MakeComponentName();
  StructChanged();
}

void TMTDataFieldEh::MakeComponentName()
{
  // A descriptor read from a stream keeps the name the stream gives it.
  if (ComponentState().Contains(csReading))
    return;
  String Base = NameChars(FFieldName);
  if (Base.isEmpty() || Base[0].isDigit()) {
    String Prefix = ClassName();
    if (Prefix.isEmpty())
      Prefix = QStringLiteral("Field");
    if (Prefix.startsWith(QLatin1Char('T')))
      Prefix.remove(0, 1);
    Base = NameChars(Prefix + Base);
  }
  TMTDataStructEh* Struct = dynamic_cast<TMTDataStructEh*>(Owner());
  if (!Struct)
    Struct = FDataStruct;
  const auto Taken = [&](const String& Candidate) {
    if (!Struct)
      return false;
    for (Integer I = 0; I < Struct->ComponentCount(); ++I)
      if (Struct->Components(I)->Name().compare(Candidate, Qt::CaseInsensitive) == 0)
        return true;
    for (TMTDataFieldEh* F : Struct->FList)
      if (F->Name().compare(Candidate, Qt::CaseInsensitive) == 0)
        return true;
    return false;
  };
  String Candidate = Base;
  for (Integer N = 2; Taken(Candidate); ++N)
    Candidate = Base + QString::number(N);
  SetName(Candidate);
}

Integer TMTDataFieldEh::Index() const
{
  if (!FDataStruct)
    return -1;
  const auto& L = FDataStruct->FList;
  return Integer(std::find(L.begin(), L.end(), this) - L.begin());
}

void TMTDataFieldEh::SetIndex(Integer Value)
{
  const Integer Cur = Index();
  if (Cur < 0 || Value == Cur || Value < 0 || Value >= FDataStruct->Count())
    return;
  auto& L = FDataStruct->FList;
  L.erase(L.begin() + Cur);
  L.insert(L.begin() + Value, this);
  StructChanged();
}

void TMTDataFieldEh::SetDataStruct(TMTDataStructEh* Value)
{
  if (Value == FDataStruct)
    return;
  if (FDataStruct)
    FDataStruct->RemoveField(this);
  if (Value)
    Value->InsertField(this);
}

TComponent* TMTDataFieldEh::GetParentComponent() const
{
  return FDataStruct;
}

void TMTDataFieldEh::SetParentComponent(TComponent* Value)
{
  if (ComponentState().Contains(csLoading))
    return;
  if (Value && !dynamic_cast<TMTDataStructEh*>(Value))
    throw Exception(QStringLiteral("Parent of a field descriptor must be a TMTDataStructEh"));
  SetDataStruct(static_cast<TMTDataStructEh*>(Value));
}

void TMTDataFieldEh::ReadState(TReader& Reader)
{
  inherited::ReadState(Reader);
  auto* Struct = dynamic_cast<TMTDataStructEh*>(Reader.Parent());
  if (!Struct || FDataStruct == Struct)
    return;
  if (FFieldName.isEmpty())
    throw EReadError(QStringLiteral("A field descriptor of the stream has no field name"));
  if (Struct->FindField(FFieldName))
    throw EReadError(QStringLiteral("Duplicate field name '%1'").arg(FFieldName));
  FFieldId = Struct->FNextFieldId++;
  Struct->InsertField(this);
}

void TMTDataFieldEh::AssignDataType(TFieldType FieldType)
{
  (void)FieldType;
  throw Exception(QStringLiteral("Can't assign DataType from Field"));
}

void TMTDataFieldEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TMTDataFieldEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  SetFieldName(Src->GetFieldName());
  if (CanDinaSize() && Src->CanDinaSize())
    SetSize(Src->GetSize());
  SetAlignment(Src->GetAlignment());
  SetDefaultExpression(Src->GetDefaultExpression());
  SetDisplayLabel(Src->GetDisplayLabel());
  SetDisplayWidth(Src->GetDisplayWidth());
  SetEditMask(Src->GetEditMask());
  SetRequired(Src->GetRequired());
  SetVisible(Src->GetVisible());
  SetAutoIncrement(Src->GetAutoIncrement());
  SetCalculated(Src->Calculated());
}

void TMTDataFieldEh::AssignProps(TField* Field)
{
  SetAlignment(Field->Alignment());
  SetDefaultExpression(Field->DefaultExpression());
  SetDisplayLabel(Field->DisplayLabel());
  SetDisplayWidth(Field->DisplayWidth());
  SetEditMask(Field->EditMask());
  SetRequired(Field->Required());
  if (Field->AutoGenerateValue() == arAutoInc)
    SetAutoIncrement(true);
  if (CanDinaSize())
    SetSize(Field->Size());
  SetVisible(Field->Visible());
  SetCalculated(Field->FieldKind() == fkInternalCalc);
}

void TMTDataFieldEh::AssignPropsTo(TField* Field)
{
  Field->SetAlignment(GetAlignment());
  Field->SetDefaultExpression(GetDefaultExpression());
  Field->SetDisplayLabel(GetDisplayLabel());
  Field->SetDisplayWidth(GetDisplayWidth());
  Field->SetEditMask(GetEditMask());
  Field->SetRequired(GetRequired());
  Field->SetVisible(GetVisible());
}

// The platform field type of each sub-type of a descriptor family, in the
// order of the family's enumeration.
static const TFieldType StringTypes[] = {ftString, ftFixedChar, ftWideString, ftGuid, ftFixedWideChar, ftOraInterval};
static const TFieldType NumericTypes[] = {ftSmallint, ftInteger, ftWord, ftFloat, ftCurrency, ftBCD, ftAutoInc,
                                          ftLargeint, ftFMTBcd, ftLongWord, ftShortint, ftByte, ftExtended, ftSingle};
static const TFieldType DateTimeTypes[] = {ftDate, ftTime, ftDateTime};
static const TFieldType InterfaceTypes[] = {ftInterface, ftIDispatch};
static const TFieldType VariantTypes[] = {ftVariant, ftBytes, ftVarBytes};
static const TFieldType TimeStampTypes[] = {ftTimeStamp, ftOraTimeStamp, ftTimeStampOffset};

// The sub-type of a family for FieldType; a type outside the family raises.
template <class E, size_t N>
static E SubTypeFor(const TFieldType (&Types)[N], TFieldType FieldType)
{
  for (size_t I = 0; I < N; ++I)
    if (Types[I] == FieldType)
      return E(I);
  throw Exception(QStringLiteral("Can not assign DataType from Field"));
}

void TMTDataFieldEh::SubTypeChanged()
{
  UpdateVarDataType();
  StructChanged();
}

// --- families

TMTStringDataFieldEh::TMTStringDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
  UpdateVarDataType();
  TMTDataFieldEh::SetSize(20);
}

TFieldType TMTStringDataFieldEh::GetDataType() const
{
  return StringTypes[FStringDataType];
}

void TMTStringDataFieldEh::SetStringDataType(TStringDataFieldTypeEh Value)
{
  if (Value == FStringDataType)
    return;
  FStringDataType = Value;
  UpdateVarDataType();
  if (Value == fdtGuidEh)
    SetSize(38);
  StructChanged();
}

void TMTStringDataFieldEh::AssignDataType(TFieldType FieldType)
{
  SetStringDataType(SubTypeFor<TStringDataFieldTypeEh>(StringTypes, FieldType));
}

void TMTStringDataFieldEh::AssignProps(TField* Field)
{
  TMTDataFieldEh::AssignProps(Field);
  if (auto* F = dynamic_cast<TStringField*>(Field)) {
    FFixedChar = F->FixedChar();
    FTransliterate = F->Transliterate();
  }
}

void TMTStringDataFieldEh::AssignPropsTo(TField* Field)
{
  TMTDataFieldEh::AssignPropsTo(Field);
  if (auto* F = dynamic_cast<TStringField*>(Field)) {
    F->SetFixedChar(FFixedChar);
    F->SetTransliterate(FTransliterate);
  }
}

void TMTStringDataFieldEh::Assign(TPersistent* Source)
{
  if (auto* Src = dynamic_cast<TMTStringDataFieldEh*>(Source))
    SetStringDataType(Src->FStringDataType);
  TMTDataFieldEh::Assign(Source);
  if (auto* Src = dynamic_cast<TMTStringDataFieldEh*>(Source)) {
    FFixedChar = Src->FFixedChar;
    FTransliterate = Src->FTransliterate;
  }
}

TMTNumericDataFieldEh::TMTNumericDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
  UpdateVarDataType();
  TMTDataFieldEh::SetAlignment(taRightJustify);
}

TFieldType TMTNumericDataFieldEh::GetDataType() const
{
  return NumericTypes[FNumericDataType];
}

Integer TMTNumericDataFieldEh::GetDefaultWidth() const
{
  if (FNumericDataType == fdtLargeintEh)
    return 15;
  if (CanDinaSize() && FPrecision > 0)
    return FPrecision + 1;
  return 10;
}

void TMTNumericDataFieldEh::SetNumericDataType(TNumericDataFieldTypeEh Value)
{
  if (Value == FNumericDataType)
    return;
  FNumericDataType = Value;
  UpdateVarDataType();
  if (CanDinaSize() && GetSize() == 0)
    SetSize(DefaultSize());
  StructChanged();
}

void TMTNumericDataFieldEh::AssignDataType(TFieldType FieldType)
{
  SetNumericDataType(SubTypeFor<TNumericDataFieldTypeEh>(NumericTypes, FieldType));
}

void TMTNumericDataFieldEh::AssignProps(TField* Field)
{
  TMTDataFieldEh::AssignProps(Field);
  if (auto* F = dynamic_cast<TNumericField*>(Field)) {
    FDisplayFormat = F->DisplayFormat();
    FEditFormat = F->EditFormat();
  }
  if (auto* F = dynamic_cast<TIntegerField*>(Field)) {
    FMaxValue = double(F->MaxValue());
    FMinValue = double(F->MinValue());
  } else if (auto* F = dynamic_cast<TFloatField*>(Field)) {
    FCurrency = F->IsCurrency();
    FPrecision = F->Precision();
  } else if (auto* F = dynamic_cast<TBCDField*>(Field)) {
    FCurrency = F->IsCurrency();
    FPrecision = F->Precision();
    if (CanDinaSize())
      SetSize(F->Size());
  }
}

void TMTNumericDataFieldEh::AssignPropsTo(TField* Field)
{
  TMTDataFieldEh::AssignPropsTo(Field);
  if (auto* F = dynamic_cast<TNumericField*>(Field)) {
    F->SetDisplayFormat(FDisplayFormat);
    F->SetEditFormat(FEditFormat);
  }
  if (auto* F = dynamic_cast<TIntegerField*>(Field)) {
    F->SetMaxValue(Int64(FMaxValue));
    F->SetMinValue(Int64(FMinValue));
  } else if (auto* F = dynamic_cast<TFloatField*>(Field)) {
    F->SetCurrency(FCurrency);
    F->SetPrecision(FPrecision);
  } else if (auto* F = dynamic_cast<TBCDField*>(Field)) {
    F->SetCurrency(FCurrency);
    F->SetPrecision(FPrecision);
  }
}

void TMTNumericDataFieldEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TMTNumericDataFieldEh*>(Source);
  if (Src)
    SetNumericDataType(Src->FNumericDataType);
  TMTDataFieldEh::Assign(Source);
  if (!Src)
    return;
  FDisplayFormat = Src->FDisplayFormat;
  FEditFormat = Src->FEditFormat;
  FCurrency = Src->FCurrency;
  FMaxValue = Src->FMaxValue;
  FMinValue = Src->FMinValue;
  FPrecision = Src->FPrecision;
}

TMTDateTimeDataFieldEh::TMTDateTimeDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
  UpdateVarDataType();
}

TFieldType TMTDateTimeDataFieldEh::GetDataType() const
{
  return DateTimeTypes[FDateTimeDataType];
}

void TMTDateTimeDataFieldEh::SetDateTimeDataType(TDateTimeDataFieldTypeEh Value)
{
  if (Value == FDateTimeDataType)
    return;
  FDateTimeDataType = Value;
  SubTypeChanged();
}

void TMTDateTimeDataFieldEh::AssignDataType(TFieldType FieldType)
{
  SetDateTimeDataType(SubTypeFor<TDateTimeDataFieldTypeEh>(DateTimeTypes, FieldType));
}

void TMTDateTimeDataFieldEh::AssignProps(TField* Field)
{
  TMTDataFieldEh::AssignProps(Field);
  if (auto* F = dynamic_cast<TDateTimeField*>(Field))
    FDisplayFormat = F->DisplayFormat();
}

void TMTDateTimeDataFieldEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TMTDateTimeDataFieldEh*>(Source);
  if (Src)
    SetDateTimeDataType(Src->FDateTimeDataType);
  TMTDataFieldEh::Assign(Source);
  if (Src)
    FDisplayFormat = Src->FDisplayFormat;
}

TMTBlobDataFieldEh::TMTBlobDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
  UpdateVarDataType();
}

void TMTBlobDataFieldEh::SetBlobType(TFieldType Value)
{
  if (Value == FBlobType)
    return;
  FBlobType = Value;
  SubTypeChanged();
}

void TMTBlobDataFieldEh::AssignDataType(TFieldType FieldType)
{
  if (FieldType >= ftBlob && FieldType <= ftWideMemo)
    SetBlobType(FieldType);
}

void TMTBlobDataFieldEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TMTBlobDataFieldEh*>(Source);
  if (Src)
    SetBlobType(Src->FBlobType);
  TMTDataFieldEh::Assign(Source);
  if (!Src)
    return;
  FGraphicHeader = Src->FGraphicHeader;
  FTransliterate = Src->FTransliterate;
}

TMTBooleanDataFieldEh::TMTBooleanDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
  UpdateVarDataType();
}

Integer TMTBooleanDataFieldEh::GetDefaultWidth() const
{
  return Integer(std::max(QStringLiteral("True").size(), QStringLiteral("False").size()));
}

void TMTBooleanDataFieldEh::AssignDataType(TFieldType FieldType)
{
  if (FieldType != ftBoolean)
    throw Exception(QStringLiteral("Can not assign DataType from Field"));
}

void TMTBooleanDataFieldEh::Assign(TPersistent* Source)
{
  TMTDataFieldEh::Assign(Source);
  if (auto* Src = dynamic_cast<TMTBooleanDataFieldEh*>(Source))
    FDisplayValues = Src->FDisplayValues;
}

TMTInterfaceDataFieldEh::TMTInterfaceDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
  UpdateVarDataType();
}

void TMTInterfaceDataFieldEh::SetInterfaceDataType(TInterfaceDataFieldTypeEh Value)
{
  if (Value == FInterfaceDataType)
    return;
  FInterfaceDataType = Value;
  SubTypeChanged();
}

void TMTInterfaceDataFieldEh::AssignDataType(TFieldType FieldType)
{
  SetInterfaceDataType(SubTypeFor<TInterfaceDataFieldTypeEh>(InterfaceTypes, FieldType));
}

void TMTInterfaceDataFieldEh::Assign(TPersistent* Source)
{
  if (auto* Src = dynamic_cast<TMTInterfaceDataFieldEh*>(Source))
    SetInterfaceDataType(Src->FInterfaceDataType);
  TMTDataFieldEh::Assign(Source);
}

TMTVariantDataFieldEh::TMTVariantDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
  UpdateVarDataType();
}

TFieldType TMTVariantDataFieldEh::GetDataType() const
{
  return VariantTypes[FVariantDataType];
}

void TMTVariantDataFieldEh::SetVariantDataType(TVariantDataFieldTypeEh Value)
{
  if (Value == FVariantDataType)
    return;
  FVariantDataType = Value;
  SubTypeChanged();
}

void TMTVariantDataFieldEh::AssignDataType(TFieldType FieldType)
{
  SetVariantDataType(SubTypeFor<TVariantDataFieldTypeEh>(VariantTypes, FieldType));
}

void TMTVariantDataFieldEh::Assign(TPersistent* Source)
{
  if (auto* Src = dynamic_cast<TMTVariantDataFieldEh*>(Source))
    SetVariantDataType(Src->FVariantDataType);
  TMTDataFieldEh::Assign(Source);
}

TMTRefObjectFieldEh::TMTRefObjectFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner) {}

void TMTRefObjectFieldEh::AssignDataType(TFieldType FieldType)
{
  if (FieldType != ftUnknown)
    throw Exception(QStringLiteral("Can not assign DataType from Field"));
}

TMTSQLTimeStampDataFieldEh::TMTSQLTimeStampDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner)
{
  UpdateVarDataType();
}

TFieldType TMTSQLTimeStampDataFieldEh::GetDataType() const
{
  return TimeStampTypes[FSQLTimeStampDataFieldType];
}

void TMTSQLTimeStampDataFieldEh::SetSQLTimeStampDataFieldType(TSQLTimeStampDataFieldTypeEh Value)
{
  if (Value == FSQLTimeStampDataFieldType)
    return;
  FSQLTimeStampDataFieldType = Value;
  SubTypeChanged();
}

void TMTSQLTimeStampDataFieldEh::AssignDataType(TFieldType FieldType)
{
  SetSQLTimeStampDataFieldType(SubTypeFor<TSQLTimeStampDataFieldTypeEh>(TimeStampTypes, FieldType));
}

void TMTSQLTimeStampDataFieldEh::AssignProps(TField* Field)
{
  TMTDataFieldEh::AssignProps(Field);
  if (auto* F = dynamic_cast<TDateTimeField*>(Field))
    FDisplayFormat = F->DisplayFormat();
}

void TMTSQLTimeStampDataFieldEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TMTSQLTimeStampDataFieldEh*>(Source);
  if (Src)
    SetSQLTimeStampDataFieldType(Src->FSQLTimeStampDataFieldType);
  TMTDataFieldEh::Assign(Source);
  if (Src)
    FDisplayFormat = Src->FDisplayFormat;
}

// --- structure

TMTDataStructEh::TMTDataStructEh(TComponent* AMemTableData)
  : TComponent(AMemTableData), FMemTableData(dynamic_cast<TMemTableDataEh*>(AMemTableData))
{
  // Descriptors are made by class through the registry.
  RegisterMemTableDataClasses();
}

TMTDataStructEh::~TMTDataStructEh()
{
  FMemTableData = nullptr;
  ++FUpdateCount;
  while (!FList.empty()) {
    TMTDataFieldEh* F = FList.back();
    FList.pop_back();
    F->FDataStruct = nullptr;
    delete F;
  }
}

TMTDataFieldEh* TMTDataStructEh::GetDataField(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
  return FList[size_t(Index)];
}

TMTDataFieldEh* TMTDataStructEh::CreateField(TClass FieldClass)
{
  if (!FieldClass || !FieldClass->CreateComponent || !ClassInheritsFrom(FieldClass, TMTDataFieldEh::StaticClass()))
    throw Exception(QStringLiteral("Invalid field descriptor class"));
  auto* Field = static_cast<TMTDataFieldEh*>(FieldClass->CreateComponent(this));
  Field->FFieldId = FNextFieldId++;
  InsertField(Field);
  return Field;
}

void TMTDataStructEh::InsertField(TMTDataFieldEh* Field)
{
  if (Field->FDataStruct == this)
    return;
  FList.push_back(Field);
  Field->FDataStruct = this;
  if (FUpdateCount == 0)
    StructChanged();
}

void TMTDataStructEh::RemoveField(TMTDataFieldEh* Field)
{
  if (Field->FDataStruct != this)
    return;
  FList.erase(std::remove(FList.begin(), FList.end(), Field), FList.end());
  Field->FDataStruct = nullptr;
  if (Field->Owner() == this)
    RemoveComponent(Field);
  if (FUpdateCount == 0)
    StructChanged();
}

TMTDataFieldEh* TMTDataStructEh::ChangeFieldType(const String& FieldName, TClass FieldClass)
{
  TMTDataFieldEh* Old = FieldByName(FieldName);
  const Integer At = Old->Index();
  BeginUpdate();
  TMTDataFieldEh* New = CreateField(FieldClass);
  New->SetIndex(At);
  RemoveField(Old);
  const String Name = Old->GetFieldName();
  New->Assign(Old);
  if (New->DefaultAlignment() != Old->DefaultAlignment())
    New->SetAlignment(New->DefaultAlignment());
  New->FGUID = Old->FGUID;
  delete Old;
  New->SetFieldName(Name);
  EndUpdate(true);
  return New;
}

TMTDataFieldEh* TMTDataStructEh::FindField(const String& FieldName) const
{
  for (TMTDataFieldEh* F : FList)
    if (F->GetFieldName().compare(FieldName, Qt::CaseInsensitive) == 0)
      return F;
  return nullptr;
}

TMTDataFieldEh* TMTDataStructEh::FindFieldByGIUD(const String& GUID) const
{
  for (TMTDataFieldEh* F : FList)
    if (F->FGUID == GUID)
      return F;
  return nullptr;
}

TMTDataFieldEh* TMTDataStructEh::FieldByName(const String& FieldName) const
{
  TMTDataFieldEh* F = FindField(FieldName);
  if (!F)
    DatabaseError(QStringLiteral("Field '%1' not found").arg(FieldName), FMemTableData);
  return F;
}

Integer TMTDataStructEh::FieldIndex(const String& FieldName) const
{
  for (Integer I = 0; I < Count(); ++I)
    if (FList[size_t(I)]->GetFieldName().compare(FieldName, Qt::CaseInsensitive) == 0)
      return I;
  return -1;
}

TFieldType TMTDataStructEh::ExprFieldType(Integer Index) const
{
  return GetDataField(Index)->GetDataType();
}

static QStringList SplitFieldNames(const String& FieldNames)
{
  QStringList Names;
  for (const String& Part : FieldNames.split(QLatin1Char(';')))
    Names << Part.trimmed();
  if (!Names.isEmpty() && Names.last().isEmpty() && Names.size() > 1)
    Names.removeLast();
  return Names;
}

void TMTDataStructEh::GetFieldList(std::vector<TMTDataFieldEh*>* List, const String& FieldNames) const
{
  for (const String& Name : SplitFieldNames(FieldNames)) {
    TMTDataFieldEh* F = FieldByName(Name);
    if (List)
      List->push_back(F);
  }
}

std::vector<Integer> TMTDataStructEh::FieldsIndex(const String& FieldNames) const
{
  std::vector<Integer> Result;
  if (FieldNames.contains(QLatin1Char(';'))) {
    for (const String& Name : SplitFieldNames(FieldNames))
      Result.push_back(FieldByName(Name)->Index());
    return Result;
  }
  const Integer I = FieldIndex(FieldNames.trimmed());
  if (I >= 0)
    Result.push_back(I);
  return Result;
}

void TMTDataStructEh::CheckFieldName(const String& Name) const
{
  if (Name.isEmpty())
    DatabaseError(QStringLiteral("Field name missing"), FMemTableData);
  if (FindField(Name))
    DatabaseError(QStringLiteral("Duplicate field name '%1'").arg(Name), FMemTableData);
}

void TMTDataStructEh::Clear()
{
  ++FUpdateCount;
  while (!FList.empty()) {
    TMTDataFieldEh* F = FList.back();
    FList.pop_back();
    F->FDataStruct = nullptr;
    delete F;
  }
  --FUpdateCount;
  if (FUpdateCount == 0)
    StructChanged();
}

void TMTDataStructEh::EndUpdate(bool AStructChanged)
{
  if (FUpdateCount > 0)
    --FUpdateCount;
  if (FUpdateCount == 0 && AStructChanged)
    StructChanged();
}

void TMTDataStructEh::StructChanged()
{
  if (FMemTableData && FMemTableData->DataStruct() == this)
    FMemTableData->StructChanged();
  else
    FStructChanged = true;
  if (OnStructChanged)
    OnStructChanged(this);
}

void TMTDataStructEh::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
}

void TMTDataStructEh::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
  (void)Root;
  for (TMTDataFieldEh* F : FList)
    Proc(F);
}

// One stored value carried from an old column to a new one: cast to the new
// kind (Null when it cannot be), and cut to the new size when the new column
// holds text that may be shorter.
static Variant ConvertForRestructure(const Variant& Value, TMTDataFieldEh* OldField, TMTDataFieldEh* NewField)
{
  Variant Result = Null;
  try {
    Result = ConvertToColumnKindEh(Value, NewField->GetVarDataType());
  } catch (const Exception&) {
    return Null;
  }
  if (Result.IsNull() || Result.IsEmpty())
    return Null;
  auto* NewStr = dynamic_cast<TMTStringDataFieldEh*>(NewField);
  if (!NewStr)
    return Result;
  const bool OldIsString = dynamic_cast<TMTStringDataFieldEh*>(OldField) != nullptr;
  if (OldIsString && NewStr->GetSize() >= OldField->GetSize())
    return Result;
  if (Result.VType() == varString) {
    const AnsiString Bytes = Result.AsAnsiString();
    // Cut at a character boundary of the UTF-8 text.
    return Variant(String::fromUtf8(Bytes).left(NewStr->GetSize()).toUtf8());
  }
  return ConvertToColumnKindEh(Variant(Result.AsString().left(NewStr->GetSize())), NewStr->GetVarDataType());
}

static TRecDataValues ConvertValues(const TRecDataValues& Old, const std::vector<TMTDataFieldEh*>& OldFields,
                                    const std::vector<TMTDataFieldEh*>& NewFields, const std::vector<Integer>& Match)
{
  TRecDataValues Values(NewFields.size(), Null);
  for (size_t I = 0; I < NewFields.size(); ++I)
    if (Match[I] >= 0 && size_t(Match[I]) < Old.size())
      Values[I] = ConvertForRestructure(Old[size_t(Match[I])], OldFields[size_t(Match[I])], NewFields[I]);
  return Values;
}

void TMTDataStructEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TMTDataStructEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  if (Src == this)
    return;
  BeginUpdate();
  TRecordsListEh* Records = FMemTableData && FMemTableData->DataStruct() == this ? FMemTableData->RecordsList()
                                                                                  : nullptr;
  if (Records && Records->Count() > 0) {
    std::vector<Integer> Match;
    for (TMTDataFieldEh* F : Src->FList) {
      TMTDataFieldEh* Own = FindFieldByGIUD(F->FGUID);
      Match.push_back(Own ? Own->Index() : -1);
    }
    for (Integer R = 0; R < Records->Count(); ++R) {
      TMemoryRecordEh* Rec = Records->Rec(R);
      Rec->FData = TRecValuesEh::FromVariants(ConvertValues(Rec->FData.ToVariants(), FList, Src->FList, Match));
      if (Rec->HasOldData())
        Rec->OldRef() =
          TRecValuesEh::FromVariants(ConvertValues(Rec->OldRef().ToVariants(), FList, Src->FList, Match));
    }
  }
  while (!FList.empty()) {
    TMTDataFieldEh* F = FList.back();
    FList.pop_back();
    F->FDataStruct = nullptr;
    delete F;
  }
  for (TMTDataFieldEh* F : Src->FList) {
    TMTDataFieldEh* New = CreateField(F->ClassType());
    New->Assign(F);
    New->FGUID = F->FGUID;
  }
  EndUpdate(true);
}

std::unique_ptr<TMTDataStructEh> TMTDataStructEh::GetCopy() const
{
  auto Copy = std::make_unique<TMTDataStructEh>(nullptr);
  Copy->BeginUpdate();
  for (TMTDataFieldEh* F : FList) {
    TMTDataFieldEh* New = Copy->CreateField(F->ClassType());
    New->Assign(F);
    New->FGUID = F->FGUID;
  }
  Copy->EndUpdate(false);
  Copy->ClearStructChanged();
  return Copy;
}

void TMTDataStructEh::EndRestructure(std::unique_ptr<TMTDataStructEh> NewStrcuture, bool ApplyNewStrcuture)
{
  if (ApplyNewStrcuture && NewStrcuture)
    Assign(NewStrcuture.get());
}

void TMTDataStructEh::BuildStructFromFieldDefs(TFieldDefs* FieldDefs)
{
  if (FMemTableData)
    FMemTableData->DestroyTable();
  BeginUpdate();
  for (Integer I = 0; I < FieldDefs->Count(); ++I)
    BuildDataFieldForFieldDef(FieldDefs->Items(I));
  EndUpdate(true);
}

static TClass CheckedClassFor(TFieldType DataType, const String& Name)
{
  TClass Class = DataFieldClassForFieldTypeEh(DataType);
  if (!Class)
    throw Exception(QStringLiteral("Неподдерживаемый тип (%1) для поля %2").arg(int(DataType)).arg(Name));
  return Class;
}

TMTDataFieldEh* TMTDataStructEh::BuildDataFieldForFieldDef(TFieldDef* AFieldDef)
{
  TMTDataFieldEh* F = CreateField(CheckedClassFor(AFieldDef->DataType(), AFieldDef->Name()));
  F->AssignDataType(AFieldDef->DataType());
  F->SetFieldName(AFieldDef->Name());
  F->SetRequired(AFieldDef->Required());
  if (auto* N = dynamic_cast<TMTNumericDataFieldEh*>(F); N && AFieldDef->Precision() != 0)
    N->SetPrecision(AFieldDef->Precision());
  if (F->CanDinaSize())
    F->SetSize(AFieldDef->Size());
  if (AFieldDef->DataType() == ftAutoInc)
    F->SetAutoIncrement(true);
  F->SetCalculated(AFieldDef->InternalCalcField());
  return F;
}

TMTDataFieldEh* TMTDataStructEh::BuildDataFieldForDef(const String& Name, TFieldType DataType, Integer Precision,
                                                      Integer Size)
{
  TMTDataFieldEh* F = CreateField(CheckedClassFor(DataType, Name));
  F->SetFieldName(Name);
  if (auto* N = dynamic_cast<TMTNumericDataFieldEh*>(F); N && Precision != 0)
    N->SetPrecision(Precision);
  if (F->CanDinaSize())
    F->SetSize(Size);
  return F;
}

TMTDataFieldEh* TMTDataStructEh::BuildDataFieldForField(TField* AField)
{
  TMTDataFieldEh* F = CreateField(CheckedClassFor(AField->DataType(), AField->FieldName()));
  F->AssignDataType(AField->DataType());
  return F;
}

TMTDataFieldEh* TMTDataStructEh::BuildAndCopyDataFieldForField(TField* AField)
{
  TMTDataFieldEh* F = BuildDataFieldForField(AField);
  F->SetFieldName(AField->FieldName());
  F->AssignProps(AField);
  return F;
}

void TMTDataStructEh::BuildStructFromFields(TFields* Fields)
{
  if (FMemTableData)
    FMemTableData->DestroyTable();
  BeginUpdate();
  for (Integer I = 0; I < Fields->Count(); ++I) {
    TField* Field = Fields->Fields(I);
    if (Field->FieldKind() == fkData || Field->FieldKind() == fkInternalCalc)
      BuildAndCopyDataFieldForField(Field);
  }
  EndUpdate(true);
}

void TMTDataStructEh::BuildFieldDefsFromStruct(TFieldDefs* FieldDefs) const
{
  FieldDefs->BeginUpdate();
  ScopeExit Done([&] { FieldDefs->EndUpdate(); });
  FieldDefs->Clear();
  for (TMTDataFieldEh* F : FList) {
    TFieldDef* Def = FieldDefs->AddFieldDef();
    Def->SetName(F->GetFieldName());
    Def->SetDataType(F->GetDataType());
    Def->SetSize(F->CanDinaSize() ? F->GetSize() : 0);
    Def->SetInternalCalcField(F->Calculated());
    if (F->GetRequired())
      Def->SetRequired(true);
    if (auto* N = dynamic_cast<TMTNumericDataFieldEh*>(F))
      Def->SetPrecision(N->Precision());
  }
}

// ---------------------------------------------------------------------------
// Data container.

Integer TAutoIncrementEh::Promote()
{
  const Integer Result = FCurValue;
  FCurValue += FStep;
  return Result;
}

void TAutoIncrementEh::SetInitValue(Integer Value)
{
  if (FCurValue == FInitValue)
    FCurValue = Value;
  FInitValue = Value;
}

void TAutoIncrementEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TAutoIncrementEh*>(Source);
  if (!Src) {
    TPersistent::Assign(Source);
    return;
  }
  FStep = Src->FStep;
  SetInitValue(Src->FInitValue);
}

TRecordsListNotificatorEh::TRecordsListNotificatorEh(TComponent* AOwner) : TComponent(AOwner) {}

TRecordsListNotificatorEh::~TRecordsListNotificatorEh()
{
  if (FDataObject) {
    Detach(FDataObject);
    FDataObject = nullptr;
    FMemTableData = nullptr;
  }
}

void TRecordsListNotificatorEh::Detach(TComponent* Obj)
{
  if (auto* Data = dynamic_cast<TMemTableDataEh*>(Obj))
    Data->RemoveNotificator(this);
  else if (auto* View = dynamic_cast<TRecordsViewEh*>(Obj))
    View->RemoveNotificator(this);
  Obj->RemoveFreeNotification(this);
}

void TRecordsListNotificatorEh::Attach(TComponent* Obj)
{
  if (auto* Data = dynamic_cast<TMemTableDataEh*>(Obj))
    Data->AddNotificator(this);
  else if (auto* View = dynamic_cast<TRecordsViewEh*>(Obj))
    View->AddNotificator(this);
  Obj->FreeNotification(this);
}

void TRecordsListNotificatorEh::SetDataObject(TComponent* Value)
{
  if (Value == FDataObject)
    return;
  DataEvent(nullptr, -1, rlnListChangingEh);
  if (FDataObject)
    Detach(FDataObject);
  FDataObject = nullptr;
  FMemTableData = nullptr;
  if (Value)
    Attach(Value);
  FDataObject = Value;
  if (auto* Data = dynamic_cast<TMemTableDataEh*>(Value))
    FMemTableData = Data;
  else if (auto* View = dynamic_cast<TRecordsViewEh*>(Value))
    FMemTableData = View->MemTableData();
  DataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsListNotificatorEh::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataObject)
    SetDataObject(nullptr);
}

Integer TRecordsListNotificatorEh::FetchRecords(Integer Count)
{
  return OnFetchRecords ? OnFetchRecords(Count) : 0;
}

void TRecordsListNotificatorEh::AfterDataEvent(TMemoryRecordEh* MemRec, Integer Index,
                                               TRecordsListNotification Action)
{
  if (OnAfterDataEvent)
    OnAfterDataEvent(MemRec, Index, Action);
}

void TRecordsListNotificatorEh::DataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action)
{
  if (OnDataEvent)
    OnDataEvent(MemRec, Index, Action);
  switch (Action) {
  case rlnRecAddedEh: RecordAdded(MemRec, Index); break;
  case rlnRecChangedEh: RecordChanged(MemRec, Index); break;
  case rlnRecDeletedEh: RecordDeleted(MemRec, Index); break;
  case rlnListChangedEh: ListChanged(); break;
  default: break;
  }
}

void TRecordsListNotificatorEh::RecordMoved(TMemoryRecordEh* Item, Integer OldIndex, Integer NewIndex)
{
  if (OnRecordMoved)
    OnRecordMoved(Item, OldIndex, NewIndex);
}

void TRecordsListNotificatorEh::StructChanged(TMemTableDataEh* AMemTableData)
{
  if (OnStructChanged)
    OnStructChanged(AMemTableData);
}

TMemTableDataEh::TMemTableDataEh(TComponent* AOwner) : TComponent(AOwner)
{
  FDataStruct = new TMTDataStructEh(this);
  FDataStruct->SetName(QStringLiteral("DataStruct"));
  FNewDataStruct = std::make_unique<TMTDataStructEh>(nullptr);
  FAutoIncrement = std::make_unique<TAutoIncrementEh>();
}

TMemTableDataEh::~TMemTableDataEh()
{
  while (!FNotificators.empty())
    FNotificators.back()->SetDataObject(nullptr);
  delete FRecordsList;
  FRecordsList = nullptr;
  delete FDataStruct;
  FDataStruct = nullptr;
}

TRecordsListEh* TMemTableDataEh::CreateRecordsList()
{
  return new TRecordsListEh(this);
}

// The records list is made on first use: CreateRecordsList is virtual, and a
// descendant's override cannot run from the base constructor.
TRecordsListEh* TMemTableDataEh::GetRecordsList() const
{
  if (!FRecordsList) {
    auto* Self = const_cast<TMemTableDataEh*>(this);
    Self->FRecordsList = Self->CreateRecordsList();
    Self->FRecordsList->SetName(QStringLiteral("RecordsList"));
  }
  return FRecordsList;
}

void TMemTableDataEh::AddNotificator(TRecordsListNotificatorEh* Subscriber)
{
  FNotificators.push_back(Subscriber);
}

void TMemTableDataEh::RemoveNotificator(TRecordsListNotificatorEh* Subscriber)
{
  FNotificators.erase(std::remove(FNotificators.begin(), FNotificators.end(), Subscriber), FNotificators.end());
}

bool TMemTableDataEh::HasApplyUpdatesHandler() const
{
  return std::any_of(FNotificators.begin(), FNotificators.end(),
                     [](TRecordsListNotificatorEh* N) { return bool(N->OnApplyUpdates); });
}

void TMemTableDataEh::ApplyUpdates(TMemTableDataEh* AMemTableData)
{
  const auto Subscribers = FNotificators;
  for (TRecordsListNotificatorEh* N : Subscribers)
    if (N->OnApplyUpdates)
      N->OnApplyUpdates(AMemTableData);
}

void TMemTableDataEh::CalculateFields(TMemoryRecordEh* Rec)
{
  if (!FOnFieldCalculation)
    return;
  TMTDataStructEh* Struct = DataStruct();
  TRecDataValues Values(size_t(Struct->Count()));
  FOnFieldCalculation(Rec, Values);
  for (Integer I = 0; I < Struct->Count() && size_t(I) < Values.size(); ++I)
    if (Struct->GetDataField(I)->Calculated())
      Rec->SetDataValue(I, dvvValueEh, Values[size_t(I)].IsEmpty() ? Null : Values[size_t(I)]);
}

void TMemTableDataEh::SetOnFieldCalculation(TMemoryRecordEventEh Value)
{
  FOnFieldCalculation = std::move(Value);
  for (Integer I = 0; I < RecordsList()->Count(); ++I)
    CalculateFields(RecordsList()->Rec(I));
}

void TMemTableDataEh::DataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action)
{
  if (MemRec && (Action == rlnRecAddedEh || Action == rlnRecChangedEh))
    CalculateFields(MemRec);
  const auto Subscribers = FNotificators;
  for (TRecordsListNotificatorEh* N : Subscribers)
    N->DataEvent(MemRec, Index, Action);
}

void TMemTableDataEh::RecordMoved(TMemoryRecordEh* Item, Integer OldIndex, Integer NewIndex)
{
  const auto Subscribers = FNotificators;
  for (TRecordsListNotificatorEh* N : Subscribers)
    N->RecordMoved(Item, OldIndex, NewIndex);
}

Integer TMemTableDataEh::FetchRecords(Integer Count)
{
  Integer Result = 0;
  const auto Subscribers = FNotificators;
  for (TRecordsListNotificatorEh* N : Subscribers)
    Result += N->FetchRecords(Count);
  return Result;
}

void TMemTableDataEh::SetAutoIncrement(TAutoIncrementEh* Value)
{
  FAutoIncrement->Assign(Value);
}

void TMemTableDataEh::SetAutoIncValue(TMemoryRecordEh* Rec)
{
  TMTDataStructEh* Struct = DataStruct();
  std::vector<Integer> Columns;
  for (Integer I = 0; I < Struct->Count(); ++I) {
    TMTDataFieldEh* F = Struct->GetDataField(I);
    if (F->GetDataType() == ftAutoInc || F->GetAutoIncrement())
      Columns.push_back(I);
  }
  if (Columns.empty())
    return;
  const Integer Value = AutoIncrement()->Promote();
  for (Integer I : Columns)
    Rec->SetDataValue(I, dvvValueEh, Variant(Value));
}

void TMemTableDataEh::StructChanged()
{
  FIncFieldIndexes.clear();
  for (Integer I = 0; I < DataStruct()->Count(); ++I)
    if (DataStruct()->GetDataField(I)->GetDataType() == ftAutoInc)
      FIncFieldIndexes.push_back(I);
  const auto Subscribers = FNotificators;
  for (TRecordsListNotificatorEh* N : Subscribers)
    N->StructChanged(this);
}

TMTDataStructEh* TMemTableDataEh::BeginRestruct()
{
  if (FRestructMode)
    throw Exception(QStringLiteral("MemTableData already in RestructMode."));
  FNewDataStruct->Assign(DataStruct());
  FRestructMode = true;
  return FNewDataStruct.get();
}

void TMemTableDataEh::CancelRestruct()
{
  FRestructMode = false;
  FNewDataStruct->Clear();
}

// Leaving the mode applies the edited structure through the restructuring
// copy, so the stored values follow their columns; a commit that changed
// nothing would lose the caller's edits without a word.
void TMemTableDataEh::CommitRestruct()
{
  if (!FRestructMode)
    return;
  FRestructMode = false;
  ScopeExit Done([&] { FNewDataStruct->Clear(); });
  DataStruct()->Assign(FNewDataStruct.get());
}

void TMemTableDataEh::DestroyTable()
{
  RecordsList()->Clear();
  AutoIncrement()->Reset();
  DataStruct()->Clear();
}

void TMemTableDataEh::ResetRecords()
{
  RecordsList()->Clear();
  AutoIncrement()->Reset();
}

// Takes over Source's structure, records and counter; Source gets this
// storage's old ones and is freed by the caller.
void TMemTableDataEh::TakeOver(TMemTableDataEh* Source)
{
  TMTDataStructEh* OldStruct = FDataStruct;
  TRecordsListEh* OldList = GetRecordsList();
  TRecordsListEh* NewList = Source->GetRecordsList();
  // Keep the live indexes: their definitions belong to this storage.
  std::swap(OldList->FIndexes, NewList->FIndexes);
  OldList->FIndexes->FRecList = OldList;
  NewList->FIndexes->FRecList = NewList;
  RemoveComponent(OldStruct);
  Source->RemoveComponent(Source->FDataStruct);
  FDataStruct = Source->FDataStruct;
  FRecordsList = NewList;
  Source->FDataStruct = OldStruct;
  Source->FRecordsList = OldList;
  InsertComponent(FDataStruct);
  Source->InsertComponent(OldStruct);
  FDataStruct->FMemTableData = this;
  FRecordsList->FMemTableData = this;
  OldStruct->FMemTableData = Source;
  OldList->FMemTableData = Source;
  FAutoIncrement->SetCurValue(Source->FAutoIncrement->CurValue());
  StructChanged();
  // An index over a column the new structure lacks, or one the loaded keys
  // violate, cannot stand over these records: it is switched off.
  TMTIndexesEh* Indexes = FRecordsList->Indexes();
  for (Integer I = 0; I < Indexes->Count(); ++I) {
    try {
      Indexes->GetItem(I)->RebuildIndex();
    } catch (const Exception&) {
      Indexes->GetItem(I)->SetActive(false);
    }
  }
  FRecordsList->DataEvent(nullptr, -1, rlnListChangingEh);
  DataEvent(nullptr, -1, rlnListChangedEh);
}

TMemTableDataShadowEh::TMemTableDataShadowEh(TMemTableDataEh* AMasterTable)
  : TMemTableDataEh(nullptr), FMasterTable(AMasterTable)
{
}

TMTDataStructEh* TMemTableDataShadowEh::GetDataStruct() const
{
  return FMasterTable->DataStruct();
}
