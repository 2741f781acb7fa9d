// QRCtrls.cpp: the printable controls: shapes and frame lines.
#include "report/engine/QRCtrls.h"

#include "platform/rtl/Math.h"

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
  RegisterClassInfo<TQRFrameline, TQRPrintable>("TQRFrameline").Property("Left", &TQRFrameline::Left, &TQRFrameline::SetLeft);
}
