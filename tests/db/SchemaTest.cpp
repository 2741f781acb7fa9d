// SchemaTest.cpp: the database schema and fixture rows: the rows the client
// relies on, the field types the driver reports, the server functions and
// the references the database keeps whole.
#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

#include <QString>
#include <sql.h>
#include <sqlext.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using testsupport::OdbcSession;

// The client's driver options (its driver connection string), which decide
// how column types reach it.
const char* const ClientDriverOptions =
  ";ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;ShowSystemTables=0;"
  "Fetch=100;UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;"
  "Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;"
  "BoolsAsChar=1;Parse=0;LFConversion=1;UpdatableCursors=1;"
  "TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;LowerCaseIdentifier=0;"
  "D6=-101;OptionalErrors=0;XaOpt=1";

std::string Value(OdbcSession& Db, const std::string& Sql)
{
  return Db.Scalar(Sql).value_or("<null>");
}

// The type of one result column as the driver describes it to the client.
struct ColumnType {
  SQLSMALLINT Type = 0;
  SQLULEN Size = 0;
  SQLSMALLINT Digits = 0;
  bool AutoIncrement = false;
};

// Describes the first column of a statement on a connection of its own with
// the client's driver options, through the wide API as the client uses it.
class DescribeSession {
public:
  DescribeSession()
  {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &Env);
    SQLSetEnvAttr(Env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    SQLAllocHandle(SQL_HANDLE_DBC, Env, &Dbc);
    const auto Conn = Wide(testsupport::ConnectionString() + ClientDriverOptions);
    if (!SQL_SUCCEEDED(SQLDriverConnectW(Dbc, nullptr, (SQLWCHAR*)Conn.c_str(), SQL_NTS, nullptr,
                                         0, nullptr, SQL_DRIVER_NOPROMPT)))
      throw std::runtime_error("connecting: " + Diagnostics(SQL_HANDLE_DBC, Dbc));
    Connected = true;
  }
  ~DescribeSession()
  {
    if (Connected)
      SQLDisconnect(Dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, Dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, Env);
  }
  DescribeSession(const DescribeSession&) = delete;
  DescribeSession& operator=(const DescribeSession&) = delete;

  ColumnType Describe(const std::string& Sql)
  {
    SQLHSTMT Stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &Stmt);
    const auto Text = Wide(Sql);
    ColumnType Result;
    SQLWCHAR Name[256];
    SQLSMALLINT NameLen = 0, Nullable = 0;
    SQLLEN Auto = SQL_FALSE;
    const bool Ok =
      SQL_SUCCEEDED(SQLExecDirectW(Stmt, (SQLWCHAR*)Text.c_str(), SQL_NTS)) &&
      SQL_SUCCEEDED(SQLDescribeColW(Stmt, 1, Name, 256, &NameLen, &Result.Type, &Result.Size,
                                    &Result.Digits, &Nullable)) &&
      SQL_SUCCEEDED(SQLColAttributeW(Stmt, 1, SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr, &Auto));
    const std::string Error = Ok ? "" : Diagnostics(SQL_HANDLE_STMT, Stmt);
    SQLFreeHandle(SQL_HANDLE_STMT, Stmt);
    if (!Ok)
      throw std::runtime_error(Sql + ": " + Error);
    Result.AutoIncrement = Auto == SQL_TRUE;
    return Result;
  }

private:
  static std::u16string Wide(const std::string& S) { return QString::fromStdString(S).toStdU16String(); }
  static std::string Diagnostics(SQLSMALLINT Type, SQLHANDLE Handle)
  {
    SQLWCHAR State[6], Text[1024];
    SQLINTEGER Native = 0;
    SQLSMALLINT Len = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRecW(Type, Handle, 1, State, &Native, Text, 1024, &Len)))
      return "unknown ODBC error";
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(Text), std::min<int>(Len, 1023)).toStdString();
  }

  SQLHENV Env = SQL_NULL_HENV;
  SQLHDBC Dbc = SQL_NULL_HDBC;
  bool Connected = false;
};

// Every test starts from the template's schema and fixture rows; the server
// functions under test commit.
class Schema : public ::testing::Test {
protected:
  void SetUp() override
  {
    testsupport::ResetDatabase();
    Db = std::make_unique<OdbcSession>();
  }
  std::unique_ptr<OdbcSession> Db;
};

