// QRReport.cpp: native units and their conversion, page, sizes, frames, the
// panel base of reports and bands, and the printable control base.
#include "report/engine/QRReport.h"

#include "report/engine/QRCtrls.h"

#include "platform/data/DB.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/SyncObjs.h"

#include <cmath>
#include <cstring>

namespace {

// The font size a Characters length is measured with: the report's, or the
// default report font's while a unit object has no report yet.
Extended CharacterPointSize(const TCustomQRReport* Report)
{
  const Integer Size = Report ? std::abs(Report->Font()->Size()) : 0;
  return Size != 0 ? Size : 10;
}

Integer RoundInt(Extended Value) { return Integer(Round(Value)); }

}   // namespace

TQRUnit QRDefaultUnits() { return TQRUnit::MM; }

// ---------------------------------------------------------------------------
// TQRUnitBase

TQRUnitBase::TQRUnitBase() : FUnits(QRDefaultUnits()), SavedUnits(FUnits) {}

Extended TQRUnitBase::NativeToUnits(TQRUnit AUnits, bool Horizontal, Extended Value) const
{
  switch (AUnits) {
  case TQRUnit::MM: return Value / 10;
  case TQRUnit::Inches: return Value / 254;
  case TQRUnit::Pixels: return Value / (254.0L / FResolution) * FZoom / 100;
  case TQRUnit::Characters: {
    const Extended S = CharacterPointSize(FParentReport);
    return Horizontal ? Value / (80 / S / 2.54L) / 10 : Value / (145.3L / S / 2.54L) / 10;
  }
  case TQRUnit::Native: break;
  }
  return Value;
}

Extended TQRUnitBase::UnitsToNative(TQRUnit AUnits, bool Horizontal, Extended Value) const
{
  switch (AUnits) {
  case TQRUnit::MM: return Value * 10;
  case TQRUnit::Inches: return Value * 254;
  case TQRUnit::Pixels: return Value * (254.0L / FResolution) / FZoom * 100;
  case TQRUnit::Characters: {
    const Extended S = CharacterPointSize(FParentReport);
    return Horizontal ? Value * (80 / S / 2.54L) * 10 : Value * (145.3L / S / 2.54L) * 10;
  }
  case TQRUnit::Native: break;
  }
  return Value;
}

void TQRUnitBase::SetPixels()
{
  SavedUnits = Units();
  SetUnits(TQRUnit::Pixels);
}

void TQRUnitBase::RestoreUnits() { SetUnits(SavedUnits); }

void TQRUnitBase::DefineProperties(TFiler& Filer)
{
  TPersistent::DefineProperties(Filer);
  Filer.DefineProperty(QStringLiteral("Values"), [this](TReader& R) { ReadValues(R); },
                       [this](TWriter& W) { WriteValues(W); }, true);
}

void TQRUnitBase::ReadValues(TReader& Reader)
{
  Reader.ReadListBegin();
  for (Extended* Value : StoredValues()) {
    if (Reader.EndOfList())
      break;
    *Value = Reader.ReadFloat();
  }
  // Values a later version may add are read and dropped.
  while (!Reader.EndOfList())
    Reader.ReadFloat();
  Reader.ReadListEnd();
}

void TQRUnitBase::WriteValues(TWriter& Writer)
{
  Writer.WriteListBegin();
  for (Extended* Value : StoredValues())
    Writer.WriteFloat(double(*Value));
  Writer.WriteListEnd();
}

// ---------------------------------------------------------------------------
// TQRPage

TQRPage::TQRPage(TCustomQRReport* AParent) : FParent(AParent)
{
  FParentReport = AParent;
  FBottomMargin = 0;
  const bool Inches = QRDefaultUnits() == TQRUnit::Inches;
  FUnits = Inches ? TQRUnit::Inches : TQRUnit::MM;
  SetPaperSize(Inches ? TQRPaperSize::Letter : TQRPaperSize::A4);
  const Extended Margin = Inches ? 0.5 : 10;
  SetTopMargin(Margin);
  SetBottomMargin(Margin);
  SetLeftMargin(Margin);
  SetRightMargin(Margin);
  FRuler = true;
  FColumns = 1;
  FPrintOrder = TQRPrintOrder::ColByCol;
}

std::vector<Extended*> TQRPage::StoredValues()
{
  return {&FBottomMargin, &FLength, &FTopMargin, &FWidth, &FLeftMargin, &FRightMargin, &FColumnSpace};
}

static bool IsVerticalPageValue(Integer Index) { return Index <= 2; }

Extended TQRPage::GetValue(Integer Index) const
{
  const Extended* Fields[] = {&FBottomMargin, &FLength, &FTopMargin, &FWidth, &FLeftMargin, &FRightMargin,
                              &FColumnSpace};
  if (Index < 0 || Index > 6)
    return 0;
  return Converted(*Fields[Index], !IsVerticalPageValue(Index));
}

void TQRPage::SetValue(Integer Index, Extended Value)
{
  if (Index < 0 || Index > 6)
    return;
  const Extended Native = ToNative(Value, !IsVerticalPageValue(Index));
  switch (Index) {
  case 0:
    FBottomMargin = Native;
    break;
  case 1:
  case 3:
    // A table paper keeps its own size.
    if (FPaperSize != TQRPaperSize::Custom)
      return;
    (Index == 1 ? FLength : FWidth) = Native;
    break;
  default: {
    Extended* Fields[] = {nullptr, nullptr, &FTopMargin, nullptr, &FLeftMargin, &FRightMargin, &FColumnSpace};
    *Fields[Index] = Native;
    Repaint();
    return;
  }
  }
  SetParentSizes();
  if (FParent)
    FParent->SetBandValues();
}

void TQRPage::Repaint()
{
  if (FParent)
    FParent->Invalidate();
}

void TQRPage::SetParentSizes()
{
  if (FParentUpdating || !FParent)
    return;
  FParentUpdating = true;
  ScopeExit Done([this] { FParentUpdating = false; });
  FParent->SetBounds(FParent->Left(), FParent->Top(), RoundInt(NativeToUnits(TQRUnit::Pixels, true, FWidth)),
                     RoundInt(NativeToUnits(TQRUnit::Pixels, false, FLength)));
}

void TQRPage::SetUnits(TQRUnit Value)
{
  TQRUnitBase::SetUnits(Value);
  Repaint();
}

void TQRPage::SetPaperSize(TQRPaperSize Value)
{
  if (Value != TQRPaperSize::Default && Value != TQRPaperSize::Custom) {
    const Extended Width = PaperWidthMM(Value) * 10;
    const Extended Length = PaperLengthMM(Value) * 10;
    FPaperSize = TQRPaperSize::Custom;
    FWidth = FOrientation == poPortrait ? Width : Length;
    FLength = FOrientation == poPortrait ? Length : Width;
    SetParentSizes();
    if (FParent)
      FParent->SetBandValues();
  }
  FPaperSize = Value;
}

void TQRPage::SetOrientation(TPrinterOrientation Value)
{
  if (FPaperSize == TQRPaperSize::Custom && Value != FOrientation) {
    std::swap(FWidth, FLength);
    SetParentSizes();
  }
  FOrientation = Value;
  if (FParent)
    FParent->PrinterSettings()->Orientation = Value;
  SetPaperSize(FPaperSize);
}

void TQRPage::SetColumns(Integer Value)
{
  if (Value <= 0 || Value == FColumns)
    return;
  FColumns = Value;
  if (FParent)
    FParent->SetBandValues();
  Repaint();
}

void TQRPage::SetRuler(bool Value)
{
  FRuler = Value;
  Repaint();
  if (FParent)
    FParent->SetUnits(FParent->Units());
}

// ---------------------------------------------------------------------------
// TQRBandSize

TQRBandSize::TQRBandSize(TQRCustomBand* AParent) : Parent(AParent) {}

void TQRBandSize::SetHeight(Extended Value)
{
  FLength = ToNative(Value, false);
  SetParentSizes();
}

void TQRBandSize::SetWidth(Extended Value)
{
  FWidth = ToNative(Value, true);
  SetParentSizes();
}

void TQRBandSize::SetParentSizes()
{
  if (!Parent || FParentUpdating)
    return;
  FParentUpdating = true;
  ScopeExit Done([this] { FParentUpdating = false; });
  Parent->SetBounds(Parent->Left(), Parent->Top(), RoundInt(NativeToUnits(TQRUnit::Pixels, true, FWidth)),
                    RoundInt(NativeToUnits(TQRUnit::Pixels, false, FLength)));
}

// ---------------------------------------------------------------------------
// TQRPrintableSize

TQRPrintableSize::TQRPrintableSize(TQRPrintable* AParent) : Parent(AParent) {}

static bool IsHorizontalSizeValue(Integer Index) { return Index == 1 || Index == 3; }

Extended TQRPrintableSize::PanelZoom() const
{
  const auto* Panel = Parent ? dynamic_cast<const TQRBasePanel*>(Parent->Parent()) : nullptr;
  return Panel ? Extended(Panel->Zoom()) / 100 : 1;
}

Extended TQRPrintableSize::GetValue(Integer Index) const
{
  const Extended* Fields[] = {&FHeight, &FLeft, &FTop, &FWidth};
  if (Index < 0 || Index > 3)
    return 0;
  Extended Result = Converted(*Fields[Index], IsHorizontalSizeValue(Index));
  if (FUnits == TQRUnit::Pixels)
    Result *= PanelZoom();
  return Result;
}

