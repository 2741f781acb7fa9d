// DataDriverEh.cpp: the data driver over a provider dataset: reading records
// into a storage, refreshing one record, master parameters and writing the
// change log back into the provider.
#include "gridlib/memtable/DataDriverEh.h"

#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/data/ADODB.h"
#include "platform/data/Odbc.h"
#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/SysUtils.h"

bool IsKeyCapableFieldTypeEh(TFieldType AType)
{
  switch (AType) {
  case ftBlob: case ftMemo: case ftGraphic: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary:
  case ftCursor: case ftDataSet: case ftOraBlob: case ftOraClob: case ftConnection: case ftParams: case ftStream:
  case ftTimeStampOffset: case ftObject:
    return false;
  default:
    return true;
  }
}

TDataDriverEh::TDataDriverEh(TComponent* AOwner) : TComponent(AOwner) {}

TDataDriverEh::~TDataDriverEh()
{
  SetProviderEOF(true);
  if (FReaderDataSetFreeOnEof)
    delete FReaderDataSet;
  FReaderDataSet = nullptr;
  if (FProviderDataSet)
    FProviderDataSet->RemoveFreeNotification(this);
}

void TDataDriverEh::SetProviderDataSet(TDataSet* Value)
{
  if (Value == FProviderDataSet)
    return;
  if (FProviderDataSet)
    FProviderDataSet->RemoveFreeNotification(this);
  if (FReaderDataSet == FProviderDataSet && !FReaderDataSetFreeOnEof)
    FReaderDataSet = nullptr;
  FProviderDataSet = Value;
  if (Value)
    Value->FreeNotification(this);
}

void TDataDriverEh::SetProviderEOF(bool Value)
{
  if (Value == FProviderEOF)
    return;
  FProviderEOF = Value;
  if (Value && FReaderDataSetFreeOnEof) {
    delete FReaderDataSet;
    FReaderDataSet = nullptr;
    FReaderDataSetFreeOnEof = false;
  }
}

void TDataDriverEh::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FProviderDataSet) {
    if (FReaderDataSet == FProviderDataSet)
      FReaderDataSet = nullptr;
    FProviderDataSet = nullptr;
  }
  if (AComponent == FDataDriverConsumer)
    FDataDriverConsumer = nullptr;
}

bool TDataDriverEh::ConnectionIsPostponed() { return false; }

void TDataDriverEh::AddPostponedActivationDataSet(TDataSet* ADataSet) { (void)ADataSet; }

TDataSet* TDataDriverEh::GetDataReader()
{
  ClearFieldMap();
  if (FReaderDataSet && !FProviderEOF)
    return FReaderDataSet;
  FReaderDataSetFreeOnEof = false;
  SetProviderEOF(false);
  TDataSet* Reader = nullptr;
  bool FreeOnEof = false;
  if (OnProduceDataReader)
    OnProduceDataReader(this, Reader, FreeOnEof);
  else
    DefaultProduceDataReader(Reader, FreeOnEof);
  FReaderDataSet = Reader;
  FReaderDataSetFreeOnEof = Reader && FreeOnEof;
  return Reader;
}

void TDataDriverEh::DefaultProduceDataReader(TDataSet*& DataSet, bool& FreeOnEof)
{
  if (!FProviderDataSet)
    return;
  FProviderDataSet->Open();
  FProviderDataSet->First();
  FreeOnEof = false;
  DataSet = FProviderDataSet;
}

Integer TDataDriverEh::ReadData(TMemTableDataEh* MemTableData, Integer Count)
{
  if (FProviderEOF || Count == 0)
    return 0;
  TRecordsListEh* List = MemTableData->RecordsList();
  Integer Result = 0;
  for (;;) {
    std::unique_ptr<TMemoryRecordEh> Rec(List->NewRecord());
    bool Eof = false;
    if (OnReadRecord)
      OnReadRecord(this, MemTableData, Rec.get(), Eof);
    else
      DefaultReadRecord(MemTableData, Rec.get(), Eof);
    SetProviderEOF(Eof);
    if (Eof)
      break;
    List->FetchRecord(Rec.get());
    Rec.release();
    ++Result;
    if (Count > 0 && Result >= Count)
      break;
  }
  return Result;
}

void TDataDriverEh::DefaultReadRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec, bool& ProviderEOF)
{
  TDataSet* Reader = FReaderDataSet;
  if (!Reader || !Reader->Active() || Reader->Eof()) {
    ProviderEOF = true;
    return;
  }
  ProviderEOF = false;
  const Integer N = MemRec->DataStruct()->Count();
  for (Integer I = 0; I < N; ++I)
    AssignFieldValue(MemTableData, MemRec, I, dvvValueEh, Reader);
  Reader->Next();
}

