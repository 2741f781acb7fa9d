// AxisGridInplaceTest.cpp: the axis grid's inplace editor over items of the
// test server: the edit style each bar gets, completion of typed text,
// Delete and Backspace in list bars, pasting within MaxLength, Ctrl+Enter,
// the focus between grid and editor, and fonts scaled by their own sizes.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "gridlib/axisgrid/DBLookupUtilsEh.h"
#include "platform/gui/Clipbrd.h"
#include "platform/rtl/ScopeExit.h"
#include "tests/gridlib/axisgrid/AxisGridTestSupport.h"

#include <gtest/gtest.h>

#include <QMouseEvent>

using namespace axisgrid_test;

namespace {

QString S(const char* Text) { return QString::fromUtf8(Text); }

class AxisGridInplaceTest : public AxisGridItemsTest<TEditTestGridEh> {
protected:
  void SetUp() override
  {
    SetUpItems(
      {
        "drop table if exists ed_item",
        "drop table if exists ed_group",
        "create table ed_group (id int4 primary key, s_name varchar(40) not null)",
        "create table ed_item (id int4 primary key, group_id int4, s_name varchar(40), n_qty numeric(12,3),"
        " d_made date, t_start time, s_code varchar(10))",
        "insert into ed_group values (1, 'Bolts'), (2, 'Brackets'), (3, 'Nuts')",
        "insert into ed_item values (1, 1, 'abc', 12.5, '2026-03-01', '08:30', 'A')",
      },
      "select id, group_id, s_name, n_qty, d_made, t_start, s_code from ed_item order by id",
      "select id, s_name from ed_group order by s_name");
  }
  void SetPickList(TAxisBarEh* Bar, const QStringList& Picks, const QStringList& Keys = {})
  {
    for (const QString& P : Picks)
      Bar->PickList()->Add(P);
    for (const QString& K : Keys)
      Bar->KeyList()->Add(K);
  }
  // Opens the data and shows the editor on bar Index of a focused grid.
  TDBAxisGridInplaceEdit* ShowEditorOn(Integer Index)
  {
    if (!Groups->Active())
      Groups->Open();
    if (!Items->Active())
      Items->Open();
    Grid->SetOptions(Grid->Options() + TGridOptionsEh{goEditingEh, goAlwaysShowEditorEh});
    Grid->SetSelectedIndex(Index);
    Form->Show();
    Application->ProcessMessages();
    Grid->SetFocus();
    Grid->ShowEditor();
    Application->ProcessMessages();
    auto* E = dynamic_cast<TDBAxisGridInplaceEdit*>(Grid->InplaceEditor());
    EXPECT_NE(E, nullptr) << "the grid's factory makes the axis grid's editor";
    if (E) {
      EXPECT_TRUE(E->Visible());
    }
    return E;
  }
  void Char(TDBAxisGridInplaceEdit* E, QChar C)
  {
    E->EditCoreControl()->Perform(WM_CHAR, WPARAM(C.unicode()), 0);
  }
  void KeyDown(TDBAxisGridInplaceEdit* E, Word Key, LPARAM KeyData = 0)
  {
    E->EditCoreControl()->Perform(WM_KEYDOWN, WPARAM(Key), KeyData);
  }
};

TEST_F(AxisGridInplaceTest, ButtonStyleFieldAndBarKindGiveTheEditStyle)
{
  struct Case {
    const char* Field;
    TCellButtonStyleEh Style;
    bool Picks;
    bool ReadOnly;
    TEditStyle Expected;
  };
  const Case Cases[] = {
    {"s_name", cbsAuto, true, false, esPickList},
    {"s_name", cbsAuto, true, true, esSimple},
    {"s_name", cbsAuto, false, false, esSimple},
    {"d_made", cbsAuto, false, false, esDateCalendar},
    {"d_made", cbsAuto, false, true, esSimple},
    {"t_start", cbsAuto, false, false, esSimple},   // no calendar for a time
    {"t_start", cbsAltDropDown, false, false, esAltCalendar},
    {"d_made", cbsAltDropDown, false, true, esAltCalendar},
    {"n_qty", cbsDropDown, false, false, esDropDown},
    {"n_qty", cbsAltDropDown, false, false, esAltDropDown},
    {"s_name", cbsDropDown, true, false, esPickList},
    {"s_name", cbsAltDropDown, true, false, esAltPickList},
    {"s_name", cbsEllipsis, true, false, esEllipsis},
    {"n_qty", cbsUpDown, false, false, esUpDown},
    {"n_qty", cbsAltUpDown, false, false, esAltUpDown},
    {"s_name", cbsNone, true, false, esSimple},
    {"group_id", cbsAuto, false, false, esLookupDataList},
    {"group_id", cbsAltDropDown, false, false, esAltLookupDataList},
    {"group_id", cbsEllipsis, false, false, esEllipsis},
  };
  Groups->Open();
  Items->Open();
  for (const Case& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.Field << " style " << int(C.Style) << (C.Picks ? " picks" : "")
                                    << (C.ReadOnly ? " read-only" : ""));
    Grid->AxisBars()->Clear();
    TAxisBarEh* Bar = QString::fromLatin1(C.Field) == QLatin1String("group_id") ? AddGroupLookup() : AddBar(C.Field);
    if (C.Picks)
      SetPickList(Bar, {S("Bolt"), S("Nut")});
    Bar->SetButtonStyle(C.Style);
    Bar->SetReadOnly(C.ReadOnly);
    EXPECT_EQ(AxisBarButtonEditStyleEh(Bar), C.Expected);
  }
}