// A small enterprise: a workshop and a raw-material warehouse, three workers,
// a material, a paint and a product with a one-operation route.
const char* const SmallEnterprise = R"sql(
INSERT INTO cmn_department.department (id, s_caption, id_parent, type, s_type) VALUES
  (1, 'Цех', 0, -1, ''), (2, 'Склад сырья', 0, 2, 'Склад сырья');
INSERT INTO hrms_staffpos.staffpos (id, s_caption, id_department) VALUES (1, 'Слесарь', 1);
INSERT INTO adm_role.roles (id, s_name, s_caption) VALUES (1, 'worker', 'Рабочий');
INSERT INTO cmn_contractor.person (id, s_caption, id_staffpos, id_department, id_role) VALUES
  (1, 'Иванов Иван Иванович', 1, 1, 1), (2, 'Петров Пётр Петрович', 1, 1, 1),
  (3, 'Сидоров Олег Павлович', 1, 1, 1);
INSERT INTO cmn_contractor.jur_person (id, s_caption, s_full_caption) VALUES (1, 'Сталь', 'ООО "Сталь"');
INSERT INTO cmn_inventory_items.inventory_items (id, marka, id_type, id_msm, massa, ral_cons, ral) VALUES
  (1, 'Лист 1,5 мм', 0, 1, 0, 0, false), (2, 'Краска RAL 3020', 3, 1, 0, 0, false),
  (3, 'Кронштейн', 2, 4, 2.5, 0.1, true);
INSERT INTO mnf_proc_tech.proc_tech (id, s_caption, id_inventory_items, id_gds) VALUES (1, 'Кронштейн', 3, 1);
INSERT INTO mnf_operation.operation_type (id, s_caption) VALUES (100, 'Резка');
INSERT INTO mnf_operation.operation (id, id_type, id_state, price, id_inventory_items, id_proc_tech, orderby)
  VALUES (1, 100, 0, 12.5, 3, 1, 1);
SELECT setval('cmn_department.department_id_seq', 10), setval('hrms_staffpos.staffpos_id_seq', 10),
       setval('adm_role.roles_id_seq', 10), setval('cmn_contractor.person_id_seq', 10),
       setval('cmn_contractor.jur_person_id_seq', 10), setval('mnf_operation.operation_id_seq', 10),
       setval('cmn_inventory_items.inventory_items_id_seq', 10);
)sql";

TEST_F(Schema, FixtureHoldsTheRowsTheClientReliesOn)
{
  struct Case { const char* Sql; const char* Expected; };
  const Case Cases[] = {
    {"SELECT d || '/' || t || '/' || delim FROM ver", "0/0/."},
    {"SELECT count(*) FROM ver", "1"},
    {"SELECT s_caption || '|' || type FROM cmn_department.department WHERE id = 0", "|-1"},
    {"SELECT marka || '|' || ral FROM cmn_inventory_items.inventory_items WHERE id = 0", "|false"},
    {"SELECT count(*) FROM cmn_inventory_items.nomenclature WHERE id = 0", "1"},
    {"SELECT s_caption FROM cmn_inventory_items.nomenclature WHERE id = 7", "Краски"},
    {"SELECT s_identification FROM cmn_msm.msm WHERE id = 4", "шт"},
    {"SELECT string_agg(id::text, ',' ORDER BY id) FROM cmn_inventory_items.ii_type", "0,1,2,3"},
    {"SELECT string_agg(s_caption, ',' ORDER BY id) FROM mnf_operation.operation_state",
     "Готовая продукция,Заготовки"},
    {"SELECT count(*) FROM mnf_operation.operation_type WHERE s_caption = 'ПОКРАСКА'", "1"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Sql);
    EXPECT_EQ(Value(*Db, C.Sql), C.Expected);
  }
  // The version table takes no second row.
  EXPECT_THROW(Db->Exec("INSERT INTO ver (d, t, delim) VALUES (1, 1, ',')"), std::runtime_error);
}

