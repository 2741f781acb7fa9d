// Buttons.cpp: the speed button's states, groups and painting.
#include "platform/gui/Buttons.h"

#include "platform/gui/Themes.h"

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>())
{
  SetBounds(0, 0, 23, 22);
  FControlStyle = {csCaptureMouse, csDoubleClicks};
  FParentColor = true;
  FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetGroupIndex(Integer Value)
{
  if (Value == FGroupIndex)
    return;
  FGroupIndex = Value;
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value)
{
  if (FGroupIndex == 0)
    Value = false;
  if (Value == FDown)
    return;
  if (FDown && !FAllowAllUp)
    return;
  FDown = Value;
  FState = Value ? bsExclusive : bsUp;
  Invalidate();
  if (Value)
    UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool Value)
{
  if (Value == FAllowAllUp)
    return;
  FAllowAllUp = Value;
  UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value)
{
  if (Value == FFlat)
    return;
  FFlat = Value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool Value)
{
  if (Value == FTransparent)
    return;
  FTransparent = Value;
  Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* Value)
{
  if (Value)
    FGlyph->Assign(Value);
  else
    FGlyph = std::make_unique<TBitmap>();
  FGlyph->OnChange = [this](TObject*) { Invalidate(); };
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs Value)
{
  Value = std::clamp(Value, 1, 4);
  if (Value == FNumGlyphs)
    return;
  FNumGlyphs = Value;
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout Value)
{
  if (Value == FLayout)
    return;
  FLayout = Value;
  Invalidate();
}

// Tells the buttons of the same group on the parent that this one is down
// now, or that AllowAllUp changed.
void TSpeedButton::UpdateExclusive()
{
  if (FGroupIndex == 0 || !Parent())
    return;
  TMessage M{CM_BUTTONPRESSED, WPARAM(FGroupIndex), LPARAM(this), 0};
  for (Integer I = 0; I < Parent()->ControlCount(); ++I)
    if (Parent()->Controls(I) != this)
      Parent()->Controls(I)->Dispatch(M);
}

void TSpeedButton::CMButtonPressed(TMessage& Message)
{
  auto* Sender = reinterpret_cast<TSpeedButton*>(Message.LParam);
  if (Integer(Message.WParam) != FGroupIndex || Sender == this)
    return;
  if (Sender->Down() && FDown) {
    FDown = false;
    FState = bsUp;
    Invalidate();
  }
  FAllowAllUp = Sender->AllowAllUp();
}

void TSpeedButton::Dispatch(TMessage& Message)
{
  if (Message.Msg == CM_BUTTONPRESSED) {
    CMButtonPressed(Message);
    return;
  }
  inherited::Dispatch(Message);
}

void TSpeedButton::Click() { inherited::Click(); }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled())
    return;
  if (!FDown) {
    FState = bsDown;
    Invalidate();
  }
  FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseMove(Shift, X, Y);
  if (!FDragging)
    return;
  TButtonState NewState = FDown ? bsExclusive : bsUp;
  if (ClientRect().Contains(TPoint(X, Y)))
    NewState = FDown ? bsExclusive : bsDown;
  if (NewState == FState)
    return;
  FState = NewState;
  Invalidate();
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseUp(Button, Shift, X, Y);
  if (!FDragging)
    return;
  FDragging = false;
  const bool DoClick = ClientRect().Contains(TPoint(X, Y));
  if (FGroupIndex == 0) {
    FState = bsUp;
    Invalidate();
  } else if (DoClick) {
    SetDown(!FDown);
    if (FDown)
      Invalidate();
  } else {
    FState = FDown ? bsExclusive : bsUp;
    Invalidate();
  }
  if (DoClick)
    Click();
}

void TSpeedButton::CMMouseEnter(TMessage& Message)
{
  inherited::CMMouseEnter(Message);
  Invalidate();
}

void TSpeedButton::CMMouseLeave(TMessage& Message)
{
  inherited::CMMouseLeave(Message);
  Invalidate();
}

void TSpeedButton::CMEnabledChanged(TMessage& Message)
{
  inherited::CMEnabledChanged(Message);
  FState = Enabled() ? (FDown ? bsExclusive : bsUp) : bsDisabled;
  Invalidate();
}

void TSpeedButton::DrawGlyphAndCaption(TCanvas* Canvas, TRect R, TPoint Offset)
{
  R.Offset(Offset.X, Offset.Y);
  Integer GlyphW = 0, GlyphH = 0;
  if (!FGlyph->Empty()) {
    GlyphW = FGlyph->Width() / FNumGlyphs;
    GlyphH = FGlyph->Height();
  }
  const String Text = Caption();
  Canvas->Font()->Assign(Font());
  const TSize TextSize = Text.isEmpty() ? TSize() : Canvas->TextExtent(Text);
  const Integer Spacing = GlyphW > 0 && !Text.isEmpty() ? 4 : 0;
  const Integer TotalW = GlyphW + Spacing + TextSize.cx;
  Integer X = R.Left + (R.Width() - TotalW) / 2;
  if (GlyphW > 0) {
    // The parts of the glyph: up, disabled, down, exclusive.
    Integer Part = 0;
    if (FState == bsDisabled && FNumGlyphs > 1)
      Part = 1;
    else if (FState == bsDown && FNumGlyphs > 2)
      Part = 2;
    else if (FState == bsExclusive && FNumGlyphs > 3)
      Part = 3;
    TBitmap Piece(GlyphW, GlyphH);
    Piece.Canvas()->CopyRect(TRect(0, 0, GlyphW, GlyphH), FGlyph->Canvas(),
                             Bounds(Part * GlyphW, 0, GlyphW, GlyphH));
    Piece.SetTransparent(true);
    Canvas->Draw(X, R.Top + (R.Height() - GlyphH) / 2, &Piece);
    X += GlyphW + Spacing;
  }
  if (Text.isEmpty())
    return;
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
  Canvas->TextOut(X, R.Top + (R.Height() - TextSize.cy) / 2, Text);
  Canvas->Brush()->SetStyle(bsSolid);
}

void TSpeedButton::Paint()
{
  TCanvas* C = Canvas();
  TRect R = ClientRect();
  const bool Pressed = FState == bsDown || FState == bsExclusive;
  if (!Enabled())
    FState = bsDisabled;
  else if (FState == bsDisabled)
    FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(clBtnFace);
  if (FFlat) {
    if (!FTransparent)
      C->FillRect(R);
    if (Pressed || (FMouseInControl && Enabled())) {
      TRect E = R;
      DrawEdge(C->Handle(), E, Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    R.Inflate(-1, -1);
  } else {
    DrawFrameControl(C->Handle(), R, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (Pressed ? UINT(DFCS_PUSHED) : 0u));
  }
  DrawGlyphAndCaption(C, R, Pressed ? TPoint(1, 1) : TPoint(0, 0));
}

void RegisterButtonsClasses()
{
  RegisterEnum<TButtonLayout>("TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"});
  RegisterClassInfo<TSpeedButton, TGraphicControl>("TSpeedButton")
    .Property("Caption", &TSpeedButton::Caption, &TSpeedButton::SetCaption)
    .Property("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp, false)
    .Property("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex, 0)
    .Property("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, false)
    .Property("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, false)
    .Property("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph)
    .Property("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout, blGlyphLeft)
    .Property("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs, 1)
    .Property("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent, true);
}
