// Controls.cpp: controls, windowed controls and their widgets, message
// dispatch, alignment, focus, capture and the message queue.
#include "platform/gui/Controls.h"

#include "platform/gui/ControlsQt.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"

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

static void KillTimersOf(HWND Wnd);

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

void TControl::WMLButtonDown(TMessage& M)
{
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
  FWidgetState->Creating = false;
  CreateChildHandles();
}

static constexpr LRESULT MouseActivateNoActivate = 3, MouseActivateNoActivateAndEat = 4;
static constexpr Word HitClient = 1;

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

void TWinControl::DestroyWnd()
{
  for (TControl* C : FControls)
    if (auto* W = dynamic_cast<TWinControl*>(C))
      W->DestroyHandle();
  QWidget* W = FWidgetState->Widget.data();
  FWidgetState->Widget = nullptr;
  FWidgetState->Link = nullptr;
  delete W;
}

void TWinControl::RecreateWnd()
{
  if (!HandleAllocated())
    return;
  DestroyHandle();
  HandleNeeded();
  UpdateShowing();
}

void TWinControl::UpdateWidgetBounds()
{
  if (!HandleAllocated())
    return;
  Widget()->setGeometry(FLeft, FTop, std::max(0, FWidth), std::max(0, FHeight));
  if (FWidgetState->LayeredFlags & LWA_COLORKEY)
    UpdateWindowShape(this);
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
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), W), FTabList.end());
    if (W->HandleAllocated() && W->Widget()->parentWidget() == ClientWidget())
      W->Widget()->setParent(nullptr);
  }
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

void TWinControl::DefaultHandler(TMessage& M) { TControl::DefaultHandler(M); }

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
  const bool Old = FBypass;
  FBypass = true;
  QCoreApplication::sendEvent(Receiver, Event);
  FBypass = Old;
}

// The control's own widget handles the event, as the window procedure
// would: a key climbs the widgets inside the control until one takes it,
// but it never reaches the parent control (which would see it again).
bool TWidgetLink::DeliverNative(QObject* Receiver, QEvent* Event, bool Climb)
{
  QWidget* Top = FControl->Widget();
  const bool Old = FBypass;
  FBypass = true;
  QObject* R = Receiver;
  while (R) {
    Event->accept();
    R->event(Event);
    if (!Climb || Event->isAccepted() || R == Top || !IsLiveControl(FControl))
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
  try {
    const bool Handled = Translate(Watched, Event);
    // A handled input event stops here: Qt would otherwise offer it to the
    // parent widgets, and so to the parent controls.
    if (Handled && Event->type() != QEvent::Close)
      Event->accept();
    return Handled;
  } catch (...) {
    Application->HandleException(IsLiveControl(FControl) ? FControl : nullptr);
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
      FShowing = true;
      FControl->Perform(CM_SHOWINGCHANGED, WPARAM(Event->type() == QEvent::Show));
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
      const QSize S = static_cast<QResizeEvent*>(Event)->size();
      TMessage M{WM_SIZE, 0, MakeLParam(Word(S.width()), Word(S.height())), 0};
      PerformNative(FControl, M);
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
  GMessageTime = LongInt(E->timestamp());
  TWinControl* C = FControl;
  if (VK != 0) {
    if (C->Perform(CN_KEYDOWN, VK, KeyData) != 0)
      return true;
    if (!IsLiveControl(C))
      return true;
  }
  bool KeyConsumed = false;
  if (VK != 0) {
    TMessage Down{UINT(Alt ? WM_SYSKEYDOWN : WM_KEYDOWN), VK, KeyData, 0};
    KeyConsumed = !PerformNative(C, Down);
    if (!IsLiveControl(C))
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
    if (C->Perform(CN_CHAR, Text[0].unicode(), KeyData) != 0)
      return true;
    TMessage Chr{WM_CHAR, Text[0].unicode(), KeyData, 0};
    CharConsumed = !PerformNative(C, Chr);
    if (!IsLiveControl(C))
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
  if (PerformNative(FControl, Up) && IsLiveControl(FControl))
    DeliverNative(Receiver, E, true);
  return true;
}

bool TWidgetLink::Mouse(QWidget* Receiver, QMouseEvent* E)
{
  if (!Receiver)
    return false;
  GMessageTime = LongInt(E->timestamp());
  QWidget* Client = FControl->ClientWidget();
  const QPoint Global = E->globalPosition().toPoint();
  QPoint Local = (Client ? Client : FControl->Widget())->mapFromGlobal(Global);
  TControl* Target = FControl;
  // A graphic child under the mouse (or holding the capture) gets the message.
  if (GCapture && IsLiveControl(GCapture) && GCapture->Parent() == FControl && !dynamic_cast<TWinControl*>(GCapture))
    Target = GCapture;
  else if (TControl* G = FControl->ControlAtPos(TPoint(Local.x(), Local.y()), false))
    Target = G;
  if (Target != FControl)
    Local -= QPoint(Target->Left(), Target->Top());
  else
    Local = FControl->Widget()->mapFromGlobal(Global);
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
  if ((Press || Dbl) && !FControl->Widget()->isActiveWindow() && !MouseActivate(Msg))
    return true;   // the window eats the click that would have activated it
  TMessage M{Msg, ShiftToKeys(E->modifiers(), E->buttons() | (Press || Dbl ? E->button() : Qt::NoButton)),
             PointParam(Local), 0};
  const bool Default = PerformNative(Target, M);
  if (Target == FControl && Default && IsLiveControl(FControl))
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
  if (PerformNative(Target, M) && IsLiveControl(FControl))
    DeliverNative(Receiver, E, false);
  return true;
}

bool TWidgetLink::Paint(QObject* Receiver, QEvent* Event)
{
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
    SendNative(Receiver, Event);
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
// Window functions over controls.

bool InvalidateRect(HWND Wnd, const TRect* R, bool)
{
  if (!IsLiveControl(Wnd) || !Wnd->HandleAllocated())
    return false;
  if (R)
    Wnd->Widget()->update(ToQRect(*R));
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
  QWidget* W = Wnd->Widget();
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

static void KillTimersOf(HWND Wnd)
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
