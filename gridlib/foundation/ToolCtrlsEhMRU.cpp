// ToolCtrlsEhMRU.cpp: the MRU list of the editors, the special row of the
// lookup lists and the size grip of the drop-down windows.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include "platform/gui/Themes.h"

#include <algorithm>

// ---------------------------------------------------------------------------
// TMRUListEh

TMRUListEh::TMRUListEh(TPersistent* AOwner)
    : FAutogenItems(std::make_unique<TStringList>()), FItems(std::make_unique<TStringList>()), FOwner(AOwner)
{
}

TMRUListEh::~TMRUListEh() = default;

void TMRUListEh::SetActive(bool Value)
{
  if (Value == FActive)
    return;
  FActive = Value;
  if (OnActiveChanged)
    OnActiveChanged(this);
}

// A negative limit would make every trim delete from an empty list.
void TMRUListEh::SetLimit(Integer Value)
{
  Value = std::max(Value, 0);
  if (Value == FLimit)
    return;
  FLimit = Value;
  TrimToLimit();
}

void TMRUListEh::TrimToLimit()
{
  while (FItems->Count() > FLimit)
    FItems->Delete(0);
}

TStrings* TMRUListEh::ActiveItems() const
{
  return FListSourceKind == lskDataSetFieldValuesEh ? FAutogenItems.get() : FItems.get();
}

void TMRUListEh::Add(const String& Text)
{
  if (Text.trimmed().isEmpty())
    return;
  for (Integer I = 0; I < FItems->Count(); ++I) {
    const String& Item = FItems->Strings(I);
    if (FCaseSensitive ? Item == Text : AnsiCompareTextEh(Item, Text) == 0) {
      FItems->Move(I, FItems->Count() - 1);
      return;
    }
  }
  FItems->Add(Text);
  TrimToLimit();
}

bool TMRUListEh::FilterItemsTo(TStrings* FilteredItems, const String& MaskText)
{
  FilteredItems->BeginUpdate();
  struct TEndUpdate {
    TStrings* S;
    ~TEndUpdate() { S->EndUpdate(); }
  } End{FilteredItems};
  FilteredItems->Clear();
  TStrings* Source = ActiveItems();
  const Integer Len = Integer(MaskText.size());
  for (Integer I = 0; I < Source->Count(); ++I) {
    if (FCancelIfKeyInQueue && I % 100 == 0) {
      TMsg Msg;
      if (PeekMessage(Msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE))
        return false;
    }
    bool Accept = false;
    if (OwnerFilterItem) {
      OwnerFilterItem(Source->Strings(I), Accept);
    } else {
      const String Head = Source->Strings(I).left(Len);
      Accept = FCaseSensitive ? AnsiCompareStrEh(Head, MaskText) == 0 : AnsiCompareTextEh(Head, MaskText) == 0;
      if (OnFilterItem)
        OnFilterItem(this, Accept);
    }
    if (Accept)
      FilteredItems->Add(Source->Strings(I));
  }
  return true;
}

void TMRUListEh::CloseUp(bool Accept)
{
  if (OnSetCloseUp)
    OnSetCloseUp(this, Accept);
}

// Generated items are made anew for every drop-down.
void TMRUListEh::DropDown()
{
  PrepareActiveItems();
  if (OnSetDropDown)
    OnSetDropDown(this);
}

void TMRUListEh::PrepareActiveItems()
{
  if (FListSourceKind == lskDataSetFieldValuesEh && OnFillAutogenItems)
    OnFillAutogenItems(this, FAutogenItems.get());
}

void TMRUListEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TMRUListEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  SetActive(Src->Active());
  SetItems(Src->Items());
  SetLimit(Src->Limit());
  SetRows(Src->Rows());
  SetCaseSensitive(Src->CaseSensitive());
}

// ---------------------------------------------------------------------------
// TSpecRowEh

static bool IsControlChar(QChar C) { return C.unicode() < 32; }