// Pixels written are divided by the panel's zoom as read ones are multiplied,
// so that a value reads back as it was written at any zoom.
void TQRPrintableSize::SetValue(Integer Index, Extended Value)
{
  Extended* Fields[] = {&FHeight, &FLeft, &FTop, &FWidth};
  if (Index >= 0 && Index <= 3) {
    if (FUnits == TQRUnit::Pixels)
      Value /= PanelZoom();
    *Fields[Index] = ToNative(Value, IsHorizontalSizeValue(Index));
  }
  SetParentSizes();
}

void TQRPrintableSize::SetParentSizes()
{
  if (!Parent || FParentUpdating)
    return;
  FParentUpdating = true;
  ScopeExit Done([this] { FParentUpdating = false; });
  const Extended Zoom = PanelZoom();
  auto Px = [&](Extended Native, bool Horizontal) {
    return RoundInt(NativeToUnits(TQRUnit::Pixels, Horizontal, Native) * Zoom);
  };
  Parent->SetBounds(Px(FLeft, true), Px(FTop, false), Px(FWidth, true), Px(FHeight, false));
}

// ---------------------------------------------------------------------------
// TQRFrame

void TQRFrame::Assign(TPersistent* Source)
{
  auto* Other = dynamic_cast<TQRFrame*>(Source);
  if (!Other) {
    TPersistent::Assign(Source);
    return;
  }
  FColor = Other->FColor;
  FBottom = Other->FBottom;
  FLeft = Other->FLeft;
  FPenStyle = Other->FPenStyle;
  FRight = Other->FRight;
  FTop = Other->FTop;
  FWidth = Other->FWidth;
  Changed();
}

void TQRFrame::Changed()
{
  if (FParent)
    FParent->Invalidate();
}

void TQRFrame::SetColor(TColor Value) { FColor = Value; Changed(); }
void TQRFrame::SetDrawTop(bool Value) { FTop = Value; Changed(); }
void TQRFrame::SetDrawBottom(bool Value) { FBottom = Value; Changed(); }
void TQRFrame::SetDrawLeft(bool Value) { FLeft = Value; Changed(); }
void TQRFrame::SetDrawRight(bool Value) { FRight = Value; Changed(); }
void TQRFrame::SetStyle(TPenStyle Value) { FPenStyle = Value; Changed(); }
void TQRFrame::SetWidth(Integer Value) { FWidth = Value; Changed(); }

void TQRFrame::SetPen(TPen* Pen) const
{
  Pen->SetWidth(1);
  Pen->SetStyle(FPenStyle);
  Pen->SetColor(FColor);
}

// A frame of at least one point, or of -1 (a hairline), is at least one
// device unit thick, however coarse the device.
static Integer Thickness(Extended Factor, Integer Width)
{
  Integer T = Integer(Round(Factor / 72 * 254 * Width));
  if ((T < 1 && Width >= 1) || Width == -1)
    T = 1;
  return T;
}

Integer TQRFrame::VerticalThickness(Extended XFactor) const { return Thickness(XFactor, FWidth); }
Integer TQRFrame::HorizontalThickness(Extended YFactor) const { return Thickness(YFactor, FWidth); }

void TQRFrame::PaintIt(TCanvas* ACanvas, const TRect& ARect, Extended XFactor, Extended YFactor)
{
  const Integer TV = VerticalThickness(XFactor);
  const Integer TH = HorizontalThickness(YFactor);
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->Brush()->SetColor(FColor);
  SetPen(ACanvas->Pen());
  if (FTop)
    ACanvas->FillRect(TRect(ARect.Left, ARect.Top, ARect.Right, ARect.Top + TH));
  if (FBottom)
    ACanvas->FillRect(TRect(ARect.Left, ARect.Bottom - TH, ARect.Right, ARect.Bottom));
  if (FLeft)
    ACanvas->FillRect(TRect(ARect.Left, ARect.Top, ARect.Left + TV, ARect.Bottom));
  if (FRight)
    ACanvas->FillRect(TRect(ARect.Right - TV, ARect.Top, ARect.Right, ARect.Bottom));
  const std::vector<TFrameLine> Lines = FrameLines(ARect);
  for (const TFrameLine& L : Lines) {
    ACanvas->Pen()->SetStyle(psSolid);
    ACanvas->Pen()->SetWidth(L.Line->Frame()->Width());
    ACanvas->Pen()->SetColor(L.Line->Frame()->Color());
    ACanvas->MoveTo(L.X, ARect.Top);
    ACanvas->LineTo(L.X, ARect.Bottom);
  }
  if (TCustomQRReport* Report = ReportOf(FParent); Report && Report->Exporting() && Report->ExportFilter()) {
    ExportTo(Report, ARect, TV, TH, Lines);
    ACanvas->Brush()->SetStyle(bsClear);
  }
}

// The enabled frame lines of the band this frame belongs to, each with its x
// on the frame's rectangle.
std::vector<TQRFrame::TFrameLine> TQRFrame::FrameLines(const TRect& ARect) const
{
  std::vector<TFrameLine> Result;
  auto* Band = dynamic_cast<TQRCustomBand*>(FParent);
  if (!Band || Band->Width() <= 0)
    return Result;
  for (TQRPrintable* P : Band->Printables()) {
    auto* Line = dynamic_cast<TQRFrameline*>(P);
    if (!Line || !Line->Enabled())
      continue;
    const double Middle = Line->Left() + Line->Width() / 2;
    Result.push_back({Line, ARect.Left + RoundInt(double(ARect.Right - ARect.Left) * Middle / Band->Width())});
  }
  return Result;
}

TCustomQRReport* TQRFrame::ReportOf(TControl* Owner)
{
  if (auto* P = dynamic_cast<TQRPrintable*>(Owner))
    return P->ParentReport();
  if (auto* B = dynamic_cast<TQRCustomBand*>(Owner))
    return B->ParentReport();
  return dynamic_cast<TCustomQRReport*>(Owner);
}

// Hands the frame to the export filter as shapes, in device units of the
// job; the shapes' own sizes are screen pixels (divided by F).
void TQRFrame::ExportTo(TCustomQRReport* Report, const TRect& R, Integer TV, Integer TH,
                        const std::vector<TFrameLine>& Lines)
{
  TQRExportFilter* Filter = Report->ExportFilter();
  const TQRPrinter* Job = Report->QRPrinter();
  const Extended F = Job ? Job->XFactor() / (Extended(QRLogicalPixelsPerInch) / 254) : 1;
  const Integer W = Integer(Trunc((R.Right - R.Left) / F));
  const Integer H = Integer(Trunc((R.Bottom - R.Top) / F));
  try {
    TQRShape Shape(nullptr);
    // A shape of the type at (Left, Top), Width by Height, to the filter at At.
    auto Hand = [&](TQRShapeType Type, Integer Left, Integer Top, Integer Width, Integer Height, bool Filled,
                    TColor Color, Integer PenWidth, TPoint At) {
      Shape.SetShape(Type);
      Shape.Brush()->SetColor(Color);   // before the style: a colour makes a brush solid
      Shape.Brush()->SetStyle(Filled ? bsSolid : bsClear);
      Shape.Pen()->SetStyle(Filled ? psClear : psSolid);
      Shape.Pen()->SetWidth(PenWidth);
      Shape.Pen()->SetColor(Color);
      Shape.SetBounds(Left, Top, Width, Height);
      Filter->AcceptGraphic(At.X, At.Y, &Shape);
    };
    auto* Printable = dynamic_cast<TQRPrintable*>(FParent);
    if (Printable && !Printable->Transparent() && Printable->ClassName() != QStringLiteral("TQRPGrid"))
      Hand(qrsRectangle, R.Left, R.Top, W, H, true, Printable->Color(), 1, TPoint(R.Left, R.Top));
    if (FTop && FBottom && FLeft && FRight) {
      Hand(qrsRectangle, R.Left, R.Top, W, H, false, FColor, TV, TPoint(R.Left, R.Top));
    } else {
      if (FTop)
        Hand(qrsHorLine, R.Left, R.Top, W, TH, false, FColor, TV, TPoint(R.Left, R.Top));
      if (FBottom)
        Hand(qrsHorLine, R.Left, R.Bottom, W, TH, false, FColor, TV, TPoint(R.Left, R.Bottom - TH));
      if (FLeft)
        Hand(qrsVertLine, R.Left, R.Top, TV, H, false, FColor, TV, TPoint(R.Left, R.Top));
      if (FRight)
        Hand(qrsVertLine, R.Right - TV, R.Top, TV, H, false, FColor, TV, TPoint(R.Right - TV, R.Top));
    }
    for (const TFrameLine& L : Lines)
      Hand(qrsVertLine, L.X, R.Top, TV, R.Bottom - R.Top, false, FColor, TV, TPoint(L.X, R.Top));
  } catch (const Exception&) {
    // The frame is on the page already; a filter that cannot take it loses
    // only its copy.
  }
}

// ---------------------------------------------------------------------------
// TQRBasePanel

TQRBasePanel::TQRBasePanel(TComponent* AOwner) : TCustomPanel(AOwner), FFrame(std::make_unique<TQRFrame>())
{
  FFrame->SetParent(this);
  SetBevelOuter(bvNone);
  SetColor(clWhite);
}

TQRBasePanel::~TQRBasePanel() = default;

void TQRBasePanel::SetZoom(Integer Value)
{
  if (Value <= 0 || Value == FZoom)
    return;
  FZoom = Value;
  Invalidate();
}

// ---------------------------------------------------------------------------
// TCustomQRReport

namespace {

// Per generating thread: two reports on two threads never share them.
thread_local Integer CurrentRecordNumber = 0;
thread_local bool ContinuingRun = false;

// The datasets of a form: its own components and, recursively, those of
// its windowed controls.
void CollectDataSets(TComponent* Root, std::vector<TDataSet*>& Sets, bool Recurse)
{
  for (Integer I = 0; I < Root->ComponentCount(); ++I) {
    TComponent* C = Root->Components(I);
    if (auto* DS = dynamic_cast<TDataSet*>(C)) {
      if (std::find(Sets.begin(), Sets.end(), DS) == Sets.end())
        Sets.push_back(DS);
    } else if (Recurse && dynamic_cast<TWinControl*>(C)) {
      CollectDataSets(C, Sets, true);
    }
  }
}

}   // namespace

