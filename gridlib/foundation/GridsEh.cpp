// GridsEh.cpp: the base grid: axis model, parameter objects, structure and layout.
#include "gridlib/foundation/GridsEh.h"

#include "gridlib/foundation/DynVarsEh.h"
#include "gridlib/foundation/GridLibLangConsts.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/rtl/ScopeExit.h"

#include <algorithm>
#include <limits>

// ---------------------------------------------------------------------------
// Cell addresses and integer arrays.

TGridCoord GridCoordEh(Integer ACol, Integer ARow)
{
  return TGridCoord(ACol, ARow);
}

TGridRect GridRectFromCoordsEh(TGridCoord C1, TGridCoord C2)
{
  return TGridRect(std::min(C1.X, C2.X), std::min(C1.Y, C2.Y), std::max(C1.X, C2.X),
                   std::max(C1.Y, C2.Y));
}

bool PointInGridRectEh(Integer ACol, Integer ARow, const TGridRect& Rect)
{
  return ACol >= Rect.Left && ACol <= Rect.Right && ARow >= Rect.Top && ARow <= Rect.Bottom;
}

bool AxisCelLensEqualEh(TGridAxisDataEh* Axis1, TGridAxisDataEh* Axis2)
{
  if (Axis1->FullCelCount() != Axis2->FullCelCount())
    return false;
  for (Integer I = 0; I < Axis1->FullCelCount(); ++I)
    if (Axis1->CelLens(I) != Axis2->CelLens(I))
      return false;
  return true;
}

void ArrayFillRangeEh(TIntegerDynArray& Extents, Integer StartIndex, Integer Count, Integer Value)
{
  for (Integer I = StartIndex; I < StartIndex + Count; ++I)
    Extents[std::size_t(I)] = Value;
}

void ArrayMoveItemEh(TIntegerDynArray& Extents, Integer FromIndex, Integer ToIndex)
{
  if (Extents.empty() || FromIndex == ToIndex)
    return;
  const Integer Item = Extents[std::size_t(FromIndex)];
  if (FromIndex < ToIndex)
    std::move(Extents.begin() + FromIndex + 1, Extents.begin() + ToIndex + 1, Extents.begin() + FromIndex);
  else
    std::move_backward(Extents.begin() + ToIndex, Extents.begin() + FromIndex, Extents.begin() + FromIndex + 1);
  Extents[std::size_t(ToIndex)] = Item;
}

void ArrayInsertRange(TIntegerDynArray& Extents, Integer StartIndex, Integer Amount)
{
  if (Amount < 0)
    throw Exception(QStringLiteral("ArrayInsertRange: (Amount < 0)"));
  if (StartIndex > Integer(Extents.size()))
    throw Exception(QStringLiteral("ArrayInsertRange: StartIndex > Length(Extents)"));
  const std::size_t OldLen = Extents.size();
  Extents.resize(OldLen + std::size_t(Amount));
  // The opened range keeps the values that stood there; the caller fills it.
  std::move_backward(Extents.begin() + StartIndex, Extents.begin() + Integer(OldLen), Extents.end());
}

void ArrayDeleteRange(TIntegerDynArray& Extents, Integer StartIndex, Integer Amount)
{
  if (Amount < 0)
    throw Exception(QStringLiteral("ArrayDeleteRange: (Amount < 0)"));
  if (Int64(StartIndex) + Amount > Int64(Extents.size()))
    throw Exception(QStringLiteral("ArrayDeleteRange: StartIndex + Amount > Length(Extents)"));
  Extents.erase(Extents.begin() + StartIndex, Extents.begin() + StartIndex + Amount);
}

// Offsets beyond the 32-bit range are held at its ends instead of wrapping.
static Integer ClampOffset(Int64 Offset)
{
  return Integer(std::clamp<Int64>(Offset, std::numeric_limits<Integer>::min(),
                                   std::numeric_limits<Integer>::max()));
}

void FindCelAtPosEh(const Int64* A, Integer Count, Int64 Pos, Integer& ACel, Integer& AOffset)
{
  ACel = 0;
  AOffset = 0;
  if (Count <= 0)
    return;
  if (Pos <= A[0]) {
    AOffset = ClampOffset(Pos - A[0]);
    return;
  }
  if (Pos >= A[Count - 1]) {
    ACel = Count - 1;
    AOffset = ClampOffset(Pos - A[Count - 1]);
    return;
  }
  Integer Lo = 0;
  Integer Hi = Count - 1;
  Integer Mid = Hi / 2;
  for (;;) {
    if (A[Mid] > Pos)
      Hi = Mid;
    else if (A[Mid] == Pos) {
      ACel = Mid;
      AOffset = 0;
      return;
    } else
      Lo = Mid;
    const Integer NewMid = (Lo + Hi) / 2;
    if (NewMid == Mid) {
      ACel = Mid;
      AOffset = ClampOffset(Pos - A[Mid]);
      return;
    }
    Mid = NewMid;
  }
}

// ---------------------------------------------------------------------------
// TGridAxisDataEh

TGridAxisDataEh::TGridAxisDataEh(TCustomGridEh* AGrid) : FGrid(AGrid) {}

Integer TGridAxisDataEh::GridClientStart()
{
  CheckUpdateAxises();
  return FGridClientStart;
}

Integer TGridAxisDataEh::GridClientStop()
{
  CheckUpdateAxises();
  return FGridClientStop;
}

Integer TGridAxisDataEh::GridClientLen()
{
  return GridClientStop() - GridClientStart();
}

Int64 TGridAxisDataEh::RolLen()
{
  if (FRolCelCount <= 0)
    return 0;
  return RolLocCelPosArr(FRolCelCount - 1) + FRolCelLens[std::size_t(FRolCelCount - 1)];
}

Integer TGridAxisDataEh::RolInClientBoundary()
{
  const Int64 End = Int64(FFixedBoundary) + RolLen() - FRolStartVisPos;
  return Integer(std::min<Int64>(FContraStart, End));
}

bool TGridAxisDataEh::InEndOfRol()
{
  return Int64(FContraStart) >= Int64(FFixedBoundary) + RolLen() - FRolStartVisPos;
}

Integer TGridAxisDataEh::RolLastVisCel()
{
  CheckUpdateRolCelPosArr();
  return FRolLastVisCel;
}

Integer TGridAxisDataEh::RolLastFullVisCel()
{
  CheckUpdateRolCelPosArr();
  return FRolLastFullVisCel;
}

Integer TGridAxisDataEh::CelLens(Integer Index) const
{
  if (Index < FFixedCelCount)
    return FixedCelLens(Index);
  if (Index < CelCount())
    return RolCelLens(Index - FFixedCelCount);
  return ContraCelLens(Index - CelCount());
}

void TGridAxisDataEh::SetCelLens(Integer Index, Integer Value)
{
  if (Index < FFixedCelCount)
    SetFixedCelLens(Index, Value);
  else if (Index < CelCount())
    SetRolCelLens(Index - FFixedCelCount, Value);
  else
    SetContraCelLens(Index - CelCount(), Value);
}

Int64 TGridAxisDataEh::RolLocCelPosArr(Integer Index)
{
  CheckUpdateRolCelPosArr();
  return FRolLocCelPosArr[std::size_t(Index)];
}

void TGridAxisDataEh::CheckUpdateAxises()
{
  if (FGrid)
    FGrid->CheckUpdateAxises();
  else
    CheckUpdateRolCelPosArr();
}

void TGridAxisDataEh::CheckUpdateRolCelPosArr()
{
  if (!FRolLocCelPosArrObsolete)
    return;
  RebuildRolCelPosArr();
  if (FGrid)
    FGrid->RolCelPosArrUpdated();
}

void TGridAxisDataEh::RebuildRolCelPosArr()
{
  FRolLocCelPosArr.resize(FRolCelLens.size());
  Int64 Pos = 0;
  for (std::size_t I = 0; I < FRolLocCelPosArr.size(); ++I) {
    FRolLocCelPosArr[I] = Pos;
    Pos += FRolCelLens[I];
  }
  // Cleared before the visible cells are found: they read positions.
  FRolLocCelPosArrObsolete = false;
  UpdateVisCells();
}

Integer TGridAxisDataEh::GetFixedCelPos(Integer Index) const
{
  Integer Pos = 0;
  for (Integer I = 0; I < Index; ++I)
    Pos += FFixedCelLens[std::size_t(I)];
  return Pos;
}

Integer TGridAxisDataEh::GetScrollStep() const
{
  const Integer Step = (FContraStart - FFixedBoundary) / 20;
  return Step == 0 ? 1 : Step;
}

void TGridAxisDataEh::RolCellAtPos(Int64 Pos, Integer& ACel, Integer& ACelOffset)
{
  CheckUpdateRolCelPosArr();
  FindCelAtPosEh(FRolLocCelPosArr.data(), Integer(FRolLocCelPosArr.size()), Pos, ACel, ACelOffset);
}

void TGridAxisDataEh::UpdateVisCells()
{
  FindCelAtPosEh(FRolLocCelPosArr.data(), Integer(FRolLocCelPosArr.size()), FRolStartVisPos,
                 FRolStartVisCel, FRolStartVisCelOfst);
  UpdateLastVisCells();
}

