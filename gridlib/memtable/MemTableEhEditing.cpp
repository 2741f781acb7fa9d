// MemTableEhEditing.cpp: cached updates of the memory table and its data
// driver: binding, reading through the driver, applying, cancelling,
// reverting and refreshing records.
#include "gridlib/memtable/DataDriverEh.h"
#include "gridlib/memtable/MemTableEh.h"

#include "platform/rtl/ScopeExit.h"

void TCustomMemTableEh::SetDataDriver(TDataDriverEh* Value)
{
  if (Value == FDataDriver)
    return;
  if (Value && FExternalMemData)
    throw Exception(QStringLiteral("Assigning to DataDriver is not allowed if ExternalMemData is assigned"));
  if (FDataDriver) {
    FDataDriver->SetDataDriverConsumer(nullptr);
    FDataDriver->RemoveFreeNotification(this);
  }
  // One driver serves one table.
  if (Value)
    if (auto* Other = dynamic_cast<TCustomMemTableEh*>(Value->GetDataDriverConsumer()); Other && Other != this)
      Other->SetDataDriver(nullptr);
  FDataDriver = Value;
  if (!Value) {
    // Without a driver no change is resolved anywhere: records simply change
    // in the storage.
    FRecordsView->OnApplyUpdates = nullptr;
    FRecordsView->OnFetchRecords = nullptr;
    return;
  }
  Value->SetDataDriverConsumer(this);
  Value->FreeNotification(this);
  FreeNotification(Value);
  FRecordsView->OnApplyUpdates = [this](TMemTableDataEh* Data) { InternalApplyUpdates(Data, -1); };
  FRecordsView->OnFetchRecords = [this](Integer Count) { return ReadDriverRecords(Count); };
  RecordsViewStructChanged();
}

Integer TCustomMemTableEh::ReadDriverRecords(Integer Count)
{
  if (!FDataDriver)
    return 0;
  const Integer Before = FRecordsView->ViewItemsCount();
  Integer Result = FDataDriver->ReadData(MemTableData(), Count);
  // Rows the view filters out do not count: read on until enough show.
  while (Count > 0 && !FDataDriver->ProviderEOF() && FRecordsView->ViewItemsCount() - Before < Count)
    Result += FDataDriver->ReadData(MemTableData(), 1);
  return Result;
}

void TCustomMemTableEh::OpenDriverReader()
{
  if (!FDataDriver)
    return;
  if (FDataDriver->ConnectionIsPostponed()) {
    FDataDriver->AddPostponedActivationDataSet(this);
    return;
  }
  TMemTableDataEh* Data = MemTableData();
  // A detail reads what its master's row asks for, structure included.
  if (FMasterDetailSide != mdsOnSelfEh)
    SetProviderParamsFromMaster();
  // The reader first: the structure is then taken from its fields, without
  // running the query once more only to learn them.
  FDataSetReader = FDataDriver->GetDataReader();
  if (FDataSetReader)
    FDataSetReader->FreeNotification(this);
  if (!FOptions.Contains(mtoPersistentStructEh) && Fields()->Count() == 0) {
    FDataDriver->BuildDataStruct(Data->DataStruct());
  } else {
    // A structure kept over reopening: the rows of the last reading go.
    Data->RecordsList()->Clear();
    Data->AutoIncrement()->Reset();
  }
}

void TCustomMemTableEh::FetchOnOpen()
{
  if (FDataDriver && FFetchAllOnOpen)
    ReadDriverRecords(-1);
}

void TCustomMemTableEh::CloseDriverReader()
{
  if (FDataDriver)
    FDataDriver->ConsumerClosed(this);
}

void TCustomMemTableEh::CheckAppendAfterDriverRead()
{
  if (FDataDriver && !FDataDriver->ProviderEOF()) {
    Resync(TResyncMode());
    throw Exception(QStringLiteral("Attempt to append a record before all records have been read from DataDriver."));
  }
}

