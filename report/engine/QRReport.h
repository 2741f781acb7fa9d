// QRReport.h: the report model: lengths in native units (tenths of a
// millimetre) and their conversion, the page, the sizes of bands and
// controls, frames, the panel base of reports and bands, and the printable
// control base.
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "report/engine/QRExpr.h"
#include "report/engine/QRPageInfo.h"
#include "report/engine/QRPrntr.h"

#include "platform/rtl/SyncObjs.h"

#include <atomic>
#include <mutex>
#include <thread>

#include <vector>

class TCustomForm;
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

// ---------------------------------------------------------------------------
// Bands.

// The order is stored in forms.
enum TQRBandType {
  rbTitle, rbPageHeader, rbDetail, rbPageFooter, rbSummary, rbGroupHeader, rbGroupFooter, rbSubDetail,
  rbColumnHeader, rbOverlay, rbWild, rbChild
};
enum TCBPrintOrder { cboBeforeParent, cboAfterParent, cboBeforeAndAfter };

// The display name of a band type and the base name of new bands of it.
String QRBandTypeName(TQRBandType Type);
String QRBandBaseName(TQRBandType Type);

class TQRChildBand;
class TQRCustomController;

using TQRBandBeforePrintEvent = std::function<void(TQRCustomBand* Sender, bool& PrintBand)>;
using TQRBandAfterPrintEvent = std::function<void(TQRCustomBand* Sender, bool BandPrinted)>;

class TQRCustomBand : public TQRBasePanel {
  VELMORA_CLASS(TQRCustomBand)
  using inherited = TQRBasePanel;
public:
  explicit TQRCustomBand(TComponent* AOwner);
  ~TQRCustomBand() override;

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void SetZoom(Integer Value) override;
  void SetParent(TWinControl* AParent) override;
  void SetEnabled(bool Value) override;
  void Loaded() override;

  virtual String GetBandTypeName() const { return QRBandTypeName(FQRBandType); }
  virtual String GetBaseName() const { return QRBandBaseName(FQRBandType); }
  virtual void SetParentReport(TCustomQRReport* Value);

  // Prints the band at the report's current position (the report calls it
  // through PrintBand).
  void Print();
  // Moves to a new column or page unless the band fits where it stands.
  void MakeSpace();
  void ExpandedHeight(Extended& NewHeight);
  bool CanExpand(Extended Value);
  bool ExpandBand(Extended Value, Extended& NewExpanded, bool& HasExpanded);
  // The room the band needs, with the bands linked to it.
  Extended LinkedHeight(bool FollowLink = true) const;
  TQRPrintable* AddPrintable(const std::function<TQRPrintable*(TComponent* Owner)>& Make);
  // Moves the band on the design surface without touching its size.
  void PlaceAt(Integer ALeft, Integer ATop);

  TQRBandSize* Size() const { return FSize.get(); }
  TCustomQRReport* ParentReport() const { return FParentReport; }
  bool TransparentBand() const { return FTransparentBand; }
  void SetTransparentBand(bool Value) { FTransparentBand = Value; }
  // The printable controls on the band.
  std::vector<TQRPrintable*> Printables() const;
  TQRBandType BandType() const { return FQRBandType; }
  void SetBandType(TQRBandType Value);
  TQRChildBand* ChildBand() const;
  bool HasChild() const { return ChildBand() != nullptr; }
  void SetHasChild(bool Value);
  TQRCustomBand* LinkBand() const { return FLinkBand; }
  void SetLinkBand(TQRCustomBand* Value);
  bool ForceNewPage() const { return FForceNewPage; }
  void SetForceNewPage(bool Value) { FForceNewPage = Value; }
  bool ForceNewColumn() const { return FForceNewColumn; }
  void SetForceNewColumn(bool Value) { FForceNewColumn = Value; }
  bool AlignToBottom() const { return FAlignToBottom; }
  void SetAlignToBottom(bool Value) { FAlignToBottom = Value; }
  bool KeepOnOnePage() const { return FKeepOnOnePage; }
  void SetKeepOnOnePage(bool Value) { FKeepOnOnePage = Value; }
  bool PreCaluculateBandHeight() const { return FPreCaluculateBandHeight; }
  void SetPreCaluculateBandHeight(bool Value) { FPreCaluculateBandHeight = Value; }
  bool BandEnabled() const { return FEnabled; }
  TQRCustomController* NotifyController() const { return FNotifyController; }
  void SetNotifyController(TQRCustomController* Value) { FNotifyController = Value; }
  bool PrintedInHeader() const { return FPrintedInHeader; }
  void SetPrintedInHeader(bool Value) { FPrintedInHeader = Value; }
  Extended Expanded() const { return FExpanded; }
  const TRect& FrameRect() const { return BandFrameRect; }

