// DBCtrlsEhBox.cpp: the box that lays out an editor's edit buttons, and the
// caption label with the fourteen places it can take around its control.
#include "gridlib/editors/DBCtrlsEh.h"

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/Math.h"

namespace {

// The width a button control takes before it is placed.
Integer ButtonControlWidth(const TEditButtonEh* Button, bool Flat)
{
  if (!Button->Visible())
    return 0;
  if (Button->Width() >= 1)
    return Button->Width();
  return Flat ? EditorsFlatButtonWidthEh() : GetSystemMetrics(SM_CXVSCROLL);
}

// A flat box of a plain look separates its buttons by lines.
bool DrawsButtonLines(bool Flat) { return Flat && !StyleThemesEnabledEh(); }

} // namespace

Integer EditorsFlatButtonWidthEh()
{
  static const Integer Width = DefaultEditButtonWidthEh();
  return Width;
}

// ---------------------------------------------------------------------------
// TEditButtonsBoxEh.

TEditButtonsBoxEh::TEditButtonsBoxEh(TComponent* AOwner) : TWinControl(AOwner)
{
  TControlStyle Style = ControlStyle();
  Style.Include(csReplicatable);
  Style.Include(csParentBackground);
  SetControlStyle(Style);
  SetCursor(crArrow);
}

void TEditButtonsBoxEh::WndProc(TMessage& Message)
{
  // A click on a button gives the box the window system's focus; the focus
  // belongs to the control that owns the buttons.
  if (Message.Msg == WM_SETFOCUS && Parent() && Parent()->CanFocus()) {
    Parent()->SetFocus();
    return;
  }
  inherited::WndProc(Message);
}

TEditButtonsBoxEh::~TEditButtonsBoxEh()
{
  for (TEditButtonControlLineRec& Entry : FBtnCtlList)
    FreeEntry(Entry);
}

void TEditButtonsBoxEh::FreeEntry(TEditButtonControlLineRec& Entry)
{
  delete Entry.EditButtonControl;
  delete Entry.ButtonLine;
  Entry = {};
}

void TEditButtonsBoxEh::EndLayout()
{
  if (FLayoutCount > 0 && --FLayoutCount == 0)
    LayoutChanged();
}

void TEditButtonsBoxEh::LayoutChanged() { UpdateEditButtonControlList(); }

void TEditButtonsBoxEh::SetButtonsCount(Integer Value)
{
  Value = std::max(Value, 0);
  const Integer Old = ButtonsCount();
  if (Value == Old)
    return;
  if (Value < Old) {
    for (Integer I = Value; I < Old; ++I)
      FreeEntry(FBtnCtlList[std::size_t(I)]);
    FBtnCtlList.resize(std::size_t(Value));
    return;
  }
  if (!OnCreateEditButtonControl)
    throw Exception(QStringLiteral("The buttons box has no handler that creates its button controls"));
  FBtnCtlList.resize(std::size_t(Value));
  for (Integer I = Old; I < Value; ++I) {
    TEditButtonControlLineRec& Entry = FBtnCtlList[std::size_t(I)];
    OnCreateEditButtonControl(Entry.EditButtonControl);
    if (Entry.EditButtonControl)
      Entry.EditButtonControl->SetParent(this);
    Entry.ButtonLine = new TShape(this);
    Entry.ButtonLine->SetParent(this);
  }
}

void TEditButtonsBoxEh::SetBorderActive(bool Value)
{
  if (Value == FBorderActive)
    return;
  FBorderActive = Value;
  Invalidate();
}

