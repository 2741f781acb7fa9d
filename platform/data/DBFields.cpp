// DBFields.cpp: the field classes (values, conversions, display formats, blobs) and the field list.
#include "platform/data/DB.h"

#include "platform/rtl/ScopeExit.h"

#include <QHash>

#include <algorithm>
#include <atomic>
#include <cmath>

// ---------------------------------------------------------------------------
// TField

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField()
{
  if (FDataSet) {
    FDataSet->Fields()->Remove(this);
    FDataSet = nullptr;
  }
}

void TField::CheckInactive() const
{
  if (FDataSet)
    FDataSet->CheckInactive();
}

void TField::SetDataSet(TDataSet* ADataSet)
{
  if (ADataSet == FDataSet)
    return;
  if (FDataSet)
    FDataSet->CheckInactive();
  if (ADataSet)
    ADataSet->CheckInactive();
  if (FDataSet)
    FDataSet->Fields()->Remove(this);
  if (ADataSet)
    ADataSet->Fields()->Add(this);
}

TComponent* TField::GetParentComponent() const { return FDataSet; }

void TField::SetParentComponent(TComponent* Value) { SetDataSet(dynamic_cast<TDataSet*>(Value)); }

void TField::ReadState(TReader& Reader)
{
  if (auto* D = dynamic_cast<TDataSet*>(Reader.Parent()))
    SetDataSet(D);
  inherited::ReadState(Reader);
}

void TField::SetFieldName(const String& Value)
{
  CheckInactive();
  if (FDataSet && Value.compare(FFieldName, Qt::CaseInsensitive) != 0 && FDataSet->FindField(Value))
    DatabaseError(FmtText(dbconsts::SDuplicateFieldName, {Value}), FDataSet);
  FFieldName = Value;
  if (FDataSet)
    FDataSet->DataEvent(deFieldListChange, 0);
}

void TField::SetFieldKind(TFieldKind Value)
{
  if (FFieldKind == Value)
    return;
  CheckInactive();
  FFieldKind = Value;
}

void TField::SetCalculated(bool Value)
{
  if (Value)
    SetFieldKind(fkCalculated);
  else if (FFieldKind == fkCalculated)
    SetFieldKind(fkData);
}

void TField::SetLookup(bool Value)
{
  if (Value)
    SetFieldKind(fkLookup);
  else if (FFieldKind == fkLookup)
    SetFieldKind(fkData);
}

Integer TField::Index() const { return FDataSet ? FDataSet->Fields()->IndexOf(this) : -1; }

void TField::SetIndex(Integer Value)
{
  if (FDataSet)
    FDataSet->Fields()->SetFieldIndex(this, Value);
}

void TField::SetSize(Integer Value)
{
  CheckInactive();
  CheckSize(Value);
  FSize = Value;
}

void TField::PropertyChanged(bool LayoutAffected)
{
  if (FDataSet && FDataSet->Active())
    FDataSet->DataEvent(LayoutAffected ? deLayoutChange : deDataSetChange, 0);
}

void TField::SetDisplayLabel(const String& Value)
{
  if (Value == FDisplayLabel)
    return;
  FDisplayLabel = Value == FFieldName ? String() : Value;
  PropertyChanged(true);
}

void TField::SetDisplayWidth(Integer Value)
{
  if (Value == FDisplayWidth)
    return;
  FDisplayWidth = Value;
  PropertyChanged(true);
}

void TField::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  PropertyChanged(true);
}

void TField::SetReadOnly(bool Value)
{
  if (Value == FReadOnly)
    return;
  FReadOnly = Value;
  PropertyChanged(true);
}

void TField::SetAlignment(TAlignment Value)
{
  if (Value == FAlignment)
    return;
  FAlignment = Value;
  PropertyChanged(false);
}

void TField::SetLookupDataSet(TDataSet* Value)
{
  CheckInactive();
  if (Value && Value == FDataSet)
    DatabaseError(QString::fromUtf8(dbconsts::SCircularDataLink), this);
  if (FLookupDataSet)
    FLookupDataSet->RemoveFreeNotification(this);
  FLookupDataSet = Value;
  FLookupList.reset();
  if (Value)
    Value->FreeNotification(this);
}

void TField::SetKeyFields(const String& Value)
{
  FKeyFields = Value;
  FKeyFieldListVersion = 0;
}

void TField::SetLookupKeyFields(const String& Value)
{
  FLookupKeyFields = Value;
  FLookupList.reset();
}

void TField::SetLookupResultField(const String& Value)
{
  FLookupResultField = Value;
  FLookupList.reset();
}

void TField::SetLookupCache(bool Value)
{
  FLookupCache = Value;
  FLookupList.reset();
}

void TField::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FLookupDataSet) {
    FLookupDataSet = nullptr;
    FLookupList.reset();
  }
}

bool TField::GetData(Variant& V) const
{
  if (FValidating) {
    V = FValidateValue;
    return !VarIsNull(V) && !VarIsEmpty(V);
  }
  if (!FDataSet)
    DatabaseError(FmtText("Field '%s' has no dataset", {DisplayName()}), this);
  if (!FDataSet->GetFieldData(const_cast<TField*>(this), V)) {
    V = Null;
    return false;
  }
  return true;
}

void TField::SetData(const Variant& V)
{
  if (!FDataSet)
    DatabaseError(FmtText("Field '%s' has no dataset", {DisplayName()}), this);
  FDataSet->SetFieldData(this, V);
}

bool TField::IsNull() const
{
  Variant V;
  return !GetData(V);
}

Variant TField::GetAsVariant() const
{
  Variant V;
  if (!GetData(V))
    return Null;
  return V;
}

void TField::Validate(const Variant& Value)
{
  if (!OnValidate)
    return;
  FValidating = true;
  FValidateValue = Value;
  ScopeExit Done([&] { FValidating = false; FValidateValue = Variant(); });
  OnValidate(this);
}

