// CalculatorEh.h: the pocket calculator (buttons and display from its stored
// form description, driven by keys) and the drop-down form that offers it to
// the number editors.
#pragma once

#include "gridlib/editors/DropDownFormEh.h"
#include "gridlib/foundation/GridPlatformEh.h"
#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"

// csFirstEh: the display holds a result or the start value, the next digit
// starts a new number; csValidEh: a number is being typed; csErrorEh: the
// display shows "Error" until cleared.
enum TCalcStateEh { csFirstEh, csValidEh, csErrorEh };

class TCalculatorEh : public TCustomControlEh {
  VELMORA_CLASS(TCalculatorEh)
  using inherited = TCustomControlEh;
public:
  explicit TCalculatorEh(TComponent* AOwner);

  // The components of the stored form description.
  TPanel* Panel1 = nullptr;
  TSpeedButtonEh* SpeedButton1 = nullptr;
  TSpeedButtonEh* SpeedButton2 = nullptr;
  TSpeedButtonEh* SpeedButton3 = nullptr;
  TSpeedButtonEh* SpeedButton4 = nullptr;
  TSpeedButtonEh* SpeedButton5 = nullptr;
  TSpeedButtonEh* SpeedButton6 = nullptr;
  TSpeedButtonEh* SpeedButton7 = nullptr;
  TSpeedButtonEh* SpeedButton8 = nullptr;
  TSpeedButtonEh* SpeedButton9 = nullptr;
  TSpeedButtonEh* SpeedButton10 = nullptr;
  TSpeedButtonEh* SpeedButton11 = nullptr;
  TSpeedButtonEh* SpeedButton12 = nullptr;
  TSpeedButtonEh* SpeedButton13 = nullptr;
  TSpeedButtonEh* SpeedButton14 = nullptr;
  TSpeedButtonEh* SpeedButton15 = nullptr;
  TSpeedButtonEh* SpeedButton16 = nullptr;
  TSpeedButtonEh* SpeedButton18 = nullptr;
  TSpeedButtonEh* SpeedButton19 = nullptr;
  TSpeedButtonEh* SpeedButton20 = nullptr;
  TSpeedButtonEh* SpeedButton22 = nullptr;
  TSpeedButtonEh* SpeedButton23 = nullptr;
  TSpeedButtonEh* SpeedButton24 = nullptr;
  TSpeedButtonEh* spEqual = nullptr;
  TLabel* TextBox = nullptr;

  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  Integer ClientHeight() const { return Height() - 2 * CalcBorderSize(); }
  void SetClientHeight(Integer Value) { SetHeight(Value + 2 * CalcBorderSize()); }
  Integer ClientWidth() const { return Width() - 2 * CalcBorderSize(); }
  void SetClientWidth(Integer Value) { SetWidth(Value + 2 * CalcBorderSize()); }
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value) { FFlat = Value; }
  // Accepted from form descriptions and ignored.
  bool OldCreateOrder() const { return false; }
  void SetOldCreateOrder(bool) {}
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer Value);
  TCalcStateEh Status() const { return FStatus; }
  Integer TextHeight() const { return FTextHeight; }
  // Rescales the calculator by the new text height over the old.
  void SetTextHeight(Integer Value);

  String DisplayText() const;
  void SetDisplayText(const String& Value);
  // 0 after an error.
  double DisplayValue() const;
  void SetDisplayValue(double Value);
  // The pending operator: "=", Enter, "%", "*", "+", "-" or "/".
  QChar Operator() const { return FOperator; }

  void SpeedButtonClick(TObject* Sender);
  // The key upper-cased, offered to OnProcessKey, then handled.
  virtual void ProcessKey(QChar Key);
  virtual void DefaultProcessKey(QChar Key);
  void DoCopy();
  // A clipboard text that is not a number beeps and changes nothing.
  void Paste();

  // The key selected by a button's Tag (a null character for none).
  static QChar KeyOfTag(Integer Tag);

  TKeyPressEvent OnProcessKey;

protected:
  void DefineProperties(TFiler& Filer) override;
  virtual Integer CalcBorderSize() const;
  // The frame's size plus the client size.
  virtual bool CanAutoSize(Integer& NewWidth, Integer& NewHeight);
  void CreateParams(TCreateParams& Params) override;
  void KeyPress(QChar& Key) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

private:
  void ReadTextHeight(TReader& Reader);
  void StartNumber();
  void Clear();
  void SetError();
  void UpdateEqualCaption();

  TBorderStyle FBorderStyle = TBorderStyle::bsNone;
  bool FFlat = true;
  double FOperand = 0;
  QChar FOperator = QLatin1Char('=');
  Integer FPixelsPerInch = 96;
  TCalcStateEh FStatus = csFirstEh;
  Integer FTextHeight = 13;
};

// What the editors drive a popup calculator through.
class IPopupCalculatorEh {
public:
  virtual ~IPopupCalculatorEh() = default;
  // Enter may close: no operation is pending.
  virtual bool GetEnterCanClose() = 0;
  virtual bool GetFlat() = 0;
  // The result as a double; Unassigned after a calculator error.
  virtual Variant GetValue() = 0;
  virtual bool CanDropDown() = 0;
  virtual void SetFlat(bool Value) = 0;
  virtual void SetValue(const Variant& Value) = 0;
  // An Integer in a Variant.
  virtual void SetTextHeight(const Variant& Value) = 0;
  virtual void Show(TPoint Pos, TCloseWinCallbackProcEh CloseCallback) = 0;
  virtual void Hide() = 0;
};

class TPopupCalculatorFormEh : public TCustomDropDownFormEh, public IPopupCalculatorEh {
  VELMORA_CLASS(TPopupCalculatorFormEh)
  using inherited = TCustomDropDownFormEh;
public:
  explicit TPopupCalculatorFormEh(TComponent* AOwner);

  TCalculatorEh* Calculator = nullptr;

  bool GetEnterCanClose() override;
  bool EnterCanClose() { return GetEnterCanClose(); }
  bool GetFlat() override { return Calculator->Flat(); }
  Variant GetValue() override;
  bool CanDropDown() override { return true; }
  void SetFlat(bool Value) override { Calculator->SetFlat(Value); }
  void SetValue(const Variant& Value) override;
  void SetTextHeight(const Variant& Value) override;
  void Show(TPoint Pos, TCloseWinCallbackProcEh CloseCallback) override;
  void Hide() override { inherited::Hide(); }
  using inherited::Show;
  Integer CurFontHeight() const { return FCurFontHeight; }

  void DrawBorder(TCanvas* Canvas) override;
  void UpdateSize() override;

  TCloseWinCallbackProcEh OnCloseCallback;

protected:
  void AlignControls(TControl* AControl, TRect& Rect) override;

private:
  void CalculatorProcessKey(TObject* Sender, QChar& Key);
  Integer FCurFontHeight = 0;
};

// Registers the calculator classes for form descriptions.
void RegisterCalculatorEhClasses();
