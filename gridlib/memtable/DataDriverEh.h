// DataDriverEh.h: data drivers of the memory table. A driver builds the
// structure of a storage, fetches its records and writes the change log back:
// TDataDriverEh over an ordinary provider dataset, TCustomSQLDataDriverEh
// through SQL commands with macros, generated statements and server-specific
// key queries. Execution belongs to a connection provider that a concrete
// driver supplies, or to the unit-wide resolver.
#pragma once

#include "gridlib/memtable/MemTableDataEh.h"
#include "platform/data/DB.h"
#include "platform/rtl/Classes.h"

#include <functional>
#include <memory>
#include <vector>

class TDataDriverEh;
class TCustomSQLDataDriverEh;
class TCustomSQLCommandEh;
class TStringVarsEh;

enum TUpdateErrorActionEh { ueaBreakAbortEh, ueaBreakRaiseEh, ueaCountinueEh, ueaRetryEh, ueaCountinueSkip };

using TDataDriverAssignFieldValueEhEvent =
  std::function<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                     Integer DataFieldIndex, TDataValueVersionEh DataValueVersion, TDataSet* ReaderDataSet)>;
using TDataDriverBuildDataStructEhEvent = std::function<void(TDataDriverEh* DataDriver, TMTDataStructEh* DataStruct)>;
using TDataDriverProduceDataReaderEhEvent =
  std::function<void(TDataDriverEh* DataDriver, TDataSet*& DataReader, bool& FreeOnEof)>;
using TDataDriverReadRecordEhEvent = std::function<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData,
                                                        TMemoryRecordEh* MemRec, bool& ProviderEOF)>;
using TDataDriverRecordEhEvent =
  std::function<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec)>;
using TDataDriverUpdateErrorEhEvent = std::function<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData,
                                                         TMemoryRecordEh* MemRec, TUpdateErrorActionEh& Action)>;

// What the consumer of a driver (a memory table) hears from it.
class TDataDriverConsumerLinkEh {
public:
  virtual ~TDataDriverConsumerLinkEh() = default;
  // The driver's structure source changed (its select text).
  virtual void DriverStructChanged() = 0;
};

// A database error raised while applying a record that the database did not
// take as it was: its row is gone or was changed by someone else.
class EUpdateConflictEh : public EDatabaseError {
public:
  explicit EUpdateConflictEh(const String& Msg) : EDatabaseError(Msg) {}
};

// Whether a field of AType can locate a row as a key (every type but blobs,
// memos, cursors, nested datasets, streams and the like).
bool IsKeyCapableFieldTypeEh(TFieldType AType);

// ---------------------------------------------------------------------------
// Data driver over a provider dataset.

class TDataDriverEh : public TComponent {
  VELMORA_CLASS(TDataDriverEh)
  using inherited = TComponent;
public:
  explicit TDataDriverEh(TComponent* AOwner);
  ~TDataDriverEh() override;

  // The consuming memory table.
  void SetDataDriverConsumer(TComponent* Value) { FDataDriverConsumer = Value; }
  TComponent* GetDataDriverConsumer() const { return FDataDriverConsumer; }

  const String& KeyFields() const { return FKeyFields; }
  void SetKeyFields(const String& Value) { FKeyFields = Value; }
  TDataSet* ProviderDataSet() const { return FProviderDataSet; }
  void SetProviderDataSet(TDataSet* Value);
  bool ProviderEOF() const { return FProviderEOF; }
  void SetProviderEOF(bool Value);
  TDataSet* ReaderDataSet() const { return FReaderDataSet; }
  bool ResolveToDataSet() const { return FResolveToDataSet; }
  void SetResolveToDataSet(bool Value) { FResolveToDataSet = Value; }

