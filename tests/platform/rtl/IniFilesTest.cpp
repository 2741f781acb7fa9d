// IniFilesTest.cpp: INI files read, changed and written back.
#include "platform/rtl/IniFiles.h"
#include "tests/platform/rtl/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray ReadFile(const QString& Name)
{
  QFile F(Name);
  return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
}

void WriteFile(const QString& Name, const QByteArray& Bytes)
{
  QFile F(Name);
  ASSERT_TRUE(F.open(QIODevice::WriteOnly));
  F.write(Bytes);
}

TEST(IniFile, ReadsTypedValuesWithDefaults)
{
  QTemporaryDir Dir;
  const QString Name = Dir.filePath(QStringLiteral("grid.ini"));
  WriteFile(Name, "; layout\n[DBGridEh1]\nWidth = 120\nHex=$1F\nVisible=0\nRatio=1,5\nTitle=\"  Сумма \"\n"
                  "Bad=abc\n\n[Other]\nx=1\n");
  TMemIniFile Ini(Name);
  struct Case {
    const char* Ident;
    Integer Default;
    Integer Expected;
  };
  const Case Cases[] = {{"width", 0, 120}, {"Hex", 0, 31}, {"Bad", 7, 7}, {"Missing", -1, -1}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Ident);
    EXPECT_EQ(Ini.ReadInteger(QStringLiteral("dbgrideh1"), QString::fromLatin1(C.Ident), C.Default), C.Expected);
  }
  EXPECT_FALSE(Ini.ReadBool(QStringLiteral("DBGridEh1"), QStringLiteral("Visible"), true));
  EXPECT_TRUE(Ini.ReadBool(QStringLiteral("DBGridEh1"), QStringLiteral("Missing"), true));
  EXPECT_DOUBLE_EQ(Ini.ReadFloat(QStringLiteral("DBGridEh1"), QStringLiteral("Ratio"), 0), 1.5);
  EXPECT_EQ(Ini.ReadString(QStringLiteral("DBGridEh1"), QStringLiteral("Title"), QString()),
            QStringLiteral("  Сумма "));
  TStringList Keys;
  Ini.ReadSection(QStringLiteral("DBGridEh1"), &Keys);
  EXPECT_EQ(Keys.ToStringList(), (QStringList{"Width", "Hex", "Visible", "Ratio", "Title", "Bad"}));
  Ini.ReadSections(&Keys);
  EXPECT_EQ(Keys.ToStringList(), (QStringList{"DBGridEh1", "Other"}));
  EXPECT_TRUE(Ini.SectionExists(QStringLiteral("other")));
  EXPECT_FALSE(Ini.ValueExists(QStringLiteral("Other"), QStringLiteral("y")));
}

TEST(IniFile, MemIniFileWritesOnlyOnUpdateAndIniFileAtOnce)
{
  QTemporaryDir Dir;
  const QString MemName = Dir.filePath(QStringLiteral("sub/mem.ini"));
  {
    TMemIniFile Ini(MemName);
    Ini.WriteString(QStringLiteral("Main"), QStringLiteral("Style"), QStringLiteral("Windows"));
    Ini.WriteInteger(QStringLiteral("Main"), QStringLiteral("Count"), 3);
    Ini.WriteBool(QStringLiteral("Flags"), QStringLiteral("On"), true);
    EXPECT_FALSE(QFile::exists(MemName));
    Ini.UpdateFile();
  }
  EXPECT_EQ(ReadFile(MemName), QByteArray("[Main]\r\nStyle=Windows\r\nCount=3\r\n\r\n[Flags]\r\nOn=1\r\n"));

  const QString Name = Dir.filePath(QStringLiteral("direct.ini"));
  TIniFile Ini(Name);
  Ini.WriteFloat(QStringLiteral("S"), QStringLiteral("K"), 2.25);
  EXPECT_EQ(ReadFile(Name), QByteArray("[S]\r\nK=2,25\r\n"));
  Ini.WriteString(QStringLiteral("S"), QStringLiteral("Gone"), QStringLiteral("x"));
  Ini.DeleteKey(QStringLiteral("S"), QStringLiteral("gone"));
  Ini.EraseSection(QStringLiteral("Nothing"));
  EXPECT_EQ(ReadFile(Name), QByteArray("[S]\r\nK=2,25\r\n"));
  Ini.EraseSection(QStringLiteral("s"));
  EXPECT_EQ(ReadFile(Name), QByteArray());
  TMemIniFile Again(Name);
  TStringList Sections;
  Again.ReadSections(&Sections);
  EXPECT_EQ(Sections.Count(), 0);
}


