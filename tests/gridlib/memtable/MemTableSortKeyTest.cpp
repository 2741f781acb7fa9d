// MemTableSortKeyTest.cpp: the table's order list as sort keys. A view sorts
// numeric orders by keys read once per record; the order must be exactly the
// one the compare routine gives, Nulls, ties and descending items included.
#include "gridlib/memtable/MemTableEh.h"
#include "MemTableTestSupport.h"

#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <memory>
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
