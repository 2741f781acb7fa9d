// Controls.cpp: controls, windowed controls and their widgets, message
// dispatch, alignment, focus and capture. The widget link and the message
// queue with timers and window functions are in ControlsWidgetLink.cpp and
// ControlsMessages.cpp.
#include "platform/gui/Controls.h"

#include "platform/gui/ControlsQt.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/rtl/ScopeExit.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <deque>
#include <unordered_set>

// ---------------------------------------------------------------------------
// Live controls, capture and the native-event context.

namespace {

std::unordered_set<const TControl*>& LiveControls()
{
  static std::unordered_set<const TControl*> Set;
  return Set;
}

TControl* GCapture = nullptr;
LongInt GMessageTime = 0;

// The Qt event being translated: which message, and whether it reached the
// control's DefaultHandler.
struct TNativeContext {
  const TControl* Control;
  UINT Msg;
  bool DefaultReached = false;
};
TNativeContext* GNative = nullptr;

} // namespace

bool IsLiveControl(const TControl* Control) { return Control && LiveControls().count(Control) != 0; }

// ---------------------------------------------------------------------------
// Popup activation: the windows that count as active without having the
// activation, latest last.

namespace {

std::vector<TWinControl*>& PopupActivations()
{
  static std::vector<TWinControl*> Windows;
  return Windows;
}

TWinControl* TopWindowOf(TWinControl* Control)
{
  while (Control->Parent())
    Control = Control->Parent();
  return Control;
}

// Ends the popup activation of every window in Ending, latest first.
void DeactivatePopups(std::vector<TWinControl*> Ending)
{
  for (auto It = Ending.rbegin(); It != Ending.rend(); ++It) {
    TWinControl* W = *It;
    if (!PopupActivated(W))
      continue;
    EndPopupActivation(W);
    W->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
  }
}

void WatchApplicationState()
{
  static bool Watching = false;
  if (Watching || !qApp)
    return;
  Watching = true;
  QObject::connect(qApp, &QGuiApplication::applicationStateChanged, qApp, [](Qt::ApplicationState State) {
    if (State != Qt::ApplicationActive)
      DeactivatePopups(PopupActivations());
  });
}

} // namespace

void BeginPopupActivation(TWinControl* Window)
{
  if (!Window || PopupActivated(Window))
    return;
  WatchApplicationState();
  PopupActivations().push_back(Window);
}

void EndPopupActivation(TWinControl* Window) { std::erase(PopupActivations(), Window); }

bool PopupActivated(const TWinControl* Window)
{
  const auto& V = PopupActivations();
  return std::find(V.begin(), V.end(), Window) != V.end();
}

void PopupActivationPress(TWinControl* Control)
{
  std::erase_if(PopupActivations(), [](TWinControl* W) { return !IsLiveControl(W); });
  if (PopupActivations().empty() || !IsLiveControl(Control))
    return;
  TWinControl* Top = TopWindowOf(Control);
  // A window that never takes the activation leaves it where it is; a
  // press inside one of these windows keeps it and those it opened.
  if (Top->ShowsWithoutActivating() && !PopupActivated(Top))
    return;
  std::vector<TWinControl*> Ending;
  for (TWinControl* W : PopupActivations())
    if (W != Top)
      Ending.push_back(W);
  auto Inside = std::find(PopupActivations().begin(), PopupActivations().end(), Top);
  if (Inside != PopupActivations().end())
    Ending.assign(Inside + 1, PopupActivations().end());
  DeactivatePopups(Ending);
}

bool PerformNative(TControl* Control, TMessage& Message)
{
  TNativeContext Ctx{Control, Message.Msg};
  TNativeContext* Outer = GNative;
  GNative = &Ctx;
  try {
    if (Control->WindowProc)
      Control->WindowProc(Message);
    else
      Control->WndProc(Message);
  } catch (...) {
    GNative = Outer;
    throw;
  }
  GNative = Outer;
  return Ctx.DefaultReached;
}

// ---------------------------------------------------------------------------
// Shift state and keys.

TShiftState KeysToShiftState(Word Keys)
{
  TShiftState S;
  if (Keys & MK_SHIFT) S << ssShift;
  if (Keys & MK_CONTROL) S << ssCtrl;
  if (Keys & MK_LBUTTON) S << ssLeft;
  if (Keys & MK_RBUTTON) S << ssRight;
  if (Keys & MK_MBUTTON) S << ssMiddle;
  if (GetKeyState(VK_MENU) < 0) S << ssAlt;
  return S;
}

TShiftState KeyDataToShiftState(LongInt KeyData)
{
  TShiftState S;
  if (GetKeyState(VK_SHIFT) < 0) S << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) S << ssCtrl;
  if (KeyData & 0x20000000) S << ssAlt;
  return S;
}

TShiftState QtShiftState(Qt::KeyboardModifiers Mods, Qt::MouseButtons Buttons)
{
  TShiftState S;
  if (Mods & Qt::ShiftModifier) S << ssShift;
  if (Mods & Qt::ControlModifier) S << ssCtrl;
  if (Mods & Qt::AltModifier) S << ssAlt;
  if (Buttons & Qt::LeftButton) S << ssLeft;
  if (Buttons & Qt::RightButton) S << ssRight;
  if (Buttons & Qt::MiddleButton) S << ssMiddle;
  return S;
}

TShiftState GetShiftState()
{
  return QtShiftState(QGuiApplication::queryKeyboardModifiers(), QGuiApplication::mouseButtons());
}

Word ShiftToKeys(Qt::KeyboardModifiers Mods, Qt::MouseButtons Buttons)
{
  Word K = 0;
  if (Mods & Qt::ShiftModifier) K |= MK_SHIFT;
  if (Mods & Qt::ControlModifier) K |= MK_CONTROL;
  if (Buttons & Qt::LeftButton) K |= MK_LBUTTON;
  if (Buttons & Qt::RightButton) K |= MK_RBUTTON;
  if (Buttons & Qt::MiddleButton) K |= MK_MBUTTON;
  return K;
}

namespace {
struct TKeyMap { int Qt; Word VK; };
const TKeyMap KeyMap[] = {
  {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Backtab, VK_TAB},
  {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN}, {Qt::Key_Shift, VK_SHIFT},
  {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU}, {Qt::Key_Pause, VK_PAUSE},
  {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Space, VK_SPACE},
  {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_End, VK_END},
  {Qt::Key_Home, VK_HOME}, {Qt::Key_Left, VK_LEFT}, {Qt::Key_Up, VK_UP}, {Qt::Key_Right, VK_RIGHT},
  {Qt::Key_Down, VK_DOWN}, {Qt::Key_Print, VK_PRINT}, {Qt::Key_Insert, VK_INSERT},
  {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Help, VK_HELP}, {Qt::Key_Menu, VK_APPS},
  {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL}, {Qt::Key_Asterisk, VK_MULTIPLY},
  {Qt::Key_Plus, VK_ADD}, {Qt::Key_Minus, 0xBD}, {Qt::Key_Comma, 0xBC}, {Qt::Key_Period, 0xBE},
  {Qt::Key_Slash, 0xBF}, {Qt::Key_Semicolon, 0xBA}, {Qt::Key_Equal, 0xBB},
};
} // namespace

Word QtKeyToVirtualKey(int Key)
{
  if ((Key >= Qt::Key_A && Key <= Qt::Key_Z) || (Key >= Qt::Key_0 && Key <= Qt::Key_9))
    return Word(Key);
  if (Key >= Qt::Key_F1 && Key <= Qt::Key_F24)
    return Word(VK_F1 + (Key - Qt::Key_F1));
  for (const TKeyMap& M : KeyMap)
    if (M.Qt == Key)
      return M.VK;
  return 0;
}

int VirtualKeyToQtKey(Word VK)
{
  if ((VK >= 'A' && VK <= 'Z') || (VK >= '0' && VK <= '9'))
    return VK;
  if (VK >= VK_F1 && VK <= VK_F12)
    return Qt::Key_F1 + (VK - VK_F1);
  for (const TKeyMap& M : KeyMap)
    if (M.VK == VK)
      return M.Qt;
  return 0;
}

SmallInt GetKeyState(Integer VirtKey)
{
  const Qt::KeyboardModifiers M = QGuiApplication::queryKeyboardModifiers();
  const Qt::MouseButtons B = QGuiApplication::mouseButtons();
  bool Down = false;
  switch (VirtKey) {
  case VK_SHIFT: case VK_LSHIFT: case VK_RSHIFT: Down = M & Qt::ShiftModifier; break;
  case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL: Down = M & Qt::ControlModifier; break;
  case VK_MENU: case VK_LMENU: case VK_RMENU: Down = M & Qt::AltModifier; break;
  case VK_LBUTTON: Down = B & Qt::LeftButton; break;
  case VK_RBUTTON: Down = B & Qt::RightButton; break;
  case VK_MBUTTON: Down = B & Qt::MiddleButton; break;
  default: break;
  }
  return Down ? SmallInt(-128) : SmallInt(0);
}

