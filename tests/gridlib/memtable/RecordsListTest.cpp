// RecordsListTest.cpp: the records list, its change log and its indexes
// against a plain model under random operations, and the cases where the
// list must stay whole: cancelling, range deletions, sorting, restructuring.
#include "MemTableTestSupport.h"

#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>

using namespace mttest;

namespace {

bool Same(const Variant& A, const Variant& B)
{
  if (A.IsNull() || B.IsNull())
    return A.IsNull() && B.IsNull();
  return CompareVarValuesEh(A, B) == vrEqual;
}

// The model of one record: its values, the values before its first cached
// change, and its update status.
struct TModelRec {
  Int64 Id = 0;
  std::vector<Variant> Cur;
  std::optional<std::vector<Variant>> Old;
  TUpdateStatus Status = usUnmodified;
};

class RecordsListRandom : public ::testing::Test {
protected:
  void SetUp() override
  {
    Data = NewStorage();
    TMTDataStructEh* S = Data->DataStruct();
    AddField(S, "Code", ftInteger);
    AddField(S, "Name", ftWideString, 30);
    AddField(S, "Amount", ftCurrency);
    List = Data->RecordsList();
    Unique = List->Indexes()->Add();
    Unique->SetFields("Code");
    Unique->SetUnical(true);
    Unique->SetActive(true);
    Pair = List->Indexes()->Add();
    Pair->SetFields("Name;Code");
    Pair->SetActive(true);
    List->SetCachedUpdates(true);
  }

  Integer Rand(Integer N) { return Integer(Rng() % unsigned(N)); }
  std::vector<Variant> RandomValues()
  {
    static const char* Names[] = {"Иванов", "Петров", "ёлка", "Apple", "Ёж"};
    Variant Code = Rand(6) == 0 ? Null : Variant(Integer(Rand(40)));
    Variant Name = Rand(8) == 0 ? Null : Variant(QString::fromUtf8(Names[Rand(5)]));
    return {Code, Name, Variant(Currency::FromRaw(Int64(Rand(100000))))};
  }
  // Would Values[0] clash with the key of another live record?
  bool Clashes(const std::vector<Variant>& Values, Int64 Self) const
  {
    if (Values[0].IsNull())
      return false;
    for (const TModelRec& M : Model)
      if (M.Id != Self && M.Status != usDeleted && Same(M.Cur[0], Values[0]))
        return true;
    return false;
  }
  bool ModelHasDuplicateKeysAfterCancel() const
  {
    std::map<Integer, int> Seen;
    for (const TModelRec& M : Model) {
      if (M.Status == usInserted)
        continue;
      const Variant& K = M.Status == usModified && M.Old ? (*M.Old)[0] : M.Cur[0];
      if (!K.IsNull() && ++Seen[K.AsInteger()] > 1)
        return true;
    }
    return false;
  }
  void SetValues(TMemoryRecordEh* Rec, const std::vector<Variant>& Values)
  {
    for (Integer I = 0; I < Integer(Values.size()); ++I)
      Rec->SetDataValue(I, dvvValueEh, Values[size_t(I)]);
  }

  void CheckIndex(TMTIndexEh* Index, const std::vector<Integer>& Columns)
  {
    Integer Live = 0;
    for (const TModelRec& M : Model)
      Live += M.Status != usDeleted;
    ASSERT_EQ(Index->Count(), Live) << Index->Fields().toStdString();
    std::vector<bool> Seen(size_t(List->Count()), false);
    for (Integer I = 0; I < Index->Count(); ++I) {
      const TIndexItemEh& Item = Index->GetItems(I);
      if (I > 0) {
        ASSERT_NE(CompareVarValuesEh(Index->GetKeyValue(I - 1), Item.Value), vrGreaterThan) << "unsorted at " << I;
      }
      ASSERT_GE(Item.RecIndex, 0);
      ASSERT_LT(Item.RecIndex, List->Count());
      ASSERT_FALSE(Seen[size_t(Item.RecIndex)]) << "two entries of one record";
      Seen[size_t(Item.RecIndex)] = true;
      TMemoryRecordEh* Rec = List->Rec(Item.RecIndex);
      ASSERT_NE(Rec->UpdateStatus(), usDeleted);
      ASSERT_TRUE(Same(Rec->GetDataIndexValues(Columns, dvvValueEh), Item.Value) || Columns.size() > 1)
        << "entry key differs from the record";
      if (Columns.size() > 1) {
        for (size_t C = 0; C < Columns.size(); ++C)
          ASSERT_TRUE(Same(Rec->Value(Columns[C]), Item.Value.GetElement(Integer(C))));
      }
    }
  }

  void Check()
  {
    ASSERT_EQ(List->Count(), Integer(Model.size()));
    for (Integer I = 0; I < List->Count(); ++I) {
      TMemoryRecordEh* Rec = List->Rec(I);
      const TModelRec& M = Model[size_t(I)];
      ASSERT_EQ(Rec->RecordId(), M.Id) << "row " << I;
      ASSERT_EQ(Rec->Index(), I);
      ASSERT_EQ(List->RecordById(M.Id), Rec);
      ASSERT_EQ(Rec->UpdateStatus(), M.Status) << "row " << I;
      ASSERT_EQ(Rec->EditState(), resBrowseEh);
      for (Integer C = 0; C < 3; ++C)
        ASSERT_TRUE(Same(Rec->Value(C), M.Cur[size_t(C)])) << "row " << I << " col " << C;
      ASSERT_EQ(Rec->HasOldData(), M.Old.has_value()) << "row " << I;
      if (M.Old) {
        for (Integer C = 0; C < 3; ++C)
          ASSERT_TRUE(Same(Rec->GetDataValue(C, dvvOldValueEh), (*M.Old)[size_t(C)]));
      }
    }
    for (Int64 Gone : Removed)
      ASSERT_EQ(List->RecordById(Gone), nullptr) << "a removed record is still found by its id";
    ASSERT_NO_FATAL_FAILURE(CheckIndex(Unique, {0}));
    ASSERT_NO_FATAL_FAILURE(CheckIndex(Pair, {1, 0}));
  }

