// MemTableDataEhView.cpp: the records view of a memory table (flat rows or a
// tree) kept current one record event at a time, and the record tree.
#include "gridlib/memtable/MemTableDataEh.h"

#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

// ---------------------------------------------------------------------------
// Records view.

// The walks over every node of a large view wait mostly on memory: the node,
// its record and the record's values lie apart. Asking for them a few steps
// ahead lets those loads overlap.
namespace {

constexpr size_t PrefetchAhead = 16;

inline void Prefetch(const void* P)
{
  __builtin_prefetch(P);
}

// Places in the sorted list taken by the rows of the view: one bit a place,
// walked in order, instead of a list as long as the sorted one.
class TPlaceMarks {
public:
  explicit TPlaceMarks(size_t Count) : FBits((Count + 63) / 64, 0) {}
  void Mark(size_t At) { FBits[At / 64] |= std::uint64_t(1) << (At % 64); }
  bool Marked(size_t At) const { return FBits[At / 64] >> (At % 64) & 1; }
  template <class TVisit>
  void ForEach(TVisit Visit) const
  {
    for (size_t W = 0; W < FBits.size(); ++W)
      for (std::uint64_t Bits = FBits[W]; Bits; Bits &= Bits - 1)
        Visit(W * 64 + size_t(std::countr_zero(Bits)));
  }

private:
  std::vector<std::uint64_t> FBits;
};

// Asks for what step I of a walk over Recs will read: the record far ahead,
// its values nearer.
void PrefetchRecWalk(const std::vector<TMemoryRecordEh*>& Recs, size_t I, bool Values)
{
  const size_t N = Recs.size();
  if (I + PrefetchAhead < N)
    Prefetch(Recs[I + PrefetchAhead]);
  if (Values && I + PrefetchAhead / 2 < N)
    Prefetch(Recs[I + PrefetchAhead / 2]->Values().Block());
}

}  // namespace

TRecordsViewEh::TRecordsViewEh(TDataSet* ADataSet)
  : TRecordsListNotificatorEh(nullptr), FMemoryTreeList(std::make_unique<TMemoryTreeListEh>(this)), FDataSet(ADataSet)
{
}

TRecordsViewEh::~TRecordsViewEh()
{
  SetDataObject(nullptr);
  while (!FNotificators.empty())
    FNotificators.back()->SetDataObject(nullptr);
  FMemoryTreeList.reset();
  FMemoryViewList.clear();
  FreeSortedList();
}

void TRecordsViewEh::FreeSortedList()
{
  FSorderViewList.clear();
  FSortedPlace.clear();
  FSortedShared = false;
  FFlatNodes.clear();
}

namespace {

// The records of the data's list, which a view without its own lists shows.
const std::vector<TMemoryRecordEh*>& RecordsOfList(const TMemTableDataEh* Data)
{
  static const std::vector<TMemoryRecordEh*> Empty;
  return Data && Data->RecordsList() ? Data->RecordsList()->Recs() : Empty;
}

template <class T>
void Release(std::vector<T>& V)
{
  std::vector<T>().swap(V);
}

}  // namespace

const std::vector<TMemoryRecordEh*>& TRecordsViewEh::SortedRecs() const
{
  if (!FSortedShared)
    return FSorderViewList;
  return RecordsOfList(MemTableData());
}

const std::vector<TMemoryRecordEh*>& TRecordsViewEh::RowRecs() const
{
  if (FRowsAreSorted)
    return FSorderViewList;
  if (!FRowsShared)
    return FMemoryViewList;
  return RecordsOfList(MemTableData());
}

void TRecordsViewEh::OwnSortedList()
{
  if (!FSortedShared)
    return;
  FSorderViewList = SortedRecs();
  FSortedShared = false;
  FSortedPlace.resize(FSorderViewList.size());
  for (size_t I = 0; I < FSortedPlace.size(); ++I)
    FSortedPlace[I] = Integer(I);
  FSortedListIndexesObsolete = false;
}

void TRecordsViewEh::OwnRows()
{
  if (FRowsAreSorted) {
    FMemoryViewList = FSorderViewList;
    FRowsAreSorted = false;
    return;
  }
  if (!FRowsShared)
    return;
  FMemoryViewList = RowRecs();
  FRowsShared = false;
}

void TRecordsViewEh::OwnLists()
{
  OwnRows();
  OwnSortedList();
}

void TRecordsViewEh::ShareSortedList()
{
  // Every record a row: in storage order they are the records list.
  if (FRowsAreSorted) {
    FRowsAreSorted = false;
    FRowsShared = true;
  }
  Release(FSorderViewList);
  Release(FSortedPlace);
  FSortedShared = true;
  FSortedListIndexesObsolete = false;
}

void TRecordsViewEh::TryShareRows()
{
  if (FRowsShared || !FSortedShared || FViewAsTreeList || !FSortOrder.isEmpty() || FDisableFilterCount > 0)
    return;
  TRecordsListEh* List = MemTableData() ? MemTableData()->RecordsList() : nullptr;
  if (!List || FMemoryViewList != List->Recs())
    return;
  Release(FMemoryViewList);
  FRowsShared = true;
}

void TRecordsViewEh::InstantDisableFilter()
{
  OwnLists();
  ++FDisableFilterCount;
}

TMemRecViewEh* TRecordsViewEh::FlatNode(TMemoryRecordEh* Rec) const
{
  std::unique_ptr<TMemRecViewEh>& Slot = FFlatNodes[Rec];
  if (!Slot) {
    Slot = std::make_unique<TMemRecViewEh>();
    Slot->FRec = Rec;
    Slot->SetData(Rec);
    Slot->FRecordsView = const_cast<TRecordsViewEh*>(this);
  }
  return Slot.get();
}

TMemRecViewEh* TRecordsViewEh::ExistingFlatNode(TMemoryRecordEh* Rec) const
{
  if (FFlatNodes.empty())
    return nullptr;
  const auto It = FFlatNodes.find(Rec);
  return It == FFlatNodes.end() ? nullptr : It->second.get();
}

Integer TRecordsViewEh::ViewItemsCount() const
{
  if (FViewAsTreeList)
    return FMemoryTreeList->VisibleExpandedCount();
  return Integer(RowRecs().size());
}

Integer TRecordsViewEh::AccountableItemsCount() const
{
  if (FViewAsTreeList)
    return FMemoryTreeList->AccountableCount();
  return Integer(RowRecs().size());
}

TMemRecViewEh* TRecordsViewEh::GetRecordView(Integer Index) const
{
  if (FViewAsTreeList) {
    TMemRecViewEh* Node = FMemoryTreeList->GetVisibleExpandedItem(Index);
    if (!Node)
      throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return Node;
  }
  const std::vector<TMemoryRecordEh*>& Rows = RowRecs();
  if (Index < 0 || Index >= Integer(Rows.size()))
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
  return FlatNode(Rows[size_t(Index)]);
}

TMemoryRecordEh* TRecordsViewEh::GetViewRecord(Integer Index) const
{
  if (FViewAsTreeList)
    return GetRecordView(Index)->Rec();
  const std::vector<TMemoryRecordEh*>& Rows = RowRecs();
  if (Index < 0 || Index >= Integer(Rows.size()))
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
  return Rows[size_t(Index)];
}

TMemoryRecordEh* TRecordsViewEh::GetAccountableRecord(Integer Index) const
{
  if (FViewAsTreeList) {
    TMemRecViewEh* Node = FMemoryTreeList->GetAccountableItem(Index);
    if (!Node)
      throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return Node->Rec();
  }
  return GetViewRecord(Index);
}

Integer TRecordsViewEh::IndexOfRec(TMemoryRecordEh* Rec) const
{
  const Integer N = ViewItemsCount();
  if (N == 0)
    return -1;
  if (GetViewRecord(N - 1) == Rec)
    return N - 1;
  for (Integer I = 0; I < N - 1; ++I)
    if (GetViewRecord(I) == Rec)
      return I;
  return -1;
}

Integer TRecordsViewEh::IndexOfSortedListRec(TMemoryRecordEh* Rec) const
{
  if (!FViewAsTreeList) {
    if (FSortedListIndexesObsolete)
      const_cast<TRecordsViewEh*>(this)->UpdateSortedListIndexes();
    const std::vector<TMemoryRecordEh*>& Sorted = SortedRecs();
    const Integer Pos = Rec ? Rec->Index() : -1;
    const Integer At = FSortedShared                                          ? Pos
                       : Pos >= 0 && Pos < Integer(FSortedPlace.size()) ? FSortedPlace[size_t(Pos)]
                                                                          : -1;
    if (At >= 0 && At < Integer(Sorted.size()) && Sorted[size_t(At)] == Rec)
      return At;
    const auto It = std::find(Sorted.begin(), Sorted.end(), Rec);
    return It == Sorted.end() ? -1 : Integer(It - Sorted.begin());
  }
  const Integer N = SortedListItemCount();
  if (N == 0)
    return -1;
  if (GetSortedListItem(N - 1)->Rec() == Rec)
    return N - 1;
  for (Integer I = 0; I < N - 1; ++I)
    if (GetSortedListItem(I)->Rec() == Rec)
      return I;
  return -1;
}

TMemRecViewEh* TRecordsViewEh::GetSortedListItem(Integer Index) const
{
  if (FViewAsTreeList)
    return FMemoryTreeList->GetFlatListItem(Index);
  const std::vector<TMemoryRecordEh*>& Sorted = SortedRecs();
  if (Index < 0 || Index >= Integer(Sorted.size()))
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
  return FlatNode(Sorted[size_t(Index)]);
}

Integer TRecordsViewEh::SortedListItemCount() const
{
  return FViewAsTreeList ? FMemoryTreeList->FlatListCount() : Integer(SortedRecs().size());
}

