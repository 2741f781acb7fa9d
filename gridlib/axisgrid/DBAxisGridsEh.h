// DBAxisGridsEh.h: the data-aware grid base: a base grid bound to a dataset
// through a data link, with a collection of bars (columns) bound to fields by
// name, their titles, buttons and defaults, and the routines they share.
// Row mapping, scrolling and painting of rows belong to the descendant grid.
#pragma once

#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/foundation/DynVarsEh.h"
#include "gridlib/foundation/GridsEh.h"
#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/data/DB.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

#include <memory>

class TCustomDBAxisGridEh;
class TAxisBarEh;
class TGridAxisBarsEh;
class TAxisBarDefValuesEh;
class TDBLookupDataEh;   // the lookup description of a bar (DBLookupUtilsEh.h)
class TDBAxisGridEhCenter;
class IMemTableEh;
class TInCellPlaceBoxEh;

// ---------------------------------------------------------------------------
// Shared types.

// The properties of a bar that carry an own value (stored as a 32-bit set).
enum TAxisBarEhValue {
  cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor, cvTitleCaption, cvTitleAlignment,
  cvTitleFont, cvTitleButton, cvTitleEndEllipsis, cvTitleToolTips, cvTitleOrientation, cvImeMode,
  cvImeName, cvWordWrap, cvLookupDisplayFields, cvCheckboxes, cvAlwaysShowEditButton, cvEndEllipsis,
  cvAutoDropDown, cvDblClickNextVal, cvToolTips, cvDropDownSizing, cvDropDownShowTitles, cvLayout,
  cvHighlightRequired, cvBiDiMode, cvTextEditing
};
using TAxisBarEhValues = TSet<TAxisBarEhValue>;

enum TAxisBarEhType {
  ctCommon, ctPickList, ctLookupField, ctKeyPickList, ctKeyImageList, ctCheckboxes, ctGraphicData, ctDataList
};

enum TCellButtonStyleEh { cbsAuto, cbsEllipsis, cbsNone, cbsUpDown, cbsDropDown, cbsAltUpDown, cbsAltDropDown };
enum TEditButtonHorzPlacementEh { ebhpLeftEh, ebhpRightEh };

enum TDBGridEhAllowedOperation { alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh };
using TDBGridEhAllowedOperations = TSet<TDBGridEhAllowedOperation>;

enum TIncludeImageModuleEh { iimJpegImageModuleEh, iimGIFImageModuleEh, iimPNGImageModuleEh };
using TIncludeImageModulesEh = TSet<TIncludeImageModuleEh>;

// Whether a grid's bars are the user's own or were made from the fields.
enum TDBGridColumnsState { csDefault, csCustomized };

enum TAxisBarCaptionDefValue { cvdpTitleColorEh, cvdpTitleAlignmentEh };
using TAxisBarCaptionDefValues = TSet<TAxisBarCaptionDefValue>;

using TColCellUpdateDataEventEh =
  std::function<void(TAxisBarEh* Sender, String& Text, Variant& Value, bool& UseText, bool& Handled)>;
using TAxisBarNotifyEventEh = std::function<void(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar)>;
using TDBAxisGridShowDropDownFormEventEh =
  std::function<void(TCustomDBAxisGridEh* Grid, TAxisBarEh* Column, TEditButtonEh* Button,
                     TCustomForm*& DropDownForm, TDynVarsEh* DynParams)>;
using TDBAxisGridCloseDropDownFormEventEh =
  std::function<void(TCustomDBAxisGridEh* Grid, TAxisBarEh* Column, TEditButtonEh* Button, bool Accept,
                     TCustomForm* DropDownForm, TDynVarsEh* DynParams)>;

// ---------------------------------------------------------------------------
// Shared routines.

// A light fill mixed from two colours (the style object's and tool panels').
TColor LightenMixColorEh(TColor Color1, TColor Color2, bool Spread);
// The field's value as a 32-bit integer, Default when it is not one.
Integer FieldAsIntegerDefEh(TField* Field, Integer Default);
TGridRect GridRectEh(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);
Integer MinIntEh(Integer A, Integer B);
[[noreturn]] void RaiseInvalidGridOperationEh(const String& Message);
// Read-only, where a lookup field counts as writable through any of its
// writable key fields.
bool IsFieldReadOnlyEh(TField* Field);
// The date-time units a bar shows, from its format or its field type.
TCalendarDateTimeUnitsEh GetBarDateTimeUnitsEh(TAxisBarEh* Bar);

// ---------------------------------------------------------------------------
// The parameters of one data cell while it is painted or measured.

class TAxisColCellParamsEh : public TObject {
public:
  TAxisColCellParamsEh() = default;

  bool ImageIsLink() const { return FImageIsLink; }
  void SetImageIsLink(bool Value) { FImageIsLink = Value; }
  bool TextIsLink() const { return FTextIsLink; }
  void SetTextIsLink(bool Value) { FTextIsLink = Value; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value) { FAlignment = Value; }
  TColor Background() const { return FBackground; }
  void SetBackground(TColor Value) { FBackground = Value; }
  bool BlankCell() const { return FBlankCell; }
  void SetBlankCell(bool Value) { FBlankCell = Value; }
  bool CellBackgroundDrawnByThemed() const { return FCellBackgroundDrawnByThemed; }
  void SetCellBackgroundDrawnByThemed(bool Value) { FCellBackgroundDrawnByThemed = Value; }
  TRect CellRect() const { return FCellRect; }
  void SetCellRect(const TRect& Value) { FCellRect = Value; }
  TCheckBoxState CheckboxState() const { return FCheckboxState; }
  void SetCheckboxState(TCheckBoxState Value) { FCheckboxState = Value; }
  Integer Col() const { return FCol; }
  void SetCol(Integer Value) { FCol = Value; }
  bool DrawCellByThemes() const { return FDrawCellByThemes; }
  void SetDrawCellByThemes(bool Value) { FDrawCellByThemes = Value; }
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value) { FFont = Value; }
  bool Highlight() const { return FHighlight; }
  void SetHighlight(bool Value) { FHighlight = Value; }
  TImageIndex ImageIndex() const { return FImageIndex; }
  void SetImageIndex(TImageIndex Value) { FImageIndex = Value; }
  bool IsCellFilled() const { return FIsCellFilled; }
  void SetIsCellFilled(bool Value) { FIsCellFilled = Value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  Integer Row() const { return FRow; }
  void SetRow(Integer Value) { FRow = Value; }
  TGridDrawState State() const { return FState; }
  void SetState(TGridDrawState Value) { FState = Value; }
  bool SuppressActiveCellColor() const { return FSuppressActiveCellColor; }
  void SetSuppressActiveCellColor(bool Value) { FSuppressActiveCellColor = Value; }
  String Text() const { return FText; }
  void SetText(const String& Value) { FText = Value; }
  bool TextEditing() const { return FTextEditing; }
  void SetTextEditing(bool Value) { FTextEditing = Value; }
  bool The3DRect() const { return FThe3DRect; }
  void SetThe3DRect(bool Value) { FThe3DRect = Value; }
  Integer XFrameOffs() const { return FXFrameOffs; }
  void SetXFrameOffs(Integer Value) { FXFrameOffs = Value; }
  Integer YFrameOffs() const { return FYFrameOffs; }
  void SetYFrameOffs(Integer Value) { FYFrameOffs = Value; }
  Integer AxisBarIndex() const { return FAxisBarIndex; }
  void SetAxisBarIndex(Integer Value) { FAxisBarIndex = Value; }

  bool FImageIsLink = false;
  bool FTextIsLink = false;
  TAlignment FAlignment = taLeftJustify;
  TColor FBackground = clWindow;
  bool FBlankCell = false;
  bool FCellBackgroundDrawnByThemed = false;
  TRect FCellRect;
  TCheckBoxState FCheckboxState = cbUnchecked;
  Integer FCol = 0;
  bool FDrawCellByThemes = false;
  TFont* FFont = nullptr;   // not owned
  bool FHighlight = false;
  TImageIndex FImageIndex = -1;
  bool FIsCellFilled = false;
  bool FReadOnly = false;
  Integer FRow = 0;
  TGridDrawState FState;
  bool FSuppressActiveCellColor = false;
  String FText;
  bool FTextEditing = false;
  bool FThe3DRect = false;
  Integer FXFrameOffs = 0;
  Integer FYFrameOffs = 0;
  Integer FAxisBarIndex = -1;
};

// ---------------------------------------------------------------------------
// How a grid drives the controls drawn inside its data cells.

class IInCellControlEh {
public:
  virtual ~IInCellControlEh() = default;
  virtual bool ForwardMouseDownToEditor(Integer ACol, Integer ARow, TObject* PlaceBox, TMouseButton Button,
                                        TShiftState Shift, Integer X, Integer Y) = 0;
  virtual void InCellCancelMouse(TObject* PlaceBox) = 0;
  virtual void DrawInCell(TCanvas* Canvas, TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar,
                          const TRect& CellRect, TAxisColCellParamsEh* Params, TObject* PlaceBox) = 0;
  virtual void InCellMouseDown(Integer ACol, Integer ARow, TObject* PlaceBox, TMouseButton Button,
                               TShiftState Shift, Integer X, Integer Y) = 0;
  virtual void InCellMouseUp(Integer ACol, Integer ARow, TObject* PlaceBox, TMouseButton Button,
                             TShiftState Shift, Integer X, Integer Y) = 0;
  virtual void InCellMouseMove(Integer ACol, Integer ARow, TObject* PlaceBox, TShiftState Shift, Integer X,
                               Integer Y) = 0;
};

// ---------------------------------------------------------------------------
// The drop-down data grid box of a bar: a popup that never takes the
// activation, hosting a grid over the bar's list dataset. The box itself
// comes with the data grid; a box class installs its factory, and until
// one does, lookup bars drop nothing down.

class IPopupDataGridBoxEh {
public:
  virtual ~IPopupDataGridBoxEh() = default;
  // The popup window (a form) that implements the box.
  virtual TWinControl* BoxControl() = 0;
  virtual void SetAxisBarOwner(TPersistent* DropDownBoxSettings) = 0;
  // While sized, the inner grid does not follow the form.
  virtual void StartInitSize() = 0;
  virtual void StopInitSize() = 0;
  virtual TSpecRowEh* SpecRow() = 0;
  virtual void SetSpecRow(TSpecRowEh* Value) = 0;
  virtual Integer RowCount() = 0;
  virtual void SetRowCount(Integer Value) = 0;
  virtual void SetShowTitles(bool Value) = 0;
  virtual void SetKeyField(const String& Value) = 0;
  virtual void SetListFieldIndex(Integer Value) = 0;
  virtual void SetListField(const String& Value) = 0;
  virtual TDataSource* ListSource() = 0;
  virtual void SetListSource(TDataSource* Value) = 0;
  virtual void SetAutoFitColWidths(bool Value) = 0;
  virtual void SetUseMultiTitle(bool Value) = 0;
  virtual void SetDrawMemoText(bool Value) = 0;
  virtual void SetTitleSortMarkerStyle(Integer Value) = 0;
  // The client width that shows all columns whole.
  virtual Integer GetColumnsWidthToFit() = 0;
  virtual Integer CalcAutoHeightForRowCount(Integer Rows) = 0;
  virtual void SetSizeGripAlwaysShow(bool Value) = 0;
  virtual bool SizeGripResized() = 0;
  virtual void SetSizeGripResized(bool Value) = 0;
  // The data cells' area in the box's client coordinates.
  virtual TRect DataRect() = 0;
  virtual Variant KeyValue() = 0;
  virtual void SetKeyValue(const Variant& Value) = 0;
  // The list field's text of the selected row.
  virtual String SelectedItem() = 0;
  // Whether KeyValue names a row of the list.
  virtual bool LocateKey() = 0;
  virtual void ResetHighlightSubstr(const String& Text) = 0;
  // The inner grid's key-up handling.
  virtual void GridKeyUp(Word& Key, TShiftState Shift) = 0;
  // Sender is the box's window; Accept when the release chose a row.
  virtual void SetOnMouseCloseUp(TCloseUpEventEh Value) = 0;
  virtual void SetOnColumnMoved(TNotifyEvent Value) = 0;
};

// Makes a box window that implements IPopupDataGridBoxEh, owned by Owner.
using TPopupDataGridBoxFactoryEh = std::function<TCustomForm*(TComponent* Owner)>;
void SetPopupDataGridBoxFactoryEh(TPopupDataGridBoxFactoryEh Factory);
// A new box, or nullptr while no box class is installed.
TCustomForm* CreatePopupDataGridBoxEh(TComponent* Owner);
IPopupDataGridBoxEh* PopupDataGridBoxOf(TWinControl* Control);

// ---------------------------------------------------------------------------
// The title of a bar: own values flagged in the bar's AssignedValues,
// defaults from the grid's column defaults.

class TAxisBarTitleEh : public TPersistent {
  VELMORA_CLASS(TAxisBarTitleEh)
  using inherited = TPersistent;
public:
  explicit TAxisBarTitleEh(TAxisBarEh* AxisBar);
  ~TAxisBarTitleEh() override;
  void Assign(TPersistent* Source) override;

