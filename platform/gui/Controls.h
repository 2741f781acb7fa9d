// Controls.h: the control classes: position, size, alignment, font, colour,
// visibility, focus and mouse capture; messages with Perform, WndProc and
// Dispatch; windowed controls that create their Qt widget when first needed.
#pragma once

#include "platform/gui/Graphics.h"
#include "platform/gui/Messages.h"

#include <functional>
#include <memory>
#include <vector>

class QWidget;
class QObject;
class TWinControl;
class TPopupMenu;
class TCustomForm;
class TWidgetLink;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
using enum TAlign;
using TAlignSet = TSet<TAlign>;
enum class TAnchorKind { akLeft, akTop, akRight, akBottom };
using enum TAnchorKind;
using TAnchors = TSet<TAnchorKind>;

enum class TControlStyleItem {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption,
  csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
  csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint,
  csParentBackground, csPannable, csAlignWithMargins, csGestures, csPaintBlackOpaqueOnGlass,
  csOverrideStylePaint
};
using enum TControlStyleItem;
using TControlStyle = TSet<TControlStyleItem>;

enum class TControlStateItem {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating,
  csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking, csDesignerHide, csPanning,
  csRecreating, csAligning, csGlassPaint, csPrintClient
};
using enum TControlStateItem;
using TControlState = TSet<TControlStateItem>;

// The edges of a control's frame that are drawn.
enum class TEdgeBorder { ebLeft, ebTop, ebRight, ebBottom };
using enum TEdgeBorder;
using TEdgeBorders = TSet<TEdgeBorder>;
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
using enum TBiDiMode;
using enum TMouseButton;
enum class TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble, ssTouch,
                             ssPen, ssCommand, ssHorizontalWheel };
using enum TShiftStateItem;
using TShiftState = TSet<TShiftStateItem>;

using TCursor = SmallInt;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                  crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
                  crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
                  crHandPoint = -21, crSizeAll = -22, crSize = -22;

using TModalResult = Integer;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT,
                       mrRetry = IDRETRY, mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO,
                       mrClose = 8, mrHelp = 9, mrTryAgain = 10, mrContinue = 11, mrAll = 12,
                       mrNoToAll = 13, mrYesToAll = 14;

using TCaption = String;

using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, QChar& Key)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;

TShiftState KeysToShiftState(Word Keys);
TShiftState KeyDataToShiftState(LongInt KeyData);
// The shift state of the keyboard and mouse buttons now.
TShiftState GetShiftState();

// Four margins around a rectangle; all 0 until set.
class TMargins : public TPersistent {
  VELMORA_CLASS(TMargins)
public:
  TMargins() = default;
  void Assign(TPersistent* Source) override
  {
    if (auto* M = dynamic_cast<TMargins*>(Source)) {
      FLeft = M->FLeft;
      FTop = M->FTop;
      FRight = M->FRight;
      FBottom = M->FBottom;
      return;
    }
    TPersistent::Assign(Source);
  }
  Integer Left() const { return FLeft; }
  void SetLeft(Integer Value) { FLeft = Value; }
  Integer Top() const { return FTop; }
  void SetTop(Integer Value) { FTop = Value; }
  Integer Right() const { return FRight; }
  void SetRight(Integer Value) { FRight = Value; }
  Integer Bottom() const { return FBottom; }
  void SetBottom(Integer Value) { FBottom = Value; }

private:
  Integer FLeft = 0;
  Integer FTop = 0;
  Integer FRight = 0;
  Integer FBottom = 0;
};
// Input-method settings of a window. Only Far-East locales use them; the
// program's Russian locale keeps them as state.
enum TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
                imSHanguel, imHanguel };
using TImeName = String;
// What a control scales while a form description is read.
enum TScalingFlag { sfLeft, sfTop, sfWidth, sfHeight, sfFont };
using TScalingFlags = TSet<TScalingFlag>;

