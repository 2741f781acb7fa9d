// DropDownFormEh.h: the base of the forms that drop down from an editor or a
// grid cell.
#pragma once

#include "gridlib/foundation/DynVarsEh.h"
#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/gui/Forms.h"

enum TDropDownFormElementEh { ddfeLeftGripEh, ddfeRightGripEh, ddfeCloseButtonEh, ddfeSizingBarEh };
using TDropDownFormElementsEh = TSet<TDropDownFormElementEh>;
enum TDropLayoutEh { dlAboveControlEh, dlUnderControlEh };

class TCustomDropDownFormEh;
using TInitDropDownFormEventEh = std::function<void(TCustomDropDownFormEh* Sender, TDynVarsEh* DynParams)>;
using TPutBackFormParamsEventEh = std::function<void(TCustomDropDownFormEh* Sender, TDynVarsEh* DynParams)>;

// Where a drop-down of Bounds' size lies for the anchor R (screen) inside
// the work area W: below R, or above it when it does not fit below and there
// is more room above; lined up by Align and cut to W. Bounds comes in with
// the size and goes out placed; the answer is the side taken.
TDropLayoutEh PlaceDropDownEh(const TRect& R, const TRect& W, TAlignment Align, TRect& Bounds);

// The close button in a drop-down form's corner.
class TDDFCloseButtonEh : public TWinControl {
  VELMORA_CLASS(TDDFCloseButtonEh)
  using inherited = TWinControl;
public:
  explicit TDDFCloseButtonEh(TComponent* AOwner);
  TSpeedButtonEh* ButtonControl() const { return FButtonControl; }

private:
  void ButtonPaint(TObject* Sender);
  void ButtonClick(TObject* Sender);
  TSpeedButtonEh* FButtonControl = nullptr;
};

// The bar along a drop-down form's outer edge that resizes the form when
// dragged.
class TDDFSizingBarEh : public TCustomPanel {
  VELMORA_CLASS(TDDFSizingBarEh)
  using inherited = TCustomPanel;
public:
  explicit TDDFSizingBarEh(TComponent* AOwner);
  TWinControl* HostControl() const { return FHostControl; }
  void SetHostControl(TWinControl* Value) { FHostControl = Value; }
  Integer SizingArea() const { return FSizingArea; }
  // The bar lies at the top of its host (else at the bottom).
  bool AtTop() const { return Align() == alTop; }

protected:
  void Resize() override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void WndProc(TMessage& Message) override;

private:
  bool InSizingArea(Integer Y) const;
  TWinControl* FHostControl = nullptr;
  TPoint FMouseDownPos = TPoint(-1, -1);
  Integer FSizingArea = 10;
};

class TCustomDropDownFormEh : public TForm, public IDynParamsInteractableEh, public IDropDownFormEh {
  VELMORA_CLASS(TCustomDropDownFormEh)
  using inherited = TForm;
public:
  // Reads the stored description of the form's class.
  explicit TCustomDropDownFormEh(TComponent* AOwner);
  // A form built in code.
  TCustomDropDownFormEh(TComponent* AOwner, Integer Dummy);
  ~TCustomDropDownFormEh() override;
  void AfterConstruction() override;

  Integer BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(Integer Value);
  TDropDownFormCallbackProcEh CallbackProc() const { return FCallbackProc; }
  // What the caller of the open drop-down handed in (nullptr: none open).
  TDropDownFormSysParams* SysParams() const { return FSysParams; }
  bool DropDownMode() const { return FDropDownMode; }
  void SetDropDownMode(bool Value);
  TDropDownFormElementsEh FormElements() const { return FFormElements; }
  void SetFormElements(TDropDownFormElementsEh Value);
  bool KeepFormVisible() const { return FKeepFormVisible; }
  void SetKeepFormVisible(bool Value) override { FKeepFormVisible = Value; }
  bool GetKeepFormVisible() override { return FKeepFormVisible; }
  bool ReadOnly() const { return FReadOnly; }
  bool GetReadOnly() override { return FReadOnly; }
  void SetReadOnly(bool Value) override { FReadOnly = Value; }
  TDropLayoutEh DropLayout() const { return FDropLayout; }
  // The area inside the border.
  TRect ControlClientRect() const;
  TDDFCloseButtonEh* CloseButton() const { return FCloseButton; }
  TDDFSizingBarEh* SizingBar() const { return FSizingBar; }
  TSizeGripEh* SizeGrip() const { return FSizeGrip; }
  TSizeGripEh* SizeGrip2() const { return FSizeGrip2; }

