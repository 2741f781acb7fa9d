// DataDriverEhSQL.cpp: the SQL data driver, its commands and macros.
#include "gridlib/memtable/DataDriverEh.h"

#include "gridlib/foundation/DynVarsEh.h"
#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/SysUtils.h"

// ---------------------------------------------------------------------------
// Checking what goes into a statement.

static bool IsSqlNameStart(QChar C) { return C.isLetter() || C == u'_'; }
static bool IsSqlNameChar(QChar C) { return C.isLetterOrNumber() || C == u'_' || C == u'$'; }

void CheckSQLFragmentEh(const String& Text, const String& What)
{
  auto Refuse = [&](const char* Why) {
    DatabaseError(QStringLiteral("%1 is not accepted: %2").arg(What, QString::fromLatin1(Why)));
  };
  Integer Depth = 0;
  const qsizetype N = Text.size();
  for (qsizetype I = 0; I < N; ++I) {
    const QChar C = Text[I];
    if (C == u'\'' || C == u'"') {
      qsizetype J = I + 1;
      for (; J < N; ++J)
        if (Text[J] == C) {
          if (J + 1 < N && Text[J + 1] == C) {
            ++J;
            continue;
          }
          break;
        }
      if (J >= N)
        Refuse("an unclosed quote");
      I = J;
    } else if (C == u'$' && I + 1 < N && (Text[I + 1] == u'$' || IsSqlNameStart(Text[I + 1])) &&
               (I == 0 || !IsSqlNameChar(Text[I - 1]))) {
      Refuse("dollar quoting");
    } else if (C == u';') {
      Refuse("a statement separator");
    } else if ((C == u'-' && I + 1 < N && Text[I + 1] == u'-') || (C == u'/' && I + 1 < N && Text[I + 1] == u'*') ||
               (C == u'*' && I + 1 < N && Text[I + 1] == u'/')) {
      Refuse("a comment");
    } else if (C == u'\\') {
      Refuse("a backslash outside quotes");
    } else if (C == u'(') {
      ++Depth;
    } else if (C == u')') {
      if (--Depth < 0)
        Refuse("an unopened parenthesis");
    }
  }
  if (Depth != 0)
    Refuse("an unclosed parenthesis");
}

void CheckSQLOrderByEh(const String& Text)
{
  auto Refuse = [&] { DatabaseError(QStringLiteral("Sort order text is not a list of columns: %1").arg(Text)); };
  const qsizetype N = Text.size();
  qsizetype I = 0;
  auto SkipBlanks = [&] {
    while (I < N && Text[I].isSpace())
      ++I;
  };
  // A word of letters (ASC, DESC, NULLS, FIRST, LAST).
  auto Word = [&]() -> String {
    const qsizetype S = I;
    while (I < N && Text[I].isLetter())
      ++I;
    return Text.mid(S, I - S).toUpper();
  };
  auto Name = [&]() -> bool {
    if (I < N && Text[I] == u'"') {
      qsizetype J = I + 1;
      for (; J < N; ++J)
        if (Text[J] == u'"') {
          if (J + 1 < N && Text[J + 1] == u'"') {
            ++J;
            continue;
          }
          break;
        }
      if (J >= N || J == I + 1)
        return false;
      I = J + 1;
      return true;
    }
    if (I < N && IsSqlNameStart(Text[I])) {
      while (I < N && IsSqlNameChar(Text[I]))
        ++I;
      return true;
    }
    return false;
  };
  for (;;) {
    SkipBlanks();
    if (I < N && Text[I].isDigit()) {
      while (I < N && Text[I].isDigit())
        ++I;
    } else {
      if (!Name())
        Refuse();
      while (I < N && Text[I] == u'.') {
        ++I;
        if (!Name())
          Refuse();
      }
    }
    SkipBlanks();
    qsizetype Mark = I;
    String W = Word();
    if (W == QLatin1String("ASC") || W == QLatin1String("DESC")) {
      SkipBlanks();
      Mark = I;
      W = Word();
    }
    if (W == QLatin1String("NULLS")) {
      SkipBlanks();
      W = Word();
      if (W != QLatin1String("FIRST") && W != QLatin1String("LAST"))
        Refuse();
    } else {
      I = Mark;
      if (!W.isEmpty())
        Refuse();
    }
    SkipBlanks();
    if (I >= N)
      return;
    if (Text[I] != u',')
      Refuse();
    ++I;
  }
}

