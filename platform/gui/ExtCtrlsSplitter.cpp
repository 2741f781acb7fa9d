// ExtCtrlsSplitter.cpp: the splitter bar.
#include "platform/gui/ExtCtrlsSplitter.h"

// ---------------------------------------------------------------------------
// TSplitter

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner)
{
  FAlign = alLeft;
  FWidth = 3;
  FHeight = 100;
  FCursor = crHSplit;
}

TControl* TSplitter::FindControl() const
{
  if (!FParent)
    return nullptr;
  for (Integer I = 0; I < FParent->ControlCount(); ++I) {
    TControl* C = FParent->Controls(I);
    if (C == this || !C->Visible() || C->Align() != FAlign)
      continue;
    const bool Touches = FAlign == alLeft ? C->Left() + C->Width() == FLeft
                       : FAlign == alRight ? C->Left() == FLeft + FWidth
                       : FAlign == alTop ? C->Top() + C->Height() == FTop
                                         : C->Top() == FTop + FHeight;
    if (Touches)
      return C;
  }
  return nullptr;
}

void TSplitter::Paint()
{
  Canvas()->Brush()->SetColor(clBtnFace);
  Canvas()->FillRect(ClientRect());
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseDown(Button, Shift, X, Y);
  TControl* C = FindControl();
  if (Button != mbLeft || !C)
    return;
  FDownPos = ClientToScreen(TPoint(X, Y));
  FStartSize = FAlign == alLeft || FAlign == alRight ? C->Width() : C->Height();
}

void TSplitter::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseMove(Shift, X, Y);
  TControl* C = FStartSize >= 0 ? FindControl() : nullptr;
  if (!C)
    return;
  const TPoint P = ClientToScreen(TPoint(X, Y));
  Integer Delta = FAlign == alLeft || FAlign == alRight ? P.X - FDownPos.X : P.Y - FDownPos.Y;
  if (FAlign == alRight || FAlign == alBottom)
    Delta = -Delta;
  const Integer Size = std::max(FMinSize, FStartSize + Delta);
  if (FAlign == alLeft || FAlign == alRight)
    C->SetWidth(Size);
  else
    C->SetHeight(Size);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseUp(Button, Shift, X, Y);
  FStartSize = -1;
}

