// DBAxisGridsEhPlaceBoxes.cpp: the layout of data cells into a data area and
// the controls drawn in them, hit testing and hot tracking over those
// controls and over link text and images, the edit-buttons box over the
// current cell, data hints; the grid-line parameters and the border.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Themes.h"
#include "platform/rtl/ScopeExit.h"

#include <algorithm>

// ---------------------------------------------------------------------------
// In-cell place boxes.

TInCellPlaceBoxEh::TInCellPlaceBoxEh() : FMargins(std::make_unique<TMargins>()) {}

TInCellPlaceBoxEh::~TInCellPlaceBoxEh() = default;

TInCellPlaceBoxEh* TInCellPlaceBoxEh::AddChild()
{
  if (!FChildItems)
    FChildItems = std::make_unique<TObjectListEh>(true);
  if (FCount < FChildItems->Count())
    return static_cast<TInCellPlaceBoxEh*>(FChildItems->Items(FCount++));
  auto* Child = new TInCellPlaceBoxEh();
  FChildItems->Add(Child);
  FCount = FChildItems->Count();
  return Child;
}

void TInCellPlaceBoxEh::ClearChildList()
{
  if (FChildItems)
    for (Integer I = 0; I < FChildItems->Count(); ++I) {
      auto* Child = static_cast<TInCellPlaceBoxEh*>(FChildItems->Items(I));
      Child->ClearChildList();
      Child->Clear();
    }
  FCount = 0;
}

void TInCellPlaceBoxEh::Clear()
{
  ClearChildList();
  FControl = nullptr;
  FControlRect = TRect();
  FCtrlClientRect = TRect();
}

void TInCellPlaceBoxEh::ResetChildList()
{
  FChildItems.reset();
  FCount = 0;
}

TInCellPlaceBoxEh* TInCellPlaceBoxEh::ChildItem(Integer Index) const
{
  if (Index < 0 || Index >= FCount)
    return nullptr;
  return static_cast<TInCellPlaceBoxEh*>(FChildItems->Items(Index));
}

TInCellPlaceBoxEh* TInCellPlaceBoxEh::GetChildAtPos(Integer X, Integer Y) const
{
  for (Integer I = 0; I < FCount; ++I) {
    TInCellPlaceBoxEh* Child = ChildItem(I);
    const TRect& R = Child->FCtrlClientRect;
    if (X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom)
      return Child;
  }
  return nullptr;
}

TInCellPlaceBoxEh* TInCellPlaceBoxEh::FindChildBoxByControl(TObject* Control) const
{
  for (Integer I = 0; I < FCount; ++I) {
    TInCellPlaceBoxEh* Child = ChildItem(I);
    if (Child->FControl == Control)
      return Child;
    if (TInCellPlaceBoxEh* Found = Child->FindChildBoxByControl(Control))
      return Found;
  }
  return nullptr;
}

void TInCellPlaceBoxEh::CancelMouse()
{
  if (auto* C = dynamic_cast<IInCellControlEh*>(FControl))
    C->InCellCancelMouse(this);
}

// ---------------------------------------------------------------------------
// The place boxes of the visible cells.

namespace {

// Fixed, visible scrolling and contra cell counts of an axis, and the first
// visible scrolling cell counted from the first scrolling cell.
struct TAxisSpansEh {
  Integer Fixed = 0;
  Integer Start = 0;
  Integer Visible = 0;
  Integer Contra = 0;
  Integer Count = 0;   // fixed and scrolling cells
};

TAxisSpansEh AxisSpans(TGridAxisDataEh* Axis)
{
  TAxisSpansEh S;
  S.Fixed = Axis->FixedCelCount();
  S.Start = Axis->RolStartVisCel();
  S.Contra = Axis->ContraCelCount();
  S.Count = Axis->CelCount();
  if (Axis->RolCelCount() > 0 && Axis->RolClientLen() > 0) {
    const Integer Last = std::min(Axis->RolLastVisCel(), Axis->RolCelCount() - 1);
    S.Visible = std::max(Last - S.Start + 1, 0);
  }
  return S;
}

Integer GridToBufferIndex(const TAxisSpansEh& S, Integer Index)
{
  if (Index < S.Fixed)
    return Index;
  if (Index < S.Count)
    return Index - S.Start;
  return (S.Start + S.Visible - 1) + Index + S.Fixed - S.Start - S.Count + 1;
}

// Whether a grid cell of the axis is on screen: fixed, visible scrolling
// or contra.
bool IndexShown(const TAxisSpansEh& S, Integer Index)
{
  if (Index < 0)
    return false;
  if (Index < S.Fixed)
    return true;
  if (Index < S.Count)
    return Index >= S.Fixed + S.Start && Index < S.Fixed + S.Start + S.Visible;
  return Index < S.Count + S.Contra;
}

} // namespace

TCellPlaceBoxVisibleListEh::TCellPlaceBoxVisibleListEh(TCustomDBAxisGridEh* AGrid) : FGrid(AGrid) {}

TCellPlaceBoxVisibleListEh::~TCellPlaceBoxVisibleListEh()
{
  Reset();
}

void TCellPlaceBoxVisibleListEh::Clear()
{
  for (auto& Column : FBuffer)
    for (auto& Box : Column)
      if (Box)
        Box->Clear();
}

