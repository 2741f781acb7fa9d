// SharedRoutinesTest.cpp: colour arithmetic, variant equality and ordering,
// value texts, the library manager and the platform-layer helpers.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Themes.h"
#include "platform/rtl/SysUtils.h"
#include "gridlib/foundation/GridsEh.h"
#include "tests/platform/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

TEST(SharedColours, LuminanceMixAndDarker)
{
  struct Case { TColor Color; Integer Luminance; };
  const Case Cases[] = {
    {RGBEh(255, 0, 0), 76}, {RGBEh(0, 0, 255), 28}, {RGBEh(255, 255, 255), 255},
    {RGBEh(0, 255, 0), 149}, {RGBEh(0, 0, 0), 0}, {clGray, 128},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Color);
    EXPECT_EQ(LuminanceOfColorEh(C.Color), C.Luminance);
    EXPECT_EQ(GrayColorOfEh(C.Color), RGBEh(Byte(C.Luminance), Byte(C.Luminance), Byte(C.Luminance)));
  }
  EXPECT_EQ(MixColorsByFactorEh(clBlack, clWhite, 127.5), RGBEh(127, 127, 127));
  EXPECT_EQ(MixColorsByFactorEh(clBlack, clWhite, 0), clBlack);
  EXPECT_EQ(MixColorsByFactorEh(clBlack, clWhite, 255), clWhite);
  EXPECT_EQ(MixColorsByFactorEh(clBlack, clWhite, 400), clWhite) << "clamped";
  EXPECT_EQ(MixColorsByPercentEh(clBlack, clWhite, 50), RGBEh(128, 128, 128));
  EXPECT_EQ(MixColorsByPercentEh(RGBEh(200, 100, 0), RGBEh(0, 100, 200), 25), RGBEh(150, 100, 50));
  EXPECT_EQ(DarkerColorEh(clWhite, clRed), clRed);
  EXPECT_EQ(DarkerColorEh(clRed, clRed), clRed);
  EXPECT_EQ(DarkerColorEh(RGBEh(10, 10, 10), RGBEh(10, 10, 10)), RGBEh(10, 10, 10));
  // System colours are resolved before any arithmetic.
  EXPECT_EQ(LuminanceOfColorEh(clWindow), LuminanceOfColorEh(ColorToRGB(clWindow)));
  EXPECT_EQ(ColorToImageListColorEh(clNone), CLR_NONE);
  EXPECT_EQ(ColorToImageListColorEh(clDefault), CLR_DEFAULT);
  EXPECT_EQ(ColorWithLightnessEh(clRed, 128), RGBEh(255, 0, 0));
  EXPECT_EQ(ColorWithLightnessEh(RGBEh(40, 0, 0), 128), RGBEh(255, 0, 0)) << "hue kept, lightness set";
}

TEST(SharedColours, VerticalGradientRows)
{
  TImageCanvas Canvas(20, 12, clWhite);
  FillVerticalGradientEh(&Canvas, TRect(0, 1, 20, 11), RGBEh(0, 0, 0), RGBEh(90, 180, 0));
  EXPECT_EQ(Canvas.Pixels(5, 1), RGBEh(0, 0, 0));
  EXPECT_EQ(Canvas.Pixels(5, 10), RGBEh(90, 180, 0));
  EXPECT_EQ(Canvas.Pixels(5, 4), RGBEh(30, 60, 0));
  EXPECT_EQ(Canvas.Pixels(5, 0), clWhite) << "nothing above the rectangle";
  EXPECT_EQ(Canvas.Pixels(5, 11), clWhite) << "nothing below it";
  // A rectangle one pixel high takes the top colour.
  FillVerticalGradientEh(&Canvas, TRect(0, 0, 20, 1), RGBEh(1, 2, 3), RGBEh(200, 200, 200));
  EXPECT_EQ(Canvas.Pixels(19, 0), RGBEh(1, 2, 3));
}

TEST(SharedColours, ThemeTestsFollowTheStyleManager)
{
  EXPECT_TRUE(StyleThemesEnabledEh());
  EXPECT_TRUE(ThemesEnabledVistaOrLaterEh());
  const String Before = TStyleManager::ActiveStyle()->Name();
  ASSERT_TRUE(TStyleManager::TrySetStyle(QStringLiteral("Windows"), false));
  EXPECT_FALSE(CustomStyleActiveEh());
  const QStringList Names = TStyleManager::StyleNames();
  for (const String& Name : Names) {
    if (Name == QStringLiteral("Windows"))
      continue;
    ASSERT_TRUE(TStyleManager::TrySetStyle(Name, false));
    EXPECT_TRUE(CustomStyleActiveEh()) << Name.toStdString();
    break;
  }
  TStyleManager::TrySetStyle(Before, false);
}