  TAxisBarEh* AxisBar() const { return FAxisBar; }
  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  String Caption() const;
  virtual void SetCaption(const String& Value);
  TColor Color() const;
  void SetColor(TColor Value);
  bool EndEllipsis() const;
  void SetEndEllipsis(bool Value);
  TFont* Font() const;
  void SetFont(TFont* Value);
  String Hint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }
  TImageIndex ImageIndex() const { return FImageIndex; }
  void SetImageIndex(TImageIndex Value);
  TTextOrientationEh Orientation() const;
  void SetOrientation(TTextOrientationEh Value);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  bool TitleButton() const;
  void SetTitleButton(bool Value);
  bool ToolTips() const;
  void SetToolTips(bool Value);

  virtual void RestoreDefaults();
  TAlignment DefaultAlignment() const;
  String DefaultCaption() const;
  TColor DefaultColor() const;
  TFont* DefaultFont() const;
  bool DefaultTitleButton() const;
  bool DefaultEndEllipsis() const;
  bool DefaultToolTips() const;
  TTextOrientationEh DefaultOrientation() const;
  void RefreshDefaultFont();

  // Stored tests of the description.
  bool IsAlignmentStored() const;
  bool IsCaptionStored() const;
  bool IsColorStored() const;
  bool IsEndEllipsisStored() const;
  bool IsFontStored() const;
  bool IsOrientationStored() const;
  bool IsTitleButtonStored() const;
  bool IsToolTipsStored() const;

protected:
  TPersistent* GetOwner() const override;
  bool Assigned(TAxisBarEhValue Value) const;
  void TitleFontChanged(TObject* Sender);

  TAlignment FAlignment = taLeftJustify;
  TAxisBarEh* FAxisBar;
  String FCaption;
  TColor FColor = clBtnFace;
  bool FEndEllipsis = false;
  std::unique_ptr<TFont> FFont;
  String FHint;
  TImageIndex FImageIndex = -1;
  TTextOrientationEh FOrientation = tohHorizontal;
  TPopupMenu* FPopupMenu = nullptr;
  bool FToolTips = false;
  bool FTitleButton = false;
};

// ---------------------------------------------------------------------------
// Edit buttons and cell buttons of a bar.

class TAxisBarEditButtonEh : public TEditButtonEh, public IInCellControlEh {
  VELMORA_CLASS(TAxisBarEditButtonEh)
  using inherited = TEditButtonEh;
public:
  explicit TAxisBarEditButtonEh(TCollection* Collection);
  explicit TAxisBarEditButtonEh(TAxisBarEh* AxisBar);
  TAxisBarEh* AxisBar() const { return FAxisBar; }

  bool ForwardMouseDownToEditor(Integer ACol, Integer ARow, TObject* PlaceBox, TMouseButton Button,
                                TShiftState Shift, Integer X, Integer Y) override;
  void InCellCancelMouse(TObject* PlaceBox) override;
  void DrawInCell(TCanvas* Canvas, TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar,
                  const TRect& CellRect, TAxisColCellParamsEh* Params, TObject* PlaceBox) override;
  void InCellMouseDown(Integer ACol, Integer ARow, TObject* PlaceBox, TMouseButton Button, TShiftState Shift,
                       Integer X, Integer Y) override;
  void InCellMouseUp(Integer ACol, Integer ARow, TObject* PlaceBox, TMouseButton Button, TShiftState Shift,
                     Integer X, Integer Y) override;
  void InCellMouseMove(Integer ACol, Integer ARow, TObject* PlaceBox, TShiftState Shift, Integer X,
                       Integer Y) override;

protected:
  TEditButtonDrawBackTimeEh DefaultDrawBackTime() const override;
  std::unique_ptr<TDropDownFormCallParamsEh> CreateDropDownFormParams() override;

  TAxisBarEh* FAxisBar = nullptr;
};

// A further edit button: visible, Alt+Down.
class TAxisBarVisibleEditButtonEh : public TAxisBarEditButtonEh {
  VELMORA_CLASS(TAxisBarVisibleEditButtonEh)
public:
  explicit TAxisBarVisibleEditButtonEh(TCollection* Collection);
};

// The bar's own edit button; visible by the bar's kind until set.
class TAxisBarMainEditButtonEh : public TAxisBarEditButtonEh {
  VELMORA_CLASS(TAxisBarMainEditButtonEh)
  using inherited = TAxisBarEditButtonEh;
public:
  explicit TAxisBarMainEditButtonEh(TAxisBarEh* AxisBar);
  void Assign(TPersistent* Source) override;

  bool VisibleStored() const { return FVisibleStored; }
  void SetVisibleStored(bool Value);
  TCellButtonStyleEh AxisBarButtonStyle() const;
  void SetAxisBarButtonStyle(TCellButtonStyleEh Value);
  virtual bool DefaultVisible() const;

protected:
  bool GetVisible() const override;
  void SetVisibleValue(bool Value) override;

private:
  bool FVisibleStored = false;
};

class TAxisBarEditButtonsEh : public TEditButtonsEh {
  VELMORA_CLASS(TAxisBarEditButtonsEh)
  using inherited = TEditButtonsEh;
public:
  TAxisBarEditButtonsEh(TAxisBarEh* AxisBar, TClass EditButtonClass);
  TAxisBarVisibleEditButtonEh* Add() { return static_cast<TAxisBarVisibleEditButtonEh*>(inherited::Add()); }
  TAxisBarVisibleEditButtonEh* Items(Integer Index) const
  {
    return static_cast<TAxisBarVisibleEditButtonEh*>(inherited::Items(Index));
  }
  TAxisBarEditButtonEh* EditButton(Integer Index) const { return Items(Index); }
  void SetEditButton(Integer Index, TAxisBarEditButtonEh* Value) { Items(Index)->Assign(Value); }
};

class TCellButtonEh;

class TCellButtonDrawParamsEh : public TPersistent {
  VELMORA_CLASS(TCellButtonDrawParamsEh)
public:
  Integer FDownButton = 0;
  Integer FTransparency = 0;
  bool FDrawButtonBack = false;
  bool FHotTrack = false;
  bool FPressed = false;
  bool FEnabled = true;
  TCustomImageList* FImageList = nullptr;
  Integer FImageIndex = -1;
  TRect FMasterRect;
};

class TCellButtonMouseParamsEh : public TPersistent {
  VELMORA_CLASS(TCellButtonMouseParamsEh)
public:
  TGridCoord FCell;
  TRect FCellRect;
  bool FAutoRepeat = false;
  bool FTopButton = false;
  TRect FButtonRect;
};

using TCellButtonGetEnabledStateEventEh = std::function<void(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar,
                                                             TCellButtonEh* CellButton, bool& ButtonEnabled)>;
using TDrawCellButtonEventEh = std::function<void(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar,
                                                  TCellButtonEh* CellButton, TCanvas* Canvas, TGridCoord Cell,
                                                  TGridCoord AreaCell, const TRect& ARect,
                                                  TCellButtonDrawParamsEh* ButtonDrawParams, bool& Handled)>;
using TMouseCellButtonEventEh =
  std::function<void(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar, TCellButtonEh* CellButton,
                     TMouseButton MouseButton, TShiftState Shift, TPoint InButtonPos,
                     TCellButtonMouseParamsEh* ButtonMouseParams, bool& Handled)>;

// A button that lives inside the data cells of its bar.
class TCellButtonEh : public TAxisBarVisibleEditButtonEh {
  VELMORA_CLASS(TCellButtonEh)
  using inherited = TAxisBarVisibleEditButtonEh;
public:
  explicit TCellButtonEh(TCollection* Collection);
  ~TCellButtonEh() override;
  void Assign(TPersistent* Source) override;

  TEditButtonHorzPlacementEh HorzPlacement() const { return FHorzPlacement; }
  void SetHorzPlacement(TEditButtonHorzPlacementEh Value);
  bool Pressable() const { return FPressable; }
  void SetPressable(bool Value) { FPressable = Value; }
  bool PersistentDown() const { return FPersistentDown; }
  void SetPersistentDown(bool Value) { FPersistentDown = Value; }
  TCellButtonDrawParamsEh* ButtonDrawParams() const { return FButtonDrawParams.get(); }
  TCellButtonMouseParamsEh* CellButtonMouseParams() const { return FCellButtonMouseParams.get(); }

  TCellButtonGetEnabledStateEventEh OnGetEnabledState;
  TDrawCellButtonEventEh OnDraw;
  TMouseCellButtonEventEh OnMouseDown;
  TMouseCellButtonEventEh OnMouseClick;

  bool ForwardMouseDownToEditor(Integer ACol, Integer ARow, TObject* PlaceBox, TMouseButton Button,
                                TShiftState Shift, Integer X, Integer Y) override;

  // --- Presses, stepping and painting of a cell button.
  void InCellCancelMouse(TObject* PlaceBox) override;
  void DrawInCell(TCanvas* Canvas, TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar,
                  const TRect& CellRect, TAxisColCellParamsEh* Params, TObject* PlaceBox) override;
  void InCellMouseDown(Integer ACol, Integer ARow, TObject* PlaceBox, TMouseButton Button, TShiftState Shift,
                       Integer X, Integer Y) override;
  void InCellMouseUp(Integer ACol, Integer ARow, TObject* PlaceBox, TMouseButton Button, TShiftState Shift,
                     Integer X, Integer Y) override;
  // Presses and releases the button in the current cell (its short cut).
  void DoDownUpAction();
  bool IsWaitingForRepress(TObject* PlaceBox) const { return FWaitingForRepress && FPressedPlaceBox == PlaceBox; }
  // The half an up/down press holds: 1 upper, 2 lower, 0 none.
  Integer UpDownButtonNum() const { return FUpDownButtonNum; }
  // The auto-repeat and repress timer; nullptr until first used.
  TTimer* Timer() const { return FTimer.get(); }

  virtual bool GetEnabledState();
  virtual void DefaultMouseDown(Integer ACol, Integer ARow, TObject* PlaceBox, TMouseButton Button,
                                TShiftState Shift, Integer X, Integer Y, bool& Handled);
  virtual void AutoRepeatTimerEvent(TObject* Sender);
  virtual void StartAutoRepeatTimer(Integer Interval);
  virtual void StepValue();
  virtual void StartWaitingForRepress(TObject* PlaceBox);
  virtual void RepressTimerEvent(TObject* Sender);
  virtual void DefaultDrawEditButton(TAxisBarEh* AxisBar, TCanvas* Canvas, TGridCoord Cell, TGridCoord AreaCell,
                                     const TRect& ARect, TCellButtonDrawParamsEh* ADrawParams);

private:
  TTimer* GetTimer();
  bool IsUpDownStyle() const { return Style() == ebsUpDownEh || Style() == ebsAltUpDownEh; }
  void StopTimer();
  void FillMouseParams(TCustomDBAxisGridEh* Grid, Integer ACol, Integer ARow, TObject* PlaceBox, bool AutoRepeat);

  TEditButtonHorzPlacementEh FHorzPlacement = ebhpRightEh;
  bool FPersistentDown = false;
  std::unique_ptr<TTimer> FTimer;
  Integer FUpDownButtonNum = 0;
  bool FWaitingForRepress = false;
  TObject* FPressedPlaceBox = nullptr;
  bool FPressable = true;
  std::unique_ptr<TCellButtonDrawParamsEh> FButtonDrawParams;
  std::unique_ptr<TCellButtonMouseParamsEh> FCellButtonMouseParams;
  // --- End of cell button presses.
};

class TCellButtonsEh : public TEditButtonsEh {
  VELMORA_CLASS(TCellButtonsEh)
  using inherited = TEditButtonsEh;
public:
  TCellButtonsEh(TAxisBarEh* AxisBar, TClass CellButtonClass);
  TCellButtonEh* Add() { return static_cast<TCellButtonEh*>(inherited::Add()); }
  TCellButtonEh* Items(Integer Index) const { return static_cast<TCellButtonEh*>(inherited::Items(Index)); }
  void SetItems(Integer Index, TCellButtonEh* Value) { Items(Index)->Assign(Value); }
  TCellButtonEh* GetButtonByShortCut(TShortCut ShortCut) const;
};

// --- Drop-down forms of bar buttons.

// What a drop-down form opened from a bar's button is told.
class TAxisGridDropDownFormSysParams : public TDropDownFormSysParams {
  VELMORA_CLASS(TAxisGridDropDownFormSysParams)
public:
  TAxisBarEh* FAxisBar = nullptr;
  TAxisBarEditButtonEh* FEditButton = nullptr;
  TRect FEditorScreenRect;
  TRect FEditorRect;
  TObject* FPlaceBox = nullptr;   // the cell's button box, when opened from a cell button
};

// How a bar's button opens its drop-down form: the values travel between
// the form and the bar's field (or the cell editor's text).
class TAxisBarDropDownFormCallParamsEh : public TDropDownFormCallParamsEh {
  VELMORA_CLASS(TAxisBarDropDownFormCallParamsEh)
  using inherited = TDropDownFormCallParamsEh;
public:
  explicit TAxisBarDropDownFormCallParamsEh(TAxisBarEditButtonEh* EditButton) { FEditButton = EditButton; }

  TAxisBarEditButtonEh* AxisBarEditButton() const { return static_cast<TAxisBarEditButtonEh*>(FEditButton); }
  void GetVarValue(Variant& Value) override;
  void SetVarValue(const Variant& Value) override;
  void DoOpenDropDownForm(TCustomForm*& Form, TDynVarsEh* DynParams, TDropDownFormSysParams* SysParams) override;
  std::unique_ptr<TDropDownFormSysParams> CreateDropDownFormSysParams() override;
  void FillSysParams(TDropDownFormSysParams* SysParams) override;
  void BeforeShowDropDownForm(TCustomForm* Form, TDynVarsEh* DynParams, TDropDownFormSysParams* SysParams) override;
  void DropDownFormClosed(bool Accept, TCustomForm* Form, TDropDownFormSysParams* SysParams,
                          TDynVarsEh* DynParams) override;

  TObject* FPlaceBox = nullptr;
};
// --- End of drop-down forms of bar buttons.

// ---------------------------------------------------------------------------
// The drop-down list of records of a bar: its settings, and the interface
// through which they reach the list's inner grid.

enum TDBLookupGridEhOption {
  dlgColumnResizeEh, dlgColLinesEh, dlgRowLinesEh, dlgAutoSortMarkingEh, dlgMultiSortMarkingEh,
  dlgAutoFitRowHeightEh
};
using TDBLookupGridEhOptions = TSet<TDBLookupGridEhOption>;