  virtual bool ConnectionIsPostponed();
  virtual void AddPostponedActivationDataSet(TDataSet* ADataSet);
  virtual Integer ApplyUpdates(TMemTableDataEh* MemTableData);
  virtual Integer DefaultUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec);
  virtual TDataSet* GetDataReader();
  virtual Integer ReadData(TMemTableDataEh* MemTableData, Integer Count);
  virtual bool RefreshReaderParamsFromCursor(TDataSet* DataSet);
  virtual void AssignFieldValue(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec, Integer DataFieldIndex,
                                TDataValueVersionEh DataValueVersion, TDataSet* ReaderDataSet);
  virtual void BuildDataStruct(TMTDataStructEh* DataStruct);
  virtual void ConsumerClosed(TDataSet* ConsumerDataSet);
  virtual void DefaultAssignFieldValue(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                                       Integer DataFieldIndex, TDataValueVersionEh DataValueVersion,
                                       TDataSet* ReaderDataSet);
  virtual void DefaultBuildDataStruct(TMTDataStructEh* DataStruct);
  virtual void DefaultProduceDataReader(TDataSet*& DataSet, bool& FreeOnEof);
  virtual void DefaultReadRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec, bool& ProviderEOF);
  virtual void DefaultRefreshRecord(TMemoryRecordEh* MemRecord);
  virtual void DefaultUpdateError(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                                  TUpdateErrorActionEh& Action);
  virtual void RefreshReader();
  virtual void RefreshRecord(TMemoryRecordEh* MemRecord);
  virtual void SetReaderParamsFromCursor(TDataSet* DataSet);
  virtual void UpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec);

  TDataDriverAssignFieldValueEhEvent OnAssignFieldValue;
  TDataDriverBuildDataStructEhEvent OnBuildDataStruct;
  TDataDriverProduceDataReaderEhEvent OnProduceDataReader;
  TDataDriverReadRecordEhEvent OnReadRecord;
  TDataDriverRecordEhEvent OnRefreshRecord;
  TDataDriverUpdateErrorEhEvent OnUpdateError;
  TDataDriverRecordEhEvent OnUpdateRecord;

protected:
  // Hook after a structure was built from a dataset's fields.
  virtual void AdjustBuiltDataStruct(TFields* Fields, TMTDataStructEh* DataStruct);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ClearFieldMap() { FDataToRecFields.clear(); }

  bool FResolveToDataSet = true;

private:
  TComponent* FDataDriverConsumer = nullptr;
  String FKeyFields;
  TDataSet* FProviderDataSet = nullptr;
  bool FProviderEOF = false;
  TDataSet* FReaderDataSet = nullptr;
  bool FReaderDataSetFreeOnEof = false;
  std::vector<Integer> FDataToRecFields;
  TDataSet* FFieldMapSource = nullptr;
};

// Gives every not-bound parameter of Params the value and type of the master
// field of the same name (a missing field raises).
void SetParamsFromCursorEh(TParams* Params, TDataSet* DataSet);
// Whether a parameter named after a master field holds another value than
// the field.
bool ParamsDifferFromCursorEh(const TParams* Params, TDataSet* DataSet);

// ---------------------------------------------------------------------------
// SQL macros.

enum TSpecMacrosUsageEh { smuUseFilterMacroEh, smuFilterAsWhereClauseEh, smuFilterWithANDPrecedingEh,
                          smuUseSortOrderMacroEh, smuSortOrderAsOrderByClauseEh, smuSortOrderWithCommaPrecedingEh };
using TSpecMacrosUsagesEh = TSet<TSpecMacrosUsageEh>;

class TMacroVarsEh;

// The filter and sort-order macros of a driver.
class TSpecMacrosEh : public TPersistent {
  VELMORA_CLASS(TSpecMacrosEh)
public:
  explicit TSpecMacrosEh(TMacroVarsEh* AMacroVars) : FMacroVars(AMacroVars) {}
  void Assign(TPersistent* Source) override;
  const String& FilterMacroName() const { return FFilterMacroName; }
  void SetFilterMacroName(const String& Value);
  const String& SortOrderMacroName() const { return FSortOrderMacroName; }
  void SetSortOrderMacroName(const String& Value);
  const String& FilterMacroValue() const { return FFilterMacroValue; }
  void SetFilterMacroValue(const String& Value);
  const String& SortOrderMacroValue() const { return FSortOrderMacroValue; }
  void SetSortOrderMacroValue(const String& Value);
private:
  String FFilterMacroName = QStringLiteral("%Filter%");
  String FSortOrderMacroName = QStringLiteral("%SortOrder%");
  String FSortOrderMacroValue;
  String FFilterMacroValue;
  TMacroVarsEh* FMacroVars;
};

