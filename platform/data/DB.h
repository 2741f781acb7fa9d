// DB.h: datasets with the buffer-based record protocol, the field family,
// field and index definitions, parameters, data sources and data links.
// Record buffers are opaque handles that a descendant allocates; field values
// cross the dataset as Variant; bookmarks are opaque byte strings.
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Variants.h"

#include <functional>
#include <memory>
#include <vector>

class TDataSet;
class TDataSource;
class TDataLink;
class TField;
class TFields;
class TFieldDefs;
class TIndexDefs;

// ---------------------------------------------------------------------------
// Enumerations (ordinal order matters: code compares ranges of them)

enum TDataSetState {
  dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue, dsOldValue,
  dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};

enum TDataEvent {
  deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord,
  deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange, deFocusControl, deParentScroll,
  deConnectChange, deReconcileError, deDisabledStateChange
};

enum TFieldType {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate,
  ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo, ftParadoxOle,
  ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT, ftArray, ftReference,
  ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd,
  ftFixedWideChar, ftWideMemo, ftOraTimeStamp, ftOraInterval, ftLongWord, ftShortint, ftByte, ftExtended,
  ftConnection, ftParams, ftStream, ftTimeStampOffset, ftObject, ftSingle
};

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TResyncModeItem { rmExact, rmCenter };
using TResyncMode = TSet<TResyncModeItem>;
enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;
enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;
enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };
enum TDataAction { daFail, daAbort, daRetry };
enum TFieldAttribute { faHiddenCol, faReadonly, faRequired, faLink, faUnNamed, faFixed };
using TFieldAttributes = TSet<TFieldAttribute>;
enum TIndexOption { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression, ixNonMaintained };
using TIndexOptions = TSet<TIndexOption>;
enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };
enum TAutoRefreshFlag { arNone, arAutoInc, arDefault };
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

using TRecordBuffer = NativeInt;   // 0 is no buffer
using TBookmark = QByteArray;      // opaque; empty is no bookmark

// The name of a field type as messages write it ("WideString", "Integer").
String FieldTypeName(TFieldType Type);

// ---------------------------------------------------------------------------
// Errors

class EDatabaseError : public Exception {
public:
  explicit EDatabaseError(const String& Msg) : Exception(Msg) {}
};

// Raises EDatabaseError; with a named component the text starts "Name: ".
[[noreturn]] void DatabaseError(const String& Message, const TComponent* Component = nullptr);

// The texts the dataset layer raises (format arguments as %s).
namespace dbconsts {
inline const char* const SDataSetOpen = "Cannot perform this operation on an open dataset";
inline const char* const SDataSetClosed = "Cannot perform this operation on a closed dataset";
inline const char* const SNotEditing = "Dataset not in edit or insert mode";
inline const char* const SDataSetReadOnly = "Cannot modify a read-only dataset";
inline const char* const SDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline const char* const SFieldNotFound = "Field '%s' not found";
inline const char* const SFieldReadOnly = "Field '%s' cannot be modified";
inline const char* const SFieldRequired = "Field '%s' must have a value";
inline const char* const SRecordNotFound = "Record not found";
inline const char* const SNoDataFound = "No data found";
inline const char* const SFieldTypeMismatch = "Type mismatch for field '%s', expecting: %s actual: %s";
inline const char* const SFieldAccessError = "Cannot access field '%s' as type %s";
inline const char* const SInvalidFieldSize = "Invalid field size";
inline const char* const SFieldNameMissing = "Field name missing";
inline const char* const SDuplicateFieldName = "Duplicate field name '%s'";
inline const char* const SNoFieldsDefined = "No fields defined. Cannot create dataset.";
inline const char* const SFieldIndexError = "Field index out of range";
inline const char* const SNotABoolean = "'%s' is not a valid boolean value for field '%s'";
inline const char* const SNotAnInteger = "'%s' is not a valid integer value for field '%s'";
inline const char* const SNotAFloat = "'%s' is not a valid floating point value for field '%s'";
inline const char* const SNotADate = "'%s' is not a valid date and time";
inline const char* const SFieldOutOfRange = "Value of field '%s' is out of range";
inline const char* const SCircularDataLink = "Circular datalinks are not allowed";
inline const char* const SParameterNotFound = "Parameter '%s' not found";
inline const char* const SInvalidBufferCount = "Invalid buffer count";
inline const char* const SLookupInfoError = "Lookup information for field '%s' is incomplete";
inline const char* const SBookmarkNotFound = "Bookmark not found";
inline const char* const SLoginError = "Cannot connect to database '%s'";
}  // namespace dbconsts

String FmtText(const char* Text, const QStringList& Args);

// Asks a person for the account of a connection that prompts for one;
// answers false when cancelled. The data-aware controls' library installs
// its login dialog here; without one a connection opens as its string says.
using TLoginDialogProc = std::function<bool(const String& DatabaseName, String& UserName, String& Password)>;
// Installs a login dialog (an empty one removes it); answers the previous one.
TLoginDialogProc SetLoginDialogProc(TLoginDialogProc Proc);
const TLoginDialogProc& LoginDialogProc();

// ---------------------------------------------------------------------------
// Fields

using TFieldNotifyEvent = std::function<void(TField* Sender)>;
using TFieldGetTextEvent = std::function<void(TField* Sender, String& Text, bool DisplayText)>;
using TFieldSetTextEvent = std::function<void(TField* Sender, const String& Text)>;

