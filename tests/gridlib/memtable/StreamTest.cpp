// StreamTest.cpp: the stream form of a storage: a round trip of every field
// type, damaged streams that must leave the loaded table as it was, and files
// that are never left half-written.
#include "MemTableTestSupport.h"

#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace mttest;

namespace {

struct TColumn {
  const char* Name;
  TFieldType Type;
  Variant Value;
};

std::vector<TColumn> EveryType()
{
  const TDateTime Moment = EncodeDateTime(2024, 3, 5, 7, 8, 9, 45);
  return {
    {"Строка", ftString, Variant(QStringLiteral("Склад №1 — ёлка").toUtf8())},
    {"Wide", ftWideString, Variant(QStringLiteral("Цех «Сборка»"))},
    {"Fixed", ftFixedChar, Variant(AnsiString("AB"))},
    {"Guid", ftGuid, Variant(AnsiString("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"))},
    {"FixedWide", ftFixedWideChar, Variant(QStringLiteral("Ж"))},
    {"Small", ftSmallint, Variant(SmallInt(-300))},
    {"Int", ftInteger, Variant(Integer(-2000000000))},
    {"Word", ftWord, Variant(Integer(65000))},
    {"Float", ftFloat, Variant(3.141592653589793)},
    {"Curr", ftCurrency, Variant(Currency::FromRaw(-12345678))},
    {"Bcd", ftBCD, Variant(Currency::FromRaw(99999))},
    {"Auto", ftAutoInc, Variant(Integer(17))},
    {"Large", ftLargeint, Variant(Int64(9000000000000000001LL))},
    {"FmtBcd", ftFMTBcd, Variant(1234.5)},
    {"LongWord", ftLongWord, Variant(LongWord(4000000000U))},
    {"Short", ftShortint, Variant(ShortInt(-100))},
    {"Byte", ftByte, Variant(Byte(200))},
    {"Extended", ftExtended, Variant(-1.5e300)},
    {"Single", ftSingle, Variant(2.5f)},
    {"Bool", ftBoolean, Variant(true)},
    {"Date", ftDate, Variant(TDateTime(EncodeDate(1999, 12, 31)))},
    {"Time", ftTime, Variant(TDateTime(EncodeTime(23, 59, 58, 0)))},
    {"DateTime", ftDateTime, Variant(Moment)},
    {"Blob", ftBlob, Variant::FromBytes(QByteArray("\x00\x01\xFF\xFE", 4))},
    {"Memo", ftMemo, Variant(QStringLiteral("Примечание\r\nвторая строка").toUtf8())},
    {"WideMemo", ftWideMemo, Variant(QStringLiteral("Широкое примечание"))},
    {"Bytes", ftBytes, Variant::FromBytes(QByteArray("abc"))},
    {"VarBytes", ftVarBytes, Variant::FromBytes(QByteArray("\x10\x20", 2))},
    {"Any", ftVariant, Variant(QStringLiteral("любое"))},
    {"Stamp", ftTimeStamp, Variant(Moment)},
    {"StampZone", ftTimeStampOffset, Variant(TDateTime(EncodeDateTime(2024, 3, 5, 7, 8, 9, 0)))},
  };
}

bool IsBinary(TFieldType T)
{
  return T == ftBlob || T == ftBytes || T == ftVarBytes;
}

std::unique_ptr<TMemTableDataEh> EveryTypeStorage()
{
  auto Data = NewStorage();
  for (const TColumn& C : EveryType())
    AddField(Data->DataStruct(), C.Name, C.Type, C.Type == ftBCD || C.Type == ftFMTBcd ? 4 : 40);
  TRecordsListEh* List = Data->RecordsList();
  TMemoryRecordEh* Full = List->NewRecord();
  Integer I = 0;
  for (const TColumn& C : EveryType())
    Full->SetDataValue(I++, dvvValueEh, C.Value);
  List->FetchRecord(Full);
  List->FetchRecord(List->NewRecord());   // every value Null
  return Data;
}

QByteArray Saved(TMemTableDataEh* Data)
{
  TMemoryStream S;
  Data->SaveToStream(&S);
  return S.Bytes();
}

void Load(TMemTableDataEh* Data, const QByteArray& Bytes)
{
  TBytesStream S(Bytes);
  Data->LoadFromStream(&S);
}

void ExpectEveryType(TMemTableDataEh* Data)
{
  const std::vector<TColumn> Columns = EveryType();
  ASSERT_EQ(Data->DataStruct()->Count(), Integer(Columns.size()));
  ASSERT_EQ(Data->RecordsList()->Count(), 2);
  TMemoryRecordEh* Full = Data->RecordsList()->Rec(0);
  TMemoryRecordEh* Empty = Data->RecordsList()->Rec(1);
  for (Integer I = 0; I < Integer(Columns.size()); ++I) {
    const TColumn& C = Columns[size_t(I)];
    SCOPED_TRACE(C.Name);
    TMTDataFieldEh* F = Data->DataStruct()->GetDataField(I);
    EXPECT_EQ(F->GetFieldName(), QString::fromUtf8(C.Name));
    EXPECT_EQ(F->GetDataType(), C.Type);
    const Variant Expected = ConvertToColumnKindEh(C.Value, F->GetVarDataType());
    EXPECT_EQ(Full->Value(I).VType(), Expected.VType());
    if (IsBinary(C.Type)) {
      EXPECT_EQ(Full->Value(I).AsBytes(), Expected.AsBytes());
      EXPECT_FALSE(Empty->Value(I).IsNull()) << "a Null blob reads back empty";
      EXPECT_TRUE(Empty->Value(I).AsBytes().isEmpty());
    } else if (C.Type == ftFloat || C.Type == ftExtended || C.Type == ftFMTBcd) {
      EXPECT_DOUBLE_EQ(Full->Value(I).AsDouble(), Expected.AsDouble());
      EXPECT_TRUE(Empty->Value(I).IsNull());
    } else {
      EXPECT_EQ(CompareVarValuesEh(Full->Value(I), Expected), vrEqual) << VarToStr(Full->Value(I)).toStdString();
      EXPECT_TRUE(Empty->Value(I).IsNull());
    }
  }
}

TEST(MemTableStream, EveryTypeRoundTripsInBothForms)
{
  auto Source = EveryTypeStorage();
  for (bool AsText : {false, true}) {
    SCOPED_TRACE(AsText ? "text" : "binary");
    QTemporaryDir Dir;
    const String File = Dir.filePath(QStringLiteral("таблица.mtd"));
    Source->SaveToFile(File, AsText);
    auto Target = NewStorage();
    AddField(Target->DataStruct(), "Старое", ftInteger);
    Target->LoadFromFile(File);
    ExpectEveryType(Target.get());
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file left";
  }
}

TEST(MemTableStream, DescriptorPropertiesAndCounterTravel)
{
  auto Source = NewStorage();
  auto* Qty = static_cast<TMTNumericDataFieldEh*>(AddField(Source->DataStruct(), "Qty", ftBCD));
  Qty->SetPrecision(12);
  Qty->SetSize(3);
  Qty->SetDisplayLabel(QStringLiteral("Количество"));
  Qty->SetRequired(true);
  Qty->SetAutoIncrement(true);
  TMTDataFieldEh* Name = AddField(Source->DataStruct(), "Name", ftWideString, 60);
  Name->SetVisible(false);
  Name->SetCalculated(true);
  Append(Source.get(), {});
  auto Target = NewStorage();
  Load(Target.get(), Saved(Source.get()));
  auto* Q = dynamic_cast<TMTNumericDataFieldEh*>(Target->DataStruct()->FieldByName(QStringLiteral("Qty")));
  ASSERT_NE(Q, nullptr);
  EXPECT_EQ(Q->NumericDataType(), fdtBCDEh);
  EXPECT_EQ(Q->Precision(), 12);
  EXPECT_EQ(Q->Scale(), 3);
  EXPECT_EQ(Q->GetDisplayLabel(), QStringLiteral("Количество"));
  EXPECT_TRUE(Q->GetRequired());
  TMTDataFieldEh* N = Target->DataStruct()->FieldByName(QStringLiteral("Name"));
  EXPECT_EQ(N->GetSize(), 60);
  EXPECT_FALSE(N->GetVisible());
  EXPECT_TRUE(N->Calculated());
  EXPECT_EQ(Target->AutoIncrement()->CurValue(), -2) << "the counter goes on where it was";
  EXPECT_EQ(Target->RecordsList()->Rec(0)->Value(0).AsCurrency().Raw(), -10000);
}

// Splices the records list of one stream onto the storage and structure of
// another: the way to make records that do not fit their structure.
QByteArray Spliced(const QByteArray& Head, const QByteArray& Tail)
{
  const QByteArray Marker = QByteArray("\x0ETRecordsListEh");
  const qsizetype A = Head.indexOf(Marker);
  const qsizetype B = Tail.indexOf(Marker);
  EXPECT_GE(A, 0);
  EXPECT_GE(B, 0);
  return Head.left(A) + Tail.mid(B);
}

QByteArray StreamOf(std::initializer_list<std::pair<const char*, TFieldType>> Fields,
                    std::initializer_list<Variant> Values)
{
  auto Data = NewStorage();
  for (const auto& F : Fields)
    AddField(Data->DataStruct(), F.first, F.second, 20);
  if (Values.size() > 0)
    Append(Data.get(), Values);
  return Saved(Data.get());
}

TEST(MemTableStream, DamagedStreamsLeaveTheTableAsItWas)
{
  const QByteArray Good = Saved(EveryTypeStorage().get());
  const QByteArray TwoInts = StreamOf({{"X", ftInteger}, {"Y", ftInteger}}, {});
  const QByteArray OneInt = StreamOf({{"X", ftInteger}}, {Variant(1)});
  const QByteArray ThreeInts = StreamOf({{"X", ftInteger}, {"Y", ftInteger}, {"Z", ftInteger}}, {1, 2, 3});
  const QByteArray OneBlob = StreamOf({{"X", ftBlob}}, {});
  const QByteArray OneText = StreamOf({{"X", ftWideString}}, {Variant(QStringLiteral("abc"))});
  const QByteArray OneDate = StreamOf({{"X", ftDate}}, {});
  const QByteArray OneStamp = StreamOf({{"X", ftTimeStamp}}, {});
  QByteArray DuplicateNames = StreamOf({{"Alpha", ftInteger}, {"Bravo", ftInteger}}, {1, 2});
  DuplicateNames.replace("Bravo", "Alpha");
  QByteArray UnknownClass = Good;
  UnknownClass.replace("TMTNumericDataFieldEh", "TMTNumericDataFieldXx");
  QByteArray NoListEnd = OneInt;
  NoListEnd.chop(3);

  struct Case {
    const char* What;
    QByteArray Bytes;
    const char* Message;   // a part of the one error expected
  };
  const Case Cases[] = {
    {"empty", QByteArray(), "Invalid stream format."},
    {"not a stream", QByteArray("\x07garbage"), "Invalid stream format."},
    {"cut after the signature", Good.left(4), ""},
    {"cut in the structure", Good.left(Good.size() / 3), ""},
    {"cut in the records", Good.left(Good.size() - 20), ""},
    {"cut one byte short", Good.left(Good.size() - 1), ""},
    {"list end missing", NoListEnd, ""},
    {"fewer values than fields", Spliced(TwoInts, OneInt), "Record 1 holds 1 values; the structure has 2 fields"},
    {"more values than fields", Spliced(TwoInts, ThreeInts), "Record 1 holds more values"},
    {"text in a blob field", Spliced(OneBlob, OneInt), "Invalid property value"},
    {"text in a number field", Spliced(StreamOf({{"X", ftInteger}}, {}), OneText), "field \"X\""},
    {"text in a date field", Spliced(OneDate, OneText), "field \"X\""},
    {"malformed time stamp", Spliced(OneStamp, OneText), "field \"X\""},
    {"duplicate field names", DuplicateNames, "Alpha"},
    {"unknown descriptor class", UnknownClass, "TMTNumericDataFieldXx"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    auto Target = NewStorage();
    AddField(Target->DataStruct(), "Код", ftInteger);
    AddField(Target->DataStruct(), "Имя", ftWideString, 20);
    Append(Target.get(), {Variant(7), Variant(QStringLiteral("Остаток"))});
    TRecorder Events(Target.get());
    int Errors = 0;
    try {
      Load(Target.get(), C.Bytes);
    } catch (const Exception& E) {
      ++Errors;
      EXPECT_FALSE(E.Message().isEmpty());
      EXPECT_TRUE(E.Message().contains(QString::fromUtf8(C.Message))) << E.Message().toStdString();
    }
    EXPECT_EQ(Errors, 1);
    ASSERT_EQ(Target->DataStruct()->Count(), 2);
    EXPECT_EQ(Target->DataStruct()->GetDataField(1)->GetFieldName(), QStringLiteral("Имя"));
    ASSERT_EQ(Target->RecordsList()->Count(), 1);
    EXPECT_EQ(Target->RecordsList()->Rec(0)->Value(1).AsString(), QStringLiteral("Остаток"));
    EXPECT_TRUE(Events.Events.empty()) << "a failed load tells the subscribers nothing";
  }
}

TEST(MemTableStream, FailedSaveKeepsTheOldFile)
{
  QTemporaryDir Dir;
  const String File = Dir.filePath(QStringLiteral("data.mtd"));
  auto Good = NewStorage();
  AddField(Good->DataStruct(), "X", ftInteger);
  Append(Good.get(), {Variant(42)});
  Good->SaveToFile(File);
  auto Bad = NewStorage();
  AddField(Bad->DataStruct(), "X", ftInteger);
  TMemoryRecordEh* Rec = Append(Bad.get(), {Variant(1)});
  Rec->Edit();
  Rec->SetDataValue(0, dvvValueEh, Unassigned);
  try {
    Bad->SaveToFile(File);
    ADD_FAILURE() << "an unassigned value was written";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("\"TMemoryRecordEh.WriteData\" - Invalid variant type - varEmpty"));
  }
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("data.mtd")});
  auto Check = NewStorage();
  Check->LoadFromFile(File);
  ASSERT_EQ(Check->RecordsList()->Count(), 1);
  EXPECT_EQ(Check->RecordsList()->Rec(0)->Value(0).AsInteger(), 42);
  // Loading keeps the subscribers and tells them once.
  TRecorder Events(Check.get());
  Check->LoadFromFile(File);
  EXPECT_EQ(Events.Actions().back(), rlnListChangedEh);
  EXPECT_THROW(Check->LoadFromFile(Dir.filePath(QStringLiteral("missing.mtd"))), EFOpenError);
}