  void Forget(size_t At)
  {
    Removed.push_back(Model[At].Id);
    Model.erase(Model.begin() + Integer(At));
  }

  std::unique_ptr<TMemTableDataEh> Data;
  TRecordsListEh* List = nullptr;
  TMTIndexEh* Unique = nullptr;
  TMTIndexEh* Pair = nullptr;
  std::vector<TModelRec> Model;
  std::vector<Int64> Removed;
  std::mt19937 Rng{8211};
};

TEST_F(RecordsListRandom, OperationsAgreeWithModel)
{
  Integer Violations = 0;
  for (Integer Step = 0; Step < 3000; ++Step) {
    SCOPED_TRACE(Step);
    const bool Cached = List->CachedUpdates();
    const Integer Op = Rand(100);
    const Integer N = List->Count();
    SCOPED_TRACE(testing::Message() << "operation " << Op << (Cached ? " cached" : ""));
    if (Op < 25 || N == 0) {   // append or insert a record
      const std::vector<Variant> Values = RandomValues();
      TMemoryRecordEh* Rec = List->NewRecord();
      SetValues(Rec, Values);
      const Integer At = Rand(2) == 0 ? N : Rand(N + 1);
      if (Clashes(Values, -1)) {
        EXPECT_THROW(List->InsertRecord(At, Rec), EDatabaseError);
        EXPECT_FALSE(Rec->Attached());
        Rec->Cancel();   // frees the new record
        ++Violations;
      } else {
        List->InsertRecord(At, Rec);
        Model.insert(Model.begin() + At, {Rec->RecordId(), Values, std::nullopt, Cached ? usInserted : usUnmodified});
      }
    } else if (Op < 45) {   // edit a record
      const Integer I = Rand(N);
      TModelRec& M = Model[size_t(I)];
      if (M.Status == usDeleted)
        continue;
      TMemoryRecordEh* Rec = List->Rec(I);
      std::vector<Variant> Values = RandomValues();
      if (Rand(3) == 0)
        Values[0] = M.Cur[0];   // the record's own key never clashes
      Rec->Edit();
      SetValues(Rec, Values);
      if (Clashes(Values, M.Id)) {
        EXPECT_THROW(Rec->Post(), EDatabaseError);
        EXPECT_EQ(Rec->EditState(), resEditEh);
        Rec->Cancel();
        ++Violations;
        continue;
      }
      Rec->Post();
      if (Cached && M.Status == usUnmodified) {
        M.Status = usModified;
        M.Old = M.Cur;
      }
      M.Cur = Values;
    } else if (Op < 57) {   // delete a record
      const Integer I = Rand(N);
      TModelRec& M = Model[size_t(I)];
      if (Cached && M.Status == usDeleted) {
        EXPECT_THROW(List->DeleteRecord(I), Exception);
        continue;
      }
      List->DeleteRecord(I);
      if (!Cached || M.Status == usInserted) {
        Forget(size_t(I));
      } else {
        M.Old.reset();
        M.Status = usDeleted;
      }
    } else if (Op < 69) {   // revert a record
      const Integer I = Rand(N);
      TModelRec& M = Model[size_t(I)];
      const bool BackToOld = M.Status == usModified && M.Old;
      if ((M.Status == usDeleted && Clashes(M.Cur, M.Id)) || (BackToOld && Clashes(*M.Old, M.Id))) {
        EXPECT_THROW(List->RevertRecord(I), EDatabaseError);
        ++Violations;
        continue;
      }
      List->RevertRecord(I);
      if (M.Status == usInserted) {
        Forget(size_t(I));
      } else if (M.Status == usModified) {
        M.Cur = *M.Old;
        M.Old.reset();
        M.Status = usUnmodified;
      } else if (M.Status == usDeleted) {
        M.Status = usUnmodified;
      }
    } else if (Op < 73) {   // cancel every cached change
      if (ModelHasDuplicateKeysAfterCancel())
        continue;
      List->CancelUpdates();
      for (size_t I = Model.size(); I-- > 0;) {
        TModelRec& M = Model[I];
        if (M.Status == usInserted) {
          Forget(I);
          continue;
        }
        if (M.Status == usModified && M.Old)
          M.Cur = *M.Old;
        M.Old.reset();
        M.Status = usUnmodified;
      }
      EXPECT_FALSE(List->HasCachedChanges());
    } else if (Op < 78) {   // merge the change log
      List->MergeChangeLog();
      for (size_t I = Model.size(); I-- > 0;) {
        if (Model[I].Status == usDeleted) {
          Forget(I);
          continue;
        }
        Model[I].Old.reset();
        Model[I].Status = usUnmodified;
      }
      List->CleanupChangedRecs();
    } else if (Op < 84) {   // delete ranges for good, overlapping on purpose
      std::vector<TRecordsRangeEh> Ranges;
      std::set<Integer> Doomed;
      for (Integer K = Rand(3) + 1; K > 0; --K) {
        const Integer A = Rand(N);
        const Integer B = std::min(N - 1, A + Rand(3));
        Ranges.push_back({A, B});
        for (Integer I = A; I <= B; ++I)
          Doomed.insert(I);
      }
      List->PersistDeleteRecords(Ranges);
      for (auto It = Doomed.rbegin(); It != Doomed.rend(); ++It)
        Forget(size_t(*It));
    } else if (Op < 92) {   // move a record
      const Integer From = Rand(N);
      const Integer To = Rand(N);
      List->Move(From, To);
      TModelRec M = Model[size_t(From)];
      Model.erase(Model.begin() + From);
      Model.insert(Model.begin() + To, M);
    } else if (Op < 96) {   // set one raw value
      const Integer I = Rand(N);
      if (Model[size_t(I)].Status == usDeleted)
        continue;
      const Variant Amount = Currency::FromRaw(Int64(Rand(1000)));
      List->SetValue(I, 2, Amount);
      Model[size_t(I)].Cur[2] = Amount;
    } else {   // switch cached updates
      if (Cached && List->HasCachedChanges())
        continue;
      List->SetCachedUpdates(!Cached);
    }
    ASSERT_NO_FATAL_FAILURE(Check());
  }
  EXPECT_GT(Violations, 20) << "the run should meet the unique key often";
}

TEST(RecordsList, CancelWalksTheWholeLog)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "V", ftInteger);
  TRecordsListEh* List = Data->RecordsList();
  for (Integer I = 0; I < 4; ++I)
    Append(Data.get(), {Variant(I)});
  List->SetCachedUpdates(true);
  for (Integer I : {0, 3}) {
    List->Rec(I)->Edit();
    List->Rec(I)->SetDataValue(0, dvvValueEh, Variant(100 + I));
    List->Rec(I)->Post();
  }
  // A record marked modified without saved values sits between the two.
  List->Rec(2)->SetUpdateStatus(usModified);
  TMemoryRecordEh* Extra = List->NewRecord();
  Extra->SetDataValue(0, dvvValueEh, Variant(9));
  List->InsertRecord(1, Extra);
  TRecorder Events(Data.get());
  List->CancelUpdates();
  ASSERT_EQ(List->Count(), 4);
  for (Integer I = 0; I < 4; ++I) {
    EXPECT_EQ(List->Rec(I)->Value(0).AsInteger(), I);
    EXPECT_EQ(List->Rec(I)->UpdateStatus(), usUnmodified);
  }
  EXPECT_FALSE(List->HasCachedChanges());
  EXPECT_EQ(Events.Actions(), std::vector<TRecordsListNotification>{rlnListChangedEh});
}

