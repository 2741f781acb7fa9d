// CalculatorEh.cpp: the pocket calculator and its drop-down form.
#include "gridlib/editors/CalculatorEh.h"

#include "gridlib/foundation/GridsEh.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Windows.h"

#include <cmath>

namespace {

const char16_t CalcKeyByTag[] = {0,   u'7', u'8', u'9', u'/', u'S', u'C', u'4', u'5', u'6', u'*', u'%',
                                 u'A', u'1', u'2', u'3', u'-', u'R', 8,    u'0', u'I', u'.', u'+', u'='};

constexpr char16_t KeyBackspace = 8;
constexpr char16_t KeyEnter = 13;
constexpr char16_t KeyEscape = 27;
constexpr char16_t KeyCopy = 3;
constexpr char16_t KeyPaste = 22;

bool IsOperatorKey(QChar Key)
{
  switch (Key.unicode()) {
  case KeyEnter: case u'%': case u'*': case u'+': case u'-': case u'/': case u'=':
    return true;
  default:
    return false;
  }
}

template <class T>
T* Bound(TComponent* Owner, const char* Name)
{
  auto* Found = dynamic_cast<T*>(Owner->FindComponent(QString::fromLatin1(Name)));
  if (!Found)
    throw EComponentError(QStringLiteral("TCalculatorEh has no component %1").arg(QString::fromLatin1(Name)));
  return Found;
}

} // namespace

// ---------------------------------------------------------------------------
// TCalculatorEh

TCalculatorEh::TCalculatorEh(TComponent* AOwner) : TCustomControlEh(AOwner)
{
  RegisterCalculatorEhClasses();
  FPixelsPerInch = Screen->PixelsPerInch();
  ReadFormResource(this, QStringLiteral("TCalculatorEh"));
  Panel1 = Bound<TPanel>(this, "Panel1");
  TextBox = Bound<TLabel>(this, "TextBox");
  TSpeedButtonEh** const Buttons[] = {
    &SpeedButton1,  &SpeedButton2,  &SpeedButton3,  &SpeedButton4,  &SpeedButton5,  &SpeedButton6,
    &SpeedButton7,  &SpeedButton8,  &SpeedButton9,  &SpeedButton10, &SpeedButton11, &SpeedButton12,
    &SpeedButton13, &SpeedButton14, &SpeedButton15, &SpeedButton16, &SpeedButton18, &SpeedButton19,
    &SpeedButton20, &SpeedButton22, &SpeedButton23, &SpeedButton24, &spEqual};
  const char* const Names[] = {"SpeedButton1",  "SpeedButton2",  "SpeedButton3",  "SpeedButton4",  "SpeedButton5",
                               "SpeedButton6",  "SpeedButton7",  "SpeedButton8",  "SpeedButton9",  "SpeedButton10",
                               "SpeedButton11", "SpeedButton12", "SpeedButton13", "SpeedButton14", "SpeedButton15",
                               "SpeedButton16", "SpeedButton18", "SpeedButton19", "SpeedButton20", "SpeedButton22",
                               "SpeedButton23", "SpeedButton24", "spEqual"};
  for (size_t I = 0; I < std::size(Buttons); ++I)
    *Buttons[I] = Bound<TSpeedButtonEh>(this, Names[I]);

  Panel1->SetParentBackground(false);
  for (Integer I = 0; I < ComponentCount(); ++I) {
    auto* B = dynamic_cast<TSpeedButtonEh*>(Components(I));
    if (!B)
      continue;
    B->SetStyle(ebsGlyphEh);
    B->SetActive(!StyleThemesEnabledEh());
    B->SetAdvancedPaint(false);
    B->Font()->SetColor(clBlue);
    B->OnClick = [this](TObject* Sender) { SpeedButtonClick(Sender); };
  }
  for (TSpeedButtonEh* B : {SpeedButton24, SpeedButton13, SpeedButton14, SpeedButton15, SpeedButton16, spEqual,
                            SpeedButton22, SpeedButton23})
    B->Font()->SetColor(clRed);
}

void TCalculatorEh::DefineProperties(TFiler& Filer)
{
  inherited::DefineProperties(Filer);
  Filer.DefineProperty(QStringLiteral("TextHeight"), [this](TReader& Reader) { ReadTextHeight(Reader); }, nullptr,
                       false);
}

void TCalculatorEh::ReadTextHeight(TReader& Reader)
{
  FTextHeight = Reader.ReadInteger();
}

