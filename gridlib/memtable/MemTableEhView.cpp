// MemTableEhView.cpp: what the memory table shows and how it finds it:
// search, filters and extra filters, master/detail, sorting, the tree
// settings, the distinct values of a column, and the view events for grids.
#include "gridlib/memtable/MemTableEh.h"

#include "gridlib/memtable/DataDriverEh.h"

#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool NullOrEmpty(const Variant& V) { return VarIsNull(V) || VarIsEmpty(V); }

bool IsTextType(TFieldType T)
{
  return T == ftString || T == ftMemo || T == ftFmtMemo || T == ftWideString || T == ftWideMemo;
}

Variant KeyElement(const Variant& KeyValues, size_t I, size_t Count)
{
  if (Count == 1 && !VarIsArray(KeyValues))
    return KeyValues;
  if (!VarIsArray(KeyValues))
    return I == 0 ? KeyValues : Variant();
  return KeyValues.GetElement(VarArrayLowBound(KeyValues, 1) + int(I));
}

}  // namespace

// ---------------------------------------------------------------------------
// Search.

bool TCustomMemTableEh::VariantsEqual(const Variant& A, const Variant& B)
{
  try {
    if (A.VType() == varInteger && B.VType() == varInteger)
      return A.AsInteger() == B.AsInteger();
    if (VarIsArray(A) != VarIsArray(B))
      return false;
    if (VarIsArray(A)) {
      if (VarArrayDimCount(A) != VarArrayDimCount(B) || VarArrayLowBound(A, 1) != VarArrayLowBound(B, 1) ||
          VarArrayHighBound(A, 1) != VarArrayHighBound(B, 1))
        return false;
      for (int I = VarArrayLowBound(A, 1); I <= VarArrayHighBound(A, 1); ++I)
        if (!VariantsEqual(A.GetElement(I), B.GetElement(I)))
          return false;
      return true;
    }
    if (NullOrEmpty(A) || NullOrEmpty(B))
      return NullOrEmpty(A) && NullOrEmpty(B);
    return VarCompareValue(A, B) == vrEqual;
  } catch (...) {
    return false;
  }
}

Integer TCustomMemTableEh::FindRec(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options,
                                   Integer StartRecIndex, bool TryUseIndex)
{
  const std::vector<TField*> Keys = GetFieldList(KeyFields);
  bool ByField = !Options.Empty();
  for (TField* F : Keys)
    ByField = ByField || F->FieldKind() != fkData;
  auto FieldMatches = [&](Integer Row) {
    InstantReadEnter(Row);
    ScopeExit Leave([&] { InstantReadLeave(); });
    for (size_t I = 0; I < Keys.size(); ++I) {
      TField* F = Keys[I];
      const Variant Key = KeyElement(KeyValues, I, Keys.size());
      if (!Options.Contains(loPartialKey) && !IsTextType(F->DataType())) {
        if (!VariantsEqual(F->Value(), Key))
          return false;
        continue;
      }
      if (F->IsNull() != NullOrEmpty(Key))
        return false;
      String Text = F->AsString();
      const String KeyText = VarToStr(Key);
      if (Options.Contains(loPartialKey))
        Text = Text.left(KeyText.size());
      if (Text.compare(KeyText, Options.Contains(loCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive) != 0)
        return false;
    }
    return true;
  };
  Integer Found = -1;
  if (ByField) {
    for (Integer Row = std::max(StartRecIndex, 0); Row < FRecordsView->ViewItemsCount() && Found < 0; ++Row)
      if (FieldMatches(Row))
        Found = Row;
  } else {
    std::vector<Integer> Slots;
    for (TField* F : Keys)
      Slots.push_back(F->FieldNo() - 1);
    TMTIndexEh* Index = nullptr;
    if (TryUseIndex) {
      TMTIndexesEh* Indexes = MemTableData()->RecordsList()->Indexes();
      for (Integer I = 0; I < Indexes->Count() && !Index; ++I) {
        TMTIndexEh* X = Indexes->GetItem(I);
        if (X->Active() && MemTableData()->DataStruct()->FieldsIndex(X->Fields()) == Slots)
          Index = X;
      }
    }
    if (Index) {
      Found = FRecordsView->FindRowByIndexKey(Index, KeyValues, std::max(StartRecIndex, 0));
    } else {
      const bool RefObject = Keys.size() == 1 && dynamic_cast<TRefObjectField*>(Keys[0]);
      for (Integer Row = std::max(StartRecIndex, 0); Row < FRecordsView->ViewItemsCount() && Found < 0; ++Row) {
        TMemoryRecordEh* R = FRecordsView->GetViewRecord(Row);
        bool Match = true;
        for (size_t I = 0; I < Slots.size() && Match; ++I) {
          const Variant Key = KeyElement(KeyValues, I, Slots.size());
          if (RefObject)
            Match = VarToRefObjectEh(R->Value(Slots[I])) == VarToRefObjectEh(Key);
          else
            Match = VariantsEqual(R->Value(Slots[I]), Key);
        }
        if (Match)
          Found = Row;
      }
    }
  }
  // A driver that still has rows is read on until the key turns up.
  while (Found < 0 && FDataDriver) {
    const Integer Before = FRecordsView->ViewItemsCount();
    FetchMoreRows(1);
    if (FRecordsView->ViewItemsCount() == Before)
      break;
    if (FieldMatches(FRecordsView->ViewItemsCount() - 1))
      Found = FRecordsView->ViewItemsCount() - 1;
  }
  return Found;
}

bool TCustomMemTableEh::Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options)
{
  CheckBrowseMode();
  if (Bof() && Eof())
    return false;
  const Integer Row = FindRec(KeyFields, KeyValues, Options, 0, true);
  if (Row < 0)
    return false;
  BeginViewUpdate();
  {
    ScopeExit End([&] { EndViewUpdate(true); });
    DoBeforeScroll();
    FRecordPos = Row;
    FRecordsViewUpdated = false;
  }
  Resync({rmExact, rmCenter});
  DoAfterScroll();
  return true;
}

