// DBCtrlsEhCheckBox.cpp: the data-aware check box: three states read from a
// Boolean field, from a field's text through two lists of accepted texts, or
// from a value of its own; written back on exit or post; painted by itself.
#include "gridlib/editors/DBCtrlsEh.h"

#include "platform/gui/Themes.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/ScopeExit.h"

namespace {

// The platform's texts for the two Boolean values.
const String TrueText = QStringLiteral("True");
const String FalseText = QStringLiteral("False");

// The parts of a ";" list, each trimmed; a trailing ";" adds no part.
std::vector<String> ValueListParts(const String& List)
{
  std::vector<String> Parts;
  Integer Pos = 0;
  while (Pos < List.size()) {
    Integer End = List.indexOf(QLatin1Char(';'), Pos);
    if (End < 0)
      End = List.size();
    Parts.push_back(List.mid(Pos, End - Pos).trimmed());
    Pos = End + 1;
  }
  return Parts;
}

// Whether Text is one of the list's texts, in any letter case. An empty
// text also matches an empty list or one that ends with ";".
bool ValueListMatches(const String& List, const String& Text)
{
  for (const String& Part : ValueListParts(List))
    if (AnsiCompareTextEh(Part, Text) == 0)
      return true;
  return Text.isEmpty() && (List.isEmpty() || List.endsWith(QLatin1Char(';')));
}

String FirstListValue(const String& List)
{
  const std::vector<String> Parts = ValueListParts(List);
  return Parts.empty() ? String() : Parts.front();
}

Integer CheckStateOf(TCheckBoxState State)
{
  switch (State) {
  case cbChecked: return 1;
  case cbGrayed: return 2;
  case cbUnchecked: break;
  }
  return 0;
}

// The character after the caption's "&" (not "&&"), or none.
QChar AccelCharOf(const String& Caption)
{
  for (Integer I = 0; I + 1 < Caption.size(); ++I) {
    if (Caption[I] != QLatin1Char('&'))
      continue;
    if (Caption[I + 1] != QLatin1Char('&'))
      return Caption[I + 1];
    ++I;
  }
  return QChar();
}

} // namespace

TCustomDBCheckBoxEh::TCustomDBCheckBoxEh(TComponent* AOwner)
    : TCustomControl(AOwner), FDataLink(std::make_unique<TFieldDataLinkEh>()),
      FDynProps(std::make_unique<TDynVarsEh>(this)), FValueCheck(TrueText), FValueUncheck(FalseText)
{
  SetBounds(Left(), Top(), 97, 17);
  SetTabStop(true);
  SetColor(clBtnFace);
  SetParentColor(true);
  TControlStyle Style = ControlStyle();
  Style.Exclude(csDoubleClicks);
  Style.Include(csReplicatable);
  SetControlStyle(Style);
  FDataLink->SetControl(this);
  FDataLink->OnDataChange = [this](TObject* Sender) { DataChange(Sender); };
  FDataLink->OnUpdateData = [this](TObject* Sender) { DataLinkUpdateData(Sender); };
  FDataLink->DataIndependentValue = Variant(false);
}

TCustomDBCheckBoxEh::~TCustomDBCheckBoxEh()
{
  FDataLink->OnDataChange = nullptr;
  FDataLink->OnUpdateData = nullptr;
  FDataLink->SetDataSource(nullptr);
}

// --- properties

void TCustomDBCheckBoxEh::SetAlignment(TLeftRight Value)
{
  if (Value == FAlignment)
    return;
  FAlignment = Value;
  Invalidate();
}

void TCustomDBCheckBoxEh::SetAlwaysShowBorder(bool Value)
{
  if (Value == FAlwaysShowBorder)
    return;
  FAlwaysShowBorder = Value;
  Invalidate();
}

void TCustomDBCheckBoxEh::SetFlat(bool Value)
{
  if (Value == FFlat)
    return;
  FFlat = Value;
  Invalidate();
}

void TCustomDBCheckBoxEh::SetWordWrap(bool Value)
{
  if (Value == FWordWrap)
    return;
  FWordWrap = Value;
  Invalidate();
}

