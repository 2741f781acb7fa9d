// DBLogDlgTest.cpp: a connection that prompts for its account asks through
// the login dialog, which a test answers by typing and pressing its buttons.
#include "platform/data/DBLogDlg.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBCtrls.h"
#include "platform/gui/StdCtrls.h"

#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/support/TestDatabase.h"

#include <QTimer>

#include <memory>

namespace {

// The data source without an account, as a stored connection may name it.
const QString NoAccount = QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=velmora_dev");

// Waits (inside the dialog's modal loop) for the login dialog, then lets
// Answer fill it in and press a button; Seen keeps what it showed.
struct TLoginAnswer {
  String Database, UserName;
  bool Shown = false;
};

void AnswerLogin(TLoginAnswer& Seen, std::function<void(TLoginDialog*)> Answer, int Tries = 200)
{
  QTimer::singleShot(10, qApp, [&Seen, Answer, Tries] {
    auto* D = dynamic_cast<TLoginDialog*>(Screen->ActiveForm());
    if (!D) {
      if (Tries > 0)
        AnswerLogin(Seen, Answer, Tries - 1);
      return;
    }
    Seen.Shown = true;
    Seen.Database = D->DatabaseName()->Caption();
    Seen.UserName = D->UserName()->Text();
    Answer(D);
  });
}

class DBLogDlgTest : public ::testing::Test {
protected:
  static void SetUpTestSuite()
  {
    RegisterADOClasses();
    RegisterDBCtrlsClasses();   // installs the dialog
  }
  std::unique_ptr<TADOConnection> Connection(const QString& Text, bool Prompt)
  {
    auto C = std::make_unique<TADOConnection>(nullptr);
    C->SetLoginPrompt(Prompt);
    C->SetConnectionString(Text);
    return C;
  }
};

TEST_F(DBLogDlgTest, TypedAccountOpensTheConnectionAndOnLoginSeesIt)
{
  auto C = Connection(NoAccount, true);
  std::vector<String> Logins;
  C->OnLogin = [&](TObject* Sender, const String& User, const String& Password) {
    EXPECT_EQ(Sender, C.get());
    Logins.push_back(User);
    Logins.push_back(Password);
  };
  TLoginAnswer Seen;
  AnswerLogin(Seen, [](TLoginDialog* D) {
    EXPECT_EQ(Screen->ActiveForm()->ActiveControl(), D->UserName());
    D->UserName()->SetText(QString::fromStdString(testsupport::UserName()));
    D->Password()->SetText(QString::fromStdString(testsupport::Password()));
    gui_test::Click(D->OKButton(), QPoint(10, 10));
  });
  C->Open();
  EXPECT_TRUE(Seen.Shown);
  EXPECT_EQ(Seen.Database, QStringLiteral("velmora_dev"));
  EXPECT_TRUE(C->Connected());
  EXPECT_EQ(Logins, (std::vector<String>{QString::fromStdString(testsupport::UserName()),
                                         QString::fromStdString(testsupport::Password())}));
  TADOQuery Who(nullptr);
  Who.SetConnection(C.get());
  Who.SQL()->SetText(QStringLiteral("select current_user as who"));
  Who.Open();
  EXPECT_EQ(Who.FieldByName(QStringLiteral("who"))->AsString(), QString::fromStdString(testsupport::UserName()));
}

TEST_F(DBLogDlgTest, CancelOrAWrongPasswordLeavesTheConnectionClosed)
{
  auto C = Connection(NoAccount, true);
  TLoginAnswer Seen;
  AnswerLogin(Seen, [](TLoginDialog* D) { gui_test::Click(D->CancelButton(), QPoint(10, 10)); });
  try {
    C->Open();
    ADD_FAILURE() << "a cancelled login must not connect";
  } catch (const EDatabaseError& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Cannot connect to database 'velmora_dev'"));
  }
  EXPECT_TRUE(Seen.Shown);
  EXPECT_FALSE(C->Connected());

  Seen = TLoginAnswer();
  AnswerLogin(Seen, [](TLoginDialog* D) {
    D->UserName()->SetText(QString::fromStdString(testsupport::UserName()));
    D->Password()->SetText(QStringLiteral("not the password"));
    gui_test::Key(D->Password(), Qt::Key_Return);
  });
  EXPECT_ANY_THROW(C->Open());
  EXPECT_TRUE(Seen.Shown);
  EXPECT_FALSE(C->Connected());
}

TEST_F(DBLogDlgTest, NoDialogWhenTheStringHasAnAccountOrPromptingIsOff)
{
  struct Case { const char* What; QString Text; bool Prompt; };
  const Case Cases[] = {
    {"account in the string", QString::fromStdString(testsupport::ConnectionString()), true},
    {"no prompt, the data source's account", NoAccount, false},
  };
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.What);
    auto C = Connection(K.Text, K.Prompt);
    bool Asked = false;
    const TLoginDialogProc Previous = SetLoginDialogProc([&](const String&, String&, String&) {
      Asked = true;
      return false;
    });
    C->Open();
    SetLoginDialogProc(Previous);
    EXPECT_FALSE(Asked);
    EXPECT_TRUE(C->Connected());
  }
}

} // namespace
