// QRPrntr.cpp: the page stream, the page coder, the page list, the printer
// settings and the report printer job.
#include "report/engine/QRPrntr.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/SyncObjs.h"
#include "report/engine/QRReport.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <unistd.h>

// ---------------------------------------------------------------------------
// TQRStream

static constexpr Integer CopyBlockSize = 10240;

TQRStream::TQRStream(Integer pMemoryLimit)
  : MemoryStream(std::make_unique<TMemoryStream>()), FMemoryLimit(pMemoryLimit)
{
}

std::unique_ptr<TQRStream> TQRStream::CreateFromFile(const String& Filename)
{
  TFileStream Source(Filename, fmOpenRead | fmShareDenyNone);
  const Int64 FileSize = Source.Size();
  if (FileSize > Int64(std::numeric_limits<Integer>::max()) - 1000)
    throw EQRError(QStringLiteral("Файл \"%1\" слишком велик для файла отчёта").arg(Filename));
  auto Result = std::make_unique<TQRStream>(Integer(FileSize) + 1000);
  Result->MemoryStream->CopyFrom(&Source, 0);
  Result->MemoryStream->SetPosition(0);
  return Result;
}

TQRStream::~TQRStream()
{
  std::lock_guard<std::recursive_mutex> Guard(FLock);
  MemoryStream.reset();
  FileStream.reset();
  if (!FFilename.isEmpty())
    ::unlink(FFilename.toLocal8Bit().constData());
}

TStream* TQRStream::Active() const
{
  return FInMemory ? static_cast<TStream*>(MemoryStream.get()) : static_cast<TStream*>(FileStream.get());
}

Integer TQRStream::Read(void* Buffer, Integer Count)
{
  std::lock_guard<std::recursive_mutex> Guard(FLock);
  return Active()->Read(Buffer, Count);
}

Int64 TQRStream::Seek(Int64 Offset, TSeekOrigin Origin)
{
  std::lock_guard<std::recursive_mutex> Guard(FLock);
  return Active()->Seek(Offset, Origin);
}

Int64 TQRStream::Size() const
{
  std::lock_guard<std::recursive_mutex> Guard(FLock);
  return Active()->Size();
}

void TQRStream::SetSize(Int64 NewSize)
{
  std::lock_guard<std::recursive_mutex> Guard(FLock);
  Active()->SetSize(NewSize);
}

Integer TQRStream::Write(const void* Buffer, Integer Count)
{
  std::lock_guard<std::recursive_mutex> Guard(FLock);
  if (!FInMemory)
    return FileStream->Write(Buffer, Count);
  const Integer Written = MemoryStream->Write(Buffer, Count);
  if (MemoryStream->Size() > FMemoryLimit)
    Spill();
  return Written;
}

// A private file of our own in the temporary folder (mkstemp: no name that
// another user could guess and create first).
static String CreateTempFile()
{
  const char* Dir = std::getenv("TMPDIR");
  QByteArray Pattern = QByteArray(Dir && *Dir ? Dir : "/tmp") + "/QRPXXXXXX";
  const int Fd = ::mkstemp(Pattern.data());
  if (Fd < 0)
    throw EFCreateError(QStringLiteral("Не удалось создать временный файл в \"%1\". %2")
                          .arg(QString::fromLocal8Bit(Pattern), QString::fromLocal8Bit(std::strerror(errno))));
  ::close(Fd);
  return QString::fromLocal8Bit(Pattern);
}

void TQRStream::Spill()
{
  const Int64 Pos = MemoryStream->Position();
  FFilename = CreateTempFile();
  FileStream.reset();
  FileStream = std::make_unique<TFileStream>(FFilename, fmOpenReadWrite);
  MemoryStream->SaveToStream(FileStream.get());
  FileStream->SetPosition(Pos);
  MemoryStream.reset();
  FInMemory = false;
}

void TQRStream::SaveToStream(TStream* AStream)
{
  std::lock_guard<std::recursive_mutex> Guard(FLock);
  Seek(0, soBeginning);
  std::vector<char> Block(CopyBlockSize);
  for (;;) {
    const Integer N = Read(Block.data(), CopyBlockSize);
    if (N <= 0)
      break;
    AStream->WriteBuffer(Block.data(), N);
  }
}

// ---------------------------------------------------------------------------
// TQRCompress

static constexpr Word RootNode = 0;
static constexpr Word FirstLeaf = 256;

TQRCompress::TQRCompress(TStream* aStream, bool CompressData)
  : BitPos(CompressData ? 0 : 7), CompressFlag(CompressData), Stream(aStream)
{
  InitializeSplay();
}

TQRCompress::~TQRCompress()
{
  if (CompressFlag && BitPos != 0) {
    const Byte Last = Byte(OutByte & 0xFF);
    Stream->WriteBuffer(&Last, 1);
  }
}

void TQRCompress::InitializeSplay()
{
  for (Integer I = 1; I <= 512; ++I)
    Up[I] = Byte((I - 1) / 2);
  for (Integer I = 0; I <= 255; ++I) {
    Left[I] = Word(2 * I + 1);
    Right[I] = Word(2 * I + 2);
  }
}

// Each step swaps the node with its uncle and goes on from the grandparent.
void TQRCompress::Splay(Byte Plain)
{
  Word A = Word(Plain + FirstLeaf);
  do {
    const Word C = Up[A];
    if (C == RootNode) {
      A = RootNode;
      continue;
    }
    const Word D = Up[C];
    Word U;
    if (Left[D] == C) {
      U = Right[D];
      Right[D] = A;
    } else {
      U = Left[D];
      Left[D] = A;
    }
    if (Left[C] == A)
      Left[C] = U;
    else
      Right[C] = U;
    Up[A] = Byte(D);
    Up[U] = Byte(C);
    A = D;
  } while (A != RootNode);
}

void TQRCompress::Compress(CodeType Plain)
{
  const Byte B = Byte(Plain & 0xFF);
  // The path is at most 256 steps long; gather it leaf side first.
  bool Bits[257];
  Integer Count = 0;
  Word A = Word(B + FirstLeaf);
  do {
    const Word Parent = Up[A];
    Bits[Count++] = Right[Parent] == A;
    A = Parent;
  } while (A != RootNode);
  while (Count > 0) {
    if (Bits[--Count])
      OutByte |= CodeType(1u << BitPos);
    if (BitPos == 7) {
      const Byte Out = Byte(OutByte & 0xFF);
      Stream->WriteBuffer(&Out, 1);
      BitPos = 0;
      OutByte = 0;
    } else {
      ++BitPos;
    }
  }
  Splay(B);
}

void TQRCompress::Expand(Byte& Expanded)
{
  Word Node = RootNode;
  while (Node < FirstLeaf) {
    if (BitPos == 7) {
      Byte In = 0;
      Stream->ReadBuffer(&In, 1);
      InByte = In;
      BitPos = 0;
    } else {
      ++BitPos;
    }
    Node = (InByte & (1u << BitPos)) ? Right[Node] : Left[Node];
  }
  Expanded = Byte(Node - FirstLeaf);
  Splay(Expanded);
}

