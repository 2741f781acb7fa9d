// GridsEh.cpp: the base grid: axis model, parameter objects, structure and painting.
#include "gridlib/foundation/GridsEh.h"

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
  CreateScrollBarPanels();
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

static Integer ClampToInt(Int64 V)
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

void TCustomGridEh::CreateScrollBarPanels()
{
  auto Hidden = [this](TWinControl* C) {
    C->SetVisible(false);
    C->SetParent(this);
  };
  FHorzScrollBarPanelControl = new TGridScrollBarPanelControlEh(this, sbHorizontal);
  Hidden(FHorzScrollBarPanelControl);
  FVertScrollBarPanelControl = new TGridScrollBarPanelControlEh(this, sbVertical);
  Hidden(FVertScrollBarPanelControl);
  FCornerScrollBarPanelControl = new TSizeGripPanelEh(this);
  Hidden(FCornerScrollBarPanelControl);
  FExtraSizeGripControl = new TSizeGripPanelEh(this);
  Hidden(FExtraSizeGripControl);
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

static TSizeGripPosition MirrorGripPosition(TSizeGripPosition P)
{
  switch (P) {
  case sgpTopLeft: return sgpTopRight;
  case sgpTopRight: return sgpTopLeft;
  case sgpBottomRight: return sgpBottomLeft;
  case sgpBottomLeft: return sgpBottomRight;
  }
  return P;
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
    Corner->SetPosition(RightToLeft ? MirrorGripPosition(sgpBottomRight) : sgpBottomRight);
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
    Extra->SetPosition(RightToLeft ? MirrorGripPosition(FSizeGripPostion) : FSizeGripPostion);
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
static Integer CellAtOrAfter(TGridAxisDataEh* A, Int64 Pos, Integer MinOffset)
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

// ---------------------------------------------------------------------------
// TCustomGridEh: current cell and selection.

void TCustomGridEh::MoveCurrentCell(Integer ACol, Integer ARow, bool ShowHorz, bool ShowVert)
{
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount())
    throw EInvalidGridOperationEh(QStringLiteral("Grid index out of range"));
  if (!CanSelectCell(ACol, ARow))
    return;
  const TGridRect OldSelection = GetSelection();
  const TGridCoord OldCurrent = FCurCell;
  const bool OldMulti = HasMultiCellSelection();
  if (!FOptions.Contains(goAlwaysShowEditorEh))
    HideEditor();
  FCurCell = TGridCoord(ACol, ARow);
  FAnchorCell = FCurCell;
  if (ShowHorz || ShowVert)
    MakeCellVisible(FCurCell, ShowHorz, ShowVert);
  if (OldMulti != HasMultiCellSelection()) {
    InvalidateGrid();
  } else if (FOptions.Contains(goRowSelectEh)) {
    InvalidateRow(OldCurrent.Y);
    InvalidateRow(ARow);
  } else {
    InvalidateCell(OldCurrent.X, OldCurrent.Y);
    InvalidateCell(ACol, ARow);
  }
  SelectionChanged(OldSelection);
  CurrentCellMoved(OldCurrent);
}

void TCustomGridEh::FocusCell(Integer ACol, Integer ARow, bool)
{
  MoveCurrentCell(ACol, ARow, true, true);
  UpdateEdit();
}

void TCustomGridEh::SetAnchorCell(Integer ACol, Integer ARow, bool)
{
  if (FAnchorCell == TGridCoord(ACol, ARow))
    return;
  if (ACol < 0 || ARow < 0 || ACol >= FullColCount() || ARow >= FullRowCount())
    throw EInvalidGridOperationEh(QStringLiteral("TCustomGridEh.SetAnchorCell: Grid index out of range"));
  const TGridRect OldSelection = GetSelection();
  FAnchorCell = TGridCoord(ACol, ARow);
  MakeCellVisible(FAnchorCell, true, true);
  SelectionChanged(OldSelection);
}

void TCustomGridEh::GetNextSelectableCell(Integer ACol, Integer ARow, Integer& ANewCol, Integer& ANewRow)
{
  if (ANewCol > ACol) {
    for (Integer C = ANewCol; C <= ColCount() - 1; ++C)
      if (CanSelectCell(C, ANewRow)) {
        ANewCol = C;
        break;
      }
  } else if (ANewCol < ACol) {
    for (Integer C = ANewCol; C >= 0; --C)
      if (CanSelectCell(C, ANewRow)) {
        ANewCol = C;
        break;
      }
  }
  if (ANewRow > ARow) {
    for (Integer R = ANewRow; R <= RowCount() - 1; ++R)
      if (CanSelectCell(ANewCol, R)) {
        ANewRow = R;
        break;
      }
  } else if (ANewRow < ARow) {
    for (Integer R = ANewRow; R >= 0; --R)
      if (CanSelectCell(ANewCol, R)) {
        ANewRow = R;
        break;
      }
  }
}

// ---------------------------------------------------------------------------
// TCustomGridEh: keyboard.

void TCustomGridEh::PageDownTarget(Integer& ARow)
{
  TGridAxisDataEh& V = *FVertAxis;
  if (V.RolCelCount() <= 0)
    return;
  const Int64 E = V.RolStartVisPos() + V.RolClientLen();
  Integer Candidate = V.RolCelCount() - 1;
  if (E < V.RolLen()) {
    Integer Cel = 0, Ofs = 0;
    V.RolCellAtPos(E, Cel, Ofs);
    Candidate = Cel;
    const Int64 Limit = E + V.RolClientLen();
    for (Integer R = Cel; R < V.RolCelCount(); ++R) {
      if (V.RolLocCelPosArr(R) + V.RolCelLens(R) > Limit)
        break;
      Candidate = R;
    }
  }
  Integer Target = FixedRowCount() + Candidate;
  if (Target <= FCurCell.Y && FCurCell.Y + 1 < RowCount())
    Target = FCurCell.Y + 1;
  ARow = Target;
}

void TCustomGridEh::PageUpTarget(Integer& ARow)
{
  TGridAxisDataEh& V = *FVertAxis;
  if (V.RolCelCount() <= 0)
    return;
  Integer Target = FixedRowCount() + CellAtOrAfter(&V, V.RolStartVisPos() - V.RolClientLen(), 0);
  if (Target >= FCurCell.Y && FCurCell.Y > 0)
    Target = FCurCell.Y - 1;
  ARow = Target;
}

void TCustomGridEh::TabTarget(bool Backward, Integer& ACol, Integer& ARow)
{
  Integer C = FCurCell.X;
  Integer R = FCurCell.Y;
  auto StepForward = [&] {
    if (++C >= ColCount()) {
      C = FixedColCount();
      if (++R >= RowCount())
        R = FixedRowCount();
    }
  };
  if (Backward) {
    if (--C < FixedColCount()) {
      C = ColCount() - 1;
      if (--R < FixedRowCount())
        R = RowCount() - 1;
    }
    if (IsColTabStop(C)) {
      ACol = C;
      ARow = R;
      return;
    }
  }
  // One pass over the columns at most: a grid without any tab stop ends.
  for (Integer Pass = 0; Pass <= ColCount(); ++Pass) {
    StepForward();
    if (IsColTabStop(C) || C == FCurCell.X)
      break;
  }
  ACol = C;
  ARow = R;
}

void TCustomGridEh::KeyDown(Word& Key, TShiftState Shift)
{
  inherited::KeyDown(Key, Shift);
  if (Key == 0 || !CanGridAcceptKey(Key, Shift))
    return;
  const Integer D = UseRightToLeftAlignment() ? -1 : 1;
  const Integer SelStartCol = FixedColCount() - FrozenColCount();
  const Integer SelStartRow = FixedRowCount() - FrozenRowCount();
  if (Shift.Contains(ssShift) && FOptions.Contains(goRangeSelectEh)) {
    TGridCoord A = FAnchorCell;
    switch (Key) {
    case VK_LEFT: --A.X; break;
    case VK_RIGHT: ++A.X; break;
    case VK_UP: --A.Y; break;
    case VK_DOWN: ++A.Y; break;
    default: return;
    }
    A.X = std::clamp(A.X, SelStartCol, FullColCount() - 1);
    A.Y = std::clamp(A.Y, SelStartRow, FullRowCount() - 1);
    SetAnchorCell(A.X, A.Y, true);
    return;
  }
  TGridCoord T = FCurCell;
  if (Shift.Contains(ssCtrl)) {
    switch (Key) {
    case VK_PRIOR: T.Y = TopRow(); break;
    case VK_HOME:
      T = TGridCoord(FixedColCount(), FixedRowCount());
      if (UseRightToLeftAlignment())
        InvalidateGrid();
      break;
    case VK_END:
      T = TGridCoord(ColCount() - 1, RowCount() - 1);
      if (UseRightToLeftAlignment())
        InvalidateGrid();
      break;
    default: break;
    }
  } else {
    switch (Key) {
    case VK_TAB:
      if (!Shift.Contains(ssAlt))
        TabTarget(Shift.Contains(ssShift), T.X, T.Y);
      break;
    case VK_PRIOR: PageUpTarget(T.Y); break;
    case VK_NEXT: PageDownTarget(T.Y); break;
    case VK_END: T.X = ColCount() - 1; break;
    case VK_HOME: T.X = FixedColCount(); break;
    case VK_LEFT:
      if (FOptions.Contains(goRowSelectEh)) {
        ScrollHorzByCode(scLineUp, 0);
        return;
      }
      GetNextSelectableCell(FCurCell.X, FCurCell.Y, T.X = FCurCell.X - D, T.Y);
      break;
    case VK_RIGHT:
      if (FOptions.Contains(goRowSelectEh)) {
        ScrollHorzByCode(scLineDown, 0);
        return;
      }
      GetNextSelectableCell(FCurCell.X, FCurCell.Y, T.X = FCurCell.X + D, T.Y);
      break;
    case VK_UP: GetNextSelectableCell(FCurCell.X, FCurCell.Y, T.X, T.Y = FCurCell.Y - 1); break;
    case VK_DOWN: GetNextSelectableCell(FCurCell.X, FCurCell.Y, T.X, T.Y = FCurCell.Y + 1); break;
    case VK_F2: SetEditorMode(true); break;
    default: break;
    }
  }
  T.X = std::clamp(T.X, SelStartCol, ColCount() - 1);
  T.Y = std::clamp(T.Y, SelStartRow, RowCount() - 1);
  if (!(T == FCurCell))
    FocusCell(T.X, T.Y, !Shift.Contains(ssShift));
}

void TCustomGridEh::KeyPress(QChar& Key)
{
  inherited::KeyPress(Key);
  if (Key != QChar('\r') || !FOptions.Contains(goEditingEh) || FOptions.Contains(goAlwaysShowEditorEh))
    return;
  if (FEditorMode)
    HideEditor();
  else
    ShowEditor();
  Key = QChar();
}

void TCustomGridEh::WMChar(TMessage& Message)
{
  const QChar Ch(char16_t(Message.WParam));
  if (FOptions.Contains(goEditingEh) && (Ch == QChar('\b') || Ch >= QChar(' ')) && CanEditModify()) {
    ShowEditorChar(Ch);
    return;
  }
  inherited::WMChar(Message);
}

void TCustomGridEh::WMGetDlgCode(TMessage& Message)
{
  Message.Result = DLGC_WANTARROWS;
  if (FOptions.Contains(goRowSelectEh))
    return;
  if (FOptions.Contains(goTabsEh))
    Message.Result |= DLGC_WANTTAB;
  if (FOptions.Contains(goEditingEh))
    Message.Result |= DLGC_WANTCHARS;
}

void TCustomGridEh::CMWantSpecialKey(TMessage& Message)
{
  inherited::CMWantSpecialKey(Message);
  if (Word(Message.WParam) == VK_RETURN && FOptions.Contains(goEditingEh))
    Message.Result = 1;
}

// ---------------------------------------------------------------------------
// TCustomGridEh: mouse.

static bool InRange(Integer V, Integer Lo, Integer Hi)
{
  return V >= Lo && V <= Hi;
}

void TCustomGridEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  HideEdit();
  if (!ComponentState().Contains(csDesigning) && CanFocus()) {
    SetFocus();
    if (!IsActiveControl()) {
      SetMouseCapture(false);
      return;
    }
  }
  if (Button == mbLeft && Shift.Contains(ssDouble)) {
    DblClick();
    return;
  }
  if (Button == mbLeft) {
    TGridStateEh State = gsNormalEh;
    Integer Index = -1, Pos = 0, Ofs = 0;
    CalcSizingState(X, Y, State, Index, Pos, Ofs);
    if (State != gsNormalEh) {
      if (State == gsColSizingEh && UseRightToLeftAlignment())
        Pos = ClientWidth() - Pos;
      FGridState = State;
      FSizingIndex = Index;
      FSizingPos = Pos;
      FSizingOfs = Ofs;
      BeginSizing();
      UpdateSizingLine();
      return;
    }
    const TGridCoord Cell = MouseCoord(X, Y);
    const bool Selectable = InRange(Cell.X, FixedColCount() - FrozenColCount(), ColCount() - 1) &&
                            InRange(Cell.Y, FixedRowCount() - FrozenRowCount(), RowCount() - 1);
    const bool RangeSelect = FOptions.Contains(goRangeSelectEh);
    if (Selectable) {
      auto StartSelecting = [&] {
        FGridState = gsSelectingEh;
        SetGridTimer(true, 60);
      };
      if (FOptions.Contains(goEditingEh)) {
        if (Cell == FCurCell) {
          ShowEditor();
        } else if (RangeSelect) {
          StartSelecting();
          if (Shift.Contains(ssShift))
            SetAnchorCell(Cell.X, Cell.Y, true);
          else
            MoveCurrentCell(Cell.X, Cell.Y, true, true);
        } else {
          MoveCurrentCell(Cell.X, Cell.Y, true, true);
        }
        UpdateEdit();
        Click();
      } else {
        if (RangeSelect)
          StartSelecting();
        if (RangeSelect && Shift.Contains(ssShift))
          SetAnchorCell(Cell.X, Cell.Y, true);
        else
          MoveCurrentCell(Cell.X, Cell.Y, true, true);
      }
    } else if (FOptions.Contains(goColMovingEh) && InRange(Cell.Y, 0, FixedRowCount() - 1) &&
               InRange(Cell.X, FixedColCount(), ColCount() - 1)) {
      Integer From = Cell.X, To = Cell.X;
      if (CanStartColMoving(From, To, TPoint(X, Y)))
        StartColMoving(Cell.X, X, Y);
    } else if (FOptions.Contains(goRowMovingEh) && InRange(Cell.X, 0, FixedColCount() - 1) &&
               InRange(Cell.Y, FixedRowCount(), RowCount() - 1)) {
      FMoveFromIndex = Cell.Y;
      FMoveToIndex = Cell.Y;
      FMoveFromCellOriginDistance = X - CalcCellRect(Cell.X, Cell.Y, true).Left;
      Integer From = FMoveFromIndex, To = FMoveToIndex;
      if (CanStartRowMoving(From, To, TPoint(X, Y)))
        StartRowMoving(Cell.Y);
    }
  }
  try {
    inherited::MouseDown(Button, Shift, X, Y);
  } catch (...) {
    if (FGridState == gsRowMovingEh || FGridState == gsColMovingEh) {
      HideMoveLine();
      SetGridTimer(false, 0);
      FGridState = gsNormalEh;
    }
    throw;
  }
}

