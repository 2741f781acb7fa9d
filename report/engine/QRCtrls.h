// QRCtrls.h: the printable controls: shapes and frame lines.
#pragma once

#include "report/engine/QRReport.h"

// The order is stored in forms.
enum TQRShapeType {
  qrsRectangle, qrsCircle, qrsVertLine, qrsHorLine, qrsTopAndBottom, qrsRightAndLeft, qrsRoundRect,
  qrsLeftDiagonal, qrsRightDiagonal
};

// A rectangle, ellipse, line or rounded rectangle with its own pen and brush.
class TQRShape : public TQRPrintable {
  VELMORA_CLASS(TQRShape)
  using inherited = TQRPrintable;
public:
  explicit TQRShape(TComponent* AOwner);
  ~TQRShape() override;

  void Print(Integer OfsX, Integer OfsY) override;

  TQRShapeType Shape() const { return FShape; }
  void SetShape(TQRShapeType Value);
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  float RoundFactor() const { return FRoundFactor; }
  void SetRoundFactor(float Value);
  // A vertical correction that the PDF and HTML filters read.
  Integer VertAdjust() const { return FVertAdjust; }
  void SetVertAdjust(Integer Value) { FVertAdjust = Value; }

protected:
  void Paint() override;

private:
  // Draws the shape in the rectangle; XM and YM are its middle lines.
  void DrawShape(TCanvas* ACanvas, const TRect& R, Integer XM, Integer YM) const;

  TQRShapeType FShape = qrsRectangle;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TPen> FPen;
  float FRoundFactor = 0;
  Integer FVertAdjust = 0;
};

// A marker that makes its band's frame draw a vertical rule through it.
class TQRFrameline : public TQRPrintable {
  VELMORA_CLASS(TQRFrameline)
  using inherited = TQRPrintable;
public:
  using TQRPrintable::TQRPrintable;
  void Print(Integer /*OfsX*/, Integer /*OfsY*/) override {}

protected:
  void Paint() override;
};

void RegisterQRCtrlsClasses();
