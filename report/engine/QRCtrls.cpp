// QRCtrls.cpp: the printable controls: expressions, shapes, images and
// frame lines (the text controls are in QRCtrlsText.cpp).
#include "report/engine/QRCtrls.h"

#include "report/engine/QRExprEd.h"

#include "platform/rtl/Math.h"
#include "platform/rtl/SysUtils.h"

namespace {

// Ties go to the even number, as the page positions round.
Integer RoundInt(Extended Value) { return Integer(Round(Value)); }

// The expression of a control that has none.
const char* const SqrNone = "none";

// Registers the control for the record notifications of its master.
void AddNotifyClient(TComponent* Master, TQRPrintable* Client)
{
  if (auto* Report = dynamic_cast<TCustomQRReport*>(Master))
    Report->AddNotifyClient(Client);
  else if (auto* Sub = dynamic_cast<TQRSubDetail*>(Master))
    Sub->SubController()->AddNotifyClient(Client);
}

TRect DeviceBox(const TQRPrinter& Job, const TQRPrintableSize& S, Integer OfsX, Integer OfsY)
{
  return TRect(Job.XPos(S.Left() + OfsX), Job.YPos(S.Top() + OfsY), Job.XPos(S.Left() + S.Width() + OfsX),
               Job.YPos(S.Top() + S.Height() + OfsY));
}

// The control's box on the page, the control prepared first when the run
// has not done it; false outside a run.
bool PageBox(TQRPrintable& Control, Integer OfsX, Integer OfsY, TRect& Box)
{
  if (!Control.QRPrinter())
    Control.Prepare();
  if (!Control.ParentReport() || !Control.QRPrinter())
    return false;
  Box = DeviceBox(*Control.QRPrinter(), *Control.Size(), OfsX, OfsY);
  return true;
}

TQRExportFilter* ActiveFilter(const TCustomQRReport* Report)
{
  return Report && Report->Exporting() ? Report->ExportFilter() : nullptr;
}

// Reads a picture from a blob field; an unreadable one leaves it empty.
void LoadFieldPicture(TField* Field, TPicture& Picture)
{
  auto* Blob = dynamic_cast<TBlobField*>(Field);
  if (!Blob)
    return;
  try {
    const QByteArray Bytes = Blob->AsBytes();
    if (!Bytes.isEmpty())
      Picture.LoadFromBytes(Bytes);
  } catch (const std::exception&) {
    Picture.SetGraphic(nullptr);
  }
}

} // namespace

// ---------------------------------------------------------------------------
// TQRExpr

TQRExpr::TQRExpr(TComponent* AOwner) : TQRCustomLabel(AOwner), Evaluator(std::make_unique<TQREvaluator>())
{
  SetExpression(String());
}

TQRExpr::~TQRExpr() = default;

void TQRExpr::SetExpression(const String& Value)
{
  FExpression = Value;
  SetCaption(Value.isEmpty() ? QStringLiteral("(%1)").arg(QLatin1String(SqrNone)) : Value);
  Invalidate();
}

void TQRExpr::SetMask(const String& Value)
{
  FMask = Value;
  SetExpression(FExpression);
}

void TQRExpr::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FMaster)
    FMaster = nullptr;
}

void TQRExpr::Reset() { Evaluator->Reset(); }

TQREvResult TQRExpr::Value()
{
  if (Evaluator->Prepared())
    return Evaluator->Value();
  TQREvResult Result;
  SetErrorResult(QStringLiteral("The expression is not prepared"), Result);
  return Result;
}

void TQRExpr::Prepare()
{
  inherited::Prepare();
  TCustomQRReport* Report = ParentReport();
  Evaluator->SetDataSets(Report ? Report->AllDataSets() : nullptr);
  Evaluator->SetEnvironment(Report ? Report->Functions() : nullptr);
  Evaluator->Prepare(FExpression);
  if (FMaster)
    AddNotifyClient(FMaster, this);
  else if (Evaluator->IsAggreg() && Report)
    AddNotifyClient(Report, this);
  Reset();
}

void TQRExpr::Unprepare()
{
  Evaluator->SetDataSets(nullptr);
  Evaluator->UnPrepare();
  inherited::Unprepare();
  SetExpression(FExpression);
}

