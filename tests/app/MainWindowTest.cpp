// MainWindowTest.cpp: the main window's menu commands, the version check
// from its timer and the database clean-out.
#include "tests/app/AppTestSupport.h"

#include "app/Unit1.h"
#include "app/Unit23.h"
#include "app/Unit26.h"
#include "app/Unit30.h"
#include "app/Unit34.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "app/Unit8.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Screenshot.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

using namespace apptest;

class MainWindow : public AppTest {};

TEST_F(MainWindow, MenuShowsOnlyTheBuiltModules)
{
  StartClient();
  SignIn([&] {
    EXPECT_TRUE(Form1->N2->Visible());
    EXPECT_TRUE(Form1->N19->Visible());
    EXPECT_FALSE(Form1->N11->Visible()) << "\"Табель по времени\" never shows";
    EXPECT_FALSE(Form1->N7->Visible()) << "\"Отчеты\" never shows";
    EXPECT_TRUE(Form1->N12->Visible());
    for (TMenuItem* Item : {Form1->N1, Form1->N8, Form1->N24, Form1->N6}) {
      SCOPED_TRACE(Std(Item->Caption()));
      EXPECT_TRUE(Item->Visible());
      EXPECT_TRUE(bool(Item->OnClick));
    }
    // Submenus whose forms are not in the program yet stay out of the menu.
    for (const char* Name : {"N21", "N9", "N3", "N4", "N20", "N29", "N13", "N18", "N16"}) {
      SCOPED_TRACE(Name);
      auto* Item = dynamic_cast<TMenuItem*>(Form1->FindComponent(QString::fromLatin1(Name)));
      ASSERT_NE(Item, nullptr);
      EXPECT_FALSE(Item->Visible());
    }
    EXPECT_TRUE(SaveScreenshot(Form1, OutputPath(QStringLiteral("app_main_window.png"))));
  });
}

// The command opens the shared dataset before the list is shown and closes
// it when the list closes.
TEST_F(MainWindow, DepartmentsCommandOpensAndClosesItsDataset)
{
  StartClient();
  SignIn([&] {
    bool Inside = false;
    Later([&] {
      Inside = Form30->Showing();
      EXPECT_TRUE(DataModule6->department->Active());
      Form30->Button4->Click();
    });
    Form1->N19->Click();
    EXPECT_TRUE(Inside);
    EXPECT_FALSE(DataModule6->department->Active());
    EXPECT_TRUE(Form1->Showing());
  });
}

// Each book command: Tag 0, its shared dataset open while the list is
// shown and closed after, and the buttons a pick may have hidden shown.
TEST_F(MainWindow, BookCommandsPrepareTheirLists)
{
  struct Case { const char* Item; std::function<TForm*()> List; std::function<TADOQuery*()> DataSet; bool Buttons; };
  const Case Cases[] = {
    {"N1", [] { return static_cast<TForm*>(Form5); }, [] { return DataModule6->workers; }, true},
    {"N8", [] { return static_cast<TForm*>(Form26); }, [] { return DataModule6->staffpos; }, false},
    {"N24", [] { return static_cast<TForm*>(Form34); }, [] { return DataModule6->jur_person; }, true},
    {"N6", [] { return static_cast<TForm*>(Form8); }, [] { return DataModule6->operation_type; }, true},
  };
  StartClient();
  SignIn([&] {
    for (const Case& C : Cases) {
      SCOPED_TRACE(C.Item);
      TForm* List = C.List();
      auto Button = [&](const char* Name) { return OwnedComponent<TButton>(List, Name); };
      List->SetTag(11);
      if (C.Buttons) {
        Button("Button1")->SetVisible(false);
        Button("Button3")->SetVisible(false);
      }
      bool Inside = false;
      Later([&] {
        Inside = List->Showing();
        EXPECT_EQ(List->Tag(), C.Buttons ? 0 : 11) << "the lists that pick are set to maintenance";
        EXPECT_TRUE(C.DataSet()->Active());
        EXPECT_TRUE(Button("Button1")->Visible());
        EXPECT_TRUE(Button("Button3")->Visible());
        Button("Button4")->Click();
      });
      dynamic_cast<TMenuItem*>(Form1->FindComponent(QString::fromLatin1(C.Item)))->Click();
      EXPECT_TRUE(Inside);
      EXPECT_FALSE(C.DataSet()->Active());
    }
  });
}

