// GridsEh.h: the base grid of the library: its axis model, its parameter
// objects and TCustomGridEh, which lays out and paints cells over any cell
// source. Descendants replace DrawCell and keep the frame.
#pragma once

#include "gridlib/foundation/GridPlatformEh.h"
#include "gridlib/foundation/GridToolCtrlsEh.h"
#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/gui/ExtCtrls.h"

#include "platform/gui/Mask.h"

#include <memory>
#include <vector>

class TCustomGridEh;
class TGridAxisDataEh;
class TInplaceEdit;

VELMORA_EXCEPTION(EInvalidGridOperationEh, Exception)

// ---------------------------------------------------------------------------
// Cell addresses.

struct TGridCoord {
  Integer X = -1;
  Integer Y = -1;
  constexpr TGridCoord() = default;
  constexpr TGridCoord(Integer AX, Integer AY) : X(AX), Y(AY) {}
  constexpr bool operator==(const TGridCoord&) const = default;
};

struct TGridRect {
  Integer Left = 0;
  Integer Top = 0;
  Integer Right = 0;
  Integer Bottom = 0;
  constexpr TGridRect() = default;
  constexpr TGridRect(Integer L, Integer T, Integer R, Integer B) : Left(L), Top(T), Right(R), Bottom(B) {}
  constexpr bool operator==(const TGridRect&) const = default;
  constexpr TGridCoord TopLeft() const { return {Left, Top}; }
  constexpr TGridCoord BottomRight() const { return {Right, Bottom}; }
};

enum TGridOptionEh {
  goFixedVertLineEh, goFixedHorzLineEh, goVertLineEh, goHorzLineEh, goDrawFocusSelectedEh,
  goRowSizingEh, goColSizingEh, goRowMovingEh, goColMovingEh, goEditingEh, goTabsEh,
  goRowSelectEh, goAlwaysShowEditorEh, goThumbTrackingEh, goExtendVertLinesEh,
  goContraVertBoundaryLineEh, goContraHorzBoundaryLineEh, goRangeSelectEh
};
using TGridOptionsEh = TSet<TGridOptionEh>;

enum TGridStateEh {
  gsNormalEh, gsSelectingEh, gsRowSizingEh, gsColSizingEh, gsRowMovingEh, gsColMovingEh
};

enum TGridDrawStateItem { gdSelected, gdFocused, gdCurrent, gdFixed, gdRowSelected, gdHotTrack, gdPressed };
using TGridDrawState = TSet<TGridDrawStateItem>;

enum TGridCellBorderTypeEh { cbtTopEh, cbtLeftEh, cbtBottomEh, cbtRightEh };
using TGridCellBorderTypesEh = TSet<TGridCellBorderTypeEh>;

enum TScrollStepTypeEh { sstByPixelEh, sstByCellEh };

TGridCoord GridCoordEh(Integer ACol, Integer ARow);
TGridRect GridRectFromCoordsEh(TGridCoord C1, TGridCoord C2);
bool PointInGridRectEh(Integer ACol, Integer ARow, const TGridRect& Rect);
bool AxisCelLensEqualEh(TGridAxisDataEh* Axis1, TGridAxisDataEh* Axis2);

// The integer-array routines the axes grow, shrink and permute their lengths with.
void ArrayFillRangeEh(TIntegerDynArray& Extents, Integer StartIndex, Integer Count, Integer Value);
void ArrayMoveItemEh(TIntegerDynArray& Extents, Integer FromIndex, Integer ToIndex);
void ArrayInsertRange(TIntegerDynArray& Extents, Integer StartIndex, Integer Amount);
void ArrayDeleteRange(TIntegerDynArray& Extents, Integer StartIndex, Integer Amount);
// The last of Count cells whose start is at or before Pos, and the offset
// into it (a binary search over ascending start positions).
void FindCelAtPosEh(const Int64* Positions, Integer Count, Int64 Pos, Integer& ACel, Integer& AOffset);

// ---------------------------------------------------------------------------
// One axis of a grid: fixed (the last FrozenCelCount of them frozen),
// rolling and contra cells. Rolling positions are 64-bit.

class TGridAxisDataEh : public TPersistent {
  VELMORA_CLASS(TGridAxisDataEh)
  using inherited = TPersistent;
public:
  explicit TGridAxisDataEh(TCustomGridEh* AGrid);

  TCustomGridEh* Grid() const { return FGrid; }

  Integer FixedCelCount() const { return FFixedCelCount; }
  void SetFixedCelCount(Integer Value);
  Integer FrozenCelCount() const { return FFrozenCelCount; }
  void SetFrozenCelCount(Integer Value);
  Integer RolCelCount() const { return FRolCelCount; }
  void SetRolCelCount(Integer Value);
  Integer ContraCelCount() const { return FContraCelCount; }
  void SetContraCelCount(Integer Value);
  Integer CelCount() const { return FFixedCelCount + FRolCelCount; }
  Integer FullCelCount() const { return CelCount() + FContraCelCount; }

  Integer WinClientBoundSta() const { return FWinClientBoundSta; }
  Integer WinClientBoundSto() const { return FWinClientBoundSto; }
  Integer GridClientStart();
  Integer GridClientStop();
  Integer GridClientLen();
  Integer FixedBoundary() const { return FFixedBoundary; }
  Integer ContraStart() const { return FContraStart; }
  Integer ContraLen() const { return FContraLen; }
  Integer FrozenLen() const { return FFrozenLen; }
  Integer RolClientLen() const { return std::max(FContraStart - FFixedBoundary, 0); }

  Int64 RolStartVisPos() const { return FRolStartVisPos; }
  void SetRolStartVisPos(Int64 Value);
  Int64 RolStopVisPos() { return RolLen() + FRolStartVisPos; }
  Int64 RolLen();
  Integer RolInClientBoundary();
  bool InEndOfRol();
  Integer RolStartVisCel() const { return FRolStartVisCel; }
  Integer RolStartVisCelOfst() const { return FRolStartVisCelOfst; }
  Integer RolLastVisCel();
  Integer RolLastFullVisCel();
  Integer StartVisCel() const { return FRolStartVisCel + FFixedCelCount; }

  Integer DefaultCelLen() const { return FDefaultCelLen; }
  void SetDefaultCelLen(Integer Value) { FDefaultCelLen = Value; }
  Integer FixedCelLens(Integer Index) const { return FFixedCelLens[std::size_t(Index)]; }
  void SetFixedCelLens(Integer Index, Integer Value);
  Integer RolCelLens(Integer Index) const { return FRolCelLens[std::size_t(Index)]; }
  void SetRolCelLens(Integer Index, Integer Value);
  Integer ContraCelLens(Integer Index) const { return FContraCelLens[std::size_t(Index)]; }
  void SetContraCelLens(Integer Index, Integer Value);
  Integer CelLens(Integer Index) const;
  void SetCelLens(Integer Index, Integer Value);
  Int64 RolLocCelPosArr(Integer Index);
  void SetRolLocCelPosArr(Integer Index, Int64 Value) { FRolLocCelPosArr[std::size_t(Index)] = Value; }
  bool RolLocCelPosArrObsolete() const { return FRolLocCelPosArrObsolete; }

  void CheckUpdateAxises();
  void CheckUpdateRolCelPosArr();
  Integer GetFixedCelPos(Integer Index) const;
  void MoveCel(Integer FromIndex, Integer ToIndex);
  Integer GetScrollStep() const;
  void UpdateVisCells();
  Integer RightToLeftReflect(Integer APos) const;
  void SwapRightToLeftPoses(Integer& Pos1, Integer& Pos2) const;
  Int64 CheckRolStartVisPos(Int64 ARolStartVisPos);
  void SafeSetRolStartVisCel(Integer NewStartCell, TScrollStepTypeEh ScrollStepType);
  Integer CalcMaxStartCellFor(Integer RolFinishCell);
  void RolCellAtPos(Int64 Pos, Integer& ACel, Integer& ACelOffset);
  // Removes Count rolling cells from StartIndex (rolling-local).
  void DeleteRolCels(Integer StartIndex, Integer Count);

private:
  friend class TCustomGridEh;
  void RebuildRolCelPosArr();
  void UpdateLastVisCells();
  void RolCelCountChanged();

  Integer FContraCelCount = 0;
  TIntegerDynArray FContraCelLens;
  Integer FContraLen = 0;
  Integer FContraStart = 0;
  Integer FDefaultCelLen = 0;
  Integer FFixedBoundary = 0;
  Integer FFixedCelCount = 0;
  TIntegerDynArray FFixedCelLens;
  Integer FFrozenCelCount = 0;
  Integer FFrozenLen = 0;
  TCustomGridEh* FGrid = nullptr;
  Integer FGridClientStart = 0;
  Integer FGridClientStop = 0;
  Integer FRolCelCount = 0;
  TIntegerDynArray FRolCelLens;
  Integer FRolLastFullVisCel = -1;
  Integer FRolLastVisCel = -1;
  TInt64DynArray FRolLocCelPosArr;
  bool FRolLocCelPosArrObsolete = false;
  Integer FRolStartVisCel = 0;
  Integer FRolStartVisCelOfst = 0;
  Int64 FRolStartVisPos = 0;
  Integer FWinClientBoundSta = 0;
  Integer FWinClientBoundSto = 0;
};

