// PageListTest.cpp: the page stream's spill to a file, the page coder, and
// the page list with the report file it writes and reads.
#include "report/engine/QRPrntr.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QByteArray Coded(const QByteArray& Plain)
{
  TMemoryStream Out;
  {
    TQRCompress Coder(&Out, true);
    for (const char C : Plain)
      Coder.Compress(CodeType(Byte(C)));
  }
  return Out.Bytes();
}

QByteArray Decoded(const QByteArray& Code, Integer Count)
{
  TBytesStream In(Code);
  TQRCompress Coder(&In, false);
  QByteArray Result;
  for (Integer I = 0; I < Count; ++I) {
    Byte B = 0;
    Coder.Expand(B);
    Result.append(char(B));
  }
  return Result;
}

std::unique_ptr<TMetafile> PageWithText(const String& Text)
{
  auto Meta = std::make_unique<TMetafile>();
  Meta->SetWidth(794);
  Meta->SetHeight(1123);
  {
    TMetafileCanvas C(Meta.get(), nullptr);
    C.Font()->SetName(QStringLiteral("Arial"));
    C.TextOut(40, 40, Text);
  }
  return Meta;
}

String PageText(TMetafile* Meta) { return Meta ? Meta->Texts().join(QStringLiteral("|")) : QStringLiteral("<none>"); }

String Nth(Integer N) { return QStringLiteral("Страница %1").arg(N); }

// A list with pages 1..Count, each carrying its own number.
std::unique_ptr<TQRPageList> ListOf(Integer Count, bool Compressed = false, Integer MemoryLimit = 1000000)
{
  auto List = std::make_unique<TQRPageList>();
  List->SetCompression(Compressed);
  List->SetStream(std::make_unique<TQRStream>(MemoryLimit));
  for (Integer I = 1; I <= Count; ++I)
    List->AddPage(PageWithText(Nth(I)).get());
  List->Finish();
  return List;
}

QByteArray BytesOf(TQRPageList& List)
{
  TMemoryStream Out;
  List.SaveToStream(&Out);
  return Out.Bytes();
}

Integer IntAt(const QByteArray& B, Integer Pos) { return qFromLittleEndian<qint32>(B.constData() + Pos); }
void SetIntAt(QByteArray& B, Integer Pos, Integer V) { qToLittleEndian<qint32>(V, B.data() + Pos); }

void LoadBytes(TQRPageList& List, const QByteArray& Bytes)
{
  TBytesStream In(Bytes);
  List.LoadFromStream(&In);
}

} // namespace

TEST(QRStream, SpillsOneBytePastTheLimitAndCleansUp)
{
  String FileName;
  {
    TQRStream S(100);
    QByteArray Data(100, 'a');
    for (int I = 0; I < Data.size(); ++I)
      Data[I] = char('a' + I % 26);
    S.WriteBuffer(Data);
    EXPECT_TRUE(S.InMemory()) << "at the limit the bytes stay in memory";
    S.WriteBuffer("Z", 1);
    ASSERT_FALSE(S.InMemory());
    FileName = S.FileName();
    ASSERT_FALSE(FileName.isEmpty());
    EXPECT_TRUE(QFile::exists(FileName));
    EXPECT_EQ(S.Position(), 101);
    // Earlier bytes read the same after the spill, and appending goes on.
    S.SetPosition(10);
    EXPECT_EQ(S.ReadBytes(5), Data.mid(10, 5));
    S.Seek(0, soEnd);
    S.WriteBuffer("!", 1);
    EXPECT_EQ(S.Size(), 102);
    TMemoryStream Copy;
    S.SaveToStream(&Copy);
    EXPECT_EQ(Copy.Bytes(), Data + "Z!");
  }
  EXPECT_FALSE(QFile::exists(FileName)) << "no temporary file is left behind";
}

TEST(QRCompress, KnownCodesAndBoundaries)
{
  EXPECT_TRUE(Coded(QByteArray()).isEmpty()) << "nothing coded, nothing written";
  // In the initial complete tree byte 0 sits 8 levels deep: one byte, and no
  // flush byte when the code ends on a byte boundary. Byte 255 sits one level
  // deeper: its ninth bit goes out in a flushed partial byte.
  EXPECT_EQ(Coded(QByteArray(1, '\0')), QByteArray(1, char(0x80)));
  EXPECT_EQ(Coded(QByteArray(1, char(0xFF))), QByteArray(2, '\0'));
  EXPECT_EQ(Decoded(QByteArray(1, char(0x80)), 1), QByteArray(1, '\0'));
  // Splaying shortens a repeated byte's code.
  EXPECT_LT(Coded(QByteArray(1000, 'x')).size(), 200);
}

