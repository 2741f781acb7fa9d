// GridsEhPaint.cpp: the base grid's painting and the drawing routines of its descendants.
#include "gridlib/foundation/GridsEh.h"

#include "gridlib/foundation/GridLibLangConsts.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/rtl/ScopeExit.h"

#include <algorithm>
#include <limits>

// ---------------------------------------------------------------------------
// Painting.

void TCustomGridEh::WMPaint(TMessage& Message)
{
  if (FLockPaint > 0)
    return;
  if (NeedBufferedPaint() || DoubleBuffered())
    FBufferedPaint = true;
  // The widget paints through a back buffer of the window system already.
  inherited::WMPaint(Message);
}

void TCustomGridEh::WMEraseBkgnd(TMessage& Message)
{
  Message.Result = 1;
}

void TCustomGridEh::CMStyleChanged(TMessage& Message)
{
  inherited::CMStyleChanged(Message);
  UpdateInternalColors();
  Invalidate();
}

void TCustomGridEh::UpdateInternalColors()
{
  FInternalColor = Color();
  FInternalFontColor = Font()->Color();
  FInternalFixedColor = FFixedColor;
  FInternalFixedFontColor = Font()->Color();
  if (!CustomStyleActiveEh())
    return;
  // The style's normal-cell and fixed-cell fill and text colours.
  auto Or = [](TColor StyleColor, TColor Fallback) { return StyleColor == clNone ? Fallback : StyleColor; };
  FInternalColor = Or(ColorToRGB(clWindow), FInternalColor);
  FInternalFontColor = Or(ColorToRGB(clWindowText), FInternalFontColor);
  FInternalFixedColor = Or(ColorToRGB(clBtnFace), FInternalFixedColor);
  FInternalFixedFontColor = Or(ColorToRGB(clBtnText), FInternalFixedFontColor);
}

TGridDrawState TCustomGridEh::CellDrawState(Integer ACol, Integer ARow, TGridDrawState BaseState,
                                            const TGridRect& Selection)
{
  TGridDrawState State = BaseState;
  if (ACol == FCurCell.X && ARow == FCurCell.Y) {
    State << gdSelected << gdCurrent;
    if (FFocused || IsFocusWithin())
      State << gdFocused;
  }
  if (ACol == FHotTrackCell.X && ARow == FHotTrackCell.Y)
    State << gdHotTrack;
  if (FOptions.Contains(goRowSelectEh) && ARow == FCurCell.Y)
    State << gdRowSelected;
  if (PointInGridRectEh(ACol, ARow, Selection))
    State << gdSelected;
  return State;
}

void TCustomGridEh::PaintCells(Integer FirstCol, Integer FirstRow, Integer StartX, Integer StartY,
                               Integer StopX, Integer StopY, Integer ColLimit, Integer RowLimit,
                               TGridDrawState BaseState, const TGridRect& Selection)
{
  HDC DC = Canvas()->Handle();
  Integer Y = StartY;
  for (Integer R = FirstRow; Y < StopY && R < RowLimit; ++R) {
    const Integer H = RowHeights(R);
    Integer X = StartX;
    for (Integer C = FirstCol; X < StopX && C < ColLimit; ++C) {
      const Integer W = ColWidths(C);
      const TRect CellRect(X, Y, X + W, Y + H);
      X += W;
      if (W <= 0 || !RectVisible(DC, CellRect))
        continue;
      PaintCell(C, R, CellDrawState(C, R, BaseState, Selection), CellRect);
    }
    Y += H;
  }
}

void TCustomGridEh::PaintAreaClipped(const TRect& Clip, const std::function<void()>& Draw)
{
  TRect R = Clip;
  if (UseRightToLeftAlignment() && !FCanvasRightToLeftReflected)
    FHorzAxis->SwapRightToLeftPoses(R.Left, R.Right);
  HRGN Saved = IntersectClipRectEh(Canvas(), R);
  ScopeExit Restore([&] { RestoreClipRegionEh(Canvas(), Saved); });
  Draw();
}

