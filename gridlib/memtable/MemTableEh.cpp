// MemTableEh.cpp: the memory table's record buffers, field data, cursor and
// bookmarks, opening and structure, instant reading and its interface for
// grids.
#include "gridlib/memtable/MemTableEh.h"

#include "gridlib/foundation/GridPlatformEh.h"
#include "gridlib/memtable/DataDriverEh.h"
#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace {

bool IsCalcOrLookup(const TField* Field)
{
  return Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup;
}

// The storage column of a dataset field, -1 for fields not stored.
Integer StorageIndex(const TField* Field)
{
  return Field->FieldNo() > 0 ? Field->FieldNo() - 1 : -1;
}

bool NullOrEmpty(const Variant& V) { return VarIsNull(V) || VarIsEmpty(V); }

}  // namespace

// ---------------------------------------------------------------------------
// Sorted variant list.

bool TSortedVarlistEh::FindKeyValueIndex(const Variant& Value, Integer& Index) const
{
  Integer L = 0;
  Integer H = Count() - 1;
  while (L <= H) {
    const Integer I = (L + H) / 2;
    const TVariantRelationship C = CompareVarValuesEh(FItems[size_t(I)]->Value, Value);
    if (C == vrNotEqual)
      throw Exception(QStringLiteral("TSortedVarlistEh.FindKeyValueIndex: values is not comparable."));
    if (C == vrLessThan) {
      L = I + 1;
    } else {
      H = I - 1;
      if (C == vrEqual) {
        Index = I;
        return true;
      }
    }
  }
  Index = L;
  return false;
}

bool TSortedVarlistEh::HasValue(const Variant& Value) const
{
  Integer I = 0;
  return FindKeyValueIndex(Value, I);
}

Integer TSortedVarlistEh::Add(std::unique_ptr<TSortedVarItemEh> Item)
{
  Integer I = 0;
  FindKeyValueIndex(Item->Value, I);
  FItems.insert(FItems.begin() + I, std::move(Item));
  return I;
}

// ---------------------------------------------------------------------------
// Blob stream and object-reference field.

TMemBlobStreamEh::TMemBlobStreamEh(TBlobField* Field, TBlobStreamMode Mode)
  : FField(Field), FDataSet(dynamic_cast<TCustomMemTableEh*>(Field->DataSet())), FFieldNo(Field->FieldNo() - 1)
{
  if (!FDataSet)
    DatabaseError(FmtText("Field '%s' has no dataset", {Field->DisplayName()}));
  TMTRecBuf* Buf = nullptr;
  if (!FDataSet->GetActiveRecBuf(Buf))
    return;
  if (Mode != bmRead) {
    if (Field->ReadOnly())
      DatabaseError(FmtText(dbconsts::SFieldReadOnly, {Field->DisplayName()}), FDataSet);
    if (FDataSet->State() != dsEdit && FDataSet->State() != dsInsert)
      DatabaseError(QString::fromUtf8(dbconsts::SNotEditing), FDataSet);
  }
  if (Mode == bmWrite) {
    FModified = true;
    return;
  }
  Variant V;
  if (!FDataSet->GetFieldValue(Field, V))
    return;
  QByteArray Bytes;
  if (VarIsArray(V))
    Bytes = V.AsBytes();
  else if (Field->DataType() == ftWideMemo)
    Bytes = QByteArray(reinterpret_cast<const char*>(V.AsString().utf16()), V.AsString().size() * 2);
  else if (auto* Memo = dynamic_cast<TMemoField*>(Field))
    Bytes = Memo->TextToBytes(V.AsString());
  else
    Bytes = V.AsString().toUtf8();
  inherited::Write(Bytes.constData(), Integer(Bytes.size()));
  Seek(0, soBeginning);
}

TMemBlobStreamEh::~TMemBlobStreamEh()
{
  if (!FModified)
    return;
  try {
    const QByteArray Bytes = this->Bytes();
    Variant V = Null;
    if (!Bytes.isEmpty()) {
      if (FField->DataType() == ftWideMemo)
        V = Variant(QString::fromUtf16(reinterpret_cast<const char16_t*>(Bytes.constData()), Bytes.size() / 2));
      else if (auto* Memo = dynamic_cast<TMemoField*>(FField))
        V = Variant(Memo->BytesToText(Bytes));
      else
        V = Variant::FromBytes(Bytes);
    }
    FDataSet->SetFieldData(FField, V);
  } catch (...) {
    if (Application)
      Application->HandleException(nullptr);
  }
}

Integer TMemBlobStreamEh::Write(const void* Buffer, Integer Count)
{
  const Integer N = inherited::Write(Buffer, Count);
  FModified = true;
  return N;
}

void TMemBlobStreamEh::SetSize(Int64 NewSize)
{
  inherited::SetSize(NewSize);
  FModified = true;
}

TRefObjectField::TRefObjectField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftUnknown); }

TObject* TRefObjectField::Value() const
{
  auto* T = dynamic_cast<TCustomMemTableEh*>(DataSet());
  if (!T)
    DatabaseError(FmtText("Field '%s' has no dataset", {DisplayName()}), this);
  TObject* Obj = nullptr;
  T->GetFieldDataAsObject(const_cast<TRefObjectField*>(this), Obj);
  return Obj;
}

void TRefObjectField::SetValue(TObject* Value)
{
  auto* T = dynamic_cast<TCustomMemTableEh*>(DataSet());
  if (!T)
    DatabaseError(FmtText("Field '%s' has no dataset", {DisplayName()}), this);
  T->SetFieldDataAsObject(this, Value);
}

Variant TRefObjectField::GetAsVariant() const
{
  Variant V;
  RefObjectToVarEh(Value(), V);
  return V;
}

void TRefObjectField::SetVarValue(const Variant& V) { SetValue(NullOrEmpty(V) ? nullptr : VarToRefObjectEh(V)); }

// ---------------------------------------------------------------------------
// Record buffers.

TBookmark BookmarkDataToBytes(const TBookmarkDataEh& Data)
{
  return TBookmark(reinterpret_cast<const char*>(&Data), sizeof Data);
}

TBookmarkDataEh BytesToBookmarkData(const TBookmark& Bytes)
{
  TBookmarkDataEh D;
  if (Bytes.size() == sizeof D)
    std::memcpy(&D, Bytes.constData(), sizeof D);
  return D;
}

void TMTRecBuf::GetValue(TField* Field, Variant& Value) const
{
  const Integer Slot = StorageIndex(Field);
  if (UseMemRec && MemRec && Slot >= 0 && Slot < MemRec->ValueCount()) {
    Value = MemRec->Value(Slot);
    return;
  }
  const Integer I = Field->Index();
  if (UseMemRec && RecView && IsCalcOrLookup(Field)) {
    const auto& Lookup = RecView->LookupBuffer();
    if (I >= 0 && I < Integer(Lookup.size())) {
      Value = Lookup[size_t(I)];
      return;
    }
  }
  Value = I >= 0 && I < Integer(Values.size()) ? Values[size_t(I)] : Variant(Null);
}

void TMTRecBuf::SetValue(TField* Field, const Variant& Value)
{
  const Integer I = Field->Index();
  if (IsCalcOrLookup(Field) && UseMemRec) {
    if (RecView) {
      auto& Lookup = RecView->LookupBuffer();
      if (I >= 0 && I < Integer(Lookup.size()))
        Lookup[size_t(I)] = Value;
    }
  } else if (UseMemRec) {
    // Copy on the first write: the buffer stops reading the record.
    if (MemRec && Field->DataSet()) {
      for (TField* F : *Field->DataSet()->Fields()) {
        const Integer Slot = StorageIndex(F);
        if (Slot >= 0 && Slot < MemRec->ValueCount() && F->Index() < Integer(Values.size()))
          Values[size_t(F->Index())] = MemRec->Value(Slot);
      }
    }
    UseMemRec = false;
  }
  if (I >= 0 && I < Integer(Values.size()))
    Values[size_t(I)] = Value;
}