void TField::SetVarValue(const Variant& V)
{
  if (!FDataSet)
    DatabaseError(FmtText("Field '%s' has no dataset", {DisplayName()}), this);
  const TDataSetState S = FDataSet->State();
  const bool DataKind = FFieldKind == fkData || FFieldKind == fkInternalCalc;
  if (DataKind && (S < dsEdit || S > dsNewValue) && S != dsInternalCalc)
    DatabaseError(QString::fromUtf8(dbconsts::SNotEditing), FDataSet);
  if (DataKind && FReadOnly && S != dsSetKey && S != dsFilter)
    DatabaseError(FmtText(dbconsts::SFieldReadOnly, {DisplayName()}), FDataSet);
  Variant Value = (VarIsNull(V) || VarIsEmpty(V)) ? Variant(Null) : Normalize(V);
  if (S != dsCalcFields && S != dsFilter && S != dsInternalCalc)
    Validate(Value);
  SetData(Value);
}

void TField::AccessError(const char* TypeName) const
{
  DatabaseError(FmtText(dbconsts::SFieldAccessError, {DisplayName(), QString::fromLatin1(TypeName)}));
}

void TField::ConvertError(const char* Text, const String& Value) const
{
  throw EConvertError(FmtText(Text, {Value, DisplayName()}));
}

String TField::GetAsString() const
{
  Variant V = GetAsVariant();
  return VarIsNull(V) ? String() : VarToStr(V);
}

void TField::SetBlankAsNull(const String& V) { SetVarValue(V.trimmed().isEmpty() ? Variant(Null) : Variant(V)); }

void TField::SetAsStringValue(const String& V)
{
  if (V.isEmpty())
    SetVarValue(Null);
  else
    SetVarValue(V);
}

Integer TField::GetAsInteger() const { AccessError("Integer"); }
void TField::SetAsIntegerValue(Integer V) { SetVarValue(V); }
Int64 TField::GetAsLargeInt() const { return GetAsInteger(); }
void TField::SetAsLargeIntValue(Int64 V) { SetVarValue(V); }
double TField::GetAsFloat() const { AccessError("Float"); }
void TField::SetAsFloatValue(double V) { SetVarValue(V); }
Currency TField::GetAsCurrency() const { return Currency(GetAsFloat()); }
void TField::SetAsCurrencyValue(Currency V) { SetVarValue(V); }
TDateTime TField::GetAsDateTime() const { AccessError("DateTime"); }
void TField::SetAsDateTimeValue(TDateTime V) { SetVarValue(Variant(V)); }
bool TField::GetAsBoolean() const { AccessError("Boolean"); }
void TField::SetAsBooleanValue(bool V) { SetVarValue(V); }

void TField::GetText(String& Text, bool DisplayText) const
{
  (void)DisplayText;
  Text = GetAsString();
}

void TField::SetTextValue(const String& Text) { SetAsStringValue(Text); }

String TField::DisplayText() const
{
  String S;
  if (OnGetText)
    OnGetText(const_cast<TField*>(this), S, true);
  else
    GetText(S, true);
  return S;
}

String TField::Text() const
{
  String S;
  if (OnGetText)
    OnGetText(const_cast<TField*>(this), S, false);
  else
    GetText(S, false);
  return S;
}

void TField::SetText(const String& Value)
{
  if (OnSetText)
    OnSetText(this, Value);
  else
    SetTextValue(Value);
}

Variant TField::OldValue() const
{
  if (!FDataSet)
    return Null;
  return FDataSet->GetOldFieldValue(const_cast<TField*>(this));
}

bool TField::CanModify() const
{
  if (FReadOnly || !FDataSet || FFieldKind == fkCalculated || FFieldKind == fkLookup)
    return false;
  return FDataSet->CanModify();
}

bool TField::Modified() const { return FDataSet && FDataSet->Modified(); }

void TField::FocusControl()
{
  if (!FDataSet || !FDataSet->Active())
    return;
  TField* Self = this;
  FDataSet->DataEvent(deFocusControl, reinterpret_cast<NativeInt>(&Self));
}

void TField::Change()
{
  if (OnChange)
    OnChange(this);
}

void TField::Bind(bool Binding)
{
  FKeyFieldListVersion = 0;
  FLookupList.reset();   // the next opening reads the lookup dataset afresh
  if (FFieldKind != fkLookup)
    return;
  if (Binding && (!FLookupDataSet || FKeyFields.isEmpty() || FLookupKeyFields.isEmpty() ||
                  FLookupResultField.isEmpty()))
    DatabaseError(FmtText(dbconsts::SLookupInfoError, {DisplayName()}), FDataSet);
}

// The results of the lookup dataset by the text of their key: keys that
// Lookup finds equal have the same text.
struct TField::TLookupList {
  QHash<QString, Variant> Results;
  std::vector<bool> TextKeys;   // by lookup key field: compared as text
  Int64 FieldListVersion = 0;   // of the lookup dataset's fields when read
};

static bool IsTextField(const TField* F)
{
  switch (F->DataType()) {
  case ftString: case ftWideString: case ftFixedChar: case ftFixedWideChar: case ftMemo: case ftWideMemo:
    return true;
  default:
    return false;
  }
}

// One key value's part of a list key; false where the list cannot answer
// (a text looked up in a field of another kind compares as Lookup does).
static bool AppendLookupKey(QString& Key, const Variant& V, bool Text)
{
  if (VarIsNull(V) || VarIsEmpty(V))
    Key += u'\x01';
  else if (Text)
    Key += u's' + VarToStr(V);
  else if (VarIsStr(V))
    return false;
  else if (VarIsOrdinal(V))
    Key += u'i' + QString::number(V.AsInt64());
  else if (const double D = V.AsDouble(); std::trunc(D) == D && std::fabs(D) < 9e15)
    Key += u'i' + QString::number(Int64(D));
  else
    Key += u'f' + QString::number(D, 'g', 17);
  Key += u'\x1f';
  return true;
}

