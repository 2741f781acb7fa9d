// DBAxisGridsEhButtons.cpp: the buttons of a bar inside its cells: painting,
// presses, stepping while held, their menus and drop-down forms.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "platform/gui/ExtCtrls.h"
#include "platform/rtl/ScopeExit.h"

#include <cmath>

namespace {

// A held up/down half steps again after this long, then at the short pace.
constexpr Integer FirstRepeatInterval = 400;
constexpr Integer RepeatInterval = 100;
// A press this soon after a button's menu closed belongs to the closing.
constexpr Integer RepressInterval = 100;

TInCellPlaceBoxEh* AsPlaceBox(TObject* PlaceBox)
{
  return dynamic_cast<TInCellPlaceBoxEh*>(PlaceBox);
}

// The button's rectangle within its cell.
TRect BoxControlRect(TObject* PlaceBox)
{
  TInCellPlaceBoxEh* Box = AsPlaceBox(PlaceBox);
  return Box ? Box->CtrlClientRect() : TRect();
}

// The face of a button when its back is drawn only while hot or never.
void ApplyDrawBackTime(TEditButtonDrawBackTimeEh Time, bool Hot, bool& DrawButtonBack, Integer& Transparency)
{
  switch (Time) {
  case edbtAlwaysEh:
    DrawButtonBack = true;
    if (Hot)
      Transparency = 0;
    break;
  case edbtWhenHotEh:
    DrawButtonBack = Hot;
    Transparency = 0;
    break;
  case edbtNeverEh:
    DrawButtonBack = false;
    Transparency = 0;
    break;
  }
}

} // namespace

// ---------------------------------------------------------------------------
// Up/down stepping.

double TAxisBarEh::UpDownStep(Integer Half) const
{
  if (Half != 1 && Half != 2)
    return 0;
  const double Sign = GetBarType() == ctCommon ? 1 : -1;
  return Half == 1 ? Increment() * Sign : -Increment() * Sign;
}

void TAxisBarEh::StepUpDown(Integer Half)
{
  const double Step = UpDownStep(Half);
  if (Step == 0)
    return;
  SetNextValue(Step);
}

// ---------------------------------------------------------------------------
// Edit buttons drawn in every cell.

std::unique_ptr<TDropDownFormCallParamsEh> TAxisBarEditButtonEh::CreateDropDownFormParams()
{
  return std::make_unique<TAxisBarDropDownFormCallParamsEh>(this);
}

void TAxisBarEditButtonEh::DrawInCell(TCanvas* Canvas, TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar,
                                      const TRect& CellRect, TAxisColCellParamsEh* Params, TObject* PlaceBox)
{
  (void)AreaCell;
  TCustomDBAxisGridEh* G = AxisBar ? AxisBar->Grid() : nullptr;
  if (!G)
    return;
  TRect ButtonRect = BoxControlRect(PlaceBox);
  ButtonRect.Offset(CellRect.Left, CellRect.Top);
  Integer Transparency = G->GetCellButtonTransparency(Cell.X, Cell.Y, this, Params, AxisBar);
  const bool Hot = G->IsMouseInRect(ButtonRect);
  bool DrawButtonBack = true;
  ApplyDrawBackTime(DrawBackTime(), Hot, DrawButtonBack, Transparency);
  const bool PressedHere =
    PlaceBox && G->MouseDownInCellPlaceBox() == AsPlaceBox(PlaceBox) && G->PressedInCell() == Cell;
  const Integer Down = PressedHere && Style() != ebsUpDownEh && Style() != ebsAltUpDownEh ? 1 : 0;
  G->DrawCellEditButton(AxisBar, Canvas, DrawButtonBack, Images()->NormalIndex(), Images()->NormalImages(),
                        Transparency, Glyph(), clNone, G->DataLink()->Active(), G->Flat(), Hot, Down, CellRect,
                        ButtonRect, Style());
}

// ---------------------------------------------------------------------------
// Cell buttons.

