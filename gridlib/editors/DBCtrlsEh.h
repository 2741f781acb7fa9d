// DBCtrlsEh.h: the data-aware editors: the field data link, the text editor
// base with its edit buttons, drop-down forms and MRU list, and the check box.
#pragma once

#include "gridlib/editors/DropDownFormEh.h"
#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/data/DB.h"
#include "platform/gui/Mask.h"
#include "platform/gui/StdCtrls.h"

#include <limits>
#include <vector>

#include <memory>

// ---------------------------------------------------------------------------
// Field data link

// Connects an editor to one field, to a semicolon list of fields
// (MultiFields), or, with neither data source nor field name, to a value of
// its own on which editing and posting are simulated. State changes reach
// the control through the four events.
class TFieldDataLinkEh : public TDataLink {
  VELMORA_CLASS(TFieldDataLinkEh)
  using inherited = TDataLink;
public:
  TFieldDataLinkEh();

  // Data-independent, or the link is active with a field bound.
  bool Active() const;
  bool DataSetActive() const;
  // A bound field that can be changed, or data-independent. The link's own
  // ReadOnly does not count here: editors apply their own flag.
  bool CanModify() const;
  TField* Field() const { return FFields.empty() ? nullptr : FFields.front(); }
  Integer FieldsCount() const { return Integer(FFields.size()); }
  TField* GetFieldsField(Integer Index) const;
  const TFieldsArrEh& Fields() const { return FFields; }
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  TComponent* Control() const { return FControl; }
  void SetControl(TComponent* Value) { FControl = Value; }
  bool MultiFields() const { return FMultiFields; }
  void SetMultiFields(bool Value);
  bool DataIndepended() const { return FDataIndepended; }
  bool Editing() const { return FEditing; }
  bool IsModified() const { return FModified; }
  TDataSource* DataSource() const { return inherited::DataSource(); }
  void SetDataSource(TDataSource* Value);

  // Starts editing; answers whether the link edits afterwards.
  bool Edit();
  void Modified() { FModified = true; }
  void SetModified(bool Value) { FModified = Value; }
  // Shows the data again, dropping what was typed.
  void Reset() { RecordChanged(nullptr); }
  void SetText(const String& Text);
  void SetValue(const Variant& Value);

  Variant DataIndependentValue;
  TNotifyEvent OnDataChange;
  TNotifyEvent OnEditingChange;
  TNotifyEvent OnUpdateData;
  TNotifyEvent OnActiveChange;

  // The platform's notifications, public so that owners and tests can drive
  // a reload or a post as the dataset would.
  void ActiveChanged() override;
  void DataEvent(TDataEvent Event, NativeInt Info) override;
  void EditingChanged() override;
  void FocusControl(TField*& Field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  void UpdateData() override;

protected:
  virtual void UpdateFields();
  virtual bool IsDataIndepended() const;

private:
  void UpdateDataIndepended();
  bool IsBoundField(const TField* Field) const;

  TFieldsArrEh FFields;
  String FFieldName;
  TComponent* FControl = nullptr;
  bool FMultiFields = false;
  bool FDataIndepended = true;
  bool FEditing = false;
  bool FModified = false;
};

// ---------------------------------------------------------------------------
// Edit-buttons box and control label

class TShape;

// One button of a buttons box: its control and the thin line after it.
struct TEditButtonControlLineRec {
  TShape* ButtonLine = nullptr;
  TEditButtonControlEh* EditButtonControl = nullptr;
  TEditButtonEh* EditButton = nullptr;
};
using TEditButtonControlList = std::vector<TEditButtonControlLineRec>;

// The child of an editor that shows its edit buttons side by side. The owner
// makes the button controls (OnCreateEditButtonControl), names the button of
// each entry and receives the controls' mouse events.
class TEditButtonsBoxEh : public TWinControl {
  VELMORA_CLASS(TEditButtonsBoxEh)
  using inherited = TWinControl;
public:
  explicit TEditButtonsBoxEh(TComponent* AOwner);
  ~TEditButtonsBoxEh() override;

  void BeginLayout() { ++FLayoutCount; }
  void EndLayout();
  const TEditButtonControlList& BtnCtlList() const { return FBtnCtlList; }
  // The owner fills in the button shown by an entry.
  void SetEditButton(Integer Index, TEditButtonEh* Button) { FBtnCtlList.at(std::size_t(Index)).EditButton = Button; }
  Integer ButtonsCount() const { return Integer(FBtnCtlList.size()); }
  void SetButtonsCount(Integer Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value) { FFlat = Value; }
  Integer ButtonsWidth() const { return FButtonsWidth; }
  // The largest Integer while no button is visible.
  Integer ButtonHeight() const { return FButtonHeight; }
  Integer MaxButtonHeight() const { return FMaxButtonHeight; }
  void SetMaxButtonHeight(Integer Value) { FMaxButtonHeight = Value; }
  bool BorderActive() const { return FBorderActive; }
  void SetBorderActive(bool Value);

  virtual void UpdateEditButtonControlList();
  virtual void UpdateEditButtonControlsState();

  TButtonDownEventEh OnDown;
  TNotifyEvent OnClick;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  // Must be set before the first button is added.
  TCreateEditButtonControlEvent OnCreateEditButtonControl;

protected:
  virtual void LayoutChanged();
  void WndProc(TMessage& Message) override;

private:
  void FreeEntry(TEditButtonControlLineRec& Entry);

  Integer FLayoutCount = 0;
  TEditButtonControlList FBtnCtlList;
  bool FFlat = false;
  Integer FButtonsWidth = 0;
  Integer FButtonHeight = std::numeric_limits<Integer>::max();
  Integer FMaxButtonHeight = 0;
  bool FBorderActive = false;
};

// The width an editor's button takes in the flat look when its own width is
// 0: the library's default, taken when the editors start.
Integer EditorsFlatButtonWidthEh();

// What a control that carries a caption label tells it.
class IControlLabelOwnerEh {
public:
  virtual ~IControlLabelOwnerEh() = default;
  // The caption shown while none is set.
  virtual String GetControlLabelCaption() = 0;
  // The offset of the control's text line from its top.
  virtual Integer GetControlTextBaseLine() = 0;
  // The owner places its label.
  virtual void AdjustLabelBounds() = 0;
  virtual void ControlLabelLocationChanged() = 0;
};

enum TLabelPositionEh { lpAboveLeftEh, lpAboveCenterEh, lpAboveRightEh, lpBelowLeftEh, lpBelowCenterEh,
                        lpBelowRightEh, lpLeftTopEh, lpLeftTextBaselineEh, lpLeftCenterEh, lpLeftBottomEh,
                        lpRightTopEh, lpRightTextBaselineEh, lpRightCenterEh, lpRightBottomEh };
enum TSpacingBoundEh { sbNearBoundEh, sbFarBoundEh };

// Where a control's label stands: one of fourteen places around the control.
class TControlLabelLocationEh : public TPersistent {
  VELMORA_CLASS(TControlLabelLocationEh)
  using inherited = TPersistent;
public:
  explicit TControlLabelLocationEh(TControl* EditControl) : FEditControl(EditControl) {}
  void Assign(TPersistent* Source) override;

