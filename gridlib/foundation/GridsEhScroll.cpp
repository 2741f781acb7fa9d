// GridsEhScroll.cpp: the base grid's scroll bars, scrolling, sizing and moving.
#include "gridlib/foundation/GridsEh.h"

#include "gridlib/foundation/GridLibLangConsts.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/rtl/ScopeExit.h"

#include <algorithm>
#include <limits>

// ---------------------------------------------------------------------------
// TGridScrollBarEh

void TGridScrollBarEh::Assign(TPersistent* Source)
{
  if (auto* Other = dynamic_cast<TGridScrollBarEh*>(Source)) {
    SetTracking(Other->Tracking());
    return;
  }
  inherited::Assign(Source);
}

void TGridScrollBarEh::SetSize(Integer Value)
{
  if (Value == FSize)
    return;
  FSize = Value;
  if (FGrid)
    FGrid->ScrollBarSizeChanged();
}

void TGridScrollBarEh::SetSmoothStep(bool Value)
{
  if (Value == FSmoothStep)
    return;
  FSmoothStep = Value;
  SmoothStepChanged();
}

void TGridScrollBarEh::SetVisibleMode(TScrollBarVisibleModeEh Value)
{
  if (Value == FVisibleMode)
    return;
  FVisibleMode = Value;
  if (FGrid)
    FGrid->UpdateBoundaries();
}

bool TGridScrollBarEh::ScrollBarShowingByMode()
{
  switch (FVisibleMode) {
  case sbAlwaysShowEh: return true;
  case sbNeverShowEh: return false;
  case sbAutoShowEh: break;
  }
  if (!FGrid)
    return false;
  Integer Pos = 0, Min = 0, PageSize = 0, Max = 0;
  if (FKind == sbHorizontal)
    FGrid->GetDataForHorzScrollBar(Pos, Min, PageSize, Max);
  else
    FGrid->GetDataForVertScrollBar(Pos, Min, PageSize, Max);
  return Min < Max && Max - Min >= PageSize;
}

void TGridScrollBarEh::UpdateScrollBar()
{
  if (FGrid)
    FGrid->UpdateScrollBars();
}

Integer TGridScrollBarEh::ActualSize()
{
  if (FSize > 0)
    return FSize;
  return FGrid ? FGrid->FScrollBarSize : GetSystemMetrics(SM_CYHSCROLL);
}

Integer TGridScrollBarEh::ActualScrollBarBoxSize()
{
  const Integer Size = ActualSize();
  if (IsKeepMaxSizeInDefault())
    return std::min(Size, GetSystemMetrics(SM_CYHSCROLL));
  return Size;
}

static TGridScrollBarPanelControlEh* PanelOf(TCustomGridEh* Grid, TScrollBarKind Kind)
{
  if (!Grid)
    return nullptr;
  return Kind == sbHorizontal ? Grid->HorzScrollBarPanelControl() : Grid->VertScrollBarPanelControl();
}

void TGridScrollBarEh::GetScrollBarParams(Integer& APosition, Integer& AMin, Integer& APageSize, Integer& AMax)
{
  TGridScrollBarPanelControlEh* Panel = PanelOf(FGrid, FKind);
  if (!Panel)
    return;
  APosition = Panel->ScrollBar()->Position();
  AMin = Panel->ScrollBar()->Min();
  AMax = Panel->ScrollBar()->Max();
  APageSize = Panel->ScrollBar()->PageSize();
}

void TGridScrollBarEh::SetScrollBarParams(Integer APosition, Integer AMin, Integer APageSize, Integer AMax)
{
  if (TGridScrollBarPanelControlEh* Panel = PanelOf(FGrid, FKind))
    Panel->SetParams(APosition, AMin, APageSize, AMax);
}

// ---------------------------------------------------------------------------
// TCustomGridEh: scrolling and scroll bars.

TGridScrollBarPanelControlEh* TCustomGridEh::CreateHorzScrollBarPanelControl()
{
  return new TGridScrollBarPanelControlEh(this, sbHorizontal);
}

TGridScrollBarPanelControlEh* TCustomGridEh::CreateVertScrollBarPanelControl()
{
  return new TGridScrollBarPanelControlEh(this, sbVertical);
}

TSizeGripPanelEh* TCustomGridEh::CreateCornerScrollBarPanelControl()
{
  return new TSizeGripPanelEh(this);
}

void TCustomGridEh::CreateScrollBarPanels()
{
  if (FHorzScrollBarPanelControl || FConstructing)
    return;
  auto Hidden = [this](TCustomPanel* C, const char* Name) {
    C->SetName(QString::fromLatin1(Name));
    C->SetVisible(false);
    C->SetParent(this);
    C->SetBounds(0, 0, 0, 0);
    C->SetParentBackground(false);
  };
  FHorzScrollBarPanelControl = CreateHorzScrollBarPanelControl();
  Hidden(FHorzScrollBarPanelControl, "HorzScrollBarPanelControl");
  FVertScrollBarPanelControl = CreateVertScrollBarPanelControl();
  Hidden(FVertScrollBarPanelControl, "VertScrollBarPanelControl");
  FCornerScrollBarPanelControl = CreateCornerScrollBarPanelControl();
  Hidden(FCornerScrollBarPanelControl, "CornerScrollBarPanelControl");
  FExtraSizeGripControl = new TSizeGripPanelEh(this);
  FExtraSizeGripControl->SetGripActiveStatus(gasNeverEh);
  Hidden(FExtraSizeGripControl, "");
}