// ---------------------------------------------------------------------------
// TQRPageList

namespace {

// The report file is little-endian whatever the machine.
UInt64 GetLE(const char* P, int Bytes)
{
  UInt64 V = 0;
  for (int I = Bytes - 1; I >= 0; --I)
    V = (V << 8) | Byte(P[I]);
  return V;
}

void PutLE(UInt64 V, char* P, int Bytes)
{
  for (int I = 0; I < Bytes; ++I, V >>= 8)
    P[I] = char(V & 0xFF);
}

Integer GetLE32(const char* P) { return Integer(std::uint32_t(GetLE(P, 4))); }

constexpr Integer MinRecordSize = 12;   // number, next position, back link
constexpr Integer EmfHeaderMin = 88;

Integer LeInt(const QByteArray& Bytes, Integer Offset)
{
  return GetLE32(Bytes.constData() + Offset);
}

void PutLeInt(QByteArray& Bytes, Integer Offset, Integer Value)
{
  PutLE(std::uint32_t(Value), Bytes.data() + Offset, 4);
}

// Holds the list's lock for one record operation.
class TListLock {
public:
  explicit TListLock(TQRPageList& List) : FList(List) { FList.LockList(); }
  ~TListLock() { FList.UnlockList(); }
  TListLock(const TListLock&) = delete;
  TListLock& operator=(const TListLock&) = delete;
private:
  TQRPageList& FList;
};

}   // namespace

TQRPageList::TQRPageList() = default;
TQRPageList::~TQRPageList() = default;

void TQRPageList::SetStream(std::unique_ptr<TQRStream> Value)
{
  TListLock Guard(*this);
  FStream = std::move(Value);
  FHeaderSize = HeaderSize;
}

Integer TQRPageList::ReadInt()
{
  char Buf[4];
  FStream->ReadBuffer(Buf, 4);
  return GetLE32(Buf);
}

void TQRPageList::WriteInt(Integer Value)
{
  char Buf[4];
  PutLE(std::uint32_t(Value), Buf, 4);
  FStream->WriteBuffer(Buf, 4);
}

void TQRPageList::Damaged(const String& What) const
{
  throw EQRError(QStringLiteral("Файл отчёта повреждён: %1").arg(What));
}

void TQRPageList::WriteHeader()
{
  QByteArray Header(HeaderSize, '\0');
  PutLE(3, Header.data(), 2);
  PutLE(60, Header.data() + 2, 2);
  PutLeInt(Header, 8, FPageCount);
  const double Stamp = Now().Val;
  PutLE(std::bit_cast<UInt64>(Stamp), Header.data() + 16, 8);
  Header[25] = FCompression ? 1 : 0;
  std::memset(Header.data() + 26, 0x48, 100);
  FStream->Seek(0, soBeginning);
  FStream->WriteBuffer(Header);
}

void TQRPageList::AddPage(TMetafile* aMetafile)
{
  WritePageRecord(aMetafile, nullptr, false);
}

void TQRPageList::AddPageEx(TMetafile* aMetafile, const std::vector<THyperlink>* AHyperlinks)
{
  WritePageRecord(aMetafile, AHyperlinks, !FCompression);
}

void TQRPageList::WritePageRecord(TMetafile* aMetafile, const std::vector<THyperlink>* AHyperlinks,
                                  bool WithLinks)
{
  TListLock Guard(*this);
  if (!FStream)
    throw EQRError(QStringLiteral("У списка страниц нет потока"));
  const Integer OldCount = FPageCount;
  Int64 Start = -1;
  try {
    ++FPageCount;
    if (FPageCount == 1)
      WriteHeader();
    Start = FStream->Seek(0, soEnd);
    WriteInt(FPageCount);
    const Int64 NextField = FStream->Position();
    WriteInt(Integer(NextField));
    if (FCompression) {
      TMemoryStream Plain;
      aMetafile->SaveToStream(&Plain);
      const QByteArray Bytes = Plain.Bytes();
      WriteInt(Integer(Bytes.size()));
      // Coded into memory first and stored with one write.
      TMemoryStream Coded;
      {
        TQRCompress Coder(&Coded, true);
        for (const char C : Bytes)
          Coder.Compress(CodeType(Byte(C)));
      }
      FStream->WriteBuffer(Coded.Bytes());
    } else {
      aMetafile->SaveToStream(FStream.get());
      if (WithLinks) {
        WriteInt(AHyperlinks ? Integer(AHyperlinks->size()) : 0);
        if (AHyperlinks) {
          for (const THyperlink& L : *AHyperlinks) {
            WriteInt(L.Area.Left);
            WriteInt(L.Area.Top);
            WriteInt(L.Area.Right);
            WriteInt(L.Area.Bottom);
            WriteInt(Integer(L.Link.size()));
            QByteArray Text(L.Link.size() * 2, '\0');
            for (qsizetype C = 0; C < L.Link.size(); ++C)
              PutLE(L.Link[C].unicode(), Text.data() + 2 * C, 2);
            FStream->WriteBuffer(Text);
          }
        }
      }
    }
    WriteInt(Integer(Start));
    const Int64 End = FStream->Position();
    if (End > std::numeric_limits<Integer>::max())
      throw EQRError(QStringLiteral("Отчёт слишком велик для файла отчёта"));
    FStream->Seek(NextField, soBeginning);
    WriteInt(Integer(End));
    FStream->Seek(End, soBeginning);
  } catch (...) {
    // A record that could not be written whole is taken back.
    FPageCount = OldCount;
    if (Start >= 0)
      FStream->SetSize(Start);
    throw;
  }
}

void TQRPageList::CheckRecordStart(Int64 Pos) const
{
  if (Pos < FHeaderSize || Pos + MinRecordSize > FStream->Size())
    Damaged(QStringLiteral("запись страницы лежит за пределами файла"));
}

// Walks from the current record to the wanted one: forward by the next-record
// positions, backward by the back links. Every step must make progress, so a
// damaged file ends in an error, never in an endless walk.
void TQRPageList::SeekToPage(Integer PageNumber)
{
  const Int64 Size = FStream->Size();
  if (PageNumber == 1) {
    CheckRecordStart(FHeaderSize);
    FStream->Seek(FHeaderSize, soBeginning);
    return;
  }
  Int64 Pos = FStream->Position();
  if (Pos >= Size) {
    FStream->Seek(Size - 4, soBeginning);
    Pos = ReadInt();
  }
  CheckRecordStart(Pos);
  FStream->Seek(Pos, soBeginning);
  Integer P = ReadInt();
  while (P < PageNumber) {
    const Int64 Next = ReadInt();
    if (Next <= Pos)
      Damaged(QStringLiteral("страница %1 не ведёт вперёд").arg(P));
    Pos = Next;
    CheckRecordStart(Pos);
    FStream->Seek(Pos, soBeginning);
    P = ReadInt();
    if (P > PageNumber)
      Damaged(QStringLiteral("нет страницы %1").arg(PageNumber));
  }
  while (P > PageNumber) {
    if (Pos - 4 < FHeaderSize)
      Damaged(QStringLiteral("нет страницы %1").arg(PageNumber));
    FStream->Seek(Pos - 4, soBeginning);
    const Int64 Back = ReadInt();
    if (Back >= Pos)
      Damaged(QStringLiteral("страница %1 не ведёт назад").arg(P));
    Pos = Back;
    CheckRecordStart(Pos);
    FStream->Seek(Pos, soBeginning);
    P = ReadInt();
    if (P < PageNumber)
      Damaged(QStringLiteral("нет страницы %1").arg(PageNumber));
  }
  FStream->Seek(Pos, soBeginning);
}

