// AxisGridOperationsTest.cpp: what a user does with a bar's current cell
// over tables of the test server: the filter typed text puts on the bar's
// drop-down list (an ADO query and a memory table), the system menu, copy,
// cut, paste and clear through the real clipboard, and a picture saved to a
// file and loaded back.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "gridlib/editors/MemoEditFormsEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/DialogsCommon.h"
#include "platform/rtl/ScopeExit.h"
#include "tests/gridlib/axisgrid/AxisGridTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <set>

using namespace axisgrid_test;

namespace {

String S(const char* Text)
{
  return QString::fromUtf8(Text);
}

// ---------------------------------------------------------------------------
// The drop-down list's filter

// Names that carry the characters a LIKE pattern gives a meaning to.
struct TListRow {
  int Id;
  const char* Name;
};
const TListRow ListRows[] = {
  {1, "100%"}, {2, "100 kg"}, {3, "a_b"}, {4, "axb"}, {5, "a*b"}, {6, "a?b"},
  {7, "O'Neil"}, {8, "x[y]z"}, {9, "xyz"}, {10, "a]b"}, {11, "AXB"},
};

// The list's text column is named with a "]" as well.
const char* const ListField = "s]name";

void MakeListTable()
{
  testsupport::OdbcSession Session;
  Session.Exec("drop table if exists ax_list");
  Session.Exec("create table ax_list (id int4 primary key, \"s]name\" varchar(40))");
  for (const TListRow& R : ListRows) {
    String Name = S(R.Name);
    Name.replace(QLatin1Char('\''), QLatin1String("''"));
    Session.Exec("insert into ax_list values (" + std::to_string(R.Id) + ", '" + Name.toStdString() + "')");
  }
}

std::set<int> FilteredIds(TDataSet* DataSet)
{
  std::set<int> Ids;
  for (DataSet->First(); !DataSet->Eof(); DataSet->Next())
    Ids.insert(DataSet->FieldByName(S("id"))->AsInteger());
  return Ids;
}

class AxisGridListFilterTest : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    RegisterTestClasses();
    MakeListTable();
    Db = OpenTestConnection();
    Query = std::make_unique<TADOQuery>(nullptr);
    Query->SetConnection(Db.get());
    Query->SQL()->SetText(S("select id, \"s]name\" from ax_list order by id"));
    Query->Open();

    Memory = std::make_unique<TMemTableEh>(nullptr);
    Memory->FieldDefs()->Add(S("id"), ftInteger);
    Memory->FieldDefs()->Add(S(ListField), ftWideString, 40);
    Memory->CreateDataSet();
    for (const TListRow& R : ListRows) {
      Memory->Append();
      Memory->FieldByName(S("id"))->SetAsInteger(R.Id);
      Memory->FieldByName(S(ListField))->SetAsString(S(R.Name));
      Memory->Post();
    }
    Grid = std::make_unique<TTestAxisGridEh>(nullptr);
    Bar = Grid->AxisBars()->Add();
    Bar->SetFieldName(S("part"));
    Bar->DropDownBox()->SetListFieldNames(S(ListField) + S("; id"));
  }
  void TearDown() override
  {
    Grid.reset();
    GuiTest::TearDown();
  }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOQuery> Query;
  std::unique_ptr<TMemTableEh> Memory;
  std::unique_ptr<TTestAxisGridEh> Grid;
  TAxisBarEh* Bar = nullptr;
};

