// ConnectionTest.cpp: a database that is not there at start, and a server
// that goes away while the user works and comes back.
#include "tests/app/AppTestSupport.h"
#include "tests/platform/gui/GuiTestSupport.h"

#include "app/Project1.h"
#include "app/Unit1.h"
#include "app/Unit14.h"
#include "app/Unit23.h"
#include "app/Unit34.h"
#include "app/Unit6.h"
#include "platform/data/ADODB.h"
#include "platform/gui/Forms.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

using namespace apptest;

// A PostgreSQL server of the test's own, kept in a temporary folder so that
// it can be stopped and started again on the same port with the same data.
class PrivateServer {
public:
  PrivateServer() { Run("start"); }
  ~PrivateServer()
  {
    Run("stop");
  }
  void Start() { Run("start"); }
  void Stop() { Run("stop"); }
  std::string Env(const char* Key) const { return FEnv.at(Key); }
  std::string DriverString() const
  {
    return "DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=" + Env("VELMORA_PG_PORT") + ";DATABASE=velmora";
  }

private:
  void Run(const char* Command)
  {
    QStringList Args{qEnvironmentVariable("VELMORA_SOURCE_DIR") + QStringLiteral("/scripts/pgserver.sh"),
                     QString::fromLatin1(Command), FDir.path()};
    if (QLatin1String(Command) == QLatin1String("start"))
      Args << QStringLiteral("--persistent");
    QProcess P;
    P.setProcessChannelMode(QProcess::MergedChannels);
    P.start(QStringLiteral("bash"), Args);
    ASSERT_TRUE(P.waitForFinished(180000)) << Command << " took too long";
    ASSERT_EQ(P.exitCode(), 0) << Command << ": " << P.readAll().toStdString();
    QFile F(FDir.path() + QStringLiteral("/env"));
    if (F.open(QIODevice::ReadOnly))
      for (const QByteArray& Line : F.readAll().split('\n'))
        if (const qsizetype Eq = Line.indexOf('='); Eq > 0)
          FEnv[Line.left(Eq).toStdString()] = Line.mid(Eq + 1).toStdString();
  }
  QTemporaryDir FDir;
  std::map<std::string, std::string> FEnv;
};

// ---------------------------------------------------------------------------
// At start

// The start routine as the program runs it, with a data source file of
// the test's own. The driver manager reads that file's name once per
// process, so each case runs in a fresh process of its own: it exits with
// the start routine's status when the client said the right thing and left
// nothing behind, and with 90 otherwise.
class StartWithoutDatabase : public AppTest {
protected:
  [[noreturn]] void StartWith(const QByteArray& Ini, const char* Message)
  {
    const QString Path = FIniDir.path() + QStringLiteral("/odbc.ini");
    QFile F(Path);
    if (!F.open(QIODevice::WriteOnly))
      std::_Exit(91);
    F.write(Ini);
    F.close();
    qputenv("ODBCINI", Path.toUtf8());
    const int Status = ApplicationMain();
    bool Ok = Boxes.size() == 1 && Std(Boxes[0].Text) == Message && Std(Boxes[0].Caption) == "Ошибка";
    for (const TMessageBoxRequest& Box : Boxes)
      std::fprintf(stderr, "box: %s\n", Std(Box.Text).c_str());
    // Nothing of the client stays behind.
    Ok = Ok && Screen->FormCount() == 0 && Screen->DataModuleCount() == 0 && !Form1 && !DataModule6;
    std::fflush(stderr);
    // The process ends here without unwinding: its folders go first.
    FIniDir.remove();
    QDir Config(ConfigDir());
    Config.cdUp();
    Config.removeRecursively();
    std::_Exit(Ok ? Status : 90);
  }
  QTemporaryDir FIniDir;
};

// A port where nothing listens: the server of the data source is stopped.
static int DeadPort()
{
  const int Socket = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in Address{};
  Address.sin_family = AF_INET;
  Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(Socket, reinterpret_cast<sockaddr*>(&Address), sizeof Address);
  socklen_t Length = sizeof Address;
  getsockname(Socket, reinterpret_cast<sockaddr*>(&Address), &Length);
  close(Socket);
  return ntohs(Address.sin_port);
}

