// FormsScrollBox.cpp: scrolling windows and the scroll box. The bars are Qt
// scroll bars in the window's frame; the children move by the scrolled
// distance, as the original moves its child windows.
#include "platform/gui/ControlsQt.h"
#include "platform/gui/FormsScrollBox.h"

#include <QScrollBar>

struct TScrollingWinControl::TBarWidgets {
  QPointer<QScrollBar> Horz;
  QPointer<QScrollBar> Vert;
  bool Syncing = false;
};

namespace {
Integer BarSize(TScrollBarKind Kind) { return GetSystemMetrics(Kind == sbVertical ? SM_CXVSCROLL : SM_CYHSCROLL); }
} // namespace

Integer TControlScrollBar::ControlSize() const
{
  const TRect R = FControl->ClientRect();
  return FKind == sbHorizontal ? R.Width() : R.Height();
}

void TControlScrollBar::SetPosition(Integer Value)
{
  Value = std::clamp(Value, 0, std::max(0, FCalcRange - ControlSize()));
  if (Value == FPosition)
    return;
  const Integer Delta = FPosition - Value;
  FPosition = Value;
  const bool Was = FControl->FUpdating;
  FControl->FUpdating = true;
  if (FKind == sbHorizontal)
    FControl->ScrollBy(Delta, 0);
  else
    FControl->ScrollBy(0, Delta);
  FControl->FUpdating = Was;
  FControl->SyncBarWidgets();
}

void TControlScrollBar::SetVisible(bool Value)
{
  FVisible = Value;
  FControl->UpdateScrollBars();
}

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TWinControl(AOwner), FHorzScrollBar(std::make_unique<TControlScrollBar>(this, sbHorizontal)),
      FVertScrollBar(std::make_unique<TControlScrollBar>(this, sbVertical)), FBars(std::make_unique<TBarWidgets>())
{
  FControlStyle.Include(csAcceptsControls);
}

TScrollingWinControl::~TScrollingWinControl() { DestroyHandle(); }

void TScrollingWinControl::SetAutoScroll(bool Value)
{
  FAutoScroll = Value;
  UpdateScrollBars();
}

TRect TScrollingWinControl::ClientRect() const
{
  if (HandleAllocated())
    return TWinControl::ClientRect();
  const Integer E = EdgeWidth();
  return Rect(0, 0,
              std::max(0, FWidth - 2 * E - (FVertScrollBar->FShown ? BarSize(sbVertical) : 0)),
              std::max(0, FHeight - 2 * E - (FHorzScrollBar->FShown ? BarSize(sbHorizontal) : 0)));
}

void TScrollingWinControl::UpdateScrollBars()
{
  if (FUpdating)
    return;
  FUpdating = true;
  // The extent of the children where they would stand unscrolled.
  Integer W = 0, H = 0;
  for (TControl* C : FControls)
    if (C->Visible()) {
      W = std::max(W, C->Left() + C->Width() + FHorzScrollBar->FPosition);
      H = std::max(H, C->Top() + C->Height() + FVertScrollBar->FPosition);
    }
  FHorzScrollBar->FCalcRange = W;
  FVertScrollBar->FCalcRange = H;
  const Integer E = 2 * EdgeWidth();
  const Integer Inner = std::max(0, FWidth - E), InnerH = std::max(0, FHeight - E);
  // One bar takes room from the other's direction.
  bool V = FAutoScroll && FVertScrollBar->FVisible && H > InnerH;
  bool Hz = FAutoScroll && FHorzScrollBar->FVisible && W > Inner - (V ? BarSize(sbVertical) : 0);
  V = FAutoScroll && FVertScrollBar->FVisible && H > InnerH - (Hz ? BarSize(sbHorizontal) : 0);
  const bool Changed = V != FVertScrollBar->FShown || Hz != FHorzScrollBar->FShown;
  FVertScrollBar->FShown = V;
  FHorzScrollBar->FShown = Hz;
  if (Changed)
    UpdateNonClientArea();
  FUpdating = false;
  // A range that shrank takes the position back with it.
  for (TControlScrollBar* B : {FHorzScrollBar.get(), FVertScrollBar.get()})
    if (!B->FShown || B->FPosition > std::max(0, B->FCalcRange - B->ControlSize()))
      B->SetPosition(B->FShown ? B->FPosition : 0);
  SyncBarWidgets();
}

