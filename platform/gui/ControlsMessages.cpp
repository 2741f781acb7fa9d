// ControlsMessages.cpp: the message queue, timers and the window functions
// of the Controls unit (painting, scrolling, focus, top-level window styles,
// layering and shapes).
#include "platform/gui/Controls.h"

#include "platform/gui/ControlsQt.h"
#include "platform/gui/Forms.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <deque>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------
// Window functions over controls.

bool InvalidateRect(HWND Wnd, const TRect* R, bool)
{
  if (!IsLiveControl(Wnd) || !Wnd->HandleAllocated())
    return false;
  if (R)
    Wnd->ClientWidget()->update(ToQRect(*R));
  else
    Wnd->Widget()->update();
  return true;
}

// Qt keeps no update region that could be validated; the next paint covers it.
bool ValidateRect(HWND Wnd, const TRect*) { return IsLiveControl(Wnd); }

bool UpdateWindow(HWND Wnd)
{
  if (!IsLiveControl(Wnd) || !Wnd->HandleAllocated())
    return false;
  Wnd->Widget()->repaint();
  return true;
}

Integer ScrollWindowEx(HWND Wnd, Integer DX, Integer DY, const TRect* Scroll, const TRect* Clip, HRGN Update,
                       TRect* UpdateRect, UINT Flags)
{
  if (!IsLiveControl(Wnd) || !Wnd->HandleAllocated())
    return ERROR;
  QWidget* W = Wnd->ClientWidget();
  TRect Area = Scroll ? *Scroll : Wnd->ClientRect();
  if (Clip)
    IntersectRect(Area, Area, *Clip);
  // The uncovered strip is what needs painting.
  QRegion Exposed(ToQRect(Area));
  Exposed -= QRegion(ToQRect(Area).translated(DX, DY)) & QRegion(ToQRect(Area));
  if (Flags & SW_SCROLLCHILDREN)
    W->scroll(DX, DY);
  else
    W->scroll(DX, DY, ToQRect(Area));
  if (Update) {
    HRGN Tmp = CreateRectRgn(0, 0, 0, 0);
    for (const QRect& Q : Exposed) {
      HRGN One = CreateRectRgnIndirect(FromQRect(Q));
      CombineRgn(Tmp, Tmp, One, RGN_OR);
      DeleteObject(One);
    }
    CombineRgn(Update, Tmp, nullptr, RGN_COPY);
    DeleteObject(Tmp);
  }
  if (UpdateRect)
    *UpdateRect = Exposed.isEmpty() ? TRect() : FromQRect(Exposed.boundingRect());
  if (Flags & SW_INVALIDATE)
    W->update(Exposed);
  return Exposed.isEmpty() ? NULLREGION : (Exposed.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION);
}

bool GetClientRect(HWND Wnd, TRect& R)
{
  if (!IsLiveControl(Wnd))
    return false;
  R = Wnd->ClientRect();
  return true;
}

bool GetWindowRect(HWND Wnd, TRect& R)
{
  if (!IsLiveControl(Wnd))
    return false;
  const TPoint P = Wnd->Parent() ? Wnd->Parent()->ClientToScreen(TPoint(Wnd->Left(), Wnd->Top()))
                                 : TPoint(Wnd->Left(), Wnd->Top());
  R = Bounds(P.X, P.Y, Wnd->Width(), Wnd->Height());
  return true;
}

bool ClientToScreen(HWND Wnd, TPoint& P)
{
  if (!IsLiveControl(Wnd))
    return false;
  P = Wnd->ClientToScreen(P);
  return true;
}

bool ScreenToClient(HWND Wnd, TPoint& P)
{
  if (!IsLiveControl(Wnd))
    return false;
  P = Wnd->ScreenToClient(P);
  return true;
}

bool IsWindowVisible(HWND Wnd) { return IsLiveControl(Wnd) && Wnd->Showing(); }
bool IsWindowEnabled(HWND Wnd)
{
  return IsLiveControl(Wnd) && Wnd->Enabled() && !(Wnd->HandleAllocated() && WindowDisabledByModal(Wnd->Widget()));
}
bool IsChild(HWND Parent, HWND Wnd) { return IsLiveControl(Parent) && IsLiveControl(Wnd) && Parent != Wnd && Parent->ContainsControl(Wnd); }

HWND SetFocus(HWND Wnd)
{
  HWND Old = GetFocus();
  if (IsLiveControl(Wnd))
    Wnd->SetFocus();
  return Old;
}