void TRecordsViewEh::UpdateSortedListIndexes()
{
  if (!FViewAsTreeList && !FSortedShared) {
    FSortedPlace.assign(FSorderViewList.size(), -1);
    for (size_t I = 0; I < FSorderViewList.size(); ++I) {
      PrefetchRecWalk(FSorderViewList, I, false);
      const Integer At = FSorderViewList[I]->Index();
      if (At >= 0) {
        if (size_t(At) >= FSortedPlace.size())
          FSortedPlace.resize(size_t(At) + 1, -1);
        FSortedPlace[size_t(At)] = Integer(I);
      }
    }
  }
  FSortedListIndexesObsolete = false;
}

Integer TRecordsViewEh::FindRowByIndexKey(TMTIndexEh* Index, const Variant& Key, Integer StartRow) const
{
  std::vector<TMemoryRecordEh*> Matches;
  Index->FillMatchedRecsList(Key, Matches);
  Integer Best = -1;
  for (TMemoryRecordEh* Rec : Matches) {
    const Integer Row = IndexOfRec(Rec);
    if (Row >= std::max(StartRow, 0) && (Best < 0 || Row < Best))
      Best = Row;
  }
  return Best;
}

// --- record operations through the view

TMemoryRecordEh* TRecordsViewEh::NewRecord()
{
  return MemTableData()->RecordsList()->NewRecord();
}

void TRecordsViewEh::AddRecord(TMemoryRecordEh* Rec)
{
  MemTableData()->RecordsList()->AddRecord(Rec);
}

void TRecordsViewEh::InsertRecord(Integer Index, TMemoryRecordEh* Rec)
{
  TRecordsListEh* List = MemTableData()->RecordsList();
  const std::vector<TMemoryRecordEh*>& Rows = RowRecs();
  if (!FViewAsTreeList && !Rows.empty() && Index >= 0 && Index < Integer(Rows.size()))
    List->InsertRecord(GetViewRecord(Index)->Index(), Rec);
  else if (!FViewAsTreeList && Index >= Integer(Rows.size()) && !Rows.empty())
    List->AddRecord(Rec);
  else if (FViewAsTreeList && Index > 0)
    List->InsertRecord(GetViewRecord(Index - 1)->Index() + 1, Rec);
  else
    List->InsertRecord(0, Rec);
}

void TRecordsViewEh::DeleteRecord(Integer Index)
{
  TRecordsListEh* List = MemTableData()->RecordsList();
  List->DeleteRecord(GetViewRecord(Index)->Index());
}

void TRecordsViewEh::SetValue(Integer RecNo, Integer ValNo, const Variant& Value)
{
  MemTableData()->RecordsList()->SetValue(GetViewRecord(RecNo)->Index(), ValNo, Value);
}

Variant TRecordsViewEh::GetValue(Integer RecNo, Integer ValNo) const
{
  return GetViewRecord(RecNo)->GetDataValue(ValNo, dvvValueEh);
}

void TRecordsViewEh::RevertRecord(Integer Index)
{
  MemTableData()->RecordsList()->RevertRecord(GetViewRecord(Index)->Index());
}

void TRecordsViewEh::RefreshRecord(Integer Index, TMemoryRecordEh* Rec)
{
  MemTableData()->RecordsList()->RefreshRecord(GetViewRecord(Index)->Index(), Rec);
}

void TRecordsViewEh::MergeChangeLog()
{
  MemTableData()->RecordsList()->MergeChangeLog();
}

void TRecordsViewEh::CancelUpdates()
{
  MemTableData()->RecordsList()->CancelUpdates();
}

const TRecValuesEh* TRecordsViewEh::GetOldRecVals(Integer Index) const
{
  return GetViewRecord(Index)->OldData();
}

void TRecordsViewEh::LockCachedUpdates()
{
  ++FCachedUpdatesLockCount;
  if (MemTableData())
    MemTableData()->RecordsList()->SetCachedUpdates(false);
}

void TRecordsViewEh::UnlockCachedUpdates()
{
  if (FCachedUpdatesLockCount > 0)
    --FCachedUpdatesLockCount;
  if (FCachedUpdatesLockCount == 0 && MemTableData())
    MemTableData()->RecordsList()->SetCachedUpdates(FCachedUpdates);
}

// --- settings

void TRecordsViewEh::SetStatusFilter(TUpdateStatusSet Value)
{
  if (Value == FStatusFilter)
    return;
  FStatusFilter = Value;
  RefreshFilteredRecsList(true);
  RefreshFilteredRecsTreeList();
}

void TRecordsViewEh::SetSortOrder(const String& Value)
{
  if (Value == FSortOrder)
    return;
  std::unique_ptr<TObject> List;
  if (!Value.isEmpty() && OnParseOrderByStr)
    List = OnParseOrderByStr(Value);   // a parse error leaves everything as it was
  FOrderByList = std::move(List);
  FSortOrder = Value;
  SortOrderChanged();
}

void TRecordsViewEh::SetSortOrderCaseInsensitive(bool Value)
{
  if (Value == FSortOrderCaseInsensitive)
    return;
  FSortOrderCaseInsensitive = Value;
  // The order list takes the flag when it is parsed again.
  if (!FSortOrder.isEmpty() && OnParseOrderByStr)
    FOrderByList = OnParseOrderByStr(FSortOrder);
  SortOrderChanged();
}

void TRecordsViewEh::SetViewAsTreeList(bool Value)
{
  if (Value == FViewAsTreeList)
    return;
  FViewAsTreeList = Value;
  if (Value)
    RebuildMemoryTreeList();
  else
    FMemoryTreeList->Clear();
  RefreshFilteredRecsList(true);
  RefreshFilteredRecsTreeList();
}

void TRecordsViewEh::SetTreeViewKeyFieldName(const String& Value)
{
  if (Value == FTreeViewKeyFieldName)
    return;
  FTreeViewKeyFieldName = Value;
  UpdateFields();
}

void TRecordsViewEh::SetTreeViewRefParentFieldName(const String& Value)
{
  if (Value == FTreeViewRefParentFieldName)
    return;
  FTreeViewRefParentFieldName = Value;
  UpdateFields();
}

void TRecordsViewEh::UpdateFields()
{
  FTreeViewKeyFields.clear();
  FTreeViewRefParentFields.clear();
  if (!MemTableData())
    return;
  TMTDataStructEh* Struct = MemTableData()->DataStruct();
  if (!FTreeViewKeyFieldName.isEmpty())
    FTreeViewKeyFields = Struct->FieldsIndex(FTreeViewKeyFieldName);
  if (!FTreeViewRefParentFieldName.isEmpty())
    FTreeViewRefParentFields = Struct->FieldsIndex(FTreeViewRefParentFieldName);
}

void TRecordsViewEh::UpdateAllLookupBuffer()
{
  if (!OnCalcLookupBuffer)
    return;
  // A flat view keeps values only in the nodes made so far; the others are
  // computed when their node is asked for.
  if (!FViewAsTreeList) {
    for (auto& [Rec, Node] : FFlatNodes) {
      Node->FLookupBuffer.clear();
      OnCalcLookupBuffer(Rec, Node.get());
    }
    return;
  }
  for (Integer I = 0; I < ViewItemsCount(); ++I) {
    TMemRecViewEh* Node = GetRecordView(I);
    Node->FLookupBuffer.clear();
    OnCalcLookupBuffer(Node->Rec(), Node);
  }
}

// --- filter and order

bool TRecordsViewEh::IsRecordInFilter(TMemoryRecordEh* Rec, Integer Index)
{
  if (!FStatusFilter.Contains(Rec->UpdateStatus()))
    return false;
  return OnFilterRecord ? OnFilterRecord(Rec, Index) : true;
}

// Ties of the sort order fall back to the storage order, so the unstable
// quicksort still gives one defined order.
Integer TRecordsViewEh::CompareRecords(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2) const
{
  if (!FSortOrder.isEmpty() && OnCompareRecords) {
    const Integer C = OnCompareRecords(Rec1, Rec2, FOrderByList.get());
    if (C != 0)
      return C;
  }
  return Rec1->Index() - Rec2->Index();
}

Integer TRecordsViewEh::InsertPosition(TMemoryRecordEh* Rec, Integer Hint) const
{
  const std::vector<TMemoryRecordEh*>& Rows = RowRecs();
  const Integer N = Integer(Rows.size());
  if (N == 0 || CompareRecords(Rows[0], Rec) > 0)
    return 0;
  if (CompareRecords(Rows[size_t(N - 1)], Rec) < 0)
    return N;
  if (Hint >= 0 && Hint <= N) {
    const bool BeforeOk = Hint == 0 || CompareRecords(Rows[size_t(Hint - 1)], Rec) <= 0;
    const bool AtOk = Hint == N || CompareRecords(Rows[size_t(Hint)], Rec) >= 0;
    if (BeforeOk && AtOk)
      return Hint;
  }
  Integer Lo = 0;
  Integer Hi = N - 1;
  while (Lo <= Hi) {
    const Integer Mid = (Lo + Hi) / 2;
    const Integer C = CompareRecords(Rows[size_t(Mid)], Rec);
    if (C == 0)
      return Mid;
    if (C < 0)
      Lo = Mid + 1;
    else
      Hi = Mid - 1;
  }
  return Lo;
}

// The sorted list in storage order. The nodes of records still in the list
// stay, so that the entries handed out for them stay valid.
void TRecordsViewEh::RebuildSortedList(TRecordsListEh* List)
{
  const Integer N = List ? List->Count() : 0;
  if (List && !FViewAsTreeList && FDisableFilterCount == 0) {
    ShareSortedList();
  } else {
    FSortedShared = false;
    if (List)
      FSorderViewList = List->Recs();
    else
      FSorderViewList.clear();
    FSortedPlace.resize(size_t(N));
    for (Integer I = 0; I < N; ++I)
      FSortedPlace[size_t(I)] = I;
  }
  if (FFlatNodes.empty())
    return;
  // Records that left the list without an event are never read: a node
  // stays only when its record is found among the list's.
  std::unordered_map<TMemoryRecordEh*, std::unique_ptr<TMemRecViewEh>> Kept;
  for (TMemoryRecordEh* Rec : SortedRecs())
    if (const auto It = FFlatNodes.find(Rec); It != FFlatNodes.end())
      Kept.emplace(Rec, std::move(It->second));
  FFlatNodes = std::move(Kept);
}

