// MemTableSortKeyTest.cpp: the table's order list as sort keys. A view sorts
// numeric orders by keys read once per record; the order must be exactly the
// one the compare routine gives, Nulls, ties and descending items included.
#include "gridlib/memtable/MemTableEh.h"
#include "MemTableTestSupport.h"

#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace {

QString S(const char* Text) { return QString::fromUtf8(Text); }

struct TRow {
  int Id;
  Variant Qty, Price, Amount, Day;
};

const std::vector<TRow> Sample = {
  {1, Variant(3), Variant(2.5), Variant(Currency(10)), Variant(TDateTime(45000.5))},
  {2, Null, Variant(-1.0), Variant(Currency(-3)), Null},
  {3, Variant(3), Null, Null, Variant(TDateTime(45000.25))},
  {4, Variant(-7), Variant(2.5), Variant(Currency(10)), Variant(TDateTime(44999.0))},
  {5, Variant(3), Variant(-1.0), Variant(Currency(0)), Variant(TDateTime(45000.5))},
  {6, Null, Null, Variant(Currency(-3)), Null},
  {7, Variant(0), Variant(1e300), Variant(Currency(10)), Variant(TDateTime(45001.0))},
};

template <class TTable = TMemTableEh>
std::unique_ptr<TTable> NewTable()
{
  auto T = std::make_unique<TTable>(nullptr);
  T->FieldDefs()->Add(S("id"), ftInteger);
  T->FieldDefs()->Add(S("qty"), ftInteger);
  T->FieldDefs()->Add(S("price"), ftFloat);
  T->FieldDefs()->Add(S("amount"), ftCurrency);
  T->FieldDefs()->Add(S("day"), ftDateTime);
  T->FieldDefs()->Add(S("name"), ftWideString, 20);
  T->CreateDataSet();
  for (const TRow& R : Sample) {
    T->Append();
    T->FieldByName(S("id"))->SetAsInteger(R.Id);
    T->FieldByName(S("qty"))->SetValue(R.Qty);
    T->FieldByName(S("price"))->SetValue(R.Price);
    T->FieldByName(S("amount"))->SetValue(R.Amount);
    T->FieldByName(S("day"))->SetValue(R.Day);
    T->FieldByName(S("name"))->SetAsString(S("№%1").arg(R.Id));
    T->Post();
  }
  return T;
}

std::vector<int> Ids(TDataSet* D) { return mttest::ColumnInts(D); }

TEST(MemTableSortKeys, KeysOrderAsTheCompareRoutineWithNullsAndTies)
{
  struct TCase {
    const char* Order;
    std::vector<int> Ids;
  };
  const std::vector<TCase> Cases = {
    {"qty, price", {6, 2, 4, 7, 3, 5, 1}},                 // Nulls first; a Null price before -1
    {"qty DESC, price", {3, 5, 1, 7, 4, 6, 2}},            // Nulls last descending
    {"qty DESC, price DESC", {1, 5, 3, 7, 4, 2, 6}},
    {"price DESC; qty", {7, 4, 1, 2, 5, 6, 3}},
    {"amount, day DESC", {3, 2, 6, 5, 7, 1, 4}},           // equal pair (2, 6) keeps storage order
    {"amount DESC, id DESC", {7, 4, 1, 5, 6, 2, 3}},
    {"day, qty DESC, price, id", {6, 2, 4, 3, 5, 1, 7}},
    {"id DESC", {7, 6, 5, 4, 3, 2, 1}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Order);
    auto T = NewTable();
    // The keys exist for these orders and every record gives one.
    std::unique_ptr<TMTOrderByList> List = T->ParseOrderByStr(S(C.Order));
    ASSERT_GT(List->KeyLength(), 0);
    double Key[TRecordsSortKeyEh::MaxKeyLength];
    for (Integer I = 0; I < T->MemTableData()->RecordsList()->Count(); ++I)
      EXPECT_TRUE(List->KeyOf(T->MemTableData()->RecordsList()->Rec(I), Key));
    T->SetSortOrder(S(C.Order));   // the view: by keys
    EXPECT_EQ(Ids(T.get()), C.Ids);
    auto U = NewTable();
    U->SortByFields(S(C.Order));   // the storage: by the compare routine
    EXPECT_EQ(Ids(U.get()), C.Ids);
    // A record added later finds its place by the compare routine.
    T->Append();
    T->FieldByName(S("id"))->SetAsInteger(8);
    T->Post();
    const std::vector<int> After = Ids(T.get());
    T->SetSortOrder(QString());
    T->SetSortOrder(S(C.Order));
    EXPECT_EQ(Ids(T.get()), After);
  }
}

