// Mask.cpp: the edit-mask engine and the masked edit box.
#include "platform/gui/Mask.h"

#include "platform/gui/Forms.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

namespace {

struct TMaskSections {
  String Mask;
  Integer Separator = -1;   // index of the separator that ends the mask
  bool Save = true;
  QChar Blank = DefaultBlank;
};

// Splits "mask;save;blank"; a separator escaped with '\' belongs to the mask.
TMaskSections SplitMask(const String& EditMask)
{
  TMaskSections S;
  const Integer N = Integer(EditMask.size());
  Integer I = 0;
  for (; I < N; ++I) {
    if (EditMask[I] == mDirLiteral) {
      ++I;
      continue;
    }
    if (EditMask[I] == MaskFieldSeparator)
      break;
  }
  S.Mask = EditMask.left(std::min(I, N));
  if (I >= N)
    return S;
  S.Separator = I;
  const Integer SaveEnd = Integer(EditMask.indexOf(MaskFieldSeparator, I + 1));
  const String Save = SaveEnd < 0 ? EditMask.mid(I + 1) : EditMask.mid(I + 1, SaveEnd - I - 1);
  S.Save = Save.isEmpty() || Save[0] != MaskNoSave;
  if (SaveEnd >= 0 && SaveEnd + 1 < N)
    S.Blank = EditMask[SaveEnd + 1];
  return S;
}

bool IsMaskChar(QChar C)
{
  switch (C.unicode()) {
  case u'0': case u'9': case u'#': case u'L': case u'l': case u'A': case u'a': case u'C': case u'c':
    return true;
  default:
    return false;
  }
}

bool IsAsciiDigit(QChar C) { return C >= QLatin1Char('0') && C <= QLatin1Char('9'); }

// Whether a place of kind Kind takes C as a character (not as a blank).
bool KindAccepts(QChar Kind, QChar C)
{
  switch (Kind.unicode()) {
  case u'0': case u'9': return IsAsciiDigit(C);
  case u'#': return IsAsciiDigit(C) || C == QLatin1Char('+') || C == QLatin1Char('-');
  case u'L': case u'l': return C.isLetter();
  case u'A': case u'a': return C.isLetter() || IsAsciiDigit(C);
  case u'C': case u'c': return C >= QLatin1Char(' ') && C.isPrint();
  default: return false;
  }
}

bool IsOptionalKind(QChar Kind) { return Kind == mMskDigitOpt || Kind == mMskNumSymOpt || Kind.isLower(); }

const String MaskEditErrorText = QStringLiteral("Invalid input value.  Use escape key to abandon changes");

} // namespace

// ---------------------------------------------------------------------------
// Mask routines.

Integer MaskGetFldSeparator(const String& EditMask)
{
  const Integer I = SplitMask(EditMask).Separator;
  return I < 0 ? -1 : I + 1;
}

bool MaskGetMaskSave(const String& EditMask) { return SplitMask(EditMask).Save; }
QChar MaskGetMaskBlank(const String& EditMask) { return SplitMask(EditMask).Blank; }

String FormatMaskText(const String& EditMask, const String& Value)
{
  const TMaskLayout L(EditMask);
  return L.SaveLiterals() ? L.Pad(Value, QLatin1Char(' ')) : L.FormatRaw(Value, QLatin1Char(' '));
}

String MaskDoFormatText(const String& EditMask, const String& Value, QChar Blank)
{
  return TMaskLayout(EditMask).FormatRaw(Value, Blank);
}

String PadInputLiterals(const String& EditMask, const String& Value, QChar Blank)
{
  return TMaskLayout(EditMask).Pad(Value, Blank);
}

// ---------------------------------------------------------------------------
// TMaskLayout.

TMaskLayout::TMaskLayout(const String& EditMask)
{
  const TMaskSections S = SplitMask(EditMask);
  FSaveLiterals = S.Save;
  FBlank = S.Blank;
  Integer Case = 0;
  const String& M = S.Mask;
  for (Integer I = 0; I < Integer(M.size()); ++I) {
    const QChar C = M[I];
    if (C == mDirLiteral) {
      if (I + 1 < Integer(M.size()))
        FPlaces.push_back({QChar(), M[++I], 0});
      continue;
    }
    if (C == mDirReverse) {
      FReverseDir = true;
      continue;
    }
    if (C == mDirUpperCase) {
      Case = 1;
      continue;
    }
    if (C == mDirLowerCase) {
      const bool EndsCase = I + 1 < Integer(M.size()) && M[I + 1] == mDirUpperCase;
      Case = EndsCase ? 0 : -1;
      I += EndsCase ? 1 : 0;
      continue;
    }
    if (IsMaskChar(C)) {
      FPlaces.push_back({C, QChar(), Case});
      continue;
    }
    QChar Shown = C;
    if (C == mMskDateSeparator)
      Shown = FormatSettings.DateSeparator;
    else if (C == mMskTimeSeparator)
      Shown = FormatSettings.TimeSeparator;
    FPlaces.push_back({QChar(), Shown, 0});
  }
}