// Cells split from "a;b" or from quoted items ("x;y" keeps its semicolon).
static void SplitCellsText(const String& Text, TStrings* Cells)
{
  Cells->BeginUpdate();
  Cells->Clear();
  const Integer Len = Integer(Text.size());
  Integer P = 0;
  while (P < Len && Text[P].unicode() >= 1 && Text[P].unicode() <= 32)
    ++P;
  while (P < Len) {
    String Item;
    if (Text[P] == QLatin1Char('"')) {
      ++P;
      while (P < Len) {
        if (Text[P] == QLatin1Char('"')) {
          if (P + 1 < Len && Text[P + 1] == QLatin1Char('"')) {
            Item += QLatin1Char('"');
            P += 2;
            continue;
          }
          ++P;
          break;
        }
        Item += Text[P++];
      }
    } else {
      const Integer Start = P;
      while (P < Len && Text[P] != QLatin1Char(';') && !IsControlChar(Text[P]))
        ++P;
      Item = Text.mid(Start, P - Start);
    }
    Cells->Add(Item);
    while (P < Len && IsControlChar(Text[P]))
      ++P;
    if (P < Len && Text[P] == QLatin1Char(';')) {
      ++P;
      while (P < Len && IsControlChar(Text[P]))
        ++P;
    }
  }
  Cells->EndUpdate();
}

TSpecRowEh::TSpecRowEh(TPersistent* AOwner)
    : FCellsStrings(std::make_unique<TStringList>()), FFont(std::make_unique<TFont>()), FOwner(AOwner),
      FValue(Null)
{
  if (TFont* Default = DefaultFont())
    FFont->Assign(Default);
  FFont->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
}

TSpecRowEh::~TSpecRowEh()
{
  FFont->OnChange = nullptr;
}

void TSpecRowEh::Changed()
{
  if (FUpdateCount == 0 && OnChanged)
    OnChanged(this);
}

void TSpecRowEh::EndUpdate()
{
  if (FUpdateCount > 0)
    --FUpdateCount;
  Changed();
}

void TSpecRowEh::SetCellsText(const String& Value)
{
  if (Value == FCellsText)
    return;
  FCellsText = Value;
  SplitCellsText(Value, FCellsStrings.get());
  Changed();
}

TColor TSpecRowEh::DefaultColor() const
{
  if (auto* Control = dynamic_cast<TCustomControl*>(FOwner))
    return Control->Color();
  return FColor;
}

TFont* TSpecRowEh::DefaultFont() const
{
  if (auto* Control = dynamic_cast<TControl*>(FOwner))
    return Control->Font();
  return nullptr;
}

TColor TSpecRowEh::Color() const
{
  return FColorAssigned ? FColor : DefaultColor();
}

void TSpecRowEh::SetColor(TColor Value)
{
  if (FColorAssigned && Value == FColor)
    return;
  FColor = Value;
  FColorAssigned = true;
  Changed();
}

// An unassigned font follows the owner's, quietly.
TFont* TSpecRowEh::Font() const
{
  if (!FFontAssigned)
    if (TFont* Default = DefaultFont()) {
      auto* Self = const_cast<TSpecRowEh*>(this);
      Self->FFontSyncing = true;
      FFont->Assign(Default);
      Self->FFontSyncing = false;
    }
  return FFont.get();
}

void TSpecRowEh::FontChanged(TObject*)
{
  if (FFontSyncing)
    return;
  FFontAssigned = true;
  Changed();
}

void TSpecRowEh::SetShowIfNotInKeyList(bool Value)
{
  if (Value == FShowIfNotInKeyList)
    return;
  FShowIfNotInKeyList = Value;
  Changed();
}

void TSpecRowEh::SetValue(const Variant& Value)
{
  if (VarValuesEqualEh(Value, FValue) && Value.VType() == FValue.VType())
    return;
  FValue = Value;
  Changed();
}

void TSpecRowEh::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  Changed();
}

String TSpecRowEh::GetCellText(Integer Index) const
{
  if (Index < 0 || Index >= FCellsStrings->Count())
    return String();
  return FCellsStrings->Strings(Index);
}

bool TSpecRowEh::LocateKey(const Variant& KeyValue) const
{
  return FVisible && VarValuesEqualEh(FValue, KeyValue);
}

void TSpecRowEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TSpecRowEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  SetCellsText(Src->CellsText());
  SetColor(Src->Color());
  if (Src->IsFontStored())
    SetFont(Src->Font());
  SetShortCut(Src->ShortCut());
  SetShowIfNotInKeyList(Src->ShowIfNotInKeyList());
  SetValue(Src->Value());
  SetVisible(Src->Visible());
  EndUpdate();
}

// ---------------------------------------------------------------------------
// TSizeGripEh

TSizeGripPosition MirrorSizeGripPositionEh(TSizeGripPosition Position)
{
  switch (Position) {
  case sgpTopLeft: return sgpTopRight;
  case sgpTopRight: return sgpTopLeft;
  case sgpBottomRight: return sgpBottomLeft;
  case sgpBottomLeft: return sgpBottomRight;
  }
  return Position;
}

TSizeGripEh::TSizeGripEh(TComponent* AOwner) : TCustomControlEh(AOwner)
{
  SetControlStyle(TControlStyle{csCaptureMouse, csReplicatable, csParentBackground});
  SetBounds(Left(), Top(), GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYVSCROLL));
  SetColor(clBtnFace);
  SetCursor(crSizeNWSE);
}

// A hosted grip lives in its host's window without being one of its
// controls, so that it never takes part in the host's layout.
QWidget* TSizeGripEh::CreateWidget(QWidget* ParentWidget)
{
  if (FHostControl && !Parent()) {
    FHostControl->HandleNeeded();
    ParentWidget = FHostControl->ClientWidget();
  }
  return inherited::CreateWidget(ParentWidget);
}

void TSizeGripEh::CreateHandle()
{
  inherited::CreateHandle();
  UpdateWindowRegion();
}

void TSizeGripEh::SetPosition(TSizeGripPosition Value)
{
  if (Value == FPosition)
    return;
  FPosition = Value;
  if (HandleAllocated())
    RecreateWnd();
}

void TSizeGripEh::SetTriangleWindow(bool Value)
{
  if (Value == FTriangleWindow)
    return;
  FTriangleWindow = Value;
  UpdateWindowRegion();
}

bool TSizeGripEh::Visible() const
{
  if (HandleAllocated())
    return IsWindowVisible(const_cast<TSizeGripEh*>(this));
  return TControl::Visible();
}

void TSizeGripEh::SetVisible(bool Value)
{
  if (HandleAllocated())
    ShowWindow(this, Value ? SW_SHOW : SW_HIDE);
  else
    TControl::SetVisible(Value);
}

void TSizeGripEh::ChangePosition(TSizeGripChangePosition NewPosition)
{
  TSizeGripPosition P = FPosition;
  switch (NewPosition) {
  case sgcpToLeft:
    if (P == sgpTopRight) P = sgpTopLeft;
    else if (P == sgpBottomRight) P = sgpBottomLeft;
    break;
  case sgcpToRight:
    if (P == sgpTopLeft) P = sgpTopRight;
    else if (P == sgpBottomLeft) P = sgpBottomRight;
    break;
  case sgcpToTop:
    if (P == sgpBottomRight) P = sgpTopRight;
    else if (P == sgpBottomLeft) P = sgpTopLeft;
    break;
  case sgcpToBottom:
    if (P == sgpTopRight) P = sgpBottomRight;
    else if (P == sgpTopLeft) P = sgpBottomLeft;
    break;
  }
  SetPosition(P);
}

void TSizeGripEh::UpdatePosition()
{
  TWinControl* Host = HostControl();
  if (!Host)
    return;
  const Integer W = Width(), H = Height();
  const Integer CW = Host->ClientWidth(), CH = Host->ClientHeight();
  FInternalMove = true;
  switch (FPosition) {
  case sgpTopLeft: SetBounds(0, 0, W, H); break;
  case sgpTopRight: SetBounds(CW - W, 0, W, H); break;
  case sgpBottomRight: SetBounds(CW - W, CH - H, W, H); break;
  case sgpBottomLeft: SetBounds(0, CH - H, W, H); break;
  }
  FInternalMove = false;
}

