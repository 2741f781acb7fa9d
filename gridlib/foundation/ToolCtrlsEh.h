// ToolCtrlsEh.h: the library's shared routines: the cell text writer and text
// measuring, colour arithmetic, gradients and clipping, theme tests, value
// comparison and conversion, and the library-wide settings object.
#pragma once

#include "gridlib/foundation/DynVarsEh.h"
#include "gridlib/foundation/GridPlatformEh.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"
#include "platform/data/DB.h"
#include "platform/data/DBCtrls.h"

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

enum TDrawButtonControlStyleEh { bcsDropDownEh, bcsEllipsisEh, bcsUpDownEh, bcsCheckboxEh, bcsPlusEh,
                                 bcsMinusEh, bcsAltDropDownEh, bcsAltUpDownEh };
enum TTreeViewGlyphStyleEh { tvgsDefaultEh, tvgsClassicEh, tvgsThemedEh, tvgsExplorerThemedEh };

// Paints one button into Rect. DownButton: 0 none, 1 the button or the upper
// spin half, 2 the lower spin half. FrameColor frames a flat button and
// separates spin halves (clNone: neither). CheckState: 0 off, 1 on, 2 mixed.
// Scale does not change the painting.
void PaintButtonControlEh(TCanvas* Canvas, TRect Rect, TColor FrameColor, TDrawButtonControlStyleEh Style,
                          Integer DownButton, bool Flat, bool Active, bool Enabled, Integer CheckState,
                          double Scale = 1, bool DrawFace = true);
// The face of a push button; answers the rectangle left for the content.
TRect DrawButtonFaceEh(TCanvas* Canvas, const TRect& Rect, TColor FillColor, bool Pressed, bool Flat, bool Active,
                       bool Enabled);
// The tree part of a tree cell: NodeKind 0..4 an expanded node, 5..9 a
// collapsed one, 10..14 lines only.
void DrawTreeNodeGlyphEh(TCanvas* Canvas, const TRect& Rect, Integer NodeKind, Integer DotPhase, double ScaleX,
                         double ScaleY, bool ShiftBox, bool SetColors, TTreeViewGlyphStyleEh GlyphStyle);
// Alignment 0 left, 1 right, 2 centre; Layout 0 top, 1 centre, 2 bottom.
void CheckBoxRectInRectEh(const TRect& Rect, Integer Alignment, Integer Layout, TRect& CheckRect);
TSize CheckBoxGlyphSizeEh();
Integer DefaultEditButtonWidthEh();
void SetDefaultEditButtonWidthEh(Integer Value);
Integer EditButtonHeightForWidthEh(Integer Width, bool Flat);
// Whether the button painters draw through the style (themes on) or with the
// classic system drawing; on unless switched off.
bool ButtonThemesEnabledEh();
void SetButtonThemesEnabledEh(bool Value);

// What a cached button bitmap was painted for.
struct TButtonBitmapInfoEh {
  TSize Size;
  TDrawButtonControlStyleEh BitmapType = bcsDropDownEh;
  bool Flat = false;
  bool Pressed = false;
  bool Active = false;
  bool Enabled = true;
  Integer UpDownButton = 0;   // 0 upper half, 1 lower half
  Integer CheckState = 0;
  bool DrawFace = true;
  bool operator==(const TButtonBitmapInfoEh&) const = default;
};

struct TButtonBitmapInfoBitmapEh {
  TButtonBitmapInfoEh BitmapInfo;
  std::unique_ptr<TBitmap> Bitmap;
};

// Painted buttons by what they show; the painter uses it only while the
// library-wide switch is on, and nothing turns it on.
class TButtonsBitmapCache {
public:
  TBitmap* GetButtonBitmap(TButtonBitmapInfoEh Key);
  const TButtonBitmapInfoBitmapEh* Get(Integer Index) const { return FItems.at(std::size_t(Index)).get(); }
  Integer Count() const { return Integer(FItems.size()); }
  void Clear() { FItems.clear(); }
private:
  std::vector<std::unique_ptr<TButtonBitmapInfoBitmapEh>> FItems;
};

TButtonsBitmapCache* ButtonsBitmapCacheEh();
void ClearButtonsBitmapCacheEh();
bool UseButtonsBitmapCacheEh();
void SetUseButtonsBitmapCacheEh(bool Value);



// ---------------------------------------------------------------------------
// Popup menus that stay open, button images and pictures read from fields.

class TEditButtonEh;

// The states of an edit button, as painted.
enum TEditButtonStateEh { ebstNormalEh, ebstControlHotEh, ebstHotEh, ebstPressedEh, ebstDisabledEh };

// A menu item that can leave its menu open after a click (CloseMenuOnClick
// False): the click runs, the menu repaints and stays.
class TMenuItemEh : public TMenuItem {
  VELMORA_CLASS(TMenuItemEh)
  using inherited = TMenuItem;
public:
  explicit TMenuItemEh(TComponent* AOwner) : TMenuItem(AOwner) {}
  bool CloseMenuOnClick() const { return FCloseMenuOnClick; }
  void SetCloseMenuOnClick(bool Value) { FCloseMenuOnClick = Value; }
  bool KeepsMenuOpenOnClick() const override { return !FCloseMenuOnClick; }
private:
  bool FCloseMenuOnClick = true;
};

class TPopupMenuEh;

// The library's popup menus: registered while they exist; Active while one
// of them is shown.
class TPopupListEh {
public:
  void Add(TPopupMenuEh* Menu);
  void Remove(TPopupMenuEh* Menu);
  Integer Count() const { return Integer(FMenus.size()); }
  TPopupMenuEh* Items(Integer Index) const { return FMenus.at(std::size_t(Index)); }
  // The menu being shown (nullptr: none).
  TPopupMenuEh* ActiveMenu() const { return FActiveMenu; }
private:
  friend class TPopupMenuEh;
  std::vector<TPopupMenuEh*> FMenus;
  TPopupMenuEh* FActiveMenu = nullptr;
};
TPopupListEh* PopupListEh();