// The macros of a driver: the two special ones and any named text macros.
// Every value is checked to be one well-formed piece of a statement (quotes
// and parentheses closed, no statement separator, no comment) before it is
// substituted, so a value can never end the statement it is put into.
class TMacroVarsEh : public TPersistent {
  VELMORA_CLASS(TMacroVarsEh)
public:
  explicit TMacroVarsEh(TCustomSQLDataDriverEh* ADataDriver);
  ~TMacroVarsEh() override;
  void Assign(TPersistent* Source) override;

  TStringVarsEh* Macros() const { return FMacros.get(); }
  TSpecMacrosUsagesEh SpecMacrosUsages() const { return FSpecMacrosUsages; }
  void SetSpecMacrosUsages(TSpecMacrosUsagesEh Value);
  TSpecMacrosEh* SpecMacros() const { return FSpecMacros.get(); }
  TCustomSQLDataDriverEh* DataDriver() const { return FDataDriver; }

  virtual void MacroVarsChanged();
  // Replaces every occurrence of MacroName by MacroValue in one pass from the
  // left; a replaced value is never searched again.
  static String SubstituteMacro(const String& Text, const String& MacroName, const String& MacroValue);

private:
  TCustomSQLDataDriverEh* FDataDriver;
  std::unique_ptr<TStringVarsEh> FMacros;
  TSpecMacrosUsagesEh FSpecMacrosUsages{smuFilterAsWhereClauseEh, smuSortOrderAsOrderByClauseEh};
  std::unique_ptr<TSpecMacrosEh> FSpecMacros;
};

// Raises EDatabaseError unless Text is one piece of a statement: quotes,
// quoted names and parentheses closed, no ";" and no comment outside quotes.
void CheckSQLFragmentEh(const String& Text, const String& What);
// Raises EDatabaseError unless Text is a sort list: names (plain, or in double
// quotes, optionally with a table prefix) or column numbers, each optionally
// followed by ASC or DESC and NULLS FIRST or NULLS LAST, separated by commas.
void CheckSQLOrderByEh(const String& Text);

// ---------------------------------------------------------------------------
// SQL commands.

enum TSQLCommandTypeEh { cthSelectQuery, cthUpdateQuery, cthTable, cthStoredProc };

// One SQL command of a driver: its text as written and the text after macro
// substitution, formed when first read after a change.
class TCustomSQLCommandEh : public TPersistent {
  VELMORA_CLASS(TCustomSQLCommandEh)
public:
  explicit TCustomSQLCommandEh(TCustomSQLDataDriverEh* ADataDriver);
  ~TCustomSQLCommandEh() override;
  void Assign(TPersistent* Source) override;

  TCustomSQLDataDriverEh* DataDriver() const { return FDataDriver; }
  TStrings* CommandText() const { return FCommandText.get(); }
  TStrings* FinalCommandText();
  void FinalCommandTextObsolete() { FFinalCommandTextObsolete = true; }
  bool IsFinalCommandTextObsolete() const { return FFinalCommandTextObsolete; }

  virtual TSQLCommandTypeEh DefaultCommandType() const;
  virtual String GetCommandText() const;
  virtual TSQLCommandTypeEh GetCommandType() const { return FCommandType; }
  virtual void CommandTextChanged();
  virtual void SetCommandText(const String& Value);
  virtual void SetCommandType(TSQLCommandTypeEh Value) { FCommandType = Value; }
  // Runs the command through the driver's connection provider or the unit
  // resolver; the rows it returns, if any, come back in Cursor. Raises when
  // nothing executes it.
  virtual Integer Execute(TDataSet*& Cursor, bool& FreeOnEof);
  virtual TParams* GetParams() { return nullptr; }
  virtual void FormFinalCommandText();
  virtual void RebuildParams() {}
  virtual void RefreshParams(TMemoryRecordEh* MemRecord, TDataValueVersionEh DataValueVersion);
  virtual void SetParams(TParams* Value) { (void)Value; }

