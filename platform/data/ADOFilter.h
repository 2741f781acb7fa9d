// ADOFilter.h: the client filter and sort texts of the ADO datasets:
// "s_caption like 'Цех%' and (id > 2 or type = -1)" and "d_date DESC, s_name".
// Parsed once into a tree, evaluated row by row against the static cursor.
#pragma once

#include "platform/rtl/SysUtils.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace odbc {
class TRowStore;
}

namespace adofilter {

// A malformed filter or sort text; the message says what and where.
class EFilterError : public Exception {
public:
  explicit EFilterError(const String& Msg) : Exception(Msg) {}
};

struct TNode;

// A parsed filter. Field names are resolved against the columns of a row
// store when bound; texts compare by CollateText ignoring case.
class TFilter {
public:
  // Raises EFilterError for a malformed text. An empty text accepts every row.
  static std::unique_ptr<TFilter> Parse(const QString& Text);
  ~TFilter();

  // Resolves field names to columns (name -> column, -1 when unknown; an
  // unknown name raises EFilterError).
  void Bind(const std::function<int(const QString& Name)>& ColumnOf, const odbc::TRowStore& Store);
  bool Accepts(const odbc::TRowStore& Store, int Row) const;
  // The field names the filter reads, in order of appearance.
  QStringList FieldNames() const;

private:
  TFilter();
  std::unique_ptr<TNode> FRoot;
};

// "field [ASC|DESC], ..." (IndexFieldNames uses ";" between names).
struct TSortKey {
  QString Field;
  bool Descending = false;
};
std::vector<TSortKey> ParseSort(const QString& Text);

// Orders two rows of a column the way the client sort does: Null first, numbers
// and dates by value, texts by CollateText ignoring case.
int CompareCells(const odbc::TRowStore& Store, int Col, int RowA, int RowB);

// The collation keys of a text column for the rows of a sort, built once so
// that each comparison is a memcmp: Compare gives what CompareCells gives.
class TTextSortKeys {
public:
  TTextSortKeys(const odbc::TRowStore& Store, int Col, const std::vector<int>& Rows);
  int Compare(int RowA, int RowB) const;

private:
  std::string_view Key(int Row) const;
  std::string FBytes;
  std::vector<std::size_t> FStart;       // by storage row; a Null's key is empty
  std::vector<std::uint32_t> FLength;
};

// A text quoted for a filter: 'O''Neil'.
QString QuoteFilterText(const QString& Text);

}  // namespace adofilter
