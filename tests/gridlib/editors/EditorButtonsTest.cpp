// EditorButtonsTest.cpp: the data-aware editor's edit buttons on a form read
// from its description, over the roles table of the test server: which
// buttons act by default, the order of the press and click events with
// Handled, the drop-down menu, the ellipsis button that edits the text in
// the memo window; and the MRU list that completes typed text.
#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/editors/MemoEditFormsEh.h"

#include "gridlib/foundation/GridsEh.h"
#include "platform/data/ADODB.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/gridlib/editors/EditorsTestSupport.h"

#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

using gui_test::GuiTest;

namespace {

class TButtonsForm : public TForm {
  VELMORA_CLASS(TButtonsForm)
public:
  explicit TButtonsForm(TComponent* AOwner) : TForm(AOwner, 0) {}
  std::vector<String> Log;
  bool HandleEditorClick = false;
  void NameEditButtonClick(TObject*, bool& Handled)
  {
    Log.push_back(QStringLiteral("editor click"));
    Handled = HandleEditorClick;
  }
  void NameEditButtonDown(TObject*, bool, bool&, bool&) { Log.push_back(QStringLiteral("editor down")); }
  void FindButtonClick(TObject*, bool& Handled)
  {
    Log.push_back(QStringLiteral("find click"));
    Handled = true;
  }
  void ClearItemClick(TObject*) { Log.push_back(QStringLiteral("menu clear")); }
  template <class T>
  T* Find(const char* Name) const
  {
    return editors_test::Find<T>(this, Name);
  }
};

const char* ButtonsFormDescription = R"(object ButtonsForm: TButtonsForm
  Left = 0
  Top = 0
  Caption = 'Роли'
  ClientHeight = 120
  ClientWidth = 320
  object NameEdit: TDBEditEh
    Left = 8
    Top = 30
    Width = 220
    Height = 21
    EditButton.Visible = True
    EditButton.DropdownMenu = NamesMenu
    EditButtons = <
      item
        Style = ebsEllipsisEh
      end
      item
        Style = ebsGlyphEh
        OnClick = FindButtonClick
      end>
    TabOrder = 0
    OnButtonClick = NameEditButtonClick
    OnButtonDown = NameEditButtonDown
  end
  object CodeEdit: TDBEditEh
    Left = 8
    Top = 70
    Width = 220
    Height = 21
    MRUList.Active = True
    MRUList.Rows = 3
    MRUList.Items.Strings = (
      'Администратор'
      'Аналитик'
      'Бухгалтер'
      'адвокат')
    TabOrder = 1
  end
  object DataSource1: TDataSource
  end
  object NamesMenu: TPopupMenu
    object ClearItem: TMenuItem
      Caption = 'Очистить'
      OnClick = ClearItemClick
    end
  end
end
)";

class EditorButtonsTest : public GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    RegisterToolCtrlsEhButtonClasses();
    RegisterToolCtrlsEhMRUClasses();
    RegisterDBCtrlsEhButtonsClasses();
    RegisterClassInfo<TButtonsForm, TForm>("TButtonsForm")
      .Handler("NameEditButtonClick", &TButtonsForm::NameEditButtonClick)
      .Handler("NameEditButtonDown", &TButtonsForm::NameEditButtonDown)
      .Handler("FindButtonClick", &TButtonsForm::FindButtonClick)
      .Handler("ClearItemClick", &TButtonsForm::ClearItemClick);
    Db = editors_test::OpenTestSession();
    Db->Execute(QStringLiteral("insert into adm_role.roles (id, s_name, s_caption) values (9101, 'oper', 'Оператор')"));
    Rows = std::make_unique<TADOQuery>(nullptr);
    Rows->SetConnection(Db.get());
    Rows->SQL()->SetText(QStringLiteral("select id, s_name, s_caption from adm_role.roles where id = 9101"));
    Rows->Open();
    Form = new TButtonsForm(Application);
    ReadComponentFromText(QString::fromUtf8(ButtonsFormDescription), Form);
    Form->AfterConstruction();
    Form->Find<TDataSource>("DataSource1")->SetDataSet(Rows.get());
    Name = Form->Find<TDBEditEh>("NameEdit");
    Name->SetDataSource(Form->Find<TDataSource>("DataSource1"));
    Name->SetDataField(QStringLiteral("s_caption"));
    Code = Form->Find<TDBEditEh>("CodeEdit");
    Form->Show();
    Name->SetFocus();
    QCoreApplication::processEvents();
  }
  void TearDown() override
  {
    delete Form;
    Rows.reset();
    Db->RollbackTrans();
    GuiTest::TearDown();
  }
  TEditButtonControlEh* Control(Integer Entry) const { return Name->ButtonsBox()->BtnCtlList()[Entry].EditButtonControl; }
  // A press and release on a button control, as the user's click.
  void Press(TEditButtonControlEh* C)
  {
    bool AutoRepeat = false, Handled = false;
    Name->ButtonsBox()->OnDown(C, true, AutoRepeat, Handled);
    C->Click();
  }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOQuery> Rows;
  TButtonsForm* Form = nullptr;
  TDBEditEh* Name = nullptr;
  TDBEditEh* Code = nullptr;
};

} // namespace