  TQRBandBeforePrintEvent BeforePrint;
  TQRBandAfterPrintEvent AfterPrint;
  // A group header enables its child band before it prints, disables after.
  bool autoActivateChild = false;

protected:
  friend class TCustomQRReport;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Prints the child band when its order matches one of Orders.
  void PrintChild(bool Before);
  void PrintControls();
  void ExportBackground();

  TRect BandFrameRect;
  Extended FExpanded = 0;
  Extended FExpandedHeight = 0;
  bool FPreCaluculateBandHeight = false;
  bool FKeepOnOnePage = false;
  bool FAlignToBottom = false;
  bool FEnabled = true;
  bool FForceNewColumn = false;
  bool FForceNewPage = false;
  TQRCustomBand* FLinkBand = nullptr;
  TCustomQRReport* FParentReport = nullptr;
  bool FTransparentBand = false;
  TQRBandType FQRBandType = rbTitle;
  Integer LoadedHeight = 40;
  TQRCustomController* FNotifyController = nullptr;
  bool FPrintedInHeader = false;
  bool suppressBeforePrint = false;
  bool FPlacing = false;

private:
  std::unique_ptr<TQRBandSize> FSize;
};

// A band of a chosen type.
class TQRBand : public TQRCustomBand {
  VELMORA_CLASS(TQRBand)
public:
  using TQRCustomBand::TQRCustomBand;
};

// A band that prints right before or after its parent band.
class TQRChildBand : public TQRCustomBand {
  VELMORA_CLASS(TQRChildBand)
public:
  explicit TQRChildBand(TComponent* AOwner);
  TQRCustomBand* ParentBand() const { return FParentBand; }
  void SetParentBand(TQRCustomBand* Value);
  TCBPrintOrder PrintOrder() const { return FPrintOrder; }
  void SetPrintOrder(TCBPrintOrder Value) { FPrintOrder = Value; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TQRCustomBand* FParentBand = nullptr;
  TCBPrintOrder FPrintOrder = cboAfterParent;
};

// The report's Bands sub-object: which of the standard bands it has.
class TQRReportBands : public TPersistent {
  VELMORA_CLASS(TQRReportBands)
public:
  explicit TQRReportBands(TCustomQRReport* AOwner) : FOwner(AOwner) {}
  TQRCustomBand* BandOfType(TQRBandType Type) const;
  bool HasBand(TQRBandType Type) const { return BandOfType(Type) != nullptr; }
  // Creates or destroys the first band of the type.
  void SetHasBand(TQRBandType Type, bool Value);

  bool HasTitle() const { return HasBand(rbTitle); }
  void SetHasTitle(bool V) { SetHasBand(rbTitle, V); }
  bool HasPageHeader() const { return HasBand(rbPageHeader); }
  void SetHasPageHeader(bool V) { SetHasBand(rbPageHeader, V); }
  bool HasColumnHeader() const { return HasBand(rbColumnHeader); }
  void SetHasColumnHeader(bool V) { SetHasBand(rbColumnHeader, V); }
  bool HasDetail() const { return HasBand(rbDetail); }
  void SetHasDetail(bool V) { SetHasBand(rbDetail, V); }
  bool HasPageFooter() const { return HasBand(rbPageFooter); }
  void SetHasPageFooter(bool V) { SetHasBand(rbPageFooter, V); }
  bool HasSummary() const { return HasBand(rbSummary); }
  void SetHasSummary(bool V) { SetHasBand(rbSummary, V); }
  TQRCustomBand* TitleBand() const { return BandOfType(rbTitle); }
  TQRCustomBand* PageHeaderBand() const { return BandOfType(rbPageHeader); }
  TQRCustomBand* ColumnHeaderBand() const { return BandOfType(rbColumnHeader); }
  TQRCustomBand* DetailBand() const { return BandOfType(rbDetail); }
  TQRCustomBand* ColumnFooterBand() const { return nullptr; }
  TQRCustomBand* PageFooterBand() const { return BandOfType(rbPageFooter); }
  TQRCustomBand* SummaryBand() const { return BandOfType(rbSummary); }

private:
  TCustomQRReport* FOwner;
};

// ---------------------------------------------------------------------------
// Controllers, groups and sub-details.

class TQRGroup;
using TQROnNeedDataEvent = std::function<void(TObject* Sender, bool& MoreData)>;

// Runs a data loop: a header once, a detail per record, groups around the
// records and nested controllers before or after each detail, a footer.
class TQRCustomController : public TComponent {
  VELMORA_CLASS(TQRCustomController)
public:
  explicit TQRCustomController(TComponent* AOwner);
  ~TQRCustomController() override;