void TField::RefreshLookupList()
{
  FLookupList.reset();
  if (!FLookupCache || !FLookupDataSet || !FLookupDataSet->Active())
    return;
  TDataSet* D = FLookupDataSet;
  D->CheckBrowseMode();
  auto List = std::make_unique<TLookupList>();
  const std::vector<TField*> Keys = D->GetFieldList(FLookupKeyFields);
  for (TField* K : Keys)
    List->TextKeys.push_back(IsTextField(K));
  List->FieldListVersion = D->Fields()->Version();
  const TBookmark Start = D->GetBookmark();
  {
    D->DisableControls();
    ScopeExit Enable([&] { D->EnableControls(); });
    for (D->First(); !D->Eof(); D->Next()) {
      QString Key;
      bool Listed = true;
      for (std::size_t I = 0; I < Keys.size() && Listed; ++I)
        Listed = AppendLookupKey(Key, Keys[I]->Value(), List->TextKeys[I]);
      if (Listed && !List->Results.contains(Key))   // the first match, as Lookup finds it
        List->Results.insert(Key, D->FieldValues(FLookupResultField));
    }
    if (!Start.isEmpty())
      D->GotoBookmark(Start);
  }
  FLookupList = std::move(List);
}

void TField::CalcLookupValue()
{
  if (!FLookupDataSet || !FLookupDataSet->Active()) {
    FLookupList.reset();
    SetData(Null);
    return;
  }
  if (FKeyFieldListVersion != FDataSet->Fields()->Version()) {
    FKeyFieldList = FDataSet->GetFieldList(FKeyFields);
    FKeyFieldListVersion = FDataSet->Fields()->Version();
  }
  const std::vector<TField*>& Keys = FKeyFieldList;
  if (FLookupCache) {
    if (!FLookupList || FLookupList->FieldListVersion != FLookupDataSet->Fields()->Version())
      RefreshLookupList();
    QString Key;
    bool Listed = FLookupList && FLookupList->TextKeys.size() == Keys.size();
    for (std::size_t I = 0; I < Keys.size() && Listed; ++I)
      Listed = AppendLookupKey(Key, Keys[I]->Value(), FLookupList->TextKeys[I]);
    if (Listed) {
      SetData(FLookupList->Results.value(Key, Null));
      return;
    }
  }
  Variant KeyValues;
  if (Keys.size() == 1) {
    KeyValues = Keys[0]->Value();
  } else {
    std::vector<Variant> Vals;
    for (TField* K : Keys)
      Vals.push_back(K->Value());
    KeyValues = VarArrayOf(Vals);
  }
  SetData(FLookupDataSet->Lookup(FLookupKeyFields, KeyValues, FLookupResultField));
}

// ---- strings

TStringField::TStringField(TComponent* AOwner) : TField(AOwner)
{
  SetDataType(ftString);
  FSize = 20;
}

TWideStringField::TWideStringField(TComponent* AOwner) : TStringField(AOwner) { SetDataType(ftWideString); }

void TStringField::CheckSize(Integer Value) const
{
  if (Value < 0)
    DatabaseError(QString::fromUtf8(dbconsts::SInvalidFieldSize), this);
}

String TStringField::GetAsString() const
{
  Variant V;
  if (!GetData(V))
    return String();
  String S = V.AsString();
  if (FFixedChar) {
    while (S.endsWith(u' '))
      S.chop(1);
  }
  return S;
}

Variant TStringField::GetAsVariant() const
{
  Variant V;
  if (!GetData(V))
    return Null;
  return Variant(GetAsString());
}

void TStringField::SetAsStringValue(const String& V) { SetVarValue(V); }

Variant TStringField::Normalize(const Variant& V) const
{
  // Texts keep what was typed; the server reports an overlong value itself.
  return Variant(V.AsString());
}

template <class T>
T TStringField::TextAsNumber(bool (*TryConvert)(const String&, T&), const char* Error) const
{
  const String S = GetAsString().trimmed();
  T Value{};
  if (!S.isEmpty() && !TryConvert(S, Value))
    ConvertError(Error, S);
  return Value;
}

Integer TStringField::GetAsInteger() const { return TextAsNumber<Integer>(TryStrToInt, dbconsts::SNotAnInteger); }
Int64 TStringField::GetAsLargeInt() const { return TextAsNumber<Int64>(TryStrToInt64, dbconsts::SNotAnInteger); }
double TStringField::GetAsFloat() const { return TextAsNumber<double>(TryStrToFloat, dbconsts::SNotAFloat); }

bool TStringField::GetAsBoolean() const
{
  const String S = GetAsString().trimmed();
  if (S.isEmpty())
    return false;
  const QChar C = S[0].toUpper();
  if (C == u'T' || C == u'Y' || C == u'1')
    return true;
  if (C == u'F' || C == u'N' || C == u'0')
    return false;
  ConvertError(dbconsts::SNotABoolean, S);
}

TDateTime TStringField::GetAsDateTime() const
{
  const String S = GetAsString();
  if (S.trimmed().isEmpty())
    return TDateTime(0);
  return Variant(S).AsDateTime();
}

// ---- numbers

TNumericField::TNumericField(TComponent* AOwner) : TField(AOwner) { FAlignment = taRightJustify; }

void TNumericField::SetDisplayFormat(const String& Value)
{
  if (Value == FDisplayFormat)
    return;
  FDisplayFormat = Value;
  PropertyChanged(false);
}

void TNumericField::SetEditFormat(const String& Value)
{
  if (Value == FEditFormat)
    return;
  FEditFormat = Value;
  PropertyChanged(false);
}

void TNumericField::GetText(String& Text, bool DisplayText) const
{
  Variant V;
  if (!GetData(V)) {
    Text.clear();
    return;
  }
  Text = FormatValue(V, DisplayText || FEditFormat.isEmpty() ? FDisplayFormat : FEditFormat, DisplayText);
}

String TNumericField::FormatValue(const Variant& V, const String& Format, bool DisplayText) const
{
  (void)Format;
  (void)DisplayText;
  return V.AsString();
}

TIntegerField::TIntegerField(TComponent* AOwner) : TNumericField(AOwner) { SetDataType(ftInteger); }
TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner) { SetDataType(ftSmallint); }
TLargeintField::TLargeintField(TComponent* AOwner) : TIntegerField(AOwner) { SetDataType(ftLargeint); }
TAutoIncField::TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner) { SetDataType(ftAutoInc); }