void TGridAxisDataEh::UpdateLastVisCells()
{
  FRolLastVisCel = -1;
  FRolLastFullVisCel = -1;
  if (FFixedBoundary >= FContraStart || FRolLocCelPosArr.empty()) {
    FRolLastVisCel = FRolStartVisCel;
    FRolLastFullVisCel = FRolStartVisCel;
    return;
  }
  const Int64 E = Int64(RolClientLen()) + FRolStartVisPos - 1;
  Integer L = 0;
  Integer Ofs = 0;
  FindCelAtPosEh(FRolLocCelPosArr.data(), FRolCelCount, E, L, Ofs);
  while (L + 1 < FRolCelCount && FRolLocCelPosArr[std::size_t(L + 1)] <= E)
    ++L;
  FRolLastVisCel = L;
  // Ofs is measured from the cell found by the search; after stepping over
  // zero-length cells it is measured from L's start again.
  const Int64 OfsInL = E - FRolLocCelPosArr[std::size_t(L)];
  if (OfsInL < Int64(FRolCelLens[std::size_t(L)]) - 1 && L > FRolStartVisCel)
    FRolLastFullVisCel = L - 1;
  else
    FRolLastFullVisCel = L;
}

Integer TGridAxisDataEh::RightToLeftReflect(Integer APos) const
{
  return (FWinClientBoundSto - FWinClientBoundSta) - APos;
}

void TGridAxisDataEh::SwapRightToLeftPoses(Integer& Pos1, Integer& Pos2) const
{
  const Integer W = FWinClientBoundSto - FWinClientBoundSta;
  const Integer Old1 = Pos1;
  Pos1 = W - Pos2;
  Pos2 = W - Old1;
}

Int64 TGridAxisDataEh::CheckRolStartVisPos(Int64 ARolStartVisPos)
{
  const Int64 Max = RolLen() - RolClientLen();
  if (ARolStartVisPos > Max)
    ARolStartVisPos = Max;
  if (ARolStartVisPos < 0)
    ARolStartVisPos = 0;
  return ARolStartVisPos;
}

void TGridAxisDataEh::SetRolStartVisPos(Int64 Value)
{
  if (Value == FRolStartVisPos)
    return;
  if (Value > RolLen())
    throw Exception(QStringLiteral("RolStartVisPos can't be > RolLen"));
  const Int64 OldPos = FRolStartVisPos;
  FRolStartVisPos = Value;
  CheckUpdateRolCelPosArr();
  UpdateVisCells();
  if (FGrid)
    FGrid->AxisScrolled(this, OldPos);
}

Integer TGridAxisDataEh::CalcMaxStartCellFor(Integer RolFinishCell)
{
  CheckUpdateRolCelPosArr();
  Integer Result = RolFinishCell;
  const Int64 FinishEnd = FRolLocCelPosArr[std::size_t(RolFinishCell)] + FRolCelLens[std::size_t(RolFinishCell)];
  for (Integer I = RolFinishCell; I >= 0; --I) {
    if (FinishEnd - FRolLocCelPosArr[std::size_t(I)] > RolClientLen())
      break;
    Result = I;
  }
  return Result;
}

void TGridAxisDataEh::SafeSetRolStartVisCel(Integer NewStartCell, TScrollStepTypeEh ScrollStepType)
{
  NewStartCell = std::clamp(NewStartCell, 0, FRolCelCount - 1);
  Int64 P = RolLocCelPosArr(NewStartCell);
  if (P > RolLen() - RolClientLen()) {
    if (ScrollStepType == sstByCellEh) {
      SetRolStartVisPos(RolLocCelPosArr(CalcMaxStartCellFor(FRolCelCount - 1)));
      return;
    }
    P = RolLen() - RolClientLen();
  }
  SetRolStartVisPos(CheckRolStartVisPos(P));
}

void TGridAxisDataEh::SetFixedCelCount(Integer Value)
{
  if (Value == FFixedCelCount)
    return;
  if (Value < 0)
    throw Exception(QStringLiteral("FixedCelCount can't be less then 0"));
  FFixedCelLens.resize(std::size_t(Value), FDefaultCelLen);
  FFixedCelCount = Value;
  if (FGrid) {
    FGrid->CelCountChanged();
    FGrid->UpdateBoundaries();
  }
}

void TGridAxisDataEh::SetContraCelCount(Integer Value)
{
  if (Value == FContraCelCount)
    return;
  if (Value < 0)
    throw Exception(QStringLiteral("ContraCelCount can't be less then 0"));
  FContraCelLens.resize(std::size_t(Value), FDefaultCelLen);
  FContraCelCount = Value;
  if (FGrid) {
    FGrid->CelCountChanged();
    FGrid->UpdateBoundaries();
  }
}

void TGridAxisDataEh::SetFrozenCelCount(Integer Value)
{
  if (Value == FFrozenCelCount)
    return;
  FFrozenCelCount = Value;
  if (FGrid)
    FGrid->UpdateBoundaries();
}

void TGridAxisDataEh::SetRolCelCount(Integer Value)
{
  if (Value == FRolCelCount)
    return;
  if (Value <= 0)
    throw Exception(QStringLiteral("RolCelCount can't be less then 1"));
  const Integer Old = Integer(FRolCelLens.size());
  if (Value > Old) {
    ArrayInsertRange(FRolCelLens, Old, Value - Old);
    ArrayFillRangeEh(FRolCelLens, Old, Value - Old, FDefaultCelLen);
  } else
    ArrayDeleteRange(FRolCelLens, Value, Old - Value);
  RolCelCountChanged();
}

void TGridAxisDataEh::DeleteRolCels(Integer StartIndex, Integer Count)
{
  ArrayDeleteRange(FRolCelLens, StartIndex, Count);
  RolCelCountChanged();
}

void TGridAxisDataEh::RolCelCountChanged()
{
  FRolLocCelPosArr.resize(FRolCelLens.size());
  FRolCelCount = Integer(FRolLocCelPosArr.size());
  FRolLocCelPosArrObsolete = true;
  if (FGrid)
    FGrid->CelCountChanged();
}

void TGridAxisDataEh::SetFixedCelLens(Integer Index, Integer Value)
{
  const Integer Old = FFixedCelLens[std::size_t(Index)];
  if (Old == Value)
    return;
  FFixedCelLens[std::size_t(Index)] = Value;
  if (FGrid)
    FGrid->CelLenChanged(this, Index, Old);
}

void TGridAxisDataEh::SetRolCelLens(Integer Index, Integer Value)
{
  const Integer Old = FRolCelLens[std::size_t(Index)];
  if (Old == Value)
    return;
  FRolCelLens[std::size_t(Index)] = Value;
  FRolLocCelPosArrObsolete = true;
  if (FGrid) {
    FGrid->CelLenChanged(this, FFixedCelCount + Index, Old);
    FGrid->CelCountChanged();
  }
}

void TGridAxisDataEh::SetContraCelLens(Integer Index, Integer Value)
{
  const Integer Old = FContraCelLens[std::size_t(Index)];
  if (Old == Value)
    return;
  FContraCelLens[std::size_t(Index)] = Value;
  if (FGrid)
    FGrid->CelLenChanged(this, CelCount() + Index, Old);
}

void TGridAxisDataEh::MoveCel(Integer FromIndex, Integer ToIndex)
{
  const Integer Fixed = FFixedCelCount;
  const Integer Cel = CelCount();
  const Integer Full = FullCelCount();
  if (FromIndex < Fixed && ToIndex < Fixed && FromIndex >= 0 && ToIndex >= 0)
    ArrayMoveItemEh(FFixedCelLens, FromIndex, ToIndex);
  else if (FromIndex >= Fixed && FromIndex < Cel && ToIndex >= Fixed && ToIndex < Cel) {
    ArrayMoveItemEh(FRolCelLens, FromIndex - Fixed, ToIndex - Fixed);
    FRolLocCelPosArrObsolete = true;
  } else if (FromIndex >= Cel && FromIndex < Full && ToIndex >= Cel && ToIndex < Full)
    ArrayMoveItemEh(FContraCelLens, FromIndex - Cel, ToIndex - Cel);
  else
    throw Exception(QStringLiteral("MoveCel in different areas[FromIndex:%1, ToIndex:%2")
                        .arg(FromIndex)
                        .arg(ToIndex));
  if (FGrid)
    FGrid->CelMoved(this, FromIndex, ToIndex);
}

// ---------------------------------------------------------------------------
// TGridLineColorsEh

void TGridLineColorsEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TGridLineColorsEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  FBrightColor = Src->FBrightColor;
  FDarkColor = Src->FDarkColor;
  FDataHorzColor = Src->FDataHorzColor;
  FDataVertColor = Src->FDataVertColor;
  FFixedHorzColor = Src->FFixedHorzColor;
  FFixedVertColor = Src->FFixedVertColor;
  FHorzAreaContraBorderColor = Src->FHorzAreaContraBorderColor;
  FHorzAreaContraHorzColor = Src->FHorzAreaContraHorzColor;
  FHorzAreaContraVertColor = Src->FHorzAreaContraVertColor;
  FHorzAreaFrozenBorderColor = Src->FHorzAreaFrozenBorderColor;
  FHorzAreaFrozenHorzColor = Src->FHorzAreaFrozenHorzColor;
  FHorzAreaFrozenVertColor = Src->FHorzAreaFrozenVertColor;
  FVertAreaContraBorderColor = Src->FVertAreaContraBorderColor;
  FVertAreaContraHorzColor = Src->FVertAreaContraHorzColor;
  FVertAreaContraVertColor = Src->FVertAreaContraVertColor;
  FVertAreaFrozenBorderColor = Src->FVertAreaFrozenBorderColor;
  FVertAreaFrozenHorzColor = Src->FVertAreaFrozenHorzColor;
  FVertAreaFrozenVertColor = Src->FVertAreaFrozenVertColor;
  if (FGrid)
    FGrid->Invalidate();
}

