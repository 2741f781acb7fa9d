// FieldValueTest.cpp: values that must cross the server whole: blobs and
// memos through streams and files, and decimals wider than a Double.
#include "platform/data/ADODB.h"

#include "tests/platform/data/DataTestSupport.h"
#include "tests/support/TestDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace {

using datatest::One;

void Exec(const std::string& Sql)
{
  testsupport::OdbcSession S;
  S.Exec(Sql);
}

// A picture-sized binary with every byte value, zero bytes in runs included.
QByteArray Picture()
{
  QByteArray B("\x89PNG\r\n\x1a\n", 8);
  B.append(QByteArray(16, '\0'));
  quint32 X = 12345;
  while (B.size() < 300 * 1024) {
    X = X * 1103515245u + 12345u;
    B.append(char(X >> 16));
    if (B.size() % 4096 == 0)
      B.append(QByteArray(64, '\0'));
  }
  return B;
}

// A long memo well past the driver's long-text size, in lines of Cyrillic.
String LongMemo()
{
  String S;
  for (int I = 0; S.size() < 40000; ++I)
    S += QStringLiteral("Строка %1: съешь же ещё этих мягких французских булок, да выпей чаю. ЁЖ\r\n").arg(I);
  return S;
}

std::string Md5(const QByteArray& B) { return QCryptographicHash::hash(B, QCryptographicHash::Md5).toHex().toStdString(); }

class FieldValueTest : public ::testing::Test {
protected:
  static void SetUpTestSuite()
  {
    RegisterADOClasses();
    Exec("drop table if exists fv_blobs; drop table if exists fv_money");
    Exec("create table fv_blobs (id serial primary key, picture bytea, memo text)");
    Exec("create table fv_money (id serial primary key, amount numeric(28,6), whole numeric(28,0), note varchar(20))");
  }

  void SetUp() override
  {
    Exec("truncate fv_blobs restart identity; truncate fv_money restart identity");
    Db = std::make_unique<TADOConnection>(nullptr);
    Db->SetLoginPrompt(false);
    Db->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
    Db->Open();
  }

  // The blob table with persistent fields, the text column as a wide memo.
  std::unique_ptr<TADOTable> BlobTable()
  {
    auto T = std::make_unique<TADOTable>(nullptr);
    T->SetConnection(Db.get());
    T->SetTableName(QStringLiteral("public.fv_blobs"));
    auto* Id = new TAutoIncField(T.get());
    Id->SetFieldName(QStringLiteral("id"));
    Id->SetDataSet(T.get());
    auto* Pic = new TBlobField(T.get());
    Pic->SetFieldName(QStringLiteral("picture"));
    Pic->SetDataSet(T.get());
    auto* Memo = new TWideMemoField(T.get());
    Memo->SetFieldName(QStringLiteral("memo"));
    Memo->SetDataSet(T.get());
    T->Open();
    return T;
  }

  std::unique_ptr<TADOTable> MoneyTable()
  {
    auto T = std::make_unique<TADOTable>(nullptr);
    T->SetConnection(Db.get());
    T->SetTableName(QStringLiteral("public.fv_money"));
    T->Open();
    return T;
  }

  std::unique_ptr<TADOConnection> Db;
};

