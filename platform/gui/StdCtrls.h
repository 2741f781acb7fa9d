// StdCtrls.h: the standard controls: label, edit, memo, button, check box,
// radio button, group box, combo box, list box and scroll bar.
#pragma once

#include "platform/gui/Controls.h"

#include <memory>

class TCustomCombo;

enum class TTextLayout { tlTop, tlCenter, tlBottom };
using enum TTextLayout;
enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
using enum TEditCharCase;
enum class TBorderStyle { bsNone, bsSingle };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
using enum TScrollStyle;
enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
using enum TCheckBoxState;
enum class TLeftRight { taLeftJustify, taRightJustify };
enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
using enum TComboBoxStyle;
enum class TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };
using enum TListBoxStyle;
enum class TScrollBarKind { sbHorizontal, sbVertical };
using enum TScrollBarKind;
enum class TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop,
                         scBottom, scEndScroll };
using enum TScrollCode;
enum class TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault,
                                 odHotLight, odInactive, odNoAccel, odNoFocusRect, odReserved1,
                                 odReserved2, odComboBoxEdit };
using enum TOwnerDrawStateItem;
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

using TDrawItemEvent = std::function<void(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State)>;
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos)>;

class TLabel : public TGraphicControl {
  VELMORA_CLASS(TLabel)
  using inherited = TGraphicControl;
public:
  explicit TLabel(TComponent* AOwner);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value) { FFocusControl = Value; }

protected:
  void Paint() override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void Loaded() override;
  void AdjustBounds();
  UINT DrawFlags() const;

private:
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FAutoSize = true;
  bool FWordWrap = false;
  bool FTransparent = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

// The edit family: single-line edit over QLineEdit; made with ES_MULTILINE
// in its CreateParams (and no PasswordChar) it is a plain-text window that
// wraps its text at its width unless ES_AUTOHSCROLL is asked too. Every
// change of its text reaches its parent as WM_COMMAND with EN_CHANGE, which
// the parent reflects to it as CN_COMMAND; OnChange runs from there.
class TCustomEdit : public TWinControl {
  VELMORA_CLASS(TCustomEdit)
  using inherited = TWinControl;
public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer Value);
  QChar PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(QChar Value);
  // Only digits can be typed (pasting is not checked, as the original).
  bool NumbersOnly() const { return FNumbersOnly; }
  void SetNumbersOnly(bool Value) { FNumbersOnly = Value; }
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  String TextHint() const { return FTextHint; }
  void SetTextHint(const String& Value);
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }

  Integer SelStart() const;
  void SetSelStart(Integer Value);
  Integer SelLength() const;
  void SetSelLength(Integer Value);
  String SelText() const;
  void SetSelText(const String& Value);
  void SelectAll();
  void Clear() { SetText(String()); }
  void ClearSelection() { SetSelText(String()); }
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Undo();

  TNotifyEvent OnChange;

  // Platform only: the widget's context menu, whose changing commands go
  // through the same gate as the keys. The caller owns the menu.
  class QMenu* CreateEditContextMenu();
  // The window was made with the multi-line style.
  bool MultiLine() const;

protected:
  virtual void Change();
  void Dispatch(TMessage& Message) override;
  // The parent's reflection of the edit's own notices.
  virtual void CNCommand(TMessage& Message);
  // Whether the text may change now; descendants ask their data (and may
  // start editing it). Asked before every change the user makes.
  virtual bool EditCanModify() { return true; }
  // Whether the text could ever change, asked without side effects: the
  // context menu offers its changing commands only then.
  virtual bool EditMayModify() { return !FReadOnly; }
  // The one gate of every change by the user: typing, Backspace, Delete,
  // cut, paste, clear, undo, input-method text, dropped text, the menu.
  bool CanModifyText() { return EditCanModify() && !FReadOnly; }
  TCaption GetText() const override;
  void SetTextValue(const TCaption& Value) override;
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitializeWidget() override;
  void DoEnter() override;
  void DefaultHandler(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void UpdateWidgetColor() override;
  // Platform only: the text widget and its change signal.
  virtual void WidgetTextChanged(const String& Text);
  // An edit that draws over its text window (placeholders, markers, its own
  // aligned text) gets WM_PAINT with a DC after the window has painted.
  void SetPaintsOverText(bool Value) { FPaintsOverText = Value; }
  // The text window's frame, its text kept left and its margins (the strips
  // beside the text that the edit's image and buttons stand in).
  void SetTextWindowLook(bool Frame, Integer MarginLeft, Integer MarginTop, Integer MarginRight,
                         Integer MarginBottom);
  // The caret in the edit's client coordinates.
  TRect CaretRect() const;
  // Platform only: input-method text, drops and the context menu reach the
  // widget beside the key messages; answers whether the event is taken.
  friend class TEditLineWidget;
  friend class TEditTextWidget;
  virtual bool WidgetInputEvent(class QEvent* Event);
  String ApplyCharCase(const String& Value) const;
  bool EditKeyCommand(Word Key);

  bool FPaintsOverText = false;
  bool FReadOnly = false;
  Integer FMaxLength = 0;
  QChar FPasswordChar;
  bool FNumbersOnly = false;
  TEditCharCase FCharCase = ecNormal;
  bool FAutoSelect = true;
  TAlignment FAlignment = taLeftJustify;
  TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
  String FTextHint;
  bool FModified = false;
  Integer FSelStart = 0;
  Integer FSelLength = 0;
  bool FReplaying = false;

private:
  // Tells the parent of a change of the text (EN_CHANGE).
  void NotifyTextChange();
};