void TMTRecBuf::GetOldValue(TField* Field, Variant& Value) const
{
  const Integer Slot = StorageIndex(Field);
  if (MemRec && Slot >= 0) {
    if (MemRec->HasOldData())
      Value = MemRec->GetDataValue(Slot, dvvOldValueEh);
    else
      Value = MemRec->Value(Slot);
    return;
  }
  const Integer I = Field->Index();
  Value = I >= 0 && I < Integer(Values.size()) ? Values[size_t(I)] : Variant(Null);
}

void TMTRecBuf::SetLength(Integer Len)
{
  if (Len != Integer(Values.size()))
    Values.resize(size_t(std::max(Len, 0)));
  Clear();
}

void TMTRecBuf::Clear() { std::fill(Values.begin(), Values.end(), Variant(Null)); }

TMTRecBuf* TCustomMemTableEh::RecBuf(TRecordBuffer Buffer) const
{
  if (Buffer <= 0 || Buffer > NativeInt(FRecordCache.size()))
    return nullptr;
  return FRecordCache[size_t(Buffer - 1)].get();
}

TRecordBuffer TCustomMemTableEh::AllocRecordBuffer()
{
  size_t I = 0;
  while (I < FRecordCache.size() && FRecordCache[I]->InUse)
    ++I;
  if (I == FRecordCache.size())
    FRecordCache.push_back(std::make_unique<TMTRecBuf>());
  TMTRecBuf* B = FRecordCache[I].get();
  B->InUse = true;
  B->RecordNumber = -2;
  B->SetLength(FieldCount());
  return TRecordBuffer(I + 1);
}

void TCustomMemTableEh::FreeRecordBuffer(TRecordBuffer& Buffer)
{
  TMTRecBuf* B = RecBuf(Buffer);
  if (!B) {
    Buffer = 0;
    return;
  }
  if (size_t(Buffer) == FRecordCache.size() && BufferCount() < Integer(FRecordCache.size()) - 2) {
    FRecordCache.pop_back();
  } else {
    B->InUse = false;
    B->RecordNumber = -1;
    B->Clear();
    B->RecView = nullptr;
    B->MemRec = nullptr;
    B->UseMemRec = false;
  }
  Buffer = 0;
}

void TCustomMemTableEh::InternalInitRecord(TRecordBuffer Buffer)
{
  TMTRecBuf* B = RecBuf(Buffer);
  if (Integer(B->Values.size()) != FieldCount())
    B->Values.resize(size_t(FieldCount()));
  B->Clear();
  B->RecView = nullptr;
  B->MemRec = nullptr;
  B->UseMemRec = false;
}

void TCustomMemTableEh::InitRecord(TRecordBuffer Buffer)
{
  inherited::InitRecord(Buffer);
  TMTRecBuf* B = RecBuf(Buffer);
  B->BookmarkData = TBookmarkDataEh();
  B->BookmarkFlag = bfInserted;
  B->RecordNumber = -1;
}

void TCustomMemTableEh::FillRecBuf(TMemoryRecordEh* Rec, Integer Row, TRecordBuffer Buffer)
{
  TMTRecBuf* B = RecBuf(Buffer);
  if (Integer(B->Values.size()) != FieldCount())
    B->SetLength(FieldCount());
  B->RecordNumber = Row;
  B->BookmarkFlag = bfCurrent;
  B->MemRec = Rec;
  B->BookmarkData.RecId = Rec ? Rec->RecordId() : 0;
  B->BookmarkData.RecViewIndex = Row;
  B->BookmarkData.InSortedListIndex = Row < 0 ? -1 : ViewEntryAtRow(Row) ? ViewEntryAtRow(Row)->InSortedListIndex() : -1;
  B->RecView = nullptr;
  B->UseMemRec = true;
  GetCalcFields(Buffer);
}

void TCustomMemTableEh::CopyRecBuf(const TMTRecBuf& Source, TMTRecBuf& Dest) const
{
  const bool InUse = Dest.InUse;
  Dest.BookmarkData = Source.BookmarkData;
  Dest.BookmarkFlag = Source.BookmarkFlag;
  Dest.RecordStatus = Source.RecordStatus;
  Dest.RecordNumber = Source.RecordNumber;
  Dest.NewTreeNodeExpanded = Source.NewTreeNodeExpanded;
  Dest.NewTreeNodeHasChildren = Source.NewTreeNodeHasChildren;
  Dest.RecView = Source.RecView;
  Dest.MemRec = Source.MemRec;
  Dest.Values = Source.Values;
  Dest.UseMemRec = Source.UseMemRec;
  Dest.NeedUpdateCalcFields = Source.NeedUpdateCalcFields;
  Dest.InUse = InUse;
}

void TCustomMemTableEh::CopyRecBufToRecord(TMTRecBuf* Buffer, TMemoryRecordEh* Rec)
{
  if (State() == dsFilter)
    DatabaseError(QString::fromUtf8(dbconsts::SNotEditing), this);
  for (TField* F : *Fields()) {
    const Integer Slot = StorageIndex(F);
    if (Slot < 0 || (F->FieldKind() != fkData && F->FieldKind() != fkInternalCalc))
      continue;
    Variant V;
    Buffer->GetValue(F, V);
    Rec->SetDataValue(Slot, dvvValueEh, V);
  }
}

bool TCustomMemTableEh::GetActiveRecBuf(TMTRecBuf*& RecBufOut, bool IgnoreInstantRead) const
{
  RecBufOut = nullptr;
  if (FInstantReadMode && !IgnoreInstantRead) {
    RecBufOut = RecBuf(FInstantBuffers.back());
    return RecBufOut != nullptr;
  }
  TRecordBuffer B = 0;
  switch (State()) {
  case dsBrowse:
  case dsBlockRead: B = IsEmpty() ? 0 : ActiveBuffer(); break;
  case dsEdit:
  case dsInsert:
  case dsNewValue: B = ActiveBuffer(); break;
  case dsCalcFields: B = FCalcBuffer; break;
  case dsFilter: B = FFilterRecBuf ? FFilterRecBuf : FilterBuffer(); break;
  case dsOldValue:
  case dsCurValue: B = IsEmpty() ? 0 : ActiveBuffer(); break;
  case dsInternalCalc: B = FInstantBuffers.empty() ? 0 : FInstantBuffers.back(); break;
  default: break;
  }
  RecBufOut = RecBuf(B);
  return RecBufOut != nullptr;
}

// ---------------------------------------------------------------------------
// Field data.

bool TCustomMemTableEh::GetFieldData(TField* Field, Variant& Value) const
{
  TMTRecBuf* B = nullptr;
  if (!GetActiveRecBuf(B))
    return false;
  if (Field->FieldKind() == fkAggregate) {
    Value = GetAggregateValue(Field);
  } else {
    if (State() == dsOldValue)
      B->GetOldValue(Field, Value);
    else
      B->GetValue(Field, Value);
    if (OnGetFieldValue)
      OnGetFieldValue(const_cast<TCustomMemTableEh*>(this), Field, Value);
  }
  return !NullOrEmpty(Value);
}

Variant TCustomMemTableEh::GetOldFieldValue(TField* Field) const
{
  TMTRecBuf* B = nullptr;
  if (!GetActiveRecBuf(B) || B->BookmarkFlag != bfCurrent)
    return Null;
  Variant V;
  B->GetOldValue(Field, V);
  return NullOrEmpty(V) ? Variant(Null) : V;
}

bool TCustomMemTableEh::GetFieldValue(TField* Field, Variant& Value) const
{
  Value = Null;
  TMTRecBuf* B = nullptr;
  if (!GetActiveRecBuf(B))
    return false;
  B->GetValue(Field, Value);
  if (OnGetFieldValue)
    OnGetFieldValue(const_cast<TCustomMemTableEh*>(this), Field, Value);
  return !NullOrEmpty(Value);
}

String TCustomMemTableEh::GetFieldDisplayText(TField* Field) const
{
  switch (Field->DataType()) {
  case ftString:
  case ftMemo:
  case ftFmtMemo:
  case ftFixedChar:
  case ftWideString:
  case ftFixedWideChar:
  case ftWideMemo:
    if (!Field->OnGetText) {
      Variant V;
      return GetFieldValue(Field, V) ? VarToStr(V) : String();
    }
    break;
  default: break;
  }
  return Field->DisplayText();
}

