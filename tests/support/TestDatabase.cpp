// TestDatabase.cpp: reads the server's env file written by scripts/pgserver.sh
// and talks to the server through unixODBC.
#include "tests/support/TestDatabase.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>

#include <QString>
#include <sql.h>
#include <sqlext.h>

namespace testsupport {

static std::map<std::string, std::string> ReadEnv()
{
  const char* Dir = std::getenv("VELMORA_TESTDB_DIR");
  if (!Dir)
    throw std::runtime_error("VELMORA_TESTDB_DIR is not set: run this test through ctest");
  std::ifstream In(std::string(Dir) + "/env");
  if (!In)
    throw std::runtime_error(std::string("test server not started: no ") + Dir + "/env");
  std::map<std::string, std::string> Env;
  std::string Line;
  while (std::getline(In, Line)) {
    auto Eq = Line.find('=');
    if (Eq != std::string::npos)
      Env[Line.substr(0, Eq)] = Line.substr(Eq + 1);
  }
  return Env;
}

static const std::map<std::string, std::string>& Env()
{
  static const auto E = ReadEnv();
  return E;
}

std::string ServerHost() { return "127.0.0.1"; }
int ServerPort() { return std::stoi(Env().at("VELMORA_PG_PORT")); }
std::string UserName() { return Env().at("VELMORA_PG_USER"); }
std::string Password() { return Env().at("VELMORA_PG_PASSWORD"); }

std::string ConnectionString()
{
  return "DSN=velmora_dev;UID=" + UserName() + ";PWD={" + Password() + "}";
}

std::string DriverConnectionString(const std::string& Database)
{
  return "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(ServerPort()) +
         ";Database=" + Database + ";UID=" + UserName() + ";PWD={" + Password() + "}";
}

static std::u16string Wide(const std::string& S)
{
  return QString::fromStdString(S).toStdU16String();
}

static std::string Utf8(const SQLWCHAR* S, SQLLEN Chars)
{
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(S), Chars).toStdString();
}

static std::string Diagnostics(SQLSMALLINT Type, SQLHANDLE Handle)
{
  std::string All;
  SQLWCHAR State[6], Text[1024];
  SQLINTEGER Native;
  SQLSMALLINT Len;
  for (SQLSMALLINT I = 1;
       SQL_SUCCEEDED(SQLGetDiagRecW(Type, Handle, I, State, &Native, Text, 1024, &Len)); ++I) {
    if (!All.empty())
      All += "; ";
    All += Utf8(Text, std::min<SQLLEN>(Len, 1023));
  }
  return All.empty() ? "unknown ODBC error" : All;
}

static void Check(SQLRETURN Rc, SQLSMALLINT Type, SQLHANDLE Handle, const char* What)
{
  if (SQL_SUCCEEDED(Rc) || Rc == SQL_NO_DATA)
    return;
  throw std::runtime_error(std::string(What) + ": " + Diagnostics(Type, Handle));
}

struct OdbcSession::Handles {
  SQLHENV Env = SQL_NULL_HENV;
  SQLHDBC Dbc = SQL_NULL_HDBC;
  bool Connected = false;
};

// A statement handle freed on every path.
class Statement {
public:
  explicit Statement(SQLHDBC Dbc)
  {
    Check(SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &H), SQL_HANDLE_DBC, Dbc, "allocating a statement");
  }
  ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, H); }
  void Run(const std::string& Sql)
  {
    auto W = Wide(Sql);
    Check(SQLExecDirectW(H, (SQLWCHAR*)W.c_str(), SQL_NTS), SQL_HANDLE_STMT, H, Sql.c_str());
  }
  SQLHSTMT H = SQL_NULL_HSTMT;
};

