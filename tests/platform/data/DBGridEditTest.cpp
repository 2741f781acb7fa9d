// DBGridEditTest.cpp: editing in the plain data grid as the norms form
// allows it: the in-place editor opened by F2, Enter, typing and clicks,
// Escape, the field's edit mask, and the row posted when it is left.
#include "platform/data/DBGrids.h"
#include "platform/data/ADODB.h"

#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/platform/data/DataTestSupport.h"
#include "tests/support/TestDatabase.h"

#include <memory>

namespace {

using datatest::One;

// The grid as the norms form describes it: editing allowed, indicator shown.
const char* const NormsDescription = R"(object NormsForm: TForm
  Left = 10
  Top = 10
  ClientHeight = 300
  ClientWidth = 400
  object DBGrid1: TDBGrid
    Left = 0
    Top = 0
    Width = 400
    Height = 260
    DataSource = DataSource1
    TabOrder = 0
    Columns = <
      item
        FieldName = 'norma'
        Title.Caption = 'Норматив'
        Width = 133
      end
      item
        FieldName = 'price'
        Title.Caption = 'Цена'
        Width = 105
      end
      item
        FieldName = 'prize'
        Title.Caption = 'Премия, %'
        Width = 82
      end>
  end
  object DataSource1: TDataSource
  end
end
)";

class DBGridEditTest : public ::testing::Test {
protected:
  static void SetUpTestSuite()
  {
    RegisterADOClasses();
    RegisterDBGridsClasses();
  }

  void SetUp() override
  {
    testsupport::OdbcSession S;
    S.Exec("drop table if exists dg_norm");
    S.Exec("create table dg_norm (id serial primary key, o_id int4, norma int4, price float8, prize int4)");
    S.Exec("insert into dg_norm (o_id, norma, price, prize) values (7, 10, 1.5, 5), (7, 20, 2.25, 10), (7, 30, 3, 15)");
    Db = std::make_unique<TADOConnection>(nullptr);
    Db->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
    Db->Open();
    Norm = std::make_unique<TADOTable>(nullptr);
    Norm->SetConnection(Db.get());
    Norm->SetTableName(QStringLiteral("public.dg_norm"));
    Norm->SetIndexFieldNames(QStringLiteral("norma"));
    Form = new TForm(Application, 0);
    ReadComponentFromText(QString::fromUtf8(NormsDescription), Form);
    Grid = dynamic_cast<TDBGrid*>(Form->FindComponent(QStringLiteral("DBGrid1")));
    ASSERT_NE(Grid, nullptr);
    dynamic_cast<TDataSource*>(Form->FindComponent(QStringLiteral("DataSource1")))->SetDataSet(Norm.get());
    Norm->Open();
    dynamic_cast<TFloatField*>(Norm->FieldByName(QStringLiteral("price")))->SetDisplayFormat(QStringLiteral("#0.00#"));
    Form->Show();
    Grid->SetFocus();
  }

  void TearDown() override
  {
    delete Form;
    Norm.reset();
  }

  TField* Field(const char* Name) { return Norm->FieldByName(QString::fromLatin1(Name)); }
  // Keys go where the focus is: the editor while it is open, else the grid.
  TWinControl* Focus() { return Grid->EditorMode() ? static_cast<TWinControl*>(Grid->InplaceEditor()) : Grid; }
  void Press(int QtKey, Qt::KeyboardModifiers Mods = Qt::NoModifier) { gui_test::Key(Focus(), QtKey, Mods); }
  void TypeIn(const QString& Text)
  {
    for (QChar C : Text)
      gui_test::Type(Focus(), QString(C));
  }
  String EditorText() { return Grid->InplaceEditor()->Text(); }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOTable> Norm;
  TForm* Form = nullptr;
  TDBGrid* Grid = nullptr;
};

