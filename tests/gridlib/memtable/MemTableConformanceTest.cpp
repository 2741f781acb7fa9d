// MemTableConformanceTest.cpp: one table of dataset cases run against the
// memory table and against the platform's ADO table over the same rows on
// the test server: whatever holds for one must hold for the other.
#include "gridlib/memtable/MemTableEh.h"

#include "platform/data/ADODB.h"
#include "platform/rtl/SysUtils.h"

#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

QString S(const char* Text) { return QString::fromUtf8(Text); }

void Exec(const std::string& Sql)
{
  testsupport::OdbcSession Session;
  Session.Exec(Sql);
}

std::unique_ptr<TADOConnection> Connect()
{
  auto C = std::make_unique<TADOConnection>(nullptr);
  C->SetLoginPrompt(false);
  C->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
  C->Open();
  return C;
}

enum class TSide { Memory, Ado };

// The dataset under test, closed, over the five rows of mt_conf in id order.
struct TSubject {
  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TDataSet> DataSet;
};

TSubject MakeSubject(TSide Side)
{
  TSubject R;
  R.Db = Connect();
  if (Side == TSide::Ado) {
    auto T = std::make_unique<TADOTable>(nullptr);
    T->SetConnection(R.Db.get());
    T->SetTableName(S("public.mt_conf"));
    T->SetIndexFieldNames(S("id"));
    R.DataSet = std::move(T);
    return R;
  }
  // The memory table takes the server's structure and rows.
  TADOQuery Q(nullptr);
  Q.SetConnection(R.Db.get());
  Q.SQL()->SetText(S("select * from mt_conf order by id"));
  Q.Open();
  auto M = std::make_unique<TMemTableEh>(nullptr);
  TMemTableDataEh* Data = M->RecordsView()->MemTableData();
  Data->DataStruct()->BuildStructFromFields(Q.Fields());
  for (Q.First(); !Q.Eof(); Q.Next()) {
    TMemoryRecordEh* Rec = Data->RecordsList()->NewRecord();
    for (Integer I = 0; I < Q.FieldCount(); ++I)
      Rec->SetDataValue(I, dvvValueEh, Q.Fields()->Fields(I)->Value());
    Data->RecordsList()->FetchRecord(Rec);
  }
  R.DataSet = std::move(M);
  return R;
}

std::vector<int> Ids(TDataSet* D)
{
  std::vector<int> R;
  for (D->First(); !D->Eof(); D->Next())
    R.push_back(D->FieldByName(S("id"))->AsInteger());
  return R;
}

TField* F(TDataSet* D, const char* Name) { return D->FieldByName(S(Name)); }

struct TCase {
  const char* Name;
  std::function<void(TDataSet* D)> Run;
};

