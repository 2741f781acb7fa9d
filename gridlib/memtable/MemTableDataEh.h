// MemTableDataEh.h: the storage of the in-memory dataset: structure and
// field descriptors, records and their list, indexes, the view, the tree
// list, the expression evaluator, aggregates and the stream format.
#pragma once

#include "gridlib/foundation/MemTreeEh.h"
#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/data/DB.h"
#include "platform/rtl/Classes.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

class TMemTableDataEh;
class TMTDataStructEh;
class TMemoryRecordEh;
class TRecordsListEh;
class TMTIndexEh;
class TMTIndexesEh;
class TRecordsViewEh;
class TMemRecViewEh;
class TMemoryTreeListEh;
class TMTAggregatesEh;
class TReader;
class TWriter;

// What the expression evaluator reads of the storage: the structure, the
// records and the view implement these three small interfaces.
// The structure: the fields in storage order (the field numbers of the
// expression code are 1-based positions in it).
class TExprStructureEh {
public:
  virtual ~TExprStructureEh() = default;
  virtual Integer ExprFieldCount() const = 0;
  // The index of a field by name, case-insensitive; -1 when there is none.
  virtual Integer ExprFieldIndex(const String& FieldName) const = 0;
  virtual TFieldType ExprFieldType(Integer Index) const = 0;
};

class TRecValuesEh;

// One record: the current value (dvvValueEh) of the field at Index. An
// object itself, so that a stored record carries a single vtable.
class TExprRecordEh : public TObject {
public:
  TExprRecordEh() = default;
  // The interface has no state: records that are values stay copyable.
  TExprRecordEh(const TExprRecordEh&) : TObject() {}
  TExprRecordEh& operator=(const TExprRecordEh&) { return *this; }
  ~TExprRecordEh() override = default;
  virtual Variant ExprFieldValue(Integer Index) const = 0;
  // The packed values, for reads without a Variant; nullptr when the record
  // keeps none.
  virtual const TRecValuesEh* ExprValues() const { return nullptr; }
};

// The records an aggregate runs over: the accountable records of a view, or
// the children of a tree node.
class TExprRecordWalkEh {
public:
  virtual ~TExprRecordWalkEh() = default;
  virtual Integer AccountableItemsCount() const = 0;
  virtual const TExprRecordEh& GetAccountableRecord(Integer Index) const = 0;
};

// ---------------------------------------------------------------------------
// Data structure and field descriptors.

enum TStringDataFieldTypeEh { fdtStringEh, fdtFixedCharEh, fdtWideStringEh, fdtGuidEh, fdtFixedWideCharEh,
                              fdtOraIntervalEh };
enum TNumericDataFieldTypeEh { fdtSmallintEh, fdtIntegerEh, fdtWordEh, fdtFloatEh, fdtCurrencyEh, fdtBCDEh,
                               fdtAutoIncEh, fdtLargeintEh, fdtFMTBcdEh, fdtLongWordEh, fdtShortintEh, fdtByteEh,
                               fdtExtendedEh, fdtSingleEh };
enum TDateTimeDataFieldTypeEh { fdtDateEh, fdtTimeEh, fdtDateTimeEh };
enum TInterfaceDataFieldTypeEh { fdtInterfaceEh, fdtIDispatchEh };
enum TVariantDataFieldTypeEh { fdtVariant, fdtBytes, fdtVarBytes };
enum TSQLTimeStampDataFieldTypeEh { fdtTimeStampEh, fdtOraTimeStampEh, fdtTimeStampOffsetEh };

// The variant kind in which the values of a column of AType are stored.
// The platform has no decimal or time-stamp kind: FMT BCD values are held as
// doubles and time stamps as date-times.
TVarType VarTypeForFieldTypeEh(TFieldType AType);
// The descriptor class that describes a column of AType; nullptr for the
// types no descriptor can hold.
TClass DataFieldClassForFieldTypeEh(TFieldType AType);
// Whether a decimal value fits a BCD column of APrecision digits, AScale of
// them after the point: its magnitude must stay below 10^(APrecision-AScale).
// Compared exactly on the decimal digits, never through floating point.
bool BcdValueFitsEh(const Variant& Value, Integer APrecision, Integer AScale);

// A column of a memory table's storage: name, data type, size, display
// properties and the variant kind of its stored values.
class TMTDataFieldEh : public TComponent {
  VELMORA_CLASS(TMTDataFieldEh)
  using inherited = TComponent;
public:
  explicit TMTDataFieldEh(TComponent* AOwner);
  ~TMTDataFieldEh() override;

  virtual Integer DefaultSize() const { return 0; }
  virtual TAlignment DefaultAlignment() const { return taLeftJustify; }

  virtual TAlignment GetAlignment() const { return FAlignment; }
  virtual bool GetAutoIncrement() const { return FAutoIncrement; }
  virtual TFieldType GetDataType() const { return ftUnknown; }
  virtual String GetDefaultExpression() const { return FDefaultExpression; }
  virtual Integer GetDefaultWidth() const { return 10; }
  virtual String GetDisplayLabel() const { return FDisplayLabel; }
  virtual Integer GetDisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : GetDefaultWidth(); }
  virtual String GetEditMask() const { return FEditMask; }
  virtual String GetFieldName() const { return FFieldName; }
  virtual bool GetReadOnly() const { return FReadOnly; }
  virtual bool GetRequired() const { return FRequired; }
  virtual Integer GetSize() const { return FSize; }
  virtual bool GetVisible() const { return FVisible; }

  virtual void SetAlignment(TAlignment Value);
  virtual void SetAutoIncrement(bool Value);
  virtual void SetDefaultExpression(const String& Value);
  virtual void SetDisplayLabel(const String& Value);
  virtual void SetDisplayWidth(Integer Value);
  virtual void SetEditMask(const String& Value);
  virtual void SetFieldName(const String& Value);
  virtual void SetReadOnly(bool Value);
  virtual void SetRequired(bool Value);
  virtual void SetSize(Integer Value);
  virtual void SetVisible(bool Value);

  virtual bool CanDinaSize() const { return false; }
  virtual TVarType GetVarDataType() const { return FVarDataType; }
  virtual void AssignDataType(TFieldType FieldType);
  virtual void AssignProps(TField* Field);
  virtual void AssignPropsTo(TField* Field);
  virtual void WriteDataToWriter(const Variant& Value, TWriter& Writer);
  virtual void ReadDataFromReader(Variant& Value, TReader& Reader);

  void Assign(TPersistent* Source) override;
  void ReadState(TReader& Reader) override;
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

  Integer Index() const;
  void SetIndex(Integer Value);
  TMTDataStructEh* DataStruct() const { return FDataStruct; }
  void SetDataStruct(TMTDataStructEh* Value);
  bool Calculated() const { return FCalculated; }
  void SetCalculated(bool Value);
  Int64 FieldId() const { return FFieldId; }
  const String& GUID() const { return FGUID; }
  // Published for the stream: not 0 (Tag) and not empty (texts).
  NativeInt StreamTag() const { return Tag(); }
  bool DisplayWidthStored() const { return FDisplayWidth > 0; }

protected:
  void StructChanged();
  void UpdateVarDataType() { FVarDataType = VarTypeForFieldTypeEh(GetDataType()); }
  // A family's sub-type changed: the value kind follows, the structure hears.
  void SubTypeChanged();
  TMemTableDataEh* MemTableData() const;

private:
  friend class TMTDataStructEh;
  void MakeComponentName();

  TAlignment FAlignment = taLeftJustify;
  bool FAutoIncrement = false;
  TMTDataStructEh* FDataStruct = nullptr;
  String FDefaultExpression;
  String FDisplayLabel;
  Integer FDisplayWidth = 0;
  String FEditMask;
  Int64 FFieldId = 0;
  String FFieldName;
  String FGUID;
  bool FReadOnly = false;
  bool FRequired = false;
  Integer FSize = 0;
  bool FVisible = true;
  bool FCalculated = false;
  TVarType FVarDataType = varEmpty;
};

class TMTStringDataFieldEh : public TMTDataFieldEh {
  VELMORA_CLASS(TMTStringDataFieldEh)
public:
  explicit TMTStringDataFieldEh(TComponent* AOwner);
  Integer DefaultSize() const override { return FStringDataType == fdtGuidEh ? 38 : 20; }
  TFieldType GetDataType() const override;
  Integer GetDefaultWidth() const override { return std::min(GetSize(), 100); }
  bool CanDinaSize() const override { return true; }
  void AssignDataType(TFieldType FieldType) override;
  void AssignProps(TField* Field) override;
  void AssignPropsTo(TField* Field) override;
  void Assign(TPersistent* Source) override;
  TStringDataFieldTypeEh StringDataType() const { return FStringDataType; }
  void SetStringDataType(TStringDataFieldTypeEh Value);
  bool FixedChar() const { return FFixedChar; }
  void SetFixedChar(bool Value) { FFixedChar = Value; }
  bool Transliterate() const { return FTransliterate; }
  void SetTransliterate(bool Value) { FTransliterate = Value; }
private:
  bool FFixedChar = false;
  bool FTransliterate = false;
  TStringDataFieldTypeEh FStringDataType = fdtStringEh;
};