void TEditButtonsBoxEh::UpdateEditButtonControlList()
{
  constexpr Integer NoHeight = std::numeric_limits<Integer>::max();
  Integer MinHeight = NoHeight;
  const bool Lines = DrawsButtonLines(FFlat);
  Integer Total = 0;
  for (std::size_t I = 0; I < FBtnCtlList.size(); ++I) {
    TEditButtonControlLineRec& Entry = FBtnCtlList[I];
    TEditButtonControlEh* C = Entry.EditButtonControl;
    TEditButtonEh* B = Entry.EditButton;
    if (!C || !B)
      continue;
    C->SetVisible(B->Visible());
    C->SetEnabled(B->Enabled());
    C->SetStyle(B->Style());
    C->SetGlyph(B->Glyph());
    C->SetNumGlyphs(B->NumGlyphs());
    C->SetHint(B->Hint());
    C->SetDrawBackTime(B->DrawBackTime());
    C->SetExternalEditButtonImages(B->Images());
    C->SetFlat(FFlat);
    const Integer W = ButtonControlWidth(B, FFlat);
    C->SetWidthNoNotify(W);
    if (B->Visible()) {
      Integer H = FMaxButtonHeight;
      if (FMaxButtonHeight > Integer(Round(W * 3.0 / 2)))
        H = EditButtonHeightForWidthEh(W, FFlat);
      MinHeight = std::min(MinHeight, H);
    }
    const bool LineShown = Lines && B->Visible();
    Entry.ButtonLine->SetVisible(LineShown);
    Entry.ButtonLine->SetWidth(LineShown ? 1 : 0);
    C->OnDown = OnDown;
    C->OnClick = OnClick;
    C->OnMouseMove = OnMouseMove;
    C->OnMouseUp = OnMouseUp;
    C->SetTag(NativeInt(I));
    Total += C->Width() + Entry.ButtonLine->Width();
  }
  FButtonsWidth = Total;
  if (MinHeight != NoHeight) {
    Integer X = 0;
    for (TEditButtonControlLineRec& Entry : FBtnCtlList) {
      if (!Entry.EditButtonControl || !Entry.EditButton)
        continue;
      TEditButtonControlEh* C = Entry.EditButtonControl;
      C->SetBounds(X, 0, C->Width(), MinHeight);
      X += C->Width();
      Entry.ButtonLine->SetBounds(X, 0, Entry.ButtonLine->Width(), MinHeight);
      X += Entry.ButtonLine->Width();
    }
  }
  // The last line would stand on the editor's border.
  if (Lines && FButtonsWidth > 0)
    --FButtonsWidth;
  FButtonHeight = MinHeight;
  UpdateEditButtonControlsState();
}

void TEditButtonsBoxEh::UpdateEditButtonControlsState()
{
  for (TEditButtonControlLineRec& Entry : FBtnCtlList) {
    if (!Entry.EditButtonControl)
      continue;
    Entry.EditButtonControl->SetEnabled(Enabled() && Entry.EditButton && Entry.EditButton->Enabled());
    Entry.EditButtonControl->SetActive(FBorderActive);
    const TColor LineColor = FBorderActive ? clBtnFace : Color();
    Entry.ButtonLine->Pen()->SetColor(LineColor);
    Entry.ButtonLine->Brush()->SetColor(LineColor);
  }
}

// ---------------------------------------------------------------------------
// TControlLabelLocationEh.

