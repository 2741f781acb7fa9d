// DBCtrlsEhNumberEdit.cpp: the number editor: formats, typing filter,
// clamping and rounding, stepping, paste and the popup calculator.
#include "gridlib/editors/CalculatorEh.h"
#include "gridlib/editors/DBCtrlsEh.h"

#include "platform/gui/Clipbrd.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/ScopeExit.h"

#include <cmath>

namespace {

// A format property read from a form description waits for the data to load;
// the window must not be made while the reader is still filling the editor.
bool Reading(const TComponent* C) { return C->ComponentState().Contains(csLoading); }

bool IsDigit(QChar C) { return C >= QLatin1Char('0') && C <= QLatin1Char('9'); }

bool IsSignText(const String& S) { return S == QLatin1String("+") || S == QLatin1String("-"); }

// The edit format derived from a display format: the first section's
// "#", ",", "." and "0" outside quotes; exponents dropped.
String EditFormatOfDisplayFormat(const String& DisplayFormat)
{
  String Result;
  QChar Quote;
  bool AfterExponent = false;
  Integer ExponentZeros = 0;
  for (qsizetype I = 0; I < DisplayFormat.size(); ++I) {
    const QChar C = DisplayFormat[I];
    if (!Quote.isNull()) {
      if (C == Quote)
        Quote = QChar();
      continue;
    }
    if (C == QLatin1Char('\'') || C == QLatin1Char('"')) {
      Quote = C;
      continue;
    }
    if (C == QLatin1Char(';'))
      break;
    if (C == QLatin1Char('E') || C == QLatin1Char('e')) {
      // The sign after the exponent letter goes with it.
      if (I + 1 < DisplayFormat.size() && (DisplayFormat[I + 1] == QLatin1Char('+') || DisplayFormat[I + 1] == QLatin1Char('-')))
        ++I;
      AfterExponent = true;
      continue;
    }
    if (AfterExponent && C == QLatin1Char('0')) {
      if (++ExponentZeros >= 5)
        break;
      continue;
    }
    AfterExponent = false;
    if (C == QLatin1Char('#') || C == QLatin1Char(',') || C == QLatin1Char('.') || C == QLatin1Char('0'))
      Result += C;
  }
  return Result;
}

// Rounds half to even at Places decimals; a value whose scaled form does
// not fit a 64-bit integer, or more than 17 decimals, is left as it is.
double RoundHalfEven(double Value, Cardinal Places)
{
  if (Places > 17)
    return Value;
  const double Scale = std::pow(10.0, double(Places));
  const double Scaled = Value * Scale;
  if (!std::isfinite(Scaled) || std::fabs(Scaled) >= 9223372036854775808.0)
    return Value;
  // The default floating-point rounding mode sends halves to the even neighbour.
  return std::nearbyint(Scaled) / Scale;
}

bool IsNumericVariant(const Variant& V)
{
  switch (V.VType()) {
  case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency:
    return true;
  default:
    return false;
  }
}

} // namespace

TCustomDBNumberEditEh::TCustomDBNumberEditEh(TComponent* AOwner) : TCustomDBEditEh(AOwner)
{
  RemakeEditButton();
  SetMaxLength(0);
  // The base has loaded the (empty) data already; only the format is ours.
  UpdateEditFormat();
}

// ---- Properties ------------------------------------------------------------

bool TCustomDBNumberEditEh::currency() const
{
  if (FAssignedValues.Contains(evCurrencyEh))
    return FCurrency;
  if (auto* F = dynamic_cast<TFloatField*>(Field()))
    return F->IsCurrency();
  if (auto* F = dynamic_cast<TBCDField*>(Field()))
    return F->IsCurrency();
  return false;
}

void TCustomDBNumberEditEh::SetCurrency(bool Value)
{
  if (FAssignedValues.Contains(evCurrencyEh) && FCurrency == Value)
    return;
  FCurrency = Value;
  FAssignedValues << evCurrencyEh;
  Invalidate();
  if (Reading(this))
    UpdateEditFormat();
  else
    DataChanged();
}

void TCustomDBNumberEditEh::SetDecimalPlaces(Cardinal Value)
{
  if (FDecimalPlaces == Value)
    return;
  FDecimalPlaces = Value;
  if (!Reading(this))
    DataChanged();
  Invalidate();
}