TEST_F(FieldValueTest, BlobAndMemoRoundTripThroughStreamsAndFiles)
{
  const QByteArray Bytes = Picture();
  const String Memo = LongMemo();
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const String In = Dir.filePath(QStringLiteral("in.png"));
  {
    QFile F(In);
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    F.write(Bytes);
  }

  auto T = BlobTable();
  auto* Pic = dynamic_cast<TBlobField*>(T->FieldByName(QStringLiteral("picture")));
  auto* Text = dynamic_cast<TWideMemoField*>(T->FieldByName(QStringLiteral("memo")));
  ASSERT_TRUE(Pic && Text);
  T->Append();
  Pic->LoadFromFile(In);
  {
    // the memo written in pieces through the dataset's stream, as UTF-16
    std::unique_ptr<TStream> S = T->CreateBlobStream(Text, bmWrite);
    const QByteArray Utf16 = Text->TextToBytes(Memo);
    for (qsizetype At = 0; At < Utf16.size(); At += 1000)
      S->WriteBuffer(Utf16.constData() + At, Integer(std::min<qsizetype>(1000, Utf16.size() - At)));
  }
  EXPECT_EQ(Text->AsString(), Memo);
  T->Post();

  // the server holds every byte and character
  EXPECT_EQ(One("select length(picture) from fv_blobs"), std::to_string(Bytes.size()));
  EXPECT_EQ(One("select md5(picture) from fv_blobs"), Md5(Bytes));
  EXPECT_EQ(One("select length(memo) from fv_blobs"), std::to_string(Memo.size()));
  EXPECT_EQ(One("select md5(memo) from fv_blobs"), Md5(Memo.toUtf8()));

  // read back from a fresh cursor, through a stream and into a file
  T = BlobTable();
  Pic = dynamic_cast<TBlobField*>(T->FieldByName(QStringLiteral("picture")));
  Text = dynamic_cast<TWideMemoField*>(T->FieldByName(QStringLiteral("memo")));
  ASSERT_EQ(T->RecordCount(), 1);
  EXPECT_EQ(Pic->BlobSize(), Bytes.size());
  {
    std::unique_ptr<TStream> S = T->CreateBlobStream(Pic, bmRead);
    EXPECT_EQ(S->Size(), Bytes.size());
    EXPECT_EQ(S->ReadBytes(Integer(S->Size())), Bytes);
    EXPECT_THROW(S->WriteBuffer("x", 1), EWriteError) << "a read stream takes no writes";
  }
  const String Out = Dir.filePath(QStringLiteral("out.png"));
  Pic->SaveToFile(Out);
  QFile F(Out);
  ASSERT_TRUE(F.open(QIODevice::ReadOnly));
  EXPECT_EQ(F.readAll(), Bytes);
  TStringStream MemoOut;
  Text->SaveToStream(&MemoOut);
  EXPECT_EQ(Text->BytesToText(MemoOut.Bytes()), Memo);
  EXPECT_EQ(Text->DisplayText(), QStringLiteral("(MEMO)"));
  EXPECT_EQ(Pic->DisplayText(), QStringLiteral("(BLOB)"));
}

TEST_F(FieldValueTest, ReadWriteStreamsAppendAndCancelledRecordsKeepTheOldValue)
{
  Exec("insert into fv_blobs (picture, memo) values ('\\x000102'::bytea, 'начало')");
  auto T = BlobTable();
  TField* Pic = T->FieldByName(QStringLiteral("picture"));
  TField* Text = T->FieldByName(QStringLiteral("memo"));

  // writing needs an editing dataset; only blob fields have streams
  EXPECT_THROW(T->CreateBlobStream(Pic, bmWrite), EDatabaseError);
  EXPECT_THROW(T->CreateBlobStream(T->FieldByName(QStringLiteral("id")), bmRead), EDatabaseError);

  T->Edit();
  {
    std::unique_ptr<TStream> S = T->CreateBlobStream(Pic, bmReadWrite);
    S->Seek(0, soEnd);
    S->WriteBuffer(QByteArray("\0\xff", 2));
  }
  {
    std::unique_ptr<TStream> S = T->CreateBlobStream(Text, bmReadWrite);
    S->Seek(0, soEnd);
    S->WriteBuffer(dynamic_cast<TMemoField*>(Text)->TextToBytes(QStringLiteral(" и конец")));
  }
  T->Post();
  EXPECT_EQ(One("select encode(picture, 'hex') from fv_blobs"), "00010200ff");
  EXPECT_EQ(One("select memo from fv_blobs"), "начало и конец");

  // bmWrite replaces the value even when nothing is written; a cancel
  // throws the change away
  T->Edit();
  { std::unique_ptr<TStream> S = T->CreateBlobStream(Pic, bmWrite); }
  EXPECT_EQ(dynamic_cast<TBlobField*>(Pic)->BlobSize(), 0);
  T->Cancel();
  EXPECT_EQ(dynamic_cast<TBlobField*>(Pic)->BlobSize(), 5);
  EXPECT_EQ(One("select encode(picture, 'hex') from fv_blobs"), "00010200ff");

  // a stream still open when its record is cancelled writes nothing later
  T->Edit();
  auto Late = T->CreateBlobStream(Pic, bmWrite);
  Late->WriteBuffer(QByteArray("late"));
  T->Cancel();
  Late.reset();
  EXPECT_EQ(dynamic_cast<TBlobField*>(Pic)->BlobSize(), 5);
}