void TIntegerField::CheckRange(Int64 Value) const
{
  const bool Bounded = FMinValue != 0 || FMaxValue != 0;
  if (Value < LowLimit() || Value > HighLimit() || (Bounded && (Value < FMinValue || Value > FMaxValue)))
    throw ERangeError(FmtText("%s is not a valid value for field '%s'", {QString::number(Value), DisplayName()}));
}

Variant TIntegerField::Normalize(const Variant& V) const
{
  Int64 I = 0;
  if (VarIsStr(V)) {
    const String S = V.AsString().trimmed();
    if (!TryStrToInt64(S, I))
      ConvertError(dbconsts::SNotAnInteger, S);
  } else if (VarIsFloat(V)) {
    I = std::llround(V.AsDouble());
  } else {
    I = V.AsInt64();
  }
  CheckRange(I);
  if (DataType() == ftLargeint)
    return Variant(I);
  return Variant(Integer(I));
}

Variant TIntegerField::GetAsVariant() const
{
  Variant V;
  if (!GetData(V))
    return Null;
  if (DataType() == ftLargeint)
    return Variant(V.AsInt64());
  return Variant(V.AsInteger());
}

Int64 TIntegerField::GetAsLargeInt() const
{
  Variant V;
  return GetData(V) ? V.AsInt64() : 0;
}

Integer TIntegerField::GetAsInteger() const { return Integer(GetAsLargeInt()); }
double TIntegerField::GetAsFloat() const { return double(GetAsLargeInt()); }
bool TIntegerField::GetAsBoolean() const { return GetAsLargeInt() != 0; }

String TIntegerField::GetAsString() const
{
  Variant V;
  return GetData(V) ? QString::number(V.AsInt64()) : String();
}

String TIntegerField::FormatValue(const Variant& V, const String& Format, bool) const
{
  return Format.isEmpty() ? QString::number(V.AsInt64()) : FormatFloat(Format, double(V.AsInt64()));
}

TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner) { SetDataType(ftFloat); }

void TFloatField::SetCurrency(bool Value)
{
  if (Value == FCurrency)
    return;
  FCurrency = Value;
  PropertyChanged(false);
}

void TFloatField::SetPrecision(Integer Value)
{
  Value = std::clamp(Value, 2, 15);
  if (Value == FPrecision)
    return;
  FPrecision = Value;
  PropertyChanged(false);
}

Variant TFloatField::Normalize(const Variant& V) const
{
  if (VarIsStr(V)) {
    const String S = V.AsString().trimmed();
    double D;
    if (!TryStrToFloat(S, D))
      ConvertError(dbconsts::SNotAFloat, S);
    return Variant(D);
  }
  return Variant(V.AsDouble());
}

Variant TFloatField::GetAsVariant() const
{
  Variant V;
  return GetData(V) ? Variant(V.AsDouble()) : Variant(Null);
}

double TFloatField::GetAsFloat() const
{
  Variant V;
  return GetData(V) ? V.AsDouble() : 0.0;
}

Integer TFloatField::GetAsInteger() const { return Integer(std::llround(GetAsFloat())); }
Currency TFloatField::GetAsCurrency() const { return Currency(GetAsFloat()); }

String TFloatField::GetAsString() const
{
  Variant V;
  return GetData(V) ? FloatToStr(V.AsDouble()) : String();
}

String TFloatField::FormatValue(const Variant& V, const String& Format, bool DisplayText) const
{
  const double D = V.AsDouble();
  if (!Format.isEmpty())
    return FormatFloat(Format, D);
  if (FCurrency && DisplayText)
    return FloatToStrF(D, ffCurrency, FPrecision, FormatSettings.CurrencyDecimals);
  return FloatToStrF(D, ffGeneral, FPrecision, 0);
}

TBCDField::TBCDField(TComponent* AOwner) : TNumericField(AOwner)
{
  SetDataType(ftBCD);
  FSize = 4;
}

TFMTBCDField::TFMTBCDField(TComponent* AOwner) : TBCDField(AOwner)
{
  SetDataType(ftFMTBcd);
  FSize = 8;
}

void TBCDField::SetCurrency(bool Value)
{
  if (Value == FCurrency)
    return;
  FCurrency = Value;
  PropertyChanged(false);
}

void TBCDField::SetPrecision(Integer Value)
{
  if (Value == FPrecision)
    return;
  FPrecision = Value;
  PropertyChanged(false);
}

void TBCDField::CheckSize(Integer Value) const
{
  if (Value < 0 || Value > 4)
    DatabaseError(QString::fromUtf8(dbconsts::SInvalidFieldSize), this);
}

void TFMTBCDField::CheckSize(Integer Value) const
{
  if (Value < 0 || Value > 64)
    DatabaseError(QString::fromUtf8(dbconsts::SInvalidFieldSize), this);
}

Integer TBCDField::GetDefaultWidth() const { return FPrecision > 0 ? FPrecision + 1 + (FSize > 0 ? 1 : 0) : 10; }

// A decimal must keep its integer digits within precision minus scale.
static void CheckDecimalRange(double D, Integer Precision, Integer Scale, const TField* Field)
{
  if (Precision <= 0)
    return;
  const double Limit = std::pow(10.0, Precision - Scale);
  if (std::fabs(D) >= Limit)
    throw EOverflow(FmtText("BCD overflow (field '%s')", {Field->DisplayName()}));
}

Variant TBCDField::Normalize(const Variant& V) const
{
  Currency C;
  if (VarIsStr(V)) {
    const String S = V.AsString().trimmed();
    double D;
    if (!TryStrToFloat(S, D))
      ConvertError(dbconsts::SNotAFloat, S);
    C = Currency(D);
  } else {
    C = V.AsCurrency();
  }
  CheckDecimalRange(double(C), FPrecision, FSize, this);
  return Variant(C);
}

Variant TBCDField::GetAsVariant() const
{
  Variant V;
  return GetData(V) ? Variant(V.AsCurrency()) : Variant(Null);
}

Currency TBCDField::GetAsCurrency() const
{
  Variant V;
  return GetData(V) ? V.AsCurrency() : Currency();
}

double TBCDField::GetAsFloat() const { return double(GetAsCurrency()); }
Int64 TBCDField::GetAsLargeInt() const { return std::llround(GetAsFloat()); }
Integer TBCDField::GetAsInteger() const { return Integer(GetAsLargeInt()); }

