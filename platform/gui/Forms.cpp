// Forms.cpp: forms with their modal loops, close and activation rules, data
// modules, the application object and the screen.
#include "platform/gui/Forms.h"

#include "platform/gui/ActnList.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/Imaging.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ControlsQt.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Themes.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QVBoxLayout>

#include <map>
#include <optional>

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

namespace {

// Wakes a loop that waits for events, so that it sees a changed state.
void WakeUp()
{
  if (QAbstractEventDispatcher* D = QAbstractEventDispatcher::instance())
    D->wakeUp();
}

// Brings a top-level window to the front where the window system can.
void RaiseWindow(QWidget* W)
{
  if (QGuiApplication::platformName() != QLatin1String("offscreen"))
    W->raise();
}

// The top-level window of a form: its client area sits below the menu bar.
class TFormWidget : public QWidget {
public:
  TFormWidget() : QWidget(nullptr, Qt::Window), Client(new QWidget(this))
  {
    Client->setObjectName(QStringLiteral("client"));
  }
  void SetMenuBar(QMenuBar* Bar)
  {
    MenuBar = Bar;
    Bar->setParent(this);
    // The frame counts a menu bar of this height.
    Bar->setFixedHeight(20);
    Layout();
    Bar->show();
  }
  void Layout()
  {
    const int MenuH = MenuBar ? 20 : 0;
    if (MenuBar)
      MenuBar->setGeometry(0, 0, width(), MenuH);
    Client->setGeometry(0, MenuH, width(), height() - MenuH);
  }
  QWidget* Client;
  QMenuBar* MenuBar = nullptr;

protected:
  void resizeEvent(QResizeEvent* E) override
  {
    QWidget::resizeEvent(E);
    Layout();
  }
};

// A running modal window and the windows it disabled.
struct TModalFrame {
  const QWidget* Key = nullptr;
  QPointer<QWidget> Modal;
  QPointer<QWidget> Owner;
  QPointer<QWindow> OldTransientParent;
  std::vector<QPointer<QWidget>> Disabled;
};

std::vector<TModalFrame>& ModalFrames()
{
  static std::vector<TModalFrame> Frames;
  return Frames;
}

// Popups, hints and drop-downs come and go by themselves; only real windows
// are disabled or own a modal window.
bool IsOwnerWindow(const QWidget* W)
{
  return W && W->isWindow() && W->isVisible() && W->windowType() != Qt::Popup && W->windowType() != Qt::ToolTip;
}

// The window a new modal window belongs to: the active one, else the modal
// window running now, else the active or main form.
QWidget* ModalOwner(const QWidget* Modal)
{
  const auto Usable = [Modal](QWidget* W) {
    return W && W != Modal && IsOwnerWindow(W) && !WindowDisabledByModal(W);
  };
  if (QWidget* W = QApplication::activeWindow(); Usable(W))
    return W;
  for (auto It = ModalFrames().rbegin(); It != ModalFrames().rend(); ++It)
    if (Usable(It->Modal))
      return It->Modal;
  for (TCustomForm* F : {Application->ActiveForm(), Application->MainForm()})
    if (F && F->HandleAllocated() && Usable(F->Widget()))
      return F->Widget();
  return nullptr;
}

// Brings the innermost modal window forward, as a click on a window it
// disables does.
void BringModalForward()
{
  if (ModalFrames().empty())
    return;
  QPointer<QWidget> Modal = ModalFrames().back().Modal;
  QTimer::singleShot(0, Modal, [Modal] {
    if (!Modal || !Modal->isVisible() || Modal->isActiveWindow())
      return;
    RaiseWindow(Modal);
    Modal->activateWindow();
  });
}

// Keeps input away from the windows a modal window disables; the toolkit's
// own modality does the same, this holds also where it would let an event by.
class TModalEventFilter : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject* Watched, QEvent* Event) override
  {
    if (ModalFrames().empty() || !Watched->isWidgetType())
      return false;
    const QWidget* Window = static_cast<QWidget*>(Watched)->window();
    switch (Event->type()) {
    case QEvent::MouseButtonPress: case QEvent::MouseButtonDblClick:
      if (!WindowDisabledByModal(Window))
        return false;
      BringModalForward();
      return true;
    case QEvent::MouseButtonRelease: case QEvent::Wheel: case QEvent::KeyPress: case QEvent::KeyRelease:
    case QEvent::ShortcutOverride: case QEvent::ContextMenu:
      return WindowDisabledByModal(Window);
    case QEvent::WindowActivate:
      if (Watched == Window && WindowDisabledByModal(Window))
        BringModalForward();
      return false;
    default:
      return false;
    }
  }
};

} // namespace

bool WindowDisabledByModal(const QWidget* Window)
{
  for (const TModalFrame& F : ModalFrames())
    for (const QPointer<QWidget>& W : F.Disabled)
      if (W == Window)
        return true;
  return false;
}

TModalWindowGuard::TModalWindowGuard(QWidget* Modal) : FModal(Modal)
{
  static TModalEventFilter* Filter = nullptr;
  if (!Filter && QCoreApplication::instance()) {
    Filter = new TModalEventFilter(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(Filter);
  }
  TModalFrame Frame;
  Frame.Key = Modal;
  Frame.Modal = Modal;
  // The window handle must exist before the window is shown: the window
  // system reads the transient parent when it maps the window.
  Modal->winId();
  if (QWidget* Owner = ModalOwner(Modal)) {
    Owner->winId();
    Frame.Owner = Owner;
    Frame.OldTransientParent = Modal->windowHandle()->transientParent();
    Modal->windowHandle()->setTransientParent(Owner->windowHandle());
  }
  for (QWidget* W : QApplication::topLevelWidgets())
    if (W != Modal && IsOwnerWindow(W) && !WindowDisabledByModal(W))
      Frame.Disabled.emplace_back(W);
  ModalFrames().push_back(std::move(Frame));
}

void TModalWindowGuard::Release()
{
  if (!FHeld)
    return;
  FHeld = false;
  auto& Frames = ModalFrames();
  auto It = std::find_if(Frames.begin(), Frames.end(), [this](const TModalFrame& F) { return F.Key == FModal; });
  if (It == Frames.end())
    return;
  const QPointer<QWidget> Modal = It->Modal, Owner = It->Owner;
  if (Modal && Modal->windowHandle())
    Modal->windowHandle()->setTransientParent(It->OldTransientParent);
  Frames.erase(It);
  // The window the modal one belonged to takes the activation back.
  QWidget* Active = QApplication::activeWindow();
  if (Owner && Owner->isVisible() && !WindowDisabledByModal(Owner) && (!Active || Active == Modal))
    Owner->activateWindow();
}

// ---------------------------------------------------------------------------
// TCustomForm.

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner), FIcon(std::make_unique<TIcon>())
{
  FVisible = false;
  FParentFont = false;
  FParentColor = false;
  FColor = clBtnFace;
  FWidth = 320;
  FHeight = 240;
  FFormState << fsCreating;
  Screen->AddForm(this);
}