class TMTNumericDataFieldEh : public TMTDataFieldEh {
  VELMORA_CLASS(TMTNumericDataFieldEh)
public:
  explicit TMTNumericDataFieldEh(TComponent* AOwner);
  Integer DefaultSize() const override { return CanDinaSize() ? 4 : 0; }
  TAlignment DefaultAlignment() const override { return taRightJustify; }
  TFieldType GetDataType() const override;
  Integer GetDefaultWidth() const override;
  bool CanDinaSize() const override { return FNumericDataType == fdtBCDEh || FNumericDataType == fdtFMTBcdEh; }
  void AssignDataType(TFieldType FieldType) override;
  void AssignProps(TField* Field) override;
  void AssignPropsTo(TField* Field) override;
  void Assign(TPersistent* Source) override;
  TNumericDataFieldTypeEh NumericDataType() const { return FNumericDataType; }
  void SetNumericDataType(TNumericDataFieldTypeEh Value);
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& Value) { FDisplayFormat = Value; }
  const String& EditFormat() const { return FEditFormat; }
  void SetEditFormat(const String& Value) { FEditFormat = Value; }
  bool Currency_() const { return FCurrency; }
  void SetCurrency(bool Value) { FCurrency = Value; }
  double MaxValue() const { return FMaxValue; }
  void SetMaxValue(double Value) { FMaxValue = Value; }
  double MinValue() const { return FMinValue; }
  void SetMinValue(double Value) { FMinValue = Value; }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value) { FPrecision = Value; }
  Integer Scale() const { return GetSize(); }
  void SetScale(Integer Value) { SetSize(Value); }
  bool AlignmentStored() const { return GetAlignment() != taRightJustify; }
private:
  String FDisplayFormat;
  String FEditFormat;
  bool FCurrency = false;
  double FMaxValue = 0;
  double FMinValue = 0;
  Integer FPrecision = 15;
  TNumericDataFieldTypeEh FNumericDataType = fdtIntegerEh;
};

class TMTDateTimeDataFieldEh : public TMTDataFieldEh {
  VELMORA_CLASS(TMTDateTimeDataFieldEh)
public:
  explicit TMTDateTimeDataFieldEh(TComponent* AOwner);
  TFieldType GetDataType() const override;
  Integer GetDefaultWidth() const override { return 18; }
  void AssignDataType(TFieldType FieldType) override;
  void AssignProps(TField* Field) override;
  void Assign(TPersistent* Source) override;
  TDateTimeDataFieldTypeEh DateTimeDataType() const { return FDateTimeDataType; }
  void SetDateTimeDataType(TDateTimeDataFieldTypeEh Value);
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& Value) { FDisplayFormat = Value; }
private:
  String FDisplayFormat;
  TDateTimeDataFieldTypeEh FDateTimeDataType = fdtDateTimeEh;
};

class TMTBlobDataFieldEh : public TMTDataFieldEh {
  VELMORA_CLASS(TMTBlobDataFieldEh)
public:
  explicit TMTBlobDataFieldEh(TComponent* AOwner);
  TFieldType GetDataType() const override { return FBlobType; }
  void AssignDataType(TFieldType FieldType) override;
  void Assign(TPersistent* Source) override;
  TFieldType BlobType() const { return FBlobType; }
  void SetBlobType(TFieldType Value);
  bool GraphicHeader() const { return FGraphicHeader; }
  void SetGraphicHeader(bool Value) { FGraphicHeader = Value; }
  bool Transliterate() const { return FTransliterate; }
  void SetTransliterate(bool Value) { FTransliterate = Value; }
private:
  bool FGraphicHeader = true;
  bool FTransliterate = false;
  TFieldType FBlobType = ftBlob;
};

class TMTBooleanDataFieldEh : public TMTDataFieldEh {
  VELMORA_CLASS(TMTBooleanDataFieldEh)
public:
  explicit TMTBooleanDataFieldEh(TComponent* AOwner);
  TFieldType GetDataType() const override { return ftBoolean; }
  Integer GetDefaultWidth() const override;
  void AssignDataType(TFieldType FieldType) override;
  void Assign(TPersistent* Source) override;
  const String& DisplayValues() const { return FDisplayValues; }
  void SetDisplayValues(const String& Value) { FDisplayValues = Value; }
private:
  String FDisplayValues;
};

class TMTInterfaceDataFieldEh : public TMTDataFieldEh {
  VELMORA_CLASS(TMTInterfaceDataFieldEh)
public:
  explicit TMTInterfaceDataFieldEh(TComponent* AOwner);
  TFieldType GetDataType() const override { return FInterfaceDataType == fdtIDispatchEh ? ftIDispatch : ftInterface; }
  void AssignDataType(TFieldType FieldType) override;
  void Assign(TPersistent* Source) override;
  TInterfaceDataFieldTypeEh InterfaceDataType() const { return FInterfaceDataType; }
  void SetInterfaceDataType(TInterfaceDataFieldTypeEh Value);
private:
  TInterfaceDataFieldTypeEh FInterfaceDataType = fdtInterfaceEh;
};

class TMTVariantDataFieldEh : public TMTDataFieldEh {
  VELMORA_CLASS(TMTVariantDataFieldEh)
public:
  explicit TMTVariantDataFieldEh(TComponent* AOwner);
  TFieldType GetDataType() const override;
  Integer GetDefaultWidth() const override { return 15; }
  bool CanDinaSize() const override { return FVariantDataType != fdtVariant; }
  void AssignDataType(TFieldType FieldType) override;
  void Assign(TPersistent* Source) override;
  TVariantDataFieldTypeEh VariantDataType() const { return FVariantDataType; }
  void SetVariantDataType(TVariantDataFieldTypeEh Value);
  bool SizeStored() const { return CanDinaSize() && GetSize() != 16; }
private:
  TVariantDataFieldTypeEh FVariantDataType = fdtVariant;
};

// A column of object references; its values are interface variants.
class TMTRefObjectFieldEh : public TMTDataFieldEh {
  VELMORA_CLASS(TMTRefObjectFieldEh)
public:
  explicit TMTRefObjectFieldEh(TComponent* AOwner);
  TFieldType GetDataType() const override { return ftUnknown; }
  TVarType GetVarDataType() const override { return varUnknown; }
  bool CanDinaSize() const override { return true; }
  void AssignDataType(TFieldType FieldType) override;
};

class TMTSQLTimeStampDataFieldEh : public TMTDataFieldEh {
  VELMORA_CLASS(TMTSQLTimeStampDataFieldEh)
public:
  explicit TMTSQLTimeStampDataFieldEh(TComponent* AOwner);
  TFieldType GetDataType() const override;
  void AssignDataType(TFieldType FieldType) override;
  void AssignProps(TField* Field) override;
  void Assign(TPersistent* Source) override;
  TSQLTimeStampDataFieldTypeEh SQLTimeStampDataFieldType() const { return FSQLTimeStampDataFieldType; }
  void SetSQLTimeStampDataFieldType(TSQLTimeStampDataFieldTypeEh Value);
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& Value) { FDisplayFormat = Value; }
private:
  String FDisplayFormat;
  TSQLTimeStampDataFieldTypeEh FSQLTimeStampDataFieldType = fdtTimeStampEh;
};

// The ordered list of a storage's field descriptors.
class TMTDataStructEh : public TComponent, public TExprStructureEh {
  VELMORA_CLASS(TMTDataStructEh)
  using inherited = TComponent;
public:
  explicit TMTDataStructEh(TComponent* AMemTableData);
  ~TMTDataStructEh() override;

  Integer Count() const { return Integer(FList.size()); }
  TMTDataFieldEh* GetDataField(Integer Index) const;
  TMTDataFieldEh* DataFields(Integer Index) const { return GetDataField(Index); }
  TMemTableDataEh* MemTableData() const { return FMemTableData; }

  TMTDataFieldEh* CreateField(TClass FieldClass);
  void InsertField(TMTDataFieldEh* Field);
  void RemoveField(TMTDataFieldEh* Field);
  TMTDataFieldEh* ChangeFieldType(const String& FieldName, TClass FieldClass);
  TMTDataFieldEh* FindField(const String& FieldName) const;
  TMTDataFieldEh* FindFieldByGIUD(const String& GUID) const;
  TMTDataFieldEh* FieldByName(const String& FieldName) const;
  Integer FieldIndex(const String& FieldName) const;
  Integer ExprFieldCount() const override { return Count(); }
  Integer ExprFieldIndex(const String& FieldName) const override { return FieldIndex(FieldName); }
  TFieldType ExprFieldType(Integer Index) const override;
  void GetFieldList(std::vector<TMTDataFieldEh*>* List, const String& FieldNames) const;
  std::vector<Integer> FieldsIndex(const String& FieldNames) const;
  void CheckFieldName(const String& Name) const;
  void Clear();
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate(bool AStructChanged);
  void StructChanged();
  bool IsStructChanged() const { return FStructChanged; }
  void ClearStructChanged() { FStructChanged = false; }
  void Assign(TPersistent* Source) override;
  std::unique_ptr<TMTDataStructEh> GetCopy() const;
  std::unique_ptr<TMTDataStructEh> BeginRestructure() const { return GetCopy(); }
  void EndRestructure(std::unique_ptr<TMTDataStructEh> NewStrcuture, bool ApplyNewStrcuture);