TEST_F(MainWindow, EscapeClosesTheMainWindowAndEndsTheProgram)
{
  StartClient();
  SignIn([&] {
    EXPECT_TRUE(Form1->Button1->Cancel());
    QWidget* Window = Form1->Widget();
    ASSERT_NE(Window, nullptr);
    QWidget* Target = QApplication::focusWidget() ? QApplication::focusWidget() : Window;
    QKeyEvent Down(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(Target, &Down);
    QKeyEvent Up(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(Target, &Up);
  });
  EXPECT_FALSE(Form1->Showing());
  EXPECT_FALSE(Form23->Showing());
  EXPECT_TRUE(Application->Terminated());
}

class CleanOut : public AppTest {
protected:
  void Seed()
  {
    testsupport::OdbcSession Db;
    Db.Exec("insert into mnf_app.app_doc(id_jur_person, id_person) values (1, 1)");
    Db.Exec("update cmn_inventory_items.inventory_items set cost_price = 5");
    Db.Exec("insert into cmn_department.department(s_caption, id_parent, type, s_type) values ('Цех', 0, -1, '')");
  }
  static int Count(const char* Table)
  {
    testsupport::OdbcSession Db;
    return std::stoi(*Db.Scalar(std::string("select count(*) from ") + Table));
  }
};

TEST_F(CleanOut, AsksFirstAndKeepsTheBooks)
{
  Seed();
  StartClient();
  SignIn([&] {
    Answer = [](const TMessageBoxRequest&) { return IDNO; };
    Form1->N28->Click();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Flags & MB_YESNO, UINT(MB_YESNO));
    EXPECT_EQ(Count("mnf_app.app_doc"), 1);

    Answer = [](const TMessageBoxRequest&) { return IDYES; };
    Form1->N28->Click();
    EXPECT_EQ(Count("mnf_app.app_doc"), 0);
    EXPECT_EQ(Count("cmn_inventory_items.inventory_items where cost_price <> 0"), 0);
    EXPECT_EQ(Count("cmn_department.department"), 2);
    // A second run changes nothing and fails on nothing.
    Form1->N28->Click();
    EXPECT_EQ(Boxes.size(), 3u);
  });
}

// One statement failing leaves every table as it was.
TEST_F(CleanOut, RunsAllOrNothing)
{
  Seed();
  testsupport::OdbcSession Db;
  Db.Exec("create or replace function public.truncate_tables(schema_name text) returns integer language plpgsql as "
          "$$ begin if schema_name = 'stk_purchase' then raise exception 'отказ'; end if; "
          "if schema_name = 'mnf_app' then truncate table mnf_app.app_doc cascade; end if; return 0; end $$");
  StartClient();
  SignIn([&] {
    // The server's refusal goes on to the default error dialog.
    try {
      Form1->N28->Click();
      ADD_FAILURE() << "the refusal was not reported";
    } catch (const Exception& E) {
      EXPECT_TRUE(E.Message().contains(QStringLiteral("отказ"))) << Std(E.Message());
    }
    EXPECT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Count("mnf_app.app_doc"), 1);
    EXPECT_EQ(Count("cmn_inventory_items.inventory_items where cost_price = 5"),
              Count("cmn_inventory_items.inventory_items"));
    EXPECT_FALSE(DataModule6->ADO_DB->InTransaction());
  });
}

// A version check that fails shows its error once, however often the timer
// fires while the error is on screen.
TEST_F(MainWindow, TimerNeverStacksErrorDialogs)
{
  StartClient();
  DataModule6->ver->SetTableName(QStringLiteral("no_such_table"));
  Answer = [](const TMessageBoxRequest&) {
    Form1->Timer1Timer(Form1->Timer1);
    Form1->Timer1Timer(Form1->Timer1);
    return IDOK;
  };
  Boxes.clear();
  Form1->Timer1Timer(Form1->Timer1);
  EXPECT_EQ(Boxes.size(), 1u);
  EXPECT_FALSE(Application->Terminated());
  EXPECT_EQ(Form1->Timer1->Interval(), 30000u);
  EXPECT_TRUE(Form1->Timer1->Enabled());
}

}  // namespace
