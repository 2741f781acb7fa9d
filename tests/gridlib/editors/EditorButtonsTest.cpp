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
    Name->UpdateEditButtons();
    Code->UpdateEditButtons();
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
}

TEST_F(EditorButtonsTest, EllipsisEditsTheTextInTheMemoWindow)
{
  String Shown;
  const auto MemoShown = [] { return TMemoEditWinEh::GetGlobalRef()->Visible(); };
  gui_test::WhenReady(MemoShown, [&] {
    TMemoEditWinEh* Win = TMemoEditWinEh::GetGlobalRef();
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
    TMemoEditWinEh* Win = TMemoEditWinEh::GetGlobalRef();
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
