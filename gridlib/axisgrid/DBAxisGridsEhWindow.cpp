// DBAxisGridsEhWindow.cpp: the axis grid's window: focus, input method,
// frame, the messages it handles, scaling of its fonts and the streaming of
// its bars.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "platform/rtl/ScopeExit.h"

TInplaceEdit* TCustomDBAxisGridEh::CreateEditor()
{
  return new TDBAxisGridInplaceEdit(this);
}

static bool WindowIn(HWND Wnd, TWinControl* Control)
{
  return Wnd && Control && Control->HandleAllocated() && (Wnd == Control->Handle() || IsChild(Control->Handle(), Wnd));
}

// --- Focus.

void TCustomDBAxisGridEh::DoEnter()
{
  inherited::DoEnter();
  GridActiveChanged();
}

void TCustomDBAxisGridEh::DoExit()
{
  inherited::DoExit();
  GridActiveChanged();
}

void TCustomDBAxisGridEh::WMSetFocus(TMessage& Message)
{
  // Focus coming back from the grid's own editor keeps the input method.
  if (!WindowIn(reinterpret_cast<HWND>(Message.WParam), InplaceEditor()))
    UpdateIme();
  inherited::WMSetFocus(Message);
  if (ContainsFocus() != FSelectionActive)
    GridActiveChanged();
}

void TCustomDBAxisGridEh::WMKillFocus(TMessage& Message)
{
  inherited::WMKillFocus(Message);
  if (!IsDestroying() && ContainsFocus() != FSelectionActive)
    GridActiveChanged();
}

// --- Input method: only Far-East locales have one.

void TCustomDBAxisGridEh::UpdateIme()
{
  if (!SysLocaleFarEast() || FAxisBars->Count() == 0)
    return;
  SetImeName(FOriginalImeName);
  SetImeMode(FOriginalImeMode);
  if (auto* E = InplaceEditor()) {
    E->SetImeName(ImeName());
    E->SetImeMode(ImeMode());
  }
}

void TCustomDBAxisGridEh::SetIme()
{
  if (!SysLocaleFarEast())
    return;
  UpdateIme();
  ::SetImeName(ImeName());
  ::SetImeMode(Handle(), ImeMode());
}

void TCustomDBAxisGridEh::WMIMEStartComposition(TMessage& Message)
{
  DefaultHandler(Message);
  ShowEditor();
}

// --- Window and frame.

void TCustomDBAxisGridEh::CreateHandle()
{
  // A layout asked for while the window is made runs once, at the end.
  inherited::CreateHandle();
  FInplaceEditorButtonWidth = Flat() ? EditorsFlatButtonWidthEh() : GetSystemMetrics(SM_CXVSCROLL);
  FOriginalImeName = ImeName();
  FOriginalImeMode = ImeMode();
}

void TCustomDBAxisGridEh::CreateParams(TCreateParams& Params)
{
  inherited::CreateParams(Params);
  if (FBorder && FBorder->ExtendedDraw()) {
    Params.Style &= ~DWORD(WS_BORDER);
    Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
    FBorderWidth = BorderStyle() == TBorderStyle::bsSingle ? 1 : 0;
  } else {
    FBorderWidth = 0;
    if (Params.Style & WS_BORDER) {
      Params.Style &= ~DWORD(WS_BORDER);
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    }
  }
  Params.Style |= WS_CLIPCHILDREN;
  FWindowExtendedDraw = FBorder && FBorder->ExtendedDraw();
}

void TCustomDBAxisGridEh::UpdateBorderWindow()
{
  if (HandleAllocated() && FBorder->ExtendedDraw() != FWindowExtendedDraw)
    RecreateWndEh(this);
}

void TCustomDBAxisGridEh::BorderChanged()
{
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
}

void TCustomDBAxisGridEh::WMNCCalcSize(TMessage& Message)
{
  DefaultHandler(Message);
  auto* Params = reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam);
  if (!Params || FBorderWidth == 0)
    return;
  const TEdgeBorders Edges = FBorder->EdgeBorders();
  TRect& Client = Params->rgrc[0];
  if (Edges.Contains(ebLeft))
    Client.Left += FBorderWidth;
  if (Edges.Contains(ebTop))
    Client.Top += FBorderWidth;
  if (Edges.Contains(ebRight))
    Client.Right -= FBorderWidth;
  if (Edges.Contains(ebBottom))
    Client.Bottom -= FBorderWidth;
}

void TCustomDBAxisGridEh::WMNCPaint(TMessage& Message)
{
  DefaultHandler(Message);
  DrawBorder();
}

void TCustomDBAxisGridEh::WMEraseBkgnd(TMessage& Message)
{
  Message.Result = 1;
}