void TCustomGridEh::DrawVertBoundaryLine(Integer X, Integer FirstRow, Integer StartY, Integer StopY,
                                         Integer RowLimit)
{
  Integer Y = StartY;
  for (Integer R = FirstRow; Y < StopY && R < RowLimit; ++R) {
    const Integer H = RowHeights(R);
    bool IsExtent = false, Visible = false;
    TColor Color = clNone;
    GetCellBorderParams(ColCount(), R, cbtLeftEh, IsExtent, Color, Visible);
    if (Visible && H > 0) {
      Canvas()->Pen()->SetColor(ColorToRGB(Color));
      DrawPolyline(Canvas(), {TPoint(X, Y), TPoint(X, Y + H)}, 1);
    }
    Y += H;
  }
}

void TCustomGridEh::DrawHorzBoundaryLine(Integer Y, Integer FirstCol, Integer StartX, Integer StopX,
                                         Integer ColLimit)
{
  Integer X = StartX;
  for (Integer C = FirstCol; X < StopX && C < ColLimit; ++C) {
    const Integer W = ColWidths(C);
    bool IsExtent = false, Visible = false;
    TColor Color = clNone;
    GetCellBorderParams(C, RowCount(), cbtTopEh, IsExtent, Color, Visible);
    if (Visible && W > 0) {
      Canvas()->Pen()->SetColor(ColorToRGB(Color));
      DrawPolyline(Canvas(), {TPoint(X, Y), TPoint(X + W, Y)}, 1);
    }
    X += W;
  }
}

void TCustomGridEh::Paint()
{
  if (FLockPaint > 0)
    return;
  if (UseRightToLeftAlignment())
    ReflectCanvasRightToLeft(Canvas(), true);
  const TGridRect Selection = GetSelection();
  if (!AxisPositionsCurrent())
    CheckUpdateAxises();
  UpdateInternalColors();
  Canvas()->Font()->Assign(Font());

  TGridAxisDataEh& H = *FHorzAxis;
  TGridAxisDataEh& V = *FVertAxis;
  if (BackgroundData()->Showing())
    BackgroundData()->PaintBackgroundData();
  DrawOutBoundaryData();

  const TGridDrawState Fixed = {gdFixed};
  const Integer HStart = H.GridClientStart(), VStart = V.GridClientStart();
  const Integer HStop = H.GridClientStop(), VStop = V.GridClientStop();
  const Integer HRol = H.FixedBoundary() - H.RolStartVisCelOfst();
  const Integer VRol = V.FixedBoundary() - V.RolStartVisCelOfst();

  // Fixed corner, fixed rows and columns, then the data area.
  PaintCells(0, 0, HStart, VStart, H.FixedBoundary(), V.FixedBoundary(), FixedColCount(),
             FixedRowCount(), Fixed, Selection);
  PaintAreaClipped(TRect(H.FixedBoundary(), 0, H.ContraStart(), V.ContraStart()), [&] {
    PaintCells(H.StartVisCel(), 0, HRol, VStart, H.ContraStart(), V.FixedBoundary(), ColCount(),
               FixedRowCount(), Fixed, Selection);
  });
  PaintAreaClipped(TRect(0, V.FixedBoundary(), H.ContraStart(), V.ContraStart()), [&] {
    PaintCells(0, V.StartVisCel(), HStart, VRol, H.FixedBoundary(), V.ContraStart(), FixedColCount(),
               RowCount(), Fixed, Selection);
  });
  PaintAreaClipped(TRect(H.FixedBoundary(), V.FixedBoundary(), H.ContraStart(), V.ContraStart()), [&] {
    PaintCells(H.StartVisCel(), V.StartVisCel(), HRol, VRol, H.ContraStart(), V.ContraStart(),
               ColCount(), RowCount(), {}, Selection);
  });

  const bool VLine = FOptions.Contains(goContraVertBoundaryLineEh);
  const bool HLine = FOptions.Contains(goContraHorzBoundaryLineEh);
  const Integer CX = H.ContraStart() + (VLine ? 1 : 0);
  const Integer CY = V.ContraStart() + (HLine ? 1 : 0);

  if (ContraColCount() > 0) {
    if (VLine)
      DrawVertBoundaryLine(H.ContraStart(), 0, VStart, V.FixedBoundary(), FixedRowCount());
    PaintCells(ColCount(), 0, CX, VStart, HStop, V.FixedBoundary(), FullColCount(), FixedRowCount(),
               Fixed, Selection);
    PaintAreaClipped(TRect(H.ContraStart(), V.FixedBoundary(), HStop, V.ContraStart()), [&] {
      if (VLine)
        DrawVertBoundaryLine(H.ContraStart(), V.StartVisCel(), VRol, V.ContraStart(), RowCount());
      PaintCells(ColCount(), V.StartVisCel(), CX, VRol, HStop, V.ContraStart(), FullColCount(),
                 RowCount(), Fixed, Selection);
    });
  }

  if (ContraRowCount() > 0) {
    if (HLine)
      DrawHorzBoundaryLine(V.ContraStart(), 0, HStart, H.FixedBoundary(), FixedColCount());
    PaintCells(0, RowCount(), HStart, CY, H.FixedBoundary(), VStop, FixedColCount(), FullRowCount(),
               Fixed, Selection);
    PaintAreaClipped(TRect(H.FixedBoundary(), V.ContraStart(), H.ContraStart(), VStop), [&] {
      if (HLine)
        DrawHorzBoundaryLine(V.ContraStart(), H.StartVisCel(), HRol, H.ContraStart(), ColCount());
      PaintCells(H.StartVisCel(), RowCount(), HRol, CY, H.ContraStart(), VStop, ColCount(),
                 FullRowCount(), Fixed, Selection);
    });
  }

  if (ContraColCount() > 0 && ContraRowCount() > 0) {
    if (VLine)
      DrawVertBoundaryLine(H.ContraStart(), RowCount(), CY, VStop, FullRowCount());
    if (HLine)
      DrawHorzBoundaryLine(V.ContraStart(), ColCount(), CX, HStop, FullColCount());
    if (VLine && HLine) {
      bool IsExtent = false, Visible = false;
      TColor Color = clNone;
      GetCellBorderParams(ColCount(), RowCount(), cbtTopEh, IsExtent, Color, Visible);
      if (Visible)
        Canvas()->SetPixels(H.ContraStart(), V.ContraStart(), ColorToRGB(Color));
    }
    PaintCells(ColCount(), RowCount(), CX, CY, HStop, VStop, FullColCount(), FullRowCount(), Fixed,
               Selection);
  }

  PaintEmptyAreas();

  if (FCanvasRightToLeftReflected)
    ReflectCanvasRightToLeft(Canvas(), false);
  if (FGridState == gsRowSizingEh || FGridState == gsColSizingEh)
    DrawSizingLine();
}