TEST(RecordsList, InsertedThenDeletedLeavesAHole)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "V", ftInteger);
  TRecordsListEh* List = Data->RecordsList();
  List->SetCachedUpdates(true);
  Append(Data.get(), {Variant(1)});
  List->DeleteRecord(0);
  EXPECT_TRUE(List->HasCachedChanges());
  List->MergeChangeLog();
  EXPECT_FALSE(List->HasCachedChanges());
  EXPECT_EQ(List->Count(), 0);
}

// Records are found by id whatever order they join the list in and however
// many of them left it before.
TEST(RecordsList, RecordsByIdInAnyOrderOfPosting)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "V", ftInteger);
  TRecordsListEh* List = Data->RecordsList();
  std::vector<TMemoryRecordEh*> Made;
  for (int I = 0; I < 12; ++I) {
    Made.push_back(List->NewRecord());
    Made.back()->SetDataValue(0, dvvValueEh, I);
  }
  // Posted late, middle first, then the rest in reverse.
  for (int I : {6, 11, 10, 9, 8, 7, 5, 4, 3, 2, 1, 0})
    Made[size_t(I)]->Post();
  std::vector<Int64> Ids;
  for (TMemoryRecordEh* R : Made)
    Ids.push_back(R->RecordId());
  for (size_t I = 0; I < Made.size(); ++I)
    EXPECT_EQ(List->RecordById(Ids[I]), Made[I]) << I;
  // Most of them leave; those left are still found, those gone never.
  for (int I : {0, 2, 3, 4, 6, 7, 9, 11})
    List->DeleteRecord(List->IndexOf(Made[size_t(I)]));
  for (size_t I = 0; I < Made.size(); ++I) {
    const bool Kept = I == 1 || I == 5 || I == 8 || I == 10;
    EXPECT_EQ(List->RecordById(Ids[I]), Kept ? Made[I] : nullptr) << I;
  }
  TMemoryRecordEh* Last = List->NewRecord();
  Last->Post();
  EXPECT_EQ(List->RecordById(Last->RecordId()), Last);
  List->Clear();
  EXPECT_EQ(List->RecordById(Last->RecordId()), nullptr);
}

// A resolver that fails half-way through a range deletion must leave every
// record in place; the ranges are taken in the numbering before the call.
TEST(RecordsList, RangeDeletionResolvesFirstAndChangesNothingOnError)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "V", ftInteger);
  TRecordsListEh* List = Data->RecordsList();
  for (Integer I = 0; I < 10; ++I)
    Append(Data.get(), {Variant(I)});
  TRecordsListNotificatorEh Resolver(nullptr);
  Integer Calls = 0;
  Resolver.OnApplyUpdates = [&](TMemTableDataEh* Shadow) {
    if (Shadow->RecordsList()->Rec(0)->Value(0).AsInteger() == 6)
      throw EDatabaseError(QStringLiteral("refused"));
    ++Calls;
  };
  Resolver.SetDataObject(Data.get());
  EXPECT_THROW(List->PersistDeleteRecords({{1, 3}, {2, 6}}), EDatabaseError);
  EXPECT_EQ(List->Count(), 10);
  for (Integer I = 0; I < 10; ++I)
    EXPECT_EQ(List->Rec(I)->Value(0).AsInteger(), I);
  Resolver.OnApplyUpdates = [&](TMemTableDataEh*) { ++Calls; };
  Calls = 0;
  TRecorder Events(Data.get());
  List->PersistDeleteRecords({{1, 3}, {2, 6}, {9, 9}});
  EXPECT_EQ(Calls, 7) << "each record resolved once";
  ASSERT_EQ(List->Count(), 3);
  EXPECT_EQ(List->Rec(0)->Value(0).AsInteger(), 0);
  EXPECT_EQ(List->Rec(1)->Value(0).AsInteger(), 7);
  EXPECT_EQ(List->Rec(2)->Value(0).AsInteger(), 8);
  EXPECT_EQ(Events.Actions(), std::vector<TRecordsListNotification>{rlnListChangedEh});
  EXPECT_THROW(List->PersistDeleteRecords({{1, 5}}), EListError);
  EXPECT_EQ(List->Count(), 3);
}

