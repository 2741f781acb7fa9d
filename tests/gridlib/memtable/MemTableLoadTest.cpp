// MemTableLoadTest.cpp: a memory table filled from another memory table or
// dataset in each mode, written into another dataset, and saved to and
// loaded from files without losing the old file or the old rows on an error.
#include "gridlib/memtable/MemTableEh.h"

#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// A table of (id, name, amount) with the given rows.
std::unique_ptr<TMemTableEh> NewTable(std::initializer_list<std::tuple<int, const char*, double>> Rows)
{
  auto T = std::make_unique<TMemTableEh>(nullptr);
  T->FieldDefs()->Add(QStringLiteral("id"), ftInteger);
  T->FieldDefs()->Add(QStringLiteral("name"), ftString, 20);
  T->FieldDefs()->Add(QStringLiteral("amount"), ftFloat);
  T->CreateDataSet();
  for (const auto& [Id, Name, Amount] : Rows) {
    T->Append();
    T->FieldByName(QStringLiteral("id"))->SetAsInteger(Id);
    T->FieldByName(QStringLiteral("name"))->SetAsString(QString::fromUtf8(Name));
    T->FieldByName(QStringLiteral("amount"))->SetAsFloat(Amount);
    T->Post();
  }
  return T;
}

std::unique_ptr<TMemTableEh> Sample()
{
  return NewTable({{1, "Болт", 1.5}, {2, "Гайка", 0.75}, {3, "Шайба", 0.1}, {4, "Винт", 2.0}});
}

// The ids of the table's rows in view order; the cursor is left on the first.
std::vector<int> Ids(TDataSet* T)
{
  std::vector<int> R;
  for (T->First(); !T->Eof(); T->Next())
    R.push_back(T->FieldByName(QStringLiteral("id"))->AsInteger());
  T->First();
  return R;
}