class TPopupMenuEh : public TPopupMenu {
  VELMORA_CLASS(TPopupMenuEh)
  using inherited = TPopupMenu;
public:
  explicit TPopupMenuEh(TComponent* AOwner);
  ~TPopupMenuEh() override;
  void Popup(Integer X, Integer Y) override;
};

using TImageIndex = Integer;

// Image lists and indexes of a button, one pair per state.
class TButtonImagesEh : public TPersistent {
  VELMORA_CLASS(TButtonImagesEh)
  using inherited = TPersistent;
public:
  void Assign(TPersistent* Source) override;
  TCustomImageList* NormalImages() const { return FNormalImages; }
  void SetNormalImages(TCustomImageList* Value) { SetImages(FNormalImages, Value); }
  TImageIndex NormalIndex() const { return FNormalIndex; }
  void SetNormalIndex(TImageIndex Value) { SetIndex(FNormalIndex, Value); }
  TCustomImageList* HotImages() const { return FHotImages; }
  void SetHotImages(TCustomImageList* Value) { SetImages(FHotImages, Value); }
  TImageIndex HotIndex() const { return FHotIndex; }
  void SetHotIndex(TImageIndex Value) { SetIndex(FHotIndex, Value); }
  TCustomImageList* PressedImages() const { return FPressedImages; }
  void SetPressedImages(TCustomImageList* Value) { SetImages(FPressedImages, Value); }
  TImageIndex PressedIndex() const { return FPressedIndex; }
  void SetPressedIndex(TImageIndex Value) { SetIndex(FPressedIndex, Value); }
  TCustomImageList* DisabledImages() const { return FDisabledImages; }
  void SetDisabledImages(TCustomImageList* Value) { SetImages(FDisabledImages, Value); }
  TImageIndex DisabledIndex() const { return FDisabledIndex; }
  void SetDisabledIndex(TImageIndex Value) { SetIndex(FDisabledIndex, Value); }

  // A state without a list of its own takes the normal one; none for the
  // editor-hot state.
  TCustomImageList* GetStateImages(TEditButtonStateEh State) const;
  TImageIndex GetStateIndex(TEditButtonStateEh State) const;

protected:
  virtual void Changed() {}
  virtual void RefComponentChanged(TComponent* RefComponent) { (void)RefComponent; }

private:
  void SetImages(TCustomImageList*& Field, TCustomImageList* Value);
  void SetIndex(TImageIndex& Field, TImageIndex Value);
  TImageIndex FNormalIndex = 0;
  TCustomImageList* FHotImages = nullptr;
  TImageIndex FDisabledIndex = 0;
  TCustomImageList* FPressedImages = nullptr;
  TImageIndex FHotIndex = 0;
  TCustomImageList* FNormalImages = nullptr;
  TImageIndex FPressedIndex = 0;
  TCustomImageList* FDisabledImages = nullptr;
};

// The images of an edit button: changes reach the button.
class TEditButtonImagesEh : public TButtonImagesEh {
  VELMORA_CLASS(TEditButtonImagesEh)
  using inherited = TButtonImagesEh;
public:
  explicit TEditButtonImagesEh(TEditButtonEh* Owner) : FOwner(Owner) {}
protected:
  TPersistent* GetOwner() const override;
  void Changed() override;
  void RefComponentChanged(TComponent* RefComponent) override;
private:
  TEditButtonEh* FOwner;
};

// Which graphic class reads stored bytes, told by their first bytes.
class TGraphicProviderEh : public TPersistent {
  VELMORA_CLASS(TGraphicProviderEh)
public:
  // nullptr when this provider does not know the bytes. Size is the number
  // of bytes at Data; nothing past it is read.
  virtual TClass GetImageClassForStream(const Byte* Data, Integer Size) const
  {
    (void)Data;
    (void)Size;
    return nullptr;
  }
};

// "BM": the platform bitmap.
class TBMPGraphicProviderEh : public TGraphicProviderEh {
  VELMORA_CLASS(TBMPGraphicProviderEh)
public:
  TClass GetImageClassForStream(const Byte* Data, Integer Size) const override;
};

// JPEG, PNG and GIF pictures, which the program's fields hold too.
class TJPEGGraphicProviderEh : public TGraphicProviderEh {
  VELMORA_CLASS(TJPEGGraphicProviderEh)
public:
  TClass GetImageClassForStream(const Byte* Data, Integer Size) const override;
};
class TPNGGraphicProviderEh : public TGraphicProviderEh {
  VELMORA_CLASS(TPNGGraphicProviderEh)
public:
  TClass GetImageClassForStream(const Byte* Data, Integer Size) const override;
};
class TGIFGraphicProviderEh : public TGraphicProviderEh {
  VELMORA_CLASS(TGIFGraphicProviderEh)
public:
  TClass GetImageClassForStream(const Byte* Data, Integer Size) const override;
};

// Puts the provider first (the latest is asked first), unless one of its
// class is registered already.
void RegisterGraphicProviderEh(std::unique_ptr<TGraphicProviderEh> Provider);
TClass GetGraphicClassForStreamEh(const Byte* Data, Integer Size);
Integer GraphicProviderCountEh();
// A graphic read from a blob field (nullptr for no field or another kind of
// field); unreadable bytes give an empty graphic.
std::unique_ptr<TGraphic> GraphicFromBlobFieldEh(TField* Field);
void LoadPictureFromBlobFieldEh(TField* Field, TPicture* Picture);
std::unique_ptr<TPicture> PictureFromBlobFieldEh(TField* Field);

// A picture that places itself in a rectangle. Placement is a
// TImagePlacementEh value (ipTopLeftEh .. ipTileEh), an enumeration declared
// with the grid's background picture for now.
class TPictureEh : public TPicture {
  VELMORA_CLASS(TPictureEh)
  using inherited = TPicture;
public:
  virtual TRect GetDestRect(const TRect& SrcRect, Integer Placement) const;
  virtual void PaintTo(TCanvas* Canvas, const TRect& DestRect, Integer Placement);
};