// ---------------------------------------------------------------------------
// Parameter objects of the grid.

// Line colours; clDefault derives a colour from the grid and the style.
class TGridLineColorsEh : public TPersistent {
  VELMORA_CLASS(TGridLineColorsEh)
  using inherited = TPersistent;
public:
  explicit TGridLineColorsEh(TCustomGridEh* AGrid) : FGrid(AGrid) {}
  // Copies the colours of another instance.
  void Assign(TPersistent* Source) override;

  TCustomGridEh* Grid() const { return FGrid; }
  TColor DarkColor() const { return FDarkColor; }
  void SetDarkColor(TColor Value) { SetColorField(FDarkColor, Value); }
  TColor BrightColor() const { return FBrightColor; }
  void SetBrightColor(TColor Value) { SetColorField(FBrightColor, Value); }
  void SetDataHorzColor(TColor Value) { SetColorField(FDataHorzColor, Value); }
  void SetDataVertColor(TColor Value) { SetColorField(FDataVertColor, Value); }
  void SetFixedHorzColor(TColor Value) { SetColorField(FFixedHorzColor, Value); }
  void SetFixedVertColor(TColor Value) { SetColorField(FFixedVertColor, Value); }
  void SetVertAreaFrozenBorderColor(TColor Value) { SetColorField(FVertAreaFrozenBorderColor, Value); }
  void SetHorzAreaFrozenBorderColor(TColor Value) { SetColorField(FHorzAreaFrozenBorderColor, Value); }
  void SetVertAreaContraBorderColor(TColor Value) { SetColorField(FVertAreaContraBorderColor, Value); }
  void SetHorzAreaContraBorderColor(TColor Value) { SetColorField(FHorzAreaContraBorderColor, Value); }

  virtual TColor GetCellLineColor(Integer ACol, Integer ARow);
  virtual TColor GetDataHorzColor();
  virtual TColor GetDataVertColor();
  virtual TColor GetRowFrozenLineColor(Integer ARow);
  virtual TColor GetHorzAreaFrozenBorderColor();
  virtual TColor GetHorzAreaFrozenHorzColor();
  virtual TColor GetHorzAreaFrozenVertColor();
  virtual TColor GetColLineColor(Integer ACol);
  virtual TColor GetColFrozenLineColor(Integer ACol);
  virtual TColor GetRowLineColor(Integer ARow);
  virtual TColor GetVertAreaFrozenBorderColor();
  virtual TColor GetVertAreaFrozenHorzColor();
  virtual TColor GetVertAreaFrozenVertColor();
  virtual TColor GetDarkColor();
  virtual TColor GetBrightColor();
  virtual TColor GetFixedVertColor();
  virtual TColor GetFixedHorzColor();
  virtual TColor GetVertAreaContraVertColor();
  virtual TColor GetVertAreaContraHorzColor();
  virtual TColor GetHorzAreaContraVertColor();
  virtual TColor GetHorzAreaContraHorzColor();
  virtual TColor GetVertAreaContraBorderColor();
  virtual TColor GetHorzAreaContraBorderColor();

protected:
  void SetColorField(TColor& Field, TColor Value);

  TColor FBrightColor = clDefault;
  TColor FDarkColor = clDefault;
  TColor FDataHorzColor = clDefault;
  TColor FDataVertColor = clDefault;
  TColor FFixedHorzColor = clDefault;
  TColor FFixedVertColor = clDefault;
  TCustomGridEh* FGrid;
  TColor FHorzAreaContraBorderColor = clDefault;
  TColor FHorzAreaContraHorzColor = clDefault;
  TColor FHorzAreaContraVertColor = clDefault;
  TColor FHorzAreaFrozenBorderColor = clDefault;
  TColor FHorzAreaFrozenHorzColor = clDefault;
  TColor FHorzAreaFrozenVertColor = clDefault;
  TColor FVertAreaContraBorderColor = clDefault;
  TColor FVertAreaContraHorzColor = clDefault;
  TColor FVertAreaContraVertColor = clDefault;
  TColor FVertAreaFrozenBorderColor = clDefault;
  TColor FVertAreaFrozenHorzColor = clDefault;
  TColor FVertAreaFrozenVertColor = clDefault;
};

enum TCornerDrawPriorityEh { crpHorizontalDataPriorityEh, crpVerticalDataPriorityEh };

// Indents around the cell area; the strips they leave are the grid's to paint.
class TGridOutBoundaryDataEh : public TPersistent {
  VELMORA_CLASS(TGridOutBoundaryDataEh)
  using inherited = TPersistent;
public:
  explicit TGridOutBoundaryDataEh(TCustomGridEh* AGrid) : FGrid(AGrid) {}

  Integer BottomIndent() const { return FBottomIndent; }
  void SetBottomIndent(Integer Value) { SetIndent(FBottomIndent, Value); }
  Integer LeftIndent() const { return FLeftIndent; }
  void SetLeftIndent(Integer Value) { SetIndent(FLeftIndent, Value); }
  Integer RightIndent() const { return FRightIndent; }
  void SetRightIndent(Integer Value) { SetIndent(FRightIndent, Value); }
  Integer TopIndent() const { return FTopIndent; }
  void SetTopIndent(Integer Value) { SetIndent(FTopIndent, Value); }
  TCornerDrawPriorityEh LeftTopDrawPriority() const { return FLeftTopDrawPriority; }
  void SetLeftTopDrawPriority(TCornerDrawPriorityEh Value);
  TCornerDrawPriorityEh RightTopDrawPriority() const { return FRightTopDrawPriority; }
  void SetRightTopDrawPriority(TCornerDrawPriorityEh Value);
  TCornerDrawPriorityEh RightBottomDrawPriority() const { return FRightBottomDrawPriority; }
  void SetRightBottomDrawPriority(TCornerDrawPriorityEh Value);
  TCornerDrawPriorityEh LeftBottomDrawPriority() const { return FLeftBottomDrawPriority; }
  // Takes effect with the next layout pass.
  void SetLeftBottomDrawPriority(TCornerDrawPriorityEh Value) { FLeftBottomDrawPriority = Value; }

  bool GetOutBoundaryRect(TRect& ARect, TGridCellBorderTypeEh OutBoundaryType);
  void InvalidateOutBoundary(TGridCellBorderTypeEh OutBoundaryType);

private:
  void SetIndent(Integer& Field, Integer Value);
  void SetPriority(TCornerDrawPriorityEh& Field, TCornerDrawPriorityEh Value);

  Integer FBottomIndent = 0;
  TCustomGridEh* FGrid;
  TCornerDrawPriorityEh FLeftBottomDrawPriority = crpHorizontalDataPriorityEh;
  Integer FLeftIndent = 0;
  TCornerDrawPriorityEh FLeftTopDrawPriority = crpHorizontalDataPriorityEh;
  TCornerDrawPriorityEh FRightBottomDrawPriority = crpHorizontalDataPriorityEh;
  Integer FRightIndent = 0;
  TCornerDrawPriorityEh FRightTopDrawPriority = crpHorizontalDataPriorityEh;
  Integer FTopIndent = 0;
};

class TGridHotTrackSpotEh : public TPersistent {
  VELMORA_CLASS(TGridHotTrackSpotEh)
  using inherited = TPersistent;
public:
  TGridHotTrackSpotEh() = default;
  void Assign(TPersistent* Source) override;
  Integer Col() const { return FCol; }
  void SetCol(Integer Value) { FCol = Value; }
  Integer InCellX() const { return FInCellX; }
  void SetInCellX(Integer Value) { FInCellX = Value; }
  Integer InCellY() const { return FInCellY; }
  void SetInCellY(Integer Value) { FInCellY = Value; }
  Integer Row() const { return FRow; }
  void SetRow(Integer Value) { FRow = Value; }
private:
  Integer FCol = -1;
  Integer FInCellX = 0;
  Integer FInCellY = 0;
  Integer FRow = -1;
};

enum TImagePlacementEh {
  ipTopLeftEh, ipTopCenterEh, ipTopRightEh, ipCenterLeftEh, ipCenterCenterEh, ipCenterRightEh,
  ipBottomLeftEh, ipBottomCenterEh, ipBottomRightEh, ipFillEh, ipReduceFitEh, ipFitEh,
  ipStretchEh, ipTileEh
};

// The picture painted behind the cells.
class TGridBackgroundDataEh : public TPersistent {
  VELMORA_CLASS(TGridBackgroundDataEh)
  using inherited = TPersistent;
public:
  explicit TGridBackgroundDataEh(TCustomGridEh* AGrid);
  ~TGridBackgroundDataEh() override;