  void BuildStructFromFieldDefs(TFieldDefs* FieldDefs);
  TMTDataFieldEh* BuildDataFieldForFieldDef(TFieldDef* AFieldDef);
  TMTDataFieldEh* BuildDataFieldForDef(const String& Name, TFieldType DataType, Integer Precision, Integer Size);
  TMTDataFieldEh* BuildDataFieldForField(TField* AField);
  TMTDataFieldEh* BuildAndCopyDataFieldForField(TField* AField);
  void BuildStructFromFields(TFields* Fields);
  void BuildFieldDefsFromStruct(TFieldDefs* FieldDefs) const;

  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  TComponent* GetChildOwner() override { return this; }
  TNotifyEvent OnStructChanged;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TMTDataFieldEh;
  friend class TMemTableDataEh;
  std::vector<TMTDataFieldEh*> FList;
  TMemTableDataEh* FMemTableData = nullptr;
  Int64 FNextFieldId = 0;
  bool FStructChanged = false;
  Integer FUpdateCount = 0;
};



// ---------------------------------------------------------------------------
// Memory records and records list.

using TRecDataValues = std::vector<Variant>;

// The pool that record objects and their packed values are carved from:
// blocks of up to RecPoolMaxBytesEh bytes in slabs by size, with no heap
// header a block; the caller gives the size back on freeing. Any thread.
constexpr size_t RecPoolMaxBytesEh = 512;
void* RecPoolAllocEh(size_t Bytes);
void RecPoolFreeEh(void* P, size_t Bytes);
// The bytes of the slabs the pool holds, for memory accounting.
size_t RecPoolBytesEh();

// The values of one version of a record, packed into one heap block: a
// head, a tag byte per value, the end of each value's bytes (in one, two or
// four bytes as the block's size needs), then the values one after another
// in as many bytes as each needs: small numbers in 1, 2 or 4, others in 8,
// texts in one byte a character when every character is Latin-1, or ASCII
// and one 128-character page (Cyrillic, Greek...), else in two. Every value
// takes an even number of bytes, so that two-byte texts stay aligned. Values
// nothing else can hold (arrays, interfaces) are kept as Variants the value
// points to. An empty object (no block) stands for a version the record has
// not got.
// A block lies in the records' pool at its exact size, or on the heap while
// it is filled value by value (it grows there in place) or too large for the
// pool; Settle moves it into the pool once filled.
class TRecValuesEh {
public:
  // What a value is, as far as typed readers care. A text kept in one byte
  // a character over a page reads as tUtf16: Text hands it out widened.
  enum TTag : std::uint8_t { tEmpty, tNull, tBoolean, tShortInt, tByte, tSmallint, tWord, tInteger, tLongWord,
                             tInt64, tUInt64, tSingle, tDouble, tCurrency, tDate, tLatin1, tUtf16, tAnsi, tBoxed };

  // The head's mark of a block on the heap.
  static constexpr std::uint32_t HeapBit = 0x20000000;

  TRecValuesEh() = default;
  // Count Null values.
  static TRecValuesEh Nulls(Integer Count);
  static TRecValuesEh FromVariants(const TRecDataValues& Values);
  TRecValuesEh(const TRecValuesEh& Other);
  TRecValuesEh(TRecValuesEh&& Other) noexcept : FBlock(std::exchange(Other.FBlock, nullptr)) {}
  TRecValuesEh& operator=(const TRecValuesEh& Other);
  TRecValuesEh& operator=(TRecValuesEh&& Other) noexcept;
  ~TRecValuesEh() { Free(); }

  bool Present() const { return FBlock != nullptr; }
  // The start of the block, for a walk over many records to ask for ahead.
  const void* Block() const { return FBlock; }
  void Reset() { Free(); }
  Integer Count() const { return FBlock ? Integer(Head() & CountMask) : 0; }
  Variant Get(Integer I) const;
  void Set(Integer I, const Variant& Value);
  TRecDataValues ToVariants() const;
  // The bytes of the block.
  size_t Size() const;
  // Whether the block lies on the heap rather than in the records' pool.
  bool OnHeap() const { return FBlock && (Head() & HeapBit); }
  // A block on the heap that fits the pool moves there, at its exact size.
  void Settle();

  // Typed reads without a Variant; I must be below Count().
  TTag Tag(Integer I) const { return TagOfByte(FBlock[sizeof(std::uint32_t) + size_t(I)]); }
  bool IsNumber(Integer I) const { return Tag(I) >= tBoolean && Tag(I) <= tDate; }
  bool IsText(Integer I) const { return Tag(I) == tLatin1 || Tag(I) == tUtf16; }
  // A number, a date or a Boolean as a double (Currency by its value).
  double Number(Integer I) const;
  // A whole number of a signed or unsigned kind up to 32 bits, or Int64.
  Int64 Int64Value(Integer I) const;
  // A text in the form it is stored in: one of the two views is set. A text
  // kept over a page comes widened in a buffer of the thread that stays
  // valid until the fourth next such read.
  void Text(Integer I, QLatin1StringView& Latin1, QStringView& Utf16) const;
  // A text kept in one byte a character, read in place: its bytes and the
  // page of 128 that the bytes from 0x80 stand for (1: Latin-1). False for a
  // text kept in two bytes.
  bool ByteText(Integer I, QByteArrayView& Bytes, unsigned& Page) const;

private:
  // The tag byte: the kind in the low bits, or PagedBit and the page of a
  // one-byte text over a page; PadBit when the value's last byte is filler.
  static constexpr std::uint8_t PadBit = 0x80, PagedBit = 0x40, KindMask = 0x3F;
  static constexpr std::uint32_t CountMask = 0x1FFFFFFF;
  static TTag TagOfByte(std::uint8_t B) { return (B & PagedBit) ? tUtf16 : TTag(B & KindMask); }
  std::uint32_t Head() const;
  std::uint8_t TagByte(Integer I) const { return FBlock[sizeof(std::uint32_t) + size_t(I)]; }
  size_t EndWidth() const;
  size_t DataStart() const;
  size_t EndOf(Integer I) const;
  size_t StartOf(Integer I) const { return I == 0 ? DataStart() : EndOf(I - 1); }
  // The value's bytes, filler excluded.
  size_t LengthOf(Integer I) const;
  // The number of a value in the 64-bit form its kind is read in.
  std::uint64_t Word64(Integer I) const;
  void Free();
  // The block made room for NewSize bytes, its first bytes kept (as many as
  // both sizes have); it may move, in the pool or on the heap.
  void Resize(size_t OldSize, size_t NewSize);
  void ReleaseSlot(Integer I);
  // Puts the tag byte and bytes of value I in place of the old ones.
  void Replace(Integer I, std::uint8_t NewTag, const void* Bytes, size_t Length);
  unsigned char* FBlock = nullptr;
};

enum TDataValueVersionEh { dvvOldValueEh, dvvCurValueEh, dvvEditValueEh, dvvValueEh, dvvOldestValue,
                           dvvRefreshValue };
enum TRecordEditStateEh { resBrowseEh, resEditEh, resInsertEh, resEditForRefresh };
enum TRecordsListNotification { rlnRecAddingEh, rlnRecAddedEh, rlnRecChangingEh, rlnRecChangedEh, rlnRecDeletingEh,
                                rlnRecDeletedEh, rlnListChangingEh, rlnListChangedEh, rlnRecMarkingForDelEh,
                                rlnRecMarkedForDelEh };
using TUpdateStatusSet = TSet<TUpdateStatus>;

// Converts Value to the value kind AVarType of a column (Null and
// Unassigned stay as they are; a byte array becomes 8-bit text for a text
// column); the platform's cast error when it cannot.
Variant ConvertToColumnKindEh(const Variant& Value, TVarType AVarType);

// The error of a record's last failed resolution.
class TUpdateErrorEh : public TPersistent {
  VELMORA_CLASS(TUpdateErrorEh)
public:
  explicit TUpdateErrorEh(const Exception& AException) : FException(std::make_unique<Exception>(AException)) {}
  Exception* GetException() const { return FException.get(); }
private:
  std::unique_ptr<Exception> FException;
};

// One stored row: its values in several versions, edit state and update
// status. A record is known to the outside by RecordId, a number its list
// never gives again, so a stale reference finds nothing instead of another
// record.
// Not a persistent object: a storage holds one a row, so it carries one
// vtable and no more.
class TMemoryRecordEh : public TExprRecordEh {
  VELMORA_CLASS(TMemoryRecordEh)
public:
  TMemoryRecordEh() = default;
  TMemoryRecordEh(const TMemoryRecordEh&) = delete;
  TMemoryRecordEh& operator=(const TMemoryRecordEh&) = delete;
  ~TMemoryRecordEh() override;
  // One a row: carved from the records' pool.
  static void* operator new(size_t Bytes) { return RecPoolAllocEh(Bytes); }
  static void operator delete(void* P, size_t Bytes) { RecPoolFreeEh(P, Bytes); }

  // The current value of column I without any check: the cheap read for the
  // expression evaluator, aggregates, sorting and indexes.
  Variant Value(Integer I) const { return FData.Get(I); }
  Integer ValueCount() const { return FData.Count(); }
  // The current values for typed reads.
  const TRecValuesEh& Values() const { return FData; }
  Variant ExprFieldValue(Integer Index) const override { return Value(Index); }
  const TRecValuesEh* ExprValues() const override { return &FData; }

  Variant GetDataValue(Integer FieldIndex, TDataValueVersionEh Version) const;
  void SetDataValue(Integer FieldIndex, TDataValueVersionEh Version, const Variant& Value);
  Variant GetDataValues(const String& FieldNames, TDataValueVersionEh Version) const;
  void SetDataValues(const String& FieldNames, TDataValueVersionEh Version, const Variant& Value);
  Variant GetDataIndexValues(const std::vector<Integer>& FieldIndexes, TDataValueVersionEh Version) const;
  void SetDataIndexValues(const std::vector<Integer>& FieldIndexes, TDataValueVersionEh Version,
                          const Variant& Value);

