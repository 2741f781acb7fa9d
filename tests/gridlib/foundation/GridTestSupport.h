// GridTestSupport.h: a shown form holding a grid, and the key, wheel and
// mouse messages a user's input sends to it.
#pragma once

#include "DemoGrid.h"

#include "platform/gui/Forms.h"
#include "tests/platform/gui/GuiTestSupport.h"

#include <QScrollBar>
#include <gtest/gtest.h>

namespace gridtest {

inline TForm* ShownForm(Integer W = 900, Integer H = 600)
{
  auto* F = new TForm(Application, 0);
  F->SetBounds(10, 10, W, H);
  F->Show();
  return F;
}

// A grid placed on a shown form, focused, with the given client size.
template <class Grid>
Grid* PlaceGrid(TForm* Form, Integer ClientW, Integer ClientH)
{
  auto* G = new Grid(Form);
  G->SetParent(Form);
  G->SetBounds(0, 0, ClientW, ClientH);
  G->HandleNeeded();
  G->SetBounds(0, 0, ClientW + (G->Width() - G->ClientWidth()), ClientH + (G->Height() - G->ClientHeight()));
  G->SetFocus();
  return G;
}

inline Word ShiftKeys(TShiftState Shift)
{
  Word Keys = 0;
  if (Shift.Contains(ssShift))
    Keys |= MK_SHIFT;
  if (Shift.Contains(ssCtrl))
    Keys |= MK_CONTROL;
  return Keys;
}

inline void LeftDown(TWinControl* C, Integer X, Integer Y, TShiftState Shift = {})
{
  C->Perform(WM_LBUTTONDOWN, MK_LBUTTON | ShiftKeys(Shift), MakeLParam(Word(X), Word(Y)));
}

inline void MoveTo(TWinControl* C, Integer X, Integer Y, bool ButtonHeld = true)
{
  C->Perform(WM_MOUSEMOVE, ButtonHeld ? MK_LBUTTON : 0, MakeLParam(Word(SmallInt(X)), Word(SmallInt(Y))));
}

inline void LeftUp(TWinControl* C, Integer X, Integer Y, TShiftState Shift = {})
{
  C->Perform(WM_LBUTTONUP, ShiftKeys(Shift), MakeLParam(Word(SmallInt(X)), Word(SmallInt(Y))));
}

inline void Click(TWinControl* C, Integer X, Integer Y, TShiftState Shift = {})
{
  LeftDown(C, X, Y, Shift);
  LeftUp(C, X, Y, Shift);
}

// One wheel notch over a client point (negative: towards the user).
inline void WheelAt(TWinControl* C, Integer Notches, TShiftState Shift = {}, TPoint At = TPoint(60, 60))
{
  const TPoint S = C->ClientToScreen(At);
  C->Perform(WM_MOUSEWHEEL, MakeWParam(ShiftKeys(Shift), Word(SmallInt(Notches * WHEEL_DELTA))),
             MakeLParam(Word(S.X), Word(S.Y)));
}

// A key as the window system delivers it to the focused window.
inline void Key(TWinControl* C, int QtKey, Qt::KeyboardModifiers Mods = Qt::NoModifier,
                const QString& Text = QString())
{
  gui_test::Key(C, QtKey, Mods, Text);
}

// Places the screen cursor over a client point of a control (the grid's
// timer reads it).
inline void CursorAt(TControl* C, TPoint P)
{
  Mouse()->SetCursorPos(C->ClientToScreen(P));
}

// One tick of the grid's timer: the test clock moves on by its interval, so
// the tick comes only if the grid really runs its timer.
inline void Tick(TCustomGridEh* G)
{
  TTestClock* Clock = TTestClock::Active();
  ASSERT_NE(Clock, nullptr) << "the test needs a TTestClock";
  Clock->Advance(G->GridTimer()->Interval());
}

inline QScrollBar* BarWidget(TGridScrollBarPanelControlEh* Panel)
{
  return qobject_cast<QScrollBar*>(Panel->ScrollBar()->Widget());
}

} // namespace gridtest
