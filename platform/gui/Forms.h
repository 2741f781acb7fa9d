// Forms.h: forms, data modules, the application object and the screen.
#pragma once

#include "platform/gui/Controls.h"

#include <QStringList>

#include <functional>
#include <vector>

class TMainMenu;
class TCustomForm;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using enum TFormBorderStyle;
enum class TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using enum TBorderIcon;
using TBorderIcons = TSet<TBorderIcon>;
enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
                       poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
using enum TPosition;
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
using enum TFormStyle;
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
using enum TWindowState;
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using enum TCloseAction;
enum class TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using enum TFormStateItem;
using TFormState = TSet<TFormStateItem>;
enum class TDefaultMonitor { dmDesktop, dmPrimary, dmMainForm, dmActiveForm };
using enum TDefaultMonitor;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
  VELMORA_CLASS(TCustomForm)
  using inherited = TWinControl;
public:
  // A form of a class with a stored description reads it in
  // AfterConstruction (Application->CreateForm and CreateFormInstance call it).
  explicit TCustomForm(TComponent* AOwner);
  // A form without a description (CreateNew).
  TCustomForm(TComponent* AOwner, Integer Dummy);
  ~TCustomForm() override;
  // Reads the description of the form's classes, then runs OnCreate; a form
  // stored as visible is shown.
  virtual void AfterConstruction();

  void Show();
  void Hide() { SetVisible(false); }
  // Shows the form and runs a nested message loop until ModalResult is set
  // (or the application is told to terminate); answers the modal result.
  virtual TModalResult ShowModal();
  void Close();
  // Frees the form once the messages waiting now have been handled.
  void Release();
  bool CloseQuery();
  bool Active() const { return FActive; }
  TFormState FormState() const { return FFormState; }

  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState Value);
  // The bounds in the normal state: while the form is minimised or
  // maximised, those it takes again when restored.
  TRect NormalBounds() const;
  void SetNormalBounds(const TRect& Value);
  TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(TIcon* Value);
  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* Value);
  Integer PixelsPerInch() const { return ScreenPixelsPerInch; }
  void SetPixelsPerInch(Integer) {}
  bool Scaled() const { return false; }
  void SetScaled(bool) {}
  bool OldCreateOrder() const { return false; }
  void SetOldCreateOrder(bool) {}
  Integer TextHeight() const { return FTextHeight; }
  void SetTextHeight(Integer Value) { FTextHeight = Value; }
  TDefaultMonitor DefaultMonitor() const { return dmActiveForm; }
  void SetDefaultMonitor(TDefaultMonitor) {}

  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;
  bool Showing() const override;
  void SetFocus() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  QWidget* ClientWidget() const override;

  // Focus bookkeeping (called by the controls).
  bool SetFocusedControl(TWinControl* Control);
  void FocusControl(TWinControl* Control);
  void DefocusControl(TWinControl* Control, bool Removing);
  // Tells the active control of an active form that Sender was pressed.
  void SendCancelMode(TControl* Sender);
  // The application's active form changed to or from this one.
  void Activate();
  void Deactivate();

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitializeWidget() override;
  void UpdateWidgetColor() override;
  void ReadState(TReader& Reader) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  TComponent* GetChildOwner() override { return this; }
  void Loaded() override;
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  void PaintWindow(HDC DC) override;
  Integer FrameWidth() const;
  Integer FrameHeight() const;
  void PlaceOnFirstShow();
  void ApplyWindowFlags();

  void Dispatch(TMessage& Message) override;
  void CMDialogKey(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  virtual void WMClose(TMessage& Message);
  void WMSize(TMessage& Message) override;
  virtual void WMActivate(TMessage& Message);
  virtual void CMRelease(TMessage& Message);
  virtual void CMActivate(TMessage& Message);
  virtual void CMDeactivate(TMessage& Message);

  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusedControl = nullptr;
  TModalResult FModalResult = mrNone;
  bool FKeyPreview = false;
  bool FActive = false;
  bool FCreatedNew = false;
  bool FPlaced = false;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons = {biSystemMenu, biMinimize, biMaximize};
  TPosition FPosition = poDefaultPosOnly;
  TFormStyle FFormStyle = fsNormal;
  TWindowState FWindowState = wsNormal;
  TRect FNormalBounds;
  bool FHasNormalBounds = false;
  TFormState FFormState;
  std::unique_ptr<TIcon> FIcon;
  TMainMenu* FMenu = nullptr;
  Integer FTextHeight = 13;
  QWidget* FClientWidget = nullptr;
};

