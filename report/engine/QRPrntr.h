// QRPrntr.h: the report engine's page store: the byte stream that keeps a
// prepared report in memory and spills to a temporary file, the splay-tree
// coder of compressed pages, and the page list, whose bytes are the report
// file.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/Metafile.h"
#include "platform/gui/Printers.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/Classes.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
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

// ---------------------------------------------------------------------------
// Printer settings: papers and bins by the common device codes.

enum class TQRPaperSize {
  Default, Letter, LetterSmall, Tabloid, Ledger, Legal, Statement, Executive, A3, A4, A4Small, A5, B4, B5,
  Folio, Quarto, qr10X14, qr11X17, Note, Env9, Env10, Env11, Env12, Env14, CSheet, DSheet, ESheet, EnvDL,
  EnvC5, EnvC3, EnvC4, EnvC6, EnvC65, EnvB4, EnvB5, EnvB6, EnvItaly, EnvMonarch, EnvPersonal, FanfoldUSStd,
  FanfoldGerStd, FanfoldGerLegal, B4ISO, PostcardJap, qr9X11, qr10X11, qr15X11, EnvInvite, Reserved1,
  Reserved2, LetterExtra, LegalExtra, TabloidExtra, A4Extra, LetterTrans, A4Trans, LetterExtraTrans,
  SuperASuperAA4, SuperBSuperBA3, LetterPlus, A4Plus, A5Trans, B5Trans, A3Extra, A5Extra, B5Extra, A2,
  A3Trans, A3ExtraTrans, Custom
};
inline constexpr Integer QRPaperSizeCount = 70;

enum class TQRBin {
  First, Upper, Lower, Middle, Manual, Envelope, EnvManual, Auto, Tractor, SmallFormat, LargeFormat,
  LargeCapacity, Cassette, Last
};

// The device paper code of a size (its ordinal; 256 for Custom) and its
// portrait width and length in millimetres (0 for Default and Custom).
Integer PaperCode(TQRPaperSize Size);
double PaperWidthMM(TQRPaperSize Size);
double PaperLengthMM(TQRPaperSize Size);
// The first size with the code; Default for an unknown code.
TQRPaperSize PaperSizeOfCode(Integer Code);
Integer BinCode(TQRBin Bin);
// The first bin with the code; First for an unknown code.
TQRBin BinOfCode(Integer Code);

using TQRPrinterSettingsEvent = std::function<void(TObject* Sender, bool& Cancel, TDeviceMode* DevMode)>;

// The settings of one job's printer: read from its device mode, changed by
// the job, written back before printing. Sizes in tenths of a millimetre.
class TPrinterSettings : public TObject {
public:
  TPrinterSettings();

  // Binds the printer and reads its settings when it has a device.
  void SetPrinter(TPrinter* Value);
  TPrinter* Printer() const { return FPrinter; }
  void ReadSettings();
  void ApplySettings();

  const String& Device() const { return FDevice; }
  const String& Driver() const { return FDriver; }
  const String& Port() const { return FPort; }
  Integer PixelsPerX() const { return FPixelsPerX; }
  Integer PixelsPerY() const { return FPixelsPerY; }
  Integer TopOffset() const { return FTopOffset; }
  Integer LeftOffset() const { return FLeftOffset; }
  Integer MaxExtentX() const { return 0; }
  Integer MaxExtentY() const { return 0; }
  Integer MinExtentX() const { return 0; }
  Integer MinExtentY() const { return 0; }
  bool PaperSizeSupported(TQRPaperSize Size) const;
  // The device mode as last read, nullptr when none could be had.
  const TDeviceMode* DevMode() const { return FDevMode ? &*FDevMode : nullptr; }

