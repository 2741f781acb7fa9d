// ToolCtrlsEhButtons.cpp: the edit-button controls (spin halves, auto-repeat,
// painting by style), the image speed button, and the edit buttons' persistent
// description, collection and action link.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include "platform/gui/ImgList.h"
#include "platform/gui/Themes.h"
#include "platform/rtl/ScopeExit.h"

namespace {

// The auto-repeat: the first repeat after 400 ms, then every 100 ms.
constexpr Cardinal FirstRepeatPause = 400;
constexpr Cardinal RepeatPause = 100;

TTimer* StartRepeatTimer(TComponent* Owner, TTimer* Timer, const TNotifyEvent& OnTimer)
{
  if (!Timer) {
    Timer = new TTimer(Owner);
    Timer->SetEnabled(false);
    Timer->OnTimer = OnTimer;
  }
  Timer->SetEnabled(false);
  Timer->SetInterval(FirstRepeatPause);
  Timer->SetEnabled(true);
  return Timer;
}

void StopRepeatTimer(TTimer* Timer)
{
  if (Timer)
    Timer->SetEnabled(false);
}

// After the first tick the pause shortens; answers whether it was the first.
void ShortenRepeatPause(TTimer* Timer)
{
  if (Timer->Interval() == FirstRepeatPause)
    Timer->SetInterval(RepeatPause);
}

TEditButtonStateEh ButtonStateOf(const TSpeedButton* B, TButtonState State)
{
  if (!B->Enabled())
    return ebstDisabledEh;
  if (State == bsDown || State == bsExclusive || B->Down())
    return ebstPressedEh;
  if (B->MouseInControl())
    return ebstHotEh;
  return ebstNormalEh;
}

// The image of a state, centred in Rect and moved by Offset; nothing
// without a list or with a negative index.
void DrawStateImage(TCanvas* Canvas, TButtonImagesEh* Images, TEditButtonStateEh State, const TRect& Rect,
                    TPoint Offset, bool Enabled)
{
  TCustomImageList* List = Images->GetStateImages(State);
  const TImageIndex Index = Images->GetStateIndex(State);
  if (!List || Index < 0)
    return;
  const Integer X = Rect.Left + (Rect.Width() - List->Width()) / 2 + Offset.X;
  const Integer Y = Rect.Top + (Rect.Height() - List->Height()) / 2 + Offset.Y;
  List->Draw(Canvas, X, Y, Index, Enabled);
}

} // namespace

TDrawButtonControlStyleEh EditButtonStyleToDrawStyleEh(TEditButtonStyleEh Style)
{
  switch (Style) {
  case ebsEllipsisEh: return bcsEllipsisEh;
  case ebsUpDownEh: return bcsUpDownEh;
  case ebsPlusEh: return bcsPlusEh;
  case ebsMinusEh: return bcsMinusEh;
  case ebsAltDropDownEh: return bcsAltDropDownEh;
  case ebsAltUpDownEh: return bcsAltUpDownEh;
  case ebsDropDownEh:
  case ebsGlyphEh: break;
  }
  return bcsDropDownEh;
}

// ---------------------------------------------------------------------------
// TEditButtonControlEh

TEditButtonControlEh::TEditButtonControlEh(TComponent* AOwner)
    : TSpeedButton(AOwner), FInternalEditButtonImages(std::make_unique<TButtonImagesEh>())
{
  SetParentColor(true);
}

TEditButtonControlEh::~TEditButtonControlEh() = default;

void TEditButtonControlEh::SetActive(bool Value)
{
  if (Value == FActive)
    return;
  FActive = Value;
  Invalidate();
}

void TEditButtonControlEh::SetStyle(TEditButtonStyleEh Value)
{
  if (Value == FStyle)
    return;
  FStyle = Value;
  Invalidate();
}

void TEditButtonControlEh::SetDrawBackTime(TEditButtonDrawBackTimeEh Value)
{
  if (Value == FDrawBackTime)
    return;
  FDrawBackTime = Value;
  Invalidate();
}

void TEditButtonControlEh::SetExternalEditButtonImages(TEditButtonImagesEh* Value)
{
  FExternalEditButtonImages = Value;
  Invalidate();
}

void TEditButtonControlEh::SetAlwaysDown(bool Value)
{
  if (Value == FAlwaysDown)
    return;
  FAlwaysDown = Value;
  if (Value) {
    SetGroupIndex(1);
    SetDown(true);
    SetAllowAllUp(false);
    FButtonNum = 1;
  } else {
    SetAllowAllUp(true);
    SetDown(false);
    SetGroupIndex(0);
    FButtonNum = 0;
  }
  Invalidate();
}