bool TMaskLayout::IsRequired(Integer Pos) const
{
  return !IsLiteral(Pos) && !IsOptionalKind(Place(Pos).Kind);
}

// A blank, or a space where the place is not one that takes any character.
bool TMaskLayout::IsEmptyAt(Integer Pos, QChar C) const
{
  const QChar Kind = Place(Pos).Kind;
  return C == FBlank || (C == QLatin1Char(' ') && Kind != mMskAscii && Kind != mMskAsciiOpt);
}

bool TMaskLayout::Fits(Integer Pos, QChar C) const
{
  if (IsLiteral(Pos))
    return true;
  if (IsEmptyAt(Pos, C))
    return !IsRequired(Pos);
  return KindAccepts(Place(Pos).Kind, C);
}

QChar TMaskLayout::Accept(Integer Pos, QChar C) const
{
  if (Pos < 0 || Pos >= Count() || IsLiteral(Pos))
    return QChar();
  const TPlace& P = Place(Pos);
  // A space leaves an optional place empty.
  const bool Space = C == QLatin1Char(' ') && (IsOptionalKind(P.Kind) || P.Kind == mMskAscii);
  if (!Space && !KindAccepts(P.Kind, C))
    return QChar();
  if (P.Case > 0)
    return C.toUpper();
  if (P.Case < 0)
    return C.toLower();
  return C;
}

Integer TMaskLayout::NextInput(Integer Pos) const
{
  for (Integer I = std::max(Pos, 0); I < Count(); ++I)
    if (!IsLiteral(I))
      return I;
  return Count();
}

Integer TMaskLayout::PrevInput(Integer Pos) const
{
  for (Integer I = std::min(Pos, Count()) - 1; I >= 0; --I)
    if (!IsLiteral(I))
      return I;
  return -1;
}

String TMaskLayout::FormatRaw(const String& Raw, QChar Blank) const
{
  if (!IsMasked())
    return Raw;
  String R(Count(), Blank);
  const Integer N = Integer(Raw.size());
  Integer J = FReverseDir ? N - 1 : 0;
  for (Integer K = 0; K < Count(); ++K) {
    const Integer I = FReverseDir ? Count() - 1 - K : K;
    if (IsLiteral(I)) {
      R[I] = Literal(I);
      continue;
    }
    if (FReverseDir ? J >= 0 : J < N) {
      R[I] = Raw[J];
      J += FReverseDir ? -1 : 1;
    }
  }
  return R;
}

String TMaskLayout::Pad(const String& Value, QChar Blank) const
{
  if (!IsMasked())
    return Value;
  String R(Count(), Blank);
  for (Integer I = 0; I < Count(); ++I) {
    if (IsLiteral(I))
      R[I] = Literal(I);
    else if (I < Integer(Value.size()))
      R[I] = Value[I];
  }
  return R;
}

String TMaskLayout::TextOf(const String& EditText) const
{
  if (!IsMasked() || !FSaveLiterals)
    return RawOf(EditText);
  String R = Pad(EditText, FBlank);
  for (Integer I = 0; I < Count(); ++I)
    if (!IsLiteral(I) && R[I] == FBlank)
      R[I] = QLatin1Char(' ');
  return R;
}

String TMaskLayout::RawOf(const String& EditText) const
{
  if (!IsMasked())
    return EditText;
  const String Full = Pad(EditText, FBlank);
  String R;
  for (Integer I = 0; I < Count(); ++I)
    if (!IsLiteral(I))
      R += Full[I] == FBlank ? QChar(QLatin1Char(' ')) : Full[I];
  Integer B = 0, E = Integer(R.size());
  if (FReverseDir)
    while (B < E && R[B] == QLatin1Char(' '))
      ++B;
  else
    while (E > B && R[E - 1] == QLatin1Char(' '))
      --E;
  return R.mid(B, E - B);
}

String TMaskLayout::SpacesToBlanks(String EditText) const
{
  for (Integer I = 0; I < std::min(Count(), Integer(EditText.size())); ++I)
    if (!IsLiteral(I) && EditText[I] == QLatin1Char(' ') && IsEmptyAt(I, EditText[I]))
      EditText[I] = FBlank;
  return EditText;
}