void TRecordsViewEh::RefreshFilteredRecsList(bool NotifyListChanged)
{
  FMemoryViewList.clear();
  FRowsShared = false;
  FRowsAreSorted = false;
  TRecordsListEh* List = MemTableData() ? MemTableData()->RecordsList() : nullptr;
  // A sorted list still in order is kept: only the filter is run again, and
  // the rows come out of it already in order.
  bool InOrder = FSortedListInOrder && !FViewAsTreeList && List &&
                 Integer(SortedRecs().size()) == List->Count();
  if (InOrder && !FSortedShared) {
    if (FSortedListIndexesObsolete)
      UpdateSortedListIndexes();
    const Integer N = Integer(FSorderViewList.size());
    InOrder = FSortedPlace.size() == size_t(N) &&
              std::all_of(FSortedPlace.begin(), FSortedPlace.end(), [N](Integer At) { return At >= 0 && At < N; });
  }
  if (!InOrder) {
    FSortedListInOrder = false;
    RebuildSortedList(List);
    FSortedListIndexesObsolete = false;
  }
  const std::vector<TMemoryRecordEh*>* Candidates = nullptr;
  if (List && !FViewAsTreeList) {
    Candidates = OnGetPrefilteredList ? OnGetPrefilteredList() : nullptr;
    if (!Candidates)
      Candidates = &SortedRecs();
    FFilterAborted = false;
    std::vector<TMemoryRecordEh*> Rows;
    if (InOrder && Candidates == &FSorderViewList && !FSortedShared && !FSortOrder.isEmpty()) {
      // The records are judged in list order, where they lie in memory one
      // after another, and each marked at its place in the sorted list.
      const std::vector<TMemoryRecordEh*>& Recs = List->Recs();
      TPlaceMarks Placed(Recs.size());
      for (size_t I = 0; I < Recs.size() && !FFilterAborted; ++I) {
        PrefetchRecWalk(Recs, I, OnFilterRecord != nullptr);
        const Integer At = FSortedPlace[I];
        if (IsRecordInFilter(Recs[I], At))
          Placed.Mark(size_t(At));
      }
      Placed.ForEach([&](size_t At) { Rows.push_back(FSorderViewList[At]); });
    } else {
      for (size_t I = 0; I < Candidates->size() && !FFilterAborted; ++I) {
        PrefetchRecWalk(*Candidates, I, OnFilterRecord != nullptr);
        TMemoryRecordEh* Rec = (*Candidates)[I];
        if (IsRecordInFilter(Rec, Integer(I)))
          Rows.push_back(Rec);
      }
    }
    if (OnCalcLookupBuffer && !FFlatNodes.empty())
      for (TMemoryRecordEh* Rec : Rows)
        if (TMemRecViewEh* Node = ExistingFlatNode(Rec))
          OnCalcLookupBuffer(Rec, Node);
    if (!FFilterAborted) {
      FMemoryViewList = std::move(Rows);
      TryShareRows();
    }
  }
  if (InOrder) {
    if (Candidates && Candidates != &SortedRecs() && !FSortOrder.isEmpty())
      OrderRowsAsSortedList(FOrderByList.get(), [this](TMemoryRecordEh* A, TMemoryRecordEh* B, TObject*) {
        return CompareRecords(A, B);
      });
    else if (NotifyListChanged || !FSortOrder.isEmpty())
      ViewDataEvent(nullptr, -1, rlnListChangedEh);
  } else if (!FSortOrder.isEmpty()) {
    SortRecordsList();
  } else {
    FSortedListInOrder = !FViewAsTreeList;
    if (NotifyListChanged)
      ViewDataEvent(nullptr, -1, rlnListChangedEh);
  }
}

void TRecordsViewEh::QuickSortRecs(std::vector<TMemoryRecordEh*>& List, Integer L, Integer R, TObject* ParamSort,
                                   const TCompareRecordsEh& Compare)
{
  while (L < R) {
    Integer I = L;
    Integer J = R;
    TMemoryRecordEh* Pivot = List[size_t((L + R) / 2)];
    do {
      while (Compare(List[size_t(I)], Pivot, ParamSort) < 0)
        ++I;
      while (Compare(List[size_t(J)], Pivot, ParamSort) > 0)
        --J;
      if (I <= J) {
        std::swap(List[size_t(I)], List[size_t(J)]);
        ++I;
        --J;
      }
    } while (I <= J);
    // Recursion into the smaller part keeps the stack shallow.
    if (J - L < R - I) {
      QuickSortRecs(List, L, J, ParamSort, Compare);
      L = I;
    } else {
      QuickSortRecs(List, I, R, ParamSort, Compare);
      R = J;
    }
  }
}

