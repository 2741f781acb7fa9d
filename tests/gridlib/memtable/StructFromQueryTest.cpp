// StructFromQueryTest.cpp: a storage structure built from the fields of a
// real query on the test server, turned back into field definitions, and the
// query's rows carried into the storage.
#include "MemTableTestSupport.h"

#include "platform/data/ADODB.h"
#include "platform/rtl/SysUtils.h"

#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

namespace {

TEST(MTDataStructFromQuery, FieldsToStructAndBackToDefinitions)
{
  RegisterADOClasses();
  TADOConnection Db(nullptr);
  Db.SetLoginPrompt(false);
  Db.SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
  Db.Open();
  TADOQuery Query(nullptr);
  Query.SetConnection(&Db);
  Query.SQL()->SetText(QStringLiteral(
    "select 7::int4 as id, 'Склад готовой продукции'::varchar(40) as name, 12.34::numeric(10,2) as amount,"
    " 12345678901::int8 as big, 2.5::float8 as ratio, true as active, date '2024-03-05' as day,"
    " timestamp '2024-03-05 07:08:09' as moment, 'Примечание'::text as note"
    " union all select 8, null, null, null, null, false, null, null, null"));
  Query.Open();

  auto Data = mttest::NewStorage();
  TMTDataStructEh* Struct = Data->DataStruct();
  Struct->BuildStructFromFields(Query.Fields());
  ASSERT_EQ(Struct->Count(), Query.FieldCount());
  for (Integer I = 0; I < Query.FieldCount(); ++I) {
    TField* Field = Query.Fields()->Fields(I);
    SCOPED_TRACE(Field->FieldName().toStdString());
    TMTDataFieldEh* Desc = Struct->GetDataField(I);
    EXPECT_EQ(Desc->GetFieldName(), Field->FieldName());
    EXPECT_EQ(Desc->GetDataType(), Field->DataType());
    EXPECT_EQ(Desc->ClassType(), DataFieldClassForFieldTypeEh(Field->DataType()));
    if (Desc->CanDinaSize()) {
      EXPECT_EQ(Desc->GetSize(), Field->Size());
    }
  }

  // The rows themselves fit the structure's value kinds.
  TRecordsListEh* List = Data->RecordsList();
  for (Query.First(); !Query.Eof(); Query.Next()) {
    TMemoryRecordEh* Rec = List->NewRecord();
    for (Integer I = 0; I < Query.FieldCount(); ++I)
      Rec->SetDataValue(I, dvvValueEh, Query.Fields()->Fields(I)->Value());
    List->FetchRecord(Rec);
  }
  ASSERT_EQ(List->Count(), 2);
  EXPECT_EQ(List->Rec(0)->GetDataValues(QStringLiteral("name"), dvvValueEh).AsString(),
            QStringLiteral("Склад готовой продукции"));
  EXPECT_EQ(List->Rec(0)->GetDataValues(QStringLiteral("big"), dvvValueEh).AsInt64(), 12345678901LL);
  EXPECT_TRUE(List->Rec(1)->GetDataValues(QStringLiteral("moment"), dvvValueEh).IsNull());

  TFieldDefs Defs;
  Struct->BuildFieldDefsFromStruct(&Defs);
  ASSERT_EQ(Defs.Count(), Query.FieldDefs()->Count());
  for (Integer I = 0; I < Defs.Count(); ++I) {
    TFieldDef* Def = Defs.Items(I);
    TFieldDef* Original = Query.FieldDefs()->Items(I);
    SCOPED_TRACE(Original->Name().toStdString());
    EXPECT_EQ(Def->Name(), Original->Name());
    EXPECT_EQ(Def->DataType(), Original->DataType());
    if (Struct->GetDataField(I)->CanDinaSize()) {
      EXPECT_EQ(Def->Size(), Original->Size());
    }
  }

  // And a structure built from those definitions is the same again.
  auto Again = mttest::NewStorage();
  Again->DataStruct()->BuildStructFromFieldDefs(&Defs);
  ASSERT_EQ(Again->DataStruct()->Count(), Struct->Count());
  for (Integer I = 0; I < Struct->Count(); ++I) {
    EXPECT_EQ(Again->DataStruct()->GetDataField(I)->GetDataType(), Struct->GetDataField(I)->GetDataType());
    EXPECT_EQ(Again->DataStruct()->GetDataField(I)->GetSize(), Struct->GetDataField(I)->GetSize());
  }
}

} // namespace
