// Themes.h: the style manager: named visual styles built on Qt styles and
// palettes. "Windows" is the plain look; the others recolour every window
// and the system colours that painting code asks for.
#pragma once

#include "platform/gui/Graphics.h"

#include <QStringList>

class TCustomStyleServices : public TObject {
public:
  explicit TCustomStyleServices(const String& AName) : FName(AName) {}
  String Name() const { return FName; }
  bool IsSystemStyle() const;
  bool Enabled() const { return true; }
  // The colour the style gives a system colour (or any colour, unchanged).
  TColor GetSystemColor(TColor Color) const;
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
};

VELMORA_EXCEPTION(EStyleEngineException, Exception)

// The active style's services (StyleServices in the original).
TCustomStyleServices* StyleServices();
bool ThemeServicesEnabled();

// Style change listeners: the forms repaint and send CM_STYLECHANGED.
using TStyleChangedHook = std::function<void()>;
void SetStyleChangedHook(TStyleChangedHook Hook);
