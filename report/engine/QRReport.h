// QRReport.h: the report model: lengths in native units (tenths of a
// millimetre) and their conversion, the page, the sizes of bands and
// controls, frames, the panel base of reports and bands, and the printable
// control base.
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "report/engine/QRPrntr.h"

#include <vector>

class TCustomQRReport;
class TQRCustomBand;
class TQRFrameline;
class TQRPrintable;

// The order is stored in forms.
enum class TQRUnit { MM, Inches, Pixels, Characters, Native };
enum class TQRPrintOrder { ColByCol, RowByRow };

// Every length is measured at this fixed logical resolution, whatever the
// screen, so that layouts break alike on every machine.
inline constexpr Integer QRLogicalPixelsPerInch = 96;

// The unit new reports start in (the program's locale is metric).
TQRUnit QRDefaultUnits();

// ---------------------------------------------------------------------------
// Lengths in native units, shown in a chosen unit.

class TQRUnitBase : public TPersistent {
  VELMORA_CLASS(TQRUnitBase)
public:
  TQRUnitBase();

  virtual Extended NativeToUnits(TQRUnit AUnits, bool Horizontal, Extended Value) const;
  virtual Extended UnitsToNative(TQRUnit AUnits, bool Horizontal, Extended Value) const;
  virtual TQRUnit GetUnits() const { return FUnits; }
  virtual void Loaded() { SetParentSizes(); }
  virtual void ReadValues(TReader& Reader);
  virtual void SetParentSizes() {}
  virtual void SetUnits(TQRUnit Value) { FUnits = Value; }
  virtual void WriteValues(TWriter& Writer);

  TQRUnit Units() const { return GetUnits(); }
  // A temporary switch to pixels, always undone by RestoreUnits.
  void SetPixels();
  void RestoreUnits();
  Integer Resolution() const { return FResolution; }
  Integer Zoom() const { return FZoom; }
  void SetZoom(Integer Value) { FZoom = Value; }
  TCustomQRReport* ParentReport() const { return FParentReport; }
  void SetParentReport(TCustomQRReport* Value) { FParentReport = Value; }
  bool ParentUpdating() const { return FParentUpdating; }

protected:
  void DefineProperties(TFiler& Filer) override;
  // The native values in the order they are stored.
  virtual std::vector<Extended*> StoredValues() = 0;
  Extended Converted(Extended Native, bool Horizontal) const { return NativeToUnits(FUnits, Horizontal, Native); }
  Extended ToNative(Extended Value, bool Horizontal) const { return UnitsToNative(FUnits, Horizontal, Value); }

  Integer FResolution = QRLogicalPixelsPerInch;
  TQRUnit FUnits = TQRUnit::MM;
  TQRUnit SavedUnits = TQRUnit::MM;
  TCustomQRReport* FParentReport = nullptr;
  bool FParentUpdating = false;
  Integer FZoom = 100;
};

// The paper, its margins and the columns of a report.
class TQRPage : public TQRUnitBase {
  VELMORA_CLASS(TQRPage)
public:
  explicit TQRPage(TCustomQRReport* AParent = nullptr);

  void SetParentSizes() override;
  void SetUnits(TQRUnit Value) override;