Integer QRCurrentRecordNumber() { return CurrentRecordNumber; }
void SetQRCurrentRecordNumber(Integer Value) { CurrentRecordNumber = Value; }
bool QRContinuingRun() { return ContinuingRun; }

bool QRInGuiThread() { return IsMainThread(); }

// Messages are pumped only on the GUI thread, and at most every 10 ms so that
// a long report does not spend its time in the event loop.
void QRProcessMessages()
{
  if (!QRInGuiThread() || !Application)
    return;
  static UInt64 Last = 0;
  const UInt64 Now = GetTickCount64();
  if (Last != 0 && Now - Last < 10)
    return;
  Last = Now;
  Application->ProcessMessages();
}

TCustomQRReport::TCustomQRReport(TComponent* AOwner)
  : TQRBasePanel(AOwner), FPrinterSettings(std::make_unique<TQRPrinterSettings>())
{
  FController = MakeController();
  FBands = std::make_unique<TQRReportBands>(this);
  FEnvironment = std::make_unique<TQREvEnvironment>();
  FEnvironment->AddFunction(QStringLiteral("PAGENUMBER"), QStringLiteral("0"));
  FEnvironment->AddFunction(QStringLiteral("COLUMNNUMBER"), QStringLiteral("0"));
  FEnvironment->AddFunction(QStringLiteral("REPORTTITLE"), QStringLiteral("''"));
  FDescription = std::make_unique<TStringList>();
  FUserPrinterSettings = std::make_unique<TQRPrinterSettings>();
  Font()->SetName(QStringLiteral("Arial"));
  Font()->SetSize(10);
  FPage = std::make_unique<TQRPage>(this);
  FPage->SetParentSizes();
  FGuiContext = std::make_unique<TMainThreadCalls>();
  FPageLinkInfoList = std::make_unique<TQRPageInfoList>();
  NewLinkPage();
}

void TCustomQRReport::NewLinkPage()
{
  FPendingLinkPage = std::make_unique<TQRLinkPage>();
  FCurrLinkPage = FPendingLinkPage.get();
}

void TCustomQRReport::AddLinkItem(TQRPrintable* Control, const String& Text, double Left, double Top, double Width,
                                  double Height)
{
  if (!UsePreviewLinks || !Control->ActiveInPreview() || !FCurrLinkPage)
    return;
  auto Item = std::make_unique<TPageItemRec>();
  Item->controlname = Control->Name();
  Item->controlclass = Control->ClassName();
  Item->left = Left;
  Item->top = Top;
  Item->width = Width;
  Item->height = Height;
  Item->textcontent = Text;
  FCurrLinkPage->addItemRec(std::move(Item));
}

std::unique_ptr<TQRCustomController> TCustomQRReport::MakeController()
{
  auto C = std::make_unique<TQRCustomController>(this);
  C->SetParentReport(this);
  C->SetSelfCheck(this);
  return C;
}

TCustomQRReport::~TCustomQRReport()
{
  FDestroying = true;
  // A background run ends before anything it uses goes.
  StopBackground();
  BGThread.reset();
  FGuiContext.reset();
  // The bands and controls go after the report (with its window): they must
  // not call back into it.
  ForEachPrintable([](TQRPrintable* P) { P->SetParentReport(nullptr); });
  for (TQRCustomBand* B : FBandList)
    B->FParentReport = nullptr;
  FBandList.clear();
  FRetiredJobs.clear();
  FQRPrinter.reset();
  if (FPreviewSetup) {
    TQRPreviewController* P = FPreviewSetup;
    FPreviewSetup = nullptr;
    delete P;
  }
}

void TCustomQRReport::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPreviewSetup)
    FPreviewSetup = nullptr;
}

void TCustomQRReport::SetPreviewController(TQRPreviewController* Value)
{
  FPreviewSetup = Value;
  if (Value)
    Value->FreeNotification(this);
}

void TCustomQRReport::SetQRPrinter(TQRPrinter* Value)
{
  if (Value == FQRPrinter.get())
    return;
  RetireJob();
  FQRPrinter = TQRJobPtr(Value, TQRJobDeleter{false});
}

// The replaced job goes, unless a preview still shows it: then it waits
// until the preview lets it go.
void TCustomQRReport::RetireJob()
{
  std::erase_if(FRetiredJobs, [](const TQRJobPtr& J) { return !J->ShowingPreview(); });
  if (FQRPrinter && FQRPrinter->ShowingPreview())
    FRetiredJobs.push_back(std::move(FQRPrinter));
  FQRPrinter.reset();
}

TQRBand* TCustomQRReport::CreateBand(TQRBandType BandType)
{
  TComponent* BandOwner = Owner() ? Owner() : this;
  auto* Band = new TQRBand(BandOwner);
  Band->SetParent(this);
  Band->SetBandType(BandType);
  const String Base = Band->GetBaseName();
  for (Integer N = 1;; ++N) {
    const String Name = Base + String::number(N);
    if (!BandOwner->FindComponent(Name)) {
      Band->SetName(Name);
      break;
    }
  }
  return Band;
}

void TCustomQRReport::AddBand(TQRCustomBand* Band)
{
  if (std::find(FBandList.begin(), FBandList.end(), Band) == FBandList.end())
    FBandList.push_back(Band);
  RebuildBandList();
  SetBandValues();
}

void TCustomQRReport::RemoveBand(TQRCustomBand* Band)
{
  if (FDestroying)
    return;
  std::erase(FBandList, Band);
  for (TQRCustomBand* B : FBandList)
    if (B->FLinkBand == Band)
      B->FLinkBand = nullptr;
  RebuildBandList();
  SetBandValues();
}

void TCustomQRReport::RebuildBandList()
{
  if (ComponentState().Contains(csLoading) || FDestroying)
    return;
  SetControllerBands();
  FController->RegisterClients();
  std::vector<TQRCustomBand*> NewList;
  std::function<void(TQRCustomBand*)> Register = [&](TQRCustomBand* B) {
    if (!B || B->ComponentState().Contains(csDestroying) ||
        std::find(NewList.begin(), NewList.end(), B) != NewList.end() ||
        std::find(FBandList.begin(), FBandList.end(), B) == FBandList.end())
      return;
    NewList.push_back(B);
    if (TQRChildBand* C = B->ChildBand())
      Register(C);
  };
  auto RegisterType = [&](TQRBandType Type) {
    for (TQRCustomBand* B : FBandList)
      if (B->BandType() == Type)
        Register(B);
  };
  RegisterType(rbPageHeader);
  RegisterType(rbTitle);
  RegisterType(rbColumnHeader);
  FController->RegisterBands(Register);
  RegisterType(rbPageFooter);
  for (TQRCustomBand* B : FBandList)
    Register(B);
  FBandList = std::move(NewList);
}

// Bands stand one under the other at design time; a band of the page's full
// width or of one column's, by its type (a child band by its parent's).
void TCustomQRReport::SetBandValues()
{
  if (!FPage || ComponentState().Contains(csLoading) || FDestroying)
    return;
  TQRPage& P = *FPage;
  const TQRUnit Old = P.Units();
  P.SetUnits(TQRUnit::Native);
  const Extended Full = P.Width() - (P.LeftMargin() + P.RightMargin());
  const Integer Cols = std::max<Integer>(1, P.Columns());
  const Extended Column = (Full - P.ColumnSpace() * (Cols - 1)) / Cols;
  Integer Y = RoundInt(P.TopMargin() * QRLogicalPixelsPerInch / 254.0L * Zoom() / 100);
  const Integer X = RoundInt(P.LeftMargin() * QRLogicalPixelsPerInch / 254.0L * Zoom() / 100);
  P.SetUnits(Old);
  for (TQRCustomBand* B : FBandList) {
    TQRCustomBand* Typed = B;
    for (int Guard = 0; Guard < 100 && Typed->BandType() == rbChild; ++Guard) {
      auto* C = static_cast<TQRChildBand*>(Typed);
      if (!C->ParentBand())
        break;
      Typed = C->ParentBand();
    }
    const TQRBandType T = Typed->BandType();
    const bool Wide = T == rbTitle || T == rbPageHeader || T == rbPageFooter || T == rbSummary || T == rbOverlay;
    const Integer H = B->Height();
    const TQRUnit BandUnits = B->Size()->Units();
    B->Size()->SetUnits(TQRUnit::Native);
    B->Size()->SetWidth(Wide ? Full : Column);
    B->Size()->SetUnits(BandUnits);
    B->PlaceAt(X, Y);
    Y += H;
  }
}

// Text is measured on one canvas of the report's own, whatever thread runs
// the report, with the same metrics the pages are drawn with.
TSize TCustomQRReport::MeasureText(TFont* aFont, const String& aText) const
{
  std::lock_guard Hold(FMeasureLock);
  if (!FMeasure) {
    // Both sides at once: a bitmap 1 wide and 0 high has no pixels to draw on.
    FMeasure = std::make_unique<TBitmap>(1, 1);
  }
  FMeasure->Canvas()->Font()->Assign(aFont);
  SetDesignMetrics(FMeasure->Canvas()->Handle(), true);
  return FMeasure->Canvas()->TextExtent(aText);
}

Integer TCustomQRReport::TextWidth(TFont* aFont, const String& aText) const
{
  return MeasureText(aFont, aText).cx + 1;
}