TEST_F(AxisGridInplaceTest, ReadOnlyDateBarFollowsItsButtonToThePlainStyle)
{
  TAxisBarEh* Date = AddBar("d_made");
  Date->SetReadOnly(true);
  Date->EditButtons()->Add()->SetStyle(ebsDropDownEh);
  TAxisBarEh* Ellipsis = AddBar("s_name");
  Ellipsis->SetButtonStyle(cbsNone);
  Ellipsis->EditButtons()->Add()->SetStyle(ebsEllipsisEh);
  TDBAxisGridInplaceEdit* E = ShowEditorOn(0);
  ASSERT_NE(E, nullptr);
  EXPECT_EQ(E->EditButtonStyle(), esSimple);
  EXPECT_EQ(E->EditStyle(), esSimple) << "a drop-down button on a read-only date gives no calendar";
  Grid->SetSelectedIndex(1);
  Grid->InvalidateEditor();
  Application->ProcessMessages();
  EXPECT_EQ(E->EditStyle(), esEllipsis) << "the first visible button decides";
  ASSERT_NE(E->ButtonsBox(), nullptr);
  EXPECT_TRUE(E->ButtonsBox()->Visible());
  TRect R;
  E->GetEditCoreControlRect(R);
  EXPECT_LE(R.Right, E->ButtonsBox()->Left()) << "the text ends where the buttons start";
}

TEST_F(AxisGridInplaceTest, TypedTextCompletesAgainstThePickList)
{
  struct Case {
    bool Limit;
    const char* Typed;
    const char* Text;
    Integer SelStart;
    Integer SelLength;
  };
  const Case Cases[] = {
    {false, "b", "Bolt", 1, 3},
    {false, "br", "Bracket", 2, 5},
    {true, "brx", "Bracket", 2, 5},   // the character matching nothing is swallowed
    {false, "brx", "Brx", 3, 0},      // and without the limit it is typed
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.Typed << (C.Limit ? " limited" : ""));
    Grid->AxisBars()->Clear();
    TAxisBarEh* Bar = AddBar("s_name");
    SetPickList(Bar, {S("Bolt"), S("Bracket"), S("Nut")});
    Bar->SetLimitTextToListValues(C.Limit);
    TDBAxisGridInplaceEdit* E = ShowEditorOn(0);
    ASSERT_NE(E, nullptr);
    E->SelectAll();
    for (QChar Ch : QString::fromLatin1(C.Typed))
      Char(E, Ch);
    EXPECT_EQ(E->Text(), S(C.Text));
    EXPECT_EQ(E->SelStart(), C.SelStart);
    EXPECT_EQ(E->SelLength(), C.SelLength);
    if (QString::fromLatin1(C.Text) != QLatin1String("Brx")) {
      EXPECT_EQ(Grid->EditText(), S(C.Text)) << "the grid's edit text follows the completion";
    }
    Items->Cancel();
    Grid->HideEditor();
  }
}