  virtual void GetValue(TQREvResult& Value);
  virtual void RegisterClients();
  virtual void Execute();
  virtual void Prepare();
  virtual void Unprepare();
  virtual void RunAfterClients();
  virtual void RunBeforeClients();
  virtual void PrintEmpty();
  virtual void RegisterBands(const std::function<void(TQRCustomBand*)>& Register);
  virtual void AddDataSets() {}
  virtual void SetPrintBefore(bool Value) { FPrintBefore = Value; }

  void AddNotifyClient(TQRPrintable* Value) { NotifyList.push_back(Value); }
  void NotifyClients(Integer Operation);

  TComponent* Master() const { return FMaster; }
  void SetMaster(TComponent* Value);
  TCustomQRReport* ParentReport() const { return FParentReport; }
  void SetParentReport(TCustomQRReport* Value) { FParentReport = Value; }
  TComponent* SelfCheck() const { return FSelfCheck; }
  void SetSelfCheck(TComponent* Value) { FSelfCheck = Value; }
  bool PrintBefore() const { return FPrintBefore; }
  bool PrintIfEmpty() const { return FPrintIfEmpty; }
  void SetPrintIfEmpty(bool Value) { FPrintIfEmpty = Value; }
  TComponent* OrgOwner() const { return FOrgOwner; }
  const std::vector<TQRGroup*>& Groups() const { return GroupList; }
  Integer DetailNumber() const { return FDetailNumber; }

  // Bands reprinted at the top of every page and column, by name.
  std::vector<std::pair<String, TQRCustomBand*>> ColHeaders;

protected:
  // The groups' part of the loop.
  bool CheckGroups();
  void PrintGroupHeaders();
  void PrintGroupFooters();
  bool ReportCancelled() const;

  TComponent* FOrgOwner = nullptr;
  TComponent* FMaster = nullptr;
  std::vector<TQRCustomController*> PrintAfterList;
  std::vector<TQRCustomController*> PrintBeforeList;
  std::vector<TQRGroup*> GroupList;
  bool FPrintIfEmpty = true;
  TComponent* FSelfCheck = nullptr;
  TCustomQRReport* FParentReport = nullptr;
  bool FPrintBefore = false;
  std::vector<TQRPrintable*> NotifyList;
  TQREvElement* EvConstant = nullptr;
  Integer FDetailNumber = 0;
};

// A controller over a dataset, or over OnNeedData when it has none.
class TQRController : public TQRCustomController {
  VELMORA_CLASS(TQRController)
public:
  using TQRCustomController::TQRCustomController;

  void Execute() override;
  void PrintEmpty() override;
  void RegisterBands(const std::function<void(TQRCustomBand*)>& Register) override;
  void AddDataSets() override;

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* Value);
  TQRCustomBand* Detail() const { return FDetail; }
  void SetDetail(TQRCustomBand* Value) { FDetail = Value; }
  TQRCustomBand* Header() const { return FHeader; }
  void SetHeader(TQRCustomBand* Value) { FHeader = Value; }
  TQRCustomBand* Footer() const { return FFooter; }
  void SetFooter(TQRCustomBand* Value) { FFooter = Value; }

  TQROnNeedDataEvent OnNeedData;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TDataSet* FDataSet = nullptr;
  TQRCustomBand* FDetail = nullptr;
  TQRCustomBand* FFooter = nullptr;
  TQRCustomBand* FHeader = nullptr;
};