Variant TCustomMemTableEh::Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields)
{
  Variant Result;
  FRecordsView->SetCatchChanged(false);
  const Integer Row = FindRec(KeyFields, KeyValues, {}, 0, true);
  if (Row >= 0) {
    InstantReadEnter(Row);
    ScopeExit Leave([&] { InstantReadLeave(); });
    Result = FieldValues(ResultFields);
  }
  if (FRecordsView->CatchChanged() && Active())
    Resync({});
  return Result;
}

Variant TCustomMemTableEh::LookupAll(const String& KeyFields, const Variant& KeyValues, const String& ResultFields,
                                     TLocateOptions Options)
{
  (void)Options;
  std::vector<Variant> Found;
  FRecordsView->SetCatchChanged(false);
  Integer Row = FindRec(KeyFields, KeyValues, {}, 0, false);
  while (Row >= 0) {
    {
      InstantReadEnter(Row);
      ScopeExit Leave([&] { InstantReadLeave(); });
      Found.push_back(FieldValues(ResultFields));
    }
    Row = FindRec(KeyFields, KeyValues, {}, Row + 1, false);
  }
  if (FRecordsView->CatchChanged() && Active())
    Resync({});
  if (Found.empty())
    return Variant();
  if (Found.size() == 1)
    return Found[0];
  return VarArrayOf(Found);
}

// ---------------------------------------------------------------------------
// Filters.

bool TCustomMemTableEh::HasAnyFilter() const
{
  return (Filtered() && (bool(OnFilterRecord) || FFilterExpr->HasData())) || FDetailMode ||
         FExtraFilters->ActiveFilterCount() > 0;
}

void TCustomMemTableEh::ReparseFilter()
{
  FFilterExpr->ParseExpression(Filtered() ? Filter() : String());
}

// One record under the table's filters. A failing test reports its error
// once and stops the pass, so that a broken filter is not shown for every
// record and the view does not show records the filter never judged.
bool TCustomMemTableEh::RecordsViewFilterRecord(TMemoryRecordEh* ARec, TMemRecViewEh* ARecView)
{
  if (!FActive || !HasAnyFilter())
    return true;
  const bool NeedBuffer = (Filtered() && OnFilterRecord) || FExtraFilters->HasEventActiveFilter();
  TDataSetState Save = State();
  TRecordBuffer Handle = 0;
  if (NeedBuffer) {
    Handle = AllocRecordBuffer();
    Save = SetTempState(dsFilter);
    FFilterRecBuf = Handle;
    FillRecBuf(ARec, -1, Handle);
    RecBuf(Handle)->RecView = ARecView;
  }
  ScopeExit Restore([&] {
    if (Handle) {
      RestoreState(Save);
      FFilterRecBuf = 0;
      FreeRecordBuffer(Handle);
    }
  });
  bool Accept = true;
  try {
    if (FFilterExpr->HasData())
      Accept = FFilterExpr->IsCurRecordInFilter(*ARec);
    if (Filtered() && OnFilterRecord)
      OnFilterRecord(this, Accept);
    if (Accept && FDetailMode && FMasterDetailSide != mdsOnProviderEh) {
      if (FDetailRecListActive) {
        Accept = std::find(FDetailRecList.begin(), FDetailRecList.end(), ARec) != FDetailRecList.end();
      } else {
        std::vector<Variant> Vals;
        for (TField* F : FDetailFieldList)
          Vals.push_back(ARec->Value(F->FieldNo() - 1));
        const Variant Mine = Vals.size() == 1 ? Vals[0] : VarArrayOf(Vals);
        Accept = VariantsEqual(Mine, FMasterValues);
      }
    }
    if (Accept && FExtraFilters->ActiveFilterCount() > 0)
      Accept = FExtraFilters->IsCurRecordInFilter(ARec);
  } catch (const EAbort&) {
    throw;
  } catch (...) {
    FRecordsView->AbortFilter();
    if (Handle) {
      RestoreState(Save);
      FFilterRecBuf = 0;
      FreeRecordBuffer(Handle);
      Handle = 0;
    }
    InternalHandleException();
    return false;
  }
  return Accept;
}

void TCustomMemTableEh::SetFilterText(const String& Value)
{
  if (!Active() || !Filtered()) {
    inherited::SetFilterText(Value);
    return;
  }
  if (Value == Filter())
    return;
  CheckBrowseMode();
  inherited::SetFilterText(Value);
  ReparseFilter();
  RefreshFilter();
  First();
}

void TCustomMemTableEh::SetFiltered(bool Value)
{
  if (!Active()) {
    inherited::SetFiltered(Value);
    return;
  }
  CheckBrowseMode();
  if (Value == Filtered())
    return;
  inherited::SetFiltered(Value);
  ReparseFilter();
  RefreshFilter();
  First();
}

void TCustomMemTableEh::SetOnFilterRecord(const TFilterRecordEvent& Value)
{
  if (!Active()) {
    inherited::SetOnFilterRecord(Value);
    return;
  }
  CheckBrowseMode();
  inherited::SetOnFilterRecord(Value);
  if (Filtered())
    RefreshFilter();
}

void TCustomMemTableEh::RefreshFilter()
{
  FDetailRecListActive = false;
  FDetailRecList.clear();
  if (FDetailMode && FMasterDetailSide != mdsOnProviderEh && !FDetailFieldList.empty()) {
    std::vector<Integer> Slots;
    for (TField* F : FDetailFieldList)
      Slots.push_back(F->FieldNo() - 1);
    TMTIndexesEh* Indexes = MemTableData()->RecordsList()->Indexes();
    for (Integer I = 0; I < Indexes->Count(); ++I) {
      TMTIndexEh* X = Indexes->GetItem(I);
      if (!X->Active() || MemTableData()->DataStruct()->FieldsIndex(X->Fields()) != Slots)
        continue;
      for (Integer J = 0; J < X->Count(); ++J) {
        const TIndexItemEh& Item = X->GetItems(J);
        if (VariantsEqual(Item.Value, FMasterValues))
          FDetailRecList.push_back(MemTableData()->RecordsList()->Rec(Item.RecIndex));
      }
      FDetailRecListActive = true;
      break;
    }
  }
  BeginViewUpdate();
  {
    ScopeExit End([&] { EndViewUpdate(false); });
    FRecordsView->RefreshFilteredRecsList(true);
    FRecordsView->RefreshFilteredRecsTreeList();
  }
  FRecordsViewUpdated = false;
  FDetailRecListActive = false;
  if (!Active() && State() != dsOpening)
    return;
  if (!FActive)
    return;
  ClearBuffers();
  InternalFirst();
  if (BufferCount() > 0) {
    GetNextRecord();
    GetNextRecords();
  }
  MTViewDataEvent(-1, mtViewDataChangedEh, -1);
  DataEvent(deDataSetChange, 0);
}

