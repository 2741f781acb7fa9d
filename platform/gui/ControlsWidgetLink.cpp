// ControlsWidgetLink.cpp: the widget link of the Controls unit, which turns
// the Qt events of a control's widget into the control's messages.
#include "platform/gui/Controls.h"

#include "platform/gui/ControlsQt.h"
#include "platform/gui/Forms.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

// A handler may recreate its control's widget or free the control while the
// link is delivering an event; the link is gone then and must not be touched.
static bool LinkGone(const QPointer<TWidgetLink>& Link) { return !Link || !IsLiveControl(Link->Control()); }

// ---------------------------------------------------------------------------
// The widget link: Qt events to messages.

void TWidgetLink::Watch(QWidget* Widget)
{
  Widget->installEventFilter(this);
  for (QWidget* Child : Widget->findChildren<QWidget*>())
    if (!Child->isWindow())
      Child->installEventFilter(this);
}

void TWidgetLink::SendNative(QObject* Receiver, QEvent* Event)
{
  const QPointer<TWidgetLink> Self(this);
  const bool Old = FBypass;
  FBypass = true;
  QCoreApplication::sendEvent(Receiver, Event);
  if (Self)
    FBypass = Old;
}

// The control's own widget handles the event, as the window procedure
// would: a key climbs the widgets inside the control until one takes it,
// but it never reaches the parent control (which would see it again).
bool TWidgetLink::DeliverNative(QObject* Receiver, QEvent* Event, bool Climb)
{
  const QPointer<TWidgetLink> Self(this);
  QWidget* Top = FControl->Widget();
  const bool Old = FBypass;
  FBypass = true;
  QObject* R = Receiver;
  while (R) {
    Event->accept();
    R->event(Event);
    if (LinkGone(Self))
      return true;
    if (!Climb || Event->isAccepted() || R == Top)
      break;
    R = R->parent();
  }
  FBypass = Old;
  return true;
}

static LPARAM PointParam(QPoint P) { return MakeLParam(Word(SmallInt(P.x())), Word(SmallInt(P.y()))); }

// Exceptions never cross the event loop: the application handles them.
bool TWidgetLink::eventFilter(QObject* Watched, QEvent* Event)
{
  if (FBypass || !IsLiveControl(FControl))
    return false;
  const QPointer<TWidgetLink> Self(this);
  TWinControl* Control = FControl;
  try {
    const bool Handled = Translate(Watched, Event);
    // A handled input event stops here: Qt would otherwise offer it to the
    // parent widgets, and so to the parent controls.
    if (Handled && Event->type() != QEvent::Close)
      Event->accept();
    return Handled;
  } catch (...) {
    Application->HandleException(IsLiveControl(Control) ? Control : nullptr);
    return true;
  }
}