Integer TCustomQRReport::TextHeight(TFont* aFont, const String& /*aText*/) const
{
  return MeasureText(aFont, QStringLiteral("A")).cy;
}

void TCustomQRReport::ResetPageFooterSize()
{
  FPageFooterSize = 0;
  for (TQRCustomBand* B : FBandList) {
    if (B->BandType() != rbPageFooter || !B->BandEnabled())
      continue;
    FPageFooterSize += B->Size()->Height();
    TQRCustomBand* C = B->ChildBand();
    for (int Guard = 0; C && Guard < 1000; ++Guard, C = C->ChildBand())
      if (C->BandEnabled())
        FPageFooterSize += C->Size()->Height();
  }
}

void TCustomQRReport::SetUnits(TQRUnit Value)
{
  FPage->SetUnits(Value);
  for (Integer I = 0; I < ControlCount(); ++I) {
    if (auto* B = dynamic_cast<TQRCustomBand*>(Controls(I))) {
      B->Size()->SetUnits(Value);
      for (TQRPrintable* P : B->Printables())
        P->Size()->SetUnits(Value);
    } else if (auto* P = dynamic_cast<TQRPrintable*>(Controls(I))) {
      P->Size()->SetUnits(Value);
    }
  }
}

void TCustomQRReport::SetZoom(Integer Value)
{
  if (Value <= 0 || Value > 300)
    return;
  inherited::SetZoom(Value);
  FPage->SetZoom(Value);
  FPage->SetParentSizes();
  for (Integer I = 0; I < ControlCount(); ++I) {
    if (auto* B = dynamic_cast<TQRCustomBand*>(Controls(I)))
      B->SetZoom(Value);
    else if (auto* P = dynamic_cast<TQRPrintable*>(Controls(I)))
      P->SetZoom(Value);
  }
  SetBandValues();
}

void TCustomQRReport::Loaded()
{
  inherited::Loaded();
  FPage->Loaded();
  RebuildBandList();
  SetBandValues();
}

void TCustomQRReport::SetExportFilter(TQRExportFilter* Value)
{
  FExportFilter = Value;
  FExporting = Value != nullptr;
}

// ---------------------------------------------------------------------------
// The run

void TCustomQRReport::ForEachPrintable(const std::function<void(TQRPrintable*)>& Proc)
{
  std::function<void(TWinControl*)> Walk = [&](TWinControl* Panel) {
    for (Integer I = 0; I < Panel->ControlCount(); ++I) {
      TControl* C = Panel->Controls(I);
      if (auto* P = dynamic_cast<TQRPrintable*>(C))
        Proc(P);
      else if (auto* W = dynamic_cast<TWinControl*>(C))
        Walk(W);
    }
  };
  Walk(this);
}

void TCustomQRReport::PrepareControls(bool Prepare)
{
  ForEachPrintable([Prepare](TQRPrintable* P) {
    if (Prepare)
      P->Prepare();
    else
      P->Unprepare();
  });
}

std::unique_ptr<std::vector<TDataSet*>> TCustomQRReport::FormDataSets()
{
  auto Sets = std::make_unique<std::vector<TDataSet*>>();
  if (TCustomForm* Form = GetParentForm(this, false))
    CollectDataSets(Form, *Sets, true);
  else if (Owner())
    CollectDataSets(Owner(), *Sets, true);
  return Sets;
}

void TCustomQRReport::CopyPrinterSettings()
{
  TQRPrinter& Job = *FQRPrinter;
  Job.SetPrinterIndex(FPrinterSettings->PrinterIndex);
  Job.SetPaperSize(FPage->PaperSize());
  Job.SetOrientation(FPage->Orientation());
  if (Job.PaperSize() == TQRPaperSize::Custom) {
    const TQRUnit Old = FPage->Units();
    FPage->SetUnits(TQRUnit::Native);
    const Integer W = RoundInt(FPage->Width());
    const Integer L = RoundInt(FPage->Length());
    FPage->SetUnits(Old);
    const bool Portrait = FPage->Orientation() == poPortrait;
    Job.SetPaperWidth(Portrait ? W : L);
    Job.SetPaperLength(Portrait ? L : W);
  }
  const TQRPrinterSettings& S = *FPrinterSettings;
  Job.SetCopies(S.Copies);
  Job.SetOutputBin(S.OutputBin);
  Job.SetFirstPage(S.FirstPage);
  Job.SetLastPage(S.LastPage);
  Job.SetDuplex(S.Duplex);
  Job.SetUseStandardPrinter(S.UseStandardPrinter);
  Job.SetPrintMetafile(S.PrintMetafile);
  Job.SetUseCustomBinCode(S.UseCustomBinCode);
  Job.SetCustomBinCode(S.CustomBinCode);
  Job.SetUseCustomPaperCode(S.UseCustomPaperCode);
  Job.SetCustomPaperCode(S.CustomPaperCode);
  Job.SetPrintQuality(S.PrintQuality);
  Job.SetCollate(S.Collate);
  Job.SetColorOption(S.ColorOption);
  Job.SetExtendedDuplex(S.ExtendedDuplex);
}

void TCustomQRReport::CreateReport(bool Continuing)
{
  // A background run was marked busy by the GUI thread that started it.
  const bool Background = FBackgroundRun.exchange(false);
  if ((!FAvailable && !Background) || !FQRPrinter)
    return;
  TQRPage& P = *FPage;
  {
    const TQRUnit Old = P.Units();
    P.SetUnits(TQRUnit::Native);
    if (P.Width() - P.LeftMargin() - P.RightMargin() < 0) {
      P.SetLeftMargin(0);
      P.SetRightMargin(0);
    }
    if (P.Length() - P.TopMargin() - P.BottomMargin() < 0) {
      P.SetTopMargin(0);
      P.SetBottomMargin(0);
    }
    P.SetUnits(Old);
  }
  FAvailable = false;
  if (!Background)
    FCancelled = false;
  FLastPage = false;
  // A background run had its datasets looked up on the GUI thread.
  FAllDataSets = FPendingDataSets ? std::move(FPendingDataSets) : FormDataSets();
  ScopeExit Available([this] {
    FAllDataSets.reset();
    FAvailable = true;
  });
  // Entry n of the link list is page n of this run, not of an earlier one.
  if (UsePreviewLinks && !Continuing) {
    FPageLinkInfoList = std::make_unique<TQRPageInfoList>();
    NewLinkPage();
  }
  FBackgroundcontrol = nullptr;
  for (Integer I = 0; I < ControlCount(); ++I)
    if (auto* Img = dynamic_cast<TQRPrintable*>(Controls(I));
        Img && Img->ClassName() == QStringLiteral("TQRImage") && !FBackgroundImage.isEmpty() &&
        Img->Name() == FBackgroundImage)
      FBackgroundcontrol = Img;
  bool PrintReport = true;
  if (BeforePrint && !ComponentState().Contains(csDesigning))
    BeforePrint(this, PrintReport);
  if (!PrintReport)
    return;

  const TQRUnit OldUnits = Units();
  bool Prepared = false;
  bool EnvPrepared = false;
  auto Unprepare = [&] {
    SetUnits(OldUnits);
    if (Prepared) {
      PrepareControls(false);
      FController->Unprepare();
    }
    if (EnvPrepared) {
      FEnvironment->Unprepare();
      GlobalEnvironment()->Unprepare();
    }
    Prepared = EnvPrepared = false;
  };
  // Whatever happens, the job is ended or aborted and everything unprepared.
  auto EndJob = [&] {
    if (FCancelled)
      FQRPrinter->AbortDoc();
    else if (!Continuing) {
      if (FFinalPass)
        FQRPrinter->EndDoc();
      else
        FQRPrinter->AbortDoc();
    }
  };
  try {
    SetUnits(TQRUnit::Native);
    if (Continuing) {
      P.SetPaperSize(FQRPrinter->PaperSize());
      P.SetOrientation(FQRPrinter->Orientation());
    } else {
      CopyPrinterSettings();
      FQRPrinter->SetTitle(FReportTitle);
      FQRPrinter->SetCompression(FOptions.Contains(TQRReportOption::Compression));
      FQRPrinter->BeginDoc();
      FCurrentY = -1;
      FPagecount = 0;
    }
    FCurrentColumn = P.Columns();
    if (FExporting && FExportFilter && !FExportFilter->Active())
      FExportFilter->Start(RoundInt(P.Width()), RoundInt(P.Length()), Font());
    ResetPageFooterSize();
    for (TQRCustomBand* B : FBandList)
      B->SetParentReport(this);
    for (Integer I = 0; I < ControlCount(); ++I)
      if (auto* Pr = dynamic_cast<TQRPrintable*>(Controls(I)))
        Pr->SetParentReport(this);
    FCurrentX = RoundInt(P.LeftMargin());
    SetControllerBands();
    FController->RegisterClients();
    GlobalEnvironment()->Prepare();
    FEnvironment->SetDatasets(FAllDataSets.get());
    FEnvironment->Prepare();
    EnvPrepared = true;
    EvPageNumber = FEnvironment->GetConstant(QStringLiteral("PAGENUMBER"));
    EvColumnNumber = FEnvironment->GetConstant(QStringLiteral("COLUMNNUMBER"));
    EvReportTitle = FEnvironment->GetConstant(QStringLiteral("REPORTTITLE"));
    if (EvReportTitle)
      FEnvironment->SetStringConstant(EvReportTitle, FReportTitle);
    Prepared = true;
    FController->Prepare();
    PrepareControls(true);
    ContinuingRun = Continuing;
    RunController();
    if (!Continuing) {
      FCurrentX = RoundInt(P.LeftMargin());
      FLastPage = true;
      if (!FCancelled)
        EndPage();
      if (FExporting && FExportFilter)
        FExportFilter->Finish();
    } else if (Tag() == 999) {
      FLastPage = true;
      EndPage();
      if (FExporting && FExportFilter)
        FExportFilter->Finish();
    }
  } catch (...) {
    try {
      Unprepare();
      EndJob();
    } catch (...) {
      // The first error is the one the caller hears of.
    }
    throw;
  }
  Unprepare();
  EndJob();
}

