// EditButtonsTest.cpp: edit buttons and their controls on a sample form read
// from a form description: a spin button repeats while held (on the test
// clock), a drop-down button's menu stays open while the user ticks items,
// buttons follow their action, and the form is written back as it was read.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "tests/platform/gui/GuiTestSupport.h"

#include <QAction>
#include <QFile>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// An editor-like control holding one button of its own and extra buttons.
class TButtonsHostEh : public TCustomControl, public IEditButtonsOwnerEh {
  VELMORA_CLASS(TButtonsHostEh)
public:
  explicit TButtonsHostEh(TComponent* AOwner)
      : TCustomControl(AOwner), FEditButton(std::make_unique<TDropDownEditButtonEh>(static_cast<TWinControl*>(this))),
        FEditButtons(std::make_unique<TEditButtonsEh>(this, TEditButtonEh::StaticClass()))
  {
  }
  TEditButtonEh* EditButton() const { return FEditButton.get(); }
  void SetEditButton(TEditButtonEh* Value) { FEditButton->Assign(Value); }
  TEditButtonsEh* EditButtons() const { return FEditButtons.get(); }
  void SetEditButtons(TEditButtonsEh* Value) { FEditButtons->Assign(Value); }
  TEditButtonDrawBackTimeEh GetEditButtonDefaultDrawBackTime() override { return edbtWhenHotEh; }

private:
  std::unique_ptr<TEditButtonEh> FEditButton;
  std::unique_ptr<TEditButtonsEh> FEditButtons;
};

class TButtonsForm : public TForm {
  VELMORA_CLASS(TButtonsForm)
public:
  explicit TButtonsForm(TComponent* AOwner) : TForm(AOwner, 0) {}

  std::vector<String> Log;
  Integer StopAfter = 0;   // the spin handler stops the repeat after so many calls

  void SpinButtonDown(TObject*, bool TopButton, bool& AutoRepeat, bool& Handled)
  {
    Log.push_back(QStringLiteral("%1 %2").arg(TopButton ? QStringLiteral("up") : QStringLiteral("down")).arg(
      TTestClock::Active() ? qint64(TTestClock::Active()->Now()) : 0));
    if (StopAfter > 0 && Integer(Log.size()) >= StopAfter)
      AutoRepeat = false;
    Handled = true;
  }
  void MenuButtonClick(TObject*)
  {
    Log.push_back(QStringLiteral("menu"));
    static_cast<TPopupMenu*>(FindComponent(QStringLiteral("Choices")))->Popup(100, 100);
    Log.push_back(QStringLiteral("menu closed"));
  }
  void KeepItemClick(TObject* Sender)
  {
    auto* Item = static_cast<TMenuItem*>(Sender);
    Item->SetChecked(!Item->Checked());
    Log.push_back(QStringLiteral("keep"));
  }
  void CloseItemClick(TObject*) { Log.push_back(QStringLiteral("close")); }
  void AddActionExecute(TObject* Sender)
  {
    Log.push_back(QStringLiteral("add by ") + static_cast<TBasicAction*>(Sender)->ActionComponent()->Name());
  }

  template <class T>
  T* Find(const char* Name)
  {
    return dynamic_cast<T*>(FindComponent(QString::fromLatin1(Name)));
  }
};

void RegisterButtonsForm()
{
  RegisterGuiClasses();
  RegisterToolCtrlsEhButtonClasses();
  RegisterClassInfo<TButtonsHostEh, TCustomControl>("TButtonsHostEh")
    .Property("EditButton", &TButtonsHostEh::EditButton, &TButtonsHostEh::SetEditButton)
    .Property("EditButtons", &TButtonsHostEh::EditButtons, &TButtonsHostEh::SetEditButtons);
  RegisterClassInfo<TButtonsForm, TForm>("TButtonsForm")
    .Handler("SpinButtonDown", &TButtonsForm::SpinButtonDown)
    .Handler("MenuButtonClick", &TButtonsForm::MenuButtonClick)
    .Handler("KeepItemClick", &TButtonsForm::KeepItemClick)
    .Handler("CloseItemClick", &TButtonsForm::CloseItemClick)
    .Handler("AddActionExecute", &TButtonsForm::AddActionExecute);
}