String TBCDField::GetAsString() const
{
  Variant V;
  return GetData(V) ? CurrToStr(V.AsCurrency()) : String();
}

String TBCDField::FormatValue(const Variant& V, const String& Format, bool DisplayText) const
{
  const Currency C = V.AsCurrency();
  if (!Format.isEmpty())
    return FormatCurr(Format, C);
  if (FCurrency && DisplayText)
    return CurrToStrF(C, ffCurrency, FormatSettings.CurrencyDecimals);
  return CurrToStr(C);
}

// ---- exact decimals

// Digits of a canonical decimal text: sign, integer digits, fraction digits.
struct TDecimalParts {
  bool Negative = false;
  String Int;
  String Frac;
};

static TDecimalParts SplitDecimal(const String& Text)
{
  TDecimalParts P;
  String T = Text;
  if (T.startsWith(u'-')) {
    P.Negative = true;
    T.remove(0, 1);
  }
  const qsizetype Point = T.indexOf(u'.');
  P.Int = Point < 0 ? T : T.left(Point);
  P.Frac = Point < 0 ? String() : T.mid(Point + 1);
  return P;
}

static String JoinDecimal(TDecimalParts P)
{
  while (P.Int.size() > 1 && P.Int.startsWith(u'0'))
    P.Int.remove(0, 1);
  if (P.Int.isEmpty())
    P.Int = QStringLiteral("0");
  const bool Zero = P.Int == u"0" && std::all_of(P.Frac.begin(), P.Frac.end(), [](QChar C) { return C == u'0'; });
  String S = P.Negative && !Zero ? QStringLiteral("-") : String();
  S += P.Int;
  if (!P.Frac.isEmpty())
    S += u'.' + P.Frac;
  return S;
}

// Rounds half away from zero to Scale fraction digits (fewer are kept).
static void RoundDecimal(TDecimalParts& P, Integer Scale)
{
  if (P.Frac.size() <= Scale)
    return;
  const bool Up = P.Frac[Scale] >= u'5';
  P.Frac.truncate(Scale);
  if (!Up)
    return;
  String Digits = P.Int + P.Frac;
  qsizetype I = Digits.size() - 1;
  for (; I >= 0 && Digits[I] == u'9'; --I)
    Digits[I] = u'0';
  if (I < 0)
    Digits.prepend(u'1');
  else
    Digits[I] = QChar(Digits[I].unicode() + 1);
  P.Int = Digits.left(Digits.size() - Scale);
  P.Frac = Digits.right(Scale);
}

// Typed or stored decimal text into canonical parts; the point may be the
// locale's separator or '.'.
static bool ParseDecimal(const String& Text, TDecimalParts& P)
{
  String T = Text.trimmed();
  P = TDecimalParts();
  if (T.startsWith(u'-') || T.startsWith(u'+')) {
    P.Negative = T.startsWith(u'-');
    T.remove(0, 1);
  }
  bool Point = false;
  for (QChar C : T) {
    if (C.isDigit() && C.unicode() < 128) {
      (Point ? P.Frac : P.Int) += C;
    } else if ((C == u'.' || C == FormatSettings.DecimalSeparator) && !Point) {
      Point = true;
    } else {
      return false;
    }
  }
  return !P.Int.isEmpty() || !P.Frac.isEmpty();
}

static Integer IntegerDigits(const TDecimalParts& P)
{
  qsizetype I = 0;
  while (I < P.Int.size() && P.Int[I] == u'0')
    ++I;
  return Integer(P.Int.size() - I);
}

// Splits a format at ';' outside quotes.
static QStringList FormatSections(const String& Format)
{
  QStringList Sections(String{});
  QChar Quote;
  for (QChar C : Format) {
    if (!Quote.isNull()) {
      if (C == Quote)
        Quote = QChar();
    } else if (C == u'\'' || C == u'"') {
      Quote = C;
    } else if (C == u';') {
      Sections << String();
      continue;
    }
    Sections.last() += C;
  }
  return Sections;
}

String FormatDecimalText(const String& Format, const String& DecimalText)
{
  TDecimalParts P = SplitDecimal(DecimalText);
  const QStringList Sections = FormatSections(Format);
  const auto AllZero = [](const String& Digits) { return Digits.count(u'0') == Digits.size(); };
  const bool Zero = AllZero(P.Int) && AllZero(P.Frac);
  String Section = Sections[0];
  bool Minus = P.Negative && !Zero;
  if (Zero && Sections.size() >= 3 && !Sections[2].isEmpty()) {
    Section = Sections[2];
    Minus = false;
  } else if (P.Negative && !Zero && Sections.size() >= 2 && !Sections[1].isEmpty()) {
    Section = Sections[1];
    Minus = false;   // the negative section writes its own sign
  }
  // the placeholders: integer ones before the point, fraction ones after
  Integer IntRequired = 0, FracTotal = 0, FracRequired = 0;
  bool SeenPoint = false, SeenZero = false, Thousands = false;
  QChar Quote;
  for (QChar C : Section) {
    if (!Quote.isNull()) {
      if (C == Quote)
        Quote = QChar();
      continue;
    }
    if (C == u'\'' || C == u'"')
      Quote = C;
    else if (C == u'E' || C == u'e')
      return FormatFloat(Format, DecimalText.toDouble());
    else if (C == u'.')
      SeenPoint = true;
    else if (C == u',' && !SeenPoint)
      Thousands = true;
    else if ((C == u'0' || C == u'#') && SeenPoint) {
      ++FracTotal;
      if (C == u'0')
        FracRequired = FracTotal;
    } else if (C == u'0' || (C == u'#' && SeenZero)) {
      SeenZero = true;
      ++IntRequired;
    }
  }
  RoundDecimal(P, FracTotal);
  P.Frac = P.Frac.leftJustified(FracTotal, u'0');
  while (P.Frac.size() > FracRequired && P.Frac.endsWith(u'0'))
    P.Frac.chop(1);
  while (!P.Int.isEmpty() && P.Int.startsWith(u'0'))
    P.Int.remove(0, 1);
  P.Int = P.Int.rightJustified(IntRequired, u'0');
  if (AllZero(P.Int) && AllZero(P.Frac))
    Minus = false;   // rounded to nothing
  if (Thousands)
    for (qsizetype I = P.Int.size() - 3; I > 0; I -= 3)
      P.Int.insert(I, FormatSettings.ThousandSeparator);
  // the text: literals as written, the digits at the first placeholder
  String Out = Minus ? QStringLiteral("-") : String();
  bool IntDone = false;
  SeenPoint = false;
  Quote = QChar();
  for (QChar C : Section) {
    if (!Quote.isNull()) {
      if (C == Quote)
        Quote = QChar();
      else
        Out += C;
      continue;
    }
    if (C == u'\'' || C == u'"') {
      Quote = C;
    } else if (C == u'.' && !SeenPoint) {
      SeenPoint = true;
      if (!IntDone)
        Out += P.Int;
      IntDone = true;
      if (!P.Frac.isEmpty())
        Out += FormatSettings.DecimalSeparator + P.Frac;
    } else if (C == u'0' || C == u'#' || (C == u',' && !SeenPoint)) {
      if (!IntDone && !SeenPoint && C != u',') {
        Out += P.Int;
        IntDone = true;
      }
    } else {
      Out += C;
    }
  }
  return Out;
}