static Integer ToBarInt(Int64 V)
{
  return Integer(std::clamp<Int64>(V, 0, std::numeric_limits<Integer>::max()));
}

void TCustomGridEh::GetDataForHorzScrollBar(Integer& APosition, Integer& AMin, Integer& APageSize, Integer& AMax)
{
  TGridAxisDataEh& A = *FHorzAxis;
  APosition = ToBarInt(A.RolStartVisPos());
  AMin = 0;
  const Int64 Len = A.RolLen();
  AMax = Len == 0 ? 0 : ToBarInt(Len - 1);
  APageSize = A.RolClientLen();
  if (UseRightToLeftAlignment())
    APosition += APageSize;
}

void TCustomGridEh::GetDataForVertScrollBar(Integer& APosition, Integer& AMin, Integer& APageSize, Integer& AMax)
{
  TGridAxisDataEh& A = *FVertAxis;
  APosition = ToBarInt(A.RolStartVisPos());
  AMin = 0;
  const Int64 Len = A.RolLen();
  AMax = Len == 0 ? 0 : ToBarInt(Len - 1);
  APageSize = A.RolClientLen();
}

void TCustomGridEh::UpdateScrollBars()
{
  if (!FHorzScrollBarPanelControl || FConstructing)
    return;
  for (TGridScrollBarEh* Bar : {HorzScrollBar(), VertScrollBar()}) {
    Integer Pos = 0, Min = 0, PageSize = 0, Max = 0;
    Bar->GetScrollBarParams(Pos, Min, PageSize, Max);
    if (Bar->Kind() == sbHorizontal)
      GetDataForHorzScrollBar(Pos, Min, PageSize, Max);
    else
      GetDataForVertScrollBar(Pos, Min, PageSize, Max);
    Bar->SetScrollBarParams(Pos, Min, PageSize, Max);
  }
  UpdateScrollBarPanels();
}

void TCustomGridEh::UpdateScrollBarPanels()
{
  if (!HandleAllocated() || !FHorzScrollBarPanelControl)
    return;
  const bool RightToLeft = UseRightToLeftAlignment();
  const bool VertShows = FLayoutVertBarShowing;
  const bool HorzShows = FLayoutHorzBarShowing;
  const Integer V = VertShows ? VertScrollBar()->ActualSize() : 0;
  const Integer H = HorzShows ? HorzScrollBar()->ActualSize() : 0;
  const Integer CW = ClientWidth(), CH = ClientHeight();
  const bool BothOrAlways = (VertShows && HorzShows) || FSizeGripAlwaysShow;
  Integer CornerW = 0, CornerH = 0, TopOffset = 0, LeftOffset = 0;
  TSizeGripPanelEh* Corner = FCornerScrollBarPanelControl;
  TSizeGripPanelEh* Extra = FExtraSizeGripControl;
  auto SizeCorner = [&] {
    CornerW = VertScrollBar()->ActualSize();
    CornerH = HorzScrollBar()->ActualScrollBarBoxSize();
  };

  if (FSizeGripPostion == sgpBottomRight) {
    Extra->SetVisible(false);
    Corner->SetGripActiveStatus(FSizeGripAlwaysShow ? gasAlwaysEh : gasAutoEh);
    if (BothOrAlways)
      SizeCorner();
    Corner->SetPosition(RightToLeft ? MirrorSizeGripPositionEh(sgpBottomRight) : sgpBottomRight);
  } else {
    Corner->SetGripActiveStatus(gasNeverEh);
    const Integer GW = HorzScrollBar()->ActualSize();
    const Integer GH = VertScrollBar()->ActualSize();
    bool Triangle = false;
    TPoint At;
    switch (FSizeGripPostion) {
    case sgpTopLeft:
      At = TPoint(0, 0);
      Triangle = true;
      break;
    case sgpTopRight:
      At = TPoint(CW - GW, 0);
      Triangle = !VertShows;
      TopOffset = GH;
      break;
    case sgpBottomLeft:
      At = TPoint(0, CH - GH);
      Triangle = !HorzShows;
      LeftOffset = GH;
      if (RightToLeft && BothOrAlways) {
        SizeCorner();
        Triangle = !VertShows;
      }
      break;
    case sgpBottomRight:
      break;
    }
    Extra->SetGripActiveStatus(gasAlwaysEh);
    Extra->SetPosition(RightToLeft ? MirrorSizeGripPositionEh(FSizeGripPostion) : FSizeGripPostion);
    Extra->SetTriangleWindow(Triangle);
    Extra->SetBounds(At.X, At.Y, GW, GH);
    Extra->SetVisible(true);
    Extra->BringToFront();
  }

  TGridScrollBarPanelControlEh* VP = FVertScrollBarPanelControl;
  TGridScrollBarPanelControlEh* HP = FHorzScrollBarPanelControl;
  if (!RightToLeft) {
    VP->SetBounds(CW - V, TopOffset, V, CH - CornerH - TopOffset);
    HP->SetBounds(LeftOffset, CH - H, CW - CornerW - TopOffset, H);
    Corner->SetBounds(CW - CornerW, CH - CornerH, CornerW, CornerH);
  } else {
    VP->SetBounds(0, 0, V, CH - CornerH - TopOffset);
    HP->SetBounds(V, CH - H, CW - V, H);
    Corner->SetBounds(0, CH - CornerH, CornerW, CornerH);
  }
  for (TWinControl* P : {static_cast<TWinControl*>(VP), static_cast<TWinControl*>(HP),
                         static_cast<TWinControl*>(Corner)})
    P->SetVisible(true);
  VP->SetKeepMaxSizeInDefault(VertScrollBar()->IsKeepMaxSizeInDefault());
  HP->SetKeepMaxSizeInDefault(HorzScrollBar()->IsKeepMaxSizeInDefault());
  Corner->SetTriangleWindow(!VertShows && !HorzShows && FSizeGripAlwaysShow);

  const bool NowVert = VertScrollBar()->IsScrollBarShowing();
  const bool NowHorz = HorzScrollBar()->IsScrollBarShowing();
  if (NowVert != FVertScrollBarIsShowing || NowHorz != FHorzScrollBarIsShowing) {
    FVertScrollBarIsShowing = NowVert;
    FHorzScrollBarIsShowing = NowHorz;
    ScrollBarShowingChanged();
  }
}