void TEditButtonControlEh::SetState(TButtonState NewState, bool IsActive, Integer ButtonNum)
{
  if (NewState == FState && IsActive == FActive && ButtonNum == FButtonNum)
    return;
  FState = NewState;
  FActive = IsActive;
  FButtonNum = ButtonNum;
  Invalidate();
}

TButtonImagesEh* TEditButtonControlEh::GetButtonImages() const
{
  return FExternalEditButtonImages ? static_cast<TButtonImagesEh*>(FExternalEditButtonImages)
                                   : FInternalEditButtonImages.get();
}

bool TEditButtonControlEh::GetActualActive() const
{
  return ButtonThemesEnabledEh() ? FMouseInControl : FActive;
}

TEditButtonStateEh TEditButtonControlEh::GetState() const { return ButtonStateOf(this, FState); }

void TEditButtonControlEh::DrawImages(const TRect& Rect)
{
  const TPoint Offset = FButtonNum > 0 ? TPoint(1, 1) : TPoint(0, 0);
  DrawStateImage(Canvas(), GetButtonImages(), GetState(), Rect, Offset, Enabled());
}

void TEditButtonControlEh::EditButtonDown(Integer ButtonNum, bool& AutoRepeat)
{
  bool Handled = false;
  if (OnDown)
    OnDown(this, ButtonNum == 1, AutoRepeat, Handled);
}

// Spin halves: the upper rows are part 1, the lower rows part 2 (as painted),
// the middle row of an odd height part 0.
Integer TEditButtonControlEh::PartAt(Integer Y) const
{
  if (!IsDown())
    return 0;
  if (!IsSpin())
    return 1;
  const Integer Half = Height() / 2;
  if (Y < Half)
    return 1;
  if (Y >= Height() - Half)
    return 2;
  return 0;
}

void TEditButtonControlEh::UpdatePressedPart(Integer Y)
{
  const Integer Part = FAlwaysDown ? 1 : PartAt(Y);
  if (Part == FButtonNum)
    return;
  FButtonNum = Part;
  Invalidate();
}

void TEditButtonControlEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled())
    return;
  bool AutoRepeat = IsSpin();
  UpdatePressedPart(Y);
  EditButtonDown(FButtonNum, AutoRepeat);
  if (AutoRepeat)
    FTimer = StartRepeatTimer(this, FTimer, [this](TObject* Sender) { TimerExpired(Sender); });
}

void TEditButtonControlEh::TimerExpired(TObject*)
{
  ShortenRepeatPause(FTimer);
  if (FState != bsDown || !MouseCapture())
    return;
  bool AutoRepeat = IsSpin();
  EditButtonDown(FButtonNum, AutoRepeat);
  if (!AutoRepeat)
    StopRepeatTimer(FTimer);
}

void TEditButtonControlEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseMove(Shift, X, Y);
  if (!MouseCapture() || !IsSpin() || FState != bsDown)
    return;
  const Integer Half = Height() / 2;
  const bool Left = (FButtonNum == 2 && Y < Half) || (FButtonNum == 1 && Y >= Height() - Half);
  if (!Left)
    return;
  FState = bsUp;
  Invalidate();
}

void TEditButtonControlEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  // A spin half the mouse has left is no click.
  FNoDoClick = IsSpin() && !IsDown();
  try {
    inherited::MouseUp(Button, Shift, X, Y);
  } catch (...) {
    FNoDoClick = false;
    StopRepeatTimer(FTimer);
    throw;
  }
  FNoDoClick = false;
  UpdatePressedPart(Y);
  StopRepeatTimer(FTimer);
}

void TEditButtonControlEh::Click()
{
  if (FNoDoClick)
    return;
  inherited::Click();
}

void TEditButtonControlEh::CMMouseEnter(TMessage& Message)
{
  inherited::CMMouseEnter(Message);
  Invalidate();
}

void TEditButtonControlEh::CMMouseLeave(TMessage& Message)
{
  inherited::CMMouseLeave(Message);
  Invalidate();
}

bool TEditButtonControlEh::DrawFaceNow() const
{
  if (FStyle == ebsGlyphEh && !Glyph()->Empty())
    return true;
  if (FDrawBackTime == edbtAlwaysEh)
    return true;
  return FDrawBackTime == edbtWhenHotEh && (FMouseInControl || IsDown());
}