SmallInt GetAsyncKeyState(Integer VirtKey) { return GetKeyState(VirtKey); }
LongInt GetMessageTime() { return GMessageTime; }
void SetMessageTime(LongInt Time) { GMessageTime = Time; }
static TMessageBeepHook& BeepHook()
{
  static TMessageBeepHook Hook;
  return Hook;
}

TMessageBeepHook SetMessageBeepHook(TMessageBeepHook Hook)
{
  TMessageBeepHook Old = std::move(BeepHook());
  BeepHook() = std::move(Hook);
  return Old;
}

void MessageBeep(UINT Type)
{
  if (BeepHook())
    BeepHook()(Type);
  else
    QApplication::beep();
}

bool GetCursorPos(TPoint& P)
{
  const QPoint Q = QCursor::pos();
  P = TPoint(Q.x(), Q.y());
  return true;
}

TPoint SmallPointToPoint(TSmallPoint P) { return TPoint(P.x, P.y); }
TSmallPoint PointToSmallPoint(TPoint P) { return TSmallPoint{SmallInt(P.X), SmallInt(P.Y)}; }

QFont ControlQFont(const TControl* Control) { return MakeQFont(FontToDC(*Control->Font())); }

void ApplyControlColors(TWinControl* Control, QWidget* Widget, bool BaseRole)
{
  QPalette P = QApplication::palette(Widget);
  const QColor Back = ToQColor(COLORREF(ColorToRGB(Control->Color())));
  const QColor Text = ToQColor(COLORREF(ColorToRGB(Control->Font()->Color())));
  if (BaseRole) {
    P.setColor(QPalette::Base, Back);
    P.setColor(QPalette::Text, Text);
  } else {
    P.setColor(QPalette::Window, Back);
    P.setColor(QPalette::WindowText, Text);
    P.setColor(QPalette::ButtonText, Text);
  }
  // The font's colour is the enabled text's; disabled text stays grey.
  const QColor Grey = ToQColor(COLORREF(ColorToRGB(clGrayText)));
  for (QPalette::ColorRole Role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
    P.setColor(QPalette::Disabled, Role, Grey);
  Widget->setPalette(P);
}

// ---------------------------------------------------------------------------
// TControl.

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>())
{
  LiveControls().insert(this);
  FFont->OnChange = [this](TObject* S) { FontChanged(S); };
}

TControl::~TControl()
{
  if (GCapture == this)
    GCapture = nullptr;
  if (FParent)
    FParent->RemoveControl(this);
  // A control made later at this address must not get what was meant for this one.
  DropPostedMessages(this);
  LiveControls().erase(this);
}

void TControl::FontChanged(TObject*)
{
  FParentFont = false;
  Perform(CM_FONTCHANGED);
}

TComponent* TControl::GetParentComponent() const { return FParent; }

// The reader leaves the parent to the control: the component it reads
// children of.
void TControl::ReadState(TReader& Reader)
{
  if (auto* P = dynamic_cast<TWinControl*>(Reader.Parent()))
    SetParent(P);
  inherited::ReadState(Reader);
}

// A windowed control writes the children that the root owns.
void TWinControl::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
  for (TControl* C : FControls)
    if (C->Owner() == Root)
      Proc(C);
}

void TControl::SetParentComponent(TComponent* Value)
{
  if (auto* W = dynamic_cast<TWinControl*>(Value))
    SetParent(W);
}

void TControl::SetParent(TWinControl* AParent)
{
  if (AParent == FParent)
    return;
  if (AParent == this)
    throw EInvalidOperation(QStringLiteral("A control cannot have itself as its parent"));
  if (FParent)
    FParent->RemoveControl(this);
  if (AParent) {
    AParent->InsertControl(this);
    if (FParentFont)
      Perform(CM_PARENTFONTCHANGED);
    if (FParentColor)
      Perform(CM_PARENTCOLORCHANGED);
  }
}

void TControl::ChangeScale(Integer M, Integer D)
{
  if (M == D)
    return;
  SetBounds(MulDiv(FLeft, M, D), MulDiv(FTop, M, D), MulDiv(FLeft + FWidth, M, D) - MulDiv(FLeft, M, D),
            MulDiv(FTop + FHeight, M, D) - MulDiv(FTop, M, D));
  if (!FParentFont)
    FFont->SetSize(MulDiv(FFont->Size(), M, D));
}

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
    return;
  DoSetBounds(ALeft, ATop, AWidth, AHeight);
  if (!ComponentState().Contains(csLoading))
    UpdateAnchorRules();
  Invalidate();
  RequestAlign();
  Resize();
}

void TControl::DoSetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  FLeft = ALeft;
  FTop = ATop;
  FWidth = std::max(0, AWidth);
  FHeight = std::max(0, AHeight);
  if (FParent)
    FParent->Invalidate();
}

TRect TControl::ClientRect() const { return Rect(0, 0, FWidth, FHeight); }

void TControl::SetClientWidth(Integer Value) { SetWidth(Value + (FWidth - ClientWidth())); }
void TControl::SetClientHeight(Integer Value) { SetHeight(Value + (FHeight - ClientHeight())); }

TPoint TControl::ClientOrigin() const
{
  if (!FParent)
    return TPoint(FLeft, FTop);
  const TPoint P = FParent->ClientOrigin();
  return TPoint(P.X + FLeft, P.Y + FTop);
}

TPoint TControl::ClientToScreen(TPoint P) const { return P + ClientOrigin(); }
TPoint TControl::ScreenToClient(TPoint P) const { return P - ClientOrigin(); }

TPoint TControl::ClientToParent(TPoint P, TWinControl* AParent) const
{
  const TControl* C = this;
  while (C && C != AParent) {
    P = P + TPoint(C->FLeft, C->FTop);
    C = C->FParent;
    if (!AParent && C)
      break;
  }
  return P;
}

void TControl::SetAlign(TAlign Value)
{
  if (Value == FAlign)
    return;
  FAlign = Value;
  if (Value == alLeft || Value == alRight || Value == alClient)
    FAnchors = Value == alClient ? TAnchors{akLeft, akTop, akRight, akBottom}
                                 : (Value == alLeft ? TAnchors{akLeft, akTop, akBottom} : TAnchors{akRight, akTop, akBottom});
  else if (Value == alTop || Value == alBottom)
    FAnchors = Value == alTop ? TAnchors{akLeft, akTop, akRight} : TAnchors{akLeft, akRight, akBottom};
  RequestAlign();
}

void TControl::SetAnchors(TAnchors Value)
{
  if (Value == FAnchors)
    return;
  FAnchors = Value;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules()
{
  if (!FParent || ComponentState().Contains(csLoading)) {
    FAnchorsValid = false;
    return;
  }
  const TRect PR = FParent->ClientRect();
  FAnchorRight = PR.Width() - (FLeft + FWidth);
  FAnchorBottom = PR.Height() - (FTop + FHeight);
  FAnchorsValid = true;
}

void TControl::RequestAlign()
{
  if (FParent && !ComponentState().Contains(csLoading))
    FParent->Realign();
}

void TControl::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  VisibleChanging();
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, WPARAM(Value));
  RequestAlign();
}

bool TControl::Showing() const
{
  return FVisible && FParent && FParent->Showing();
}