void TGridLineColorsEh::SetColorField(TColor& Field, TColor Value)
{
  if (Field == Value)
    return;
  Field = Value;
  if (FGrid)
    FGrid->Invalidate();
}

static TColor SetOr(TColor Value, TColor Derived)
{
  return Value != clDefault ? Value : Derived;
}

TColor TGridLineColorsEh::GetCellLineColor(Integer ACol, Integer ARow)
{
  if (ARow >= FGrid->RowCount())
    return GetVertAreaContraVertColor();
  if (ACol >= FGrid->ColCount())
    return GetHorzAreaContraHorzColor();
  const bool FixedNotFrozen = ACol < FGrid->FixedColCount() - FGrid->FrozenColCount() ||
                              ARow < FGrid->FixedRowCount() - FGrid->FrozenRowCount();
  return FixedNotFrozen ? GetDarkColor() : GetBrightColor();
}

TColor TGridLineColorsEh::GetDataHorzColor() { return SetOr(FDataHorzColor, GetBrightColor()); }
TColor TGridLineColorsEh::GetDataVertColor() { return SetOr(FDataVertColor, GetBrightColor()); }

TColor TGridLineColorsEh::GetRowFrozenLineColor(Integer ARow)
{
  if (FGrid->FrozenRowCount() > 0 && ARow == FGrid->FixedRowCount() - 1)
    return GetDarkColor();
  return GetBrightColor();
}

TColor TGridLineColorsEh::GetHorzAreaFrozenBorderColor() { return SetOr(FHorzAreaFrozenBorderColor, GetDarkColor()); }
TColor TGridLineColorsEh::GetHorzAreaFrozenHorzColor() { return SetOr(FHorzAreaFrozenHorzColor, GetBrightColor()); }
TColor TGridLineColorsEh::GetHorzAreaFrozenVertColor() { return SetOr(FHorzAreaFrozenVertColor, GetBrightColor()); }

TColor TGridLineColorsEh::GetColLineColor(Integer ACol)
{
  return ACol == FGrid->ColCount() ? GetVertAreaContraBorderColor() : GetBrightColor();
}

TColor TGridLineColorsEh::GetColFrozenLineColor(Integer ACol)
{
  if (FGrid->FrozenColCount() > 0 && ACol == FGrid->FixedColCount() - 1)
    return GetVertAreaFrozenBorderColor();
  return GetBrightColor();
}

TColor TGridLineColorsEh::GetRowLineColor(Integer ARow)
{
  return ARow == FGrid->RowCount() ? GetHorzAreaContraBorderColor() : GetBrightColor();
}

TColor TGridLineColorsEh::GetVertAreaFrozenBorderColor() { return SetOr(FVertAreaFrozenBorderColor, GetDarkColor()); }
TColor TGridLineColorsEh::GetVertAreaFrozenHorzColor() { return SetOr(FVertAreaFrozenHorzColor, GetBrightColor()); }
TColor TGridLineColorsEh::GetVertAreaFrozenVertColor() { return SetOr(FVertAreaFrozenVertColor, GetBrightColor()); }

// The style's border colour of the grid's fixed cells, darkened a little for
// the gradient look of a grid that is not flat.
static TColor StyleFixedCellBorderColor(bool Flat)
{
  const TColor Shadow = ColorToRGB(clBtnShadow);
  return Flat ? Shadow : MixColorsByPercentEh(Shadow, ColorToRGB(cl3DDkShadow), 20);
}

TColor TGridLineColorsEh::GetDarkColor()
{
  if (FDarkColor != clDefault)
    return FDarkColor;
  if (CustomStyleActiveEh())
    return StyleFixedCellBorderColor(FGrid->Flat());
  return ColorToRGB(clGray);
}

TColor TGridLineColorsEh::GetBrightColor()
{
  if (FBrightColor != clDefault)
    return FBrightColor;
  if (CustomStyleActiveEh())
    return StyleFixedCellBorderColor(FGrid->Flat());
  if (ColorToRGB(FGrid->Color()) == ColorToRGB(clSilver))
    return ColorToRGB(clGray);
  return ColorToRGB(clSilver);
}

TColor TGridLineColorsEh::GetFixedVertColor() { return SetOr(FFixedVertColor, GetDarkColor()); }
TColor TGridLineColorsEh::GetFixedHorzColor() { return SetOr(FFixedHorzColor, GetDarkColor()); }
TColor TGridLineColorsEh::GetVertAreaContraVertColor() { return SetOr(FVertAreaContraVertColor, GetBrightColor()); }
TColor TGridLineColorsEh::GetVertAreaContraHorzColor() { return SetOr(FVertAreaContraHorzColor, GetBrightColor()); }
TColor TGridLineColorsEh::GetHorzAreaContraVertColor() { return SetOr(FHorzAreaContraVertColor, GetBrightColor()); }
TColor TGridLineColorsEh::GetHorzAreaContraHorzColor() { return SetOr(FHorzAreaContraHorzColor, GetBrightColor()); }
TColor TGridLineColorsEh::GetVertAreaContraBorderColor() { return SetOr(FVertAreaContraBorderColor, GetDarkColor()); }
TColor TGridLineColorsEh::GetHorzAreaContraBorderColor() { return SetOr(FHorzAreaContraBorderColor, GetDarkColor()); }

// ---------------------------------------------------------------------------
// TGridOutBoundaryDataEh

void TGridOutBoundaryDataEh::SetIndent(Integer& Field, Integer Value)
{
  if (Field == Value)
    return;
  Field = Value;
  if (FGrid)
    FGrid->OutBoundaryDataChanged();
}

void TGridOutBoundaryDataEh::SetPriority(TCornerDrawPriorityEh& Field, TCornerDrawPriorityEh Value)
{
  if (Field == Value)
    return;
  Field = Value;
  if (FGrid)
    FGrid->OutBoundaryDataChanged();
}

void TGridOutBoundaryDataEh::SetLeftTopDrawPriority(TCornerDrawPriorityEh Value) { SetPriority(FLeftTopDrawPriority, Value); }
void TGridOutBoundaryDataEh::SetRightTopDrawPriority(TCornerDrawPriorityEh Value) { SetPriority(FRightTopDrawPriority, Value); }
void TGridOutBoundaryDataEh::SetRightBottomDrawPriority(TCornerDrawPriorityEh Value) { SetPriority(FRightBottomDrawPriority, Value); }

bool TGridOutBoundaryDataEh::GetOutBoundaryRect(TRect& ARect, TGridCellBorderTypeEh OutBoundaryType)
{
  const Integer W = FGrid->HandleAllocated() ? FGrid->ClientWidth() : FGrid->Width();
  const Integer H = FGrid->HandleAllocated() ? FGrid->ClientHeight() : FGrid->Height();
  auto Vert = [](TCornerDrawPriorityEh P) { return P == crpVerticalDataPriorityEh; };
  switch (OutBoundaryType) {
  case cbtTopEh:
    if (FTopIndent <= 0)
      return false;
    ARect = TRect(Vert(FLeftTopDrawPriority) ? FLeftIndent : 0, 0,
                  Vert(FRightTopDrawPriority) ? W - FRightIndent : W, FTopIndent);
    return true;
  case cbtBottomEh:
    if (FBottomIndent <= 0)
      return false;
    ARect = TRect(Vert(FLeftBottomDrawPriority) ? FLeftIndent : 0, H - FBottomIndent,
                  Vert(FRightBottomDrawPriority) ? W - FRightIndent : W, H);
    return true;
  case cbtLeftEh:
    if (FLeftIndent <= 0)
      return false;
    ARect = TRect(0, Vert(FLeftTopDrawPriority) ? 0 : FTopIndent, FLeftIndent,
                  Vert(FLeftBottomDrawPriority) ? H : H - FBottomIndent);
    return true;
  case cbtRightEh:
    if (FRightIndent <= 0)
      return false;
    ARect = TRect(W - FRightIndent, Vert(FRightTopDrawPriority) ? 0 : FTopIndent, W,
                  Vert(FRightBottomDrawPriority) ? H : H - FBottomIndent);
    return true;
  }
  return false;
}

void TGridOutBoundaryDataEh::InvalidateOutBoundary(TGridCellBorderTypeEh OutBoundaryType)
{
  TRect R;
  if (GetOutBoundaryRect(R, OutBoundaryType) && FGrid->HandleAllocated())
    ::InvalidateRect(FGrid->Handle(), &R, false);
}

// ---------------------------------------------------------------------------
// TGridHotTrackSpotEh

void TGridHotTrackSpotEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TGridHotTrackSpotEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  FCol = Src->FCol;
  FRow = Src->FRow;
  FInCellX = Src->FInCellX;
  FInCellY = Src->FInCellY;
}

// ---------------------------------------------------------------------------
// TGridBackgroundDataEh