void TEditButtonControlEh::Paint()
{
  if (OnPaint) {
    OnPaint(this);
    return;
  }
  TCanvas* C = Canvas();
  const TRect R = ClientRect();
  const bool DrawFace = DrawFaceNow();
  if (FStyle == ebsGlyphEh && GetButtonImages()->NormalImages()) {
    if (DrawFace) {
      DrawButtonFaceEh(C, R, clNone, FButtonNum > 0, Flat(), GetActualActive(), Enabled());
    } else {
      C->Brush()->SetColor(Color());
      C->FillRect(R);
    }
    DrawImages(R);
    return;
  }
  if (FStyle != ebsGlyphEh) {
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    C->FillRect(R);
    PaintButtonControlEh(C, R, clWindow, EditButtonStyleToDrawStyleEh(FStyle), FButtonNum, Flat(),
                         GetActualActive(), Enabled(), 0, 1, DrawFace);
    return;
  }
  PaintGlyphStyle(DrawFace);
}

// A glyph button without images: the speed button's own glyph and caption,
// or, for a plain flat button, the caption on the parent's background.
void TEditButtonControlEh::PaintGlyphStyle(bool DrawFace)
{
  TCanvas* C = Canvas();
  const TRect R = ClientRect();
  const bool Themed = ButtonThemesEnabledEh();
  const bool FlatClassic = Flat() && !Themed;
  HRGN Saved = nullptr;
  if (FlatClassic)
    Saved = IntersectClipRectEh(C, TRect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1));
  const bool Plain = (!DrawFace || Themed) && Flat() && !GetActualActive() && Enabled() && !Down() &&
                     Glyph()->Empty() && FAdvancedPaint;
  if (Plain) {
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Parent() ? Parent()->Color() : Color());
    C->FillRect(R);
    if (DrawFace)
      StyleServices()->DrawElement(C->Handle(), StyleServices()->GetElementDetails(ttbButtonHot), R);
    C->Font()->Assign(Font());
    C->Brush()->SetStyle(bsClear);
    const String Text = Caption();
    const TSize Size = C->TextExtent(Text);
    const TPoint At(R.Left + (R.Width() - Size.cx) / 2, R.Top + (R.Height() - Size.cy) / 2);
    if (Enabled()) {
      C->TextOut(At.X, At.Y, Text);
    } else {
      C->Font()->SetColor(clBtnHighlight);
      C->TextOut(At.X + 1, At.Y + 1, Text);
      C->Font()->SetColor(clBtnShadow);
      C->TextOut(At.X, At.Y, Text);
    }
    C->Brush()->SetStyle(bsSolid);
  } else {
    inherited::Paint();
  }
  if (!FlatClassic)
    return;
  RestoreClipRegionEh(C, Saved);
  TRect E = R;
  if (GetActualActive()) {
    DrawEdge(C->Handle(), E, FButtonNum > 0 ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  } else {
    C->Brush()->SetColor(Parent() ? Parent()->Color() : Color());
    C->FrameRect(E);
  }
}

// ---------------------------------------------------------------------------
// TCustomSpeedButtonEh

TCustomSpeedButtonEh::TCustomSpeedButtonEh(TComponent* AOwner)
    : TSpeedButton(AOwner), FInternalEditButtonImages(std::make_unique<TButtonImagesEh>())
{
  SetColor(clMenu);
}

TCustomSpeedButtonEh::~TCustomSpeedButtonEh() = default;

void TCustomSpeedButtonEh::SetExternalEditButtonImages(TEditButtonImagesEh* Value)
{
  FExternalEditButtonImages = Value;
  Invalidate();
}

TButtonImagesEh* TCustomSpeedButtonEh::GetButtonImages() const
{
  return FExternalEditButtonImages ? static_cast<TButtonImagesEh*>(FExternalEditButtonImages)
                                   : FInternalEditButtonImages.get();
}

TEditButtonStateEh TCustomSpeedButtonEh::GetState() const { return ButtonStateOf(this, FState); }

void TCustomSpeedButtonEh::Paint()
{
  if (OnPaint)
    OnPaint(this);
  else
    DefaultPaint();
}

void TCustomSpeedButtonEh::DefaultPaint()
{
  TRect PaintRect;
  TPoint PressOffset;
  PaintBackground(PaintRect, PressOffset);
  PaintForeground(PaintRect, PressOffset);
}