// A header band printed when its expression changes value, with a footer
// band printed before the next change.
class TQRGroup : public TQRCustomBand {
  VELMORA_CLASS(TQRGroup)
  using inherited = TQRCustomBand;
public:
  explicit TQRGroup(TComponent* AOwner);
  ~TQRGroup() override;

  void SetParent(TWinControl* AParent) override;

  const String& Expression() const { return FExpression; }
  void SetExpression(const String& Value) { FExpression = Value; }
  TQRCustomBand* FooterBand() const { return FFooterBand; }
  void SetFooterBand(TQRCustomBand* Value);
  TComponent* Master() const { return FMaster; }
  void SetMaster(TComponent* Value);
  bool ReprintOnNewPage() const { return FReprintOnNewPage; }
  void SetReprintOnNewPage(bool Value) { FReprintOnNewPage = Value; }
  bool InGroup() const { return FInGroup; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TQRCustomController;
  friend class TQRController;
  void Prepare();
  void Unprepare();
  void CheckValue();

  std::unique_ptr<TQREvaluator> Evaluator;
  String FExpression;
  TQRCustomBand* FFooterBand = nullptr;
  TComponent* FMaster = nullptr;
  bool FReprint = false;
  bool FReprintOnNewPage = false;
  TQREvResult GroupValue;
  bool HasResult = false;
  bool FInGroup = false;
  Integer PrintPageNumber = 0;
  Integer PrintColumnNumber = 0;
  Integer FGroupIndex = 0;
};

// A band that carries a controller of its own.
class TQRControllerBand : public TQRCustomBand {
  VELMORA_CLASS(TQRControllerBand)
  using inherited = TQRCustomBand;
public:
  explicit TQRControllerBand(TComponent* AOwner);
  ~TQRControllerBand() override;

  void SetParent(TWinControl* AParent) override;

  TQRCustomController* Controller() const { return FController.get(); }
  TComponent* Master() const { return FMaster; }
  virtual void SetMaster(TComponent* Value);
  bool PrintBefore() const { return FController->PrintBefore(); }
  void SetPrintBefore(bool Value);
  bool PrintIfEmpty() const { return FController->PrintIfEmpty(); }
  void SetPrintIfEmpty(bool Value) { FController->SetPrintIfEmpty(Value); }

protected:
  virtual std::unique_ptr<TQRCustomController> CreateController();
  void Notification(TComponent* AComponent, TOperation Operation) override;

  std::unique_ptr<TQRCustomController> FController;
  TComponent* FMaster = nullptr;
};

class TQRSubDetail;

class TQRSubDetailGroupBands : public TPersistent {
  VELMORA_CLASS(TQRSubDetailGroupBands)
public:
  explicit TQRSubDetailGroupBands(TQRSubDetail* AOwner) : Owner(AOwner) {}
  bool HasHeader() const;
  void SetHasHeader(bool Value);
  bool HasFooter() const;
  void SetHasFooter(bool Value);
  TQRCustomBand* HeaderBand() const;
  TQRCustomBand* FooterBand() const;

private:
  TQRSubDetail* Owner;
};

// A detail band over a dataset of its own, printed for each record of its
// master's detail, between its own header and footer.
class TQRSubDetail : public TQRControllerBand {
  VELMORA_CLASS(TQRSubDetail)
public:
  explicit TQRSubDetail(TComponent* AOwner);
  ~TQRSubDetail() override;

