// LoginTest.cpp: the command line, the connection, the sign-in, the rights
// by login and the client-version lock.
#include "tests/app/AppTestSupport.h"

#include "app/Unit1.h"
#include "app/Unit23.h"
#include "app/Unit6.h"
#include "platform/gui/Forms.h"

#include <QFile>

namespace {

using namespace apptest;

TEST(Login, CommandLineChoosesTheConnectionKind)
{
  struct Case { QStringList Params; bool Driver; const char* Source; const char* Server; const char* Database; };
  const Case Cases[] = {
    {{}, false, "velmora_dev", "", ""},
    {{"plant_dsn"}, false, "plant_dsn", "", ""},
    {{"db1", "velmora"}, true, "", "db1", "velmora"},
    {{"db1", "velmora", "extra"}, true, "", "db1", "velmora"},
    {{"", "velmora"}, false, "", "", ""},
    {{"db1", ""}, false, "", "", ""},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(Std(C.Params.join(u'|')));
    const TConnectionTarget T = ConnectionTargetFromParams(C.Params);
    EXPECT_EQ(T.DriverKind, C.Driver);
    EXPECT_EQ(Std(T.DataSource), C.Source);
    EXPECT_EQ(Std(T.Server), C.Server);
    EXPECT_EQ(Std(T.Database), C.Database);
  }
}

TEST(Login, ConnectionStringsCarryNoAccountAndQuoteWhatTheyGet)
{
  const String Dsn = ConnectionStringFor(ConnectionTargetFromParams({}));
  EXPECT_EQ(Std(Dsn), "Provider=MSDASQL.1;Persist Security Info=False;Data Source=velmora_dev");

  const String Driver = ConnectionStringFor(ConnectionTargetFromParams({"db1", "velmora"}));
  EXPECT_TRUE(Driver.startsWith(QStringLiteral(
    "DRIVER={PostgreSQL UNICODE};DATABASE=velmora;SERVER=db1;PORT=5432;SSLmode=prefer;ReadOnly=0;Protocol=7.4;")));
  EXPECT_TRUE(Driver.contains(QStringLiteral(";BoolsAsChar=1;")));
  EXPECT_TRUE(Driver.endsWith(QStringLiteral("OptionalErrors=0;XaOpt=1")));
  EXPECT_FALSE(Driver.contains(QStringLiteral("UID="))) << "the account goes to the connection, not the string";
  EXPECT_FALSE(Driver.contains(QStringLiteral("PWD=")));

  // A parameter holding ";" stays one value.
  const String Odd = ConnectionStringFor(ConnectionTargetFromParams({"db1;UID=postgres", "x}y"}));
  EXPECT_TRUE(Odd.contains(QStringLiteral("SERVER={db1;UID=postgres};"))) << Std(Odd);
  EXPECT_TRUE(Odd.contains(QStringLiteral("DATABASE={x}}y};"))) << Std(Odd);
  const String OddDsn = ConnectionStringFor(ConnectionTargetFromParams({"a;Password=x"}));
  EXPECT_TRUE(OddDsn.endsWith(QStringLiteral("Data Source=\"a;Password=x\""))) << Std(OddDsn);
}

TEST(Login, RightsFollowTheLogin)
{
  const QStringList Clerks = {"kladov", "ivanova"};
  const QStringList Approvers = {"master"};
  struct Case { const char* Login; bool Edit, Accept, ShiftLog, Books, Reports; };
  const Case Cases[] = {
    {"sys", true, true, true, true, true},
    {"master", true, true, true, true, true},
    {"kladov", false, true, true, false, false},
    {"ivanova", false, true, true, false, false},
    {"tehnolog", true, false, true, true, true},
    {"econom", false, false, false, false, true},
    {"Sys", true, false, true, true, true},      // compared exactly
    {"kladov ", true, false, true, true, true},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Login);
    const TLoginRights R = RightsForLogin(QString::fromUtf8(C.Login), Clerks, Approvers);
    EXPECT_EQ(R.ShiftEdit, C.Edit);
    EXPECT_EQ(R.ShiftAccept, C.Accept);
    EXPECT_EQ(R.ShiftLog, C.ShiftLog);
    EXPECT_EQ(R.Books, C.Books);
    EXPECT_EQ(R.Reports, C.Reports);
  }
}

TEST(Login, BuildStampFromTheCompilersTexts)
{
  struct Case { const char* Date; const char* Time; Integer D; Integer T; };
  const Case Cases[] = {
    {"Dec 10 2026", "13:45:07", 20261210, 49507},
    {"Jan  5 2024", "00:00:00", 20240105, 0},
    {"Sep 30 2025", "23:59:59", 20250930, 86399},
    {"??? ?? ????", "??:??:??", 19000101, 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Date);
    EXPECT_EQ(BuildDateFromText(QString::fromLatin1(C.Date)), C.D);
    EXPECT_EQ(BuildTimeFromText(QString::fromLatin1(C.Time)), C.T);
  }
}

