// MemTableDataEhAggr.cpp: aggregates of a memory table over its view's
// records, and the view's single-field aggregate.
#include "gridlib/memtable/MemTableDataEh.h"

#include "platform/rtl/ScopeExit.h"

// ---------------------------------------------------------------------------
// Folding values

static bool IsSummable(const Variant& V)
{
  switch (V.VType()) {
  case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency: case varDate:
  case varBoolean: case varShortInt: case varByte: case varWord: case varLongWord: case varInt64:
    return true;
  default:
    return false;
  }
}

// Texts in the program's text order, case-sensitive; other values by the
// variant ordering.
static bool Less(const Variant& A, const Variant& B)
{
  if (VarIsStr(A) || VarIsStr(B))
    return CollateText(VarToStr(A), VarToStr(B), true) < 0;
  return A < B;
}

void TAggrAccumulatorEh::Add(const Variant& Value)
{
  if (Value.IsNull() || Value.IsEmpty())
    return;
  switch (FKind) {
  case aggrSum:
  case aggrAvg:
    if (!IsSummable(Value))
      return;
    FValue = FCount == 0 ? Value : FValue + Value;
    break;
  case aggrMin:
    if (FCount == 0 || Less(Value, FValue))
      FValue = Value;
    break;
  case aggrMax:
    if (FCount == 0 || Less(FValue, Value))
      FValue = Value;
    break;
  case aggrCount:
    break;
  }
  ++FCount;
}

void TAggrAccumulatorEh::AddDoubles(double Sum, Integer Count)
{
  if (Count <= 0)
    return;
  if (FKind == aggrSum || FKind == aggrAvg)
    FValue = FCount == 0 ? Variant(Sum) : FValue + Variant(Sum);
  FCount += Count;
}

Variant TAggrAccumulatorEh::Result() const
{
  switch (FKind) {
  case aggrCount: return FCount;
  case aggrSum: return FCount == 0 ? Variant(0) : FValue;
  case aggrAvg: return FCount == 0 ? Variant(Null) : Variant(FValue.AsDouble() / FCount);
  default: return FCount == 0 ? Variant(Null) : FValue;
  }
}

Variant CalcAggrFieldFuncEh(const TExprRecordWalkEh& Records, const TExprStructureEh& Structure,
                            const String& FieldName, const String& AggrFuncName)
{
  if (FieldName == QLatin1String("*") && AggrFuncName == QLatin1String("COUNT"))
    return Integer(Records.AccountableItemsCount());
  const Integer Field = Structure.ExprFieldIndex(FieldName);
  if (Field < 0)
    throw Exception(QStringLiteral("Invalid field name: ") + FieldName);
  static const struct {
    const char* Name;
    TAggrKindEh Kind;
  } Kinds[] = {{"SUM", aggrSum}, {"COUNT", aggrCount}, {"MIN", aggrMin}, {"MAX", aggrMax}, {"AVG", aggrAvg}};
  for (const auto& K : Kinds) {
    if (AggrFuncName != QLatin1String(K.Name))
      continue;
    TAggrAccumulatorEh Acc(K.Kind);
    const Integer N = Records.AccountableItemsCount();
    Integer I = 0;
    // Read typed while the values allow: COUNT needs only whether a value
    // is there; SUM and AVG of doubles add up as the variant sum does, in
    // the same order. The first value of another kind goes on the general
    // way from where the typed sum stopped.
    if (K.Kind == aggrCount || K.Kind == aggrSum || K.Kind == aggrAvg) {
      double Sum = 0;
      Integer Taken = 0;
      for (; I < N; ++I) {
        const TRecValuesEh* Values = Records.GetAccountableRecord(I).ExprValues();
        if (!Values || Field >= Values->Count())
          break;
        const TRecValuesEh::TTag Tag = Values->Tag(Field);
        if (Tag == TRecValuesEh::tNull || Tag == TRecValuesEh::tEmpty)
          continue;
        if (K.Kind == aggrCount) {
          ++Taken;
          continue;
        }
        if (Tag != TRecValuesEh::tDouble)
          break;
        Sum = Taken == 0 ? Values->Number(Field) : Sum + Values->Number(Field);
        ++Taken;
      }
      Acc.AddDoubles(Sum, Taken);
    }
    for (; I < N; ++I)
      Acc.Add(Records.GetAccountableRecord(I).ExprFieldValue(Field));
    return Acc.Result();
  }
  throw Exception(QStringLiteral("Unsupported aggrigate function: ") + AggrFuncName);
}

// ---------------------------------------------------------------------------
// TMTAggregateEh