TEST_F(FieldValueTest, DecimalsWiderThanADoubleKeepEveryDigit)
{
  Exec("insert into fv_money (amount, whole, note) values "
       "(1234567890123456789012.123456, 9999999999999999999999999999, 'a'), (-0.000001, 0, 'b'), (null, null, 'c')");
  auto T = MoneyTable();
  auto* Amount = dynamic_cast<TFMTBCDField*>(T->FieldByName(QStringLiteral("amount")));
  auto* Whole = dynamic_cast<TFMTBCDField*>(T->FieldByName(QStringLiteral("whole")));
  ASSERT_TRUE(Amount && Whole);
  EXPECT_EQ(Amount->Precision(), 28);
  EXPECT_EQ(Amount->Size(), 6);

  EXPECT_EQ(Amount->AsString(), QStringLiteral("1234567890123456789012,123456"));
  EXPECT_EQ(Amount->DisplayText(), QStringLiteral("1234567890123456789012,123456"));
  EXPECT_EQ(Whole->AsString(), QStringLiteral("9999999999999999999999999999"));
  EXPECT_DOUBLE_EQ(Amount->AsFloat(), 1234567890123456789012.123456);
  Amount->SetDisplayFormat(QStringLiteral("#,##0.00"));
  EXPECT_EQ(Amount->DisplayText(), QStringLiteral("1\u00A0234\u00A0567\u00A0890\u00A0123\u00A0456\u00A0789\u00A0012,12"));
  Amount->SetEditFormat(QStringLiteral("0.000000"));
  EXPECT_EQ(Amount->Text(), QStringLiteral("1234567890123456789012,123456")) << "the edit text keeps every digit";

  // another column changed: the wide values are not written back rounded
  T->Edit();
  T->FieldByName(QStringLiteral("note"))->SetAsString(QStringLiteral("changed"));
  T->Post();
  EXPECT_EQ(One("select amount::text || ' ' || whole::text from fv_money where note = 'changed'"),
            "1234567890123456789012.123456 9999999999999999999999999999");

  // typed with the locale's comma or a point, rounded to the scale, written exactly
  T->Edit();
  Amount->SetAsString(QStringLiteral("-9876543210987654321098,7654325"));
  Whole->SetText(QStringLiteral("1234567890123456789012345678"));
  T->Post();
  EXPECT_EQ(One("select amount::text || ' ' || whole::text from fv_money where note = 'changed'"),
            "-9876543210987654321098.765433 1234567890123456789012345678");

  // too many integer digits or no number at all: refused, the record unchanged
  T->Edit();
  EXPECT_THROW(Amount->SetAsString(QStringLiteral("12345678901234567890123")), EOverflow);
  EXPECT_THROW(Amount->SetAsString(QStringLiteral("12e3")), EConvertError);
  EXPECT_EQ(Amount->AsString(), QStringLiteral("-9876543210987654321098,765433"));
  Amount->SetAsFloat(2.5);
  EXPECT_EQ(Amount->AsString(), QStringLiteral("2,5"));
  T->Cancel();

  T->Next();
  EXPECT_EQ(Amount->AsString(), QStringLiteral("-0,000001"));
  EXPECT_EQ(Amount->DisplayText(), QStringLiteral("0,00")) << "rounded to nothing, no sign";
  T->Next();
  EXPECT_TRUE(Amount->IsNull());
  EXPECT_EQ(Amount->DisplayText(), String());
  EXPECT_TRUE(VarIsNull(Amount->Value()));
}