const char* Description = R"(object ButtonsForm: TButtonsForm
  Left = 10
  Top = 10
  Width = 300
  Height = 200
  Caption = 'Кнопки'
  object SpinButton: TSpeedButtonEh
    Left = 8
    Top = 8
    Width = 17
    Height = 21
    Style = ebsUpDownEh
    OnDown = SpinButtonDown
  end
  object MenuButton: TSpeedButtonEh
    Left = 40
    Top = 8
    Width = 17
    Height = 21
    OnClick = MenuButtonClick
  end
  object Host: TButtonsHostEh
    Left = 8
    Top = 40
    Width = 200
    Height = 24
    EditButton.Hint = 'Выбрать'
    EditButton.Style = ebsEllipsisEh
    EditButtons = <
      item
        Action = AddAction
        Style = ebsPlusEh
      end
      item
        Action = AddAction
        DropdownMenu = Choices
        Hint = 'Своя подсказка'
        Style = ebsAltDropDownEh
        Visible = True
        Width = 20
        DrawBackTime = edbtNeverEh
      end>
  end
  object Choices: TPopupMenuEh
    object KeepItem: TMenuItemEh
      Caption = 'Отметить'
      OnClick = KeepItemClick
    end
    object CloseItem: TMenuItem
      Caption = 'Закрыть'
      OnClick = CloseItemClick
    end
  end
  object AddAction: TAction
    Hint = 'Добавить строку'
    OnExecute = AddActionExecute
  end
end
)";

TButtonsForm* BuildForm()
{
  RegisterButtonsForm();
  auto* F = new TButtonsForm(Application);
  ReadComponentFromText(QString::fromUtf8(Description), F);
  F->Find<TMenuItemEh>("KeepItem")->SetCloseMenuOnClick(false);
  F->Show();
  return F;
}

void Press(TControl* C, Integer X, Integer Y)
{
  C->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(Word(X), Word(Y)));
}

void Release(TControl* C, Integer X, Integer Y)
{
  C->Perform(WM_LBUTTONUP, 0, MakeLParam(Word(X), Word(Y)));
}

class EditButtonsForm : public gui_test::GuiTest {};

} // namespace

TEST_F(EditButtonsForm, SpinButtonRepeatsWhileHeld)
{
  TTestClock Clock(1000);
  TButtonsForm* F = BuildForm();
  auto* Spin = F->Find<TSpeedButtonEh>("SpinButton");
  ASSERT_NE(Spin, nullptr);

  Press(Spin, 8, 3);
  EXPECT_EQ(Spin->ButtonNum(), 1);
  Clock.Advance(399);
  EXPECT_EQ(F->Log.size(), 1u) << "nothing before 400 ms";
  Clock.Advance(1);
  Clock.Advance(100);
  Clock.Advance(250);
  Release(Spin, 8, 3);
  Clock.Advance(1000);
  const std::vector<String> Held = {"up 1000", "up 1400", "up 1500", "up 1600", "up 1700"};
  EXPECT_EQ(F->Log, Held) << "at the press, after 400 ms, then every 100 ms until released";
  EXPECT_EQ(Spin->ButtonNum(), 0);

  // The lower half, and a handler that stops the repeat on its third call.
  F->Log.clear();
  F->StopAfter = 3;
  Press(Spin, 8, 18);
  EXPECT_EQ(Spin->ButtonNum(), 2);
  Clock.Advance(1000);
  EXPECT_EQ(F->Log, (std::vector<String>{"down 2750", "down 3150", "down 3250"}));
  EXPECT_FALSE(Spin->RepeatTimer()->Enabled());
  Release(Spin, 8, 18);

  // The middle row of the odd height is neither half.
  F->Log.clear();
  F->StopAfter = 1;
  Press(Spin, 8, 10);
  EXPECT_EQ(Spin->ButtonNum(), 0);
  EXPECT_EQ(F->Log, (std::vector<String>{"down 3750"}));
  Release(Spin, 8, 10);

  // Dragged from the upper half into the lower one: no longer down, no repeat.
  F->Log.clear();
  F->StopAfter = 0;
  Press(Spin, 8, 3);
  Spin->Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(8, 18));
  EXPECT_EQ(Spin->State(), bsUp);
  Clock.Advance(600);
  Release(Spin, 8, 18);
  EXPECT_EQ(F->Log, (std::vector<String>{"up 3750"}));
}

