// DropDownFormEh.cpp: drop-down forms.
#include "gridlib/editors/DropDownFormEh.h"

#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/TypInfo.h"

// ---------------------------------------------------------------------------
// Placement

TDropLayoutEh PlaceDropDownEh(const TRect& R, const TRect& W, TAlignment Align, TRect& Bounds)
{
  Integer Width = Bounds.Width();
  Integer Height = Bounds.Height();
  TDropLayoutEh Layout = dlUnderControlEh;
  Integer Left = R.Left;
  Integer Top = R.Bottom + 1;
  if (Align == taRightJustify)
    Left -= Width - (R.Right - R.Left);
  else if (Align == taCenter)
    Left -= (Width - (R.Right - R.Left)) / 2;
  if (W.Right - W.Left < Width)
    Width = W.Right - W.Left;
  if (Left + Width > W.Right)
    Left = W.Right - Width;
  if (Left < W.Left)
    Left = W.Left;
  if (Top + Height > W.Bottom && W.Bottom - R.Bottom < R.Top - W.Top) {
    Layout = dlAboveControlEh;
    Top = R.Top - Height;
  }
  if (Top < W.Top) {
    Height -= W.Top - Top;
    Top = W.Top;
  }
  if (Top + Height > W.Bottom)
    Height = W.Bottom - Top;
  Bounds = Rect(Left, Top, Left + Width, Top + Height);
  return Layout;
}

// ---------------------------------------------------------------------------
// TDDFCloseButtonEh

TDDFCloseButtonEh::TDDFCloseButtonEh(TComponent* AOwner) : TWinControl(AOwner)
{
  if (StyleThemesEnabledEh())
    SetBounds(0, 0, 17, 16);
  else
    SetBounds(0, 0, GetSystemMetrics(SM_CYSMICON), GetSystemMetrics(SM_CYSMICON));
  FButtonControl = new TSpeedButtonEh(this);
  FButtonControl->SetParent(this);
  FButtonControl->SetAlign(alClient);
  FButtonControl->OnPaint = [this](TObject* Sender) { ButtonPaint(Sender); };
  FButtonControl->OnClick = [this](TObject* Sender) { ButtonClick(Sender); };
}

void TDDFCloseButtonEh::ButtonPaint(TObject*)
{
  TCanvas* C = FButtonControl->Canvas();
  const TRect R = FButtonControl->ClientRect();
  const Integer Side = std::min({GetSystemMetrics(SM_CYSMICON), R.Width(), R.Height()});
  TRect Box = Bounds(R.Left + (R.Width() - Side) / 2, R.Top + (R.Height() - Side) / 2, Side, Side);
  UINT State = DFCS_CAPTIONCLOSE | DFCS_FLAT;
  if (FButtonControl->State() == bsDown)
    State |= DFCS_CHECKED;
  else if (FButtonControl->MouseInControl())
    State |= DFCS_HOT;
  DrawFrameControl(C->Handle(), Box, DFC_CAPTION, State);
}

void TDDFCloseButtonEh::ButtonClick(TObject*)
{
  if (auto* Form = dynamic_cast<IDropDownFormEh*>(GetParentForm(this)))
    Form->Close();
  else if (TCustomForm* F = GetParentForm(this))
    F->Close();
}

// ---------------------------------------------------------------------------
// TDDFSizingBarEh

TDDFSizingBarEh::TDDFSizingBarEh(TComponent* AOwner) : TCustomPanel(AOwner)
{
  TControlStyle Style = ControlStyle();
  Style << csCaptureMouse;
  SetControlStyle(Style);
  SetBevelOuter(bvNone);
  SetShowCaption(false);
}

void TDDFSizingBarEh::Resize()
{
  inherited::Resize();
  FSizingArea = 2 * Height() >= 20 ? 10 : Height() / 2;
}

// The bevel line along the edge that faces the form's content.
void TDDFSizingBarEh::Paint()
{
  inherited::Paint();
  TCanvas* C = Canvas();
  const Integer Y = AtTop() ? Height() - 2 : 0;
  C->Pen()->SetColor(clBtnShadow);
  C->MoveTo(0, Y);
  C->LineTo(Width(), Y);
  C->Pen()->SetColor(clBtnHighlight);
  C->MoveTo(0, Y + 1);
  C->LineTo(Width(), Y + 1);
}

