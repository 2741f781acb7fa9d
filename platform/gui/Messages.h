// Messages.h: window and control messages: their numbers, the message record
// and the typed views of it that message handlers take.
#pragma once

#include "platform/gui/Windows.h"

enum : UINT {
  WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003, WM_SIZE = 0x0005,
  WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008, WM_ENABLE = 0x000A,
  WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D, WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_QUIT = 0x0012,
  WM_ERASEBKGND = 0x0014, WM_SHOWWINDOW = 0x0018, WM_SETTINGCHANGE = 0x001A, WM_ACTIVATEAPP = 0x001C,
  WM_CANCELMODE = 0x001F, WM_SETCURSOR = 0x0020, WM_MOUSEACTIVATE = 0x0021, WM_WINDOWPOSCHANGED = 0x0047,
  WM_CONTEXTMENU = 0x007B, WM_NCCALCSIZE = 0x0083, WM_NCHITTEST = 0x0084, WM_NCPAINT = 0x0085,
  WM_GETDLGCODE = 0x0087, WM_NCMOUSEMOVE = 0x00A0, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102, WM_SYSKEYDOWN = 0x0104, WM_SYSKEYUP = 0x0105, WM_SYSCHAR = 0x0106,
  WM_KEYFIRST = 0x0100, WM_KEYLAST = 0x0109, WM_INITDIALOG = 0x0110, WM_COMMAND = 0x0111,
  WM_SYSCOMMAND = 0x0112, WM_TIMER = 0x0113, WM_HSCROLL = 0x0114, WM_VSCROLL = 0x0115,
  WM_INITMENUPOPUP = 0x0117, WM_GESTURE = 0x0119, WM_MENUSELECT = 0x011F, WM_ENTERIDLE = 0x0121,
  WM_MOUSEFIRST = 0x0200, WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203, WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205, WM_RBUTTONDBLCLK = 0x0206,
  WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208, WM_MBUTTONDBLCLK = 0x0209, WM_MOUSEWHEEL = 0x020A,
  WM_MOUSEHWHEEL = 0x020E, WM_MOUSELAST = 0x020E, WM_CAPTURECHANGED = 0x0215, WM_MOUSEHOVER = 0x02A1,
  WM_MOUSELEAVE = 0x02A3, WM_CUT = 0x0300, WM_COPY = 0x0301, WM_PASTE = 0x0302, WM_CLEAR = 0x0303,
  WM_UNDO = 0x0304, WM_THEMECHANGED = 0x031A, WM_USER = 0x0400, WM_APP = 0x8000
};

// WM_ACTIVATE's WParam.
enum : WPARAM { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };

// Edit-control messages the libraries send.
enum : UINT {
  EM_GETSEL = 0x00B0, EM_SETSEL = 0x00B1, EM_SCROLLCARET = 0x00B7, EM_GETMODIFY = 0x00B8,
  EM_SETMODIFY = 0x00B9, EM_LINEFROMCHAR = 0x00C9, EM_SETREADONLY = 0x00CF, EM_CHARFROMPOS = 0x00D7,
  EM_POSFROMCHAR = 0x00D6
};
// More edit-control messages: the lines of a multi-line edit.
enum : UINT { EM_GETLINECOUNT = 0x00BA, EM_LINEINDEX = 0x00BB };

// Edit-control styles (CreateParams) and the notice an edit sends its
// parent in WM_COMMAND's high word.
enum : DWORD {
  ES_LEFT = 0x0000, ES_CENTER = 0x0001, ES_RIGHT = 0x0002, ES_MULTILINE = 0x0004, ES_AUTOVSCROLL = 0x0040,
  ES_AUTOHSCROLL = 0x0080
};
enum : Word { EN_CHANGE = 0x0300 };