// The owner of a drop-down data grid (a bar, a lookup combo box).
class ILookupGridOwner {
public:
  virtual ~ILookupGridOwner() = default;
  // Asks AComponent to tell the owner's grid when it is freed; nil is ignored.
  virtual void LookupGridFreeNotification(TComponent* AComponent) = 0;
  // The inner grid of the list box; nullptr until the box exists.
  virtual TCustomDBAxisGridEh* GetLookupGrid() = 0;
  virtual TDBLookupGridEhOptions GetLookupGridOptions() = 0;
  virtual void SetLookupGridOptions(TDBLookupGridEhOptions Value) = 0;
};

class TColumnDropDownBoxEh : public TPersistent {
  VELMORA_CLASS(TColumnDropDownBoxEh)
  using inherited = TPersistent;
public:
  explicit TColumnDropDownBoxEh(TPersistent* Owner);
  ~TColumnDropDownBoxEh() override;
  void Assign(TPersistent* Source) override;
  String GetNamePath() const override;

  TDropDownAlign Align() const { return FAlign; }
  void SetAlign(TDropDownAlign Value) { FAlign = Value; }
  bool AutoDrop() const { return FAutoDrop; }
  void SetAutoDrop(bool Value) { FAutoDrop = Value; }
  bool AutoFitColWidths() const { return FAutoFitColWidths; }
  void SetAutoFitColWidths(bool Value) { FAutoFitColWidths = Value; }
  String ListFieldNames() const { return FListFieldNames; }
  void SetListFieldNames(const String& Value) { FListFieldNames = Value; }
  TDataSource* ListSource() const { return FListSource; }
  void SetListSource(TDataSource* Value);
  bool ListSourceAutoFilter() const { return FListSourceAutoFilter; }
  void SetListSourceAutoFilter(bool Value) { FListSourceAutoFilter = Value; }
  TLSAutoFilterTypeEh ListSourceAutoFilterType() const { return FListSourceAutoFilterType; }
  void SetListSourceAutoFilterType(TLSAutoFilterTypeEh Value) { FListSourceAutoFilterType = Value; }
  Integer Rows() const { return FRows; }
  void SetRows(Integer Value) { FRows = Value; }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value) { FWidth = Value; }
  bool Sizable() const { return FSizable; }
  void SetSizable(bool Value) { FSizable = Value; }
  bool ShowTitles() const { return FShowTitles; }
  void SetShowTitles(bool Value) { FShowTitles = Value; }
  bool UseMultiTitle() const { return FUseMultiTitle; }
  void SetUseMultiTitle(bool Value) { FUseMultiTitle = Value; }
  TSpecRowEh* SpecRow() const { return FSpecRow.get(); }
  void SetSpecRow(TSpecRowEh* Value) { FSpecRow->Assign(Value); }

  // Forwarded to the inner grid through the owner's ILookupGridOwner.
  TGridAxisBarsEh* Columns() const;
  void SetColumns(TGridAxisBarsEh* Value);
  bool IsColumnsStored() const;
  TAxisBarDefValuesEh* ColumnDefValues() const;
  void SetColumnDefValues(TAxisBarDefValuesEh* Value);
  TDBLookupGridEhOptions Options() const;
  void SetOptions(TDBLookupGridEhOptions Value);
  // Sorting, row height and lines belong to the data grid that fills the
  // box; they are kept here until it reads them.
  bool SortLocal() const { return FSortLocal; }
  void SetSortLocal(bool Value) { FSortLocal = Value; }
  Integer RowHeight() const { return FRowHeight; }
  void SetRowHeight(Integer Value) { FRowHeight = Value; }
  Integer RowLines() const { return FRowLines; }
  void SetRowLines(Integer Value) { FRowLines = Value; }

  // The first name of ListFieldNames.
  String GetActualListField() const;
  // What stands for any run of characters in a LIKE filter of the list.
  String GetLikeWildcardForSeveralCharacters() const;

  static void RegisterClass();

protected:
  TPersistent* GetOwner() const override { return FOwner; }
  ILookupGridOwner* LookupGridOwner() const { return dynamic_cast<ILookupGridOwner*>(FOwner); }

private:
  TDropDownAlign FAlign = daLeft;
  bool FAutoDrop = false;
  bool FAutoFitColWidths = true;
  String FListFieldNames;
  TDataSource* FListSource = nullptr;
  bool FListSourceAutoFilter = false;
  TLSAutoFilterTypeEh FListSourceAutoFilterType = lsftBeginsWithEh;
  TPersistent* FOwner;
  Integer FRowHeight = 0;
  Integer FRowLines = 0;
  Integer FRows = 0;
  bool FShowTitles = false;
  bool FSizable = false;
  bool FSortLocal = false;
  std::unique_ptr<TSpecRowEh> FSpecRow;
  bool FUseMultiTitle = false;
  Integer FWidth = 0;
};

// ---------------------------------------------------------------------------
// One bar (column) of an axis grid.

class TAxisBarEh : public TCollectionItem, public ILookupGridOwner {
  VELMORA_CLASS(TAxisBarEh)
  using inherited = TCollectionItem;
public:
  explicit TAxisBarEh(TCollection* Collection);
  ~TAxisBarEh() override;
  void Assign(TPersistent* Source) override;
  String DisplayName() const override;
  void SetIndex(Integer Value) override;

  // The grid of the collection the bar is in; nullptr without one.
  TCustomDBAxisGridEh* Grid() const;
  TField* Field() const { return GetField(); }
  TAxisBarEhValues AssignedValues() const { return FAssignedValues; }
  bool Stored() const { return FStored; }
  void SetStored(bool Value) { FStored = Value; }

  // Values that fall back to defaults until assigned.
  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  bool AlignmentStored() const { return FAssignedValues.Contains(cvAlignment); }
  void SetAlignmentStored(bool Value);
  bool AlwaysShowEditButton() const;
  void SetAlwaysShowEditButton(bool Value);
  bool AutoDropDown() const;
  void SetAutoDropDown(bool Value);
  TBiDiMode BiDiMode() const;
  void SetBiDiMode(TBiDiMode Value);
  TCellButtonStyleEh ButtonStyle() const;
  void SetButtonStyle(TCellButtonStyleEh Value);
  bool Checkboxes() const;
  void SetCheckboxes(bool Value);
  TColor Color() const;
  void SetColor(TColor Value);
  bool DblClickNextVal() const;
  void SetDblClickNextVal(bool Value);
  bool DropDownShowTitles() const;
  void SetDropDownShowTitles(bool Value);
  bool DropDownSizing() const;
  void SetDropDownSizing(bool Value);
  bool EndEllipsis() const;
  void SetEndEllipsis(bool Value);
  TFont* Font() const;
  void SetFont(TFont* Value);
  bool HighlightRequired() const;
  void SetHighlightRequired(bool Value);
  TTextLayout Layout() const;
  void SetLayout(TTextLayout Value);
  String LookupDisplayFields() const;
  void SetLookupDisplayFields(const String& Value);
  bool ReadOnly() const;
  void SetReadOnly(bool Value);
  bool TextEditing() const;
  void SetTextEditing(bool Value);
  bool ToolTips() const;
  void SetToolTips(bool Value);
  bool WordWrap() const;
  void SetWordWrap(bool Value);
  bool LimitTextToListValues() const;
  void SetLimitTextToListValues(bool Value);
  bool LimitTextToListValuesStored() const { return FLimitTextToListValuesStored; }
  void SetLimitTextToListValuesStored(bool Value);