  TCustomGridEh* Grid() const { return FGrid; }
  Integer HorzMargin() const { return FImageHorzMargin; }
  void SetHorzMargin(Integer Value);
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  TImagePlacementEh Placement() const { return FImagePlacement; }
  void SetPlacement(TImagePlacementEh Value);
  Integer VertMargin() const { return FImageVertMargin; }
  void SetVertMargin(Integer Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);

  virtual bool Showing() { return FVisible; }
  virtual TRect BoundRect();
  virtual void PaintBackgroundData();
  void CalcImageRect(TRect& ARect);

private:
  void PictureChanged(TObject* Sender);

  TCustomGridEh* FGrid;
  Integer FImageHorzMargin = 0;
  TImagePlacementEh FImagePlacement = ipCenterCenterEh;
  Integer FImageVertMargin = 0;
  std::unique_ptr<TPicture> FPicture;
  bool FVisible = false;
};

enum TGridSelectionDrawStyleEh { gsdsDefaultEh, gsdsClassicEh, gsdsGridThemedEh, gsdsListViewThemedEh };

// The library-wide drawing style every grid listens to.
class TGridDrawStyleEh : public TComponent {
  VELMORA_CLASS(TGridDrawStyleEh)
  using inherited = TComponent;
public:
  explicit TGridDrawStyleEh(TComponent* AOwner);
  ~TGridDrawStyleEh() override;

  TGridSelectionDrawStyleEh SelectionStyle() const { return FSelectionStyle; }
  void SetSelectionStyle(TGridSelectionDrawStyleEh Value);
  bool DrawFocusFrame();
  void SetDrawFocusFrame(bool Value);
  bool DrawFocusFrameStored() const { return FDrawFocusFrameStored; }
  void SetDrawFocusFrameStored(bool Value);

  void Changed();
  void AddChangeNotification(TCustomGridEh* Grid);
  void RemoveChangeNotification(TCustomGridEh* Grid);
  bool GridInChangeNotification(TCustomGridEh* Grid) const;
  TGridSelectionDrawStyleEh GetActualSelectionStyle();
  bool IsCustomStyleActive() const { return CustomStyleActiveEh(); }

  virtual bool DefaultDrawFocusFrame();
  virtual TGridSelectionDrawStyleEh GetDefaultActualSelectionStyle();

private:
  bool FDrawFocusFrame = false;
  bool FDrawFocusFrameStored = false;
  TObjectListEh FGrids;
  TGridSelectionDrawStyleEh FSelectionStyle = gsdsDefaultEh;
};

TGridDrawStyleEh* GridDefaultDrawStyleEh();

class TGridSelectionDrawParamsEh : public TPersistent {
  VELMORA_CLASS(TGridSelectionDrawParamsEh)
  using inherited = TPersistent;
public:
  explicit TGridSelectionDrawParamsEh(TCustomGridEh* AGrid) : FGrid(AGrid) {}
  // Copies the settings of another instance.
  void Assign(TPersistent* Source) override;

  TCustomGridEh* Grid() const { return FGrid; }
  TGridSelectionDrawStyleEh SelectionStyle() const { return FSelectionStyle; }
  void SetSelectionStyle(TGridSelectionDrawStyleEh Value);
  bool DrawFocusFrame();
  void SetDrawFocusFrame(bool Value);
  bool DrawFocusFrameStored() const { return FDrawFocusFrameStored; }
  void SetDrawFocusFrameStored(bool Value);
  TGridSelectionDrawStyleEh GetActualSelectionStyle();

  virtual bool DefaultDrawFocusFrame();

private:
  void Changed();

  bool FDrawFocusFrame = false;
  bool FDrawFocusFrameStored = false;
  TCustomGridEh* FGrid;
  TGridSelectionDrawStyleEh FSelectionStyle = gsdsDefaultEh;
};

enum TScrollBarVisibleModeEh { sbAlwaysShowEh, sbNeverShowEh, sbAutoShowEh };

// The settings of one scroll bar of a grid; the bar itself lives in a panel
// the grid owns.
class TGridScrollBarEh : public TPersistent {
  VELMORA_CLASS(TGridScrollBarEh)
  using inherited = TPersistent;
public:
  TGridScrollBarEh(TCustomGridEh* AGrid, TScrollBarKind AKind) : FGrid(AGrid), FKind(AKind) {}
  // Copies Tracking from another scroll bar's settings.
  void Assign(TPersistent* Source) override;

  TCustomGridEh* Grid() const { return FGrid; }
  TScrollBarKind Kind() const { return FKind; }
  Integer Size() const { return FSize; }
  void SetSize(Integer Value);
  bool SmoothStep() const { return FSmoothStep; }
  void SetSmoothStep(bool Value);
  bool Tracking() const { return FTracking; }
  void SetTracking(bool Value) { FTracking = Value; }
  TScrollBarVisibleModeEh VisibleMode() const { return FVisibleMode; }
  void SetVisibleMode(TScrollBarVisibleModeEh Value);
  bool Visible() const { return FVisibleMode != sbNeverShowEh; }
  void SetVisible(bool Value) { SetVisibleMode(Value ? sbAutoShowEh : sbNeverShowEh); }

  bool CheckHideScrollBar() { return !IsScrollBarShowing(); }
  void GetScrollBarParams(Integer& APosition, Integer& AMin, Integer& APageSize, Integer& AMax);
  void SetScrollBarParams(Integer APosition, Integer AMin, Integer APageSize, Integer AMax);

  virtual bool ScrollBarShowingByMode();
  virtual void UpdateScrollBar();
  virtual void SmoothStepChanged() {}
  virtual Integer ActualScrollBarBoxSize();
  virtual Integer ActualSize();
  virtual bool IsKeepMaxSizeInDefault() { return false; }
  virtual bool IsScrollBarShowing() { return ScrollBarShowingByMode(); }
  virtual bool ScrollBarPanel() { return true; }

private:
  TCustomGridEh* FGrid;
  TScrollBarKind FKind;
  Integer FSize = 0;
  bool FSmoothStep = false;
  bool FTracking = true;
  TScrollBarVisibleModeEh FVisibleMode = sbAutoShowEh;
};

using TGridEhCellMouseEvent = std::function<void(TCustomGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                                 TShiftState Shift, Integer X, Integer Y, bool& Processed)>;

// ---------------------------------------------------------------------------
// The base grid.

class TCustomGridEh : public TCustomControlEh {
  VELMORA_CLASS(TCustomGridEh)
  using inherited = TCustomControlEh;
public:
  explicit TCustomGridEh(TComponent* AOwner);
  ~TCustomGridEh() override;

