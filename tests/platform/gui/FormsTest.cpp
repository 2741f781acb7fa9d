// FormsTest.cpp: a form built from a text description with each standard
// control, driven with the keys and mouse a user would use; modal loops,
// timers, activation, Terminate and the exception box.
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Screenshot.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Themes.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using gui_test::GuiTest;

namespace {

// A form class with published handlers, as the application's forms have.
class TSampleForm : public TForm {
  VELMORA_CLASS(TSampleForm)
public:
  explicit TSampleForm(TComponent* AOwner) : TForm(AOwner, 0) {}

  std::vector<String> Log;
  int Changes = 0;

  void FormCreate(TObject*) { Log.push_back(QStringLiteral("create")); }
  void FormKeyDown(TObject*, Word& Key, TShiftState)
  {
    if (Key == VK_F5) {
      Log.push_back(QStringLiteral("F5"));
      Key = 0;
    }
  }
  void FormMouseWheelDown(TObject*, TShiftState, TPoint, bool& Handled)
  {
    Log.push_back(QStringLiteral("wheel down"));
    Handled = true;
  }
  void Edit1Change(TObject*) { ++Changes; }
  // A decimal point typed becomes a comma; '#' is refused.
  void Edit1KeyPress(TObject*, QChar& Key)
  {
    if (Key == QLatin1Char('.'))
      Key = QLatin1Char(',');
    else if (Key == QLatin1Char('#'))
      Key = QChar();
  }
  void Button1Click(TObject*) { Log.push_back(QStringLiteral("Записать")); }
  void CheckBox1Click(TObject*) { Log.push_back(QStringLiteral("checkbox")); }
  void RadioGroup1Click(TObject*) { Log.push_back(QStringLiteral("radiogroup")); }
  void ComboBox1Change(TObject*) { Log.push_back(QStringLiteral("combo")); }
  void N2Click(TObject*) { Log.push_back(QStringLiteral("menu")); }

