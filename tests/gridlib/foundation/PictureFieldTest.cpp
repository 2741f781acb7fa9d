// PictureFieldTest.cpp: pictures read from a bytea column of the test server:
// BMP (with and without the old graphic header), JPEG, PNG and GIF, and the
// blobs that hold no picture: empty, one byte, cut short or damaged.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include "gridlib/foundation/GridsEh.h"

#include "platform/data/ADODB.h"
#include "platform/gui/Imaging.h"
#include "platform/rtl/SysUtils.h"

#include "tests/support/TestDatabase.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

QByteArray Encoded(const char* Format, Integer W, Integer H)
{
  QImage Img(W, H, QImage::Format_RGB32);
  Img.fill(qRgb(200, 30, 40));
  QByteArray Out;
  QBuffer Buf(&Out);
  Buf.open(QIODevice::WriteOnly);
  Img.save(&Buf, Format);
  return Out;
}

// The old graphic header: count 1, type 0x0100, the size of what follows.
QByteArray WithOldHeader(const QByteArray& Bytes, quint32 Size)
{
  QByteArray H(8, '\0');
  qToLittleEndian<quint16>(1, H.data());
  qToLittleEndian<quint16>(0x0100, H.data() + 2);
  qToLittleEndian<quint32>(Size, H.data() + 4);
  return H + Bytes;
}

// A 1 x 1 red GIF (Qt writes no GIF).
const unsigned char Gif1x1[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xFF,
                                0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2C,
                                0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00,
                                0x3B};

struct Blob {
  const char* What;
  QByteArray Bytes;
  bool IsNull;
  const char* Class;   // of the graphic read
  Integer Width;
  Integer Height;
};

std::vector<Blob> Blobs()
{
  const QByteArray Bmp = Encoded("BMP", 4, 3);
  const QByteArray Jpeg = Encoded("JPG", 16, 8);
  const QByteArray Png = Encoded("PNG", 5, 7);
  return {
    {"bitmap", Bmp, false, "TBitmap", 4, 3},
    {"bitmap behind the old header", WithOldHeader(Bmp, quint32(Bmp.size())), false, "TBitmap", 4, 3},
    {"header whose size does not match: read from byte 0", WithOldHeader(Bmp, quint32(Bmp.size() + 1)), false,
     "TBitmap", 0, 0},
    {"jpeg", Jpeg, false, "TJPEGImage", 16, 8},
    {"jpeg behind the old header", WithOldHeader(Jpeg, quint32(Jpeg.size())), false, "TJPEGImage", 16, 8},
    {"png", Png, false, "TPngImage", 5, 7},
    {"gif", QByteArray(reinterpret_cast<const char*>(Gif1x1), sizeof Gif1x1), false, "TGIFImage", 1, 1},
    {"empty", QByteArray(), false, "TBitmap", 0, 0},
    {"null", QByteArray(), true, "TBitmap", 0, 0},
    {"one byte", QByteArray("B"), false, "TBitmap", 0, 0},
    {"bitmap signature only", QByteArray("BM"), false, "TBitmap", 0, 0},
    {"bitmap cut short", Bmp.left(20), false, "TBitmap", 0, 0},
    {"damaged jpeg", QByteArray("\xFF\xD8\xFF\xE0 not a picture at all", 27), false, "TJPEGImage", 0, 0},
    {"jpeg start only", Jpeg.left(3), false, "TJPEGImage", 0, 0},
    {"damaged png", QByteArray("\x89PNG\r\n\x1A\n garbage", 17), false, "TPngImage", 0, 0},
    {"text", QByteArray("hello, world"), false, "TBitmap", 0, 0},
  };
}

std::string HexLiteral(const Blob& B)
{
  if (B.IsNull)
    return "null";
  return "'\\x" + B.Bytes.toHex().toStdString() + "'::bytea";
}

class PictureField : public ::testing::Test {
protected:
  void SetUp() override
  {
    RegisterGuiClasses();
    RegisterADOClasses();
    testsupport::OdbcSession S;
    S.Exec("drop table if exists picture_blobs");
    S.Exec("create table picture_blobs (id integer primary key, what varchar(80), picture bytea)");
    const std::vector<Blob> List = Blobs();
    for (std::size_t I = 0; I < List.size(); ++I)
      S.Exec("insert into picture_blobs values (" + std::to_string(I) + ", '" + List[I].What + "', " +
             HexLiteral(List[I]) + ")");
    Db = std::make_unique<TADOConnection>(nullptr);
    Db->SetLoginPrompt(false);
    Db->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
    Db->Open();
    Rows = std::make_unique<TADOQuery>(nullptr);
    Rows->SetConnection(Db.get());
    Rows->SQL()->SetText(QStringLiteral("select id, what, picture from picture_blobs order by id"));
    Rows->Open();
  }