void TDataDriverEh::AssignFieldValue(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec, Integer DataFieldIndex,
                                     TDataValueVersionEh DataValueVersion, TDataSet* ReaderDataSet)
{
  if (OnAssignFieldValue)
    OnAssignFieldValue(this, MemTableData, MemRec, DataFieldIndex, DataValueVersion, ReaderDataSet);
  else
    DefaultAssignFieldValue(MemTableData, MemRec, DataFieldIndex, DataValueVersion, ReaderDataSet);
}

void TDataDriverEh::DefaultAssignFieldValue(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                                            Integer DataFieldIndex, TDataValueVersionEh DataValueVersion,
                                            TDataSet* ReaderDataSet)
{
  (void)MemTableData;
  TMTDataStructEh* Struct = MemRec->DataStruct();
  // The map belongs to one reader: another dataset (a re-read record's
  // cursor) gets its own.
  if (FDataToRecFields.empty() || FFieldMapSource != ReaderDataSet ||
      Integer(FDataToRecFields.size()) != Struct->Count()) {
    FDataToRecFields.assign(size_t(Struct->Count()), -1);
    FFieldMapSource = ReaderDataSet;
    TFields* Fields = ReaderDataSet->Fields();
    for (Integer I = 0; I < Struct->Count(); ++I) {
      const String Name = Struct->GetDataField(I)->GetFieldName();
      for (Integer J = 0; J < Fields->Count(); ++J)
        if (Fields->Fields(J)->FieldName().compare(Name, Qt::CaseInsensitive) == 0) {
          FDataToRecFields[size_t(I)] = J;
          break;
        }
    }
  }
  const Integer J = FDataToRecFields[size_t(DataFieldIndex)];
  if (J >= 0)
    MemRec->SetDataValue(DataFieldIndex, DataValueVersion, ReaderDataSet->Fields()->Fields(J)->Value());
}

void TDataDriverEh::BuildDataStruct(TMTDataStructEh* DataStruct)
{
  if (OnBuildDataStruct) {
    OnBuildDataStruct(this, DataStruct);
  } else if (OnProduceDataReader) {
    if (TDataSet* Reader = GetDataReader())
      DataStruct->BuildStructFromFields(Reader->Fields());
  } else {
    DefaultBuildDataStruct(DataStruct);
  }
}

void TDataDriverEh::DefaultBuildDataStruct(TMTDataStructEh* DataStruct)
{
  // A finished reading's dataset may be closed, its fields gone.
  if (FReaderDataSet && FReaderDataSet->Active()) {
    DataStruct->BuildStructFromFields(FReaderDataSet->Fields());
    AdjustBuiltDataStruct(FReaderDataSet->Fields(), DataStruct);
  } else if (FProviderDataSet) {
    const bool Activate = FProviderDataSet->FieldCount() == 0;
    if (Activate)
      FProviderDataSet->Open();
    ScopeExit Done([&] {
      if (Activate)
        FProviderDataSet->Close();
    });
    DataStruct->BuildStructFromFields(FProviderDataSet->Fields());
    AdjustBuiltDataStruct(FProviderDataSet->Fields(), DataStruct);
  }
}

void TDataDriverEh::AdjustBuiltDataStruct(TFields* Fields, TMTDataStructEh* DataStruct)
{
  (void)Fields;
  (void)DataStruct;
}

void TDataDriverEh::ConsumerClosed(TDataSet* ConsumerDataSet)
{
  (void)ConsumerDataSet;
  if (FProviderDataSet)
    FProviderDataSet->Close();
  SetProviderEOF(true);
}

void TDataDriverEh::RefreshReader()
{
  if (!FProviderDataSet)
    return;
  FProviderDataSet->Refresh();
  FProviderDataSet->First();
}

void TDataDriverEh::RefreshRecord(TMemoryRecordEh* MemRecord)
{
  if (OnRefreshRecord)
    OnRefreshRecord(this, MemRecord->RecordsList()->MemTableData(), MemRecord);
  else
    DefaultRefreshRecord(MemRecord);
}

