// ADODB.h: the ADO connection, query, table and command over ODBC. Datasets
// keep a static client-side cursor: every row is fetched on open, then record
// numbers, record count, the client filter and sort work on the fetched rows.
#pragma once

#include "platform/data/ConnectionLoss.h"
#include "platform/data/DB.h"
#include "platform/data/Odbc.h"

#include <memory>
#include <vector>

class TADOConnection;
class TCustomADODataSet;
class TADODataSet;
namespace adofilter {
class TFilter;
struct TSortKey;
}

enum TCursorLocation { clUseServer, clUseClient };
enum TCursorType { ctUnspecified, ctOpenForwardOnly, ctKeyset, ctDynamic, ctStatic };
enum TADOLockType { ltUnspecified, ltReadOnly, ltPessimistic, ltOptimistic, ltBatchOptimistic };
enum TCommandType { cmdUnknown, cmdText, cmdTable, cmdStoredProc, cmdFile, cmdTableDirect };
enum TParameterDirection { pdUnknown, pdInput, pdOutput, pdInputOutput, pdReturnValue };
enum TExecuteOption { eoAsyncExecute, eoAsyncFetch, eoAsyncFetchNonBlocking, eoExecuteNoRecords };
using TExecuteOptions = TSet<TExecuteOption>;

// Quoting for the two connection-string forms, for code that builds them
// from typed text: OLE DB form ("Password=...") and ODBC form ("PWD=...").
String QuoteConnectionValue(const String& Value);       // "…" with '"' doubled when needed
String QuoteOdbcConnectionValue(const String& Value);   // {…} with '}' doubled

// The ODBC connection string a connection string stands for: the OLE DB form
// of the ODBC provider (Provider=MSDASQL.1;Password=…;User ID=…;Data Source=…)
// or an ODBC driver string (DRIVER={…};SERVER=…). Both get the same driver
// options for type mapping; every value is quoted for the driver.
String OdbcConnectionString(const String& ConnectionString);

// Names for statement text. QuoteIdent quotes one name as it is ('"'
// doubled). QuoteTable quotes "table" or "schema.table", keeping parts
// already in double quotes; EDatabaseError for text that is no such name.
String QuoteIdent(const String& Name);
String QuoteTable(const String& Table);

// ---------------------------------------------------------------------------
// Parameters

class TParameter : public TCollectionItem {
  VELMORA_CLASS(TParameter)
public:
  explicit TParameter(TCollection* Collection);
  const String& Name() const { return FName; }
  void SetName(const String& Value) { FName = Value; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType Value) { FDataType = Value; }
  TParameterDirection Direction() const { return FDirection; }
  void SetDirection(TParameterDirection Value) { FDirection = Value; }
  Integer Size() const { return FSize; }
  void SetSize(Integer Value) { FSize = Value; }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value) { FPrecision = Value; }
  Integer NumericScale() const { return FNumericScale; }
  void SetNumericScale(Integer Value) { FNumericScale = Value; }
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& V);
  String DisplayName() const override { return FName; }
  void Assign(TPersistent* Source) override;
  // The value as it is bound to the statement.
  odbc::TParam ToOdbc() const;

protected:
  // The value is stored beside the published properties ("Value = Null").
  void DefineProperties(TFiler& Filer) override;

private:
  String FName;
  TFieldType FDataType = ftUnknown;
  TParameterDirection FDirection = pdInput;
  Integer FSize = 0;
  Integer FPrecision = 0;
  Integer FNumericScale = 0;
  Variant FValue;
};

class TParameters : public TCollection {
  VELMORA_CLASS(TParameters)
public:
  explicit TParameters(TPersistent* Owner = nullptr);
  TParameter* AddParameter();
  TParameter* CreateParameter(const String& Name, TFieldType DataType, TParameterDirection Direction,
                              Integer Size, const Variant& Value);
  TParameter* FindParam(const String& Name) const;     // ignoring case
  TParameter* ParamByName(const String& Name) const;   // "Parameter '%s' not found"
  TParameter* Items(Integer Index) const { return static_cast<TParameter*>(TCollection::Items(Index)); }
  TParameter* operator[](Integer Index) const { return Items(Index); }
  Variant ParamValues(const String& Name) const { return ParamByName(Name)->Value(); }
  void SetParamValues(const String& Name, const Variant& V) { ParamByName(Name)->SetValue(V); }
  // Rebuilds the list from the ":name" marks of a statement, keeping the
  // settings and values of names that stay; answers the ODBC text.
  String ParseSQL(const String& SQL, bool DoCreate);
  // The parameters in statement order (a name may be bound twice).
  std::vector<odbc::TParam> Bind(const QStringList& Names) const;

protected:
  TPersistent* GetOwner() const override { return FOwner; }

private:
  TPersistent* FOwner;
};