TCustomForm::TCustomForm(TComponent* AOwner, Integer) : TCustomForm(AOwner)
{
  FCreatedNew = true;
  FFormState >> fsCreating;
}

TCustomForm::~TCustomForm()
{
  if (!FFormState.Contains(fsCreating))
    DoDestroy();
  Application->FormDestroying(this);
  Screen->RemoveForm(this);
  // Controls first, while the form is still a form.
  while (!FControls.empty()) {
    TControl* C = FControls.back();
    RemoveControl(C);
    delete C;
  }
  DestroyComponents();
}

void TCustomForm::AfterConstruction()
{
  if (!FCreatedNew) {
    const bool Read = InitInheritedComponent(this, TForm::StaticClass());
    if (!Read && ClassType() != TForm::StaticClass() && ClassType() != TCustomForm::StaticClass())
      throw EResNotFound(QStringLiteral("Resource %1 not found").arg(ClassName()));
  }
  FFormState >> fsCreating;
  DoCreate();
  if (FFormState.Contains(fsVisible))
    SetVisible(true);
}

void TCustomForm::ReadState(TReader& Reader)
{
  DisableAlign();
  try {
    TWinControl::ReadState(Reader);
  } catch (...) {
    EnableAlign();
    throw;
  }
  EnableAlign();
}

void TCustomForm::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
  // Components without a parent first (menus, timers, datasets), then controls.
  for (Integer I = 0; I < ComponentCount(); ++I) {
    TComponent* C = Components(I);
    if (!C->HasParent())
      Proc(C);
  }
  TWinControl::GetChildren(Proc, Root);
}

void TCustomForm::Loaded()
{
  inherited::Loaded();
  if (FActiveControl && FActiveControl->Parent() == nullptr)
    FActiveControl = nullptr;
}

void TCustomForm::DoCreate()
{
  if (OnCreate)
    OnCreate(this);
}

void TCustomForm::DoDestroy()
{
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      Application->HandleException(this);
    }
  }
}

void TCustomForm::DoShow()
{
  if (OnShow)
    OnShow(this);
}

void TCustomForm::DoHide()
{
  if (OnHide)
    OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action)
{
  if (OnClose)
    OnClose(this, Action);
}

// The frame around the client area, as the form's outer size counts it.
Integer TCustomForm::FrameWidth() const { return FBorderStyle == bsNone ? 0 : 16; }

Integer TCustomForm::FrameHeight() const
{
  Integer H = FBorderStyle == bsNone ? 0 : (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin ? 31 : 39);
  if (FMenu)
    H += 20;
  return H;
}

TRect TCustomForm::ClientRect() const
{
  return Rect(0, 0, std::max(0, FWidth - FrameWidth()), std::max(0, FHeight - FrameHeight()));
}

TPoint TCustomForm::ClientOrigin() const
{
  if (HandleAllocated()) {
    const QPoint P = ClientWidget()->mapToGlobal(QPoint(0, 0));
    return TPoint(P.x(), P.y());
  }
  return TPoint(FLeft + FrameWidth() / 2, FTop + FrameHeight() - FrameWidth() / 2);
}

bool TCustomForm::Showing() const { return FVisible && HandleAllocated() && Widget()->isVisible(); }

QWidget* TCustomForm::ClientWidget() const { return FClientWidget; }

QWidget* TCustomForm::CreateWidget(QWidget*)
{
  auto* W = new TFormWidget;
  FClientWidget = W->Client;
  return W;
}

void TCustomForm::InitializeWidget()
{
  QWidget* W = Widget();
  // The Windows style erases with the form colour.
  W->setAutoFillBackground(true);
  FClientWidget->setAutoFillBackground(false);
  UpdateWidgetFont();
  W->setWindowTitle(FText);
  if (!FIcon->Empty())
    W->setWindowIcon(QIcon(QPixmap::fromImage(FIcon->Image())));
  ApplyWindowFlags();
  if (FMenu)
    static_cast<TFormWidget*>(W)->SetMenuBar(FMenu->CreateMenuBar());
  W->setGeometry(FLeft + FrameWidth() / 2, FTop + FrameHeight() - FrameWidth() / 2, ClientRect().Width(),
                 ClientRect().Height() + (FMenu ? 20 : 0));
  if (FBorderStyle != bsSizeable && FBorderStyle != bsSizeToolWin)
    W->setFixedSize(W->size());
  UpdateWidgetColor();
  W->setEnabled(FEnabled);
}

void TCustomForm::UpdateWidgetColor()
{
  if (!HandleAllocated())
    return;
  QPalette P = Widget()->palette();
  P.setColor(QPalette::Window, ToQColor(COLORREF(ColorToRGB(FColor))));
  Widget()->setPalette(P);
}

void TCustomForm::ApplyWindowFlags()
{
  if (!HandleAllocated())
    return;
  QWidget* W = Widget();
  Qt::WindowFlags F = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (FBorderStyle == bsNone)
    F = Qt::Window | Qt::FramelessWindowHint;
  if (FBorderStyle == bsDialog)
    F |= Qt::Dialog;
  if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin)
    F |= Qt::Tool;
  if (FBorderIcons.Contains(biSystemMenu) && FBorderStyle != bsNone) {
    F |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (FBorderIcons.Contains(biMinimize) && FBorderStyle != bsDialog)
      F |= Qt::WindowMinimizeButtonHint;
    if (FBorderIcons.Contains(biMaximize) && FBorderStyle != bsDialog)
      F |= Qt::WindowMaximizeButtonHint;
    if (FBorderIcons.Contains(biHelp))
      F |= Qt::WindowContextHelpButtonHint;
  }
  if (FFormStyle == fsStayOnTop)
    F |= Qt::WindowStaysOnTopHint;
  // The platform made the window one that is never activated; keep it so.
  if (ShowsWithoutActivating())
    F = (F & ~Qt::WindowType_Mask) | Qt::ToolTip | Qt::WindowDoesNotAcceptFocus;
  const bool WasVisible = W->isVisible();
  W->setWindowFlags(F);
  if (WasVisible)
    W->show();
}

void TCustomForm::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
    return;
  const bool Sized = AWidth != FWidth || AHeight != FHeight;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = std::max(0, AWidth);
  FHeight = std::max(0, AHeight);
  if (HandleAllocated()) {
    QWidget* W = Widget();
    const QSize Client(ClientRect().Width(), ClientRect().Height() + (FMenu ? 20 : 0));
    if (FBorderStyle != bsSizeable && FBorderStyle != bsSizeToolWin)
      W->setFixedSize(Client);
    W->setGeometry(FLeft + FrameWidth() / 2, FTop + FrameHeight() - FrameWidth() / 2, Client.width(), Client.height());
  }
  if (Sized) {
    Realign();
    Resize();
  }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value)
{
  if (Value == FBorderStyle)
    return;
  // The client area keeps its size; the frame around it changes.
  const TRect Client = ClientRect();
  FBorderStyle = Value;
  FWidth = Client.Width() + FrameWidth();
  FHeight = Client.Height() + FrameHeight();
  if (HandleAllocated()) {
    Widget()->setMinimumSize(0, 0);
    Widget()->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (Value != bsSizeable && Value != bsSizeToolWin)
      Widget()->setFixedSize(Widget()->size());
    ApplyWindowFlags();
  }
}

