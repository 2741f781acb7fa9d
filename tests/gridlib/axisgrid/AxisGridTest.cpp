// AxisGridTest.cpp: the axis grid over parts and their groups on the test
// server: bars from a form description, default and stored bars through
// open, close and field changes, the layout locks, the edit rules and the
// write-back of edited text.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "tests/gridlib/axisgrid/AxisGridTestSupport.h"

#include <gtest/gtest.h>

using namespace axisgrid_test;

namespace {

const char* StoredColumns = R"(    Columns = <
      item
        CellButtons = <
          item
            Style = ebsEllipsisEh
            HorzPlacement = ebhpLeftEh
            OnClick = GridColumns0CellButtons0Click
          end>
        FieldName = 's_name'
        Title.Caption = 'Наименование'
      end
      item
        FieldName = 'no_such_field'
      end
      item
        Alignment = taCenter
        FieldName = 'n_qty'
        ReadOnly = True
      end>
)";

class AxisGridTest : public AxisGridFormTest {};

TEST_F(AxisGridTest, StoredBarsFromTheDescriptionStayAndMapSparsely)
{
  ReadForm(PartsForm(StoredColumns).c_str());
  ASSERT_EQ(Grid->AxisBars()->Count(), 3);
  EXPECT_EQ(Grid->AxisBars()->State(), csCustomized);
  TTestAxisBarEh* Name = Grid->Bar(0);
  EXPECT_EQ(Name->Title()->Caption(), QStringLiteral("Наименование"));
  ASSERT_EQ(Name->CellButtons()->Count(), 1);
  TCellButtonEh* Button = Name->CellButtons()->Items(0);
  EXPECT_EQ(Button->Style(), ebsEllipsisEh);
  EXPECT_EQ(Button->HorzPlacement(), ebhpLeftEh);
  ASSERT_TRUE(bool(Button->OnClick)) << "bound by name to the form's handler";
  bool Handled = false;
  Button->OnClick(Button, Handled);
  EXPECT_EQ(Form->CellButtonClicks, 1);
  EXPECT_EQ(Grid->Bar(2)->Alignment(), taCenter);
  EXPECT_TRUE(Grid->Bar(2)->IsReadOnlyStored());

  Parts->Open();
  EXPECT_TRUE(Grid->DataLink()->SparseMap());
  EXPECT_EQ(Grid->FieldCount(), 3);
  EXPECT_EQ(Grid->Fields(0), Parts->FieldByName(QStringLiteral("s_name")));
  EXPECT_EQ(Grid->Fields(1), nullptr);
  EXPECT_FALSE(Grid->ValidFieldIndex(1));
  EXPECT_FALSE(Grid->DataLink()->DefaultFields());
  EXPECT_EQ(Grid->BarFields(), "s_name,no_such_field,n_qty") << "unbound stored bars stay";
  EXPECT_EQ(Grid->Bar(2)->Field(), Parts->FieldByName(QStringLiteral("n_qty")));

  Parts->Close();
  EXPECT_EQ(Grid->BarFields(), "s_name,no_such_field,n_qty");
  EXPECT_EQ(Grid->Bar(0)->Field(), nullptr) << "the closed dataset's fields are gone";
  Parts->Open();
  EXPECT_EQ(Grid->Bar(0)->Field(), Parts->FieldByName(QStringLiteral("s_name")));
}

