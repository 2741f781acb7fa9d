// ControlsQt.h: the seam between controls and their Qt widgets, for the
// platform's own sources only.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/GraphicsQt.h"

#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QWidget>

class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

// Translates the events of a control's widget (and of the widget's inner
// children) into messages; the Qt widget handles an event itself only when
// the message reached the control's DefaultHandler.
class TWidgetLink : public QObject {
public:
  explicit TWidgetLink(TWinControl* AControl) : FControl(AControl) {}
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  // Watches Widget and every widget inside it.
  void Watch(QWidget* Widget);
  TWinControl* Control() const { return FControl; }
  // Sends an event to a widget without translating it again.
  void SendNative(QObject* Receiver, QEvent* Event);

private:
  bool Translate(QObject* Watched, QEvent* Event);
  bool KeyPress(QObject* Receiver, QKeyEvent* Event);
  bool KeyRelease(QObject* Receiver, QKeyEvent* Event);
  bool Mouse(QWidget* Receiver, QMouseEvent* Event);
  bool MouseActivate(UINT Msg);
  bool Wheel(QObject* Receiver, QWheelEvent* Event);
  bool DeliverNative(QObject* Receiver, QEvent* Event, bool Climb);
  bool Paint(QObject* Receiver, QEvent* Event);
  TWinControl* FControl;
  bool FBypass = false;
  bool FShowing = false;
};

struct TWidgetState {
  QPointer<QWidget> Widget;
  TWidgetLink* Link = nullptr;   // a child of the widget
  bool Creating = false;
  // The window's styles and what the top-level window calls set.
  DWORD Style = 0;
  DWORD ExStyle = 0;
  bool NoActivate = false;
  bool WindowShown = false;   // by ShowWindow or SetWindowPos
  DWORD LayeredFlags = 0;
  COLORREF ColorKey = 0;
  Byte Alpha = 255;
  bool HasRegion = false;
  QRegion Region;
  // A frame around the client area: the widget the client area is drawn on
  // (a child of the window's widget) and the frame's width on each side.
  QPointer<QWidget> Client;
  TRect Frame;
  // The context of the frame being painted (WM_NCPAINT), for GetWindowDC.
  HDC FramePaintDC = nullptr;
};

// Gives a window the shape of its region and of its colour key.
void UpdateWindowShape(TWinControl* Control);

// The widget of plain windowed controls: everything goes through messages.
class TControlWidget : public QWidget {
public:
  explicit TControlWidget(QWidget* Parent) : QWidget(Parent) {}
};

// What WM_MOUSEACTIVATE asks and answers.
inline constexpr LRESULT MouseActivateNoActivate = 3, MouseActivateNoActivateAndEat = 4;
inline constexpr Word HitClient = 1;

// The time of the input being handled, as GetMessageTime answers it.
void SetMessageTime(LongInt Time);
// Stops the timers of a control that goes away.
void KillTimersOf(HWND Wnd);
// Drops the posted messages that wait for a control that goes away.
void DropPostedMessages(const TControl* Control);

// Performs a message for a Qt event and answers whether the control's
// DefaultHandler was reached (so the widget should handle the event too).
bool PerformNative(TControl* Control, TMessage& Message);

QFont ControlQFont(const TControl* Control);
Word QtKeyToVirtualKey(int Key);
int VirtualKeyToQtKey(Word VK);
Word ShiftToKeys(Qt::KeyboardModifiers Mods, Qt::MouseButtons Buttons);
TShiftState QtShiftState(Qt::KeyboardModifiers Mods, Qt::MouseButtons Buttons = Qt::NoButton);
// Resets the palette of a widget to the control's colour and font colour.
void ApplyControlColors(TWinControl* Control, QWidget* Widget, bool BaseRole);