Integer TMaskLayout::FirstInvalid(const String& EditText) const
{
  for (Integer I = 0; I < Count(); ++I) {
    const QChar C = I < Integer(EditText.size()) ? EditText[I] : FBlank;
    if (!Fits(I, C))
      return I;
  }
  return -1;
}

// ---------------------------------------------------------------------------
// TCustomMaskEdit.

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

String TCustomMaskEdit::EditText() const { return TCustomEdit::GetText(); }

TCaption TCustomMaskEdit::GetText() const
{
  return IsMasked() ? FLayout.TextOf(EditText()) : TCustomEdit::GetText();
}

void TCustomMaskEdit::SetRawEditText(const String& Value)
{
  FSettingText = true;
  TCustomEdit::SetTextValue(Value);
  FSettingText = false;
}

// Text set in code: with the literals when the mask saves them, the bare
// characters otherwise; spaces in input places are empty places.
void TCustomMaskEdit::SetTextValue(const TCaption& Value)
{
  String New = Value;
  if (IsMasked()) {
    New = FLayout.SaveLiterals() ? FLayout.Pad(Value, FLayout.Blank()) : FLayout.FormatRaw(Value, FLayout.Blank());
    New = FLayout.SpacesToBlanks(New);
  }
  SetRawEditText(New);
  FOldValue = EditText();
  FModified = false;
  if (IsMasked())
    SetCursor(0);
}

void TCustomMaskEdit::SetEditText(const String& Value)
{
  const String New = IsMasked() ? FLayout.Pad(Value, FLayout.Blank()) : Value;
  FOldValue = New;
  FModified = false;
  if (New == EditText())
    return;
  SetRawEditText(New);
  Perform(CM_TEXTCHANGED);
  if (IsMasked())
    SetCursor(0);
}

void TCustomMaskEdit::SetEditMask(const String& Value)
{
  if (Value == FEditMask)
    return;
  // The characters typed so far, without the old literals.
  const String Raw = FLayout.RawOf(EditText());
  FEditMask = Value;
  FLayout = TMaskLayout(Value);
  const String New = FLayout.SpacesToBlanks(FLayout.FormatRaw(Raw, FLayout.Blank()));
  if (QLineEdit* E = qobject_cast<QLineEdit*>(Widget())) {
    E->setMaxLength(IsMasked() || FMaxLength <= 0 ? 32767 : FMaxLength);
    E->setAcceptDrops(!IsMasked());
  }
  FOldValue = New;
  FModified = false;
  if (New != EditText()) {
    SetRawEditText(New);
    Perform(CM_TEXTCHANGED);
  }
  if (IsMasked())
    SetCursor(0);
}

void TCustomMaskEdit::SetMaxLength(Integer Value)
{
  FMaxLength = std::max(0, Value);
  if (QLineEdit* E = qobject_cast<QLineEdit*>(Widget()))
    E->setMaxLength(IsMasked() || FMaxLength <= 0 ? 32767 : FMaxLength);
}

void TCustomMaskEdit::InitializeWidget()
{
  TCustomEdit::InitializeWidget();
  if (QLineEdit* E = qobject_cast<QLineEdit*>(Widget())) {
    if (IsMasked())
      E->setMaxLength(32767);
    // Dropped text would bypass the mask.
    E->setAcceptDrops(!IsMasked());
  }
}

// The widget changed its text by itself (its context menu, an input
// method): a masked text is laid back into the mask.
void TCustomMaskEdit::WidgetTextChanged(const String& Text)
{
  if (FSettingText || !IsMasked() || Text.size() == FLayout.Count()) {
    TCustomEdit::WidgetTextChanged(Text);
    return;
  }
  SetRawEditText(FLayout.Pad(Text, FLayout.Blank()));
  FModified = true;
  Perform(CM_TEXTCHANGED);
}

void TCustomMaskEdit::SetCursor(Integer Pos)
{
  const Integer Len = Integer(EditText().size());
  Pos = std::clamp(Pos, 0, Len);
  SetSelStart(Pos);
  if (IsMasked() && Pos < Len)
    SetSelLength(1);
}

void TCustomMaskEdit::CheckCursor()
{
  if (IsMasked() && SelLength() == 0)
    SetCursor(SelStart());
}

void TCustomMaskEdit::ApplyTyping(const String& NewText, Integer CursorPos)
{
  if (NewText != EditText()) {
    SetRawEditText(NewText);
    FModified = true;
    Perform(CM_TEXTCHANGED);
  }
  SetCursor(CursorPos);
}

