// DataDriverEhServer.cpp: generated statements, the server kinds with their
// key queries, the registry of kinds and the unit-wide resolver.
#include "gridlib/memtable/DataDriverEh.h"

#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/data/ADODB.h"
#include "platform/rtl/SysUtils.h"

#include <mutex>

QStringList CommaTextNamesEh(const String& CommaText)
{
  TStringList List;
  List.SetCommaText(CommaText);
  return List.ToStringList();
}

// ---------------------------------------------------------------------------
// Dynamic SQL parameters.

void TDynaSQLParamsEh::Assign(TPersistent* Source)
{
  if (auto* S = dynamic_cast<TDynaSQLParamsEh*>(Source)) {
    FUpdateTable = S->FUpdateTable;
    FUpdateFields = S->FUpdateFields;
    FKeyFields = S->FKeyFields;
    FSkipUnchangedFields = S->FSkipUnchangedFields;
    FOptions = S->FOptions;
    FUpdateFieldListSource = S->FUpdateFieldListSource;
    return;
  }
  TPersistent::Assign(Source);
}

void TDynaSQLParamsEh::GetUpdateFields(TStrings* List, TMemoryRecordEh* MemRec) const
{
  if (FUpdateFieldListSource == tflsListPropertyEh) {
    List->SetCommaText(FUpdateFields);
    return;
  }
  IConnectionProviderEh* Provider = FDataDriver ? FDataDriver->GetConnectionProvider() : nullptr;
  if (!Provider)
    return;
  TStringList Columns;
  if (!Provider->GetTableFields(FUpdateTable, &Columns))
    return;
  for (const String& Key : CommaTextNamesEh(FKeyFields)) {
    const Integer I = Columns.IndexOf(Key);
    if (I >= 0)
      Columns.Delete(I);
  }
  List->Clear();
  TMTDataStructEh* Struct = MemRec->DataStruct();
  for (Integer I = 0; I < Struct->Count(); ++I) {
    const Integer J = Columns.IndexOf(Struct->GetDataField(I)->GetFieldName());
    if (J >= 0)
      List->Add(Columns[J]);
  }
}

// ---------------------------------------------------------------------------
// Server-specific operations.

static bool IsPlainSqlName(const String& Name)
{
  if (Name.isEmpty() || !(Name[0].isLetter() || Name[0] == u'_'))
    return false;
  for (QChar C : Name)
    if (!(C.isLetterOrNumber() || C == u'_'))
      return false;
  return true;
}

String TServerSpecOperationsEh::SQLName(const String& Name) const
{
  return IsPlainSqlName(Name) ? Name : QuoteIdent(Name);
}

String TServerSpecOperationsEh::SQLTableName(const String& Name) const
{
  // "schema.table" names each part; a part already in quotes stays.
  if (IsPlainSqlName(Name))
    return Name;
  const QStringList Parts = Name.split(QLatin1Char('.'));
  bool Plain = Parts.size() == 2;
  for (const String& P : Parts)
    Plain = Plain && IsPlainSqlName(P);
  return Plain ? Name : QuoteTable(Name);
}

String TPostgreSQLSpecOperationsEh::SQLName(const String& Name) const { return QuoteIdent(Name); }

String TPostgreSQLSpecOperationsEh::SQLTableName(const String& Name) const { return QuoteTable(Name); }

// A parameter mark names its field: only a name the statement parser reads
// as one whole mark can be one.
static String ParamName(const String& Name)
{
  if (!IsPlainSqlName(Name))
    DatabaseError(QStringLiteral("Field name \"%1\" can not name a statement parameter").arg(Name));
  return Name;
}

void TServerSpecOperationsEh::GenerateWhereClause(const String& KeyFields, TStrings* Lines)
{
  const QStringList Keys = CommaTextNamesEh(KeyFields);
  if (Keys.isEmpty())
    return;
  Lines->Add(QStringLiteral("where"));
  for (qsizetype I = 0; I < Keys.size(); ++I) {
    String Line = QStringLiteral(" %1 = :OLD_%2").arg(SQLName(Keys[I]), ParamName(Keys[I]));
    if (I + 1 < Keys.size())
      Line += QStringLiteral(" and");
    Lines->Add(Line);
  }
}