void TCustomGridEh::SelectingMouseMove(Integer X, Integer Y)
{
  TGridCoord Cell = MouseCoord(X, Y);
  const bool ColIn = InRange(Cell.X, FixedColCount() - FrozenColCount(), LastFullVisibleCol());
  const bool RowIn = InRange(Cell.Y, FixedRowCount() - FrozenRowCount(), LastFullVisibleRow());
  if (!ColIn && !RowIn)
    return;   // the timer scrolls
  if (!ColIn)
    Cell.X = FAnchorCell.X;
  if (!RowIn)
    Cell.Y = FAnchorCell.Y;
  if (!(Cell == FAnchorCell))
    SetAnchorCell(Cell.X, Cell.Y, true);
}

void TCustomGridEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  FMouseMovePos = TPoint(X, Y);
  switch (FGridState) {
  case gsColSizingEh:
  case gsRowSizingEh:
    UpdateSizingLine();
    FSizingPos = (FGridState == gsColSizingEh ? X : Y) + FSizingOfs;
    UpdateSizingLine();
    break;
  case gsSelectingEh: SelectingMouseMove(X, Y); break;
  case gsColMovingEh:
  case gsRowMovingEh:
    if (ComponentState().Contains(csDesigning)) {
      const TGridCoord Cell = MouseCoord(X, Y);
      if (FGridState == gsColMovingEh)
        UpdateMovingTarget(X, Cell.X, TPoint(X, Y), false, FHorzAxis.get());
      else
        UpdateMovingTarget(Y, Cell.Y, TPoint(X, Y), true, FVertAxis.get());
    }
    break;
  default: UpdateHotTrack(X, Y); break;
  }
  inherited::MouseMove(Shift, X, Y);
}

void TCustomGridEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  ScopeExit Reset([this] {
    if (FGridState != gsNormalEh) {
      FGridState = gsNormalEh;
      InvalidateGrid();
    }
  });
  switch (FGridState) {
  case gsSelectingEh:
    SelectingMouseMove(X, Y);
    SetGridTimer(false, 0);
    UpdateEdit();
    Click();
    break;
  case gsColSizingEh:
  case gsRowSizingEh: FinishSizing(); break;
  case gsColMovingEh:
  case gsRowMovingEh: FinishMoving(TPoint(X, Y)); break;
  case gsNormalEh: UpdateEdit(); break;
  }
  inherited::MouseUp(Button, Shift, X, Y);
}

static TRect CellRectOrEmpty(TCustomGridEh* Grid, TGridCoord Cell)
{
  if (Cell.X < 0 || Cell.Y < 0)
    return EmptyRectEh();
  return Grid->CalcCellRect(Cell.X, Cell.Y, true);
}

void TCustomGridEh::ButtonDownMessage(TMessage& Message, TMouseButton Button)
{
  if (FInplaceEdit)
    FInplaceEdit->SetClickTime(Integer(GetMessageTime()));
  const TWMMouse M(Message);
  FMouseDownCell = MouseCoord(M.XPos(), M.YPos());
  if (FMouseDownCell.X < 0 && FMouseDownCell.Y < 0) {
    FMouseDownCell = TGridCoord(-1, -1);
    return;
  }
  const TRect R = CellRectOrEmpty(this, FMouseDownCell);
  TShiftState Shift = KeysToShiftState(M.Keys());
  if (Message.Msg == WM_LBUTTONDBLCLK)
    Shift << ssDouble;
  CellMouseDown(FMouseDownCell, Button, TPoint(M.XPos() - R.Left, M.YPos() - R.Top), M.Pos(), R, Shift);
}

void TCustomGridEh::ButtonUpMessage(TMessage& Message, TMouseButton Button, bool Double)
{
  const bool Allowed = CanCellMouseClick(Message);
  const TWMMouse M(Message);
  const TGridCoord Cell = MouseCoord(M.XPos(), M.YPos());
  if (!Allowed || !(Cell == FMouseDownCell) || (Cell.X < 0 && Cell.Y < 0))
    return;
  const TRect R = CellRectOrEmpty(this, Cell);
  TShiftState Shift = KeysToShiftState(M.Keys());
  if (Double)
    Shift << ssDouble;
  CellMouseClick(Cell, Button, TPoint(M.XPos() - R.Left, M.YPos() - R.Top), M.Pos(), R, Shift);
}

void TCustomGridEh::WMLButtonDown(TMessage& Message)
{
  inherited::WMLButtonDown(Message);
  ButtonDownMessage(Message, mbLeft);
}

void TCustomGridEh::WMRButtonDown(TMessage& Message)
{
  inherited::WMRButtonDown(Message);
  ButtonDownMessage(Message, mbRight);
}

void TCustomGridEh::WMMButtonDown(TMessage& Message)
{
  inherited::WMMButtonDown(Message);
  ButtonDownMessage(Message, mbMiddle);
}

// The click test is made before the release changes the state.
void TCustomGridEh::WMLButtonUp(TMessage& Message)
{
  const bool Allowed = CanCellMouseClick(Message);
  inherited::WMLButtonUp(Message);
  if (Allowed)
    ButtonUpMessage(Message, mbLeft, false);
}

void TCustomGridEh::WMRButtonUp(TMessage& Message)
{
  const bool Allowed = CanCellMouseClick(Message);
  inherited::WMRButtonUp(Message);
  if (Allowed)
    ButtonUpMessage(Message, mbRight, false);
}

void TCustomGridEh::WMMButtonUp(TMessage& Message)
{
  const bool Allowed = CanCellMouseClick(Message);
  inherited::WMMButtonUp(Message);
  if (Allowed)
    ButtonUpMessage(Message, mbMiddle, false);
}

void TCustomGridEh::WMLButtonDblClk(TMessage& Message)
{
  if (!CanProcessDblClick(Message)) {
    // Counts as a plain press.
    Message.Msg = WM_LBUTTONDOWN;
    WMLButtonDown(Message);
    Message.Msg = WM_LBUTTONDBLCLK;
    return;
  }
  inherited::WMLButtonDblClk(Message);
  ButtonDownMessage(Message, mbLeft);
}

bool TCustomGridEh::CanCellMouseClick(TMessage& Message)
{
  const TWMMouse M(Message);
  return FGridState <= gsSelectingEh && M.XPos() >= 0 && M.YPos() >= 0;
}

bool TCustomGridEh::CanCellDblClick(TGridCoord, TMouseButton, TPoint, TPoint, TShiftState)
{
  return true;
}

bool TCustomGridEh::CanProcessDblClick(TMessage& Message)
{
  const TWMMouse M(Message);
  TPoint P = M.Pos();
  if (Width() > 32768 || Height() > 32768)
    P = ScreenToClient(Mouse()->CursorPos());
  const TGridCoord Cell = MouseCoord(P.X, P.Y);
  if (Cell.X < 0 || Cell.Y < 0)
    return true;
  TMouseButton Button = mbLeft;
  if (Message.Msg == WM_RBUTTONDBLCLK)
    Button = mbRight;
  else if (Message.Msg == WM_MBUTTONDBLCLK)
    Button = mbMiddle;
  const TRect R = CalcCellRect(Cell.X, Cell.Y, true);
  return CanCellDblClick(Cell, Button, TPoint(P.X - R.Left, P.Y - R.Top), P,
                         KeysToShiftState(M.Keys()) << ssDouble);
}

void TCustomGridEh::CellMouseDown(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos,
                                  TRect CellRect, TShiftState Shift)
{
  bool Processed = false;
  if (OnCellMouseDown)
    OnCellMouseDown(this, Cell, Button, Shift, InCellPos.X, InCellPos.Y, Processed);
  if (!Processed)
    DefaultCellMouseDown(Cell, Button, InCellPos, MousePos, CellRect, Shift);
}

void TCustomGridEh::CellMouseClick(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos,
                                   TRect CellRect, TShiftState Shift)
{
  bool Processed = false;
  if (OnCellMouseClick)
    OnCellMouseClick(this, Cell, Button, Shift, InCellPos.X, InCellPos.Y, Processed);
  if (!Processed)
    DefaultCellMouseClick(Cell, Button, InCellPos, MousePos, CellRect, Shift);
}

void TCustomGridEh::SelectingTimerTick()
{
  const TPoint P = ScreenToClient(Mouse()->CursorPos());
  TGridAxisDataEh& H = *FHorzAxis;
  TGridAxisDataEh& V = *FVertAxis;
  Integer Flags = 0;
  if (UseRightToLeftAlignment()) {
    if (P.X < ClientWidth() - H.ContraStart())
      Flags |= 2;
    if (P.X > ClientWidth() - H.FixedBoundary())
      Flags |= 1;
  } else {
    if (P.X < H.FixedBoundary())
      Flags |= 1;
    if (P.X > H.ContraStart())
      Flags |= 2;
  }
  if (P.Y < V.FixedBoundary())
    Flags |= 4;
  if (P.Y > V.ContraStart())
    Flags |= 8;
  if (Flags != 0)
    MoveAnchorForAutoScroll(Flags);
}

void TCustomGridEh::MoveAnchorForAutoScroll(Integer Flags)
{
  TGridCoord A = FAnchorCell;
  if ((Flags & 1) && A.X > FixedColCount())
    --A.X;
  if ((Flags & 2) && A.X < ColCount() - 1)
    ++A.X;
  if ((Flags & 4) && A.Y > FixedRowCount())
    --A.Y;
  if ((Flags & 8) && A.Y < RowCount() - 1)
    ++A.Y;
  if (!(A == FAnchorCell))
    SetAnchorCell(A.X, A.Y, true);
}

void TCustomGridEh::GridTimerTimer(TObject*)
{
  switch (FGridState) {
  case gsSelectingEh: SelectingTimerTick(); break;
  case gsColMovingEh:
  case gsRowMovingEh: MovingTimerTick(); break;
  default: SetGridTimer(false, 0); break;
  }
}

void TCustomGridEh::CancelMode()
{
  ScopeExit Reset([this] {
    FGridState = gsNormalEh;
    InvalidateGrid();
  });
  switch (FGridState) {
  case gsSelectingEh: SetGridTimer(false, 0); break;
  case gsColSizingEh:
  case gsRowSizingEh: UpdateSizingLine(); break;
  case gsColMovingEh:
  case gsRowMovingEh:
    HideMoveLine();
    SetGridTimer(false, 0);
    break;
  case gsNormalEh: break;
  }
}

