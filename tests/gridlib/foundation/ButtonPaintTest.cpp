// ButtonPaintTest.cpp: every edit-button glyph in every state, classic and
// themed, painted into one table that is kept as a screenshot and probed:
// the glyph is there, moves when pressed and greys when disabled; then the
// measured geometry of dots, bars, separators, check boxes and tree lines.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include "platform/gui/Themes.h"
#include "tests/platform/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Restores the themed look whatever a test switched to.
struct ThemesScope {
  explicit ThemesScope(bool Themed) { SetButtonThemesEnabledEh(Themed); }
  ~ThemesScope() { SetButtonThemesEnabledEh(true); }
};

struct ButtonState {
  const char* Name;
  Integer DownButton;
  bool Flat;
  bool Active;
  bool Enabled;
};

const ButtonState States[] = {
  {"normal", 0, false, false, true},   {"active", 0, false, true, true},   {"pressed", 1, false, true, true},
  {"lower pressed", 2, false, true, true}, {"disabled", 0, false, false, false}, {"flat", 0, true, false, true},
  {"flat active", 0, true, true, true}, {"flat pressed", 1, true, true, true},
};

struct Kind {
  const char* Name;
  TDrawButtonControlStyleEh Style;
  Integer CheckState;
};

const Kind Kinds[] = {
  {"drop-down", bcsDropDownEh, 0}, {"ellipsis", bcsEllipsisEh, 0},  {"spin", bcsUpDownEh, 0},
  {"check", bcsCheckboxEh, 0},     {"checked", bcsCheckboxEh, 1},   {"mixed", bcsCheckboxEh, 2},
  {"plus", bcsPlusEh, 0},          {"minus", bcsMinusEh, 0},        {"alt drop-down", bcsAltDropDownEh, 0},
  {"alt spin", bcsAltUpDownEh, 0},
};

constexpr Integer CellW = 30, CellH = 28, ButtonW = 18, ButtonH = 21, BlockGap = 10;
constexpr Integer KindCount = Integer(std::size(Kinds));
constexpr Integer StateCount = Integer(std::size(States));

TRect ButtonRect(Integer Block, Integer Row, Integer Col)
{
  const Integer X = Block * (StateCount * CellW + BlockGap) + Col * CellW + (CellW - ButtonW) / 2;
  const Integer Y = Row * CellH + (CellH - ButtonH) / 2;
  return Bounds(X, Y, ButtonW, ButtonH);
}

// The rectangle covering the pixels of Color inside R (empty: none).
TRect PixelsOf(TImageCanvas& C, const TRect& R, TColor Color)
{
  TRect Box(R.Right, R.Bottom, R.Left, R.Top);
  const QImage& Img = C.Image();
  const QRgb Want = qRgb(GetRValue(COLORREF(Color)), GetGValue(COLORREF(Color)), GetBValue(COLORREF(Color)));
  for (Integer Y = R.Top; Y < R.Bottom; ++Y)
    for (Integer X = R.Left; X < R.Right; ++X)
      if ((Img.pixel(X, Y) & 0xFFFFFF) == (Want & 0xFFFFFF)) {
        Box.Left = std::min(Box.Left, X);
        Box.Top = std::min(Box.Top, Y);
        Box.Right = std::max(Box.Right, X + 1);
        Box.Bottom = std::max(Box.Bottom, Y + 1);
      }
  return Box.IsEmpty() ? TRect() : Box;
}

Integer CountOf(TImageCanvas& C, const TRect& R, TColor Color)
{
  Integer N = 0;
  for (Integer Y = R.Top; Y < R.Bottom; ++Y)
    for (Integer X = R.Left; X < R.Right; ++X)
      N += C.Pixels(X, Y) == ColorToRGB(Color);
  return N;
}

// The inner part of a button, where the glyph is and no border.
TRect GlyphArea(TRect R)
{
  R.Inflate(-3, -3);
  return R;
}

} // namespace

