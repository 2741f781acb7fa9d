// ToolCtrlsEh.h: the library's shared routines: the cell text writer and text
// measuring, colour arithmetic, gradients and clipping, theme tests, value
// comparison and conversion, and the library-wide settings object.
#pragma once

#include "gridlib/foundation/GridPlatformEh.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"
#include "platform/data/DB.h"

#include <functional>
#include <memory>
#include <vector>

class TCustomImageList;

// ---------------------------------------------------------------------------
// Types shared by the library's subsystems.

enum TLocateTextOptionEh { ltoCaseInsensitiveEh, ltoAllFieldsEh, ltoMatchFormatEh, ltoIgnoteCurrentPosEh,
                           ltoStopOnEscapeEh, ltoInsideSelectionEh, ltoRestartAfterLastHitEh,
                           ltoWholeWordsEh, ltoStopKeyMessageEh };
using TLocateTextOptionsEh = TSet<TLocateTextOptionEh>;
enum TLocateTextDirectionEh { ltdUpEh, ltdDownEh, ltdAllEh };
enum TLocateTextMatchingEh { ltmAnyPartEh, ltmWholeEh, ltmFromBegingEh };
enum TLocateTextTreeFindRangeEh { lttInAllNodesEh, lttInExpandedNodesEh, lttInCurrentLevelEh, lttInCurrentNodeEh };
enum TSortOrderEh { soAscEh, soDescEh };
enum TSortMarkerEh { smNoneEh, smDownEh, smUpEh };
enum TTextOrientationEh { tohHorizontal, tohVertical };
enum TAggrFunctionEh { agfSumEh, agfCountEh, agfAvg, agfMin, agfMax };
enum TMTViewEventTypeEh { mtRowInsertedEh, mtRowChangedEh, mtRowDeletedEh, mtRowMovedEh, mtViewDataChangedEh };
enum TLSAutoFilterTypeEh { lsftBeginsWithEh, lsftContainsEh };

using TCloseUpEventEh = std::function<void(TObject* Sender, bool Accept)>;
using TAcceptEventEh = std::function<void(TObject* Sender, bool& Accept)>;
using TNotInListEventEh = std::function<void(TObject* Sender, const String& NewText, bool& RecheckInList)>;
using TUpdateDataEventEh = std::function<void(TObject* Sender, bool& Handled)>;
using TGetFieldDataEventEh = std::function<void(TObject* Sender, Variant& Value, bool& Handled)>;
using TLocateTextEventEh = std::function<bool(TObject* Sender, const String& FieldName, const String& Text,
                                              TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                                              TLocateTextMatchingEh Matching,
                                              TLocateTextTreeFindRangeEh TreeFindRange)>;
using TCloseWinCallbackProcEh = std::function<void(TWinControl* Control, bool Accept)>;
using TListGetImageIndexEventEh = std::function<void(TObject* Sender, Integer ItemIndex, Integer& ImageIndex)>;

// Implemented by a control that receives a memory table's view events.
class IMTEventReceiverEh {
public:
  virtual ~IMTEventReceiverEh() = default;
  virtual void MTViewEvent(Integer RowNum, TMTViewEventTypeEh Event, Integer OldRowNum) = 0;
};

// ---------------------------------------------------------------------------
// Text routines.

// Writes Text into Rect: the one writer of every cell, title, list item and
// calendar cell. DX, DY offset the text from the edges; LeftMarg, RightMarg
// are margins for the formatter.
void DrawCellTextEh(TCanvas* Canvas, TRect Rect, bool FillRect, Integer DX, Integer DY,
                    const String& Text, TAlignment Alignment, TTextLayout Layout, bool WordWrap,
                    bool EndEllipsis, Integer LeftMarg, Integer RightMarg, bool RightToLeft,
                    bool SingleLine);
// Text turned by 90 degrees, reading from bottom to top, filling Rect.
void WriteTextRotatedEh(TCanvas* Canvas, TRect Rect, bool FillRect, Integer DX, Integer DY,
                        const String& Text, TAlignment Alignment, TTextLayout Layout,
                        bool WordWrap, bool EndEllipsis, bool Unused = false);
void WriteClippedTextEh(TCanvas* Canvas, TRect Rect, Integer DX, TAlignment Alignment, const String& Text,
                        Integer DY);
