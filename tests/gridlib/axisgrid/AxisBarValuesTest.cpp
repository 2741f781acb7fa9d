// AxisBarValuesTest.cpp: a bar's lookups, cell texts, check boxes, writing
// and stepping over items, their groups and kinds on the test server; and
// the sorted lookup cache on its own.
#include "gridlib/axisgrid/DBAxisGridsEh.h"
#include "gridlib/axisgrid/DBLookupUtilsEh.h"
#include "gridlib/memtable/MemTableEh.h"

#include "tests/gridlib/axisgrid/AxisGridTestSupport.h"

#include <gtest/gtest.h>

using namespace axisgrid_test;

namespace {

String S(const char* Text)
{
  return QString::fromUtf8(Text);
}

// Items pointing at groups by one key and at kinds by two; group 99 and
// kind (2, 2) do not exist.
class AxisBarValuesTest : public AxisGridItemsTest<> {
protected:
  void SetUp() override
  {
    SetUpItems(
      {
        "drop table if exists lk_item",
        "drop table if exists lk_group",
        "drop table if exists lk_kind",
        "create table lk_group (id int4 primary key, s_name varchar(40) not null)",
        "create table lk_kind (a int4, b int4, s_name varchar(40) not null, primary key (a, b))",
        "create table lk_item (id int4 primary key, group_id int4, ka int4, kb int4, s_code varchar(10),"
        " n_qty int4 check (n_qty < 100), n_level int4, s_flag varchar(10))",
        "insert into lk_group values (1, 'Крепёж'), (2, 'Электрика'), (3, 'Инструмент')",
        "insert into lk_kind values (1, 1, 'Один-один'), (1, 2, 'Один-два'), (2, 1, 'Два-один')",
        "insert into lk_item values (1, 1, 1, 2, '1', 5, 1, 'YES'), (2, 3, 2, 1, '2', null, 0, 'n'),"
        " (3, 99, 2, 2, '3', 7, null, ''), (4, null, null, null, null, 1, 5, 'x')",
      },
      "select id, group_id, ka, kb, s_code, n_qty, n_level, s_flag from lk_item order by id",
      "select id, s_name from lk_group order by s_name");
    Kinds = NewQuery("select a, b, s_name from lk_kind");
  }
  void TearDown() override
  {
    Kinds.reset();
    AxisGridItemsTest::TearDown();
  }
  void GoTo(Integer Id)
  {
    ASSERT_TRUE(Items->Locate(S("id"), Variant(Id), {}));
  }

