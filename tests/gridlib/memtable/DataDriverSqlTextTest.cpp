// DataDriverSqlTextTest.cpp: the statements an SQL data driver generates for
// changed records, macro substitution into its commands, and what it refuses
// to put into a statement or to count as written.
#include "MemTableTestSupport.h"

#include "gridlib/foundation/DynVarsEh.h"
#include "gridlib/memtable/DataDriverEh.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

namespace {

// A storage of (ID, NAME, PRICE, ID2) with cached updates and one record of
// each update status.
struct TChangedRecords {
  std::unique_ptr<TMemTableDataEh> Data = mttest::NewStorage();
  TMemoryRecordEh* Unchanged = nullptr;
  TMemoryRecordEh* Modified = nullptr;
  TMemoryRecordEh* PriceOnly = nullptr;
  TMemoryRecordEh* Inserted = nullptr;
  TMemoryRecordEh* Deleted = nullptr;

  TChangedRecords()
  {
    TMTDataStructEh* S = Data->DataStruct();
    mttest::AddField(S, "ID", ftInteger);
    mttest::AddField(S, "NAME", ftString, 40);
    mttest::AddField(S, "PRICE", ftFloat);
    mttest::AddField(S, "ID2", ftInteger);
    TRecordsListEh* L = Data->RecordsList();
    for (int I = 1; I <= 4; ++I) {
      TMemoryRecordEh* R = L->NewRecord();
      R->SetDataValue(0, dvvValueEh, I);
      R->SetDataValue(1, dvvValueEh, QStringLiteral("n%1").arg(I));
      R->SetDataValue(2, dvvValueEh, 1.5 * I);
      R->SetDataValue(3, dvvValueEh, 10 + I);
      L->FetchRecord(R);
    }
    L->SetCachedUpdates(true);
    Unchanged = L->Rec(0);
    Modified = Edit(L->Rec(1), {{1, QStringLiteral("new")}, {2, 9.25}});
    PriceOnly = Edit(L->Rec(2), {{2, 7.5}});
    Deleted = L->Rec(3);
    L->DeleteRecord(3);
    Inserted = L->NewRecord();
    Inserted->SetDataValue(0, dvvValueEh, 5);
    Inserted->SetDataValue(1, dvvValueEh, QStringLiteral("five"));
    Inserted->SetDataValue(2, dvvValueEh, 2.0);
    Inserted->SetDataValue(3, dvvValueEh, 15);
    L->AddRecord(Inserted);
  }
  static TMemoryRecordEh* Edit(TMemoryRecordEh* R, std::initializer_list<std::pair<int, Variant>> Values)
  {
    R->Edit();
    for (const auto& [F, V] : Values)
      R->SetDataValue(F, dvvValueEh, V);
    R->Post();
    return R;
  }
};

// Puts a resolver in place of the unit's for the scope.
struct TResolverScope {
  TSQLDataDriverResolver* Previous;
  explicit TResolverScope(TSQLDataDriverResolver* R) : Previous(SetSQLDataDriverResolver(R)) {}
  ~TResolverScope() { SetSQLDataDriverResolver(Previous); }
};

QStringList Generate(TCustomSQLDataDriverEh& Driver, TMemoryRecordEh* Rec)
{
  Driver.GenerateDynamicSQLCommand(Rec, Driver.ServiceCommand());
  return Driver.ServiceCommand()->CommandText()->ToStringList();
}

TEST(SQLDataDriverDynaSQL, GeneratedStatementsByStatusAndSettings)
{
  TChangedRecords Recs;
  ASSERT_EQ(Recs.Modified->UpdateStatus(), usModified);
  ASSERT_EQ(Recs.Inserted->UpdateStatus(), usInserted);
  ASSERT_EQ(Recs.Deleted->UpdateStatus(), usDeleted);

  struct TCase {
    const char* Name;
    QString Table, Keys, Fields;
    bool SkipUnchanged;
    QString AutoInc;
    TMemoryRecordEh* TChangedRecords::*Rec;
    QStringList Expected;
  };
  const TCase Cases[] = {
    {"insert", "T", "ID", "NAME,PRICE", false, "", &TChangedRecords::Inserted,
     {"insert into T", "  (ID, NAME, PRICE)", "values", "  (:ID, :NAME, :PRICE)"}},
    {"update of both fields", "T", "ID", "NAME,PRICE", false, "", &TChangedRecords::Modified,
     {"update T", "set", " NAME = :NAME,", " PRICE = :PRICE", "where", " ID = :OLD_ID"}},
    {"update of the changed field only", "T", "ID", "NAME,PRICE", true, "", &TChangedRecords::PriceOnly,
     {"update T", "set", " PRICE = :PRICE", "where", " ID = :OLD_ID"}},
    {"delete", "T", "ID", "NAME,PRICE", false, "", &TChangedRecords::Deleted,
     {"delete from T", "where", " ID = :OLD_ID"}},
    {"two key fields", "T", "ID,ID2", "NAME", false, "", &TChangedRecords::Deleted,
     {"delete from T", "where", " ID = :OLD_ID and", " ID2 = :OLD_ID2"}},
    {"blank-separated names", "T", "ID ID2", "NAME PRICE", false, "", &TChangedRecords::Inserted,
     {"insert into T", "  (ID, ID2, NAME, PRICE)", "values", "  (:ID, :ID2, :NAME, :PRICE)"}},
    {"a key that is also written is listed once", "T", "ID", "ID,NAME", false, "", &TChangedRecords::Inserted,
     {"insert into T", "  (ID, NAME)", "values", "  (:ID, :NAME)"}},
    {"the auto-increment key is left to the server", "T", "ID", "NAME", false, "ID", &TChangedRecords::Inserted,
     {"insert into T", "  (NAME)", "values", "  (:NAME)"}},
    {"nothing changed: no statement", "T", "ID", "NAME", true, "", &TChangedRecords::PriceOnly, {}},
    {"unchanged record", "T", "ID", "NAME", false, "", &TChangedRecords::Unchanged, {}},
    // Names are no place for statement text: anything but a plain name is
    // one quoted identifier.
    {"a table name with a statement in it", "items; drop table items", "ID", "NAME", false, "",
     &TChangedRecords::Deleted, {"delete from \"items; drop table items\"", "where", " ID = :OLD_ID"}},
    {"a schema-qualified table", "stk_stocks.stock", "ID", "NAME", false, "", &TChangedRecords::Deleted,
     {"delete from stk_stocks.stock", "where", " ID = :OLD_ID"}},
    {"a Cyrillic table", "Склад", "ID", "NAME", false, "", &TChangedRecords::Deleted,
     {"delete from Склад", "where", " ID = :OLD_ID"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TCustomSQLDataDriverEh Driver(nullptr);
    TDynaSQLParamsEh* P = Driver.DynaSQLParams();
    P->SetUpdateTable(C.Table);
    P->SetKeyFields(C.Keys);
    P->SetUpdateFields(C.Fields);
    P->SetSkipUnchangedFields(C.SkipUnchanged);
    if (!C.AutoInc.isEmpty())
      Driver.SpecParams()->SetValues(QStringLiteral("AUTO_INCREMENT_FIELD"), C.AutoInc);
    EXPECT_EQ(Generate(Driver, Recs.*C.Rec), C.Expected);
    EXPECT_EQ(Driver.ServiceCommand()->GetCommandType(), cthUpdateQuery);
  }
}

TEST(SQLDataDriverDynaSQL, LongColumnListsWrapAfterSeventyCharacters)
{
  auto Data = mttest::NewStorage();
  QStringList Names;
  for (int I = 0; I < 6; ++I) {
    Names << QStringLiteral("column_with_a_rather_long_name_%1").arg(I);
    mttest::AddField(Data->DataStruct(), Names.last().toUtf8().constData(), ftInteger);
  }
  Data->RecordsList()->SetCachedUpdates(true);
  TMemoryRecordEh* Rec = Data->RecordsList()->NewRecord();
  Data->RecordsList()->AddRecord(Rec);
  TCustomSQLDataDriverEh Driver(nullptr);
  Driver.DynaSQLParams()->SetUpdateTable(QStringLiteral("t"));
  Driver.DynaSQLParams()->SetKeyFields(Names[0]);
  Driver.DynaSQLParams()->SetUpdateFields(Names.mid(1).join(QLatin1Char(',')));
  const QStringList Text = Generate(Driver, Rec);
  // A line breaks after a name that takes it past 70 characters, unless
  // that name ends its group (the key fields, then the written fields).
  const QString C = QStringLiteral("column_with_a_rather_long_name_");
  const QStringList Expected = {
    "insert into t",
    "  (" + C + "0, " + C + "1, " + C + "2",
    "   , " + C + "3, " + C + "4",
    "   , " + C + "5)",
    "values",
    "  (:" + C + "0, :" + C + "1",
    "   , :" + C + "2, :" + C + "3",
    "   , :" + C + "4, :" + C + "5)",
  };
  EXPECT_EQ(Text, Expected);
}

TEST(SQLDataDriverDynaSQL, RefusesStatementsThatWouldReachEveryRowOrSpliceNames)
{
  TChangedRecords Recs;
  TCustomSQLDataDriverEh Driver(nullptr);
  TDynaSQLParamsEh* P = Driver.DynaSQLParams();
  P->SetUpdateTable(QStringLiteral("T"));
  P->SetUpdateFields(QStringLiteral("NAME,PRICE"));
  // Without key fields an update or delete would have no where clause.
  EXPECT_THROW(Generate(Driver, Recs.Modified), EDatabaseError);
  EXPECT_THROW(Generate(Driver, Recs.Deleted), EDatabaseError);
  EXPECT_EQ(Generate(Driver, Recs.Inserted).size(), 4);

  // A name that cannot be a parameter mark is refused, not written.
  P->SetKeyFields(QStringLiteral("ID"));
  P->SetUpdateFields(QStringLiteral("\"NAME = 1 --\""));
  EXPECT_THROW(Generate(Driver, Recs.Inserted), Exception);
  // A name the record does not have, with skip-unchanged.
  P->SetUpdateFields(QStringLiteral("NAME,NOPE"));
  P->SetSkipUnchangedFields(true);
  try {
    Generate(Driver, Recs.Modified);
    FAIL() << "no error for an unknown field";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Invalid field name \"NOPE\" in field list \"NAME,NOPE\""));
  }
}

TEST(SQLDataDriverDynaSQL, PostgreSQLKindQuotesEveryName)
{
  TChangedRecords Recs;
  TCustomSQLDataDriverEh Driver(nullptr);
  TPostgreSQLSpecOperationsEh Pg;
  Driver.SetServerSpecOperations(&Pg);
  TDynaSQLParamsEh* P = Driver.DynaSQLParams();
  P->SetUpdateTable(QStringLiteral("stk_stocks.stock"));
  P->SetKeyFields(QStringLiteral("ID"));
  P->SetUpdateFields(QStringLiteral("NAME,PRICE"));
  EXPECT_EQ(Generate(Driver, Recs.Modified),
            QStringList({"update \"stk_stocks\".\"stock\"", "set", " \"NAME\" = :NAME,", " \"PRICE\" = :PRICE",
                         "where", " \"ID\" = :OLD_ID"}));
}

// ---------------------------------------------------------------------------
// Macros.

TEST(SQLDataDriverMacros, SubstitutionTable)
{
  struct TCase {
    const char* Name;
    QString Text, MacroName, Value, Expected;
  };
  const TCase Cases[] = {
    {"twice", "a %F% b %F%", "%F%", "x", "a x b x"},
    {"a value holding the name is not searched again", "%F%-%F%", "%F%", "<%F%>", "<%F%>-<%F%>"},
    {"empty value removes the name", "select 1 %F%", "%F%", "", "select 1 "},
    {"case-sensitive name", "%f% %F%", "%F%", "x", "%f% x"},
    {"no occurrence", "select 1", "%F%", "x", "select 1"},
    {"across lines", "select\n%F%\nfrom t", "%F%", "1", "select\n1\nfrom t"},
    {"name at the very end", "ab%F%", "%F%", "c", "abc"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(TMacroVarsEh::SubstituteMacro(C.Text, C.MacroName, C.Value), C.Expected);
  }
}

String Final(TCustomSQLDataDriverEh& Driver) { return Driver.FinalSelectSQL()->Text().trimmed(); }

TEST(SQLDataDriverMacros, FilterSortAndUserMacrosInTheFinalText)
{
  TCustomSQLDataDriverEh Driver(nullptr);
  Driver.SetSelectSQL(QStringLiteral("select * from t %Filter% %SortOrder%"));
  TMacroVarsEh* Macros = Driver.MacroVars();

  // The default usages leave both special macros in place.
  Driver.ApplyFilterText(QStringLiteral("a = 1"));
  EXPECT_EQ(Final(Driver), QStringLiteral("select * from t %Filter% %SortOrder%"));
  EXPECT_FALSE(Driver.FilterTextSupported());

  Macros->SetSpecMacrosUsages({smuUseFilterMacroEh, smuFilterAsWhereClauseEh, smuUseSortOrderMacroEh,
                               smuSortOrderAsOrderByClauseEh});
  EXPECT_TRUE(Driver.FilterTextSupported());
  EXPECT_TRUE(Driver.OrderByTextSupported());
  Driver.ApplyFilterText(QStringLiteral("a = 1"));
  Driver.ApplyOrderByText(QStringLiteral("name desc, 2"));
  EXPECT_EQ(Final(Driver), QStringLiteral("select * from t WHERE a = 1 ORDER BY name desc, 2"));
  Driver.ApplyFilterText(String());
  Driver.ApplyOrderByText(String());
  EXPECT_EQ(Final(Driver), QStringLiteral("select * from t"));

  Macros->SetSpecMacrosUsages({smuUseFilterMacroEh, smuFilterWithANDPrecedingEh, smuUseSortOrderMacroEh,
                               smuSortOrderWithCommaPrecedingEh});
  Driver.SetSelectSQL(QStringLiteral("select * from t where b = 2 %Filter% order by id %SortOrder%"));
  Driver.ApplyFilterText(QStringLiteral("a = 1 or a = 3"));
  Driver.ApplyOrderByText(QStringLiteral("\"Кол-во\" asc nulls last"));
  EXPECT_EQ(Final(Driver),
            QStringLiteral("select * from t where b = 2 AND (a = 1 or a = 3) order by id , \"Кол-во\" asc nulls last"));

  // A user macro's change makes every command form its text again.
  Driver.SetUpdateSQL(QStringLiteral("update %T% set a = 1"));
  Macros->Macros()->CreateDynVar(QStringLiteral("%T%"), QStringLiteral("items"));
  EXPECT_EQ(Driver.FinalUpdateSQL()->Text().trimmed(), QStringLiteral("update items set a = 1"));
  Macros->Macros()->SetStr(QStringLiteral("%T%"), QStringLiteral("goods"));
  EXPECT_EQ(Driver.FinalUpdateSQL()->Text().trimmed(), QStringLiteral("update goods set a = 1"));
}

TEST(SQLDataDriverMacros, TextThatCouldEndTheStatementIsRefused)
{
  TCustomSQLDataDriverEh Driver(nullptr);
  Driver.SetSelectSQL(QStringLiteral("select * from t where b = 2 %Filter% %SortOrder%"));
  Driver.MacroVars()->SetSpecMacrosUsages({smuUseFilterMacroEh, smuFilterWithANDPrecedingEh, smuUseSortOrderMacroEh,
                                           smuSortOrderAsOrderByClauseEh});
  Driver.ApplyFilterText(QStringLiteral("name = 'O''Brien; -- not a comment'"));
  const String Accepted = Final(Driver);
  EXPECT_EQ(Accepted, QStringLiteral("select * from t where b = 2 AND (name = 'O''Brien; -- not a comment')"));

  const char* Filters[] = {
    "1 = 1; delete from t", "a = 'x", "a = 1 -- rest", "a = 1 /* c */", "1 = 1) or (1 = 1", "a = $$x$$",
    "(a = 1", "\"a = 1", "a = E'\\''",
  };
  for (const char* F : Filters) {
    SCOPED_TRACE(F);
    EXPECT_THROW(Driver.ApplyFilterText(QString::fromUtf8(F)), EDatabaseError);
    EXPECT_EQ(Final(Driver), Accepted);   // the previous filter stays
  }
  const char* Orders[] = {"name; drop table t", "(select 1)", "name desc desc", "name,", "a -- b", "a'b", "1 + 1"};
  for (const char* O : Orders) {
    SCOPED_TRACE(O);
    EXPECT_THROW(Driver.ApplyOrderByText(QString::fromUtf8(O)), EDatabaseError);
  }
  // A user macro holding a second statement never reaches the text.
  Driver.MacroVars()->Macros()->CreateDynVar(QStringLiteral("%Filter%x"), QStringLiteral("1; drop table t"));
  EXPECT_THROW(Driver.FinalSelectSQL(), EDatabaseError);
}

// ---------------------------------------------------------------------------
// Execution and applying.

TEST(SQLDataDriverApply, NothingToExecuteIsAnErrorAndNothingCountsAsApplied)
{
  TChangedRecords Recs;
  TCustomSQLDataDriverEh Driver(nullptr);
  Driver.SetSelectSQL(QStringLiteral("select * from t"));
  Driver.SetUpdateSQL(QStringLiteral("update t set name = :NAME where id = :OLD_ID"));
  EXPECT_THROW(Driver.GetDataReader(), EDatabaseError);

  TRecordsListEh* L = Recs.Data->RecordsList();
  const size_t Logged = L->DeltaList().size();
  std::vector<TMemoryRecordEh*> Failed;
  Driver.OnUpdateError = [&](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh* Rec, TUpdateErrorActionEh& Action) {
    Failed.push_back(Rec);
    Action = ueaCountinueSkip;
  };
  EXPECT_EQ(Driver.ApplyUpdates(Recs.Data.get()), 0);
  EXPECT_EQ(Failed.size(), Logged);
  EXPECT_EQ(L->DeltaList().size(), Logged);
  EXPECT_EQ(Recs.Modified->UpdateStatus(), usModified);
  ASSERT_NE(Recs.Modified->UpdateError(), nullptr);

  // The default answer to an error stops the pass and passes the error on.
  Driver.OnUpdateError = nullptr;
  EXPECT_THROW(Driver.ApplyUpdates(Recs.Data.get()), EDatabaseError);
  EXPECT_EQ(L->DeltaList().size(), Logged);
}

TEST(SQLDataDriverApply, ResolverActionsRetryContinueAbortAndZeroRows)
{
  TChangedRecords Recs;
  TCustomSQLDataDriverEh Driver(nullptr);
  Driver.DynaSQLParams()->SetUpdateTable(QStringLiteral("T"));
  Driver.DynaSQLParams()->SetKeyFields(QStringLiteral("ID"));
  Driver.DynaSQLParams()->SetUpdateFields(QStringLiteral("NAME,PRICE"));
  Driver.DynaSQLParams()->SetOptions({dsoDynamicSQLInsertEh, dsoDynamicSQLUpdateEh, dsoDynamicSQLDeleteEh});
  // A stand-in server through the resolver: updates find no row the first
  // time, everything else writes one row.
  TSQLDataDriverResolver Resolver;
  QStringList Executed;
  int UpdateTries = 0;
  Resolver.OnExecuteCommand = [&](TCustomSQLDataDriverEh*, TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool&,
                                  bool& Processed) -> Integer {
    Cursor = nullptr;
    Processed = true;
    const String First = Command->FinalCommandText()->Strings(0);
    Executed << First;
    if (First.startsWith(QLatin1String("update")))
      return UpdateTries++ < 1 ? 0 : 1;
    return 1;
  };
  TResolverScope Installed(&Resolver);

  std::vector<QString> Errors;
  Driver.OnUpdateError = [&](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh* Rec, TUpdateErrorActionEh& Action) {
    Errors.push_back(Rec->UpdateError() ? QStringLiteral("again") : QStringLiteral("first"));
    Action = ueaRetryEh;
  };
  // The modified records: the first try of the first update writes no row
  // (a conflict), the retry succeeds.
  const Integer Applied = Driver.ApplyUpdates(Recs.Data.get());
  EXPECT_EQ(Applied, 4);
  EXPECT_EQ(Errors, std::vector<QString>{QStringLiteral("first")});
  EXPECT_FALSE(Recs.Data->RecordsList()->HasCachedChanges());
  EXPECT_EQ(Recs.Modified->UpdateError(), nullptr);
  EXPECT_EQ(Executed.size(), 5);

  // Abort: the failed record and those after it stay in the log.
  TChangedRecords Again;
  UpdateTries = 0;
  Driver.OnUpdateError = [&](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*, TUpdateErrorActionEh& Action) {
    Action = ueaBreakAbortEh;
  };
  EXPECT_EQ(Driver.ApplyUpdates(Again.Data.get()), 0);
  EXPECT_EQ(Again.Data->RecordsList()->DeltaList().size(), 4);
  ASSERT_NE(Again.Modified->UpdateError(), nullptr);
  EXPECT_TRUE(Again.Modified->UpdateError()->GetException()->Message().contains(QLatin1String("changed no row")));

  // Continue: the failed record is merged although it failed, and not
  // counted.
  TChangedRecords Third;
  UpdateTries = 0;
  Driver.OnUpdateError = [&](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*, TUpdateErrorActionEh& Action) {
    Action = ueaCountinueEh;
  };
  EXPECT_EQ(Driver.ApplyUpdates(Third.Data.get()), 3);
  EXPECT_FALSE(Third.Data->RecordsList()->HasCachedChanges());
}

TEST(SQLDataDriverServerKinds, RegistryAndKeyQueries)
{
  const QStringList Kinds = RegisteredServerTypeNamesEh();
  EXPECT_EQ(Kinds.mid(0, 8), QStringList({"AnsiServer", "Oracle", "MSSQL", "Interbase", "Infromix", "DB2", "Sybase",
                                          "MSAccess"}));
  try {
    RegisterServerSpecOperationsEh<TOracleSpecOperationsEh>();
    FAIL() << "a second Oracle kind was registered";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Server type w ith name: \"Oracle\" is already registered"));
  }
  ASSERT_NE(CreateServerSpecOperationsEh(QStringLiteral("mssql")), nullptr);
  EXPECT_EQ(CreateServerSpecOperationsEh(QStringLiteral("nope")), nullptr);

  // A key query that brings no row back is an error, not a crash.
  TChangedRecords Recs;
  TCustomSQLDataDriverEh Driver(nullptr);
  TMSSQLSpecOperationsEh MSSQL;
  Driver.SetServerSpecOperations(&MSSQL);
  Driver.SpecParams()->SetValues(QStringLiteral("AUTO_INCREMENT_FIELD"), QStringLiteral("ID"));
  Driver.SetInsertSQL(QStringLiteral("insert into t (name) values (:NAME)"));
  TSQLDataDriverResolver Resolver;
  QStringList Executed;
  Resolver.OnExecuteCommand = [&](TCustomSQLDataDriverEh*, TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool&,
                                  bool& Processed) -> Integer {
    Executed << Command->FinalCommandText()->Text().trimmed();
    Cursor = nullptr;
    Processed = true;
    return 1;
  };
  TResolverScope Installed(&Resolver);
  EXPECT_THROW(Driver.DoUpdateRecord(Recs.Data.get(), Recs.Inserted), EDatabaseError);
  EXPECT_EQ(Executed, QStringList({"insert into t (name) values (:NAME)", "SELECT @@IDENTITY"}));
}

}  // namespace