TEST_F(AxisGridTest, DefaultBarsFollowTheDatasetFields)
{
  ReadForm(PartsForm("").c_str());
  EXPECT_EQ(Grid->AxisBars()->Count(), 1) << "one empty bar without data";
  EXPECT_EQ(Grid->RowCount(), 2);
  EXPECT_EQ(Grid->ColCount(), 2);
  EXPECT_EQ(Grid->FieldCount(), 0);

  Parts->Open();
  EXPECT_EQ(Grid->BarFields(), "id,s_name,n_qty,b_done,d_made,group_name");
  EXPECT_EQ(Grid->AxisBars()->State(), csDefault);
  EXPECT_FALSE(Grid->Bar(1)->Stored());
  EXPECT_EQ(Grid->Bar(1)->Field(), Parts->FieldByName(QStringLiteral("s_name")));

  Parts->FieldByName(QStringLiteral("n_qty"))->SetVisible(false);
  EXPECT_EQ(Grid->BarFields(), "id,s_name,b_done,d_made,group_name") << "a hidden field loses its bar";

  // A default bar writes its caption and read-only state into its field.
  Grid->Bar(1)->Title()->SetCaption(QStringLiteral("Деталь"));
  EXPECT_EQ(Parts->FieldByName(QStringLiteral("s_name"))->DisplayLabel(), QStringLiteral("Деталь"));
  EXPECT_EQ(Grid->Bar(1)->Title()->Caption(), QStringLiteral("Деталь"));
  Grid->Bar(1)->SetReadOnly(true);
  EXPECT_TRUE(Parts->FieldByName(QStringLiteral("s_name"))->ReadOnly());
  EXPECT_FALSE(Grid->Bar(1)->AssignedValues().Contains(cvReadOnly));

  Parts->Close();
  EXPECT_EQ(Grid->AxisBars()->Count(), 1) << "default bars go with the default fields";
  EXPECT_EQ(Grid->Bar(0)->FieldName(), QString());
  Parts->Open();
  EXPECT_EQ(Grid->BarFields(), "id,s_name,n_qty,b_done,d_made,group_name");
}

TEST_F(AxisGridTest, StoredBarAfterDefaultBarsReplacesThem)
{
  ReadForm(PartsForm("").c_str());
  Parts->Open();
  ASSERT_EQ(Grid->AxisBars()->Count(), 6);
  Grid->AxisBars()->Add()->SetFieldName(QStringLiteral("group_name"));
  EXPECT_EQ(Grid->BarFields(), "group_name");
  EXPECT_EQ(Grid->AxisBars()->State(), csCustomized);
  EXPECT_EQ(Grid->Bar(0)->Field(), Parts->FieldByName(QStringLiteral("group_name")));

  Grid->AxisBars()->RebuildBars();
  EXPECT_EQ(Grid->BarFields(), "id,s_name,n_qty,b_done,d_made,group_name") << "one stored bar per field";
  EXPECT_TRUE(Grid->Bar(0)->Stored());
  Grid->AxisBars()->SetState(csDefault);
  EXPECT_EQ(Grid->AxisBars()->Count(), 0);
  Grid->LayoutChanged();
  EXPECT_EQ(Grid->BarFields(), "id,s_name,n_qty,b_done,d_made,group_name");
  EXPECT_FALSE(Grid->Bar(0)->Stored());
}

TEST_F(AxisGridTest, LayoutRunsOnceWhenTheLocksEnd)
{
  ReadForm(PartsForm("").c_str());
  Parts->Open();
  const int Start = Grid->LayoutCount;

  Grid->BeginLayout();
  Grid->BeginLayout();
  for (int I = 0; I < 3; ++I)
    Grid->LayoutChanged();
  Grid->EndLayout();
  EXPECT_EQ(Grid->LayoutCount, Start) << "nothing until the outermost lock ends";
  Grid->EndLayout();
  EXPECT_EQ(Grid->LayoutCount, Start + 1);

  Grid->BeginUpdateLock();
  Grid->LayoutChanged();
  Grid->LayoutChanged();
  EXPECT_EQ(Grid->LayoutCount, Start + 1);
  Grid->EndUpdateLock();
  EXPECT_EQ(Grid->LayoutCount, Start + 2) << "once at the last update lock";
  Grid->EndUpdateLock();
  EXPECT_EQ(Grid->UpdateLock(), 0) << "an extra end does not go below zero";
}

TEST_F(AxisGridTest, LocksCloseWhenTheLayoutRaises)
{
  ReadForm(PartsForm("").c_str());
  Parts->Open();
  Grid->FailLayout = true;
  EXPECT_THROW(Grid->LayoutChanged(), std::runtime_error);
  EXPECT_EQ(Grid->LayoutLock(), 0);
  EXPECT_EQ(Grid->UpdateLock(), 0);
  EXPECT_EQ(Grid->AxisBars()->UpdateCount(), 0);
  EXPECT_FALSE(Grid->IsPaintLocked());
  Grid->FailLayout = false;
  Parts->FieldByName(QStringLiteral("id"))->SetVisible(false);
  EXPECT_EQ(Grid->BarFields(), "s_name,n_qty,b_done,d_made,group_name") << "later layouts still run";
}

