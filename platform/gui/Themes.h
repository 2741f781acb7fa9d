// Themes.h: the style manager: named visual styles built on Qt styles and
// palettes. "Windows" is the plain look; the others recolour every window
// and the system colours that painting code asks for.
#pragma once

#include "platform/gui/Graphics.h"

#include <QStringList>

// Themed elements: the parts of controls that the active style draws.
enum class TThemedElement { teButton, teComboBox, teGrid, teListView, teScrollBar, teSpin, teToolBar,
                            teToolTip, teTreeview, teWindow };
using enum TThemedElement;

enum class TThemedButton {
  tbButtonDontCare, tbButtonRoot, tbPushButtonNormal, tbPushButtonHot, tbPushButtonPressed,
  tbPushButtonDisabled, tbPushButtonDefaulted, tbRadioButtonUncheckedNormal, tbRadioButtonUncheckedHot,
  tbRadioButtonUncheckedPressed, tbRadioButtonUncheckedDisabled, tbRadioButtonCheckedNormal,
  tbRadioButtonCheckedHot, tbRadioButtonCheckedPressed, tbRadioButtonCheckedDisabled,
  tbCheckBoxUncheckedNormal, tbCheckBoxUncheckedHot, tbCheckBoxUncheckedPressed, tbCheckBoxUncheckedDisabled,
  tbCheckBoxCheckedNormal, tbCheckBoxCheckedHot, tbCheckBoxCheckedPressed, tbCheckBoxCheckedDisabled,
  tbCheckBoxMixedNormal, tbCheckBoxMixedHot, tbCheckBoxMixedPressed, tbCheckBoxMixedDisabled,
  tbGroupBoxNormal, tbGroupBoxDisabled
};
using enum TThemedButton;
enum class TThemedComboBox { tcComboBoxDontCare, tcComboBoxRoot, tcDropDownButtonNormal, tcDropDownButtonHot,
                             tcDropDownButtonPressed, tcDropDownButtonDisabled };
using enum TThemedComboBox;
enum class TThemedSpin {
  tsSpinDontCare, tsSpinRoot, tsUpNormal, tsUpHot, tsUpPressed, tsUpDisabled, tsDownNormal, tsDownHot,
  tsDownPressed, tsDownDisabled, tsUpHorzNormal, tsUpHorzHot, tsUpHorzPressed, tsUpHorzDisabled,
  tsDownHorzNormal, tsDownHorzHot, tsDownHorzPressed, tsDownHorzDisabled
};
using enum TThemedSpin;
enum class TThemedToolBar { ttbToolBarDontCare, ttbToolBarRoot, ttbButtonNormal, ttbButtonHot, ttbButtonPressed,
                            ttbButtonDisabled, ttbButtonChecked, ttbButtonCheckedHot };
using enum TThemedToolBar;
enum class TThemedScrollBar { tsScrollBarDontCare, tsScrollBarRoot, tsSizeBoxRightAlign, tsSizeBoxLeftAlign,
                              tsSizeBoxTopRightAlign, tsSizeBoxTopLeftAlign };
using enum TThemedScrollBar;
enum class TThemedTreeview { ttTreeviewDontCare, ttTreeviewRoot, ttGlyphClosed, ttGlyphOpened };
using enum TThemedTreeview;
enum class TThemedGrid {
  tgGridDontCare, tgGridRoot, tgCellNormal, tgCellSelected, tgFixedCellNormal, tgFixedCellHot,
  tgFixedCellPressed, tgGradientCellNormal, tgGradientCellSelected, tgGradientFixedCellNormal,
  tgGradientFixedCellHot, tgGradientFixedCellPressed, tgClassicCellNormal, tgClassicCellSelected,
  tgClassicFixedCellNormal, tgClassicFixedCellHot, tgClassicFixedCellPressed
};
using enum TThemedGrid;
enum class TThemedListview { tlListviewDontCare, tlListviewRoot, tlListItemNormal, tlListItemHot,
                             tlListItemSelected, tlListItemDisabled, tlListItemSelectedNotFocus,
                             tlGroupHeaderCloseSelected };
using enum TThemedListview;
enum class TThemedWindow { twWindowDontCare, twWindowRoot, twSmallCaptionActive, twSmallCaptionInactive,
                           twSmallFrameBottomActive, twSmallFrameBottomInactive, twSmallCloseButtonNormal,
                           twSmallCloseButtonHot, twSmallCloseButtonPushed, twSmallCloseButtonDisabled };