TTimer* TCellButtonEh::GetTimer()
{
  if (!FTimer) {
    FTimer = std::make_unique<TTimer>(nullptr);
    FTimer->SetEnabled(false);
  }
  return FTimer.get();
}

void TCellButtonEh::StopTimer()
{
  if (!FTimer)
    return;
  FTimer->SetEnabled(false);
  FTimer->OnTimer = nullptr;
}

bool TCellButtonEh::GetEnabledState()
{
  TCustomDBAxisGridEh* G = FAxisBar ? FAxisBar->Grid() : nullptr;
  bool Enabled = G && G->DataLink()->Active();
  if (OnGetEnabledState)
    OnGetEnabledState(G, FAxisBar, this, Enabled);
  return Enabled;
}

void TCellButtonEh::InCellCancelMouse(TObject* PlaceBox)
{
  (void)PlaceBox;
  StopTimer();
  FUpDownButtonNum = 0;
}

void TCellButtonEh::DrawInCell(TCanvas* Canvas, TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar,
                               const TRect& CellRect, TAxisColCellParamsEh* Params, TObject* PlaceBox)
{
  TCustomDBAxisGridEh* G = AxisBar ? AxisBar->Grid() : nullptr;
  if (!G)
    return;
  TRect ButtonRect = BoxControlRect(PlaceBox);
  ButtonRect.Offset(CellRect.Left, CellRect.Top);
  TCellButtonDrawParamsEh* P = FButtonDrawParams.get();
  P->FMasterRect = CellRect;
  P->FHotTrack = G->IsMouseInRect(ButtonRect);
  P->FTransparency = P->FHotTrack ? 0 : G->GetCellButtonTransparency(Cell.X, Cell.Y, this, Params, AxisBar);
  ApplyDrawBackTime(DrawBackTime(), P->FHotTrack, P->FDrawButtonBack, P->FTransparency);
  const Integer PressedHalf = IsUpDownStyle() ? FUpDownButtonNum : 1;
  const bool PressedHere =
    PlaceBox && G->MouseDownInCellPlaceBox() == AsPlaceBox(PlaceBox) && G->PressedInCell() == Cell;
  P->FDownButton = PressedHere ? PressedHalf : 0;
  Integer CurCol = 0;
  Integer CurRow = 0;
  G->GetBarCurrentCell(AxisBar, CurCol, CurRow);
  if (FPersistentDown && Cell.Y == CurRow) {
    P->FDownButton = PressedHalf;
    P->FDrawButtonBack = DrawBackTime() != edbtNeverEh;
    P->FTransparency = 0;
  }
  P->FPressed = P->FDownButton >= 1;
  if (!FPressable)
    P->FDownButton = 0;
  P->FEnabled = GetEnabledState();
  const TEditButtonStateEh State = P->FEnabled ? ebstNormalEh : ebstDisabledEh;
  P->FImageList = Images()->GetStateImages(State);
  P->FImageIndex = Images()->GetStateIndex(State);
  bool Handled = false;
  if (OnDraw)
    OnDraw(G, AxisBar, this, Canvas, Cell, AreaCell, ButtonRect, P, Handled);
  if (!Handled)
    DefaultDrawEditButton(AxisBar, Canvas, Cell, AreaCell, ButtonRect, P);
}

void TCellButtonEh::DefaultDrawEditButton(TAxisBarEh* AxisBar, TCanvas* Canvas, TGridCoord Cell,
                                          TGridCoord AreaCell, const TRect& ARect,
                                          TCellButtonDrawParamsEh* ADrawParams)
{
  (void)Cell;
  (void)AreaCell;
  TCustomDBAxisGridEh* G = AxisBar->Grid();
  const TCellButtonDrawParamsEh* P = ADrawParams;
  G->DrawCellEditButton(AxisBar, Canvas, P->FDrawButtonBack, P->FImageIndex, P->FImageList, P->FTransparency,
                        nullptr, clNone, P->FEnabled, G->Flat(), P->FHotTrack, P->FDownButton, P->FMasterRect,
                        ARect, Style());
}