void TCustomGridEh::SetSizeGripAlwaysShow(bool Value)
{
  if (Value == FSizeGripAlwaysShow)
    return;
  FSizeGripAlwaysShow = Value;
  UpdateScrollBarPanels();
}

void TCustomGridEh::SetSizeGripPostion(TSizeGripPosition Value)
{
  if (Value == FSizeGripPostion)
    return;
  FSizeGripPostion = Value;
  UpdateScrollBarPanels();
}

bool TCustomGridEh::ScrollBarMouseDown()
{
  if (!ComponentState().Contains(csDesigning) && CanFocus())
    SetFocus();
  return true;
}

static TScrollCode MirrorScrollCode(TScrollCode Code)
{
  switch (Code) {
  case scLineUp: return scLineDown;
  case scLineDown: return scLineUp;
  case scPageUp: return scPageDown;
  case scPageDown: return scPageUp;
  case scTop: return scBottom;
  case scBottom: return scTop;
  default: return Code;
  }
}

void TCustomGridEh::ScrollByCode(TScrollBarKind Kind, TScrollCode ScrollCode, bool UseRightToLeft, Integer Pos)
{
  if (Kind == sbVertical) {
    ScrollVertByCode(ScrollCode, Pos);
    return;
  }
  if (UseRightToLeft && UseRightToLeftAlignment()) {
    ScrollCode = MirrorScrollCode(ScrollCode);
    if (ScrollCode == scPosition || ScrollCode == scTrack) {
      Integer P = 0, Min = 0, PageSize = 0, Max = 0;
      GetDataForHorzScrollBar(P, Min, PageSize, Max);
      Pos = Max - Pos - PageSize + 1;
    }
  }
  ScrollHorzByCode(ScrollCode, Pos);
}

void TCustomGridEh::ScrollHorzByCode(TScrollCode ScrollCode, Integer Pos)
{
  if (IsHorzSmoothScroll())
    ScrollAxisByPixels(FHorzAxis.get(), HorzScrollBar(), ScrollCode, Pos);
  else
    ScrollAxisByCells(FHorzAxis.get(), HorzScrollBar(), ScrollCode, Pos);
}

void TCustomGridEh::ScrollVertByCode(TScrollCode ScrollCode, Integer Pos)
{
  if (IsVertSmoothScroll())
    ScrollAxisByPixels(FVertAxis.get(), VertScrollBar(), ScrollCode, Pos);
  else
    ScrollAxisByCells(FVertAxis.get(), VertScrollBar(), ScrollCode, Pos);
}

void TCustomGridEh::ScrollAxisByPixels(TGridAxisDataEh* A, TGridScrollBarEh* Bar, TScrollCode ScrollCode, Integer Pos)
{
  const Int64 Start = A->RolStartVisPos();
  Int64 Distance = 0;
  switch (ScrollCode) {
  case scLineUp: Distance = -A->GetScrollStep(); break;
  case scLineDown: Distance = A->GetScrollStep(); break;
  case scPageUp: Distance = -A->RolClientLen(); break;
  case scPageDown: Distance = A->RolClientLen(); break;
  case scTop: Distance = -Start; break;
  case scBottom: Distance = A->RolStopVisPos() - Start; break;
  case scPosition: Distance = Pos - Start; break;
  case scTrack: Distance = Bar->Tracking() ? Pos - Start : 0; break;
  case scEndScroll: break;
  }
  A->SetRolStartVisPos(A->CheckRolStartVisPos(Start + Distance));
}

// The rolling cell at a position, or the next one when the position lies
// inside it (more than MinOffset pixels in).
Integer TCustomGridEh::CellAtOrAfter(TGridAxisDataEh* A, Int64 Pos, Integer MinOffset)
{
  Integer Cel = 0, Ofs = 0;
  A->RolCellAtPos(std::max<Int64>(Pos, 0), Cel, Ofs);
  return Ofs > MinOffset ? Cel + 1 : Cel;
}

static bool LastVisibleCellComplete(TGridAxisDataEh* A)
{
  return A->RolLastFullVisCel() == A->RolLastVisCel();
}