TEST_F(Schema, PlaceholdersStandForNoneButAreNeverListed)
{
  Db->Exec(SmallEnterprise);
  // Top-level departments list under the placeholder parent; the placeholder
  // itself is not a department of the book.
  EXPECT_EQ(Value(*Db, "select string_agg(d.s_caption || ':' || d1.s_caption, ',' order by d.id) "
                       "from cmn_department.department d, cmn_department.v_department d1 "
                       "where d.id_parent = d1.id"),
            "Цех:,Склад сырья:");
  // A position, a kind and a new item saved without a choice keep showing.
  Db->Exec("insert into hrms_staffpos.staffpos(s_caption, s_description, id_department)VALUES('Мастер' ,'', 0)");
  Db->Exec("insert into cmn_inventory_items.nomenclature(s_caption, id_department)VALUES('Трубы' ,0)");
  EXPECT_EQ(Value(*Db, "SELECT count(*) FROM hrms_staffpos.staffpos s, cmn_department.department d "
                       "where d.id=s.id_department"), "2");
  EXPECT_EQ(Value(*Db, "select string_agg(n.s_caption, ',' order by n.id) from cmn_inventory_items.nomenclature n, "
                       "cmn_department.department d where d.id=n.id_department"),
            "Краски,Трубы");
  // Item 0 is in no item list, whatever the type condition of the list.
  for (const char* Where : {"ii.id_type <> 0", "ii.id_type <> -1", "ii.id_type <> 1 and ii.id_type <> 3"}) {
    SCOPED_TRACE(Where);
    EXPECT_EQ(Value(*Db, std::string("select count(*) from cmn_inventory_items.inventory_items ii "
                                     "where ii.id = 0 and ") + Where), "0");
  }
}

TEST_F(Schema, DriverReportsTheFieldTypesTheClientBinds)
{
  Db->Exec(SmallEnterprise);
  struct Case { const char* Sql; SQLSMALLINT Type; SQLULEN Size; SQLSMALLINT Digits; bool Auto; };
  const Case Cases[] = {
    // Serial keys arrive as autoincrement fields, keys drawn from a shared
    // sequence as plain integers.
    {"SELECT id FROM cmn_department.department", SQL_INTEGER, 10, 0, true},
    {"SELECT id FROM cmn_contractor.person", SQL_INTEGER, 10, 0, false},
    {"SELECT id FROM mnf_operation.operation", SQL_INTEGER, 10, 0, false},
    {"SELECT id FROM mnf_app.app_spec", SQL_INTEGER, 10, 0, true},
    {"SELECT id FROM cmn_inventory_items.inventory_items", SQL_NUMERIC, 15, 0, false},
    {"SELECT id_parent FROM cmn_department.department", SQL_NUMERIC, 15, 0, false},
    {"SELECT price FROM mnf_operation.operation", SQL_NUMERIC, 15, 4, false},
    {"SELECT massa FROM cmn_inventory_items.inventory_items", SQL_NUMERIC, 28, 6, false},
    // (Over rows the driver gives a computed number the scale of its values.)
    {"SELECT (ral_cons*2)::t_money FROM cmn_inventory_items.inventory_items WHERE id < 0", SQL_NUMERIC, 28, 6, false},
    {"SELECT 0::t_id as id_gds", SQL_NUMERIC, 15, 0, false},
    {"SELECT s_caption FROM cmn_department.department", SQL_WVARCHAR, 254, 0, false},
    {"SELECT s_name FROM adm_role.roles", SQL_WVARCHAR, 30, 0, false},
    {"SELECT delim FROM ver", SQL_WVARCHAR, 255, 0, false},
    // Longer than MaxVarcharSize: the driver reports a long wide text.
    {"SELECT s_description FROM cmn_department.department", SQL_WLONGVARCHAR, 4000, 0, false},
    {"select case when b_active then '+' else '-' end as yesno from adm_role.roles",
     SQL_WLONGVARCHAR, 8190, 0, false},
    // Booleans arrive as 8-bit text "1"/"0".
    {"SELECT b_active FROM adm_role.roles", SQL_VARCHAR, 5, 0, false},
    {"SELECT ral FROM cmn_inventory_items.inventory_items", SQL_VARCHAR, 5, 0, false},
    {"SELECT 1::t_boolean", SQL_VARCHAR, 5, 0, false},
    {"SELECT ok FROM accounts_dep.smena", SQL_WCHAR, 2, 0, false},
    {"SELECT brak FROM accounts_dep.smena", SQL_INTEGER, 10, 0, false},
    {"SELECT naimen FROM accounts_dep.oper", SQL_SMALLINT, 5, 0, false},
    {"SELECT d_mnf FROM mnf_app.app_doc", SQL_TYPE_DATE, 10, 0, false},
    {"SELECT now()::t_date", SQL_TYPE_DATE, 10, 0, false},
    {"SELECT d_date FROM mnf_app.app_doc", SQL_TYPE_TIMESTAMP, 26, 6, false},
    {"SELECT count(*) as tp_cnt FROM mnf_proc_tech.proc_tech", SQL_BIGINT, 19, 0, false},
    {"SELECT pg_sequence_last_value('mnf_proc_tech.proc_tech_id_seq') as max_id", SQL_BIGINT, 19, 0, false},
    {"SELECT price FROM accounts_dep.norm", SQL_FLOAT, 17, 0, false},
  };
  DescribeSession Driver;
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Sql);
    const ColumnType T = Driver.Describe(C.Sql);
    EXPECT_EQ(T.Type, C.Type);
    EXPECT_EQ(T.Size, C.Size);
    EXPECT_EQ(T.Digits, C.Digits);
    EXPECT_EQ(T.AutoIncrement, C.Auto);
  }
}

