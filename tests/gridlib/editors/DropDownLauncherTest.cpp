// DropDownLauncherTest.cpp: an editor's button opens its drop-down form over
// a table of the test server: values passed by field names, written back
// with Edit and Post when accepted, a failing write-back that leaves no edit
// behind, the editor's own value, and the guard against re-opening the form
// with the press that closed it.
#include "gridlib/editors/DBCtrlsEh.h"
#include "tests/gridlib/editors/DropDownTestForm.h"

#include "platform/data/ADODB.h"

#include "gridlib/foundation/GridsEh.h"

#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/support/TestDatabase.h"

#include <QTimer>

#include <memory>

namespace {

std::string One(const std::string& Sql)
{
  testsupport::OdbcSession S;
  return S.Scalar(Sql).value_or("<null>");
}

class DropDownLauncherTest : public gui_test::GuiTest {
protected:
  static void SetUpTestSuite()
  {
    RegisterADOClasses();
    RegisterGridLibFoundationClasses();
    RegisterDropDownFormEhClasses();
    RegisterDBCtrlsEhClasses();
  }

  void SetUp() override
  {
    GuiTest::SetUp();
    testsupport::OdbcSession S;
    S.Exec("drop table if exists ddf_part");
    S.Exec("create table ddf_part (id serial primary key, name varchar(30) not null, size varchar(10),"
           " qty int4 check (qty >= 0))");
    S.Exec("insert into ddf_part (name, size, qty) values ('болт', 'M6', 10), ('гайка', 'M8', 4)");
    Db = std::make_unique<TADOConnection>(nullptr);
    Db->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
    Db->Open();
    Parts = std::make_unique<TADOTable>(nullptr);
    Parts->SetConnection(Db.get());
    Parts->SetTableName(QStringLiteral("ddf_part"));
    Parts->SetIndexFieldNames(QStringLiteral("id"));
    Parts->Open();
    Source = std::make_unique<TDataSource>(nullptr);
    Source->SetDataSet(Parts.get());

    Master = new TForm(Application, 0);
    Master->SetBounds(100, 100, 420, 300);
    Editor = new TDBEditEh(Master);
    static_cast<TControl*>(Editor)->SetParent(Master);
    static_cast<TControl*>(Editor)->SetBounds(20, 20, 200, 24);
    Editor->SetDataSource(Source.get());
    Editor->SetDataField(QStringLiteral("name"));
    Other = new TEdit(Master);
    Other->SetParent(Master);
    Other->SetBounds(20, 200, 200, 24);
    Button = std::make_unique<TEditButtonEh>(Editor);
    // The button control sits in the editor, as in its buttons box.
    Control = new TEditButtonControlEh(Editor);
    Control->SetParent(Editor);
    Control->SetBounds(180, 2, 16, 16);
    // The press on the button opens the form, as the editor's button does.
    Control->OnDown = [this](TObject*, bool, bool&, bool& Handled) { Open(Handled); };
    Form = new TOkDropDownFormEh(Application, 260, 160);
    Button->DropDownFormParams()->SetDropDownForm(Form);
    Master->Show();
    Editor->SetFocus();
    QCoreApplication::processEvents();
  }

  void TearDown() override
  {
    Button.reset();
    GuiTest::TearDown();
    Source.reset();
    Parts.reset();
    Db.reset();
  }

  void Open(bool& Handled)
  {
    OpenEditButtonDropDownFormEh(Editor, Editor->DataLink(), Editor->Field(), Editor->Value(), Button.get(),
                                 Control, nullptr,
                                 [this](TCustomForm* F, bool Accept, TDynVarsEh* P, TDropDownFormSysParams* S) {
                                   Editor->EditButtonDropDownFormCallback(F, Accept, P, S);
                                 },
                                 Handled);
  }

  bool Open()
  {
    bool Handled = false;
    Open(Handled);
    return Handled;
  }

