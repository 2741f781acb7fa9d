// DBCtrlsEhDateTimeEdit.cpp: the date-time editor: its pattern by kind, the
// value kept apart from the masked text, completion on exit, separator
// jumps, stepping of the element at the caret and the popup calendar.
#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/editors/DateTimeCalendarPickersEh.h"

#include "platform/gui/Clipbrd.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/ScopeExit.h"

namespace {

bool Reading(const TComponent* C) { return C->ComponentState().Contains(csLoading); }

bool IsNullValue(const Variant& V) { return VarIsNull(V) || VarIsEmpty(V); }

bool IsElementLetter(QChar C)
{
  return C == QLatin1Char('Y') || C == QLatin1Char('M') || C == QLatin1Char('D') || C == QLatin1Char('H') ||
         C == QLatin1Char('N') || C == QLatin1Char('S');
}

} // namespace

TCustomDBDateTimeEditEh::TCustomDBDateTimeEditEh(TComponent* AOwner) : TCustomDBEditEh(AOwner)
{
  RemakeEditButton();
  SetMaxLength(0);
  FFourDigitYear = FormatSettings.ShortDateFormat.toUpper().contains(QLatin1String("YYY"));
  UpdateMask();
}

TCustomDBDateTimeEditEh::~TCustomDBDateTimeEditEh()
{
  try {
    CloseUp(false);
  } catch (...) {
    // Nothing may leave a destructor; the editor goes anyway.
  }
  delete FDropDownCalendar;
  FDropDownCalendar = nullptr;
}

// ---- Pattern ---------------------------------------------------------------

void TCustomDBDateTimeEditEh::UpdateMask()
{
  String Pattern;
  switch (FKind) {
  case dtkDateEh: Pattern = DefaultDateEditFormatEh(FFourDigitYear); break;
  case dtkTimeEh: Pattern = DefaultTimeEditFormatEh(); break;
  case dtkDateTimeEh: Pattern = DefaultDateEditFormatEh(FFourDigitYear) + QLatin1Char(' ') + DefaultTimeEditFormatEh(); break;
  case dtkCustomEh: Pattern = FEditFormat; break;
  }
  if (Pattern.isEmpty()) {
    FEditFormat.clear();
    FDateTimeFormat.clear();
    FDateTimeMaskPos = TDateTimeElementsMaskPosEh();
    TCustomMaskEdit::SetEditMask(String());
    return;
  }
  String Mask;
  TDateTimeElementsMaskPosEh MaskPos;
  ParseDateTimeEditFormatEh(Pattern, Mask, MaskPos);
  FEditFormat = Pattern;
  FDateTimeFormat = DateTimeEditFormatToDisplayFormatEh(Pattern);
  FDateTimeMaskPos = MaskPos;
  TCustomMaskEdit::SetEditMask(Mask);
}

void TCustomDBDateTimeEditEh::SetKind(TDateTimeKindEh Value)
{
  if (FKind == Value)
    return;
  const TDateTimeKindEh Old = FKind;
  FKind = Value;
  try {
    UpdateMask();
  } catch (...) {
    FKind = Old;
    throw;
  }
  if (!Reading(this))
    DataChanged();
}

void TCustomDBDateTimeEditEh::SetEditFormat(const String& Value)
{
  const TDateTimeKindEh OldKind = FKind;
  const String OldFormat = FEditFormat;
  FKind = dtkCustomEh;
  if (Value == OldFormat)
    return;
  FEditFormat = Value;
  try {
    UpdateMask();
  } catch (...) {
    // A bad pattern leaves the editor as it was.
    FKind = OldKind;
    FEditFormat = OldFormat;
    throw;
  }
  if (!Reading(this))
    DataChanged();
}

void TCustomDBDateTimeEditEh::UpdateFourDigitYear()
{
  const bool Four = FormatSettings.ShortDateFormat.toUpper().contains(QLatin1String("YYY"));
  if (Four == FFourDigitYear)
    return;
  FFourDigitYear = Four;
  UpdateMask();
}

void TCustomDBDateTimeEditEh::DefineProperties(TFiler& Filer)
{
  inherited::DefineProperties(Filer);
  Filer.DefineProperty(
    QStringLiteral("EditFormat"), [this](TReader& Reader) { SetEditFormat(Reader.ReadString()); },
    [this](TWriter& Writer) { Writer.WriteString(FEditFormat); }, FKind == dtkCustomEh);
}