class TField : public TComponent {
  VELMORA_CLASS(TField)
  using inherited = TComponent;
public:
  explicit TField(TComponent* AOwner);
  ~TField() override;

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* ADataSet);
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  TFieldType DataType() const { return FDataType; }
  TFieldKind FieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind Value);
  bool Calculated() const { return FFieldKind == fkCalculated; }
  void SetCalculated(bool Value);
  bool Lookup() const { return FFieldKind == fkLookup; }
  void SetLookup(bool Value);
  // 1-based column number in the cursor; 0 or less for calculated fields.
  Integer FieldNo() const { return FFieldNo; }
  Integer Index() const;
  void SetIndex(Integer Value);
  Integer Size() const { return FSize; }
  void SetSize(Integer Value);
  virtual Integer DataSize() const { return 0; }
  bool IsIndexField() const { return FIsIndexField; }
  virtual bool IsBlob() const { return false; }

  String DisplayLabel() const { return FDisplayLabel.isEmpty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(const String& Value);
  String DisplayName() const { return DisplayLabel(); }
  Integer DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : GetDefaultWidth(); }
  void SetDisplayWidth(Integer Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool Required() const { return FRequired; }
  void SetRequired(bool Value) { FRequired = Value; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  const String& EditMask() const { return FEditMask; }
  void SetEditMask(const String& Value) { FEditMask = Value; }
  const String& DefaultExpression() const { return FDefaultExpression; }
  void SetDefaultExpression(const String& Value) { FDefaultExpression = Value; }
  TAutoRefreshFlag AutoGenerateValue() const { return FAutoGenerateValue; }
  void SetAutoGenerateValue(TAutoRefreshFlag Value) { FAutoGenerateValue = Value; }
  const String& Origin() const { return FOrigin; }
  void SetOrigin(const String& Value) { FOrigin = Value; }

  // Lookup definition.
  TDataSet* LookupDataSet() const { return FLookupDataSet; }
  void SetLookupDataSet(TDataSet* Value);
  const String& KeyFields() const { return FKeyFields; }
  void SetKeyFields(const String& Value);
  const String& LookupKeyFields() const { return FLookupKeyFields; }
  void SetLookupKeyFields(const String& Value);
  const String& LookupResultField() const { return FLookupResultField; }
  void SetLookupResultField(const String& Value);
  // With LookupCache the lookup dataset is read once into a list of results
  // by key; RefreshLookupList reads it again.
  bool LookupCache() const { return FLookupCache; }
  void SetLookupCache(bool Value);
  void RefreshLookupList();

  // Values.
  Variant Value() const { return GetAsVariant(); }
  void SetValue(const Variant& V) { SetVarValue(V); }
  Variant AsVariant() const { return GetAsVariant(); }
  void SetAsVariant(const Variant& V) { SetVarValue(V); }
  bool IsNull() const;
  String AsString() const { return GetAsString(); }
  void SetAsString(const String& V) { SetAsStringValue(V); }
  Integer AsInteger() const { return GetAsInteger(); }
  void SetAsInteger(Integer V) { SetAsIntegerValue(V); }
  Int64 AsLargeInt() const { return GetAsLargeInt(); }
  void SetAsLargeInt(Int64 V) { SetAsLargeIntValue(V); }
  double AsFloat() const { return GetAsFloat(); }
  void SetAsFloat(double V) { SetAsFloatValue(V); }
  Currency AsCurrency() const { return GetAsCurrency(); }
  void SetAsCurrency(Currency V) { SetAsCurrencyValue(V); }
  TDateTime AsDateTime() const { return GetAsDateTime(); }
  void SetAsDateTime(TDateTime V) { SetAsDateTimeValue(V); }
  bool AsBoolean() const { return GetAsBoolean(); }
  void SetAsBoolean(bool V) { SetAsBooleanValue(V); }
  String DisplayText() const;
  String Text() const;
  void SetText(const String& Value);
  Variant OldValue() const;
  Variant NewValue() const { return Value(); }
  bool CanModify() const;
  bool Modified() const;
  void Clear() { SetValue(Null); }
  void FocusControl();
  // Runs OnValidate with Value as the field's value while it runs.
  void Validate(const Variant& Value);

  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;
  TFieldNotifyEvent OnValidate;
  TFieldNotifyEvent OnChange;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  // A field described inside a dataset belongs to it.
  void ReadState(TReader& Reader) override;

protected:
  friend class TDataSet;
  friend class TFields;
  friend class TFieldDef;

  virtual Variant GetAsVariant() const;
  virtual void SetVarValue(const Variant& V);
  virtual String GetAsString() const;
  virtual void SetAsStringValue(const String& V);
  virtual Integer GetAsInteger() const;
  virtual void SetAsIntegerValue(Integer V);
  virtual Int64 GetAsLargeInt() const;
  virtual void SetAsLargeIntValue(Int64 V);
  virtual double GetAsFloat() const;
  virtual void SetAsFloatValue(double V);
  virtual Currency GetAsCurrency() const;
  virtual void SetAsCurrencyValue(Currency V);
  virtual TDateTime GetAsDateTime() const;
  virtual void SetAsDateTimeValue(TDateTime V);
  virtual bool GetAsBoolean() const;
  virtual void SetAsBooleanValue(bool V);
  // DisplayText: the text to show; otherwise the text to edit.
  virtual void GetText(String& Text, bool DisplayText) const;
  virtual void SetTextValue(const String& Text);
  virtual Integer GetDefaultWidth() const { return 10; }
  virtual void CheckSize(Integer Value) const { (void)Value; }
  // The value turned into this field's kind before it is stored.
  virtual Variant Normalize(const Variant& V) const { return V; }
  void SetDataType(TFieldType Value) { FDataType = Value; }
  // Typed text where blank means Null: numbers, booleans, dates.
  void SetBlankAsNull(const String& V);

  // Raw access through the dataset.
  bool GetData(Variant& V) const;
  void SetData(const Variant& V);
  [[noreturn]] void AccessError(const char* TypeName) const;
  [[noreturn]] void ConvertError(const char* Text, const String& Value) const;
  void CheckInactive() const;
  void PropertyChanged(bool LayoutAffected);
  void Change();
  void Bind(bool Binding);
  void CalcLookupValue();
  void Notification(TComponent* AComponent, TOperation Operation) override;

  TDataSet* FDataSet = nullptr;
  String FFieldName;
  TFieldType FDataType = ftUnknown;
  TFieldKind FFieldKind = fkData;
  Integer FFieldNo = 0;
  Integer FSize = 0;
  bool FIsIndexField = false;
  String FDisplayLabel;
  Integer FDisplayWidth = 0;
  bool FVisible = true;
  bool FReadOnly = false;
  bool FRequired = false;
  TAlignment FAlignment = taLeftJustify;
  String FEditMask;
  String FDefaultExpression;
  TAutoRefreshFlag FAutoGenerateValue = arNone;
  String FOrigin;
  TDataSet* FLookupDataSet = nullptr;
  String FKeyFields;
  String FLookupKeyFields;
  String FLookupResultField;
  bool FLookupCache = false;
  struct TLookupList;
  std::unique_ptr<TLookupList> FLookupList;
  std::vector<TField*> FKeyFieldList;     // FKeyFields found in the field list
  Int64 FKeyFieldListVersion = 0;         // of the list they were found in
  bool FValidating = false;
  Variant FValidateValue;
};

class TStringField : public TField {
  VELMORA_CLASS(TStringField)
public:
  explicit TStringField(TComponent* AOwner);
  bool FixedChar() const { return FFixedChar; }
  void SetFixedChar(bool Value) { FFixedChar = Value; }
  bool Transliterate() const { return FTransliterate; }
  void SetTransliterate(bool Value) { FTransliterate = Value; }
  Integer DataSize() const override { return Size() + 1; }
protected:
  String GetAsString() const override;
  void SetAsStringValue(const String& V) override;
  Variant GetAsVariant() const override;
  Integer GetAsInteger() const override;
  Int64 GetAsLargeInt() const override;
  double GetAsFloat() const override;
  bool GetAsBoolean() const override;
  TDateTime GetAsDateTime() const override;
  Integer GetDefaultWidth() const override { return Size(); }
  void CheckSize(Integer Value) const override;
  Variant Normalize(const Variant& V) const override;
private:
  // The trimmed text as a number: blank is zero, other text must convert.
  template <class T>
  T TextAsNumber(bool (*TryConvert)(const String&, T&), const char* Error) const;
  bool FFixedChar = false;
  bool FTransliterate = true;
};

class TWideStringField : public TStringField {
  VELMORA_CLASS(TWideStringField)
public:
  explicit TWideStringField(TComponent* AOwner);
  Integer DataSize() const override { return (Size() + 1) * 2; }
};

class TNumericField : public TField {
  VELMORA_CLASS(TNumericField)
public:
  explicit TNumericField(TComponent* AOwner);
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& Value);
  const String& EditFormat() const { return FEditFormat; }
  void SetEditFormat(const String& Value);
protected:
  void SetAsStringValue(const String& V) override { SetBlankAsNull(V); }
  // Null is empty; a value goes through FormatValue with the format of the
  // text asked for (the edit text falls back on the display format).
  void GetText(String& Text, bool DisplayText) const override;
  virtual String FormatValue(const Variant& V, const String& Format, bool DisplayText) const;
  String FDisplayFormat;
  String FEditFormat;
};