String TCustomDBNumberEditEh::DisplayFormat() const
{
  if (FAssignedValues.Contains(evDisplayFormatEh))
    return FDisplayFormat;
  if (auto* F = dynamic_cast<TNumericField*>(Field()))
    return F->DisplayFormat();
  if (auto* F = dynamic_cast<TDateTimeField*>(Field()))
    return F->DisplayFormat();
  return String();
}

void TCustomDBNumberEditEh::SetDisplayFormat(const String& Value)
{
  if (FAssignedValues.Contains(evDisplayFormatEh) && FDisplayFormat == Value)
    return;
  FDisplayFormat = Value;
  FAssignedValues << evDisplayFormatEh;
  Invalidate();
  if (Reading(this))
    UpdateEditFormat();
  else
    DataChanged();
}

double TCustomDBNumberEditEh::MaxValue() const
{
  if (FAssignedValues.Contains(evMaxValueEh))
    return FMaxValue;
  if (auto* F = dynamic_cast<TIntegerField*>(Field()))
    return double(F->MaxValue());
  return 0;
}

void TCustomDBNumberEditEh::SetMaxValue(double Value)
{
  if (FAssignedValues.Contains(evMaxValueEh) && FMaxValue == Value)
    return;
  FMaxValue = Value;
  FAssignedValues << evMaxValueEh;
  if (!ComponentState().Contains(csLoading) && DataIndepended())
    UpdateData();
}

double TCustomDBNumberEditEh::MinValue() const
{
  if (FAssignedValues.Contains(evMinValueEh))
    return FMinValue;
  if (auto* F = dynamic_cast<TIntegerField*>(Field()))
    return double(F->MinValue());
  return 0;
}

void TCustomDBNumberEditEh::SetMinValue(double Value)
{
  if (FAssignedValues.Contains(evMinValueEh) && FMinValue == Value)
    return;
  FMinValue = Value;
  FAssignedValues << evMinValueEh;
  if (!ComponentState().Contains(csLoading) && DataIndepended())
    UpdateData();
}

// ---- Values and texts ------------------------------------------------------

double TCustomDBNumberEditEh::AdjustValue(double Value) const
{
  // Only the limits assigned on the editor clamp; the field's do not.
  if (FMinValue != FMaxValue) {
    if (FMaxValue > FMinValue)
      Value = std::clamp(Value, FMinValue, FMaxValue);
    else if (FMaxValue == 0 && Value < FMinValue)
      Value = FMinValue;
    else if (FMinValue == 0 && Value > FMaxValue)
      Value = FMaxValue;
  }
  if (FDecimalPlaces <= 37)
    Value = RoundHalfEven(Value, FDecimalPlaces);
  return Value;
}

String TCustomDBNumberEditEh::NormalizedText(const String& Text) const
{
  const QChar Dec = FormatSettings.DecimalSeparator;
  const QChar Thousand = FormatSettings.ThousandSeparator;
  const QChar Alt = GlobalGridLibManager()->AltDecimalSeparator();
  const bool UseAlt = !Alt.isNull() && Alt != Dec && !Text.contains(Dec) && Text.count(Alt) == 1;
  String R;
  R.reserve(Text.size());
  bool Sign = false, Digit = false, Exponent = false;
  for (const QChar C : Text) {
    if (C == Dec || (UseAlt && C == Alt)) {
      R += C;
    } else if ((C == QLatin1Char('+') || C == QLatin1Char('-')) && !Sign && !Digit) {
      Sign = true;
      R += C;
    } else if ((C == QLatin1Char('E') || C == QLatin1Char('e')) && !Exponent) {
      Exponent = true;
      R += C;
    } else if (IsDigit(C)) {
      Digit = true;
      R += C;
    }
  }
  if (Thousand != Dec)
    R.remove(Thousand);
  if (UseAlt && Alt != Thousand)
    R.replace(Alt, Dec);
  return R;
}

String TCustomDBNumberEditEh::GroupedEditText(const String& Text) const
{
  String R = (Text.isEmpty() || Text == QLatin1String("-")) ? Text : NormalizedText(Text);
  if (!FEditFormat.contains(QLatin1Char(',')))
    return R;
  qsizetype Start = 0;
  if (!R.isEmpty() && (R[0] == QLatin1Char('+') || R[0] == QLatin1Char('-')))
    Start = 1;
  qsizetype End = Start;
  while (End < R.size() && IsDigit(R[End]))
    ++End;
  for (qsizetype P = End - 3; P > Start; P -= 3)
    R.insert(P, FormatSettings.ThousandSeparator);
  return R;
}