  std::unique_ptr<TADOQuery> Kinds;
};

TEST(LookupListEh, SortedPairsAnswerByKey)
{
  TLookupListEh List;
  const int Keys[] = {7, 3, 9, 1, 5, 3, 8, 2};
  for (int K : Keys)
    List.Add(Variant(K), Variant(QString::number(K * 10)));
  List.Add(Null, Variant(S("пусто")));
  List.SortData();
  for (int K : Keys)
    EXPECT_EQ(VarToStr(List.ValueOfKey(Variant(K))), QString::number(K * 10)) << K;
  EXPECT_EQ(VarToStr(List.ValueOfKey(Null)), S("пусто")) << "Null sorts first and is found";
  EXPECT_TRUE(VarIsEmpty(List.ValueOfKey(Variant(4)))) << "a missing key is Unassigned";
  EXPECT_TRUE(VarIsEmpty(List.ValueOfKey(Variant(100))));
  List.Clear();
  EXPECT_EQ(List.Count(), 0);
  EXPECT_TRUE(VarIsEmpty(List.ValueOfKey(Variant(7))));
}

TEST(LookupListEh, CompositeKeysCompareElementByElement)
{
  TLookupListEh List;
  List.Add(VarArrayOf({Variant(2), Variant(1)}), Variant(S("2-1")));
  List.Add(VarArrayOf({Variant(1), Variant(2)}), Variant(S("1-2")));
  List.Add(VarArrayOf({Variant(1), Variant(1)}), Variant(S("1-1")));
  List.SortData();
  EXPECT_EQ(VarToStr(List.ValueOfKey(VarArrayOf({Variant(1), Variant(2)}))), S("1-2"));
  EXPECT_EQ(VarToStr(List.ValueOfKey(VarArrayOf({Variant(2), Variant(1)}))), S("2-1"));
  EXPECT_TRUE(VarIsEmpty(List.ValueOfKey(VarArrayOf({Variant(2), Variant(2)}))));
  // A single value cannot be ordered against a pair.
  EXPECT_THROW(List.ValueOfKey(Variant(1)), Exception);
}

TEST_F(AxisBarValuesTest, LookupByOneKeyShowsTheGroupName)
{
  Groups->Open();
  Items->Open();
  TAxisBarEh* Bar = AddGroupLookup();
  TDBLookupDataEh* L = Bar->LookupParams();
  ASSERT_TRUE(L->LookupIsSetUp());
  ASSERT_TRUE(L->LookupActive());
  EXPECT_EQ(Bar->GetBarType(), ctLookupField);
  EXPECT_EQ(L->LookupListCache()->Count(), 3);
  EXPECT_EQ(Groups->FieldByName(S("s_name"))->AsString(), S("Инструмент")) << "the walk restores the position";
  struct Case {
    Integer Id;
    const char* Text;
    bool KeysNull;
  };
  const Case Cases[] = {{1, "Крепёж", false}, {2, "Инструмент", false}, {3, "", false}, {4, "", true}};
  for (bool Cache : {true, false}) {
    L->SetLookupCache(Cache);
    EXPECT_EQ(L->LookupListCache()->Count(), Cache ? 3 : 0);
    for (const Case& C : Cases) {
      SCOPED_TRACE(testing::Message() << "id " << C.Id << (Cache ? " cached" : " searched"));
      GoTo(C.Id);
      EXPECT_EQ(Bar->DisplayText(), S(C.Text));
      EXPECT_EQ(Bar->EditText(), S(C.Text));
      EXPECT_EQ(L->KeyFieldsIsNull(), C.KeysNull);
    }
  }
  // A key absent from the groups: the cache answers Unassigned, the search Null.
  GoTo(3);
  L->SetLookupCache(true);
  EXPECT_TRUE(VarIsEmpty(L->GetLookupValue()));
  L->SetLookupCache(false);
  EXPECT_TRUE(VarIsNull(L->GetLookupValue()));
}

TEST_F(AxisBarValuesTest, LookupByTwoKeysUsesValueArrays)
{
  Kinds->Open();
  Items->Open();
  TAxisBarEh* Bar = AddBar("ka");
  TDBLookupDataEh* L = SetLookup(Bar, Kinds.get(), "a;b", "s_name", "ka;kb");
  ASSERT_TRUE(L->LookupActive());
  ASSERT_EQ(L->KeyFields().size(), 2u);
  const std::pair<Integer, const char*> Cases[] = {{1, "Один-два"}, {2, "Два-один"}, {3, ""}, {4, ""}};
  for (bool Cache : {true, false}) {
    L->SetLookupCache(Cache);
    for (const auto& [Id, Text] : Cases) {
      SCOPED_TRACE(testing::Message() << "id " << Id << (Cache ? " cached" : " searched"));
      GoTo(Id);
      EXPECT_EQ(Bar->DisplayText(), S(Text));
    }
  }
}

TEST_F(AxisBarValuesTest, LookupCacheFollowsTheLookupDatasetClosingAndReopening)
{
  Groups->Open();
  Items->Open();
  TAxisBarEh* Bar = AddGroupLookup();
  TDBLookupDataEh* L = Bar->LookupParams();
  GoTo(3);
  EXPECT_EQ(Bar->DisplayText(), String());

  Groups->Close();
  EXPECT_FALSE(L->LookupActive());
  EXPECT_EQ(L->LookupListCache()->Count(), 0);
  EXPECT_EQ(Bar->DisplayText(), S("99")) << "without its lookup the bar shows its own field";
  testsupport::OdbcSession().Exec("insert into lk_group values (99, 'Прочее')");

  Groups->Open();
  EXPECT_TRUE(L->LookupActive());
  EXPECT_EQ(L->LookupListCache()->Count(), 4);
  EXPECT_EQ(Bar->DisplayText(), S("Прочее"));
}

TEST_F(AxisBarValuesTest, FreedLookupDatasetIsForgotten)
{
  Groups->Open();
  Items->Open();
  TAxisBarEh* Bar = AddGroupLookup();
  TDBLookupDataEh* L = Bar->LookupParams();
  GoTo(1);
  ASSERT_EQ(Bar->DisplayText(), S("Крепёж"));
  Groups.reset();
  EXPECT_EQ(L->LookupDataSet(), nullptr);
  EXPECT_FALSE(L->LookupIsSetUp());
  EXPECT_EQ(Bar->DisplayText(), S("1"));
  Groups = NewQuery("select id, s_name from lk_group");
  Groups->Open();
  L->SetLookupDataSet(Groups.get());
  EXPECT_EQ(Bar->DisplayText(), S("Крепёж"));
}

TEST_F(AxisBarValuesTest, RefusedLookupSettingsLeaveTheLookupWorking)
{
  Groups->Open();
  Items->Open();
  TAxisBarEh* Bar = AddGroupLookup();
  TDBLookupDataEh* L = Bar->LookupParams();
  try {
    L->SetKeyFieldNames(S("no_such"));
    FAIL() << "an unknown key field must raise";
  } catch (const EDatabaseError& E) {
    EXPECT_EQ(E.Message(), S("Field 'no_such' not found"));
  }
  // The failed resolution must not block the next one.
  L->SetKeyFieldNames(S("group_id"));
  EXPECT_TRUE(L->LookupActive());
  GoTo(1);
  EXPECT_EQ(Bar->DisplayText(), S("Крепёж"));
}

TEST_F(AxisBarValuesTest, LookupDatasetLinkedToTheGridsSourceIsCircular)
{
  Items->Open();
  TMemTableEh Detail(nullptr);
  Detail.FieldDefs()->Add(S("id"), ftInteger);
  Detail.FieldDefs()->Add(S("s_name"), ftString, 20);
  Detail.CreateDataSet();
  Detail.SetMasterSource(Source.get());
  TAxisBarEh* Bar = AddBar("group_id");
  TDBLookupDataEh* L = Bar->LookupParams();
  L->SetLookupKeyFieldNames(S("id"));
  L->SetLookupDisplayFieldName(S("s_name"));
  L->SetKeyFieldNames(S("group_id"));
  try {
    L->SetLookupDataSet(&Detail);
    FAIL() << "a lookup over the grid's own detail must raise";
  } catch (const EDatabaseError& E) {
    EXPECT_EQ(E.Message(), S("Circular datalinks are not allowed"));
  }
  EXPECT_FALSE(L->LookupActive());
  L->SetLookupDataSet(nullptr);
}

TEST_F(AxisBarValuesTest, LookupFieldLendsItsSettingsAndRefusesOwnOnes)
{
  Groups->Open();
  Items->Open();   // the columns, as persistent fields
  Items->Close();
  for (Integer I = 0; I < Items->FieldDefs()->Count(); ++I)
    Items->FieldDefs()->Items(I)->CreateField(Items.get())->SetDataSet(Items.get());
  auto* Name = new TWideStringField(Items.get());
  Name->SetFieldName(S("group_name"));
  Name->SetSize(40);
  Name->SetFieldKind(fkLookup);
  Name->SetLookupDataSet(Groups.get());
  Name->SetKeyFields(S("group_id"));
  Name->SetLookupKeyFields(S("id"));
  Name->SetLookupResultField(S("s_name"));
  Name->SetDataSet(Items.get());
  Items->Open();
  TAxisBarEh* Bar = AddBar("group_name");
  TDBLookupDataEh* L = Bar->LookupParams();
  ASSERT_EQ(Bar->Field(), Name);
  EXPECT_TRUE(L->LookupInDataField());
  EXPECT_FALSE(L->LookupDataIsStored());
  EXPECT_EQ(L->KeyFieldNames(), S("group_id"));
  EXPECT_EQ(L->LookupDataSet(), Groups.get());
  EXPECT_TRUE(L->LookupActive());
  GoTo(2);
  EXPECT_EQ(Bar->DisplayText(), S("Инструмент"));
  for (auto Set : {+[](TDBLookupDataEh* D) { D->SetLookupDataSet(nullptr); },
                   +[](TDBLookupDataEh* D) { D->SetKeyFieldNames(S("ka")); },
                   +[](TDBLookupDataEh* D) { D->SetLookupDisplayFieldName(S("id")); }}) {
    try {
      Set(L);
      ADD_FAILURE() << "own settings on a lookup field must raise";
    } catch (const EDatabaseError& E) {
      EXPECT_EQ(E.Message(), S("Property already defined by lookup field"));
    }
  }
  EXPECT_EQ(L->LookupDataSet(), Groups.get());
  EXPECT_EQ(Bar->DisplayText(), S("Инструмент"));
}

TEST_F(AxisBarValuesTest, RowLookupOfAMemoryTableReadsThatRow)
{
  Groups->Open();
  TMemTableEh Rows(nullptr);
  Rows.FieldDefs()->Add(S("group_id"), ftInteger);
  Rows.CreateDataSet();
  for (int Id : {3, 1, 99}) {
    Rows.Append();
    Rows.FieldByName(S("group_id"))->SetAsInteger(Id);
    Rows.Post();
  }
  Rows.First();
  Source->SetDataSet(&Rows);
  TAxisBarEh* Bar = AddGroupLookup();
  ASSERT_TRUE(Bar->LookupParams()->LookupActive());
  const char* Expected[] = {"Инструмент", "Крепёж", ""};
  for (Integer Row = 0; Row < 3; ++Row) {
    Variant Value;
    Bar->LookupParams()->GetLookupValueOfRecord(Row, Value);
    EXPECT_EQ(VarToStr(Value), S(Expected[Row])) << Row;
  }
  EXPECT_EQ(Rows.FieldByName(S("group_id"))->AsInteger(), 3) << "the current row stays";
  // Back to a closed dataset without fields: nothing to resolve, no error.
  Source->SetDataSet(Items.get());
  EXPECT_FALSE(Bar->LookupParams()->LookupActive());
  Items->Open();
  EXPECT_TRUE(Bar->LookupParams()->LookupActive());
}

TEST_F(AxisBarValuesTest, RowLookupWithoutMemoryTableAnswersNull)
{
  Groups->Open();
  Items->Open();
  TAxisBarEh* Bar = AddGroupLookup();
  Variant Value(S("старое"));
  Bar->LookupParams()->GetLookupValueOfRecord(0, Value);
  EXPECT_TRUE(VarIsNull(Value));
}

TEST_F(AxisBarValuesTest, KeyAndPickListTexts)
{
  Items->Open();
  TAxisBarEh* Bar = AddBar("s_code");
  Bar->KeyList()->SetText(S("1\n2"));
  Bar->PickList()->SetText(S("Yes\nNo"));
  struct Case {
    Integer Id, NotInKeyListIndex;
    const char* Text;
  };
  const Case Cases[] = {{1, -1, "Yes"}, {2, -1, "No"}, {3, 1, "No"}, {3, -1, ""}, {4, 0, "Yes"}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(testing::Message() << "id " << C.Id << " index " << C.NotInKeyListIndex);
    GoTo(C.Id);
    Bar->SetNotInKeyListIndex(C.NotInKeyListIndex);
    EXPECT_EQ(Bar->DisplayText(), S(C.Text));
    EXPECT_EQ(Bar->EditText(), S(C.Text));
    EXPECT_EQ(VarToStr(Bar->EditValue()), S(C.Text));
  }
  // An image-list bar shows no text but keeps its value.
  TAxisBarEh* Level = AddBar("n_level");
  TImageList Images(nullptr);
  Level->SetImageList(&Images);
  GoTo(4);
  EXPECT_EQ(Level->GetBarType(), ctKeyImageList);
  EXPECT_EQ(Level->DisplayText(), String());
  EXPECT_EQ(Level->EditText(), String());
  EXPECT_EQ(VarToStr(Level->EditValue()), S("5"));
  EXPECT_EQ(Level->GetImageIndex(), 5);
}

TEST_F(AxisBarValuesTest, CheckBoxStatesFromValueListsAndNumbers)
{
  Items->Open();
  TAxisBarEh* Flag = AddBar("s_flag");
  Flag->SetCheckboxes(true);
  Flag->KeyList()->SetText(S("Y;yes\nN;"));
  TAxisBarEh* Level = AddBar("n_level");
  Level->SetCheckboxes(true);
  struct Case {
    Integer Id;
    TCheckBoxState Flag, Level;
  };
  // YES matches "yes" ignoring case; "n" and the empty text (the list ends
  // with ";") are unchecked; anything else is grayed. Numbers: 1 checked,
  // other values unchecked, Null grayed.
  const Case Cases[] = {
    {1, cbChecked, cbChecked}, {2, cbUnchecked, cbUnchecked}, {3, cbUnchecked, cbGrayed}, {4, cbGrayed, cbUnchecked}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Id);
    GoTo(C.Id);
    EXPECT_EQ(Flag->CheckboxState(), C.Flag);
    EXPECT_EQ(Level->CheckboxState(), C.Level);
  }
  GoTo(4);
  Items->Edit();
  Flag->SetCheckboxState(cbChecked);
  Level->SetCheckboxState(cbChecked);
  Items->Post();
  EXPECT_EQ(Stored("select s_flag || '/' || n_level from lk_item where id = 4"), "Y/1");
  Items->Edit();
  Flag->SetCheckboxState(cbUnchecked);
  Level->SetCheckboxState(cbGrayed);
  Items->Post();
  EXPECT_EQ(Stored("select s_flag || '/' || coalesce(n_level::text, 'null') from lk_item where id = 4"), "N/null");
}