// A hint shown in the font handed over with it.
class THintWindowEh : public THintWindow {
  VELMORA_CLASS(THintWindowEh)
  using inherited = THintWindow;
public:
  explicit THintWindowEh(TComponent* AOwner) : THintWindow(AOwner) {}
  void ActivateHintData(TRect Rect, const String& AHint, void* AData) override;
  TRect CalcHintRect(Integer MaxWidth, const String& AHint, void* AData) override;
};



// ---------------------------------------------------------------------------
// Edit-button controls: the speed buttons that show edit buttons.

// The kinds, states and events of edit buttons, shared with the buttons'
// persistent description below.
enum TEditButtonStyleEh { ebsDropDownEh, ebsEllipsisEh, ebsGlyphEh, ebsUpDownEh, ebsPlusEh, ebsMinusEh,
                          ebsAltDropDownEh, ebsAltUpDownEh };
enum TEditButtonDrawBackTimeEh { edbtAlwaysEh, edbtNeverEh, edbtWhenHotEh };
using TButtonClickEventEh = std::function<void(TObject* Sender, bool& Handled)>;
using TButtonDownEventEh =
  std::function<void(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)>;
using TRefComponentNotifyEventEh = std::function<void(TObject* Sender, TComponent* RefComponent)>;

// The glyph kind a button style paints (ebsGlyphEh paints its own glyph).
TDrawButtonControlStyleEh EditButtonStyleToDrawStyleEh(TEditButtonStyleEh Style);

// The small button an editor or a grid cell shows for an edit button: spin
// halves, auto-repeat while held, painting by style.
class TEditButtonControlEh : public TSpeedButton {
  VELMORA_CLASS(TEditButtonControlEh)
  using inherited = TSpeedButton;
public:
  explicit TEditButtonControlEh(TComponent* AOwner);
  ~TEditButtonControlEh() override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  bool AdvancedPaint() const { return FAdvancedPaint; }
  void SetAdvancedPaint(bool Value) { FAdvancedPaint = Value; }
  // Keeps the button down (an editor's open drop-down).
  bool AlwaysDown() const { return FAlwaysDown; }
  void SetAlwaysDown(bool Value);
  TEditButtonStyleEh Style() const { return FStyle; }
  void SetStyle(TEditButtonStyleEh Value);
  TEditButtonDrawBackTimeEh DrawBackTime() const { return FDrawBackTime; }
  void SetDrawBackTime(TEditButtonDrawBackTimeEh Value);
  TButtonImagesEh* ButtonImages() const { return GetButtonImages(); }
  TEditButtonImagesEh* ExternalEditButtonImages() const { return FExternalEditButtonImages; }
  void SetExternalEditButtonImages(TEditButtonImagesEh* Value);
  // The pressed part: 0 none, 1 the button or the upper spin half, 2 the
  // lower spin half.
  Integer ButtonNum() const { return FButtonNum; }
  void SetState(TButtonState NewState, bool IsActive, Integer ButtonNum);
  void SetWidthNoNotify(Integer Value) { SetWidth(Value); }
  // The auto-repeat timer; nullptr until the first repeat.
  TTimer* RepeatTimer() const { return FTimer; }
  void Click() override;

  TButtonDownEventEh OnDown;
  TNotifyEvent OnPaint;

protected:
  virtual TButtonImagesEh* GetButtonImages() const;
  virtual bool GetActualActive() const;
  virtual TEditButtonStateEh GetState() const;
  virtual void DrawImages(const TRect& Rect);
  virtual void EditButtonDown(Integer ButtonNum, bool& AutoRepeat);
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;

private:
  bool IsSpin() const { return FStyle == ebsUpDownEh || FStyle == ebsAltUpDownEh; }
  bool IsDown() const { return FState == bsDown || FState == bsExclusive; }
  Integer PartAt(Integer Y) const;
  void UpdatePressedPart(Integer Y);
  void TimerExpired(TObject* Sender);
  bool DrawFaceNow() const;
  void PaintGlyphStyle(bool DrawFace);

  bool FActive = false;
  bool FAlwaysDown = false;
  Integer FButtonNum = 0;
  bool FNoDoClick = false;
  TEditButtonStyleEh FStyle = ebsDropDownEh;
  TTimer* FTimer = nullptr;
  std::unique_ptr<TButtonImagesEh> FInternalEditButtonImages;
  TEditButtonDrawBackTimeEh FDrawBackTime = edbtAlwaysEh;
  bool FAdvancedPaint = true;
  TEditButtonImagesEh* FExternalEditButtonImages = nullptr;
};

// The edit-button control for forms: Active and Style published.
class TSpeedButtonEh : public TEditButtonControlEh {
  VELMORA_CLASS(TSpeedButtonEh)
public:
  explicit TSpeedButtonEh(TComponent* AOwner) : TEditButtonControlEh(AOwner) {}
};

// The library's image speed button (grid tool buttons): paints the state
// image of its button images, and may repeat its click while held.
class TCustomSpeedButtonEh : public TSpeedButton {
  VELMORA_CLASS(TCustomSpeedButtonEh)
  using inherited = TSpeedButton;
public:
  explicit TCustomSpeedButtonEh(TComponent* AOwner);
  ~TCustomSpeedButtonEh() override;
  TButtonImagesEh* ButtonImages() const { return GetButtonImages(); }
  TEditButtonImagesEh* ExternalEditButtonImages() const { return FExternalEditButtonImages; }
  void SetExternalEditButtonImages(TEditButtonImagesEh* Value);
  bool AutoRepeat() const { return FAutoRepeat; }
  void SetAutoRepeat(bool Value) { FAutoRepeat = Value; }
  TTimer* RepeatTimer() const { return FRepeatTimer; }
  TNotifyEvent OnPaint;

protected:
  virtual TButtonImagesEh* GetButtonImages() const;
  virtual TEditButtonStateEh GetState() const;
  // A hook for descendants; the library does not call it.
  virtual void GetButtonTheme() {}
  virtual void DefaultPaint();
  virtual void PaintBackground(TRect& PaintRect, TPoint& PressOffset);
  virtual void PaintForeground(const TRect& PaintRect, TPoint PressOffset);
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
  void RepeatTimerExpired(TObject* Sender);
  TEditButtonImagesEh* FExternalEditButtonImages = nullptr;
  std::unique_ptr<TButtonImagesEh> FInternalEditButtonImages;
  bool FAutoRepeat = false;
  TTimer* FRepeatTimer = nullptr;
};



