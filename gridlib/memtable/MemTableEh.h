// MemTableEh.h: the memory table, a dataset whose rows live in a memory
// storage seen through a records view: record buffers, cursor and
// bookmarks, opening and structure, instant reading for grids, search,
// filters, sorting and the tree settings.
#pragma once

#include "gridlib/memtable/MemTableDataEh.h"
#include "platform/data/DB.h"
#include "platform/rtl/Classes.h"

#include <array>
#include <functional>
#include <memory>
#include <vector>

class TCustomMemTableEh;
class TMemTableEh;
class TDataDriverEh;

// ---------------------------------------------------------------------------
// Small companions.

// A stream over a blob field of the table's current record: it holds the
// bytes of the value and writes them back into the record buffer when it is
// freed after a change.
class TMemBlobStreamEh : public TMemoryStream {
  VELMORA_CLASS(TMemBlobStreamEh)
  using inherited = TMemoryStream;
public:
  TMemBlobStreamEh(TBlobField* Field, TBlobStreamMode Mode);
  ~TMemBlobStreamEh() override;
  Integer Write(const void* Buffer, Integer Count) override;
  void SetSize(Int64 NewSize) override;
  bool Modified() const { return FModified; }

private:
  TBlobField* FField;
  TCustomMemTableEh* FDataSet;
  Integer FFieldNo = 0;
  bool FModified = false;
};

// A field that holds an object reference.
class TRefObjectField : public TField {
  VELMORA_CLASS(TRefObjectField)
  using inherited = TField;
public:
  explicit TRefObjectField(TComponent* AOwner);
  TObject* Value() const;
  void SetValue(TObject* Value);
protected:
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& V) override;
};

class TSortedVarItemEh : public TObject {
public:
  explicit TSortedVarItemEh(const Variant& AValue = Variant()) : Value(AValue) {}
  Variant Value;
};

// Variant values kept in ascending order.
class TSortedVarlistEh {
public:
  Integer Count() const { return Integer(FItems.size()); }
  TSortedVarItemEh* Items(Integer Index) const { return FItems.at(size_t(Index)).get(); }
  // Found: Index is the equal item; else the insertion position. Values that
  // cannot be ordered against each other raise.
  bool FindKeyValueIndex(const Variant& Value, Integer& Index) const;
  bool HasValue(const Variant& Value) const;
  Integer Add(std::unique_ptr<TSortedVarItemEh> Item);
  Integer Add(const Variant& Value) { return Add(std::make_unique<TSortedVarItemEh>(Value)); }
  void Clear() { FItems.clear(); }
private:
  std::vector<std::unique_ptr<TSortedVarItemEh>> FItems;
};

// ---------------------------------------------------------------------------
// Record buffers.

// A bookmark names its record by the record's id, which its list never gives
// to another record, so a bookmark of a deleted record finds nothing. The
// row and sorted-list position are hints, checked before use.
struct TBookmarkDataEh {
  Int64 RecId = 0;                 // 0: no record
  Integer RecViewIndex = -1;
  Integer InSortedListIndex = -1;
};
static_assert(sizeof(TBookmarkDataEh) == 16, "bookmark layout");

TBookmark BookmarkDataToBytes(const TBookmarkDataEh& Data);
TBookmarkDataEh BytesToBookmarkData(const TBookmark& Bytes);

using TFBRecBufValues = std::vector<Variant>;

class TMTRecBuf : public TObject {
public:
  bool InUse = false;
  TBookmarkDataEh BookmarkData;
  TBookmarkFlag BookmarkFlag = bfCurrent;
  Integer RecordStatus = -2;
  Integer RecordNumber = -1;
  bool NewTreeNodeExpanded = false;
  bool NewTreeNodeHasChildren = false;
  TMemRecViewEh* RecView = nullptr;
  TMemoryRecordEh* MemRec = nullptr;
  TFBRecBufValues Values;
  bool UseMemRec = false;
  bool NeedUpdateCalcFields = false;

  void GetValue(TField* Field, Variant& Value) const;
  void SetValue(TField* Field, const Variant& Value);
  void GetOldValue(TField* Field, Variant& Value) const;
  void SetLength(Integer Len);
  void Clear();
  Integer ReadValueCount() const { return Integer(Values.size()); }
};

// ---------------------------------------------------------------------------
// Order lists of the sort order and one-time sorts.