  Integer Spacing() const { return FSpacing; }
  void SetSpacing(Integer Value);
  Integer Offset() const { return FOffset; }
  void SetOffset(Integer Value);
  TLabelPositionEh Position() const { return FPosition; }
  void SetPosition(TLabelPositionEh Value);
  TSpacingBoundEh LabelSpacingBound() const { return FLabelSpacingBound; }
  void SetLabelSpacingBound(TSpacingBoundEh Value);
  TControl* EditControl() const { return FEditControl; }

  // The label's top-left corner in the control's parent.
  void CalcLabelPosForControl(Integer LabelWidth, Integer LabelHeight, TPoint& LabelPos) const;

private:
  void Changed();

  Integer FSpacing = 3;
  Integer FOffset = 0;
  TLabelPositionEh FPosition = lpAboveLeftEh;
  TControl* FEditControl = nullptr;
  TSpacingBoundEh FLabelSpacingBound = sbNearBoundEh;
};

// The caption label of an editor: it stands in the editor's parent, follows
// the editor's visibility and shows the field's name unless given a caption.
class TControlLabelEh : public TLabel {
  VELMORA_CLASS(TControlLabelEh)
  using inherited = TLabel;
public:
  explicit TControlLabelEh(TComponent* AOwner);

  // The label's own switch; it shows only while its control is visible too.
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  String Caption() const { return inherited::Caption(); }
  void SetCaption(const String& Value);
  bool CaptionStored() const { return FCaptionStored; }
  bool SizeStored() const { return FVisible; }
  void SetWidth(Integer Value) { SetBounds(Left(), Top(), Value, Height()); }
  void SetHeight(Integer Value) { SetBounds(Left(), Top(), Width(), Value); }

  virtual void UpdateVisibility();
  virtual void UpdateCaption();
  void UpdateParent();

protected:
  void Loaded() override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  // After the label sized itself its control places it.
  void AdjustLabelBounds();

private:
  IControlLabelOwnerEh* LabelOwner() const;

  bool FCaptionStored = false;
  bool FVisible = false;
};

// Registers the buttons box, the label and its location with the class
// registry.
void RegisterDBCtrlsEhBoxClasses();

// ---------------------------------------------------------------------------
// Data-aware editor base

class TCustomDBEditEh;
class TControlLabelEh;
class TControlLabelLocationEh;
class TEditButtonsBoxEh;
class TMRUListboxEh;

// A grid that uses an editor as its cell editor: it sees every message, key
// and key press first and decides whether the cell may change.
class IInplaceEditHolderEh {
public:
  virtual ~IInplaceEditHolderEh() = default;
  virtual bool InplaceEditCanModify(TControl* Control) = 0;
  // Screen position and message time of the press that activated the
  // editor; the time is given once.
  virtual void GetMouseDownInfo(TPoint& Pos, LongInt& Time) = 0;
  // A non-zero Result ends the editor's own handling.
  virtual void InplaceEditWndProc(TControl* Control, TMessage& Message) = 0;
  virtual void InplaceEditKeyDown(TControl* Control, Word& Key, TShiftState Shift) = 0;
  virtual void InplaceEditKeyPress(TControl* Control, QChar& Key) = 0;
  virtual void InplaceEditKeyUp(TControl* Control, Word& Key, TShiftState Shift) = 0;
  virtual void InternalSetFocus(TControl* Control) = 0;
};

// What a holder may set on an editor it uses in place.
class IInplaceEditEh {
public:
  virtual ~IInplaceEditEh() = default;
  virtual TFont* GetFont() = 0;
  virtual void SetInplaceEditHolder(TWinControl* AInplaceEditHolder) = 0;
  virtual void SetBorderStyle(TBorderStyle Value) = 0;
  virtual void SetFont(TFont* Value) = 0;
  virtual void SetColor(TColor Value) = 0;
  virtual void SetOnKeyPress(TKeyPressEvent Value) = 0;
  virtual void SetOnExit(TNotifyEvent Value) = 0;
};

// Editors with a drop-down that others may close.
class IComboEditEh {
public:
  virtual ~IComboEditEh() = default;
  virtual void CloseUp(bool Accept) = 0;
};

enum TDBEditEhValue { evAlignmentEh, evEditMaskEh };
using TDBEditEhValues = TSet<TDBEditEhValue>;

using TOnCheckDrawRequiredStateEventEh = std::function<void(TObject* Sender, bool& DrawState)>;
using TGetImageIndexEventEh = std::function<void(TObject* Sender, Integer& ImageIndex)>;
using TEditControlShowDropDownFormEventEh = std::function<void(TControl* EditControl, TEditButtonEh* Button,
                                                                TCustomForm*& DropDownForm, TDynVarsEh* DynParams)>;
using TEditControlCloseDropDownFormEventEh =
  std::function<void(TControl* EditControl, TEditButtonEh* Button, bool Accept, TCustomForm* DropDownForm,
                     TDynVarsEh* DynParams)>;

// The private message on which an editor recreates its window (wParam: the
// edit image that changed).
constexpr UINT CM_EDITIMAGECHANGEDEH = WM_USER + 101;

// The image shown at the left of an editor.
class TEditImageEh : public TPersistent {
  VELMORA_CLASS(TEditImageEh)
  using inherited = TPersistent;
public:
  explicit TEditImageEh(TWinControl* EditControl);
  ~TEditImageEh() override;
  void Assign(TPersistent* Source) override;

