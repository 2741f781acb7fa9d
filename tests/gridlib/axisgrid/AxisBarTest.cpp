// AxisBarTest.cpp: bars of an axis grid without data: own values against
// the grid's defaults, copying, the kind of a bar, the collection's stream
// and names, and the shared routines.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "platform/gui/ImgList.h"
#include "tests/gridlib/axisgrid/AxisGridTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace axisgrid_test;

namespace {

class AxisBarTest : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    TTestAxisGridEh::Register();
    Grid = new TTestAxisGridEh(nullptr);
  }
  void TearDown() override
  {
    delete Grid;
    GuiTest::TearDown();
  }
  TTestAxisBarEh* AddBar()
  {
    return static_cast<TTestAxisBarEh*>(Grid->AxisBars()->Add());
  }
  TTestAxisGridEh* Grid = nullptr;
};

// One flag of a bar that falls back to the grid's column defaults.
struct FlagCase {
  const char* Name;
  std::function<bool(TAxisBarEh*)> Get;
  std::function<void(TAxisBarEh*, bool)> Set;
  std::function<void(TAxisBarDefValuesEh*, bool)> SetDefault;
  std::function<bool(TAxisBarEh*)> IsStored;
  bool FiresChanged;
};

TEST_F(AxisBarTest, FlagsFollowTheGridDefaultsUntilOwnAndRestore)
{
  using B = TAxisBarEh;
  using D = TAxisBarDefValuesEh;
  const FlagCase Cases[] = {
    {"AlwaysShowEditButton", &B::AlwaysShowEditButton, &B::SetAlwaysShowEditButton, &D::SetAlwaysShowEditButton,
     &B::IsAlwaysShowEditButtonStored, true},
    {"AutoDropDown", &B::AutoDropDown, &B::SetAutoDropDown, &D::SetAutoDropDown, &B::IsAutoDropDownStored, false},
    {"DblClickNextVal", &B::DblClickNextVal, &B::SetDblClickNextVal, &D::SetDblClickNextVal,
     &B::IsDblClickNextValStored, false},
    {"DropDownShowTitles", &B::DropDownShowTitles, &B::SetDropDownShowTitles, &D::SetDropDownShowTitles,
     &B::IsDropDownShowTitlesStored, false},
    {"DropDownSizing", &B::DropDownSizing, &B::SetDropDownSizing, &D::SetDropDownSizing, &B::IsDropDownSizingStored,
     false},
    {"EndEllipsis", &B::EndEllipsis, &B::SetEndEllipsis, &D::SetEndEllipsis, &B::IsEndEllipsisStored, true},
    {"HighlightRequired", &B::HighlightRequired, &B::SetHighlightRequired, &D::SetHighlightRequired,
     &B::IsHighlightRequiredStored, true},
    {"ToolTips", &B::ToolTips, &B::SetToolTips, &D::SetToolTips, &B::IsToolTipsStored, false},
  };
  for (const FlagCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TTestAxisBarEh* Bar = AddBar();
    EXPECT_FALSE(C.Get(Bar));
    C.SetDefault(Grid->ColumnDefValues(), true);
    EXPECT_TRUE(C.Get(Bar)) << "the default comes from the grid";
    EXPECT_FALSE(C.IsStored(Bar));

    // Own but equal to the default: not written to the description.
    const int Before = Bar->ChangedCount;
    C.Set(Bar, true);
    EXPECT_FALSE(C.IsStored(Bar));
    // Own and different: written.
    C.Set(Bar, false);
    EXPECT_FALSE(C.Get(Bar));
    EXPECT_TRUE(C.IsStored(Bar));
    EXPECT_EQ(Bar->ChangedCount > Before, C.FiresChanged);

    // The default moving no longer moves the own value.
    C.SetDefault(Grid->ColumnDefValues(), false);
    EXPECT_FALSE(C.Get(Bar));
    C.SetDefault(Grid->ColumnDefValues(), true);
    EXPECT_FALSE(C.Get(Bar));

    Bar->RestoreDefaults();
    EXPECT_TRUE(C.Get(Bar)) << "restored to the grid's default";
    EXPECT_FALSE(C.IsStored(Bar));
    C.SetDefault(Grid->ColumnDefValues(), false);
  }
}