  template <class T>
  T* Find(const char* Name) const
  {
    auto* C = dynamic_cast<T*>(FindComponent(QString::fromLatin1(Name)));
    EXPECT_NE(C, nullptr) << Name;
    return C;
  }
};

void RegisterSampleForm()
{
  RegisterClassInfo<TSampleForm, TForm>("TSampleForm")
    .Handler("FormCreate", &TSampleForm::FormCreate)
    .Handler("FormKeyDown", &TSampleForm::FormKeyDown)
    .Handler("FormMouseWheelDown", &TSampleForm::FormMouseWheelDown)
    .Handler("Edit1Change", &TSampleForm::Edit1Change)
    .Handler("Edit1KeyPress", &TSampleForm::Edit1KeyPress)
    .Handler("Button1Click", &TSampleForm::Button1Click)
    .Handler("CheckBox1Click", &TSampleForm::CheckBox1Click)
    .Handler("RadioGroup1Click", &TSampleForm::RadioGroup1Click)
    .Handler("ComboBox1Change", &TSampleForm::ComboBox1Change)
    .Handler("N2Click", &TSampleForm::N2Click);
}

const char* SampleDescription = R"(object SampleForm: TSampleForm
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu]
  BorderStyle = bsSingle
  Caption = 'Ведение подразделений (31)'
  ClientHeight = 330
  ClientWidth = 480
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  KeyPreview = True
  Menu = MainMenu1
  OldCreateOrder = False
  Position = poScreenCenter
  OnCreate = FormCreate
  OnKeyDown = FormKeyDown
  OnMouseWheelDown = FormMouseWheelDown
  PixelsPerInch = 96
  TextHeight = 13
  object Label1: TLabel
    Left = 8
    Top = 10
    Width = 73
    Height = 13
    Caption = 'Наименование'
  end
  object Edit1: TEdit
    Left = 96
    Top = 8
    Width = 150
    Height = 21
    TabOrder = 0
    OnChange = Edit1Change
    OnKeyPress = Edit1KeyPress
  end
  object Edit2: TEdit
    Left = 96
    Top = 36
    Width = 150
    Height = 21
    PasswordChar = '*'
    TabOrder = 1
    Text = '7351'
  end
  object Edit3: TEdit
    Left = 96
    Top = 64
    Width = 150
    Height = 21
    MaxLength = 5
    NumbersOnly = True
    TabOrder = 2
  end
  object Memo1: TMemo
    Left = 256
    Top = 8
    Width = 216
    Height = 49
    Lines.Strings = (
      'первая строка'
      'вторая строка')
    TabOrder = 3
  end
  object CheckBox1: TCheckBox
    Left = 96
    Top = 92
    Width = 97
    Height = 17
    Caption = 'Склад'
    TabOrder = 4
    OnClick = CheckBox1Click
  end
  object ComboBox1: TComboBox
    Left = 96
    Top = 116
    Width = 150
    Height = 21
    Style = csDropDownList
    TabOrder = 5
    OnChange = ComboBox1Change
    Items.Strings = (
      'Склад ГП'
      'Склад заготовок'
      'Склад сырья')
  end
  object GroupBox1: TGroupBox
    Left = 256
    Top = 64
    Width = 216
    Height = 73
    Caption = 'Данные о позиции'
    TabOrder = 6
    object RadioButton1: TRadioButton
      Left = 8
      Top = 20
      Width = 113
      Height = 17
      Caption = 'Смена №1'
      Checked = True
      TabOrder = 0
      TabStop = True
    end
    object RadioButton2: TRadioButton
      Left = 8
      Top = 44
      Width = 113
      Height = 17
      Caption = 'Смена №2'
      TabOrder = 1
    end
  end
  object ListBox1: TListBox
    Left = 8
    Top = 144
    Width = 120
    Height = 60
    ItemHeight = 13
    Items.Strings = (
      'Иванов'
      'Петров'
      'Сидоров')
    TabOrder = 7
  end
  object RadioGroup1: TRadioGroup
    Left = 136
    Top = 144
    Width = 160
    Height = 60
    Caption = 'Тип склада'
    Columns = 2
    Items.Strings = (
      'ГП'
      'Сырьё'
      'Заготовки')
    TabOrder = 8
    OnClick = RadioGroup1Click
  end
  object PageControl1: TPageControl
    Left = 304
    Top = 144
    Width = 168
    Height = 100
    ActivePage = TabSheet1
    TabOrder = 9
    object TabSheet1: TTabSheet
      Caption = 'Общие'
    end
    object TabSheet2: TTabSheet
      Caption = 'Нормы'
    end
  end
  object ProgressBar1: TProgressBar
    Left = 8
    Top = 212
    Width = 120
    Height = 16
    Position = 40
    TabOrder = 10
  end
  object DateTimePicker1: TDateTimePicker
    Left = 136
    Top = 212
    Width = 120
    Height = 21
    Date = 45000.000000000000000000
    TabOrder = 11
  end
  object ScrollBar1: TScrollBar
    Left = 8
    Top = 240
    Width = 248
    Height = 17
    Max = 50
    PageSize = 0
    Position = 10
    TabOrder = 12
  end
  object Panel1: TPanel
    Left = 0
    Top = 270
    Width = 480
    Height = 40
    Align = alBottom
    BevelOuter = bvNone
    TabOrder = 13
    object Button1: TButton
      Left = 8
      Top = 8
      Width = 75
      Height = 25
      Caption = 'Записать'
      Default = True
      TabOrder = 0
      OnClick = Button1Click
    end
    object Button2: TButton
      Left = 397
      Top = 8
      Width = 75
      Height = 25
      Anchors = [akTop, akRight]
      Cancel = True
      Caption = 'Отмена'
      ModalResult = 2
      TabOrder = 1
    end
  end
  object StatusBar1: TStatusBar
    Left = 0
    Top = 310
    Width = 480
    Height = 20
    Panels = <
      item
        Text = 'Готово'
        Width = 120
      end
      item
        Text = 'Склад сырья'
        Width = 50
      end>
  end
  object MainMenu1: TMainMenu
    object N1: TMenuItem
      Caption = 'Файл'
      object N2: TMenuItem
        Caption = 'Выход'
        OnClick = N2Click
      end
    end
  end
  object Timer1: TTimer
    Enabled = False
    Interval = 20
  end
end
)";