  // By index: 0 bottom margin, 1 length, 2 top margin, 3 width, 4 left
  // margin, 5 right margin, 6 column space.
  Extended GetValue(Integer Index) const;
  void SetValue(Integer Index, Extended Value);
  Extended BottomMargin() const { return GetValue(0); }
  void SetBottomMargin(Extended Value) { SetValue(0, Value); }
  Extended Length() const { return GetValue(1); }
  void SetLength(Extended Value) { SetValue(1, Value); }
  Extended TopMargin() const { return GetValue(2); }
  void SetTopMargin(Extended Value) { SetValue(2, Value); }
  Extended Width() const { return GetValue(3); }
  void SetWidth(Extended Value) { SetValue(3, Value); }
  Extended LeftMargin() const { return GetValue(4); }
  void SetLeftMargin(Extended Value) { SetValue(4, Value); }
  Extended RightMargin() const { return GetValue(5); }
  void SetRightMargin(Extended Value) { SetValue(5, Value); }
  Extended ColumnSpace() const { return GetValue(6); }
  void SetColumnSpace(Extended Value) { SetValue(6, Value); }
  Integer Columns() const { return FColumns; }
  void SetColumns(Integer Value);
  TPrinterOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TPrinterOrientation Value);
  TQRPaperSize PaperSize() const { return FPaperSize; }
  void SetPaperSize(TQRPaperSize Value);
  TQRPrintOrder PrintOrder() const { return FPrintOrder; }
  bool Ruler() const { return FRuler; }
  void SetRuler(bool Value);
  bool Continuous() const { return FContinuous; }
  void SetContinuous(bool Value) { FContinuous = Value; }
  TCustomQRReport* Parent() const { return FParent; }

protected:
  std::vector<Extended*> StoredValues() override;

private:
  void Repaint();

  Extended FBottomMargin = 0;
  Extended FColumnSpace = 0;
  Integer FColumns = 1;
  Extended FLeftMargin = 0;
  Extended FLength = 0;
  TPrinterOrientation FOrientation = poPortrait;
  TQRPaperSize FPaperSize = TQRPaperSize::Default;
  TQRPrintOrder FPrintOrder = TQRPrintOrder::ColByCol;
  Extended FRightMargin = 0;
  bool FRuler = true;
  Extended FTopMargin = 0;
  Extended FWidth = 0;
  TCustomQRReport* FParent = nullptr;
  bool FContinuous = false;
};

// A band's width and length.
class TQRBandSize : public TQRUnitBase {
  VELMORA_CLASS(TQRBandSize)
public:
  explicit TQRBandSize(TQRCustomBand* AParent = nullptr);

  void SetParentSizes() override;

  Extended Height() const { return Converted(FLength, false); }
  void SetHeight(Extended Value);
  Extended Length() const { return Height(); }
  void SetLength(Extended Value) { SetHeight(Value); }
  Extended Width() const { return Converted(FWidth, true); }
  void SetWidth(Extended Value);

protected:
  std::vector<Extended*> StoredValues() override { return {&FLength, &FWidth}; }

private:
  Extended FWidth = 40;
  Extended FLength = 20;
  TQRCustomBand* Parent = nullptr;
};

// A printable control's position and size.
class TQRPrintableSize : public TQRUnitBase {
  VELMORA_CLASS(TQRPrintableSize)
public:
  explicit TQRPrintableSize(TQRPrintable* AParent = nullptr);

  void SetParentSizes() override;

  // By index: 0 height, 1 left, 2 top, 3 width; any other index only pushes.
  Extended GetValue(Integer Index) const;
  void SetValue(Integer Index, Extended Value);
  Extended Height() const { return GetValue(0); }
  void SetHeight(Extended Value) { SetValue(0, Value); }
  Extended Left() const { return GetValue(1); }
  void SetLeft(Extended Value) { SetValue(1, Value); }
  Extended Top() const { return GetValue(2); }
  void SetTop(Extended Value) { SetValue(2, Value); }
  Extended Width() const { return GetValue(3); }
  void SetWidth(Extended Value) { SetValue(3, Value); }

protected:
  std::vector<Extended*> StoredValues() override { return {&FHeight, &FLeft, &FTop, &FWidth}; }

private:
  // The zoom of the panel the control stands on, for pixel values.
  Extended PanelZoom() const;

  Extended FHeight = 20;
  Extended FLeft = 20;
  Extended FTop = 20;
  Extended FWidth = 20;
  TQRPrintable* Parent = nullptr;
};

// The frame of a report, band or control: which sides, how wide (points).
class TQRFrame : public TPersistent {
  VELMORA_CLASS(TQRFrame)
public:
  TQRFrame() = default;
  void Assign(TPersistent* Source) override;