// ---------------------------------------------------------------------------
// Connection

using TConnectionNotifyEvent = std::function<void(TObject* Sender)>;

using TLoginEvent = std::function<void(TObject* Sender, const String& Username, const String& Password)>;

class TADOConnection : public TComponent {
  VELMORA_CLASS(TADOConnection)
  using inherited = TComponent;
public:
  explicit TADOConnection(TComponent* AOwner);
  ~TADOConnection() override;

  const String& ConnectionString() const { return FConnectionString; }
  void SetConnectionString(const String& Value);
  bool Connected() const { return FOdbc.Connected(); }
  void SetConnected(bool Value);
  void Open();
  void Open(const String& UserID, const String& Password);
  void Close();
  bool LoginPrompt() const { return FLoginPrompt; }
  void SetLoginPrompt(bool Value) { FLoginPrompt = Value; }
  bool KeepConnection() const { return FKeepConnection; }
  void SetKeepConnection(bool Value) { FKeepConnection = Value; }
  Integer ConnectionTimeout() const { return FConnectionTimeout; }
  void SetConnectionTimeout(Integer Value) { FConnectionTimeout = Value; }
  Integer CommandTimeout() const { return FCommandTimeout; }
  void SetCommandTimeout(Integer Value) { FCommandTimeout = Value; }
  const String& Provider() const { return FProvider; }
  void SetProvider(const String& Value) { FProvider = Value; }
  TCursorLocation CursorLocation() const { return FCursorLocation; }
  void SetCursorLocation(TCursorLocation Value) { FCursorLocation = Value; }

  // Transactions; BeginTrans answers the nesting level (1).
  Integer BeginTrans();
  void CommitTrans();
  void RollbackTrans();
  bool InTransaction() const { return FOdbc.InTransaction(); }

  // Runs a statement that returns no rows; answers the rows it changed.
  Integer Execute(const String& CommandText);

  Integer DataSetCount() const { return Integer(FDataSets.size()); }
  TCustomADODataSet* DataSets(Integer Index) const { return FDataSets[std::size_t(Index)]; }

  // Runs a statement (":name" parameters already replaced by "?"). A lost
  // link raises EConnectionLost and is dropped; the open datasets keep their
  // rows, and the next statement connects again with the same account.
  std::unique_ptr<odbc::TRowStore> ExecuteOdbc(const String& OdbcSql, const std::vector<odbc::TParam>& Params,
                                               std::int64_t* RowsAffected = nullptr);
  // Primary-key columns of a table ("schema.table"), cached.
  QStringList PrimaryKeyOf(const String& Table);

  TConnectionNotifyEvent BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;
  // With LoginPrompt, after the login dialog and before connecting, with
  // the account that will be used.
  TLoginEvent OnLogin;

protected:
  friend class TCustomADODataSet;
  void Loaded() override;
  void RegisterDataSet(TCustomADODataSet* DataSet);
  void UnRegisterDataSet(TCustomADODataSet* DataSet);

private:
  String FConnectionString;
  bool FLoginPrompt = true;
  bool FKeepConnection = true;
  bool FStreamedConnected = false;
  Integer FConnectionTimeout = 15;
  Integer FCommandTimeout = 30;
  String FProvider = QStringLiteral("MSDASQL.1");
  TCursorLocation FCursorLocation = clUseClient;
  odbc::TConnection FOdbc;
  // The driver string of the last open and whether the server dropped it.
  String FOpenedWith;
  bool FLost = false;
  void DropLostLink();
  void Reconnect();
  std::vector<TCustomADODataSet*> FDataSets;
  std::vector<std::pair<String, QStringList>> FKeyCache;
};

// ---------------------------------------------------------------------------
// Datasets

class TCustomADODataSet : public TDataSet {
  VELMORA_CLASS(TCustomADODataSet)
  using inherited = TDataSet;
public:
  explicit TCustomADODataSet(TComponent* AOwner);
  ~TCustomADODataSet() override;