TEST(MemTableStream, EmptyListWritesNoDataAndNoCounter)
{
  const QByteArray Bytes = StreamOf({{"X", ftInteger}}, {});
  EXPECT_FALSE(Bytes.contains("\x04" "Data"));
  EXPECT_FALSE(Bytes.contains("AutoIncCurValue"));
  EXPECT_TRUE(StreamOf({{"X", ftAutoInc}}, {Variant(1)}).contains("AutoIncCurValue"));
}

TEST(MemTableStream, TimeStampTexts)
{
  struct Case { const char* Text; Integer Ms, ZoneHour, ZoneMinute; };
  const Case Cases[] = {
    {"2024-03-05T07:08:09", 0, 0, 0},
    {"2024-03-05T07:08:09.045", 45, 0, 0},
    {"2024-03-05T07:08:09-05:30", 0, -5, -30},
    {"2024-03-05T07:08:09.001+03:00", 1, 3, 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Text);
    Integer ZH = 9, ZM = 9;
    const TDateTime T = ParseISOTimeStampEh(QString::fromLatin1(C.Text), ZH, ZM);
    EXPECT_EQ(ZH, C.ZoneHour);
    EXPECT_EQ(ZM, C.ZoneMinute);
    EXPECT_EQ(FormatISOTimeStampEh(T, ZH, ZM), QString::fromLatin1(C.Text));
    Word Y, M, D, H, N, S, Ms;
    DecodeDateTime(T, Y, M, D, H, N, S, Ms);
    EXPECT_EQ(Ms, C.Ms);
  }
  Integer ZH = 0, ZM = 0;
  EXPECT_THROW(ParseISOTimeStampEh(QStringLiteral("2024-xx-05"), ZH, ZM), EConvertError);
  EXPECT_THROW(ParseISOTimeStampEh(QStringLiteral("2024-13-05T00:00:00"), ZH, ZM), EConvertError);
}

} // namespace