  // Plain values.
  bool CaseInsensitiveTextSearch() const { return FCaseInsensitiveTextSearch; }
  void SetCaseInsensitiveTextSearch(bool Value) { FCaseInsensitiveTextSearch = Value; }
  bool CellDataIsLink() const { return FCellDataIsLink; }
  void SetCellDataIsLink(bool Value) { FCellDataIsLink = Value; }
  String DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& Value);
  String EditMask() const { return FEditMask; }
  void SetEditMask(const String& Value);
  Integer DropDownRows() const { return Integer(FDropDownRows); }
  void SetDropDownRows(Integer Value) { FDropDownRows = Cardinal(std::max(Value, 0)); }
  Integer DropDownWidth() const { return FDropDownWidth; }
  void SetDropDownWidth(Integer Value);
  String FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  double Increment() const { return FIncrement; }
  void SetIncrement(double Value) { FIncrement = Value; }
  Integer NotInKeyListIndex() const { return FNotInKeyListIndex; }
  void SetNotInKeyListIndex(Integer Value);
  bool ShowImageAndText() const { return FShowImageAndText; }
  void SetShowImageAndText(bool Value);
  NativeInt Tag() const { return FTag; }
  void SetTag(NativeInt Value) { FTag = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  TStrings* KeyList() const;
  void SetKeyList(TStrings* Value);
  TStrings* PickList() const;
  void SetPickList(TStrings* Value);
  // Whether the lists exist and hold lines, without making them.
  bool HasKeyList() const { return FKeyList && FKeyList->Count() > 0; }
  bool HasPickList() const { return FPickList && FPickList->Count() > 0; }
  TCustomImageList* ImageList() const { return FImageList; }
  void SetImageList(TCustomImageList* Value);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);

  // Owned objects; writing assigns into them.
  TAxisBarTitleEh* Title() const { return FTitle.get(); }
  void SetTitle(TAxisBarTitleEh* Value) { FTitle->Assign(Value); }
  TColumnDropDownBoxEh* DropDownBox() const { return FDropDownBox.get(); }
  void SetDropDownBox(TColumnDropDownBoxEh* Value) { FDropDownBox->Assign(Value); }
  TSpecRowEh* DropDownSpecRow() const { return FDropDownSpecRow.get(); }
  void SetDropDownSpecRow(TSpecRowEh* Value) { FDropDownSpecRow->Assign(Value); }
  TDynVarsEh* DynProps() const { return FDynProps.get(); }
  void SetDynProps(TDynVarsEh* Value) { FDynProps->Assign(Value); }
  TAxisBarMainEditButtonEh* EditButton() const { return FEditButton.get(); }
  void SetEditButton(TAxisBarMainEditButtonEh* Value) { FEditButton->Assign(Value); }
  TAxisBarEditButtonsEh* EditButtons() const { return FEditButtons.get(); }
  void SetEditButtons(TAxisBarEditButtonsEh* Value) { FEditButtons->Assign(Value); }
  TCellButtonsEh* CellButtons() const { return FCellButtons.get(); }
  void SetCellButtons(TCellButtonsEh* Value) { FCellButtons->Assign(Value); }
  TMRUListEh* MRUList() const { return FMRUList.get(); }
  void SetMRUList(TMRUListEh* Value) { FMRUList->Assign(Value); }
  TDBLookupDataEh* LookupParams() const { return FLookupParams; }
  TDropDownFormCallParamsEh* DropDownFormParams() const { return FEditButton->DropDownFormParams(); }
  TCustomForm* DataListBox() const { return FDataListBox; }
  // Made on first use (nullptr while no box class is installed); the bar frees it.
  TCustomForm* GetDataListBox();
  TAxisColCellParamsEh* CheckModifyColCellParams() const { return FCheckModifyColCellParamsEh.get(); }
  Integer InplaceEditorButtonHeight() const { return FInplaceEditorButtonHeight; }
  void SetInplaceEditorButtonHeight(Integer Value) { FInplaceEditorButtonHeight = Value; }

  // Events.
  TDBAxisGridCloseDropDownFormEventEh OnCloseDropDownForm;
  TNotInListEventEh OnNotInList;
  TDBAxisGridShowDropDownFormEventEh OnOpenDropDownForm;
  TColCellUpdateDataEventEh OnUpdateData;
  TAxisBarNotifyEventEh OnCellDataLinkClick;

  String GetBarName() const;
  void RefreshDefaultFont();
  bool UseRightToLeftReading() const;
  Integer DrawTextBiDiModeFlagsReadingOnly() const;

  // Sizes.
  Integer EditButtonWidth(TEditButtonEh* Button) const;

  // Virtual operations, in the order the bar introduces them.
  virtual Integer CalcInplaceEditorButtonHeight();
  virtual TEditButtonEh* CreateEditButtonObject();
  virtual TAxisBarEditButtonsEh* CreateEditButtons();
  virtual TCellButtonsEh* CreateCellButtons();
  virtual TAxisBarMainEditButtonEh* CreateEditButton();
  virtual TDBLookupDataEh* CreateLookupParams();
  virtual TAxisBarTitleEh* CreateTitle();
  virtual TEditButtonDrawBackTimeEh GetEditButtonDrawBackTime() const;
  virtual TField* GetField() const;
  virtual Integer GetInplaceEditorButtonHeight() const { return FInplaceEditorButtonHeight; }
  virtual Integer GetMainEditButtonWidth() const;
  virtual bool IsDrawEditButton(Integer ACol, Integer ARow) const;
  virtual bool IsDefaultBar() const { return !FStored; }
  virtual void Changed(bool AllItems);
  virtual void GetInplaceEditorReadOnly(bool& ReadOnly);
  virtual void FontChanged(TObject* Sender);
  virtual void LookupStateChanged();
  virtual void RecordDataChanged(TField* Field) { (void)Field; }
  virtual void SetField(TField* Value);
  virtual void SetTextArea(TRect& ARect);
  virtual Variant GetValueAsVariant();
  virtual void SetValueFromVariantText(const Variant& Value);
  virtual Integer CalcRowHeight() { return 0; }
  virtual bool CurLineWordWrap(Integer RowHeight);
  virtual TAlignment DefaultAlignment() const;
  virtual TColor DefaultColor() const;
  virtual TFont* DefaultFont() const;
  virtual bool DefaultReadOnly() const;
  virtual String DisplayText();
  virtual Integer EditButtonsWidth() const;
  virtual String EditText();
  virtual Variant EditValue();
  virtual TAxisBarEhType GetBarType() const;
  virtual Integer GetCellHeight(Integer Row) const;
  virtual Integer GetDataCellHorzOffset() const { return 3; }
  virtual Integer GetImageIndex();
  virtual String GetTextValue(bool IsDisplayText);
  virtual bool GetCellDataIsLink();
  virtual Integer GetCellEditorLeftMargin() const;
  virtual Integer GetCellEditorRightMargin() const;
  virtual bool GetCellImageIsLink();
  virtual bool UseRightToLeftAlignment() const;
  virtual bool UseRightToLeftScrollBar() const;
  virtual void BindField();
  virtual void GetColCellParams(bool EditMode, TAxisColCellParamsEh* ColCellParamsEh);
  virtual void RestoreDefaults();

  // The text and values of the current record's cell (implemented with the
  // bar's value handling).
  TCheckBoxState CheckboxState();
  void SetCheckboxState(TCheckBoxState Value);
  bool CanEditAcceptKey(QChar Key);
  String GetAcceptableEditText(const String& Text);
  bool CanModify(bool TryEdit);
  bool IsEditable();
  bool ActualTextEditing();
  void FillColCellParams(TAxisColCellParamsEh* ColCellParamsEh);
  String GetInplaceEditorText();
  void SetInplaceEditorText(const String& Text);
  String GetEditMask();
  void UpdateDataValue(const String& Text, const Variant& Value, bool UseText);
  void SetValueAsText(const String& S);
  void SetValueAsVariant(const Variant& Value);
  void SetNextValue(double Step);
  Integer LocatePickList(const String& Str, bool PartialKey);

  // --- User operations on the current cell, the system menu and the
  // drop-down list of records (DBAxisGridsEhOperations.cpp).
  // Whether the user may change the cell's value: a field, neither bar nor
  // grid read-only, a writable field and data link.
  bool CanModifyValue();
  virtual void CopyValueToClipboard();
  virtual void CutValueToClipboard();
  virtual void PasteValueFromClipboard();
  virtual void ClearValue();
  virtual void LoadFromFileDialog();
  virtual void SaveToFileDialog();
  // Whether the clipboard holds what the bar can paste: a bitmap for a
  // picture bar, text for any other.
  bool ClipboardHoldsPastable() const;
  // The grid's picture of the bar's blob field; nullptr without grid.
  std::unique_ptr<TPicture> GetPictureFromBlobField();
  TPopupMenu* GetPopupMenu();
  TPopupMenu* GetSystemPopupMenu();
  virtual void FormSystemPopupMenu(TPopupMenu* Menu);
  virtual void CellDataLinkClick();
  virtual void DoOpenDropDownForm(TWinControl* EditControl, TEditButtonEh* Button, TCustomForm*& DropDownForm,
                                  TDynVarsEh* DynParams);
  virtual void DoCloseDropDownForm(TWinControl* EditControl, TEditButtonEh* Button, bool Accept,
                                   TCustomForm* DropDownForm, TDynVarsEh* DynParams);
  virtual TCustomForm* GetDefaultDropDownForm(bool& FreeFormOnClose);
  TDataSet* GetDropDownListDataSet();
  String GetDropDownBoxListField();
  virtual void DropDownBoxApplyTextFilter(TDataSet* DataSet, const String& FieldName,
                                          TLSAutoFilterTypeEh Operation, const String& FilterText);
  void DefaultDropDownBoxApplyTextFilter(TDataSet* DataSet, const String& FieldName,
                                         TLSAutoFilterTypeEh Operation, const String& FilterText);
  void DropDownSpecRowChanged(TObject* Sender);
  // The grid's edit-buttons box over the current cell of a picture bar
  // without text editing, where no inplace editor exists.
  virtual bool UseEditButtonsBox();
  virtual TRect CalcEditButtonsBoxRect(const TRect& Rect) { return Rect; }
  virtual void InitEditButtonsBox(TEditButtonsBoxEh* Box, const TRect& Rect);
  virtual void LayoutEditButtonsBox(TEditButtonsBoxEh* Box, const TRect& Rect);
  virtual void UpdateEditButtonsBoxState(TEditButtonsBoxEh* Box);
  virtual void EditButtonsBoxButtonClick(TObject* Control);
  virtual void EditButtonsBoxButtonDown(TObject* Control, bool TopButton, bool& AutoRepeat, bool& Handled);
  virtual void EditButtonsBoxMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y)
  {
    (void)Sender; (void)Shift; (void)X; (void)Y;
  }
  virtual void EditButtonsBoxMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
  {
    (void)Sender; (void)Button; (void)Shift; (void)X; (void)Y;
  }
  // ILookupGridOwner.
  void LookupGridFreeNotification(TComponent* AComponent) override;
  TCustomDBAxisGridEh* GetLookupGrid() override { return nullptr; }
  TDBLookupGridEhOptions GetLookupGridOptions() override { return FLookupGridOptions; }
  void SetLookupGridOptions(TDBLookupGridEhOptions Value) override { FLookupGridOptions = Value; }
  // --- End of user operations.

  // Stored tests of the description.
  bool IsAlignmentStored() const { return AlignmentStored(); }
  bool IsAlwaysShowEditButtonStored() const;
  bool IsAutoDropDownStored() const;
  bool IsBiDiModeStored() const { return FAssignedValues.Contains(cvBiDiMode); }
  bool IsCheckboxesStored() const { return FAssignedValues.Contains(cvCheckboxes); }
  bool IsColorStored() const;
  bool IsDblClickNextValStored() const;
  bool IsDropDownShowTitlesStored() const;
  bool IsDropDownSizingStored() const;
  bool IsEndEllipsisStored() const;
  bool IsFontStored() const { return FAssignedValues.Contains(cvFont); }
  bool IsHighlightRequiredStored() const;
  bool IsIncrementStored() const { return FIncrement != 1.0; }
  bool IsLayoutStored() const;
  bool IsLookupDisplayFieldsStored() const;
  bool IsReadOnlyStored() const;
  bool IsTextEditingStored() const;
  bool IsToolTipsStored() const;
  bool IsWordWrapStored() const { return FAssignedValues.Contains(cvWordWrap); }
  bool IsEditButtonStored() const;
  bool IsCellButtonsStored() const { return FCellButtons->Count() > 0; }
  bool IsEditButtonsStored() const { return FEditButtons->Count() > 0; }
  bool IsKeyListStored() const { return HasKeyList(); }
  bool IsPickListStored() const { return HasPickList(); }

  // What the bar asks of its lookup description.
  bool LookupIsSetUpEh() const;
  bool LookupActiveEh() const;
  void UpdateLookupStateEh();
  String LookupDisplayFieldNameEh() const;
  void AssignLookupParamsEh(TAxisBarEh* Source);
  bool LookupKeyFieldsCanModifyEh() const;

  // --- Up/down buttons (cell buttons and the cell editor share this rule).
  // The step of a press on half Half of an up/down button: 1 upper, 2 lower,
  // 0 the middle line (no step). Lists read top to bottom, so on any bar but
  // ctCommon the upper half moves to the previous entry.
  double UpDownStep(Integer Half) const;
  // Steps the value by UpDownStep(Half); nothing for half 0.
  void StepUpDown(Integer Half);
  // --- End of up/down buttons.

protected:
  friend class TGridAxisBarsEh;
  friend class TAxisBarTitleEh;
  friend class TCustomDBAxisGridEh;
  void FreeLookupParamsEh();
  void MarkOwn(TAxisBarEhValue Value) { FAssignedValues.Include(Value); }
  bool Own(TAxisBarEhValue Value) const { return FAssignedValues.Contains(Value); }
  TAxisBarDefValuesEh* GridDefValues() const;
  bool GridIsLoading() const;
  bool GridLinkActive() const;
  void SetFontSilently(TFont* Source);

  TAlignment FAlignment = taLeftJustify;
  TAxisBarEhValues FAssignedValues;
  TBiDiMode FBiDiMode = bdLeftToRight;
  TCellButtonStyleEh FButtonStyle = cbsAuto;
  bool FCaseInsensitiveTextSearch = true;
  bool FCheckboxes = false;
  TColor FColor = clWindow;
  bool FDblClickNextVal = false;
  String FDisplayFormat;
  std::unique_ptr<TColumnDropDownBoxEh> FDropDownBox;
  Cardinal FDropDownRows = 7;
  bool FDropDownShowTitles = false;
  bool FDropDownSizing = false;
  std::unique_ptr<TSpecRowEh> FDropDownSpecRow;
  std::unique_ptr<TDynVarsEh> FDynProps;
  std::unique_ptr<TAxisBarMainEditButtonEh> FEditButton;
  std::unique_ptr<TAxisBarEditButtonsEh> FEditButtons;
  std::unique_ptr<TCellButtonsEh> FCellButtons;
  String FEditMask;
  String FFieldName;
  std::unique_ptr<TFont> FFont;
  bool FHighlightRequired = false;
  TCustomImageList* FImageList = nullptr;
  double FIncrement = 1.0;
  mutable std::unique_ptr<TStringList> FKeyList;
  TTextLayout FLayout = tlTop;
  bool FLimitTextToListValues = false;
  bool FLimitTextToListValuesStored = false;
  TDBLookupDataEh* FLookupParams = nullptr;
  std::unique_ptr<TMRUListEh> FMRUList;
  Integer FNotInKeyListIndex = -1;
  mutable std::unique_ptr<TStringList> FPickList;
  TPopupMenu* FPopupMenu = nullptr;
  bool FReadonly = false;
  bool FShowImageAndText = false;
  bool FStored = true;
  std::unique_ptr<TPopupMenu> FSystemPopupMenu;
  NativeInt FTag = 0;
  bool FTextEditing = true;
  std::unique_ptr<TAxisBarTitleEh> FTitle;
  bool FToolTips = false;
  bool FVisible = true;
  bool FCellDataIsLink = false;
  bool FAlwaysShowEditButton = false;
  bool FAutoDropDown = false;
  std::unique_ptr<TAxisColCellParamsEh> FCheckModifyColCellParamsEh;
  TCustomForm* FDataListBox = nullptr;
  Integer FDropDownWidth = 0;
  bool FEndEllipsis = false;
  Integer FInplaceEditorButtonHeight = 0;
  String FLookupDisplayFields;
  bool FWordWrap = false;
  mutable TField* FField = nullptr;
  // Options of the list's inner grid until the list box carries them.
  TDBLookupGridEhOptions FLookupGridOptions = {dlgColLinesEh};
};

// A bar with a width: the base of the data-aware grid's column.
class TBaseColumnEh : public TAxisBarEh {
  VELMORA_CLASS(TBaseColumnEh)
public:
  explicit TBaseColumnEh(TCollection* Collection) : TAxisBarEh(Collection) {}
  bool AutoFitColWidth() const { return GetAutoFitColWidth(); }
  void SetAutoFitColWidthValue(bool Value) { SetAutoFitColWidth(Value); }
  Integer Width() const { return GetWidth(); }
  void SetWidthValue(Integer Value) { SetWidth(Value); }
  Integer MinWidth() const { return GetMinWidth(); }
  void SetMinWidthValue(Integer Value) { SetMinWidth(Value); }
  Integer MaxWidth() const { return GetMaxWidth(); }
  void SetMaxWidthValue(Integer Value) { SetMaxWidth(Value); }

  virtual bool GetAutoFitColWidth() const = 0;
  virtual Integer GetWidth() const = 0;
  virtual Integer GetMinWidth() const = 0;
  virtual Integer GetMaxWidth() const = 0;
  virtual void SetAutoFitColWidth(bool Value) = 0;
  virtual void SetMaxWidth(Integer Value) = 0;
  virtual void SetMinWidth(Integer Value) = 0;
  virtual void SetWidth(Integer Value) = 0;
};

// ---------------------------------------------------------------------------
// The bars of a grid.

class TGridAxisBarsEh : public TCollection {
  VELMORA_CLASS(TGridAxisBarsEh)
  using inherited = TCollection;
public:
  TGridAxisBarsEh(TCustomDBAxisGridEh* Grid, TClass AxisBarClass);

  TCustomDBAxisGridEh* Grid() const { return FGrid; }
  TAxisBarEh* Add() { return static_cast<TAxisBarEh*>(inherited::Add()); }
  TAxisBarEh* AddDefaultBar();
  TAxisBarEh* AxisBar(Integer Index) const { return static_cast<TAxisBarEh*>(inherited::Items(Index)); }
  void SetAxisBar(Integer Index, TAxisBarEh* Value) { AxisBar(Index)->Assign(Value); }
  TDBGridColumnsState State() const;
  void SetState(TDBGridColumnsState Value);
  void Assign(TPersistent* Source) override;

  void AddAllBars(bool DeleteExisting);
  void RebuildBars() { AddAllBars(true); }
  void RestoreDefaults();
  TAxisBarEh* FindBarByName(const String& ColumnName) const;
  void GetBarNames(TStrings* List) const;
  bool CheckItemInList(TAxisBarEh* AxisBar) const;

  void SaveToStream(TStream* S);
  void SaveToFile(const String& FileName);
  void LoadFromStream(TStream* S);
  void LoadFromFile(const String& FileName);

  virtual bool KeepExistingBars() const { return true; }
  virtual bool IsDefaultState() const { return State() == csDefault; }
  virtual void ItemRemovingOrMoving(TAxisBarEh* Item, Integer Kind) { (void)Item; (void)Kind; }
  virtual void ActiveChanged();

protected:
  TPersistent* GetOwner() const override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;
  void Update(TCollectionItem* Item) override { (void)Item; }

private:
  TCustomDBAxisGridEh* FGrid;
};

Integer GetCollectionUpdateCountEh(TCollection* Collection);