  // Taken only when the device mode has the field (a paper: when offered);
  // without a device there is nothing to check against and all are taken.
  Integer Copies() const { return FCopies; }
  void SetCopies(Integer Value);
  TPrinterOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TPrinterOrientation Value);
  bool Duplex() const { return FDuplex; }
  void SetDuplex(bool Value);
  TQRBin OutputBin() const { return FOutputBin; }
  void SetOutputBin(TQRBin Value);
  TQRPaperSize PaperSize() const { return FPaperSize; }
  void SetPaperSize(TQRPaperSize Value);

  // A table paper answers its own size; Default and Custom the stored one.
  Integer PaperWidth() const;
  void SetPaperWidth(Integer Value) { FPaperWidth = Value; }
  Integer PaperLength() const;
  void SetPaperLength(Integer Value) { FPaperLength = Value; }

  String Title;
  bool PrintMetafile = false;
  bool UseStandardPrinter = false;
  bool UseExtendedDuplex = false;
  Integer ExtendedDuplex = 0;
  bool UseCustomBinCode = false;
  Integer CustomBinCode = 0;
  bool UseCustomPaperCode = false;
  Integer CustomPaperCode = 0;
  Integer PrintQuality = 0;
  Integer Collate = 0;
  Integer ColorOption = 0;
  Integer MemoryLimit = 250000;
  TQRPrinterSettingsEvent OnGetPrinterSettings;
  TQRPrinterSettingsEvent OnApplyPrinterSettings;

private:
  bool Advertised(Cardinal Bit) const { return !FDevMode || (FDevMode->Fields & Bit); }

  Integer FIndex = -1;
  String FDevice;
  String FDriver;
  String FPort;
  std::optional<TDeviceMode> FDevMode;
  Integer FCopies = 1;
  bool FDuplex = false;
  TPrinterOrientation FOrientation = poPortrait;
  TQRBin FOutputBin = TQRBin::First;
  TQRPaperSize FPaperSize = TQRPaperSize::A4;
  bool FPaperSizes[QRPaperSizeCount] = {};
  Integer FPaperWidth = 0;
  Integer FPaperLength = 0;
  Integer FPixelsPerX = 0;
  Integer FPixelsPerY = 0;
  Integer FTopOffset = 0;
  Integer FLeftOffset = 0;
  TPrinter* FPrinter = nullptr;   // not owned
};

// The device-independent choices a report keeps and applies to a job.
class TQRPrinterSettings : public TPersistent {
  VELMORA_CLASS(TQRPrinterSettings)
public:
  // Sets the checked choices and the title on a job's settings.
  void ApplySettings(TPrinterSettings& Settings) const;

  Integer Copies = 1;
  bool Duplex = false;
  TPrinterOrientation Orientation = poPortrait;
  TQRBin OutputBin = TQRBin::Auto;
  TQRPaperSize PaperSize = TQRPaperSize::Letter;
  Integer PrinterIndex = -1;
  String Title;
  Integer FirstPage = 0;
  Integer LastPage = 0;
  bool PrintMetafile = false;
  bool UseStandardPrinter = false;
  bool UseExtendedDuplex = false;
  Integer ExtendedDuplex = 0;
  Integer MemoryLimit = 1000000;
  Integer PrintQuality = 0;
  Integer Collate = 0;
  Integer ColorOption = 0;
  bool UseCustomBinCode = false;
  Integer CustomBinCode = 0;
  bool UseCustomPaperCode = false;
  Integer CustomPaperCode = 0;
};

// The paper set on the global printer; Default when it cannot be told.
TQRPaperSize DefaultPrinterPaperSize();
// The printer takes its driver's default settings for the next job.
void ResetPrinterDeviceMode(TPrinter* APrinter);

// ---------------------------------------------------------------------------
// The text encoding the export filters write their documents with: no
// preamble, and the bytes of this system's 8-bit text.

class TQRTextEncoding : public TEncoding {
public:
  String EncodingName() const override { return QStringLiteral("QRTextEncoding"); }
  QByteArray GetPreamble() const override { return QByteArray(); }
  QByteArray GetBytes(const String& S) const override { return S.toUtf8(); }
  String GetString(const QByteArray& Bytes) const override { return String::fromUtf8(Bytes); }
  Integer GetMaxByteCount(Integer /*CharCount*/) const { return 0; }
  Integer GetMaxCharCount(Integer ByteCount) const { return ByteCount; }
};

// ---------------------------------------------------------------------------
// The report printer: the output job of one report run.

class TCustomQRReport;

enum TQRPrinterDestination { qrdMetafile, qrdPrinter };
enum TQRPrinterStatus { mpReady, mpBusy, mpFinished };