String TCustomDBCheckBoxEh::DataField() const { return FDataLink->FieldName(); }
void TCustomDBCheckBoxEh::SetDataField(const String& Value) { FDataLink->SetFieldName(Value); }
TDataSource* TCustomDBCheckBoxEh::DataSource() const { return FDataLink->DataSource(); }
TField* TCustomDBCheckBoxEh::Field() const { return FDataLink->Field(); }
bool TCustomDBCheckBoxEh::ReadOnly() const { return FDataLink->ReadOnly(); }
void TCustomDBCheckBoxEh::SetReadOnly(bool Value) { FDataLink->SetReadOnly(Value); }
void TCustomDBCheckBoxEh::SetDynProps(TDynVarsEh* Value) { FDynProps->Assign(Value); }
bool TCustomDBCheckBoxEh::DataIndepended() const { return FDataLink->DataIndepended(); }

void TCustomDBCheckBoxEh::SetDataSource(TDataSource* Value)
{
  if (FDataLink->DataSourceFixed() && ComponentState().Contains(csLoading))
    return;
  if (ComponentState().Contains(csDestroying))
    return;
  FDataLink->SetDataSource(Value);
  if (Value)
    Value->FreeNotification(this);
}

void TCustomDBCheckBoxEh::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && FDataLink && AComponent == DataSource())
    SetDataSource(nullptr);
}

void TCustomDBCheckBoxEh::SetValueChecked(const String& Value)
{
  FValueCheck = Value;
  DataChange(this);
}

void TCustomDBCheckBoxEh::SetValueUnchecked(const String& Value)
{
  FValueUncheck = Value;
  DataChange(this);
}

void TCustomDBCheckBoxEh::DefineProperties(TFiler& Filer)
{
  inherited::DefineProperties(Filer);
  Filer.DefineProperty(
    QStringLiteral("ValueChecked"), [this](TReader& Reader) { SetValueChecked(Reader.ReadString()); },
    [this](TWriter& Writer) { Writer.WriteString(FValueCheck); }, FValueCheck != TrueText);
  Filer.DefineProperty(
    QStringLiteral("ValueUnchecked"), [this](TReader& Reader) { SetValueUnchecked(Reader.ReadString()); },
    [this](TWriter& Writer) { Writer.WriteString(FValueUncheck); }, FValueUncheck != FalseText);
}

// --- state and data

TCheckBoxState TCustomDBCheckBoxEh::GetFieldState() const
{
  if (DataIndepended()) {
    const Variant& V = FDataLink->DataIndependentValue;
    if (VarValuesEqualEh(V, Variant(true)))
      return cbChecked;
    if (VarValuesEqualEh(V, Variant(false)))
      return cbUnchecked;
    return cbGrayed;
  }
  TField* F = Field();
  if (!F)
    return cbUnchecked;
  if (F->DataType() == ftBoolean && FValueCheck == TrueText && FValueUncheck == FalseText) {
    if (F->IsNull())
      return cbGrayed;
    return F->AsBoolean() ? cbChecked : cbUnchecked;
  }
  const String T = F->Text();
  if (ValueListMatches(FValueCheck, T))
    return cbChecked;
  if (ValueListMatches(FValueUncheck, T))
    return cbUnchecked;
  return cbGrayed;
}

void TCustomDBCheckBoxEh::DataChange(TObject*)
{
  if (ComponentState().Contains(csDestroying))
    return;
  InternalSetState(GetFieldState());
  FModified = false;
}

void TCustomDBCheckBoxEh::InternalSetState(TCheckBoxState Value)
{
  if (Value == FState)
    return;
  FState = Value;
  if (!FClicksDisabled)
    TControl::Click();   // OnClick
  Invalidate();
  FModified = true;
}

void TCustomDBCheckBoxEh::SetState(TCheckBoxState Value)
{
  const bool Bound = !DataIndepended();
  if (Bound && ComponentState().Contains(csDesigning))
    return;
  if (Bound) {
    // A field name without a data source has no data set to edit: the
    // state is not taken rather than written nowhere.
    TDataSet* DataSet = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!DataSet)
      throw EDatabaseError(QStringLiteral("%1: no data set to write the state to").arg(Name()));
    DataSet->Edit();
  }
  InternalSetState(Value);
  if (FDataPosting)
    return;
  try {
    UpdateData();
  } catch (...) {
    FDataLink->Reset();
    throw;
  }
}

void TCustomDBCheckBoxEh::Toggle()
{
  if (!FDataLink->Edit())
    return;
  switch (FState) {
  case cbUnchecked: InternalSetState(FAllowGrayed ? cbGrayed : cbChecked); break;
  case cbChecked: InternalSetState(cbUnchecked); break;
  case cbGrayed: InternalSetState(cbChecked); break;
  }
  FDataLink->Modified();
  Invalidate();
}

void TCustomDBCheckBoxEh::Click()
{
  if (FClicksDisabled)
    return;
  Toggle();
}

