// MemTableStreamFuzzer.cpp: feeds bytes to the stream reader of a storage
// that already holds a table. A rejected stream must leave that table as it
// was; an accepted one must save and load again.
#include "gridlib/memtable/MemTableDataEh.h"

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<TMemTableDataEh> Table()
{
  auto Data = std::make_unique<TMemTableDataEh>(nullptr);
  TMTDataStructEh* S = Data->DataStruct();
  S->BuildDataFieldForDef(QStringLiteral("Id"), ftInteger, 0, 0)->AssignDataType(ftInteger);
  S->BuildDataFieldForDef(QStringLiteral("Name"), ftString, 0, 20);
  TMemoryRecordEh* Rec = Data->RecordsList()->NewRecord();
  Rec->SetDataValue(0, dvvValueEh, Variant(7));
  Rec->SetDataValue(1, dvvValueEh, Variant(QStringLiteral("Склад")));
  Data->RecordsList()->FetchRecord(Rec);
  return Data;
}

bool Intact(TMemTableDataEh* Data)
{
  return Data->DataStruct()->Count() == 2 && Data->RecordsList()->Count() == 1 &&
         Data->RecordsList()->Rec(0)->Value(0).AsInteger() == 7 &&
         Data->RecordsList()->Rec(0)->Value(1).AsString() == QStringLiteral("Склад");
}

// Writes a table of every simple type as a seed (VELMORA_WRITE_SEEDS=dir).
void WriteSeeds()
{
  const char* Dir = std::getenv("VELMORA_WRITE_SEEDS");
  if (!Dir)
    return;
  auto Data = Table();
  const TFieldType Types[] = {ftWideString, ftSmallint, ftLargeint, ftFloat, ftCurrency, ftBCD, ftFMTBcd,
                              ftBoolean, ftDate, ftDateTime, ftBlob, ftMemo, ftBytes, ftVariant, ftTimeStamp};
  int N = 0;
  for (TFieldType T : Types) {
    TMTDataFieldEh* F = Data->DataStruct()->CreateField(DataFieldClassForFieldTypeEh(T));
    F->AssignDataType(T);
    F->SetFieldName(QStringLiteral("F%1").arg(++N));
  }
  Data->RecordsList()->Clear();
  for (int R = 0; R < 3; ++R) {
    TMemoryRecordEh* Rec = Data->RecordsList()->NewRecord();
    for (int I = 0; I < Data->DataStruct()->Count() && R > 0; ++I) {
      const TFieldType T = Data->DataStruct()->GetDataField(I)->GetDataType();
      Variant V = T == ftBlob || T == ftBytes ? Variant::FromBytes(QByteArray("\x01\x02", 2))
                : T == ftBoolean               ? Variant(true)
                : T == ftWideString || T == ftMemo || T == ftString || T == ftVariant ? Variant(QStringLiteral("ёж"))
                                                : Variant(R * 1.5);
      Rec->SetDataValue(I, dvvValueEh, V);
    }
    Data->RecordsList()->FetchRecord(Rec);
  }
  Data->SaveToFile(QString::fromLocal8Bit(Dir) + QStringLiteral("/every_type.bin"));
  Data->SaveToFile(QString::fromLocal8Bit(Dir) + QStringLiteral("/every_type.txt"), true);
  std::exit(0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Bytes, size_t Size)
{
  static bool Seeded = (WriteSeeds(), true);
  (void)Seeded;
  auto Data = Table();
  TBytesStream In(QByteArray(reinterpret_cast<const char*>(Bytes), qsizetype(Size)));
  try {
    Data->LoadFromStream(&In);
  } catch (const Exception&) {
    if (!Intact(Data.get()))
      std::abort();
    return 0;
  }
  // An accepted table saves and loads back to the same shape.
  TMemoryStream Out;
  try {
    Data->SaveToStream(&Out);
  } catch (const Exception&) {
    return 0;   // a value no stream can hold (an interface, an array)
  }
  auto Again = std::make_unique<TMemTableDataEh>(nullptr);
  Out.SetPosition(0);
  Again->LoadFromStream(&Out);
  if (Again->DataStruct()->Count() != Data->DataStruct()->Count() ||
      Again->RecordsList()->Count() != Data->RecordsList()->Count())
    std::abort();
  return 0;
}
