// Types.h: points, sizes and rectangles with the original semantics
// (Right and Bottom lie just outside the rectangle).
#pragma once

#include "platform/rtl/System.h"

struct TPoint {
  Integer X = 0;
  Integer Y = 0;
  constexpr TPoint() = default;
  constexpr TPoint(Integer AX, Integer AY) : X(AX), Y(AY) {}
  constexpr bool operator==(const TPoint&) const = default;
  constexpr TPoint operator+(TPoint O) const { return {X + O.X, Y + O.Y}; }
  constexpr TPoint operator-(TPoint O) const { return {X - O.X, Y - O.Y}; }
};

struct TSize {
  Integer cx = 0;
  Integer cy = 0;
  constexpr TSize() = default;
  constexpr TSize(Integer ACx, Integer ACy) : cx(ACx), cy(ACy) {}
  constexpr bool operator==(const TSize&) const = default;
  constexpr Integer Width() const { return cx; }
  constexpr Integer Height() const { return cy; }
};

struct TRect {
  Integer Left = 0;
  Integer Top = 0;
  Integer Right = 0;
  Integer Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom)
      : Left(ALeft), Top(ATop), Right(ARight), Bottom(ABottom) {}
  constexpr TRect(TPoint TopLeft, TPoint BottomRight)
      : Left(TopLeft.X), Top(TopLeft.Y), Right(BottomRight.X), Bottom(BottomRight.Y) {}
  constexpr bool operator==(const TRect&) const = default;

  constexpr Integer Width() const { return Right - Left; }
  constexpr Integer Height() const { return Bottom - Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  constexpr TSize Size() const { return {Width(), Height()}; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool Contains(TPoint P) const
  {
    return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom;
  }
  constexpr void Offset(Integer DX, Integer DY) { Left += DX; Right += DX; Top += DY; Bottom += DY; }
  constexpr void Inflate(Integer DX, Integer DY) { Left -= DX; Right += DX; Top -= DY; Bottom += DY; }
};

struct TSmallPoint {
  SmallInt x = 0;
  SmallInt y = 0;
};

constexpr TPoint Point(Integer X, Integer Y) { return {X, Y}; }
constexpr TRect Rect(Integer L, Integer T, Integer R, Integer B) { return {L, T, R, B}; }
constexpr TRect Bounds(Integer L, Integer T, Integer W, Integer H) { return {L, T, L + W, T + H}; }

// The rectangle routines of the window system: each answers whether the
// result is non-empty, and an empty intersection or union is (0,0,0,0).
bool IntersectRect(TRect& Dst, const TRect& R1, const TRect& R2);
bool UnionRect(TRect& Dst, const TRect& R1, const TRect& R2);
bool IsRectEmpty(const TRect& R);
bool PtInRect(const TRect& R, TPoint P);
bool EqualRect(const TRect& R1, const TRect& R2);
bool OffsetRect(TRect& R, Integer DX, Integer DY);
bool InflateRect(TRect& R, Integer DX, Integer DY);
bool SetRect(TRect& R, Integer L, Integer T, Integer Rt, Integer B);
bool SetRectEmpty(TRect& R);
bool CopyRect(TRect& Dst, const TRect& Src);
bool SubtractRect(TRect& Dst, const TRect& R1, const TRect& R2);
TPoint CenterPoint(const TRect& R);
