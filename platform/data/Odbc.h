// Odbc.h: the one seam to unixODBC: connections, statements with bound
// parameters, column descriptions and the static row storage of a result.
// Only Odbc.cpp includes the ODBC headers; everything here is plain C++ and Qt.
#pragma once

#include "platform/rtl/SysUtils.h"

#include <QString>
#include <QStringList>
#include <QByteArray>

#include <cstdint>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

// A database error as the data-access layer reports it: the server's message
// and, for ODBC errors, the SQLSTATE of the first diagnostic record.
class EOleException : public Exception {
public:
  EOleException(const String& Msg, const String& Source = String(), const String& SqlState = String(),
                int NativeError = 0)
    : Exception(Msg), FSource(Source), FSqlState(SqlState), FNativeError(NativeError) {}
  const String& Source() const { return FSource; }
  const String& SqlState() const { return FSqlState; }
  int NativeError() const { return FNativeError; }
  int ErrorCode() const { return FNativeError; }
  // The connection to the server is gone (SQLSTATE class 08).
  bool ConnectionLost() const { return FSqlState.startsWith(QLatin1String("08")); }

private:
  String FSource;
  String FSqlState;
  int FNativeError = 0;
};

namespace odbc {

// Exact decimal carried as text ("-123.4500") with its declared precision and scale.
struct TDecimalText {
  QString Text;
  int Precision = 0;
  int Scale = 0;
};

enum class TValueKind : std::uint8_t {
  Null, Boolean, Int32, Int64, Double, Currency, Decimal, Date, Time, DateTime, AnsiText,
  WideText, Binary
};

// A value crossing the seam. Currency is an integer scaled by 10,000; dates,
// times and date-times are TDateTime day counts.
struct TValue {
  TValueKind Kind = TValueKind::Null;
  bool Bool = false;
  std::int64_t Int = 0;
  double Dbl = 0.0;
  QString Text;       // texts and decimals
  QByteArray Bytes;   // binary
  int Precision = 0;  // decimals: declared precision and scale
  int Scale = 0;

  bool IsNull() const { return Kind == TValueKind::Null; }
  static TValue Null() { return TValue(); }
  static TValue FromBool(bool V) { TValue R; R.Kind = TValueKind::Boolean; R.Bool = V; return R; }
  static TValue FromInt32(std::int32_t V) { TValue R; R.Kind = TValueKind::Int32; R.Int = V; return R; }
  static TValue FromInt64(std::int64_t V) { TValue R; R.Kind = TValueKind::Int64; R.Int = V; return R; }
  static TValue FromDouble(double V) { TValue R; R.Kind = TValueKind::Double; R.Dbl = V; return R; }
  static TValue FromCurrency(std::int64_t Scaled) { TValue R; R.Kind = TValueKind::Currency; R.Int = Scaled; return R; }
  static TValue FromDecimal(const QString& Text, int Precision = 0, int Scale = 0)
  {
    TValue R; R.Kind = TValueKind::Decimal; R.Text = Text; R.Precision = Precision; R.Scale = Scale; return R;
  }
  static TValue FromDate(double V) { TValue R; R.Kind = TValueKind::Date; R.Dbl = V; return R; }
  static TValue FromTime(double V) { TValue R; R.Kind = TValueKind::Time; R.Dbl = V; return R; }
  static TValue FromDateTime(double V) { TValue R; R.Kind = TValueKind::DateTime; R.Dbl = V; return R; }
  static TValue FromText(const QString& V) { TValue R; R.Kind = TValueKind::WideText; R.Text = V; return R; }
  static TValue FromAnsiText(const QString& V) { TValue R; R.Kind = TValueKind::AnsiText; R.Text = V; return R; }
  static TValue FromBytes(const QByteArray& V) { TValue R; R.Kind = TValueKind::Binary; R.Bytes = V; return R; }
};

// A parameter of a statement: the value and the kind it is declared with
// (a Null parameter keeps its declared kind so the server sees its type).
struct TParam {
  TValueKind DeclaredKind = TValueKind::WideText;
  TValue Value;
  int Size = 0;   // texts: declared length; decimals: precision
};

// The driver's SQL type codes (TColumn::SqlType), for code beyond this seam;
// Odbc.cpp checks them against the ODBC headers.
namespace sqltype {
constexpr int Char = 1, VarChar = 12, LongVarChar = -1, WChar = -8, WVarChar = -9, WLongVarChar = -10;
constexpr int TinyInt = -6, SmallInt = 5, Integer = 4, BigInt = -5;
}  // namespace sqltype

// One column of a result as the driver describes it.
struct TColumn {
  QString Name;
  int SqlType = 0;            // sqltype:: code of the driver
  std::int64_t Size = 0;      // column size (characters, digits)
  int Scale = 0;              // decimal digits
  bool Nullable = true;
  bool AutoIncrement = false;
  bool Long = false;          // fetched piecewise (long texts and binaries)
  QString BaseSchema;         // schema and table the column comes from, when the driver knows
  QString BaseTable;
  QString BaseColumn;
  TValueKind Kind = TValueKind::WideText;
};

// Rows a fetch binds and asks the driver for at once.
constexpr int FetchBlockRows = 1024;

// Decimal helpers shared with the dataset layer.
// Parses "-12.3456" into an integer scaled by 10,000 (rounding half away from
// zero beyond four places); false for text that is not a plain decimal or overflows.
bool ParseCurrency(const QString& Text, std::int64_t& Scaled);
QString CurrencyToText(std::int64_t Scaled);

// Static storage of a result: every fetched row, column by column. Rows are
// appended and updated in place; a row number is stable for the storage's life.
class TRowStore {
public:
  explicit TRowStore(std::vector<TColumn> Columns);
  ~TRowStore();
  TRowStore(const TRowStore&) = delete;
  TRowStore& operator=(const TRowStore&) = delete;

