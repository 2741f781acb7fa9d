// MemTableDataEh.h: the storage of the in-memory dataset: structure and
// field descriptors, records and their list, indexes, the view, the tree
// list, the expression evaluator, aggregates and the stream format.
#pragma once

#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/data/DB.h"

// ---------------------------------------------------------------------------
// Data structure and field descriptors.

// (end of section)

// ---------------------------------------------------------------------------
// Memory records and records list.

// (end of section)

// ---------------------------------------------------------------------------
// Indexes.

// (end of section)

// ---------------------------------------------------------------------------
// Data container.

// (end of section)

// ---------------------------------------------------------------------------
// Records view.

// (end of section)

// ---------------------------------------------------------------------------
// Memory tree list.

// (end of section)

// ---------------------------------------------------------------------------
// Dataset expression evaluator.

#include "platform/data/FilterExprParser.h"

#include <memory>

enum TDataSetExprParserTypeEh { dsptFilterEh, dsptAggregateEh };

// What the evaluator reads of the storage, kept to three small interfaces so
// that records, the structure and the view can be handed in as they are.
// The structure: the fields in storage order (the field numbers of the
// expression code are 1-based positions in it).
class TExprStructureEh {
public:
  virtual ~TExprStructureEh() = default;
  virtual Integer ExprFieldCount() const = 0;
  // The index of a field by name, case-insensitive; -1 when there is none.
  virtual Integer ExprFieldIndex(const String& FieldName) const = 0;
  virtual TFieldType ExprFieldType(Integer Index) const = 0;
};

// One record: the current value (dvvValueEh) of the field at Index.
class TExprRecordEh {
public:
  virtual ~TExprRecordEh() = default;
  virtual Variant ExprFieldValue(Integer Index) const = 0;
};

// The records an aggregate runs over: the accountable records of a view, or
// the children of a tree node.
class TExprRecordWalkEh {
public:
  virtual ~TExprRecordWalkEh() = default;
  virtual Integer AccountableItemsCount() const = 0;
  virtual const TExprRecordEh& GetAccountableRecord(Integer Index) const = 0;
};

// Compiles a filter or aggregate expression of a memory dataset with the
// data library's filter-expression compiler and evaluates the code against
// a record or over a walk of records. Names resolve against Structure when
// given, else against the dataset's field definitions; the dataset's filter
// options decide the case of text comparisons.
class TDataSetExprParserEh : public TObject {
public:
  TDataSetExprParserEh(TDataSet* ADataSet, TDataSetExprParserTypeEh ExprParserType,
                       const TExprStructureEh* Structure = nullptr);

  bool HasData() const { return FExprDataSize > 0; }
  // An empty text leaves no code. Parse errors (EFilterExprError) leave the
  // previous code in place.
  void ParseExpression(const String& Expr);
  // False without code.
  bool IsCurRecordInFilter(const TExprRecordEh& Rec) const;
  bool IsCurRecordBufInFilter(TRecordBuffer Buffer) const;
  // False (a Boolean) without code.
  Variant CalcAggregateValue(const TExprRecordWalkEh& RecordsView) const;

  const TExprData& ExprData() const { return FExprData; }
  Integer ExprDataSize() const { return FExprDataSize; }
  TDataSetExprParserTypeEh ExprParserType() const { return FExprParserType; }
  TDataSet* DataSet() const { return FDataSet; }
  // Runs code made elsewhere (a stored filter, a hand-built case).
  void SetExprData(const TExprData& Data);

  // The storage code of each field type, as the memory dataset stores them.
  static const TFieldMap& FieldTypeMap();

private:
  TDataSet* FDataSet;
  TExprData FExprData;
  Integer FExprDataSize = 0;
  TDataSetExprParserTypeEh FExprParserType;
  const TExprStructureEh* FStructure;
};

// (end of section)

// ---------------------------------------------------------------------------
// Aggregates.

class TMTAggregatesEh;