// A record of 10 pieces, 1 defect and 8 hours, worked by Иванов with a crew.
class DivideBetweenPerson : public Schema {
protected:
  void SetUp() override
  {
    Schema::SetUp();
    Db->Exec(SmallEnterprise);
    Db->Exec("INSERT INTO accounts_dep.smena (id, data, smena, i_id, o_id, w_id, cena, kol_vo, brak, time, id_doc_item) "
             "VALUES (50, '2024-03-05', 1, 3, 1, 1, 12.5, 10, 1, 8, 7)");
    Db->Exec("INSERT INTO accounts_dep.person_temp (id_smena, id_person) VALUES (50, 2), (50, 3)");
  }
  std::string Shares()
  {
    return Value(*Db, "SELECT string_agg(w_id || ':' || kol_vo::numeric(12,4) || ':' || brak || ':' || time, ' ' "
                      "ORDER BY w_id) FROM accounts_dep.smena");
  }
  std::string SheetDay5()
  {
    return Value(*Db, "SELECT string_agg(w_id || ':' || d5, ' ' ORDER BY w_id) FROM accounts_dep.h_tabel "
                      "WHERE smena = 1 AND month = 3 AND year = 2024");
  }
};

TEST_F(DivideBetweenPerson, SharesPiecesAmongTheCrewKeepingTheTotal)
{
  EXPECT_EQ(Value(*Db, "select accounts_dep.divide_between_person(50)"), "3");
  // Pieces and defects are shared, the remainder stays with the record's own
  // worker; every member worked the record's hours.
  EXPECT_EQ(Shares(), "1:3.3334:1:8 2:3.3333:0:8 3:3.3333:0:8");
  EXPECT_EQ(Value(*Db, "SELECT sum(kol_vo) FROM accounts_dep.smena"), "10.0000");
  EXPECT_EQ(Value(*Db, "SELECT count(*) FROM accounts_dep.smena WHERE id_doc_item = 7 AND ok = 'no'"), "3");
  EXPECT_EQ(SheetDay5(), "2:8 3:8");
}

TEST_F(DivideBetweenPerson, RunningAgainRedividesAmongTheCurrentCrew)
{
  Value(*Db, "select accounts_dep.divide_between_person(50)");
  EXPECT_EQ(Value(*Db, "select accounts_dep.divide_between_person(50)"), "3");
  EXPECT_EQ(Shares(), "1:3.3334:1:8 2:3.3333:0:8 3:3.3333:0:8");

  // A member dropped from the crew loses the share and the hours.
  Db->Exec("DELETE FROM accounts_dep.person_temp WHERE id_person = 3");
  EXPECT_EQ(Value(*Db, "select accounts_dep.divide_between_person(50)"), "2");
  EXPECT_EQ(Shares(), "1:5.0000:1:8 2:5.0000:0:8");
  EXPECT_EQ(SheetDay5(), "2:8 3:0");
}

TEST_F(DivideBetweenPerson, WithoutCrewTheRecordStaysWhole)
{
  Db->Exec("DELETE FROM accounts_dep.person_temp");
  EXPECT_EQ(Value(*Db, "select accounts_dep.divide_between_person(50)"), "1");
  EXPECT_EQ(Shares(), "1:10.0000:1:8");
  EXPECT_THROW(Db->Exec("select accounts_dep.divide_between_person(999)"), std::runtime_error);
}