TSampleForm* BuildSampleForm()
{
  RegisterSampleForm();
  auto* Form = new TSampleForm(Application);
  ReadComponentFromText(QString::fromUtf8(SampleDescription), Form);
  Form->AfterConstruction();
  return Form;
}

// Runs Fn from the event loop after Ms milliseconds (inside whatever modal
// loop runs then).
void Later(int Ms, std::function<void()> Fn) { QTimer::singleShot(Ms, qApp, std::move(Fn)); }

} // namespace

TEST_F(GuiTest, FormFromDescriptionHasEveryControlWithItsProperties)
{
  TSampleForm* F = BuildSampleForm();
  EXPECT_EQ(F->Log, std::vector<String>{QStringLiteral("create")});
  EXPECT_EQ(F->Caption(), QStringLiteral("Ведение подразделений (31)"));
  EXPECT_EQ(F->ClientWidth(), 480);
  EXPECT_EQ(F->ClientHeight(), 330);
  EXPECT_EQ(F->BorderStyle(), bsSingle);
  EXPECT_EQ(F->BorderIcons(), TBorderIcons{biSystemMenu});
  EXPECT_TRUE(F->KeyPreview());
  EXPECT_FALSE(F->Visible());
  EXPECT_EQ(F->Find<TEdit>("Edit2")->Text(), QStringLiteral("7351"));
  EXPECT_EQ(F->Find<TEdit>("Edit2")->PasswordChar(), QLatin1Char('*'));
  EXPECT_EQ(F->Find<TMemo>("Memo1")->Lines()->Count(), 2);
  EXPECT_EQ(F->Find<TMemo>("Memo1")->Lines()->Strings(1), QStringLiteral("вторая строка"));
  EXPECT_EQ(F->Find<TComboBox>("ComboBox1")->Items()->Count(), 3);
  EXPECT_EQ(F->Find<TComboBox>("ComboBox1")->ItemIndex(), -1);
  EXPECT_TRUE(F->Find<TRadioButton>("RadioButton1")->Checked());
  EXPECT_EQ(F->Find<TRadioButton>("RadioButton1")->Parent(), F->Find<TGroupBox>("GroupBox1"));
  EXPECT_EQ(F->Find<TRadioGroup>("RadioGroup1")->Items()->Count(), 3);
  EXPECT_EQ(F->Find<TPageControl>("PageControl1")->PageCount(), 2);
  EXPECT_EQ(F->Find<TPageControl>("PageControl1")->ActivePage(), F->Find<TTabSheet>("TabSheet1"));
  EXPECT_EQ(F->Find<TProgressBar>("ProgressBar1")->Position(), 40);
  EXPECT_EQ(int(F->Find<TDateTimePicker>("DateTimePicker1")->Date()), 45000);
  EXPECT_EQ(F->Find<TScrollBar>("ScrollBar1")->Position(), 10);
  EXPECT_EQ(F->Find<TStatusBar>("StatusBar1")->Panels()->Count(), 2);
  EXPECT_EQ(F->Menu(), F->Find<TMainMenu>("MainMenu1"));
  EXPECT_EQ(F->Menu()->Items()->Count(), 1);
  EXPECT_EQ(F->Menu()->Items()->Items(0)->Items(0)->Caption(), QStringLiteral("Выход"));
  EXPECT_TRUE(F->Find<TButton>("Button1")->Default());
  EXPECT_EQ(F->Find<TButton>("Button2")->ModalResult(), mrCancel);
  EXPECT_FALSE(F->Find<TTimer>("Timer1")->Enabled());
  // The bottom panel took the bottom edge.
  EXPECT_EQ(F->Find<TPanel>("Panel1")->Top(), 330 - 20 - 40);
  EXPECT_EQ(F->Find<TStatusBar>("StatusBar1")->Align(), alBottom);
  // Tab order as stored.
  EXPECT_EQ(F->Find<TEdit>("Edit3")->TabOrder(), 2);

  // Written back, the description names every control and handler again.
  const String Text = WriteComponentToText(F);
  QFile Out(gui_test::OutputPath(QStringLiteral("sample-form.txt")));
  if (Out.open(QIODevice::WriteOnly))
    Out.write(Text.toUtf8());
  for (const char* Needle : {"object Edit1: TEdit", "OnKeyPress = Edit1KeyPress", "PasswordChar = '*'",
                             "object TabSheet2: TTabSheet", "Style = csDropDownList", "Cancel = True",
                             "object N2: TMenuItem", "OnClick = N2Click"})
    EXPECT_TRUE(Text.contains(QString::fromUtf8(Needle))) << Needle;
  // Read back into a new form, it writes the same text again.
  std::unique_ptr<TSampleForm> Copy(new TSampleForm(nullptr));
  ReadComponentFromText(Text, Copy.get());
  EXPECT_EQ(WriteComponentToText(Copy.get()), Text);
}