TInCellPlaceBoxEh* TCellPlaceBoxVisibleListEh::GetPlaceBox(Integer ACol, Integer ARow) const
{
  if (ACol < 0 || ARow < 0 || ACol >= Integer(FBuffer.size()))
    return nullptr;
  const auto& Column = FBuffer[std::size_t(ACol)];
  if (ARow >= Integer(Column.size()))
    return nullptr;
  return Column[std::size_t(ARow)].get();
}

TGridCoord TCellPlaceBoxVisibleListEh::GridToPlaceBoxArrayCoord(TGridCoord GridCoord) const
{
  return TGridCoord(GridToBufferIndex(AxisSpans(FGrid->HorzAxis()), GridCoord.X),
                    GridToBufferIndex(AxisSpans(FGrid->VertAxis()), GridCoord.Y));
}

void TCellPlaceBoxVisibleListEh::Reset()
{
  FBuffer.clear();
  FBufferValid = false;
}

void TCellPlaceBoxVisibleListEh::SetColRowCount(Integer AColCount, Integer ARowCount)
{
  if (Integer(FBuffer.size()) < AColCount)
    FBuffer.resize(std::size_t(AColCount));
  for (Integer C = 0; C < AColCount; ++C) {
    auto& Column = FBuffer[std::size_t(C)];
    if (Integer(Column.size()) < ARowCount)
      Column.resize(std::size_t(ARowCount));
    for (Integer R = 0; R < ARowCount; ++R)
      if (!Column[std::size_t(R)])
        Column[std::size_t(R)] = std::make_unique<TInCellPlaceBoxEh>();
  }
}

void TCellPlaceBoxVisibleListEh::ValidateBuffer()
{
  if (!FBufferValid)
    UpdateData();
}

void TCellPlaceBoxVisibleListEh::UpdateData()
{
  const TAxisSpansEh H = AxisSpans(FGrid->HorzAxis());
  const TAxisSpansEh V = AxisSpans(FGrid->VertAxis());
  SetColRowCount(H.Fixed + H.Visible + H.Contra, V.Fixed + V.Visible + V.Contra);
  Clear();
  struct TSpan {
    Integer BufStart, GridStart, Count;
  };
  const TSpan Cols[3] = {{0, 0, H.Fixed}, {H.Fixed, H.Fixed + H.Start, H.Visible},
                         {H.Fixed + H.Visible, H.Count, H.Contra}};
  const TSpan Rows[3] = {{0, 0, V.Fixed}, {V.Fixed, V.Fixed + V.Start, V.Visible},
                         {V.Fixed + V.Visible, V.Count, V.Contra}};
  // Valid before filling, so that a fill asking for a box does not recurse.
  FBufferValid = true;
  try {
    for (const TSpan& CS : Cols)
      for (const TSpan& RS : Rows)
        for (Integer I = 0; I < CS.Count; ++I)
          for (Integer J = 0; J < RS.Count; ++J)
            FGrid->UpdatePlaceBoxListForCell(CS.GridStart + I, RS.GridStart + J,
                                             GetPlaceBox(CS.BufStart + I, RS.BufStart + J));
  } catch (...) {
    FBufferValid = false;
    throw;
  }
}

// ---------------------------------------------------------------------------
// The grid's place boxes.

void TCustomDBAxisGridEh::InvalidatePlaceBoxes()
{
  if (FCellPlaceBoxVisibleList)
    FCellPlaceBoxVisibleList->Invalidate();
}

void TCustomDBAxisGridEh::UpdatePlaceBoxListForCell(Integer ACol, Integer ARow, TInCellPlaceBoxEh* PlaceBox)
{
  (void)ACol;
  (void)ARow;
  (void)PlaceBox;
  throw Exception(QStringLiteral("Realize TCustomDBAxisGridEh.UpdatePlaceBoxListForCell in an inherited class"));
}

void TCustomDBAxisGridEh::FillPlaceBoxForCell(Integer ACol, Integer ARow, TInCellPlaceBoxEh* PlaceBox,
                                              TAxisBarEh* AxisBar)
{
  const TRect R = RemoveCellLinesFromRect(ACol, ARow, TRect(0, 0, ColWidths(ACol), RowHeights(ARow)));
  FillPlaceBox(ACol, ARow, PlaceBox, AxisBar, R);
}