  void Edit();
  void EditForRefresh();
  // Post of a new record adds it to its list, which then owns it. Cancel of
  // a new record frees it: the caller must not use it afterwards.
  void Post();
  void Cancel();
  void MergeChanges();
  void RevertRecord();
  void RefreshRecord(TMemoryRecordEh* Rec);

  bool Attached() const { return FIndex != -1; }
  Integer Index() const { return FIndex; }
  TMTDataStructEh* DataStruct() const;
  TRecordsListEh* RecordsList() const { return FRecordsList; }
  TUpdateStatus UpdateStatus() const { return TUpdateStatus(FUpdateStatus); }
  void SetUpdateStatus(TUpdateStatus Value) { FUpdateStatus = std::uint8_t(Value); }
  TRecordEditStateEh EditState() const { return TRecordEditStateEh(FEditState); }
  bool EditChanged() const { return FEditChanged; }
  Int64 HashCode() const { return FHashCode; }
  Int64 RecordId() const { return FHashCode; }
  // The place in the change log; -1 while the record is not logged.
  Integer UpdateIndex() const { return FHasExtra ? FindExtra()->UpdateIndex : -1; }
  bool HasOldData() const { return FHasExtra && FindExtra()->OldData.Present(); }
  const TRecValuesEh* OldData() const { return HasOldData() ? &FindExtra()->OldData : nullptr; }
  TUpdateErrorEh* UpdateError() const { return FHasExtra ? FindExtra()->UpdateError.get() : nullptr; }
  void SetUpdateError(std::unique_ptr<TUpdateErrorEh> Value);

private:
  friend class TRecordsListEh;
  friend class TMTDataStructEh;
  TRecValuesEh& Row(Integer FieldIndex, TDataValueVersionEh Version);
  void CheckFieldIndex(Integer FieldIndex) const;

  // What only an edited, changed or failed record needs, made on demand and
  // dropped once empty, so that a plain row does not pay for it. Its list
  // keeps it, found by the record's address.
  struct TExtraEh {
    TRecValuesEh OldData;
    TRecValuesEh EditOldData;   // the values before the open edit
    std::unique_ptr<TUpdateErrorEh> UpdateError;
    Integer UpdateIndex = -1;   // only logged records have a place
  };
  TExtraEh& Extra();
  void SetUpdateIndex(Integer Value);
  TRecValuesEh& OldRef() { return Extra().OldData; }
  TRecValuesEh& EditOldRef() { return Extra().EditOldData; }
  TExtraEh* FindExtra() const;
  bool HasEditOld() const { return FHasExtra && FindExtra()->EditOldData.Present(); }
  void DropOld();
  void DropEditOld();
  void TrimExtra();

  // Kept small: a storage holds one of these for every row.
  TRecValuesEh FData;
  Int64 FHashCode = 0;
  TRecordsListEh* FRecordsList = nullptr;
  Integer FIndex = -1;   // shares its word with the state bytes
  bool FEditChanged = false;
  std::uint8_t FEditState = resInsertEh;       // a TRecordEditStateEh
  std::uint8_t FUpdateStatus = usUnmodified;   // a TUpdateStatus
  bool FHasExtra = false;                      // the list keeps a TExtraEh for it
};

// Compares two records for a sort: negative, zero or positive.
using TCompareRecordsEh = std::function<Integer(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2, TObject* ParamSort)>;

// A range of list positions, both ends included.
struct TRecordsRangeEh {
  Integer First = 0;
  Integer Last = 0;
};

// The records of a storage in list order, with the change log of cached
// updates and the indexes kept over them.
class TRecordsListEh : public TComponent {
  VELMORA_CLASS(TRecordsListEh)
  using inherited = TComponent;
public:
  explicit TRecordsListEh(TComponent* AOwner);
  ~TRecordsListEh() override;

  Integer Count() const { return Integer(FRecList.size()); }
  TMemoryRecordEh* Rec(Integer Index) const;
  TMemoryRecordEh* operator[](Integer Index) const { return Rec(Index); }
  // Every record in list order, for walks over all of them.
  const std::vector<TMemoryRecordEh*>& Recs() const { return FRecList; }
  void SetRec(Integer Index, TMemoryRecordEh* Value);
  Integer RecValCount() const;
  bool CachedUpdates() const { return FCachedUpdates; }
  void SetCachedUpdates(bool Value) { FCachedUpdates = Value; }
  TMTDataStructEh* DataStruct() const;
  TMemTableDataEh* MemTableData() const { return FMemTableData; }
  TMTIndexesEh* Indexes() const { return FIndexes.get(); }
  // The attached record with this id; nullptr once it has left the list.
  TMemoryRecordEh* RecordById(Int64 Id) const;

  TMemoryRecordEh* NewRecord();
  Integer AddRecord(TMemoryRecordEh* Rec);
  void InsertRecord(Integer Index, TMemoryRecordEh* Rec);
  Integer FetchRecord(TMemoryRecordEh* Rec);
  void DeleteRecord(Integer Index);
  void DeleteRecords(const std::vector<TRecordsRangeEh>& RecordsRanges);
  void PersistDeleteRecord(Integer Index);
  void PersistDeleteRecords(const std::vector<TRecordsRangeEh>& RecordsRanges);
  void PersistRemoveRecord(Integer Index);
  Variant GetValue(Integer RecNo, Integer ValNo) const;
  void SetValue(Integer Index, Integer ValNo, const Variant& Value);
  Integer IndexOf(TMemoryRecordEh* Item) const;
  void Move(Integer CurIndex, Integer NewIndex);
  void ExchangeRecords(Integer Index1, Integer Index2);
  void RevertRecord(Integer Index);
  void RefreshRecord(Integer Index, TMemoryRecordEh* FromRec);
  void Clear();
  bool HasCachedChanges() const { return !FDeltaList.empty(); }
  const std::vector<TMemoryRecordEh*>& DeltaList() const { return FDeltaList; }
  void CancelUpdates();
  void MergeChangeLog();
  void CleanupChangedRecs();
  void SortData(TObject* ParamSort, const TCompareRecordsEh& Compare, TObject* MemTable = nullptr);

  virtual void DataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action);
  virtual void RecordMoved(TMemoryRecordEh* Item, Integer OldIndex, Integer NewIndex);
  virtual void BeginUpdate();
  virtual void EndUpdate();
  virtual void QuickSort(Integer L, Integer R, TObject* ParamSort, const TCompareRecordsEh& Compare,
                         TObject* MemTable);
  Integer UpdateCount() const { return FUpdateCount; }

protected:
  void DefineProperties(TFiler& Filer) override;

private:
  friend class TMemoryRecordEh;
  friend class TMemTableDataEh;
  void AddProc(TMemoryRecordEh* Rec, Integer Position, bool Fetching, bool Appending);
  void Renumber(Integer From);
  void LogRecord(TMemoryRecordEh* Rec);
  void UnlogRecord(TMemoryRecordEh* Rec);
  void ResolveChange(TMemoryRecordEh* Rec, TUpdateStatus Change);
  void RememberRecord(TMemoryRecordEh* Rec);
  void ForgetRecord(TMemoryRecordEh* Rec);
  // From records found in the list itself to the entries by id, all but
  // Except; and back once the list is in the order of ids again.
  void LeaveIdOrder(const TMemoryRecordEh* Except);
  void TryIdOrder();
  void ReadData(TReader& Reader);
  void WriteData(TWriter& Writer);

  bool FCachedUpdates = false;
  std::vector<TMemoryRecordEh*> FDeletedList;
  std::vector<TMemoryRecordEh*> FDeltaList;   // nullptr entries are holes
  std::unique_ptr<TMTIndexesEh> FIndexes;
  TMemTableDataEh* FMemTableData = nullptr;
  Int64 FNewHashCode = 1;
  std::vector<TMemoryRecordEh*> FRecList;
  // While the list holds its records in the order of their ids (as loaded,
  // appended, deleted), a record is found by id in the list itself and the
  // entries below stay empty.
  bool FByIdFromList = true;
  // Otherwise the attached records in the order of their ids. Ids grow as records are
  // made, so most records join at the end; one attached out of that order
  // goes to the map. A record that leaves leaves a hole, its id shifted left
  // with the low bit set (a record's address has it clear), swept out once
  // holes are half of the entries. One word an entry: the id of a record is
  // read from the record.
  std::vector<std::uintptr_t> FById;
  std::unordered_map<Int64, TMemoryRecordEh*> FByIdLate;
  // The side data of the few records that have any.
  std::unordered_map<const TMemoryRecordEh*, std::unique_ptr<TMemoryRecordEh::TExtraEh>> FExtras;
  size_t FByIdHoles = 0;
  Integer FUpdateCount = 0;
};



// ---------------------------------------------------------------------------
// Indexes.

// One index entry: the key of a record and its list position.
struct TIndexItemEh {
  Variant Value;
  Integer RecIndex = 0;
};

// A sorted key index over a records list.
class TMTIndexEh : public TCollectionItem {
  VELMORA_CLASS(TMTIndexEh)
  using inherited = TCollectionItem;
public:
  explicit TMTIndexEh(TCollection* Collection);
  // A free-standing index over ARecordsList, in no collection.
  static std::unique_ptr<TMTIndexEh> CreateApart(TRecordsListEh* ARecordsList);
  ~TMTIndexEh() override;