void TCellButtonEh::FillMouseParams(TCustomDBAxisGridEh* Grid, Integer ACol, Integer ARow, TObject* PlaceBox,
                                    bool AutoRepeat)
{
  TCellButtonMouseParamsEh* M = FCellButtonMouseParams.get();
  M->FCell = TGridCoord(ACol, ARow);
  Grid->GetAxisBarCellDataRect(ACol, ARow, M->FCellRect, FAxisBar);
  M->FAutoRepeat = AutoRepeat;
  M->FTopButton = true;
  M->FButtonRect = BoxControlRect(PlaceBox);
}

void TCellButtonEh::InCellMouseDown(Integer ACol, Integer ARow, TObject* PlaceBox, TMouseButton Button,
                                    TShiftState Shift, Integer X, Integer Y)
{
  TCustomDBAxisGridEh* G = FAxisBar ? FAxisBar->Grid() : nullptr;
  if (!G || !GetEnabledState())
    return;
  // The press that closed the button's menu is not a press of the button.
  if (IsWaitingForRepress(PlaceBox))
    return;
  bool Handled = false;
  TRect CellRect;
  G->GetAxisBarCellDataRect(ACol, ARow, CellRect, FAxisBar);
  TRect ScreenRect = CellRect;
  const TPoint Origin = G->ClientToScreen(TPoint(0, 0));
  ScreenRect.Offset(Origin.X, Origin.Y);

  G->PressInCellPlaceBox(PlaceBox, TGridCoord(ACol, ARow));
  G->InvalidateCell(ACol, ARow);

  bool AutoRepeat = false;
  if (OnDown)
    OnDown(this, true, AutoRepeat, Handled);
  if (!Handled && OnMouseDown) {
    FillMouseParams(G, ACol, ARow, PlaceBox, AutoRepeat);
    OnMouseDown(G, FAxisBar, this, Button, Shift, TPoint(X, Y), FCellButtonMouseParams.get(), Handled);
  }
  if (!Handled && !G->IsDropDownClosePending(PlaceBox)) {
    if (G->ShowCellButtonDropDownForm(PlaceBox, this, Handled, ScreenRect, FAxisBar)) {
      FPersistentDown = true;
      G->InvalidateCell(ACol, ARow);
    }
  }
  if (!Handled && DropdownMenu()) {
    TRect R = BoxControlRect(PlaceBox);
    R.Offset(CellRect.Left, CellRect.Top);
    const TPoint At = G->ClientToScreen(
      TPoint(DropdownMenu()->Alignment() == paRight ? R.Right : R.Left, R.Bottom));
    FPersistentDown = true;
    G->InvalidateCell(ACol, ARow);
    {
      ScopeExit Up([&] {
        FPersistentDown = false;
        G->InvalidateCell(ACol, ARow);
      });
      DropdownMenu()->Popup(At.X, At.Y);
    }
    // The menu ate the release: the grid must still see one, and it must
    // not count as a click of the button too.
    G->PressInCellPlaceBox(nullptr, TGridCoord());
    G->Perform(WM_LBUTTONUP, 0, MakeLParam(Word(R.Left + X), Word(R.Top + Y)));
    Handled = true;
    StartWaitingForRepress(PlaceBox);
  }
  if (!Handled && DefaultAction())
    DefaultMouseDown(ACol, ARow, PlaceBox, Button, Shift, X, Y, Handled);
}

void TCellButtonEh::DefaultMouseDown(Integer ACol, Integer ARow, TObject* PlaceBox, TMouseButton Button,
                                     TShiftState Shift, Integer X, Integer Y, bool& Handled)
{
  (void)ACol;
  (void)ARow;
  (void)Button;
  (void)Shift;
  (void)X;
  if (!IsUpDownStyle())
    return;
  const Integer H = BoxControlRect(PlaceBox).Height();
  const Integer Half = H / 2;
  FUpDownButtonNum = Y < Half ? 1 : Y > H - Half ? 2 : 0;
  StepValue();
  StartAutoRepeatTimer(FirstRepeatInterval);
  Handled = true;
}

void TCellButtonEh::StepValue()
{
  if (FAxisBar)
    FAxisBar->StepUpDown(FUpDownButtonNum);
}