class TEdit : public TCustomEdit {
  VELMORA_CLASS(TEdit)
public:
  using TCustomEdit::TCustomEdit;
};

class TMemo;

// The lines of a memo: a view of its text.
class TMemoStrings : public TStrings {
public:
  explicit TMemoStrings(TMemo* AMemo) : FMemo(AMemo) {}
  String Get(Integer Index) const override;
  Integer GetCount() const override;
  void Put(Integer Index, const String& S) override;
  void Insert(Integer Index, const String& S) override;
  void Delete(Integer Index) override;
  void Clear() override;
  String Text() const override;
  void SetText(const String& Value) override;
private:
  QStringList Lines() const;
  void SetLines(const QStringList& L);
  TMemo* FMemo;
};

class TMemo : public TCustomEdit {
  VELMORA_CLASS(TMemo)
  using inherited = TCustomEdit;
public:
  explicit TMemo(TComponent* AOwner);
  ~TMemo() override;
  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* Value) { FLines->Assign(Value); }
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { FWantReturns = Value; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);

protected:
  TCaption GetText() const override;
  void SetTextValue(const TCaption& Value) override;
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitializeWidget() override;
  void WMGetDlgCode(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

private:
  std::unique_ptr<TMemoStrings> FLines;
  bool FWantReturns = true;
  bool FWantTabs = false;
  bool FWordWrap = true;
  TScrollStyle FScrollBars = ssNone;
};

class TButtonControl : public TWinControl {
  VELMORA_CLASS(TButtonControl)
  using inherited = TWinControl;
public:
  explicit TButtonControl(TComponent* AOwner);
protected:
  // Qt reports a user's click: runs Click as the original's notification does.
  virtual void WidgetClicked();
  void CMTextChanged(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;
};

class TButton : public TButtonControl {
  VELMORA_CLASS(TButton)
  using inherited = TButtonControl;
public:
  explicit TButton(TComponent* AOwner);
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  // Sets the form's modal result, then runs OnClick.
  void Click() override;
protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitializeWidget() override;
  void WMGetDlgCode(TMessage& Message) override;
  void CMDialogKey(TMessage& Message) override;
  void CMFocusChanged(TMessage& Message) override;
private:
  bool FDefault = false;
  bool FCancel = false;
  bool FActive = false;
  TModalResult FModalResult = mrNone;
};

class TCheckBox : public TButtonControl {
  VELMORA_CLASS(TCheckBox)
  using inherited = TButtonControl;
public:
  explicit TCheckBox(TComponent* AOwner);
  // Setting the state in code does not run OnClick; a user's click does.
  bool Checked() const { return FState == cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState Value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value);
  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight Value) { FAlignment = Value; }
protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitializeWidget() override;
  void WidgetClicked() override;
private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
  TLeftRight FAlignment = TLeftRight::taRightJustify;
};

class TRadioButton : public TButtonControl {
  VELMORA_CLASS(TRadioButton)
  using inherited = TButtonControl;
public:
  explicit TRadioButton(TComponent* AOwner);
  bool Checked() const { return FChecked; }
  // Checking one clears the other radio buttons of the same parent.
  void SetChecked(bool Value);
  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight Value) { FAlignment = Value; }
protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitializeWidget() override;
  void WidgetClicked() override;
  void WMGetDlgCode(TMessage& Message) override;
private:
  bool FChecked = false;
  TLeftRight FAlignment = TLeftRight::taRightJustify;
};

class TCustomGroupBox : public TWinControl {
  VELMORA_CLASS(TCustomGroupBox)
  using inherited = TWinControl;
public:
  explicit TCustomGroupBox(TComponent* AOwner);
protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitializeWidget() override;
  void AdjustClientRect(TRect& Rect) override;
  void CMTextChanged(TMessage& Message) override;
};

