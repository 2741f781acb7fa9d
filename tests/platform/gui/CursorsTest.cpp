// CursorsTest.cpp: cursor numbers to shapes, the screen's cursor table with
// cursors loaded from the program's images, and the screen-wide cursor.
#include "platform/gui/ExtCtrls.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <QApplication>

namespace {

class CursorsTest : public gui_test::GuiTest {
protected:
  void TearDown() override
  {
    Screen->SetCursor(crDefault);
    for (Integer I : {1, 5, Integer(crHSplit)})
      Screen->SetCursors(I, nullptr);
    GuiTest::TearDown();
  }
};

} // namespace

TEST_F(CursorsTest, EveryStandardNumberHasItsShape)
{
  auto* F = new TForm(Application, 0);
  auto* P = new TPanel(F);
  P->SetParent(F);
  P->HandleNeeded();
  const std::pair<TCursor, Qt::CursorShape> Cases[] = {
    {crArrow, Qt::ArrowCursor}, {crCross, Qt::CrossCursor}, {crIBeam, Qt::IBeamCursor},
    {crSizeNESW, Qt::SizeBDiagCursor}, {crSizeNS, Qt::SizeVerCursor}, {crSizeNWSE, Qt::SizeFDiagCursor},
    {crSizeWE, Qt::SizeHorCursor}, {crUpArrow, Qt::UpArrowCursor}, {crHourGlass, Qt::WaitCursor},
    {crDrag, Qt::DragMoveCursor}, {crNoDrop, Qt::ForbiddenCursor}, {crHSplit, Qt::SplitHCursor},
    {crVSplit, Qt::SplitVCursor}, {crMultiDrag, Qt::DragCopyCursor}, {crSQLWait, Qt::BusyCursor},
    {crNo, Qt::ForbiddenCursor}, {crAppStart, Qt::BusyCursor}, {crHelp, Qt::WhatsThisCursor},
    {crHandPoint, Qt::PointingHandCursor}, {crSizeAll, Qt::SizeAllCursor}, {crNone, Qt::BlankCursor}};
  for (const auto& [Cursor, Shape] : Cases) {
    SCOPED_TRACE(Cursor);
    P->SetCursor(Cursor);
    EXPECT_EQ(P->Widget()->cursor().shape(), Shape);
  }
  P->SetCursor(crDefault);
  EXPECT_FALSE(P->Widget()->testAttribute(Qt::WA_SetCursor));
}

TEST_F(CursorsTest, CursorsLoadedFromImagesAreRegisteredAndUsed)
{
  HCURSOR Cross = LoadCursor(nullptr, QStringLiteral("CROSSEH"));
  ASSERT_NE(Cross, nullptr);
  EXPECT_EQ(Cross->Cursor.shape(), Qt::BitmapCursor);
  EXPECT_EQ(Cross->Cursor.hotSpot(), QPoint(3, 5));
  EXPECT_EQ(LoadCursor(nullptr, QStringLiteral("CROSSEH")), Cross);   // shared
  HCURSOR Down = LoadCursor(nullptr, QStringLiteral("DOWNEH"));
  ASSERT_NE(Down, nullptr);
  EXPECT_EQ(Down->Cursor.hotSpot(), QPoint(7, 2));
  EXPECT_EQ(Down->Cursor.pixmap().size(), QSize(16, 16));
  EXPECT_EQ(LoadCursor(nullptr, QStringLiteral("NOSUCHCURSOR")), nullptr);
  EXPECT_EQ(LoadCursor(nullptr, IDC_SIZEWE)->Cursor.shape(), Qt::SizeHorCursor);

  // A number not registered answers the default cursor: the first such
  // number is free, as the grid library's registration looks for it.
  EXPECT_EQ(Screen->Cursors(5), Screen->Cursors(crDefault));
  Screen->SetCursors(5, Cross);
  EXPECT_EQ(Screen->Cursors(5), Cross);
  Integer Free = 1;
  while (Screen->Cursors(Free) != Screen->Cursors(crDefault))
    ++Free;
  EXPECT_EQ(Free, 1);
  Screen->SetCursors(1, Down);
  Free = 1;
  while (Screen->Cursors(Free) != Screen->Cursors(crDefault))
    ++Free;
  EXPECT_EQ(Free, 2);
  Screen->SetCursors(1, nullptr);

  auto* F = new TForm(Application, 0);
  auto* P = new TPanel(F);
  P->SetParent(F);
  P->HandleNeeded();
  P->SetCursor(5);
  EXPECT_EQ(P->Widget()->cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(P->Widget()->cursor().hotSpot(), QPoint(3, 5));
  // A standard number can be given another shape too.
  Screen->SetCursors(crHSplit, Down);
  P->SetCursor(crHSplit);
  EXPECT_EQ(P->Widget()->cursor().hotSpot(), QPoint(7, 2));
}

TEST_F(CursorsTest, ScreenCursorOverridesEveryControl)
{
  ASSERT_EQ(QApplication::overrideCursor(), nullptr);
  Screen->SetCursor(crHourGlass);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  Screen->SetCursor(crSQLWait);   // changed, not stacked
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
  Screen->SetCursor(crDefault);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