void TCellButtonEh::StartAutoRepeatTimer(Integer Interval)
{
  TTimer* T = GetTimer();
  if (T->Enabled() && T->Interval() == Cardinal(Interval))
    return;
  T->OnTimer = [this](TObject* Sender) { AutoRepeatTimerEvent(Sender); };
  T->SetInterval(Cardinal(Interval));
  T->SetEnabled(true);
}

void TCellButtonEh::AutoRepeatTimerEvent(TObject* Sender)
{
  (void)Sender;
  if (FTimer->Interval() == Cardinal(FirstRepeatInterval))
    FTimer->SetInterval(Cardinal(RepeatInterval));
  StepValue();
  if (!IsUpDownStyle())
    StopTimer();
}

void TCellButtonEh::StartWaitingForRepress(TObject* PlaceBox)
{
  TTimer* T = GetTimer();
  if (T->Enabled())
    return;
  FWaitingForRepress = true;
  FPressedPlaceBox = PlaceBox;
  T->OnTimer = [this](TObject* Sender) { RepressTimerEvent(Sender); };
  T->SetInterval(Cardinal(RepressInterval));
  T->SetEnabled(true);
}

void TCellButtonEh::RepressTimerEvent(TObject* Sender)
{
  (void)Sender;
  StopTimer();
  FWaitingForRepress = false;
}

void TCellButtonEh::InCellMouseUp(Integer ACol, Integer ARow, TObject* PlaceBox, TMouseButton Button,
                                  TShiftState Shift, Integer X, Integer Y)
{
  if (FTimer && FTimer->Enabled() && !FWaitingForRepress)
    StopTimer();
  ScopeExit Released([this] { FUpDownButtonNum = 0; });
  TCustomDBAxisGridEh* G = FAxisBar ? FAxisBar->Grid() : nullptr;
  if (!G || !PlaceBox || AsPlaceBox(PlaceBox) != G->MouseDownInCellPlaceBox())
    return;
  bool Handled = false;
  const TRect R = BoxControlRect(PlaceBox);
  if (X >= 0 && Y >= 0 && X < R.Width() && Y < R.Height())
    Click(this, Handled);
  if (!Handled && OnMouseClick) {
    FillMouseParams(G, ACol, ARow, PlaceBox, false);
    FCellButtonMouseParams->FCellRect = G->CellRectAbs(ACol, ARow, false);
    OnMouseClick(G, FAxisBar, this, Button, Shift, TPoint(X, Y), FCellButtonMouseParams.get(), Handled);
  }
}

void TCellButtonEh::DoDownUpAction()
{
  TCustomDBAxisGridEh* G = FAxisBar ? FAxisBar->Grid() : nullptr;
  if (!G)
    return;
  Integer ACol = 0;
  Integer ARow = 0;
  G->GetBarCurrentCell(FAxisBar, ACol, ARow);
  TInCellPlaceBoxEh* Box = G->GetCellPlaceBox(ACol, ARow);
  TInCellPlaceBoxEh* Child = Box ? Box->FindChildBoxByControl(this) : nullptr;
  if (!Child)
    return;
  InCellMouseDown(ACol, ARow, Child, mbLeft, {}, 0, 0);
  InCellMouseUp(ACol, ARow, Child, mbLeft, {}, 0, 0);
  G->PressInCellPlaceBox(nullptr, TGridCoord());
  G->InvalidateCell(ACol, ARow);
}

// ---------------------------------------------------------------------------
// The grid's side of in-cell buttons.

Integer TCustomDBAxisGridEh::GetCellButtonTransparency(Integer ACol, Integer ARow, TEditButtonEh* Button,
                                                       TAxisColCellParamsEh* Params, TAxisBarEh* AxisBar)
{
  (void)ACol;
  (void)ARow;
  (void)Button;
  (void)Params;
  (void)AxisBar;
  return 0;
}

