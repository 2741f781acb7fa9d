// ExtCtrls.cpp: panels, radio groups, images and timers.
#include "platform/gui/ExtCtrls.h"

#include "platform/gui/ControlsQt.h"
#include "platform/gui/Forms.h"

#include <QTimer>

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width)
{
  Rect.Bottom -= 1;
  Rect.Right -= 1;
  for (Integer I = 0; I < Width; ++I) {
    Canvas->Pen()->SetColor(TopColor);
    Canvas->Polyline({Point(Rect.Left, Rect.Bottom), Point(Rect.Left, Rect.Top), Point(Rect.Right, Rect.Top)});
    Canvas->Pen()->SetColor(BottomColor);
    Canvas->Polyline({Point(Rect.Right, Rect.Top), Point(Rect.Right, Rect.Bottom), Point(Rect.Left - 1, Rect.Bottom)});
    Rect.Inflate(-1, -1);
  }
  Rect.Bottom += 1;
  Rect.Right += 1;
}

// ---------------------------------------------------------------------------
// TCustomPanel.

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
  FWidth = 185;
  FHeight = 41;
  FParentColor = false;
  FColor = clBtnFace;
  FControlStyle << csAcceptsControls << csOpaque;
}

void TCustomPanel::Paint()
{
  TCanvas* C = Canvas();
  TRect R = ClientRect();
  C->Brush()->SetColor(FColor);
  C->Brush()->SetStyle(bsSolid);
  C->FillRect(R);
  auto Bevel = [&](TBevelCut Cut) {
    if (Cut == bvNone)
      return;
    if (Cut == bvSpace) {
      R.Inflate(-FBevelWidth, -FBevelWidth);
      return;
    }
    const TColor Top = Cut == bvLowered ? clBtnShadow : clBtnHighlight;
    const TColor Bottom = Cut == bvLowered ? clBtnHighlight : clBtnShadow;
    Frame3D(C, R, Top, Bottom, FBevelWidth);
  };
  Bevel(FBevelOuter);
  R.Inflate(-FBorderWidth, -FBorderWidth);
  Bevel(FBevelInner);
  if (!FShowCaption || FText.isEmpty())
    return;
  C->SetFont(FFont.get());
  C->Brush()->SetStyle(bsClear);
  String Text = FText;
  TTextFormat Format = {tfSingleLine, tfVerticalCenter, tfEndEllipsis};
  if (FAlignment == taCenter)
    Format << tfCenter;
  else if (FAlignment == taRightJustify)
    Format << tfRight;
  C->TextRect(R, Text, Format);
}

void TCustomPanel::AdjustClientRect(TRect& Rect)
{
  Integer W = FBorderWidth;
  if (FBevelOuter != bvNone)
    W += FBevelWidth;
  if (FBevelInner != bvNone)
    W += FBevelWidth;
  Rect.Inflate(-W, -W);
}