  bool AnyFrame() const { return FTop || FBottom || FLeft || FRight; }
  void SetPen(TPen* Pen) const;
  // Rect in device units; the factors are device units per tenth of a
  // millimetre.
  void PaintIt(TCanvas* ACanvas, const TRect& ARect, Extended XFactor, Extended YFactor);
  // The strips' thicknesses for the factors: left/right and top/bottom.
  Integer VerticalThickness(Extended XFactor) const;
  Integer HorizontalThickness(Extended YFactor) const;

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool DrawTop() const { return FTop; }
  void SetDrawTop(bool Value);
  bool DrawBottom() const { return FBottom; }
  void SetDrawBottom(bool Value);
  bool DrawLeft() const { return FLeft; }
  void SetDrawLeft(bool Value);
  bool DrawRight() const { return FRight; }
  void SetDrawRight(bool Value);
  TPenStyle Style() const { return FPenStyle; }
  void SetStyle(TPenStyle Value);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);
  TControl* Parent() const { return FParent; }
  void SetParent(TControl* Value) { FParent = Value; }

private:
  struct TFrameLine {
    TQRFrameline* Line;
    Integer X;
  };
  void Changed();
  std::vector<TFrameLine> FrameLines(const TRect& ARect) const;
  static TCustomQRReport* ReportOf(TControl* Owner);
  void ExportTo(TCustomQRReport* Report, const TRect& R, Integer TV, Integer TH,
                const std::vector<TFrameLine>& Lines);

  TColor FColor = clBlack;
  bool FBottom = false;
  bool FLeft = false;
  TControl* FParent = nullptr;
  TPenStyle FPenStyle = psSolid;
  bool FRight = false;
  bool FTop = false;
  Integer FWidth = 1;
};

// ---------------------------------------------------------------------------
// The panel base of reports and bands.

class TQRBasePanel : public TCustomPanel {
  VELMORA_CLASS(TQRBasePanel)
  using inherited = TCustomPanel;
public:
  explicit TQRBasePanel(TComponent* AOwner);
  ~TQRBasePanel() override;

  Integer Zoom() const { return FZoom; }
  virtual void SetZoom(Integer Value);
  TQRFrame* Frame() const { return FFrame.get(); }
  Integer FontSize() const { return FFontSize; }

protected:
  Integer FFontSize = 12;
  Integer FZoom = 100;
  std::unique_ptr<TQRFrame> FFrame;
};

// The band base: what controls and frames read of their band. Band
// printing and placing are built on it.
class TQRCustomBand : public TQRBasePanel {
  VELMORA_CLASS(TQRCustomBand)
  using inherited = TQRBasePanel;
public:
  explicit TQRCustomBand(TComponent* AOwner);
  ~TQRCustomBand() override;

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void SetZoom(Integer Value) override;
  void Loaded() override;

  TQRBandSize* Size() const { return FSize.get(); }
  TCustomQRReport* ParentReport() const { return FParentReport; }
  void SetParentReport(TCustomQRReport* Value);
  bool TransparentBand() const { return FTransparentBand; }
  void SetTransparentBand(bool Value) { FTransparentBand = Value; }
  // The printable controls on the band.
  std::vector<TQRPrintable*> Printables() const;

private:
  std::unique_ptr<TQRBandSize> FSize;
  TCustomQRReport* FParentReport = nullptr;
  bool FTransparentBand = false;
};

using TQRNotifyEvent = std::function<void(TCustomQRReport* Sender)>;

// The report base: what pages, sizes, frames, controls and the printer job
// read of their report. The generation is built on it.
class TCustomQRReport : public TQRBasePanel {
  VELMORA_CLASS(TCustomQRReport)
  using inherited = TQRBasePanel;
public:
  explicit TCustomQRReport(TComponent* AOwner);
  ~TCustomQRReport() override;

  void SetZoom(Integer Value) override;
  void Loaded() override;

