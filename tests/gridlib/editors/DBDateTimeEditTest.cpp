// DBDateTimeEditTest.cpp: the date-time editor on a form read from its
// description, over date and timestamp columns of the test server: patterns
// by kind and their storage, typing and completion on exit, the time of day
// kept by a date-only editor, separator jumps, stepping by keys and wheel,
// and texts assigned from code.
#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/editors/DateTimeCalendarPickersEh.h"
#include "platform/data/ADODB.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/DateUtils.h"

#include "tests/gridlib/editors/EditorsTestSupport.h"
#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/support/TestDatabase.h"

#include <QPainter>

namespace {

const char* const FormText = R"(object DatesForm: TForm
  Left = 0
  Top = 0
  Caption = 'Сроки'
  ClientHeight = 200
  ClientWidth = 320
  object DateEdit: TDBDateTimeEditEh
    Left = 90
    Top = 8
    Width = 200
    Height = 21
    DataField = 'd'
    DataSource = ItemSource
  end
  object StampDateEdit: TDBDateTimeEditEh
    Left = 90
    Top = 40
    Width = 200
    Height = 21
    DataField = 'ts'
    DataSource = ItemSource
  end
  object StampEdit: TDBDateTimeEditEh
    Left = 90
    Top = 72
    Width = 200
    Height = 21
    DataField = 'ts'
    DataSource = ItemSource
    Kind = dtkDateTimeEh
  end
  object ClockEdit: TDBDateTimeEditEh
    Left = 90
    Top = 104
    Width = 200
    Height = 21
    EditFormat = 'hh:nn'
  end
  object OtherEdit: TEdit
    Left = 90
    Top = 136
    Width = 200
    Height = 21
  end
  object ItemSource: TDataSource
    DataSet = Items
  end
  object Items: TADOQuery
    SQL.Strings = (
      'select * from dte_item order by id')
  end
end
)";

class DBDateTimeEditTest : public editors_test::TableFormTest {
protected:
  static void SetUpTestSuite()
  {
    RegisterADOClasses();
    RegisterStdCtrlsClasses();
    RegisterDBCtrlsEhDateTimeEditClasses();
  }
  void SetUp() override
  {
    GuiTest::SetUp();
    ReadForm({"drop table if exists dte_item",
              "create table dte_item (id serial primary key, d date, ts timestamp(0))",
              "insert into dte_item (d, ts) values ('2026-03-10', '2026-03-10 14:30:00'), (null, null)"},
             FormText);
    DateEdit = Find("DateEdit");
    StampDate = Find("StampDateEdit");
    Stamp = Find("StampEdit");
    Clock = Find("ClockEdit");
    Other = editors_test::Find<TEdit>(Form, "OtherEdit");
    OpenAndShow();
  }
  TDBDateTimeEditEh* Find(const char* Name) { return editors_test::Find<TDBDateTimeEditEh>(Form, Name); }
  std::string Posted(const char* Column)
  {
    if (Items->State() != dsBrowse)
      Items->Post();
    return Db1(std::string("select ") + Column + "::text from dte_item where id = 1");
  }
  // Clears every place of a focused masked editor.
  static void ClearText(TDBDateTimeEditEh* E)
  {
    E->SelectAll();
    gui_test::Key(E, Qt::Key_Delete);
  }
  static String Today(const char* Format) { return FormatDateTime(QString::fromLatin1(Format), Date()); }

  TDBDateTimeEditEh *DateEdit = nullptr, *StampDate = nullptr, *Stamp = nullptr, *Clock = nullptr;
  TEdit* Other = nullptr;
};

} // namespace