  bool CommandTypeStored() const { return FCommandType != DefaultCommandType(); }

protected:
  TPersistent* GetOwner() const override;

private:
  std::unique_ptr<TStringList> FCommandText;
  TSQLCommandTypeEh FCommandType = cthSelectQuery;
  TCustomSQLDataDriverEh* FDataDriver;
  std::unique_ptr<TStringList> FFinalCommandText;
  bool FFinalCommandTextObsolete = true;
};

// The connection a concrete SQL driver answers from GetConnectionProvider.
// A provider that sets Processed ends the request there.
class IConnectionProviderEh {
public:
  virtual ~IConnectionProviderEh() = default;
  virtual Integer ExecuteCommand(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command,
                                 bool& Processed, bool& FreeOnEof, TDataSet*& Cursor) = 0;
  virtual void UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData, bool& Processed,
                            TMemoryRecordEh* MemRecord)
  {
    (void)SQLDataDriver; (void)MemTableData; (void)Processed; (void)MemRecord;
  }
  virtual void GetBackUpdatedValues(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRecord,
                                    bool& Processed, TDataSet* ResDataSet, TCustomSQLCommandEh* Command)
  {
    (void)SQLDataDriver; (void)MemRecord; (void)Processed; (void)ResDataSet; (void)Command;
  }
  virtual void AddPostponedActivationDataSet(TDataSet* DataSet) { (void)DataSet; }
  virtual bool ConnectionIsPostponed() { return false; }
  // The column names of Table; false when the provider cannot tell.
  virtual bool GetTableFields(const String& Table, TStrings* Fields)
  {
    (void)Table; (void)Fields;
    return false;
  }
};

// ---------------------------------------------------------------------------
// Dynamic SQL.

enum TDynaSQLOptionEh { dsoDynamicSQLInsertEh, dsoDynamicSQLUpdateEh, dsoDynamicSQLDeleteEh };
using TDynaSQLOptionsEh = TSet<TDynaSQLOptionEh>;
enum TTableFieldListSourceEh { tflsListPropertyEh, tflsDataBaseSchemaEh };

// What the statements that a driver generates for a changed record write.
class TDynaSQLParamsEh : public TPersistent {
  VELMORA_CLASS(TDynaSQLParamsEh)
public:
  explicit TDynaSQLParamsEh(TCustomSQLDataDriverEh* ADataDriver) : FDataDriver(ADataDriver) {}
  void Assign(TPersistent* Source) override;

  TCustomSQLDataDriverEh* DataDriver() const { return FDataDriver; }
  const String& UpdateTable() const { return FUpdateTable; }
  void SetUpdateTable(const String& Value) { FUpdateTable = Value; }
  const String& UpdateFields() const { return FUpdateFields; }
  void SetUpdateFields(const String& Value) { FUpdateFields = Value; }
  const String& KeyFields() const { return FKeyFields; }
  void SetKeyFields(const String& Value) { FKeyFields = Value; }
  bool SkipUnchangedFields() const { return FSkipUnchangedFields; }
  void SetSkipUnchangedFields(bool Value) { FSkipUnchangedFields = Value; }
  TDynaSQLOptionsEh Options() const { return FOptions; }
  void SetOptions(TDynaSQLOptionsEh Value) { FOptions = Value; }
  TTableFieldListSourceEh UpdateFieldListSource() const { return FUpdateFieldListSource; }
  void SetUpdateFieldListSource(TTableFieldListSourceEh Value) { FUpdateFieldListSource = Value; }

  // The fields a generated statement writes.
  void GetUpdateFields(TStrings* List, TMemoryRecordEh* MemRec) const;

private:
  TCustomSQLDataDriverEh* FDataDriver;
  String FUpdateTable;
  String FUpdateFields;
  String FKeyFields;
  bool FSkipUnchangedFields = false;
  TDynaSQLOptionsEh FOptions;
  TTableFieldListSourceEh FUpdateFieldListSource = tflsListPropertyEh;
};

