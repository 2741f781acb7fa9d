// Windows.h: the subset of the window system's drawing and window calls that
// the libraries make (device contexts, text output and metrics, regions,
// mapping modes, scrolling, messages), over Qt with the original semantics.
#pragma once

#include "platform/gui/Types.h"

#include <functional>
#include <vector>

struct TDeviceContext;
struct TRegionHandle;
class TWinControl;

using HDC = TDeviceContext*;
using HRGN = TRegionHandle*;
using HGDIOBJ = void*;
using HWND = TWinControl*;
using WPARAM = NativeUInt;
using LPARAM = NativeInt;
using LRESULT = NativeInt;
using UINT = Cardinal;
using DWORD = Cardinal;
using BOOL = bool;
using COLORREF = Cardinal;

// Draw text format flags.
enum : UINT {
  DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
  DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
  DT_TABSTOP = 0x80, DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400,
  DT_NOPREFIX = 0x800, DT_INTERNAL = 0x1000, DT_EDITCONTROL = 0x2000,
  DT_PATH_ELLIPSIS = 0x4000, DT_END_ELLIPSIS = 0x8000, DT_MODIFYSTRING = 0x10000,
  DT_RTLREADING = 0x20000, DT_WORD_ELLIPSIS = 0x40000, DT_NOFULLWIDTHCHARBREAK = 0x80000,
  DT_HIDEPREFIX = 0x100000, DT_PREFIXONLY = 0x200000
};

struct DRAWTEXTPARAMS {
  UINT cbSize = sizeof(DRAWTEXTPARAMS);
  Integer iTabLength = 0;   // in average character widths; 0 = 8
  Integer iLeftMargin = 0;
  Integer iRightMargin = 0;
  UINT uiLengthDrawn = 0;   // out: characters processed
};

// ExtTextOut options and text alignment.
enum : UINT { ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4, ETO_RTLREADING = 0x80 };
enum : UINT {
  TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6,
  TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24, TA_RTLREADING = 256
};
enum : Integer { TRANSPARENT = 1, OPAQUE = 2 };
enum : Integer { ALTERNATE = 1, WINDING = 2 };