// Control messages of the class library.
enum : UINT {
  CM_BASE = 0xB000, CM_ACTIVATE = CM_BASE + 0, CM_DEACTIVATE = CM_BASE + 1, CM_GOTFOCUS = CM_BASE + 2,
  CM_LOSTFOCUS = CM_BASE + 3, CM_CANCELMODE = CM_BASE + 4, CM_DIALOGKEY = CM_BASE + 5,
  CM_DIALOGCHAR = CM_BASE + 6, CM_FOCUSCHANGED = CM_BASE + 7, CM_PARENTFONTCHANGED = CM_BASE + 8,
  CM_PARENTCOLORCHANGED = CM_BASE + 9, CM_HITTEST = CM_BASE + 10, CM_VISIBLECHANGED = CM_BASE + 11,
  CM_ENABLEDCHANGED = CM_BASE + 12, CM_COLORCHANGED = CM_BASE + 13, CM_FONTCHANGED = CM_BASE + 14,
  CM_CURSORCHANGED = CM_BASE + 15, CM_CTL3DCHANGED = CM_BASE + 16, CM_PARENTCTL3DCHANGED = CM_BASE + 17,
  CM_TEXTCHANGED = CM_BASE + 18, CM_MOUSEENTER = CM_BASE + 19, CM_MOUSELEAVE = CM_BASE + 20,
  CM_MENUCHANGED = CM_BASE + 21, CM_APPKEYDOWN = CM_BASE + 22, CM_APPSYSCOMMAND = CM_BASE + 23,
  CM_BUTTONPRESSED = CM_BASE + 24, CM_SHOWINGCHANGED = CM_BASE + 25, CM_ENTER = CM_BASE + 26,
  CM_EXIT = CM_BASE + 27, CM_DESIGNHITTEST = CM_BASE + 28, CM_ICONCHANGED = CM_BASE + 29,
  CM_WANTSPECIALKEY = CM_BASE + 30, CM_INVOKEHELP = CM_BASE + 31, CM_WINDOWHOOK = CM_BASE + 32,
  CM_RELEASE = CM_BASE + 33, CM_SHOWHINTCHANGED = CM_BASE + 34, CM_PARENTSHOWHINTCHANGED = CM_BASE + 35,
  CM_SYSCOLORCHANGE = CM_BASE + 36, CM_WININICHANGE = CM_BASE + 37, CM_FONTCHANGE = CM_BASE + 38,
  CM_TIMECHANGE = CM_BASE + 39, CM_TABSTOPCHANGED = CM_BASE + 40, CM_UIACTIVATE = CM_BASE + 41,
  CM_UIDEACTIVATE = CM_BASE + 42, CM_DOCWINDOWACTIVATE = CM_BASE + 43, CM_CONTROLLISTCHANGE = CM_BASE + 44,
  CM_GETDATALINK = CM_BASE + 45, CM_CHILDKEY = CM_BASE + 46, CM_HINTSHOW = CM_BASE + 48,
  CM_RECREATEWND = CM_BASE + 51, CM_INVALIDATE = CM_BASE + 52, CM_SYSFONTCHANGED = CM_BASE + 53,
  CM_CONTROLCHANGE = CM_BASE + 54, CM_CHANGED = CM_BASE + 55, CM_BORDERCHANGED = CM_BASE + 59,
  CM_BIDIMODECHANGED = CM_BASE + 60, CM_PARENTBIDIMODECHANGED = CM_BASE + 61,
  CM_MOUSEWHEEL = CM_BASE + 67, CM_STYLECHANGED = CM_BASE + 69, CM_TEXTCHANGING = CM_BASE + 82,
  CN_BASE = 0xBC00, CN_COMMAND = CN_BASE + WM_COMMAND, CN_KEYDOWN = CN_BASE + WM_KEYDOWN,
  CN_KEYUP = CN_BASE + WM_KEYUP, CN_CHAR = CN_BASE + WM_CHAR
};

// WM_GETDLGCODE answers.
enum : Integer {
  DLGC_WANTARROWS = 0x1, DLGC_WANTTAB = 0x2, DLGC_WANTALLKEYS = 0x4, DLGC_WANTMESSAGE = 0x4,
  DLGC_HASSETSEL = 0x8, DLGC_DEFPUSHBUTTON = 0x10, DLGC_UNDEFPUSHBUTTON = 0x20,
  DLGC_RADIOBUTTON = 0x40, DLGC_WANTCHARS = 0x80, DLGC_STATIC = 0x100, DLGC_BUTTON = 0x2000
};

// Mouse key state in wParam.
enum : Word { MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_SHIFT = 0x4, MK_CONTROL = 0x8, MK_MBUTTON = 0x10 };
constexpr Integer WHEEL_DELTA = 120;

// Scroll-bar codes.
enum : Word {
  SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2, SB_PAGELEFT = 2,
  SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5, SB_TOP = 6, SB_LEFT = 6,
  SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8
};

// Virtual keys.
enum : Word {
  VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04, VK_BACK = 0x08,
  VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12,
  VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22,
  VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
  VK_SELECT = 0x29, VK_PRINT = 0x2A, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F,
  VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D, VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B,
  VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70,
  VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75, VK_F7 = 0x76, VK_F8 = 0x77,
  VK_F9 = 0x78, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
  VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3, VK_LMENU = 0xA4,
  VK_RMENU = 0xA5
};

// The message record every handler receives; the typed views below read the
// same four fields.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;

  Word WParamLo() const { return Word(WParam & 0xFFFF); }
  Word WParamHi() const { return Word((WParam >> 16) & 0xFFFF); }
  Word LParamLo() const { return Word(LParam & 0xFFFF); }
  Word LParamHi() const { return Word((LParam >> 16) & 0xFFFF); }
};