void TCustomMemTableEh::ApplyChangeLogNow()
{
  if (CachedUpdates() || !HasCachedChanges())
    return;
  try {
    InternalApplyUpdates(MemTableData(), -1);
  } catch (...) {
    FRecordsView->CancelUpdates();
    throw;
  }
}

Integer TCustomMemTableEh::InternalApplyUpdates(TMemTableDataEh* AMemTableData, Integer MaxErrors)
{
  (void)MaxErrors;
  if (FDataDriver)
    return FDataDriver->ApplyUpdates(AMemTableData);
  FRecordsView->MergeChangeLog();
  return 0;
}

Integer TCustomMemTableEh::ApplyUpdates(Integer MaxErrors)
{
  CheckActive();
  CheckBrowseMode();
  Integer Result = 0;
  {
    // Records merged before an error leave the view too.
    ScopeExit Sync([&] {
      UpdateCursorPos();
      Resync(TResyncMode());
    });
    Result = InternalApplyUpdates(MemTableData(), MaxErrors);
  }
  return Result;
}

void TCustomMemTableEh::CancelUpdates()
{
  if (State() == dsEdit || State() == dsInsert)
    Cancel();
  FRecordsView->CancelUpdates();
  if (Active()) {
    FRecordPos = std::min(FRecordPos, FRecordsView->ViewItemsCount() - 1);
    Resync(TResyncMode());
  }
}

void TCustomMemTableEh::MergeChangeLog()
{
  FRecordsView->MergeChangeLog();
}

bool TCustomMemTableEh::HasCachedChanges() const { return MemTableData()->RecordsList()->HasCachedChanges(); }

void TCustomMemTableEh::RevertRecord()
{
  if (State() == dsEdit || State() == dsInsert)
    Cancel();
  CheckBrowseMode();
  UpdateCursorPos();
  if (FRecordsView->ViewItemsCount() == 0)
    throw Exception(QStringLiteral("There are no records."));
  // In a tree view too the record under the cursor goes back to its state
  // before the cached changes.
  if (TMemoryRecordEh* R = Rec())
    MemTableData()->RecordsList()->RevertRecord(R->Index());
  FRecordPos = std::min(FRecordPos, FRecordsView->ViewItemsCount() - 1);
  Resync(TResyncMode());
}

void TCustomMemTableEh::RefreshRecord()
{
  CheckActive();
  UpdateCursorPos();
  if (FDataDriver && FRecordsView->ViewItemsCount() > 0 && FRecordPos >= 0 &&
      FRecordPos < FRecordsView->ViewItemsCount())
    FDataDriver->RefreshRecord(FRecordsView->GetViewRecord(FRecordPos));
  Resync(TResyncMode());
}

TUpdateErrorEh* TCustomMemTableEh::UpdateError() const
{
  if (!Active() || State() == dsInsert)
    return nullptr;
  TMTRecBuf* Buffer = nullptr;
  if (!GetActiveRecBuf(Buffer) || !Buffer || !Buffer->MemRec)
    return nullptr;
  return Buffer->MemRec->UpdateError();
}

void TCustomMemTableEh::RefreshFromDriver()
{
  if (FDataDriver) {
    FDataDriver->RefreshReader();
    // The storage is read again for the current master row only.
    FMasterValList.Clear();
    if (FMasterDetailSide != mdsOnSelfEh)
      SetProviderParamsFromMaster();
    FDataSetReader = FDataDriver->GetDataReader();
    if (FDataSetReader)
      FDataSetReader->FreeNotification(this);
    BeginViewUpdate();
    ScopeExit End([&] { EndViewUpdate(false); });
    MemTableData()->RecordsList()->Clear();
    MemTableData()->AutoIncrement()->Reset();
    FRecordPos = -1;
    ReadDriverRecords(FFetchAllOnOpen ? -1 : 1);
  }
  RefreshFilter();
}