TEST_F(EditorButtonsTest, DefaultActionsAndLayout)
{
  ASSERT_NE(Name->ButtonsBox(), nullptr);
  ASSERT_EQ(Name->ButtonsBox()->ButtonsCount(), 3);
  EXPECT_EQ(Name->Text(), QStringLiteral("Оператор"));
  // The main button acts by default while visible; a further button with a
  // handler of its own does not.
  EXPECT_TRUE(Name->EditButton()->DefaultAction());
  EXPECT_TRUE(Name->EditButtons()->Items(0)->DefaultAction());
  EXPECT_FALSE(Name->EditButtons()->Items(1)->DefaultAction());
  EXPECT_EQ(Name->GetFirstDefaultActionEditButton(), Name->EditButton());
  EXPECT_EQ(Name->GetEditButtonControlByEditButton(Name->EditButtons()->Items(1)), Control(2));
  EXPECT_EQ(Control(1)->Style(), ebsEllipsisEh);
  // The main button hidden, the ellipsis given a handler: none is left.
  Name->EditButton()->SetVisible(false);
  Name->EditButtons()->Items(0)->OnClick = [](TObject*, bool&) {};
  Name->UpdateEditButtons();
  EXPECT_EQ(Name->GetFirstDefaultActionEditButton(), nullptr);
  // An editor without visible buttons hides its box.
  Name->EditButtons()->Clear();
  Name->UpdateEditButtons();
  EXPECT_FALSE(Name->ButtonsBox()->Visible());
}

TEST_F(EditorButtonsTest, ButtonsOfTheDescriptionAreLaidOutWhenRead)
{
  // Read before any window exists, then shown, with nothing laying the
  // buttons out by hand.
  auto* Other = new TButtonsForm(Application);
  ReadComponentFromText(QString::fromUtf8(ButtonsFormDescription), Other);
  Other->Show();
  QCoreApplication::processEvents();
  auto* Edit = Other->Find<TDBEditEh>("NameEdit");
  ASSERT_NE(Edit->ButtonsBox(), nullptr);
  EXPECT_EQ(Edit->ButtonsBox()->ButtonsCount(), 3);
  EXPECT_TRUE(Edit->ButtonsBox()->Visible());
  EXPECT_GT(Edit->ButtonsBox()->ButtonsWidth(), 0);
  EXPECT_EQ(Edit->ButtonsBox()->BtnCtlList()[0].EditButton, Edit->EditButton());
  delete Other;
}

TEST_F(EditorButtonsTest, ClickChainStopsWhereHandled)
{
  // A further button's own click handles it; the editor's event is not fired.
  Press(Control(2));
  EXPECT_EQ(Form->Log, std::vector<String>{QStringLiteral("find click")});

  // The main button: the editor's down, then its menu, which handles the
  // press; the click then reaches the editor's click event.
  Form->Log.clear();
  // The user picks the menu's item once the menu is up.
  QTimer Picker;
  Picker.setInterval(10);
  QObject::connect(&Picker, &QTimer::timeout, [&] {
    auto* M = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!M || M->actions().isEmpty())
      return;
    Picker.stop();
    M->setActiveAction(M->actions().front());
    QKeyEvent Enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(M, &Enter);
  });
  Picker.start();
  QTimer::singleShot(5000, [] {
    if (QWidget* W = QApplication::activePopupWidget())
      W->close();
  });
  Press(Control(0));
  QCoreApplication::processEvents();
  EXPECT_EQ(Form->Log, (std::vector<String>{QStringLiteral("editor down"), QStringLiteral("menu clear"),
                                            QStringLiteral("editor click")}));
  // A handled editor click stops the default action.
  Form->Log.clear();
  Form->HandleEditorClick = true;
  Name->EditButton()->SetDropdownMenu(nullptr);
  Press(Control(0));
  EXPECT_EQ(Form->Log, (std::vector<String>{QStringLiteral("editor down"), QStringLiteral("editor click")}));
  // The press that nobody handled was the drop-down button's default: the
  // memo window dropped down.
  EXPECT_TRUE(TMemoEditWinEh::GlobalRef()->Visible());
  TMemoEditWinEh::GlobalRef()->Close();
}