// Reads the record at the current position; the whole record is bounded by
// its own next-record position and ends with a back link to its start. The
// stream is left at the next record's start, link block or not.
void TQRPageList::ReadPageRecord(std::unique_ptr<TMetafile>& AMetafile,
                                 std::unique_ptr<std::vector<THyperlink>>* AHyperlinks)
{
  const Int64 Start = FStream->Position();
  const Int64 Size = FStream->Size();
  ReadInt();   // the page number, checked by the walk
  const Int64 Next = ReadInt();
  if (Next < Start + MinRecordSize || Next > Size)
    Damaged(QStringLiteral("у записи страницы неверная длина"));
  const QByteArray Body = FStream->ReadBytes(Integer(Next - 4 - (Start + 8)));
  if (ReadInt() != Start)
    Damaged(QStringLiteral("запись страницы кончается не там, где должна"));

  QByteArray Emf;
  QByteArray Rest;
  if (FCompression) {
    if (Body.size() < 4)
      Damaged(QStringLiteral("сжатая страница обрезана"));
    const Integer Count = LeInt(Body, 0);
    // Every byte costs at least one bit of code.
    if (Count < 0 || Int64(Count) > 8 * Int64(Body.size() - 4))
      Damaged(QStringLiteral("у сжатой страницы неверная длина"));
    TBytesStream Coded(Body.mid(4));
    Emf.resize(Count);
    TQRCompress Coder(&Coded, false);
    try {
      for (Integer I = 0; I < Count; ++I) {
        Byte B = 0;
        Coder.Expand(B);
        Emf[I] = char(B);
      }
    } catch (const EReadError&) {
      Damaged(QStringLiteral("сжатая страница обрезана"));
    }
  } else {
    if (Body.size() < EmfHeaderMin)
      Damaged(QStringLiteral("страница обрезана"));
    const Int64 EmfSize = Int64(GetLE(Body.constData() + 48, 4));
    if (EmfSize < EmfHeaderMin || EmfSize > Body.size())
      Damaged(QStringLiteral("у страницы неверная длина"));
    Emf = Body.left(EmfSize);
    Rest = Body.mid(EmfSize);
  }
  auto Page = std::make_unique<TMetafile>();
  Page->LoadFromBytes(Emf);

  if (AHyperlinks) {
    AHyperlinks->reset();
    if (!FCompression && Rest.size() >= 4) {
      const Integer Count = LeInt(Rest, 0);
      Integer Off = 4;
      if (Count > 0) {
        auto Links = std::make_unique<std::vector<THyperlink>>();
        for (Integer I = 0; I < Count; ++I) {
          if (Off + 20 > Rest.size())
            Damaged(QStringLiteral("блок ссылок обрезан"));
          const TRect Area(LeInt(Rest, Off), LeInt(Rest, Off + 4), LeInt(Rest, Off + 8), LeInt(Rest, Off + 12));
          const Integer Len = LeInt(Rest, Off + 16);
          Off += 20;
          if (Len < 0 || Int64(Len) * 2 > Rest.size() - Off)
            Damaged(QStringLiteral("блок ссылок обрезан"));
          String Text(Len, QChar());
          for (Integer C = 0; C < Len; ++C)
            Text[C] = QChar(char16_t(GetLE(Rest.constData() + Off + 2 * C, 2)));
          Off += 2 * Len;
          Links->emplace_back(Area, Text);
        }
        *AHyperlinks = std::move(Links);
      }
    }
  }
  FStream->Seek(Next, soBeginning);
  AMetafile = std::move(Page);
}

std::unique_ptr<TMetafile> TQRPageList::GetPage(Integer PageNumber)
{
  std::unique_ptr<TMetafile> Result;
  std::unique_ptr<std::vector<THyperlink>> NoLinks;
  GetPageEx(PageNumber, Result, NoLinks);
  return Result;
}

void TQRPageList::GetPageEx(Integer PageNumber, std::unique_ptr<TMetafile>& AMetafile,
                            std::unique_ptr<std::vector<THyperlink>>& AHyperlinks)
{
  AMetafile.reset();
  AHyperlinks.reset();
  TListLock Guard(*this);
  if (!FStream || PageNumber < 1 || PageNumber > FPageCount)
    return;
  SeekToPage(PageNumber);
  ReadPageRecord(AMetafile, &AHyperlinks);
}

void TQRPageList::Finish()
{
  TListLock Guard(*this);
  if (!FStream)
    return;
  WriteHeader();
}

void TQRPageList::SaveToStream(TStream* inStream)
{
  TListLock Guard(*this);
  if (FStream)
    FStream->SaveToStream(inStream);
}

void TQRPageList::SaveToFile(const String& Filename)
{
  TFileStream File(Filename, fmCreate);
  SaveToStream(&File);
}

// The header's size is told by where the first page's metafile signature
// stands: the legacy headers are shorter.
Integer TQRPageList::DetectHeaderSize()
{
  const Int64 Size = FStream->Size();
  FStream->Seek(0, soBeginning);
  const QByteArray Head = FStream->ReadBytes(Integer(std::min<Int64>(Size, 1004)));
  // A compressed file shows no signature; its header is the current one.
  if (Head.size() > 25 && Head[25] == 1)
    return HeaderSize;
  auto EmfAt = [&](Integer Pos) { return Pos + 3 <= Head.size() && std::memcmp(Head.constData() + Pos, "EMF", 3) == 0; };
  static constexpr std::pair<Integer, Integer> Known[] = {{173, 124}, {169, 120}, {145, 96}, {177, 128}};
  for (const auto& [Pos, HeaderBytes] : Known)
    if (EmfAt(Pos))
      return HeaderBytes;
  for (Integer X = 49; X <= 1001 && X + 4 <= Size; ++X)
    if (EmfAt(X))
      return X - 49;
  return HeaderSize;
}

void TQRPageList::ReadHeader()
{
  const Integer Found = DetectHeaderSize();
  const Int64 Size = FStream->Size();
  if (Size < Found)
    Damaged(QStringLiteral("файл короче своего заголовка"));
  FStream->Seek(0, soBeginning);
  QByteArray Header = FStream->ReadBytes(Found);
  Integer Count = FPageCount;
  bool Compressed = false;
  if (Found == 124) {
    Count = LeInt(Header, 8);
    Compressed = Header[21] == 1;
  } else {
    if (Found == HeaderSize)
      Count = LeInt(Header, 8);
    else if (Found == 120)
      Count = GetLE32(Header.constData() + 5);
    Compressed = Header.size() > 25 && Header[25] == 1;
  }
  if (Count < 0 || Int64(Count) * MinRecordSize > Size - Found)
    Damaged(QStringLiteral("число страниц %1 не соответствует файлу").arg(Count));
  FHeaderSize = Found;
  FPageCount = Count;
  FCompression = Compressed;
  FStream->Seek(Found, soBeginning);
}