class TBaseColumnsEh : public TGridAxisBarsEh {
  VELMORA_CLASS(TBaseColumnsEh)
public:
  TBaseColumnsEh(TCustomDBAxisGridEh* Grid, TClass ColumnClass) : TGridAxisBarsEh(Grid, ColumnClass) {}
  TBaseColumnEh* Items(Integer Index) const { return static_cast<TBaseColumnEh*>(AxisBar(Index)); }
  void SetItems(Integer Index, TBaseColumnEh* Value) { Items(Index)->Assign(Value); }
};

// A list of bars that never frees them.
class TAxisBarsEhList : public TObjectList {
  VELMORA_CLASS(TAxisBarsEhList)
public:
  TAxisBarsEhList() : TObjectList(false) {}
  TAxisBarEh* Items(Integer Index) const { return static_cast<TAxisBarEh*>(TList::Items(Index)); }
  void SetItems(Integer Index, TAxisBarEh* Value) { TList::SetItems(Index, Value); }
};

// The component through which a bar collection is streamed.
class TColumnsWrapper : public TComponent {
  VELMORA_CLASS(TColumnsWrapper)
public:
  explicit TColumnsWrapper(TComponent* AOwner) : TComponent(AOwner) {}
  TGridAxisBarsEh* AxisBars() const { return FAxisBars; }
  void SetAxisBars(TGridAxisBarsEh* Value) { FAxisBars = Value; }
private:
  TGridAxisBarsEh* FAxisBars = nullptr;   // not owned
};

// ---------------------------------------------------------------------------
// Defaults of the bars.

class TAxisBarCaptionDefValuesEh : public TPersistent {
  VELMORA_CLASS(TAxisBarCaptionDefValuesEh)
  using inherited = TPersistent;
public:
  explicit TAxisBarCaptionDefValuesEh(TAxisBarDefValuesEh* ColumnDefValues) : FColumnDefValues(ColumnDefValues) {}
  void Assign(TPersistent* Source) override;

  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  TColor Color() const;
  void SetColor(TColor Value);
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool Value);
  TTextOrientationEh Orientation() const { return FOrientation; }
  void SetOrientation(TTextOrientationEh Value);
  bool TitleButton() const { return FTitleButton; }
  void SetTitleButton(bool Value) { FTitleButton = Value; }
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool Value) { FToolTips = Value; }
  TAxisBarCaptionDefValues AssignedValues() const { return FAssignedValues; }
  bool IsAlignmentStored() const;
  bool IsColorStored() const;

protected:
  TPersistent* GetOwner() const override;
  TCustomDBAxisGridEh* Grid() const;

private:
  TAlignment FAlignment = taLeftJustify;
  TAxisBarCaptionDefValues FAssignedValues;
  TColor FColor = clBtnFace;
  TAxisBarDefValuesEh* FColumnDefValues;
  bool FEndEllipsis = false;
  TTextOrientationEh FOrientation = tohHorizontal;
  bool FTitleButton = false;
  bool FToolTips = false;
};

class TColumnFooterDefValuesEh : public TPersistent {
  VELMORA_CLASS(TColumnFooterDefValuesEh)
public:
  void Assign(TPersistent* Source) override;
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool Value) { FToolTips = Value; }
private:
  bool FToolTips = false;
};

class TAxisBarDefValuesEh : public TPersistent {
  VELMORA_CLASS(TAxisBarDefValuesEh)
  using inherited = TPersistent;
public:
  explicit TAxisBarDefValuesEh(TCustomDBAxisGridEh* Grid);
  ~TAxisBarDefValuesEh() override;
  // Makes the title defaults; a descendant's constructor calls it again
  // for its own class.
  void InitTitle() { FTitle.reset(CreateTitleDefValues()); }
  void Assign(TPersistent* Source) override;

  TCustomDBAxisGridEh* Grid() const { return FGrid; }
  bool AlwaysShowEditButton() const { return FAlwaysShowEditButton; }
  void SetAlwaysShowEditButton(bool Value);
  bool AutoDropDown() const { return FAutoDropDown; }
  void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
  bool DblClickNextVal() const { return FDblClickNextVal; }
  void SetDblClickNextVal(bool Value) { FDblClickNextVal = Value; }
  bool DropDownShowTitles() const { return FDropDownShowTitles; }
  void SetDropDownShowTitles(bool Value) { FDropDownShowTitles = Value; }
  bool DropDownSizing() const { return FDropDownSizing; }
  void SetDropDownSizing(bool Value) { FDropDownSizing = Value; }
  TEditButtonDrawBackTimeEh EditButtonDrawBackTime() const { return FEditButtonDrawBackTime; }
  void SetEditButtonDrawBackTime(TEditButtonDrawBackTimeEh Value);
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool Value);
  bool HighlightRequired() const { return FHighlightRequired; }
  void SetHighlightRequired(bool Value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  TAxisBarCaptionDefValuesEh* Title() const { return FTitle.get(); }
  void SetTitle(TAxisBarCaptionDefValuesEh* Value) { FTitle->Assign(Value); }
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool Value) { FToolTips = Value; }

  virtual TAxisBarCaptionDefValuesEh* CreateTitleDefValues();

protected:
  TPersistent* GetOwner() const override;
  void RepaintGrid();

private:
  bool FAlwaysShowEditButton = false;
  bool FAutoDropDown = false;
  bool FDblClickNextVal = false;
  bool FDropDownShowTitles = false;
  bool FDropDownSizing = false;
  TEditButtonDrawBackTimeEh FEditButtonDrawBackTime = edbtAlwaysEh;
  bool FEndEllipsis = false;
  TCustomDBAxisGridEh* FGrid;
  bool FHighlightRequired = false;
  TTextLayout FLayout = tlTop;
  std::unique_ptr<TAxisBarCaptionDefValuesEh> FTitle;
  bool FToolTips = false;
};

class TCustomColumnDefValuesEh : public TAxisBarDefValuesEh {
  VELMORA_CLASS(TCustomColumnDefValuesEh)
public:
  explicit TCustomColumnDefValuesEh(TCustomDBAxisGridEh* Grid) : TAxisBarDefValuesEh(Grid) {}
};

// ---------------------------------------------------------------------------
// Grid-line parameters, the border and the in-cell place boxes.

enum TDBGridLinesColorSchemeEh { glcsDefaultEh, glcsClassicEh, glcsFlatEh, glcsThemedEh };
enum TDrawEmptySpaceStyle { dessNonEh, dessSolidEh, dessGradiendEh };

// Line colours that follow a colour scheme; which lines show and the scheme
// in effect are the descendant's.
class TDBAxisGridLineParamsEh : public TGridLineColorsEh {
  VELMORA_CLASS(TDBAxisGridLineParamsEh)
  using inherited = TGridLineColorsEh;
public:
  explicit TDBAxisGridLineParamsEh(TCustomDBAxisGridEh* AGrid);
  void Assign(TPersistent* Source) override;

  TCustomDBAxisGridEh* AxisGrid() const;
  TDBGridLinesColorSchemeEh ColorScheme() const { return FColorScheme; }
  TColor DataBoundaryColor() const { return FDataBoundaryColor; }
  void SetDataBoundaryColor(TColor Value);
  bool DataHorzLines();
  bool DataHorzLinesStored() const { return FDataHorzLinesStored; }
  bool DataVertLines();
  bool DataVertLinesStored() const { return FDataVertLinesStored; }
  bool GridBoundaries() const { return FGridBoundaries; }
  TDrawEmptySpaceStyle VertEmptySpaceStyle() const { return FVertEmptySpaceStyle; }

  virtual bool DefaultDataHorzLines();
  virtual bool DefaultDataVertLines();
  virtual void SetDataHorzLines(bool Value);
  virtual void SetDataHorzLinesStored(bool Value);
  virtual void SetDataVertLines(bool Value);
  virtual void SetDataVertLinesStored(bool Value);
  virtual void SetGridBoundaries(bool Value);
  virtual void SetColorScheme(TDBGridLinesColorSchemeEh Value);
  virtual void SetVertEmptySpaceStyle(TDrawEmptySpaceStyle Value);
  virtual TDBGridLinesColorSchemeEh GetActualColorScheme();
  virtual TColor GetDataBoundaryColor();
  TColor GetDarkColor() override;
  TColor GetBrightColor() override;
  TColor GetVertAreaContraVertColor() override { return inherited::GetVertAreaContraVertColor(); }

protected:
  void RepaintGrid();
  void RelayoutGrid();

private:
  TDBGridLinesColorSchemeEh FColorScheme = glcsDefaultEh;
  TColor FDataBoundaryColor = clDefault;
  bool FDataHorzLines = false;
  bool FDataHorzLinesStored = false;
  bool FDataVertLines = false;
  bool FDataVertLinesStored = false;
  bool FGridBoundaries = false;
  TDrawEmptySpaceStyle FVertEmptySpaceStyle = dessGradiendEh;
};

// The extended border of a grid: a one-pixel frame on the chosen edges,
// drawn by the grid instead of the window frame.
class TControlBorderEh : public TPersistent {
  VELMORA_CLASS(TControlBorderEh)
  using inherited = TPersistent;
public:
  explicit TControlBorderEh(TCustomDBAxisGridEh* Grid);
  void Assign(TPersistent* Source) override;
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool Ctl3D() const;
  void SetCtl3D(bool Value);
  TEdgeBorders EdgeBorders() const { return FEdgeBorders; }
  void SetEdgeBorders(TEdgeBorders Value);
  bool ExtendedDraw() const;
  void SetExtendedDraw(bool Value);
  bool ExtendedDrawStored() const { return FExtendedDrawStored; }
  void SetExtendedDrawStored(bool Value);
  TBorderStyle Style() const;
  void SetStyle(TBorderStyle Value);
  bool DefaultExtendedDraw() const;
  bool IsExtendedDrawStored() const { return FExtendedDrawStored; }
  void UpdateExtendedDraw();
protected:
  TPersistent* GetOwner() const override;
private:
  TColor FColor = clDefault;
  TEdgeBorders FEdgeBorders{ebLeft, ebTop, ebRight, ebBottom};
  bool FExtendedDraw = false;
  bool FExtendedDrawStored = false;
  TCustomDBAxisGridEh* FGrid;
  bool FOldExtendedDraw = false;
};

// The layout of one data cell: a box whose children are the data area and
// the controls drawn in the cell. Children are kept for reuse, so laying
// out the visible cells on each paint allocates nothing once grown.
class TInCellPlaceBoxEh : public TPersistent {
  VELMORA_CLASS(TInCellPlaceBoxEh)
public:
  TInCellPlaceBoxEh();
  ~TInCellPlaceBoxEh() override;

  TInCellPlaceBoxEh* AddChild();
  void ClearChildList();
  void Clear();
  void ResetChildList();
  Integer ChildCount() const { return FCount; }
  TInCellPlaceBoxEh* ChildItem(Integer Index) const;
  TObject* Control() const { return FControl; }
  void SetControl(TObject* Value) { FControl = Value; }
  TRect ControlRect() const { return FControlRect; }
  void SetControlRect(const TRect& Value) { FControlRect = Value; }
  // Where the control is drawn, relative to the cell's top-left corner.
  TRect CtrlClientRect() const { return FCtrlClientRect; }
  void SetCtrlClientRect(const TRect& Value) { FCtrlClientRect = Value; }
  // The strip of the cell that belongs to the child.
  TRect AreaRect() const { return FAreaRect; }
  void SetAreaRect(const TRect& Value) { FAreaRect = Value; }
  TMargins* Margins() const { return FMargins.get(); }
  // The first used child whose control rectangle holds the point (right
  // and bottom edges excluded); nullptr when none.
  TInCellPlaceBoxEh* GetChildAtPos(Integer X, Integer Y) const;
  TInCellPlaceBoxEh* FindChildBoxByControl(TObject* Control) const;
  // Lets the box's in-cell control drop a press it holds.
  void CancelMouse();

private:
  Integer FCount = 0;
  std::unique_ptr<TObjectListEh> FChildItems;
  TObject* FControl = nullptr;   // not owned
  TRect FControlRect;
  TRect FCtrlClientRect;
  TRect FAreaRect;
  std::unique_ptr<TMargins> FMargins;
};

using TInCellPlaceBoxArrayEh = std::vector<std::vector<std::unique_ptr<TInCellPlaceBoxEh>>>;

// The place boxes of the visible cells: per axis the fixed cells, the
// visible scrolling cells, then the contra cells. Rebuilt lazily.
class TCellPlaceBoxVisibleListEh : public TPersistent {
  VELMORA_CLASS(TCellPlaceBoxVisibleListEh)
public:
  explicit TCellPlaceBoxVisibleListEh(TCustomDBAxisGridEh* AGrid);
  ~TCellPlaceBoxVisibleListEh() override;

  void Clear();
  void Invalidate() { FBufferValid = false; }
  bool BufferValid() const { return FBufferValid; }
  // Buffer coordinates; nullptr outside the buffer.
  TInCellPlaceBoxEh* GetPlaceBox(Integer ACol, Integer ARow) const;
  TGridCoord GridToPlaceBoxArrayCoord(TGridCoord GridCoord) const;
  void Reset();
  void SetColRowCount(Integer AColCount, Integer ARowCount);
  void ValidateBuffer();
  void UpdateData();
  Integer ColCount() const { return Integer(FBuffer.size()); }

private:
  TInCellPlaceBoxArrayEh FBuffer;
  bool FBufferValid = false;
  TCustomDBAxisGridEh* FGrid;
};

// What a data hint shows and where; filled for one hint.
class TDBAxisGridDataHintParamsEh : public TObject {
public:
  TPoint HintPos;
  Integer HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TFont* HintFont = nullptr;   // not owned
  TRect CursorRect;
  Integer ReshowTimeout = 0;
  Integer HideTimeout = 0;
  String HintStr;
  TEditButtonEh* EditButtonControl = nullptr;
};

// ---------------------------------------------------------------------------
// The data link of an axis grid, with the map of the fields it shows.