class TForm : public TCustomForm {
  VELMORA_CLASS(TForm)
  using inherited = TCustomForm;
public:
  using TCustomForm::TCustomForm;
};

// Creates a form or data module of class T owned by Owner and completes its
// construction (description, OnCreate).
template <class T>
T* CreateFormInstance(TComponent* Owner)
{
  T* Instance = new T(Owner);
  try {
    Instance->AfterConstruction();
  } catch (...) {
    delete Instance;
    throw;
  }
  return Instance;
}

class TDataModule : public TComponent {
  VELMORA_CLASS(TDataModule)
  using inherited = TComponent;
public:
  explicit TDataModule(TComponent* AOwner);
  TDataModule(TComponent* AOwner, Integer Dummy);
  ~TDataModule() override;
  virtual void AfterConstruction();
  // Design-time size and place, kept for the description.
  Integer DesignSize() const { return 0; }
  Integer Height() const { return FHeight; }
  void SetHeight(Integer Value) { FHeight = Value; }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value) { FWidth = Value; }
  bool OldCreateOrder() const { return false; }
  void SetOldCreateOrder(bool) {}

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;

protected:
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

private:
  bool FCreatedNew = false;
  Integer FHeight = 150;
  Integer FWidth = 215;
};

// The hint window: a borderless popup in the system hint colours that shows
// without taking the activation.
class THintWindow : public TCustomControl {
  VELMORA_CLASS(THintWindow)
  using inherited = TCustomControl;
public:
  explicit THintWindow(TComponent* AOwner);
  // Shows the hint at Rect (screen coordinates), kept on the work area.
  virtual void ActivateHint(TRect Rect, const String& AHint);
  // The same with the caller's data (a font, for the library's hints).
  virtual void ActivateHintData(TRect Rect, const String& AHint, void* AData);
  // The size the text needs, word-wrapped at MaxWidth, at (0, 0).
  virtual TRect CalcHintRect(Integer MaxWidth, const String& AHint, void* AData);
  // Hides the window and frees its handle.
  void ReleaseHandle();
  // Whether a message ends the hint (mouse buttons, keys, the wheel).
  virtual bool IsHintMsg(const TMessage& Message) const;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
};

class THintInfo;
using THintWindowClass = std::function<THintWindow*(TComponent* Owner)>;

template <class T>
THintWindowClass HintWindowClassOf()
{
  return [](TComponent* Owner) -> THintWindow* { return new T(Owner); };
}

// What a control is asked through CM_HINTSHOW (LParam points to it; a
// nonzero Result shows no hint) and what OnShowHint may change.
class THintInfo {
public:
  TControl* HintControl = nullptr;
  THintWindowClass HintWindowClass;
  TPoint HintPos;              // screen
  Integer HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TRect CursorRect;            // the control's client coordinates
  TPoint CursorPos;            // the control's client coordinates
  Integer ReshowTimeout = 0;
  Integer HideTimeout = 0;
  String HintStr;
  void* HintData = nullptr;
};

// Asked of the control under the mouse before the pause starts: LParam
// points to the pause in milliseconds, which the control may change.
constexpr UINT CM_HINTSHOWPAUSE = CM_BASE + 70;

using TShowHintEvent = std::function<void(String& HintStr, bool& CanShow, THintInfo& HintInfo)>;

// The text before "|" and after it.
String GetShortHint(const String& Hint);
String GetLongHint(const String& Hint);

using TExceptionEvent = std::function<void(TObject* Sender, Exception& E)>;

