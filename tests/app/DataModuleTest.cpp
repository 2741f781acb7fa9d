// DataModuleTest.cpp: the data module: its stored datasets against the
// schema, the decimal routine, statements with bound values and the literal
// search filter.
#include "tests/app/AppTestSupport.h"

#include "app/Unit6.h"

namespace {

using namespace apptest;

TEST(DataModule6, FormatSqlDecimalWritesTheDatabaseSeparator)
{
  struct Case { const char* Separator; const char* Typed; const char* Sql; };
  const Case Cases[] = {
    {".", "12,5", "12.5"}, {".", "12.5", "12.5"}, {".", "1,2,3", "1.2,3"}, {".", "", "0"},
    {".", " ", " "},       {".", "abc", "abc"},   {",", "12.5", "12,5"},   {",", "7", "7"},
    {"::", "1,5", "1::5"},  // a separator of several characters goes in whole
    {"", "12,5", "12.5"},   // before the first version check the value must not change
    {"", "3.25", "3.25"},
  };
  TDataModule6 Module(nullptr);
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::string(C.Separator) + " / " + C.Typed);
    Module.DbDecimalSeparator = QString::fromUtf8(C.Separator);
    EXPECT_EQ(Std(Module.FormatSqlDecimal(QString::fromUtf8(C.Typed))), C.Sql);
  }
}

// What the number boxes take: digits with one separator of either kind;
// a pasted text that is anything else is no number.
TEST(DataModule6, TypedDecimalTakesOnlyNumbers)
{
  struct Case { const char* Typed; bool Number; const char* Value; };
  const Case Cases[] = {
    {"", true, "0"},           {"12,5", true, "12,5"},   {"12.5", true, "12,5"}, {"7", true, "7"},
    {",5", true, "0,5"},       {"8,", true, "8"},        {"0,0001", true, "0,0001"},
    {"1,2,3", false, ""},      {"1.2,3", false, ""},     {" 1", false, ""},      {"1 ", false, ""},
    {"-1", false, ""},         {"1e3", false, ""},       {",", false, ""},       {"abc", false, ""},
    {"١٢", false, ""},  // digits of another script are not typed into these boxes either
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Typed);
    Currency Value;
    EXPECT_EQ(TypedDecimal(QString::fromUtf8(C.Typed), Value), C.Number);
    if (C.Number) {
      EXPECT_EQ(Std(CurrToStr(Value)), C.Value);
    }
  }
}

class DataModuleDb : public AppTest {};

// Every dataset of the module opens on the schema with exactly the fields
// its description lists (a field whose column is missing refuses to open).
TEST_F(DataModuleDb, EveryStoredDatasetOpensWithItsFields)
{
  StartClient();
  const std::vector<std::pair<const char*, Variant>> Values = {
    {"s_name", QStringLiteral("sys")}, {"id_proc_tech", 1}, {"ii_id1", 1}, {"ii_id2", 1},
    {"data", Variant(EncodeDate(2024, 3, 5))}, {"OK", QStringLiteral("ta")}, {"mnth", 3}, {"yea", 2024},
    {"data1", Variant(EncodeDate(2024, 3, 1))}, {"data2", Variant(EncodeDate(2024, 4, 1))},
  };
  int Opened = 0;
  for (Integer I = 0; I < DataModule6->ComponentCount(); ++I) {
    auto* DataSet = dynamic_cast<TCustomADODataSet*>(DataModule6->Components(I));
    if (!DataSet || DataSet == DataModule6->Control)
      continue;
    SCOPED_TRACE(Std(DataSet->Name()));
    for (const auto& [Name, Value] : Values)
      if (TParameter* P = DataSet->Parameters()->FindParam(QString::fromLatin1(Name)))
        P->SetValue(Value);
    const Integer Stored = DataSet->FieldCount();
    EXPECT_GT(Stored, 0);
    try {
      DataSet->Open();
      EXPECT_EQ(DataSet->FieldCount(), Stored);
      DataSet->Close();
      ++Opened;
    } catch (const Exception& E) {
      ADD_FAILURE() << E.Message().toStdString();
    }
  }
  EXPECT_GE(Opened, 26);
}

TEST_F(DataModuleDb, CommandsStoreTypedTextAsTyped)
{
  StartClient();
  const String Typed = QStringLiteral("O'Neil'); delete from cmn_department.department; -- :id \\ %_");
  ExecuteCommand(QStringLiteral("insert into cmn_department.department(s_caption, s_description, id_parent, type, s_type) "
                                "VALUES(:s_caption, :s_description, :id_parent, :type, :s_type)"),
                 {{"s_caption", Typed}, {"s_description", Typed}, {"id_parent", 0}, {"type", -1}, {"s_type", String()}});
  testsupport::OdbcSession Db;
  const auto Rows = Db.Rows("select s_caption, s_description from cmn_department.department where id <> 0");
  ASSERT_EQ(Rows.size(), 1u);
  EXPECT_EQ(*Rows[0][0], Std(Typed));
  EXPECT_EQ(*Rows[0][1], Std(Typed));
  // A parameter of the previous text never leaks into the next one.
  ExecuteCommand(QStringLiteral("update cmn_department.department set s_description=:s_description where id<>0"),
                 {{"s_description", QStringLiteral("новое")}});
  EXPECT_EQ(Db.Scalar("select s_caption from cmn_department.department where id <> 0"), Std(Typed));
}

TEST_F(DataModuleDb, PrefixFilterTakesTheTextLiterally)
{
  testsupport::OdbcSession Db;
  Db.Exec("insert into cmn_department.department(s_caption, id_parent, type, s_type) values "
          "('Цех №1', 0, -1, ''), ('цех сборки', 0, -1, ''), ('Склад', 0, 2, 'Склад сырья'), "
          "('O''Brien', 0, -1, ''), ('Oxford', 0, -1, ''), ('100% контроль', 0, -1, ''), ('1000', 0, -1, ''), "
          "('1_0', 0, -1, ''), ('120', 0, -1, '')");
  StartClient();
  TADOQuery* Departments = DataModule6->department;
  Departments->Open();
  struct Case { const char* Typed; int Rows; };
  const Case Cases[] = {
    {"ЦЕХ", 2}, {"цех с", 1}, {"O'", 1}, {"100%", 1}, {"1_", 1}, {"%", 0}, {"_", 0}, {"", 9}, {"Я", 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Typed);
    SetPrefixFilter(Departments, QStringLiteral("s_caption"), QString::fromUtf8(C.Typed));
    EXPECT_EQ(Departments->RecordCount(), C.Rows);
  }
  // The filter stays on the dataset when it is opened again.
  SetPrefixFilter(Departments, QStringLiteral("s_caption"), QStringLiteral("цех"));
  Departments->Close();
  Departments->Open();
  EXPECT_EQ(Departments->RecordCount(), 2);
  SetPrefixFilter(Departments, QStringLiteral("s_caption"), String());
  EXPECT_EQ(Departments->RecordCount(), 9);
}

}  // namespace