void TCustomGridEh::PaintEmptyAreas()
{
  TGridAxisDataEh& H = *FHorzAxis;
  TGridAxisDataEh& V = *FVertAxis;
  const Integer HRight = H.RolInClientBoundary();
  const Integer VBottom = V.RolInClientBoundary();

  if (HRight < H.ContraStart()) {
    Integer Y = V.GridClientStart();
    for (Integer R = 0; R < FixedRowCount(); ++R) {
      DrawEmptyAreaCell(-1, R, TRect(HRight, Y, H.ContraStart(), Y + RowHeights(R)));
      Y += RowHeights(R);
    }
    Y = V.FixedBoundary() - V.RolStartVisCelOfst();
    for (Integer R = V.StartVisCel(); R < RowCount() && Y < V.ContraStart(); ++R) {
      const Integer Bottom = std::min(Y + RowHeights(R), V.ContraStart());
      DrawEmptyAreaCell(-1, R, TRect(HRight, std::max(Y, V.FixedBoundary()), H.ContraStart(), Bottom));
      Y += RowHeights(R);
    }
    if (VBottom < V.ContraStart())
      DrawEmptyAreaCell(-1, -1, TRect(HRight, VBottom, H.ContraStart(), V.ContraStart()));
    Y = V.ContraStart() + (ContraRowCount() > 0 && FOptions.Contains(goContraHorzBoundaryLineEh) ? 1 : 0);
    for (Integer R = RowCount(); R < FullRowCount(); ++R) {
      DrawEmptyAreaCell(-1, R, TRect(HRight, Y, H.ContraStart(), Y + RowHeights(R)));
      Y += RowHeights(R);
    }
  }

  if (VBottom < V.ContraStart()) {
    Integer X = H.GridClientStart();
    for (Integer C = 0; C < FixedColCount(); ++C) {
      DrawEmptyAreaCell(C, -1, TRect(X, VBottom, X + ColWidths(C), V.ContraStart()));
      X += ColWidths(C);
    }
    X = H.FixedBoundary() - H.RolStartVisCelOfst();
    for (Integer C = H.StartVisCel(); C < ColCount() && X < H.ContraStart(); ++C) {
      const Integer Right = std::min(X + ColWidths(C), H.ContraStart());
      DrawEmptyAreaCell(C, -1, TRect(std::max(X, H.FixedBoundary()), VBottom, Right, V.ContraStart()));
      X += ColWidths(C);
    }
    X = H.ContraStart() + (ContraColCount() > 0 && FOptions.Contains(goContraVertBoundaryLineEh) ? 1 : 0);
    for (Integer C = ColCount(); C < FullColCount(); ++C) {
      DrawEmptyAreaCell(C, -1, TRect(X, VBottom, X + ColWidths(C), V.ContraStart()));
      X += ColWidths(C);
    }
  }
}