TEST_F(AxisGridInplaceTest, TypedTextCompletesAgainstTheLookupList)
{
  AddGroupLookup();
  TDBAxisGridInplaceEdit* E = ShowEditorOn(0);
  ASSERT_NE(E, nullptr);
  ASSERT_EQ(E->EditStyle(), esLookupDataList);
  E->SelectAll();
  Char(E, QLatin1Char('n'));   // case-insensitive second search
  EXPECT_EQ(E->Text(), S("Nuts"));
  EXPECT_EQ(E->SelStart(), 1);
  EXPECT_EQ(E->SelLength(), 3);
  EXPECT_EQ(Grid->EditKeyValue(), Variant(3));
  EXPECT_EQ(Items->State(), dsEdit);

  Items->Cancel();
}

TEST_F(AxisGridInplaceTest, DeleteAndBackspaceKeepListBarsToTheirValues)
{
  TAxisBarEh* Keyed = AddBar("s_code");
  SetPickList(Keyed, {S("Alpha"), S("Beta")}, {S("A"), S("B")});
  TAxisBarEh* Limited = AddBar("s_name");
  SetPickList(Limited, {S("Bolt"), S("Nut")});
  Limited->SetLimitTextToListValues(true);

  TDBAxisGridInplaceEdit* E = ShowEditorOn(0);
  ASSERT_NE(E, nullptr);
  ASSERT_EQ(Keyed->GetBarType(), ctKeyPickList);
  E->SetText(S("Alpha"));
  Grid->SetEditKeyValue(Variant(S("A")));
  E->SelectAll();
  KeyDown(E, VK_DELETE);
  EXPECT_EQ(E->Text(), QString()) << "the whole value goes in one step";
  EXPECT_EQ(Grid->EditText(), QString());
  EXPECT_TRUE(Grid->EditKeyValue().IsNull());
  Items->Cancel();

  Grid->SetSelectedIndex(1);
  Grid->InvalidateEditor();
  Application->ProcessMessages();
  E->SetText(S("Bolt"));
  E->SetSel(3, 0);
  KeyDown(E, VK_BACK);
  EXPECT_EQ(E->Text(), S("Bolt")) << "nothing is deleted from a limited pick list";
  EXPECT_EQ(E->SelStart(), 2);
  EXPECT_EQ(E->SelLength(), 0);
}

TEST_F(AxisGridInplaceTest, PasteIsCutToFitMaxLength)
{
  AddBar("s_name");
  TDBAxisGridInplaceEdit* E = ShowEditorOn(0);
  ASSERT_NE(E, nullptr);
  EXPECT_EQ(E->MaxLength(), 40) << "the field's size";
  struct Case {
    Integer MaxLength;
    const char* Text;
  };
  const Case Cases[] = {{0, "aXYZc"}, {40, "aXYZc"}, {4, "aXYc"}, {3, "aXc"}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.MaxLength);
    E->SetMaxLength(C.MaxLength);
    E->SetText(S("abc"));
    E->SetSel(1, 1);
    Clipboard()->SetAsText(S("XYZ"));
    E->EditCoreControl()->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(E->Text(), S(C.Text));
    EXPECT_EQ(E->SelStart(), Integer(QString::fromLatin1(C.Text).size()) - 1) << "the caret after the pasted part";
    EXPECT_EQ(Grid->EditText(), S(C.Text));
  }
  Items->Cancel();
}

TEST_F(AxisGridInplaceTest, CtrlEnterPressesTheEllipsisOnce)
{
  TAxisBarEh* Bar = AddBar("s_name");
  Bar->SetButtonStyle(cbsEllipsis);
  int Clicks = 0;
  bool CtrlHeld = false;
  Grid->OnEditButtonClick = [&](TObject*) {
    ++Clicks;
    CtrlHeld = GetKeyState(VK_CONTROL) < 0;
  };
  TDBAxisGridInplaceEdit* E = ShowEditorOn(0);
  ASSERT_NE(E, nullptr);
  ASSERT_EQ(E->EditStyle(), esEllipsis);
  const QString Before = E->Text();
  gui_test::Key(E->EditCoreControl(), Qt::Key_Return, Qt::ControlModifier, QStringLiteral("\n"));
  Application->ProcessMessages();
  EXPECT_EQ(Clicks, 1);
  EXPECT_TRUE(CtrlHeld) << "the click sees the key's Ctrl";
  EXPECT_EQ(E->Text(), Before) << "no line feed reaches the text";
  // Released, Ctrl is no longer held for the keys that follow.
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);
  EXPECT_EQ(KeyDataToShiftState(0), TShiftState{});
}

