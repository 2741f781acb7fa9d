// IniFiles.cpp: INI files kept in memory and written back whole.
#include "platform/rtl/IniFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

bool TCustomIniFile::SectionExists(const String& Section) const
{
  TStringList Keys;
  ReadSection(Section, &Keys);
  return Keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const String& Section, const String& Ident) const
{
  TStringList Keys;
  ReadSection(Section, &Keys);
  return Keys.IndexOf(Ident) >= 0;
}

Integer TCustomIniFile::ReadInteger(const String& Section, const String& Ident, Integer Default) const
{
  String S = ReadString(Section, Ident, QString()).trimmed();
  if (S.isEmpty())
    return Default;
  bool Ok = false;
  Integer V;
  if (S.startsWith(QLatin1Char('$')))
    V = Integer(S.mid(1).toUInt(&Ok, 16));
  else if (S.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
    V = Integer(S.mid(2).toUInt(&Ok, 16));
  else
    V = S.toInt(&Ok);
  return Ok ? V : Default;
}

void TCustomIniFile::WriteInteger(const String& Section, const String& Ident, Integer Value)
{
  WriteString(Section, Ident, QString::number(Value));
}

bool TCustomIniFile::ReadBool(const String& Section, const String& Ident, bool Default) const
{
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& Section, const String& Ident, bool Value)
{
  WriteString(Section, Ident, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

double TCustomIniFile::ReadFloat(const String& Section, const String& Ident, double Default) const
{
  String S = ReadString(Section, Ident, QString()).trimmed();
  if (S.isEmpty())
    return Default;
  // Written with the program's decimal comma; a point is read as well.
  S.replace(QLatin1Char(','), QLatin1Char('.'));
  bool Ok = false;
  const double V = S.toDouble(&Ok);
  return Ok ? V : Default;
}

void TCustomIniFile::WriteFloat(const String& Section, const String& Ident, double Value)
{
  WriteString(Section, Ident, QString::number(Value, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(',')));
}

TMemIniFile::TMemIniFile(const String& FileName, TEncoding* Encoding) : TCustomIniFile(FileName), FEncoding(Encoding)
{
  LoadValues();
}

TMemIniFile::~TMemIniFile() = default;

void TMemIniFile::LoadValues()
{
  Clear();
  if (FileName().isEmpty() || !QFileInfo::exists(FileName()))
    return;
  TStringList List;
  List.LoadFromFile(FileName(), FEncoding);
  if (!FEncoding)
    FEncoding = List.Encoding();
  SetStrings(&List);
}

void TMemIniFile::Clear()
{
  FSections.clear();
}

TMemIniFile::TSection* TMemIniFile::FindSection(const String& Name) const
{
  const auto CS = FCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
  for (const auto& S : FSections)
    if (S->Name.compare(Name, CS) == 0)
      return S.get();
  return nullptr;
}

std::pair<String, String>* TMemIniFile::FindValue(TSection* S, const String& Ident) const
{
  if (!S)
    return nullptr;
  const auto CS = FCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
  for (auto& V : S->Values)
    if (V.first.compare(Ident, CS) == 0)
      return &V;
  return nullptr;
}

String TMemIniFile::ReadString(const String& Section, const String& Ident, const String& Default) const
{
  const auto* V = FindValue(FindSection(Section), Ident);
  return V ? V->second : Default;
}

void TMemIniFile::WriteString(const String& Section, const String& Ident, const String& Value)
{
  TSection* S = FindSection(Section);
  if (!S) {
    FSections.push_back(std::make_unique<TSection>());
    S = FSections.back().get();
    S->Name = Section;
  }
  if (auto* V = FindValue(S, Ident))
    V->second = Value;
  else
    S->Values.emplace_back(Ident, Value);
}

bool TMemIniFile::ValueExists(const String& Section, const String& Ident) const
{
  return FindValue(FindSection(Section), Ident) != nullptr;
}

void TMemIniFile::ReadSection(const String& Section, TStrings* Strings) const
{
  Strings->BeginUpdate();
  Strings->Clear();
  if (const TSection* S = FindSection(Section))
    for (const auto& V : S->Values)
      Strings->Add(V.first);
  Strings->EndUpdate();
}

void TMemIniFile::ReadSections(TStrings* Strings) const
{
  Strings->BeginUpdate();
  Strings->Clear();
  for (const auto& S : FSections)
    Strings->Add(S->Name);
  Strings->EndUpdate();
}

void TMemIniFile::ReadSectionValues(const String& Section, TStrings* Strings) const
{
  Strings->BeginUpdate();
  Strings->Clear();
  if (const TSection* S = FindSection(Section))
    for (const auto& V : S->Values)
      Strings->Add(V.first + QLatin1Char('=') + V.second);
  Strings->EndUpdate();
}

void TMemIniFile::EraseSection(const String& Section)
{
  const auto CS = FCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
  std::erase_if(FSections, [&](const auto& S) { return S->Name.compare(Section, CS) == 0; });
}

void TMemIniFile::DeleteKey(const String& Section, const String& Ident)
{
  TSection* S = FindSection(Section);
  if (!S)
    return;
  const auto CS = FCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
  std::erase_if(S->Values, [&](const auto& V) { return V.first.compare(Ident, CS) == 0; });
}

void TMemIniFile::GetStrings(TStrings* List) const
{
  List->BeginUpdate();
  List->Clear();
  for (std::size_t I = 0; I < FSections.size(); ++I) {
    const TSection& S = *FSections[I];
    List->Add(QLatin1Char('[') + S.Name + QLatin1Char(']'));
    for (const auto& V : S.Values)
      List->Add(V.first + QLatin1Char('=') + V.second);
    if (I + 1 < FSections.size())
      List->Add(QString());
  }
  List->EndUpdate();
}

void TMemIniFile::SetStrings(TStrings* List)
{
  Clear();
  TSection* Current = nullptr;
  for (Integer I = 0; I < List->Count(); ++I) {
    const String Line = List->Get(I).trimmed();
    if (Line.isEmpty() || Line.startsWith(QLatin1Char(';')))
      continue;
    if (Line.startsWith(QLatin1Char('[')) && Line.endsWith(QLatin1Char(']'))) {
      const String Name = Line.mid(1, Line.size() - 2).trimmed();
      Current = FindSection(Name);
      if (!Current) {
        FSections.push_back(std::make_unique<TSection>());
        Current = FSections.back().get();
        Current->Name = Name;
      }
      continue;
    }
    if (!Current)
      continue;
    const qsizetype Eq = Line.indexOf(QLatin1Char('='));
    String Key = Eq < 0 ? Line : Line.left(Eq).trimmed();
    String Value = Eq < 0 ? String() : Line.mid(Eq + 1).trimmed();
    // A value in matching quotes keeps its blanks.
    if (Value.size() >= 2 && ((Value.startsWith(QLatin1Char('"')) && Value.endsWith(QLatin1Char('"'))) ||
                              (Value.startsWith(QLatin1Char('\'')) && Value.endsWith(QLatin1Char('\'')))))
      Value = Value.mid(1, Value.size() - 2);
    if (auto* V = FindValue(Current, Key))
      V->second = Value;
    else
      Current->Values.emplace_back(Key, Value);
  }
}

void TMemIniFile::Rename(const String& FileName, bool Reload)
{
  SetFileName(FileName);
  if (Reload)
    LoadValues();
}

void TMemIniFile::UpdateFile()
{
  if (FileName().isEmpty())
    return;
  const QFileInfo Info(FileName());
  QDir().mkpath(Info.absolutePath());
  TStringList List;
  GetStrings(&List);
  TBytesStream Bytes;
  List.SaveToStream(&Bytes, FEncoding ? FEncoding : TEncoding::ANSI());
  // A new file beside the old one replaces it only once it is whole: a full
  // disk or a crash leaves the old settings, never a truncated file.
  QSaveFile File(FileName());
  if (!File.open(QIODevice::WriteOnly))
    throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(FileName(), File.errorString()));
  const QByteArray Data = Bytes.Bytes();
  // commit() alone renames even after a failed write
  const bool Written = File.write(Data) == Data.size() && File.flush();
  if (!Written)
    File.cancelWriting();
  if (!File.commit() || !Written)
    throw EWriteError(QStringLiteral("Cannot write file \"%1\". %2").arg(FileName(), File.errorString()));
}

static QByteArray FileStamp(const String& FileName)
{
  const QFileInfo Info(FileName);
  if (!Info.exists())
    return QByteArray("none");
  return QByteArray::number(Info.size()) + ':' +
         QByteArray::number(Info.lastModified().toMSecsSinceEpoch()) + ':' +
         QByteArray::number(Info.metadataChangeTime().toMSecsSinceEpoch());
}

TIniFile::TIniFile(const String& FileName) : TMemIniFile(FileName), FStamp(FileStamp(FileName)) {}

void TIniFile::Refresh() const
{
  const QByteArray Stamp = FileStamp(FileName());
  if (Stamp == FStamp)
    return;
  const_cast<TIniFile*>(this)->LoadValues();
  FStamp = Stamp;
}

String TIniFile::ReadString(const String& Section, const String& Ident, const String& Default) const
{
  Refresh();
  return TMemIniFile::ReadString(Section, Ident, Default);
}

bool TIniFile::ValueExists(const String& Section, const String& Ident) const
{
  Refresh();
  return TMemIniFile::ValueExists(Section, Ident);
}

void TIniFile::ReadSection(const String& Section, TStrings* Strings) const
{
  Refresh();
  TMemIniFile::ReadSection(Section, Strings);
}

void TIniFile::ReadSections(TStrings* Strings) const
{
  Refresh();
  TMemIniFile::ReadSections(Strings);
}

void TIniFile::ReadSectionValues(const String& Section, TStrings* Strings) const
{
  Refresh();
  TMemIniFile::ReadSectionValues(Section, Strings);
}

void TIniFile::WriteString(const String& Section, const String& Ident, const String& Value)
{
  FStamp.clear();   // always read what is on disk before changing it
  Refresh();
  TMemIniFile::WriteString(Section, Ident, Value);
  UpdateFile();
}

void TIniFile::EraseSection(const String& Section)
{
  FStamp.clear();
  Refresh();
  TMemIniFile::EraseSection(Section);
  UpdateFile();
}

void TIniFile::DeleteKey(const String& Section, const String& Ident)
{
  FStamp.clear();
  Refresh();
  TMemIniFile::DeleteKey(Section, Ident);
  UpdateFile();
}

void TIniFile::UpdateFile()
{
  TMemIniFile::UpdateFile();
  FStamp = FileStamp(FileName());
}

namespace {

String& RegistryStoreOverride()
{
  static String Name;
  return Name;
}

} // namespace

String ConfigFolder()
{
  const String Folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                        QStringLiteral("/velmora/");
  QDir().mkpath(Folder);
  return Folder;
}

String TRegIniFile::StoreFileName()
{
  if (!RegistryStoreOverride().isEmpty())
    return RegistryStoreOverride();
  return ConfigFolder() + QStringLiteral("registry.ini");
}

void TRegIniFile::SetStoreFileName(const String& FileName)
{
  RegistryStoreOverride() = FileName;
}

TRegIniFile::TRegIniFile(const String& Key)
  : TCustomIniFile(Key), FKey(Key), FStore(std::make_unique<TIniFile>(StoreFileName()))
{
  while (FKey.endsWith(QLatin1Char('\\')))
    FKey.chop(1);
}

TRegIniFile::~TRegIniFile() = default;

String TRegIniFile::Full(const String& Section) const
{
  return Section.isEmpty() ? FKey : FKey + QLatin1Char('\\') + Section;
}

String TRegIniFile::ReadString(const String& Section, const String& Ident, const String& Default) const
{
  return FStore->ReadString(Full(Section), Ident, Default);
}

void TRegIniFile::WriteString(const String& Section, const String& Ident, const String& Value)
{
  FStore->WriteString(Full(Section), Ident, Value);
}

bool TRegIniFile::ValueExists(const String& Section, const String& Ident) const
{
  return FStore->ValueExists(Full(Section), Ident);
}

void TRegIniFile::ReadSection(const String& Section, TStrings* Strings) const
{
  FStore->ReadSection(Full(Section), Strings);
}

void TRegIniFile::ReadSections(TStrings* Strings) const
{
  TStringList All;
  FStore->ReadSections(&All);
  const String Prefix = FKey + QLatin1Char('\\');
  Strings->BeginUpdate();
  Strings->Clear();
  for (Integer I = 0; I < All.Count(); ++I) {
    const String S = All[I];
    if (S.startsWith(Prefix, Qt::CaseInsensitive) && !S.mid(Prefix.size()).contains(QLatin1Char('\\')))
      Strings->Add(S.mid(Prefix.size()));
  }
  Strings->EndUpdate();
}

void TRegIniFile::ReadSectionValues(const String& Section, TStrings* Strings) const
{
  FStore->ReadSectionValues(Full(Section), Strings);
}

void TRegIniFile::EraseSection(const String& Section)
{
  FStore->EraseSection(Full(Section));
}

void TRegIniFile::DeleteKey(const String& Section, const String& Ident)
{
  FStore->DeleteKey(Full(Section), Ident);
}

void TRegIniFile::UpdateFile()
{
  FStore->UpdateFile();
}