// The grid library's order list, its names resolved against the table: a
// dataset field, else a storage column without a field. Where every item
// reads a stored number, the list also gives the records' sort keys, so a
// view sorts by keys read once per record.
class TMTOrderByList : public TOrderByList, public TRecordsSortKeyEh {
  VELMORA_CLASS(TMTOrderByList)
  using inherited = TOrderByList;
public:
  explicit TMTOrderByList(const TCustomMemTableEh* AMemTable);
  // An item that names no field (the keys of an external sort).
  TOrderByItemEh* AddItem();
  // The storage column an item reads, -1 for none.
  Integer ItemSlot(const TOrderByItemEh* Item) const;
  Integer KeyLength() const override;
  bool KeyOf(const TMemoryRecordEh* Rec, double* Key) const override;

protected:
  Integer FindFieldIndex(const String& FieldName) override;
  void SetItemFieldIndex(TOrderByItemEh* Item, Integer FieldIndex) override;

private:
  const TCustomMemTableEh* FMemTable;
};

using TGetOrderVarValueProcEh = std::function<void(Variant& VarValue, Integer Index)>;
struct TExternalSortDataItemEh {
  bool Desc = false;
  TFieldType DataType = ftUnknown;
};
using TExternalSortDataArrEh = std::vector<TExternalSortDataItemEh>;

// ---------------------------------------------------------------------------
// Tree settings and the distinct values of a column.

class TMemTableTreeListEh : public TPersistent {
  VELMORA_CLASS(TMemTableTreeListEh)
public:
  explicit TMemTableTreeListEh(TCustomMemTableEh* AMemTable);

  bool Active() const;
  void SetActive(bool Value);
  String KeyFieldName() const;
  void SetKeyFieldName(const String& Value);
  String RefParentFieldName() const;
  void SetRefParentFieldName(const String& Value);
  bool DefaultNodeExpanded() const;
  void SetDefaultNodeExpanded(bool Value);
  bool DefaultNodeHasChildren() const;
  void SetDefaultNodeHasChildren(bool Value);
  bool FullBuildCheck() const;
  void SetFullBuildCheck(bool Value);
  bool FilterNodeIfParentVisible() const;
  void SetFilterNodeIfParentVisible(bool Value);

  void FullExpand();
  void FullCollapse();
  bool Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options);

private:
  friend class TCustomMemTableEh;
  void SetAllExpanded(bool Expanded);
  TCustomMemTableEh* FMemTable;
  bool FLoadingActive = false;
};

class TMemTableDataFieldValueListEh : public TObject, public IMemTableDataFieldValueListEh {
public:
  explicit TMemTableDataFieldValueListEh(TDataSet* ADataSet);
  ~TMemTableDataFieldValueListEh() override;

  TComponent* DataObject() const;
  void SetDataObject(TComponent* Value);
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  TStrings* GetValues() override;
  void SetFilter(const String& Filter) override;
  void MarkObsolete() { FDataObsoleted = true; }

private:
  void RefreshValues();

  bool FDataObsoleted = true;
  TDataSet* FDataSet;
  String FFieldName;
  String FFilter;
  std::unique_ptr<TDataSetExprParserEh> FFilterExpr;
  std::unique_ptr<TRecordsListNotificatorEh> FNotificator;
  std::unique_ptr<TStringList> FValues;
};

// ---------------------------------------------------------------------------
// Extra filters that grids add for their column filters and search panels.

class TMemTableFilterItemEh : public TCollectionItem {
  VELMORA_CLASS(TMemTableFilterItemEh)
  using inherited = TCollectionItem;
public:
  explicit TMemTableFilterItemEh(TCollection* Collection);
  ~TMemTableFilterItemEh() override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  const String& Filter() const { return FFilter; }
  void SetFilter(const String& Value);
  const TFilterRecordEvent& OnFilterRecord() const { return FOnFilterRecord; }
  void SetOnFilterRecord(const TFilterRecordEvent& Value);
  // The procedure's verdict may change though the procedure did not.
  void FilterProcChanged();
  bool Filtered() const { return FActive && (!FFilter.isEmpty() || bool(FOnFilterRecord)); }
  void RecreateFilterExpr();
  bool IsCurRecordInFilter(TMemoryRecordEh* Rec);
  void Assign(TPersistent* Source) override;

private:
  TCustomMemTableEh* MemTable() const;
  std::unique_ptr<TDataSetExprParserEh> FFilterExpr;
  bool FActive = false;
  String FFilter;
  TFilterRecordEvent FOnFilterRecord;
};