TEST_F(AxisGridInplaceTest, FocusPassesBetweenGridAndEditor)
{
  AddBar("s_name");
  TDBAxisGridInplaceEdit* E = ShowEditorOn(0);
  ASSERT_NE(E, nullptr);
  EXPECT_TRUE(E->Focused()) << "a focused grid hands the focus to its editor";
  EXPECT_TRUE(Grid->ContainsFocus());
  EXPECT_TRUE(Grid->SelectionActive()) << "the editor's focus is the grid's";
  EXPECT_TRUE(Grid->AcquireFocus());
  EXPECT_TRUE(E->Focused()) << "asking for the focus leaves it in the editor";

  Grid->HideEditor();
  Application->ProcessMessages();
  EXPECT_FALSE(E->Visible());
  EXPECT_TRUE(Grid->Focused()) << "the hidden editor gives the focus back";
  EXPECT_TRUE(Grid->SelectionActive());
}

TEST_F(AxisGridInplaceTest, EscIsWantedOnlyWithUnpostedChanges)
{
  AddBar("s_name");
  Items->Open();
  for (bool Modified : {false, true}) {
    SCOPED_TRACE(Modified);
    if (Modified) {
      Items->Edit();
      Field("s_name")->SetAsString(S("changed"));
    }
    EXPECT_EQ(Grid->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), Modified ? 1 : 0);
  }
  Items->Cancel();
}

TEST_F(AxisGridInplaceTest, ChangeScaleScalesEachOwnFontByItsOwnSize)
{
  Grid->Font()->SetSize(10);
  Grid->SetParentFont(false);
  Grid->TitleFont()->SetSize(12);
  TAxisBarEh* OwnFont = AddBar("s_name");
  OwnFont->Font()->SetSize(14);
  TAxisBarEh* OwnTitle = AddBar("n_qty");
  OwnTitle->Title()->Font()->SetSize(9);
  TAxisBarEh* Plain = AddBar("d_made");
  ASSERT_TRUE(OwnFont->AssignedValues().Contains(cvFont));
  ASSERT_TRUE(OwnTitle->AssignedValues().Contains(cvTitleFont));

  Grid->ChangeScale(2, 1);
  EXPECT_EQ(Grid->Font()->Size(), 20);
  EXPECT_EQ(Grid->TitleFont()->Size(), 24) << "the title font keeps its own size";
  EXPECT_EQ(OwnFont->Font()->Size(), 28) << "a bar's own font keeps its own size";
  EXPECT_EQ(OwnTitle->Title()->Font()->Size(), 18);
  EXPECT_EQ(Plain->Font()->Size(), 20) << "a bar without its own font follows the grid";
}

// Typed text that no row of the lookup list begins with: without the
// limit it is the cell's text with no key; with it the character is refused
// aloud and the text stays.
TEST_F(AxisGridInplaceTest, LookupTypingThatMatchesNoRowKeepsTheTextOrIsRefused)
{
  struct Case {
    bool Limit;
    const char* Typed;
    const char* Text;
    const char* Key;   // "" for Null
    int Beeps;
  };
  const Case Cases[] = {
    {false, "x", "x", "", 0},
    {false, "bz", "Bz", "", 0},     // 'b' completes to Bolts, 'z' leaves the list
    {false, "nu", "Nuts", "3", 0},
    {true, "x", "Bolts", "1", 1},
    {true, "bz", "Bolts", "1", 1},
  };
  int Beeps = 0;
  TMessageBeepHook Saved = SetMessageBeepHook([&](UINT) { ++Beeps; });
  ScopeExit Restore([&] { SetMessageBeepHook(Saved); });
  for (const Case& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.Typed << (C.Limit ? " limited" : ""));
    Grid->AxisBars()->Clear();
    TAxisBarEh* Bar = AddGroupLookup();
    Bar->SetLimitTextToListValues(C.Limit);
    TDBAxisGridInplaceEdit* E = ShowEditorOn(0);
    ASSERT_NE(E, nullptr);
    ASSERT_EQ(E->EditStyle(), esLookupDataList);
    EXPECT_EQ(E->Text(), S("Bolts"));
    Beeps = 0;
    E->SelectAll();
    for (QChar Ch : QString::fromLatin1(C.Typed))
      Char(E, Ch);
    EXPECT_EQ(E->Text(), S(C.Text));
    EXPECT_EQ(VarToStr(Grid->EditKeyValue()), S(C.Key));
    EXPECT_EQ(Grid->EditKeyValue().IsNull(), *C.Key == 0);
    EXPECT_EQ(Beeps, C.Beeps);
    if (*C.Key == 0) {
      // Written as typed: the record holds no group.
      EXPECT_EQ(Grid->EditText(), S(C.Text));
      Grid->UpdateData();
      EXPECT_TRUE(Field("group_id")->IsNull());
    }
    Items->Cancel();
    Grid->HideEditor();
  }
}