TEST_F(AxisBarValuesTest, SteppingMovesByTheSignOfTheStep)
{
  Items->Open();
  TAxisBarEh* Code = AddBar("s_code");
  Code->KeyList()->SetText(S("1\n2\n3"));
  Code->PickList()->SetText(S("один\nдва\nтри"));
  TAxisBarEh* Qty = AddBar("n_qty");
  Qty->SetIncrement(2);
  struct Case {
    Integer Id;
    double Step;
    const char* Code;
    const char* Qty;
  };
  // Key lists wrap at both ends and step forward for any positive step;
  // numbers add the step, a Null counting as 0; a zero step changes nothing.
  const Case Cases[] = {{1, 2, "2", "7"},  {2, 2, "3", "2"},  {3, 2, "1", "9"},
                        {1, -2, "3", "3"}, {2, -2, "1", "-2"}, {3, 0, "3", "7"}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(testing::Message() << "id " << C.Id << " step " << C.Step);
    GoTo(C.Id);
    Code->SetNextValue(C.Step);
    Qty->SetNextValue(C.Step);
    EXPECT_EQ(Field("s_code")->AsString(), S(C.Code));
    EXPECT_EQ(Field("n_qty")->AsString(), S(C.Qty));
    Items->Cancel();
  }
}

TEST_F(AxisBarValuesTest, PickListWrapGoesThroughTheUpdateEvent)
{
  Items->Open();
  TAxisBarEh* Code = AddBar("s_code");
  Code->PickList()->SetText(S("1\n2\n3"));
  std::vector<String> Seen;
  Code->OnUpdateData = [&](TObject*, String& Text, Variant&, bool&, bool&) { Seen.push_back(Text); };
  GoTo(3);
  Code->SetNextValue(1);
  EXPECT_EQ(Field("s_code")->AsString(), S("1"));
  GoTo(1);
  Code->SetNextValue(-1);
  EXPECT_EQ(Field("s_code")->AsString(), S("3"));
  EXPECT_EQ(Seen, (std::vector<String>{S("1"), S("3")}));
}