// ---------------------------------------------------------------------------
// SQL macros.

void TSpecMacrosEh::Assign(TPersistent* Source)
{
  if (auto* S = dynamic_cast<TSpecMacrosEh*>(Source)) {
    FFilterMacroName = S->FFilterMacroName;
    FSortOrderMacroName = S->FSortOrderMacroName;
    FMacroVars->MacroVarsChanged();
    return;
  }
  TPersistent::Assign(Source);
}

void TSpecMacrosEh::SetFilterMacroName(const String& Value)
{
  FFilterMacroName = Value;
  FMacroVars->MacroVarsChanged();
}

void TSpecMacrosEh::SetSortOrderMacroName(const String& Value)
{
  FSortOrderMacroName = Value;
  FMacroVars->MacroVarsChanged();
}

void TSpecMacrosEh::SetFilterMacroValue(const String& Value)
{
  CheckSQLFragmentEh(Value, QStringLiteral("Filter text"));
  FFilterMacroValue = Value;
  FMacroVars->MacroVarsChanged();
}

void TSpecMacrosEh::SetSortOrderMacroValue(const String& Value)
{
  CheckSQLFragmentEh(Value, QStringLiteral("Sort order text"));
  FSortOrderMacroValue = Value;
  FMacroVars->MacroVarsChanged();
}

TMacroVarsEh::TMacroVarsEh(TCustomSQLDataDriverEh* ADataDriver)
  : FDataDriver(ADataDriver), FMacros(std::make_unique<TStringVarsEh>(this)),
    FSpecMacros(std::make_unique<TSpecMacrosEh>(this))
{
  FMacros->OnChange = [this](TObject*) { MacroVarsChanged(); };
}

TMacroVarsEh::~TMacroVarsEh()
{
  FMacros->OnChange = nullptr;
}

void TMacroVarsEh::Assign(TPersistent* Source)
{
  if (auto* S = dynamic_cast<TMacroVarsEh*>(Source)) {
    FSpecMacros->Assign(S->FSpecMacros.get());
    FSpecMacrosUsages = S->FSpecMacrosUsages;
    FMacros->Assign(S->FMacros.get());
    MacroVarsChanged();
    return;
  }
  TPersistent::Assign(Source);
}

void TMacroVarsEh::SetSpecMacrosUsages(TSpecMacrosUsagesEh Value)
{
  FSpecMacrosUsages = Value;
  MacroVarsChanged();
}

void TMacroVarsEh::MacroVarsChanged()
{
  if (FDataDriver)
    FDataDriver->MacroVarsChanged();
}

String TMacroVarsEh::SubstituteMacro(const String& Text, const String& MacroName, const String& MacroValue)
{
  if (MacroName.isEmpty())
    return Text;
  String Result;
  qsizetype Pos = 0;
  for (;;) {
    const qsizetype Found = Text.indexOf(MacroName, Pos, Qt::CaseSensitive);
    if (Found < 0) {
      Result += QStringView(Text).mid(Pos);
      return Result;
    }
    Result += QStringView(Text).mid(Pos, Found - Pos);
    Result += MacroValue;
    Pos = Found + MacroName.size();
  }
}

// ---------------------------------------------------------------------------
// SQL commands.

TCustomSQLCommandEh::TCustomSQLCommandEh(TCustomSQLDataDriverEh* ADataDriver)
  : FCommandText(std::make_unique<TStringList>()), FDataDriver(ADataDriver),
    FFinalCommandText(std::make_unique<TStringList>())
{
  FCommandText->OnChange = [this](TObject*) { CommandTextChanged(); };
}

TCustomSQLCommandEh::~TCustomSQLCommandEh()
{
  FCommandText->OnChange = nullptr;
}

void TCustomSQLCommandEh::Assign(TPersistent* Source)
{
  if (auto* S = dynamic_cast<TCustomSQLCommandEh*>(Source)) {
    FCommandText->Assign(S->FCommandText.get());
    SetCommandType(S->GetCommandType());
    return;
  }
  TPersistent::Assign(Source);
}

TPersistent* TCustomSQLCommandEh::GetOwner() const { return FDataDriver; }

TSQLCommandTypeEh TCustomSQLCommandEh::DefaultCommandType() const
{
  return FDataDriver ? FDataDriver->DefaultCommandType(this) : cthSelectQuery;
}

