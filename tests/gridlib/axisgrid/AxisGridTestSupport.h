// AxisGridTestSupport.h: a small concrete axis grid for the tests (the axis
// grid leaves its title font and current column to descendants), bars that
// count what reaches them, a form over two related tables of the test
// server, and a grid on a form over a suite's own items and groups.
#pragma once

#include "gridlib/axisgrid/DBAxisGridsEh.h"
#include "gridlib/axisgrid/DBLookupUtilsEh.h"
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/data/ADODB.h"
#include "platform/gui/Forms.h"
#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <stdexcept>

namespace axisgrid_test {

// The form class of the descriptions: it gives the handler a cell button
// of the description is bound to by name.
class TPartsForm : public TForm {
  VELMORA_CLASS(TPartsForm)
public:
  using TForm::TForm;
  void GridColumns0CellButtons0Click(TObject* Sender, bool& Handled)
  {
    (void)Sender;
    ++CellButtonClicks;
    Handled = true;
  }
  int CellButtonClicks = 0;
};

// A bar that counts its change notices and record notices.
class TTestAxisBarEh : public TAxisBarEh {
  VELMORA_CLASS(TTestAxisBarEh)
public:
  explicit TTestAxisBarEh(TCollection* Collection) : TAxisBarEh(Collection) {}
  void Changed(bool AllItems) override
  {
    ++ChangedCount;
    LastChangedAll = AllItems;
    TAxisBarEh::Changed(AllItems);
  }
  void RecordDataChanged(TField* Field) override
  {
    ++RecordDataChangedCount;
    LastRecordField = Field;
  }
  // The text area, when asked to give one: the cell without the in-cell
  // buttons; else the base's (which a data grid's column must give).
  void SetTextArea(TRect& ARect) override
  {
    if (!GivesTextArea) {
      TAxisBarEh::SetTextArea(ARect);
      return;
    }
    ARect.Left += GetCellEditorLeftMargin();
    ARect.Right -= GetCellEditorRightMargin() + (AlwaysShowEditButton() ? EditButtonsWidth() : 0);
  }
  bool GivesTextArea = false;
  int ChangedCount = 0;
  bool LastChangedAll = false;
  int RecordDataChangedCount = 0;
  TField* LastRecordField = nullptr;
};

// The axis grid with the least a descendant must give: a title font, a
// current column, and the bars published as "Columns".
class TTestAxisGridEh : public TCustomDBAxisGridEh {
  VELMORA_CLASS(TTestAxisGridEh)
public:
  explicit TTestAxisGridEh(TComponent* AOwner) : TCustomDBAxisGridEh(AOwner)
  {
    CreateParts();
    FTitleFont->Assign(Font());
  }

  TFont* GetTitleFont() override { return FTitleFont.get(); }
  void SetTitleFont(TFont* Value) override { FTitleFont->Assign(Value); }
  Integer GetSelectedIndex() override
  {
    return FSelectedIndex >= 0 && FSelectedIndex < AxisBars()->Count() ? FSelectedIndex : -1;
  }
  void SetSelectedIndex(Integer Value) override { FSelectedIndex = Value; }
  TGridAxisBarsEh* CreateAxisBars() override { return new TGridAxisBarsEh(this, TTestAxisBarEh::StaticClass()); }
  // Its form descriptions keep the bars under the data grid's name.
  void GetBarsPropertyName(String& Name) override { Name = QStringLiteral("Columns"); }
  TTestAxisBarEh* Bar(Integer Index) const { return static_cast<TTestAxisBarEh*>(AxisBars()->AxisBar(Index)); }

  void InternalLayout() override
  {
    ++LayoutCount;
    if (FailLayout)
      throw std::runtime_error("layout failed");
    TCustomDBAxisGridEh::InternalLayout();
  }
  bool EditorReadOnlyStated(bool& ReadOnly) override
  {
    if (!StatedReadOnly)
      return false;
    ReadOnly = *StatedReadOnly;
    return true;
  }
  void DataChanged() override { ++DataChangedCount; }
  // The bar of a data column: the columns after the fixed ones, in order.
  TAxisBarEh* ColumnBar(Integer ACol) const
  {
    const Integer I = ACol - FixedColCount();
    return I >= 0 && I < AxisBars()->Count() ? AxisBars()->AxisBar(I) : nullptr;
  }
  void UpdatePlaceBoxListForCell(Integer ACol, Integer ARow, TInCellPlaceBoxEh* PlaceBox) override
  {
    TAxisBarEh* Bar = ARow >= FixedRowCount() ? ColumnBar(ACol) : nullptr;
    if (Bar)
      FillPlaceBoxForCell(ACol, ARow, PlaceBox, Bar);
    else
      PlaceBox->Clear();
  }
  void UpdateCellTextBoundsAtPos(Integer ACol, Integer ARow) override
  {
    FHotTrackAxisBar = ARow >= FixedRowCount() ? ColumnBar(ACol) : nullptr;
    if (FHotTrackAxisBar)
      UpdateCellTextBoundsForCell(ACol, ARow, FHotTrackAxisBar);
    else
      FMouseCellTextBounds.clear();
  }

