// ToolCtrlsEhLists.cpp: the bookmark list of selected rows and the distinct
// value list of a dataset field, with its data link.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include "platform/rtl/SysUtils.h"

#include <QSet>

#include <algorithm>

// ---------------------------------------------------------------------------
// Bookmark list.

TBMListEh::TBMListEh() = default;

TBMListEh::~TBMListEh()
{
  try {
    TBMListEh::Clear();
    TBMListEh::UpdateState();
  } catch (...) {
    // A destructor cannot report; the items go with the vector anyway.
  }
}

void TBMListEh::CheckIndex(Integer Index, Integer Last) const
{
  if (Index < 0 || Index > Last)
    throw EListError(Format(QStringLiteral("List index out of bounds (%d)"), {Index}));
}

const TBookmark& TBMListEh::GetItem(Integer Index) const
{
  CheckIndex(Index, Count() - 1);
  return FList[std::size_t(Index)];
}

void TBMListEh::SetItem(Integer Index, const TBookmark& Item)
{
  CheckIndex(Index, Count() - 1);
  FList[std::size_t(Index)] = Item;
  ForgetCache();
}

// The cached search describes the list as it was: any change of the items
// makes it wrong, inside BeginUpdate and EndUpdate too.
void TBMListEh::ForgetCache()
{
  FCache.clear();
  FCacheFind = false;
  FCacheIndex = -1;
}

Integer TBMListEh::CompareWith(const TBookmark& Item, const TBookmark& Bookmark)
{
  TDataSet* DS = DataSet();
  if (!DS)
    RaiseListError(QStringLiteral("The bookmark list has no data set to compare bookmarks with"));
  return DataSetCompareBookmarksEh(DS, Item, Bookmark);
}

bool TBMListEh::Find(const TBookmark& Bookmark, Integer& Index)
{
  if (FCacheIndex >= 0 && CompareWith(FCache, Bookmark) == 0) {
    Index = FCacheIndex;
    return FCacheFind;
  }
  bool Found = false;
  const Integer N = Count();
  if (N == 0 || CompareWith(FList.front(), Bookmark) > 0)
    Index = 0;
  else if (CompareWith(FList.back(), Bookmark) < 0)
    Index = N;
  else {
    Integer Low = 0, High = N - 1;
    while (Low <= High) {
      const Integer Mid = (Low + High) / 2;
      const Integer C = CompareWith(FList[std::size_t(Mid)], Bookmark);
      if (C < 0) {
        Low = Mid + 1;
        continue;
      }
      High = Mid - 1;
      if (C == 0) {
        Low = Mid;
        Found = true;
        break;
      }
    }
    Index = Low;
  }
  FCache = Bookmark;
  FCacheIndex = Index;
  FCacheFind = Found;
  return Found;
}

Integer TBMListEh::IndexOf(const TBookmark& Bookmark)
{
  Integer Index = -1;
  return Find(Bookmark, Index) ? Index : -1;
}

TBookmark TBMListEh::GetCurrentBookmark()
{
  if (!FLinkActive || !DataSet())
    RaiseListError(QString::fromLatin1(dbconsts::SDataSetClosed));
  return DataSet()->Bookmark();
}

bool TBMListEh::CurrentRowSelected()
{
  if (Count() == 0)
    return false;
  Integer Index = 0;
  return Find(GetCurrentBookmark(), Index);
}

void TBMListEh::SetCurrentRowSelected(bool Value)
{
  const TBookmark Current = GetCurrentBookmark();
  Integer Index = 0;
  if (Find(Current, Index) == Value)
    return;
  if (Value)
    InsertItem(Index, Current);
  else
    DeleteItem(Index);
}

void TBMListEh::AppendBookmark(const TBookmark& Bookmark)
{
  Integer Index = 0;
  if (!Find(Bookmark, Index))
    InsertItem(Index, Bookmark);
}

bool TBMListEh::DeleteBookmark(const TBookmark& Bookmark)
{
  Integer Index = 0;
  if (!Find(Bookmark, Index))
    return false;
  DeleteItem(Index);
  return true;
}

void TBMListEh::AddItem(const TBookmark& Item)
{
  InsertItem(Count(), Item);
}