TEST(QRCompress, EveryByteValueAndRandomDataRoundTrip)
{
  for (int B = 0; B < 256; ++B) {
    const QByteArray Plain(40, char(B));
    ASSERT_EQ(Decoded(Coded(Plain), Plain.size()), Plain) << "byte " << B;
  }
  QRandomGenerator Rng(20261210);
  QByteArray Plain(200000, '\0');
  for (char& C : Plain)
    C = char(Rng.bounded(Rng.bounded(2) ? 256 : 8));   // skewed, so the tree moves
  const QByteArray Code = Coded(Plain);
  EXPECT_LT(Code.size(), Plain.size());
  EXPECT_EQ(Decoded(Code, Plain.size()), Plain);
}

TEST(QRPageList, HeaderLayout)
{
  for (bool Compressed : {false, true}) {
    SCOPED_TRACE(Compressed);
    auto List = ListOf(3, Compressed);
    const QByteArray B = BytesOf(*List);
    ASSERT_GE(B.size(), 128);
    EXPECT_EQ(B.left(4), QByteArray("\x03\x00\x3C\x00", 4));
    EXPECT_EQ(IntAt(B, 8), 3);
    EXPECT_EQ(B[25], char(Compressed ? 1 : 0));
    EXPECT_EQ(B.mid(26, 100), QByteArray(100, 'H'));
    EXPECT_EQ(IntAt(B, 128), 1) << "the first record follows the header";
    const double Stamp = qFromLittleEndian<double>(B.constData() + 16);
    EXPECT_NEAR(Stamp, Now().Val, 1.0 / 24);
  }
}

TEST(QRPageList, OnePageCountBeforeAndAfterFinish)
{
  TQRPageList List;
  List.SetStream(std::make_unique<TQRStream>(1000000));
  List.AddPage(PageWithText(Nth(1)).get());
  EXPECT_EQ(IntAt(BytesOf(List), 8), 1);
  List.Finish();
  EXPECT_EQ(IntAt(BytesOf(List), 8), 1);
  EXPECT_EQ(PageText(List.GetPage(1).get()), Nth(1));
}

TEST(QRPageList, WalksForwardAndBackAndAppendsAtTheEnd)
{
  for (bool Compressed : {false, true}) {
    SCOPED_TRACE(Compressed);
    // A small limit puts the later pages into the temporary file.
    auto List = ListOf(5, Compressed, 500);
    EXPECT_FALSE(List->Stream()->InMemory());
    for (Integer N : {5, 2, 4, 1, 3, 3, 5})
      EXPECT_EQ(PageText(List->GetPage(N).get()), Nth(N));

    const Int64 Pos = List->Stream()->Position();
    EXPECT_EQ(List->GetPage(0), nullptr);
    EXPECT_EQ(List->GetPage(6), nullptr);
    EXPECT_EQ(List->Stream()->Position(), Pos) << "an out-of-range page leaves the stream where it was";

    List->GetPage(3);
    List->AddPage(PageWithText(Nth(6)).get());
    EXPECT_EQ(List->PageCount(), 6);
    for (Integer N : {6, 1, 4})
      EXPECT_EQ(PageText(List->GetPage(N).get()), Nth(N));
  }
}

TEST(QRPageList, SavedFileLoadsAgain)
{
  QTemporaryDir Dir;
  for (bool Compressed : {false, true}) {
    SCOPED_TRACE(Compressed);
    const String FileName = Dir.filePath(Compressed ? QStringLiteral("c.qrp") : QStringLiteral("p.qrp"));
    ListOf(4, Compressed)->SaveToFile(FileName);
    TQRPageList Loaded;
    Loaded.LoadFromFile(FileName);
    EXPECT_EQ(Loaded.PageCount(), 4);
    EXPECT_EQ(Loaded.Compression(), Compressed);
    for (Integer N : {1, 4, 2})
      EXPECT_EQ(PageText(Loaded.GetPage(N).get()), Nth(N));
    // Appending after loading continues the file.
    Loaded.AddPage(PageWithText(Nth(5)).get());
    EXPECT_EQ(PageText(Loaded.GetPage(5).get()), Nth(5));
    EXPECT_EQ(PageText(Loaded.GetPage(3).get()), Nth(3));
  }
}

TEST(QRPageList, LinksRoundTripAndPlainReadsSkipThem)
{
  TQRPageList List;
  List.SetStream(std::make_unique<TQRStream>(1000000));
  const std::vector<THyperlink> Links = {THyperlink(TRect(1, 2, 30, 40), QStringLiteral("стр.5")),
                                         THyperlink(TRect(-5, 0, 7, 8), QString())};
  List.AddPageEx(PageWithText(Nth(1)).get(), &Links);
  List.AddPageEx(PageWithText(Nth(2)).get(), nullptr);
  List.AddPage(PageWithText(Nth(3)).get());
  List.Finish();

  const QByteArray B = BytesOf(List);
  const Integer Next = IntAt(B, 132);
  // Back link, then the second link (empty text), then the first one's text.
  EXPECT_EQ(IntAt(B, Next - 4), 128);
  EXPECT_EQ(B.mid(Next - 4 - 20 - 10, 10), QByteArray("\x41\x04\x42\x04\x40\x04\x2E\x00\x35\x00", 10));
  EXPECT_EQ(IntAt(B, Next - 4 - 20 - 10 - 4), 5);

  std::unique_ptr<TMetafile> Meta;
  std::unique_ptr<std::vector<THyperlink>> Read;
  List.GetPageEx(1, Meta, Read);
  ASSERT_TRUE(Read);
  ASSERT_EQ(Read->size(), 2u);
  EXPECT_EQ((*Read)[0].Area, TRect(1, 2, 30, 40));
  EXPECT_EQ((*Read)[0].Link, QStringLiteral("стр.5"));
  EXPECT_TRUE((*Read)[1].Link.isEmpty());
  List.GetPageEx(2, Meta, Read);
  EXPECT_EQ(PageText(Meta.get()), Nth(2));
  EXPECT_FALSE(Read) << "a count of 0 gives no list";
  // Plain reads in a row stay on record starts past the link blocks.
  for (Integer N : {1, 2, 3, 1, 3})
    EXPECT_EQ(PageText(List.GetPage(N).get()), Nth(N));
}