const std::vector<TCase>& Cases()
{
  static const std::vector<TCase> List = {
    {"OpenAndNavigate",
     [](TDataSet* D) {
       D->Open();
       EXPECT_EQ(D->RecordCount(), 5);
       EXPECT_TRUE(D->Bof());
       EXPECT_EQ(F(D, "id")->AsInteger(), 1);
       EXPECT_EQ(D->RecNo(), 1);
       D->Next();
       D->Next();
       EXPECT_EQ(D->RecNo(), 3);
       EXPECT_EQ(F(D, "name")->AsString(), S("Склад ГП"));
       D->Last();
       EXPECT_TRUE(D->Eof());
       EXPECT_EQ(F(D, "id")->AsInteger(), 5);
       D->Next();
       EXPECT_TRUE(D->Eof());
       EXPECT_EQ(D->MoveBy(-10), -4);
       EXPECT_TRUE(D->Bof());
       D->SetRecNo(4);
       EXPECT_EQ(F(D, "id")->AsInteger(), 4);
       D->SetRecNo(0);   // out of range: nothing moves
       D->SetRecNo(6);
       EXPECT_EQ(D->RecNo(), 4);
       EXPECT_EQ(Ids(D), (std::vector<int>{1, 2, 3, 4, 5}));
       D->Close();
       EXPECT_FALSE(D->Active());
     }},
    {"FieldTypesReadBack",
     [](TDataSet* D) {
       D->Open();
       EXPECT_EQ(F(D, "id")->DataType(), ftAutoInc);
       EXPECT_EQ(F(D, "name")->AsString(), S("Цех сборки"));
       EXPECT_DOUBLE_EQ(F(D, "amount")->AsFloat(), 10.5);
       EXPECT_EQ(F(D, "qty")->AsInteger(), 3);
       EXPECT_EQ(F(D, "day")->AsDateTime(), EncodeDate(2024, 1, 10));
       EXPECT_EQ(F(D, "note")->AsString(), S("первый"));
       EXPECT_TRUE(F(D, "flag")->AsBoolean());
       EXPECT_EQ(F(D, "big")->AsLargeInt(), 12345678901LL);
       D->SetRecNo(4);
       EXPECT_TRUE(F(D, "day")->IsNull());
       EXPECT_TRUE(F(D, "qty")->Value().IsNull() == false);
       D->SetRecNo(5);
       EXPECT_TRUE(F(D, "qty")->IsNull());
       EXPECT_EQ(F(D, "qty")->AsString(), QString());
     }},
    {"EditCancelAndPost",
     [](TDataSet* D) {
       D->Open();
       D->SetRecNo(2);
       D->Edit();
       EXPECT_EQ(D->State(), dsEdit);
       F(D, "name")->SetAsString(S("Цех №2"));
       EXPECT_TRUE(D->Modified());
       EXPECT_EQ(F(D, "name")->AsString(), S("Цех №2"));
       D->Cancel();
       EXPECT_EQ(D->State(), dsBrowse);
       EXPECT_EQ(F(D, "name")->AsString(), S("цех покраски"));
       D->Edit();
       F(D, "name")->SetAsString(S("Цех №2"));
       F(D, "amount")->SetAsFloat(1.25);
       F(D, "day")->Clear();
       D->Post();
       EXPECT_EQ(D->State(), dsBrowse);
       EXPECT_EQ(D->RecNo(), 2);
       EXPECT_EQ(F(D, "name")->AsString(), S("Цех №2"));
       EXPECT_DOUBLE_EQ(F(D, "amount")->AsFloat(), 1.25);
       EXPECT_TRUE(F(D, "day")->IsNull());
       D->First();
       D->Next();
       EXPECT_EQ(F(D, "name")->AsString(), S("Цех №2"));
       EXPECT_THROW(F(D, "name")->SetAsString(S("x")), EDatabaseError);   // not editing
     }},
    {"InsertAppendDelete",
     [](TDataSet* D) {
       D->Open();
       D->Append();
       EXPECT_EQ(D->State(), dsInsert);
       EXPECT_TRUE(F(D, "name")->IsNull());
       F(D, "name")->SetAsString(S("Новый"));
       F(D, "qty")->SetAsInteger(9);
       D->Post();
       EXPECT_EQ(D->RecordCount(), 6);
       EXPECT_EQ(D->RecNo(), 6);
       // The key comes from the table's own generator (the server's serial,
       // the storage's auto-increment), unlike every key before it.
       const int NewId = F(D, "id")->AsInteger();
       EXPECT_FALSE(F(D, "id")->IsNull());
       EXPECT_TRUE(NewId < 1 || NewId > 5) << NewId;
       D->SetRecNo(2);
       D->Insert();
       F(D, "name")->SetAsString(S("Отменённый"));
       D->Cancel();
       EXPECT_EQ(D->RecordCount(), 6);
       EXPECT_EQ(F(D, "id")->AsInteger(), 2);
       D->SetRecNo(3);
       D->Delete();
       EXPECT_EQ(D->RecordCount(), 5);
       EXPECT_EQ(F(D, "id")->AsInteger(), 4);
       EXPECT_EQ(Ids(D), (std::vector<int>{1, 2, 4, 5, NewId}));
       EXPECT_TRUE(D->Locate(S("name"), Variant(S("Новый")), {}));
       EXPECT_EQ(F(D, "qty")->AsInteger(), 9);
       EXPECT_FALSE(D->Locate(S("name"), Variant(S("Отменённый")), {}));
     }},
    {"Bookmarks",
     [](TDataSet* D) {
       D->Open();
       D->SetRecNo(3);
       const TBookmark B3 = D->Bookmark();
       D->First();
       const TBookmark B1 = D->Bookmark();
       EXPECT_TRUE(D->BookmarkValid(B3));
       EXPECT_LT(D->CompareBookmarks(B1, B3), 0);
       EXPECT_GT(D->CompareBookmarks(B3, B1), 0);
       EXPECT_EQ(D->CompareBookmarks(B3, B3), 0);
       EXPECT_EQ(D->CompareBookmarks(TBookmark(), B3), -1);
       D->GotoBookmark(B3);
       EXPECT_EQ(F(D, "id")->AsInteger(), 3);
       EXPECT_EQ(D->RecNo(), 3);
       // The bookmark of a deleted record is no longer valid.
       D->Delete();
       EXPECT_FALSE(D->BookmarkValid(B3));
       EXPECT_THROW(D->GotoBookmark(B3), EDatabaseError);
       EXPECT_TRUE(D->BookmarkValid(B1));
     }},
    {"FilterTextAndEvent",
     [](TDataSet* D) {
       D->Open();
       D->SetFilter(S("qty > 2"));
       D->SetFilteredValue(true);
       EXPECT_EQ(Ids(D), (std::vector<int>{1, 3}));
       EXPECT_EQ(D->RecordCount(), 2);
       D->SetFilteredValue(false);
       EXPECT_EQ(D->RecordCount(), 5);
       D->SetOnFilterRecord([](TDataSet* DS, bool& Accept) {
         Accept = DS->FieldByName(S("name"))->AsString().startsWith(S("Ц"));
       });
       D->SetFilter(QString());
       D->SetFilteredValue(true);
       EXPECT_EQ(Ids(D), (std::vector<int>{1}));
     }},
    {"LocateAndLookup",
     [](TDataSet* D) {
       D->Open();
       EXPECT_TRUE(D->Locate(S("name"), Variant(S("ЦЕХ ПОКРАСКИ")), {loCaseInsensitive}));
       EXPECT_EQ(F(D, "id")->AsInteger(), 2);
       EXPECT_TRUE(D->Locate(S("name"), Variant(S("Скл")), {loPartialKey}));
       EXPECT_EQ(F(D, "id")->AsInteger(), 3);
       EXPECT_FALSE(D->Locate(S("name"), Variant(S("Нет такого")), {}));
       EXPECT_EQ(F(D, "id")->AsInteger(), 3);
       EXPECT_TRUE(D->Locate(S("qty;amount"), VarArrayOf({Variant(2), Variant(0)}), {}));
       EXPECT_EQ(F(D, "id")->AsInteger(), 4);
       EXPECT_EQ(D->Lookup(S("id"), Variant(5), S("name")).AsString(), S("Администрация"));
       EXPECT_EQ(F(D, "id")->AsInteger(), 4);   // Lookup leaves the cursor
     }},
    {"BlobStreams",
     [](TDataSet* D) {
       D->Open();
       EXPECT_TRUE(F(D, "pic")->IsBlob());
       const QByteArray Stored("\x01\x02\x03\xff", 4);
       {
         auto Stream = D->CreateBlobStream(F(D, "pic"), bmRead);
         ASSERT_EQ(Stream->Size(), Stored.size());
         QByteArray Got(Stored.size(), '\0');
         Stream->Read(Got.data(), Integer(Got.size()));
         EXPECT_EQ(Got, Stored);
       }
       EXPECT_THROW(D->CreateBlobStream(F(D, "pic"), bmWrite), EDatabaseError);   // browsing
       D->Edit();
       const QByteArray Written("\x00\x07\x08", 3);
       {
         auto Stream = D->CreateBlobStream(F(D, "pic"), bmWrite);
         Stream->Write(Written.constData(), Integer(Written.size()));
       }
       D->Post();
       EXPECT_EQ(static_cast<TBlobField*>(F(D, "pic"))->AsBytes(), Written);
       D->SetRecNo(2);
       auto Empty = D->CreateBlobStream(F(D, "pic"), bmRead);
       EXPECT_EQ(Empty->Size(), 0);
     }},
    {"CalculatedAndLookupFields",
     [](TDataSet* D) {
       auto* Kinds = new TMemTableEh(D);
       Kinds->FieldDefs()->Add(S("kid"), ftInteger);
       Kinds->FieldDefs()->Add(S("kname"), ftWideString, 20);
       Kinds->CreateDataSet();
       for (auto [Id, Name] : {std::pair{3, "Тройка"}, std::pair{7, "Семёрка"}}) {
         Kinds->Append();
         Kinds->FieldByName(S("kid"))->SetAsInteger(Id);
         Kinds->FieldByName(S("kname"))->SetAsString(S(Name));
         Kinds->Post();
       }
       D->Open();   // the columns, as persistent fields
       D->Close();
       for (Integer I = 0; I < D->FieldDefs()->Count(); ++I)
         D->FieldDefs()->Items(I)->CreateField(D)->SetDataSet(D);
       auto* Total = new TFloatField(D);
       Total->SetFieldName(S("total"));
       Total->SetFieldKind(fkCalculated);
       Total->SetDataSet(D);
       auto* Kind = new TWideStringField(D);
       Kind->SetFieldName(S("kind"));
       Kind->SetSize(20);
       Kind->SetFieldKind(fkLookup);
       Kind->SetLookupDataSet(Kinds);
       Kind->SetKeyFields(S("qty"));
       Kind->SetLookupKeyFields(S("kid"));
       Kind->SetLookupResultField(S("kname"));
       Kind->SetDataSet(D);
       D->OnCalcFields = [](TDataSet* DS) {
         DS->FieldByName(S("total"))->SetAsFloat(DS->FieldByName(S("qty"))->AsFloat() *
                                                 DS->FieldByName(S("amount"))->AsFloat());
       };
       D->Open();
       EXPECT_DOUBLE_EQ(Total->AsFloat(), 31.5);
       EXPECT_EQ(Kind->AsString(), S("Тройка"));
       D->SetRecNo(3);
       EXPECT_DOUBLE_EQ(Total->AsFloat(), 35);
       EXPECT_EQ(Kind->AsString(), S("Семёрка"));
       D->SetRecNo(2);
       EXPECT_TRUE(Kind->IsNull());
       // An edit shows its own calculated value before it is posted.
       D->Edit();
       F(D, "qty")->SetAsInteger(2);
       EXPECT_DOUBLE_EQ(Total->AsFloat(), 40.5);
       D->Post();
       EXPECT_DOUBLE_EQ(Total->AsFloat(), 40.5);
       EXPECT_THROW(Total->SetAsFloat(1), EDatabaseError);
       D->Close();
     }},
  };
  return List;
}