HWND GetFocus() { return FindControl(nullptr); }

HDC GetDC(HWND) { return ScreenCanvas()->Handle(); }

HDC GetWindowDC(HWND Wnd)
{
  if (!IsLiveControl(Wnd) || !Wnd->HandleAllocated())
    return nullptr;
  return Wnd->WidgetState()->FramePaintDC;
}
Integer ReleaseDC(HWND, HDC) { return 1; }

// ---------------------------------------------------------------------------
// The message queue.

namespace {

// Posted messages, delivered one per wake-up event in the order posted.
class TMessageQueue : public QObject {
public:
  struct TEntry {
    HWND Wnd;
    TMessage Msg;
    bool Quit = false;
  };
  std::deque<TEntry> Entries;
  // Key and mouse input held back while someone peeks at the queue.
  struct THeldInput {
    QPointer<QObject> Receiver;
    std::unique_ptr<QEvent> Event;
  };
  std::deque<THeldInput> Held;
  bool Peeking = false;
  int DeferredWakes = 0;
  // Objects whose deferred deletion came due while peeking.
  std::vector<QPointer<QObject>> HeldDeletes;

  void Post(TEntry E)
  {
    Entries.push_back(E);
    QCoreApplication::postEvent(this, new QEvent(QEvent::User));
  }

  bool event(QEvent* E) override
  {
    if (E->type() != QEvent::User)
      return QObject::event(E);
    // Peeking looks at the queue; it delivers nothing from it.
    if (Peeking) {
      ++DeferredWakes;
      return true;
    }
    if (Entries.empty())
      return true;
    TEntry Entry = Entries.front();
    Entries.pop_front();
    if (Entry.Quit) {
      Application->Terminate();
      return true;
    }
    try {
      // A message without a window has nobody to go to.
      if (Entry.Wnd && IsLiveControl(Entry.Wnd))
        Entry.Wnd->Perform(Entry.Msg.Msg, Entry.Msg.WParam, Entry.Msg.LParam);
    } catch (...) {
      Application->HandleException(IsLiveControl(Entry.Wnd) ? Entry.Wnd : nullptr);
    }
    return true;
  }

  bool eventFilter(QObject* Watched, QEvent* E) override
  {
    if (!Peeking)
      return false;
    switch (E->type()) {
    // A peek may run inside the toolkit's own delivery of a window event
    // (the focus given on activation), which still holds the window it
    // leaves: a window freed here would be freed under it.
    case QEvent::DeferredDelete:
      HeldDeletes.emplace_back(Watched);
      return true;
    case QEvent::KeyPress: case QEvent::KeyRelease:
      Held.push_back({Watched, std::unique_ptr<QEvent>(E->clone())});
      return true;
    case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
      Held.push_back({Watched, std::unique_ptr<QEvent>(static_cast<QMouseEvent*>(E)->clone())});
      return true;
    case QEvent::Wheel:
      Held.push_back({Watched, std::unique_ptr<QEvent>(static_cast<QWheelEvent*>(E)->clone())});
      return true;
    default:
      return false;
    }
  }

  // Lets the window system hand over what input it has, holding it back.
  void Gather()
  {
    if (!qApp || Peeking)
      return;
    static bool Installed = false;
    if (!Installed) {
      qApp->installEventFilter(this);
      Installed = true;
    }
    Peeking = true;
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers | QEventLoop::X11ExcludeTimers);
    Peeking = false;
    for (; DeferredWakes > 0; --DeferredWakes)
      QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    // Freed when the event loop comes back past the caller.
    for (const QPointer<QObject>& O : std::exchange(HeldDeletes, {}))
      if (O)
        QCoreApplication::postEvent(O, new QDeferredDeleteEvent);
  }

  // Gives held input back to the event loop, in order.
  void Release()
  {
    while (!Held.empty()) {
      THeldInput H = std::move(Held.front());
      Held.pop_front();
      if (H.Receiver)
        QCoreApplication::postEvent(H.Receiver, H.Event.release());
    }
  }
};

TMessageQueue& Queue()
{
  static TMessageQueue* Q = new TMessageQueue;
  return *Q;
}