void TCustomDBAxisGridEh::FillPlaceBox(Integer ACol, Integer ARow, TInCellPlaceBoxEh* PlaceBox,
                                       TAxisBarEh* AxisBar, TRect CellRect)
{
  PlaceBox->Clear();
  if (!AxisBar)
    return;
  const bool Is3D = IsCell3D(ACol, ARow, TGridDrawState());
  const Integer Extra = Flat() && !StyleThemesEnabledEh() ? 1 : 0;
  TRect R = CellRect;
  if (Is3D)
    R.Inflate(-1, -1);
  // Before the window exists the editor button width is not known yet.
  const Integer DefButtonWidth =
    FInplaceEditorButtonWidth > 0 ? FInplaceEditorButtonWidth
                                  : (Flat() ? EditorsFlatButtonWidthEh() : GetSystemMetrics(SM_CXVSCROLL));

  TInCellPlaceBoxEh* Data = PlaceBox->AddChild();
  Integer ButtonsWidth = 0;
  auto AddButton = [&](TEditButtonEh* Button, Integer Width) {
    TInCellPlaceBoxEh* Child = PlaceBox->AddChild();
    Child->SetControl(Button);
    Child->SetCtrlClientRect(TRect(0, 0, Width, std::min(AxisBar->GetInplaceEditorButtonHeight(), R.Bottom)));
    Child->SetControlRect(Child->CtrlClientRect());
    Child->SetAreaRect(TRect(0, 0, Width, R.Bottom));
    ButtonsWidth += Width;
  };
  auto FurtherWidth = [&](TEditButtonEh* Button) {
    return Button->Width() >= 1 ? Button->Width() + 2 * Extra : DefButtonWidth + Extra;
  };

  const Integer FirstEditButton = PlaceBox->ChildCount();
  if (AxisBar->IsDrawEditButton(ACol, ARow)) {
    if (AxisBar->EditButton()->Visible())
      AddButton(AxisBar->EditButton(), AxisBar->GetMainEditButtonWidth());
    for (Integer I = 0; I < AxisBar->EditButtons()->Count(); ++I) {
      TEditButtonEh* B = AxisBar->EditButtons()->Items(I);
      if (B->Visible())
        AddButton(B, FurtherWidth(B));
    }
  }
  const Integer FirstCellButton = PlaceBox->ChildCount();
  for (Integer I = 0; I < AxisBar->CellButtons()->Count(); ++I) {
    TCellButtonEh* B = AxisBar->CellButtons()->Items(I);
    if (B->Visible())
      AddButton(B, FurtherWidth(B));
  }

  TRect DataRect = R;
  DataRect.Right = std::max(R.Right - ButtonsWidth, R.Left);
  Data->SetCtrlClientRect(DataRect);
  Data->SetControlRect(DataRect);
  Data->SetAreaRect(DataRect);

  Integer X = 0;
  auto Place = [&X](TInCellPlaceBoxEh* Child) {
    TRect C = Child->CtrlClientRect();
    TRect A = Child->AreaRect();
    C.Offset(X, 0);
    A.Offset(X, 0);
    Child->SetCtrlClientRect(C);
    Child->SetControlRect(C);
    Child->SetAreaRect(A);
    X += A.Width();
  };
  auto CellButtonAt = [&](Integer I) { return static_cast<TCellButtonEh*>(PlaceBox->ChildItem(I)->Control()); };
  for (Integer I = FirstCellButton; I < PlaceBox->ChildCount(); ++I)
    if (CellButtonAt(I)->HorzPlacement() == ebhpLeftEh)
      Place(PlaceBox->ChildItem(I));
  {
    TRect D = Data->CtrlClientRect();
    D.Offset(X, 0);
    Data->SetCtrlClientRect(D);
    Data->SetControlRect(D);
    Data->SetAreaRect(D);
    X = D.Right;
  }
  for (Integer I = FirstEditButton; I < FirstCellButton; ++I)
    Place(PlaceBox->ChildItem(I));
  for (Integer I = FirstCellButton; I < PlaceBox->ChildCount(); ++I)
    if (CellButtonAt(I)->HorzPlacement() != ebhpLeftEh)
      Place(PlaceBox->ChildItem(I));
}

TInCellPlaceBoxEh* TCustomDBAxisGridEh::GetCellPlaceBox(Integer ACol, Integer ARow)
{
  if (!FCellPlaceBoxVisibleList)
    return nullptr;
  // A cell off screen has no box, even where its buffer index would name
  // another cell's.
  if (!IndexShown(AxisSpans(HorzAxis()), ACol) || !IndexShown(AxisSpans(VertAxis()), ARow))
    return nullptr;
  FCellPlaceBoxVisibleList->ValidateBuffer();
  const TGridCoord C = FCellPlaceBoxVisibleList->GridToPlaceBoxArrayCoord(TGridCoord(ACol, ARow));
  return FCellPlaceBoxVisibleList->GetPlaceBox(C.X, C.Y);
}

TInCellPlaceBoxEh* TCustomDBAxisGridEh::GetCellPlaceBoxChildAtPos(Integer ACol, Integer ARow, Integer X, Integer Y,
                                                                  TAxisBarEh* AxisBar)
{
  (void)AxisBar;
  TInCellPlaceBoxEh* Box = GetCellPlaceBox(ACol, ARow);
  return Box ? Box->GetChildAtPos(X, Y) : nullptr;
}

// ---------------------------------------------------------------------------
// Text bounds, links and hot tracking.