void TCustomDBAxisGridEh::GetAxisBarCellDataRect(Integer ACol, Integer ARow, TRect& ARect, TAxisBarEh* AxisBar)
{
  (void)AxisBar;
  ARect = CellRectAbs(ACol, ARow, false);
}

bool TCustomDBAxisGridEh::IsMouseInRect(const TRect& ARect)
{
  return MouseInControl() && ARect.Contains(FMoveMousePos);
}

void TCustomDBAxisGridEh::PressInCellPlaceBox(TObject* PlaceBox, TGridCoord Cell)
{
  SetMouseDownInCellPlaceBox(AsPlaceBox(PlaceBox));
  FMouseDownInCellBoxCell = MouseDownInCellPlaceBox() ? Cell : TGridCoord();
}

namespace {

// Empties a part of the shared alpha bitmap: no colour, no cover.
void ClearAlphaRect(TCacheAlphaBitmapEh* Bitmap, const TRect& R)
{
  const Integer Left = std::max(R.Left, 0);
  const Integer Right = std::min(R.Right, Bitmap->Width());
  for (Integer Y = std::max(R.Top, 0); Y < std::min(R.Bottom, Bitmap->Height()); ++Y) {
    TRGBQuad* Line = Bitmap->ScanLine(Y);
    for (Integer X = Left; X < Right; ++X)
      Line[X] = TRGBQuad{0, 0, 0, 0};
  }
}

TRect IntersectRects(const TRect& A, const TRect& B)
{
  return TRect(std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
               std::min(A.Bottom, B.Bottom));
}

} // namespace

void TCustomDBAxisGridEh::DrawCellEditButton(TAxisBarEh* AxisBar, TCanvas* ACanvas, bool DrawButtonBack,
                                             Integer ImageIndex, TCustomImageList* ImageList, Integer Transparency,
                                             TBitmap* Glyph, TColor FillColor, bool Enabled, bool AFlat,
                                             bool HotTrack, Integer DownButton, const TRect& MasterRect,
                                             TRect ButtonRect, TEditButtonStyleEh Style)
{
  (void)AxisBar;
  if (UseRightToLeftAlignment())
    ButtonRect.Offset(-1, 0);
  TCanvas* Target = ACanvas;
  TCacheAlphaBitmapEh* AlphaBitmap = nullptr;
  TRect BlendRect;
  if (Transparency > 0) {
    AlphaBitmap = GetCacheAlphaBitmapEh(std::max(Width(), ButtonRect.Right), std::max(Height(), ButtonRect.Bottom));
    AlphaBitmap->Capture();
    ClearAlphaRect(AlphaBitmap, ButtonRect);
    BlendRect = IntersectRects(ButtonRect, MasterRect);
    if (FillColor != clNone) {
      ACanvas->Brush()->SetColor(FillColor);
      ACanvas->FillRect(BlendRect);
    }
    Target = AlphaBitmap->Canvas();
  }
  ScopeExit ReleaseBitmap([AlphaBitmap] {
    if (AlphaBitmap)
      AlphaBitmap->Release();
  });

  HRGN SavedClip = nullptr;
  const bool Clipped = ButtonRect.Left < MasterRect.Left || ButtonRect.Top < MasterRect.Top ||
                       ButtonRect.Right > MasterRect.Right || ButtonRect.Bottom > MasterRect.Bottom;
  if (Clipped)
    SavedClip = IntersectClipRectEh(Target, MasterRect);
  ScopeExit RestoreClip([&] {
    if (Clipped)
      RestoreClipRegionEh(Target, SavedClip);
  });

  const bool Themed = StyleThemesEnabledEh();
  if (AFlat && !Themed) {
    // The flat look keeps a one-pixel gap between the data and the button.
    const TRect Separator(ButtonRect.Left, ButtonRect.Top, ButtonRect.Left + 1, ButtonRect.Bottom);
    if (HotTrack || FillColor != clNone) {
      Target->Brush()->SetColor(HotTrack ? clBtnFace : FillColor);
      Target->FillRect(Separator);
    }
    ButtonRect.Left += 1;
  }

  const bool Mirror = Target == Canvas() && CancelCanvasReflection(ButtonRect);
  ScopeExit Reflect([&] {
    if (Mirror)
      ReflectCanvasRightToLeft(Target, true);
  });

  if (Style == ebsGlyphEh) {
    TRect R = ButtonRect;
    if (DrawButtonBack) {
      if (!AFlat || Themed || HotTrack) {
        DrawButtonFaceEh(Target, R, FillColor == clNone ? clBtnFace : FillColor, DownButton > 0, AFlat, HotTrack,
                         Enabled);
        R.Inflate(-2, -2);
      } else {
        if (FillColor != clNone) {
          Target->Brush()->SetColor(FillColor);
          Target->FrameRect(R);
        }
        R.Inflate(-1, -1);
        Target->Brush()->SetColor(clBtnFace);
        Target->FillRect(R);
      }
    } else if (FillColor != clNone) {
      Target->Brush()->SetColor(FillColor);
      Target->FillRect(R);
    }
    if (DownButton > 0)
      R.Offset(1, 1);
    DrawImageInRectEh(ImageList && ImageIndex >= 0 ? ImageList : nullptr, Glyph, Target, R, ImageIndex, 0, 0,
                      taCenter, R, 1, true);
  } else {
    if (FillColor != clNone) {
      Target->Brush()->SetColor(FillColor);
      Target->FillRect(ButtonRect);
    }
    PaintButtonControlEh(Target, ButtonRect, AFlat ? clBtnShadow : clNone, EditButtonStyleToDrawStyleEh(Style), DownButton, AFlat,
                         HotTrack, Enabled, 0, 1, DrawButtonBack);
  }

  if (AlphaBitmap && !BlendRect.IsEmpty()) {
    BLENDFUNCTION Blend;
    Blend.SourceConstantAlpha = Byte(std::trunc((100 - Transparency) * 2.55));
    if (GlobalGridLibManager() && GlobalGridLibManager()->UseAlphaFormatInAlphaBlend())
      Blend.AlphaFormat = AC_SRC_ALPHA;
    AlphaBlend(ACanvas->Handle(), BlendRect.Left, BlendRect.Top, BlendRect.Width(), BlendRect.Height(),
               AlphaBitmap->Canvas()->Handle(), BlendRect.Left, BlendRect.Top, BlendRect.Width(),
               BlendRect.Height(), Blend);
  }
}

