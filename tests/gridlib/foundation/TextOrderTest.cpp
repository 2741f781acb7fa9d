// TextOrderTest.cpp: one table of words sorted by a string list, by the grid
// library's compare routines, by collation keys and by an ADO dataset's sort
// and filter on the test server: every one gives the program's text order.
#include "gridlib/foundation/GridPlatformEh.h"

#include "platform/data/ADODB.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// The common Unicode order, case-sensitive: punctuation before digits before
// Latin before Cyrillic, ё beside е, lower case before upper case. Group is
// the place ignoring case: words of one group are equal then.
struct TWord {
  const char* Text;
  int Group;
};
const TWord Words[] = {
    {"", 0},       {"10", 1},     {"2nd", 2},     {"9", 3},   {"apple", 4}, {"Apple", 4},
    {"co-op", 5},  {"coop", 6},   {"Zebra", 7},   {"банан", 8}, {"еда", 9},   {"ёж", 10},
    {"Ёж", 10},    {"ель", 11},   {"Жук", 12},    {"яблоко", 13},
};

QString Text(const TWord& W)
{
  return QString::fromUtf8(W.Text);
}

// The table in a fixed scrambled order (reversed, then odd places first).
QStringList Scrambled()
{
  QStringList Odd, Even;
  int I = 0;
  for (auto It = std::rbegin(Words); It != std::rend(Words); ++It, ++I)
    (I % 2 ? Odd : Even).append(Text(*It));
  return Odd + Even;
}

int GroupOf(const QString& S)
{
  for (const TWord& W : Words)
    if (Text(W) == S)
      return W.Group;
  ADD_FAILURE() << "not in the table: " << S.toStdString();
  return -1;
}

QStringList CaseSensitiveOrder()
{
  QStringList R;
  for (const TWord& W : Words)
    R.append(Text(W));
  return R;
}

std::string Joined(const QStringList& L)
{
  return L.join(QStringLiteral(" | ")).toStdString();
}

// Ignoring case, words of a group may come in any order among themselves.
std::vector<int> Groups(const QStringList& L)
{
  std::vector<int> R;
  for (const QString& S : L)
    R.push_back(GroupOf(S));
  return R;
}

std::vector<int> ExpectedGroups()
{
  std::vector<int> R;
  for (const TWord& W : Words)
    R.push_back(W.Group);
  return R;
}

QStringList SortedBy(const std::function<int(const QString&, const QString&)>& Compare)
{
  QStringList L = Scrambled();
  std::stable_sort(L.begin(), L.end(), [&](const QString& A, const QString& B) { return Compare(A, B) < 0; });
  return L;
}

QStringList SortedByKeys(bool CaseSensitive)
{
  const QStringList L = Scrambled();
  std::vector<std::string> Keys;
  for (const QString& S : L) {
    Keys.emplace_back();
    AppendCollationKey(Keys.back(), S, CaseSensitive);
  }
  std::vector<int> Order(std::size_t(L.size()));
  for (std::size_t I = 0; I < Order.size(); ++I)
    Order[I] = int(I);
  std::stable_sort(Order.begin(), Order.end(), [&](int A, int B) {
    return std::string_view(Keys[std::size_t(A)]) < std::string_view(Keys[std::size_t(B)]);
  });
  QStringList R;
  for (const int I : Order)
    R.append(L[I]);
  return R;
}

QStringList SortedStringList(bool CaseSensitive)
{
  TStringList L;
  L.SetCaseSensitive(CaseSensitive);
  L.AddStrings(Scrambled());
  L.Sort();
  return L.ToStringList();
}

}  // namespace

