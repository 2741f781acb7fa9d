// ListsTest.cpp: TList, TObjectList, TStringList and the streams they load
// from and save to.
#include "platform/rtl/Classes.h"
#include "platform/rtl/Contnrs.h"
#include "platform/rtl/ScopeExit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/platform/rtl/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Counts live instances, so that a test sees what a list freed.
class TCounted : public TObject {
public:
  explicit TCounted(int* Live) : FLive(Live) { ++*FLive; }
  ~TCounted() override { --*FLive; }

private:
  int* FLive;
};

QStringList Items(const TStrings& L) { return L.ToStringList(); }

TEST(List, IndexErrorsNameTheIndex)
{
  TList L;
  L.Add(nullptr);
  struct Case {
    std::function<void()> Call;
    const char* Message;
  };
  const Case Cases[] = {
    {[&] { L.Items(1); }, "List index out of bounds (1)"},
    {[&] { L.Delete(-1); }, "List index out of bounds (-1)"},
    {[&] { L.Insert(3, nullptr); }, "List index out of bounds (3)"},
    {[&] { L.SetCount(-2); }, "List count out of bounds (-2)"},
    {[&] { L.Move(0, 5); }, "List index out of bounds (5)"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Message);
    try {
      C.Call();
      FAIL() << "no exception";
    } catch (const EListError& E) {
      EXPECT_EQ(E.Message(), QString::fromLatin1(C.Message));
    }
  }
}

TEST(List, MoveExchangePackAndSort)
{
  int A = 3, B = 1, C = 2;
  TList L;
  L.Add(&A);
  L.Add(nullptr);
  L.Add(&B);
  L.Add(&C);
  L.Pack();
  ASSERT_EQ(L.Count(), 3);
  L.Sort([](void* X, void* Y) { return *static_cast<int*>(X) - *static_cast<int*>(Y); });
  EXPECT_EQ(L[0], &B);
  EXPECT_EQ(L[2], &A);
  L.Move(0, 2);
  EXPECT_EQ(L[2], &B);
  L.Exchange(0, 1);
  EXPECT_EQ(L[0], &A);
  EXPECT_EQ(L.Extract(&C), &C);
  EXPECT_EQ(L.IndexOf(&C), -1);
}

TEST(ObjectList, OwnsWhatItHoldsUnlessExtracted)
{
  int Live = 0;
  {
    TObjectList L;   // owns by default
    L.Add(new TCounted(&Live));
    auto* Kept = new TCounted(&Live);
    L.Add(Kept);
    L.Add(new TCounted(&Live));
    EXPECT_EQ(Live, 3);
    L.Delete(0);
    EXPECT_EQ(Live, 2);
    EXPECT_EQ(L.Extract(Kept), Kept);
    EXPECT_EQ(Live, 2);
    delete Kept;
    L.SetItems(0, new TCounted(&Live));   // replaces and frees the old one
    EXPECT_EQ(Live, 1);
  }
  EXPECT_EQ(Live, 0);
  {
    TObjectList NotOwning(false);
    TCounted Item(&Live);
    NotOwning.Add(&Item);
    NotOwning.Clear();
    EXPECT_EQ(Live, 1);
  }
}

TEST(ComponentList, DropsAComponentWhenItIsFreed)
{
  TComponentList L(false);
  auto* A = new TComponent(nullptr);
  auto* B = new TComponent(nullptr);
  L.Add(A);
  L.Add(B);
  delete A;
  ASSERT_EQ(L.Count(), 1);
  EXPECT_EQ(L.Items(0), B);
  delete B;
  EXPECT_EQ(L.Count(), 0);
}