TEST(SharedColours, AlphaBitmapCaptureAndLines)
{
  TCacheAlphaBitmapEh* Bmp = GetCacheAlphaBitmapEh(10, 4);
  EXPECT_GE(Bmp->Width(), 10);
  EXPECT_EQ(GetCacheAlphaBitmapEh(3, 3), Bmp) << "shared and never shrunk";
  EXPECT_GE(Bmp->Width(), 10);
  Bmp->Capture();
  EXPECT_TRUE(CacheAlphaBitmapCapturedEh());
  try {
    Bmp->Capture();
    ADD_FAILURE() << "captured twice";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("CacheAlphaBitmap have captured"));
  }
  Bmp->DrawHorzLine(TPoint(-3, 1), 5, clRed);
  Bmp->DrawHorzLine(TPoint(2, 9), 5, clBlue);   // outside: nothing
  const QImage& Img = Bmp->Image();
  EXPECT_EQ(Img.pixel(0, 1), qRgba(255, 0, 0, 255));
  EXPECT_EQ(Img.pixel(2, 1), qRgba(255, 0, 0, 255));
  EXPECT_NE(Img.pixel(3, 1), qRgba(255, 0, 0, 255));
  Bmp->Release();
  EXPECT_FALSE(CacheAlphaBitmapCapturedEh());
}

TEST(SharedValues, VariantEqualityNeverRaises)
{
  struct Case { const char* Name; Variant A; Variant B; bool Equal; };
  const Case Cases[] = {
    {"numbers", 5, 5.0, true},
    {"text and number", QStringLiteral("5"), 5, true},
    {"null and null", Null, Null, true},
    {"empty and null", Unassigned, Null, false},
    {"empty and empty", Unassigned, Unassigned, true},
    {"empty and zero", Unassigned, 0, false},
    {"array and scalar", VarArrayOf({1, 2}), 1, false},
    {"equal arrays", VarArrayOf({1, QStringLiteral("a")}), VarArrayOf({1, QStringLiteral("a")}), true},
    {"different arrays", VarArrayOf({1, 2}), VarArrayOf({1, 3}), false},
    {"arrays of other length", VarArrayOf({1, 2}), VarArrayOf({1, 2, 3}), false},
    {"text against array", QStringLiteral("abc"), VarArrayOf({1}), false},
    {"text against date", QStringLiteral("not a date"), Variant(TDateTime(45000.0)), false},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(VarValuesEqualEh(C.A, C.B), C.Equal);
  }
  EXPECT_FALSE(VarValuesEqualEh(VarArrayCreate({0, -1}, varVariant), VarArrayCreate({0, -1}, varVariant)))
      << "two arrays without elements differ";
}

TEST(SharedValues, VariantOrderingPutsNullFirst)
{
  struct Case { const char* Name; Variant A; Variant B; TVariantRelationship R; };
  const Case Cases[] = {
    {"null, 5", Null, 5, vrLessThan},
    {"5, null", 5, Null, vrGreaterThan},
    {"null, null", Null, Null, vrEqual},
    {"1, 2", 1, 2, vrLessThan},
    {"texts", QStringLiteral("b"), QStringLiteral("a"), vrGreaterThan},
    {"array, scalar", VarArrayOf({1}), 1, vrNotEqual},
    {"arrays, first difference decides", VarArrayOf({1, 5, 0}), VarArrayOf({1, 2, 9}), vrGreaterThan},
    {"arrays with null", VarArrayOf({1, Null}), VarArrayOf({1, 0}), vrLessThan},
    {"equal arrays", VarArrayOf({1, 2}), VarArrayOf({1, 2}), vrEqual},
    {"arrays of other shape", VarArrayOf({1}), VarArrayOf({1, 2}), vrNotEqual},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(CompareVarValuesEh(C.A, C.B), C.R);
  }
}

TEST(SharedValues, TextsOfValues)
{
  EXPECT_EQ(VarToArrayTextEh(VarArrayOf({1, VarArrayOf({2, 3})})), QStringLiteral("[1, [2, 3]]"));
  EXPECT_EQ(VarToArrayTextEh(Null), QString());
  EXPECT_EQ(VarToInvariantStrEh(Variant(1.5)), QStringLiteral("1.5"));
  EXPECT_EQ(VarToInvariantStrEh(Variant(TDateTime(EncodeDate(2024, 3, 7)))), QStringLiteral("2024-03-07"));
  EXPECT_EQ(FloatToInvariantStrEh(-2.25), QStringLiteral("-2.25"));
  EXPECT_EQ(FormatSettings.DecimalSeparator, QLatin1Char(',')) << "the program's settings are untouched";
  Variant V;
  InvariantStrToVarEh(QStringLiteral("3.75"), varDouble, V);
  EXPECT_DOUBLE_EQ(V.AsDouble(), 3.75);
  InvariantStrToVarEh(QStringLiteral("2024-03-07"), varDate, V);
  EXPECT_DOUBLE_EQ(double(V.AsDateTime()), double(EncodeDate(2024, 3, 7)));
  EXPECT_THROW(InvariantStrToVarEh(QStringLiteral("x"), varDouble, V), Exception);
  EXPECT_TRUE(VarIsNumericEh(Variant(TDateTime(1.0))));
  EXPECT_TRUE(VarIsNumericEh(Variant(Int64(1))));
  EXPECT_FALSE(VarIsNumericEh(Variant(QStringLiteral("1"))));
  EXPECT_FALSE(VarIsNumericEh(Variant(true)));
}

