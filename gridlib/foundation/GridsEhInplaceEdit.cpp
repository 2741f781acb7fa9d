// GridsEhInplaceEdit.cpp: the base grid's inplace editor and its hosting.
#include "gridlib/foundation/GridsEh.h"

#include "gridlib/foundation/GridLibLangConsts.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/rtl/ScopeExit.h"

#include <algorithm>
#include <limits>

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

void TInplaceEdit::RemakeEditCoreControl()
{
  delete FEditCoreControl;
  FEditCoreControl = nullptr;
  FEditCoreControl = CreateEditCoreControl();
  FEditCoreControl->SetParent(this);
  FEditCoreControl->SetParentColor(true);
  FEditCoreControl->SetVisible(true);
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
  case WM_COMMAND:
    inherited::WndProc(Message);   // reflected: the core control's Change runs
    // The grid hears of the user's changes from its editor's window; the
    // editor's own setting of the text is none.
    if (HiWord(Message.WParam) == EN_CHANGE && !FInternalTextSetting && FGrid && FGrid->HandleAllocated() &&
        FEditCoreControl->HandleAllocated() && Message.LParam == LPARAM(FEditCoreControl->Handle()))
      SendMessage(FGrid->Handle(), WM_COMMAND, Message.WParam, LPARAM(Handle()));
    return;
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