// Typed characters that LIKE reads as wildcards, quotes and brackets match
// only themselves, on the ADO query and on the memory table alike.
TEST_F(AxisGridListFilterTest, TypedTextMatchesLiterally)
{
  struct TCase {
    const char* Typed;
    TLSAutoFilterTypeEh Operation;
    std::set<int> Ids;
  } Cases[] = {
    {"100%", lsftBeginsWithEh, {1}},
    {"100", lsftBeginsWithEh, {1, 2}},
    {"a_", lsftBeginsWithEh, {3}},
    {"a*", lsftBeginsWithEh, {5}},
    {"a?", lsftBeginsWithEh, {6}},
    {"ax", lsftBeginsWithEh, {4, 11}},
    {"O'N", lsftBeginsWithEh, {7}},
    {"o'n", lsftBeginsWithEh, {7}},
    {"x[y]", lsftBeginsWithEh, {8}},
    {"[y]", lsftContainsEh, {8}},
    {"]", lsftContainsEh, {8, 10}},
    {"%", lsftContainsEh, {1}},
    {"_", lsftContainsEh, {3}},
    {"*", lsftContainsEh, {5}},
    {"?", lsftContainsEh, {6}},
    {"'", lsftContainsEh, {7}},
    {"b", lsftContainsEh, {3, 4, 5, 6, 10, 11}},
    {"y]z", lsftContainsEh, {8}},
  };
  auto Source = std::make_unique<TDataSource>(nullptr);
  Bar->DropDownBox()->SetListSource(Source.get());
  for (TDataSet* List : {static_cast<TDataSet*>(Query.get()), static_cast<TDataSet*>(Memory.get())}) {
    Source->SetDataSet(List);
    ASSERT_EQ(Bar->GetDropDownListDataSet(), List);
    ASSERT_EQ(Bar->GetDropDownBoxListField(), S(ListField));
    for (const TCase& C : Cases) {
      SCOPED_TRACE(List->ClassName().toStdString() + " " + C.Typed +
                   (C.Operation == lsftContainsEh ? " contains" : " begins"));
      Bar->DropDownBoxApplyTextFilter(List, Bar->GetDropDownBoxListField(), C.Operation, S(C.Typed));
      EXPECT_TRUE(List->Filtered());
      EXPECT_EQ(FilteredIds(List), C.Ids) << List->Filter().toStdString();
    }
    // Clearing the typed text lifts the filter but leaves the flag.
    Bar->DropDownBoxApplyTextFilter(List, S(ListField), lsftBeginsWithEh, String());
    EXPECT_EQ(List->Filter(), String());
    EXPECT_TRUE(List->Filtered());
    EXPECT_EQ(FilteredIds(List).size(), std::size(ListRows));
  }
}

// The filter text itself: the memory table's wildcard is "%", other
// datasets get "*"; a case-sensitive bar takes the case option away.
TEST_F(AxisGridListFilterTest, FilterTextFollowsTheListDataSet)
{
  auto Source = std::make_unique<TDataSource>(nullptr);
  Bar->DropDownBox()->SetListSource(Source.get());
  EXPECT_EQ(Bar->DropDownBox()->GetLikeWildcardForSeveralCharacters(), S("*"));

  Source->SetDataSet(Query.get());
  Bar->DropDownBoxApplyTextFilter(Query.get(), S(ListField), lsftBeginsWithEh, S("O'Neil"));
  EXPECT_EQ(Query->Filter(), S("[s]]name] like 'O''Neil*'"));
  EXPECT_EQ(FilteredIds(Query.get()), std::set<int>{7});
  EXPECT_TRUE(Query->FilterOptions().Contains(foCaseInsensitive));

  Source->SetDataSet(Memory.get());
  Bar->SetCaseInsensitiveTextSearch(false);
  Bar->DropDownBoxApplyTextFilter(Memory.get(), S(ListField), lsftContainsEh, S("ab"));
  EXPECT_EQ(Memory->Filter(), S("[s]]name] like '%ab%'"));
  EXPECT_FALSE(Memory->FilterOptions().Contains(foCaseInsensitive));
  EXPECT_EQ(FilteredIds(Memory.get()), std::set<int>{});
  Bar->DropDownBoxApplyTextFilter(Memory.get(), S(ListField), lsftBeginsWithEh, S("AX"));
  EXPECT_EQ(FilteredIds(Memory.get()), std::set<int>{11});
}

