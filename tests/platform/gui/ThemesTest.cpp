// ThemesTest.cpp: classic edges and frame controls pixel by pixel, and the
// themed elements drawn by the active style.
#include "platform/gui/Themes.h"

#include "platform/gui/Metafile.h"
#include "tests/platform/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

namespace {

COLORREF At(TImageCanvas& C, int X, int Y)
{
  const QColor Q = C.Image().pixelColor(X, Y);
  return RGB(Byte(Q.red()), Byte(Q.green()), Byte(Q.blue()));
}

struct TPixel {
  int X, Y;
  Integer Sys;   // a system colour index, or -1 for the untouched white
};

struct TEdgeCase {
  const char* Name;
  UINT Edge, Flags;
  TRect Adjusted;   // R after the call (BF_ADJUST)
  std::vector<TPixel> Pixels;
};

COLORREF Expected(Integer Sys) { return Sys < 0 ? 0xFFFFFF : GetSysColor(Sys); }

// The classic geometry on a 10 x 10 rectangle: outer line, inner line, the
// bottom-right colour owning the top-right and bottom-left corners.
const TEdgeCase EdgeCases[] = {
  {"raised", EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST, TRect(2, 2, 8, 8),
   {{0, 0, COLOR_3DLIGHT}, {8, 0, COLOR_3DLIGHT}, {9, 0, COLOR_3DDKSHADOW}, {0, 9, COLOR_3DDKSHADOW},
    {9, 9, COLOR_3DDKSHADOW}, {1, 1, COLOR_BTNHIGHLIGHT}, {8, 1, COLOR_BTNSHADOW}, {1, 8, COLOR_BTNSHADOW},
    {5, 5, COLOR_BTNFACE}}},
  {"sunken", EDGE_SUNKEN, BF_RECT | BF_ADJUST, TRect(2, 2, 8, 8),
   {{0, 0, COLOR_BTNSHADOW}, {9, 9, COLOR_BTNHIGHLIGHT}, {1, 1, COLOR_3DDKSHADOW}, {8, 8, COLOR_3DLIGHT},
    {5, 5, -1}}},
  {"soft raised (a push button)", EDGE_RAISED, BF_RECT | BF_SOFT, TRect(0, 0, 10, 10),
   {{0, 0, COLOR_BTNHIGHLIGHT}, {1, 1, COLOR_3DLIGHT}, {9, 5, COLOR_3DDKSHADOW}}},
  {"inner line alone sits on the border", BDR_RAISEDINNER, BF_RECT | BF_ADJUST, TRect(1, 1, 9, 9),
   {{0, 0, COLOR_BTNHIGHLIGHT}, {9, 9, COLOR_BTNSHADOW}, {1, 1, -1}}},
  {"flat sunken outer on two sides", BDR_SUNKENOUTER, BF_LEFT | BF_TOP | BF_FLAT | BF_ADJUST, TRect(1, 1, 10, 10),
   {{0, 9, COLOR_BTNSHADOW}, {9, 0, COLOR_BTNSHADOW}, {9, 9, -1}, {9, 1, -1}}},
  {"mono", EDGE_SUNKEN, BF_RECT | BF_MONO | BF_MIDDLE, TRect(0, 0, 10, 10),
   {{0, 0, COLOR_WINDOWFRAME}, {9, 9, COLOR_WINDOWFRAME}, {5, 5, COLOR_WINDOW}}},
};

struct TFrameCase {
  const char* Name;
  UINT Type, State;
  TRect R;
  std::vector<TPixel> Pixels;
};

// 17 x 17 scroll buttons carry a 7 x 4 arrow centred at (8, 8); the check
// box's mark is the classic seven-column tick, 3 pixels inside the box.
const TFrameCase FrameCases[] = {
  {"combo-box button", DFC_SCROLL, DFCS_SCROLLCOMBOBOX, TRect(0, 0, 17, 17),
   {{0, 0, COLOR_3DLIGHT}, {16, 16, COLOR_3DDKSHADOW}, {8, 9, COLOR_BTNTEXT}, {8, 10, COLOR_BTNFACE},
    {5, 6, COLOR_BTNTEXT}, {11, 6, COLOR_BTNTEXT}, {4, 6, COLOR_BTNFACE}, {12, 6, COLOR_BTNFACE}}},
  {"pushed combo-box button goes flat, arrow moved", DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_PUSHED, TRect(0, 0, 17, 17),
   {{0, 0, COLOR_BTNSHADOW}, {16, 16, COLOR_BTNSHADOW}, {1, 1, COLOR_BTNFACE}, {9, 10, COLOR_BTNTEXT},
    {6, 7, COLOR_BTNTEXT}, {5, 6, COLOR_BTNFACE}}},
  {"inactive up arrow is embossed", DFC_SCROLL, DFCS_SCROLLUP | DFCS_INACTIVE, TRect(0, 0, 17, 17),
   {{8, 6, COLOR_BTNSHADOW}, {8, 5, COLOR_BTNFACE}, {12, 10, COLOR_BTNHIGHLIGHT}}},
  {"check box checked", DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED, TRect(0, 0, 13, 13),
   {{0, 0, COLOR_BTNSHADOW}, {1, 1, COLOR_3DDKSHADOW}, {12, 12, COLOR_BTNHIGHLIGHT}, {3, 3, COLOR_WINDOW},
    {3, 5, COLOR_WINDOWTEXT}, {5, 9, COLOR_WINDOWTEXT}, {9, 3, COLOR_WINDOWTEXT}, {9, 7, COLOR_WINDOW}}},
  {"check box mixed", DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_BUTTON3STATE | DFCS_CHECKED, TRect(0, 0, 13, 13),
   {{3, 3, COLOR_BTNFACE}, {3, 5, COLOR_BTNSHADOW}}},
  {"check box disabled, unchecked", DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_INACTIVE, TRect(0, 0, 13, 13),
   {{3, 5, COLOR_BTNFACE}, {6, 6, COLOR_BTNFACE}}},
  {"check box centred in a wider rectangle", DFC_BUTTON, DFCS_BUTTONCHECK, TRect(0, 0, 23, 13),
   {{4, 6, -1}, {5, 0, COLOR_BTNSHADOW}, {17, 12, COLOR_BTNHIGHLIGHT}}},
  {"push button", DFC_BUTTON, DFCS_BUTTONPUSH, TRect(0, 0, 20, 10),
   {{0, 0, COLOR_BTNHIGHLIGHT}, {19, 0, COLOR_3DDKSHADOW}, {18, 8, COLOR_BTNSHADOW}, {10, 5, COLOR_BTNFACE}}},
  {"radio button checked", DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED, TRect(0, 0, 13, 13),
   {{6, 6, COLOR_WINDOWTEXT}, {0, 6, COLOR_BTNSHADOW}, {1, 6, COLOR_3DDKSHADOW}, {12, 6, COLOR_BTNHIGHLIGHT},
    {11, 6, COLOR_3DLIGHT}, {3, 6, COLOR_WINDOW}, {0, 0, -1}}},
  {"caption close button", DFC_CAPTION, DFCS_CAPTIONCLOSE, TRect(0, 0, 16, 14),
   {{0, 0, COLOR_BTNHIGHLIGHT}, {15, 13, COLOR_3DDKSHADOW}, {5, 4, COLOR_BTNTEXT}, {10, 4, COLOR_BTNTEXT},
    {7, 6, COLOR_BTNTEXT}, {8, 4, COLOR_BTNFACE}}},
  {"size grip", DFC_SCROLL, DFCS_SCROLLSIZEGRIP, TRect(0, 0, 16, 16),
   {{14, 15, COLOR_BTNHIGHLIGHT}, {15, 14, COLOR_BTNHIGHLIGHT}, {13, 15, COLOR_BTNSHADOW}, {15, 13, COLOR_BTNSHADOW},
    {15, 15, COLOR_BTNFACE}, {2, 2, COLOR_BTNFACE}}},
  {"left-hand size grip", DFC_SCROLL, DFCS_SCROLLSIZEGRIPRIGHT, TRect(0, 0, 16, 16),
   {{1, 15, COLOR_BTNHIGHLIGHT}, {0, 14, COLOR_BTNHIGHLIGHT}, {2, 15, COLOR_BTNSHADOW}}},
};

class ThemesTest : public gui_test::GuiTest {};

} // namespace