class TMemTableFiltersEh : public TCollection {
  VELMORA_CLASS(TMemTableFiltersEh)
  using inherited = TCollection;
public:
  explicit TMemTableFiltersEh(TCustomMemTableEh* AMemTable);

  TMemTableFilterItemEh* Add() { return static_cast<TMemTableFilterItemEh*>(inherited::Add()); }
  TMemTableFilterItemEh* GetFilterItem(Integer Index) const
  {
    return static_cast<TMemTableFilterItemEh*>(Items(Index));
  }
  void SetFilterItem(Integer Index, TMemTableFilterItemEh* Value) { GetFilterItem(Index)->Assign(Value); }
  Integer ActiveFilterCount() const { return Integer(FActiveFilterItems.size()); }
  TMemTableFilterItemEh* GetActiveFilterItem(Integer Index) const { return FActiveFilterItems.at(size_t(Index)); }
  Integer IndexOfFilter(TMemTableFilterItemEh* Item) const;
  bool HasTextActiveFilter() const;
  bool HasEventActiveFilter() const;
  void RecreateFilterExpr();
  bool IsCurRecordInFilter(TMemoryRecordEh* Rec);
  TCustomMemTableEh* MemTable() const { return FMemTable; }
  TNotifyEvent OnChanged;

protected:
  TPersistent* GetOwner() const override;
  void Update(TCollectionItem* Item) override;
  TCollectionItem* CreateItem() override;

private:
  friend class TMemTableFilterItemEh;
  void RebuildActive();
  void Forget(TMemTableFilterItemEh* Item);
  std::vector<TMemTableFilterItemEh*> FActiveFilterItems;
  Integer FCreating = 0;
  bool FForgotten = false;
  TCustomMemTableEh* FMemTable;
};

// ---------------------------------------------------------------------------
// The memory table's interface for grids, lookup lists and footers.

using TAggrFunctionsEh = TSet<TAggrFunctionEh>;
using TAggrResultArr = std::array<Variant, 5>;

class IMemTableEh : public IInterface {
public:
  virtual Integer FetchRecords(Integer Count) = 0;
  virtual Integer GetInstantReadCurRow() = 0;
  virtual bool GetActiveRecTreeNodeExpanded() = 0;
  virtual bool GetActiveRecTreeNodeHasVisibleChildren() = 0;
  virtual Integer GetTreeNodeLevel() = 0;
  virtual Integer GetPrevVisibleTreeNodeLevel() = 0;
  virtual Integer GetNextVisibleTreeNodeLevel() = 0;
  virtual TMemoryRecordEh* GetRec() = 0;
  virtual Integer InstantReadIndexOfBookmark(const TBookmark& Bookmark) = 0;
  virtual Integer InstantReadRowCount() = 0;
  virtual Integer InstantReadViewRow() = 0;
  virtual bool GetInOperatorSupported() = 0;
  virtual bool GetViewAsTreeList() = 0;
  virtual TMemTableFilterItemEh* AddExtraFilter(const String& FilterText, const TFilterRecordEvent& FilterProc) = 0;
  virtual bool UpdateExtraFilter(TMemTableFilterItemEh* Item, const String& FilterText,
                                 const TFilterRecordEvent& FilterProc, bool SameProc) = 0;
  virtual bool RemoveExtraFilter(TMemTableFilterItemEh* Item) = 0;
  virtual bool TreeNodeHasNextVisibleSibling(Integer Level) = 0;
  virtual bool TreeNodeHasPriorVisibleSibling(Integer Level) = 0;
  virtual bool GotoRec(TMemoryRecordEh* Rec) = 0;
  virtual Integer SetTreeNodeExpandedAtRow(Integer RowNum, bool Expanded) = 0;
  virtual std::shared_ptr<IMemTableDataFieldValueListEh> GetFieldValueList(const String& FieldName) = 0;
  virtual bool MoveRecords(std::vector<TBookmark>& BookmarkList, Integer ToRecNo, Integer TreeLevel,
                           bool CheckOnly) = 0;
  virtual String GetLikeWildcardForOneCharacter() = 0;
  virtual String GetLikeWildcardForSeveralCharacters() = 0;
  virtual bool BookmarkInVisibleView(const TBookmark& Bookmark) = 0;
  virtual void GetAggregatedValuesForRange(const TBookmark& FromBM, const TBookmark& ToBM, const String& FieldName,
                                           TAggrResultArr& ResultArr, TAggrFunctionsEh AggrFuncs) = 0;
  virtual void MTDisableControls() = 0;
  virtual void MTEnableControls(bool ForceUpdateState) = 0;
  virtual void InstantReadEnter(Integer RowNum) = 0;
  virtual void InstantReadLeave() = 0;
  virtual void RegisterEventReceiver(TComponent* Component) = 0;
  virtual void UnregisterEventReceiver(TComponent* Component) = 0;
  virtual void SetFilterAborted() = 0;
};