// Reads the header of a new stream; a file that cannot be read leaves the
// report that was there.
void TQRPageList::ReplaceStream(std::unique_ptr<TQRStream> Fresh, bool CheckLastPage)
{
  TListLock Guard(*this);
  const bool KeepCompression = FCompression;
  const Integer KeepCount = FPageCount;
  const Integer KeepHeader = FHeaderSize;
  std::unique_ptr<TQRStream> Previous = std::exchange(FStream, std::move(Fresh));
  try {
    FPageCount = 0;
    ReadHeader();
    // Reading the last page checks the file and leaves the stream at its end.
    if (CheckLastPage && FPageCount > 0)
      GetPage(FPageCount);
  } catch (...) {
    FStream = std::move(Previous);
    FCompression = KeepCompression;
    FPageCount = KeepCount;
    FHeaderSize = KeepHeader;
    throw;
  }
}

void TQRPageList::LoadFromFile(const String& FileName)
{
  ReplaceStream(TQRStream::CreateFromFile(FileName), true);
}

void TQRPageList::LoadFromStream(TStream* inStream)
{
  const Int64 Size = inStream->Size();
  if (Size > Int64(std::numeric_limits<Integer>::max()))
    throw EQRError(QStringLiteral("Поток слишком велик для файла отчёта"));
  auto Fresh = std::make_unique<TQRStream>(Integer(Size));
  inStream->SetPosition(0);
  Fresh->CopyFrom(inStream, 0);
  ReplaceStream(std::move(Fresh), false);
}

void TQRPageList::AddOutline(Integer, const String&, const String&, Integer) {}

// ---------------------------------------------------------------------------
// Export filters

TQRExportFilter::TQRExportFilter(const String& Filename) : FFilename(Filename) {}
TQRExportFilter::~TQRExportFilter() = default;

void TQRExportFilter::Start(Integer, Integer, TFont*) { FActive = true; }
void TQRExportFilter::Finish() { FActive = false; }

void TQRExportFilterLibrary::AddFilter(const TQRExportFilterClass& AFilter)
{
  const std::unique_ptr<TQRExportFilter> Probe = AFilter.Create(String());
  for (const auto& E : FFilterList)
    if (E->ExportFilterClass.Class->Name == AFilter.Class->Name)
      return;
  auto Entry = std::make_unique<TQRExportFilterLibraryEntry>();
  Entry->ExportFilterClass = AFilter;
  Entry->FilterName = Probe->Name();
  Entry->Extension = Probe->FileExtension();
  FFilterList.push_back(std::move(Entry));
}

void TQRExportFilterLibrary::RemoveFilter(const TQRExportFilterClass& AFilter)
{
  try {
    const String Name = AFilter.Create(String())->Name();
    for (auto It = FFilterList.begin(); It != FFilterList.end(); ++It) {
      if ((*It)->FilterName == Name) {
        FFilterList.erase(It);
        return;
      }
    }
  } catch (const Exception&) {
    // Removing what cannot be made is nothing to report.
  }
}

TQRExportFilterLibraryEntry* TQRExportFilterLibrary::GetFilterByExtension(const String& fext) const
{
  for (const auto& E : FFilterList)
    if (E->Extension.compare(fext, Qt::CaseInsensitive) == 0)
      return E.get();
  return nullptr;
}

String TQRExportFilterLibrary::SaveDialogFilterString() const
{
  String Result = QStringLiteral("Report file(*.QRP)|*.QRP");
  for (const auto& E : FFilterList)
    Result += QStringLiteral("|%1 (*.%2)|*.%2").arg(E->FilterName, E->Extension);
  return Result;
}

TQRExportFilterLibrary& QRExportFilterLibrary()
{
  static TQRExportFilterLibrary Library;
  return Library;
}

// ---------------------------------------------------------------------------
// Papers and bins

namespace {

struct TPaperRow {
  double Width;
  double Length;
};

// Portrait millimetres of Letter (1) .. A3ExtraTrans (68); the transverse
// sizes hold width and length exchanged.
constexpr TPaperRow PaperRows[69] = {
  {0, 0},                                                         // Default
  {215.9, 279.4}, {215.9, 279.4}, {279.4, 431.8}, {431.8, 279.4}, // Letter, LetterSmall, Tabloid, Ledger
  {215.9, 355.6}, {139.7, 215.9}, {190.5, 254.0}, {297.0, 420.0}, // Legal, Statement, Executive, A3
  {210.0, 297.0}, {210.0, 297.0}, {148.0, 210.0}, {250.0, 354.0}, // A4, A4Small, A5, B4
  {182.0, 257.0}, {215.9, 330.2}, {215.0, 275.0}, {254.0, 355.6}, // B5, Folio, Quarto, 10x14
  {279.4, 431.8}, {215.9, 279.4}, {98.4, 225.4}, {104.8, 241.3},  // 11x17, Note, Env9, Env10
  {114.3, 263.5}, {120.7, 279.4}, {127.0, 292.1}, {431.8, 558.8}, // Env11, Env12, Env14, CSheet
  {558.8, 863.6}, {863.6, 1117.6}, {110.0, 220.0}, {162.0, 229.0}, // DSheet, ESheet, EnvDL, EnvC5
  {324.0, 458.0}, {229.0, 324.0}, {114.0, 162.0}, {114.0, 229.0}, // EnvC3, EnvC4, EnvC6, EnvC65
  {250.0, 353.0}, {176.0, 250.0}, {176.0, 125.0}, {110.0, 230.0}, // EnvB4, EnvB5, EnvB6, EnvItaly
  {98.4, 190.5}, {92.1, 165.1}, {377.8, 279.4}, {215.9, 304.8},   // EnvMonarch, EnvPersonal, FanfoldUSStd, FanfoldGerStd
  {215.9, 330.2}, {250.0, 353.0}, {100.0, 148.0}, {228.6, 279.4}, // FanfoldGerLegal, B4ISO, PostcardJap, 9x11
  {254.0, 279.4}, {381.0, 279.4}, {220.0, 220.0}, {100.0, 100.0}, // 10x11, 15x11, EnvInvite, Reserved1
  {100.0, 100.0}, {241.3, 304.8}, {241.3, 381.0}, {296.9, 457.2}, // Reserved2, LetterExtra, LegalExtra, TabloidExtra
  {235.5, 322.3}, {279.4, 215.9}, {297.0, 210.0}, {304.8, 241.3}, // A4Extra, LetterTrans, A4Trans, LetterExtraTrans
  {227.0, 356.0}, {305.0, 487.0}, {215.9, 322.3}, {210.0, 330.0}, // SuperASuperAA4, SuperBSuperBA3, LetterPlus, A4Plus
  {210.0, 148.0}, {257.0, 182.0}, {322.0, 445.0}, {174.0, 235.0}, // A5Trans, B5Trans, A3Extra, A5Extra
  {201.0, 276.0}, {420.0, 594.0}, {420.0, 297.0}, {445.0, 322.0}, // B5Extra, A2, A3Trans, A3ExtraTrans
};

constexpr Integer BinCodes[14] = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 14};

}   // namespace