bool TCustomMemTableEh::GetFieldDataAsObject(TField* Field, TObject*& Value) const
{
  Value = nullptr;
  Variant V;
  if (!GetFieldValue(Field, V))
    return false;
  Value = VarToRefObjectEh(V);
  return true;
}

void TCustomMemTableEh::SetFieldDataAsObject(TField* Field, TObject* Value)
{
  if ((State() < dsEdit || State() > dsNewValue) && State() != dsInternalCalc)
    DatabaseError(QString::fromUtf8(dbconsts::SNotEditing), this);
  TMTRecBuf* B = nullptr;
  if (!GetActiveRecBuf(B, true))
    return;
  Variant V = Null;
  if (Value)
    RefObjectToVarEh(Value, V);
  if (OnSetFieldValue)
    OnSetFieldValue(this, Field, V);
  B->SetValue(Field, V);
  const TDataSetState S = State();
  if (S != dsCalcFields && S != dsFilter && S != dsNewValue && S != dsInternalCalc)
    DataEvent(deFieldChange, reinterpret_cast<NativeInt>(Field));
}

void TCustomMemTableEh::SetFieldData(TField* Field, const Variant& Value)
{
  // Calculated and lookup fields too: written in browse state they would
  // overwrite the cached values of the record shown.
  const TDataSetState S = State();
  if ((S < dsEdit || S > dsNewValue) && S != dsInternalCalc)
    DatabaseError(QString::fromUtf8(dbconsts::SNotEditing), this);
  if ((Field->FieldKind() == fkData || Field->FieldKind() == fkInternalCalc) && Field->ReadOnly() &&
      S != dsSetKey && S != dsFilter && S != dsInternalCalc && S != dsCalcFields)
    DatabaseError(FmtText(dbconsts::SFieldReadOnly, {Field->DisplayName()}), this);
  TMTRecBuf* B = nullptr;
  if (!GetActiveRecBuf(B, true))
    return;
  Variant V = Value;
  CheckFieldDataVarValue(Field, V);
  if (OnSetFieldValue)
    OnSetFieldValue(this, Field, V);
  B->SetValue(Field, V);
  if (S != dsCalcFields && S != dsFilter && S != dsNewValue && S != dsInternalCalc)
    DataEvent(deFieldChange, reinterpret_cast<NativeInt>(Field));
}

void TCustomMemTableEh::CheckFieldDataVarValue(TField* Field, Variant& VarValue) const
{
  if (NullOrEmpty(VarValue))
    return;
  auto* Bcd = dynamic_cast<TBCDField*>(Field);
  if (!Bcd || Bcd->Precision() <= 0 || Field->DataType() != ftBCD)
    return;
  const double X = VarValue.AsDouble();
  if (!BcdValueFitsEh(VarValue, Bcd->Precision(), Field->Size()))
    throw Exception(QStringLiteral("BCD overflow"));
  if (Field->Size() < 4) {
    // Cut, not rounded, in the four-decimal fixed point of a currency.
    const double Scale = std::pow(10.0, Field->Size());
    const Int64 Fixed = Int64(std::llround(X * 10000.0));
    const Int64 Step = Int64(10000.0 / Scale);
    VarValue = Variant(Currency::FromRaw((Fixed / Step) * Step));
  }
}

TFieldClass TCustomMemTableEh::GetFieldClass(TFieldType FieldType) const
{
  if (FieldType == ftUnknown)
    return [](TComponent* Owner) -> TField* { return new TRefObjectField(Owner); };
  return inherited::GetFieldClass(FieldType);
}

std::unique_ptr<TStream> TCustomMemTableEh::CreateBlobStream(TField* Field, TBlobStreamMode Mode)
{
  auto* Blob = dynamic_cast<TBlobField*>(Field);
  if (!Blob)
    DatabaseError(FmtText(dbconsts::SFieldAccessError, {Field->DisplayName(), QStringLiteral("Blob")}), this);
  return std::make_unique<TMemBlobStreamEh>(Blob, Mode);
}

void TCustomMemTableEh::ClearCalcFields(TRecordBuffer Buffer)
{
  TMTRecBuf* B = RecBuf(Buffer);
  if (!B)
    return;
  for (TField* F : *Fields())
    if (IsCalcOrLookup(F))
      B->SetValue(F, Null);
}

void TCustomMemTableEh::CalculateFields(TRecordBuffer Buffer)
{
  FCalcBuffer = Buffer;
  TMTRecBuf* B = RecBuf(Buffer);
  if (!B)
    return;
  if (B->UseMemRec && !B->NeedUpdateCalcFields && B->RecView)
    return;   // the view entry's cached values serve
  const TDataSetState Save = State();
  const bool Temp = Save != dsCalcFields && Save != dsInternalCalc;
  if (Temp)
    SetTempState(dsCalcFields);
  ScopeExit Restore([&] {
    if (Temp)
      RestoreState(Save);
  });
  ClearCalcFields(Buffer);
  for (TField* F : *Fields())
    if (F->FieldKind() == fkLookup)
      CalcLookupValue(F);
  DoOnCalcFields();
  B->NeedUpdateCalcFields = false;
}

// A view entry keeps its record's calculated and lookup values, so that
// scrolling does not compute them again.
void TCustomMemTableEh::RecordsViewCalcLookupBuffer(TMemoryRecordEh* Rec, TMemRecViewEh* RecView)
{
  if (!FActive || !HasCalcFields() || !FFilterRecBuf)
    return;
  TMTRecBuf* B = RecBuf(FFilterRecBuf);
  const TDataSetState Save = SetTempState(dsCalcFields);
  ScopeExit Restore([&] { RestoreState(Save); });
  RecView->SetLookupBufferLength(FieldCount());
  B->SetLength(FieldCount());
  B->MemRec = Rec;
  B->UseMemRec = true;
  B->RecView = RecView;
  B->NeedUpdateCalcFields = true;
  B->RecordNumber = FRecordsView->IndexOfRec(Rec);
  CalculateFields(FFilterRecBuf);
  B->RecView = nullptr;
  B->MemRec = nullptr;
}

void TCustomMemTableEh::CalcInternalCalcFields(TMemoryRecordEh* MemRec, TRecDataValues& Values)
{
  const TDataSetState Save = SetTempState(dsInternalCalc);
  ScopeExit Restore([&] { RestoreState(Save); });
  InstantReadEnter(MemRec, -1);
  ScopeExit Leave([&] { InstantReadLeave(); });
  TMTRecBuf* B = RecBuf(FInstantBuffers.back());
  B->NeedUpdateCalcFields = true;
  B->UseMemRec = false;
  for (TField* F : *Fields()) {
    const Integer Slot = StorageIndex(F);
    if (Slot >= 0 && Slot < Integer(Values.size()))
      B->Values[size_t(F->Index())] = Values[size_t(Slot)];
  }
  CalculateFields(FInstantBuffers.back());
  for (TField* F : *Fields())
    if (F->FieldKind() == fkInternalCalc) {
      const Integer Slot = StorageIndex(F);
      if (Slot >= 0 && Slot < Integer(Values.size()))
        Values[size_t(Slot)] = B->Values[size_t(F->Index())];
    }
}

void TCustomMemTableEh::UpdateInternalCalcCallback()
{
  bool Has = false;
  for (TField* F : *Fields())
    Has = Has || F->FieldKind() == fkInternalCalc;
  if (FActive && Has && !FExternalMemData) {
    FInternMemTableData->SetOnFieldCalculation(
      [this](TMemoryRecordEh* Rec, TRecDataValues& Values) { CalcInternalCalcFields(Rec, Values); });
    MemTableData()->RecordsList()->Indexes()->UpdateIndexes();
  } else {
    FInternMemTableData->SetOnFieldCalculation(nullptr);
  }
}

// ---------------------------------------------------------------------------
// Cursor.

TMemRecViewEh* TCustomMemTableEh::ViewEntryAtRow(Integer Row) const
{
  if (Row < 0 || Row >= FRecordsView->ViewItemsCount())
    return nullptr;
  return FRecordsView->GetRecordView(Row);
}

void TCustomMemTableEh::FetchMoreRows(Integer Count)
{
  if (!FDataDriver)
    return;
  BeginViewUpdate();
  ScopeExit End([&] { EndViewUpdate(false); });
  FRecordsView->FetchRecords(FFetchAllOnOpen ? -1 : Count);
}

