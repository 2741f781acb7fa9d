// MRUListTest.cpp: the MRU list (adding, limits, filtering), the special row
// (cells, key, changes), the size grip of drop-down windows, and an edit that
// offers its MRU list in the popup list form: filter, placement, keys,
// close-up, the size kept after a grip resize, and the focus that stays in
// the edit throughout.
#include "GridTestSupport.h"
#include "MRUSampleEdit.h"

#include <gtest/gtest.h>

#include <QApplication>

using namespace gridtest;

namespace {

QStringList ItemsOf(TStrings* S)
{
  QStringList L;
  for (Integer I = 0; I < S->Count(); ++I)
    L << S->Strings(I);
  return L;
}

void SetItems(TMRUListEh& M, const QStringList& Items)
{
  M.Items()->Clear();
  for (const QString& S : Items)
    M.Items()->Add(S);
}

} // namespace

TEST(MRUList, AddMovesKnownTextsAndKeepsTheLimit)
{
  TMRUListEh M;
  EXPECT_EQ(M.Limit(), 100);
  EXPECT_EQ(M.Rows(), 7);
  EXPECT_TRUE(M.AutoAdd());
  struct Case { const char* Name; bool CaseSensitive; Integer Limit; const char* Text; QStringList After; };
  const QStringList Start{QStringLiteral("ABC"), QStringLiteral("Сталь"), QStringLiteral("медь")};
  const Case Cases[] = {
    {"known text, other case", false, 10, "abc", {"Сталь", "медь", "ABC"}},
    {"known Cyrillic text, other case", false, 10, "МЕДЬ", {"ABC", "Сталь", "медь"}},
    {"other case counts when case-sensitive", true, 10, "abc", {"ABC", "Сталь", "медь", "abc"}},
    {"a trailing blank makes a new text", false, 10, "abc ", {"ABC", "Сталь", "медь", "abc "}},
    {"blank text", false, 10, "   ", {"ABC", "Сталь", "медь"}},
    {"full list drops the oldest", false, 3, "латунь", {"Сталь", "медь", "латунь"}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    M.SetLimit(100);
    SetItems(M, Start);
    M.SetCaseSensitive(C.CaseSensitive);
    M.SetLimit(C.Limit);
    M.Add(QString::fromUtf8(C.Text));
    EXPECT_EQ(ItemsOf(M.Items()), C.After);
  }

  M.SetLimit(1);
  EXPECT_EQ(ItemsOf(M.Items()), QStringList{QStringLiteral("латунь")}) << "a lower limit trims at once";
  M.SetLimit(-5);
  EXPECT_EQ(M.Items()->Count(), 0) << "a negative limit empties the list";
  M.Add(QStringLiteral("медь"));
  EXPECT_EQ(M.Items()->Count(), 0) << "and keeps it empty without an error";
}

TEST(MRUList, FilterTakesItemsThatStartWithTheText)
{
  TMRUListEh M;
  SetItems(M, {QStringLiteral("Болт М6"), QStringLiteral("болт М8"), QStringLiteral("Гайка"), QStringLiteral("Бо")});
  TStringList Out;
  struct Case { const char* Mask; bool CaseSensitive; QStringList Want; };
  const Case Cases[] = {
    {"", false, {"Болт М6", "болт М8", "Гайка", "Бо"}},
    {"бо", false, {"Болт М6", "болт М8", "Бо"}},
    {"Бо", true, {"Болт М6", "Бо"}},
    {"болт м", false, {"Болт М6", "болт М8"}},
    {"Шайба", false, {}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Mask);
    M.SetCaseSensitive(C.CaseSensitive);
    EXPECT_TRUE(M.FilterItemsTo(&Out, QString::fromUtf8(C.Mask)));
    EXPECT_EQ(ItemsOf(&Out), C.Want);
  }

  M.SetCaseSensitive(false);
  Integer Asked = 0;
  M.OnFilterItem = [&](TObject* Sender, bool& Accept) {
    EXPECT_EQ(Sender, &M);
    Accept = Accept && ++Asked != 2;
  };
  EXPECT_TRUE(M.FilterItemsTo(&Out, QStringLiteral("бо")));
  EXPECT_EQ(ItemsOf(&Out), (QStringList{QStringLiteral("Болт М6"), QStringLiteral("Бо")}));
  M.OnFilterItem = nullptr;

  // Generated items replace the list's own ones, made anew at each drop-down.
  M.SetListSourceKind(lskDataSetFieldValuesEh);
  Integer Fills = 0, Drops = 0;
  M.OnFillAutogenItems = [&](TMRUListEh*, TStrings* Items) {
    ++Fills;
    Items->Clear();
    Items->Add(QStringLiteral("Бронза"));
  };
  M.OnSetDropDown = [&](TObject*) {
    ++Drops;
    EXPECT_EQ(Fills, Drops) << "the items come before the owner opens its list";
  };
  M.DropDown();
  EXPECT_TRUE(M.FilterItemsTo(&Out, QStringLiteral("б")));
  EXPECT_EQ(ItemsOf(&Out), QStringList{QStringLiteral("Бронза")});
  EXPECT_EQ(M.ActiveItems(), M.AutogenItems());

  TMRUListEh Copy;
  M.SetActive(true);
  M.SetLimit(20);
  M.SetRows(3);
  M.SetCaseSensitive(true);
  bool ActiveChanged = false;
  Copy.OnActiveChanged = [&](TObject*) { ActiveChanged = true; };
  Copy.Assign(&M);
  EXPECT_TRUE(ActiveChanged);
  EXPECT_EQ(ItemsOf(Copy.Items()), ItemsOf(M.Items()));
  EXPECT_EQ(Copy.Limit(), 20);
  EXPECT_EQ(Copy.Rows(), 3);
  EXPECT_TRUE(Copy.CaseSensitive());
}

class MRUQueue : public gui_test::GuiTest {};

TEST_F(MRUQueue, AWaitingKeyStopsTheFilter)
{
  auto* F = ShownForm(200, 100);
  TMRUListEh M;
  for (Integer I = 0; I < 250; ++I)
    M.Items()->Add(QStringLiteral("Деталь %1").arg(I));
  TStringList Out;
  ASSERT_TRUE(PostMessage(F, WM_KEYDOWN, VK_DOWN, 0));
  EXPECT_FALSE(M.FilterItemsTo(&Out, QStringLiteral("Д"))) << "a key waits: the user typed on";
  M.SetCancelIfKeyInQueue(false);
  EXPECT_TRUE(M.FilterItemsTo(&Out, QStringLiteral("Д")));
  EXPECT_EQ(Out.Count(), 250);
  RemovePendingMessage(F, WM_KEYDOWN);
}

TEST(SpecRow, CellsKeyAndChanges)
{
  TSpecRowEh R;
  EXPECT_TRUE(VarIsNull(R.Value()));
  EXPECT_EQ(R.ShortCut(), 32814);
  EXPECT_TRUE(R.ShowIfNotInKeyList());
  struct Case { const char* Text; QStringList Cells; };
  const Case Cases[] = {
    {"a;b", {"a", "b"}},
    {"\"x;y\";z", {"x;y", "z"}},
    {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
    {"  \tfirst; second", {"first", " second"}},
    {"a;\r\nb", {"a", "b"}},
    {"a;", {"a"}},
    {"a;;b", {"a", "", "b"}},
    {"(нет)", {"(нет)"}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Text);
    R.SetCellsText(QString::fromUtf8(C.Text));
    EXPECT_EQ(ItemsOf(R.CellsStrings()), C.Cells);
  }
  R.SetCellsText(QStringLiteral("один;два"));
  EXPECT_EQ(R.GetCellText(1), QStringLiteral("два"));
  EXPECT_EQ(R.GetCellText(-1), String());
  EXPECT_EQ(R.GetCellText(2), String());

  R.SetValue(0);
  EXPECT_FALSE(R.LocateKey(0)) << "a hidden row stands for nothing";
  R.SetVisible(true);
  EXPECT_TRUE(R.LocateKey(0));
  EXPECT_FALSE(R.LocateKey(Null));

  Integer Changes = 0;
  R.OnChanged = [&](TObject*) { ++Changes; };
  R.BeginUpdate();
  R.SetCellsText(QStringLiteral("пусто"));
  R.SetColor(clYellow);
  R.SetVisible(false);
  EXPECT_EQ(Changes, 0);
  R.EndUpdate();
  EXPECT_EQ(Changes, 1);
  R.SetVisible(false);
  EXPECT_EQ(Changes, 1) << "an unchanged value says nothing";
  EXPECT_FALSE(R.IsFontStored());
  R.Font()->SetStyle(TFontStyles{fsBold});
  EXPECT_TRUE(R.IsFontStored());
  EXPECT_EQ(Changes, 2);

  TSpecRowEh Copy;
  Copy.Assign(&R);
  EXPECT_EQ(Copy.CellsText(), QStringLiteral("пусто"));
  EXPECT_EQ(Copy.Color(), clYellow);
  EXPECT_TRUE(Copy.Font()->Style().Contains(fsBold));
  EXPECT_TRUE(VarValuesEqualEh(Copy.Value(), 0));
}

class SizeGrip : public gui_test::GuiTest {};

TEST_F(SizeGrip, CornersMirrorAndChange)
{
  struct Case { TSizeGripPosition From; TSizeGripChangePosition To; TSizeGripPosition Want; };
  const Case Cases[] = {
    {sgpTopRight, sgcpToLeft, sgpTopLeft}, {sgpBottomRight, sgcpToLeft, sgpBottomLeft},
    {sgpTopLeft, sgcpToLeft, sgpTopLeft}, {sgpTopLeft, sgcpToRight, sgpTopRight},
    {sgpBottomLeft, sgcpToRight, sgpBottomRight}, {sgpBottomRight, sgcpToTop, sgpTopRight},
    {sgpBottomLeft, sgcpToTop, sgpTopLeft}, {sgpTopRight, sgcpToBottom, sgpBottomRight},
    {sgpTopLeft, sgcpToBottom, sgpBottomLeft}, {sgpBottomLeft, sgcpToBottom, sgpBottomLeft},
  };
  auto* F = ShownForm(200, 150);
  auto* G = new TSizeGripEh(F);
  G->SetParent(F);
  for (const Case& C : Cases) {
    G->SetPosition(C.From);
    G->ChangePosition(C.To);
    EXPECT_EQ(G->Position(), C.Want) << C.From << " " << C.To;
  }
  EXPECT_EQ(MirrorSizeGripPositionEh(sgpTopLeft), sgpTopRight);
  EXPECT_EQ(MirrorSizeGripPositionEh(sgpBottomRight), sgpBottomLeft);

  G->SetPosition(sgpBottomRight);
  G->HandleNeeded();
  G->UpdatePosition();
  EXPECT_EQ(G->BoundsRect(), Bounds(F->ClientWidth() - G->Width(), F->ClientHeight() - G->Height(),
                                    G->Width(), G->Height()));
  EXPECT_EQ(G->Cursor(), crSizeNWSE);
  G->SetPosition(sgpTopRight);
  EXPECT_EQ(G->Left(), F->ClientWidth() - G->Width());
  EXPECT_EQ(G->Top(), 0);
  EXPECT_EQ(G->Cursor(), crSizeNESW);
}

TEST_F(SizeGrip, DragStopsAtTheWorkAreaAndTellsTheHost)
{
  const TRect Work = Screen->WorkAreaRect();
  auto* Host = new TPopupListboxFormEh(Application);
  Host->SetBounds(Work.Right - 150, Work.Top + 40, 100, 120);
  Host->Show();
  auto* G = new TSizeGripEh(Host);
  G->SetHostControl(Host);
  G->HandleNeeded();
  EXPECT_EQ(G->Parent(), nullptr) << "hosted, not a child control";
  EXPECT_EQ(Host->ControlCount(), 1) << "the host's own list only";
  G->UpdatePosition();
  Integer Resized = 0;
  G->OnParentResized = [&](TObject*) { ++Resized; };
  const Integer W0 = Host->Width();
  LeftDown(G, 2, 2);
  MoveTo(G, 2 + 30, 2);
  EXPECT_EQ(Host->Width(), W0 + 30);
  EXPECT_EQ(Resized, 1);
  MoveTo(G, 2 + 400, 2);
  EXPECT_EQ(Host->Left() + Host->Width(), Work.Right) << "the right edge stops at the work area";
  LeftUp(G, 2 + 400, 2);
  EXPECT_EQ(G->Left() + G->Width(), Host->ClientWidth()) << "the grip follows its corner";
}

class MRUPopup : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    Form = ShownForm(400, 300);
    Edit = new TMRUSampleEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(20, 20, 200, 24);
    for (const char* S : {"Болт М6", "Болт М8", "Болт М10", "Гайка М6", "Гайка М8", "Шайба 6"})
      Edit->MRUList()->Add(QString::fromUtf8(S));
    Edit->SetFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(GetFocus(), Edit);
  }
  void Type(const QString& Text)
  {
    gui_test::Type(Edit, Text);
    QCoreApplication::processEvents();
  }
  TMRUListboxEh* List() const { return Edit->ListControl(); }
  bool Shown() const { return List() && List()->Visible(); }
  TForm* Form = nullptr;
  TMRUSampleEdit* Edit = nullptr;
};