// ---------------------------------------------------------------------------
// Edit buttons: their persistent description and collection.

class TEditButtonActionLinkEh;

// ---------------------------------------------------------------------------
// Drop-down form call parameters.

enum TDropDownPassParamsEh { pspByFieldNamesEh, pspFieldValueEh, pspRecordValuesEh, pspCustomValuesEh };

// What a drop-down form's call carries besides the values.
class TDropDownFormSysParams : public TPersistent {
  VELMORA_CLASS(TDropDownFormSysParams)
  using inherited = TPersistent;
public:
  TDropDownFormSysParams() = default;
  // The form was made for this call and goes when it closes.
  bool FreeFormOnClose = false;
};

class TEditButtonEh;
class TEditButtonControlEh;

class TEditControlDropDownFormSysParams : public TDropDownFormSysParams {
  VELMORA_CLASS(TEditControlDropDownFormSysParams)
public:
  TControl* FEditControl = nullptr;
  TEditButtonEh* FEditButton = nullptr;
  TObject* FEditButtonObj = nullptr;
};

using TDropDownFormCallbackProcEh =
    std::function<void(TCustomForm* DropDownForm, bool Accept, TDynVarsEh* DynParams, TDropDownFormSysParams* SysParams)>;
using TSetVarValueProcEh = std::function<void(const Variant& VarValue)>;
using TGetVarValueProcEh = std::function<void(Variant& VarValue)>;
using TCheckDataIsReadOnlyEventEh = std::function<void(bool& ReadOnly)>;
using TGetDropDownFormEventEh = std::function<void(TCustomForm*& DropDownForm, bool& FreeFormOnClose)>;
using TEditControlShowDropDownFormEventEh = std::function<void(TControl* EditControl, TEditButtonEh* Button,
                                                               TCustomForm*& DropDownForm, TDynVarsEh* DynParams)>;
using TEditControlCloseDropDownFormEventEh =
    std::function<void(TControl* EditControl, TEditButtonEh* Button, bool Accept, TCustomForm* DropDownForm,
                       TDynVarsEh* DynParams)>;

// A form that takes its values from a parameter bag and returns them there.
class IDynParamsInteractableEh {
public:
  virtual ~IDynParamsInteractableEh() = default;
  virtual void SetDynParams(TDynVarsEh* DynParams) = 0;
  virtual void GetDynParams(TDynVarsEh*& DynParams) = 0;
};

// A form that drops down under an edit control.
class IDropDownFormEh {
public:
  virtual ~IDropDownFormEh() = default;
  virtual bool Execute(TControl* RelativePosControl, TControl* DownStateControl, TDynVarsEh* DynParams,
                       TAlignment Align) = 0;
  virtual bool GetReadOnly() = 0;
  virtual void ExecuteNomodal(TRect RelativePosRect, TControl* DownStateControl,
                              TDropDownFormCallbackProcEh CallbackProc, TDropDownFormSysParams* SysParams,
                              TDynVarsEh* DynParams, TAlignment Align) = 0;
  virtual void Close() = 0;
  virtual void SetReadOnly(bool Value) = 0;
  // Holds the form open while something else (an error box) takes the
  // activation for a while.
  virtual bool GetKeepFormVisible() = 0;
  virtual void SetKeepFormVisible(bool Value) = 0;
};

// The shared instance of a drop-down form class that launchers reuse
// (nullptr: none, a new form per call). A class without an entry of its own
// answers for its nearest registered ancestor.
using TDropDownFormGlobalRefProcEh = std::function<TCustomForm*()>;
void RegisterDropDownFormGlobalRefEh(TClass FormClass, TDropDownFormGlobalRefProcEh Proc);
TCustomForm* DropDownFormGlobalRefEh(TClass FormClass);
// The form class registered under Name: its shared instance, else a new
// one owned by Owner (FreeFormOnClose then True unless the class has a
// shared instance afterwards). An unknown name raises.
TCustomForm* DropDownFormOfClassNameEh(const String& Name, TComponent* Owner, bool& FreeFormOnClose);
// The values a drop-down form receives: by PassFieldNames when set and the
// data set has them, else by PassParams (the field value, the whole record
// or nothing).
void FillDropDownPassParamsEh(TDynVarsEh* DynParams, TDataSet* DataSet, const String& PassFieldNames,
                              TDropDownPassParamsEh PassParams, TField* Field, const Variant& Value);
// Writes an accepted form's values back: into the fields AssignBackFieldNames
// names, else the first value through SetValueProc; a data set not yet being
// edited is put into Edit and posted, and its edit is cancelled when the
// write fails.
void AssignBackDropDownParamsEh(TDynVarsEh* DynParams, TDataSet* DataSet, const String& AssignBackFieldNames,
                                TDropDownPassParamsEh PassParams, const TSetVarValueProcEh& SetValueProc);
// Inside a catch block: shows the exception through the application while
// Form is held open, so that the error box does not end the drop-down.
void ShowDropDownFormExceptionEh(TCustomForm* Form, TObject* Sender);
inline TAlignment DropDownAlignToAlignmentEh(TDropDownAlign Align)
{
  return Align == daLeft ? taLeftJustify : Align == daRight ? taRightJustify : taCenter;
}