void TBMListEh::InsertItem(Integer Index, const TBookmark& Item)
{
  CheckIndex(Index, Count());
  FList.insert(FList.begin() + Index, Item);
  ForgetCache();
  if (!Updating())
    ListChanged();
}

void TBMListEh::DeleteItem(Integer Index)
{
  CheckIndex(Index, Count() - 1);
  FList.erase(FList.begin() + Index);
  ForgetCache();
  if (!Updating())
    ListChanged();
}

void TBMListEh::Clear()
{
  if (FList.empty())
    return;
  BeginUpdate();
  try {
    for (Integer I = Count() - 1; I >= 0; --I)
      DeleteItem(I);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  ListChanged();
  Invalidate();
}

void TBMListEh::EndUpdate()
{
  if (FUpdateCount == 0)
    return;
  if (--FUpdateCount == 0)
    ListChanged();
}

void TBMListEh::ListChanged()
{
  ForgetCache();
}

void TBMListEh::RaiseListError(const String& Message)
{
  throw Exception(Message);
}

void TBMListEh::Sort()
{
  CustomSort(DataSet(), [](TBMListEh* List, TDataSet* DS, Integer Index1, Integer Index2) {
    return DataSetCompareBookmarksEh(DS, List->FList[std::size_t(Index1)], List->FList[std::size_t(Index2)]);
  });
}

void TBMListEh::CustomSort(TDataSet* ADataSet, const TCompareBookmarksProcEh& Compare)
{
  if (Count() <= 1)
    return;
  ForgetCache();
  QuickSortEh(
      this, 0, Count() - 1,
      [this](void*, Integer I1, Integer I2) { std::swap(FList[std::size_t(I1)], FList[std::size_t(I2)]); },
      [this, ADataSet, &Compare](void*, Integer I1, Integer I2) { return Compare(this, ADataSet, I1, I2); });
}

void TBMListEh::SetLinkActive(bool Value)
{
  Clear();
  UpdateState();
  FLinkActive = Value;
}

bool TBMListEh::Refresh(bool DeleteInvalid)
{
  TDataSet* DS = DataSet();
  const bool HadItems = Count() > 0;
  bool Removed = false;
  // Runs also when leaving the edit state or the validity test fails.
  auto Finish = [&] {
    Sort();
    UpdateState();
    if (DS)
      DS->UpdateCursorPos();
    if (HadItems && Removed)
      ListChanged();
    if (Removed)
      Invalidate();
  };
  try {
    if (DS)
      DS->CheckBrowseMode();
    if (DeleteInvalid)
      for (Integer I = Count() - 1; I >= 0; --I) {
        if (DS && DataSetBookmarkValidEh(DS, FList[std::size_t(I)]))
          continue;
        FList.erase(FList.begin() + I);
        ForgetCache();
        Removed = true;
      }
  } catch (...) {
    Finish();
    throw;
  }
  Finish();
  return Removed;
}

void TBMListEh::SelectAll()
{
  TDataSet* DS = DataSet();
  if (!FLinkActive || !DS)
    return;
  DS->DisableControls();
  BeginUpdate();
  const TBookmark Saved = DS->Bookmark();
  auto Restore = [&] {
    if (!Saved.isEmpty() && DS->BookmarkValid(Saved))
      DS->GotoBookmark(Saved);
    DS->EnableControls();
    EndUpdate();
  };
  try {
    for (DS->First(); !DS->Eof(); DS->Next())
      SetCurrentRowSelected(true);
  } catch (...) {
    Restore();
    throw;
  }
  Restore();
}

void TBMListEh::Delete()
{
  TDataSet* DS = DataSet();
  if (!DS)
    return;
  DS->DisableControls();
  try {
    for (Integer I = Count() - 1; I >= 0; --I) {
      DS->GotoBookmark(FList[std::size_t(I)]);
      DS->Delete();
      DeleteItem(I);
    }
  } catch (...) {
    DS->EnableControls();
    UpdateState();
    throw;
  }
  DS->EnableControls();
  UpdateState();
}

// ---------------------------------------------------------------------------
// Dataset field value list and data link.

void TDataLinkEh::DataEvent(TDataEvent Event, NativeInt Info)
{
  inherited::DataEvent(Event, Info);
  if (OnDataEvent)
    OnDataEvent(Event, Info);
}

// The values' own string list, whose text order the gathering borrows.
class TDatasetFieldValueListEh::TValueList : public TStringList {
public:
  using TStringList::CompareStrings;
};

TDatasetFieldValueListEh::TDatasetFieldValueListEh()
    : FDataLink(std::make_unique<TDataLinkEh>()),
      FDataSource(std::make_unique<TDataSource>(nullptr)),
      FValues(std::make_unique<TValueList>())
{
  FValues->SetSorted(true);
  FValues->SetDuplicates(dupIgnore);
  FDataLink->OnDataEvent = [this](TDataEvent Event, NativeInt Info) { DataEvent(Event, Info); };
}

TDatasetFieldValueListEh::~TDatasetFieldValueListEh()
{
  FValues.reset();
  FDataLink->OnDataEvent = nullptr;
  FDataLink->SetDataSource(nullptr);
  FDataSource->SetDataSet(nullptr);
  FDataSource.reset();
  FDataLink.reset();
}

void TDatasetFieldValueListEh::SetFieldName(const String& Value)
{
  if (Value == FFieldName)
    return;
  FFieldName = Value;
  FDataObsoleted = true;
}

TDataSet* TDatasetFieldValueListEh::DataSet() const
{
  return FDataSource->DataSet();
}

void TDatasetFieldValueListEh::SetDataSet(TDataSet* Value)
{
  const TDataSet* Current = FDataLink->DataSet();
  FDataLink->SetDataSource(FDataSource.get());
  if (Value != Current)
    FDataObsoleted = true;
  FDataSource->SetDataSet(Value);
}

void TDatasetFieldValueListEh::SetDataSource(TDataSource* Value)
{
  if (Value == FDataLink->DataSource())
    return;
  FDataObsoleted = true;
  FDataLink->SetDataSource(Value);
}

bool TDatasetFieldValueListEh::CaseSensitive() const
{
  return FValues->CaseSensitive();
}

void TDatasetFieldValueListEh::SetCaseSensitive(bool Value)
{
  if (Value == CaseSensitive())
    return;
  FValues->SetCaseSensitive(Value);
  // Texts that were one value may now be two: gather them again.
  FDataObsoleted = true;
}

TStrings* TDatasetFieldValueListEh::Values()
{
  if (FDataObsoleted)
    RefreshValues();
  return FValues.get();
}

void TDatasetFieldValueListEh::DataEvent(TDataEvent Event, NativeInt)
{
  if (Event == deDataSetChange || Event == dePropertyChange || Event == deFieldListChange)
    FDataObsoleted = true;
}

// Each text is compared with the list's order once: repeats of an exact text
// are dropped by hashing, and the distinct texts go in already sorted, so the
// list keeps, of texts it counts as one, the one met first.
void TDatasetFieldValueListEh::RefreshValues()
{
  FValues->Clear();
  TDataSet* DS = FDataLink->DataSet();
  if (!FDataLink->Active() || !DS)
    return;
  TField* Field = DS->FindField(FFieldName);
  if (!Field)
    return;

  QSet<String> Seen;
  std::vector<String> Distinct;
  DS->DisableControls();
  const TBookmark Saved = DS->Bookmark();
  auto Restore = [&] {
    if (!Saved.isEmpty() && DS->BookmarkValid(Saved))
      DS->GotoBookmark(Saved);
    DS->EnableControls();
  };
  try {
    for (DS->First(); !DS->Eof(); DS->Next()) {
      String Text = Field->AsString();
      if (Seen.contains(Text))
        continue;
      Seen.insert(Text);
      Distinct.push_back(std::move(Text));
    }
  } catch (...) {
    Restore();
    throw;
  }
  Restore();

  std::stable_sort(Distinct.begin(), Distinct.end(),
                   [this](const String& A, const String& B) { return FValues->CompareStrings(A, B) < 0; });
  FValues->BeginUpdate();
  try {
    for (const String& Text : Distinct)
      FValues->Add(Text);
  } catch (...) {
    FValues->EndUpdate();
    throw;
  }
  FValues->EndUpdate();
  FDataObsoleted = false;
}
