// AxisGridButtonsTest.cpp: buttons inside the data cells of an axis grid over
// the parts of the test server: a cell button bound by name in a form fires
// on the row clicked or keyed, up/down buttons step by one rule and repeat
// while held, a menu does not reopen on the press that closes it, and the
// buttons are painted, opaque or see-through.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "gridlib/editors/DateTimeCalendarPickersEh.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/ScopeExit.h"
#include "tests/gridlib/axisgrid/OneRowAxisGrid.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QMouseEvent>

using namespace axisgrid_test;

namespace {

String S(const char* Text)
{
  return QString::fromUtf8(Text);
}

// The one-row grid with the mouse and the keys reaching the buttons in the
// cells the way the axis grid offers them.
class TButtonsAxisGridEh : public TOneRowAxisGridEh {
  VELMORA_CLASS(TButtonsAxisGridEh)
public:
  using TOneRowAxisGridEh::TOneRowAxisGridEh;
  // The box of the cell's control number Child (0 is the data area), in
  // client coordinates.
  TRect ChildRect(Integer ACol, Integer ARow, Integer Child)
  {
    TInCellPlaceBoxEh* Box = GetCellPlaceBox(ACol, ARow);
    EXPECT_NE(Box, nullptr);
    if (!Box || Child >= Box->ChildCount())
      return TRect();
    TRect R = Box->ChildItem(Child)->CtrlClientRect();
    TRect Cell;
    GetAxisBarCellDataRect(ACol, ARow, Cell, AxisBars()->AxisBar(ACol));
    R.Offset(Cell.Left, Cell.Top);
    return R;
  }
  std::unique_ptr<TImageCanvas> PaintImage()
  {
    auto Image = std::make_unique<TImageCanvas>(Width(), Height(), clFuchsia);
    PaintWindow(Image->Handle());
    return Image;
  }
  Integer GetCellButtonTransparency(Integer ACol, Integer ARow, TEditButtonEh* Button,
                                    TAxisColCellParamsEh* Params, TAxisBarEh* AxisBar) override
  {
    (void)ACol;
    (void)Button;
    (void)Params;
    (void)AxisBar;
    return ARow == SeeThroughRow ? 50 : 0;
  }
  Integer SeeThroughRow = -1;

  static void Register()
  {
    TOneRowAxisGridEh::Register();
    RegisterClassInfo<TButtonsAxisGridEh, TOneRowAxisGridEh>("TButtonsAxisGridEh");
  }

protected:
  void UpdatePlaceBoxListForCell(Integer ACol, Integer ARow, TInCellPlaceBoxEh* PlaceBox) override
  {
    FillPlaceBoxForCell(ACol, ARow, PlaceBox, AxisBars()->AxisBar(ACol));
  }
  // Until the grid draws its cells' boxes itself.
  void DrawPlaceBoxControls(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar, TRect CellRect,
                            TAxisColCellParamsEh* Params) override
  {
    TInCellPlaceBoxEh* Box = GetCellPlaceBox(Cell.X, Cell.Y);
    for (Integer I = 0; Box && I < Box->ChildCount(); ++I) {
      TInCellPlaceBoxEh* Child = Box->ChildItem(I);
      if (auto* Control = dynamic_cast<IInCellControlEh*>(Child->Control()))
        Control->DrawInCell(Canvas(), Cell, AreaCell, AxisBar, CellRect, Params, Child);
      else
        DrawDataCellMainContent(Cell, AreaCell, AxisBar, CellRect, Params, Child->CtrlClientRect());
    }
  }
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override
  {
    TOneRowAxisGridEh::MouseDown(Button, Shift, X, Y);
    const TGridCoord Cell = MouseCoord(X, Y);
    if (Cell.X >= 0 && Cell.Y >= 0)
      InCellControlMouseDown(Cell, Button, Shift, X, Y);
  }
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override
  {
    InCellControlMouseUp(MouseCoord(X, Y), Button, Shift, X, Y);
    TOneRowAxisGridEh::MouseUp(Button, Shift, X, Y);
  }
  void KeyDown(Word& Key, TShiftState Shift) override
  {
    if (CellButtonShortCut(Key, Shift)) {
      Key = 0;
      return;
    }
    TOneRowAxisGridEh::KeyDown(Key, Shift);
  }
};

void SendMouse(TWinControl* Control, QEvent::Type Type, TPoint At)
{
  Control->HandleNeeded();
  QWidget* W = Control->Widget();
  // The widget holds the control's frame too: client points lie inside it.
  const TPoint Origin = Control->ClientToScreen(TPoint(0, 0));
  const QPoint Frame = QPoint(Origin.X, Origin.Y) - W->mapToGlobal(QPoint(0, 0));
  const QPointF P(At.X + Frame.x(), At.Y + Frame.y());
  const Qt::MouseButton Buttons = Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent E(Type, P, W->mapToGlobal(P), Qt::LeftButton, Buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(W, &E);
}

void Press(TWinControl* Control, TPoint At)
{
  SendMouse(Control, QEvent::MouseButtonPress, At);
}

void Release(TWinControl* Control, TPoint At)
{
  SendMouse(Control, QEvent::MouseButtonRelease, At);
}

void ClickAt(TWinControl* Control, TPoint At)
{
  Press(Control, At);
  Release(Control, At);
}

TPoint Centre(const TRect& R)
{
  return TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
}

const char* NameWithEllipsis = R"(    Columns = <
      item
        CellButtons = <
          item
            Style = ebsEllipsisEh
            OnClick = GridColumns0CellButtons0Click
          end>
        FieldName = 's_name'
      end>
)";

const char* UpDownColumns = R"(    Columns = <
      item
        CellButtons = <
          item
            Style = ebsUpDownEh
            DefaultAction = True
          end>
        FieldName = 'n_qty'
      end
      item
        CellButtons = <
          item
            Style = ebsUpDownEh
            DefaultAction = True
          end>
        FieldName = 's_name'
        PickList.Strings = (
          'Болт М8'
          'Гайка М8'
          'Кабель')
      end>
)";

