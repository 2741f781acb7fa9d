// DBComboBoxTest.cpp: the combo box editor on a form read from its
// description, over a varchar and an integer column of the test server:
// incremental search in a list-limited box, completion while typing free
// text, key mode, the computed limit, the not-in-list handler, stepping,
// and the drop-down list opened, picked from and sized.
#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/foundation/GridsEh.h"
#include "platform/data/ADODB.h"
#include "platform/gui/ImgList.h"

#include "tests/gridlib/editors/EditorsTestSupport.h"
#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/support/TestDatabase.h"

namespace {

const char* const FormText = R"(object FruitForm: TForm
  Left = 0
  Top = 0
  Caption = 'Фрукты'
  ClientHeight = 200
  ClientWidth = 320
  object FruitEdit: TDBComboBoxEh
    Left = 90
    Top = 8
    Width = 200
    Height = 21
    DataField = 'fruit'
    DataSource = ItemSource
    Items.Strings = (
      'Apple'
      'Apricot'
      'Banana'
      'Cherry')
    LimitTextToListValues = True
  end
  object KindEdit: TDBComboBoxEh
    Left = 90
    Top = 40
    Width = 200
    Height = 21
    DataField = 'kind'
    DataSource = ItemSource
    Items.Strings = (
      'Apple'
      'Banana'
      'Cherry')
    KeyItems.Strings = (
      '1'
      '2'
      '3')
  end
  object FreeEdit: TDBComboBoxEh
    Left = 90
    Top = 72
    Width = 200
    Height = 21
    Items.Strings = (
      'Apple'
      'Banana'
      'Cherry')
  end
  object OtherEdit: TEdit
    Left = 90
    Top = 104
    Width = 200
    Height = 21
  end
  object ItemSource: TDataSource
    DataSet = Items
  end
  object Items: TADOQuery
    SQL.Strings = (
      'select * from cb_item order by id')
  end
end
)";