// The clean-out of the main menu, statement by statement.
const char* const CleanOut[] = {
  "SELECT truncate_tables('mnf_app');",
  "truncate table mnf_proc_tech.tp_operation;",
  "truncate table accounts_dep.smena;",
  "truncate table accounts_dep.h_tabel;",
  "truncate table accounts_dep.person_temp;",
  "SELECT truncate_tables('stk_stocks');",
  "SELECT truncate_tables('stk_purchase');",
  "update cmn_inventory_items.inventory_items set cost_price =0;",
};

const char* const DocumentTables[] = {
  "mnf_app.app_doc", "mnf_app.app_spec", "mnf_proc_tech.tp_operation", "stk_stocks.stock",
  "stk_stocks.stock_in", "stk_stocks.spec_in", "stk_stocks.spec_out", "stk_stocks.stock_out",
  "stk_purchase.purchase_doc", "stk_purchase.purchase_spec", "accounts_dep.smena",
  "accounts_dep.h_tabel", "accounts_dep.person_temp",
};

class TruncateTables : public Schema {
protected:
  void SetUp() override
  {
    Schema::SetUp();
    Db->Exec(SmallEnterprise);
    Db->Exec(R"sql(
UPDATE cmn_inventory_items.inventory_items SET cost_price = 95.5 WHERE id = 1;
INSERT INTO mnf_app.app_doc (id, id_jur_person, id_person, d_mnf, d_out) VALUES (1, 1, 1, '2024-03-01', '2024-03-10');
INSERT INTO mnf_app.app_spec (id, id_app_doc, id_ii, cnt, id_ral, id_gds, state) VALUES (1, 1, 3, 5, 2, 1, 2);
INSERT INTO mnf_proc_tech.tp_operation (app_spec_id, tp_id, operation_id, cnt) VALUES (1, 1, 1, 5);
INSERT INTO stk_stocks.stock (id_stock, id_ii, count, price) VALUES (2, 1, 100, 95.5);
INSERT INTO stk_stocks.stock_in (id, id_jur_pers, date_in, id_department, id_accomp_doc) VALUES (1, 1, '2024-03-01', 2, '17');
INSERT INTO stk_stocks.spec_in (id_stock_in, id_gds, id_msm, cnt_gds, price, accept, id_app_spec) VALUES (1, 1, 1, 100, 95.5, true, 1);
INSERT INTO stk_stocks.spec_out (id_gds, id_stock_out, cnt_gds, id_app_doc, id_app_spec) VALUES (1, 2, 12.5, 1, 1);
INSERT INTO stk_stocks.stock_out (id_app_doc, id_jur_pers, id_accomp_doc, date_out) VALUES (1, 1, 0, '2024-03-10');
INSERT INTO stk_purchase.purchase_doc (id, id_person, d_in) VALUES (1, 1, '2024-03-02');
INSERT INTO stk_purchase.purchase_spec (id_purchase_doc, id_gds, cnt) VALUES (1, 1, 50);
INSERT INTO accounts_dep.smena (id, data, smena, i_id, o_id, w_id, kol_vo, time, id_doc, id_doc_item) VALUES (1, '2024-03-05', 1, 3, 1, 1, 5, 8, 1, 1);
INSERT INTO accounts_dep.person_temp (id_smena, id_person) VALUES (1, 2);
INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, d5) VALUES (1, 1, 3, 2024, 8);
)sql");
  }
  std::string ReferenceCounts()
  {
    return Value(*Db, "SELECT (SELECT count(*) FROM cmn_department.department) || ' ' || "
                      "(SELECT count(*) FROM cmn_contractor.person) || ' ' || "
                      "(SELECT count(*) FROM cmn_contractor.jur_person) || ' ' || "
                      "(SELECT count(*) FROM cmn_inventory_items.inventory_items) || ' ' || "
                      "(SELECT count(*) FROM cmn_inventory_items.nomenclature) || ' ' || "
                      "(SELECT count(*) FROM mnf_proc_tech.proc_tech) || ' ' || "
                      "(SELECT count(*) FROM mnf_operation.operation) || ' ' || "
                      "(SELECT count(*) FROM mnf_operation.operation_type) || ' ' || "
                      "(SELECT count(*) FROM cmn_msm.msm) || ' ' || (SELECT count(*) FROM ver)");
  }
};