void TQRExpr::ReceiveNotify(TObject* Sender, Integer Operation)
{
  inherited::ReceiveNotify(Sender, Operation);
  if (Operation == 0 && Evaluator->Prepared())
    Evaluator->DoAggregate();
}

String TQRExpr::FormatValue(const TQREvResult& Value, const String& Mask)
{
  switch (Value.Kind) {
  case resInt:
    return FormatFloat(Mask, double(Value.intResult));
  case resDouble:
    if (Mask.contains(QStringLiteral("%m"))) {
      // A mask that does not suit the value prints why instead of ending the run.
      try {
        return Format(Mask, {Variant(Value.dblResult)});
      } catch (const std::exception& E) {
        return String::fromUtf8(E.what());
      }
    }
    return FormatFloat(Mask, Value.dblResult);
  case resString:
    return Value.StringVal;
  case resBool:
    return Value.booResult ? QStringLiteral("True") : QStringLiteral("False");
  default:
    return Value.StringVal;
  }
}

void TQRExpr::Print(Integer OfsX, Integer OfsY)
{
  if (!ShouldPrint())
    return;
  FPrintCaption = FormatValue(Value(), FMask);
  inherited::Print(OfsX, OfsY);
  // A total goes back to zero once it is printed whole, not when it only
  // began on a page that it continues from.
  if (FResetAfterPrint && FPrintFinished)
    Reset();
}

// ---------------------------------------------------------------------------
// TQRShape

TQRShape::TQRShape(TComponent* AOwner)
  : TQRPrintable(AOwner), FBrush(std::make_unique<TBrush>()), FPen(std::make_unique<TPen>())
{
  FBrush->OnChange = [this](TObject*) { Invalidate(); };
  FPen->OnChange = [this](TObject*) { Invalidate(); };
  SetBounds(Left(), Top(), 65, 65);
}

TQRShape::~TQRShape() = default;

void TQRShape::SetShape(TQRShapeType Value)
{
  if (Value == FShape)
    return;
  FShape = Value;
  Invalidate();
}

void TQRShape::SetRoundFactor(float Value)
{
  if (Value == FRoundFactor)
    return;
  FRoundFactor = Value;
  Invalidate();
}

void TQRShape::DrawShape(TCanvas* ACanvas, const TRect& R, Integer XM, Integer YM) const
{
  switch (FShape) {
  case qrsRectangle: ACanvas->Rectangle(R); break;
  case qrsCircle: ACanvas->Ellipse(R); break;
  case qrsVertLine:
    ACanvas->MoveTo(XM, R.Top);
    ACanvas->LineTo(XM, R.Bottom);
    break;
  case qrsHorLine:
    ACanvas->MoveTo(R.Left, YM);
    ACanvas->LineTo(R.Right, YM);
    break;
  case qrsTopAndBottom:
    ACanvas->MoveTo(R.Left, R.Top);
    ACanvas->LineTo(R.Right, R.Top);
    ACanvas->MoveTo(R.Left, R.Bottom);
    ACanvas->LineTo(R.Right, R.Bottom);
    break;
  case qrsRightAndLeft:
    ACanvas->MoveTo(R.Left, R.Top);
    ACanvas->LineTo(R.Left, R.Bottom);
    ACanvas->MoveTo(R.Right, R.Top);
    ACanvas->LineTo(R.Right, R.Bottom);
    break;
  case qrsRoundRect: {
    // The corner keeps its screen size in pixels on every device.
    const Integer C = Integer(Trunc(Width() * double(FRoundFactor)));
    ACanvas->RoundRect(R.Left, R.Top, R.Right, R.Bottom, C, C);
    break;
  }
  case qrsLeftDiagonal:
    ACanvas->MoveTo(R.Right, R.Top);
    ACanvas->LineTo(R.Left, R.Bottom);
    break;
  case qrsRightDiagonal:
    ACanvas->MoveTo(R.Left, R.Top);
    ACanvas->LineTo(R.Right, R.Bottom);
    break;
  }
}