bool TDDFSizingBarEh::InSizingArea(Integer Y) const
{
  return AtTop() ? Y < FSizingArea : Y > Height() - FSizingArea;
}

void TDDFSizingBarEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseDown(Button, Shift, X, Y);
  FMouseDownPos = InSizingArea(Y) ? TPoint(X, Y) : TPoint(-1, -1);
}

void TDDFSizingBarEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseMove(Shift, X, Y);
  SetCursor(InSizingArea(Y) || FMouseDownPos.Y >= 0 ? crSizeNS : crDefault);
  if (!Shift.Contains(ssLeft) || !MouseCapture() || FMouseDownPos.Y < 0 || !FHostControl)
    return;
  if (!AtTop()) {
    FHostControl->SetHeight(FHostControl->Height() + (Y - FMouseDownPos.Y));
  } else {
    const Integer D = FMouseDownPos.Y - Y;
    FHostControl->SetBounds(FHostControl->Left(), FHostControl->Top() - D, FHostControl->Width(),
                            FHostControl->Height() + D);
  }
}

void TDDFSizingBarEh::WndProc(TMessage& Message)
{
  if (Message.Msg == WM_LBUTTONUP)
    FMouseDownPos = TPoint(-1, -1);
  inherited::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TCustomDropDownFormEh

TCustomDropDownFormEh::TCustomDropDownFormEh(TComponent* AOwner) : TForm(AOwner) { InitializeNewForm(); }

TCustomDropDownFormEh::TCustomDropDownFormEh(TComponent* AOwner, Integer Dummy) : TForm(AOwner, Dummy)
{
  InitializeNewForm();
}

void TCustomDropDownFormEh::InitializeNewForm()
{
  FCloseButton = new TDDFCloseButtonEh(this);
  FCloseButton->SetVisible(false);
  FCloseButton->SetParent(this);
  FCloseButton->SetAnchors(TAnchors{akTop, akRight});
  FSizingBar = new TDDFSizingBarEh(this);
  FSizingBar->SetVisible(false);
  FSizingBar->SetParent(this);
  FSizingBar->SetHostControl(this);
  for (TSizeGripEh** Grip : {&FSizeGrip, &FSizeGrip2}) {
    *Grip = new TSizeGripEh(this);
    (*Grip)->SetHostControl(this);
    (*Grip)->SetTriangleWindow(true);
    (*Grip)->SetVisible(false);
  }
  FSizeGrip2->SetPosition(sgpBottomLeft);
  SetBorderIcons(TBorderIcons{});
  SetBorderStyle(bsNone);
  SetPosition(poDesigned);
  SetFormStyle(fsStayOnTop);
}

TCustomDropDownFormEh::~TCustomDropDownFormEh()
{
  EndPopupActivation(this);
  // The grips live in the form's window without being its controls.
  delete FSizeGrip;
  delete FSizeGrip2;
  FSizeGrip = FSizeGrip2 = nullptr;
}

void TCustomDropDownFormEh::AfterConstruction()
{
  inherited::AfterConstruction();
  FDropDownMode = true;
  SetBorderStyle(bsNone);
  SetPosition(poDesigned);
}

void TCustomDropDownFormEh::SetBorderWidth(Integer Value)
{
  if (Value == FBorderWidth)
    return;
  FBorderWidth = Value;
  Realign();
  Invalidate();
}

void TCustomDropDownFormEh::SetDropDownMode(bool Value)
{
  if (Value == FDropDownMode)
    return;
  FDropDownMode = Value;
  // The window of a drop-down differs from a normal one (it never takes the
  // activation).
  if (HandleAllocated())
    RecreateWnd();
}

void TCustomDropDownFormEh::SetFormElements(TDropDownFormElementsEh Value)
{
  if (Value == FFormElements)
    return;
  FFormElements = Value;
  UpdateGrips();
}

TRect TCustomDropDownFormEh::ControlClientRect() const
{
  TRect R = ClientRect();
  const_cast<TCustomDropDownFormEh*>(this)->AdjustClientRect(R);
  return R;
}

void TCustomDropDownFormEh::CreateParams(TCreateParams& Params)
{
  inherited::CreateParams(Params);
  if (FDropDownMode) {
    Params.WindowClass.style |= CS_DROPSHADOW;
    Params.ExStyle |= WS_EX_NOACTIVATE | WS_EX_TOPMOST;
  }
}

void TCustomDropDownFormEh::CreateHandle()
{
  inherited::CreateHandle();
  if (!ComponentState().Contains(csDesigning))
    UpdateGrips();
}

void TCustomDropDownFormEh::Loaded()
{
  inherited::Loaded();
  if (!ComponentState().Contains(csDesigning) && HandleAllocated())
    UpdateGrips();
}

void TCustomDropDownFormEh::UpdateGrips()
{
  if (!FSizeGrip || !HandleAllocated())
    return;
  const std::pair<TSizeGripEh*, TDropDownFormElementEh> Grips[] = {{FSizeGrip, ddfeRightGripEh},
                                                                   {FSizeGrip2, ddfeLeftGripEh}};
  for (const auto& [Grip, Element] : Grips) {
    Grip->HandleNeeded();
    Grip->UpdatePosition();
    Grip->SetVisible(FFormElements.Contains(Element));
    if (Grip->Visible())
      Grip->BringToFront();
  }
}

void TCustomDropDownFormEh::SetGripPositions(bool Above)
{
  FSizeGrip->SetPosition(Above ? sgpTopRight : sgpBottomRight);
  FSizeGrip2->SetPosition(Above ? sgpTopLeft : sgpBottomLeft);
}

void TCustomDropDownFormEh::AdjustClientRect(TRect& Rect)
{
  inherited::AdjustClientRect(Rect);
  Rect.Inflate(-FBorderWidth, -FBorderWidth);
  Rect.Top += FBorderWidth;
}

void TCustomDropDownFormEh::PaintWindow(HDC DC)
{
  inherited::PaintWindow(DC);
  TExternalCanvas C(DC);
  DrawBorder(&C);
}

void TCustomDropDownFormEh::DrawBorder(TCanvas* Canvas)
{
  // Three frames from the outer edge inwards, as many as the border holds:
  // the themed frame of the original has no counterpart here.
  TRect R = ClientRect();
  const TColor Colors[] = {cl3DDkShadow, cl3DLight, cl3DLight};
  for (Integer I = 0; I < 3 && I < FBorderWidth; ++I) {
    Canvas->Brush()->SetColor(Colors[I]);
    Canvas->FrameRect(R);
    R.Inflate(-1, -1);
  }
}

void TCustomDropDownFormEh::Resize()
{
  inherited::Resize();
  if (FDropDownMode)
    Invalidate();
  for (TSizeGripEh* Grip : {FSizeGrip, FSizeGrip2})
    if (Grip && Grip->Visible()) {
      Grip->UpdatePosition();
      Grip->BringToFront();
    }
}

TDropLayoutEh TCustomDropDownFormEh::PlaceAt(const TRect& R, TAlignment Align)
{
  const TMonitor* M = Screen->MonitorFromRect(R, mdNearest);
  TRect B = Bounds(0, 0, Width(), Height());
  const TDropLayoutEh Layout = PlaceDropDownEh(R, M->WorkareaRect(), Align, B);
  SetBounds(B.Left, B.Top, B.Width(), B.Height());
  return Layout;
}

bool TCustomDropDownFormEh::Execute(TControl* RelativePosControl, TControl*, TDynVarsEh* DynParams,
                                    TAlignment Align)
{
  FModalMode = true;
  FDynParams = DynParams;
  if (Visible())
    Hide();
  TRect R;
  GetControlScreenRectEh(RelativePosControl, R);
  FDropLayout = PlaceAt(R, Align);
  SetGripPositions(ClientOrigin().Y < RelativePosControl->ClientOrigin().Y);
  InitForm(nullptr, DynParams);
  SetModalResult(mrNone);
  SetVisible(true);
  {
    ScopeExit Done([this] {
      if (IsLiveControl(this))
        Hide();
    });
    while (PopupActivated(this) && ModalResult() == mrNone && !Application->Terminated())
      Application->HandleMessage();
  }
  if (ModalResult() != mrOk)
    return false;
  ReturnParams(nullptr, DynParams);
  return true;
}

void TCustomDropDownFormEh::ExecuteNomodal(TRect RelativePosRect, TControl*, TDropDownFormCallbackProcEh CallbackProc,
                                           TDropDownFormSysParams* SysParams, TDynVarsEh* DynParams,
                                           TAlignment Align)
{
  // Still open for an earlier call: that caller hears its end first.
  if (Visible() && FCallbackProc)
    Close();
  SetBorderStyle(bsNone);
  SetDropDownMode(true);
  FModalMode = false;
  FDynParams = DynParams;
  FSysParams = SysParams;
  FMasterForm = Screen->ActiveForm();
  FMasterFocusControl = Screen->ActiveControl();
  if (Visible())
    Hide();
  UpdateSize();
  FDropLayout = PlaceAt(RelativePosRect, Align);
  SetGripPositions(FDropLayout == dlAboveControlEh);
  InitElements();
  InitForm(nullptr, DynParams);
  SetModalResult(mrNone);
  // Kept before the form shows, so that a close while showing still
  // reaches the caller.
  FCallbackProc = std::move(CallbackProc);
  FActivateShowing = true;
  try {
    SetVisible(true);
  } catch (...) {
    FActivateShowing = false;
    // The caller keeps its parameters: the form never opened for it.
    FCallbackProc = nullptr;
    FSysParams = nullptr;
    FDynParams = nullptr;
    throw;
  }
  FActivateShowing = false;
}

void TCustomDropDownFormEh::InitElements()
{
  const bool Above = FDropLayout == dlAboveControlEh;
  const bool Bar = FFormElements.Contains(ddfeSizingBarEh);
  FSizingBar->SetVisible(false);
  if (Bar) {
    FSizingBar->BringToFront();
    if (Above) {
      FSizingBar->SetTop(-1);
      FSizingBar->SetAlign(alTop);
    } else {
      FSizingBar->SetTop(Height() + 1);
      FSizingBar->SetAlign(alBottom);
    }
    FSizingBar->SetHeight(GetSystemMetrics(SM_CYVTHUMB) + 3);
    FSizingBar->SetVisible(true);
  }
  if (FFormElements.Contains(ddfeCloseButtonEh)) {
    const Integer W = FCloseButton->Width();
    FCloseButton->BringToFront();
    FCloseButton->SetBounds(ClientWidth() - W - 3, 2, W, FCloseButton->Height());
    FCloseButton->SetVisible(true);
    if (!Above && Bar) {
      FCloseButton->SetLeft(FFormElements.Contains(ddfeLeftGripEh) ? 17 : 2);
      FCloseButton->SetTop(ClientHeight() - FCloseButton->Height() - 1);
      FCloseButton->SetAnchors(TAnchors{akLeft, akBottom});
    } else if (!Above) {
      FCloseButton->SetLeft(ClientWidth() - W - 3);
      FCloseButton->SetAnchors(TAnchors{akTop, akRight});
    } else {
      FCloseButton->SetLeft(ClientWidth() - W - 17);
      FCloseButton->SetTop(1);
      FCloseButton->SetAnchors(TAnchors{akTop, akRight});
    }
  } else {
    FCloseButton->SetVisible(false);
  }
  FSizeGrip->SetVisible(FFormElements.Contains(ddfeRightGripEh));
  FSizeGrip2->SetVisible(FFormElements.Contains(ddfeLeftGripEh));
}

void TCustomDropDownFormEh::InitForm(TComponent*, TDynVarsEh* DynParams)
{
  if (OnInitForm)
    OnInitForm(this, DynParams);
}

void TCustomDropDownFormEh::ReturnParams(TComponent*, TDynVarsEh* DynParams)
{
  if (OnReturnParams)
    OnReturnParams(this, DynParams);
}

TCustomDropDownFormEh* TCustomDropDownFormEh::GetGlobalRef()
{
  return dynamic_cast<TCustomDropDownFormEh*>(DropDownFormGlobalRefEh(ClassType()));
}

void TCustomDropDownFormEh::Show()
{
  SetDropDownMode(false);
  inherited::Show();
}

TModalResult TCustomDropDownFormEh::ShowModal()
{
  SetDropDownMode(false);
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
  InitForm(nullptr, FDynParams);
  const TModalResult Result = inherited::ShowModal();
  if (Result == mrOk)
    ReturnParams(nullptr, FDynParams);
  return Result;
}

void TCustomDropDownFormEh::Close()
{
  if (FClosing)
    return;
  FClosing = true;
  ScopeExit Done([this] {
    if (FMasterFocusControl && !FActivateClosing && IsLiveControl(FMasterFocusControl) &&
        FMasterFocusControl->CanFocus())
      FMasterFocusControl->SetFocus();
    FClosing = false;
  });
  inherited::Close();
}

void TCustomDropDownFormEh::DoClose(TCloseAction& Action)
{
  if (!ComponentState().Contains(csDesigning)) {
    if (FSysParams && FSysParams->FreeFormOnClose)
      Action = caFree;
    if (!FModalMode && FCallbackProc) {
      const bool Accept = ModalResult() == mrOk;
      if (Accept)
        ReturnParams(nullptr, FDynParams);
      const TDropDownFormCallbackProcEh Proc = std::move(FCallbackProc);
      FCallbackProc = nullptr;
      TDynVarsEh* DynParams = FDynParams;
      TDropDownFormSysParams* SysParams = FSysParams;
      FSysParams = nullptr;
      FDynParams = nullptr;
      Proc(this, Accept, DynParams, SysParams);
    }
  }
  inherited::DoClose(Action);
}

void TCustomDropDownFormEh::WMClose(TMessage&) { Close(); }

void TCustomDropDownFormEh::WMActivate(TMessage& Message)
{
  inherited::WMActivate(Message);
  if (Message.WParam != WA_INACTIVE || !FDropDownMode || ComponentState().Contains(csDesigning) || FModalMode ||
      FActivateClosing || FActivateShowing)
    return;
  if (FKeepFormVisible) {
    // Held open while an error box had the activation: the form counts as
    // active again, so that the user's next click elsewhere ends it.
    if (Visible())
      BeginPopupActivation(this);
    return;
  }
  FActivateClosing = true;
  ScopeExit Done([this] { FActivateClosing = false; });
  Close();
}

// A drop-down counts as active without taking the activation: a click in it
// leaves the window that opened it active.
void TCustomDropDownFormEh::WndProc(TMessage& Message)
{
  if (Message.Msg == WM_MOUSEACTIVATE && FDropDownMode) {
    Message.Result = MA_NOACTIVATE;
    return;
  }
  inherited::WndProc(Message);
}

void TCustomDropDownFormEh::CMVisibleChanged(TMessage& Message)
{
  inherited::CMVisibleChanged(Message);
  if (Visible() && FDropDownMode)
    BeginPopupActivation(this);
  else
    EndPopupActivation(this);
  // The grips' windows show with the form's.
  if (Visible() && FDropDownMode)
    UpdateGrips();
}

// ---------------------------------------------------------------------------

void RegisterDropDownFormEhClasses()
{
  RegisterClassInfo<TDDFCloseButtonEh, TWinControl>("TDDFCloseButtonEh");
  RegisterClassInfo<TDDFSizingBarEh, TCustomPanel>("TDDFSizingBarEh");
  RegisterClassInfo<TCustomDropDownFormEh, TForm>("TCustomDropDownFormEh")
    .Property("DropDownMode", &TCustomDropDownFormEh::DropDownMode, &TCustomDropDownFormEh::SetDropDownMode, true);
  RegisterClass(TCustomDropDownFormEh::StaticClass());
}
