// SettingsKeeperTest.cpp: the settings tree and its INI storage, the form
// placement interceptor, and a form's placement with a grid's column widths
// written by one run of this program and read back by the next.
#include "DemoGrid.h"

#include "gridlib/foundation/PropFilerEh.h"
#include "gridlib/foundation/SettingsKeepersEh.h"

#include "platform/rtl/IniFiles.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

namespace {

// Each test gets settings folder of its own.
class ConfigFolderScope {
public:
  ConfigFolderScope() : FSaved(qgetenv("XDG_CONFIG_HOME")) { qputenv("XDG_CONFIG_HOME", Dir.path().toUtf8()); }
  ~ConfigFolderScope() { qputenv("XDG_CONFIG_HOME", FSaved); }
  QTemporaryDir Dir;
private:
  QByteArray FSaved;
};

} // namespace

TEST(SettingsKeeperEh, TypedReads)
{
  TSettingsKeeperEh K;
  K.Add(QStringLiteral("Text"), QStringLiteral("42"));
  K.Add(QStringLiteral("Hex"), QStringLiteral("$2A"));
  K.Add(QStringLiteral("Bad"), QStringLiteral("4x"));
  K.Add(QStringLiteral("Int"), 7);
  K.Add(QStringLiteral("Sub"), new TSettingsKeeperEh);

  struct Case {
    const char* Key;
    bool IsInt;
    Integer Int;
    bool IsString;
    const char* Str;
    bool IsSub;
  };
  const Case Cases[] = {
      {"Text", true, 42, true, "42", false}, {"Hex", true, 42, true, "$2A", false},
      {"Bad", false, 0, true, "4x", false},  {"Int", true, 7, false, "", false},
      {"Sub", false, 0, false, "", true},    {"text", false, 0, false, "", false},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Key);
    const String Key = QString::fromLatin1(C.Key);
    Integer I = 0;
    EXPECT_EQ(K.TryGetIntegerValue(Key, I), C.IsInt);
    if (C.IsInt) {
      EXPECT_EQ(I, C.Int);
    }
    String S = QStringLiteral("stale");
    EXPECT_EQ(K.TryGetStringValue(Key, S), C.IsString);
    EXPECT_EQ(S, QString::fromLatin1(C.Str));
    TSettingsKeeperEh* Sub = nullptr;
    EXPECT_EQ(K.TryGetSubsettingsValue(Key, Sub), C.IsSub);
  }
}

TEST(SettingsKeeperEh, KeysAreExactAndOnce)
{
  TSettingsKeeperEh K;
  K.Add(QStringLiteral("Width"), 10);
  K.Add(QStringLiteral("width"), 20);
  EXPECT_EQ(K.ToArray().size(), 2u);
  EXPECT_THROW(K.Add(QStringLiteral("Width"), QStringLiteral("30")), EListError);
  EXPECT_THROW(K.Add(QStringLiteral("Width"), new TSettingsKeeperEh), EListError);
  Integer W = 0;
  ASSERT_TRUE(K.TryGetIntegerValue(QStringLiteral("Width"), W));
  EXPECT_EQ(W, 10);
}

TEST(SettingsKeeperEh, ColumnsOrderByColIndex)
{
  auto Column = [](const char* Index) {
    auto* K = new TSettingsKeeperEh;
    if (Index)
      K->Add(QStringLiteral("ColIndex"), QString::fromLatin1(Index));
    return K;
  };
  TSettingsKeeperEh Columns;
  Columns.Add(QStringLiteral("Name"), Column("3"));
  Columns.Add(QStringLiteral("Price"), Column("1"));
  Columns.Add(QStringLiteral("Code"), Column(nullptr));
  Columns.Add(QStringLiteral("Date"), Column("2"));
  auto* Cmp = TSettingsKeeperEhCollectionByIndexComparer::Ordinal();
  EXPECT_EQ(Cmp, TSettingsKeeperEhCollectionByIndexComparer::Ordinal());

  auto Pairs = Columns.ToArray();
  auto Find = [&](const char* Key) {
    return *std::find_if(Pairs.begin(), Pairs.end(), [&](auto& P) { return P.first == QLatin1String(Key); });
  };
  EXPECT_EQ(Cmp->Compare(Find("Name"), Find("Price")), 2);
  EXPECT_TRUE(Cmp->Equals(Find("Code"), Find("Code")));
  std::sort(Pairs.begin(), Pairs.end(), [&](auto& A, auto& B) { return Cmp->Compare(A, B) < 0; });
  QStringList Order;
  for (auto& P : Pairs)
    Order << P.first;
  EXPECT_EQ(Order.join(QLatin1Char(',')), QStringLiteral("Code,Price,Date,Name"));

  TSettingsKeeperEh Plain;
  Plain.Add(QStringLiteral("Width"), 5);
  EXPECT_THROW(Cmp->Compare(Plain.ToArray()[0], Find("Name")), EInvalidCast);
}