Integer PaperCode(TQRPaperSize Size)
{
  return Size == TQRPaperSize::Custom ? DMPAPER_USER : Integer(Size);
}

double PaperWidthMM(TQRPaperSize Size) { return Size == TQRPaperSize::Custom ? 0 : PaperRows[Integer(Size)].Width; }
double PaperLengthMM(TQRPaperSize Size) { return Size == TQRPaperSize::Custom ? 0 : PaperRows[Integer(Size)].Length; }

TQRPaperSize PaperSizeOfCode(Integer Code)
{
  for (Integer I = 0; I < QRPaperSizeCount; ++I)
    if (PaperCode(TQRPaperSize(I)) == Code)
      return TQRPaperSize(I);
  return TQRPaperSize::Default;
}

Integer BinCode(TQRBin Bin) { return BinCodes[Integer(Bin)]; }

TQRBin BinOfCode(Integer Code)
{
  for (Integer I = 0; I < 14; ++I)
    if (BinCodes[I] == Code)
      return TQRBin(I);
  return TQRBin::First;
}

// ---------------------------------------------------------------------------
// TPrinterSettings

static bool IsTablePaper(TQRPaperSize Size) { return Size != TQRPaperSize::Default && Size != TQRPaperSize::Custom; }

TPrinterSettings::TPrinterSettings() = default;

void TPrinterSettings::SetPrinter(TPrinter* Value)
{
  FPrinter = Value;
  if (FPrinter && FPrinter->HasDevice())
    ReadSettings();
}

bool TPrinterSettings::PaperSizeSupported(TQRPaperSize Size) const
{
  return Size == TQRPaperSize::Default || !FDevMode || FPaperSizes[Integer(Size)];
}

void TPrinterSettings::SetCopies(Integer Value)
{
  if (Advertised(DM_COPIES))
    FCopies = Value;
}

void TPrinterSettings::SetOrientation(TPrinterOrientation Value)
{
  if (Advertised(DM_ORIENTATION))
    FOrientation = Value;
}

void TPrinterSettings::SetDuplex(bool Value)
{
  if (Advertised(DM_DUPLEX))
    FDuplex = Value;
}

void TPrinterSettings::SetOutputBin(TQRBin Value)
{
  if (Advertised(DM_DEFAULTSOURCE))
    FOutputBin = Value;
}

void TPrinterSettings::SetPaperSize(TQRPaperSize Value)
{
  if (PaperSizeSupported(Value))
    FPaperSize = Value;
}

Integer TPrinterSettings::PaperWidth() const
{
  return IsTablePaper(FPaperSize) ? Integer(std::nearbyint(10 * PaperWidthMM(FPaperSize))) : FPaperWidth;
}

Integer TPrinterSettings::PaperLength() const
{
  return IsTablePaper(FPaperSize) ? Integer(std::nearbyint(10 * PaperLengthMM(FPaperSize))) : FPaperLength;
}

static Integer PixelsToNative(Integer Pixels, Integer PerInch)
{
  return PerInch > 0 ? Integer(std::nearbyint(double(Pixels) / PerInch * 254)) : 0;
}

void TPrinterSettings::ReadSettings()
{
  if (!FPrinter)
    return;
  try {
    FDevice = FPrinter->DeviceName();
    FDevMode = FPrinter->DeviceMode();
  } catch (const Exception&) {
    FDevMode.reset();
    return;
  }
  try {
    bool Cancel = false;
    if (OnGetPrinterSettings)
      OnGetPrinterSettings(this, Cancel, &*FDevMode);
    if (Cancel)
      return;
    const TDeviceMode& M = *FDevMode;
    FPixelsPerX = FPrinter->PixelsPerInchX();
    FPixelsPerY = FPrinter->PixelsPerInchY();
    FCopies = (M.Fields & DM_COPIES) ? M.Copies : 1;
    FOutputBin = (M.Fields & DM_DEFAULTSOURCE) ? BinOfCode(M.DefaultSource) : TQRBin::First;
    if (M.Fields & DM_DUPLEX) {
      FDuplex = M.Duplex != 1;
      ExtendedDuplex = M.Duplex;
    }
    const TPoint Offset = FPrinter->PhysicalOffset();
    FLeftOffset = PixelsToNative(Offset.X, FPixelsPerX);
    FTopOffset = PixelsToNative(Offset.Y, FPixelsPerY);
    FPaperSize = (M.Fields & DM_PAPERSIZE) ? PaperSizeOfCode(M.PaperSize) : TQRPaperSize::Default;
    const TPoint Size = FPrinter->PhysicalSize();
    FPaperWidth = PixelsToNative(Size.X, FPixelsPerX);
    FPaperLength = PixelsToNative(Size.Y, FPixelsPerY);
    std::fill(std::begin(FPaperSizes), std::end(FPaperSizes), false);
    for (const Integer Code : FPrinter->PaperCodes()) {
      const TQRPaperSize Paper = PaperSizeOfCode(Code);
      if (Paper != TQRPaperSize::Default)
        FPaperSizes[Integer(Paper)] = true;
    }
    FPaperSizes[Integer(TQRPaperSize::Custom)] = true;
    PrintQuality = M.PrintQuality;
    Collate = M.Collate;
    ColorOption = M.Color;
    FIndex = FPrinter->PrinterIndex();
  } catch (const Exception&) {
    // A printer that cannot be read still lets the job record pages.
    FPrinter = nullptr;
  }
}

void TPrinterSettings::ApplySettings()
{
  if (!FPrinter)
    throw EPrinter(QStringLiteral("There is no default printer currently selected"));
  if (!FDevMode)
    FDevMode = FPrinter->DeviceMode();
  TDeviceMode& M = *FDevMode;
  M.Fields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
  M.PaperLength = PaperLength();
  M.PaperWidth = PaperWidth();
  if ((M.Fields & DM_PAPERSIZE) && FPaperSize != TQRPaperSize::Default)
    M.PaperSize = UseCustomPaperCode ? CustomPaperCode : PaperCode(FPaperSize);
  M.Fields |= DM_COPIES;
  M.Copies = FCopies;
  if (M.Fields & DM_DUPLEX)
    M.Duplex = ExtendedDuplex != 0 ? ExtendedDuplex : (FDuplex ? 3 : 1);
  M.Fields |= DM_DEFAULTSOURCE;
  M.DefaultSource = UseCustomBinCode ? CustomBinCode : BinCode(FOutputBin);
  M.Fields |= DM_ORIENTATION;
  M.Orientation = FOrientation == poLandscape ? 2 : 1;
  if (M.Fields & DM_COLLATE)
    M.Collate = Collate;
  if (M.Fields & DM_PRINTQUALITY)
    M.PrintQuality = PrintQuality;
  if (M.Fields & DM_COLOR)
    M.Color = ColorOption;
  bool Cancel = false;
  if (OnApplyPrinterSettings)
    OnApplyPrinterSettings(this, Cancel, &M);
  if (!Cancel)
    FPrinter->SetDeviceMode(M);
}

