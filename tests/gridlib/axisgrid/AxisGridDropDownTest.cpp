// AxisGridDropDownTest.cpp: the grid editor's drop-downs over the test
// server: the pick list, the calendar, the calculator and a data grid box,
// opened from a cell and closed by Enter, Escape and a click elsewhere,
// without taking the activation from the form; the most-recently-used list.
#include "gridlib/axisgrid/DBLookupUtilsEh.h"
#include "gridlib/editors/CalculatorEh.h"
#include "gridlib/editors/DateTimeCalendarPickersEh.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/ScopeExit.h"
#include "tests/gridlib/axisgrid/AxisGridTestSupport.h"
#include "tests/gridlib/editors/DropDownTestForm.h"

#include <QMouseEvent>

using namespace axisgrid_test;

namespace {

QString S(const char* Utf8) { return QString::fromUtf8(Utf8); }

// The box the tests install for lookup bars: a plain list of the list
// field's texts over the list dataset, in a popup that never takes the
// activation.
class TTestDataGridBox : public TPopupListboxFormEh, public IPopupDataGridBoxEh {
  VELMORA_CLASS(TTestDataGridBox)
  using inherited = TPopupListboxFormEh;
public:
  explicit TTestDataGridBox(TComponent* AOwner) : TPopupListboxFormEh(AOwner)
  {
    OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
      if (Button == mbLeft && FOnMouseCloseUp)
        FOnMouseCloseUp(this, ListGrid()->ClientRect().Contains(TPoint(X, Y)));
    };
  }

  TWinControl* BoxControl() override { return this; }
  void SetAxisBarOwner(TPersistent* Settings) override { AxisBarOwner = Settings; }
  void StartInitSize() override { SetInternalResizing(true); }
  void StopInitSize() override { SetInternalResizing(false); }
  TSpecRowEh* SpecRow() override { return &FSpecRow; }
  void SetSpecRow(TSpecRowEh* Value) override { FSpecRow.Assign(Value); }
  Integer RowCount() override { return FRows; }
  void SetRowCount(Integer Value) override { FRows = Value; }
  void SetShowTitles(bool) override {}
  void SetKeyField(const String& Value) override { FKeyField = Value; }
  void SetListFieldIndex(Integer) override {}
  void SetListField(const String& Value) override { FListField = Value; }
  TDataSource* ListSource() override { return FListSource; }
  void SetListSource(TDataSource* Value) override
  {
    FListSource = Value;
    FKeys.clear();
    Items()->Clear();
    TDataSet* DS = Value ? Value->DataSet() : nullptr;
    if (DS && DS->Active())
      for (DS->First(); !DS->Eof(); DS->Next()) {
        FKeys.push_back(DS->FieldByName(FKeyField)->Value());
        Items()->Add(DS->FieldByName(FListField)->AsString());
      }
    SetKeyValue(FKeyValue);
  }
  void SetAutoFitColWidths(bool) override {}
  void SetUseMultiTitle(bool) override {}
  void SetDrawMemoText(bool) override {}
  void SetTitleSortMarkerStyle(Integer) override {}
  Integer GetColumnsWidthToFit() override { return 200; }
  Integer CalcAutoHeightForRowCount(Integer Rows) override
  {
    return std::max(Rows, 1) * std::max(ItemHeight(), GetTextHeight()) + GetBorderSize() + 2 * BorderWidth();
  }
  void SetSizeGripAlwaysShow(bool) override {}
  bool SizeGripResized() override { return inherited::SizeGripResized(); }
  void SetSizeGripResized(bool Value) override { inherited::SetSizeGripResized(Value); }
  TRect DataRect() override { return ListGrid()->ClientRect(); }
  Variant KeyValue() override
  {
    const Integer I = ItemIndex();
    return I >= 0 && I < Integer(FKeys.size()) ? FKeys[size_t(I)] : FKeyValue;
  }
  void SetKeyValue(const Variant& Value) override
  {
    FKeyValue = Value;
    Integer Found = -1;
    for (size_t I = 0; I < FKeys.size(); ++I)
      if (!VarIsNull(Value) && VarToStr(FKeys[I]) == VarToStr(Value))
        Found = Integer(I);
    SetItemIndex(Found);
  }
  String SelectedItem() override { return ItemIndex() >= 0 ? Items()->Strings(ItemIndex()) : String(); }
  bool LocateKey() override
  {
    const Variant K = KeyValue();
    for (const Variant& Key : FKeys)
      if (!VarIsNull(K) && VarToStr(Key) == VarToStr(K))
        return true;
    return false;
  }
  void ResetHighlightSubstr(const String&) override {}
  void GridKeyUp(Word&, TShiftState) override {}
  void SetOnMouseCloseUp(TCloseUpEventEh Value) override { FOnMouseCloseUp = std::move(Value); }
  void SetOnColumnMoved(TNotifyEvent Value) override { FOnColumnMoved = std::move(Value); }