  // The bar field names, in order, joined by commas.
  std::string BarFields() const
  {
    QStringList Names;
    for (Integer I = 0; I < AxisBars()->Count(); ++I)
      Names << AxisBars()->AxisBar(I)->FieldName();
    return Names.join(QLatin1Char(',')).toStdString();
  }

  static void Register()
  {
    RegisterDBCtrlsEhClasses();
    RegisterDBAxisGridsEhClasses();
    RegisterClassInfo<TTestAxisBarEh, TAxisBarEh>("TTestAxisBarEh");
    RegisterClassInfo<TTestAxisGridEh, TCustomDBAxisGridEh>("TTestAxisGridEh")
      .Property("Columns", &TTestAxisGridEh::AxisBars, &TTestAxisGridEh::SetAxisBars)
      .Stored(false);   // written by the grid itself, and only when customized
    RegisterClassInfo<TPartsForm, TForm>("TPartsForm")
      .Handler("GridColumns0CellButtons0Click", &TPartsForm::GridColumns0CellButtons0Click);
  }

  int LayoutCount = 0;
  int DataChangedCount = 0;
  bool FailLayout = false;
  std::optional<bool> StatedReadOnly;

private:
  std::unique_ptr<TFont> FTitleFont = std::make_unique<TFont>();
  Integer FSelectedIndex = 0;
};

// The editor may change what the grid's data allows.
class TEditTestGridEh : public TTestAxisGridEh {
public:
  using TTestAxisGridEh::TTestAxisGridEh;
  bool CanEditModify() override { return CanEditModifyData(); }
  // The keys the editor hands on to the grid.
  void KeyDown(Word& Key, TShiftState Shift) override
  {
    GridKeys.push_back(Key);
    TTestAxisGridEh::KeyDown(Key, Shift);
  }
  std::vector<Word> GridKeys;
};

template <class T>
T* Find(const TComponent* Form, const char* Name)
{
  auto* C = dynamic_cast<T*>(Form->FindComponent(QString::fromLatin1(Name)));
  EXPECT_NE(C, nullptr) << Name;
  return C;
}

// The classes the tests' forms and grids are read with.
inline void RegisterTestClasses()
{
  RegisterDBClasses();
  RegisterADOClasses();
  TTestAxisGridEh::Register();
}

// An open connection to the test server.
inline std::unique_ptr<TADOConnection> OpenTestConnection()
{
  auto Db = std::make_unique<TADOConnection>(nullptr);
  Db->SetLoginPrompt(false);
  Db->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
  Db->Open();
  return Db;
}

// Runs statements on the test server, in order.
inline void ExecAll(std::initializer_list<const char*> Statements)
{
  testsupport::OdbcSession S;
  for (const char* Sql : Statements)
    S.Exec(Sql);
}

// What the test server holds now: the first value the query reads, or
// "<null>".
inline std::string Stored(const std::string& Sql)
{
  return testsupport::OdbcSession().Scalar(Sql).value_or("<null>");
}

// Two related tables: groups of parts and the parts, each in a group.
inline void MakeTables()
{
  ExecAll({
    "drop table if exists ax_part",
    "drop table if exists ax_group",
    "create table ax_group (id int4 primary key, s_name varchar(40) not null)",
    "create table ax_part (id int4 primary key, group_id int4 not null references ax_group(id),"
    " s_name varchar(40), n_qty numeric(12,3), b_done boolean, d_made date)",
    "insert into ax_group values (1, 'Крепёж'), (2, 'Электрика')",
    "insert into ax_part values (10, 1, 'Болт М8', 12.5, true, '2026-03-01'),"
    " (11, 1, 'Гайка М8', 40, false, null), (12, 2, 'Кабель', 3, null, '2026-01-15')",
  });
}

// A grid of class TGrid on a form, over a table of items whose group_id
// points at a table of groups (id, s_name); each suite makes its own tables
// and names the queries over them.
template <class TGrid = TTestAxisGridEh>
class AxisGridItemsTest : public gui_test::GuiTest {
protected:
  void SetUpItems(std::initializer_list<const char*> Tables, const char* ItemsSql, const char* GroupsSql)
  {
    GuiTest::SetUp();
    RegisterTestClasses();
    ExecAll(Tables);
    Db = OpenTestConnection();
    Items = NewQuery(ItemsSql);
    Groups = NewQuery(GroupsSql);
    Source = std::make_unique<TDataSource>(nullptr);
    Source->SetDataSet(Items.get());
    Form = new TForm(Application, 0);
    Form->SetBounds(0, 0, 500, 300);
    Grid = new TGrid(Form);
    Grid->SetParent(Form);
    Grid->SetBounds(8, 8, 480, 280);
    Grid->SetDataSource(Source.get());
  }
  void TearDown() override
  {
    // The application frees the form, after the window system is done
    // with it.
    Grid->SetDataSource(nullptr);
    Grid->HideEditor();
    Form->Hide();
    Application->ProcessMessages();
    Source.reset();
    Items.reset();
    Groups.reset();
    GuiTest::TearDown();
  }
  std::unique_ptr<TADOQuery> NewQuery(const char* Sql)
  {
    auto Q = std::make_unique<TADOQuery>(nullptr);
    Q->SetConnection(Db.get());
    Q->SQL()->SetText(QString::fromUtf8(Sql));
    return Q;
  }
  TAxisBarEh* AddBar(const char* FieldName)
  {
    TAxisBarEh* Bar = Grid->AxisBars()->Add();
    Bar->SetFieldName(QString::fromUtf8(FieldName));
    return Bar;
  }
  // The bar's lookup: keys of the grid's data by keys of DataSet, showing
  // its Display field ("a;b" names two keys).
  static TDBLookupDataEh* SetLookup(TAxisBarEh* Bar, TDataSet* DataSet, const char* LookupKeys, const char* Display,
                                    const char* Keys)
  {
    TDBLookupDataEh* L = Bar->LookupParams();
    L->SetLookupDataSet(DataSet);
    L->SetLookupKeyFieldNames(QString::fromUtf8(LookupKeys));
    L->SetLookupDisplayFieldName(QString::fromUtf8(Display));
    L->SetKeyFieldNames(QString::fromUtf8(Keys));
    return L;
  }
  // A bar of group_id showing the group's name.
  TAxisBarEh* AddGroupLookup()
  {
    TAxisBarEh* Bar = AddBar("group_id");
    SetLookup(Bar, Groups.get(), "id", "s_name", "group_id");
    return Bar;
  }
  TField* Field(const char* Name) { return Items->FieldByName(QString::fromUtf8(Name)); }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOQuery> Items, Groups;
  std::unique_ptr<TDataSource> Source;
  TForm* Form = nullptr;
  TGrid* Grid = nullptr;
};

// A form read from its description, whose query "Parts" reads the tables
// above through a connection of the test.
class AxisGridFormTest : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    RegisterTestClasses();
    MakeTables();
  }
  void ReadForm(const char* FormText)
  {
    Db = OpenTestConnection();
    Form = new TPartsForm(Application, 0);
    ReadComponentFromText(QString::fromUtf8(FormText), Form);
    Parts = Find<TADOQuery>(Form, "Parts");
    Parts->SetConnection(Db.get());
    Grid = Find<TTestAxisGridEh>(Form, "Grid");
  }
  void TearDown() override
  {
    delete Form;
    Form = nullptr;
    GuiTest::TearDown();
  }

  std::unique_ptr<TADOConnection> Db;
  TPartsForm* Form = nullptr;
  TADOQuery* Parts = nullptr;
  TTestAxisGridEh* Grid = nullptr;
};

// The form of most tests: a grid over the parts with a data source, and the
// columns the test gives (empty for a grid of default bars).
inline std::string PartsForm(const std::string& Columns)
{
  return R"(object PartsForm: TPartsForm
  Left = 0
  Top = 0
  ClientHeight = 300
  ClientWidth = 500
  object Grid: TTestAxisGridEh
    Left = 8
    Top = 8
    Width = 480
    Height = 280
    DataSource = PartsSource
)" + Columns + R"(  end
  object PartsSource: TDataSource
    DataSet = Parts
  end
  object Parts: TADOQuery
    SQL.Strings = (
      'select p.id, p.s_name, p.n_qty, p.b_done, p.d_made, g.s_name as group_name'
      'from ax_part p join ax_group g on g.id = p.group_id order by p.id')
  end
end
)";
}

} // namespace axisgrid_test