TGridBackgroundDataEh::TGridBackgroundDataEh(TCustomGridEh* AGrid)
    : FGrid(AGrid), FPicture(std::make_unique<TPicture>())
{
  FPicture->OnChange = [this](TObject* Sender) { PictureChanged(Sender); };
}

TGridBackgroundDataEh::~TGridBackgroundDataEh() = default;

void TGridBackgroundDataEh::PictureChanged(TObject*)
{
  if (FGrid)
    FGrid->Invalidate();
}

void TGridBackgroundDataEh::SetHorzMargin(Integer Value)
{
  if (Value == FImageHorzMargin)
    return;
  FImageHorzMargin = Value;
  FGrid->Invalidate();
}

void TGridBackgroundDataEh::SetPlacement(TImagePlacementEh Value)
{
  if (Value == FImagePlacement)
    return;
  FImagePlacement = Value;
  FGrid->Invalidate();
}

void TGridBackgroundDataEh::SetVertMargin(Integer Value)
{
  if (Value == FImageVertMargin)
    return;
  FImageVertMargin = Value;
  FGrid->Invalidate();
}

void TGridBackgroundDataEh::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  FGrid->Invalidate();
}

TRect TGridBackgroundDataEh::BoundRect()
{
  return TRect(FGrid->HorzAxis()->GridClientStart(), FGrid->VertAxis()->GridClientStart(),
               FGrid->HorzAxis()->GridClientStop(), FGrid->VertAxis()->GridClientStop());
}

void TGridBackgroundDataEh::CalcImageRect(TRect& ARect)
{
  const Integer W = FPicture->Width();
  const Integer H = FPicture->Height();
  const TRect R = BoundRect();
  const Integer Wb = R.Width();
  const Integer Hb = R.Height();
  Integer IW = W;
  Integer IH = H;
  if (FImagePlacement == ipFillEh) {
    IW = Wb;
    IH = Hb;
    if (W > 0 && H > 0) {
      IW = Integer(Int64(Hb) * W / H);
      IH = Hb;
      if (IW < Wb) {
        IW = Wb;
        IH = Integer(Int64(Wb) * H / W);
      }
    }
  } else if (FImagePlacement == ipFitEh) {
    IW = Wb;
    IH = Hb;
    if (W > 0 && H > 0) {
      IW = Wb;
      IH = Integer(Int64(Wb) * H / W);
      if (IH > Hb) {
        IW = Integer(Int64(Hb) * W / H);
        IH = Hb;
      }
    }
  } else if (FImagePlacement == ipStretchEh) {
    IW = Wb;
    IH = Hb;
  }

  const Integer Dx = (Wb - IW) / 2;
  const Integer Dy = (Hb - IH) / 2;
  Integer X = 0;
  Integer Y = 0;
  switch (FImagePlacement) {
  case ipTopLeftEh: break;
  case ipTopCenterEh: X = Dx; break;
  case ipTopRightEh: X = Wb - IW; break;
  case ipCenterLeftEh: Y = Dy; break;
  case ipCenterCenterEh: X = Dx; Y = Dy; break;
  case ipCenterRightEh: X = Wb - IW; Y = Dy; break;
  case ipBottomLeftEh: Y = Hb - IH; break;
  case ipBottomCenterEh: X = Dx; Y = Hb - IH; break;
  case ipBottomRightEh: X = Wb - IW; Y = Hb - IH; break;
  case ipFillEh:
    if (IH != Hb)
      Y = Dy;
    else
      X = Dx;
    break;
  case ipFitEh:
    if (IW == Wb)
      Y = Dy;
    else
      X = Dx;
    break;
  case ipReduceFitEh: case ipStretchEh: case ipTileEh:
    break;
  }
  const Integer Left = R.Left + FImageHorzMargin + X;
  const Integer Top = R.Top + FImageVertMargin + Y;
  ARect = TRect(Left, Top, Left + IW, Top + IH);
}

void TGridBackgroundDataEh::PaintBackgroundData()
{
  TCanvas* C = FGrid->Canvas();
  C->Pen()->SetStyle(psSolid);
  C->Pen()->SetColor(FGrid->Color());
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(FGrid->Color());
  const Integer CW = FGrid->HandleAllocated() ? FGrid->ClientWidth() : FGrid->Width();
  const Integer CH = FGrid->HandleAllocated() ? FGrid->ClientHeight() : FGrid->Height();
  C->FillRect(TRect(0, 0, CW, CH));
  TGraphic* G = FPicture->Graphic();
  if (!G || G->Empty())
    return;
  TRect R;
  CalcImageRect(R);
  if (FImagePlacement != ipTileEh) {
    C->StretchDraw(R, G);
    return;
  }
  const Integer W = G->Width();
  const Integer H = G->Height();
  if (W <= 0 || H <= 0)
    return;
  for (Integer Y = R.Top; Y < CH; Y += H)
    for (Integer X = R.Left; X < CW; X += W)
      C->Draw(X, Y, G);
}

// ---------------------------------------------------------------------------
// TGridDrawStyleEh and TGridSelectionDrawParamsEh

static TGridDrawStyleEh* DefaultDrawStyle = nullptr;

TGridDrawStyleEh* GridDefaultDrawStyleEh()
{
  static std::unique_ptr<TGridDrawStyleEh> Holder = [] {
    auto S = std::make_unique<TGridDrawStyleEh>(nullptr);
    DefaultDrawStyle = S.get();
    return S;
  }();
  return DefaultDrawStyle;
}

TGridDrawStyleEh::TGridDrawStyleEh(TComponent* AOwner) : TComponent(AOwner), FGrids(false) {}

TGridDrawStyleEh::~TGridDrawStyleEh()
{
  if (DefaultDrawStyle == this)
    DefaultDrawStyle = nullptr;
  // Attached grids move to the library default (or to none when it is gone).
  while (FGrids.Count() > 0) {
    auto* Grid = static_cast<TCustomGridEh*>(FGrids.Items(FGrids.Count() - 1));
    FGrids.Delete(FGrids.Count() - 1);
    Grid->AttachDrawStyle(DefaultDrawStyle);
  }
}

void TGridDrawStyleEh::SetSelectionStyle(TGridSelectionDrawStyleEh Value)
{
  if (Value == FSelectionStyle)
    return;
  FSelectionStyle = Value;
  Changed();
}

bool TGridDrawStyleEh::DrawFocusFrame()
{
  return FDrawFocusFrameStored ? FDrawFocusFrame : DefaultDrawFocusFrame();
}

void TGridDrawStyleEh::SetDrawFocusFrame(bool Value)
{
  if (FDrawFocusFrameStored && Value == FDrawFocusFrame)
    return;
  FDrawFocusFrameStored = true;
  FDrawFocusFrame = Value;
  Changed();
}

void TGridDrawStyleEh::SetDrawFocusFrameStored(bool Value)
{
  if (Value == FDrawFocusFrameStored)
    return;
  FDrawFocusFrameStored = Value;
  FDrawFocusFrame = DefaultDrawFocusFrame();
  Changed();
}

void TGridDrawStyleEh::Changed()
{
  for (Integer I = 0; I < FGrids.Count(); ++I)
    static_cast<TCustomGridEh*>(FGrids.Items(I))->DrawStyleChanged();
}

void TGridDrawStyleEh::AddChangeNotification(TCustomGridEh* Grid)
{
  if (FGrids.IndexOf(Grid) < 0)
    FGrids.Add(Grid);
}

void TGridDrawStyleEh::RemoveChangeNotification(TCustomGridEh* Grid)
{
  FGrids.Remove(Grid);
}

bool TGridDrawStyleEh::GridInChangeNotification(TCustomGridEh* Grid) const
{
  return FGrids.IndexOf(Grid) >= 0;
}

TGridSelectionDrawStyleEh TGridDrawStyleEh::GetDefaultActualSelectionStyle()
{
  if (StyleThemesEnabledEh() && CustomStyleActiveEh())
    return gsdsGridThemedEh;
  if (ThemesEnabledVistaOrLaterEh())
    return gsdsListViewThemedEh;
  return gsdsClassicEh;
}

TGridSelectionDrawStyleEh TGridDrawStyleEh::GetActualSelectionStyle()
{
  if (FSelectionStyle == gsdsDefaultEh ||
      (FSelectionStyle == gsdsListViewThemedEh && !ThemesEnabledVistaOrLaterEh()))
    return GetDefaultActualSelectionStyle();
  return FSelectionStyle;
}

bool TGridDrawStyleEh::DefaultDrawFocusFrame()
{
  return GetActualSelectionStyle() == gsdsClassicEh && !CustomStyleActiveEh();
}

void TGridSelectionDrawParamsEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TGridSelectionDrawParamsEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  FSelectionStyle = Src->FSelectionStyle;
  FDrawFocusFrame = Src->FDrawFocusFrame;
  FDrawFocusFrameStored = Src->FDrawFocusFrameStored;
  Changed();
}

void TGridSelectionDrawParamsEh::Changed()
{
  if (FGrid)
    FGrid->Invalidate();
}

void TGridSelectionDrawParamsEh::SetSelectionStyle(TGridSelectionDrawStyleEh Value)
{
  if (Value == FSelectionStyle)
    return;
  FSelectionStyle = Value;
  Changed();
}