TEST_F(DBDateTimeEditTest, PatternsByKindAndTheirStorage)
{
  struct TCase {
    TDBDateTimeEditEh* Edit;
    const char* Pattern;
    const char* Mask;
    const char* Text;
    TDateTimeKindEh Kind;
  };
  const TCase Cases[] = {
    {DateEdit, "DD/MM/YYYY", "!99/99/9999;1; ", "10.03.2026", dtkDateEh},
    {StampDate, "DD/MM/YYYY", "!99/99/9999;1; ", "10.03.2026", dtkDateEh},
    {Stamp, "DD/MM/YYYY HH:NN:SS", "!99/99/9999 99:99:99;1; ", "10.03.2026 14:30:00", dtkDateTimeEh},
    {Clock, "hh:nn", "!99:99;1; ", "  :  ", dtkCustomEh},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Pattern);
    EXPECT_EQ(C.Edit->EditFormat(), QString::fromLatin1(C.Pattern));
    EXPECT_EQ(C.Edit->EditMask(), QString::fromLatin1(C.Mask));
    EXPECT_EQ(C.Edit->Text(), QString::fromLatin1(C.Text));
    EXPECT_EQ(C.Edit->Kind(), C.Kind);
  }
  EXPECT_EQ(VarToDateTime(Stamp->Value()).Val, EncodeDateTime(2026, 3, 10, 14, 30, 0, 0).Val);

  // A stored form keeps the pattern of a custom editor, the kind of the others.
  const String Stored = WriteComponentToText(Form);
  EXPECT_TRUE(Stored.contains(QStringLiteral("EditFormat = 'hh:nn'"))) << Stored.toStdString();
  EXPECT_TRUE(Stored.contains(QStringLiteral("Kind = dtkDateTimeEh")));
  EXPECT_FALSE(Stored.contains(QStringLiteral("Kind = dtkCustomEh")));

  // Setting a pattern makes the kind custom; a bad one changes nothing.
  StampDate->SetEditFormat(QStringLiteral("YYYY-MM-DD"));
  EXPECT_EQ(StampDate->Kind(), dtkCustomEh);
  EXPECT_EQ(StampDate->Text(), QStringLiteral("2026-03-10"));
  EXPECT_ANY_THROW(StampDate->SetEditFormat(QStringLiteral("DDD")));
  EXPECT_EQ(StampDate->EditFormat(), QStringLiteral("YYYY-MM-DD"));
  EXPECT_EQ(StampDate->EditMask(), QStringLiteral("!9999-99-99;1; "));
  StampDate->SetKind(dtkTimeEh);
  EXPECT_EQ(StampDate->EditFormat(), QStringLiteral("HH:NN:SS"));
  EXPECT_EQ(StampDate->Text(), QStringLiteral("14:30:00"));
}

TEST_F(DBDateTimeEditTest, TypingCompletesOnExitAndPosts)
{
  struct TCase {
    const char* Typed;
    String Shown;
    const char* Stored;   // empty: the shown date in ISO form
  };
  const TCase Cases[] = {
    // Month and year left blank come from today.
    {"15", QStringLiteral("15.") + Today("mm.yyyy"), ""},
    {"1503", QStringLiteral("15.03.") + Today("yyyy"), ""},
    // A day beyond the month's end becomes its last day; two-digit years expand.
    {"31022026", QStringLiteral("31.02.2026").replace(0, 2, QStringLiteral("28")), "2026-02-28"},
    {"290225", QStringLiteral("28.02.2025"), "2025-02-28"},
    {"", QStringLiteral("  .  .    "), "<null>"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Typed);
    Focus(DateEdit);
    ClearText(DateEdit);
    gui_test::Type(DateEdit, QString::fromLatin1(C.Typed));
    // Typing never raises; an incomplete text has no value yet.
    if (std::string(C.Typed).size() < 8) {
      EXPECT_TRUE(DateEdit->Value().IsNull());
    }
    Focus(Other);
    EXPECT_EQ(DateEdit->Text(), C.Shown);
    std::string Expected = C.Stored;
    if (Expected.empty()) {
      const String S = C.Shown;
      Expected = (S.mid(6, 4) + QLatin1Char('-') + S.mid(3, 2) + QLatin1Char('-') + S.left(2)).toStdString();
    }
    EXPECT_EQ(Posted("d"), Expected);
  }
}