// The names of a comma text ("a, b" or "a b"; "x y" in double quotes).
QStringList CommaTextNamesEh(const String& CommaText);

// What varies with the database server: the statements generated for a
// changed record and the keys the server assigns.
class TServerSpecOperationsEh : public TObject {
public:
  TServerSpecOperationsEh() = default;
  ~TServerSpecOperationsEh() override = default;

  static String GetServerTypeName() { return QStringLiteral("AnsiServer"); }
  virtual String ServerTypeName() const { return GetServerTypeName(); }

  // A table or column name as it goes into a statement: a plain name (letters,
  // digits and "_", not starting with a digit) as it is, any other in double
  // quotes.
  virtual String SQLName(const String& Name) const;
  virtual String SQLTableName(const String& Name) const;

  virtual void GenerateWhereClause(const String& KeyFields, TStrings* Lines);
  virtual void GetChangedFields(TMemoryRecordEh* MemRec, TStrings* Fields, TStrings* Changed);
  virtual Integer UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                               TMemoryRecordEh* MemRec);
  virtual void GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command, TDataSet* ResDataSet);
  virtual void GenerateDynaSQLCommand(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command);
  virtual void GenerateDeleteCommand(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command)
  {
    (void)MemRec; (void)Command;
  }
  virtual void GenerateUpdateCommand(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command)
  {
    (void)MemRec; (void)Command;
  }
  virtual void GenerateInsertCommand(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command)
  {
    (void)MemRec; (void)Command;
  }

protected:
  // Runs a key query through the driver's service command and answers the
  // first column of its first row; raises when no row comes back.
  Variant RunKeyQuery(TCustomSQLDataDriverEh* SQLDataDriver, const String& Query);
  // After an insert: the value of Query goes into the field named by the
  // parameter FieldParam.
  void FetchKeyAfterInsert(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                           const String& FieldParam, const String& Query);
};

class TOracleSpecOperationsEh : public TServerSpecOperationsEh {
public:
  static String GetServerTypeName() { return QStringLiteral("Oracle"); }
  String ServerTypeName() const override { return GetServerTypeName(); }
  Integer UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                       TMemoryRecordEh* MemRec) override;
};

class TMSSQLSpecOperationsEh : public TServerSpecOperationsEh {
public:
  static String GetServerTypeName() { return QStringLiteral("MSSQL"); }
  String ServerTypeName() const override { return GetServerTypeName(); }
  void GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command, TDataSet* ResDataSet) override;
};

class TInterbaseSpecOperationsEh : public TServerSpecOperationsEh {
public:
  static String GetServerTypeName() { return QStringLiteral("Interbase"); }
  String ServerTypeName() const override { return GetServerTypeName(); }
  Integer UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                       TMemoryRecordEh* MemRec) override;
  void GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command, TDataSet* ResDataSet) override;
};

class TInfromixSpecOperationsEh : public TServerSpecOperationsEh {
public:
  static String GetServerTypeName() { return QStringLiteral("Infromix"); }
  String ServerTypeName() const override { return GetServerTypeName(); }
  void GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command, TDataSet* ResDataSet) override;
};

class TDB2SpecOperationsEh : public TServerSpecOperationsEh {
public:
  static String GetServerTypeName() { return QStringLiteral("DB2"); }
  String ServerTypeName() const override { return GetServerTypeName(); }
};

class TSybaseSpecOperationsEh : public TServerSpecOperationsEh {
public:
  static String GetServerTypeName() { return QStringLiteral("Sybase"); }
  String ServerTypeName() const override { return GetServerTypeName(); }
};

class TMSAccessSpecOperationsEh : public TServerSpecOperationsEh {
public:
  static String GetServerTypeName() { return QStringLiteral("MSAccess"); }
  String ServerTypeName() const override { return GetServerTypeName(); }
  void GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command, TDataSet* ResDataSet) override;
};