void TQRPrinterSettings::ApplySettings(TPrinterSettings& Settings) const
{
  Settings.SetPaperSize(PaperSize);
  Settings.SetCopies(Copies);
  Settings.SetDuplex(Duplex);
  Settings.SetOrientation(Orientation);
  Settings.SetOutputBin(OutputBin);
  Settings.Title = Title;
}

TQRPaperSize DefaultPrinterPaperSize()
{
  try {
    TPrinter* P = Printer();
    if (!P || !P->HasDevice())
      return TQRPaperSize::Default;
    const TDeviceMode M = P->DeviceMode();
    if (!(M.Fields & DM_PAPERSIZE))
      return TQRPaperSize::Default;
    return PaperSizeOfCode(M.PaperSize);
  } catch (const Exception&) {
    return TQRPaperSize::Default;
  }
}

void ResetPrinterDeviceMode(TPrinter* APrinter)
{
  if (APrinter && APrinter->HasDevice())
    APrinter->ResetDeviceMode();
}

// ---------------------------------------------------------------------------
// TQRPrinter

bool PrintStoredPages = false;

TQRPreviewInterfaceClass& QRPreviewInterfaceClass()
{
  static TQRPreviewInterfaceClass Class = [] { return std::make_unique<TQRStandardPreviewInterface>(nullptr); };
  return Class;
}

// Device pixels per tenth of a millimetre of the logical 96-dpi screen.
static constexpr Extended ScreenFactor = Extended(ScreenPixelsPerInch) / 254;
static constexpr Extended FallbackFactor = 0.37795;

// Only the GUI thread handles messages; a report generating on a thread of
// its own goes on without.
static void LetMessagesRun()
{
  if (Application && IsMainThread())
    Application->ProcessMessages();
}

TQRPrinter::TQRPrinter(TComponent* parentrep)
{
  FPrinterOK = !Printer()->Printers().isEmpty();
  aPrinterSettings = std::make_unique<TPrinterSettings>();
  bool UseStandard = false;
  if (auto* Rep = dynamic_cast<TCustomQRReport*>(parentrep)) {
    FParentReport = parentrep;
    UseStandard = Rep->PrinterSettings()->UseStandardPrinter;
    aPrinterSettings->UseStandardPrinter = UseStandard;
    aPrinterSettings->MemoryLimit = Rep->PrinterSettings()->MemoryLimit;
  } else {
    FParentReport = parentrep;
  }
  if (UseStandard) {
    aPrinter = Printer();
  } else {
    // The private printer selects the system's default printer itself.
    FOwnPrinter = std::make_unique<TPrinter>();
    aPrinter = FOwnPrinter.get();
  }
  // The standard printer may be set to print to a file.
  if (!aPrinter->FileName().isEmpty())
    FPrinterOK = true;
  if (FPrinterOK) {
    aPrinterSettings->SetPrinter(aPrinter);
    LetMessagesRun();
  }
  FTopWaste = aPrinterSettings->TopOffset();
  FLeftWaste = aPrinterSettings->LeftOffset();
  FPageList = std::make_unique<TQRPageList>();
}

TQRPrinter::~TQRPrinter()
{
  try {
    if (FStatus != mpReady)
      Cleanup();
  } catch (const Exception&) {
    // A printer job that cannot be aborted cleanly is dropped with the job.
  }
  FClient = nullptr;
}

TCustomQRReport* TQRPrinter::Report() const { return dynamic_cast<TCustomQRReport*>(FParentReport); }

Integer TQRPrinter::XPos(Extended Value) const { return Integer(Round((Value - FLeftWaste) * FXFactor)); }
Integer TQRPrinter::YPos(Extended Value) const { return Integer(Round((Value - FTopWaste) * FYFactor)); }
Integer TQRPrinter::XSize(Extended Value) const { return Integer(Round(Value * FXFactor)); }
Integer TQRPrinter::YSize(Extended Value) const { return Integer(Round(Value * FYFactor)); }

Integer TQRPrinter::LeftWaste() const { return FDestination == qrdPrinter ? aPrinterSettings->LeftOffset() : 0; }
Integer TQRPrinter::TopWaste() const { return FDestination == qrdPrinter ? aPrinterSettings->TopOffset() : 0; }

Integer TQRPrinter::PaperWidthValue() const
{
  return Orientation() == poLandscape ? aPrinterSettings->PaperLength() : aPrinterSettings->PaperWidth();
}

Integer TQRPrinter::PaperLengthValue() const
{
  return Orientation() == poLandscape ? aPrinterSettings->PaperWidth() : aPrinterSettings->PaperLength();
}

void TQRPrinter::SetScreenFactors() { FXFactor = FYFactor = ScreenFactor; }

void TQRPrinter::SetPrinterFactors(TPrinter* APrinter, Extended LowFactor)
{
  FXFactor = Extended(APrinter->PixelsPerInchX()) / 254;
  FYFactor = Extended(APrinter->PixelsPerInchY()) / 254;
  if (FXFactor < 0.1)
    FXFactor = LowFactor;
  if (FYFactor < 0.1)
    FYFactor = LowFactor;
}

// From a generating thread the message is posted by the GUI thread, which
// alone touches the message queue and tells whether the client still lives.
void TQRPrinter::PostClient(UINT Msg, Integer Value)
{
  TWinControl* Client = FClient;
  if (!Client)
    return;
  if (!IsMainThread()) {
    QueueOnMainThread([Client, Msg, Value] {
      if (IsLiveControl(Client) && Client->HandleAllocated())
        PostMessage(Client, Msg, WPARAM(Value), 0);
    });
    return;
  }
  if (Client->HandleAllocated())
    PostMessage(Client, Msg, WPARAM(Value), 0);
}

void TQRPrinter::SetAvailablePages(Integer Value)
{
  FAvailablePages = Value;
  PostClient(CM_QRPAGEAVAILABLE, Value);
}

void TQRPrinter::SetProgress(Integer Value)
{
  FProgress = Value;
  PostClient(CM_QRPROGRESSUPDATE, Value);
}

void TQRPrinter::SetPageNumber(Integer Value)
{
  if (Value >= 1 && Value <= FPageCount)
    FPageNumber = Value;
}

void TQRPrinter::SetShowingPreview(bool Value)
{
  if (FShowingPreview && !Value) {
    if (FStatus == mpBusy)
      Cancel();
    if (AfterPreview)
      AfterPreview(this);
  }
  FShowingPreview = Value;
}

// The output file stands in for a printer: the job can print without one.
void TQRPrinter::SetOutputFileName(const String& Value)
{
  aPrinter->SetFileName(Value);
  if (!Value.isEmpty() || FPrinterOK) {
    FPrinterOK = true;
    aPrinterSettings->SetPrinter(aPrinter);
  }
  if (Value.isEmpty())
    FPrinterOK = !aPrinter->Printers().isEmpty();
}

void TQRPrinter::SetPrinterIndex(Integer Value)
{
  if (aPrinter->Printers().isEmpty() || aPrinterSettings->UseStandardPrinter)
    return;
  aPrinter->SetPrinterIndex(Value);
  ResetPrinterDeviceMode(aPrinter);
  aPrinterSettings->SetPrinter(aPrinter);
}

