// EditButtonsBoxTest.cpp: the buttons box lays out an editor's buttons (sizes
// in the flat and the plain look, lines, hidden buttons), and the caption
// label stands at each of its fourteen places and follows its control.
#include "gridlib/editors/DBCtrlsEh.h"

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Screenshot.h"
#include "platform/gui/Themes.h"
#include "platform/gui/Windows.h"
#include "tests/platform/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

using gui_test::GuiTest;

namespace {

// A control that owns a caption label, placing it as an editor does.
class TLabelledBoxEh : public TCustomControl, public IControlLabelOwnerEh {
  VELMORA_CLASS(TLabelledBoxEh)
public:
  explicit TLabelledBoxEh(TComponent* AOwner)
      : TCustomControl(AOwner), FLocation(std::make_unique<TControlLabelLocationEh>(this))
  {
    FLabel = new TControlLabelEh(this);
  }
  TControlLabelEh* Label() const { return FLabel; }
  TControlLabelLocationEh* Location() const { return FLocation.get(); }
  String FieldTitle = QStringLiteral("Наименование");
  Integer LocationChanges = 0;

  String GetControlLabelCaption() override { return FieldTitle; }
  Integer GetControlTextBaseLine() override { return 15; }
  void AdjustLabelBounds() override
  {
    if (!FLabel)   // the label sizes itself while it is being made
      return;
    TPoint P;
    FLocation->CalcLabelPosForControl(FLabel->Width(), FLabel->Height(), P);
    FLabel->SetBounds(P.X, P.Y, FLabel->Width(), FLabel->Height());
  }
  void ControlLabelLocationChanged() override
  {
    ++LocationChanges;
    AdjustLabelBounds();
  }

  // Paints as an edit box does: a frame, the window colour and its text.
  void Paint() override
  {
    TCanvas* C = Canvas();
    C->Brush()->SetColor(clWindow);
    C->Pen()->SetColor(clBtnShadow);
    C->Rectangle(ClientRect());
    C->Font()->Assign(Font());
    C->TextOut(4, 3, Text());
  }

protected:
  void CMVisibleChanged(TMessage& Message) override
  {
    TCustomControl::CMVisibleChanged(Message);
    FLabel->UpdateVisibility();
  }

private:
  TControlLabelEh* FLabel = nullptr;
  std::unique_ptr<TControlLabelLocationEh> FLocation;
};

// A buttons box with its own buttons, as an editor keeps them.
struct BoxFixture {
  explicit BoxFixture(Integer Count, bool Flat, Integer MaxHeight)
  {
    Form = new TForm(Application, 0);
    Box = new TEditButtonsBoxEh(Form);
    Box->SetParent(Form);
    Box->OnCreateEditButtonControl = [this](TEditButtonControlEh*& C) { C = new TEditButtonControlEh(Box); };
    Box->BeginLayout();
    Box->SetButtonsCount(Count);
    Box->SetFlat(Flat);
    Box->SetMaxButtonHeight(MaxHeight);
    for (Integer I = 0; I < Count; ++I) {
      Buttons.push_back(std::make_unique<TVisibleEditButtonEh>(static_cast<TWinControl*>(Form)));
      Box->SetEditButton(I, Buttons.back().get());
    }
  }
  TEditButtonControlEh* Control(Integer I) const { return Box->BtnCtlList()[std::size_t(I)].EditButtonControl; }
  TShape* Line(Integer I) const { return Box->BtnCtlList()[std::size_t(I)].ButtonLine; }
  TForm* Form = nullptr;
  TEditButtonsBoxEh* Box = nullptr;
  std::vector<std::unique_ptr<TEditButtonEh>> Buttons;
};

} // namespace