TGetResult TCustomMemTableEh::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck)
{
  TGetResult Result = grOK;
  switch (GetMode) {
  case gmCurrent:
    if (FRecordPos < 0 || FRecordPos >= FRecordsView->ViewItemsCount())
      Result = grError;
    break;
  case gmNext:
    if (FRecordPos >= FRecordsView->ViewItemsCount() - 1)
      FetchMoreRows(1);
    if (FRecordPos < FRecordsView->ViewItemsCount() - 1) {
      ++FRecordPos;
    } else {
      FRecordPos = FRecordsView->ViewItemsCount();
      Result = grEOF;
    }
    break;
  case gmPrior:
    if (FRecordPos > 0) {
      FRecordPos = std::min(FRecordPos, FRecordsView->ViewItemsCount()) - 1;
      if (FRecordPos < 0) {
        FRecordPos = -1;
        FInstantReadCurRowNum = 0;
        Result = grBOF;
      }
    } else {
      FRecordPos = -1;
      FInstantReadCurRowNum = 0;
      Result = grBOF;
    }
    break;
  }
  if (FRecordPos >= 0)
    FInstantReadCurRowNum = FRecordPos;
  if (Result == grOK) {
    FillRecBuf(FRecordsView->GetViewRecord(FRecordPos), FRecordPos, Buffer);
    RecBuf(Buffer)->RecView = ViewEntryAtRow(FRecordPos);
  } else if (Result == grError && DoCheck) {
    DatabaseError(QString::fromUtf8(dbconsts::SNoDataFound), this);
  }
  return Result;
}

void TCustomMemTableEh::InternalFirst()
{
  FRecordPos = -1;
  FInstantReadCurRowNum = 0;
}

void TCustomMemTableEh::InternalLast()
{
  if (FDataDriver) {
    BeginViewUpdate();
    ScopeExit End([&] { EndViewUpdate(false); });
    FRecordsView->FetchRecords(-1);
  }
  FRecordPos = FRecordsView->ViewItemsCount();
  const TDataSetState S = State();
  FInstantReadCurRowNum = S == dsEdit || S == dsInsert || S == dsSetKey ? FRecordPos : FRecordPos - 1;
}

Integer TCustomMemTableEh::GetRecordCount() const
{
  CheckActive();
  return FRecordsView->ViewItemsCount();
}

Integer TCustomMemTableEh::GetRecNo() const
{
  CheckActive();
  TMTRecBuf* B = nullptr;
  if (!GetActiveRecBuf(B))
    return -1;
  return B->RecordNumber + 1;
}

void TCustomMemTableEh::SetRecNoValue(Integer Value)
{
  if (Value < 1 || Value > FRecordsView->ViewItemsCount())
    return;
  CheckBrowseMode();
  DoBeforeScroll();
  FRecordPos = Value - 1;
  Resync({rmExact, rmCenter});
  DoAfterScroll();
}

bool TCustomMemTableEh::FindRecord(bool Restart, bool GoForward)
{
  (void)Restart;
  (void)GoForward;
  DatabaseError(QStringLiteral("FindRecord is not supported"), this);
}

bool TCustomMemTableEh::GotoRec(TMemoryRecordEh* ARec)
{
  CheckActive();
  const Integer Row = FRecordsView->IndexOfRec(ARec);
  if (Row < 0)
    return false;
  if (Row + 1 == RecNo())
    return true;
  SetRecNoValue(Row + 1);
  return true;
}

void TCustomMemTableEh::Resync(TResyncMode Mode)
{
  if (FRecordsViewUpdating > 0) {
    FRecordsViewUpdated = true;
    return;
  }
  inherited::Resync(Mode);
}

void TCustomMemTableEh::BeginViewUpdate() { ++FRecordsViewUpdating; }

void TCustomMemTableEh::EndViewUpdate(bool ResyncIfChanged)
{
  if (FRecordsViewUpdating > 0)
    --FRecordsViewUpdating;
  if (ResyncIfChanged && FRecordsViewUpdating == 0 && FRecordsViewUpdated) {
    FRecordsViewUpdated = false;
    if (State() != dsEdit && State() != dsInsert && Active())
      Resync({});
  }
}

// ---------------------------------------------------------------------------
// Bookmarks.

TBookmark TCustomMemTableEh::GetBookmarkData(TRecordBuffer Buffer) const
{
  return BookmarkDataToBytes(RecBuf(Buffer)->BookmarkData);
}

void TCustomMemTableEh::SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data)
{
  RecBuf(Buffer)->BookmarkData = BytesToBookmarkData(Data);
}

TBookmarkFlag TCustomMemTableEh::GetBookmarkFlag(TRecordBuffer Buffer) const { return RecBuf(Buffer)->BookmarkFlag; }

void TCustomMemTableEh::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value)
{
  RecBuf(Buffer)->BookmarkFlag = Value;
}

TBookmark TCustomMemTableEh::GetBookmarkOrInstant() const
{
  if (FInstantReadMode) {
    TMTRecBuf* B = RecBuf(FInstantBuffers.back());
    return B && B->MemRec ? BookmarkDataToBytes(B->BookmarkData) : TBookmark();
  }
  return GetBookmark();
}

TMemoryRecordEh* TCustomMemTableEh::BookmarkToRec(const TBookmark& Bookmark) const
{
  if (Bookmark.isEmpty() || !MemTableData())
    return nullptr;
  const TBookmarkDataEh D = BytesToBookmarkData(Bookmark);
  return D.RecId ? MemTableData()->RecordsList()->RecordById(D.RecId) : nullptr;
}

TBookmark TCustomMemTableEh::RecToBookmark(TMemoryRecordEh* ARec) const
{
  TBookmarkDataEh D;
  D.RecId = ARec ? ARec->RecordId() : 0;
  return BookmarkDataToBytes(D);
}

bool TCustomMemTableEh::UpdateBookmarkIndexes(TBookmarkDataEh& Data) const
{
  TMemoryRecordEh* R = Data.RecId && MemTableData() ? MemTableData()->RecordsList()->RecordById(Data.RecId) : nullptr;
  if (!R) {
    Data.RecViewIndex = -1;
    Data.InSortedListIndex = -1;
    return false;
  }
  if (Data.RecViewIndex >= 0 && Data.RecViewIndex < FRecordsView->ViewItemsCount() &&
      FRecordsView->GetViewRecord(Data.RecViewIndex) == R && Data.InSortedListIndex >= 0)
    return true;
  Data.RecViewIndex = FRecordsView->IndexOfRec(R);
  Data.InSortedListIndex = FRecordsView->IndexOfSortedListRec(R);
  return Data.InSortedListIndex >= 0;
}

bool TCustomMemTableEh::BookmarkValid(const TBookmark& Bookmark) const
{
  if (Bookmark.isEmpty() || !FActive)
    return false;
  TBookmarkDataEh D = BytesToBookmarkData(Bookmark);
  return UpdateBookmarkIndexes(D);
}

bool TCustomMemTableEh::BookmarkInVisibleView(const TBookmark& Bookmark)
{
  if (Bookmark.isEmpty() || !FActive)
    return false;
  TBookmarkDataEh D = BytesToBookmarkData(Bookmark);
  return UpdateBookmarkIndexes(D) && D.RecViewIndex >= 0;
}

Integer TCustomMemTableEh::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) const
{
  if (Bookmark1.isEmpty() || Bookmark2.isEmpty())
    return inherited::CompareBookmarks(Bookmark1, Bookmark2);
  TBookmarkDataEh D1 = BytesToBookmarkData(Bookmark1);
  TBookmarkDataEh D2 = BytesToBookmarkData(Bookmark2);
  UpdateBookmarkIndexes(D1);
  UpdateBookmarkIndexes(D2);
  if (D1.InSortedListIndex == D2.InSortedListIndex)
    return 0;
  return D1.InSortedListIndex < D2.InSortedListIndex ? -1 : 1;
}

Integer TCustomMemTableEh::BookmarkToRecNo(const TBookmark& Bookmark) const
{
  TBookmarkDataEh D = BytesToBookmarkData(Bookmark);
  UpdateBookmarkIndexes(D);
  return D.RecViewIndex + 1;
}