void TCustomDBAxisGridEh::Paint()
{
  inherited::Paint();
}

// --- Other messages.

void TCustomDBAxisGridEh::WMCancelMode(TMessage& Message)
{
  inherited::WMCancelMode(Message);
}

void TCustomDBAxisGridEh::CMWantSpecialKey(TMessage& Message)
{
  inherited::CMWantSpecialKey(Message);
  TDataSet* DS = FDataLink->DataSet();
  // Esc cancels the unposted changes of the record.
  if (DS && DS->Modified() && Message.WParam == VK_ESCAPE)
    Message.Result = 1;
}

void TCustomDBAxisGridEh::WMCommand(TMessage& Message)
{
  DefaultHandler(Message);
  // The editor's window tells of the user's changes of its text.
  if (HiWord(Message.WParam) == EN_CHANGE && InplaceEditor() &&
      reinterpret_cast<HWND>(Message.LParam) == InplaceEditor())
    InplaceEditTextChanged();
}

void TCustomDBAxisGridEh::InplaceEditTextChanged()
{
  if (auto* E = dynamic_cast<TDBAxisGridInplaceEdit*>(InplaceEditor()))
    E->TextChangedByUser();
}

void TCustomDBAxisGridEh::CMSysColorChange(TMessage& Message)
{
  DefaultHandler(Message);
}

bool TCustomDBAxisGridEh::WindowMessage(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_COMMAND: WMCommand(Message); return true;
  case WM_NCCALCSIZE: WMNCCalcSize(Message); return true;
  case WM_NCPAINT: WMNCPaint(Message); return true;
  default: return false;
  }
}

// --- Scaling and fonts.

void TCustomDBAxisGridEh::ChangeScale(Integer M, Integer D)
{
  const bool ScaleFonts = !IsLoading() || ScalingFlags().Contains(sfFont);
  if (M != D && ScaleFonts) {
    // Every own font keeps its own proportion to the grid's.
    if (!ParentFont())
      TitleFont()->SetSize(MulDiv(TitleFont()->Size(), M, D));
    FAxisBars->BeginUpdate();
    ScopeExit End([this] { FAxisBars->EndUpdate(); });
    for (Integer I = 0; I < FAxisBars->Count(); ++I) {
      TAxisBarEh* Bar = FAxisBars->AxisBar(I);
      if (Bar->AssignedValues().Contains(cvFont))
        Bar->Font()->SetSize(MulDiv(Bar->Font()->Size(), M, D));
      if (Bar->AssignedValues().Contains(cvTitleFont))
        Bar->Title()->Font()->SetSize(MulDiv(Bar->Title()->Font()->Size(), M, D));
    }
  }
  inherited::ChangeScale(M, D);
}

void TCustomDBAxisGridEh::CMFontChanged(TMessage& Message)
{
  inherited::CMFontChanged(Message);
  BeginLayout();
  ScopeExit End([this] { EndLayout(); });
  for (Integer I = 0; I < FAxisBars->Count(); ++I) {
    FAxisBars->AxisBar(I)->RefreshDefaultFont();
    FAxisBars->AxisBar(I)->Title()->RefreshDefaultFont();
  }
}

// --- Streaming.

void TCustomDBAxisGridEh::DefineProperties(TFiler& Filer)
{
  inherited::DefineProperties(Filer);
  String Name;
  GetBarsPropertyName(Name);
  Filer.DefineProperty(
    Name, [this](TReader& Reader) { ReadBars(Reader); }, [this](TWriter& Writer) { WriteBars(Writer); },
    BarsStored(Filer));
  // Descriptions saved by a form designer carry its design notes; a running
  // program has none to keep.
  Filer.DefineProperty(QStringLiteral("DesignInfoCollection"), [](TReader& Reader) { Reader.SkipValue(); }, nullptr,
                       false);
}

void TCustomDBAxisGridEh::ReadBars(TReader& Reader)
{
  FAxisBars->Clear();
  Reader.ReadCollection(FAxisBars.get());
}

void TCustomDBAxisGridEh::WriteBars(TWriter& Writer)
{
  Writer.WriteCollection(FAxisBars.get());
}

bool TCustomDBAxisGridEh::BarsStored(TFiler& Filer)
{
  // Default bars come from the dataset again when the form is read.
  auto* Ancestor = dynamic_cast<TCustomDBAxisGridEh*>(Filer.Ancestor());
  if (!Ancestor)
    return FAxisBars->State() == csCustomized;
  return Ancestor->AxisBars()->State() != FAxisBars->State() ||
         !CollectionsEqual(FAxisBars.get(), Ancestor->AxisBars(), Owner(), Ancestor->Owner());
}