TEST_F(GuiTest, ButtonsBoxSizesButtonsByLook)
{
  const bool Themed = StyleThemesEnabledEh();
  struct Case {
    bool Flat;
    Integer Width;      // the button's own width
    Integer MaxHeight;
    Integer ExpectWidth, ExpectHeight;
  };
  const Integer FlatDefault = EditorsFlatButtonWidthEh();
  const Integer Scroll = GetSystemMetrics(SM_CXVSCROLL);
  const Case Cases[] = {
    // Room for more than one and a half widths: the button's own proportion.
    {true, 12, 30, 12, 16},
    {false, 12, 30, 12, 12},
    // 18 is not more than 12 * 3 / 2: the whole height.
    {true, 12, 18, 12, 18},
    // No width of its own: the library's default, or a scroll bar's width.
    {true, 0, FlatDefault, FlatDefault, FlatDefault},
    {false, 0, Scroll, Scroll, Scroll},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(testing::Message() << "flat " << C.Flat << " width " << C.Width << " max " << C.MaxHeight);
    BoxFixture F(1, C.Flat, C.MaxHeight);
    F.Buttons[0]->SetWidth(C.Width);
    F.Box->EndLayout();
    EXPECT_EQ(F.Control(0)->Width(), C.ExpectWidth);
    EXPECT_EQ(F.Control(0)->Height(), C.ExpectHeight);
    EXPECT_EQ(F.Box->ButtonHeight(), C.ExpectHeight);
    EXPECT_EQ(F.Control(0)->Flat(), C.Flat);
    const bool Lines = C.Flat && !Themed;
    // The line after the last button is not counted.
    EXPECT_EQ(F.Box->ButtonsWidth(), C.ExpectWidth);
    EXPECT_EQ(F.Line(0)->Visible(), Lines);
  }
}

TEST_F(GuiTest, ButtonsBoxPlacesVisibleButtonsSideBySide)
{
  BoxFixture F(3, true, 24);
  F.Buttons[0]->SetWidth(15);
  F.Buttons[0]->SetStyle(ebsEllipsisEh);
  F.Buttons[1]->SetVisible(false);
  F.Buttons[2]->SetWidth(17);
  F.Buttons[2]->SetEnabled(false);
  F.Box->EndLayout();

  const Integer Line = StyleThemesEnabledEh() ? 0 : 1;
  EXPECT_EQ(F.Control(0)->Left(), 0);
  EXPECT_EQ(F.Control(0)->Style(), ebsEllipsisEh);
  EXPECT_FALSE(F.Control(1)->Visible());
  EXPECT_EQ(F.Control(1)->Width(), 0);
  EXPECT_EQ(F.Control(2)->Left(), 15 + Line);
  EXPECT_EQ(F.Box->ButtonsWidth(), 15 + Line + 17 + Line - Line);
  // The lower of the two heights serves every button: 15 wide leaves 24 > 22
  // for a proportional 20; 17 wide takes the whole 24.
  EXPECT_EQ(F.Box->ButtonHeight(), 20);
  EXPECT_EQ(F.Control(2)->Height(), 20);
  EXPECT_EQ(F.Control(2)->Tag(), 2);
  EXPECT_FALSE(F.Control(2)->Enabled());

  // Shrinking frees the surplus controls; a box without visible buttons
  // places nothing.
  F.Box->SetButtonsCount(1);
  EXPECT_EQ(F.Box->ControlCount(), 2);
  F.Buttons[0]->SetVisible(false);
  F.Box->UpdateEditButtonControlList();
  EXPECT_EQ(F.Box->ButtonsWidth(), 0);
  EXPECT_EQ(F.Box->ButtonHeight(), std::numeric_limits<Integer>::max());

  // The controls pass their clicks to the box's owner with their entry.
  std::vector<NativeInt> Clicked;
  F.Box->OnClick = [&](TObject* Sender) { Clicked.push_back(static_cast<TComponent*>(Sender)->Tag()); };
  F.Buttons[0]->SetVisible(true);
  F.Box->UpdateEditButtonControlList();
  F.Control(0)->Click();
  EXPECT_EQ(Clicked, std::vector<NativeInt>{0});
}