TEST(IniFile, TwoObjectsOnOneFileLoseNothingOfEachOther)
{
  QTemporaryDir Dir;
  const QString Name = Dir.filePath(QStringLiteral("shared.ini"));
  TIniFile A(Name);
  TIniFile B(Name);
  A.WriteString(QStringLiteral("S"), QStringLiteral("a"), QStringLiteral("1"));
  B.WriteString(QStringLiteral("S"), QStringLiteral("b"), QStringLiteral("2"));
  A.WriteString(QStringLiteral("S"), QStringLiteral("c"), QStringLiteral("3"));
  EXPECT_EQ(B.ReadString(QStringLiteral("S"), QStringLiteral("c"), QString()), QStringLiteral("3"));
  EXPECT_EQ(ReadFile(Name), QByteArray("[S]\r\na=1\r\nb=2\r\nc=3\r\n"));
}

TEST(RegIniFile, KeysAreSectionsOfOneStore)
{
  QTemporaryDir Dir;
  const QString Store = Dir.filePath(QStringLiteral("velmora/registry.ini"));
  TRegIniFile::SetStoreFileName(Store);
  {
    TRegIniFile Reg(QStringLiteral("Software\\Velmora\\Grids\\"));
    Reg.WriteInteger(QStringLiteral("Form30.DBGridEh1"), QStringLiteral("Width"), 90);
    Reg.WriteString(QStringLiteral("Form31.DBGridEh1"), QStringLiteral("Order"), QStringLiteral("1,2"));
    TRegIniFile Other(QStringLiteral("Software\\Velmora\\Other"));
    Other.WriteBool(QStringLiteral("X"), QStringLiteral("On"), true);
    TStringList Sections;
    Reg.ReadSections(&Sections);
    EXPECT_EQ(Sections.ToStringList(), (QStringList{"Form30.DBGridEh1", "Form31.DBGridEh1"}));
    Reg.EraseSection(QStringLiteral("Form31.DBGridEh1"));
  }
  TRegIniFile Again(QStringLiteral("Software\\Velmora\\Grids"));
  EXPECT_EQ(Again.ReadInteger(QStringLiteral("Form30.DBGridEh1"), QStringLiteral("Width"), 0), 90);
  EXPECT_FALSE(Again.ValueExists(QStringLiteral("Form31.DBGridEh1"), QStringLiteral("Order")));
  EXPECT_TRUE(ReadFile(Store).contains("[Software\\Velmora\\Other\\X]"));
  TRegIniFile::SetStoreFileName(QString());
}

} // namespace

// A write that fails half-way (here: the file size limit) leaves the old file
// as it was and no temporary file beside it.
TEST(IniFile, FailedWriteKeepsTheOldFile)
{
  QTemporaryDir Dir;
  const QString Name = Dir.filePath(QStringLiteral("velmora.ini"));
  WriteFile(Name, "[Окно]\nШирина=800\n");
  const QByteArray Old = ReadFile(Name);
  TMemIniFile Ini(Name);
  Ini.WriteString(QStringLiteral("Окно"), QStringLiteral("Заметка"), QString(100000, u'ж'));
  rlimit Saved{};
  getrlimit(RLIMIT_FSIZE, &Saved);
  auto* const OldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit Small = Saved;
  Small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &Small);
  EXPECT_THROW(Ini.UpdateFile(), EWriteError);
  setrlimit(RLIMIT_FSIZE, &Saved);
  std::signal(SIGXFSZ, OldHandler);
  EXPECT_EQ(ReadFile(Name), Old);
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("velmora.ini")});
}
