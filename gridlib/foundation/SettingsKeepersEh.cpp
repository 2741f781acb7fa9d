// SettingsKeepersEh.cpp: the settings tree, its column-order comparer and its
// INI storage.
#include "gridlib/foundation/SettingsKeepersEh.h"

#include "platform/rtl/IniFiles.h"
#include "platform/rtl/SysUtils.h"

#include <QSet>

// ---------------------------------------------------------------------------
// Dictionary.

void TSettingsKeeperDicEh::CheckKeyAbsent(const String& Key) const
{
  if (ContainsKey(Key))
    throw EListError(QStringLiteral("Duplicates not allowed: the key '%1' is already present").arg(Key));
}

void TSettingsKeeperDicEh::Add(const String& Key, std::unique_ptr<TObject> Value)
{
  CheckKeyAbsent(Key);
  FItems.emplace(Key, std::move(Value));
}

void TSettingsKeeperDicEh::AddOrSetValue(const String& Key, std::unique_ptr<TObject> Value)
{
  FItems[Key] = std::move(Value);
}

void TSettingsKeeperDicEh::Remove(const String& Key)
{
  FItems.erase(Key);
}

bool TSettingsKeeperDicEh::TryGetValue(const String& Key, TObject*& Value) const
{
  const auto It = FItems.find(Key);
  Value = It != FItems.end() ? It->second.get() : nullptr;
  return It != FItems.end();
}

std::vector<TSettingsKeeperPairEh> TSettingsKeeperDicEh::ToArray() const
{
  std::vector<TSettingsKeeperPairEh> Result;
  Result.reserve(FItems.size());
  for (const auto& [Key, Value] : FItems)
    Result.emplace_back(Key, Value.get());
  return Result;
}

// ---------------------------------------------------------------------------
// Settings keeper.

TSettingsKeeperEh::TSettingsKeeperEh() : FDic(std::make_unique<TSettingsKeeperDicEh>()) {}

TSettingsKeeperEh::~TSettingsKeeperEh() = default;

// The key is checked before a value object is made for it.
void TSettingsKeeperEh::Add(const String& Key, const String& Value)
{
  FDic->CheckKeyAbsent(Key);
  FDic->Add(Key, std::make_unique<TStringObject>(Value));
}

void TSettingsKeeperEh::Add(const String& Key, Integer Value)
{
  FDic->CheckKeyAbsent(Key);
  FDic->Add(Key, std::make_unique<TIntegerObject>(Value));
}

void TSettingsKeeperEh::Add(const String& Key, TSettingsKeeperEh* Value)
{
  FDic->Add(Key, std::unique_ptr<TObject>(Value));
}

bool TSettingsKeeperEh::TryGetSubsettingsValue(const String& Key, TSettingsKeeperEh*& Value) const
{
  TObject* Obj = nullptr;
  Value = FDic->TryGetValue(Key, Obj) ? dynamic_cast<TSettingsKeeperEh*>(Obj) : nullptr;
  return Value != nullptr;
}

bool TSettingsKeeperEh::TryGetIntegerValue(const String& Key, Integer& Value) const
{
  TObject* Obj = nullptr;
  if (!FDic->TryGetValue(Key, Obj))
    return false;
  if (auto* I = dynamic_cast<TIntegerObject*>(Obj)) {
    Value = I->Value;
    return true;
  }
  if (auto* S = dynamic_cast<TStringObject*>(Obj))
    return TryStrToInt(S->Value, Value);
  return false;
}

bool TSettingsKeeperEh::TryGetStringValue(const String& Key, String& Value) const
{
  Value.clear();
  TObject* Obj = nullptr;
  if (!FDic->TryGetValue(Key, Obj))
    return false;
  auto* S = dynamic_cast<TStringObject*>(Obj);
  if (!S)
    return false;
  Value = S->Value;
  return true;
}

// ---------------------------------------------------------------------------
// Column-order comparer.

TSettingsKeeperEhCollectionByIndexComparer* TSettingsKeeperEhCollectionByIndexComparer::Ordinal()
{
  static TSettingsKeeperEhCollectionByIndexComparer Instance;
  return &Instance;
}

static Integer ColIndexOf(const TSettingsKeeperPairEh& Pair)
{
  auto* Keeper = dynamic_cast<TSettingsKeeperEh*>(Pair.second);
  if (!Keeper)
    throw EInvalidCast(QStringLiteral("Invalid class typecast"));
  Integer Index = 0;
  if (!Keeper->TryGetIntegerValue(QStringLiteral("ColIndex"), Index))
    Index = 0;
  return Index;
}

Integer TSettingsKeeperEhCollectionByIndexComparer::Compare(const TSettingsKeeperPairEh& Left,
                                                              const TSettingsKeeperPairEh& Right) const
{
  return ColIndexOf(Left) - ColIndexOf(Right);
}

bool TSettingsKeeperEhCollectionByIndexComparer::Equals(const TSettingsKeeperPairEh& Left,
                                                         const TSettingsKeeperPairEh& Right) const
{
  return Compare(Left, Right) == 0;
}

