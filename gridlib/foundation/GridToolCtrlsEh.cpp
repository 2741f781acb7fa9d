// GridToolCtrlsEh.cpp: scroll-bar panels, size grip, drag box and move marker.
#include "gridlib/foundation/GridToolCtrlsEh.h"

#include "gridlib/foundation/GridsEh.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/ScopeExit.h"

// ---------------------------------------------------------------------------
// TControlScrollBarEh

void TControlScrollBarEh::WndProc(TMessage& Message)
{
  auto* Panel = dynamic_cast<TGridScrollBarPanelControlEh*>(Parent());
  switch (Message.Msg) {
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
    if (Panel && !Panel->ScrollBarMouseDown(this))
      return;
    break;
  case WM_CANCELMODE:
    if (Panel && Panel->IgnoreCancelMode())
      return;
    break;
  case WM_MOUSEACTIVATE:
    Message.Result = MA_NOACTIVATE;
    return;
  case CM_DESIGNHITTEST:
    Message.Result = 1;
    return;
  default:
    break;
  }
  inherited::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TGridScrollBarPanelControlEh

TGridScrollBarPanelControlEh::TGridScrollBarPanelControlEh(TComponent* AOwner, TScrollBarKind AKind)
    : TCustomPanel(AOwner), FKind(AKind)
{
  SetControlStyle(ControlStyle() - TControlStyle{csAcceptsControls, csSetCaption});
  SetBevelInner(bvNone);
  SetBevelOuter(bvNone);
  SetShowCaption(false);
  SetParentBackground(false);
  auto* Bar = new TControlScrollBarEh(this);
  Bar->SetKind(AKind);
  Bar->SetCtl3D(false);
  Bar->SetTabStop(false);
  Bar->SetDoubleBuffered(false);
  Bar->SetParent(this);
  Bar->OnScroll = [this](TObject* Sender, TScrollCode Code, Integer& Pos) { ScrollBarScroll(Sender, Code, Pos); };
  FScrollBar = Bar;
}

TCustomGridEh* TGridScrollBarPanelControlEh::Grid() const
{
  return dynamic_cast<TCustomGridEh*>(Owner());
}

void TGridScrollBarPanelControlEh::ScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos)
{
  if (OnScroll)
    OnScroll(Sender, ScrollCode, ScrollPos);
  TCustomGridEh* G = Grid();
  if (!G)
    return;
  if (FKind == sbHorizontal && IsRightToLeft())
    ScrollPos = FScrollBar->Max() - ScrollPos;
  G->ScrollByCode(FKind, ScrollCode, true, ScrollPos);
  // The bar shows where the grid went, not where the thumb was dragged.
  ScrollPos = FScrollBar->Position();
}

bool TGridScrollBarPanelControlEh::ScrollBarMouseDown(TScrollBar*)
{
  TCustomGridEh* G = Grid();
  return G ? G->ScrollBarMouseDown() : true;
}

void TGridScrollBarPanelControlEh::SetParams(Integer APosition, Integer AMin, Integer APageSize, Integer AMax)
{
  FScrollBar->SetEnabled(true);
  if (AMax < FScrollBar->PageSize())
    FScrollBar->SetPageSize(0);
  if (AMax < AMin)
    AMax = AMin;
  FScrollBar->SetParams(APosition, AMin, AMax);
  FScrollBar->SetPageSize(APageSize);
  if (AMin >= AMax || AMax - AMin < APageSize) {
    // Disabling sends a cancel-mode message that must not end the grid's
    // mouse operation.
    FIgnoreCancelMode = true;
    ScopeExit Restore([this] { FIgnoreCancelMode = false; });
    FScrollBar->SetEnabled(false);
  }
}

void TGridScrollBarPanelControlEh::Resize()
{
  inherited::Resize();
  TCustomGridEh* G = Grid();
  if (FKind == sbHorizontal) {
    const Integer H = G ? G->HorzScrollBar()->ActualScrollBarBoxSize() : GetSystemMetrics(SM_CYHSCROLL);
    FScrollBar->SetBounds(0, Height() - H, Width(), H);
  } else {
    const Integer W = G ? G->VertScrollBar()->ActualScrollBarBoxSize() : GetSystemMetrics(SM_CXVSCROLL);
    FScrollBar->SetBounds(Width() - W, 0, W, Height());
  }
}