TEST(RecordsList, ImmediateResolutionWritesBackAndFailsBeforeTheChange)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "Id", ftInteger);
  AddField(Data->DataStruct(), "Name", ftWideString, 20);
  TRecordsListNotificatorEh Resolver(nullptr);
  bool Refuse = false;
  Resolver.OnApplyUpdates = [&](TMemTableDataEh* Shadow) {
    if (Refuse)
      throw EDatabaseError(QStringLiteral("refused"));
    TMemoryRecordEh* Rec = Shadow->RecordsList()->Rec(0);
    if (Rec->UpdateStatus() == usInserted)
      Rec->SetDataValue(0, dvvValueEh, Variant(501));   // the server's key
  };
  Resolver.SetDataObject(Data.get());
  TMemoryRecordEh* Rec = Append(Data.get(), {Null, Variant(QStringLiteral("Склад"))});
  EXPECT_EQ(Rec->Value(0).AsInteger(), 501);
  Refuse = true;
  Rec->Edit();
  Rec->SetDataValue(1, dvvValueEh, Variant(QStringLiteral("Цех")));
  EXPECT_THROW(Rec->Post(), EDatabaseError);
  EXPECT_EQ(Rec->EditState(), resEditEh);
  Rec->Cancel();
  EXPECT_EQ(Rec->Value(1).AsString(), QStringLiteral("Склад"));
  EXPECT_THROW(Data->RecordsList()->DeleteRecord(0), EDatabaseError);
  EXPECT_EQ(Data->RecordsList()->Count(), 1);
}

TEST(RecordsList, SortOfSortedAndEqualRecordsStaysShallow)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "V", ftInteger);
  TRecordsListEh* List = Data->RecordsList();
  List->BeginUpdate();
  for (Integer I = 0; I < 300000; ++I) {
    TMemoryRecordEh* Rec = List->NewRecord();
    Rec->SetDataValue(0, dvvValueEh, Variant(I % 7 == 0 ? 5 : I));
    List->FetchRecord(Rec);
  }
  List->EndUpdate();
  const auto ByValue = [](TMemoryRecordEh* A, TMemoryRecordEh* B, TObject*) {
    return A->Value(0).AsInteger() - B->Value(0).AsInteger();
  };
  List->SortData(nullptr, ByValue);
  List->SortData(nullptr, ByValue);
  for (Integer I = 1; I < List->Count(); ++I) {
    ASSERT_LE(List->Rec(I - 1)->Value(0).AsInteger(), List->Rec(I)->Value(0).AsInteger());
    ASSERT_EQ(List->Rec(I)->Index(), I);
  }
}

// Packed record values give back every value with its kind; replacing a
// text leaves its neighbours as they were, and copies own their values.
TEST(RecordValues, KeepEachKindAndText)
{
  const std::vector<Variant> Kinds = {
      Unassigned, Null, true, false, ShortInt(-5), Byte(250), SmallInt(-30000), Word(65000), Integer(-2000000000),
      LongWord(4000000000u), Int64(-9000000000000000000LL), UInt64(18000000000000000000ULL), 1.5f, -2.25,
      Currency(12.3456), TDateTime(45000.75), String(), String(QStringLiteral("plain ascii")),
      String(QStringLiteral("Изделие №5")), String(QStringLiteral("Ünïcödé ÿ")), AnsiString("8-bit"),
      Variant::FromBytes(QByteArray("\x00\x01\xFF", 3)), VarArrayOf({Variant(1), Variant(QStringLiteral("два"))})};
  TRecValuesEh Values = TRecValuesEh::Nulls(Integer(Kinds.size()));
  for (std::size_t I = 0; I < Kinds.size(); ++I)
    Values.Set(Integer(I), Kinds[I]);
  auto Check = [&](const TRecValuesEh& V, const std::vector<Variant>& Want) {
    ASSERT_EQ(V.Count(), Integer(Want.size()));
    for (std::size_t I = 0; I < Want.size(); ++I) {
      SCOPED_TRACE(I);
      const Variant Got = V.Get(Integer(I));
      EXPECT_EQ(Got.VType(), Want[I].VType());
      if (Want[I].VType() == (varArray | varByte)) {
        EXPECT_EQ(Got.AsBytes(), Want[I].AsBytes());
      } else if (Want[I].IsArray()) {
        EXPECT_EQ(VarToStr(Got.GetElement(1)), VarToStr(Want[I].GetElement(1)));
      } else if (!Want[I].IsEmpty()) {
        EXPECT_TRUE(Got == Want[I]) << VarToStr(Got).toStdString();
      }
    }
  };
  Check(Values, Kinds);
  EXPECT_EQ(Values.ToVariants().size(), Kinds.size());

  // A copy is its own: changing it leaves the source alone.
  TRecValuesEh Copy = Values;
  std::vector<Variant> Changed = Kinds;
  const Integer Ascii = 17, Cyrillic = 18, Array = 22;
  Changed[size_t(Ascii)] = String(QStringLiteral("a much longer replacement text"));
  Changed[size_t(Cyrillic)] = String(QStringLiteral("Щ"));
  Changed[size_t(Array)] = Null;
  Changed[0] = String(QStringLiteral("text where there was none"));
  for (Integer I : {Ascii, Cyrillic, Array, 0})
    Copy.Set(I, Changed[size_t(I)]);
  Check(Copy, Changed);
  Check(Values, Kinds);

  // Typed reads.
  EXPECT_TRUE(Values.IsNumber(13));
  EXPECT_EQ(Values.Number(13), -2.25);
  EXPECT_EQ(Values.Number(2), -1);   // True as the variant rules make it a number
  EXPECT_EQ(Values.Int64Value(8), -2000000000);
  EXPECT_TRUE(Values.IsText(18));
  EXPECT_EQ(Values.Tag(17), TRecValuesEh::tLatin1);
  EXPECT_EQ(Values.Tag(18), TRecValuesEh::tUtf16);
  EXPECT_EQ(Values.Tag(19), TRecValuesEh::tLatin1);   // every character below 256
  EXPECT_FALSE(Values.IsText(20));                     // 8-bit text keeps its kind apart

  // Moved-from and reset values hold no version.
  TRecValuesEh Moved = std::move(Copy);
  EXPECT_FALSE(Copy.Present());
  EXPECT_TRUE(Moved.Present());
  Moved.Reset();
  EXPECT_EQ(Moved.Count(), 0);
}