bool TGridSelectionDrawParamsEh::DrawFocusFrame()
{
  return FDrawFocusFrameStored ? FDrawFocusFrame : DefaultDrawFocusFrame();
}

void TGridSelectionDrawParamsEh::SetDrawFocusFrame(bool Value)
{
  if (FDrawFocusFrameStored && Value == FDrawFocusFrame)
    return;
  FDrawFocusFrameStored = true;
  FDrawFocusFrame = Value;
  Changed();
}

void TGridSelectionDrawParamsEh::SetDrawFocusFrameStored(bool Value)
{
  if (Value == FDrawFocusFrameStored)
    return;
  FDrawFocusFrameStored = Value;
  FDrawFocusFrame = DefaultDrawFocusFrame();
  Changed();
}

TGridSelectionDrawStyleEh TGridSelectionDrawParamsEh::GetActualSelectionStyle()
{
  if (FSelectionStyle == gsdsDefaultEh ||
      (FSelectionStyle == gsdsListViewThemedEh && !ThemesEnabledVistaOrLaterEh()))
    return FGrid->GetDefaultSelectionStyle();
  return FSelectionStyle;
}

bool TGridSelectionDrawParamsEh::DefaultDrawFocusFrame()
{
  if (FSelectionStyle == gsdsDefaultEh)
    return FGrid->GetDefaultDrawFocusFrame();
  return GetActualSelectionStyle() == gsdsClassicEh;
}

// ---------------------------------------------------------------------------
// TGridScrollBarEh

// ---------------------------------------------------------------------------
// TCustomGridEh: construction and parts.

static const TGridOptionsEh DefaultGridOptions = {
  goFixedVertLineEh, goFixedHorzLineEh, goVertLineEh, goHorzLineEh, goDrawFocusSelectedEh,
  goRowSizingEh, goColSizingEh, goRowMovingEh, goColMovingEh, goEditingEh,
  goContraVertBoundaryLineEh, goContraHorzBoundaryLineEh};

TCustomGridEh::TCustomGridEh(TComponent* AOwner) : TCustomControlEh(AOwner)
{
  // The layout waits until construction ends: the parts a descendant makes
  // through its factories exist only then.
  ++FBoundariesUpdateCount;
  SetControlStyle({csCaptureMouse, csOpaque, csDoubleClicks, csGestures, csNeedsBorderPaint});
  FDrawStyle = GridDefaultDrawStyleEh();
  if (FDrawStyle)
    FDrawStyle->AddChangeNotification(this);
  FHorzAxis = std::make_unique<TGridAxisDataEh>(this);
  FVertAxis = std::make_unique<TGridAxisDataEh>(this);
  FScrollBarSize = GetSystemMetrics(SM_CYHSCROLL);
  SetDefaultColWidth(50);
  SetDefaultRowHeight(20);
  FOptions = DefaultGridOptions;
  SetColor(clWindow);
  SetParentColor(false);
  SetTabStop(true);
  FOutBoundaryData = std::make_unique<TGridOutBoundaryDataEh>(this);
  FGridTimer = new TTimer(this);
  FGridTimer->SetEnabled(false);
  FGridTimer->OnTimer = [this](TObject* Sender) { GridTimerTimer(Sender); };
  FHorzAxis->SetRolCelCount(5);
  FVertAxis->SetRolCelCount(5);
  SetFixedColCount(1);
  SetFixedRowCount(1);
  SetBounds(Left(), Top(), ColCount() * DefaultColWidth(), RowCount() * DefaultRowHeight());
  FSelectionDrawParams = std::make_unique<TGridSelectionDrawParamsEh>(this);
  FConstructing = false;
  --FBoundariesUpdateCount;
}

TCustomGridEh::~TCustomGridEh()
{
  // The editor and the shared marker outlive this body; they must not call
  // back into a grid being destroyed.
  if (FInplaceEdit)
    FInplaceEdit->SetGrid(nullptr);
  FInplaceEdit = nullptr;
  if (FGridState == gsColMovingEh || FGridState == gsRowMovingEh)
    HideMoveLine();
  FGridTimer->SetEnabled(false);
  if (FDrawStyle)
    FDrawStyle->RemoveChangeNotification(this);
  FDrawStyle = nullptr;
}

TGridScrollBarEh* TCustomGridEh::HorzScrollBar()
{
  if (!FHorzScrollBar)
    FHorzScrollBar.reset(CreateScrollBar(sbHorizontal));
  return FHorzScrollBar.get();
}

TGridScrollBarEh* TCustomGridEh::VertScrollBar()
{
  if (!FVertScrollBar)
    FVertScrollBar.reset(CreateScrollBar(sbVertical));
  return FVertScrollBar.get();
}

TGridLineColorsEh* TCustomGridEh::GridLineColors()
{
  if (!FGridLineColors)
    FGridLineColors.reset(CreateGridLineColors());
  return FGridLineColors.get();
}

TGridBackgroundDataEh* TCustomGridEh::BackgroundData()
{
  if (!FBackgroundData)
    FBackgroundData.reset(CreateBackgroundData());
  return FBackgroundData.get();
}

TGridHotTrackSpotEh* TCustomGridEh::NewHotTrackSpot()
{
  if (!FNewHotTrackSpot)
    FNewHotTrackSpot.reset(CreateHotTrackSpot());
  return FNewHotTrackSpot.get();
}

TGridHotTrackSpotEh* TCustomGridEh::OldHotTrackSpot()
{
  if (!FOldHotTrackSpot)
    FOldHotTrackSpot.reset(CreateHotTrackSpot());
  return FOldHotTrackSpot.get();
}

TGridBackgroundDataEh* TCustomGridEh::CreateBackgroundData()
{
  return new TGridBackgroundDataEh(this);
}

TGridLineColorsEh* TCustomGridEh::CreateGridLineColors()
{
  return new TGridLineColorsEh(this);
}

TGridHotTrackSpotEh* TCustomGridEh::CreateHotTrackSpot()
{
  return new TGridHotTrackSpotEh();
}

TGridScrollBarEh* TCustomGridEh::CreateScrollBar(TScrollBarKind AKind)
{
  return new TGridScrollBarEh(this, AKind);
}

void TCustomGridEh::SetDrawStyle(TGridDrawStyleEh* Value)
{
  AttachDrawStyle(Value ? Value : GridDefaultDrawStyleEh());
}

void TCustomGridEh::AttachDrawStyle(TGridDrawStyleEh* Value)
{
  if (FDrawStyle)
    FDrawStyle->RemoveChangeNotification(this);
  FDrawStyle = Value;
  if (FDrawStyle)
    FDrawStyle->AddChangeNotification(this);
  DrawStyleChanged();
}

// ---------------------------------------------------------------------------
// Properties.

void TCustomGridEh::SetCol(Integer Value)
{
  if (Value != FCurCell.X)
    FocusCell(Value, FCurCell.Y, true);
}

void TCustomGridEh::SetRow(Integer Value)
{
  if (Value != FCurCell.Y)
    FocusCell(FCurCell.X, Value, true);
}

void TCustomGridEh::SetLeftCol(Integer Value)
{
  FHorzAxis->SetRolStartVisPos(FHorzAxis->RolLocCelPosArr(Value - FixedColCount()));
}

void TCustomGridEh::SetTopRow(Integer Value)
{
  FVertAxis->SetRolStartVisPos(FVertAxis->RolLocCelPosArr(Value - FixedRowCount()));
}

void TCustomGridEh::SetLeftPos(Int64 ALeftPos)
{
  FHorzAxis->SetRolStartVisPos(FHorzAxis->CheckRolStartVisPos(ALeftPos));
}

void TCustomGridEh::SetTopPos(Int64 ATopPos)
{
  FVertAxis->SetRolStartVisPos(FVertAxis->CheckRolStartVisPos(ATopPos));
}

void TCustomGridEh::SetLeftTopPos(Int64 ALeftPos, Int64 ATopPos)
{
  SetLeftPos(ALeftPos);
  SetTopPos(ATopPos);
}

void TCustomGridEh::SafeSetTopRow(Integer ARow)
{
  FVertAxis->SafeSetRolStartVisCel(ARow - FixedRowCount(), sstByPixelEh);
}

Integer TCustomGridEh::LastFullVisibleCol()
{
  return FHorzAxis->RolLastFullVisCel() + FixedColCount();
}

Integer TCustomGridEh::LastFullVisibleRow()
{
  return FVertAxis->RolLastFullVisCel() + FixedRowCount();
}

Integer TCustomGridEh::VisibleColCount()
{
  return FHorzAxis->RolLastFullVisCel() - FHorzAxis->RolStartVisCel() + 1;
}

Integer TCustomGridEh::VisibleRowCount()
{
  return FVertAxis->RolLastFullVisCel() - FVertAxis->RolStartVisCel() + 1;
}

void TCustomGridEh::SetOptions(TGridOptionsEh Value)
{
  if (Value.Contains(goRowSelectEh))
    Value.Exclude(goAlwaysShowEditorEh);
  if (Value == FOptions)
    return;
  FOptions = Value;
  if (FOptions.Contains(goRowSelectEh) && FCurCell.X < ColCount() && FCurCell.Y < RowCount())
    MoveCurrentCell(FCurCell.X, FCurCell.Y, true, false);
  if (HandleAllocated())
    UpdateBoundaries();
  if (!FEditorMode) {
    if (FOptions.Contains(goAlwaysShowEditorEh))
      ShowEditor();
    else
      HideEditor();
  }
  Invalidate();
}