  virtual void DrawBorder(TCanvas* Canvas);
  void GetDynParams(TDynVarsEh*& DynParams) override { DynParams = FDynParams; }
  void SetDynParams(TDynVarsEh* DynParams) override { FDynParams = DynParams; }
  // Drops down under (or over) RelativePosControl and runs until the form
  // loses the activation or gets a modal result; True when that is mrOk.
  bool Execute(TControl* RelativePosControl, TControl* DownStateControl, TDynVarsEh* DynParams,
               TAlignment Align) override;
  // Drops down at RelativePosRect and returns at once; CallbackProc hears
  // the end.
  void ExecuteNomodal(TRect RelativePosRect, TControl* DownStateControl, TDropDownFormCallbackProcEh CallbackProc,
                      TDropDownFormSysParams* SysParams, TDynVarsEh* DynParams, TAlignment Align) override;
  void Close() override;
  virtual void InitElements();
  virtual void InitForm(TComponent* Host, TDynVarsEh* DynParams);
  virtual void ReturnParams(TComponent* Host, TDynVarsEh* DynParams);
  virtual void UpdateSize() {}
  // The class's shared instance, registered with
  // RegisterDropDownFormGlobalRefEh (nullptr: none).
  virtual TCustomDropDownFormEh* GetGlobalRef();

  // As a normal window or dialog: the drop-down mode goes off.
  void Show();
  TModalResult ShowModal() override;

  TInitDropDownFormEventEh OnInitForm;
  TPutBackFormParamsEventEh OnReturnParams;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateHandle() override;
  void Loaded() override;
  void PaintWindow(HDC DC) override;
  void AdjustClientRect(TRect& Rect) override;
  void DoClose(TCloseAction& Action) override;
  void Resize() override;
  void WMActivate(TMessage& Message) override;
  void WMClose(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;
  void WndProc(TMessage& Message) override;

private:
  void InitializeNewForm();
  // Places the form for an anchor in screen coordinates.
  TDropLayoutEh PlaceAt(const TRect& R, TAlignment Align);
  void UpdateGrips();
  void SetGripPositions(bool Above);

  Integer FBorderWidth = 3;
  TDropDownFormCallbackProcEh FCallbackProc;
  bool FDropDownMode = true;
  TDropDownFormElementsEh FFormElements = {ddfeLeftGripEh, ddfeRightGripEh, ddfeCloseButtonEh, ddfeSizingBarEh};
  bool FKeepFormVisible = false;
  bool FReadOnly = false;
  TSizeGripEh* FSizeGrip = nullptr;
  TSizeGripEh* FSizeGrip2 = nullptr;
  bool FActivateClosing = false;
  bool FActivateShowing = false;
  TDDFCloseButtonEh* FCloseButton = nullptr;
  TDropLayoutEh FDropLayout = dlUnderControlEh;
  TDynVarsEh* FDynParams = nullptr;
  TWinControl* FMasterFocusControl = nullptr;
  TCustomForm* FMasterForm = nullptr;
  bool FModalMode = false;
  TDDFSizingBarEh* FSizingBar = nullptr;
  TDropDownFormSysParams* FSysParams = nullptr;
  bool FClosing = false;
};

// Registers the drop-down form classes with the class registry.
void RegisterDropDownFormEhClasses();
