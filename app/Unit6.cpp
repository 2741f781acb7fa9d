// Unit6.cpp: the data module: connection, shared datasets, commands, and the
// routines that carry typed values into statements and filters.
#include "app/Unit6.h"

#include "app/Unit23.h"

#include <QRegularExpression>

TDataModule6* DataModule6 = nullptr;

TDataModule6::TDataModule6(TComponent* AOwner) : TDataModule(AOwner) {}

TDataModule6::~TDataModule6()
{
  if (DataModule6 == this)
    DataModule6 = nullptr;
}

// The stored description holds every component; the members point at them.
void TDataModule6::Loaded()
{
  inherited::Loaded();
  ADO_DB = OwnedComponent<TADOConnection>(this, "ADO_DB");
  workers = OwnedComponent<TADOQuery>(this, "workers");
  department = OwnedComponent<TADOQuery>(this, "department");
  staffpos = OwnedComponent<TADOQuery>(this, "staffpos");
  role = OwnedComponent<TADOQuery>(this, "role");
  jur_person = OwnedComponent<TADOQuery>(this, "jur_person");
  nomenclature = OwnedComponent<TADOQuery>(this, "nomenclature");
  operation_type = OwnedComponent<TADOQuery>(this, "operation_type");
  operation = OwnedComponent<TADOQuery>(this, "operation");
  proc_tech = OwnedComponent<TADOQuery>(this, "proc_tech");
  inventory_items = OwnedComponent<TADOQuery>(this, "inventory_items");
  msm = OwnedComponent<TADOTable>(this, "msm");
  user = OwnedComponent<TADOQuery>(this, "user");
  ver = OwnedComponent<TADOTable>(this, "ver");
  cmd_all = OwnedComponent<TADOCommand>(this, "cmd_all");
  H_Tabel_ins = OwnedComponent<TADOCommand>(this, "H_Tabel_ins");
  DelSmena = OwnedComponent<TADOCommand>(this, "DelSmena");
  Control = OwnedComponent<TADOQuery>(this, "Control");
  stock = OwnedComponent<TADOQuery>(this, "stock");
  stock_in = OwnedComponent<TADOQuery>(this, "stock_in");
  app_doc = OwnedComponent<TADOQuery>(this, "app_doc");
  app_spec = OwnedComponent<TADOQuery>(this, "app_spec");
  spec_out = OwnedComponent<TADOQuery>(this, "spec_out");
  Smena1 = OwnedComponent<TADOQuery>(this, "Smena1");
  Smena2 = OwnedComponent<TADOQuery>(this, "Smena2");
  Smena3 = OwnedComponent<TADOQuery>(this, "Smena3");
  Smena4 = OwnedComponent<TADOQuery>(this, "Smena4");
  H_Tabel_1 = OwnedComponent<TADOQuery>(this, "H_Tabel_1");
  H_Tabel_2 = OwnedComponent<TADOQuery>(this, "H_Tabel_2");
  H_Tabel_3 = OwnedComponent<TADOQuery>(this, "H_Tabel_3");
  w_Report = OwnedComponent<TADOQuery>(this, "w_Report");
  i_Report = OwnedComponent<TADOQuery>(this, "i_Report");
  // The stored connection opens here, before its own loading would open it,
  // so that a refusal is told in the client's words.
  try {
    ADO_DB->Open();
  } catch (const EOleException& E) {
    throw ENoDatabase(StartConnectionFailureText(ADO_DB->ConnectionString(), E.SqlState(), E.Message()));
  }
}

String TDataModule6::FormatSqlDecimal(const String& Text) const
{
  if (Text.isEmpty())
    return QStringLiteral("0");
  qsizetype At = Text.indexOf(u',');
  if (At < 0)
    At = Text.indexOf(u'.');
  if (At < 0)
    return Text;
  // Before the first version check (or with an empty ver.delim) the number
  // must keep its separator: the server reads "." as one.
  const String Separator = DbDecimalSeparator.isEmpty() ? QStringLiteral(".") : DbDecimalSeparator;
  String Result = Text;
  Result.replace(At, 1, Separator);
  return Result;
}

void ExecuteCommand(const String& CommandText, std::initializer_list<std::pair<const char*, Variant>> Values)
{
  ExecuteCommand(DataModule6->cmd_all, CommandText, Values);
}

void ExecuteCommand(TADOCommand* Cmd, const String& CommandText,
                    std::initializer_list<std::pair<const char*, Variant>> Values)
{
  Cmd->SetCommandText(CommandText);
  // Every parameter gets a value now: a name that stays from the previous
  // text would otherwise keep its old one.
  for (Integer I = 0; I < Cmd->Parameters()->Count(); ++I)
    Cmd->Parameters()->Items(I)->SetValue(Null);
  for (const auto& [Name, Value] : Values)
    Cmd->Parameters()->ParamByName(QString::fromLatin1(Name))->SetValue(Value);
  Cmd->Execute();
}

bool TypedDecimal(const String& Text, Currency& Value)
{
  if (Text.isEmpty()) {
    Value = Currency();
    return true;
  }
  static const QRegularExpression Number(QStringLiteral("^(?:[0-9]+[.,]?[0-9]*|[.,][0-9]+)$"));
  if (!Number.match(Text).hasMatch())
    return false;
  TFormatSettings Settings;
  Settings.DecimalSeparator = QLatin1Char('.');
  String Plain = Text;
  Plain.replace(u',', u'.');
  if (Plain.endsWith(u'.'))
    Plain.chop(1);
  if (Plain.startsWith(u'.'))
    Plain.prepend(u'0');
  return TryStrToCurr(Plain, Value, Settings);
}

void SearchBoxKeyDown(TDataSet* DataSet, Word& Key)
{
  if (Key == VK_UP)
    DataSet->Prior();
  else if (Key == VK_DOWN)
    DataSet->Next();
  Key = 0;
}

void WheelToFocusedBox(std::initializer_list<TWinControl*> Boxes, Word Key)
{
  for (TWinControl* Box : Boxes)
    if (Box->Focused())
      Box->Perform(WM_KEYDOWN, Key, 0);
}

void SetPrefixFilter(TDataSet* DataSet, const String& FieldName, const String& Text)
{
  if (Text.isEmpty()) {
    DataSet->SetFilteredValue(false);
    DataSet->SetOnFilterRecord(nullptr);
    return;
  }
  DataSet->SetOnFilterRecord([FieldName, Text](TDataSet* Set, bool& Accept) {
    Accept = Set->FieldByName(FieldName)->AsString().startsWith(Text, Qt::CaseInsensitive);
  });
  DataSet->SetFilteredValue(true);
}

void RestoreRecNo(TDataSet* DataSet, Integer RecNo)
{
  if (RecNo >= 1 && DataSet->RecordCount() >= RecNo)
    DataSet->SetRecNo(RecNo);
}

TComponent* FormObject(const char* Name)
{
  return Application->FindComponent(QString::fromLatin1(Name));
}

void RegisterUnit6Classes()
{
  RegisterClassInfo<TDataModule6, TDataModule>("TDataModule6");
}