// Brings the provider back to the row it was on, when that row still exists.
namespace {
struct TBookmarkKeeper {
  TDataSet* DataSet;
  TBookmark Bookmark;
  explicit TBookmarkKeeper(TDataSet* ADataSet) : DataSet(ADataSet), Bookmark(ADataSet->GetBookmark()) {}
  ~TBookmarkKeeper()
  {
    if (!Bookmark.isEmpty() && DataSet->Active() && DataSet->BookmarkValid(Bookmark))
      DataSet->GotoBookmark(Bookmark);
  }
};
}

void TDataDriverEh::DefaultRefreshRecord(TMemoryRecordEh* MemRecord)
{
  if (!FProviderDataSet)
    return;
  if (FKeyFields.isEmpty())
    throw Exception(QStringLiteral("It is required to set DataDriver.KeyFields to refresh record values"));
  TDataSet* Provider = FProviderDataSet;
  TBookmarkKeeper Keeper(Provider);
  const Variant Key =
    MemRecord->GetDataValues(FKeyFields, MemRecord->UpdateStatus() == usModified ? dvvOldValueEh : dvvValueEh);
  if (!Provider->Locate(FKeyFields, Key, TLocateOptions()))
    throw Exception(QStringLiteral("Key is not found in ProviderDataSet"));
  TMemTableDataEh* Data = MemRecord->RecordsList()->MemTableData();
  for (Integer I = 0; I < MemRecord->DataStruct()->Count(); ++I)
    AssignFieldValue(Data, MemRecord, I, dvvRefreshValue, Provider);
}

void SetParamsFromCursorEh(TParams* Params, TDataSet* DataSet)
{
  if (!Params || !DataSet)
    return;
  DataSet->FieldDefs()->Update();
  for (Integer I = 0; I < Params->Count(); ++I) {
    TParam* Param = Params->Items(I);
    if (Param->Bound())
      continue;
    TField* Field = DataSet->FieldByName(Param->Name());
    Param->AssignField(Field);
    Param->SetBound(false);
  }
}

bool ParamsDifferFromCursorEh(const TParams* Params, TDataSet* DataSet)
{
  if (!Params || !DataSet)
    return false;
  for (Integer I = 0; I < Params->Count(); ++I) {
    TParam* Param = Params->Items(I);
    if (TField* Field = DataSet->FindField(Param->Name()))
      if (!VarValuesEqualEh(Field->Value(), Param->Value()))
        return true;
  }
  return false;
}

// The provider's parameters are the platform query's: they take the master's
// values by name.
void TDataDriverEh::SetReaderParamsFromCursor(TDataSet* DataSet)
{
  auto* Query = dynamic_cast<TCustomADODataSet*>(FProviderDataSet);
  if (!Query || !DataSet || Query->Parameters()->Count() == 0)
    return;
  DataSet->FieldDefs()->Update();
  TParameters* Params = Query->Parameters();
  for (Integer I = 0; I < Params->Count(); ++I) {
    TParameter* Param = Params->Items(I);
    TField* Field = DataSet->FieldByName(Param->Name());
    Param->SetDataType(Field->DataType());
    Param->SetValue(Field->Value());
  }
}

bool TDataDriverEh::RefreshReaderParamsFromCursor(TDataSet* DataSet)
{
  auto* Query = dynamic_cast<TCustomADODataSet*>(FProviderDataSet);
  if (!Query || !DataSet)
    return false;
  TParameters* Params = Query->Parameters();
  for (Integer I = 0; I < Params->Count(); ++I) {
    TParameter* Param = Params->Items(I);
    if (TField* Field = DataSet->FindField(Param->Name()))
      if (!VarValuesEqualEh(Field->Value(), Param->Value()))
        return true;
  }
  return false;
}

// Server errors come as the ODBC layer's exceptions: they are database
// errors as much as the data library's own.
static bool IsDatabaseErrorEh(const std::exception_ptr& E, std::unique_ptr<Exception>& Copy)
{
  try {
    std::rethrow_exception(E);
  } catch (const EDatabaseError& Err) {
    Copy = std::make_unique<Exception>(Err);
    return true;
  } catch (const EOleException& Err) {
    Copy = std::make_unique<Exception>(Err);
    return true;
  } catch (...) {
    return false;
  }
}