  // The index shown; setting it also keeps it as the one given, which the
  // editor shows while its value picks none.
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  Integer AssignedImageIndex() const { return FAssignedImageIndex; }
  // The index the editor picked, leaving the given one.
  void SetShownImageIndex(Integer Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  bool UseImageHeight() const { return FUseImageHeight; }
  void SetUseImageHeight(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);

  bool Showing() const;
  // The width the editor reserves: 0 when nothing shows.
  Integer DrawWidth() const;

private:
  void Changed();
  TWinControl* FEditControl;
  Integer FImageIndex = -1;
  Integer FAssignedImageIndex = -1;
  TCustomImageList* FImages = nullptr;
  bool FUseImageHeight = true;
  bool FVisible = false;
  Integer FWidth = 0;
};

// The placeholder text painted into an empty control.
class TCustomControlEmptyDataInfoEh : public TPersistent {
  VELMORA_CLASS(TCustomControlEmptyDataInfoEh)
  using inherited = TPersistent;
public:
  explicit TCustomControlEmptyDataInfoEh(TWinControl* Control);
  ~TCustomControlEmptyDataInfoEh() override;

  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  bool AlignmentIsStored() const { return FAlignmentIsStored; }
  void SetAlignmentIsStored(bool Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  const String& Text() const { return FText; }
  void SetText(const String& Value);

  virtual void PaintEmptyDataInfo() {}
  // Takes size, name and character set of the control's font.
  void RefreshDefaultFont();
  bool Showing();
  // Completes the construction with the descendant's defaults.
  void InitDefaults();

protected:
  virtual TAlignment DefaultAlignment() { return taLeftJustify; }
  virtual TFont* DefaultFont() { return nullptr; }
  virtual TColor DefaultColor() { return clWindow; }
  virtual bool ControlIsEmpty() { return false; }
  virtual TColor ActualColor();
  void Invalidate();

  TWinControl* FControl;

private:
  void FontChanged(TObject* Sender);
  TAlignment FAlignment = taLeftJustify;
  bool FAlignmentIsStored = false;
  TColor FColor = clDefault;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  bool FUpdatingFont = false;
  String FText;
};

class TControlEmptyDataInfoEh : public TCustomControlEmptyDataInfoEh {
  VELMORA_CLASS(TControlEmptyDataInfoEh)
  using inherited = TCustomControlEmptyDataInfoEh;
public:
  explicit TControlEmptyDataInfoEh(TCustomDBEditEh* Control);
  TCustomDBEditEh* EditControl() const;
  void PaintEmptyDataInfo() override;

protected:
  TAlignment DefaultAlignment() override;
  TFont* DefaultFont() override;
  bool ControlIsEmpty() override;
};

// The hint window that shows an editor's whole text in the editor's font.
class TToolTipsWindow : public THintWindow {
  VELMORA_CLASS(TToolTipsWindow)
  using inherited = THintWindow;
public:
  using THintWindow::THintWindow;
  TRect CalcHintRect(Integer MaxWidth, const String& AHint, void* AData) override;
};

// The base of the library's text-like data-aware editors: a masked edit box
// over one field (or a value of its own), with edit buttons, an image, a
// label, a placeholder, and an in-place mode for grids.
class TCustomDBEditEh : public TCustomMaskEdit, public IInplaceEditEh, public IComboEditEh, public IControlLabelOwnerEh {
  friend class TControlEmptyDataInfoEh;
  friend void DBEditEhDefaultButtonAction(TCustomDBEditEh* EditControl, TEditButtonEh* EditButton,
                                          TEditButtonControlEh* EditButtonControl, bool& Handled, bool IsDown);
  VELMORA_CLASS(TCustomDBEditEh)
  using inherited = TCustomMaskEdit;
public:
  explicit TCustomDBEditEh(TComponent* AOwner);
  ~TCustomDBEditEh() override;

  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  bool AlignmentStored() const { return FAssignedValues.Contains(evAlignmentEh); }
  bool TextStored() const { return DataIndepended() && !Text().isEmpty(); }
  bool AlwaysShowBorder() const { return FAlwaysShowBorder; }
  void SetAlwaysShowBorder(bool Value);
  TControlLabelEh* ControlLabel() const { return FControlLabel; }
  TControlLabelLocationEh* ControlLabelLocation() const { return FControlLabelLocation; }
  String DataField() const { return GetDataField(); }
  void SetDataField(const String& Value) { SetDataFieldValue(Value); }
  TDataSource* DataSource() const { return GetDataSource(); }
  void SetDataSource(TDataSource* Value) { SetDataSourceValue(Value); }
  String DisplayTextForPaintCopy() const { return GetDisplayTextForPaintCopy(); }
  TDynVarsEh* DynProps() const { return FDynProps.get(); }
  void SetDynProps(TDynVarsEh* Value);
  String EditMask() const { return inherited::EditMask(); }
  void SetEditMask(const String& Value);
  bool EditMaskStored() const { return FAssignedValues.Contains(evEditMaskEh); }
  TControlEmptyDataInfoEh* EmptyDataInfo() const { return FEmptyDataInfo.get(); }
  void SetEmptyDataInfo(TControlEmptyDataInfoEh* Value);
  TField* Field() const { return FDataLink->Field(); }
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool Tooltips() const { return FTooltips; }
  void SetTooltips(bool Value);
  Variant Value() const { return GetVariantValue(); }
  void SetValue(const Variant& Value) { SetVariantValue(Value); }
  bool Visible() const;
  void SetVisible(bool Value);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { FWantReturns = Value; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool HighlightRequired() const { return FHighlightRequired; }
  void SetHighlightRequired(bool Value);
  TCustomImageList* Images() const;
  void SetImages(TCustomImageList* Value);
  TEditImageEh* EditImage() const { return FEditImage.get(); }
  void SetPasswordChar(QChar Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  TFieldDataLinkEh* DataLink() const { return FDataLink.get(); }
  bool InplaceMode() const { return FInplaceMode; }
  TWinControl* InplaceEditHolder() const { return FInplaceEditHolder; }
  bool IsFocused() const { return FFocused; }
  bool BorderActive() const { return FBorderActive; }

  void SetText(const String& Value);
  void UpdateData();
  void Reset();
  void Clear();
  void Undo();
  void Deselect();
  virtual bool IsEmpty();
  String GetCompleteKeyPress() const { return FCompleteKeyPress; }
  TControlCanvas* GetCanvas();
  void SetEditReadOnly(bool Value) { inherited::SetReadOnly(Value); }
  bool UseRightToLeftAlignment() const;

  // IInplaceEditEh and the in-place operations.
  TFont* GetFont() override { return Font(); }
  void SetInplaceEditHolder(TWinControl* AInplaceEditHolder) override;
  void SetBorderStyle(TBorderStyle Value) override { TCustomEdit::SetBorderStyle(Value); }
  void SetFont(TFont* Value) override { TControl::SetFont(Value); }
  void SetColor(TColor Value) override { TControl::SetColor(Value); }
  void SetOnKeyPress(TKeyPressEvent Value) override { OnKeyPress = std::move(Value); }
  void SetOnExit(TNotifyEvent Value) override { OnExit = std::move(Value); }
  void Move(const TRect& Rect);
  void UpdateLoc(const TRect& Rect);
  void Hide();
  void SetFocus() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void SetParent(TWinControl* AParent) override;

  // IComboEditEh: closes the editor's own drop-down.
  void CloseUp(bool Accept) override;
  // The close call-back of the editor's drop-down forms.
  void EditButtonDropDownFormCallback(TCustomForm* DropDownForm, bool Accept, TDynVarsEh* DynParams,
                                      TDropDownFormSysParams* SysParams);

  TEditControlCloseDropDownFormEventEh OnCloseDropDownForm;
  TGetFieldDataEventEh OnGetFieldData;
  TEditControlShowDropDownFormEventEh OnOpenDropDownForm;
  TUpdateDataEventEh OnUpdateData;
  TOnCheckDrawRequiredStateEventEh OnCheckDrawRequiredState;
  TGetImageIndexEventEh OnGetImageIndex;

protected:
  // Introduced virtual operations, in the order descendants know them.
  virtual bool CanDropDown();
  virtual TFieldDataLinkEh* CreateDataLink();
  virtual TEditImageEh* CreateEditImage();
  virtual bool DataIndepended() const { return FDataLink->DataIndepended(); }
  virtual TAlignment DefaultAlignment() const;
  virtual String DefaultEditMask() const;
  virtual Integer DefaultImageIndex() { return FEditImage ? FEditImage->AssignedImageIndex() : -1; }
  virtual String PreparePasteText(const String& Text);
  String GetControlLabelCaption() override;
  Integer GetControlTextBaseLine() override;
  virtual String GetDataField() const { return FDataLink->FieldName(); }
  virtual TDataSource* GetDataSource() const { return FDataLink->DataSource(); }
  virtual String GetDisplayTextForPaintCopy() const;
  virtual TColor GetPaintBackgroundColor();
  virtual TColor GetPaintFontColor();
  virtual Variant GetVariantValue() const;
  virtual bool IsValidChar(QChar Key);
  virtual void ActiveChanged();
  virtual void AdjustHeight();
  void AdjustLabelBounds() override;
  virtual void CalcEditRect(TRect& Rect);
  virtual void DataChanged();
  virtual void EditingChanged() { UpdateEditReadOnly(); }
  virtual void InternalSetText(const String& AText);
  virtual void InternalSetValue(const Variant& AValue);
  virtual void InternalUpdateData();
  void ControlLabelLocationChanged() override;
  virtual void DrawRequiredState(TCanvas* ACanvas);
  virtual void ResetMaxLength();
  virtual void SetDataFieldValue(const String& Value);
  virtual void SetDataSourceValue(TDataSource* Value);
  virtual void SetFocused(bool Value);
  virtual void SetVariantValue(const Variant& AValue);
  virtual void UpdateEditReadOnly();
  virtual void UpdateHeight();
  virtual void UpdateShowHint();
  virtual void UpdateImageIndex();

  // Runs OnUpdateData; answers its Handled.
  bool DoUpdateData();
  bool EditCanModify() override;
  void Change() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(QChar& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void CMEnter(TMessage& Message) override;
  void CMExit(TMessage& Message) override;
  void CMWantSpecialKey(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;
  void WMPaste(TMessage& Message) override;
  void WMCut(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void WMLButtonDown(TMessage& Message) override;
  void InitializeWidget() override;
  // Paints what the edit window does not: the image, the marker, the
  // placeholder, or the whole text while the window would show it wrongly.
  void PaintWindow(HDC DC) override;
  // Whether the edit window paints the text itself now.
  bool EditPaintsText();
  void PaintOwnText(TCanvas* Canvas);
  void UpdateEditRect();
  void UpdateBorderState();
  TRect GetEditButtonsRect();
  TRect GetImageRect();
  Integer ButtonsWidth();
  TPoint GetTextMargins();
  TRect TextRect();
  bool TextTruncated();
  void CMHintShow(TMessage& Message);
  void CMVisibleChanged(TMessage& Message) override;
  // The widget's part inside the border.
  TRect EditClientRect();
  Integer FontHeight();
  void PaintFlatBorder(TCanvas* Canvas);
  void PaintEmptyDataInfo(TCustomControlEmptyDataInfoEh* Info);

  // ---------------------------------------------------------------------
  // Edit buttons, drop-down and MRU list
  virtual TEditButtonEh* CreateEditButton();
  // Made again through CreateEditButton: a derived editor's constructor
  // calls it, as the base's constructor could only make the base's kind.
  void RemakeEditButton();
  virtual TEditButtonsEh* CreateEditButtons();
  virtual TMRUListboxEh* CreateMRUListControl();
  virtual bool GetEditButtonDefaultAction(TEditButtonEh* EditButton);
  // Opens the form the button's call parameters name, through the launcher;
  // Handled when one opened or the press closed this button's form.
  virtual void DoOpenDropDownForm(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl, bool& Handled);
  // The open-form procedure of the default action: the form follows the
  // editor's read-only state, then OnOpenDropDownForm may change it.
  virtual void DoOpenDropDownForm(TControl* EditControl, TEditButtonEh* Button, TCustomForm*& DropDownForm,
                                  TDynVarsEh* DynParams);
  virtual void CreateEditButtonControl(TEditButtonControlEh*& Control);
  virtual void EditButtonDropDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl);
  virtual void EditButtonClick(TObject* Sender);
  virtual void DefaultEditButtonClick(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                      bool& Handled);
  virtual void EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
  virtual void DefaultEditButtonDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                     bool TopButton, bool& AutoRepeat, bool& Handled);
  virtual void EditButtonMouseMove(TObject*, TShiftState, Integer, Integer) {}
  virtual void EditButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void FilterMRUItem(const String& AText, bool& Accept);
  virtual TCustomForm* GetDefaultDropDownForm(bool& FreeFormOnClose);
  virtual Variant GetValueForDropDownForm();
  virtual void MRUListFillAutogenItems(TMRUListEh* Sender, TStrings* AutogenItems);
  virtual void ResetDroppedDownState();
  virtual void SetDroppedDownState(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl);
  virtual void SetValueFromDropDownForm(const Variant& AValue) { SetVariantValue(AValue); }
  virtual void CheckMRUListDropDown();
  // The edit buttons' enabled and pressed look follows the editor.
  void UpdateEditButtonControlsState();
  // The key of a button's short cut presses the button.
  virtual void ClickEditButtonByKey(TEditButtonEh* EditButton);
  // Keys while the MRU list is dropped down; answers whether it took one.
  bool MRUListKeyDown(TMessage& Message);
  TEditButtonEh* EditButton() const { return FEditButton.get(); }
  void SetEditButton(TEditButtonEh* Value);
  TEditButtonsEh* EditButtons() const { return FEditButtons.get(); }
  void SetEditButtons(TEditButtonsEh* Value);
  TMRUListEh* MRUList() const { return FMRUList.get(); }
  void SetMRUList(TMRUListEh* Value);
  TButtonClickEventEh OnButtonClick;
  TButtonDownEventEh OnButtonDown;
public:
  // Lays the buttons out in the buttons box (made on first need) and shows
  // or hides the box.
  void UpdateEditButtons();
  // Hooks the buttons' change events; the constructor runs it.
  void InitEditButtons();
  TEditButtonsBoxEh* ButtonsBox() const { return FButtonsBox; }
  TMRUListboxEh* MRUListControl() const { return FMRUListControl; }
  bool DroppedDown() const { return FDroppedDown; }
  TEditButtonControlEh* GetEditButtonControlByEditButton(TEditButtonEh* EditButton) const;
  TEditButtonEh* GetFirstDefaultActionEditButton() const;
protected:
  void MRUListDropDown();
  void MRUListCloseUp(bool Accept);
  // ---------------------------------------------------------------------

  bool FAlwaysShowBorder = false;
  bool FAutoSize = true;
  TDBEditEhValues FAssignedValues;
  std::unique_ptr<TControlCanvas> FCanvas;
  String FCompleteKeyPress;
  TControlLabelEh* FControlLabel = nullptr;
  TControlLabelLocationEh* FControlLabelLocation = nullptr;
  std::unique_ptr<TDynVarsEh> FDynProps;
  std::unique_ptr<TEditButtonEh> FEditButton;
  std::unique_ptr<TEditButtonsEh> FEditButtons;
  std::unique_ptr<TEditImageEh> FEditImage;
  std::unique_ptr<TControlEmptyDataInfoEh> FEmptyDataInfo;
  bool FFlat = false;
  bool FHighlightRequired = false;
  std::unique_ptr<TMRUListEh> FMRUList;
  TMRUListboxEh* FMRUListControl = nullptr;
  bool FReadOnly = false;
  bool FShowHint = false;
  bool FTooltips = false;
  bool FWantReturns = false;
  bool FWantTabs = false;
  bool FWordWrap = false;
  TAlignment FAlignment = taLeftJustify;
  bool FBorderActive = false;
  Integer FButtonHeight = 0;
  TEditButtonsBoxEh* FButtonsBox = nullptr;
  std::unique_ptr<TFieldDataLinkEh> FDataLink;
  bool FDataPosting = false;
  Integer FDownButton = 0;
  bool FDroppedDown = false;
  TEditButtonEh* FDroppedDownButton = nullptr;
  TEditButtonControlEh* FDroppedDownButtonControl = nullptr;
  bool FFocused = false;
  Integer FImageWidth = 0;
  TWinControl* FInplaceEditHolder = nullptr;
  bool FInplaceMode = false;
  IInplaceEditHolderEh* FIntfInplaceEditHolder = nullptr;
  TDataSource* FInternalDataSourceRef = nullptr;
  bool FInternalTextSetting = false;
  bool FMouseAboveControl = false;
  bool FNoClickCloseUp = false;
  bool FPressed = false;
  TRect FPressedRect;
  bool FUserTextChanged = false;

private:
  void DataLinkDataChange(TObject* Sender);
  void UpdateDataFromLink(TObject* Sender);
  void InplaceWndProc(TMessage& Message);
  TEditButtonEh* EditButtonByShortCut(TShortCut Value) const;
  void CheckCaret();
  void PlaceInplace(const TRect& Rect, bool Moving);
  void SetTextFromLink(const String& Value);
  void WriteFromCode(const std::function<void()>& Put);
  // Makes the buttons box, hidden, wired to the editor's button handlers.
  void CreateButtonsBox();
  bool FInplaceHiding = false;
};

// The plain data-aware editor: publishes the base's properties.
class TDBEditEh : public TCustomDBEditEh {
  VELMORA_CLASS(TDBEditEh)
  using inherited = TCustomDBEditEh;
public:
  using TCustomDBEditEh::TCustomDBEditEh;
  using TCustomDBEditEh::EditButtons;
  using TCustomDBEditEh::SetEditButtons;
  using TCustomDBEditEh::MRUList;
  using TCustomDBEditEh::EditButton;
  using TCustomDBEditEh::SetEditButton;
  using TCustomDBEditEh::SetMRUList;
  using TCustomDBEditEh::OnButtonClick;
  using TCustomDBEditEh::OnButtonDown;
};

// Registers the editors, their buttons, the check box and the memo window
// (with what they stand on) for form descriptions; the client does so at
// start.
void RegisterDBCtrlsEhClasses();

// The popup window of the class the library manager names (a form description
// may name any), or the library's own when that class is missing or does not
// speak the popup's interface.
template <class IPopup, class TDefaultPopup>
TWinControl* CreatePopupOfClassEh(TClass Class, TComponent* Owner)
{
  TComponent* Made = Class && Class->CreateComponent ? Class->CreateComponent(Owner) : nullptr;
  if (Made && !dynamic_cast<IPopup*>(Made)) {
    delete Made;
    Made = nullptr;
  }
  if (auto* Popup = dynamic_cast<TWinControl*>(Made))
    return Popup;
  return new TDefaultPopup(Owner);
}

// The text of a value: empty for an array and when the conversion fails.
String VarToStrSafeEh(const Variant& Value);

// ---------------------------------------------------------------------------
// Drop-down form launcher

// Opens the drop-down form that EditButton's call parameters name under
// EditControl, with the values they ask for; CallbackProc hears its close.
// Handled becomes True when a form opened, or when the press is the one
// that has just closed this button's form.
void OpenEditButtonDropDownFormEh(TWinControl* EditControl, TFieldDataLinkEh* DataLink, TField* Field,
                                  const Variant& Value, TEditButtonEh* EditButton,
                                  TEditButtonControlEh* ButtonControl,
                                  const TEditControlShowDropDownFormEventEh& OnOpenDropDownForm,
                                  const TDropDownFormCallbackProcEh& CallbackProc, bool& Handled);
// Writes an accepted form's values back, keeps the form's size for next
// time, tells OnCloseDropDownForm and marks the close for the re-open
// guard; an error is shown, not raised. Frees DynParams and SysParams.
void CloseEditButtonDropDownFormEh(TWinControl* EditControl, TFieldDataLinkEh* DataLink, TCustomForm* DropDownForm,
                                   const TEditControlCloseDropDownFormEventEh& OnCloseDropDownForm,
                                   const TSetVarValueProcEh& SetValueProc, TDropDownFormSysParams* SysParams,
                                   TDynVarsEh* DynParams, bool Accept);

// ---------------------------------------------------------------------------
// Check box editor

// A data-aware check box with three states. A Boolean field is read and
// written as Boolean; any other field is compared by its text with the lists
// ValueChecked and ValueUnchecked ("Да;да" or "Нет;": parts split at ";").
// Without data source and field name it keeps a value of its own. It paints
// itself: the box through the library's button painter, the caption with a
// focus frame, a hot and a pressed look under the mouse.
class TCustomDBCheckBoxEh : public TCustomControl {
  VELMORA_CLASS(TCustomDBCheckBoxEh)
  using inherited = TCustomControl;
public:
  explicit TCustomDBCheckBoxEh(TComponent* AOwner);
  ~TCustomDBCheckBoxEh() override;

  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight Value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  bool AlwaysShowBorder() const { return FAlwaysShowBorder; }
  void SetAlwaysShowBorder(bool Value);
  bool Checked() const { return GetChecked(); }
  void SetChecked(bool Value) { SetCheckedValue(Value); }
  String DataField() const;
  void SetDataField(const String& Value);
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* Value);
  TDynVarsEh* DynProps() const { return FDynProps.get(); }
  void SetDynProps(TDynVarsEh* Value);
  TField* Field() const;
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  bool Modified() const { return FModified; }
  bool ReadOnly() const;
  void SetReadOnly(bool Value);
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState Value);
  bool StateStored() const { return DataIndepended() && FState != cbUnchecked; }
  String ValueChecked() const { return FValueCheck; }
  void SetValueChecked(const String& Value);
  String ValueUnchecked() const { return FValueUncheck; }
  void SetValueUnchecked(const String& Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  TFieldDataLinkEh* DataLink() const { return FDataLink.get(); }

  // The user's click, Space, the accelerator key, or a click from code.
  void Click() override;
  // Where the caption stands for the reading order.
  TLeftRight GetControlsAlignment() const;

  TUpdateDataEventEh OnUpdateData;

protected:
  virtual bool GetChecked() const { return FState == cbChecked; }
  virtual void SetCheckedValue(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
  virtual void Toggle();
  // Introduced virtual operations, in the order descendants know them.
  virtual bool DataIndepended() const;
  virtual void DrawCaption(const TRect& TextRect, bool Focused, bool Hot, bool Pressed);
  virtual void DrawCheckBox(const TRect& BoxRect, TCheckBoxState AState, bool Focused, bool Hot, bool Pressed);
  virtual void DrawState(TCheckBoxState AState, bool Focused, bool Hot, bool Pressed);
  virtual void InternalSetState(TCheckBoxState Value);
  virtual void InternalUpdateData();
  virtual void PaintControl();
  virtual void UpdateData();

  // The state the data asks for.
  TCheckBoxState GetFieldState() const;
  void Paint() override;
  void DefineProperties(TFiler& Filer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void KeyPress(QChar& Key) override;
  void Dispatch(TMessage& Message) override;
  void WMLButtonDown(TMessage& Message) override;
  void WMLButtonDblClk(TMessage& Message) override;
  void WMLButtonUp(TMessage& Message) override;
  void WMCancelMode(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void CMExit(TMessage& Message) override;
  void CMDialogChar(TMessage& Message) override;
  void CMWantSpecialKey(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;

private:
  void DataChange(TObject* Sender);
  void DataLinkUpdateData(TObject* Sender);
  // A press taken over to move the focus here; answers whether it arrived.
  bool TakeFocusForPress();

  TLeftRight FAlignment = TLeftRight::taRightJustify;
  bool FAllowGrayed = false;
  bool FAlwaysShowBorder = false;
  bool FClicksDisabled = false;
  std::unique_ptr<TFieldDataLinkEh> FDataLink;
  std::unique_ptr<TDynVarsEh> FDynProps;
  bool FFlat = false;
  bool FModified = false;
  bool FMouseAboveControl = false;
  bool FMousePressed = false;
  TCheckBoxState FState = cbUnchecked;
  String FValueCheck;
  String FValueUncheck;
  bool FDataPosting = false;
  bool FToggleKeyDown = false;
  bool FWordWrap = false;
};

class TDBCheckBoxEh : public TCustomDBCheckBoxEh {
  VELMORA_CLASS(TDBCheckBoxEh)
public:
  using TCustomDBCheckBoxEh::TCustomDBCheckBoxEh;
};

// Registers the check box editors for form descriptions.
void RegisterDBCtrlsEhCheckBoxClasses();

// ---------------------------------------------------------------------------
// Editor edit buttons: the default action

// What a button without handlers of its own does: a drop-down button opens
// its drop-down form on the press; an ellipsis or glyph button edits the
// editor's text in the memo window on the click.
using TDBEditEhDefaultButtonActionProc =
  std::function<void(TCustomDBEditEh* EditControl, TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                     bool& Handled, bool IsDown)>;
void DBEditEhDefaultButtonAction(TCustomDBEditEh* EditControl, TEditButtonEh* EditButton,
                                 TEditButtonControlEh* EditButtonControl, bool& Handled, bool IsDown);
// Replaceable; nothing runs while it is empty.
TDBEditEhDefaultButtonActionProc& DBEditEhDefaultButtonActionProc();
// The form class whose shared instance drops down from a drop-down button
// that names no form (the memo window).
TClass& DBEditEhMemoEditFormClass();
// Registers the editor's buttons and MRU list with the class registry.
void RegisterDBCtrlsEhButtonsClasses();

// ---------------------------------------------------------------------------
// Date-time edit format: a pattern of the letters Y (2 or 4), M, D, H, N, S
// (2 each), other characters literal, "\" making the next one literal.

struct TElementMaskPosEh {
  Integer Pos = -1;      // 1-based place in the edit text, -1 when absent
  Integer Length = -1;
  bool Present = false;
};

struct TDateTimeElementsMaskPosEh {
  TElementMaskPosEh Year, Month, Day, Hour, Min, Sec;
};

// -1: not given or not a number.
struct TDateTimePartsEh {
  Integer Year = -1, Month = -1, Day = -1, Hour = -1, Min = -1, Sec = -1;
};

enum TDateOrderEh { doMDYEh, doDMYEh, doYMDEh };

TDateOrderEh ShortDateOrderEh(const String& Format);
String DefaultDateEditFormatEh(bool FourDigitYear);
String DefaultTimeEditFormatEh();
// Raises Exception on a bad pattern; EditMask and MaskPos change only on success.
void ParseDateTimeEditFormatEh(const String& EditFormat, String& EditMask, TDateTimeElementsMaskPosEh& MaskPos);
String DateTimeEditFormatToDisplayFormatEh(const String& EditFormat);
// One character per character of the edit text: the element letter, "/", ":" or a blank.
String DateTimeEditFormatToTemplateEh(const String& EditFormat);
TDateTimePartsEh EditTextToDateTimePartsEh(const String& Text, const TDateTimeElementsMaskPosEh& MaskPos);
TDateTimePartsEh ValueToDateTimePartsEh(const Variant& Value);
// Merges the parts of the present elements into Value; on an invalid date or
// time Value becomes Null and the answer is false. Never raises.
bool DateTimePartsToValueEh(TDateTimePartsEh Parts, const TDateTimeElementsMaskPosEh& MaskPos, Variant& Value,
                            bool Complete);
// Steps the element at the 1-based caret position Pos; Pos and Length then
// give the stepped element.
String IncrementDateTimeElementEh(const String& Text, const String& Template, bool Up, Integer& Pos,
                                  Integer& Length);
// A year below 100 placed in the 60-year window ending 40 years after CurrentYear.
Integer ExpandTwoDigitYearEh(Integer Year);
Integer ExpandTwoDigitYearEh(Integer Year, Integer CurrentYear);

// ---------------------------------------------------------------------------
// Number editor: a double or Null, shown with the display format, edited
// with digits grouped as the edit format asks, clamped and rounded.

class IPopupCalculatorEh;

enum TDBNumberValue { evDisplayFormatEh, evCurrencyEh, evMaxValueEh, evMinValueEh };
using TDBNumberValues = TSet<TDBNumberValue>;

class TCustomDBNumberEditEh : public TCustomDBEditEh {
  VELMORA_CLASS(TCustomDBNumberEditEh)
  using inherited = TCustomDBEditEh;
public:
  explicit TCustomDBNumberEditEh(TComponent* AOwner);

  bool CalculatorVisible() const { return FCalculatorVisible; }
  String DisplayText() const { return GetDisplayText(); }
  // The assigned value, else the bound field's.
  bool currency() const;
  void SetCurrency(bool Value);
  bool CurrencyStored() const { return FAssignedValues.Contains(evCurrencyEh); }
  Cardinal DecimalPlaces() const { return FDecimalPlaces; }
  void SetDecimalPlaces(Cardinal Value);
  String DisplayFormat() const;
  void SetDisplayFormat(const String& Value);
  bool DisplayFormatStored() const { return FAssignedValues.Contains(evDisplayFormatEh); }
  String EditFormat() const { return FEditFormat; }
  double Increment() const { return FIncrement; }
  void SetIncrement(double Value) { FIncrement = Value; }
  double MaxValue() const;
  void SetMaxValue(double Value);
  bool MaxValueStored() const { return FAssignedValues.Contains(evMaxValueEh); }
  double MinValue() const;
  void SetMinValue(double Value);
  bool MinValueStored() const { return FAssignedValues.Contains(evMinValueEh); }

  // Steps by Increment; from Null the first step gives Increment itself.
  void IncrementValue(bool IsIncrease);
  // Clamped to the assigned limits and rounded half-even to DecimalPlaces.
  double AdjustValue(double Value) const;
  void CloseUp(bool Accept) override;

  TCloseUpEventEh OnCloseUp;
  TNotifyEvent OnDropDown;

protected:
  virtual String GetDisplayText() const;
  virtual IPopupCalculatorEh* GetDropDownCalculator();
  virtual void DropDown();
  virtual void FormatEditText(const String& Text);

  TEditButtonEh* CreateEditButton() override;
  TAlignment DefaultAlignment() const override;
  Variant GetVariantValue() const override { return FValue; }
  bool IsValidChar(QChar Key) override;
  void DataChanged() override;
  void EditButtonDropDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl) override;
  void DefaultEditButtonClick(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                              bool& Handled) override;
  void DefaultEditButtonDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl, bool TopButton,
                             bool& AutoRepeat, bool& Handled) override;
  void InternalSetText(const String& AText) override;
  void InternalSetValue(const Variant& AValue) override;
  void InternalUpdateData() override;
  void Change() override;
  void Loaded() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(QChar& Key) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void WndProc(TMessage& Message) override;
  void CMWantSpecialKey(TMessage& Message) override;
  void WMPaste(TMessage& Message) override;

private:
  String NormalizedText(const String& Text) const;
  String GroupedEditText(const String& Text) const;
  void SetOwnText(const String& Value);
  void ReadValueFromText();
  void UpdateEditFormat();
  TWinControl* CalculatorWindow() const;

  TDBNumberValues FAssignedValues;
  bool FCalculatorVisible = false;
  bool FCurrency = false;
  Cardinal FDecimalPlaces = 2;
  String FDisplayFormat;
  TWinControl* FDropDownCalculator = nullptr;
  String FEditFormat;
  double FIncrement = 1;
  double FMinValue = 0;
  double FMaxValue = 0;
  Variant FValue = Null;
};

class TDBNumberEditEh : public TCustomDBNumberEditEh {
  VELMORA_CLASS(TDBNumberEditEh)
public:
  using TCustomDBNumberEditEh::TCustomDBNumberEditEh;
  using TCustomDBNumberEditEh::EditButton;
  using TCustomDBNumberEditEh::EditButtons;
  using TCustomDBNumberEditEh::SetEditButton;
  using TCustomDBNumberEditEh::SetEditButtons;
  using TCustomDBNumberEditEh::OnButtonClick;
  using TCustomDBNumberEditEh::OnButtonDown;
};

// Registers the number editor for form descriptions.
void RegisterDBCtrlsEhNumberEditClasses();

// ---------------------------------------------------------------------------
// Combo box editor: a text chosen from Items, or in key mode (KeyItems not
// empty) the key of the item shown, with a drop-down list, incremental
// search and stepping through the items.

class TPopupListboxFormEh;

// The drop-down list's settings.
class TDropDownBoxEh : public TPersistent {
  VELMORA_CLASS(TDropDownBoxEh)
  using inherited = TPersistent;
public:
  void Assign(TPersistent* Source) override;

  TDropDownAlign Align() const { return FAlign; }
  void SetAlign(TDropDownAlign Value) { FAlign = Value; }
  // Typing a printable character opens the list.
  bool AutoDrop() const { return FAutoDrop; }
  void SetAutoDrop(bool Value) { FAutoDrop = Value; }
  Integer Rows() const { return FRows; }
  void SetRows(Integer Value) { FRows = Value; }
  // The list has a size grip; the size the user gives is kept here.
  bool Sizable() const { return FSizable; }
  void SetSizable(bool Value) { FSizable = Value; }
  // 0 or less: the editor's width; -1: the widest item's; never narrower
  // than the editor.
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value) { FWidth = Value; }

private:
  TDropDownAlign FAlign = daLeft;
  bool FAutoDrop = false;
  Integer FRows = 7;
  bool FSizable = false;
  Integer FWidth = 0;
};

class TCustomDBComboBoxEh : public TCustomDBEditEh {
  VELMORA_CLASS(TCustomDBComboBoxEh)
  using inherited = TCustomDBEditEh;
public:
  explicit TCustomDBComboBoxEh(TComponent* AOwner);
  ~TCustomDBComboBoxEh() override;

  bool CaseInsensitiveTextSearch() const { return FCaseInsensitiveTextSearch; }
  void SetCaseInsensitiveTextSearch(bool Value);
  TDropDownBoxEh* DropDownBox() const { return FDropDownBox.get(); }
  void SetDropDownBox(TDropDownBoxEh* Value) { FDropDownBox->Assign(Value); }
  Integer ItemIndex() const { return FItemIndex; }
  // Written like Value from code: a bound editor's dataset edits and the
  // item is posted at once.
  void SetItemIndex(Integer Value);
  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  TStrings* KeyItems() const { return FKeyItems.get(); }
  void SetKeyItems(TStrings* Value) { FKeyItems->Assign(Value); }
  // Unless set, on in key mode without an OnNotInList handler.
  bool LimitTextToListValues() const;
  void SetLimitTextToListValues(bool Value);
  bool LimitTextToListValuesStored() const { return FLimitTextToListValuesStored; }
  void SetLimitTextToListValuesStored(bool Value);
  bool ListVisible() const { return FListVisible; }
  bool KeyBased() const { return FKeyBased; }
  // The grip of a sizable list; none before the first drop-down.
  TSizeGripEh* SizeGrip() const { return FSizeGrip; }
  // A class of TPopupListboxFormEh or derived from it; none: that class.
  TClass PopupListboxClass() const { return FPopupListboxClass; }
  void SetPopupListboxClass(TClass Value) { FPopupListboxClass = Value; }
  // Made on first use.
  TPopupListboxFormEh* GetPopupListbox();

  // In key mode the value becomes Null.
  void Clear();
  void CloseUp(bool Accept) override;
  // Runs OnNotInList for a text that is no item, then posts.
  void UpdateData();

  TCloseUpEventEh OnCloseUp;
  TAcceptEventEh OnClosingUp;
  TNotifyEvent OnDropDown;
  TListGetImageIndexEventEh OnGetItemImageIndex;
  // Asked for items while Items is empty.
  TNotifyEvent OnGetItemsList;
  TNotInListEventEh OnNotInList;

protected:
  // Introduced virtual operations, in the order descendants know them.
  virtual TDropDownBoxEh* CreateDropDownBox();
  virtual TColor GetPopupListboxColor() { return Color(); }
  virtual bool LocateText(const String& AText, bool Partial);
  virtual bool ProcessSearchText(const String& AText);
  virtual TFont* GetPopupListboxFont() { return Font(); }
  virtual void DoGetItemsList();
  virtual void InternalSetItemIndex(Integer Index);
  virtual void UpdateItemIndex();
  virtual void UpdatePopupListboxItemIndex();
  virtual void DropDown(TEditButtonEh* AEditButton);
  virtual void SelectNextValue(bool IsPrior);

  TEditButtonEh* CreateEditButton() override;
  TAlignment DefaultAlignment() const override;
  Integer DefaultImageIndex() override { return FDefaultItemIndex; }
  String GetDisplayTextForPaintCopy() const override;
  Variant GetVariantValue() const override;
  bool IsValidChar(QChar Key) override;
  void DataChanged() override;
  void EditButtonDropDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl) override;
  void DefaultEditButtonClick(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                              bool& Handled) override;
  void DefaultEditButtonDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl, bool TopButton,
                             bool& AutoRepeat, bool& Handled) override;
  void EditButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y) override;
  void EditButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void InternalSetText(const String& AText) override;
  void InternalSetValue(const Variant& AValue) override;
  void InternalUpdateData() override;
  void ResetMaxLength() override;
  void UpdateEditReadOnly() override;
  void UpdateImageIndex() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(QChar& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Click() override;
  void Change() override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void DefaultHandler(TMessage& Message) override;
  void WndProc(TMessage& Message) override;
  void CMWantSpecialKey(TMessage& Message) override;
  void WMPaste(TMessage& Message) override;

private:
  void ItemsChanged(bool KeysChanged);
  // In key mode the key follows the item the text names, Null for none.
  void KeyFollowsItem();
  void ListMouseUp(TMouseButton Button, Integer X, Integer Y);
  // Hands a press dragged from Source (holding the capture) into the list.
  bool DragIntoList(TControl* Source, Integer X, Integer Y);
  // Ends a press handed to the list: the list sees the release.
  bool ReleaseIntoList(TControl* Source, Integer X, Integer Y);
  // Completes the typed text, or finds the item it names after an edit.
  void CompleteTypedText(QChar Typed, Integer CaretBefore);
  // Selects from Start to End with the caret at Start.
  void SelectAnchoredAtEnd(Integer Start, Integer End);
  bool WheelSteps(TShiftState Shift, bool IsPrior);
  // Shows the list's grip in the corner away from the editor, or hides it.
  void UpdateSizeGrip();

  bool FCaseInsensitiveTextSearch = true;
  std::unique_ptr<TDropDownBoxEh> FDropDownBox;
  std::unique_ptr<TStringList> FItems;
  std::unique_ptr<TStringList> FKeyItems;
  bool FLimitTextToListValues = false;
  bool FLimitTextToListValuesStored = false;
  bool FListVisible = false;
  TPopupListboxFormEh* FPopupListbox = nullptr;
  // In the list's window without being one of its controls.
  TSizeGripEh* FSizeGrip = nullptr;
  // The control whose press the list tracks: the window system keeps
  // sending that control the mouse, which goes on to the list.
  TControl* FListTrackingSource = nullptr;
  TClass FPopupListboxClass = nullptr;
  bool FWheelEventInListbox = false;
  Integer FDefaultItemIndex = -1;
  Integer FItemIndex = -1;
  Integer FItemsCount = 0;
  bool FKeyBased = false;
  Variant FVarValue = Null;
  // An item index written from code goes in where a value would.
  bool FWritingItemIndex = false;
  Integer FItemIndexFromCode = -1;
  // Set while this editor types a character itself, to complete after it.
  bool FTypingChar = false;
  bool FCharTyped = false;
  // The not-in-list handler may add items; they are looked up after it.
  bool FCheckingNotInList = false;
};

class TDBComboBoxEh : public TCustomDBComboBoxEh {
  VELMORA_CLASS(TDBComboBoxEh)
public:
  using TCustomDBComboBoxEh::TCustomDBComboBoxEh;
  using TCustomDBComboBoxEh::EditButton;
  using TCustomDBComboBoxEh::EditButtons;
  using TCustomDBComboBoxEh::SetEditButton;
  using TCustomDBComboBoxEh::SetEditButtons;
  using TCustomDBComboBoxEh::MRUList;
  using TCustomDBComboBoxEh::SetMRUList;
  using TCustomDBComboBoxEh::OnButtonClick;
  using TCustomDBComboBoxEh::OnButtonDown;
};

// Registers the combo box editor for form descriptions.
void RegisterDBCtrlsEhComboBoxClasses();

// ---------------------------------------------------------------------------
// Date-time editor: a masked text laid out by the pattern of its Kind (or an
// EditFormat of its own), holding its value apart from the text.

enum TDateTimeKindEh { dtkDateEh, dtkTimeEh, dtkDateTimeEh, dtkCustomEh };

class IPopupDateTimePickerEh;

class TCustomDBDateTimeEditEh : public TCustomDBEditEh {
  VELMORA_CLASS(TCustomDBDateTimeEditEh)
  using inherited = TCustomDBEditEh;
public:
  explicit TCustomDBDateTimeEditEh(TComponent* AOwner);
  ~TCustomDBDateTimeEditEh() override;