TEST_F(AxisBarValuesTest, WritesReachTheServerAndHandledWritesDoNot)
{
  Items->Open();
  TAxisBarEh* Code = AddBar("s_code");
  GoTo(2);
  Items->Edit();
  Code->SetValueAsText(S("Б-12"));
  Items->Post();
  EXPECT_EQ(Stored("select s_code from lk_item where id = 2"), "Б-12");

  bool Handle = true;
  Code->OnUpdateData = [&](TObject*, String&, Variant&, bool&, bool& Handled) { Handled = Handle; };
  Items->Edit();
  Code->SetValueAsText(S("другое"));
  EXPECT_EQ(Field("s_code")->AsString(), S("Б-12"));
  Items->Cancel();
  EXPECT_FALSE(Grid->DataLink()->InUpdateData());
}

TEST_F(AxisBarValuesTest, FailedWritesReachTheCaller)
{
  Items->Open();
  TAxisBarEh* Qty = AddBar("n_qty");
  Field("n_qty")->OnValidate = [](TField* F) {
    if (F->AsInteger() > 6)
      DatabaseError(QStringLiteral("too many"));
  };
  GoTo(1);
  Qty->SetIncrement(2);
  try {
    Qty->SetNextValue(2);
    FAIL() << "the failed step must not look like success";
  } catch (const EDatabaseError& E) {
    EXPECT_EQ(E.Message(), S("too many"));
  }
  EXPECT_EQ(Field("n_qty")->AsInteger(), 5);
  EXPECT_FALSE(Grid->DataLink()->InUpdateData());
  Items->Cancel();

  // The server's own refusal arrives at the post.
  Field("n_qty")->OnValidate = nullptr;
  Items->Edit();
  Qty->SetValueAsVariant(Variant(500));
  EXPECT_ANY_THROW(Items->Post());
  Items->Cancel();
  EXPECT_EQ(Stored("select n_qty from lk_item where id = 1"), "5");
}

} // namespace

namespace {

TEST_F(AxisBarValuesTest, TypedCharactersAcceptedByFieldKind)
{
  Items->Open();
  TAxisBarEh* Qty = AddBar("n_qty");
  TAxisBarEh* Code = AddBar("s_code");
  TAxisBarEh* Keyed = AddBar("n_level");
  Keyed->KeyList()->SetText(S("0\n1"));
  TAxisBarEh* Unbound = AddBar("no_such_field");
  EXPECT_EQ(Qty->GetAcceptableEditText(S("-12a,5 ")), S("-125")) << "integers take digits and signs";
  EXPECT_EQ(Code->GetAcceptableEditText(S("Б-12 x")), S("Б-12 x"));
  EXPECT_EQ(Keyed->GetAcceptableEditText(S("да")), S("да")) << "a key list takes any text";
  EXPECT_FALSE(Unbound->CanEditAcceptKey(QLatin1Char('1')));
  Unbound->OnUpdateData = [](TObject*, String&, Variant&, bool&, bool&) {};
  EXPECT_TRUE(Unbound->CanEditAcceptKey(QLatin1Char('1'))) << "a handler may take text without a field";
}

} // namespace
