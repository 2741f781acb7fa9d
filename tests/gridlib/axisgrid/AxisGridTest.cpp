// AxisGridTest.cpp: the axis grid over parts and their groups on the test
// server: bars from a form description, default and stored bars through
// open, close and field changes, the layout locks, the edit rules and the
// write-back of edited text.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "tests/gridlib/axisgrid/AxisGridTestSupport.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

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

// ---------------------------------------------------------------------------
// Form descriptions written and read again.

// The part of a written description that belongs to the grid.
QString GridPart(const QString& Text)
{
  const qsizetype From = Text.indexOf(QStringLiteral("  object Grid:"));
  const qsizetype To = From < 0 ? -1 : Text.indexOf(QStringLiteral("\n  end\n"), From);
  return To < 0 ? QString() : Text.mid(From, To - From);
}

TEST_F(AxisGridTest, DescriptionRoundTripKeepsOwnValuesAndWritesNoDefaults)
{
  ReadForm(PartsForm(StoredColumns).c_str());
  Grid->Bar(0)->SetColor(clMoneyGreen);
  Grid->Bar(0)->SetDropDownRows(12);
  Grid->Bar(2)->SetVisible(false);
  Grid->Bar(2)->SetIncrement(0.5);
  Grid->Border()->SetEdgeBorders(TEdgeBorders{ebLeft, ebBottom});
  const QString Text = WriteComponentToText(Form);
  const QString Part = GridPart(Text);
  ASSERT_FALSE(Part.isEmpty()) << Text.toStdString();
  EXPECT_EQ(Part.count(QStringLiteral("Columns = <")), 1) << Part.toStdString();
  for (const char* Written : {"DropDownRows = 12", "Visible = False", "Increment = 0.5", "Alignment = taCenter",
                              "ReadOnly = True", "OnClick = GridColumns0CellButtons0Click",
                              "Border.EdgeBorders = [ebLeft, ebBottom]"})
    EXPECT_TRUE(Part.contains(QString::fromLatin1(Written))) << Written;
  // Values at their defaults, and values that follow the grid, stay out.
  for (const char* Default : {"DropDownRows = 7", "Visible = True", "Increment = 1", "CaseInsensitiveTextSearch",
                              "NotInKeyListIndex", "ButtonStyle", "WordWrap", "Checkboxes", "TextEditing",
                              "EndEllipsis", "ToolTips", "Layout"})
    EXPECT_FALSE(Part.contains(QString::fromLatin1(Default))) << Default;
  EXPECT_TRUE(Part.contains(QRegularExpression(QStringLiteral("item\\s+FieldName = 'no_such_field'\\s+end"))))
    << "a bar of defaults keeps only its field name";

  auto* Again = new TPartsForm(Application, 0);
  std::unique_ptr<TPartsForm> Owned(Again);
  ReadComponentFromText(Text, Again);
  auto* Read = Find<TTestAxisGridEh>(Again, "Grid");
  ASSERT_EQ(Read->AxisBars()->Count(), 3);
  EXPECT_EQ(Read->AxisBars()->State(), csCustomized);
  EXPECT_EQ(Read->BarFields(), "s_name,no_such_field,n_qty");
  EXPECT_EQ(Read->Bar(0)->Color(), clMoneyGreen);
  EXPECT_EQ(Read->Bar(0)->DropDownRows(), 12);
  EXPECT_EQ(Read->Bar(0)->Title()->Caption(), QStringLiteral("Наименование"));
  ASSERT_EQ(Read->Bar(0)->CellButtons()->Count(), 1);
  bool Handled = false;
  Read->Bar(0)->CellButtons()->Items(0)->OnClick(nullptr, Handled);
  EXPECT_EQ(Again->CellButtonClicks, 1) << "bound to the new form's handler";
  EXPECT_TRUE(Read->Bar(1)->AssignedValues().Empty());
  EXPECT_EQ(Read->Bar(1)->Color(), Read->Color());
  EXPECT_EQ(Read->Bar(2)->Alignment(), taCenter);
  EXPECT_TRUE(Read->Bar(2)->IsReadOnlyStored());
  EXPECT_FALSE(Read->Bar(2)->Visible());
  EXPECT_DOUBLE_EQ(Read->Bar(2)->Increment(), 0.5);
  EXPECT_EQ(Read->Border()->EdgeBorders(), (TEdgeBorders{ebLeft, ebBottom}));
  EXPECT_EQ(GridPart(WriteComponentToText(Again)), Part) << "written again word for word";
}