// The sorted list is sorted once; the rows of the view, a subset of it, then
// take its order from the records' places in it.
namespace {

// One record with its key read out, sized for the key length so that the
// sort moves as little memory as it can.
template <int Length>
struct TKeyedRec {
  double Key[Length > 0 ? Length : 1];
  TMemoryRecordEh* Rec;
  Integer Pos;
};

// A key item as whole numbers: the doubles times a power of ten where that
// is exact for every value, so amounts, quarters and times order as plain
// integers. Null (an infinite key) takes the lowest or the highest code.
struct TKeyScale {
  int Tried = 0;            // index of the scale that held so far
  double Scale = 1;
  double MinKey = std::numeric_limits<double>::infinity();
  double MaxKey = -std::numeric_limits<double>::infinity();
  Int64 Min = 0;            // of the finite keys, scaled
  std::uint64_t Codes = 0;  // codes in use: finite range, plus one for each infinity
  bool Low = false;         // some key is -infinity
  bool High = false;        // some key is +infinity
};

constexpr double KeyScales[] = {1, 10, 100, 1000, 10000};

// Whether V times S is a whole number that gives V back: then distinct keys
// keep distinct codes in the same order.
inline bool ScalesExactly(double V, double S)
{
  constexpr double Exact = 9007199254740992.0;   // 2^53
  const double W = V * S;
  return std::fabs(W) < Exact && W == std::trunc(W) && W / S == V;
}

// Takes one key into the item's range; false when no scale holds for it.
inline bool SeeKey(double V, TKeyScale& Scale)
{
  if (std::isinf(V)) {
    (V < 0 ? Scale.Low : Scale.High) = true;
    return true;
  }
  while (!ScalesExactly(V, KeyScales[Scale.Tried]))
    if (++Scale.Tried == int(std::size(KeyScales)))
      return false;
  Scale.MinKey = std::min(Scale.MinKey, V);
  Scale.MaxKey = std::max(Scale.MaxKey, V);
  return true;
}

// The codes of an item once every key was seen; false when its ends do not
// scale exactly.
bool FinishScale(TKeyScale& Scale)
{
  Scale.Scale = KeyScales[Scale.Tried];
  Int64 Range = -1;
  if (Scale.MinKey <= Scale.MaxKey) {
    if (!ScalesExactly(Scale.MinKey, Scale.Scale) || !ScalesExactly(Scale.MaxKey, Scale.Scale))
      return false;
    Scale.Min = Int64(Scale.MinKey * Scale.Scale);
    Range = Int64(Scale.MaxKey * Scale.Scale) - Scale.Min;
  }
  Scale.Codes = std::uint64_t(Range + 1) + Scale.Low + Scale.High;
  return true;
}

// The code of a key; false when a scale found after it no longer holds.
inline bool KeyCode(double V, const TKeyScale& Scale, std::uint64_t& Code)
{
  if (std::isinf(V)) {
    Code = V < 0 ? 0 : Scale.Codes - 1;
    return true;
  }
  if (!ScalesExactly(V, Scale.Scale))
    return false;
  Code = std::uint64_t(Int64(V * Scale.Scale) - Scale.Min) + Scale.Low;
  return true;
}

// Words kept in memory read and written byte-wise, so that the record list
// being sorted can lend its own room as the second buffer.
inline std::uint64_t LoadWord(const unsigned char* Base, size_t I)
{
  std::uint64_t W;
  std::memcpy(&W, Base + 8 * I, 8);
  return W;
}

inline void StoreWord(unsigned char* Base, size_t I, std::uint64_t W)
{
  std::memcpy(Base + 8 * I, &W, 8);
}

// Least significant digit first, between the two buffers; digits that every
// word shares are skipped. Answers the buffer that holds the sorted words.
unsigned char* RadixSortWords(unsigned char* Words, unsigned char* Spare, size_t N, int Bits)
{
  constexpr int DigitBits = 11;
  constexpr size_t Buckets = size_t(1) << DigitBits;
  const int Digits = (Bits + DigitBits - 1) / DigitBits;
  std::vector<std::array<std::uint32_t, Buckets>> Counts(static_cast<size_t>(Digits));
  for (auto& C : Counts)
    C.fill(0);
  for (size_t I = 0; I < N; ++I) {
    const std::uint64_t W = LoadWord(Words, I);
    for (int D = 0; D < Digits; ++D)
      ++Counts[size_t(D)][(W >> (D * DigitBits)) & (Buckets - 1)];
  }
  for (int D = 0; D < Digits; ++D) {
    auto& Count = Counts[size_t(D)];
    if (std::find(Count.begin(), Count.end(), std::uint32_t(N)) != Count.end())
      continue;
    std::uint32_t Sum = 0;
    for (std::uint32_t& C : Count)
      Sum += std::exchange(C, Sum);
    for (size_t I = 0; I < N; ++I) {
      const std::uint64_t W = LoadWord(Words, I);
      StoreWord(Spare, Count[(W >> (D * DigitBits)) & (Buckets - 1)]++, W);
    }
    std::swap(Words, Spare);
  }
  return Words;
}

enum class TRadixSort { Sorted, NoKey, Unpacked };

// Keys and list position packed into one word a record and sorted as
// integers. The keys are read twice, to find their ranges and then to pack
// them, so that the only new room is one word a record: a large sort spends
// its time in the keys, not in fresh memory. Unpacked (nothing changed) when
// they do not fit one word or a record is not at its position in the list.
template <int Length>
TRadixSort RadixSortRecs(std::vector<TMemoryRecordEh*>& Recs, const std::vector<TMemoryRecordEh*>& ListRecs,
                         const TRecordsSortKeyEh* Keys, std::vector<Integer>& Places)
{
  static_assert(sizeof(TMemoryRecordEh*) == sizeof(std::uint64_t));
  const size_t N = Recs.size();
  if (ListRecs.size() != N || N > std::numeric_limits<std::uint32_t>::max())
    return TRadixSort::Unpacked;
  TKeyScale Scales[Length > 0 ? Length : 1];
  double Key[TRecordsSortKeyEh::MaxKeyLength];
  // Every record of the list once, each at its position: the list then gives
  // back each record by its position.
  std::vector<bool> Seen(N);
  for (size_t I = 0; I < N; ++I) {
    PrefetchRecWalk(Recs, I, Length > 0);
    TMemoryRecordEh* Rec = Recs[I];
    const Integer Pos = Rec->Index();
    if (Pos < 0 || size_t(Pos) >= N || ListRecs[size_t(Pos)] != Rec || Seen[size_t(Pos)])
      return TRadixSort::Unpacked;
    Seen[size_t(Pos)] = true;
    if constexpr (Length > 0) {
      if (!Keys->KeyOf(Rec, Key))
        return TRadixSort::NoKey;
      for (int K = 0; K < Length; ++K) {
        // A NaN orders against nothing: only the compare routine can place it.
        if (std::isnan(Key[K]))
          return TRadixSort::NoKey;
        if (!SeeKey(Key[K], Scales[K]))
          return TRadixSort::Unpacked;
      }
    }
  }
  if constexpr (Length == 0) {
    Recs = ListRecs;
    Places.resize(N);
    for (size_t I = 0; I < N; ++I)
      Places[I] = Integer(I);
    return TRadixSort::Sorted;
  }
  const int PosBits = std::bit_width(N);
  int Bits = PosBits;
  int Shift[Length > 0 ? Length : 1];
  for (int K = Length - 1; K >= 0; --K) {
    if (!FinishScale(Scales[K]))
      return TRadixSort::Unpacked;
    Shift[K] = Bits;
    Bits += std::bit_width(Scales[K].Codes > 0 ? Scales[K].Codes - 1 : 0);
    if (Bits > 64)
      return TRadixSort::Unpacked;
  }
  std::unique_ptr<unsigned char[]> Words(new unsigned char[8 * N]);
  for (size_t I = 0; I < N; ++I) {
    PrefetchRecWalk(Recs, I, Length > 0);
    const TMemoryRecordEh* Rec = Recs[I];
    std::uint64_t W = std::uint64_t(Rec->Index());
    if constexpr (Length > 0) {
      if (!Keys->KeyOf(Rec, Key))
        return TRadixSort::NoKey;
      for (int K = 0; K < Length; ++K) {
        std::uint64_t Code;
        if (!KeyCode(Key[K], Scales[K], Code))
          return TRadixSort::Unpacked;
        W |= Code << Shift[K];
      }
    }
    StoreWord(Words.get(), I, W);
  }
  auto* Lent = reinterpret_cast<unsigned char*>(Recs.data());
  const unsigned char* Sorted = RadixSortWords(Words.get(), Lent, N, Bits);
  Places.resize(N);
  for (size_t I = 0; I < N; ++I) {
    const size_t Pos = size_t(LoadWord(Sorted, I) & ((std::uint64_t(1) << PosBits) - 1));
    Recs[I] = ListRecs[Pos];
    Places[Pos] = Integer(I);
  }
  return TRadixSort::Sorted;
}

// Places gets the new place of each record by its list position; false in
// Obsolete when a position lay outside the list.
template <int Length>
bool SortRecsByKeys(std::vector<TMemoryRecordEh*>& Recs, const std::vector<TMemoryRecordEh*>* ListRecs,
                    const TRecordsSortKeyEh* Keys, std::vector<Integer>& Places, bool& Obsolete)
{
  const TRadixSort Radix =
    ListRecs ? RadixSortRecs<Length>(Recs, *ListRecs, Keys, Places) : TRadixSort::Unpacked;
  if (Radix != TRadixSort::Unpacked) {
    Obsolete = false;
    return Radix == TRadixSort::Sorted;
  }
  const size_t N = Recs.size();
  // Left uninitialised: every item is written below.
  std::unique_ptr<TKeyedRec<Length>[]> Items(new TKeyedRec<Length>[N]);
  double Key[TRecordsSortKeyEh::MaxKeyLength];
  for (size_t I = 0; I < N; ++I) {
    PrefetchRecWalk(Recs, I, Length > 0);
    TKeyedRec<Length>& Item = Items[I];
    Item.Rec = Recs[I];
    Item.Pos = Item.Rec->Index();
    if constexpr (Length > 0) {
      if (!Keys->KeyOf(Item.Rec, Key))
        return false;
      for (int K = 0; K < Length; ++K) {
        // A NaN orders against nothing: only the compare routine can place it.
        if (std::isnan(Key[K]))
          return false;
        Item.Key[K] = Key[K];
      }
    }
  }
  std::sort(Items.get(), Items.get() + N, [](const TKeyedRec<Length>& A, const TKeyedRec<Length>& B) {
    for (int K = 0; K < Length; ++K)
      if (A.Key[K] != B.Key[K])
        return A.Key[K] < B.Key[K];
    return A.Pos < B.Pos;
  });
  Places.assign(N, -1);
  Obsolete = false;
  for (size_t I = 0; I < N; ++I) {
    Recs[I] = Items[I].Rec;
    // The positions are known here: no walk over the records to find them.
    if (Items[I].Pos >= 0 && size_t(Items[I].Pos) < N)
      Places[size_t(Items[I].Pos)] = Integer(I);
    else
      Obsolete = true;
  }
  return true;
}

}  // namespace

// The sorted list ordered by keys read once from each record; false (and
// nothing changed) when a record's key cannot be read so.
// Without Keys, storage order.
bool TRecordsViewEh::SortByKeys(const TRecordsSortKeyEh* Keys)
{
  static_assert(TRecordsSortKeyEh::MaxKeyLength == 4);
  OwnSortedList();
  const std::vector<TMemoryRecordEh*>* ListRecs =
    MemTableData() && MemTableData()->RecordsList() ? &MemTableData()->RecordsList()->Recs() : nullptr;
  auto& Recs = FSorderViewList;
  switch (Keys ? Keys->KeyLength() : 0) {
  case 0: return !Keys && SortRecsByKeys<0>(Recs, ListRecs, nullptr, FSortedPlace, FSortedListIndexesObsolete);
  case 1: return SortRecsByKeys<1>(Recs, ListRecs, Keys, FSortedPlace, FSortedListIndexesObsolete);
  case 2: return SortRecsByKeys<2>(Recs, ListRecs, Keys, FSortedPlace, FSortedListIndexesObsolete);
  case 3: return SortRecsByKeys<3>(Recs, ListRecs, Keys, FSortedPlace, FSortedListIndexesObsolete);
  case 4: return SortRecsByKeys<4>(Recs, ListRecs, Keys, FSortedPlace, FSortedListIndexesObsolete);
  default: return false;
  }
}

void TRecordsViewEh::SortData(TObject* ParamSort, const TCompareRecordsEh& Compare)
{
  const auto* Keys = dynamic_cast<const TRecordsSortKeyEh*>(ParamSort);
  OwnSortedList();
  if (!(Keys && SortByKeys(Keys))) {
    QuickSortRecs(FSorderViewList, 0, Integer(FSorderViewList.size()) - 1, ParamSort, Compare);
    FSortedListIndexesObsolete = true;
  }
  OrderRowsAsSortedList(ParamSort, Compare);
}