TEST_F(EditButtonsForm, DropDownMenuStaysOpenWhileTheUserTicks)
{
  TButtonsForm* F = BuildForm();
  auto* MenuButton = F->Find<TSpeedButtonEh>("MenuButton");
  auto* Keep = F->Find<TMenuItemEh>("KeepItem");
  std::vector<String> Seen;
  bool OpenAfterTicks = false;
  auto ActionOf = [](QMenu* M, const char* Text) -> QAction* {
    for (QAction* A : M->actions())
      if (A->text() == QString::fromUtf8(Text))
        return A;
    return nullptr;
  };
  auto Enter = [](QMenu* M) {
    QKeyEvent Down(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(M, &Down);
  };
  // The user, once the menu is up: ticks the item twice, then picks the other.
  QTimer::singleShot(0, [&] {
    auto* M = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!M) {
      Seen.push_back(QStringLiteral("no menu"));
      return;
    }
    M->setActiveAction(ActionOf(M, "Отметить"));
    Enter(M);
    Seen.push_back(ActionOf(M, "Отметить")->isChecked() ? QStringLiteral("ticked") : QStringLiteral("not ticked"));
    Enter(M);
    OpenAfterTicks = M->isVisible();
    M->setActiveAction(ActionOf(M, "Закрыть"));
    Enter(M);
  });
  // Whatever happens above, the menu does not stay up for ever.
  QTimer::singleShot(5000, [] {
    if (QWidget* W = QApplication::activePopupWidget())
      W->close();
  });
  Press(MenuButton, 5, 5);
  Release(MenuButton, 5, 5);
  EXPECT_EQ(Seen, (std::vector<String>{"ticked"}));
  EXPECT_TRUE(OpenAfterTicks) << "the menu stays open after its keep-open item";
  EXPECT_EQ(F->Log, (std::vector<String>{"menu", "keep", "keep", "close", "menu closed"}));
  EXPECT_FALSE(Keep->Checked()) << "ticked twice";
  EXPECT_EQ(PopupListEh()->ActiveMenu(), nullptr);
}

TEST_F(EditButtonsForm, ButtonsFollowTheirActionAndStreamBack)
{
  TButtonsForm* F = BuildForm();
  auto* Host = F->Find<TButtonsHostEh>("Host");
  auto* Action = F->Find<TAction>("AddAction");
  TEditButtonsEh* Buttons = Host->EditButtons();
  ASSERT_EQ(Buttons->Count(), 2);
  TEditButtonEh* Plus = Buttons->Items(0);
  TEditButtonEh* Drop = Buttons->Items(1);

  EXPECT_EQ(Host->EditButton()->Style(), ebsEllipsisEh);
  EXPECT_EQ(Host->EditButton()->ShortCut(), AltDownShortCutEh) << "the drop-down button's default";
  EXPECT_EQ(Plus->Hint(), QStringLiteral("Добавить строку")) << "the action's hint";
  EXPECT_EQ(Drop->Hint(), QStringLiteral("Своя подсказка")) << "its own hint, read before the action";
  EXPECT_EQ(Drop->DropdownMenu(), F->Find<TPopupMenu>("Choices"));
  EXPECT_EQ(Plus->DrawBackTime(), edbtWhenHotEh) << "the owner's default";
  EXPECT_EQ(Drop->DrawBackTime(), edbtNeverEh);
  EXPECT_TRUE(Drop->Visible());

  // The action's changes reach the buttons that still show its values.
  Action->SetHint(QStringLiteral("Новая строка"));
  Action->SetEnabled(false);
  EXPECT_EQ(Plus->Hint(), QStringLiteral("Новая строка"));
  EXPECT_EQ(Drop->Hint(), QStringLiteral("Своя подсказка"));
  EXPECT_FALSE(Plus->Enabled());
  Action->SetEnabled(true);
  Action->SetHint(QStringLiteral("Добавить строку"));

  // A click without a handler of its own runs the action for the host.
  bool Handled = false;
  Plus->Click(Plus, Handled);
  EXPECT_TRUE(Handled);
  EXPECT_EQ(F->Log, (std::vector<String>{"add by Host"}));

  // Changes are told once, and not at all when nothing changes.
  Integer Changes = 0;
  Buttons->OnChanged = [&](TObject*) { ++Changes; };
  Plus->SetStyle(ebsPlusEh);
  EXPECT_EQ(Changes, 0);
  Plus->SetStyle(ebsMinusEh);
  EXPECT_EQ(Changes, 1);
  Plus->SetNumGlyphs(9);
  EXPECT_EQ(Plus->NumGlyphs(), 4) << "clamped";
  Plus->SetDrawBackTimeStored(true);
  EXPECT_TRUE(Plus->DrawBackTimeStored());
  EXPECT_EQ(Plus->DrawBackTime(), edbtWhenHotEh) << "the owner's default, now stored";
  Plus->SetStyle(ebsPlusEh);
  Plus->SetNumGlyphs(1);
  Plus->SetDrawBackTimeStored(false);
  Buttons->OnChanged = nullptr;

  // The button control an editor makes for a button.
  TEditButtonControlEh* Control = Host->EditButton()->CreateEditButtonControl();
  EXPECT_EQ(Control->Parent(), Host);
  EXPECT_EQ(Control->Width(), 10);
  EXPECT_EQ(Control->Height(), 17);
  EXPECT_TRUE(Control->ControlStyle().Contains(csReplicatable));
  delete Control;

  // Written back, read into a new form, written again: the same text.
  F->Hide();
  const String Text = WriteComponentToText(F);
  for (const char* Needle : {"Style = ebsUpDownEh", "EditButton.Style = ebsEllipsisEh", "EditButtons = <",
                             "Action = AddAction", "DropdownMenu = Choices", "DrawBackTime = edbtNeverEh",
                             "object KeepItem: TMenuItemEh"})
    EXPECT_TRUE(Text.contains(QString::fromUtf8(Needle))) << Needle;
  EXPECT_EQ(Text.count(QStringLiteral("Hint = ")), 3) << "the action's hint is not stored on the plus button\n"
                                                      << Text.toStdString();
  EXPECT_FALSE(Text.contains(QStringLiteral("ShortCut"))) << "defaults are not written";
  std::unique_ptr<TButtonsForm> Copy(new TButtonsForm(nullptr));
  ReadComponentFromText(Text, Copy.get());
  const String Again = WriteComponentToText(Copy.get());
  EXPECT_EQ(Again, Text);
  if (Again != Text) {
    QFile A(gui_test::OutputPath(QStringLiteral("edit-buttons-form.txt")));
    if (A.open(QIODevice::WriteOnly))
      A.write((Text + QStringLiteral("\n----\n") + Again).toUtf8());
  }
}