TEST_F(DBDateTimeEditTest, DateOnlyEditorKeepsTheTimeOfDay)
{
  Focus(StampDate);
  StampDate->SetSelStart(0);
  gui_test::Type(StampDate, QStringLiteral("11"));
  EXPECT_EQ(StampDate->Text(), QStringLiteral("11.03.2026"));
  Focus(Other);
  EXPECT_EQ(Posted("ts"), "2026-03-11 14:30:00");
  EXPECT_EQ(Stamp->Text(), QStringLiteral("11.03.2026 14:30:00"));

  // And a time-only pattern keeps the date.
  StampDate->SetKind(dtkTimeEh);
  Focus(StampDate);
  StampDate->SetSelStart(3);
  gui_test::Type(StampDate, QStringLiteral("05"));
  Focus(Other);
  EXPECT_EQ(Posted("ts"), "2026-03-11 14:05:00");
}

TEST_F(DBDateTimeEditTest, SeparatorJumpsToTheNextElement)
{
  struct TCase {
    TDBDateTimeEditEh* Edit;
    Integer Caret;
    const char* Separator;
    Integer SelStart, SelLength;
  };
  const TCase Cases[] = {
    {DateEdit, 0, ".", 3, 2},    // from the day to the month
    {DateEdit, 4, ".", 6, 4},    // from the month to the year
    {DateEdit, 7, ".", 0, 2},    // from the year back to the day
    {Stamp, 11, ":", 14, 2},     // from the hours to the minutes
    {Stamp, 15, ":", 17, 2},     // from the minutes to the seconds
    {Stamp, 17, ".", 0, 2},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.Edit->Name().toStdString() << " at " << C.Caret);
    Focus(C.Edit);
    const String Before = C.Edit->Text();
    C.Edit->SetSelStart(C.Caret);
    C.Edit->SetSelLength(0);
    gui_test::Type(C.Edit, QString::fromLatin1(C.Separator));
    EXPECT_EQ(C.Edit->Text(), Before);
    EXPECT_EQ(C.Edit->SelStart(), C.SelStart);
    EXPECT_EQ(C.Edit->SelLength(), C.SelLength);
  }
}

TEST_F(DBDateTimeEditTest, StepsTheElementAtTheCaret)
{
  enum TAction { Up, Down, WheelUp, WheelDown };
  struct TCase {
    TDBDateTimeEditEh* Edit;
    TDateTime Start;
    Integer Caret;
    TAction Action;
    const char* Text;
    Integer SelStart, SelLength;
  };
  const TCase Cases[] = {
    // The hours and minutes wrap on their own.
    {Clock, EncodeDateTime(2026, 3, 31, 0, 0, 0, 0), 0, Up, "01:00", 0, 2},
    {Clock, EncodeDateTime(2026, 3, 31, 0, 0, 0, 0), 0, Down, "23:00", 0, 2},
    {Clock, EncodeDateTime(2026, 3, 31, 0, 59, 0, 0), 3, WheelUp, "00:00", 3, 2},
    // On the colon the minutes step.
    {Clock, EncodeDateTime(2026, 3, 31, 10, 20, 0, 0), 2, Up, "10:21", 3, 2},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.Text);
    C.Edit->SetValue(VarFromDateTime(C.Start));
    Focus(C.Edit);
    C.Edit->SetSelStart(C.Caret);
    C.Edit->SetSelLength(0);
    switch (C.Action) {
    case Up: gui_test::Key(C.Edit, Qt::Key_Up); break;
    case Down: gui_test::Key(C.Edit, Qt::Key_Down); break;
    case WheelUp: gui_test::Wheel(C.Edit, 1); break;
    case WheelDown: gui_test::Wheel(C.Edit, -1); break;
    }
    EXPECT_EQ(C.Edit->Text(), QString::fromLatin1(C.Text));
    EXPECT_EQ(C.Edit->SelStart(), C.SelStart);
    EXPECT_EQ(C.Edit->SelLength(), C.SelLength);
    // The value follows the text and keeps the date the pattern does not show.
    Word Y, M, D;
    DecodeDate(VarToDateTime(C.Edit->Value()), Y, M, D);
    EXPECT_EQ(D, 31);
    Focus(Other);
  }

  // A bound editor: Up on the day 31, the wheel on the year; both posted.
  Items->Edit();
  Items->FieldByName(QStringLiteral("d"))->SetAsDateTime(EncodeDate(2026, 3, 31));
  Focus(DateEdit);
  DateEdit->SetSelStart(0);
  gui_test::Key(DateEdit, Qt::Key_Up);
  EXPECT_EQ(DateEdit->Text(), QStringLiteral("01.03.2026"));
  DateEdit->SetSelStart(8);
  gui_test::Wheel(DateEdit, -1);
  EXPECT_EQ(DateEdit->Text(), QStringLiteral("01.03.2025"));
  Focus(Other);
  EXPECT_EQ(Posted("d"), "2025-03-01");

  // A read-only editor steps nothing.
  Stamp->SetReadOnly(true);
  Focus(Stamp);
  Stamp->SetSelStart(0);
  gui_test::Key(Stamp, Qt::Key_Up);
  EXPECT_EQ(Stamp->Text(), QStringLiteral("10.03.2026 14:30:00"));
}