void TCalculatorEh::SetBorderStyle(TBorderStyle Value)
{
  if (FBorderStyle == Value)
    return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCalculatorEh::SetPixelsPerInch(Integer Value)
{
  if (Value == FPixelsPerInch || (Value != 0 && Value <= 35))
    return;
  if (ComponentState().Contains(csLoading) && FPixelsPerInch == 0)
    return;
  FPixelsPerInch = Value;
}

void TCalculatorEh::SetTextHeight(Integer Value)
{
  if (Value <= 0 || Value == FTextHeight)
    return;
  const Integer Old = FTextHeight;
  auto Scaled = [&](Integer V) { return Integer(std::lround(double(V) * Value / Old)); };
  for (Integer I = 0; I < ControlCount(); ++I) {
    TControl* C = Controls(I);
    C->SetBounds(Scaled(C->Left()), Scaled(C->Top()), Scaled(C->Width()), Scaled(C->Height()));
  }
  Font()->SetHeight(Scaled(Font()->Height()));
  SetBounds(Left(), Top(), Scaled(Width()), Scaled(Height()));
  FTextHeight = Value;
}

Integer TCalculatorEh::CalcBorderSize() const
{
  if (FBorderStyle != TBorderStyle::bsSingle)
    return 0;
  return Ctl3D() ? 2 : 1;
}

bool TCalculatorEh::CanAutoSize(Integer& NewWidth, Integer& NewHeight)
{
  NewWidth = ClientWidth() + 2 * CalcBorderSize();
  NewHeight = ClientHeight() + 2 * CalcBorderSize();
  return true;
}

void TCalculatorEh::CreateParams(TCreateParams& Params)
{
  inherited::CreateParams(Params);
  if (FBorderStyle != TBorderStyle::bsSingle)
    return;
  if (Ctl3D())
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  else
    Params.Style |= WS_BORDER;
}

QChar TCalculatorEh::KeyOfTag(Integer Tag)
{
  if (Tag < 0 || Tag >= Integer(std::size(CalcKeyByTag)))
    return QChar();
  return QChar(CalcKeyByTag[Tag]);
}

String TCalculatorEh::DisplayText() const
{
  return TextBox->Caption();
}

void TCalculatorEh::SetDisplayText(const String& Value)
{
  TextBox->SetCaption(Value);
}

double TCalculatorEh::DisplayValue() const
{
  if (FStatus == csErrorEh)
    return 0;
  return StrToFloat(DisplayText().trimmed());
}

void TCalculatorEh::SetDisplayValue(double Value)
{
  // No "-0" on the display.
  SetDisplayText(FloatToStrF(Value == 0 ? 0.0 : Value, ffGeneral, 15, 0));
}

void TCalculatorEh::SpeedButtonClick(TObject* Sender)
{
  if (auto* C = dynamic_cast<TComponent*>(Sender)) {
    const QChar Key = KeyOfTag(Integer(C->Tag()));
    if (!Key.isNull())
      ProcessKey(Key);
  }
}

void TCalculatorEh::KeyPress(QChar& Key)
{
  inherited::KeyPress(Key);
  if (!Key.isNull())
    ProcessKey(Key);
}

void TCalculatorEh::KeyDown(Word& Key, TShiftState Shift)
{
  inherited::KeyDown(Key, Shift);
  if (Key == VK_DELETE)
    ProcessKey(QLatin1Char('C'));
}

bool TCalculatorEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  if (!inherited::DoMouseWheelDown(Shift, MousePos) && FStatus != csErrorEh)
    SetDisplayValue(DisplayValue() - 1);
  return true;
}

bool TCalculatorEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  if (!inherited::DoMouseWheelUp(Shift, MousePos) && FStatus != csErrorEh)
    SetDisplayValue(DisplayValue() + 1);
  return true;
}

void TCalculatorEh::ProcessKey(QChar Key)
{
  if (Key >= QLatin1Char('a') && Key <= QLatin1Char('z'))
    Key = Key.toUpper();
  if (OnProcessKey)
    OnProcessKey(this, Key);
  if (!Key.isNull())
    DefaultProcessKey(Key);
}

void TCalculatorEh::StartNumber()
{
  if (FStatus != csFirstEh)
    return;
  FStatus = csValidEh;
  SetDisplayText(QStringLiteral("0"));
}

void TCalculatorEh::Clear()
{
  FStatus = csFirstEh;
  SetDisplayValue(0);
  FOperator = QLatin1Char('=');
  FOperand = 0;
}

void TCalculatorEh::SetError()
{
  FStatus = csErrorEh;
  SetDisplayText(QStringLiteral("Error"));
}