void TCustomGridEh::WMCancelMode(TMessage& Message)
{
  inherited::WMCancelMode(Message);
  CancelMode();
}

// ---------------------------------------------------------------------------
// TCustomGridEh: hot tracking.

void TCustomGridEh::UpdateHotTrack(Integer X, Integer Y)
{
  if (ComponentState().Contains(csDesigning))
    return;
  const TGridCoord Cell = MouseCoord(X, Y);
  const bool InFull = [this](TGridCoord C) {
    return C.X >= 0 && C.Y >= 0 && C.X < FullColCount() && C.Y < FullRowCount();
  }(FHotTrackCell);
  if (Cell.X >= 0 && Cell.Y >= 0 && IsCellHotTrackable(Cell.X, Cell.Y)) {
    if (!(Cell == FHotTrackCell)) {
      if (InFull)
        InvalidateCell(FHotTrackCell.X, FHotTrackCell.Y);
      InvalidateCell(Cell.X, Cell.Y);
      FHotTrackCell = Cell;
    }
  } else if (FHotTrackCell.X >= 0 || FHotTrackCell.Y >= 0) {
    if (InFull)
      InvalidateCell(FHotTrackCell.X, FHotTrackCell.Y);
    FHotTrackCell = TGridCoord(-1, -1);
  }
  if (FHotTrackCell.X >= 0 && FHotTrackCell.Y >= 0) {
    const TRect R = CalcCellRect(FHotTrackCell.X, FHotTrackCell.Y, true);
    FHotTrackInCellPos = TPoint(X - R.Left, Y - R.Top);
  }
  CalcHotTrackSpot(NewHotTrackSpot(), X, Y);
  if (!HotTrackSpotsEqual(OldHotTrackSpot(), NewHotTrackSpot())) {
    InvalidateHotTrackSpot(NewHotTrackSpot());
    InvalidateHotTrackSpot(OldHotTrackSpot());
    OldHotTrackSpot()->Assign(NewHotTrackSpot());
  }
}

void TCustomGridEh::CalcHotTrackSpot(TGridHotTrackSpotEh* Spot, Integer X, Integer Y)
{
  if (ComponentState().Contains(csDesigning))
    return;
  const TGridCoord Cell = MouseCoord(X, Y);
  if (Cell.X < 0 || Cell.Y < 0 || !IsCellHotTrackable(Cell.X, Cell.Y)) {
    Spot->SetCol(-1);
    Spot->SetRow(-1);
    return;
  }
  Spot->SetCol(Cell.X);
  Spot->SetRow(Cell.Y);
  TRect R = CalcCellRect(Cell.X, Cell.Y, true);
  // Measured from the cell's true start, also when it is partly scrolled out.
  if (Cell.X == FHorzAxis->StartVisCel())
    R.Left -= FHorzAxis->RolStartVisCelOfst();
  if (Cell.Y == FVertAxis->StartVisCel())
    R.Top -= FVertAxis->RolStartVisCelOfst();
  Spot->SetInCellX(X - R.Left);
  Spot->SetInCellY(Y - R.Top);
}

void TCustomGridEh::InvalidateHotTrackSpot(TGridHotTrackSpotEh* Spot)
{
  if (Spot->Col() < 0 || Spot->Row() < 0)
    return;
  if (Spot->Col() < FullColCount() && Spot->Row() < FullRowCount())
    InvalidateCell(Spot->Col(), Spot->Row());
}

void TCustomGridEh::CMMouseEnter(TMessage& Message)
{
  inherited::CMMouseEnter(Message);
  FMouseInControl = Message.LParam == 0 || Message.LParam == LPARAM(this);
}

void TCustomGridEh::CMMouseLeave(TMessage& Message)
{
  inherited::CMMouseLeave(Message);
  if (Message.LParam != 0 && Message.LParam != LPARAM(this))
    return;
  FMouseInControl = false;
  UpdateHotTrack(-1, -1);
}

void TCustomGridEh::WndProc(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_SETCURSOR: {
    const TCursor Cursor = GetCursorAtPos(ScreenToClient(Mouse()->CursorPos()));
    if (Cursor != crDefault) {
      SetCursor(Cursor);
      Message.Result = 1;
      return;
    }
    break;
  }
  case CM_CANCELMODE:
    if (FInplaceEdit)
      FInplaceEdit->WndProc(Message);
    inherited::WndProc(Message);
    if (Message.LParam != LPARAM(this))
      CancelMode();
    return;
  case CM_DESIGNHITTEST: {
    const TWMMouse M(Message);
    Message.Result = IsSizingStateAt(M.XPos(), M.YPos()) ? 1 : 0;
    return;
  }
  case WM_NCMOUSEMOVE:
    if (!ControlStyle().Contains(csNoStdEvents)) {
      const TPoint P = ScreenToClient(Mouse()->CursorPos());
      UpdateHotTrack(P.X, P.Y);
    }
    break;
  default: break;
  }
  inherited::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TCustomGridEh: inplace editor hosting and focus.

bool TCustomGridEh::CanEditShow()
{
  return FOptions.Contains(goEditingEh) && !FOptions.Contains(goRowSelectEh) && FEditorMode &&
         !ComponentState().Contains(csDesigning) && HandleAllocated() &&
         (FOptions.Contains(goAlwaysShowEditorEh) || IsActiveControl());
}

TInplaceEdit* TCustomGridEh::CreateEditor()
{
  return new TInplaceEdit(this);
}

bool TCustomGridEh::CreateEditorIfNone()
{
  if (FInplaceEdit)
    return false;
  FInplaceEdit = CreateEditor();
  FInplaceEdit->SetGrid(this);
  FInplaceEdit->SetParent(this);
  FInplaceEdit->SetAutoSelect(false);
  return true;
}

void TCustomGridEh::UpdateEdit()
{
  if (!CanEditShow()) {
    HideEdit();
    return;
  }
  bool Load = CreateEditorIfNone();
  if (!Load && !(FCurCell == TGridCoord(FInplaceCol, FInplaceRow))) {
    HideEdit();
    Load = true;
  }
  if (Load) {
    FInplaceCol = FCurCell.X;
    FInplaceRow = FCurCell.Y;
    FInplaceEdit->UpdateContents();
    FCanEditModify = FInplaceEdit->MaxLength() != -1;
    FInplaceEdit->SelectAll();
  }
  if (CanEditShow())
    FInplaceEdit->Move(CellEditRect(FCurCell.X, FCurCell.Y));
}