void TCustomQRReport::RunController() { FController->Execute(); }

void TCustomQRReport::PrintBand(TQRCustomBand* Band)
{
  if (!Band)
    return;
  if (Band->AlignToBottom()) {
    if (Band->BandType() == rbSummary && !FOptions.Contains(TQRReportOption::LastPageFooter))
      FPageFooterSize = 0;
    const TQRPage& P = *FPage;
    const Integer Need = RoundInt(Band->Size()->Height() + P.BottomMargin() + FPageFooterSize);
    const Integer Extent = FQRPrinter->PaperLengthValue();
    if (Extent - FCurrentY >= Need)
      FCurrentY = (Extent - RoundInt(Band->Size()->Height())) - RoundInt(P.BottomMargin() + FPageFooterSize);
  }
  Band->Print();
}

Integer TCustomQRReport::AvailableSpace() const
{
  if (FAvailable || FCurrentY == -1 || !FQRPrinter)
    return 0;
  if (FExporting && FExportFilter && FExportFilter->Streaming())
    return FQRPrinter->PaperLengthValue();
  return RoundInt(FQRPrinter->PaperLengthValue() - FPage->BottomMargin() - FPageFooterSize - FCurrentY);
}

void TCustomQRReport::PrintColumnHeaders()
{
  for (const auto& [Name, Band] : FController->ColHeaders) {
    const TQRBandType Type = Band->BandType();
    Band->FQRBandType = rbColumnHeader;
    ScopeExit Restore([&] { Band->FQRBandType = Type; });
    PrintBand(Band);
    Band->SetPrintedInHeader(true);
  }
}

void TCustomQRReport::NewPage(bool printHeaders)
{
  EndPage();
  if (UsePreviewLinks)
    NewLinkPage();
  ++FPagecount;
  if (FExporting && FExportFilter)
    FExportFilter->NewPage();
  if (EvPageNumber)
    FEnvironment->SetIntegerConstant(EvPageNumber, FPagecount);
  // An export run draws nothing of its own after its first page.
  if (FFinalPass || FPagecount == 1)
    FQRPrinter->NewPage();
  const Integer First = FQRPrinter->FirstPage();
  const Integer Last = FQRPrinter->LastPage();
  const bool InRange = First == 0 || Last == 0 || (First <= FPagecount && FPagecount <= Last);
  if (FQRPrinter->Destination() == qrdPrinter && !FQRPrinter->IsPrinting && InRange) {
    FCancelled = true;
    FQRPrinter->Cancel();
    return;
  }
  const TQRPage& P = *FPage;
  FCurrentY = RoundInt(P.TopMargin());
  if (OnStartPage && !ComponentState().Contains(csDesigning))
    OnStartPage(this);
  TCanvas* C = FQRPrinter->Canvas();
  if (FBackgroundColor != TColor(0xFFFFFF) && C) {
    const TRect R(0, 0, RoundInt(P.Width() * FQRPrinter->XFactor()), RoundInt(P.Length() * FQRPrinter->YFactor()));
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(FBackgroundColor);
    C->Pen()->SetStyle(psClear);
    C->Rectangle(R);
    C->Pen()->SetStyle(psSolid);
    if (FExporting && FExportFilter) {
      TQRShape Shape(nullptr);
      Shape.SetShape(qrsRectangle);
      Shape.Brush()->SetColor(FBackgroundColor);
      Shape.Brush()->SetStyle(bsSolid);
      Shape.Pen()->SetStyle(psClear);
      Shape.SetBounds(0, 0, R.Right, R.Bottom);
      FExportFilter->AcceptGraphic(0, 0, &Shape);
    }
  }
  if (FBackgroundcontrol) {
    const Integer X = FQRPrinter->XPos(FBackgroundcontrol->Size()->Left());
    const Integer Y = FQRPrinter->YPos(FBackgroundcontrol->Size()->Top());
    const TRect R(X, Y, X + RoundInt(FBackgroundcontrol->Size()->Width() * FQRPrinter->XFactor()),
                  Y + RoundInt(FBackgroundcontrol->Size()->Height() * FQRPrinter->YFactor()));
    if (auto* Img = dynamic_cast<TQRImage*>(FBackgroundcontrol); Img && C)
      QRPrintPicture(FQRPrinter.get(), Img->Picture()->Graphic(), R, true, false);
    if (FExporting && FExportFilter)
      FExportFilter->AcceptGraphic(X, Y, FBackgroundcontrol);
  }
  if (FPagecount > 1 || FOptions.Contains(TQRReportOption::FirstPageHeader))
    PrintBand(FBands->PageHeaderBand());
  FColumnTopPosition = FCurrentY;
  FCurrentColumn = 1;
  if (FPagecount == 1)
    if (TQRCustomBand* Title = FBands->TitleBand())
      FColumnTopPosition += RoundInt(Title->Size()->Height());
  if (FPagecount > 1 && printHeaders)
    PrintColumnHeaders();
}

void TCustomQRReport::NewColumn()
{
  PrintBand(FBands->ColumnFooterBand());
  const TQRPage& P = *FPage;
  if (FCurrentColumn >= P.Columns()) {
    FCurrentColumn = 1;
    FCurrentX = RoundInt(P.LeftMargin());
    NewPage(false);
  } else {
    Integer CW;
    if (TQRCustomBand* Detail = FBands->DetailBand())
      CW = RoundInt(Detail->Size()->Width());
    else
      CW = (RoundInt(P.Width() - (P.LeftMargin() + P.RightMargin())) -
            RoundInt(P.ColumnSpace()) * (P.Columns() - 1)) / P.Columns();
    FCurrentX += RoundInt(P.ColumnSpace()) + CW;
    FCurrentY = FColumnTopPosition;
    ++FCurrentColumn;
  }
  if (EvColumnNumber)
    FEnvironment->SetIntegerConstant(EvColumnNumber, FCurrentColumn);
  if (!(FCurrentColumn == 1 && FPagecount == 1))
    PrintColumnHeaders();
}

void TCustomQRReport::EndPage()
{
  if (FPagecount > 0) {
    const TQRPage& P = *FPage;
    FCurrentY = RoundInt(P.Length() - P.BottomMargin() - FPageFooterSize);
    FCurrentX = RoundInt(P.LeftMargin());
    if (!(FLastPage && !FOptions.Contains(TQRReportOption::LastPageFooter)))
      PrintBand(FBands->PageFooterBand());
    PrintReportControls();
    if (OnEndPage && !ComponentState().Contains(csDesigning))
      OnEndPage(this);
  }
  if (UsePreviewLinks && FPendingLinkPage)
    FPageLinkInfoList->addPageRec(FPendingLinkPage.release());
  if (FExporting && FExportFilter)
    FExportFilter->EndPage();
}

void TCustomQRReport::PrintReportControls()
{
  for (Integer I = 0; I < ControlCount(); ++I)
    if (auto* P = dynamic_cast<TQRPrintable*>(Controls(I)); P && P != FBackgroundcontrol)
      P->Print(0, 0);
  if (!FQRPrinter || !FQRPrinter->Canvas() || !FFrame->AnyFrame() || !(FFinalPass || FExporting))
    return;
  const TQRPrinter& Job = *FQRPrinter;
  const TRect R(Job.XPos(FPage->LeftMargin()), Job.YPos(FPage->TopMargin()),
                Job.XPos(FPage->Width() - FPage->RightMargin()), Job.YPos(FPage->Length() - FPage->BottomMargin()));
  FFrame->PaintIt(FQRPrinter->Canvas(), R, Job.XFactor(), Job.YFactor());
}

// ---------------------------------------------------------------------------
// Operations

bool TCustomQRReport::NewPrinterObject()
{
  if (!FAvailable || RunningInBackground())
    return false;
  TWinControl* Client = FQRPrinter ? FQRPrinter->Client() : nullptr;
  RetireJob();
  FQRPrinter = TQRJobPtr(new TQRPrinter(this));
  FQRPrinter->SetClient(Client);
  FQRPrinter->AfterPreview = [this](TObject*) {
    if (AfterPreview)
      AfterPreview(this);
  };
  FQRPrinter->AfterPrint = [this](TObject*) {
    if (AfterPrint)
      AfterPrint(this);
  };
  return true;
}

void TCustomQRReport::SetupPreviewJob()
{
  FQRPrinter->SetDestination(qrdMetafile);
  FQRPrinter->OnExportToFilter = [this](TQRExportFilter* F) { ExportToFilter(F); };
  FQRPrinter->SetTitle(FReportTitle);
  if (OnPreview)
    FQRPrinter->OnPreview = OnPreview;
}

void TCustomQRReport::Prepare()
{
  if (!NewPrinterObject() || FQRPrinter->ShowingPreview())
    return;
  SetupPreviewJob();
  CreateReport(false);
  FQRPrinter->SetReportLoaded(true);
}

// The common start of the preview operations; false when nothing more is to
// be done here.
bool TCustomQRReport::BeginPreview(bool Modal)
{
  if (FPrinterSettings->PrintMetafile)
    PrintStoredPages = true;
  if (BeforePreview)
    BeforePreview(this);
  if (!Modal)
    QRProcessMessages();
  if (FCreateInBGThread) {
    PreviewInThread(Modal);
    return false;
  }
  if (!NewPrinterObject() || FQRPrinter->Status() != mpReady)
    return false;
  SetupPreviewJob();
  CopyPrinterSettings();
  return true;
}