void TServerSpecOperationsEh::GetChangedFields(TMemoryRecordEh* MemRec, TStrings* Fields, TStrings* Changed)
{
  Changed->Clear();
  TMTDataStructEh* Struct = MemRec->DataStruct();
  for (Integer I = 0; I < Fields->Count(); ++I) {
    const Integer F = Struct->FieldIndex(Fields->Strings(I));
    if (F < 0)
      throw Exception(QStringLiteral("Invalid field name \"%1\" in field list \"%2\"")
                        .arg(Fields->Strings(I), Fields->CommaText()));
    if (!VarValuesEqualEh(MemRec->GetDataValue(F, dvvValueEh), MemRec->GetDataValue(F, dvvOldValueEh)))
      Changed->Add(Fields->Strings(I));
  }
}

void TServerSpecOperationsEh::GenerateDynaSQLCommand(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command)
{
  Command->SetCommandType(cthUpdateQuery);
  TCustomSQLDataDriverEh* Driver = Command->DataDriver();
  TDynaSQLParamsEh* P = Driver->DynaSQLParams();
  const TUpdateStatus Status = MemRec->UpdateStatus();
  TStringList Fields;
  P->GetUpdateFields(&Fields, MemRec);
  if (P->SkipUnchangedFields() && Status == usModified) {
    TStringList Changed;
    GetChangedFields(MemRec, &Fields, &Changed);
    Fields.Assign(&Changed);
  }
  const QStringList Keys = CommaTextNamesEh(P->KeyFields());
  // Without a key an update or delete would reach every row of the table.
  if ((Status == usModified || Status == usDeleted) && Keys.isEmpty())
    DatabaseError(QStringLiteral("DynaSQLParams.KeyFields must name the key to update or delete a record"));
  if (P->UpdateTable().trimmed().isEmpty() && Status != usUnmodified)
    DatabaseError(QStringLiteral("DynaSQLParams.UpdateTable must name the table to write to"));
  TStrings* Text = Command->CommandText();
  Text->BeginUpdate();
  Text->Clear();
  switch (Status) {
  case usInserted: {
    Text->Add(QStringLiteral("insert into %1").arg(SQLTableName(P->UpdateTable())));
    QStringList KeyGroup;
    for (const String& K : Keys)
      if (Fields.IndexOf(K) < 0 && Driver->IsDynaSQLField(Status, K))
        KeyGroup << K;
    QStringList FieldGroup;
    for (Integer I = 0; I < Fields.Count(); ++I)
      if (Driver->IsDynaSQLField(Status, Fields[I]))
        FieldGroup << Fields[I];
    auto List = [&](bool Values) {
      String Line = QStringLiteral("  (");
      bool First = true;
      for (const QStringList* Group : {&KeyGroup, &FieldGroup})
        for (qsizetype I = 0; I < Group->size(); ++I) {
          const String Name = Values ? QStringLiteral(":") + ParamName((*Group)[I]) : SQLName((*Group)[I]);
          Line += (First ? String() : QStringLiteral(", ")) + Name;
          First = false;
          if (Line.size() > 70 && I + 1 < Group->size()) {
            Text->Add(Line);
            Line = QStringLiteral("   ");
          }
        }
      Text->Add(Line + QStringLiteral(")"));
    };
    List(false);
    Text->Add(QStringLiteral("values"));
    List(true);
    break;
  }
  case usModified:
    if (Fields.Count() == 0)
      break;
    Text->Add(QStringLiteral("update %1").arg(SQLTableName(P->UpdateTable())));
    Text->Add(QStringLiteral("set"));
    for (Integer I = 0; I < Fields.Count(); ++I)
      Text->Add(QStringLiteral(" %1 = :%2%3")
                  .arg(SQLName(Fields[I]), ParamName(Fields[I]),
                       I + 1 < Fields.Count() ? QStringLiteral(",") : String()));
    GenerateWhereClause(P->KeyFields(), Text);
    break;
  case usDeleted:
    Text->Add(QStringLiteral("delete from %1").arg(SQLTableName(P->UpdateTable())));
    GenerateWhereClause(P->KeyFields(), Text);
    break;
  default:
    break;
  }
  Text->EndUpdate();
}