class AxisGridButtonsTest : public AxisGridFormTest {
protected:
  void SetUp() override
  {
    AxisGridFormTest::SetUp();
    TButtonsAxisGridEh::Register();
  }
  void Open(const char* Columns)
  {
    std::string Text = PartsForm(Columns);
    const std::string From = "TTestAxisGridEh";
    Text.replace(Text.find(From), From.size(), "TButtonsAxisGridEh");
    ReadForm(Text.c_str());
    Parts->Open();
    Buttons = static_cast<TButtonsAxisGridEh*>(Grid);
    Buttons->Arrange();
    Buttons->HandleNeeded();
  }
  Integer CurrentId() { return Parts->FieldByName(QStringLiteral("id"))->AsInteger(); }
  TCellButtonEh* CellButton(Integer Bar) { return Grid->AxisBars()->AxisBar(Bar)->CellButtons()->Items(0); }
  // The form shown and the editor on the first row's cell of bar Col.
  TDBAxisGridInplaceEdit* EditCell(Integer Col)
  {
    Grid->SetOptions(Grid->Options() + TGridOptionsEh{goEditingEh, goAlwaysShowEditorEh});
    Form->Show();
    Application->ProcessMessages();
    Grid->SetFocus();
    Grid->SetCol(Col);
    Grid->ShowEditor();
    Application->ProcessMessages();
    return dynamic_cast<TDBAxisGridInplaceEdit*>(Grid->InplaceEditor());
  }

  TButtonsAxisGridEh* Buttons = nullptr;
};