TEST_F(EditButtonsForm, FacePaintedOnlyWhileHotWhenAsked)
{
  TButtonsForm* F = BuildForm();
  auto* B = F->Find<TSpeedButtonEh>("MenuButton");
  B->SetStyle(ebsEllipsisEh);
  B->SetDrawBackTime(edbtWhenHotEh);
  SetButtonThemesEnabledEh(false);
  auto FaceShown = [&] {
    TImageCanvas C(F->ClientWidth(), F->ClientHeight(), clWhite);
    F->PaintTo(C.Handle(), 0, 0);
    // Without its face the button is its own colour up to the glyph.
    const TPoint At = B->ClientToParent(TPoint(0, 0));
    return C.Pixels(At.X + 1, At.Y + 1) != ColorToRGB(B->Color());
  };
  EXPECT_FALSE(FaceShown());
  B->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(FaceShown());
  B->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(FaceShown());
  B->OnClick = nullptr;   // no menu from this press
  Press(B, 5, 5);
  EXPECT_TRUE(FaceShown()) << "pressed";
  Release(B, 5, 5);
  EXPECT_FALSE(FaceShown());
  SetButtonThemesEnabledEh(true);
}

TEST(ButtonImagesEh, StateImagesFallBackToTheNormalList)
{
  TImageList Normal(nullptr), Pressed(nullptr);
  TButtonImagesEh Images;
  Images.SetNormalImages(&Normal);
  Images.SetPressedImages(&Pressed);
  Images.SetHotIndex(3);
  struct Case { TEditButtonStateEh State; TCustomImageList* List; TImageIndex Index; };
  const Case Cases[] = {{ebstNormalEh, &Normal, 0},   {ebstHotEh, &Normal, 3},  {ebstPressedEh, &Pressed, 0},
                        {ebstDisabledEh, &Normal, 0}, {ebstControlHotEh, nullptr, -1}};
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.State);
    EXPECT_EQ(Images.GetStateImages(K.State), K.List);
    EXPECT_EQ(Images.GetStateIndex(K.State), K.Index);
  }
}