void TCustomGridEh::SetFixedColor(TColor Value)
{
  if (Value == FFixedColor)
    return;
  FFixedColor = Value;
  InvalidateGrid();
}

// A single border is the sunken client edge in the 3-D look, a line
// otherwise; the bar panels and grips stand inside it.
void TCustomGridEh::CreateParams(TCreateParams& Params)
{
  inherited::CreateParams(Params);
  Params.Style |= WS_TABSTOP | WS_CLIPCHILDREN;
  Params.WindowClass.style |= CS_DBLCLKS;
  if (FBorderStyle == TBorderStyle::bsSingle) {
    if (Ctl3D()) {
      Params.Style &= ~DWORD(WS_BORDER);
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    } else
      Params.Style |= WS_BORDER;
  }
}

void TCustomGridEh::CreateHandle()
{
  CreateScrollBarPanels();
  inherited::CreateHandle();
}

void TCustomGridEh::SetBorderStyle(TBorderStyle Value)
{
  if (Value == FBorderStyle)
    return;
  FBorderStyle = Value;
  if (HandleAllocated())
    RecreateWnd();
}

void TCustomGridEh::SetFlat(bool Value)
{
  if (Value == FFlat)
    return;
  FFlat = Value;
  UpdateFixedLineColor();
  FlatChanged();
  Invalidate();
}

void TCustomGridEh::UpdateFixedLineColor()
{
  FFixedLineColor = FFlat ? ColorToRGB(clGray) : ColorToRGB(clBlack);
}

void TCustomGridEh::SetGridLineWidth(Integer Value)
{
  if (Value == FGridLineWidth)
    return;
  FGridLineWidth = Value;
  UpdateBoundaries();
  Invalidate();
}

void TCustomGridEh::UnlockPaint()
{
  if (FLockPaint > 0)
    --FLockPaint;
  if (FLockPaint == 0)
    Invalidate();
}

void TCustomGridEh::EndUpdateBoundaries()
{
  if (FBoundariesUpdateCount > 0)
    --FBoundariesUpdateCount;
  if (FBoundariesUpdateCount == 0)
    UpdateBoundaries();
}

bool TCustomGridEh::AxisPositionsCurrent() const
{
  return !FHorzAxis->RolLocCelPosArrObsolete() && !FVertAxis->RolLocCelPosArrObsolete();
}

bool TCustomGridEh::IsFocusWithin()
{
  if (!HandleAllocated())
    return false;
  if (Focused())
    return true;
  HWND Focus = GetFocus();
  return Focus == Handle() || (Focus && IsChild(Handle(), Focus));
}

// The form records the grid's own editor as its active control when the
// editor takes the focus; the grid counts as active then too.
bool TCustomGridEh::IsActiveControl()
{
  if (TCustomForm* Form = GetParentForm(this)) {
    for (TControl* C = Form->ActiveControl(); C; C = C->Parent())
      if (C == this)
        return true;
    return false;
  }
  return IsFocusWithin();
}

void NotifyDesignerModifiedEh(TControl*)
{
  // The program has no form designer: nothing is told.
}

void TCustomGridEh::SetGridTimer(bool Enable, Integer Interval)
{
  if (Enable)
    FGridTimer->SetInterval(Cardinal(Interval == 0 ? 1 : Interval));
  FGridTimer->SetEnabled(Enable);
}

void TCustomGridEh::RegisterClass()
{
  RegisterEnum<TGridOptionEh>("TGridOptionEh",
      {"goFixedVertLineEh", "goFixedHorzLineEh", "goVertLineEh", "goHorzLineEh", "goDrawFocusSelectedEh",
       "goRowSizingEh", "goColSizingEh", "goRowMovingEh", "goColMovingEh", "goEditingEh", "goTabsEh",
       "goRowSelectEh", "goAlwaysShowEditorEh", "goThumbTrackingEh", "goExtendVertLinesEh",
       "goContraVertBoundaryLineEh", "goContraHorzBoundaryLineEh", "goRangeSelectEh"});
  RegisterClassInfo<TCustomControlEh, TCustomControl>("TCustomControlEh");
  RegisterClassInfo<TCustomGridEh, TCustomControlEh>("TCustomGridEh")
      .Property("ColCount", &TCustomGridEh::ColCount, &TCustomGridEh::SetColCount, 6)
      .Property("RowCount", &TCustomGridEh::RowCount, &TCustomGridEh::SetRowCount, 6)
      .Property("FixedColCount", &TCustomGridEh::FixedColCount, &TCustomGridEh::SetFixedColCount, 1)
      .Property("FixedRowCount", &TCustomGridEh::FixedRowCount, &TCustomGridEh::SetFixedRowCount, 1)
      .Property("DefaultColWidth", &TCustomGridEh::DefaultColWidth, &TCustomGridEh::SetDefaultColWidth, 50)
      .Property("DefaultRowHeight", &TCustomGridEh::DefaultRowHeight, &TCustomGridEh::SetDefaultRowHeight, 20)
      .Property("FixedColor", &TCustomGridEh::FixedColor, &TCustomGridEh::SetFixedColor, clBtnFace)
      .Property("GridLineWidth", &TCustomGridEh::GridLineWidth, &TCustomGridEh::SetGridLineWidth, 1)
      .Property("Flat", &TCustomGridEh::Flat, &TCustomGridEh::SetFlat, false)
      .Property("Options", &TCustomGridEh::Options, &TCustomGridEh::SetOptions, DefaultGridOptions);
}

void RegisterGridLibFoundationClasses()
{
  static bool Done = false;
  if (Done)
    return;
  Done = true;
  RegisterGuiClasses();
  RegisterGridLibLangConstsClasses();
  RegisterDynVarsEhClasses();
  RegisterToolCtrlsEhButtonClasses();
  RegisterToolCtrlsEhMRUClasses();
  TCustomGridEh::RegisterClass();
}

void SetGridOptionsEh(TCustomGridEh* Grid, TGridOptionsEh Options)
{
  Grid->SetOptions(Options);
}

// ---------------------------------------------------------------------------
// Simple virtual operations.

bool TCustomGridEh::GridLinesVisible(bool Horz)
{
  if (Horz)
    return FOptions.Contains(goFixedHorzLineEh) || FOptions.Contains(goHorzLineEh);
  return FOptions.Contains(goFixedVertLineEh) || FOptions.Contains(goVertLineEh);
}

Integer TCustomGridEh::GetHorzLineWidth()
{
  return FOptions.Contains(goFixedHorzLineEh) || FOptions.Contains(goHorzLineEh) ? FGridLineWidth : 0;
}

Integer TCustomGridEh::GetVertLineWidth()
{
  return FOptions.Contains(goFixedVertLineEh) || FOptions.Contains(goVertLineEh) ? FGridLineWidth : 0;
}

TGridStateEh TCustomGridEh::GetSizingStateAt(Integer X, Integer Y)
{
  if (FGridState != gsNormalEh)
    return FGridState;
  TGridStateEh State = gsNormalEh;
  Integer Index = -1, SizingPos = 0, SizingOfs = 0;
  CalcSizingState(X, Y, State, Index, SizingPos, SizingOfs);
  return State;
}

TCursor TCustomGridEh::GetCursorAtPos(TPoint Pos)
{
  switch (GetSizingStateAt(Pos.X, Pos.Y)) {
  case gsRowSizingEh: return crVSplit;
  case gsColSizingEh: return crHSplit;
  default: return crDefault;
  }
}

bool TCustomGridEh::GetDefaultDrawFocusFrame()
{
  return FDrawStyle ? FDrawStyle->DrawFocusFrame() : true;
}

TGridSelectionDrawStyleEh TCustomGridEh::GetDefaultSelectionStyle()
{
  return FDrawStyle ? FDrawStyle->GetActualSelectionStyle() : gsdsClassicEh;
}

// Both step formulas read the vertical axis, as the grid always has.
Integer TCustomGridEh::GetHorzScrollStep()
{
  return FVertAxis->GetScrollStep();
}

Integer TCustomGridEh::GetVertScrollStep()
{
  return FVertAxis->GetScrollStep();
}

bool TCustomGridEh::IsBackgroundDataShowing()
{
  return BackgroundData()->Showing();
}

bool TCustomGridEh::HotTrackSpotsEqual(TGridHotTrackSpotEh* Spot1, TGridHotTrackSpotEh* Spot2)
{
  return Spot1->Col() == Spot2->Col() && Spot1->Row() == Spot2->Row();
}

void TCustomGridEh::ClampCellCoord(Integer& ACol, Integer& ARow)
{
  ACol = std::clamp(ACol, 0, FullColCount() - 1);
  ARow = std::clamp(ARow, 0, FullRowCount() - 1);
}

void TCustomGridEh::ValidateCellCoord(TGridCoord& Cell)
{
  if (Cell.X < 0 || Cell.X >= FullColCount() || Cell.Y < 0 || Cell.Y >= FullRowCount())
    Cell = TGridCoord(-1, -1);
}

void TCustomGridEh::CheckUpdateAxises()
{
  FHorzAxis->CheckUpdateRolCelPosArr();
  FVertAxis->CheckUpdateRolCelPosArr();
}