  // The values the form received, "name=value" in bag order.
  QStringList Received(TDynVarsEh* P)
  {
    QStringList L;
    for (Integer I = 0; I < P->Count(); ++I)
      L << P->Items(I)->Name() + QLatin1Char('=') + P->Items(I)->Value().AsString();
    return L;
  }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOTable> Parts;
  std::unique_ptr<TDataSource> Source;
  TForm* Master = nullptr;
  TDBEditEh* Editor = nullptr;
  TEdit* Other = nullptr;
  std::unique_ptr<TEditButtonEh> Button;
  TEditButtonControlEh* Control = nullptr;
  TOkDropDownFormEh* Form = nullptr;
};

TEST_F(DropDownLauncherTest, FieldsGoInByNameAndComeBackWithEditAndPost)
{
  TDropDownFormCallParamsEh* P = Button->DropDownFormParams();
  P->SetPassParams(pspByFieldNamesEh);
  P->SetPassFieldNames(QStringLiteral("name;size"));
  P->SetAssignBackFieldNames(QStringLiteral("size;qty"));
  QStringList Got;
  Form->OnInitForm = [&](TCustomDropDownFormEh*, TDynVarsEh* D) { Got = Received(D); };
  Form->OnReturnParams = [](TCustomDropDownFormEh*, TDynVarsEh* D) {
    D->DynVar(QStringLiteral("size"))->SetValue(Variant(QStringLiteral("M12")));
    D->DynVar(QStringLiteral("qty"))->SetValue(Variant(25));
  };
  std::vector<bool> Closed;
  Editor->OnCloseDropDownForm = [&](TControl*, TEditButtonEh* B, bool Accept, TCustomForm* F, TDynVarsEh*) {
    EXPECT_EQ(B, nullptr);
    EXPECT_EQ(F, Form);
    Closed.push_back(Accept);
  };

  ASSERT_TRUE(Open());
  EXPECT_EQ(Got, (QStringList{QStringLiteral("name=болт"), QStringLiteral("size=M6")}));
  EXPECT_TRUE(Control->AlwaysDown());
  EXPECT_EQ(Application->ActiveForm(), Master);
  EXPECT_EQ(FindControl(GetFocus()), Editor);
  EXPECT_FALSE(Form->ReadOnly());
  gui_test::Click(Form->Ok);
  EXPECT_FALSE(Form->Visible());
  EXPECT_FALSE(Control->AlwaysDown());
  EXPECT_EQ(Closed, std::vector<bool>{true});
  EXPECT_EQ(Parts->State(), dsBrowse);
  EXPECT_EQ(One("select size || ' ' || qty from ddf_part where name = 'болт'"), "M12 25");

  // Not accepted: nothing is written.
  Form->OnReturnParams = [](TCustomDropDownFormEh*, TDynVarsEh* D) {
    D->DynVar(QStringLiteral("qty"))->SetValue(Variant(99));
  };
  QCoreApplication::processEvents();
  ASSERT_TRUE(Open());
  gui_test::Click(Other);
  EXPECT_FALSE(Form->Visible());
  EXPECT_EQ(Closed, (std::vector<bool>{true, false}));
  EXPECT_EQ(One("select qty from ddf_part where name = 'болт'"), "25");
}

// The server refuses the value: the error is shown, the edit the launcher
// started is cancelled, and nothing is left to be posted later.
TEST_F(DropDownLauncherTest, AFailingWriteBackCancelsTheEditItStarted)
{
  TDropDownFormCallParamsEh* P = Button->DropDownFormParams();
  P->SetPassParams(pspByFieldNamesEh);
  P->SetAssignBackFieldNames(QStringLiteral("size;qty"));
  Form->OnReturnParams = [](TCustomDropDownFormEh*, TDynVarsEh* D) {
    D->DynVar(QStringLiteral("size"))->SetValue(Variant(QStringLiteral("M20")));
    D->DynVar(QStringLiteral("qty"))->SetValue(Variant(-5));
  };
  QStringList Errors;
  bool HeldOpen = false;
  Application->OnException = [&](TObject*, Exception& E) {
    Errors << E.Message();
    HeldOpen = Form->KeepFormVisible();
  };
  ASSERT_TRUE(Open());
  gui_test::Click(Form->Ok);
  ASSERT_EQ(Errors.size(), 1);
  EXPECT_TRUE(Errors[0].contains(QStringLiteral("qty"))) << Errors[0].toStdString();
  EXPECT_TRUE(HeldOpen);
  EXPECT_FALSE(Form->KeepFormVisible());
  EXPECT_FALSE(Form->Visible());
  EXPECT_FALSE(Control->AlwaysDown());
  EXPECT_EQ(Parts->State(), dsBrowse);
  EXPECT_EQ(Parts->FieldByName(QStringLiteral("size"))->AsString(), QStringLiteral("M6"));
  EXPECT_EQ(One("select size || ' ' || qty from ddf_part where name = 'болт'"), "M6 10");
  // A later post of the record writes nothing of the refused values.
  Parts->Edit();
  Parts->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("болт М"));
  Parts->Post();
  EXPECT_EQ(One("select size || ' ' || qty from ddf_part where name = 'болт М'"), "M6 10");
}