void TCustomPanel::SetBevelInner(TBevelCut Value)
{
  FBevelInner = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value)
{
  FBevelOuter = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(TBevelWidth Value)
{
  FBevelWidth = std::max(1, Value);
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderWidth(Integer Value)
{
  FBorderWidth = std::max(0, Value);
  Realign();
  Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment Value)
{
  FAlignment = Value;
  Invalidate();
}

void TCustomPanel::SetShowCaption(bool Value)
{
  FShowCaption = Value;
  Invalidate();
}

void TCustomPanel::CMTextChanged(TMessage& M)
{
  Invalidate();
  TCustomControl::CMTextChanged(M);
}

// ---------------------------------------------------------------------------
// TRadioGroup.

TRadioGroup::TRadioGroup(TComponent* AOwner) : TCustomGroupBox(AOwner), FItems(std::make_unique<TStringList>())
{
  FItems->OnChange = [this](TObject*) { UpdateButtons(); };
}

TRadioGroup::~TRadioGroup()
{
  FItems->OnChange = nullptr;
  for (TRadioButton* B : FButtons)
    delete B;
  FButtons.clear();
}

void TRadioGroup::UpdateButtons()
{
  if (ComponentState().Contains(csLoading))
    return;
  while (Integer(FButtons.size()) > FItems->Count()) {
    delete FButtons.back();
    FButtons.pop_back();
  }
  while (Integer(FButtons.size()) < FItems->Count()) {
    auto* B = new TRadioButton(nullptr);
    B->SetParent(this);
    B->SetTabStop(false);
    B->OnClick = [this, B](TObject*) {
      const auto It = std::find(FButtons.begin(), FButtons.end(), B);
      FItemIndex = Integer(It - FButtons.begin());
      Click();
    };
    FButtons.push_back(B);
  }
  for (Integer I = 0; I < FItems->Count(); ++I) {
    FButtons[std::size_t(I)]->SetCaption(FItems->Strings(I));
    FButtons[std::size_t(I)]->SetChecked(I == FItemIndex);
  }
  if (FItemIndex >= FItems->Count())
    FItemIndex = -1;
  ArrangeButtons();
}

void TRadioGroup::ArrangeButtons()
{
  if (FButtons.empty())
    return;
  TRect R = ClientRect();
  AdjustClientRect(R);
  const Integer Cols = std::max(1, FColumns);
  const Integer Rows = (Integer(FButtons.size()) + Cols - 1) / Cols;
  const Integer ColWidth = R.Width() / Cols;
  const Integer RowHeight = std::max(1, R.Height() / std::max(1, Rows));
  for (Integer I = 0; I < Integer(FButtons.size()); ++I) {
    const Integer Col = I / Rows, Row = I % Rows;
    FButtons[std::size_t(I)]->SetBounds(R.Left + 6 + Col * ColWidth, R.Top + Row * RowHeight + (RowHeight - 17) / 2,
                                         ColWidth - 8, 17);
  }
}

void TRadioGroup::SetItemIndex(Integer Value)
{
  if (ComponentState().Contains(csLoading)) {
    FItemIndex = Value;
    return;
  }
  if (Value < -1 || Value >= FItems->Count())
    Value = -1;
  FItemIndex = Value;
  for (Integer I = 0; I < Integer(FButtons.size()); ++I)
    FButtons[std::size_t(I)]->SetChecked(I == Value);
}

void TRadioGroup::SetColumns(Integer Value)
{
  FColumns = std::clamp(Value, 1, 16);
  ArrangeButtons();
}

void TRadioGroup::Loaded()
{
  TCustomGroupBox::Loaded();
  UpdateButtons();
}

void TRadioGroup::Resize()
{
  TCustomGroupBox::Resize();
  ArrangeButtons();
}

// ---------------------------------------------------------------------------
// TImage.

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>())
{
  FWidth = 105;
  FHeight = 105;
  FPicture->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() { FPicture->OnChange = nullptr; }

TRect TImage::DestRect() const
{
  const Integer PW = FPicture->Width(), PH = FPicture->Height();
  const Integer CW = FWidth, CH = FHeight;
  Integer W = PW, H = PH;
  if (FStretch || (FProportional && (PW > CW || PH > CH))) {
    if (FProportional && PW > 0 && PH > 0) {
      if (Int64(CW) * PH > Int64(CH) * PW) {
        H = CH;
        W = Integer(Int64(CH) * PW / PH);
      } else {
        W = CW;
        H = Integer(Int64(CW) * PH / PW);
      }
    } else {
      W = CW;
      H = CH;
    }
  }
  TRect R = Bounds(0, 0, W, H);
  if (FCenter)
    R.Offset((CW - W) / 2, (CH - H) / 2);
  return R;
}

void TImage::Paint()
{
  if (TGraphic* G = FPicture->Graphic()) {
    G->SetTransparent(FTransparent);
    Canvas()->StretchDraw(DestRect(), G);
  }
}

void TImage::PictureChanged()
{
  if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(FLeft, FTop, FPicture->Width(), FPicture->Height());
  Invalidate();
}

void TImage::SetStretch(bool Value)
{
  FStretch = Value;
  Invalidate();
}

void TImage::SetCenter(bool Value)
{
  FCenter = Value;
  Invalidate();
}

void TImage::SetProportional(bool Value)
{
  FProportional = Value;
  Invalidate();
}

void TImage::SetTransparent(bool Value)
{
  FTransparent = Value;
  Invalidate();
}

void TImage::SetAutoSize(bool Value)
{
  FAutoSize = Value;
  PictureChanged();
}

// ---------------------------------------------------------------------------
// TTimer.

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) { UpdateTimer(); }

TTimer::~TTimer()
{
  if (FTimerID)
    KillTimer(nullptr, FTimerID);
}

void TTimer::UpdateTimer()
{
  if (FTimerID)
    KillTimer(nullptr, FTimerID);
  FTimerID = 0;
  if (!FEnabled || FInterval == 0 || ComponentState().Contains(csLoading))
    return;
  FTimerID = SetTimer(nullptr, 0, FInterval, [this](HWND, UINT, UINT_PTR, DWORD) {
    try {
      Timer();
    } catch (...) {
      Application->HandleException(this);
    }
  });
}

void TTimer::SetEnabled(bool Value)
{
  if (Value == FEnabled)
    return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal Value)
{
  if (Value == FInterval)
    return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::Loaded()
{
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::Timer()
{
  if (OnTimer)
    OnTimer(this);
}

// ---------------------------------------------------------------------------
// TBevel.

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner)
{
  FWidth = 50;
  FHeight = 50;
}

void TBevel::Paint()
{
  TRect R = ClientRect();
  Frame3D(Canvas(), R, clBtnShadow, clBtnHighlight, 1);
}

TShape::TShape(TComponent* AOwner)
    : TGraphicControl(AOwner), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>())
{
  FWidth = 65;
  FHeight = 65;
  FPen->OnChange = [this](TObject*) { Invalidate(); };
  FBrush->OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape() = default;

void TShape::SetShape(TShapeType Value)
{
  if (Value == FShape)
    return;
  FShape = Value;
  Invalidate();
}

void TShape::Paint()
{
  TCanvas* C = Canvas();
  C->Pen()->Assign(FPen.get());
  C->Brush()->Assign(FBrush.get());
  // The pen stays inside the bounds, as a frame drawn on the outer pixels.
  const Integer Half = FPen->Width() / 2;
  TRect R(Half, Half, FWidth - (FPen->Width() - 1) / 2, FHeight - (FPen->Width() - 1) / 2);
  if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
    const Integer S = std::min(R.Width(), R.Height());
    R.Left += (R.Width() - S) / 2;
    R.Top += (R.Height() - S) / 2;
    R.Right = R.Left + S;
    R.Bottom = R.Top + S;
  }
  switch (FShape) {
  case stRectangle:
  case stSquare: C->Rectangle(R); break;
  case stRoundRect:
  case stRoundSquare: {
    const Integer Round = std::min(R.Width(), R.Height()) / 4;
    C->RoundRect(R.Left, R.Top, R.Right, R.Bottom, Round, Round);
    break;
  }
  case stEllipse:
  case stCircle: C->Ellipse(R); break;
  }
}

void RegisterExtCtrlsClasses()
{
  RegisterEnum<TBevelCut>("TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"});
  RegisterClassInfo<TCustomPanel, TCustomControl>("TCustomPanel")
    .Property("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment, taCenter)
    .Property("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner, bvNone)
    .Property("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter, bvRaised)
    .Property("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth, 1)
    .Property("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth, 0)
    .Property("Caption", &TCustomPanel::Caption, &TCustomPanel::SetCaption)
    .Property("FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint, true)
    .Property("ParentBackground", &TCustomPanel::ParentBackground, &TCustomPanel::SetParentBackground, true)
    .Property("ShowCaption", &TCustomPanel::ShowCaption, &TCustomPanel::SetShowCaption, true);
  RegisterClassInfo<TPanel, TCustomPanel>("TPanel");
  RegisterClassInfo<TRadioGroup, TCustomGroupBox>("TRadioGroup")
    .Property("Columns", &TRadioGroup::Columns, &TRadioGroup::SetColumns, 1)
    .Property("Items", &TRadioGroup::Items, &TRadioGroup::SetItems)
    .Property("ItemIndex", &TRadioGroup::ItemIndex, &TRadioGroup::SetItemIndex, -1);
  RegisterClassInfo<TImage, TGraphicControl>("TImage")
    .Property("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, false)
    .Property("Center", &TImage::Center, &TImage::SetCenter, false)
    .Property("Picture", &TImage::Picture, &TImage::SetPicture)
    .Property("Proportional", &TImage::Proportional, &TImage::SetProportional, false)
    .Property("Stretch", &TImage::Stretch, &TImage::SetStretch, false)
    .Property("Transparent", &TImage::Transparent, &TImage::SetTransparent, false);
  RegisterClassInfo<TTimer, TComponent>("TTimer")
    .Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
    .Property("Interval", &TTimer::Interval, &TTimer::SetInterval, Cardinal(1000))
    .Event("OnTimer", &TTimer::OnTimer);
  RegisterClassInfo<TBevel, TGraphicControl>("TBevel");
  RegisterEnum<TShapeType>("TShapeType",
                           {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"});
  RegisterClassInfo<TShape, TGraphicControl>("TShape")
    .Property("Pen", &TShape::Pen, &TShape::SetPen)
    .Property("Brush", &TShape::Brush, &TShape::SetBrush)
    .Property("Shape", &TShape::Shape, &TShape::SetShape, stRectangle);
}
