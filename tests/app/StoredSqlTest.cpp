// StoredSqlTest.cpp: every statement stored in the client's form
// descriptions, as the loaded datasets hold it, runs against the schema and
// returns exactly the fields its dataset binds.
#include "tests/app/AppTestSupport.h"

#include "platform/data/ADODB.h"
#include "platform/gui/Forms.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace apptest;

// Parameters (":name") are replaced by literals of the type the client
// binds. Names are matched without regard to case, as the datasets do.
const std::map<std::string, std::string> ParameterValues = {
  {"id_proc_tech", "CAST(1 AS numeric(28,6))"},
  {"s_name", "'sys'"},
  {"ii_id1", "CAST(1 AS numeric(28,6))"},
  {"ii_id2", "CAST(1 AS numeric(28,6))"},
  {"data", "CAST('2024-03-05' AS timestamp)"},
  {"ok", "'ta'"},
  {"mnth", "3"},
  {"yea", "2024"},
  {"data1", "CAST('2024-03-01' AS timestamp)"},
  {"data2", "CAST('2024-04-01' AS timestamp)"},
  {"id_pt", "1"},
};

static std::string Lower(std::string S)
{
  std::transform(S.begin(), S.end(), S.begin(), [](unsigned char C) { return std::tolower(C); });
  return S;
}

static bool IsNameChar(char C)
{
  return std::isalnum(static_cast<unsigned char>(C)) || C == '_';
}

// Replaces every ":name" outside quotes and "::" casts by its value.
static std::string BindParameters(const std::string& Sql)
{
  std::string Out;
  char Quote = 0;
  for (size_t I = 0; I < Sql.size(); ++I) {
    const char C = Sql[I];
    if (Quote) {
      Quote = C == Quote ? 0 : Quote;
      Out += C;
      continue;
    }
    if (C == '\'' || C == '"') {
      Quote = C;
      Out += C;
      continue;
    }
    const bool Cast = (I > 0 && Sql[I - 1] == ':') || (I + 1 < Sql.size() && Sql[I + 1] == ':');
    if (C != ':' || Cast || I + 1 >= Sql.size() || !IsNameChar(Sql[I + 1])) {
      Out += C;
      continue;
    }
    size_t End = I + 1;
    while (End < Sql.size() && IsNameChar(Sql[End]))
      ++End;
    const std::string Name = Sql.substr(I + 1, End - I - 1);
    auto Value = ParameterValues.find(Lower(Name));
    if (Value == ParameterValues.end())
      throw std::runtime_error("no test value for parameter :" + Name + " (add it to ParameterValues)");
    Out += Value->second;
    I = End - 1;
  }
  return Out;
}

// Field names as a dataset makes them: a repeated column name gets "_1",
// "_2", ... appended.
static std::vector<std::string> FieldNames(const std::vector<std::string>& Columns)
{
  std::vector<std::string> Names;
  std::map<std::string, int> Seen;
  for (const std::string& Column : Columns) {
    const int Count = Seen[Lower(Column)]++;
    Names.push_back(Count == 0 ? Column : Column + "_" + std::to_string(Count));
  }
  return Names;
}

static std::string Joined(std::vector<std::string> Names)
{
  std::sort(Names.begin(), Names.end());
  std::string Text;
  for (const std::string& Name : Names)
    Text += (Text.empty() ? "" : ", ") + Name;
  return Text;
}

// The persistent data fields a dataset binds by name.
static std::vector<std::string> BoundFields(TDataSet* DataSet)
{
  std::vector<std::string> Names;
  for (Integer I = 0; I < DataSet->Fields()->Count(); ++I) {
    TField* Field = DataSet->Fields()->Fields(I);
    if (Field->FieldKind() == fkData)
      Names.push_back(Std(Field->FieldName()));
  }
  return Names;
}

// The statement a dataset runs: a query's text, a table's rows.
static String StatementOf(TCustomADODataSet* DataSet)
{
  if (auto* Query = dynamic_cast<TADOQuery*>(DataSet))
    return Query->SQL()->Text();
  if (auto* Table = dynamic_cast<TADOTable*>(DataSet))
    return QStringLiteral("select * from ") + Table->TableName();
  ADD_FAILURE() << "a dataset of another kind";
  return String();
}

TEST(StoredSqlBinding, ParametersAreBoundOutsideQuotesAndCasts)
{
  EXPECT_EQ(BindParameters("x = :OK and y = ':ok' and z = now()::t_date and w=:yea"),
            "x = 'ta' and y = ':ok' and z = now()::t_date and w=2024");
  EXPECT_THROW(BindParameters("x = :unknown_name"), std::runtime_error);
}

class StoredSql : public AppTest {};

// Fields bind by name, so the order of the columns does not matter; their
// names and their number do. The statements come from the loaded forms and
// the data module, so a change to a form description is checked here.
TEST_F(StoredSql, EveryStoredStatementReturnsItsFields)
{
  StartClient();
  testsupport::OdbcSession Db;
  int Checked = 0;
  for (Integer R = 0; R < Application->ComponentCount(); ++R) {
    TComponent* Root = Application->Components(R);
    for (Integer I = 0; I < Root->ComponentCount(); ++I) {
      auto* DataSet = dynamic_cast<TCustomADODataSet*>(Root->Components(I));
      if (!DataSet)
        continue;
      SCOPED_TRACE(Std(Root->Name() + u'.' + DataSet->Name()));
      const std::vector<std::string> Fields = BoundFields(DataSet);
      if (Fields.empty())
        continue;   // nothing bound by name; its statement runs in the form's own test
      ++Checked;
      try {
        auto Actual = FieldNames(Db.Columns(BindParameters(Std(StatementOf(DataSet)))));
        // A table may have columns that its dataset does not bind.
        if (dynamic_cast<TADOTable*>(DataSet))
          std::erase_if(Actual, [&](const std::string& Column) {
            return std::find(Fields.begin(), Fields.end(), Column) == Fields.end();
          });
        EXPECT_EQ(Joined(Actual), Joined(Fields));
      } catch (const std::exception& Error) {
        ADD_FAILURE() << Error.what();
      }
    }
  }
  EXPECT_GT(Checked, 0) << "no dataset with persistent fields was found";
}

}  // namespace