void TRecordsViewEh::OrderRowsAsSortedList(TObject* ParamSort, const TCompareRecordsEh& Compare)
{
  if (FSortedListIndexesObsolete)
    UpdateSortedListIndexes();
  // Rows that are every record are the sorted list in its new order.
  if ((FRowsShared || FRowsAreSorted) && !FSortedShared) {
    Release(FMemoryViewList);
    FRowsShared = false;
    FRowsAreSorted = true;
  }
  if (!FRowsShared && !FRowsAreSorted && FMemoryViewList.size() > 1) {
    const std::vector<TMemoryRecordEh*>& Sorted = SortedRecs();
    TPlaceMarks Placed(Sorted.size());
    bool AllPlaced = true;
    for (size_t I = 0; I < FMemoryViewList.size(); ++I) {
      PrefetchRecWalk(FMemoryViewList, I, false);
      TMemoryRecordEh* Rec = FMemoryViewList[I];
      const Integer Pos = Rec->Index();
      const Integer At = FSortedShared                                          ? Pos
                         : Pos >= 0 && Pos < Integer(FSortedPlace.size()) ? FSortedPlace[size_t(Pos)]
                                                                            : -1;
      if (At < 0 || At >= Integer(Sorted.size()) || Sorted[size_t(At)] != Rec || Placed.Marked(size_t(At))) {
        AllPlaced = false;
        break;
      }
      Placed.Mark(size_t(At));
    }
    if (AllPlaced) {
      size_t Row = 0;
      Placed.ForEach([&](size_t At) { FMemoryViewList[Row++] = Sorted[At]; });
      TryShareRows();
    } else {
      // Rows that are not in the sorted list: sorted on their own.
      QuickSortRecs(FMemoryViewList, 0, Integer(FMemoryViewList.size()) - 1, ParamSort, Compare);
    }
  }
  ViewDataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsViewEh::SortOrderChanged()
{
  SortRecordsList();
  SortTreeList();
}

void TRecordsViewEh::SortRecordsList()
{
  const auto ByCompare = [this](TMemoryRecordEh* A, TMemoryRecordEh* B, TObject*) { return CompareRecords(A, B); };
  // Without an order the records go back to storage order, with no compare.
  if (FSortOrder.isEmpty() || !OnCompareRecords) {
    TRecordsListEh* List = MemTableData() ? MemTableData()->RecordsList() : nullptr;
    if (List && !FViewAsTreeList && FDisableFilterCount == 0)
      ShareSortedList();
    else
      SortByKeys(nullptr);
    FSortedListInOrder = !FViewAsTreeList;
    OrderRowsAsSortedList(nullptr, ByCompare);
    return;
  }
  SortData(FOrderByList.get(), ByCompare);
  FSortedListInOrder = !FViewAsTreeList;
}

void TRecordsViewEh::SortTreeList()
{
  if (FViewAsTreeList)
    FMemoryTreeList->SetSortOrder(FSortOrder);
}

// --- notifications

void TRecordsViewEh::AddNotificator(TRecordsListNotificatorEh* Subscriber)
{
  FNotificators.push_back(Subscriber);
}

void TRecordsViewEh::RemoveNotificator(TRecordsListNotificatorEh* Subscriber)
{
  FNotificators.erase(std::remove(FNotificators.begin(), FNotificators.end(), Subscriber), FNotificators.end());
}

void TRecordsViewEh::RecalcAggregates()
{
  if (OnRecalcAggregates)
    OnRecalcAggregates(this);
}

void TRecordsViewEh::ViewDataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action)
{
  FCatchChanged = true;
  RecalcAggregates();
  if (OnViewDataEvent)
    OnViewDataEvent(MemRec, Index, Action);
  const auto Subscribers = FNotificators;
  for (TRecordsListNotificatorEh* N : Subscribers)
    N->DataEvent(MemRec, Index, Action);
}

void TRecordsViewEh::ViewRecordMoved(TMemoryRecordEh* MemRec, Integer OldIndex, Integer NewIndex)
{
  if (OnViewRecordMovedEvent)
    OnViewRecordMovedEvent(MemRec, OldIndex, NewIndex);
  const auto Subscribers = FNotificators;
  for (TRecordsListNotificatorEh* N : Subscribers)
    N->RecordMoved(MemRec, OldIndex, NewIndex);
}

void TRecordsViewEh::Note(TPendingNote& Pending, TMemoryRecordEh* Rec, Integer Row, TRecordsListNotification Action)
{
  if (Pending.Set && Pending.Action != Action && Action != rlnListChangedEh)
    throw Exception(QStringLiteral("PostNotifyInfo already defined"));
  Pending = {Rec, Row, Action, true};
}

// The place of Rec in the sorted list: at Hint when it is there, else found
// by a scan.
Integer TRecordsViewEh::SortedIndexOfRec(TMemoryRecordEh* Rec, Integer Hint) const
{
  const std::vector<TMemoryRecordEh*>& Sorted = SortedRecs();
  if (FSortedShared && Rec->Attached())
    Hint = Rec->Index();
  if (Hint >= 0 && Hint < Integer(Sorted.size()) && Sorted[size_t(Hint)] == Rec)
    return Hint;
  const auto It = std::find(Sorted.begin(), Sorted.end(), Rec);
  return It == Sorted.end() ? -1 : Integer(It - Sorted.begin());
}

void TRecordsViewEh::FlatDataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action,
                                   TPendingNote& Pending)
{
  // The rows part from the sorted list before either changes.
  if (FRowsAreSorted && Action != rlnListChangedEh)
    OwnRows();
  // Without a sort order the sorted list keeps storage order through these;
  // with one, a new or changed record may belong elsewhere.
  switch (Action) {
  case rlnRecAddedEh: case rlnRecChangedEh: case rlnRecMarkedForDelEh:
    if (!FSortOrder.isEmpty())
      FSortedListInOrder = false;
    break;
  case rlnListChangedEh:
    FSortedListInOrder = false;
    break;
  default:
    break;
  }
  switch (Action) {
  case rlnRecAddedEh: {
    if (FSortedShared) {
      // The records list holds it already.
    } else if (Index >= Integer(FSorderViewList.size())) {
      // Appended at the end of both lists: its place is known.
      if (!FSortedListIndexesObsolete && Index == Integer(FSortedPlace.size()))
        FSortedPlace.push_back(Integer(FSorderViewList.size()));
      else
        FSortedListIndexesObsolete = true;
      FSorderViewList.push_back(MemRec);
    } else {
      FSorderViewList.insert(FSorderViewList.begin() + std::max(Index, 0), MemRec);
      FSortedListIndexesObsolete = true;
    }
    if (FRowsShared) {
      if (IsRecordInFilter(MemRec, Index)) {
        Note(Pending, MemRec, MemRec->Index(), rlnRecAddedEh);
      } else {
        OwnRows();
        FMemoryViewList.erase(std::find(FMemoryViewList.begin(), FMemoryViewList.end(), MemRec));
      }
      break;
    }
    if (IsRecordInFilter(MemRec, Index)) {
      const Integer Row = InsertPosition(MemRec, -1);
      FMemoryViewList.insert(FMemoryViewList.begin() + Row, MemRec);
      Note(Pending, MemRec, Row, rlnRecAddedEh);
    }
    break;
  }
  case rlnRecChangedEh:
  case rlnRecMarkedForDelEh: {
    if (FRowsShared && MemRec->Attached()) {
      // Every record is a row, at its list position.
      const Integer Row = MemRec->Index();
      if (IsRecordInFilter(MemRec, Index)) {
        if (OnCalcLookupBuffer)
          if (TMemRecViewEh* Node = ExistingFlatNode(MemRec))
            OnCalcLookupBuffer(MemRec, Node);
        Note(Pending, MemRec, Row, Action);
      } else {
        OwnRows();
        FMemoryViewList.erase(FMemoryViewList.begin() + Row);
        Note(Pending, MemRec, Row, rlnRecDeletedEh);
      }
      break;
    }
    OwnRows();
    const auto It = std::find(FMemoryViewList.begin(), FMemoryViewList.end(), MemRec);
    const Integer OldRow = It == FMemoryViewList.end() ? -1 : Integer(It - FMemoryViewList.begin());
    if (OldRow >= 0)
      FMemoryViewList.erase(It);
    else if (SortedIndexOfRec(MemRec, Index) < 0)
      break;
    Integer NewRow = -1;
    if (IsRecordInFilter(MemRec, Index)) {
      NewRow = InsertPosition(MemRec, OldRow);
      FMemoryViewList.insert(FMemoryViewList.begin() + NewRow, MemRec);
      if (OnCalcLookupBuffer)
        if (TMemRecViewEh* Node = ExistingFlatNode(MemRec))
          OnCalcLookupBuffer(MemRec, Node);
    }
    if (OldRow >= 0 && NewRow >= 0) {
      if (OldRow != NewRow)
        ViewRecordMoved(MemRec, OldRow, NewRow);
      Note(Pending, MemRec, NewRow, Action);
    } else if (NewRow >= 0) {
      Note(Pending, MemRec, NewRow, rlnRecAddedEh);
    } else if (OldRow >= 0) {
      Note(Pending, MemRec, OldRow, rlnRecDeletedEh);
    }
    break;
  }
  case rlnRecDeletedEh: {
    // Shared rows lost it with the records list, from its old position.
    if (FRowsShared) {
      Note(Pending, MemRec, Index, rlnRecDeletedEh);
    } else if (const auto It = std::find(FMemoryViewList.begin(), FMemoryViewList.end(), MemRec);
               It != FMemoryViewList.end()) {
      const Integer Row = Integer(It - FMemoryViewList.begin());
      FMemoryViewList.erase(It);
      Note(Pending, MemRec, Row, rlnRecDeletedEh);
    }
    const Integer S = FSortedShared ? -1 : SortedIndexOfRec(MemRec, Index);
    if (S >= 0) {
      // The last of both lists leaves the others' places as they are.
      if (S == Integer(FSorderViewList.size()) - 1 && !FSortedListIndexesObsolete &&
          Index == Integer(FSortedPlace.size()) - 1)
        FSortedPlace.pop_back();
      else
        FSortedListIndexesObsolete = true;
      FSorderViewList.erase(FSorderViewList.begin() + S);
    }
    FFlatNodes.erase(MemRec);
    break;
  }
  case rlnListChangedEh:
    RefreshFilteredRecsList(false);
    Note(Pending, MemRec, Index, rlnListChangedEh);
    break;
  default:
    break;
  }
}