  TPersistent* AxisBarOwner = nullptr;

private:
  TSpecRowEh FSpecRow;
  Integer FRows = 7;
  String FKeyField, FListField;
  TDataSource* FListSource = nullptr;
  std::vector<Variant> FKeys;
  Variant FKeyValue;
  TCloseUpEventEh FOnMouseCloseUp;
  TNotifyEvent FOnColumnMoved;
};

// The editor with the loading of a cell's drop-down done here: the style and
// the list a bar gives, as the editor's loading sets them.
class TDropDownTestEdit : public TDBAxisGridInplaceEdit {
  VELMORA_CLASS(TDropDownTestEdit)
public:
  using TDBAxisGridInplaceEdit::TDBAxisGridInplaceEdit;
  // The typed-text path of the core control calls these.
  using TDBAxisGridInplaceEdit::MRUListCloseUp;
  using TDBAxisGridInplaceEdit::MRUListDropDown;

  void Load(TEditStyle Style)
  {
    TAxisBarEh* Column = GetAxisBar();
    SetEditStyle(Style);
    FMRUList = Column->MRUList();
    FActiveList = nullptr;
    if (IsPickEditStyleEh(Style)) {
      if (!FPickList) {
        FPickList = new TPopupListboxFormEh(this);
        FPickList->SetVisible(false);
        FPickList->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
          PickListMouseUp(Sender, Button, Shift, X, Y);
        };
      }
      FActiveList = FPickList;
    } else if (IsLookupEditStyleEh(Style)) {
      TCustomForm* Box = Column->GetDataListBox();
      FDataList = Box;
      PopupDataGridBoxOf(Box)->SetOnMouseCloseUp([this](TObject* Sender, bool Accept) { DataListCloseUp(Sender, Accept); });
      Box->FreeNotification(this);
      FActiveList = Box;
    } else if (IsCalendarEditStyleEh(Style)) {
      if (!FPopupMonthCalendar)
        FPopupMonthCalendar = CreatePopupOfClassEh<IPopupDateTimePickerEh, TPopupDateTimeCalendarFormEh>(
          GlobalGridLibManager()->PopupDateTimePickerClass(), this);
      FActiveList = FPopupMonthCalendar;
    } else if (Style == esDropDown) {
      if (!FPopupCalculator)
        FPopupCalculator = CreatePopupOfClassEh<IPopupCalculatorEh, TPopupCalculatorFormEh>(
          GlobalGridLibManager()->PopupCalculatorClass(), this);
      FActiveList = FPopupCalculator;
    }
  }
};

class TDropDownTestGrid : public TTestAxisGridEh {
  VELMORA_CLASS(TDropDownTestGrid)
public:
  using TTestAxisGridEh::TTestAxisGridEh;
  // The current bar's text, and with it the cell's key.
  String GetEditText(Integer, Integer) override
  {
    TAxisBarEh* Bar = SelectedIndex() >= 0 ? AxisBars()->AxisBar(SelectedIndex()) : nullptr;
    return Bar ? Bar->GetInplaceEditorText() : String();
  }
  String GetEditMask(Integer, Integer) override
  {
    TAxisBarEh* Bar = SelectedIndex() >= 0 ? AxisBars()->AxisBar(SelectedIndex()) : nullptr;
    return Bar ? Bar->GetEditMask() : String();
  }
protected:
  TInplaceEdit* CreateEditor() override { return new TDropDownTestEdit(this); }
};

// Parts in one updatable table, groups for the lookup, and an edit beside
// the grid to click on.
const char* const DropDownForm = R"(object PartsForm: TPartsForm
  Left = 0
  Top = 0
  ClientHeight = 300
  ClientWidth = 500
  object Grid: TDropDownTestGrid
    Left = 8
    Top = 8
    Width = 480
    Height = 240
    DataSource = PartsSource
  end
  object Other: TEdit
    Left = 8
    Top = 260
    Width = 120
    Height = 21
  end
  object PartsSource: TDataSource
    DataSet = Parts
  end
  object Parts: TADOQuery
    SQL.Strings = (
      'select id, group_id, s_name, n_qty, d_made from ax_part order by id')
  end
end
)";