bool TWidgetLink::Translate(QObject* Watched, QEvent* Event)
{
  QWidget* W = FControl->Widget();
  switch (Event->type()) {
  case QEvent::KeyPress:
    return KeyPress(Watched, static_cast<QKeyEvent*>(Event));
  case QEvent::KeyRelease:
    return KeyRelease(Watched, static_cast<QKeyEvent*>(Event));
  case QEvent::ShortcutOverride: {
    // Enter and Escape reach the control as keys, not as the widget's shortcuts.
    auto* K = static_cast<QKeyEvent*>(Event);
    if (K->key() == Qt::Key_Escape || K->key() == Qt::Key_Return || K->key() == Qt::Key_Enter)
      K->accept();
    return false;
  }
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonRelease:
  case QEvent::MouseButtonDblClick:
  case QEvent::MouseMove:
    return Mouse(qobject_cast<QWidget*>(Watched), static_cast<QMouseEvent*>(Event));
  case QEvent::Wheel:
    return Wheel(Watched, static_cast<QWheelEvent*>(Event));
  case QEvent::Paint:
    return Paint(Watched, Event);
  case QEvent::FocusIn:
    if (Watched == W || (W && W->focusProxy() == Watched) || qobject_cast<QWidget*>(Watched)) {
      TMessage M{WM_SETFOCUS, 0, 0, 0};
      return !PerformNative(FControl, M);
    }
    return false;
  case QEvent::FocusOut: {
    TMessage M{WM_KILLFOCUS, 0, 0, 0};
    return !PerformNative(FControl, M);
  }
  case QEvent::Show:
  case QEvent::Hide:
    if (Watched == W && !FShowing) {
      const QPointer<TWidgetLink> Self(this);
      FShowing = true;
      FControl->Perform(CM_SHOWINGCHANGED, WPARAM(Event->type() == QEvent::Show));
      if (Self)
        FShowing = false;
    }
    return false;
  case QEvent::Enter:
    if (Watched == W)
      FControl->Perform(CM_MOUSEENTER);
    return false;
  case QEvent::Leave:
    if (Watched == W)
      FControl->Perform(CM_MOUSELEAVE);
    return false;
  case QEvent::Resize:
    if (Watched == W && W->isWindow()) {
      // WM_SIZE tells the client area's size: the frame is no part of it.
      TWidgetState* State = FControl->WidgetState();
      QSize S = static_cast<QResizeEvent*>(Event)->size();
      if (State->Client)
        S -= QSize(State->Frame.Left + State->Frame.Right, State->Frame.Top + State->Frame.Bottom);
      TMessage M{WM_SIZE, 0, MakeLParam(Word(std::max(S.width(), 0)), Word(std::max(S.height(), 0))), 0};
      const QPointer<TWidgetLink> Self(this);
      PerformNative(FControl, M);
      // A window sized by the window manager keeps its client area inside
      // its frame.
      if (!LinkGone(Self) && State->Client)
        FControl->UpdateNonClientArea();
    }
    return false;
  case QEvent::Close:
    if (Watched == W && W->isWindow()) {
      TMessage M{WM_CLOSE, 0, 0, 0};
      PerformNative(FControl, M);
      Event->ignore();
      return true;
    }
    return false;
  case QEvent::WindowActivate:
  case QEvent::WindowDeactivate:
    if (Watched == W && W->isWindow()) {
      TMessage M{WM_ACTIVATE, WPARAM(Event->type() == QEvent::WindowActivate ? 1 : 0), 0, 0};
      PerformNative(FControl, M);
    }
    return false;
  default:
    return false;
  }
}

bool TWidgetLink::KeyPress(QObject* Receiver, QKeyEvent* E)
{
  const Word VK = QtKeyToVirtualKey(E->key());
  const bool Alt = E->modifiers() & Qt::AltModifier;
  const LPARAM KeyData = (Alt ? 0x20000000 : 0) | (E->isAutoRepeat() ? 0x40000000 : 0) | 1;
  SetMessageTime(LongInt(E->timestamp()));
  const QPointer<TWidgetLink> Self(this);
  TWinControl* C = FControl;
  if (VK != 0) {
    if (C->Perform(CN_KEYDOWN, VK, KeyData) != 0)
      return true;
    if (LinkGone(Self))
      return true;
  }
  bool KeyConsumed = false;
  if (VK != 0) {
    TMessage Down{UINT(Alt ? WM_SYSKEYDOWN : WM_KEYDOWN), VK, KeyData, 0};
    KeyConsumed = !PerformNative(C, Down);
    if (LinkGone(Self))
      return true;
  }
  // The character the key gives, as the window system's WM_CHAR carries it.
  String Text = E->text();
  if (VK == VK_RETURN)
    Text = QStringLiteral("\r");
  else if (VK == VK_BACK)
    Text = QStringLiteral("\b");
  else if (VK == VK_ESCAPE)
    Text = QString(QChar(27));
  else if (VK == VK_TAB)
    Text = QStringLiteral("\t");
  const bool HasChar = !Text.isEmpty() && !Alt && !(E->modifiers() & Qt::ControlModifier && Text[0] >= QChar(' '));
  bool CharConsumed = false;
  QChar NewChar;
  if (HasChar) {
    if (C->Perform(CN_CHAR, Text[0].unicode(), KeyData) != 0 || LinkGone(Self))
      return true;
    TMessage Chr{WM_CHAR, Text[0].unicode(), KeyData, 0};
    CharConsumed = !PerformNative(C, Chr);
    if (LinkGone(Self))
      return true;
    NewChar = QChar(char16_t(Chr.WParam));
  }
  if (!KeyConsumed && (!HasChar || (!CharConsumed && NewChar == Text[0])))
    return DeliverNative(Receiver, E, true);   // the widget handles the key as it is
  if (HasChar && !CharConsumed) {
    // The key's own action was taken away or the character changed: the
    // widget gets only the character.
    int Key = Qt::Key_unknown;
    if (NewChar == QChar('\b'))
      Key = Qt::Key_Backspace;
    else if (NewChar == QChar('\r'))
      Key = Qt::Key_Return;
    else if (NewChar == QChar('\t'))
      Key = Qt::Key_Tab;
    else if (NewChar == QChar(27))
      Key = Qt::Key_Escape;
    QKeyEvent Char(QEvent::KeyPress, Key, E->modifiers() & ~Qt::ControlModifier, String(NewChar));
    DeliverNative(Receiver, &Char, true);
  }
  return true;
}