class LoginDb : public AppTest {
protected:
  void WriteRights(const char* Text)
  {
    QDir().mkpath(ConfigDir());
    QFile F(RightsFilePath());
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    F.write(Text);
  }
  static std::pair<int, int> Ver()
  {
    testsupport::OdbcSession Db;
    const auto Rows = Db.Rows("select d, t from ver");
    return {std::stoi(*Rows.at(0)[0]), std::stoi(*Rows.at(0)[1])};
  }
};

TEST_F(LoginDb, VersionLockNewerBuildClaimsTheDatabase)
{
  testsupport::OdbcSession Db;
  Db.Exec("update ver set d = 20240101, t = 100, delim = ','");
  SetBuildStampText(QStringLiteral("Mar  5 2024"), QStringLiteral("10:00:00"));
  StartClient();
  CheckBuildVersion();
  EXPECT_EQ(Ver(), std::make_pair(20240305, 36000));
  EXPECT_EQ(Std(DataModule6->DbDecimalSeparator), ",");
  EXPECT_EQ(Form1->BuildDate, 20240305);
  EXPECT_EQ(Form1->BuildTime, 36000);
  EXPECT_TRUE(Boxes.empty());
  EXPECT_FALSE(Application->Terminated());
  EXPECT_FALSE(Form23->Timer1->Enabled());
}

TEST_F(LoginDb, VersionLockEqualStampChangesNothing)
{
  testsupport::OdbcSession Db;
  Db.Exec("update ver set d = 20240305, t = 36000");
  SetBuildStampText(QStringLiteral("Mar  5 2024"), QStringLiteral("10:00:00"));
  StartClient();
  CheckBuildVersion();
  EXPECT_EQ(Ver(), std::make_pair(20240305, 36000));
  EXPECT_TRUE(Boxes.empty());
  EXPECT_FALSE(Application->Terminated());
}

// A later day wins even with an earlier time of day; the older client is told
// so once, its end is scheduled and it terminates.
TEST_F(LoginDb, VersionLockOlderBuildIsEnded)
{
  testsupport::OdbcSession Db;
  Db.Exec("update ver set d = 20240306, t = 10");
  SetBuildStampText(QStringLiteral("Mar  5 2024"), QStringLiteral("23:00:00"));
  // The timer fires again while the message is open: no second message.
  Answer = [](const TMessageBoxRequest&) {
    CheckBuildVersion();
    return IDOK;
  };
  StartClient();
  Boxes.clear();
  CheckBuildVersion();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Std(Boxes[0].Text), "Версия программы не соответсвует БД! Запустите программу через 5 мин.");
  EXPECT_EQ(Std(Boxes[0].Caption), "Ошибка");
  EXPECT_TRUE(Form23->Timer1->Enabled());
  EXPECT_EQ(Form23->Timer1->Interval(), 5500u);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(Ver(), std::make_pair(20240306, 10));
}