// A refused tree leaves what the file held; a stored tree comes back whole.
TEST(SettingsKeeperEh, IniStorage)
{
  ConfigFolderScope Config;
  const String FileName = SettingsIniFileNameEh(QStringLiteral("layouts"));
  EXPECT_TRUE(FileName.startsWith(Config.Dir.path() + QStringLiteral("/velmora/")));
  TMemIniFile Ini(FileName);

  TSettingsKeeperEh Tree;
  Tree.Add(QStringLiteral("Caption"), QStringLiteral("Приход = склад"));
  Tree.Add(QStringLiteral("Rows"), 12);
  auto* Sub = new TSettingsKeeperEh;
  Sub->Add(QStringLiteral("Width"), 80);
  auto* Deeper = new TSettingsKeeperEh;
  Deeper->Add(QStringLiteral("Visible"), QStringLiteral("0"));
  Sub->Add(QStringLiteral("Title"), Deeper);
  Tree.Add(QStringLiteral("Name"), Sub);
  auto* OnlyKeepers = new TSettingsKeeperEh;   // no section of its own
  OnlyKeepers->Add(QStringLiteral("Цена"), new TSettingsKeeperEh);
  OnlyKeepers->Add(QStringLiteral("Код"), new TSettingsKeeperEh);
  TSettingsKeeperEh* Code = nullptr;
  ASSERT_TRUE(OnlyKeepers->TryGetSubsettingsValue(QStringLiteral("Код"), Code));
  Code->Add(QStringLiteral("Width"), 40);
  Tree.Add(QStringLiteral("Columns"), OnlyKeepers);
  SaveSettingsKeeperToIniEh(&Tree, &Ini, QStringLiteral("Form45.Grid"));
  const QByteArray Stored = [&] {
    QFile F(FileName);
    return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
  }();
  ASSERT_FALSE(Stored.isEmpty());

  for (const char* Key : {"a=b", "a\\b", "", "[x]", "Rows"}) {
    SCOPED_TRACE(Key);
    TSettingsKeeperEh Bad;
    Bad.Add(QStringLiteral("ROWS"), 1);
    Bad.Add(QString::fromLatin1(Key), 2);
    TMemIniFile Other(FileName);
    EXPECT_THROW(SaveSettingsKeeperToIniEh(&Bad, &Other, QStringLiteral("Form45.Grid")), EArgumentException);
    QFile F(FileName);
    ASSERT_TRUE(F.open(QIODevice::ReadOnly));
    EXPECT_EQ(F.readAll(), Stored);
  }

  TMemIniFile Again(FileName);
  TSettingsKeeperEh Read;
  LoadSettingsKeeperFromIniEh(&Read, &Again, QStringLiteral("Form45.Grid"));
  String Caption;
  Integer Rows = 0, Width = 0;
  TSettingsKeeperEh* Name = nullptr;
  TSettingsKeeperEh* Title = nullptr;
  EXPECT_TRUE(Read.TryGetStringValue(QStringLiteral("Caption"), Caption));
  EXPECT_EQ(Caption, QStringLiteral("Приход = склад"));
  EXPECT_TRUE(Read.TryGetIntegerValue(QStringLiteral("Rows"), Rows));
  EXPECT_EQ(Rows, 12);
  ASSERT_TRUE(Read.TryGetSubsettingsValue(QStringLiteral("Name"), Name));
  EXPECT_TRUE(Name->TryGetIntegerValue(QStringLiteral("Width"), Width));
  EXPECT_EQ(Width, 80);
  ASSERT_TRUE(Name->TryGetSubsettingsValue(QStringLiteral("Title"), Title));
  EXPECT_EQ(Title->ToArray().size(), 1u);
  TSettingsKeeperEh* Columns = nullptr;
  ASSERT_TRUE(Read.TryGetSubsettingsValue(QStringLiteral("Columns"), Columns));
  ASSERT_TRUE(Columns->TryGetSubsettingsValue(QStringLiteral("Код"), Code));
  EXPECT_TRUE(Code->TryGetIntegerValue(QStringLiteral("Width"), Width));
  EXPECT_EQ(Width, 40);
  EXPECT_EQ(Columns->ToArray().size(), 1u);   // the empty one is not kept
  EXPECT_EQ(Read.ToArray().size(), 4u);
}