  TRecordsListEh* RecordsList() const;
  void ClearIndex() { FRecList.clear(); }
  void RebuildIndex();
  bool Active() const { return FActive; }
  void SetActive(bool Value);
  const String& Fields() const { return FFields; }
  void SetFields(const String& Value);
  bool Primary() const { return FPrimary; }
  void SetPrimary(bool Value);
  bool Unical() const { return FUnical; }
  void SetUnical(bool Value);
  Integer Count() const { return Integer(FRecList.size()); }
  const TIndexItemEh& GetItems(Integer Index) const { return FRecList.at(size_t(Index)); }
  Variant GetKeyValue(Integer Index) const { return GetItems(Index).Value; }
  void SetKeyValue(Integer Index, const Variant& Value) { FRecList.at(size_t(Index)).Value = Value; }
  bool FindKeyValueIndex(const Variant& Value, Integer& Index) const;
  bool FindRecordIndexByKey(const Variant& Value, Integer& Index) const;
  void FillMatchedKeyList(const Variant& Value, std::vector<TIndexItemEh>& List) const;
  void FillMatchedRecsList(const Variant& Value, std::vector<TMemoryRecordEh*>& List) const;
  void CheckUnical() const;
  void DataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action);
  virtual void RecordMoved(TMemoryRecordEh* Item, Integer OldIndex, Integer NewIndex);
  virtual void InsertItem(Integer Index, TIndexItemEh AObject);

private:
  bool Working() const { return FActive && !FFields.isEmpty(); }
  bool CheckesUnique() const { return FUnical || FPrimary; }
  Variant KeyOf(TMemoryRecordEh* Rec, TDataValueVersionEh Version) const;
  [[noreturn]] void UniqueError(const Variant& Key) const;
  Integer EntryOf(TMemoryRecordEh* MemRec, Integer Index, const Variant& Key) const;
  void RemoveEntry(Integer Position);

  bool FActive = false;
  String FFields;
  Variant FOldValue;
  bool FPrimary = false;
  std::vector<TIndexItemEh> FRecList;
  TRecordsListEh* FRecordsList = nullptr;
  bool FUnical = false;
};

class TMTIndexesEh : public TCollection {
  VELMORA_CLASS(TMTIndexesEh)
  using inherited = TCollection;
public:
  explicit TMTIndexesEh(TRecordsListEh* ARecList);
  TMTIndexEh* Add() { return static_cast<TMTIndexEh*>(inherited::Add()); }
  TMTIndexEh* GetItem(Integer Index) const { return static_cast<TMTIndexEh*>(Items(Index)); }
  void SetItem(Integer Index, TMTIndexEh* Value) { SetItems(Index, Value); }
  void DataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action);
  void UpdateIndexes() { DataEvent(nullptr, -1, rlnListChangedEh); }
  TMTIndexEh* GetIndexForFields(const String& Fields) const;
  virtual void RecordMoved(TMemoryRecordEh* Item, Integer OldIndex, Integer NewIndex);
  TRecordsListEh* RecList() const { return FRecList; }
private:
  friend class TMemTableDataEh;
  TRecordsListEh* FRecList;
};



// ---------------------------------------------------------------------------
// Data container.

using TMemoryRecordEventEh = std::function<void(TMemoryRecordEh* MemRec, TRecDataValues& Values)>;
using TRecordsListNotificatorDataEventEh =
  std::function<void(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action)>;
using TRecordsListApplyUpdatesEventEh = std::function<void(TMemTableDataEh* AMemTableData)>;
using TRecordsListFetchRecordsEventEh = std::function<Integer(Integer Count)>;
using TRecordsListRecordMovedEventEh = std::function<void(TMemoryRecordEh* Item, Integer OldIndex, Integer NewIndex)>;

class TAutoIncrementEh : public TPersistent {
  VELMORA_CLASS(TAutoIncrementEh)
public:
  TAutoIncrementEh() = default;
  Integer Promote();
  void Reset() { FCurValue = FInitValue; }
  Integer InitValue() const { return FInitValue; }
  void SetInitValue(Integer Value);
  Integer Step() const { return FStep; }
  void SetStep(Integer Value) { FStep = Value; }
  Integer CurValue() const { return FCurValue; }
  void SetCurValue(Integer Value) { FCurValue = Value; }
  void Assign(TPersistent* Source) override;
private:
  Integer FStep = -1;
  Integer FInitValue = -1;
  Integer FCurValue = -1;
};

// A subscriber to the record events of a storage (or of a records view).
class TRecordsListNotificatorEh : public TComponent {
  VELMORA_CLASS(TRecordsListNotificatorEh)
  using inherited = TComponent;
public:
  explicit TRecordsListNotificatorEh(TComponent* AOwner);
  ~TRecordsListNotificatorEh() override;

  TComponent* DataObject() const { return FDataObject; }
  void SetDataObject(TComponent* Value);
  TMemTableDataEh* MemTableData() const { return FMemTableData; }

  virtual Integer FetchRecords(Integer Count);
  virtual void AfterDataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action);
  virtual void DataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action);
  virtual void RecordAdded(TMemoryRecordEh* MemRec, Integer Index) { (void)MemRec; (void)Index; }
  virtual void RecordChanged(TMemoryRecordEh* MemRec, Integer Index) { (void)MemRec; (void)Index; }
  virtual void RecordDeleted(TMemoryRecordEh* MemRec, Integer Index) { (void)MemRec; (void)Index; }
  virtual void ListChanged() {}
  virtual void RecordMoved(TMemoryRecordEh* Item, Integer OldIndex, Integer NewIndex);
  virtual void StructChanged(TMemTableDataEh* AMemTableData);

  TRecordsListNotificatorDataEventEh OnAfterDataEvent;
  TRecordsListNotificatorDataEventEh OnDataEvent;
  TRecordsListApplyUpdatesEventEh OnApplyUpdates;
  TRecordsListFetchRecordsEventEh OnFetchRecords;
  TRecordsListRecordMovedEventEh OnRecordMoved;
  TRecordsListApplyUpdatesEventEh OnStructChanged;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void Detach(TComponent* Obj);
  void Attach(TComponent* Obj);
  TMemTableDataEh* FMemTableData = nullptr;
  TComponent* FDataObject = nullptr;
};

// The record storage behind a memory table: structure, records, the
// auto-increment counter and the subscribers that receive every record event.
class TMemTableDataEh : public TComponent {
  VELMORA_CLASS(TMemTableDataEh)
  using inherited = TComponent;
public:
  explicit TMemTableDataEh(TComponent* AOwner);
  ~TMemTableDataEh() override;

  TMTDataStructEh* DataStruct() const { return GetDataStruct(); }
  TRecordsListEh* RecordsList() const { return GetRecordsList(); }
  TAutoIncrementEh* AutoIncrement() const { return GetAutoIncrement(); }
  bool IsEmpty() const { return DataStruct()->Count() == 0; }
  bool RestructMode() const { return FRestructMode; }
  bool StoreStructInStream() const { return FStoreStructInStream; }
  void SetStoreStructInStream(bool Value) { FStoreStructInStream = Value; }
  bool StoreRecordsInStream() const { return FStoreRecordsInStream; }
  void SetStoreRecordsInStream(bool Value) { FStoreRecordsInStream = Value; }
  const TMemoryRecordEventEh& OnFieldCalculation() const { return FOnFieldCalculation; }
  void SetOnFieldCalculation(TMemoryRecordEventEh Value);
  const std::vector<Integer>& IncFieldIndexes() const { return FIncFieldIndexes; }
  Integer NotificatorCount() const { return Integer(FNotificators.size()); }
  bool HasApplyUpdatesHandler() const;

  virtual TRecordsListEh* CreateRecordsList();
  virtual TAutoIncrementEh* GetAutoIncrement() const { return FAutoIncrement.get(); }
  virtual TMTDataStructEh* GetDataStruct() const { return FDataStruct; }
  virtual TRecordsListEh* GetRecordsList() const;
  virtual void AddNotificator(TRecordsListNotificatorEh* Subscriber);
  void RemoveNotificator(TRecordsListNotificatorEh* Subscriber);
  virtual void ApplyUpdates(TMemTableDataEh* AMemTableData);
  virtual void DataFieldChanged(TMTDataFieldEh* DataField) { (void)DataField; }
  virtual void DataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action);
  virtual void RecordMoved(TMemoryRecordEh* Item, Integer OldIndex, Integer NewIndex);
  virtual void SetAutoIncrement(TAutoIncrementEh* Value);
  virtual void SetAutoIncValue(TMemoryRecordEh* Rec);
  virtual void StructChanged();
  virtual TMTDataStructEh* BeginRestruct();
  virtual Integer FetchRecords(Integer Count);
  virtual void CancelRestruct();
  virtual void CommitRestruct();
  virtual void DestroyTable();
  virtual void ResetRecords();

  // Stream form of the storage. Loading reads into a new storage and takes
  // its structure and records over only when the whole stream was read; on
  // an error this storage is left as it was. Saving to a file writes a
  // temporary file beside it and renames it over the old one at the end.
  void SaveToStream(TStream* Stream);
  void LoadFromStream(TStream* Stream);
  void SaveToFile(const String& FileName, bool AsText = false);
  void LoadFromFile(const String& FileName);

  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void ReadState(TReader& Reader) override;

protected:
  void DefineProperties(TFiler& Filer) override;
  void CalculateFields(TMemoryRecordEh* Rec);