  bool CalendarVisible() const { return FCalendarVisible; }
  String DateTimeFormat() const { return FDateTimeFormat; }
  // The pattern in use; setting one makes the kind custom.
  String EditFormat() const { return FEditFormat; }
  void SetEditFormat(const String& Value);
  TDateTimeKindEh Kind() const { return FKind; }
  void SetKind(TDateTimeKindEh Value);
  bool KindStored() const { return FKind != dtkCustomEh; }

  // Reads the elements of Text and merges them into Value.
  bool TextToDateTimeValue(const String& Text, Variant& Value, bool Complete) const;
  // Steps the element at the caret and selects it.
  void IncrementElementAtCaret(bool Up);
  bool IsEmpty() override;
  void ValidateEdit() override;
  // Closes the popup calendar; with Accept the shown elements of its value
  // are merged into the editor's.
  void CloseUp(bool Accept) override;
  // The popup calendar's window (nullptr before the first drop-down).
  TWinControl* CalendarWindow() const { return FDropDownCalendar; }

  TCloseUpEventEh OnCloseUp;
  TNotifyEvent OnDropDown;

protected:
  virtual void DropDown();
  // Made on first need, and again when the library names another class.
  virtual IPopupDateTimePickerEh* GetDropDownCalendar();
  virtual void InternalSetDisplayText(const String& AText);
  virtual void UpdateFourDigitYear();
  virtual void UpdateMask();