class TControl : public TComponent {
  VELMORA_CLASS(TControl)
  using inherited = TComponent;
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // Position and size in the parent's client coordinates.
  Integer Left() const { return FLeft; }
  void SetLeft(Integer Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  Integer Top() const { return FTop; }
  void SetTop(Integer Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  Integer Height() const { return FHeight; }
  void SetHeight(Integer Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
  // Scales bounds and an own font by M/D (a form moved to another
  // resolution); M equal to D changes nothing.
  virtual void ChangeScale(Integer M, Integer D);
  TScalingFlags ScalingFlags() const { return FScalingFlags; }
  void SetScalingFlags(TScalingFlags Value) { FScalingFlags = Value; }
  virtual TRect ClientRect() const;
  Integer ClientWidth() const { return ClientRect().Width(); }
  void SetClientWidth(Integer Value);
  Integer ClientHeight() const { return ClientRect().Height(); }
  void SetClientHeight(Integer Value);
  virtual TPoint ClientOrigin() const;   // screen position of the client area
  TPoint ClientToScreen(TPoint P) const;
  TPoint ScreenToClient(TPoint P) const;
  TPoint ClientToParent(TPoint P, TWinControl* AParent = nullptr) const;

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors Value);

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible with all its parents (and a form that is shown).
  virtual bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  bool IsColorStored() const { return !FParentColor; }
  bool IsFontStored() const { return !FParentFont; }
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  String Hint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value) { FShowHint = Value; FParentShowHint = false; }
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value) { FParentShowHint = Value; }
  // The control's text: Caption of labels and buttons, Text of edits.
  TCaption Caption() const { return GetText(); }
  void SetCaption(const TCaption& Value) { SetText(Value); }
  TCaption Text() const { return GetText(); }
  void SetText(const TCaption& Value);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  bool IsRightToLeft() const { return false; }

  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState Value) { FControlState = Value; }
  bool MouseCapture() const;
  void SetMouseCapture(bool Value);

  // Messages.
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // Every message passes here first; descendants and users may replace it.
  std::function<void(TMessage& Message)> WindowProc;
  virtual void WndProc(TMessage& Message);
  // Calls the message handler of the message's number, or DefaultHandler.
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();
  virtual bool CanFocus() const { return false; }
  bool HasParent() const override { return true; }
  void ReadState(TReader& Reader) override;
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

  virtual void Click();
  virtual void DblClick();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;

protected:
  friend class TWinControl;
  friend class TWidgetLink;
  virtual TCaption GetText() const { return FText; }
  virtual void SetTextValue(const TCaption& Value) { FText = Value; }
  virtual void Changed();
  void Loaded() override;
  virtual void Resize();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
  virtual bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  void RequestAlign();
  // A press on this control ends the modes (open lists, held buttons) of
  // the active control of each form it lies on.
  void SendCancelMode(TControl* Sender);
  virtual void VisibleChanging() {}
  void UpdateAnchorRules();

  // Message handlers.
  virtual void WMLButtonDown(TMessage& Message);
  virtual void WMLButtonUp(TMessage& Message);
  virtual void WMLButtonDblClk(TMessage& Message);
  virtual void WMRButtonDown(TMessage& Message);
  virtual void WMRButtonUp(TMessage& Message);
  virtual void WMMButtonDown(TMessage& Message);
  virtual void WMMButtonUp(TMessage& Message);
  virtual void WMMouseMove(TMessage& Message);
  virtual void WMMouseWheel(TMessage& Message);
  virtual void WMCancelMode(TMessage& Message);
  virtual void WMContextMenu(TMessage& Message);
  virtual void CMMouseWheel(TMessage& Message);
  virtual void CMMouseEnter(TMessage& Message);
  virtual void CMMouseLeave(TMessage& Message);
  virtual void CMEnabledChanged(TMessage& Message);
  virtual void CMVisibleChanged(TMessage& Message);
  virtual void CMFontChanged(TMessage& Message);
  virtual void CMColorChanged(TMessage& Message);
  virtual void CMParentFontChanged(TMessage& Message);
  virtual void CMParentColorChanged(TMessage& Message);
  virtual void CMTextChanged(TMessage& Message);
  virtual void CMHitTest(TMessage& Message);
  virtual void CMCursorChanged(TMessage& Message);
  virtual void CMStyleChanged(TMessage& Message);

  Integer FLeft = 0;
  Integer FTop = 0;
  Integer FWidth = 0;
  Integer FHeight = 0;
  TWinControl* FParent = nullptr;
  TAlign FAlign = alNone;
  TAnchors FAnchors = {akLeft, akTop};
  bool FVisible = true;
  bool FEnabled = true;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  TColor FColor = clWindow;
  bool FParentColor = true;
  TCursor FCursor = crDefault;
  String FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TCaption FText;
  TPopupMenu* FPopupMenu = nullptr;
  TControlStyle FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState FControlState;
  // Distances to the parent's right and bottom kept by anchors.
  Integer FAnchorRight = 0;
  Integer FAnchorBottom = 0;
  bool FAnchorsValid = false;
  bool FMouseInControl = false;
  TScalingFlags FScalingFlags;

private:
  void FontChanged(TObject*);
  void DoSetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
};

// The link between a windowed control and its Qt widget (platform only).
struct TWidgetState;

// What a windowed control asks of its window when the window is made.
struct TCreateParams {
  String Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  Integer X = 0;
  Integer Y = 0;
  Integer Width = 0;
  Integer Height = 0;
  HWND WndParent = nullptr;
  struct {
    UINT style = 0;
  } WindowClass;
};