String TCustomDBNumberEditEh::GetDisplayText() const
{
  if (VarIsNull(FValue) || VarIsEmpty(FValue))
    return String();
  const double V = FValue.AsDouble();
  const String Format = DisplayFormat();
  if (!Format.isEmpty())
    return FormatFloat(Format, V);
  if (currency())
    return FloatToStrF(V, ffCurrency, 15, FormatSettings.CurrencyDecimals);
  return FloatToStr(V);
}

void TCustomDBNumberEditEh::UpdateEditFormat()
{
  const String Format = DisplayFormat();
  if (Format.isEmpty() && currency())
    FEditFormat = QStringLiteral(",#.") + String(FormatSettings.CurrencyDecimals, QLatin1Char('0'));
  else
    FEditFormat = EditFormatOfDisplayFormat(Format);
}

void TCustomDBNumberEditEh::SetOwnText(const String& Value)
{
  const bool Old = FInternalTextSetting;
  FInternalTextSetting = true;
  auto Restore = ScopeExit([&] { FInternalTextSetting = Old; });
  TControl::SetText(Value);
}

void TCustomDBNumberEditEh::InternalSetValue(const Variant& AValue)
{
  if (VarIsNull(AValue) || VarIsEmpty(AValue)) {
    FValue = Null;
    SetOwnText(String());
    return;
  }
  FValue = Variant(AValue.AsDouble());
  FDataLink->Modified();
  if (FFocused && FDataLink->CanModify())
    SetOwnText(GroupedEditText(FormatFloat(FEditFormat, FValue.AsDouble())));
  else
    SetOwnText(GetDisplayText());
}

void TCustomDBNumberEditEh::InternalSetText(const String& AText)
{
  if (AText.isEmpty())
    InternalSetValue(Null);
  else
    InternalSetValue(StrToFloat(NormalizedText(AText)));
}

void TCustomDBNumberEditEh::InternalUpdateData()
{
  FDataLink->SetValue(FValue);
}

void TCustomDBNumberEditEh::ReadValueFromText()
{
  const String S = NormalizedText(EditText());
  if (S.isEmpty()) {
    FValue = Null;
    if (!EditText().isEmpty())
      SetOwnText(String());
    return;
  }
  if (IsSignText(S)) {
    FValue = AdjustValue(0);
    return;
  }
  // Deleting can leave "1e" or "-e": no number yet, the text stays as typed.
  double V = 0;
  FValue = TryStrToFloat(S, V) ? Variant(AdjustValue(V)) : Null;
}

void TCustomDBNumberEditEh::DataChanged()
{
  UpdateEditFormat();
  if (TField* F = Field()) {
    Variant V;
    bool Handled = false;
    if (OnGetFieldData)
      OnGetFieldData(this, V, Handled);
    if (!Handled) {
      if (F->Alignment() != FAlignment && !AlignmentStored())
        Invalidate();
      V = F->IsNull() ? Null : Variant(F->AsFloat());
    }
    InternalSetValue(V);
  } else {
    InternalSetValue(FDataLink->DataIndepended() ? FDataLink->DataIndependentValue : Null);
  }
  UpdateEditReadOnly();
  SetModified(false);
}

TAlignment TCustomDBNumberEditEh::DefaultAlignment() const
{
  return Field() ? inherited::DefaultAlignment() : taRightJustify;
}

TEditButtonEh* TCustomDBNumberEditEh::CreateEditButton() { return new TDropDownEditButtonEh(this); }

void TCustomDBNumberEditEh::FormatEditText(const String& Text)
{
  const String R = GroupedEditText(Text);
  if (R == EditText())
    return;
  const Integer FromEnd = Integer(EditText().size()) - SelStart();
  SetOwnText(R);
  if (FFocused && !ComponentState().Contains(csDesigning))
    SetSelStart(std::max(0, Integer(R.size()) - FromEnd));
}

void TCustomDBNumberEditEh::Loaded()
{
  inherited::Loaded();
  UpdateEditFormat();
}

void TCustomDBNumberEditEh::Change()
{
  if (!FInternalTextSetting) {
    FormatEditText(EditText());
    ReadValueFromText();
  }
  inherited::Change();
}

// ---- Typing ----------------------------------------------------------------