void TCustomMaskEdit::ClearRange(String& Text, Integer Start, Integer Length) const
{
  const Integer End = std::min(Start + Length, FLayout.Count());
  for (Integer I = std::max(Start, 0); I < End; ++I)
    if (!FLayout.IsLiteral(I))
      Text[I] = FLayout.Blank();
}

// Types C at the caret: over the selection, or into the next input place;
// answers false when the mask refuses it.
bool TCustomMaskEdit::InputChar(QChar C)
{
  String T = FLayout.Pad(EditText(), FLayout.Blank());
  const Integer Start = SelStart();
  const Integer Len = SelLength();
  const Integer P = FLayout.NextInput(Start);
  const QChar Stored = FLayout.Accept(P, C);
  if (Stored.isNull()) {
    // The literal that the caret has just skipped may be typed too.
    const Integer Before = P - 1;
    if (Len <= 1 && Before >= 0 && Before < FLayout.Count() && FLayout.IsLiteral(Before) &&
        FLayout.Literal(Before) == C)
      return true;
    return false;
  }
  if (Len > 1)
    ClearRange(T, Start, Len);
  T[P] = Stored;
  ApplyTyping(T, FLayout.NextInput(P + 1));
  return true;
}

void TCustomMaskEdit::InsertText(const String& Value)
{
  if (Value.isEmpty())
    return;
  for (QChar C : Value) {
    if (C == QLatin1Char('\r') || C == QLatin1Char('\n'))
      break;
    if (!InputChar(C)) {
      MessageBeep(0);
      break;
    }
  }
}

void TCustomMaskEdit::SetSelText(const String& Value)
{
  if (!IsMasked()) {
    TCustomEdit::SetSelText(Value);
    return;
  }
  const Integer Start = SelStart();
  const Integer Len = SelLength();
  if (Len > 1) {
    String T = FLayout.Pad(EditText(), FLayout.Blank());
    ClearRange(T, Start, Len);
    ApplyTyping(T, Start);
  }
  InsertText(Value);
}

void TCustomMaskEdit::ArrowKeys(Word Key)
{
  const Integer Start = SelStart();
  const Integer Len = SelLength();
  const Integer Count = FLayout.Count();
  switch (Key) {
  case VK_LEFT: {
    const Integer P = Len > 1 ? Start : FLayout.PrevInput(Start);
    SetCursor(P < 0 ? Start : P);
    return;
  }
  case VK_RIGHT:
    SetCursor(Len > 1 ? Start + Len : Start < Count ? FLayout.NextInput(Start + 1) : Count);
    return;
  case VK_HOME: SetCursor(FLayout.NextInput(0)); return;
  case VK_END: SetCursor(Count); return;
  default: return;
  }
}

// Backspace and Delete clear places to blanks; nothing moves.
void TCustomMaskEdit::DeleteKeys(Word Key)
{
  String T = FLayout.Pad(EditText(), FLayout.Blank());
  const Integer Start = SelStart();
  const Integer Len = SelLength();
  if (Len > 1) {
    ClearRange(T, Start, Len);
    ApplyTyping(T, Start);
    return;
  }
  if (Key == VK_BACK) {
    const Integer P = FLayout.PrevInput(Start);
    if (P < 0) {
      SetCursor(Start);
      return;
    }
    ClearRange(T, P, 1);
    ApplyTyping(T, P);
    return;
  }
  ClearRange(T, Start, 1);
  ApplyTyping(T, Start);
}

void TCustomMaskEdit::KeyDown(Word& Key, TShiftState Shift)
{
  inherited::KeyDown(Key, Shift);
  if (!IsMasked() || Key == 0 || Shift.Contains(ssAlt))
    return;
  const bool ShiftKey = Shift.Contains(ssShift);
  const bool Ctrl = Shift.Contains(ssCtrl);
  switch (Key) {
  case VK_LEFT: case VK_RIGHT: case VK_HOME: case VK_END:
    // With Shift or Ctrl the widget moves the caret and the selection.
    if (!ShiftKey && !Ctrl) {
      ArrowKeys(Key);
      Key = 0;
    }
    return;
  case VK_UP: case VK_DOWN:
    Key = 0;
    return;
  case VK_BACK:
    if (CanType())
      DeleteKeys(Key);
    Key = 0;
    return;
  case VK_DELETE:
    if (ShiftKey)
      Perform(WM_CUT);
    else if (!Ctrl && CanType())
      DeleteKeys(Key);
    Key = 0;
    return;
  case VK_INSERT:
    if (ShiftKey && !Ctrl) {
      Perform(WM_PASTE);
      Key = 0;
    }
    return;
  case 'V': case 'X': case 'Z':
    if (!Ctrl || ShiftKey)
      return;
    // The widget's own paste, cut and undo would break the layout.
    if (Key == 'V')
      Perform(WM_PASTE);
    else if (Key == 'X')
      Perform(WM_CUT);
    Key = 0;
    return;
  default:
    return;
  }
}