// Generates into the previewed job. An error closes the preview and goes on
// to the caller; a cancelled run drops its job. False when nothing is left
// to show.
bool TCustomQRReport::GenerateForPreview()
{
  try {
    CreateReport(false);
  } catch (...) {
    if (auto* Form = dynamic_cast<TCustomForm*>(FQRPrinter->PreviewControl()))
      Form->Close();
    FQRPrinter->SetShowingPreview(false);
    FQRPrinter.reset();
    throw;
  }
  FQRPrinter->SetReportLoaded(true);
  if (OnPreviewShowing)
    OnPreviewShowing(this);
  if (FCancelled) {
    FQRPrinter->SetShowingPreview(false);
    FQRPrinter.reset();
    return false;
  }
  return true;
}

void TCustomQRReport::Preview()
{
  if (FQRPrinter && FQRPrinter->ShowingPreview())
    return;
  if (!BeginPreview(false))
    return;
  FQRPrinter->Preview();
  if (!GenerateForPreview())
    return;
  while (FQRPrinter && FQRPrinter->ShowingPreview() && Application && !Application->Terminated())
    Application->HandleMessage();
}

void TCustomQRReport::PreviewModal()
{
  if (BeginPreview(true) && GenerateForPreview())
    FQRPrinter->PreviewModal();
}

void TCustomQRReport::PreviewModeless() { PreviewInThread(false); }

void TCustomQRReport::PreviewInThread(bool Modal)
{
  if (!NewPrinterObject() || FQRPrinter->Status() != mpReady || FQRPrinter->ShowingPreview())
    return;
  SetupPreviewJob();
  StartBackground();
  if (Modal)
    FQRPrinter->PreviewModal();
  else
    FQRPrinter->Preview();
}

void TCustomQRReport::Print()
{
  if (FPrinterSettings->PrintMetafile && FQRPrinter && FQRPrinter->Status() == mpFinished) {
    FQRPrinter->Print();
    return;
  }
  TQRJobPtr Kept = std::move(FQRPrinter);
  FQRPrinter = TQRJobPtr(new TQRPrinter(this));
  auto Restore = [&] {
    FQRPrinter = std::move(Kept);
    FPrinterSettings->FirstPage = 0;
    FPrinterSettings->LastPage = 0;
  };
  if (!FAvailable || RunningInBackground() || !FQRPrinter->PrinterOK()) {
    Restore();
    return;
  }
  FQRPrinter->AfterPrint = [this](TObject*) {
    if (AfterPrint)
      AfterPrint(this);
  };
  FQRPrinter->SetDestination(qrdPrinter);
  try {
    CreateReport(false);
  } catch (...) {
    Restore();
    throw;
  }
  Restore();
}

void TCustomQRReport::PrintBackground()
{
  if (!NewPrinterObject())
    return;
  if (!FQRPrinter->PrinterOK())
    return;
  FQRPrinter->SetDestination(qrdPrinter);
  CopyPrinterSettings();
  StartBackground();
}

void TCustomQRReport::ExportToFilter(TQRExportFilter* AFilter)
{
  SetZoom(100);
  bool Handled = false;
  if (OnExport)
    OnExport(this, Handled);
  if (Handled || !FAvailable || RunningInBackground())
    return;
  SetExportFilter(AFilter);
  AFilter->SetOwner(this);
  AFilter->SetOriginalQRPrinter(FQRPrinter.get());
  FFinalPass = false;
  TQRJobPtr Kept = std::move(FQRPrinter);
  FQRPrinter = TQRJobPtr(new TQRPrinter(this));
  ScopeExit Restore([&] {
    FQRPrinter = std::move(Kept);
    SetExportFilter(nullptr);
    FFinalPass = true;
  });
  CreateReport(false);
}

void TCustomQRReport::Cancel()
{
  if (FAvailable)
    return;
  FCancelled = true;
  if (FQRPrinter)
    FQRPrinter->Cancel();
}

// ---------------------------------------------------------------------------
// Background runs

void TCustomQRReport::StartBackground()
{
  if (BGThread) {
    BGThread->Join();
    BGThread.reset();
  }
  // Everything that needs the GUI thread is done here, before the thread.
  FPendingDataSets = FormDataSets();
  FCancelled = false;
  FAvailable = false;
  FBackgroundRun = true;
  BGThread = std::make_unique<TQRCreateReportThread>(this);
}

void TCustomQRReport::StopBackground()
{
  if (!BGThread || BGThread->OnItsThread())
    return;
  Cancel();
  BGThread->Join();
}

bool TCustomQRReport::RunningInBackground() const { return BGThread && !BGThread->Finished(); }

void TCustomQRReport::WaitForBackground()
{
  if (!BGThread)
    return;
  BGThread->Join();
  const String Error = BGThread->Error();
  BGThread.reset();
  if (!Error.isEmpty())
    throw EQRError(Error);
}

// The GUI thread's part at the end of a background run: a cancelled run's job
// goes, unless a preview shows what it had.
void TCustomQRReport::BackgroundFinished(bool WasCancelled)
{
  if (WasCancelled && FQRPrinter && !FQRPrinter->ShowingPreview() && !RunningInBackground())
    FQRPrinter.reset();
}

void TCustomQRReport::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_QRPAGEAVAILABLE:
    Invalidate();
    return;
  case CM_QRPRINT:
    Print();
    return;
  case CM_QRPREVIEWCLOSE:
    if (FAvailable && !RunningInBackground()) {
      if (FQRPrinter) {
        FQRPrinter->SetShowingPreview(false);
        FQRPrinter.reset();
      }
    } else {
      Cancel();
    }
    return;
  default:
    inherited::Dispatch(Message);
  }
}

TQRCreateReportThread::TQRCreateReportThread(TCustomQRReport* AReport)
  : FQRReport(AReport), FQRPrinter(AReport->QRPrinter())
{
  FThread = std::thread([this] { Execute(); });
}

TQRCreateReportThread::~TQRCreateReportThread() { Join(); }

void TQRCreateReportThread::Join()
{
  if (FThread.joinable())
    FThread.join();
}

String TQRCreateReportThread::Error() const
{
  std::lock_guard Hold(FErrorLock);
  return FError;
}

void TQRCreateReportThread::Execute()
{
  TCustomQRReport* Report = FQRReport;
  try {
    Report->CreateReport(false);
  } catch (const Exception& E) {
    std::lock_guard Hold(FErrorLock);
    FError = E.Message();
  } catch (const std::exception& E) {
    std::lock_guard Hold(FErrorLock);
    FError = String::fromUtf8(E.what());
  }
  Report->SetPreparingDesignTime(false);
  Report->FAvailable = true;
  const bool WasCancelled = Report->Cancelled();
  // The job is released on the GUI thread; nothing is queued there once the
  // report is gone.
  Report->FGuiContext->Queue([Report, WasCancelled] { Report->BackgroundFinished(WasCancelled); });
  FFinished = true;
}

// ---------------------------------------------------------------------------
// TQRReport

TQRReport::TQRReport(TComponent* AOwner) : TCustomQRReport(AOwner)
{
  FController = MakeController();
}

std::unique_ptr<TQRCustomController> TQRReport::MakeController()
{
  auto C = std::make_unique<TQRController>(this);
  C->SetParentReport(this);
  C->SetSelfCheck(this);
  return C;
}

TDataSet* TQRReport::DataSet() const
{
  auto* C = dynamic_cast<TQRController*>(FController.get());
  return C ? C->DataSet() : nullptr;
}

void TQRReport::SetDataSet(TDataSet* Value)
{
  if (auto* C = dynamic_cast<TQRController*>(FController.get()))
    C->SetDataSet(Value);
}

void TQRReport::SetControllerBands()
{
  auto* C = dynamic_cast<TQRController*>(FController.get());
  if (!C)
    return;
  C->SetDetail(Bands()->DetailBand());
  C->SetHeader(Bands()->TitleBand());
  C->SetFooter(Bands()->SummaryBand());
}

void TQRReport::RunController()
{
  SetControllerBands();
  if (auto* C = dynamic_cast<TQRController*>(FController.get()))
    C->OnNeedData = OnNeedData;
  FController->Execute();
}

Integer TQRReport::RecordCount()
{
  TDataSet* DS = DataSet();
  if (!DS || !DS->Active())
    return 1;
  if (replaceRecordcount > 0)
    return replaceRecordcount;
  try {
    if (!usePassiveRecordCount)
      DS->Last();
    const Integer Count = DS->RecordCount();
    if (!usePassiveRecordCount)
      DS->First();
    return Count;
  } catch (const Exception&) {
    return 1;
  }
}

// ---------------------------------------------------------------------------
// TQRPrintable

TQRPrintable::TQRPrintable(TComponent* AOwner)
  : TCustomControl(AOwner), FFrame(std::make_unique<TQRFrame>()), FSize(std::make_unique<TQRPrintableSize>(this))
{
  FFrame->SetParent(this);
  TControlStyle Style = ControlStyle();
  Style.Include(csOpaque);
  SetControlStyle(Style);
  SetColor(clWhite);
  SetBounds(Left(), Top(), 10, 10);
}

TQRPrintable::~TQRPrintable()
{
  if (FParentReport)
    FParentReport->StopBackground();
}

bool TQRPrintable::Loading() const
{
  return ComponentState().Contains(csLoading) || (FParentReport && FParentReport->PreparingDesignTime());
}

