// MemTableEhLoad.cpp: filling a memory table from another dataset or memory
// table, writing its records into another dataset, and its files.
#include "gridlib/memtable/MemTableEh.h"

#include "platform/rtl/ScopeExit.h"

Integer TCustomMemTableEh::LoadFromDataSet(TDataSet* Source, Integer RecordCount, TLoadMode Mode,
                                           bool UseCachedUpdates)
{
  if (!Source || Source == this)
    return 0;
  const bool SourceWasActive = Source->Active();
  Source->DisableControls();
  DisableControls();
  ScopeExit Restore([&] {
    EnableControls();
    Source->EnableControls();
    if (!SourceWasActive)
      Source->Close();
  });
  Source->Open();
  Source->CheckBrowseMode();
  Source->UpdateCursorPos();
  if (Mode == lmCopy || Mode == lmCopyStructureOnly) {
    Close();
    MemTableData()->DestroyTable();
    MemTableData()->DataStruct()->BuildStructFromFields(Source->Fields());
    FieldDefs()->SetUpdated(false);
  }
  if (Mode == lmCopyStructureOnly)
    return 0;
  if (!Active())
    Open();
  CheckBrowseMode();
  if (RecordCount <= 0)
    Source->First();
  Integer Count = 0;
  if (Source->IsEmpty() || Source->Eof())
    return 0;
  TMTDataStructEh* Struct = MemTableData()->DataStruct();
  std::vector<TField*> SourceOf(size_t(Struct->Count()), nullptr);
  for (Integer I = 0; I < Struct->Count(); ++I)
    SourceOf[size_t(I)] = Source->FindField(Struct->GetDataField(I)->GetFieldName());
  auto IsAutoInc = [](TMTDataFieldEh* F) { return F->GetAutoIncrement() || F->GetDataType() == ftAutoInc; };
  TRecordsListEh* List = MemTableData()->RecordsList();
  const bool ThroughDataSet = UseCachedUpdates && CachedUpdates();
  {
    // Stored records join in one list change; appends through the dataset
    // go one by one.
    if (!ThroughDataSet) {
      BeginViewUpdate();
      List->BeginUpdate();
    }
    ScopeExit EndBracket([&] {
      if (!ThroughDataSet) {
        List->EndUpdate();
        EndViewUpdate(false);
      }
    });
    while (!Source->Eof() && (RecordCount <= 0 || Count < RecordCount)) {
      if (ThroughDataSet) {
        Append();
        try {
          for (Integer I = 0; I < Struct->Count(); ++I) {
            TField* Target = FindField(Struct->GetDataField(I)->GetFieldName());
            if (SourceOf[size_t(I)] && Target && Target->FieldKind() == fkData &&
                !(Mode == lmAppend && IsAutoInc(Struct->GetDataField(I))))
              Target->SetValue(SourceOf[size_t(I)]->Value());
          }
          Post();
        } catch (...) {
          Cancel();
          throw;
        }
      } else {
        std::unique_ptr<TMemoryRecordEh> Rec(List->NewRecord());
        for (Integer I = 0; I < Struct->Count(); ++I)
          if (SourceOf[size_t(I)])
            Rec->SetDataValue(I, dvvValueEh, SourceOf[size_t(I)]->Value());
        if (Mode == lmAppend)
          MemTableData()->SetAutoIncValue(Rec.get());
        List->FetchRecord(Rec.get());
        Rec.release();
      }
      ++Count;
      Source->Next();
    }
  }
  First();
  return Count;
}