bool TQRPrinter::PageInRange(Integer Page) const
{
  return (FFirstPage <= 0 || FFirstPage <= Page) && (FLastpage <= 0 || Page <= FLastpage);
}

void TQRPrinter::BeginDoc()
{
  FMetafile.reset();
  FAvailablePages = 0;
  FCancelled = false;
  if (FDestination == qrdPrinter)
    aPrinterSettings->ApplySettings();
  FTopWaste = TopWaste();
  FLeftWaste = LeftWaste();
  if (FStatus != mpReady)
    throw EQRError(QStringLiteral("QRPrinter not ready"));
  FPageNumber = 0;
  FPageCount = 0;
  FMasterProgressStart = 0;
  FMasterProgressEnd = 0;
  IsPrinting = false;
  FStatus = mpBusy;
  if (FDestination == qrdMetafile) {
    FPageList->Clear();
    FPageList->SetStream(std::make_unique<TQRStream>(aPrinterSettings->MemoryLimit));
    SetScreenFactors();
  } else {
    SetPrinterFactors(aPrinter, FallbackFactor);
  }
}

void TQRPrinter::StartMetafilePage()
{
  FMetafile = std::make_unique<TMetafile>();
  SetScreenFactors();
  FMetafile->SetWidth(XSize(PaperWidthValue()));
  FMetafile->SetHeight(YSize(PaperLengthValue()));
  FMetafileCanvas = std::make_unique<TMetafileCanvas>(FMetafile.get(), nullptr);
  SetGraphicsMode(FMetafileCanvas->Handle(), GM_ADVANCED);
  FCanvas = FMetafileCanvas.get();
  SetDesignMetrics(FCanvas->Handle(), true);
}

void TQRPrinter::StartPrinterPage()
{
  // The printer's own new page has already begun the sheet; the canvas only
  // has to be taken again.
  if (aPrinter->Printing()) {
    aPrinter->Canvas()->Refresh();
  } else {
    aPrinter->SetTitle(FTitle);
    aPrinter->BeginDoc();
    IsPrinting = aPrinter->Printing();
  }
  FCanvas = aPrinter->Canvas();
  SetDesignMetrics(FCanvas->Handle(), true);
  SetPrinterFactors(aPrinter, FallbackFactor);
  if (FYFactor < 0.1)
    FYFactor = 1.0;
}

// Frees the canvas of a metafile page (which completes it) and stores the
// page when asked; the metafile is dropped either way.
void TQRPrinter::ClosePage(bool Store)
{
  if (!FMetafileCanvas)
    return;
  FCanvas = nullptr;
  FMetafileCanvas.reset();
  if (Store)
    FPageList->AddPage(FMetafile.get());
  FMetafile.reset();
}

void TQRPrinter::FreePage()
{
  FCanvas = nullptr;
  FMetafileCanvas.reset();
  FMetafile.reset();
}

void TQRPrinter::NewPage()
{
  if (FStatus != mpBusy)
    throw EQRError(QStringLiteral("Illegal call to NewPage"));
  if (FPageNumber > 0) {
    if (FDestination == qrdMetafile) {
      ClosePage(true);
    } else if (PageInRange(FPageCount)) {
      if (FPageCount != FLastpage)
        aPrinter->NewPage();
    } else {
      FreePage();   // drawn only to keep the page numbers and totals right
    }
    SetAvailablePages(FAvailablePages + 1);
  }
  ++FPageCount;
  ++FPageNumber;
  if (FDestination == qrdMetafile || !PageInRange(FPageCount))
    StartMetafilePage();
  else
    StartPrinterPage();
}

void TQRPrinter::EndDoc()
{
  if (FStatus != mpBusy)
    return;
  if (FDestination == qrdPrinter) {
    // A last page outside the print range was drawn on a scratch page.
    FreePage();
    if (aPrinter->Printing())
      aPrinter->EndDoc();
  } else if (FPageNumber > 0) {
    ClosePage(true);
  }
  FCanvas = nullptr;
  FStatus = mpFinished;
  SetAvailablePages(FAvailablePages + 1);
  LetMessagesRun();
  if (FDestination == qrdMetafile)
    FPageList->Finish();
  else if (AfterPrint)
    AfterPrint(this);
}

void TQRPrinter::AbortDoc()
{
  if (FDestination == qrdPrinter) {
    FreePage();
    if (aPrinter->Printing())
      aPrinter->Abort();
  } else if (FMetafileCanvas) {
    const TCustomQRReport* Rep = Report();
    ClosePage(!(Rep && Rep->Exporting()));
  }
  FCanvas = nullptr;
  FStatus = mpFinished;
  // The header tells the pages really stored, not the count of page 1.
  if (FDestination == qrdMetafile && FPageList->Stream())
    FPageList->Finish();
}

void TQRPrinter::Cleanup()
{
  if (FStatus == mpBusy)
    Cancel();
  FreePage();
  if (aPrinter->Printing())
    aPrinter->Abort();
  FPageList->ReleaseStream();
  FPageList->Clear();
  FStatus = mpReady;
}

std::unique_ptr<TMetafile> TQRPrinter::GetPage(Integer Value)
{
  if ((FStatus != mpBusy && FStatus != mpFinished) || Value < 1 || Value > FPageCount)
    return nullptr;
  return FPageList->GetPage(Value);
}

void TQRPrinter::GetPageEx(Integer Value, std::unique_ptr<TMetafile>& AMetafile,
                           std::unique_ptr<std::vector<THyperlink>>& AHyperlinks)
{
  FPageList->GetPageEx(Value, AMetafile, AHyperlinks);
}

void TQRPrinter::AddOutline(Integer Level, const String& Caption, const TRect& Target)
{
  if (FStatus == mpBusy)
    FPageList->AddOutline(Level, Caption, QStringLiteral("%1,%2,%3,%4").arg(Target.Left).arg(Target.Top)
                                            .arg(Target.Right).arg(Target.Bottom), FPageNumber);
}

// ---------------------------------------------------------------------------
// Report files

void TQRPrinter::Load(const String& FileName)
{
  if (FStatus != mpReady)
    Cleanup();
  FPageList->LoadFromFile(FileName);
  DetectPaper();
}

void TQRPrinter::LoadFromStream(TStream* inStream)
{
  if (FStatus != mpReady)
    Cleanup();
  FPageList->LoadFromStream(inStream);
  DetectPaper();
}