struct TParam {
  TSide Side;
  size_t Case;
};

class DataSetConformance : public ::testing::TestWithParam<TParam> {
protected:
  static void SetUpTestSuite()
  {
    RegisterADOClasses();
    Exec("drop table if exists mt_conf");
    Exec("create table mt_conf (id serial primary key, name varchar(40), amount numeric(15,2), qty int4, "
         "day date, note text, flag bool, big int8, pic bytea)");
  }
  void SetUp() override
  {
    Exec("truncate mt_conf restart identity");
    Exec("insert into mt_conf (name, amount, qty, day, note, flag, big) values "
         "('Цех сборки', 10.5, 3, '2024-01-10', 'первый', true, 12345678901), "
         "('цех покраски', 20.25, 1, '2024-02-01', null, false, 2), "
         "('Склад ГП', 5, 7, '2023-12-31', 'склад', true, 3), "
         "('Ёлочный участок', 0, 2, null, 'O''Neil', false, 4), "
         "('Администрация', 100, null, '2024-03-15', '100%', true, 5)");
    Exec("update mt_conf set pic = '\\x010203ff'::bytea where id = 1");
  }
};

TEST_P(DataSetConformance, Case)
{
  TSubject Subject = MakeSubject(GetParam().Side);
  Cases()[GetParam().Case].Run(Subject.DataSet.get());
}

std::vector<TParam> AllParams()
{
  std::vector<TParam> R;
  for (size_t I = 0; I < Cases().size(); ++I)
    for (TSide Side : {TSide::Memory, TSide::Ado})
      R.push_back({Side, I});
  return R;
}

INSTANTIATE_TEST_SUITE_P(BothDataSets, DataSetConformance, ::testing::ValuesIn(AllParams()),
                         [](const ::testing::TestParamInfo<TParam>& Info) {
                           return std::string(Cases()[Info.param.Case].Name) +
                                  (Info.param.Side == TSide::Memory ? "_MemTable" : "_AdoTable");
                         });

}  // namespace