// The special row's short cut puts its value and first text into a lookup
// cell, as if the row was chosen from the list.
TEST_F(AxisGridInplaceTest, SpecialRowShortCutPutsTheSpecialValue)
{
  struct Case {
    bool Visible;
    bool ReadOnly;
    bool Taken;
  };
  const Case Cases[] = {{true, false, true}, {false, false, false}, {true, true, false}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(testing::Message() << (C.Visible ? "visible" : "hidden") << (C.ReadOnly ? " read-only" : ""));
    Grid->AxisBars()->Clear();
    TAxisBarEh* Bar = AddGroupLookup();
    TSpecRowEh* SpecialRow = Bar->DropDownSpecRow();
    SpecialRow->SetCellsText(S("(standard)"));
    SpecialRow->SetValue(Variant(2));
    SpecialRow->SetShortCut(ShortCut(VK_F6, TShiftState{}));
    SpecialRow->SetVisible(C.Visible);
    Bar->SetReadOnly(C.ReadOnly);
    TDBAxisGridInplaceEdit* E = ShowEditorOn(0);
    ASSERT_NE(E, nullptr);
    ASSERT_TRUE(IsLookupEditStyleEh(E->EditStyle()));
    EXPECT_EQ(E->Text(), S("Bolts"));
    const String KeyBefore = VarToStr(Grid->EditKeyValue());
    KeyDown(E, VK_F6);
    if (C.Taken) {
      EXPECT_EQ(E->Text(), S("(standard)"));
      EXPECT_EQ(Grid->EditText(), S("(standard)"));
      EXPECT_EQ(VarToStr(Grid->EditKeyValue()), S("2"));
      EXPECT_EQ(E->SelStart(), 0);
      EXPECT_EQ(E->SelLength(), E->GetTextLen()) << "all text selected";
      ASSERT_EQ(Items->State(), dsEdit);
      Grid->UpdateData();
      EXPECT_EQ(Field("group_id")->AsInteger(), 2) << "the record takes the special value";
      Items->Post();
      EXPECT_EQ(Stored("select group_id from ed_item where id = 1"), "2");
    } else {
      EXPECT_EQ(E->Text(), S("Bolts"));
      EXPECT_EQ(VarToStr(Grid->EditKeyValue()), KeyBefore);
      EXPECT_EQ(Items->State(), dsBrowse);
    }
    Grid->HideEditor();
    Items->Close();
    testsupport::OdbcSession().Exec("update ed_item set group_id = 1 where id = 1");
  }
}

// With word wrap Up and Down move the caret between the lines of the text;
// only from the first or last line, or over the whole text, do they move
// the grid, and only in a grid that always shows its editor.
TEST_F(AxisGridInplaceTest, WordWrapKeepsUpAndDownWithinTheText)
{
  TAxisBarEh* Bar = AddBar("s_name");
  Bar->SetWordWrap(true);
  Grid->SetDefaultRowHeight(60);
  struct Case {
    Integer Caret;
    bool All;
    Word Key;
    bool AlwaysShow;
    Integer Expected;   // the caret after the key
    bool ToGrid;        // the key moves the grid
  };
  // "ab\ncd\nef": lines start at 0, 3 and 6.
  const Case Cases[] = {
    {4, false, VK_UP, true, 1, false},
    {4, false, VK_DOWN, true, 7, false},
    {1, false, VK_DOWN, true, 4, false},
    {7, false, VK_UP, true, 4, false},
    {1, false, VK_UP, true, 1, true},     // the first line
    {8, false, VK_DOWN, true, 8, true},   // the last line
    {0, true, VK_DOWN, true, 0, true},    // the whole text selected
    {1, false, VK_UP, false, 1, false},
    {8, false, VK_DOWN, false, 8, false},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(testing::Message() << "caret " << C.Caret << (C.All ? " all" : "") << " key " << C.Key
                                    << (C.AlwaysShow ? " always shown" : ""));
    TDBAxisGridInplaceEdit* E = ShowEditorOn(0);
    ASSERT_NE(E, nullptr);
    if (!C.AlwaysShow)
      Grid->SetOptions(Grid->Options() - TGridOptionsEh{goAlwaysShowEditorEh});
    EXPECT_TRUE(E->WordWrap());
    E->SetText(S("ab\ncd\nef"));
    ASSERT_EQ(E->Text(), S("ab\ncd\nef"));
    if (C.All)
      E->SelectAll();
    else
      E->SetSel(C.Caret, 0);
    Grid->GridKeys.clear();
    KeyDown(E, C.Key);
    EXPECT_EQ(Grid->GridKeys, C.ToGrid ? std::vector<Word>{C.Key} : std::vector<Word>{});
    if (!C.ToGrid) {
      EXPECT_EQ(E->SelStart(), C.Expected);
    }
    Items->Cancel();
    Grid->HideEditor();
  }
}