// The paper of a loaded report, from the size of its first page. A page was
// recorded in whole pixels, so its size is up to a pixel (0.26 mm) off the
// paper's; within 2 mm it is that paper. Several table rows share a size (A4
// and A4Small, Letter and Note): the first is the common paper devices offer.
void TQRPrinter::DetectPaper()
{
  FPageCount = FPageList->PageCount();
  SetScreenFactors();
  const std::unique_ptr<TMetafile> First = FPageCount > 0 ? FPageList->GetPage(1) : nullptr;
  if (First) {
    const double W = First->Width() / FXFactor / 10;
    const double H = First->Height() / FXFactor / 10;
    auto Near = [](double A, double B) { return std::abs(A - B) < 2; };
    bool Found = false;
    for (Integer I = Integer(TQRPaperSize::Letter); I <= Integer(TQRPaperSize::ESheet) && !Found; ++I) {
      const TQRPaperSize Size = TQRPaperSize(I);
      const double TW = PaperWidthMM(Size);
      const double TL = PaperLengthMM(Size);
      const bool Portrait = Near(W, TW) && Near(H, TL);
      if (Portrait || (Near(H, TW) && Near(W, TL))) {
        SetPaperSize(Size);
        SetOrientation(Portrait ? poPortrait : poLandscape);
        Found = true;
      }
    }
    if (!Found)
      SetOrientation(H < W ? poLandscape : poPortrait);
  }
  FStatus = mpFinished;
  OnPrintSetup = nullptr;
  OnExportToFilter = nullptr;
  FReportLoaded = true;
  PrintStoredPages = true;
}

void TQRPrinter::Save(const String& FileName)
{
  if (FStatus != mpFinished)
    return;
  FPageList->SaveToFile(FileName);
}

// ---------------------------------------------------------------------------
// Output of stored pages

// Draws one stored page on the printer: with a report, the whole sheet shifted
// by the printer's unprintable margins; without one, over the printable area.
void TQRPrinter::PrintStoredPage(Integer Index, TCustomQRReport* ParentRep)
{
  const std::unique_ptr<TMetafile> Meta = GetPage(Index);
  if (!Meta)
    return;
  const Extended PX = Extended(aPrinterSettings->PixelsPerX()) / 254;
  const Extended PY = Extended(aPrinterSettings->PixelsPerY()) / 254;
  TRect Area(0, 0, aPrinter->PageWidth(), aPrinter->PageHeight());
  if (ParentRep) {
    TQRPage* Page = ParentRep->Page();
    const TQRUnit Units = Page->Units();
    Page->SetUnits(TQRUnit::Native);
    const Extended Left = aPrinterSettings->LeftOffset();
    const Extended Top = aPrinterSettings->TopOffset();
    Area = TRect(-Integer(Round(Left * PX)), -Integer(Round(Top * PY)),
                 Integer(Round((Page->Width() - Left) * PX)), Integer(Round((Page->Length() - Top) * PY)));
    Page->SetUnits(Units);
  }
  aPrinter->Canvas()->StretchDraw(Area, Meta.get());
}

void TQRPrinter::Print()
{
  TCustomQRReport* Rep = Report();
  if (FMaster && !FReportLoaded && !aPrinterSettings->PrintMetafile && FStatus == mpFinished) {
    PostMessage(FMaster, CM_QRPRINT);
    return;
  }
  if (FStatus != mpFinished || !FPrinterOK)
    return;
  const bool ShowProgress = Rep && Rep->ShowProgress();
  aPrinter->SetTitle(FTitle);
  if (aPrinter->Printing())
    aPrinter->Abort();
  aPrinterSettings->ApplySettings();
  aPrinter->BeginDoc();
  if (!aPrinter->Printing())
    return;
  Integer First = 1;
  Integer Last = FPageCount;
  if (Rep) {
    FFirstPage = Rep->PrinterSettings()->FirstPage;
    FLastpage = Rep->PrinterSettings()->LastPage;
  }
  if (FFirstPage != 0)
    First = FFirstPage;
  if (FLastpage != 0)
    Last = FLastpage;
  // A range beyond the stored pages prints what there is, not empty sheets.
  First = std::max(First, 1);
  Last = std::min(Last, Integer(FPageCount));
  auto Finally = [&] {
    FFirstPage = FLastpage = 0;
    if (aPrinter->Printing())
      aPrinter->EndDoc();
  };
  try {
    for (Integer I = First; I <= Last; ++I) {
      LetMessagesRun();
      if (ShowProgress)
        SetProgress(Integer(Round(Extended(I - First + 1) / (Last - First + 1) * 100)));
      SetPageNumber(I);
      PrintStoredPage(I, Rep);
      if (FCancelled) {
        aPrinter->Abort();
        break;
      }
      if (I < Last)
        aPrinter->NewPage();
    }
  } catch (...) {
    Finally();
    throw;
  }
  Finally();
  if (Rep) {
    if (Rep->AfterPrint)
      Rep->AfterPrint(Rep);
    Rep->PrinterSettings()->FirstPage = 0;
    Rep->PrinterSettings()->LastPage = 0;
  }
}

void TQRPrinter::PrintMetafileDirect(const String& /*FileName*/, Integer FromPage, Integer ToPage)
{
  if (FStatus != mpFinished)
    return;
  TPrinter* Global = Printer();
  Global->BeginDoc();
  try {
    const Extended PX = Extended(Global->PixelsPerInchX()) / 254;
    const Extended PY = Extended(Global->PixelsPerInchY()) / 254;
    if (FXFactor < 0.1)
      FXFactor = FallbackFactor;
    if (FYFactor < 0.1)
      FYFactor = FallbackFactor;
    Extended AreaWidth = Global->PageWidth();
    Extended AreaHeight = Global->PageHeight();
    if (PaperSize() == TQRPaperSize::Custom) {
      AreaWidth = PaperWidth() * PX;
      AreaHeight = PaperLength() * PY;
    }
    for (Integer I = FromPage; I <= ToPage; ++I) {
      if (const std::unique_ptr<TMetafile> Meta = FPageList->GetPage(I))
        Global->Canvas()->StretchDraw(TRect(Integer(Round(DPLeftMargin * PX)), Integer(Round(DPTopmargin * PY)),
                                            Integer(Round(AreaWidth)), Integer(Round(AreaHeight))),
                                      Meta.get());
      if (I < ToPage)
        Global->NewPage();
    }
  } catch (...) {
    if (Global->Printing())
      Global->Abort();
    throw;
  }
  Global->EndDoc();
}

void TQRPrinter::Preview()
{
  if (OnPreview) {
    OnPreview(this);
    return;
  }
  const std::unique_ptr<TQRPreviewInterface> Interface = QRPreviewInterfaceClass()();
  FPreviewControl = Interface->Show(this);
}

void TQRPrinter::PreviewModal()
{
  if (OnPreview) {
    OnPreview(this);
    return;
  }
  const std::unique_ptr<TQRPreviewInterface> Interface = QRPreviewInterfaceClass()();
  Interface->ShowModal(this);
}

void TQRPrinter::ClosePreview(TWinControl* /*Control*/)
{
  SetShowingPreview(false);
  if (FMaster)
    SendMessage(FMaster, CM_QRPREVIEWCLOSE, 0, LPARAM(this));
}

void TQRPrinter::ExportToFilter(TQRExportFilter* aFilter)
{
  if (OnExportToFilter)
    OnExportToFilter(aFilter);
}

void TQRPrinter::PrintSetup()
{
  if (OnPrintSetup)
    OnPrintSetup();
}

Integer QRPos(const String& SubText, const String& Text)
{
  return SubText.isEmpty() ? 0 : Integer(Text.indexOf(SubText)) + 1;
}