Integer TServerSpecOperationsEh::UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                                              TMemoryRecordEh* MemRec)
{
  return SQLDataDriver->DoUpdateRecord(MemTableData, MemRec);
}

void TServerSpecOperationsEh::GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                   TDataSet* ResDataSet)
{
  (void)MemRec;
  (void)Command;
  (void)ResDataSet;
}

Variant TServerSpecOperationsEh::RunKeyQuery(TCustomSQLDataDriverEh* SQLDataDriver, const String& Query)
{
  TCustomSQLCommandEh* Command = SQLDataDriver->ServiceCommand();
  Command->SetCommandText(Query);
  Command->SetCommandType(cthSelectQuery);
  if (TParams* Params = Command->GetParams()) {
    Params->Clear();
    Command->SetParams(Params);
  }
  TDataSet* Cursor = nullptr;
  bool FreeOnEof = false;
  Command->Execute(Cursor, FreeOnEof);
  std::unique_ptr<TDataSet> Owned(FreeOnEof ? Cursor : nullptr);
  if (!Cursor)
    DatabaseError(QStringLiteral("The key query returned no rows: %1").arg(Query));
  Cursor->Open();
  if (Cursor->IsEmpty() || Cursor->FieldCount() == 0)
    DatabaseError(QStringLiteral("The key query returned no rows: %1").arg(Query));
  return Cursor->Fields()->Fields(0)->Value();
}

void TServerSpecOperationsEh::FetchKeyAfterInsert(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                                  const String& FieldParam, const String& Query)
{
  if (MemRec->UpdateStatus() != usInserted)
    return;
  const String Field = SQLDataDriver->SpecParams()->Values(FieldParam);
  if (Field.isEmpty())
    return;
  MemRec->SetDataValues(Field, dvvValueEh, RunKeyQuery(SQLDataDriver, Query));
}

Integer TOracleSpecOperationsEh::UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                                              TMemoryRecordEh* MemRec)
{
  const String Sequence = SQLDataDriver->SpecParams()->Values(QStringLiteral("SEQUENCE"));
  if (MemRec->UpdateStatus() == usInserted && !Sequence.isEmpty()) {
    const Variant Value = RunKeyQuery(SQLDataDriver, QStringLiteral("SELECT %1.curval FROM dual").arg(Sequence));
    const String Field = SQLDataDriver->SpecParams()->Values(QStringLiteral("SEQUENCE_FIELD"));
    if (!Value.IsEmpty() && MemRec->DataStruct()->FindField(Field))
      MemRec->SetDataValues(Field, dvvValueEh, Value);
  }
  return SQLDataDriver->DoUpdateRecord(MemTableData, MemRec);
}

void TMSSQLSpecOperationsEh::GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                  TDataSet* ResDataSet)
{
  (void)ResDataSet;
  FetchKeyAfterInsert(Command->DataDriver(), MemRec, QStringLiteral("AUTO_INCREMENT_FIELD"),
                      QStringLiteral("SELECT @@IDENTITY"));
}