constexpr LPARAM MakeLParam(Word Lo, Word Hi) { return LPARAM(Cardinal(Lo) | (Cardinal(Hi) << 16)); }
constexpr WPARAM MakeWParam(Word Lo, Word Hi) { return WPARAM(Cardinal(Lo) | (Cardinal(Hi) << 16)); }
constexpr Word LoWord(NativeUInt V) { return Word(V & 0xFFFF); }
constexpr Word HiWord(NativeUInt V) { return Word((V >> 16) & 0xFFFF); }
TPoint SmallPointToPoint(TSmallPoint P);
TSmallPoint PointToSmallPoint(TPoint P);

// Typed views: each wraps a TMessage and reads its fields as the message
// defines them. Changes to Result reach the original record.
class TWMView {
public:
  explicit TWMView(TMessage& M) : FMsg(M) {}
  UINT Msg() const { return FMsg.Msg; }
  LRESULT& Result() { return FMsg.Result; }
  TMessage& Message() { return FMsg; }
protected:
  TMessage& FMsg;
};

// WM_KEYDOWN, WM_KEYUP, WM_CHAR and the system and CN_/CM_ variants.
class TWMKey : public TWMView {
public:
  using TWMView::TWMView;
  Word CharCode() const { return Word(FMsg.WParam); }
  void SetCharCode(Word Value) { FMsg.WParam = Value; }
  LongInt KeyData() const { return LongInt(FMsg.LParam); }
};
using TWMKeyDown = TWMKey;
using TWMKeyUp = TWMKey;
using TWMChar = TWMKey;
using TCMDialogKey = TWMKey;
using TCMDialogChar = TWMKey;

// Mouse messages: keys in wParam, client position in lParam.
class TWMMouse : public TWMView {
public:
  using TWMView::TWMView;
  Word Keys() const { return Word(FMsg.WParam); }
  SmallInt XPos() const { return SmallInt(FMsg.LParamLo()); }
  SmallInt YPos() const { return SmallInt(FMsg.LParamHi()); }
  TPoint Pos() const { return TPoint(XPos(), YPos()); }
};
using TWMLButtonDown = TWMMouse;
using TWMLButtonUp = TWMMouse;
using TWMRButtonDown = TWMMouse;
using TWMRButtonUp = TWMMouse;
using TWMMouseMove = TWMMouse;

// WM_MOUSEWHEEL: keys and signed delta in wParam, screen position in lParam.
class TWMMouseWheel : public TWMView {
public:
  using TWMView::TWMView;
  Word Keys() const { return FMsg.WParamLo(); }
  SmallInt WheelDelta() const { return SmallInt(FMsg.WParamHi()); }
  SmallInt XPos() const { return SmallInt(FMsg.LParamLo()); }
  SmallInt YPos() const { return SmallInt(FMsg.LParamHi()); }
};

// CM_MOUSEWHEEL: shift state in wParam low word, delta in the high word.
class TCMMouseWheel : public TWMMouseWheel {
public:
  using TWMMouseWheel::TWMMouseWheel;
  Word ShiftState() const { return FMsg.WParamLo(); }
};

class TWMSize : public TWMView {
public:
  using TWMView::TWMView;
  Cardinal SizeType() const { return Cardinal(FMsg.WParam); }
  Word Width() const { return FMsg.LParamLo(); }
  Word Height() const { return FMsg.LParamHi(); }
};

// WM_PAINT: wParam may carry a context to paint into.
class TWMPaint : public TWMView {
public:
  using TWMView::TWMView;
  HDC DC() const { return reinterpret_cast<HDC>(FMsg.WParam); }
};
using TWMEraseBkgnd = TWMPaint;

class TWMSetFocus : public TWMView {
public:
  using TWMView::TWMView;
  HWND FocusedWnd() const { return reinterpret_cast<HWND>(FMsg.WParam); }
};
using TWMKillFocus = TWMSetFocus;

class TWMScroll : public TWMView {
public:
  using TWMView::TWMView;
  Word ScrollCode() const { return FMsg.WParamLo(); }
  SmallInt Pos() const { return SmallInt(FMsg.WParamHi()); }
};
using TWMHScroll = TWMScroll;
using TWMVScroll = TWMScroll;

class TWMTimer : public TWMView {
public:
  using TWMView::TWMView;
  Cardinal TimerID() const { return Cardinal(FMsg.WParam); }
};

using TWMGetDlgCode = TWMView;
using TWMCancelMode = TWMView;
using TCMCancelMode = TWMView;
using TCMEnter = TWMView;
using TCMExit = TWMView;
using TCMFocusChanged = TWMView;

// A message record can also be read through a pointer cast in handler code.
template <class View>
View As(TMessage& M) { return View(M); }

// WM_COMMAND and CN_COMMAND: the control's id and its notice in wParam, the
// control's window in lParam.
class TWMCommand : public TWMView {
public:
  using TWMView::TWMView;
  Word ItemID() const { return FMsg.WParamLo(); }
  Word NotifyCode() const { return FMsg.WParamHi(); }
  HWND Ctl() const { return reinterpret_cast<HWND>(FMsg.LParam); }
};