void TCustomSpeedButtonEh::PaintBackground(TRect& PaintRect, TPoint& PressOffset)
{
  TCanvas* C = Canvas();
  if (!Enabled())
    FState = bsDisabled;
  else if (FState == bsDisabled)
    FState = Down() && GroupIndex() != 0 ? bsExclusive : bsUp;
  C->Font()->Assign(Font());
  const bool Pressed = FState == bsDown || FState == bsExclusive;
  PaintRect = ClientRect();
  if (ButtonThemesEnabledEh()) {
    TCustomStyleServices* S = StyleServices();
    TThemedElementDetails D;
    if (Flat())
      D = S->GetElementDetails(!Enabled() ? ttbButtonDisabled
                               : Pressed  ? ttbButtonPressed
                               : FMouseInControl ? ttbButtonHot
                                                 : ttbButtonNormal);
    else
      D = S->GetElementDetails(!Enabled() ? tbPushButtonDisabled
                               : Pressed  ? tbPushButtonPressed
                               : FMouseInControl ? tbPushButtonHot
                                                 : tbPushButtonNormal);
    S->DrawElement(C->Handle(), D, PaintRect);
    TRect Content;
    S->GetElementContentRect(C->Handle(), D, PaintRect, Content);
    PaintRect = Content;
    PressOffset = Pressed ? TPoint(1, 0) : TPoint(0, 0);
    if (Pressed && Flat())
      C->Font()->SetColor(S->GetSystemColor(clHighlightText));
    return;
  }
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(Color());
  const bool HotFlat = Flat() && FMouseInControl && Enabled();
  if (Flat()) {
    if (Pressed || HotFlat) {
      TRect E = PaintRect;
      DrawEdge(C->Handle(), E, Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
               BF_RECT | (Transparent() ? 0u : UINT(BF_MIDDLE)));
    } else if (!Transparent()) {
      C->FillRect(PaintRect);
    }
    PaintRect.Inflate(-1, -1);
  } else {
    DrawFrameControl(C->Handle(), PaintRect, DFC_BUTTON,
                     DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (Pressed ? UINT(DFCS_PUSHED) : 0u));
  }
  if (FState == bsExclusive && !HotFlat) {
    // The pattern of a button held down: face and highlight dots.
    for (Integer Y = PaintRect.Top; Y < PaintRect.Bottom; ++Y)
      for (Integer X = PaintRect.Left; X < PaintRect.Right; ++X)
        C->SetPixels(X, Y, (X + Y) % 2 ? clBtnFace : clBtnHighlight);
  }
  PressOffset = Pressed ? TPoint(1, 1) : TPoint(0, 0);
}

void TCustomSpeedButtonEh::PaintForeground(const TRect& PaintRect, TPoint PressOffset)
{
  DrawStateImage(Canvas(), GetButtonImages(), GetState(), PaintRect, PressOffset, true);
}

void TCustomSpeedButtonEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseDown(Button, Shift, X, Y);
  if (FAutoRepeat && Button == mbLeft && Enabled())
    FRepeatTimer = StartRepeatTimer(this, FRepeatTimer, [this](TObject* Sender) { RepeatTimerExpired(Sender); });
}

void TCustomSpeedButtonEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  StopRepeatTimer(FRepeatTimer);
  inherited::MouseUp(Button, Shift, X, Y);
}

void TCustomSpeedButtonEh::RepeatTimerExpired(TObject*)
{
  ShortenRepeatPause(FRepeatTimer);
  if (FState != bsDown || !MouseCapture())
    return;
  try {
    Click();
  } catch (...) {
    StopRepeatTimer(FRepeatTimer);
    throw;
  }
}

// ---------------------------------------------------------------------------
// TEditButtonImagesEh

TPersistent* TEditButtonImagesEh::GetOwner() const { return FOwner; }

void TEditButtonImagesEh::Changed()
{
  if (FOwner)
    FOwner->NotifyChanged();
}

void TEditButtonImagesEh::RefComponentChanged(TComponent* RefComponent)
{
  if (FOwner)
    FOwner->NotifyRefComponentChanged(RefComponent);
}

// ---------------------------------------------------------------------------
// TEditButtonEh

TEditButtonEh::TEditButtonEh(TCollection* Collection) : TCollectionItem(nullptr)
{
  Init();
  if (!Collection)
    return;
  Collection->BeginUpdate();
  ScopeExit Done([&] { Collection->EndUpdate(); });
  SetCollection(Collection);
}

TEditButtonEh::TEditButtonEh(TWinControl* EditControl) : TCollectionItem(nullptr), FEditControl(EditControl)
{
  Init();
}