Integer TInterbaseSpecOperationsEh::UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver,
                                                 TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec)
{
  const String Generator = SQLDataDriver->SpecParams()->Values(QStringLiteral("GENERATOR"));
  if (MemRec->UpdateStatus() == usInserted && !Generator.isEmpty()) {
    const Variant Value =
      RunKeyQuery(SQLDataDriver, QStringLiteral("SELECT GEN_ID(%1, %2) FROM RDB$DATABASE").arg(Generator).arg(1));
    const String Field = SQLDataDriver->SpecParams()->Values(QStringLiteral("GENERATOR_FIELD"));
    if (!Value.IsEmpty() && MemRec->DataStruct()->FindField(Field))
      MemRec->SetDataValues(Field, dvvValueEh, Value);
  }
  return SQLDataDriver->DoUpdateRecord(MemTableData, MemRec);
}

void TInterbaseSpecOperationsEh::GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                      TDataSet* ResDataSet)
{
  (void)ResDataSet;
  TCustomSQLDataDriverEh* Driver = Command->DataDriver();
  const String Generator = Driver->SpecParams()->Values(QStringLiteral("GENERATOR"));
  const String Field = Driver->SpecParams()->Values(QStringLiteral("GENERATOR_FIELD"));
  if (Generator.isEmpty() || !MemRec->DataStruct()->FindField(Field))
    return;
  FetchKeyAfterInsert(Driver, MemRec, QStringLiteral("GENERATOR_FIELD"),
                      QStringLiteral("SELECT GEN_ID(%1, %2) FROM RDB$DATABASE").arg(Generator).arg(0));
}

void TInfromixSpecOperationsEh::GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                     TDataSet* ResDataSet)
{
  (void)ResDataSet;
  FetchKeyAfterInsert(Command->DataDriver(), MemRec, QStringLiteral("AUTO_INCREMENT_FIELD"),
                      QStringLiteral("select DBINFO(\"sqlca.sqlerrd1\") from systables where tabid=1"));
}

void TMSAccessSpecOperationsEh::GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                     TDataSet* ResDataSet)
{
  (void)ResDataSet;
  FetchKeyAfterInsert(Command->DataDriver(), MemRec, QStringLiteral("AUTO_INCREMENT_FIELD"),
                      QStringLiteral("SELECT @@IDENTITY"));
}

// ---------------------------------------------------------------------------
// Registry of server kinds, the default objects and the resolver.

namespace {
struct TServerKindEh {
  String Name;
  TServerSpecOperationsFactoryEh Factory;
};

std::vector<TServerKindEh>& ServerKinds()
{
  static std::vector<TServerKindEh> Kinds;
  return Kinds;
}

void AddServerKind(const String& TypeName, TServerSpecOperationsFactoryEh Factory)
{
  for (const TServerKindEh& K : ServerKinds())
    if (K.Name.compare(TypeName, Qt::CaseInsensitive) == 0)
      throw Exception(QStringLiteral("Server type w ith name: \"%1\" is already registered").arg(TypeName));
  ServerKinds().push_back({TypeName, std::move(Factory)});
}

template <class T>
void AddServerKind()
{
  AddServerKind(T::GetServerTypeName(), [] { return std::make_unique<T>(); });
}

void RegisterBuiltInKinds()
{
  static std::once_flag Once;
  std::call_once(Once, [] {
    AddServerKind<TServerSpecOperationsEh>();
    AddServerKind<TOracleSpecOperationsEh>();
    AddServerKind<TMSSQLSpecOperationsEh>();
    AddServerKind<TInterbaseSpecOperationsEh>();
    AddServerKind<TInfromixSpecOperationsEh>();
    AddServerKind<TDB2SpecOperationsEh>();
    AddServerKind<TSybaseSpecOperationsEh>();
    AddServerKind<TMSAccessSpecOperationsEh>();
  });
}

TSQLDataDriverResolver* DefaultResolver()
{
  static TSQLDataDriverResolver Default;
  return &Default;
}

TSQLDataDriverResolver*& CurrentResolver()
{
  static TSQLDataDriverResolver* Current = DefaultResolver();
  return Current;
}
}

void RegisterServerSpecOperationsEh(const String& TypeName, TServerSpecOperationsFactoryEh Factory)
{
  RegisterBuiltInKinds();
  AddServerKind(TypeName, std::move(Factory));
}