Variant TFMTBCDField::Normalize(const Variant& V) const
{
  TDecimalParts P;
  const int T = VarType(V) & varTypeMask;
  if (VarIsStr(V)) {
    if (!ParseDecimal(V.AsString(), P))
      ConvertError(dbconsts::SNotAFloat, V.AsString().trimmed());
  } else if (T == varCurrency) {
    ParseDecimal(CurrToStr(V.AsCurrency()), P);
  } else if (T == varInteger || T == varInt64 || T == varSmallint || T == varShortInt || T == varByte ||
             T == varWord || T == varLongWord || T == varBoolean) {
    ParseDecimal(QString::number(V.AsInt64()), P);
  } else {
    const double D = V.AsDouble();
    if (!std::isfinite(D))
      ConvertError(dbconsts::SNotAFloat, QString::number(D));
    ParseDecimal(QString::number(D, 'f', std::max(FSize, 0)), P);
  }
  RoundDecimal(P, std::max(FSize, 0));
  P.Frac = P.Frac.leftJustified(std::max(FSize, 0), u'0');   // as the server writes it
  if (FPrecision > 0 && IntegerDigits(P) > FPrecision - FSize)
    throw EOverflow(FmtText("BCD overflow (field '%s')", {DisplayName()}));
  return Variant(JoinDecimal(P));
}

String TFMTBCDField::AsDecimalText() const
{
  Variant V;
  if (!GetData(V))
    return String();
  const String Source = VarIsStr(V) ? V.AsString() : String();
  if (FParsed && VarIsStr(V) && (Source.isSharedWith(FParsedSource) || Source == FParsedSource))
    return FParsedExact;
  TDecimalParts P;
  if (!VarIsStr(V) || !ParseDecimal(Source, P))
    ParseDecimal(QString::number(V.AsDouble(), 'f', std::max(FSize, 0)), P);
  const String Exact = JoinDecimal(P);
  if (!VarIsStr(V))
    return Exact;
  FParsedSource = Source;
  FParsedExact = Exact;
  FParsedNumber = Exact.toDouble();
  FParsed = true;
  return Exact;
}

Variant TFMTBCDField::GetAsVariant() const
{
  Variant V;
  return GetData(V) ? Variant(GetAsFloat()) : Variant(Null);
}

double TFMTBCDField::GetAsFloat() const
{
  const String Exact = AsDecimalText();
  return FParsed && Exact.isSharedWith(FParsedExact) ? FParsedNumber : Exact.toDouble();
}
Int64 TFMTBCDField::GetAsLargeInt() const { return std::llround(GetAsFloat()); }
Integer TFMTBCDField::GetAsInteger() const { return Integer(GetAsLargeInt()); }
Currency TFMTBCDField::GetAsCurrency() const { return Currency(GetAsFloat()); }

// The exact digits with the locale's separator and no trailing zeros.
String TFMTBCDField::GetAsString() const
{
  const String Text = AsDecimalText();
  if (Text.isEmpty())
    return Text;
  TDecimalParts P = SplitDecimal(Text);
  while (P.Frac.endsWith(u'0'))
    P.Frac.chop(1);
  String S = JoinDecimal(P);
  return S.replace(u'.', FormatSettings.DecimalSeparator);
}

String TFMTBCDField::FormatValue(const Variant&, const String& Format, bool DisplayText) const
{
  const String Exact = AsDecimalText();
  if (!Format.isEmpty())
    return FormatDecimalText(Format, Exact);
  if (FCurrency && DisplayText)
    return FloatToStrF(Exact.toDouble(), ffCurrency, 18, FormatSettings.CurrencyDecimals);
  return GetAsString();
}

// ---- booleans

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBoolean); }

void TBooleanField::SetDisplayValues(const String& Value)
{
  FDisplayValues = Value;
  const qsizetype P = Value.indexOf(u';');
  if (Value.isEmpty()) {
    FTrueText = QStringLiteral("True");
    FFalseText = QStringLiteral("False");
  } else if (P < 0) {
    FTrueText = Value;
    FFalseText.clear();
  } else {
    FTrueText = Value.left(P);
    FFalseText = Value.mid(P + 1);
  }
  PropertyChanged(false);
}

Variant TBooleanField::Normalize(const Variant& V) const
{
  if (VarIsStr(V)) {
    const String S = V.AsString().trimmed();
    if (S.compare(FTrueText, Qt::CaseInsensitive) == 0)
      return Variant(true);
    if (S.compare(FFalseText, Qt::CaseInsensitive) == 0)
      return Variant(false);
    bool B;
    if (!TryStrToBool(S, B))
      ConvertError(dbconsts::SNotABoolean, S);
    return Variant(B);
  }
  return Variant(V.AsBoolean());
}

Variant TBooleanField::GetAsVariant() const
{
  Variant V;
  return GetData(V) ? Variant(V.AsBoolean()) : Variant(Null);
}