  TADOConnection* Connection() const { return FConnection; }
  void SetConnection(TADOConnection* Value);
  TCursorType CursorType() const { return FCursorType; }
  void SetCursorType(TCursorType Value) { FCursorType = Value; }
  TCursorLocation CursorLocation() const { return FCursorLocation; }
  void SetCursorLocation(TCursorLocation Value) { FCursorLocation = Value; }
  TADOLockType LockType() const { return FLockType; }
  void SetLockType(TADOLockType Value) { FLockType = Value; }
  // "field [ASC|DESC], ..."; applied to the fetched rows.
  const String& Sort() const { return FSort; }
  void SetSort(const String& Value);
  TParameters* Parameters() const { return FParameters.get(); }
  bool Prepared() const { return FPrepared; }
  void SetPrepared(bool Value) { FPrepared = Value; }
  Integer RowsAffected() const { return FRowsAffected; }
  // Runs the statement again and shows its rows from the first one.
  void Requery();

  bool IsSequenced() const override { return true; }
  bool BookmarkValid(const TBookmark& Bookmark) const override;
  Integer CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) const override;
  bool Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options) override;
  Variant Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields) override;
  TUpdateStatus UpdateStatus() const override;
  void SetOnFilterRecord(const TFilterRecordEvent& Value) override;

  // The fetched rows (for tests and the benchmark).
  const odbc::TRowStore* RowStore() const { return FStore.get(); }
  // Shows rows fetched elsewhere (the result of a command).
  void AttachRows(std::unique_ptr<odbc::TRowStore> Store);

protected:
  // The statement text with ":name" parameters, and the table written back to.
  virtual String CommandSQL() const = 0;
  virtual String UpdateTableName() const;
  // Whether columns the driver knows no table of belong to the written table.
  virtual bool WritesAllColumns() const { return false; }
  void CheckConnection() const;

  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer& Buffer) override;
  void InternalInitRecord(TRecordBuffer Buffer) override;
  TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return FStore != nullptr; }
  void InternalInitFieldDefs() override;
  void InternalFirst() override;
  void InternalLast() override;
  void InternalRefresh() override;
  void InternalGotoBookmark(const TBookmark& Bookmark) override;
  void InternalSetToRecord(TRecordBuffer Buffer) override;
  TBookmark GetBookmarkData(TRecordBuffer Buffer) const override;
  void SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data) override;
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) const override;
  void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override;
  Integer GetRecordCount() const override;
  Integer GetRecNo() const override;
  void SetRecNoValue(Integer Value) override;
  void InternalEdit() override;
  void InternalPost() override;
  void InternalCancel() override;
  void InternalDelete() override;
  void InternalAddRecord(TRecordBuffer Buffer, bool Append) override;
  bool GetCanModify() const override;
  bool GetFieldData(TField* Field, Variant& Value) const override;
  void SetFieldData(TField* Field, const Variant& Value) override;
  Variant GetOldFieldValue(TField* Field) const override;
  void ClearCalcFields(TRecordBuffer Buffer) override;
  void SetFiltered(bool Value) override;
  void SetFilterText(const String& Value) override;
  void SetFilterOptions(TFilterOptions Value) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // Runs the statement and keeps its rows.
  virtual void Execute();
  bool FReadOnlyCursor = false;
  Integer FRowsAffected = -1;

private:
  struct TRecBuf;
  TRecBuf* Buf(TRecordBuffer Buffer) const { return reinterpret_cast<TRecBuf*>(Buffer); }
  int ColumnOfField(const TField* Field) const;
  Variant CellValue(int Row, int Col) const;
  Variant ExactCellValue(int Row, int Col) const;
  void RebuildView(bool KeepPosition);
  void SortView(const std::vector<adofilter::TSortKey>& Keys);
  template <std::size_t NK, class KeyOf>
  void SortPacked(std::size_t Count, KeyOf Key);
  std::unique_ptr<adofilter::TFilter> MakeFilter(const String& Text) const;
  int ColumnOfName(const String& Name) const;
  void ApplyFilter(const String& Text, bool Filtered);
  int ViewIndexOfRow(int Row) const;
  void WriteRow(TRecBuf& B, bool Inserting);
  String WriteColumnName(int Col) const;
  bool TableColumn(int Col, const String& Table) const;
  odbc::TParam WriteParam(int Col, const Variant& Value) const;
  String WhereOfRow(int Row, const String& Table, std::vector<odbc::TParam>& Params);
  String CheckedUpdateTable() const;
  bool RowMatches(int Row, const std::vector<int>& Cols, const Variant& KeyValues, TLocateOptions Options) const;
  void GotoViewIndex(int Index);

  TADOConnection* FConnection = nullptr;
  TCursorType FCursorType = ctKeyset;
  TCursorLocation FCursorLocation = clUseClient;
  TADOLockType FLockType = ltOptimistic;
  String FSort;
  std::unique_ptr<TParameters> FParameters;
  bool FPrepared = false;
  std::unique_ptr<odbc::TRowStore> FStore;
  std::unique_ptr<odbc::TRowStore> FAttached;
  std::unique_ptr<adofilter::TFilter> FFilter;
  std::vector<int> FView;          // store rows in view order
  std::vector<int> FViewPos;       // store row -> view index, -1 when hidden
  std::vector<bool> FDeleted;      // store rows deleted through this dataset
  int FRecPos = -1;                // cursor: view index, -1 before first
  std::vector<int> FFieldCol;      // field index -> store column (-1 calculated)
};

