// SearchBoxTest.cpp: the search box of every book's list, typed into as a
// user types: letters filter the list, Up and Down move it while the box
// keeps its text, and no other key edits the box.
#include "tests/app/AppTestSupport.h"
#include "tests/platform/gui/GuiTestSupport.h"

#include "app/Unit26.h"
#include "app/Unit30.h"
#include "app/Unit34.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "app/Unit8.h"
#include "platform/data/ADODB.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Screenshot.h"

namespace {

using namespace apptest;

class SearchBox : public AppTest {
protected:
  void SetUp() override
  {
    AppTest::SetUp();
    testsupport::OdbcSession Db;
    Db.Exec("insert into cmn_department.department(id, s_caption, id_parent, type, s_type) values "
            "(1, 'Цех №1', 0, -1, ''), (2, 'Цех №2', 0, -1, ''), (3, 'Цех №3', 0, -1, ''), "
            "(4, 'Склад', 0, 2, 'Склад сырья')");
    Db.Exec("insert into hrms_staffpos.staffpos(id, s_caption, id_department) values "
            "(1, 'Мастер', 1), (2, 'Мастер смены', 1), (3, 'Мастер участка', 2), (4, 'Токарь', 2)");
    Db.Exec("insert into adm_role.roles(id, s_name, s_caption, b_active) values (1, 'worker', 'Рабочий', true)");
    Db.Exec("insert into cmn_contractor.person(id, s_caption, b_employee, id_staffpos, id_department, id_role) "
            "values (1, 'Петров Антон', true, 1, 1, 1), (2, 'Петров Борис', true, 2, 1, 1), "
            "(3, 'Петрова Вера', true, 3, 2, 1), (4, 'Иванов Иван', true, 4, 2, 1)");
    Db.Exec("insert into cmn_contractor.jur_person(id, s_caption, s_full_caption) values "
            "(1, 'Альфа', 'ООО Альфа'), (2, 'Альфа-Металл', 'АО Альфа-Металл'), (3, 'Альфа-Сервис', 'ИП Альфа'), "
            "(4, 'Бета', 'АО Бета')");
    Db.Exec("delete from mnf_operation.operation_type");
    Db.Exec("insert into mnf_operation.operation_type(id, s_caption) values "
            "(1, 'Резка'), (2, 'Резка лазером'), (3, 'Резка плазмой'), (4, 'Гибка')");
    StartClient();
  }
};

// Each list: three rows begin with the typed text, one does not.
TEST_F(SearchBox, TypingFiltersArrowsMoveAndOtherKeysAreConsumed)
{
  struct Case { const char* List; TForm* Form; TEdit* Box; TADOQuery* Rows; const char* Typed; const char* Shot; };
  const Case Cases[] = {
    {"departments", Form30, Form30->Edit1, DataModule6->department, "Цех", "app_departments.png"},
    {"staff positions", Form26, Form26->Edit1, DataModule6->staffpos, "Мастер", "app_staff_positions.png"},
    {"workers", Form5, Form5->Edit1, DataModule6->workers, "Петров", "app_workers.png"},
    {"contractors", Form34, Form34->Edit1, DataModule6->jur_person, "Альфа", "app_contractors.png"},
    {"operation types", Form8, Form8->Edit1, DataModule6->operation_type, "Резка", "app_operation_types.png"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.List);
    C.Rows->Open();
    C.Box->SetVisible(true);
    C.Box->Clear();
    ASSERT_EQ(C.Rows->RecordCount(), 4);
    const String Typed = QString::fromUtf8(C.Typed);
    bool Ran = false;
    WhenActive(C.Form, [&] {
      Ran = true;
      C.Box->SetFocus();
      gui_test::Type(C.Box, Typed);
      EXPECT_EQ(C.Box->Text(), Typed);
      EXPECT_EQ(C.Rows->RecordCount(), 3) << "the list shows what begins with the text";
      const struct { int Key; Integer RecNo; } Moves[] = {
        {Qt::Key_Down, 2}, {Qt::Key_Down, 3}, {Qt::Key_Down, 3}, {Qt::Key_Up, 2}};
      for (const auto& M : Moves) {
        gui_test::Key(C.Box, M.Key);
        EXPECT_EQ(C.Rows->RecNo(), M.RecNo);
        EXPECT_EQ(C.Box->Text(), Typed) << "the arrows move the list, not the box";
        EXPECT_TRUE(C.Box->Focused());
      }
      EXPECT_TRUE(SaveScreenshot(C.Form, OutputPath(QString::fromLatin1(C.Shot))));
      // Neither Home nor Delete reach the box: the next letter is appended.
      gui_test::Key(C.Box, Qt::Key_Home);
      gui_test::Key(C.Box, Qt::Key_Delete);
      EXPECT_EQ(C.Box->Text(), Typed);
      gui_test::Type(C.Box, QStringLiteral("ъ"));
      EXPECT_EQ(C.Box->Text(), Typed + QStringLiteral("ъ"));
      EXPECT_EQ(C.Rows->RecordCount(), 0);
      C.Box->Clear();
      EXPECT_EQ(C.Rows->RecordCount(), 4);
      C.Form->Close();
    });
    C.Form->ShowModal();
    EXPECT_TRUE(Ran);
    C.Rows->Close();
  }
}

}  // namespace