// Texts of every storage form read back exactly, in place of one another
// between neighbours that stay as they were: one byte a character for
// Latin-1 and for ASCII with one page (up to U+1FFF), two bytes otherwise.
TEST(RecordValues, TextFormsSwitchOnEditAndReadBackExactly)
{
  struct TCase {
    const char16_t* Text;
    TRecValuesEh::TTag Tag;
    size_t BytesAChar;
  };
  const TCase Cases[] = {
      {u"", TRecValuesEh::tLatin1, 1},
      {u"plain", TRecValuesEh::tLatin1, 1},
      {u"a\u0080\u00FF", TRecValuesEh::tLatin1, 1},
      {u"Изделие 123456", TRecValuesEh::tUtf16, 1},
      {u"Ёлка ёж", TRecValuesEh::tUtf16, 1},         // U+0401 and U+0451 share a page
      {u"Цех №1", TRecValuesEh::tUtf16, 2},          // № is on another page
      {u"Їжак ґанок", TRecValuesEh::tUtf16, 2},      // U+0407 and U+0491: two pages
      {u"αβγ Ω", TRecValuesEh::tUtf16, 1},
      {u"\u0100x", TRecValuesEh::tUtf16, 1},
      {u"\u1FFF\u1F80", TRecValuesEh::tUtf16, 1},    // the last page the form takes
      {u"\u2000", TRecValuesEh::tUtf16, 2},
      {u"emoji \U0001F600", TRecValuesEh::tUtf16, 2},
      {u"Я", TRecValuesEh::tUtf16, 1},
  };
  TRecValuesEh Values = TRecValuesEh::Nulls(4);
  Values.Set(0, Integer(-7));
  Values.Set(2, String(QStringLiteral("сосед")));
  Values.Set(3, 2.5);
  const size_t Bare = Values.Size();
  auto NeighboursKept = [&](const TRecValuesEh& V) {
    EXPECT_EQ(V.Int64Value(0), -7);
    EXPECT_EQ(V.Get(2).AsString(), QStringLiteral("сосед"));
    EXPECT_EQ(V.Number(3), 2.5);
  };
  // Each case over each other one, so that every form replaces every form.
  for (const TCase& From : Cases)
    for (const TCase& C : Cases) {
      const String Want = QString::fromUtf16(C.Text);
      SCOPED_TRACE(Want.toStdString() + " over " + QString::fromUtf16(From.Text).toStdString());
      Values.Set(1, String(QString::fromUtf16(From.Text)));
      Values.Set(1, Want);
      EXPECT_EQ(Values.Get(1).VType(), varUString);
      EXPECT_EQ(Values.Get(1).AsString(), Want);
      EXPECT_EQ(Values.Tag(1), C.Tag);
      EXPECT_TRUE(Values.IsText(1));
      QLatin1StringView Latin1;
      QStringView Utf16;
      Values.Text(1, Latin1, Utf16);
      EXPECT_EQ(C.Tag == TRecValuesEh::tUtf16 ? Utf16.toString() : QString(Latin1), Want);
      const size_t Bytes = size_t(Want.size()) * C.BytesAChar;
      EXPECT_EQ(Values.Size() - Bare, (Bytes + 1) & ~size_t(1)) << "the bytes a text takes";
      NeighboursKept(Values);
      const TRecValuesEh Copy = Values;
      EXPECT_EQ(Copy.Get(1).AsString(), Want);
      NeighboursKept(Copy);
    }
  // A text gives way to Null and to nothing, and comes back.
  Values.Set(1, Null);
  EXPECT_TRUE(Values.Get(1).IsNull());
  EXPECT_EQ(Values.Size(), Bare);
  Values.Set(1, Unassigned);
  EXPECT_TRUE(Values.Get(1).IsEmpty());
  Values.Set(1, String());
  EXPECT_EQ(Values.Get(1).AsString(), String());
  EXPECT_EQ(Values.Tag(1), TRecValuesEh::tLatin1);
  NeighboursKept(Values);
}

// Texts widened from a page stay readable four at a time: a comparison of
// two fields of two records holds all four views.
TEST(RecordValues, FourWidenedTextsAtOnce)
{
  const QString Texts[] = {QStringLiteral("Болт"), QStringLiteral("Гайка М8"), QStringLiteral("Шайба"),
                           QStringLiteral("αβγ")};
  TRecValuesEh Values = TRecValuesEh::Nulls(4);
  for (Integer I = 0; I < 4; ++I)
    Values.Set(I, String(Texts[I]));
  QStringView Views[4];
  for (Integer I = 0; I < 4; ++I) {
    QLatin1StringView Latin1;
    Values.Text(I, Latin1, Views[I]);
  }
  for (Integer I = 0; I < 4; ++I)
    EXPECT_EQ(Views[I].toString(), Texts[I]) << I;
}

// Around the sizes where the ends of the values need a wider form (255 and
// 65535 bytes) and back: every value reads back, the longest text too.
TEST(RecordValues, LongTextsAcrossEveryEndWidth)
{
  TRecValuesEh Values = TRecValuesEh::Nulls(3);
  Values.Set(0, String(QStringLiteral("ключ")));
  Values.Set(2, Int64(-9000000000000000000LL));
  auto Check = [&](const String& Want) {
    ASSERT_EQ(Values.Get(1).AsString(), Want);
    ASSERT_EQ(Values.Get(0).AsString(), QStringLiteral("ключ"));
    ASSERT_EQ(Values.Int64Value(2), -9000000000000000000LL);
  };
  struct TRange {
    qsizetype From, To;
    QChar Fill;
  };
  for (const TRange& R : {TRange{220, 270, QLatin1Char('x')}, TRange{220, 270, QChar(0x0416)},
                          TRange{65480, 65560, QLatin1Char('z')}, TRange{32720, 32790, QChar(0x2116)}})
    for (qsizetype L = R.From; L <= R.To; ++L) {
      const String Text(L, R.Fill);
      Values.Set(1, Text);
      ASSERT_NO_FATAL_FAILURE(Check(Text)) << L;
    }
  const String Longest(300000, QChar(0x0436));
  Values.Set(1, Longest);
  Check(Longest);
  const TRecValuesEh Copy = Values;
  EXPECT_EQ(Copy.Get(1).AsString(), Longest);
  Values.Set(1, String(QStringLiteral("x")));
  Check(QStringLiteral("x"));
  EXPECT_LT(Values.Size(), size_t(64)) << "a short text again takes a small block";
}