class TIntegerField : public TNumericField {
  VELMORA_CLASS(TIntegerField)
public:
  explicit TIntegerField(TComponent* AOwner);
  Int64 MinValue() const { return FMinValue; }
  void SetMinValue(Int64 Value) { FMinValue = Value; }
  Int64 MaxValue() const { return FMaxValue; }
  void SetMaxValue(Int64 Value) { FMaxValue = Value; }
  Integer DataSize() const override { return 4; }
protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  Integer GetAsInteger() const override;
  Int64 GetAsLargeInt() const override;
  double GetAsFloat() const override;
  bool GetAsBoolean() const override;
  String FormatValue(const Variant& V, const String& Format, bool DisplayText) const override;
  Variant Normalize(const Variant& V) const override;
  Integer GetDefaultWidth() const override { return 11; }
  virtual Int64 LowLimit() const { return INT32_MIN; }
  virtual Int64 HighLimit() const { return INT32_MAX; }
  void CheckRange(Int64 Value) const;
  Int64 FMinValue = 0;
  Int64 FMaxValue = 0;
};

class TSmallintField : public TIntegerField {
  VELMORA_CLASS(TSmallintField)
public:
  explicit TSmallintField(TComponent* AOwner);
  Integer DataSize() const override { return 2; }
protected:
  Int64 LowLimit() const override { return INT16_MIN; }
  Int64 HighLimit() const override { return INT16_MAX; }
  Integer GetDefaultWidth() const override { return 6; }
};

class TLargeintField : public TIntegerField {
  VELMORA_CLASS(TLargeintField)
public:
  explicit TLargeintField(TComponent* AOwner);
  Integer DataSize() const override { return 8; }
protected:
  Int64 LowLimit() const override { return INT64_MIN; }
  Int64 HighLimit() const override { return INT64_MAX; }
  Integer GetDefaultWidth() const override { return 15; }
};

class TAutoIncField : public TIntegerField {
  VELMORA_CLASS(TAutoIncField)
public:
  explicit TAutoIncField(TComponent* AOwner);
};

class TFloatField : public TNumericField {
  VELMORA_CLASS(TFloatField)
public:
  explicit TFloatField(TComponent* AOwner);
  bool Currency_() const { return FCurrency; }
  bool IsCurrency() const { return FCurrency; }
  void SetCurrency(bool Value);
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value);
  Integer DataSize() const override { return 8; }
protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  Integer GetAsInteger() const override;
  double GetAsFloat() const override;
  Currency GetAsCurrency() const override;
  String FormatValue(const Variant& V, const String& Format, bool DisplayText) const override;
  Variant Normalize(const Variant& V) const override;
  Integer GetDefaultWidth() const override { return 10; }
  bool FCurrency = false;
  Integer FPrecision = 15;
};

// Exact decimals held as Currency (four decimals); Size is the scale.
class TBCDField : public TNumericField {
  VELMORA_CLASS(TBCDField)
public:
  explicit TBCDField(TComponent* AOwner);
  bool IsCurrency() const { return FCurrency; }
  void SetCurrency(bool Value);
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value);
  Integer DataSize() const override { return 8; }
protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  Integer GetAsInteger() const override;
  Int64 GetAsLargeInt() const override;
  double GetAsFloat() const override;
  Currency GetAsCurrency() const override;
  String FormatValue(const Variant& V, const String& Format, bool DisplayText) const override;
  Variant Normalize(const Variant& V) const override;
  void CheckSize(Integer Value) const override;
  Integer GetDefaultWidth() const override;
  bool FCurrency = false;
  Integer FPrecision = 0;
};

// Decimals of any precision, held exactly as decimal text ("-12.345", a
// point, no exponent) rounded to the scale (Size). AsString, Text and the
// value written back keep every digit; Value and AsFloat are a Double for
// arithmetic.
class TFMTBCDField : public TBCDField {
  VELMORA_CLASS(TFMTBCDField)
public:
  explicit TFMTBCDField(TComponent* AOwner);
  // The exact value as decimal text with a point, empty when Null.
  String AsDecimalText() const;
protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  double GetAsFloat() const override;
  Int64 GetAsLargeInt() const override;
  Integer GetAsInteger() const override;
  Currency GetAsCurrency() const override;
  String FormatValue(const Variant& V, const String& Format, bool DisplayText) const override;
  Variant Normalize(const Variant& V) const override;
  void CheckSize(Integer Value) const override;
private:
  // The last text read and its exact digits and number: a value read again
  // is not parsed again.
  mutable String FParsedSource;
  mutable String FParsedExact;
  mutable double FParsedNumber = 0;
  mutable bool FParsed = false;
};

// FormatFloat's format language applied to exact decimal text, so that no
// digit is lost to a Double (exponent formats go through FormatFloat).
String FormatDecimalText(const String& Format, const String& DecimalText);

class TBooleanField : public TField {
  VELMORA_CLASS(TBooleanField)
public:
  explicit TBooleanField(TComponent* AOwner);
  const String& DisplayValues() const { return FDisplayValues; }
  void SetDisplayValues(const String& Value);
  Integer DataSize() const override { return 2; }
protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  void SetAsStringValue(const String& V) override { SetBlankAsNull(V); }
  bool GetAsBoolean() const override;
  Integer GetAsInteger() const override;
  Variant Normalize(const Variant& V) const override;
  Integer GetDefaultWidth() const override { return 5; }
private:
  String FDisplayValues;
  String FTrueText = QStringLiteral("True");
  String FFalseText = QStringLiteral("False");
};

class TDateTimeField : public TField {
  VELMORA_CLASS(TDateTimeField)
public:
  explicit TDateTimeField(TComponent* AOwner);
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& Value);
  Integer DataSize() const override { return 8; }
protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  void SetAsStringValue(const String& V) override { SetBlankAsNull(V); }
  TDateTime GetAsDateTime() const override;
  double GetAsFloat() const override;
  void GetText(String& Text, bool DisplayText) const override;
  Variant Normalize(const Variant& V) const override;
  Integer GetDefaultWidth() const override { return 18; }
  virtual String DefaultFormat() const;
  String FDisplayFormat;
};

class TDateField : public TDateTimeField {
  VELMORA_CLASS(TDateField)
public:
  explicit TDateField(TComponent* AOwner);
  Integer DataSize() const override { return 4; }
protected:
  String DefaultFormat() const override;
  Integer GetDefaultWidth() const override { return 10; }
};

class TTimeField : public TDateTimeField {
  VELMORA_CLASS(TTimeField)
public:
  explicit TTimeField(TComponent* AOwner);
  Integer DataSize() const override { return 4; }
protected:
  String DefaultFormat() const override;
  Integer GetDefaultWidth() const override { return 10; }
};

class TBlobField : public TField {
  VELMORA_CLASS(TBlobField)
public:
  explicit TBlobField(TComponent* AOwner);
  bool IsBlob() const override { return true; }
  QByteArray AsBytes() const;
  void SetAsBytes(const QByteArray& Value);
  Integer BlobSize() const;
  // What the bytes hold (ftBlob, ftGraphic, ftMemo, ...).
  TFieldType BlobType() const { return DataType(); }
  void SetBlobType(TFieldType Value) { SetDataType(Value); }
  // The whole value through a stream: loading replaces it (the dataset must
  // be editing), saving writes it from the stream's position on.
  void LoadFromStream(TStream* Stream);
  void SaveToStream(TStream* Stream) const;
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName) const;
protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  void SetAsStringValue(const String& V) override;
  void GetText(String& Text, bool DisplayText) const override;
  Variant Normalize(const Variant& V) const override;
};

class TMemoField : public TBlobField {
  VELMORA_CLASS(TMemoField)
public:
  explicit TMemoField(TComponent* AOwner);
  // The text as the bytes a stream carries: UTF-8, or UTF-16 for the wide memo.
  virtual QByteArray TextToBytes(const String& Text) const { return Text.toUtf8(); }
  virtual String BytesToText(const QByteArray& Bytes) const { return QString::fromUtf8(Bytes); }
protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  void SetAsStringValue(const String& V) override;
  void GetText(String& Text, bool DisplayText) const override;
  Variant Normalize(const Variant& V) const override;
};

class TWideMemoField : public TMemoField {
  VELMORA_CLASS(TWideMemoField)
public:
  explicit TWideMemoField(TComponent* AOwner);
  QByteArray TextToBytes(const String& Text) const override;
  String BytesToText(const QByteArray& Bytes) const override;
};

// A memory stream over a blob field's value: filled from the field when
// reading, written back into the field when freed after a change (the
// dataset must be editing for bmWrite and bmReadWrite; bmWrite starts empty).
class TBlobStream : public TMemoryStream {
  VELMORA_CLASS(TBlobStream)
public:
  TBlobStream(TBlobField* Field, TBlobStreamMode Mode);
  ~TBlobStream() override;
  Integer Write(const void* Buffer, Integer Count) override;
  void SetSize(Int64 NewSize) override;
  // Writes a changed value into the field now rather than when freed.
  void Flush();

private:
  TBlobField* FField;
  TBlobStreamMode FMode;
  bool FModified = false;
};