void TCustomMemTableEh::InternalGotoBookmark(const TBookmark& Bookmark)
{
  TMemoryRecordEh* R = BookmarkToRec(Bookmark);
  const Integer Row = R ? FRecordsView->IndexOfRec(R) : -1;
  if (Row < 0 || Row >= FRecordsView->ViewItemsCount())
    DatabaseError(QString::fromUtf8(dbconsts::SRecordNotFound), this);
  FRecordPos = Row;
  FInstantReadCurRowNum = Row;
}

void TCustomMemTableEh::InternalSetToRecord(TRecordBuffer Buffer)
{
  InternalGotoBookmark(GetBookmarkData(Buffer));
}

// ---------------------------------------------------------------------------
// Component.

TCustomMemTableEh::TCustomMemTableEh(TComponent* AOwner) : TDataSet(AOwner)
{
  FInternMemTableData = CreateMemTableData();
  FInternMemTableData->SetName(QStringLiteral("MemTableData"));
  FRecordsView = std::make_unique<TRecordsViewEh>(this);
  FRecordsView->SetMemTableData(FInternMemTableData.get());
  FRecordsView->OnFilterRecord = [this](TMemoryRecordEh* R, Integer) { return RecordsViewFilterRecord(R, nullptr); };
  FRecordsView->OnParseOrderByStr = [this](const String& S) -> std::unique_ptr<TObject> { return ParseOrderByStr(S); };
  FRecordsView->OnCompareRecords = [this](TMemoryRecordEh* A, TMemoryRecordEh* B, TObject* P) {
    return CompareRecords(A, B, P);
  };
  FRecordsView->OnCompareTreeNode = [this](TBaseTreeNodeEh* A, TBaseTreeNodeEh* B, TObject* P) {
    return CompareTreeNodes(A, B, P);
  };
  FRecordsView->OnGetPrefilteredList = [this]() -> const std::vector<TMemoryRecordEh*>* { return nullptr; };
  FRecordsView->OnViewDataEvent = [this](TMemoryRecordEh* R, Integer I, TRecordsListNotification A) {
    RecordsViewDataEvent(R, I, A);
  };
  FRecordsView->OnViewRecordMovedEvent = [this](TMemoryRecordEh* R, Integer O, Integer N) {
    RecordsViewRecordMoved(R, O, N);
  };
  FRecordsView->OnStructChanged = [this](TMemTableDataEh*) { RecordsViewStructChanged(); };
  FRecordsView->OnCalcLookupBuffer = [this](TMemoryRecordEh* R, TMemRecViewEh* N) { RecordsViewCalcLookupBuffer(R, N); };
  FRecordsView->MemoryTreeList()->OnExpandedChanging = [this](TBaseTreeNodeEh* N) {
    return TreeListExpandedChanging(static_cast<TMemRecViewEh*>(N));
  };
  FRecordsView->MemoryTreeList()->OnExpandedChanged = [this](TBaseTreeNodeEh* N) {
    TreeListExpandedChanged(static_cast<TMemRecViewEh*>(N));
  };
  FMasterDataLink = std::make_unique<TMasterDataLinkEh>(this);
  FMasterDataLink->OnMasterChange = [this](TObject* S) { MasterChanged(S); };
  FParams = std::make_unique<TParams>(this);
  FFilterExpr = std::make_unique<TDataSetExprParserEh>(this, dsptFilterEh);
  FTreeList = std::make_unique<TMemTableTreeListEh>(this);
  FExtraFilters = std::make_unique<TMemTableFiltersEh>(this);
  FAggrWalk = std::make_unique<TRecordsViewWalkEh>(FRecordsView.get());
  FAggregates = std::make_unique<TMTAggregatesEh>(this, this, FAggrWalk.get(), FInternMemTableData->DataStruct());
  FRecordsView->SetAggregates(FAggregates.get());
  FRecordsView->OnRecalcAggregates = [this](TRecordsViewEh*) {
    if (FActive && FAggregates->Active())
      FAggregates->Recalc();
  };
}

TCustomMemTableEh::~TCustomMemTableEh()
{
  FDestroying = true;
  try {
    Close();
  } catch (...) {
  }
  FRecordsView->OnViewDataEvent = nullptr;
  FRecordsView->OnStructChanged = nullptr;
  FRecordsView->OnCalcLookupBuffer = nullptr;
  FRecordsView->OnRecalcAggregates = nullptr;
  FRecordsView->SetAggregates(nullptr);
  if (!FExternalMemData && FInternMemTableData) {
    FInternMemTableData->RecordsList()->Clear();
    FInternMemTableData->AutoIncrement()->Reset();
  }
  FRecordsView.reset();
  FMasterDataLink.reset();
}

std::unique_ptr<TMemTableDataEh> TCustomMemTableEh::CreateMemTableData()
{
  return std::make_unique<TMemTableDataEh>(nullptr);
}

TMemTableDataEh* TCustomMemTableEh::MemTableData() const { return FRecordsView->MemTableData(); }

TAutoIncrementEh* TCustomMemTableEh::AutoIncrement() const { return MemTableData()->AutoIncrement(); }

void TCustomMemTableEh::SetReadOnly(bool Value)
{
  if (Value == FReadOnly)
    return;
  FReadOnly = Value;
  DataEvent(deDataSetChange, 0);
}

void TCustomMemTableEh::SetOptions(TMemTableOptionsEh Value)
{
  FOptions = Value;
  TFilterOptions FO = FilterOptions();
  if (Value.Contains(mtoTextFieldsCaseInsensitive))
    FO << foCaseInsensitive;
  else
    FO >> foCaseInsensitive;
  SetFilterOptions(FO);
  FRecordsView->SetSortOrderCaseInsensitive(Value.Contains(mtoTextFieldsCaseInsensitive));
}

bool TCustomMemTableEh::CachedUpdates() const { return MemTableData()->RecordsList()->CachedUpdates(); }

void TCustomMemTableEh::SetCachedUpdates(bool Value) { MemTableData()->RecordsList()->SetCachedUpdates(Value); }

TUpdateStatusSet TCustomMemTableEh::StatusFilter() const { return FRecordsView->StatusFilter(); }

void TCustomMemTableEh::SetStatusFilter(TUpdateStatusSet Value)
{
  FRecordsView->SetStatusFilter(Value);
  if (FActive) {
    ClearBuffers();
    InternalFirst();
    Resync({});
  }
}

bool TCustomMemTableEh::AggregatesActive() const { return FAggregates->Active(); }

void TCustomMemTableEh::SetAggregatesActive(bool Value)
{
  if (Value == FAggregates->Active())
    return;
  FAggregates->SetActive(Value);
  if (FActive)
    DataEvent(deDataSetChange, 0);
}

Variant TCustomMemTableEh::GetAggregateValue(TField* Field) const
{
  (void)Field;
  return Null;
}

void TCustomMemTableEh::ResetAggField(TField* Field) { (void)Field; }

void TCustomMemTableEh::SetExternalMemData(TCustomMemTableEh* Value)
{
  if (Value == FExternalMemData)
    return;
  if (Value == this)
    throw Exception(QString::fromUtf8(dbconsts::SCircularDataLink));
  if (Value && FDataDriver)
    throw Exception(QStringLiteral("Assigning to ExternalMemData is not allowed if DataDriver is assigned"));
  const bool WasActive = Active();
  if (!ComponentState().Contains(csLoading))
    Close();
  if (FExternalMemData)
    FExternalMemData->RemoveFreeNotification(this);
  FRecordsView->SetMemTableData(Value ? Value->FInternMemTableData.get() : FInternMemTableData.get());
  if (Value)
    Value->FreeNotification(this);
  FExternalMemData = Value;
  if (WasActive && !ComponentState().Contains(csDestroying))
    Open();
}

void TCustomMemTableEh::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FExternalMemData && FExternalMemData) {
    FExternalMemData = nullptr;
    if (!FDestroying)
      FRecordsView->SetMemTableData(FInternMemTableData.get());
  }
  if (AComponent == FDataSetReader)
    FDataSetReader = nullptr;
  if (reinterpret_cast<void*>(AComponent) == reinterpret_cast<void*>(FDataDriver))
    FDataDriver = nullptr;
  auto It = std::find(FEventReceivers.begin(), FEventReceivers.end(), AComponent);
  if (It != FEventReceivers.end())
    FEventReceivers.erase(It);
}