// The drop-down button without a form of its own drops the memo window down
// with the editor's value and writes the confirmed text back with Edit and
// Post; a failing write-back leaves no edit behind.
TEST_F(EditorButtonsTest, DropDownButtonDropsTheMemoWindowDown)
{
  Name->EditButton()->SetDropdownMenu(nullptr);
  Name->OnButtonClick = nullptr;
  Name->OnButtonDown = nullptr;
  TMemoEditWinEh* Win = TMemoEditWinEh::GlobalRef();
  std::vector<String> Events;
  Name->OnOpenDropDownForm = [&](TControl*, TEditButtonEh*, TCustomForm*& F, TDynVarsEh*) {
    Events.push_back(F == Win ? QStringLiteral("open memo") : F ? QStringLiteral("open other") : QStringLiteral("open none"));
  };
  Name->OnCloseDropDownForm = [&](TControl*, TEditButtonEh*, bool Accept, TCustomForm*, TDynVarsEh*) {
    Events.push_back(Accept ? QStringLiteral("close ok") : QStringLiteral("close cancel"));
  };
  const auto Caption = [this] {
    TADOQuery Q(nullptr);
    Q.SetConnection(Db.get());
    Q.SQL()->SetText(QStringLiteral("select s_caption from adm_role.roles where id = 9101"));
    Q.Open();
    return Q.Fields()->Fields(0)->AsString();
  };
  // Let the close marker of the previous drop-down go before the next press.
  const auto Settle = [] {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  };

  Press(Control(0));
  ASSERT_TRUE(Win->Visible());
  EXPECT_TRUE(Win->DropDownMode());
  EXPECT_EQ(Win->Memo1->Text(), QStringLiteral("Оператор"));
  EXPECT_EQ(Win->PassParams(), pspFieldValueEh);
  EXPECT_FALSE(Win->ReadOnly());
  EXPECT_TRUE(Control(0)->AlwaysDown());
  EXPECT_EQ(Rows->State(), dsBrowse);
  Win->Memo1->SetText(QStringLiteral("Старший оператор"));
  gui_test::Click(Win->sbOk);
  EXPECT_FALSE(Win->Visible());
  EXPECT_FALSE(Control(0)->AlwaysDown());
  EXPECT_EQ(Name->Text(), QStringLiteral("Старший оператор"));
  EXPECT_EQ(Rows->State(), dsBrowse);
  EXPECT_EQ(Caption(), QStringLiteral("Старший оператор"));
  // The button's own launcher asks first, without a form; then the default
  // action with the memo window.
  EXPECT_EQ(Events, (std::vector<String>{QStringLiteral("open none"), QStringLiteral("open memo"),
                                         QStringLiteral("close ok")}));

  // The press that closed the window does not open it again; the next does.
  Press(Control(0));
  EXPECT_FALSE(Win->Visible());
  Settle();
  Press(Control(0));
  ASSERT_TRUE(Win->Visible());
  Win->Memo1->SetText(QStringLiteral("не то"));
  gui_test::Click(Win->sbCancel);
  EXPECT_FALSE(Win->Visible());
  EXPECT_EQ(Name->Text(), QStringLiteral("Старший оператор"));
  EXPECT_EQ(Rows->State(), dsBrowse);

  // A read-only editor opens it read-only: OK cannot confirm.
  Settle();
  Name->SetReadOnly(true);
  Press(Control(0));
  ASSERT_TRUE(Win->Visible());
  EXPECT_TRUE(Win->ReadOnly());
  EXPECT_TRUE(Win->Memo1->ReadOnly());
  EXPECT_FALSE(Win->sbOk->Enabled());
  Win->sbOkClick(Win->sbOk);
  EXPECT_TRUE(Win->Visible());
  gui_test::Click(Win->sbCancel);
  EXPECT_EQ(Caption(), QStringLiteral("Старший оператор"));
  Name->SetReadOnly(false);

  // Passed by field names without names: nothing goes in, and the text the
  // last caller left is not shown for this one.
  Settle();
  Name->EditButton()->DropDownFormParams()->SetPassParams(pspByFieldNamesEh);
  Press(Control(0));
  ASSERT_TRUE(Win->Visible());
  EXPECT_EQ(Win->PassParams(), pspByFieldNamesEh);
  EXPECT_EQ(Win->Memo1->Text(), String());
  Win->Memo1->SetText(QStringLiteral("никуда"));
  gui_test::Click(Win->sbOk);
  EXPECT_EQ(Name->Text(), QStringLiteral("Старший оператор"));
  EXPECT_EQ(Rows->State(), dsBrowse);
  Name->EditButton()->DropDownFormParams()->SetPassParams(pspFieldValueEh);

  // Written back into a column that the window gave no value for: the
  // server refuses the empty name, the error is shown, the edit that the
  // write-back started is cancelled and the record keeps its values.
  Settle();
  Name->EditButton()->DropDownFormParams()->SetAssignBackFieldNames(QStringLiteral("s_name"));
  QStringList Errors;
  Application->OnException = [&](TObject*, Exception& E) { Errors << E.Message(); };
  Press(Control(0));
  ASSERT_TRUE(Win->Visible());
  gui_test::Click(Win->sbOk);
  Application->OnException = nullptr;
  EXPECT_EQ(Errors.size(), 1);
  EXPECT_FALSE(Win->Visible());
  EXPECT_FALSE(Control(0)->AlwaysDown());
  EXPECT_EQ(Rows->State(), dsBrowse);
  EXPECT_EQ(Rows->FieldByName(QStringLiteral("s_name"))->AsString(), QStringLiteral("oper"));
  TADOQuery Q(nullptr);
  Q.SetConnection(Db.get());
  Q.SQL()->SetText(QStringLiteral("select s_name from adm_role.roles where id = 9101"));
  Q.Open();
  EXPECT_EQ(Q.Fields()->Fields(0)->AsString(), QStringLiteral("oper"));
}