TEST(SharedValues, DateTimeFormatUnits)
{
  struct Case { const char* Format; TCalendarDateTimeUnitsEh Units; };
  const Case Cases[] = {
    {"dd.mm.yyyy hh:nn", {cdtuDayEh, cdtuMonthEh, cdtuYearEh, cdtuHourEh, cdtuMinuteEh}},
    {"'Day' hh", {cdtuHourEh}},
    {"\"it's\" ss", {cdtuSecondEh}},
    {"h:nn am/pm", {cdtuHourEh, cdtuMinuteEh, cdtuAmPmEh}},
    {"a/p", {cdtuAmPmEh}},
    {"ax", {}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Format);
    TCalendarDateTimeUnitsEh Units;
    DateTimeFormatUnitsEh(QString::fromUtf8(C.Format), Units);
    EXPECT_EQ(Units.Bits(), C.Units.Bits());
  }
}

TEST(SharedValues, ArraysSortAndSearch)
{
  TVariantArrayEh A{1, 2, 3};
  ArrayInsertRange(A, 3, 2);
  EXPECT_EQ(A.size(), 5u);
  EXPECT_TRUE(A[4].IsEmpty());
  ArrayInsertRange(A, 1, 0);
  EXPECT_EQ(A.size(), 5u);
  EXPECT_THROW(ArrayDeleteRange(A, 4, 2), Exception);
  ArrayDeleteRange(A, 0, 2);
  EXPECT_EQ(A[0].AsInteger(), 3);

  std::vector<Integer> Data{5, 3, 9, 1, 1, 7, 0, 8};
  QuickSortEh(&Data, 0, Integer(Data.size()) - 1,
              [](void* D, Integer I, Integer J) {
                auto& V = *static_cast<std::vector<Integer>*>(D);
                std::swap(V[std::size_t(I)], V[std::size_t(J)]);
              },
              [](void* D, Integer I, Integer J) {
                auto& V = *static_cast<std::vector<Integer>*>(D);
                return V[std::size_t(I)] - V[std::size_t(J)];
              });
  EXPECT_TRUE(std::is_sorted(Data.begin(), Data.end()));

  TStringList List;
  List.Add(QStringLiteral("Moscow"));
  List.Add(QStringLiteral("москва"));
  EXPECT_EQ(FindInStringsEh(&List, QStringLiteral("Mos"), 2), 0);
  EXPECT_EQ(FindInStringsEh(&List, QStringLiteral("Mos"), 0), -1);
  EXPECT_EQ(FindInStringsEh(&List, QStringLiteral("МОСКВА"), 1), 1);
  EXPECT_EQ(FindInStringsEh(&List, QStringLiteral("МОСКВА"), 0), -1);
}

TEST(SharedValues, TextOrderWhateverTheLocale)
{
  const QLocale Saved;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_LT(AnsiCompareStrEh(QStringLiteral("ёж"), QStringLiteral("жук")), 0);
  EXPECT_GT(AnsiCompareStrEh(QStringLiteral("яблоко"), QStringLiteral("Zebra")), 0) << "Latin before Cyrillic";
  EXPECT_EQ(AnsiCompareTextEh(QStringLiteral("Привет"), QStringLiteral("пРИВЕТ")), 0);
  EXPECT_NE(AnsiCompareStrEh(QStringLiteral("Привет"), QStringLiteral("пРИВЕТ")), 0);
  EXPECT_EQ(StrCompareLocaleEh(QStringLiteral("абвг"), QStringLiteral("абвд"), 3, false), 0);
  EXPECT_EQ(StrCompareLocaleEh(QStringLiteral("абвг"), QStringLiteral("абвд"), 0, false), -1);
  EXPECT_EQ(StrCompareLocaleEh(QStringLiteral("аб"), QStringLiteral("абв"), 10, false), -1);
  EXPECT_EQ(AnsiUpperCaseEh(QStringLiteral("ёлка")), QStringLiteral("ЁЛКА"));
  QLocale::setDefault(Saved);
}