String MinimizeTextEh(const String& Text, TCanvas* Canvas, Integer MaxWidth);
Integer DrawTextWidthEh(TCanvas* Canvas, const String& Text);
bool CanvasHasTransformEh(TCanvas* Canvas);

// Measures Text as DrawText does in Rect's width less ExtraWidth and 4 pixels;
// answers whether it does not fit.
bool IsTextCutInRectEh(TCanvas* Canvas, const TRect& Rect, const String& Text, UINT Flags,
                       bool WordWrap, bool SingleLine, bool EndEllipsis, TAlignment Alignment,
                       Integer ExtraWidth, Integer Interlinear, Integer& TextWidth, Integer& TextHeight);
// Whether a text starts with a right-to-left character; for a neutral first
// character the default.
bool FirstCharIsRightToLeftEh(const String& Text, bool Default);
// The reading order of a text by its first character: left to right for an
// empty text, the default for a neutral character.
TBiDiMode TextBiDiModeEh(const String& Text, TBiDiMode Default);

// A font's height, pitch, style, charset, name and colour.
struct TFontDataEh {
  Integer Height = 0;
  TFontPitch Pitch = fpDefault;
  TFontStyles Style;
  TFontCharset Charset = DEFAULT_CHARSET;
  TFontName Name;
  TColor Color = clWindowText;
};
void FontToFontDataEh(TFont* Font, TFontDataEh& Data);
void FontDataToFontEh(const TFontDataEh& Data, TFont* Font);

// Takes and drops a reference on the shared text bitmap (library start-up
// and shutdown).
void AddSharedTextBitmapRefEh();
void ReleaseSharedTextBitmapRefEh();

// ---------------------------------------------------------------------------
// Colours.

Integer LuminanceOfColorEh(TColor Color);
TColor GrayColorOfEh(TColor Color);
TColor DarkerColorEh(TColor Color1, TColor Color2);
TColor MixColorsByFactorEh(TColor Color1, TColor Color2, double Factor);
TColor MixColorsByPercentEh(TColor Color1, TColor Color2, Integer Percent);
TColor ColorWithLightnessEh(TColor Color, Integer Value);
constexpr Cardinal CLR_NONE = 0xFFFFFFFF;
constexpr Cardinal CLR_DEFAULT = 0xFF000000;
Cardinal ColorToImageListColorEh(TColor Color);

// ---------------------------------------------------------------------------
// Gradients, lines and clipping.

void FillVerticalGradientEh(TCanvas* Canvas, const TRect& Rect, TColor TopColor, TColor BottomColor);
void DrawGradientLinesEh(TCanvas* Canvas, TPoint Origin, const std::vector<TPoint>& Points,
                         TColor FromColor, TColor ToColor);
// Narrows the clip region to Rect; returns the previous region (nullptr: none).
HRGN IntersectClipRectEh(TCanvas* Canvas, const TRect& Rect);
// Selects Region back (nullptr removes clipping) and deletes it.
void RestoreClipRegionEh(TCanvas* Canvas, HRGN Region);
TPoint InterpolatePointEh(TPoint P1, TPoint P2, double Fraction);
// Draws image ImageIndex of Images (or Bitmap without a list) into Rect,
// vertically centred, clipped to Rect when it sticks out.
void DrawImageInRectEh(TCustomImageList* Images, TBitmap* Bitmap, TCanvas* Canvas, const TRect& Rect,
                       Integer ImageIndex, Integer DX, Integer DY, TAlignment Alignment,
                       const TRect& ClipRect, double Scale, bool Enabled);
// Image ImageIndex centred in Rect (clipped to it), in its selected look
// when Selected.
void DrawImageListImageCenteredEh(TCanvas* Canvas, const TRect& Rect, TCustomImageList* Images,
                                  Integer ImageIndex, bool Selected);
void DrawImageListImageCenteredEh(HDC DC, const TRect& Rect, TCustomImageList* Images, Integer ImageIndex,
                                  bool Selected);