std::vector<TPoint> TSizeGripEh::WindowRegionPoints() const
{
  if (!FTriangleWindow)
    return {};
  return SizeGripTrianglePointsEh(FPosition, Width(), Height());
}

std::vector<TPoint> SizeGripTrianglePointsEh(TSizeGripPosition Position, Integer W, Integer H)
{
  switch (Position) {
  case sgpBottomRight: return {TPoint(0, H), TPoint(W, H), TPoint(W, 0)};
  case sgpBottomLeft: return {TPoint(W, H), TPoint(0, H), TPoint(0, 0)};
  case sgpTopLeft: return {TPoint(W - 1, 0), TPoint(0, 0), TPoint(0, H - 1)};
  case sgpTopRight: return {TPoint(W, H - 1), TPoint(W, 0), TPoint(1, 0)};
  }
  return {};
}

void SetWindowPolygonEh(TWinControl* Control, const std::vector<TPoint>& Points)
{
  if (Points.empty())
    SetWindowRgn(Control, nullptr, true);
  else
    SetWindowRgn(Control, CreatePolygonRgn(Points.data(), Integer(Points.size()), WINDING), true);
}

void TSizeGripEh::UpdateWindowRegion()
{
  if (!HandleAllocated())
    return;
  SetWindowPolygonEh(this, WindowRegionPoints());
  UpdatePosition();
  SetCursor(FPosition == sgpTopLeft || FPosition == sgpBottomRight ? crSizeNWSE : crSizeNESW);
}

void TSizeGripEh::Paint()
{
  TCanvas* C = Canvas();
  const TRect R = ClientRect();
  if (StyleThemesEnabledEh() && !CustomStyleActiveEh()) {
    TThemedScrollBar Box = tsSizeBoxRightAlign;
    switch (FPosition) {
    case sgpBottomRight: Box = tsSizeBoxRightAlign; break;
    case sgpBottomLeft: Box = tsSizeBoxLeftAlign; break;
    case sgpTopRight: Box = tsSizeBoxTopRightAlign; break;
    case sgpTopLeft: Box = tsSizeBoxTopLeftAlign; break;
    }
    C->Brush()->SetColor(ColorToRGB(clBtnFace));
    C->FillRect(R);
    StyleServices()->DrawElement(C->Handle(), StyleServices()->GetElementDetails(Box), R);
    return;
  }
  TColor Face = clBtnFace, Light = clBtnHighlight, Shadow = clBtnShadow;
  if (CustomStyleActiveEh()) {
    Face = StyleServices()->GetSystemColor(clBtnFace);
    Light = StyleServices()->GetSystemColor(clBtnHighlight);
    Shadow = StyleServices()->GetSystemColor(clBtnShadow);
  }
  C->Brush()->SetColor(ColorToRGB(Face));
  C->FillRect(R);
  // Lines parallel to the corner's diagonal, 4 pixels apart from 1 pixel in.
  const Integer W = R.Width(), H = R.Height();
  const bool Right = FPosition == sgpTopRight || FPosition == sgpBottomRight;
  const bool Bottom = FPosition == sgpBottomLeft || FPosition == sgpBottomRight;
  auto Line = [&](Integer D, TColor Color) {
    if (D >= std::min(W, H))
      return;
    C->Pen()->SetColor(ColorToRGB(Color));
    const Integer XEdge = Right ? W - 1 : 0, YEdge = Bottom ? H - 1 : 0;
    const Integer SX = Right ? -1 : 1, SY = Bottom ? -1 : 1;
    C->MoveTo(XEdge, YEdge + SY * D);
    C->LineTo(XEdge + SX * (D + 1), YEdge - SY);
  };
  for (Integer D = 1; D < std::min(W, H); D += 4) {
    Line(D, Light);
    Line(D + 1, Shadow);
    Line(D + 2, Shadow);
    Line(D + 3, Face);
  }
}

static TPoint GripScreenPoint(TSizeGripEh* Grip, Integer X, Integer Y)
{
  if (!Grip->Parent() && Grip->HostControl())
    return Grip->HostControl()->ClientToScreen(TPoint(Grip->Left() + X, Grip->Top() + Y));
  return Grip->ClientToScreen(TPoint(X, Y));
}

void TSizeGripEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseDown(Button, Shift, X, Y);
  TWinControl* Host = HostControl();
  if (Button != mbLeft || !Host)
    return;
  FInitScreenMousePos = GripScreenPoint(this, X, Y);
  FOldMouseMovePos = FInitScreenMousePos;
  FParentRect = TRect(Host->ClientWidth(), Host->ClientHeight(), Host->Width(), Host->Height());
}

void TSizeGripEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseMove(Shift, X, Y);
  TWinControl* Host = HostControl();
  if (!Shift.Contains(ssLeft) || !MouseCapture() || FInternalMove || !Host)
    return;
  const TPoint P = GripScreenPoint(this, X, Y);
  if (P == FOldMouseMovePos)
    return;
  const TRect Work = Screen->WorkAreaRect();
  TRect HostRect;
  GetControlScreenRectEh(Host, HostRect);
  const Integer DX = P.X - FInitScreenMousePos.X, DY = P.Y - FInitScreenMousePos.Y;
  const Integer FrameW = FParentRect.Right - FParentRect.Left, FrameH = FParentRect.Bottom - FParentRect.Top;
  const Integer OldClientW = Host->ClientWidth(), OldClientH = Host->ClientHeight();
  Integer L = Host->Left(), T = Host->Top(), W = Host->Width(), H = Host->Height();
  if (FPosition == sgpTopRight || FPosition == sgpBottomRight) {
    const Integer ClientW = std::min(FParentRect.Left + DX, Work.Right - HostRect.Left - FrameW);
    W = std::max(ClientW, 0) + FrameW;
  } else {
    const Integer NewW = std::max(std::min(FParentRect.Right - DX, HostRect.Right - Work.Left), 0);
    L += W - NewW;
    W = NewW;
  }
  if (FPosition == sgpBottomLeft || FPosition == sgpBottomRight) {
    const Integer ClientH = std::min(FParentRect.Top + DY, Work.Bottom - HostRect.Top - FrameH);
    H = std::max(ClientH, 0) + FrameH;
  } else {
    const Integer NewH = std::max(std::min(FParentRect.Bottom - DY, HostRect.Bottom - Work.Top), 0);
    T += H - NewH;
    H = NewH;
  }
  Host->SetBounds(L, T, W, H);
  FOldMouseMovePos = P;
  if ((Host->ClientWidth() != OldClientW || Host->ClientHeight() != OldClientH) && OnParentResized)
    OnParentResized(this);
  UpdatePosition();
}

// ---------------------------------------------------------------------------
// Registration.

void RegisterToolCtrlsEhMRUClasses()
{
  RegisterEnum<TMRUListSourceKindEh>("TMRUListSourceKindEh", {"lskMRUListItemsEh", "lskDataSetFieldValuesEh"});
  RegisterClassInfo<TMRUListEh, TPersistent>("TMRUListEh")
      .Property("Active", &TMRUListEh::Active, &TMRUListEh::SetActive, false)
      .Property("AutoAdd", &TMRUListEh::AutoAdd, &TMRUListEh::SetAutoAdd, true)
      .Property("CaseSensitive", &TMRUListEh::CaseSensitive, &TMRUListEh::SetCaseSensitive, false)
      .Property("Items", &TMRUListEh::Items, &TMRUListEh::SetItems)
      .Property("Limit", &TMRUListEh::Limit, &TMRUListEh::SetLimit, 100)
      .Property("ListSourceKind", &TMRUListEh::ListSourceKind, &TMRUListEh::SetListSourceKind, lskMRUListItemsEh)
      .Property("Rows", &TMRUListEh::Rows, &TMRUListEh::SetRows, 7);
  RegisterClassInfo<TSpecRowEh, TPersistent>("TSpecRowEh")
      .Property("CellsText", &TSpecRowEh::CellsText, &TSpecRowEh::SetCellsText)
      .Property("ShowIfNotInKeyList", &TSpecRowEh::ShowIfNotInKeyList, &TSpecRowEh::SetShowIfNotInKeyList, true)
      .Property("Visible", &TSpecRowEh::Visible, &TSpecRowEh::SetVisible, false);
}