TEST_F(AxisBarTest, ColourFontAndReadOnlyDefaultToTheGrid)
{
  TTestAxisBarEh* Bar = AddBar();
  Grid->SetColor(clYellow);
  EXPECT_EQ(Bar->Color(), clYellow);
  Bar->SetColor(clYellow);
  EXPECT_TRUE(Bar->AssignedValues().Contains(cvColor));
  EXPECT_FALSE(Bar->IsColorStored()) << "own but equal to the default";
  Grid->SetColor(clAqua);
  EXPECT_EQ(Bar->Color(), clYellow);
  EXPECT_TRUE(Bar->IsColorStored());

  Grid->Font()->SetSize(14);
  EXPECT_EQ(Bar->Font()->Size(), 14) << "the bar's font follows the grid's";
  EXPECT_FALSE(Bar->IsFontStored());
  Bar->Font()->SetStyle({fsBold});
  EXPECT_TRUE(Bar->IsFontStored()) << "a change of the font object makes it own";
  Grid->Font()->SetSize(9);
  EXPECT_EQ(Bar->Font()->Size(), 14);

  EXPECT_FALSE(Bar->ReadOnly());
  Grid->SetReadOnly(true);
  EXPECT_TRUE(Bar->ReadOnly());
  EXPECT_FALSE(Bar->IsReadOnlyStored());

  Bar->RestoreDefaults();
  EXPECT_EQ(Bar->Color(), clAqua);
  EXPECT_EQ(Bar->Font()->Size(), 9);
  EXPECT_TRUE(Bar->AssignedValues().Empty());
}

TEST_F(AxisBarTest, WordWrapIsOwnWithoutChangeWhenEqual)
{
  TTestAxisBarEh* Bar = AddBar();
  const int Before = Bar->ChangedCount;
  Bar->SetWordWrap(false);
  EXPECT_TRUE(Bar->IsWordWrapStored());
  EXPECT_EQ(Bar->ChangedCount, Before) << "same effective value";
  Bar->SetWordWrap(true);
  EXPECT_EQ(Bar->ChangedCount, Before + 1);
}

TEST_F(AxisBarTest, TitleValuesFollowTheTitleDefaults)
{
  TTestAxisBarEh* Bar = AddBar();
  Bar->SetFieldName(QStringLiteral("s_name"));
  TAxisBarTitleEh* Title = Bar->Title();
  EXPECT_EQ(Title->Caption(), QStringLiteral("s_name")) << "without a field: the field name";
  EXPECT_EQ(Title->Color(), Grid->FixedColor());
  Grid->ColumnDefValues()->Title()->SetColor(clLime);
  Grid->ColumnDefValues()->Title()->SetAlignment(taCenter);
  EXPECT_EQ(Title->Color(), clLime);
  EXPECT_EQ(Title->Alignment(), taCenter);

  Title->SetCaption(QStringLiteral("Наименование"));
  Title->SetColor(clLime);
  EXPECT_TRUE(Title->IsCaptionStored());
  EXPECT_FALSE(Title->IsColorStored()) << "own but equal to the default";
  Title->SetToolTips(true);
  EXPECT_TRUE(Bar->AssignedValues().Contains(cvTitleToolTips));

  Grid->TitleFont()->SetSize(15);
  EXPECT_EQ(Title->Font()->Size(), 15);
  Title->Font()->SetSize(8);
  EXPECT_TRUE(Title->IsFontStored());

  Title->RestoreDefaults();
  EXPECT_EQ(Title->Caption(), QStringLiteral("s_name"));
  EXPECT_EQ(Title->Font()->Size(), 15);
  EXPECT_FALSE(Bar->AssignedValues().Contains(cvTitleCaption));
  EXPECT_FALSE(Bar->AssignedValues().Contains(cvTitleToolTips));
}

TEST_F(AxisBarTest, AssignCopiesDefaultsAsOwnValuesButKeepsColourDefault)
{
  Grid->ColumnDefValues()->SetEndEllipsis(true);
  Grid->ColumnDefValues()->SetLayout(tlCenter);
  TTestAxisBarEh* Source = AddBar();
  Source->SetFieldName(QStringLiteral("n_qty"));
  Source->SetAlignment(taRightJustify);
  Source->Title()->SetCaption(QStringLiteral("Кол-во"));
  Source->PickList()->Add(QStringLiteral("один"));
  Source->SetVisible(false);

  TTestAxisBarEh* Target = AddBar();
  Target->SetColor(clRed);
  Target->Assign(Source);

  EXPECT_EQ(Target->FieldName(), QStringLiteral("n_qty"));
  EXPECT_EQ(Target->Alignment(), taRightJustify);
  EXPECT_EQ(Target->Title()->Caption(), QStringLiteral("Кол-во"));
  EXPECT_EQ(Target->PickList()->Text(), Source->PickList()->Text());
  EXPECT_FALSE(Target->Visible());
  EXPECT_FALSE(Target->AssignedValues().Contains(cvColor)) << "a default colour stays a default";
  EXPECT_EQ(Target->Color(), Grid->Color());
  for (TAxisBarEhValue V : {cvEndEllipsis, cvAutoDropDown, cvAlwaysShowEditButton, cvWordWrap, cvToolTips,
                            cvDblClickNextVal, cvDropDownSizing, cvDropDownShowTitles, cvLayout}) {
    SCOPED_TRACE(int(V));
    EXPECT_TRUE(Target->AssignedValues().Contains(V)) << "copied through its setter";
  }
  Grid->ColumnDefValues()->SetEndEllipsis(false);
  EXPECT_TRUE(Target->EndEllipsis()) << "no longer follows the default";
  EXPECT_THROW(Target->Assign(Grid->ColumnDefValues()), EConvertError);
}