// Keys that pack into whole numbers (amounts, quarters, dates with times)
// and keys that do not (thirds, ranges too wide for one word) give the
// compare routine's order, Nulls and ties included, over many records.
TEST(MemTableSortKeys, PackedAndUnpackedKeysOrderAsTheCompareRoutine)
{
  using TGen = std::function<Variant(std::mt19937&)>;
  const auto WithNulls = [](TGen G) {
    return [G](std::mt19937& R) { return R() % 7 == 0 ? Variant(Null) : G(R); };
  };
  struct TCase {
    const char* Name;
    TFieldType Type;
    TGen Gen;
  };
  const std::vector<TCase> Cases = {
    {"cents", ftCurrency, WithNulls([](std::mt19937& R) { return Variant(Currency::FromRaw(Int64(R() % 4001) * 100 - 200000)); })},
    {"tenths of cents", ftCurrency, [](std::mt19937& R) { return Variant(Currency::FromRaw(Int64(R() % 50) * 7 - 3)); }},
    {"quarters", ftFloat, WithNulls([](std::mt19937& R) { return Variant(double(int(R() % 80) - 40) / 4); })},
    {"decimals", ftFloat, [](std::mt19937& R) { return Variant(double(int(R() % 2000) - 1000) / 100); }},
    {"thirds", ftFloat, [](std::mt19937& R) { return Variant(double(R() % 30) / 3); }},
    {"signed zeros", ftFloat, [](std::mt19937& R) { return Variant(R() % 2 ? 0.0 : -0.0); }},
    {"times", ftDateTime, WithNulls([](std::mt19937& R) { return Variant(TDateTime(45000 + double(R() % 64) / 8)); })},
    {"wide whole numbers", ftLargeint, [](std::mt19937& R) { return Variant(Int64(R() % 3 - 1) << 50); }},
    {"small whole numbers", ftInteger, WithNulls([](std::mt19937& R) { return Variant(Integer(R() % 9) - 4); })},
  };
  const char* const Orders[] = {"a, b DESC", "b DESC, a", "a DESC, b, c DESC"};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    std::vector<std::array<Variant, 3>> Rows;
    std::mt19937 Rng(7);
    for (int I = 0; I < 2000; ++I)
      Rows.push_back({C.Gen(Rng), C.Gen(Rng), C.Gen(Rng)});
    const auto Fill = [&](TMemTableEh& T) {
      T.FieldDefs()->Add(S("id"), ftInteger);
      for (const char* F : {"a", "b", "c"})
        T.FieldDefs()->Add(S(F), C.Type);
      T.CreateDataSet();
      for (size_t I = 0; I < Rows.size(); ++I) {
        T.Append();
        T.FieldByName(S("id"))->SetAsInteger(int(I));
        for (int F = 0; F < 3; ++F)
          T.Fields()->Fields(F + 1)->SetValue(Rows[I][size_t(F)]);
        T.Post();
      }
    };
    for (const char* Order : Orders) {
      SCOPED_TRACE(Order);
      TMemTableEh T(nullptr), U(nullptr);
      Fill(T);
      Fill(U);
      T.SetSortOrder(S(Order));   // the view: by keys
      U.SortByFields(S(Order));   // the storage: by the compare routine, ties by position
      ASSERT_EQ(Ids(&T), Ids(&U));
    }
  }
}

// Counts the pairs the view asks the compare routine about.
class TCountingTable : public TMemTableEh {
public:
  using TMemTableEh::TMemTableEh;
  Integer CompareRecords(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2, TObject* ParamSort) override
  {
    ++Compares;
    return TMemTableEh::CompareRecords(Rec1, Rec2, ParamSort);
  }
  int Compares = 0;
};

TEST(MemTableSortKeys, NumericOrdersSortWithoutPairwiseCompares)
{
  auto T = NewTable<TCountingTable>();
  T->Compares = 0;
  T->SetSortOrder(S("amount DESC, id DESC"));
  EXPECT_EQ(T->Compares, 0);
  EXPECT_EQ(Ids(T.get()), (std::vector<int>{7, 4, 1, 5, 6, 2, 3}));
  T->SetSortOrder(S("name"));
  EXPECT_GT(T->Compares, 0);
}

TEST(MemTableSortKeys, OrdersWithoutNumericKeysUseTheCompareRoutine)
{
  auto T = NewTable();
  TField* Calc = nullptr;
  // A text item gives a key length, but no record reads as a number.
  std::unique_ptr<TMTOrderByList> ByName = T->ParseOrderByStr(S("qty, name"));
  EXPECT_EQ(ByName->KeyLength(), 2);
  double Key[TRecordsSortKeyEh::MaxKeyLength];
  EXPECT_FALSE(ByName->KeyOf(T->MemTableData()->RecordsList()->Rec(0), Key));
  T->SetSortOrder(S("name DESC"));
  EXPECT_EQ(Ids(T.get()), (std::vector<int>{7, 6, 5, 4, 3, 2, 1}));
  // More items than a key holds.
  EXPECT_EQ(T->ParseOrderByStr(S("qty, price, amount, day, id"))->KeyLength(), 0);
  T->SetSortOrder(S("qty, price, amount, day, id"));
  EXPECT_EQ(Ids(T.get()), (std::vector<int>{6, 2, 4, 7, 3, 5, 1}));

  // A calculated field has no stored value to read.
  auto C = std::make_unique<TMemTableEh>(nullptr);
  C->FieldDefs()->Add(S("id"), ftInteger);
  C->CreateDataSet();
  C->Close();
  for (Integer I = 0; I < C->FieldDefs()->Count(); ++I)
    C->FieldDefs()->Items(I)->CreateField(C.get())->SetDataSet(C.get());
  Calc = new TIntegerField(C.get());
  Calc->SetFieldName(S("neg"));
  Calc->SetFieldKind(fkCalculated);
  Calc->SetDataSet(C.get());
  C->OnCalcFields = [](TDataSet* D) {
    D->FieldByName(S("neg"))->SetAsInteger(-D->FieldByName(S("id"))->AsInteger());
  };
  C->Open();
  for (int Id : {2, 1, 3}) {
    C->Append();
    C->FieldByName(S("id"))->SetAsInteger(Id);
    C->Post();
  }
  EXPECT_EQ(C->ParseOrderByStr(S("neg"))->KeyLength(), 0);
  C->SetSortOrder(S("neg"));
  EXPECT_EQ(Ids(C.get()), (std::vector<int>{3, 2, 1}));
}

}  // namespace