// Messages to the job's client window (wParam: the value) and its master.
inline constexpr UINT CM_QRPROGRESSUPDATE = WM_USER;
inline constexpr UINT CM_QRPAGEAVAILABLE = WM_USER + 1;
inline constexpr UINT CM_QRPRINT = WM_USER + 2;
inline constexpr UINT CM_QRPREVIEWCLOSE = WM_USER + 4;

using TQRAfterPrintEvent = TNotifyEvent;
using TQRAfterPreviewEvent = TNotifyEvent;
using TQRExportToFilterEvent = std::function<void(TQRExportFilter* aFilter)>;
using TQRPrintSetupEvent = std::function<void()>;

// How a job opens its preview window; the preview unit installs its own.
class TQRPreviewInterface : public TComponent {
  VELMORA_CLASS(TQRPreviewInterface)
public:
  explicit TQRPreviewInterface(TComponent* AOwner) : TComponent(AOwner) {}
  virtual TWinControl* Show(TQRPrinter* /*AQRPrinter*/) { return nullptr; }
  virtual TWinControl* ShowModal(TQRPrinter* /*AQRPrinter*/) { return nullptr; }
};
using TQRPreviewInterfaceClass = std::function<std::unique_ptr<TQRPreviewInterface>()>;
// The class every job instantiates for its preview.
TQRPreviewInterfaceClass& QRPreviewInterfaceClass();

// Set when the pages of a loaded or previewed report are printed as stored
// instead of running the report again.
extern bool PrintStoredPages;

class TQRPrinter : public TPersistent {
  VELMORA_CLASS(TQRPrinter)
public:
  // parentrep: the report that runs the job, or nullptr.
  explicit TQRPrinter(TComponent* parentrep);
  ~TQRPrinter() override;

  void BeginDoc();
  void NewPage();
  void EndDoc();
  void AbortDoc();
  void Cancel() { FCancelled = true; }
  void Cleanup();

  // Report lengths (tenths of a millimetre) in pixels of the current canvas.
  Integer XPos(Extended Value) const;
  Integer YPos(Extended Value) const;
  Integer XSize(Extended Value) const;
  Integer YSize(Extended Value) const;

  // A stored page for 1..PageCount, nullptr while it is being drawn.
  std::unique_ptr<TMetafile> GetPage(Integer Value);
  void GetPageEx(Integer Value, std::unique_ptr<TMetafile>& AMetafile,
                 std::unique_ptr<std::vector<THyperlink>>& AHyperlinks);
  void AddHyperlink(const TRect& /*ARect*/, const String& /*AHyperlink*/) {}
  void AddOutline(Integer Level, const String& Caption, const TRect& Target);

  void Load(const String& FileName);
  void LoadFromStream(TStream* inStream);
  void Save(const String& FileName);

  void Print();
  void PrintMetafileDirect(const String& FileName, Integer FromPage, Integer ToPage);
  void Preview();
  void PreviewModal();
  void ClosePreview(TWinControl* Control);
  void ExportToFilter(TQRExportFilter* aFilter);
  void PrintSetup();

