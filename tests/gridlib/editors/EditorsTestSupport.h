// EditorsTestSupport.h: what the editors' tests share: a component of a form
// by name, a session on the test server inside a transaction, and a form
// read from its description over a table the test makes.
#pragma once

#include "platform/data/ADODB.h"
#include "platform/gui/Forms.h"
#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

namespace editors_test {

template <class T>
T* Find(const TComponent* Form, const char* Name)
{
  auto* C = dynamic_cast<T*>(Form->FindComponent(QString::fromLatin1(Name)));
  EXPECT_NE(C, nullptr) << Name;
  return C;
}

// A connection to the test database with a transaction open; the test
// rolls it back.
inline std::unique_ptr<TADOConnection> OpenTestSession()
{
  RegisterDBClasses();
  RegisterADOClasses();
  auto Db = std::make_unique<TADOConnection>(nullptr);
  Db->SetLoginPrompt(false);
  Db->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
  Db->Open();
  Db->BeginTrans();
  return Db;
}

// A form read from its description whose query "Items" reads a table that
// the test makes on the server first.
class TableFormTest : public gui_test::GuiTest {
protected:
  // Runs the table's statements, reads the form and connects its query.
  void ReadForm(std::initializer_list<const char*> TableSql, const char* FormText)
  {
    testsupport::OdbcSession S;
    for (const char* Sql : TableSql)
      S.Exec(Sql);
    Db = std::make_unique<TADOConnection>(nullptr);
    Db->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
    Db->Open();
    Form = new TForm(Application, 0);
    ReadComponentFromText(QString::fromUtf8(FormText), Form);
    Items = Find<TADOQuery>(Form, "Items");
    Items->SetConnection(Db.get());
  }
  void OpenAndShow()
  {
    Items->Open();
    Form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override
  {
    delete Form;
    GuiTest::TearDown();
  }
  static std::string Db1(const std::string& Sql) { return testsupport::OdbcSession().Scalar(Sql).value_or("<null>"); }
  static void Focus(TWinControl* Control)
  {
    Control->SetFocus();
    Application->ProcessMessages();
  }

  std::unique_ptr<TADOConnection> Db;
  TForm* Form = nullptr;
  TADOQuery* Items = nullptr;
};

} // namespace editors_test