void TCustomGridEh::UpdateText()
{
  if (FInplaceEdit && FInplaceCol != -1 && FInplaceRow != -1)
    SetEditText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

void TCustomGridEh::HideEdit()
{
  if (!FInplaceEdit)
    return;
  // The editor is let go even when storing its text raises.
  ScopeExit Release([this] {
    FInplaceCol = -1;
    FInplaceRow = -1;
    FInplaceEdit->Hide();
  });
  UpdateText();
}

void TCustomGridEh::HideEditor()
{
  if (!FEditorMode)
    return;
  FEditorMode = false;
  HideEdit();
}

void TCustomGridEh::ShowEditor()
{
  FEditorMode = true;
  UpdateEdit();
}

void TCustomGridEh::InvalidateEditor()
{
  FInplaceCol = -1;
  FInplaceRow = -1;
  UpdateEdit();
}

void TCustomGridEh::SetEditorMode(bool Value)
{
  if (!Value) {
    HideEditor();
    return;
  }
  ShowEditor();
  if (FInplaceEdit)
    FInplaceEdit->Deselect();
}

void TCustomGridEh::ShowEditorChar(QChar Ch)
{
  ShowEditor();
  if (FInplaceEdit && FInplaceEdit->Visible())
    PostMessage(FInplaceEdit->Handle(), WM_CHAR, Ch.unicode(), 0);
}

// The caret stands at the text's start: a caret at 0 with nothing or
// everything selected.
static bool CaretAtTextStart(TInplaceEdit* E)
{
  const Integer Len = E->GetTextLen();
  return E->SelStart() == 0 && (E->SelLength() == 0 || E->SelLength() == Len);
}

static bool CaretAtTextEnd(TInplaceEdit* E)
{
  const Integer Len = E->GetTextLen();
  return (E->SelStart() == Len && E->SelLength() == 0) || (E->SelStart() == 0 && E->SelLength() == Len);
}

bool TCustomGridEh::EditorKeyToGrid(Word Key, TShiftState Shift)
{
  const bool Ctrl = Shift.Contains(ssCtrl);
  const bool AlwaysShow = FOptions.Contains(goAlwaysShowEditorEh);
  switch (Key) {
  case VK_TAB: return !Shift.Contains(ssAlt);
  case VK_ESCAPE:
  case VK_PRIOR:
  case VK_NEXT:
  case VK_UP:
  case VK_DOWN: return true;
  case VK_INSERT: return !Shift.Contains(ssShift) && !Ctrl && !Shift.Contains(ssAlt);
  case VK_DELETE: return Ctrl;
  case VK_HOME:
  case VK_LEFT: return AlwaysShow && FInplaceEdit && (Ctrl || CaretAtTextStart(FInplaceEdit));
  case VK_END:
  case VK_RIGHT: return AlwaysShow && FInplaceEdit && (Ctrl || CaretAtTextEnd(FInplaceEdit));
  default: return false;
  }
}

void TCustomGridEh::InternalSetFocus(TWinControl* Control)
{
  FInternalFocusResetting = true;
  ScopeExit Restore([this] { FInternalFocusResetting = false; });
  ::SetFocus(Control->Handle());
}

static bool WindowWithin(HWND Wnd, TWinControl* Control)
{
  if (!Wnd || !Control || !Control->HandleAllocated())
    return false;
  return Wnd == Control->Handle() || IsChild(Control->Handle(), Wnd);
}

void TCustomGridEh::WMSetFocus(TMessage& Message)
{
  FFocused = true;
  inherited::WMSetFocus(Message);
  if (FInternalFocusResetting || WindowWithin(reinterpret_cast<HWND>(Message.WParam), FInplaceEdit))
    return;
  InvalidateGrid();
  UpdateEdit();
}

void TCustomGridEh::WMKillFocus(TMessage& Message)
{
  FFocused = false;
  inherited::WMKillFocus(Message);
  InvalidateGrid();
  if (FInternalFocusResetting || !FInplaceEdit)
    return;
  if (!WindowWithin(reinterpret_cast<HWND>(Message.WParam), FInplaceEdit))
    HideEdit();
}

// The form may record the editor itself as its focused control; the focus
// leaving the editor for a window outside the grid leaves the grid.
void TCustomGridEh::EditorFocusLeft(HWND FocusedWnd)
{
  if (FInternalFocusResetting || WindowWithin(FocusedWnd, this))
    return;
  InvalidateGrid();
  if (!FOptions.Contains(goAlwaysShowEditorEh))
    HideEditor();
  else
    HideEdit();
}

void TCustomGridEh::DoExit()
{
  inherited::DoExit();
  // Moving the focus into its own editor is no exit.
  if (!FOptions.Contains(goAlwaysShowEditorEh) && !FInternalFocusResetting)
    HideEditor();
}

void TCustomGridEh::CMFontChanged(TMessage& Message)
{
  if (FInplaceEdit)
    FInplaceEdit->SetFont(Font());
  inherited::CMFontChanged(Message);
}

// ---------------------------------------------------------------------------
// TInplaceEdit

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomControl(AOwner)
{
  SetCtl3D(false);
  SetTabStop(false);
  SetDoubleBuffered(false);
  TControl::SetVisible(false);
  FEditCoreControl = CreateEditCoreControl();
  FEditCoreControl->SetParent(this);
  FEditCoreControl->SetParentColor(true);
  FEditCoreControl->SetVisible(true);
  SetColor(clWindow);
}

TInplaceEditCoreControl* TInplaceEdit::CreateEditCoreControl()
{
  return new TInplaceEditCoreControl(this);
}

void TInplaceEdit::SetText(const String& Value)
{
  FInternalTextSetting = true;
  ScopeExit Restore([this] { FInternalTextSetting = false; });
  FEditCoreControl->SetText(Value);
}

void TInplaceEdit::Move(const TRect& Loc)
{
  InternalMove(Loc, true);
}

void TInplaceEdit::UpdateLoc(const TRect& Loc)
{
  InternalMove(Loc, false);
}

void TInplaceEdit::InternalMove(const TRect& Loc, bool Redraw)
{
  if (Loc.Width() <= 0 || Loc.Height() <= 0) {
    Hide();
    return;
  }
  HandleNeeded();
  if (!Visible())
    Redraw = true;
  Invalidate();
  SetBounds(Loc.Left, Loc.Top, Loc.Width(), Loc.Height());
  TControl::SetVisible(true);
  if (Redraw)
    Invalidate();
  UpdateEditCoreControlBounds();
  if (!FGrid)
    return;
  FGrid->FInternalFocusResetting = true;
  ScopeExit Restore([this] { FGrid->FInternalFocusResetting = false; });
  if (FGrid->Focused())
    FEditCoreControl->SetFocus();
}

void TInplaceEdit::Hide()
{
  if (!HandleAllocated() || !TControl::Visible())
    return;
  Invalidate();
  const bool HadFocus = Focused();
  TControl::SetVisible(false);
  if (HadFocus && FGrid && FGrid->HandleAllocated())
    ::SetFocus(FGrid->Handle());
}

bool TInplaceEdit::Visible()
{
  return HandleAllocated() && TControl::Visible();
}

bool TInplaceEdit::Focused()
{
  return WindowWithin(GetFocus(), this);
}

void TInplaceEdit::SetFocus()
{
  if (Visible())
    FEditCoreControl->SetFocus();
}

void TInplaceEdit::SetSel(Integer AStartPos, Integer ALength)
{
  FEditCoreControl->Perform(EM_SETSEL, WPARAM(AStartPos), LPARAM(AStartPos + ALength));
}

void TInplaceEdit::GetEditCoreControlRect(TRect& Rect)
{
  Rect = TRect(2, 2, Width() - 2, Height());
}

void TInplaceEdit::UpdateEditCoreControlBounds()
{
  TRect R;
  GetEditCoreControlRect(R);
  FEditCoreControl->SetBounds(R.Left, R.Top, R.Width(), R.Height());
}

void TInplaceEdit::HandleCoreControlKey(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_KEYDOWN: Message.Result = DoKeyDown(Message) ? 1 : 0; break;
  case WM_KEYUP: Message.Result = DoKeyUp(Message) ? 1 : 0; break;
  case WM_CHAR: Message.Result = DoKeyPress(Message) ? 1 : 0; break;
  default: break;
  }
}

void TInplaceEdit::UpdateContents()
{
  FInternalTextSetting = true;
  ScopeExit Restore([this] { FInternalTextSetting = false; });
  FEditCoreControl->UpdateContents();
}

void TInplaceEdit::DblClick()
{
  if (FGrid)
    FGrid->GridDblClick();
}

bool TInplaceEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  return FGrid ? FGrid->GridDoMouseWheel(Shift, WheelDelta, MousePos) : false;
}

void TInplaceEdit::WMGetDlgCode(TMessage& Message)
{
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (FGrid && FGrid->Options().Contains(goTabsEh))
    Message.Result |= DLGC_WANTTAB;
}

void TInplaceEdit::WndProc(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_SETFOCUS:
    if (FEditCoreControl->HandleAllocated())
      ::SetFocus(FEditCoreControl->Handle());
    break;
  case WM_CHAR:
    Message.Result = SendMessage(FEditCoreControl->Handle(), WM_CHAR, Message.WParam, Message.LParam);
    return;
  case CM_SHOWINGCHANGED: return;
  default: break;
  }
  inherited::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TInplaceEditCoreControl

TInplaceEditCoreControl::TInplaceEditCoreControl(TInplaceEdit* AOwner)
    : TCustomMaskEdit(AOwner), FParentEdit(AOwner)
{
  SetBorderStyle(TBorderStyle::bsNone);
  SetTabStop(false);
}

TCustomGridEh* TInplaceEditCoreControl::Grid() const
{
  return FParentEdit ? FParentEdit->Grid() : nullptr;
}

void TInplaceEditCoreControl::Deselect()
{
  Perform(EM_SETSEL, 0, 0);
}

void TInplaceEditCoreControl::UpdateContents()
{
  TCustomGridEh* G = Grid();
  if (!G)
    return;
  // The mask first, so that the text is laid into it.
  SetEditMask(G->GetEditMask(G->Col(), G->Row()));
  SetText(G->GetEditText(G->Col(), G->Row()));
  SetMaxLength(G->GetEditLimit());
}

bool TInplaceEditCoreControl::EditCanModify()
{
  TCustomGridEh* G = Grid();
  return G ? G->CanEditModify() : true;
}

static bool IsKeyMessage(UINT Msg)
{
  return Msg == WM_KEYDOWN || Msg == WM_KEYUP || Msg == WM_CHAR || Msg == WM_SYSKEYDOWN ||
         Msg == WM_SYSKEYUP || Msg == WM_SYSCHAR;
}