enum TProgressBarTextTypeEh { pbttAsValue, pbttAsPercent };
enum TProgressBarFrameFigureTypeEh { pbfftRectangle, pbfftRoundRect };
enum TProgressBarFrameSizeTypeEh { pbfstFull, pbfstVal };
struct TProgressBarParamsEh {
  bool ShowText = true;
  TProgressBarTextTypeEh TextType = pbttAsPercent;
  Byte TextDecimalPlaces = 0;
  TAlignment TextAlignment = taCenter;
  TProgressBarFrameFigureTypeEh FrameFigureType = pbfftRectangle;
  TProgressBarFrameSizeTypeEh FrameSizeType = pbfstVal;
  Byte Indent = 1;
  String FontName;
  TColor FontColor = clWindowText;
  Integer FontSize = 8;
  TFontStyles FontStyle;
};
// Draws Value as a horizontal bar between MinValue and MaxValue.
void DrawProgressBarEh(TCanvas* Canvas, const TRect& Rect, TColor BarColor, const TProgressBarParamsEh* Params,
                       TColor BackColor, TColor FrameColor, double MaxValue, double MinValue, double Value);

// The shared 32-bit bitmap with a defined alpha channel that painters draw
// semi-transparent lines into.
class TCacheAlphaBitmapEh : public TBitmap {
  VELMORA_CLASS(TCacheAlphaBitmapEh)
  using inherited = TBitmap;
public:
  TCacheAlphaBitmapEh();
  void Capture();
  void Release() { FCapture = false; }
  bool Captured() const { return FCapture; }
  void DrawHorzLine(TPoint Start, Integer Length, TColor Color);
private:
  bool FCapture = false;
};

TCacheAlphaBitmapEh* GetCacheAlphaBitmapEh(Integer Width, Integer Height);
bool CacheAlphaBitmapCapturedEh();
void FreeCacheAlphaBitmapEh();

// ---------------------------------------------------------------------------
// Themes: themed drawing follows the style manager and is drawn through the
// Qt style; a custom style is any style of the style manager but the plain
// "Windows".

bool StyleThemesEnabledEh();
bool ThemesEnabledVistaOrLaterEh();
bool CustomStyleActiveEh();

// ---------------------------------------------------------------------------
// Placement, windows, mouse and keyboard.

void GetControlScreenRectEh(TControl* Control, TRect& Rect);
// Where a drop-down opens under (or over) a host rectangle in screen
// coordinates; Align 0 left, 1 right, 2 centre. The drop-down is told the
// side it opened on with WM_USER + 100 (2 above, 3 below, then 0 right- or
// 1 left-anchored) and may be made lower or narrower to fit the work area.
void CalcDropDownPosForRectEh(const TRect& HostRect, TWinControl* DropDown, Integer Align, TPoint& Pos);
void CalcDropDownPosForControlEh(TControl* Control, TWinControl* DropDown, Integer Align, TPoint& Pos);
// Performs the message on every component Component owns, at any depth,
// that is of ClassRef.
void BroadcastPerformEh(TComponent* Component, TClass ClassRef, UINT Msg, WPARAM WParam, LPARAM LParam);
// Posts Msg to the program's windows unless one already waits.
void PostAppMessageOnceEh(UINT Msg, WPARAM WParam, LPARAM LParam);
TShiftState CurrentShiftStateEh();
bool IsMouseButtonDownEh(TMouseButton Button);
bool IsDoubleClickEh(TPoint FirstPoint, TPoint SecondPoint, Cardinal Interval);
// Removes a waiting left-button press aimed at Control; answers whether it did.
bool SkipPendingMouseDownEh(TControl* Control);
bool SkipPendingMouseDownInClientEh(TControl* Control);

// ---------------------------------------------------------------------------
// Values.

using TVariantArrayEh = std::vector<Variant>;
using TFieldsArrEh = std::vector<TField*>;

enum TCalendarDateTimeUnitEh { cdtuYearEh, cdtuMonthEh, cdtuDayEh, cdtuHourEh, cdtuMinuteEh,
                               cdtuSecondEh, cdtuAmPmEh };
using TCalendarDateTimeUnitsEh = TSet<TCalendarDateTimeUnitEh>;
enum THoursTimeFormatEh { htfAmPm12hEh, htf24hEh };
enum TAmPmPosEh { appAmPmSuffixEh, appAmPmPrefixEh };

