// DBAxisGridsEhDropDownBox.cpp: the settings of a bar's drop-down list of
// records, the list's dataset and field, and the filter typed text puts on it.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "gridlib/axisgrid/DBLookupUtilsEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/data/FilterExprParser.h"

// ---------------------------------------------------------------------------
// TColumnDropDownBoxEh

TColumnDropDownBoxEh::TColumnDropDownBoxEh(TPersistent* Owner)
  : FOwner(Owner), FSpecRow(std::make_unique<TSpecRowEh>(this))
{
}

TColumnDropDownBoxEh::~TColumnDropDownBoxEh() = default;

void TColumnDropDownBoxEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TColumnDropDownBoxEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  FAlign = Src->FAlign;
  FAutoDrop = Src->FAutoDrop;
  FAutoFitColWidths = Src->FAutoFitColWidths;
  SetColumnDefValues(Src->ColumnDefValues());
  if (Src->IsColumnsStored())
    SetColumns(Src->Columns());
  else if (TGridAxisBarsEh* Own = Columns())
    Own->Clear();
  SetOptions(Src->Options());
  FRows = Src->FRows;
  FWidth = Src->FWidth;
  FSizable = Src->FSizable;
  FShowTitles = Src->FShowTitles;
  FUseMultiTitle = Src->FUseMultiTitle;
  SetListSource(Src->FListSource);
}

String TColumnDropDownBoxEh::GetNamePath() const
{
  const String Path = FOwner ? FOwner->GetNamePath() : String();
  return Path.isEmpty() ? QStringLiteral("DropDownBox") : Path + QStringLiteral(".DropDownBox");
}

void TColumnDropDownBoxEh::SetListSource(TDataSource* Value)
{
  if (Value == FListSource)
    return;
  FListSource = Value;
  if (ILookupGridOwner* Owner = LookupGridOwner())
    Owner->LookupGridFreeNotification(Value);
}

TGridAxisBarsEh* TColumnDropDownBoxEh::Columns() const
{
  ILookupGridOwner* Owner = LookupGridOwner();
  TCustomDBAxisGridEh* Grid = Owner ? Owner->GetLookupGrid() : nullptr;
  return Grid ? Grid->AxisBars() : nullptr;
}

void TColumnDropDownBoxEh::SetColumns(TGridAxisBarsEh* Value)
{
  if (TGridAxisBarsEh* Own = Columns(); Own && Value)
    Own->Assign(Value);
}

bool TColumnDropDownBoxEh::IsColumnsStored() const
{
  TGridAxisBarsEh* Own = Columns();
  return Own && Own->State() == csCustomized;
}

TAxisBarDefValuesEh* TColumnDropDownBoxEh::ColumnDefValues() const
{
  ILookupGridOwner* Owner = LookupGridOwner();
  TCustomDBAxisGridEh* Grid = Owner ? Owner->GetLookupGrid() : nullptr;
  return Grid ? Grid->ColumnDefValues() : nullptr;
}

void TColumnDropDownBoxEh::SetColumnDefValues(TAxisBarDefValuesEh* Value)
{
  if (TAxisBarDefValuesEh* Own = ColumnDefValues(); Own && Value)
    Own->Assign(Value);
}

TDBLookupGridEhOptions TColumnDropDownBoxEh::Options() const
{
  ILookupGridOwner* Owner = LookupGridOwner();
  return Owner ? Owner->GetLookupGridOptions() : TDBLookupGridEhOptions();
}

void TColumnDropDownBoxEh::SetOptions(TDBLookupGridEhOptions Value)
{
  if (ILookupGridOwner* Owner = LookupGridOwner())
    Owner->SetLookupGridOptions(Value);
}

String TColumnDropDownBoxEh::GetActualListField() const
{
  return FListFieldNames.section(QLatin1Char(';'), 0, 0).trimmed();
}

String TColumnDropDownBoxEh::GetLikeWildcardForSeveralCharacters() const
{
  TDataSet* DataSet = FListSource ? FListSource->DataSet() : nullptr;
  if (!DataSet)
    return QStringLiteral("*");
  if (auto* MemTable = dynamic_cast<IMemTableEh*>(DataSet))
    return MemTable->GetLikeWildcardForSeveralCharacters();
  return QStringLiteral("*");
}