UINT MessageOfInput(const QEvent* E)
{
  switch (E->type()) {
  case QEvent::KeyPress: return WM_KEYDOWN;
  case QEvent::KeyRelease: return WM_KEYUP;
  case QEvent::MouseButtonPress: {
    const auto B = static_cast<const QMouseEvent*>(E)->button();
    return B == Qt::RightButton ? WM_RBUTTONDOWN : B == Qt::MiddleButton ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
  }
  case QEvent::MouseButtonRelease: {
    const auto B = static_cast<const QMouseEvent*>(E)->button();
    return B == Qt::RightButton ? WM_RBUTTONUP : B == Qt::MiddleButton ? WM_MBUTTONUP : WM_LBUTTONUP;
  }
  case QEvent::MouseButtonDblClick: return WM_LBUTTONDBLCLK;
  case QEvent::Wheel: return WM_MOUSEWHEEL;
  default: return WM_NULL;
  }
}

HWND ControlOfObject(QObject* O)
{
  for (auto* W = qobject_cast<QWidget*>(O); W; W = W->parentWidget())
    for (QObject* C : W->children())
      if (auto* L = dynamic_cast<TWidgetLink*>(C))
        return L->Control();
  return nullptr;
}

bool InFilter(UINT Msg, UINT Min, UINT Max) { return (Min == 0 && Max == 0) || (Msg >= Min && Msg <= Max); }

} // namespace

LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
  if (!IsLiveControl(Wnd))
    return 0;
  return Wnd->Perform(Msg, WParam, LParam);
}

bool PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
  if (Wnd && !IsLiveControl(Wnd))
    return false;
  Queue().Post({Wnd, TMessage{Msg, WParam, LParam, 0}});
  return true;
}

bool PostMessageOnce(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
  for (const auto& E : Queue().Entries)
    if (E.Wnd == Wnd && E.Msg.Msg == Msg)
      return true;
  return PostMessage(Wnd, Msg, WParam, LParam);
}

void DropPostedMessages(const TControl* Control)
{
  std::erase_if(Queue().Entries, [Control](const TMessageQueue::TEntry& E) {
    return E.Wnd && static_cast<const TControl*>(E.Wnd) == Control;
  });
}

void PostQuitMessage(Integer ExitCode)
{
  TMessageQueue::TEntry E{nullptr, TMessage{WM_QUIT, WPARAM(ExitCode), 0, 0}, true};
  Queue().Post(E);
}

bool PeekMessage(TMsg& Msg, HWND Wnd, UINT FilterMin, UINT FilterMax, UINT RemoveMsg)
{
  TMessageQueue& Q = Queue();
  Q.Gather();
  bool Found = false;
  // Held input first: it arrived before anything posted after this call.
  for (auto It = Q.Held.begin(); It != Q.Held.end() && !Found; ++It) {
    const UINT M = MessageOfInput(It->Event.get());
    HWND Target = ControlOfObject(It->Receiver.data());
    if (M == WM_NULL || !InFilter(M, FilterMin, FilterMax) || (Wnd && Target != Wnd))
      continue;
    Msg = TMsg{Target, M, 0, 0, DWORD(GetMessageTime()), TPoint()};
    if (M == WM_KEYDOWN || M == WM_KEYUP)
      Msg.wParam = QtKeyToVirtualKey(static_cast<QKeyEvent*>(It->Event.get())->key());
    // A held press tells where it is, as a queued one does.
    if (It->Event->type() == QEvent::MouseButtonPress || It->Event->type() == QEvent::MouseButtonDblClick ||
        It->Event->type() == QEvent::MouseButtonRelease) {
      const QPoint P = static_cast<QMouseEvent*>(It->Event.get())->position().toPoint();
      Msg.lParam = MakeLParam(Word(P.x()), Word(P.y()));
    }
    Found = true;
    if (RemoveMsg & PM_REMOVE)
      Q.Held.erase(It);
    break;
  }
  if (!Found) {
    for (auto It = Q.Entries.begin(); It != Q.Entries.end(); ++It) {
      const UINT M = It->Msg.Msg;
      // A quit message is handed out whatever the filter.
      if (!It->Quit && (!InFilter(M, FilterMin, FilterMax) || (Wnd && It->Wnd != Wnd)))
        continue;
      Msg = TMsg{It->Wnd, M, It->Msg.WParam, It->Msg.LParam, DWORD(GetMessageTime()), TPoint()};
      Found = true;
      if (RemoveMsg & PM_REMOVE)
        Q.Entries.erase(It);
      break;
    }
  }
  Q.Release();
  return Found;
}