  TQRController* SubController() const { return static_cast<TQRController*>(FController.get()); }
  TDataSet* DataSet() const { return SubController()->DataSet(); }
  void SetDataSet(TDataSet* Value) { SubController()->SetDataSet(Value); }
  TQRCustomBand* HeaderBand() const { return SubController()->Header(); }
  void SetHeaderBand(TQRCustomBand* Value);
  TQRCustomBand* FooterBand() const { return SubController()->Footer(); }
  void SetFooterBand(TQRCustomBand* Value);
  TQRSubDetailGroupBands* Bands() const { return FBands.get(); }
  void SetOnNeedData(const TQROnNeedDataEvent& Value) { SubController()->OnNeedData = Value; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  std::unique_ptr<TQRSubDetailGroupBands> FBands;
};

enum TPrevSaveType { stQRP, stPDF, stXL, stHTML, stRTF, stCSV, stASCII, stXML, stXLSX };

// Settings of the standard preview window.
class TQRPreviewController : public TComponent {
  VELMORA_CLASS(TQRPreviewController)
public:
  using TComponent::TComponent;
  bool ShowMinimise = true, ShowMaximise = true, ShowSysMenu = true;
  bool ShowSaveReportButton = true, ShowLoadReportButton = true, ShowPrintButton = true,
       ShowPrintSetupButton = true;
  bool ShowFindButton = true, ShowCopyButton = true, ShowGotoButton = true, ShowCancelButton = true;
  bool ShowZoomFitButton = true, ShowZoom100Button = true, ShowZoomToWidthButton = true,
       ShowZoomPickButton = true;
  bool ShowFirstButton = true, ShowNextButton = true, ShowPrevButton = true, ShowLastButton = true;
  bool ShowThumbs = true;
  Integer prevInitWidth = 800;
  Integer prevInitHeight = 640;
  Integer PrevInitLeft = 0, PrevInitTop = 0, PagesInPreview = 0;
  TPrevSaveType PrevDefaultSaveType = stQRP;
  TFormStyle PrevWindowStyle = fsNormal;
  TWindowState PrevInitState = wsNormal;
  TQRZoomState PrevInitZoom = qrZoomToFit;
};

// ---------------------------------------------------------------------------
// The report.

enum class TQRReportOption { FirstPageHeader, LastPageFooter, Compression };
using TQRReportOptions = TSet<TQRReportOption>;
enum TQRState { qrAvailable, qrPrepare, qrPreview, qrPrint, qrEdit };

// The commands of the standard preview that the report's hook may take over.
enum TStandPrevEventType { spOpen, spClose, spCopy, spPrint, spPrintSetup, spLoad, spSave, spCancel };
enum TStandPrevMouseEventType { meMouseClick, meMouseOver, meMouseOut };
using TQRStandPrevEvent =
  std::function<void(TObject* Sender, TStandPrevEventType EventType, const String& contName, bool& Handled)>;
// itemInfo is the printed item under the pointer, nullptr for meMouseOut.
using TQRStandPrevMouseEvent =
  std::function<void(TObject* Sender, TStandPrevMouseEventType EventType, TPageItemRec* itemInfo)>;

using TQRNotifyEvent = std::function<void(TCustomQRReport* Sender)>;
using TQRReportBeforePrintEvent = std::function<void(TCustomQRReport* Sender, bool& PrintReport)>;
using TQRExportEvent = std::function<void(TCustomQRReport* Sender, bool& ExportHandled)>;

class TQRCreateReportThread;

// A job the report made owns; one given from outside stays the caller's.
struct TQRJobDeleter {
  bool Owned = true;
  void operator()(TQRPrinter* Job) const
  {
    if (Owned)
      delete Job;
  }
};
using TQRJobPtr = std::unique_ptr<TQRPrinter, TQRJobDeleter>;

// The report base: its bands, the page flow of a run and the operations
// that wrap a run for the caller.
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
  TQRPrinterSettings* UserPrinterSettings() const { return FUserPrinterSettings.get(); }
  // The units of the page, the bands and the controls.
  TQRUnit Units() const { return FPage->Units(); }
  void SetUnits(TQRUnit Value);
  // The printer job of the current or last run; one the report made is its
  // own, one set from outside stays the caller's.
  TQRPrinter* QRPrinter() const { return FQRPrinter.get(); }
  void SetQRPrinter(TQRPrinter* Value);
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

  // Structure.
  TQRBand* CreateBand(TQRBandType BandType);
  void AddBand(TQRCustomBand* Band);
  void RemoveBand(TQRCustomBand* Band);
  void RebuildBandList();
  // Places the bands down the page at design time.
  virtual void SetBandValues();
  const std::vector<TQRCustomBand*>& BandList() const { return FBandList; }
  TQRReportBands* Bands() const { return FBands.get(); }
  TQRCustomController* Controller() const { return FController.get(); }
  void AddNotifyClient(TQRPrintable* Value) { FController->AddNotifyClient(Value); }
  Integer TextWidth(TFont* aFont, const String& aText) const;
  Integer TextHeight(TFont* aFont, const String& aText) const;
  void ResetPageFooterSize();