class TAxisGridDataLinkEh : public TDataLink {
  VELMORA_CLASS(TAxisGridDataLinkEh)
  using inherited = TDataLink;
public:
  explicit TAxisGridDataLinkEh(TCustomDBAxisGridEh* AGrid);
  ~TAxisGridDataLinkEh() override;

  bool AddMapping(const String& FieldName);
  void ClearMapping();
  TField* GetFields(Integer I) const;
  Integer GetMappedFieldIndex(Integer I) const;
  bool DefaultFields() const;
  Integer FieldCount() const { return FFieldCount; }
  bool SparseMap() const { return FSparseMap; }
  void SetSparseMap(bool Value) { FSparseMap = Value; }
  TCustomDBAxisGridEh* Grid() const { return FGrid; }
  bool InUpdateData() const { return FInUpdateData; }
  void SetInUpdateData(bool Value) { FInUpdateData = Value; }
  bool IsModified() const { return FModified; }
  const TBookmark& LastBookmark() const { return FLastBookmark; }
  TDataSetState LastDataSetState() const { return FLastDataSetState; }
  void Modified() { FModified = true; }
  void Reset();
  Integer MoveBy(Integer Distance) { return inherited::MoveBy(Distance); }

protected:
  friend class TCustomDBAxisGridEh;
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(Integer Distance) override;
  void FocusControl(TField*& Field) override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  void UpdateData() override;
  void CheckBrowseMode() override;

private:
  void RememberBookmark();

  Integer FFieldCount = 0;
  std::vector<Integer> FFieldMap;
  Integer FFieldMapSize = 0;
  TCustomDBAxisGridEh* FGrid;
  bool FInUpdateData = false;
  bool FSparseMap = false;
  bool FModified = false;
  TBookmark FLastBookmark;
  TDataSetState FLastDataSetState = dsInactive;
};

// ---------------------------------------------------------------------------
// The data-aware grid base.

// The message a grid posts to itself to lay out once its locks are free.
constexpr UINT WM_DEFERREDLAYOUTEH = WM_USER + 100;

class TCustomDBAxisGridEh : public TCustomGridEh, public IInplaceEditHolderEh {
  VELMORA_CLASS(TCustomDBAxisGridEh)
  using inherited = TCustomGridEh;
public:
  explicit TCustomDBAxisGridEh(TComponent* AOwner);
  ~TCustomDBAxisGridEh() override;

