// MemTableEhEdit.cpp: the memory table's editing path: a buffer being
// inserted or edited is written into the storage when posted.
#include "gridlib/memtable/MemTableEh.h"

#include "platform/rtl/ScopeExit.h"

void TCustomMemTableEh::InternalInsert()
{
  if (TMTRecBuf* B = RecBuf(ActiveBuffer()); B && B->BookmarkFlag == bfEOF)
    CheckAppendAfterDriverRead();
  if (TMTRecBuf* B = RecBuf(ActiveBuffer())) {
    B->UseMemRec = false;
    B->MemRec = nullptr;
    B->RecView = nullptr;
  }
}

void TCustomMemTableEh::InternalEdit() {}

void TCustomMemTableEh::DoOnNewRecord()
{
  TMTRecBuf* B = RecBuf(ActiveBuffer());
  TMTDataStructEh* Struct = MemTableData()->DataStruct();
  for (TField* F : *Fields()) {
    if (F->FieldNo() <= 0)
      continue;
    TMTDataFieldEh* D = Struct->GetDataField(F->FieldNo() - 1);
    if (D && D->GetAutoIncrement() && B)
      B->Values[size_t(F->Index())] = Null;
  }
  // A detail's new record belongs to the master's current row before the
  // user's handler sees it.
  const std::vector<TField*>& MasterFields = FMasterDataLink->Fields();
  if (FDetailMode && !FDetailFieldList.empty() && FDetailFieldList.size() == MasterFields.size())
    for (size_t I = 0; I < MasterFields.size(); ++I)
      FDetailFieldList[I]->SetValue(MasterFields[I]->Value());
  inherited::DoOnNewRecord();
}

TMemoryRecordEh* TCustomMemTableEh::PostBufferToStorage(TMTRecBuf* Buffer, bool Inserting)
{
  if (!Inserting) {
    TMemoryRecordEh* R = Buffer->MemRec;
    if (!R)
      DatabaseError(QString::fromUtf8(dbconsts::SRecordNotFound), this);
    if (Buffer->UseMemRec)
      return R;   // nothing was written
    R->Edit();
    try {
      CopyRecBufToRecord(Buffer, R);
      R->Post();
    } catch (...) {
      R->Cancel();
      throw;
    }
    return R;
  }
  TMemoryRecordEh* R = FRecordsView->NewRecord();
  try {
    CopyRecBufToRecord(Buffer, R);
    MemTableData()->SetAutoIncValue(R);
  } catch (...) {
    R->Cancel();
    throw;
  }
  const Integer Row = Buffer->BookmarkFlag == bfEOF ? FRecordsView->ViewItemsCount() : std::max(FRecordPos, 0);
  FRecordsView->InsertRecord(Row, R);
  return R;
}

void TCustomMemTableEh::InternalPost()
{
  inherited::InternalPost();
  TMTRecBuf* B = RecBuf(ActiveBuffer());
  BeginViewUpdate();
  ScopeExit End([&] { EndViewUpdate(false); });
  TMemoryRecordEh* R = PostBufferToStorage(B, State() == dsInsert);
  ApplyChangeLogNow();
  const Integer Row = FRecordsView->IndexOfRec(R);
  if (Row >= 0) {
    FRecordPos = Row;
    B->MemRec = R;
    B->BookmarkData.RecId = R->RecordId();
    B->BookmarkData.RecViewIndex = Row;
    B->BookmarkFlag = bfCurrent;
  }
  FRecordsViewUpdated = false;
}

void TCustomMemTableEh::InternalCancel()
{
  if (TMTRecBuf* B = RecBuf(ActiveBuffer())) {
    B->UseMemRec = B->MemRec != nullptr;
    B->NeedUpdateCalcFields = true;
  }
}

void TCustomMemTableEh::InternalDelete()
{
  TMTRecBuf* B = RecBuf(ActiveBuffer());
  const Integer Row = B && B->MemRec ? FRecordsView->IndexOfRec(B->MemRec) : -1;
  if (Row < 0)
    DatabaseError(QString::fromUtf8(dbconsts::SRecordNotFound), this);
  BeginViewUpdate();
  ScopeExit End([&] { EndViewUpdate(false); });
  FRecordsView->DeleteRecord(Row);
  ApplyChangeLogNow();
  FRecordPos = std::min(Row, FRecordsView->ViewItemsCount() - 1);
  FRecordsViewUpdated = false;
}

void TCustomMemTableEh::InternalAddRecord(TRecordBuffer Buffer, bool Append)
{
  TMTRecBuf* B = RecBuf(Buffer);
  B->BookmarkFlag = Append ? bfEOF : bfInserted;
  PostBufferToStorage(B, true);
  if (!Append)
    ApplyChangeLogNow();
}

void TCustomMemTableEh::InternalRefresh() { RefreshFromDriver(); }

void TCustomMemTableEh::InternalApplyUpdates() {}