using TFieldClass = TField* (*)(TComponent* Owner);
// The class a dataset creates for a column of this type (nullptr when none).
TFieldClass DefaultFieldClass(TFieldType Type);

// The fields of a dataset, in order; it does not own them.
class TFields {
public:
  explicit TFields(TDataSet* ADataSet) : FDataSet(ADataSet), FVersion(NewVersion()) {}
  Integer Count() const { return Integer(FList.size()); }
  TField* Fields(Integer Index) const;
  TField* operator[](Integer Index) const { return Fields(Index); }
  TField* FindField(const String& FieldName) const;   // ignoring case
  TField* FieldByName(const String& FieldName) const;  // "Field '%s' not found"
  TField* FieldByNumber(Integer FieldNo) const;
  Integer IndexOf(const TField* Field) const;
  void Add(TField* Field);
  void Remove(TField* Field);
  void Clear();
  void SetFieldIndex(TField* Field, Integer Value);
  TDataSet* DataSet() const { return FDataSet; }
  auto begin() const { return FList.begin(); }
  auto end() const { return FList.end(); }
  // Changes whenever a field is added, removed, moved or renamed, and is
  // never the same for two lists: who keeps a field found here may trust it
  // while the version stays.
  Int64 Version() const { return FVersion; }
  void Changed() { FVersion = NewVersion(); }
private:
  static Int64 NewVersion();
  TDataSet* FDataSet;
  std::vector<TField*> FList;
  Int64 FVersion;
};

// ---------------------------------------------------------------------------
// Field, index and parameter definitions

class TFieldDef : public TCollectionItem {
  VELMORA_CLASS(TFieldDef)
public:
  explicit TFieldDef(TCollection* Collection);
  const String& Name() const { return FName; }
  void SetName(const String& Value) { FName = Value; Changed(false); }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType Value) { FDataType = Value; Changed(false); }
  Integer Size() const { return FSize; }
  void SetSize(Integer Value) { FSize = Value; Changed(false); }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value) { FPrecision = Value; Changed(false); }
  TFieldAttributes Attributes() const { return FAttributes; }
  void SetAttributes(TFieldAttributes Value) { FAttributes = Value; Changed(false); }
  bool Required() const { return FAttributes.Contains(faRequired); }
  void SetRequired(bool Value);
  Integer FieldNo() const { return FFieldNo > 0 ? FFieldNo : Index() + 1; }
  void SetFieldNo(Integer Value) { FFieldNo = Value; }
  bool InternalCalcField() const { return FInternalCalcField; }
  void SetInternalCalcField(bool Value) { FInternalCalcField = Value; }
  TFieldClass FieldClass() const { return DefaultFieldClass(FDataType); }
  // A field of this definition for the definitions' dataset.
  TField* CreateField(TComponent* Owner);
  String DisplayName() const override { return FName; }
  void Assign(TPersistent* Source) override;
private:
  String FName;
  TFieldType FDataType = ftUnknown;
  Integer FSize = 0;
  Integer FPrecision = 0;
  TFieldAttributes FAttributes;
  Integer FFieldNo = 0;
  bool FInternalCalcField = false;
};

class TFieldDefs : public TCollection {
  VELMORA_CLASS(TFieldDefs)
public:
  explicit TFieldDefs(TDataSet* ADataSet = nullptr);
  TFieldDef* AddFieldDef();
  void Add(const String& Name, TFieldType DataType, Integer Size = 0, bool Required = false);
  TFieldDef* Find(const String& Name) const;   // "Field '%s' not found"
  Integer IndexOf(const String& Name) const;
  TFieldDef* Items(Integer Index) const { return static_cast<TFieldDef*>(TCollection::Items(Index)); }
  TFieldDef* operator[](Integer Index) const { return Items(Index); }
  bool Updated() const { return FUpdated; }
  void SetUpdated(bool Value) { FUpdated = Value; }
  // Reads the definitions from the dataset when they are not up to date.
  void Update();
  TDataSet* DataSet() const { return FDataSet; }
protected:
  void Update(TCollectionItem* Item) override;
  TPersistent* GetOwner() const override;
private:
  TDataSet* FDataSet = nullptr;
  bool FUpdated = false;
};

class TIndexDef : public TCollectionItem {
  VELMORA_CLASS(TIndexDef)
public:
  explicit TIndexDef(TCollection* Collection);
  const String& Name() const { return FName; }
  void SetName(const String& Value) { FName = Value; }
  const String& Fields() const { return FFields; }
  void SetFields(const String& Value) { FFields = Value; }
  TIndexOptions Options() const { return FOptions; }
  void SetOptions(TIndexOptions Value) { FOptions = Value; }
  const String& DescFields() const { return FDescFields; }
  void SetDescFields(const String& Value) { FDescFields = Value; }
  const String& CaseInsFields() const { return FCaseInsFields; }
  void SetCaseInsFields(const String& Value) { FCaseInsFields = Value; }
  String DisplayName() const override { return FName; }
  void Assign(TPersistent* Source) override;
private:
  String FName;
  String FFields;
  TIndexOptions FOptions;
  String FDescFields;
  String FCaseInsFields;
};

class TIndexDefs : public TCollection {
  VELMORA_CLASS(TIndexDefs)
public:
  explicit TIndexDefs(TDataSet* ADataSet = nullptr);
  TIndexDef* AddIndexDef();
  void Add(const String& Name, const String& Fields, TIndexOptions Options);
  TIndexDef* Find(const String& Name) const;
  Integer IndexOf(const String& Name) const;
  TIndexDef* Items(Integer Index) const { return static_cast<TIndexDef*>(TCollection::Items(Index)); }
  bool Updated() const { return FUpdated; }
  void SetUpdated(bool Value) { FUpdated = Value; }
  void Update();
  TDataSet* DataSet() const { return FDataSet; }
protected:
  TPersistent* GetOwner() const override;
private:
  TDataSet* FDataSet = nullptr;
  bool FUpdated = false;
};