// Attached records keep their values in the records' pool at their exact
// size. A value that grows or shrinks across the pool's steps and past its
// largest block moves the block without touching the neighbours; values
// kept for a revert come back whole; rooms left by deleted records serve new
// ones, whose ids still never repeat.
TEST(RecordValues, PooledBlocksMoveAndAreReused)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "N", ftInteger);
  AddField(Data->DataStruct(), "T", ftWideString, 2000);
  TRecordsListEh* List = Data->RecordsList();
  std::vector<TMemoryRecordEh*> Recs;
  for (int I = 0; I < 40; ++I)
    Recs.push_back(Append(Data.get(), {Variant(I), Variant(String(QStringLiteral("r%1").arg(I)))}));
  for (TMemoryRecordEh* R : Recs)
    EXPECT_FALSE(R->Values().OnHeap()) << R->Index();
  auto CheckOthers = [&](Integer Except) {
    for (Integer I = 0; I < List->Count(); ++I)
      if (I != Except) {
        ASSERT_EQ(List->GetValue(I, 0).AsInteger(), List->Rec(I)->RecordId() - Recs[0]->RecordId()) << I;
        ASSERT_EQ(List->GetValue(I, 1).AsString(), QStringLiteral("r%1").arg(I)) << I;
      }
  };
  struct Step {
    qsizetype Length;
    QChar Fill;
    bool OnHeap;
  };
  const Step Steps[] = {{1, QLatin1Char('a'), false},  {2, QLatin1Char('b'), false},  {3, QLatin1Char('c'), false},
                        {9, QChar(0x0436), false},     {10, QChar(0x2116), false},    {240, QChar(0x2116), false},
                        {260, QChar(0x2116), true},    {1500, QLatin1Char('d'), true}, {4, QChar(0x0436), false},
                        {0, QLatin1Char('e'), false}};
  for (const Step& S : Steps) {
    SCOPED_TRACE(S.Length);
    const String Text(S.Length, S.Fill);
    List->SetValue(20, 1, Text);
    EXPECT_EQ(List->GetValue(20, 1).AsString(), Text);
    EXPECT_EQ(List->GetValue(20, 0).AsInteger(), 20);
    EXPECT_EQ(List->Rec(20)->Values().OnHeap(), S.OnHeap);
    ASSERT_NO_FATAL_FAILURE(CheckOthers(20));
  }
  List->SetValue(20, 1, String(QStringLiteral("r20")));

  // An edit under cached updates keeps the values before it for a revert.
  List->SetCachedUpdates(true);
  TMemoryRecordEh* Edited = List->Rec(7);
  Edited->Edit();
  Edited->SetDataValue(1, dvvValueEh, String(600, QLatin1Char('x')));
  Edited->SetDataValue(0, dvvValueEh, Variant());
  Edited->Post();
  EXPECT_EQ(Edited->GetDataValue(1, dvvOldValueEh).AsString(), QStringLiteral("r7"));
  List->RevertRecord(7);
  ASSERT_NO_FATAL_FAILURE(CheckOthers(-1));
  List->MergeChangeLog();
  List->SetCachedUpdates(false);

  // Deleted records leave their rooms; new ones take them and new ids.
  std::vector<Int64> Gone;
  for (int I = 0; I < 10; ++I) {
    Gone.push_back(List->Rec(5)->RecordId());
    List->DeleteRecord(5);
  }
  const Int64 LastId = Recs.back()->RecordId();
  for (int I = 0; I < 10; ++I) {
    TMemoryRecordEh* R = Append(Data.get(), {Variant(I), Variant(String(QStringLiteral("new%1").arg(I)))});
    EXPECT_GT(R->RecordId(), LastId);
    EXPECT_EQ(List->RecordById(R->RecordId()), R);
  }
  for (Int64 Id : Gone)
    EXPECT_EQ(List->RecordById(Id), nullptr) << Id;
  for (Integer I = 0; I < 30; ++I) {
    const int Was = I < 5 ? I : I + 10;
    EXPECT_EQ(List->GetValue(I, 1).AsString(), QStringLiteral("r%1").arg(Was)) << I;
  }
  for (Integer I = 30; I < 40; ++I)
    EXPECT_EQ(List->GetValue(I, 1).AsString(), QStringLiteral("new%1").arg(I - 30)) << I;
}

// A record is found by its id whatever has been done to the order of the
// list: as loaded, after an insertion in the middle, moves, exchanges, a
// sort, and deletions merged out of the log; a record gone is never found.
TEST(RecordsList, RecordsByIdThroughEveryChangeOfOrder)
{
  struct TStep {
    const char* Name;
    std::function<void(TRecordsListEh*)> Run;
  };
  const auto Insert = [](TRecordsListEh* List) {
    TMemoryRecordEh* Rec = List->NewRecord();
    Rec->SetDataValue(0, dvvValueEh, 1000);
    List->InsertRecord(0, Rec);
  };
  const std::vector<TStep> Steps = {
      {"append", [](TRecordsListEh* List) { Append(List->MemTableData(), {Variant(500)}); }},
      {"insert first", Insert},
      {"move", [](TRecordsListEh* List) { List->Move(List->Count() - 1, 1); }},
      {"exchange", [](TRecordsListEh* List) { List->ExchangeRecords(0, List->Count() - 1); }},
      {"sort descending",
       [](TRecordsListEh* List) {
         List->SortData(nullptr, [](TMemoryRecordEh* A, TMemoryRecordEh* B, TObject*) {
           return B->Value(0).AsInteger() - A->Value(0).AsInteger();
         });
       }},
      {"sort by id",
       [](TRecordsListEh* List) {
         List->SortData(nullptr, [](TMemoryRecordEh* A, TMemoryRecordEh* B, TObject*) {
           return A->RecordId() < B->RecordId() ? -1 : A->RecordId() > B->RecordId() ? 1 : 0;
         });
       }},
      {"delete and merge",
       [](TRecordsListEh* List) {
         List->SetCachedUpdates(true);
         List->DeleteRecord(1);
         List->DeleteRecord(3);
         List->MergeChangeLog();
         List->SetCachedUpdates(false);
       }},
      {"delete", [](TRecordsListEh* List) { List->DeleteRecord(0); }},
      {"append after all", [](TRecordsListEh* List) { Append(List->MemTableData(), {Variant(501)}); }},
  };
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "V", ftInteger);
  TRecordsListEh* List = Data->RecordsList();
  std::map<Int64, TMemoryRecordEh*> Known;
  for (int I = 0; I < 8; ++I)
    Append(Data.get(), {Variant(I)});
  for (const TStep& Step : Steps) {
    SCOPED_TRACE(Step.Name);
    for (Integer I = 0; I < List->Count(); ++I)
      Known[List->Rec(I)->RecordId()] = List->Rec(I);
    Step.Run(List);
    std::set<Int64> Live;
    for (Integer I = 0; I < List->Count(); ++I) {
      Live.insert(List->Rec(I)->RecordId());
      EXPECT_EQ(List->RecordById(List->Rec(I)->RecordId()), List->Rec(I));
    }
    for (const auto& [Id, Rec] : Known) {
      if (!Live.count(Id)) {
        EXPECT_EQ(List->RecordById(Id), nullptr) << Id;
      }
    }
    EXPECT_EQ(List->RecordById(0), nullptr);
    EXPECT_EQ(List->RecordById(1000000), nullptr);
  }
}