Integer TCustomMemTableEh::LoadFromMemTableEh(TCustomMemTableEh* Source, Integer RecordCount, TLoadMode Mode,
                                              TMemTableLoadOptionsEh LoadOptions)
{
  // A table sharing this storage (itself or through ExternalMemData) would
  // lose everything when the storage is dropped for the copy.
  if (!Source || Source->MemTableData() == MemTableData())
    return 0;
  const bool WasActive = Active();
  DisableControls();
  ScopeExit Enable([&] { EnableControls(); });
  TMemTableDataEh* SourceData = Source->MemTableData();
  if (Mode == lmCopy || Mode == lmCopyStructureOnly) {
    Close();
    MemTableData()->DestroyTable();
    TMTDataStructEh* Struct = MemTableData()->DataStruct();
    Struct->Assign(SourceData->DataStruct());
    for (TField* F : *Source->Fields())
      if (TMTDataFieldEh* D = Struct->FindField(F->FieldName())) {
        D->SetDisplayLabel(F->DisplayLabel());
        D->SetAlignment(F->Alignment());
        D->SetVisible(F->Visible());
      }
    FieldDefs()->SetUpdated(false);
  }
  std::vector<TMemoryRecordEh*> Range;
  if (Mode != lmCopyStructureOnly) {
    std::vector<TMemoryRecordEh*> All;
    Integer Current = 0;
    if (LoadOptions.Contains(tloDisregardFilterEh)) {
      TRecordsListEh* L = SourceData->RecordsList();
      for (Integer I = 0; I < L->Count(); ++I)
        if (L->Rec(I)->UpdateStatus() != usDeleted)   // deleted rows do not come back
          All.push_back(L->Rec(I));
      if (TMemoryRecordEh* R = Source->Active() ? Source->Rec() : nullptr)
        Current = Integer(std::find(All.begin(), All.end(), R) - All.begin());
    } else {
      TRecordsViewEh* View = Source->RecordsView();
      for (Integer I = 0; I < View->ViewItemsCount(); ++I)
        All.push_back(View->GetViewRecord(I));
      Current = Source->Active() ? std::max(Source->RecordPos(), 0) : 0;
    }
    const size_t From = RecordCount <= 0 ? 0 : std::min(size_t(std::max(Current, 0)), All.size());
    const size_t To = RecordCount <= 0 ? All.size() : std::min(All.size(), From + size_t(RecordCount));
    Range.assign(All.begin() + std::ptrdiff_t(From), All.begin() + std::ptrdiff_t(To));
  }
  TMTDataStructEh* Struct = MemTableData()->DataStruct();
  TMTDataStructEh* SourceStruct = SourceData->DataStruct();
  std::vector<Integer> Target(size_t(SourceStruct->Count()), -1);
  for (Integer I = 0; I < SourceStruct->Count(); ++I)
    Target[size_t(I)] = Mode == lmCopy ? (I < Struct->Count() ? I : -1)
                                       : Struct->FieldIndex(SourceStruct->GetDataField(I)->GetFieldName());
  TRecordsListEh* List = MemTableData()->RecordsList();
  const bool AsInserts = LoadOptions.Contains(tloUseCachedUpdatesEh);
  Integer Added = 0;
  {
    List->BeginUpdate();
    ScopeExit EndBracket([&] { List->EndUpdate(); });
    for (TMemoryRecordEh* From : Range) {
      std::unique_ptr<TMemoryRecordEh> Rec(List->NewRecord());
      for (Integer I = 0; I < SourceStruct->Count(); ++I)
        if (Target[size_t(I)] >= 0)
          Rec->SetDataValue(Target[size_t(I)], dvvValueEh, From->GetDataValue(I, dvvValueEh));
      if (AsInserts)
        FRecordsView->AddRecord(Rec.get());
      else
        List->FetchRecord(Rec.get());
      Rec.release();
      ++Added;
    }
  }
  if (LoadOptions.Contains(tloOpenOnLoad) || WasActive) {
    if (!Active())
      Open();
  } else {
    Close();
  }
  if (Active()) {
    for (TField* F : std::vector<TField*>(Fields()->begin(), Fields()->end()))
      if (TField* S = Source->FindField(F->FieldName()))
        if (S->Index() < FieldCount())
          F->SetIndex(S->Index());
    First();
  }
  return Added;
}

Integer TCustomMemTableEh::SaveToDataSet(TDataSet* Dest, Integer RecordCount)
{
  if (!Dest || Dest == this)
    return 0;
  CheckBrowseMode();
  UpdateCursorPos();
  DisableControls();
  Dest->DisableControls();
  ScopeExit Enable([&] {
    Dest->EnableControls();
    EnableControls();
  });
  if (Dest->Active())
    Dest->CheckBrowseMode();
  else
    Dest->Open();
  if (RecordCount <= 0)
    First();
  Integer Count = 0;
  while (!Eof() && (RecordCount <= 0 || Count < RecordCount)) {
    Dest->Append();
    try {
      for (TField* F : *Dest->Fields())
        if (F->FieldKind() == fkData)
          if (TField* S = FindField(F->FieldName()))
            F->SetValue(S->Value());
      Dest->Post();
    } catch (...) {
      // No half-filled row stays behind in the destination.
      if (Dest->State() == dsInsert)
        Dest->Cancel();
      throw;
    }
    ++Count;
    Next();
  }
  Dest->First();
  return Count;
}

void TCustomMemTableEh::SaveToFile(const String& FileName, TDfmStreamFormatEh Format)
{
  TMemTableDataEh* Data = MemTableData();
  Data->SetStoreStructInStream(true);
  Data->SetStoreRecordsInStream(true);
  // The storage writes beside the file and renames at the end: a failing
  // write leaves the old file.
  Data->SaveToFile(FileName, Format == dfmTextEh);
}

void TCustomMemTableEh::LoadFromFile(const String& FileName)
{
  const bool WasActive = Active();
  Close();
  // The storage reads into a fresh one and takes it over only when the whole
  // file was read: a failing read leaves the old data, open as it was.
  try {
    MemTableData()->LoadFromFile(FileName);
  } catch (...) {
    if (WasActive)
      Open();
    throw;
  }
  FieldDefs()->SetUpdated(false);
  if (WasActive)
    Open();
}
