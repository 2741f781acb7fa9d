// ScrollingGridsTest.cpp: the scroll box over its children, the owner-drawn
// grid's current cell, and the tool bar's grouped buttons.
#include "platform/gui/ComCtrlsToolBar.h"
#include "platform/gui/FormsScrollBox.h"
#include "platform/gui/Grids.h"
#include "tests/platform/gui/GuiTestSupport.h"

using gui_test::GuiTest;

TEST_F(GuiTest, ScrollBoxFollowsItsChildren)
{
  TForm F(nullptr, 0);
  F.SetBounds(0, 0, 400, 400);
  auto* Box = new TScrollBox(&F);
  Box->SetParent(&F);
  Box->SetBorderStyle(TBorderStyle::bsNone);
  Box->SetBounds(0, 0, 200, 150);
  F.Show();
  auto* Child = new TPanel(&F);
  Child->SetParent(Box);
  Child->SetBounds(10, 10, 100, 100);
  TControlScrollBar* H = Box->HorzScrollBar();
  TControlScrollBar* V = Box->VertScrollBar();
  EXPECT_FALSE(H->IsScrollBarVisible());
  EXPECT_FALSE(V->IsScrollBarVisible());
  EXPECT_EQ(Box->ClientWidth(), 200);

  // Taller than the box: a vertical bar, which narrows the client area.
  Child->SetBounds(10, 10, 100, 400);
  EXPECT_TRUE(V->IsScrollBarVisible());
  EXPECT_FALSE(H->IsScrollBarVisible());
  EXPECT_EQ(V->Range(), 410);
  EXPECT_EQ(Box->ClientWidth(), 200 - GetSystemMetrics(SM_CXVSCROLL));
  // The position stays within the range and moves the child.
  V->SetPosition(100);
  EXPECT_EQ(Child->Top(), -90);
  V->SetPosition(10000);
  EXPECT_EQ(V->Position(), 410 - Box->ClientHeight());
  EXPECT_EQ(Child->Top(), 10 - V->Position());
  V->SetPosition(-5);
  EXPECT_EQ(Child->Top(), 10);
  // Back within the box: the bar goes and so does the scrolled distance.
  V->SetPosition(50);
  Child->SetBounds(10, 10 - 50, 100, 100);
  EXPECT_FALSE(V->IsScrollBarVisible());
  EXPECT_EQ(V->Position(), 0);
  EXPECT_EQ(Child->Top(), 10);
}

TEST_F(GuiTest, DrawGridAsksBeforeMovingTheCurrentRow)
{
  TForm F(nullptr, 0);
  auto* G = new TDrawGrid(&F);
  G->SetParent(&F);
  G->SetBounds(0, 0, 100, 100);
  G->SetColCount(1);
  G->SetFixedCols(0);
  G->SetFixedRows(0);
  G->SetRowCount(10);
  G->SetDefaultRowHeight(30);
  F.Show();
  std::vector<Integer> Asked;
  bool Allow = true;
  G->OnSelectCell = [&](TObject*, Integer, Integer Row, bool& Can) {
    Asked.push_back(Row);
    Can = Allow;
  };
  G->SetRow(6);
  EXPECT_EQ(G->Row(), 6);
  // The current row is brought into view.
  EXPECT_GT(G->CellRect(0, 6).Height(), 0);
  EXPECT_EQ(G->CellRect(0, 0), TRect());
  Allow = false;
  G->SetRow(2);
  EXPECT_EQ(G->Row(), 6);
  Allow = true;
  G->SetTopRow(0);
  gui_test::Click(G, QPoint(10, 31 + 5));
  EXPECT_EQ(G->Row(), 1);
  EXPECT_EQ(Asked, (std::vector<Integer>{6, 2, 1}));
}

TEST_F(GuiTest, ToolBarLaysOutAndGroupsItsButtons)
{
  TForm F(nullptr, 0);
  F.SetBounds(0, 0, 300, 100);
  auto* Bar = new TToolBar(&F);
  Bar->SetParent(&F);
  Bar->SetButtonWidth(32);
  Bar->SetButtonHeight(30);
  std::vector<TToolButton*> B;
  for (Integer I = 0; I < 3; ++I) {
    B.push_back(new TToolButton(&F));
    B.back()->SetParent(Bar);
    if (I == 1) {
      auto* Sep = new TToolButton(&F);
      Sep->SetParent(Bar);
      Sep->SetStyle(tbsSeparator);
    }
  }
  B[0]->SetStyle(tbsCheck);
  B[1]->SetStyle(tbsCheck);
  B[0]->SetGrouped(true);
  B[1]->SetGrouped(true);
  F.Show();
  EXPECT_EQ(B[0]->Left(), 0);
  EXPECT_EQ(B[1]->Left(), 32);
  EXPECT_EQ(B[2]->Left(), 72);
  EXPECT_EQ(B[2]->Height(), 30);
  gui_test::Click(B[0]);
  EXPECT_TRUE(B[0]->Down());
  gui_test::Click(B[1]);
  EXPECT_TRUE(B[1]->Down());
  EXPECT_FALSE(B[0]->Down());
  gui_test::Click(B[1]);
  EXPECT_TRUE(B[1]->Down());
  // A plain button never stays down.
  gui_test::Click(B[2]);
  EXPECT_FALSE(B[2]->Down());
}