void TCustomMaskEdit::KeyPress(QChar& Key)
{
  inherited::KeyPress(Key);
  if (!IsMasked() || Key.isNull())
    return;
  const char16_t K = Key.unicode();
  if (K == 1 || K == 3)
    return;   // Ctrl+A and Ctrl+C: the widget selects and copies
  if (K == 27)
    Reset();
  else if (K >= 32 && CanType() && !InputChar(Key))
    MessageBeep(0);
  Key = QChar();
}

void TCustomMaskEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  inherited::MouseUp(Button, Shift, X, Y);
  CheckCursor();
}

void TCustomMaskEdit::DoEnter()
{
  if (!FReEnter)
    FOldValue = EditText();
  FReEnter = false;
  inherited::DoEnter();
  if (IsMasked() && !FAutoSelect)
    CheckCursor();
}

// A text that does not satisfy the mask does not let the focus go: the
// focus is already moving when the exit is reported, so the edit takes it
// back once the move is done, and the error is shown then.
void TCustomMaskEdit::CMExit(TMessage& Message)
{
  if (IsMasked() && !ComponentState().Contains(csDesigning)) {
    Integer Pos = 0;
    if (FModified && !Validate(EditText(), Pos))
      PostMessageOnce(this, CM_MASKREVALIDATE);
    else
      CheckCursor();
  }
  inherited::CMExit(Message);
}

void TCustomMaskEdit::CMMaskRevalidate(TMessage&)
{
  if (Focused())
    return;   // the user came back already
  ValidateEdit();
}

void TCustomMaskEdit::Reset()
{
  if (!FModified)
    return;
  SetRawEditText(FOldValue);
  Perform(CM_TEXTCHANGED);
  FModified = false;
  if (IsMasked())
    SetCursor(0);
}

bool TCustomMaskEdit::Validate(const String& Value, Integer& Pos)
{
  Pos = FLayout.FirstInvalid(Value);
  return Pos < 0;
}

void TCustomMaskEdit::ValidateError()
{
  MessageBeep(0);
  throw EDBEditError(MaskEditErrorText);
}

void TCustomMaskEdit::ValidateEdit()
{
  if (!IsMasked() || !FModified)
    return;
  Integer Pos = 0;
  if (Validate(EditText(), Pos))
    return;
  // The user stays in the box to mend the place or to press Escape.
  if (Showing() && CanFocus() && !Focused()) {
    FReEnter = true;
    SetFocus();
  }
  SetCursor(Pos);
  ValidateError();
}

void TCustomMaskEdit::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_CUT: WMCut(Message); break;
  case WM_PASTE: WMPaste(Message); break;
  case CM_MASKREVALIDATE: CMMaskRevalidate(Message); break;
  default: inherited::Dispatch(Message); break;
  }
}

void TCustomMaskEdit::DefaultHandler(TMessage& Message)
{
  if (Message.Msg == WM_CLEAR && IsMasked()) {
    if (CanType()) {
      String T = FLayout.Pad(EditText(), FLayout.Blank());
      const Integer Start = SelStart();
      ClearRange(T, Start, SelLength());
      ApplyTyping(T, Start);
    }
    return;
  }
  inherited::DefaultHandler(Message);
}

void TCustomMaskEdit::WMCut(TMessage& Message)
{
  if (!IsMasked()) {
    DefaultHandler(Message);
    return;
  }
  if (SelLength() > 0)
    QApplication::clipboard()->setText(SelText());
  TMessage Clear{WM_CLEAR, 0, 0, 0};
  DefaultHandler(Clear);
}

void TCustomMaskEdit::WMPaste(TMessage& Message)
{
  if (!IsMasked()) {
    DefaultHandler(Message);
    return;
  }
  if (CanType())
    SetSelText(QApplication::clipboard()->text());
}

// ---------------------------------------------------------------------------

void RegisterMaskClasses()
{
  RegisterClassInfo<TCustomMaskEdit, TCustomEdit>("TCustomMaskEdit")
    .Property("EditMask", &TCustomMaskEdit::EditMask, &TCustomMaskEdit::SetEditMask);
  RegisterClassInfo<TMaskEdit, TCustomMaskEdit>("TMaskEdit")
    .Property("Text", &TMaskEdit::Text, &TMaskEdit::SetText);
}