void TScrollingWinControl::ScrollInView(TControl* AControl)
{
  if (!AControl || !ContainsControl(AControl))
    return;
  const TRect R = ClientRect();
  if (AControl->Left() < 0)
    FHorzScrollBar->SetPosition(FHorzScrollBar->FPosition + AControl->Left());
  else if (AControl->Left() + AControl->Width() > R.Width())
    FHorzScrollBar->SetPosition(FHorzScrollBar->FPosition + AControl->Left() + AControl->Width() - R.Width());
  if (AControl->Top() < 0)
    FVertScrollBar->SetPosition(FVertScrollBar->FPosition + AControl->Top());
  else if (AControl->Top() + AControl->Height() > R.Height())
    FVertScrollBar->SetPosition(FVertScrollBar->FPosition + AControl->Top() + AControl->Height() - R.Height());
}

QWidget* TScrollingWinControl::CreateWidget(QWidget* ParentWidget)
{
  QWidget* W = TWinControl::CreateWidget(ParentWidget);
  auto Make = [this, W](Qt::Orientation O, TControlScrollBar* Bar) {
    auto* S = new QScrollBar(O, W);
    S->hide();
    QObject::connect(S, &QScrollBar::valueChanged, S, [this, Bar](int Value) {
      if (!FBars->Syncing)
        Bar->SetPosition(Value);
    });
    QObject::connect(S, &QScrollBar::sliderMoved, S, [this, Bar](int Value) {
      if (Bar->FTracking && !FBars->Syncing)
        Bar->SetPosition(Value);
    });
    return S;
  };
  FBars->Horz = Make(Qt::Horizontal, FHorzScrollBar.get());
  FBars->Vert = Make(Qt::Vertical, FVertScrollBar.get());
  return W;
}

void TScrollingWinControl::InitializeWidget()
{
  TWinControl::InitializeWidget();
  UpdateScrollBars();
  UpdateNonClientArea();
  SyncBarWidgets();
}

void TScrollingWinControl::SyncBarWidgets()
{
  if (!HandleAllocated() || !FBars->Horz || !FBars->Vert)
    return;
  FBars->Syncing = true;
  const Integer E = EdgeWidth();
  const Integer SV = BarSize(sbVertical), SH = BarSize(sbHorizontal);
  const bool V = FVertScrollBar->FShown, Hz = FHorzScrollBar->FShown;
  auto Apply = [&](QScrollBar* S, TControlScrollBar* B, bool Shown, QRect Geometry) {
    S->setTracking(B->FTracking);
    S->setRange(0, std::max(0, B->FCalcRange - B->ControlSize()));
    S->setPageStep(std::max(1, B->ControlSize()));
    S->setSingleStep(B->FIncrement);
    S->setValue(B->FPosition);
    S->setGeometry(Geometry);
    S->setVisible(Shown);
    if (Shown)
      S->raise();
  };
  Apply(FBars->Vert, FVertScrollBar.get(), V,
        QRect(FWidth - E - SV, E, SV, std::max(0, FHeight - 2 * E - (Hz ? SH : 0))));
  Apply(FBars->Horz, FHorzScrollBar.get(), Hz,
        QRect(E, FHeight - E - SH, std::max(0, FWidth - 2 * E - (V ? SV : 0)), SH));
  FBars->Syncing = false;
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect)
{
  TWinControl::AlignControls(AControl, Rect);
  UpdateScrollBars();
}

void TScrollingWinControl::Resize()
{
  UpdateScrollBars();
  TWinControl::Resize();
}

void TScrollingWinControl::WndProc(TMessage& Message)
{
  TWinControl::WndProc(Message);
  if (Message.Msg == WM_NCCALCSIZE)
    if (auto* P = reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)) {
      if (FVertScrollBar->FShown)
        P->rgrc[0].Right -= BarSize(sbVertical);
      if (FHorzScrollBar->FShown)
        P->rgrc[0].Bottom -= BarSize(sbHorizontal);
    }
  if (Message.Msg == WM_SIZE)
    SyncBarWidgets();
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner)
{
  FControlStyle.Include(csCaptureMouse);
  FControlStyle.Include(csClickEvents);
  FControlStyle.Include(csDoubleClicks);
  FWidth = 185;
  FHeight = 41;
}

void TScrollBox::SetBorderStyle(TBorderStyle Value)
{
  if (Value == FBorderStyle)
    return;
  FBorderStyle = Value;
  if (HandleAllocated())
    RecreateWnd();
}

void TScrollBox::CreateParams(TCreateParams& Params)
{
  TScrollingWinControl::CreateParams(Params);
  if (FBorderStyle == TBorderStyle::bsSingle)
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}