void TCustomDBAxisGridEh::UpdateCellTextBounds(TPoint CellSize, TAxisBarEh* AxisBar)
{
  FMouseCellTextBounds.clear();
  TCustomImageList* Images = AxisBar->ImageList();
  TSize Size;
  TAlignment Alignment;
  if (!Images || AxisBar->ShowImageAndText()) {
    const String Text = DataLink()->Active() ? AxisBar->GetTextValue(true) : String();
    Canvas()->Font()->Assign(AxisBar->Font());
    Size = Canvas()->TextExtent(Text);
    Alignment = AxisBar->Alignment();
  } else {
    Size = TSize(Images->Width(), Images->Height());
    Alignment = taCenter;
  }
  if (Images && AxisBar->ShowImageAndText())
    FMouseCellTextBounds.push_back(TRect(0, 0, Images->Width(), Images->Height()));

  Integer LeftMargin = AxisBar->GetCellEditorLeftMargin();
  // The text is painted after the image strip, not over it.
  if (Images && AxisBar->ShowImageAndText())
    LeftMargin += Images->Width() + 5;
  TRect T(LeftMargin, 0, LeftMargin + Size.cx, Size.cy);
  TRect A(0, 0, CellSize.X, CellSize.Y);
  A.Left += LeftMargin;
  A.Right -= AxisBar->GetCellEditorRightMargin() + AxisBar->EditButtonsWidth();
  switch (Alignment) {
  case taLeftJustify:
    T.Offset(2, 2);
    A.Left += 2;
    A.Top += 2;
    T.Right = std::min(T.Right, A.Right);
    T.Bottom = std::min(T.Bottom, A.Bottom);
    break;
  case taRightJustify:
    A.Top += 2;
    A.Right -= 2;
    A.Bottom -= 2;
    T.Offset(A.Right - 2 - T.Right, 2);
    break;
  case taCenter: {
    A.Top += 2;
    A.Bottom -= 2;
    const Integer Centre = (A.Left + A.Right) / 2;
    T.Offset(Centre - Size.cx / 2 - T.Left, 0);
    break;
  }
  }
  switch (AxisBar->Layout()) {
  case tlTop:
    break;
  case tlBottom:
    T.Offset(0, CellSize.Y - T.Bottom);
    break;
  case tlCenter:
    T.Offset(0, (CellSize.Y - T.Height()) / 2 - T.Top);
    break;
  }
  FMouseCellTextBounds.push_back(T);
  FMouseCellTextBoundsObsolete = false;
  FMousePointInCellTextBoundIndex = -1;
  FCellDataWantAsLink = AxisBar->GetCellDataIsLink();
  FCellImageWantAsLink = AxisBar->GetCellImageIsLink();
}

void TCustomDBAxisGridEh::UpdateCellTextBoundsForCell(Integer ACol, Integer ARow, TAxisBarEh* AxisBar)
{
  UpdateCellTextBounds(TPoint(ColWidths(ACol), RowHeights(ARow)), AxisBar);
}

void TCustomDBAxisGridEh::UpdateCellTextBoundsAtPos(Integer ACol, Integer ARow)
{
  (void)ACol;
  (void)ARow;
  throw Exception(QStringLiteral(" UpdateCellTextBoundsAtPos must be realized in the inherited class."));
}

Integer TCustomDBAxisGridEh::GetCellTextBoundIndexAtPos(Integer ACol, Integer ARow, Integer X, Integer Y)
{
  if (!(TGridCoord(ACol, ARow) == FHotTrackCell))
    return -1;
  for (std::size_t I = 0; I < FMouseCellTextBounds.size(); ++I) {
    const TRect& R = FMouseCellTextBounds[I];
    if (X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom)
      return Integer(I);
  }
  return -1;
}

bool TCustomDBAxisGridEh::IsMouseOverCellDataLink()
{
  if (!FCellDataWantAsLink || !FHotTrackAxisBar)
    return false;
  if (!FHotTrackAxisBar->ImageList() || !FHotTrackAxisBar->ShowImageAndText())
    return FMousePointInCellTextBoundIndex >= 0;
  return FMousePointInCellTextBoundIndex > 0;
}

bool TCustomDBAxisGridEh::IsMouseOverCellImageLink()
{
  if (!FHotTrackAxisBar || !FHotTrackAxisBar->ImageList() || !FCellImageWantAsLink)
    return false;
  if (!FHotTrackAxisBar->ShowImageAndText())
    return FMousePointInCellTextBoundIndex >= 0;
  return FMousePointInCellTextBoundIndex == 0;
}

bool TCustomDBAxisGridEh::IsMouseOverCellLink()
{
  return IsMouseOverCellDataLink() || IsMouseOverCellImageLink();
}

void TCustomDBAxisGridEh::UpdateHotTrack(Integer X, Integer Y)
{
  const TGridCoord OldHot = FHotTrackCell;
  const TGridCoord Cell = MouseCoord(X, Y);
  inherited::UpdateHotTrack(X, Y);
  if (!(OldHot == FHotTrackCell)) {
    if (FHotTrackCell.X >= 0 && FHotTrackCell.Y >= 0)
      UpdateCellTextBoundsAtPos(FHotTrackCell.X, FHotTrackCell.Y);
    else
      FMouseCellTextBounds.clear();
    return;
  }
  TInCellPlaceBoxEh* Child = nullptr;
  TPoint InCell(-1, -1);
  if (Cell.X >= 0 && Cell.Y >= 0 && Cell.X < FullColCount() && Cell.Y < FullRowCount()) {
    const TRect R = CalcCellRect(Cell.X, Cell.Y, true);
    // The cell is laid out left to right and shown mirrored.
    InCell = UseRightToLeftAlignment() ? TPoint(R.Right - 1 - X, Y - R.Top) : TPoint(X - R.Left, Y - R.Top);
    Child = GetCellPlaceBoxChildAtPos(Cell.X, Cell.Y, InCell.X, InCell.Y, nullptr);
  }
  if (Child != FHotTrackInCellControl) {
    InvalidateCell(Cell.X, FHotTrackCell.Y);
    FHotTrackInCellControl = Child;
  }
  const Integer Index = GetCellTextBoundIndexAtPos(Cell.X, Cell.Y, InCell.X, InCell.Y);
  if (Index != FMousePointInCellTextBoundIndex) {
    FMousePointInCellTextBoundIndex = Index;
    InvalidateCell(Cell.X, Cell.Y);
  }
}

void TCustomDBAxisGridEh::TopLeftChanged(Int64 OldLeftPos, Int64 OldTopPos)
{
  InvalidatePlaceBoxes();
  inherited::TopLeftChanged(OldLeftPos, OldTopPos);
  UpdateEditButtonsBox();
}

