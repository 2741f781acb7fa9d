// AxisGridBorderTest.cpp: the window frame of an axis grid over parts of
// the test server: its width on each edge, its pixels (sunken, flat, or
// lines of the border's colour) under two styles, a frame that follows the
// border's edges without a new window, and the hit test of the frame.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "platform/gui/Screenshot.h"
#include "platform/gui/Themes.h"
#include "tests/gridlib/axisgrid/AxisGridTestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

using namespace axisgrid_test;

namespace {

const TEdgeBorders AllEdges{ebLeft, ebTop, ebRight, ebBottom};

// A grid whose window frame the test reads.
class TFramedAxisGridEh : public TTestAxisGridEh {
public:
  using TTestAxisGridEh::TTestAxisGridEh;
  TRect Frame() const
  {
    const TRect& F = WidgetState()->Frame;
    return WidgetState()->Client ? F : TRect(0, 0, 0, 0);
  }
  QImage Picture() const { return Widget()->grab().toImage(); }
  LRESULT HitTest(TPoint WindowPoint)
  {
    const TRect F = Frame();
    const TPoint Screen = ClientOrigin() + TPoint(WindowPoint.X - F.Left, WindowPoint.Y - F.Top);
    return Perform(WM_NCHITTEST, 0, MakeLParam(Word(Screen.X), Word(Screen.Y)));
  }
  int SizeMessages = 0;
protected:
  void WMSize(TMessage& Message) override
  {
    ++SizeMessages;
    TTestAxisGridEh::WMSize(Message);
  }
};

class AxisGridBorderTest : public AxisGridFormTest {
protected:
  void MakeGrid()
  {
    ReadForm(PartsForm("").c_str());
    delete Grid;
    Framed = new TFramedAxisGridEh(Form);
    Framed->SetBounds(8, 8, 480, 280);
    Framed->SetParent(Form);
    Framed->SetDataSource(Find<TDataSource>(Form, "PartsSource"));
    Parts->Open();
    Form->Show();
  }
  TFramedAxisGridEh* Framed = nullptr;
};

Cardinal Rgb(TColor Color)
{
  return Cardinal(ColorToRGB(Color)) & 0xFFFFFF;
}

// The colour of a pixel as a TColor value (red in the low byte).
Cardinal Pixel(const QImage& Image, Integer X, Integer Y)
{
  const QRgb P = Image.pixel(X, Y);
  return Cardinal(qRed(P)) | (Cardinal(qGreen(P)) << 8) | (Cardinal(qBlue(P)) << 16);
}

struct BorderCase {
  const char* Name;
  bool Flat, Ctl3D;
  TBorderStyle Style;
  TColor Color;
  TEdgeBorders Edges;
  bool ForceExtended;
  TRect Frame;           // widths on the left, top, right, bottom
  TColor Left, Top, Right, Bottom;   // clNone: the edge belongs to the client
};

const BorderCase BorderCases[] = {
  // Without the extended border the window keeps its sunken client edge.
  {"client edge", false, true, TBorderStyle::bsSingle, clDefault, AllEdges, false, TRect(2, 2, 2, 2), clBtnShadow,
   clBtnShadow, clBtnHighlight, clBtnHighlight},
  {"sunken", true, true, TBorderStyle::bsSingle, clDefault, AllEdges, false, TRect(1, 1, 1, 1), clBtnShadow,
   clBtnShadow, clBtnHighlight, clBtnHighlight},
  {"flat", true, false, TBorderStyle::bsSingle, clDefault, AllEdges, true, TRect(1, 1, 1, 1), clBtnShadow,
   clBtnShadow, clBtnShadow, clBtnShadow},
  {"red lines", true, false, TBorderStyle::bsSingle, clRed, AllEdges, false, TRect(1, 1, 1, 1), clRed, clRed, clRed,
   clRed},
  {"red left and bottom", true, false, TBorderStyle::bsSingle, clRed, TEdgeBorders{ebLeft, ebBottom}, false,
   TRect(1, 0, 0, 1), clRed, clNone, clNone, clRed},
  {"sunken top only", true, true, TBorderStyle::bsSingle, clDefault, TEdgeBorders{ebTop}, false, TRect(0, 1, 0, 0),
   clNone, clBtnShadow, clNone, clNone},
  {"no border style", true, false, TBorderStyle::bsNone, clRed, AllEdges, false, TRect(0, 0, 0, 0), clNone, clNone,
   clNone, clNone},
};

void CheckBorder(TFramedAxisGridEh* Grid, const BorderCase& C, const QString& Style)
{
  SCOPED_TRACE(std::string(C.Name) + " under " + Style.toStdString());
  Grid->SetFlat(C.Flat);
  Grid->SetCtl3D(C.Ctl3D);
  Grid->SetBorderStyle(C.Style);
  Grid->Border()->SetColor(C.Color);
  Grid->Border()->SetEdgeBorders(C.Edges);
  if (C.ForceExtended)
    Grid->Border()->SetExtendedDraw(true);
  else
    Grid->Border()->SetExtendedDrawStored(false);
  Grid->HandleNeeded();

  EXPECT_EQ(Grid->Frame(), C.Frame);
  const TRect Client = Grid->ClientRect();
  EXPECT_EQ(Client.Width(), 480 - C.Frame.Left - C.Frame.Right);
  EXPECT_EQ(Client.Height(), 280 - C.Frame.Top - C.Frame.Bottom);

  const QImage Image = Grid->Picture();
  ASSERT_EQ(Image.width(), 480);
  // The grid paints its client area, also on a window made anew.
  EXPECT_EQ(Pixel(Image, C.Frame.Left + 300, C.Frame.Top + 200), Rgb(Grid->Color())) << "the empty space";
  // A point in the middle of each edge, away from the corners.
  struct Probe {
    const char* Edge;
    Integer X, Y;
    TColor Expected;
  };
  for (const Probe& P : {Probe{"left", 0, 140, C.Left}, Probe{"top", 240, 0, C.Top},
                         Probe{"right", 479, 140, C.Right}, Probe{"bottom", 240, 279, C.Bottom}}) {
    SCOPED_TRACE(P.Edge);
    const Cardinal Got = Pixel(Image, P.X, P.Y);
    if (P.Expected != clNone) {
      EXPECT_EQ(Got, Rgb(P.Expected));
      continue;
    }
    // The client's cells reach the window's edge: no frame colour there.
    EXPECT_NE(Got, Rgb(clRed));
    EXPECT_NE(Got, Rgb(clBtnShadow));
  }
}

TEST_F(AxisGridBorderTest, FrameWidthsAndPixelsFollowTheBorder)
{
  MakeGrid();
  for (const char* Style : {"Windows", "Graphite"}) {
    const QString Name = QString::fromLatin1(Style);
    ASSERT_TRUE(TStyleManager::TrySetStyle(Name, false));
    for (const BorderCase& C : BorderCases) {
      CheckBorder(Framed, C, Name);
      const String Kind = QString::fromLatin1(C.Name).replace(QLatin1Char(' '), QLatin1Char('-'));
      EXPECT_TRUE(SaveScreenshot(Framed, gui_test::OutputPath(QStringLiteral("axisgridborder-%1-%2.png").arg(Name, Kind))));
    }
  }
}

TEST_F(AxisGridBorderTest, NewEdgesReframeTheSameWindow)
{
  MakeGrid();
  Framed->SetFlat(true);
  Framed->Border()->SetColor(clRed);
  Framed->HandleNeeded();
  ASSERT_EQ(Framed->Frame(), TRect(1, 1, 1, 1));
  QWidget* Window = Framed->Widget();
  const int Sizes = Framed->SizeMessages;

  // Both edge sets are drawn by the grid: the window stays, its frame moves.
  Framed->Border()->SetEdgeBorders(TEdgeBorders{ebLeft, ebBottom});
  EXPECT_EQ(Framed->Widget(), Window);
  EXPECT_EQ(Framed->Frame(), TRect(1, 0, 0, 1));
  EXPECT_EQ(Framed->ClientRect(), TRect(0, 0, 479, 279));
  EXPECT_GT(Framed->SizeMessages, Sizes) << "the grid hears its larger client area";
  const QImage Image = Framed->Picture();
  EXPECT_EQ(Pixel(Image, 0, 140), Rgb(clRed));
  EXPECT_NE(Pixel(Image, 240, 0), Rgb(clRed));

  Framed->Border()->SetColor(clBlue);
  EXPECT_EQ(Pixel(Framed->Picture(), 240, 279), Rgb(clBlue));

  // Settings that change whether the grid draws the border at all make the
  // window anew with the frame of the other kind.
  Framed->SetCtl3D(false);
  Framed->Border()->SetColor(clDefault);
  Framed->Border()->SetEdgeBorders(AllEdges);
  ASSERT_FALSE(Framed->Border()->DefaultExtendedDraw());
  EXPECT_EQ(Framed->Frame(), TRect(2, 2, 2, 2)) << "the window's own client edge";
  Framed->Border()->SetExtendedDraw(true);
  EXPECT_EQ(Framed->Frame(), TRect(1, 1, 1, 1));
  Framed->Border()->SetExtendedDrawStored(false);
  EXPECT_EQ(Framed->Frame(), TRect(2, 2, 2, 2)) << "back to the default: no extended border";
  Framed->SetCtl3D(true);
  EXPECT_EQ(Framed->Frame(), TRect(1, 1, 1, 1));
  Framed->SetFlat(false);
  EXPECT_EQ(Framed->Frame(), TRect(2, 2, 2, 2)) << "a grid that is no longer flat";
}

TEST_F(AxisGridBorderTest, FrameTakesNoClientInput)
{
  MakeGrid();
  Framed->SetFlat(true);
  Framed->Border()->SetColor(clRed);
  Framed->Border()->SetEdgeBorders(TEdgeBorders{ebLeft, ebBottom});
  Framed->HandleNeeded();
  struct Case {
    TPoint At;
    LRESULT Expected;
  };
  for (const Case& C : {Case{TPoint(0, 140), HTBORDER}, Case{TPoint(240, 279), HTBORDER},
                        Case{TPoint(240, 0), HTCLIENT}, Case{TPoint(479, 140), HTCLIENT},
                        Case{TPoint(1, 1), HTCLIENT}}) {
    SCOPED_TRACE(::testing::Message() << C.At.X << "," << C.At.Y);
    EXPECT_EQ(Framed->HitTest(C.At), C.Expected);
  }
}

} // namespace
