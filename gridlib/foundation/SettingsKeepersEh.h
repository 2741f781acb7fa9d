// SettingsKeepersEh.h: a tree of named settings (texts, integers, nested
// trees) that a grid fills when it saves its layout and reads when it
// restores it, and its storage in the program's INI settings files.
#pragma once

#include "platform/rtl/Classes.h"

#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

class TCustomIniFile;

class TStringObject : public TObject {
  VELMORA_CLASS(TStringObject)
public:
  explicit TStringObject(const String& AValue) : Value(AValue) {}
  String ToString() const { return Value; }
  String Value;
};

class TIntegerObject : public TObject {
  VELMORA_CLASS(TIntegerObject)
public:
  explicit TIntegerObject(Integer AValue) : Value(AValue) {}
  String ToString() const { return String::number(Value); }
  Integer Value = 0;
};

// A key and the value object the dictionary holds for it.
using TSettingsKeeperPairEh = std::pair<String, TObject*>;

// Keys (exact, case-sensitive) to owned value objects: a value is freed when
// it is removed, replaced or cleared, and with the dictionary.
class TSettingsKeeperDicEh {
public:
  // EListError when the key is present (the value is then freed).
  void Add(const String& Key, std::unique_ptr<TObject> Value);
  void CheckKeyAbsent(const String& Key) const;
  void AddOrSetValue(const String& Key, std::unique_ptr<TObject> Value);
  void Remove(const String& Key);
  void Clear() { FItems.clear(); }
  bool ContainsKey(const String& Key) const { return FItems.count(Key) != 0; }
  bool TryGetValue(const String& Key, TObject*& Value) const;
  Integer Count() const { return Integer(FItems.size()); }
  // In the dictionary's own order.
  std::vector<TSettingsKeeperPairEh> ToArray() const;

private:
  std::unordered_map<String, std::unique_ptr<TObject>> FItems;
};

class TSettingsKeeperEh : public TObject {
  VELMORA_CLASS(TSettingsKeeperEh)
public:
  TSettingsKeeperEh();
  ~TSettingsKeeperEh() override;

  // A key that is already present raises EListError and changes nothing.
  void Add(const String& Key, const String& Value);
  void Add(const String& Key, Integer Value);
  // Takes the nested keeper over (also when the key is refused).
  void Add(const String& Key, TSettingsKeeperEh* Value);
  void Add(const String& Key, const char* Value) { Add(Key, String::fromUtf8(Value)); }

  std::vector<TSettingsKeeperPairEh> ToArray() const { return FDic->ToArray(); }
  bool TryGetValue(const String& Key, TObject*& Value) const { return FDic->TryGetValue(Key, Value); }
  bool TryGetSubsettingsValue(const String& Key, TSettingsKeeperEh*& Value) const;
  // An integer, or a text the integer conversion accepts ("42", "$2A").
  bool TryGetIntegerValue(const String& Key, Integer& Value) const;
  // A text only: integers are not converted.
  bool TryGetStringValue(const String& Key, String& Value) const;

private:
  std::unique_ptr<TSettingsKeeperDicEh> FDic;
};

// Orders the nested keepers of columns by their "ColIndex" (0 when absent),
// so that columns come back in their saved order.
class TSettingsKeeperEhCollectionByIndexComparer {
public:
  static TSettingsKeeperEhCollectionByIndexComparer* Ordinal();
  // Both values must be keepers (EInvalidCast otherwise).
  Integer Compare(const TSettingsKeeperPairEh& Left, const TSettingsKeeperPairEh& Right) const;
  bool Equals(const TSettingsKeeperPairEh& Left, const TSettingsKeeperPairEh& Right) const;
  Integer GetHashCode(const TSettingsKeeperPairEh&) const { return 0; }
};

// Settings kept between runs live in INI files of the program's settings
// folder: "$XDG_CONFIG_HOME/velmora/<Name>.ini".
String SettingsIniFileNameEh(const String& Name);
// Writes the tree as the section Section, a nested keeper as the section
// "Section\Key"; what the section held before is replaced. Keys that an INI
// file cannot hold (empty, with "=", "\", "[", "]" or a line break, or two
// differing only in case) raise EArgumentException before anything is written.
void SaveSettingsKeeperToIniEh(TSettingsKeeperEh* Keeper, TCustomIniFile* Ini, const String& Section);
// Reads what SaveSettingsKeeperToIniEh wrote into an empty keeper; values come
// back as texts (TryGetIntegerValue reads numbers from them), and a nested
// keeper that held nothing at all does not come back.
void LoadSettingsKeeperFromIniEh(TSettingsKeeperEh* Keeper, TCustomIniFile* Ini, const String& Section);