class AxisGridDropDownTest : public AxisGridFormTest {
protected:
  void SetUp() override
  {
    AxisGridFormTest::SetUp();
    SetPopupDataGridBoxFactoryEh([](TComponent* Owner) -> TCustomForm* { return new TTestDataGridBox(Owner); });
    RegisterClassInfo<TDropDownTestGrid, TTestAxisGridEh>("TDropDownTestGrid");
    ReadForm(DropDownForm);
    Other = Find<TEdit>(Form, "Other");
    Groups = std::make_unique<TADOQuery>(nullptr);
    Groups->SetConnection(Db.get());
    Groups->SQL()->SetText(S("select id, s_name from ax_group union all select 99, 'Склад' order by 1"));
    Groups->Open();
    Names = Grid->AxisBars()->Add();
    Names->SetFieldName(S("s_name"));
    for (const char* P : {"Болт М8", "Гайка М8", "Кабель", "Шайба"})
      Names->PickList()->Add(S(P));
    Made = Grid->AxisBars()->Add();
    Made->SetFieldName(S("d_made"));
    Qty = Grid->AxisBars()->Add();
    Qty->SetFieldName(S("n_qty"));
    Qty->SetButtonStyle(cbsDropDown);
    Group = Grid->AxisBars()->Add();
    TDBLookupDataEh* L = Group->LookupParams();
    L->SetLookupDataSet(Groups.get());
    L->SetLookupKeyFieldNames(S("id"));
    L->SetLookupDisplayFieldName(S("s_name"));
    L->SetKeyFieldNames(S("group_id"));
    Parts->Open();
    Grid->SetOptions(Grid->Options() + TGridOptionsEh{goEditingEh});
    Form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override
  {
    delete Form;
    Form = nullptr;
    Groups.reset();
    SetPopupDataGridBoxFactoryEh(nullptr);
    AxisGridFormTest::TearDown();
  }

  // Shows the editor on the bar at Index of the part with Id, loaded with
  // the drop-down of Style.
  TDropDownTestEdit* EditCell(Integer Id, Integer Index, TEditStyle Style)
  {
    EXPECT_TRUE(Parts->Locate(S("id"), Variant(Id), {}));
    Grid->SetSelectedIndex(Index);
    Grid->SetFocus();
    Grid->ShowEditor();
    Application->ProcessMessages();
    auto* E = dynamic_cast<TDropDownTestEdit*>(Grid->InplaceEditor());
    EXPECT_NE(E, nullptr);
    if (!E)
      return nullptr;
    EXPECT_TRUE(E->Visible());
    E->SetFocus();
    Application->ProcessMessages();
    E->Load(Style);
    return E;
  }
  void Open(TDBAxisGridInplaceEdit* E)
  {
    E->DropDown();
    Application->ProcessMessages();
  }
  // The form keeps the activation and the editor the focus.
  void ExpectFormActiveAndEditorFocused(TDBAxisGridInplaceEdit* E)
  {
    EXPECT_EQ(Screen->ActiveForm(), Form);
    EXPECT_EQ(FocusedName(), Name(E->EditCoreControl()));
  }
  static std::string Name(TControl* C) { return C ? C->ClassName().toStdString() + ":" + C->Name().toStdString() : "none"; }
  static std::string FocusedName() { return Name(Screen->ActiveControl()); }
  void ExpectFocusAfterClose(TDBAxisGridInplaceEdit* E, int By);
  String FieldText(const char* Name) { return Parts->FieldByName(S(Name))->AsString(); }
  void Close(TDBAxisGridInplaceEdit* E, int By);
  void Done()
  {
    Grid->HideEditor();
    if (Parts->State() != dsBrowse)
      Parts->Cancel();
  }

  TEdit* Other = nullptr;
  std::unique_ptr<TADOQuery> Groups;
  TAxisBarEh* Names = nullptr;
  TAxisBarEh* Made = nullptr;
  TAxisBarEh* Qty = nullptr;
  TAxisBarEh* Group = nullptr;
};

enum TCloseBy { cbEnter, cbEscape, cbClickElsewhere };

const char* CloseName(int By)
{
  switch (By) {
  case cbEnter: return "Enter";
  case cbEscape: return "Escape";
  default: return "click elsewhere";
  }
}

// Enter and Escape close through the editor as its list keys do; the click
// lands on the edit beside the grid, as a user's does.
void AxisGridDropDownTest::Close(TDBAxisGridInplaceEdit* E, int By)
{
  if (By == cbClickElsewhere) {
    // The press, then the focus moving as the window system moves it.
    gui_test::Click(Other);
    Other->SetFocus();
  } else
    E->CloseUp(By == cbEnter);
  Application->ProcessMessages();
}

// A click elsewhere leaves the focus where it went; the keys leave it on
// the editor.
void AxisGridDropDownTest::ExpectFocusAfterClose(TDBAxisGridInplaceEdit* E, int By)
{
  if (By == cbClickElsewhere) {
    EXPECT_EQ(FocusedName(), Name(Other));
    return;
  }
  TWinControl* Focused = Screen->ActiveControl();
  EXPECT_TRUE(Focused == Grid || Grid->ContainsControl(Focused)) << FocusedName();
  (void)E;
}

} // namespace