class TParam : public TCollectionItem {
  VELMORA_CLASS(TParam)
public:
  explicit TParam(TCollection* Collection);
  const String& Name() const { return FName; }
  void SetName(const String& Value) { FName = Value; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType Value) { FDataType = Value; }
  TParamType ParamType() const { return FParamType; }
  void SetParamType(TParamType Value) { FParamType = Value; }
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& V);
  bool Bound() const { return FBound; }
  void SetBound(bool Value) { FBound = Value; }
  bool IsNull() const { return VarIsNull(FValue) || VarIsEmpty(FValue); }
  Integer Size() const { return FSize; }
  void SetSize(Integer Value) { FSize = Value; }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value) { FPrecision = Value; }
  Integer NumericScale() const { return FNumericScale; }
  void SetNumericScale(Integer Value) { FNumericScale = Value; }
  String AsString() const { return VarToStr(FValue); }
  void SetAsString(const String& V) { FDataType = ftWideString; SetValue(V); }
  Integer AsInteger() const { return IsNull() ? 0 : FValue.AsInteger(); }
  void SetAsInteger(Integer V) { FDataType = ftInteger; SetValue(V); }
  double AsFloat() const { return IsNull() ? 0.0 : FValue.AsDouble(); }
  void SetAsFloat(double V) { FDataType = ftFloat; SetValue(V); }
  TDateTime AsDateTime() const { return IsNull() ? TDateTime(0) : FValue.AsDateTime(); }
  void SetAsDateTime(TDateTime V) { FDataType = ftDateTime; SetValue(Variant(V)); }
  void Clear() { FValue = Null; }
  void AssignField(TField* Field);
  String DisplayName() const override { return FName; }
  void Assign(TPersistent* Source) override;
private:
  String FName;
  TFieldType FDataType = ftUnknown;
  TParamType FParamType = ptInput;
  Variant FValue;
  bool FBound = false;
  Integer FSize = 0;
  Integer FPrecision = 0;
  Integer FNumericScale = 0;
};

class TParams : public TCollection {
  VELMORA_CLASS(TParams)
public:
  explicit TParams(TPersistent* Owner = nullptr);
  TParam* AddParam();
  TParam* CreateParam(TFieldType FldType, const String& ParamName, TParamType ParamType);
  TParam* FindParam(const String& Name) const;    // ignoring case
  TParam* ParamByName(const String& Name) const;  // "Parameter '%s' not found"
  TParam* Items(Integer Index) const { return static_cast<TParam*>(TCollection::Items(Index)); }
  TParam* operator[](Integer Index) const { return Items(Index); }
protected:
  TPersistent* GetOwner() const override { return FOwner; }
private:
  TPersistent* FOwner;
};

// ---------------------------------------------------------------------------
// Data sources and links

using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

class TDataSource : public TComponent {
  VELMORA_CLASS(TDataSource)
  using inherited = TComponent;
public:
  explicit TDataSource(TComponent* AOwner);
  ~TDataSource() override;

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* ADataSet);
  bool AutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool Value) { FAutoEdit = Value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  TDataSetState State() const { return FState; }
  void Edit();
  bool IsLinkedTo(TDataSet* ADataSet) const;

  TNotifyEvent OnStateChange;
  TDataChangeEvent OnDataChange;
  TNotifyEvent OnUpdateData;

protected:
  friend class TDataSet;
  friend class TDataLink;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DataEvent(TDataEvent Event, NativeInt Info);

private:
  void AddDataLink(TDataLink* Link);
  void RemoveDataLink(TDataLink* Link);
  void NotifyDataLinks(TDataEvent Event, NativeInt Info);
  void SetState(TDataSetState Value);
  void UpdateState();

  TDataSet* FDataSet = nullptr;
  std::vector<TDataLink*> FDataLinks;
  bool FEnabled = true;
  bool FAutoEdit = true;
  TDataSetState FState = dsInactive;
};

class TDataLink : public TPersistent {
  VELMORA_CLASS(TDataLink)
public:
  TDataLink();
  ~TDataLink() override;

  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* ADataSource);
  bool DataSourceFixed() const { return FDataSourceFixed; }
  void SetDataSourceFixed(bool Value) { FDataSourceFixed = Value; }
  TDataSet* DataSet() const;
  bool Active() const { return FActive; }
  bool Editing() const { return FEditing; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // Index of the dataset's active record inside this link's window.
  Integer ActiveRecord() const;
  void SetActiveRecord(Integer Value);
  Integer BufferCount() const { return FBufferCount; }
  void SetBufferCount(Integer Value);
  // Records in this link's window.
  Integer RecordCount() const;
  bool Bof() const;
  bool Eof() const;
  Integer MoveBy(Integer Distance);
  bool Edit();
  void UpdateRecord();
  bool ExecuteAction(TObject* Action) { (void)Action; return false; }

protected:
  friend class TDataSource;
  friend class TDataSet;
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataEvent(TDataEvent Event, NativeInt Info);
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(Integer Distance) { (void)Distance; DataSetChanged(); }
  virtual void EditingChanged() {}
  virtual void FocusControl(TField*& Field) { (void)Field; }
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* Field) { (void)Field; }
  virtual void UpdateData() {}
  virtual void DisabledStateChanged() {}
  Integer FirstRecord() const { return FFirstRecord; }

private:
  void SetActive(bool Value);
  void SetEditing(bool Value);
  void UpdateState();
  void UpdateRange();

  TDataSource* FDataSource = nullptr;
  Integer FFirstRecord = 0;
  Integer FBufferCount = 1;
  bool FActive = false;
  bool FEditing = false;
  bool FReadOnly = false;
  bool FUpdating = false;
  bool FDataSourceFixed = false;
};

// ---------------------------------------------------------------------------
// Datasets

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TDataSetErrorEvent = std::function<void(TDataSet* DataSet, EDatabaseError& E, TDataAction& Action)>;
using TFilterRecordEvent = std::function<void(TDataSet* DataSet, bool& Accept)>;