void TQRShape::Print(Integer OfsX, Integer OfsY)
{
  TCustomQRReport* Report = ParentReport();
  TQRPrinter* Job = QRPrinter();
  if (!Report || !Job || !ShouldPrint())
    return;
  const TQRPrintableSize& S = *Size();
  const TRect R(Job->XPos(OfsX + S.Left()), Job->YPos(OfsY + S.Top()), Job->XPos(OfsX + S.Left() + S.Width()),
                Job->YPos(OfsY + S.Top() + S.Height()));
  if (Report->Exporting() && Report->ExportFilter())
    Report->ExportFilter()->AcceptGraphic(R.Left, R.Top, this);
  if (!Report->FinalPass() || !Job->Canvas())
    return;
  TCanvas* C = Job->Canvas();
  C->Brush()->Assign(FBrush.get());
  C->Pen()->Assign(FPen.get());
  DrawShape(C, R, Job->XPos(OfsX + S.Left() + S.Width() / 2), Job->YPos(OfsY + S.Top() + S.Height() / 2));
}

void TQRShape::Paint()
{
  inherited::Paint();
  TCanvas* C = Canvas();
  C->Brush()->Assign(FBrush.get());
  C->Pen()->Assign(FPen.get());
  const Integer W = Width();
  const Integer H = Height();
  switch (FShape) {
  case qrsTopAndBottom:
    DrawShape(C, TRect(0, 0, W, H - 1), W / 2, H / 2);
    break;
  case qrsRightAndLeft:
    DrawShape(C, TRect(0, 0, W - 1, H), W / 2, H / 2);
    break;
  default:
    DrawShape(C, TRect(0, 0, W, H), W / 2, H / 2);
    break;
  }
}

// ---------------------------------------------------------------------------
// Pictures

void QRPrintPicture(TQRPrinter* Job, TGraphic* Graphic, const TRect& Box, bool Stretch, bool Center)
{
  TCanvas* C = Job->Canvas();
  if (!C || !Graphic || Graphic->Empty())
    return;
  if (Stretch) {
    C->StretchDraw(Box, Graphic);
    return;
  }
  // The picture keeps its screen size and is cut at the control's edges.
  HRGN Clip = CreateRectRgnIndirect(Box);
  SelectClipRgn(C->Handle(), Clip);
  DeleteObject(Clip);
  const Integer W = RoundInt(Graphic->Width() / Extended(ScreenPixelsPerInch) * 254 * Job->XFactor());
  const Integer H = RoundInt(Graphic->Height() / Extended(ScreenPixelsPerInch) * 254 * Job->YFactor());
  TRect R(Box.Left, Box.Top, Box.Left + W, Box.Top + H);
  if (Center)
    R.Offset((Box.Width() - W) / 2, (Box.Height() - H) / 2);
  C->StretchDraw(R, Graphic);
  SelectClipRgn(C->Handle(), nullptr);
}

TQRImage::TQRImage(TComponent* AOwner) : TQRPrintable(AOwner), FPicture(std::make_unique<TPicture>())
{
  FPicture->OnChange = [this](TObject*) { PictureChanged(); };
  SetBounds(Left(), Top(), 105, 105);
}

TQRImage::~TQRImage() = default;

void TQRImage::SetAutoSize(bool Value)
{
  FAutoSize = Value;
  PictureChanged();
}

void TQRImage::SetStretch(bool Value)
{
  if (Value == FStretch)
    return;
  FStretch = Value;
  PictureChanged();
}

void TQRImage::SetCenter(bool Value)
{
  if (Value == FCenter)
    return;
  FCenter = Value;
  PictureChanged();
}

void TQRImage::PictureChanged()
{
  const Integer W = FPicture->Width();
  const Integer H = FPicture->Height();
  if (FAutoSize && W > 0 && H > 0)
    SetBounds(Left(), Top(), W, H);
  const bool Covers = Is<TBitmap>(FPicture->Graphic()) && W >= Width() && H >= Height();
  TControlStyle Style = ControlStyle();
  if (Covers)
    Style.Include(csOpaque);
  else
    Style.Exclude(csOpaque);
  SetControlStyle(Style);
  Invalidate();
}