TEST(ButtonPaintEh, EveryStyleAndStateClassicAndThemed)
{
  TImageCanvas C(2 * StateCount * CellW + BlockGap, KindCount * CellH, clWhite);
  for (Integer Block = 0; Block < 2; ++Block) {
    ThemesScope Scope(Block == 1);
    for (Integer Row = 0; Row < KindCount; ++Row)
      for (Integer Col = 0; Col < StateCount; ++Col) {
        const ButtonState& S = States[Col];
        C.Brush()->SetColor(clWindow);
        PaintButtonControlEh(&C, ButtonRect(Block, Row, Col), clGray, Kinds[Row].Style, S.DownButton, S.Flat,
                             S.Active, S.Enabled, Kinds[Row].CheckState);
      }
  }
  C.SavePng(gui_test::OutputPath(QStringLiteral("edit_buttons.png")));
  gui_test::SaveImage(C.Image().scaled(C.Image().size() * 3), QStringLiteral("edit_buttons_x3.png"));

  // Classic glyphs drawn by the library: the button text colour when
  // enabled, moved one pixel right and down when pressed, embossed grey
  // when disabled.
  const TColor Text = ColorToRGB(clBtnText);
  for (const char* Name : {"ellipsis", "plus", "minus"}) {
    SCOPED_TRACE(Name);
    const Integer Row = Integer(std::find_if(std::begin(Kinds), std::end(Kinds),
                                             [&](const Kind& K) { return std::strcmp(K.Name, Name) == 0; }) -
                                std::begin(Kinds));
    const TRect Normal = PixelsOf(C, GlyphArea(ButtonRect(0, Row, 0)), Text);
    const TRect Pressed = PixelsOf(C, GlyphArea(ButtonRect(0, Row, 2)), Text);
    ASSERT_FALSE(Normal.IsEmpty()) << "glyph present";
    TRect Expected = Normal;
    Expected.Offset(ButtonRect(0, Row, 2).Left - ButtonRect(0, Row, 0).Left + 1, 1);
    EXPECT_EQ(Pressed, Expected) << "pressed glyph one pixel right and down";
    const TRect Disabled = GlyphArea(ButtonRect(0, Row, 4));
    EXPECT_TRUE(PixelsOf(C, Disabled, Text).IsEmpty()) << "no text colour when disabled";
    TRect Shadow = PixelsOf(C, Disabled, ColorToRGB(clBtnShadow));
    TRect Light = PixelsOf(C, Disabled, ColorToRGB(clBtnHighlight));
    Shadow.Offset(-(ButtonRect(0, Row, 4).Left - ButtonRect(0, Row, 0).Left), 0);
    EXPECT_EQ(Shadow, Normal) << "the shadow dots where the enabled glyph is";
    Shadow.Offset(ButtonRect(0, Row, 4).Left - ButtonRect(0, Row, 0).Left + 1, 1);
    EXPECT_EQ(Light, Shadow) << "highlight one pixel right and down";
  }
  // The alternative arrows: window-text rows 5, 3, 1 wide in the 14-pixel
  // glyph area; grey text when disabled.
  const TRect Arrow = PixelsOf(C, GlyphArea(ButtonRect(0, 8, 0)), ColorToRGB(clWindowText));
  EXPECT_EQ(Arrow.Width(), 5);
  EXPECT_EQ(Arrow.Height(), 3);
  EXPECT_EQ(CountOf(C, GlyphArea(ButtonRect(0, 8, 0)), clWindowText), 9);
  EXPECT_EQ(CountOf(C, GlyphArea(ButtonRect(0, 8, 4)), clGrayText), 9);
  EXPECT_EQ(CountOf(C, GlyphArea(ButtonRect(0, 8, 4)), clWindowText), 0);

  // Themed glyphs are shaded from darker than the dark shadow to it.
  const TColor ThemedDark = MixColorsByPercentEh(ColorToRGB(cl3DDkShadow), clBlack, 30);
  EXPECT_GT(CountOf(C, GlyphArea(ButtonRect(1, 1, 0)), ThemedDark), 0) << "themed ellipsis";
  EXPECT_EQ(CountOf(C, GlyphArea(ButtonRect(1, 1, 4)), ThemedDark), 0) << "no dark dots when disabled";
  EXPECT_GT(CountOf(C, GlyphArea(ButtonRect(1, 1, 4)), ColorToRGB(clGrayText)), 0);
  const TRect ThemedNormal = PixelsOf(C, GlyphArea(ButtonRect(1, 6, 0)), ThemedDark);
  TRect ThemedPressed = PixelsOf(C, GlyphArea(ButtonRect(1, 6, 2)), ThemedDark);
  ThemedPressed.Offset(-(ButtonRect(1, 6, 2).Left - ButtonRect(1, 6, 0).Left) - 1, -1);
  EXPECT_EQ(ThemedPressed, ThemedNormal) << "themed plus moves when pressed";

  // Every cell holds a painted button, themed or classic.
  for (Integer Block = 0; Block < 2; ++Block)
    for (Integer Row = 0; Row < KindCount; ++Row)
      for (Integer Col = 0; Col < StateCount; ++Col) {
        SCOPED_TRACE(testing::Message() << Block << ' ' << Kinds[Row].Name << ' ' << States[Col].Name);
        EXPECT_GT(ButtonW * ButtonH - CountOf(C, ButtonRect(Block, Row, Col), clWhite), ButtonW * ButtonH / 8);
      }
}