// How an edit button opens its drop-down form: which form, which values
// travel there and back, the size to keep, and the owner's call-backs.
class TDropDownFormCallParamsEh : public TPersistent {
  VELMORA_CLASS(TDropDownFormCallParamsEh)
  using inherited = TPersistent;
public:
  TDropDownFormCallParamsEh() = default;

  TDropDownAlign Align() const { return FAlign; }
  void SetAlign(TDropDownAlign Value) { FAlign = Value; }
  String AssignBackFieldNames() const { return FAssignBackFieldNames; }
  void SetAssignBackFieldNames(const String& Value) { FAssignBackFieldNames = Value; }
  TCustomForm* DropDownForm() const { return FDropDownForm; }
  void SetDropDownForm(TCustomForm* Value);
  String DropDownFormClassName() const { return FDropDownFormClassName; }
  void SetDropDownFormClassName(const String& Value);
  Integer FormHeight() const { return FFormHeight; }
  void SetFormHeight(Integer Value) { FFormHeight = Value; }
  Integer FormWidth() const { return FFormWidth; }
  void SetFormWidth(Integer Value) { FFormWidth = Value; }
  Integer OldFormHeight() const { return FOldFormHeight; }
  void SetOldFormHeight(Integer Value) { FOldFormHeight = Value; }
  Integer OldFormWidth() const { return FOldFormWidth; }
  void SetOldFormWidth(Integer Value) { FOldFormWidth = Value; }
  String PassFieldNames() const { return FPassFieldNames; }
  void SetPassFieldNames(const String& Value) { FPassFieldNames = Value; }
  TDropDownPassParamsEh PassParams() const { return FPassParams; }
  void SetPassParams(TDropDownPassParamsEh Value) { FPassParams = Value; }
  bool SaveFormSize() const { return FSaveFormSize; }
  void SetSaveFormSize(bool Value) { FSaveFormSize = Value; }

  // Copying goes through the persistent default, which refuses.
  void Assign(TPersistent* Source) override;

  virtual TWinControl* GetEditControl() { return FEditControl; }
  virtual TEditButtonEh* GetEditButton() { return FEditButton; }
  virtual TEditButtonControlEh* GetEditButtonControl() { return FEditButtonControl; }
  virtual TCustomForm* GetActualDropDownForm(bool& FreeFormOnClose);
  virtual TEditControlShowDropDownFormEventEh GetOnOpenDropDownFormProc() { return FOnOpenDropDownFormProc; }
  virtual TEditControlCloseDropDownFormEventEh GetOnCloseDropDownFormProc() { return FOnCloseDropDownFormProc; }
  virtual TSetVarValueProcEh GetOnSetVarValueProc() { return FOnSetVarValueProc; }
  virtual TGetVarValueProcEh GetOnGetVarValueProc() { return FOnGetVarValueProc; }
  virtual TDataLink* GetDataLink() { return FDataLink; }
  virtual TField* GetField() { return FField; }
  virtual void GetVarValue(Variant& Value);
  virtual bool CheckDataIsReadOnly();
  virtual void GetEditControlScreenRect(TRect& Rect);
  virtual std::unique_ptr<TDropDownFormSysParams> CreateDropDownFormSysParams();
  virtual void DropDownFormClosed(bool Accept, TCustomForm* Form, TDropDownFormSysParams* SysParams,
                                  TDynVarsEh* DynParams);
  virtual void BeforeShowDropDownForm(TCustomForm* Form, TDynVarsEh* DynParams, TDropDownFormSysParams* SysParams);
  virtual void Changed();
  virtual void DropDownFormCallbackProc(TCustomForm* Form, bool Accept, TDynVarsEh* DynParams,
                                        TDropDownFormSysParams* SysParams);
  virtual void FillPassParams(TDynVarsEh* DynParams);
  virtual void AssignBackParams(TDynVarsEh* DynParams);
  virtual void DoOpenDropDownForm(TCustomForm*& Form, TDynVarsEh* DynParams, TDropDownFormSysParams* SysParams);
  virtual void FillSysParams(TDropDownFormSysParams* SysParams);
  virtual void SetVarValue(const Variant& Value);
  virtual void CheckShowDropDownForm(bool& Handled);

  TNotifyEvent OnChanged;
  TCheckDataIsReadOnlyEventEh OnCheckDataIsReadOnly;

  // Set by the owner.
  TDataLink* FDataLink = nullptr;
  TEditButtonEh* FEditButton = nullptr;
  TEditButtonControlEh* FEditButtonControl = nullptr;
  TWinControl* FEditControl = nullptr;
  TRect FEditControlScreenRect;
  TField* FField = nullptr;
  TEditControlCloseDropDownFormEventEh FOnCloseDropDownFormProc;
  TGetDropDownFormEventEh FOnGetActualDropDownFormProc;
  TGetVarValueProcEh FOnGetVarValueProc;
  TEditControlShowDropDownFormEventEh FOnOpenDropDownFormProc;
  TSetVarValueProcEh FOnSetVarValueProc;

private:
  TDropDownAlign FAlign = daCenter;
  String FAssignBackFieldNames;
  TCustomForm* FDropDownForm = nullptr;
  String FDropDownFormClassName;
  Integer FFormHeight = -1;
  Integer FFormWidth = -1;
  Integer FOldFormHeight = 0;
  Integer FOldFormWidth = 0;
  String FPassFieldNames;
  TDropDownPassParamsEh FPassParams = pspFieldValueEh;
  bool FSaveFormSize = true;
};

// ---------------------------------------------------------------------------
// Order-by list: "name [ASC|DESC], …" parsed into sort items.

class TOrderByItemEh : public TObject {
  VELMORA_CLASS(TOrderByItemEh)
public:
  Integer FieldIndex = -1;
  Integer MTFieldIndex = -1;
  bool Desc = false;
  bool CaseIns = false;
  Integer ExtObjIndex = -1;
  TFieldType DataType = ftUnknown;
};