TEST_F(GuiTest, ControlLabelStandsAtEachPosition)
{
  TForm* Form = new TForm(Application, 0);
  auto* Box = new TLabelledBoxEh(Form);
  Box->SetParent(Form);
  Box->SetBounds(100, 50, 120, 21);
  struct Case {
    TLabelPositionEh Position;
    TSpacingBoundEh Bound;
    Integer X, Y;   // for a 40 x 13 label, spacing 3, offset 2
  };
  const Case Cases[] = {
    {lpAboveLeftEh, sbNearBoundEh, 102, 34},         {lpAboveCenterEh, sbNearBoundEh, 142, 34},
    {lpAboveRightEh, sbNearBoundEh, 182, 34},        {lpBelowLeftEh, sbNearBoundEh, 102, 74},
    {lpBelowCenterEh, sbNearBoundEh, 142, 74},       {lpBelowRightEh, sbNearBoundEh, 182, 74},
    {lpLeftTopEh, sbNearBoundEh, 57, 52},            {lpLeftTextBaselineEh, sbNearBoundEh, 57, 54},
    {lpLeftCenterEh, sbNearBoundEh, 57, 56},         {lpLeftBottomEh, sbNearBoundEh, 57, 60},
    {lpRightTopEh, sbNearBoundEh, 223, 52},          {lpRightTextBaselineEh, sbNearBoundEh, 223, 54},
    {lpRightCenterEh, sbNearBoundEh, 223, 56},       {lpRightBottomEh, sbNearBoundEh, 223, 60},
    // The far bound moves the label by its own height or width.
    {lpAboveLeftEh, sbFarBoundEh, 102, 47},          {lpBelowCenterEh, sbFarBoundEh, 142, 87},
    {lpLeftCenterEh, sbFarBoundEh, 97, 56},          {lpRightTopEh, sbFarBoundEh, 263, 52},
  };
  TControlLabelLocationEh* L = Box->Location();
  L->SetOffset(2);
  for (const Case& C : Cases) {
    SCOPED_TRACE(int(C.Position));
    L->SetPosition(C.Position);
    L->SetLabelSpacingBound(C.Bound);
    TPoint P;
    L->CalcLabelPosForControl(40, 13, P);
    EXPECT_EQ(P.X, C.X);
    EXPECT_EQ(P.Y, C.Y);
  }
  // A setter that changes nothing does not disturb the owner.
  const Integer Before = Box->LocationChanges;
  L->SetSpacing(3);
  L->SetPosition(L->Position());
  EXPECT_EQ(Box->LocationChanges, Before);
}

TEST_F(GuiTest, ControlLabelFollowsItsControl)
{
  TForm* Form = new TForm(Application, 0);
  auto* Box = new TLabelledBoxEh(Form);
  Box->SetParent(Form);
  Box->SetBounds(100, 50, 120, 21);
  TControlLabelEh* Label = Box->Label();
  EXPECT_EQ(Label->Name(), QStringLiteral("SubLabel"));
  EXPECT_EQ(Label->Caption(), QStringLiteral("Наименование"));
  EXPECT_EQ(Label->Parent(), nullptr);
  EXPECT_FALSE(Label->TControl::Visible());

  // Shown on an invisible control it waits, and appears with the control.
  Box->SetVisible(false);
  Label->SetVisible(true);
  EXPECT_EQ(Label->Parent(), Form);
  EXPECT_FALSE(Label->TControl::Visible());
  Box->SetVisible(true);
  EXPECT_TRUE(Label->TControl::Visible());

  // It stands above the control; a longer caption keeps it there.
  Label->SetCaption(QStringLiteral("Подразделение предприятия"));
  EXPECT_TRUE(Label->CaptionStored());
  EXPECT_EQ(Label->Left(), 100);
  EXPECT_EQ(Label->Top(), 50 - Label->Height() - 3);
  Box->Location()->SetPosition(lpLeftCenterEh);
  EXPECT_EQ(Label->Left(), 100 - Label->Width() - 3);
  EXPECT_EQ(Label->Top(), 50 + (21 - Label->Height()) / 2);

  // A cleared caption shows the field's title again.
  Box->FieldTitle = QStringLiteral("Код");
  Label->SetCaption(QString());
  EXPECT_FALSE(Label->CaptionStored());
  EXPECT_EQ(Label->Caption(), QStringLiteral("Код"));

  Label->SetVisible(false);
  EXPECT_EQ(Label->Parent(), nullptr);
}