TEST(SharedValues, ObjectsCarriedInVariants)
{
  TStringList Object;
  Variant V;
  RefObjectToVarEh(&Object, V);
  EXPECT_EQ(VarToRefObjectEh(V), &Object);
  Variant Copy = V;
  V = Null;
  EXPECT_EQ(VarToRefObjectEh(Copy), &Object) << "the wrapper lives while a Variant holds it";
  EXPECT_THROW(VarToRefObjectEh(Variant(5)), EInvalidCast);
}

TEST(SharedValues, MemoryStreamGrowsInSteps)
{
  TMemoryStreamEh S;
  S.SetCapacity(1);
  EXPECT_EQ(S.Capacity(), 8192);
  S.SetCapacity(8193);
  EXPECT_EQ(S.Capacity(), 16384);
  S.SetHalfMemoryDelta(100);
  S.SetCapacity(250);
  EXPECT_EQ(S.Capacity(), 400);
  const char Bytes[] = "0123456789";
  S.WriteBuffer(Bytes, 10);
  S.SetCapacity(10);
  EXPECT_EQ(S.Capacity(), 10) << "the current size is kept exactly";
  EXPECT_EQ(S.Bytes(), QByteArray("0123456789"));
}

TEST(LibraryManager, WorkingDaysAndCalendarSettings)
{
  TWorkingTimeCalendarEh* Cal = GlobalWorkingTimeCalendar();
  EXPECT_TRUE(Cal->IsWorkday(EncodeDate(2024, 3, 4)));    // Monday
  EXPECT_TRUE(Cal->IsWorkday(EncodeDate(2024, 3, 8)));    // Friday
  EXPECT_FALSE(Cal->IsWorkday(EncodeDate(2024, 3, 9)));   // Saturday
  EXPECT_FALSE(Cal->IsWorkday(EncodeDate(2024, 3, 10)));  // Sunday
  TTimeRangesEh Ranges;
  Cal->GetWorkingTime(EncodeDate(2024, 3, 9), Ranges);
  ASSERT_EQ(Ranges.size(), 1u);
  EXPECT_DOUBLE_EQ(double(Ranges[0].StartTime), double(EncodeTime(8, 0, 0, 0)));
  EXPECT_DOUBLE_EQ(double(Ranges[0].EndTime), double(EncodeTime(17, 0, 0, 0)));

  TGridLibManager* M = GlobalGridLibManager();
  EXPECT_EQ(M->AltDecimalSeparator(), QLatin1Char('.'));
  EXPECT_TRUE(M->UseAlphaFormatInAlphaBlend());
  // A calendar setting that changes asks open windows once to repaint.
  TForm Form(nullptr, 0);
  auto CountThemeMessages = [&] {
    Integer N = 0;
    TMsg Msg;
    while (PeekMessage(Msg, &Form, WM_THEMECHANGED, WM_THEMECHANGED, PM_REMOVE))
      ++N;
    return N;
  };
  CountThemeMessages();
  M->SetWeekWorkingDays(M->WeekWorkingDays());
  EXPECT_EQ(CountThemeMessages(), 0) << "an unchanged value posts nothing";
  const TWeekDaysEh Saved = M->WeekWorkingDays();
  M->SetWeekWorkingDays(Saved + TWeekDaysEh{wwdSaturdayEh});
  EXPECT_TRUE(Cal->IsWorkday(EncodeDate(2024, 3, 9)));
  M->SetDateTimeCalendarPickerHighlightHolidays(false);
  EXPECT_EQ(CountThemeMessages(), 1) << "one message while the first still waits";
  M->SetWeekWorkingDays(Saved);
  M->SetDateTimeCalendarPickerHighlightHolidays(true);
  CountThemeMessages();

  TGridLibManager Other;
  TGridLibManager* Previous = SetGlobalGridLibManager(&Other);
  EXPECT_EQ(Previous, M);
  EXPECT_EQ(GlobalGridLibManager(), &Other);
  SetGlobalGridLibManager(Previous);
}

namespace {
// Records the sides a drop-down is told it opened on.
class TDropDownProbe : public TWinControl {
public:
  using TWinControl::TWinControl;
  std::vector<WPARAM> Sides;
  void WndProc(TMessage& Message) override
  {
    if (Message.Msg == WM_USER + 100)
      Sides.push_back(Message.WParam);
    TWinControl::WndProc(Message);
  }
};
} // namespace