class TApplication : public TComponent {
  VELMORA_CLASS(TApplication)
  using inherited = TComponent;
public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  void Initialize();
  // Creates a form or data module owned by the application. The first form
  // whose creation completes becomes the main form.
  template <class T>
  void CreateForm(T*& Reference)
  {
    Reference = nullptr;
    T* Instance = new T(this);
    try {
      Instance->AfterConstruction();
    } catch (...) {
      delete Instance;
      throw;
    }
    Reference = Instance;
    FormCreated(Instance);
  }
  // Shows the main form and handles messages until the application is told
  // to terminate.
  void Run();
  // Ends Run and every modal loop running inside it.
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Handles the messages waiting now, without waiting for more.
  void ProcessMessages();
  // Waits for and handles the next messages (one pass of the loop).
  void HandleMessage();
  void HandleException(TObject* Sender);
  void ShowException(const Exception& E);
  Integer MessageBox(const String& Text, const String& Caption, UINT Flags = MB_OK);

  TCustomForm* MainForm() const { return FMainForm; }
  bool MainFormOnTaskBar() const { return FMainFormOnTaskBar; }
  void SetMainFormOnTaskBar(bool Value) { FMainFormOnTaskBar = Value; }
  bool ShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool Value) { FShowMainForm = Value; }
  String Title() const;
  void SetTitle(const String& Value) { FTitle = Value; }
  String ExeName() const;
  bool Active() const;
  Integer ModalLevel() const { return FModalLevel; }
  TCustomForm* ActiveForm() const { return FActiveForm; }
  void BringToFront();

  // Hints: shown after HintPause over a control whose ShowHint is on,
  // hidden after HintHidePause or when the mouse leaves its rectangle, a
  // key is pressed or a button goes down.
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  Integer HintPause() const { return FHintPause; }
  void SetHintPause(Integer Value) { FHintPause = std::max(0, Value); }
  Integer HintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(Integer Value) { FHintShortPause = std::max(0, Value); }
  Integer HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(Integer Value) { FHintHidePause = std::max(0, Value); }
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor Value) { FHintColor = Value; }
  void CancelHint();
  // Shows the hint of the control under CursorPos (screen) at once.
  void ActivateHint(TPoint CursorPos);
  // The mouse and key messages of every control pass here.
  void HintMouseMessage(TControl* Control, const TMessage& Message);
  // The window showing a hint now (nullptr: none).
  THintWindow* HintWindow() const { return FHintActive ? FHintWindow.get() : nullptr; }
  TShowHintEvent OnShowHint;

  TExceptionEvent OnException;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;

  // For the forms: activation bookkeeping and the modal depth.
  void FormActivated(TCustomForm* Form);
  void FormDeactivated(TCustomForm* Form);
  void FormDestroying(TCustomForm* Form);
  void ModalStarted() { ++FModalLevel; }
  void ModalFinished() { --FModalLevel; }
  // Tests only: frees every form and data module and clears the state, so
  // that the next test starts as a new program would.
  void ResetForTesting();

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void FormCreated(TComponent* Instance);
  void StartHintTimer(Integer Pause);
  void StopHintTimers();
  void HintTimerExpired();
  void SetMouseControl(TControl* Control);
  bool ShowsHint(TControl* Control) const;

  TCustomForm* FMainForm = nullptr;
  TCustomForm* FActiveForm = nullptr;
  bool FTerminated = false;
  bool FMainFormOnTaskBar = false;
  bool FShowMainForm = true;
  bool FHandlingException = false;
  Integer FModalLevel = 0;
  String FTitle;
  bool FShowHint = true;
  Integer FHintPause = 500;
  Integer FHintShortPause = 50;
  Integer FHintHidePause = 2500;
  TColor FHintColor = clInfoBk;
  TControl* FMouseControl = nullptr;
  TControl* FHintControl = nullptr;
  TRect FHintCursorRect;   // screen
  TPoint FCursorPos;       // screen, of the last mouse message
  bool FHintActive = false;
  std::unique_ptr<THintWindow> FHintWindow;
  UINT_PTR FHintTimer = 0;
  UINT_PTR FHideTimer = 0;
};

enum class TMonitorDefaultTo { mdNearest, mdNull, mdPrimary };
using enum TMonitorDefaultTo;

