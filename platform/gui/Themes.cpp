// Themes.cpp: the named styles, their system colours and Qt palettes.
#include "platform/gui/Themes.h"

#include "platform/gui/GraphicsQt.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>

#include <array>
#include <memory>

namespace {

using TColorTable = std::array<COLORREF, COLOR_ENDCOLORS + 1>;

constexpr COLORREF Hex(unsigned RGBValue)
{
  return RGB(Byte(RGBValue >> 16), Byte(RGBValue >> 8), Byte(RGBValue));
}

// The plain look: the usual light desktop colours.
TColorTable PlainColors()
{
  TColorTable T{};
  const std::pair<int, unsigned> V[] = {
    {COLOR_SCROLLBAR, 0xC8C8C8}, {COLOR_BACKGROUND, 0x000000}, {COLOR_ACTIVECAPTION, 0x99B4D1},
    {COLOR_INACTIVECAPTION, 0xBFCDDB}, {COLOR_MENU, 0xF0F0F0}, {COLOR_WINDOW, 0xFFFFFF},
    {COLOR_WINDOWFRAME, 0x646464}, {COLOR_MENUTEXT, 0x000000}, {COLOR_WINDOWTEXT, 0x000000},
    {COLOR_CAPTIONTEXT, 0x000000}, {COLOR_ACTIVEBORDER, 0xB4B4B4}, {COLOR_INACTIVEBORDER, 0xF4F7FC},
    {COLOR_APPWORKSPACE, 0xABABAB}, {COLOR_HIGHLIGHT, 0x0078D7}, {COLOR_HIGHLIGHTTEXT, 0xFFFFFF},
    {COLOR_BTNFACE, 0xF0F0F0}, {COLOR_BTNSHADOW, 0xA0A0A0}, {COLOR_GRAYTEXT, 0x6D6D6D},
    {COLOR_BTNTEXT, 0x000000}, {COLOR_INACTIVECAPTIONTEXT, 0x000000}, {COLOR_BTNHIGHLIGHT, 0xFFFFFF},
    {COLOR_3DDKSHADOW, 0x696969}, {COLOR_3DLIGHT, 0xE3E3E3}, {COLOR_INFOTEXT, 0x000000},
    {COLOR_INFOBK, 0xFFFFE1}, {25, 0xB5B5B5}, {COLOR_HOTLIGHT, 0x0066CC},
    {COLOR_GRADIENTACTIVECAPTION, 0xB9D1EA}, {COLOR_GRADIENTINACTIVECAPTION, 0xD7E4F2},
    {COLOR_MENUHILIGHT, 0x3399FF}, {COLOR_MENUBAR, 0xF0F0F0}};
  for (const auto& [I, C] : V)
    T[std::size_t(I)] = Hex(C);
  return T;
}

// A style from a few base colours (as RGB hex).
struct TStyleDef {
  const char* Name;
  unsigned Face, Window, Text, WindowText, Highlight, HighlightText, Shadow, Light, GrayText;
};

const TStyleDef StyleDefs[] = {
  {"Graphite", 0x3C3F41, 0x2B2B2B, 0xE6E6E6, 0xE6E6E6, 0x4B6EAF, 0xFFFFFF, 0x252526, 0x5A5D5F, 0x8C8C8C},
  {"Ocean", 0xD9E6F2, 0xF5F9FD, 0x0F2A44, 0x0F2A44, 0x1F5F9F, 0xFFFFFF, 0x8EA9C4, 0xEEF4FA, 0x6A7F94},
  {"Emerald", 0xDDEEE2, 0xF7FCF8, 0x123D22, 0x123D22, 0x1E7B45, 0xFFFFFF, 0x8DB89C, 0xF0F8F2, 0x62806C},
  {"Sand", 0xEFE6D6, 0xFCF9F3, 0x3B2F1E, 0x3B2F1E, 0xA66B1F, 0xFFFFFF, 0xBCA88A, 0xF7F1E6, 0x857661},
};

TColorTable TableFor(const TStyleDef& D)
{
  TColorTable T = PlainColors();
  auto Set = [&T](int I, unsigned C) { T[std::size_t(I)] = Hex(C); };
  for (int I : {COLOR_BTNFACE, COLOR_MENU, COLOR_MENUBAR, COLOR_SCROLLBAR})
    Set(I, D.Face);
  Set(COLOR_WINDOW, D.Window);
  Set(COLOR_APPWORKSPACE, D.Face);
  for (int I : {COLOR_BTNTEXT, COLOR_MENUTEXT, COLOR_CAPTIONTEXT, COLOR_INFOTEXT, COLOR_INACTIVECAPTIONTEXT})
    Set(I, D.Text);
  Set(COLOR_WINDOWTEXT, D.WindowText);
  Set(COLOR_HIGHLIGHT, D.Highlight);
  Set(COLOR_MENUHILIGHT, D.Highlight);
  Set(COLOR_HOTLIGHT, D.Highlight);
  Set(COLOR_HIGHLIGHTTEXT, D.HighlightText);
  Set(COLOR_BTNSHADOW, D.Shadow);
  Set(COLOR_3DDKSHADOW, D.Shadow);
  Set(COLOR_BTNHIGHLIGHT, D.Light);
  Set(COLOR_3DLIGHT, D.Light);
  Set(COLOR_GRAYTEXT, D.GrayText);
  Set(COLOR_INFOBK, D.Window);
  return T;
}

struct TStyleState {
  String Active = QStringLiteral("Windows");
  TColorTable Colors = PlainColors();
  std::unique_ptr<TCustomStyleServices> Services = std::make_unique<TCustomStyleServices>(QStringLiteral("Windows"));
  TStyleChangedHook Hook;
  bool SystemThemes = true;
};

TStyleState& State()
{
  static TStyleState S;
  return S;
}

QPalette PaletteFrom(const TColorTable& T)
{
  auto C = [&T](int I) { return ToQColor(T[std::size_t(I)]); };
  QPalette P;
  P.setColor(QPalette::Window, C(COLOR_BTNFACE));
  P.setColor(QPalette::WindowText, C(COLOR_BTNTEXT));
  P.setColor(QPalette::Base, C(COLOR_WINDOW));
  P.setColor(QPalette::AlternateBase, C(COLOR_3DLIGHT));
  P.setColor(QPalette::Text, C(COLOR_WINDOWTEXT));
  P.setColor(QPalette::Button, C(COLOR_BTNFACE));
  P.setColor(QPalette::ButtonText, C(COLOR_BTNTEXT));
  P.setColor(QPalette::Highlight, C(COLOR_HIGHLIGHT));
  P.setColor(QPalette::HighlightedText, C(COLOR_HIGHLIGHTTEXT));
  P.setColor(QPalette::ToolTipBase, C(COLOR_INFOBK));
  P.setColor(QPalette::ToolTipText, C(COLOR_INFOTEXT));
  P.setColor(QPalette::Light, C(COLOR_BTNHIGHLIGHT));
  P.setColor(QPalette::Midlight, C(COLOR_3DLIGHT));
  P.setColor(QPalette::Mid, C(COLOR_BTNSHADOW));
  P.setColor(QPalette::Dark, C(COLOR_BTNSHADOW));
  P.setColor(QPalette::Shadow, C(COLOR_3DDKSHADOW));
  P.setColor(QPalette::PlaceholderText, C(COLOR_GRAYTEXT));
  for (auto Role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    P.setColor(QPalette::Disabled, Role, C(COLOR_GRAYTEXT));
  return P;
}

const TStyleDef* FindDef(const String& Name)
{
  for (const TStyleDef& D : StyleDefs)
    if (Name.compare(QLatin1String(D.Name), Qt::CaseInsensitive) == 0)
      return &D;
  return nullptr;
}

} // namespace

// The style manager's error dialog (Dialogs.cpp).
void ShowStyleError(const String& Message);

COLORREF GetSysColor(Integer Index)
{
  if (Index < 0 || Index > COLOR_ENDCOLORS)
    return 0;
  return State().Colors[std::size_t(Index)];
}

bool TCustomStyleServices::IsSystemStyle() const { return FName == TStyleManager::SystemStyleName(); }
bool TCustomStyleServices::Enabled() const { return !IsSystemStyle() || State().SystemThemes; }

TColor TCustomStyleServices::GetSystemColor(TColor Color) const { return ColorToRGB(Color); }

QStringList TStyleManager::StyleNames()
{
  QStringList Names{SystemStyleName()};
  for (const TStyleDef& D : StyleDefs)
    Names << QString::fromLatin1(D.Name);
  return Names;
}

TCustomStyleServices* TStyleManager::ActiveStyle() { return State().Services.get(); }
bool TStyleManager::IsCustomStyleActive() { return !ActiveStyle()->IsSystemStyle(); }
TCustomStyleServices* StyleServices() { return TStyleManager::ActiveStyle(); }
TCustomStyleServices* ThemeServices() { return StyleServices(); }
bool ThemeServicesEnabled() { return StyleServices()->Enabled(); }
bool TStyleManager::SystemThemesEnabled() { return State().SystemThemes; }

void TStyleManager::SetSystemThemesEnabled(bool Value)
{
  TStyleState& S = State();
  if (Value == S.SystemThemes)
    return;
  S.SystemThemes = Value;
  if (S.Hook)
    S.Hook();
}

void SetStyleChangedHook(TStyleChangedHook Hook) { State().Hook = std::move(Hook); }

void TStyleManager::SetStyle(const String& Name)
{
  const bool Plain = Name.compare(SystemStyleName(), Qt::CaseInsensitive) == 0;
  const TStyleDef* Def = Plain ? nullptr : FindDef(Name);
  if (!Plain && !Def)
    throw EStyleEngineException(QStringLiteral("Style '%1' not found").arg(Name));
  TStyleState& S = State();
  const String Canonical = Plain ? SystemStyleName() : QString::fromLatin1(Def->Name);
  S.Colors = Plain ? PlainColors() : TableFor(*Def);
  S.Active = Canonical;
  S.Services = std::make_unique<TCustomStyleServices>(Canonical);
  if (qApp) {
    if (!qApp->style() || qApp->style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
      QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(PaletteFrom(S.Colors));
  }
  if (S.Hook)
    S.Hook();
}

bool TStyleManager::TrySetStyle(const String& Name, bool ShowErrorDialog)
{
  try {
    SetStyle(Name);
    return true;
  } catch (const EStyleEngineException& E) {
    if (ShowErrorDialog)
      ShowStyleError(E.Message());
    return false;
  }
}

// ---------------------------------------------------------------------------
// Themed elements, drawn by the application's Qt style with the palette of
// the active style, so "Windows" stays plain and the others take their colours.

namespace {

enum class TLook { Normal, Hot, Pressed, Disabled };

// Four states in a row (normal, hot, pressed, disabled) from First on.
TLook LookIn(Integer Part, Integer First) { return TLook((Part - First) & 3); }

QStyle* Style() { return qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::style() : nullptr; }

void SetLook(QStyleOption& O, TLook Look)
{
  O.state = QStyle::State_Enabled | QStyle::State_Active;
  switch (Look) {
  case TLook::Normal: O.state |= QStyle::State_Raised; break;
  case TLook::Hot: O.state |= QStyle::State_Raised | QStyle::State_MouseOver; break;
  case TLook::Pressed: O.state |= QStyle::State_Sunken; break;
  case TLook::Disabled: O.state &= ~QStyle::State_Enabled; O.state |= QStyle::State_Raised; break;
  }
  if (Look == TLook::Disabled)
    O.palette.setCurrentColorGroup(QPalette::Disabled);
}

void PanelWithArrow(QPainter& P, QStyle* S, const QRect& R, TLook Look, QStyle::PrimitiveElement Arrow)
{
  QStyleOptionButton B;
  B.rect = R;
  B.palette = QApplication::palette();
  SetLook(B, Look);
  S->drawPrimitive(QStyle::PE_PanelButtonCommand, &B, &P);
  QStyleOption A = B;
  const int Side = std::max(4, std::min(R.width(), R.height()) / 2);
  A.rect = QRect(R.center().x() - Side / 2 + 1, R.center().y() - Side / 2 + 1, Side, Side);
  if (Look == TLook::Pressed)
    A.rect.translate(1, 1);
  S->drawPrimitive(Arrow, &A, &P);
}

void Indicator(QPainter& P, QStyle* S, const QRect& R, TLook Look, QStyle::State Check,
               QStyle::PrimitiveElement Element)
{
  QStyleOptionButton B;
  B.palette = QApplication::palette();
  SetLook(B, Look);
  B.state |= Check;
  const int W = S->pixelMetric(QStyle::PM_IndicatorWidth), H = S->pixelMetric(QStyle::PM_IndicatorHeight);
  B.rect = QRect(R.left() + (R.width() - W) / 2, R.top() + (R.height() - H) / 2, W, H);
  S->drawPrimitive(Element, &B, &P);
}

void CloseButton(QPainter& P, QStyle* S, const QRect& R, TLook Look)
{
  QStyleOptionToolButton B;
  B.rect = R;
  B.palette = QApplication::palette();
  SetLook(B, Look);
  if (Look != TLook::Normal && Look != TLook::Disabled)
    S->drawPrimitive(QStyle::PE_PanelButtonTool, &B, &P);
  // The cross in the text colour: two strokes, a quarter in from the edges.
  const int Inset = std::max(2, std::min(R.width(), R.height()) / 4);
  const QRect X = R.adjusted(Inset, Inset, -Inset, -Inset);
  P.setRenderHint(QPainter::Antialiasing, true);
  P.setPen(QPen(B.palette.color(QPalette::ButtonText), 1.5));
  P.drawLine(X.topLeft(), X.bottomRight());
  P.drawLine(X.topRight(), X.bottomLeft());
}

void FillCell(QPainter& P, const QRect& R, COLORREF Fill, const QColor& Border, bool Bottom)
{
  P.fillRect(R, ToQColor(Fill));
  if (!Bottom)
    return;
  P.fillRect(QRect(R.left(), R.bottom(), R.width(), 1), Border);
  P.fillRect(QRect(R.right(), R.top(), 1, R.height()), Border);
}

// Paints one element into P, whose origin is the element's top-left corner.
bool PaintElement(QPainter& P, const TThemedElementDetails& D, const QRect& R)
{
  QStyle* S = Style();
  if (!S)
    return false;
  const QPalette Pal = QApplication::palette();
  const Integer Part = D.Part;
  switch (D.Element) {
  case teButton: {
    if (Part >= Integer(tbPushButtonNormal) && Part <= Integer(tbPushButtonDefaulted)) {
      QStyleOptionButton B;
      B.rect = R;
      B.palette = Pal;
      SetLook(B, Part == Integer(tbPushButtonDefaulted) ? TLook::Normal : LookIn(Part, Integer(tbPushButtonNormal)));
      if (Part == Integer(tbPushButtonDefaulted))
        B.features |= QStyleOptionButton::DefaultButton;
      S->drawControl(QStyle::CE_PushButtonBevel, &B, &P);
      return true;
    }
    if (Part >= Integer(tbRadioButtonUncheckedNormal) && Part <= Integer(tbRadioButtonCheckedDisabled)) {
      const bool On = Part >= Integer(tbRadioButtonCheckedNormal);
      Indicator(P, S, R, LookIn(Part, Integer(tbRadioButtonUncheckedNormal)), On ? QStyle::State_On : QStyle::State_Off,
                QStyle::PE_IndicatorRadioButton);
      return true;
    }
    if (Part >= Integer(tbCheckBoxUncheckedNormal) && Part <= Integer(tbCheckBoxMixedDisabled)) {
      const Integer Kind = (Part - Integer(tbCheckBoxUncheckedNormal)) / 4;
      const QStyle::State Check = Kind == 0 ? QStyle::State_Off : Kind == 1 ? QStyle::State_On : QStyle::State_NoChange;
      Indicator(P, S, R, LookIn(Part, Integer(tbCheckBoxUncheckedNormal)), Check, QStyle::PE_IndicatorCheckBox);
      return true;
    }
    if (Part == Integer(tbGroupBoxNormal) || Part == Integer(tbGroupBoxDisabled)) {
      QStyleOptionFrame F;
      F.rect = R;
      F.palette = Pal;
      SetLook(F, Part == Integer(tbGroupBoxNormal) ? TLook::Normal : TLook::Disabled);
      F.lineWidth = 1;
      S->drawPrimitive(QStyle::PE_FrameGroupBox, &F, &P);
      return true;
    }
    return false;
  }
  case teComboBox:
    if (Part < Integer(tcDropDownButtonNormal))
      return false;
    PanelWithArrow(P, S, R, LookIn(Part, Integer(tcDropDownButtonNormal)), QStyle::PE_IndicatorArrowDown);
    return true;
  case teSpin: {
    if (Part < Integer(tsUpNormal))
      return false;
    static const QStyle::PrimitiveElement Arrows[] = {QStyle::PE_IndicatorArrowUp, QStyle::PE_IndicatorArrowDown,
                                                       QStyle::PE_IndicatorArrowRight, QStyle::PE_IndicatorArrowLeft};
    PanelWithArrow(P, S, R, LookIn(Part, Integer(tsUpNormal)), Arrows[(Part - Integer(tsUpNormal)) / 4]);
    return true;
  }
  case teToolBar: {
    if (Part < Integer(ttbButtonNormal))
      return false;
    QStyleOptionToolButton B;
    B.rect = R;
    B.palette = Pal;
    const bool Checked = Part >= Integer(ttbButtonChecked);
    SetLook(B, Checked ? (Part == Integer(ttbButtonCheckedHot) ? TLook::Hot : TLook::Normal)
                       : LookIn(Part, Integer(ttbButtonNormal)));
    B.state |= QStyle::State_AutoRaise;
    if (Checked)
      B.state |= QStyle::State_On | QStyle::State_Sunken;
    S->drawPrimitive(QStyle::PE_PanelButtonTool, &B, &P);
    return true;
  }
  case teScrollBar: {
    if (Part < Integer(tsSizeBoxRightAlign))
      return false;
    static const Qt::Corner Corners[] = {Qt::BottomRightCorner, Qt::BottomLeftCorner, Qt::TopRightCorner,
                                         Qt::TopLeftCorner};
    QStyleOptionSizeGrip G;
    G.rect = R;
    G.palette = Pal;
    SetLook(G, TLook::Normal);
    G.corner = Corners[Part - Integer(tsSizeBoxRightAlign)];
    P.fillRect(R, Pal.color(QPalette::Window));
    S->drawControl(QStyle::CE_SizeGrip, &G, &P);
    return true;
  }
  case teTreeview: {
    if (Part < Integer(ttGlyphClosed))
      return false;
    QStyleOption O;
    O.rect = R;
    O.palette = Pal;
    SetLook(O, TLook::Normal);
    O.state |= QStyle::State_Children;
    if (Part == Integer(ttGlyphOpened))
      O.state |= QStyle::State_Open;
    S->drawPrimitive(QStyle::PE_IndicatorBranch, &O, &P);
    return true;
  }
  case teGrid: {
    const TThemedGrid G = TThemedGrid(Part);
    const QColor Border = Pal.color(QPalette::Mid);
    switch (G) {
    case tgCellNormal: case tgGradientCellNormal: case tgClassicCellNormal:
      FillCell(P, R, GetSysColor(COLOR_WINDOW), Border, false);
      return true;
    case tgCellSelected: case tgGradientCellSelected: case tgClassicCellSelected:
      FillCell(P, R, GetSysColor(COLOR_HIGHLIGHT), Border, false);
      return true;
    case tgClassicFixedCellNormal: case tgClassicFixedCellHot: case tgClassicFixedCellPressed:
      FillCell(P, R, GetSysColor(G == tgClassicFixedCellPressed ? COLOR_BTNSHADOW : COLOR_BTNFACE), Border, true);
      return true;
    case tgFixedCellNormal: case tgFixedCellHot: case tgFixedCellPressed:
    case tgGradientFixedCellNormal: case tgGradientFixedCellHot: case tgGradientFixedCellPressed: {
      QStyleOptionHeader H;
      H.rect = R;
      H.palette = Pal;
      const Integer First = G >= tgGradientFixedCellNormal ? Integer(tgGradientFixedCellNormal) : Integer(tgFixedCellNormal);
      SetLook(H, LookIn(Part, First));
      S->drawControl(QStyle::CE_HeaderSection, &H, &P);
      return true;
    }
    default: return false;
    }
  }
  case teListView: {
    if (Part < Integer(tlListItemNormal))
      return false;
    const TThemedListview L = TThemedListview(Part);
    QStyleOptionViewItem V;
    V.rect = R;
    V.palette = Pal;
    SetLook(V, L == tlListItemDisabled ? TLook::Disabled : TLook::Normal);
    V.showDecorationSelected = true;
    V.viewItemPosition = QStyleOptionViewItem::OnlyOne;
    if (L == tlListItemHot)
      V.state |= QStyle::State_MouseOver;
    if (L == tlListItemSelected || L == tlListItemSelectedNotFocus || L == tlGroupHeaderCloseSelected)
      V.state |= QStyle::State_Selected;
    if (L == tlListItemSelectedNotFocus) {
      V.state &= ~QStyle::State_Active;
      V.palette.setCurrentColorGroup(QPalette::Inactive);
    }
    S->drawPrimitive(QStyle::PE_PanelItemViewItem, &V, &P);
    return true;
  }
  case teWindow: {
    const TThemedWindow W = TThemedWindow(Part);
    switch (W) {
    case twSmallCaptionActive: case twSmallCaptionInactive: {
      const bool Active = W == twSmallCaptionActive;
      QLinearGradient Fill(R.topLeft(), R.topRight());
      Fill.setColorAt(0, ToQColor(GetSysColor(Active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION)));
      Fill.setColorAt(1, ToQColor(GetSysColor(Active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION)));
      P.fillRect(R, Fill);
      return true;
    }
    case twSmallFrameBottomActive: case twSmallFrameBottomInactive:
      P.fillRect(R, ToQColor(GetSysColor(W == twSmallFrameBottomActive ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER)));
      return true;
    case twSmallCloseButtonNormal: case twSmallCloseButtonHot: case twSmallCloseButtonPushed:
    case twSmallCloseButtonDisabled:
      CloseButton(P, S, R, LookIn(Part, Integer(twSmallCloseButtonNormal)));
      return true;
    default: return false;
    }
  }
  case teToolTip:
    if (Part == Integer(tttStandardNormal)) {
      P.fillRect(R, Pal.color(QPalette::ToolTipBase));
      P.fillRect(QRect(R.topLeft(), QSize(R.width(), 1)), Pal.color(QPalette::ToolTipText));
      return true;
    }
    if (Part < Integer(tttCloseNormal))
      return false;
    CloseButton(P, S, R, TLook(Part - Integer(tttCloseNormal)));
    return true;
  }
  return false;
}

bool IsDisabled(const TThemedElementDetails& D)
{
  switch (D.Element) {
  case teButton:
    if (D.Part == Integer(tbGroupBoxDisabled))
      return true;
    if (D.Part >= Integer(tbPushButtonNormal) && D.Part < Integer(tbPushButtonDefaulted))
      return LookIn(D.Part, Integer(tbPushButtonNormal)) == TLook::Disabled;
    return D.Part >= Integer(tbRadioButtonUncheckedNormal) && D.Part <= Integer(tbCheckBoxMixedDisabled) &&
           LookIn(D.Part, Integer(tbRadioButtonUncheckedNormal)) == TLook::Disabled;
  case teComboBox: return D.Part == Integer(tcDropDownButtonDisabled);
  case teToolBar: return D.Part == Integer(ttbButtonDisabled);
  case teListView: return D.Part == Integer(tlListItemDisabled);
  case teWindow: return D.Part == Integer(twSmallCloseButtonDisabled);
  default: return false;
  }
}

} // namespace

bool TCustomStyleServices::DrawElement(HDC DC, const TThemedElementDetails& Details, const TRect& R,
                                       const TRect* ClipRect) const
{
  if (!DC || R.IsEmpty() || !Style())
    return false;
  // Painted once into an image of the element's size, then placed like a
  // bitmap, so a metafile records it and any mapping applies to it.
  QImage Image(R.Width(), R.Height(), QImage::Format_ARGB32_Premultiplied);
  Image.fill(Qt::transparent);
  {
    QPainter P(&Image);
    if (!PaintElement(P, Details, QRect(0, 0, R.Width(), R.Height())))
      return false;
  }
  TRect Clip = R;
  if (ClipRect && !IntersectRect(Clip, R, *ClipRect))
    return true;
  const TRect Source(Clip.Left - R.Left, Clip.Top - R.Top, Clip.Right - R.Left, Clip.Bottom - R.Top);
  if (DC->Recorder)
    DC->Recorder->StretchImage(Clip, Image, Source);
  if (DC->Painter && DC->Painter->isActive()) {
    DC->Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    DC->Painter->drawImage(ToQRect(Clip), Image, ToQRect(Source));
  }
  return true;
}

bool TCustomStyleServices::GetElementColor(const TThemedElementDetails& Details, TElementColor ElementColor,
                                           TColor& Color) const
{
  Integer Fill = COLOR_BTNFACE, Text = COLOR_BTNTEXT, Border = COLOR_BTNSHADOW;
  if (Details.Element == teGrid) {
    const TThemedGrid G = TThemedGrid(Details.Part);
    const bool Selected = G == tgCellSelected || G == tgGradientCellSelected || G == tgClassicCellSelected;
    const bool Cell = Selected || G == tgCellNormal || G == tgGradientCellNormal || G == tgClassicCellNormal;
    if (Cell) {
      Fill = Selected ? COLOR_HIGHLIGHT : COLOR_WINDOW;
      Text = Selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT;
      Border = COLOR_3DLIGHT;
    }
  } else if (Details.Element == teListView) {
    const bool Selected = Details.Part == Integer(tlListItemSelected) || Details.Part == Integer(tlGroupHeaderCloseSelected);
    Fill = Selected ? COLOR_HIGHLIGHT : COLOR_WINDOW;
    Text = Selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT;
  } else if (Details.Element == teToolTip) {
    Fill = COLOR_INFOBK;
    Text = COLOR_INFOTEXT;
    Border = COLOR_INFOTEXT;
  }
  if (IsDisabled(Details))
    Text = COLOR_GRAYTEXT;
  const Integer Index = ElementColor == ecFillColor ? Fill : ElementColor == ecTextColor ? Text : Border;
  Color = TColor(GetSysColor(Index));
  return true;
}

bool TCustomStyleServices::DrawText(HDC DC, const TThemedElementDetails& Details, const String& S, TRect& R,
                                    UINT Flags, TColor Color) const
{
  if (!DC)
    return false;
  TColor Text = Color;
  if (Text == clNone)
    GetElementColor(Details, ecTextColor, Text);
  const COLORREF OldColor = SetTextColor(DC, COLORREF(ColorToRGB(Text)));
  const Integer OldMode = SetBkMode(DC, TRANSPARENT);
  ::DrawTextEx(DC, S, -1, R, Flags);
  SetBkMode(DC, OldMode);
  SetTextColor(DC, OldColor);
  return true;
}

bool TCustomStyleServices::GetElementContentRect(HDC, const TThemedElementDetails& Details, const TRect& BoundingRect,
                                                 TRect& ContentRect) const
{
  ContentRect = BoundingRect;
  QStyle* S = Style();
  if (S && Details.Element == teButton && Details.Part >= Integer(tbPushButtonNormal) &&
      Details.Part <= Integer(tbPushButtonDefaulted)) {
    QStyleOptionButton B;
    B.rect = ToQRect(BoundingRect);
    ContentRect = FromQRect(S->subElementRect(QStyle::SE_PushButtonContents, &B));
    return true;
  }
  const bool Framed = Details.Element == teButton || Details.Element == teToolBar || Details.Element == teComboBox ||
                      Details.Element == teSpin || Details.Element == teGrid;
  if (Framed)
    InflateRect(ContentRect, -2, -2);
  return true;
}

bool TCustomStyleServices::GetElementSize(HDC, const TThemedElementDetails& Details, TElementSize ElementSize,
                                          TSize& Size) const
{
  QStyle* S = Style();
  if (!S)
    return false;
  switch (Details.Element) {
  case teButton:
    if (Details.Part >= Integer(tbRadioButtonUncheckedNormal) && Details.Part <= Integer(tbRadioButtonCheckedDisabled)) {
      Size = TSize(S->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth), S->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight));
      return true;
    }
    if (Details.Part >= Integer(tbCheckBoxUncheckedNormal) && Details.Part <= Integer(tbCheckBoxMixedDisabled)) {
      Size = TSize(S->pixelMetric(QStyle::PM_IndicatorWidth), S->pixelMetric(QStyle::PM_IndicatorHeight));
      return true;
    }
    return false;
  case teTreeview:
    Size = TSize(9, 9);
    return true;
  case teScrollBar:
    Size = TSize(GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL));
    return true;
  case teComboBox:
  case teSpin:
    Size = TSize(GetSystemMetrics(SM_CXVSCROLL), ElementSize == esMinimum ? 8 : GetSystemMetrics(SM_CYHSCROLL));
    return true;
  case teWindow:
  case teToolTip:
    Size = TSize(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    return true;
  default:
    return false;
  }
}