TEST(SharedPlacement, DropDownOpensWhereThereIsRoom)
{
  const TRect Work = Screen->WorkAreaRect();
  ASSERT_GT(Work.Height(), 700);
  TDropDownProbe Drop(nullptr);
  TPoint Pos;

  // 100 pixels under the host, 500 above: upward at full height.
  Drop.SetBounds(0, 0, 200, 300);
  const TRect Host(Work.Left + 50, Work.Bottom - 120, Work.Left + 250, Work.Bottom - 100);
  CalcDropDownPosForRectEh(Host, &Drop, 0, Pos);
  EXPECT_EQ(Pos, TPoint(Host.Left, Host.Top - 300));
  EXPECT_EQ(Drop.Height(), 300);
  EXPECT_EQ(Drop.Sides, (std::vector<WPARAM>{2, 1}));

  // Room below: downward, left-anchored; right alignment anchors the right edge.
  Drop.Sides.clear();
  const TRect High(Work.Left + 300, Work.Top + 10, Work.Left + 400, Work.Top + 30);
  CalcDropDownPosForRectEh(High, &Drop, 1, Pos);
  EXPECT_EQ(Pos, TPoint(High.Right - 200, High.Bottom));
  EXPECT_EQ(Drop.Sides, (std::vector<WPARAM>{3, 0}));

  // Wider than the work area: narrowed to it and kept inside.
  Drop.Sides.clear();
  Drop.SetBounds(0, 0, Work.Width() + 100, 100);
  CalcDropDownPosForRectEh(High, &Drop, 0, Pos);
  EXPECT_EQ(Drop.Width(), Work.Width());
  EXPECT_EQ(Pos.X, Work.Right - Drop.Width());
  EXPECT_EQ(Drop.Sides.back(), 0u);

  // Fits neither way, more room above: upward, lowered to the room there.
  Drop.Sides.clear();
  Drop.SetBounds(0, 0, 100, Work.Height());
  const TRect Middle(Work.Left, Work.Top + Work.Height() / 2 + 50, Work.Left + 100, Work.Top + Work.Height() / 2 + 70);
  CalcDropDownPosForRectEh(Middle, &Drop, 0, Pos);
  EXPECT_EQ(Drop.Height(), Middle.Top - Work.Top);
  EXPECT_EQ(Pos.Y, Work.Top);
}

TEST(SharedDrawing, ProgressBar)
{
  TImageCanvas Canvas(210, 20, clWhite);
  Canvas.Brush()->SetColor(clWhite);
  TProgressBarParamsEh P;
  P.ShowText = false;
  // Half of the range from 100 to 200: 150 fills half of the bar's room.
  DrawProgressBarEh(&Canvas, TRect(0, 0, 204, 20), clBlue, &P, clWhite, clBlue, 200, 100, 150);
  EXPECT_EQ(Canvas.Pixels(3, 10), clBlue);
  EXPECT_EQ(Canvas.Pixels(99, 10), clBlue);
  EXPECT_EQ(Canvas.Pixels(110, 10), clWhite);
  // An empty range does not divide by zero: below it no bar, at it a full one.
  TImageCanvas Empty(100, 20, clWhite);
  DrawProgressBarEh(&Empty, TRect(0, 0, 100, 20), clBlue, &P, clWhite, clBlue, 5, 5, 3);
  EXPECT_EQ(Empty.Pixels(50, 10), clWhite);
  DrawProgressBarEh(&Empty, TRect(0, 0, 100, 20), clBlue, &P, clWhite, clBlue, 5, 5, 5);
  EXPECT_EQ(Empty.Pixels(50, 10), clBlue);
}

TEST(SharedDrawing, ImageInRect)
{
  TImageCanvas Canvas(100, 40, clWhite);
  TBitmap Bmp(10, 10);
  Bmp.Canvas()->Brush()->SetColor(clRed);
  Bmp.Canvas()->FillRect(TRect(0, 0, 10, 10));
  DrawImageInRectEh(nullptr, &Bmp, &Canvas, TRect(0, 0, 100, 40), -1, 2, 0, taRightJustify,
                    TRect(0, 0, 100, 40), 1, true);
  EXPECT_EQ(Canvas.Pixels(100 - 10 + 2 - 1, 20), clWhite) << "sticks out: clipped at the right";
  EXPECT_EQ(Canvas.Pixels(95, 20), clRed);
  EXPECT_EQ(Canvas.Pixels(95, 14), clWhite) << "vertically centred";
  DrawImageInRectEh(nullptr, &Bmp, &Canvas, TRect(0, 0, 40, 40), -1, 0, 0, taLeftJustify,
                    TRect(0, 0, 40, 40), 2, true);
  EXPECT_EQ(Canvas.Pixels(11, 11), clRed) << "scaled twice, centred";
  EXPECT_EQ(Canvas.Pixels(9, 20), clWhite);
  EXPECT_EQ(Bmp.Width(), 10) << "the caller's bitmap stays";
}