  // Axis-backed properties.
  Integer Col() const { return FCurCell.X; }
  void SetCol(Integer Value);
  Integer Row() const { return FCurCell.Y; }
  void SetRow(Integer Value);
  Integer ColCount() const { return FHorzAxis->CelCount(); }
  void SetColCount(Integer Value) { FHorzAxis->SetRolCelCount(Value - FHorzAxis->FixedCelCount()); }
  Integer RowCount() const { return FVertAxis->CelCount(); }
  void SetRowCount(Integer Value) { FVertAxis->SetRolCelCount(Value - FVertAxis->FixedCelCount()); }
  Integer FullColCount() const { return FHorzAxis->FullCelCount(); }
  Integer FullRowCount() const { return FVertAxis->FullCelCount(); }
  Integer FixedColCount() const { return FHorzAxis->FixedCelCount(); }
  void SetFixedColCount(Integer Value) { FHorzAxis->SetFixedCelCount(Value); }
  Integer FixedRowCount() const { return FVertAxis->FixedCelCount(); }
  void SetFixedRowCount(Integer Value) { FVertAxis->SetFixedCelCount(Value); }
  Integer FrozenColCount() const { return FHorzAxis->FrozenCelCount(); }
  void SetFrozenColCount(Integer Value) { FHorzAxis->SetFrozenCelCount(Value); }
  Integer FrozenRowCount() const { return FVertAxis->FrozenCelCount(); }
  void SetFrozenRowCount(Integer Value) { FVertAxis->SetFrozenCelCount(Value); }
  Integer ContraColCount() const { return FHorzAxis->ContraCelCount(); }
  void SetContraColCount(Integer Value) { FHorzAxis->SetContraCelCount(Value); }
  Integer ContraRowCount() const { return FVertAxis->ContraCelCount(); }
  void SetContraRowCount(Integer Value) { FVertAxis->SetContraCelCount(Value); }
  Integer RolColCount() const { return FHorzAxis->RolCelCount(); }
  void SetRolColCount(Integer Value) { FHorzAxis->SetRolCelCount(Value); }
  Integer RolRowCount() const { return FVertAxis->RolCelCount(); }
  void SetRolRowCount(Integer Value) { FVertAxis->SetRolCelCount(Value); }
  Integer DefaultColWidth() const { return FHorzAxis->DefaultCelLen(); }
  void SetDefaultColWidth(Integer Value) { FHorzAxis->SetDefaultCelLen(Value); }
  Integer DefaultRowHeight() const { return FVertAxis->DefaultCelLen(); }
  void SetDefaultRowHeight(Integer Value) { FVertAxis->SetDefaultCelLen(Value); }
  Integer ColWidths(Integer Index) const { return FHorzAxis->CelLens(Index); }
  void SetColWidths(Integer Index, Integer Value) { FHorzAxis->SetCelLens(Index, Value); }
  Integer RowHeights(Integer Index) const { return FVertAxis->CelLens(Index); }
  void SetRowHeights(Integer Index, Integer Value) { FVertAxis->SetCelLens(Index, Value); }
  Integer LeftCol() const { return FHorzAxis->StartVisCel(); }
  void SetLeftCol(Integer Value);
  Integer TopRow() const { return FVertAxis->StartVisCel(); }
  void SetTopRow(Integer Value);
  void SetLeftPos(Int64 ALeftPos);
  void SetTopPos(Int64 ATopPos);
  void SetLeftTopPos(Int64 ALeftPos, Int64 ATopPos);
  void SafeSetTopRow(Integer ARow);
  Int64 GetHorzRolStartVisPos() const { return FHorzAxis->RolStartVisPos(); }
  void SetHorzRolStartVisPos(Int64 Value) { FHorzAxis->SetRolStartVisPos(Value); }
  Int64 GetVertRolStartVisPos() const { return FVertAxis->RolStartVisPos(); }
  void SetVertRolStartVisPos(Int64 Value) { FVertAxis->SetRolStartVisPos(Value); }
  Integer LeftColOffset() const { return FHorzAxis->RolStartVisCelOfst(); }
  Integer LastFullVisibleCol();
  Integer LastFullVisibleRow();
  Integer VisibleColCount();
  Integer VisibleRowCount();
  Integer GridClientWidth() { return FHorzAxis->GridClientLen(); }
  Integer GridClientHeight() { return FVertAxis->GridClientLen(); }
  void MoveColumn(Integer FromIndex, Integer ToIndex) { FHorzAxis->MoveCel(FromIndex, ToIndex); }
  void MoveRow(Integer FromIndex, Integer ToIndex) { FVertAxis->MoveCel(FromIndex, ToIndex); }
  TGridAxisDataEh* HorzAxis() const { return FHorzAxis.get(); }
  TGridAxisDataEh* VertAxis() const { return FVertAxis.get(); }

  TGridOptionsEh Options() const { return FOptions; }
  void SetOptions(TGridOptionsEh Value);
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  Integer GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(Integer Value);
  bool BufferedPaint() const { return FBufferedPaint; }
  bool CanvasRightToLeftReflected() const { return FCanvasRightToLeftReflected; }
  TColor FixedLineColor() const { return FFixedLineColor; }
  TGridStateEh GridState() const { return FGridState; }
  bool SaveCellExtents() const { return FSaveCellExtents; }
  void SetSaveCellExtents(bool Value) { FSaveCellExtents = Value; }

  // Parameter objects, made by the factories the first time they are needed
  // (so that a descendant's factory is the one that runs).
  TGridScrollBarEh* HorzScrollBar();
  TGridScrollBarEh* VertScrollBar();
  TGridLineColorsEh* GridLineColors();
  void SetGridLineColors(TGridLineColorsEh* Value) { GridLineColors()->Assign(Value); }
  TGridBackgroundDataEh* BackgroundData();
  TGridOutBoundaryDataEh* OutBoundaryData() const { return FOutBoundaryData.get(); }
  TGridSelectionDrawParamsEh* SelectionDrawParams() const { return FSelectionDrawParams.get(); }
  void SetSelectionDrawParams(TGridSelectionDrawParamsEh* Value) { FSelectionDrawParams->Assign(Value); }
  TGridDrawStyleEh* DrawStyle() const { return FDrawStyle; }
  TTimer* GridTimer() const { return FGridTimer; }
  void SetDrawStyle(TGridDrawStyleEh* Value);
  TGridHotTrackSpotEh* NewHotTrackSpot();
  TGridHotTrackSpotEh* OldHotTrackSpot();