QStringList RegisteredServerTypeNamesEh()
{
  RegisterBuiltInKinds();
  QStringList Names;
  for (const TServerKindEh& K : ServerKinds())
    Names << K.Name;
  return Names;
}

std::unique_ptr<TServerSpecOperationsEh> CreateServerSpecOperationsEh(const String& TypeName)
{
  RegisterBuiltInKinds();
  for (const TServerKindEh& K : ServerKinds())
    if (K.Name.compare(TypeName, Qt::CaseInsensitive) == 0)
      return K.Factory();
  return nullptr;
}

TServerSpecOperationsEh* DefaultServerSpecOperationsEh()
{
  static TServerSpecOperationsEh Default;
  return &Default;
}

TSQLDataDriverResolver* GetSQLDataDriverResolver() { return CurrentResolver(); }

TSQLDataDriverResolver* SetSQLDataDriverResolver(TSQLDataDriverResolver* Value)
{
  TSQLDataDriverResolver* Previous = CurrentResolver();
  CurrentResolver() = Value ? Value : DefaultResolver();
  return Previous;
}

Integer TSQLDataDriverResolver::ExecuteCommand(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command,
                                               TDataSet*& Cursor, bool& FreeOnEof, bool& Processed)
{
  if (OnExecuteCommand)
    return OnExecuteCommand(SQLDataDriver, Command, Cursor, FreeOnEof, Processed);
  Processed = false;
  return -1;
}

TServerSpecOperationsEh* TSQLDataDriverResolver::GetServerSpecOperations(bool& Processed)
{
  if (OnGetServerSpecOperations) {
    TServerSpecOperationsEh* Ops = nullptr;
    OnGetServerSpecOperations(Processed, Ops);
    return Ops;
  }
  if (FServerSpecOperations) {
    Processed = true;
    return FServerSpecOperations;
  }
  return nullptr;
}

void TSQLDataDriverResolver::UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                                          TMemoryRecordEh* MemRec, bool& Processed)
{
  if (OnUpdateRecord)
    OnUpdateRecord(SQLDataDriver, MemTableData, MemRec, Processed);
  if (!Processed)
    DefaultUpdateRecord(SQLDataDriver, MemTableData, MemRec, Processed);
}

void TSQLDataDriverResolver::DefaultUpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver,
                                                 TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                                                 bool& Processed)
{
  if (FServerSpecOperations)
    FServerSpecOperations->UpdateRecord(SQLDataDriver, MemTableData, MemRec);
  else if (TServerSpecOperationsEh* Ops = SQLDataDriver->InternalGetServerSpecOperations())
    Ops->UpdateRecord(SQLDataDriver, MemTableData, MemRec);
  else
    SQLDataDriver->DoUpdateRecord(MemTableData, MemRec);
  Processed = true;
}

void TSQLDataDriverResolver::GetBackUpdatedValues(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                                  TCustomSQLCommandEh* Command, TDataSet* ResDataSet,
                                                  bool& Processed)
{
  if (OnGetBackUpdatedValues)
    OnGetBackUpdatedValues(SQLDataDriver, MemRec, Command, ResDataSet, Processed);
  else
    DefaultGetUpdatedServerValues(SQLDataDriver, MemRec, Command, ResDataSet, Processed);
}

void TSQLDataDriverResolver::DefaultGetUpdatedServerValues(TCustomSQLDataDriverEh* SQLDataDriver,
                                                           TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                           TDataSet* ResDataSet, bool& Processed)
{
  TServerSpecOperationsEh* Ops = FServerSpecOperations;
  if (!Ops)
    Ops = SQLDataDriver->ServerSpecOperations();
  if (!Ops)
    Ops = SQLDataDriver->InternalGetServerSpecOperations();
  if (!Ops)
    return;
  Ops->GetBackUpdatedValues(MemRec, Command, ResDataSet);
  Processed = true;
}