// --- extra filters

TMemTableFilterItemEh::TMemTableFilterItemEh(TCollection* Collection) : TCollectionItem(Collection)
{
  FFilterExpr = std::make_unique<TDataSetExprParserEh>(MemTable(), dsptFilterEh);
}

// A removed filter leaves the active set at once: the collection's notice
// that follows comes when this item is already half gone.
TMemTableFilterItemEh::~TMemTableFilterItemEh()
{
  const bool WasFiltering = Filtered();
  FActive = false;
  auto* Owner = static_cast<TMemTableFiltersEh*>(Collection());
  if (Owner && WasFiltering)
    Owner->Forget(this);
}

TCustomMemTableEh* TMemTableFilterItemEh::MemTable() const
{
  return static_cast<TMemTableFiltersEh*>(Collection())->MemTable();
}

void TMemTableFilterItemEh::SetActive(bool Value)
{
  if (Value == FActive)
    return;
  FActive = Value;
  Changed(false);
}

void TMemTableFilterItemEh::SetFilter(const String& Value)
{
  if (Value == FFilter)
    return;
  FFilter = Value;
  if (FActive)
    Changed(false);
}

void TMemTableFilterItemEh::SetOnFilterRecord(const TFilterRecordEvent& Value)
{
  FOnFilterRecord = Value;
  if (FActive)
    Changed(false);
}

void TMemTableFilterItemEh::FilterProcChanged()
{
  if (FActive)
    Changed(false);
}

void TMemTableFilterItemEh::RecreateFilterExpr()
{
  FFilterExpr->ParseExpression(FActive && MemTable()->Active() ? FFilter : String());
}

bool TMemTableFilterItemEh::IsCurRecordInFilter(TMemoryRecordEh* ARec)
{
  bool Accept = FFilterExpr->HasData() ? FFilterExpr->IsCurRecordInFilter(*ARec) : true;
  if (FActive && FOnFilterRecord)
    FOnFilterRecord(MemTable(), Accept);
  return Accept;
}

void TMemTableFilterItemEh::Assign(TPersistent* Source)
{
  auto* S = dynamic_cast<TMemTableFilterItemEh*>(Source);
  if (!S) {
    inherited::Assign(Source);
    return;
  }
  FFilter = S->FFilter;
  FOnFilterRecord = S->FOnFilterRecord;
  FActive = S->FActive;
  Changed(false);
}

TMemTableFiltersEh::TMemTableFiltersEh(TCustomMemTableEh* AMemTable)
  : TCollection(TMemTableFilterItemEh::StaticClass()), FMemTable(AMemTable)
{
}

TCollectionItem* TMemTableFiltersEh::CreateItem()
{
  // The base item announces itself before this class's part exists.
  ++FCreating;
  ScopeExit Done([&] { --FCreating; });
  return new TMemTableFilterItemEh(this);
}

void TMemTableFiltersEh::Forget(TMemTableFilterItemEh* Item)
{
  FActiveFilterItems.erase(std::remove(FActiveFilterItems.begin(), FActiveFilterItems.end(), Item),
                           FActiveFilterItems.end());
  FForgotten = true;
}

TPersistent* TMemTableFiltersEh::GetOwner() const { return FMemTable; }

Integer TMemTableFiltersEh::IndexOfFilter(TMemTableFilterItemEh* Item) const
{
  for (Integer I = 0; I < Count(); ++I)
    if (GetFilterItem(I) == Item)
      return I;
  return -1;
}

bool TMemTableFiltersEh::HasTextActiveFilter() const
{
  for (TMemTableFilterItemEh* I : FActiveFilterItems)
    if (!I->Filter().isEmpty())
      return true;
  return false;
}

bool TMemTableFiltersEh::HasEventActiveFilter() const
{
  for (TMemTableFilterItemEh* I : FActiveFilterItems)
    if (I->OnFilterRecord())
      return true;
  return false;
}

void TMemTableFiltersEh::RecreateFilterExpr()
{
  for (Integer I = 0; I < Count(); ++I)
    GetFilterItem(I)->RecreateFilterExpr();
}

bool TMemTableFiltersEh::IsCurRecordInFilter(TMemoryRecordEh* ARec)
{
  for (TMemTableFilterItemEh* I : FActiveFilterItems)
    if (!I->IsCurRecordInFilter(ARec))
      return false;
  return true;
}

void TMemTableFiltersEh::Update(TCollectionItem* Item)
{
  inherited::Update(Item);
  if (FCreating > 0)
    return;
  if (FForgotten) {
    FForgotten = false;
    Item = nullptr;
    FActiveFilterItems.push_back(nullptr);   // differs from any list: rebuild
  }
  if (!Item) {
    std::vector<TMemTableFilterItemEh*> Now;
    for (Integer I = 0; I < Count(); ++I)
      if (GetFilterItem(I)->Filtered())
        Now.push_back(GetFilterItem(I));
    if (Now == FActiveFilterItems)
      return;
  }
  RebuildActive();
}

void TMemTableFiltersEh::RebuildActive()
{
  FActiveFilterItems.clear();
  RecreateFilterExpr();
  for (Integer I = 0; I < Count(); ++I)
    if (GetFilterItem(I)->Filtered())
      FActiveFilterItems.push_back(GetFilterItem(I));
  if (FMemTable->Active() && !FMemTable->FDestroying) {
    FMemTable->RefreshFilter();
    FMemTable->Resync({});
  }
  if (OnChanged)
    OnChanged(this);
}