// Never raises; arrays compare element by element.
bool VarValuesEqualEh(const Variant& V1, const Variant& V2);
// Null orders before every value; an array against a non-array is vrNotEqual.
TVariantRelationship CompareVarValuesEh(const Variant& V1, const Variant& V2);
String VarToArrayTextEh(const Variant& V);
String VarToDisplayStrEh(const Variant& V);
bool VarIsNumericEh(const Variant& V);
// Text laid into an edit mask with the blank character the mask declares.
String FormatMaskTextWithMaskBlankEh(const String& EditMask, const String& Text);
// Culture-independent text of a value: "." decimals, "yyyy-mm-dd hh:nn:ss" dates.
String VarToInvariantStrEh(const Variant& V);
void InvariantStrToVarEh(const String& Text, TVarType VarType, Variant& Value);
String FloatToInvariantStrEh(double Value);

String FieldValueToDisplayTextEh(const Variant& Value, TField* Field, const String& Format);
bool IsNumericFieldTypeEh(TFieldType FieldType);
bool IsStringFieldTypeEh(TFieldType FieldType);
bool FieldListCanModifyEh(TFieldListEh* FieldList);
bool FieldsCanModifyEh(const TFieldsArrEh& Fields);
void CollectFieldsByNamesEh(TFieldListEh* List, TDataSet* DataSet, TComponent* Component,
                            const String& FieldNames);
void GetFieldsArrayByNamesEh(TDataSet* DataSet, TComponent* Component, const String& FieldNames,
                             TFieldsArrEh& Fields);
void SetDataSetFieldsValueEh(TDataSet* DataSet, const String& FieldNames, const Variant& Value);
Variant FieldsValuesAsVariantEh(const TFieldsArrEh& Fields);

TDateTime TruncDateTimeToSecondsEh(TDateTime Value);
void ReplaceTimeOfDateTimeEh(TDateTime& Value, TDateTime Time);
void DateTimeFormatUnitsEh(const String& Format, TCalendarDateTimeUnitsEh& Units);
void GetLocaleHoursFormatEh(THoursTimeFormatEh& HoursFormat, TAmPmPosEh& AmPmPos);

void ArrayInsertRange(TVariantArrayEh& Extents, Integer StartIndex, Integer Amount);
void ArrayDeleteRange(TVariantArrayEh& Extents, Integer StartIndex, Integer Amount);

using TQuickSortCompareEh = std::function<Integer(void* Data, Integer Index1, Integer Index2)>;
using TQuickSortExchangeEh = std::function<void(void* Data, Integer Index1, Integer Index2)>;
void QuickSortEh(void* Data, Integer L, Integer R, const TQuickSortExchangeEh& Exchange,
                 const TQuickSortCompareEh& Compare);
Integer CompareStringsOrdinalEh(TStringList* List, Integer Index1, Integer Index2);
// Options: 1 case-insensitive, 2 prefix match.
Integer FindInStringsEh(TStrings* Strings, const String& Text, Integer Options);
inline Integer IntegerIfEh(bool Condition, Integer A, Integer B) { return Condition ? A : B; }
template <class T>
void SwapIntegersEh(T& A, T& B) { std::swap(A, B); }
inline bool PointInRectEh(const TRect& R, TPoint P)
{
  return R.Left <= P.X && P.X < R.Right && R.Top <= P.Y && P.Y < R.Bottom;
}

// ---------------------------------------------------------------------------
// Library manager and working-time calendar.

enum TWeekDayEh { wwdMondayEh, wwdTuesdayEh, wwdWednesdayEh, wwdThursdayEh, wwdFridayEh,
                  wwdSaturdayEh, wwdSundayEh };
using TWeekDaysEh = TSet<TWeekDayEh>;

struct TTimeRangeEh {
  TDateTime StartTime;
  TDateTime EndTime;
};
using TTimeRangesEh = std::vector<TTimeRangeEh>;

// The library's single settings object.
class TGridLibManager : public TPersistent {
  VELMORA_CLASS(TGridLibManager)
  using inherited = TPersistent;
public:
  TGridLibManager();