private:
  friend class TRecordsListEh;
  void TakeOver(TMemTableDataEh* Source);

  std::unique_ptr<TAutoIncrementEh> FAutoIncrement;
  TMTDataStructEh* FDataStruct = nullptr;
  std::vector<Integer> FIncFieldIndexes;
  std::unique_ptr<TMTDataStructEh> FNewDataStruct;
  std::vector<TRecordsListNotificatorEh*> FNotificators;
  TRecordsListEh* FRecordsList = nullptr;
  bool FRestructMode = false;
  bool FStoreStructInStream = true;
  bool FStoreRecordsInStream = true;
  TMemoryRecordEventEh FOnFieldCalculation;
};

// A short-lived storage over its master's structure that carries one change
// to the subscribers' resolvers.
class TMemTableDataShadowEh : public TMemTableDataEh {
  VELMORA_CLASS(TMemTableDataShadowEh)
public:
  explicit TMemTableDataShadowEh(TMemTableDataEh* AMasterTable);
  TMTDataStructEh* GetDataStruct() const override;
  void SetAutoIncValue(TMemoryRecordEh* Rec) override { (void)Rec; }
  TMemTableDataEh* MasterTable() const { return FMasterTable; }
private:
  TMemTableDataEh* FMasterTable;
};



// ---------------------------------------------------------------------------
// Records view.

using TRecordsViewFilterEventEh = std::function<bool(TMemoryRecordEh* Rec, Integer Index)>;
using TCalcLookupBufferEventEh = std::function<void(TMemoryRecordEh* Rec, TMemRecViewEh* Node)>;
using TGetPrefilteredListEventEh = std::function<const std::vector<TMemoryRecordEh*>*()>;
// Parses a sort order text into the order list that OnCompareRecords
// receives as ParamSort; the view owns the result.
using TParseOrderByStrEventEh = std::function<std::unique_ptr<TObject>(const String& OrderByStr)>;

// What a memory table shows of its storage: the records that pass the status
// filter and the table's filter, in the sort order, as flat rows or as a
// tree. Kept current one record event at a time.
// The accountable records of a view as the expression evaluator walks them.
class TRecordsViewWalkEh : public TExprRecordWalkEh {
public:
  explicit TRecordsViewWalkEh(const TRecordsViewEh* View) : FView(View) {}
  Integer AccountableItemsCount() const override;
  const TExprRecordEh& GetAccountableRecord(Integer Index) const override;
private:
  const TRecordsViewEh* FView;
};

// A sort order that can read a record's sort key as plain numbers: the view
// then reads every key once and sorts the keys, instead of asking the compare
// routine for every pair, and ties keep storage order. The keys must order
// exactly as the compare routine does (a descending field negated, Null below
// every value); KeyOf answers false for a record whose key is not exactly a
// few doubles (a text, a large integer), and the view then sorts through the
// compare routine.
class TRecordsSortKeyEh {
public:
  static constexpr Integer MaxKeyLength = 4;
  virtual ~TRecordsSortKeyEh() = default;
  virtual Integer KeyLength() const = 0;
  virtual bool KeyOf(const TMemoryRecordEh* Rec, double* Key) const = 0;
};

class TRecordsViewEh : public TRecordsListNotificatorEh {
  VELMORA_CLASS(TRecordsViewEh)
  using inherited = TRecordsListNotificatorEh;
public:
  explicit TRecordsViewEh(TDataSet* ADataSet);
  ~TRecordsViewEh() override;

  TMemTableDataEh* MemTableData() const { return inherited::MemTableData(); }
  void SetMemTableData(TMemTableDataEh* Value) { SetDataObject(Value); }
  TDataSet* DataSet() const { return FDataSet; }

  Integer Count() const { return ViewItemsCount(); }
  Integer ViewItemsCount() const;
  Integer AccountableItemsCount() const;
  TMemoryRecordEh* GetRec(Integer Index) const { return GetViewRecord(Index); }
  TMemoryRecordEh* GetViewRecord(Integer Index) const;
  TMemRecViewEh* GetRecordView(Integer Index) const;
  TMemoryRecordEh* GetAccountableRecord(Integer Index) const;
  // A single-field aggregate (SUM, MIN, MAX, AVG, COUNT) over the accountable
  // records.
  Variant CalcAggrFieldFunc(const String& FieldName, const String& AggrFuncName) const;
  TRecordsViewWalkEh AccountableRecords() const { return TRecordsViewWalkEh(this); }
  Integer IndexOfRec(TMemoryRecordEh* Rec) const;
  Integer IndexOfSortedListRec(TMemoryRecordEh* Rec) const;
  TMemRecViewEh* GetSortedListItem(Integer Index) const;
  Integer SortedListItemCount() const;
  void UpdateSortedListIndexes();
  bool SortedListIndexesObsolete() const { return FSortedListIndexesObsolete; }

  // Among the records an index holds under Key, the one shown at the
  // smallest row at or after StartRow; -1 when none is shown there.
  Integer FindRowByIndexKey(TMTIndexEh* Index, const Variant& Key, Integer StartRow) const;

  TMemoryRecordEh* NewRecord();
  void AddRecord(TMemoryRecordEh* Rec);
  void InsertRecord(Integer Index, TMemoryRecordEh* Rec);
  void DeleteRecord(Integer Index);
  void SetValue(Integer RecNo, Integer ValNo, const Variant& Value);
  Variant GetValue(Integer RecNo, Integer ValNo) const;
  void RevertRecord(Integer Index);
  void RefreshRecord(Integer Index, TMemoryRecordEh* Rec);
  void MergeChangeLog();
  void CancelUpdates();
  const TRecValuesEh* GetOldRecVals(Integer Index) const;

  // While the filter is off the view stands still: it keeps lists of its own.
  void InstantDisableFilter();
  void InstantEnableFilter() { if (FDisableFilterCount > 0) --FDisableFilterCount; }
  void LockCachedUpdates();
  void UnlockCachedUpdates();
  bool CachedUpdates() const { return FCachedUpdates; }
  void SetCachedUpdates(bool Value) { FCachedUpdates = Value; }

  TUpdateStatusSet StatusFilter() const { return FStatusFilter; }
  void SetStatusFilter(TUpdateStatusSet Value);
  const String& SortOrder() const { return FSortOrder; }
  void SetSortOrder(const String& Value);
  bool SortOrderCaseInsensitive() const { return FSortOrderCaseInsensitive; }
  void SetSortOrderCaseInsensitive(bool Value);
  TObject* OrderByList() const { return FOrderByList.get(); }
  bool ViewAsTreeList() const { return FViewAsTreeList; }
  void SetViewAsTreeList(bool Value);
  const String& TreeViewKeyFieldName() const { return FTreeViewKeyFieldName; }
  void SetTreeViewKeyFieldName(const String& Value);
  const String& TreeViewRefParentFieldName() const { return FTreeViewRefParentFieldName; }
  void SetTreeViewRefParentFieldName(const String& Value);
  const std::vector<Integer>& TreeViewKeyFields() const { return FTreeViewKeyFields; }
  const std::vector<Integer>& TreeViewRefParentFields() const { return FTreeViewRefParentFields; }
  TMemoryTreeListEh* MemoryTreeList() const { return FMemoryTreeList.get(); }
  bool CatchChanged() const { return FCatchChanged; }
  void SetCatchChanged(bool Value) { FCatchChanged = Value; }
  void AbortFilter() { FFilterAborted = true; }

  void UpdateAllLookupBuffer();
  void RefreshFilteredRecsList(bool NotifyListChanged);
  void RefreshFilteredRecsTreeList();
  void RebuildMemoryTreeList();
  void SortData(TObject* ParamSort, const TCompareRecordsEh& Compare);
  Integer CompareRecords(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2) const;

  virtual bool IsRecordInFilter(TMemoryRecordEh* Rec, Integer Index);
  virtual void AddNotificator(TRecordsListNotificatorEh* Subscriber);
  void RemoveNotificator(TRecordsListNotificatorEh* Subscriber);
  virtual void ViewDataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action);
  virtual void ViewRecordMoved(TMemoryRecordEh* MemRec, Integer OldIndex, Integer NewIndex);
  virtual void SortOrderChanged();
  virtual void SortRecordsList();
  virtual void SortTreeList();
  virtual void UpdateFields();

  void DataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action) override;
  void RecordMoved(TMemoryRecordEh* Item, Integer OldIndex, Integer NewIndex) override;
  void StructChanged(TMemTableDataEh* AMemTableData) override;

  // The aggregates of the view's table. The aggregates unit sets the
  // collection and recalculates it from RecalcAggregates, which runs after
  // every change that adds, changes, removes or reorders records.
  TMTAggregatesEh* Aggregates() const { return FAggregates; }
  void SetAggregates(TMTAggregatesEh* Value) { FAggregates = Value; }
  std::function<void(TRecordsViewEh* View)> OnRecalcAggregates;

  TCalcLookupBufferEventEh OnCalcLookupBuffer;
  TCompareRecordsEh OnCompareRecords;
  TCompareNodesEh OnCompareTreeNode;
  // The table's filter (the expression evaluator's predicate among others):
  // decides for a record that passed the status filter.
  TRecordsViewFilterEventEh OnFilterRecord;
  TGetPrefilteredListEventEh OnGetPrefilteredList;
  TParseOrderByStrEventEh OnParseOrderByStr;
  TRecordsListNotificatorDataEventEh OnViewDataEvent;
  TRecordsListRecordMovedEventEh OnViewRecordMovedEvent;

protected:
  virtual void RecalcAggregates();