TEST(StoragePropertyInterceptor, RegistryReplacesPerClass)
{
  const auto Before = StoragePropertyInterceptorsEh();
  auto IsForm = [](const auto& R) { return R.first == TCustomForm::StaticClass(); };
  ASSERT_EQ(std::count_if(Before.begin(), Before.end(), IsForm), 1);
  EXPECT_EQ(std::find_if(Before.begin(), Before.end(), IsForm)->second.Class,
            TFormStoragePropertyInterceptor::StaticClass());

  const auto Base = StoragePropertyInterceptorClassEh<TStoragePropertyInterceptor>();
  RegisterStoragePropertyInterceptorEh(TCustomForm::StaticClass(), Base);
  auto After = StoragePropertyInterceptorsEh();
  ASSERT_EQ(std::count_if(After.begin(), After.end(), IsForm), 1);
  EXPECT_EQ(std::find_if(After.begin(), After.end(), IsForm)->second.Class, TStoragePropertyInterceptor::StaticClass());

  UnregisterStoragePropertyInterceptorEh(TCustomForm::StaticClass(),
                                         StoragePropertyInterceptorClassEh<TFormStoragePropertyInterceptor>());
  EXPECT_EQ(StoragePropertyInterceptorsEh().size(), After.size());   // not that pair
  UnregisterStoragePropertyInterceptorEh(TCustomForm::StaticClass(), Base);
  After = StoragePropertyInterceptorsEh();
  EXPECT_EQ(std::count_if(After.begin(), After.end(), IsForm), 0);
  RegisterStoragePropertyInterceptorEh(TCustomForm::StaticClass(),
                                       StoragePropertyInterceptorClassEh<TFormStoragePropertyInterceptor>());
}

// Placements stored at another density are rescaled to this screen's; one
// stored without a density is taken as it stands.
TEST(FormStoragePropertyInterceptor, RescalesAndKeepsCentredFormsWhereStored)
{
  struct Case {
    Integer Ppi;
    bool PosRead;
    TRect Expected;
    TPosition Position;
  };
  const Case Cases[] = {
      {64, true, TRect(150, 75, 150 + 300, 75 + 150), poDesigned},
      {96, true, TRect(100, 50, 100 + 200, 50 + 100), poDesigned},
      {0, true, TRect(100, 50, 100 + 200, 50 + 100), poDesigned},
      {96, false, TRect(10, 10, 10 + 200, 10 + 100), poScreenCenter},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Ppi);
    auto Form = std::make_unique<TForm>(nullptr, 0);
    Form->SetPosition(poScreenCenter);
    Form->SetBounds(10, 10, 50, 50);
    TFormStoragePropertyInterceptor I(Form.get());
    I.SetPixelsPerInch(C.Ppi);
    if (C.PosRead) {
      I.SetLeft(100);
      I.SetTop(50);
    }
    I.SetWidth(200);
    I.SetHeight(100);
    I.Readed();
    EXPECT_EQ(Form->BoundsRect(), C.Expected);
    EXPECT_EQ(Form->Position(), C.Position);
  }
}

// ---------------------------------------------------------------------------
// A true restart: this program is run again, once to write and once to read.

