// PgSQLDataDriver.h: a small SQL data driver for PostgreSQL over the ADO
// layer, as an application would write one: its commands carry parameters
// named after the fields (":OLD_" + name for the value read from the
// server), bound to the statement, never written into its text.
#pragma once

#include "gridlib/memtable/DataDriverEh.h"
#include "platform/data/ADODB.h"
#include "platform/data/Odbc.h"

#include <memory>

namespace mttest {

class TPgSQLCommand : public TCustomSQLCommandEh {
public:
  using TCustomSQLCommandEh::TCustomSQLCommandEh;

  TParams* GetParams() override
  {
    RebuildParams();
    return &FParams;
  }
  void SetParams(TParams* Value) override
  {
    if (Value != &FParams)
      FParams.Assign(Value);
  }
  // The parameter list follows the marks of the final text, keeping values
  // of names that stay.
  void RebuildParams() override
  {
    QString Odbc;
    QStringList Names;
    odbc::SplitParameters(FinalCommandText()->Text(), Odbc, Names);
    for (Integer I = FParams.Count() - 1; I >= 0; --I)
      if (!Names.contains(FParams.Items(I)->Name(), Qt::CaseInsensitive))
        FParams.Delete(I);
    for (const QString& N : Names)
      if (!FParams.FindParam(N))
        FParams.CreateParam(ftUnknown, N, ptInput);
  }
  void RefreshParams(TMemoryRecordEh* MemRecord, TDataValueVersionEh DataValueVersion) override
  {
    RebuildParams();
    TMTDataStructEh* Struct = MemRecord->DataStruct();
    for (Integer I = 0; I < FParams.Count(); ++I) {
      TParam* P = FParams.Items(I);
      String Name = P->Name();
      TDataValueVersionEh Version = DataValueVersion;
      if (Struct->FieldIndex(Name) < 0 && Name.startsWith(QLatin1String("OLD_"), Qt::CaseInsensitive)) {
        Name = Name.mid(4);
        Version = dvvOldestValue;
      }
      const Integer F = Struct->FieldIndex(Name);
      if (F < 0)
        continue;
      P->SetDataType(Struct->GetDataField(F)->GetDataType());
      P->SetValue(MemRecord->GetDataValue(F, Version));
    }
  }

private:
  TParams FParams;
};

class TPgSQLDataDriver : public TCustomSQLDataDriverEh, public IConnectionProviderEh {
public:
  TPgSQLDataDriver(TComponent* AOwner, TADOConnection* AConnection)
    : TCustomSQLDataDriverEh(AOwner), FConnection(AConnection)
  {
    CreateCommands();
    SetServerSpecOperations(&FPostgreSQL);
  }

  IConnectionProviderEh* GetConnectionProvider() override { return this; }
  Integer Executed() const { return FExecuted; }

  Integer ExecuteCommand(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command, bool& Processed,
                         bool& FreeOnEof, TDataSet*& Cursor) override
  {
    (void)SQLDataDriver;
    ++FExecuted;
    Processed = true;
    const String Text = Command->FinalCommandText()->Text();
    TParams* Params = Command->GetParams();
    auto Bind = [Params](TParameters* Target) {
      if (!Params)
        return;
      for (Integer I = 0; I < Params->Count(); ++I)
        if (TParameter* P = Target->FindParam(Params->Items(I)->Name())) {
          P->SetDataType(Params->Items(I)->DataType());
          P->SetValue(Params->Items(I)->Value());
        }
    };
    if (Command->GetCommandType() == cthSelectQuery) {
      auto Query = std::make_unique<TADOQuery>(nullptr);
      Query->SetConnection(FConnection);
      Query->SQL()->SetText(Text);
      Bind(Query->Parameters());
      Query->Open();
      Cursor = Query.release();
      FreeOnEof = true;
      return Cursor->RecordCount();
    }
    TADOCommand Statement(nullptr);
    Statement.SetConnection(FConnection);
    Statement.SetCommandText(Text);
    Bind(Statement.Parameters());
    Integer Rows = -1;
    if (auto Result = Statement.Execute(Rows)) {
      Cursor = Result.release();
      FreeOnEof = true;
    }
    return Rows;
  }

  bool GetTableFields(const String& Table, TStrings* Fields) override
  {
    TADOQuery Query(nullptr);
    Query.SetConnection(FConnection);
    Query.SQL()->SetText(QStringLiteral(
      "select column_name::varchar from information_schema.columns where table_name = :t order by ordinal_position"));
    Query.Parameters()->ParamByName(QStringLiteral("t"))->SetValue(Table);
    Query.Open();
    for (Query.First(); !Query.Eof(); Query.Next())
      Fields->Add(Query.Fields()->Fields(0)->AsString());
    return true;
  }

protected:
  std::unique_ptr<TCustomSQLCommandEh> CreateCommand() override { return std::make_unique<TPgSQLCommand>(this); }

private:
  TADOConnection* FConnection;
  TPostgreSQLSpecOperationsEh FPostgreSQL;
  Integer FExecuted = 0;
};

}  // namespace mttest