// The list field of a data-list bar: the first of the list field names,
// else the bar's field when the list has it, else the list's first field.
TEST_F(AxisGridListFilterTest, ListFieldOfADataListBar)
{
  auto Source = std::make_unique<TDataSource>(nullptr);
  Source->SetDataSet(Query.get());
  Bar->DropDownBox()->SetListSource(Source.get());
  struct TCase {
    const char* ListFieldNames;
    const char* BarField;
    const char* Expected;
  } Cases[] = {
    {" s]name ; id", "part", "s]name"},
    {"", "s]name", "s]name"},
    {"", "part", "id"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.ListFieldNames);
    Bar->DropDownBox()->SetListFieldNames(S(C.ListFieldNames));
    Bar->SetFieldName(S(C.BarField));
    EXPECT_EQ(Bar->GetDropDownBoxListField(), S(C.Expected));
  }
  EXPECT_EQ(Bar->DropDownBox()->GetNamePath(), Bar->GetNamePath() + S(".DropDownBox"));
}

// ---------------------------------------------------------------------------
// Operations on the current cell

QImage Image(Integer W, Integer H, QColor Color)
{
  QImage I(W, H, QImage::Format_RGB32);
  I.fill(Color);
  return I;
}

QByteArray Png(const QImage& Image)
{
  QByteArray Bytes;
  QBuffer Buffer(&Bytes);
  Buffer.open(QIODevice::WriteOnly);
  Image.save(&Buffer, "PNG");
  return Bytes;
}

void MakeOpTable()
{
  testsupport::OdbcSession Session;
  Session.Exec("drop table if exists ax_op");
  Session.Exec("create table ax_op (id int4 primary key, s_name varchar(40), p_pict bytea)");
  Session.Exec("insert into ax_op values (1, 'Болт М8', '\\x" + Png(Image(30, 20, Qt::red)).toHex().toStdString() +
               "'::bytea), (2, 'Гайка', null)");
}

enum TClip { clipText, clipBitmap, clipEmpty };

void PutOnClipboard(TClip Clip)
{
  if (Clip == clipText)
    QApplication::clipboard()->setText(S("Шайба"));
  else if (Clip == clipBitmap)
    QApplication::clipboard()->setImage(Image(8, 6, Qt::green));
  else
    QApplication::clipboard()->clear();
}

QByteArray RawValue(TField* Field)
{
  auto* Blob = dynamic_cast<TBlobField*>(Field);
  return Blob ? Blob->AsBytes() : Field->AsString().toUtf8();
}

String MenuCaptions(TPopupMenu* Menu)
{
  QStringList Captions;
  for (Integer I = 0; I < Menu->Items()->Count(); ++I)
    Captions << Menu->Items()->Items(I)->Caption();
  return Captions.join(QLatin1Char(','));
}

class AxisGridOperationsTest : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    RegisterTestClasses();
    MakeOpTable();
    Db = OpenTestConnection();
    Table = std::make_unique<TADOQuery>(nullptr);
    Table->SetConnection(Db.get());
    Table->SQL()->SetText(S("select id, s_name, p_pict from ax_op order by id"));
    Table->Open();
    static_cast<TBlobField*>(Table->FieldByName(S("p_pict")))->SetBlobType(ftGraphic);
    Source = std::make_unique<TDataSource>(nullptr);
    Source->SetDataSet(Table.get());
    Form = new TForm(Application, 0);
    Form->SetBounds(0, 0, 400, 200);
    Grid = new TTestAxisGridEh(Form);
    Grid->SetParent(Form);
    Grid->SetBounds(0, 0, 400, 200);
    Grid->SetDrawGraphicData(true);
    Grid->SetDataSource(Source.get());
    Name = Grid->GetFieldAxisBars(S("s_name"));
    Pict = Grid->GetFieldAxisBars(S("p_pict"));
    ASSERT_NE(Name, nullptr);
    ASSERT_NE(Pict, nullptr);
  }
  void TearDown() override
  {
    delete Form;
    Form = nullptr;
    GuiTest::TearDown();
  }
  // The value as the server holds it after a post.
  std::string ServerText(int Id, const char* Column)
  {
    testsupport::OdbcSession Session;
    return Session.Scalar("select coalesce(" + std::string(Column) + "::text, '<null>') from ax_op where id = " +
                          std::to_string(Id))
        .value_or("<missing>");
  }
  QImage FieldImage()
  {
    return QImage::fromData(static_cast<TBlobField*>(Pict->Field())->AsBytes());
  }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOQuery> Table;
  std::unique_ptr<TDataSource> Source;
  TForm* Form = nullptr;
  TTestAxisGridEh* Grid = nullptr;
  TAxisBarEh* Name = nullptr;
  TAxisBarEh* Pict = nullptr;
};