// ---------------------------------------------------------------------------
// The memory table.

enum TMemTableOptionEh { mtoPersistentStructEh, mtoTextFieldsCaseInsensitive };
using TMemTableOptionsEh = TSet<TMemTableOptionEh>;
enum TMasterDetailSideEh { mdsOnSelfEh, mdsOnProviderEh, mdsOnSelfAfterProviderEh };
enum TLoadMode { lmCopy, lmAppend, lmCopyStructureOnly };
enum TMemTableLoadOptionEh { tloUseCachedUpdatesEh, tloDisregardFilterEh, tloOpenOnLoad };
using TMemTableLoadOptionsEh = TSet<TMemTableLoadOptionEh>;
enum TDfmStreamFormatEh { dfmBinaryEh, dfmTextEh };

using TMemTableChangeFieldValueEventEh = std::function<void(TCustomMemTableEh* MemTable, TField* Field, Variant& Value)>;
using TMTTreeNodeExpandingEventEh = std::function<void(TObject* Sender, Integer RecNo, bool& AllowExpansion)>;
using TRecordsViewTreeNodeExpandingEventEh =
  std::function<void(TObject* Sender, TMemRecViewEh* Node, bool& AllowExpansion)>;
using TRecordsViewTreeNodeExpandedEventEh = std::function<void(TObject* Sender, TMemRecViewEh* Node)>;
using TRecordsViewCheckMoveNodeEventEh = std::function<bool(TObject* Sender, TMemRecViewEh* SourceNode,
                                                            TMemRecViewEh* AppointedParent, Integer AppointedIndex)>;

// The link to a master dataset.
class TMasterDataLinkEh : public TDataLink {
  VELMORA_CLASS(TMasterDataLinkEh)
  using inherited = TDataLink;
public:
  explicit TMasterDataLinkEh(TDataSet* ADataSet);
  const String& FieldNames() const { return FFieldNames; }
  void SetFieldNames(const String& Value);
  const std::vector<TField*>& Fields() const { return FFields; }
  TDataSet* DetailDataSet() const { return FDataSet; }
  TNotifyEvent OnMasterChange;
  TNotifyEvent OnMasterDisable;
protected:
  void ActiveChanged() override;
  void LayoutChanged() override { ActiveChanged(); }
  void RecordChanged(TField* Field) override;
  void CheckBrowseMode() override;
private:
  TDataSet* FDataSet;
  String FFieldNames;
  std::vector<TField*> FFields;
};

class TCustomMemTableEh : public TDataSet, public IMemTableEh {
  VELMORA_CLASS(TCustomMemTableEh)
  using inherited = TDataSet;
public:
  explicit TCustomMemTableEh(TComponent* AOwner);
  ~TCustomMemTableEh() override;

  // --- storage and view
  TRecordsViewEh* RecordsView() const { return FRecordsView.get(); }
  TMemTableDataEh* MemTableData() const;
  TCustomMemTableEh* ExternalMemData() const { return FExternalMemData; }
  void SetExternalMemData(TCustomMemTableEh* Value);
  TDataDriverEh* DataDriver() const { return FDataDriver; }
  void SetDataDriver(TDataDriverEh* Value);
  TMemTableTreeListEh* TreeList() const { return FTreeList.get(); }
  TParams* Params() const { return FParams.get(); }
  TMemTableFiltersEh* ExtraFilters() const { return FExtraFilters.get(); }
  TAutoIncrementEh* AutoIncrement() const;

  // --- properties
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  TMemTableOptionsEh Options() const { return FOptions; }
  void SetOptions(TMemTableOptionsEh Value);
  bool FetchAllOnOpen() const { return FFetchAllOnOpen; }
  void SetFetchAllOnOpen(bool Value) { FFetchAllOnOpen = Value; }
  const String& SortOrder() const { return FSortOrder; }
  void SetSortOrder(const String& Value);
  bool StoreDefs() const { return FStoreDefs; }
  void SetStoreDefs(bool Value) { FStoreDefs = Value; }
  bool CachedUpdates() const;
  void SetCachedUpdates(bool Value);
  TUpdateStatusSet StatusFilter() const;
  void SetStatusFilter(TUpdateStatusSet Value);
  bool AggregatesActive() const;
  void SetAggregatesActive(bool Value);
  TMTAggregatesEh* Aggregates() const { return FAggregates.get(); }