void TCustomForm::SetBorderIcons(TBorderIcons Value)
{
  if (Value == FBorderIcons)
    return;
  FBorderIcons = Value;
  ApplyWindowFlags();
}

void TCustomForm::SetFormStyle(TFormStyle Value)
{
  if (Value == FFormStyle)
    return;
  FFormStyle = Value;
  ApplyWindowFlags();
}

void TCustomForm::SetWindowState(TWindowState Value)
{
  // Leaving the normal state remembers where to come back to.
  if (FWindowState == wsNormal && Value != wsNormal) {
    FNormalBounds = TRect(FLeft, FTop, FLeft + FWidth, FTop + FHeight);
    FHasNormalBounds = true;
  }
  const bool Restoring = FWindowState != wsNormal && Value == wsNormal;
  FWindowState = Value;
  if (HandleAllocated() && Widget()->isVisible()) {
    if (Value == wsMinimized)
      Widget()->showMinimized();
    else if (Value == wsMaximized)
      Widget()->showMaximized();
    else
      Widget()->showNormal();
  }
  if (Restoring && FHasNormalBounds) {
    FHasNormalBounds = false;
    SetBounds(FNormalBounds.Left, FNormalBounds.Top, FNormalBounds.Width(), FNormalBounds.Height());
  }
}

TRect TCustomForm::NormalBounds() const
{
  if (FWindowState != wsNormal && FHasNormalBounds)
    return FNormalBounds;
  return TRect(FLeft, FTop, FLeft + FWidth, FTop + FHeight);
}

void TCustomForm::SetNormalBounds(const TRect& Value)
{
  if (FWindowState == wsNormal) {
    SetBounds(Value.Left, Value.Top, Value.Width(), Value.Height());
    return;
  }
  FNormalBounds = Value;
  FHasNormalBounds = true;
}

void TCustomForm::SetIcon(TIcon* Value)
{
  FIcon->Assign(Value);
  if (HandleAllocated() && !FIcon->Empty())
    Widget()->setWindowIcon(QIcon(QPixmap::fromImage(FIcon->Image())));
}

void TCustomForm::SetMenu(TMainMenu* Value)
{
  if (Value == FMenu)
    return;
  const TRect Client = ClientRect();
  FMenu = Value;
  if (Value)
    Value->FreeNotification(this);
  // The client area keeps its size; the window grows by the menu bar.
  FHeight = Client.Height() + FrameHeight();
  if (HandleAllocated() && FMenu)
    static_cast<TFormWidget*>(Widget())->SetMenuBar(FMenu->CreateMenuBar());
}

void TCustomForm::SetActiveControl(TWinControl* Control)
{
  if (Control == FActiveControl)
    return;
  if (Control && !ComponentState().Contains(csLoading) && (Control == this || GetParentForm(Control) != this))
    throw EInvalidOperation(QStringLiteral("Invalid control focus"));
  FActiveControl = Control;
  if (Control && !ComponentState().Contains(csLoading) && FActive && Showing())
    FocusControl(Control);
}

void TCustomForm::SetFocus()
{
  if (!FVisible || !FEnabled)
    throw EInvalidOperation(QStringLiteral("Cannot focus a disabled or invisible window"));
  HandleNeeded();
  RaiseWindow(Widget());
  Widget()->activateWindow();
  Application->FormActivated(this);
  if (FActiveControl)
    FocusControl(FActiveControl);
}

void TCustomForm::FocusControl(TWinControl* Control)
{
  if (!Control)
    return;
  FActiveControl = Control;
  if (!Control->CanFocus())
    return;
  Control->HandleNeeded();
  if (Widget() && !Widget()->isActiveWindow())
    Widget()->activateWindow();
  Control->Widget()->setFocus(Qt::OtherFocusReason);
  // Without a window system that moves the focus at once, record it here.
  if (FFocusedControl != Control)
    SetFocusedControl(Control);
}

// Records the focus move and runs the exit and enter events, as the
// original does when a control of the form receives the focus.
bool TCustomForm::SetFocusedControl(TWinControl* Control)
{
  if (Control == FFocusedControl) {
    FActiveControl = Control;
    return true;
  }
  TWinControl* Old = FFocusedControl;
  FFocusedControl = Control;
  if (Control != this)
    FActiveControl = Control;
  if (Old && IsLiveControl(Old) && Old != this)
    Old->Perform(CM_EXIT);
  Perform(CM_FOCUSCHANGED, 0, LPARAM(Control));
  if (Control && IsLiveControl(Control) && Control != this && FFocusedControl == Control)
    Control->Perform(CM_ENTER);
  return true;
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing)
{
  // A control freed while its subtree was already apart from the form could
  // not tell the form; its record must not be followed.
  if (FFocusedControl && !IsLiveControl(FFocusedControl))
    FFocusedControl = nullptr;
  if (FActiveControl && !IsLiveControl(FActiveControl))
    FActiveControl = nullptr;
  if (Removing && Control->ContainsControl(FFocusedControl))
    FFocusedControl = Control->Parent();
  if (Control->ContainsControl(FActiveControl))
    FActiveControl = nullptr;
}

void TCustomForm::Show()
{
  SetVisible(true);
  if (ShowsWithoutActivating())
    return;
  if (HandleAllocated()) {
    RaiseWindow(Widget());
    Widget()->activateWindow();
  }
  Application->FormActivated(this);
}

void TCustomForm::CMVisibleChanged(TMessage& M)
{
  // While the description is read, Visible is only recorded.
  if (ComponentState().Contains(csLoading) || FFormState.Contains(fsCreating)) {
    if (FVisible)
      FFormState << fsVisible;
    else
      FFormState >> fsVisible;
    FVisible = false;
    return;
  }
  // From now on Visible rules, not an earlier ShowWindow or SetWindowPos.
  WidgetState()->WindowShown = false;
  if (FVisible) {
    HandleNeeded();
    DoShow();
    if (!FVisible)
      return;   // OnShow hid it again
    PlaceOnFirstShow();
    if (FWindowState == wsMaximized)
      Widget()->showMaximized();
    else
      Widget()->show();
    FFormState << fsShowing;
    // A window that shows without activating leaves the active form and
    // the focus where they are.
    if (ShowsWithoutActivating()) {
      DefaultHandler(M);
      return;
    }
    // A form that is shown becomes the active form.
    RaiseWindow(Widget());
    Widget()->activateWindow();
    Application->FormActivated(this);
    TWinControl* Focus = FActiveControl ? FActiveControl : FindNextControl(nullptr, true, true, false);
    if (Focus) {
      FActiveControl = Focus;
      FocusControl(Focus);
    }
  } else {
    DoHide();
    if (HandleAllocated())
      Widget()->hide();
    FFormState >> fsShowing;
    if (FActive)
      Application->FormDeactivated(this);
  }
  DefaultHandler(M);
}