void TColumnDropDownBoxEh::RegisterClass()
{
  RegisterEnum<TLSAutoFilterTypeEh>("TLSAutoFilterTypeEh", {"lsftBeginsWithEh", "lsftContainsEh"});
  RegisterEnum<TDBLookupGridEhOption>("TDBLookupGridEhOption",
                                      {"dlgColumnResizeEh", "dlgColLinesEh", "dlgRowLinesEh", "dlgAutoSortMarkingEh",
                                       "dlgMultiSortMarkingEh", "dlgAutoFitRowHeightEh"});
  using D = TColumnDropDownBoxEh;
  RegisterClassInfo<TColumnDropDownBoxEh, TPersistent>("TColumnDropDownBoxEh")
    .Property("AutoFitColWidths", &D::AutoFitColWidths, &D::SetAutoFitColWidths, true)
    .Property("ListFieldNames", &D::ListFieldNames, &D::SetListFieldNames, "")
    .Property("ListSource", &D::ListSource, &D::SetListSource)
    .Property("ListSourceAutoFilter", &D::ListSourceAutoFilter, &D::SetListSourceAutoFilter, false)
    .Property("ListSourceAutoFilterType", &D::ListSourceAutoFilterType, &D::SetListSourceAutoFilterType,
              lsftBeginsWithEh)
    .Property("SortLocal", &D::SortLocal, &D::SetSortLocal, false)
    .Property("UseMultiTitle", &D::UseMultiTitle, &D::SetUseMultiTitle, false);
}

// ---------------------------------------------------------------------------
// The bar's list

TDataSet* TAxisBarEh::GetDropDownListDataSet()
{
  if (TDataSource* Source = FDropDownBox->ListSource(); Source && Source->DataSet())
    return Source->DataSet();
  if (LookupIsSetUpEh())
    return FLookupParams->LookupDataSet();
  return nullptr;
}

String TAxisBarEh::GetDropDownBoxListField()
{
  if (GetBarType() != ctDataList)
    return LookupDisplayFieldNameEh();
  const String Actual = FDropDownBox->GetActualListField();
  if (!Actual.isEmpty())
    return Actual;
  TDataSource* Source = FDropDownBox->ListSource();
  TDataSet* List = Source ? Source->DataSet() : nullptr;
  if (!List)
    return String();
  if (List->FindField(FieldName()))
    return FieldName();
  return List->Fields()->Count() > 0 ? List->Fields()->Fields(0)->FieldName() : String();
}

void TAxisBarEh::DropDownBoxApplyTextFilter(TDataSet* DataSet, const String& FieldName,
                                            TLSAutoFilterTypeEh Operation, const String& FilterText)
{
  DefaultDropDownBoxApplyTextFilter(DataSet, FieldName, Operation, FilterText);
}

void TAxisBarEh::DefaultDropDownBoxApplyTextFilter(TDataSet* DataSet, const String& FieldName,
                                                   TLSAutoFilterTypeEh Operation, const String& FilterText)
{
  const String W = FDropDownBox->GetLikeWildcardForSeveralCharacters();
  const String Prefix = Operation == lsftContainsEh ? W : String();
  if (!DataSet)
    return;
  if (FilterText.isEmpty()) {
    DataSet->SetFilter(String());
    return;
  }
  TFilterOptions Options = DataSet->FilterOptions();
  if (CaseInsensitiveTextSearch())
    Options.Include(foCaseInsensitive);
  else
    Options.Exclude(foCaseInsensitive);
  DataSet->SetFilterOptionsValue(Options);
  // Typed wildcards, brackets and quotes match themselves.
  String Pattern = Prefix + FilterLikeEscape(FilterText) + W;
  Pattern.replace(QLatin1Char('\''), QLatin1String("''"));
  DataSet->SetFilter(FilterBracketName(FieldName) + QStringLiteral(" like '") + Pattern + QLatin1Char('\''));
  DataSet->SetFilteredValue(true);
}

void TAxisBarEh::DropDownSpecRowChanged(TObject* Sender)
{
  (void)Sender;
  Changed(false);
}

void TAxisBarEh::LookupGridFreeNotification(TComponent* AComponent)
{
  if (AComponent && Grid())
    AComponent->FreeNotification(Grid());
}