void TCalculatorEh::DefaultProcessKey(QChar Key)
{
  if (FStatus == csErrorEh && Key != QLatin1Char('C'))
    return;
  const QChar Separator = FormatSettings.DecimalSeparator;
  if (Key == Separator || Key == QLatin1Char(',') || Key == QLatin1Char('.')) {
    StartNumber();
    if (!DisplayText().contains(Separator))
      SetDisplayText(DisplayText() + Separator);
    return;
  }

  const String Text = DisplayText();
  if (Key >= QLatin1Char('0') && Key <= QLatin1Char('9')) {
    StartNumber();
    String T = DisplayText();
    if (T == QLatin1String("0"))
      T.clear();
    const Integer Cap = T.contains(QLatin1Char('-')) ? 16 : 15;
    if (!T.contains(QLatin1Char('E')) && T.size() < Cap)
      T += Key;
    SetDisplayText(T.isEmpty() ? QStringLiteral("0") : T);
  } else if (Key == QChar(KeyBackspace)) {
    StartNumber();
    const String T = DisplayText();
    if (T.size() == 1 || (T.size() == 2 && T[0] == QLatin1Char('-')))
      SetDisplayText(QStringLiteral("0"));
    else
      SetDisplayText(T.left(T.size() - 1));
  } else if (IsOperatorKey(Key)) {
    if (FStatus == csValidEh) {
      FStatus = csFirstEh;
      double A = DisplayValue();
      if (Key == QLatin1Char('%')) {
        if (FOperator == QLatin1Char('*') || FOperator == QLatin1Char('/'))
          A /= 100;
        else if (FOperator == QLatin1Char('+') || FOperator == QLatin1Char('-'))
          A = A * FOperand / 100;
      }
      switch (FOperator.unicode()) {
      case u'*': SetDisplayValue(FOperand * A); break;
      case u'+': SetDisplayValue(FOperand + A); break;
      case u'-': SetDisplayValue(FOperand - A); break;
      case u'/':
        if (A == 0)
          SetError();
        else
          SetDisplayValue(FOperand / A);
        break;
      default: break;
      }
    }
    FOperator = Key;
    FOperand = DisplayValue();
  } else if (Key == QLatin1Char('I')) {
    SetDisplayValue(-DisplayValue());
  } else if (Key == QLatin1Char('R')) {
    FStatus = csFirstEh;
    const double V = DisplayValue();
    if (V == 0)
      SetError();
    else
      SetDisplayValue(1 / V);
  } else if (Key == QLatin1Char('S')) {
    FStatus = csFirstEh;
    const double V = DisplayValue();
    if (V < 0)
      SetError();
    else
      SetDisplayValue(std::sqrt(V));
  } else if (Key == QLatin1Char('C') || Key == QChar(KeyEscape)) {
    Clear();
  } else if (Key == QChar(KeyCopy)) {
    DoCopy();
  } else if (Key == QChar(KeyPaste)) {
    Paste();
  }
  UpdateEqualCaption();
}

void TCalculatorEh::UpdateEqualCaption()
{
  const bool Pending = FOperand != 0 && FStatus == csValidEh &&
                       (FOperator == QLatin1Char('*') || FOperator == QLatin1Char('+') ||
                        FOperator == QLatin1Char('-') || FOperator == QLatin1Char('/'));
  spEqual->SetCaption(Pending ? QStringLiteral("=") : QStringLiteral("Ok"));
}

void TCalculatorEh::DoCopy()
{
  Clipboard()->SetAsText(DisplayText());
}

void TCalculatorEh::Paste()
{
  if (!Clipboard()->HasFormat(CF_TEXT))
    return;
  // A key handler must not raise: an error box would close the popup and
  // the calculation would be lost.
  double Value = 0;
  if (!TryStrToFloat(Clipboard()->AsText().trimmed(), Value)) {
    MessageBeep(0);
    return;
  }
  SetDisplayValue(Value);
}

// ---------------------------------------------------------------------------
// TPopupCalculatorFormEh

TPopupCalculatorFormEh::TPopupCalculatorFormEh(TComponent* AOwner) : TCustomDropDownFormEh(AOwner, 0)
{
  SetFormElements({});
  SetBorderWidth(2);
  SetKeyPreview(true);
  SetFormStyle(fsStayOnTop);
  FCurFontHeight = Font()->Height();
  Calculator = new TCalculatorEh(this);
  Calculator->SetParent(this);
  Calculator->SetBounds(0, 0, Calculator->Width(), Calculator->Height());
  Calculator->SetDisplayValue(0);
  Calculator->OnProcessKey = [this](TObject* Sender, QChar& Key) { CalculatorProcessKey(Sender, Key); };
  SetActiveControl(Calculator);
  UpdateSize();
}