TEST(SharedText, DirectionAndCutTexts)
{
  EXPECT_TRUE(FirstCharIsRightToLeftEh(QStringLiteral("שלום"), false));
  EXPECT_FALSE(FirstCharIsRightToLeftEh(QStringLiteral("abc"), true));
  EXPECT_TRUE(FirstCharIsRightToLeftEh(QStringLiteral("123"), true));
  EXPECT_FALSE(FirstCharIsRightToLeftEh(QStringLiteral("123"), false));
  EXPECT_FALSE(FirstCharIsRightToLeftEh(QString(), true));

  TImageCanvas Canvas(10, 10, clWhite);
  Integer W = 0, H = 0;
  const String Text = QStringLiteral("Длинный текст ячейки");
  EXPECT_TRUE(IsTextCutInRectEh(&Canvas, TRect(0, 0, 40, 20), Text, 0, false, true, false, taLeftJustify, 0, 0, W, H));
  EXPECT_EQ(W, Canvas.TextWidth(Text));
  EXPECT_FALSE(IsTextCutInRectEh(&Canvas, TRect(0, 0, 400, 20), Text, 0, false, true, false, taLeftJustify, 0, 0, W, H));

  TFont Font;
  Font.SetName(QStringLiteral("Arial"));
  Font.SetStyle({fsBold});
  Font.SetHeight(-15);
  TFontDataEh Data;
  FontToFontDataEh(&Font, Data);
  TFont Other;
  FontDataToFontEh(Data, &Other);
  EXPECT_TRUE(Other.Equals(Font));
}

namespace {
class TKeyRecorder : public TWinControl {
public:
  using TWinControl::TWinControl;
  std::vector<WPARAM> Keys;
  void WndProc(TMessage& Message) override
  {
    if (Message.Msg == WM_KEYDOWN)
      Keys.push_back(Message.WParam);
    TWinControl::WndProc(Message);
  }
};
} // namespace

