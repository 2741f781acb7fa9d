// DBCtrlsEhKeys.cpp: the data-aware editor's keys, clipboard and in-place
// mode, in which a grid uses it as its cell editor.
#include "gridlib/editors/DBCtrlsEh.h"

#include "gridlib/foundation/GridPlatformEh.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/rtl/ScopeExit.h"

// ---------------------------------------------------------------------------
// Keys

// The first button that owns the short cut, the main one before the others;
// their visibility does not count.
TEditButtonEh* TCustomDBEditEh::EditButtonByShortCut(TShortCut Value) const
{
  if (Value == 0)
    return nullptr;
  if (FEditButton->ShortCut() == Value)
    return FEditButton.get();
  for (Integer I = 0; I < FEditButtons->Count(); ++I)
    if (FEditButtons->Items(I)->ShortCut() == Value)
      return FEditButtons->Items(I);
  return nullptr;
}

void TCustomDBEditEh::KeyDown(Word& Key, TShiftState Shift)
{
  if (FInplaceMode) {
    FIntfInplaceEditHolder->InplaceEditKeyDown(this, Key, Shift);
    if (Key == 0)
      return;
  }
  inherited::KeyDown(Key, Shift);
  if (Key == 0)
    return;
  if (TEditButtonEh* Button = EditButtonByShortCut(ShortCut(Key, Shift)); Button && Button->Enabled()) {
    ClickEditButtonByKey(Button);
    Key = 0;
    return;
  }
  const bool OnlyCtrl = Shift.Contains(ssCtrl) && !Shift.Contains(ssShift) && !Shift.Contains(ssAlt);
  if (Key == 'A' && OnlyCtrl) {
    SelectAll();
  } else if (Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift))) {
    if (!FReadOnly && !FDataLink->Edit())
      Key = 0;
  } else if ((Key == VK_RETURN && FWantReturns) || (Key == VK_TAB && FWantTabs)) {
    if (!FReadOnly)
      FDataLink->Edit();
  }
}

void TCustomDBEditEh::KeyPress(QChar& Key)
{
  if (FInplaceMode)
    FIntfInplaceEditHolder->InplaceEditKeyPress(this, Key);
  if (Key.isNull() || (IsMasked() && Key == QChar(1)))
    return;
  inherited::KeyPress(Key);
  if (!Key.isNull() && !DataIndepended() && Field() && Key >= QChar(' ') && !IsValidChar(Key)) {
    MessageBeep(0);
    Key = QChar();
  }
  const char16_t K = Key.unicode();
  if (K == 27) {
    FDataLink->Reset();
    SelectAll();
    Key = QChar();
  } else if (K == 8 || K == 22 || K == 24 || K >= 32) {
    if (!FReadOnly && !FDataLink->Edit())
      Key = QChar();
  }
  if (Key == QChar(8) && FMRUList->Active() && Showing() && !FDroppedDown && Text().isEmpty())
    FMRUList->DropDown();
}

void TCustomDBEditEh::KeyUp(Word& Key, TShiftState Shift)
{
  if (FInplaceMode)
    FIntfInplaceEditHolder->InplaceEditKeyUp(this, Key, Shift);
  if (Key != 0)
    inherited::KeyUp(Key, Shift);
}

void TCustomDBEditEh::WMGetDlgCode(TMessage& Message)
{
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
  if (FWantTabs)
    Message.Result |= DLGC_WANTTAB;
  if (FWantReturns)
    Message.Result |= DLGC_WANTALLKEYS;
  if (FInplaceMode && (FInplaceEditHolder->Perform(WM_GETDLGCODE) & DLGC_WANTTAB) != 0)
    Message.Result |= DLGC_WANTTAB;
}

void TCustomDBEditEh::CMWantSpecialKey(TMessage& Message)
{
  const Word Key = Word(Message.WParam);
  if ((Key == VK_RETURN || Key == VK_ESCAPE) && FMRUList->DroppedDown()) {
    Message.Result = 1;
    return;
  }
  inherited::CMWantSpecialKey(Message);
  if ((Key == VK_ESCAPE && Modified()) || (Key == VK_RETURN && FInplaceMode))
    Message.Result = 1;
}

void TCustomDBEditEh::DefaultHandler(TMessage& Message)
{
  if (Message.Msg == WM_CHAR) {
    const QChar C(char16_t(Message.WParam));
    if ((C == QChar('\r') && !FWantReturns) || (C == QChar('\t') && !FWantTabs) || C == QChar('\n'))
      return;
  }
  // Presses on the buttons or the image are not the edit box's.
  if (Message.Msg >= WM_LBUTTONDOWN && Message.Msg <= WM_MBUTTONDBLCLK && Mouse()->Capture() != this) {
    const TPoint P(SmallInt(Message.LParamLo()), SmallInt(Message.LParamHi()));
    if (GetEditButtonsRect().Contains(P) || GetImageRect().Contains(P))
      return;
  }
  inherited::DefaultHandler(Message);
}

void TCustomDBEditEh::WMLButtonDown(TMessage& Message)
{
  inherited::WMLButtonDown(Message);
  if (!Focused() && Mouse()->Capture() == this)
    Mouse()->SetCapture(nullptr);
}

// ---------------------------------------------------------------------------
// Clipboard

// A single-line editor joins the clipboard's lines with blanks.
String TCustomDBEditEh::PreparePasteText(const String& Text)
{
  String S = Text;
  while (!S.isEmpty() && (S.back() == QChar('\r') || S.back() == QChar('\n')))
    S.chop(1);
  for (const char* Break : {"\r\n", "\n\r", "\n", "\r"})
    S.replace(QString::fromLatin1(Break), QStringLiteral(" "));
  return S;
}