void TCustomGridEh::CelCountChanged()
{
  Invalidate();
  Integer C = FCurCell.X;
  Integer R = FCurCell.Y;
  C = std::min(C, ColCount() - 1);
  C = std::max(C, FixedColCount() - FrozenColCount());
  R = std::min(R, RowCount() - 1);
  R = std::max(R, FixedRowCount() - FrozenRowCount());
  FCurCell = TGridCoord(C, R);
  FAnchorCell = FCurCell;
}

void TCustomGridEh::CelLenChanged(TGridAxisDataEh* Axis, Integer Index, Integer)
{
  if (Index < Axis->FixedCelCount() || Index >= Axis->CelCount())
    UpdateBoundaries();
  if (Axis == FHorzAxis.get())
    ColWidthsChanged();
  else
    RowHeightsChanged();
}

void TCustomGridEh::ColWidthsChanged()
{
  if (AxisPositionsCurrent())
    UpdateEdit();
}

void TCustomGridEh::RowHeightsChanged()
{
  if (AxisPositionsCurrent())
    UpdateEdit();
}

void TCustomGridEh::CelMoved(TGridAxisDataEh* Axis, Integer FromIndex, Integer ToIndex)
{
  Invalidate();
  if (Axis == FHorzAxis.get())
    ColumnMoved(FromIndex, ToIndex);
  else
    RowMoved(FromIndex, ToIndex);
}

void TCustomGridEh::DeleteColumn(Integer ACol)
{
  // The last rolling column: with contra columns the last full-axis index
  // lies in another area and the move could not be made.
  MoveColumn(ACol, ColCount() - 1);
  SetColCount(ColCount() - 1);
}

void TCustomGridEh::DeleteRow(Integer ARow)
{
  LockPaint();
  ScopeExit Unlock([this] { UnlockPaint(); });
  FVertAxis->DeleteRolCels(ARow - FixedRowCount(), 1);
}

void TCustomGridEh::AxisScrolled(TGridAxisDataEh* Axis, Int64 OldPos)
{
  if (Axis == FHorzAxis.get())
    TopLeftChanged(OldPos, FVertAxis->RolStartVisPos());
  else
    TopLeftChanged(FHorzAxis->RolStartVisPos(), OldPos);
}

// ---------------------------------------------------------------------------
// Current cell and selection (the keyboard and mouse handling builds on these).

TGridRect TCustomGridEh::GetSelection()
{
  return GridRectFromCoordsEh(FCurCell, FAnchorCell);
}

void TCustomGridEh::SelectionChanged(TGridRect OldSelection)
{
  InvalidateRect(OldSelection);
  InvalidateRect(GetSelection());
}

// ---------------------------------------------------------------------------
// Layout pass.

static Integer SumLens(const TIntegerDynArray& Lens, std::size_t From = 0)
{
  Integer Sum = 0;
  for (std::size_t I = From; I < Lens.size(); ++I)
    Sum += Lens[I];
  return Sum;
}

void TCustomGridEh::UpdateBoundaries()
{
  if (FBoundariesUpdateCount > 0 || ComponentState().Contains(csLoading))
    return;
  ++FBoundariesUpdateCount;
  {
    ScopeExit Unlock([this] { --FBoundariesUpdateCount; });
    TGridAxisDataEh& H = *FHorzAxis;
    TGridAxisDataEh& V = *FVertAxis;

    FWinClientBoundary = HandleAllocated() ? TRect(0, 0, ClientWidth(), ClientHeight())
                                           : TRect(0, 0, Width(), Height());
    H.FWinClientBoundSta = FWinClientBoundary.Left;
    H.FWinClientBoundSto = FWinClientBoundary.Right;
    V.FWinClientBoundSta = FWinClientBoundary.Top;
    V.FWinClientBoundSto = FWinClientBoundary.Bottom;

    H.FGridClientStart = H.FWinClientBoundSta + FOutBoundaryData->LeftIndent();
    H.FGridClientStop = H.FWinClientBoundSto - FOutBoundaryData->RightIndent();
    V.FGridClientStart = V.FWinClientBoundSta + FOutBoundaryData->TopIndent();
    V.FGridClientStop = V.FWinClientBoundSto - FOutBoundaryData->BottomIndent();

    H.FContraLen = SumLens(H.FContraCelLens);
    if (H.FContraCelCount > 0 && FOptions.Contains(goContraVertBoundaryLineEh))
      H.FContraLen += FGridLineWidth;
    V.FContraLen = SumLens(V.FContraCelLens);
    if (V.FContraCelCount > 0 && FOptions.Contains(goContraHorzBoundaryLineEh))
      V.FContraLen += FGridLineWidth;
    H.FContraStart = H.FGridClientStop - H.FContraLen;
    V.FContraStart = V.FGridClientStop - V.FContraLen;

    for (TGridAxisDataEh* A : {&H, &V}) {
      A->FFixedBoundary = A->FGridClientStart + SumLens(A->FFixedCelLens);
      const Integer FirstFrozen = std::max(A->FFixedCelCount - A->FFrozenCelCount, 0);
      A->FFrozenLen = SumLens(A->FFixedCelLens, std::size_t(FirstFrozen));
    }

    auto ShrinkForVertBar = [&] {
      const Integer Size = VertScrollBar()->ActualSize();
      H.FGridClientStop -= Size;
      H.FContraStart -= Size;
    };
    auto ShrinkForHorzBar = [&] {
      const Integer Size = HorzScrollBar()->ActualSize();
      V.FGridClientStop -= Size;
      V.FContraStart -= Size;
    };
    // Each bar that shows takes room, which may make the other one needed.
    FLayoutHorzBarShowing = HorzScrollBar()->IsScrollBarShowing();
    if (FLayoutHorzBarShowing) {
      ShrinkForHorzBar();
      FLayoutVertBarShowing = VertScrollBar()->IsScrollBarShowing();
      if (FLayoutVertBarShowing)
        ShrinkForVertBar();
    } else {
      FLayoutVertBarShowing = VertScrollBar()->IsScrollBarShowing();
      if (FLayoutVertBarShowing) {
        ShrinkForVertBar();
        FLayoutHorzBarShowing = HorzScrollBar()->IsScrollBarShowing();
        if (FLayoutHorzBarShowing)
          ShrinkForHorzBar();
      }
    }

    LimitRolStartVisPos(true, true, !IsHorzSmoothScroll(), !IsVertSmoothScroll());
    H.CheckUpdateRolCelPosArr();
    V.CheckUpdateRolCelPosArr();
    H.UpdateLastVisCells();
    V.UpdateLastVisCells();
    UpdateScrollBars();
    UpdateEdit();
  }
  Invalidate();
}

void TCustomGridEh::CalcMaxRolStartVisPos(Int64& HorzMax, Int64& VertMax, bool HorzSnap, bool VertSnap)
{
  auto MaxFor = [](TGridAxisDataEh& A, bool Snap) {
    Int64 Max = std::max<Int64>(A.RolLen() - A.RolClientLen(), 0);
    if (!Snap || A.RolCelCount() <= 0)
      return Max;
    Integer Cel = 0, Ofs = 0;
    A.RolCellAtPos(Max, Cel, Ofs);
    if (Ofs > 0 && Cel < A.RolCelCount() - 1)
      ++Cel;
    return A.RolLocCelPosArr(Cel);
  };
  HorzMax = MaxFor(*FHorzAxis, HorzSnap);
  VertMax = MaxFor(*FVertAxis, VertSnap);
}

void TCustomGridEh::LimitRolStartVisPos(bool, bool, bool HorzSnap, bool VertSnap)
{
  Int64 HorzMax = 0, VertMax = 0;
  CalcMaxRolStartVisPos(HorzMax, VertMax, HorzSnap, VertSnap);
  if (FHorzAxis->RolStartVisPos() > HorzMax)
    FHorzAxis->SetRolStartVisPos(HorzMax);
  if (FVertAxis->RolStartVisPos() > VertMax)
    FVertAxis->SetRolStartVisPos(VertMax);
}

void TCustomGridEh::Resize()
{
  inherited::Resize();
  UpdateBoundaries();
}

void TCustomGridEh::Loaded()
{
  inherited::Loaded();
  UpdateBoundaries();
}

// ---------------------------------------------------------------------------
// Hit testing.

Integer TCustomGridEh::CalcColFromPoint(Integer X)
{
  TGridAxisDataEh& A = *FHorzAxis;
  const Integer Start = A.GridClientStart();
  if (X < Start)
    return -1;
  if (X < A.FixedBoundary()) {
    Integer Pos = Start;
    for (Integer I = 0; I < A.FixedCelCount(); ++I) {
      Pos += A.FixedCelLens(I);
      if (X < Pos)
        return I;
    }
    return -1;
  }
  if (X > A.ContraStart()) {
    if (X >= A.GridClientStop())
      return A.FullCelCount();
    Integer Pos = A.ContraStart();
    for (Integer I = 0; I < A.ContraCelCount(); ++I) {
      Pos += A.ContraCelLens(I);
      if (X < Pos)
        return A.CelCount() + I;
    }
    return -1;
  }
  Int64 Pos = Int64(A.FixedBoundary()) - A.RolStartVisCelOfst();
  for (Integer I = A.StartVisCel(); I < A.CelCount(); ++I) {
    Pos += A.CelLens(I);
    if (X < Pos)
      return I;
  }
  return A.FullCelCount();
}