TEST_F(AxisGridTest, DeferredLayoutIsQueuedOnce)
{
  ReadForm(PartsForm("").c_str());
  Parts->Open();
  Form->Show();
  Application->ProcessMessages();
  const int Start = Grid->LayoutCount;
  for (int I = 0; I < 2; ++I) {
    Grid->BeginLayout();
    Grid->EndLayoutDeferred();
  }
  EXPECT_EQ(Grid->LayoutLock(), 0);
  EXPECT_EQ(Grid->UpdateLock(), 0);
  EXPECT_EQ(Grid->LayoutCount, Start);
  Application->ProcessMessages();
  EXPECT_EQ(Grid->LayoutCount, Start + 1);

  // A layout that runs first takes the queued message away.
  Grid->BeginLayout();
  Grid->EndLayoutDeferred();
  Grid->LayoutChanged();
  Application->ProcessMessages();
  EXPECT_EQ(Grid->LayoutCount, Start + 2);
}

TEST_F(AxisGridTest, PostFromEditTellsEveryBarButCancelledInsertDoesNot)
{
  ReadForm(PartsForm("").c_str());
  Parts->Open();
  Parts->Edit();
  Parts->Cancel();
  for (Integer I = 0; I < Grid->AxisBars()->Count(); ++I) {
    SCOPED_TRACE(I);
    EXPECT_GE(Grid->Bar(I)->RecordDataChangedCount, 1);
    EXPECT_EQ(Grid->Bar(I)->LastRecordField, nullptr);
  }
  const int Before = Grid->Bar(0)->RecordDataChangedCount;
  Parts->Insert();
  Parts->Cancel();
  EXPECT_EQ(Grid->Bar(0)->RecordDataChangedCount, Before);
}

TEST_F(AxisGridTest, RemovedDataSourceLeavesTheGrid)
{
  ReadForm(PartsForm("").c_str());
  Parts->Open();
  delete Find<TDataSource>(Form, "PartsSource");
  EXPECT_EQ(Grid->DataSource(), nullptr);
  EXPECT_EQ(Grid->AxisBars()->Count(), 1);
}

TEST_F(AxisGridTest, FieldsFreedWhileControlsAreDisabledAreForgotten)
{
  ReadForm(PartsForm(StoredColumns).c_str());
  Parts->Open();
  const int Start = Grid->LayoutCount;
  Parts->DisableControls();
  Parts->Close();
  EXPECT_EQ(Grid->Bar(0)->Field(), nullptr) << "no bar keeps a freed field";
  EXPECT_EQ(Grid->Bar(2)->Field(), nullptr);
  EXPECT_EQ(Grid->LayoutCount, Start) << "no layout while the controls are disabled";
  Parts->Open();
  Parts->EnableControls();
  EXPECT_EQ(Grid->Bar(0)->Field(), Parts->FieldByName(QStringLiteral("s_name")));
}

TEST_F(AxisGridTest, ReadOnlyRefreshesDataButNotWhileReading)
{
  ReadForm(PartsForm("    ReadOnly = True\n").c_str());
  EXPECT_TRUE(Grid->ReadOnly());
  EXPECT_EQ(Grid->DataChangedCount, 0) << "not while the description is read";
  Parts->Open();
  const int Before = Grid->DataChangedCount;
  Grid->SetReadOnly(false);
  EXPECT_EQ(Grid->DataChangedCount, Before + 1);
  Grid->SetReadOnly(false);
  EXPECT_EQ(Grid->DataChangedCount, Before + 1) << "unchanged";
}