  // Operations.
  void Prepare();
  void Preview();
  void PreviewModal();
  void PreviewModeless();
  void Print();
  void PrintBackground();
  void ExportToFilter(TQRExportFilter* AFilter);
  void Cancel();
  // Waits for a background run to end (the GUI thread's part of it); an
  // error that ended the run is raised here.
  void WaitForBackground();
  // Cancels a background run and waits for its end: what it reads is about
  // to go.
  void StopBackground();
  bool RunningInBackground() const;

  // Page flow of a run.
  virtual void CreateReport(bool Continuing);
  void PrintBand(TQRCustomBand* Band);
  void NewPage(bool printHeaders = true);
  void NewColumn();
  void EndPage();
  Integer AvailableSpace() const;
  // The printables placed on the report itself, and the report's frame.
  void PrintReportControls();
  void PrintColumnHeaders();

  Integer PageNumber() const { return FPagecount; }
  Integer CurrentX() const { return FCurrentX; }
  void SetCurrentX(Integer Value) { FCurrentX = Value; }
  Integer CurrentY() const { return FCurrentY; }
  void SetCurrentY(Integer Value) { FCurrentY = Value; }
  Integer CurrentColumn() const { return FCurrentColumn; }
  Integer ColumnTopPosition() const { return FColumnTopPosition; }
  bool LastPage() const { return FLastPage; }
  void SetLastPage(bool Value) { FLastPage = Value; }
  bool Available() const { return FAvailable; }
  bool Cancelled() const { return FCancelled; }
  Extended PageFooterSize() const { return FPageFooterSize; }
  TQRReportOptions Options() const { return FOptions; }
  void SetOptions(TQRReportOptions Value) { FOptions = Value; }
  const String& ReportTitle() const { return FReportTitle; }
  void SetReportTitle(const String& Value) { FReportTitle = Value; }
  bool PrintIfEmpty() const { return FController->PrintIfEmpty(); }
  void SetPrintIfEmpty(bool Value) { FController->SetPrintIfEmpty(Value); }
  TColor BackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(TColor Value) { FBackgroundColor = Value; }
  Integer PagesInPreview() const { return FPagesInPreview; }
  void SetPagesInPreview(Integer Value) { FPagesInPreview = Value; }
  bool CreateInBGThread() const { return FCreateInBGThread; }
  void SetCreateInBGThread(bool Value) { FCreateInBGThread = Value; }
  Integer PreviewWidth() const { return FPreviewWidth > 0 ? FPreviewWidth : 500; }
  void SetPreviewWidth(Integer Value) { FPreviewWidth = Value; }
  Integer PreviewHeight() const { return FPreviewHeight > 0 ? FPreviewHeight : 500; }
  void SetPreviewHeight(Integer Value) { FPreviewHeight = Value; }
  TQRState State() const { return FState; }
  std::vector<TDataSet*>* AllDataSets() const { return FAllDataSets.get(); }
  TQREvEnvironment* Functions() const { return FEnvironment.get(); }
  TStrings* Description() const { return FDescription.get(); }
  TQRPreviewController* PreviewController() const { return FPreviewSetup; }
  const String& BackImageControl() const { return FBackgroundImage; }
  void SetBackImageControl(const String& Value) { FBackgroundImage = Value; }
  void SetPreviewController(TQRPreviewController* Value);
  // How the standard preview window opens for the report.
  TFormStyle PrevFormStyle() const { return FPrevFormStyle; }
  void SetPrevFormStyle(TFormStyle Value) { FPrevFormStyle = Value; }
  TWindowState PreviewInitialState() const { return FPreviewInitialState; }
  void SetPreviewInitialState(TWindowState Value) { FPreviewInitialState = Value; }
  Integer PreviewLeft() const { return FPreviewLeft; }
  void SetPreviewLeft(Integer Value) { FPreviewLeft = Value; }
  Integer PreviewTop() const { return FPreviewTop; }
  void SetPreviewTop(Integer Value) { FPreviewTop = Value; }
  bool PrevShowThumbs() const { return FPrevShowThumbs; }
  void SetPrevShowThumbs(bool Value) { FPrevShowThumbs = Value; }
  bool PrevShowSearch() const { return FPrevShowSearch; }
  void SetPrevShowSearch(bool Value) { FPrevShowSearch = Value; }
  TQRZoomState PrevInitialZoom() const { return FPrevInitialZoom; }
  void SetPrevInitialZoom(TQRZoomState Value) { FPrevInitialZoom = Value; }
  TPrevSaveType PreviewDefaultSaveType() const { return FPreviewDefaultSaveType; }
  void SetPreviewDefaultSaveType(TPrevSaveType Value) { FPreviewDefaultSaveType = Value; }
  // The items printed on each page, recorded while UsePreviewLinks is set:
  // entry n holds page n, entry 0 what came before the first page break.
  TQRPageInfoList* PageLinkInfoList() const { return FPageLinkInfoList.get(); }
  TQRLinkPage* currLinkPage() const { return FCurrLinkPage; }
  // Records a printed item on the current page (when links are recorded).
  void AddLinkItem(TQRPrintable* Control, const String& Text, double Left, double Top, double Width, double Height);

