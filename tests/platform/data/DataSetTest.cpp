// DataSetTest.cpp: the dataset conformance suite, run against the test server
// through both connection kinds (ODBC data source and driver string).
#include "platform/data/ADODB.h"

#include "tests/support/TestDatabase.h"

#include <QThread>

#include <malloc.h>

#include <memory>
#include <string>
#include <vector>


static QString Q(const std::string& S) { return QString::fromStdString(S); }

static void Exec(const std::string& Sql)
{
  testsupport::OdbcSession S;
  S.Exec(Sql);
}

// The two connection strings the login builds, with the test account.
enum class TKind { DataSource, Driver };

static QString DriverOptions()
{
  return QStringLiteral(
      "ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;ShowSystemTables=0;Fetch=100;"
      "UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;"
      "Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;"
      "ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;"
      "TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;LowerCaseIdentifier=0;D6=-101;"
      "OptionalErrors=0;XaOpt=1");
}

static QString ConnectionStringFor(TKind Kind, const QString& Login, const QString& Password,
                                   const QString& Database = QStringLiteral("velmora"))
{
  if (Kind == TKind::DataSource)
    return QStringLiteral("Provider=MSDASQL.1;Password=") + QuoteConnectionValue(Password) +
           QStringLiteral(";Persist Security Info=True;User ID=") + QuoteConnectionValue(Login) +
           QStringLiteral(";Data Source=velmora_dev");
  return QStringLiteral("DRIVER={PostgreSQL UNICODE};DATABASE=") + Database + QStringLiteral(";SERVER=") +
         Q(testsupport::ServerHost()) + QStringLiteral(";PORT=") + QString::number(testsupport::ServerPort()) +
         QStringLiteral(";UID=") + QuoteOdbcConnectionValue(Login) + QStringLiteral(";PWD=") +
         QuoteOdbcConnectionValue(Password) + QStringLiteral(";SSLmode=allow;") + DriverOptions();
}

static std::unique_ptr<TADOConnection> Connect(TKind Kind)
{
  auto C = std::make_unique<TADOConnection>(nullptr);
  C->SetLoginPrompt(false);
  C->SetConnectionString(ConnectionStringFor(Kind, Q(testsupport::UserName()), Q(testsupport::Password())));
  C->Open();
  return C;
}

static const char* KindName(const ::testing::TestParamInfo<TKind>& Info)
{
  return Info.param == TKind::DataSource ? "DataSource" : "Driver";
}

// Ids of the records a link sees in its window, read by switching its active record.
class TRecordingLink : public TDataLink {
public:
  std::vector<std::string> Events;
  std::vector<int> WindowIds()
  {
    std::vector<int> Ids;
    const int Save = ActiveRecord();
    for (int I = 0; I < RecordCount(); ++I) {
      SetActiveRecord(I);
      Ids.push_back(DataSet()->FieldByName(QStringLiteral("id"))->AsInteger());
    }
    SetActiveRecord(Save);
    return Ids;
  }
protected:
  void ActiveChanged() override { Events.push_back(Active() ? "active" : "inactive"); }
  void DataSetChanged() override { Events.push_back("changed"); }
  void DataSetScrolled(Integer Distance) override { Events.push_back("scrolled " + std::to_string(Distance)); }
  void EditingChanged() override { Events.push_back(Editing() ? "editing" : "browsing"); }
  void RecordChanged(TField* Field) override
  {
    Events.push_back(Field ? "field " + Field->FieldName().toStdString() : "record");
  }
};

static std::vector<int> Range(int From, int To)
{
  std::vector<int> R;
  for (int I = From; I <= To; ++I)
    R.push_back(I);
  return R;
}

class DataSetTest : public ::testing::TestWithParam<TKind> {
protected:
  static void SetUpTestSuite()
  {
    RegisterADOClasses();
    Exec("drop table if exists dt_items; drop table if exists dt_kinds; drop table if exists dt_log");
    Exec("create table dt_items (id serial primary key, s_caption varchar(254) not null, "
         "price numeric(15,4), qty int4, d_date date, note text)");
    Exec("create table dt_log (id serial primary key, s_name varchar(30) unique)");
    Exec("create table dt_kinds (w varchar(254), b numeric(15,0), m numeric(15,4), f numeric, l bigint, "
         "a serial primary key, t text, flag bool, h int2, d date, dt timestamp, fx char(2), fl float8)");
  }

  void SetUp() override
  {
    Exec("truncate dt_items restart identity; truncate dt_log restart identity");
    Exec("insert into dt_items (s_caption, price, qty, d_date, note) values "
         "('Цех сборки', 10.5, 3, '2024-01-10', 'первый'), "
         "('цех покраски', 20.25, 1, '2024-02-01', null), "
         "('Склад ГП', 5, 7, '2023-12-31', 'склад'), "
         "('Ёлочный участок', 0, 2, null, 'O''Neil'), "
         "('Администрация', 100, null, '2024-03-15', '100%')");
    Db = Connect(GetParam());
  }

  std::unique_ptr<TADOQuery> Query(const QString& Sql)
  {
    auto Q = std::make_unique<TADOQuery>(nullptr);
    Q->SetConnection(Db.get());
    Q->SQL()->SetText(Sql);
    return Q;
  }

  std::vector<int> Ids(TDataSet* D)
  {
    std::vector<int> R;
    D->DisableControls();
    D->First();
    while (!D->Eof()) {
      R.push_back(D->FieldByName(QStringLiteral("id"))->AsInteger());
      D->Next();
    }
    D->EnableControls();
    return R;
  }

  std::unique_ptr<TADOConnection> Db;
};