TEST(TextOrder, StringListGridRoutinesAndKeysAgree)
{
  // The process locale must not matter.
  const QLocale Saved;
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  struct Sorter {
    const char* Name;
    std::function<QStringList()> Sensitive, Insensitive;
  };
  const Sorter Sorters[] = {
      {"TStringList", [] { return SortedStringList(true); }, [] { return SortedStringList(false); }},
      {"AnsiCompareStrEh / AnsiCompareTextEh", [] { return SortedBy(AnsiCompareStrEh); },
       [] { return SortedBy(AnsiCompareTextEh); }},
      {"StrCompareLocaleEh",
       [] { return SortedBy([](const QString& A, const QString& B) { return StrCompareLocaleEh(A, B, 0, false); }); },
       [] { return SortedBy([](const QString& A, const QString& B) { return StrCompareLocaleEh(A, B, 0, true); }); }},
      {"AnsiCompareStr / AnsiCompareText", [] { return SortedBy(AnsiCompareStr); },
       [] { return SortedBy(AnsiCompareText); }},
      {"collation keys", [] { return SortedByKeys(true); }, [] { return SortedByKeys(false); }},
  };
  for (const Sorter& S : Sorters) {
    SCOPED_TRACE(S.Name);
    EXPECT_EQ(Joined(S.Sensitive()), Joined(CaseSensitiveOrder()));
    EXPECT_EQ(Groups(S.Insensitive()), ExpectedGroups());
  }
  QLocale::setDefault(Saved);
}

class TextOrderDataSet : public ::testing::Test {
protected:
  void SetUp() override
  {
    RegisterADOClasses();
    Db = std::make_unique<TADOConnection>(nullptr);
    Db->SetLoginPrompt(false);
    Db->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
    Db->Open();
    QStringList Values;
    const QStringList L = Scrambled();
    for (qsizetype I = 0; I < L.size(); ++I)
      Values.append(QStringLiteral("(%1, %2::varchar(40))").arg(I).arg(QuotedStr(L[I])));
    Rows = std::make_unique<TADOQuery>(nullptr);
    Rows->SetConnection(Db.get());
    Rows->SQL()->SetText(QStringLiteral("select * from (values %1) as t(id, word)").arg(Values.join(QLatin1Char(','))));
    Rows->Open();
  }

  QStringList Column()
  {
    QStringList R;
    for (Rows->First(); !Rows->Eof(); Rows->Next())
      R.append(Rows->FieldByName(QStringLiteral("word"))->AsString());
    return R;
  }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOQuery> Rows;
};

TEST_F(TextOrderDataSet, SortAgreesWithTheStringList)
{
  Rows->SetSort(QStringLiteral("word"));
  EXPECT_EQ(Groups(Column()), ExpectedGroups()) << Joined(Column());
  EXPECT_EQ(Groups(Column()), Groups(SortedStringList(false)));
  Rows->SetSort(QStringLiteral("word DESC"));
  std::vector<int> Descending = ExpectedGroups();
  std::reverse(Descending.begin(), Descending.end());
  EXPECT_EQ(Groups(Column()), Descending);
}

TEST_F(TextOrderDataSet, FilterComparesInTheSameOrder)
{
  for (const TWord& W : Words) {
    SCOPED_TRACE(W.Text);
    struct Case {
      const char* Op;
      std::function<bool(int Group)> Expected;
    };
    const Case Cases[] = {
        {"<", [&](int G) { return G < W.Group; }},
        {"=", [&](int G) { return G == W.Group; }},
        {">=", [&](int G) { return G >= W.Group; }},
    };
    for (const Case& C : Cases) {
      SCOPED_TRACE(C.Op);
      Rows->SetFilteredValue(false);
      Rows->SetFilter(QStringLiteral("word %1 %2").arg(QLatin1String(C.Op), QuotedStr(Text(W))));
      Rows->SetFilteredValue(true);
      QStringList Expected;
      for (const TWord& Other : Words)
        if (C.Expected(Other.Group))
          Expected.append(Text(Other));
      QStringList Got = Column();
      Expected.sort();
      Got.sort();
      EXPECT_EQ(Joined(Got), Joined(Expected));
    }
  }
}