// Only commands that can act are offered: paste when the clipboard holds
// what the bar takes, load and save for pictures, nothing that writes on a
// read-only bar or grid.
TEST_F(AxisGridOperationsTest, SystemMenuOffersWhatTheBarAccepts)
{
  enum TReadOnly { roNone, roBar, roGrid };
  struct TCase {
    const char* Bar;
    TReadOnly ReadOnly;
    TClip Clip;
    int Record;
    const char* Items;
  } Cases[] = {
    {"s_name", roNone, clipText, 1, "Cut,Copy,Paste,Delete"},
    {"s_name", roNone, clipBitmap, 1, "Cut,Copy,Delete"},
    {"s_name", roNone, clipEmpty, 1, "Cut,Copy,Delete"},
    {"s_name", roBar, clipText, 1, "Copy"},
    {"s_name", roGrid, clipText, 1, "Copy"},
    {"p_pict", roNone, clipBitmap, 1, "Cut,Copy,Paste,Delete,-,Load...,Save..."},
    {"p_pict", roNone, clipText, 1, "Cut,Copy,Delete,-,Load...,Save..."},
    {"p_pict", roNone, clipBitmap, 2, "Cut,Copy,Paste,Delete,-,Load..."},
    {"p_pict", roBar, clipBitmap, 1, "Copy,-,Save..."},
    {"p_pict", roGrid, clipBitmap, 2, "Copy,-"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::string(C.Bar) + " read-only " + std::to_string(C.ReadOnly) + " clip " +
                 std::to_string(C.Clip) + " record " + std::to_string(C.Record));
    TAxisBarEh* Bar = Grid->GetFieldAxisBars(S(C.Bar));
    Bar->SetReadOnly(C.ReadOnly == roBar);
    Grid->SetReadOnly(C.ReadOnly == roGrid);
    ASSERT_TRUE(Table->Locate(S("id"), C.Record, {}));
    PutOnClipboard(C.Clip);
    TPopupMenu* Menu = Bar->GetPopupMenu();
    EXPECT_EQ(MenuCaptions(Menu), S(C.Items));
    for (Integer I = 0; I < Menu->Items()->Count(); ++I) {
      auto* Item = dynamic_cast<TAxisBarEhMenuItem*>(Menu->Items()->Items(I));
      ASSERT_NE(Item, nullptr);
      EXPECT_EQ(Item->AxisBar, Bar);
    }
  }
}

// Paste and clear ask whether the value may change before they touch the
// dataset: a read-only bar or grid keeps its value and the browse state.
TEST_F(AxisGridOperationsTest, PasteAndClearLeaveAReadOnlyValue)
{
  struct TCase {
    const char* Bar;
    bool BarReadOnly;
    TClip Clip;
  } Cases[] = {
    {"s_name", true, clipText}, {"s_name", false, clipText},
    {"p_pict", true, clipBitmap}, {"p_pict", false, clipBitmap},
  };
  for (const TCase& C : Cases) {
    for (bool Clear : {false, true}) {
      SCOPED_TRACE(std::string(C.Bar) + (C.BarReadOnly ? " bar" : " grid") + (Clear ? " clear" : " paste"));
      TAxisBarEh* Bar = Grid->GetFieldAxisBars(S(C.Bar));
      Bar->SetReadOnly(C.BarReadOnly);
      Grid->SetReadOnly(!C.BarReadOnly);
      Table->First();
      const QByteArray Before = RawValue(Bar->Field());
      PutOnClipboard(C.Clip);
      if (Clear)
        Bar->ClearValue();
      else
        Bar->PasteValueFromClipboard();
      EXPECT_EQ(Table->State(), dsBrowse);
      EXPECT_FALSE(Table->FieldByName(S(C.Bar))->IsNull());
      EXPECT_EQ(RawValue(Bar->Field()), Before);
      Bar->SetReadOnly(false);
      Grid->SetReadOnly(false);
    }
  }
}