void TCustomGridEh::ScrollAxisByCells(TGridAxisDataEh* A, TGridScrollBarEh* Bar, TScrollCode ScrollCode, Integer Pos)
{
  if (A->RolCelCount() <= 0)
    return;
  Integer Target = A->RolStartVisCel();
  switch (ScrollCode) {
  case scLineUp:
    Target = A->RolStartVisCelOfst() < 1 ? A->RolStartVisCel() - 1 : A->RolStartVisCel();
    break;
  case scLineDown: Target = A->RolStartVisCel() + 1; break;
  case scPageUp: Target = CellAtOrAfter(A, A->RolStartVisPos() - A->RolClientLen(), 0); break;
  case scPageDown: Target = LastVisibleCellComplete(A) ? A->RolLastVisCel() + 1 : A->RolLastVisCel(); break;
  case scTop: Target = 0; break;
  case scBottom: Target = A->RolCelCount(); break;
  case scTrack:
    if (!Bar->Tracking())
      return;
    [[fallthrough]];
  case scPosition:
    if (Pos == A->RolLen() - A->RolClientLen()) {
      Target = A->RolCelCount() - 1;
    } else {
      Integer Cel = 0, Ofs = 0;
      A->RolCellAtPos(std::max(Pos, 0), Cel, Ofs);
      Target = Ofs > A->RolCelLens(Cel) / 2 ? Cel + 1 : Cel;
    }
    break;
  case scEndScroll: return;
  }
  A->SafeSetRolStartVisCel(Target, sstByPixelEh);
}

void TCustomGridEh::MakeCellVisible(TGridCoord Cell, bool Horz, bool Vert)
{
  if (!HandleAllocated())
    return;
  CheckUpdateAxises();
  auto NewPos = [](TGridAxisDataEh& A, Integer Index) {
    Int64 Pos = A.RolStartVisPos();
    if (Index < A.FixedCelCount() || Index >= A.CelCount())
      return Pos;
    const Integer R = Index - A.FixedCelCount();
    const Int64 Start = A.RolLocCelPosArr(R);
    const Int64 End = Start + A.RolCelLens(R);
    if (Start < Pos)
      Pos = Start;
    else if (End > Pos + A.RolClientLen())
      Pos = std::min(Start, End - A.RolClientLen());
    return Pos;
  };
  TGridAxisDataEh& H = *FHorzAxis;
  TGridAxisDataEh& V = *FVertAxis;
  Int64 NewLeft = Horz ? NewPos(H, Cell.X) : H.RolStartVisPos();
  Int64 NewTop = Vert ? NewPos(V, Cell.Y) : V.RolStartVisPos();
  if (!IsHorzSmoothScroll() && H.RolCelCount() > 0) {
    Integer Cel = 0, Ofs = 0;
    H.RolCellAtPos(NewLeft, Cel, Ofs);
    NewLeft -= Ofs;
    // Snapping back must not cut off the column it was to show: then the
    // next column start is taken.
    if (Horz && Ofs > 0 && Cell.X >= H.FixedCelCount() && Cell.X < H.CelCount() && Cel + 1 < H.RolCelCount()) {
      const Integer R = Cell.X - H.FixedCelCount();
      if (H.RolLocCelPosArr(R) + H.RolCelLens(R) > NewLeft + H.RolClientLen())
        NewLeft = std::min(H.RolLocCelPosArr(Cel + 1), H.RolLocCelPosArr(R));
    }
  }
  if (!IsVertSmoothScroll() && V.RolCelCount() > 0) {
    Integer Cel = 0, Ofs = 0;
    V.RolCellAtPos(NewTop, Cel, Ofs);
    if (Ofs > 0 && Cel + 1 < V.RolCelCount())
      NewTop = V.RolLocCelPosArr(Cel + 1);
  }
  SetHorzRolStartVisPos(std::clamp<Int64>(NewLeft, 0, H.RolLen()));
  SetVertRolStartVisPos(std::clamp<Int64>(NewTop, 0, V.RolLen()));
}

static Integer ClampScrollDistance(Int64 D, Integer Limit)
{
  return Integer(std::clamp<Int64>(D, -Int64(Limit), Int64(Limit)));
}