// ---------------------------------------------------------------------------
// Master/detail.

TMasterDataLinkEh::TMasterDataLinkEh(TDataSet* ADataSet) : FDataSet(ADataSet) {}

void TMasterDataLinkEh::SetFieldNames(const String& Value)
{
  if (Value == FFieldNames)
    return;
  FFieldNames = Value;
  ActiveChanged();
}

void TMasterDataLinkEh::ActiveChanged()
{
  FFields.clear();
  if (Active() && !FFieldNames.isEmpty())
    FFields = DataSet()->GetFieldList(FFieldNames);
  if (FDataSet->Active() && !FDataSet->ComponentState().Contains(csDestroying)) {
    if (Active()) {
      if (OnMasterChange)
        OnMasterChange(this);
    } else if (OnMasterDisable) {
      OnMasterDisable(this);
    }
  }
}

void TMasterDataLinkEh::RecordChanged(TField* Field)
{
  if (DataSource() && DataSource()->State() == dsSetKey)
    return;
  if (FDataSet->Active() && (!Field || std::find(FFields.begin(), FFields.end(), Field) != FFields.end()) &&
      OnMasterChange)
    OnMasterChange(this);
}

void TMasterDataLinkEh::CheckBrowseMode()
{
  if (FDataSet->Active())
    FDataSet->CheckBrowseMode();
}

TDataSource* TCustomMemTableEh::MasterSource() const { return FMasterDataLink->DataSource(); }

void TCustomMemTableEh::SetMasterSource(TDataSource* Value)
{
  if (Value && Value->DataSet() == this)
    DatabaseError(QString::fromUtf8(dbconsts::SCircularDataLink), this);
  FMasterDataLink->SetDataSource(Value);
  UpdateDetailMode(true);
}

const String& TCustomMemTableEh::MasterFields() const { return FMasterDataLink->FieldNames(); }

void TCustomMemTableEh::SetMasterFields(const String& Value)
{
  FMasterDataLink->SetFieldNames(Value);
  UpdateDetailMode(true);
}

void TCustomMemTableEh::SetDetailFields(const String& Value)
{
  FDetailFields = Value;
  UpdateDetailMode(true);
}

void TCustomMemTableEh::SetMasterDetailSide(TMasterDetailSideEh Value)
{
  if (Value == FMasterDetailSide)
    return;
  FMasterDetailSide = Value;
  UpdateDetailMode(false);
  if (FDetailMode && Active()) {
    if (Value == mdsOnProviderEh) {
      Close();
      Open();
    } else {
      RefreshFilter();
    }
  }
}

Variant TCustomMemTableEh::MasterValuesNow() const
{
  const auto& Fields = FMasterDataLink->Fields();
  if (Fields.empty())
    return Variant();
  if (Fields.size() == 1)
    return Fields[0]->Value();
  std::vector<Variant> Vals;
  for (TField* F : Fields)
    Vals.push_back(F->Value());
  return VarArrayOf(Vals);
}

// The restriction is on in the provider side while the link is active; in
// the other sides when the detail fields match the master's.
void TCustomMemTableEh::UpdateDetailMode(bool AutoRefresh)
{
  const bool Was = FDetailMode;
  FDetailFieldList.clear();
  bool Mode = false;
  if (FActive) {
    if (!FDetailFields.isEmpty())
      FDetailFieldList = GetFieldList(FDetailFields);
    if (FMasterDetailSide == mdsOnProviderEh)
      Mode = FMasterDataLink->Active();
    else
      Mode = FMasterDataLink->Active() && !FDetailFieldList.empty() &&
             FDetailFieldList.size() == FMasterDataLink->Fields().size();
  }
  FDetailMode = Mode;
  FMasterValues = Mode && FMasterDetailSide != mdsOnProviderEh ? MasterValuesNow() : Variant();
  if (!AutoRefresh || !(Mode || Was) || !Active() || State() == dsOpening)
    return;
  if (FMasterDetailSide == mdsOnSelfEh)
    RefreshFilter();
  else
    RefreshFromMaster();
}

void TCustomMemTableEh::MasterChanged(TObject* Sender)
{
  (void)Sender;
  if (!Active())
    return;
  CheckBrowseMode();
  const bool Was = FDetailMode;
  const Variant OldValues = FMasterValues;
  UpdateDetailMode(false);
  if (FMasterDetailSide == mdsOnProviderEh) {
    RefreshFromMaster();
    return;
  }
  // Staying on the same master key reads and filters nothing.
  if (FDetailMode == Was && (!FDetailMode || VariantsEqual(FMasterValues, OldValues)))
    return;
  if (FMasterDetailSide == mdsOnSelfEh)
    RefreshFilter();
  else
    RefreshFromMaster();
}

TDataSet* TCustomMemTableEh::ReadyMasterDataSet() const
{
  TDataSource* Source = MasterSource();
  TDataSet* Master = Source ? Source->DataSet() : nullptr;
  if (!Master || !Master->Active() || Master->State() == dsSetKey || !FDataDriver)
    return nullptr;
  return Master;
}

void TCustomMemTableEh::SetProviderParamsFromMaster()
{
  TDataSet* Master = ReadyMasterDataSet();
  if (!Master)
    return;
  FDataDriver->SetReaderParamsFromCursor(Master);
  if (FMasterDetailSide == mdsOnSelfAfterProviderEh) {
    const Variant Values = MasterValuesNow();
    if (!FMasterValList.HasValue(Values))
      FMasterValList.Add(Values);
  }
}

void TCustomMemTableEh::RefreshFromMaster()
{
  TDataSet* Master = ReadyMasterDataSet();
  if (!Master || FMasterDetailSide == mdsOnSelfEh) {
    RefreshFilter();
    return;
  }
  DisableControls();
  ScopeExit Enable([&] { EnableControls(); });
  if (FMasterDetailSide == mdsOnProviderEh) {
    if (FDataDriver->RefreshReaderParamsFromCursor(Master)) {
      Close();
      Open();
    }
    return;
  }
  // Every key read so far stays in the storage: a new key reads its rows
  // once, after the rest of the current reading.
  if (!FMasterValList.HasValue(MasterValuesNow())) {
    {
      BeginViewUpdate();
      ScopeExit End([&] { EndViewUpdate(false); });
      ReadDriverRecords(-1);
      FDataDriver->ConsumerClosed(this);
      SetProviderParamsFromMaster();
      FDataSetReader = FDataDriver->GetDataReader();
      if (FDataSetReader)
        FDataSetReader->FreeNotification(this);
      if (FFetchAllOnOpen)
        ReadDriverRecords(-1);
    }
    FRecordsViewUpdated = false;
  }
  RefreshFilter();
}