TEST(RecordsList, ValueVersionsAndTheirErrors)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "A", ftInteger);
  AddField(Data->DataStruct(), "B", ftWideString, 10);
  TRecordsListEh* List = Data->RecordsList();
  List->SetCachedUpdates(true);
  TMemoryRecordEh* Rec = Append(Data.get(), {Variant(1), Variant(QStringLiteral("x"))});
  List->MergeChangeLog();
  EXPECT_THROW(Rec->GetDataValue(0, dvvOldValueEh), Exception);
  EXPECT_THROW(Rec->GetDataValue(0, dvvEditValueEh), Exception);
  EXPECT_THROW(Rec->GetDataValue(2, dvvValueEh), EListError);
  EXPECT_THROW(Rec->GetDataValues(QStringLiteral("Nope"), dvvValueEh), EDatabaseError);
  Rec->Edit();
  Rec->SetDataValue(0, dvvValueEh, Variant(QStringLiteral("2")));   // converted to the column's kind
  EXPECT_EQ(Rec->Value(0).VType(), varInteger);
  EXPECT_EQ(Rec->GetDataValue(0, dvvCurValueEh).AsInteger(), 1);
  Rec->Post();
  EXPECT_EQ(Rec->GetDataValue(0, dvvCurValueEh).AsInteger(), 2);
  EXPECT_EQ(Rec->GetDataValue(0, dvvOldValueEh).AsInteger(), 1);
  const Variant Both = Rec->GetDataValues(QStringLiteral("B;A"), dvvValueEh);
  EXPECT_EQ(Both.GetElement(0).AsString(), QStringLiteral("x"));
  EXPECT_EQ(Both.GetElement(1).AsInteger(), 2);
  EXPECT_THROW(Rec->Post(), EDatabaseError);
  EXPECT_THROW(Rec->SetDataValue(0, dvvValueEh, Variant(QStringLiteral("два"))), Exception);
}

// The side data of a record (its place in the change log, old values, the
// values before an open edit, an update error) is its own: each record reads
// back only what it was given, it goes once empty, and a new record that
// outlives its list keeps no reference into it.
TEST(RecordsList, SideDataBelongsToItsRecord)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "A", ftInteger);
  TRecordsListEh* List = Data->RecordsList();
  std::vector<TMemoryRecordEh*> Recs;
  for (Integer I = 0; I < 5; ++I)
    Recs.push_back(Append(Data.get(), {Variant(I)}));
  List->SetCachedUpdates(true);
  Recs[1]->Edit();
  Recs[1]->SetDataValue(0, dvvValueEh, Variant(11));
  Recs[1]->Post();                 // logged, with old values
  Recs[2]->Edit();
  Recs[2]->SetDataValue(0, dvvValueEh, Variant(12));   // an open edit
  Recs[3]->SetUpdateError(std::make_unique<TUpdateErrorEh>(Exception(QStringLiteral("refused"))));
  TMemoryRecordEh* Added = Append(Data.get(), {Variant(15)});   // logged, no old values

  struct TCase {
    TMemoryRecordEh* Rec;
    Integer UpdateIndex;
    bool Old;
    Integer OldValue;
    bool Error;
  };
  const TCase Cases[] = {{Recs[0], -1, false, 0, false}, {Recs[1], 0, true, 1, false},
                         {Recs[2], -1, false, 0, false}, {Recs[3], -1, false, 0, true},
                         {Recs[4], -1, false, 0, false}, {Added, 1, false, 0, false}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Rec->Value(0).AsInteger());
    EXPECT_EQ(C.Rec->UpdateIndex(), C.UpdateIndex);
    EXPECT_EQ(C.Rec->HasOldData(), C.Old);
    if (C.Old) {
      EXPECT_EQ(C.Rec->GetDataValue(0, dvvOldValueEh).AsInteger(), C.OldValue);
    }
    EXPECT_EQ(C.Rec->UpdateError() != nullptr, C.Error);
  }
  EXPECT_EQ(Recs[2]->GetDataValue(0, dvvCurValueEh).AsInteger(), 2);
  Recs[2]->Cancel();
  EXPECT_EQ(Recs[2]->Value(0).AsInteger(), 2);
  EXPECT_THROW(Recs[2]->GetDataValue(0, dvvEditValueEh), Exception);
  Recs[3]->SetUpdateError(nullptr);
  List->MergeChangeLog();
  for (const TCase& C : Cases) {
    EXPECT_EQ(C.Rec->UpdateIndex(), -1);
    EXPECT_FALSE(C.Rec->HasOldData());
    EXPECT_EQ(C.Rec->UpdateError(), nullptr);
  }
  EXPECT_EQ(Recs[1]->Value(0).AsInteger(), 11);

  // A new record with an error, never added, and its list gone before it.
  TMemoryRecordEh* Loose = List->NewRecord();
  Loose->SetUpdateError(std::make_unique<TUpdateErrorEh>(Exception(QStringLiteral("refused"))));
  ASSERT_NE(Loose->UpdateError(), nullptr);
  Data.reset();
  EXPECT_EQ(Loose->UpdateError(), nullptr);
  delete Loose;
}