void TRecordsViewEh::TreeDataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action,
                                   TPendingNote& Pending)
{
  TMemoryTreeListEh* Tree = FMemoryTreeList.get();
  switch (Action) {
  case rlnRecAddingEh:
  case rlnRecChangingEh:
    if (MemRec && Tree->CheckReferenceLoop(MemRec, Variant()))
      throw Exception(QStringLiteral("Reference-loop found"));
    break;
  case rlnRecAddedEh: {
    TMemRecViewEh* Node = Tree->AddChildAtKey(String(), FTreeViewKeyFieldName, MemRec, FTreeViewRefParentFieldName);
    Tree->UpdateNodeState(Node, true);
    Note(Pending, MemRec, Index, rlnRecAddedEh);
    break;
  }
  case rlnRecChangedEh: {
    TMemRecViewEh* Node = Tree->GetNode(nullptr, MemRec);
    if (!Node) {
      // A record whose deletion was reverted comes back into the tree.
      if (MemRec->UpdateStatus() != usDeleted) {
        Node = Tree->AddChildAtKey(String(), FTreeViewKeyFieldName, MemRec, FTreeViewRefParentFieldName);
        Tree->UpdateNodeState(Node, true);
        Note(Pending, MemRec, Index, rlnRecChangedEh);
      }
      break;
    }
    TMemRecViewEh* OldParent = Node->NodeParent();
    Tree->UpdateParent(Node, FTreeViewKeyFieldName, true, MemRec, FTreeViewRefParentFieldName);
    Tree->UpdateNodeState(Node, true);
    if (OldParent && OldParent != Node->NodeParent() && OldParent != Tree->MemRoot())
      Tree->UpdateNodeState(OldParent, true);
    Note(Pending, MemRec, Index, rlnRecChangedEh);
    break;
  }
  case rlnRecDeletedEh:
  case rlnRecMarkedForDelEh: {
    TMemRecViewEh* Node = Tree->GetNode(nullptr, MemRec);
    if (!Node)
      return;
    std::vector<TMemoryRecordEh*> Orphans;
    Tree->GetRecordsList(Orphans, Node, true);
    TMemRecViewEh* OldParent = Node->NodeParent();
    Tree->DeleteNode(Node, true);
    for (TMemoryRecordEh* Rec : Orphans) {
      TMemRecViewEh* Again = Tree->AddChildAtKey(String(), FTreeViewKeyFieldName, Rec, FTreeViewRefParentFieldName);
      Tree->UpdateNodeState(Again, true);
    }
    if (OldParent && OldParent != Tree->MemRoot())
      Tree->UpdateNodeState(OldParent, true);
    Tree->VisibleItemsBecomeObsolete();
    Note(Pending, MemRec, Index, Action == rlnRecDeletedEh ? rlnRecDeletedEh : rlnRecMarkedForDelEh);
    break;
  }
  case rlnListChangedEh:
    RebuildMemoryTreeList();
    RefreshFilteredRecsTreeList();
    Note(Pending, MemRec, Index, rlnListChangedEh);
    break;
  default:
    break;
  }
}

void TRecordsViewEh::DataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action)
{
  inherited::DataEvent(MemRec, Index, Action);
  if (FDisableFilterCount > 0) {
    FSortedListInOrder = false;
    return;
  }
  TPendingNote Pending;
  if (FViewAsTreeList)
    TreeDataEvent(MemRec, Index, Action, Pending);
  else
    FlatDataEvent(MemRec, Index, Action, Pending);
  switch (Action) {
  case rlnRecAddedEh: case rlnRecChangedEh: case rlnRecDeletedEh: case rlnListChangedEh: case rlnRecMarkedForDelEh:
    RecalcAggregates();
    break;
  default:
    break;
  }
  if (FViewAsTreeList && FMemoryTreeList->VisibleItemsObsolete() &&
      (Pending.Set || Action == rlnRecAddedEh || Action == rlnRecChangedEh)) {
    ViewDataEvent(nullptr, -1, rlnListChangedEh);
    return;
  }
  if (Pending.Set)
    ViewDataEvent(Pending.Rec, Pending.Row, Pending.Action);
}

void TRecordsViewEh::RecordMoved(TMemoryRecordEh* Item, Integer OldIndex, Integer NewIndex)
{
  inherited::RecordMoved(Item, OldIndex, NewIndex);
  if (FDisableFilterCount > 0 || !FSortOrder.isEmpty())
    FSortedListInOrder = false;
  if (FDisableFilterCount > 0)
    return;
  if (FViewAsTreeList) {
    TMemRecViewEh* Node = FMemoryTreeList->GetNode(nullptr, Item);
    if (!Node || !Node->NodeParent())
      return;
    TMemRecViewEh* Parent = Node->NodeParent();
    TMemRecViewEh* Before = nullptr;
    for (Integer I = 0; I < Parent->NodesCount(); ++I) {
      TMemRecViewEh* Sibling = Parent->GetNodeItem(I);
      if (Sibling != Node && Sibling->Rec()->Index() > NewIndex) {
        Before = Sibling;
        break;
      }
    }
    if (Before)
      FMemoryTreeList->MoveTo(Node, Before, naInsertEh, true);
    else
      FMemoryTreeList->MoveTo(Node, Parent, naAddChildEh, true);
    RecalcAggregates();
    ViewDataEvent(nullptr, -1, rlnListChangedEh);
    return;
  }
  // The places are kept by list position, which the move changed.
  FSortedListIndexesObsolete = !FSortedShared;
  if (FRowsAreSorted)
    OwnRows();
  if (FRowsShared) {
    // The rows are the records list: the row moved with the record.
    if (FSortOrder.isEmpty() && OldIndex != NewIndex) {
      ViewRecordMoved(Item, OldIndex, NewIndex);
      ViewDataEvent(nullptr, -1, rlnListChangingEh);
    }
    return;
  }
  // The sorted list follows the storage order of the records.
  const Integer S = FSortedShared ? -1 : SortedIndexOfRec(Item, OldIndex);
  if (S >= 0 && FSortOrder.isEmpty()) {
    FSorderViewList.erase(FSorderViewList.begin() + S);
    FSorderViewList.insert(FSorderViewList.begin() + std::min<Integer>(NewIndex, Integer(FSorderViewList.size())),
                           Item);
  }
  const auto It = std::find(FMemoryViewList.begin(), FMemoryViewList.end(), Item);
  if (It == FMemoryViewList.end() || !FSortOrder.isEmpty())
    return;
  // Without a sort order the rows follow the storage order: the moved row
  // goes before the first other row whose record now lies after it. When
  // every earlier row precedes it already, it stays where it is.
  const Integer OldRow = Integer(It - FMemoryViewList.begin());
  FMemoryViewList.erase(It);
  Integer Target = Integer(FMemoryViewList.size());
  for (size_t I = 0; I < FMemoryViewList.size(); ++I)
    if (FMemoryViewList[I]->Index() > NewIndex) {
      Target = Integer(I);
      break;
    }
  FMemoryViewList.insert(FMemoryViewList.begin() + Target, Item);
  if (Target != OldRow) {
    ViewRecordMoved(Item, OldRow, Target);
    ViewDataEvent(nullptr, -1, rlnListChangingEh);
  }
}

void TRecordsViewEh::StructChanged(TMemTableDataEh* AMemTableData)
{
  FSortedListInOrder = false;
  inherited::StructChanged(AMemTableData);
  UpdateFields();
}

// --- tree mode

void TRecordsViewEh::RebuildMemoryTreeList()
{
  FMemoryTreeList->Clear();
  if (!FViewAsTreeList || !MemTableData())
    return;
  TRecordsListEh* List = MemTableData()->RecordsList();
  for (Integer I = 0; I < List->Count(); ++I)
    FMemoryTreeList->AddChildAtKey(String(), FTreeViewKeyFieldName, List->Rec(I), FTreeViewRefParentFieldName);
}

void TRecordsViewEh::RefreshFilteredRecsTreeList()
{
  if (!FViewAsTreeList)
    return;
  FMemoryTreeList->UpdateNodesState(nullptr);
  if (!FMemoryTreeList->FilterNodeIfParentVisible())
    FMemoryTreeList->SpreadVisibility(nullptr);
  if (!FSortOrder.isEmpty())
    SortTreeList();
  FMemoryTreeList->VisibleItemsBecomeObsolete();
}

// ---------------------------------------------------------------------------
// Memory tree list.

TMemRecViewEh::~TMemRecViewEh()
{
  // During the tree's own destruction the owner is no record tree any more.
  if (auto* Tree = dynamic_cast<TMemoryTreeListEh*>(Owner()))
    Tree->NodeFreed(this);
}

TMemoryTreeListEh* TMemRecViewEh::NodeOwner() const
{
  return dynamic_cast<TMemoryTreeListEh*>(Owner());
}

Integer TMemRecViewEh::InSortedListIndex()
{
  TMemoryTreeListEh* Tree = NodeOwner();
  // A node of the flat view has its place kept by the view.
  if (!Tree)
    return FRecordsView && !FRecordsView->ViewAsTreeList() ? FRecordsView->IndexOfSortedListRec(FRec) : -1;
  if (Tree->VisibleItemsObsolete())
    Tree->BuildVisibleItems();
  return FInSortedListIndex;
}

bool TMemRecViewEh::ExpandedChanging()
{
  return FLockUpdate ? true : inherited::ExpandedChanging();
}

void TMemRecViewEh::ExpandedChanged()
{
  if (TMemoryTreeListEh* Tree = NodeOwner())
    Tree->VisibleItemsBecomeObsolete();
  if (!FLockUpdate)
    inherited::ExpandedChanged();
}

void TMemRecViewEh::SortByFields(const String& SortByStr)
{
  if (!FRecordsView || !FRecordsView->OnParseOrderByStr || GetCount() == 0)
    return;
  std::unique_ptr<TObject> List = FRecordsView->OnParseOrderByStr(SortByStr);
  const TCompareNodesEh Compare = FRecordsView->OnCompareTreeNode;
  if (!Compare)
    return;
  QuickSort(0, GetCount() - 1, List.get(), Compare);
  if (TMemoryTreeListEh* Tree = NodeOwner())
    Tree->VisibleItemsBecomeObsolete();
}

TMemoryTreeListEh::TMemoryTreeListEh(TRecordsViewEh* ARecordsViewEh)
  : TTreeListEh(&CreateTreeNodeEh<TMemRecViewEh>), FRecordsViewEh(ARecordsViewEh)
{
  MemRoot()->FRecordsView = ARecordsViewEh;
}

TMemoryTreeListEh::~TMemoryTreeListEh()
{
  Clear();
}