// ---- Values and texts ------------------------------------------------------

bool TCustomDBDateTimeEditEh::TextToDateTimeValue(const String& Text, Variant& Value, bool Complete) const
{
  return DateTimePartsToValueEh(EditTextToDateTimePartsEh(Text, FDateTimeMaskPos), FDateTimeMaskPos, Value, Complete);
}

String TCustomDBDateTimeEditEh::ValueText(const Variant& V) const
{
  if (IsNullValue(V))
    return String();
  const TDateTime DT = VarToDateTime(V);
  return IsMasked() ? FormatDateTime(FDateTimeFormat, DT) : DateTimeToStr(DT);
}

void TCustomDBDateTimeEditEh::InternalSetDisplayText(const String& AText)
{
  if (FInternalTextSetting)
    return;
  inherited::InternalSetText(AText);
}

void TCustomDBDateTimeEditEh::InternalSetValue(const Variant& AValue)
{
  FValue = IsNullValue(AValue) ? Variant(Null) : VarFromDateTime(VarToDateTime(AValue));
  InternalSetDisplayText(ValueText(FValue));
}

void TCustomDBDateTimeEditEh::InternalSetText(const String& AText)
{
  Variant V = FValue;
  if (IsMasked()) {
    if (!TextToDateTimeValue(AText, V, false))
      throw Exception(QStringLiteral("Invalid datetime: \"%1\"").arg(AText));
  } else {
    V = AText.trimmed().isEmpty() ? Variant(Null) : VarFromDateTime(StrToDateTime(AText));
  }
  FValue = V;
  InternalSetDisplayText(AText);
}

void TCustomDBDateTimeEditEh::ReadValueFromText()
{
  Variant V = FValue;
  if (IsMasked()) {
    TextToDateTimeValue(EditText(), V, false);
  } else {
    TDateTime DT;
    try {
      V = TryStrToDateTime(EditText(), DT) ? VarFromDateTime(DT) : Variant(Null);
    } catch (const std::exception&) {
      V = Null;
    }
  }
  FValue = V;
  UpdateImageIndex();
}

void TCustomDBDateTimeEditEh::Change()
{
  if (!FInternalTextSetting)
    ReadValueFromText();
  inherited::Change();
}

void TCustomDBDateTimeEditEh::DataChanged()
{
  if (TField* F = Field()) {
    Variant V;
    bool Handled = false;
    if (OnGetFieldData)
      OnGetFieldData(this, V, Handled);
    if (!Handled) {
      if (F->Alignment() != FAlignment && !AlignmentStored())
        Invalidate();
      V = F->IsNull() ? Variant(Null) : VarFromDateTime(F->AsDateTime());
    }
    InternalSetValue(V);
  } else {
    InternalSetValue(FDataLink->DataIndepended() ? FDataLink->DataIndependentValue : Variant(Null));
  }
  UpdateEditReadOnly();
  SetModified(false);
}

void TCustomDBDateTimeEditEh::InternalUpdateData()
{
  if (IsNullValue(FValue)) {
    FDataLink->SetValue(Null);
    return;
  }
  if (FWritingWholeValue) {
    FDataLink->SetValue(FValue);
    return;
  }
  // Only the elements the pattern shows replace the stored value's parts:
  // a date-only editor keeps the time of day of the field.
  Variant V;
  if (TField* F = Field())
    V = F->IsNull() ? Variant(Null) : VarFromDateTime(F->AsDateTime());
  else
    V = FDataLink->DataIndependentValue;
  if (IsNullValue(V))
    V = Null;
  if (IsMasked())
    DateTimePartsToValueEh(ValueToDateTimePartsEh(FValue), FDateTimeMaskPos, V, true);
  else
    V = VarFromDateTime(StrToDateTime(EditText()));
  FDataLink->SetValue(V);
}

void TCustomDBDateTimeEditEh::SetVariantValue(const Variant& AValue)
{
  // The caller named the whole date and time: merging it into the old value
  // would hand back another value than the one assigned.
  const bool Old = FWritingWholeValue;
  FWritingWholeValue = true;
  auto Restore = ScopeExit([&] { FWritingWholeValue = Old; });
  inherited::SetVariantValue(AValue);
}