String TCustomSQLCommandEh::GetCommandText() const { return FCommandText->Text(); }

void TCustomSQLCommandEh::SetCommandText(const String& Value) { FCommandText->SetText(Value); }

void TCustomSQLCommandEh::CommandTextChanged()
{
  if (FDataDriver)
    FDataDriver->CommandTextChanged(this);
  FFinalCommandTextObsolete = true;
}

TStrings* TCustomSQLCommandEh::FinalCommandText()
{
  if (FFinalCommandTextObsolete)
    FormFinalCommandText();
  return FFinalCommandText.get();
}

void TCustomSQLCommandEh::FormFinalCommandText()
{
  String Text = FCommandText->Text();
  if (FDataDriver) {
    TMacroVarsEh* Macros = FDataDriver->MacroVars();
    const TSpecMacrosUsagesEh Usages = Macros->SpecMacrosUsages();
    TSpecMacrosEh* Special = Macros->SpecMacros();
    if (Usages.Contains(smuUseFilterMacroEh))
      Text = TMacroVarsEh::SubstituteMacro(Text, Special->FilterMacroName(), Special->FilterMacroValue());
    if (Usages.Contains(smuUseSortOrderMacroEh))
      Text = TMacroVarsEh::SubstituteMacro(Text, Special->SortOrderMacroName(), Special->SortOrderMacroValue());
    TStringVarsEh* Vars = Macros->Macros();
    for (Integer I = 0; I < Vars->Count(); ++I) {
      const String Value = Vars->Items(I)->Value();
      CheckSQLFragmentEh(Value, QStringLiteral("Macro %1").arg(Vars->Items(I)->Name()));
      Text = TMacroVarsEh::SubstituteMacro(Text, Vars->Items(I)->Name(), Value);
    }
  }
  FFinalCommandText->SetText(Text);
  FFinalCommandTextObsolete = false;
}

void TCustomSQLCommandEh::RefreshParams(TMemoryRecordEh* MemRecord, TDataValueVersionEh DataValueVersion)
{
  (void)MemRecord;
  (void)DataValueVersion;
}

Integer TCustomSQLCommandEh::Execute(TDataSet*& Cursor, bool& FreeOnEof)
{
  Cursor = nullptr;
  FreeOnEof = false;
  bool Processed = false;
  if (FDataDriver) {
    if (IConnectionProviderEh* Provider = FDataDriver->GetConnectionProvider()) {
      const Integer Result = Provider->ExecuteCommand(FDataDriver, this, Processed, FreeOnEof, Cursor);
      if (Processed)
        return Result;
    }
  }
  if (TSQLDataDriverResolver* Resolver = GetSQLDataDriverResolver()) {
    const Integer Result = Resolver->ExecuteCommand(FDataDriver, this, Cursor, FreeOnEof, Processed);
    if (Processed)
      return Result;
  }
  // A statement that nothing ran must not pass for one that ran.
  DatabaseError(QStringLiteral("The SQL data driver has no connection to execute its command"));
}

// ---------------------------------------------------------------------------
// SQL data driver.

TCustomSQLDataDriverEh::TCustomSQLDataDriverEh(TComponent* AOwner)
  : TDataDriverEh(AOwner), FDynaSQLParams(std::make_unique<TDynaSQLParamsEh>(this)),
    FSpecParams(std::make_unique<TStringList>())
{
  FResolveToDataSet = false;
  FMacroVars = std::make_unique<TMacroVarsEh>(this);
  CreateCommands();
}

TCustomSQLDataDriverEh::~TCustomSQLDataDriverEh()
{
  // The commands tell the driver of changes while they go: not any more.
  FMacroVars.reset();
}

void TCustomSQLDataDriverEh::CreateCommands()
{
  FSelectCommand.reset();
  FSelectCommand = CreateSelectCommand();
  FUpdateCommand = CreateUpdateCommand();
  FInsertCommand = CreateInsertCommand();
  FDeleteCommand = CreateDeleteCommand();
  FGetrecCommand = CreateGetrecCommand();
  for (TCustomSQLCommandEh* C : {FSelectCommand.get(), FUpdateCommand.get(), FInsertCommand.get(),
                                 FDeleteCommand.get(), FGetrecCommand.get()})
    C->SetCommandType(C->DefaultCommandType());
  FServiceCommand = CreateCommand();
}