void TMemoryTreeListEh::NodeFreed(TMemRecViewEh* Node)
{
  if (Node->FRec) {
    const auto It = FNodeOfRec.find(Node->FRec);
    if (It != FNodeOfRec.end() && It->second == Node)
      FNodeOfRec.erase(It);
  }
  if (std::find(FInsertedNodeStack.begin(), FInsertedNodeStack.end(), Node) != FInsertedNodeStack.end())
    FInsertedNodeStack.clear();
  FVisibleItemsObsolete = true;
  FVisibleExpandedItems.clear();
  FVisibleItems.clear();
  FFlatListItems.clear();
}

Variant TMemoryTreeListEh::KeyOf(TMemoryRecordEh* Rec) const
{
  return Rec->GetDataIndexValues(FRecordsViewEh->TreeViewKeyFields(), dvvValueEh);
}

Variant TMemoryTreeListEh::ParentOf(TMemoryRecordEh* Rec) const
{
  return Rec->GetDataIndexValues(FRecordsViewEh->TreeViewRefParentFields(), dvvValueEh);
}

static TMTIndexEh* ActiveIndexFor(TRecordsViewEh* View, const String& Fields)
{
  if (!View->MemTableData() || Fields.isEmpty())
    return nullptr;
  TMTIndexEh* Index = View->MemTableData()->RecordsList()->Indexes()->GetIndexForFields(Fields);
  return Index && Index->Active() ? Index : nullptr;
}

TMTIndexEh* TMemoryTreeListEh::KeyIndex() const
{
  return ActiveIndexFor(FRecordsViewEh, FRecordsViewEh->TreeViewKeyFieldName());
}

TMTIndexEh* TMemoryTreeListEh::ParentIndex() const
{
  return ActiveIndexFor(FRecordsViewEh, FRecordsViewEh->TreeViewRefParentFieldName());
}

TMemRecViewEh* TMemoryTreeListEh::NodeOfRec(TMemoryRecordEh* Rec)
{
  const auto It = FNodeOfRec.find(Rec);
  return It == FNodeOfRec.end() ? nullptr : It->second;
}

static bool KeysEqual(const Variant& A, const Variant& B)
{
  return VarValuesEqualEh(A, B);
}

// Depth first below Start: the first node whose record's key equals Key.
TMemRecViewEh* TMemoryTreeListEh::SearchKey(TMemRecViewEh* Start, const Variant& Key)
{
  for (Integer I = 0; I < Start->NodesCount(); ++I) {
    TMemRecViewEh* Child = Start->GetNodeItem(I);
    if (KeysEqual(KeyOf(Child->Rec()), Key))
      return Child;
    if (TMemRecViewEh* Found = SearchKey(Child, Key))
      return Found;
  }
  return nullptr;
}

TMemRecViewEh* TMemoryTreeListEh::GetNode(TMemRecViewEh* StartNode, TMemoryRecordEh* MemRecord) const
{
  const auto It = FNodeOfRec.find(MemRecord);
  if (It == FNodeOfRec.end())
    return nullptr;
  if (!StartNode || StartNode == MemRoot() || It->second->InSubtreeOf(StartNode))
    return It->second;
  return nullptr;
}