void TCustomDBCheckBoxEh::UpdateData()
{
  bool Handled = false;
  {
    FDataPosting = true;
    ScopeExit Lower([this] { FDataPosting = false; });
    if (OnUpdateData)
      OnUpdateData(this, Handled);
  }
  if (!Handled)
    InternalUpdateData();
}

void TCustomDBCheckBoxEh::DataLinkUpdateData(TObject*) { UpdateData(); }

void TCustomDBCheckBoxEh::InternalUpdateData()
{
  if (DataIndepended()) {
    switch (FState) {
    case cbGrayed: FDataLink->SetValue(Null); break;
    case cbChecked: FDataLink->SetValue(Variant(true)); break;
    case cbUnchecked: FDataLink->SetValue(Variant(false)); break;
    }
    return;
  }
  TField* F = Field();
  if (!F)
    return;
  if (FState == cbGrayed)
    F->Clear();
  else if (F->DataType() == ftBoolean)
    F->SetAsBoolean(FState == cbChecked);
  else
    F->SetText(FirstListValue(FState == cbChecked ? FValueCheck : FValueUncheck));
}

// --- keys, mouse and focus

void TCustomDBCheckBoxEh::KeyPress(QChar& Key)
{
  inherited::KeyPress(Key);
  if (Key == QChar(VK_BACK) || Key == QLatin1Char(' ')) {
    FDataLink->Edit();
  } else if (Key == QChar(VK_ESCAPE)) {
    FDataLink->Reset();
  }
}

void TCustomDBCheckBoxEh::KeyDown(Word& Key, TShiftState Shift)
{
  inherited::KeyDown(Key, Shift);
  if (Key == VK_SPACE && !FToggleKeyDown) {
    FToggleKeyDown = true;
    Invalidate();
  }
}

void TCustomDBCheckBoxEh::KeyUp(Word& Key, TShiftState Shift)
{
  inherited::KeyUp(Key, Shift);
  if (Key == VK_SPACE && FToggleKeyDown) {
    // A button answers the space bar on its release.
    FToggleKeyDown = false;
    Invalidate();
    Click();
  }
}

bool TCustomDBCheckBoxEh::TakeFocusForPress()
{
  if (Focused() || ComponentState().Contains(csDesigning) || !CanFocus())
    return true;
  FClicksDisabled = true;
  {
    ScopeExit Enable([this] { FClicksDisabled = false; });
    SetFocus();
  }
  return Focused();
}

void TCustomDBCheckBoxEh::WMLButtonDown(TMessage& Message)
{
  if (!TakeFocusForPress())
    return;
  FMousePressed = true;
  inherited::WMLButtonDown(Message);
  Invalidate();
}

void TCustomDBCheckBoxEh::WMLButtonDblClk(TMessage& Message)
{
  // Without double clicks a second press is a press like the first.
  WMLButtonDown(Message);
}

void TCustomDBCheckBoxEh::WMLButtonUp(TMessage& Message)
{
  FMousePressed = false;
  inherited::WMLButtonUp(Message);
  Invalidate();
}

void TCustomDBCheckBoxEh::WMCancelMode(TMessage& Message)
{
  const bool WasDown = FMousePressed;
  if (MouseCapture())
    SetMouseCapture(false);
  FMousePressed = false;
  TControlState S = ControlState();
  S.Exclude(csClicked);
  SetControlState(S);
  if (WasDown)
    Perform(WM_LBUTTONUP, 0, LPARAM(-1));
  inherited::WMCancelMode(Message);
}

void TCustomDBCheckBoxEh::WMSetFocus(TMessage& Message)
{
  inherited::WMSetFocus(Message);
  Invalidate();
}

void TCustomDBCheckBoxEh::WMKillFocus(TMessage& Message)
{
  inherited::WMKillFocus(Message);
  FToggleKeyDown = false;
  Invalidate();
}

void TCustomDBCheckBoxEh::WMSize(TMessage& Message)
{
  inherited::WMSize(Message);
  Invalidate();
}

void TCustomDBCheckBoxEh::CMExit(TMessage& Message)
{
  try {
    FDataLink->UpdateRecord();
  } catch (...) {
    // The state could not be written: the user stays here to mend it.
    SetFocus();
    throw;
  }
  inherited::CMExit(Message);
}

void TCustomDBCheckBoxEh::CMDialogChar(TMessage& Message)
{
  const QChar Accel = AccelCharOf(Caption());
  const QChar Typed(char16_t(Message.WParam));
  if (!Accel.isNull() && Accel.toUpper() == Typed.toUpper() && CanFocus()) {
    SetFocus();
    if (Focused())
      Click();
    Message.Result = 1;
    return;
  }
  inherited::CMDialogChar(Message);
}

