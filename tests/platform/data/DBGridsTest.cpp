// DBGridsTest.cpp: the plain data grid read from a form description like the
// reference-book forms', over a query of the test server, painted and driven
// by keys, clicks and the wheel as a user would.
#include "platform/data/DBGrids.h"
#include "platform/data/ADODB.h"

#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/support/TestDatabase.h"

#include "platform/gui/StdCtrls.h"

#include <QMouseEvent>
#include <QScrollBar>

#include <memory>

namespace {

class TGridTestForm : public TForm {
  VELMORA_CLASS(TGridTestForm)
public:
  explicit TGridTestForm(TComponent* AOwner) : TForm(AOwner, 0) {}
  int Opened = 0;
  void Button2Click(TObject*) { ++Opened; }
};

// The grid as the store reference book describes it.
const char* const GridDescription = R"(object GridForm: TGridTestForm
  Left = 10
  Top = 10
  ClientHeight = 420
  ClientWidth = 780
  object DBGrid1: TDBGrid
    Left = 0
    Top = 0
    Width = 780
    Height = 384
    Align = alClient
    DataSource = DataSource1
    Options = [dgTitles, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]
    TabOrder = 1
    TitleFont.Charset = DEFAULT_CHARSET
    TitleFont.Color = clWindowText
    TitleFont.Height = -11
    TitleFont.Name = 'Tahoma'
    TitleFont.Style = [fsBold]
    OnDblClick = Button2Click
    Columns = <
      item
        FieldName = 's_caption'
        Title.Alignment = taCenter
        Title.Caption = 'Наименование'
        Title.Font.Charset = DEFAULT_CHARSET
        Title.Font.Color = clWindowText
        Title.Font.Height = -11
        Title.Font.Name = 'Tahoma'
        Title.Font.Style = [fsBold]
        Width = 197
      end
      item
        FieldName = 's_description'
        Title.Alignment = taCenter
        Title.Caption = 'Примечание'
        Title.Font.Charset = DEFAULT_CHARSET
        Title.Font.Color = clWindowText
        Title.Font.Height = -11
        Title.Font.Name = 'Tahoma'
        Title.Font.Style = [fsBold]
        Width = 245
      end
      item
        FieldName = 's_parent'
        Title.Alignment = taCenter
        Title.Caption = 'Род.  подразделение'
        Title.Font.Charset = DEFAULT_CHARSET
        Title.Font.Color = clWindowText
        Title.Font.Height = -11
        Title.Font.Name = 'Tahoma'
        Title.Font.Style = [fsBold]
        Width = 173
      end
      item
        FieldName = 's_type'
        Title.Alignment = taCenter
        Title.Caption = 'Тип склада'
        Title.Font.Charset = DEFAULT_CHARSET
        Title.Font.Color = clWindowText
        Title.Font.Height = -11
        Title.Font.Name = 'Tahoma'
        Title.Font.Style = [fsBold]
        Width = 117
      end>
  end
  object DataSource1: TDataSource
  end
end
)";

String StoreName(int N) { return QStringLiteral("Склад %1").arg(N, 2, 10, QLatin1Char('0')); }