Integer TGridScrollBarPanelControlEh::MaxSizeForExtraPanel()
{
  return Width() - 2 * GetSystemMetrics(SM_CYHSCROLL);
}

void TGridScrollBarPanelControlEh::SetKeepMaxSizeInDefault(bool Value)
{
  if (Value == FKeepMaxSizeInDefault)
    return;
  FKeepMaxSizeInDefault = Value;
  Realign();
}

void TGridScrollBarPanelControlEh::InvalidatePanel()
{
  Invalidate();
  for (Integer I = 0; I < ControlCount(); ++I)
    Controls(I)->Invalidate();
}

void TGridScrollBarPanelControlEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  inherited::SetBounds(ALeft, ATop, std::max(AWidth, 0), std::max(AHeight, 0));
}

// ---------------------------------------------------------------------------
// TSizeGripPanelEh

TSizeGripPanelEh::TSizeGripPanelEh(TComponent* AOwner) : TCustomPanel(AOwner)
{
  SetControlStyle(ControlStyle() - TControlStyle{csAcceptsControls, csSetCaption});
  SetBevelOuter(bvNone);
  SetShowCaption(false);
  SetParentBackground(false);
}

void TSizeGripPanelEh::SetTriangleWindow(bool Value)
{
  if (Value == FTriangleWindow)
    return;
  FTriangleWindow = Value;
  UpdateWindowRegion();
  UpdateCursor();
}

void TSizeGripPanelEh::SetGripActiveStatus(TGripActiveStatusEh Value)
{
  if (Value == FGripActiveStatus)
    return;
  FGripActiveStatus = Value;
  UpdateCursor();
  Invalidate();
}

void TSizeGripPanelEh::SetPosition(TSizeGripPosition Value)
{
  if (Value == FPosition)
    return;
  FPosition = Value;
  UpdateWindowRegion();
  UpdateCursor();
  Invalidate();
}

// A move changes whether the grip sits in its window's corner.
void TSizeGripPanelEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  inherited::SetBounds(ALeft, ATop, std::max(AWidth, 0), std::max(AHeight, 0));
  UpdateCursor();
}

TWinControl* TSizeGripPanelEh::WindowToSize()
{
  for (TWinControl* C = Parent(); C; C = C->Parent()) {
    auto* Form = dynamic_cast<TCustomForm*>(C);
    if (!Form || (C->Parent() && Form->FormStyle() != fsMDIChild))
      continue;
    if (Form->WindowState() != wsNormal)
      return nullptr;
    return Form;
  }
  return nullptr;
}

static bool HasSizingBorder(TWinControl* Window)
{
  auto* Form = dynamic_cast<TCustomForm*>(Window);
  return Form && (Form->BorderStyle() == bsSizeable || Form->BorderStyle() == bsSizeToolWin);
}

bool TSizeGripPanelEh::IsGripActive()
{
  if (FGripActiveStatus == gasNeverEh)
    return false;
  if (FGripActiveStatus == gasAlwaysEh)
    return true;
  TWinControl* Window = WindowToSize();
  if (!Window || !HasSizingBorder(Window) || !Parent())
    return false;
  const bool RightToLeft = IsRightToLeft();
  const TPoint GripCorner = ClientToScreen(TPoint(RightToLeft ? 0 : Width(), Height()));
  const TPoint WinCorner = Window->ClientToScreen(
      TPoint(RightToLeft ? 0 : Window->ClientWidth(), Window->ClientHeight()));
  return std::abs(GripCorner.X - WinCorner.X) < 4 && std::abs(GripCorner.Y - WinCorner.Y) < 4;
}

std::vector<TPoint> TSizeGripPanelEh::WindowRegionPoints() const
{
  if (!FTriangleWindow)
    return {};
  return SizeGripTrianglePointsEh(FPosition, Width(), Height());
}

// The platform has no shaped child windows: the shape is kept for painting
// (the part outside the triangle shows the parent's colour).
void TSizeGripPanelEh::UpdateWindowRegion()
{
  if (!HandleAllocated())
    return;
  SetWindowPolygonEh(this, WindowRegionPoints());
  Invalidate();
}

void TSizeGripPanelEh::CreateHandle()
{
  inherited::CreateHandle();
  UpdateWindowRegion();
  UpdateCursor();
}