void TCustomForm::PlaceOnFirstShow()
{
  if (FPlaced)
    return;
  FPlaced = true;
  TRect Area = Screen->WorkAreaRect();
  TCustomForm* Center = nullptr;
  switch (FPosition) {
  case poScreenCenter: case poDesktopCenter: break;
  case poMainFormCenter: Center = Application->MainForm(); break;
  case poOwnerFormCenter:
    Center = dynamic_cast<TCustomForm*>(Owner());
    if (!Center)
      Center = Application->MainForm();
    break;
  default: return;
  }
  if (Center == this)
    Center = nullptr;
  if (Center && Center->Visible())
    Area = Center->BoundsRect();
  SetBounds(Area.Left + (Area.Width() - FWidth) / 2, Area.Top + (Area.Height() - FHeight) / 2, FWidth, FHeight);
}

TModalResult TCustomForm::ShowModal()
{
  if (FVisible || !FEnabled || FFormState.Contains(fsModal) || FFormState.Contains(fsCreating))
    throw EInvalidOperation(QStringLiteral("Cannot make a visible window modal"));
  HandleNeeded();
  ReleaseCapture();
  FFormState << fsModal;
  FModalResult = mrNone;
  Application->ModalStarted();
  TCustomForm* Previous = Application->ActiveForm();
  std::optional<TModalWindowGuard> Guard(std::in_place, Widget());
  try {
    Widget()->setWindowModality(Qt::ApplicationModal);
    Show();
    while (true) {
      Application->HandleMessage();
      if (Application->Terminated())
        FModalResult = mrCancel;
      else if (FModalResult != mrNone) {
        // The close events may refuse, keeping the form open.
        TCloseAction Action = caNone;
        if (CloseQuery()) {
          Action = caHide;
          DoClose(Action);
        }
        if (Action == caNone)
          FModalResult = mrNone;
        else if (Action == caFree)
          Release();
      }
      if (FModalResult != mrNone)
        break;
    }
  } catch (...) {
    FFormState >> fsModal;
    Application->ModalFinished();
    if (IsLiveControl(this)) {
      Hide();
      if (HandleAllocated())
        Widget()->setWindowModality(Qt::NonModal);
    }
    Guard.reset();
    throw;
  }
  const TModalResult Result = FModalResult;
  FFormState >> fsModal;
  Application->ModalFinished();
  Hide();
  Widget()->setWindowModality(Qt::NonModal);
  Guard.reset();
  // The form that opened this one becomes active again.
  if (Previous && Previous != this && Previous->Visible() && IsLiveControl(Previous)) {
    Previous->Widget()->activateWindow();
    Application->FormActivated(Previous);
  }
  return Result;
}

bool TCustomForm::CloseQuery()
{
  bool CanClose = true;
  if (OnCloseQuery)
    OnCloseQuery(this, CanClose);
  return CanClose;
}

void TCustomForm::Close()
{
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    WakeUp();
    return;
  }
  if (!CloseQuery())
    return;
  TCloseAction Action = caHide;
  DoClose(Action);
  if (Action == caNone)
    return;
  if (Application->MainForm() == this)
    Application->Terminate();
  else if (Action == caHide)
    Hide();
  else if (Action == caMinimize)
    SetWindowState(wsMinimized);
  else
    Release();
}

void TCustomForm::Release() { PostMessage(this, CM_RELEASE); }

void TCustomForm::Activate()
{
  if (FActive)
    return;
  FActive = true;
  Perform(CM_ACTIVATE);
}

void TCustomForm::Deactivate()
{
  if (!FActive)
    return;
  FActive = false;
  Perform(CM_DEACTIVATE);
}

void TCustomForm::SendCancelMode(TControl* Sender)
{
  if (FActive && FActiveControl && IsLiveControl(FActiveControl))
    FActiveControl->Perform(CM_CANCELMODE, 0, LPARAM(Sender));
}

void TCustomForm::PaintWindow(HDC DC)
{
  TWinControl::PaintWindow(DC);
  if (OnPaint)
    OnPaint(this);
}

void TCustomForm::Dispatch(TMessage& M)
{
  switch (M.Msg) {
  case WM_CLOSE: WMClose(M); break;
  case WM_SIZE: WMSize(M); break;
  case WM_ACTIVATE: WMActivate(M); break;
  case CM_RELEASE: CMRelease(M); break;
  case CM_ACTIVATE: CMActivate(M); break;
  case CM_DEACTIVATE: CMDeactivate(M); break;
  default: TWinControl::Dispatch(M); break;
  }
}

// Tab and the arrows move the focus; other keys go to the controls
// (default and cancel buttons).
void TCustomForm::CMDialogKey(TMessage& M)
{
  if (GetKeyState(VK_MENU) >= 0) {
    const TShiftState Shift = KeyDataToShiftState(LongInt(M.LParam)) + GetShiftState();
    switch (M.WParam) {
    case VK_TAB:
      if (!Shift.Contains(ssCtrl)) {
        SelectNext(FActiveControl, !Shift.Contains(ssShift), true);
        M.Result = 1;
        return;
      }
      break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
      if (FActiveControl) {
        FActiveControl->Parent()->SelectNext(FActiveControl, M.WParam == VK_RIGHT || M.WParam == VK_DOWN, false);
        M.Result = 1;
        return;
      }
      break;
    default: break;
    }
  }
  TWinControl::CMDialogKey(M);
}

void TCustomForm::CMTextChanged(TMessage& M)
{
  if (HandleAllocated())
    Widget()->setWindowTitle(FText);
  TWinControl::CMTextChanged(M);
}

void TCustomForm::WMClose(TMessage&) { Close(); }

// The window's size includes the menu bar; the form's client area does not.
void TCustomForm::WMSize(TMessage& M)
{
  TWMSize S(M);
  M.LParam = MakeLParam(S.Width(), Word(std::max(0, S.Height() - (FMenu ? 20 : 0))));
  TWinControl::WMSize(M);
}

void TCustomForm::WMActivate(TMessage& M)
{
  if (M.WParam)
    Application->FormActivated(this);
}

void TCustomForm::CMRelease(TMessage&) { delete this; }

void TCustomForm::CMActivate(TMessage&)
{
  if (OnActivate)
    OnActivate(this);
}

void TCustomForm::CMDeactivate(TMessage&)
{
  if (OnDeactivate)
    OnDeactivate(this);
}

// ---------------------------------------------------------------------------
// TDataModule.

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner) { Screen->AddDataModule(this); }

TDataModule::TDataModule(TComponent* AOwner, Integer) : TDataModule(AOwner) { FCreatedNew = true; }

TDataModule::~TDataModule()
{
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      Application->HandleException(this);
    }
  }
  Screen->RemoveDataModule(this);
  DestroyComponents();
}

void TDataModule::AfterConstruction()
{
  if (!FCreatedNew) {
    const bool Read = InitInheritedComponent(this, TDataModule::StaticClass());
    if (!Read && ClassType() != TDataModule::StaticClass())
      throw EResNotFound(QStringLiteral("Resource %1 not found").arg(ClassName()));
  }
  if (OnCreate)
    OnCreate(this);
}