TEST_F(AxisGridButtonsTest, BoundClickFiresOnTheRowClickedOrKeyed)
{
  Open(NameWithEllipsis);
  TCellButtonEh* Button = CellButton(0);
  ASSERT_TRUE(bool(Button->OnClick));
  std::vector<Integer> SeenIds;
  const TButtonClickEventEh Bound = Button->OnClick;
  Button->OnClick = [&, Bound](TObject* Sender, bool& Handled) {
    SeenIds.push_back(CurrentId());
    Bound(Sender, Handled);
  };
  ASSERT_EQ(CurrentId(), 10);

  // The mouse: the button of the third row, while the first is current.
  ClickAt(Grid, Centre(Buttons->ChildRect(0, 2, 1)));
  EXPECT_EQ(SeenIds, (std::vector<Integer>{12}));
  EXPECT_EQ(Grid->Row(), 2);

  // A click beside the button moves the row but presses nothing.
  ClickAt(Grid, Centre(Buttons->ChildRect(0, 1, 0)));
  EXPECT_EQ(SeenIds.size(), 1u);
  EXPECT_EQ(CurrentId(), 11);

  // The keyboard: the button's short cut (Alt+Down unless set) on the row
  // the arrow keys went to.
  gui_test::Key(Grid, Qt::Key_Down);
  ASSERT_EQ(CurrentId(), 12);
  gui_test::Key(Grid, Qt::Key_Up);
  ASSERT_EQ(CurrentId(), 11);
  gui_test::Key(Grid, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(SeenIds, (std::vector<Integer>{12, 11}));
  EXPECT_EQ(Form->CellButtonClicks, 2) << "the form's own handler ran each time";
  EXPECT_EQ(CurrentId(), 11) << "the short cut does not move the row";
  EXPECT_EQ(Grid->MouseDownInCellPlaceBox(), nullptr);
}

TEST_F(AxisGridButtonsTest, UpDownHalvesStepByOneRuleAndTheMiddleLineNot)
{
  Open(UpDownColumns);
  const TRect Qty = Buttons->ChildRect(0, 0, 1);
  const TRect Name = Buttons->ChildRect(1, 0, 1);
  ASSERT_FALSE(Qty.IsEmpty());
  const Integer H = Qty.Height();
  const Integer Middle = H / 2;   // neither half: Y < H div 2 is the upper one
  ASSERT_GT(H, Middle * 2 - 1);
  enum Where { Upper, Line, Lower };
  struct Case {
    Integer Bar;
    Where At;
    const char* Expected;
  };
  // A number goes up on the upper half; a list goes back to the previous
  // entry there, as the editor's buttons do.
  const Case Cases[] = {
    {0, Upper, "13,5"},    {0, Lower, "11,5"},     {0, Line, "12,5"},
    {1, Upper, "Кабель"}, {1, Lower, "Гайка М8"}, {1, Line, "Болт М8"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(testing::Message() << "bar " << C.Bar << " at " << int(C.At));
    const TRect R = C.Bar == 0 ? Qty : Name;
    const Integer Y = C.At == Upper ? R.Top : C.At == Lower ? R.Bottom - 1 : R.Top + Middle;
    ClickAt(Grid, TPoint((R.Left + R.Right) / 2, Y));
    TField* F = Grid->AxisBars()->AxisBar(C.Bar)->Field();
    EXPECT_EQ(F->DisplayText(), S(C.Expected));
    EXPECT_EQ(CellButton(C.Bar)->UpDownButtonNum(), 0) << "the release forgets the half";
    Parts->Cancel();
  }
  // The rule of the bar that the cell editor uses too.
  TAxisBarEh* QtyBar = Grid->AxisBars()->AxisBar(0);
  TAxisBarEh* NameBar = Grid->AxisBars()->AxisBar(1);
  QtyBar->SetIncrement(2);
  EXPECT_EQ(QtyBar->UpDownStep(1), 2);
  EXPECT_EQ(QtyBar->UpDownStep(2), -2);
  EXPECT_EQ(NameBar->UpDownStep(1), -1);
  EXPECT_EQ(NameBar->UpDownStep(2), 1);
  EXPECT_EQ(NameBar->UpDownStep(0), 0);
}

TEST_F(AxisGridButtonsTest, HeldHalfRepeatsAfter400MsThenEvery100)
{
  TTestClock Clock;
  Open(UpDownColumns);
  const TRect R = Buttons->ChildRect(0, 0, 1);
  TField* Qty = Parts->FieldByName(QStringLiteral("n_qty"));
  struct Step {
    Cardinal AfterMs;
    double Value;
  };
  // Pressed at 0 on the upper half: 12.5 + 1 at once, at 400, 500, 600 ms.
  const Step Steps[] = {{0, 13.5}, {399, 13.5}, {1, 14.5}, {99, 14.5}, {1, 15.5}, {100, 16.5}};
  Press(Grid, TPoint(R.Left + 2, R.Top + 1));
  for (const Step& S : Steps) {
    Clock.Advance(S.AfterMs);
    EXPECT_DOUBLE_EQ(Qty->AsFloat(), S.Value) << "at " << Clock.Now();
  }
  Release(Grid, TPoint(R.Left + 2, R.Top + 1));
  Clock.Advance(1000);
  EXPECT_DOUBLE_EQ(Qty->AsFloat(), 16.5) << "the release stops the repeat";
  Parts->Cancel();

  // On the middle line nothing steps, held or not.
  const TPoint Line(R.Left + 2, R.Top + R.Height() / 2);
  Press(Grid, Line);
  Clock.Advance(1000);
  Release(Grid, Line);
  EXPECT_DOUBLE_EQ(Qty->AsFloat(), 12.5);
  EXPECT_NE(Parts->State(), dsEdit);
}

TEST_F(AxisGridButtonsTest, MenuDoesNotReopenOnThePressThatClosedIt)
{
  TTestClock Clock;
  Open(NameWithEllipsis);
  TCellButtonEh* Button = CellButton(0);
  auto* Menu = new TPopupMenu(Form);
  Button->SetDropdownMenu(Menu);
  Integer Pops = 0;
  bool DownWhileOpen = false;
  TPopupMenu::SetPopupHook([&](TPopupMenu*) -> TMenuItem* {
    ++Pops;
    DownWhileOpen = Button->PersistentDown();
    return nullptr;
  });
  ScopeExit Unhook([] { TPopupMenu::SetPopupHook(nullptr); });
  const TPoint At = Centre(Buttons->ChildRect(0, 1, 1));

  ClickAt(Grid, At);
  EXPECT_EQ(Pops, 1);
  EXPECT_TRUE(DownWhileOpen) << "drawn down while its menu is open";
  EXPECT_FALSE(Button->PersistentDown());
  EXPECT_EQ(Form->CellButtonClicks, 0) << "the menu is the button's action";

  Clock.Advance(50);
  ClickAt(Grid, At);
  EXPECT_EQ(Pops, 1) << "the press that closed the menu";
  EXPECT_EQ(Form->CellButtonClicks, 0) << "nor does its release click";
  Clock.Advance(100);
  ClickAt(Grid, At);
  EXPECT_EQ(Pops, 2);
}

// Text pixels and glyph dots: every channel low.
bool IsDark(TColor C)
{
  const Cardinal V = Cardinal(ColorToRGB(C));
  return std::max({V & 0xFF, (V >> 8) & 0xFF, (V >> 16) & 0xFF}) < 100;
}

Integer Channel(TColor C, Integer Shift)
{
  return Integer((Cardinal(ColorToRGB(C)) >> Shift) & 0xFF);
}

TEST_F(AxisGridButtonsTest, ButtonsArePaintedInEveryRowOpaqueOrSeeThrough)
{
  Open(NameWithEllipsis);
  Grid->AxisBars()->AxisBar(0)->SetColor(clNavy);
  Buttons->SeeThroughRow = 2;
  auto Image = Buttons->PaintImage();
  gui_test::SaveImage(Image->Image(), QStringLiteral("axisgridbuttons.png"));

  // The face of the first button, a light point away from the dots and the
  // frame, is what the see-through button lays half over the cell.
  const TRect First = Buttons->ChildRect(0, 0, 1);
  const TColor Face = Image->Pixels(First.Left + 3, First.Top + 3);
  for (Integer Shift : {0, 8, 16})
    EXPECT_GT(Channel(Face, Shift), 200) << "a light face";
  for (Integer Row = 0; Row < 3; ++Row) {
    SCOPED_TRACE(Row);
    const TRect B = Buttons->ChildRect(0, Row, 1);
    ASSERT_FALSE(B.IsEmpty());
    const TRect Data = Buttons->ChildRect(0, Row, 0);
    EXPECT_LE(Data.Right, B.Left) << "the button sits right of the data";
    // A point of the face away from the dots and the frame.
    const TColor Probe = Image->Pixels(B.Left + 3, B.Top + 3);
    const TColor Back = Image->Pixels(Data.Left + Data.Width() - 2, B.Top + 3);
    EXPECT_EQ(Cardinal(Back), Cardinal(ColorToRGB(clNavy))) << "the cell's own colour beside it";
    Integer Dots = 0;
    // The dots' line: the darkest line of the button.
    for (Integer Y = B.Top; Y < B.Bottom; ++Y) {
      Integer Line = 0;
      for (Integer X = B.Left; X < B.Right; ++X)
        Line += IsDark(Image->Pixels(X, Y)) ? 1 : 0;
      Dots = std::max(Dots, Line);
    }
    if (Row != Buttons->SeeThroughRow) {
      EXPECT_EQ(Cardinal(Probe), Cardinal(Face)) << "every opaque button alike";
      EXPECT_GE(Dots, 3) << "three dots of the ellipsis";
      continue;
    }
    // Half of the face over the navy cell.
    for (Integer Shift : {0, 8, 16}) {
      const Integer Expected = (Channel(Face, Shift) + Channel(clNavy, Shift)) / 2;
      EXPECT_NEAR(Channel(Probe, Shift), Expected, 3) << "channel at " << Shift;
    }
  }
}

} // namespace

// A press as a person makes it: the window system first gives the focus to
// the window under the mouse (here the editor's button strip), then the
// control gets the press.
void PersonClick(TWinControl* Control, TPoint At)
{
  Control->Widget()->setFocus(Qt::MouseFocusReason);
  Application->ProcessMessages();
  ClickAt(Control, At);
  Application->ProcessMessages();
}

// The pick list's button under a person's presses: one opens the list, the
// next closes it and leaves it closed, the editor keeping the focus; the
// list's value is not taken.
TEST_F(AxisGridButtonsTest, SecondPressOnTheDropDownButtonClosesTheListForGood)
{
  Open(R"(    Columns = <
      item
        FieldName = 's_name'
        PickList.Strings = (
          'Болт М8'
          'Гайка М8'
          'Кабель')
      end
      item
        FieldName = 'd_made'
      end>
)");
  TDBAxisGridInplaceEdit* Edit = EditCell(0);
  ASSERT_NE(Edit, nullptr);
  ASSERT_TRUE(Edit->Visible());
  TEditButtonsBoxEh* Box = Edit->ButtonsBox();
  ASSERT_TRUE(Box && Box->Visible());
  const TPoint Button(Box->Width() / 2, Box->Height() / 2);
  const String Before = Parts->FieldByName(QStringLiteral("s_name"))->AsString();

  PersonClick(Box, Button);
  ASSERT_TRUE(Edit->ListVisible()) << "the first press opens the list";
  ASSERT_NE(Edit->ActiveList(), nullptr);
  EXPECT_TRUE(Edit->ActiveList()->Visible());
  PersonClick(Box, Button);
  EXPECT_FALSE(Edit->ListVisible()) << "the second press closes it and does not open it again";
  EXPECT_FALSE(Edit->ActiveList()->Visible());
  TWinControl* Focused = FindControl(GetFocus());
  EXPECT_TRUE(Focused && Edit->ContainsControl(Focused)) << "the editor keeps the focus";
  EXPECT_TRUE(Edit->Visible());
  EXPECT_EQ(Parts->FieldByName(QStringLiteral("s_name"))->AsString(), Before);
}

// A date cell of any grid has its calendar from the editor itself: Alt+Down
// opens it at the field's date, a day is picked and Enter writes it.
TEST_F(AxisGridButtonsTest, DateCellOpensItsCalendarAndEnterWritesTheDay)
{
  Open(R"(    Columns = <
      item
        FieldName = 's_name'
      end
      item
        FieldName = 'd_made'
      end>
)");
  TDBAxisGridInplaceEdit* Edit = EditCell(1);
  ASSERT_NE(Edit, nullptr);
  ASSERT_EQ(CurrentId(), 10);
  EXPECT_EQ(Edit->EditStyle(), esDateCalendar);

  gui_test::Key(Edit, Qt::Key_Down, Qt::AltModifier);
  Application->ProcessMessages();
  ASSERT_TRUE(Edit->ListVisible());
  auto* Picker = dynamic_cast<IPopupDateTimePickerEh*>(Edit->ActiveList());
  ASSERT_NE(Picker, nullptr) << "the editor made the calendar";
  EXPECT_TRUE(Edit->ActiveList()->Visible());
  EXPECT_EQ(Picker->GetDateTime(), EncodeDate(2026, 3, 1));

  auto* Calendar = dynamic_cast<TPopupDateTimeCalendarFormEh*>(Edit->ActiveList());
  ASSERT_NE(Calendar, nullptr);
  Calendar->SetDateTime(EncodeDate(2026, 3, 3));
  gui_test::Key(Edit, Qt::Key_Return);
  Application->ProcessMessages();
  EXPECT_FALSE(Edit->ListVisible());
  EXPECT_EQ(Parts->FieldByName(QStringLiteral("d_made"))->AsDateTime(), EncodeDate(2026, 3, 3));
}