TEST(PopupInactiveForm, KeysReachTheMasterAndClicksDoNotActivate)
{
  TPopupInactiveFormEh Popup(nullptr);
  EXPECT_EQ(Popup.BorderStyle(), bsNone);
  EXPECT_EQ(Popup.FormStyle(), fsStayOnTop);
  EXPECT_TRUE(Popup.DropShadow());
  TKeyRecorder Master(nullptr);
  Popup.SetMasterActionsControl(&Master);
  Popup.Perform(WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(Master.Keys, (std::vector<WPARAM>{VK_DOWN}));
  EXPECT_EQ(Popup.Perform(WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);

  Popup.SetBounds(10, 10, 120, 80);
  EXPECT_EQ(Popup.BorderWidth(), 0);
  const TRect Plain = Popup.ClientRect();
  Popup.SetBorderStyle(bsSingle);
  EXPECT_EQ(Popup.BorderWidth(), 2);
  const TRect Framed = Popup.ClientRect();
  EXPECT_EQ(Framed.Width(), Plain.Width() - 4);
  EXPECT_EQ(Framed.Height(), Plain.Height() - 4);
  Popup.SetVisible(true);
  EXPECT_TRUE(Popup.Visible());
  Popup.SetVisible(false);
  EXPECT_FALSE(Popup.Visible());
}

TEST(SharedValues, FieldValueDisplayText)
{
  TIntegerField Int(nullptr);
  TFloatField Float(nullptr);
  TFloatField Money(nullptr);
  Money.SetCurrency(true);
  Money.SetPrecision(15);
  TDateField Date(nullptr);
  TLargeintField Large(nullptr);
  const TDateTime Day = EncodeDate(2024, 3, 7);
  struct Case { const char* Name; Variant Value; TField* Field; const char* Format; const char* Text; };
  const Case Cases[] = {
    {"null with a format", Null, &Int, "0.00", ""},
    {"empty", Unassigned, &Float, "", ""},
    {"integer", 1234, &Int, "", "1234"},
    {"integer with a format", 1234, &Int, "#,##0.00", "1\u00A0234,00"},
    {"float general", 2.5, &Float, "", "2,5"},
    {"float with a format", 2.5, &Float, "0.000", "2,500"},
    {"currency field", 2.5, &Money, "", "2,50 ₽"},
    {"date", Variant(Day), &Date, "", "07.03.2024"},
    {"date with a format", Variant(Day), &Date, "yyyy-mm-dd", "2024-03-07"},
    {"large integer", Variant(Int64(9000000000)), &Large, "0.0", "9000000000"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(FieldValueToDisplayTextEh(C.Value, C.Field, QString::fromUtf8(C.Format)), QString::fromUtf8(C.Text));
  }
  Int.SetDisplayFormat(QStringLiteral("000000"));
  EXPECT_EQ(FieldValueToDisplayTextEh(42, &Int, QString()), QStringLiteral("000042"));
  EXPECT_TRUE(IsNumericFieldTypeEh(ftBCD));
  EXPECT_FALSE(IsNumericFieldTypeEh(ftAutoInc));
  EXPECT_FALSE(IsNumericFieldTypeEh(ftLargeint));
  EXPECT_TRUE(IsStringFieldTypeEh(ftWideMemo));
  EXPECT_FALSE(IsStringFieldTypeEh(ftInteger));
}

TEST(SharedValues, DateAndTimeParts)
{
  const TDateTime T = EncodeDate(2024, 3, 7) + EncodeTime(13, 45, 10, 999);
  EXPECT_DOUBLE_EQ(double(TruncDateTimeToSecondsEh(T)), double(EncodeDate(2024, 3, 7) + EncodeTime(13, 45, 10, 0)));
  TDateTime V = EncodeDate(2024, 3, 7) + 0.25;
  ReplaceTimeOfDateTimeEh(V, EncodeTime(18, 0, 0, 0));
  EXPECT_DOUBLE_EQ(double(V), double(EncodeDate(2024, 3, 7)) + 0.75);
  // Before the epoch the time of day is subtracted, as such dates are kept.
  TDateTime Old = -10.25;
  ReplaceTimeOfDateTimeEh(Old, EncodeTime(12, 0, 0, 0));
  EXPECT_DOUBLE_EQ(double(Old), -10.5);
  THoursTimeFormatEh Hours;
  TAmPmPosEh AmPm;
  GetLocaleHoursFormatEh(Hours, AmPm);
  EXPECT_EQ(Hours, htf24hEh);
  EXPECT_EQ(GetFirstDayOfWeekEh(), 0) << "Monday";
}

TEST(SharedColours, ClassicLookWhenTheSystemThemesAreOff)
{
  ASSERT_TRUE(TStyleManager::TrySetStyle(QStringLiteral("Windows"), false));
  TGridDrawStyleEh Style(nullptr);
  EXPECT_NE(Style.GetActualSelectionStyle(), gsdsClassicEh);
  TStyleManager::SetSystemThemesEnabled(false);
  EXPECT_FALSE(StyleThemesEnabledEh());
  EXPECT_FALSE(ThemesEnabledVistaOrLaterEh());
  EXPECT_EQ(Style.GetActualSelectionStyle(), gsdsClassicEh) << "the classic selection look";
  const QStringList Names = TStyleManager::StyleNames();
  ASSERT_GT(Names.size(), 1);
  ASSERT_TRUE(TStyleManager::TrySetStyle(Names.at(1), false));
  EXPECT_TRUE(StyleThemesEnabledEh()) << "a custom style always draws themed";
  TStyleManager::SetSystemThemesEnabled(true);
  TStyleManager::TrySetStyle(QStringLiteral("Windows"), false);
  EXPECT_TRUE(StyleThemesEnabledEh());
}

TEST(SharedValues, NumbersAndMaskedTexts)
{
  struct Case { const char* Name; Variant V; bool Numeric; };
  const Case Cases[] = {
    {"integer", 5, true}, {"double", 2.5, true}, {"currency", Variant(Currency(12.34)), true},
    {"date", Variant(TDateTime(45000.5)), true}, {"int64", Variant(Int64(1) << 40), true},
    {"unsigned 64", Variant(UInt64(1) << 63), true}, {"text", Variant(QStringLiteral("12")), false},
    {"null", Null, false}, {"boolean", true, false},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(VarIsNumericEh(C.V), C.Numeric) << C.Name;

  struct Mask { const char* Mask; const char* Text; const char* Want; };
  const Mask Masks[] = {
    {"000-000;0;*", "12", "12*-***"},
    {"000-000;1;*", "12", "12*-***"},
    {"(000) 000;0;_", "123456", "(123) 456"},
    {"!000;0;#", "7", "##7"},
  };
  for (const Mask& M : Masks)
    EXPECT_EQ(FormatMaskTextWithMaskBlankEh(QString::fromUtf8(M.Mask), QString::fromUtf8(M.Text)),
              QString::fromUtf8(M.Want)) << M.Mask;
  EXPECT_TRUE(VarIsNull(FieldsValuesAsVariantEh({}))) << "no field, no value";
}

TEST(SharedText, ReadingOrderOfATexts)
{
  struct Case { const char* Text; TBiDiMode Default; TBiDiMode Want; };
  const Case Cases[] = {
    {"", bdRightToLeft, bdLeftToRight}, {"Склад", bdRightToLeft, bdLeftToRight},
    {"\u05E9\u05DC\u05D5\u05DD", bdLeftToRight, bdRightToLeft}, {"\u0661\u0662", bdLeftToRight, bdRightToLeft},
    {"12", bdRightToLeft, bdRightToLeft}, {" a", bdLeftToRight, bdLeftToRight},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(TextBiDiModeEh(QString::fromUtf8(C.Text), C.Default), C.Want) << C.Text;
  EXPECT_TRUE(FirstCharIsRightToLeftEh(QStringLiteral("12"), true));
  EXPECT_FALSE(FirstCharIsRightToLeftEh(QString(), true));
}

TEST(SharedDrawing, ImageListImageCentredAndSelected)
{
  TImageList Images(nullptr);
  Images.SetWidth(8);
  Images.SetHeight(8);
  TBitmap Red(8, 8);
  Red.Canvas()->Brush()->SetColor(clRed);
  Red.Canvas()->FillRect(TRect(0, 0, 8, 8));
  Images.Add(&Red, nullptr);
  TImageCanvas Canvas(60, 20, clWhite);
  DrawImageListImageCenteredEh(&Canvas, TRect(0, 0, 20, 20), &Images, 0, false);
  EXPECT_EQ(Canvas.Pixels(6, 6), TColor(clRed)) << "centred: 6..13";
  EXPECT_EQ(Canvas.Pixels(5, 6), clWhite);
  EXPECT_EQ(Canvas.Pixels(14, 13), clWhite);
  DrawImageListImageCenteredEh(Canvas.Handle(), TRect(20, 0, 40, 20), &Images, 0, true);
  const TColor Hi = ColorToRGB(clHighlight);
  const TColor Mixed = Canvas.Pixels(30, 10);
  EXPECT_NE(Mixed, TColor(clRed)) << "the selected look";
  EXPECT_NEAR(GetRValue(Mixed), (255 + GetRValue(Hi)) / 2, 2);
  EXPECT_NEAR(GetBValue(Mixed), GetBValue(Hi) / 2, 2);
  DrawImageListImageCenteredEh(&Canvas, TRect(40, 0, 44, 20), &Images, 0, false);
  EXPECT_EQ(Canvas.Pixels(44, 10), clWhite) << "an image wider than the rectangle is clipped";
  EXPECT_EQ(Canvas.Pixels(43, 10), TColor(clRed));
}

class PlatformLayer : public gui_test::GuiTest {};

TEST_F(PlatformLayer, CursorsBitmapsAndTheDropShadow)
{
  Integer Registered[3] = {};
  const char* Names[] = {"DOWNCUREH", "RIGHTCUREH", "LEFTCUREH"};
  for (Integer I = 0; I < 3; ++I) {
    Registered[I] = LoadRegisterCursorEh(QString::fromLatin1(Names[I]));
    EXPECT_GT(Registered[I], 0);
    EXPECT_EQ(Screen->Cursors(Registered[I]), LoadCursorEh(nullptr, QString::fromLatin1(Names[I])));
  }
  EXPECT_NE(Registered[0], Registered[1]);
  const Integer Again = LoadRegisterCursorEh(QStringLiteral("DOWNCUREH"));
  EXPECT_NE(Again, Registered[0]) << "the same name twice takes two numbers";
  EXPECT_EQ(Screen->Cursors(Again)->Cursor.hotSpot(), QPoint(15, 28)) << "the arrow's tip";
  EXPECT_THROW(LoadCursorEh(nullptr, QStringLiteral("NOSUCHCURSOR")), EOutOfResources);
  for (Integer N : {Registered[0], Registered[1], Registered[2], Again})
    Screen->SetCursors(N, nullptr);

  EXPECT_EQ(LoadBitmapEh(nullptr, QStringLiteral("NOSUCHBITMAP")), nullptr);
  TCreateParams Params;
  EXPECT_TRUE(SetDropShadowClassStyleEh(nullptr, Params, true));
  EXPECT_TRUE(Params.WindowClass.style & CS_DROPSHADOW);
  SetDropShadowClassStyleEh(nullptr, Params, false);
  EXPECT_FALSE(Params.WindowClass.style & CS_DROPSHADOW);
}

TEST_F(PlatformLayer, CharacterAtTheCaret)
{
  auto* F = new TForm(Application, 0);
  F->SetBounds(10, 10, 300, 100);
  F->Show();
  auto* E = new TEdit(F);
  E->SetParent(F);
  E->SetBounds(10, 10, 250, 24);
  E->SetText(QStringLiteral("Заказ 1234"));
  E->SetFocus();
  QCoreApplication::processEvents();
  for (Integer Caret : {0, 3, 6, 10}) {
    E->SetSelStart(Caret);
    EXPECT_EQ(GetCharIndexAtCaretEh(E), Caret) << "the caret after " << Caret << " characters";
  }
}