void TCustomDBAxisGridEh::CurrentCellMoved(TGridCoord OldCurrent)
{
  inherited::CurrentCellMoved(OldCurrent);
  UpdateEditButtonsBox();
}

// ---------------------------------------------------------------------------
// The edit-buttons box over the current cell.

TEditButtonsBoxEh* TCustomDBAxisGridEh::GetEditButtonsBox()
{
  if (!FEditButtonsBox) {
    FEditButtonsBox = new TEditButtonsBoxEh(this);
    FEditButtonsBox->OnCreateEditButtonControl = [this](TEditButtonControlEh*& Control) {
      CreateEditButtonControl(Control);
    };
    FEditButtonsBox->SetVisible(false);
    FEditButtonsBox->SetBounds(0, 0, 0, 0);
    FEditButtonsBox->SetParent(this);
  }
  return FEditButtonsBox;
}

bool TCustomDBAxisGridEh::IsEditButtonsBoxVisible()
{
  return FEditButtonsBox && FEditButtonsBox->Visible();
}

void TCustomDBAxisGridEh::CreateEditButtonControl(TEditButtonControlEh*& Control)
{
  Control = new TEditButtonControlEh(this);
  Control->SetControlStyle(Control->ControlStyle() + TControlStyle{csReplicatable});
  Control->SetBounds(0, 0, 10, 17);
  Control->SetVisible(true);
  Control->SetTransparent(false);
}

void TCustomDBAxisGridEh::HideEditButtonsBox()
{
  if (IsEditButtonsBoxVisible())
    FEditButtonsBox->SetVisible(false);
}

void TCustomDBAxisGridEh::UpdateEditButtonsBox()
{
  const Integer Index = SelectedIndex();
  TAxisBarEh* Bar = Index >= 0 && Index < AxisBars()->Count() ? AxisBars()->AxisBar(Index) : nullptr;
  if (Bar && Bar->UseEditButtonsBox()) {
    const TRect R = Bar->CalcEditButtonsBoxRect(CalcCellRect(Col(), Row(), true));
    Bar->InitEditButtonsBox(GetEditButtonsBox(), R);
  } else
    HideEditButtonsBox();
}

// ---------------------------------------------------------------------------
// Data hints.

TFont* TCustomDBAxisGridEh::HintFont()
{
  if (!FHintFont)
    FHintFont = std::make_unique<TFont>();
  return FHintFont.get();
}

void TCustomDBAxisGridEh::DefaultFillDataHintShowInfo(TPoint CursorPos, TGridCoord Cell, TAxisBarEh* AxisBar,
                                                      TDBAxisGridDataHintParamsEh* Params)
{
  // 1. The text.
  String Text;
  const TAxisBarEhType Kind = AxisBar->GetBarType();
  const bool IndexedText = Kind == ctKeyImageList || Kind == ctCheckboxes;
  if (Kind == ctKeyImageList) {
    const Integer I = AxisBar->Field() ? AxisBar->KeyList()->IndexOf(AxisBar->Field()->Text()) : -1;
    if (I >= 0 && I < AxisBar->PickList()->Count())
      Text = AxisBar->PickList()->Strings(I);
  } else if (Kind == ctCheckboxes) {
    const Integer I = Integer(AxisBar->CheckboxState());
    if (I >= 0 && I < AxisBar->PickList()->Count())
      Text = AxisBar->PickList()->Strings(I);
  } else if (AxisBar->Field())
    Text = AxisBar->DisplayText();

  const TRect CellR = Params->CursorRect;
  // 2. A button's own hint.
  const TPoint InCell(CursorPos.X - CellR.Left, CursorPos.Y - CellR.Top);
  if (TInCellPlaceBoxEh* Child = GetCellPlaceBoxChildAtPos(Cell.X, Cell.Y, InCell.X, InCell.Y, AxisBar))
    if (auto* Button = dynamic_cast<TEditButtonEh*>(Child->Control())) {
      Params->HintStr = Button->Hint();
      TRect R = Child->CtrlClientRect();
      TInCellPlaceBoxEh* Box = GetCellPlaceBox(Cell.X, Cell.Y);
      R.Offset(CellR.Left + (Box ? Box->Margins()->Left() : 0), CellR.Top + (Box ? Box->Margins()->Top() : 0));
      Params->CursorRect = R;
      Params->EditButtonControl = Button;
      Params->HideTimeout = Application ? Application->HintHidePause() : 2500;
      return;
    }

  // 3. The text area.
  TRect R = CellR;
  if (UseRightToLeftAlignment())
    R.Left += GetVertLineWidth();
  else
    R.Right -= GetVertLineWidth();
  R.Bottom -= GetHorzLineWidth();
  AxisBar->SetTextArea(R);
  const Integer TextRight = R.Right;
  TRect Cursor = Params->CursorRect;
  if (AxisBar->AlwaysShowEditButton()) {
    Cursor.Right = std::min(Cursor.Right, TextRight);
    if (FHitTest.X > TextRight)
      Text.clear();
  }
  Cursor.Left = R.Left;

  // 4. Alignment and wrapping.
  TAlignment Alignment = IndexedText ? taLeftJustify : AxisBar->Alignment();
  const bool WordWrap = AxisBar->WordWrap() && AxisBar->CurLineWordWrap(R.Height());

  // 5. The cell parameters a handler may change.
  HintFont()->Assign(AxisBar->Font());
  TAxisColCellParamsEh* CP = GetColCellParamsEh();
  AxisBar->FillColCellParams(CP);
  TColor Background = Canvas()->Brush()->Color();
  CP->SetBackground(Background);
  CP->SetFont(FHintFont.get());
  CP->SetState(TGridDrawState());
  CP->SetAlignment(Alignment);
  CP->SetText(Text);
  CP->SetCol(Cell.X);
  CP->SetRow(Cell.Y);
  GetCellParams(AxisBar, FHintFont.get(), Background, TGridDrawState());
  CP->SetBackground(Background);
  AxisBar->GetColCellParams(false, CP);
  FHintFont->SetColor(clWindowText);
  Text = CP->Text();
  Alignment = CP->Alignment();
  Canvas()->Font()->Assign(FHintFont.get());

  // 6. Whether the text is cut.
  bool Cut = true;
  Integer TextWidth = 0;
  if (!IndexedText) {
    Integer Width = Cursor.Width() - 4 - (WordWrap ? 2 : 0);
    TRect M(0, 0, std::max(Width, 0), 0);
    UINT Flags = DT_CALCRECT | DT_NOPREFIX | (WordWrap ? DT_WORDBREAK : DT_SINGLELINE);
    Flags |= UINT(AxisBar->DrawTextBiDiModeFlagsReadingOnly());
    DrawText(Canvas()->Handle(), Text, -1, M, Flags);
    TextWidth = M.Width();
    if (AxisBar->EndEllipsis() && Alignment != taLeftJustify)
      Width -= 3;
    Cut = M.Width() > Width || M.Height() > Cursor.Height() - FInterlinear + 1;
  } else
    TextWidth = Canvas()->TextWidth(Text);

  // 7. The hint and where it goes.
  if (Cut || (Alignment == taRightJustify && Cursor.Right < TextRight - 2)) {
    Params->HintStr = Text;
    Params->CursorRect = Cursor;
    const Integer D = Flat() ? 2 : 1;
    Integer X = 0;
    switch (Alignment) {
    case taLeftJustify:
      X = Cursor.Left - 1;
      break;
    case taRightJustify:
      X = TextRight - TextWidth - 6;
      break;
    case taCenter:
      X = TextRight + TextWidth / 2 - TextWidth - (TextRight - Cursor.Left - 4) / 2 - 5;
      break;
    }
    X += 1;
    if (AxisBar->UseRightToLeftAlignment())
      X = ClientWidth() - X;
    Params->HintPos = TPoint(X, Cursor.Top - D);
    if (WordWrap)
      Params->HintMaxWidth = Cursor.Width() - 4;
  } else
    Params->HintStr.clear();
}