private:
  struct TPendingNote {
    TMemoryRecordEh* Rec = nullptr;
    Integer Row = -1;
    TRecordsListNotification Action = rlnListChangedEh;
    bool Set = false;
  };
  void Note(TPendingNote& Pending, TMemoryRecordEh* Rec, Integer Row, TRecordsListNotification Action);
  Integer InsertPosition(TMemoryRecordEh* Rec, Integer Hint) const;
  TMemRecViewEh* FlatNode(TMemoryRecordEh* Rec) const;
  TMemRecViewEh* ExistingFlatNode(TMemoryRecordEh* Rec) const;
  void FreeSortedList();
  Integer SortedIndexOfRec(TMemoryRecordEh* Rec, Integer Hint) const;
  void FlatDataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action, TPendingNote& Pending);
  void TreeDataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action, TPendingNote& Pending);
  void QuickSortRecs(std::vector<TMemoryRecordEh*>& List, Integer L, Integer R, TObject* ParamSort,
                     const TCompareRecordsEh& Compare);
  void RebuildSortedList(TRecordsListEh* List);
  bool SortByKeys(const TRecordsSortKeyEh* Keys);
  void OrderRowsAsSortedList(TObject* ParamSort, const TCompareRecordsEh& Compare);
  // The sorted list and the rows, the records list's own when shared.
  const std::vector<TMemoryRecordEh*>& SortedRecs() const;
  const std::vector<TMemoryRecordEh*>& RowRecs() const;
  // Lists of the view's own, copied from the records list while shared.
  void OwnSortedList();
  void OwnRows();
  void OwnLists();
  // The sorted list in storage order: the records list itself when flat.
  void ShareSortedList();
  // The rows become the records list's when they are every record of it in
  // its order and the sorted list is shared.
  void TryShareRows();

  TMTAggregatesEh* FAggregates = nullptr;
  bool FCachedUpdates = true;
  Integer FCachedUpdatesLockCount = 0;
  bool FCatchChanged = false;
  bool FFilterAborted = false;
  std::unique_ptr<TMemoryTreeListEh> FMemoryTreeList;
  // The flat view holds records; a node is made only for a record someone
  // asks the node of (a dataset buffer), and kept until the record goes.
  std::vector<TMemoryRecordEh*> FMemoryViewList;
  std::vector<TRecordsListNotificatorEh*> FNotificators;
  std::unique_ptr<TObject> FOrderByList;
  std::vector<TMemoryRecordEh*> FSorderViewList;
  // Without a sort order, a tree or a record the filter leaves out, the
  // sorted list and the rows are the records list itself (its positions are
  // the places) and the own lists stay empty: a loaded table pays nothing a
  // row for its view.
  bool FSortedShared = false;
  bool FRowsShared = false;
  // Every record a row in the view's own sorted order: the rows are the
  // sorted list, until an event sets them apart.
  bool FRowsAreSorted = false;
  mutable std::unordered_map<TMemoryRecordEh*, std::unique_ptr<TMemRecViewEh>> FFlatNodes;
  // The place in the sorted list of each record, by its list position.
  std::vector<Integer> FSortedPlace;
  bool FSortedListIndexesObsolete = false;
  // The sorted list holds every record of the list, in the view's order as
  // last sorted: a new filter then walks it as it is, without sorting again.
  bool FSortedListInOrder = false;
  String FSortOrder;
  bool FSortOrderCaseInsensitive = false;
  TUpdateStatusSet FStatusFilter{usUnmodified, usModified, usInserted};
  String FTreeViewKeyFieldName;
  String FTreeViewRefParentFieldName;
  std::vector<Integer> FTreeViewKeyFields;
  std::vector<Integer> FTreeViewRefParentFields;
  bool FViewAsTreeList = false;
  TDataSet* FDataSet = nullptr;
  Integer FDisableFilterCount = 0;
};



// ---------------------------------------------------------------------------
// Memory tree list.

// A node of a record tree, or a row of a flat view: its Data is the record.
class TMemRecViewEh : public TBaseTreeNodeEh {
  VELMORA_CLASS(TMemRecViewEh)
  using inherited = TBaseTreeNodeEh;
public:
  TMemRecViewEh() = default;
  ~TMemRecViewEh() override;

  TMemoryRecordEh* Rec() const { return FRec; }
  // Where the record reference lies, for a walk to ask for it ahead.
  const void* RecAddress() const { return &FRec; }
  TMemoryTreeListEh* NodeOwner() const;
  TMemRecViewEh* NodeParent() const { return static_cast<TMemRecViewEh*>(Parent()); }
  Integer NodeLevel() const { return Level(); }
  Integer NodeIndex() const { return Index(); }
  bool NodeExpanded() const { return Expanded(); }
  void SetNodeExpanded(bool Value) { SetExpanded(Value); }
  bool NodeHasChildren() const { return HasChildren(); }
  bool NodeHasVisibleChildren() { return GetHasVisibleChildren(); }
  bool NodeVisible() const { return Visible(); }
  Integer VisibleNodeIndex() const { return VisibleIndex(); }
  Integer VisibleNodesCount() { return GetVisibleCount(); }
  Integer NodesCount() const { return Count(); }
  TMemRecViewEh* GetNodeItem(Integer Index) const { return static_cast<TMemRecViewEh*>(GetItem(Index)); }
  TMemRecViewEh* GetVisibleNodeItem(Integer Index) { return static_cast<TMemRecViewEh*>(GetVisibleItem(Index)); }
  Integer InSortedListIndex();
  void SetInSortedListIndex(Integer Value) { FInSortedListIndex = Value; }
  TRecDataValues& LookupBuffer() { return FLookupBuffer; }
  void SetLookupBufferLength(Integer NewLength) { FLookupBuffer.resize(size_t(std::max(NewLength, 0))); }
  TRecordsViewEh* RecordsView() const { return FRecordsView; }
  void SortByFields(const String& SortByStr);

  bool ExpandedChanging() override;
  void ExpandedChanged() override;

private:
  friend class TRecordsViewEh;
  friend class TMemoryTreeListEh;
  TMemoryRecordEh* FRec = nullptr;
  Integer FInSortedListIndex = -1;
  TRecDataValues FLookupBuffer;
  TRecordsViewEh* FRecordsView = nullptr;
  bool FLockUpdate = false;
};

// The tree of a records view: one node per record, under the node of the
// record whose key fields equal its parent-reference fields.
class TMemoryTreeListEh : public TTreeListEh {
  VELMORA_CLASS(TMemoryTreeListEh)
  using inherited = TTreeListEh;
public:
  explicit TMemoryTreeListEh(TRecordsViewEh* ARecordsViewEh);
  ~TMemoryTreeListEh() override;

  TMemRecViewEh* AddChildAtKey(const String& Name, const String& KeyFieldNames, TMemoryRecordEh* MemRecord,
                               const String& ParentFieldNames);
  TMemRecViewEh* AddChild(const String& Name, TMemRecViewEh* Parent, TMemoryRecordEh* MemRecord);
  TMemRecViewEh* UpdateParent(TMemRecViewEh* Node, const String& KeyFieldNames, bool ReIndex,
                              TMemoryRecordEh* MemRecord, const String& ParentFieldNames);
  bool CheckReferenceLoop(TMemoryRecordEh* MemRecord, const Variant& NewRefValue);
  TMemRecViewEh* GetNode(TMemRecViewEh* StartNode, TMemoryRecordEh* MemRecord) const;
  TMemRecViewEh* GetNodeAtValue(TMemRecViewEh* StartNode, const String& FieldNames, const Variant& Value) const;
  TMemRecViewEh* GetParentNodeAtKey(TMemRecViewEh* StartNode, TMemoryRecordEh* MemRecord);
  TMemRecViewEh* GetParentNodeForRefValue(const Variant& RefValue);
  TMemRecViewEh* GetParentNodeForRec(TMemoryRecordEh* MemRecord);
  void GetRecordsList(std::vector<TMemoryRecordEh*>& List, TMemRecViewEh* Node, bool ARecurse) const;

  TMemRecViewEh* GetVisibleExpandedItem(Integer Index);
  TMemRecViewEh* GetAccountableItem(Integer Index);
  TMemRecViewEh* GetFlatListItem(Integer Index);
  Integer VisibleExpandedCount();
  Integer AccountableCount();
  Integer FlatListCount();
  TMemRecViewEh* MemRoot() const { return static_cast<TMemRecViewEh*>(Root()); }

  const String& SortOrder() const { return FSortOrder; }
  void SetSortOrder(const String& Value);
  bool DefaultNodeExpanded() const { return FDefaultNodeExpanded; }
  void SetDefaultNodeExpanded(bool Value) { FDefaultNodeExpanded = Value; }
  bool DefaultNodeHasChildren() const { return FDefaultNodeHasChildren; }
  void SetDefaultNodeHasChildren(bool Value) { FDefaultNodeHasChildren = Value; }
  bool FilterNodeIfParentVisible() const { return FFilterNodeIfParentVisible; }
  void SetFilterNodeIfParentVisible(bool Value) { FFilterNodeIfParentVisible = Value; }
  bool FullBuildCheck() const { return FFullBuildCheck; }
  void SetFullBuildCheck(bool Value) { FFullBuildCheck = Value; }
  // How many parent look-ups went past the insertion stack (for tests of
  // the delivery-order shortcut).
  Integer SearchCount() const { return FSearchCount; }