TEST_F(AxisBarTest, BarKindByTheFirstRuleThatHolds)
{
  auto* Images = new TImageList(Grid);
  auto* Source = new TDataSource(Grid);
  struct Case {
    const char* Name;
    std::function<void(TAxisBarEh*)> Setup;
    TAxisBarEhType Expected;
  };
  const Case Cases[] = {
    {"plain", [](TAxisBarEh*) {}, ctCommon},
    {"pick list", [](TAxisBarEh* B) { B->PickList()->Add(QStringLiteral("a")); }, ctPickList},
    {"key and pick list",
     [](TAxisBarEh* B) {
       B->PickList()->Add(QStringLiteral("Да"));
       B->KeyList()->Add(QStringLiteral("1"));
     },
     ctKeyPickList},
    {"image list", [&](TAxisBarEh* B) { B->SetImageList(Images); }, ctKeyImageList},
    {"image list with text and both lists",
     [&](TAxisBarEh* B) {
       B->SetImageList(Images);
       B->SetShowImageAndText(true);
       B->PickList()->Add(QStringLiteral("Да"));
       B->KeyList()->Add(QStringLiteral("1"));
     },
     ctKeyPickList},
    {"list source", [&](TAxisBarEh* B) { B->DropDownBox()->SetListSource(Source); }, ctDataList},
    {"check boxes over a list source",
     [&](TAxisBarEh* B) {
       B->DropDownBox()->SetListSource(Source);
       B->SetCheckboxes(true);
     },
     ctCheckboxes},
    {"empty lists", [](TAxisBarEh* B) { B->PickList(); B->KeyList(); }, ctCommon},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TTestAxisBarEh* Bar = AddBar();
    C.Setup(Bar);
    EXPECT_EQ(Bar->GetBarType(), C.Expected);
  }
}

TEST_F(AxisBarTest, EditorButtonHeightTakesTheSmallestCandidate)
{
  TTestAxisBarEh* Bar = AddBar();
  Bar->EditButtons()->Add()->SetWidth(12);
  EXPECT_EQ(Bar->CalcInplaceEditorButtonHeight(), Grid->InplaceEditorButtonHeight())
    << "the main button without a width counts 0";
  EXPECT_THROW(
    {
      TRect R;
      Bar->SetTextArea(R);
    },
    Exception);
}

TEST_F(AxisBarTest, NamesCarryTheIndexAndFollowMoves)
{
  for (const char* Name : {"id", "s_name", "NAME"})
    AddBar()->SetFieldName(QString::fromLatin1(Name));
  EXPECT_EQ(Grid->Bar(2)->GetBarName(), QStringLiteral("Column_2_NAME"));
  Grid->Bar(2)->SetIndex(0);
  EXPECT_EQ(Grid->AxisBars()->FindBarByName(QStringLiteral("Column_0_NAME")), Grid->Bar(0));
  EXPECT_EQ(Grid->AxisBars()->FindBarByName(QStringLiteral("Column_2_NAME")), nullptr);
  EXPECT_EQ(Grid->AxisBars()->FindBarByName(QStringLiteral("column_0_name")), nullptr) << "exact match only";
  EXPECT_EQ(Grid->FindFieldColumn(QStringLiteral("S_NAME")), Grid->Bar(2)) << "field names ignore case";
  EXPECT_THROW(Grid->GetFieldAxisBars(QStringLiteral("nothing")), EInvalidGridOperationEh);
}

TEST_F(AxisBarTest, StateFollowsTheFirstBar)
{
  EXPECT_EQ(Grid->AxisBars()->State(), csDefault);
  Grid->AxisBars()->AddDefaultBar();
  EXPECT_EQ(Grid->AxisBars()->State(), csDefault);
  Grid->AxisBars()->SetState(csCustomized);
  EXPECT_EQ(Grid->AxisBars()->Count(), 0) << "without a dataset nothing is added";
}