// A window still dropped down when its editor goes is closed, not left to
// call back into it.
TEST_F(EditorButtonsTest, AnOpenDropDownClosesWithItsEditor)
{
  Name->EditButton()->SetDropdownMenu(nullptr);
  Name->OnButtonClick = nullptr;
  Name->OnButtonDown = nullptr;
  Press(Control(0));
  TMemoEditWinEh* Win = TMemoEditWinEh::GlobalRef();
  ASSERT_TRUE(Win->Visible());
  delete Name;
  Name = nullptr;
  EXPECT_FALSE(Win->Visible());
  EXPECT_EQ(Win->SysParams(), nullptr);
  QCoreApplication::processEvents();
}

TEST_F(EditorButtonsTest, EllipsisEditsTheTextInTheMemoWindow)
{
  String Shown;
  const auto MemoShown = [] { return TMemoEditWinEh::GlobalRef()->Visible(); };
  gui_test::WhenReady(MemoShown, [&] {
    TMemoEditWinEh* Win = TMemoEditWinEh::GlobalRef();
    Shown = Win->Memo1->Text();
    Win->Memo1->SetText(QStringLiteral("Оператор линии\r\nвторой смены"));
    Win->sbOk->Click();
  });
  Press(Control(1));
  EXPECT_EQ(Shown, QStringLiteral("Оператор"));
  EXPECT_EQ(Name->Text(), QStringLiteral("Оператор линии\r\nвторой смены"));
  EXPECT_EQ(Rows->State(), dsEdit);
  Name->UpdateData();
  Rows->Post();
  TADOQuery Q(nullptr);
  Q.SetConnection(Db.get());
  Q.SQL()->SetText(QStringLiteral("select s_caption from adm_role.roles where id = 9101"));
  Q.Open();
  EXPECT_EQ(Q.Fields()->Fields(0)->AsString(), QStringLiteral("Оператор линии\r\nвторой смены"));

  // Cancel leaves the text as it was.
  gui_test::WhenReady(MemoShown, [] {
    TMemoEditWinEh* Win = TMemoEditWinEh::GlobalRef();
    Win->Memo1->SetText(QStringLiteral("другое"));
    Win->sbCancel->Click();
  });
  Press(Control(1));
  EXPECT_EQ(Name->Text(), QStringLiteral("Оператор линии\r\nвторой смены"));
}