void DoubleClick(TWinControl* Control, QPoint At)
{
  QWidget* W = Control->Widget();
  const QPointF P(At), G = W->mapToGlobal(QPointF(At));
  QMouseEvent Press(QEvent::MouseButtonPress, P, G, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(W, &Press);
  QMouseEvent Release(QEvent::MouseButtonRelease, P, G, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(W, &Release);
  QMouseEvent Double(QEvent::MouseButtonDblClick, P, G, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(W, &Double);
  QMouseEvent Release2(QEvent::MouseButtonRelease, P, G, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(W, &Release2);
}

QPoint Middle(const TRect& R) { return QPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }

class DBGridsTest : public ::testing::Test {
protected:
  static constexpr int Rows = 40;

  static void SetUpTestSuite()
  {
    RegisterADOClasses();
    RegisterDBGridsClasses();
    RegisterClassInfo<TGridTestForm, TForm>("TGridTestForm").Handler("Button2Click", &TGridTestForm::Button2Click);
  }

  void SetUp() override
  {
    testsupport::OdbcSession S;
    S.Exec("drop table if exists dg_store");
    S.Exec("create table dg_store (id serial primary key, s_caption varchar(254), s_description varchar(254), "
           "s_parent varchar(254), s_type varchar(254))");
    S.Exec("insert into dg_store (s_caption, s_description, s_parent, s_type) "
           "select 'Склад ' || lpad(g::text, 2, '0'), 'примечание ' || g, 'Цех', 'Основной' "
           "from generate_series(1, 40) g");
    Db = std::make_unique<TADOConnection>(nullptr);
    Db->SetConnectionString(QString::fromStdString(testsupport::ConnectionString()));
    Db->Open();
    Query = std::make_unique<TADOQuery>(nullptr);
    Query->SetConnection(Db.get());
    Query->SQL()->SetText(QStringLiteral("select * from dg_store order by id"));
    Form = new TGridTestForm(Application);
    ReadComponentFromText(QString::fromUtf8(GridDescription), Form);
    Form->AfterConstruction();
    Grid = dynamic_cast<TDBGrid*>(Form->FindComponent(QStringLiteral("DBGrid1")));
    ASSERT_NE(Grid, nullptr);
    auto* Source = dynamic_cast<TDataSource*>(Form->FindComponent(QStringLiteral("DataSource1")));
    ASSERT_NE(Source, nullptr);
    Source->SetDataSet(Query.get());
    Grid->OnTitleClick = [this](TColumn* Column) { Titles.push_back(Column); };
    Form->Show();
    Query->Open();
  }

  void TearDown() override { delete Form; }

  std::unique_ptr<TADOConnection> Db;
  std::unique_ptr<TADOQuery> Query;
  TGridTestForm* Form = nullptr;
  TDBGrid* Grid = nullptr;
  std::vector<TColumn*> Titles;   // title clicks, where a test records them
};

TEST_F(DBGridsTest, LoadsAsDescribedAndPaintsTheRecordWindow)
{
  EXPECT_EQ(Grid->DataSource(), Form->FindComponent(QStringLiteral("DataSource1")));
  EXPECT_EQ(Grid->Options(), TDBGridOptions({dgTitles, dgColLines, dgRowLines, dgTabs, dgRowSelect,
                                             dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit}));
  EXPECT_TRUE(Grid->TitleFont()->Style().Contains(fsBold));
  ASSERT_EQ(Grid->Columns()->Count(), 4);
  const struct { const char* Field; const char* Caption; int Width; } Expected[] = {
    {"s_caption", "Наименование", 197}, {"s_description", "Примечание", 245},
    {"s_parent", "Род.  подразделение", 173}, {"s_type", "Тип склада", 117}};
  for (int I = 0; I < 4; ++I) {
    TColumn* C = Grid->Columns()->Items(I);
    EXPECT_EQ(C->FieldName(), QString::fromUtf8(Expected[I].Field));
    EXPECT_EQ(C->Title()->Caption(), QString::fromUtf8(Expected[I].Caption));
    EXPECT_EQ(C->Width(), Expected[I].Width);
    EXPECT_EQ(C->Title()->Alignment(), taCenter);
    EXPECT_TRUE(C->Title()->Font()->Style().Contains(fsBold));
    ASSERT_NE(C->Field(), nullptr);
  }
  // written back, the description keeps what was set and nothing derived
  const String Written = WriteComponentToText(Grid);
  EXPECT_TRUE(Written.contains(QStringLiteral("Options = [dgTitles, dgColLines, dgRowLines, dgTabs, dgRowSelect, "
                                              "dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]"))) << Written.toStdString();
  EXPECT_TRUE(Written.contains(QStringLiteral("Width = 197"))) << Written.toStdString();
  EXPECT_TRUE(Written.contains(QStringLiteral("Title.Alignment = taCenter"))) << Written.toStdString();
  EXPECT_FALSE(Written.contains(QStringLiteral("Alignment = taLeftJustify"))) << Written.toStdString();
  // the grid fills the form above nothing: alClient
  EXPECT_EQ(Grid->Height(), Form->ClientHeight());

  // the link's window is as tall as the rows that fit, and a paint reads
  // each of them from it
  const Integer Visible = Grid->VisibleRowCount();
  ASSERT_GT(Visible, 5);
  ASSERT_LT(Visible, Rows);
  EXPECT_EQ(Grid->DataLink()->BufferCount(), Visible);
  std::map<Integer, String> Drawn;   // the first column's text by row top
  Grid->OnDrawColumnCell = [&](TObject*, const TRect& R, Integer DataCol, TColumn* Column, TGridDrawState) {
    if (DataCol == 0)
      Drawn[R.Top] = Column->Field()->AsString();
  };
  Query->MoveBy(3);
  const QImage Shot = Grid->Widget()->grab().toImage();
  gui_test::SaveImage(Shot, QStringLiteral("dbgrid.png"));
  ASSERT_EQ(Integer(Drawn.size()), Visible);
  int N = 1;
  for (const auto& [Top, Text] : Drawn)
    EXPECT_EQ(Text, StoreName(N++)) << "row at " << Top;
  EXPECT_EQ(Query->RecNo(), 4) << "painting must leave the current record alone";

  // the title has text painted over its background
  const TRect Title = Grid->CellRect(0, -1);
  const QColor TitleBack = Shot.pixelColor(Title.Left + 2, Title.Top + 1);
  int Ink = 0;
  for (int X = Title.Left + 1; X < Title.Right - 1; ++X)
    for (int Y = Title.Top + 1; Y < Title.Bottom - 1; ++Y)
      Ink += Shot.pixelColor(X, Y) != TitleBack;
  EXPECT_GT(Ink, 20);

  // the current row is highlighted across every column, the others are not
  const QColor Highlight(QRgb(0xFF000000 | qRgb(GetRValue(ColorToRGB(clHighlight)), GetGValue(ColorToRGB(clHighlight)),
                                                GetBValue(ColorToRGB(clHighlight)))));
  for (int Col = 0; Col < 4; ++Col) {
    const TRect Current = Grid->CellRect(Col, 3);
    const TRect Other = Grid->CellRect(Col, 4);
    EXPECT_EQ(Shot.pixelColor(Current.Right - 2, Current.Top + 1), Highlight) << Col;
    EXPECT_NE(Shot.pixelColor(Other.Right - 2, Other.Top + 1), Highlight) << Col;
  }
}

TEST_F(DBGridsTest, KeysClicksAndTheWheelMoveTheRecord)
{
  Grid->SetFocus();
  const Integer Page = Grid->VisibleRowCount();
  const auto Row = [&](Integer R) { return Middle(Grid->CellRect(1, R)); };
  struct Step { const char* What; std::function<void()> Do; int RecNo; };
  const Step Steps[] = {
    {"Down", [&] { gui_test::Key(Grid, Qt::Key_Down); }, 2},
    {"Down", [&] { gui_test::Key(Grid, Qt::Key_Down); }, 3},
    {"Up", [&] { gui_test::Key(Grid, Qt::Key_Up); }, 2},
    {"PgDn", [&] { gui_test::Key(Grid, Qt::Key_PageDown); }, 2 + Page},
    {"PgUp", [&] { gui_test::Key(Grid, Qt::Key_PageUp); }, 2},
    {"End", [&] { gui_test::Key(Grid, Qt::Key_End); }, Rows},
    {"Down at the end", [&] { gui_test::Key(Grid, Qt::Key_Down); }, Rows},
    {"Home", [&] { gui_test::Key(Grid, Qt::Key_Home); }, 1},
    {"Up at the start", [&] { gui_test::Key(Grid, Qt::Key_Up); }, 1},
    {"click on the fourth row", [&] { gui_test::Click(Grid, Row(3)); }, 4},
    {"click below the rows' window", [&] { gui_test::Click(Grid, QPoint(5, Grid->ClientHeight() - 1)); }, 4},
    {"wheel towards the user", [&] { gui_test::Wheel(Grid, -1); }, 5},
    {"wheel away", [&] { gui_test::Wheel(Grid, 1); }, 4},
    {"wheel away", [&] { gui_test::Wheel(Grid, 1); }, 3},
  };
  for (const Step& S : Steps) {
    S.Do();
    EXPECT_EQ(Query->RecNo(), S.RecNo) << S.What;
    EXPECT_EQ(Query->FieldByName(QStringLiteral("s_caption"))->AsString(), StoreName(S.RecNo)) << S.What;
  }
  // after scrolling far down, a click picks the record shown in that row
  gui_test::Key(Grid, Qt::Key_End);
  gui_test::Click(Grid, Row(0));
  EXPECT_EQ(Query->RecNo(), Rows - Page + 1);
}

TEST_F(DBGridsTest, TitleClicksDoubleClicksAndColumnChanges)
{
  Grid->OnTitleClick = [&](TColumn* Column) { Titles.push_back(Column); };
  std::vector<String> Log;
  Grid->OnColExit = [&](TObject*) { Log.push_back(QStringLiteral("exit %1").arg(Grid->SelectedIndex())); };
  Grid->OnColEnter = [&](TObject*) { Log.push_back(QStringLiteral("enter %1").arg(Grid->SelectedIndex())); };

  gui_test::Click(Grid, Middle(Grid->CellRect(2, -1)));
  ASSERT_EQ(Titles.size(), 1u);
  EXPECT_EQ(Titles[0], Grid->Columns()->Items(2));
  EXPECT_EQ(Query->RecNo(), 1) << "a title click is no row click";
  EXPECT_TRUE(Log.empty());

  // a click on another column's cell leaves one column and enters the other
  gui_test::Click(Grid, Middle(Grid->CellRect(3, 1)));
  EXPECT_EQ(Query->RecNo(), 2);
  EXPECT_EQ(Grid->SelectedField(), Query->FieldByName(QStringLiteral("s_type")));
  EXPECT_EQ(Log, (std::vector<String>{QStringLiteral("exit 0"), QStringLiteral("enter 3")}));

  // the form's handler runs on a double click, on the record clicked
  DoubleClick(Grid, Middle(Grid->CellRect(0, 5)));
  EXPECT_EQ(Form->Opened, 1);
  EXPECT_EQ(Query->RecNo(), 6);
  EXPECT_EQ(Titles.size(), 1u);
}

TEST_F(DBGridsTest, DefaultColumnsFollowTheFieldsAndCellsCanBeDrawnByTheForm)
{
  Grid->Columns()->Clear();
  ASSERT_EQ(Grid->ShownColumnCount(), 5);   // one per field of the query
  EXPECT_EQ(Grid->ShownColumn(0)->Title()->Caption(), QStringLiteral("id"));
  Query->FieldByName(QStringLiteral("s_parent"))->SetVisible(false);
  ASSERT_EQ(Grid->ShownColumnCount(), 4);
  EXPECT_EQ(Grid->ShownColumn(3)->FieldName(), QStringLiteral("s_type"));

  // the form paints the key column red and lets the grid write the text
  Grid->OnDrawColumnCell = [&](TObject*, const TRect& R, Integer DataCol, TColumn* Column, TGridDrawState State) {
    if (DataCol != 0)
      return;
    Grid->Canvas()->Brush()->SetColor(clRed);
    Grid->Canvas()->FillRect(R);
    Grid->DefaultDrawColumnCell(R, DataCol, Column, State);
  };
  const QImage Shot = Grid->Widget()->grab().toImage();
  const TRect Cell = Grid->CellRect(0, 2);
  EXPECT_EQ(Shot.pixelColor(Cell.Left + 1, Cell.Top + 1), QColor(Qt::red));
  int Ink = 0;
  for (int X = Cell.Left; X < Cell.Right; ++X)
    for (int Y = Cell.Top; Y < Cell.Bottom; ++Y)
      Ink += Shot.pixelColor(X, Y) != QColor(Qt::red);
  EXPECT_GT(Ink, 10) << "the text is written over the form's colour";

  Query->Close();
  EXPECT_EQ(Grid->ShownColumnCount(), 0);
  (void)Grid->Widget()->grab();   // a closed dataset paints an empty grid

  // the data source freed before the grid is let go of, not painted from
  Query->Open();
  delete Form->FindComponent(QStringLiteral("DataSource1"));
  EXPECT_EQ(Grid->DataSource(), nullptr);
  EXPECT_EQ(Grid->ShownColumnCount(), 0);
  (void)Grid->Widget()->grab();
}

// A paint of part of the grid reads and draws only the cells under it, and
// leaves the same pixels there as a whole paint.
TEST_F(DBGridsTest, PaintsOnlyTheCellsMeetingTheClip)
{
  std::vector<std::pair<Integer, Integer>> Drawn;   // column, row top
  Grid->OnDrawColumnCell = [&](TObject*, const TRect& R, Integer DataCol, TColumn*, TGridDrawState) {
    Drawn.emplace_back(DataCol, R.Top);
  };
  const QImage Whole = Grid->Widget()->grab().toImage();
  const Integer Visible = Grid->VisibleRowCount();
  EXPECT_EQ(Integer(Drawn.size()), Visible * 4);

  const TRect Cell = Grid->CellRect(2, 5);
  const TRect Below = Grid->CellRect(1, 7);
  const TRect Title = Grid->CellRect(1, -1);
  struct Case { const char* What; QRect Clip; std::vector<std::pair<Integer, Integer>> Cells; };
  const Case Cases[] = {
    {"inside one cell", QRect(Cell.Left + 3, Cell.Top + 2, 6, 4), {{2, Cell.Top}}},
    {"the title only", QRect(Title.Left + 2, Title.Top + 1, 30, 3), {}},
    {"across two columns and two rows",
     QRect(Below.Right - 3, Below.Bottom - 2, 8, 6), {{1, Below.Top}, {2, Below.Top}, {1, Below.Bottom + 1}, {2, Below.Bottom + 1}}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    Drawn.clear();
    const QImage Part = Grid->Widget()->grab(C.Clip).toImage();
    std::vector<std::pair<Integer, Integer>> Got = Drawn;
    std::sort(Got.begin(), Got.end());
    std::vector<std::pair<Integer, Integer>> Want = C.Cells;
    std::sort(Want.begin(), Want.end());
    EXPECT_EQ(Got, Want);
    EXPECT_EQ(Part, Whole.copy(C.Clip));
  }
  EXPECT_EQ(Query->RecNo(), 1) << "painting must leave the current record alone";
}

// A column keeps the field it found until the dataset's field list changes,
// and never answers a field that list has freed.
TEST_F(DBGridsTest, ColumnFieldFollowsTheFieldList)
{
  TColumn* Caption = Grid->Columns()->Items(0);
  TField* First = Caption->Field();
  ASSERT_NE(First, nullptr);
  EXPECT_EQ(First, Query->FindField(QStringLiteral("s_caption")));
  EXPECT_EQ(Caption->Field(), First);

  // closed and opened, the default fields are built anew
  Query->Close();
  EXPECT_EQ(Caption->Field(), nullptr);
  Query->Open();
  EXPECT_EQ(Caption->Field(), Query->FindField(QStringLiteral("s_caption")));

  // persistent fields in place of the default ones, then gone again
  Query->Close();
  auto* Own = new TWideStringField(Query.get());
  Own->SetFieldName(QStringLiteral("s_caption"));
  Own->SetSize(254);
  Own->SetDataSet(Query.get());
  Query->Open();
  EXPECT_EQ(Caption->Field(), Own);
  EXPECT_EQ(Caption->Title()->Caption(), QStringLiteral("Наименование"));
  Query->Close();
  delete Own;
  Query->Open();
  TField* Rebuilt = Caption->Field();
  ASSERT_NE(Rebuilt, nullptr);
  EXPECT_EQ(Rebuilt, Query->FindField(QStringLiteral("s_caption")));
  EXPECT_EQ(Rebuilt->AsString(), StoreName(1));

  // another field name, in any case
  Caption->SetFieldName(QStringLiteral("S_TYPE"));
  EXPECT_EQ(Caption->Field(), Query->FindField(QStringLiteral("s_type")));
  (void)Grid->Widget()->grab();
}

void MouseAt(TWinControl* Control, QEvent::Type Type, QPoint At, Qt::MouseButtons Buttons)
{
  QWidget* W = Control->Widget();
  const QPointF P(At), G = W->mapToGlobal(QPointF(At));
  const Qt::MouseButton Button = Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent E(Type, P, G, Button, Buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(W, &E);
}

TEST_F(DBGridsTest, ColumnsAreSizedByDraggingTheirTitleEdge)
{
  Grid->SetOptions(Grid->Options() << dgColumnResize);
  const TRect Title = Grid->CellRect(1, -1);
  const Integer Old = Grid->Columns()->Items(1)->Width();
  const Integer Y = Title.Top + 3;

  // the sizing cursor shows over a title edge only
  MouseAt(Grid, QEvent::MouseMove, QPoint(Title.Right - 20, Y), Qt::NoButton);
  EXPECT_EQ(Grid->Cursor(), crDefault);
  MouseAt(Grid, QEvent::MouseMove, QPoint(Title.Right + 1, Y), Qt::NoButton);
  EXPECT_EQ(Grid->Cursor(), crHSplit);
  MouseAt(Grid, QEvent::MouseMove, QPoint(Title.Right, Grid->CellRect(1, 2).Top + 3), Qt::NoButton);
  EXPECT_EQ(Grid->Cursor(), crDefault) << "a data cell's edge sizes nothing";

  // pressed on the edge and dragged: a line shows where the edge will be
  MouseAt(Grid, QEvent::MouseMove, QPoint(Title.Right, Y), Qt::NoButton);
  MouseAt(Grid, QEvent::MouseButtonPress, QPoint(Title.Right, Y), Qt::LeftButton);
  MouseAt(Grid, QEvent::MouseMove, QPoint(Title.Right + 40, Y), Qt::LeftButton);
  const QImage During = Grid->Widget()->grab().toImage();
  const TRect Cell = Grid->CellRect(2, 3);
  EXPECT_EQ(During.pixelColor(Title.Right + 40, Cell.Top + 3), QColor(Qt::black));
  EXPECT_EQ(Grid->Columns()->Items(1)->Width(), Old) << "nothing changes before the button comes up";
  MouseAt(Grid, QEvent::MouseButtonRelease, QPoint(Title.Right + 40, Y), Qt::NoButton);
  EXPECT_EQ(Grid->Columns()->Items(1)->Width(), Old + 40);
  EXPECT_EQ(Grid->CellRect(2, 0).Left, Title.Right + 41) << "the next column moved along";
  EXPECT_TRUE(WriteComponentToText(Grid).contains(QStringLiteral("Width = %1").arg(Old + 40)));
  EXPECT_TRUE(Grid->Columns()->Items(1)->IsWidthStored());
  EXPECT_TRUE(Titles.empty()) << "sizing is no title click";
  EXPECT_EQ(Query->RecNo(), 1);

  // dragged past the column's left edge it keeps one pixel
  const TRect Edge = Grid->CellRect(0, -1);
  MouseAt(Grid, QEvent::MouseMove, QPoint(Edge.Right, Y), Qt::NoButton);
  MouseAt(Grid, QEvent::MouseButtonPress, QPoint(Edge.Right, Y), Qt::LeftButton);
  MouseAt(Grid, QEvent::MouseMove, QPoint(-30, Y), Qt::LeftButton);
  MouseAt(Grid, QEvent::MouseButtonRelease, QPoint(-30, Y), Qt::NoButton);
  EXPECT_EQ(Grid->Columns()->Items(0)->Width(), 1);

  // without dgColumnResize the edge is an ordinary title
  Grid->SetOptions(Grid->Options() >> dgColumnResize);
  MouseAt(Grid, QEvent::MouseMove, QPoint(Title.Right, Y), Qt::NoButton);
  EXPECT_EQ(Grid->Cursor(), crDefault);
}

TEST_F(DBGridsTest, VerticalScrollBarShowsAndMovesTheRecord)
{
  TScrollBar* Bar = Grid->VertScrollBar();
  ASSERT_TRUE(Bar->Visible());
  const Integer Page = Grid->VisibleRowCount();
  EXPECT_EQ(Bar->Min(), 1);
  EXPECT_EQ(Bar->Max(), Rows + Page - 1);
  EXPECT_EQ(Bar->PageSize(), Page);
  EXPECT_EQ(Bar->Position(), 1);
  EXPECT_EQ(Bar->Left(), Grid->ClientWidth() - Bar->Width());
  EXPECT_LE(Grid->CellRect(3, 0).Right, Bar->Left()) << "cells stay left of the bar";

  // the dataset moved by keys: the bar follows its record number
  Grid->SetFocus();
  gui_test::Key(Grid, Qt::Key_End);
  EXPECT_EQ(Bar->Position(), Rows);
  gui_test::Key(Grid, Qt::Key_Home);
  Query->MoveBy(4);
  EXPECT_EQ(Bar->Position(), 5);

  // the bar's arrows, track and thumb, pressed as a user would
  Bar->HandleNeeded();
  auto* Qt = qobject_cast<QScrollBar*>(Bar->Widget());
  ASSERT_NE(Qt, nullptr);
  const auto Press = [&](QPoint At) {
    const QPointF P(At), G = Qt->mapToGlobal(QPointF(At));
    QMouseEvent Down(QEvent::MouseButtonPress, P, G, ::Qt::LeftButton, ::Qt::LeftButton, ::Qt::NoModifier);
    QCoreApplication::sendEvent(Qt, &Down);
    QMouseEvent Up(QEvent::MouseButtonRelease, P, G, ::Qt::LeftButton, ::Qt::NoButton, ::Qt::NoModifier);
    QCoreApplication::sendEvent(Qt, &Up);
  };
  Press(QPoint(Qt->width() / 2, Qt->height() - 3));   // the down arrow: the record below the window
  EXPECT_EQ(Query->RecNo(), Page + 1);
  EXPECT_EQ(Bar->Position(), Page + 1);
  EXPECT_EQ(Grid->DataLink()->ActiveRecord(), Page - 1) << "the window scrolled by one";
  Press(QPoint(Qt->width() / 2, 3));                  // the up arrow: the record above the window
  EXPECT_EQ(Query->RecNo(), 1);
  Press(QPoint(Qt->width() / 2, Qt->height() - 30));  // the track below the thumb: a page on
  EXPECT_EQ(Query->RecNo(), 1 + Page);
  // the thumb dragged to a place: the record of that number
  Qt->setSliderDown(true);
  Qt->setSliderPosition(30);
  Qt->setSliderDown(false);
  EXPECT_EQ(Query->RecNo(), 30);
  EXPECT_EQ(Query->FieldByName(QStringLiteral("s_caption"))->AsString(), StoreName(30));
  EXPECT_EQ(Bar->Position(), 30);

  // a filter shrinks the range; an empty or closed dataset has nothing to scroll
  Query->SetFilter(QStringLiteral("s_caption like '%1%'"));
  Query->SetFilteredValue(true);
  EXPECT_EQ(Bar->Max(), Query->RecordCount() + Page - 1);
  EXPECT_FALSE(Bar->Enabled()) << "all rows fit";
  Query->SetFilter(QStringLiteral("s_caption = 'nothing'"));
  EXPECT_FALSE(Bar->Enabled());
  Query->Close();
  EXPECT_EQ(Bar->Max(), 0);
}

TEST_F(DBGridsTest, HorizontalScrollBarShowsColumnsThatDoNotFit)
{
  EXPECT_FALSE(Grid->HorzScrollBar()->Visible()) << "all four columns fit";
  Grid->SetAlign(alNone);
  Grid->SetWidth(400);
  TScrollBar* Bar = Grid->HorzScrollBar();
  ASSERT_TRUE(Bar->Visible());
  EXPECT_EQ(Bar->Top(), Grid->ClientHeight() - Bar->Height());
  EXPECT_EQ(Grid->DataHeight(), Bar->Top());
  EXPECT_GT(Bar->Max(), 0);
  EXPECT_EQ(Grid->VertScrollBar()->Height(), Bar->Top());

  // the bar moves the first column shown; clicks land on the column under them
  Bar->HandleNeeded();
  auto* Qt = qobject_cast<QScrollBar*>(Bar->Widget());
  const QPointF P(Qt->width() - 3, Qt->height() / 2), G = Qt->mapToGlobal(P);
  QMouseEvent Down(QEvent::MouseButtonPress, P, G, ::Qt::LeftButton, ::Qt::LeftButton, ::Qt::NoModifier);
  QCoreApplication::sendEvent(Qt, &Down);
  QMouseEvent Up(QEvent::MouseButtonRelease, P, G, ::Qt::LeftButton, ::Qt::NoButton, ::Qt::NoModifier);
  QCoreApplication::sendEvent(Qt, &Up);
  EXPECT_EQ(Grid->LeftCol(), 1);
  EXPECT_EQ(Bar->Position(), 1);
  EXPECT_EQ(Grid->CellRect(1, 0).Left, 0);
  EXPECT_LT(Grid->CellRect(0, 0).Right, 0);
  Integer Col = -1, Row = -1;
  Grid->MouseCoord(5, Grid->CellRect(1, 2).Top + 2, Col, Row);
  EXPECT_EQ(Col, 1);
  EXPECT_EQ(Row, 2);

  // the last column can be brought wholly into view, and no further
  Grid->SetLeftCol(99);
  EXPECT_EQ(Grid->LeftCol(), Bar->Max());
  EXPECT_LE(Grid->CellRect(3, 0).Right, Grid->DataWidth());
  // with a whole-row cursor Left and Right scroll the view
  Grid->SetFocus();
  gui_test::Key(Grid, Qt::Key_Left);
  EXPECT_EQ(Grid->LeftCol(), Bar->Max() - 1);
  gui_test::Key(Grid, Qt::Key_Home);
  // with a cell cursor, moving to a hidden column brings it into view
  Grid->SetOptions(Grid->Options() >> dgRowSelect);
  Grid->SetLeftCol(0);
  Grid->SetSelectedIndex(3);
  EXPECT_GT(Grid->LeftCol(), 0);
  EXPECT_LE(Grid->CellRect(3, 0).Right, Grid->DataWidth());
  gui_test::Key(Grid, Qt::Key_Left);
  gui_test::Key(Grid, Qt::Key_Left);
  gui_test::Key(Grid, Qt::Key_Left);
  EXPECT_EQ(Grid->SelectedIndex(), 0);
  EXPECT_EQ(Grid->LeftCol(), 0);

  // wide enough again, the bar goes away
  Grid->SetWidth(780);
  EXPECT_FALSE(Bar->Visible());
  EXPECT_EQ(Grid->LeftCol(), 0);
}

} // namespace