TEST_F(LoginDb, VersionLockFillsAnEmptyTable)
{
  testsupport::OdbcSession Db;
  Db.Exec("delete from ver");
  SetBuildStampText(QStringLiteral("Mar  5 2024"), QStringLiteral("10:00:00"));
  StartClient();
  CheckBuildVersion();
  EXPECT_EQ(Ver(), std::make_pair(20240305, 36000));
  EXPECT_EQ(Db.Scalar("select delim from ver"), std::nullopt);
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(LoginDb, GoodPasswordSignsInAndRunsTheMainWindow)
{
  testsupport::OdbcSession Db;
  Db.Exec("insert into adm_user.users(id, s_name, s_caption, b_active, id_person) values (41, '" +
          testsupport::UserName() + "', 'Тест', true, 7)");
  StartClient();
  Form23->Edit1->SetText(QStringLiteral("  ") + Utf8(testsupport::UserName()) + QStringLiteral(" "));
  Form23->Edit2->SetText(Utf8(testsupport::Password()) + QStringLiteral("  "));
  bool Shown = false;
  Later([&] {
    Shown = Form1->Showing();
    EXPECT_FALSE(Form23->Visible());
    EXPECT_EQ(Std(Form1->Caption()), "VELMORA (Data Source: velmora_dev)");
    EXPECT_EQ(SignedInUser.ShiftNo, 1);
    EXPECT_EQ(SignedInUser.UserId, 41);
    EXPECT_EQ(SignedInUser.PersonId, 7);
    EXPECT_EQ(SignedInUser.Login.toStdString(), testsupport::UserName());
    EXPECT_TRUE(Form23->Edit2->Text().isEmpty()) << "the typed password is not kept";
    EXPECT_TRUE(DataModule6->ADO_DB->Connected());
    EXPECT_EQ(Std(VarToStr(DataModule6->Smena3->Parameters()->ParamByName(QStringLiteral("OK"))->Value())), "ta");
    Form1->Close();
  });
  Form23->Button1->Click();
  EXPECT_TRUE(Shown);
  EXPECT_TRUE(Boxes.empty());
  // Closing the main window closes the login dialog and ends the program.
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(LoginDb, UnknownUserRowStillSignsIn)
{
  StartClient();
  SignIn([&] {
    EXPECT_EQ(SignedInUser.UserId, 0);
    EXPECT_EQ(SignedInUser.PersonId, 0);
  });
}

// A refused account is shown with the server's reason and the dialog stays
// for another try, on the connection the program started with.
TEST_F(LoginDb, WrongPasswordLetsTheUserTryAgain)
{
  StartClient();
  Form23->Edit1->SetText(Utf8(testsupport::UserName()));
  Form23->Edit2->SetText(QStringLiteral("wrong password"));
  Form23->Button1->Click();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_TRUE(Boxes[0].Text.startsWith(QStringLiteral("Подключение к БД отсутсвует (Data Source: velmora_dev)")))
    << Std(Boxes[0].Text);
  EXPECT_GT(Boxes[0].Text.size(), 60) << "the server's reason is shown";
  EXPECT_EQ(Std(Boxes[0].Caption), "Ошибка");
  EXPECT_FALSE(Application->Terminated());
  EXPECT_TRUE(Form23->Visible());
  EXPECT_TRUE(DataModule6->ADO_DB->Connected());
  Boxes.clear();
  SignIn([&] { EXPECT_TRUE(DataModule6->ADO_DB->Connected()); });
  EXPECT_TRUE(Boxes.empty());
}

// Whatever the account holds, it is one user name and one password: no text
// can add an attribute that changes the connection.
TEST_F(LoginDb, TypedAccountCannotAddConnectionAttributes)
{
  StartClient();
  const String User = Utf8(testsupport::UserName());
  const String Password = Utf8(testsupport::Password());
  struct Case { String Login; String Password; };
  const Case Cases[] = {
    {QStringLiteral("nobody;UID=") + User, Password},
    {User, QStringLiteral("x;PWD=") + Password},
    {User, QStringLiteral("x};PWD={") + Password},
    {User, Password + QStringLiteral(";DATABASE=postgres")},
    {User, String()},       // the data source's own password never stands in
    {String(), String()},   // nor its account
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(Std(C.Login + u'/' + C.Password));
    Boxes.clear();
    Form23->Edit1->SetText(C.Login);
    Form23->Edit2->SetText(C.Password);
    bool Shown = false;
    Later([&] {
      Shown = true;
      Form1->Close();
    });
    Form23->Button1->Click();
    EXPECT_FALSE(Shown);
    EXPECT_EQ(Boxes.size(), 1u);
    EXPECT_FALSE(Application->Terminated());
  }
}

TEST_F(LoginDb, ServerAndDatabaseFromTheCommandLine)
{
  StartClient();
  Form23->Params = {QStringLiteral("velmora-no-such-host.invalid"), QStringLiteral("velmora")};
  Form23->FormActivate(Form23);
  EXPECT_EQ(Std(Form23->Label3->Caption()), "Сервер: velmora-no-such-host.invalid, БД: velmora");
  EXPECT_TRUE(Form23->Caption().startsWith(QStringLiteral("Авторизация (build: ")));
  Form23->Edit1->SetText(Utf8(testsupport::UserName()));
  Form23->Edit2->SetText(Utf8(testsupport::Password()));
  Form23->Button1->Click();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_TRUE(Boxes[0].Text.startsWith(
    QStringLiteral("Подключение к БД отсутсвует (сервер: velmora-no-such-host.invalid, БД: velmora)")))
    << Std(Boxes[0].Text);
  EXPECT_EQ(Std(Form1->Caption()), "VELMORA (сервер: velmora-no-such-host.invalid, БД: velmora)");
  // Back on the data source, the next try goes through.
  Boxes.clear();
  Form23->Params.clear();
  SignIn([] {});
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(LoginDb, RightsFileDecidesTheMenu)
{
  struct Case { const char* Name; std::string File; bool Books; bool Reports; };
  const std::string User = testsupport::UserName();
  const Case Cases[] = {
    {"ordinary", "", true, true},
    {"clerk", "[Rights]\nClerks=kladov, " + User + "\n", false, false},
    {"approver", "[Rights]\nApprovers=" + User + "\n", true, true},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    WriteRights(C.File.c_str());
    StartClient();
    SignIn([&] {
      EXPECT_EQ(Form1->N2->Enabled(), C.Books);
      EXPECT_EQ(Form1->N11->Enabled(), C.Books);
      EXPECT_EQ(Form1->N7->Enabled(), C.Reports);
      EXPECT_EQ(Form1->N28->Visible(), C.Books) << "the clean-out is offered with the books";
    });
    Application->ResetForTesting();
  }
}

TEST_F(LoginDb, RightsFileListsLogins)
{
  WriteRights("[Rights]\nClerks = kladov, ivanova ,petrova\nApprovers=master\n");
  QStringList Clerks, Approvers;
  ReadRightsFile(Clerks, Approvers);
  EXPECT_EQ(Clerks, QStringList({"kladov", "ivanova", "petrova"}));
  EXPECT_EQ(Approvers, QStringList({"master"}));
}

}  // namespace