Integer TCustomGridEh::CalcRowFromPoint(Integer Y)
{
  TGridAxisDataEh& A = *FVertAxis;
  const Integer Start = A.GridClientStart();
  if (Y < Start)
    return -1;
  if (Y < A.FixedBoundary()) {
    Integer Pos = Start;
    for (Integer I = 0; I < A.FixedCelCount(); ++I) {
      Pos += A.FixedCelLens(I);
      if (Y < Pos)
        return I;
    }
    return -1;
  }
  if (Y >= A.ContraStart()) {
    if (Y >= A.GridClientStop())
      return A.FullCelCount();
    Integer Pos = A.ContraStart();
    for (Integer I = 0; I < A.ContraCelCount(); ++I) {
      Pos += A.ContraCelLens(I);
      if (Y < Pos)
        return A.CelCount() + I;
    }
    return -1;
  }
  Int64 Pos = Int64(A.FixedBoundary()) - A.RolStartVisCelOfst();
  for (Integer I = A.StartVisCel(); I < A.CelCount(); ++I) {
    Pos += A.CelLens(I);
    if (Y < Pos)
      return I;
  }
  return A.FullCelCount();
}

TGridCoord TCustomGridEh::MouseCoord(Integer X, Integer Y)
{
  if (UseRightToLeftAlignment())
    X = FHorzAxis->RightToLeftReflect(X);
  TGridCoord C(CalcColFromPoint(X), CalcRowFromPoint(Y));
  if (C.X < 0 || C.X >= FullColCount())
    C.X = -1;
  if (C.Y < 0 || C.Y >= FullRowCount())
    C.Y = -1;
  return C;
}

// ---------------------------------------------------------------------------
// Cell rectangles and invalidation.

Integer TCustomGridEh::ClampToInt(Int64 V)
{
  return Integer(std::clamp<Int64>(V, std::numeric_limits<Integer>::min() / 2,
                                   std::numeric_limits<Integer>::max() / 2));
}

Integer TCustomGridEh::BoxEdge(TGridAxisDataEh* A, Integer Index, bool Start, bool Clip)
{
  if (Index < A->FixedCelCount()) {
    const Integer Pos = A->GridClientStart() + A->GetFixedCelPos(Index);
    if (Start)
      return Pos;
    return std::min(Pos + A->FixedCelLens(Index), A->ContraStart());
  }
  if (Index < A->CelCount()) {
    const Integer R = Index - A->FixedCelCount();
    if (Start) {
      const Int64 P = A->RolLocCelPosArr(R) - A->RolStartVisPos();
      if (Clip && P < 0)
        return A->FixedBoundary();
      return ClampToInt(A->FixedBoundary() + P);
    }
    const Int64 D = A->RolLocCelPosArr(R) + A->RolCelLens(R) - A->RolStartVisPos();
    if (Clip) {
      if (D < 0)
        return A->FixedBoundary() - 1;
      return ClampToInt(std::min<Int64>(A->FixedBoundary() + D, A->ContraStart()));
    }
    return ClampToInt(A->FixedBoundary() + D);
  }
  const Integer C = Index - A->CelCount();
  Integer Pos = A->ContraStart();
  for (Integer I = 0; I < C; ++I)
    Pos += A->ContraCelLens(I);
  return Start ? Pos : Pos + A->ContraCelLens(C);
}

TRect TCustomGridEh::CalcBoxRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom, bool Mirror)
{
  if (ARight < ALeft || ABottom < ATop)
    return EmptyRectEh();
  CheckUpdateAxises();
  TRect R(BoxEdge(FHorzAxis.get(), ALeft, true, true), BoxEdge(FVertAxis.get(), ATop, true, true),
          BoxEdge(FHorzAxis.get(), ARight, false, true), BoxEdge(FVertAxis.get(), ABottom, false, true));
  if (R.Right < R.Left || R.Bottom < R.Top)
    return EmptyRectEh();
  if (Mirror && UseRightToLeftAlignment() && !FCanvasRightToLeftReflected)
    FHorzAxis->SwapRightToLeftPoses(R.Left, R.Right);
  return R;
}

TRect TCustomGridEh::CalcCellRect(Integer ACol, Integer ARow, bool Mirror)
{
  return CalcBoxRect(ACol, ARow, ACol, ARow, Mirror);
}

TRect TCustomGridEh::CalcCellRectAbs(Integer ACol, Integer ARow)
{
  CheckUpdateAxises();
  TRect R(BoxEdge(FHorzAxis.get(), ACol, true, false), BoxEdge(FVertAxis.get(), ARow, true, false),
          BoxEdge(FHorzAxis.get(), ACol, false, false), BoxEdge(FVertAxis.get(), ARow, false, false));
  if (UseRightToLeftAlignment())
    FHorzAxis->SwapRightToLeftPoses(R.Left, R.Right);
  return R;
}

TRect TCustomGridEh::CellEditRect(Integer ACol, Integer ARow)
{
  TRect R = CalcCellRect(ACol, ARow, true);
  const bool FullWidth = R.Width() == ColWidths(ACol);
  if (CellBorderVisible(ACol, ARow, cbtRightEh) && FullWidth) {
    if (UseRightToLeftAlignment())
      R.Left += FGridLineWidth;
    else
      R.Right -= FGridLineWidth;
  }
  if (CellBorderVisible(ACol, ARow, cbtBottomEh))
    R.Bottom -= FGridLineWidth;
  return R;
}

bool TCustomGridEh::CellBorderVisible(Integer ACol, Integer ARow, TGridCellBorderTypeEh BorderType)
{
  bool IsExtent = false, Visible = false;
  TColor Color = clNone;
  GetCellBorderParams(ACol, ARow, BorderType, IsExtent, Color, Visible);
  return Visible;
}

void TCustomGridEh::InvalidateRect(TGridRect ARect)
{
  if (!HandleAllocated())
    return;
  const TRect R = CalcBoxRect(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom, true);
  if (!IsRectEmptyEh(R))
    ::InvalidateRect(Handle(), &R, false);
}

void TCustomGridEh::InvalidateCell(Integer ACol, Integer ARow)
{
  InvalidateRect(TGridRect(ACol, ARow, ACol, ARow));
}

void TCustomGridEh::InvalidateCol(Integer ACol)
{
  if (!HandleAllocated())
    return;
  InvalidateRect(TGridRect(ACol, 0, ACol, FVertAxis->RolLastVisCel() + FixedRowCount()));
  if (ContraRowCount() > 0)
    InvalidateRect(TGridRect(ACol, RowCount(), ACol, FullRowCount() - 1));
}

void TCustomGridEh::InvalidateRow(Integer ARow)
{
  if (!HandleAllocated())
    return;
  const Integer Last = std::min(FHorzAxis->RolLastVisCel(), FHorzAxis->RolLastFullVisCel() + 1);
  InvalidateRect(TGridRect(0, ARow, Last + FixedColCount(), ARow));
  if (ContraColCount() > 0)
    InvalidateRect(TGridRect(ColCount(), ARow, FullColCount() - 1, ARow));
}

void TCustomGridEh::InvalidateGrid()
{
  Invalidate();
}

// ---------------------------------------------------------------------------
// Streaming of the cell extents.

void TCustomGridEh::DefineProperties(TFiler& Filer)
{
  inherited::DefineProperties(Filer);
  if (!FSaveCellExtents)
    return;
  auto* Ancestor = dynamic_cast<TCustomGridEh*>(Filer.Ancestor());
  auto Differs = [](TGridAxisDataEh* Mine, TGridAxisDataEh* Theirs) {
    return Theirs ? !AxisCelLensEqualEh(Mine, Theirs) : Mine->FullCelCount() > 0;
  };
  auto Reader = [](TGridAxisDataEh* A) {
    return [A](TReader& R) {
      R.ReadListBegin();
      for (Integer I = 0; !R.EndOfList(); ++I) {
        const Integer V = R.ReadInteger();
        if (I < A->CelCount())
          A->SetCelLens(I, V);
      }
      R.ReadListEnd();
    };
  };
  auto Writer = [](TGridAxisDataEh* A) {
    return [A](TWriter& W) {
      W.WriteListBegin();
      for (Integer I = 0; I < A->CelCount(); ++I)
        W.WriteInteger(A->CelLens(I));
      W.WriteListEnd();
    };
  };
  Filer.DefineProperty(QStringLiteral("ColWidths"), Reader(FHorzAxis.get()), Writer(FHorzAxis.get()),
                       Differs(FHorzAxis.get(), Ancestor ? Ancestor->FHorzAxis.get() : nullptr));
  Filer.DefineProperty(QStringLiteral("RowHeights"), Reader(FVertAxis.get()), Writer(FVertAxis.get()),
                       Differs(FVertAxis.get(), Ancestor ? Ancestor->FVertAxis.get() : nullptr));
}

// The bar panels, grips and editor are the grid's own parts, never streamed.
void TCustomGridEh::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
  inherited::GetChildren([&](TComponent* Child) {
    if (Child == FHorzScrollBarPanelControl || Child == FVertScrollBarPanelControl ||
        Child == FCornerScrollBarPanelControl || Child == FExtraSizeGripControl || Child == FInplaceEdit)
      return;
    Proc(Child);
  }, Root);
}