  QChar AltDecimalSeparator() const { return FAltDecimalSeparator; }
  void SetAltDecimalSeparator(QChar Value) { FAltDecimalSeparator = Value; }
  bool DateTimeCalendarPickerHighlightHolidays() const { return FDateTimeCalendarPickerHighlightHolidays; }
  void SetDateTimeCalendarPickerHighlightHolidays(bool Value);
  // Classes that serve as the popup calendar and calculator; the editors
  // register them (nullptr until they do).
  TClass PopupDateTimePickerClass() const { return FPopupDateTimePickerClass; }
  void SetPopupDateTimePickerClass(TClass Value) { FPopupDateTimePickerClass = Value; }
  TClass PopupCalculatorClass() const { return FPopupCalculatorClass; }
  void SetPopupCalculatorClass(TClass Value) { FPopupCalculatorClass = Value; }
  TWeekDaysEh WeekWorkingDays() const { return FWeekWorkingDays; }
  void SetWeekWorkingDays(TWeekDaysEh Value);
  bool DateTimeCalendarPickerShowTimeSelectionPage() const { return FDateTimeCalendarPickerShowTimeSelectionPage; }
  void SetDateTimeCalendarPickerShowTimeSelectionPage(bool Value) { FDateTimeCalendarPickerShowTimeSelectionPage = Value; }
  bool UseAlphaFormatInAlphaBlend() const { return FUseAlphaFormatInAlphaBlend; }
  void SetUseAlphaFormatInAlphaBlend(bool Value) { FUseAlphaFormatInAlphaBlend = Value; }

private:
  QChar FAltDecimalSeparator = QLatin1Char('.');
  bool FDateTimeCalendarPickerHighlightHolidays = true;
  TClass FPopupDateTimePickerClass = nullptr;
  TClass FPopupCalculatorClass = nullptr;
  TWeekDaysEh FWeekWorkingDays = {wwdMondayEh, wwdTuesdayEh, wwdWednesdayEh, wwdThursdayEh, wwdFridayEh};
  bool FDateTimeCalendarPickerShowTimeSelectionPage = true;
  bool FUseAlphaFormatInAlphaBlend = false;
};

class TWorkingTimeCalendarEh : public TComponent {
  VELMORA_CLASS(TWorkingTimeCalendarEh)
  using inherited = TComponent;
public:
  explicit TWorkingTimeCalendarEh(TComponent* AOwner) : TComponent(AOwner) {}
  virtual bool IsWorkday(TDateTime ADate);
  virtual void GetWorkingTime(TDateTime ADate, TTimeRangesEh& ATimeRanges);
};

TGridLibManager* GlobalGridLibManager();
// Installs another settings object; the caller owns both from then on.
TGridLibManager* SetGlobalGridLibManager(TGridLibManager* Manager);
TWorkingTimeCalendarEh* GlobalWorkingTimeCalendar();
TWorkingTimeCalendarEh* SetGlobalWorkingTimeCalendar(TWorkingTimeCalendarEh* Calendar);

// ---------------------------------------------------------------------------
// The base of the library's popup windows that appear without taking the
// activation from the editor or grid that opened them.

class TPopupInactiveFormEh : public TForm {
  VELMORA_CLASS(TPopupInactiveFormEh)
  using inherited = TForm;
public:
  explicit TPopupInactiveFormEh(TComponent* AOwner);

  bool DropShadow() const { return FDropShadow; }
  void SetDropShadow(bool Value) { FDropShadow = Value; }
  // Also receives the popup's key-down messages.
  TWinControl* MasterActionsControl() const { return FMasterActionsControl; }
  void SetMasterActionsControl(TWinControl* Value) { FMasterActionsControl = Value; }
  // Had the focus when the popup opened; gets it back when it closes.
  TWinControl* MasterFocusControl() const { return FMasterFocusControl; }
  void SetMasterFocusControl(TWinControl* Value) { FMasterFocusControl = Value; }
  Integer BorderWidth() const { return BorderStyle() != bsNone ? 2 : 0; }
  bool Visible() const { return TControl::Visible(); }
  void SetVisible(bool Value);
  void Show();
  TRect ClientRect() const override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;
  void PaintWindow(HDC DC) override;

private:
  bool FDropShadow = true;
  TWinControl* FMasterActionsControl = nullptr;
  TWinControl* FMasterFocusControl = nullptr;
};