void TCustomGridEh::DrawEmptyAreaCell(Integer, Integer, TRect ARect)
{
  Canvas()->Brush()->SetStyle(bsSolid);
  Canvas()->Brush()->SetColor(FInternalColor);
  Canvas()->FillRect(ARect);
}

void TCustomGridEh::FillWithFixedColor(const TRect& ARect)
{
  Canvas()->Brush()->SetStyle(bsSolid);
  Canvas()->Brush()->SetColor(FFixedColor);
  Canvas()->FillRect(ARect);
}

void TCustomGridEh::DrawOutBoundaryData()
{
  TRect R;
  if (FOutBoundaryData->GetOutBoundaryRect(R, cbtTopEh))
    DrawTopOutBoundaryData(R);
  if (FOutBoundaryData->GetOutBoundaryRect(R, cbtLeftEh))
    DrawLeftOutBoundaryData(R);
  if (FOutBoundaryData->GetOutBoundaryRect(R, cbtBottomEh))
    DrawBottomOutBoundaryData(R);
  if (FOutBoundaryData->GetOutBoundaryRect(R, cbtRightEh))
    DrawRightOutBoundaryData(R);
}

void TCustomGridEh::PaintCell(Integer ACol, Integer ARow, TGridDrawState State, TRect ARect)
{
  DrawCellBorders(ACol, ARow, {cbtBottomEh, cbtRightEh}, State, ARect);
  DrawCell(ACol, ARow, ARect, State);
}

void TCustomGridEh::GetCellBorderParams(Integer ACol, Integer ARow, TGridCellBorderTypeEh BorderType,
                                        bool& IsExtent, TColor& Color, bool& Visible)
{
  const bool InFixed = ACol < FixedColCount() || ARow < FixedRowCount();
  const bool Vert = BorderType == cbtLeftEh || BorderType == cbtRightEh;
  if (Vert)
    Visible = FOptions.Contains(InFixed ? goFixedVertLineEh : goVertLineEh);
  else
    Visible = FOptions.Contains(InFixed ? goFixedHorzLineEh : goHorzLineEh);
  IsExtent = true;

  const bool LeftOrTop = BorderType == cbtLeftEh || BorderType == cbtTopEh;
  const bool FirstContra = ACol == ColCount() || ARow == RowCount();
  const bool FixedNotFrozen = ACol < FixedColCount() - FrozenColCount() ||
                              ARow < FixedRowCount() - FrozenRowCount();
  TGridLineColorsEh* Colors = GridLineColors();
  if ((LeftOrTop && FirstContra) || FixedNotFrozen)
    Color = Colors->GetDarkColor();
  else if ((BorderType == cbtRightEh && ACol == FixedColCount() - 1) ||
           (BorderType == cbtBottomEh && ARow == FixedRowCount() - 1))
    Color = Colors->GetDarkColor();
  else
    Color = Colors->GetBrightColor();
}