void TCustomDBCheckBoxEh::CMWantSpecialKey(TMessage& Message)
{
  inherited::CMWantSpecialKey(Message);
  if (Message.WParam == VK_ESCAPE && FModified)
    Message.Result = 1;
}

void TCustomDBCheckBoxEh::WMGetDlgCode(TMessage& Message)
{
  inherited::WMGetDlgCode(Message);
  Message.Result |= DLGC_WANTCHARS | DLGC_BUTTON;
}

void TCustomDBCheckBoxEh::CMMouseEnter(TMessage& Message)
{
  inherited::CMMouseEnter(Message);
  FMouseAboveControl = true;
  Invalidate();
}

void TCustomDBCheckBoxEh::CMMouseLeave(TMessage& Message)
{
  inherited::CMMouseLeave(Message);
  FMouseAboveControl = false;
  Invalidate();
}

void TCustomDBCheckBoxEh::CMEnabledChanged(TMessage& Message)
{
  inherited::CMEnabledChanged(Message);
  Invalidate();
}

void TCustomDBCheckBoxEh::CMTextChanged(TMessage& Message)
{
  inherited::CMTextChanged(Message);
  Invalidate();
}

void TCustomDBCheckBoxEh::Dispatch(TMessage& Message)
{
  if (Message.Msg == CM_GETDATALINK) {
    Message.Result = LRESULT(FDataLink.get());
    return;
  }
  inherited::Dispatch(Message);
}

TLeftRight TCustomDBCheckBoxEh::GetControlsAlignment() const
{
  if (IsRightToLeft() && FAlignment == TLeftRight::taRightJustify)
    return TLeftRight::taLeftJustify;
  return TLeftRight::taRightJustify;
}

// --- painting

void TCustomDBCheckBoxEh::Paint() { PaintControl(); }

void TCustomDBCheckBoxEh::PaintControl()
{
  if (ControlState().Contains(csPaintCopy)) {
    DrawState(GetFieldState(), false, false, false);
    return;
  }
  const bool Pressed = (FMouseAboveControl && FMousePressed) || FToggleKeyDown;
  DrawState(FState, Focused(), FMouseAboveControl, Pressed);
}

void TCustomDBCheckBoxEh::DrawState(TCheckBoxState AState, bool Focused, bool Hot, bool Pressed)
{
  const bool BoxAtRight = (FAlignment == TLeftRight::taLeftJustify) != IsRightToLeft();
  const TRect Client = ClientRect();
  // The whole face is painted here, as a button erases its background.
  TCustomStyleServices* Style = StyleServices();
  Canvas()->Brush()->SetStyle(bsSolid);
  Canvas()->Brush()->SetColor(Style ? Style->GetSystemColor(Color()) : Color());
  Canvas()->FillRect(Client);
  TRect BoxRect;
  CheckBoxRectInRectEh(Client, BoxAtRight ? 1 : 0, 1, BoxRect);
  TRect TextRect = Client;
  if (BoxAtRight)
    TextRect.Right = BoxRect.Left - 5;
  else
    TextRect.Left = BoxRect.Right + 5;
  DrawCaption(TextRect, Focused, Hot, Pressed);
  DrawCheckBox(BoxRect, AState, Focused, Hot, Pressed);
}

void TCustomDBCheckBoxEh::DrawCheckBox(const TRect& BoxRect, TCheckBoxState AState, bool Focused, bool Hot,
                                       bool Pressed)
{
  const bool Designing = ComponentState().Contains(csDesigning);
  const bool Active = Hot || Focused || (FAlwaysShowBorder && !StyleThemesEnabledEh());
  PaintButtonControlEh(Canvas(), BoxRect, Color(), bcsCheckboxEh, Pressed ? 1 : 0, FFlat, Active,
                       Enabled() || Designing, CheckStateOf(AState));
}