void TCustomDBEditEh::WMPaste(TMessage& Message)
{
  if (!EditCanModify())
    return;
  if (IsMasked() || !FAutoSize) {
    inherited::WMPaste(Message);
    return;
  }
  const String ClipText = Clipboard()->AsText();
  if (ClipText.isEmpty())
    return;
  String S = PreparePasteText(ClipText);
  if (S == ClipText) {
    inherited::WMPaste(Message);
    return;
  }
  const String Old = Text();
  const Integer Start = SelStart();
  const Integer Len = SelLength();
  if (MaxLength() > 0 && Old.size() - Len + S.size() > MaxLength())
    S = S.left(std::max(0, MaxLength() - Integer(Old.size()) + Len));
  SetText(Old.left(Start) + S + Old.mid(Start + Len));
  SetSelStart(Start + Integer(S.size()));
}

void TCustomDBEditEh::WMCut(TMessage& Message) { inherited::WMCut(Message); }

// ---------------------------------------------------------------------------
// In-place mode

void TCustomDBEditEh::SetInplaceEditHolder(TWinControl* AInplaceEditHolder)
{
  if (FInplaceEditHolder == AInplaceEditHolder)
    return;
  IInplaceEditHolderEh* Intf = nullptr;
  if (AInplaceEditHolder) {
    Intf = dynamic_cast<IInplaceEditHolderEh*>(AInplaceEditHolder);
    if (!Intf)
      throw Exception(QStringLiteral("InplaceEditHolder have to support IInplaceEditHolderEh interface"));
  }
  FInplaceEditHolder = AInplaceEditHolder;
  FIntfInplaceEditHolder = Intf;
  FInplaceMode = AInplaceEditHolder != nullptr;
}

void TCustomDBEditEh::WndProc(TMessage& Message)
{
  if (MRUListKeyDown(Message))
    return;
  if (Message.Msg == WM_KILLFOCUS && FMRUList->DroppedDown() && !ComponentState().Contains(csDestroying))
    FMRUList->CloseUp(false);
  if (Message.Msg == WM_CHAR) {
    FCompleteKeyPress = String(QChar(char16_t(Message.WParam)));
    auto Clear = ScopeExit([this] { FCompleteKeyPress.clear(); });
    InplaceWndProc(Message);
    return;
  }
  InplaceWndProc(Message);
}

// In place, the holder sees every message first.
void TCustomDBEditEh::InplaceWndProc(TMessage& Message)
{
  if (FInplaceMode) {
    Message.Result = 0;
    FIntfInplaceEditHolder->InplaceEditWndProc(this, Message);
    if (Message.Result != 0)
      return;
    switch (Message.Msg) {
    case WM_SETFOCUS:
      if (TCustomForm* Form = GetParentForm(this); Form && !Form->SetFocusedControl(FInplaceEditHolder))
        return;
      Dispatch(Message);
      return;
    case WM_LBUTTONDOWN: {
      TPoint Pos;
      LongInt Time = 0;
      FIntfInplaceEditHolder->GetMouseDownInfo(Pos, Time);
      const TPoint Here = ClientToScreen(TPoint(SmallInt(Message.LParamLo()), SmallInt(Message.LParamHi())));
      if (Time != 0 && IsDoubleClickEh(Pos, Here, Cardinal(GetMessageTimeEh() - Time)))
        Message.Msg = WM_LBUTTONDBLCLK;
      break;
    }
    case CM_SHOWINGCHANGED:
      return;
    default:
      break;
    }
  }
  inherited::WndProc(Message);
}

void TCustomDBEditEh::Move(const TRect& Rect) { PlaceInplace(Rect, true); }
void TCustomDBEditEh::UpdateLoc(const TRect& Rect) { PlaceInplace(Rect, false); }

void TCustomDBEditEh::PlaceInplace(const TRect& Rect, bool Moving)
{
  if (!FInplaceMode) {
    SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
    return;
  }
  if (Rect.IsEmpty()) {
    Hide();
    return;
  }
  HandleNeeded();
  Invalidate();
  Perform(CM_CANCELMODE, 0, LPARAM(FInplaceEditHolder));
  const bool WasHidden = !Visible();
  SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
  TControl::SetVisible(true);
  if (Moving || WasHidden)
    Invalidate();
  if (FInplaceEditHolder->Focused())
    TWinControl::SetFocus();
}

void TCustomDBEditEh::Hide()
{
  if (!FInplaceMode) {
    TControl::SetVisible(false);
    return;
  }
  if (!HandleAllocated() || !Visible())
    return;
  const bool HadFocus = Focused();
  Invalidate();
  SetBounds(Left(), Top(), 0, 0);
  TControl::SetVisible(false);
  if (HadFocus && FInplaceEditHolder->CanFocus())
    FInplaceEditHolder->SetFocus();
}

bool TCustomDBEditEh::Visible() const
{
  if (FInplaceMode)
    return HandleAllocated() && TControl::Visible();
  return TControl::Visible();
}

void TCustomDBEditEh::SetVisible(bool Value)
{
  if (FInplaceMode && !Value)
    Hide();
  else
    TControl::SetVisible(Value);
}

void TCustomDBEditEh::SetFocus()
{
  if (FInplaceMode && !Visible())
    return;
  inherited::SetFocus();
}