TMemRecViewEh* TMemoryTreeListEh::GetNodeAtValue(TMemRecViewEh* StartNode, const String& FieldNames,
                                                 const Variant& Value) const
{
  TMemRecViewEh* Start = StartNode ? StartNode : MemRoot();
  for (Integer I = 0; I < Start->NodesCount(); ++I) {
    TMemRecViewEh* Child = Start->GetNodeItem(I);
    if (KeysEqual(Child->Rec()->GetDataValues(FieldNames, dvvValueEh), Value))
      return Child;
    if (TMemRecViewEh* Found = GetNodeAtValue(Child, FieldNames, Value))
      return Found;
  }
  return nullptr;
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeForRefValue(const Variant& RefValue)
{
  if (RefValue.IsNull())
    return MemRoot();
  ++FSearchCount;
  if (TMTIndexEh* Index = KeyIndex()) {
    Integer RecIndex = -1;
    if (Index->FindRecordIndexByKey(RefValue, RecIndex))
      if (TMemRecViewEh* Node = NodeOfRec(Index->RecordsList()->Rec(RecIndex)))
        return Node;
    return MemRoot();
  }
  TMemRecViewEh* Found = SearchKey(MemRoot(), RefValue);
  return Found ? Found : MemRoot();
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeAtKey(TMemRecViewEh* StartNode, TMemoryRecordEh* MemRecord)
{
  const Variant Ref = ParentOf(MemRecord);
  if (!StartNode || StartNode == MemRoot())
    return GetParentNodeForRefValue(Ref);
  if (Ref.IsNull())
    return MemRoot();
  ++FSearchCount;
  TMemRecViewEh* Found = SearchKey(StartNode, Ref);
  return Found ? Found : MemRoot();
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeForRec(TMemoryRecordEh* MemRecord)
{
  if (FInsertedNodeStack.empty())
    return nullptr;
  return GetParentNodeAtKey(nullptr, MemRecord);
}

void TMemoryTreeListEh::GetRecordsList(std::vector<TMemoryRecordEh*>& List, TMemRecViewEh* Node, bool ARecurse) const
{
  TMemRecViewEh* Start = Node ? Node : MemRoot();
  for (Integer I = 0; I < Start->NodesCount(); ++I) {
    List.push_back(Start->GetNodeItem(I)->Rec());
    if (ARecurse)
      GetRecordsList(List, Start->GetNodeItem(I), true);
  }
}

bool TMemoryTreeListEh::CheckReferenceLoop(TMemoryRecordEh* MemRecord, const Variant& NewRefValue)
{
  if (FRecordsViewEh->TreeViewRefParentFields().empty() || FRecordsViewEh->TreeViewKeyFields().empty())
    return false;
  const Variant Ref = NewRefValue.IsEmpty() ? ParentOf(MemRecord) : NewRefValue;
  if (Ref.IsNull())
    return false;
  if (CompareVarValuesEh(Ref, KeyOf(MemRecord)) == vrEqual)
    return false;
  TMemRecViewEh* Own = NodeOfRec(MemRecord);
  if (!Own)
    return false;
  for (TMemRecViewEh* N = GetParentNodeForRefValue(Ref); N && N != MemRoot(); N = N->NodeParent())
    if (N == Own)
      return true;
  return false;
}

// The position among Parent's children where Node belongs: by the sort order
// when there is one, else by the storage order of the records.
Integer TMemoryTreeListEh::OrderedPlace(TMemRecViewEh* Parent, TMemRecViewEh* Node, bool Exclude) const
{
  const bool Sorted = !FRecordsViewEh->SortOrder().isEmpty();
  Integer Place = 0;
  for (Integer I = 0; I < Parent->NodesCount(); ++I) {
    TMemRecViewEh* Child = Parent->GetNodeItem(I);
    if (Exclude && Child == Node)
      continue;
    const bool Before = Sorted ? FRecordsViewEh->CompareRecords(Child->Rec(), Node->Rec()) <= 0
                               : Child->Rec()->Index() < Node->Rec()->Index();
    if (!Before)
      break;
    ++Place;
  }
  return Place;
}

TMemRecViewEh* TMemoryTreeListEh::AddChild(const String& Name, TMemRecViewEh* Parent, TMemoryRecordEh* MemRecord)
{
  if (!Parent)
    Parent = MemRoot();
  auto* Node = static_cast<TMemRecViewEh*>(CreateNode(Name, MemRecord));
  Node->FRec = MemRecord;
  Node->FRecordsView = FRecordsViewEh;
  FNodeOfRec[MemRecord] = Node;
  const Integer N = Parent->NodesCount();
  TRecordsListEh* List = MemRecord->RecordsList();
  const bool Last = FRecordsViewEh->SortOrder().isEmpty() &&
                    (MemRecord->Index() == List->Count() - 1 || N == 0 ||
                     Parent->GetNodeItem(N - 1)->Rec()->Index() < MemRecord->Index());
  const Integer Place = Last ? N : OrderedPlace(Parent, Node, false);
  if (Place >= N)
    AddNode(Node, Parent, naAddChildEh, true);
  else
    AddNode(Node, Parent->GetNodeItem(Place), naInsertEh, true);
  Node->FLockUpdate = true;
  Node->SetExpanded(FDefaultNodeExpanded);
  Node->FLockUpdate = false;
  FVisibleItemsObsolete = true;
  return Node;
}

TMemRecViewEh* TMemoryTreeListEh::AddChildAtKey(const String& Name, const String& KeyFieldNames,
                                                TMemoryRecordEh* MemRecord, const String& ParentFieldNames)
{
  (void)KeyFieldNames;
  (void)ParentFieldNames;
  const Variant Ref = ParentOf(MemRecord);
  TMemRecViewEh* Parent = nullptr;
  bool ReplaceTop = false;
  // Records delivered parent before child rarely need a search: the chain
  // of the last inserted nodes usually holds the parent.
  if (!Ref.IsNull() && FInsertedNodeStack.size() >= 2) {
    TMemRecViewEh* Top = FInsertedNodeStack.back();
    TMemRecViewEh* Below = FInsertedNodeStack[FInsertedNodeStack.size() - 2];
    if (KeysEqual(KeyOf(Below->Rec()), Ref)) {
      Parent = Below;
      ReplaceTop = true;
    } else if (KeysEqual(KeyOf(Top->Rec()), Ref)) {
      Parent = Top;
    } else {
      FInsertedNodeStack.resize(FInsertedNodeStack.size() - 2);
      while (!FInsertedNodeStack.empty()) {
        TMemRecViewEh* Candidate = FInsertedNodeStack.back();
        if (KeysEqual(KeyOf(Candidate->Rec()), Ref)) {
          Parent = Candidate;
          break;
        }
        FInsertedNodeStack.pop_back();
      }
    }
  }
  if (!Parent)
    Parent = GetParentNodeForRefValue(Ref);
  TMemRecViewEh* Node = AddChild(Name, Parent, MemRecord);
  if (FFullBuildCheck)
    AdoptWaitingChildren(Node);
  if (ReplaceTop)
    FInsertedNodeStack.back() = Node;
  else
    FInsertedNodeStack.push_back(Node);
  return Node;
}

// Nodes added before their parent hang at the root (or elsewhere); when the
// parent arrives they move under it, in storage order.
void TMemoryTreeListEh::AdoptWaitingChildren(TMemRecViewEh* Node)
{
  const Variant Key = KeyOf(Node->Rec());
  if (Key.IsNull())
    return;
  std::vector<TMemRecViewEh*> Waiting;
  if (TMTIndexEh* Index = ParentIndex()) {
    std::vector<TMemoryRecordEh*> Recs;
    Index->FillMatchedRecsList(Key, Recs);
    for (TMemoryRecordEh* Rec : Recs)
      if (TMemRecViewEh* Child = NodeOfRec(Rec); Child && Child != Node)
        Waiting.push_back(Child);
  } else {
    const std::function<void(TMemRecViewEh*)> Walk = [&](TMemRecViewEh* Start) {
      for (Integer I = 0; I < Start->NodesCount(); ++I) {
        TMemRecViewEh* Child = Start->GetNodeItem(I);
        if (Child != Node && KeysEqual(ParentOf(Child->Rec()), Key))
          Waiting.push_back(Child);
        else
          Walk(Child);
      }
    };
    Walk(MemRoot());
  }
  std::erase_if(Waiting, [&](TMemRecViewEh* Child) {
    return Child->NodeParent() == Node || Node->InSubtreeOf(Child);
  });
  std::sort(Waiting.begin(), Waiting.end(),
            [](TMemRecViewEh* A, TMemRecViewEh* B) { return A->Rec()->Index() < B->Rec()->Index(); });
  for (TMemRecViewEh* Child : Waiting)
    MoveTo(Child, Node, naAddChildEh, true);
}

TMemRecViewEh* TMemoryTreeListEh::UpdateParent(TMemRecViewEh* Node, const String& KeyFieldNames, bool ReIndex,
                                               TMemoryRecordEh* MemRecord, const String& ParentFieldNames)
{
  (void)KeyFieldNames;
  (void)ParentFieldNames;
  TMemRecViewEh* NewParent = GetParentNodeAtKey(nullptr, MemRecord);
  TMemRecViewEh* OldParent = Node->NodeParent();
  if (NewParent != OldParent) {
    const Integer Place = OrderedPlace(NewParent, Node, true);
    if (Place >= NewParent->NodesCount())
      MoveTo(Node, NewParent, naAddChildEh, ReIndex);
    else
      MoveTo(Node, NewParent->GetNodeItem(Place), naInsertEh, ReIndex);
    return NewParent;
  }
  if (FRecordsViewEh->SortOrder().isEmpty())
    return NewParent;
  const Integer Place = OrderedPlace(NewParent, Node, true);
  if (Place == Node->NodeIndex())
    return NewParent;
  ExtractNode(Node, true);
  if (Place >= NewParent->NodesCount())
    AddNode(Node, NewParent, naAddChildEh, ReIndex);
  else
    AddNode(Node, NewParent->GetNodeItem(Place), naInsertEh, ReIndex);
  FVisibleItemsObsolete = true;
  return NewParent;
}

void TMemoryTreeListEh::UpdateNodeState(TMemRecViewEh* Node, bool IsUpdateParent)
{
  FVisibleItemsObsolete = true;
  if (!Node || Node == MemRoot())
    return;
  if (!Node->NodeHasVisibleChildren())
    Node->SetVisible(FRecordsViewEh->IsRecordInFilter(Node->Rec(), Node->Rec()->Index()));
  else
    Node->SetVisible(true);
  if (FRecordsViewEh->OnCalcLookupBuffer)
    FRecordsViewEh->OnCalcLookupBuffer(Node->Rec(), Node);
  TMemRecViewEh* Parent = Node->NodeParent();
  if (IsUpdateParent && Parent && Parent != MemRoot() && Parent->NodeVisible() != Node->NodeVisible())
    UpdateNodeState(Parent, true);
}

void TMemoryTreeListEh::UpdateNodesState(TMemRecViewEh* Parent)
{
  TMemRecViewEh* Start = Parent ? Parent : MemRoot();
  for (Integer I = 0; I < Start->NodesCount(); ++I) {
    UpdateNodesState(Start->GetNodeItem(I));
    UpdateNodeState(Start->GetNodeItem(I), false);
  }
  FVisibleItemsObsolete = true;
}

void TMemoryTreeListEh::SpreadVisibility(TMemRecViewEh* Node)
{
  TMemRecViewEh* Start = Node ? Node : MemRoot();
  for (Integer I = 0; I < Start->NodesCount(); ++I) {
    TMemRecViewEh* Child = Start->GetNodeItem(I);
    if (!Child->NodeVisible())
      continue;
    if (Child->NodeHasVisibleChildren()) {
      SpreadVisibility(Child);
      continue;
    }
    const std::function<void(TMemRecViewEh*)> ShowAll = [&](TMemRecViewEh* N) {
      for (Integer J = 0; J < N->NodesCount(); ++J) {
        N->GetNodeItem(J)->SetVisible(true);
        ShowAll(N->GetNodeItem(J));
      }
    };
    ShowAll(Child);
  }
  FVisibleItemsObsolete = true;
}

void TMemoryTreeListEh::CollectVisible(TMemRecViewEh* Node, bool ThroughCollapsed, std::vector<TMemRecViewEh*>& Out)
{
  for (Integer I = 0; I < Node->NodesCount(); ++I) {
    TMemRecViewEh* Child = Node->GetNodeItem(I);
    if (!Child->NodeVisible())
      continue;
    Out.push_back(Child);
    if (ThroughCollapsed || Child->NodeExpanded())
      CollectVisible(Child, ThroughCollapsed, Out);
  }
}

void TMemoryTreeListEh::BuildVisibleItems()
{
  FVisibleExpandedItems.clear();
  FVisibleItems.clear();
  FFlatListItems.clear();
  CollectVisible(MemRoot(), false, FVisibleExpandedItems);
  CollectVisible(MemRoot(), true, FVisibleItems);
  const std::function<void(TMemRecViewEh*)> All = [&](TMemRecViewEh* N) {
    for (Integer I = 0; I < N->NodesCount(); ++I) {
      TMemRecViewEh* Child = N->GetNodeItem(I);
      Child->FInSortedListIndex = Integer(FFlatListItems.size());
      FFlatListItems.push_back(Child);
      All(Child);
    }
  };
  All(MemRoot());
  FVisibleItemsObsolete = false;
}

TMemRecViewEh* TMemoryTreeListEh::GetVisibleExpandedItem(Integer Index)
{
  if (FVisibleItemsObsolete)
    BuildVisibleItems();
  return Index >= 0 && Index < Integer(FVisibleExpandedItems.size()) ? FVisibleExpandedItems[size_t(Index)] : nullptr;
}

TMemRecViewEh* TMemoryTreeListEh::GetAccountableItem(Integer Index)
{
  if (FVisibleItemsObsolete)
    BuildVisibleItems();
  return Index >= 0 && Index < Integer(FVisibleItems.size()) ? FVisibleItems[size_t(Index)] : nullptr;
}

TMemRecViewEh* TMemoryTreeListEh::GetFlatListItem(Integer Index)
{
  if (FVisibleItemsObsolete)
    BuildVisibleItems();
  return Index >= 0 && Index < Integer(FFlatListItems.size()) ? FFlatListItems[size_t(Index)] : nullptr;
}

Integer TMemoryTreeListEh::VisibleExpandedCount()
{
  if (FVisibleItemsObsolete)
    BuildVisibleItems();
  return Integer(FVisibleExpandedItems.size());
}

Integer TMemoryTreeListEh::AccountableCount()
{
  if (FVisibleItemsObsolete)
    BuildVisibleItems();
  return Integer(FVisibleItems.size());
}

Integer TMemoryTreeListEh::FlatListCount()
{
  if (FVisibleItemsObsolete)
    BuildVisibleItems();
  return Integer(FFlatListItems.size());
}

void TMemoryTreeListEh::SetSortOrder(const String& Value)
{
  if (Value == FSortOrder)
    return;
  std::unique_ptr<TObject> List;
  if (!Value.isEmpty() && FRecordsViewEh->OnParseOrderByStr)
    List = FRecordsViewEh->OnParseOrderByStr(Value);
  FOrderByList = std::move(List);
  FSortOrder = Value;
  Resort();
}

void TMemoryTreeListEh::Resort()
{
  inherited::SortData([this](TBaseTreeNodeEh* A, TBaseTreeNodeEh* B, TObject* P) { return CompareTreeNodes(A, B, P); },
                      FOrderByList.get(), true);
  BuildVisibleItems();
}

Integer TMemoryTreeListEh::CompareTreeNodes(TBaseTreeNodeEh* Rec1, TBaseTreeNodeEh* Rec2, TObject* ParamSort)
{
  (void)ParamSort;
  auto* A = static_cast<TMemRecViewEh*>(Rec1);
  auto* B = static_cast<TMemRecViewEh*>(Rec2);
  if (FSortOrder.isEmpty() && FRecordsViewEh->SortOrder().isEmpty())
    return 0;
  return FRecordsViewEh->CompareRecords(A->Rec(), B->Rec());
}

void TMemoryTreeListEh::MoveTo(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode,
                               bool ReIndex)
{
  inherited::MoveTo(Node, Destination, Mode, ReIndex);
  FVisibleItemsObsolete = true;
}

void TMemoryTreeListEh::SortData(const TCompareNodesEh& CompareProg, TObject* ParamSort, bool ARecurse)
{
  inherited::SortData(CompareProg, ParamSort, ARecurse);
  BuildVisibleItems();
  FRecordsViewEh->ViewDataEvent(nullptr, -1, rlnListChangedEh);
}