void TEditButtonEh::Init()
{
  FGlyph = std::make_unique<TBitmap>();
  FGlyph->SetTransparent(true);
  FGlyph->OnChange = [this](TObject*) { NotifyChanged(); };
  FImages = std::make_unique<TEditButtonImagesEh>(this);
  FDropDownFormParams = CreateDropDownFormParams();
}

TEditButtonEh::~TEditButtonEh()
{
  FActionLink.reset();
  OnChanged = nullptr;
  OnRefComponentChanged = nullptr;
}

std::unique_ptr<TDropDownFormCallParamsEh> TEditButtonEh::CreateDropDownFormParams()
{
  return std::make_unique<TDropDownFormCallParamsEh>();
}

TEditButtonsEh* TEditButtonEh::EditButtons() const { return dynamic_cast<TEditButtonsEh*>(Collection()); }

void TEditButtonEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TEditButtonEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  SetAction(Src->Action());
  SetDropdownMenu(Src->FDropdownMenu);
  SetEnabled(Src->FEnabled);
  SetGlyph(Src->FGlyph.get());
  SetHint(Src->FHint);
  SetNumGlyphs(Src->FNumGlyphs);
  SetShortCut(Src->FShortCut);
  SetStyle(Src->FStyle);
  SetVisible(Src->GetVisible());
  SetWidth(Src->FWidth);
  OnClick = Src->OnClick;
  OnDown = Src->OnDown;
  FImages->Assign(Src->FImages.get());
}

void TEditButtonEh::NotifyChanged()
{
  if (OnChanged)
    OnChanged(this);
  else if (Collection())
    Changed(false);
}

void TEditButtonEh::NotifyRefComponentChanged(TComponent* RefComponent)
{
  if (OnRefComponentChanged)
    OnRefComponentChanged(this, RefComponent);
  else if (TEditButtonsEh* Buttons = EditButtons(); Buttons && Buttons->OnRefComponentChanged)
    Buttons->OnRefComponentChanged(this, RefComponent);
}

bool TEditButtonEh::DefaultAction() const
{
  return FDefaultActionStored ? FDefaultAction : FParentDefinedDefaultAction;
}

void TEditButtonEh::SetDefaultAction(bool Value)
{
  FDefaultAction = Value;
  FDefaultActionStored = true;
}

void TEditButtonEh::SetDropdownMenu(TPopupMenu* Value)
{
  if (Value == FDropdownMenu)
    return;
  FDropdownMenu = Value;
  NotifyChanged();
}

void TEditButtonEh::SetEnabled(bool Value)
{
  if (Value == FEnabled)
    return;
  FEnabled = Value;
  NotifyChanged();
}

void TEditButtonEh::SetGlyph(TBitmap* Value)
{
  if (Value)
    FGlyph->Assign(Value);
  else
    FGlyph->SetSize(0, 0);
  NotifyChanged();
}

void TEditButtonEh::SetHint(const String& Value)
{
  if (Value == FHint)
    return;
  FHint = Value;
  NotifyChanged();
}

void TEditButtonEh::SetNumGlyphs(Integer Value)
{
  Value = std::clamp(Value, 1, 4);
  if (Value == FNumGlyphs)
    return;
  FNumGlyphs = Value;
  NotifyChanged();
}

void TEditButtonEh::SetShortCut(TShortCut Value)
{
  if (Value == FShortCut)
    return;
  FShortCut = Value;
  NotifyChanged();
}

void TEditButtonEh::SetStyle(TEditButtonStyleEh Value)
{
  if (Value == FStyle)
    return;
  FStyle = Value;
  NotifyChanged();
}

void TEditButtonEh::SetVisibleValue(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  NotifyChanged();
}

void TEditButtonEh::SetWidth(Integer Value)
{
  if (Value == FWidth)
    return;
  FWidth = Value;
  NotifyChanged();
}

TEditButtonDrawBackTimeEh TEditButtonEh::DefaultDrawBackTime() const
{
  TEditButtonsEh* Buttons = EditButtons();
  return Buttons ? Buttons->GetDefaultDrawBackTime() : edbtAlwaysEh;
}

TEditButtonDrawBackTimeEh TEditButtonEh::DrawBackTime() const
{
  return GetDrawBackTimeStored() ? FDrawBackTime : DefaultDrawBackTime();
}

void TEditButtonEh::SetDrawBackTime(TEditButtonDrawBackTimeEh Value)
{
  if (FDrawBackTimeStored && Value == FDrawBackTime)
    return;
  FDrawBackTime = Value;
  FDrawBackTimeStored = true;
  NotifyChanged();
}