TEST_F(DBGridEditTest, EditorOpensOverTheCellAndLeavingTheRowPosts)
{
  ASSERT_TRUE(Grid->Options().Contains(dgEditing));
  ASSERT_FALSE(Grid->EditorMode());

  // F2: the editor over the current cell with the field's text, all selected
  Press(Qt::Key_F2);
  ASSERT_TRUE(Grid->EditorMode());
  TDBGridInplaceEdit* Editor = Grid->InplaceEditor();
  EXPECT_EQ(EditorText(), QStringLiteral("10"));
  const TRect Cell = Grid->CellRect(0, 0);
  EXPECT_EQ(Editor->Left(), Cell.Left);
  EXPECT_EQ(Editor->Top(), Cell.Top);
  EXPECT_EQ(Editor->Width(), Cell.Width());
  EXPECT_EQ(Form->ActiveControl(), Editor) << "the editor takes the focus";

  // typing replaces the text; the record is being edited, the field not yet
  TypeIn(QStringLiteral("42"));
  EXPECT_EQ(EditorText(), QStringLiteral("42"));
  EXPECT_EQ(Norm->State(), dsEdit);
  EXPECT_EQ(Field("norma")->AsInteger(), 10);

  // Tab: the text goes into the field, the next column's cell is current
  Press(Qt::Key_Tab);
  EXPECT_EQ(Field("norma")->AsInteger(), 42);
  EXPECT_EQ(Grid->SelectedIndex(), 1);
  EXPECT_FALSE(Grid->EditorMode());

  // typing on a cell opens the editor with what is typed
  TypeIn(QStringLiteral("7,5"));
  ASSERT_TRUE(Grid->EditorMode());
  EXPECT_EQ(EditorText(), QStringLiteral("7,5"));
  // leaving the row writes the cell and posts the record
  Press(Qt::Key_Down);
  EXPECT_EQ(Norm->State(), dsBrowse);
  EXPECT_EQ(Norm->RecNo(), 2);
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_EQ(One("select norma || ' ' || price from dg_norm where id = 1"), "42 7.5");

  // Enter opens the editor, Enter again writes it and closes it
  Press(Qt::Key_Return);
  ASSERT_TRUE(Grid->EditorMode());
  EXPECT_EQ(EditorText(), QStringLiteral("2,25")) << "the edit text of the display format";
  TypeIn(QStringLiteral("9"));
  Press(Qt::Key_Return);
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_DOUBLE_EQ(Field("price")->AsFloat(), 9.0);
  EXPECT_EQ(Norm->State(), dsEdit) << "Enter does not post";
  EXPECT_EQ(Grid->DataLink()->ActiveRecord(), Norm->RecNo() - 1);

  // a click on the current cell opens the editor too
  gui_test::Click(Grid, QPoint(Grid->CellRect(1, 1).Left + 5, Grid->CellRect(1, 1).Top + 5));
  EXPECT_TRUE(Grid->EditorMode());
}

TEST_F(DBGridEditTest, EscapeDropsTheTypingThenTheRecordsChanges)
{
  TypeIn(QStringLiteral("99"));
  Press(Qt::Key_Tab);   // 99 is in the field now
  TypeIn(QStringLiteral("8"));
  ASSERT_EQ(EditorText(), QStringLiteral("8"));

  Press(Qt::Key_Escape);
  EXPECT_EQ(Norm->State(), dsEdit);
  EXPECT_DOUBLE_EQ(Field("price")->AsFloat(), 1.5);
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_EQ(Field("norma")->AsInteger(), 99);

  Press(Qt::Key_Escape);
  EXPECT_EQ(Norm->State(), dsBrowse);
  EXPECT_EQ(Field("norma")->AsInteger(), 10);
  Press(Qt::Key_Down);
  EXPECT_EQ(One("select norma from dg_norm where id = 1"), "10");

  // with the editor always shown it stays open and follows the current cell
  Grid->SetOptions(Grid->Options() << dgAlwaysShowEditor);
  Grid->SetSelectedIndex(2);
  Press(Qt::Key_F2);
  ASSERT_TRUE(Grid->EditorMode());
  EXPECT_EQ(EditorText(), QStringLiteral("10"));
  TypeIn(QStringLiteral("3"));
  Press(Qt::Key_Escape);
  EXPECT_TRUE(Grid->EditorMode());
  EXPECT_EQ(EditorText(), QStringLiteral("10"));
  Press(Qt::Key_Down);
  EXPECT_TRUE(Grid->EditorMode());
  EXPECT_EQ(EditorText(), QStringLiteral("15"));
  EXPECT_EQ(Grid->InplaceEditor()->Top(), Grid->CellRect(2, Grid->DataLink()->ActiveRecord()).Top);
}

TEST_F(DBGridEditTest, ReadOnlyFieldsColumnsGridsAndRowCursorsRefuseTheEditor)
{
  struct Case { const char* What; std::function<void()> Make; std::function<void()> Undo; };
  const Case Cases[] = {
    {"read-only field", [&] { Field("norma")->SetReadOnly(true); }, [&] { Field("norma")->SetReadOnly(false); }},
    {"read-only column", [&] { Grid->Columns()->Items(0)->SetReadOnly(true); },
     [&] { Grid->Columns()->Items(0)->SetReadOnly(false); }},
    {"read-only grid", [&] { Grid->SetReadOnly(true); }, [&] { Grid->SetReadOnly(false); }},
    {"whole-row cursor", [&] { Grid->SetOptions(Grid->Options() << dgRowSelect); },
     [&] { Grid->SetOptions(Grid->Options() >> dgRowSelect); }},
    {"no editing", [&] { Grid->SetOptions(Grid->Options() >> dgEditing); },
     [&] { Grid->SetOptions(Grid->Options() << dgEditing); }},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    C.Make();
    Grid->SetFocus();
    Press(Qt::Key_F2);
    TypeIn(QStringLiteral("5"));
    Press(Qt::Key_Return);
    EXPECT_FALSE(Grid->EditorMode());
    EXPECT_EQ(Norm->State(), dsBrowse);
    EXPECT_EQ(Field("norma")->AsInteger(), 10);
    C.Undo();
  }
  // the next column of the same row is editable all along
  Field("norma")->SetReadOnly(true);
  Grid->SetSelectedIndex(2);
  Press(Qt::Key_F2);
  EXPECT_TRUE(Grid->EditorMode());
}