TEST_P(DataSetTest, FieldClassesFollowColumnTypes)
{
  auto Kinds = Query(QStringLiteral("select * from dt_kinds"));
  Kinds->Open();
  struct Case { const char* Name; const char* Class; int Size; int Precision; };
  const Case Cases[] = {
    {"w", "TWideStringField", 254, 0}, {"b", "TBCDField", 0, 15}, {"m", "TBCDField", 4, 15},
    {"l", "TLargeintField", 0, 0}, {"a", "TAutoIncField", 0, 0}, {"t", "TWideStringField", 8190, 0},
    {"flag", "TStringField", 5, 0}, {"h", "TSmallintField", 0, 0}, {"d", "TDateField", 0, 0},
    {"dt", "TDateTimeField", 0, 0}, {"fx", "TWideStringField", 2, 0}, {"fl", "TFloatField", 0, 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TField* F = Kinds->FieldByName(QString::fromLatin1(C.Name));
    EXPECT_EQ(F->ClassName(), QString::fromLatin1(C.Class));
    if (C.Size) {
      EXPECT_EQ(F->Size(), C.Size);
    }
    if (auto* B = dynamic_cast<TBCDField*>(F)) {
      EXPECT_EQ(B->Precision(), C.Precision);
    }
  }
  EXPECT_TRUE(dynamic_cast<TStringField*>(Kinds->FieldByName(QStringLiteral("fx")))->FixedChar());
  EXPECT_TRUE(Kinds->FieldByName(QStringLiteral("f"))->ClassName() == QStringLiteral("TFMTBCDField"));
}

TEST_P(DataSetTest, BooleansArriveAsDriverText)
{
  auto Q = Query(QStringLiteral("select true as yes, false as no, null::bool as unknown"));
  Q->Open();
  EXPECT_EQ(Q->FieldByName(QStringLiteral("yes"))->AsString(), QStringLiteral("1"));
  EXPECT_EQ(Q->FieldByName(QStringLiteral("yes"))->AsInteger(), 1);
  EXPECT_EQ(Q->FieldByName(QStringLiteral("no"))->AsInteger(), 0);
  EXPECT_TRUE(Q->FieldByName(QStringLiteral("unknown"))->IsNull());
}

TEST_P(DataSetTest, NavigationAtBothEndsAndInEmptyResults)
{
  auto Empty = Query(QStringLiteral("select * from dt_items where id < 0"));
  Empty->Open();
  EXPECT_TRUE(Empty->Bof());
  EXPECT_TRUE(Empty->Eof());
  EXPECT_TRUE(Empty->IsEmpty());
  EXPECT_EQ(Empty->RecordCount(), 0);
  EXPECT_EQ(Empty->RecNo(), -1);
  EXPECT_EQ(Empty->MoveBy(3), 0);
  Empty->Last();
  EXPECT_TRUE(Empty->Eof() && Empty->Bof());
  EXPECT_TRUE(Empty->FieldByName(QStringLiteral("s_caption"))->IsNull());
  EXPECT_EQ(Empty->FieldByName(QStringLiteral("s_caption"))->AsString(), QString());

  auto Items = Query(QStringLiteral("select * from dt_items order by id"));
  Items->Open();
  EXPECT_TRUE(Items->Bof());
  EXPECT_FALSE(Items->Eof());
  EXPECT_EQ(Items->RecNo(), 1);
  Items->Prior();
  EXPECT_TRUE(Items->Bof());
  EXPECT_EQ(Items->RecNo(), 1);
  EXPECT_EQ(Items->MoveBy(10), 4);
  EXPECT_TRUE(Items->Eof());
  EXPECT_EQ(Items->FieldByName(QStringLiteral("id"))->AsInteger(), 5);
  Items->Next();
  EXPECT_TRUE(Items->Eof());
  EXPECT_EQ(Items->MoveBy(-10), -4);
  EXPECT_TRUE(Items->Bof());
  Items->Last();
  EXPECT_TRUE(Items->Eof());
  EXPECT_EQ(Items->RecNo(), 5);
  Items->SetRecNo(3);
  EXPECT_EQ(Items->FieldByName(QStringLiteral("id"))->AsInteger(), 3);
  Items->SetRecNo(99);   // beyond the end: stays
  EXPECT_EQ(Items->RecNo(), 3);
  EXPECT_EQ(Ids(Items.get()), Range(1, 5));
}

TEST_P(DataSetTest, RecordNumbersUnderFilterAndSort)
{
  auto Items = Query(QStringLiteral("select * from dt_items"));
  Items->Open();
  Items->SetSort(QStringLiteral("price DESC"));
  EXPECT_EQ(Ids(Items.get()), (std::vector<int>{5, 2, 1, 3, 4}));
  Items->SetFilter(QStringLiteral("price > 1"));
  Items->SetFilteredValue(true);
  EXPECT_EQ(Items->RecordCount(), 4);
  EXPECT_EQ(Ids(Items.get()), (std::vector<int>{5, 2, 1, 3}));
  ASSERT_TRUE(Items->Locate(QStringLiteral("id"), 1, {}));
  EXPECT_EQ(Items->RecNo(), 3);
  Items->SetRecNo(4);
  EXPECT_EQ(Items->FieldByName(QStringLiteral("id"))->AsInteger(), 3);
  Items->SetSort(QStringLiteral("s_caption"));   // keeps the current record
  EXPECT_EQ(Items->FieldByName(QStringLiteral("id"))->AsInteger(), 3);
  EXPECT_EQ(Items->RecNo(), 2);
  EXPECT_EQ(Ids(Items.get()), (std::vector<int>{5, 3, 2, 1}));
  Items->SetFilteredValue(false);
  EXPECT_EQ(Items->RecordCount(), 5);
  EXPECT_THROW(Items->SetSort(QStringLiteral("no_such_field")), EDatabaseError);
}

TEST_P(DataSetTest, BookmarksSurviveFilterChange)
{
  auto Items = Query(QStringLiteral("select * from dt_items order by id"));
  Items->Open();
  Items->SetRecNo(3);
  const TBookmark Mark = Items->GetBookmark();
  Items->SetRecNo(1);
  const TBookmark First = Items->GetBookmark();
  EXPECT_LT(Items->CompareBookmarks(First, Mark), 0);
  EXPECT_EQ(Items->CompareBookmarks(Mark, Mark), 0);
  Items->SetFilter(QStringLiteral("id <> 3"));
  Items->SetFilteredValue(true);
  EXPECT_FALSE(Items->BookmarkValid(Mark));
  EXPECT_THROW(Items->GotoBookmark(Mark), EDatabaseError);
  Items->SetFilter(QStringLiteral("id >= 2"));
  ASSERT_TRUE(Items->BookmarkValid(Mark));
  Items->GotoBookmark(Mark);
  EXPECT_EQ(Items->FieldByName(QStringLiteral("id"))->AsInteger(), 3);
  EXPECT_EQ(Items->RecNo(), 2);
  EXPECT_FALSE(Items->BookmarkValid(TBookmark()));
}

TEST_P(DataSetTest, LocateIgnoresCaseOfCyrillicText)
{
  auto Items = Query(QStringLiteral("select * from dt_items order by id"));
  Items->Open();
  struct Case { const char* Key; TLocateOptions Options; int Id; };
  const Case Cases[] = {
    {"ЦЕХ ПОКРАСКИ", {loCaseInsensitive}, 2},
    {"цех сборки", {loCaseInsensitive}, 1},
    {"ёлочный", {loCaseInsensitive, loPartialKey}, 4},
    {"Склад", {loPartialKey}, 3},
    {"склад", {loPartialKey}, 0},
    {"ЦЕХ ПОКРАСКИ", {}, 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Key);
    Items->First();
    const bool Found = Items->Locate(QStringLiteral("s_caption"), QString::fromUtf8(C.Key), C.Options);
    EXPECT_EQ(Found, C.Id != 0);
    EXPECT_EQ(Items->FieldByName(QStringLiteral("id"))->AsInteger(), C.Id ? C.Id : 1);
  }
  EXPECT_TRUE(Items->Locate(QStringLiteral("qty;price"), VarArrayOf({Variant(7), Variant(5)}), {}));
  EXPECT_EQ(Items->FieldByName(QStringLiteral("id"))->AsInteger(), 3);
  EXPECT_TRUE(Items->Locate(QStringLiteral("qty"), Null, {}));
  EXPECT_EQ(Items->FieldByName(QStringLiteral("id"))->AsInteger(), 5);
  Items->First();
  EXPECT_EQ(VarToStr(Items->Lookup(QStringLiteral("id"), 4, QStringLiteral("note"))), QStringLiteral("O'Neil"));
  EXPECT_TRUE(VarIsNull(Items->Lookup(QStringLiteral("id"), 42, QStringLiteral("note"))));
  EXPECT_EQ(Items->RecNo(), 1);
}

TEST_P(DataSetTest, EditPostCancelDeleteOnTable)
{
  testsupport::OdbcSession Check;
  auto T = std::make_unique<TADOTable>(nullptr);
  T->SetConnection(Db.get());
  T->SetTableName(QStringLiteral("public.dt_items"));
  T->SetIndexFieldNames(QStringLiteral("id"));
  std::vector<std::string> Events;
  T->BeforeEdit = [&](TDataSet*) { Events.push_back("BeforeEdit"); };
  T->AfterEdit = [&](TDataSet*) { Events.push_back("AfterEdit"); };
  T->BeforePost = [&](TDataSet*) { Events.push_back("BeforePost"); };
  T->AfterPost = [&](TDataSet*) { Events.push_back("AfterPost"); };
  T->BeforeCancel = [&](TDataSet*) { Events.push_back("BeforeCancel"); };
  T->AfterCancel = [&](TDataSet*) { Events.push_back("AfterCancel"); };
  T->BeforeDelete = [&](TDataSet*) { Events.push_back("BeforeDelete"); };
  T->AfterDelete = [&](TDataSet*) { Events.push_back("AfterDelete"); };
  T->Open();

  T->SetRecNo(2);
  T->Edit();
  EXPECT_EQ(T->State(), dsEdit);
  T->FieldByName(QStringLiteral("s_caption"))->SetAsString(QStringLiteral("Цех №2"));
  EXPECT_TRUE(T->Modified());
  T->Cancel();
  EXPECT_EQ(T->FieldByName(QStringLiteral("s_caption"))->AsString(), QStringLiteral("цех покраски"));
  EXPECT_EQ(Check.Scalar("select s_caption from dt_items where id=2"), std::optional<std::string>("цех покраски"));

  T->Edit();
  T->FieldByName(QStringLiteral("s_caption"))->SetAsString(QStringLiteral("Цех №2"));
  T->FieldByName(QStringLiteral("price"))->SetAsFloat(1.25);
  T->Post();
  EXPECT_EQ(T->State(), dsBrowse);
  EXPECT_EQ(T->FieldByName(QStringLiteral("s_caption"))->AsString(), QStringLiteral("Цех №2"));
  EXPECT_EQ(Check.Scalar("select s_caption || ' ' || price from dt_items where id=2"),
            std::optional<std::string>("Цех №2 1.2500"));

  T->Append();
  EXPECT_EQ(T->State(), dsInsert);
  T->FieldByName(QStringLiteral("s_caption"))->SetAsString(QStringLiteral("Новый"));
  T->Post();
  EXPECT_EQ(T->FieldByName(QStringLiteral("id"))->AsInteger(), 6);   // the server's serial
  EXPECT_EQ(T->RecordCount(), 6);
  EXPECT_EQ(T->RecNo(), 6);
  EXPECT_EQ(Check.Scalar("select count(*) from dt_items"), std::optional<std::string>("6"));

  T->SetRecNo(3);
  T->Delete();
  EXPECT_EQ(T->RecordCount(), 5);
  EXPECT_EQ(T->FieldByName(QStringLiteral("id"))->AsInteger(), 4);
  EXPECT_EQ(Check.Scalar("select count(*) from dt_items where id=3"), std::optional<std::string>("0"));
  const std::vector<std::string> Expected = {"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel",
                                             "BeforeEdit", "AfterEdit", "BeforePost", "AfterPost",
                                             "BeforePost", "AfterPost", "BeforeDelete", "AfterDelete"};
  EXPECT_EQ(Events, Expected);

  // A refused write keeps the edit and what was typed.
  T->Edit();
  T->FieldByName(QStringLiteral("s_caption"))->SetValue(Null);
  EXPECT_THROW(T->Post(), EOleException);
  EXPECT_EQ(T->State(), dsEdit);
  T->Cancel();
  // The required-field check of persistent settings runs before the server.
  T->FieldByName(QStringLiteral("s_caption"))->SetRequired(true);
  T->Insert();
  try {
    T->Post();
    FAIL() << "Post without a required value";
  } catch (const EDatabaseError& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Field 's_caption' must have a value"));
  }
  T->Cancel();
  EXPECT_EQ(Check.Scalar("select count(*) from dt_items"), std::optional<std::string>("5"));
}

TEST_P(DataSetTest, QueryOverOneTableWritesBackToIt)
{
  Exec("create schema if not exists dt_schema; drop table if exists dt_schema.dep; "
       "create table dt_schema.dep (id serial primary key, s_caption varchar(254), type int4); "
       "insert into dt_schema.dep (s_caption, type) values ('Склад', 2), ('Цех', -1)");
  testsupport::OdbcSession Check;
  auto Q = Query(QStringLiteral("select d.*, d.s_caption || '!' as loud from dt_schema.dep d order by id"));
  Q->Open();
  Q->Last();
  Q->Edit();
  Q->FieldByName(QStringLiteral("type"))->SetAsInteger(0);
  Q->Post();
  EXPECT_EQ(Check.Scalar("select type from dt_schema.dep where s_caption = 'Цех'"), std::optional<std::string>("0"));
  Q->Edit();
  Q->FieldByName(QStringLiteral("loud"))->SetAsString(QStringLiteral("no"));
  EXPECT_THROW(Q->Post(), EDatabaseError);   // a computed column has no table
  Q->Cancel();
  Q->Append();
  Q->FieldByName(QStringLiteral("s_caption"))->SetAsString(QStringLiteral("Новый"));
  Q->Post();
  EXPECT_EQ(Q->FieldByName(QStringLiteral("id"))->AsInteger(), 3);
  Q->Delete();
  EXPECT_EQ(Check.Scalar("select count(*) from dt_schema.dep"), std::optional<std::string>("2"));
  auto Join = Query(QStringLiteral("select i.id, d.s_caption from dt_items i, dt_schema.dep d"));
  Join->Open();
  Join->Edit();
  Join->FieldByName(QStringLiteral("s_caption"))->SetAsString(QStringLiteral("x"));
  EXPECT_THROW(Join->Post(), EDatabaseError);   // two tables: nothing to write to
  Join->Cancel();
}

// An unconstrained varchar longer than the driver's announced width arrives
// whole, so a post neither writes it back cut nor misses the row it keys.
TEST_P(DataSetTest, LongUnconstrainedTextSurvivesPost)
{
  Exec("drop table if exists dt_wide; create table dt_wide (code int4, note varchar); "
       "insert into dt_wide values (1, repeat('Ж', 2000))");
  testsupport::OdbcSession Check;
  auto Q = Query(QStringLiteral("select code, note from dt_wide"));
  Q->Open();
  EXPECT_EQ(Q->FieldByName(QStringLiteral("note"))->AsString().size(), 2000);
  Q->Edit();
  Q->FieldByName(QStringLiteral("code"))->SetAsInteger(2);
  Q->Post();   // no key: the row is found by every old value
  Q->Edit();
  Q->FieldByName(QStringLiteral("note"))->SetAsString(Q->FieldByName(QStringLiteral("note"))->AsString() + "!");
  Q->Post();
  EXPECT_EQ(Check.Scalar("select code || ' ' || length(note) from dt_wide"), std::optional<std::string>("2 2001"));
}

TEST(AdoQuoting, TableNamesAreQuotedOrRefused)
{
  struct Case { const char* Name; const char* Quoted; };
  const Case Cases[] = {
    {"dt_items", "\"dt_items\""},
    {" public . dt_items ", "\"public\".\"dt_items\""},
    {"dt_q\"uote", "\"dt_q\"\"uote\""},
    {"\"My \"\"Table\"\"\"", "\"My \"\"Table\"\"\""},
    {"public.\"a.b\"", "\"public\".\"a.b\""},
    {"x\"; drop table dt_items; --", "\"x\"\"; drop table dt_items; --\""},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(QuoteTable(QString::fromUtf8(C.Name)), QString::fromUtf8(C.Quoted));
  }
  const char* const Refused[] = {"", "\"open", "\"\"", "\"t\" ; drop table dt_items", "a..b", "a.", "a.b.c",
                                 "\"a\"\"b"};
  for (const char* Name : Refused) {
    SCOPED_TRACE(Name);
    EXPECT_THROW(QuoteTable(QString::fromUtf8(Name)), EDatabaseError);
  }
  EXPECT_EQ(QuoteIdent(QStringLiteral("\"id\"")), QStringLiteral("\"\"\"id\"\"\""));
}

// A table and a column whose names hold '"' are read and written.
TEST_P(DataSetTest, TableNameWithQuoteIsQuoted)
{
  Exec("drop table if exists \"dt_q\"\"uote\"; create table \"dt_q\"\"uote\" "
       "(id serial primary key, \"n\"\"ame\" varchar(20)); insert into \"dt_q\"\"uote\" (\"n\"\"ame\") values ('а')");
  testsupport::OdbcSession Check;
  for (const char* Name : {"dt_q\"uote", "public.\"dt_q\"\"uote\""}) {
    SCOPED_TRACE(Name);
    auto T = std::make_unique<TADOTable>(nullptr);
    T->SetConnection(Db.get());
    T->SetTableName(QString::fromUtf8(Name));
    T->Open();
    ASSERT_EQ(T->RecordCount(), 1);
    T->Edit();
    T->FieldByName(QStringLiteral("n\"ame"))->SetAsString(T->FieldByName(QStringLiteral("n\"ame"))->AsString() + "б");
    T->Post();
  }
  EXPECT_EQ(Check.Scalar("select \"n\"\"ame\" from \"dt_q\"\"uote\""), std::optional<std::string>("абб"));
}

// A link that refuses the first deactivation it hears of.
class TRefusingLink : public TDataLink {
public:
  bool Refused = false;
protected:
  void ActiveChanged() override
  {
    if (Active() || Refused)
      return;
    Refused = true;
    throw EDatabaseError(QStringLiteral("refused"));
  }
};

// Freed while open, a dataset closes itself fully even when a listener
// throws during the close: its record buffers and rows do not stay behind.
TEST_P(DataSetTest, DestroyedOpenDataSetFreesItsBuffersThoughALinkThrows)
{
  auto Heap = [] { return static_cast<long long>(mallinfo2().uordblks); };
  TDataSource Source(nullptr);
  TRefusingLink Link;
  Link.SetDataSource(&Source);
  Link.SetBufferCount(20000);
  auto Q = Query(QStringLiteral("select g as id from generate_series(1, 20000) g"));
  Q->Open();
  Q->Close();   // the first open fills caches that stay
  const long long Before = Heap();
  Source.SetDataSet(Q.get());
  Q->Open();
  ASSERT_EQ(Link.RecordCount(), 20000);
  Q.reset();
  EXPECT_TRUE(Link.Refused);
  EXPECT_LT(Heap() - Before, 256 * 1024);
}

TEST_P(DataSetTest, DataLinkWindowAndScrollDistances)
{
  Exec("insert into dt_items (s_caption) select 'x' || g from generate_series(6, 20) g");
  auto Items = Query(QStringLiteral("select id, s_caption from dt_items order by id"));
  auto Source = std::make_unique<TDataSource>(nullptr);
  Source->SetDataSet(Items.get());
  TRecordingLink Link;
  Link.SetDataSource(Source.get());
  Link.SetBufferCount(5);
  Items->Open();
  EXPECT_TRUE(Link.Active());
  EXPECT_EQ(Items->BufferCount(), 5);
  EXPECT_EQ(Link.WindowIds(), Range(1, 5));
  Link.Events.clear();

  struct Step { std::function<void()> Act; const char* Event; int ActiveRecord; int First; };
  const Step Steps[] = {
    {[&] { Items->Next(); }, "scrolled 0", 1, 1},
    {[&] { Items->MoveBy(3); }, "scrolled 0", 4, 1},
    {[&] { Items->Next(); }, "scrolled 1", 4, 2},
    {[&] { Items->MoveBy(-4); }, "scrolled 0", 0, 2},
    {[&] { Items->Prior(); }, "scrolled -1", 0, 1},
    {[&] { Items->MoveBy(10); }, "scrolled 6", 4, 7},
    {[&] { Items->MoveBy(-7); }, "scrolled -3", 0, 4},
    {[&] { Items->Last(); }, "changed", 4, 16},
    {[&] { Items->First(); }, "changed", 0, 1},
    {[&] { Items->Locate(QStringLiteral("id"), 13, {}); }, "changed", 2, 11},
    {[&] { Items->SetRecNo(20); }, "changed", 4, 16},
  };
  for (const Step& S : Steps) {
    SCOPED_TRACE(S.Event);
    Link.Events.clear();
    S.Act();
    ASSERT_FALSE(Link.Events.empty());
    EXPECT_EQ(Link.Events.back(), S.Event);
    EXPECT_EQ(Link.ActiveRecord(), S.ActiveRecord);
    EXPECT_EQ(Link.WindowIds().front(), S.First);
    EXPECT_EQ(Link.RecordCount(), 5);
  }
  // Reading another row of the window leaves the record where it was.
  Items->SetRecNo(10);
  const int Before = Items->FieldByName(QStringLiteral("id"))->AsInteger();
  Link.WindowIds();
  EXPECT_EQ(Items->FieldByName(QStringLiteral("id"))->AsInteger(), Before);

  // A grid-sized window: scrolling down one record at a time moves by 1
  // once the window is full, and never by more.
  Link.SetBufferCount(8);
  Items->First();
  int Scrolled = 0;
  for (int I = 0; I < 19; ++I) {
    Link.Events.clear();
    Items->Next();
    if (Link.Events.back() == "scrolled 1")
      ++Scrolled;
    else
      EXPECT_EQ(Link.Events.back(), "scrolled 0");
  }
  EXPECT_EQ(Scrolled, 12);
  EXPECT_EQ(Link.WindowIds(), Range(13, 20));
  // A filter that leaves fewer rows than the window holds.
  Items->SetFilter(QStringLiteral("id > 18"));
  Items->SetFilteredValue(true);
  EXPECT_EQ(Link.RecordCount(), 2);
  EXPECT_EQ(Link.WindowIds(), (std::vector<int>{19, 20}));
  Items->Close();
  EXPECT_FALSE(Link.Active());
}

TEST_P(DataSetTest, DisabledControlsHearOneChangeAtTheEnd)
{
  auto Items = Query(QStringLiteral("select id from dt_items order by id"));
  auto Source = std::make_unique<TDataSource>(nullptr);
  Source->SetDataSet(Items.get());
  TRecordingLink Link;
  Link.SetDataSource(Source.get());
  Items->Open();
  Link.Events.clear();
  Items->DisableControls();
  Items->Next();
  Items->Last();
  Items->DisableControls();
  Items->EnableControls();
  EXPECT_TRUE(Link.Events.empty());
  Items->EnableControls();
  EXPECT_EQ(Link.Events, (std::vector<std::string>{"changed"}));
  Link.Events.clear();
  Items->DisableControls();
  Items->Close();
  Items->EnableControls();
  EXPECT_EQ(Link.Events, (std::vector<std::string>{"inactive"}));
}

TEST_P(DataSetTest, ParametersOfEachType)
{
  auto Q = Query(QStringLiteral(
      "select :I::int4 + 1 as i, :L::int8 as l, :F::float8 as f, :B::numeric(28,6) as b, :S::text as s, "
      ":D::date as d, :DT::timestamp as dt, :Flag::bool as flag, :n::int4 as n, :s || '!' as again"));
  ASSERT_EQ(Q->Parameters()->Count(), 9);   // "s" and "S" are one parameter
  Q->Parameters()->ParamByName(QStringLiteral("i"))->SetValue(41);
  Q->Parameters()->ParamByName(QStringLiteral("l"))->SetValue(Int64(9000000000LL));
  Q->Parameters()->ParamByName(QStringLiteral("f"))->SetValue(2.5);
  TParameter* B = Q->Parameters()->ParamByName(QStringLiteral("b"));
  B->SetDataType(ftBCD);
  B->SetPrecision(28);
  B->SetNumericScale(6);
  B->SetValue(Currency::FromRaw(123456789));
  Q->Parameters()->ParamByName(QStringLiteral("s"))->SetValue(QStringLiteral("Привет; 'мир'"));
  TParameter* D = Q->Parameters()->ParamByName(QStringLiteral("d"));
  D->SetDataType(ftDate);
  D->SetValue(Variant(TDateTime(45351.0)));   // 2024-02-29
  Q->Parameters()->ParamByName(QStringLiteral("DT"))->SetValue(Variant(TDateTime(45351.75)));
  Q->Parameters()->ParamByName(QStringLiteral("flag"))->SetValue(true);
  TParameter* N = Q->Parameters()->ParamByName(QStringLiteral("N"));
  N->SetDataType(ftInteger);
  N->SetValue(Null);
  Q->Open();
  EXPECT_EQ(Q->FieldByName(QStringLiteral("i"))->AsInteger(), 42);
  EXPECT_EQ(Q->FieldByName(QStringLiteral("l"))->AsLargeInt(), 9000000000LL);
  EXPECT_DOUBLE_EQ(Q->FieldByName(QStringLiteral("f"))->AsFloat(), 2.5);
  EXPECT_DOUBLE_EQ(Q->FieldByName(QStringLiteral("b"))->AsFloat(), 12345.6789);
  EXPECT_EQ(Q->FieldByName(QStringLiteral("s"))->AsString(), QStringLiteral("Привет; 'мир'"));
  EXPECT_DOUBLE_EQ(Q->FieldByName(QStringLiteral("d"))->AsDateTime().Val, 45351.0);
  EXPECT_DOUBLE_EQ(Q->FieldByName(QStringLiteral("dt"))->AsDateTime().Val, 45351.75);
  EXPECT_EQ(Q->FieldByName(QStringLiteral("flag"))->AsInteger(), 1);
  EXPECT_TRUE(Q->FieldByName(QStringLiteral("n"))->IsNull());
  EXPECT_EQ(Q->FieldByName(QStringLiteral("again"))->AsString(), QStringLiteral("Привет; 'мир'!"));
  EXPECT_THROW(Q->Parameters()->ParamByName(QStringLiteral("nope")), EDatabaseError);

  // A typed text compared with numbers and texts of the table, as the forms do.
  auto P = Query(QStringLiteral("select id from dt_items where s_caption = :s_name or id = :id"));
  P->Parameters()->ParamByName(QStringLiteral("S_NAME"))->SetValue(QStringLiteral("Склад ГП"));
  P->Parameters()->ParamByName(QStringLiteral("id"))->SetValue(1);
  P->Open();
  EXPECT_EQ(P->RecordCount(), 2);
}

TEST_P(DataSetTest, CommandReturnsInsertedId)
{
  auto Cmd = std::make_unique<TADOCommand>(nullptr);
  Cmd->SetConnection(Db.get());
  Cmd->SetCommandText(QStringLiteral("insert into dt_items (s_caption, qty) values (:cap, :qty) returning id"));
  Cmd->Parameters()->ParamByName(QStringLiteral("cap"))->SetValue(QStringLiteral("Цех 'Б'"));
  Cmd->Parameters()->ParamByName(QStringLiteral("qty"))->SetValue(4);
  auto Result = Cmd->Execute();
  ASSERT_TRUE(Result);
  EXPECT_EQ(Result->Fields()->Fields(0)->AsInteger(), 6);
  auto Plain = std::make_unique<TADOCommand>(nullptr);
  Plain->SetConnection(Db.get());
  Plain->SetCommandText(QStringLiteral("update dt_items set qty = 0 where id > 3"));
  Integer Affected = 0;
  EXPECT_FALSE(Plain->Execute(Affected));
  EXPECT_EQ(Affected, 3);
  auto Q = Query(QStringLiteral("delete from dt_items where id = :id"));
  Q->Parameters()->ParamByName(QStringLiteral("id"))->SetValue(6);
  EXPECT_EQ(Q->ExecSQL(), 1);
}

TEST_P(DataSetTest, BatchOpenedAsQueryRunsEveryStatement)
{
  auto Batch = Query(QStringLiteral("insert into dt_log (s_name) values ('x');\n"
                                    "insert into dt_log (s_name) values ('y');\n"
                                    "select count(*) as n from dt_log;"));
  Batch->Open();
  EXPECT_EQ(Batch->FieldByName(QStringLiteral("n"))->AsInteger(), 2);
  EXPECT_EQ(Db->Execute(QStringLiteral("delete from dt_log where s_name = 'x'; delete from dt_log")), 1);
}

TEST_P(DataSetTest, FailedStatementInTransactionWritesNothing)
{
  testsupport::OdbcSession Check;
  Db->BeginTrans();
  EXPECT_TRUE(Db->InTransaction());
  Db->Execute(QStringLiteral("insert into dt_log (s_name) values ('a')"));
  EXPECT_THROW(Db->Execute(QStringLiteral("insert into dt_log (s_name) values ('a')")), EOleException);
  // Committing after a failure must not look like success.
  EXPECT_THROW(Db->CommitTrans(), EOleException);
  EXPECT_FALSE(Db->InTransaction());
  EXPECT_EQ(Check.Scalar("select count(*) from dt_log"), std::optional<std::string>("0"));

  Db->BeginTrans();
  Db->Execute(QStringLiteral("insert into dt_log (s_name) values ('b')"));
  Db->RollbackTrans();
  Db->BeginTrans();
  Db->Execute(QStringLiteral("insert into dt_log (s_name) values ('c')"));
  Db->CommitTrans();
  EXPECT_EQ(Check.Scalar("select string_agg(s_name, ',') from dt_log"), std::optional<std::string>("c"));
}

TEST_P(DataSetTest, ServerErrorsCarryTheServerMessage)
{
  try {
    Db->Execute(QStringLiteral("select * from no_such_table"));
    FAIL() << "no error";
  } catch (const EOleException& E) {
    EXPECT_TRUE(E.Message().contains(QStringLiteral("no_such_table"))) << E.what();
    EXPECT_EQ(E.SqlState(), QStringLiteral("42P01"));
  }
  auto Q = Query(QStringLiteral("select 1/0"));
  EXPECT_THROW(Q->Open(), EOleException);
  EXPECT_FALSE(Q->Active());
}

// A lost link is told as such once; the next use connects again with the
// same account, and what was fetched stays readable meanwhile.
TEST_P(DataSetTest, LostConnectionIsToldThenReconnects)
{
  auto Items = Query(QStringLiteral("select * from dt_items order by id"));
  Items->Open();
  auto Pid = Query(QStringLiteral("select pg_backend_pid() as pid"));
  Pid->Open();
  const int Backend = Pid->FieldByName(QStringLiteral("pid"))->AsInteger();
  {
    testsupport::OdbcSession Admin;
    Admin.Exec("select pg_terminate_backend(" + std::to_string(Backend) + ")");
    // the server ends the session on its own time
    for (int I = 0; I < 100; ++I) {
      if (Admin.Scalar("select count(*) from pg_stat_activity where pid = " + std::to_string(Backend)) ==
          std::optional<std::string>("0"))
        break;
      QThread::msleep(50);
    }
  }
  // What was fetched stays readable.
  Items->Last();
  EXPECT_EQ(Items->FieldByName(QStringLiteral("id"))->AsInteger(), 5);
  try {
    Db->Execute(QStringLiteral("select 1"));
    FAIL() << "a dead connection answered";
  } catch (const EConnectionLost& E) {
    EXPECT_FALSE(E.Message().isEmpty());
  }
  EXPECT_FALSE(Db->Connected());
  EXPECT_TRUE(Items->Active()) << "the datasets stay open on their rows";
  auto Again = Query(QStringLiteral("select 1 as one"));
  Again->Open();
  EXPECT_TRUE(Db->Connected());
  EXPECT_EQ(Again->FieldByName(QStringLiteral("one"))->AsInteger(), 1);
}

TEST_P(DataSetTest, CalculatedAndLookupFields)
{
  auto Kinds = Query(QStringLiteral("select 1 as kid, 'Склад' as kname union all select 3, 'Цех'"));
  Kinds->Open();
  auto Items = std::make_unique<TADOQuery>(nullptr);
  Items->SetConnection(Db.get());
  Items->SQL()->SetText(QStringLiteral("select id, qty, price from dt_items order by id"));
  for (const char* Name : {"id", "qty"}) {
    auto* F = new TIntegerField(Items.get());
    F->SetFieldName(QString::fromLatin1(Name));
    F->SetDataSet(Items.get());
  }
  auto* Price = new TBCDField(Items.get());
  Price->SetFieldName(QStringLiteral("price"));
  Price->SetPrecision(15);
  Price->SetDataSet(Items.get());
  auto* Total = new TFloatField(Items.get());
  Total->SetFieldName(QStringLiteral("total"));
  Total->SetFieldKind(fkCalculated);
  Total->SetDataSet(Items.get());
  auto* KindName = new TWideStringField(Items.get());
  KindName->SetFieldName(QStringLiteral("kind"));
  KindName->SetFieldKind(fkLookup);
  KindName->SetLookupDataSet(Kinds.get());
  KindName->SetKeyFields(QStringLiteral("qty"));
  KindName->SetLookupKeyFields(QStringLiteral("kid"));
  KindName->SetLookupResultField(QStringLiteral("kname"));
  KindName->SetDataSet(Items.get());
  int Calls = 0;
  Items->OnCalcFields = [&](TDataSet* D) {
    ++Calls;
    D->FieldByName(QStringLiteral("total"))->SetAsFloat(D->FieldByName(QStringLiteral("qty"))->AsFloat() *
                                                        D->FieldByName(QStringLiteral("price"))->AsFloat());
  };
  Items->Open();
  EXPECT_FALSE(Items->DefaultFields());
  EXPECT_EQ(Items->FieldCount(), 5);
  EXPECT_DOUBLE_EQ(Total->AsFloat(), 31.5);
  EXPECT_EQ(KindName->AsString(), QStringLiteral("Цех"));
  Items->Next();
  EXPECT_EQ(KindName->AsString(), QStringLiteral("Склад"));
  Items->Next();
  EXPECT_TRUE(KindName->IsNull());
  EXPECT_GT(Calls, 0);
  EXPECT_THROW(Total->SetAsFloat(1), EDatabaseError);   // not in edit mode
  Items->Close();
  Items.reset();
}

// With LookupCache the lookup dataset is read once, on first use: fetching
// records moves it no more, and an edit there shows only after
// RefreshLookupList. Without the cache each record looks its key up afresh.
TEST_P(DataSetTest, LookupCacheReadsTheLookupDataSetOnce)
{
  Exec("insert into dt_log (s_name) values ('штука'), ('килограмм'), ('метр')");
  auto Units = Query(QStringLiteral("select id, s_name from dt_log order by id"));
  Units->Open();
  int UnitScrolls = 0;
  Units->AfterScroll = [&](TDataSet*) { ++UnitScrolls; };
  auto Items = Query(QStringLiteral("select id, qty from dt_items order by id"));
  for (const char* Name : {"id", "qty"}) {
    auto* F = new TIntegerField(Items.get());
    F->SetFieldName(QString::fromLatin1(Name));
    F->SetDataSet(Items.get());
  }
  auto* Unit = new TWideStringField(Items.get());
  Unit->SetFieldName(QStringLiteral("unit"));
  Unit->SetFieldKind(fkLookup);
  Unit->SetLookupDataSet(Units.get());
  Unit->SetKeyFields(QStringLiteral("qty"));
  Unit->SetLookupKeyFields(QStringLiteral("id"));
  Unit->SetLookupResultField(QStringLiteral("s_name"));
  Unit->SetLookupCache(true);
  Unit->SetDataSet(Items.get());
  auto UnitsShown = [&] {
    std::vector<String> Names;
    for (Items->First(); !Items->Eof(); Items->Next())
      Names.push_back(Unit->AsString());
    return Names;
  };
  const std::vector<String> Before = {QStringLiteral("метр"), QStringLiteral("штука"), String(),
                                      QStringLiteral("килограмм"), String()};   // qty 3, 1, 7, 2, null

  Items->Open();
  EXPECT_EQ(UnitsShown(), Before);
  const int Read = UnitScrolls;
  EXPECT_GE(Read, 3) << "the list is read from the lookup dataset";
  EXPECT_EQ(UnitsShown(), Before);
  EXPECT_EQ(UnitScrolls, Read) << "records fetched again leave the lookup dataset alone";
  EXPECT_EQ(Units->RecNo(), 1);

  ASSERT_TRUE(Units->Locate(QStringLiteral("id"), 2, {}));
  Units->Edit();
  Units->FieldByName(QStringLiteral("s_name"))->SetAsString(QStringLiteral("кг"));
  Units->Post();
  EXPECT_EQ(UnitsShown(), Before) << "the cached list stands until it is refreshed";
  Unit->RefreshLookupList();
  std::vector<String> After = Before;
  After[3] = QStringLiteral("кг");
  EXPECT_EQ(UnitsShown(), After);

  Items->Close();
  Unit->SetLookupCache(false);
  Items->Open();
  Units->Locate(QStringLiteral("id"), 3, {});
  Units->Edit();
  Units->FieldByName(QStringLiteral("s_name"))->SetAsString(QStringLiteral("м"));
  Units->Post();
  After[0] = QStringLiteral("м");
  EXPECT_EQ(UnitsShown(), After) << "without the cache each record sees the lookup dataset as it is";
}

TEST_P(DataSetTest, OnFilterRecordNarrowsTheRows)
{
  auto Items = Query(QStringLiteral("select * from dt_items order by id"));
  Items->Open();
  Items->SetOnFilterRecord([](TDataSet* D, bool& Accept) {
    Accept = D->FieldByName(QStringLiteral("note"))->AsString().contains(u'%') ||
             D->FieldByName(QStringLiteral("id"))->AsInteger() == 1;
  });
  EXPECT_EQ(Items->RecordCount(), 5);   // not filtered yet
  Items->SetFilteredValue(true);
  EXPECT_EQ(Ids(Items.get()), (std::vector<int>{1, 5}));
  Items->SetFilter(QStringLiteral("id > 1"));
  EXPECT_EQ(Ids(Items.get()), (std::vector<int>{5}));
}

TEST_P(DataSetTest, RequeryShowsNewRowsFromTheFirst)
{
  auto Items = Query(QStringLiteral("select * from dt_items order by id"));
  Items->Open();
  Items->Last();
  Exec("insert into dt_items (s_caption) values ('Ещё')");
  Items->Requery();
  EXPECT_EQ(Items->RecordCount(), 6);
  EXPECT_EQ(Items->RecNo(), 1);
  Items->Close();
  Items->Open();
  EXPECT_EQ(Items->RecordCount(), 6);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DataSetTest, ::testing::Values(TKind::DataSource, TKind::Driver), KindName);

// ---------------------------------------------------------------------------
// Connection strings against the real driver

class ConnectionStringTest : public ::testing::TestWithParam<TKind> {
protected:
  static void SetUpTestSuite()
  {
    Exec("do $$ begin if not exists (select from pg_roles where rolname = 'dt_odd_user') then "
         "create role dt_odd_user login; end if; end $$");
    Exec("alter role dt_odd_user password 'p;a}}s{s+%41 x'");
    Exec("grant connect on database velmora to dt_odd_user");
  }
};

TEST_P(ConnectionStringTest, PasswordWithSeparatorsAndBracesWorks)
{
  TADOConnection C(nullptr);
  C.SetConnectionString(ConnectionStringFor(GetParam(), QStringLiteral("dt_odd_user"),
                                            QStringLiteral("p;a}}s{s+%41 x")));
  C.Open();
  auto Q = std::make_unique<TADOQuery>(nullptr);
  Q->SetConnection(&C);
  Q->SQL()->SetText(QStringLiteral("select current_user::text as u, current_database()::text as db"));
  Q->Open();
  EXPECT_EQ(Q->FieldByName(QStringLiteral("u"))->AsString(), QStringLiteral("dt_odd_user"));
  EXPECT_EQ(Q->FieldByName(QStringLiteral("db"))->AsString(), QStringLiteral("velmora"));
  // The account can also be given apart from the string.
  TADOConnection D(nullptr);
  D.SetConnectionString(ConnectionStringFor(GetParam(), QStringLiteral("nobody"), QStringLiteral("wrong")));
  D.Open(QStringLiteral("dt_odd_user"), QStringLiteral("p;a}}s{s+%41 x"));
  EXPECT_TRUE(D.Connected());
}

TEST_P(ConnectionStringTest, TypedTextAddsNoAttribute)
{
  struct Case { const char* Login; const char* Password; };
  const Case Cases[] = {
    {"x;Database=postgres", "whatever"},
    {"x};Database=postgres;UID={", "p"},
    {"dt_odd_user", "wrong;Database=postgres"},
    {"{dt_odd_user}", "p;a}}s{s+%41 x"},
  };
  for (const Case& Cs : Cases) {
    SCOPED_TRACE(Cs.Login);
    TADOConnection C(nullptr);
    C.SetConnectionString(ConnectionStringFor(GetParam(), QString::fromUtf8(Cs.Login),
                                              QString::fromUtf8(Cs.Password)));
    // Either the server refuses the account, or the session is in the
    // database the string names, as the account given.
    try {
      C.Open();
    } catch (const EOleException&) {
      continue;
    }
    auto Q = std::make_unique<TADOQuery>(nullptr);
    Q->SetConnection(&C);
    Q->SQL()->SetText(QStringLiteral("select current_user::text as u, current_database()::text as db"));
    Q->Open();
    EXPECT_EQ(Q->FieldByName(QStringLiteral("db"))->AsString(), QStringLiteral("velmora"));
    EXPECT_EQ(Q->FieldByName(QStringLiteral("u"))->AsString(), QString::fromUtf8(Cs.Login));
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, ConnectionStringTest, ::testing::Values(TKind::DataSource, TKind::Driver),
                         KindName);

TEST(AdoConnectionString, BothFormsBecomeQuotedOdbcStrings)
{
  const QString Ole = QStringLiteral("Provider=MSDASQL.1;Password=") + QuoteConnectionValue(QStringLiteral("a;\"b'")) +
                      QStringLiteral(";Persist Security Info=True;User ID=sys;Data Source=velmora_dev");
  auto Attrs = odbc::ParseOdbcConnectionString(OdbcConnectionString(Ole));
  auto Value = [&](const char* Key) {
    for (const auto& A : Attrs)
      if (A.Key.compare(QLatin1String(Key), Qt::CaseInsensitive) == 0)
        return A.Value;
    return QStringLiteral("<none>");
  };
  EXPECT_EQ(Value("DSN"), QStringLiteral("velmora_dev"));
  EXPECT_EQ(Value("UID"), QStringLiteral("sys"));
  EXPECT_EQ(Value("PWD"), QStringLiteral("a;\"b'"));
  EXPECT_EQ(Value("BoolsAsChar"), QStringLiteral("1"));
  EXPECT_EQ(Value("Provider"), QStringLiteral("<none>"));
  const QString Drv = QStringLiteral("DRIVER={PostgreSQL UNICODE};DATABASE=db;SERVER=srv;PORT=5432;UID=") +
                      QuoteOdbcConnectionValue(QStringLiteral("u;x=1")) + QStringLiteral(";PWD=p;LFConversion=1");
  Attrs = odbc::ParseOdbcConnectionString(OdbcConnectionString(Drv));
  EXPECT_EQ(Value("DRIVER"), QStringLiteral("PostgreSQL UNICODE"));
  EXPECT_EQ(Value("UID"), QStringLiteral("u;x=1"));   // one attribute; the driver keeps the braces
  EXPECT_EQ(Value("x"), QStringLiteral("<none>"));
  EXPECT_EQ(Value("LFConversion"), QStringLiteral("0"));
  EXPECT_THROW(OdbcConnectionString(QStringLiteral("Provider=MSDASQL.1;Password=\"open")), EOleException);
}

// ---------------------------------------------------------------------------
// Components and persistent fields from a form description

class TDataModuleT : public TComponent {
  VELMORA_CLASS(TDataModuleT)
public:
  explicit TDataModuleT(TComponent* AOwner) : TComponent(AOwner) {}
  void departmentCalcFields(TDataSet* DataSet)
  {
    DataSet->FieldByName(QStringLiteral("twice"))
        ->SetAsFloat(DataSet->FieldByName(QStringLiteral("price"))->AsFloat() * 2);
  }
};

static const char* const DataModuleText = R"(object DataModuleT: TDataModuleT
  object ADO_DB: TADOConnection
    ConnectionString = %1
    LoginPrompt = False
    Connected = True
  end
  object department: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    OnCalcFields = departmentCalcFields
    Parameters = <
      item
        Name = 'min_id'
        DataType = ftInteger
        Size = -1
        Value = 2
      end>
    SQL.Strings = (
      'select id, s_caption, price'
      'from dt_form where id >= :min_id order by id')
    object departmentid: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object departments_caption: TWideStringField
      DisplayLabel = #1053#1072#1080#1084#1077#1085#1086#1074#1072#1085#1080#1077
      FieldName = 's_caption'
      Size = 254
    end
    object departmentprice: TBCDField
      FieldName = 'price'
      DisplayFormat = '#0.00'
      Precision = 15
    end
    object departmenttwice: TFloatField
      FieldKind = fkCalculated
      FieldName = 'twice'
      Calculated = True
    end
  end
  object DataSource1: TDataSource
    DataSet = department
  end
end
)";

TEST(DataSetForm, ComponentsAndPersistentFieldsFromDescription)
{
  RegisterADOClasses();
  RegisterClassInfo<TDataModuleT, TComponent>("TDataModuleT")
    .Handler("departmentCalcFields", &TDataModuleT::departmentCalcFields);
  RegisterClass(TDataModuleT::StaticClass());
  Exec("drop table if exists dt_form; create table dt_form (id serial primary key, s_caption varchar(254), "
       "price numeric(15,4)); insert into dt_form (s_caption, price) values ('a', 1), ('b', 20.25), ('c', 3.5)");
  QString Cs = ConnectionStringFor(TKind::DataSource, Q(testsupport::UserName()), Q(testsupport::Password()));
  Cs.replace(u'\'', QLatin1String("''"));
  TDataModuleT Module(nullptr);
  ReadComponentFromText(QString::fromUtf8(DataModuleText).arg(u'\'' + Cs + u'\''), &Module);

  auto* Db = dynamic_cast<TADOConnection*>(Module.FindComponent(QStringLiteral("ADO_DB")));
  auto* Department = dynamic_cast<TADOQuery*>(Module.FindComponent(QStringLiteral("department")));
  auto* Source = dynamic_cast<TDataSource*>(Module.FindComponent(QStringLiteral("DataSource1")));
  ASSERT_TRUE(Db && Department && Source);
  EXPECT_TRUE(Db->Connected());   // stored as connected: opened when loading ended
  EXPECT_EQ(Source->DataSet(), Department);
  EXPECT_EQ(Department->Connection(), Db);
  ASSERT_EQ(Department->FieldCount(), 4);
  EXPECT_EQ(Department->Fields()->Fields(1)->DisplayLabel(), QStringLiteral("Наименование"));
  EXPECT_EQ(Department->Parameters()->ParamByName(QStringLiteral("MIN_ID"))->Value().AsInteger(), 2);

  Department->Open();
  EXPECT_FALSE(Department->DefaultFields());
  EXPECT_EQ(Department->RecordCount(), 2);
  EXPECT_EQ(Department->FieldByName(QStringLiteral("price"))->DisplayText(), QStringLiteral("20,25"));
  EXPECT_DOUBLE_EQ(Department->FieldByName(QStringLiteral("twice"))->AsFloat(), 40.5);
  EXPECT_TRUE(Department->FieldByName(QStringLiteral("id"))->ReadOnly());
  Department->Next();
  EXPECT_DOUBLE_EQ(Department->FieldByName(QStringLiteral("twice"))->AsFloat(), 7.0);
  Department->Close();
  // A persistent field that the statement lacks is reported by name.
  Department->SQL()->SetText(QStringLiteral("select id, price from dt_form"));
  try {
    Department->Open();
    FAIL() << "opened without s_caption";
  } catch (const EDatabaseError& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("department: Field 'Наименование' not found"));
  }
  EXPECT_FALSE(Department->Active());
}