// The most-recently-used list opens as the user types, its moving keys
// move in it, Enter takes the entry, and emptying the text closes it.
TEST_F(AxisGridInplaceTest, TypingOpensTheRecentListAndItsKeysMoveInIt)
{
  TAxisBarEh* Bar = AddBar("s_name");
  TMRUListEh* MRU = Bar->MRUList();
  MRU->SetActive(true);
  for (const char* T : {"Bolt M10", "Bolt M12", "Nut M10"})
    MRU->Add(S(T));
  TDBAxisGridInplaceEdit* E = ShowEditorOn(0);
  ASSERT_NE(E, nullptr);
  E->SelectAll();
  Char(E, QLatin1Char('B'));
  Char(E, QLatin1Char('o'));
  EXPECT_EQ(E->Text(), S("Bo"));
  ASSERT_TRUE(MRU->DroppedDown()) << "typed text opens the list";
  TMRUListboxEh* List = E->GetMRUListControl();
  EXPECT_TRUE(List->Visible());
  EXPECT_EQ(List->Items()->Count(), 2);
  Char(E, QLatin1Char('l'));
  EXPECT_EQ(List->Items()->Count(), 2) << "refiltered as the text grows";
  KeyDown(E, VK_DOWN);
  KeyDown(E, VK_DOWN);
  EXPECT_EQ(List->ItemIndex(), 1) << "the moving keys move in the list";
  EXPECT_EQ(Grid->GridKeys, std::vector<Word>{}) << "and not in the grid";
  Char(E, QChar(13));
  EXPECT_FALSE(MRU->DroppedDown());
  EXPECT_EQ(E->Text(), S("Bolt M12"));
  EXPECT_EQ(Grid->EditText(), S("Bolt M12"));

  E->SelectAll();
  Char(E, QLatin1Char('N'));
  ASSERT_TRUE(MRU->DroppedDown());
  EXPECT_EQ(List->Items()->Count(), 1);
  Char(E, QChar(8));
  EXPECT_EQ(E->Text(), QString());
  EXPECT_FALSE(MRU->DroppedDown()) << "empty text closes the list";
  Char(E, QChar(27));
  Items->Cancel();
}

// A double click in the editor of a bar with DblClickNextVal steps to the
// next value; without it the value stays.
TEST_F(AxisGridInplaceTest, DoubleClickStepsToTheNextValue)
{
  struct Case {
    bool NextVal;
    const char* Stored;
  };
  const Case Cases[] = {{true, "def"}, {false, "abc"}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.NextVal);
    Grid->AxisBars()->Clear();
    TAxisBarEh* Bar = AddBar("s_name");
    SetPickList(Bar, {S("abc"), S("def"), S("ghi")});
    Bar->SetDblClickNextVal(C.NextVal);
    TDBAxisGridInplaceEdit* E = ShowEditorOn(0);
    ASSERT_NE(E, nullptr);
    QWidget* W = E->EditCoreControl()->Widget();
    const QPointF At(3, 3);
    QMouseEvent Press(QEvent::MouseButtonPress, At, W->mapToGlobal(At), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(W, &Press);
    QMouseEvent Release(QEvent::MouseButtonRelease, At, W->mapToGlobal(At), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(W, &Release);
    QMouseEvent Double(QEvent::MouseButtonDblClick, At, W->mapToGlobal(At), Qt::LeftButton, Qt::LeftButton,
                       Qt::NoModifier);
    QCoreApplication::sendEvent(W, &Double);
    QCoreApplication::sendEvent(W, &Release);
    Application->ProcessMessages();
    EXPECT_EQ(Field("s_name")->AsString(), S(C.Stored));
    Items->Cancel();
    Grid->HideEditor();
  }
}

} // namespace