namespace {

const char* const PhaseVariable = "VELMORA_SETTINGS_PHASE";
const Integer SavedWidths[][2] = {{2, 70}, {3, 85}, {4, 120}, {5, 33}};

bool InPhase(const char* Phase)
{
  return qgetenv(PhaseVariable) == Phase;
}

String SettingsFile()
{
  return SettingsIniFileNameEh(QStringLiteral("layouts"));
}

// What the placement interceptor publishes, as the settings tree holds it.
TSettingsKeeperEh* PlacementSettings(TCustomForm* Form)
{
  TFormStoragePropertyInterceptor I(Form);
  auto* K = new TSettingsKeeperEh;
  for (const TPropInfo* P : I.ClassType()->Properties())
    if (P->Kind == TPropKind::Integer || P->Kind == TPropKind::Enumeration)
      K->Add(P->Name, Integer(GetOrdProp(&I, P)));
  return K;
}

void RestorePlacement(TCustomForm* Form, TSettingsKeeperEh* K)
{
  TFormStoragePropertyInterceptor I(Form);
  for (const auto& [Key, Value] : K->ToArray()) {
    Integer V = 0;
    const TPropInfo* P = GetPropInfo(&I, Key);
    if (P && K->TryGetIntegerValue(Key, V))
      SetOrdProp(&I, P, V);
  }
  I.Readed();
}

std::unique_ptr<TForm> MakeForm(TDemoGridEh*& Grid)
{
  auto Form = std::make_unique<TForm>(nullptr, 0);
  Form->SetPosition(poScreenCenter);
  Form->SetBounds(0, 0, 300, 200);
  Grid = new TDemoGridEh(Form.get());
  Grid->SetParent(Form.get());
  return Form;
}

// Runs this test program again with one test of a phase; answers its output.
QString RunPhase(const QString& Test, const char* Phase, const QString& ConfigHome, int& ExitCode)
{
  QProcess P;
  QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
  Env.insert(QString::fromLatin1(PhaseVariable), QString::fromLatin1(Phase));
  Env.insert(QStringLiteral("XDG_CONFIG_HOME"), ConfigHome);
  P.setProcessEnvironment(Env);
  P.setProcessChannelMode(QProcess::MergedChannels);
  P.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + Test});
  P.waitForFinished(120000);
  ExitCode = P.exitStatus() == QProcess::NormalExit ? P.exitCode() : -1;
  return QString::fromUtf8(P.readAll());
}

} // namespace

TEST(SettingsRestart, WritePhase)
{
  if (!InPhase("write"))
    GTEST_SKIP() << "runs as the first child of SettingsRestart.PlacementAndWidthsSurvive";
  TDemoGridEh* Grid = nullptr;
  auto Form = MakeForm(Grid);
  Form->SetPosition(poDesigned);
  Form->SetBounds(120, 80, 640, 480);
  Form->Show();
  Form->SetWindowState(wsMaximized);
  for (const auto& W : SavedWidths)
    Grid->SetColWidths(W[0], W[1]);

  TSettingsKeeperEh Settings;
  Settings.Add(QStringLiteral("Placement"), PlacementSettings(Form.get()));
  auto* Columns = new TSettingsKeeperEh;
  for (Integer Col = Grid->FixedColCount(); Col < Grid->ColCount(); ++Col) {
    auto* C = new TSettingsKeeperEh;
    C->Add(QStringLiteral("ColIndex"), Col);
    C->Add(QStringLiteral("Width"), Grid->ColWidths(Col));
    Columns->Add(TDemoCellSource::Title(Col - 1), C);
  }
  Settings.Add(QStringLiteral("Columns"), Columns);
  TIniFile Ini(SettingsFile());
  SaveSettingsKeeperToIniEh(&Settings, &Ini, QStringLiteral("DemoForm"));
}