void TEditButtonEh::SetDrawBackTimeStored(bool Value)
{
  if (Value)
    FDrawBackTime = DefaultDrawBackTime();
  FDrawBackTimeStored = Value;
  NotifyChanged();
}

TEditButtonControlEh* TEditButtonEh::CreateEditButtonControl()
{
  auto* Control = new TEditButtonControlEh(FEditControl);
  Control->SetControlStyle(Control->ControlStyle() << csReplicatable << csOpaque);
  Control->SetBounds(0, 0, 10, 17);
  Control->SetVisible(true);
  Control->SetParent(FEditControl);
  return Control;
}

void TEditButtonEh::Click(TObject* Sender, bool& Handled)
{
  if (OnClick) {
    OnClick(Sender, Handled);
    return;
  }
  if (!FActionLink)
    return;
  TComponent* Target = FEditControl;
  if (!Target)
    Target = dynamic_cast<TComponent*>(EditButtons() ? EditButtons()->Owner() : nullptr);
  FActionLink->Execute(Target);
  Handled = true;
}

TBasicAction* TEditButtonEh::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

TEditButtonActionLinkEh* TEditButtonEh::CreateActionLink() { return new TEditButtonActionLinkEh(this); }

void TEditButtonEh::SetAction(TBasicAction* Value)
{
  if (!Value) {
    FActionLink.reset();
    return;
  }
  if (!FActionLink)
    FActionLink.reset(CreateActionLink());
  FActionLink->SetAction(Value);
  FActionLink->OnChange = [this](TObject* Sender) { DoActionChange(Sender); };
  ActionChange(Value, Value->ComponentState().Contains(csLoading));
}

void TEditButtonEh::DoActionChange(TObject* Sender)
{
  if (FActionLink && Sender == FActionLink->Action())
    ActionChange(Sender, false);
}

void TEditButtonEh::ActionChange(TObject* Sender, bool CheckDefaults)
{
  auto* A = dynamic_cast<TCustomAction*>(Sender);
  if (!A)
    return;
  if (!CheckDefaults || FEnabled)
    SetEnabled(A->Enabled());
  if (!CheckDefaults || FHint.isEmpty())
    SetHint(A->Hint());
  if (!CheckDefaults || FShortCut == 0)
    SetShortCut(A->ShortCut());
  if (!CheckDefaults || GetVisible())
    SetVisible(A->Visible());
}

void TEditButtonEh::InitiateAction()
{
  if (FActionLink)
    FActionLink->Update();
}

bool TEditButtonEh::IsEnabledStored() const { return !FActionLink || !FActionLink->IsEnabledLinked(); }
bool TEditButtonEh::IsHintStored() const { return !FActionLink || !FActionLink->IsHintLinked(); }
bool TEditButtonEh::IsShortCutStored() const { return !FActionLink || !FActionLink->IsShortCutLinked(); }
bool TEditButtonEh::IsVisibleStored() const { return !FActionLink || !FActionLink->IsVisibleLinked(); }

// ---------------------------------------------------------------------------
// TEditButtonsEh and the action link

TEditButtonsEh::TEditButtonsEh(TPersistent* Owner, TClass EditButtonClass)
    : TCollection(EditButtonClass), FOwner(Owner)
{
}

TEditButtonDrawBackTimeEh TEditButtonsEh::GetDefaultDrawBackTime() const
{
  if (auto* Owner = dynamic_cast<IEditButtonsOwnerEh*>(FOwner))
    return Owner->GetEditButtonDefaultDrawBackTime();
  return edbtAlwaysEh;
}

void TEditButtonsEh::Update(TCollectionItem* Item)
{
  inherited::Update(Item);
  if (OnChanged)
    OnChanged(Item);
}

static TCustomAction* CustomActionOf(const TActionLink* Link)
{
  return dynamic_cast<TCustomAction*>(Link->Action());
}

bool TEditButtonActionLinkEh::IsEnabledLinked() const
{
  return TActionLink::IsEnabledLinked() && FClient->Enabled() == CustomActionOf(this)->Enabled();
}

bool TEditButtonActionLinkEh::IsHintLinked() const
{
  return TActionLink::IsHintLinked() && FClient->Hint() == CustomActionOf(this)->Hint();
}

bool TEditButtonActionLinkEh::IsShortCutLinked() const
{
  return TActionLink::IsShortCutLinked() && FClient->ShortCut() == CustomActionOf(this)->ShortCut();
}