void TCustomGridEh::TopLeftChanged(Int64 OldLeftPos, Int64 OldTopPos)
{
  UpdateScrollBars();
  if (!HandleAllocated())
    return;
  if (FEditorMode && FInplaceEdit && CanEditShow())
    UpdateEdit();
  if (!IsPaintLocked() && FBoundariesUpdateCount == 0 && !MouseCapture()) {
    const TPoint P = ScreenToClient(Mouse()->CursorPos());
    UpdateHotTrack(P.X, P.Y);
  }
  if (NeedFullRepaintOnScroll()) {
    InvalidateGrid();
    return;
  }
  TGridAxisDataEh& H = *FHorzAxis;
  TGridAxisDataEh& V = *FVertAxis;
  const bool HorzMoved = H.RolStartVisPos() != OldLeftPos;
  const bool VertMoved = V.RolStartVisPos() != OldTopPos;
  const bool Mirror = UseRightToLeftAlignment();
  const Integer CW = ClientWidth();
  if (HorzMoved && !VertMoved) {
    TRect R(H.FixedBoundary(), V.GridClientStart(), H.RolInClientBoundary(), V.GridClientStop());
    Integer D = ClampScrollDistance(OldLeftPos - H.RolStartVisPos(), std::max(R.Width(), 1));
    if (Mirror) {
      R = TRect(CW - H.RolInClientBoundary(), V.GridClientStart(), CW - H.FixedBoundary(), V.GridClientStop());
      D = -D;
    }
    ScrollWindowEx(Handle(), D, 0, &R, &R, nullptr, nullptr, SW_INVALIDATE);
  } else if (VertMoved && !HorzMoved) {
    TRect R(H.GridClientStart(), V.FixedBoundary(), H.GridClientStop(), V.ContraStart());
    if (Mirror)
      R = TRect(CW - H.GridClientStop(), V.FixedBoundary(), CW - H.GridClientStart(), V.ContraStart());
    const Integer D = ClampScrollDistance(OldTopPos - V.RolStartVisPos(), std::max(R.Height(), 1));
    ScrollWindowEx(Handle(), 0, D, &R, &R, nullptr, nullptr, SW_INVALIDATE);
  } else if (HorzMoved && VertMoved) {
    InvalidateGrid();
  }
  AfterTopLeftChanged();
}

bool TCustomGridEh::RaiseMouseWheelDownEvent(TShiftState Shift, TPoint MousePos)
{
  return inherited::DoMouseWheelDown(Shift, MousePos);
}

bool TCustomGridEh::RaiseMouseWheelUpEvent(TShiftState Shift, TPoint MousePos)
{
  return inherited::DoMouseWheelUp(Shift, MousePos);
}

bool TCustomGridEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  if (RaiseMouseWheelDownEvent(Shift, MousePos))
    return true;
  TGridAxisDataEh& V = *FVertAxis;
  const bool Ctrl = Shift.Contains(ssCtrl);
  if (IsVertSmoothScroll()) {
    SetTopPos(V.RolStartVisPos() + (Ctrl ? V.RolClientLen() : GetVertScrollStep()));
  } else if (V.RolCelCount() > 0) {
    Integer Target = V.RolStartVisCel() + 1;
    if (Ctrl)
      Target = LastVisibleCellComplete(&V) ? V.RolLastVisCel() + 1 : V.RolLastVisCel();
    V.SafeSetRolStartVisCel(Target, sstByCellEh);
  }
  return true;
}

bool TCustomGridEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  if (RaiseMouseWheelUpEvent(Shift, MousePos))
    return true;
  TGridAxisDataEh& V = *FVertAxis;
  const bool Ctrl = Shift.Contains(ssCtrl);
  if (IsVertSmoothScroll()) {
    SetTopPos(V.RolStartVisPos() - (Ctrl ? V.RolClientLen() : GetVertScrollStep()));
  } else if (V.RolCelCount() > 0) {
    Integer Target = V.RolStartVisCelOfst() <= 0 ? V.RolStartVisCel() - 1 : V.RolStartVisCel();
    if (Ctrl)
      Target = CellAtOrAfter(&V, V.RolStartVisPos() - V.RolClientLen(), 0);
    V.SafeSetRolStartVisCel(Target, sstByPixelEh);
  }
  return true;
}

// ---------------------------------------------------------------------------
// TCustomGridEh: sizing and moving.

// An edge E is hit from half a band before it to the rest of the band after.
static bool EdgeHit(Integer E, Integer P, Integer Band)
{
  const Integer Half = Band / 2;
  return E - Half <= P && P <= E + Band - Half;
}

void TCustomGridEh::EdgeSearch(TGridAxisDataEh* A, Integer P, Integer Band, bool FixedSizable, bool& Hit,
                               Integer& Index, Integer& Edge)
{
  Hit = false;
  auto Found = [&](Integer AIndex, Integer E) {
    Hit = true;
    Index = AIndex;
    Edge = E;
  };
  const Integer Half = Band / 2;
  // Fixed (or only frozen) cells.
  Integer First = FixedSizable ? 0 : A->FixedCelCount() - A->FrozenCelCount();
  Integer Pos = FixedSizable ? A->GridClientStart() : A->FixedBoundary() - A->FrozenLen();
  for (Integer I = First; I < A->FixedCelCount(); ++I) {
    const Integer E = Pos + A->FixedCelLens(I);
    if (E >= A->GridClientStop())
      break;
    if (EdgeHit(E, P, Band))
      return Found(I, E);
    Pos = E;
  }
  // Visible rolling cells.
  Int64 RolPos = Int64(A->FixedBoundary()) - A->RolStartVisCelOfst();
  for (Integer I = A->StartVisCel(); I < A->CelCount(); ++I) {
    const Int64 E = RolPos + A->CelLens(I);
    if (E >= A->ContraStart())
      break;
    if (EdgeHit(Integer(E), P, Band))
      return Found(I, Integer(E));
    RolPos = E;
  }
  const Integer Boundary = A->RolInClientBoundary();
  if (Boundary == A->ContraStart() && Boundary - Half <= P && P <= Boundary && A->RolCelCount() > 0)
    return Found(A->RolLastVisCel() + A->FixedCelCount(), Boundary);
  if (A->ContraCelCount() > 0 && A->ContraStart() <= P && P <= A->ContraStart() + Half)
    return Found(A->CelCount(), A->ContraStart());
  // Edges between contra cells; the hit sizes the cell after the edge.
  Pos = A->ContraStart();
  for (Integer C = 0; C + 1 < A->ContraCelCount(); ++C) {
    const Integer E = Pos + A->ContraCelLens(C);
    if (E >= A->GridClientStop())
      break;
    if (EdgeHit(E, P, Band))
      return Found(A->CelCount() + C + 1, E);
    Pos = E;
  }
}