  TQRPage* Page() const { return FPage.get(); }
  TQRPrinterSettings* PrinterSettings() const { return FPrinterSettings.get(); }
  // The units of the page, the bands and the controls.
  TQRUnit Units() const { return FPage->Units(); }
  void SetUnits(TQRUnit Value);
  // The printer job of the current or last run; not owned here.
  TQRPrinter* QRPrinter() const { return FQRPrinter; }
  void SetQRPrinter(TQRPrinter* Value) { FQRPrinter = Value; }
  // Writing attaches a filter; Exporting tells whether one is attached.
  TQRExportFilter* ExportFilter() const { return FExportFilter; }
  void SetExportFilter(TQRExportFilter* Value);
  bool Exporting() const { return FExporting; }
  bool FinalPass() const { return FFinalPass; }
  void SetFinalPass(bool Value) { FFinalPass = Value; }
  bool ShowProgress() const { return FShowProgress; }
  void SetShowProgress(bool Value) { FShowProgress = Value; }
  bool PreparingDesignTime() const { return FPreparingDesignTime; }
  void SetPreparingDesignTime(bool Value) { FPreparingDesignTime = Value; }
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }
  // Places the bands after a change of the page (the band layout's part).
  virtual void SetBandValues() {}

  // Page flow of a run: ends the page before, starts the next one on the job
  // and, while exporting, tells the filter (EndPage also before page 1).
  void NewPage(bool printHeaders = true);
  void EndPage();
  // The printables placed on the report itself, and the report's frame.
  void PrintReportControls();
  Integer PageNumber() const { return FPagecount; }
  Integer CurrentX() const { return FCurrentX; }
  Integer CurrentY() const { return FCurrentY; }
  bool LastPage() const { return FLastPage; }
  void SetLastPage(bool Value) { FLastPage = Value; }
  // The bands on the report.
  std::vector<TQRCustomBand*> Bands() const;

  TQRAfterPrintEvent AfterPrint;
  TQRNotifyEvent OnStartPage;
  TQRNotifyEvent OnEndPage;

private:
  Integer FPagecount = 0;
  Integer FCurrentX = 0;
  Integer FCurrentY = -1;
  bool FLastPage = false;
  std::unique_ptr<TQRPage> FPage;
  std::unique_ptr<TQRPrinterSettings> FPrinterSettings;
  TQRPrinter* FQRPrinter = nullptr;
  TQRExportFilter* FExportFilter = nullptr;
  bool FExporting = false;
  bool FFinalPass = true;
  bool FShowProgress = true;
  bool FPreparingDesignTime = false;
  bool FModified = false;
};

// The report placed on report forms.
class TQRReport : public TCustomQRReport {
  VELMORA_CLASS(TQRReport)
public:
  using TCustomQRReport::TCustomQRReport;
};

// ---------------------------------------------------------------------------
// The printable control base.

class TQRPrintableEditor;
// The editor class of a control (its designer's part).
using TQRPrintableEditorClass = TClass;

// Operation 2 of ReceiveNotify: the band's bounds changed.
inline constexpr Integer qrBandBoundsChanged = 2;

class TQRPrintable : public TCustomControl {
  VELMORA_CLASS(TQRPrintable)
  using inherited = TCustomControl;
public:
  explicit TQRPrintable(TComponent* AOwner);
  ~TQRPrintable() override;

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void SetParent(TWinControl* AParent) override;
  void Loaded() override;

  virtual bool ShouldPrint() const;
  virtual TQRPrintableEditorClass GetEditorClass() const;
  virtual void ApplyAlignToBand();
  virtual void Prepare();
  virtual void Print(Integer OfsX, Integer OfsY);
  virtual void ReceiveNotify(TObject* Sender, Integer Operation);
  virtual void SetAlignment(TAlignment Value);
  virtual void Unprepare();
  virtual void GetExpandedHeight(Extended& /*wheight*/) {}
  virtual void GetFieldString(String& /*DataStr*/) {}