  // Properties.
  TDBGridEhAllowedOperations AllowedOperations() const { return FAllowedOperations; }
  void SetAllowedOperations(TDBGridEhAllowedOperations Value);
  TControlBorderEh* Border() const { return FBorder.get(); }
  void SetBorder(TControlBorderEh* Value) { FBorder->Assign(Value); }
  TDataSource* DataSource() const;
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }
  bool DrawGraphicData() const { return FDrawGraphicData; }
  void SetDrawGraphicData(bool Value);
  bool DrawMemoText() const { return FDrawMemoText; }
  void SetDrawMemoText(bool Value);
  TDynVarsEh* DynProps() const { return FDynProps.get(); }
  void SetDynProps(TDynVarsEh* Value) { FDynProps->Assign(Value); }
  TIncludeImageModulesEh IncludeImageModules() const { return FIncludeImageModules; }
  void SetIncludeImageModules(TIncludeImageModulesEh Value) { FIncludeImageModules = Value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  TFont* TitleFont() const { return const_cast<TCustomDBAxisGridEh*>(this)->GetTitleFont(); }
  TNotifyEvent OnEditButtonClick;
  TNotifyEvent OnTopLeftChanged;

  TGridAxisBarsEh* AxisBars() const { return FAxisBars.get(); }
  void SetAxisBars(TGridAxisBarsEh* Value) { FAxisBars->Assign(Value); }
  TAxisBarDefValuesEh* AxisBarDefValues() const { return FColumnDefValues.get(); }
  void SetAxisBarDefValues(TAxisBarDefValuesEh* Value) { FColumnDefValues->Assign(Value); }
  TAxisBarDefValuesEh* ColumnDefValues() const { return FColumnDefValues.get(); }
  TAxisGridDataLinkEh* DataLink() const { return FDataLink.get(); }
  Integer FieldCount() const;
  TField* Fields(Integer I) const;
  TField* SelectedField();
  void SetSelectedField(TField* Value);
  Integer SelectedIndex() { return GetSelectedIndex(); }
  TAxisBarsEhList* VisibleAxisBars() const { return FVisibleAxisBars.get(); }
  TPersistent* AxisBarOwner() const { return FAxisBarOwner; }
  void SetAxisBarOwner(TPersistent* Value) { FAxisBarOwner = Value; }
  bool AcquireFocusEnabled() const { return FAcquireFocus; }
  void SetAcquireFocusEnabled(bool Value) { FAcquireFocus = Value; }
  Integer Interlinear() const { return FInterlinear; }
  Integer InplaceEditorButtonWidth() const { return FInplaceEditorButtonWidth; }
  Integer InplaceEditorButtonHeight() const { return FInplaceEditorButtonHeight; }
  const String& EditText() const { return FEditText; }
  const Variant& EditKeyValue() const { return FEditKeyValue; }
  void SetEditKeyValue(const Variant& Value) { FEditKeyValue = Value; }
  void SetEditTextValue(const String& Value) { FEditText = Value; }
  bool LayoutFromDataset() const { return FLayoutFromDataset; }
  Integer LayoutLock() const { return FLayoutLock; }
  Integer UpdateLock() const { return FUpdateLock; }
  IMemTableEh* IntMemTable() const { return FIntMemTable; }
  void SetIntMemTable(IMemTableEh* Value) { FIntMemTable = Value; }
  TAxisColCellParamsEh* ColCellParamsEh() const { return FColCellParamsEh.get(); }

  // Layout.
  void BeginLayout();
  void EndLayout();
  void CancelLayout();
  void EndLayoutDeferred();
  bool AcquireLayoutLock();
  void BeginUpdateLock();
  void EndUpdateLock();

  // Bars and fields.
  TAxisBarEh* FindFieldColumn(const String& FieldName) const;
  TAxisBarEh* GetFieldAxisBars(const String& FieldName) const;
  bool ValidFieldIndex(Integer FieldIndex) const;
  bool DataSetActive() const;

  void LockEditor() { ++FLockEditorCount; }
  void UnlockEditor() { --FLockEditorCount; }
  Integer LockEditorCount() const { return FLockEditorCount; }
  bool InplaceEditorVisible() const;
  void ResetTimer(Integer Interval);
  void StopTimer();
  bool TimerActive() const { return FTimerActive; }

  // IInplaceEditHolderEh.
  bool InplaceEditCanModify(TControl* Control) override;
  void GetMouseDownInfo(TPoint& Pos, LongInt& Time) override;
  void InplaceEditWndProc(TControl* Control, TMessage& Message) override;
  void InplaceEditKeyDown(TControl* Control, Word& Key, TShiftState Shift) override;
  void InplaceEditKeyPress(TControl* Control, QChar& Key) override;
  void InplaceEditKeyUp(TControl* Control, Word& Key, TShiftState Shift) override;
  void InternalSetFocus(TControl* Control) override;
  using inherited::InternalSetFocus;

  // Virtual operations, in the order the axis grid introduces them.
  virtual bool AcquireFocus();
  virtual bool CanEditByAllowedOperations();
  virtual void GetBarsPropertyName(String& Name);
  virtual bool CanEditAxisBar(Integer Index) { (void)Index; return false; }
  virtual bool CanEditModifyData();
  virtual bool IsDataEditorMode() { return false; }
  virtual bool IsCell3D(Integer ACol, Integer ARow, TGridDrawState State);
  virtual TAxisBarDefValuesEh* CreateAxisBarDefValues();
  virtual TGridAxisBarsEh* CreateAxisBars();
  virtual TAxisColCellParamsEh* CreateColCellParams();
  virtual TAxisGridDataLinkEh* CreateDataLink();
  virtual TAlignment DefaultTitleAlignment() { return taLeftJustify; }
  virtual TColor DefaultTitleColor() { return FixedColor(); }
  virtual TAxisBarEh* GetTitleBarAtPos(TPoint Pos) { (void)Pos; return nullptr; }
  virtual TAxisColCellParamsEh* GetColCellParamsEh() { return FColCellParamsEh.get(); }
  virtual Integer GetInplaceEditorTextLeft(TAxisBarEh* AxisBar) { (void)AxisBar; return 3; }
  virtual TWinControl* GetOpenPopupListbox() { return nullptr; }
  virtual Integer GetSelectedIndex() { return -1; }
  virtual TColor GetGrayHighlightColor();
  virtual Integer GetSortMarkerStyle() { return 0; }
  virtual TFont* GetTitleFont();
  virtual bool IsFixed3D() { return true; }
  virtual bool ContainsFocus();
  virtual bool UseViewScroll() { return FIntMemTable != nullptr; }
  virtual void AxisBarDeleting(TAxisBarEh* AxisBar) { (void)AxisBar; }
  virtual void DataChanged() {}
  virtual void DefineFieldMap();
  virtual void EditButtonClick();
  virtual void EditingChanged();
  virtual void GetCellParams(TAxisBarEh* AxisBar, TFont* AFont, TColor& Background, TGridDrawState State);
  virtual void GetBarCurrentCell(TAxisBarEh* AxisBar, Integer& ACol, Integer& ARow);
  virtual void GetDataSetFieldList(TList* List);
  virtual void InternalLayout();
  virtual void LayoutChanged();
  virtual void LinkActive(bool Value);
  virtual void BarLookupStateChanged(TAxisBarEh* AxisBar) { (void)AxisBar; }
  virtual void BindAxisBars();
  virtual void RecordChanged(TField* Field);
  virtual void Scroll(Integer Distance) { (void)Distance; }
  virtual void GridActiveChanged();
  virtual void UpdateAxisBarsSizes() {}
  virtual void SetDataSource(TDataSource* Value);
  virtual void SetSelectedIndex(Integer Value);
  virtual void SetTitleFont(TFont* Value);
  virtual void UpdateActive() {}
  virtual Integer GetCellTreeElmentsAreaWidth() { return 0; }
  virtual void CancelEditing() {}
  virtual void UpdateData();

  // Data-cell painting (DBAxisGridsEhPaint.cpp).
  virtual void DefaultDrawDataCell(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar, TRect AreaRect,
                                   TAxisColCellParamsEh* Params);
  virtual bool CheckFillDataCell(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar, TRect AreaRect,
                                 TAxisColCellParamsEh* Params);
  virtual void DrawDataCellBackground(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar, TRect ARect,
                                      TAxisColCellParamsEh* Params);
  // The controls of a cell's place box draw themselves, its data area shows
  // the cell's contents (DBAxisGridsEhPlaceBoxes.cpp).
  virtual void DrawPlaceBoxControls(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar, TRect CellRect,
                                    TAxisColCellParamsEh* Params);
  virtual void DrawDataCellMainContent(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar, TRect CellRect,
                                       TAxisColCellParamsEh* Params, TRect ContentRect);
  virtual void WriteDataCellText(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar, TCanvas* ACanvas,
                                 TRect ARect, bool FillRect, Integer DX, Integer DY, const String& Text,
                                 TAlignment Alignment, TTextLayout Layout, bool WordWrap, bool EndEllipsis,
                                 Integer LeftMarg, Integer RightMarg, bool SingleLine);
  using inherited::WriteCellText;
  void WriteCellText(TAxisBarEh* AxisBar, TCanvas* ACanvas, TRect ARect, bool FillRect, Integer DX, Integer DY,
                     const String& Text, TAlignment Alignment, TTextLayout Layout, bool WordWrap,
                     bool EndEllipsis, Integer LeftMarg, Integer RightMarg, bool SingleLine);
  void DrawCellButtonGlyph(TCanvas* ACanvas, TRect ARect, bool Enabled, bool Hot, bool Flat,
                           TDrawButtonControlStyleEh Kind, Integer CheckState, TColor FillColor);
  void DrawCellImage(TCustomImageList* ImageList, TBitmap* Bitmap, TRect ARect, TAlignment Alignment,
                     Integer Offset, Integer ImageIndex, TRect ClipRect, TCanvas* ACanvas);
  void DrawCheckBox(TCanvas* ACanvas, TRect ARect, TCheckBoxState State, bool AFlat);
  virtual void DrawCellPicture(TCanvas* ACanvas, TAxisBarEh* AxisBar, double Scale, bool FillRect, TRect ARect);
  // A new picture from the bar's blob field; the caller owns it.
  virtual std::unique_ptr<TPicture> LoadBarPicture(TAxisBarEh* AxisBar);
  virtual void DrawFixedCellBackground(TCanvas* ACanvas, Integer DrawStyle, TRect ARect, bool Pressed, bool Hot,
                                       TRect ClipRect, TColor FillColor);
  virtual void DrawBlankCellBackground(TRect ARect, bool Highlight, bool Is3D, TAxisColCellParamsEh* Params);
  virtual Integer GetFixedCellDrawStyle();
  void GetThemeTitleFillRect(TRect& ARect, bool ExtendRight, bool ExtendBottom);
  virtual bool HighlightDataCellColor(Integer AreaCol, Integer AreaRow, const String& Value, TGridDrawState State,
                                      TColor& AColor, TFont* AFont);
  void DrawCell3DFrame(TCanvas* ACanvas, TRect ARect, bool Sunken, bool LeadingEdges, bool TrailingEdges,
                       bool AFlat);
  void WriteRotatedCellText(TAxisBarEh* AxisBar, TCanvas* ACanvas, TRect ARect, bool FillRect, Integer DX,
                            Integer DY, const String& Text, TAlignment Alignment, TTextLayout Layout,
                            bool WordWrap, bool EndEllipsis);
  // Colours of a raised cell of Kind 1 (themed), 2 (classic) or 3 (gradient)
  // under a custom visual style; clNone without one.
  void GetCustomStyleCellColors(TColor& FillColor, TColor& TextColor, TColor& GradientColor1,
                                TColor& GradientColor2, Integer Kind, bool Pressed, bool Hot);
  void GetCustomStyleFillColors(TColor& FromColor, TColor& ToColor, bool Pressed, bool Hot);
  // The cell in client coordinates (or those of the unscrolled grid),
  // without the grid lines unless IncludeCellLines.
  TRect CellRect(Integer ACol, Integer ARow, bool IncludeCellLines);
  TRect CellRectAbs(Integer ACol, Integer ARow, bool IncludeCellLines);
  TRect RemoveCellLinesFromRect(Integer ACol, Integer ARow, TRect ARect);
  TRect BoxRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);
  void InvalidateCellsRect(const TGridRect& ARect);

  // In-cell place boxes, hot tracking over controls and links, the
  // edit-buttons box over the current cell, data hints
  // (DBAxisGridsEhPlaceBoxes.cpp).
  TCellPlaceBoxVisibleListEh* CellPlaceBoxVisibleList() const { return FCellPlaceBoxVisibleList.get(); }
  // The in-cell control box under the mouse; the box of a pressed control.
  TInCellPlaceBoxEh* HotTrackInCellControl() const { return FHotTrackInCellControl; }
  TInCellPlaceBoxEh* MouseDownInCellPlaceBox() const { return FMouseDownInCellPlaceBox; }
  void SetMouseDownInCellPlaceBox(TInCellPlaceBoxEh* Value) { FMouseDownInCellPlaceBox = Value; }
  const TRectDynArray& MouseCellTextBounds() const { return FMouseCellTextBounds; }
  Integer MousePointInCellTextBoundIndex() const { return FMousePointInCellTextBoundIndex; }
  TFont* HintFont();
  virtual void UpdatePlaceBoxListForCell(Integer ACol, Integer ARow, TInCellPlaceBoxEh* PlaceBox);
  virtual void FillPlaceBoxForCell(Integer ACol, Integer ARow, TInCellPlaceBoxEh* PlaceBox, TAxisBarEh* AxisBar);
  virtual void FillPlaceBox(Integer ACol, Integer ARow, TInCellPlaceBoxEh* PlaceBox, TAxisBarEh* AxisBar,
                            TRect CellRect);
  virtual TInCellPlaceBoxEh* GetCellPlaceBox(Integer ACol, Integer ARow);
  virtual TInCellPlaceBoxEh* GetCellPlaceBoxChildAtPos(Integer ACol, Integer ARow, Integer X, Integer Y,
                                                       TAxisBarEh* AxisBar);
  virtual void UpdateCellTextBounds(TPoint CellSize, TAxisBarEh* AxisBar);
  virtual void UpdateCellTextBoundsForCell(Integer ACol, Integer ARow, TAxisBarEh* AxisBar);
  virtual void UpdateCellTextBoundsAtPos(Integer ACol, Integer ARow);
  virtual Integer GetCellTextBoundIndexAtPos(Integer ACol, Integer ARow, Integer X, Integer Y);
  virtual bool IsMouseOverCellDataLink();
  virtual bool IsMouseOverCellImageLink();
  virtual bool IsMouseOverCellLink();
  virtual TEditButtonsBoxEh* GetEditButtonsBox();
  virtual bool IsEditButtonsBoxVisible();
  virtual void CreateEditButtonControl(TEditButtonControlEh*& Control);
  virtual void UpdateEditButtonsBox();
  virtual void HideEditButtonsBox();
  virtual void DefaultFillDataHintShowInfo(TPoint CursorPos, TGridCoord Cell, TAxisBarEh* AxisBar,
                                           TDBAxisGridDataHintParamsEh* Params);
  // Marks the place boxes of the visible cells for rebuilding.
  void InvalidatePlaceBoxes();
  // The extended border on the window frame (a no-op without one).
  virtual void DrawBorder();
  Integer ExtendedBorderWidth() const;
  void UpdateHotTrack(Integer X, Integer Y) override;
  void TopLeftChanged(Int64 OldLeftPos, Int64 OldTopPos) override;
  void CurrentCellMoved(TGridCoord OldCurrent) override;
  void ColWidthsChanged() override;
  void RowHeightsChanged() override;
  void CelCountChanged() override;
  // --- Buttons inside data cells (DBAxisGridsEhButtons.cpp).
  // The one painter of edit buttons and cell buttons in cells. DownButton:
  // 0 up, 1 pressed or the upper half, 2 the lower half; Transparency in
  // percent; drawing stays inside MasterRect.
  void DrawCellEditButton(TAxisBarEh* AxisBar, TCanvas* ACanvas, bool DrawButtonBack, Integer ImageIndex,
                          TCustomImageList* ImageList, Integer Transparency, TBitmap* Glyph, TColor FillColor,
                          bool Enabled, bool AFlat, bool HotTrack, Integer DownButton, const TRect& MasterRect,
                          TRect ButtonRect, TEditButtonStyleEh Style);
  virtual Integer GetCellButtonTransparency(Integer ACol, Integer ARow, TEditButtonEh* Button,
                                            TAxisColCellParamsEh* Params, TAxisBarEh* AxisBar);
  virtual bool ShowCellButtonDropDownForm(TObject* PlaceBox, TCellButtonEh* CellButton, bool& Handled,
                                          const TRect& ScreenRect, TAxisBarEh* AxisBar);
  // Whether a drop-down form of that box has just closed: the press that
  // closed it must not open it again.
  virtual bool IsDropDownClosePending(TObject* PlaceBox);
  // The cell's rectangle without its lines, in client coordinates.
  virtual void GetAxisBarCellDataRect(Integer ACol, Integer ARow, TRect& ARect, TAxisBarEh* AxisBar);
  bool IsMouseInRect(const TRect& ARect);
  // Records the in-cell box whose control took a press, with its cell
  // (nullptr: none); the cell of the pressed box.
  void PressInCellPlaceBox(TObject* PlaceBox, TGridCoord Cell);
  TGridCoord PressedInCell() const { return FMouseDownInCellBoxCell; }
  // A press and a release in a data cell that go to the control in it, for
  // the descendant's mouse handling: the press answers whether a control
  // took it (False: none, or it wants the cell editor shown).
  bool InCellControlMouseDown(TGridCoord Cell, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void InCellControlMouseUp(TGridCoord Cell, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  // A cell button of the selected bar whose short cut the key is: pressed
  // and released in the current cell; answers whether one was.
  bool CellButtonShortCut(Word Key, TShiftState Shift);
  // --- End of buttons inside data cells.

  // Overrides of the base grid.
  bool CanEditAcceptKey(QChar Key) override;
  bool CanEditModify() override { return false; }
  bool CanEditShow() override;
  Integer GetEditLimit() override;
  String GetEditMask(Integer ACol, Integer ARow) override;
  String GetEditText(Integer ACol, Integer ARow) override;
  void SetEditText(Integer ACol, Integer ARow, const String& Value) override;
  bool IsCellHotTrackable(Integer ACol, Integer ARow) override { (void)ACol; (void)ARow; return true; }
  bool NeedBufferedPaint() override { return true; }
  void FlatChanged() override;
  void InvalidateEditor() override;

  // --- The shared behaviour object's requests (DBAxisGridsEhOperations.cpp).
  virtual TDBAxisGridEhCenter* DefaultCenter();
  virtual void EditButtonDefaultAction(TAxisBarEh* AxisBar, TWinControl* EditControl, TObject* PlaceBox,
                                       TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                       const TRect& EditorRect, bool IsMouseDown, bool& Handled);
  virtual void FormAxisBarSystemPopupMenu(TAxisBarEh* AxisBar, TPopupMenu* Menu);
  // --- End of the behaviour object's requests.

  // Registers the published properties the descendants stream.
  static void RegisterClass();

protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  // Makes the column defaults, the bars, the data link and the cell
  // parameters through the factories. The constructor calls it; a
  // descendant with factories of its own calls it again in its constructor.
  void CreateParts();
  // Whether the cell editor's read-only state was set explicitly (by a
  // cell-parameter event), and to what.
  virtual bool EditorReadOnlyStated(bool& ReadOnly);
  bool IsDestroying() const { return ComponentState().Contains(csDestroying); }
  bool IsLoading() const { return ComponentState().Contains(csLoading); }

  bool FAcquireFocus = true;
  bool FAllowWordWrap = false;
  bool FCanvasHandleAllocated = false;
  Integer FDownMouseMessageTime = 0;
  TPoint FDownMousePos;
  bool FDrawGraphicData = false;
  bool FDrawMemoText = false;
  Variant FEditKeyValue;
  String FEditText;
  Integer FInplaceEditorButtonHeight = 0;
  Integer FInplaceEditorButtonWidth = 0;
  Integer FInterlinear = 4;
  IMemTableEh* FIntMemTable = nullptr;
  bool FLayoutFromDataset = false;
  Integer FLockEditorCount = 0;
  bool FNoDesigntControler = false;
  TGridCoord FPressedCell;
  bool FSelectionActive = false;
  bool FTimerActive = false;
  Integer FTimerInterval = -1;
  std::unique_ptr<TAxisBarsEhList> FVisibleAxisBars;
  TAxisBarEh* FHotTrackAxisBar = nullptr;
  TPersistent* FAxisBarOwner = nullptr;
  // --- Buttons inside data cells.
  TGridCoord FMouseDownInCellBoxCell;
  // --- End of buttons inside data cells.

  // In-cell place boxes, links and hints.
  std::unique_ptr<TCellPlaceBoxVisibleListEh> FCellPlaceBoxVisibleList;
  TInCellPlaceBoxEh* FHotTrackInCellControl = nullptr;
  TInCellPlaceBoxEh* FMouseDownInCellPlaceBox = nullptr;
  TRectDynArray FMouseCellTextBounds;
  bool FMouseCellTextBoundsObsolete = true;
  Integer FMousePointInCellTextBoundIndex = -1;
  bool FCellDataWantAsLink = false;
  bool FCellImageWantAsLink = false;
  TEditButtonsBoxEh* FEditButtonsBox = nullptr;   // owned as a child component
  std::unique_ptr<TInCellPlaceBoxEh> FDrawPlaceBox;   // for cells outside the buffer
  std::unique_ptr<TFont> FHintFont;
  // --- Window, focus, input method and scaling (DBAxisGridsEhWindow.cpp).
public:
  bool SelectionActive() const { return FSelectionActive; }
  Integer BorderWidth() const { return FBorderWidth; }
  String OriginalImeName() const { return FOriginalImeName; }
  TImeMode OriginalImeMode() const { return FOriginalImeMode; }
  // Called by the border settings when their colour or edges change.
  void BorderChanged();
  // Makes the window anew when the border's drawing is no longer the one
  // the window was made for (after Flat or a stored setting changes).
  void UpdateBorderWindow();
  void UpdateIme();
  void SetIme();
  void ChangeScale(Integer M, Integer D) override;
  void InplaceEditTextChanged();
protected:
  TInplaceEdit* CreateEditor() override;
  // The window creation (the platform's CreateHandle).
  void CreateHandle() override;
  void CreateParams(TCreateParams& Params) override;
  void DoEnter() override;
  void DoExit() override;
  void Paint() override;
  void DefineProperties(TFiler& Filer) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMCancelMode(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void CMWantSpecialKey(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void WMNCCalcSize(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMCommand(TMessage& Message);
  void WMIMEStartComposition(TMessage& Message);
  void CMSysColorChange(TMessage& Message);
  // Handles the messages above that the platform has no handler slot for;
  // true when the message was taken.
  bool WindowMessage(TMessage& Message);
  void ReadBars(TReader& Reader);
  void WriteBars(TWriter& Writer);
  bool BarsStored(TFiler& Filer);

  Integer FBorderWidth = 0;
  bool FWindowExtendedDraw = false;   // the border drawing the window was made for
  String FOriginalImeName;
  TImeMode FOriginalImeMode = imDontCare;
  // --- End of window block.

private:
  friend class TAxisGridDataLinkEh;
  void PostDeferredLayout();
  void DeleteNonStoredBarsAfterStored();
  void LayoutDefaultBars();
  bool HasFieldInMap(TField* Field) const;
  void FieldRemoved(TComponent* Field);

  TDBGridEhAllowedOperations FAllowedOperations = {alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh};
  std::unique_ptr<TGridAxisBarsEh> FAxisBars;
  std::unique_ptr<TAxisColCellParamsEh> FColCellParamsEh;
  std::unique_ptr<TAxisBarDefValuesEh> FColumnDefValues;
  std::unique_ptr<TAxisGridDataLinkEh> FDataLink;
  bool FDefaultDrawing = true;
  std::unique_ptr<TDynVarsEh> FDynProps;
  TIncludeImageModulesEh FIncludeImageModules;
  bool FLayoutChangedInUpdateLock = false;
  Integer FLayoutLock = 0;
  bool FReadOnly = false;
  Integer FUpdateLock = 0;
  std::unique_ptr<TControlBorderEh> FBorder;
};

// ---------------------------------------------------------------------------
// The behaviour the axis grids share: the default actions of edit buttons
// and the system menu of a bar (DBAxisGridsEhOperations.cpp).

// A command of a bar's system menu.
class TAxisBarEhMenuItem : public TMenuItemEh {
  VELMORA_CLASS(TAxisBarEhMenuItem)
public:
  explicit TAxisBarEhMenuItem(TComponent* AOwner) : TMenuItemEh(AOwner) {}
  TAxisBarEh* AxisBar = nullptr;
};

class TDBAxisGridEhCenter : public TPersistent {
  VELMORA_CLASS(TDBAxisGridEhCenter)
public:
  virtual void Changed() {}
  virtual void EditButtonDefaultAction(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar, TWinControl* EditControl,
                                       TObject* PlaceBox, TEditButtonEh* EditButton,
                                       TEditButtonControlEh* EditButtonControl, const TRect& EditorRect,
                                       bool IsMouseDown, bool& Handled);
  virtual void EditButtonDefaultActionForImage(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar,
                                               TWinControl* EditControl, TEditButtonEh* EditButton,
                                               TEditButtonControlEh* EditButtonControl, bool IsMouseDown,
                                               bool& Handled);
  virtual void EditButtonDefaultActionText(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar, TWinControl* EditControl,
                                           TObject* PlaceBox, TEditButtonEh* EditButton,
                                           TEditButtonControlEh* EditButtonControl, const TRect& EditorRect,
                                           bool IsMouseDown, bool& Handled);
  virtual void FormSystemPopupMenuForColumn(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar, TPopupMenu* Menu);
  virtual void MenuItemCopy(TObject* Sender);
  virtual void MenuItemCut(TObject* Sender);
  virtual void MenuItemPaste(TObject* Sender);
  virtual void MenuItemDelete(TObject* Sender);
  virtual void MenuItemLoad(TObject* Sender);
  virtual void MenuItemSave(TObject* Sender);
};

// The behaviour object of all axis grids, made on first use.
TDBAxisGridEhCenter* DBAxisGridEhCenter();

// The cursors the data-aware grid shows while moving columns and rows.
TCursor DBAxisGridDownCursorEh();
TCursor DBAxisGridRightCursorEh();
TCursor DBAxisGridLeftCursorEh();

// Whether the column-title drag window paints without double buffering.
extern bool DBAxisGridTitleDragWindowUnbufferedEh;

// Whether one border line of a cell is drawn.
bool IsCellBorderVisibleEh(TCustomGridEh* Grid, Integer ACol, Integer ARow, TGridCellBorderTypeEh BorderType);

// Reads a base grid's options from outside the grid class.
TGridOptionsEh GetGridOptionsEh(TCustomGridEh* Grid);

// Registers the axis grid's streamable classes (bars, titles, buttons,
// defaults) with the class registry.
void RegisterDBAxisGridsEhClasses();

// ---------------------------------------------------------------------------
// The grid's inplace editor: the current bar's edit buttons at its right,
// its drop-downs, completion of typed text and the image of the value.

// The editor's kind of drop-down. An Alt kind behaves as its plain one.
enum TEditStyle {
  esSimple, esEllipsis, esPickList, esLookupDataList, esDateCalendar, esUpDown, esDropDown, esAltUpDown,
  esAltDropDown, esAltCalendar, esAltPickList, esAltLookupDataList, esDataList, esAltDataList
};

bool IsListEditStyleEh(TEditStyle Style);
bool IsLookupEditStyleEh(TEditStyle Style);
bool IsPickEditStyleEh(TEditStyle Style);
bool IsCalendarEditStyleEh(TEditStyle Style);
bool IsUpDownEditStyleEh(TEditStyle Style);
// The style a bar's ButtonStyle gives, before the edit buttons are asked.
TEditStyle AxisBarButtonEditStyleEh(TAxisBarEh* AxisBar);
// --- A button's drop-down menu, under the button control; the press that
// closed the menu is dropped and the control released.
void PopupMenuUnderControl(TPopupMenu* Menu, TEditButtonControlEh* Control);
// --- End of the button's drop-down menu.

class TDBAxisGridInplaceEdit;

// The core edit of the grid's editor: list keys go to the open drop-down
// before the edit sees them.
class TDBAxisGridnplaceEditCoreControl : public TInplaceEditCoreControl {
  VELMORA_CLASS(TDBAxisGridnplaceEditCoreControl)
  using inherited = TInplaceEditCoreControl;
public:
  explicit TDBAxisGridnplaceEditCoreControl(TDBAxisGridInplaceEdit* AOwner);
  ~TDBAxisGridnplaceEditCoreControl() override;
  TDBAxisGridInplaceEdit* AxisEdit() const;
  TControlCanvas* Canvas() const { return FCanvas.get(); }

protected:
  void WndProc(TMessage& Message) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void DblClick() override;
  void CreateParams(TCreateParams& Params) override;
  // --- Wrapped text: Up and Down between its lines stay in the text.
  void KeyDown(Word& Key, TShiftState Shift) override;
  // --- End of wrapped text block.

private:
  // The list and MRU keys; true when the message was taken.
  bool ListKeyMessage(TMessage& Message);
  bool MRUKeyMessage(TMessage& Message);
  void AfterKeyMessage();

  std::unique_ptr<TControlCanvas> FCanvas;
};

class TDBAxisGridInplaceEdit : public TInplaceEdit, public IComboEditEh {
  VELMORA_CLASS(TDBAxisGridInplaceEdit)
  using inherited = TInplaceEdit;
public:
  explicit TDBAxisGridInplaceEdit(TComponent* AOwner);
  ~TDBAxisGridInplaceEdit() override;

  TCustomDBAxisGridEh* GetGrid() const;
  // The bar at the grid's SelectedIndex; nullptr when there is none.
  TAxisBarEh* GetAxisBar() const;
  TEditStyle EditStyle() const { return FEditStyle; }
  void SetEditStyle(TEditStyle Value);
  TEditStyle EditButtonStyle() const { return FEditButtonStyle; }
  TWinControl* ActiveList() const { return FActiveList; }
  void SetActiveList(TWinControl* Value) { FActiveList = Value; }
  TEditButtonsBoxEh* ButtonsBox() const { return FButtonsBox; }
  TWinControl* DataList() const { return FDataList; }
  bool DroppedDown() const { return FDroppedDown; }
  bool ListVisible() const { return FListVisible; }
  Integer ImageIndex() const { return FImageIndex; }
  bool LockCloseList() const { return FLockCloseList; }
  void SetLockCloseList(bool Value) { FLockCloseList = Value; }
  TDataSource* LookupSource() const { return FLookupSource; }
  TMRUListEh* MRUList() const { return FMRUList; }
  TMRUListboxEh* GetMRUListControl();
  TPopupListboxFormEh* PickList() const { return FPickList; }
  bool WordWrap() const { return FWordWrap; }
  bool ReadOnlyStored() const { return FReadOnlyStored; }
  bool UserTextChanged() const { return FUserTextChanged; }
  bool VisibleListWantFocus() const { return FVisibleListWantFocus; }
  // The main button control's held-down state (the bar's EditButtonPressed).
  bool MainButtonPressed() const;
  void SetMainButtonPressed(bool Value);
  Integer FirstVisibleButtonIndex() const;

  // IComboEditEh.
  void CloseUp(bool Accept) override;

  // Virtual operations, in the order the editor introduces them.
  virtual void UpdateImageIndex();
  virtual bool ActiveListMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos);
  virtual TMRUListboxEh* CreateMRUListControl();
  virtual bool IsButtonMessagePending(TEditButtonControlEh* ButtonControl, TEditButtonEh* EditButton);
  virtual TWinControl* GetPopupCalculator();
  virtual void DefaultEditButtonAction(bool IsBottom, bool& Handled);
  virtual TRect CalcEditRect();
  virtual void CallEditButtonDropDownForm(TEditButtonEh* EditButton, TEditButtonControlEh* ButtonControl,
                                          bool& Handled);
  virtual void CreateEditButtonControl(TEditButtonControlEh*& Control);
  virtual void ProcessTypedText(String& Text);
  virtual void DropDown();
  virtual void EditButtonClick(TObject* Sender);
  virtual void EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
  virtual void EditButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  virtual void EditButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void FilterMRUItem(const String& Text, bool& Accept);
  virtual void GetEditValue(Variant& Value);
  virtual void SetEditValue(const Variant& Value);
  virtual void TextChangedByUser();

  // Overrides of the base editor.
  void GetEditCoreControlRect(TRect& Rect) override;
  bool HandleCut(TMessage& Message) override;
  bool HandlePaste(TMessage& Message) override;
  bool HandleClear(TMessage& Message) override;
  TInplaceEditCoreControl* CreateEditCoreControl() override;
  void UpdateEditCoreControlBounds() override;
  void CoreControlKillFocus(HWND FocusedWnd) override;
  void UpdateContents() override;
  void Hide() override;

  // Steps the bar's value from an up-down button half.
  void StepValue(bool TopHalf);
  // The edit text becomes the grid's edit text and, for lookups, the key.
  void EditTextToKeyValue();

protected:
  friend class TDBAxisGridnplaceEditCoreControl;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void KeyPress(QChar& Key) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void WMSetFocus(TMessage& Message) override;
  void CMCancelMode(TMessage& Message);

  // Loading: the button style, the effective style and its list.
  void UpdateEditButtonStyle(TAxisBarEh* Column);
  void UpdateEffectiveEditStyle(TAxisBarEh* Column);
  void UpdateActiveList(TAxisBarEh* Column);
  void LayoutButtonsBox(TAxisBarEh* Column);
  void UpdateButtonsDefaultActions(TAxisBarEh* Column);
  // The list keys of list and calculator styles; Key 0 when taken.
  void ListKeyDown(Word& Key, TShiftState Shift);
  // Typed text completed against a lookup list or a pick list; Text is
  // emptied when the character was consumed.
  void LookupTypedText(TAxisBarEh* Column, String& Text);
  void PickListTypedText(TAxisBarEh* Column, String& Text);
  // The open list follows FEditKeyValue (drop-down grid) or the text.
  void ListFollowsEditText(TAxisBarEh* Column);
  // Sets the text by program, with the completed tail after Caret selected.
  void SetTextWithTail(const String& Text, Integer Caret);
  bool PasteIntoFreeText(TAxisBarEh* Column, const String& Clip);
  bool PasteIntoList(TAxisBarEh* Column, const String& Clip);

  // The drop-downs' close handlers.
  void PickListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void DataListCloseUp(TObject* Sender, bool Accept);
  void MRUListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void ActiveListCloseUp(bool Accept) { CloseUp(Accept); }
  // The MRU drop-down: shown or refreshed for the editor text, and closed.
  void MRUListDropDown();
  void MRUListCloseUp(bool Accept);

  // --- Drop-downs and their closing (DBAxisGridsEhInplaceDropDown.cpp).
  void DropDownDataGrid(TCustomDBAxisGridEh* G, TAxisBarEh* Column, IPopupDataGridBoxEh* Box,
                        TDataSet* ListDataSet, Integer Align);
  // False when the calendar did not stay open.
  bool DropDownCalendar(TAxisBarEh* Column, Integer Align);
  void DropDownCalculator(TCustomDBAxisGridEh* G, Integer Align);
  void DropDownPickList(TAxisBarEh* Column, Integer Align);
  void ShowPopupWindow(TWinControl* List);
  // Holds the first visible button down while a list is open.
  void SetFirstButtonDown(bool Down);
  // Item: the text of the chosen row, taken while the box still lists it.
  void AcceptDataGridChoice(TCustomDBAxisGridEh* G, TAxisBarEh* Column, const Variant& Key, bool Selected,
                            const String& Item);
  void AcceptCalendarChoice(TCustomDBAxisGridEh* G, TAxisBarEh* Column);
  void AcceptCalculatorChoice(TCustomDBAxisGridEh* G, TAxisBarEh* Column);
  void AcceptPickListChoice(TCustomDBAxisGridEh* G, TAxisBarEh* Column, const Variant& Key);
  void ClearListFilter(TAxisBarEh* Column);
  // --- End of drop-down block.

  // --- The bar's drop-down grid, its filter on typed text, the special row's
  // short cut and lines of wrapped text.
  void UseDataListBox(TAxisBarEh* Column);
  // The open drop-down grid filters its rows by the typed text.
  bool ListAutoFiltered(TAxisBarEh* Column) const;
  void ApplyListFilter(TAxisBarEh* Column, const String& FilterText);
  // True when the key was the special row's short cut.
  bool SpecRowShortCut(TAxisBarEh* Column, Word Key, TShiftState Shift);
  bool LineKeyLeavesText(TCustomDBAxisGridEh* G, bool Up) const;
  // The text becomes the open list's selected entry.
  void TextFollowsList();
  // --- End of drop-down grid, special row and lines block.

  // --- Wrapped text in a multi-line core control.
  // Up or Down stays with the core control, which moves between the lines.
  bool LineKeyStaysInText(Word Key);
  // The line feed of a Ctrl+Enter that pressed a button or opened a list.
  bool FLineFeedSpent = false;
  // --- End of wrapped text block.
  // --- A list closed by the press on its own button
  // (DBAxisGridsEhInplaceDropDown.cpp): that press is spent on the closing.
  bool PressOnFirstButton() const;
  // Answers whether the press was spent, forgetting it.
  bool TakeClosingPress();
  bool FPressClosedList = false;
  // --- End of closing press block.

  TWinControl* FActiveList = nullptr;
  TEditButtonsBoxEh* FButtonsBox = nullptr;   // owned
  String FCharKeyStr;
  TWinControl* FDataList = nullptr;           // the bar's
  bool FDroppedDown = false;
  TEditStyle FEditButtonStyle = esSimple;
  TEditStyle FEditStyle = esSimple;
  Integer FImageIndex = -1;
  bool FListColumnMothed = false;
  bool FLockCloseList = false;
  TDataSource* FLookupSource = nullptr;       // owned
  TMRUListEh* FMRUList = nullptr;             // the bar's
  TMRUListboxEh* FMRUListControl = nullptr;   // owned
  bool FNoClickCloseUp = false;
  TPopupListboxFormEh* FPickList = nullptr;   // owned
  TWinControl* FPopupCalculator = nullptr;    // owned
  TWinControl* FPopupMonthCalendar = nullptr; // owned
  bool FUserTextChanged = false;
  bool FWordWrap = false;
  Integer FFixedDownButton = -1;
  bool FListVisible = false;
  bool FVisibleListWantFocus = false;
  bool FReadOnlyStored = false;
};