// ---------------------------------------------------------------------------
// Sorting.

TMTOrderByList::TMTOrderByList(const TCustomMemTableEh* AMemTable) : TOrderByList(true), FMemTable(AMemTable) {}

TOrderByItemEh* TMTOrderByList::AddItem()
{
  auto* Item = new TOrderByItemEh();
  Add(Item);
  return Item;
}

// A dataset field answers its index; a storage column without a field
// answers its position after all the fields.
Integer TMTOrderByList::FindFieldIndex(const String& FieldName)
{
  if (TField* F = FMemTable->FindField(FieldName))
    return F->Index();
  const Integer Col = FMemTable->MemTableData()->DataStruct()->FieldIndex(FieldName);
  return Col < 0 ? -1 : FMemTable->FieldCount() + Col;
}

void TMTOrderByList::SetItemFieldIndex(TOrderByItemEh* Item, Integer FieldIndex)
{
  TMTDataStructEh* Struct = FMemTable->MemTableData()->DataStruct();
  if (FieldIndex < FMemTable->FieldCount()) {
    TField* F = FMemTable->Fields()->Fields(FieldIndex);
    Item->FieldIndex = FieldIndex;
    Item->DataType = F->DataType();
    Item->MTFieldIndex = Struct->FieldIndex(F->FieldName());
  } else {
    Item->FieldIndex = -1;
    Item->MTFieldIndex = FieldIndex - FMemTable->FieldCount();
    Item->DataType = Struct->GetDataField(Item->MTFieldIndex)->GetDataType();
  }
  Item->CaseIns = FMemTable->FilterOptions().Contains(foCaseInsensitive) ||
                  FMemTable->Options().Contains(mtoTextFieldsCaseInsensitive);
}

Integer TMTOrderByList::ItemSlot(const TOrderByItemEh* Item) const
{
  if (Item->FieldIndex >= 0 && FMemTable->FActive)
    return FMemTable->Fields()->Fields(Item->FieldIndex)->FieldNo() - 1;
  return Item->MTFieldIndex;
}

// Keys exist only for stored values: not for calculated or lookup fields,
// nor while an external procedure gives the keys.
Integer TMTOrderByList::KeyLength() const
{
  if (Count() == 0 || Count() > MaxKeyLength || FMemTable->FGetOrderVarValueProc)
    return 0;
  for (Integer I = 0; I < Count(); ++I) {
    const TOrderByItemEh* It = GetItem(I);
    if (It->ExtObjIndex >= 0 || ItemSlot(It) < 0)
      return 0;
    if (It->FieldIndex >= 0 && FMemTable->Fields()->Fields(It->FieldIndex)->FieldKind() != fkData)
      return 0;
  }
  return Count();
}

namespace {

// A stored value as a number that orders exactly as the variant comparison
// orders values of the column; false for anything else (texts, Booleans,
// integers or amounts too large for a double to tell apart).
bool NumericSortKey(const Variant& V, double& Key)
{
  constexpr double Exact = 9007199254740992.0;   // 2^53
  switch (V.VType()) {
  case varSmallint:
  case varInteger:
  case varShortInt:
  case varByte:
  case varWord:
  case varLongWord:
  case varInt64: {
    const Int64 I = V.AsInt64();
    if (I > Int64(Exact) || I < -Int64(Exact))
      return false;
    Key = double(I);
    return true;
  }
  case varCurrency: {
    // Distinct amounts stay distinct after the division well below 2^53.
    const Int64 Raw = V.AsCurrency().Raw();
    if (Raw > Int64(4e15) || Raw < -Int64(4e15))
      return false;
    Key = V.AsDouble();
    return true;
  }
  case varSingle:
  case varDouble:
  case varDate:
    Key = V.AsDouble();
    return std::isfinite(Key);
  default:
    return false;
  }
}

enum TypedKey { tkKey, tkNone, tkUnknown };

// The same key read from the packed values without a variant: tkNone where
// NumericSortKey gives none, tkUnknown for what only the variant can tell.
TypedKey TypedSortKey(const TRecValuesEh& Values, Integer Slot, double& Key)
{
  constexpr Int64 Exact = Int64(9007199254740992);   // 2^53
  switch (Values.Tag(Slot)) {
  case TRecValuesEh::tEmpty:
  case TRecValuesEh::tNull:
    Key = -std::numeric_limits<double>::infinity();
    return tkKey;
  case TRecValuesEh::tShortInt: case TRecValuesEh::tByte: case TRecValuesEh::tSmallint:
  case TRecValuesEh::tWord: case TRecValuesEh::tInteger: case TRecValuesEh::tLongWord:
  case TRecValuesEh::tInt64: {
    const Int64 I = Values.Int64Value(Slot);
    if (I > Exact || I < -Exact)
      return tkNone;
    Key = double(I);
    return tkKey;
  }
  case TRecValuesEh::tCurrency: {
    // Distinct amounts stay distinct after the division well below 2^53.
    const Int64 Raw = Values.Int64Value(Slot);
    if (Raw > Int64(4e15) || Raw < -Int64(4e15))
      return tkNone;
    Key = Values.Number(Slot);
    return tkKey;
  }
  case TRecValuesEh::tSingle:
  case TRecValuesEh::tDouble:
  case TRecValuesEh::tDate:
    Key = Values.Number(Slot);
    return std::isfinite(Key) ? tkKey : tkNone;
  default:
    return tkUnknown;
  }
}

}  // namespace