bool TCustomDBNumberEditEh::IsValidChar(QChar Key)
{
  const QChar Dec = FormatSettings.DecimalSeparator;
  const String Text = EditText();
  qsizetype IntegerEnd = 0;
  while (IntegerEnd < Text.size() && Text[IntegerEnd] != Dec && Text[IntegerEnd] != QLatin1Char('E') &&
         Text[IntegerEnd] != QLatin1Char('e'))
    ++IntegerEnd;
  if (IsDigit(Key) && SelLength() == 0 && SelStart() <= IntegerEnd) {
    // The integer digits: counted signed and at least one, so that many
    // decimals neither wrap the cap nor forbid every digit.
    const Integer Cap = std::max<Integer>(1, 17 - Integer(std::min<Cardinal>(FDecimalPlaces, 17)));
    Integer Digits = 0;
    for (qsizetype I = 0; I < IntegerEnd; ++I)
      if (IsDigit(Text[I]))
        ++Digits;
    if (Digits >= Cap)
      return false;
  }
  if (Key == Dec && FDecimalPlaces == 0)
    return false;
  const Integer Start = SelStart();
  const String Candidate = NormalizedText(Text.left(Start) + Key + Text.mid(Start + SelLength()));
  if (const qsizetype P = Candidate.indexOf(Dec); P >= 0) {
    qsizetype End = P + 1;
    while (End < Candidate.size() && Candidate[End] != QLatin1Char('E') && Candidate[End] != QLatin1Char('e'))
      ++End;
    if (Cardinal(End - P - 1) > FDecimalPlaces)
      return false;
  }
  if (Candidate.isEmpty())
    return true;
  double V = 0;
  if (!IsSignText(Candidate) && !TryStrToFloat(Candidate, V))
    return false;
  return !(FMinValue >= 0 && FMaxValue > 0 && V < 0);
}

void TCustomDBNumberEditEh::KeyDown(Word& Key, TShiftState Shift)
{
  inherited::KeyDown(Key, Shift);
  if ((Key == VK_UP || Key == VK_DOWN) && !FReadOnly) {
    IncrementValue(Key == VK_UP);
    Key = 0;
  }
}

void TCustomDBNumberEditEh::KeyPress(QChar& Key)
{
  if (FCalculatorVisible && (Key == QChar(13) || Key == QChar(27))) {
    CloseUp(Key == QChar(13));
    Key = QChar();
    return;
  }
  if (Key == QChar(8) && SelLength() == 0 && SelStart() > 0 &&
      EditText().at(SelStart() - 1) == FormatSettings.ThousandSeparator) {
    SetSelStart(SelStart() - 1);
    Key = QChar();
    return;
  }
  if (Key == QLatin1Char(',') || Key == QLatin1Char('.'))
    Key = FormatSettings.DecimalSeparator;
  inherited::KeyPress(Key);
  if (Key >= QChar(32) && !IsValidChar(Key))
    Key = QChar();
}

bool TCustomDBNumberEditEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  if (inherited::DoMouseWheelDown(Shift, MousePos))
    return true;
  if (!Shift.Empty() || FReadOnly || !FDataLink->Edit())
    return false;
  IncrementValue(false);
  return true;
}

bool TCustomDBNumberEditEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  if (inherited::DoMouseWheelUp(Shift, MousePos))
    return true;
  if (!Shift.Empty() || FReadOnly || !FDataLink->Edit())
    return false;
  IncrementValue(true);
  return true;
}

void TCustomDBNumberEditEh::IncrementValue(bool IsIncrease)
{
  if (FIncrement == 0 || FReadOnly || !FDataLink->Edit())
    return;
  double V = FIncrement;
  if (!VarIsNull(FValue) && !VarIsEmpty(FValue))
    V = FValue.AsDouble() + (IsIncrease ? FIncrement : -FIncrement);
  InternalSetValue(AdjustValue(V));
  if (FFocused)
    SelectAll();
}

void TCustomDBNumberEditEh::WMPaste(TMessage&)
{
  if (!EditCanModify())
    return;
  const String Old = EditText();
  try {
    const double V = AdjustValue(StrToFloat(NormalizedText(Clipboard()->AsText())));
    SetValue(V);
    ReadValueFromText();
  } catch (const std::exception&) {
    SetOwnText(Old);
    ReadValueFromText();
    SelectAll();
    if (CanFocus())
      SetFocus();
  }
}

// ---- The popup calculator --------------------------------------------------