// ---------------------------------------------------------------------------
// Edit-button painting: the glyphs of edit buttons, spin buttons, check boxes
// and tree rows, themed or classic.

// (end of section)

// ---------------------------------------------------------------------------
// Popup menus that stay open, button images and pictures read from fields.

// (end of section)

// ---------------------------------------------------------------------------
// Edit-button controls: the speed buttons that show edit buttons.

// (end of section)

// ---------------------------------------------------------------------------
// Edit buttons: their persistent description and collection.

// (end of section)

// ---------------------------------------------------------------------------
// MRU list, special row and size grip.

enum TSizeGripPosition { sgpTopLeft, sgpTopRight, sgpBottomRight, sgpBottomLeft };
enum TSizeGripChangePosition { sgcpToLeft, sgcpToRight, sgcpToTop, sgcpToBottom };
// The corner mirrored for a right-to-left layout.
TSizeGripPosition MirrorSizeGripPositionEh(TSizeGripPosition Position);
// The triangle of a Width x Height grip that keeps its corner.
std::vector<TPoint> SizeGripTrianglePointsEh(TSizeGripPosition Position, Integer Width, Integer Height);

enum TMRUListSourceKindEh { lskMRUListItemsEh, lskDataSetFieldValuesEh };
class TMRUListEh;
using TMRUListFillAutogenItemsEventEh = std::function<void(TMRUListEh* Sender, TStrings* AutogenItems)>;
using TFilterMRUItemEventEh = std::function<void(TObject* Sender, bool& Accept)>;
using TSetCloseUpEventEh = std::function<void(TObject* Sender, bool Accept)>;
using TSetDropDownEventEh = std::function<void(TObject* Sender)>;

// The texts an editor's user entered, offered again while typing; the owner
// shows them in its drop-down list and opens and closes it on request.
class TMRUListEh : public TPersistent {
  VELMORA_CLASS(TMRUListEh)
  using inherited = TPersistent;
public:
  explicit TMRUListEh(TPersistent* AOwner = nullptr);
  ~TMRUListEh() override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  bool AutoAdd() const { return FAutoAdd; }
  void SetAutoAdd(bool Value) { FAutoAdd = Value; }
  TStrings* AutogenItems() const { return FAutogenItems.get(); }
  bool CancelIfKeyInQueue() const { return FCancelIfKeyInQueue; }
  void SetCancelIfKeyInQueue(bool Value) { FCancelIfKeyInQueue = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }
  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  // A negative limit counts as 0: the list stays empty.
  Integer Limit() const { return FLimit; }
  void SetLimit(Integer Value);
  TMRUListSourceKindEh ListSourceKind() const { return FListSourceKind; }
  void SetListSourceKind(TMRUListSourceKindEh Value) { FListSourceKind = Value; }
  Integer Rows() const { return FRows; }
  void SetRows(Integer Value) { FRows = Value; }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value) { FWidth = Value; }
  bool DroppedDown() const { return FDroppedDown; }
  void SetDroppedDown(bool Value) { FDroppedDown = Value; }
  TStrings* ActiveItems() const;

  // Moves an entry equal to Text to the end, or appends Text and drops the
  // oldest entries beyond the limit; a blank text is ignored.
  void Add(const String& Text);
  // The active items that start with MaskText; false when a key waiting in
  // the queue cut the filtering short.
  bool FilterItemsTo(TStrings* FilteredItems, const String& MaskText);
  virtual void CloseUp(bool Accept);
  virtual void DropDown();
  virtual void PrepareActiveItems();
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnActiveChanged;
  TMRUListFillAutogenItemsEventEh OnFillAutogenItems;
  TFilterMRUItemEventEh OnFilterItem;
  TSetCloseUpEventEh OnSetCloseUp;
  TSetDropDownEventEh OnSetDropDown;

protected:
  TPersistent* GetOwner() const override { return FOwner; }

private:
  void TrimToLimit();

  bool FActive = false;
  bool FAutoAdd = true;
  std::unique_ptr<TStringList> FAutogenItems;
  bool FCancelIfKeyInQueue = true;
  bool FCaseSensitive = false;
  std::unique_ptr<TStringList> FItems;
  Integer FLimit = 100;
  TMRUListSourceKindEh FListSourceKind = lskMRUListItemsEh;
  TPersistent* FOwner = nullptr;
  Integer FRows = 7;
  Integer FWidth = 0;
  bool FDroppedDown = false;
};

