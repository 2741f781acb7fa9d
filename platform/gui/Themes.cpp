// Themes.cpp: the named styles, their system colours and Qt palettes.
#include "platform/gui/Themes.h"

#include "platform/gui/GraphicsQt.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

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
bool ThemeServicesEnabled() { return true; }

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