bool InputPending()
{
  TMsg M;
  return PeekMessage(M, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE) ||
         PeekMessage(M, nullptr, WM_MOUSEFIRST + 1, WM_MOUSELAST, PM_NOREMOVE);
}

bool RemovePendingMessage(HWND Wnd, UINT Msg)
{
  TMsg M;
  const bool Removed = PeekMessage(M, Wnd, Msg, Msg, PM_REMOVE);
  if (Removed && M.message == WM_QUIT)
    PostQuitMessage(Integer(M.wParam));
  return Removed;
}

// ---------------------------------------------------------------------------
// Timers: one list of due times on the time source, served by one Qt timer
// on the monotonic clock, or by TTestClock::Advance on a test clock.

namespace {

struct TTimerEntry {
  HWND Wnd = nullptr;
  UINT_PTR ID = 0;
  UINT Elapse = 0;
  TIMERPROC Proc;
  UInt64 Due = 0;
};

struct TTimerList {
  std::vector<TTimerEntry> Entries;
  QPointer<QTimer> Pump;
  UINT_PTR NextID = 0x7F00;
};

TTimerList& Timers()
{
  static TTimerList List;
  return List;
}

TTestClock* GActiveTestClock = nullptr;

void ArmTimerPump();

// The entry due first at or before Until; -1 when none.
Integer FirstDue(UInt64 Until)
{
  const auto& E = Timers().Entries;
  Integer Best = -1;
  for (Integer I = 0; I < Integer(E.size()); ++I)
    if (E[std::size_t(I)].Due <= Until && (Best < 0 || E[std::size_t(I)].Due < E[std::size_t(Best)].Due))
      Best = I;
  return Best;
}

void FireTimer(const TTimerEntry& E)
{
  const DWORD Time = DWORD(GetTickCount64());
  try {
    if (E.Proc)
      E.Proc(E.Wnd, WM_TIMER, E.ID, Time);
    else if (E.Wnd && IsLiveControl(E.Wnd))
      E.Wnd->Perform(WM_TIMER, E.ID, 0);
  } catch (...) {
    Application->HandleException(E.Wnd && IsLiveControl(E.Wnd) ? E.Wnd : nullptr);
  }
}

// On the monotonic clock a late timer fires once and counts on from now, as
// the window system merges the ticks it missed.
void FireDueTimers()
{
  const UInt64 Now = GetTickCount64();
  std::vector<TTimerEntry> Due;
  for (TTimerEntry& E : Timers().Entries)
    if (E.Due <= Now) {
      E.Due = Now + E.Elapse;
      Due.push_back(E);
    }
  for (const TTimerEntry& E : Due) {
    // A timer killed by an earlier one in this round does not fire.
    const auto& List = Timers().Entries;
    const bool Alive = std::any_of(List.begin(), List.end(), [&E](const TTimerEntry& L) {
      return L.Wnd == E.Wnd && L.ID == E.ID;
    });
    if (Alive)
      FireTimer(E);
  }
  ArmTimerPump();
}

void ArmTimerPump()
{
  TTimerList& L = Timers();
  if (!QCoreApplication::instance())
    return;
  if (!L.Pump) {
    L.Pump = new QTimer(QCoreApplication::instance());
    L.Pump->setSingleShot(true);
    L.Pump->setTimerType(Qt::PreciseTimer);
    QObject::connect(L.Pump, &QTimer::timeout, [] { FireDueTimers(); });
  }
  L.Pump->stop();
  if (GActiveTestClock || L.Entries.empty())
    return;
  UInt64 First = L.Entries.front().Due;
  for (const TTimerEntry& E : L.Entries)
    First = std::min(First, E.Due);
  const UInt64 Now = GetTickCount64();
  L.Pump->start(int(First > Now ? std::min<UInt64>(First - Now, 0x7FFFFFFF) : 0));
}

// A change of clock counts every timer on from the new clock's time.
void RebaseTimers()
{
  const UInt64 Now = GetTickCount64();
  for (TTimerEntry& E : Timers().Entries)
    E.Due = Now + E.Elapse;
  ArmTimerPump();
}

} // namespace

void KillTimersOf(HWND Wnd)
{
  auto& E = Timers().Entries;
  E.erase(std::remove_if(E.begin(), E.end(), [Wnd](const TTimerEntry& T) { return T.Wnd == Wnd; }), E.end());
}