// Files of older versions have shorter headers; the records follow at once.
TEST(QRPageList, LegacyHeaders)
{
  const QByteArray Current = BytesOf(*ListOf(3));
  const QByteArray Records = Current.mid(128);
  // Records carry absolute positions: shift them to the new header size.
  auto Shifted = [&](Integer Header) {
    QByteArray R = Records;
    Integer Pos = 0;
    while (Pos < R.size()) {
      const Integer Next = IntAt(R, Pos + 4) - 128;
      SetIntAt(R, Pos + 4, Next + Header);
      SetIntAt(R, Next - 4, Pos + Header);
      Pos = Next;
    }
    return R;
  };
  struct Case { Integer Header; Integer CountAt; Integer ExpectedCount; };
  const Case Cases[] = {{124, 8, 3}, {120, 5, 3}, {96, -1, 0}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Header);
    QByteArray Header(C.Header, 'H');
    Header[25] = 0;
    if (C.Header == 124)
      Header[21] = 0;
    if (C.CountAt >= 0)
      SetIntAt(Header, C.CountAt, 3);
    TQRPageList List;
    LoadBytes(List, Header + Shifted(C.Header));
    EXPECT_EQ(List.PageCount(), C.ExpectedCount);
    EXPECT_FALSE(List.Compression());
    for (Integer N = C.ExpectedCount; N >= 1; --N)
      EXPECT_EQ(PageText(List.GetPage(N).get()), Nth(N));
  }
}

// A damaged or foreign file gives one clear error, never an endless walk or a
// huge allocation, and the report that was loaded stays.
TEST(QRPageList, DamagedFilesAreRefusedWhole)
{
  const QByteArray Good = BytesOf(*ListOf(3));
  const QByteArray GoodCompressed = BytesOf(*ListOf(3, true));
  const Integer Page2 = IntAt(Good, 132);
  const Integer Page3 = IntAt(Good, Page2 + 4);
  struct Case { const char* Name; std::function<QByteArray()> Make; };
  const Case Cases[] = {
    {"shorter than a header", [&] { return Good.left(60); }},
    {"last page cut", [&] { return Good.left(Good.size() - 10); }},
    {"negative count", [&] { QByteArray B = Good; SetIntAt(B, 8, -1); return B; }},
    {"huge count", [&] { QByteArray B = Good; SetIntAt(B, 8, 1000000000); return B; }},
    {"next position out of the file", [&] { QByteArray B = Good; SetIntAt(B, 132, 1 << 30); return B; }},
    {"next position loops back", [&] { QByteArray B = Good; SetIntAt(B, Page2 + 4, 128); return B; }},
    {"back link loops forward", [&] { QByteArray B = Good; SetIntAt(B, Page3 - 4, Page3); return B; }},
    {"page numbers out of order", [&] { QByteArray B = Good; SetIntAt(B, Page2, 7); return B; }},
    {"metafile size beyond its record", [&] { QByteArray B = Good; SetIntAt(B, 128 + 8 + 48, 1 << 30); return B; }},
    {"compressed size huge", [&] { QByteArray B = GoodCompressed; SetIntAt(B, 136, 0x7FFFFFFF); return B; }},
    {"compressed size negative", [&] { QByteArray B = GoodCompressed; SetIntAt(B, 136, -5); return B; }},
  };
  QTemporaryDir Dir;
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    auto List = ListOf(2);
    const String FileName = Dir.filePath(QStringLiteral("damaged.qrp"));
    {
      QFile F(FileName);
      ASSERT_TRUE(F.open(QIODevice::WriteOnly | QIODevice::Truncate));
      F.write(C.Make());
    }
    EXPECT_THROW(
      {
        List->LoadFromFile(FileName);
        // Damage past the last page's check shows on the first read of it.
        for (Integer N = 1; N <= List->PageCount(); ++N)
          List->GetPage(N);
      },
      Exception);
    if (List->PageCount() == 2) {
      EXPECT_EQ(PageText(List->GetPage(2).get()), Nth(2));
      EXPECT_EQ(PageText(List->GetPage(1).get()), Nth(1));
    }
  }
}