// PostgreSQL folds unquoted names to lower case and reserves many words, so
// every name goes into its statements in double quotes, exactly as the
// catalog (and so the reader's fields) spell it.
class TPostgreSQLSpecOperationsEh : public TServerSpecOperationsEh {
public:
  static String GetServerTypeName() { return QStringLiteral("PostgreSQL"); }
  String ServerTypeName() const override { return GetServerTypeName(); }
  String SQLName(const String& Name) const override;
  String SQLTableName(const String& Name) const override;
};

using TServerSpecOperationsFactoryEh = std::function<std::unique_ptr<TServerSpecOperationsEh>()>;
// Registers a server kind under its type name; a name already registered
// (ignoring case) raises.
void RegisterServerSpecOperationsEh(const String& TypeName, TServerSpecOperationsFactoryEh Factory);
template <class T>
void RegisterServerSpecOperationsEh()
{
  RegisterServerSpecOperationsEh(T::GetServerTypeName(), [] { return std::make_unique<T>(); });
}
// The registered kinds' type names, in registration order (the built-in
// kinds are registered on first use of the registry).
QStringList RegisteredServerTypeNamesEh();
// The kind made for TypeName; nullptr when none is registered under it.
std::unique_ptr<TServerSpecOperationsEh> CreateServerSpecOperationsEh(const String& TypeName);

// ---------------------------------------------------------------------------
// The unit-wide resolver: an application can take over execution, writing
// and key fetching for every SQL driver.

using TResolverExecuteCommandEhEvent =
  std::function<Integer(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command, TDataSet*& Cursor,
                        bool& FreeOnEof, bool& Processed)>;
using TResolverGetBackUpdatedValuesEhEvent =
  std::function<void(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                     TDataSet* ResDataSet, bool& Processed)>;
using TResolverGetServerSpecOperationsEh =
  std::function<void(bool& Processed, TServerSpecOperationsEh*& ServerSpecOperations)>;
using TResolverUpdateRecordEhEvent = std::function<void(TCustomSQLDataDriverEh* SQLDataDriver,
                                                        TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                                                        bool& Processed)>;

class TSQLDataDriverResolver : public TPersistent {
  VELMORA_CLASS(TSQLDataDriverResolver)
public:
  TSQLDataDriverResolver() = default;

  TServerSpecOperationsEh* ServerSpecOperations() const { return FServerSpecOperations; }
  void SetServerSpecOperations(TServerSpecOperationsEh* Value) { FServerSpecOperations = Value; }

  virtual Integer ExecuteCommand(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command,
                                 TDataSet*& Cursor, bool& FreeOnEof, bool& Processed);
  virtual TServerSpecOperationsEh* GetServerSpecOperations(bool& Processed);
  virtual void DefaultGetUpdatedServerValues(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                             TCustomSQLCommandEh* Command, TDataSet* ResDataSet, bool& Processed);
  virtual void DefaultUpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                                   TMemoryRecordEh* MemRec, bool& Processed);
  virtual void GetBackUpdatedValues(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                    TCustomSQLCommandEh* Command, TDataSet* ResDataSet, bool& Processed);
  virtual void UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                            TMemoryRecordEh* MemRec, bool& Processed);

  TResolverExecuteCommandEhEvent OnExecuteCommand;
  TResolverGetBackUpdatedValuesEhEvent OnGetBackUpdatedValues;
  TResolverGetServerSpecOperationsEh OnGetServerSpecOperations;
  TResolverUpdateRecordEhEvent OnUpdateRecord;

private:
  TServerSpecOperationsEh* FServerSpecOperations = nullptr;
};

TSQLDataDriverResolver* GetSQLDataDriverResolver();
// Answers the previous resolver, which the caller then owns; nullptr puts
// the unit's default resolver back.
TSQLDataDriverResolver* SetSQLDataDriverResolver(TSQLDataDriverResolver* Value);
// The default object of server-specific operations.
TServerSpecOperationsEh* DefaultServerSpecOperationsEh();