// Text goes through the real clipboard: copy from one record, paste into
// another, cut leaves the cell empty; the server gets what was pasted.
TEST_F(AxisGridOperationsTest, CopyCutPasteTextThroughTheClipboard)
{
  PutOnClipboard(clipEmpty);
  Table->First();
  Name->GetPopupMenu()->Items()->Find(S("Copy"))->Click();
  EXPECT_EQ(QApplication::clipboard()->text(), S("Болт М8"));

  Table->Next();
  Name->PasteValueFromClipboard();
  EXPECT_EQ(Table->State(), dsEdit);
  Table->Post();
  EXPECT_EQ(ServerText(2, "s_name"), "Болт М8");

  Table->First();
  QApplication::clipboard()->setText(S("Шайба 10"));
  Name->CutValueToClipboard();
  EXPECT_EQ(QApplication::clipboard()->text(), S("Болт М8"));
  EXPECT_TRUE(Name->Field()->IsNull());
  Table->Post();
  EXPECT_EQ(ServerText(1, "s_name"), "<null>");
}

// A picture goes through the clipboard as an image: copied from one record
// and pasted into the empty picture of another, then cut away.
TEST_F(AxisGridOperationsTest, CopyCutPastePictureThroughTheClipboard)
{
  PutOnClipboard(clipText);
  Table->First();
  Pict->CopyValueToClipboard();
  ASSERT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  const QImage Copied = QApplication::clipboard()->image();
  EXPECT_EQ(Copied.size(), QSize(30, 20));
  EXPECT_EQ(QColor(Copied.pixel(5, 5)), QColor(Qt::red));

  Table->Next();
  ASSERT_TRUE(Pict->Field()->IsNull());
  TPopupMenu* Menu = Pict->GetPopupMenu();
  Menu->Items()->Find(S("Paste"))->Click();
  Table->Post();
  QImage Pasted = FieldImage();
  EXPECT_EQ(Pasted.size(), QSize(30, 20));
  EXPECT_EQ(QColor(Pasted.pixel(29, 19)), QColor(Qt::red));
  EXPECT_NE(ServerText(2, "p_pict"), "<null>");

  PutOnClipboard(clipText);
  Pict->CutValueToClipboard();
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_TRUE(Pict->Field()->IsNull());
  Table->Post();
  EXPECT_EQ(ServerText(2, "p_pict"), "<null>");
}

// "Save..." writes the picture to the chosen file, "Load..." reads a file
// into another record; a dialog that is cancelled changes nothing.
TEST_F(AxisGridOperationsTest, PictureSavedToAFileAndLoadedBack)
{
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const String File = Dir.filePath(S("part.png"));
  bool Accept = true;
  String Title;
  TFileDialogHook Old = SetFileDialogHook([&](TOpenDialog* Dialog) {
    Title = Dialog->Title;
    Dialog->FileName = File;
    return Accept;
  });
  ScopeExit Restore([&] { SetFileDialogHook(Old); });

  Table->First();
  Pict->GetPopupMenu()->Items()->Find(S("Save..."))->Click();
  EXPECT_EQ(Title, S("Save Picture"));
  const QImage Saved(File);
  ASSERT_FALSE(Saved.isNull());
  EXPECT_EQ(Saved.size(), QSize(30, 20));
  EXPECT_EQ(QColor(Saved.pixel(0, 0)), QColor(Qt::red));

  Table->Next();
  Accept = false;
  Pict->LoadFromFileDialog();
  EXPECT_EQ(Table->State(), dsBrowse);
  EXPECT_TRUE(Pict->Field()->IsNull());

  Accept = true;
  Pict->GetPopupMenu()->Items()->Find(S("Load..."))->Click();
  EXPECT_EQ(Title, S("Load Picture"));
  Table->Post();
  const QImage Loaded = FieldImage();
  EXPECT_EQ(Loaded.size(), QSize(30, 20));
  EXPECT_EQ(QColor(Loaded.pixel(10, 10)), QColor(Qt::red));
  EXPECT_NE(ServerText(2, "p_pict"), "<null>");
}