class TGroupBox : public TCustomGroupBox {
  VELMORA_CLASS(TGroupBox)
public:
  using TCustomGroupBox::TCustomGroupBox;
};

class TComboBox : public TWinControl {
  VELMORA_CLASS(TComboBox)
  using inherited = TWinControl;
public:
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;

  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  TStrings* Items() const;
  void SetItems(TStrings* Value);
  // -1: nothing selected. Setting it in code runs no event.
  Integer ItemIndex() const { return FItemIndex; }
  void SetItemIndex(Integer Value);
  bool Sorted() const;
  void SetSorted(bool Value);
  Integer DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(Integer Value);
  Integer ItemHeight() const { return FItemHeight; }
  void SetItemHeight(Integer Value);
  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer Value) { FMaxLength = Value; }
  bool DroppedDown() const;
  void SetDroppedDown(bool Value);
  void Clear();
  void AddItem(const String& Item, TObject* AObject);
  TCanvas* Canvas() const;

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;

  // Platform only: draws item Index for the owner-drawn styles.
  void DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State, HDC DC);

protected:
  virtual void Change();
  virtual void Select();
  TCaption GetText() const override;
  void SetTextValue(const TCaption& Value) override;
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitializeWidget() override;
  void WMGetDlgCode(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void UpdateWidgetColor() override;
  void ItemsChanged();
  void UserSelected(Integer Index);

private:
  TComboBoxStyle FStyle = csDropDown;
  std::unique_ptr<TStringList> FItems;
  Integer FItemIndex = -1;
  Integer FDropDownCount = 8;
  Integer FItemHeight = 16;
  Integer FMaxLength = 0;
  bool FSyncing = false;
  std::unique_ptr<class TControlCanvas> FCanvas;
};

class TListBox : public TWinControl {
  VELMORA_CLASS(TListBox)
  using inherited = TWinControl;
public:
  explicit TListBox(TComponent* AOwner);
  ~TListBox() override;
  TStrings* Items() const;
  void SetItems(TStrings* Value);
  Integer ItemIndex() const { return FItemIndex; }
  void SetItemIndex(Integer Value);
  bool Sorted() const;
  void SetSorted(bool Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool Selected(Integer Index) const;
  void SetSelected(Integer Index, bool Value);
  Integer SelCount() const;
  Integer ItemHeight() const { return FItemHeight; }
  void SetItemHeight(Integer Value) { FItemHeight = Value; }
  Integer TopIndex() const;
  void SetTopIndex(Integer Value);
  Integer Count() const { return Items()->Count(); }
  void Clear();
  Integer ItemAtPos(TPoint Pos, bool Existing) const;
  TRect ItemRect(Integer Index) const;

protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitializeWidget() override;
  void WMGetDlgCode(TMessage& Message) override;
  void UpdateWidgetColor() override;
  void ItemsChanged();
  void SyncSelection();

private:
  std::unique_ptr<TStringList> FItems;
  std::vector<bool> FSelected;
  Integer FItemIndex = -1;
  bool FMultiSelect = false;
  Integer FItemHeight = 13;
  bool FSyncing = false;
};

class TScrollBar : public TWinControl {
  VELMORA_CLASS(TScrollBar)
  using inherited = TWinControl;
public:
  explicit TScrollBar(TComponent* AOwner);
  ~TScrollBar() override;
  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind Value);
  Integer Min() const { return FMin; }
  void SetMin(Integer Value) { SetParams(FPosition, Value, FMax); }
  Integer Max() const { return FMax; }
  void SetMax(Integer Value) { SetParams(FPosition, FMin, Value); }
  Integer Position() const { return FPosition; }
  void SetPosition(Integer Value) { SetParams(Value, FMin, FMax); }
  Integer PageSize() const { return FPageSize; }
  void SetPageSize(Integer Value);
  Integer SmallChange() const { return FSmallChange; }
  void SetSmallChange(Integer Value) { FSmallChange = Value; }
  Integer LargeChange() const { return FLargeChange; }
  void SetLargeChange(Integer Value) { FLargeChange = Value; }
  void SetParams(Integer APosition, Integer AMin, Integer AMax);

  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitializeWidget() override;
  virtual void Change();
  virtual void Scroll(TScrollCode ScrollCode, Integer& ScrollPos);
  void UserAction(int Action);

private:
  TScrollBarKind FKind = sbHorizontal;
  Integer FMin = 0;
  Integer FMax = 100;
  Integer FPosition = 0;
  Integer FPageSize = 0;
  Integer FSmallChange = 1;
  Integer FLargeChange = 1;
  bool FSyncing = false;
};

void RegisterStdCtrlsClasses();