TEST_F(DBDateTimeEditTest, TextsAssignedFromCode)
{
  // An invalid date is refused whole: the field keeps its value.
  try {
    DateEdit->SetText(QStringLiteral("31.02.2026"));
    ADD_FAILURE() << "no error";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), QStringLiteral("Invalid datetime: \"31.02.2026\""));
  }
  EXPECT_EQ(DateEdit->Text(), QStringLiteral("10.03.2026"));
  EXPECT_EQ(Posted("d"), "2026-03-10");

  // A valid one is written to the field at once, the time of day kept.
  StampDate->SetText(QStringLiteral("01.04.2026"));
  EXPECT_EQ(Posted("ts"), "2026-04-01 14:30:00");
  // A value assigned from code is written whole, even by a date-only editor.
  StampDate->SetValue(VarFromDateTime(EncodeDateTime(2026, 5, 2, 8, 15, 0, 0)));
  EXPECT_EQ(StampDate->Text(), QStringLiteral("02.05.2026"));
  EXPECT_EQ(Posted("ts"), "2026-05-02 08:15:00");
  Stamp->SetValue(Null);
  EXPECT_EQ(Stamp->Text(), QStringLiteral("  .  .       :  :  "));
  EXPECT_TRUE(Stamp->IsEmpty());
  EXPECT_EQ(Posted("ts"), "<null>");

  // An editor named to a field but given no data source refuses clearly.
  auto* Loose = new TDBDateTimeEditEh(Form);
  Loose->SetParent(Form);
  Loose->SetDataField(QStringLiteral("d"));
  EXPECT_THROW(Loose->SetValue(VarFromDateTime(EncodeDate(2026, 1, 1))), EDatabaseError);
  EXPECT_THROW(Loose->SetText(QStringLiteral("01.01.2026")), EDatabaseError);
}