TEST_F(DBGridEditTest, TheFieldsEditMaskGuidesTheEditorAndABadValueKeepsTheCell)
{
  Field("norma")->SetEditMask(QStringLiteral("000;1;_"));
  Press(Qt::Key_F2);
  ASSERT_TRUE(Grid->EditorMode());
  EXPECT_TRUE(Grid->InplaceEditor()->IsMasked());
  EXPECT_EQ(Grid->InplaceEditor()->EditText(), QStringLiteral("10_"));
  Press(Qt::Key_Home, Qt::NoModifier);
  TypeIn(QStringLiteral("7x"));   // a letter has no place in the mask
  EXPECT_EQ(Grid->InplaceEditor()->EditText(), QStringLiteral("70_"));

  // an incomplete text is refused when the cell is left: the cell, the
  // row and the typing stay
  gui_test::MessageBoxRecorder Boxes;
  Press(Qt::Key_Down);
  EXPECT_EQ(Norm->RecNo(), 1);
  EXPECT_TRUE(Grid->EditorMode());
  EXPECT_EQ(Grid->InplaceEditor()->EditText(), QStringLiteral("70_"));
  ASSERT_FALSE(Boxes.Requests.empty());
  TypeIn(QStringLiteral("5"));
  Press(Qt::Key_Down);
  EXPECT_EQ(Norm->RecNo(), 2);
  EXPECT_EQ(One("select norma from dg_norm where id = 1"), "705");

  // a text the field cannot take is refused the same way
  Grid->SetSelectedIndex(1);
  Boxes.Requests.clear();
  TypeIn(QStringLiteral("abc"));
  Press(Qt::Key_Up);
  EXPECT_EQ(Norm->RecNo(), 2);
  EXPECT_EQ(EditorText(), QStringLiteral("abc"));
  EXPECT_FALSE(Boxes.Requests.empty());
  EXPECT_EQ(One("select price from dg_norm where id = 2"), "2.25");
}

// The form's buttons see what was typed: leaving the grid writes the
// editor's text into the field; an untouched new record is dropped.
TEST_F(DBGridEditTest, LeavingTheGridWritesTheTypingAndDropsAnUntouchedNewRecord)
{
  auto* Other = new TEdit(Form);
  Other->SetParent(Form);
  Other->SetBounds(10, 270, 100, 21);
  TypeIn(QStringLiteral("55"));
  ASSERT_TRUE(Grid->EditorMode());
  EXPECT_FALSE(Norm->Modified());
  Other->SetFocus();
  EXPECT_EQ(Form->ActiveControl(), Other);
  EXPECT_TRUE(Norm->Modified());
  EXPECT_EQ(Field("norma")->AsInteger(), 55);
  Norm->Post();
  EXPECT_EQ(One("select norma from dg_norm where id = 1"), "55");

  Grid->SetFocus();
  Norm->Insert();
  Other->SetFocus();
  EXPECT_EQ(Norm->State(), dsBrowse) << "dgCancelOnExit";
  EXPECT_EQ(Norm->RecordCount(), 3);
}

// A row the server refuses stays current with what was typed, and the
// message is shown; corrected, it posts.
TEST_F(DBGridEditTest, ARowTheServerRefusesKeepsWhatWasTyped)
{
  testsupport::OdbcSession S;
  S.Exec("alter table dg_norm add constraint dg_norm_small check (norma < 1000)");
  gui_test::MessageBoxRecorder Boxes;
  TypeIn(QStringLiteral("5000"));
  Press(Qt::Key_Down);
  ASSERT_EQ(Boxes.Requests.size(), 1u);
  EXPECT_TRUE(Boxes.Requests[0].Text.contains(QStringLiteral("dg_norm_small"))) << Boxes.Requests[0].Text.toStdString();
  EXPECT_EQ(Norm->RecNo(), 1);
  EXPECT_EQ(Norm->State(), dsEdit);
  EXPECT_EQ(Field("norma")->AsInteger(), 5000);
  EXPECT_EQ(EditorText(), QStringLiteral("5000"));
  EXPECT_EQ(One("select norma from dg_norm where id = 1"), "10");

  Press(Qt::Key_Backspace);
  Press(Qt::Key_Down);
  EXPECT_EQ(Norm->RecNo(), 2);
  EXPECT_EQ(One("select norma from dg_norm where id = 1"), "500");
}

} // namespace