void TInplaceEditCoreControl::WndProc(TMessage& Message)
{
  if (IsKeyMessage(Message.Msg)) {
    FParentEdit->HandleCoreControlKey(Message);
    if (Message.Result != 0)
      return;
  }
  switch (Message.Msg) {
  case WM_SETFOCUS:
    // The grid stays its form's active control while its editor types.
    if (TCustomForm* Form = GetParentForm(this); Form && Grid()) {
      if (!Form->SetFocusedControl(Grid()))
        return;
    }
    DefaultHandler(Message);
    return;
  case WM_LBUTTONDOWN: {
    const Integer Clicked = FParentEdit->ClickTime();
    if (Clicked != 0 && UINT(GetMessageTime() - Clicked) < GetDoubleClickTime())
      Message.Msg = WM_LBUTTONDBLCLK;
    FParentEdit->SetClickTime(0);
    break;
  }
  case WM_CUT:
  case WM_PASTE:
  case WM_CLEAR: {
    if (!FParentEdit->EditCanModify())
      return;
    bool Handled = false;
    if (Message.Msg == WM_CUT)
      Handled = FParentEdit->HandleCut(Message);
    else if (Message.Msg == WM_PASTE)
      Handled = FParentEdit->HandlePaste(Message);
    else
      Handled = FParentEdit->HandleClear(Message);
    if (Handled)
      return;
    break;
  }
  default: break;
  }
  inherited::WndProc(Message);
}

void TInplaceEditCoreControl::Change()
{
  inherited::Change();
  if (TCustomGridEh* G = Grid(); G && Showing())
    G->UpdateText();
  FParentEdit->EditChanged();
}

void TInplaceEditCoreControl::KeyDown(Word& Key, TShiftState Shift)
{
  TCustomGridEh* G = Grid();
  if (!G) {
    inherited::KeyDown(Key, Shift);
    return;
  }
  if (G->EditorKeyToGrid(Key, Shift)) {
    G->GridKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  if (((Key == VK_INSERT && Shift == TShiftState{ssShift}) || Key == VK_DELETE) && !G->CanEditModify())
    Key = 0;
  if (Key == 'A' && Shift == TShiftState{ssCtrl})
    SelectAll();
  if (Key == VK_F2) {
    if (G->OnKeyDown)
      G->OnKeyDown(G, Key, Shift);
    if (Key == VK_F2) {
      Deselect();
      Key = 0;
    }
    return;
  }
  if (Key == 0)
    return;
  if (G->OnKeyDown)
    G->OnKeyDown(G, Key, Shift);
  if (Key != 0)
    inherited::KeyDown(Key, Shift);
}

void TInplaceEditCoreControl::KeyPress(QChar& Key)
{
  TCustomGridEh* G = Grid();
  if (!G) {
    inherited::KeyPress(Key);
    return;
  }
  G->GridKeyPress(Key);
  if (Key > QChar(31) && !G->CanEditAcceptKey(Key)) {
    Key = QChar();
    MessageBeep(0);
  }
  if (Key == QChar('\r')) {
    if (SelStart() == 0 && SelLength() == Integer(Text().size()))
      Deselect();
    else
      SelectAll();
    Key = QChar();
  }
  if (Key == QChar('\t') || Key == QChar(27))
    Key = QChar();
  const bool Modifying = Key == QChar('\b') || Key == QChar(22) || Key == QChar(24) || Key > QChar(31);
  if (Modifying && !G->CanEditModify())
    Key = QChar();
  if (!Key.isNull())
    inherited::KeyPress(Key);
}

void TInplaceEditCoreControl::KeyUp(Word& Key, TShiftState Shift)
{
  if (TCustomGridEh* G = Grid())
    G->GridKeyUp(Key, Shift);
}

bool TInplaceEditCoreControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  TCustomGridEh* G = Grid();
  return G ? G->GridDoMouseWheel(Shift, WheelDelta, MousePos) : false;
}

void TInplaceEditCoreControl::DblClick()
{
  FParentEdit->DblClick();
}

void TInplaceEditCoreControl::WMGetDlgCode(TMessage& Message)
{
  inherited::WMGetDlgCode(Message);
  if (TCustomGridEh* G = Grid(); G && G->Options().Contains(goTabsEh))
    Message.Result |= DLGC_WANTTAB;
}

void TInplaceEditCoreControl::WMKillFocus(TMessage& Message)
{
  inherited::WMKillFocus(Message);
  const HWND To = reinterpret_cast<HWND>(Message.WParam);
  FParentEdit->CoreControlKillFocus(To);
  if (TCustomGridEh* G = Grid())
    G->EditorFocusLeft(To);
}

// ---------------------------------------------------------------------------
// List box items.

void TCustomListboxItemEh::GetDisplayText(TCustomListboxEh* Listbox, Integer Index, String& Text)
{
  Text.clear();
  Listbox->GetItemText(Index, Text);
}

void TCustomListboxItemEh::DrawItem(TCustomListboxEh* Listbox, Integer Index, TRect Rect, TGridDrawState State)
{
  Listbox->DefaultDrawItem(Index, Rect, State);
}

void TPopupListboxItemEh::MouseUpInPopup(TCustomListboxEh* Listbox, Integer Index, bool& IsCloseListbox,
                                         TShiftState, TMouseButton, TPoint)
{
  IsCloseListbox = CloseOnExecute(Listbox, Index);
}

// ---------------------------------------------------------------------------
// TCustomListboxEh

TCustomListboxEh::TCustomListboxEh(TComponent* AOwner) : TCustomGridEh(AOwner)
{
  BeginUpdateBoundaries();
  SetOptions(TGridOptionsEh{goDrawFocusSelectedEh});
  FItems = std::make_unique<TStringList>();
  FItems->OnChange = [this](TObject* Sender) { ItemsChanged(Sender); };
  SetFixedColCount(0);
  SetFixedRowCount(0);
  SetColCount(1);
  SetRowCount(1);
  HorzScrollBar()->SetVisibleMode(sbNeverShowEh);
  SetSizeGripAlwaysShow(true);
  EndUpdateBoundaries();
}

TCustomListboxEh::~TCustomListboxEh() = default;

void TCustomListboxEh::ItemsChanged(TObject*)
{
  if (!FVirtualItems)
    SyncRowCount();
  Invalidate();
}

Integer TCustomListboxEh::Count()
{
  if (FVirtualItems)
    return FVirtualRowCount;
  return GetItems()->Count();
}

void TCustomListboxEh::SetCount(Integer Value)
{
  if (!FVirtualItems)
    throw Exception(QStringLiteral("Can't assign Count when list is not virtual"));
  FVirtualRowCount = std::max(Value, 0);
  SyncRowCount();
}

void TCustomListboxEh::SetItemHeight(Integer Value)
{
  if (Value == FItemHeight)
    return;
  FItemHeight = Value;
  SetDefaultRowHeight(Value);
  SyncRowCount();
}

void TCustomListboxEh::SetItemIndex(Integer Value)
{
  if (Value >= 0) {
    if (FRowSeleced && Value == Row())
      return;
    if (Value >= RowCount())
      return;
    MoveCurrentCell(0, Value, true, true);
    FRowSeleced = true;
    InvalidateIndex(Value);
  } else if (Value == -1 && FRowSeleced) {
    MoveCurrentCell(0, 0, true, true);
    FRowSeleced = false;
    Invalidate();
  }
}

void TCustomListboxEh::SetItemAlignment(TAlignment Value)
{
  if (Value == FItemAlignment)
    return;
  FItemAlignment = Value;
  Invalidate();
}

void TCustomListboxEh::SetUseItemObjects(bool Value)
{
  if (Value == FUseItemObjects)
    return;
  FUseItemObjects = Value;
  Invalidate();
}

void TCustomListboxEh::SetVirtualItems(bool Value)
{
  if (Value == FVirtualItems)
    return;
  FVirtualItems = Value;
  SyncRowCount();
}

Integer TCustomListboxEh::ItemAtPos(TPoint Pos, bool)
{
  const TGridCoord Cell = MouseCoord(Pos.X, Pos.Y);
  return Cell.Y >= 0 && Cell.Y < RowCount() ? Cell.Y : -1;
}

Integer TCustomListboxEh::StrictIndexToClient(TPoint Pos)
{
  if (Pos.X < 0 || Pos.X >= ClientWidth())
    Pos.X = 0;
  if (Pos.Y < 0)
    return TopRow();
  if (Pos.Y >= VertAxis()->GridClientStop())
    return ItemAtPos(TPoint(Pos.X, VertAxis()->GridClientStop() - 1), true);
  return ItemAtPos(Pos, true);
}

void TCustomListboxEh::InvalidateIndex(Integer AItemIndex)
{
  if (AItemIndex < 0 || AItemIndex >= RowCount())
    return;
  InvalidateCell(0, AItemIndex);
}