std::unique_ptr<TCustomSQLCommandEh> TCustomSQLDataDriverEh::CreateCommand()
{
  return std::make_unique<TCustomSQLCommandEh>(this);
}

TSQLCommandTypeEh TCustomSQLDataDriverEh::DefaultCommandType(const TCustomSQLCommandEh* Command) const
{
  if (Command == FSelectCommand.get() || Command == FGetrecCommand.get() || !FGetrecCommand)
    return cthSelectQuery;
  return cthUpdateQuery;
}

void TCustomSQLDataDriverEh::CommandTextChanged(TCustomSQLCommandEh* Command)
{
  if (Command && Command == FSelectCommand.get())
    if (auto* Link = dynamic_cast<TDataDriverConsumerLinkEh*>(GetDataDriverConsumer()))
      Link->DriverStructChanged();
}

void TCustomSQLDataDriverEh::MacroVarsChanged()
{
  for (TCustomSQLCommandEh* C : {FSelectCommand.get(), FUpdateCommand.get(), FInsertCommand.get(),
                                 FDeleteCommand.get(), FGetrecCommand.get()})
    if (C)
      C->FinalCommandTextObsolete();
}

bool TCustomSQLDataDriverEh::ConnectionIsPostponed()
{
  IConnectionProviderEh* Provider = GetConnectionProvider();
  return Provider && Provider->ConnectionIsPostponed();
}

void TCustomSQLDataDriverEh::AddPostponedActivationDataSet(TDataSet* ADataSet)
{
  if (IConnectionProviderEh* Provider = GetConnectionProvider())
    Provider->AddPostponedActivationDataSet(ADataSet);
}

Integer TCustomSQLDataDriverEh::ExecuteCommand(TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool& FreeOnEof)
{
  if (OnExecuteCommand)
    return OnExecuteCommand(this, Command, Cursor, FreeOnEof);
  return DefaultExecuteCommand(Command, Cursor, FreeOnEof);
}

Integer TCustomSQLDataDriverEh::DefaultExecuteCommand(TCustomSQLCommandEh* Command, TDataSet*& Cursor,
                                                      bool& FreeOnEof)
{
  if (HaveDataConnection())
    return Command->Execute(Cursor, FreeOnEof);
  bool Processed = false;
  const Integer Result = GetSQLDataDriverResolver()->ExecuteCommand(this, Command, Cursor, FreeOnEof, Processed);
  if (Processed)
    return Result;
  return Command->Execute(Cursor, FreeOnEof);
}

void TCustomSQLDataDriverEh::DefaultProduceDataReader(TDataSet*& DataSet, bool& FreeOnEof)
{
  if (ProviderDataSet()) {
    inherited::DefaultProduceDataReader(DataSet, FreeOnEof);
    return;
  }
  ExecuteCommand(FSelectCommand.get(), DataSet, FreeOnEof);
}

// Frees a command's cursor at the end when the command handed it over.
namespace {
struct TCursorHolder {
  TDataSet* Cursor = nullptr;
  bool FreeOnEof = false;
  TCursorHolder() = default;
  TCursorHolder(const TCursorHolder&) = delete;
  TCursorHolder& operator=(const TCursorHolder&) = delete;
  ~TCursorHolder()
  {
    if (FreeOnEof)
      delete Cursor;
  }
};
}

void TCustomSQLDataDriverEh::DefaultBuildDataStruct(TMTDataStructEh* DataStruct)
{
  if ((ReaderDataSet() && ReaderDataSet()->Active()) || ProviderDataSet()) {
    inherited::DefaultBuildDataStruct(DataStruct);
    return;
  }
  TCursorHolder Result;
  ExecuteCommand(FSelectCommand.get(), Result.Cursor, Result.FreeOnEof);
  if (!Result.Cursor)
    throw Exception(QStringLiteral("SelectCommand.Execute does not get DataSet"));
  Result.Cursor->Open();
  DataStruct->BuildStructFromFields(Result.Cursor->Fields());
  AdjustBuiltDataStruct(Result.Cursor->Fields(), DataStruct);
  Result.Cursor->Close();
}

void TCustomSQLDataDriverEh::AdjustBuiltDataStruct(TFields* Fields, TMTDataStructEh* DataStruct)
{
  (void)Fields;
  const String Name = FSpecParams->Values(QStringLiteral("AUTO_INCREMENT_FIELD"));
  if (Name.isEmpty())
    return;
  if (auto* Field = dynamic_cast<TMTNumericDataFieldEh*>(DataStruct->FindField(Name)))
    Field->SetAutoIncrement(true);
}