TEST_F(AxisGridDropDownTest, PickListPostsOnlyWhenEnterCloses)
{
  for (int By : {cbEnter, cbEscape, cbClickElsewhere}) {
    SCOPED_TRACE(CloseName(By));
    TDropDownTestEdit* E = EditCell(11, 0, esPickList);
    ASSERT_NE(E, nullptr);
    Open(E);
    ASSERT_TRUE(E->ListVisible());
    EXPECT_TRUE(E->DroppedDown());
    TPopupListboxFormEh* List = E->PickList();
    ASSERT_NE(List, nullptr);
    EXPECT_TRUE(List->Visible());
    EXPECT_EQ(List->ItemIndex(), 1) << "the cell's value is selected";
    EXPECT_EQ(List->Count(), 4);
    EXPECT_EQ(List->Height(), 4 * List->ItemHeight() + List->GetBorderSize())
      << "a list shorter than its rows is as tall as its items";
    EXPECT_GE(List->Width(), E->Width());
    ExpectFormActiveAndEditorFocused(E);
    List->SetItemIndex(3);
    Close(E, By);
    EXPECT_FALSE(E->ListVisible());
    EXPECT_FALSE(List->Visible());
    EXPECT_FALSE(E->DroppedDown());
    EXPECT_EQ(Screen->ActiveForm(), Form);
    EXPECT_EQ(FieldText("s_name"), By == cbEnter ? S("Шайба") : S("Гайка М8"));
    if (By == cbEnter) {
      EXPECT_EQ(E->Text(), S("Шайба"));
    } else if (By == cbEscape) {
      EXPECT_EQ(E->Text(), S("Гайка М8")) << "the text returns to the cell's";
    }
    ExpectFocusAfterClose(E, By);
    Done();
  }
}

TEST_F(AxisGridDropDownTest, CalendarPostsOnlyWhenEnterCloses)
{
  for (int By : {cbEnter, cbEscape, cbClickElsewhere}) {
    SCOPED_TRACE(CloseName(By));
    TDropDownTestEdit* E = EditCell(10, 1, esDateCalendar);
    ASSERT_NE(E, nullptr);
    Open(E);
    ASSERT_TRUE(E->ListVisible());
    auto* Popup = dynamic_cast<TPopupDateTimeCalendarFormEh*>(E->ActiveList());
    ASSERT_NE(Popup, nullptr);
    EXPECT_TRUE(Popup->Visible());
    EXPECT_EQ(Popup->DateTime(), EncodeDate(2026, 3, 1)) << "the calendar opens on the cell's date";
    ExpectFormActiveAndEditorFocused(E);
    Popup->SetDateTime(EncodeDate(2026, 3, 2));
    Close(E, By);
    EXPECT_FALSE(E->ListVisible());
    EXPECT_FALSE(Popup->Visible());
    EXPECT_EQ(Screen->ActiveForm(), Form);
    EXPECT_EQ(Parts->FieldByName(S("d_made"))->AsDateTime(),
              By == cbEnter ? EncodeDate(2026, 3, 2) : EncodeDate(2026, 3, 1));
    ExpectFocusAfterClose(E, By);
    Done();
  }
}

TEST_F(AxisGridDropDownTest, CalculatorPostsOnlyWhenEnterCloses)
{
  for (int By : {cbEnter, cbEscape, cbClickElsewhere}) {
    SCOPED_TRACE(CloseName(By));
    TDropDownTestEdit* E = EditCell(11, 2, esDropDown);
    ASSERT_NE(E, nullptr);
    Open(E);
    ASSERT_TRUE(E->ListVisible());
    auto* Calc = dynamic_cast<TPopupCalculatorFormEh*>(E->ActiveList());
    ASSERT_NE(Calc, nullptr);
    EXPECT_TRUE(Calc->Visible());
    EXPECT_DOUBLE_EQ(Calc->GetValue().AsDouble(), 40.0);
    ExpectFormActiveAndEditorFocused(E);
    Calc->SetValue(Variant(7.0));
    Close(E, By);
    EXPECT_FALSE(E->ListVisible());
    EXPECT_FALSE(Calc->Visible());
    EXPECT_EQ(Screen->ActiveForm(), Form);
    EXPECT_DOUBLE_EQ(Parts->FieldByName(S("n_qty"))->AsFloat(), By == cbEnter ? 7.0 : 40.0);
    ExpectFocusAfterClose(E, By);
    Done();
  }
}