// The press on the button of an open form closes it; the same press does not
// open it again. The next one does.
TEST_F(DropDownLauncherTest, ThePressThatClosesTheFormDoesNotReopenIt)
{
  Integer Inits = 0;
  Form->OnInitForm = [&](TCustomDropDownFormEh*, TDynVarsEh*) { ++Inits; };
  gui_test::Click(Control);
  ASSERT_TRUE(Form->Visible());
  EXPECT_TRUE(Control->AlwaysDown());
  // While it is open a press does nothing.
  bool Handled = false;
  Open(Handled);
  EXPECT_FALSE(Handled);
  EXPECT_EQ(Inits, 1);

  gui_test::Click(Control);
  EXPECT_FALSE(Form->Visible());
  EXPECT_EQ(Inits, 1);
  TMsg M;
  EXPECT_TRUE(PeekMessage(M, Editor, WM_USER, WM_USER, PM_NOREMOVE));
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  EXPECT_FALSE(PeekMessage(M, Editor, WM_USER, WM_USER, PM_NOREMOVE));
  gui_test::Click(Control);
  EXPECT_TRUE(Form->Visible());
  EXPECT_EQ(Inits, 2);
  Form->Close();
}

TEST_F(DropDownLauncherTest, TheEditorsOwnValueAndReadOnlyFields)
{
  // A data-independent editor: one nameless value, and back into the editor.
  auto* Own = new TDBEditEh(Master);
  static_cast<TControl*>(Own)->SetParent(Master);
  static_cast<TControl*>(Own)->SetBounds(20, 60, 200, 24);
  Own->SetValue(Variant(QStringLiteral("шайба")));
  auto OwnButton = std::make_unique<TEditButtonEh>(Own);
  OwnButton->DropDownFormParams()->SetDropDownForm(Form);
  QStringList Got;
  Form->OnInitForm = [&](TCustomDropDownFormEh*, TDynVarsEh* D) { Got = Received(D); };
  Form->OnReturnParams = [](TCustomDropDownFormEh*, TDynVarsEh* D) {
    D->Items(0)->SetValue(Variant(QStringLiteral("шайба 8")));
  };
  bool Handled = false;
  OpenEditButtonDropDownFormEh(Own, Own->DataLink(), Own->Field(), Own->Value(), OwnButton.get(), nullptr, nullptr,
                               [Own](TCustomForm* F, bool Accept, TDynVarsEh* P, TDropDownFormSysParams* S) {
                                 Own->EditButtonDropDownFormCallback(F, Accept, P, S);
                               },
                               Handled);
  ASSERT_TRUE(Handled);
  EXPECT_EQ(Got, QStringList{QStringLiteral("=шайба")});
  gui_test::Click(Form->Ok);
  EXPECT_EQ(Own->Value().AsString(), QStringLiteral("шайба 8"));

  // A read-only field opens the form read-only.
  QCoreApplication::processEvents();
  Parts->FieldByName(QStringLiteral("name"))->SetReadOnly(true);
  ASSERT_TRUE(Open());
  EXPECT_TRUE(Form->ReadOnly());
  Form->Close();
  Parts->FieldByName(QStringLiteral("name"))->SetReadOnly(false);

  // A button that names no form leaves the press to the editor.
  Button->DropDownFormParams()->SetDropDownForm(nullptr);
  QCoreApplication::processEvents();
  EXPECT_FALSE(Open());
}

} // namespace
