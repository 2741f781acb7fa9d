// Types.cpp: the rectangle routines.
#include "platform/gui/Types.h"

#include <algorithm>

bool IsRectEmpty(const TRect& R) { return R.IsEmpty(); }

bool IntersectRect(TRect& Dst, const TRect& R1, const TRect& R2)
{
  TRect R(std::max(R1.Left, R2.Left), std::max(R1.Top, R2.Top), std::min(R1.Right, R2.Right),
          std::min(R1.Bottom, R2.Bottom));
  if (R.IsEmpty()) {
    Dst = TRect();
    return false;
  }
  Dst = R;
  return true;
}

bool UnionRect(TRect& Dst, const TRect& R1, const TRect& R2)
{
  if (R1.IsEmpty()) {
    Dst = R2.IsEmpty() ? TRect() : R2;
    return !Dst.IsEmpty();
  }
  if (R2.IsEmpty()) {
    Dst = R1;
    return true;
  }
  Dst = TRect(std::min(R1.Left, R2.Left), std::min(R1.Top, R2.Top), std::max(R1.Right, R2.Right),
              std::max(R1.Bottom, R2.Bottom));
  return true;
}

bool PtInRect(const TRect& R, TPoint P) { return R.Contains(P); }
bool EqualRect(const TRect& R1, const TRect& R2) { return R1 == R2; }
bool OffsetRect(TRect& R, Integer DX, Integer DY) { R.Offset(DX, DY); return true; }
bool InflateRect(TRect& R, Integer DX, Integer DY) { R.Inflate(DX, DY); return true; }
bool SetRect(TRect& R, Integer L, Integer T, Integer Rt, Integer B) { R = TRect(L, T, Rt, B); return true; }
bool SetRectEmpty(TRect& R) { R = TRect(); return true; }
bool CopyRect(TRect& Dst, const TRect& Src) { Dst = Src; return true; }

// Only a subtrahend that covers a whole side of the source shrinks it; any
// other overlap leaves the source as it is (the result must stay a rectangle).
bool SubtractRect(TRect& Dst, const TRect& R1, const TRect& R2)
{
  TRect I;
  Dst = R1;
  if (!IntersectRect(I, R1, R2))
    return !Dst.IsEmpty();
  const bool FullWidth = I.Left == R1.Left && I.Right == R1.Right;
  const bool FullHeight = I.Top == R1.Top && I.Bottom == R1.Bottom;
  if (FullWidth && FullHeight) {
    Dst = TRect();
    return false;
  }
  if (FullWidth) {
    if (I.Top == R1.Top)
      Dst.Top = I.Bottom;
    else if (I.Bottom == R1.Bottom)
      Dst.Bottom = I.Top;
  } else if (FullHeight) {
    if (I.Left == R1.Left)
      Dst.Left = I.Right;
    else if (I.Right == R1.Right)
      Dst.Right = I.Left;
  }
  return !Dst.IsEmpty();
}

TPoint CenterPoint(const TRect& R) { return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}; }