bool TCustomDBAxisGridEh::ShowCellButtonDropDownForm(TObject* PlaceBox, TCellButtonEh* CellButton, bool& Handled,
                                                     const TRect& ScreenRect, TAxisBarEh* AxisBar)
{
  auto* P = dynamic_cast<TAxisBarDropDownFormCallParamsEh*>(CellButton->DropDownFormParams());
  if (!P)
    return Handled;
  P->FEditButtonControl = nullptr;
  P->FDataLink = DataLink();
  P->FField = AxisBar ? AxisBar->Field() : nullptr;
  P->FOnGetActualDropDownFormProc = nullptr;
  P->FPlaceBox = PlaceBox;
  P->FEditControl = nullptr;
  P->FEditControlScreenRect = ScreenRect;
  P->CheckShowDropDownForm(Handled);
  return Handled;
}

bool TCustomDBAxisGridEh::IsDropDownClosePending(TObject* PlaceBox)
{
  if (!HandleAllocated())
    return false;
  TMsg Msg;
  return PeekMessage(Msg, this, WM_USER, WM_USER, PM_NOREMOVE) && Msg.wParam == WPARAM(static_cast<HWND>(this)) &&
         Msg.lParam == LPARAM(PlaceBox);
}

// The control in a cell's box and the point within the control.
static IInCellControlEh* InCellControlAt(TObject* Child, TPoint& InCell)
{
  TInCellPlaceBoxEh* Box = AsPlaceBox(Child);
  if (!Box)
    return nullptr;
  auto* Control = dynamic_cast<IInCellControlEh*>(Box->Control());
  if (!Control)
    return nullptr;
  InCell.X -= Box->CtrlClientRect().Left;
  InCell.Y -= Box->CtrlClientRect().Top;
  return Control;
}