bool TEditButtonActionLinkEh::IsVisibleLinked() const
{
  return TActionLink::IsVisibleLinked() && FClient->Visible() == CustomActionOf(this)->Visible();
}

void TEditButtonActionLinkEh::SetEnabled(bool Value)
{
  if (IsEnabledLinked())
    FClient->SetEnabled(Value);
}

void TEditButtonActionLinkEh::SetHint(const String& Value)
{
  if (IsHintLinked())
    FClient->SetHint(Value);
}

void TEditButtonActionLinkEh::SetShortCut(TShortCut Value)
{
  if (IsShortCutLinked())
    FClient->SetShortCut(Value);
}

void TEditButtonActionLinkEh::SetVisible(bool Value)
{
  if (IsVisibleLinked())
    FClient->SetVisible(Value);
}

// ---------------------------------------------------------------------------

void RegisterToolCtrlsEhButtonClasses()
{
  static bool Done = false;
  if (Done)
    return;
  Done = true;
  RegisterEnum<TEditButtonStyleEh>("TEditButtonStyleEh",
                                   {"ebsDropDownEh", "ebsEllipsisEh", "ebsGlyphEh", "ebsUpDownEh", "ebsPlusEh",
                                    "ebsMinusEh", "ebsAltDropDownEh", "ebsAltUpDownEh"});
  RegisterEnum<TEditButtonDrawBackTimeEh>("TEditButtonDrawBackTimeEh",
                                          {"edbtAlwaysEh", "edbtNeverEh", "edbtWhenHotEh"});
  RegisterClassInfo<TButtonImagesEh, TPersistent>("TButtonImagesEh")
    .Property("NormalImages", &TButtonImagesEh::NormalImages, &TButtonImagesEh::SetNormalImages)
    .Property("NormalIndex", &TButtonImagesEh::NormalIndex, &TButtonImagesEh::SetNormalIndex, 0)
    .Property("HotImages", &TButtonImagesEh::HotImages, &TButtonImagesEh::SetHotImages)
    .Property("HotIndex", &TButtonImagesEh::HotIndex, &TButtonImagesEh::SetHotIndex, 0)
    .Property("PressedImages", &TButtonImagesEh::PressedImages, &TButtonImagesEh::SetPressedImages)
    .Property("PressedIndex", &TButtonImagesEh::PressedIndex, &TButtonImagesEh::SetPressedIndex, 0)
    .Property("DisabledImages", &TButtonImagesEh::DisabledImages, &TButtonImagesEh::SetDisabledImages)
    .Property("DisabledIndex", &TButtonImagesEh::DisabledIndex, &TButtonImagesEh::SetDisabledIndex, 0);
  RegisterClassInfo<TEditButtonImagesEh, TButtonImagesEh>("TEditButtonImagesEh");
  RegisterEnum<TDropDownAlign>("TDropDownAlign", {"daLeft", "daRight", "daCenter"});
  RegisterEnum<TDropDownPassParamsEh>("TDropDownPassParamsEh", {"pspByFieldNamesEh", "pspFieldValueEh",
                                                                 "pspRecordValuesEh", "pspCustomValuesEh"});
  RegisterClassInfo<TDropDownFormCallParamsEh, TPersistent>("TDropDownFormCallParamsEh")
    .Property("Align", &TDropDownFormCallParamsEh::Align, &TDropDownFormCallParamsEh::SetAlign, daCenter)
    .Property("AssignBackFieldNames", &TDropDownFormCallParamsEh::AssignBackFieldNames,
              &TDropDownFormCallParamsEh::SetAssignBackFieldNames)
    .Property("DropDownForm", &TDropDownFormCallParamsEh::DropDownForm, &TDropDownFormCallParamsEh::SetDropDownForm)
    .Property("DropDownFormClassName", &TDropDownFormCallParamsEh::DropDownFormClassName,
              &TDropDownFormCallParamsEh::SetDropDownFormClassName)
    .Property("FormHeight", &TDropDownFormCallParamsEh::FormHeight, &TDropDownFormCallParamsEh::SetFormHeight, -1)
    .Property("FormWidth", &TDropDownFormCallParamsEh::FormWidth, &TDropDownFormCallParamsEh::SetFormWidth, -1)
    .Property("PassFieldNames", &TDropDownFormCallParamsEh::PassFieldNames,
              &TDropDownFormCallParamsEh::SetPassFieldNames)
    .Property("PassParams", &TDropDownFormCallParamsEh::PassParams, &TDropDownFormCallParamsEh::SetPassParams,
              pspFieldValueEh)
    .Property("SaveFormSize", &TDropDownFormCallParamsEh::SaveFormSize, &TDropDownFormCallParamsEh::SetSaveFormSize,
              true);
  RegisterClassInfo<TEditButtonEh, TCollectionItem>("TEditButtonEh")
    .Property("Action", &TEditButtonEh::Action, &TEditButtonEh::SetAction)
    .Property("DefaultAction", &TEditButtonEh::DefaultAction, &TEditButtonEh::SetDefaultAction)
    .Stored(&TEditButtonEh::DefaultActionStored)
    .Property("DropdownMenu", &TEditButtonEh::DropdownMenu, &TEditButtonEh::SetDropdownMenu)
    .Property("DropDownFormParams", &TEditButtonEh::DropDownFormParams, &TEditButtonEh::SetDropDownFormParams)
    .Property("Enabled", &TEditButtonEh::Enabled, &TEditButtonEh::SetEnabled, true)
    .Stored(&TEditButtonEh::IsEnabledStored)
    .Property("Glyph", &TEditButtonEh::Glyph, &TEditButtonEh::SetGlyph)
    .Property("Hint", &TEditButtonEh::Hint, &TEditButtonEh::SetHint)
    .Stored(&TEditButtonEh::IsHintStored)
    .Property("Images", &TEditButtonEh::Images, &TEditButtonEh::SetImages)
    .Property("NumGlyphs", &TEditButtonEh::NumGlyphs, &TEditButtonEh::SetNumGlyphs, 1)
    .Property("ShortCut", &TEditButtonEh::ShortCut, &TEditButtonEh::SetShortCut, TShortCut(0))
    .Stored(&TEditButtonEh::IsShortCutStored)
    .Property("Style", &TEditButtonEh::Style, &TEditButtonEh::SetStyle, ebsDropDownEh)
    .Property("Visible", &TEditButtonEh::Visible, &TEditButtonEh::SetVisible, false)
    .Stored(&TEditButtonEh::IsVisibleStored)
    .Property("Width", &TEditButtonEh::Width, &TEditButtonEh::SetWidth, 0)
    .Property("DrawBackTime", &TEditButtonEh::DrawBackTime, &TEditButtonEh::SetDrawBackTime)
    .Stored(&TEditButtonEh::DrawBackTimeStored)
    .Event("OnClick", &TEditButtonEh::OnClick)
    .Event("OnDown", &TEditButtonEh::OnDown);
  RegisterClassInfo<TDropDownEditButtonEh, TEditButtonEh>("TDropDownEditButtonEh")
    .Property("ShortCut", &TEditButtonEh::ShortCut, &TEditButtonEh::SetShortCut, AltDownShortCutEh)
    .Stored(&TEditButtonEh::IsShortCutStored);
  RegisterClassInfo<TVisibleEditButtonEh, TEditButtonEh>("TVisibleEditButtonEh")
    .Property("ShortCut", &TEditButtonEh::ShortCut, &TEditButtonEh::SetShortCut, AltDownShortCutEh)
    .Stored(&TEditButtonEh::IsShortCutStored)
    .Property("Visible", &TEditButtonEh::Visible, &TEditButtonEh::SetVisible, true)
    .Stored(&TEditButtonEh::IsVisibleStored);
  RegisterClassInfo<TEditButtonsEh, TCollection>("TEditButtonsEh");
  RegisterClassInfo<TEditButtonControlEh, TSpeedButton>("TEditButtonControlEh");
  RegisterClassInfo<TSpeedButtonEh, TEditButtonControlEh>("TSpeedButtonEh")
    .Property("Active", &TSpeedButtonEh::Active, &TSpeedButtonEh::SetActive, false)
    .Property("Style", &TSpeedButtonEh::Style, &TSpeedButtonEh::SetStyle, ebsDropDownEh)
    .Event("OnDown", &TSpeedButtonEh::OnDown);
  RegisterClassInfo<TCustomSpeedButtonEh, TSpeedButton>("TCustomSpeedButtonEh");
  RegisterClassInfo<TMenuItemEh, TMenuItem>("TMenuItemEh");
  RegisterClassInfo<TPopupMenuEh, TPopupMenu>("TPopupMenuEh");
  RegisterClassInfo<THintWindowEh, THintWindow>("THintWindowEh");
  RegisterClassInfo<TPictureEh, TPicture>("TPictureEh");
}