TEST(MemTableData, AutoIncrementAndSubscription)
{
  auto Data = NewStorage();
  AddField(Data->DataStruct(), "Id", ftAutoInc);
  TMTDataFieldEh* Copy = AddField(Data->DataStruct(), "Copy", ftInteger);
  Copy->SetAutoIncrement(true);
  TRecorder Events(nullptr);
  Events.Sub->SetDataObject(Data.get());
  EXPECT_EQ(Events.Actions(), (std::vector<TRecordsListNotification>{rlnListChangingEh, rlnListChangedEh}));
  TMemoryRecordEh* A = Append(Data.get(), {});
  TMemoryRecordEh* B = Append(Data.get(), {});
  EXPECT_EQ(A->Value(0).AsInteger(), -1);
  EXPECT_EQ(A->Value(1).AsInteger(), -1);
  EXPECT_EQ(B->Value(0).AsInteger(), -2);
  TMemoryRecordEh* Fetched = Data->RecordsList()->NewRecord();
  Data->RecordsList()->FetchRecord(Fetched);
  EXPECT_TRUE(Fetched->Value(0).IsNull()) << "fetched records get no number";
  Data->ResetRecords();
  EXPECT_EQ(Append(Data.get(), {})->Value(0).AsInteger(), -1);
  TAutoIncrementEh Counter;
  Counter.SetStep(1);
  Counter.SetInitValue(10);
  Counter.SetInitValue(100);
  EXPECT_EQ(Counter.Promote(), 100);
  Counter.SetInitValue(10);
  EXPECT_EQ(Counter.Promote(), 101);
}

TEST(MemTableData, CommitRestructAppliesTheNewStructure)
{
  auto Data = NewStorage();
  TMTDataStructEh* S = Data->DataStruct();
  AddField(S, "Name", ftWideString, 20);
  AddField(S, "Qty", ftInteger);
  Append(Data.get(), {Variant(QStringLiteral("Болт крепёжный")), Variant(12345)});
  Append(Data.get(), {Null, Variant(7)});
  TMTDataStructEh* New = Data->BeginRestruct();
  EXPECT_THROW(Data->BeginRestruct(), Exception);
  New->FieldByName(QStringLiteral("Name"))->SetSize(4);
  New->ChangeFieldType(QStringLiteral("Qty"), TMTStringDataFieldEh::StaticClass())->SetSize(3);
  AddField(New, "Note", ftWideString, 10);
  Data->CommitRestruct();
  EXPECT_FALSE(Data->RestructMode());
  ASSERT_EQ(S->Count(), 3);
  EXPECT_EQ(S->GetDataField(1)->GetDataType(), ftString);
  TRecordsListEh* List = Data->RecordsList();
  EXPECT_EQ(List->Rec(0)->Value(0).AsString(), QStringLiteral("Болт"));
  EXPECT_EQ(List->Rec(0)->Value(1).AsString(), QStringLiteral("123"));
  EXPECT_TRUE(List->Rec(0)->Value(2).IsNull()) << "a new column starts Null";
  EXPECT_TRUE(List->Rec(1)->Value(0).IsNull());
  EXPECT_EQ(List->Rec(1)->Value(1).AsString(), QStringLiteral("7"));
  // Cancelling leaves the structure alone.
  Data->BeginRestruct()->Clear();
  Data->CancelRestruct();
  EXPECT_EQ(S->Count(), 3);
}

TEST(MTDataStruct, ComponentNamesAndLookups)
{
  auto Data = NewStorage();
  TMTDataStructEh* S = Data->DataStruct();
  TMTDataFieldEh* A = AddField(S, "a", ftInteger);
  A->SetFieldName(QStringLiteral("A"));
  EXPECT_EQ(A->Name(), QStringLiteral("A2"));
  EXPECT_EQ(AddField(S, "Количество", ftInteger)->Name(), QStringLiteral("MTNumericDataFieldEh"));
  EXPECT_EQ(AddField(S, "Цена", ftFloat)->Name(), QStringLiteral("MTNumericDataFieldEh2"));
  EXPECT_EQ(AddField(S, "1a", ftString)->Name(), QStringLiteral("MTStringDataFieldEh1a"));
  EXPECT_THROW(A->SetFieldName(QString()), EDatabaseError);
  EXPECT_THROW(AddField(S, "количество", ftString), EDatabaseError);
  EXPECT_THROW(S->FieldsIndex(QStringLiteral("A;Nope")), EDatabaseError);
  EXPECT_TRUE(S->FieldsIndex(QStringLiteral("Nope")).empty());
  EXPECT_EQ(S->FieldsIndex(QStringLiteral("Цена; A")), (std::vector<Integer>{2, 0}));
  auto* G = static_cast<TMTStringDataFieldEh*>(AddField(S, "G", ftString));
  G->SetStringDataType(fdtGuidEh);
  EXPECT_EQ(G->GetSize(), 38);
  EXPECT_THROW(A->SetSize(5), EDatabaseError);
  EXPECT_THROW(G->AssignDataType(ftInteger), Exception);
}

TEST(MTDataStruct, ExactDecimalBound)
{
  struct Case { Variant Value; Integer Precision, Scale; bool Fits; };
  const Case Cases[] = {
    {Variant(Currency::FromRaw(9999999)), 5, 2, true},      // 999.9999
    {Variant(Currency::FromRaw(10000000)), 5, 2, false},    // 1000 exactly
    {Variant(Currency::FromRaw(-10000000)), 5, 2, false},   // -1000
    {Variant(Currency::FromRaw(-9999999)), 5, 2, true},
    {Variant(999.999999), 5, 2, true},
    {Variant(1000.0), 5, 2, false},
    {Variant(-1000.0), 5, 2, false},
    {Variant(QStringLiteral("-999.5")), 5, 2, true},
    {Variant(QStringLiteral("100000")), 7, 2, false},
    {Variant(Int64(99999)), 7, 2, true},
    {Variant(0.5), 2, 2, true},
    {Variant(1.0), 2, 2, false},
    {Null, 5, 2, true},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(VarToStr(C.Value).toStdString());
    EXPECT_EQ(BcdValueFitsEh(C.Value, C.Precision, C.Scale), C.Fits);
  }
}

} // namespace
