// MemTableTestSupport.h: small helpers of the storage tests: a storage with a
// given structure, and an event recorder.
#pragma once

#include "gridlib/memtable/MemTableDataEh.h"

#include <memory>
#include <vector>

namespace mttest {

inline TMTDataFieldEh* AddField(TMTDataStructEh* Struct, const char* Name, TFieldType Type, Integer Size = 0)
{
  TMTDataFieldEh* F = Struct->CreateField(DataFieldClassForFieldTypeEh(Type));
  F->AssignDataType(Type);
  F->SetFieldName(QString::fromUtf8(Name));
  if (Size > 0 && F->CanDinaSize())
    F->SetSize(Size);
  return F;
}

inline std::unique_ptr<TMemTableDataEh> NewStorage()
{
  return std::make_unique<TMemTableDataEh>(nullptr);
}

// Appends a record with the given current values; answers it.
inline TMemoryRecordEh* Append(TMemTableDataEh* Data, std::initializer_list<Variant> Values)
{
  TRecordsListEh* List = Data->RecordsList();
  TMemoryRecordEh* Rec = List->NewRecord();
  Integer I = 0;
  for (const Variant& V : Values)
    Rec->SetDataValue(I++, dvvValueEh, V);
  List->AddRecord(Rec);
  return Rec;
}

struct TEvent {
  TMemoryRecordEh* Rec;
  Integer Index;
  TRecordsListNotification Action;
  bool operator==(const TEvent&) const = default;
};

// A subscriber that writes down every record event it receives.
class TRecorder {
public:
  explicit TRecorder(TComponent* DataObject)
  {
    Sub = std::make_unique<TRecordsListNotificatorEh>(nullptr);
    Sub->OnDataEvent = [this](TMemoryRecordEh* R, Integer I, TRecordsListNotification A) { Events.push_back({R, I, A}); };
    Sub->SetDataObject(DataObject);
    Events.clear();
  }
  std::vector<TRecordsListNotification> Actions() const
  {
    std::vector<TRecordsListNotification> R;
    for (const TEvent& E : Events)
      R.push_back(E.Action);
    return R;
  }
  std::unique_ptr<TRecordsListNotificatorEh> Sub;
  std::vector<TEvent> Events;
};

// The values of an integer field, row by row from the first row.
inline std::vector<int> ColumnInts(TDataSet* D, const char* FieldName = "id")
{
  std::vector<int> R;
  for (D->First(); !D->Eof(); D->Next())
    R.push_back(D->FieldByName(QString::fromUtf8(FieldName))->AsInteger());
  return R;
}

} // namespace mttest