class TOrderByList : public TObjectListEh {
  VELMORA_CLASS(TOrderByList)
  using inherited = TObjectListEh;
public:
  TOrderByList() : TObjectListEh(false) {}
  explicit TOrderByList(bool AOwnsObjects) : TObjectListEh(AOwnsObjects) {}
  ~TOrderByList() override;

  TOrderByItemEh* GetItem(Integer Index) const { return static_cast<TOrderByItemEh*>(inherited::Items(Index)); }
  void SetItem(Integer Index, TOrderByItemEh* Value) { inherited::SetItems(Index, Value); }
  TOrderByItemEh* Items(Integer Index) const { return GetItem(Index); }
  // The next token of Exp from FromIndex (0-based), which moves past it;
  // empty at the end.
  String GetToken(const String& Exp, Integer& FromIndex) const;
  void ParseOrderByStr(const String& OrderByStr);
  void ClearFreeItems();

protected:
  virtual void SetItemFieldIndex(TOrderByItemEh* Item, Integer FieldIndex)
  {
    (void)Item;
    (void)FieldIndex;
  }
  virtual Integer FindFieldIndex(const String& FieldName)
  {
    (void)FieldName;
    return -1;
  }
};

// Implemented by an owner of edit buttons that gives them a default for
// when their face is painted.
class IEditButtonsOwnerEh {
public:
  virtual ~IEditButtonsOwnerEh() = default;
  virtual TEditButtonDrawBackTimeEh GetEditButtonDefaultDrawBackTime() = 0;
};

class TEditButtonEh;
class TEditButtonsEh;
using TCreateEditButtonControlEvent = std::function<void(TEditButtonControlEh*& EditButtonControl)>;

// The persistent description of an edit button, owned by an edit control or
// held in a collection of extra buttons.
class TEditButtonEh : public TCollectionItem {
  VELMORA_CLASS(TEditButtonEh)
  using inherited = TCollectionItem;
public:
  explicit TEditButtonEh(TCollection* Collection);
  explicit TEditButtonEh(TWinControl* EditControl);
  ~TEditButtonEh() override;
  void Assign(TPersistent* Source) override;

  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  bool DefaultAction() const;
  void SetDefaultAction(bool Value);
  bool DefaultActionStored() const { return FDefaultActionStored; }
  // The value the owner gives DefaultAction while none is set.
  void SetParentDefinedDefaultAction(bool Value) { FParentDefinedDefaultAction = Value; }
  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  void SetDropdownMenu(TPopupMenu* Value);
  TDropDownFormCallParamsEh* DropDownFormParams() const { return FDropDownFormParams.get(); }
  void SetDropDownFormParams(TDropDownFormCallParamsEh* Value) { FDropDownFormParams->Assign(Value); }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  String Hint() const { return FHint; }
  void SetHint(const String& Value);
  TEditButtonImagesEh* Images() const { return FImages.get(); }
  void SetImages(TEditButtonImagesEh* Value) { FImages->Assign(Value); }
  Integer NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(Integer Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  TEditButtonStyleEh Style() const { return FStyle; }
  void SetStyle(TEditButtonStyleEh Value);
  bool Visible() const { return GetVisible(); }
  void SetVisible(bool Value) { SetVisibleValue(Value); }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);
  TEditButtonDrawBackTimeEh DrawBackTime() const;
  void SetDrawBackTime(TEditButtonDrawBackTimeEh Value);
  bool DrawBackTimeStored() const { return GetDrawBackTimeStored(); }
  void SetDrawBackTimeStored(bool Value);
  TWinControl* EditControl() const { return FEditControl; }
  TEditButtonsEh* EditButtons() const;

  void NotifyChanged();
  void NotifyRefComponentChanged(TComponent* RefComponent);
  virtual TEditButtonControlEh* CreateEditButtonControl();
  virtual void Click(TObject* Sender, bool& Handled);
  virtual void InitiateAction();

  TButtonClickEventEh OnClick;
  TButtonDownEventEh OnDown;
  TNotifyEvent OnChanged;
  TRefComponentNotifyEventEh OnRefComponentChanged;

  // Stored-property tests of the description.
  bool IsEnabledStored() const;
  bool IsHintStored() const;
  bool IsShortCutStored() const;
  bool IsVisibleStored() const;

protected:
  friend class TEditButtonActionLinkEh;
  virtual std::unique_ptr<TDropDownFormCallParamsEh> CreateDropDownFormParams();
  // A descendant's constructor makes its own kind of parameters (the base
  // constructor cannot reach the descendant's factory).
  void RecreateDropDownFormParams() { FDropDownFormParams = CreateDropDownFormParams(); }
  virtual TEditButtonDrawBackTimeEh DefaultDrawBackTime() const;
  virtual bool GetVisible() const { return FVisible; }
  virtual bool GetDrawBackTimeStored() const { return FDrawBackTimeStored; }
  virtual void SetVisibleValue(bool Value);
  virtual TEditButtonActionLinkEh* CreateActionLink();
  // The action's values; with CheckDefaults only where the button still has
  // its default.
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  // Defaults a descendant's description leaves out.
  TShortCut FShortCut = 0;
  bool FVisible = false;

private:
  void Init();
  void DoActionChange(TObject* Sender);

  std::unique_ptr<TEditButtonActionLinkEh> FActionLink;
  bool FDefaultAction = false;
  bool FDefaultActionStored = false;
  TEditButtonDrawBackTimeEh FDrawBackTime = edbtAlwaysEh;
  bool FDrawBackTimeStored = false;
  std::unique_ptr<TDropDownFormCallParamsEh> FDropDownFormParams;
  TPopupMenu* FDropdownMenu = nullptr;
  TWinControl* FEditControl = nullptr;
  bool FEnabled = true;
  std::unique_ptr<TBitmap> FGlyph;
  String FHint;
  std::unique_ptr<TEditButtonImagesEh> FImages;
  Integer FNumGlyphs = 1;
  TEditButtonStyleEh FStyle = ebsDropDownEh;
  Integer FWidth = 0;
  bool FParentDefinedDefaultAction = false;
};