TEST_F(AxisGridDropDownTest, CalculatorOpensAtZeroOnTextThatIsNoNumber)
{
  struct Case {
    const char* Text;
    double Opened;
  };
  const Case Cases[] = {{"abc", 0}, {"", 0}, {"12,5", 12.5}, {"1 2", 0}, {"--3", 0}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Text);
    TDropDownTestEdit* E = EditCell(11, 2, esDropDown);
    ASSERT_NE(E, nullptr);
    E->SetText(S(C.Text));
    EXPECT_NO_THROW(E->DropDown());
    ASSERT_TRUE(E->ListVisible());
    auto* Calc = dynamic_cast<TPopupCalculatorFormEh*>(E->ActiveList());
    ASSERT_NE(Calc, nullptr);
    EXPECT_DOUBLE_EQ(Calc->GetValue().AsDouble(), C.Opened);
    E->CloseUp(false);
    EXPECT_FALSE(Calc->Visible());
    EXPECT_DOUBLE_EQ(Parts->FieldByName(S("n_qty"))->AsFloat(), 40.0);
    Done();
  }
}

TEST_F(AxisGridDropDownTest, LookupChoiceTakenFromTheBox)
{
  TDropDownTestEdit* E = EditCell(10, 3, esLookupDataList);
  ASSERT_NE(E, nullptr);
  EXPECT_EQ(E->Text(), S("Крепёж"));
  Open(E);
  ASSERT_TRUE(E->ListVisible());
  auto* Box = dynamic_cast<TTestDataGridBox*>(E->ActiveList());
  ASSERT_NE(Box, nullptr);
  EXPECT_EQ(Box->AxisBarOwner, Group->DropDownBox());
  EXPECT_EQ(Box->Name(), S("DropDownBox"));
  EXPECT_EQ(Box->Items()->Count(), 3);
  EXPECT_EQ(Box->ItemIndex(), 0) << "the box opens on the cell's key";
  EXPECT_GE(Box->Width(), E->Width());
  EXPECT_EQ(E->LookupSource()->DataSet(), Groups.get());
  ExpectFormActiveAndEditorFocused(E);
  Box->SetItemIndex(1);
  E->CloseUp(true);
  Application->ProcessMessages();
  EXPECT_FALSE(E->ListVisible());
  EXPECT_FALSE(Box->Visible());
  EXPECT_EQ(E->LookupSource()->DataSet(), nullptr);
  EXPECT_EQ(Parts->FieldByName(S("group_id"))->AsInteger(), 2);
  EXPECT_EQ(VarToStr(Grid->EditKeyValue()), S("2"));
  Parts->Post();
  EXPECT_EQ(testsupport::OdbcSession().Scalar("select group_id from ax_part where id = 10").value_or(""), "2");
}

// A choice the server refuses: the part's group must exist. The record
// posts as soon as its group changes, as a form that saves every change.
TEST_F(AxisGridDropDownTest, RefusedLookupChoiceKeepsTheCellTextExactly)
{
  Parts->FieldByName(S("group_id"))->OnChange = [this](TField*) { Parts->Post(); };
  TDropDownTestEdit* E = EditCell(11, 3, esLookupDataList);
  ASSERT_NE(E, nullptr);
  Open(E);
  auto* Box = dynamic_cast<TTestDataGridBox*>(E->ActiveList());
  ASSERT_NE(Box, nullptr);
  Box->SetItemIndex(Box->Items()->IndexOf(S("Склад")));
  std::string Error;
  try {
    E->CloseUp(true);
  } catch (const Exception& Ex) {
    Error = Ex.Message().toStdString();
  }
  EXPECT_NE(Error.find("ax_part_group_id_fkey"), std::string::npos) << Error;
  EXPECT_FALSE(E->ListVisible());
  EXPECT_EQ(E->Text(), Group->GetInplaceEditorText()) << "the field's text, nothing added";
  EXPECT_FALSE(E->Text().endsWith(QLatin1Char(' ')));
  Parts->FieldByName(S("group_id"))->OnChange = nullptr;
  Parts->Cancel();
  EXPECT_EQ(testsupport::OdbcSession().Scalar("select group_id from ax_part where id = 11").value_or(""), "1");
}