void TQRPrintable::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  if (FSize->ParentUpdating()) {
    inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (FParentReport)
      FParentReport->SetModified(true);
  } else if (Loading()) {
    if (ALeft != 0)
      LoadedLeft = ALeft;
    if (ATop != 0)
      LoadedTop = ATop;
    if (AWidth != 0)
      LoadedWidth = AWidth;
    if (AHeight != 0)
      LoadedHeight = AHeight;
  } else {
    FSize->SetPixels();
    FSize->SetHeight(AHeight);
    FSize->SetWidth(AWidth);
    FSize->SetTop(ATop);
    FSize->SetLeft(ALeft);
    FSize->RestoreUnits();
  }
  if (FAlignToBand && !AlignUpdating)
    ApplyAlignToBand();
}

void TQRPrintable::SetParent(TWinControl* AParent)
{
  inherited::SetParent(AParent);
  auto TakeReport = [this](TCustomQRReport* Report) {
    FParentReport = Report;
    FSize->SetParentReport(Report);
    SetZoom(Report->Zoom());
    SetTop(Top());
    SetLeft(Left());
  };
  if (auto* Report = dynamic_cast<TCustomQRReport*>(AParent)) {
    FSize->SetUnits(Report->Units());
    TakeReport(Report);
  } else if (auto* Band = dynamic_cast<TQRCustomBand*>(AParent)) {
    FSize->SetUnits(Band->Size()->Units());
    if (Band->ParentReport())
      TakeReport(Band->ParentReport());
    SetTop(Top());
    SetLeft(Left());
  }
}

void TQRPrintable::Loaded()
{
  inherited::Loaded();
  FSize->Loaded();
  if (Left() == 0 && LoadedLeft != 0)
    SetLeft(LoadedLeft);
  if (Top() == 0 && LoadedTop != 0)
    SetTop(LoadedTop);
  if (Width() == 0 && LoadedWidth != 0)
    SetWidth(LoadedWidth);
  if (Height() == 0 && LoadedHeight != 0)
    SetHeight(LoadedHeight);
}

bool TQRPrintable::ShouldPrint() const { return Enabled() || !Visible(); }

TQRPrintableEditorClass TQRPrintable::GetEditorClass() const { return TQRPrintableEditor::StaticClass(); }

void TQRPrintable::ApplyAlignToBand()
{
  if (!FAlignToBand)
    return;
  AlignUpdating = true;
  ScopeExit Done([this] { AlignUpdating = false; });
  auto* Band = dynamic_cast<TQRCustomBand*>(Parent());
  switch (FAlignment) {
  case taLeftJustify:
    SetLeft(0);
    break;
  case taRightJustify:
    if (Band)
      SetLeft(Band->Width() - Width());
    break;
  case taCenter:
    if (Band)
      SetLeft((Band->Width() - Width()) / 2);
    break;
  }
}

void TQRPrintable::Prepare()
{
  FIsPrinting = true;
  FQRPrinter = FParentReport ? FParentReport->QRPrinter() : nullptr;
}

void TQRPrintable::Unprepare() { FIsPrinting = false; }

void TQRPrintable::Print(Integer OfsX, Integer OfsY)
{
  if (!FParentReport || !FParentReport->FinalPass() || !FFrame->AnyFrame() || !FQRPrinter)
    return;
  const TRect R(FQRPrinter->XPos(OfsX + FSize->Left()), FQRPrinter->YPos(OfsY + FSize->Top()),
                FQRPrinter->XPos(OfsX + FSize->Left() + FSize->Width()),
                FQRPrinter->YPos(OfsY + FSize->Top() + FSize->Height()));
  FFrame->PaintIt(FQRPrinter->Canvas(), R, FQRPrinter->XFactor(), FQRPrinter->YFactor());
}

void TQRPrintable::ReceiveNotify(TObject* /*Sender*/, Integer Operation)
{
  if (Operation == qrBandBoundsChanged)
    ApplyAlignToBand();
}

void TQRPrintable::SetAlignment(TAlignment Value)
{
  FAlignment = Value;
  if (FAlignToBand)
    ApplyAlignToBand();
  Invalidate();
}

void TQRPrintable::SetAlignToBand(bool Value)
{
  FAlignToBand = Value;
  ApplyAlignToBand();
}

// A frame is copied, never shared: the control keeps owning its own.
void TQRPrintable::SetFrame(TQRFrame* Value)
{
  if (Value && Value != FFrame.get())
    FFrame->Assign(Value);
  Invalidate();
}

bool TQRPrintable::Transparent() const { return !ControlStyle().Contains(csOpaque); }

void TQRPrintable::SetTransparent(bool Value)
{
  TControlStyle Style = ControlStyle();
  if (Value)
    Style.Exclude(csOpaque);
  else
    Style.Include(csOpaque);
  SetControlStyle(Style);
  Invalidate();
}

void TQRPrintable::SetZoom(Integer Value)
{
  if (Value <= 0)
    return;
  FSize->SetZoom(Value);
  FSize->SetParentSizes();
}

void TQRPrintable::Paint()
{
  if (FIsPrinting)
    return;
  TCanvas* C = Canvas();
  const Integer W = Width();
  const Integer H = Height();
  if (!Transparent()) {
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clWhite);
    C->FillRect(TRect(0, 0, W, H));
  }
  C->Pen()->SetColor(clBlack);
  C->Pen()->SetWidth(1);
  C->Pen()->SetStyle(psSolid);
  C->Polyline({TPoint(0, 3), TPoint(0, 0), TPoint(3, 0)});
  C->Polyline({TPoint(0, H - 4), TPoint(0, H - 1), TPoint(3, H - 1)});
  C->Polyline({TPoint(W - 4, 0), TPoint(W - 1, 0), TPoint(W - 1, 3)});
  C->Polyline({TPoint(W - 4, H - 1), TPoint(W - 1, H - 1), TPoint(W - 1, H - 4)});
  const Extended Factor = Extended(Zoom()) * (Extended(QRLogicalPixelsPerInch) / 254) / 100;
  TRect R = ClientRect();
  R.Right -= 1;
  R.Bottom -= 1;
  FFrame->PaintIt(C, R, Factor, Factor);
}

// ---------------------------------------------------------------------------
// Registration