void TSizeGripPanelEh::UpdateCursor()
{
  if (!IsGripActive()) {
    SetCursor(crDefault);
    return;
  }
  const bool NWSE = FPosition == sgpTopLeft || FPosition == sgpBottomRight;
  SetCursor(NWSE ? crSizeNWSE : crSizeNESW);
}

void TSizeGripPanelEh::Resize()
{
  inherited::Resize();
  // The triangle is cut for the grip's size; a new size needs a new one.
  if (FTriangleWindow)
    UpdateWindowRegion();
  UpdateCursor();
}

void TSizeGripPanelEh::WndProc(TMessage& Message)
{
  if (Message.Msg == WM_ERASEBKGND) {
    Message.Result = 1;
    return;
  }
  inherited::WndProc(Message);
  if (Message.Msg == WM_WINDOWPOSCHANGED || Message.Msg == WM_SIZE)
    UpdateCursor();
}

void TSizeGripPanelEh::Paint()
{
  TCanvas* C = Canvas();
  const std::vector<TPoint> Shape = WindowRegionPoints();
  if (Shape.empty()) {
    C->Brush()->SetColor(ColorToRGB(clBtnFace));
    C->FillRect(ClientRect());
  } else {
    TColor Outside = Parent() ? Parent()->Color() : clWindow;
    C->Brush()->SetColor(ColorToRGB(Outside));
    C->FillRect(ClientRect());
    C->Brush()->SetColor(ColorToRGB(clBtnFace));
    C->Pen()->SetColor(ColorToRGB(clBtnFace));
    C->Polygon(Shape);
  }
  if (!IsGripActive())
    return;
  // Three diagonal ridges pointing into the grip's corner.
  const Integer W = Width(), H = Height();
  const bool Right = FPosition == sgpTopRight || FPosition == sgpBottomRight;
  const bool Bottom = FPosition == sgpBottomLeft || FPosition == sgpBottomRight;
  auto Line = [&](Integer Step, TColor Color) {
    if (std::min(W, H) - Step <= 0)
      return;
    C->Pen()->SetColor(ColorToRGB(Color));
    const Integer X0 = Right ? W - 1 : 0;
    const Integer Y0 = Bottom ? H - 1 - Step : Step;
    const Integer X1 = Right ? W - 1 - (H - Step) : H - Step;
    const Integer Y1 = Bottom ? H : 0;
    C->MoveTo(X0, Y0);
    C->LineTo(X1, Y1);
  };
  for (Integer Step = 3; Step < std::min(W, H); Step += 4) {
    Line(Step, clBtnHighlight);
    Line(Step + 1, clBtnShadow);
    Line(Step + 2, clBtnShadow);
  }
}

void TSizeGripPanelEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseDown(Button, Shift, X, Y);
  TWinControl* Window = WindowToSize();
  if (!MouseCapture() || !IsGripActive() || !Window)
    return;
  FInitFormSize = TPoint(Window->Width(), Window->Height());
  FInitFormPos = TPoint(Window->Left(), Window->Top());
  FMouseMousePos = ClientToScreen(TPoint(X, Y));
}

void TSizeGripPanelEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseMove(Shift, X, Y);
  if (!MouseCapture() || FMouseMousePos == TPoint(-1, -1))
    return;
  const TPoint P = ClientToScreen(TPoint(X, Y));
  if (P == FMouseMousePos)
    return;
  TWinControl* Window = WindowToSize();
  if (!Window)
    return;
  const Integer DX = P.X - FMouseMousePos.X;
  const Integer DY = P.Y - FMouseMousePos.Y;
  Integer L = FInitFormPos.X, T = FInitFormPos.Y, W = FInitFormSize.X, H = FInitFormSize.Y;
  switch (FPosition) {
  case sgpBottomRight: W += DX; H += DY; break;
  case sgpBottomLeft: W -= DX; H += DY; L = FInitFormPos.X + FInitFormSize.X - W; break;
  case sgpTopRight: W += DX; H -= DY; T = FInitFormPos.Y + FInitFormSize.Y - H; break;
  case sgpTopLeft:
    W -= DX;
    H -= DY;
    L = FInitFormPos.X + FInitFormSize.X - W;
    T = FInitFormPos.Y + FInitFormSize.Y - H;
    break;
  }
  Window->SetBounds(L, T, W, H);
  Window->Update();
}

void TSizeGripPanelEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseUp(Button, Shift, X, Y);
  FMouseMousePos = TPoint(-1, -1);
}

// ---------------------------------------------------------------------------
// TGridDragWinEh and TGridDragBoxEh

TGridDragWinEh::TGridDragWinEh(TComponent* AOwner) : TCustomControl(AOwner)
{
  SetColor(cl3DDkShadow);
  SetVisible(false);
}

// A top-level tool window that never activates, layered from the start.
void TGridDragWinEh::CreateParams(TCreateParams& Params)
{
  inherited::CreateParams(Params);
  Params.Style = WS_POPUP;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_LAYERED;
}

void TGridDragWinEh::CreateHandle()
{
  inherited::CreateHandle();
  if (!ComponentState().Contains(csDesigning))
    UpdateLayeredWnd();
}

void TGridDragWinEh::UpdateLayeredWnd()
{
  const LongInt ExStyle = GetWindowLong(this, GWL_EXSTYLE);
  if (!Layered()) {
    SetWindowLong(this, GWL_EXSTYLE, ExStyle & ~LongInt(WS_EX_LAYERED));
    Invalidate();
    return;
  }
  if (!(ExStyle & LongInt(WS_EX_LAYERED)))
    SetWindowLong(this, GWL_EXSTYLE, ExStyle | LongInt(WS_EX_LAYERED));
  DWORD Flags = 0;
  if (FAlphaBlendValue != 255)
    Flags |= LWA_ALPHA;
  if (FTransparentColorValue != clNone)
    Flags |= LWA_COLORKEY;
  const COLORREF Key = FTransparentColorValue == clNone ? 0 : COLORREF(ColorToRGB(FTransparentColorValue));
  SetLayeredWindowAttributes(this, Key, FAlphaBlendValue, Flags);
}

void TGridDragWinEh::MoveToFor(TPoint NewPos)
{
  SetBounds(NewPos.X, NewPos.Y, Width(), Height());
}

void TGridDragWinEh::MoveToFor(TPoint NewPos, Integer NewWidth, Integer NewHeight)
{
  SetBounds(NewPos.X, NewPos.Y, NewWidth, NewHeight);
}