TEST_F(MRUPopup, TypingFiltersAndPlacesTheListUnderTheEdit)
{
  Type(QStringLiteral("Бол"));
  ASSERT_TRUE(Shown());
  EXPECT_TRUE(Edit->MRUList()->DroppedDown());
  EXPECT_EQ(ItemsOf(List()->Items()),
            (QStringList{QStringLiteral("Болт М6"), QStringLiteral("Болт М8"), QStringLiteral("Болт М10")}));
  const TPoint Under = Form->ClientToScreen(TPoint(Edit->Left(), Edit->Top() + Edit->Height()));
  EXPECT_EQ(TPoint(List()->Left(), List()->Top()), Under);
  EXPECT_EQ(List()->Width(), Edit->Width());
  EXPECT_EQ(List()->RowCount(), 3);
  EXPECT_EQ(List()->ItemIndex(), -1);
  EXPECT_TRUE(List()->ShowsWithoutActivating());
  EXPECT_EQ(GetFocus(), Edit) << "the popup never takes the focus";

  Type(QStringLiteral("т М1"));
  EXPECT_EQ(ItemsOf(List()->Items()), QStringList{QStringLiteral("Болт М10")}) << "the open list filters again";
  Type(QStringLiteral("2"));
  EXPECT_FALSE(Shown()) << "nothing matches: the list closes";
  EXPECT_FALSE(Edit->MRUList()->DroppedDown());
  EXPECT_EQ(Edit->Text(), QStringLiteral("Болт М12"));
}

