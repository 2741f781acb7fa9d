// QRPrntr.h: the report engine's page store: the byte stream that keeps a
// prepared report in memory and spills to a temporary file, the splay-tree
// coder of compressed pages, and the page list, whose bytes are the report
// file.
#pragma once

#include "platform/gui/Metafile.h"
#include "platform/rtl/Classes.h"

#include <memory>
#include <mutex>
#include <vector>

// The report engine's own exception.
VELMORA_EXCEPTION(EQRError, Exception)

// Bytes in memory up to a limit, then in a temporary file for good. Every
// access holds the stream's re-entrant lock, so the generating thread can
// append while the preview reads.
class TQRStream : public TStream {
  VELMORA_CLASS(TQRStream)
public:
  explicit TQRStream(Integer pMemoryLimit);
  // The whole file read into memory; the file itself is left alone.
  static std::unique_ptr<TQRStream> CreateFromFile(const String& Filename);
  ~TQRStream() override;

  void LockStream() { FLock.lock(); }
  void UnlockStream() { FLock.unlock(); }

  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() const override;
  void SetSize(Int64 NewSize) override;
  // Everything from the start, in blocks; leaves the position at the end.
  void SaveToStream(TStream* AStream);

  bool InMemory() const { return FInMemory; }
  Integer MemoryLimit() const { return FMemoryLimit; }
  // The temporary file once the stream has spilled; empty before.
  const String& FileName() const { return FFilename; }

private:
  TStream* Active() const;
  void Spill();

  mutable std::recursive_mutex FLock;
  std::unique_ptr<TMemoryStream> MemoryStream;
  String FFilename;
  std::unique_ptr<TFileStream> FileStream;
  bool FInMemory = true;
  Integer FMemoryLimit = 0;
};

using CodeType = Word;

// Adaptive prefix coder over bytes (a semi-splaying code tree); the coder
// and the decoder change their trees alike after every byte. Bits fill each
// output byte from its least significant bit upwards.
class TQRCompress {
public:
  TQRCompress(TStream* aStream, bool CompressData);
  // A coder that writes flushes its partial last byte.
  ~TQRCompress();
  TQRCompress(const TQRCompress&) = delete;
  TQRCompress& operator=(const TQRCompress&) = delete;

  void Compress(CodeType Plain);
  void Expand(Byte& Expanded);

private:
  void InitializeSplay();
  void Splay(Byte Plain);

  Byte BitPos = 0;
  bool CompressFlag = false;
  CodeType InByte = 0;
  Word Left[256] = {};
  Word Right[256] = {};
  CodeType OutByte = 0;
  TStream* Stream = nullptr;
  Byte Up[513] = {};
};

// A link area of a page.
struct THyperlink {
  THyperlink(const TRect& AArea, const String& ALink) : Area(AArea), Link(ALink) {}
  TRect Area;
  String Link;
};

// Pages of a prepared report, one record each, in a TQRStream. The stream's
// bytes are the report file: a 128-byte header, then the records, each
// linked forward to the next and back to its own start.
class TQRPageList : public TObject {
public:
  static constexpr Integer HeaderSize = 128;

  TQRPageList();
  ~TQRPageList() override;

  void Clear() { FPageCount = 0; }
  void LockList() { FLock.lock(); }
  void UnlockList() { FLock.unlock(); }

  void AddPage(TMetafile* aMetafile);
  // With a link block after the page, unless the list is compressed.
  void AddPageEx(TMetafile* aMetafile, const std::vector<THyperlink>* AHyperlinks);
  // A new metafile for pages 1..PageCount, nullptr otherwise.
  std::unique_ptr<TMetafile> GetPage(Integer PageNumber);
  // The page and, for an uncompressed record, its links.
  void GetPageEx(Integer PageNumber, std::unique_ptr<TMetafile>& AMetafile,
                 std::unique_ptr<std::vector<THyperlink>>& AHyperlinks);
  // Writes the header again with the current page count.
  void Finish();

  void SaveToStream(TStream* inStream);
  void SaveToFile(const String& Filename);
  void LoadFromFile(const String& FileName);
  void LoadFromStream(TStream* inStream);
  void AddOutline(Integer Level, const String& Caption, const String& Target, Integer PageNumber);

  Integer PageCount() const { return FPageCount; }
  bool Compression() const { return FCompression; }
  void SetCompression(bool Value) { FCompression = Value; }
  TQRStream* Stream() const { return FStream.get(); }
  // Attaches a fresh stream for a run (the printer's part); the list owns it.
  void SetStream(std::unique_ptr<TQRStream> Value);
  std::unique_ptr<TQRStream> ReleaseStream() { return std::move(FStream); }

private:
  void WriteHeader();
  void ReadHeader();
  Integer DetectHeaderSize();
  void WritePageRecord(TMetafile* aMetafile, const std::vector<THyperlink>* AHyperlinks, bool WithLinks);
  void ReplaceStream(std::unique_ptr<TQRStream> Fresh, bool CheckLastPage);
  void SeekToPage(Integer PageNumber);
  void ReadPageRecord(std::unique_ptr<TMetafile>& AMetafile, std::unique_ptr<std::vector<THyperlink>>* AHyperlinks);
  Integer ReadInt();
  void WriteInt(Integer Value);
  [[noreturn]] void Damaged(const String& What) const;
  void CheckRecordStart(Int64 Pos) const;

  std::recursive_mutex FLock;
  bool FCompression = false;
  Integer FPageCount = 0;
  Integer FHeaderSize = HeaderSize;
  std::unique_ptr<TQRStream> FStream;
};