class DBComboBoxTest : public editors_test::TableFormTest {
protected:
  static void SetUpTestSuite()
  {
    RegisterADOClasses();
    RegisterStdCtrlsClasses();
    RegisterDBCtrlsEhComboBoxClasses();
  }
  void SetUp() override
  {
    GuiTest::SetUp();
    ReadForm({"drop table if exists cb_item",
              "create table cb_item (id serial primary key, fruit varchar(20), kind integer)",
              "insert into cb_item (fruit, kind) values ('Banana', 2), (null, null)"},
             FormText);
    Fruit = Find("FruitEdit");
    Kind = Find("KindEdit");
    Free = Find("FreeEdit");
    Other = editors_test::Find<TEdit>(Form, "OtherEdit");
  }
  TDBComboBoxEh* Find(const char* Name) { return editors_test::Find<TDBComboBoxEh>(Form, Name); }
  // Posts the record the editors wrote into and reads a column back.
  std::string Saved(const char* Column)
  {
    Items->Post();
    return Db1(std::string("select coalesce(") + Column + "::text, '<null>') from cb_item where id = 1");
  }
  // Leaves the editor first, which writes into the record.
  std::string Posted(const char* Column)
  {
    Focus(Other);
    return Saved(Column);
  }
  // Types a sequence in which "\b" stands for Backspace.
  static void TypeKeys(TWinControl* Control, const QString& Keys)
  {
    for (QChar C : Keys) {
      if (C == QChar('\b'))
        gui_test::Key(Control, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
      else
        gui_test::Type(Control, QString(C));
    }
  }
  // The left button pressed on a control (a graphic one through its
  // parent's window), moved with it held and let go. The mouse moves on the
  // screen: the window that had the press keeps getting it, and a control
  // that moves under it sees it where it really is.
  class TMouseDrag {
  public:
    TMouseDrag(TControl* Control, QPoint From)
    {
      auto* Win = dynamic_cast<TWinControl*>(Control);
      QPoint Offset;
      if (!Win) {
        Win = Control->Parent();
        Offset = QPoint(Control->Left(), Control->Top());
      }
      Win->HandleNeeded();
      FWidget = Win->Widget();
      FControl = Control;
      FOffset = Offset;
      FFrom = From;
      Send(QEvent::MouseButtonPress, FWidget->mapToGlobal(QPointF(From + Offset)), Qt::LeftButton, Qt::LeftButton);
    }
    // To: a point in the control's own coordinates, as it stood at the press.
    void MoveTo(QPoint To)
    {
      FAt = Start() + QPointF(To - FFrom) / 2;
      Send(QEvent::MouseMove, FAt, Qt::NoButton, Qt::LeftButton);
      FAt = Start() + QPointF(To - FFrom);
      Send(QEvent::MouseMove, FAt, Qt::NoButton, Qt::LeftButton);
    }
    void Release() { Send(QEvent::MouseButtonRelease, FAt, Qt::LeftButton, Qt::NoButton); }

  private:
    QPointF Start()
    {
      if (!FStarted) {
        FStart = FWidget->mapToGlobal(QPointF(FFrom + FOffset));
        FStarted = true;
      }
      return FStart;
    }
    void Send(QEvent::Type Type, QPointF Global, Qt::MouseButton Button, Qt::MouseButtons Held)
    {
      if (!FStarted) {
        FStart = Global;
        FStarted = true;
      }
      QMouseEvent E(Type, FWidget->mapFromGlobal(Global), Global, Button, Held, Qt::NoModifier);
      QCoreApplication::sendEvent(FWidget, &E);
    }
    QWidget* FWidget = nullptr;
    TControl* FControl = nullptr;
    QPoint FOffset, FFrom;
    QPointF FStart, FAt;
    bool FStarted = false;
  };
  static void Drag(TControl* Control, QPoint From, QPoint To)
  {
    TMouseDrag D(Control, From);
    D.MoveTo(To);
    D.Release();
  }
  static void AltDown(TWinControl* Control)
  {
    gui_test::Key(Control, Qt::Key_Down, Qt::AltModifier);
    Application->ProcessMessages();
  }
  static void Enter(TWinControl* Control) { gui_test::Key(Control, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")); }
  static void Escape(TWinControl* Control) { gui_test::Key(Control, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27))); }

  TDBComboBoxEh *Fruit = nullptr, *Kind = nullptr, *Free = nullptr;
  TEdit* Other = nullptr;
};

struct TSearchCase {
  const char* Keys;
  bool CaseInsensitive;
  const char* Text;
  Integer SelStart, SelLength;
};

} // namespace

TEST_F(DBComboBoxTest, IncrementalSearchInALimitedList)
{
  // The typed prefix is what stands before the completed part; Backspace
  // moves that boundary left, a whole selection shrinks to the last letter.
  const TSearchCase Cases[] = {
    {"b", true, "Banana", 1, 5},
    {"B", true, "Banana", 1, 5},
    {"b\b", true, "Banana", 0, 6},
    {"b\b\b", true, "Banana", 5, 1},
    {"b\b\b\b", true, "Banana", 4, 2},
    {"ch", true, "Cherry", 2, 4},
    {"ap", true, "Apple", 2, 3},
    {"apr", true, "Apricot", 3, 4},
    // No item goes on so: the shown item and its selection stay.
    {"bx", true, "Banana", 1, 5},
    // After Backspace selected the whole word the search starts again.
    {"b\bc", true, "Cherry", 1, 5},
    {"b", false, "Banana", 0, 6},
    {"B", false, "Banana", 1, 5},
  };
  Items->Open();
  Form->Show();
  Application->ProcessMessages();
  for (const TSearchCase& C : Cases) {
    SCOPED_TRACE(testing::Message() << "keys '" << C.Keys << "' case-insensitive " << C.CaseInsensitive);
    Fruit->SetCaseInsensitiveTextSearch(C.CaseInsensitive);
    Focus(Fruit);
    // Every case starts from the row's Banana with the whole text selected,
    // as on entering.
    Fruit->SelectAll();
    TypeKeys(Fruit, QString::fromLatin1(C.Keys));
    EXPECT_EQ(Fruit->Text(), QString::fromLatin1(C.Text));
    EXPECT_EQ(Fruit->SelStart(), C.SelStart);
    EXPECT_EQ(Fruit->SelLength(), C.SelLength);
    Escape(Fruit);
    Focus(Other);
  }
  // A case-sensitive search from an empty text finds nothing for a lower
  // case letter.
  Fruit->SetCaseInsensitiveTextSearch(false);
  Fruit->Clear();
  Focus(Fruit);
  gui_test::Type(Fruit, QStringLiteral("b"));
  EXPECT_EQ(Fruit->Text(), QString());
  EXPECT_EQ(Fruit->ItemIndex(), -1);
  gui_test::Type(Fruit, QStringLiteral("C"));
  EXPECT_EQ(Fruit->Text(), QStringLiteral("Cherry"));
  EXPECT_EQ(Posted("fruit"), "Cherry");
}