// ---------------------------------------------------------------------------
// Grid-line parameters.

TDBAxisGridLineParamsEh::TDBAxisGridLineParamsEh(TCustomDBAxisGridEh* AGrid) : TGridLineColorsEh(AGrid) {}

TCustomDBAxisGridEh* TDBAxisGridLineParamsEh::AxisGrid() const
{
  return static_cast<TCustomDBAxisGridEh*>(Grid());
}

void TDBAxisGridLineParamsEh::Assign(TPersistent* Source)
{
  inherited::Assign(Source);
  if (auto* Src = dynamic_cast<TDBAxisGridLineParamsEh*>(Source)) {
    FColorScheme = Src->FColorScheme;
    FDataBoundaryColor = Src->FDataBoundaryColor;
    FDataHorzLines = Src->FDataHorzLines;
    FDataHorzLinesStored = Src->FDataHorzLinesStored;
    FDataVertLines = Src->FDataVertLines;
    FDataVertLinesStored = Src->FDataVertLinesStored;
    FGridBoundaries = Src->FGridBoundaries;
    FVertEmptySpaceStyle = Src->FVertEmptySpaceStyle;
    RelayoutGrid();
  }
}

void TDBAxisGridLineParamsEh::RepaintGrid()
{
  if (Grid())
    Grid()->Invalidate();
}

void TDBAxisGridLineParamsEh::RelayoutGrid()
{
  if (AxisGrid())
    AxisGrid()->LayoutChanged();
}

bool TDBAxisGridLineParamsEh::DataHorzLines()
{
  return FDataHorzLinesStored ? FDataHorzLines : DefaultDataHorzLines();
}

bool TDBAxisGridLineParamsEh::DataVertLines()
{
  return FDataVertLinesStored ? FDataVertLines : DefaultDataVertLines();
}

bool TDBAxisGridLineParamsEh::DefaultDataHorzLines()
{
  throw Exception(QStringLiteral("Realize DefaultDataHorzLines in an inherited class"));
}

bool TDBAxisGridLineParamsEh::DefaultDataVertLines()
{
  throw Exception(QStringLiteral("Realize DefaultDataVertLines in an inherited class"));
}

TDBGridLinesColorSchemeEh TDBAxisGridLineParamsEh::GetActualColorScheme()
{
  throw Exception(QStringLiteral("Realize GetActualColorScheme in an inherited class"));
}

void TDBAxisGridLineParamsEh::SetDataHorzLines(bool Value)
{
  if (FDataHorzLinesStored && FDataHorzLines == Value)
    return;
  FDataHorzLinesStored = true;
  FDataHorzLines = Value;
  RelayoutGrid();
}

void TDBAxisGridLineParamsEh::SetDataHorzLinesStored(bool Value)
{
  if (Value == FDataHorzLinesStored)
    return;
  FDataHorzLines = DefaultDataHorzLines();
  FDataHorzLinesStored = Value;
  RelayoutGrid();
}