// A value read again from an unchanged record is the same string, not a new
// copy of it, and a decimal is not parsed again; a changed value reads anew.
TEST_F(FieldValueTest, ReadsOfAnUnchangedValueShareItsText)
{
  Exec("insert into fv_money (amount, whole, note) values (12.5, 7, 'Склад №1'), (-3.25, 8, 'цех')");
  auto T = MoneyTable();
  TField* Note = T->FieldByName(QStringLiteral("note"));
  auto* Amount = dynamic_cast<TFMTBCDField*>(T->FieldByName(QStringLiteral("amount")));
  ASSERT_TRUE(Note && Amount);

  const String First = Note->AsString();
  EXPECT_EQ(First, QStringLiteral("Склад №1"));
  EXPECT_TRUE(Note->AsString().isSharedWith(First));
  EXPECT_TRUE(Note->Value().AsString().isSharedWith(First));
  const String Exact = Amount->AsDecimalText();
  EXPECT_EQ(Exact, QStringLiteral("12.500000"));
  EXPECT_TRUE(Amount->AsDecimalText().isSharedWith(Exact));
  EXPECT_DOUBLE_EQ(Amount->AsFloat(), 12.5);

  T->Next();
  EXPECT_EQ(Note->AsString(), QStringLiteral("цех"));
  EXPECT_EQ(Amount->AsDecimalText(), QStringLiteral("-3.250000"));
  EXPECT_DOUBLE_EQ(Amount->AsFloat(), -3.25);
  T->Prior();
  EXPECT_EQ(Note->AsString(), First);

  // written and posted, the record reads its new values, not the kept ones
  T->Edit();
  Note->SetAsString(QStringLiteral("Склад №2"));
  Amount->SetAsString(QStringLiteral("99,125"));
  EXPECT_EQ(Note->AsString(), QStringLiteral("Склад №2"));
  T->Post();
  EXPECT_EQ(Note->AsString(), QStringLiteral("Склад №2"));
  EXPECT_EQ(Amount->AsDecimalText(), QStringLiteral("99.125000"));
  EXPECT_DOUBLE_EQ(Amount->AsFloat(), 99.125);
  const String Posted = Note->AsString();
  EXPECT_TRUE(Note->AsString().isSharedWith(Posted));
  T->Edit();
  Note->SetAsString(QStringLiteral("отменено"));
  T->Cancel();
  EXPECT_EQ(Note->AsString(), Posted);
}

TEST(FormatDecimalText, AppliesTheFloatFormatsToExactDigits)
{
  struct Case { const char* Format; const char* Value; const char* Expected; };
  const Case Cases[] = {
    {"#0.00#", "12.5", "12,50"},
    {"#0.00#", "12.34567", "12,346"},
    {"0.00", "-0.004", "0,00"},                   // rounded to nothing loses its sign
    {"0.00", "-0.005", "-0,01"},                  // half away from zero
    {"#,##0", "1234567890123456789012.5", "1\u00A0234\u00A0567\u00A0890\u00A0123\u00A0456\u00A0789\u00A0013"},
    {"#.##", "0.5", ",5"},
    {"0000", "42", "0042"},
    {"0.0 'руб.'", "99.95", "100,0 руб."},
    {"0.00;(0.00);ноль", "-3.1", "(3,10)"},
    {"0.00;(0.00);ноль", "0.000", "ноль"},
    {"0.00", "99999999999999999999.995", "100000000000000000000,00"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Format);
    SCOPED_TRACE(C.Value);
    EXPECT_EQ(FormatDecimalText(QString::fromUtf8(C.Format), QString::fromUtf8(C.Value)), QString::fromUtf8(C.Expected));
  }
}

} // namespace