TEST_F(TruncateTables, CleanOutEmptiesDocumentsAndKeepsReferenceData)
{
  const std::string Before = ReferenceCounts();
  for (int Run = 0; Run < 2; ++Run) {   // a second run is harmless
    SCOPED_TRACE(Run);
    for (const char* Statement : CleanOut)
      Db->Exec(Statement);
    for (const char* Table : DocumentTables) {
      SCOPED_TRACE(Table);
      EXPECT_EQ(Value(*Db, std::string("SELECT count(*) FROM ") + Table), "0");
    }
    EXPECT_EQ(ReferenceCounts(), Before);
    EXPECT_EQ(Value(*Db, "SELECT count(*) FROM cmn_inventory_items.inventory_items WHERE cost_price <> 0"), "0");
    EXPECT_EQ(Value(*Db, "SELECT count(*) FROM cmn_department.department WHERE id = 0"), "1");
    EXPECT_EQ(Value(*Db, "SELECT count(*) FROM cmn_inventory_items.inventory_items WHERE id = 0"), "1");
  }
}

TEST_F(TruncateTables, EmptiesOnlyDocumentSchemas)
{
  const std::string Before = ReferenceCounts();
  for (const char* Schema : {"cmn_contractor", "cmn_inventory_items", "mnf_proc_tech", "accounts_dep", "public",
                             "no_such_schema"}) {
    SCOPED_TRACE(Schema);
    EXPECT_THROW(Db->Exec(std::string("SELECT truncate_tables('") + Schema + "')"), std::runtime_error);
  }
  EXPECT_EQ(ReferenceCounts(), Before);
  EXPECT_EQ(Value(*Db, "SELECT count(*) FROM accounts_dep.smena"), "1");
  // A schema of documents alone takes the operations and receipt lines of its
  // request lines with it, and nothing else.
  EXPECT_EQ(Value(*Db, "SELECT truncate_tables('mnf_app')"), "4");
  EXPECT_EQ(Value(*Db, "SELECT count(*) FROM stk_stocks.stock_in"), "1");
  EXPECT_EQ(Value(*Db, "SELECT count(*) FROM stk_stocks.stock"), "1");
}

// The route dialog reads the id of the route it has just inserted; another
// client's insert in between must not change it.
TEST_F(Schema, NewRouteIdIsTheConnectionsOwn)
{
  Db->Exec(SmallEnterprise);
  Db->Exec("SELECT setval('mnf_proc_tech.proc_tech_id_seq', 10)");
  OdbcSession Other;
  Db->Exec("insert into mnf_proc_tech.proc_tech(s_caption, id_inventory_items, id_gds)VALUES('Первый' ,3 ,1)");
  Other.Exec("insert into mnf_proc_tech.proc_tech(s_caption, id_inventory_items, id_gds)VALUES('Второй' ,3 ,1)");
  EXPECT_EQ(Value(*Db, "SELECT pg_sequence_last_value('mnf_proc_tech.proc_tech_id_seq') as max_id;"), "11");
  EXPECT_EQ(Value(Other, "SELECT pg_sequence_last_value('mnf_proc_tech.proc_tech_id_seq') as max_id;"), "12");
  EXPECT_EQ(Value(*Db, "SELECT s_caption FROM mnf_proc_tech.proc_tech WHERE id = 11"), "Первый");
}