Integer TDataDriverEh::ApplyUpdates(TMemTableDataEh* MemTableData)
{
  TRecordsListEh* List = MemTableData->RecordsList();
  const size_t Count = List->DeltaList().size();
  Integer Applied = 0;
  // Records merged before an error that stops the pass leave the log too.
  ScopeExit Cleanup([List] { List->CleanupChangedRecs(); });
  for (size_t I = 0; I < Count && I < List->DeltaList().size(); ++I) {
    TMemoryRecordEh* Rec = List->DeltaList()[I];
    if (!Rec)
      continue;
    TUpdateErrorActionEh Action;
    for (;;) {
      Action = ueaBreakRaiseEh;
      std::exception_ptr Failure;
      try {
        UpdateRecord(MemTableData, Rec);
      } catch (...) {
        Failure = std::current_exception();
      }
      if (!Failure) {
        ++Applied;
        Rec->SetUpdateError(nullptr);
        break;
      }
      std::unique_ptr<Exception> Error;
      if (!IsDatabaseErrorEh(Failure, Error))
        std::rethrow_exception(Failure);
      if (OnUpdateError)
        OnUpdateError(this, MemTableData, Rec, Action);
      else
        DefaultUpdateError(MemTableData, Rec, Action);
      if (Action == ueaBreakRaiseEh)
        std::rethrow_exception(Failure);
      Rec->SetUpdateError(std::make_unique<TUpdateErrorEh>(*Error));
      if (Action != ueaRetryEh)
        break;
    }
    if (Action == ueaBreakAbortEh)
      break;
    if (Action != ueaCountinueSkip)
      Rec->MergeChanges();
  }
  return Applied;
}

void TDataDriverEh::UpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec)
{
  if (OnUpdateRecord)
    OnUpdateRecord(this, MemTableData, MemRec);
  else
    DefaultUpdateRecord(MemTableData, MemRec);
}

void TDataDriverEh::DefaultUpdateError(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                                       TUpdateErrorActionEh& Action)
{
  (void)MemTableData;
  (void)MemRec;
  Action = ueaBreakRaiseEh;
}

Integer TDataDriverEh::DefaultUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec)
{
  (void)MemTableData;
  TDataSet* Provider = FProviderDataSet;
  if (!FResolveToDataSet || !Provider)
    return 0;
  const TUpdateStatus Status = MemRec->UpdateStatus();
  if (Status == usUnmodified)
    return 0;
  TBookmarkKeeper Keeper(Provider);
  TBookmark& Bookmark = Keeper.Bookmark;
  String Keys = FKeyFields;
  if (Keys.isEmpty()) {
    // Only a field the record has can match: the others would make every
    // locate fail.
    QStringList Names;
    for (Integer I = 0; I < Provider->FieldCount(); ++I) {
      TField* Field = Provider->Fields()->Fields(I);
      if (IsKeyCapableFieldTypeEh(Field->DataType()) && MemRec->DataStruct()->FindField(Field->FieldName()))
        Names << Field->FieldName();
    }
    Keys = Names.join(QLatin1Char(';'));
  }
  if (Status == usModified || Status == usDeleted) {
    if (Keys.isEmpty())
      DatabaseError(QStringLiteral("There are no key fields to locate the row of the record in ProviderDataSet"));
    // A row that is gone (or whose key changed) must not count as written.
    if (!Provider->Locate(Keys, MemRec->GetDataValues(Keys, dvvOldestValue), TLocateOptions()))
      throw EUpdateConflictEh(QStringLiteral(
        "The row of the record is not found in ProviderDataSet: it was changed or deleted by another user"));
    if (Status == usDeleted && !Bookmark.isEmpty() && Provider->CompareBookmarks(Provider->GetBookmark(), Bookmark) == 0)
      Bookmark.clear();
  }
  switch (Status) {
  case usModified: Provider->Edit(); break;
  case usInserted: Provider->Insert(); break;
  case usDeleted: Provider->Delete(); return 1;
  default: break;
  }
  TMTDataStructEh* Struct = MemRec->DataStruct();
  try {
    for (Integer I = 0; I < Struct->Count(); ++I) {
      TField* Field = Provider->FindField(Struct->GetDataField(I)->GetFieldName());
      if (Field && !Field->ReadOnly())
        Field->SetValue(MemRec->GetDataValue(I, dvvValueEh));
    }
    Provider->Post();
  } catch (...) {
    if (Provider->State() == dsEdit || Provider->State() == dsInsert || Provider->State() == dsSetKey)
      Provider->Cancel();
    throw;
  }
  // The values the server made (keys, defaults) come back into the record.
  MemRec->Edit();
  for (Integer I = 0; I < Struct->Count(); ++I)
    if (TField* Field = Provider->FindField(Struct->GetDataField(I)->GetFieldName()))
      MemRec->SetDataValue(I, dvvValueEh, Field->Value());
  MemRec->Post();
  return 1;
}