// Null and unassigned values below every number; a descending item negated.
bool TMTOrderByList::KeyOf(const TMemoryRecordEh* Rec, double* Key) const
{
  const TRecValuesEh& Values = Rec->Values();
  for (Integer I = 0; I < Count(); ++I) {
    const TOrderByItemEh* It = GetItem(I);
    const Integer Slot = ItemSlot(It);
    double K;
    const TypedKey Typed = Slot >= 0 && Slot < Values.Count() ? TypedSortKey(Values, Slot, K) : tkUnknown;
    if (Typed == tkNone)
      return false;
    if (Typed == tkUnknown) {
      const Variant V = Rec->Value(Slot);
      if (VarIsNull(V) || VarIsEmpty(V))
        K = -std::numeric_limits<double>::infinity();
      else if (!NumericSortKey(V, K))
        return false;
    }
    Key[I] = It->Desc ? -K : K;
  }
  return true;
}

// Field names, each followed by ASC or DESC any number of times, separated
// by "," or ";"; a name in square brackets may hold blanks.
std::unique_ptr<TMTOrderByList> TCustomMemTableEh::ParseOrderByStr(const String& OrderByStr) const
{
  auto List = std::make_unique<TMTOrderByList>(this);
  List->ParseOrderByStr(OrderByStr);
  return List;
}

namespace {

bool IsCaseInsType(TFieldType T)
{
  return T == ftString || T == ftMemo || T == ftFmtMemo || T == ftFixedChar || T == ftWideString || T == ftOraClob;
}

// Empty and Null sort first; texts compare by the locale.
Integer CompareItemValues(const Variant& A, const Variant& B, bool IgnoreCase, bool Desc)
{
  Integer R = 0;
  if (NullOrEmpty(A))
    R = NullOrEmpty(B) ? 0 : -1;
  else if (NullOrEmpty(B))
    R = 1;
  else if (IgnoreCase && VarIsStr(A) && VarIsStr(B))
    R = QString::localeAwareCompare(A.AsString().toLower(), B.AsString().toLower());
  else if (VarIsStr(A) && VarIsStr(B))
    R = QString::localeAwareCompare(A.AsString(), B.AsString());
  else
    switch (VarCompareValue(A, B)) {
    case vrLessThan: R = -1; break;
    case vrGreaterThan: R = 1; break;
    default: R = 0; break;
    }
  R = R < 0 ? -1 : (R > 0 ? 1 : 0);
  return Desc ? -R : R;
}

}  // namespace

Integer TCustomMemTableEh::CompareRecords(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2, TObject* ParamSort)
{
  auto* List = dynamic_cast<TMTOrderByList*>(ParamSort);
  auto ByPosition = [&] {
    const Integer D = Rec1->Index() - Rec2->Index();
    return D < 0 ? -1 : (D > 0 ? 1 : 0);
  };
  if (!List || List->Count() == 0)
    return ByPosition();
  bool ByKeys = bool(FGetOrderVarValueProc);
  for (Integer I = 0; I < List->Count(); ++I)
    if (List->GetItem(I)->FieldIndex >= 0 && Fields()->Fields(List->GetItem(I)->FieldIndex)->FieldKind() != fkData)
      ByKeys = true;
  if (ByKeys) {
    auto KeyOf = [&](TMemoryRecordEh* R, Integer I) -> Variant {
      if (FGetOrderVarValueProc) {
        const Variant& K = FSortingValues.at(size_t(R->Index()));
        return List->Count() < 2 ? K : K.GetElement(int(I));
      }
      const TOrderByItemEh* It = List->GetItem(I);
      const Integer Row = FRecordsView->IndexOfRec(R);
      if (Row >= 0)
        InstantReadEnter(Row);
      else
        InstantReadEnter(R, -1);
      ScopeExit Leave([&] { InstantReadLeave(); });
      if (Row < 0)
        GetCalcFields(FInstantBuffers.back());
      return It->FieldIndex >= 0 ? Fields()->Fields(It->FieldIndex)->Value() : R->Value(It->MTFieldIndex);
    };
    for (Integer I = 0; I < List->Count(); ++I) {
      const TOrderByItemEh* It = List->GetItem(I);
      const Integer C =
        CompareItemValues(KeyOf(Rec1, I), KeyOf(Rec2, I), It->CaseIns && IsCaseInsType(It->DataType), It->Desc);
      if (C != 0)
        return C;
    }
    return ByPosition();
  }
  for (Integer I = 0; I < List->Count(); ++I) {
    const TOrderByItemEh* It = List->GetItem(I);
    const Integer Slot = List->ItemSlot(It);
    const Integer C =
      CompareItemValues(Rec1->Value(Slot), Rec2->Value(Slot), It->CaseIns && IsCaseInsType(It->DataType), It->Desc);
    if (C != 0)
      return C;
  }
  return ByPosition();
}

Integer TCustomMemTableEh::CompareTreeNodes(TBaseTreeNodeEh* Node1, TBaseTreeNodeEh* Node2, TObject* ParamSort)
{
  return CompareRecords(static_cast<TMemRecViewEh*>(Node1)->Rec(), static_cast<TMemRecViewEh*>(Node2)->Rec(),
                        ParamSort);
}

void TCustomMemTableEh::SetSortOrder(const String& Value)
{
  if (Value == FSortOrder)
    return;
  FSortOrder = Value;
  ApplySortOrder();
}

void TCustomMemTableEh::ApplySortOrder()
{
  FRecordsView->SetSortOrder(FActive ? FSortOrder : String());
  if (Active()) {
    ClearBuffers();
    Resync({});
  }
}

void TCustomMemTableEh::SortByFields(const String& SortByStr) { InternalSortByFields(SortByStr); }

void TCustomMemTableEh::InternalSortByFields(const String& SortByStr)
{
  if (SortByStr.trimmed().isEmpty())
    return;
  std::unique_ptr<TMTOrderByList> List = ParseOrderByStr(SortByStr);
  SortDataByOrderList(List.get());
}