using enum TThemedWindow;
enum class TThemedToolTip { tttToolTipDontCare, tttToolTipRoot, tttStandardNormal, tttCloseNormal, tttCloseHot,
                            tttClosePressed };
using enum TThemedToolTip;

// Which element, and which of its parts and states (the enumeration value).
struct TThemedElementDetails {
  TThemedElement Element = teButton;
  Integer Part = 0;
  Integer State = 0;
  bool operator==(const TThemedElementDetails&) const = default;
};

enum class TElementSize { esMinimum, esActual, esStretch };
using enum TElementSize;
enum class TElementColor { ecBorderColor, ecFillColor, ecTextColor };
using enum TElementColor;

class TCustomStyleServices : public TObject {
public:
  explicit TCustomStyleServices(const String& AName) : FName(AName) {}
  String Name() const { return FName; }
  bool IsSystemStyle() const;
  // Themed drawing: a custom style always themes; the system style only
  // while the system themes are on.
  bool Enabled() const;
  bool Available() const { return true; }
  // The colour the style gives a system colour (or any colour, unchanged).
  TColor GetSystemColor(TColor Color) const;

  TThemedElementDetails GetElementDetails(TThemedButton Detail) const { return {teButton, Integer(Detail)}; }
  TThemedElementDetails GetElementDetails(TThemedComboBox Detail) const { return {teComboBox, Integer(Detail)}; }
  TThemedElementDetails GetElementDetails(TThemedGrid Detail) const { return {teGrid, Integer(Detail)}; }
  TThemedElementDetails GetElementDetails(TThemedListview Detail) const { return {teListView, Integer(Detail)}; }
  TThemedElementDetails GetElementDetails(TThemedScrollBar Detail) const { return {teScrollBar, Integer(Detail)}; }
  TThemedElementDetails GetElementDetails(TThemedSpin Detail) const { return {teSpin, Integer(Detail)}; }
  TThemedElementDetails GetElementDetails(TThemedToolBar Detail) const { return {teToolBar, Integer(Detail)}; }
  TThemedElementDetails GetElementDetails(TThemedToolTip Detail) const { return {teToolTip, Integer(Detail)}; }
  TThemedElementDetails GetElementDetails(TThemedTreeview Detail) const { return {teTreeview, Integer(Detail)}; }
  TThemedElementDetails GetElementDetails(TThemedWindow Detail) const { return {teWindow, Integer(Detail)}; }

  // Draws the element into R on DC (clipped to ClipRect when given) with
  // the active Qt style and the style's palette.
  bool DrawElement(HDC DC, const TThemedElementDetails& Details, const TRect& R,
                   const TRect* ClipRect = nullptr) const;
  // Text in the element's text colour (Color when not clNone), DT_* flags.
  bool DrawText(HDC DC, const TThemedElementDetails& Details, const String& S, TRect& R, UINT Flags,
                TColor Color = clNone) const;
  // The part of R inside the element's border, where content goes.
  bool GetElementContentRect(HDC DC, const TThemedElementDetails& Details, const TRect& BoundingRect,
                             TRect& ContentRect) const;
  // The element's natural size (check boxes, glyphs, grips, buttons).
  bool GetElementSize(HDC DC, const TThemedElementDetails& Details, TElementSize ElementSize, TSize& Size) const;
  // The element's border, fill or text colour as RGB; false when it has none.
  bool GetElementColor(const TThemedElementDetails& Details, TElementColor ElementColor, TColor& Color) const;

private:
  String FName;
};

class TStyleManager {
public:
  // Applies the named style to every window at once. An unknown name leaves
  // the current style; with ShowErrorDialog the user is told so.
  static bool TrySetStyle(const String& Name, bool ShowErrorDialog = true);
  static void SetStyle(const String& Name);   // EStyleEngineException when unknown
  static QStringList StyleNames();
  static TCustomStyleServices* ActiveStyle();
  static bool IsCustomStyleActive();
  static String SystemStyleName() { return QStringLiteral("Windows"); }
  // Whether the system style draws themed or in the classic look; a change
  // reaches every window as a style change.
  static bool SystemThemesEnabled();
  static void SetSystemThemesEnabled(bool Value);
};

VELMORA_EXCEPTION(EStyleEngineException, Exception)

// The active style's services (StyleServices in the original).
TCustomStyleServices* StyleServices();
TCustomStyleServices* ThemeServices();
bool ThemeServicesEnabled();

// Style change listeners: the forms repaint and send CM_STYLECHANGED.
using TStyleChangedHook = std::function<void()>;
void SetStyleChangedHook(TStyleChangedHook Hook);