  // --- master/detail
  TDataSource* MasterSource() const;
  void SetMasterSource(TDataSource* Value);
  const String& MasterFields() const;
  void SetMasterFields(const String& Value);
  const String& DetailFields() const { return FDetailFields; }
  void SetDetailFields(const String& Value);
  TMasterDetailSideEh MasterDetailSide() const { return FMasterDetailSide; }
  void SetMasterDetailSide(TMasterDetailSideEh Value);
  bool DetailMode() const { return FDetailMode; }

  // --- structure
  void CreateDataSet();
  void CopyStructure(TDataSet* Source);
  void EmptyTable();
  void DestroyTable();

  // --- loading and saving (RecordCount <= 0: all from the first record;
  // else that many from the current one)
  Integer LoadFromDataSet(TDataSet* Source, Integer RecordCount, TLoadMode Mode, bool UseCachedUpdates);
  Integer LoadFromMemTableEh(TCustomMemTableEh* Source, Integer RecordCount, TLoadMode Mode,
                             TMemTableLoadOptionsEh LoadOptions);
  Integer SaveToDataSet(TDataSet* Dest, Integer RecordCount);
  void SaveToFile(const String& FileName, TDfmStreamFormatEh Format = dfmBinaryEh);
  void LoadFromFile(const String& FileName);

  // --- cached updates and the data driver
  virtual Integer ApplyUpdates(Integer MaxErrors);
  void CancelUpdates();
  void MergeChangeLog();
  bool HasCachedChanges() const;
  void RevertRecord();
  void RefreshRecord();
  TUpdateErrorEh* UpdateError() const;