void TDBAxisGridLineParamsEh::SetDataVertLines(bool Value)
{
  if (FDataVertLinesStored && FDataVertLines == Value)
    return;
  FDataVertLinesStored = true;
  FDataVertLines = Value;
  RepaintGrid();
}

void TDBAxisGridLineParamsEh::SetDataVertLinesStored(bool Value)
{
  if (Value == FDataVertLinesStored)
    return;
  FDataVertLines = DefaultDataVertLines();
  FDataVertLinesStored = Value;
  RepaintGrid();
}

void TDBAxisGridLineParamsEh::SetGridBoundaries(bool Value)
{
  if (Value == FGridBoundaries)
    return;
  FGridBoundaries = Value;
  RepaintGrid();
}

void TDBAxisGridLineParamsEh::SetColorScheme(TDBGridLinesColorSchemeEh Value)
{
  if (Value == FColorScheme)
    return;
  FColorScheme = Value;
  RepaintGrid();
}

void TDBAxisGridLineParamsEh::SetVertEmptySpaceStyle(TDrawEmptySpaceStyle Value)
{
  if (Value == FVertEmptySpaceStyle)
    return;
  FVertEmptySpaceStyle = Value;
  RepaintGrid();
}

void TDBAxisGridLineParamsEh::SetDataBoundaryColor(TColor Value)
{
  if (Value == FDataBoundaryColor)
    return;
  FDataBoundaryColor = Value;
  RepaintGrid();
}

TColor TDBAxisGridLineParamsEh::GetDataBoundaryColor()
{
  if (FDataBoundaryColor != clDefault)
    return FDataBoundaryColor;
  const TColor Vert = GetDataVertColor();
  const TColor Horz = GetDataHorzColor();
  if (Vert == Horz && Vert != clNone)
    return GetDarkColor();
  return DarkerColorEh(Vert, Horz);
}

namespace {

// The border colour of the grid cell element the scheme draws with.
TColor StyleLineColor(TDBGridLinesColorSchemeEh Scheme)
{
  TCustomStyleServices* Style = StyleServices();
  const TThemedGrid Cell = Scheme == glcsClassicEh ? tgClassicCellNormal
                         : Scheme == glcsFlatEh    ? tgGradientCellNormal
                                                   : tgCellNormal;
  TColor Color = clNone;
  if (!Style || !Style->GetElementColor(Style->GetElementDetails(Cell), ecBorderColor, Color))
    return clBtnShadow;
  return Color;
}

} // namespace

TColor TDBAxisGridLineParamsEh::GetDarkColor()
{
  if (FDarkColor != clDefault)
    return inherited::GetDarkColor();
  const TDBGridLinesColorSchemeEh Scheme = GetActualColorScheme();
  if (TStyleManager::IsCustomStyleActive())
    return StyleLineColor(Scheme);
  if (StyleThemesEnabledEh() && Scheme == glcsThemedEh)
    return StyleLineColor(Scheme);
  switch (Scheme) {
  case glcsFlatEh:
    return TColor(0x808080);
  case glcsThemedEh:
    return TColor(0xB8C7CB);
  case glcsClassicEh:
    if (StyleThemesEnabledEh())
      return cl3DDkShadow;
    return clBlack;
  default:
    return clBlack;
  }
}

TColor TDBAxisGridLineParamsEh::GetBrightColor()
{
  if (FBrightColor != clDefault)
    return inherited::GetBrightColor();
  const TDBGridLinesColorSchemeEh Scheme = GetActualColorScheme();
  if (TStyleManager::IsCustomStyleActive())
    return StyleLineColor(Scheme);
  if (StyleThemesEnabledEh() && Scheme == glcsThemedEh)
    return clBtnFace;
  return inherited::GetBrightColor();
}

// ---------------------------------------------------------------------------
// The border.

TControlBorderEh::TControlBorderEh(TCustomDBAxisGridEh* Grid) : FGrid(Grid) {}

TPersistent* TControlBorderEh::GetOwner() const
{
  return FGrid;
}

void TControlBorderEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TControlBorderEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  SetColor(Src->FColor);
  SetEdgeBorders(Src->FEdgeBorders);
  if (Src->FExtendedDrawStored)
    SetExtendedDraw(Src->FExtendedDraw);
  else
    SetExtendedDrawStored(false);
}

bool TControlBorderEh::Ctl3D() const
{
  return FGrid ? FGrid->Ctl3D() : true;
}

void TControlBorderEh::SetCtl3D(bool Value)
{
  if (FGrid)
    FGrid->SetCtl3D(Value);
}

TBorderStyle TControlBorderEh::Style() const
{
  return FGrid ? FGrid->BorderStyle() : TBorderStyle::bsSingle;
}

void TControlBorderEh::SetStyle(TBorderStyle Value)
{
  if (FGrid)
    FGrid->SetBorderStyle(Value);
}

bool TControlBorderEh::DefaultExtendedDraw() const
{
  if (!FGrid || !FGrid->Flat())
    return false;
  return Ctl3D() || FColor != clDefault || !(FEdgeBorders == TEdgeBorders{ebLeft, ebTop, ebRight, ebBottom});
}

bool TControlBorderEh::ExtendedDraw() const
{
  return FExtendedDrawStored ? FExtendedDraw : DefaultExtendedDraw();
}

