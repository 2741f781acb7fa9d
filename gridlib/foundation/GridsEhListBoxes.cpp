// GridsEhListBoxes.cpp: the list boxes and the popup lists.
#include "gridlib/foundation/GridsEh.h"

#include "gridlib/foundation/GridLibLangConsts.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/rtl/ScopeExit.h"

#include <algorithm>
#include <limits>

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
  DrawImageListImageCenteredEh(C, ImageRect, FImageList, ImageIndex, Selected);
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

// The smallest popup: a scroll bar's width, a scroll thumb's height.
static Integer PopupMinWidth() { return GetSystemMetrics(SM_CXVSCROLL); }
static Integer PopupMinHeight() { return GetSystemMetrics(SM_CYVTHUMB); }

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
  TCreateParams Params;
  CreateParams(Params);
  return (Params.Style & WS_BORDER ? 2 : 0) + 2 * FBorderWidth;
}

void TPopupListboxEh::SetRowCount(Integer Value)
{
  SetHeight(std::max(Value, 1) * ItemHeight() + GetBorderSize());
}

// A top-level window of its own, above every other, that never takes the
// activation: the editor that opened it keeps it.
void TPopupListboxEh::CreateParams(TCreateParams& Params)
{
  inherited::CreateParams(Params);
  Params.Style = WS_POPUP | WS_CLIPCHILDREN;
  if (CustomStyleActiveEh() || !Ctl3D())
    Params.Style |= WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WndParent = nullptr;
  Params.WindowClass.style |= CS_SAVEBITS;
  SetDropShadowClassStyleEh(this, Params, true);
}

QWidget* TPopupListboxEh::CreateWidget(QWidget*)
{
  return inherited::CreateWidget(nullptr);
}

TPoint TPopupListboxEh::ClientOrigin() const
{
  const TPoint P = inherited::ClientOrigin();
  return Parent() ? P - Parent()->ClientOrigin() : P;
}

void TPopupListboxEh::DrawBorder()
{
  if (!Ctl3D())
    return;
  HDC DC = GetWindowDC(this);
  if (!DC) {
    // Outside the frame's painting: it is painted anew.
    Invalidate();
    return;
  }
  TRect R(0, 0, Width(), Height());
  DrawEdge(DC, R, EDGE_RAISED, BF_RECT);
}

void TPopupListboxEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  AWidth = std::max(AWidth, PopupMinWidth());
  AHeight = std::max(AHeight, PopupMinHeight());
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
  HandleNeeded();
  SetWindowPos(this, HWND_TOP, Left(), Top(), Width(), Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
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
  case CM_CTL3DCHANGED:
    FBorderWidth = Ctl3D() && BorderStyle() == TBorderStyle::bsSingle ? 2 : 0;
    RecreateWnd();
    return;
  case WM_NCCALCSIZE:
    inherited::WndProc(Message);
    if (!CustomStyleActiveEh() && Message.LParam)
      reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0].Inflate(-FBorderWidth, -FBorderWidth);
    return;
  case WM_NCPAINT:
    inherited::WndProc(Message);
    DrawBorder();
    return;
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
  SetBounds(Left(), Top(), std::max(Width(), PopupMinWidth()), std::max(Height(), PopupMinHeight()));
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
  AWidth = std::max(AWidth, PopupMinWidth());
  AHeight = std::max(AHeight, PopupMinHeight());
  const Integer B = FListGrid->GetBorderSize() + 2 * BorderWidth();
  Integer H = ItemHeight();
  if (H == 0)
    H = GetTextHeight();
  const Integer Rows = H > 0 ? std::max((AHeight - B) / H, 1) : 1;
  const Integer NewHeight = B + Rows * std::max(H, 0);
  // A size that does not come from the owner is the user's, given with the
  // grip: the owner opens the list with it again.
  const bool ByUser = HandleAllocated() && !FInternalResizing && (AWidth != Width() || NewHeight != Height());
  FRowCount = Rows;
  inherited::SetBounds(ALeft, ATop, AWidth, NewHeight);
  if (ByUser) {
    FResizedRowCount = Rows;
    FResizedWidth = AWidth;
    FSizeGripResized = true;
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