bool TWidgetLink::KeyRelease(QObject* Receiver, QKeyEvent* E)
{
  const Word VK = QtKeyToVirtualKey(E->key());
  if (VK == 0)
    return DeliverNative(Receiver, E, true);
  const bool Alt = E->modifiers() & Qt::AltModifier;
  TMessage Up{UINT(Alt ? WM_SYSKEYUP : WM_KEYUP), VK, LPARAM(0xC0000001 | (Alt ? 0x20000000 : 0)), 0};
  const QPointer<TWidgetLink> Self(this);
  if (PerformNative(FControl, Up) && !LinkGone(Self))
    DeliverNative(Receiver, E, true);
  return true;
}

bool TWidgetLink::Mouse(QWidget* Receiver, QMouseEvent* E)
{
  if (!Receiver)
    return false;
  SetMessageTime(LongInt(E->timestamp()));
  QWidget* Client = FControl->ClientWidget();
  const QPoint Global = E->globalPosition().toPoint();
  QPoint Local = (Client ? Client : FControl->Widget())->mapFromGlobal(Global);
  TControl* Target = FControl;
  // A graphic child under the mouse (or holding the capture) gets the message.
  TControl* Captured = ::Mouse()->Capture();
  if (Captured && Captured->Parent() == FControl && !dynamic_cast<TWinControl*>(Captured))
    Target = Captured;
  else if (TControl* G = FControl->ControlAtPos(TPoint(Local.x(), Local.y()), false))
    Target = G;
  const bool Framed = FControl->WidgetState()->Client != nullptr;
  if (Target != FControl)
    Local -= QPoint(Target->Left(), Target->Top());
  else
    Local = (Framed ? Client : FControl->Widget())->mapFromGlobal(Global);
  UINT Msg = WM_MOUSEMOVE;
  const bool Press = E->type() == QEvent::MouseButtonPress;
  const bool Dbl = E->type() == QEvent::MouseButtonDblClick;
  if (E->type() != QEvent::MouseMove) {
    switch (E->button()) {
    case Qt::LeftButton: Msg = Press ? WM_LBUTTONDOWN : Dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONUP; break;
    case Qt::RightButton: Msg = Press ? WM_RBUTTONDOWN : Dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONUP; break;
    case Qt::MiddleButton: Msg = Press ? WM_MBUTTONDOWN : Dbl ? WM_MBUTTONDBLCLK : WM_MBUTTONUP; break;
    default: return false;
    }
    if (Dbl && !Target->ControlStyle().Contains(csDoubleClicks))
      Msg -= 2;   // a second press instead of a double click
  }
  const QPointer<TWidgetLink> Self(this);
  if (Press || Dbl) {
    // The press ends the windows that counted as active before it lands.
    PopupActivationPress(FControl);
    if (LinkGone(Self))
      return true;
  }
  if (Target == FControl && dynamic_cast<TControlWidget*>(FControl->Widget()) &&
      !dynamic_cast<TCustomForm*>(FControl)) {
    // Where the window system asks before every mouse message; the frame
    // takes no client input unless the control holds the mouse.
    const LRESULT Hit = FControl->Perform(WM_NCHITTEST, 0, PointParam(Global));
    if (LinkGone(Self))
      return true;
    if (Hit == HTBORDER && ::Mouse()->Capture() != FControl)
      return true;
  }
  if ((Press || Dbl) && !FControl->Widget()->isActiveWindow() && !MouseActivate(Msg))
    return true;   // the window eats the click that would have activated it
  if (LinkGone(Self))
    return true;
  TMessage M{Msg, ShiftToKeys(E->modifiers(), E->buttons() | (Press || Dbl ? E->button() : Qt::NoButton)),
             PointParam(Local), 0};
  const bool Own = Target == FControl;
  const bool Default = PerformNative(Target, M);
  if (Own && Default && !LinkGone(Self))
    DeliverNative(Receiver, E, false);
  return true;
}