void TCustomGridEh::CalcSizingState(Integer X, Integer Y, TGridStateEh& State, Integer& Index,
                                    Integer& SizingPos, Integer& SizingOfs)
{
  State = gsNormalEh;
  Index = -1;
  TGridOptionsEh Opts = FOptions;
  if (ComponentState().Contains(csDesigning))
    Opts = Opts + FDesignOptionsBoost;
  if (!Opts.Contains(goRowSizingEh) && !Opts.Contains(goColSizingEh))
    return;
  TGridAxisDataEh& H = *FHorzAxis;
  TGridAxisDataEh& V = *FVertAxis;
  const Integer XX = UseRightToLeftAlignment() ? ClientWidth() - X : X;
  const Integer ColRangeStart = CanSizeFixedCols() ? H.GridClientStart() : H.FixedBoundary() - H.FrozenLen();
  bool Hit = false;
  Integer Edge = 0;
  Integer P = 0;
  if (XX >= ColRangeStart && Opts.Contains(goColSizingEh)) {
    if (!(V.GridClientStart() <= Y && Y < V.FixedBoundary() - V.FrozenLen()))
      return;
    P = XX;
    EdgeSearch(&H, P, 7, CanSizeFixedCols(), Hit, Index, Edge);
    if (Hit)
      State = gsColSizingEh;
  } else if (Opts.Contains(goRowSizingEh) && Y >= V.FixedBoundary() - V.FrozenLen() &&
             XX < H.FixedBoundary() - H.FrozenLen()) {
    P = Y;
    EdgeSearch(&V, P, 5, CanSizeFixedRows(), Hit, Index, Edge);
    if (Hit)
      State = gsRowSizingEh;
  }
  if (!Hit) {
    Index = -1;
    return;
  }
  SizingPos = Edge;
  SizingOfs = Edge - P;
}

void TCustomGridEh::BeginSizing()
{
  FDrawenSizingPos2 = FSizingPos;
  TGridAxisDataEh& A = FGridState == gsColSizingEh ? *FHorzAxis : *FVertAxis;
  Integer Other = -1;
  const Integer I = FSizingIndex;
  if (I >= A.FixedCelCount() && I < A.CelCount()) {
    Other = ClampToInt(A.FixedBoundary() + A.RolLocCelPosArr(I - A.FixedCelCount()) - A.RolStartVisPos());
  } else if (I >= A.CelCount()) {
    Other = A.ContraStart();
    for (Integer C = 0; C <= I - A.CelCount(); ++C)
      Other += A.ContraCelLens(C);
  }
  if (Other < A.FixedBoundary())
    Other = -1;
  FDrawenSizingPos1 = Other;
  InvalidateGrid();
}

void TCustomGridEh::CalcSizingLineBounds(Integer& Start, Integer& Stop)
{
  TGridAxisDataEh& Across = FGridState == gsColSizingEh ? *FVertAxis : *FHorzAxis;
  Start = Across.GridClientStart();
  Stop = Across.GridClientStop();
}

void TCustomGridEh::InvalidateSizingLine()
{
  if (!HandleAllocated())
    return;
  const bool Cols = FGridState == gsColSizingEh;
  auto Strip = [&](Integer Pos) {
    if (Pos < 1)
      return;
    const TRect R = Cols ? TRect(Pos - 1, 0, Pos, ClientHeight()) : TRect(0, Pos - 1, ClientWidth(), Pos);
    ::InvalidateRect(Handle(), &R, false);
  };
  Strip(FDrawenSizingPos2);
  Strip(FSizingPos);
  Update();
  FDrawenSizingPos2 = FSizingPos;
}

void TCustomGridEh::UpdateSizingLine()
{
  InvalidateSizingLine();
}

void TCustomGridEh::DrawSizingLine()
{
  Integer Start = 0, Stop = 0;
  CalcSizingLineBounds(Start, Stop);
  TCanvas* C = Canvas();
  C->Pen()->SetColor(ColorToRGB(cl3DDkShadow));
  C->Pen()->SetWidth(1);
  const bool Cols = FGridState == gsColSizingEh;
  auto Line = [&](Integer Pos) {
    if (Cols) {
      C->MoveTo(Pos - 1, Start);
      C->LineTo(Pos - 1, Stop);
    } else {
      C->MoveTo(Start, Pos - 1);
      C->LineTo(Stop, Pos - 1);
    }
  };
  Line(FSizingPos);
  if (FDrawenSizingPos1 >= 0)
    Line(FDrawenSizingPos1);
}