void TControl::SetEnabled(bool Value)
{
  if (Value == FEnabled)
    return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetParentFont(bool Value)
{
  if (Value == FParentFont)
    return;
  FParentFont = Value;
  if (Value && FParent)
    Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetColor(TColor Value)
{
  if (Value == FColor)
    return;
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool Value)
{
  if (Value == FParentColor)
    return;
  FParentColor = Value;
  if (Value && FParent)
    Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetCursor(TCursor Value)
{
  if (Value == FCursor)
    return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetText(const TCaption& Value)
{
  if (Value == GetText())
    return;
  SetTextValue(Value);
  Perform(CM_TEXTCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu* Value)
{
  FPopupMenu = Value;
  if (Value)
    Value->FreeNotification(this);
}

bool TControl::MouseCapture() const { return GCapture == this; }

void TControl::SetMouseCapture(bool Value)
{
  if (Value)
    GCapture = this;
  else if (GCapture == this)
    GCapture = nullptr;
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
  TMessage M{Msg, WParam, LParam, 0};
  if (WindowProc)
    WindowProc(M);
  else
    WndProc(M);
  return M.Result;
}

void TControl::WndProc(TMessage& Message) { Dispatch(Message); }

void TControl::Dispatch(TMessage& M)
{
  switch (M.Msg) {
  case WM_LBUTTONDOWN: WMLButtonDown(M); break;
  case WM_LBUTTONUP: WMLButtonUp(M); break;
  case WM_LBUTTONDBLCLK: WMLButtonDblClk(M); break;
  case WM_RBUTTONDOWN: WMRButtonDown(M); break;
  case WM_RBUTTONUP: WMRButtonUp(M); break;
  case WM_MBUTTONDOWN: WMMButtonDown(M); break;
  case WM_MBUTTONUP: WMMButtonUp(M); break;
  case WM_MOUSEMOVE: WMMouseMove(M); break;
  case WM_MOUSEWHEEL: WMMouseWheel(M); break;
  case WM_CANCELMODE: WMCancelMode(M); break;
  case WM_CONTEXTMENU: WMContextMenu(M); break;
  case CM_MOUSEWHEEL: CMMouseWheel(M); break;
  case CM_MOUSEENTER: CMMouseEnter(M); break;
  case CM_MOUSELEAVE: CMMouseLeave(M); break;
  case CM_ENABLEDCHANGED: CMEnabledChanged(M); break;
  case CM_VISIBLECHANGED: CMVisibleChanged(M); break;
  case CM_FONTCHANGED: CMFontChanged(M); break;
  case CM_COLORCHANGED: CMColorChanged(M); break;
  case CM_PARENTFONTCHANGED: CMParentFontChanged(M); break;
  case CM_PARENTCOLORCHANGED: CMParentColorChanged(M); break;
  case CM_TEXTCHANGED: CMTextChanged(M); break;
  case CM_HITTEST: CMHitTest(M); break;
  case CM_CURSORCHANGED: CMCursorChanged(M); break;
  case CM_STYLECHANGED: CMStyleChanged(M); break;
  default: DefaultHandler(M); break;
  }
}

void TControl::DefaultHandler(TMessage& Message)
{
  if (GNative && GNative->Control == this && GNative->Msg == Message.Msg)
    GNative->DefaultReached = true;
}

void TControl::SendCancelMode(TControl* Sender)
{
  for (TControl* C = this; C; C = C->Parent())
    if (auto* Form = dynamic_cast<TCustomForm*>(C))
      Form->SendCancelMode(Sender);
}

void TControl::WMLButtonDown(TMessage& M)
{
  SendCancelMode(this);
  if (!IsLiveControl(this))
    return;
  if (FControlStyle.Contains(csCaptureMouse))
    SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents))
    FControlState << csClicked;
  TWMMouse W(M);
  MouseDown(mbLeft, KeysToShiftState(W.Keys()), W.XPos(), W.YPos());
  DefaultHandler(M);
}

void TControl::WMLButtonDblClk(TMessage& M)
{
  SendCancelMode(this);
  if (!IsLiveControl(this))
    return;
  if (FControlStyle.Contains(csCaptureMouse))
    SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents))
    DblClick();
  TWMMouse W(M);
  MouseDown(mbLeft, KeysToShiftState(W.Keys()) << ssDouble, W.XPos(), W.YPos());
  DefaultHandler(M);
}

void TControl::WMLButtonUp(TMessage& M)
{
  SetMouseCapture(false);
  TWMMouse W(M);
  if (FControlState.Contains(csClicked)) {
    FControlState >> csClicked;
    if (ClientRect().Contains(W.Pos()))
      Click();
  }
  MouseUp(mbLeft, KeysToShiftState(W.Keys()), W.XPos(), W.YPos());
  DefaultHandler(M);
}

void TControl::WMRButtonDown(TMessage& M)
{
  TWMMouse W(M);
  MouseDown(mbRight, KeysToShiftState(W.Keys()), W.XPos(), W.YPos());
  DefaultHandler(M);
}

void TControl::WMRButtonUp(TMessage& M)
{
  TWMMouse W(M);
  MouseUp(mbRight, KeysToShiftState(W.Keys()), W.XPos(), W.YPos());
  DefaultHandler(M);
  if (FPopupMenu && FPopupMenu->AutoPopup()) {
    const TPoint P = ClientToScreen(W.Pos());
    FPopupMenu->SetPopupComponent(this);
    FPopupMenu->Popup(P.X, P.Y);
  }
}

void TControl::WMMButtonDown(TMessage& M)
{
  TWMMouse W(M);
  MouseDown(mbMiddle, KeysToShiftState(W.Keys()), W.XPos(), W.YPos());
  DefaultHandler(M);
}

void TControl::WMMButtonUp(TMessage& M)
{
  TWMMouse W(M);
  MouseUp(mbMiddle, KeysToShiftState(W.Keys()), W.XPos(), W.YPos());
  DefaultHandler(M);
}

void TControl::WMMouseMove(TMessage& M)
{
  TWMMouse W(M);
  MouseMove(KeysToShiftState(W.Keys()), W.XPos(), W.YPos());
  DefaultHandler(M);
}

// The wheel goes up the parent chain until a control handles it.
void TControl::WMMouseWheel(TMessage& M)
{
  M.Result = Perform(CM_MOUSEWHEEL, M.WParam, M.LParam);
  if (M.Result == 0)
    DefaultHandler(M);
}

void TControl::CMMouseWheel(TMessage& M)
{
  TCMMouseWheel W(M);
  const TShiftState Shift = KeysToShiftState(W.Keys());
  const TPoint Pos(W.XPos(), W.YPos());
  if (DoMouseWheel(Shift, W.WheelDelta(), Pos)) {
    M.Result = 1;
    return;
  }
  if (FParent)
    M.Result = FParent->Perform(CM_MOUSEWHEEL, M.WParam, M.LParam);
}

void TControl::WMCancelMode(TMessage& M)
{
  SetMouseCapture(false);
  FControlState >> csClicked;
  DefaultHandler(M);
}

void TControl::WMContextMenu(TMessage& M) { DefaultHandler(M); }

void TControl::CMMouseEnter(TMessage& M)
{
  FMouseInControl = true;
  if (OnMouseEnter)
    OnMouseEnter(this);
  DefaultHandler(M);
}

void TControl::CMMouseLeave(TMessage& M)
{
  FMouseInControl = false;
  if (OnMouseLeave)
    OnMouseLeave(this);
  DefaultHandler(M);
}

void TControl::CMEnabledChanged(TMessage& M)
{
  Invalidate();
  DefaultHandler(M);
}

void TControl::CMVisibleChanged(TMessage& M)
{
  if (FParent)
    FParent->Invalidate();
  DefaultHandler(M);
}

void TControl::CMFontChanged(TMessage& M)
{
  Invalidate();
  DefaultHandler(M);
}

void TControl::CMColorChanged(TMessage& M)
{
  Invalidate();
  DefaultHandler(M);
}

void TControl::CMParentFontChanged(TMessage& M)
{
  if (FParentFont && FParent) {
    FFont->OnChange = nullptr;
    FFont->Assign(FParent->Font());
    FFont->OnChange = [this](TObject* S) { FontChanged(S); };
    Perform(CM_FONTCHANGED);
  }
  DefaultHandler(M);
}

void TControl::CMParentColorChanged(TMessage& M)
{
  if (FParentColor && FParent) {
    FColor = FParent->Color();
    Perform(CM_COLORCHANGED);
  }
  DefaultHandler(M);
}

void TControl::CMTextChanged(TMessage& M)
{
  Invalidate();
  DefaultHandler(M);
}

void TControl::CMHitTest(TMessage& M) { M.Result = 1; }
void TControl::CMCursorChanged(TMessage& M) { DefaultHandler(M); }
void TControl::CMStyleChanged(TMessage& M)
{
  Invalidate();
  DefaultHandler(M);
}

void TControl::Invalidate()
{
  if (auto* W = dynamic_cast<TWinControl*>(this)) {
    if (W->Widget())
      W->Widget()->update();
    return;
  }
  if (FParent && FParent->Widget() && FVisible)
    FParent->ClientWidget()->update(ToQRect(BoundsRect()));
}

void TControl::Update()
{
  if (FParent)
    FParent->Update();
}

void TControl::Repaint()
{
  Invalidate();
  Update();
}

void TControl::BringToFront()
{
  if (!FParent)
    return;
  auto& L = FParent->FControls;
  L.erase(std::remove(L.begin(), L.end(), this), L.end());
  L.push_back(this);
  if (auto* W = dynamic_cast<TWinControl*>(this); W && W->Widget())
    W->Widget()->raise();
  Invalidate();
}

void TControl::SendToBack()
{
  if (!FParent)
    return;
  auto& L = FParent->FControls;
  L.erase(std::remove(L.begin(), L.end(), this), L.end());
  L.insert(L.begin(), this);
  if (auto* W = dynamic_cast<TWinControl*>(this); W && W->Widget())
    W->Widget()->lower();
  Invalidate();
}

void TControl::Click()
{
  if (OnClick)
    OnClick(this);
}

void TControl::DblClick()
{
  if (OnDblClick)
    OnDblClick(this);
}

void TControl::Changed() { Perform(CM_CHANGED, 0, LPARAM(this)); }

void TControl::Loaded()
{
  inherited::Loaded();
  if (FParent) {
    if (FParentFont)
      Perform(CM_PARENTFONTCHANGED);
    if (FParentColor)
      Perform(CM_PARENTCOLORCHANGED);
  }
}

void TControl::Resize()
{
  if (OnResize)
    OnResize(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (OnMouseDown)
    OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (OnMouseUp)
    OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  if (OnMouseMove)
    OnMouseMove(this, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  bool Handled = false;
  if (OnMouseWheel)
    OnMouseWheel(this, Shift, WheelDelta, MousePos, Handled);
  if (Handled)
    return true;
  if (WheelDelta < 0)
    return DoMouseWheelDown(Shift, MousePos);
  if (WheelDelta > 0)
    return DoMouseWheelUp(Shift, MousePos);
  return false;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  bool Handled = false;
  if (OnMouseWheelDown)
    OnMouseWheelDown(this, Shift, MousePos, Handled);
  return Handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  bool Handled = false;
  if (OnMouseWheelUp)
    OnMouseWheelUp(this, Shift, MousePos, Handled);
  return Handled;
}

// ---------------------------------------------------------------------------
// TWinControl.

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FWidgetState(std::make_unique<TWidgetState>())
{
  FControlStyle << csAcceptsControls;
}

TWinControl::~TWinControl()
{
  // Children go first (the original frees them with their parent), then the widget.
  while (!FControls.empty()) {
    TControl* C = FControls.back();
    RemoveControl(C);
    delete C;
  }
  RemoveFocus(true);
  KillTimersOf(this);
  EndPopupActivation(this);
  DestroyHandle();
}

QWidget* TWinControl::Widget() const { return FWidgetState->Widget.data(); }
bool TWinControl::HandleAllocated() const { return FWidgetState->Widget != nullptr; }

HWND TWinControl::Handle()
{
  HandleNeeded();
  return this;
}

void TWinControl::HandleNeeded()
{
  if (HandleAllocated() || FWidgetState->Creating)
    return;
  if (FParent)
    FParent->HandleNeeded();
  CreateHandle();
}

QWidget* TWinControl::CreateWidget(QWidget* ParentWidget) { return new TControlWidget(ParentWidget); }

void TWinControl::CreateParams(TCreateParams& Params)
{
  Params = TCreateParams();
  Params.Caption = FText;
  Params.Style = FParent ? WS_CHILD | WS_CLIPSIBLINGS : 0;
  if (FTabStop)
    Params.Style |= WS_TABSTOP;
  if (!FEnabled)
    Params.Style |= WS_DISABLED;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  Params.WndParent = FParent;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
}

void TWinControl::CreateHandle()
{
  FWidgetState->Creating = true;
  try {
    TCreateParams Params;
    CreateParams(Params);
    FWidgetState->Style = Params.Style;
    FWidgetState->ExStyle = Params.ExStyle;
    QWidget* ParentWidget = FParent ? FParent->ClientWidget() : nullptr;
    QWidget* W = CreateWidget(ParentWidget);
    FWidgetState->Widget = W;
    auto* Link = new TWidgetLink(this);
    Link->setParent(W);
    FWidgetState->Link = Link;
    Link->Watch(W);
    W->setAttribute(Qt::WA_DeleteOnClose, false);
    InitializeWidget();
    ApplyWindowStyles();
    UpdateNonClientArea();
  } catch (...) {
    // A half-made widget goes, so that the next HandleNeeded makes it anew.
    FWidgetState->Creating = false;
    DestroyHandle();
    throw;
  }
  FWidgetState->Creating = false;
  CreateChildHandles();
}

// A top-level window that must not take the activation is told so when it
// is made: the window system decides on a click before the program sees it.
void TWinControl::ApplyWindowStyles()
{
  QWidget* W = Widget();
  if (!W->isWindow())
    return;
  const DWORD Style = FWidgetState->Style;
  const DWORD Ex = FWidgetState->ExStyle;
  const bool Popup = Style & WS_POPUP;
  bool NoActivate = (Ex & WS_EX_NOACTIVATE) || (Popup && !dynamic_cast<TCustomForm*>(this));
  if (!NoActivate) {
    TMessage Probe{WM_MOUSEACTIVATE, WPARAM(this), MakeLParam(HitClient, WM_LBUTTONDOWN), 0};
    WndProc(Probe);
    NoActivate = Probe.Result == MouseActivateNoActivate || Probe.Result == MouseActivateNoActivateAndEat;
  }
  FWidgetState->NoActivate = NoActivate;
  if (!Popup && !NoActivate && !(Ex & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_LAYERED)))
    return;
  Qt::WindowFlags F = W->windowFlags();
  if (Popup || NoActivate)
    F |= Qt::FramelessWindowHint;
  // Of the window types only a tool tip is never activated by every
  // window system, the offscreen one included; it also stays unmanaged.
  if (NoActivate)
    F = (F & ~Qt::WindowType_Mask) | Qt::ToolTip | Qt::WindowDoesNotAcceptFocus;
  else if (Ex & WS_EX_TOOLWINDOW)
    F = (F & ~Qt::WindowType_Mask) | Qt::Tool;
  F.setFlag(Qt::WindowStaysOnTopHint, (Ex & WS_EX_TOPMOST) || F.testFlag(Qt::WindowStaysOnTopHint));
  const bool WasVisible = W->isVisible();
  W->setWindowFlags(F);
  W->setAttribute(Qt::WA_ShowWithoutActivating, NoActivate);
  if (WasVisible)
    W->show();
}

bool TWinControl::ShowsWithoutActivating() const
{
  if (!HandleAllocated())
    return false;
  return FWidgetState->NoActivate;
}

void TWinControl::CreateChildHandles()
{
  for (TControl* C : FControls)
    if (auto* W = dynamic_cast<TWinControl*>(C))
      if (!W->HandleAllocated())
        W->CreateHandle();
}

void TWinControl::InitializeWidget()
{
  QWidget* W = Widget();
  UpdateWidgetBounds();
  UpdateWidgetFont();
  UpdateWidgetColor();
  W->setEnabled(FEnabled);
  W->setToolTip(FShowHint ? FHint : String());
  W->setFocusPolicy(FTabStop ? Qt::StrongFocus : Qt::ClickFocus);
  if (FCursor != crDefault)
    Perform(CM_CURSORCHANGED);
  if (FParent)
    W->setVisible(FVisible);
}

void TWinControl::DestroyHandle()
{
  if (!HandleAllocated())
    return;
  DestroyWnd();
}

// Qt may be delivering an event to the widget right now (a handler that
// recreates its own control, the hint window released from the hint
// filter): the widget is cut off from the control at once and freed when
// the event loop has left it.
void TWinControl::DestroyWnd()
{
  for (TControl* C : FControls)
    if (auto* W = dynamic_cast<TWinControl*>(C))
      W->DestroyHandle();
  QWidget* W = FWidgetState->Widget.data();
  delete FWidgetState->Link;   // the old widget sends no more messages
  FWidgetState->Widget = nullptr;
  FWidgetState->Link = nullptr;
  // The client area goes with the old widget; the new one gets its own.
  FWidgetState->Client = nullptr;
  FWidgetState->Frame = TRect();
  if (!W)
    return;
  W->blockSignals(true);
  W->hide();
  if (W->parentWidget())
    W->setParent(nullptr);
  W->deleteLater();
}

void TWinControl::RecreateWnd()
{
  if (!HandleAllocated())
    return;
  DestroyHandle();
  HandleNeeded();
  UpdateShowing();
}

void TWinControl::SetCtl3D(bool Value)
{
  if (Value == FCtl3D)
    return;
  FCtl3D = Value;
  Perform(CM_CTL3DCHANGED);
}

void TWinControl::UpdateWidgetBounds()
{
  if (!HandleAllocated())
    return;
  Widget()->setGeometry(FLeft, FTop, std::max(0, FWidth), std::max(0, FHeight));
  UpdateNonClientArea();
  if (FWidgetState->LayeredFlags & LWA_COLORKEY)
    UpdateWindowShape(this);
}

// ---------------------------------------------------------------------------
// The non-client area: a frame around the client area of plain windowed
// controls. Standard controls draw their own frames, forms get theirs from
// the window manager.

QWidget* TWinControl::ClientWidget() const
{
  return FWidgetState->Client ? FWidgetState->Client.data() : Widget();
}

TRect TWinControl::ClientRect() const
{
  if (!HandleAllocated() || !FWidgetState->Client)
    return TControl::ClientRect();
  const TRect& F = FWidgetState->Frame;
  return Rect(0, 0, std::max(0, FWidth - F.Left - F.Right), std::max(0, FHeight - F.Top - F.Bottom));
}

TPoint TWinControl::ClientOrigin() const
{
  const TPoint P = TControl::ClientOrigin();
  if (!HandleAllocated() || !FWidgetState->Client)
    return P;
  return TPoint(P.X + FWidgetState->Frame.Left, P.Y + FWidgetState->Frame.Top);
}

Integer TWinControl::StyleFrameWidth() const
{
  const DWORD Style = FWidgetState->Style, Ex = FWidgetState->ExStyle;
  Integer W = 0;
  if (Ex & WS_EX_CLIENTEDGE)
    W += 2;
  if (Ex & WS_EX_STATICEDGE)
    W += 1;
  if (Style & WS_BORDER)
    W += 1;
  return W;
}

void TWinControl::UpdateNonClientArea()
{
  if (!HandleAllocated() || !dynamic_cast<TControlWidget*>(Widget()) || dynamic_cast<TCustomForm*>(this))
    return;
  TWidgetState* S = FWidgetState.get();
  const TRect Window = Bounds(FLeft, FTop, std::max(0, FWidth), std::max(0, FHeight));
  NCCALCSIZE_PARAMS Params;
  Params.rgrc[0] = Window;
  Perform(WM_NCCALCSIZE, 1, LPARAM(&Params));
  const TRect& C = Params.rgrc[0];
  const TRect Frame(std::max(0, C.Left - Window.Left), std::max(0, C.Top - Window.Top),
                    std::max(0, Window.Right - C.Right), std::max(0, Window.Bottom - C.Bottom));
  if (!HandleAllocated())
    return;
  S->Frame = Frame;
  if (!S->Client) {
    if (Frame == TRect(0, 0, 0, 0))
      return;
    auto* Inner = new TControlWidget(Widget());
    S->Client = Inner;
    // Children made before the frame appeared move into the client area.
    for (TControl* Child : FControls)
      if (auto* W = dynamic_cast<TWinControl*>(Child); W && W->HandleAllocated() && W->Widget()->parentWidget() == Widget())
        W->Widget()->setParent(Inner), W->Widget()->setVisible(W->Visible());
    S->Link->Watch(Inner);
    Inner->show();
  }
  S->Client->setGeometry(Frame.Left, Frame.Top, std::max(0, FWidth - Frame.Left - Frame.Right),
                         std::max(0, FHeight - Frame.Top - Frame.Bottom));
  Widget()->update();
}

void TWinControl::UpdateWidgetFont()
{
  if (!HandleAllocated())
    return;
  Widget()->setFont(ControlQFont(this));
  // From the application's palette, so that a new style reaches every role.
  QPalette P = QApplication::palette(Widget());
  const QColor Text = ToQColor(COLORREF(ColorToRGB(FFont->Color())));
  P.setColor(QPalette::WindowText, Text);
  P.setColor(QPalette::Text, Text);
  P.setColor(QPalette::ButtonText, Text);
  Widget()->setPalette(P);
}

void TWinControl::UpdateWidgetColor()
{
  if (!HandleAllocated())
    return;
  // Plain windowed controls erase with their colour in WM_ERASEBKGND.
}

void TWinControl::UpdateShowing()
{
  if (!HandleAllocated())
    return;
  // A window shown by ShowWindow or SetWindowPos stays up until it is hidden
  // the same way or Visible changes.
  Widget()->setVisible(FVisible || FWidgetState->WindowShown);
}

void TWinControl::InsertControl(TControl* AControl)
{
  AControl->FParent = this;
  FControls.push_back(AControl);
  if (auto* W = dynamic_cast<TWinControl*>(AControl)) {
    FTabList.push_back(W);
    if (HandleAllocated() && !W->HandleAllocated())
      W->CreateHandle();
    else if (W->HandleAllocated() && ClientWidget()) {
      W->Widget()->setParent(ClientWidget());
      W->UpdateWidgetBounds();
      W->Widget()->setVisible(W->FVisible);
    }
  }
  if (!ComponentState().Contains(csLoading) && !AControl->ComponentState().Contains(csLoading))
    AControl->UpdateAnchorRules();
  if (AControl->FAlign != alNone)
    Realign();
  Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl)
{
  auto It = std::find(FControls.begin(), FControls.end(), AControl);
  if (It == FControls.end())
    return;
  if (auto* W = dynamic_cast<TWinControl*>(AControl)) {
    W->RemoveFocus(true);
    if (W->HandleAllocated() && W->Widget()->parentWidget() == ClientWidget())
      W->Widget()->setParent(nullptr);
  }
  // By address: from the base destructor a windowed control no longer casts
  // to one, and must still leave the tab order.
  FTabList.erase(std::remove_if(FTabList.begin(), FTabList.end(),
                                [AControl](TWinControl* W) { return static_cast<TControl*>(W) == AControl; }),
                 FTabList.end());
  FControls.erase(It);
  AControl->FParent = nullptr;
  if (AControl->FAlign != alNone && IsLiveControl(this))
    Realign();
  Invalidate();
}

// A control that is freed or hidden gives up the focus its form records.
void TWinControl::RemoveFocus(bool Removing)
{
  TCustomForm* Form = GetParentForm(this);
  if (Form && Form != this)
    Form->DefocusControl(this, Removing);
}

bool TWinControl::ContainsControl(TControl* Control) const
{
  while (Control && Control != this)
    Control = Control->Parent();
  return Control == this;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) const
{
  for (auto It = FControls.rbegin(); It != FControls.rend(); ++It) {
    TControl* C = *It;
    if (!AllowWinControls && dynamic_cast<TWinControl*>(C))
      continue;
    if (!C->Visible() || (!C->Enabled() && !AllowDisabled))
      continue;
    if (C->BoundsRect().Contains(Pos) &&
        C->Perform(CM_HITTEST, 0, MakeLParam(Word(Pos.X - C->Left()), Word(Pos.Y - C->Top()))) != 0)
      return C;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& Message)
{
  for (std::size_t I = 0; I < FControls.size(); ++I) {
    FControls[I]->WndProc(Message);
    if (Message.Result != 0)
      return;
  }
}

void TWinControl::EnableAlign()
{
  if (--FAlignLevel == 0)
    Realign();
}

void TWinControl::Realign()
{
  if (FAlignLevel > 0 || ComponentState().Contains(csLoading) || FControlState.Contains(csAligning))
    return;
  TRect R = ClientRect();
  AdjustClientRect(R);
  FControlState << csAligning;
  try {
    AlignControls(nullptr, R);
  } catch (...) {
    FControlState >> csAligning;
    throw;
  }
  FControlState >> csAligning;
}

// Aligned children take the edges in the original order (top, bottom, left,
// right, client), each kind in the order of its position; anchored children
// keep their distances to the right and bottom.
void TWinControl::AlignControls(TControl*, TRect& Rect)
{
  auto Place = [&](TAlign Kind) {
    std::vector<TControl*> List;
    for (TControl* C : FControls)
      if (C->Align() == Kind && C->Visible())
        List.push_back(C);
    std::stable_sort(List.begin(), List.end(), [Kind](TControl* A, TControl* B) {
      switch (Kind) {
      case alTop: return A->Top() < B->Top();
      case alBottom: return A->Top() + A->Height() > B->Top() + B->Height();
      case alLeft: return A->Left() < B->Left();
      case alRight: return A->Left() + A->Width() > B->Left() + B->Width();
      default: return false;
      }
    });
    for (TControl* C : List) {
      TRect B = C->BoundsRect();
      switch (Kind) {
      case alTop: B = Bounds(Rect.Left, Rect.Top, Rect.Width(), C->Height()); Rect.Top += C->Height(); break;
      case alBottom: B = Bounds(Rect.Left, Rect.Bottom - C->Height(), Rect.Width(), C->Height()); Rect.Bottom -= C->Height(); break;
      case alLeft: B = Bounds(Rect.Left, Rect.Top, C->Width(), Rect.Height()); Rect.Left += C->Width(); break;
      case alRight: B = Bounds(Rect.Right - C->Width(), Rect.Top, C->Width(), Rect.Height()); Rect.Right -= C->Width(); break;
      case alClient: B = Rect; break;
      default: break;
      }
      if (B != C->BoundsRect()) {
        C->DoSetBounds(B.Left, B.Top, B.Width(), B.Height());
        if (auto* W = dynamic_cast<TWinControl*>(C))
          W->UpdateWidgetBounds(), W->Realign();
        C->Resize();
      }
    }
  };
  for (TAlign K : {alTop, alBottom, alLeft, alRight, alClient})
    Place(K);
  // Anchors of unaligned children.
  const TRect PR = ClientRect();
  for (TControl* C : FControls) {
    if (C->Align() != alNone || !C->FAnchorsValid)
      continue;
    const TAnchors A = C->Anchors();
    Integer L = C->Left(), T = C->Top(), W = C->Width(), H = C->Height();
    if (A.Contains(akRight)) {
      if (A.Contains(akLeft))
        W = PR.Width() - C->FAnchorRight - L;
      else
        L = PR.Width() - C->FAnchorRight - W;
    }
    if (A.Contains(akBottom)) {
      if (A.Contains(akTop))
        H = PR.Height() - C->FAnchorBottom - T;
      else
        T = PR.Height() - C->FAnchorBottom - H;
    }
    if (TRect(L, T, L + W, T + H) != C->BoundsRect()) {
      C->DoSetBounds(L, T, W, H);
      if (auto* WC = dynamic_cast<TWinControl*>(C))
        WC->UpdateWidgetBounds(), WC->Realign();
      C->Resize();
    }
  }
}

void TWinControl::ChangeScale(Integer M, Integer D)
{
  if (M == D)
    return;
  DisableAlign();
  ScopeExit Enable([this] { EnableAlign(); });
  for (TControl* C : std::vector<TControl*>(FControls))
    C->ChangeScale(M, D);
  inherited::ChangeScale(M, D);
}

void SetImeName(const TImeName& Name)
{
  (void)Name;
}

void SetImeMode(HWND Handle, TImeMode Mode)
{
  (void)Handle;
  (void)Mode;
}

bool SysLocaleFarEast()
{
  return false;
}

void TWinControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
    return;
  const bool Sized = AWidth != FWidth || AHeight != FHeight;
  TControl::DoSetBounds(ALeft, ATop, AWidth, AHeight);
  if (!ComponentState().Contains(csLoading))
    UpdateAnchorRules();
  UpdateWidgetBounds();
  RequestAlign();
  if (Sized) {
    Realign();
    Resize();
  }
}

void TWinControl::Resize() { inherited::Resize(); }

void TWinControl::Loaded()
{
  inherited::Loaded();
  for (TControl* C : FControls)
    C->UpdateAnchorRules();
  Realign();
}

void TWinControl::ScrollBy(Integer DeltaX, Integer DeltaY)
{
  for (TControl* C : FControls)
    C->SetBounds(C->Left() + DeltaX, C->Top() + DeltaY, C->Width(), C->Height());
}

Integer TWinControl::TabOrder() const
{
  if (!FParent)
    return -1;
  const auto& L = FParent->FTabList;
  auto It = std::find(L.begin(), L.end(), this);
  return It == L.end() ? -1 : Integer(It - L.begin());
}

void TWinControl::SetTabOrder(Integer Value)
{
  if (!FParent)
    return;
  auto& L = FParent->FTabList;
  auto It = std::find(L.begin(), L.end(), this);
  if (It == L.end())
    return;
  L.erase(It);
  Value = std::clamp(Value, 0, Integer(L.size()));
  L.insert(L.begin() + Value, this);
}

void TWinControl::SetTabStop(bool Value)
{
  if (Value == FTabStop)
    return;
  FTabStop = Value;
  if (HandleAllocated())
    Widget()->setFocusPolicy(Value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List)
{
  for (TWinControl* C : FTabList) {
    List.push_back(C);
    C->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent)
{
  std::vector<TWinControl*> List;
  GetTabOrderList(List);
  if (List.empty())
    return nullptr;
  auto It = std::find(List.begin(), List.end(), CurControl);
  Integer Start = It == List.end() ? (GoForward ? Integer(List.size()) - 1 : 0) : Integer(It - List.begin());
  Integer I = Start;
  for (std::size_t Step = 0; Step < List.size(); ++Step) {
    I = GoForward ? (I + 1) % Integer(List.size()) : (I - 1 + Integer(List.size())) % Integer(List.size());
    TWinControl* C = List[std::size_t(I)];
    if (C == CurControl)
      break;
    if ((!CheckTabStop || C->TabStop()) && (!CheckParent || C->Parent() == this) && C->CanFocus())
      return C;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop)
{
  if (TWinControl* Next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
    Next->SetFocus();
}

bool TWinControl::CanFocus() const
{
  TCustomForm* Form = GetParentForm(const_cast<TWinControl*>(this));
  if (!Form)
    return false;
  for (const TControl* C = this; C && C != Form; C = C->Parent())
    if (!C->Visible() || !C->Enabled())
      return false;
  return Form->Visible() && Form->Enabled();
}

bool TWinControl::Focused() const
{
  return HandleAllocated() && (Widget()->hasFocus() || (QApplication::focusWidget() && Widget()->isAncestorOf(QApplication::focusWidget())));
}

void TWinControl::SetFocus()
{
  TCustomForm* Form = GetParentForm(this);
  if (Form && Form != this) {
    Form->FocusControl(this);
    return;
  }
  HandleNeeded();
  if (Widget()->isWindow())
    Widget()->activateWindow();
  Widget()->setFocus(Qt::OtherFocusReason);
}

void TWinControl::Update()
{
  if (HandleAllocated())
    Widget()->repaint();
}

void TWinControl::Repaint()
{
  if (HandleAllocated())
    Widget()->repaint();
}

void TWinControl::PaintTo(HDC DC, Integer X, Integer Y)
{
  if (!HandleAllocated() || !DC || !DC->Painter)
    return;
  DC->Painter->save();
  DC->Painter->translate(X, Y);
  Widget()->render(DC->Painter, QPoint(), QRegion(), QWidget::DrawChildren);
  DC->Painter->restore();
}

void TWinControl::DoEnter()
{
  if (OnEnter)
    OnEnter(this);
}

void TWinControl::DoExit()
{
  if (OnExit)
    OnExit(this);
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift)
{
  if (OnKeyDown)
    OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift)
{
  if (OnKeyUp)
    OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(QChar& Key)
{
  if (OnKeyPress)
    OnKeyPress(this, Key);
}

// The form sees the key first when it previews keys.
bool TWinControl::DoKeyDown(TMessage& M)
{
  TCustomForm* Form = GetParentForm(this);
  if (Form && Form != this && Form->KeyPreview() && static_cast<TWinControl*>(Form)->DoKeyDown(M))
    return true;
  Word Key = Word(M.WParam);
  const TShiftState Shift = KeyDataToShiftState(LongInt(M.LParam));
  KeyDown(Key, Shift);
  M.WParam = Key;
  return Key == 0;
}

bool TWinControl::DoKeyUp(TMessage& M)
{
  TCustomForm* Form = GetParentForm(this);
  if (Form && Form != this && Form->KeyPreview() && static_cast<TWinControl*>(Form)->DoKeyUp(M))
    return true;
  Word Key = Word(M.WParam);
  KeyUp(Key, KeyDataToShiftState(LongInt(M.LParam)));
  M.WParam = Key;
  return Key == 0;
}

bool TWinControl::DoKeyPress(TMessage& M)
{
  TCustomForm* Form = GetParentForm(this);
  if (Form && Form != this && Form->KeyPreview() && static_cast<TWinControl*>(Form)->DoKeyPress(M))
    return true;
  QChar Key(char16_t(M.WParam));
  KeyPress(Key);
  M.WParam = Key.unicode();
  return Key.isNull();
}

void TWinControl::Dispatch(TMessage& M)
{
  switch (M.Msg) {
  case WM_PAINT: WMPaint(M); break;
  case WM_ERASEBKGND: WMEraseBkgnd(M); break;
  case WM_SIZE: WMSize(M); break;
  case WM_SETFOCUS: WMSetFocus(M); break;
  case WM_KILLFOCUS: WMKillFocus(M); break;
  case WM_KEYDOWN: WMKeyDown(M); break;
  case WM_SYSKEYDOWN: WMSysKeyDown(M); break;
  case WM_KEYUP: case WM_SYSKEYUP: WMKeyUp(M); break;
  case WM_CHAR: WMChar(M); break;
  case WM_GETDLGCODE: WMGetDlgCode(M); break;
  case CN_KEYDOWN: CNKeyDown(M); break;
  case CN_CHAR: CNChar(M); break;
  case CM_DIALOGKEY: CMDialogKey(M); break;
  case CM_DIALOGCHAR: CMDialogChar(M); break;
  case CM_ENTER: CMEnter(M); break;
  case CM_EXIT: CMExit(M); break;
  case CM_CHILDKEY: CMChildKey(M); break;
  case CM_WANTSPECIALKEY: CMWantSpecialKey(M); break;
  case CM_FOCUSCHANGED: CMFocusChanged(M); break;
  case CM_SHOWINGCHANGED: CMShowingChanged(M); break;
  case CM_INVALIDATE: CMInvalidate(M); break;
  default: TControl::Dispatch(M); break;
  }
}

void TWinControl::DefaultHandler(TMessage& M)
{
  switch (M.Msg) {
  case WM_COMMAND:
    // A child's notice goes back to the child, which acts on its own notices.
    if (M.LParam != 0)
      if (TWinControl* Child = FindControl(reinterpret_cast<HWND>(M.LParam)); Child && Child->Parent() == this)
        M.Result = Child->Perform(CN_COMMAND, M.WParam, M.LParam);
    break;
  case WM_NCCALCSIZE:
    if (auto* P = reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam)) {
      const Integer B = StyleFrameWidth();
      P->rgrc[0].Inflate(-B, -B);
    }
    M.Result = 0;
    break;
  case WM_NCPAINT:
    // The frame of the styles: a sunken edge, a single line, or both.
    if (HDC DC = GetWindowDC(this)) {
      TRect R(0, 0, FWidth, FHeight);
      if (FWidgetState->Style & WS_BORDER) {
        TExternalCanvas C(DC);
        C.Brush()->SetColor(ColorToRGB(clWindowFrame));
        C.FrameRect(R);
        R.Inflate(-1, -1);
      }
      if (FWidgetState->ExStyle & WS_EX_CLIENTEDGE)
        DrawEdge(DC, R, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
      else if (FWidgetState->ExStyle & WS_EX_STATICEDGE)
        DrawEdge(DC, R, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    M.Result = 0;
    break;
  case WM_NCHITTEST: {
    const TPoint P = ScreenToClient(TPoint(SmallInt(LoWord(NativeUInt(M.LParam))), SmallInt(HiWord(NativeUInt(M.LParam)))));
    const TRect Client = ClientRect();
    const TPoint Window = P + TPoint(FWidgetState->Client ? FWidgetState->Frame.Left : 0,
                                     FWidgetState->Client ? FWidgetState->Frame.Top : 0);
    if (Client.Contains(P))
      M.Result = HTCLIENT;
    else if (TRect(0, 0, FWidth, FHeight).Contains(Window))
      M.Result = HTBORDER;
    else
      M.Result = HTNOWHERE;
    break;
  }
  default:
    break;
  }
  TControl::DefaultHandler(M);
}

bool TWinControl::InNativeEvent() const { return GNative && GNative->Control == this; }

void TWinControl::WMPaint(TMessage& M) { PaintHandler(M); }

void TWinControl::PaintHandler(TMessage& M)
{
  HDC DC = reinterpret_cast<HDC>(M.WParam);
  if (!DC)
    return;
  PaintWindow(DC);
  PaintControls(DC, nullptr);
}

void TWinControl::PaintWindow(HDC DC)
{
  TMessage Erase{WM_ERASEBKGND, WPARAM(DC), 0, 0};
  WndProc(Erase);
}

// Graphic children paint on this control's surface, each clipped to itself.
void TWinControl::PaintControls(HDC DC, TControl* First)
{
  bool Started = First == nullptr;
  for (TControl* C : FControls) {
    if (!Started) {
      Started = C == First;
      if (!Started)
        continue;
    }
    auto* G = dynamic_cast<TGraphicControl*>(C);
    if (!G || !G->Visible() || G->Width() <= 0 || G->Height() <= 0)
      continue;
    if (!RectVisible(DC, G->BoundsRect()))
      continue;
    const Integer Saved = SaveDC(DC);
    TPoint Org;
    GetViewportOrgEx(DC, Org);
    IntersectClipRect(DC, G->Left(), G->Top(), G->Left() + G->Width(), G->Top() + G->Height());
    SetViewportOrgEx(DC, Org.X + G->Left(), Org.Y + G->Top());
    G->Perform(WM_PAINT, WPARAM(DC));
    RestoreDC(DC, Saved);
  }
}

void TWinControl::WMEraseBkgnd(TMessage& M)
{
  HDC DC = reinterpret_cast<HDC>(M.WParam);
  if (!DC || !DC->Painter || FControlStyle.Contains(csOpaque)) {
    M.Result = 1;
    return;
  }
  DC->Painter->fillRect(ToQRect(ClientRect()), ToQColor(COLORREF(ColorToRGB(FColor))));
  M.Result = 1;
}

void TWinControl::WMSize(TMessage& M)
{
  TWMSize S(M);
  if (S.Width() != ClientWidth() || S.Height() != ClientHeight())
    DoSetBounds(FLeft, FTop, FWidth + (S.Width() - ClientWidth()), FHeight + (S.Height() - ClientHeight()));
  Realign();
  Resize();
  DefaultHandler(M);
}

void TWinControl::WMSetFocus(TMessage& M)
{
  if (TCustomForm* Form = GetParentForm(this); Form && Form != this)
    Form->SetFocusedControl(this);
  DefaultHandler(M);
}

void TWinControl::WMKillFocus(TMessage& M) { DefaultHandler(M); }

void TWinControl::WMKeyDown(TMessage& M)
{
  if (!DoKeyDown(M))
    DefaultHandler(M);
}

void TWinControl::WMSysKeyDown(TMessage& M)
{
  if (!DoKeyDown(M))
    DefaultHandler(M);
}

void TWinControl::WMKeyUp(TMessage& M)
{
  if (!DoKeyUp(M))
    DefaultHandler(M);
}

void TWinControl::WMChar(TMessage& M)
{
  if (!DoKeyPress(M))
    DefaultHandler(M);
}

void TWinControl::WMGetDlgCode(TMessage& M) { M.Result = 0; }

// Tab, arrows, Enter and Escape that the control does not want go to its
// form as dialog keys (focus moves, default and cancel buttons).
void TWinControl::CNKeyDown(TMessage& M)
{
  M.Result = 1;
  if (Perform(CM_CHILDKEY, M.WParam, LPARAM(this)) != 0)
    return;
  Integer Mask = 0;
  switch (M.WParam) {
  case VK_TAB: Mask = DLGC_WANTTAB; break;
  case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: Mask = DLGC_WANTARROWS; break;
  case VK_RETURN: case VK_ESCAPE: case VK_CANCEL: Mask = DLGC_WANTALLKEYS; break;
  default: break;
  }
  if (Mask != 0 && Perform(CM_WANTSPECIALKEY, M.WParam, M.LParam) == 0 &&
      (Perform(WM_GETDLGCODE) & Mask) == 0) {
    if (TCustomForm* Form = GetParentForm(this))
      if (Form->Perform(CM_DIALOGKEY, M.WParam, M.LParam) != 0)
        return;
  }
  M.Result = 0;
}

void TWinControl::CNChar(TMessage& M) { M.Result = 0; }

void TWinControl::CMDialogKey(TMessage& M) { Broadcast(M); }
void TWinControl::CMDialogChar(TMessage& M) { Broadcast(M); }

void TWinControl::CMEnter(TMessage&) { DoEnter(); }
void TWinControl::CMExit(TMessage&) { DoExit(); }

void TWinControl::CMChildKey(TMessage& M)
{
  if (FParent)
    FParent->WndProc(M);
}

void TWinControl::CMWantSpecialKey(TMessage& M) { M.Result = 0; }

void TWinControl::CMFocusChanged(TMessage& M)
{
  for (TControl* C : FControls)
    C->WndProc(M);
}

void TWinControl::CMEnabledChanged(TMessage& M)
{
  if (!FEnabled && FParent)
    RemoveFocus(false);
  if (HandleAllocated())
    Widget()->setEnabled(FEnabled);
  TControl::CMEnabledChanged(M);
}

void TWinControl::CMVisibleChanged(TMessage& M)
{
  FWidgetState->WindowShown = false;
  if (!FVisible && FParent)
    RemoveFocus(false);
  if (FVisible && FParent && FParent->HandleAllocated())
    HandleNeeded();
  UpdateShowing();
  TControl::CMVisibleChanged(M);
}

void TWinControl::CMFontChanged(TMessage& M)
{
  UpdateWidgetFont();
  TControl::CMFontChanged(M);
  for (TControl* C : FControls)
    C->Perform(CM_PARENTFONTCHANGED);
}

void TWinControl::CMColorChanged(TMessage& M)
{
  UpdateWidgetColor();
  TControl::CMColorChanged(M);
  for (TControl* C : FControls)
    C->Perform(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMTextChanged(TMessage& M) { TControl::CMTextChanged(M); }

void TWinControl::CMCursorChanged(TMessage& M)
{
  // The shapes of the cursor numbers, custom ones included, live with the
  // screen (QtCursor, Forms.cpp).
  if (HandleAllocated()) {
    if (FCursor == crDefault)
      Widget()->unsetCursor();
    else
      Widget()->setCursor(QtCursor(FCursor));
  }
  TControl::CMCursorChanged(M);
}

void TWinControl::CMShowingChanged(TMessage& M)
{
  UpdateShowing();
  DefaultHandler(M);
}

void TWinControl::CMInvalidate(TMessage&) { Invalidate(); }

// A new style: the widget takes the style's colours, and so do the children.
void TWinControl::CMStyleChanged(TMessage& M)
{
  UpdateWidgetFont();
  UpdateWidgetColor();
  for (TControl* C : FControls)
    C->Perform(CM_STYLECHANGED);
  TControl::CMStyleChanged(M);
}

// ---------------------------------------------------------------------------
// Custom and graphic controls, control canvas.

TControlCanvas::TControlCanvas(TControl* AControl) : FControl(AControl) {}

TControlCanvas::~TControlCanvas()
{
  SetHandle(nullptr);
}

void TControlCanvas::CreateHandle()
{
  if (!FMeasureDC)
    FMeasureDC = std::make_unique<TDeviceContext>(nullptr, QSize(std::max(1, FControl->Width()), std::max(1, FControl->Height())));
  SetHandle(FMeasureDC.get());
}

void TControlCanvas::BindPaintDC(HDC DC)
{
  SetHandle(DC ? DC : FMeasureDC.get());
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this))
{
}

TCustomControl::~TCustomControl()
{
  DestroyHandle();
  FCanvas.reset();
}

TCanvas* TCustomControl::Canvas() const { return FCanvas.get(); }

void TCustomControl::PaintWindow(HDC DC)
{
  TWinControl::PaintWindow(DC);
  FCanvas->Lock();
  FCanvas->BindPaintDC(DC);
  try {
    Paint();
  } catch (...) {
    FCanvas->BindPaintDC(nullptr);
    FCanvas->Unlock();
    throw;
  }
  FCanvas->BindPaintDC(nullptr);
  FCanvas->Unlock();
}

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this))
{
}

TGraphicControl::~TGraphicControl() { FCanvas.reset(); }

TCanvas* TGraphicControl::Canvas() const { return FCanvas.get(); }

void TGraphicControl::Dispatch(TMessage& M)
{
  if (M.Msg == WM_PAINT) {
    WMPaint(M);
    return;
  }
  TControl::Dispatch(M);
}

void TGraphicControl::WMPaint(TMessage& M)
{
  HDC DC = reinterpret_cast<HDC>(M.WParam);
  if (!DC)
    return;
  FCanvas->BindPaintDC(DC);
  try {
    Paint();
  } catch (...) {
    FCanvas->BindPaintDC(nullptr);
    throw;
  }
  FCanvas->BindPaintDC(nullptr);
}

// ---------------------------------------------------------------------------
// Finding controls and forms.

TWinControl* FindControl(HWND Handle)
{
  if (Handle)
    return IsLiveControl(Handle) ? Handle : nullptr;
  // No window given: the control whose widget has the focus.
  QWidget* F = QApplication::focusWidget();
  while (F) {
    for (QObject* O : F->children())
      if (auto* L = dynamic_cast<TWidgetLink*>(O); L && L->Control()->Widget() == F)
        return L->Control();
    F = F->parentWidget();
  }
  return nullptr;
}

TWinControl* FindVCLWindow(TPoint Pos)
{
  QWidget* W = QApplication::widgetAt(QPoint(Pos.X, Pos.Y));
  while (W) {
    for (QObject* O : W->children())
      if (auto* L = dynamic_cast<TWidgetLink*>(O); L && L->Control()->Widget() == W)
        return L->Control();
    W = W->parentWidget();
  }
  return nullptr;
}

TCustomForm* GetParentForm(TControl* Control, bool TopForm)
{
  TControl* C = Control;
  TCustomForm* Found = nullptr;
  while (C) {
    if (auto* F = dynamic_cast<TCustomForm*>(C)) {
      Found = F;
      if (!TopForm)
        return F;
    }
    C = C->Parent();
  }
  return Found;
}

// ---------------------------------------------------------------------------
// Mouse.

TPoint TMouse::CursorPos() const
{
  TPoint P;
  GetCursorPos(P);
  return P;
}

void TMouse::SetCursorPos(TPoint Value) { QCursor::setPos(Value.X, Value.Y); }
TControl* TMouse::Capture() const { return IsLiveControl(GCapture) ? GCapture : nullptr; }
void TMouse::SetCapture(TControl* Value) { GCapture = Value; }

TMouse* Mouse()
{
  static TMouse M;
  return &M;
}

HWND SetCapture(HWND Wnd)
{
  auto* Old = dynamic_cast<TWinControl*>(Mouse()->Capture());
  Mouse()->SetCapture(Wnd);
  if (Wnd && Wnd->Widget())
    Wnd->Widget()->grabMouse();
  return Old;
}

bool ReleaseCapture()
{
  if (auto* W = dynamic_cast<TWinControl*>(Mouse()->Capture()); W && W->Widget())
    W->Widget()->releaseMouse();
  Mouse()->SetCapture(nullptr);
  return true;
}

HWND GetCapture() { return dynamic_cast<TWinControl*>(Mouse()->Capture()); }

// ---------------------------------------------------------------------------
// Registration.

namespace {

const std::pair<const char*, Integer> CursorNames[] = {
  {"crDefault", crDefault}, {"crNone", crNone}, {"crArrow", crArrow}, {"crCross", crCross},
  {"crIBeam", crIBeam}, {"crSizeNESW", crSizeNESW}, {"crSizeNS", crSizeNS}, {"crSizeNWSE", crSizeNWSE},
  {"crSizeWE", crSizeWE}, {"crUpArrow", crUpArrow}, {"crHourGlass", crHourGlass}, {"crDrag", crDrag},
  {"crNoDrop", crNoDrop}, {"crHSplit", crHSplit}, {"crVSplit", crVSplit}, {"crMultiDrag", crMultiDrag},
  {"crSQLWait", crSQLWait}, {"crNo", crNo}, {"crAppStart", crAppStart}, {"crHelp", crHelp},
  {"crHandPoint", crHandPoint}, {"crSizeAll", crSizeAll}};

bool CursorIdentToInt(const String& Ident, Int64& Value)
{
  for (const auto& [N, V] : CursorNames)
    if (Ident.compare(QLatin1String(N), Qt::CaseInsensitive) == 0) {
      Value = V;
      return true;
    }
  return false;
}

bool CursorIntToIdent(Int64 Value, String& Ident)
{
  for (const auto& [N, V] : CursorNames)
    if (V == Value) {
      Ident = QString::fromLatin1(N);
      return true;
    }
  return false;
}

} // namespace

void RegisterMaskClasses();

void RegisterControlsClasses()
{
  RegisterMaskClasses();
  RegisterEnum<TAlign>("TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"});
  RegisterEnum<TAnchorKind>("TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"});
  RegisterClassInfo<TControl, TComponent>("TControl")
    .Property("Left", &TControl::Left, &TControl::SetLeft)
    .Property("Top", &TControl::Top, &TControl::SetTop)
    .Property("Width", &TControl::Width, &TControl::SetWidth)
    .Property("Height", &TControl::Height, &TControl::SetHeight)
    .Property("Align", &TControl::Align, &TControl::SetAlign, alNone)
    .Property("Anchors", &TControl::Anchors, &TControl::SetAnchors, TAnchors{akLeft, akTop})
    .Property("Color", &TControl::Color, &TControl::SetColor).Idents(ColorIdentConverter(), ColorIntConverter())
      .Stored(&TControl::IsColorStored)
    .Property("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault).Idents(CursorIdentToInt, CursorIntToIdent)
    .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
    .Property("Font", &TControl::Font, &TControl::SetFont)
      .Stored(&TControl::IsFontStored)
    .Property("Hint", &TControl::Hint, &TControl::SetHint)
    .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
    .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true)
    .Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
    .Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
    .Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, false)
    .Property("Visible", &TControl::Visible, &TControl::SetVisible, true)
    .Event("OnClick", &TControl::OnClick)
    .Event("OnDblClick", &TControl::OnDblClick)
    .Event("OnMouseDown", &TControl::OnMouseDown)
    .Event("OnMouseMove", &TControl::OnMouseMove)
    .Event("OnMouseUp", &TControl::OnMouseUp)
    .Event("OnMouseEnter", &TControl::OnMouseEnter)
    .Event("OnMouseLeave", &TControl::OnMouseLeave)
    .Event("OnMouseWheel", &TControl::OnMouseWheel)
    .Event("OnMouseWheelDown", &TControl::OnMouseWheelDown)
    .Event("OnMouseWheelUp", &TControl::OnMouseWheelUp)
    .Event("OnResize", &TControl::OnResize);
  RegisterClassInfo<TWinControl, TControl>("TWinControl")
    .Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Stored(&TWinControl::IsTabOrderStored)
    .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false)
    .Property("DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered, false)
    .Property("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D, true)
    .Property("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D, true)
    .Event("OnEnter", &TWinControl::OnEnter)
    .Event("OnExit", &TWinControl::OnExit)
    .Event("OnKeyDown", &TWinControl::OnKeyDown)
    .Event("OnKeyPress", &TWinControl::OnKeyPress)
    .Event("OnKeyUp", &TWinControl::OnKeyUp);
  RegisterClassInfo<TCustomControl, TWinControl>("TCustomControl");
  RegisterClassInfo<TGraphicControl, TControl>("TGraphicControl");
}