void TCustomDBDateTimeEditEh::ValidateEdit()
{
  if (FEditValidating)
    return;
  FEditValidating = true;
  auto Restore = ScopeExit([&] { FEditValidating = false; });
  inherited::ValidateEdit();
  if (!IsMasked())
    return;
  Variant V = FValue;
  TextToDateTimeValue(EditText(), V, true);
  FValue = V;
  InternalSetDisplayText(ValueText(FValue));
}

bool TCustomDBDateTimeEditEh::IsEmpty()
{
  return EditText() == FormatMaskText(EditMask(), String());
}

// ---- Buttons ---------------------------------------------------------------

TEditButtonEh* TCustomDBDateTimeEditEh::CreateEditButton() { return new TVisibleEditButtonEh(this); }

void TCustomDBDateTimeEditEh::DefaultEditButtonClick(TEditButtonEh*, TEditButtonControlEh*, bool&) {}

void TCustomDBDateTimeEditEh::DefaultEditButtonDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                                    bool TopButton,
                                                    bool&, bool& Handled)
{
  if (EditButton && (EditButton->Style() == ebsUpDownEh || EditButton->Style() == ebsAltUpDownEh)) {
    if (CanStep())
      IncrementElementAtCaret(TopButton);
  } else if (!FDroppedDown) {
    EditButtonDropDown(EditButton, EditButtonControl);
    FNoClickCloseUp = true;
  }
  Handled = true;
}

void TCustomDBDateTimeEditEh::EditButtonDropDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl)
{
  if (EditButtonControl)
    EditButtonControl->SetAlwaysDown(true);
  inherited::EditButtonDropDown(EditButton, EditButtonControl);
  if (EditButtonControl) {
    const TPoint P = EditButtonControl->ClientToScreen(TPoint(0, 0));
    FIgnoreMouseScreenRect = TRect(P.X, P.Y, P.X + EditButtonControl->Width(), P.Y + EditButtonControl->Height());
  } else {
    FIgnoreMouseScreenRect = TRect();
  }
  DropDown();
  if (FCalendarVisible)
    SetDroppedDownState(EditButton, EditButtonControl);
  else if (EditButtonControl)
    EditButtonControl->SetAlwaysDown(false);
}

void TCustomDBDateTimeEditEh::EditButtonMouseMove(TObject* Sender, TShiftState, Integer X, Integer Y)
{
  // Press on the button, drag into the calendar and release: the press
  // moves over to the calendar, which picks where the mouse is let go.
  auto* ButtonControl = dynamic_cast<TEditButtonControlEh*>(Sender);
  if (!FCalendarVisible || !ButtonControl || Mouse()->Capture() != ButtonControl)
    return;
  auto* Form = dynamic_cast<TCustomForm*>(FDropDownCalendar);
  TWinControl* Target = Form && Form->ActiveControl() ? Form->ActiveControl() : FDropDownCalendar;
  const TPoint P = Target->ScreenToClient(ButtonControl->ClientToScreen(TPoint(X, Y)));
  if (!PointInRectEh(Target->ClientRect(), P))
    return;
  ButtonControl->Perform(WM_CANCELMODE, 0, 0);
  Target->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(Word(P.X), Word(P.Y)));
}

// ---- The popup calendar ----------------------------------------------------

bool TCustomDBDateTimeEditEh::InsideCalendar(TControl* Control) const
{
  if (!Control || !FDropDownCalendar)
    return false;
  auto* Win = dynamic_cast<TWinControl*>(Control);
  return Control == FDropDownCalendar || (Win && FDropDownCalendar->ContainsControl(Win));
}

IPopupDateTimePickerEh* TCustomDBDateTimeEditEh::GetDropDownCalendar()
{
  TClass Class = GlobalGridLibManager()->PopupDateTimePickerClass();
  if (!Class)
    Class = TPopupDateTimeCalendarFormEh::StaticClass();
  if (FDropDownCalendar && FDropDownCalendar->ClassType() != Class) {
    delete FDropDownCalendar;
    FDropDownCalendar = nullptr;
  }
  if (!FDropDownCalendar)
    FDropDownCalendar = CreatePopupOfClassEh<IPopupDateTimePickerEh, TPopupDateTimeCalendarFormEh>(Class, this);
  return dynamic_cast<IPopupDateTimePickerEh*>(FDropDownCalendar);
}