TEST_F(GuiTest, TypingTabEnterEscapeClickAndWheelAsAUserWould)
{
  TSampleForm* F = BuildSampleForm();
  auto* Edit1 = F->Find<TEdit>("Edit1");
  auto* Edit2 = F->Find<TEdit>("Edit2");
  auto* Edit3 = F->Find<TEdit>("Edit3");
  auto* Check = F->Find<TCheckBox>("CheckBox1");
  F->Show();
  ASSERT_TRUE(F->Showing());
  EXPECT_EQ(F->ActiveControl(), Edit1);   // the first control in tab order

  // Typing, with OnKeyPress changing one character and refusing another.
  gui_test::Type(Edit1, QStringLiteral("Abc 12.5#"));
  EXPECT_EQ(Edit1->Text(), QStringLiteral("Abc 12,5"));
  EXPECT_EQ(F->Changes, 8);
  gui_test::Key(Edit1, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
  EXPECT_EQ(Edit1->Text(), QStringLiteral("Abc 12,"));

  // Tab moves along the tab order; Shift+Tab goes back.
  gui_test::Key(Edit1, Qt::Key_Tab);
  EXPECT_EQ(F->ActiveControl(), Edit2);
  gui_test::Key(Edit2, Qt::Key_Tab);
  EXPECT_EQ(F->ActiveControl(), Edit3);
  gui_test::Key(Edit3, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(F->ActiveControl(), Edit2);
  gui_test::Key(Edit2, Qt::Key_Tab);

  // A number-only edit takes digits and stops at its maximum length.
  gui_test::Type(Edit3, QStringLiteral("1a2b3456"));
  EXPECT_EQ(Edit3->Text(), QStringLiteral("12345"));

  // The form previews keys and may consume them.
  gui_test::Key(Edit3, Qt::Key_F5);
  EXPECT_EQ(F->Log.back(), QStringLiteral("F5"));

  // Enter in an edit clicks the default button.
  gui_test::Key(Edit3, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  EXPECT_EQ(F->Log.back(), QStringLiteral("Записать"));
  // A memo wants Enter for itself: a new line, no click.
  auto* Memo = F->Find<TMemo>("Memo1");
  Memo->SetFocus();
  const size_t Clicked = F->Log.size();
  gui_test::Key(Memo, Qt::Key_End, Qt::ControlModifier);
  gui_test::Key(Memo, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  gui_test::Type(Memo, QStringLiteral("x"));
  EXPECT_EQ(F->Log.size(), Clicked);
  EXPECT_EQ(Memo->Lines()->Count(), 3);
  EXPECT_EQ(Memo->Lines()->Strings(2), QStringLiteral("x"));

  // A click on the check box ticks it and runs OnClick; code does not.
  gui_test::Click(Check, QPoint(6, 8));
  EXPECT_TRUE(Check->Checked());
  EXPECT_EQ(F->Log.back(), QStringLiteral("checkbox"));
  const size_t Before = F->Log.size();
  Check->SetChecked(false);
  EXPECT_FALSE(Check->Checked());
  EXPECT_EQ(F->Log.size(), Before);

  // The wheel over an edit that does not use it reaches the form.
  gui_test::Wheel(Edit1, -1);
  EXPECT_EQ(F->Log.back(), QStringLiteral("wheel down"));
  EXPECT_EQ(std::count(F->Log.begin(), F->Log.end(), QStringLiteral("wheel down")), 1);

  // The main menu runs its item.
  F->Menu()->Items()->Items(0)->Items(0)->Click();
  EXPECT_EQ(F->Log.back(), QStringLiteral("menu"));
  gui_test::SaveImage(F->Widget()->grab().toImage(), QStringLiteral("sample-form-typed.png"));
}

TEST_F(GuiTest, EscapeClicksTheCancelButtonOfAModalForm)
{
  TSampleForm* F = BuildSampleForm();
  auto* Edit1 = F->Find<TEdit>("Edit1");
  Later(20, [&] {
    gui_test::Type(Edit1, QStringLiteral("x"));
    gui_test::Key(Edit1, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
  });
  EXPECT_EQ(F->ShowModal(), mrCancel);
  EXPECT_FALSE(F->Visible());
  EXPECT_EQ(Edit1->Text(), QStringLiteral("x"));
}

TEST_F(GuiTest, ComboListAndRadioGroupTakeTheUsersChoice)
{
  TSampleForm* F = BuildSampleForm();
  F->Show();
  auto* Combo = F->Find<TComboBox>("ComboBox1");
  Combo->SetItemIndex(2);   // in code: no event
  EXPECT_EQ(Combo->Text(), QStringLiteral("Склад сырья"));
  EXPECT_NE(F->Log.back(), QStringLiteral("combo"));
  Combo->SetFocus();
  gui_test::Key(Combo, Qt::Key_Up);
  EXPECT_EQ(Combo->ItemIndex(), 1);
  EXPECT_EQ(Combo->Text(), QStringLiteral("Склад заготовок"));
  EXPECT_EQ(F->Log.back(), QStringLiteral("combo"));

  auto* Group = F->Find<TRadioGroup>("RadioGroup1");
  Group->SetItemIndex(0);
  EXPECT_NE(F->Log.back(), QStringLiteral("radiogroup"));
  gui_test::Click(Group->Buttons(2), QPoint(5, 8));
  EXPECT_EQ(Group->ItemIndex(), 2);
  EXPECT_EQ(F->Log.back(), QStringLiteral("radiogroup"));
  EXPECT_FALSE(Group->Buttons(0)->Checked());

  auto* R1 = F->Find<TRadioButton>("RadioButton1");
  auto* R2 = F->Find<TRadioButton>("RadioButton2");
  gui_test::Click(R2, QPoint(5, 8));
  EXPECT_TRUE(R2->Checked());
  EXPECT_FALSE(R1->Checked());

  auto* List = F->Find<TListBox>("ListBox1");
  int Clicks = 0;
  List->OnClick = [&](TObject*) { ++Clicks; };
  List->SetFocus();
  gui_test::Key(List, Qt::Key_Down);
  EXPECT_EQ(List->ItemIndex(), 0);
  gui_test::Key(List, Qt::Key_Down);
  EXPECT_EQ(List->ItemIndex(), 1);
  EXPECT_EQ(Clicks, 2);
}

TEST_F(GuiTest, ModalInsideModalWithATimerFiringInTheInnerOne)
{
  auto* Outer = new TForm(Application, 0);
  auto* Inner = new TForm(Application, 0);
  Outer->SetCaption(QStringLiteral("Outer"));
  Inner->SetCaption(QStringLiteral("Inner"));
  std::vector<String> Log;
  auto Track = [&](TCustomForm* F, const char* Name) {
    F->OnActivate = [&Log, Name](TObject*) { Log.push_back(QString::fromLatin1(Name) + QStringLiteral(" activate")); };
    F->OnDeactivate = [&Log, Name](TObject*) { Log.push_back(QString::fromLatin1(Name) + QStringLiteral(" deactivate")); };
  };
  Track(Outer, "outer");
  Track(Inner, "inner");
  auto* InnerTimer = new TTimer(Inner);
  InnerTimer->SetEnabled(false);
  InnerTimer->SetInterval(10);
  int Ticks = 0;
  gui_test::MessageBoxRecorder Boxes(IDYES);
  InnerTimer->OnTimer = [&](TObject*) {
    ++Ticks;
    if (Ticks == 2) {
      // A message box inside the inner loop: the timer goes on, and the
      // activation does not change.
      EXPECT_EQ(Application->MessageBox(QStringLiteral("Удалить строку?"), QStringLiteral("Удаление"),
                                        MB_YESNO | MB_ICONQUESTION),
                IDYES);
    }
    if (Ticks == 4) {
      InnerTimer->SetEnabled(false);
      Inner->SetModalResult(mrOk);
    }
  };
  TModalResult InnerResult = mrNone;
  Later(10, [&] {
    Log.push_back(QStringLiteral("open inner"));
    InnerTimer->SetEnabled(true);
    InnerResult = Inner->ShowModal();
    Log.push_back(QStringLiteral("inner closed"));
    Outer->SetModalResult(mrYes);
  });
  EXPECT_EQ(Application->ModalLevel(), 0);
  EXPECT_EQ(Outer->ShowModal(), mrYes);
  EXPECT_EQ(InnerResult, mrOk);
  EXPECT_EQ(Ticks, 4);
  EXPECT_EQ(Application->ModalLevel(), 0);
  ASSERT_EQ(Boxes.Requests.size(), 1u);
  EXPECT_EQ(Boxes.Requests[0].Caption, QStringLiteral("Удаление"));
  const std::vector<String> Expected = {
    QStringLiteral("outer activate"), QStringLiteral("open inner"), QStringLiteral("outer deactivate"),
    QStringLiteral("inner activate"), QStringLiteral("inner deactivate"), QStringLiteral("outer activate"),
    QStringLiteral("inner closed"), QStringLiteral("outer deactivate")};
  EXPECT_EQ(Log, Expected);
}

TEST_F(GuiTest, TerminateInsideNestedModalLoopsEndsTheProgram)
{
  TForm* Main = nullptr;
  Application->CreateForm(Main);
  ASSERT_EQ(Application->MainForm(), Main);
  auto* A = new TForm(Application, 0);
  auto* B = new TForm(Application, 0);
  std::vector<TModalResult> Results;
  auto* T = new TTimer(B);
  T->SetEnabled(false);
  T->SetInterval(10);
  T->OnTimer = [&](TObject*) { Application->Terminate(); };
  Later(10, [&] {
    Later(10, [&] {
      T->SetEnabled(true);
      Results.push_back(B->ShowModal());
    });
    Results.push_back(A->ShowModal());
  });
  Application->Run();   // returns only when the program ends
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(Results, (std::vector<TModalResult>{mrCancel, mrCancel}));
  EXPECT_EQ(Application->ModalLevel(), 0);
  EXPECT_FALSE(A->Visible());
  EXPECT_FALSE(B->Visible());
}

TEST_F(GuiTest, FirstFormWhoseCreationCompletesIsTheMainForm)
{
  // The first created form creates another inside its OnCreate; that one
  // completes first and becomes the main form.
  struct TOuterForm : TForm {
    explicit TOuterForm(TComponent* AOwner) : TForm(AOwner, 0)
    {
      OnCreate = [this](TObject*) { Application->CreateForm(Inner); };
    }
    TForm* Inner = nullptr;
  };
  TOuterForm* Outer = nullptr;
  Application->CreateForm(Outer);
  ASSERT_NE(Outer->Inner, nullptr);
  EXPECT_EQ(Application->MainForm(), Outer->Inner);
  // Closing the main form ends the program.
  Outer->Inner->Show();
  Outer->Inner->Close();
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(GuiTest, CloseActionsAndCloseQuery)
{
  TForm* Main = nullptr;
  Application->CreateForm(Main);
  auto* F = new TForm(Application, 0);
  bool Allow = false;
  TCloseAction Action = caHide;
  F->OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = Allow; };
  F->OnClose = [&](TObject*, TCloseAction& A) { A = Action; };
  F->Show();
  F->Close();
  EXPECT_TRUE(F->Visible());   // refused
  Allow = true;
  Action = caNone;
  F->Close();
  EXPECT_TRUE(F->Visible());
  Action = caHide;
  F->Close();
  EXPECT_FALSE(F->Visible());
  EXPECT_FALSE(Application->Terminated());
  // caFree frees the form once the waiting messages are handled.
  F->Show();
  Action = caFree;
  F->Close();
  Application->ProcessMessages();
  EXPECT_FALSE(IsLiveControl(F));
}

TEST_F(GuiTest, ExceptionsInHandlersReachTheExceptionBox)
{
  gui_test::MessageBoxRecorder Boxes;
  TSampleForm* F = BuildSampleForm();
  F->Show();
  auto* Button = F->Find<TButton>("Button1");
  Button->OnClick = [](TObject*) { throw EConvertError(QStringLiteral("'abc' is not a valid integer value")); };
  gui_test::Click(Button, QPoint(10, 10));
  ASSERT_EQ(Boxes.Requests.size(), 1u);
  EXPECT_EQ(Boxes.Requests[0].Text, QStringLiteral("'abc' is not a valid integer value."));
  EXPECT_EQ(Boxes.Requests[0].Flags & 0xF0, UINT(MB_ICONERROR));
  // A silent exception shows nothing.
  Button->OnClick = [](TObject*) { Abort(); };
  gui_test::Click(Button, QPoint(10, 10));
  EXPECT_EQ(Boxes.Requests.size(), 1u);
  // The application's own handler takes precedence.
  String Seen;
  Application->OnException = [&](TObject*, Exception& E) { Seen = E.Message(); };
  Button->OnClick = [](TObject*) { throw Exception(QStringLiteral("boom")); };
  gui_test::Click(Button, QPoint(10, 10));
  EXPECT_EQ(Seen, QStringLiteral("boom"));
  EXPECT_EQ(Boxes.Requests.size(), 1u);
}

TEST_F(GuiTest, UnknownStyleShowsTheErrorDialogAndKeepsTheStyle)
{
  gui_test::MessageBoxRecorder Boxes;
  ASSERT_TRUE(TStyleManager::TrySetStyle(QStringLiteral("Ocean")));
  EXPECT_FALSE(TStyleManager::TrySetStyle(QStringLiteral("Нет такого стиля")));
  ASSERT_EQ(Boxes.Requests.size(), 1u);
  EXPECT_TRUE(Boxes.Requests[0].Text.contains(QStringLiteral("Нет такого стиля")));
  EXPECT_EQ(TStyleManager::ActiveStyle()->Name(), QStringLiteral("Ocean"));
  // Without the dialog nothing is shown.
  EXPECT_FALSE(TStyleManager::TrySetStyle(QStringLiteral("x"), false));
  EXPECT_EQ(Boxes.Requests.size(), 1u);
}

TEST_F(GuiTest, ScreenshotsOfTheSampleFormUnderTwoStyles)
{
  TSampleForm* F = BuildSampleForm();
  F->Find<TEdit>("Edit1")->SetText(QStringLiteral("Цех №3"));
  F->Find<TComboBox>("ComboBox1")->SetItemIndex(2);
  F->Find<TCheckBox>("CheckBox1")->SetChecked(true);
  F->Find<TListBox>("ListBox1")->SetItemIndex(1);
  F->Show();
  // Showing the window keeps the layout read from the description.
  EXPECT_EQ(F->Find<TStatusBar>("StatusBar1")->Top(), 310);
  EXPECT_EQ(F->Find<TPanel>("Panel1")->Top(), 270);
  for (const char* Style : {"Windows", "Graphite"}) {
    ASSERT_TRUE(TStyleManager::TrySetStyle(QString::fromLatin1(Style), false));
    const QString Path = gui_test::OutputPath(QStringLiteral("sample-form-%1.png").arg(QString::fromLatin1(Style)));
    ASSERT_TRUE(SaveScreenshot(F, Path));
    const QImage Shot(Path);
    ASSERT_FALSE(Shot.isNull());
    // The panel at the bottom is painted in the style's face colour.
    const QColor Face = Shot.pixelColor(Shot.width() / 2, Shot.height() - 30);
    EXPECT_EQ(TColor(RGB(Byte(Face.red()), Byte(Face.green()), Byte(Face.blue()))), ColorToRGB(clBtnFace)) << Style;
  }
  TStyleManager::TrySetStyle(QStringLiteral("Windows"), false);
}

TEST_F(GuiTest, TimersFireInsideARealMessageBox)
{
  // No hook: the real box runs its loop; the timer keeps firing in it and
  // finally presses the box's "Нет" button as a person would.
  auto* Owner = new TForm(Application, 0);
  auto* T = new TTimer(Owner);
  T->SetInterval(10);
  int Ticks = 0;
  T->OnTimer = [&](TObject*) {
    if (++Ticks < 3)
      return;
    T->SetEnabled(false);
    QWidget* Box = QApplication::activeModalWidget();
    ASSERT_NE(Box, nullptr);
    for (QPushButton* B : Box->findChildren<QPushButton*>())
      if (B->text() == QStringLiteral("Нет"))
        B->click();
  };
  EXPECT_EQ(Application->MessageBox(QStringLiteral("Удалить строку?"), QStringLiteral("Удаление"),
                                    MB_YESNO | MB_ICONQUESTION),
            IDNO);
  EXPECT_EQ(Ticks, 3);
  // Terminate closes a box that is open.
  T->OnTimer = [&](TObject*) { Application->Terminate(); };
  T->SetEnabled(true);
  EXPECT_EQ(Application->MessageBox(QStringLiteral("Ошибка"), QStringLiteral("Ошибка"), MB_YESNO), IDNO);
}

TEST_F(GuiTest, PositionPlacesTheFormOnFirstShow)
{
  TForm* Main = nullptr;
  Application->CreateForm(Main);
  Main->SetBounds(0, 0, 600, 400);
  Main->Show();
  const TRect Work = Screen->WorkAreaRect();
  auto* Centered = new TForm(Application, 0);
  Centered->SetBounds(0, 0, 200, 100);
  Centered->SetPosition(poScreenCenter);
  Centered->Show();
  EXPECT_EQ(Centered->Left(), Work.Left + (Work.Width() - 200) / 2);
  EXPECT_EQ(Centered->Top(), Work.Top + (Work.Height() - 100) / 2);
  auto* Owned = new TForm(Main, 0);
  Owned->SetBounds(0, 0, 200, 100);
  Owned->SetPosition(poOwnerFormCenter);
  Owned->Show();
  EXPECT_EQ(Owned->Left(), Main->Left() + (600 - 200) / 2);
  EXPECT_EQ(Owned->Top(), Main->Top() + (400 - 100) / 2);
}

TEST_F(GuiTest, KeyDownHandlerThatConsumesEveryKeyStillLetsCharactersThrough)
{
  // A search box whose OnKeyDown consumes every key: typing and Backspace
  // still work (they are characters); Delete and the arrows do nothing.
  auto* F = new TForm(Application, 0);
  auto* Search = new TEdit(F);
  Search->SetParent(F);
  std::vector<Word> Keys;
  Search->OnKeyDown = [&](TObject*, Word& Key, TShiftState) {
    Keys.push_back(Key);
    Key = 0;
  };
  F->Show();
  Search->SetFocus();
  gui_test::Type(Search, QStringLiteral("abc"));
  EXPECT_EQ(Search->Text(), QStringLiteral("abc"));
  gui_test::Key(Search, Qt::Key_Left);
  gui_test::Key(Search, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
  EXPECT_EQ(Search->Text(), QStringLiteral("ab"));   // the caret did not move left
  gui_test::Key(Search, Qt::Key_Home);
  gui_test::Key(Search, Qt::Key_Delete);
  EXPECT_EQ(Search->Text(), QStringLiteral("ab"));
  EXPECT_EQ(Keys, (std::vector<Word>{'A', 'B', 'C', VK_LEFT, VK_BACK, VK_HOME, VK_DELETE}));
}

TEST_F(GuiTest, FormStoredAsVisibleIsShownWhenItsCreationCompletes)
{
  auto* F = new TForm(Application, 0);
  int Shows = 0;
  F->OnShow = [&](TObject*) { ++Shows; };
  ReadComponentFromText(QStringLiteral("object Form23: TForm\n  Caption = 'Авторизация'\n  Visible = True\nend\n"), F);
  EXPECT_FALSE(F->Visible());   // not while it is being read
  EXPECT_EQ(Shows, 0);
  F->AfterConstruction();
  EXPECT_TRUE(F->Visible());
  EXPECT_TRUE(F->Showing());
  EXPECT_EQ(Shows, 1);
  EXPECT_EQ(Application->ActiveForm(), F);
  EXPECT_THROW(F->ShowModal(), EInvalidOperation);   // a visible form cannot be made modal
}