void TCustomDBNumberEditEh::WndProc(TMessage& Message)
{
  if (FCalculatorVisible) {
    auto* Form = dynamic_cast<TCustomForm*>(FDropDownCalculator);
    TWinControl* Target = Form && Form->ActiveControl() ? Form->ActiveControl() : FDropDownCalculator;
    const WPARAM K = Message.WParam;
    if ((Message.Msg == WM_KEYDOWN || Message.Msg == WM_CHAR || Message.Msg == WM_SYSKEYDOWN) &&
        (K == 8 || K == 13 || (K >= 32 && K <= 126))) {
      Message.Result = Target->Perform(Message.Msg, Message.WParam, Message.LParam);
      return;
    }
    // The open calculator has the wheel first.
    if (Message.Msg == CM_MOUSEWHEEL) {
      Message.Result = Target->Perform(Message.Msg, Message.WParam, Message.LParam);
      if (Message.Result != 0)
        return;
    }
  }
  // The calculator never takes the focus: losing it means another window has
  // it. The form then ends as a drop-down that lost the activation, which
  // leaves the focus where it went.
  if (Message.Msg == WM_KILLFOCUS && FCalculatorVisible) {
    if (auto* Form = dynamic_cast<TCustomDropDownFormEh*>(FDropDownCalculator); Form && Form->CallbackProc()) {
      EndPopupActivation(Form);
      Form->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
    }
    CloseUp(false);
  }
  inherited::WndProc(Message);
}

void TCustomDBNumberEditEh::CMWantSpecialKey(TMessage& Message)
{
  const Word Key = Word(Message.WParam);
  if (FCalculatorVisible && (Key == VK_RETURN || Key == VK_ESCAPE)) {
    Message.Result = 1;
    return;
  }
  inherited::CMWantSpecialKey(Message);
}

TWinControl* TCustomDBNumberEditEh::CalculatorWindow() const { return FDropDownCalculator; }

IPopupCalculatorEh* TCustomDBNumberEditEh::GetDropDownCalculator()
{
  if (!FDropDownCalculator)
    FDropDownCalculator = CreatePopupOfClassEh<IPopupCalculatorEh, TPopupCalculatorFormEh>(
      GlobalGridLibManager()->PopupCalculatorClass(), this);
  return dynamic_cast<IPopupCalculatorEh*>(FDropDownCalculator);
}

void TCustomDBNumberEditEh::DropDown()
{
  if (FCalculatorVisible)
    return;
  if (OnDropDown)
    OnDropDown(this);
  IPopupCalculatorEh* Calc = GetDropDownCalculator();
  FDropDownCalculator->HandleNeeded();
  Calc->SetValue(VarIsNull(FValue) || VarIsEmpty(FValue) ? Variant(0.0) : FValue);
  Calc->SetFlat(Flat());
  Calc->SetTextHeight(Variant(GetFontTextHeightEh(GetCanvas(), Font(), true)));
  TPoint P;
  CalcDropDownPosForControlEh(this, FDropDownCalculator, Integer(UseRightToLeftAlignment() ? taRightJustify : taLeftJustify), P);
  FDropDownCalculator->SetBounds(P.X, P.Y, FDropDownCalculator->Width(), FDropDownCalculator->Height());
  Calc->Show(P, [this](TWinControl*, bool Accept) { CloseUp(Accept); });
  FCalculatorVisible = true;
  FDroppedDown = true;
  SetSelLength(0);
}

void TCustomDBNumberEditEh::CloseUp(bool Accept)
{
  if (!FCalculatorVisible)
    return;
  // A drop-down form still waiting for its end closes the way it closes by
  // itself: it frees what it was handed, and its call-back comes back here.
  if (auto* Form = dynamic_cast<TCustomDropDownFormEh*>(FDropDownCalculator); Form && Form->CallbackProc()) {
    Form->SetModalResult(Accept ? mrOk : mrCancel);
    Form->Close();
    if (!FCalculatorVisible)
      return;
  }
  FCalculatorVisible = false;
  auto* Calc = dynamic_cast<IPopupCalculatorEh*>(FDropDownCalculator);
  if (FDropDownCalculator->Focused() || FDropDownCalculator->ContainsControl(Screen->ActiveControl()))
    if (CanFocus())
      SetFocus();
  Calc->Hide();
  FDroppedDown = false;
  inherited::CloseUp(Accept);
  if (Accept && !FReadOnly && FDataLink->Edit()) {
    // After a calculator error there is no number to take.
    const Variant V = Calc->GetValue();
    if (IsNumericVariant(V)) {
      InternalSetValue(V);
      if (FFocused)
        SelectAll();
    }
  }
  if (OnCloseUp)
    OnCloseUp(this, Accept);
  ResetDroppedDownState();
}