bool TPopupCalculatorFormEh::GetEnterCanClose()
{
  return Calculator->spEqual->Caption() == QLatin1String("Ok");
}

Variant TPopupCalculatorFormEh::GetValue()
{
  // Unassigned stands for the error: the platform's variants carry no error code.
  if (Calculator->Status() == csErrorEh)
    return Variant();
  return Calculator->DisplayValue();
}

void TPopupCalculatorFormEh::SetValue(const Variant& Value)
{
  Calculator->DefaultProcessKey(QLatin1Char('C'));
  if (!VarIsNull(Value) && !VarIsEmpty(Value))
    Calculator->SetDisplayValue(Value.AsDouble());
}

void TPopupCalculatorFormEh::SetTextHeight(const Variant& Value)
{
  const Integer H = Value.AsInteger();
  if (H == Calculator->TextHeight())
    return;
  Calculator->SetTextHeight(H);
  UpdateSize();
}

void TPopupCalculatorFormEh::UpdateSize()
{
  inherited::UpdateSize();
  if (!Calculator)
    return;
  const Integer B = BorderWidth();
  Calculator->SetBounds(B, B, Calculator->Width(), Calculator->Height());
  SetClientWidth(Calculator->Width() + 2 * B);
  SetClientHeight(Calculator->Height() + 2 * B);
}

void TPopupCalculatorFormEh::AlignControls(TControl* AControl, TRect& Rect)
{
  inherited::AlignControls(AControl, Rect);
  UpdateSize();
}

void TPopupCalculatorFormEh::DrawBorder(TCanvas* Canvas)
{
  TRect R = ClientRect();
  Canvas->Brush()->SetColor(cl3DDkShadow);
  Canvas->FrameRect(R);
  R.Inflate(-1, -1);
  DrawEdge(Canvas->Handle(), R, BDR_RAISEDINNER, BF_RECT);
}

void TPopupCalculatorFormEh::Show(TPoint Pos, TCloseWinCallbackProcEh CloseCallback)
{
  OnCloseCallback = std::move(CloseCallback);
  auto* DynParams = new TDynVarsEh(this);
  auto* SysParams = new TDropDownFormSysParams();
  ExecuteNomodal(TRect(Pos.X, Pos.Y, Pos.X, Pos.Y), nullptr,
                 [this](TCustomForm*, bool Accept, TDynVarsEh* Dyn, TDropDownFormSysParams* Sys) {
                   delete Dyn;
                   delete Sys;
                   if (OnCloseCallback)
                     OnCloseCallback(this, Accept);
                 },
                 SysParams, DynParams, taLeftJustify);
}

void TPopupCalculatorFormEh::CalculatorProcessKey(TObject*, QChar& Key)
{
  TModalResult Result = mrNone;
  if ((Key == QChar(KeyEnter) || Key == QLatin1Char('=')) && EnterCanClose())
    Result = mrOk;
  else if (Key == QChar(KeyEscape))
    Result = mrCancel;
  if (Result == mrNone || !Visible())
    return;
  // A drop-down shown without a modal loop closes itself: nothing polls the result.
  SetModalResult(Result);
  Close();
}

void RegisterCalculatorEhClasses()
{
  static bool Done = false;
  if (Done)
    return;
  Done = true;
  RegisterGridLibFoundationClasses();
  RegisterStdCtrlsClasses();
  RegisterExtCtrlsClasses();
  RegisterEnum<TCalcStateEh>("TCalcStateEh", {"csFirstEh", "csValidEh", "csErrorEh"});
  RegisterClassInfo<TCalculatorEh, TCustomControlEh>("TCalculatorEh")
    .Property("BorderStyle", &TCalculatorEh::BorderStyle, &TCalculatorEh::SetBorderStyle, TBorderStyle::bsNone)
    .Property("ClientHeight", &TCalculatorEh::ClientHeight, &TCalculatorEh::SetClientHeight)
    .Stored(false)
    .Property("ClientWidth", &TCalculatorEh::ClientWidth, &TCalculatorEh::SetClientWidth)
    .Stored(false)
    .Property("Flat", &TCalculatorEh::Flat, &TCalculatorEh::SetFlat, true)
    .Property("OldCreateOrder", &TCalculatorEh::OldCreateOrder, &TCalculatorEh::SetOldCreateOrder, false)
    .Property("PixelsPerInch", &TCalculatorEh::PixelsPerInch, &TCalculatorEh::SetPixelsPerInch)
    .Event("OnProcessKey", &TCalculatorEh::OnProcessKey);
  RegisterClassInfo<TPopupCalculatorFormEh, TCustomDropDownFormEh>("TPopupCalculatorFormEh");
}