  // --- record and cursor
  TMemoryRecordEh* Rec() const;
  TMemRecViewEh* RecView() const;
  Integer RecordPos() const { return FRecordPos; }
  void BeginViewUpdate();
  void EndViewUpdate(bool ResyncIfChanged);
  void Resync(TResyncMode Mode) override;
  bool IsSequenced() const override { return true; }
  bool BookmarkValid(const TBookmark& Bookmark) const override;
  Integer CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) const override;
  Integer BookmarkToRecNo(const TBookmark& Bookmark) const;
  TMemoryRecordEh* BookmarkToRec(const TBookmark& Bookmark) const;
  TBookmark RecToBookmark(TMemoryRecordEh* Rec) const;
  TBookmark GetBookmarkOrInstant() const;

  // --- field data
  virtual bool GetActiveRecBuf(TMTRecBuf*& RecBuf, bool IgnoreInstantRead = false) const;
  virtual bool GetFieldValue(TField* Field, Variant& Value) const;
  virtual String GetFieldDisplayText(TField* Field) const;
  virtual bool GetFieldDataAsObject(TField* Field, TObject*& Value) const;
  virtual void SetFieldDataAsObject(TField* Field, TObject* Value);
  std::unique_ptr<TStream> CreateBlobStream(TField* Field, TBlobStreamMode Mode) override;
  TUpdateStatus UpdateStatus() const override;

  // --- search and filters
  Integer FindRec(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options, Integer StartRecIndex,
                  bool TryUseIndex);
  bool Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options) override;
  Variant Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields) override;
  Variant LookupAll(const String& KeyFields, const Variant& KeyValues, const String& ResultFields,
                    TLocateOptions Options);
  void SetOnFilterRecord(const TFilterRecordEvent& Value) override;
  virtual void RefreshFilter();
  static bool VariantsEqual(const Variant& A, const Variant& B);

  // --- sorting
  void SortByFields(const String& SortByStr);
  void SortWithExternalProc(const TGetOrderVarValueProcEh& OrderValueProc, const TExternalSortDataArrEh& DescDirections);
  virtual Integer CompareRecords(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2, TObject* ParamSort);
  virtual Integer CompareTreeNodes(TBaseTreeNodeEh* Node1, TBaseTreeNodeEh* Node2, TObject* ParamSort);
  std::unique_ptr<TMTOrderByList> ParseOrderByStr(const String& OrderByStr) const;

  // --- instant reading
  void InstantReadEnter(Integer RowNum) override;
  void InstantReadEnter(TMemRecViewEh* RecView, Integer RowNum);
  void InstantReadEnter(TMemoryRecordEh* MemRec, Integer RowNum);
  void InstantReadLeave() override;
  bool InstantReadMode() const { return FInstantReadMode; }
  Integer InstantReadCurRow() { return GetInstantReadCurRow(); }

  // --- tree
  TMemRecViewEh* TreeNode() const;
  Integer TreeNodeLevel() const;
  Integer TreeNodeChildCount() const;
  bool TreeNodeHasChildren() const;
  bool TreeNodeExpanded() const;
  void SetTreeNodeExpanded(bool Value);
  bool TreeNodeHasVisibleChildren() const;
  void SetTreeNodeHasVisibleChildren(bool Value);
  bool MoveRecord(Integer FromIndex, Integer ToIndex, Integer TreeLevel, bool CheckOnly);

  // --- IMemTableEh
  Integer FetchRecords(Integer Count) override;
  Integer GetInstantReadCurRow() override;
  bool GetActiveRecTreeNodeExpanded() override;
  bool GetActiveRecTreeNodeHasVisibleChildren() override;
  Integer GetTreeNodeLevel() override;
  Integer GetPrevVisibleTreeNodeLevel() override;
  Integer GetNextVisibleTreeNodeLevel() override;
  TMemoryRecordEh* GetRec() override { return Rec(); }
  Integer InstantReadIndexOfBookmark(const TBookmark& Bookmark) override;
  Integer InstantReadRowCount() override;
  Integer InstantReadViewRow() override;
  bool GetInOperatorSupported() override { return true; }
  bool GetViewAsTreeList() override;
  TMemTableFilterItemEh* AddExtraFilter(const String& FilterText, const TFilterRecordEvent& FilterProc) override;
  bool UpdateExtraFilter(TMemTableFilterItemEh* Item, const String& FilterText, const TFilterRecordEvent& FilterProc,
                         bool SameProc) override;
  bool RemoveExtraFilter(TMemTableFilterItemEh* Item) override;
  bool TreeNodeHasNextVisibleSibling(Integer Level) override;
  bool TreeNodeHasPriorVisibleSibling(Integer Level) override;
  bool GotoRec(TMemoryRecordEh* Rec) override;
  Integer SetTreeNodeExpandedAtRow(Integer RowNum, bool Expanded) override;
  std::shared_ptr<IMemTableDataFieldValueListEh> GetFieldValueList(const String& FieldName) override;
  bool MoveRecords(std::vector<TBookmark>& BookmarkList, Integer ToRecNo, Integer TreeLevel, bool CheckOnly) override;
  String GetLikeWildcardForOneCharacter() override { return QStringLiteral("_"); }
  String GetLikeWildcardForSeveralCharacters() override { return QStringLiteral("%"); }
  bool BookmarkInVisibleView(const TBookmark& Bookmark) override;
  void GetAggregatedValuesForRange(const TBookmark& FromBM, const TBookmark& ToBM, const String& FieldName,
                                   TAggrResultArr& ResultArr, TAggrFunctionsEh AggrFuncs) override;
  void MTDisableControls() override { DisableControls(); }
  void MTEnableControls(bool ForceUpdateState) override;
  void RegisterEventReceiver(TComponent* Component) override;
  void UnregisterEventReceiver(TComponent* Component) override;
  void SetFilterAborted() override;

  // --- events
  TMemTableChangeFieldValueEventEh OnGetFieldValue;
  TMemTableChangeFieldValueEventEh OnSetFieldValue;
  TMTTreeNodeExpandingEventEh OnTreeNodeExpanding;
  TRecordsViewTreeNodeExpandingEventEh OnRecordsViewTreeNodeExpanding;
  TRecordsViewTreeNodeExpandedEventEh OnRecordsViewTreeNodeExpanded;
  TRecordsViewCheckMoveNodeEventEh OnRecordsViewCheckMoveNode;