void TCustomMemTableEh::Loaded()
{
  FInLoaded = true;
  ScopeExit Done([&] { FInLoaded = false; });
  inherited::Loaded();
  if (FTreeList->FLoadingActive)
    FTreeList->SetActive(true);
}

void TCustomMemTableEh::InternalHandleException()
{
  if (Application)
    Application->HandleException(this);
}

TDataSource* TCustomMemTableEh::GetDataSource() const { return FMasterDataLink->DataSource(); }

void TCustomMemTableEh::DefChanged(TObject* Sender)
{
  (void)Sender;
  FStoreDefs = true;
}

void TCustomMemTableEh::UpdateIndexDefs()
{
  if (!FActive || IndexDefs()->Updated())
    return;
  IndexDefs()->Clear();
  IndexDefs()->SetUpdated(true);
}

void TCustomMemTableEh::CreateIndexes()
{
  TMTIndexesEh* Indexes = MemTableData()->RecordsList()->Indexes();
  for (Integer I = 0; I < IndexDefs()->Count(); ++I) {
    TIndexDef* D = IndexDefs()->Items(I);
    TMTIndexEh* X = Indexes->Add();
    X->SetFields(D->Fields());
    X->SetUnical(D->Options().Contains(ixUnique));
    X->SetPrimary(D->Options().Contains(ixPrimary));
  }
  for (Integer I = 0; I < Indexes->Count(); ++I)
    Indexes->GetItem(I)->SetActive(true);
}

// ---------------------------------------------------------------------------
// Opening and structure.

void TCustomMemTableEh::OpenCursor(bool InfoQuery)
{
  if (!InfoQuery && !FDataDriver && MemTableData()->DataStruct()->Count() == 0)
    DatabaseError(QStringLiteral("MemTable doesn't have data."), this);
  if (!InfoQuery)
    OpenDriverReader();
  if (!InfoQuery)
    FActive = true;
  try {
    inherited::OpenCursor(InfoQuery);
  } catch (...) {
    FActive = false;
    throw;
  }
  if (!InfoQuery) {
    RefreshFilter();
    FetchOnOpen();
  }
}

void TCustomMemTableEh::InternalOpen()
{
  FieldDefs()->SetUpdated(false);
  InternalInitFieldDefs();
  FieldDefs()->SetUpdated(true);
  if (DefaultFields())
    CreateFields();
  BindFields(true);
  if (FieldCount() == 0)
    DatabaseError(QString::fromUtf8(dbconsts::SNoFieldsDefined), this);
  FRecBufSize = -1;
  InternalFirst();
  UpdateDetailMode(false);
  ReparseFilter();
  FRecordsView->UpdateFields();
  FAggregates->Reset();
  ApplySortOrder();
  UpdateInternalCalcCallback();
}

void TCustomMemTableEh::InternalClose()
{
  FMasterValList.Clear();
  FActive = false;
  FFilterExpr->ParseExpression(String());
  FAutoInc = 1;
  BindFields(false);
  if (DefaultFields())
    DestroyFields();
  CloseDriverReader();
  FDataSetReader = nullptr;
  FRecordsView->SetSortOrder(String());
  FInternMemTableData->SetOnFieldCalculation(nullptr);
}

void TCustomMemTableEh::InternalInitFieldDefs()
{
  FieldDefs()->Clear();
  TMTDataStructEh* Struct = MemTableData()->DataStruct();
  for (Integer I = 0; I < Struct->Count(); ++I) {
    TMTDataFieldEh* F = Struct->GetDataField(I);
    TFieldDef* D = FieldDefs()->AddFieldDef();
    D->SetName(F->GetFieldName());
    D->SetDataType(F->GetDataType());
    if (F->CanDinaSize())
      D->SetSize(F->GetSize());
    if (auto* N = dynamic_cast<TMTNumericDataFieldEh*>(F))
      D->SetPrecision(N->Precision());
    D->SetRequired(F->GetRequired());
    D->SetFieldNo(I + 1);
  }
}

void TCustomMemTableEh::CreateFields()
{
  inherited::CreateFields();
  TMTDataStructEh* Struct = MemTableData()->DataStruct();
  for (TField* F : *Fields()) {
    if (TMTDataFieldEh* D = Struct->FindField(F->FieldName()))
      D->AssignPropsTo(F);
  }
}

// The persistent fields decide the structure; fields of kinds the storage
// cannot hold are refused by name.
void TCustomMemTableEh::CreateDataSet()
{
  CheckInactive();
  if (Fields()->Count() > 0) {
    FieldDefs()->Clear();
    for (TField* F : *Fields()) {
      if (F->FieldKind() != fkData && F->FieldKind() != fkInternalCalc)
        continue;
      const TFieldType T = F->DataType();
      if (T == ftADT || T == ftArray || T == ftReference || T == ftDataSet || T == ftConnection || T == ftParams ||
          T == ftStream || T == ftObject || T > ftSingle)
        DatabaseError(FmtText("Field '%s' is of an unknown type", {F->DisplayName()}), this);
      TFieldDef* D = FieldDefs()->AddFieldDef();
      D->SetName(F->FieldName());
      D->SetDataType(T);
      D->SetSize(F->Size());
      if (auto* B = dynamic_cast<TBCDField*>(F))
        D->SetPrecision(B->Precision());
      D->SetRequired(F->Required());
      D->SetInternalCalcField(F->FieldKind() == fkInternalCalc);
    }
  }
  for (Integer I = 0; I < FieldDefs()->Count(); ++I) {
    const TFieldType T = FieldDefs()->Items(I)->DataType();
    if (T == ftADT || T == ftArray || T == ftReference || T == ftDataSet || T == ftConnection || T == ftParams ||
        T == ftStream || T == ftObject || T > ftSingle)
      DatabaseError(FmtText("Field '%s' is of an unknown type", {FieldDefs()->Items(I)->Name()}), this);
  }
  MemTableData()->DestroyTable();
  MemTableData()->DataStruct()->BuildStructFromFieldDefs(FieldDefs());
  if (!FAutoIncrementFieldName.isEmpty())
    if (TMTDataFieldEh* D = MemTableData()->DataStruct()->FindField(FAutoIncrementFieldName))
      D->SetAutoIncrement(true);
  for (TField* F : *Fields())
    if (F->DataType() == ftAutoInc)
      if (TMTDataFieldEh* D = MemTableData()->DataStruct()->FindField(F->FieldName()))
        D->SetAutoIncrement(true);
  Open();
}

void TCustomMemTableEh::CopyStructure(TDataSet* Source)
{
  CheckInactive();
  for (TField* F : std::vector<TField*>(Fields()->begin(), Fields()->end()))
    delete F;
  FieldDefs()->Clear();
  if (!Source)
    return;
  Source->FieldDefs()->Update();
  for (Integer I = 0; I < Source->FieldDefs()->Count(); ++I) {
    TFieldDef* S = Source->FieldDefs()->Items(I);
    const TFieldType T = S->DataType();
    if (T == ftADT || T == ftArray || T == ftReference || T == ftDataSet || T == ftConnection || T == ftParams ||
        T == ftStream || T == ftObject || T > ftSingle)
      continue;
    FieldDefs()->AddFieldDef()->Assign(S);
  }
}

void TCustomMemTableEh::EmptyTable()
{
  if (!Active())
    return;
  CheckBrowseMode();
  BeginViewUpdate();
  ScopeExit End([&] { EndViewUpdate(true); });
  ClearBuffers();
  MemTableData()->RecordsList()->Clear();
  MemTableData()->AutoIncrement()->Reset();
  InternalFirst();
  FRecordsViewUpdated = true;
}

void TCustomMemTableEh::DestroyTable()
{
  Close();
  MemTableData()->DestroyTable();
}

void TCustomMemTableEh::RecordsViewStructChanged()
{
  if (!Active() || FDestroying)
    return;
  Close();
  if (FDataDriver || MemTableData()->DataStruct()->Count() > 0)
    Open();
}