void TCustomDBDateTimeEditEh::DropDown()
{
  auto ClearIgnore = ScopeExit([&] { FIgnoreNextDropDown = false; });
  if (FCalendarVisible || FIgnoreNextDropDown)
    return;
  if (OnDropDown)
    OnDropDown(this);
  const TDateTime Start = IsNullValue(FValue) ? Date() : VarToDateTime(FValue);
  IPopupDateTimePickerEh* Calendar = GetDropDownCalendar();
  FDropDownCalendar->HandleNeeded();
  TCalendarDateTimeUnitsEh Units;
  DateTimeFormatUnitsEh(FEditFormat, Units);
  Calendar->SetTimeUnits(Units);
  Calendar->SetFont(Font());
  Calendar->UpdateSize();
  TPoint P;
  CalcDropDownPosForControlEh(this, FDropDownCalendar,
                              Integer(UseRightToLeftAlignment() ? taRightJustify : taLeftJustify), P);
  // Open before the call: a calendar that ends while it shows calls back
  // into a closing that must find it open.
  FCalendarVisible = true;
  try {
    Calendar->DropDown(P, [this](TWinControl*, bool Accept) { CalendarClosed(Accept); }, Start);
  } catch (...) {
    FCalendarVisible = false;
    throw;
  }
}

void TCustomDBDateTimeEditEh::CalendarClosed(bool Accept)
{
  // The press on the drop-down button that closed the calendar must not
  // open it again.
  if (IsMouseButtonDownEh(mbLeft) && PointInRectEh(FIgnoreMouseScreenRect, Mouse()->CursorPos()))
    FIgnoreNextDropDown = true;
  CloseUp(Accept);
}

void TCustomDBDateTimeEditEh::CloseUp(bool Accept)
{
  if (!FCalendarVisible)
    return;
  FCalendarVisible = false;
  if (TControl* Capture = Mouse()->Capture())
    Capture->Perform(WM_CANCELMODE, 0, 0);
  auto* Calendar = dynamic_cast<IPopupDateTimePickerEh*>(FDropDownCalendar);
  if (HandleAllocated() && (FDropDownCalendar->Focused() || InsideCalendar(Screen->ActiveControl())) && CanFocus())
    SetFocus();
  Calendar->CloseUp();
  if (!HandleAllocated())
    return;
  if (Accept && !FReadOnly && FDataLink->Edit()) {
    const Variant Picked = VarFromDateTime(Calendar->GetDateTime());
    Variant V = Picked;
    if (IsMasked()) {
      // Only the elements the pattern shows are taken from the calendar.
      V = FValue;
      DateTimePartsToValueEh(ValueToDateTimePartsEh(Picked), FDateTimeMaskPos, V, true);
    }
    InternalSetValue(V);
    // A pick is the user's change: the record learns that it was edited.
    FDataLink->Modified();
    SetModified(true);
    if (FFocused)
      SelectAll();
  }
  ResetDroppedDownState();
  if (OnCloseUp)
    OnCloseUp(this, Accept);
}

void TCustomDBDateTimeEditEh::FilterMRUItem(const String& AText, bool& Accept)
{
  String Prefix = EditText();
  while (!Prefix.isEmpty() && (Prefix.back() == QLatin1Char(' ') || Prefix.back() == FormatSettings.DateSeparator))
    Prefix.chop(1);
  Accept = AnsiCompareTextEh(AText.left(Prefix.size()), Prefix) == 0;
}

// ---- Keys, wheel and paste -------------------------------------------------

bool TCustomDBDateTimeEditEh::CanStep() { return IsMasked() && !FReadOnly && FDataLink->Edit(); }

void TCustomDBDateTimeEditEh::IncrementElementAtCaret(bool Up)
{
  const String Template = DateTimeEditFormatToTemplateEh(FEditFormat);
  Integer Pos = SelStart() + 1;
  Integer Length = 0;
  const String Old = EditText();
  const String New = IncrementDateTimeElementEh(Old, Template, Up, Pos, Length);
  if (New == Old)
    return;
  inherited::InternalSetText(New);
  // A step is the user's change: the value follows the text and the record
  // learns that it was edited.
  ReadValueFromText();
  FDataLink->Modified();
  SetModified(true);
  SetSelStart(Pos - 1);
  SetSelLength(Length);
}