// The shift save books a worker's hours under the person's id; the time
// sheet finds them through the worker number.
TEST_F(Schema, TimeSheetFindsNewWorkersHours)
{
  Db->Exec(SmallEnterprise);
  Db->Exec("INSERT INTO cmn_contractor.person (s_caption, id_staffpos, id_department, id_role) "
           "VALUES ('Новиков Андрей Сергеевич', 1, 1, 1)");
  const std::string Id = Value(*Db, "SELECT id FROM cmn_contractor.person WHERE s_caption LIKE 'Новиков%'");
  Db->Exec("insert into accounts_dep.h_tabel(smena, w_id, month, year, d5) values(1, " + Id + ", 3, 2024, 8)");
  const auto Rows = Db->Rows(
    "select person.s_caption fio, h_tabel.*,(d1+d2+d3+d4+d5+d6+d7+d8+d9+d10+d11\n"
    "+d12+d13+d14+d15+d16+d17+d18+d19+d20+d21+d22+d23+d24+d25\n"
    "+d26+d27+d28+d29+d30+d31) as summ from accounts_dep.h_tabel, cmn_contractor.person where \n"
    "h_tabel.w_id=person.s_code::integer and h_tabel.smena=1 and month=3 and \n"
    "year=2024 order by fio");
  ASSERT_EQ(Rows.size(), 1u);
  EXPECT_EQ(Rows[0].front().value_or(""), "Новиков Андрей Сергеевич");
  EXPECT_EQ(Rows[0].back().value_or(""), "8");
  // A second row for the same worker, shift and month would count twice.
  EXPECT_THROW(Db->Exec("insert into accounts_dep.h_tabel(smena, w_id, month, year, d6) values(1, " + Id +
                        ", 3, 2024, 4)"),
               std::runtime_error);
}

// Production's view of the request lines offers only stock that no other line
// has reserved, and asks no paint of an unpainted line.
TEST_F(Schema, RequestLinesCompareTheirNeedsWithFreeStock)
{
  Db->Exec(SmallEnterprise);
  Db->Exec(R"sql(
INSERT INTO stk_stocks.stock (id_stock, id_ii, count, reserve, price) VALUES (2, 1, 100, 60, 95.5), (2, 2, 5, 0, 400);
INSERT INTO mnf_app.app_doc (id, id_jur_person, id_person, d_mnf, d_out) VALUES (1, 1, 1, '2024-03-01', '2024-03-10');
INSERT INTO mnf_app.app_spec (id, id_app_doc, id_ii, cnt, id_ral, id_gds) VALUES (1, 1, 3, 20, 2, 1), (2, 1, 3, 4, 0, 1);
)sql");
  EXPECT_EQ(Value(*Db, "SELECT string_agg(id || ':' || gds_need || ':' || stk_gds || ':' || ral_need || ':' || "
                       "coalesce(stk_ral::text, '-'), ' ' ORDER BY id) FROM mnf_app.v_app_spec55"),
            "1:50.0:40:2.0:5 2:10.0:40:0:-");
  EXPECT_EQ(Value(*Db, "SELECT cnt_done || ':' || gds_need FROM mnf_app.v_app_spec WHERE id_ral = 2"), "20.0000:50.0");
}

// References the client leaves to the database: a header takes its lines
// with it (a shift record its crew), reference rows still in use are not
// deleted.
TEST_F(Schema, DeletesKeepReferencesWhole)
{
  Db->Exec(SmallEnterprise);
  Db->Exec(R"sql(
INSERT INTO mnf_app.app_doc (id, id_jur_person, id_person) VALUES (1, 1, 1);
INSERT INTO mnf_app.app_spec (id_app_doc, id_ii, cnt, id_gds) VALUES (1, 3, 5, 1);
INSERT INTO stk_stocks.stock_in (id, id_jur_pers, id_department) VALUES (1, 1, 2);
INSERT INTO stk_stocks.spec_in (id_stock_in, id_gds, cnt_gds) VALUES (1, 1, 10);
INSERT INTO stk_purchase.purchase_doc (id, id_person) VALUES (1, 2);
INSERT INTO stk_purchase.purchase_spec (id_purchase_doc, id_gds, cnt) VALUES (1, 1, 10);
INSERT INTO accounts_dep.smena (data, smena, w_id, o_id) VALUES ('2024-03-05', 1, 3, 1);
INSERT INTO accounts_dep.person_temp (id_smena, id_person) VALUES (currval('accounts_dep.smena_id_seq'), 1);
)sql");
  struct Refused { const char* Sql; };
  const Refused RefusedDeletes[] = {
    {"delete from cmn_department.department where id=1"},      // a position and workers
    {"delete from cmn_department.department where id=2"},      // a receipt order's warehouse
    {"delete from cmn_contractor.jur_person where id=1"},      // a request and a receipt order
    {"delete from cmn_contractor.person where id =2"},         // a purchase request
    {"delete from cmn_contractor.person where id =3"},         // a shift record
    {"delete from cmn_inventory_items.inventory_items where id=1"},
    {"delete from mnf_operation.operation_type where id=100"},
    {"delete from cmn_inventory_items.nomenclature where id=0"},
  };
  for (const Refused& R : RefusedDeletes) {
    SCOPED_TRACE(R.Sql);
    EXPECT_THROW(Db->Exec(R.Sql), std::runtime_error);
  }
  Db->Exec("delete from mnf_app.app_doc where id=1");
  Db->Exec("delete from stk_stocks.stock_in where id=1");
  Db->Exec("delete from stk_purchase.purchase_doc where id=1");
  Db->Exec("delete from accounts_dep.smena");
  Db->Exec("delete from mnf_proc_tech.proc_tech where id=1");
  EXPECT_EQ(Value(*Db, "SELECT (SELECT count(*) FROM mnf_app.app_spec) + (SELECT count(*) FROM stk_stocks.spec_in) + "
                       "(SELECT count(*) FROM stk_purchase.purchase_spec) + (SELECT count(*) FROM mnf_operation.operation) + "
                       "(SELECT count(*) FROM accounts_dep.person_temp)"),
            "0");
}