TEST_F(AxisBarTest, StreamOfThreeBarsReplacesFive)
{
  for (const char* Name : {"id", "s_name", "n_qty"})
    AddBar()->SetFieldName(QString::fromLatin1(Name));
  Grid->Bar(1)->Title()->SetCaption(QStringLiteral("Наименование"));
  Grid->Bar(1)->SetColor(clMoneyGreen);
  Grid->Bar(2)->SetVisible(false);
  Grid->Bar(2)->CellButtons()->Add()->SetHorzPlacement(ebhpLeftEh);
  TMemoryStream Stream;
  Grid->AxisBars()->SaveToStream(&Stream);

  TTestAxisGridEh Other(nullptr);
  Other.ColumnDefValues()->SetEndEllipsis(true);
  for (int I = 0; I < 5; ++I)
    Other.AxisBars()->Add()->SetFieldName(QStringLiteral("f%1").arg(I));
  Stream.SetPosition(0);
  Other.AxisBars()->LoadFromStream(&Stream);

  ASSERT_EQ(Other.AxisBars()->Count(), 3);
  EXPECT_EQ(Other.BarFields(), "id,s_name,n_qty");
  EXPECT_EQ(Other.Bar(1)->Title()->Caption(), QStringLiteral("Наименование"));
  EXPECT_EQ(Other.Bar(1)->Color(), clMoneyGreen);
  EXPECT_FALSE(Other.Bar(2)->Visible());
  ASSERT_EQ(Other.Bar(2)->CellButtons()->Count(), 1);
  EXPECT_EQ(Other.Bar(2)->CellButtons()->Items(0)->HorzPlacement(), ebhpLeftEh);
  EXPECT_EQ(Other.Bar(0)->Color(), Other.Color()) << "not in the stream: the loading grid's default";
  EXPECT_TRUE(Other.Bar(0)->EndEllipsis());
  EXPECT_TRUE(Other.Bar(0)->AssignedValues().Contains(cvEndEllipsis)) << "copied unconditionally";

  TMemoryStream Garbage;
  Garbage.WriteBuffer(QByteArray("not a stream of bars"));
  Garbage.SetPosition(0);
  EXPECT_ANY_THROW(Other.AxisBars()->LoadFromStream(&Garbage));
  EXPECT_EQ(Other.AxisBars()->Count(), 3) << "a failed load leaves the bars";
}

// Records what the collection and the grid hear when a bar goes.
class TRecordingBarsEh : public TGridAxisBarsEh {
public:
  TRecordingBarsEh(TCustomDBAxisGridEh* Grid, QStringList* Log)
    : TGridAxisBarsEh(Grid, TTestAxisBarEh::StaticClass()), FLog(Log) {}
  void ItemRemovingOrMoving(TAxisBarEh* Item, Integer Kind) override
  {
    *FLog << QStringLiteral("%1 %2").arg(Item->FieldName()).arg(Kind);
  }
private:
  QStringList* FLog;
};

class TRecordingGridEh : public TTestAxisGridEh {
public:
  TRecordingGridEh() : TTestAxisGridEh(nullptr) { CreateParts(); }
  TGridAxisBarsEh* CreateAxisBars() override { return new TRecordingBarsEh(this, &Log); }
  void AxisBarDeleting(TAxisBarEh* AxisBar) override { Log << QStringLiteral("deleting ") + AxisBar->FieldName(); }
  QStringList Log;
};

TEST_F(AxisBarTest, DeletingAndMovingAreReportedInOrder)
{
  TRecordingGridEh Recording;
  for (const char* Name : {"a", "b", "c"})
    Recording.AxisBars()->Add()->SetFieldName(QString::fromLatin1(Name));
  Recording.Bar(2)->SetIndex(0);
  Recording.AxisBars()->Delete(1);
  // The freed item leaving its collection may follow as an extraction.
  EXPECT_TRUE(Recording.Log.join(QLatin1Char(';')).startsWith(QStringLiteral("c 2;deleting a;a 1")))
    << Recording.Log.join(QLatin1Char(';')).toStdString();
}

TEST(AxisGridRoutines, LightenMixColour)
{
  struct Case {
    TColor C1, C2;
    bool Spread;
    int Channel;
  };
  const Case Cases[] = {
    {clBlack, clBlack, false, 135}, {clBlack, clBlack, true, 138},
    {clWhite, clWhite, false, 237}, {clWhite, clWhite, true, 255},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Channel);
    EXPECT_EQ(LightenMixColorEh(C.C1, C.C2, C.Spread), RGBEh(Byte(C.Channel), Byte(C.Channel), Byte(C.Channel)));
  }
}

} // namespace