void TCustomMemTableEh::SortDataByOrderList(TMTOrderByList* ParamSort)
{
  if (!Active() || FRecordsView->ViewItemsCount() == 0)
    return;
  CheckBrowseMode();
  if (FInstantReadMode)
    throw Exception(QStringLiteral("Sort data in InstantReadMode is not allowed."));
  UpdateCursorPos();
  TMemoryRecordEh* Current = Rec();
  auto Compare = [this](TMemoryRecordEh* A, TMemoryRecordEh* B, TObject* P) { return CompareRecords(A, B, P); };
  if (FRecordsView->ViewAsTreeList())
    FRecordsView->MemoryTreeList()->SortData(
      [this](TBaseTreeNodeEh* A, TBaseTreeNodeEh* B, TObject* P) { return CompareTreeNodes(A, B, P); }, ParamSort,
      true);
  else
    MemTableData()->RecordsList()->SortData(ParamSort, Compare, this);
  ClearBuffers();
  if (Current) {
    const Integer Row = FRecordsView->IndexOfRec(Current);
    if (Row >= 0)
      FRecordPos = Row;
  }
  Resync({});
}

void TCustomMemTableEh::SortWithExternalProc(const TGetOrderVarValueProcEh& OrderValueProc,
                                             const TExternalSortDataArrEh& DescDirections)
{
  TMTOrderByList List(this);
  const bool CaseIns = FilterOptions().Contains(foCaseInsensitive);
  for (size_t I = 0; I < DescDirections.size(); ++I) {
    TOrderByItemEh* Item = List.AddItem();
    Item->Desc = DescDirections[I].Desc;
    Item->DataType = DescDirections[I].DataType;
    Item->CaseIns = CaseIns;
    Item->ExtObjIndex = Integer(I);
  }
  TRecordsListEh* Records = MemTableData()->RecordsList();
  ScopeExit Release([&] {
    FGetOrderVarValueProc = nullptr;
    FSortingValues.clear();
  });
  FSortingValues.assign(size_t(Records->Count()), Variant());
  for (Integer I = 0; I < Records->Count(); ++I) {
    InstantReadEnter(Records->Rec(I), -1);
    ScopeExit Leave([&] { InstantReadLeave(); });
    if (DescDirections.size() < 2) {
      Variant V = Null;
      OrderValueProc(V, 0);
      FSortingValues[size_t(I)] = V;
    } else {
      std::vector<Variant> Key(DescDirections.size());
      for (size_t J = 0; J < Key.size(); ++J) {
        Variant V = Null;
        OrderValueProc(V, Integer(J));
        Key[J] = V;
      }
      FSortingValues[size_t(I)] = VarArrayOf(Key);
    }
  }
  FGetOrderVarValueProc = OrderValueProc;
  SortDataByOrderList(&List);
}

// ---------------------------------------------------------------------------
// Tree settings.

TMemTableTreeListEh::TMemTableTreeListEh(TCustomMemTableEh* AMemTable) : FMemTable(AMemTable)
{
  FMemTable->RecordsView()->MemoryTreeList()->SetFullBuildCheck(true);
  FMemTable->RecordsView()->MemoryTreeList()->SetFilterNodeIfParentVisible(true);
}

bool TMemTableTreeListEh::Active() const
{
  if (FMemTable->ComponentState().Contains(csLoading))
    return FLoadingActive;
  return FMemTable->RecordsView()->ViewAsTreeList();
}

void TMemTableTreeListEh::SetActive(bool Value)
{
  if (FMemTable->ComponentState().Contains(csLoading)) {
    FLoadingActive = Value;
    return;
  }
  FMemTable->DisableControls();
  ScopeExit Enable([&] { FMemTable->EnableControls(); });
  FMemTable->RecordsView()->SetViewAsTreeList(Value);
  if (FMemTable->Active()) {
    FMemTable->ClearBuffers();
    FMemTable->InternalFirst();
    FMemTable->Resync({});
  }
}

String TMemTableTreeListEh::KeyFieldName() const { return FMemTable->RecordsView()->TreeViewKeyFieldName(); }
void TMemTableTreeListEh::SetKeyFieldName(const String& Value)
{
  FMemTable->RecordsView()->SetTreeViewKeyFieldName(Value);
}
String TMemTableTreeListEh::RefParentFieldName() const
{
  return FMemTable->RecordsView()->TreeViewRefParentFieldName();
}
void TMemTableTreeListEh::SetRefParentFieldName(const String& Value)
{
  FMemTable->RecordsView()->SetTreeViewRefParentFieldName(Value);
}
bool TMemTableTreeListEh::DefaultNodeExpanded() const
{
  return FMemTable->RecordsView()->MemoryTreeList()->DefaultNodeExpanded();
}
void TMemTableTreeListEh::SetDefaultNodeExpanded(bool Value)
{
  FMemTable->RecordsView()->MemoryTreeList()->SetDefaultNodeExpanded(Value);
}
bool TMemTableTreeListEh::DefaultNodeHasChildren() const
{
  return FMemTable->RecordsView()->MemoryTreeList()->DefaultNodeHasChildren();
}
void TMemTableTreeListEh::SetDefaultNodeHasChildren(bool Value)
{
  FMemTable->RecordsView()->MemoryTreeList()->SetDefaultNodeHasChildren(Value);
}
bool TMemTableTreeListEh::FullBuildCheck() const { return FMemTable->RecordsView()->MemoryTreeList()->FullBuildCheck(); }
void TMemTableTreeListEh::SetFullBuildCheck(bool Value)
{
  FMemTable->RecordsView()->MemoryTreeList()->SetFullBuildCheck(Value);
}
bool TMemTableTreeListEh::FilterNodeIfParentVisible() const
{
  return FMemTable->RecordsView()->MemoryTreeList()->FilterNodeIfParentVisible();
}
void TMemTableTreeListEh::SetFilterNodeIfParentVisible(bool Value)
{
  FMemTable->RecordsView()->MemoryTreeList()->SetFilterNodeIfParentVisible(Value);
}

// ---------------------------------------------------------------------------
// Distinct values of a column.