TEST_F(StartWithoutDatabase, TheClientSaysWhatItTriedAndEnds)
{
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Case { const char* What; QByteArray Ini; const char* Message; };
  const Case Cases[] = {
    {"no such data source", QByteArray("[other]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\n"),
     "Источник данных ODBC «velmora_dev» не найден.\n\nДобавьте его в файл odbc.ini и запустите программу снова."},
    {"server stopped",
     "[velmora_dev]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=" + QByteArray::number(DeadPort()) +
       "\nDatabase=velmora\nUsername=nobody\nPassword=x\n",
     "Нет связи с сервером базы данных (Data Source: velmora_dev).\n\nПроверьте, что сервер PostgreSQL запущен и "
     "что источник данных в odbc.ini указывает на него, и запустите программу снова."},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    EXPECT_EXIT(StartWith(C.Ini, C.Message), ::testing::ExitedWithCode(1), "box: ");
  }
}

// ---------------------------------------------------------------------------
// During work

class ServerLoss : public AppTest {};

// The contractors editor is open when the server stops: "Записать" tells of
// it once in the client's words and keeps the dialog as typed; with the
// server back the same "Записать" saves the row, once.
TEST_F(ServerLoss, SaveIsToldOnceAndCanBeRepeatedWhenTheServerIsBack)
{
  PrivateServer Server;
  StartClient();
  TADOConnection* Db = DataModule6->ADO_DB;
  Db->Close();
  Db->SetConnectionString(Utf8(Server.DriverString()));
  Db->Open(Utf8(Server.Env("VELMORA_PG_USER")), Utf8(Server.Env("VELMORA_PG_PASSWORD")));
  DataModule6->jur_person->Open();
  const std::string Check = Server.DriverString() + ";UID=" + Server.Env("VELMORA_PG_USER") + ";PWD={" +
                            Server.Env("VELMORA_PG_PASSWORD") + "}";
  const char* const Typed[] = {"Омега", "ООО \"Омега\"", "7701", "1027"};
  bool Ran = false;
  WhenActive(Form14, [&] {
    Ran = true;
    TEdit* const Boxes4[] = {Form14->Edit2, Form14->Edit1, Form14->Edit3, Form14->Edit4};
    for (int I = 0; I < 4; ++I)
      Boxes4[I]->SetText(QString::fromUtf8(Typed[I]));
    Server.Stop();
    gui_test::Click(Form14->Button5);
    ASSERT_EQ(Boxes.size(), 1u) << "one message";
    EXPECT_EQ(Std(Boxes[0].Text),
              "Нет связи с сервером базы данных (сервер: 127.0.0.1, БД: velmora). Последнее действие не "
              "выполнено, введённые данные не записаны.\n\nПроверьте, что сервер работает, и повторите действие: "
              "программа подключится снова.");
    EXPECT_EQ(Std(Boxes[0].Caption), "Ошибка");
    EXPECT_TRUE(Form14->Showing()) << "the editor stays open";
    for (int I = 0; I < 4; ++I)
      EXPECT_EQ(Std(Boxes4[I]->Text()), Typed[I]);

    Server.Start();
    gui_test::Click(Form14->Button5);
    EXPECT_EQ(Boxes.size(), 1u) << "no further message";
    EXPECT_NE(Form14->ModalResult(), mrNone) << "the save went through and closes the editor";
    if (Form14->ModalResult() == mrNone)
      Form14->Button6->Click();
  });
  Form34->Button1->Click();
  EXPECT_TRUE(Ran);
  testsupport::OdbcSession After(Check);
  const auto Rows = After.Rows("select s_full_caption, s_inn, s_ogrn from cmn_contractor.jur_person "
                               "where s_caption = 'Омега'");
  ASSERT_EQ(Rows.size(), 1u) << "saved once";
  EXPECT_EQ(*Rows[0][0], "ООО \"Омега\"");
  EXPECT_EQ(*Rows[0][1], "7701");
  EXPECT_EQ(*Rows[0][2], "1027");
  EXPECT_TRUE(DataModule6->jur_person->Locate(QStringLiteral("s_caption"), QStringLiteral("Омега"), {}))
    << "the list was read again after the save";
  DataModule6->jur_person->Close();
  Db->Close();
}

}  // namespace