bool TBooleanField::GetAsBoolean() const
{
  Variant V;
  return GetData(V) && V.AsBoolean();
}

Integer TBooleanField::GetAsInteger() const { return GetAsBoolean() ? 1 : 0; }

String TBooleanField::GetAsString() const
{
  Variant V;
  if (!GetData(V))
    return String();
  return V.AsBoolean() ? FTrueText : FFalseText;
}

// ---- dates and times

TDateTimeField::TDateTimeField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftDateTime); }
TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner) { SetDataType(ftDate); }
TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner) { SetDataType(ftTime); }

void TDateTimeField::SetDisplayFormat(const String& Value)
{
  if (Value == FDisplayFormat)
    return;
  FDisplayFormat = Value;
  PropertyChanged(false);
}

String TDateTimeField::DefaultFormat() const
{
  return FormatSettings.ShortDateFormat + u' ' + FormatSettings.LongTimeFormat;
}
String TDateField::DefaultFormat() const { return FormatSettings.ShortDateFormat; }
String TTimeField::DefaultFormat() const { return FormatSettings.LongTimeFormat; }

Variant TDateTimeField::Normalize(const Variant& V) const
{
  TDateTime D = V.AsDateTime();
  if (DataType() == ftDate)
    D = TDateTime(std::trunc(D.Val));
  else if (DataType() == ftTime)
    D = TDateTime(std::fabs(D.Val - std::trunc(D.Val)));
  return Variant(D);
}

Variant TDateTimeField::GetAsVariant() const
{
  Variant V;
  return GetData(V) ? Variant(V.AsDateTime()) : Variant(Null);
}

TDateTime TDateTimeField::GetAsDateTime() const
{
  Variant V;
  return GetData(V) ? V.AsDateTime() : TDateTime(0);
}

double TDateTimeField::GetAsFloat() const { return GetAsDateTime().Val; }

String TDateTimeField::GetAsString() const
{
  String S;
  GetText(S, false);
  return S;
}

void TDateTimeField::GetText(String& Text, bool DisplayText) const
{
  Variant V;
  if (!GetData(V)) {
    Text.clear();
    return;
  }
  const String Fmt = DisplayText && !FDisplayFormat.isEmpty() ? FDisplayFormat : DefaultFormat();
  Text = FormatDateTime(Fmt, V.AsDateTime());
}

// ---- blobs

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBlob); }
TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner) { SetDataType(ftMemo); }
TWideMemoField::TWideMemoField(TComponent* AOwner) : TMemoField(AOwner) { SetDataType(ftWideMemo); }

Variant TBlobField::Normalize(const Variant& V) const
{
  if (VarIsStr(V))
    return Variant::FromBytes(V.AsString().toUtf8());
  return Variant::FromBytes(V.AsBytes());
}

Variant TBlobField::GetAsVariant() const
{
  Variant V;
  return GetData(V) ? V : Variant(Null);
}

QByteArray TBlobField::AsBytes() const
{
  Variant V;
  return GetData(V) ? V.AsBytes() : QByteArray();
}

void TBlobField::SetAsBytes(const QByteArray& Value) { SetVarValue(Variant::FromBytes(Value)); }
Integer TBlobField::BlobSize() const { return Integer(AsBytes().size()); }
String TBlobField::GetAsString() const { return QString::fromUtf8(AsBytes()); }
void TBlobField::SetAsStringValue(const String& V) { SetVarValue(Variant::FromBytes(V.toUtf8())); }

void TBlobField::GetText(String& Text, bool DisplayText) const
{
  (void)DisplayText;
  Text = IsNull() ? QStringLiteral("(blob)") : QStringLiteral("(BLOB)");
}

Variant TMemoField::Normalize(const Variant& V) const { return Variant(V.AsString()); }

Variant TMemoField::GetAsVariant() const
{
  Variant V;
  return GetData(V) ? Variant(V.AsString()) : Variant(Null);
}

String TMemoField::GetAsString() const
{
  Variant V;
  return GetData(V) ? V.AsString() : String();
}

void TMemoField::SetAsStringValue(const String& V) { SetVarValue(V.isEmpty() ? Variant(Null) : Variant(V)); }

void TMemoField::GetText(String& Text, bool DisplayText) const
{
  if (DisplayText)
    Text = IsNull() ? QStringLiteral("(memo)") : QStringLiteral("(MEMO)");
  else
    Text = GetAsString();
}

QByteArray TWideMemoField::TextToBytes(const String& Text) const
{
  QByteArray Bytes(reinterpret_cast<const char*>(Text.utf16()), Text.size() * 2);
  if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN)
    for (qsizetype I = 0; I + 1 < Bytes.size(); I += 2)
      std::swap(Bytes[I], Bytes[I + 1]);
  return Bytes;
}

String TWideMemoField::BytesToText(const QByteArray& Bytes) const
{
  String Text(Bytes.size() / 2, Qt::Uninitialized);
  for (qsizetype I = 0; I < Text.size(); ++I)
    Text[I] = QChar(char16_t(uchar(Bytes[2 * I]) | uchar(Bytes[2 * I + 1]) << 8));
  return Text;
}

// The field's value as the bytes a stream carries.
static QByteArray BlobBytes(const TBlobField* Field)
{
  if (auto* Memo = dynamic_cast<const TMemoField*>(Field))
    return Memo->TextToBytes(Memo->AsString());
  return Field->AsBytes();
}

static void SetBlobBytes(TBlobField* Field, const QByteArray& Bytes)
{
  if (auto* Memo = dynamic_cast<TMemoField*>(Field))
    Memo->SetAsString(Memo->BytesToText(Bytes));
  else
    Field->SetAsBytes(Bytes);
}

void TBlobField::LoadFromStream(TStream* Stream)
{
  Stream->SetPosition(0);
  SetBlobBytes(this, Stream->ReadBytes(Integer(Stream->Size())));
}

void TBlobField::SaveToStream(TStream* Stream) const { Stream->WriteBuffer(BlobBytes(this)); }

void TBlobField::LoadFromFile(const String& FileName)
{
  TFileStream File(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&File);
}