  TQRPrinterDestination Destination() const { return FDestination; }
  void SetDestination(TQRPrinterDestination Value) { FDestination = Value; }
  TQRPrinterStatus Status() const { return FStatus; }
  Integer PageCount() const { return FPageCount; }
  Integer PageNumber() const { return FPageNumber; }
  void SetPageNumber(Integer Value);
  Integer AvailablePages() const { return FAvailablePages; }
  void SetAvailablePages(Integer Value);
  Integer Progress() const { return FProgress; }
  void SetProgress(Integer Value);
  Integer MasterProgressStart() const { return FMasterProgressStart; }
  void SetMasterProgressStart(Integer Value) { FMasterProgressStart = Value; }
  Integer MasterProgressEnd() const { return FMasterProgressEnd; }
  void SetMasterProgressEnd(Integer Value) { FMasterProgressEnd = Value; }
  bool ShowingPreview() const { return FShowingPreview; }
  void SetShowingPreview(bool Value);
  const String& Title() const { return FTitle; }
  void SetTitle(const String& Value) { FTitle = Value; }
  bool Cancelled() const { return FCancelled; }
  // At creation the system had a printer, or the job prints to a file.
  bool PrinterOK() const { return FPrinterOK; }
  bool ReportLoaded() const { return FReportLoaded; }
  void SetReportLoaded(bool Value) { FReportLoaded = Value; }
  TComponent* ParentReport() const { return FParentReport; }
  TQRPageList* PageList() const { return FPageList.get(); }
  TWinControl* PreviewControl() const { return FPreviewControl; }
  TCanvas* Canvas() const { return FCanvas; }
  TWinControl* Client() const { return FClient; }
  void SetClient(TWinControl* Value) { FClient = Value; }
  TWinControl* Master() const { return FMaster; }
  void SetMaster(TWinControl* Value) { FMaster = Value; }
  TMetafile* Page() const { return FPage.get(); }
  Extended XFactor() const { return FXFactor; }
  Extended YFactor() const { return FYFactor; }
  Integer FirstPage() const { return FFirstPage; }
  void SetFirstPage(Integer Value) { FFirstPage = Value; }
  Integer LastPage() const { return FLastpage; }
  void SetLastPage(Integer Value) { FLastpage = Value; }
  bool Compression() const { return FPageList->Compression(); }
  void SetCompression(bool Value) { FPageList->SetCompression(Value); }
  Integer LeftWaste() const;
  Integer TopWaste() const;
  Integer PrinterIndex() const { return aPrinter->PrinterIndex(); }
  void SetPrinterIndex(Integer Value);
  QStringList Printers() const { return aPrinter->Printers(); }
  HDC PrinterHandle() const { return aPrinter->Handle(); }
  // Printing to this PDF file instead of a printer; empty: the printer.
  String OutputFileName() const { return aPrinter->FileName(); }
  void SetOutputFileName(const String& Value);

  TQRPaperSize PaperSize() const { return aPrinterSettings->PaperSize(); }
  void SetPaperSize(TQRPaperSize Value) { aPrinterSettings->SetPaperSize(Value); }
  Integer PaperWidth() const { return aPrinterSettings->PaperWidth(); }
  void SetPaperWidth(Integer Value) { aPrinterSettings->SetPaperWidth(Value); }
  Integer PaperLength() const { return aPrinterSettings->PaperLength(); }
  void SetPaperLength(Integer Value) { aPrinterSettings->SetPaperLength(Value); }
  TPrinterOrientation Orientation() const { return aPrinterSettings->Orientation(); }
  void SetOrientation(TPrinterOrientation Value) { aPrinterSettings->SetOrientation(Value); }
  Integer Copies() const { return aPrinterSettings->Copies(); }
  void SetCopies(Integer Value) { aPrinterSettings->SetCopies(Value); }
  bool Duplex() const { return aPrinterSettings->Duplex(); }
  void SetDuplex(bool Value) { aPrinterSettings->SetDuplex(Value); }
  TQRBin OutputBin() const { return aPrinterSettings->OutputBin(); }
  void SetOutputBin(TQRBin Value) { aPrinterSettings->SetOutputBin(Value); }
  bool PrintMetafile() const { return aPrinterSettings->PrintMetafile; }
  void SetPrintMetafile(bool Value) { aPrinterSettings->PrintMetafile = Value; }
  bool UseStandardPrinter() const { return aPrinterSettings->UseStandardPrinter; }
  void SetUseStandardPrinter(bool Value) { aPrinterSettings->UseStandardPrinter = Value; }
  bool UseExtendedDuplex() const { return aPrinterSettings->UseExtendedDuplex; }
  void SetUseExtendedDuplex(bool Value) { aPrinterSettings->UseExtendedDuplex = Value; }
  Integer ExtendedDuplex() const { return aPrinterSettings->ExtendedDuplex; }
  void SetExtendedDuplex(Integer Value) { aPrinterSettings->ExtendedDuplex = Value; }
  bool UseCustomBinCode() const { return aPrinterSettings->UseCustomBinCode; }
  void SetUseCustomBinCode(bool Value) { aPrinterSettings->UseCustomBinCode = Value; }
  Integer CustomBinCode() const { return aPrinterSettings->CustomBinCode; }
  void SetCustomBinCode(Integer Value) { aPrinterSettings->CustomBinCode = Value; }
  bool UseCustomPaperCode() const { return aPrinterSettings->UseCustomPaperCode; }
  void SetUseCustomPaperCode(bool Value) { aPrinterSettings->UseCustomPaperCode = Value; }
  Integer CustomPaperCode() const { return aPrinterSettings->CustomPaperCode; }
  void SetCustomPaperCode(Integer Value) { aPrinterSettings->CustomPaperCode = Value; }
  Integer PrintQuality() const { return aPrinterSettings->PrintQuality; }
  void SetPrintQuality(Integer Value) { aPrinterSettings->PrintQuality = Value; }
  Integer Collate() const { return aPrinterSettings->Collate; }
  void SetCollate(Integer Value) { aPrinterSettings->Collate = Value; }
  Integer ColorOption() const { return aPrinterSettings->ColorOption; }
  void SetColorOption(Integer Value) { aPrinterSettings->ColorOption = Value; }
  TQRPrinterSettingsEvent OnGetPrinterSettings() const { return aPrinterSettings->OnGetPrinterSettings; }
  void SetOnGetPrinterSettings(const TQRPrinterSettingsEvent& Value) { aPrinterSettings->OnGetPrinterSettings = Value; }
  TQRPrinterSettingsEvent OnApplyPrinterSettings() const { return aPrinterSettings->OnApplyPrinterSettings; }
  void SetOnApplyPrinterSettings(const TQRPrinterSettingsEvent& Value) { aPrinterSettings->OnApplyPrinterSettings = Value; }
  // The page as laid out, in tenths of a millimetre (landscape: exchanged).
  Integer PaperWidthValue() const;
  Integer PaperLengthValue() const;
  // The screen's dots per inch against the logical 96.
  double CurrentScreenDPI() const { return 1.0; }