// Regions.
enum : Integer { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : Integer { RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
constexpr Integer ERROR = 0;

// Mapping modes and world transforms.
enum : Integer { MM_TEXT = 1, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8 };
enum : Integer { GM_COMPATIBLE = 1, GM_ADVANCED = 2 };
enum : DWORD { MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3 };
enum : DWORD { LAYOUT_RTL = 1 };

struct XFORM {
  Single eM11 = 1, eM12 = 0, eM21 = 0, eM22 = 1, eDx = 0, eDy = 0;
};

struct TEXTMETRIC {
  LongInt tmHeight = 0;
  LongInt tmAscent = 0;
  LongInt tmDescent = 0;
  LongInt tmInternalLeading = 0;
  LongInt tmExternalLeading = 0;
  LongInt tmAveCharWidth = 0;
  LongInt tmMaxCharWidth = 0;
  LongInt tmWeight = 400;
  LongInt tmOverhang = 0;
  LongInt tmDigitizedAspectX = 96;
  LongInt tmDigitizedAspectY = 96;
  WideChar tmFirstChar = 0x20;
  WideChar tmLastChar = 0xFFFC;
  WideChar tmDefaultChar = 0x1F;
  WideChar tmBreakChar = 0x20;
  Byte tmItalic = 0;
  Byte tmUnderlined = 0;
  Byte tmStruckOut = 0;
  Byte tmPitchAndFamily = 0;
  Byte tmCharSet = 1;
};
using TTextMetric = TEXTMETRIC;

// Scrolling.
enum : UINT { SW_SCROLLCHILDREN = 0x1, SW_INVALIDATE = 0x2, SW_ERASE = 0x4 };

// Text output and measuring. Text is drawn with the font, text colour,
// background mode and colour, and alignment selected into the context.
Integer DrawText(HDC DC, const String& Text, Integer Count, TRect& R, UINT Format);
Integer DrawTextEx(HDC DC, const String& Text, Integer Count, TRect& R, UINT Format,
                   DRAWTEXTPARAMS* Params = nullptr);
bool ExtTextOut(HDC DC, Integer X, Integer Y, UINT Options, const TRect* R, const String& Text,
                const Integer* Dx = nullptr);
bool TextOut(HDC DC, Integer X, Integer Y, const String& Text);
// Size of the text's first Count characters; Fit receives how many fit in
// MaxExtent and Dx the cumulative width up to and including each character.
bool GetTextExtentExPoint(HDC DC, const String& Text, Integer Count, Integer MaxExtent,
                          Integer* Fit, std::vector<Integer>* Dx, TSize& Size);
bool GetTextExtentPoint32(HDC DC, const String& Text, Integer Count, TSize& Size);
bool GetTextMetrics(HDC DC, TEXTMETRIC& TM);
UINT SetTextAlign(HDC DC, UINT Align);
UINT GetTextAlign(HDC DC);
Integer SetBkMode(HDC DC, Integer Mode);
Integer GetBkMode(HDC DC);
COLORREF SetBkColor(HDC DC, COLORREF Color);
COLORREF GetBkColor(HDC DC);
COLORREF SetTextColor(HDC DC, COLORREF Color);
COLORREF GetTextColor(HDC DC);

// Lines and shapes with the current pen and brush.
bool MoveToEx(HDC DC, Integer X, Integer Y, TPoint* Old = nullptr);
bool LineTo(HDC DC, Integer X, Integer Y);
bool Polyline(HDC DC, const TPoint* Points, Integer Count);
bool PolyPolyline(HDC DC, const TPoint* Points, const DWORD* Counts, Integer Polylines);
bool Polygon(HDC DC, const TPoint* Points, Integer Count);
bool Rectangle(HDC DC, Integer L, Integer T, Integer R, Integer B);
bool Ellipse(HDC DC, Integer L, Integer T, Integer R, Integer B);
bool RoundRect(HDC DC, Integer L, Integer T, Integer R, Integer B, Integer W, Integer H);
Integer SetPolyFillMode(HDC DC, Integer Mode);
COLORREF GetPixel(HDC DC, Integer X, Integer Y);
COLORREF SetPixel(HDC DC, Integer X, Integer Y, COLORREF Color);

// Regions (device coordinates). The caller owns a created region and frees
// it with DeleteObject.
HRGN CreateRectRgn(Integer L, Integer T, Integer R, Integer B);
HRGN CreateRectRgnIndirect(const TRect& R);
HRGN CreateEllipticRgn(Integer L, Integer T, Integer R, Integer B);
HRGN CreatePolygonRgn(const TPoint* Points, Integer Count, Integer FillMode);
Integer CombineRgn(HRGN Dst, HRGN Src1, HRGN Src2, Integer Mode);
Integer OffsetRgn(HRGN Rgn, Integer DX, Integer DY);
Integer GetRgnBox(HRGN Rgn, TRect& R);
bool PtInRegion(HRGN Rgn, Integer X, Integer Y);
bool RectInRegion(HRGN Rgn, const TRect& R);
bool EqualRgn(HRGN R1, HRGN R2);
bool DeleteObject(HRGN Rgn);

// Clipping. Regions given and answered are in device coordinates.
Integer SelectClipRgn(HDC DC, HRGN Rgn);
Integer ExtSelectClipRgn(HDC DC, HRGN Rgn, Integer Mode);
Integer GetClipRgn(HDC DC, HRGN Rgn);   // 0: no clip region, 1: copied
Integer GetClipBox(HDC DC, TRect& R);
Integer IntersectClipRect(HDC DC, Integer L, Integer T, Integer R, Integer B);
Integer ExcludeClipRect(HDC DC, Integer L, Integer T, Integer R, Integer B);
bool RectVisible(HDC DC, const TRect& R);
bool PtVisible(HDC DC, Integer X, Integer Y);

// State, mapping and transforms.
Integer SaveDC(HDC DC);
bool RestoreDC(HDC DC, Integer SavedDC);   // negative: relative to the top
Integer SetMapMode(HDC DC, Integer Mode);
Integer GetMapMode(HDC DC);
bool SetWindowOrgEx(HDC DC, Integer X, Integer Y, TPoint* Old = nullptr);
bool SetWindowExtEx(HDC DC, Integer X, Integer Y, TSize* Old = nullptr);
bool SetViewportOrgEx(HDC DC, Integer X, Integer Y, TPoint* Old = nullptr);
bool SetViewportExtEx(HDC DC, Integer X, Integer Y, TSize* Old = nullptr);
bool GetWindowOrgEx(HDC DC, TPoint& P);
bool GetViewportOrgEx(HDC DC, TPoint& P);
Integer SetGraphicsMode(HDC DC, Integer Mode);
bool SetWorldTransform(HDC DC, const XFORM& X);
bool GetWorldTransform(HDC DC, XFORM& X);
bool ModifyWorldTransform(HDC DC, const XFORM* X, DWORD Mode);
bool LPtoDP(HDC DC, TPoint* Points, Integer Count);
bool DPtoLP(HDC DC, TPoint* Points, Integer Count);
DWORD SetLayout(HDC DC, DWORD Layout);
DWORD GetLayout(HDC DC);

// Copies pixels between contexts (SRCCOPY only).
enum : DWORD { SRCCOPY = 0x00CC0020 };
bool BitBlt(HDC Dst, Integer X, Integer Y, Integer W, Integer H, HDC Src, Integer XSrc,
            Integer YSrc, DWORD Rop);
bool StretchBlt(HDC Dst, Integer X, Integer Y, Integer W, Integer H, HDC Src, Integer XSrc,
                Integer YSrc, Integer WSrc, Integer HSrc, DWORD Rop);
// Blends pixels of Src over Dst: with the constant alpha of the blend
// function, and the source's own alpha too when AlphaFormat is AC_SRC_ALPHA.
enum : Byte { AC_SRC_OVER = 0x00, AC_SRC_ALPHA = 0x01 };
struct BLENDFUNCTION {
  Byte BlendOp = AC_SRC_OVER;
  Byte BlendFlags = 0;
  Byte SourceConstantAlpha = 255;
  Byte AlphaFormat = 0;
};
bool AlphaBlend(HDC Dst, Integer X, Integer Y, Integer W, Integer H, HDC Src, Integer XSrc, Integer YSrc,
                Integer WSrc, Integer HSrc, BLENDFUNCTION Blend);

// Device capabilities.
enum : Integer {
  HORZSIZE = 4, VERTSIZE = 6, HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, LOGPIXELSX = 88,
  LOGPIXELSY = 90, PHYSICALWIDTH = 110, PHYSICALHEIGHT = 111, PHYSICALOFFSETX = 112,
  PHYSICALOFFSETY = 113, DESKTOPVERTRES = 117, DESKTOPHORZRES = 118
};
Integer GetDeviceCaps(HDC DC, Integer Index);

// A context on the whole screen for measuring when no window is at hand.
HDC GetDC(HWND Wnd);
// The context of the window's frame while it is painted (WM_NCPAINT);
// nullptr at any other time.
HDC GetWindowDC(HWND Wnd);
Integer ReleaseDC(HWND Wnd, HDC DC);

// Windows.
bool InvalidateRect(HWND Wnd, const TRect* R, bool Erase);
bool ValidateRect(HWND Wnd, const TRect* R);
bool UpdateWindow(HWND Wnd);
Integer ScrollWindowEx(HWND Wnd, Integer DX, Integer DY, const TRect* Scroll, const TRect* Clip,
                       HRGN Update, TRect* UpdateRect, UINT Flags);
bool GetClientRect(HWND Wnd, TRect& R);
bool GetWindowRect(HWND Wnd, TRect& R);
bool ClientToScreen(HWND Wnd, TPoint& P);
bool ScreenToClient(HWND Wnd, TPoint& P);
bool IsWindowVisible(HWND Wnd);
bool IsWindowEnabled(HWND Wnd);
bool IsChild(HWND Parent, HWND Wnd);
HWND SetFocus(HWND Wnd);
HWND GetFocus();
HWND SetCapture(HWND Wnd);
bool ReleaseCapture();
HWND GetCapture();
bool GetCursorPos(TPoint& P);
// The caret of the focused edit in its client coordinates; false when the
// focused control shows none.
bool GetCaretPos(TPoint& P);

// Key state: the high bit is set while the key is down.
SmallInt GetKeyState(Integer VirtKey);
SmallInt GetAsyncKeyState(Integer VirtKey);
Cardinal GetTickCount();
UInt64 GetTickCount64();
LongInt GetMessageTime();
UINT GetDoubleClickTime();
void MessageBeep(UINT Type);

// System metrics used by the libraries.
enum : Integer {
  SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4,
  SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CYVTHUMB = 9, SM_CXHTHUMB = 10, SM_CXICON = 11,
  SM_CYICON = 12, SM_CYMENU = 15, SM_CYVSCROLL = 20, SM_CXHSCROLL = 21, SM_CXEDGE = 45,
  SM_CYEDGE = 46, SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37, SM_CXSMICON = 49, SM_CYSMICON = 50
};
Integer GetSystemMetrics(Integer Index);

// ---------------------------------------------------------------------------
// Beeps, timers and top-level windows.

// Tests may hear the beeps instead of the speaker; answers the previous hook.
using TMessageBeepHook = std::function<void(UINT Type)>;
TMessageBeepHook SetMessageBeepHook(TMessageBeepHook Hook);

// Timers. With a window, WM_TIMER (wParam: the timer's id) reaches it every
// Elapse milliseconds, or Proc is called when given, and the answer is
// IDEvent; setting a timer again restarts it. Without a window Proc is
// called and the answer is a new id. Timers fire inside modal loops too.
using UINT_PTR = NativeUInt;
using TIMERPROC = std::function<void(HWND Wnd, UINT Msg, UINT_PTR IDEvent, DWORD Time)>;
UINT_PTR SetTimer(HWND Wnd, UINT_PTR IDEvent, UINT Elapse, TIMERPROC Proc = nullptr);
bool KillTimer(HWND Wnd, UINT_PTR IDEvent);

// Window styles, as a control's CreateParams give them and GetWindowLong
// answers them.
enum : DWORD {
  WS_OVERLAPPED = 0x0, WS_POPUP = 0x80000000, WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000,
  WS_DISABLED = 0x08000000, WS_CLIPSIBLINGS = 0x04000000, WS_CLIPCHILDREN = 0x02000000,
  WS_CAPTION = 0x00C00000, WS_BORDER = 0x00800000, WS_DLGFRAME = 0x00400000, WS_VSCROLL = 0x00200000,
  WS_HSCROLL = 0x00100000, WS_SYSMENU = 0x00080000, WS_THICKFRAME = 0x00040000, WS_TABSTOP = 0x00010000
};
enum : DWORD {
  WS_EX_DLGMODALFRAME = 0x1, WS_EX_TOPMOST = 0x8, WS_EX_TRANSPARENT = 0x20, WS_EX_TOOLWINDOW = 0x80,
  WS_EX_WINDOWEDGE = 0x100, WS_EX_CLIENTEDGE = 0x200, WS_EX_RIGHT = 0x1000, WS_EX_RTLREADING = 0x2000,
  WS_EX_LEFTSCROLLBAR = 0x4000, WS_EX_CONTROLPARENT = 0x10000, WS_EX_STATICEDGE = 0x20000,
  WS_EX_APPWINDOW = 0x40000, WS_EX_LAYERED = 0x80000, WS_EX_LAYOUTRTL = 0x400000,
  WS_EX_NOACTIVATE = 0x08000000
};
enum : UINT { CS_VREDRAW = 0x1, CS_HREDRAW = 0x2, CS_DBLCLKS = 0x8, CS_SAVEBITS = 0x800, CS_DROPSHADOW = 0x20000 };
enum : Integer { GWL_STYLE = -16, GWL_EXSTYLE = -20 };
// Changing WS_EX_TOPMOST, WS_EX_NOACTIVATE or WS_EX_LAYERED of a top-level
// window takes effect at once.
LongInt GetWindowLong(HWND Wnd, Integer Index);
LongInt SetWindowLong(HWND Wnd, Integer Index, LongInt NewLong);

// Showing and placing windows. A window shown without activation leaves the
// active window and the focus where they are. These act on the window only:
// the control's Visible stays as it was.
enum : Integer {
  SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_NORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3,
  SW_SHOWNOACTIVATE = 4, SW_SHOW = 5, SW_MINIMIZE = 6, SW_SHOWMINNOACTIVE = 7, SW_SHOWNA = 8,
  SW_RESTORE = 9
};
bool ShowWindow(HWND Wnd, Integer CmdShow);   // answers whether it was visible
enum : UINT {
  SWP_NOSIZE = 0x1, SWP_NOMOVE = 0x2, SWP_NOZORDER = 0x4, SWP_NOREDRAW = 0x8, SWP_NOACTIVATE = 0x10,
  SWP_FRAMECHANGED = 0x20, SWP_SHOWWINDOW = 0x40, SWP_HIDEWINDOW = 0x80, SWP_NOCOPYBITS = 0x100,
  SWP_NOOWNERZORDER = 0x200, SWP_NOSENDCHANGING = 0x400
};
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(NativeInt(1));
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(NativeInt(-1));
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(NativeInt(-2));
// X and Y are in the parent's client coordinates, on the screen for a
// top-level window.
bool SetWindowPos(HWND Wnd, HWND InsertAfter, Integer X, Integer Y, Integer CX, Integer CY, UINT Flags);
// The top-level window that has the activation (nullptr: none of ours).
HWND GetActiveWindow();
// Where a screen point lies in a window (WM_NCHITTEST).
enum : LRESULT { HTERROR = -2, HTTRANSPARENT = -1, HTNOWHERE = 0, HTCLIENT = 1, HTBORDER = 18 };
// WM_NCCALCSIZE: rgrc[0] comes as the window's rectangle in its parent's
// coordinates and goes back as its client area.
struct NCCALCSIZE_PARAMS {
  TRect rgrc[3];
  void* lppos = nullptr;
};

// Answers to WM_MOUSEACTIVATE: whether a click activates the window and
// whether the click itself is then dropped.
enum : LRESULT { MA_ACTIVATE = 1, MA_ACTIVATEANDEAT = 2, MA_NOACTIVATE = 3, MA_NOACTIVATEANDEAT = 4 };

// Layered windows: a constant alpha and a colour key whose pixels are not
// part of the window (the shape follows the window's drawing).
enum : DWORD { LWA_COLORKEY = 0x1, LWA_ALPHA = 0x2 };
bool SetLayeredWindowAttributes(HWND Wnd, COLORREF Key, Byte Alpha, DWORD Flags);
bool GetLayeredWindowAttributes(HWND Wnd, COLORREF* Key, Byte* Alpha, DWORD* Flags);
// The window takes the shape of Rgn, in its own coordinates (nullptr: a
// rectangle again); the window owns the region from then on.
Integer SetWindowRgn(HWND Wnd, HRGN Rgn, bool Redraw);
// Copies the shape into Rgn; ERROR when the window has none.
Integer GetWindowRgn(HWND Wnd, HRGN Rgn);

// The time of GetTickCount and of every timer. The program runs on the
// monotonic clock; a test that creates a TTestClock runs on it instead and
// moves the time on by hand, so timers fire without waiting.
class TTestClock {
public:
  explicit TTestClock(UInt64 Start = 1000);
  ~TTestClock();
  TTestClock(const TTestClock&) = delete;
  TTestClock& operator=(const TTestClock&) = delete;
  UInt64 Now() const { return FNow; }
  // Moves the time on by Ms. Each timer that falls due on the way fires, in
  // time order, with the clock standing at its due time.
  void Advance(Cardinal Ms);
  // The clock in use; nullptr while the monotonic clock runs.
  static TTestClock* Active();

private:
  UInt64 FNow;
  TTestClock* FPrevious;
};

// Message boxes: buttons, icons and answers.
enum : UINT {
  MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5, MB_ICONHAND = 0x10, MB_ICONERROR = 0x10, MB_ICONSTOP = 0x10,
  MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30, MB_ICONWARNING = 0x30,
  MB_ICONASTERISK = 0x40, MB_ICONINFORMATION = 0x40, MB_DEFBUTTON1 = 0x0, MB_DEFBUTTON2 = 0x100,
  MB_DEFBUTTON3 = 0x200, MB_APPLMODAL = 0x0, MB_TASKMODAL = 0x2000
};
enum : Integer { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };
Integer MessageBox(HWND Wnd, const String& Text, const String& Caption, UINT Type);

Integer MulDiv(Integer Number, Integer Numerator, Integer Denominator);

// ---------------------------------------------------------------------------
// Classic three-dimensional edges and frame controls, in the system colours
// of the active style.

// Edge kinds: an outer and an inner line, each raised or sunken.
enum : UINT {
  BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8,
  BDR_OUTER = 0x3, BDR_INNER = 0xC, BDR_RAISED = 0x5, BDR_SUNKEN = 0xA,
  EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER, EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
  EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER, EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER
};
// Sides and options of DrawEdge.
enum : UINT {
  BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_TOPLEFT = BF_TOP | BF_LEFT,
  BF_TOPRIGHT = BF_TOP | BF_RIGHT, BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT,
  BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT, BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
  BF_DIAGONAL = 0x10, BF_MIDDLE = 0x800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000, BF_FLAT = 0x4000,
  BF_MONO = 0x8000
};
// Draws the edge on the sides asked; with BF_ADJUST R becomes the rectangle
// inside it. Diagonal edges are not drawn (the answer is false).
bool DrawEdge(HDC DC, TRect& R, UINT Edge, UINT Flags);

// Frame control kinds and states.
enum : UINT { DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4, DFC_POPUPMENU = 5 };
enum : UINT {
  DFCS_CAPTIONCLOSE = 0x0, DFCS_CAPTIONMIN = 0x1, DFCS_CAPTIONMAX = 0x2, DFCS_CAPTIONRESTORE = 0x3,
  DFCS_CAPTIONHELP = 0x4,
  DFCS_MENUARROW = 0x0, DFCS_MENUCHECK = 0x1, DFCS_MENUBULLET = 0x2, DFCS_MENUARROWRIGHT = 0x4,
  DFCS_SCROLLUP = 0x0, DFCS_SCROLLDOWN = 0x1, DFCS_SCROLLLEFT = 0x2, DFCS_SCROLLRIGHT = 0x3,
  DFCS_SCROLLCOMBOBOX = 0x5, DFCS_SCROLLSIZEGRIP = 0x8, DFCS_SCROLLSIZEGRIPRIGHT = 0x10,
  DFCS_BUTTONCHECK = 0x0, DFCS_BUTTONRADIOIMAGE = 0x1, DFCS_BUTTONRADIOMASK = 0x2,
  DFCS_BUTTONRADIO = 0x4, DFCS_BUTTON3STATE = 0x8, DFCS_BUTTONPUSH = 0x10,
  DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400, DFCS_TRANSPARENT = 0x800,
  DFCS_HOT = 0x1000, DFCS_ADJUSTRECT = 0x2000, DFCS_FLAT = 0x4000, DFCS_MONO = 0x8000
};
// Draws a classic control part (button face, check box, radio button,
// scroll arrow, combo-box button, size grip, caption button, menu glyph).
// With DFCS_ADJUSTRECT a push button's R becomes its content rectangle.
bool DrawFrameControl(HDC DC, TRect& R, UINT Type, UINT State);

// ---------------------------------------------------------------------------
// Cursors. A handle names a cursor shape; handles that LoadCursor answers are
// shared and live as long as the program.

struct TCursorHandle;
using HCURSOR = TCursorHandle*;
enum : Integer {
  IDC_ARROW = 32512, IDC_IBEAM = 32513, IDC_WAIT = 32514, IDC_CROSS = 32515, IDC_UPARROW = 32516,
  IDC_SIZENWSE = 32642, IDC_SIZENESW = 32643, IDC_SIZEWE = 32644, IDC_SIZENS = 32645, IDC_SIZEALL = 32646,
  IDC_NO = 32648, IDC_HAND = 32649, IDC_APPSTARTING = 32650, IDC_HELP = 32651
};
// A system cursor (Id: an IDC_ value), or a cursor of the program's
// resources: ":/cursors/<Name>.cur" with its hot spot, or ":/cursors/<Name>.png"
// whose "HotSpotX" and "HotSpotY" texts give it (the top-left corner without
// them). nullptr when there is none. Instance is not used.
HCURSOR LoadCursor(void* Instance, Integer Id);
HCURSOR LoadCursor(void* Instance, const String& Name);
