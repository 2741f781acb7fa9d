// QRPrntr.h: the report engine's page store: the byte stream that keeps a
// prepared report in memory and spills to a temporary file, the splay-tree
// coder of compressed pages, and the page list, whose bytes are the report
// file.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/Metafile.h"
#include "platform/gui/StdCtrls.h"
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

// ---------------------------------------------------------------------------
// Export filters: a filter receives every page, text item and graphic of a
// report run at the moment it is printed, in the run's device pixels.

class TQRPrinter;

enum TExportType { exptText, exptNumeric, exptFormula };
enum TXLNumFormat {
  nfGeneral, nfInteger, nfDec2, nfIntRound, nfCurrencyNS, nfCurrency, nfCurrency2, nfCurrencyDec,
  nfCurrencyDec2, nfPercent, nfPercentDec2, nfFraction, nfFraction2, nfDate1, nfDate2, nfDate3, nfDate4,
  nfTime1, nfTime2, nfTime3, nfTime4, nfDateTime
};

// The full description of one text item.
struct TExportInfoRec {
  Extended Xpos = 0;
  Extended Ypos = 0;
  TFont* Font = nullptr;
  TColor BGColor = clWhite;
  TAlignment Alignment = taLeftJustify;
  String Text;
  Integer Column = 0;
  TExportType ExportAs = exptText;
  String ControlName;
  Extended ControlWidth = 0;
  Extended controlHeight = 0;
  Extended controlLeft = 0;
  Extended controlTop = 0;
  TXLNumFormat XLNumFormat = nfGeneral;
  TTextLayout VAlignment = tlTop;
};

// The base of every export filter; instantiable, it writes nothing.
class TQRExportFilter : public TObject {
  VELMORA_CLASS(TQRExportFilter)
public:
  explicit TQRExportFilter(const String& Filename);
  ~TQRExportFilter() override;

  virtual String GetDescription() const { return QStringLiteral("Abstract non-working export filter"); }
  virtual String GetFileExtension() const { return String(); }
  virtual String GetName() const { return QStringLiteral("Abstract filter"); }
  virtual String GetVendor() const { return QStringLiteral("VELMORA"); }
  // A streaming filter takes the whole report as one long page.
  virtual bool GetStreaming() const { return false; }
  virtual void Start(Integer PaperWidth, Integer PaperHeight, TFont* Font);
  // Also called once before the first page, which a filter must ignore.
  virtual void EndPage() {}
  virtual void Finish();
  virtual void NewPage() {}
  virtual void AcceptGraphic(Extended /*Xoff*/, Extended /*Yoff*/, TControl* /*GControl*/) {}
  virtual void AcceptTextControl(Extended /*Xoff*/, Extended /*Yoff*/, TControl* /*GControl*/) {}
  virtual void AcceptBand(TControl* /*aBand*/, Extended /*Xoff*/, Extended /*Yoff*/, Extended /*Expanded*/) {}
  virtual void TextOut(Extended /*X*/, Extended /*Y*/, TFont* /*Font*/, TColor /*BGColor*/,
                       TAlignment /*Alignment*/, const String& /*Text*/) {}
  virtual void TextOutRec(const TExportInfoRec& /*ExportInfo*/) {}

  String Description() const { return GetDescription(); }
  String FileExtension() const { return GetFileExtension(); }
  String Name() const { return GetName(); }
  String Vendor() const { return GetVendor(); }
  bool Streaming() const { return GetStreaming(); }
  bool Active() const { return FActive; }
  const String& Filename() const { return FFilename; }
  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* Value) { FOwner = Value; }
  TQRPrinter* OriginalQRPrinter() const { return FOriginalQRPrinter; }
  void SetOriginalQRPrinter(TQRPrinter* Value) { FOriginalQRPrinter = Value; }

  // Output lines of filters that build their document as text.
  std::unique_ptr<TStringList> finalDoc = std::make_unique<TStringList>();

private:
  TQRPrinter* FOriginalQRPrinter = nullptr;
  bool FActive = false;
  String FFilename;
  TComponent* FOwner = nullptr;
};

// A filter class: its registered class and how to make one on a file name.
struct TQRExportFilterClass {
  TClass Class = nullptr;
  std::function<std::unique_ptr<TQRExportFilter>(const String& Filename)> Create;
};

template <class T>
TQRExportFilterClass ExportFilterClass()
{
  return {T::StaticClass(), [](const String& Filename) { return std::make_unique<T>(Filename); }};
}

class TQRExportFilterLibraryEntry {
public:
  TQRExportFilterClass ExportFilterClass;
  String FilterName;
  String Extension;   // without the dot
  Integer XLSXMargin = 0;
};

// The filters the preview's Save dialog offers besides report files.
class TQRExportFilterLibrary {
public:
  void AddFilter(const TQRExportFilterClass& AFilter);
  void RemoveFilter(const TQRExportFilterClass& AFilter);
  TQRExportFilterLibraryEntry* GetFilterByExtension(const String& fext) const;
  String SaveDialogFilterString() const;
  const std::vector<std::unique_ptr<TQRExportFilterLibraryEntry>>& Filters() const { return FFilterList; }

private:
  std::vector<std::unique_ptr<TQRExportFilterLibraryEntry>> FFilterList;
};

TQRExportFilterLibrary& QRExportFilterLibrary();