bool TCustomSQLDataDriverEh::IsDynaSQLField(TUpdateStatus UpdateStatus, const String& FieldName) const
{
  return !(UpdateStatus == usInserted && FieldName == FSpecParams->Values(QStringLiteral("AUTO_INCREMENT_FIELD")));
}

bool TCustomSQLDataDriverEh::FilterTextSupported() const
{
  return FMacroVars->SpecMacrosUsages().Contains(smuUseFilterMacroEh);
}

bool TCustomSQLDataDriverEh::OrderByTextSupported() const
{
  return FMacroVars->SpecMacrosUsages().Contains(smuUseSortOrderMacroEh);
}

void TCustomSQLDataDriverEh::ApplyFilterText(const String& FilterText)
{
  const TSpecMacrosUsagesEh Usages = FMacroVars->SpecMacrosUsages();
  TSpecMacrosEh* Special = FMacroVars->SpecMacros();
  if (FilterText.isEmpty()) {
    Special->SetFilterMacroValue(String());
    return;
  }
  // Checked alone first: a text that would close the parenthesis around it
  // must not pass as balanced.
  CheckSQLFragmentEh(FilterText, QStringLiteral("Filter text"));
  if (Usages.Contains(smuFilterAsWhereClauseEh))
    Special->SetFilterMacroValue(QStringLiteral("WHERE ") + FilterText);
  else if (Usages.Contains(smuFilterWithANDPrecedingEh))
    Special->SetFilterMacroValue(QStringLiteral("AND (") + FilterText + QStringLiteral(")"));
}

void TCustomSQLDataDriverEh::ApplyOrderByText(const String& OrderByText)
{
  const TSpecMacrosUsagesEh Usages = FMacroVars->SpecMacrosUsages();
  TSpecMacrosEh* Special = FMacroVars->SpecMacros();
  if (OrderByText.isEmpty()) {
    Special->SetSortOrderMacroValue(String());
    return;
  }
  CheckSQLOrderByEh(OrderByText);
  if (Usages.Contains(smuSortOrderAsOrderByClauseEh))
    Special->SetSortOrderMacroValue(QStringLiteral("ORDER BY ") + OrderByText);
  else if (Usages.Contains(smuSortOrderWithCommaPrecedingEh))
    Special->SetSortOrderMacroValue(QStringLiteral(", ") + OrderByText);
}

void TCustomSQLDataDriverEh::SetReaderParamsFromCursor(TDataSet* DataSet)
{
  if (ProviderDataSet()) {
    inherited::SetReaderParamsFromCursor(DataSet);
    return;
  }
  TParams* Params = FSelectCommand->GetParams();
  if (!Params || Params->Count() == 0)
    return;
  SetParamsFromCursorEh(Params, DataSet);
  FSelectCommand->SetParams(Params);
}

bool TCustomSQLDataDriverEh::RefreshReaderParamsFromCursor(TDataSet* DataSet)
{
  if (ProviderDataSet())
    return inherited::RefreshReaderParamsFromCursor(DataSet);
  return ParamsDifferFromCursorEh(FSelectCommand->GetParams(), DataSet);
}

void TCustomSQLDataDriverEh::DefaultRefreshRecord(TMemoryRecordEh* MemRecord)
{
  if (FResolveToDataSet) {
    inherited::DefaultRefreshRecord(MemRecord);
    return;
  }
  FGetrecCommand->RefreshParams(MemRecord, dvvOldestValue);
  TCursorHolder Result;
  ExecuteCommand(FGetrecCommand.get(), Result.Cursor, Result.FreeOnEof);
  if (!Result.Cursor)
    throw Exception(QStringLiteral("There are no fresh record on server"));
  Result.Cursor->Open();
  if (Result.Cursor->IsEmpty())
    throw Exception(QStringLiteral("There are no fresh record on server"));
  TMemTableDataEh* Data = MemRecord->RecordsList()->MemTableData();
  MemRecord->EditForRefresh();
  {
    ScopeExit Post([MemRecord] { MemRecord->Post(); });
    for (Integer I = 0; I < MemRecord->DataStruct()->Count(); ++I)
      AssignFieldValue(Data, MemRecord, I, dvvOldestValue, Result.Cursor);
  }
  ClearFieldMap();
}