UINT_PTR SetTimer(HWND Wnd, UINT_PTR IDEvent, UINT Elapse, TIMERPROC Proc)
{
  if (Wnd && !IsLiveControl(Wnd))
    return 0;
  TTimerList& L = Timers();
  auto It = std::find_if(L.Entries.begin(), L.Entries.end(),
                         [&](const TTimerEntry& E) { return E.Wnd == Wnd && E.ID == IDEvent; });
  if (It == L.Entries.end()) {
    if (!Wnd)
      IDEvent = ++L.NextID;
    L.Entries.push_back(TTimerEntry{Wnd, IDEvent, 0, nullptr, 0});
    It = L.Entries.end() - 1;
  }
  // A zero interval would fire without end.
  It->Elapse = std::max<UINT>(Elapse, 1);
  It->Proc = std::move(Proc);
  It->Due = GetTickCount64() + It->Elapse;
  ArmTimerPump();
  return IDEvent;
}

bool KillTimer(HWND Wnd, UINT_PTR IDEvent)
{
  auto& E = Timers().Entries;
  const auto Before = E.size();
  E.erase(std::remove_if(E.begin(), E.end(), [&](const TTimerEntry& T) { return T.Wnd == Wnd && T.ID == IDEvent; }),
          E.end());
  ArmTimerPump();
  return E.size() != Before;
}

TTestClock::TTestClock(UInt64 Start) : FNow(Start), FPrevious(GActiveTestClock)
{
  GActiveTestClock = this;
  RebaseTimers();
}

TTestClock::~TTestClock()
{
  GActiveTestClock = FPrevious;
  RebaseTimers();
}

TTestClock* TTestClock::Active() { return GActiveTestClock; }

void TTestClock::Advance(Cardinal Ms)
{
  const UInt64 Target = FNow + Ms;
  for (;;) {
    const Integer I = FirstDue(Target);
    if (I < 0)
      break;
    TTimerEntry& E = Timers().Entries[std::size_t(I)];
    FNow = std::max(FNow, E.Due);
    E.Due += E.Elapse;
    const TTimerEntry Copy = E;
    FireTimer(Copy);
  }
  FNow = std::max(FNow, Target);
}

// ---------------------------------------------------------------------------
// Top-level windows: styles, showing and placing without activation,
// layering and shapes.

static bool LiveWindow(HWND Wnd)
{
  if (!Wnd || !IsLiveControl(Wnd))
    return false;
  Wnd->HandleNeeded();
  return Wnd->Widget() != nullptr;
}

LongInt GetWindowLong(HWND Wnd, Integer Index)
{
  if (!LiveWindow(Wnd))
    return 0;
  const TWidgetState* S = Wnd->WidgetState();
  if (Index == GWL_STYLE) {
    DWORD Style = S->Style & ~(WS_VISIBLE | WS_DISABLED);
    if (Wnd->Widget()->isVisible())
      Style |= WS_VISIBLE;
    if (!Wnd->Widget()->isEnabled())
      Style |= WS_DISABLED;
    return LongInt(Style);
  }
  return Index == GWL_EXSTYLE ? LongInt(S->ExStyle) : 0;
}