  // Cell rectangles and invalidation.
  TRect CalcCellRect(Integer ACol, Integer ARow, bool Mirror = true);
  TRect CalcBoxRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom, bool Mirror = true);
  TRect CalcCellRectAbs(Integer ACol, Integer ARow);
  bool CellBorderVisible(Integer ACol, Integer ARow, TGridCellBorderTypeEh BorderType);
  void InvalidateCell(Integer ACol, Integer ARow);
  void InvalidateCol(Integer ACol);
  void InvalidateRow(Integer ARow);
  void InvalidateGrid();
  TGridRect GetSelection();
  TGridCoord AnchorCell() const { return FAnchorCell; }
  TGridCoord HotTrackCell() const { return FHotTrackCell; }

  void LockPaint() { ++FLockPaint; }
  void UnlockPaint();
  bool IsPaintLocked() const { return FLockPaint > 0; }
  void BeginUpdateBoundaries() { ++FBoundariesUpdateCount; }
  void EndUpdateBoundaries();
  bool BoundariesUpdating() const { return FBoundariesUpdateCount > 0; }
  bool AxisPositionsCurrent() const;
  bool IsActiveControl();
  bool UseAlternateDrawing() const { return false; }
  bool UseRightToLeftAlignment() const { return IsRightToLeft(); }

  // Drawing routines for descendants.
  void ReflectCanvasRightToLeft(TCanvas* ACanvas, bool Mirror);
  bool CancelCanvasReflection(TRect& ARect);
  void MirrorOwnCanvas() { ReflectCanvasRightToLeft(Canvas(), true); }
  void WriteCellText(TCanvas* ACanvas, TRect ARect, bool FillRect, Integer DX, Integer DY,
                     const String& Text, TAlignment Alignment, TTextLayout Layout, bool WordWrap,
                     bool EndEllipsis, Integer LeftMarg, Integer RightMarg, bool RightToLeft,
                     bool SingleLine);
  void FillGradient(TCanvas* ACanvas, TRect ARect, TColor FromColor, TColor ToColor);
  void DrawPolyline(TCanvas* ACanvas, std::vector<TPoint> Points, Integer Count);

  // Virtual operations, in the order the grid introduces them.
  virtual bool CanEditAcceptKey(QChar Key) { (void)Key; return true; }
  virtual bool CanEditModify() { return FCanEditModify; }
  virtual bool CanGridAcceptKey(Word Key, TShiftState Shift) { (void)Key; (void)Shift; return true; }
  virtual bool IsCellHotTrackable(Integer ACol, Integer ARow) { (void)ACol; (void)ARow; return false; }
  virtual TRect CellEditRect(Integer ACol, Integer ARow);
  virtual bool GridLinesVisible(bool Horz);
  virtual TGridStateEh GetSizingStateAt(Integer X, Integer Y);
  virtual TGridBackgroundDataEh* CreateBackgroundData();
  virtual TGridLineColorsEh* CreateGridLineColors();
  virtual TGridHotTrackSpotEh* CreateHotTrackSpot();
  virtual TGridScrollBarEh* CreateScrollBar(TScrollBarKind AKind);
  virtual bool GetDefaultDrawFocusFrame();
  virtual bool CanSizeFixedCols() { return false; }
  virtual bool CanSizeFixedRows() { return false; }
  virtual bool NeedFullRepaintOnScroll() { return IsBackgroundDataShowing(); }
  virtual TCursor GetCursorAtPos(TPoint Pos);
  virtual TGridSelectionDrawStyleEh GetDefaultSelectionStyle();
  virtual Integer GetEditLimit() { return 0; }
  virtual String GetEditMask(Integer ACol, Integer ARow) { (void)ACol; (void)ARow; return String(); }
  virtual String GetEditText(Integer ACol, Integer ARow) { (void)ACol; (void)ARow; return String(); }
  virtual Integer GetHorzScrollStep();
  virtual bool IsColTabStop(Integer ACol) { (void)ACol; return true; }
  virtual Integer GetVertScrollStep();
  virtual bool IsBackgroundDataShowing();
  virtual bool IsFocusWithin();
  virtual Integer GetHorzLineWidth();
  virtual bool HotTrackSpotsEqual(TGridHotTrackSpotEh* Spot1, TGridHotTrackSpotEh* Spot2);
  virtual bool IsCellSelectionThemed(Integer ACol, Integer ARow, TGridDrawState State);
  virtual bool HasMultiCellSelection() { return !(FAnchorCell == FCurCell); }
  virtual bool IsHorzSmoothScroll() { return HorzScrollBar()->SmoothStep(); }
  virtual bool IsVertSmoothScroll() { return VertScrollBar()->SmoothStep(); }
  virtual bool NeedBufferedPaint() { return StyleThemesEnabledEh(); }
  virtual bool CanSelectCell(Integer ACol, Integer ARow) { (void)ACol; (void)ARow; return true; }
  virtual bool IsSizingStateAt(Integer X, Integer Y) { return GetSizingStateAt(X, Y) != gsNormalEh; }
  virtual Integer GetVertLineWidth();
  virtual void LimitRolStartVisPos(bool LimitHorz, bool LimitVert, bool HorzSnap, bool VertSnap);
  virtual void CelMoved(TGridAxisDataEh* Axis, Integer FromIndex, Integer ToIndex);
  virtual void CalcMaxRolStartVisPos(Int64& HorzMax, Int64& VertMax, bool HorzSnap, bool VertSnap);
  virtual void CalcSizingState(Integer X, Integer Y, TGridStateEh& State, Integer& Index,
                               Integer& SizingPos, Integer& SizingOfs);
  virtual void CelCountChanged();
  virtual void CelLenChanged(TGridAxisDataEh* Axis, Integer Index, Integer OldLen);
  virtual void GetCellBorderParams(Integer ACol, Integer ARow, TGridCellBorderTypeEh BorderType,
                                   bool& IsExtent, TColor& Color, bool& Visible);
  virtual void CheckUpdateAxises();
  virtual void ColumnMoved(Integer FromIndex, Integer ToIndex);
  virtual void ColWidthsChanged();
  virtual void CurrentCellMoved(TGridCoord OldCurrent) { (void)OldCurrent; }
  virtual void DeleteColumn(Integer ACol);
  virtual void DeleteRow(Integer ARow);
  virtual void DrawCellBorders(Integer ACol, Integer ARow, TGridCellBorderTypesEh Borders,
                               TGridDrawState State, TRect& ARect);
  virtual void DrawBottomOutBoundaryData(TRect ARect) { FillWithFixedColor(ARect); }
  virtual void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State);
  virtual void PaintCell(Integer ACol, Integer ARow, TGridDrawState State, TRect ARect);
  virtual void DrawCellThemedSelection(Integer ACol, Integer ARow, TGridDrawState State, TRect ARect);
  virtual void DrawEmptyAreaCell(Integer ACol, Integer ARow, TRect ARect);
  virtual void DrawLeftOutBoundaryData(TRect ARect) { FillWithFixedColor(ARect); }
  virtual void DrawOutBoundaryData();
  virtual void DrawRightOutBoundaryData(TRect ARect) { FillWithFixedColor(ARect); }
  virtual void DrawSizingLine();
  virtual void DrawTopOutBoundaryData(TRect ARect) { FillWithFixedColor(ARect); }
  virtual void ClampCellCoord(Integer& ACol, Integer& ARow);
  virtual void FlatChanged() {}
  virtual void FocusCell(Integer ACol, Integer ARow, bool MoveAnchor);
  virtual void ApplyColSizing(Integer ACol, Integer Width) { SetColWidths(ACol, Width); }
  virtual void ApplyRowSizing(Integer ARow, Integer Height) { SetRowHeights(ARow, Height); }
  virtual void InvalidateRect(TGridRect ARect);
  virtual void SetAnchorCell(Integer ACol, Integer ARow, bool Show);
  virtual void MoveCurrentCell(Integer ACol, Integer ARow, bool ShowHorz, bool ShowVert);
  virtual void OutBoundaryDataChanged() { UpdateBoundaries(); }
  virtual void TopLeftChanged(Int64 OldLeftPos, Int64 OldTopPos);
  virtual void RolCelPosArrUpdated() { UpdateBoundaries(); }
  virtual void RowHeightsChanged();
  virtual void RowMoved(Integer FromIndex, Integer ToIndex) { (void)FromIndex; (void)ToIndex; }
  virtual void ScrollBarShowingChanged() {}
  virtual void ScrollBarSizeChanged() { UpdateBoundaries(); }
  virtual void SelectionChanged(TGridRect OldSelection);
  virtual void SetEditText(Integer ACol, Integer ARow, const String& Value) { (void)ACol; (void)ARow; (void)Value; }
  virtual void UpdateInternalColors();
  virtual void ValidateCellCoord(TGridCoord& Cell);
  virtual void DrawStyleChanged() { Invalidate(); }
  virtual void AfterTopLeftChanged() {}
  virtual void UpdateBoundaries();
  virtual void UpdateEdit();
  virtual void UpdateFixedLineColor();
  virtual void UpdateScrollBars();
  virtual void GridTimerTimer(TObject* Sender);
  virtual void SetGridTimer(bool Enable, Integer Interval);
  virtual TGridCoord MouseCoord(Integer X, Integer Y);
  virtual void DefaultCellMouseClick(TGridCoord Cell, TMouseButton Button, TPoint InCellPos,
                                     TPoint MousePos, TRect CellRect, TShiftState Shift)
  {
    (void)Cell; (void)Button; (void)InCellPos; (void)MousePos; (void)CellRect; (void)Shift;
  }
  virtual void DefaultCellMouseDown(TGridCoord Cell, TMouseButton Button, TPoint InCellPos,
                                    TPoint MousePos, TRect CellRect, TShiftState Shift)
  {
    (void)Cell; (void)Button; (void)InCellPos; (void)MousePos; (void)CellRect; (void)Shift;
  }

  TGridEhCellMouseEvent OnCellMouseClick;
  TGridEhCellMouseEvent OnCellMouseDown;

  // Scrolling and the scroll-bar panels.
  virtual void ScrollByCode(TScrollBarKind Kind, TScrollCode ScrollCode, bool UseRightToLeft, Integer Pos);
  virtual void ScrollHorzByCode(TScrollCode ScrollCode, Integer Pos);
  virtual void ScrollVertByCode(TScrollCode ScrollCode, Integer Pos);
  virtual void GetDataForHorzScrollBar(Integer& APosition, Integer& AMin, Integer& APageSize, Integer& AMax);
  virtual void GetDataForVertScrollBar(Integer& APosition, Integer& AMin, Integer& APageSize, Integer& AMax);
  virtual void UpdateScrollBarPanels();
  virtual void MakeCellVisible(TGridCoord Cell, bool Horz, bool Vert);
  virtual bool ScrollBarMouseDown();
  // The panels come from the factories on first need: a descendant's
  // factory answers only once its construction has run.
  TGridScrollBarPanelControlEh* HorzScrollBarPanelControl() { CreateScrollBarPanels(); return FHorzScrollBarPanelControl; }
  TGridScrollBarPanelControlEh* VertScrollBarPanelControl() { CreateScrollBarPanels(); return FVertScrollBarPanelControl; }
  TSizeGripPanelEh* CornerScrollBarPanelControl() { CreateScrollBarPanels(); return FCornerScrollBarPanelControl; }
  TSizeGripPanelEh* ExtraSizeGripControl() { CreateScrollBarPanels(); return FExtraSizeGripControl; }
  virtual TGridScrollBarPanelControlEh* CreateHorzScrollBarPanelControl();
  virtual TGridScrollBarPanelControlEh* CreateVertScrollBarPanelControl();
  virtual TSizeGripPanelEh* CreateCornerScrollBarPanelControl();
  bool SizeGripAlwaysShow() const { return FSizeGripAlwaysShow; }
  void SetSizeGripAlwaysShow(bool Value);
  TSizeGripPosition SizeGripPostion() const { return FSizeGripPostion; }
  void SetSizeGripPostion(TSizeGripPosition Value);
  bool RaiseMouseWheelDownEvent(TShiftState Shift, TPoint MousePos);
  bool RaiseMouseWheelUpEvent(TShiftState Shift, TPoint MousePos);

  // Sizing and moving.
  virtual bool CanStartColMoving(Integer& Origin, Integer& Destination, TPoint MousePt);
  virtual bool CanStartRowMoving(Integer& Origin, Integer& Destination, TPoint MousePt);
  virtual bool CheckColMovingTarget(Integer& Origin, Integer& Destination, TPoint MousePt);
  virtual bool CheckRowMovingTarget(Integer& Origin, Integer& Destination, TPoint MousePt);
  virtual bool EndColMoving(Integer& Origin, Integer& Destination, TPoint MousePt);
  virtual bool EndRowMoving(Integer& Origin, Integer& Destination, TPoint MousePt);
  virtual void UpdateMoveLine();
  virtual void HideMoveLine();
  virtual void UpdateSizingLine();
  virtual void InvalidateSizingLine();
  virtual void BeginSizing();
  virtual void CalcSizingLineBounds(Integer& Start, Integer& Stop);
  virtual void StartColMoving(Integer ACol, Integer X, Integer Y);
  virtual void StartRowMoving(Integer ARow);
  void UpdateMovingTarget(Integer Pos, Integer CellIndex, TPoint MousePt, bool Vertical, TGridAxisDataEh* Axis);
  Integer CalcSizedCelLen(TGridAxisDataEh* Axis);
  Integer SizingPos() const { return FSizingPos; }
  Integer SizingIndex() const { return FSizingIndex; }
  Integer MoveFromIndex() const { return FMoveFromIndex; }
  Integer MoveToIndex() const { return FMoveToIndex; }

  // Current cell, selection, mouse and hot tracking.
  virtual bool CanCellDblClick(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos,
                               TShiftState Shift);
  virtual bool CanCellMouseClick(TMessage& Message);
  virtual bool CanProcessDblClick(TMessage& Message);
  virtual void GetNextSelectableCell(Integer ACol, Integer ARow, Integer& ANewCol, Integer& ANewRow);
  virtual void CancelMode();
  virtual void CellMouseClick(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos,
                              TRect CellRect, TShiftState Shift);
  virtual void CellMouseDown(TGridCoord Cell, TMouseButton Button, TPoint InCellPos, TPoint MousePos,
                             TRect CellRect, TShiftState Shift);
  virtual void InvalidateHotTrackSpot(TGridHotTrackSpotEh* Spot);
  virtual void CalcHotTrackSpot(TGridHotTrackSpotEh* Spot, Integer X, Integer Y);
  virtual void MoveAnchorForAutoScroll(Integer Flags);
  virtual void UpdateHotTrack(Integer X, Integer Y);
  TGridCoord MouseDownCell() const { return FMouseDownCell; }
  TPoint HotTrackInCellPos() const { return FHotTrackInCellPos; }
  bool MouseInControl() const { return FMouseInControl; }

  // The inplace editor.
  bool EditorMode() const { return FEditorMode; }
  void SetEditorMode(bool Value);
  TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
  Integer InplaceCol() const { return FInplaceCol; }
  Integer InplaceRow() const { return FInplaceRow; }
  bool InternalFocusResetting() const { return FInternalFocusResetting; }
  virtual bool CanEditShow();
  virtual TInplaceEdit* CreateEditor();
  virtual bool EditorKeyToGrid(Word Key, TShiftState Shift);
  virtual void HideEditor();
  virtual void ShowEditor();
  virtual void InvalidateEditor();
  virtual void UpdateText();
  bool CreateEditorIfNone();
  void HideEdit();
  void ShowEditorChar(QChar Ch);
  void InternalSetFocus(TWinControl* Control);
  void EditorFocusLeft(HWND FocusedWnd);
  // The key and wheel handling the editor hands on to.
  void GridKeyDown(Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }
  void GridKeyUp(Word& Key, TShiftState Shift) { KeyUp(Key, Shift); }
  void GridKeyPress(QChar& Key) { KeyPress(Key); }
  bool GridDoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
  {
    return DoMouseWheel(Shift, WheelDelta, MousePos);
  }
  void GridDblClick() { DblClick(); }

  // Registers the published properties descendants stream.
  static void RegisterClass();