// A descendant closes itself in its own destructor: closing calls its
// InternalClose, which the base destructor can no longer reach.
class TDataSet : public TComponent {
  VELMORA_CLASS(TDataSet)
  using inherited = TComponent;
public:
  explicit TDataSet(TComponent* AOwner);
  ~TDataSet() override;

  // Opening.
  bool Active() const { return FState != dsInactive && FState != dsOpening; }
  void SetActive(bool Value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return FState; }
  bool DefaultFields() const { return FDefaultFields; }

  // Navigation.
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  Integer MoveBy(Integer Distance);
  bool Bof() const { return FBOF; }
  bool Eof() const { return FEOF; }
  bool IsEmpty() const { return FActiveRecord >= FRecordCount; }
  Integer RecNo() const { return GetRecNo(); }
  void SetRecNo(Integer Value) { SetRecNoValue(Value); }
  Integer RecordCount() const { return GetRecordCount(); }
  virtual bool IsSequenced() const { return false; }
  void Refresh();
  virtual void Resync(TResyncMode Mode);

  // Bookmarks.
  TBookmark GetBookmark() const;
  void GotoBookmark(const TBookmark& Bookmark);
  TBookmark Bookmark() const { return GetBookmark(); }
  void SetBookmark(const TBookmark& Value) { GotoBookmark(Value); }
  void FreeBookmark(TBookmark& Bookmark) const { Bookmark.clear(); }
  bool BookmarkAvailable() const;
  virtual bool BookmarkValid(const TBookmark& Bookmark) const;
  virtual Integer CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) const;

  // Editing.
  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  void CheckBrowseMode();
  void UpdateRecord();
  void ClearFields();
  bool Modified() const { return FModified; }
  bool CanModify() const { return GetCanModify(); }
  virtual TUpdateStatus UpdateStatus() const { return usUnmodified; }
  // A stream over a blob field of the current record; the caller frees it.
  virtual std::unique_ptr<TStream> CreateBlobStream(TField* Field, TBlobStreamMode Mode);

  // Search.
  virtual bool Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options);
  virtual Variant Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields);

  // Fields.
  TFields* Fields() const { return FFields.get(); }
  Integer FieldCount() const { return FFields->Count(); }
  TField* FieldByName(const String& FieldName) const { return FFields->FieldByName(FieldName); }
  TField* FindField(const String& FieldName) const { return FFields->FindField(FieldName); }
  Variant FieldValues(const String& FieldName) const;
  void SetFieldValues(const String& FieldName, const Variant& Value);
  TFieldDefs* FieldDefs() const { return FFieldDefs.get(); }
  TIndexDefs* IndexDefs() const { return FIndexDefs.get(); }
  void GetFieldNames(QStringList& List) const;
  // The fields named in "a;b;c" (each must exist).
  std::vector<TField*> GetFieldList(const String& FieldNames) const;
  bool AutoCalcFields() const { return FAutoCalcFields; }
  void SetAutoCalcFields(bool Value) { FAutoCalcFields = Value; }

  // Filtering.
  const String& Filter() const { return FFilterText; }
  void SetFilter(const String& Value) { SetFilterText(Value); }
  bool Filtered() const { return FFiltered; }
  void SetFilteredValue(bool Value) { SetFiltered(Value); }
  TFilterOptions FilterOptions() const { return FFilterOptions; }
  void SetFilterOptionsValue(TFilterOptions Value) { SetFilterOptions(Value); }
  virtual void SetOnFilterRecord(const TFilterRecordEvent& Value);

  // Controls.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount > 0; }

  // The window of buffered records.
  Integer BufferCount() const { return FBufferCount; }
  Integer ActiveRecordIndex() const { return FActiveRecord; }
  TRecordBuffer ActiveBuffer() const;
  Integer BufferedRecordCount() const { return FRecordCount; }

  void CursorPosChanged() { FCurrentRecord = -1; }
  void UpdateCursorPos();

  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent BeforeRefresh, AfterRefresh, OnCalcFields, OnNewRecord;
  TDataSetErrorEvent OnDeleteError, OnEditError, OnPostError;
  TFilterRecordEvent OnFilterRecord;

  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