constexpr TShortCut AltDownShortCutEh = scAlt | 0x28;   // Alt+Down: 32808

// A drop-down button: Alt+Down by default.
class TDropDownEditButtonEh : public TEditButtonEh {
  VELMORA_CLASS(TDropDownEditButtonEh)
public:
  explicit TDropDownEditButtonEh(TCollection* Collection) : TEditButtonEh(Collection) { FShortCut = AltDownShortCutEh; }
  explicit TDropDownEditButtonEh(TWinControl* EditControl) : TEditButtonEh(EditControl)
  {
    FShortCut = AltDownShortCutEh;
  }
};

// A button shown by default: visible, Alt+Down.
class TVisibleEditButtonEh : public TEditButtonEh {
  VELMORA_CLASS(TVisibleEditButtonEh)
public:
  explicit TVisibleEditButtonEh(TCollection* Collection) : TEditButtonEh(Collection)
  {
    FShortCut = AltDownShortCutEh;
    FVisible = true;
  }
  explicit TVisibleEditButtonEh(TWinControl* EditControl) : TEditButtonEh(EditControl)
  {
    FShortCut = AltDownShortCutEh;
    FVisible = true;
  }
};

// The extra buttons of an editor or a column.
class TEditButtonsEh : public TCollection {
  VELMORA_CLASS(TEditButtonsEh)
  using inherited = TCollection;
public:
  TEditButtonsEh(TPersistent* Owner, TClass EditButtonClass);
  TEditButtonEh* Add() { return static_cast<TEditButtonEh*>(inherited::Add()); }
  TEditButtonEh* Items(Integer Index) const { return static_cast<TEditButtonEh*>(inherited::Items(Index)); }
  void SetItems(Integer Index, TEditButtonEh* Value) { Items(Index)->Assign(Value); }
  virtual TEditButtonDrawBackTimeEh GetDefaultDrawBackTime() const;
  TPersistent* Owner() const { return FOwner; }
  TNotifyEvent OnChanged;
  TRefComponentNotifyEventEh OnRefComponentChanged;
protected:
  TPersistent* GetOwner() const override { return FOwner; }
  void Update(TCollectionItem* Item) override;
private:
  TPersistent* FOwner;
};

// Keeps a button in step with its action.
class TEditButtonActionLinkEh : public TActionLink {
public:
  explicit TEditButtonActionLinkEh(TEditButtonEh* AClient) : TActionLink(AClient), FClient(AClient) {}
  bool IsEnabledLinked() const override;
  bool IsHintLinked() const override;
  bool IsShortCutLinked() const override;
  bool IsVisibleLinked() const override;
  void SetEnabled(bool Value) override;
  void SetHint(const String& Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;
private:
  TEditButtonEh* FClient;
};

// Registers the edit buttons, their controls, images, popup menus and hint
// window with the class registry.
void RegisterToolCtrlsEhButtonClasses();



// ---------------------------------------------------------------------------
// MRU list, special row and size grip.

enum TSizeGripPosition { sgpTopLeft, sgpTopRight, sgpBottomRight, sgpBottomLeft };
enum TSizeGripChangePosition { sgcpToLeft, sgcpToRight, sgcpToTop, sgcpToBottom };
// The corner mirrored for a right-to-left layout.
TSizeGripPosition MirrorSizeGripPositionEh(TSizeGripPosition Position);
// The triangle of a Width x Height grip that keeps its corner.
std::vector<TPoint> SizeGripTrianglePointsEh(TSizeGripPosition Position, Integer Width, Integer Height);
// Shapes Control's window to Points; no points take the shape away.
void SetWindowPolygonEh(TWinControl* Control, const std::vector<TPoint>& Points);

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
  // The owner's own test of an item, which decides instead of the prefix
  // test and fires OnFilterItem itself (an editor compares its text its way).
  std::function<void(const String& AText, bool& Accept)> OwnerFilterItem;
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



// ---------------------------------------------------------------------------
// Bookmark list.

// The sorted bookmarks of a grid's selected rows, ascending in the data set's
// bookmark order. Bookmarks are only ever compared through the data set, so
// the base class needs a descendant that supplies one.
class TBMListEh : public TObject {
  VELMORA_CLASS(TBMListEh)
public:
  // Compares the items at Index1 and Index2 of List through DataSet.
  using TCompareBookmarksProcEh =
      std::function<Integer(TBMListEh* List, TDataSet* DataSet, Integer Index1, Integer Index2)>;

  TBMListEh();
  // Empties the list; descendants empty theirs in their own destructor,
  // where their overrides still run.
  ~TBMListEh() override;

  Integer Count() const { return Integer(FList.size()); }
  bool CurrentRowSelected();
  virtual void SetCurrentRowSelected(bool Value);
  TDataSet* DataSet() const { return GetDataSet(); }
  const TBookmark& GetItem(Integer Index) const;
  const TBookmark& Items(Integer Index) const { return GetItem(Index); }
  // Replaces the item without sorting: the caller keeps the order.
  void SetItem(Integer Index, const TBookmark& Item);

  // Whether Bookmark is in the list; Index is where it is or would go.
  bool Find(const TBookmark& Bookmark, Integer& Index);
  Integer IndexOf(const TBookmark& Bookmark);
  TBookmark GetCurrentBookmark();

  virtual void AppendBookmark(const TBookmark& Bookmark);
  virtual bool DeleteBookmark(const TBookmark& Bookmark);
  // Appends without searching: the caller guarantees the order.
  virtual void AddItem(const TBookmark& Item);
  virtual void InsertItem(Integer Index, const TBookmark& Item);
  virtual void DeleteItem(Integer Index);
  virtual void Clear();

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  bool Updating() const { return FUpdateCount > 0; }