void TBlobField::SaveToFile(const String& FileName) const
{
  TFileStream File(FileName, fmCreate);
  SaveToStream(&File);
}

// ---- blob streams

// Writing needs an editing dataset and a modifiable field, checked before
// anything is written so that freeing the stream has nothing left to refuse.
TBlobStream::TBlobStream(TBlobField* Field, TBlobStreamMode Mode) : FField(Field), FMode(Mode)
{
  if (Mode != bmRead) {
    TDataSet* D = Field->DataSet();
    if (!D || (D->State() != dsEdit && D->State() != dsInsert))
      DatabaseError(QString::fromUtf8(dbconsts::SNotEditing), D);
    if (Field->ReadOnly())
      DatabaseError(FmtText(dbconsts::SFieldReadOnly, {Field->DisplayName()}), D);
  }
  if (Mode == bmWrite) {
    FModified = true;   // the value is replaced even when nothing is written
    return;
  }
  const QByteArray Bytes = BlobBytes(Field);
  TMemoryStream::Write(Bytes.constData(), Integer(Bytes.size()));
  TMemoryStream::SetPosition(0);
}

TBlobStream::~TBlobStream()
{
  try {
    Flush();
  } catch (...) {
    // a destructor cannot report; callers who must know call Flush first
  }
}

Integer TBlobStream::Write(const void* Buffer, Integer Count)
{
  if (FMode == bmRead)
    return 0;
  FModified = true;
  return TMemoryStream::Write(Buffer, Count);
}

void TBlobStream::SetSize(Int64 NewSize)
{
  if (FMode == bmRead)
    throw EStreamError(QStringLiteral("Stream write error"));
  FModified = true;
  TMemoryStream::SetSize(NewSize);
}

void TBlobStream::Flush()
{
  if (!FModified)
    return;
  TDataSet* D = FField->DataSet();
  // a record cancelled meanwhile takes nothing from the stream
  if (!D || (D->State() != dsEdit && D->State() != dsInsert))
    return;
  FModified = false;
  SetBlobBytes(FField, Bytes());
}

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField* Field, TBlobStreamMode Mode)
{
  auto* Blob = dynamic_cast<TBlobField*>(Field);
  if (!Blob)
    DatabaseError(FmtText(dbconsts::SFieldAccessError, {Field->DisplayName(), QStringLiteral("Blob")}), this);
  return std::make_unique<TBlobStream>(Blob, Mode);
}

template <class T>
static TField* MakeField(TComponent* Owner) { return new T(Owner); }

TFieldClass DefaultFieldClass(TFieldType Type)
{
  switch (Type) {
  case ftString:
  case ftFixedChar:
  case ftGuid: return &MakeField<TStringField>;
  case ftWideString:
  case ftFixedWideChar: return &MakeField<TWideStringField>;
  case ftSmallint:
  case ftShortint:
  case ftByte: return &MakeField<TSmallintField>;
  case ftInteger:
  case ftWord: return &MakeField<TIntegerField>;
  case ftLargeint:
  case ftLongWord: return &MakeField<TLargeintField>;
  case ftAutoInc: return &MakeField<TAutoIncField>;
  case ftFloat:
  case ftCurrency:
  case ftExtended:
  case ftSingle: return &MakeField<TFloatField>;
  case ftBCD: return &MakeField<TBCDField>;
  case ftFMTBcd: return &MakeField<TFMTBCDField>;
  case ftBoolean: return &MakeField<TBooleanField>;
  case ftDate: return &MakeField<TDateField>;
  case ftTime: return &MakeField<TTimeField>;
  case ftDateTime:
  case ftTimeStamp: return &MakeField<TDateTimeField>;
  case ftMemo:
  case ftFmtMemo: return &MakeField<TMemoField>;
  case ftWideMemo: return &MakeField<TWideMemoField>;
  case ftBlob:
  case ftGraphic:
  case ftBytes:
  case ftVarBytes:
  case ftTypedBinary: return &MakeField<TBlobField>;
  default: return nullptr;
  }
}

// ---------------------------------------------------------------------------
// TFields

TField* TFields::Fields(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    DatabaseError(QString::fromUtf8(dbconsts::SFieldIndexError), FDataSet);
  return FList[std::size_t(Index)];
}

TField* TFields::FindField(const String& FieldName) const
{
  for (TField* F : FList)
    if (F->FieldName().compare(FieldName, Qt::CaseInsensitive) == 0)
      return F;
  return nullptr;
}

TField* TFields::FieldByName(const String& FieldName) const
{
  TField* F = FindField(FieldName);
  if (!F)
    DatabaseError(FmtText(dbconsts::SFieldNotFound, {FieldName}), FDataSet);
  return F;
}

TField* TFields::FieldByNumber(Integer FieldNo) const
{
  for (TField* F : FList)
    if (F->FieldNo() == FieldNo)
      return F;
  return nullptr;
}

Integer TFields::IndexOf(const TField* Field) const
{
  auto It = std::find(FList.begin(), FList.end(), Field);
  return It == FList.end() ? -1 : Integer(It - FList.begin());
}

Int64 TFields::NewVersion()
{
  static std::atomic<Int64> Last{0};
  return ++Last;
}

void TFields::Clear()
{
  FList.clear();
  Changed();
}

void TFields::Add(TField* Field)
{
  FList.push_back(Field);
  Field->FDataSet = FDataSet;
  FDataSet->DataEvent(deFieldListChange, 0);
}

void TFields::Remove(TField* Field)
{
  auto It = std::find(FList.begin(), FList.end(), Field);
  if (It == FList.end())
    return;
  FList.erase(It);
  Field->FDataSet = nullptr;
  FDataSet->DataEvent(deFieldListChange, 0);
}

void TFields::SetFieldIndex(TField* Field, Integer Value)
{
  const Integer Cur = IndexOf(Field);
  if (Cur < 0)
    return;
  Value = std::clamp(Value, 0, Count() - 1);
  if (Value == Cur)
    return;
  FList.erase(FList.begin() + Cur);
  FList.insert(FList.begin() + Value, Field);
  FDataSet->DataEvent(deFieldListChange, 0);
  if (FDataSet->Active())
    FDataSet->DataEvent(deLayoutChange, 0);
}
