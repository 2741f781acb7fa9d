// StdCtrlsTest.cpp: how standard controls look: the group box frame.
#include "platform/gui/StdCtrls.h"

#include "tests/platform/gui/GuiTestSupport.h"

namespace {

class StdCtrlsLookTest : public gui_test::GuiTest {};

} // namespace

// The etched frame runs round the box, its top line through the middle of
// the caption and broken by it; the colours follow the style.
TEST_F(StdCtrlsLookTest, GroupBoxDrawsAnEtchedFrameBrokenByItsCaption)
{
  for (const char* StyleName : {"Windows", "Graphite"}) {
    SCOPED_TRACE(StyleName);
    TStyleManager::SetStyle(QString::fromLatin1(StyleName));
    auto* F = new TForm(Application, 0);
    F->SetBounds(0, 0, 300, 200);
    auto* G = new TGroupBox(F);
    G->SetParent(F);
    G->SetBounds(10, 10, 200, 100);
    G->SetCaption(QStringLiteral("Данные о позиции"));
    F->Show();
    const QImage Shot = G->Widget()->grab().toImage();
    gui_test::SaveImage(Shot, QStringLiteral("group-box-%1.png").arg(QLatin1String(StyleName)));
    const QColor Shadow = ToQColor(GetSysColor(COLOR_BTNSHADOW)), Light = ToQColor(GetSysColor(COLOR_BTNHIGHLIGHT));
    const QColor Face = ToQColor(GetSysColor(COLOR_BTNFACE));
    int Top = -1;
    for (int Y = 0; Y < 30 && Top < 0; ++Y)
      if (Shot.pixelColor(0, Y) == Shadow)
        Top = Y;
    ASSERT_GT(Top, 2) << "the frame starts below the caption's top";
    EXPECT_EQ(Shot.pixelColor(0, 60), Shadow);                 // left side
    EXPECT_EQ(Shot.pixelColor(1, 60), Light);
    EXPECT_EQ(Shot.pixelColor(198, 60), Shadow);               // right side
    EXPECT_EQ(Shot.pixelColor(199, 60), Light);
    EXPECT_EQ(Shot.pixelColor(100, 98), Shadow);               // bottom
    EXPECT_EQ(Shot.pixelColor(100, 99), Light);
    EXPECT_EQ(Shot.pixelColor(4, Top), Shadow);                // top, left of the caption
    EXPECT_EQ(Shot.pixelColor(190, Top), Shadow);              // and right of it
    EXPECT_NE(Shot.pixelColor(40, Top), Shadow);               // broken by the caption
    EXPECT_EQ(Shot.pixelColor(100, 60), Face);                 // inside: the face colour
    // The caption's ink sits over the line.
    int Ink = 0;
    for (int X = 10; X < 150; ++X)
      for (int Y = 0; Y < Top * 2; ++Y)
        Ink += Shot.pixelColor(X, Y) != Face && Shot.pixelColor(X, Y) != Shadow && Shot.pixelColor(X, Y) != Light;
    EXPECT_GT(Ink, 50);
    delete F;
  }
}

// A disabled edit greys its text whatever colour its font gives the enabled
// text.
TEST_F(StdCtrlsLookTest, DisabledEditTextIsGrey)
{
  auto* F = new TForm(Application, 0);
  F->SetBounds(0, 0, 300, 100);
  auto* E = new TEdit(F);
  E->SetParent(F);
  E->SetBounds(10, 10, 200, 24);
  E->Font()->SetColor(clNavy);
  E->SetText(QStringLiteral("Текст"));
  E->SetEnabled(false);
  F->Show();
  const QPalette P = E->Widget()->palette();
  EXPECT_EQ(P.color(QPalette::Disabled, QPalette::Text), ToQColor(GetSysColor(COLOR_GRAYTEXT)));
  EXPECT_EQ(P.color(QPalette::Active, QPalette::Text), ToQColor(COLORREF(ColorToRGB(clNavy))));
  delete F;
}