TEST_F(DBDateTimeEditTest, PasteArrowsAndOfferedKeys)
{
  // A paste at the first place replaces the whole date.
  Focus(DateEdit);
  DateEdit->SetSelStart(0);
  DateEdit->SetSelLength(0);
  Clipboard()->SetAsText(QStringLiteral("05.06.2027"));
  gui_test::Key(DateEdit, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
  EXPECT_EQ(DateEdit->Text(), QStringLiteral("05.06.2027"));
  EXPECT_EQ(VarToDateTime(DateEdit->Value()).Val, EncodeDate(2027, 6, 5).Val);

  // Left and Right leave a selection by its first or last character.
  struct TCase {
    int Key;
    Integer SelStart;
  };
  for (const TCase& C : {TCase{Qt::Key_Left, 6}, TCase{Qt::Key_Right, 9}}) {
    SCOPED_TRACE(C.Key);
    DateEdit->SetSelStart(6);
    DateEdit->SetSelLength(4);
    gui_test::Key(DateEdit, C.Key);
    EXPECT_EQ(DateEdit->SelStart(), C.SelStart);
    EXPECT_LE(DateEdit->SelLength(), 1);
  }

  // A key the handler takes steps nothing.
  DateEdit->OnKeyDown = [](TObject*, Word& Key, TShiftState) {
    if (Key == VK_UP)
      Key = 0;
  };
  DateEdit->SetSelStart(0);
  gui_test::Key(DateEdit, Qt::Key_Up);
  EXPECT_EQ(DateEdit->Text(), QStringLiteral("05.06.2027"));
  gui_test::Key(DateEdit, Qt::Key_Down);
  EXPECT_EQ(DateEdit->Text(), QStringLiteral("04.06.2027"));
  Focus(Other);
  EXPECT_EQ(Posted("d"), "2027-06-04");
}

TEST_F(DBDateTimeEditTest, EmptyPatternUsesPlainConversions)
{
  Clock->SetEditFormat(String());
  EXPECT_EQ(Clock->EditMask(), String());
  EXPECT_EQ(Clock->Kind(), dtkCustomEh);
  Clock->SetText(QStringLiteral("15.03.2026 10:20:30"));
  EXPECT_EQ(VarToDateTime(Clock->Value()).Val, EncodeDateTime(2026, 3, 15, 10, 20, 30, 0).Val);
  EXPECT_ANY_THROW(Clock->SetText(QStringLiteral("позже")));
  // Typing a text that is no date leaves no value and raises nothing.
  Focus(Clock);
  Clock->SelectAll();
  gui_test::MessageBoxRecorder Boxes;
  gui_test::Type(Clock, QStringLiteral("15.13"));
  EXPECT_TRUE(Boxes.Requests.empty());
  EXPECT_TRUE(Clock->Value().IsNull());
}

TEST_F(DBDateTimeEditTest, PopupCalendarPickMergesTheShownParts)
{
  std::vector<bool> Ends;
  for (TDBDateTimeEditEh* E : {DateEdit, StampDate, Stamp})
    E->OnCloseUp = [&](TObject*, bool Accept) { Ends.push_back(Accept); };
  const auto Picker = [](TDBDateTimeEditEh* E) {
    auto* Popup = dynamic_cast<TPopupDateTimeCalendarFormEh*>(E->CalendarWindow());
    return Popup ? Popup->CalendarPicker() : nullptr;
  };
  const auto Press = [](TDBDateTimeEditEh* E, int Key, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
    gui_test::Key(E, Key, Mods, Key == Qt::Key_Return ? QStringLiteral("\r") : QString());
    Application->ProcessMessages();
  };

  // A date+time editor: Alt+Down opens the calendar on the value; the keys
  // go to it while the editor keeps the focus.
  Focus(Stamp);
  Press(Stamp, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(Stamp->CalendarVisible());
  ASSERT_NE(Picker(Stamp), nullptr);
  EXPECT_TRUE(Stamp->Focused());
  EXPECT_EQ(Picker(Stamp)->TimeUnits(), (TCalendarDateTimeUnitsEh{cdtuYearEh, cdtuMonthEh, cdtuDayEh, cdtuHourEh,
                                                                   cdtuMinuteEh, cdtuSecondEh}));
  EXPECT_EQ(Picker(Stamp)->DateTime().Val, EncodeDateTime(2026, 3, 10, 14, 30, 0, 0).Val);
  // The next day, on to the time page, an hour on, round to OK and pick.
  for (int Key : {Qt::Key_Right, Qt::Key_Return, Qt::Key_Up, Qt::Key_Left})
    Press(Stamp, Key);
  EXPECT_TRUE(Stamp->CalendarVisible());
  EXPECT_EQ(Stamp->Text(), QStringLiteral("10.03.2026 14:30:00"));
  Press(Stamp, Qt::Key_Return);
  EXPECT_FALSE(Stamp->CalendarVisible());
  EXPECT_FALSE(Stamp->DroppedDown());
  EXPECT_EQ(Stamp->Text(), QStringLiteral("11.03.2026 15:30:00"));
  EXPECT_TRUE(Stamp->Focused());
  Focus(Other);
  EXPECT_EQ(Posted("ts"), "2026-03-11 15:30:00");

  // A date-only editor over the timestamp: the calendar shows days only; a
  // pick changes the date and the field keeps its time of day. The button
  // opens it as Alt+Down does.
  Focus(StampDate);
  TEditButtonControlEh* Button = StampDate->GetEditButtonControlByEditButton(StampDate->EditButton());
  ASSERT_NE(Button, nullptr);
  ASSERT_TRUE(Button->Visible());
  gui_test::Click(Button, QPoint(Button->Width() / 2, Button->Height() / 2));
  Application->ProcessMessages();
  ASSERT_TRUE(StampDate->CalendarVisible());
  EXPECT_EQ(Picker(StampDate)->TimeUnits(), (TCalendarDateTimeUnitsEh{cdtuYearEh, cdtuMonthEh, cdtuDayEh}));
  EXPECT_EQ(Picker(StampDate)->CurrentCalendarView(), Picker(StampDate)->DaysView());
  for (int Key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down})
    Press(StampDate, Key);
  Press(StampDate, Qt::Key_Return);
  EXPECT_FALSE(StampDate->CalendarVisible());
  EXPECT_EQ(StampDate->Text(), QStringLiteral("20.03.2026"));
  Focus(Other);
  EXPECT_EQ(Posted("ts"), "2026-03-20 15:30:00");
  EXPECT_EQ(Stamp->Text(), QStringLiteral("20.03.2026 15:30:00"));

  // The date column: Esc keeps the old value, Enter takes the pick.
  Focus(DateEdit);
  Press(DateEdit, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(DateEdit->CalendarVisible());
  Press(DateEdit, Qt::Key_Left);
  gui_test::Key(DateEdit, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
  Application->ProcessMessages();
  EXPECT_FALSE(DateEdit->CalendarVisible());
  EXPECT_EQ(DateEdit->Text(), QStringLiteral("10.03.2026"));
  EXPECT_TRUE(DateEdit->Focused());
  Press(DateEdit, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(DateEdit->CalendarVisible());
  // The calendar starts again from the editor's value.
  EXPECT_EQ(Picker(DateEdit)->DateTime().Val, EncodeDate(2026, 3, 10).Val);
  Press(DateEdit, Qt::Key_PageDown);
  Press(DateEdit, Qt::Key_Return);
  EXPECT_EQ(DateEdit->Text(), QStringLiteral("10.04.2026"));
  // Leaving the editor while the calendar is open closes it without a pick.
  Press(DateEdit, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(DateEdit->CalendarVisible());
  Press(DateEdit, Qt::Key_Right);
  Focus(Other);
  EXPECT_FALSE(DateEdit->CalendarVisible());
  EXPECT_FALSE(Picker(DateEdit)->Parent()->Visible());
  EXPECT_EQ(DateEdit->Text(), QStringLiteral("10.04.2026"));
  EXPECT_EQ(Posted("d"), "2026-04-10");
  EXPECT_EQ(Ends, (std::vector<bool>{true, true, false, true, false}));

  // A read-only editor opens the calendar but takes no pick.
  DateEdit->SetReadOnly(true);
  Focus(DateEdit);
  Press(DateEdit, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(DateEdit->CalendarVisible());
  Press(DateEdit, Qt::Key_Right);
  Press(DateEdit, Qt::Key_Return);
  EXPECT_FALSE(DateEdit->CalendarVisible());
  EXPECT_EQ(DateEdit->Text(), QStringLiteral("10.04.2026"));
}

TEST_F(DBDateTimeEditTest, PopupCalendarScreenshot)
{
  Form->SetClientHeight(420);
  Focus(Stamp);
  gui_test::Key(Stamp, Qt::Key_Down, Qt::AltModifier);
  Application->ProcessMessages();
  ASSERT_TRUE(Stamp->CalendarVisible());
  auto* Popup = dynamic_cast<TPopupDateTimeCalendarFormEh*>(Stamp->CalendarWindow());
  ASSERT_NE(Popup, nullptr);
  // Below the editor, lined up with its left edge.
  const TPoint EditBottomLeft = Stamp->ClientToScreen(TPoint(0, Stamp->Height()));
  EXPECT_NEAR(Popup->Left(), EditBottomLeft.X, 3);
  EXPECT_NEAR(Popup->Top(), EditBottomLeft.Y, 3);
  // The form with the calendar laid over it where it stands on the screen.
  QImage Shot = Form->Widget()->grab().toImage();
  QPainter Painter(&Shot);
  Painter.drawImage(Form->Widget()->mapFromGlobal(QPoint(Popup->Left(), Popup->Top())),
                    Popup->Widget()->grab().toImage());
  Painter.end();
  EXPECT_TRUE(gui_test::SaveImage(Shot, QStringLiteral("datetimeedit_popup_calendar.png")));
}