class TADOQuery : public TCustomADODataSet {
  VELMORA_CLASS(TADOQuery)
public:
  explicit TADOQuery(TComponent* AOwner);
  ~TADOQuery() override;
  TStrings* SQL() const { return FSQL.get(); }
  void SetSQL(TStrings* Value);
  bool ParamCheck() const { return FParamCheck; }
  void SetParamCheck(bool Value) { FParamCheck = Value; }
  // Runs a statement that returns no rows; answers the rows it changed.
  Integer ExecSQL();
protected:
  String CommandSQL() const override;
private:
  void SQLChanged();
  std::unique_ptr<TStringList> FSQL;
  bool FParamCheck = true;
};

class TADOTable : public TCustomADODataSet {
  VELMORA_CLASS(TADOTable)
public:
  explicit TADOTable(TComponent* AOwner);
  const String& TableName() const { return FTableName; }
  void SetTableName(const String& Value);
  const String& IndexFieldNames() const { return FIndexFieldNames; }
  void SetIndexFieldNames(const String& Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool TableDirect() const { return FTableDirect; }
  void SetTableDirect(bool Value) { FTableDirect = Value; }
protected:
  String CommandSQL() const override;
  String UpdateTableName() const override { return FTableName; }
  bool WritesAllColumns() const override { return true; }
private:
  String FTableName;
  String FIndexFieldNames;
  bool FReadOnly = false;
  bool FTableDirect = false;
};

// A dataset over a command text or over rows returned by a command.
class TADODataSet : public TCustomADODataSet {
  VELMORA_CLASS(TADODataSet)
public:
  explicit TADODataSet(TComponent* AOwner);
  const String& CommandText() const { return FCommandText; }
  void SetCommandText(const String& Value);
protected:
  String CommandSQL() const override { return FCommandText; }
  void Execute() override;
private:
  String FCommandText;
};

class TADOCommand : public TComponent {
  VELMORA_CLASS(TADOCommand)
public:
  explicit TADOCommand(TComponent* AOwner);
  ~TADOCommand() override;
  TADOConnection* Connection() const { return FConnection; }
  void SetConnection(TADOConnection* Value);
  const String& CommandText() const { return FCommandText; }
  void SetCommandText(const String& Value);
  TCommandType CommandType() const { return FCommandType; }
  void SetCommandType(TCommandType Value) { FCommandType = Value; }
  Integer CommandTimeout() const { return FCommandTimeout; }
  void SetCommandTimeout(Integer Value) { FCommandTimeout = Value; }
  TExecuteOptions ExecuteOptions() const { return FExecuteOptions; }
  void SetExecuteOptions(TExecuteOptions Value) { FExecuteOptions = Value; }
  TParameters* Parameters() const { return FParameters.get(); }
  bool Prepared() const { return FPrepared; }
  void SetPrepared(bool Value) { FPrepared = Value; }
  bool ParamCheck() const { return FParamCheck; }
  void SetParamCheck(bool Value) { FParamCheck = Value; }

  // Runs the command. The rows it returns (INSERT … RETURNING id), if any,
  // come back as an open dataset; otherwise the answer is null.
  std::unique_ptr<TADODataSet> Execute();
  std::unique_ptr<TADODataSet> Execute(Integer& RecordsAffected);
  Integer RowsAffected() const { return FRowsAffected; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TADOConnection* FConnection = nullptr;
  String FCommandText;
  TCommandType FCommandType = cmdText;
  Integer FCommandTimeout = 30;
  TExecuteOptions FExecuteOptions;
  std::unique_ptr<TParameters> FParameters;
  bool FPrepared = false;
  bool FParamCheck = true;
  Integer FRowsAffected = -1;
};

// Registers the ADO classes and their published properties (with the
// dataset classes of DB.h).
void RegisterADOClasses();