// ---------------------------------------------------------------------------
// SQL data driver.

using TDataDriverExecuteCommandEhEvent = std::function<Integer(TCustomSQLDataDriverEh* DataDriver,
                                                               TCustomSQLCommandEh* Command, TDataSet*& Cursor,
                                                               bool& FreeOnEof)>;
using TDataDriverGetBackUpdatedValuesEhEvent =
  std::function<void(TCustomSQLDataDriverEh* DataDriver, TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                     TDataSet* ResDataSet)>;

class TCustomSQLDataDriverEh : public TDataDriverEh {
  VELMORA_CLASS(TCustomSQLDataDriverEh)
  using inherited = TDataDriverEh;
public:
  explicit TCustomSQLDataDriverEh(TComponent* AOwner);
  ~TCustomSQLDataDriverEh() override;
  // Creates the commands through the virtual factories: a descendant calls it
  // from its constructor when it makes commands of its own.
  void CreateCommands();

  TCustomSQLCommandEh* SelectCommand() const { return FSelectCommand.get(); }
  TCustomSQLCommandEh* UpdateCommand() const { return FUpdateCommand.get(); }
  TCustomSQLCommandEh* InsertCommand() const { return FInsertCommand.get(); }
  TCustomSQLCommandEh* DeleteCommand() const { return FDeleteCommand.get(); }
  TCustomSQLCommandEh* GetrecCommand() const { return FGetrecCommand.get(); }
  TCustomSQLCommandEh* ServiceCommand() const { return FServiceCommand.get(); }
  void SetSelectCommand(TCustomSQLCommandEh* Value) { FSelectCommand->Assign(Value); }
  void SetUpdateCommand(TCustomSQLCommandEh* Value) { FUpdateCommand->Assign(Value); }
  void SetInsertCommand(TCustomSQLCommandEh* Value) { FInsertCommand->Assign(Value); }
  void SetDeleteCommand(TCustomSQLCommandEh* Value) { FDeleteCommand->Assign(Value); }
  void SetGetrecCommand(TCustomSQLCommandEh* Value) { FGetrecCommand->Assign(Value); }
  String SelectSQL() const { return FSelectCommand->GetCommandText(); }
  void SetSelectSQL(const String& Value) { FSelectCommand->SetCommandText(Value); }
  String UpdateSQL() const { return FUpdateCommand->GetCommandText(); }
  void SetUpdateSQL(const String& Value) { FUpdateCommand->SetCommandText(Value); }
  String InsertSQL() const { return FInsertCommand->GetCommandText(); }
  void SetInsertSQL(const String& Value) { FInsertCommand->SetCommandText(Value); }
  String DeleteSQL() const { return FDeleteCommand->GetCommandText(); }
  void SetDeleteSQL(const String& Value) { FDeleteCommand->SetCommandText(Value); }
  String GetrecSQL() const { return FGetrecCommand->GetCommandText(); }
  void SetGetrecSQL(const String& Value) { FGetrecCommand->SetCommandText(Value); }
  TStrings* FinalSelectSQL() { return FSelectCommand->FinalCommandText(); }
  TStrings* FinalUpdateSQL() { return FUpdateCommand->FinalCommandText(); }
  TStrings* FinalInsertSQL() { return FInsertCommand->FinalCommandText(); }
  TStrings* FinalDeleteSQL() { return FDeleteCommand->FinalCommandText(); }
  TStrings* FinalGetrecSQL() { return FGetrecCommand->FinalCommandText(); }
  TStrings* SpecParams() const { return FSpecParams.get(); }
  void SetSpecParams(TStrings* Value) { FSpecParams->Assign(Value); }
  TDynaSQLParamsEh* DynaSQLParams() const { return FDynaSQLParams.get(); }
  void SetDynaSQLParams(TDynaSQLParamsEh* Value) { FDynaSQLParams->Assign(Value); }
  TMacroVarsEh* MacroVars() const { return FMacroVars.get(); }
  void SetMacroVars(TMacroVarsEh* Value) { FMacroVars->Assign(Value); }
  TServerSpecOperationsEh* ServerSpecOperations() const { return FServerSpecOperations; }
  void SetServerSpecOperations(TServerSpecOperationsEh* Value) { FServerSpecOperations = Value; }