void TCustomListboxEh::SyncRowCount()
{
  BeginUpdateBoundaries();
  ScopeExit Done([this] { EndUpdateBoundaries(); });
  SetRowCount(std::max(Count(), 1));
  for (Integer R = 0; R < RowCount(); ++R)
    SetRowHeights(R, DefaultRowHeight());
}

TCustomListboxItemEh* TCustomListboxEh::ItemObject(Integer Index)
{
  if (!FUseItemObjects || Index < 0 || Index >= GetItems()->Count())
    return nullptr;
  return dynamic_cast<TCustomListboxItemEh*>(GetItems()->Objects(Index));
}

void TCustomListboxEh::GetItemText(Integer Index, String& Text)
{
  TStrings* S = GetItems();
  Text = Index >= 0 && Index < S->Count() ? S->Strings(Index) : String();
}

void TCustomListboxEh::GetItemDisplayText(Integer Index, String& Text)
{
  if (TCustomListboxItemEh* Item = ItemObject(Index))
    Item->GetDisplayText(this, Index, Text);
  else
    GetItemText(Index, Text);
}

void TCustomListboxEh::SetItems(TStrings* Value)
{
  GetItems()->Assign(Value);
}

void TCustomListboxEh::DrawItem(Integer Index, TRect Rect, TGridDrawState State)
{
  if (TCustomListboxItemEh* Item = ItemObject(Index))
    Item->DrawItem(this, Index, Rect, State);
  else
    DefaultDrawItem(Index, Rect, State);
}

void TCustomListboxEh::DrawCell(Integer, Integer ARow, TRect ARect, TGridDrawState State)
{
  if (Count() == 0) {
    Canvas()->Brush()->SetColor(ColorToRGB(Color()));
    Canvas()->FillRect(ARect);
    return;
  }
  if (!FRowSeleced)
    State = State - TGridDrawState{gdSelected, gdFocused, gdFixed};
  DrawItem(ARow, ARect, State);
}

void TCustomListboxEh::DefaultDrawItem(Integer Index, TRect ARect, TGridDrawState State)
{
  TCanvas* C = Canvas();
  const bool Classic = SelectionDrawParams()->GetActualSelectionStyle() == gsdsClassicEh;
  const bool Selected = State.Contains(gdSelected);
  C->Font()->Assign(Font());
  C->Brush()->SetStyle(bsSolid);
  if (Classic && (Index == ItemIndex() || Selected) && (!FImageList || Selected)) {
    C->Font()->SetColor(ColorToRGB(clHighlightText));
    C->Brush()->SetColor(ColorToRGB(clHighlight));
  } else {
    C->Font()->SetColor(ColorToRGB(Font()->Color()));
    C->Brush()->SetColor(ColorToRGB(Color()));
  }
  String Text;
  if (!FImageList) {
    GetItemDisplayText(Index, Text);
    C->FillRect(ARect);
    if (!Classic)
      DrawCellThemedSelection(0, Index, State, ARect);
    DrawCellTextEh(C, ARect, false, 2, 0, Text, FItemAlignment, tlTop, false, false, 0, 0,
                   UseRightToLeftAlignment(), true);
    return;
  }
  const Integer ImageColumn = FImageList->Width() + 4;
  TRect ImageRect = ARect;
  TRect TextRect = ARect;
  if (UseRightToLeftAlignment()) {
    ImageRect.Left = ARect.Right - ImageColumn;
    TextRect.Right = ImageRect.Left;
  } else {
    ImageRect.Right = ARect.Left + ImageColumn;
    TextRect.Left = ImageRect.Right;
  }
  Integer ImageIndex = Index;
  if (OnGetImageIndex)
    OnGetImageIndex(Owner() ? static_cast<TObject*>(Owner()) : this, Index, ImageIndex);
  const TColor TextBrush = C->Brush()->Color();
  C->Brush()->SetColor(ColorToRGB(Color()));
  C->FillRect(ImageRect);
  C->Brush()->SetColor(TextBrush);
  C->FillRect(TextRect);
  if (Selected && !Classic)
    DrawCellThemedSelection(0, Index, State, TextRect);
  FImageList->Draw(C, ImageRect.Left + (ImageColumn - FImageList->Width()) / 2,
                   ImageRect.Top + (ImageRect.Height() - FImageList->Height()) / 2, ImageIndex, true);
  if (Index < GetItems()->Count()) {
    GetItemDisplayText(Index, Text);
    DrawCellTextEh(C, TextRect, false, 2, 0, Text, FItemAlignment, tlTop, false, false, 0, 0,
                   UseRightToLeftAlignment(), true);
  }
}

Integer TCustomListboxEh::GetTextHeight()
{
  TCanvas* C = HandleAllocated() ? Canvas() : ScreenCanvasEh();
  C->Font()->Assign(Font());
  TEXTMETRIC TM;
  GetTextMetrics(C->Handle(), TM);
  return TM.tmHeight + TM.tmExternalLeading + TM.tmInternalLeading;
}

void TCustomListboxEh::FocusCell(Integer ACol, Integer ARow, bool MoveAnchor)
{
  inherited::FocusCell(ACol, ARow, MoveAnchor);
  FRowSeleced = true;
}

void TCustomListboxEh::KeyDown(Word& Key, TShiftState Shift)
{
  const bool Plain = !Shift.Contains(ssShift) && !Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl);
  if (Key == VK_DOWN && Plain && !FRowSeleced && Count() > 0) {
    SetItemIndex(0);
    return;
  }
  inherited::KeyDown(Key, Shift);
}

void TCustomListboxEh::KeyPress(QChar& Key)
{
  if (FRowSeleced)
    if (TCustomListboxItemEh* Item = ItemObject(ItemIndex()))
      Item->KeyPress(this, ItemIndex(), Key, GetShiftState());
  inherited::KeyPress(Key);
}

static TPoint InItemPos(TCustomListboxEh* List, Integer Index, TPoint P)
{
  const TRect R = List->CalcCellRect(0, Index, true);
  return TPoint(P.X - R.Left, P.Y - R.Top);
}

void TCustomListboxEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseDown(Button, Shift, X, Y);
  const Integer Index = ItemAtPos(TPoint(X, Y), true);
  // The grid moved its current row there: a pressed item is the selected one.
  if (Button == mbLeft && Index >= 0 && Index < Count() && Index == Row() && !FRowSeleced) {
    FRowSeleced = true;
    InvalidateIndex(Index);
  }
  if (TCustomListboxItemEh* Item = ItemObject(Index))
    Item->MouseDown(this, Index, Button, Shift, InItemPos(this, Index, TPoint(X, Y)));
}

void TCustomListboxEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseMove(Shift, X, Y);
  const Integer Index = ItemAtPos(TPoint(X, Y), true);
  if (TCustomListboxItemEh* Item = ItemObject(Index))
    Item->MouseMove(this, Index, Shift, InItemPos(this, Index, TPoint(X, Y)));
}

Integer TCustomListboxEh::MouseItem(TPoint Pos)
{
  const Integer Index = ItemAtPos(Pos, true);
  return Index >= 0 ? Index : StrictIndexToClient(Pos);
}

void TCustomListboxEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  const Integer Index = MouseItem(TPoint(X, Y));
  if (TCustomListboxItemEh* Item = ItemObject(Index))
    Item->MouseUp(this, Index, Button, Shift, InItemPos(this, Index, TPoint(X, Y)));
  inherited::MouseUp(Button, Shift, X, Y);
}

void TCustomListboxEh::Resize()
{
  inherited::Resize();
  SetColWidths(0, HandleAllocated() ? GridClientWidth() : Width() - 1);
}

// ---------------------------------------------------------------------------
// The popup lists.

// Hot tracking shared by both popup lists: the selection follows the mouse.
template <class List>
static void PopupListMouseMove(List* L, TPopupListboxStateEh& S, TShiftState Shift, TPoint P)
{
  const Integer Item = L->ItemAtPos(P, true) >= 0 ? L->ItemAtPos(P, true) : L->StrictIndexToClient(P);
  if (P != S.FMousePos) {
    if (Item >= 0)
      L->SetItemIndex(Item);
    const bool ButtonHeld = Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle);
    if (!ButtonHeld && Item != S.FMouseIndex) {
      if (S.FMouseIndex >= 0 && S.FMouseIndex < L->Items()->Count())
        L->InvalidateIndex(S.FMouseIndex);
      S.FMouseIndex = Item;
      L->InvalidateIndex(Item);
    }
  }
  S.FMousePos = P;
}