void TDataModule::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
  TComponent::GetChildren(Proc, Root);
}

// ---------------------------------------------------------------------------
// TApplication.

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() = default;

namespace {

// Watches the mouse and the keyboard of the whole application for the hint
// service: the control under the pointer, whichever widget of the chain an
// event is delivered to.
class THintEventFilter : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject* Watched, QEvent* Event) override
  {
    switch (Event->type()) {
    case QEvent::MouseMove: case QEvent::MouseButtonPress: case QEvent::MouseButtonDblClick:
    case QEvent::Wheel: {
      auto* W = qobject_cast<QWidget*>(Watched);
      if (!W)
        break;
      const QPoint Global = static_cast<QSinglePointEvent*>(Event)->globalPosition().toPoint();
      TControl* C = ControlAt(W, Global);
      if (!C)
        break;
      const TPoint P = C->ScreenToClient(TPoint(Global.x(), Global.y()));
      UINT Msg = WM_LBUTTONDOWN;
      if (Event->type() == QEvent::MouseMove)
        Msg = WM_MOUSEMOVE;
      else if (Event->type() == QEvent::Wheel)
        Msg = WM_MOUSEWHEEL;
      // A move delivered again to a parent widget finds the same control
      // and changes nothing.
      Application->HintMouseMessage(C, TMessage{Msg, 0, MakeLParam(Word(P.X), Word(P.Y)), 0});
      break;
    }
    case QEvent::KeyPress:
      if (Application->HintWindow())
        Application->CancelHint();
      break;
    case QEvent::Leave:
      if (auto* W = qobject_cast<QWidget*>(Watched); W && W->isWindow())
        Application->CancelHint();
      break;
    default: break;
    }
    return false;
  }
private:
  static TControl* ControlAt(QWidget* W, const QPoint& Global)
  {
    QWidget* Window = W->window();
    QWidget* Deepest = Window->childAt(Window->mapFromGlobal(Global));
    for (QWidget* X = Deepest ? Deepest : Window; X; X = X->parentWidget())
      for (QObject* Child : X->children())
        if (auto* L = dynamic_cast<TWidgetLink*>(Child)) {
          TWinControl* Win = L->Control();
          const TPoint P = Win->ScreenToClient(TPoint(Global.x(), Global.y()));
          TControl* G = Win->ControlAtPos(P, false);
          return G ? G : Win;
        }
    return nullptr;
  }
};

THintEventFilter* HintFilter = nullptr;

} // namespace