TEST(SettingsRestart, ReadPhase)
{
  if (!InPhase("read"))
    GTEST_SKIP() << "runs as the second child of SettingsRestart.PlacementAndWidthsSurvive";
  ASSERT_TRUE(QFile::exists(SettingsFile()));
  TDemoGridEh* Grid = nullptr;
  auto Form = MakeForm(Grid);
  const Integer DefaultWidth = Grid->ColWidths(2);
  ASSERT_NE(DefaultWidth, 70);

  TIniFile Ini(SettingsFile());
  TSettingsKeeperEh Settings;
  LoadSettingsKeeperFromIniEh(&Settings, &Ini, QStringLiteral("DemoForm"));
  TSettingsKeeperEh* Placement = nullptr;
  TSettingsKeeperEh* Columns = nullptr;
  ASSERT_TRUE(Settings.TryGetSubsettingsValue(QStringLiteral("Placement"), Placement));
  ASSERT_TRUE(Settings.TryGetSubsettingsValue(QStringLiteral("Columns"), Columns));
  RestorePlacement(Form.get(), Placement);
  auto Pairs = Columns->ToArray();
  auto* Cmp = TSettingsKeeperEhCollectionByIndexComparer::Ordinal();
  std::sort(Pairs.begin(), Pairs.end(), [&](auto& A, auto& B) { return Cmp->Compare(A, B) < 0; });
  for (const auto& [Key, Value] : Pairs) {
    auto* C = static_cast<TSettingsKeeperEh*>(Value);
    Integer Col = 0, Width = 0;
    ASSERT_TRUE(C->TryGetIntegerValue(QStringLiteral("ColIndex"), Col)) << Key.toStdString();
    ASSERT_TRUE(C->TryGetIntegerValue(QStringLiteral("Width"), Width));
    EXPECT_EQ(TDemoCellSource::Title(Col - 1), Key);
    Grid->SetColWidths(Col, Width);
  }

  EXPECT_EQ(Form->WindowState(), wsMaximized);
  EXPECT_EQ(Form->NormalBounds(), TRect(120, 80, 120 + 640, 80 + 480));
  EXPECT_EQ(Form->Position(), poDesigned);
  for (const auto& W : SavedWidths)
    EXPECT_EQ(Grid->ColWidths(W[0]), W[1]) << W[0];
  EXPECT_EQ(Grid->ColWidths(6), DefaultWidth);
  std::printf("read back: state %d, normal %d,%d %dx%d, widths %d %d %d %d\n", int(Form->WindowState()),
              Form->NormalBounds().Left, Form->NormalBounds().Top, Form->NormalBounds().Width(),
              Form->NormalBounds().Height(), Grid->ColWidths(2), Grid->ColWidths(3), Grid->ColWidths(4),
              Grid->ColWidths(5));
}

// Nothing but the settings file carries the layout from one run to the next.
TEST(SettingsRestart, PlacementAndWidthsSurvive)
{
  if (!qEnvironmentVariableIsEmpty(PhaseVariable))
    GTEST_SKIP() << "a child run";
  QTemporaryDir Config;
  int Code = -1;
  const QString Written = RunPhase(QStringLiteral("SettingsRestart.WritePhase"), "write", Config.path(), Code);
  ASSERT_EQ(Code, 0) << Written.toStdString();
  ASSERT_TRUE(Written.contains(QStringLiteral("[  PASSED  ] 1 test"))) << Written.toStdString();
  QFile Ini(Config.path() + QStringLiteral("/velmora/layouts.ini"));
  ASSERT_TRUE(Ini.open(QIODevice::ReadOnly));
  const QString Text = QString::fromUtf8(Ini.readAll());
  EXPECT_TRUE(Text.contains(QStringLiteral("[DemoForm\\Placement]"))) << Text.toStdString();
  EXPECT_TRUE(Text.contains(QStringLiteral("Left=120"))) << Text.toStdString();

  const QString Read = RunPhase(QStringLiteral("SettingsRestart.ReadPhase"), "read", Config.path(), Code);
  EXPECT_EQ(Code, 0) << Read.toStdString();
  EXPECT_TRUE(Read.contains(QStringLiteral("[  PASSED  ] 1 test"))) << Read.toStdString();
  EXPECT_TRUE(Read.contains(QStringLiteral("read back: state 2, normal 120,80 640x480, widths 70 85 120 33")))
      << Read.toStdString();
}