TEST(StringList, SortedListsAndDuplicates)
{
  struct Case {
    TDuplicates Dup;
    bool CaseSensitive;
    QStringList Added;
    QStringList Expected;
    bool Raises;
  };
  const Case Cases[] = {
    {dupIgnore, false, {"b", "a", "B", "c"}, {"a", "b", "c"}, false},
    {dupAccept, false, {"b", "a", "B", "c"}, {"a", "B", "b", "c"}, false},
    {dupAccept, true, {"b", "B", "a"}, {"a", "b", "B"}, false},
    {dupIgnore, true, {"b", "B", "a"}, {"a", "b", "B"}, false},
    {dupError, false, {"x", "X"}, {"x"}, true},
    {dupIgnore, false, {"яблоко", "Арбуз", "ёж", "банан"}, {"Арбуз", "банан", "ёж", "яблоко"}, false},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Added.join(QLatin1Char(',')).toStdString());
    TStringList L;
    L.SetSorted(true);
    L.SetDuplicates(C.Dup);
    L.SetCaseSensitive(C.CaseSensitive);
    bool Raised = false;
    for (const QString& S : C.Added) {
      try {
        L.Add(S);
      } catch (const EStringListError& E) {
        Raised = true;
        EXPECT_EQ(E.Message(), QStringLiteral("String list does not allow duplicates"));
      }
    }
    EXPECT_EQ(Raised, C.Raises);
    EXPECT_EQ(Items(L), C.Expected);
  }
}

TEST(StringList, SortedListRefusesPositionalChangesAndFindsByBinarySearch)
{
  TStringList L;
  L.AddStrings(QStringList{"d", "b", "c", "a"});
  L.SetSorted(true);
  EXPECT_EQ(Items(L), (QStringList{"a", "b", "c", "d"}));
  EXPECT_THROW(L.Insert(0, QStringLiteral("z")), EStringListError);
  EXPECT_THROW(L.Put(0, QStringLiteral("z")), EStringListError);
  Integer Index = -1;
  EXPECT_TRUE(L.Find(QStringLiteral("C"), Index));
  EXPECT_EQ(Index, 2);
  EXPECT_FALSE(L.Find(QStringLiteral("bb"), Index));
  EXPECT_EQ(Index, 2);
  EXPECT_EQ(L.IndexOf(QStringLiteral("D")), 3);
}

TEST(StringList, CommaTextQuotesWhatNeedsIt)
{
  struct Case {
    QStringList Items;
    const char* Text;
  };
  const Case Cases[] = {
    {{"a", "b c", "d,e", "f\"g", ""}, "a,\"b c\",\"d,e\",\"f\"\"g\","},
    {{""}, "\"\""},
    {{}, ""},
    {{"Москва", "Санкт Петербург"}, "Москва,\"Санкт Петербург\""},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Text);
    TStringList L;
    L.AddStrings(C.Items);
    EXPECT_EQ(L.CommaText(), QString::fromUtf8(C.Text));
  }
}

TEST(StringList, SettingCommaAndDelimitedText)
{
  struct Case {
    const char* Text;
    QChar Delimiter;
    bool Strict;
    QStringList Expected;
  };
  const Case Cases[] = {
    {"a,b,c", ',', false, {"a", "b", "c"}},
    {"a b,c", ',', false, {"a", "b", "c"}},   // blanks split too unless strict
    {"a b,c", ',', true, {"a b", "c"}},
    {"\"a,b\",c", ',', false, {"a,b", "c"}},
    {"\"say \"\"hi\"\"\",x", ',', false, {"say \"hi\"", "x"}},
    {"a,,b", ',', false, {"a", "", "b"}},
    {"a,", ',', false, {"a", ""}},
    {"  a ,  b  ", ',', false, {"a", "b"}},
    {"x;y;z", ';', true, {"x", "y", "z"}},
    {"\"unclosed", ',', false, {"unclosed"}},
    {"", ',', false, {}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Text);
    TStringList L;
    L.SetDelimiter(C.Delimiter);
    L.SetStrictDelimiter(C.Strict);
    L.SetDelimitedText(QString::fromUtf8(C.Text));
    EXPECT_EQ(Items(L), C.Expected);
  }
  TStringList L;
  L.SetDelimiter(QLatin1Char(';'));
  L.SetStrictDelimiter(true);
  L.SetCommaText(QStringLiteral("a b,c"));   // CommaText ignores both settings
  EXPECT_EQ(Items(L), (QStringList{"a", "b", "c"}));
  EXPECT_EQ(L.Delimiter(), QLatin1Char(';'));
  EXPECT_TRUE(L.StrictDelimiter());
}