void TCustomDBNumberEditEh::EditButtonDropDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl)
{
  if (EditButtonControl)
    EditButtonControl->SetAlwaysDown(true);
  inherited::EditButtonDropDown(EditButton, EditButtonControl);
  DropDown();
  if (FCalculatorVisible)
    SetDroppedDownState(EditButton, EditButtonControl);
  else if (EditButtonControl)
    EditButtonControl->SetAlwaysDown(false);
}

void TCustomDBNumberEditEh::DefaultEditButtonClick(TEditButtonEh*, TEditButtonControlEh*, bool&) {}

void TCustomDBNumberEditEh::DefaultEditButtonDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                                  bool TopButton, bool&, bool& Handled)
{
  if (EditButton && (EditButton->Style() == ebsUpDownEh || EditButton->Style() == ebsAltUpDownEh)) {
    if (!FReadOnly && FDataLink->Edit())
      IncrementValue(TopButton);
  } else if (!FDroppedDown) {
    EditButtonDropDown(EditButton, EditButtonControl);
    FNoClickCloseUp = true;
  }
  Handled = true;
}

void RegisterDBCtrlsEhNumberEditClasses()
{
  RegisterDBCtrlsEhClasses();
  RegisterCalculatorEhClasses();
  RegisterClassInfo<TCustomDBNumberEditEh, TCustomDBEditEh>("TCustomDBNumberEditEh");
  RegisterClassInfo<TDBNumberEditEh, TCustomDBNumberEditEh>("TDBNumberEditEh")
    .Property("Alignment", &TDBNumberEditEh::Alignment, &TDBNumberEditEh::SetAlignment)
    .Stored(&TDBNumberEditEh::AlignmentStored)
    .Property("currency", &TDBNumberEditEh::currency, &TDBNumberEditEh::SetCurrency)
    .Stored(&TDBNumberEditEh::CurrencyStored)
    .Property("DataField", &TDBNumberEditEh::DataField, &TDBNumberEditEh::SetDataField)
    .Property("DataSource", &TDBNumberEditEh::DataSource, &TDBNumberEditEh::SetDataSource)
    .Property("DecimalPlaces", &TDBNumberEditEh::DecimalPlaces, &TDBNumberEditEh::SetDecimalPlaces, Cardinal(2))
    .Property("DisplayFormat", &TDBNumberEditEh::DisplayFormat, &TDBNumberEditEh::SetDisplayFormat)
    .Stored(&TDBNumberEditEh::DisplayFormatStored)
    .Property("EditButton", &TDBNumberEditEh::EditButton, &TDBNumberEditEh::SetEditButton)
    .Property("EditButtons", &TDBNumberEditEh::EditButtons, &TDBNumberEditEh::SetEditButtons)
    .Property("EmptyDataInfo", &TDBNumberEditEh::EmptyDataInfo, &TDBNumberEditEh::SetEmptyDataInfo)
    .Property("Flat", &TDBNumberEditEh::Flat, &TDBNumberEditEh::SetFlat, false)
    .Property("HighlightRequired", &TDBNumberEditEh::HighlightRequired, &TDBNumberEditEh::SetHighlightRequired, false)
    .Property("Increment", &TDBNumberEditEh::Increment, &TDBNumberEditEh::SetIncrement, 1.0)
    .Property("MaxValue", &TDBNumberEditEh::MaxValue, &TDBNumberEditEh::SetMaxValue)
    .Stored(&TDBNumberEditEh::MaxValueStored)
    .Property("MinValue", &TDBNumberEditEh::MinValue, &TDBNumberEditEh::SetMinValue)
    .Stored(&TDBNumberEditEh::MinValueStored)
    .Property("ReadOnly", &TDBNumberEditEh::ReadOnly, &TDBNumberEditEh::SetReadOnly, false)
    .Event("OnCloseUp", &TDBNumberEditEh::OnCloseUp)
    .Event("OnDropDown", &TDBNumberEditEh::OnDropDown)
    .Event("OnUpdateData", &TDBNumberEditEh::OnUpdateData);
  RegisterClasses({TDBNumberEditEh::StaticClass()});
}