  TQRStandPrevEvent OnStandPrevEvent;
  TQRStandPrevMouseEvent OnStandPrevMouseEvent;
  bool UsePreviewLinks = false;
  TQRAfterPrintEvent AfterPrint;
  TQRAfterPreviewEvent AfterPreview;
  TQRAfterPreviewEvent OnPreviewShowing;
  TNotifyEvent BeforePreview;
  TQRReportBeforePrintEvent BeforePrint;
  TQRNotifyEvent OnStartPage;
  TQRNotifyEvent OnEndPage;
  TQROnNeedDataEvent OnNeedData;
  TNotifyEvent OnPreview;
  TQRExportEvent OnExport;

  bool usePassiveRecordCount = false;
  Integer replaceRecordcount = 0;
  // Set by the progress form's Cancel (from the GUI thread); ends the loop.
  std::atomic<bool> UserCancel{false};
  bool PrintAfterSetup = false;
  TObject* ParentComposite = nullptr;
  bool AdjustScreenRes = true;

protected:
  virtual void RunController();
  virtual void SetControllerBands() {}
  virtual std::unique_ptr<TQRCustomController> MakeController();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;

  // Replaces the job by a new one; false while a run is going on.
  bool NewPrinterObject();
  void SetupPreviewJob();
  void CopyPrinterSettings();
  void StartBackground();
  void PreviewInThread(bool Modal);
  TSize MeasureText(TFont* aFont, const String& aText) const;
  bool BeginPreview(bool Modal);
  bool GenerateForPreview();
  void BackgroundFinished(bool WasCancelled);
  void RetireJob();
  std::unique_ptr<std::vector<TDataSet*>> FormDataSets();
  void PrepareControls(bool Prepare);
  // Every printable on the report and its bands (through nested panels).
  void ForEachPrintable(const std::function<void(TQRPrintable*)>& Proc);
  TQRPrintable* BackgroundControl() const { return FBackgroundcontrol; }

  std::unique_ptr<TQRCustomController> FController;

private:
  friend class TQRCreateReportThread;
  friend class TQRCustomBand;