TEST(MemTableLoad, FromMemTableInEachMode)
{
  auto Source = Sample();
  Source->SetFilter(QStringLiteral("id <> 2"));
  Source->SetFilteredValue(true);
  ASSERT_EQ(Ids(Source.get()), (std::vector<int>{1, 3, 4}));

  struct TCase {
    const char* Name;
    Integer Count;
    int StartRecNo;   // the source's current row
    TLoadMode Mode;
    TMemTableLoadOptionsEh Options;
    Integer Expected;
    std::vector<int> Rows;
  };
  const TCase Cases[] = {
    {"the view", 0, 1, lmCopy, {tloOpenOnLoad}, 3, {1, 3, 4}},
    {"every stored record", 0, 1, lmCopy, {tloOpenOnLoad, tloDisregardFilterEh}, 4, {1, 2, 3, 4}},
    {"two from the current row", 2, 2, lmCopy, {tloOpenOnLoad}, 2, {3, 4}},
    {"more than there are", 5, 3, lmCopy, {tloOpenOnLoad}, 1, {4}},
    {"two from the current record of the list", 2, 2, lmCopy, {tloOpenOnLoad, tloDisregardFilterEh}, 2, {3, 4}},
    {"structure only", 0, 1, lmCopyStructureOnly, {tloOpenOnLoad}, 0, {}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TMemTableEh Target(nullptr);
    Source->SetRecNo(C.StartRecNo);
    EXPECT_EQ(Target.LoadFromMemTableEh(Source.get(), C.Count, C.Mode, C.Options), C.Expected);
    ASSERT_TRUE(Target.Active());
    EXPECT_EQ(Target.FieldCount(), 3);
    EXPECT_EQ(Ids(&Target), C.Rows);
    EXPECT_FALSE(Target.HasCachedChanges());
  }

  // Appending goes by name; a table left closed stays closed.
  TMemTableEh Other(nullptr);
  Other.FieldDefs()->Add(QStringLiteral("name"), ftString, 20);
  Other.FieldDefs()->Add(QStringLiteral("id"), ftInteger);
  Other.FieldDefs()->Add(QStringLiteral("extra"), ftInteger);
  Other.CreateDataSet();
  Other.Close();
  EXPECT_EQ(Other.LoadFromMemTableEh(Source.get(), 0, lmAppend, {}), 3);
  EXPECT_FALSE(Other.Active());
  Other.Open();
  EXPECT_EQ(Ids(&Other), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(Other.FieldByName(QStringLiteral("name"))->AsString(), QStringLiteral("Болт"));
  EXPECT_TRUE(Other.FieldByName(QStringLiteral("extra"))->IsNull());

  // With cached updates the loaded records wait in the log as inserts.
  Other.SetCachedUpdates(true);
  EXPECT_EQ(Other.LoadFromMemTableEh(Source.get(), 1, lmAppend, {tloUseCachedUpdatesEh}), 1);
  EXPECT_TRUE(Other.HasCachedChanges());
  Other.Last();
  EXPECT_EQ(Other.UpdateStatus(), usInserted);
  Other.CancelUpdates();
  EXPECT_EQ(Ids(&Other), (std::vector<int>{1, 3, 4}));
}

TEST(MemTableLoad, FromItselfOrItsSharedStorageIsRefused)
{
  auto Table = Sample();
  EXPECT_EQ(Table->LoadFromMemTableEh(Table.get(), 0, lmCopy, {}), 0);
  EXPECT_EQ(Table->LoadFromDataSet(Table.get(), 0, lmCopy, false), 0);
  TMemTableEh Sharing(nullptr);
  Sharing.SetExternalMemData(Table.get());
  Sharing.Open();
  EXPECT_EQ(Table->LoadFromMemTableEh(&Sharing, 0, lmCopy, {}), 0);
  EXPECT_EQ(Sharing.LoadFromMemTableEh(Table.get(), 0, lmCopy, {}), 0);
  EXPECT_TRUE(Table->Active());
  EXPECT_EQ(Ids(Table.get()), (std::vector<int>{1, 2, 3, 4}));
}

TEST(MemTableLoad, FromDataSetAndIntoDataSet)
{
  auto Source = Sample();
  Source->SetFilter(QStringLiteral("amount > 0.5"));
  Source->SetFilteredValue(true);
  TMemTableEh Copy(nullptr);
  EXPECT_EQ(Copy.LoadFromDataSet(Source.get(), 0, lmCopy, false), 3);
  EXPECT_EQ(Copy.RecNo(), 1);
  EXPECT_EQ(Ids(&Copy), (std::vector<int>{1, 2, 4}));
  EXPECT_FALSE(Copy.HasCachedChanges());
  EXPECT_EQ(Copy.UpdateStatus(), usUnmodified);

  // Appending through the dataset with cached updates logs inserts.
  Copy.SetCachedUpdates(true);
  Source->SetRecNo(2);
  EXPECT_EQ(Copy.LoadFromDataSet(Source.get(), 1, lmAppend, true), 1);
  EXPECT_TRUE(Copy.HasCachedChanges());
  EXPECT_EQ(Ids(&Copy), (std::vector<int>{1, 2, 4, 2}));

  // An auto-increment column takes new values when records are appended.
  TMemTableEh Numbered(nullptr);
  Numbered.FieldDefs()->Add(QStringLiteral("id"), ftAutoInc);
  Numbered.FieldDefs()->Add(QStringLiteral("name"), ftString, 20);
  Numbered.CreateDataSet();
  EXPECT_EQ(Numbered.LoadFromDataSet(Source.get(), 0, lmAppend, false), 3);
  std::vector<int> Auto = Ids(&Numbered);
  ASSERT_EQ(Auto.size(), 3u);
  EXPECT_NE(Auto[0], Auto[1]);
  EXPECT_NE(Auto[1], Auto[2]);

  // Saving into another dataset: the fields it has, from the first row.
  TMemTableEh Dest(nullptr);
  Dest.FieldDefs()->Add(QStringLiteral("amount"), ftFloat);
  Dest.FieldDefs()->Add(QStringLiteral("id"), ftInteger);
  Dest.CreateDataSet();
  Copy.Last();
  EXPECT_EQ(Copy.SaveToDataSet(&Dest, 0), 4);
  EXPECT_EQ(Ids(&Dest), (std::vector<int>{1, 2, 4, 2}));
  EXPECT_DOUBLE_EQ(Dest.FieldByName(QStringLiteral("amount"))->AsFloat(), 1.5);
  EXPECT_EQ(Copy.SaveToDataSet(&Copy, 0), 0);
}

TEST(MemTableLoad, FilesKeepTheOldFileAndTheOldRowsOnErrors)
{
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  for (TDfmStreamFormatEh Format : {dfmBinaryEh, dfmTextEh}) {
    SCOPED_TRACE(Format == dfmBinaryEh ? "binary" : "text");
    const String Path = Dir.filePath(Format == dfmBinaryEh ? "t.bin" : "t.txt");
    auto Table = Sample();
    Table->SaveToFile(Path, Format);

    auto Loaded = NewTable({{9, "x", 0}});
    Loaded->LoadFromFile(Path);
    EXPECT_TRUE(Loaded->Active());   // it was open: it opens again
    EXPECT_EQ(Ids(Loaded.get()), (std::vector<int>{1, 2, 3, 4}));
    Loaded->Last();
    EXPECT_EQ(Loaded->FieldByName(QStringLiteral("name"))->AsString(), QStringLiteral("Винт"));

    // A value that cannot be written fails the save: the old file stays.
    QFile Before(Path);
    ASSERT_TRUE(Before.open(QIODevice::ReadOnly));
    const QByteArray OldBytes = Before.readAll();
    Before.close();
    Table->MemTableData()->RecordsList()->Rec(0)->SetDataValue(1, dvvValueEh, Variant());
    EXPECT_ANY_THROW(Table->SaveToFile(Path, Format));
    QFile After(Path);
    ASSERT_TRUE(After.open(QIODevice::ReadOnly));
    EXPECT_EQ(After.readAll(), OldBytes);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).size(), Format == dfmBinaryEh ? 1 : 2);
  }

  // A file that is no table stream fails the load: the rows stay, open.
  const String Bad = Dir.filePath("bad.bin");
  QFile F(Bad);
  ASSERT_TRUE(F.open(QIODevice::WriteOnly));
  F.write("this is not a table");
  F.close();
  auto Table = Sample();
  EXPECT_ANY_THROW(Table->LoadFromFile(Bad));
  EXPECT_TRUE(Table->Active());
  EXPECT_EQ(Ids(Table.get()), (std::vector<int>{1, 2, 3, 4}));
  // A truncated stream too.
  const String Good = Dir.filePath("t.bin");
  QFile Whole(Good);
  ASSERT_TRUE(Whole.open(QIODevice::ReadOnly));
  const QByteArray Bytes = Whole.readAll();
  Whole.close();
  QFile Cut(Bad);
  ASSERT_TRUE(Cut.open(QIODevice::WriteOnly | QIODevice::Truncate));
  Cut.write(Bytes.left(Bytes.size() / 2));
  Cut.close();
  auto Other = NewTable({{7, "y", 1}});
  EXPECT_ANY_THROW(Other->LoadFromFile(Bad));
  EXPECT_EQ(Ids(Other.get()), (std::vector<int>{7}));
}

}  // namespace