// ---------------------------------------------------------------------------
// INI storage.

String SettingsIniFileNameEh(const String& Name)
{
  return ConfigFolder() + Name + QStringLiteral(".ini");
}

static const QChar SubSectionDelimiter = QLatin1Char('\\');

static String SubSection(const String& Section, const String& Key)
{
  return Section + SubSectionDelimiter + Key;
}

static bool HasLineBreak(const String& S)
{
  return S.contains(QLatin1Char('\r')) || S.contains(QLatin1Char('\n'));
}

// Whole tree first, so that a refused key leaves the file as it was.
static void CheckStorable(TSettingsKeeperEh* Keeper)
{
  QSet<String> Folded;   // INI keys and sections ignore case
  for (const auto& [Key, Value] : Keeper->ToArray()) {
    if (Folded.contains(Key.toCaseFolded()))
      throw EArgumentException(QStringLiteral("The settings key '%1' differs from another only in case").arg(Key));
    Folded.insert(Key.toCaseFolded());
    const bool BadKey = Key.isEmpty() || Key.trimmed() != Key || HasLineBreak(Key) ||
                        Key.contains(QLatin1Char('=')) || Key.contains(SubSectionDelimiter) ||
                        Key.startsWith(QLatin1Char('[')) || Key.contains(QLatin1Char(']')) ||
                        Key.startsWith(QLatin1Char(';'));
    if (BadKey)
      throw EArgumentException(QStringLiteral("The settings key '%1' cannot be stored in an INI file").arg(Key));
    if (auto* S = dynamic_cast<TStringObject*>(Value); S && HasLineBreak(S->Value))
      throw EArgumentException(QStringLiteral("The value of the settings key '%1' holds a line break").arg(Key));
    if (auto* Sub = dynamic_cast<TSettingsKeeperEh*>(Value))
      CheckStorable(Sub);
  }
}

static void EraseTree(TCustomIniFile* Ini, const String& Section)
{
  auto Sections = std::make_unique<TStringList>();
  Ini->ReadSections(Sections.get());
  const String Prefix = Section + SubSectionDelimiter;
  for (Integer I = 0; I < Sections->Count(); ++I)
    if (Sections->Get(I).compare(Section, Qt::CaseInsensitive) == 0 ||
        Sections->Get(I).startsWith(Prefix, Qt::CaseInsensitive))
      Ini->EraseSection(Sections->Get(I));
}

static void WriteTree(TSettingsKeeperEh* Keeper, TCustomIniFile* Ini, const String& Section)
{
  for (const auto& [Key, Value] : Keeper->ToArray()) {
    if (auto* Sub = dynamic_cast<TSettingsKeeperEh*>(Value))
      WriteTree(Sub, Ini, SubSection(Section, Key));
    else if (auto* I = dynamic_cast<TIntegerObject*>(Value))
      Ini->WriteInteger(Section, Key, I->Value);
    else if (auto* S = dynamic_cast<TStringObject*>(Value))
      Ini->WriteString(Section, Key, S->Value);
  }
}

void SaveSettingsKeeperToIniEh(TSettingsKeeperEh* Keeper, TCustomIniFile* Ini, const String& Section)
{
  CheckStorable(Keeper);
  EraseTree(Ini, Section);
  WriteTree(Keeper, Ini, Section);
  Ini->UpdateFile();
}

static void ReadTree(TSettingsKeeperEh* Keeper, TCustomIniFile* Ini, const String& Section,
                     const TStringList& AllSections)
{
  auto Keys = std::make_unique<TStringList>();
  Ini->ReadSection(Section, Keys.get());
  for (Integer I = 0; I < Keys->Count(); ++I)
    Keeper->Add(Keys->Get(I), Ini->ReadString(Section, Keys->Get(I), String()));
  // A nested keeper that holds only keepers has no section of its own: its
  // name is the first step of a deeper section's.
  const String Prefix = Section + SubSectionDelimiter;
  QStringList Children;
  for (Integer I = 0; I < AllSections.Count(); ++I) {
    const String Name = AllSections.Get(I);
    if (!Name.startsWith(Prefix, Qt::CaseInsensitive))
      continue;
    const String Key = Name.mid(Prefix.size()).section(SubSectionDelimiter, 0, 0);
    if (!Key.isEmpty() && !Children.contains(Key, Qt::CaseInsensitive))
      Children.append(Key);
  }
  for (const String& Key : Children) {
    auto Sub = std::make_unique<TSettingsKeeperEh>();
    ReadTree(Sub.get(), Ini, SubSection(Section, Key), AllSections);
    Keeper->Add(Key, Sub.release());
  }
}

void LoadSettingsKeeperFromIniEh(TSettingsKeeperEh* Keeper, TCustomIniFile* Ini, const String& Section)
{
  auto Sections = std::make_unique<TStringList>();
  Ini->ReadSections(Sections.get());
  ReadTree(Keeper, Ini, Section, *Sections);
}
