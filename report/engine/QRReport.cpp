// QRReport.cpp: native units and their conversion, page, sizes, frames, the
// panel base of reports and bands, and the printable control base.
#include "report/engine/QRReport.h"

#include "report/engine/QRCtrls.h"

#include "platform/gui/Forms.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/ScopeExit.h"

#include <cmath>

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
// TQRCustomBand

TQRCustomBand::TQRCustomBand(TComponent* AOwner)
  : TQRBasePanel(AOwner), FSize(std::make_unique<TQRBandSize>(this))
{
  FSize->SetParentSizes();
}

TQRCustomBand::~TQRCustomBand() = default;

std::vector<TQRPrintable*> TQRCustomBand::Printables() const
{
  std::vector<TQRPrintable*> Result;
  for (Integer I = 0; I < ControlCount(); ++I)
    if (auto* P = dynamic_cast<TQRPrintable*>(Controls(I)))
      Result.push_back(P);
  return Result;
}

void TQRCustomBand::SetParentReport(TCustomQRReport* Value)
{
  FParentReport = Value;
  FSize->SetParentReport(Value);
}

void TQRCustomBand::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  if (!FSize->ParentUpdating() && FParentReport) {
    // A change from code or the designer goes through the size, in pixels.
    FSize->SetPixels();
    FSize->SetWidth(AWidth);
    FSize->SetHeight(AHeight);
    FSize->RestoreUnits();
    inherited::SetBounds(ALeft, ATop, Width(), Height());
  } else {
    inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
  }
  for (TQRPrintable* P : Printables())
    if (P->AlignToBand())
      P->ReceiveNotify(this, qrBandBoundsChanged);
}

void TQRCustomBand::Loaded()
{
  inherited::Loaded();
  FSize->Loaded();
}

void TQRCustomBand::SetZoom(Integer Value)
{
  if (Value <= 0)
    return;
  inherited::SetZoom(Value);
  FSize->SetZoom(Value);
  FSize->SetParentSizes();
  for (TQRPrintable* P : Printables())
    P->SetZoom(Value);
}

// ---------------------------------------------------------------------------
// TCustomQRReport

TCustomQRReport::TCustomQRReport(TComponent* AOwner)
  : TQRBasePanel(AOwner), FPrinterSettings(std::make_unique<TQRPrinterSettings>())
{
  Font()->SetName(QStringLiteral("Arial"));
  Font()->SetSize(10);
  FPage = std::make_unique<TQRPage>(this);
  FPage->SetParentSizes();
}

TCustomQRReport::~TCustomQRReport() = default;

std::vector<TQRCustomBand*> TCustomQRReport::Bands() const
{
  std::vector<TQRCustomBand*> Result;
  for (Integer I = 0; I < ControlCount(); ++I)
    if (auto* B = dynamic_cast<TQRCustomBand*>(Controls(I)))
      Result.push_back(B);
  return Result;
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
  if (Value <= 0)
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
}

void TCustomQRReport::Loaded()
{
  inherited::Loaded();
  FPage->Loaded();
}

void TCustomQRReport::SetExportFilter(TQRExportFilter* Value)
{
  FExportFilter = Value;
  FExporting = Value != nullptr;
}

void TCustomQRReport::NewPage(bool /*printHeaders*/)
{
  EndPage();
  ++FPagecount;
  if (FExporting && FExportFilter)
    FExportFilter->NewPage();
  // An export run draws nothing of its own after its first page.
  if (FQRPrinter && (FFinalPass || FPagecount == 1))
    FQRPrinter->NewPage();
  FCurrentY = RoundInt(FPage->TopMargin());
  if (OnStartPage && !ComponentState().Contains(csDesigning))
    OnStartPage(this);
}

void TCustomQRReport::EndPage()
{
  if (FPagecount > 0) {
    FCurrentY = RoundInt(FPage->Length() - FPage->BottomMargin());
    FCurrentX = RoundInt(FPage->LeftMargin());
    PrintReportControls();
    if (OnEndPage && !ComponentState().Contains(csDesigning))
      OnEndPage(this);
  }
  if (FExporting && FExportFilter)
    FExportFilter->EndPage();
}

void TCustomQRReport::PrintReportControls()
{
  for (Integer I = 0; I < ControlCount(); ++I)
    if (auto* P = dynamic_cast<TQRPrintable*>(Controls(I)))
      P->Print(0, 0);
  if (!FQRPrinter || !FQRPrinter->Canvas() || !FFrame->AnyFrame() || !(FFinalPass || FExporting))
    return;
  const TQRPrinter& Job = *FQRPrinter;
  const TRect R(Job.XPos(FPage->LeftMargin()), Job.YPos(FPage->TopMargin()),
                Job.XPos(FPage->Width() - FPage->RightMargin()), Job.YPos(FPage->Length() - FPage->BottomMargin()));
  FFrame->PaintIt(FQRPrinter->Canvas(), R, Job.XFactor(), Job.YFactor());
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

TQRPrintable::~TQRPrintable() = default;

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
  RegisterClassInfo<TQRCustomBand, TQRBasePanel>("TQRCustomBand").Property("Size", &TQRCustomBand::Size);
  RegisterClassInfo<TCustomQRReport, TQRBasePanel>("TCustomQRReport").Property("Page", &TCustomQRReport::Page);
  RegisterClassInfo<TQRReport, TCustomQRReport>("TQRReport");
  RegisterClassInfo<TQRPrintable, TCustomControl>("TQRPrintable")
      .Property("Enabled", &TQRPrintable::Enabled, &TQRPrintable::SetEnabled, true)
      .Property("Frame", &TQRPrintable::Frame)
      .Property("Size", &TQRPrintable::Size)
      .Property("XLColumn", &TQRPrintable::XLColumn, &TQRPrintable::SetXLColumn, 0)
      .Property("XLNumFormat", &TQRPrintable::XLNumFormat, &TQRPrintable::SetXLNumFormat, nfGeneral)
      .Property("ActiveInPreview", &TQRPrintable::ActiveInPreview, &TQRPrintable::SetActiveInPreview, false);
}