// The extra row at the top of a lookup list that stands for a key value of
// its own (often the empty value), with its own texts, colour and font.
class TSpecRowEh : public TPersistent {
  VELMORA_CLASS(TSpecRowEh)
  using inherited = TPersistent;
public:
  explicit TSpecRowEh(TPersistent* AOwner = nullptr);
  ~TSpecRowEh() override;

  String CellsText() const { return FCellsText; }
  void SetCellsText(const String& Value);
  TStrings* CellsStrings() const { return FCellsStrings.get(); }
  TColor Color() const;
  void SetColor(TColor Value);
  bool IsColorStored() const { return FColorAssigned; }
  TFont* Font() const;
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool IsFontStored() const { return FFontAssigned; }
  bool Selected() const { return FSelected; }
  void SetSelected(bool Value) { FSelected = Value; }
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value) { FShortCut = Value; }
  bool ShowIfNotInKeyList() const { return FShowIfNotInKeyList; }
  void SetShowIfNotInKeyList(bool Value);
  Integer UpdateCount() const { return FUpdateCount; }
  Variant Value() const { return FValue; }
  void SetValue(const Variant& Value);
  bool IsValueStored() const { return !VarIsNull(FValue); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);

  // The cell text at Index; empty outside the cells.
  String GetCellText(Integer Index) const;
  // Whether the visible row stands for KeyValue.
  bool LocateKey(const Variant& KeyValue) const;
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChanged;

protected:
  TPersistent* GetOwner() const override { return FOwner; }
  void Changed();
  TColor DefaultColor() const;
  TFont* DefaultFont() const;

private:
  void FontChanged(TObject* Sender);

  std::unique_ptr<TStringList> FCellsStrings;
  String FCellsText;
  TColor FColor = clWindow;
  std::unique_ptr<TFont> FFont;
  TPersistent* FOwner = nullptr;
  bool FSelected = false;
  TShortCut FShortCut = 32814;   // Alt+Del
  bool FShowIfNotInKeyList = true;
  Integer FUpdateCount = 0;
  Variant FValue;
  bool FVisible = false;
  bool FColorAssigned = false;
  bool FFontAssigned = false;
  bool FFontSyncing = false;
};

// The triangular grip in a corner of a drop-down window that resizes it.
class TSizeGripEh : public TCustomControlEh {
  VELMORA_CLASS(TSizeGripEh)
  using inherited = TCustomControlEh;
public:
  explicit TSizeGripEh(TComponent* AOwner);

  TSizeGripPosition Position() const { return FPosition; }
  void SetPosition(TSizeGripPosition Value);
  bool TriangleWindow() const { return FTriangleWindow; }
  void SetTriangleWindow(bool Value);
  // The window the grip resizes; its parent when none is set.
  TWinControl* HostControl() const { return FHostControl ? FHostControl : Parent(); }
  void SetHostControl(TWinControl* Value) { FHostControl = Value; }
  bool Visible() const;
  void SetVisible(bool Value);

  void ChangePosition(TSizeGripChangePosition NewPosition);
  // Into its corner of the host's client area.
  void UpdatePosition();
  void UpdateWindowRegion();
  // The outline of the triangle the window keeps; empty without one.
  std::vector<TPoint> WindowRegionPoints() const;

  TNotifyEvent OnParentResized;

protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void CreateHandle() override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;

private:
  TPoint FInitScreenMousePos;
  bool FInternalMove = false;
  TPoint FOldMouseMovePos;
  TRect FParentRect;
  TSizeGripPosition FPosition = sgpBottomRight;
  bool FTriangleWindow = true;
  TWinControl* FHostControl = nullptr;
};

void RegisterToolCtrlsEhMRUClasses();

// (end of section)

// ---------------------------------------------------------------------------
// Bookmark list.

// (end of section)

// ---------------------------------------------------------------------------
// Dataset field value list and data link.

// (end of section)

// ---------------------------------------------------------------------------
// Text wrapping, search and hit highlighting.

// (end of section)