  virtual void Sort();
  virtual void CustomSort(TDataSet* ADataSet, const TCompareBookmarksProcEh& Compare);
  // The owner's link opened or closed: the list starts empty either way.
  void SetLinkActive(bool Value);
  // Re-sorts the list in the data set's present order; with DeleteInvalid
  // drops the bookmarks the data set no longer knows. Answers whether any
  // was dropped.
  bool Refresh(bool DeleteInvalid);
  void SelectAll();
  // Deletes the selected records from the data set.
  void Delete();

protected:
  virtual TDataSet* GetDataSet() const { return nullptr; }
  virtual void Invalidate() {}
  virtual void ListChanged();
  [[noreturn]] virtual void RaiseListError(const String& Message);
  virtual void UpdateState() {}
  bool LinkActive() const { return FLinkActive; }

private:
  Integer CompareWith(const TBookmark& Item, const TBookmark& Bookmark);
  void ForgetCache();
  void CheckIndex(Integer Index, Integer Last) const;

  TBookmark FCache;
  bool FCacheFind = false;
  Integer FCacheIndex = -1;
  bool FLinkActive = false;
  Integer FUpdateCount = 0;
  std::vector<TBookmark> FList;
};



// ---------------------------------------------------------------------------
// Dataset field value list and data link.

// The distinct values of one field, as a column filter's drop-down lists them.
class IMemTableDataFieldValueListEh : public IInterface {
public:
  virtual TStrings* GetValues() = 0;
  virtual void SetFilter(const String& Filter) = 0;
};

using TDataEventEh = std::function<void(TDataEvent Event, NativeInt Info)>;

// A data link that tells its owner about every data event.
class TDataLinkEh : public TDataLink {
  VELMORA_CLASS(TDataLinkEh)
  using inherited = TDataLink;
public:
  TDataLinkEh() = default;
  TDataEventEh OnDataEvent;
protected:
  void DataEvent(TDataEvent Event, NativeInt Info) override;
};

class TStringListEh : public TStringList {
  VELMORA_CLASS(TStringListEh)
public:
  TStringListEh() = default;
};

// The sorted distinct texts of a field. Any change of the data marks them
// obsolete; they are gathered again on the next read only, so a burst of
// changes costs one walk over the data set. Holders share it through
// std::shared_ptr (the interface's reference count).
class TDatasetFieldValueListEh : public TObject, public IMemTableDataFieldValueListEh {
  VELMORA_CLASS(TDatasetFieldValueListEh)
public:
  TDatasetFieldValueListEh();
  ~TDatasetFieldValueListEh() override;

  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  TDataSet* DataSet() const;
  void SetDataSet(TDataSet* Value);
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* Value);
  // Decides both the order and which texts count as one.
  bool CaseSensitive() const;
  void SetCaseSensitive(bool Value);
  TStrings* Values();

  TStrings* GetValues() override { return Values(); }
  // Filtering is the memory table's own list's business; ignored here.
  void SetFilter(const String&) override {}

protected:
  virtual void DataEvent(TDataEvent Event, NativeInt Info);

private:
  class TValueList;
  void RefreshValues();

  std::unique_ptr<TDataLinkEh> FDataLink;
  bool FDataObsoleted = true;
  std::unique_ptr<TDataSource> FDataSource;
  String FFieldName;
  std::unique_ptr<TValueList> FValues;
};



// ---------------------------------------------------------------------------
// Text wrapping, search and hit highlighting.

// One line of a wrapped text: its first character (0-based), length, width
// and height in pixels.
struct TTextLineEh {
  Integer Start = 0;
  Integer Length = 0;
  Integer Width = 0;
  Integer Height = 0;
};
using TTextLinesEh = std::vector<TTextLineEh>;

// The arguments and result of FindTextPosEh.
using TFindTextPosProcEh = std::function<Integer(const String& SubText, const String& Text, bool IgnoreCase,
                                                 Integer Offset, bool WholeWords)>;
// The search the hit painter uses for case-insensitive searches; the grid
// tools install theirs at start-up. Unset, FindTextPosEh serves.
extern TFindTextPosProcEh CaseInsensitiveFindProcEh;

// Whether C ends a word for the whole-word search.
bool IsWordSeparatorEh(QChar C);
// The 1-based position of SubText in Text at or after Offset (1-based); 0
// when there is none. IgnoreCase compares the locale's upper case; WholeWords
// takes only occurrences with a separator or the text's edge on both sides.
Integer FindTextPosEh(const String& SubText, const String& Text, bool IgnoreCase, Integer Offset,
                      bool WholeWords);
// The end (exclusive, 0-based) of the line that starts at Start, wrapped as
// the cell writer wraps: at blanks, a word wider than the line running on,
// CR, LF and CR LF ending a line. Widths holds one width per character.
Integer FindLineEndEh(const String& Text, Integer Start, Integer MaxWidth, bool WordWrap,
                      const std::vector<Integer>& Widths, Integer& LineWidth);
// The lines of Text in MaxWidth; an empty text has none.
TTextLinesEh SplitTextLinesEh(TCanvas* Canvas, Integer MaxWidth, const String& Text, bool WordWrap);
// The widest line and the line count times the line height.
void CalcWrappedTextSizeEh(TCanvas* Canvas, Integer MaxWidth, const String& Text, TSize& Size, bool WordWrap);
// Paints every occurrence of SearchText over a cell text that DrawCellTextEh
// wrote into Rect with the same DX, DY, alignment, layout and wrapping, on
// HighlightColor. FromBegin takes only an occurrence at the text's start.
// NotShownCount receives how many occurrences lie outside the cell; answers
// the number of occurrences.
Integer DrawHighlightedMatchesEh(TCanvas* Canvas, TRect Rect, Integer DX, Integer DY, const String& CellText,
                                 TAlignment Alignment, TTextLayout Layout, bool WordWrap,
                                 const String& SearchText, bool CaseInsensitive, bool WholeWords,
                                 bool FromBegin, TColor HighlightColor, Integer& NotShownCount);