// Text bars never load or save: the commands do nothing there.
TEST_F(AxisGridOperationsTest, TextBarNeitherLoadsNorSaves)
{
  int Dialogs = 0;
  TFileDialogHook Old = SetFileDialogHook([&](TOpenDialog*) {
    ++Dialogs;
    return true;
  });
  ScopeExit Restore([&] { SetFileDialogHook(Old); });
  Table->First();
  Name->LoadFromFileDialog();
  Name->SaveToFileDialog();
  EXPECT_EQ(Dialogs, 0);
  EXPECT_EQ(Table->State(), dsBrowse);
}

// The default action of an ellipsis button on a text bar edits the cell's
// text in the memo editor; a read-only bar shows it read-only and writes
// nothing; a bar of another field type has no default action. Without an
// editor only the bar's own field is written, never the selected one's.
TEST_F(AxisGridOperationsTest, EllipsisOfATextBarEditsInTheMemoEditor)
{
  struct TCase {
    const char* Bar;
    bool ReadOnly;
    bool Opens;
    const char* Server;
  } Cases[] = {
    {"s_name", false, true, "Болт М8, длинный"},
    {"s_name", true, true, "Болт М8"},
    {"id", false, false, "Болт М8"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::string(C.Bar) + (C.ReadOnly ? " read-only" : ""));
    testsupport::OdbcSession().Exec("update ax_op set s_name = 'Болт М8' where id = 1");
    Table->Requery();
    Table->First();
    TAxisBarEh* Bar = Grid->GetFieldAxisBars(S(C.Bar));
    Bar->SetReadOnly(C.ReadOnly);
    Bar->EditButton()->SetStyle(ebsEllipsisEh);
    int Calls = 0;
    String Shown;
    bool ShownReadOnly = false;
    TEditMemoTextProcEh Old = EditMemoTextProcEh();
    EditMemoTextProcEh() = [&](String& Text, const TRect&, bool ReadOnly) {
      ++Calls;
      Shown = Text;
      ShownReadOnly = ReadOnly;
      Text += S(", длинный");
      return true;
    };
    ScopeExit Restore([&] { EditMemoTextProcEh() = Old; });
    bool Handled = false;
    Grid->EditButtonDefaultAction(Bar, nullptr, nullptr, Bar->EditButton(), nullptr, TRect(), false, Handled);
    EXPECT_EQ(Calls, C.Opens ? 1 : 0);
    EXPECT_EQ(Handled, C.Opens);
    if (C.Opens) {
      EXPECT_EQ(Shown, S("Болт М8"));
      EXPECT_EQ(ShownReadOnly, C.ReadOnly);
    }
    if (Table->State() == dsEdit)
      Table->Post();
    EXPECT_EQ(ServerText(1, "s_name"), C.Server);
    Bar->SetReadOnly(false);
  }
}

// A picture bar without text editing drops its system menu from a
// drop-down button; the command chosen acts on that bar.
TEST_F(AxisGridOperationsTest, DropDownOfAPictureBarOpensItsMenu)
{
  Pict->SetTextEditing(false);
  auto* Button = new TEditButtonControlEh(Form);
  Button->SetParent(Form);
  Button->SetBounds(300, 10, 16, 18);
  String Offered;
  TPopupMenu::SetPopupHook([&](TPopupMenu* Menu) {
    Offered = MenuCaptions(Menu);
    return Menu->Items()->Find(S("Copy"));
  });
  ScopeExit Restore([] { TPopupMenu::SetPopupHook(nullptr); });
  PutOnClipboard(clipText);
  Table->First();
  bool Handled = false;
  Grid->EditButtonDefaultAction(Pict, nullptr, nullptr, Pict->EditButton(), Button, TRect(), true, Handled);
  EXPECT_TRUE(Handled);
  EXPECT_EQ(Offered, S("Cut,Copy,Delete,-,Load...,Save..."));
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));

  // A click without the mouse down is not the drop-down's.
  Handled = false;
  Offered.clear();
  Grid->EditButtonDefaultAction(Pict, nullptr, nullptr, Pict->EditButton(), Button, TRect(), false, Handled);
  EXPECT_FALSE(Handled);
  EXPECT_EQ(Offered, String());
}