bool TCustomDBAxisGridEh::InCellControlMouseDown(TGridCoord Cell, TMouseButton Button, TShiftState Shift,
                                                 Integer X, Integer Y)
{
  if (Button != mbLeft)
    return false;
  TAxisBarEh* Bar = nullptr;
  TRect R;
  GetAxisBarCellDataRect(Cell.X, Cell.Y, R, Bar);
  TPoint P(X - R.Left, Y - R.Top);
  if (UseRightToLeftAlignment())
    P.X = R.Width() - P.X - 1;
  TObject* Child = GetCellPlaceBoxChildAtPos(Cell.X, Cell.Y, P.X, P.Y, Bar);
  IInCellControlEh* Control = InCellControlAt(Child, P);
  if (!Control || Control->ForwardMouseDownToEditor(Cell.X, Cell.Y, Child, Button, Shift, P.X, P.Y))
    return false;
  Control->InCellMouseDown(Cell.X, Cell.Y, Child, Button, Shift, P.X, P.Y);
  return true;
}

void TCustomDBAxisGridEh::InCellControlMouseUp(TGridCoord Cell, TMouseButton Button, TShiftState Shift, Integer X,
                                               Integer Y)
{
  TObject* Pressed = MouseDownInCellPlaceBox();
  if (!Pressed)
    return;
  const TGridCoord PressedCell = FMouseDownInCellBoxCell;
  ScopeExit Forget([&] {
    PressInCellPlaceBox(nullptr, TGridCoord());
    InvalidateCell(PressedCell.X, PressedCell.Y);
  });
  TPoint P(0, 0);
  auto* Control = InCellControlAt(Pressed, P);
  if (!Control || Cell.X < 0 || Cell.Y < 0)
    return;
  TRect R;
  GetAxisBarCellDataRect(Cell.X, Cell.Y, R, nullptr);
  TPoint InCell(X - R.Left, Y - R.Top);
  if (UseRightToLeftAlignment())
    InCell.X = R.Width() - InCell.X - 1;
  TObject* Child = GetCellPlaceBoxChildAtPos(Cell.X, Cell.Y, InCell.X, InCell.Y, nullptr);
  // The control's own coordinates: those of the box it was pressed in.
  InCell.X -= BoxControlRect(Pressed).Left;
  InCell.Y -= BoxControlRect(Pressed).Top;
  Control->InCellMouseUp(Cell.X, Cell.Y, Child, Button, Shift, InCell.X, InCell.Y);
}

bool TCustomDBAxisGridEh::CellButtonShortCut(Word Key, TShiftState Shift)
{
  const Integer Index = SelectedIndex();
  if (Index < 0 || Index >= AxisBars()->Count())
    return false;
  TCellButtonEh* Button = AxisBars()->AxisBar(Index)->CellButtons()->GetButtonByShortCut(ShortCut(Key, Shift));
  if (!Button)
    return false;
  Button->DoDownUpAction();
  return true;
}

// ---------------------------------------------------------------------------
// Drop-down forms opened from bar buttons.

void TAxisBarDropDownFormCallParamsEh::GetVarValue(Variant& Value)
{
  TAxisBarEditButtonEh* B = AxisBarEditButton();
  TAxisBarEh* Bar = B ? B->AxisBar() : nullptr;
  if (auto* Editor = dynamic_cast<TInplaceEdit*>(GetEditControl()))
    Value = Variant(Editor->Text());
  else if (GetEditControl())
    Value = Variant(GetEditControl()->Text());
  else if (Bar && Bar->Field())
    Value = Bar->Field()->AsVariant();
  else
    Value = Variant();
}