TEST(ButtonPaintEh, EllipsisDotsBySize)
{
  ThemesScope Scope(false);
  struct Case { Integer Width; Integer Dot; Integer Gap; };
  const Case Cases[] = {{16, 2, 2}, {11, 2, 1}, {7, 1, 1}};
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Width);
    TImageCanvas C(K.Width, 10, clWhite);
    C.Brush()->SetColor(clWhite);
    PaintButtonControlEh(&C, TRect(0, 0, K.Width, 10), clNone, bcsEllipsisEh, 0, false, false, true, 0, 1, false);
    const Integer Y = 5 - K.Dot / 2;
    std::vector<std::pair<Integer, Integer>> Runs;   // start, length
    for (Integer X = 0; X < K.Width; ++X) {
      if (C.Pixels(X, Y) != ColorToRGB(clBtnText))
        continue;
      if (!Runs.empty() && Runs.back().first + Runs.back().second == X)
        ++Runs.back().second;
      else
        Runs.push_back({X, 1});
    }
    ASSERT_EQ(Runs.size(), 3u);
    for (const auto& R : Runs)
      EXPECT_EQ(R.second, K.Dot);
    EXPECT_EQ(Runs[1].first - (Runs[0].first + K.Dot), K.Gap);
    EXPECT_EQ(Runs[1].first, K.Width / 2 - K.Dot / 2) << "middle dot placement";
    EXPECT_EQ(CountOf(C, TRect(0, 0, K.Width, 10), clBtnText), 3 * K.Dot * K.Dot);
  }
}

TEST(ButtonPaintEh, SeparatorsFramesAndPlacement)
{
  ThemesScope Scope(false);
  const TColor Red = ColorToRGB(clRed);
  struct Case { const char* What; TDrawButtonControlStyleEh Style; bool Flat; TColor Frame; Integer Height; bool Red; };
  const Case Cases[] = {
    {"spin of odd height: a separator row", bcsUpDownEh, false, clRed, 21, true},
    {"spin of odd height, no frame colour", bcsUpDownEh, false, clNone, 21, false},
    {"spin of even height: none", bcsUpDownEh, false, clRed, 20, false},
    {"flat check box framed", bcsCheckboxEh, true, clRed, 17, true},
    {"flat check box without frame colour", bcsCheckboxEh, true, clNone, 17, false},
  };
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.What);
    TImageCanvas C(17, K.Height, clWhite);
    PaintButtonControlEh(&C, TRect(0, 0, 17, K.Height), K.Frame, K.Style, 0, K.Flat, false, true, 0);
    EXPECT_EQ(CountOf(C, TRect(0, 0, 17, K.Height), clRed) > 0, K.Red);
    if (K.Style == bcsUpDownEh && K.Red) {
      EXPECT_EQ(PixelsOf(C, TRect(0, 0, 17, K.Height), Red), TRect(0, 10, 17, 11));
    }
  }

  TRect Check;
  CheckBoxRectInRectEh(TRect(10, 10, 40, 50), 2, 2, Check);
  EXPECT_EQ(Check.Bottom, 50) << "bottom layout";
  EXPECT_EQ(Check.Height(), CheckBoxGlyphSizeEh().cy);
  EXPECT_EQ(Check.Left, 10 + 15 - CheckBoxGlyphSizeEh().cx / 2) << "centred";
  CheckBoxRectInRectEh(TRect(0, 0, 8, 8), 1, 1, Check);
  EXPECT_EQ(Check, TRect(0, 0, 8, 8)) << "a small rectangle holds a clipped glyph";

  EXPECT_EQ(EditButtonHeightForWidthEh(15, true), 20);
  EXPECT_EQ(EditButtonHeightForWidthEh(15, false), 15);
  const Integer W = DefaultEditButtonWidthEh();
  EXPECT_GT(W, 0);
  EXPECT_LE(W, GetSystemMetrics(SM_CXVSCROLL));
}

TEST(ButtonPaintEh, TreeGlyphLines)
{
  ThemesScope Scope(false);
  const TColor Line = ColorToRGB(clBtnShadow);
  struct Case { Integer Kind; bool Up; bool Down; bool Right; bool Box; };
  const Case Cases[] = {
    {0, true, true, true, true}, {4, false, false, false, true}, {9, false, false, false, true},
    {13, true, true, false, false}, {14, false, false, true, false}, {11, true, false, true, false},
  };
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Kind);
    TImageCanvas C(21, 21, clWhite);
    DrawTreeNodeGlyphEh(&C, TRect(0, 0, 21, 21), K.Kind, 0, 1, 1, false, true, tvgsClassicEh);
    auto Has = [&](const TRect& R) { return CountOf(C, R, Line) > 0; };
    EXPECT_EQ(Has(TRect(10, 0, 11, 5)), K.Up) << "line up";
    EXPECT_EQ(Has(TRect(10, 16, 11, 21)), K.Down) << "line down";
    EXPECT_EQ(Has(TRect(16, 10, 21, 11)), K.Right) << "line right";
    EXPECT_EQ(CountOf(C, TRect(6, 6, 15, 15), clWindowText) > 0, K.Box) << "sign";
    if (K.Box) {
      EXPECT_EQ(PixelsOf(C, TRect(0, 0, 21, 21), ColorToRGB(clWindowText)).Width(), 5)
        << "bar from the box edge plus inset";
    }
  }
}