void RegisterQRReportClasses()
{
  static bool Done = false;
  if (Done)
    return;
  Done = true;
  RegisterGuiClasses();
  RegisterEnum<TPrinterOrientation>("TPrinterOrientation", {"poPortrait", "poLandscape"});
  RegisterEnum<TQRUnit>("TQRUnit", {"MM", "Inches", "Pixels", "Characters", "Native"});
  RegisterEnum<TQRPrintOrder>("TQRPrintOrder", {"ColByCol", "RowByRow"});
  RegisterEnum<TQRPaperSize>("TQRPaperSize",
      {"Default", "Letter", "LetterSmall", "Tabloid", "Ledger", "Legal", "Statement", "Executive", "A3", "A4",
       "A4Small", "A5", "B4", "B5", "Folio", "Quarto", "qr10X14", "qr11X17", "Note", "Env9", "Env10", "Env11",
       "Env12", "Env14", "CSheet", "DSheet", "ESheet", "EnvDL", "EnvC5", "EnvC3", "EnvC4", "EnvC6", "EnvC65",
       "EnvB4", "EnvB5", "EnvB6", "EnvItaly", "EnvMonarch", "EnvPersonal", "FanfoldUSStd", "FanfoldGerStd",
       "FanfoldGerLegal", "B4ISO", "PostcardJap", "qr9X11", "qr10X11", "qr15X11", "EnvInvite", "Reserved1",
       "Reserved2", "LetterExtra", "LegalExtra", "TabloidExtra", "A4Extra", "LetterTrans", "A4Trans",
       "LetterExtraTrans", "SuperASuperAA4", "SuperBSuperBA3", "LetterPlus", "A4Plus", "A5Trans", "B5Trans",
       "A3Extra", "A5Extra", "B5Extra", "A2", "A3Trans", "A3ExtraTrans", "Custom"});
  RegisterEnum<TXLNumFormat>("TXLNumFormat",
      {"nfGeneral", "nfInteger", "nfDec2", "nfIntRound", "nfCurrencyNS", "nfCurrency", "nfCurrency2",
       "nfCurrencyDec", "nfCurrencyDec2", "nfPercent", "nfPercentDec2", "nfFraction", "nfFraction2", "nfDate1",
       "nfDate2", "nfDate3", "nfDate4", "nfTime1", "nfTime2", "nfTime3", "nfTime4", "nfDateTime"});

  RegisterClassInfo<TQRFrame, TPersistent>("TQRFrame")
      .Property("Color", &TQRFrame::Color, &TQRFrame::SetColor, clBlack)
      .Property("DrawTop", &TQRFrame::DrawTop, &TQRFrame::SetDrawTop, false)
      .Property("DrawBottom", &TQRFrame::DrawBottom, &TQRFrame::SetDrawBottom, false)
      .Property("DrawLeft", &TQRFrame::DrawLeft, &TQRFrame::SetDrawLeft, false)
      .Property("DrawRight", &TQRFrame::DrawRight, &TQRFrame::SetDrawRight, false)
      .Property("Style", &TQRFrame::Style, &TQRFrame::SetStyle, psSolid)
      .Property("Width", &TQRFrame::Width, &TQRFrame::SetWidth, 1);
  RegisterClassInfo<TQRUnitBase, TPersistent>("TQRUnitBase");
  // The lengths themselves are stored as the Values list.
  RegisterClassInfo<TQRPage, TQRUnitBase>("TQRPage")
      .Property("Columns", &TQRPage::Columns, &TQRPage::SetColumns, 1)
      .Property("Orientation", &TQRPage::Orientation, &TQRPage::SetOrientation, poPortrait)
      .Property("PaperSize", &TQRPage::PaperSize, &TQRPage::SetPaperSize)
      .Property("Ruler", &TQRPage::Ruler, &TQRPage::SetRuler, true)
      .Property("Continuous", &TQRPage::Continuous, &TQRPage::SetContinuous, false);
  RegisterClassInfo<TQRBandSize, TQRUnitBase>("TQRBandSize")
      .Property("Height", &TQRBandSize::Height, &TQRBandSize::SetHeight).Stored(false)
      .Property("Width", &TQRBandSize::Width, &TQRBandSize::SetWidth).Stored(false);
  RegisterClassInfo<TQRPrintableSize, TQRUnitBase>("TQRPrintableSize")
      .Property("Height", &TQRPrintableSize::Height, &TQRPrintableSize::SetHeight).Stored(false)
      .Property("Left", &TQRPrintableSize::Left, &TQRPrintableSize::SetLeft).Stored(false)
      .Property("Top", &TQRPrintableSize::Top, &TQRPrintableSize::SetTop).Stored(false)
      .Property("Width", &TQRPrintableSize::Width, &TQRPrintableSize::SetWidth).Stored(false);
  RegisterClassInfo<TQRBasePanel, TCustomPanel>("TQRBasePanel").Property("Frame", &TQRBasePanel::Frame);
  RegisterEnum<TQRBandType>("TQRBandType",
      {"rbTitle", "rbPageHeader", "rbDetail", "rbPageFooter", "rbSummary", "rbGroupHeader", "rbGroupFooter",
       "rbSubDetail", "rbColumnHeader", "rbOverlay", "rbWild", "rbChild"});
  RegisterEnum<TCBPrintOrder>("TCBPrintOrder", {"cboBeforeParent", "cboAfterParent", "cboBeforeAndAfter"});
  RegisterClassInfo<TQRCustomBand, TQRBasePanel>("TQRCustomBand")
      .Property("Size", &TQRCustomBand::Size)
      .Property("AlignToBottom", &TQRCustomBand::AlignToBottom, &TQRCustomBand::SetAlignToBottom, false)
      .Property("Enabled", &TQRCustomBand::BandEnabled, &TQRCustomBand::SetEnabled, true)
      .Property("ForceNewColumn", &TQRCustomBand::ForceNewColumn, &TQRCustomBand::SetForceNewColumn, false)
      .Property("ForceNewPage", &TQRCustomBand::ForceNewPage, &TQRCustomBand::SetForceNewPage, false)
      .Property("KeepOnOnePage", &TQRCustomBand::KeepOnOnePage, &TQRCustomBand::SetKeepOnOnePage, false)
      .Property("PreCaluculateBandHeight", &TQRCustomBand::PreCaluculateBandHeight,
                &TQRCustomBand::SetPreCaluculateBandHeight, false)
      .Property("TransparentBand", &TQRCustomBand::TransparentBand, &TQRCustomBand::SetTransparentBand, false)
      .Property("HasChild", &TQRCustomBand::HasChild, &TQRCustomBand::SetHasChild).Stored(false);
  RegisterClassInfo<TQRBand, TQRCustomBand>("TQRBand")
      .Property("BandType", &TQRBand::BandType, &TQRBand::SetBandType);
  RegisterClassInfo<TQRChildBand, TQRCustomBand>("TQRChildBand")
      .Property("PrintOrder", &TQRChildBand::PrintOrder, &TQRChildBand::SetPrintOrder, cboAfterParent);
  RegisterClassInfo<TQRGroup, TQRCustomBand>("TQRGroup")
      .Property("Expression", &TQRGroup::Expression, &TQRGroup::SetExpression)
      .Property("ReprintOnNewPage", &TQRGroup::ReprintOnNewPage, &TQRGroup::SetReprintOnNewPage, false);
  RegisterClassInfo<TQRControllerBand, TQRCustomBand>("TQRControllerBand")
      .Property("PrintBefore", &TQRControllerBand::PrintBefore, &TQRControllerBand::SetPrintBefore, false)
      .Property("PrintIfEmpty", &TQRControllerBand::PrintIfEmpty, &TQRControllerBand::SetPrintIfEmpty, true);
  RegisterClassInfo<TQRSubDetail, TQRControllerBand>("TQRSubDetail");
  RegisterClassInfo<TCustomQRReport, TQRBasePanel>("TCustomQRReport")
      .Property("Page", &TCustomQRReport::Page)
      .Property("ReportTitle", &TCustomQRReport::ReportTitle, &TCustomQRReport::SetReportTitle)
      .Property("PrintIfEmpty", &TCustomQRReport::PrintIfEmpty, &TCustomQRReport::SetPrintIfEmpty, true)
      .Property("ShowProgress", &TCustomQRReport::ShowProgress, &TCustomQRReport::SetShowProgress, true)
      .Property("PagesInPreview", &TCustomQRReport::PagesInPreview, &TCustomQRReport::SetPagesInPreview, 0)
      .Property("CreateInBGThread", &TCustomQRReport::CreateInBGThread, &TCustomQRReport::SetCreateInBGThread,
                false)
      .Property("BackImageControl", &TCustomQRReport::BackImageControl, &TCustomQRReport::SetBackImageControl);
  RegisterClassInfo<TQRReport, TCustomQRReport>("TQRReport");
  RegisterClassInfo<TQRPrintable, TCustomControl>("TQRPrintable")
      .Property("Enabled", &TQRPrintable::Enabled, &TQRPrintable::SetEnabled, true)
      .Property("Frame", &TQRPrintable::Frame)
      .Property("Size", &TQRPrintable::Size)
      .Property("XLColumn", &TQRPrintable::XLColumn, &TQRPrintable::SetXLColumn, 0)
      .Property("XLNumFormat", &TQRPrintable::XLNumFormat, &TQRPrintable::SetXLNumFormat, nfGeneral)
      .Property("ActiveInPreview", &TQRPrintable::ActiveInPreview, &TQRPrintable::SetActiveInPreview, false);
}

// ---------------------------------------------------------------------------
// Engine utilities

namespace {

// The text of a text-output record: nChars characters at offString from the
// record's start, 16-bit for the wide record, 8-bit for the other.
String RecordText(const TEnhMetaRecord& Record)
{
  constexpr UINT ExtTextOutA = 83;
  if (Record.iType != EMR_EXTTEXTOUTW && Record.iType != ExtTextOutA)
    return String();
  const QByteArray& B = Record.Bytes;
  auto At = [&B](int Offset) {
    quint32 V = 0;
    if (Offset >= 0 && Offset + 4 <= B.size())
      for (int I = 3; I >= 0; --I)
        V = (V << 8) | quint8(B[Offset + I]);
    return V;
  };
  const qint64 Chars = At(44);
  const qint64 Offset = At(48);
  const qint64 Width = Record.iType == EMR_EXTTEXTOUTW ? 2 : 1;
  if (Chars <= 0 || Offset < 0 || Offset + Chars * Width > B.size())
    return String();
  const char* P = B.constData() + Offset;
  if (Width == 1)
    return QString::fromLatin1(P, int(Chars));
  std::u16string S(std::size_t(Chars), u'\0');
  for (qint64 I = 0; I < Chars; ++I)
    S[std::size_t(I)] = char16_t(quint8(P[2 * I]) | (quint8(P[2 * I + 1]) << 8));
  return QString::fromStdU16String(S);
}

bool SearchBusy = false;

void AddDataSetsOf(TComponent* Root, bool Recurse, std::vector<std::pair<String, TDataSet*>>& List)
{
  for (Integer I = 0; I < Root->ComponentCount(); ++I) {
    TComponent* C = Root->Components(I);
    if (auto* DS = dynamic_cast<TDataSet*>(C))
      List.emplace_back(DS->Name(), DS);
    if (Recurse && dynamic_cast<TWinControl*>(C))
      AddDataSetsOf(C, true, List);
  }
}

}   // namespace

bool TextInMetafile(const String& Text, TMetafile* Metafile, bool MatchCase)
{
  if (Text.isEmpty() || !Metafile)
    return false;
  // A search started again from a message waits for the one running.
  while (SearchBusy && Application && QRInGuiThread())
    Application->ProcessMessages();
  SearchBusy = true;
  ScopeExit Done([] { SearchBusy = false; });
  const String Wanted = MatchCase ? Text : Text.toUpper();
  bool Found = false;
  Metafile->Enumerate([&](const TEnhMetaRecord& Record) {
    const String S = RecordText(Record);
    Found = !S.isEmpty() && (MatchCase ? S : S.toUpper()).contains(Wanted);
    return !Found;
  });
  return Found;
}

std::vector<std::pair<String, TDataSet*>> GetDataSetList(TCustomForm* Form, bool IncludeDataModules)
{
  std::vector<std::pair<String, TDataSet*>> List;
  if (Form)
    AddDataSetsOf(Form, true, List);
  if (IncludeDataModules && Screen)
    for (Integer I = 0; I < Screen->DataModuleCount(); ++I)
      AddDataSetsOf(Screen->DataModules(I), false, List);
  return List;
}

bool HasPublishedProperty(const TComponent* Instance, const String& PropName)
{
  return Instance && GetPropInfo(Instance, PropName) != nullptr;
}

bool GetBooleanProperty(const TControl* Instance, const String& PropName)
{
  if (!HasPublishedProperty(Instance, PropName))
    return false;
  try {
    return GetOrdProp(Instance, GetPropInfo(Instance, PropName)) == 1;
  } catch (const Exception&) {
    return false;
  }
}

String GetStringProperty(const TComponent* Instance, const String& PropName)
{
  if (!HasPublishedProperty(Instance, PropName))
    return String();
  try {
    return GetStrProp(Instance, GetPropInfo(Instance, PropName));
  } catch (const Exception&) {
    return String();
  }
}