  void TearDown() override
  {
    Rows.reset();
    Db.reset();
    testsupport::OdbcSession().Exec("drop table if exists picture_blobs");
  }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOQuery> Rows;
};

} // namespace

TEST_F(PictureField, EachBlobReadsAsItsPictureOrAsAnEmptyOne)
{
  const std::vector<Blob> List = Blobs();
  TField* Picture = Rows->FieldByName(QStringLiteral("picture"));
  ASSERT_TRUE(Picture->IsBlob());
  for (const Blob& B : List) {
    SCOPED_TRACE(B.What);
    ASSERT_FALSE(Rows->Eof());
    ASSERT_EQ(Rows->FieldByName(QStringLiteral("what"))->AsString(), QString::fromLatin1(B.What));
    std::unique_ptr<TGraphic> G = GraphicFromBlobFieldEh(Picture);
    ASSERT_NE(G, nullptr);
    EXPECT_EQ(G->ClassName(), QString::fromLatin1(B.Class));
    EXPECT_EQ(G->Width(), B.Width);
    EXPECT_EQ(G->Height(), B.Height);
    EXPECT_EQ(G->Empty(), B.Width == 0);

    TPictureEh Pic;
    LoadPictureFromBlobFieldEh(Picture, &Pic);
    EXPECT_EQ(Pic.Width(), B.Width);
    if (B.Width > 0) {
      // Drawn, the picture shows its own colour, not the black beneath.
      TImageCanvas C(B.Width, B.Height, clBlack);
      Pic.PaintTo(&C, TRect(0, 0, B.Width, B.Height), ipStretchEh);
      EXPECT_NE(C.Pixels(0, 0), clBlack);
    }
    Rows->Next();
  }
  EXPECT_TRUE(Rows->Eof());
  EXPECT_EQ(GraphicFromBlobFieldEh(Rows->FieldByName(QStringLiteral("what"))), nullptr) << "not a blob field";
  EXPECT_EQ(GraphicFromBlobFieldEh(nullptr), nullptr);
}

TEST(GraphicProvidersEh, TheFirstBytesChooseTheClass)
{
  struct Case { const char* What; QByteArray Bytes; TClass Class; };
  const Case Cases[] = {
    {"no bytes", QByteArray(), nullptr},
    {"one byte of a signature", QByteArray("B"), nullptr},
    {"bitmap", QByteArray("BM"), TBitmap::StaticClass()},
    {"jpeg", QByteArray("\xFF\xD8\xFF", 3), TJPEGImage::StaticClass()},
    {"png", QByteArray("\x89PNG\r\n\x1A\n", 8), TPngImage::StaticClass()},
    {"png cut in its signature", QByteArray("\x89PNG", 4), nullptr},
    {"gif", QByteArray("GIF89a"), TGIFImage::StaticClass()},
    {"other", QByteArray("MB"), nullptr},
  };
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.What);
    // Copied to a buffer of its own length, so a read past it would be caught
    // by the sanitizer build.
    std::vector<Byte> Exact(K.Bytes.begin(), K.Bytes.end());
    EXPECT_EQ(GetGraphicClassForStreamEh(Exact.empty() ? nullptr : Exact.data(), Integer(Exact.size())), K.Class);
  }
  const Integer Count = GraphicProviderCountEh();
  RegisterGraphicProviderEh(std::make_unique<TBMPGraphicProviderEh>());
  EXPECT_EQ(GraphicProviderCountEh(), Count) << "a provider class is registered once";
}

TEST(PictureEh, PlacementInARectangle)
{
  TPictureEh Pic;
  Pic.Bitmap()->SetSize(100, 50);
  struct Case { TImagePlacementEh Placement; TRect Src; TRect Dest; };
  const Case Cases[] = {
    {ipFitEh, TRect(0, 0, 50, 50), TRect(0, 12, 50, 37)},
    {ipReduceFitEh, TRect(0, 0, 50, 50), TRect(0, 12, 50, 37)},
    {ipReduceFitEh, TRect(10, 10, 210, 110), TRect(60, 35, 160, 85)},
    {ipFillEh, TRect(0, 0, 50, 50), TRect(-25, 0, 75, 50)},
    {ipStretchEh, TRect(5, 5, 25, 45), TRect(5, 5, 25, 45)},
    {ipTopLeftEh, TRect(0, 0, 200, 100), TRect(0, 0, 100, 50)},
    {ipBottomRightEh, TRect(0, 0, 200, 100), TRect(100, 50, 200, 100)},
    {ipCenterRightEh, TRect(0, 0, 200, 100), TRect(100, 25, 200, 75)},
    {ipTopCenterEh, TRect(0, 0, 200, 100), TRect(50, 0, 150, 50)},
    {ipTileEh, TRect(3, 4, 200, 100), TRect(3, 4, 103, 54)},
  };
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Placement);
    EXPECT_EQ(Pic.GetDestRect(K.Src, K.Placement), K.Dest);
  }
}