void TControlLabelLocationEh::Assign(TPersistent* Source)
{
  if (auto* S = dynamic_cast<TControlLabelLocationEh*>(Source)) {
    FSpacing = S->FSpacing;
    FOffset = S->FOffset;
    FPosition = S->FPosition;
    FLabelSpacingBound = S->FLabelSpacingBound;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

void TControlLabelLocationEh::Changed()
{
  if (auto* Owner = dynamic_cast<IControlLabelOwnerEh*>(FEditControl))
    Owner->ControlLabelLocationChanged();
}

void TControlLabelLocationEh::SetSpacing(Integer Value)
{
  if (Value == FSpacing)
    return;
  FSpacing = Value;
  Changed();
}

void TControlLabelLocationEh::SetOffset(Integer Value)
{
  if (Value == FOffset)
    return;
  FOffset = Value;
  Changed();
}

void TControlLabelLocationEh::SetPosition(TLabelPositionEh Value)
{
  if (Value == FPosition)
    return;
  FPosition = Value;
  Changed();
}

void TControlLabelLocationEh::SetLabelSpacingBound(TSpacingBoundEh Value)
{
  if (Value == FLabelSpacingBound)
    return;
  FLabelSpacingBound = Value;
  Changed();
}

void TControlLabelLocationEh::CalcLabelPosForControl(Integer LabelWidth, Integer LabelHeight, TPoint& LabelPos) const
{
  const TControl* C = FEditControl;
  const Integer L = C->Left(), T = C->Top(), W = C->Width(), H = C->Height();
  const Integer S = FSpacing, O = FOffset;
  const bool AboveOrBelow = FPosition <= lpBelowRightEh;
  const Integer A = FLabelSpacingBound == sbNearBoundEh ? 0 : AboveOrBelow ? LabelHeight : LabelWidth;
  Integer Baseline = 0;
  if (FPosition == lpLeftTextBaselineEh || FPosition == lpRightTextBaselineEh)
    if (auto* Owner = dynamic_cast<IControlLabelOwnerEh*>(FEditControl))
      Baseline = Owner->GetControlTextBaseLine();

  const Integer Above = T - LabelHeight - S + A;
  const Integer Below = T + H + S + A;
  const Integer LeftOf = L - LabelWidth - S + A;
  const Integer RightOf = L + W + S + A;
  const Integer Centre = L + (W - LabelWidth) / 2 + O;
  const Integer RightEdge = L + W - LabelWidth + O;
  const Integer TopEdge = T + O;
  const Integer BaselineY = T + Baseline - LabelHeight + O;
  const Integer Middle = T + (H - LabelHeight) / 2 + O;
  const Integer BottomEdge = T + H - LabelHeight + O;
  switch (FPosition) {
  case lpAboveLeftEh: LabelPos = TPoint(L + O, Above); break;
  case lpAboveCenterEh: LabelPos = TPoint(Centre, Above); break;
  case lpAboveRightEh: LabelPos = TPoint(RightEdge, Above); break;
  case lpBelowLeftEh: LabelPos = TPoint(L + O, Below); break;
  case lpBelowCenterEh: LabelPos = TPoint(Centre, Below); break;
  case lpBelowRightEh: LabelPos = TPoint(RightEdge, Below); break;
  case lpLeftTopEh: LabelPos = TPoint(LeftOf, TopEdge); break;
  case lpLeftTextBaselineEh: LabelPos = TPoint(LeftOf, BaselineY); break;
  case lpLeftCenterEh: LabelPos = TPoint(LeftOf, Middle); break;
  case lpLeftBottomEh: LabelPos = TPoint(LeftOf, BottomEdge); break;
  case lpRightTopEh: LabelPos = TPoint(RightOf, TopEdge); break;
  case lpRightTextBaselineEh: LabelPos = TPoint(RightOf, BaselineY); break;
  case lpRightCenterEh: LabelPos = TPoint(RightOf, Middle); break;
  case lpRightBottomEh: LabelPos = TPoint(RightOf, BottomEdge); break;
  }
}

// ---------------------------------------------------------------------------
// TControlLabelEh.

TControlLabelEh::TControlLabelEh(TComponent* AOwner) : TLabel(AOwner)
{
  SetName(QStringLiteral("SubLabel"));
  SetSubComponent(true);
  SetFocusControl(dynamic_cast<TWinControl*>(AOwner));
  TControl::SetVisible(false);
  AdjustBounds();
  UpdateCaption();
}

IControlLabelOwnerEh* TControlLabelEh::LabelOwner() const
{
  return dynamic_cast<IControlLabelOwnerEh*>(FocusControl());
}

void TControlLabelEh::AdjustLabelBounds()
{
  if (IControlLabelOwnerEh* Owner = LabelOwner())
    Owner->AdjustLabelBounds();
}

void TControlLabelEh::CMTextChanged(TMessage& Message)
{
  inherited::CMTextChanged(Message);
  AdjustLabelBounds();
}

void TControlLabelEh::CMFontChanged(TMessage& Message)
{
  inherited::CMFontChanged(Message);
  AdjustLabelBounds();
}

void TControlLabelEh::Loaded()
{
  inherited::Loaded();
  UpdateParent();
  AdjustLabelBounds();
}

void TControlLabelEh::SetCaption(const String& Value)
{
  if (!Value.isEmpty()) {
    FCaptionStored = true;
    inherited::SetCaption(Value);
    Invalidate();
    return;
  }
  FCaptionStored = false;
  UpdateCaption();
}

void TControlLabelEh::UpdateCaption()
{
  if (FCaptionStored)
    return;
  if (IControlLabelOwnerEh* Owner = LabelOwner())
    inherited::SetCaption(Owner->GetControlLabelCaption());
}

void TControlLabelEh::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  UpdateParent();
  UpdateVisibility();
  Invalidate();
}

void TControlLabelEh::UpdateVisibility()
{
  TControlStyle Style = ControlStyle();
  if (FVisible)
    Style.Exclude(csNoDesignVisible);
  else
    Style.Include(csNoDesignVisible);
  SetControlStyle(Style);
  const TWinControl* Control = FocusControl();
  const bool Show = FVisible && Control && Control->Visible();
  if (Show == TControl::Visible())
    Perform(CM_VISIBLECHANGED, WPARAM(Show));
  else
    TControl::SetVisible(Show);
}

void TControlLabelEh::UpdateParent()
{
  TWinControl* Control = FocusControl();
  const bool Loading = ComponentState().Contains(csLoading) ||
                       (Control && Control->ComponentState().Contains(csLoading));
  if (FVisible && Control && !Loading)
    SetParent(Control->Parent());
  else
    SetParent(nullptr);
}

// ---------------------------------------------------------------------------
// Registration.

void RegisterDBCtrlsEhBoxClasses()
{
  RegisterEnum<TLabelPositionEh>(
    "TLabelPositionEh",
    {"lpAboveLeftEh", "lpAboveCenterEh", "lpAboveRightEh", "lpBelowLeftEh", "lpBelowCenterEh", "lpBelowRightEh",
     "lpLeftTopEh", "lpLeftTextBaselineEh", "lpLeftCenterEh", "lpLeftBottomEh", "lpRightTopEh",
     "lpRightTextBaselineEh", "lpRightCenterEh", "lpRightBottomEh"});
  RegisterEnum<TSpacingBoundEh>("TSpacingBoundEh", {"sbNearBoundEh", "sbFarBoundEh"});
  RegisterClassInfo<TEditButtonsBoxEh, TWinControl>("TEditButtonsBoxEh");
  RegisterClassInfo<TControlLabelLocationEh, TPersistent>("TControlLabelLocationEh")
    .Property("Spacing", &TControlLabelLocationEh::Spacing, &TControlLabelLocationEh::SetSpacing, 3)
    .Property("Offset", &TControlLabelLocationEh::Offset, &TControlLabelLocationEh::SetOffset, 0)
    .Property("Position", &TControlLabelLocationEh::Position, &TControlLabelLocationEh::SetPosition, lpAboveLeftEh)
    .Property("LabelSpacingBound", &TControlLabelLocationEh::LabelSpacingBound,
              &TControlLabelLocationEh::SetLabelSpacingBound, sbNearBoundEh);
  RegisterClassInfo<TControlLabelEh, TLabel>("TControlLabelEh")
    .Property("Caption", &TControlLabelEh::Caption, &TControlLabelEh::SetCaption)
    .Stored(&TControlLabelEh::CaptionStored)
    .Property("Height", &TControlLabelEh::Height, &TControlLabelEh::SetHeight)
    .Stored(&TControlLabelEh::SizeStored)
    .Property("Width", &TControlLabelEh::Width, &TControlLabelEh::SetWidth)
    .Stored(&TControlLabelEh::SizeStored)
    .Property("Left", &TControlLabelEh::Left)
    .Stored(false)
    .Property("Top", &TControlLabelEh::Top)
    .Stored(false)
    .Property("Visible", &TControlLabelEh::Visible, &TControlLabelEh::SetVisible, false);
}