void TControlBorderEh::SetExtendedDraw(bool Value)
{
  if (FExtendedDrawStored && FExtendedDraw == Value)
    return;
  FExtendedDrawStored = true;
  FExtendedDraw = Value;
  if (FGrid)
    RecreateWndEh(FGrid);
}

void TControlBorderEh::SetExtendedDrawStored(bool Value)
{
  if (Value == FExtendedDrawStored)
    return;
  FExtendedDraw = DefaultExtendedDraw();
  FExtendedDrawStored = Value;
  if (FGrid) {
    FGrid->UpdateBorderWindow();
    FGrid->Invalidate();
  }
}

void TControlBorderEh::SetColor(TColor Value)
{
  if (Value == FColor)
    return;
  FOldExtendedDraw = DefaultExtendedDraw();
  FColor = Value;
  if (FGrid) {
    FGrid->BorderChanged();
    FGrid->Invalidate();
  }
  UpdateExtendedDraw();
}

void TControlBorderEh::SetEdgeBorders(TEdgeBorders Value)
{
  if (Value == FEdgeBorders)
    return;
  FOldExtendedDraw = DefaultExtendedDraw();
  FEdgeBorders = Value;
  if (FGrid) {
    FGrid->BorderChanged();
    FGrid->Invalidate();
  }
  UpdateExtendedDraw();
}

void TControlBorderEh::UpdateExtendedDraw()
{
  if (FGrid && DefaultExtendedDraw() != FOldExtendedDraw)
    RecreateWndEh(FGrid);
}

// ---------------------------------------------------------------------------
// The grid's extended border.

Integer TCustomDBAxisGridEh::ExtendedBorderWidth() const
{
  return FBorder && FBorder->ExtendedDraw() && BorderStyle() == TBorderStyle::bsSingle ? 1 : 0;
}

void TCustomDBAxisGridEh::DrawBorder()
{
  if (FBorderWidth == 0)
    return;
  HDC DC = GetWindowDC(this);
  if (!DC) {
    // Outside the frame's painting: the frame is painted anew.
    Invalidate();
    return;
  }
  ScopeExit Release([&] { ReleaseDC(this, DC); });
  const TEdgeBorders Edges = FBorder->EdgeBorders();
  TRect R(0, 0, Width(), Height());
  if (FBorder->Color() == clDefault) {
    UINT Sides = 0;
    if (Edges.Contains(ebLeft))
      Sides |= BF_LEFT;
    if (Edges.Contains(ebTop))
      Sides |= BF_TOP;
    if (Edges.Contains(ebRight))
      Sides |= BF_RIGHT;
    if (Edges.Contains(ebBottom))
      Sides |= BF_BOTTOM;
    DrawEdge(DC, R, BDR_SUNKENOUTER, Ctl3D() ? Sides : Sides | BF_FLAT);
    return;
  }
  TExternalCanvas C(DC);
  C.Pen()->SetColor(FBorder->Color());
  C.Pen()->SetWidth(1);
  C.Pen()->SetStyle(psSolid);
  if (Edges.Contains(ebLeft)) {
    C.MoveTo(R.Left, R.Bottom - 1);
    C.LineTo(R.Left, R.Top - 1);
  }
  if (Edges.Contains(ebTop)) {
    C.MoveTo(R.Left, R.Top);
    C.LineTo(R.Right, R.Top);
  }
  if (Edges.Contains(ebRight)) {
    C.MoveTo(R.Right - 1, R.Top);
    C.LineTo(R.Right - 1, R.Bottom);
  }
  if (Edges.Contains(ebBottom)) {
    C.MoveTo(R.Right - 1, R.Bottom - 1);
    C.LineTo(R.Left - 1, R.Bottom - 1);
  }
}

// Cell sizes and counts move the visible cells' layouts.
void TCustomDBAxisGridEh::ColWidthsChanged()
{
  InvalidatePlaceBoxes();
  inherited::ColWidthsChanged();
}

void TCustomDBAxisGridEh::RowHeightsChanged()
{
  InvalidatePlaceBoxes();
  inherited::RowHeightsChanged();
}

void TCustomDBAxisGridEh::CelCountChanged()
{
  InvalidatePlaceBoxes();
  inherited::CelCountChanged();
}

// ---------------------------------------------------------------------------
// Painting a cell's place box.

void TCustomDBAxisGridEh::DrawPlaceBoxControls(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar,
                                               TRect CellRect, TAxisColCellParamsEh* Params)
{
  TInCellPlaceBoxEh* Box = GetCellPlaceBox(Cell.X, Cell.Y);
  if (!Box) {
    // A cell painted while off screen (into an image) is laid out for the
    // occasion.
    if (!FDrawPlaceBox)
      FDrawPlaceBox = std::make_unique<TInCellPlaceBoxEh>();
    Box = FDrawPlaceBox.get();
    FillPlaceBoxForCell(Cell.X, Cell.Y, Box, AxisBar);
  }
  for (Integer I = 0; I < Box->ChildCount(); ++I) {
    TInCellPlaceBoxEh* Child = Box->ChildItem(I);
    if (auto* Control = dynamic_cast<IInCellControlEh*>(Child->Control()))
      Control->DrawInCell(Canvas(), Cell, AreaCell, AxisBar, CellRect, Params, Child);
    else if (!Child->Control())
      DrawDataCellMainContent(Cell, AreaCell, AxisBar, CellRect, Params, Child->CtrlClientRect());
  }
}