  TNotifyEvent OnPreview;
  TQRExportToFilterEvent OnExportToFilter;
  TQRPrintSetupEvent OnPrintSetup;
  TQRAfterPrintEvent AfterPrint;
  TQRAfterPreviewEvent AfterPreview;

  std::unique_ptr<TPrinterSettings> aPrinterSettings;
  Extended DPLeftMargin = 0;
  Extended DPTopmargin = 0;
  bool IsPrinting = false;

private:
  TCustomQRReport* Report() const;
  bool PageInRange(Integer Page) const;
  void StartMetafilePage();
  void StartPrinterPage();
  void ClosePage(bool Store);
  void FreePage();
  void PostClient(UINT Msg, Integer Value);
  void SetScreenFactors();
  void SetPrinterFactors(TPrinter* APrinter, Extended LowFactor);
  void PrintStoredPage(Integer Index, TCustomQRReport* ParentRep);
  void DetectPaper();

  std::unique_ptr<TPrinter> FOwnPrinter;
  TPrinter* aPrinter = nullptr;
  TComponent* FParentReport = nullptr;
  // Written by the generating thread, read by the preview on the GUI thread.
  std::atomic<Integer> FAvailablePages{0};
  std::atomic<bool> FCancelled{false};
  TCanvas* FCanvas = nullptr;
  TQRPrinterDestination FDestination = qrdMetafile;
  Integer FFirstPage = 0;
  Integer FLastpage = 0;
  Integer FLeftWaste = 0;
  std::atomic<TWinControl*> FClient{nullptr};
  TWinControl* FMaster = nullptr;
  std::unique_ptr<TMetafile> FMetafile;
  std::unique_ptr<TMetafileCanvas> FMetafileCanvas;
  std::unique_ptr<TMetafile> FPage;
  std::atomic<Integer> FPageCount{0};
  std::atomic<Integer> FPageNumber{0};
  bool FPrinterOK = false;
  std::atomic<Integer> FProgress{0};
  Integer FMasterProgressStart = 0;
  Integer FMasterProgressEnd = 0;
  String FTitle;
  Integer FTopWaste = 0;
  bool FShowingPreview = false;
  std::atomic<TQRPrinterStatus> FStatus{mpReady};
  Extended FXFactor = 0.37795;
  Extended FYFactor = 0.37795;
  std::unique_ptr<TQRPageList> FPageList;
  TWinControl* FPreviewControl = nullptr;
  bool FReportLoaded = false;
};

// The 1-based position of SubText in Text, 0 when absent.
Integer QRPos(const String& SubText, const String& Text);