TCanvas* TQRImage::ImageCanvas()
{
  if (!FPicture->Graphic() || FPicture->Graphic()->Empty())
    FPicture->Bitmap()->SetSize(Width(), Height());
  auto* B = dynamic_cast<TBitmap*>(FPicture->Graphic());
  return B ? B->Canvas() : nullptr;
}

void TQRImage::Print(Integer OfsX, Integer OfsY)
{
  TRect Box;
  if (!PageBox(*this, OfsX, OfsY, Box))
    return;
  if (TQRExportFilter* Filter = ActiveFilter(ParentReport()))
    Filter->AcceptGraphic(Box.Left, Box.Top, this);
  QRPrintPicture(FQRPrinter, FPicture->Graphic(), Box, FStretch, FCenter);
  inherited::Print(OfsX, OfsY);
  if (TCustomQRReport* Report = ParentReport())
    Report->AddLinkItem(this, String(), Box.Left, Box.Top, Box.Width(), Box.Height());
}

void TQRImage::Paint()
{
  TGraphic* G = FPicture->Graphic();
  if (!G || G->Empty())
    return;
  TRect R;
  if (FStretch)
    R = ClientRect();
  else if (FCenter)
    R = Bounds((Width() - G->Width()) / 2, (Height() - G->Height()) / 2, G->Width(), G->Height());
  else
    R = Bounds(0, 0, G->Width(), G->Height());
  if (Zoom() != 100)
    R = Bounds(R.Left, R.Top, R.Width() * Zoom() / 100, R.Height() * Zoom() / 100);
  Canvas()->StretchDraw(R, G);
}

TQRDBImage::TQRDBImage(TComponent* AOwner) : TQRPrintable(AOwner), FPicture(std::make_unique<TPicture>())
{
  FPicture->OnChange = [this](TObject*) {
    FPictureLoaded = true;
    Invalidate();
  };
  SetBounds(Left(), Top(), 105, 105);
}

TQRDBImage::~TQRDBImage() = default;

void TQRDBImage::SetDataSet(TDataSet* Value)
{
  FDataSet = Value;
  if (Value)
    Value->FreeNotification(this);
}

void TQRDBImage::SetStretch(bool Value)
{
  if (Value == FStretch)
    return;
  FStretch = Value;
  Invalidate();
}

void TQRDBImage::SetCenter(bool Value)
{
  if (Value == FCenter)
    return;
  FCenter = Value;
  Invalidate();
}

void TQRDBImage::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet) {
    FDataSet = nullptr;
    FField = nullptr;
  }
}

void TQRDBImage::LoadPicture()
{
  if (!FPictureLoaded && FField && FField->IsBlob())
    LoadFieldPicture(FField, *FPicture);
}

void TQRDBImage::Prepare()
{
  inherited::Prepare();
  FField = FDataSet ? FDataSet->FindField(FDataField) : nullptr;
}

void TQRDBImage::Unprepare()
{
  FField = nullptr;
  inherited::Unprepare();
}

void TQRDBImage::Print(Integer OfsX, Integer OfsY)
{
  TRect Box;
  if (!PageBox(*this, OfsX, OfsY, Box))
    return;
  if (TCanvas* C = FQRPrinter->Canvas(); C && FField && FField->IsBlob()) {
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    TPicture Picture;
    LoadFieldPicture(FField, Picture);
    if (FStretch && (!Picture.Graphic() || Picture.Graphic()->Empty()))
      C->FillRect(Box);
    else
      QRPrintPicture(FQRPrinter, Picture.Graphic(), Box, FStretch, FCenter);
  }
  inherited::Print(OfsX, OfsY);
  if (TQRExportFilter* Filter = ActiveFilter(ParentReport()))
    Filter->AcceptGraphic(Box.Left, Box.Top, this);
}

void TQRDBImage::GetExpandedHeight(Extended& NewHeight)
{
  NewHeight = Height();
  if (!FField || !FField->IsBlob())
    return;
  // Any kind of picture answers its height (not only bitmaps), so that a
  // band never collapses under a photograph.
  TPicture Picture;
  LoadFieldPicture(FField, Picture);
  NewHeight = Picture.Height();
}