TEST_F(AxisGridDropDownTest, MostRecentlyUsedListFollowsTheTypedText)
{
  TMRUListEh* MRU = Names->MRUList();
  MRU->SetActive(true);
  for (const char* T : {"Болт М10", "Болт М12", "Гайка М10"})
    MRU->Add(S(T));
  TDropDownTestEdit* E = EditCell(12, 0, esSimple);
  ASSERT_NE(E, nullptr);
  struct Step {
    const char* Text;
    int Shown;   // items shown, 0: closed
  };
  const Step Steps[] = {{"б", 2}, {"Болт М1", 2}, {"болт м12", 1}, {"Болт М12x", 0}, {"Г", 1}};
  for (const Step& St : Steps) {
    SCOPED_TRACE(St.Text);
    E->SetText(S(St.Text));
    E->MRUListDropDown();
    EXPECT_EQ(MRU->DroppedDown(), St.Shown > 0);
    TMRUListboxEh* List = E->GetMRUListControl();
    EXPECT_EQ(List->Visible(), St.Shown > 0);
    if (St.Shown > 0) {
      EXPECT_EQ(List->Items()->Count(), St.Shown);
    }
    ExpectFormActiveAndEditorFocused(E);
  }
  TMRUListboxEh* List = E->GetMRUListControl();
  E->SetText(S("Б"));
  E->MRUListDropDown();
  ASSERT_TRUE(MRU->DroppedDown());
  List->SetItemIndex(1);
  E->MRUListCloseUp(false);
  EXPECT_FALSE(List->Visible());
  EXPECT_EQ(E->Text(), S("Б")) << "a close without accepting takes nothing";

  E->MRUListDropDown();
  ASSERT_TRUE(MRU->DroppedDown());
  ExpectFormActiveAndEditorFocused(E);
  gui_test::Click(Other);
  Other->SetFocus();
  Application->ProcessMessages();
  EXPECT_FALSE(MRU->DroppedDown()) << "the list closes when the focus leaves";
  EXPECT_FALSE(List->Visible());
  EXPECT_EQ(FocusedName(), Name(Other));
  EXPECT_EQ(Screen->ActiveForm(), Form);

  E->SetFocus();
  E->SetText(S("Г"));
  E->MRUListDropDown();
  ASSERT_TRUE(MRU->DroppedDown());
  List->SetItemIndex(0);
  E->MRUListCloseUp(true);
  EXPECT_FALSE(MRU->DroppedDown());
  EXPECT_FALSE(List->Visible());
  EXPECT_EQ(E->Text(), S("Гайка М10"));
  EXPECT_EQ(Grid->EditText(), S("Гайка М10"));
  Done();
}

// Typing into an open list that filters by the typed text: the rows come
// back once the list closes, however it closes.
TEST_F(AxisGridDropDownTest, TypedTextFilterIsClearedWhenTheListCloses)
{
  Group->DropDownBox()->SetListSourceAutoFilter(true);
  for (int By : {cbEnter, cbEscape, cbClickElsewhere}) {
    SCOPED_TRACE(CloseName(By));
    TDropDownTestEdit* E = EditCell(11, 3, esLookupDataList);
    ASSERT_NE(E, nullptr);
    Open(E);
    ASSERT_TRUE(E->ListVisible());
    E->SelectAll();
    E->EditCoreControl()->Perform(WM_CHAR, WPARAM(S("Э")[0].unicode()), 0);
    EXPECT_EQ(E->Text(), S("Электрика"));
    EXPECT_EQ(VarToStr(Grid->EditKeyValue()), S("2"));
    EXPECT_TRUE(Groups->Filtered());
    EXPECT_EQ(Groups->Filter(), S("[s_name] like 'Э*'"));
    EXPECT_EQ(Groups->RecordCount(), 1) << "the open list shows the rows of the typed text";
    auto* Box = dynamic_cast<TTestDataGridBox*>(E->ActiveList());
    ASSERT_NE(Box, nullptr);
    EXPECT_EQ(VarToStr(Box->KeyValue()), S("2")) << "the list follows the completed choice";
    Close(E, By);
    EXPECT_FALSE(E->ListVisible());
    EXPECT_EQ(Groups->Filter(), QString());
    EXPECT_EQ(Groups->RecordCount(), 3) << "all rows are back";
    EXPECT_EQ(Parts->FieldByName(S("group_id"))->AsInteger(), By == cbEnter ? 2 : 1);
    Done();
  }
}

