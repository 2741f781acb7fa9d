// ListboxTest.cpp: the list boxes on the base grid and the popup lists: item
// selection by keys and mouse, virtual lists, height snapping, the closing
// protocol and a popup that never takes the focus from its editor.
#include "GridTestSupport.h"

#include "platform/gui/ImgList.h"
#include "platform/gui/StdCtrls.h"

#include <gtest/gtest.h>

#include <QApplication>

using namespace gridtest;

namespace {

class Listbox : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    Form = ShownForm(400, 300);
  }
  TForm* Form = nullptr;
};

// A popup item that keeps the popup open.
class TStayOpenItem : public TPopupListboxItemEh {
public:
  bool CloseOnExecute(TCustomListboxEh*, Integer) override { return false; }
};

} // namespace

TEST_F(Listbox, NewListAndItemIndexEdges)
{
  auto* L = new TCustomListboxEh(Form);
  L->SetParent(Form);
  L->SetBounds(0, 0, 120, 100);
  EXPECT_EQ(L->Count(), 0);
  EXPECT_EQ(L->ItemIndex(), -1);
  EXPECT_EQ(L->RowCount(), 1) << "an empty list keeps one row";
  TImageCanvas C(120, 100, clFuchsia);
  L->PaintTo(C.Handle(), 0, 0);
  EXPECT_EQ(C.Pixels(20, 8), ColorToRGB(L->Color())) << "the empty row is painted blank";

  L->SetItemIndex(-2);
  EXPECT_EQ(L->ItemIndex(), -1);
  L->SetItemIndex(-1);
  EXPECT_EQ(L->ItemIndex(), -1);
  L->Items()->Add(QStringLiteral("Сталь"));
  L->Items()->Add(QStringLiteral("Медь"));
  L->Items()->Add(QStringLiteral("Латунь"));
  EXPECT_EQ(L->RowCount(), 3);
  EXPECT_EQ(L->ItemIndex(), -1);
  L->SetItemIndex(-2);
  EXPECT_EQ(L->ItemIndex(), -1) << "-2 changes nothing";

  L->SetFocus();
  QCoreApplication::processEvents();
  ASSERT_EQ(GetFocus(), L);
  Key(L, Qt::Key_Down);
  EXPECT_EQ(L->ItemIndex(), 0) << "Down without a selection selects the first item";
  Key(L, Qt::Key_Down);
  EXPECT_EQ(L->ItemIndex(), 1);
  L->SetItemIndex(-1);
  EXPECT_EQ(L->ItemIndex(), -1);
  EXPECT_EQ(L->Row(), 0);
  const TRect R = L->CalcCellRect(0, 2, true);
  Click(L, R.Left + 5, R.Top + 3);
  EXPECT_EQ(L->ItemIndex(), 2) << "a click selects";
  EXPECT_EQ(L->ColWidths(0), L->GridClientWidth()) << "the one column fills the list";
}

TEST_F(Listbox, VirtualListsAndExtItems)
{
  auto* L = new TPopupListboxEh(Form);
  L->SetParent(Form);
  L->SetBounds(0, 0, 120, 100);
  EXPECT_THROW(L->SetCount(5), Exception);
  TStringList Ext;
  Ext.Add(QStringLiteral("один"));
  Ext.Add(QStringLiteral("два"));
  L->SetExtItems(&Ext);
  EXPECT_TRUE(L->VirtualItems());
  EXPECT_EQ(L->Count(), 0) << "until the owner writes it";
  L->SetCount(2);
  EXPECT_EQ(L->TCustomGridEh::RowCount(), 2);
  String Text;
  L->GetItemText(1, Text);
  EXPECT_EQ(Text, QStringLiteral("два"));
}

TEST_F(Listbox, PopupHeightSnapsToWholeRows)
{
  auto* L = new TPopupListboxEh(Form);
  L->SetItemHeight(16);
  struct Case { Integer Height; Integer Rows; };
  const Case Cases[] = {{50, 3}, {48, 3}, {47, 2}, {10, 1}, {0, 1}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Height);
    L->SetBounds(0, 0, 100, C.Height);
    EXPECT_EQ(L->RowCount(), C.Rows);
    EXPECT_EQ(L->Height(), C.Rows * 16 + L->GetBorderSize());
  }
  L->SetRowCount(4);
  EXPECT_EQ(L->Height(), 4 * 16 + L->GetBorderSize());

  auto* F = new TPopupListboxFormEh(Application);
  F->SetItemHeight(16);
  F->SetBounds(0, 0, 100, 70);
  EXPECT_EQ(F->RowCount(), (70 - F->GetBorderSize() - 2 * F->BorderWidth()) / 16);
  EXPECT_EQ((F->Height() - F->GetBorderSize() - 2 * F->BorderWidth()) % 16, 0);
}

TEST_F(Listbox, ItemObjectDecidesWhetherThePopupCloses)
{
  auto* L = new TPopupListboxEh(Form);
  L->SetParent(Form);
  L->SetItemHeight(18);
  L->SetBounds(0, 0, 150, 18 * 4);
  L->SetUseItemObjects(true);
  TStayOpenItem Stay;
  L->Items()->Add(QStringLiteral("Обычный"));
  L->Items()->AddObject(QStringLiteral("Не закрывать"), &Stay);
  int Releases = 0;
  L->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++Releases; };
  Click(L, 10, 18 + 5);
  EXPECT_FALSE(L->IsMouseUpCloseListbox());
  EXPECT_EQ(Releases, 1);
  Click(L, 10, 5);
  EXPECT_TRUE(L->IsMouseUpCloseListbox());
  EXPECT_EQ(Releases, 2);
  EXPECT_EQ(L->ItemIndex(), 0);

  // Hot tracking: the selection follows the mouse.
  MoveTo(L, 10, 18 + 4, false);
  EXPECT_EQ(L->ItemIndex(), 1);
  EXPECT_EQ(L->MouseIndex(), 1);
}