  TAlignment Alignment() const { return FAlignment; }
  bool AlignToBand() const { return FAlignToBand; }
  void SetAlignToBand(bool Value);
  TQRFrame* Frame() const { return FFrame.get(); }
  void SetFrame(TQRFrame* Value);
  TQRPrintableSize* Size() const { return FSize.get(); }
  bool Transparent() const;
  void SetTransparent(bool Value);
  Integer Zoom() const { return FSize->Zoom(); }
  void SetZoom(Integer Value);
  TCustomQRReport* ParentReport() const { return FParentReport; }
  void SetParentReport(TCustomQRReport* Value) { FParentReport = Value; }
  TQRPrinter* QRPrinter() const { return FQRPrinter; }
  bool IsPrinting() const { return FIsPrinting; }
  bool PrintFinished() const { return FPrintFinished; }
  void SetPrintFinished(bool Value) { FPrintFinished = Value; }
  TExportType ExportAs() const { return FExportAs; }
  void SetExportAs(TExportType Value) { FExportAs = Value; }
  Integer XLColumn() const { return FXLColumn; }
  void SetXLColumn(Integer Value) { FXLColumn = Value; }
  TXLNumFormat XLNumFormat() const { return FXLNumFormat; }
  void SetXLNumFormat(TXLNumFormat Value) { FXLNumFormat = Value; }
  bool ActiveInPreview() const { return FActiveInPreview; }
  void SetActiveInPreview(bool Value) { FActiveInPreview = Value; }
  TQRPrintableEditorClass EditorClass() const { return GetEditorClass(); }

  String FAPriority;
  String FAColumn;
  String FAShrinkMode;

protected:
  void Paint() override;
  bool Loading() const;

  bool AlignUpdating = false;
  TAlignment FAlignment = taLeftJustify;
  bool FAlignToBand = false;
  bool ButtonDown = false;
  std::unique_ptr<TQRFrame> FFrame;
  bool FIsPrinting = false;
  TCustomQRReport* FParentReport = nullptr;
  bool FPrintFinished = true;
  TQRPrinter* FQRPrinter = nullptr;
  std::unique_ptr<TQRPrintableSize> FSize;
  Integer LoadedTop = 0;
  Integer LoadedWidth = 0;
  Integer LoadedHeight = 0;
  Integer LoadedLeft = 0;
  TExportType FExportAs = exptText;
  Integer FXLColumn = 0;
  TXLNumFormat FXLNumFormat = nfGeneral;
  bool FActiveInPreview = false;
};

// How an editor dialog reads and writes a control's common properties.
class TQRPrintableEditor : public TObject {
  VELMORA_CLASS(TQRPrintableEditor)
public:
  explicit TQRPrintableEditor(TQRPrintable* AControl) : FControl(AControl) {}

  virtual TColor GetColor() const { return 0; }
  virtual TFont* GetFont() const { return nullptr; }
  virtual TClass GetPrintableClass() const { return TQRPrintable::StaticClass(); }
  virtual String GetValue() const { return String(); }
  virtual String GetGlyphResName() const { return String(); }
  virtual String GetControlName() const { return String(); }
  virtual TAlignment GetAlignment() const { return taLeftJustify; }
  virtual void SetAlignment(TAlignment) {}
  virtual void SetColor(TColor) {}
  virtual void SetFont(TFont*) {}
  virtual void SetValue(const String& Value) = 0;
  // Opens the editor; whether something changed.
  virtual bool ShowEditor() = 0;

  TColor Color() const { return GetColor(); }
  TFont* Font() const { return GetFont(); }
  TClass PrintableClass() const { return GetPrintableClass(); }
  String Value() const { return GetValue(); }
  String GlyphResName() const { return GetGlyphResName(); }
  String ControlName() const { return GetControlName(); }
  TQRPrintable* Control() const { return FControl; }

protected:
  TQRPrintable* FControl;
};

// Registers the report classes with the form-description reader.
void RegisterQRReportClasses();