TEST_F(MRUPopup, KeysMoveInTheListAndCloseIt)
{
  Type(QStringLiteral("г"));
  ASSERT_TRUE(Shown());
  Key(Edit, Qt::Key_Down);
  EXPECT_EQ(List()->ItemIndex(), 0);
  Key(Edit, Qt::Key_Down);
  EXPECT_EQ(List()->ItemIndex(), 1);
  Key(Edit, Qt::Key_Up);
  Key(Edit, Qt::Key_Down);
  EXPECT_EQ(GetFocus(), Edit);
  EXPECT_EQ(Edit->Text(), QStringLiteral("г")) << "moving in the list leaves the text";
  Key(Edit, Qt::Key_Return);
  EXPECT_FALSE(Shown());
  EXPECT_EQ(Edit->Text(), QStringLiteral("Гайка М8"));
  EXPECT_EQ(Edit->SelLength(), Edit->Text().size()) << "the picked text is selected";
  EXPECT_EQ(GetFocus(), Edit);

  Type(QStringLiteral("Ш"));
  ASSERT_TRUE(Shown());
  Key(Edit, Qt::Key_Down);
  Key(Edit, Qt::Key_Escape);
  EXPECT_FALSE(Shown());
  EXPECT_EQ(Edit->Text(), QStringLiteral("Ш")) << "Esc takes nothing";

  Type(QStringLiteral("а"));
  ASSERT_TRUE(Shown());
  auto* Other = new TEdit(Form);
  Other->SetParent(Form);
  Other->SetBounds(20, 200, 100, 24);
  Other->SetFocus();
  QCoreApplication::processEvents();
  EXPECT_FALSE(Shown()) << "the focus went elsewhere";
  EXPECT_EQ(Edit->Text(), QStringLiteral("Ша"));
}