void TCustomMemTableEh::DataEvent(TDataEvent Event, NativeInt Info)
{
  switch (Event) {
  case deLayoutChange:
    if (FActive)
      FRecordsView->UpdateAllLookupBuffer();
    break;
  case deUpdateState:
    if (State() == dsInsert && !FStateInsert) {
      FStateInsert = true;
      // Remembered after the report, which would otherwise count the new
      // row as one inserted above it.
      const Integer Row = FInstantReadCurRowNum;
      MTViewDataEvent(Row, mtRowInsertedEh, -1);
      FStateInsertRowNum = Row;
    } else if (State() == dsBrowse && FStateInsert) {
      const Integer Row = FStateInsertRowNum;
      FStateInsert = false;
      FStateInsertRowNum = -1;
      if (FRecordsView->ViewAsTreeList())
        MTViewDataEvent(-1, mtViewDataChangedEh, -1);
      else
        MTViewDataEvent(Row, mtRowDeletedEh, -1);
    }
    break;
  case deFieldListChange:
    if (FActive && !ComponentState().Contains(csLoading)) {
      FAggregates->Reset();
      if (State() == dsBrowse)
        Resync({});
    }
    break;
  default: break;
  }
  if (FActive && !ControlsDisabled() && FMTViewDataEventInactiveCount > 0) {
    FMTViewDataEventInactiveCount = 0;
    MTViewDataEvent(FInactiveEventRowNum, FInactiveEvent, FInactiveEventOldRowNum);
  }
  inherited::DataEvent(Event, Info);
  if (Active() && !FOldActive)
    MTViewDataEvent(-1, mtViewDataChangedEh, -1);
  FOldControlsDisabled = ControlsDisabled();
  FOldActive = Active();
}

// ---------------------------------------------------------------------------
// Record, instant reading and the grids' interface.

TMemoryRecordEh* TCustomMemTableEh::Rec() const
{
  TMTRecBuf* B = nullptr;
  return GetActiveRecBuf(B) ? B->MemRec : nullptr;
}

TMemRecViewEh* TCustomMemTableEh::RecView() const
{
  TMTRecBuf* B = nullptr;
  return GetActiveRecBuf(B) ? B->RecView : nullptr;
}

TUpdateStatus TCustomMemTableEh::UpdateStatus() const
{
  if (State() == dsInsert)
    return usInserted;
  TMemoryRecordEh* R = Rec();
  return R ? R->UpdateStatus() : usUnmodified;
}

void TCustomMemTableEh::InstantReadEnter(Integer RowNum)
{
  const TRecordBuffer Handle = AllocRecordBuffer();
  FInstantBuffers.push_back(Handle);
  FInstantReadMode = true;
  TMTRecBuf* B = RecBuf(Handle);
  const TDataSetState S = State();
  if ((S == dsEdit || S == dsInsert) && RowNum == FInstantReadCurRowNum && ActiveBuffer()) {
    CopyRecBuf(*RecBuf(ActiveBuffer()), *B);
    if (S == dsInsert) {
      B->RecordNumber = -1;
      B->RecView = nullptr;
      B->MemRec = nullptr;
      B->BookmarkData = TBookmarkDataEh();
    }
    return;
  }
  if (FRecordsView->ViewItemsCount() > 0) {
    if (S == dsInsert && RowNum > FInstantReadCurRowNum)
      --RowNum;
    if (RowNum < 0 || RowNum >= FRecordsView->ViewItemsCount()) {
      InternalInitRecord(Handle);
      return;
    }
    TMemoryRecordEh* R = FRecordsView->GetViewRecord(RowNum);
    B->SetLength(FieldCount());
    B->RecordNumber = RowNum;
    B->BookmarkFlag = bfCurrent;
    B->MemRec = R;
    B->RecView = ViewEntryAtRow(RowNum);
    B->UseMemRec = true;
    B->NeedUpdateCalcFields = false;
    B->BookmarkData.RecId = R->RecordId();
    B->BookmarkData.RecViewIndex = RowNum;
    B->BookmarkData.InSortedListIndex = -1;
    if (!B->RecView || B->RecView->LookupBuffer().empty()) {
      B->NeedUpdateCalcFields = true;
      GetCalcFields(Handle);
    }
    return;
  }
  InternalInitRecord(Handle);
}

void TCustomMemTableEh::InstantReadEnter(TMemRecViewEh* ARecView, Integer RowNum)
{
  InstantReadEnter(ARecView->Rec(), RowNum);
  RecBuf(FInstantBuffers.back())->RecView = ARecView;
}

void TCustomMemTableEh::InstantReadEnter(TMemoryRecordEh* MemRec, Integer RowNum)
{
  const TRecordBuffer Handle = AllocRecordBuffer();
  FInstantBuffers.push_back(Handle);
  FInstantReadMode = true;
  TMTRecBuf* B = RecBuf(Handle);
  B->SetLength(FieldCount());
  B->RecordNumber = RowNum;
  B->BookmarkFlag = bfCurrent;
  B->MemRec = MemRec;
  B->RecView = nullptr;
  B->UseMemRec = true;
  B->BookmarkData.RecId = MemRec ? MemRec->RecordId() : 0;
  B->BookmarkData.RecViewIndex = RowNum;
}

void TCustomMemTableEh::InstantReadLeave()
{
  if (FInstantBuffers.empty())
    throw Exception(QStringLiteral("TCustomMemTableEh not in instant read mode."));
  TRecordBuffer Handle = FInstantBuffers.back();
  FInstantBuffers.pop_back();
  FreeRecordBuffer(Handle);
  FInstantReadMode = !FInstantBuffers.empty();
}

Integer TCustomMemTableEh::FetchRecords(Integer Count)
{
  if (!FActive)
    return 0;
  BeginViewUpdate();
  const Integer Before = FRecordsView->ViewItemsCount();
  ScopeExit End([&] { EndViewUpdate(true); });
  const Integer N = MemTableData()->FetchRecords(Count);
  if (FRecordsView->ViewItemsCount() != Before)
    FRecordsViewUpdated = true;
  return N;
}

Integer TCustomMemTableEh::GetInstantReadCurRow()
{
  UpdateCursorPos();
  return FInstantReadCurRowNum;
}

Integer TCustomMemTableEh::InstantReadIndexOfBookmark(const TBookmark& Bookmark)
{
  if (Bookmark.isEmpty())
    return -1;
  return BookmarkToRecNo(Bookmark) - 1;
}

Integer TCustomMemTableEh::InstantReadRowCount()
{
  if (FRecordsViewUpdating == 0)
    UpdateCursorPos();
  return RecordCount() + (State() == dsInsert ? 1 : 0);
}

Integer TCustomMemTableEh::InstantReadViewRow()
{
  if (!FInstantReadMode)
    return GetInstantReadCurRow();
  const Integer R = RecBuf(FInstantBuffers.back())->RecordNumber;
  if (State() != dsInsert)
    return R;
  if (R == -1)
    return FInstantReadCurRowNum;
  return R >= FInstantReadCurRowNum ? R + 1 : R;
}

bool TCustomMemTableEh::GetViewAsTreeList() { return FRecordsView->ViewAsTreeList(); }