// One aggregate (SUM(Amount), AVG(Price) * 2) of a memory table, computed
// over the accountable records of its collection's walk.
class TMTAggregateEh : public TCollectionItem {
  VELMORA_CLASS(TMTAggregateEh)
public:
  TMTAggregateEh(TMTAggregatesEh* Aggregates, TDataSet* ADataSet);
  ~TMTAggregateEh() override;

  void Assign(TPersistent* Source) override;
  String DisplayName() const override;

  bool Active() const { return FActive; }
  // A failing recalculation leaves the aggregate inactive and passes on.
  void SetActive(bool Value);
  const String& Expression() const { return FExpression; }
  void SetExpression(const String& Value);
  void Reset();
  void Recalc();

  const Variant& Value() const { return FValue; }
  bool InUse() const { return FInUse; }
  TFieldType DataType() const { return FDataType; }
  TMTAggregatesEh* Aggregates() const;
  TDataSet* DataSet() const { return FDataSet; }

private:
  friend class TMTAggregatesEh;
  bool FActive = false;
  std::unique_ptr<TDataSetExprParserEh> FAggrExpr;
  TDataSet* FDataSet;
  TFieldType FDataType = ftUnknown;
  String FExpression;
  bool FInUse = false;
  Variant FValue = Null;
};

// The aggregates of a records view. Records is the walk the values are
// computed over (the view's accountable records), Structure the storage's
// fields; both belong to the owner.
class TMTAggregatesEh : public TCollection {
  VELMORA_CLASS(TMTAggregatesEh)
public:
  TMTAggregatesEh(TPersistent* AOwner, TDataSet* ADataSet, const TExprRecordWalkEh* Records,
                  const TExprStructureEh* Structure = nullptr);

  TMTAggregateEh* Add();
  TMTAggregateEh* Items(Integer Index) const { return static_cast<TMTAggregateEh*>(TCollection::Items(Index)); }
  TMTAggregateEh* GetItem(Integer Index) const { return Items(Index); }
  void SetItem(Integer Index, TMTAggregateEh* Value) { SetItems(Index, Value); }
  bool Active() const { return FActive; }
  void SetActive(bool Value);
  // Re-parses every item, then recalculates.
  void Reset();
  void Recalc();
  TDataSet* DataSet() const { return FDataSet; }
  const TExprRecordWalkEh* Records() const { return FRecords; }
  const TExprStructureEh* Structure() const { return FStructure; }

protected:
  TPersistent* GetOwner() const override { return FOwner; }
  TCollectionItem* CreateItem() override;

private:
  bool FActive = false;
  TPersistent* FOwner;
  TDataSet* FDataSet;
  const TExprRecordWalkEh* FRecords;
  const TExprStructureEh* FStructure;
};

// One aggregate function folded over values one at a time. Nulls are
// skipped by all: SUM and AVG add the numeric values (numbers, dates,
// Booleans), COUNT counts the values, MIN and MAX keep the least and the
// greatest (texts in the program's text order). AVG divides by the number
// of values added and is Null without any; MIN and MAX are Null without
// values; SUM and COUNT are 0.
enum TAggrKindEh { aggrSum, aggrMin, aggrMax, aggrAvg, aggrCount };

class TAggrAccumulatorEh {
public:
  explicit TAggrAccumulatorEh(TAggrKindEh Kind) : FKind(Kind) {}
  void Add(const Variant& Value);
  Variant Result() const;

private:
  TAggrKindEh FKind;
  Variant FValue;       // the sum, or the value kept by MIN and MAX
  Integer FCount = 0;   // values taken
};

// A view's single-field aggregate: FieldName "*" with "COUNT" counts the
// records; otherwise SUM, COUNT, MIN, MAX or AVG (upper case) of the field's
// non-Null values. AVG is Null without values; SUM and COUNT of no records 0.
Variant CalcAggrFieldFuncEh(const TExprRecordWalkEh& Records, const TExprStructureEh& Structure,
                            const String& FieldName, const String& AggrFuncName);

// (end of section)

// ---------------------------------------------------------------------------
// Stream format.

// (end of section)
