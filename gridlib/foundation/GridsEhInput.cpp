// GridsEhInput.cpp: the base grid's current cell, selection, keyboard, mouse and hot tracking.
#include "gridlib/foundation/GridsEh.h"

#include "gridlib/foundation/GridLibLangConsts.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/rtl/ScopeExit.h"

#include <algorithm>
#include <limits>

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
  FMoveMousePos = TPoint(X, Y);
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
  case WM_NCHITTEST:
    inherited::WndProc(Message);
    FHitTest = ScreenToClient(TPoint(SmallInt(LoWord(NativeUInt(Message.LParam))),
                                     SmallInt(HiWord(NativeUInt(Message.LParam)))));
    return;
  case CM_CTL3DCHANGED:
    inherited::WndProc(Message);
    RecreateWnd();
    return;
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