TEST_F(Listbox, SizeGripMovesAwayFromTheHostEdge)
{
  auto* L = new TPopupListboxEh(Form);
  L->SetParent(Form);
  L->SetBounds(0, 0, 150, 100);
  EXPECT_EQ(L->SizeGripPostion(), sgpBottomRight);
  struct Case { WPARAM Side; TSizeGripPosition From, To; };
  const Case Cases[] = {
    {2, sgpBottomRight, sgpTopRight},   // opened above its editor
    {2, sgpTopRight, sgpTopRight},
    {0, sgpTopRight, sgpTopLeft},
    {1, sgpTopLeft, sgpTopRight},
    {3, sgpTopLeft, sgpBottomLeft},
  };
  for (const Case& C : Cases) {
    L->SetSizeGripPostion(C.From);
    L->Perform(WM_USER + 100, C.Side);
    EXPECT_EQ(L->SizeGripPostion(), C.To);
  }
  L->SetSizeGripPostion(sgpTopRight);
  EXPECT_TRUE(L->ExtraSizeGripControl()->Visible()) << "a grip in a top corner is its own panel";
  EXPECT_EQ(L->ExtraSizeGripControl()->Position(), sgpTopRight);
}

TEST_F(Listbox, PopupFormNeverTakesTheFocusFromItsEditor)
{
  auto* Edit = new TEdit(Form);
  Edit->SetParent(Form);
  Edit->SetBounds(10, 10, 150, 22);
  Edit->SetFocus();
  QCoreApplication::processEvents();
  ASSERT_EQ(GetFocus(), Edit);

  auto* Popup = new TPopupListboxFormEh(Form);
  Popup->SetItemHeight(18);
  Popup->Items()->Add(QStringLiteral("Январь"));
  Popup->Items()->Add(QStringLiteral("Февраль"));
  Popup->Items()->Add(QStringLiteral("Март"));
  Popup->SetBounds(Form->ClientToScreen(TPoint(10, 32)).X, Form->ClientToScreen(TPoint(10, 32)).Y, 150, 18 * 3);
  TPoint Released(-1, -1);
  Popup->OnMouseUp = [&](TObject* Sender, TMouseButton, TShiftState, Integer X, Integer Y) {
    EXPECT_EQ(Sender, Popup);
    Released = TPoint(X, Y);
  };
  Popup->Show();
  QCoreApplication::processEvents();
  EXPECT_TRUE(Popup->Visible());
  EXPECT_EQ(GetFocus(), Edit) << "showing the popup";

  TPopupListboxGridEh* List = Popup->ListGrid();
  const TRect R = List->CalcCellRect(0, 1, true);
  MoveTo(List, R.Left + 5, R.Top + 4, false);
  Click(List, R.Left + 5, R.Top + 4);
  QCoreApplication::processEvents();
  EXPECT_EQ(GetFocus(), Edit) << "clicking an item";
  EXPECT_EQ(Popup->ItemIndex(), 1);
  EXPECT_TRUE(Popup->IsMouseUpCloseListbox());
  EXPECT_EQ(Released, TPoint(R.Left + 5, R.Top + 4)) << "the form reports the list's release";

  // Keys typed in the editor reach the list through the popup's key path.
  Popup->Perform(WM_KEYDOWN, VK_DOWN);
  EXPECT_EQ(Popup->ItemIndex(), 2);
  EXPECT_EQ(GetFocus(), Edit);
}

TEST_F(Listbox, TheSelectedItemsImageIsDrawnSelected)
{
  auto* Images = new TImageList(Form);
  Images->SetWidth(8);
  Images->SetHeight(8);
  TBitmap Red(8, 8);
  Red.Canvas()->Brush()->SetColor(clRed);
  Red.Canvas()->FillRect(TRect(0, 0, 8, 8));
  Images->Add(&Red, nullptr);
  auto* L = new TCustomListboxEh(Form);
  L->SetParent(Form);
  L->SetBounds(0, 0, 120, 60);
  L->SetItemHeight(16);
  L->SetImageList(Images);
  L->OnGetImageIndex = [](TObject*, Integer, Integer& ImageIndex) { ImageIndex = 0; };
  L->Items()->Add(QStringLiteral("Сталь"));
  L->Items()->Add(QStringLiteral("Медь"));
  L->SetItemIndex(1);
  TImageCanvas C(120, 60, clFuchsia);
  L->PaintTo(C.Handle(), 0, 0);
  const Integer F = (L->Width() - L->ClientWidth()) / 2;
  // The image column is 12 wide: the image at 2..9, vertically centred.
  EXPECT_EQ(C.Pixels(F + 5, F + 8), TColor(clRed)) << "an item not selected";
  EXPECT_NE(C.Pixels(F + 5, F + 16 + 8), TColor(clRed)) << "the selected item's image in its selected look";
  EXPECT_NE(C.Pixels(F + 5, F + 16 + 8), ColorToRGB(clHighlight));
}
