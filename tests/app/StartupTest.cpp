// StartupTest.cpp: the start routine: the style file and the order in which
// the forms come up.
#include "tests/app/AppTestSupport.h"

#include "app/Project1.h"
#include "app/Unit1.h"
#include "app/Unit23.h"
#include "app/Unit6.h"
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Screenshot.h"
#include "platform/gui/Themes.h"

#include <QFile>

namespace {

using namespace apptest;

class StyleFile : public ::testing::Test {
protected:
  void SetUp() override
  {
    qputenv("XDG_CONFIG_HOME", Dir.path().toUtf8());
    OldHook = SetMessageBoxHook([this](const TMessageBoxRequest& R) {
      Boxes.push_back(R);
      return IDOK;
    });
  }
  void TearDown() override { SetMessageBoxHook(OldHook); }
  void Write(const QByteArray& Bytes)
  {
    QDir().mkpath(Dir.path() + QStringLiteral("/velmora"));
    QFile F(StyleFilePath());
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    F.write(Bytes);
  }
  QByteArray Read() const
  {
    QFile F(StyleFilePath());
    return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray("<missing>");
  }
  QTemporaryDir Dir;
  std::vector<TMessageBoxRequest> Boxes;
  TMessageBoxHook OldHook;
};

TEST_F(StyleFile, LivesInTheUsersConfigurationFolder)
{
  EXPECT_EQ(StyleFilePath(), Dir.path() + QStringLiteral("/velmora/t_style.txt"));
}

// What the file holds before a start, what the start reads and what the
// file holds afterwards (8-bit text, CR LF line ends).
TEST_F(StyleFile, MissingOrEmptyFileFallsBackToWindows)
{
  struct Case { const char* Name; const char* Before; const char* Style; const char* After; };
  const Case Cases[] = {
    {"missing", nullptr, "Windows", "Windows\r\n"},
    {"zero bytes", "", "Windows", "Windows\r\n"},
    {"empty first line", "\r\n", "Windows", "\r\nWindows\r\n"},
    {"empty first line, second start", "\r\nWindows\r\n", "Windows", "\r\nWindows\r\nWindows\r\n"},
    {"a style", "Fusion\r\n", "Fusion", "Fusion\r\n"},
    {"several lines", "Fusion\r\nWindows\r\n", "Fusion", "Fusion\r\nWindows\r\n"},
    {"not trimmed", " Fusion\r\n", " Fusion", " Fusion\r\n"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    QFile::remove(StyleFilePath());
    if (C.Before)
      Write(C.Before);
    EXPECT_EQ(Std(ReadStyleName()), C.Style);
    EXPECT_EQ(Read().toStdString(), C.After);
  }
}

TEST_F(StyleFile, UnknownStyleIsReportedAndLeavesTheFileAndTheStyle)
{
  TStyleManager::TrySetStyle(QStringLiteral("Windows"), false);
  Write("Нет такого стиля\r\n");
  ApplyStyleFile();
  EXPECT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Std(TStyleManager::ActiveStyle()->Name()), "Windows");
  EXPECT_EQ(Read().toStdString(), "Нет такого стиля\r\n");
}

TEST_F(StyleFile, ChoosingAStyleRewritesTheFile)
{
  Write("Windows\r\nold\r\n");
  WriteStyleName(QStringLiteral("Fusion"));
  EXPECT_EQ(Read().toStdString(), "Fusion\r\n");
}

class Startup : public AppTest {};

// The login dialog, created inside the main window's creation, finishes
// first and is the program's main window; the other forms stay hidden.
TEST_F(Startup, LoginDialogIsTheMainWindow)
{
  StartClient();
  EXPECT_EQ(Application->MainForm(), Form23);
  EXPECT_TRUE(Form23->Visible());
  EXPECT_FALSE(Form1->Visible());
  EXPECT_TRUE(Form23->Edit2->Text().isEmpty()) << "the password box starts empty";
  EXPECT_TRUE(SaveScreenshot(Form23, OutputPath(QStringLiteral("app_login.png"))));
  // Closing it before signing in ends the program.
  Form23->Button2->Click();
  EXPECT_TRUE(Application->Terminated());
}

// The forms are created in the program's fixed order; the data module and
// the login dialog inside the main window's creation.
TEST_F(Startup, FormsAreCreatedInOrder)
{
  StartClient();
  const char* const Order[] = {"Form1", "DataModule6", "Form23", "Form2", "Form5", "Form8", "Form9", "Form10",
                               "Form22", "Form14", "Form26", "Form27", "Form30", "Form31", "Form34"};
  Integer Last = -1;
  for (const char* Name : Order) {
    SCOPED_TRACE(Name);
    Integer At = -1;
    for (Integer I = 0; I < Application->ComponentCount(); ++I)
      if (Application->Components(I)->Name() == QLatin1String(Name))
        At = I;
    ASSERT_GE(At, 0) << "not created";
    EXPECT_GT(At, Last);
    Last = At;
  }
}

// The started client reads forms that hold the grid library's editors:
// their classes, buttons and the memo window are known by name.
TEST_F(Startup, FormDescriptionsKnowTheEditors)
{
  StartClient();
  for (const char* Name : {"TDBEditEh", "TDBCheckBoxEh", "TMemoEditWinEh", "TCustomDropDownFormEh"})
    EXPECT_NE(GetClass(QString::fromLatin1(Name)), nullptr) << Name;
  TForm Form(nullptr, 0);
  ReadComponentFromText(QStringLiteral(R"(object EditorsForm: TForm
  object NameEdit: TDBEditEh
    EditButtons = <
      item
        Style = ebsEllipsisEh
      end>
    MRUList.Active = True
  end
  object ActiveBox: TDBCheckBoxEh
    ValueChecked = 'Да'
  end
end
)"), &Form);
  auto* Edit = dynamic_cast<TDBEditEh*>(Form.FindComponent(QStringLiteral("NameEdit")));
  ASSERT_NE(Edit, nullptr);
  EXPECT_EQ(Edit->EditButtons()->Count(), 1);
  EXPECT_TRUE(Edit->MRUList()->Active());
  auto* Box = dynamic_cast<TDBCheckBoxEh*>(Form.FindComponent(QStringLiteral("ActiveBox")));
  ASSERT_NE(Box, nullptr);
  EXPECT_EQ(Box->ValueChecked(), QStringLiteral("Да"));
}

}  // namespace