class TWinControl : public TControl {
  VELMORA_CLASS(TWinControl)
  using inherited = TControl;
public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // The window: created on first need, with every stored property replayed.
  HWND Handle();
  bool HandleAllocated() const;
  void HandleNeeded();
  void RecreateWnd();
  void DestroyHandle();

  Integer ControlCount() const { return Integer(FControls.size()); }
  TControl* Controls(Integer Index) const { return FControls.at(std::size_t(Index)); }
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* Control) const;
  // The child at a client point (visible graphic and windowed children).
  TControl* ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls = false) const;
  void Broadcast(TMessage& Message);
  void Realign();
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();
  void ScrollBy(Integer DeltaX, Integer DeltaY);

  Integer TabOrder() const;
  void SetTabOrder(Integer Value);
  bool IsTabOrderStored() const { return FParent != nullptr; }
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  void GetTabOrderList(std::vector<TWinControl*>& List);
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

  bool CanFocus() const override;
  // Whether the window has the focus; a popup may answer for itself.
  virtual bool Focused() const;
  virtual void SetFocus();
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode Value) { FImeMode = Value; }
  TImeName ImeName() const { return FImeName; }
  void SetImeName(const TImeName& Value) { FImeName = Value; }
  void ChangeScale(Integer M, Integer D) override;
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool Value) { FDoubleBuffered = Value; }
  bool Ctl3D() const { return FCtl3D; }
  // A change reaches the control as CM_CTL3DCHANGED.
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return true; }
  void SetParentCtl3D(bool) {}
  void Update() override;
  void Repaint() override;
  void PaintTo(HDC DC, Integer X, Integer Y);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  // Whether showing the window leaves the activation and the focus where
  // they are: WS_EX_NOACTIVATE or a popup in its CreateParams, or a window
  // that answers WM_MOUSEACTIVATE with MA_NOACTIVATE.
  bool ShowsWithoutActivating() const;

  // Platform only: the Qt widget (nullptr before the handle exists) and the
  // widget that children are placed in (inside the window's frame).
  QWidget* Widget() const;
  TWidgetState* WidgetState() const { return FWidgetState.get(); }
  virtual QWidget* ClientWidget() const;
  // Asks the control for its frame (WM_NCCALCSIZE) and places the client
  // area inside it; called when the window is made, when it is sized and
  // when SetWindowPos reports a changed frame.
  void UpdateNonClientArea();

  // The client area lies inside the window's frame: the frame that
  // WM_NCCALCSIZE leaves (by default WS_BORDER and the edge styles).
  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;

protected:
  friend class TControl;
  friend class TWidgetLink;
  friend class TCustomForm;
  // The styles of the window; read once, when the window is made.
  virtual void CreateParams(TCreateParams& Params);
  // The widget of this control; the default paints through WM_PAINT.
  virtual QWidget* CreateWidget(QWidget* ParentWidget);
  // Replays every stored property onto a new widget.
  virtual void InitializeWidget();
  virtual void CreateHandle();
  virtual void DestroyWnd();
  void Loaded() override;
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  virtual void AdjustClientRect(TRect& Rect) { (void)Rect; }
  void Resize() override;
  virtual void DoEnter();
  virtual void DoExit();
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void KeyPress(QChar& Key);
  // Runs the form's key preview and this control's key events; answers
  // whether they consumed the key.
  bool DoKeyDown(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  virtual void PaintWindow(HDC DC);
  void PaintControls(HDC DC, TControl* First);
  void PaintHandler(TMessage& Message);
  // Geometry, visibility and font changes that reach the widget.
  virtual void UpdateWidgetBounds();
  void UpdateWidgetFont();
  // Pushes colour and font colour to the widget's palette (again after a
  // style change).
  virtual void UpdateWidgetColor();
  void UpdateShowing();
  // Calls the Qt widget's own handling of the event being translated; used
  // by DefaultHandler.
  bool InNativeEvent() const;

  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  virtual void WMPaint(TMessage& Message);
  virtual void WMEraseBkgnd(TMessage& Message);
  virtual void WMSize(TMessage& Message);
  virtual void WMSetFocus(TMessage& Message);
  virtual void WMKillFocus(TMessage& Message);
  virtual void WMKeyDown(TMessage& Message);
  virtual void WMKeyUp(TMessage& Message);
  virtual void WMChar(TMessage& Message);
  virtual void WMSysKeyDown(TMessage& Message);
  virtual void WMGetDlgCode(TMessage& Message);
  virtual void CNKeyDown(TMessage& Message);
  virtual void CNChar(TMessage& Message);
  virtual void CMDialogKey(TMessage& Message);
  virtual void CMDialogChar(TMessage& Message);
  virtual void CMEnter(TMessage& Message);
  virtual void CMExit(TMessage& Message);
  virtual void CMChildKey(TMessage& Message);
  virtual void CMWantSpecialKey(TMessage& Message);
  virtual void CMFocusChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMCursorChanged(TMessage& Message) override;
  virtual void CMShowingChanged(TMessage& Message);
  virtual void CMInvalidate(TMessage& Message);
  void CMStyleChanged(TMessage& Message) override;
  // The frame that the window's styles give on each side.
  Integer StyleFrameWidth() const;

  std::vector<TControl*> FControls;     // all children in z-order
  std::vector<TWinControl*> FTabList;   // windowed children in tab order
  bool FTabStop = false;
  bool FDoubleBuffered = false;
  bool FCtl3D = true;
  Integer FAlignLevel = 0;
  TImeMode FImeMode = imDontCare;
  TImeName FImeName;
  std::unique_ptr<TWidgetState> FWidgetState;

private:
  void RemoveFocus(bool Removing);
  void CreateChildHandles();
  void ApplyWindowStyles();
};