// One screen of the desktop: its place on the virtual desktop and the part
// of it that windows may use (without panels and docks).
class TMonitor {
public:
  Integer MonitorNum() const { return FMonitorNum; }
  bool Primary() const { return FPrimary; }
  TRect BoundsRect() const { return FBoundsRect; }
  TRect WorkareaRect() const { return FWorkareaRect; }
  Integer Left() const { return FBoundsRect.Left; }
  Integer Top() const { return FBoundsRect.Top; }
  Integer Width() const { return FBoundsRect.Width(); }
  Integer Height() const { return FBoundsRect.Height(); }

private:
  friend class TScreen;
  Integer FMonitorNum = 0;
  bool FPrimary = false;
  TRect FBoundsRect;
  TRect FWorkareaRect;
};

class TScreen : public TComponent {
  VELMORA_CLASS(TScreen)
  using inherited = TComponent;
public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  // Overrides every control's cursor while not crDefault.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // The cursor of each number: the crXXX shapes and those registered by the
  // program; a number not registered answers the default cursor's handle.
  HCURSOR Cursors(Integer Index) const;
  void SetCursors(Integer Index, HCURSOR Handle);
  Integer FormCount() const { return Integer(FForms.size()); }
  TCustomForm* Forms(Integer Index) const { return FForms.at(std::size_t(Index)); }
  Integer DataModuleCount() const { return Integer(FDataModules.size()); }
  TDataModule* DataModules(Integer Index) const { return FDataModules.at(std::size_t(Index)); }
  TCustomForm* ActiveForm() const;
  TWinControl* ActiveControl() const;
  Integer Width() const;
  Integer Height() const;
  Integer DesktopWidth() const { return Width(); }
  Integer DesktopHeight() const { return Height(); }
  TRect DesktopRect() const { return Rect(0, 0, Width(), Height()); }
  TRect WorkAreaRect() const;
  Integer WorkAreaWidth() const { return WorkAreaRect().Width(); }
  Integer WorkAreaHeight() const { return WorkAreaRect().Height(); }
  Integer PixelsPerInch() const { return ScreenPixelsPerInch; }
  QStringList Fonts() const;
  // The monitors as the window system reports them now; the objects stay
  // valid until the next call of these functions finds the screens changed.
  Integer MonitorCount() const;
  TMonitor* Monitors(Integer Index) const;
  // The monitor that holds the larger part of Rect; for a rectangle on no
  // monitor the nearest one (mdNearest), the primary one or nullptr.
  TMonitor* MonitorFromRect(const TRect& Rect, TMonitorDefaultTo Default = mdNearest) const;
  TMonitor* MonitorFromPoint(TPoint Point, TMonitorDefaultTo Default = mdNearest) const;

  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void AddDataModule(TDataModule* Module);
  void RemoveDataModule(TDataModule* Module);

private:
  std::vector<TCustomForm*> FForms;
  std::vector<TDataModule*> FDataModules;
  TCursor FCursor = crDefault;
  std::vector<std::pair<Integer, HCURSOR>> FCursors;
  mutable std::vector<std::unique_ptr<TMonitor>> FMonitors;
  void UpdateMonitors() const;
};

// Held while a modal window (a form's ShowModal, a message box, a dialog)
// runs: every other window of the application is disabled, so that a click
// on one only brings the modal window forward, and the modal window is a
// transient of the window that was active, so that the window manager keeps
// it above. Release (or the destructor) gives the windows back.
class TModalWindowGuard {
public:
  explicit TModalWindowGuard(QWidget* Modal);
  ~TModalWindowGuard() { Release(); }
  TModalWindowGuard(const TModalWindowGuard&) = delete;
  TModalWindowGuard& operator=(const TModalWindowGuard&) = delete;
  void Release();

private:
  QWidget* FModal;
  bool FHeld = true;
};

// Whether a running modal window disables this top-level window.
bool WindowDisabledByModal(const QWidget* Window);

extern TApplication* Application;

// A program's main: runs Main inside the toolkit's application object, made
// from the process's arguments, and returns Main's result.
int RunWithToolkit(int& Argc, char** Argv, const std::function<int()>& Main);
extern TScreen* Screen;

// Command-line parameters: ParamStr(0) is the program.
Integer ParamCount();
String ParamStr(Integer Index);

// Registers the form-description classes of this library.
void RegisterGuiClasses();