  int ColumnCount() const { return int(FColumns.size()); }
  const TColumn& Column(int Col) const { return FColumns[Col]; }
  const std::vector<TColumn>& Columns() const { return FColumns; }
  int RowCount() const { return FRowCount; }

  bool IsNull(int Row, int Col) const;
  TValue Value(int Row, int Col) const;
  void SetValue(int Row, int Col, const TValue& V);
  // Adds a row of Nulls and answers its number.
  int AppendRow();

  // Fast typed access for sorting and filtering.
  std::int64_t IntAt(int Row, int Col) const;     // Int32, Int64, Currency
  double DoubleAt(int Row, int Col) const;        // Double, dates
  // Texts and decimals. The view points into the storage or, for a column
  // kept as Latin-1, into one of four scratch texts: it stays valid until the
  // fourth next call.
  QStringView TextAt(int Row, int Col) const;

  // Bytes held by the storage (capacity, not just use).
  std::size_t MemoryUsed() const;

  // Used by the fetch loop.
  void ReserveRows(int Count);
  // Gives back the room reserved beyond the rows held.
  void ShrinkToFit();
  void SetNullFast(int Row, int Col);
  void SetIntFast(int Row, int Col, std::int64_t V);
  void SetDoubleFast(int Row, int Col, double V);
  void SetTextFast(int Row, int Col, const char16_t* S, std::size_t Len);
  void SetAsciiFast(int Row, int Col, const char* S, std::size_t Len);

private:
  struct ColumnData;
  template <class Char> struct TArena;
  std::vector<TColumn> FColumns;
  std::vector<std::unique_ptr<ColumnData>> FData;
  int FRowCount = 0;
  int FCapacity = 0;
  // Texts live in arenas: 16-bit units, and Latin-1 bytes for the columns
  // that have held nothing else (codes, numbers, dates as text).
  std::unique_ptr<TArena<char16_t>> FWide;
  std::unique_ptr<TArena<char>> FNarrow;
  void Widen(ColumnData& D);
};

// Splits a statement with ":name" parameters into the ODBC text with "?" marks
// and the names in order of appearance (a name may repeat). Texts in quotes,
// quoted identifiers, comments, dollar-quoted bodies and "::type" casts are left alone.
void SplitParameters(const QString& Sql, QString& OdbcSql, QStringList& Names);

// One attribute of a connection string.
struct TConnAttr {
  QString Key;
  QString Value;
};
// Parses an ODBC connection string ("KEY=value;KEY={va;lue}" with "}}" for a
// brace inside braces).
std::vector<TConnAttr> ParseOdbcConnectionString(const QString& Text);
// Writes attributes for the PostgreSQL driver so that no value can add or change
// another attribute: passwords always in braces (the driver removes them), other
// values as they are when the driver can read them so, else in braces (then the
// driver keeps the braces and the value stays one literal attribute).
QString BuildOdbcConnectionString(const std::vector<TConnAttr>& Attrs);
// A value quoted for an ODBC connection string: "{...}" with "}" doubled.
QString QuoteOdbcValue(const QString& Value);

class TStatement;

// A connection through the driver manager.
class TConnection {
public:
  TConnection();
  ~TConnection();
  TConnection(const TConnection&) = delete;
  TConnection& operator=(const TConnection&) = delete;

  void Open(const QString& ConnectionString);
  void Close();
  bool Connected() const { return FConnected; }

  void BeginTrans();
  void CommitTrans();
  void RollbackTrans();
  bool InTransaction() const { return FInTransaction; }

  // Runs a statement with "?" parameters. When it produces rows, they are all
  // fetched into the answer; otherwise the answer is null and RowsAffected tells
  // how many rows it changed (-1 when unknown).
  std::unique_ptr<TRowStore> Execute(const QString& OdbcSql, const std::vector<TParam>& Params,
                                     std::int64_t* RowsAffected = nullptr);

  void* Handle() const { return FDbc; }
  // Raises the diagnostics of a handle; marks the transaction as failed.
  [[noreturn]] void RaiseError(short HandleType, void* Handle, const QString& Context);

private:
  void* FEnv = nullptr;
  void* FDbc = nullptr;
  bool FConnected = false;
  bool FInTransaction = false;
  bool FTransactionFailed = false;
  QString FFailure;
};

}  // namespace odbc
