// DBLookupUtilsEh.cpp: a column's lookup description and its sorted cache.
#include "gridlib/axisgrid/DBLookupUtilsEh.h"

#include "gridlib/axisgrid/DBAxisGridsEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/rtl/ScopeExit.h"

namespace {

const char* const SPropDefByLookupText = "Property already defined by lookup field";
const char* const SDataSourceFixedText = "Operation not allowed: data source is fixed";
const char* const SValuesNotComparableText = "TMTIndexEh.FindKeyValueIndex: values is not comparable.";

// A dataset's master source is protected; only the chain test needs it.
struct TDataSetMasterAccessEh : TDataSet {
  static TDataSource* MasterOf(const TDataSet* DataSet)
  {
    return (DataSet->*(&TDataSetMasterAccessEh::GetDataSource))();
  }
};

// Whether DataSet, or one of its masters, takes its master data from Source.
bool DataSetIsLinkedToSource(TDataSet* DataSet, TDataSource* Source)
{
  for (Integer Depth = 0; DataSet && Depth < 64; ++Depth) {
    TDataSource* Master = TDataSetMasterAccessEh::MasterOf(DataSet);
    if (!Master)
      return false;
    if (Master == Source)
      return true;
    DataSet = Master->DataSet();
  }
  return false;
}

// The lookup's own data source; it also hears when the own lookup dataset is
// freed while the settings come from a lookup field.
class TLookupSourceEh : public TDataSource {
public:
  TLookupSourceEh() : TDataSource(nullptr) {}
  std::function<void(TComponent*)> OnRemoved;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override
  {
    TDataSource::Notification(AComponent, Operation);
    if (Operation == opRemove && OnRemoved)
      OnRemoved(AComponent);
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// TLookupListEh

TLookupListEh::TLookupListEh() : FList(true) {}

TLookupListEh::~TLookupListEh()
{
  Clear();
}

void TLookupListEh::Add(const Variant& KeyValue, const Variant& DisplayValue)
{
  FList.Add(new TLookupPairEh(KeyValue, DisplayValue));
}

void TLookupListEh::Clear()
{
  FList.Clear();
}

Variant TLookupListEh::ValueOfKey(const Variant& KeyValue)
{
  Integer Index;
  if (FindKeyIndex(KeyValue, Index))
    return Pair(Index)->DisplayValue;
  return Unassigned;
}

void TLookupListEh::SortData()
{
  if (Count() > 0)
    QuickSort(0, Count() - 1);
}

bool TLookupListEh::FindKeyIndex(const Variant& KeyValue, Integer& Index)
{
  Integer L = 0;
  Integer H = Count() - 1;
  bool Found = false;
  while (H >= L) {
    const Integer I = (L + H) / 2;
    const TVariantRelationship R = CompareVarValuesEh(Pair(I)->KeyValue, KeyValue);
    if (R == vrNotEqual)
      throw Exception(QString::fromLatin1(SValuesNotComparableText));
    if (R == vrLessThan) {
      L = I + 1;
      continue;
    }
    H = I - 1;
    if (R == vrEqual) {
      L = I;
      Found = true;
    }
  }
  Index = L;
  return Found;
}

void TLookupListEh::QuickSort(Integer L, Integer R)
{
  // Keys that cannot be compared count as neither less nor greater.
  QuickSortEh(
    this, L, R, [](void* Data, Integer I, Integer J) { static_cast<TLookupListEh*>(Data)->FList.Exchange(I, J); },
    [](void* Data, Integer I, Integer J) {
      auto* List = static_cast<TLookupListEh*>(Data);
      switch (CompareVarValuesEh(List->Pair(I)->KeyValue, List->Pair(J)->KeyValue)) {
      case vrLessThan: return -1;
      case vrGreaterThan: return 1;
      default: return 0;
      }
    });
}

// ---------------------------------------------------------------------------
// Links

void TDataSourceLinkEh::ActiveChanged()
{
  inherited::ActiveChanged();
  if (FLookupData)
    FLookupData->UpdateDataFields();
}

void TDataSourceLinkEh::LayoutChanged()
{
  if (FLookupData)
    FLookupData->UpdateDataFields();
}

void TDataSourceLinkEh::RecordChanged(TField* Field)
{
  inherited::RecordChanged(Field);
}

void TListSourceLinkEh::ActiveChanged()
{
  if (FLookupData)
    FLookupData->UpdateListFields();
}

void TListSourceLinkEh::LayoutChanged()
{
  if (FLookupData)
    FLookupData->UpdateListFields();
}

void TListSourceLinkEh::DataSetChanged()
{
  if (FLookupData)
    FLookupData->ListDataSetChanged();
}

// ---------------------------------------------------------------------------
// TDBLookupDataEh

TDBLookupDataEh::TDBLookupDataEh(TAxisBarEh* AColumn)
  : FAxisBar(AColumn),
    FDataLink(std::make_unique<TDataSourceLinkEh>()),
    FInternalLookupSource(std::make_unique<TLookupSourceEh>()),
    FLookupLink(std::make_unique<TListSourceLinkEh>()),
    FLookupListCache(std::make_unique<TLookupListEh>())
{
  FDataLink->FLookupData = this;
  FInternalLookupSource->SetName(QStringLiteral("FInternalLookupSource"));
  static_cast<TLookupSourceEh*>(FInternalLookupSource.get())->OnRemoved = [this](TComponent* AComponent) {
    if (AComponent == FLookupDataSet) {
      FLookupDataSet = nullptr;
      UpdateListFields();
    }
  };
  FLookupLink->FLookupData = this;
  FLookupLink->SetDataSource(FInternalLookupSource.get());
}

TDBLookupDataEh::~TDBLookupDataEh()
{
  // The links must stop calling back before the rest goes.
  FDataLink->FLookupData = nullptr;
  FLookupLink->FLookupData = nullptr;
  FDataLink.reset();
  FLookupLink.reset();
  FInternalLookupSource.reset();
}

TPersistent* TDBLookupDataEh::GetOwner() const
{
  return FAxisBar;
}

TField* TDBLookupDataEh::ColumnField() const
{
  return FAxisBar ? FAxisBar->Field() : nullptr;
}

TDataSource* TDBLookupDataEh::DataSource() const
{
  TCustomDBAxisGridEh* Grid = FAxisBar ? FAxisBar->Grid() : nullptr;
  return Grid ? Grid->DataSource() : nullptr;
}

TDataSet* TDBLookupDataEh::GridDataSet() const
{
  return FDataLink->DataSet();
}

// Settings that come from the column's lookup field, or the own ones.
String TDBLookupDataEh::KeyFieldNames() const
{
  TField* F = ColumnField();
  return FLookupInDataField && F ? F->KeyFields() : FKeyFieldNames;
}

String TDBLookupDataEh::LookupKeyFieldNames() const
{
  TField* F = ColumnField();
  return FLookupInDataField && F ? F->LookupKeyFields() : FLookupKeyFieldNames;
}

String TDBLookupDataEh::LookupDisplayFieldName() const
{
  TField* F = ColumnField();
  return FLookupInDataField && F ? F->LookupResultField() : FLookupDisplayFieldName;
}

TDataSet* TDBLookupDataEh::LookupDataSet() const
{
  TField* F = ColumnField();
  return FLookupInDataField && F ? F->LookupDataSet() : FLookupDataSet;
}

void TDBLookupDataEh::CheckCanSetLookupProperty()
{
  if (FLookupInDataField)
    DatabaseError(QString::fromLatin1(SPropDefByLookupText));
  if (FDataLink->DataSourceFixed())
    DatabaseError(QString::fromLatin1(SDataSourceFixedText));
}

void TDBLookupDataEh::SetKeyFieldNames(const String& Value)
{
  CheckCanSetLookupProperty();
  if (Value == FKeyFieldNames)
    return;
  FKeyFieldNames = Value;
  UpdateDataFields();
}

void TDBLookupDataEh::SetLookupKeyFieldNames(const String& Value)
{
  CheckCanSetLookupProperty();
  if (Value == FLookupKeyFieldNames)
    return;
  FLookupKeyFieldNames = Value;
  UpdateListFields();
}

void TDBLookupDataEh::SetLookupDisplayFieldName(const String& Value)
{
  CheckCanSetLookupProperty();
  if (Value == FLookupDisplayFieldName)
    return;
  FLookupDisplayFieldName = Value;
  UpdateListFields();
}

void TDBLookupDataEh::SetLookupDataSet(TDataSet* Value)
{
  CheckCanSetLookupProperty();
  if (Value == FLookupDataSet)
    return;
  if (FLookupDataSet)
    FLookupDataSet->RemoveFreeNotification(FInternalLookupSource.get());
  FLookupDataSet = Value;
  if (Value)
    Value->FreeNotification(FInternalLookupSource.get());
  LookupDataSetChanged();
  TCustomDBAxisGridEh* Grid = FAxisBar ? FAxisBar->Grid() : nullptr;
  if (Value && Grid)
    Value->FreeNotification(Grid);
}

void TDBLookupDataEh::SetLookupCache(bool Value)
{
  if (Value == FLookupCache)
    return;
  FLookupCache = Value;
  RefreshLookupListCache();
}

void TDBLookupDataEh::LookupDataSetChanged()
{
  FInternalLookupSource->SetDataSet(LookupDataSet());
}

void TDBLookupDataEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TDBLookupDataEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  SetKeyFieldNames(Src->KeyFieldNames());
  SetLookupCache(Src->LookupCache());
  SetLookupDataSet(Src->LookupDataSet());
  SetLookupDisplayFieldName(Src->LookupDisplayFieldName());
  SetLookupKeyFieldNames(Src->LookupKeyFieldNames());
}

bool TDBLookupDataEh::GetKeyFieldsIsNull() const
{
  if (!FLookupActive)
    return false;
  for (TField* F : FKeyFields)
    if (!F->IsNull())
      return false;
  return true;
}

void TDBLookupDataEh::CheckDataSourceCircularLinks()
{
  if (FLookupLink->Active() && DataSetIsLinkedToSource(FLookupLink->DataSet(), DataSource()))
    DatabaseError(QString::fromLatin1(dbconsts::SCircularDataLink));
}

void TDBLookupDataEh::UpdateDataFields()
{
  if (FDataFieldsUpdating)
    return;
  {
    // A failing step must not leave the guard set: the lookup would never
    // refresh again.
    FDataFieldsUpdating = true;
    ScopeExit ClearGuard([this] { FDataFieldsUpdating = false; });
    FKeyFields.clear();
    CheckDataSourceCircularLinks();
    TField* F = ColumnField();
    const bool FieldIsLookup =
      F && !F->ComponentState().Contains(csDestroying) && F->FieldKind() == fkLookup;
    const String Names = FieldIsLookup ? F->KeyFields() : FKeyFieldNames;
    FDataLink->SetDataSource(Names.isEmpty() ? nullptr : DataSource());
    // A closed dataset may have no fields yet: closing the grid's data must
    // not raise "field not found".
    TDataSet* DS = FDataLink->DataSet();
    if (DS && DS->Active())
      GetFieldsArrayByNamesEh(DS, nullptr, Names, FKeyFields);
    SetLookupInDataField(FieldIsLookup);
    UpdateListFields();
  }
  UpdateLookupIsSetUp();
  UpdateLookupActive();
}

void TDBLookupDataEh::SetLookupInDataField(bool Value)
{
  TField* F = ColumnField();
  TDataSet* Internal = FInternalLookupSource->DataSet();
  const bool SameDataSet = F ? Internal == F->LookupDataSet() : Internal == nullptr;
  if (Value == FLookupInDataField && SameDataSet)
    return;
  FLookupInDataField = Value;
  FInternalLookupSource->SetDataSet(Value && F ? F->LookupDataSet() : LookupDataSet());
  FLookupLink->SetDataSource(FInternalLookupSource.get());
  UpdateListFields();
}

void TDBLookupDataEh::UpdateListFields()
{
  // A dataset that is being freed detaches from the internal source first,
  // which takes back the free notification: forget it here.
  if (FLookupDataSet && FLookupDataSet->ComponentState().Contains(csDestroying))
    FLookupDataSet = nullptr;
  FLookupDisplayField = nullptr;
  FLookupKeyFields.clear();
  FLookupLink->SetDataSource(FInternalLookupSource.get());
  bool ListActive = false;
  const String KeyNames = LookupKeyFieldNames();
  if (FLookupLink->Active() && !KeyNames.isEmpty()) {
    CheckDataSourceCircularLinks();
    TDataSet* DS = FLookupLink->DataSet();
    GetFieldsArrayByNamesEh(DS, nullptr, KeyNames, FLookupKeyFields);
    TField* F = ColumnField();
    if (FLookupInDataField && F)
      FLookupDisplayField = DS->FieldByName(F->LookupResultField());
    else if (!FLookupDisplayFieldName.isEmpty())
      FLookupDisplayField = DS->FieldByName(FLookupDisplayFieldName);
    ListActive = !FLookupKeyFields.empty() && FLookupDisplayField;
  }
  if (ListActive != FLookupListActive) {
    FLookupListActive = ListActive;
    RefreshLookupListCache();
  } else if (!FDataFieldsUpdating && ListActive) {
    RefreshLookupListCache();
  }
  if (FDataFieldsUpdating)
    return;
  UpdateLookupIsSetUp();
  UpdateLookupActive();
}

bool TDBLookupDataEh::CalcLookupActive() const
{
  return !FKeyFields.empty() && !FLookupKeyFields.empty() && FLookupDisplayField && FDataLink->Active() &&
         FLookupLink->Active();
}

bool TDBLookupDataEh::CalcLookupIsSetUp() const
{
  return !KeyFieldNames().isEmpty() && !LookupKeyFieldNames().isEmpty() && !LookupDisplayFieldName().isEmpty() &&
         LookupDataSet();
}

void TDBLookupDataEh::UpdateLookupIsSetUp()
{
  FLookupActive = CalcLookupActive();
  const bool SetUp = CalcLookupIsSetUp();
  const bool Changed = SetUp != FLookupIsSetUp;
  FLookupIsSetUp = SetUp;
  if ((SetUp || Changed) && FAxisBar)
    FAxisBar->LookupStateChanged();
}

void TDBLookupDataEh::UpdateLookupActive()
{
  const bool Active = CalcLookupActive();
  const bool Changed = Active != FLookupActive;
  FLookupActive = Active;
  if ((Active || Changed) && FAxisBar)
    FAxisBar->LookupStateChanged();
}

Variant TDBLookupDataEh::GetLookupValue()
{
  if (!FDataLink->Active() || !FLookupListActive)
    return Null;
  const Variant Key = FieldsValuesAsVariantEh(FKeyFields);
  if (FLookupCache)
    return FLookupListCache->ValueOfKey(Key);
  TDataSet* DS = LookupDataSet();
  if (!DS || !DS->Active())
    return Null;
  return DS->Lookup(LookupKeyFieldNames(), Key, LookupDisplayFieldName());
}

void TDBLookupDataEh::GetLookupValueOfRecord(Integer RecNo, Variant& Value)
{
  // A caller must never see the value of the previous row.
  Value = Null;
  auto* MemTable = dynamic_cast<IMemTableEh*>(GridDataSet());
  if (!MemTable)
    return;
  MemTable->InstantReadEnter(RecNo);
  ScopeExit Leave([MemTable] { MemTable->InstantReadLeave(); });
  Value = GetLookupValue();
}

void TDBLookupDataEh::RefreshLookupListCache()
{
  FLookupListCache->Clear();
  if (!FLookupListActive || !FLookupCache)
    return;
  TDataSet* DS = FLookupLink->DataSet();
  if (!DS)
    return;
  const bool WasActive = DS->Active();
  {
    ScopeExit RestoreActive([DS, WasActive] { DS->SetActive(WasActive); });
    {
      DS->DisableControls();
      ScopeExit Enable([DS] { DS->EnableControls(); });
      const TBookmark Position = DS->GetBookmark();
      ScopeExit Back([DS, &Position] {
        if (!Position.isEmpty() && DS->BookmarkValid(Position))
          DS->GotoBookmark(Position);
      });
      TField* Display = DS->FieldByName(LookupDisplayFieldName());
      const std::vector<TField*> Keys = DS->GetFieldList(LookupKeyFieldNames());
      DS->First();
      while (!DS->Eof()) {
        FLookupListCache->Add(FieldsValuesAsVariantEh(Keys), Display->Value());
        DS->Next();
      }
    }
    FLookupListCache->SortData();
  }
}