LongInt SetWindowLong(HWND Wnd, Integer Index, LongInt NewLong)
{
  if (!LiveWindow(Wnd))
    return 0;
  const LongInt Old = GetWindowLong(Wnd, Index);
  TWidgetState* S = Wnd->WidgetState();
  QWidget* W = Wnd->Widget();
  if (Index == GWL_STYLE) {
    S->Style = DWORD(NewLong);
    return Old;
  }
  if (Index != GWL_EXSTYLE)
    return 0;
  const DWORD Ex = DWORD(NewLong);
  const DWORD Changed = Ex ^ S->ExStyle;
  S->ExStyle = Ex;
  if (!W->isWindow())
    return Old;
  if (Changed & WS_EX_NOACTIVATE) {
    S->NoActivate = Ex & WS_EX_NOACTIVATE;
    const bool Visible = W->isVisible();
    W->setWindowFlags(W->windowFlags().setFlag(Qt::WindowDoesNotAcceptFocus, S->NoActivate));
    W->setAttribute(Qt::WA_ShowWithoutActivating, S->NoActivate);
    if (Visible)
      W->show();
  }
  if (Changed & WS_EX_TOPMOST)
    SetWindowPos(Wnd, (Ex & WS_EX_TOPMOST) ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if ((Changed & WS_EX_LAYERED) && !(Ex & WS_EX_LAYERED)) {
    // No longer layered: opaque and rectangular again (but for its region).
    S->LayeredFlags = 0;
    W->setWindowOpacity(1.0);
    UpdateWindowShape(Wnd);
  }
  return Old;
}

// Shows a window; without activation it leaves the active window alone.
static void ShowWidget(HWND Wnd, bool Activate)
{
  QWidget* W = Wnd->Widget();
  const bool NoActivate = !Activate || Wnd->WidgetState()->NoActivate;
  const bool Had = W->testAttribute(Qt::WA_ShowWithoutActivating);
  W->setAttribute(Qt::WA_ShowWithoutActivating, NoActivate);
  Wnd->WidgetState()->WindowShown = true;
  W->show();
  W->setAttribute(Qt::WA_ShowWithoutActivating, Had);
  if (W->isWindow() && !NoActivate) {
    W->raise();
    W->activateWindow();
  }
  UpdateWindowShape(Wnd);
}

static void HideWidget(HWND Wnd)
{
  Wnd->WidgetState()->WindowShown = false;
  Wnd->Widget()->hide();
}

bool ShowWindow(HWND Wnd, Integer CmdShow)
{
  if (!LiveWindow(Wnd))
    return false;
  QWidget* W = Wnd->Widget();
  const bool Was = W->isVisible();
  switch (CmdShow) {
  case SW_HIDE: HideWidget(Wnd); break;
  case SW_SHOWNOACTIVATE: case SW_SHOWNA: ShowWidget(Wnd, false); break;
  case SW_SHOWMINNOACTIVE: case SW_SHOWMINIMIZED: case SW_MINIMIZE: W->showMinimized(); break;
  case SW_SHOWMAXIMIZED: W->showMaximized(); break;
  case SW_RESTORE: W->showNormal(); break;
  default: ShowWidget(Wnd, true); break;
  }
  return Was;
}

bool SetWindowPos(HWND Wnd, HWND InsertAfter, Integer X, Integer Y, Integer CX, Integer CY, UINT Flags)
{
  if (!LiveWindow(Wnd))
    return false;
  QWidget* W = Wnd->Widget();
  if (!(Flags & SWP_NOMOVE) || !(Flags & SWP_NOSIZE)) {
    const TRect R = Wnd->BoundsRect();
    Wnd->SetBounds((Flags & SWP_NOMOVE) ? R.Left : X, (Flags & SWP_NOMOVE) ? R.Top : Y,
                   (Flags & SWP_NOSIZE) ? R.Width() : std::max(CX, 0), (Flags & SWP_NOSIZE) ? R.Height() : std::max(CY, 0));
    UpdateWindowShape(Wnd);
  }
  if (Flags & SWP_FRAMECHANGED) {
    // A new frame may change the client area: the window hears its new size.
    const TRect Before = Wnd->ClientRect();
    Wnd->UpdateNonClientArea();
    const TRect After = Wnd->ClientRect();
    if (LiveWindow(Wnd) && After != Before)
      Wnd->Perform(WM_SIZE, 0, MakeLParam(Word(After.Width()), Word(After.Height())));
  }
  if (!(Flags & SWP_NOZORDER)) {
    if (InsertAfter == HWND_TOPMOST || InsertAfter == HWND_NOTOPMOST) {
      const bool Top = InsertAfter == HWND_TOPMOST;
      if (W->isWindow() && W->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != Top) {
        const bool Visible = W->isVisible();
        W->setWindowFlags(W->windowFlags().setFlag(Qt::WindowStaysOnTopHint, Top));
        if (Visible)
          ShowWidget(Wnd, false);
      }
      Wnd->WidgetState()->ExStyle = Top ? Wnd->WidgetState()->ExStyle | WS_EX_TOPMOST
                                        : Wnd->WidgetState()->ExStyle & ~DWORD(WS_EX_TOPMOST);
      if (Top)
        W->raise();
    } else if (InsertAfter == HWND_TOP) {
      W->raise();
    } else if (InsertAfter == HWND_BOTTOM) {
      W->lower();
    } else if (IsLiveControl(InsertAfter) && InsertAfter->HandleAllocated()) {
      W->stackUnder(InsertAfter->Widget());
    }
  }
  if (Flags & SWP_HIDEWINDOW)
    HideWidget(Wnd);
  else if (Flags & SWP_SHOWWINDOW)
    ShowWidget(Wnd, !(Flags & SWP_NOACTIVATE));
  else if (!(Flags & SWP_NOACTIVATE) && W->isWindow() && W->isVisible() && !Wnd->WidgetState()->NoActivate)
    W->activateWindow();
  return true;
}

HWND GetActiveWindow()
{
  QWidget* W = QApplication::activeWindow();
  if (!W)
    return nullptr;
  for (QObject* O : W->children())
    if (auto* L = dynamic_cast<TWidgetLink*>(O); L && L->Control()->Widget() == W)
      return L->Control();
  return nullptr;
}

bool SetLayeredWindowAttributes(HWND Wnd, COLORREF Key, Byte Alpha, DWORD Flags)
{
  if (!LiveWindow(Wnd))
    return false;
  TWidgetState* S = Wnd->WidgetState();
  S->ExStyle |= WS_EX_LAYERED;
  S->LayeredFlags = Flags;
  S->ColorKey = Key;
  S->Alpha = Alpha;
  Wnd->Widget()->setWindowOpacity((Flags & LWA_ALPHA) ? Alpha / 255.0 : 1.0);
  UpdateWindowShape(Wnd);
  return true;
}

bool GetLayeredWindowAttributes(HWND Wnd, COLORREF* Key, Byte* Alpha, DWORD* Flags)
{
  if (!LiveWindow(Wnd) || !(Wnd->WidgetState()->ExStyle & WS_EX_LAYERED))
    return false;
  const TWidgetState* S = Wnd->WidgetState();
  if (Key)
    *Key = S->ColorKey;
  if (Alpha)
    *Alpha = S->Alpha;
  if (Flags)
    *Flags = S->LayeredFlags;
  return true;
}

Integer SetWindowRgn(HWND Wnd, HRGN Rgn, bool Redraw)
{
  if (!LiveWindow(Wnd)) {
    DeleteObject(Rgn);
    return 0;
  }
  TWidgetState* S = Wnd->WidgetState();
  S->HasRegion = Rgn != nullptr;
  S->Region = RegionOfHandle(Rgn);
  DeleteObject(Rgn);
  UpdateWindowShape(Wnd);
  if (Redraw)
    Wnd->Widget()->update();
  return 1;
}

Integer GetWindowRgn(HWND Wnd, HRGN Rgn)
{
  if (!LiveWindow(Wnd) || !Wnd->WidgetState()->HasRegion)
    return ERROR;
  SetRegionOfHandle(Rgn, Wnd->WidgetState()->Region);
  const QRegion& R = Wnd->WidgetState()->Region;
  return R.isEmpty() ? NULLREGION : R.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

// The pixels of the colour key are cut out of what the window draws now;
// the shape is taken again when the window is shown, sized or re-layered.
void UpdateWindowShape(TWinControl* Control)
{
  TWidgetState* S = Control->WidgetState();
  QWidget* W = Control->Widget();
  if (!W)
    return;
  const bool Keyed = (S->ExStyle & WS_EX_LAYERED) && (S->LayeredFlags & LWA_COLORKEY);
  if (!Keyed && !S->HasRegion) {
    if (!W->mask().isEmpty())
      W->clearMask();
    return;
  }
  QRegion Shape = S->HasRegion ? S->Region : QRegion(W->rect());
  if (Keyed && W->width() > 0 && W->height() > 0) {
    QImage Image(W->size(), QImage::Format_RGB32);
    // Drawn whole: the old shape would clip the drawing.
    W->clearMask();
    W->render(&Image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QRgb Key = ToQColor(S->ColorKey).rgb() & 0xFFFFFF;
    QRegion Opaque;
    for (int Y = 0; Y < Image.height(); ++Y) {
      const auto* Line = reinterpret_cast<const QRgb*>(Image.constScanLine(Y));
      for (int X = 0; X < Image.width();) {
        if ((Line[X] & 0xFFFFFF) == Key) {
          ++X;
          continue;
        }
        int End = X;
        while (End < Image.width() && (Line[End] & 0xFFFFFF) != Key)
          ++End;
        Opaque += QRect(X, Y, End - X, 1);
        X = End;
      }
    }
    Shape &= Opaque;
  }
  // An empty mask would mean no mask at all: keep one pixel outside instead.
  W->setMask(Shape.isEmpty() ? QRegion(-1, -1, 1, 1) : Shape);
}