TMTAggregateEh::TMTAggregateEh(TMTAggregatesEh* Aggregates, TDataSet* ADataSet)
    : TCollectionItem(Aggregates),
      FAggrExpr(std::make_unique<TDataSetExprParserEh>(ADataSet, dsptAggregateEh,
                                                       Aggregates ? Aggregates->Structure() : nullptr)),
      FDataSet(ADataSet)
{
}

TMTAggregateEh::~TMTAggregateEh() = default;

TMTAggregatesEh* TMTAggregateEh::Aggregates() const
{
  return static_cast<TMTAggregatesEh*>(Collection());
}

void TMTAggregateEh::Assign(TPersistent* Source)
{
  if (auto* Other = dynamic_cast<TMTAggregateEh*>(Source)) {
    SetActive(Other->Active());
    SetExpression(Other->Expression());
    return;
  }
  TCollectionItem::Assign(Source);
}

String TMTAggregateEh::DisplayName() const
{
  return FExpression.isEmpty() ? TCollectionItem::DisplayName() : FExpression;
}

static bool InUpdate(const TMTAggregateEh* Item)
{
  return Item->Aggregates() && Item->Aggregates()->UpdateCount() > 0;
}

void TMTAggregateEh::SetActive(bool Value)
{
  if (Value == FActive)
    return;
  FActive = Value;
  if (!FDataSet || InUpdate(this))
    return;
  try {
    Reset();
    Recalc();
  } catch (...) {
    FActive = false;
    FInUse = false;
    FValue = Null;
    throw;
  }
}

void TMTAggregateEh::SetExpression(const String& Value)
{
  if (Value == FExpression)
    return;
  FExpression = Value;
  Reset();
  if (!InUpdate(this))
    Recalc();
}

void TMTAggregateEh::Reset()
{
  FInUse = false;
  const TMTAggregatesEh* Owner = Aggregates();
  if (FDataSet && FDataSet->Active() && FActive && !FExpression.isEmpty() && Owner && Owner->Active()) {
    FAggrExpr->ParseExpression(FExpression);
    FDataType = ftFloat;
    FInUse = true;
  } else {
    FValue = Null;
  }
}

void TMTAggregateEh::Recalc()
{
  const TMTAggregatesEh* Owner = Aggregates();
  if (FInUse && Owner && Owner->Records())
    FValue = FAggrExpr->CalcAggregateValue(*Owner->Records());
  else
    FValue = Null;
}

// ---------------------------------------------------------------------------
// TMTAggregatesEh

TMTAggregatesEh::TMTAggregatesEh(TPersistent* AOwner, TDataSet* ADataSet, const TExprRecordWalkEh* Records,
                                 const TExprStructureEh* Structure)
    : TCollection(TMTAggregateEh::StaticClass()), FOwner(AOwner), FDataSet(ADataSet), FRecords(Records),
      FStructure(Structure)
{
}

TCollectionItem* TMTAggregatesEh::CreateItem()
{
  return new TMTAggregateEh(this, FDataSet);
}

TMTAggregateEh* TMTAggregatesEh::Add()
{
  return static_cast<TMTAggregateEh*>(TCollection::Add());
}

void TMTAggregatesEh::SetActive(bool Value)
{
  if (Value == FActive)
    return;
  FActive = Value;
  Reset();
}

void TMTAggregatesEh::Reset()
{
  {
    BeginUpdate();
    ScopeExit End([this] { EndUpdate(); });
    for (Integer I = 0; I < Count(); ++I)
      Items(I)->Reset();
  }
  Recalc();
}

void TMTAggregatesEh::Recalc()
{
  const bool Loading = FDataSet && FDataSet->ComponentState().Contains(csLoading);
  for (Integer I = 0; I < Count(); ++I) {
    TMTAggregateEh* Item = Items(I);
    if (!FDataSet || !FDataSet->Active() || Loading || UpdateCount() > 0)
      Item->FValue = Null;
    else
      Item->Recalc();
  }
}

// ---------------------------------------------------------------------------
// The view's records as the evaluator reads them.

Integer TRecordsViewWalkEh::AccountableItemsCount() const
{
  return FView->AccountableItemsCount();
}

const TExprRecordEh& TRecordsViewWalkEh::GetAccountableRecord(Integer Index) const
{
  return *FView->GetAccountableRecord(Index);
}

Variant TRecordsViewEh::CalcAggrFieldFunc(const String& FieldName, const String& AggrFuncName) const
{
  return CalcAggrFieldFuncEh(AccountableRecords(), *MemTableData()->DataStruct(), FieldName, AggrFuncName);
}