// A picture bar without text editing shows its buttons in the grid's box
// at the right edge of the cell; at most one button, the first without
// handlers, takes the default action; a box without visible buttons hides.
TEST_F(AxisGridOperationsTest, EditButtonsBoxOfAPictureBar)
{
  Pict->SetTextEditing(false);
  ASSERT_TRUE(Pict->UseEditButtonsBox());
  EXPECT_FALSE(Name->UseEditButtonsBox());
  auto* Box = new TEditButtonsBoxEh(Grid);
  Box->SetParent(Grid);
  Pict->EditButtons()->Add();
  Pict->EditButtons()->Add();
  const TButtonClickEventEh Click = [](TObject*, bool&) {};
  struct TCase {
    bool MainVisible;
    bool MainHandler;
    bool FirstExtraHandler;
    bool ExtrasVisible;
    bool Default[3];   // main, extra 0, extra 1
  } Cases[] = {
    {true, true, false, true, {false, true, false}},
    {true, false, false, true, {true, false, false}},
    {false, false, true, true, {false, false, true}},
    {false, false, false, false, {false, true, false}},
  };
  const TRect Cell(100, 20, 300, 40);
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::to_string(C.MainVisible) + std::to_string(C.MainHandler) +
                 std::to_string(C.FirstExtraHandler) + std::to_string(C.ExtrasVisible));
    Pict->EditButton()->SetVisible(C.MainVisible);
    Pict->EditButton()->OnClick = C.MainHandler ? Click : nullptr;
    Pict->EditButtons()->Items(0)->OnClick = C.FirstExtraHandler ? Click : nullptr;
    for (Integer I = 0; I < 2; ++I)
      Pict->EditButtons()->Items(I)->SetVisible(C.ExtrasVisible);
    Pict->InitEditButtonsBox(Box, Cell);
    EXPECT_EQ(Pict->EditButton()->DefaultAction(), C.Default[0]);
    EXPECT_EQ(Pict->EditButtons()->Items(0)->DefaultAction(), C.Default[1]);
    EXPECT_EQ(Pict->EditButtons()->Items(1)->DefaultAction(), C.Default[2]);
    const bool AnyVisible = C.MainVisible || C.ExtrasVisible;
    EXPECT_EQ(Box->Visible(), AnyVisible);
    if (!AnyVisible)
      continue;
    EXPECT_GT(Box->ButtonsWidth(), 0);
    EXPECT_EQ(Box->BoundsRect(), TRect(Cell.Right - Box->ButtonsWidth(), Cell.Top, Cell.Right, Cell.Bottom));
    EXPECT_TRUE(Box->BorderActive());
  }
}

// A press on the box's drop-down button without a handler drops the bar's
// system menu; a handler that handles the press keeps it closed.
TEST_F(AxisGridOperationsTest, EditButtonsBoxPressDropsTheMenu)
{
  Pict->SetTextEditing(false);
  Pict->EditButton()->SetVisible(true);
  Pict->EditButton()->SetStyle(ebsDropDownEh);
  auto* Box = new TEditButtonsBoxEh(Grid);
  Box->SetParent(Grid);
  Pict->InitEditButtonsBox(Box, TRect(0, 0, 200, 20));
  ASSERT_EQ(Box->ButtonsCount(), 1);
  TEditButtonControlEh* Control = Box->BtnCtlList()[0].EditButtonControl;
  int Popups = 0;
  TPopupMenu::SetPopupHook([&](TPopupMenu*) {
    ++Popups;
    return static_cast<TMenuItem*>(nullptr);
  });
  ScopeExit Restore([] { TPopupMenu::SetPopupHook(nullptr); });
  Table->First();
  bool AutoRepeat = false, Handled = false;
  Box->OnDown(Control, false, AutoRepeat, Handled);
  EXPECT_TRUE(Handled);
  EXPECT_EQ(Popups, 1);

  Pict->EditButton()->OnDown = [](TObject*, bool, bool&, bool& H) { H = true; };
  Pict->InitEditButtonsBox(Box, TRect(0, 0, 200, 20));
  EXPECT_FALSE(Pict->EditButton()->DefaultAction());
  Box->OnDown(Control, false, AutoRepeat, Handled);
  EXPECT_TRUE(Handled);
  EXPECT_EQ(Popups, 1);
}

} // namespace
