// LanguageResManEh.h: the language manager: re-reads the library's text
// components from per-language form descriptions (files or resources) and
// tells interested components and open forms that the texts changed.
#pragma once

#include "gridlib/foundation/GridPlatformEh.h"

#include <functional>
#include <memory>

enum TLanguageResourcePlacementEh { lrpExternalEh, lrpEmbeddedEh };

using TAutoselectResourceLanguageEh = std::function<void(TObject* Sender, String& LanguageAbbr)>;

// Implemented by a component that refreshes itself after its texts were
// re-read or the language changed.
class ILanguageResourceLoadNotificationConsumer {
public:
  virtual ~ILanguageResourceLoadNotificationConsumer() = default;
  virtual void ResourceLanguageChanged() = 0;
};

// One registration of a localizable component.
class TResObjectEh : public TObject {
public:
  TComponent* RefResObject = nullptr;
  String ResourceName;          // kept, not used for reading
  String ExtResourceFileName;   // base name of its external language files
  String DefaultResourceLanguage;
};

class TLanguageResourceManagerEh : public TPersistent {
  VELMORA_CLASS(TLanguageResourceManagerEh)
  using inherited = TPersistent;
public:
  TLanguageResourceManagerEh();
  ~TLanguageResourceManagerEh() override;

  TResObjectEh* ResObject(Integer Index) const { return GetResObject(Index); }
  TResObjectEh* GetResObject(Integer Index) const;
  Integer ResObjectCount() const { return FLocObjects.Count(); }
  TStringList* LanguageList() const { return FLanguageList.get(); }
  const String& ActiveLanguageAbbr() const { return FActiveLanguageAbbr; }
  // Raises "Language "X" is not supported" for a language outside LanguageList.
  void SetActiveLanguageAbbr(const String& Value);
  const String& ResourceFolderPath() const { return FResourceFolderPath; }
  void SetResourceFolderPath(const String& Value) { FResourceFolderPath = Value; }
  TLanguageResourcePlacementEh ResourcePlacement() const { return FResourcePlacement; }
  void SetResourcePlacement(TLanguageResourcePlacementEh Value) { FResourcePlacement = Value; }
  TAutoselectResourceLanguageEh OnAutoselectLanguage;

  void AddLocalizableObject(TComponent* Component, const String& ResourceName,
                            const String& ExtResourceFileName, const String& DefaultResourceLanguage);
  void DeleteLocalizableObject(TComponent* Component);
  void AddChangeNotifyConsumer(TComponent* Component, const String& DefaultResourceLanguage);
  void DeleteChangeNotifyConsumer(TComponent* Component);
  void NotifyConsumerChange(TComponent* Component);
  void NotifyAllConsumersChange();

  void ReadObjectResource(TResObjectEh* ObjectRes);
  void ReadComponentExternalResource(TComponent* Component, const String& ResourceName);
  void ReadComponentEmbeddedResource(TComponent* Component);
  bool ReadComponentResource(TComponent* Component, const String& ResourceName);
  void ReadComponentFromStream(TComponent* Component, TStream* Stream);

  void LoadListOfAvailableLanguages(const String& BaseFileName);
  Integer IndexOfLanguage(const String& LangID) const;
  String AutoselectLanguage();
  // For a locale name such as "ru_RU" or "de-AT".
  String AutoselectLanguage(const String& LocaleName);
  // The three-letter upper-case language code of a locale ("RUS").
  String GetSuffixForLocale(const String& LocaleName) const;
  // The language's name in its own language, empty for an unknown code.
  String GetNativeLanguageName(const String& LanguageAbbr) const;
  static bool IsKnownLanguageAbbr(const String& Abbr);

  virtual void ActiveLanguageChanged();

private:
  std::unique_ptr<TStringList> FLanguageList;
  TObjectListEh FLocObjects;
  TObjectListEh FChangeNotifyConsumers;
  String FActiveLanguageAbbr;
  String FResourceFolderPath;
  TLanguageResourcePlacementEh FResourcePlacement = lrpExternalEh;
};

// The single manager, created on first use.
TLanguageResourceManagerEh* LanguageResourceManagerEh();