void TCustomDBDateTimeEditEh::JumpToElementAfter(QChar Separator)
{
  const String Text = EditText();
  const Integer Caret = SelStart();
  const qsizetype Found = Text.mid(Caret).indexOf(Separator);
  const String Template = DateTimeEditFormatToTemplateEh(FEditFormat);
  if (Template.isEmpty())
    return;
  Integer P = Found < 0 ? 1 : Caret + Integer(Found) + 1 + 2;
  P = std::min<Integer>(P, Integer(Template.size()));
  const QChar AtP = Template[P - 1];
  if ((AtP == FormatSettings.DateSeparator || AtP == FormatSettings.TimeSeparator) && P < Template.size())
    ++P;
  const QChar Letter = Template[P - 1];
  if (IsElementLetter(Letter)) {
    const qsizetype Start = Template.indexOf(Letter);
    qsizetype End = Start;
    while (End < Template.size() && Template[End] == Letter)
      ++End;
    SetSelStart(Integer(Start));
    SetSelLength(Integer(End - Start));
  } else {
    SetSelStart(P - 1);
    SetSelLength(0);
  }
}

void TCustomDBDateTimeEditEh::KeyDown(Word& Key, TShiftState Shift)
{
  if (IsMasked() && Shift.Empty() && (Key == VK_UP || Key == VK_DOWN) && !FReadOnly) {
    const Word Pressed = Key;
    if (OnKeyDown)
      OnKeyDown(this, Key, Shift);
    if (Key != 0 && FDataLink->Edit()) {
      IncrementElementAtCaret(Pressed == VK_UP);
      Key = 0;
      return;
    }
    if (Key == 0)
      return;
  } else if (IsMasked() && Shift.Empty() && (Key == VK_LEFT || Key == VK_RIGHT) && SelLength() > 1) {
    const Word Pressed = Key;
    if (OnKeyDown)
      OnKeyDown(this, Key, Shift);
    if (Key == 0)
      return;
    // The cursor goes to the end of the selection it leaves by.
    const Integer Start = SelStart();
    SetCursor(Pressed == VK_LEFT ? Start : Start + SelLength() - 1);
    Key = 0;
    return;
  }
  inherited::KeyDown(Key, Shift);
}

void TCustomDBDateTimeEditEh::KeyPress(QChar& Key)
{
  if (FCalendarVisible && (Key == QChar(13) || Key == QChar(27))) {
    CloseUp(Key == QChar(13));
    Key = QChar();
    return;
  }
  // A typed separator is not written: it moves to the next element.
  if (IsMasked() && (Key == FormatSettings.DateSeparator || Key == FormatSettings.TimeSeparator)) {
    JumpToElementAfter(Key);
    Key = QChar();
    return;
  }
  inherited::KeyPress(Key);
}

bool TCustomDBDateTimeEditEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  if (inherited::DoMouseWheelDown(Shift, MousePos))
    return true;
  if (!Shift.Empty() || !CanStep())
    return false;
  IncrementElementAtCaret(false);
  return true;
}

bool TCustomDBDateTimeEditEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  if (inherited::DoMouseWheelUp(Shift, MousePos))
    return true;
  if (!Shift.Empty() || !CanStep())
    return false;
  IncrementElementAtCaret(true);
  return true;
}

