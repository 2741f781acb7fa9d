// IniFiles.h: INI files ([Section] Key=Value): read and kept in memory,
// written back by UpdateFile (TMemIniFile) or after each change (TIniFile).
#pragma once

#include "platform/rtl/Classes.h"

// The program's settings folder, "$XDG_CONFIG_HOME/velmora/" (ending in the
// path delimiter); created when missing.
String ConfigFolder();

class TCustomIniFile : public TObject {
  VELMORA_CLASS(TCustomIniFile)
public:
  explicit TCustomIniFile(const String& FileName) : FFileName(FileName) {}

  const String& FileName() const { return FFileName; }
  bool SectionExists(const String& Section) const;
  virtual bool ValueExists(const String& Section, const String& Ident) const;

  virtual String ReadString(const String& Section, const String& Ident, const String& Default) const = 0;
  virtual void WriteString(const String& Section, const String& Ident, const String& Value) = 0;
  Integer ReadInteger(const String& Section, const String& Ident, Integer Default) const;
  void WriteInteger(const String& Section, const String& Ident, Integer Value);
  bool ReadBool(const String& Section, const String& Ident, bool Default) const;
  void WriteBool(const String& Section, const String& Ident, bool Value);
  double ReadFloat(const String& Section, const String& Ident, double Default) const;
  void WriteFloat(const String& Section, const String& Ident, double Value);

  virtual void ReadSection(const String& Section, TStrings* Strings) const = 0;    // the keys
  virtual void ReadSections(TStrings* Strings) const = 0;
  virtual void ReadSectionValues(const String& Section, TStrings* Strings) const = 0;  // Key=Value lines
  virtual void EraseSection(const String& Section) = 0;
  virtual void DeleteKey(const String& Section, const String& Ident) = 0;
  virtual void UpdateFile() = 0;

protected:
  void SetFileName(const String& Value) { FFileName = Value; }

private:
  String FFileName;
};

class TMemIniFile : public TCustomIniFile {
  VELMORA_CLASS(TMemIniFile)
public:
  // Reads the file when it exists (an absent file is an empty INI file).
  explicit TMemIniFile(const String& FileName, TEncoding* Encoding = nullptr);
  ~TMemIniFile() override;

  String ReadString(const String& Section, const String& Ident, const String& Default) const override;
  void WriteString(const String& Section, const String& Ident, const String& Value) override;
  bool ValueExists(const String& Section, const String& Ident) const override;
  void ReadSection(const String& Section, TStrings* Strings) const override;
  void ReadSections(TStrings* Strings) const override;
  void ReadSectionValues(const String& Section, TStrings* Strings) const override;
  void EraseSection(const String& Section) override;
  void DeleteKey(const String& Section, const String& Ident) override;
  void UpdateFile() override;

  void Clear();
  void GetStrings(TStrings* List) const;   // the whole file as lines
  void SetStrings(TStrings* List);
  void Rename(const String& FileName, bool Reload);
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }
  TEncoding* Encoding() const { return FEncoding; }
  void SetEncoding(TEncoding* Value) { FEncoding = Value; }

protected:
  void LoadValues();

private:
  struct TSection {
    String Name;
    std::vector<std::pair<String, String>> Values;
  };
  TSection* FindSection(const String& Name) const;
  std::pair<String, String>* FindValue(TSection* S, const String& Ident) const;

  std::vector<std::unique_ptr<TSection>> FSections;
  TEncoding* FEncoding = nullptr;
  bool FCaseSensitive = false;
};

// Works on the file itself: reads see what another object wrote to the same
// file, and every change is read, applied and written back at once, so that
// two objects on one file lose nothing of each other's.
class TIniFile : public TMemIniFile {
  VELMORA_CLASS(TIniFile)
public:
  explicit TIniFile(const String& FileName);
  String ReadString(const String& Section, const String& Ident, const String& Default) const override;
  void WriteString(const String& Section, const String& Ident, const String& Value) override;
  bool ValueExists(const String& Section, const String& Ident) const override;
  void ReadSection(const String& Section, TStrings* Strings) const override;
  void ReadSections(TStrings* Strings) const override;
  void ReadSectionValues(const String& Section, TStrings* Strings) const override;
  void EraseSection(const String& Section) override;
  void DeleteKey(const String& Section, const String& Ident) override;
  void UpdateFile() override;

private:
  void Refresh() const;
  mutable QByteArray FStamp;   // size and time of the file as last read or written
};

// Settings kept under a registry-like key: sections "<Key>\<Section>" of
// $XDG_CONFIG_HOME/velmora/registry.ini, written after every change.
class TRegIniFile : public TCustomIniFile {
  VELMORA_CLASS(TRegIniFile)
public:
  explicit TRegIniFile(const String& Key);
  ~TRegIniFile() override;

  String ReadString(const String& Section, const String& Ident, const String& Default) const override;
  void WriteString(const String& Section, const String& Ident, const String& Value) override;
  bool ValueExists(const String& Section, const String& Ident) const override;
  void ReadSection(const String& Section, TStrings* Strings) const override;
  void ReadSections(TStrings* Strings) const override;   // the sections under the key
  void ReadSectionValues(const String& Section, TStrings* Strings) const override;
  void EraseSection(const String& Section) override;
  void DeleteKey(const String& Section, const String& Ident) override;
  void UpdateFile() override;
  // The file behind every key (tests point it elsewhere).
  static String StoreFileName();
  static void SetStoreFileName(const String& FileName);

private:
  String Full(const String& Section) const;
  String FKey;
  std::unique_ptr<TIniFile> FStore;
};