// Which operations may change data, by allowed operations, dataset state and
// read-only flags. The grid's checks come before any edit state is entered.
TEST_F(AxisGridTest, EditRules)
{
  ReadForm(PartsForm("").c_str());
  const TDBGridEhAllowedOperations All{alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh};
  struct Case {
    const char* Name;
    TDBGridEhAllowedOperations Allowed;
    bool Inserting;
    bool GridReadOnly;
    bool LinkReadOnly;
    std::optional<bool> EditorReadOnly;
    bool ByAllowed;
    bool ModifyData;
    TDataSetState StateAfter;
  };
  const Case Cases[] = {
    {"all allowed", All, false, false, false, {}, true, true, dsEdit},
    {"nothing allowed, browsing", {}, false, false, false, {}, false, true, dsBrowse},
    {"nothing allowed, inserting", {}, true, false, false, {}, true, true, dsInsert},
    {"insert only, browsing", {alopInsertEh}, false, false, false, {}, false, true, dsBrowse},
    {"read-only grid", All, false, true, false, {}, true, false, dsBrowse},
    {"read-only grid, editor made writable", All, false, true, false, false, true, false, dsBrowse},
    {"read-only link, editor made writable", All, false, false, true, false, true, false, dsBrowse},
    {"editor made writable", {}, false, false, false, false, false, true, dsEdit},
    {"editor made read-only", All, false, false, false, true, true, false, dsBrowse},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    Parts->Open();
    Grid->SetSelectedIndex(1);
    Grid->SetAllowedOperations(C.Allowed);
    Grid->SetReadOnly(C.GridReadOnly);
    Grid->DataLink()->SetReadOnly(C.LinkReadOnly);
    Grid->StatedReadOnly = C.EditorReadOnly;
    if (C.Inserting)
      Parts->Insert();
    EXPECT_EQ(Grid->CanEditByAllowedOperations(), C.ByAllowed);
    EXPECT_EQ(Grid->CanEditModifyData(), C.ModifyData);
    EXPECT_EQ(Parts->State(), C.StateAfter);
    EXPECT_EQ(Grid->DataLink()->IsModified(), C.StateAfter != dsBrowse && C.ModifyData);
    Parts->Cancel();
    Parts->Close();
  }
}

TEST_F(AxisGridTest, BarsThatCannotChangeTheirValueKeepTheDatasetBrowsing)
{
  ReadForm(PartsForm(StoredColumns).c_str());
  Parts->Open();
  Grid->SetSelectedIndex(2);
  EXPECT_TRUE(Grid->CanEditModifyData()) << "the field itself can change";
  EXPECT_EQ(Parts->State(), dsBrowse) << "but the read-only bar does not start editing";
  Grid->SetSelectedIndex(1);
  EXPECT_FALSE(Grid->CanEditModifyData()) << "a bar without a field";
}

TEST_F(AxisGridTest, EditedTextIsWrittenIntoTheSelectedField)
{
  ReadForm(PartsForm("").c_str());
  Parts->Open();
  Grid->SetSelectedIndex(1);
  ASSERT_TRUE(Grid->CanEditModifyData());
  Grid->SetEditText(Grid->Col(), Grid->Row(), QStringLiteral("Болт М10"));
  Grid->UpdateData();
  EXPECT_EQ(Parts->FieldByName(QStringLiteral("s_name"))->AsString(), QStringLiteral("Болт М10"));
  EXPECT_EQ(Grid->GetEditLimit(), 40);
  Parts->Cancel();
  EXPECT_EQ(Parts->FieldByName(QStringLiteral("s_name"))->AsString(), QStringLiteral("Болт М8"));
}

TEST_F(AxisGridTest, FieldValuesAsIntegers)
{
  ReadForm(PartsForm("").c_str());
  Parts->SQL()->SetText(QStringLiteral("select 3000000000.5::float8 as f, null::numeric(10,2) as b, 42::int4 as i,"
                                       " 5000000000::int8 as l, -7.9::float8 as g, 12.0::numeric(10,2) as n"));
  Parts->Open();
  struct Case {
    const char* Field;
    Integer Expected;
  };
  const Case Cases[] = {{"f", -1}, {"b", -1}, {"i", 42}, {"l", -1}, {"g", -7}, {"n", 12}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Field);
    EXPECT_EQ(FieldAsIntegerDefEh(Parts->FieldByName(QString::fromLatin1(C.Field)), -1), C.Expected);
  }
}

TEST_F(AxisGridTest, DateTimeUnitsOfABar)
{
  ReadForm(PartsForm("").c_str());
  Parts->Open();
  TTestAxisBarEh* Made = Grid->Bar(4);
  ASSERT_EQ(Made->FieldName(), QStringLiteral("d_made"));
  EXPECT_EQ(GetBarDateTimeUnitsEh(Made), (TCalendarDateTimeUnitsEh{cdtuYearEh, cdtuMonthEh, cdtuDayEh}));
  Made->SetDisplayFormat(QStringLiteral("hh:nn"));
  EXPECT_EQ(GetBarDateTimeUnitsEh(Made), (TCalendarDateTimeUnitsEh{cdtuHourEh, cdtuMinuteEh}));
  EXPECT_EQ(GetBarDateTimeUnitsEh(Grid->Bar(1)), TCalendarDateTimeUnitsEh{});
}

} // namespace