protected:
  friend class TGridAxisDataEh;
  friend class TGridScrollBarEh;
  friend class TInplaceEdit;
  void CreateParams(TCreateParams& Params) override;
  void CreateHandle() override;
  void Paint() override;
  void Resize() override;
  void Loaded() override;
  void DefineProperties(TFiler& Filer) override;
  void WMPaint(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void CMStyleChanged(TMessage& Message) override;
  void WndProc(TMessage& Message) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(QChar& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void DoExit() override;
  void WMLButtonDown(TMessage& Message) override;
  void WMRButtonDown(TMessage& Message) override;
  void WMMButtonDown(TMessage& Message) override;
  void WMLButtonUp(TMessage& Message) override;
  void WMRButtonUp(TMessage& Message) override;
  void WMMButtonUp(TMessage& Message) override;
  void WMLButtonDblClk(TMessage& Message) override;
  void WMCancelMode(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMChar(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;
  void CMWantSpecialKey(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;

  // The cell a point falls on along one axis (-1 before it, FullCelCount past it).
  Integer CalcColFromPoint(Integer X);
  Integer CalcRowFromPoint(Integer Y);
  void FillWithFixedColor(const TRect& ARect);

  TColor FInternalColor = clWindow;
  TColor FInternalFixedColor = clBtnFace;
  TColor FInternalFixedFontColor = clWindowText;
  TColor FInternalFontColor = clWindowText;
  TGridCoord FCurCell{0, 0};
  TGridCoord FAnchorCell{0, 0};
  TGridCoord FHotTrackCell{-1, -1};
  TGridStateEh FGridState = gsNormalEh;
  // The client point of the last hit test, and of the last mouse move.
  TPoint FHitTest;
  TPoint FMoveMousePos;

private:
  friend class TGridDrawStyleEh;
  // Listens to Value, or to no style at all (nullptr).
  void AttachDrawStyle(TGridDrawStyleEh* Value);
  void AxisScrolled(TGridAxisDataEh* Axis, Int64 OldPos);
  void PaintCells(Integer FirstCol, Integer FirstRow, Integer StartX, Integer StartY, Integer StopX,
                  Integer StopY, Integer ColLimit, Integer RowLimit, TGridDrawState BaseState,
                  const TGridRect& Selection);
  void PaintAreaClipped(const TRect& Clip, const std::function<void()>& Draw);
  void DrawVertBoundaryLine(Integer X, Integer FirstRow, Integer StartY, Integer StopY, Integer RowLimit);
  void DrawHorzBoundaryLine(Integer Y, Integer FirstCol, Integer StartX, Integer StopX, Integer ColLimit);
  void PaintEmptyAreas();
  TGridDrawState CellDrawState(Integer ACol, Integer ARow, TGridDrawState BaseState,
                               const TGridRect& Selection);
  Integer BoxEdge(TGridAxisDataEh* Axis, Integer Index, bool Start, bool Clip);
  static Integer ClampToInt(Int64 V);
  static Integer CellAtOrAfter(TGridAxisDataEh* A, Int64 Pos, Integer MinOffset);

  std::unique_ptr<TGridBackgroundDataEh> FBackgroundData;
  TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
  bool FBufferedPaint = false;
  bool FCanEditModify = true;
  bool FCanvasRightToLeftReflected = false;
  TGridDrawStyleEh* FDrawStyle = nullptr;
  bool FEditorMode = false;
  TColor FFixedColor = clBtnFace;
  bool FFlat = false;
  std::unique_ptr<TGridLineColorsEh> FGridLineColors;
  Integer FGridLineWidth = 1;
  std::unique_ptr<TGridAxisDataEh> FHorzAxis;
  std::unique_ptr<TGridScrollBarEh> FHorzScrollBar;
  bool FHorzScrollBarIsShowing = false;
  Integer FInplaceCol = -1;
  Integer FInplaceRow = -1;
  TGridOptionsEh FOptions;
  Integer FScrollBarSize = 0;
  std::unique_ptr<TGridSelectionDrawParamsEh> FSelectionDrawParams;
  std::unique_ptr<TGridAxisDataEh> FVertAxis;
  std::unique_ptr<TGridScrollBarEh> FVertScrollBar;
  bool FVertScrollBarIsShowing = false;
  TRect FWinClientBoundary;
  std::unique_ptr<TGridOutBoundaryDataEh> FOutBoundaryData;
  bool FFocused = false;
  Integer FBoundariesUpdateCount = 0;
  TGridOptionsEh FDesignOptionsBoost = {goRowSizingEh, goColSizingEh, goColMovingEh};
  TColor FFixedLineColor = clBlack;
  TPoint FHotTrackInCellPos{-1, -1};
  Integer FLockPaint = 0;
  TGridCoord FMouseDownCell{-1, -1};
  bool FMouseInControl = false;
  std::unique_ptr<TGridHotTrackSpotEh> FNewHotTrackSpot;
  std::unique_ptr<TGridHotTrackSpotEh> FOldHotTrackSpot;
  bool FSaveCellExtents = false;
  TTimer* FGridTimer = nullptr;
  bool FConstructing = true;

  // Scrolling.
  void ScrollAxisByPixels(TGridAxisDataEh* Axis, TGridScrollBarEh* Bar, TScrollCode ScrollCode, Integer Pos);
  void ScrollAxisByCells(TGridAxisDataEh* Axis, TGridScrollBarEh* Bar, TScrollCode ScrollCode, Integer Pos);
  void CreateScrollBarPanels();
  TGridScrollBarPanelControlEh* FHorzScrollBarPanelControl = nullptr;
  TGridScrollBarPanelControlEh* FVertScrollBarPanelControl = nullptr;
  TSizeGripPanelEh* FCornerScrollBarPanelControl = nullptr;
  TSizeGripPanelEh* FExtraSizeGripControl = nullptr;
  bool FSizeGripAlwaysShow = false;
  TSizeGripPosition FSizeGripPostion = sgpBottomRight;
  TPoint FPanPoint;
  bool FLayoutHorzBarShowing = false;
  bool FLayoutVertBarShowing = false;

  // Sizing and moving.
  void EdgeSearch(TGridAxisDataEh* Axis, Integer P, Integer Band, bool FixedSizable, bool& Hit,
                  Integer& Index, Integer& Edge);
  void FinishSizing();
  void FinishMoving(TPoint MousePt);
  void MovingTimerTick();
  Integer FSizingIndex = -1;
  Integer FSizingPos = 0;
  Integer FSizingOfs = 0;
  Integer FDrawenSizingPos1 = -1;
  Integer FDrawenSizingPos2 = -1;
  Integer FMoveFromIndex = -1;
  Integer FMoveToIndex = -1;
  Integer FMoveFromCellOriginDistance = 0;
  bool FMovePosRightSite = false;

  // Keyboard and mouse.
  void PageDownTarget(Integer& ARow);
  void PageUpTarget(Integer& ARow);
  void TabTarget(bool Backward, Integer& ACol, Integer& ARow);
  void ButtonDownMessage(TMessage& Message, TMouseButton Button);
  void ButtonUpMessage(TMessage& Message, TMouseButton Button, bool Double);
  void SelectingMouseMove(Integer X, Integer Y);
  void SelectingTimerTick();

  // The inplace editor.
  TInplaceEdit* FInplaceEdit = nullptr;
  bool FInternalFocusResetting = false;
};

// Fills a straight line as a rectangle in the canvas pen's colour.
void FillGridLineEh(TCustomGridEh* Grid, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Width);
// Registers the foundation's streamable classes (the texts, the base grid).
void RegisterGridLibFoundationClasses();
// Tells a form designer that the control's form changed (none runs here).
void NotifyDesignerModifiedEh(TControl* Control);
// Sets a base grid's options from outside the grid class.
void SetGridOptionsEh(TCustomGridEh* Grid, TGridOptionsEh Options);

// ---------------------------------------------------------------------------
// The inplace editor: a borderless window over the current cell holding one
// masked text box, which routes navigation keys back to the grid.

class TInplaceEdit;

class TInplaceEditCoreControl : public TCustomMaskEdit {
  VELMORA_CLASS(TInplaceEditCoreControl)
  using inherited = TCustomMaskEdit;
public:
  explicit TInplaceEditCoreControl(TInplaceEdit* AOwner);

  TCustomGridEh* Grid() const;
  TInplaceEdit* ParentEdit() const { return FParentEdit; }
  void Deselect();
  virtual void UpdateContents();
  // Asks the grid.
  bool EditCanModify() override;

protected:
  void WndProc(TMessage& Message) override;
  void Change() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(QChar& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void DblClick() override;
  void WMGetDlgCode(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;

private:
  TInplaceEdit* FParentEdit;
};

class TInplaceEdit : public TCustomControl {
  VELMORA_CLASS(TInplaceEdit)
  using inherited = TCustomControl;
public:
  explicit TInplaceEdit(TComponent* AOwner);

  TCustomGridEh* Grid() const { return FGrid; }
  void SetGrid(TCustomGridEh* Value) { FGrid = Value; }
  Integer ClickTime() const { return FClickTime; }
  void SetClickTime(Integer Value) { FClickTime = Value; }
  TInplaceEditCoreControl* EditCoreControl() const { return FEditCoreControl; }
  bool InternalTextSetting() const { return FInternalTextSetting; }

  String Text() const { return FEditCoreControl->Text(); }
  void SetText(const String& Value);
  String EditText() const { return FEditCoreControl->EditText(); }
  String EditMask() const { return FEditCoreControl->EditMask(); }
  void SetEditMask(const String& Value) { FEditCoreControl->SetEditMask(Value); }
  bool IsMasked() const { return FEditCoreControl->IsMasked(); }
  Integer MaxLength() const { return FEditCoreControl->MaxLength(); }
  void SetMaxLength(Integer Value) { FEditCoreControl->SetMaxLength(Value); }
  bool ReadOnly() const { return FEditCoreControl->ReadOnly(); }
  void SetReadOnly(bool Value) { FEditCoreControl->SetReadOnly(Value); }
  bool Modified() const { return FEditCoreControl->Modified(); }
  void SetModified(bool Value) { FEditCoreControl->SetModified(Value); }
  bool AutoSelect() const { return FEditCoreControl->AutoSelect(); }
  void SetAutoSelect(bool Value) { FEditCoreControl->SetAutoSelect(Value); }
  Integer SelStart() const { return FEditCoreControl->SelStart(); }
  void SetSelStart(Integer Value) { FEditCoreControl->SetSelStart(Value); }
  Integer SelLength() const { return FEditCoreControl->SelLength(); }
  void SetSelLength(Integer Value) { FEditCoreControl->SetSelLength(Value); }
  String SelText() const { return FEditCoreControl->SelText(); }
  void SetSelText(const String& Value) { FEditCoreControl->SetSelText(Value); }

  void Move(const TRect& Loc);
  void UpdateLoc(const TRect& Loc);
  bool Visible();
  bool Focused();
  void SetFocus() override;
  void Deselect() {}
  void Reset() { FEditCoreControl->Reset(); }
  void SelectAll() { FEditCoreControl->SelectAll(); }
  void SetSel(Integer AStartPos, Integer ALength);
  Integer GetTextLen() const { return Integer(Text().size()); }

  virtual bool EditCanModify() { return FEditCoreControl->EditCanModify(); }
  virtual void GetEditCoreControlRect(TRect& Rect);
  virtual bool HandleCut(TMessage& Message) { (void)Message; return false; }
  virtual bool HandlePaste(TMessage& Message) { (void)Message; return false; }
  virtual bool HandleClear(TMessage& Message) { (void)Message; return false; }
  virtual TInplaceEditCoreControl* CreateEditCoreControl();
  virtual void UpdateEditCoreControlBounds();
  virtual void EditChanged() {}
  virtual void CoreControlKillFocus(HWND FocusedWnd) { (void)FocusedWnd; }
  virtual void HandleCoreControlKey(TMessage& Message);
  virtual void UpdateContents();
  virtual void Hide();

  void DblClick() override;

protected:
  friend class TInplaceEditCoreControl;
  friend class TCustomGridEh;
  void WndProc(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void InternalMove(const TRect& Loc, bool Redraw);
  // The base constructor can make only the base's core control: a
  // descendant with its own CreateEditCoreControl calls this in its
  // constructor.
  void RemakeEditCoreControl();

private:
  TCustomGridEh* FGrid = nullptr;
  Integer FClickTime = 0;
  TInplaceEditCoreControl* FEditCoreControl = nullptr;
  bool FInternalTextSetting = false;
};

// ---------------------------------------------------------------------------
// List boxes on the base grid: one column, one row per item.

class TCustomListboxEh;
class TCustomImageList;

using TLBGetDataEvent = std::function<void(TWinControl* Control, Integer Index, String& Data)>;
using TLBGetDataObjectEvent = std::function<void(TWinControl* Control, Integer Index, TObject*& DataObject)>;

// An item object that draws itself and answers mouse and keys.
class TCustomListboxItemEh : public TObject {
  VELMORA_CLASS(TCustomListboxItemEh)
public:
  virtual bool GetDefaultFlag() { return true; }
  virtual void GetDisplayText(TCustomListboxEh* Listbox, Integer Index, String& Text);
  virtual void DrawItem(TCustomListboxEh* Listbox, Integer Index, TRect Rect, TGridDrawState State);
  virtual void MouseDown(TCustomListboxEh* Listbox, Integer Index, TMouseButton Button, TShiftState Shift,
                         TPoint InItemPos)
  {
    (void)Listbox; (void)Index; (void)Button; (void)Shift; (void)InItemPos;
  }
  virtual void MouseMove(TCustomListboxEh* Listbox, Integer Index, TShiftState Shift, TPoint InItemPos)
  {
    (void)Listbox; (void)Index; (void)Shift; (void)InItemPos;
  }
  virtual void MouseUp(TCustomListboxEh* Listbox, Integer Index, TMouseButton Button, TShiftState Shift,
                       TPoint InItemPos)
  {
    (void)Listbox; (void)Index; (void)Button; (void)Shift; (void)InItemPos;
  }
  virtual void KeyPress(TCustomListboxEh* Listbox, Integer Index, QChar& Key, TShiftState Shift)
  {
    (void)Listbox; (void)Index; (void)Key; (void)Shift;
  }
  virtual bool IsDataItem() { return true; }
  virtual void Execute(TCustomListboxEh* Sender, Integer ItemIndex, TPoint InItemPos, TShiftState Shift)
  {
    (void)Sender; (void)ItemIndex; (void)InItemPos; (void)Shift;
  }
};

class TPopupListboxItemEh : public TCustomListboxItemEh {
  VELMORA_CLASS(TPopupListboxItemEh)
public:
  virtual void MouseUpInPopup(TCustomListboxEh* Listbox, Integer Index, bool& IsCloseListbox, TShiftState Shift,
                              TMouseButton Button, TPoint Pos);
  virtual bool CloseOnExecute(TCustomListboxEh* Sender, Integer ItemIndex) { (void)Sender; (void)ItemIndex; return true; }
};

class TCustomListboxEh : public TCustomGridEh {
  VELMORA_CLASS(TCustomListboxEh)
  using inherited = TCustomGridEh;
public:
  explicit TCustomListboxEh(TComponent* AOwner);
  ~TCustomListboxEh() override;

  Integer Count();
  void SetCount(Integer Value);
  TCustomImageList* ImageList() const { return FImageList; }
  void SetImageList(TCustomImageList* Value) { FImageList = Value; }
  Integer ItemHeight() const { return FItemHeight; }
  void SetItemHeight(Integer Value);
  Integer ItemIndex() const { return FRowSeleced ? Row() : -1; }
  void SetItemIndex(Integer Value);
  TStrings* Items() { return GetItems(); }
  void SetItemsValue(TStrings* Value) { SetItems(Value); }
  TAlignment ItemAlignment() const { return FItemAlignment; }
  void SetItemAlignment(TAlignment Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value) { FSorted = Value; }
  bool UseItemObjects() const { return FUseItemObjects; }
  void SetUseItemObjects(bool Value);
  bool VirtualItems() const { return FVirtualItems; }
  void SetVirtualItems(bool Value);

  Integer ItemAtPos(TPoint Pos, bool Existing);
  Integer StrictIndexToClient(TPoint Pos);
  void InvalidateIndex(Integer AItemIndex);
  void SyncRowCount();
  // The item object of a row, when item objects are on and it has one.
  TCustomListboxItemEh* ItemObject(Integer Index);

  virtual TStrings* GetItems() { return FItems.get(); }
  virtual void GetItemDisplayText(Integer Index, String& Text);
  virtual void DrawItem(Integer Index, TRect Rect, TGridDrawState State);
  virtual void GetItemText(Integer Index, String& Text);
  virtual void SetItems(TStrings* Value);
  virtual void DefaultDrawItem(Integer Index, TRect ARect, TGridDrawState State);
  virtual Integer GetTextHeight();

  TLBGetDataEvent OnData;
  TLBGetDataObjectEvent OnDataObject;
  TListGetImageIndexEventEh OnGetImageIndex;

protected:
  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State) override;
  void FocusCell(Integer ACol, Integer ARow, bool MoveAnchor) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(QChar& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Resize() override;
  void ItemsChanged(TObject* Sender);
  // The item under a client point that may lie outside the list.
  Integer MouseItem(TPoint Pos);

  std::unique_ptr<TStringList> FItems;
  TCustomImageList* FImageList = nullptr;
  TAlignment FItemAlignment = taLeftJustify;
  Integer FItemHeight = 0;
  bool FRowSeleced = false;
  bool FSorted = false;
  bool FUseItemObjects = false;
  bool FVirtualItems = false;
  Integer FVirtualRowCount = 0;
};

// The state both popup lists share: the item under the mouse, the size the
// user gave with the grip, the closing decision of a release.
struct TPopupListboxStateEh {
  Integer FBorderWidth = 0;
  TStrings* FExtItems = nullptr;
  Integer FMouseIndex = -1;
  TPoint FMousePos{-1, -1};
  Integer FRowCount = 0;
  bool FSizeGripResized = false;
  Integer FResizedRowCount = 0;
  Integer FResizedWidth = 0;
  bool FInternalResizing = false;
  bool FIsMouseUpCloseListbox = false;
};

// A stand-alone popup list that never takes the focus.
class TPopupListboxEh : public TCustomListboxEh, protected TPopupListboxStateEh {
  VELMORA_CLASS(TPopupListboxEh)
  using inherited = TCustomListboxEh;
public:
  explicit TPopupListboxEh(TComponent* AOwner);

  Integer BorderWidth() const { return FBorderWidth; }
  bool IsMouseUpCloseListbox() const { return FIsMouseUpCloseListbox; }
  // The rows the popup's height holds (the grid's own count is
  // TCustomGridEh::RowCount).
  Integer RowCount() const { return FRowCount; }
  void SetRowCount(Integer Value);
  TStrings* ExtItems() const { return FExtItems; }
  void SetExtItems(TStrings* Value);
  Integer ResizedRowCount() const { return FResizedRowCount; }
  Integer ResizedWidth() const { return FResizedWidth; }
  bool SizeGripResized() const { return FSizeGripResized; }
  void SetSizeGripResized(bool Value) { FSizeGripResized = Value; }
  bool InternalResizing() const { return FInternalResizing; }
  void SetInternalResizing(bool Value) { FInternalResizing = Value; }
  Integer MouseIndex() const { return FMouseIndex; }

  Integer GetBorderSize();
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  bool CanFocus() const override { return false; }
  // Painted as focused while the editor that opened it keeps the focus.
  bool Focused() const override { return true; }
  // Shown on top of the other windows without taking the activation.
  void Show();
  void Hide() { SetVisible(false); }
  // A top-level window: its Left and Top are screen coordinates.
  TPoint ClientOrigin() const override;

  TStrings* GetItems() override;
  void SetItems(TStrings* Value) override;
  void GetItemText(Integer Index, String& Text) override;
  // The raised double edge around the window, in the 3-D look.
  virtual void DrawBorder();
  virtual void GetDataObject(TWinControl* Control, Integer Index, TObject*& DataObject);

protected:
  void CreateParams(TCreateParams& Params) override;
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
};

// The list grid inside the popup list form.
class TPopupListboxGridEh : public TCustomListboxEh, protected TPopupListboxStateEh {
  VELMORA_CLASS(TPopupListboxGridEh)
  using inherited = TCustomListboxEh;
public:
  explicit TPopupListboxGridEh(TComponent* AOwner);

  bool IsMouseUpCloseListbox() const { return FIsMouseUpCloseListbox; }
  TStrings* ExtItems() const { return FExtItems; }
  void SetExtItems(TStrings* Value);
  Integer MouseIndex() const { return FMouseIndex; }
  Integer GetBorderSize();
  // The list of a non-activating popup never takes the focus from the
  // editor that opened it.
  bool CanFocus() const override { return false; }

  TStrings* GetItems() override;
  void SetItems(TStrings* Value) override;
  void GetItemText(Integer Index, String& Text) override;
  virtual void GetDataObject(TWinControl* Control, Integer Index, TObject*& DataObject);

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
};

// The non-activating popup form that hosts a list grid.
class TPopupListboxFormEh : public TPopupInactiveFormEh {
  VELMORA_CLASS(TPopupListboxFormEh)
  using inherited = TPopupInactiveFormEh;
public:
  explicit TPopupListboxFormEh(TComponent* AOwner);

  TPopupListboxGridEh* ListGrid() const { return FListGrid; }
  TStrings* Items() const { return FListGrid->Items(); }
  Integer ItemIndex() const { return FListGrid->ItemIndex(); }
  void SetItemIndex(Integer Value) { FListGrid->SetItemIndex(Value); }
  Integer ItemHeight() const { return FListGrid->ItemHeight(); }
  void SetItemHeight(Integer Value) { FListGrid->SetItemHeight(Value); }
  Integer Count() const { return FListGrid->Count(); }
  bool IsMouseUpCloseListbox() const { return FListGrid->IsMouseUpCloseListbox(); }
  Integer RowCount() const { return FRowCount; }
  void SetRowCount(Integer Value);
  bool SizeGripResized() const { return FSizeGripResized; }
  Integer ResizedRowCount() const { return FResizedRowCount; }
  Integer ResizedWidth() const { return FResizedWidth; }
  void SetSizeGripResized(bool Value) { FSizeGripResized = Value; }
  // Set while the owner sizes the list, so that only the user's sizing is
  // remembered.
  bool InternalResizing() const { return FInternalResizing; }
  void SetInternalResizing(bool Value) { FInternalResizing = Value; }
  TCustomImageList* ImageList() const { return FListGrid->ImageList(); }
  void SetImageList(TCustomImageList* Value) { FListGrid->SetImageList(Value); }

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void HandleNeeded();

  virtual void ListGridMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual Integer GetTextHeight() { return FListGrid->GetTextHeight(); }
  virtual Integer GetBorderSize() { return FListGrid->GetBorderSize(); }

protected:
  void WndProc(TMessage& Message) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;

private:
  bool FInternalResizing = false;
  TPopupListboxGridEh* FListGrid = nullptr;
  Integer FResizedRowCount = 0;
  Integer FResizedWidth = 0;
  Integer FRowCount = 0;
  bool FSizeGripResized = false;
};

class TMRUListboxEh : public TPopupListboxFormEh {
  VELMORA_CLASS(TMRUListboxEh)
public:
  using TPopupListboxFormEh::TPopupListboxFormEh;
};