TEST_F(EditorButtonsTest, MRUListCompletesTypedText)
{
  Code->SetFocus();
  QCoreApplication::processEvents();
  ASSERT_TRUE(Code->Focused());
  gui_test::Type(Code, QStringLiteral("Ад"));
  // Case-insensitive: both "Администратор" and "адвокат" start so.
  ASSERT_TRUE(Code->MRUList()->DroppedDown());
  TMRUListboxEh* List = Code->MRUListControl();
  ASSERT_NE(List, nullptr);
  EXPECT_TRUE(List->Visible());
  EXPECT_EQ(List->Items()->Count(), 2);
  // Typing on narrows it to one; a text no item starts with closes it.
  gui_test::Type(Code, QStringLiteral("м"));
  EXPECT_EQ(List->Items()->Count(), 1);
  gui_test::Type(Code, QStringLiteral("x"));
  EXPECT_FALSE(Code->MRUList()->DroppedDown());
  EXPECT_FALSE(List->Visible());

  // Down picks the first item, Enter takes it.
  Code->SetText(QString());
  gui_test::Type(Code, QStringLiteral("Б"));
  ASSERT_TRUE(Code->MRUList()->DroppedDown());
  gui_test::Key(Code, Qt::Key_Down);
  gui_test::Key(Code, Qt::Key_Return);
  EXPECT_FALSE(Code->MRUList()->DroppedDown());
  EXPECT_EQ(Code->Text(), QStringLiteral("Бухгалтер"));

  // Esc closes without taking anything.
  Code->SetText(QString());
  gui_test::Type(Code, QStringLiteral("Ан"));
  ASSERT_TRUE(Code->MRUList()->DroppedDown());
  gui_test::Key(Code, Qt::Key_Down);
  gui_test::Key(Code, Qt::Key_Escape);
  EXPECT_FALSE(Code->MRUList()->DroppedDown());
  EXPECT_NE(Code->Text(), QStringLiteral("Аналитик"));

  // The user makes the open list wider and longer (as with its grip): the
  // next drop-down keeps that width, with no more rows than items.
  Code->SetText(QString());
  gui_test::Type(Code, QStringLiteral("А"));
  ASSERT_TRUE(Code->MRUList()->DroppedDown());
  const Integer W0 = List->Width();
  List->SetBounds(List->Left(), List->Top(), W0 + 40, List->Height() + 2 * List->ItemHeight());
  EXPECT_TRUE(List->SizeGripResized());
  gui_test::Key(Code, Qt::Key_Escape);
  EXPECT_EQ(Code->MRUList()->Width(), W0 + 40);
  EXPECT_EQ(Code->MRUList()->Rows(), 3 + 2);
  Code->SetText(QString());
  gui_test::Type(Code, QStringLiteral("Б"));
  ASSERT_TRUE(Code->MRUList()->DroppedDown());
  EXPECT_EQ(List->Width(), W0 + 40);
  EXPECT_EQ(List->RowCount(), 1);
}

// The list is filtered by the editor's own test: its text as the prefix,
// the list's case rule, then OnFilterItem told by the editor itself.
TEST_F(EditorButtonsTest, MRUListFiltersThroughTheEditor)
{
  Code->SetFocus();
  QCoreApplication::processEvents();
  std::vector<TObject*> Senders;
  Code->MRUList()->OnFilterItem = [&](TObject* Sender, bool& Accept) {
    Senders.push_back(Sender);
    // The user's rule: lawyers are not offered (every pass runs through the
    // items in order).
    TStrings* Items = Code->MRUList()->Items();
    if (Items->IndexOf(QStringLiteral("адвокат")) == Integer(Senders.size() - 1) % Items->Count())
      Accept = false;
  };
  gui_test::Type(Code, QStringLiteral("ад"));
  ASSERT_TRUE(Code->MRUList()->DroppedDown());
  TMRUListboxEh* List = Code->MRUListControl();
  EXPECT_EQ(List->Items()->Count(), 1);
  EXPECT_EQ(List->Items()->Strings(0), QStringLiteral("Администратор"));
  ASSERT_FALSE(Senders.empty());
  EXPECT_TRUE(std::all_of(Senders.begin(), Senders.end(), [this](TObject* S) { return S == Code; }));

  // Case-sensitive: "Ад" no longer takes the lower-case item.
  gui_test::Key(Code, Qt::Key_Escape);
  Code->SetText(QString());
  Code->MRUList()->OnFilterItem = nullptr;
  Code->MRUList()->SetCaseSensitive(true);
  gui_test::Type(Code, QStringLiteral("Ад"));
  ASSERT_TRUE(Code->MRUList()->DroppedDown());
  EXPECT_EQ(List->Items()->Count(), 1);
  EXPECT_EQ(List->Items()->Strings(0), QStringLiteral("Администратор"));
}