// The input-method calls of a window; nothing to do outside Far-East locales.
void SetImeName(const TImeName& Name);
void SetImeMode(HWND Handle, TImeMode Mode);
// Whether the system locale writes Chinese, Japanese or Korean.
bool SysLocaleFarEast();

// A windowed control that paints itself through its canvas.
class TCustomControl : public TWinControl {
  VELMORA_CLASS(TCustomControl)
  using inherited = TWinControl;
public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* Canvas() const;

protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;
  std::unique_ptr<class TControlCanvas> FCanvas;
};

// A control without a window: it paints on its parent's surface.
class TGraphicControl : public TControl {
  VELMORA_CLASS(TGraphicControl)
  using inherited = TControl;
public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const;

protected:
  friend class TWinControl;
  virtual void Paint() {}
  void Dispatch(TMessage& Message) override;
  virtual void WMPaint(TMessage& Message);
  std::unique_ptr<class TControlCanvas> FCanvas;
};

// The canvas of a control: bound to the paint context while painting, and a
// measuring context otherwise (drawing outside a paint is not shown).
class TControlCanvas : public TCanvas {
public:
  explicit TControlCanvas(TControl* AControl);
  ~TControlCanvas() override;
  TControl* Control() const { return FControl; }
  void BindPaintDC(HDC DC);   // nullptr: back to the measuring context
protected:
  void CreateHandle() override;
private:
  TControl* FControl;
  std::unique_ptr<TDeviceContext> FMeasureDC;
};

// Mouse position and capture.
class TMouse {
public:
  TPoint CursorPos() const;
  void SetCursorPos(TPoint Value);
  TControl* Capture() const;
  void SetCapture(TControl* Value);
  Integer WheelScrollLines() const { return 3; }
};
TMouse* Mouse();

// The control of a window.
TWinControl* FindControl(HWND Handle);
// The form a control stands on (nullptr when none).
TCustomForm* GetParentForm(TControl* Control, bool TopForm = true);
// The control under a screen point.
TWinControl* FindVCLWindow(TPoint Pos);
bool IsLiveControl(const TControl* Control);

// A top-level window that shows without the activation but ends, as an
// active window would, when the user turns elsewhere: from Begin until End
// (or until it goes), a press on another window of the program that takes
// the activation, or the program losing the activation, sends it WM_ACTIVATE
// with WA_INACTIVE, once. Presses on windows that never take the activation
// (popup lists, other such windows) change nothing.
void BeginPopupActivation(TWinControl* Window);
void EndPopupActivation(TWinControl* Window);
bool PopupActivated(const TWinControl* Window);
// What a press on Control does to those windows (the mouse input calls it).
void PopupActivationPress(TWinControl* Control);

// The message queue. Messages go to a control and are delivered in order by
// the event loop; a control freed before delivery gets none.
struct TMsg {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  TPoint pt;
};
enum : UINT { PM_NOREMOVE = 0, PM_REMOVE = 1 };

LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
bool PostMessage(HWND Wnd, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
// Posts unless a message of the same number is already waiting for Wnd.
bool PostMessageOnce(HWND Wnd, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
void PostQuitMessage(Integer ExitCode);
// Looks for a waiting message of Wnd (nullptr: any) whose number lies in
// [FilterMin, FilterMax] (both 0: any): posted messages and the key and mouse
// input that has reached the program but not yet been handled.
bool PeekMessage(TMsg& Msg, HWND Wnd, UINT FilterMin, UINT FilterMax, UINT RemoveMsg);
// Whether key or mouse input is waiting.
bool InputPending();
// Removes one waiting message of exactly that number for Wnd; a quit message
// taken on the way is posted again.
bool RemovePendingMessage(HWND Wnd, UINT Msg);