  void DefineProperties(TFiler& Filer) override;
  TEditButtonEh* CreateEditButton() override;
  Variant GetVariantValue() const override { return FValue; }
  void DataChanged() override;
  void DefaultEditButtonClick(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                              bool& Handled) override;
  void DefaultEditButtonDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl, bool TopButton,
                             bool& AutoRepeat, bool& Handled) override;
  void EditButtonDropDown(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl) override;
  void EditButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y) override;
  void FilterMRUItem(const String& AText, bool& Accept) override;
  void InternalSetText(const String& AText) override;
  void InternalSetValue(const Variant& AValue) override;
  void InternalUpdateData() override;
  void SetVariantValue(const Variant& AValue) override;
  void WndProc(TMessage& Message) override;
  void CMWantSpecialKey(TMessage& Message) override;
  void Change() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(QChar& Key) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void CMEnter(TMessage& Message) override;
  void WMPaste(TMessage& Message) override;

private:
  String ValueText(const Variant& V) const;
  void ReadValueFromText();
  void JumpToElementAfter(QChar Separator);
  bool CanStep();
  void CalendarClosed(bool Accept);
  bool InsideCalendar(TControl* Control) const;

  bool FCalendarVisible = false;
  TWinControl* FDropDownCalendar = nullptr;
  TRect FIgnoreMouseScreenRect;
  bool FIgnoreNextDropDown = false;
  String FDateTimeFormat;
  String FEditFormat;
  bool FEditValidating = false;
  TDateTimeKindEh FKind = dtkDateEh;
  TDateTimeElementsMaskPosEh FDateTimeMaskPos;
  bool FFourDigitYear = false;
  Variant FValue = Null;
  // A value assigned from code is written whole, not merged.
  bool FWritingWholeValue = false;
};

class TDBDateTimeEditEh : public TCustomDBDateTimeEditEh {
  VELMORA_CLASS(TDBDateTimeEditEh)
public:
  using TCustomDBDateTimeEditEh::TCustomDBDateTimeEditEh;
  using TCustomDBDateTimeEditEh::EditButton;
  using TCustomDBDateTimeEditEh::EditButtons;
  using TCustomDBDateTimeEditEh::SetEditButton;
  using TCustomDBDateTimeEditEh::SetEditButtons;
  using TCustomDBDateTimeEditEh::OnButtonClick;
  using TCustomDBDateTimeEditEh::OnButtonDown;
};

// Registers the date-time editor for form descriptions.
void RegisterDBCtrlsEhDateTimeEditClasses();