void TCustomGridEh::DrawCellBorders(Integer ACol, Integer ARow, TGridCellBorderTypesEh Borders,
                                    TGridDrawState, TRect& ARect)
{
  bool RExt = false, RVis = false, BExt = false, BVis = false;
  TColor RColor = clNone, BColor = clNone;
  if (Borders.Contains(cbtRightEh))
    GetCellBorderParams(ACol, ARow, cbtRightEh, RExt, RColor, RVis);
  if (Borders.Contains(cbtBottomEh))
    GetCellBorderParams(ACol, ARow, cbtBottomEh, BExt, BColor, BVis);

  // The darker line takes the corner pixel.
  if (RVis && BVis && RExt && BExt && ColorToRGB(RColor) != ColorToRGB(BColor)) {
    const Integer RL = LuminanceOfColorEh(RColor);
    const Integer BL = LuminanceOfColorEh(BColor);
    if (RL > BL)
      RExt = false;
    else
      BExt = false;
  }
  // One-pixel lines filled as rectangles: the same pixels as a polyline that
  // leaves out its end point, drawn faster.
  TBrush* Brush = Canvas()->Brush();
  const TColor SavedColor = Brush->Color();
  const TBrushStyle SavedStyle = Brush->Style();
  Brush->SetStyle(bsSolid);
  if (RVis) {
    Brush->SetColor(ColorToRGB(RColor));
    Canvas()->FillRect(TRect(ARect.Right - 1, ARect.Top, ARect.Right, RExt ? ARect.Bottom : ARect.Bottom - 1));
  }
  if (BVis) {
    Brush->SetColor(ColorToRGB(BColor));
    Canvas()->FillRect(TRect(ARect.Left, ARect.Bottom - 1, BExt ? ARect.Right : ARect.Right - 1, ARect.Bottom));
  }
  Brush->SetColor(SavedColor);
  Brush->SetStyle(SavedStyle);
  if (RVis)
    ARect.Right -= 1;
  if (BVis)
    ARect.Bottom -= 1;
}

void TCustomGridEh::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State)
{
  constexpr TColor LightGreen = 12639424;
  TCanvas* C = Canvas();
  C->Font()->SetColor(ColorToRGB(clWindowText));
  const bool FixedNotFrozen = ACol < FixedColCount() - FrozenColCount() ||
                              ARow < FixedRowCount() - FrozenRowCount();
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(ColorToRGB(FixedNotFrozen ? LightGreen : clWindow));
  if (State.Contains(gdSelected)) {
    C->Font()->SetColor(ColorToRGB(clHighlightText));
    C->Brush()->SetColor(ColorToRGB(IsActiveControl() ? clHighlight : clBtnShadow));
  }
  C->FillRect(ARect);
  C->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, QStringLiteral("%1:%2").arg(ACol).arg(ARow));
}

bool TCustomGridEh::IsCellSelectionThemed(Integer, Integer, TGridDrawState State)
{
  if (!StyleThemesEnabledEh())
    return false;
  const TGridSelectionDrawStyleEh Style = FSelectionDrawParams->GetActualSelectionStyle();
  if (Style == gsdsGridThemedEh && State.Contains(gdFocused))
    return true;
  if (Style == gsdsListViewThemedEh && (State.Contains(gdFocused) || State.Contains(gdCurrent)))
    return true;
  return (Style == gsdsGridThemedEh || Style == gsdsListViewThemedEh) &&
         FOptions.Contains(goRowSelectEh) &&
         (State.Contains(gdSelected) || State.Contains(gdRowSelected));
}

// The themed selection is drawn with the style's highlight: full for the
// focused grid, a lighter mix when the focus is elsewhere.
void TCustomGridEh::DrawCellThemedSelection(Integer ACol, Integer ARow, TGridDrawState State, TRect ARect)
{
  const TGridSelectionDrawStyleEh Style = FSelectionDrawParams->GetActualSelectionStyle();
  const bool Focused = IsFocusWithin();
  TColor Fill = clNone;
  if (Style == gsdsListViewThemedEh) {
    if ((State.Contains(gdSelected) || State.Contains(gdFocused)) && Focused)
      Fill = ColorToRGB(clHighlight);
    else if (State.Contains(gdSelected) || State.Contains(gdCurrent))
      Fill = MixColorsByPercentEh(ColorToRGB(clHighlight), ColorToRGB(clWindow), 60);
  } else if (Style == gsdsGridThemedEh) {
    if ((State.Contains(gdSelected) || State.Contains(gdFocused)) && Focused)
      Fill = ColorToRGB(clHighlight);
  }
  if (Fill == clNone)
    return;
  TRect Clip = ARect;
  TRect Bar = ARect;
  if (FOptions.Contains(goRowSelectEh)) {
    if (ACol > FixedColCount())
      Bar.Left -= 10;
    if (ACol < ColCount() - 1) {
      Bar.Right += 10;
      if (CellBorderVisible(ACol, ARow, cbtRightEh))
        Clip.Right += 1;
    }
  }
  HRGN Saved = IntersectClipRectEh(Canvas(), Clip);
  ScopeExit Restore([&] { RestoreClipRegionEh(Canvas(), Saved); });
  Canvas()->Brush()->SetStyle(bsSolid);
  Canvas()->Brush()->SetColor(Fill);
  Canvas()->FillRect(Bar);
}