Integer TCustomSQLDataDriverEh::DefaultUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec)
{
  bool Processed = false;
  if (IConnectionProviderEh* Provider = GetConnectionProvider()) {
    Provider->UpdateRecord(this, MemTableData, Processed, MemRec);
    if (Processed)
      return 0;
  }
  if (TSQLDataDriverResolver* Resolver = GetSQLDataDriverResolver()) {
    Resolver->UpdateRecord(this, MemTableData, MemRec, Processed);
    if (Processed)
      return 0;
  }
  if (FServerSpecOperations)
    return FServerSpecOperations->UpdateRecord(this, MemTableData, MemRec);
  return DoUpdateRecord(MemTableData, MemRec);
}

Integer TCustomSQLDataDriverEh::DoUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec)
{
  if (FResolveToDataSet)
    return TDataDriverEh::DefaultUpdateRecord(MemTableData, MemRec);
  const TUpdateStatus Status = MemRec->UpdateStatus();
  const TDynaSQLOptionsEh Options = FDynaSQLParams->Options();
  TCustomSQLCommandEh* Command = nullptr;
  if ((Status == usModified && Options.Contains(dsoDynamicSQLUpdateEh)) ||
      (Status == usInserted && Options.Contains(dsoDynamicSQLInsertEh)) ||
      (Status == usDeleted && Options.Contains(dsoDynamicSQLDeleteEh))) {
    GenerateDynamicSQLCommand(MemRec, FServiceCommand.get());
    if (FServiceCommand->CommandText()->Count() == 0)
      return 0;   // nothing changed that the statement would write
    Command = FServiceCommand.get();
  } else {
    switch (Status) {
    case usModified: Command = FUpdateCommand.get(); break;
    case usInserted: Command = FInsertCommand.get(); break;
    case usDeleted: Command = FDeleteCommand.get(); break;
    default: return 0;
    }
  }
  // A change with no statement to write it would pass for written.
  if (Command->FinalCommandText()->Text().trimmed().isEmpty())
    DatabaseError(QStringLiteral("The SQL data driver has no statement to write a changed record"));
  Command->RefreshParams(MemRec, dvvValueEh);
  TCursorHolder Result;
  const Integer Rows = ExecuteCommand(Command, Result.Cursor, Result.FreeOnEof);
  // No row written means the row is gone or was changed by someone else
  // since it was read: a conflict, never an applied change.
  if (Rows == 0)
    throw EUpdateConflictEh(QStringLiteral(
      "The statement of the record changed no row on the server: the row was changed or deleted by another user"));
  GetBackUpdatedValues(MemRec, Command, Result.Cursor);
  return Rows;
}

void TCustomSQLDataDriverEh::GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                  TDataSet* ResDataSet)
{
  if (OnGetBackUpdatedValues)
    OnGetBackUpdatedValues(this, MemRec, Command, ResDataSet);
  else
    DefaultGetUpdatedServerValues(MemRec, Command, ResDataSet);
}

void TCustomSQLDataDriverEh::DefaultGetUpdatedServerValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                           TDataSet* ResDataSet)
{
  bool Processed = false;
  if (IConnectionProviderEh* Provider = GetConnectionProvider()) {
    Provider->GetBackUpdatedValues(this, MemRec, Processed, ResDataSet, Command);
    if (Processed)
      return;
  }
  if (TSQLDataDriverResolver* Resolver = GetSQLDataDriverResolver()) {
    Resolver->GetBackUpdatedValues(this, MemRec, Command, ResDataSet, Processed);
    if (Processed)
      return;
  }
  if (FServerSpecOperations)
    FServerSpecOperations->GetBackUpdatedValues(MemRec, Command, ResDataSet);
}

void TCustomSQLDataDriverEh::GenerateDynamicSQLCommand(TMemoryRecordEh* MemRecord, TCustomSQLCommandEh* Command)
{
  if (FServerSpecOperations) {
    FServerSpecOperations->GenerateDynaSQLCommand(MemRecord, Command);
    return;
  }
  bool Processed = false;
  if (TServerSpecOperationsEh* Ops = GetSQLDataDriverResolver()->GetServerSpecOperations(Processed)) {
    Ops->GenerateDynaSQLCommand(MemRecord, Command);
    return;
  }
  DefaultServerSpecOperationsEh()->GenerateDynaSQLCommand(MemRecord, Command);
}