Integer TCustomGridEh::CalcSizedCelLen(TGridAxisDataEh* A)
{
  const Integer I = FSizingIndex;
  if (I < A->FixedCelCount())
    return FSizingPos - (A->GridClientStart() + A->GetFixedCelPos(I));
  if (I < A->CelCount()) {
    const Int64 Near = Int64(A->FixedBoundary()) + A->RolLocCelPosArr(I - A->FixedCelCount()) - A->RolStartVisPos();
    return ClampToInt(FSizingPos - Near);
  }
  Integer Far = A->ContraStart();
  for (Integer C = 0; C <= I - A->CelCount(); ++C)
    Far += A->ContraCelLens(C);
  return Far - FSizingPos;
}

void TCustomGridEh::FinishSizing()
{
  UpdateSizingLine();
  const bool Cols = FGridState == gsColSizingEh;
  if (Cols && UseRightToLeftAlignment())
    FSizingPos = ClientWidth() - FSizingPos;
  const Integer Len = CalcSizedCelLen(Cols ? FHorzAxis.get() : FVertAxis.get());
  // A drag to one pixel or less keeps the old size.
  if (Len > 1) {
    if (Cols)
      ApplyColSizing(FSizingIndex, Len);
    else
      ApplyRowSizing(FSizingIndex, Len);
    NotifyDesignerModifiedEh(this);
  }
  FGridState = gsNormalEh;
  InvalidateGrid();
}

bool TCustomGridEh::CanStartColMoving(Integer&, Integer&, TPoint) { return true; }
bool TCustomGridEh::CanStartRowMoving(Integer&, Integer&, TPoint) { return true; }
bool TCustomGridEh::CheckColMovingTarget(Integer&, Integer&, TPoint) { return true; }
bool TCustomGridEh::CheckRowMovingTarget(Integer&, Integer&, TPoint) { return true; }

bool TCustomGridEh::EndColMoving(Integer& Origin, Integer& Destination, TPoint)
{
  // The marker stood left of the target: the column lands before it.
  if (Origin < Destination && !FMovePosRightSite)
    --Destination;
  return true;
}

bool TCustomGridEh::EndRowMoving(Integer&, Integer&, TPoint) { return true; }

void TCustomGridEh::StartColMoving(Integer ACol, Integer X, Integer Y)
{
  FMoveFromIndex = ACol;
  const TGridCoord Cell = MouseCoord(X, Y);
  TGridAxisDataEh& H = *FHorzAxis;
  FMoveToIndex = ACol;
  if (Cell.X >= 0) {
    const TRect R = CalcCellRect(Cell.X, std::max(Cell.Y, 0), true);
    const Integer Middle = (R.Left + R.Right) / 2;
    const bool PastMiddle = UseRightToLeftAlignment() ? X <= Middle : X >= Middle;
    FMoveToIndex = Cell.X + (PastMiddle ? 1 : 0);
    FMoveFromCellOriginDistance = X - R.Left;
  } else if (X > H.RolInClientBoundary()) {
    FMoveToIndex = ColCount() - 1;
  }
  if (X < H.FixedBoundary())
    FMoveToIndex = H.StartVisCel();
  FMovePosRightSite = false;
  FGridState = gsColMovingEh;
  Update();
  UpdateMoveLine();
  SetGridTimer(true, 60);
}

void TCustomGridEh::StartRowMoving(Integer ARow)
{
  FMoveFromIndex = ARow;
  FMoveToIndex = ARow;
  FGridState = gsRowMovingEh;
  Update();
  UpdateMoveLine();
  SetGridTimer(true, 60);
}

void TCustomGridEh::UpdateMovingTarget(Integer Pos, Integer CellIndex, TPoint MousePt, bool Vertical,
                                       TGridAxisDataEh* A)
{
  if (!Vertical && UseRightToLeftAlignment())
    Pos = ClientWidth() - Pos;
  const bool RightSite = FMoveFromIndex < FMoveToIndex;
  const TScrollBarKind Kind = Vertical ? sbVertical : sbHorizontal;
  if (A->RolStartVisCelOfst() == 0 && FMoveToIndex == A->StartVisCel() && A->RolStartVisCel() == 0 &&
      Pos < A->FixedBoundary())
    return;
  bool Skip = false;
  if (Pos < A->FixedBoundary()) {
    if (FMoveToIndex > A->StartVisCel() || A->RolStartVisCelOfst() > 0 || A->RolStartVisCel() > 0) {
      ScrollByCode(Kind, scLineUp, true, 0);
      Update();
    }
    CellIndex = A->StartVisCel();
  } else if (Pos >= A->GridClientStop()) {
    if (!A->InEndOfRol()) {
      ScrollByCode(Kind, scLineDown, true, 0);
      Update();
    }
    CellIndex = A->RolLastFullVisCel() + A->FixedCelCount();
  } else if (CellIndex < 0 && Pos >= A->RolInClientBoundary()) {
    CellIndex = A->CelCount() - 1;
  } else if (CellIndex < 0) {
    Skip = true;
  }
  // A target in the fixed or contra area would move the cell out of the
  // rolling cells.
  if (!Skip && A->RolCelCount() > 0) {
    CellIndex = std::clamp(CellIndex, A->FixedCelCount(), A->CelCount() - 1);
    Integer From = FMoveFromIndex;
    Integer To = CellIndex;
    if (!Vertical) {
      if (CheckColMovingTarget(From, To, MousePt)) {
        const Integer Start = BoxEdge(A, CellIndex, true, false);
        const Integer Stop = BoxEdge(A, CellIndex, false, false);
        const bool LeftHalf = Pos < (Start + Stop) / 2;
        FMoveToIndex = LeftHalf ? CellIndex : CellIndex + 1;
        FMovePosRightSite = false;
      }
    } else if (CheckRowMovingTarget(From, To, MousePt)) {
      FMoveToIndex = CellIndex;
      FMovePosRightSite = RightSite;
    }
  }
  UpdateMoveLine();
}