TEST(StringList, NamesAndValues)
{
  TStringList L;
  L.SetText(QStringLiteral("Server=db1\nPort=5432\nnovalue\nEmpty="));
  EXPECT_EQ(L.Names(0), QStringLiteral("Server"));
  EXPECT_EQ(L.Names(2), QString());
  EXPECT_EQ(L.Values(QStringLiteral("port")), QStringLiteral("5432"));
  EXPECT_EQ(L.ValueFromIndex(3), QString());
  EXPECT_EQ(L.IndexOfName(QStringLiteral("EMPTY")), 3);
  L.SetValues(QStringLiteral("Port"), QStringLiteral("6543"));
  EXPECT_EQ(L[1], QStringLiteral("Port=6543"));
  L.SetValues(QStringLiteral("User"), QStringLiteral("ivanov"));
  EXPECT_EQ(L[4], QStringLiteral("User=ivanov"));
  L.SetValues(QStringLiteral("Server"), QString());   // an empty value deletes the line
  EXPECT_EQ(L.IndexOfName(QStringLiteral("Server")), -1);
  EXPECT_EQ(L.Count(), 4);
}

TEST(StringList, ChangeEventsFireOncePerUpdate)
{
  TStringList L;
  int Changing = 0, Changed = 0;
  L.OnChanging = [&](TObject*) { ++Changing; };
  L.OnChange = [&](TObject*) { ++Changed; };
  L.Add(QStringLiteral("a"));
  EXPECT_EQ(Changed, 1);
  L.BeginUpdate();
  L.Add(QStringLiteral("b"));
  L.Add(QStringLiteral("c"));
  L.Delete(0);
  EXPECT_EQ(Changed, 1);
  L.EndUpdate();
  EXPECT_EQ(Changing, 2);
  EXPECT_EQ(Changed, 2);
  L.SetText(QStringLiteral("x\ny"));
  EXPECT_EQ(Changed, 3);
}

TEST(StringList, OwnedObjectsAreFreedWhenDeleted)
{
  int Live = 0;
  {
    TStringList L(true);
    L.AddObject(QStringLiteral("a"), new TCounted(&Live));
    L.AddObject(QStringLiteral("b"), new TCounted(&Live));
    L.AddObject(QStringLiteral("c"), new TCounted(&Live));
    L.Delete(0);
    EXPECT_EQ(Live, 2);
    L.Move(0, 1);   // moving keeps the object
    EXPECT_EQ(Live, 2);
    EXPECT_EQ(L[1], QStringLiteral("b"));
    EXPECT_NE(L.Objects(1), nullptr);
  }
  EXPECT_EQ(Live, 0);
}

TEST(StringList, TextSplitsAtEveryLineBreakKind)
{
  TStringList L;
  L.SetText(QStringLiteral("a\r\nb\nc\rd\r\n\r\n"));
  EXPECT_EQ(Items(L), (QStringList{"a", "b", "c", "d", ""}));
  EXPECT_EQ(L.Text(), QStringLiteral("a\r\nb\r\nc\r\nd\r\n\r\n"));
  L.SetLineBreak(QStringLiteral("\n"));
  L.SetTrailingLineBreak(false);
  EXPECT_EQ(L.Text(), QStringLiteral("a\nb\nc\nd\n"));
}

TEST(StringList, FilesKeepTheirEncodingAndLineBreaks)
{
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString Name = Dir.filePath(QStringLiteral("lines.txt"));
  struct Case {
    TEncoding* Encoding;
    bool Bom;
    QByteArray Start;
  };
  const Case Cases[] = {
    {TEncoding::UTF8(), true, QByteArray("\xEF\xBB\xBF\xD0\x9F", 5)},
    {TEncoding::UTF8(), false, QByteArray("\xD0\x9F", 2)},
    {TEncoding::Unicode(), true, QByteArray("\xFF\xFE\x1F\x04", 4)},
    {TEncoding::GetEncoding(1251), false, QByteArray("\xCF", 1)},
  };
  for (const Case& C : Cases) {
    ASSERT_NE(C.Encoding, nullptr);
    SCOPED_TRACE(C.Encoding->EncodingName().toStdString());
    TStringList Out;
    Out.SetWriteBOM(C.Bom);
    Out.SetLineBreak(QStringLiteral("\n"));
    Out.AddStrings(QStringList{QStringLiteral("Привет"), QStringLiteral("мир")});
    Out.SaveToFile(Name, C.Encoding);
    QFile F(Name);
    ASSERT_TRUE(F.open(QIODevice::ReadOnly));
    const QByteArray Bytes = F.readAll();
    EXPECT_TRUE(Bytes.startsWith(C.Start)) << Bytes.toHex().toStdString();
    TStringList In;
    In.LoadFromFile(Name, C.Bom ? nullptr : C.Encoding);   // a BOM names the encoding by itself
    EXPECT_EQ(Items(In), Items(Out));
    EXPECT_EQ(In.Encoding(), C.Encoding);
  }
  EXPECT_THROW(TStringList().LoadFromFile(Dir.filePath(QStringLiteral("missing.txt"))), EFOpenError);
}