// The reports read the shift log under the older table names.
TEST_F(Schema, ReportsCountTheShiftLog)
{
  Db->Exec(SmallEnterprise);
  Db->Exec("INSERT INTO accounts_dep.smena (data, smena, i_id, o_id, w_id, cena, kol_vo, brak, color) VALUES "
           "('2024-03-05', 1, 3, 1, 1, 12.5, 10, 2, 0), ('2024-03-06', 1, 3, 1, 1, 12.5, 4, 0, 0), "
           "('2024-04-01', 1, 3, 1, 1, 12.5, 99, 0, 0)");
  EXPECT_EQ(Value(*Db, "select workers.fio || '|' || inventory_items.marka || '|' || vid_oper.vid || '|' || oper.naimen || '|' || "
                       "sum(smena.kol_vo) || '|' || sum(smena.brak) || '|' || sum((kol_vo-brak)*smena.cena) "
                       "from accounts_dep.workers,accounts_dep.inventory_items,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper "
                       "where smena.o_id=oper.id and smena.w_id=workers.id and smena.i_id=inventory_items.id "
                       "and oper.vid=vid_oper.id and smena.data<'2024-04-01' and smena.data>='2024-03-01' "
                       "group by fio, marka, vid_oper.vid, oper.naimen"),
            "Иванов Иван Иванович|Кронштейн|Резка|0|14|2|150.0000");
  EXPECT_EQ(Value(*Db, "select iif(naimen=0,'Готовая продукция','Заготовки') from OPER"), "Готовая продукция");
}

// The embedded default database loads demo.sql onto this schema; the demo
// enterprise then fills the books and documents.
TEST_F(Schema, DemoDataLoads)
{
  const char* Source = std::getenv("VELMORA_SOURCE_DIR");
  ASSERT_NE(Source, nullptr);
  std::ifstream In(std::string(Source) + "/db/demo.sql");
  ASSERT_TRUE(In.good());
  std::stringstream Demo;
  Demo << In.rdbuf();
  Db->Exec(Demo.str());
  struct Case { const char* Sql; const char* Expected; };
  const Case Cases[] = {
    // Every worker has a position, a department and a role.
    {"SELECT count(*) FROM hrms_staffpos.staffpos staff, cmn_contractor.person person, "
     "cmn_department.department dep, adm_role.roles roles where person.b_employee = true and "
     "staff.id=person.id_staffpos and dep.id=person.id_department and roles.id = person.id_role", "16"},
    {"SELECT count(*) FROM adm_user.users u JOIN cmn_contractor.person p ON p.id = u.id_person", "5"},
    {"SELECT count(*) FROM mnf_app.app_spec s JOIN mnf_app.app_doc d ON d.id = s.id_app_doc", "7"},
    // Stock held in warehouses and reserved no more than held.
    {"SELECT count(*) FROM stk_stocks.stock WHERE reserve > count", "0"},
    // New rows take keys after the demo's.
    {"INSERT INTO cmn_contractor.person (s_caption) VALUES ('Новый Работник Тестович') RETURNING id", "17"},
    {"INSERT INTO mnf_proc_tech.proc_tech (s_caption, id_inventory_items, id_gds) VALUES ('x', 13, 2) RETURNING id", "7"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Sql);
    EXPECT_EQ(Value(*Db, C.Sql), C.Expected);
  }
}

}  // namespace