OdbcSession::OdbcSession(const std::string& ConnStr) : H(std::make_unique<Handles>())
{
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &H->Env);
  SQLSetEnvAttr(H->Env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
  SQLAllocHandle(SQL_HANDLE_DBC, H->Env, &H->Dbc);
  auto W = Wide(ConnStr);
  SQLWCHAR Out[1024];
  SQLSMALLINT OutLen;
  Check(SQLDriverConnectW(H->Dbc, nullptr, (SQLWCHAR*)W.c_str(), SQL_NTS, Out, 1024, &OutLen,
                          SQL_DRIVER_NOPROMPT),
        SQL_HANDLE_DBC, H->Dbc, "connecting");
  H->Connected = true;
}

OdbcSession::~OdbcSession()
{
  if (H->Connected)
    SQLDisconnect(H->Dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, H->Dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, H->Env);
}

void OdbcSession::Exec(const std::string& Sql)
{
  Statement S(H->Dbc);
  S.Run(Sql);
}

std::vector<std::string> OdbcSession::Columns(const std::string& Sql)
{
  Statement S(H->Dbc);
  S.Run(Sql);
  SQLSMALLINT Count = 0;
  Check(SQLNumResultCols(S.H, &Count), SQL_HANDLE_STMT, S.H, "counting columns");
  std::vector<std::string> Names;
  for (SQLSMALLINT I = 1; I <= Count; ++I) {
    SQLWCHAR Name[256];
    SQLSMALLINT Len, Type, Digits, Nullable;
    SQLULEN Size;
    Check(SQLDescribeColW(S.H, I, Name, 256, &Len, &Type, &Size, &Digits, &Nullable),
          SQL_HANDLE_STMT, S.H, "describing a column");
    Names.push_back(Utf8(Name, std::min<SQLLEN>(Len, 255)));
  }
  return Names;
}

std::vector<Row> OdbcSession::Rows(const std::string& Sql)
{
  Statement S(H->Dbc);
  S.Run(Sql);
  SQLSMALLINT Count = 0;
  Check(SQLNumResultCols(S.H, &Count), SQL_HANDLE_STMT, S.H, "counting columns");
  std::vector<Row> Result;
  for (;;) {
    SQLRETURN Rc = SQLFetch(S.H);
    if (Rc == SQL_NO_DATA)
      break;
    Check(Rc, SQL_HANDLE_STMT, S.H, "fetching");
    Row R;
    for (SQLSMALLINT I = 1; I <= Count; ++I) {
      std::u16string Value;
      SQLWCHAR Buf[4096];
      SQLLEN Ind = 0;
      bool Null = false;
      // Long values arrive in pieces.
      for (;;) {
        Rc = SQLGetData(S.H, I, SQL_C_WCHAR, Buf, sizeof Buf, &Ind);
        if (Rc == SQL_NO_DATA)
          break;
        Check(Rc, SQL_HANDLE_STMT, S.H, "reading a value");
        if (Ind == SQL_NULL_DATA) {
          Null = true;
          break;
        }
        size_t Chars = (Ind == SQL_NO_TOTAL || Ind >= (SQLLEN)sizeof Buf)
                           ? sizeof Buf / sizeof(SQLWCHAR) - 1
                           : Ind / sizeof(SQLWCHAR);
        Value.append(reinterpret_cast<const char16_t*>(Buf), Chars);
        if (Rc == SQL_SUCCESS)
          break;
      }
      if (Null)
        R.push_back(std::nullopt);
      else
        R.push_back(QString::fromStdU16String(Value).toStdString());
    }
    Result.push_back(std::move(R));
  }
  return Result;
}

std::optional<std::string> OdbcSession::Scalar(const std::string& Sql)
{
  auto R = Rows(Sql);
  if (R.empty() || R[0].empty())
    return std::nullopt;
  return R[0][0];
}

void ResetDatabase()
{
  OdbcSession Admin(DriverConnectionString("postgres"));
  Admin.Exec("DROP DATABASE IF EXISTS velmora WITH (FORCE)");
  Admin.Exec("CREATE DATABASE velmora TEMPLATE velmora_template");
}

}  // namespace testsupport