TEST(Stream, ReadBufferIsAllOrNothing)
{
  TMemoryStream S;
  S.WriteBuffer("abc", 3);
  S.SetPosition(1);
  char Buf[4];
  EXPECT_THROW(S.ReadBuffer(Buf, 4), EReadError);
  S.SetPosition(0);
  EXPECT_EQ(S.Read(Buf, 4), 3);
  EXPECT_EQ(S.Read(Buf, 4), 0);
  S.SetPosition(10);   // writing past the end grows the stream
  S.WriteBuffer("z", 1);
  EXPECT_EQ(S.Size(), 11);
  EXPECT_EQ(S.Bytes().mid(3, 7), QByteArray(7, '\0'));
}

TEST(Stream, MemoryStreamGrowsInBlocks)
{
  TMemoryStream S;
  S.SetSize(1);
  EXPECT_EQ(S.Capacity(), 8192);
  S.SetSize(8193);
  EXPECT_EQ(S.Capacity(), 16384);
  S.Clear();
  EXPECT_EQ(S.Capacity(), 0);
  EXPECT_EQ(S.Memory(), nullptr);
}

TEST(Stream, FileStreamModesAndCopy)
{
  QTemporaryDir Dir;
  const QString Name = Dir.filePath(QStringLiteral("data.bin"));
  {
    TFileStream F(Name, fmCreate);
    F.WriteBuffer("0123456789", 10);
    F.SetSize(4);
  }
  TFileStream F(Name, fmOpenRead | fmShareDenyWrite);
  EXPECT_EQ(F.Size(), 4);
  TMemoryStream M;
  EXPECT_EQ(M.CopyFrom(&F, 0), 4);
  EXPECT_EQ(M.Bytes(), QByteArray("0123"));
  EXPECT_EQ(F.Write("x", 1), 0);   // opened for reading only
  try {
    TFileStream Missing(Dir.filePath(QStringLiteral("none/x.bin")), fmCreate);
    FAIL();
  } catch (const EFCreateError& E) {
    EXPECT_TRUE(E.Message().startsWith(QStringLiteral("Cannot create file \""))) << E.what();
  }
}

// Writing to a full device fails where the caller can see it, not silently
// in the close.
TEST(Stream, FileStreamReportsAFullDevice)
{
  TStringList Lines;
  Lines.Add(QStringLiteral("строка"));
  EXPECT_THROW(Lines.SaveToFile(QStringLiteral("/dev/full")), EWriteError);
  TFileStream F(QStringLiteral("/dev/full"), fmOpenWrite);
  EXPECT_THROW(F.WriteBuffer("0123456789", 10), EWriteError);
}

TEST(Stream, StringStreamEncodes)
{
  TStringStream S(QStringLiteral("Дата"), TEncoding::UTF8());
  EXPECT_EQ(S.Size(), 8);
  EXPECT_EQ(S.DataString(), QStringLiteral("Дата"));
  S.SetPosition(S.Size());
  S.WriteString(QStringLiteral("!"));
  EXPECT_EQ(S.DataString(), QStringLiteral("Дата!"));
  S.SetPosition(0);
  EXPECT_EQ(S.ReadString(4), QStringLiteral("Да"));
}

TEST(ScopeExit, RunsUnlessReleased)
{
  int Runs = 0;
  {
    ScopeExit Guard([&] { ++Runs; });
  }
  {
    ScopeExit Guard([&] { ++Runs; });
    Guard.Release();
  }
  try {
    ScopeExit Guard([&] { ++Runs; });
    throw EAbort();
  } catch (const EAbort&) {
  }
  EXPECT_EQ(Runs, 2);
}

} // namespace