void TQRDBImage::Paint()
{
  TCanvas* C = Canvas();
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(Color());
  C->Font()->Assign(Font());
  TField* F = FDataSet ? FDataSet->FindField(FDataField) : nullptr;
  String Text = QStringLiteral("(%1)").arg(F ? F->DisplayLabel() : Name());
  TRect R = ClientRect();
  C->TextRect(R, Text, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
  inherited::Paint();
}

std::function<void(TQRHTMLImage*, TQRExportFilter*, Integer, Integer)>& TQRHTMLImage::AcceptImageURL()
{
  static std::function<void(TQRHTMLImage*, TQRExportFilter*, Integer, Integer)> Handler;
  return Handler;
}

void TQRHTMLImage::Print(Integer OfsX, Integer OfsY)
{
  TQRExportFilter* Filter = ActiveFilter(ParentReport());
  TClass HTML = GetClass(QStringLiteral("TQRGHTMLDocumentFilter"));
  if (Filter && HTML && Filter->InheritsFrom(HTML) && AcceptImageURL())
    AcceptImageURL()(this, Filter, OfsX, OfsY);
}

// ---------------------------------------------------------------------------
// TQRFrameline

void TQRFrameline::Paint()
{
  inherited::Paint();
  TCanvas* C = Canvas();
  C->Pen()->SetColor(Frame()->Color());
  C->Pen()->SetStyle(psSolid);
  C->MoveTo(Width() / 2, 0);
  C->LineTo(Width() / 2, Height());
}

void RegisterQRCtrlsClasses()
{
  static bool Done = false;
  if (Done)
    return;
  Done = true;
  RegisterQRReportClasses();
  RegisterEnum<TQRShapeType>("TQRShapeType",
      {"qrsRectangle", "qrsCircle", "qrsVertLine", "qrsHorLine", "qrsTopAndBottom", "qrsRightAndLeft",
       "qrsRoundRect", "qrsLeftDiagonal", "qrsRightDiagonal"});
  RegisterClassInfo<TQRShape, TQRPrintable>("TQRShape")
      .Property("Brush", &TQRShape::Brush)
      .Property("Pen", &TQRShape::Pen)
      .Property("Shape", &TQRShape::Shape, &TQRShape::SetShape, qrsRectangle)
      .Property("RoundFactor", &TQRShape::RoundFactor, &TQRShape::SetRoundFactor, 0.0)
      .Property("VertAdjust", &TQRShape::VertAdjust, &TQRShape::SetVertAdjust, 0)
      .Property("Width", &TQRShape::Width, &TQRShape::SetWidth, 65)
      .Property("Height", &TQRShape::Height, &TQRShape::SetHeight, 65);
  RegisterEnum<TWrapStyle>("TWrapStyle", {"BreakOnSpaces", "BreakAnywhere"});
  RegisterEnum<TBiDiMode>("TBiDiMode",
      {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"});
  RegisterClassInfo<TQRCustomLabel, TQRPrintable>("TQRCustomLabel")
      .Property("Alignment", &TQRCustomLabel::Alignment, &TQRCustomLabel::SetAlignment, taLeftJustify)
      .Property("AlignToBand", &TQRCustomLabel::AlignToBand, &TQRCustomLabel::SetAlignToBand, false)
      .Property("AutoSize", &TQRCustomLabel::AutoSize, &TQRCustomLabel::SetAutoSize, true)
      .Property("AutoStretch", &TQRCustomLabel::AutoStretch, &TQRCustomLabel::SetAutoStretch, false)
      .Property("BiDiMode", &TQRCustomLabel::BiDiMode, &TQRCustomLabel::SetBiDiMode, bdLeftToRight)
      .Property("ParentBiDiMode", &TQRCustomLabel::ParentBiDiMode, &TQRCustomLabel::SetParentBiDiMode, true)
      .Property("Transparent", &TQRCustomLabel::Transparent, &TQRCustomLabel::SetTransparent, false)
      .Property("WordWrap", &TQRCustomLabel::WordWrap, &TQRCustomLabel::SetWordWrap, true)
      .Property("ExportAs", &TQRCustomLabel::ExportAs, &TQRCustomLabel::SetExportAs, exptText)
      .Event("OnPrint", &TQRCustomLabel::OnPrint);
  RegisterClassInfo<TQRLabel, TQRCustomLabel>("TQRLabel")
      .Property("Caption", &TQRLabel::Caption, &TQRLabel::SetCaption)
      .Property("Widecaption", &TQRLabel::Widecaption, &TQRLabel::SetWidecaption)
      .Property("WrapStyle", &TQRLabel::WrapStyle, &TQRLabel::SetWrapStyle, BreakOnSpaces)
      .Property("VerticalAlignment", &TQRLabel::VerticalAlignment, &TQRLabel::SetVerticalAlignment, tlTop);
  RegisterClassInfo<TQRMemo, TQRCustomLabel>("TQRMemo")
      .Property("Lines", &TQRMemo::Lines, &TQRMemo::SetLines)
      .Property("FullJustify", &TQRMemo::FullJustify, &TQRMemo::SetFullJustify, false)
      // Forms store 0 explicitly: 5 is the value never written.
      .Property("MaxBreakChars", &TQRMemo::MaxBreakChars, &TQRMemo::SetMaxBreakChars, 5);
  RegisterClassInfo<TQRDBText, TQRCustomLabel>("TQRDBText")
      .Property("DataSet", &TQRDBText::DataSet, &TQRDBText::SetDataSet)
      .Property("DataField", &TQRDBText::DataField, &TQRDBText::SetDataField)
      .Property("Mask", &TQRDBText::Mask, &TQRDBText::SetMask)
      .Property("WrapStyle", &TQRDBText::WrapStyle, &TQRDBText::SetWrapStyle, BreakOnSpaces)
      .Property("FullJustify", &TQRDBText::FullJustify, &TQRDBText::SetFullJustify, false)
      .Property("MaxBreakChars", &TQRDBText::MaxBreakChars, &TQRDBText::SetMaxBreakChars, 5)
      .Property("VerticalAlignment", &TQRDBText::VerticalAlignment, &TQRDBText::SetVerticalAlignment, tlTop);
  RegisterClassInfo<TQRExpr, TQRCustomLabel>("TQRExpr")
      .Property("WrapStyle", &TQRExpr::WrapStyle, &TQRExpr::SetWrapStyle, BreakOnSpaces)
      .Property("Master", &TQRExpr::Master, &TQRExpr::SetMaster)
      .Property("ResetAfterPrint", &TQRExpr::ResetAfterPrint, &TQRExpr::SetResetAfterPrint, false)
      .Property("Expression", &TQRExpr::Expression, &TQRExpr::SetExpression)
      .Property("Mask", &TQRExpr::Mask, &TQRExpr::SetMask);
  RegisterClassInfo<TQRImage, TQRPrintable>("TQRImage")
      .Property("AutoSize", &TQRImage::AutoSize, &TQRImage::SetAutoSize, false)
      .Property("Center", &TQRImage::Center, &TQRImage::SetCenter, false)
      .Property("Picture", &TQRImage::Picture, &TQRImage::SetPicture)
      .Property("Stretch", &TQRImage::Stretch, &TQRImage::SetStretch, false);
  RegisterClassInfo<TQRDBImage, TQRPrintable>("TQRDBImage")
      .Property("Center", &TQRDBImage::Center, &TQRDBImage::SetCenter, true)
      .Property("DataField", &TQRDBImage::DataField, &TQRDBImage::SetDataField)
      .Property("DataSet", &TQRDBImage::DataSet, &TQRDBImage::SetDataSet)
      .Property("Stretch", &TQRDBImage::Stretch, &TQRDBImage::SetStretch, false);
  RegisterClassInfo<TQRHTMLImage, TQRPrintable>("TQRHTMLImage")
      .Property("ImageURL", &TQRHTMLImage::ImageURL, &TQRHTMLImage::SetImageURL);
  RegisterClassInfo<TQRFrameline, TQRPrintable>("TQRFrameline").Property("Left", &TQRFrameline::Left, &TQRFrameline::SetLeft);
}

TQRPrintableEditorClass TQRLabel::GetEditorClass() const { return TQRLabelEditor::StaticClass(); }
TQRPrintableEditorClass TQRExpr::GetEditorClass() const { return TQRExprEditor::StaticClass(); }