protected:
  friend class TMemBlobStreamEh;
  friend class TMemTableTreeListEh;
  friend class TMemTableFilterItemEh;
  friend class TMemTableFiltersEh;
  friend class TMTOrderByList;

  // --- buffers
  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer& Buffer) override;
  void InternalInitRecord(TRecordBuffer Buffer) override;
  void InitRecord(TRecordBuffer Buffer) override;
  Integer GetRecordSize() const override { return FRecBufSize; }
  bool GetCurrentRecord(TRecordBuffer Buffer) const override { (void)Buffer; return false; }
  void ClearCalcFields(TRecordBuffer Buffer) override;
  void CalculateFields(TRecordBuffer Buffer) override;
  void RefreshInternalCalcFields(TRecordBuffer Buffer) override { CalculateFields(Buffer); }
  TFieldClass GetFieldClass(TFieldType FieldType) const override;
  TMTRecBuf* RecBuf(TRecordBuffer Buffer) const;
  void FillRecBuf(TMemoryRecordEh* Rec, Integer Row, TRecordBuffer Buffer);
  void CopyRecBuf(const TMTRecBuf& Source, TMTRecBuf& Dest) const;
  virtual void CopyRecBufToRecord(TMTRecBuf* Buffer, TMemoryRecordEh* Rec);
  void CheckFieldDataVarValue(TField* Field, Variant& VarValue) const;

  // --- field data
  bool GetFieldData(TField* Field, Variant& Value) const override;
  void SetFieldData(TField* Field, const Variant& Value) override;
  Variant GetOldFieldValue(TField* Field) const override;
  Variant GetAggregateValue(TField* Field) const;
  void ResetAggField(TField* Field);

  // --- cursor
  TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;
  void InternalFirst() override;
  void InternalLast() override;
  Integer GetRecordCount() const override;
  Integer GetRecNo() const override;
  void SetRecNoValue(Integer Value) override;
  bool FindRecord(bool Restart, bool GoForward) override;
  TBookmark GetBookmarkData(TRecordBuffer Buffer) const override;
  void SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data) override;
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) const override;
  void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override;
  void InternalGotoBookmark(const TBookmark& Bookmark) override;
  void InternalSetToRecord(TRecordBuffer Buffer) override;
  // The bookmark's hints brought up to date; false when its record is gone
  // from the view's list.
  bool UpdateBookmarkIndexes(TBookmarkDataEh& Data) const;
  TMemRecViewEh* ViewEntryAtRow(Integer Row) const;
  void FetchMoreRows(Integer Count);

  // --- opening and structure
  void OpenCursor(bool InfoQuery) override;
  void InternalOpen() override;
  void InternalClose() override;
  void InternalInitFieldDefs() override;
  bool IsCursorOpen() const override { return FActive; }
  void InternalHandleException() override;
  void CreateFields() override;
  void DefChanged(TObject* Sender) override;
  void UpdateIndexDefs() override;
  bool GetCanModify() const override { return !FReadOnly; }
  TDataSource* GetDataSource() const override;
  void DataEvent(TDataEvent Event, NativeInt Info) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual std::unique_ptr<TMemTableDataEh> CreateMemTableData();
  virtual void CreateIndexes();
  void RecordsViewStructChanged();
  void CalcInternalCalcFields(TMemoryRecordEh* MemRec, TRecDataValues& Values);
  void RecordsViewCalcLookupBuffer(TMemoryRecordEh* Rec, TMemRecViewEh* RecView);
  void UpdateInternalCalcCallback();

  // --- editing (the minimal path; cached updates and the driver build on it)
  void InternalInsert() override;
  void InternalEdit() override;
  void InternalPost() override;
  void InternalCancel() override;
  void InternalDelete() override;
  void InternalAddRecord(TRecordBuffer Buffer, bool Append) override;
  void InternalRefresh() override;
  void DoOnNewRecord() override;
  virtual void InternalApplyUpdates();
  virtual Integer InternalApplyUpdates(TMemTableDataEh* AMemTableData, Integer MaxErrors);
  // Reads up to Count records (-1: all) from the data driver into the storage.
  Integer ReadDriverRecords(Integer Count);
  // The driver's part of opening: structure and reader, then the first rows.
  void OpenDriverReader();
  void FetchOnOpen();
  void CloseDriverReader();
  // An append must wait until the driver has read every row.
  void CheckAppendAfterDriverRead();
  // The driver's part of a refresh: the reader again, the rows again.
  void RefreshFromDriver();
  // Without cached updates a change is applied through the driver at once:
  // what the change log still holds goes now.
  void ApplyChangeLogNow();
  // Writes a posted buffer into the storage: a new record for an insert
  // (placed at the cursor row), the changed values for an edit. Answers the
  // stored record.
  TMemoryRecordEh* PostBufferToStorage(TMTRecBuf* Buffer, bool Inserting);

  // --- filters
  void SetFiltered(bool Value) override;
  void SetFilterText(const String& Value) override;
  bool RecordsViewFilterRecord(TMemoryRecordEh* Rec, TMemRecViewEh* RecView);
  bool HasAnyFilter() const;
  void ReparseFilter();

  // --- sorting
  virtual void ApplySortOrder();
  virtual void InternalSortByFields(const String& SortByStr);
  void SortDataByOrderList(TMTOrderByList* ParamSort);

  // --- master/detail
  void UpdateDetailMode(bool AutoRefresh);
  void MasterChanged(TObject* Sender);
  Variant MasterValuesNow() const;
  // The master dataset when it can give parameters to the data driver.
  TDataSet* ReadyMasterDataSet() const;
  void SetProviderParamsFromMaster();
  void RefreshFromMaster();

  // --- view events
  virtual void MTViewDataEvent(Integer RowNum, TMTViewEventTypeEh Event, Integer OldRowNum);
  void RecordsViewDataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action);
  void RecordsViewRecordMoved(TMemoryRecordEh* MemRec, Integer OldIndex, Integer NewIndex);
  Integer ViewRowToDataSetRow(Integer Row) const;
  bool TreeListExpandedChanging(TMemRecViewEh* Node);
  void TreeListExpandedChanged(TMemRecViewEh* Node);

  // --- tree rows and moving
  void TreeRowsChanged(TMemRecViewEh* Current);
  TMemRecViewEh* TreeNodeAncestorAtLevel(Integer Level) const;
  void SetRecParentRef(TMemoryRecordEh* Rec, const Variant& Ref);
  bool PlaceTreeNode(TMemRecViewEh* Node, TMemRecViewEh* Sibling, bool After, TMemRecViewEh* Parent, bool CheckOnly);
  void FollowRecord(TMemoryRecordEh* Current);

  // --- fields
  bool FStateInsert = false;
  Integer FStateInsertRowNum = -1;
  std::vector<TComponent*> FEventReceivers;
  std::vector<std::unique_ptr<TMTRecBuf>> FRecordCache;
  bool FActive = false;
  Integer FAutoInc = 1;
  TDataDriverEh* FDataDriver = nullptr;
  TDataSet* FDataSetReader = nullptr;
  std::vector<TField*> FDetailFieldList;
  String FDetailFields;
  bool FDetailMode = false;
  bool FFetchAllOnOpen = false;
  std::unique_ptr<TDataSetExprParserEh> FFilterExpr;
  std::vector<TRecordBuffer> FInstantBuffers;
  Integer FInstantReadCurRowNum = -1;
  TMasterDetailSideEh FMasterDetailSide = mdsOnSelfEh;
  Variant FMasterValues;
  std::unique_ptr<TParams> FParams;
  bool FReadOnly = false;
  Integer FRecBufSize = -1;
  Integer FRecordPos = -1;
  std::unique_ptr<TMemTableDataEh> FInternMemTableData;
  std::unique_ptr<TRecordsViewEh> FRecordsView;
  std::unique_ptr<TMemTableTreeListEh> FTreeList;
  bool FStoreDefs = false;
  std::vector<TMemoryRecordEh*> FDetailRecList;
  bool FDetailRecListActive = false;
  TCustomMemTableEh* FExternalMemData = nullptr;
  Integer FRecordsViewUpdating = 0;
  bool FRecordsViewUpdated = false;
  TSortedVarlistEh FMasterValList;
  String FSortOrder;
  Integer FMTViewDataEventInactiveCount = 0;
  Integer FInactiveEventRowNum = -1;
  TMTViewEventTypeEh FInactiveEvent = mtViewDataChangedEh;
  Integer FInactiveEventOldRowNum = -1;
  bool FOldControlsDisabled = false;
  bool FOldActive = false;
  TMemTableOptionsEh FOptions;
  std::unique_ptr<TMemTableFiltersEh> FExtraFilters;
  TRecordBuffer FCalcBuffer = 0;
  TRecordBuffer FFilterRecBuf = 0;   // the record under a filter test
  bool FInstantReadMode = false;
  std::unique_ptr<TMasterDataLinkEh> FMasterDataLink;
  String FAutoIncrementFieldName;
  bool FInLoaded = false;
  TGetOrderVarValueProcEh FGetOrderVarValueProc;
  std::vector<Variant> FSortingValues;
  std::unique_ptr<TRecordsViewWalkEh> FAggrWalk;
  std::unique_ptr<TMTAggregatesEh> FAggregates;
  bool FDestroying = false;
};

class TMemTableEh : public TCustomMemTableEh {
  VELMORA_CLASS(TMemTableEh)
  using inherited = TCustomMemTableEh;
public:
  explicit TMemTableEh(TComponent* AOwner);
};

// Registers the memory table classes and their published properties, so
// that form descriptions can hold memory tables.
void RegisterMemTableClasses();