// The cell shows the chosen row's text after the choice, and again when
// the grid loads its editor for the cell anew; a data-list bar, which
// writes the text, writes the chosen text.
TEST_F(AxisGridDropDownTest, AcceptedListChoiceKeepsItsText)
{
  TDataSource GroupsSource(nullptr);
  GroupsSource.SetDataSet(Groups.get());
  TAxisBarEh* Listed = Grid->AxisBars()->Add();
  Listed->SetFieldName(S("s_name"));
  Listed->DropDownBox()->SetListSource(&GroupsSource);
  Listed->DropDownBox()->SetListFieldNames(S("s_name"));
  ASSERT_EQ(Listed->GetBarType(), ctDataList);
  struct Case {
    const char* Name;
    Integer Index;
    TEditStyle Style;
    const char* Field;
    const char* Stored;
  };
  const Case Cases[] = {
    {"lookup", 3, esLookupDataList, "group_id", "2"},
    {"data list", 4, esDataList, "s_name", "Электрика"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TDropDownTestEdit* E = EditCell(10, C.Index, C.Style);
    ASSERT_NE(E, nullptr);
    Open(E);
    auto* Box = dynamic_cast<TTestDataGridBox*>(E->ActiveList());
    ASSERT_NE(Box, nullptr);
    Box->SetItemIndex(Box->Items()->IndexOf(S("Электрика")));
    E->CloseUp(true);
    EXPECT_EQ(E->Text(), S("Электрика"));
    EXPECT_EQ(Grid->EditText(), S("Электрика"));
    EXPECT_EQ(FieldText(C.Field), S(C.Stored));
    Application->ProcessMessages();
    EXPECT_EQ(E->Text(), S("Электрика"));
    Grid->InvalidateEditor();
    Application->ProcessMessages();
    EXPECT_EQ(E->Text(), S("Электрика")) << "loaded anew from the record";
    Parts->Post();
    const std::string Sql = std::string("select ") + C.Field + " from ax_part where id = 10";
    EXPECT_EQ(testsupport::OdbcSession().Scalar(Sql.c_str()).value_or(""), C.Stored);
    Done();
  }
  Listed->DropDownBox()->SetListSource(nullptr);
}

// An edit button with a menu drops the menu under itself; the press that
// ends the menu on the button is dropped, so the menu does not open again.
TEST_F(AxisGridDropDownTest, EditButtonMenuIsNotReopenedByThePressThatClosedIt)
{
  auto* Menu = new TPopupMenu(Form);
  auto* Item = new TMenuItem(Menu);
  Menu->Items()->Add(Item);
  int Picked = 0;
  Item->OnClick = [&](TObject*) { ++Picked; };
  TEditButtonEh* Extra = Names->EditButtons()->Add();
  Extra->SetStyle(ebsEllipsisEh);
  Extra->SetDropdownMenu(Menu);
  TDropDownTestEdit* E = EditCell(10, 0, esPickList);
  ASSERT_NE(E, nullptr);
  TEditButtonsBoxEh* Box = E->ButtonsBox();
  ASSERT_NE(Box, nullptr);
  ASSERT_EQ(Box->ButtonsCount(), 2);
  TEditButtonControlEh* Control = Box->BtnCtlList()[1].EditButtonControl;
  ASSERT_TRUE(Control->Visible());
  const QPoint Centre(Control->Width() / 2, Control->Height() / 2);
  const QPointF InBox(Control->Left() + Centre.x(), Control->Top() + Centre.y());
  int Pops = 0;
  TPopupMenu::SetPopupHook([&](TPopupMenu* Shown) -> TMenuItem* {
    ++Pops;
    EXPECT_EQ(Shown, Menu);
    // The user ends the menu with a press on the button: it waits in the
    // queue when the menu returns.
    QWidget* W = Box->Widget();
    QCoreApplication::postEvent(W, new QMouseEvent(QEvent::MouseButtonPress, InBox, W->mapToGlobal(InBox),
                                                   Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    return Item;
  });
  ScopeExit Unhook([] { TPopupMenu::SetPopupHook(nullptr); });

  gui_test::Click(Control, Centre);
  Application->ProcessMessages();
  EXPECT_EQ(Pops, 1) << "the closing press opened the menu again";
  EXPECT_EQ(Picked, 1);
  EXPECT_FALSE(E->ListVisible()) << "the menu is the button's action";
  EXPECT_FALSE(Control->AlwaysDown());

  gui_test::Click(Control, Centre);
  Application->ProcessMessages();
  EXPECT_EQ(Pops, 2) << "a later press opens it";
  Done();
}

// An edit button's drop-down form gets the cell's text and, accepted,
// writes its result through the bar, unless the cell may not change; the
// press that closed the form does not open it again.
TEST_F(AxisGridDropDownTest, EditButtonDropDownFormWritesItsResultThroughTheBar)
{
  auto* DropForm = new TOkDropDownFormEh(Application, 200, 120);
  String Received;
  bool FormReadOnly = false;
  DropForm->OnInitForm = [&](TCustomDropDownFormEh* F, TDynVarsEh* P) {
    Received = P->Count() > 0 ? P->Items(0)->Value().AsString() : String();
    FormReadOnly = F->ReadOnly();
  };
  DropForm->OnReturnParams = [](TCustomDropDownFormEh*, TDynVarsEh* P) {
    P->Items(0)->SetValue(Variant(S("Шайба")));
  };
  TEditButtonEh* Extra = Names->EditButtons()->Add();
  Extra->SetStyle(ebsDropDownEh);
  Extra->DropDownFormParams()->SetDropDownForm(DropForm);
  struct Case {
    bool ReadOnly;
    bool Accept;
    const char* Text;
  };
  const Case Cases[] = {{false, true, "Шайба"}, {false, false, "Гайка М8"}, {true, true, "Гайка М8"}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(testing::Message() << (C.ReadOnly ? "read-only" : "writable") << (C.Accept ? " OK" : " elsewhere"));
    // An accepted form posts its record: each case starts from the same one.
    testsupport::OdbcSession().Exec("update ax_part set s_name = 'Гайка М8' where id = 11");
    Parts->Close();
    Parts->Open();
    Names->SetReadOnly(C.ReadOnly);
    TDropDownTestEdit* E = EditCell(11, 0, esPickList);
    ASSERT_NE(E, nullptr);
    ASSERT_EQ(E->ButtonsBox()->ButtonsCount(), 2);
    TEditButtonControlEh* Control = E->ButtonsBox()->BtnCtlList()[1].EditButtonControl;
    Received.clear();
    bool Repeat = false, Handled = false;
    E->EditButtonDown(Control, true, Repeat, Handled);
    EXPECT_TRUE(Handled);
    ASSERT_TRUE(DropForm->Visible());
    EXPECT_TRUE(Control->AlwaysDown());
    EXPECT_EQ(Received, S("Гайка М8"));
    EXPECT_EQ(FormReadOnly, C.ReadOnly);
    if (C.Accept)
      gui_test::Click(DropForm->Ok);
    else
      gui_test::Click(Other);
    EXPECT_FALSE(DropForm->Visible());
    EXPECT_FALSE(Control->AlwaysDown()) << "the editor's buttons are released";
    EXPECT_EQ(E->Text(), S(C.Text));
    EXPECT_EQ(FieldText("s_name"), S(C.Text));

    Handled = false;
    E->EditButtonDown(Control, true, Repeat, Handled);
    EXPECT_FALSE(DropForm->Visible()) << "the press that closed the form";
    EXPECT_FALSE(E->ListVisible());
    Application->ProcessMessages();
    Handled = false;
    E->EditButtonDown(Control, true, Repeat, Handled);
    EXPECT_TRUE(DropForm->Visible()) << "a later press opens it";
    gui_test::Click(Other);
    Application->ProcessMessages();
    Done();
  }
  Names->SetReadOnly(false);
}

// While a list is open the keys that move in a list move in it, the cell's
// text follows the entry, and Enter takes it; the grid keeps its record.
TEST_F(AxisGridDropDownTest, MovingKeysGoToTheOpenList)
{
  struct Case {
    Word Key;
    Integer Index;   // the pick list's entry after the key
  };
  const Case Cases[] = {{VK_DOWN, 2}, {VK_UP, 0}, {VK_NEXT, 3}, {VK_PRIOR, 0}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Key);
    // Enter posts the choice: each case starts from the same record.
    testsupport::OdbcSession().Exec("update ax_part set s_name = 'Гайка М8' where id = 11");
    Parts->Close();
    Parts->Open();
    TDropDownTestEdit* E = EditCell(11, 0, esPickList);
    ASSERT_NE(E, nullptr);
    Open(E);
    ASSERT_TRUE(E->ListVisible());
    ASSERT_EQ(E->PickList()->ItemIndex(), 1);
    E->EditCoreControl()->Perform(WM_KEYDOWN, C.Key, 0);
    EXPECT_TRUE(E->ListVisible());
    EXPECT_EQ(E->PickList()->ItemIndex(), C.Index);
    EXPECT_EQ(E->Text(), Names->PickList()->Strings(C.Index)) << "the text follows the list";
    EXPECT_EQ(Parts->FieldByName(S("id"))->AsInteger(), 11) << "the grid keeps its record";
    E->EditCoreControl()->Perform(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(E->ListVisible());
    EXPECT_EQ(FieldText("s_name"), Names->PickList()->Strings(C.Index));
    Done();
  }
}