TEST_F(ThemesTest, DrawEdgeClassicGeometryInEachStyle)
{
  for (const char* StyleName : {"Windows", "Graphite"}) {
    SCOPED_TRACE(StyleName);
    TStyleManager::SetStyle(QString::fromLatin1(StyleName));
    for (const TEdgeCase& C : EdgeCases) {
      SCOPED_TRACE(C.Name);
      TImageCanvas Canvas(12, 12);
      TRect R(0, 0, 10, 10);
      ASSERT_TRUE(DrawEdge(Canvas.Handle(), R, C.Edge, C.Flags));
      EXPECT_EQ(R, C.Adjusted);
      for (const TPixel& P : C.Pixels)
        EXPECT_EQ(At(Canvas, P.X, P.Y), Expected(P.Sys)) << "at " << P.X << "," << P.Y;
      EXPECT_EQ(At(Canvas, 10, 10), 0xFFFFFFu);   // nothing outside
    }
  }
}

TEST_F(ThemesTest, DrawFrameControlClassicParts)
{
  for (const TFrameCase& C : FrameCases) {
    SCOPED_TRACE(C.Name);
    TImageCanvas Canvas(C.R.Right + 2, C.R.Bottom + 2);
    TRect R = C.R;
    ASSERT_TRUE(DrawFrameControl(Canvas.Handle(), R, C.Type, C.State));
    for (const TPixel& P : C.Pixels)
      EXPECT_EQ(At(Canvas, P.X, P.Y), Expected(P.Sys)) << "at " << P.X << "," << P.Y;
  }
  TImageCanvas Strip(30 * int(std::size(FrameCases)), 30, clBtnFace);
  for (std::size_t I = 0; I < std::size(FrameCases); ++I) {
    TRect R = FrameCases[I].R;
    OffsetRect(R, 2 + 30 * int(I), 2);
    DrawFrameControl(Strip.Handle(), R, FrameCases[I].Type, FrameCases[I].State);
  }
  gui_test::SaveImage(Strip.Image(), QStringLiteral("frame-controls.png"));
  // A push button with DFCS_ADJUSTRECT answers the rectangle inside its edges.
  TImageCanvas Canvas(30, 20);
  TRect R(0, 0, 30, 20);
  DrawFrameControl(Canvas.Handle(), R, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
  EXPECT_EQ(R, TRect(2, 2, 28, 18));
}

TEST_F(ThemesTest, EdgesAndFrameControlsRecordIntoMetafiles)
{
  TMetafile Meta;
  Meta.SetWidth(40);
  Meta.SetHeight(20);
  auto Draw = [](HDC DC) {
    TRect A(0, 0, 20, 20), B(20, 0, 37, 17);
    DrawEdge(DC, A, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    DrawFrameControl(DC, B, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
  };
  {
    TMetafileCanvas C(&Meta, nullptr);
    Draw(C.Handle());
  }
  TImageCanvas Direct(40, 20), Played(40, 20);
  Draw(Direct.Handle());
  Played.Draw(0, 0, &Meta);
  EXPECT_EQ(Direct.Image(), Played.Image());
}

TEST_F(ThemesTest, ElementsAreDrawnInTheActiveStylesColours)
{
  TCustomStyleServices* S = StyleServices();
  ASSERT_TRUE(S->Enabled());
  EXPECT_EQ(ThemeServices(), S);
  const TThemedElementDetails Elements[] = {
    S->GetElementDetails(tbPushButtonNormal), S->GetElementDetails(tbPushButtonPressed),
    S->GetElementDetails(tbCheckBoxCheckedNormal), S->GetElementDetails(tbCheckBoxMixedDisabled),
    S->GetElementDetails(tcDropDownButtonHot), S->GetElementDetails(tsUpNormal), S->GetElementDetails(tsDownPressed),
    S->GetElementDetails(ttbButtonHot), S->GetElementDetails(tsSizeBoxRightAlign),
    S->GetElementDetails(ttGlyphClosed), S->GetElementDetails(tgFixedCellNormal),
    S->GetElementDetails(tgClassicCellSelected), S->GetElementDetails(tlListItemSelected),
    S->GetElementDetails(twSmallCaptionActive), S->GetElementDetails(twSmallCloseButtonHot),
    S->GetElementDetails(tttCloseNormal)};
  auto Average = [](const QImage& I) {
    Int64 Sum = 0, N = 0;
    for (int Y = 0; Y < I.height(); ++Y)
      for (int X = 0; X < I.width(); ++X)
        if (I.pixelColor(X, Y) != QColor(Qt::white)) {
          Sum += qGray(I.pixel(X, Y));
          ++N;
        }
    return N ? int(Sum / N) : -1;
  };
  std::vector<int> Plain;
  for (const char* StyleName : {"Windows", "Graphite"}) {
    TStyleManager::SetStyle(QString::fromLatin1(StyleName));
    S = StyleServices();
    // A strip of every element, for a person to look at.
    TImageCanvas Strip(44 * int(std::size(Elements)), 28, clBtnFace);
    for (std::size_t I = 0; I < std::size(Elements); ++I)
      S->DrawElement(Strip.Handle(), Elements[I], Bounds(2 + 44 * int(I), 2, 40, 24));
    gui_test::SaveImage(Strip.Image(), QStringLiteral("themed-elements-%1.png").arg(QLatin1String(StyleName)));
    for (std::size_t I = 0; I < std::size(Elements); ++I) {
      SCOPED_TRACE(std::string(StyleName) + " element " + std::to_string(I));
      TImageCanvas Canvas(40, 24);
      ASSERT_TRUE(S->DrawElement(Canvas.Handle(), Elements[I], TRect(2, 2, 38, 22)));
      const int Gray = Average(Canvas.Image());
      ASSERT_GE(Gray, 0) << "nothing drawn";
      EXPECT_EQ(At(Canvas, 0, 0), 0xFFFFFFu);   // only inside its rectangle
      if (Plain.size() < std::size(Elements))
        Plain.push_back(Gray);
      else if (Elements[I] == S->GetElementDetails(tbPushButtonNormal) ||
               Elements[I] == S->GetElementDetails(tgFixedCellNormal)) {
        EXPECT_LT(Gray + 60, Plain[I]) << "the dark style draws the element darker";
      }
    }
  }
  // The clip rectangle limits the drawing.
  TImageCanvas Clipped(40, 24);
  const TRect Clip(2, 2, 10, 22);
  S->DrawElement(Clipped.Handle(), S->GetElementDetails(tbPushButtonNormal), TRect(2, 2, 38, 22), &Clip);
  EXPECT_EQ(At(Clipped, 20, 12), 0xFFFFFFu);
}

TEST_F(ThemesTest, ElementMetricsAndColours)
{
  TCustomStyleServices* S = StyleServices();
  TSize Size;
  ASSERT_TRUE(S->GetElementSize(nullptr, S->GetElementDetails(tbCheckBoxCheckedNormal), esActual, Size));
  EXPECT_GT(Size.cx, 8);
  EXPECT_EQ(Size.cx, Size.cy);
  TRect Content;
  S->GetElementContentRect(nullptr, S->GetElementDetails(tbPushButtonNormal), TRect(0, 0, 80, 24), Content);
  EXPECT_GT(Content.Left, 0);
  EXPECT_LT(Content.Right, 80);
  TColor Fill = clNone, Text = clNone;
  S->GetElementColor(S->GetElementDetails(tgClassicCellSelected), ecFillColor, Fill);
  S->GetElementColor(S->GetElementDetails(tgClassicCellSelected), ecTextColor, Text);
  EXPECT_EQ(COLORREF(Fill), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(COLORREF(Text), GetSysColor(COLOR_HIGHLIGHTTEXT));
  S->GetElementColor(S->GetElementDetails(tbPushButtonDisabled), ecTextColor, Text);
  EXPECT_EQ(COLORREF(Text), GetSysColor(COLOR_GRAYTEXT));
}