protected:
  friend class TField;
  friend class TDataLink;
  friend class TDataSource;
  friend class TFieldDefs;
  friend class TIndexDefs;
  friend class TFields;
  friend class TFieldDef;

  // Record buffers.
  virtual TRecordBuffer AllocRecordBuffer() = 0;
  virtual void FreeRecordBuffer(TRecordBuffer& Buffer) = 0;
  virtual void InternalInitRecord(TRecordBuffer Buffer) { (void)Buffer; }
  virtual void InitRecord(TRecordBuffer Buffer);
  virtual Integer GetRecordSize() const { return -1; }
  virtual bool GetCurrentRecord(TRecordBuffer Buffer) const { (void)Buffer; return false; }
  virtual TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) = 0;

  // Cursor.
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  virtual bool IsCursorOpen() const = 0;
  virtual void InternalInitFieldDefs() = 0;
  virtual void InternalFirst() = 0;
  virtual void InternalLast() = 0;
  virtual void InternalHandleException();
  virtual void InternalRefresh() {}
  virtual void InternalGotoBookmark(const TBookmark& Bookmark) = 0;
  virtual void InternalSetToRecord(TRecordBuffer Buffer) = 0;
  virtual TBookmark GetBookmarkData(TRecordBuffer Buffer) const = 0;
  virtual void SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data) = 0;
  virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) const = 0;
  virtual void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) = 0;
  virtual Integer GetRecordCount() const { return -1; }
  virtual Integer GetRecNo() const { return -1; }
  virtual void SetRecNoValue(Integer Value) { (void)Value; }
  virtual bool FindRecord(bool Restart, bool GoForward) { (void)Restart; (void)GoForward; return false; }

  // Editing.
  virtual void InternalEdit() {}
  virtual void InternalInsert() {}
  virtual void InternalPost();
  virtual void InternalCancel() {}
  virtual void InternalDelete() = 0;
  virtual void InternalAddRecord(TRecordBuffer Buffer, bool Append) = 0;
  virtual bool GetCanModify() const { return true; }
  virtual void DoOnNewRecord();

  // Field data. GetFieldData answers false for Null.
  virtual bool GetFieldData(TField* Field, Variant& Value) const = 0;
  virtual void SetFieldData(TField* Field, const Variant& Value) = 0;
  virtual Variant GetOldFieldValue(TField* Field) const;
  virtual TFieldClass GetFieldClass(TFieldType FieldType) const { return DefaultFieldClass(FieldType); }
  virtual void ClearCalcFields(TRecordBuffer Buffer) { (void)Buffer; }
  virtual void CalculateFields(TRecordBuffer Buffer);
  virtual void RefreshInternalCalcFields(TRecordBuffer Buffer) { (void)Buffer; }
  void GetCalcFields(TRecordBuffer Buffer);
  // A lookup field's value looked up for the record being calculated.
  static void CalcLookupValue(TField* Field);
  bool HasCalcFields() const;

  // Opening and structure.
  virtual void OpenCursor(bool InfoQuery);
  virtual void CloseCursor();
  virtual void CreateFields();
  virtual void DestroyFields();
  virtual void BindFields(bool Binding);
  virtual void DefChanged(TObject* Sender) { (void)Sender; }
  virtual void UpdateIndexDefs() {}
  virtual TDataSource* GetDataSource() const { return nullptr; }

  // Filtering.
  virtual void SetFiltered(bool Value);
  virtual void SetFilterText(const String& Value);
  virtual void SetFilterOptions(TFilterOptions Value);
  // Runs OnFilterRecord for a buffer (dsFilter state while it runs).
  bool RecordFilterAccepts(TRecordBuffer Buffer);

  virtual void DataEvent(TDataEvent Event, NativeInt Info);
  void SetState(TDataSetState Value);
  TDataSetState SetTempState(TDataSetState Value);
  void RestoreState(TDataSetState Value);
  void SetModified(bool Value) { FModified = Value; }
  void CheckActive() const;
  void CheckInactive() const;
  void CheckCanModify() const;
  void ClearBuffers();
  void ActivateBuffers();
  Integer GetNextRecords();
  bool GetNextRecord();
  Integer GetPriorRecords();
  bool GetPriorRecord();
  void MoveBuffer(Integer CurIndex, Integer NewIndex);
  void SetCurrentRecord(Integer Index);
  void SetBufferCount(Integer Value);
  void UpdateBufferCount();
  TRecordBuffer Buffers(Integer Index) const { return FBuffers[Index]; }
  // The buffer the field operations address in the current state.
  TRecordBuffer StateBuffer() const;
  TRecordBuffer CalcBuffer() const { return FCalcBuffer; }
  TRecordBuffer FilterBuffer() const { return FFilterBuffer; }

  void DoBeforeOpen() { if (BeforeOpen) BeforeOpen(this); }
  void DoAfterOpen() { if (AfterOpen) AfterOpen(this); }
  void DoBeforeClose() { if (BeforeClose) BeforeClose(this); }
  void DoAfterClose() { if (AfterClose) AfterClose(this); }
  void DoBeforeInsert() { if (BeforeInsert) BeforeInsert(this); }
  void DoAfterInsert() { if (AfterInsert) AfterInsert(this); }
  void DoBeforeEdit() { if (BeforeEdit) BeforeEdit(this); }
  void DoAfterEdit() { if (AfterEdit) AfterEdit(this); }
  void DoBeforePost() { if (BeforePost) BeforePost(this); }
  void DoAfterPost() { if (AfterPost) AfterPost(this); }
  void DoBeforeCancel() { if (BeforeCancel) BeforeCancel(this); }
  void DoAfterCancel() { if (AfterCancel) AfterCancel(this); }
  void DoBeforeDelete() { if (BeforeDelete) BeforeDelete(this); }
  void DoAfterDelete() { if (AfterDelete) AfterDelete(this); }
  void DoBeforeScroll() { if (BeforeScroll) BeforeScroll(this); }
  void DoAfterScroll() { if (AfterScroll) AfterScroll(this); }
  void DoBeforeRefresh() { if (BeforeRefresh) BeforeRefresh(this); }
  void DoAfterRefresh() { if (AfterRefresh) AfterRefresh(this); }
  void DoOnCalcFields() { if (OnCalcFields) OnCalcFields(this); }

  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  bool FBOF = true;
  bool FEOF = true;
  bool FFiltered = false;
  String FFilterText;
  TFilterOptions FFilterOptions;
  bool FDefaultFields = true;

private:
  void BeginInsertAppend();
  void EndInsertAppend();
  void CheckOperation(const std::function<void()>& Operation, const TDataSetErrorEvent& ErrorEvent);
  void SetBufListSize(Integer Value);
  void AddDataSource(TDataSource* Source);
  void RemoveDataSource(TDataSource* Source);
  void UpdateCalcFields();
  bool MatchesLocate(const std::vector<TField*>& Fields, const Variant& KeyValues, TLocateOptions Options) const;

  TDataSetState FState = dsInactive;
  std::unique_ptr<TFields> FFields;
  std::unique_ptr<TFieldDefs> FFieldDefs;
  std::unique_ptr<TIndexDefs> FIndexDefs;
  std::vector<TDataSource*> FDataSources;
  std::vector<TRecordBuffer> FBuffers;
  Integer FBufferCount = 0;
  Integer FRecordCount = 0;
  Integer FActiveRecord = 0;
  Integer FCurrentRecord = -1;
  TRecordBuffer FCalcBuffer = 0;
  TRecordBuffer FFilterBuffer = 0;
  Integer FDisableCount = 0;
  TDataSetState FDisableState = dsInactive;
  TDataEvent FEnableEvent = deDataSetChange;
  bool FModified = false;
  bool FAutoCalcFields = true;
  bool FStreamedActive = false;
  bool FInternalOpenComplete = false;
};

// Registers the field classes, the data source and their published properties.
void RegisterDBClasses();