void TApplication::Initialize()
{
  if (!HintFilter && QCoreApplication::instance()) {
    HintFilter = new THintEventFilter(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(HintFilter);
  }
  SetFindGlobalComponent([](const String& Name) -> TComponent* {
    for (Integer I = 0; I < Screen->FormCount(); ++I)
      if (Screen->Forms(I)->Name().compare(Name, Qt::CaseInsensitive) == 0)
        return Screen->Forms(I);
    for (Integer I = 0; I < Screen->DataModuleCount(); ++I)
      if (Screen->DataModules(I)->Name().compare(Name, Qt::CaseInsensitive) == 0)
        return Screen->DataModules(I);
    return nullptr;
  });
  RegisterGuiClasses();
  SetStyleChangedHook([] {
    for (Integer I = 0; I < Screen->FormCount(); ++I) {
      TCustomForm* F = Screen->Forms(I);
      F->Perform(CM_STYLECHANGED);
      F->Invalidate();
    }
  });
}

void TApplication::FormCreated(TComponent* Instance)
{
  if (auto* Form = dynamic_cast<TCustomForm*>(Instance); Form && !FMainForm)
    FMainForm = Form;
}

void TApplication::Run()
{
  if (!FMainForm)
    return;
  if (FShowMainForm && !FTerminated)
    FMainForm->Show();
  while (!FTerminated)
    HandleMessage();
}

void TApplication::Terminate()
{
  FTerminated = true;
  WakeUp();
}

void TApplication::ProcessMessages()
{
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleMessage()
{
  try {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
  } catch (...) {
    HandleException(this);
  }
}

void TApplication::HandleException(TObject* Sender)
{
  try {
    throw;
  } catch (const EAbort&) {
    // Silent by design.
  } catch (Exception& E) {
    if (OnException) {
      OnException(Sender, E);
      return;
    }
    ShowException(E);
  } catch (const std::exception& E) {
    Exception Wrapped(QString::fromUtf8(E.what()));
    if (OnException)
      OnException(Sender, Wrapped);
    else
      ShowException(Wrapped);
  } catch (...) {
    Exception Wrapped{String()};
    if (OnException)
      OnException(Sender, Wrapped);
    else
      ShowException(Wrapped);
  }
}

void TApplication::ShowException(const Exception& E)
{
  String Msg = E.Message();
  if (!Msg.isEmpty() && !Msg.endsWith(QLatin1Char('.')))
    Msg += QLatin1Char('.');
  MessageBox(Msg, Title(), MB_OK | MB_ICONSTOP);
}

Integer TApplication::MessageBox(const String& Text, const String& Caption, UINT Flags)
{
  return ShowMessageBox(Text, Caption, Flags);
}

String TApplication::Title() const
{
  if (!FTitle.isEmpty())
    return FTitle;
  return QFileInfo(ExeName()).completeBaseName();
}

String TApplication::ExeName() const
{
  return QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : String();
}

bool TApplication::Active() const { return QGuiApplication::applicationState() == Qt::ApplicationActive; }

void TApplication::BringToFront()
{
  if (FActiveForm && FActiveForm->HandleAllocated()) {
    RaiseWindow(FActiveForm->Widget());
    FActiveForm->Widget()->activateWindow();
  }
}

// The active form changes only when another form of the application becomes
// active: message boxes and other programs taking the activation for a while
// do not count.
void TApplication::FormActivated(TCustomForm* Form)
{
  if (!Form || Form == FActiveForm || !Form->Visible())
    return;
  TCustomForm* Old = FActiveForm;
  FActiveForm = Form;
  if (Old && IsLiveControl(Old))
    Old->Deactivate();
  Form->Activate();
}

void TApplication::FormDeactivated(TCustomForm* Form)
{
  if (Form != FActiveForm)
    return;
  FActiveForm = nullptr;
  Form->Deactivate();
}

void TApplication::FormDestroying(TCustomForm* Form)
{
  if (FActiveForm == Form)
    FActiveForm = nullptr;
  if (FMainForm == Form)
    FMainForm = nullptr;
}

void TApplication::ResetForTesting()
{
  CancelHint();
  FHintWindow.reset();
  SetMouseControl(nullptr);
  FShowHint = true;
  FHintPause = 500;
  FHintShortPause = 50;
  FHintHidePause = 2500;
  FHintColor = clInfoBk;
  OnShowHint = nullptr;
  while (Screen->FormCount() > 0)
    delete Screen->Forms(Screen->FormCount() - 1);
  while (Screen->DataModuleCount() > 0)
    delete Screen->DataModules(Screen->DataModuleCount() - 1);
  DestroyComponents();
  FMainForm = nullptr;
  FActiveForm = nullptr;
  FTerminated = false;
  FModalLevel = 0;
  FTitle.clear();
  OnException = nullptr;
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  // The freed forms' windows go now: outside any event loop the toolkit
  // would keep them into the next test, as its focus window.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// ---------------------------------------------------------------------------
// TScreen.

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}
TScreen::~TScreen() = default;

// The window system's cursor for each standard number.
static HCURSOR StandardCursor(Integer Index)
{
  static const std::pair<Integer, Qt::CursorShape> Shapes[] = {
    {crDefault, Qt::ArrowCursor}, {crNone, Qt::BlankCursor}, {crArrow, Qt::ArrowCursor},
    {crCross, Qt::CrossCursor}, {crIBeam, Qt::IBeamCursor}, {crSizeNESW, Qt::SizeBDiagCursor},
    {crSizeNS, Qt::SizeVerCursor}, {crSizeNWSE, Qt::SizeFDiagCursor}, {crSizeWE, Qt::SizeHorCursor},
    {crUpArrow, Qt::UpArrowCursor}, {crHourGlass, Qt::WaitCursor}, {crDrag, Qt::DragMoveCursor},
    {crNoDrop, Qt::ForbiddenCursor}, {crHSplit, Qt::SplitHCursor}, {crVSplit, Qt::SplitVCursor},
    {crMultiDrag, Qt::DragCopyCursor}, {crSQLWait, Qt::BusyCursor}, {crNo, Qt::ForbiddenCursor},
    {crAppStart, Qt::BusyCursor}, {crHelp, Qt::WhatsThisCursor}, {crHandPoint, Qt::PointingHandCursor},
    {crSizeAll, Qt::SizeAllCursor}};
  static std::map<Integer, TCursorHandle> Handles;
  for (const auto& [I, Shape] : Shapes)
    if (I == Index) {
      auto [It, New] = Handles.try_emplace(Index);
      if (New)
        It->second.Cursor = QCursor(Shape);
      return &It->second;
    }
  return nullptr;
}

QCursor QtCursor(SmallInt Cursor)
{
  HCURSOR H = Screen ? Screen->Cursors(Cursor) : StandardCursor(Cursor);
  return H ? H->Cursor : QCursor(Qt::ArrowCursor);
}

void TScreen::SetCursor(TCursor Value)
{
  if (Value == FCursor)
    return;
  const bool Overriding = FCursor != crDefault;
  FCursor = Value;
  if (!qApp)
    return;
  if (Value == crDefault)
    QApplication::restoreOverrideCursor();
  else if (Overriding)
    QApplication::changeOverrideCursor(QtCursor(Value));
  else
    QApplication::setOverrideCursor(QtCursor(Value));
}

HCURSOR TScreen::Cursors(Integer Index) const
{
  for (const auto& [I, H] : FCursors)
    if (I == Index)
      return H;
  if (HCURSOR H = StandardCursor(Index))
    return H;
  return Cursors(crDefault);
}

void TScreen::SetCursors(Integer Index, HCURSOR Handle)
{
  for (auto It = FCursors.begin(); It != FCursors.end(); ++It)
    if (It->first == Index) {
      if (Handle)
        It->second = Handle;
      else
        FCursors.erase(It);   // back to the standard cursor of the number
      return;
    }
  if (Handle)
    FCursors.emplace_back(Index, Handle);
}

TCustomForm* TScreen::ActiveForm() const { return Application->ActiveForm(); }

TWinControl* TScreen::ActiveControl() const
{
  TCustomForm* F = ActiveForm();
  return F ? F->ActiveControl() : nullptr;
}

Integer TScreen::Width() const
{
  const QScreen* S = QGuiApplication::primaryScreen();
  return S ? S->geometry().width() : 1024;
}

Integer TScreen::Height() const
{
  const QScreen* S = QGuiApplication::primaryScreen();
  return S ? S->geometry().height() : 768;
}

TRect TScreen::WorkAreaRect() const
{
  const QScreen* S = QGuiApplication::primaryScreen();
  return S ? FromQRect(S->availableGeometry()) : Rect(0, 0, 1024, 768);
}

QStringList TScreen::Fonts() const { return QFontDatabase::families(); }

void TScreen::UpdateMonitors() const
{
  const QList<QScreen*> Screens = QGuiApplication::screens();
  bool Same = Integer(Screens.size()) == Integer(FMonitors.size());
  for (qsizetype I = 0; Same && I < Screens.size(); ++I)
    Same = FMonitors[std::size_t(I)]->FBoundsRect == FromQRect(Screens[I]->geometry()) &&
           FMonitors[std::size_t(I)]->FWorkareaRect == FromQRect(Screens[I]->availableGeometry()) &&
           FMonitors[std::size_t(I)]->FPrimary == (Screens[I] == QGuiApplication::primaryScreen());
  if (Same && !FMonitors.empty())
    return;
  FMonitors.clear();
  for (qsizetype I = 0; I < Screens.size(); ++I) {
    auto M = std::make_unique<TMonitor>();
    M->FMonitorNum = Integer(I);
    M->FPrimary = Screens[I] == QGuiApplication::primaryScreen();
    M->FBoundsRect = FromQRect(Screens[I]->geometry());
    M->FWorkareaRect = FromQRect(Screens[I]->availableGeometry());
    FMonitors.push_back(std::move(M));
  }
  if (FMonitors.empty()) {
    // No screen at all: the one the rest of the platform assumes.
    auto M = std::make_unique<TMonitor>();
    M->FPrimary = true;
    M->FBoundsRect = M->FWorkareaRect = Rect(0, 0, 1024, 768);
    FMonitors.push_back(std::move(M));
  }
}

Integer TScreen::MonitorCount() const
{
  UpdateMonitors();
  return Integer(FMonitors.size());
}

TMonitor* TScreen::Monitors(Integer Index) const
{
  UpdateMonitors();
  return FMonitors.at(std::size_t(Index)).get();
}

TMonitor* TScreen::MonitorFromRect(const TRect& R, TMonitorDefaultTo Default) const
{
  UpdateMonitors();
  TMonitor* Best = nullptr;
  Int64 BestArea = 0;
  for (const auto& M : FMonitors) {
    const TRect B = M->BoundsRect();
    const Int64 W = std::min(B.Right, R.Right) - std::max(B.Left, R.Left);
    const Int64 H = std::min(B.Bottom, R.Bottom) - std::max(B.Top, R.Top);
    if (W > 0 && H > 0 && W * H > BestArea) {
      BestArea = W * H;
      Best = M.get();
    }
  }
  if (Best)
    return Best;
  // An empty rectangle or one beside every monitor: the one whose edge lies
  // nearest, when asked for.
  Int64 BestDistance = 0;
  for (const auto& M : FMonitors) {
    const TRect B = M->BoundsRect();
    const Int64 DX = R.Right <= B.Left ? B.Left - R.Right + 1 : R.Left >= B.Right ? R.Left - B.Right + 1 : 0;
    const Int64 DY = R.Bottom <= B.Top ? B.Top - R.Bottom + 1 : R.Top >= B.Bottom ? R.Top - B.Bottom + 1 : 0;
    const Int64 D = DX * DX + DY * DY;
    if (!Best || D < BestDistance) {
      Best = M.get();
      BestDistance = D;
    }
  }
  if (Default == mdNearest)
    return Best;
  if (Default == mdPrimary)
    for (const auto& M : FMonitors)
      if (M->Primary())
        return M.get();
  return nullptr;
}

TMonitor* TScreen::MonitorFromPoint(TPoint P, TMonitorDefaultTo Default) const
{
  return MonitorFromRect(TRect(P.X, P.Y, P.X + 1, P.Y + 1), Default);
}

void TScreen::AddForm(TCustomForm* Form) { FForms.push_back(Form); }
void TScreen::RemoveForm(TCustomForm* Form) { FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end()); }
void TScreen::AddDataModule(TDataModule* Module) { FDataModules.push_back(Module); }
void TScreen::RemoveDataModule(TDataModule* Module)
{
  FDataModules.erase(std::remove(FDataModules.begin(), FDataModules.end(), Module), FDataModules.end());
}

Integer ParamCount()
{
  return QCoreApplication::instance() ? Integer(QCoreApplication::arguments().size()) - 1 : 0;
}

String ParamStr(Integer Index)
{
  if (!QCoreApplication::instance())
    return String();
  const QStringList Args = QCoreApplication::arguments();
  return Index >= 0 && Index < Args.size() ? Args[Index] : String();
}

// Registration of this library's form-description classes, unit by unit.
void RegisterGraphicsClasses();
void RegisterControlsClasses();
void RegisterFormsClasses();

void RegisterGuiClasses()
{
  RegisterRtlClasses();
  RegisterGraphicsClasses();
  RegisterControlsClasses();
  RegisterFormsClasses();
  RegisterActnListClasses();
  RegisterButtonsClasses();
  RegisterImagingClasses();
}

void RegisterFormsClasses()
{
  RegisterEnum<TFormBorderStyle>("TFormBorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"});
  RegisterEnum<TBorderIcon>("TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"});
  RegisterEnum<TPosition>("TPosition", {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                        "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"});
  RegisterEnum<TFormStyle>("TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"});
  RegisterEnum<TWindowState>("TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"});
  RegisterEnum<TDefaultMonitor>("TDefaultMonitor", {"dmDesktop", "dmPrimary", "dmMainForm", "dmActiveForm"});
  RegisterClassInfo<TCustomForm, TWinControl>("TCustomForm")
    .Property("Width", &TCustomForm::Width, &TCustomForm::SetWidth).Stored(false)
    .Property("Height", &TCustomForm::Height, &TCustomForm::SetHeight).Stored(false)
    .Property("ParentFont", &TCustomForm::ParentFont, &TCustomForm::SetParentFont, false)
    .Property("ParentColor", &TCustomForm::ParentColor, &TCustomForm::SetParentColor, false)
    .Property("Color", &TCustomForm::Color, &TCustomForm::SetColor, clBtnFace).Idents(ColorIdentConverter(), ColorIntConverter())
    .Property("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
    .Property("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons, TBorderIcons{biSystemMenu, biMinimize, biMaximize})
    .Property("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle, bsSizeable)
    .Property("Caption", &TCustomForm::Caption, &TCustomForm::SetCaption)
    .Property("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight)
    .Property("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth)
    .Property("DefaultMonitor", &TCustomForm::DefaultMonitor, &TCustomForm::SetDefaultMonitor, dmActiveForm)
    .Property("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle, fsNormal)
    .Property("Icon", &TCustomForm::Icon, &TCustomForm::SetIcon)
    .Property("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview, false)
    .Property("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu)
    .Property("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder)
    .Property("PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch)
    .Property("Position", &TCustomForm::Position, &TCustomForm::SetPosition, poDefaultPosOnly)
    .Property("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled, false)
    .Property("TextHeight", &TCustomForm::TextHeight, &TCustomForm::SetTextHeight)
    .Property("Visible", &TCustomForm::Visible, &TCustomForm::SetVisible, false)
    .Property("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState, wsNormal)
    .Event("OnActivate", &TCustomForm::OnActivate)
    .Event("OnClose", &TCustomForm::OnClose)
    .Event("OnCloseQuery", &TCustomForm::OnCloseQuery)
    .Event("OnCreate", &TCustomForm::OnCreate)
    .Event("OnDeactivate", &TCustomForm::OnDeactivate)
    .Event("OnDestroy", &TCustomForm::OnDestroy)
    .Event("OnHide", &TCustomForm::OnHide)
    .Event("OnPaint", &TCustomForm::OnPaint)
    .Event("OnShow", &TCustomForm::OnShow);
  RegisterClassInfo<TForm, TCustomForm>("TForm");
  RegisterClassInfo<TDataModule, TComponent>("TDataModule")
    .Property("OldCreateOrder", &TDataModule::OldCreateOrder, &TDataModule::SetOldCreateOrder)
    .Property("Height", &TDataModule::Height, &TDataModule::SetHeight)
    .Property("Width", &TDataModule::Width, &TDataModule::SetWidth)
    .Event("OnCreate", &TDataModule::OnCreate)
    .Event("OnDestroy", &TDataModule::OnDestroy);
  RegisterStdCtrlsClasses();
  RegisterExtCtrlsClasses();
  RegisterComCtrlsClasses();
  RegisterMenusClasses();
  RegisterImgListClasses();
}

// ---------------------------------------------------------------------------
// Hints.

String GetShortHint(const String& Hint)
{
  const qsizetype Bar = Hint.indexOf(QLatin1Char('|'));
  return Bar < 0 ? Hint : Hint.left(Bar);
}

String GetLongHint(const String& Hint)
{
  const qsizetype Bar = Hint.indexOf(QLatin1Char('|'));
  return Bar < 0 ? Hint : Hint.mid(Bar + 1);
}

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
  SetColor(clInfoBk);
  Font()->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& Params)
{
  inherited::CreateParams(Params);
  Params.Style = WS_POPUP;
  Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  Params.WindowClass.style |= CS_SAVEBITS;
}

TRect THintWindow::CalcHintRect(Integer MaxWidth, const String& AHint, void*)
{
  TCanvas* C = ScreenCanvas();
  C->Font()->Assign(Font());
  TRect R(0, 0, MaxWidth, 0);
  DrawTextEx(C->Handle(), AHint, -1, R, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  // Room for the frame and a margin around the text.
  R.Right += 6;
  R.Bottom += 4;
  return R;
}

void THintWindow::ActivateHint(TRect Rect, const String& AHint)
{
  SetCaption(AHint);
  // Kept on the work area: moved left, or above the cursor, when it would
  // leave it.
  const TRect Work = Screen->WorkAreaRect();
  const Integer W = Rect.Width(), H = Rect.Height();
  if (Rect.Right > Work.Right)
    Rect.Left = Work.Right - W;
  if (Rect.Bottom > Work.Bottom)
    Rect.Top = Rect.Top - H - 24;
  Rect.Left = std::max(Rect.Left, Work.Left);
  Rect.Top = std::max(Rect.Top, Work.Top);
  HandleNeeded();
  SetWindowPos(this, HWND_TOPMOST, Rect.Left, Rect.Top, W, H, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::ActivateHintData(TRect Rect, const String& AHint, void*) { ActivateHint(Rect, AHint); }

void THintWindow::ReleaseHandle()
{
  if (HandleAllocated())
    DestroyHandle();
}

bool THintWindow::IsHintMsg(const TMessage& Message) const
{
  switch (Message.Msg) {
  case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN: case WM_KEYDOWN: case WM_SYSKEYDOWN:
  case WM_MOUSEWHEEL: case WM_CANCELMODE:
    return true;
  default:
    return false;
  }
}

void THintWindow::Paint()
{
  TCanvas* C = Canvas();
  TRect R = ClientRect();
  C->Brush()->SetColor(Color());
  C->Brush()->SetStyle(bsSolid);
  C->FillRect(R);
  C->Brush()->SetColor(clWindowFrame);
  C->FrameRect(R);
  C->Font()->Assign(Font());
  C->Brush()->SetStyle(bsClear);
  R.Left += 2;
  R.Top += 2;
  String Text = Caption();
  DrawTextEx(C->Handle(), Text, -1, R, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

bool TApplication::ShowsHint(TControl* Control) const
{
  if (!FShowHint || !Control)
    return false;
  // ParentShowHint takes the setting of the nearest parent that has its own.
  TControl* C = Control;
  while (C->ParentShowHint() && C->Parent())
    C = C->Parent();
  return C->ShowHint();
}

void TApplication::SetShowHint(bool Value)
{
  if (Value == FShowHint)
    return;
  FShowHint = Value;
  if (!Value)
    CancelHint();
}

void TApplication::SetMouseControl(TControl* Control)
{
  if (Control == FMouseControl)
    return;
  if (FMouseControl && FMouseControl != FHintControl)
    FMouseControl->RemoveFreeNotification(this);
  FMouseControl = Control;
  if (Control)
    Control->FreeNotification(this);
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FHintControl || AComponent == FMouseControl) {
    CancelHint();
    FHintControl = nullptr;
    FMouseControl = nullptr;
  }
}

void TApplication::StopHintTimers()
{
  if (FHintTimer)
    KillTimer(nullptr, FHintTimer);
  if (FHideTimer)
    KillTimer(nullptr, FHideTimer);
  FHintTimer = FHideTimer = 0;
}

void TApplication::StartHintTimer(Integer Pause)
{
  StopHintTimers();
  FHintTimer = SetTimer(nullptr, 0, UINT(std::max(1, Pause)),
                        [this](HWND, UINT, UINT_PTR, DWORD) { HintTimerExpired(); });
}

void TApplication::HintTimerExpired()
{
  StopHintTimers();
  if (FMouseControl)
    ActivateHint(FCursorPos);
}

void TApplication::CancelHint()
{
  StopHintTimers();
  if (FHintWindow)
    FHintWindow->ReleaseHandle();
  FHintActive = false;
  if (FHintControl && FHintControl != FMouseControl)
    FHintControl->RemoveFreeNotification(this);
  FHintControl = nullptr;
  SetMouseControl(nullptr);
}

void TApplication::HintMouseMessage(TControl* Control, const TMessage& Message)
{
  if (Message.Msg != WM_MOUSEMOVE) {
    if (FHintWindow && FHintWindow->IsHintMsg(Message))
      CancelHint();
    return;
  }
  if (!FShowHint || !Control)
    return;
  const TPoint Client(SmallInt(Message.LParam & 0xFFFF), SmallInt((Message.LParam >> 16) & 0xFFFF));
  FCursorPos = Control->ClientToScreen(Client);
  if (FHintActive && Control == FHintControl && PtInRect(FHintCursorRect, FCursorPos))
    return;   // still over what the hint describes
  if (Control == FMouseControl && !FHintActive)
    return;   // the pause is running, or the hint has had its time here
  const bool WasShowing = FHintActive;
  if (FHintWindow)
    FHintWindow->ReleaseHandle();
  FHintActive = false;
  SetMouseControl(Control);
  StopHintTimers();
  if (!ShowsHint(Control))
    return;
  // Moving from one hint to the next shows the next one almost at once.
  Integer Pause = WasShowing ? FHintShortPause : FHintPause;
  Control->Perform(CM_HINTSHOWPAUSE, WPARAM(WasShowing), LPARAM(&Pause));
  StartHintTimer(Pause);
}

void TApplication::ActivateHint(TPoint CursorPos)
{
  TControl* C = FMouseControl;
  if (!C || !ShowsHint(C))
    return;
  THintInfo Info;
  Info.HintControl = C;
  Info.HintWindowClass = HintWindowClassOf<THintWindow>();
  Info.HintPos = TPoint(CursorPos.X, CursorPos.Y + 20);   // below the pointer
  Info.HintMaxWidth = Screen->Width();
  Info.HintColor = FHintColor;
  Info.CursorRect = C->ClientRect();
  Info.CursorPos = C->ScreenToClient(CursorPos);
  Info.HideTimeout = FHintHidePause;
  // A control without a hint of its own shows its parent's.
  for (TControl* H = C; H; H = H->Parent())
    if (!H->Hint().isEmpty()) {
      Info.HintStr = GetShortHint(H->Hint());
      break;
    }
  if (C->Perform(CM_HINTSHOW, 0, LPARAM(&Info)) != 0)
    return;
  bool CanShow = true;
  if (OnShowHint)
    OnShowHint(Info.HintStr, CanShow, Info);
  if (!CanShow || Info.HintStr.isEmpty() || !Info.HintWindowClass)
    return;
  FHintWindow.reset(Info.HintWindowClass(nullptr));
  FHintWindow->SetColor(Info.HintColor);
  TRect R = FHintWindow->CalcHintRect(Info.HintMaxWidth, Info.HintStr, Info.HintData);
  OffsetRect(R, Info.HintPos.X, Info.HintPos.Y);
  FHintWindow->ActivateHintData(R, Info.HintStr, Info.HintData);
  FHintActive = true;
  FHintControl = C;
  C->FreeNotification(this);
  const TPoint TopLeft = C->ClientToScreen(TPoint(Info.CursorRect.Left, Info.CursorRect.Top));
  FHintCursorRect = Bounds(TopLeft.X, TopLeft.Y, Info.CursorRect.Width(), Info.CursorRect.Height());
  if (Info.HideTimeout > 0)
    FHideTimer = SetTimer(nullptr, 0, UINT(Info.HideTimeout), [this](HWND, UINT, UINT_PTR, DWORD) {
      // Hidden for good over this control: it shows again after the mouse moves to another.
      StopHintTimers();
      if (FHintWindow)
        FHintWindow->ReleaseHandle();
      FHintActive = false;
    });
}

int RunWithToolkit(int& Argc, char** Argv, const std::function<int()>& Main)
{
  QApplication App(Argc, Argv);
  return Main();
}