TEST_F(DBComboBoxTest, LimitedListRefusesOtherTextAndClearsWithDelete)
{
  OpenAndShow();
  Focus(Fruit);
  ASSERT_EQ(Fruit->Text(), QStringLiteral("Banana"));
  // Typing never writes into the box; paste searches as typing does.
  Fruit->SelectAll();
  gui_test::Type(Fruit, QStringLiteral("zz"));
  EXPECT_EQ(Fruit->Text(), QStringLiteral("Banana"));
  gui_test::Key(Fruit, Qt::Key_Delete);
  EXPECT_EQ(Fruit->Text(), QString());
  EXPECT_EQ(Fruit->ItemIndex(), -1);
  EXPECT_EQ(Posted("fruit"), "");
}

TEST_F(DBComboBoxTest, FreeTextCompletesWhileTypingAtTheEnd)
{
  OpenAndShow();
  Focus(Free);
  gui_test::Type(Free, QStringLiteral("C"));
  EXPECT_EQ(Free->Text(), QStringLiteral("Cherry"));
  EXPECT_EQ(Free->SelStart(), 1);
  EXPECT_EQ(Free->SelLength(), 5);
  gui_test::Type(Free, QStringLiteral("h"));
  EXPECT_EQ(Free->Text(), QStringLiteral("Cherry"));
  EXPECT_EQ(Free->SelStart(), 2);
  EXPECT_EQ(Free->ItemIndex(), 2);
  // Backspace takes the completion away and completes nothing.
  gui_test::Key(Free, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
  EXPECT_EQ(Free->Text(), QStringLiteral("Ch"));
  EXPECT_EQ(Free->ItemIndex(), -1);
  // A full stop never completes; free text stays as typed.
  Free->SelectAll();
  gui_test::Type(Free, QStringLiteral("A."));
  EXPECT_EQ(Free->Text(), QStringLiteral("A."));
  Free->SelectAll();
  gui_test::Type(Free, QStringLiteral("Grape"));
  EXPECT_EQ(Free->Text(), QStringLiteral("Grape"));
  EXPECT_EQ(Free->ItemIndex(), -1);
  // Editing inside the text finds the item the whole text names.
  Free->SelectAll();
  gui_test::Type(Free, QStringLiteral("Bxnana"));
  ASSERT_EQ(Free->Text(), QStringLiteral("Bxnana"));
  Free->SetSelStart(1);
  Free->SetSelLength(1);
  gui_test::Type(Free, QStringLiteral("a"));
  EXPECT_EQ(Free->Text(), QStringLiteral("Banana"));
  EXPECT_EQ(Free->ItemIndex(), 1);
}

TEST_F(DBComboBoxTest, KeyModeShowsTheItemAndPostsTheKey)
{
  OpenAndShow();
  EXPECT_TRUE(Kind->KeyBased());
  EXPECT_EQ(Kind->Text(), QStringLiteral("Banana"));
  EXPECT_EQ(Kind->ItemIndex(), 1);
  EXPECT_EQ(Kind->Value().AsString(), QStringLiteral("2"));
  Focus(Kind);
  gui_test::Type(Kind, QStringLiteral("c"));
  EXPECT_EQ(Kind->Text(), QStringLiteral("Cherry"));
  EXPECT_EQ(Posted("kind"), "3");
  // A key that is no item shows nothing; Null shows nothing either.
  Kind->SetValue(Variant(QStringLiteral("7")));
  EXPECT_EQ(Kind->Text(), QString());
  EXPECT_EQ(Kind->ItemIndex(), -1);
  EXPECT_EQ(Saved("kind"), "7");
  Kind->SetItemIndex(0);
  EXPECT_EQ(Kind->Text(), QStringLiteral("Apple"));
  EXPECT_EQ(Saved("kind"), "1");
  Kind->Clear();
  EXPECT_TRUE(Kind->Value().IsNull());
  EXPECT_EQ(Saved("kind"), "<null>");

  // More keys than items: only as many as there are items are usable.
  Kind->KeyItems()->Add(QStringLiteral("4"));
  Kind->SetValue(Variant(QStringLiteral("4")));
  EXPECT_EQ(Kind->Text(), QString());
  EXPECT_EQ(Kind->ItemIndex(), -1);
  Focus(Kind);
  gui_test::Key(Kind, Qt::Key_Up);
  EXPECT_EQ(Kind->Text(), QStringLiteral("Cherry"));
  EXPECT_EQ(Posted("kind"), "3");

  // New texts for the same keys show the current key's item.
  Kind->Items()->Clear();
  Kind->Items()->Add(QStringLiteral("Яблоко"));
  Kind->Items()->Add(QStringLiteral("Банан"));
  Kind->Items()->Add(QStringLiteral("Вишня"));
  EXPECT_EQ(Kind->Text(), QStringLiteral("Вишня"));
}

TEST_F(DBComboBoxTest, LimitIsComputedUntilSet)
{
  // Only an explicit value is written to the form description.
  const String Text = WriteComponentToText(Form);
  EXPECT_TRUE(Text.contains(QStringLiteral("LimitTextToListValues = True")));
  EXPECT_EQ(Text.count(QStringLiteral("LimitTextToListValues")), 1);
  EXPECT_FALSE(Text.contains(QStringLiteral("LimitTextToListValuesStored")));
  EXPECT_TRUE(Fruit->LimitTextToListValuesStored());
  EXPECT_TRUE(Kind->LimitTextToListValues());
  EXPECT_FALSE(Kind->LimitTextToListValuesStored());
  EXPECT_FALSE(Free->LimitTextToListValues());

  TDBComboBoxEh Made(Form);
  EXPECT_FALSE(Made.LimitTextToListValues());
  Made.KeyItems()->Add(QStringLiteral("1"));
  EXPECT_TRUE(Made.LimitTextToListValues());
  EXPECT_FALSE(Made.LimitTextToListValuesStored());
  Made.OnNotInList = [](TObject*, const String&, bool&) {};
  EXPECT_FALSE(Made.LimitTextToListValues());
  // Setting it, even to the computed value, makes it explicit.
  Made.SetLimitTextToListValues(false);
  EXPECT_TRUE(Made.LimitTextToListValuesStored());
  Made.OnNotInList = nullptr;
  EXPECT_FALSE(Made.LimitTextToListValues());
  Made.SetLimitTextToListValuesStored(false);
  EXPECT_TRUE(Made.LimitTextToListValues());
  Made.SetLimitTextToListValuesStored(true);
  EXPECT_TRUE(Made.LimitTextToListValues());
  Made.KeyItems()->Clear();
  EXPECT_TRUE(Made.LimitTextToListValues());


  TDropDownBoxEh Box;
  Box.SetAutoDrop(true);
  Box.SetRows(3);
  Box.SetSizable(true);
  Box.SetWidth(-1);
  Box.SetAlign(daRight);
  Made.SetDropDownBox(&Box);
  EXPECT_TRUE(Made.DropDownBox()->AutoDrop());
  EXPECT_EQ(Made.DropDownBox()->Rows(), 3);
  EXPECT_TRUE(Made.DropDownBox()->Sizable());
  EXPECT_EQ(Made.DropDownBox()->Width(), -1);
  EXPECT_EQ(Made.DropDownBox()->Align(), daRight);
}

TEST_F(DBComboBoxTest, NotInListIsAskedAndNoStaleKeyIsPosted)
{
  std::vector<String> Asked;
  bool AddIt = false, Recheck = false;
  Kind->OnNotInList = [&](TObject* Sender, const String& NewText, bool& RecheckInList) {
    EXPECT_EQ(Sender, Kind);
    EXPECT_FALSE(RecheckInList);
    Asked.push_back(NewText);
    if (AddIt) {
      Kind->Items()->Add(NewText);
      Kind->KeyItems()->Add(QStringLiteral("9"));
    }
    RecheckInList = Recheck;
  };
  OpenAndShow();
  // The handler turns the computed limit off: any text can be typed.
  Focus(Kind);
  ASSERT_EQ(Kind->Text(), QStringLiteral("Banana"));
  Kind->SelectAll();
  gui_test::Type(Kind, QStringLiteral("Kiwi"));
  EXPECT_EQ(Kind->Text(), QStringLiteral("Kiwi"));
  EXPECT_EQ(Kind->ItemIndex(), -1);
  EXPECT_TRUE(Kind->Value().IsNull());
  // Nobody adds it: the record gets Null, not Banana's 2.
  EXPECT_EQ(Posted("kind"), "<null>");
  EXPECT_EQ(Asked, std::vector<String>{QStringLiteral("Kiwi")});

  // Added but not looked up again: still no key for the text.
  AddIt = true;
  Items->Edit();
  Items->FieldByName(QStringLiteral("kind"))->SetAsInteger(2);
  Focus(Kind);
  Kind->SelectAll();
  gui_test::Type(Kind, QStringLiteral("Kiwi"));
  EXPECT_EQ(Posted("kind"), "<null>");

  // Added and looked up again: the new key is posted.
  Recheck = true;
  Kind->Items()->Delete(Kind->Items()->Count() - 1);
  Kind->KeyItems()->Delete(Kind->KeyItems()->Count() - 1);
  Focus(Kind);
  Kind->SelectAll();
  gui_test::Type(Kind, QStringLiteral("Lime"));
  EXPECT_EQ(Posted("kind"), "9");
  EXPECT_EQ(Kind->Text(), QStringLiteral("Lime"));
  EXPECT_EQ(Asked.size(), 3u);

  // A text that is an item is not asked about; an empty one neither.
  Focus(Kind);
  Kind->SelectAll();
  gui_test::Type(Kind, QStringLiteral("Apple"));
  EXPECT_EQ(Posted("kind"), "1");
  EXPECT_EQ(Asked.size(), 3u);
}

TEST_F(DBComboBoxTest, StepsThroughItems)
{
  OpenAndShow();
  Focus(Kind);
  struct TStep {
    int Key;   // Qt key, or 0 for the wheel away from the user, 1 towards
    const char* Text;
  };
  Kind->SetValue(Null);
  const TStep Steps[] = {
    {Qt::Key_Up, "Cherry"}, {Qt::Key_Down, "Cherry"}, {Qt::Key_Up, "Banana"}, {Qt::Key_Up, "Apple"},
    {Qt::Key_Up, "Apple"},  {0, "Apple"},              {1, "Banana"},          {1, "Cherry"},
  };
  for (const TStep& S : Steps) {
    SCOPED_TRACE(testing::Message() << "step " << S.Key << " to " << S.Text);
    if (S.Key == 0 || S.Key == 1)
      gui_test::Wheel(Kind, S.Key == 0 ? 1 : -1);
    else
      gui_test::Key(Kind, S.Key);
    EXPECT_EQ(Kind->Text(), QString::fromLatin1(S.Text));
    EXPECT_EQ(Kind->SelLength(), Integer(Kind->Text().size()));
  }
  Kind->SetValue(Null);
  Focus(Kind);
  gui_test::Key(Kind, Qt::Key_Down);
  EXPECT_EQ(Kind->Text(), QStringLiteral("Apple"));
  EXPECT_EQ(Posted("kind"), "1");
  // Read-only: no step.
  Kind->SetReadOnly(true);
  Focus(Kind);
  gui_test::Key(Kind, Qt::Key_Down);
  EXPECT_EQ(Kind->Text(), QStringLiteral("Apple"));
}

TEST_F(DBComboBoxTest, DropDownListPicksWithKeysAndMouse)
{
  OpenAndShow();
  std::vector<bool> Closes;
  Kind->OnCloseUp = [&](TObject*, bool Accept) { Closes.push_back(Accept); };
  Focus(Kind);
  AltDown(Kind);
  ASSERT_TRUE(Kind->ListVisible());
  TPopupListboxFormEh* List = Kind->GetPopupListbox();
  EXPECT_TRUE(List->Visible());
  EXPECT_EQ(List->Items(), Kind->Items());
  EXPECT_EQ(List->ItemIndex(), 1);
  EXPECT_TRUE(Kind->Focused());
  // The list has the navigation keys; Enter takes its item.
  gui_test::Key(Kind, Qt::Key_Down);
  EXPECT_EQ(List->ItemIndex(), 2);
  EXPECT_EQ(Kind->Text(), QStringLiteral("Banana"));
  Enter(Kind);
  EXPECT_FALSE(Kind->ListVisible());
  EXPECT_FALSE(List->Visible());
  EXPECT_EQ(Kind->Text(), QStringLiteral("Cherry"));
  // Esc closes without taking it; Alt+Down again closes too.
  AltDown(Kind);
  gui_test::Key(Kind, Qt::Key_Up);
  Escape(Kind);
  EXPECT_FALSE(Kind->ListVisible());
  EXPECT_EQ(Kind->Text(), QStringLiteral("Cherry"));
  AltDown(Kind);
  ASSERT_TRUE(Kind->ListVisible());
  AltDown(Kind);
  EXPECT_FALSE(Kind->ListVisible());
  // A click on an item picks it.
  AltDown(Kind);
  ASSERT_TRUE(Kind->ListVisible());
  TPopupListboxGridEh* Grid = List->ListGrid();
  gui_test::Click(Grid, QPoint(10, List->ItemHeight() / 2));
  Application->ProcessMessages();
  EXPECT_FALSE(Kind->ListVisible());
  EXPECT_EQ(Kind->Text(), QStringLiteral("Apple"));
  EXPECT_EQ(Closes, (std::vector<bool>{true, false, false, true}));
  EXPECT_EQ(Posted("kind"), "1");

  // A click into the limited box opens the list; another closes it.
  Focus(Other);
  gui_test::Click(Fruit, QPoint(20, 8));
  Application->ProcessMessages();
  EXPECT_TRUE(Fruit->Focused());
  EXPECT_TRUE(Fruit->ListVisible());
  gui_test::Click(Fruit, QPoint(20, 8));
  Application->ProcessMessages();
  EXPECT_FALSE(Fruit->ListVisible());
  // Leaving the editor closes the list without taking anything.
  AltDown(Fruit);
  ASSERT_TRUE(Fruit->ListVisible());
  gui_test::Key(Fruit, Qt::Key_Down);
  Focus(Other);
  EXPECT_FALSE(Fruit->ListVisible());
  EXPECT_EQ(Fruit->Text(), QStringLiteral("Banana"));
}

TEST_F(DBComboBoxTest, DropDownListWidthAndRows)
{
  OpenAndShow();
  Free->Items()->Add(QStringLiteral("A very long item that is wider than the editor itself"));
  Focus(Free);
  TPopupListboxFormEh* List = Free->GetPopupListbox();
  struct TWidthCase {
    Integer Width;
    bool Widest;
    Integer Expected;   // when not the widest item's
  };
  const TWidthCase Cases[] = {{0, false, 200}, {-5, false, 200}, {120, false, 200}, {260, false, 260}, {-1, true, 0}};
  for (const TWidthCase& C : Cases) {
    SCOPED_TRACE(testing::Message() << "width " << C.Width);
    Free->DropDownBox()->SetWidth(C.Width);
    AltDown(Free);
    ASSERT_TRUE(Free->ListVisible());
    if (C.Widest) {
      TControlCanvas* Canvas = Free->GetCanvas();
      Canvas->Font()->Assign(Free->Font());
      const Integer Text = Canvas->TextWidth(Free->Items()->Strings(3));
      EXPECT_EQ(List->Width(), Text + 5 + List->GetBorderSize() + 2 * List->BorderWidth());
      EXPECT_GT(List->Width(), Free->Width());
    } else {
      EXPECT_EQ(List->Width(), C.Expected);
    }
    // Fewer items than rows: the list is as long as its items.
    EXPECT_EQ(List->RowCount(), 4);
    Escape(Free);
  }
  // The -1 rule never makes the list narrower than the editor.
  Free->Items()->Delete(3);
  AltDown(Free);
  EXPECT_EQ(List->Width(), 200);
  Escape(Free);

  // Without Sizable there is no grip.
  EXPECT_TRUE(Free->SizeGrip() == nullptr || !Free->SizeGrip()->Widget()->isVisible());
  // A size the user gives the open list with its grip is kept for the next
  // drop-down.
  Free->DropDownBox()->SetWidth(0);
  Free->DropDownBox()->SetRows(2);
  Free->DropDownBox()->SetSizable(true);
  AltDown(Free);
  ASSERT_EQ(List->RowCount(), 2);
  TSizeGripEh* Grip = Free->SizeGrip();
  ASSERT_NE(Grip, nullptr);
  // A grip lives in the list's window without being its control: its
  // window tells whether it shows.
  EXPECT_TRUE(Grip->Widget()->isVisible());
  EXPECT_EQ(Grip->Position(), sgpBottomRight);
  EXPECT_EQ(Grip->Left() + Grip->Width(), List->ClientWidth());
  Drag(Grip, QPoint(8, 8), QPoint(8 + 240 - List->Width(), 8 + List->ItemHeight()));
  EXPECT_EQ(List->Width(), 240);
  EXPECT_EQ(List->RowCount(), 3);
  EXPECT_TRUE(Free->ListVisible());
  Escape(Free);
  EXPECT_EQ(Free->DropDownBox()->Width(), 240);
  EXPECT_EQ(Free->DropDownBox()->Rows(), 3);
  AltDown(Free);
  EXPECT_EQ(List->Width(), 240);
  EXPECT_EQ(List->RowCount(), 3);
  Escape(Free);
  Free->DropDownBox()->SetSizable(false);
  AltDown(Free);
  EXPECT_FALSE(Grip->Widget()->isVisible());
  Escape(Free);
}

TEST_F(DBComboBoxTest, PressOnTheButtonDragIntoTheListAndRelease)
{
  OpenAndShow();
  Focus(Kind);
  TEditButtonControlEh* Button = Kind->GetEditButtonControlByEditButton(Kind->EditButton());
  ASSERT_NE(Button, nullptr);
  TPopupListboxFormEh* List = Kind->GetPopupListbox();
  const QPoint Start(Button->Width() / 2, Button->Height() / 2);
  // The press opens the list; the release over its third item picks it
  // without a second click.
  {
    TMouseDrag D(Button, Start);
    ASSERT_TRUE(Kind->ListVisible());
    const TPoint Item = Button->ScreenToClient(List->ListGrid()->ClientToScreen(TPoint(10, List->ItemHeight() * 5 / 2)));
    D.MoveTo(QPoint(Item.X, Item.Y));
    D.Release();
  }
  Application->ProcessMessages();
  EXPECT_FALSE(Kind->ListVisible());
  EXPECT_EQ(Kind->Text(), QStringLiteral("Cherry"));
  EXPECT_EQ(Posted("kind"), "3");

  // Let go beside the list: nothing is picked and the list stays open.
  Focus(Kind);
  {
    TMouseDrag D(Button, Start);
    ASSERT_TRUE(Kind->ListVisible());
    D.MoveTo(Start + QPoint(-30, 0));
    D.Release();
  }
  EXPECT_TRUE(Kind->ListVisible());
  EXPECT_EQ(Kind->Text(), QStringLiteral("Cherry"));
  Escape(Kind);
  EXPECT_FALSE(Kind->ListVisible());
}

TEST_F(DBComboBoxTest, ListEventsImagesAndAutoDrop)
{
  OpenAndShow();
  // An empty list asks for its items when it drops down.
  TDBComboBoxEh Lazy(Form);
  Lazy.SetParent(Form);
  Lazy.SetBounds(90, 140, 150, 21);
  Integer Asked = 0;
  Lazy.OnGetItemsList = [&](TObject*) {
    ++Asked;
    Lazy.Items()->Add(QStringLiteral("Яблоко"));
    Lazy.Items()->Add(QStringLiteral("Груша"));
  };
  Application->ProcessMessages();
  Focus(&Lazy);
  AltDown(&Lazy);
  ASSERT_TRUE(Lazy.ListVisible());
  EXPECT_EQ(Asked, 1);
  EXPECT_EQ(Lazy.GetPopupListbox()->Count(), 2);
  // The closing handler may turn an accept into a cancel.
  Lazy.OnClosingUp = [](TObject*, bool& Accept) { Accept = false; };
  gui_test::Key(&Lazy, Qt::Key_Down);
  Enter(&Lazy);
  EXPECT_FALSE(Lazy.ListVisible());
  EXPECT_EQ(Lazy.Text(), QString());
  Lazy.OnClosingUp = nullptr;

  // Images: the list's rows are at least as high as the images, the -1
  // width leaves room for an image, and the edit image follows the item
  // unless the handler says otherwise.
  TImageList Images(Form);
  Images.SetWidth(20);
  Images.SetHeight(40);
  Lazy.SetImages(&Images);
  Lazy.OnGetItemImageIndex = [](TObject*, Integer ItemIndex, Integer& ImageIndex) {
    if (ItemIndex == 1)
      ImageIndex = 7;
  };
  Lazy.DropDownBox()->SetWidth(-1);
  AltDown(&Lazy);
  ASSERT_TRUE(Lazy.ListVisible());
  TPopupListboxFormEh* List = Lazy.GetPopupListbox();
  EXPECT_EQ(List->ItemHeight(), 40);
  EXPECT_EQ(List->ImageList(), &Images);
  Enter(&Lazy);
  TControlCanvas* Canvas = Lazy.GetCanvas();
  Canvas->Font()->Assign(Lazy.Font());
  const Integer Widest = std::max(Canvas->TextWidth(QStringLiteral("Яблоко")), Canvas->TextWidth(QStringLiteral("Груша")));
  Lazy.SetWidth(std::min(Lazy.Width(), Widest));
  AltDown(&Lazy);
  EXPECT_EQ(List->Width(), Widest + 20 + 9 + List->GetBorderSize() + 2 * List->BorderWidth());
  Escape(&Lazy);
  gui_test::Key(&Lazy, Qt::Key_Down);
  EXPECT_EQ(Lazy.ItemIndex(), 0);
  EXPECT_EQ(Lazy.EditImage()->ImageIndex(), 0);
  gui_test::Key(&Lazy, Qt::Key_Down);
  EXPECT_EQ(Lazy.ItemIndex(), 1);
  EXPECT_EQ(Lazy.EditImage()->ImageIndex(), 7);

  // AutoDrop: a typed character opens the list.
  Lazy.DropDownBox()->SetAutoDrop(true);
  Lazy.SelectAll();
  gui_test::Type(&Lazy, QStringLiteral("Я"));
  EXPECT_TRUE(Lazy.ListVisible());
  EXPECT_EQ(Lazy.Text(), QStringLiteral("Яблоко"));
  Escape(&Lazy);
  EXPECT_FALSE(Lazy.ListVisible());
}

TEST_F(DBComboBoxTest, ItemIndexFromCodeAndNotInListInTextMode)
{
  OpenAndShow();
  // Written from code, the item goes into the record at once.
  Fruit->SetItemIndex(3);
  EXPECT_EQ(Fruit->Text(), QStringLiteral("Cherry"));
  EXPECT_EQ(Saved("fruit"), "Cherry");
  Fruit->SetItemIndex(-1);
  EXPECT_EQ(Fruit->Text(), QString());
  EXPECT_EQ(Saved("fruit"), "");

  // A text-mode box without a field asks about a new text when it posts,
  // and keeps the text whatever the answer.
  std::vector<String> Asked;
  Free->OnNotInList = [&](TObject*, const String& NewText, bool&) { Asked.push_back(NewText); };
  Focus(Free);
  Free->SelectAll();
  gui_test::Type(Free, QStringLiteral("Gr"));
  EXPECT_EQ(Free->Text(), QStringLiteral("Gr"));
  Focus(Other);
  EXPECT_EQ(Asked, std::vector<String>{QStringLiteral("Gr")});
  EXPECT_EQ(Free->Text(), QStringLiteral("Gr"));
  EXPECT_EQ(Free->Value().AsString(), QStringLiteral("Gr"));
}