// ---------------------------------------------------------------------------
// Drawing routines for descendants.

void TCustomGridEh::ReflectCanvasRightToLeft(TCanvas* ACanvas, bool Mirror)
{
  HDC DC = ACanvas->Handle();
  const Integer W = HandleAllocated() ? ClientWidth() : Width();
  const Integer H = HandleAllocated() ? ClientHeight() : Height();
  SetMapMode(DC, MM_ANISOTROPIC);
  if (Mirror) {
    SetWindowOrgEx(DC, W, 0);
    SetViewportExtEx(DC, W, H);
    SetWindowExtEx(DC, -W, H);
  } else {
    SetWindowOrgEx(DC, 0, 0);
    SetViewportExtEx(DC, W, H);
    SetWindowExtEx(DC, W, H);
  }
  FCanvasRightToLeftReflected = Mirror;
}

bool TCustomGridEh::CancelCanvasReflection(TRect& ARect)
{
  if (!FCanvasRightToLeftReflected)
    return false;
  FHorzAxis->SwapRightToLeftPoses(ARect.Left, ARect.Right);
  ReflectCanvasRightToLeft(Canvas(), false);
  return true;
}

void TCustomGridEh::WriteCellText(TCanvas* ACanvas, TRect ARect, bool FillRect, Integer DX, Integer DY,
                                  const String& Text, TAlignment Alignment, TTextLayout Layout,
                                  bool WordWrap, bool EndEllipsis, Integer LeftMarg, Integer RightMarg,
                                  bool RightToLeft, bool SingleLine)
{
  const bool Cancelled = ACanvas == Canvas() && CancelCanvasReflection(ARect);
  DrawCellTextEh(ACanvas, ARect, FillRect, DX, DY, Text, Alignment, Layout, WordWrap, EndEllipsis,
                 LeftMarg, RightMarg, RightToLeft, SingleLine);
  if (Cancelled)
    ReflectCanvasRightToLeft(ACanvas, true);
}

void TCustomGridEh::FillGradient(TCanvas* ACanvas, TRect ARect, TColor FromColor, TColor ToColor)
{
  if (FCanvasRightToLeftReflected && ARect.Width() == 1)
    ARect.Offset(1, 0);
  FillVerticalGradientEh(ACanvas, ARect, FromColor, ToColor);
}

void TCustomGridEh::DrawPolyline(TCanvas* ACanvas, std::vector<TPoint> Points, Integer Count)
{
  Points.resize(std::size_t(Count + 1));
  if (FCanvasRightToLeftReflected)
    for (TPoint& P : Points)
      P.X += 1;
  ACanvas->Polyline(Points);
}

void FillGridLineEh(TCustomGridEh* Grid, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Width)
{
  TCanvas* C = Grid->Canvas();
  const TColor SavedBrush = C->Brush()->Color();
  const TBrushStyle SavedStyle = C->Brush()->Style();
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(C->Pen()->Color());
  if (X1 != X2)
    C->FillRect(TRect(std::min(X1, X2), Y1, std::max(X1, X2), Y1 + Width));
  else if (Y1 != Y2)
    C->FillRect(TRect(X1, std::min(Y1, Y2), X1 + Width, std::max(Y1, Y2)));
  C->Brush()->SetColor(SavedBrush);
  C->Brush()->SetStyle(SavedStyle);
}