  void UpdateNodeState(TMemRecViewEh* Node, bool IsUpdateParent);
  void UpdateNodesState(TMemRecViewEh* Parent);
  void SpreadVisibility(TMemRecViewEh* Node);
  void BuildVisibleItems();
  void VisibleItemsBecomeObsolete() { FVisibleItemsObsolete = true; }
  bool VisibleItemsObsolete() const { return FVisibleItemsObsolete; }
  void Resort();
  void NodeFreed(TMemRecViewEh* Node);

  Integer CompareTreeNodes(TBaseTreeNodeEh* Rec1, TBaseTreeNodeEh* Rec2, TObject* ParamSort) override;
  void MoveTo(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode, bool ReIndex) override;
  void SortData(const TCompareNodesEh& CompareProg, TObject* ParamSort, bool ARecurse) override;

private:
  Variant KeyOf(TMemoryRecordEh* Rec) const;
  Variant ParentOf(TMemoryRecordEh* Rec) const;
  TMTIndexEh* KeyIndex() const;
  TMTIndexEh* ParentIndex() const;
  TMemRecViewEh* NodeOfRec(TMemoryRecordEh* Rec);
  TMemRecViewEh* SearchKey(TMemRecViewEh* Start, const Variant& Key);
  Integer OrderedPlace(TMemRecViewEh* Parent, TMemRecViewEh* Node, bool Exclude) const;
  void CollectVisible(TMemRecViewEh* Node, bool ThroughCollapsed, std::vector<TMemRecViewEh*>& Out);
  void AdoptWaitingChildren(TMemRecViewEh* Node);

  bool FDefaultNodeExpanded = false;
  bool FDefaultNodeHasChildren = false;
  bool FFilterNodeIfParentVisible = true;
  std::vector<TMemRecViewEh*> FFlatListItems;
  bool FFullBuildCheck = true;
  std::vector<TMemRecViewEh*> FInsertedNodeStack;
  std::unique_ptr<TObject> FOrderByList;
  String FSortOrder;
  std::vector<TMemRecViewEh*> FVisibleExpandedItems;
  std::vector<TMemRecViewEh*> FVisibleItems;
  bool FVisibleItemsObsolete = true;
  TRecordsViewEh* FRecordsViewEh;
  std::unordered_map<TMemoryRecordEh*, TMemRecViewEh*> FNodeOfRec;
  Integer FSearchCount = 0;
};



// ---------------------------------------------------------------------------
// Dataset expression evaluator.

#include "platform/data/FilterExprParser.h"

#include <memory>

enum TDataSetExprParserTypeEh { dsptFilterEh, dsptAggregateEh };

// A constant of filter code, decoded once; a wide text also as a string, so
// that every record reads it without a copy, and as a LIKE pattern read once.
struct TExprConstantEh {
  Variant Value;
  String Text;
  std::optional<TFilterLikePattern> Like;
};

// Compiles a filter or aggregate expression of a memory dataset with the
// data library's filter-expression compiler and evaluates the code against
// a record or over a walk of records. Names resolve against Structure when
// given, else against the dataset's field definitions; the dataset's filter
// options decide the case of text comparisons.
class TDataSetExprParserEh : public TObject {
public:
  TDataSetExprParserEh(TDataSet* ADataSet, TDataSetExprParserTypeEh ExprParserType,
                       const TExprStructureEh* Structure = nullptr);

  bool HasData() const { return FExprDataSize > 0; }
  // An empty text leaves no code. Parse errors (EFilterExprError) leave the
  // previous code in place.
  void ParseExpression(const String& Expr);
  // False without code.
  bool IsCurRecordInFilter(const TExprRecordEh& Rec) const;
  bool IsCurRecordBufInFilter(TRecordBuffer Buffer) const;
  // False (a Boolean) without code.
  Variant CalcAggregateValue(const TExprRecordWalkEh& RecordsView) const;

  const TExprData& ExprData() const { return FExprData; }
  Integer ExprDataSize() const { return FExprDataSize; }
  TDataSetExprParserTypeEh ExprParserType() const { return FExprParserType; }
  TDataSet* DataSet() const { return FDataSet; }
  // Runs code made elsewhere (a stored filter, a hand-built case).
  void SetExprData(const TExprData& Data);

  // The storage code of each field type, as the memory dataset stores them.
  static const TFieldMap& FieldTypeMap();

private:
  TDataSet* FDataSet;
  TExprData FExprData;
  Integer FExprDataSize = 0;
  TDataSetExprParserTypeEh FExprParserType;
  const TExprStructureEh* FStructure;
  // Constants of the code, decoded on first use, by node.
  mutable std::vector<std::unique_ptr<TExprConstantEh>> FConstants;
  // Where one-byte texts are widened for a comparison, kept between records.
  mutable String FTextBuffer;
};



// ---------------------------------------------------------------------------
// Aggregates.

class TMTAggregatesEh;

// One aggregate (SUM(Amount), AVG(Price) * 2) of a memory table, computed
// over the accountable records of its collection's walk.
class TMTAggregateEh : public TCollectionItem {
  VELMORA_CLASS(TMTAggregateEh)
public:
  TMTAggregateEh(TMTAggregatesEh* Aggregates, TDataSet* ADataSet);
  ~TMTAggregateEh() override;

  void Assign(TPersistent* Source) override;
  String DisplayName() const override;

  bool Active() const { return FActive; }
  // A failing recalculation leaves the aggregate inactive and passes on.
  void SetActive(bool Value);
  const String& Expression() const { return FExpression; }
  void SetExpression(const String& Value);
  void Reset();
  void Recalc();

  const Variant& Value() const { return FValue; }
  bool InUse() const { return FInUse; }
  TFieldType DataType() const { return FDataType; }
  TMTAggregatesEh* Aggregates() const;
  TDataSet* DataSet() const { return FDataSet; }

private:
  friend class TMTAggregatesEh;
  bool FActive = false;
  std::unique_ptr<TDataSetExprParserEh> FAggrExpr;
  TDataSet* FDataSet;
  TFieldType FDataType = ftUnknown;
  String FExpression;
  bool FInUse = false;
  Variant FValue = Null;
};

// The aggregates of a records view. Records is the walk the values are
// computed over (the view's accountable records), Structure the storage's
// fields; both belong to the owner.
class TMTAggregatesEh : public TCollection {
  VELMORA_CLASS(TMTAggregatesEh)
public:
  TMTAggregatesEh(TPersistent* AOwner, TDataSet* ADataSet, const TExprRecordWalkEh* Records,
                  const TExprStructureEh* Structure = nullptr);

  TMTAggregateEh* Add();
  TMTAggregateEh* Items(Integer Index) const { return static_cast<TMTAggregateEh*>(TCollection::Items(Index)); }
  TMTAggregateEh* GetItem(Integer Index) const { return Items(Index); }
  void SetItem(Integer Index, TMTAggregateEh* Value) { SetItems(Index, Value); }
  bool Active() const { return FActive; }
  void SetActive(bool Value);
  // Re-parses every item, then recalculates.
  void Reset();
  void Recalc();
  TDataSet* DataSet() const { return FDataSet; }
  const TExprRecordWalkEh* Records() const { return FRecords; }
  const TExprStructureEh* Structure() const { return FStructure; }

protected:
  TPersistent* GetOwner() const override { return FOwner; }
  TCollectionItem* CreateItem() override;

private:
  bool FActive = false;
  TPersistent* FOwner;
  TDataSet* FDataSet;
  const TExprRecordWalkEh* FRecords;
  const TExprStructureEh* FStructure;
};

// One aggregate function folded over values one at a time. Nulls are
// skipped by all: SUM and AVG add the numeric values (numbers, dates,
// Booleans), COUNT counts the values, MIN and MAX keep the least and the
// greatest (texts in the program's text order). AVG divides by the number
// of values added and is Null without any; MIN and MAX are Null without
// values; SUM and COUNT are 0.
enum TAggrKindEh { aggrSum, aggrMin, aggrMax, aggrAvg, aggrCount };

class TAggrAccumulatorEh {
public:
  explicit TAggrAccumulatorEh(TAggrKindEh Kind) : FKind(Kind) {}
  void Add(const Variant& Value);
  // Count values already folded into one double sum (SUM, AVG), or counted
  // (COUNT); other kinds take no part in it.
  void AddDoubles(double Sum, Integer Count);
  Variant Result() const;

private:
  TAggrKindEh FKind;
  Variant FValue;       // the sum, or the value kept by MIN and MAX
  Integer FCount = 0;   // values taken
};

// A view's single-field aggregate: FieldName "*" with "COUNT" counts the
// records; otherwise SUM, COUNT, MIN, MAX or AVG (upper case) of the field's
// non-Null values. AVG is Null without values; SUM and COUNT of no records 0.
Variant CalcAggrFieldFuncEh(const TExprRecordWalkEh& Records, const TExprStructureEh& Structure,
                            const String& FieldName, const String& AggrFuncName);



// ---------------------------------------------------------------------------
// Stream format.

// The text of a time stamp in the stream: "yyyy-mm-ddThh:nn:ss", then
// ".zzz" when the milliseconds are not 0, then the zone "+hh:nn" or
// "-hh:nn" when it is not 0.
String FormatISOTimeStampEh(TDateTime Value, Integer ZoneHour, Integer ZoneMinute);
// Reads that text by character positions; EConvertError on a malformed one.
TDateTime ParseISOTimeStampEh(const String& Text, Integer& ZoneHour, Integer& ZoneMinute);
// Registers the storage, structure, records list and descriptor classes and
// their published properties for the component stream (once).
void RegisterMemTableDataClasses();