  std::vector<TQRCustomBand*> FBandList;
  std::unique_ptr<TQRReportBands> FBands;
  std::unique_ptr<std::vector<TDataSet*>> FAllDataSets;
  std::unique_ptr<TQREvEnvironment> FEnvironment;
  std::unique_ptr<TStrings> FDescription;
  std::unique_ptr<TQRPage> FPage;
  std::unique_ptr<TQRPrinterSettings> FPrinterSettings;
  std::unique_ptr<TQRPrinterSettings> FUserPrinterSettings;
  TQRJobPtr FQRPrinter;
  std::unique_ptr<TQRCreateReportThread> BGThread;
  // Jobs replaced while a preview still showed them.
  std::vector<TQRJobPtr> FRetiredJobs;
  std::unique_ptr<std::vector<TDataSet*>> FPendingDataSets;
  // Work queued on the GUI thread for the report; dropped with the report.
  std::unique_ptr<TMainThreadCalls> FGuiContext;
  mutable std::unique_ptr<TBitmap> FMeasure;
  mutable std::mutex FMeasureLock;
  String FBackgroundImage;
  TQRPrintable* FBackgroundcontrol = nullptr;
  TQRPreviewController* FPreviewSetup = nullptr;
  std::unique_ptr<TQRPageInfoList> FPageLinkInfoList;
  // The current page's items: owned by FPendingLinkPage until the page end
  // hands it to FPageLinkInfoList.
  TQRLinkPage* FCurrLinkPage = nullptr;
  std::unique_ptr<TQRLinkPage> FPendingLinkPage;
  void NewLinkPage();
  TFormStyle FPrevFormStyle = fsNormal;
  TWindowState FPreviewInitialState = wsNormal;
  TQRZoomState FPrevInitialZoom = qrZoomToFit;
  TPrevSaveType FPreviewDefaultSaveType = stPDF;
  Integer FPreviewLeft = 0;
  Integer FPreviewTop = 0;
  bool FPrevShowThumbs = true;
  bool FPrevShowSearch = true;
  TQRExportFilter* FExportFilter = nullptr;
  TQREvElement* EvPageNumber = nullptr;
  TQREvElement* EvColumnNumber = nullptr;
  TQREvElement* EvReportTitle = nullptr;
  String FReportTitle;
  TQRReportOptions FOptions{TQRReportOption::FirstPageHeader, TQRReportOption::LastPageFooter};
  TColor FBackgroundColor = TColor(0xFFFFFF);
  TQRState FState = qrAvailable;
  Extended FPageFooterSize = 0;
  Integer FPagecount = 0;
  Integer FCurrentX = 0;
  Integer FCurrentY = -1;
  Integer FCurrentColumn = 1;
  Integer FColumnTopPosition = 0;
  Integer FPagesInPreview = 0;
  Integer FPreviewWidth = 0;
  Integer FPreviewHeight = 0;
  std::atomic<bool> FAvailable{true};
  std::atomic<bool> FCancelled{false};
  std::atomic<bool> FBackgroundRun{false};
  bool FLastPage = false;
  bool FExporting = false;
  bool FFinalPass = true;
  bool FShowProgress = true;
  bool FPreparingDesignTime = false;
  bool FModified = false;
  bool FCreateInBGThread = false;
  bool FDestroying = false;
};

// The report placed on report forms: a dataset-driven controller.
class TQRReport : public TCustomQRReport {
  VELMORA_CLASS(TQRReport)
public:
  explicit TQRReport(TComponent* AOwner);

  TDataSet* DataSet() const;
  void SetDataSet(TDataSet* Value);
  Integer RecordNumber() const { return FController->DetailNumber(); }
  Integer RecordCount();

protected:
  void RunController() override;
  void SetControllerBands() override;
  std::unique_ptr<TQRCustomController> MakeController() override;
};

// The generation of a report on a thread of its own; the report owns it,
// cancels and joins it when destroyed.
class TQRCreateReportThread {
public:
  explicit TQRCreateReportThread(TCustomQRReport* AReport);
  ~TQRCreateReportThread();
  TQRCreateReportThread(const TQRCreateReportThread&) = delete;
  TQRCreateReportThread& operator=(const TQRCreateReportThread&) = delete;
  bool Finished() const { return FFinished; }
  bool OnItsThread() const { return std::this_thread::get_id() == FThread.get_id(); }
  void Join();
  // The error that ended the run, empty when none.
  String Error() const;

private:
  void Execute();

  TCustomQRReport* FQRReport;
  TQRPrinter* FQRPrinter;
  std::atomic<bool> FFinished{false};
  mutable std::mutex FErrorLock;
  String FError;
  std::thread FThread;
};

// The number of the record being printed, of the loop that runs now.
Integer QRCurrentRecordNumber();
void SetQRCurrentRecordNumber(Integer Value);
// Whether the run continues another report's pages (a composite report).
bool QRContinuingRun();
// The name of the band being printed.
const String& QRCurrentBandName();
// Whether the caller runs on the GUI thread (where messages may be pumped).
bool QRInGuiThread();
// Lets the GUI thread handle what is pending; nothing on another thread.
void QRProcessMessages();

// ---------------------------------------------------------------------------
// Engine utilities.

// Whether a text-output record of the page holds the text.
bool TextInMetafile(const String& Text, TMetafile* Metafile, bool MatchCase);
// Dataset name -> dataset of a form (and its controls' components) and,
// when asked, of the data modules.
std::vector<std::pair<String, TDataSet*>> GetDataSetList(TCustomForm* Form, bool IncludeDataModules);
bool HasPublishedProperty(const TComponent* Instance, const String& PropName);
bool GetBooleanProperty(const TControl* Instance, const String& PropName);
String GetStringProperty(const TComponent* Instance, const String& PropName);

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
