// ComCtrlsToolBar.cpp: the tool bar and its buttons.
#include "platform/gui/ComCtrlsToolBar.h"

// ---------------------------------------------------------------------------
// TToolButton

TToolButton::TToolButton(TComponent* AOwner) : TSpeedButton(AOwner)
{
  SetFlat(true);
  FWidth = 23;
  FHeight = 22;
}

void TToolButton::SetStyle(TToolButtonStyle Value)
{
  if (Value == FStyle)
    return;
  FStyle = Value;
  if (IsSeparator() && FWidth > 8)
    SetWidth(8);
  RequestAlign();
  Invalidate();
}

void TToolButton::SetGrouped(bool Value)
{
  FGrouped = Value;
  // Grouped check buttons of a bar share one exclusive group.
  SetGroupIndex(Value && FStyle == tbsCheck ? 1 : 0);
}

void TToolButton::SetImageIndex(Integer Value)
{
  FImageIndex = Value;
  Invalidate();
}

void TToolButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (!IsSeparator())
    inherited::MouseDown(Button, Shift, X, Y);
}

void TToolButton::Click()
{
  if (IsSeparator())
    return;
  // A check button outside a group toggles; in a group it stays down.
  if (FStyle == tbsCheck && !FGrouped)
    SetDown(!Down());
  else if (FStyle == tbsCheck)
    SetDown(true);
  inherited::Click();
}

void TToolButton::Paint()
{
  TCanvas* C = Canvas();
  const TRect R = ClientRect();
  if (IsSeparator()) {
    if (FStyle == tbsDivider) {
      C->Pen()->SetColor(clBtnShadow);
      C->MoveTo(R.Width() / 2, 2);
      C->LineTo(R.Width() / 2, R.Height() - 2);
    }
    return;
  }
  auto* Bar = dynamic_cast<TToolBar*>(Parent());
  TCustomImageList* Images = Bar ? Bar->Images() : nullptr;
  if (!Images || FImageIndex < 0 || FImageIndex >= Images->Count()) {
    inherited::Paint();
    return;
  }
  const bool Pressed = FState == bsDown || FState == bsExclusive || Down();
  if (Pressed || MouseInControl()) {
    TRect E = R;
    DrawEdge(C->Handle(), E, Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  }
  const Integer D = Pressed ? 1 : 0;
  Images->Draw(C, (R.Width() - Images->Width()) / 2 + D, (R.Height() - Images->Height()) / 2 + D, FImageIndex,
               Enabled());
}

// ---------------------------------------------------------------------------
// TToolBar

TToolBar::TToolBar(TComponent* AOwner) : TCustomControl(AOwner)
{
  FControlStyle.Include(csAcceptsControls);
  FAlign = alTop;
  FWidth = 150;
  FHeight = 29;
  FColor = clBtnFace;
  FParentColor = false;
}

void TToolBar::SetButtonWidth(Integer Value)
{
  FButtonWidth = Value;
  Realign();
}

void TToolBar::SetButtonHeight(Integer Value)
{
  FButtonHeight = Value;
  Realign();
}

void TToolBar::SetImages(TCustomImageList* Value)
{
  FImages = Value;
  Invalidate();
}

Integer TToolBar::ButtonCount() const
{
  Integer N = 0;
  for (TControl* C : FControls)
    N += dynamic_cast<TToolButton*>(C) != nullptr;
  return N;
}

TToolButton* TToolBar::Buttons(Integer Index) const
{
  for (TControl* C : FControls)
    if (auto* B = dynamic_cast<TToolButton*>(C); B && Index-- == 0)
      return B;
  return nullptr;
}

// Buttons stand left to right in the order they were put on the bar.
void TToolBar::AlignControls(TControl* AControl, TRect& Rect)
{
  Integer X = 0;
  for (TControl* C : FControls) {
    if (!C->Visible())
      continue;
    auto* B = dynamic_cast<TToolButton*>(C);
    const Integer W = B && !B->IsSeparator() ? FButtonWidth : C->Width();
    C->SetBounds(X, 2, W, FButtonHeight);
    X += W;
  }
  (void)AControl;
  (void)Rect;
}

void TToolBar::Paint()
{
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}