TEST_F(MRUPopup, AClickPicksAndTheGripSizeIsKept)
{
  Type(QStringLiteral("Бол"));
  ASSERT_TRUE(Shown());
  TPopupListboxGridEh* Grid = List()->ListGrid();
  const TRect Row = Grid->CalcCellRect(0, 2, true);
  MoveTo(Grid, Row.Left + 5, Row.Top + 3, false);
  Click(Grid, Row.Left + 5, Row.Top + 3);
  QCoreApplication::processEvents();
  EXPECT_FALSE(Shown());
  EXPECT_EQ(Edit->Text(), QStringLiteral("Болт М10"));
  EXPECT_EQ(GetFocus(), Edit);

  // The user makes the list wider and longer with its grip.
  Edit->SelectAll();
  Type(QStringLiteral("Бол"));
  ASSERT_TRUE(Shown());
  EXPECT_FALSE(List()->SizeGripResized());
  TSizeGripPanelEh* Grip = Grid->CornerScrollBarPanelControl();
  ASSERT_TRUE(Grip->Visible());
  ASSERT_TRUE(Grip->IsGripActive());
  const Integer W0 = List()->Width(), Rows0 = List()->RowCount();
  const Integer RowH = List()->ItemHeight();
  LeftDown(Grip, 3, 3);
  MoveTo(Grip, 3 + 40, 3 + 2 * RowH);
  LeftUp(Grip, 3 + 40, 3 + 2 * RowH);
  EXPECT_EQ(List()->Width(), W0 + 40);
  EXPECT_EQ(List()->RowCount(), Rows0 + 2);
  EXPECT_TRUE(List()->SizeGripResized());
  EXPECT_EQ(GetFocus(), Edit);
  Key(Edit, Qt::Key_Escape);
  EXPECT_EQ(Edit->MRUList()->Rows(), Rows0 + 2);
  EXPECT_EQ(Edit->MRUList()->Width(), W0 + 40);

  Edit->SelectAll();
  Type(QStringLiteral("Г"));
  ASSERT_TRUE(Shown());
  EXPECT_EQ(List()->Width(), W0 + 40) << "the next drop-down has the user's width";
  EXPECT_EQ(List()->RowCount(), 2) << "and no more rows than items";
}