void TCustomMemTableEh::GetAggregatedValuesForRange(const TBookmark& FromBM, const TBookmark& ToBM,
                                                    const String& FieldName, TAggrResultArr& ResultArr,
                                                    TAggrFunctionsEh AggrFuncs)
{
  ResultArr = {Variant(Null), Variant(0), Variant(Null), Variant(Null), Variant(Null)};
  if (!FActive)
    return;
  if ((!FromBM.isEmpty() && !BookmarkValid(FromBM)) || (!ToBM.isEmpty() && !BookmarkValid(ToBM)))
    return;
  const Integer From = FromBM.isEmpty() ? 1 : BookmarkToRecNo(FromBM);
  const Integer To = ToBM.isEmpty() ? RecordCount() : BookmarkToRecNo(ToBM);
  if (From <= 0 || To <= 0)
    return;
  if (FieldName.isEmpty() && AggrFuncs == TAggrFunctionsEh{agfCountEh}) {
    ResultArr[agfCountEh] = Variant(std::max(To - From + 1, 0));
    return;
  }
  TMTDataStructEh* Struct = MemTableData()->DataStruct();
  const Integer Col = Struct->FieldIndex(FieldName);
  if (Col < 0)
    return;
  const TVarType VT = Struct->GetDataField(Col)->GetVarDataType();
  const bool IsDate = VT == varDate;
  const bool Numeric = IsDate || VT == varSmallint || VT == varInteger || VT == varSingle || VT == varDouble ||
                       VT == varCurrency || VT == varByte || VT == varWord || VT == varLongWord ||
                       VT == varShortInt || VT == varInt64 || VT == varUInt64;
  Integer Count = 0;
  Variant Sum = Null, Min = Null, Max = Null;
  for (Integer Row = From; Row <= To && Row <= RecordCount(); ++Row) {
    const Variant& V = FRecordsView->GetViewRecord(Row - 1)->Value(Col);
    if (NullOrEmpty(V))
      continue;
    if (AggrFuncs.Contains(agfCountEh) || AggrFuncs.Contains(agfAvg))
      ++Count;
    if (!Numeric)
      continue;
    if ((AggrFuncs.Contains(agfSumEh) || AggrFuncs.Contains(agfAvg)) && !IsDate)
      Sum = VarIsNull(Sum) ? V : Variant(Sum.AsDouble() + V.AsDouble());
    if (AggrFuncs.Contains(agfMin) && (VarIsNull(Min) || VarCompareValue(V, Min) == vrLessThan))
      Min = V;
    if (AggrFuncs.Contains(agfMax) && (VarIsNull(Max) || VarCompareValue(V, Max) == vrGreaterThan))
      Max = V;
  }
  ResultArr[agfSumEh] = Sum;
  ResultArr[agfCountEh] = Variant(Count);
  ResultArr[agfMin] = Min;
  ResultArr[agfMax] = Max;
  if (AggrFuncs.Contains(agfAvg) && !VarIsNull(Sum) && Count > 0)
    ResultArr[agfAvg] = Variant(Sum.AsDouble() / Count);
}

void TCustomMemTableEh::MTEnableControls(bool ForceUpdateState)
{
  if (ControlsDisabled()) {
    MTViewDataEvent(-1, mtViewDataChangedEh, -1);
    if (ForceUpdateState)
      DataEvent(deDisabledStateChange, -1);
  }
  EnableControls();
}

void TCustomMemTableEh::RegisterEventReceiver(TComponent* Component)
{
  if (std::find(FEventReceivers.begin(), FEventReceivers.end(), Component) != FEventReceivers.end())
    return;
  FEventReceivers.push_back(Component);
  Component->FreeNotification(this);
}

void TCustomMemTableEh::UnregisterEventReceiver(TComponent* Component)
{
  FEventReceivers.erase(std::remove(FEventReceivers.begin(), FEventReceivers.end(), Component),
                        FEventReceivers.end());
}

void TCustomMemTableEh::SetFilterAborted() { FRecordsView->AbortFilter(); }

TMemTableFilterItemEh* TCustomMemTableEh::AddExtraFilter(const String& FilterText, const TFilterRecordEvent& FilterProc)
{
  TMemTableFilterItemEh* Item = FExtraFilters->Add();
  Item->SetFilter(FilterText);
  Item->SetOnFilterRecord(FilterProc);
  Item->SetActive(true);
  return Item;
}

bool TCustomMemTableEh::UpdateExtraFilter(TMemTableFilterItemEh* Item, const String& FilterText,
                                          const TFilterRecordEvent& FilterProc, bool SameProc)
{
  if (FExtraFilters->IndexOfFilter(Item) < 0)
    return false;
  if (Item->Filter() != FilterText) {
    Item->SetOnFilterRecord(FilterProc);
    Item->SetFilter(FilterText);
  } else if (SameProc) {
    Item->FilterProcChanged();
  } else {
    Item->SetOnFilterRecord(FilterProc);
  }
  return true;
}

bool TCustomMemTableEh::RemoveExtraFilter(TMemTableFilterItemEh* Item)
{
  if (FExtraFilters->IndexOfFilter(Item) < 0)
    return false;
  delete Item;
  return true;
}

std::shared_ptr<IMemTableDataFieldValueListEh> TCustomMemTableEh::GetFieldValueList(const String& FieldName)
{
  TField* F = FindField(FieldName);
  if (!F)
    return nullptr;
  if (F->FieldKind() == fkLookup) {
    auto L = std::make_shared<TDatasetFieldValueListEh>();
    L->SetDataSet(F->LookupDataSet());
    L->SetFieldName(F->LookupResultField());
    return L;
  }
  auto L = std::make_shared<TMemTableDataFieldValueListEh>(this);
  L->SetDataObject(MemTableData());
  L->SetFieldName(FieldName);
  return L;
}

TMemTableEh::TMemTableEh(TComponent* AOwner) : TCustomMemTableEh(AOwner) {}

// ---------------------------------------------------------------------------
// Registration.

void RegisterMemTableClasses()
{
  static std::once_flag Once;
  std::call_once(Once, [] {
    RegisterMemTableDataClasses();
    RegisterEnum<TMemTableOptionEh>("TMemTableOptionEh", {"mtoPersistentStructEh", "mtoTextFieldsCaseInsensitive"});
    RegisterEnum<TMasterDetailSideEh>("TMasterDetailSideEh",
                                      {"mdsOnSelfEh", "mdsOnProviderEh", "mdsOnSelfAfterProviderEh"});
    using L = TMemTableTreeListEh;
    RegisterClassInfo<L, TPersistent>("TMemTableTreeListEh")
      .Property("Active", &L::Active, &L::SetActive, false)
      .Property("KeyFieldName", &L::KeyFieldName, &L::SetKeyFieldName)
      .Property("RefParentFieldName", &L::RefParentFieldName, &L::SetRefParentFieldName)
      .Property("DefaultNodeExpanded", &L::DefaultNodeExpanded, &L::SetDefaultNodeExpanded, false)
      .Property("DefaultNodeHasChildren", &L::DefaultNodeHasChildren, &L::SetDefaultNodeHasChildren, false)
      .Property("FullBuildCheck", &L::FullBuildCheck, &L::SetFullBuildCheck, true)
      .Property("FilterNodeIfParentVisible", &L::FilterNodeIfParentVisible, &L::SetFilterNodeIfParentVisible, true);
    using C = TCustomMemTableEh;
    RegisterClassInfo<C, TDataSet>("TCustomMemTableEh");
    RegisterClassInfo<TMemTableEh, C>("TMemTableEh")
      .Property("AggregatesActive", &C::AggregatesActive, &C::SetAggregatesActive, false)
      .Property("CachedUpdates", &C::CachedUpdates, &C::SetCachedUpdates, false)
      .Property("DetailFields", &C::DetailFields, &C::SetDetailFields)
      .Property("ExternalMemData", &C::ExternalMemData, &C::SetExternalMemData)
      .Property("FetchAllOnOpen", &C::FetchAllOnOpen, &C::SetFetchAllOnOpen, false)
      .Property("MasterDetailSide", &C::MasterDetailSide, &C::SetMasterDetailSide, mdsOnSelfEh)
      .Property("MasterFields", &C::MasterFields, &C::SetMasterFields)
      .Property("MasterSource", &C::MasterSource, &C::SetMasterSource)
      .Property("Params", &C::Params)
      .Property("DataDriver", &C::DataDriver, &C::SetDataDriver)
      .Property("Options", &C::Options, &C::SetOptions)
      .Property("ReadOnly", &C::ReadOnly, &C::SetReadOnly, false)
      .Property("SortOrder", &C::SortOrder, &C::SetSortOrder)
      .Property("StoreDefs", &C::StoreDefs, &C::SetStoreDefs, false)
      .Property("TreeList", &C::TreeList)
      .Event("OnGetFieldValue", &C::OnGetFieldValue)
      .Event("OnSetFieldValue", &C::OnSetFieldValue)
      .Event("OnRecordsViewTreeNodeExpanding", &C::OnRecordsViewTreeNodeExpanding)
      .Event("OnRecordsViewTreeNodeExpanded", &C::OnRecordsViewTreeNodeExpanded);
    RegisterClasses({TMemTableEh::StaticClass()});
  });
}