void TGridDragWinEh::StartShow(TPoint Pos, Integer AWidth, Integer AHeight)
{
  SetBounds(Pos.X, Pos.Y, AWidth, AHeight);
  TControl::SetVisible(true);
  SetWindowPos(this, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TGridDragWinEh::StartShow(TPoint Pos, Integer AHeight)
{
  StartShow(Pos, Width(), AHeight);
}

void TGridDragWinEh::Show()
{
  throw Exception(QStringLiteral("Show is not supported. Use StartShow"));
}

void TGridDragWinEh::TemporaryHide()
{
  SetBounds(Left(), Top(), 0, 0);
}

void TGridDragBoxEh::Paint()
{
  Canvas()->Brush()->SetColor(RGBEh(128, 128, 128));
  Canvas()->FillRect(ClientRect());
}

// ---------------------------------------------------------------------------
// TGridDragFormEh and TGridMoveLineEh

void TGridDragFormEh::SetAlphaBlendValue(Byte Value)
{
  FAlphaBlendValue = Value;
  if (Value != 255)
    FAlphaBlend = true;
  UpdateLayeredWnd();
}

void TGridDragFormEh::CreateHandle()
{
  inherited::CreateHandle();
  UpdateLayeredWnd();
}

void TGridDragFormEh::UpdateLayeredWnd()
{
  if (!HandleAllocated() || !FAlphaBlend)
    return;
  SetWindowLong(this, GWL_EXSTYLE, GetWindowLong(this, GWL_EXSTYLE) | LongInt(WS_EX_LAYERED));
  SetLayeredWindowAttributes(this, 0, FAlphaBlendValue, LWA_ALPHA);
}

void TGridDragFormEh::MoveToFor(TPoint NewPos)
{
  SetBounds(NewPos.X, NewPos.Y, Width(), Height());
}

void TGridDragFormEh::MoveToFor(TPoint NewPos, Integer NewWidth, Integer NewHeight)
{
  SetBounds(NewPos.X, NewPos.Y, NewWidth, NewHeight);
}

void TGridDragFormEh::StartShow(TPoint Pos, Integer AWidth, Integer AHeight)
{
  SetBounds(Pos.X, Pos.Y, AWidth, AHeight);
  Show();
}

void TGridDragFormEh::StartShow(TPoint Pos, Integer AHeight)
{
  StartShow(Pos, Width(), AHeight);
}

TGridMoveLineEh::TGridMoveLineEh(TComponent* AOwner) : TGridDragFormEh(AOwner)
{
  SetColor(clWhite);
  SetBounds(Left(), Top(), 7, 7);
  SetAlphaBlendValue(255);
  SetDropShadow(false);
}

// Opaque, with white as the colour key: only the drawn arrow is left.
void TGridMoveLineEh::UpdateLayeredWnd()
{
  if (!HandleAllocated())
    return;
  SetWindowLong(this, GWL_EXSTYLE, GetWindowLong(this, GWL_EXSTYLE) | LongInt(WS_EX_LAYERED));
  SetLayeredWindowAttributes(this, COLORREF(ColorToRGB(clWhite)), FAlphaBlendValue,
                             FAlphaBlend ? LWA_COLORKEY | LWA_ALPHA : LWA_COLORKEY);
}

void TGridMoveLineEh::StartShow(TPoint Pos, bool AIsVert, Integer Size, TControl*)
{
  FIsVert = AIsVert;
  const TPoint At(Pos.X - 3, Pos.Y - 4);
  if (FIsVert)
    TGridDragFormEh::StartShow(At, 7, Size + 8);
  else
    TGridDragFormEh::StartShow(At, Size + 8, 7);
  Invalidate();
}

void TGridMoveLineEh::MoveToFor(TPoint NewPos)
{
  TGridDragFormEh::MoveToFor(TPoint(NewPos.X - 3, NewPos.Y - 4));
}

void TGridMoveLineEh::DrawMarker(TCanvas* C, Integer W, Integer H)
{
  C->Pen()->SetColor(ColorToRGB(FLineColor));
  auto Seg = [C](Integer X1, Integer Y1, Integer X2, Integer Y2) {
    C->MoveTo(X1, Y1);
    C->LineTo(X2, Y2);
  };
  if (FIsVert) {
    Seg(0, 0, 7, 0); Seg(1, 1, 6, 1); Seg(2, 2, 5, 2); Seg(3, 3, 4, 3);
    Seg(3, 4, 3, H - 4);
    Seg(3, H - 4, 4, H - 4); Seg(2, H - 3, 5, H - 3); Seg(1, H - 2, 6, H - 2); Seg(0, H - 1, 7, H - 1);
  } else {
    Seg(0, 0, 0, 7); Seg(1, 1, 1, 6); Seg(2, 2, 2, 5); Seg(3, 3, 3, 4);
    Seg(4, 3, W - 4, 3);
    Seg(W - 4, 3, W - 4, 4); Seg(W - 3, 2, W - 3, 5); Seg(W - 2, 1, W - 2, 6); Seg(W - 1, 0, W - 1, 7);
  }
}

void TGridMoveLineEh::PaintWindow(HDC DC)
{
  TExternalCanvas C(DC);
  C.Brush()->SetColor(clWhite);
  C.FillRect(TRect(0, 0, Width(), Height()));
  DrawMarker(&C, Width(), Height());
}

// ---------------------------------------------------------------------------
// Shared instances, owned by the application object; each forgets itself
// when the application frees it.

static TGridDragBoxEh* GDragBox = nullptr;
static TGridMoveLineEh* GMoveLine = nullptr;

TGridDragBoxEh::~TGridDragBoxEh()
{
  if (GDragBox == this)
    GDragBox = nullptr;
}

TGridMoveLineEh::~TGridMoveLineEh()
{
  if (GMoveLine == this)
    GMoveLine = nullptr;
}

TGridDragBoxEh* GetGridDragBoxEh()
{
  if (!GDragBox) {
    GDragBox = new TGridDragBoxEh(Application);
    GDragBox->SetTransparentColorValue(clNone);
  }
  return GDragBox;
}

TGridMoveLineEh* GetGridMoveLineEh()
{
  if (!GMoveLine)
    GMoveLine = new TGridMoveLineEh(Application);
  return GMoveLine;
}