void TCustomGridEh::UpdateMoveLine()
{
  if (FGridState != gsRowMovingEh && FGridState != gsColMovingEh)
    return;
  TGridAxisDataEh& H = *FHorzAxis;
  TGridAxisDataEh& V = *FVertAxis;
  TPoint Start;
  Integer Len = 0;
  bool IsVert = false;
  if (FGridState == gsRowMovingEh) {
    const Integer To = std::min(FMoveToIndex, RowCount() - 1);
    const Integer Y = FMoveFromIndex < FMoveToIndex ? BoxEdge(&V, To, false, false) : BoxEdge(&V, To, true, false);
    Start = TPoint(H.GridClientStart(), Y);
    Len = H.GridClientLen();
  } else {
    const bool Mirror = UseRightToLeftAlignment();
    Integer X = 0;
    if (FMoveToIndex >= ColCount())
      X = BoxEdge(&H, ColCount() - 1, false, false);
    else if (FMovePosRightSite)
      X = BoxEdge(&H, FMoveToIndex, false, false);
    else
      X = BoxEdge(&H, FMoveToIndex, true, false) - 1;
    if (Mirror)
      X = ClientWidth() - X;
    Start = TPoint(X, V.GridClientStart());
    Len = FOptions.Contains(goExtendVertLinesEh) ? V.RolInClientBoundary() - V.GridClientStart() : V.GridClientLen();
    IsVert = true;
  }
  const TPoint Screen = ClientToScreen(Start);
  TGridMoveLineEh* Line = GetGridMoveLineEh();
  if (Line->Visible())
    Line->MoveToFor(Screen);
  else
    Line->StartShow(Screen, IsVert, Len, this);
}

void TCustomGridEh::HideMoveLine()
{
  GetGridMoveLineEh()->SetVisible(false);
}

void TCustomGridEh::MovingTimerTick()
{
  const TPoint Cursor = Mouse()->CursorPos();
  const TPoint P = ScreenToClient(Cursor);
  const TGridCoord Cell = MouseCoord(P.X, P.Y);
  if (FGridState == gsRowMovingEh) {
    UpdateMovingTarget(P.Y, Cell.Y, P, true, FVertAxis.get());
    return;
  }
  TGridAxisDataEh& H = *FHorzAxis;
  const Integer OldLeftCol = LeftCol();
  const Int64 OldLeftPos = H.RolStartVisPos();
  UpdateMovingTarget(P.X, Cell.X, P, false, &H);
  if (FMoveToIndex < FixedColCount() || FMoveToIndex > ColCount())
    return;
  // The farther the mouse from the rolling area, the faster the steps.
  Integer R = 0, D = 0;
  if (P.X < H.FixedBoundary()) {
    const Integer ScreenBoundary = ClientToScreen(TPoint(H.FixedBoundary(), 0)).X;
    R = std::min(ScreenBoundary, 200);
    D = ScreenBoundary - Cursor.X;
  } else if (P.X > H.ContraStart()) {
    const Integer ScreenContra = ClientToScreen(TPoint(H.ContraStart(), 0)).X;
    R = std::min(GetSystemMetrics(SM_CXSCREEN) - ScreenContra, 200);
    D = Cursor.X - ScreenContra;
  } else {
    const bool ScrolledToEnd = LeftCol() > OldLeftCol || H.RolStartVisPos() > OldLeftPos;
    SetGridTimer(true, ScrolledToEnd ? 360 : 60);
    return;
  }
  D = std::min(D, R);
  const double Den = D <= 10 ? 1.0 : double(D - 10);
  SetGridTimer(true, Integer(double(R) / Den * 1.5) + 60);
}

void TCustomGridEh::FinishMoving(TPoint MousePt)
{
  HideMoveLine();
  SetGridTimer(false, 0);
  Integer From = FMoveFromIndex;
  Integer To = FMoveToIndex;
  if (FGridState == gsRowMovingEh) {
    if (EndRowMoving(From, To, MousePt) && From != To) {
      MoveRow(From, std::clamp(To, FixedRowCount(), RowCount() - 1));
      NotifyDesignerModifiedEh(this);
    }
  } else if (EndColMoving(From, To, MousePt) && From != To) {
    To = std::clamp(To, FixedColCount(), ColCount() - 1);
    if (From != To) {
      MoveColumn(From, To);
      NotifyDesignerModifiedEh(this);
    }
  }
  UpdateEdit();
  FGridState = gsNormalEh;
  InvalidateGrid();
}

void TCustomGridEh::ColumnMoved(Integer FromIndex, Integer ToIndex)
{
  const TGridCoord OldCur = FCurCell;
  Integer C = FCurCell.X;
  if (C == FromIndex)
    C = ToIndex;
  else if (FromIndex < C && ToIndex >= C)
    --C;
  else if (FromIndex > C && ToIndex <= C)
    ++C;
  if (FAnchorCell == OldCur)
    FAnchorCell.X = C;
  FCurCell.X = C;
}