// A grid description without bars, with a designer's notes, or with a
// damaged value of its bars.
TEST_F(AxisGridTest, DescriptionsWithoutBarsWithDesignNotesOrDamagedBars)
{
  struct Case {
    const char* Name;
    std::string Columns;
    const char* Error;     // nullptr: reads
    const char* Fields;    // the bars once the parts are open
    TDBGridColumnsState State;
  };
  const Case Cases[] = {
    {"no bars", "", nullptr, "id,s_name,n_qty,b_done,d_made,group_name", csDefault},
    {"design notes skipped",
     "    DesignInfoCollection = <\n      item\n        Name = 'Layout1'\n        Size = 3\n      end>\n"
     "    Columns = <\n      item\n        FieldName = 'n_qty'\n      end>\n",
     nullptr, "n_qty", csCustomized},
    {"design notes of another kind", "    DesignInfoCollection = 'text'\n", nullptr,
     "id,s_name,n_qty,b_done,d_made,group_name", csDefault},
    {"bars not a collection", "    Columns = 5\n", "Error reading Grid.Columns", nullptr, csDefault},
    {"bar with an unknown property", "    Columns = <\n      item\n        Colour = clRed\n      end>\n",
     "Colour", nullptr, csDefault},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    if (C.Error) {
      try {
        ReadForm(PartsForm(C.Columns).c_str());
        ADD_FAILURE() << "read without an error";
      } catch (const Exception& E) {
        EXPECT_TRUE(E.Message().contains(QString::fromLatin1(C.Error))) << E.Message().toStdString();
      }
      delete Form;
      Form = nullptr;
      continue;
    }
    ReadForm(PartsForm(C.Columns).c_str());
    Parts->Open();
    EXPECT_EQ(Grid->BarFields(), C.Fields);
    EXPECT_EQ(Grid->AxisBars()->State(), C.State);
    const QString Part = GridPart(WriteComponentToText(Form));
    EXPECT_EQ(Part.contains(QStringLiteral("Columns")), C.State == csCustomized)
      << "default bars come from the dataset again: " << Part.toStdString();
    EXPECT_FALSE(Part.contains(QStringLiteral("DesignInfoCollection")));
    delete Form;
    Form = nullptr;
  }
}

// An inherited form writes its grid's bars only where they differ from the
// ancestor's.
TEST_F(AxisGridTest, DescendantDescriptionHoldsBarsOnlyWhenTheyDiffer)
{
  ReadForm(PartsForm(StoredColumns).c_str());
  std::unique_ptr<TPartsForm> Ancestor(new TPartsForm(Application, 0));
  ReadComponentFromText(WriteComponentToText(Form), Ancestor.get());
  auto Descendant = [&] {
    TMemoryStream Binary;
    Binary.WriteDescendent(Form, Ancestor.get());
    Binary.SetPosition(0);
    TMemoryStream Text;
    ObjectBinaryToText(&Binary, &Text);
    return QString::fromUtf8(Text.Bytes());
  };
  EXPECT_FALSE(Descendant().contains(QStringLiteral("Columns"))) << Descendant().toStdString();
  Grid->Bar(1)->SetColor(clYellow);
  const QString Changed = Descendant();
  EXPECT_TRUE(Changed.contains(QStringLiteral("Columns = <"))) << Changed.toStdString();
  EXPECT_EQ(Changed.count(QStringLiteral("FieldName = ")), 3) << "the bars as a whole: " << Changed.toStdString();
  Grid->AxisBars()->SetState(csDefault);
  EXPECT_TRUE(Descendant().contains(QStringLiteral("Columns = <"))) << "default bars where the ancestor has its own";
}

} // namespace