void TAxisBarDropDownFormCallParamsEh::SetVarValue(const Variant& Value)
{
  TAxisBarEditButtonEh* B = AxisBarEditButton();
  TAxisBarEh* Bar = B ? B->AxisBar() : nullptr;
  // A form's result never reaches a cell the user may not change.
  if (!Bar || !Bar->CanModify(false))
    return;
  // The grid's editor keeps its text in its core edit, not in its caption.
  if (auto* Editor = dynamic_cast<TInplaceEdit*>(GetEditControl())) {
    Editor->SetText(VarToStr(Value));
    Bar->SetValueAsText(Editor->Text());
    return;
  }
  if (TWinControl* Editor = GetEditControl()) {
    Editor->SetText(VarToStr(Value));
    Bar->SetValueAsText(Editor->Text());
    return;
  }
  Bar->SetValueAsVariant(Value);
}

void TAxisBarDropDownFormCallParamsEh::DoOpenDropDownForm(TCustomForm*& Form, TDynVarsEh* DynParams,
                                                          TDropDownFormSysParams* SysParams)
{
  inherited::DoOpenDropDownForm(Form, DynParams, SysParams);
  TAxisBarEditButtonEh* B = AxisBarEditButton();
  TAxisBarEh* Bar = B ? B->AxisBar() : nullptr;
  if (Bar && Bar->OnOpenDropDownForm)
    Bar->OnOpenDropDownForm(Bar->Grid(), Bar, B, Form, DynParams);
}

std::unique_ptr<TDropDownFormSysParams> TAxisBarDropDownFormCallParamsEh::CreateDropDownFormSysParams()
{
  return std::make_unique<TAxisGridDropDownFormSysParams>();
}

void TAxisBarDropDownFormCallParamsEh::FillSysParams(TDropDownFormSysParams* SysParams)
{
  inherited::FillSysParams(SysParams);
  auto* P = dynamic_cast<TAxisGridDropDownFormSysParams*>(SysParams);
  if (!P)
    return;
  P->FAxisBar = AxisBarEditButton() ? AxisBarEditButton()->AxisBar() : nullptr;
  P->FEditButton = AxisBarEditButton();
  GetEditControlScreenRect(P->FEditorScreenRect);
  P->FPlaceBox = FPlaceBox;
}

void TAxisBarDropDownFormCallParamsEh::BeforeShowDropDownForm(TCustomForm* Form, TDynVarsEh* DynParams,
                                                              TDropDownFormSysParams* SysParams)
{
  inherited::BeforeShowDropDownForm(Form, DynParams, SysParams);
  auto* P = dynamic_cast<TAxisGridDropDownFormSysParams*>(SysParams);
  if (!P || !P->FPlaceBox)
    return;
  if (auto* Cell = dynamic_cast<TCellButtonEh*>(P->FEditButton))
    Cell->SetPersistentDown(true);
}

void TAxisBarDropDownFormCallParamsEh::DropDownFormClosed(bool Accept, TCustomForm* Form,
                                                          TDropDownFormSysParams* SysParams, TDynVarsEh* DynParams)
{
  inherited::DropDownFormClosed(Accept, Form, SysParams, DynParams);
  auto* P = dynamic_cast<TAxisGridDropDownFormSysParams*>(SysParams);
  TAxisBarEh* Bar = P ? P->FAxisBar : nullptr;
  TCustomDBAxisGridEh* G = Bar ? Bar->Grid() : nullptr;
  // The form is gone: no button of the editor stays held down for it.
  if (auto* Editor = dynamic_cast<TDBAxisGridInplaceEdit*>(GetEditControl()); Editor && Editor->ButtonsBox())
    for (const auto& Entry : Editor->ButtonsBox()->BtnCtlList())
      if (Entry.EditButtonControl)
        Entry.EditButtonControl->SetAlwaysDown(false);
  if (P && P->FPlaceBox) {
    if (auto* Cell = dynamic_cast<TCellButtonEh*>(P->FEditButton))
      Cell->SetPersistentDown(false);
    if (G) {
      G->Invalidate();
      // The press that closed the form must not open it again.
      if (G->HandleAllocated())
        PostMessage(G, WM_USER, WPARAM(static_cast<HWND>(G)), LPARAM(P->FPlaceBox));
    }
  }
  if (Bar && Bar->OnCloseDropDownForm)
    Bar->OnCloseDropDownForm(G, Bar, AxisBarEditButton(), Accept, Form, DynParams);
}