TEST_F(GuiTest, ButtonsAndLabelsPictured)
{
  for (const char* StyleName : {"Windows", "Ocean"}) {
    SCOPED_TRACE(StyleName);
    ASSERT_TRUE(TStyleManager::TrySetStyle(QString::fromLatin1(StyleName), false));
    TForm* Form = new TForm(Application, 0);
    Form->SetClientWidth(520);
    Form->SetClientHeight(230);
    Form->SetColor(clBtnFace);
    struct Item {
      const char* Title;
      TLabelPositionEh Position;
      std::vector<TEditButtonStyleEh> Styles;
      bool Flat;
      Integer Left, Top;
    };
    const Item Items[] = {
      {"Сверху слева", lpAboveLeftEh, {ebsDropDownEh}, false, 20, 30},
      {"Сверху по центру", lpAboveCenterEh, {ebsEllipsisEh, ebsDropDownEh}, true, 280, 30},
      {"Слева", lpLeftCenterEh, {ebsUpDownEh}, false, 110, 80},
      {"Справа", lpRightCenterEh, {ebsPlusEh, ebsMinusEh}, true, 20, 130},
      {"Снизу справа", lpBelowRightEh, {ebsAltDropDownEh}, false, 280, 130},
      {"Слева снизу", lpLeftBottomEh, {ebsEllipsisEh}, true, 110, 180},
    };
    std::vector<std::unique_ptr<TEditButtonEh>> Buttons;
    std::vector<TLabelledBoxEh*> Boxes;
    for (const Item& It : Items) {
      auto* Edit = new TLabelledBoxEh(Form);
      Edit->SetParent(Form);
      Edit->SetBounds(It.Left, It.Top, 180, 21);
      Edit->SetText(QStringLiteral("Склад №2"));
      Edit->FieldTitle = QString::fromUtf8(It.Title);
      Edit->Location()->SetPosition(It.Position);
      Edit->Label()->UpdateCaption();
      Edit->Label()->SetVisible(true);
      auto* Box = new TEditButtonsBoxEh(Edit);
      Box->SetParent(Edit);
      Box->OnCreateEditButtonControl = [Box](TEditButtonControlEh*& C) { C = new TEditButtonControlEh(Box); };
      Box->BeginLayout();
      Box->SetButtonsCount(Integer(It.Styles.size()));
      Box->SetFlat(It.Flat);
      Box->SetMaxButtonHeight(17);
      for (std::size_t I = 0; I < It.Styles.size(); ++I) {
        Buttons.push_back(std::make_unique<TVisibleEditButtonEh>(static_cast<TWinControl*>(Form)));
        Buttons.back()->SetStyle(It.Styles[I]);
        Box->SetEditButton(Integer(I), Buttons.back().get());
      }
      Box->EndLayout();
      Box->SetBounds(180 - 2 - Box->ButtonsWidth(), 2, Box->ButtonsWidth(), 17);
      Edit->AdjustLabelBounds();
      Boxes.push_back(Edit);
    }
    Form->Show();
    const String File = gui_test::OutputPath(QStringLiteral("editbuttons_labels_%1.png").arg(QString::fromLatin1(StyleName)));
    ASSERT_TRUE(SaveScreenshot(Form, File));
    QImage Shot(File);
    ASSERT_FALSE(Shot.isNull());
    // Each label stands where its position puts it, clear of its editor.
    for (TLabelledBoxEh* B : Boxes) {
      const TRect L = B->Label()->BoundsRect();
      TRect Overlap;
      EXPECT_FALSE(IntersectRect(Overlap, L, B->BoundsRect())) << B->FieldTitle.toStdString();
      EXPECT_GT(L.Width(), 0);
    }
    delete Form;
  }
  TStyleManager::TrySetStyle(QStringLiteral("Windows"), false);
}