TMemTableDataFieldValueListEh::TMemTableDataFieldValueListEh(TDataSet* ADataSet)
  : FDataSet(ADataSet), FFilterExpr(std::make_unique<TDataSetExprParserEh>(ADataSet, dsptFilterEh)),
    FNotificator(std::make_unique<TRecordsListNotificatorEh>(nullptr)), FValues(std::make_unique<TStringList>())
{
  FNotificator->OnDataEvent = [this](TMemoryRecordEh*, Integer, TRecordsListNotification) { MarkObsolete(); };
}

TMemTableDataFieldValueListEh::~TMemTableDataFieldValueListEh() { FNotificator->SetDataObject(nullptr); }

TComponent* TMemTableDataFieldValueListEh::DataObject() const { return FNotificator->DataObject(); }

void TMemTableDataFieldValueListEh::SetDataObject(TComponent* Value) { FNotificator->SetDataObject(Value); }

void TMemTableDataFieldValueListEh::SetFieldName(const String& Value)
{
  if (Value == FFieldName)
    return;
  FDataObsoleted = true;
  FFieldName = Value;
  RefreshValues();
}

void TMemTableDataFieldValueListEh::SetFilter(const String& Filter)
{
  if (Filter == FFilter)
    return;
  FFilterExpr->ParseExpression(Filter);
  FDataObsoleted = true;
  FFilter = Filter;
}

TStrings* TMemTableDataFieldValueListEh::GetValues()
{
  if (FDataObsoleted)
    RefreshValues();
  return FValues.get();
}

void TMemTableDataFieldValueListEh::RefreshValues()
{
  FValues->Clear();
  FDataObsoleted = false;
  auto* Data = dynamic_cast<TMemTableDataEh*>(DataObject());
  if (!Data)
    return;
  const Integer Col = Data->DataStruct()->FieldIndex(FFieldName);
  if (Col < 0)
    return;
  const TFieldType T = Data->DataStruct()->GetDataField(Col)->GetDataType();
  if (T == ftBlob || T == ftGraphic || T == ftParadoxOle || T == ftDBaseOle || T == ftTypedBinary || T == ftCursor ||
      T == ftArray || T == ftReference || T == ftDataSet || T == ftOraBlob || T == ftVariant)
    return;
  TRecordsListEh* List = Data->RecordsList();
  const bool Filter = FFilterExpr->HasData();
  if (T == ftString || T == ftWideString) {
    FValues->SetSorted(true);
    FValues->SetDuplicates(dupIgnore);
    FValues->SetCaseSensitive(!FDataSet->FilterOptions().Contains(foCaseInsensitive));
    for (Integer I = 0; I < List->Count(); ++I) {
      TMemoryRecordEh* R = List->Rec(I);
      if (Filter && !FFilterExpr->IsCurRecordInFilter(*R))
        continue;
      FValues->Add(VarToStr(R->Value(Col)));
    }
    return;
  }
  std::vector<TMemoryRecordEh*> Recs;
  for (Integer I = 0; I < List->Count(); ++I)
    if (!Filter || FFilterExpr->IsCurRecordInFilter(*List->Rec(I)))
      Recs.push_back(List->Rec(I));
  std::stable_sort(Recs.begin(), Recs.end(), [Col](TMemoryRecordEh* A, TMemoryRecordEh* B) {
    return CompareItemValues(A->Value(Col), B->Value(Col), false, false) < 0;
  });
  String Prev;
  bool Any = false;
  for (TMemoryRecordEh* R : Recs) {
    const Variant& V = R->Value(Col);
    const String Text = V.VType() == varDate ? DateTimeToStr(VarToDateTime(V)) : VarToStr(V);
    if (Any && Text == Prev)
      continue;
    FValues->Add(Text);
    Prev = Text;
    Any = true;
  }
}

// ---------------------------------------------------------------------------
// View events for grids.

Integer TCustomMemTableEh::ViewRowToDataSetRow(Integer Row) const
{
  if (FStateInsert && Row >= FInstantReadCurRowNum)
    return Row + 1;
  return Row;
}

void TCustomMemTableEh::MTViewDataEvent(Integer RowNum, TMTViewEventTypeEh Event, Integer OldRowNum)
{
  if (!Active())
    return;
  if (ControlsDisabled()) {
    if (FMTViewDataEventInactiveCount == 0) {
      FInactiveEventRowNum = RowNum;
      FInactiveEvent = Event;
      FInactiveEventOldRowNum = OldRowNum;
    } else {
      FInactiveEventRowNum = -1;
      FInactiveEvent = mtViewDataChangedEh;
      FInactiveEventOldRowNum = -1;
    }
    FMTViewDataEventInactiveCount = std::min(FMTViewDataEventInactiveCount + 1, 2);
    return;
  }
  FMTViewDataEventInactiveCount = 0;
  const auto Receivers = FEventReceivers;
  for (TComponent* C : Receivers)
    if (auto* R = dynamic_cast<IMTEventReceiverEh*>(C))
      R->MTViewEvent(RowNum, Event, OldRowNum);
  if (Event == mtRowInsertedEh && FStateInsertRowNum >= 0 && RowNum <= FStateInsertRowNum)
    ++FStateInsertRowNum;
}

void TCustomMemTableEh::RecordsViewDataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action)
{
  (void)MemRec;
  if (!FActive)
    return;
  switch (Action) {
  case rlnRecAddedEh: MTViewDataEvent(ViewRowToDataSetRow(Index), mtRowInsertedEh, -1); break;
  case rlnRecChangedEh: MTViewDataEvent(ViewRowToDataSetRow(Index), mtRowChangedEh, -1); break;
  case rlnRecDeletedEh: MTViewDataEvent(ViewRowToDataSetRow(Index), mtRowDeletedEh, -1); break;
  case rlnListChangedEh: MTViewDataEvent(-1, mtViewDataChangedEh, -1); break;
  default: return;
  }
  if (State() == dsBrowse && BufferCount() > 0)
    Resync({});
}

void TCustomMemTableEh::RecordsViewRecordMoved(TMemoryRecordEh* MemRec, Integer OldIndex, Integer NewIndex)
{
  (void)MemRec;
  if (Active() && !ControlsDisabled())
    MTViewDataEvent(ViewRowToDataSetRow(NewIndex), mtRowMovedEh, ViewRowToDataSetRow(OldIndex));
}