  virtual void MacroVarsChanged();
  virtual bool IsDynaSQLField(TUpdateStatus UpdateStatus, const String& FieldName) const;
  virtual TSQLCommandTypeEh DefaultCommandType(const TCustomSQLCommandEh* Command) const;
  virtual void CommandTextChanged(TCustomSQLCommandEh* Command);
  virtual TServerSpecOperationsEh* InternalGetServerSpecOperations() const { return FServerSpecOperations; }
  virtual Integer DefaultExecuteCommand(TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool& FreeOnEof);
  virtual Integer DoUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec);
  virtual Integer ExecuteCommand(TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool& FreeOnEof);
  virtual bool FilterTextSupported() const;
  virtual IConnectionProviderEh* GetConnectionProvider() { return nullptr; }
  virtual bool HaveDataConnection() { return GetConnectionProvider() != nullptr; }
  virtual bool OrderByTextSupported() const;
  // The filter and sort order a consumer sets. The filter text must be one
  // well-formed condition and the order text a plain sort list: typed text
  // is never put into a statement unchecked.
  virtual void ApplyFilterText(const String& FilterText);
  virtual void ApplyOrderByText(const String& OrderByText);
  virtual void DefaultGetUpdatedServerValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                             TDataSet* ResDataSet);
  virtual void GenerateDynamicSQLCommand(TMemoryRecordEh* MemRecord, TCustomSQLCommandEh* Command);
  virtual void GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command, TDataSet* ResDataSet);

  bool ConnectionIsPostponed() override;
  void AddPostponedActivationDataSet(TDataSet* ADataSet) override;
  Integer DefaultUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec) override;
  bool RefreshReaderParamsFromCursor(TDataSet* DataSet) override;
  void DefaultBuildDataStruct(TMTDataStructEh* DataStruct) override;
  void DefaultProduceDataReader(TDataSet*& DataSet, bool& FreeOnEof) override;
  void DefaultRefreshRecord(TMemoryRecordEh* MemRecord) override;
  void SetReaderParamsFromCursor(TDataSet* DataSet) override;

  TDataDriverExecuteCommandEhEvent OnExecuteCommand;
  TDataDriverGetBackUpdatedValuesEhEvent OnGetBackUpdatedValues;

protected:
  virtual std::unique_ptr<TCustomSQLCommandEh> CreateCommand();
  virtual std::unique_ptr<TCustomSQLCommandEh> CreateDeleteCommand() { return CreateCommand(); }
  virtual std::unique_ptr<TCustomSQLCommandEh> CreateGetrecCommand() { return CreateCommand(); }
  virtual std::unique_ptr<TCustomSQLCommandEh> CreateInsertCommand() { return CreateCommand(); }
  virtual std::unique_ptr<TCustomSQLCommandEh> CreateSelectCommand() { return CreateCommand(); }
  virtual std::unique_ptr<TCustomSQLCommandEh> CreateUpdateCommand() { return CreateCommand(); }
  void AdjustBuiltDataStruct(TFields* Fields, TMTDataStructEh* DataStruct) override;

private:
  std::unique_ptr<TCustomSQLCommandEh> FDeleteCommand;
  std::unique_ptr<TDynaSQLParamsEh> FDynaSQLParams;
  std::unique_ptr<TCustomSQLCommandEh> FGetrecCommand;
  std::unique_ptr<TCustomSQLCommandEh> FInsertCommand;
  std::unique_ptr<TMacroVarsEh> FMacroVars;
  std::unique_ptr<TCustomSQLCommandEh> FSelectCommand;
  TServerSpecOperationsEh* FServerSpecOperations = nullptr;
  std::unique_ptr<TCustomSQLCommandEh> FServiceCommand;
  std::unique_ptr<TStringList> FSpecParams;
  std::unique_ptr<TCustomSQLCommandEh> FUpdateCommand;
};