void TCustomDBCheckBoxEh::DrawCaption(const TRect& TextRect, bool Focused, bool, bool)
{
  TCanvas* C = Canvas();
  TCustomStyleServices* Style = StyleServices();
  C->SetFont(Font());
  C->Font()->SetColor(Style ? Style->GetSystemColor(Font()->Color()) : Font()->Color());
  C->Brush()->SetColor(Style ? Style->GetSystemColor(Color()) : Color());
  const TBrushStyle OldBrush = C->Brush()->Style();
  C->Brush()->SetStyle(bsClear);
  ScopeExit RestoreBrush([C, OldBrush] { C->Brush()->SetStyle(OldBrush); });
  SetBkMode(C->Handle(), TRANSPARENT);

  const String Text = Caption();
  UINT Flags = DT_LEFT;
  TRect Measure(0, 0, FWordWrap ? TextRect.Width() : 0, 0);
  Flags |= FWordWrap ? UINT(DT_WORDBREAK) : UINT(DT_SINGLELINE);
  C->TextHeight(Text);
  DrawText(C->Handle(), Text.isEmpty() ? QStringLiteral(" ") : Text, -1, Measure, Flags | DT_CALCRECT);
  TRect R(TextRect.Left, Height() / 2 - Measure.Height() / 2, TextRect.Left + Measure.Width(), 0);
  R.Bottom = R.Top + Measure.Height();
  if (IsRightToLeft() && FAlignment == TLeftRight::taRightJustify) {
    R.Left = TextRect.Right - Measure.Width();
    R.Right = TextRect.Right;
  }
  // Measuring selects the canvas's current font into the context first.
  auto Draw = [&](TRect Where) {
    C->TextHeight(Text);
    DrawText(C->Handle(), Text, -1, Where, Flags);
  };
  if (Enabled() || ComponentState().Contains(csDesigning)) {
    Draw(R);
  } else {
    TRect Shadow = R;
    Shadow.Offset(1, 1);
    C->Font()->SetColor(clHighlightText);
    Draw(Shadow);
    C->Font()->SetColor(clGrayText);
    Draw(R);
  }
  if (!Focused)
    return;
  TRect FocusRect(R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 2);
  const TRect Client = ClientRect();
  FocusRect.Left = std::max(FocusRect.Left, Client.Left);
  FocusRect.Top = std::max(FocusRect.Top, Client.Top);
  FocusRect.Right = std::min(FocusRect.Right, Client.Right);
  FocusRect.Bottom = std::min(FocusRect.Bottom, Client.Bottom);
  C->Brush()->SetStyle(bsSolid);
  C->DrawFocusRect(FocusRect);
}

// --- registration

void RegisterDBCtrlsEhCheckBoxClasses()
{
  RegisterEnum<TCheckBoxState>("TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"});
  RegisterEnum<TLeftRight>("TLeftRight", {"taLeftJustify", "taRightJustify"});
  RegisterClassInfo<TCustomDBCheckBoxEh, TCustomControl>("TCustomDBCheckBoxEh");
  RegisterClassInfo<TDBCheckBoxEh, TCustomDBCheckBoxEh>("TDBCheckBoxEh")
    .Property("Alignment", &TDBCheckBoxEh::Alignment, &TDBCheckBoxEh::SetAlignment, TLeftRight::taRightJustify)
    .Property("AllowGrayed", &TDBCheckBoxEh::AllowGrayed, &TDBCheckBoxEh::SetAllowGrayed, false)
    .Property("AlwaysShowBorder", &TDBCheckBoxEh::AlwaysShowBorder, &TDBCheckBoxEh::SetAlwaysShowBorder, false)
    .Property("Caption", &TDBCheckBoxEh::Caption, &TDBCheckBoxEh::SetCaption)
    .Property("Checked", &TDBCheckBoxEh::Checked, &TDBCheckBoxEh::SetChecked, false)
    .Stored(false)
    .Property("DataField", &TDBCheckBoxEh::DataField, &TDBCheckBoxEh::SetDataField)
    .Property("DataSource", &TDBCheckBoxEh::DataSource, &TDBCheckBoxEh::SetDataSource)
    .Property("DynProps", &TDBCheckBoxEh::DynProps, &TDBCheckBoxEh::SetDynProps)
    .Property("Flat", &TDBCheckBoxEh::Flat, &TDBCheckBoxEh::SetFlat, false)
    .Property("ReadOnly", &TDBCheckBoxEh::ReadOnly, &TDBCheckBoxEh::SetReadOnly, false)
    .Property("State", &TDBCheckBoxEh::State, &TDBCheckBoxEh::SetState, cbUnchecked)
    .Stored(&TDBCheckBoxEh::StateStored)
    .Property("TabStop", &TDBCheckBoxEh::TabStop, &TDBCheckBoxEh::SetTabStop, true)
    .Property("WordWrap", &TDBCheckBoxEh::WordWrap, &TDBCheckBoxEh::SetWordWrap, false)
    .Event("OnUpdateData", &TDBCheckBoxEh::OnUpdateData);
}