// The release decides whether the owner closes the popup; an item object
// may keep it open.
template <class List>
static bool PopupListMouseUp(List* L, TPopupListboxStateEh& S, TMouseButton Button, TShiftState Shift, TPoint P)
{
  S.FIsMouseUpCloseListbox = true;
  const Integer Item = L->ItemAtPos(P, true) >= 0 ? L->ItemAtPos(P, true) : L->StrictIndexToClient(P);
  auto* PopupItem = dynamic_cast<TPopupListboxItemEh*>(L->ItemObject(Item));
  if (!PopupItem)
    return false;
  PopupItem->MouseUpInPopup(L, Item, S.FIsMouseUpCloseListbox, Shift, Button, P);
  L->CancelMode();
  if (L->OnMouseUp)
    L->OnMouseUp(L, Button, Shift, P.X, P.Y);
  return true;
}

TPopupListboxEh::TPopupListboxEh(TComponent* AOwner) : TCustomListboxEh(AOwner)
{
  SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
  OnDataObject = [this](TWinControl* Control, Integer Index, TObject*& DataObject) {
    GetDataObject(Control, Index, DataObject);
  };
  SetParentShowHint(false);
  SetShowHint(true);
}

Integer TPopupListboxEh::GetBorderSize()
{
  if (HandleAllocated())
    return Height() - ClientHeight();
  return 2 * FBorderWidth;
}

void TPopupListboxEh::SetRowCount(Integer Value)
{
  SetHeight(std::max(Value, 1) * ItemHeight() + GetBorderSize());
}

void TPopupListboxEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  const Integer B = GetBorderSize();
  Integer H = ItemHeight();
  if (H == 0)
    H = GetTextHeight();
  const Integer Rows = H > 0 ? std::max((AHeight - B) / H, 1) : 1;
  FRowCount = Rows;
  inherited::SetBounds(ALeft, ATop, AWidth, B + Rows * std::max(H, 0));
}

void TPopupListboxEh::Show()
{
  SetBounds(Left(), Top(), Width(), Height());
  BringToFront();
  SetVisible(true);
}

void TPopupListboxEh::SetExtItems(TStrings* Value)
{
  if (Value == FExtItems)
    return;
  FExtItems = Value;
  SetVirtualItems(Value != nullptr);
}

TStrings* TPopupListboxEh::GetItems()
{
  return FExtItems ? FExtItems : inherited::GetItems();
}

void TPopupListboxEh::SetItems(TStrings* Value)
{
  GetItems()->Assign(Value);
}

void TPopupListboxEh::GetItemText(Integer Index, String& Text)
{
  inherited::GetItemText(Index, Text);
}

void TPopupListboxEh::GetDataObject(TWinControl*, Integer Index, TObject*& DataObject)
{
  DataObject = FExtItems && Index >= 0 && Index < FExtItems->Count() ? FExtItems->Objects(Index) : nullptr;
}

void TPopupListboxEh::WndProc(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_HINTSHOW: Message.Result = 1; return;
  case CM_MOUSEENTER:
  case CM_MOUSELEAVE:
    InvalidateIndex(ItemIndex());
    break;
  case WM_SIZE:
    if (!FInternalResizing) {
      FResizedRowCount = FRowCount;
      FResizedWidth = Width();
      FSizeGripResized = true;
    }
    break;
  case WM_USER + 100: {
    // The grip moves to the corner away from the edge the popup hangs from.
    TSizeGripPosition P = SizeGripPostion();
    switch (Message.WParam) {
    case 0:
      if (P == sgpTopRight) P = sgpTopLeft;
      else if (P == sgpBottomRight) P = sgpBottomLeft;
      break;
    case 1:
      if (P == sgpTopLeft) P = sgpTopRight;
      else if (P == sgpBottomLeft) P = sgpBottomRight;
      break;
    case 2:
      if (P == sgpBottomRight) P = sgpTopRight;
      else if (P == sgpBottomLeft) P = sgpTopLeft;
      break;
    case 3:
      if (P == sgpTopRight) P = sgpBottomRight;
      else if (P == sgpTopLeft) P = sgpBottomLeft;
      break;
    default: break;
    }
    SetSizeGripPostion(P);
    return;
  }
  default: break;
  }
  inherited::WndProc(Message);
}

void TPopupListboxEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  FIsMouseUpCloseListbox = true;
  inherited::MouseDown(Button, Shift, X, Y);
}

void TPopupListboxEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseMove(Shift, X, Y);
  PopupListMouseMove(this, *this, Shift, TPoint(X, Y));
}

void TPopupListboxEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (!PopupListMouseUp(this, *this, Button, Shift, TPoint(X, Y)))
    inherited::MouseUp(Button, Shift, X, Y);
}

bool TPopupListboxEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  if (!inherited::DoMouseWheelDown(Shift, MousePos))
    SafeSetTopRow(TopRow() + 1);
  return true;
}

bool TPopupListboxEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  if (!inherited::DoMouseWheelUp(Shift, MousePos))
    SafeSetTopRow(std::max(TopRow() - 1, 0));
  return true;
}

TPopupListboxGridEh::TPopupListboxGridEh(TComponent* AOwner) : TCustomListboxEh(AOwner)
{
  OnDataObject = [this](TWinControl* Control, Integer Index, TObject*& DataObject) {
    GetDataObject(Control, Index, DataObject);
  };
  SetBorderStyle(TBorderStyle::bsSingle);
}

Integer TPopupListboxGridEh::GetBorderSize()
{
  if (HandleAllocated())
    return Height() - ClientHeight();
  return 0;
}

void TPopupListboxGridEh::SetExtItems(TStrings* Value)
{
  if (Value == FExtItems)
    return;
  FExtItems = Value;
  SetVirtualItems(Value != nullptr);
}

TStrings* TPopupListboxGridEh::GetItems()
{
  return FExtItems ? FExtItems : inherited::GetItems();
}

void TPopupListboxGridEh::SetItems(TStrings* Value)
{
  GetItems()->Assign(Value);
}

void TPopupListboxGridEh::GetItemText(Integer Index, String& Text)
{
  inherited::GetItemText(Index, Text);
}

void TPopupListboxGridEh::GetDataObject(TWinControl*, Integer Index, TObject*& DataObject)
{
  DataObject = FExtItems && Index >= 0 && Index < FExtItems->Count() ? FExtItems->Objects(Index) : nullptr;
}

void TPopupListboxGridEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  FIsMouseUpCloseListbox = true;
  inherited::MouseDown(Button, Shift, X, Y);
}

void TPopupListboxGridEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseMove(Shift, X, Y);
  PopupListMouseMove(this, *this, Shift, TPoint(X, Y));
}

void TPopupListboxGridEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (!PopupListMouseUp(this, *this, Button, Shift, TPoint(X, Y)))
    inherited::MouseUp(Button, Shift, X, Y);
}

TPopupListboxFormEh::TPopupListboxFormEh(TComponent* AOwner) : TPopupInactiveFormEh(AOwner)
{
  SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
  FListGrid = new TPopupListboxGridEh(this);
  FListGrid->SetParent(this);
  FListGrid->SetAlign(alClient);
  FListGrid->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    ListGridMouseUp(Sender, Button, Shift, X, Y);
  };
  SetMasterActionsControl(FListGrid);
}

void TPopupListboxFormEh::ListGridMouseUp(TObject*, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (OnMouseUp)
    OnMouseUp(this, Button, Shift, X, Y);
}

void TPopupListboxFormEh::HandleNeeded()
{
  TPopupInactiveFormEh::HandleNeeded();
  FListGrid->HandleNeeded();
}

void TPopupListboxFormEh::SetRowCount(Integer Value)
{
  SetHeight(std::max(Value, 1) * ItemHeight() + FListGrid->GetBorderSize());
}

void TPopupListboxFormEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  if (!FListGrid) {
    inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
    return;
  }
  const Integer B = FListGrid->GetBorderSize() + 2 * BorderWidth();
  Integer H = ItemHeight();
  if (H == 0)
    H = GetTextHeight();
  const Integer Rows = H > 0 ? std::max((AHeight - B) / H, 1) : 1;
  FRowCount = Rows;
  inherited::SetBounds(ALeft, ATop, AWidth, B + Rows * std::max(H, 0));
  if (!FInternalResizing && FSizeGripResized) {
    FResizedRowCount = Rows;
    FResizedWidth = AWidth;
  }
}

void TPopupListboxFormEh::WndProc(TMessage& Message)
{
  if (Message.Msg == CM_MOUSEWHEEL) {
    inherited::WndProc(Message);
    if (Message.Result == 0)
      Message.Result = FListGrid->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
    return;
  }
  inherited::WndProc(Message);
}

bool TPopupListboxFormEh::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (inherited::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  return FListGrid->GridDoMouseWheel(Shift, WheelDelta, MousePos);
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