void TCustomDBDateTimeEditEh::WndProc(TMessage& Message)
{
  if (FCalendarVisible) {
    auto* Form = dynamic_cast<TCustomForm*>(FDropDownCalendar);
    TWinControl* Target = Form && Form->ActiveControl() ? Form->ActiveControl() : FDropDownCalendar;
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_CHAR:
      // The calendar never takes the focus: its keys come through here.
      Message.Result = Target->Perform(Message.Msg, Message.WParam, Message.LParam);
      return;
    case CM_MOUSEWHEEL:
      Message.Result = Target->Perform(Message.Msg, Message.WParam, Message.LParam);
      if (Message.Result != 0)
        return;
      break;
    case WM_KILLFOCUS:
      if (!InsideCalendar(FindControl(HWND(Message.WParam)))) {
        // Another window has the focus: the calendar ends as a drop-down
        // that lost the activation, leaving the focus where it went.
        if (auto* DropDownForm = dynamic_cast<TCustomDropDownFormEh*>(FDropDownCalendar);
            DropDownForm && DropDownForm->CallbackProc()) {
          EndPopupActivation(DropDownForm);
          DropDownForm->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
        }
        CloseUp(false);
      }
      break;
    case CM_CANCELMODE: {
      inherited::WndProc(Message);
      auto* From = reinterpret_cast<TControl*>(Message.LParam);
      auto* FromWin = dynamic_cast<TWinControl*>(From);
      if (From != this && !InsideCalendar(From) && !(FromWin && ContainsControl(FromWin)))
        CloseUp(false);
      return;
    }
    default:
      break;
    }
  }
  inherited::WndProc(Message);
}

void TCustomDBDateTimeEditEh::CMWantSpecialKey(TMessage& Message)
{
  const Word Key = Word(Message.WParam);
  if (FCalendarVisible && (Key == VK_RETURN || Key == VK_ESCAPE)) {
    Message.Result = 1;
    return;
  }
  inherited::CMWantSpecialKey(Message);
}

void TCustomDBDateTimeEditEh::CMEnter(TMessage& Message)
{
  UpdateFourDigitYear();
  inherited::CMEnter(Message);
}

void TCustomDBDateTimeEditEh::WMPaste(TMessage& Message)
{
  // A pasted value replaces the whole date, not one place of it.
  if (SelStart() == 0 && SelLength() <= 1 && !Clipboard()->AsText().isEmpty())
    SelectAll();
  inherited::WMPaste(Message);
}

void RegisterDBCtrlsEhDateTimeEditClasses()
{
  RegisterDBCtrlsEhClasses();
  RegisterPopupDateTimeCalendarEhClasses();
  RegisterEnum<TDateTimeKindEh>("TDateTimeKindEh", {"dtkDateEh", "dtkTimeEh", "dtkDateTimeEh", "dtkCustomEh"});
  RegisterClassInfo<TCustomDBDateTimeEditEh, TCustomDBEditEh>("TCustomDBDateTimeEditEh");
  RegisterClassInfo<TDBDateTimeEditEh, TCustomDBDateTimeEditEh>("TDBDateTimeEditEh")
    .Property("Alignment", &TDBDateTimeEditEh::Alignment, &TDBDateTimeEditEh::SetAlignment)
    .Stored(&TDBDateTimeEditEh::AlignmentStored)
    .Property("DataField", &TDBDateTimeEditEh::DataField, &TDBDateTimeEditEh::SetDataField)
    .Property("DataSource", &TDBDateTimeEditEh::DataSource, &TDBDateTimeEditEh::SetDataSource)
    .Property("EditButton", &TDBDateTimeEditEh::EditButton, &TDBDateTimeEditEh::SetEditButton)
    .Property("EditButtons", &TDBDateTimeEditEh::EditButtons, &TDBDateTimeEditEh::SetEditButtons)
    .Property("EmptyDataInfo", &TDBDateTimeEditEh::EmptyDataInfo, &TDBDateTimeEditEh::SetEmptyDataInfo)
    .Property("Flat", &TDBDateTimeEditEh::Flat, &TDBDateTimeEditEh::SetFlat, false)
    .Property("HighlightRequired", &TDBDateTimeEditEh::HighlightRequired, &TDBDateTimeEditEh::SetHighlightRequired, false)
    .Property("Kind", &TDBDateTimeEditEh::Kind, &TDBDateTimeEditEh::SetKind)
    .Stored(&TDBDateTimeEditEh::KindStored)
    .Property("ReadOnly", &TDBDateTimeEditEh::ReadOnly, &TDBDateTimeEditEh::SetReadOnly, false)
    .Event("OnCloseUp", &TDBDateTimeEditEh::OnCloseUp)
    .Event("OnDropDown", &TDBDateTimeEditEh::OnDropDown)
    .Event("OnUpdateData", &TDBDateTimeEditEh::OnUpdateData);
  RegisterClasses({TDBDateTimeEditEh::StaticClass()});
}