// A press in a window that is not active asks the clicked control, then its
// parents, whether the window may activate and whether the click counts.
bool TWidgetLink::MouseActivate(UINT Msg)
{
  TWinControl* Top = FControl;
  while (Top->Parent())
    Top = Top->Parent();
  LRESULT Answer = 0;
  for (TWinControl* C = FControl; C && IsLiveControl(C) && Answer == 0; C = C->Parent()) {
    Answer = C->Perform(WM_MOUSEACTIVATE, WPARAM(Top), MakeLParam(HitClient, Word(Msg)));
  }
  constexpr LRESULT ActivateAndEat = 2;
  return Answer != ActivateAndEat && Answer != MouseActivateNoActivateAndEat;
}

bool TWidgetLink::Wheel(QObject* Receiver, QWheelEvent* E)
{
  const int Delta = E->angleDelta().y();
  if (Delta == 0)
    return false;
  const QPoint G = E->globalPosition().toPoint();
  TMessage M{WM_MOUSEWHEEL, MakeWParam(ShiftToKeys(E->modifiers(), E->buttons()), Word(SmallInt(Delta))),
             PointParam(G), 0};
  // The wheel goes to the control with the focus, as the window system sends it.
  TControl* Target = FControl;
  if (TWinControl* Focused = FindControl(nullptr))
    Target = Focused;
  const QPointer<TWidgetLink> Self(this);
  if (PerformNative(Target, M) && !LinkGone(Self))
    DeliverNative(Receiver, E, false);
  return true;
}

bool TWidgetLink::Paint(QObject* Receiver, QEvent* Event)
{
  TWidgetState* S = FControl->WidgetState();
  if (S->Client && Receiver == FControl->Widget()) {
    // The frame: filled with the control's colour, then drawn by the
    // control (WM_NCPAINT); the client widget covers the rest.
    QWidget* W = FControl->Widget();
    const QRegion Frame = QRegion(W->rect()) - QRegion(S->Client->geometry());
    QPainter P(W);
    P.setClipRegion(Frame);
    P.fillRect(W->rect(), ToQColor(COLORREF(ColorToRGB(FControl->Color()))));
    TDeviceContext DC(&P, W->size());
    DC.State.Clip = Frame;
    DC.ApplyState();
    S->FramePaintDC = &DC;
    const QPointer<TWidgetLink> Self(this);
    TWinControl* C = FControl;
    try {
      C->Perform(WM_NCPAINT, 1, 0);
    } catch (...) {
      if (Self)
        S->FramePaintDC = nullptr;
      throw;
    }
    if (Self)
      S->FramePaintDC = nullptr;
    return true;
  }
  // Children and graphic controls stand on the client widget (below a
  // form's menu bar); that is where the control paints.
  QWidget* Surface = FControl->ClientWidget();
  if (!Surface || Receiver != Surface)
    return false;
  const bool Own = dynamic_cast<TControlWidget*>(Surface) != nullptr || Surface != FControl->Widget();
  bool HasGraphic = false;
  for (TControl* C : FControl->FControls)
    HasGraphic = HasGraphic || dynamic_cast<TGraphicControl*>(C);
  if (!Own && !HasGraphic)
    return false;
  if (!Own) {
    // The widget paints itself first; graphic children go on top.
    const QPointer<TWidgetLink> Self(this);
    SendNative(Receiver, Event);
    if (LinkGone(Self))
      return true;
  }
  QPainter P(Surface);
  TDeviceContext DC(&P, Surface->size());
  DC.State.Clip = static_cast<QPaintEvent*>(Event)->region();
  DC.ApplyState();
  if (Own)
    FControl->Perform(WM_PAINT, WPARAM(&DC));
  else
    FControl->PaintControls(&DC, nullptr);
  return true;
}
