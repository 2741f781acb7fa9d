// DBEditEhTest.cpp: the data-aware editor on a form read from its
// description, over a table of the test server: loading, typing, posting
// on exit, Escape, a read-only field on every way of changing it, bad input;
// the editor's own value, its paste, its keys, its in-place mode in a grid,
// and its look in each state.
#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/foundation/GridsEh.h"
#include "platform/data/ADODB.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/ImgList.h"

#include "tests/gridlib/editors/EditorsTestSupport.h"
#include "tests/platform/gui/GuiTestSupport.h"
#include "tests/support/TestDatabase.h"

#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>

namespace {

const char* const FormText = R"(object ItemForm: TForm
  Left = 0
  Top = 0
  Caption = 'Изделие'
  ClientHeight = 160
  ClientWidth = 320
  object NameEdit: TDBEditEh
    Left = 90
    Top = 8
    Width = 200
    Height = 21
    DataField = 'name'
    DataSource = ItemSource
    HighlightRequired = True
    EmptyDataInfo.Text = 'Введите название'
  end
  object CodeEdit: TDBEditEh
    Left = 90
    Top = 40
    Width = 200
    Height = 21
    DataField = 'code'
    DataSource = ItemSource
  end
  object QtyEdit: TDBEditEh
    Left = 90
    Top = 72
    Width = 200
    Height = 21
    DataField = 'qty'
    DataSource = ItemSource
  end
  object OtherEdit: TEdit
    Left = 90
    Top = 104
    Width = 200
    Height = 21
  end
  object ItemSource: TDataSource
    DataSet = Items
  end
  object Items: TADOQuery
    SQL.Strings = (
      'select * from de_item order by id')
  end
end
)";

class DBEditEhTest : public editors_test::TableFormTest {
protected:
  static void SetUpTestSuite()
  {
    RegisterADOClasses();
    RegisterStdCtrlsClasses();
    RegisterDBCtrlsEhClasses();
  }
  void SetUp() override
  {
    GuiTest::SetUp();
    ReadForm({"drop table if exists de_item",
              "create table de_item (id serial primary key, name varchar(20) not null, code varchar(10), qty int4)",
              "insert into de_item (name, code, qty) values ('Болт', 'B-1', 5), ('Гайка', null, 7)"},
             FormText);
    NameEdit = Find("NameEdit");
    CodeEdit = Find("CodeEdit");
    QtyEdit = Find("QtyEdit");
    Other = editors_test::Find<TEdit>(Form, "OtherEdit");
    OpenAndShow();
  }
  TDBEditEh* Find(const char* Name) { return editors_test::Find<TDBEditEh>(Form, Name); }

  TDBEditEh *NameEdit = nullptr, *CodeEdit = nullptr, *QtyEdit = nullptr;
  TEdit* Other = nullptr;
};

} // namespace

TEST_F(DBEditEhTest, LoadsTypesPostsOnExitAndEscapeReloads)
{
  EXPECT_EQ(NameEdit->Text(), QStringLiteral("Болт"));
  EXPECT_EQ(NameEdit->MaxLength(), 20);
  EXPECT_EQ(Items->State(), dsBrowse);
  NameEdit->SetFocus();
  NameEdit->SetSelStart(4);
  gui_test::Type(NameEdit, QStringLiteral("X"));
  EXPECT_EQ(Items->State(), dsEdit);
  EXPECT_EQ(NameEdit->Text(), QStringLiteral("БолтX"));
  gui_test::Key(NameEdit, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
  EXPECT_EQ(NameEdit->Text(), QStringLiteral("Болт"));
  EXPECT_EQ(NameEdit->SelLength(), 4);
  gui_test::Type(NameEdit, QStringLiteral("Z"));
  Other->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(Items->FieldByName(QStringLiteral("name"))->AsString(), QStringLiteral("Z"));
  Items->Post();
  EXPECT_EQ(Db1("select name from de_item where id = 1"), "Z");
  Items->Next();
  EXPECT_EQ(NameEdit->Text(), QStringLiteral("Гайка"));
}

TEST_F(DBEditEhTest, ReadOnlyFieldRefusesEveryWayOfChangingIt)
{
  Items->FieldByName(QStringLiteral("code"))->SetReadOnly(true);
  CodeEdit->SetFocus();
  CodeEdit->SelectAll();
  Clipboard()->SetAsText(QStringLiteral("new"));
  const std::vector<std::pair<const char*, std::function<void()>>> Paths = {
    {"typing", [&] { gui_test::Type(CodeEdit, QStringLiteral("q")); }},
    {"backspace", [&] { gui_test::Key(CodeEdit, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b")); }},
    {"delete", [&] { gui_test::Key(CodeEdit, Qt::Key_Delete); }},
    {"paste", [&] { gui_test::Key(CodeEdit, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16")); }},
    {"cut", [&] { gui_test::Key(CodeEdit, Qt::Key_X, Qt::ControlModifier, QStringLiteral("\x18")); }},
    {"input method", [&] {
       QInputMethodEvent IM;
       IM.setCommitString(QStringLiteral("ж"));
       QCoreApplication::sendEvent(CodeEdit->Widget(), &IM);
     }},
    {"drop", [&] {
       QMimeData Data;
       Data.setText(QStringLiteral("dropped"));
       QDropEvent Drop(QPointF(5, 5), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
       static_cast<QObject*>(CodeEdit->Widget())->event(&Drop);
     }},
    {"menu", [&] {
       std::unique_ptr<QMenu> Menu(CodeEdit->CreateEditContextMenu());
       for (const char* Name : {"edit-paste", "edit-cut", "edit-delete"}) {
         QAction* A = Menu->findChild<QAction*>(QString::fromLatin1(Name));
         EXPECT_FALSE(A->isEnabled()) << Name;
         A->trigger();
       }
     }},
  };
  for (const auto& [Name, Do] : Paths) {
    SCOPED_TRACE(Name);
    Do();
    EXPECT_EQ(CodeEdit->Text(), QStringLiteral("B-1"));
    EXPECT_EQ(Items->State(), dsBrowse);
  }
}

TEST_F(DBEditEhTest, BadInputIsToldAndLeavesTheRecordAsItWas)
{
  QtyEdit->SetFocus();
  int Beeps = 0;
  auto OldBeep = SetMessageBeepHook([&](UINT) { ++Beeps; });
  gui_test::Type(QtyEdit, QStringLiteral("a"));   // a number field refuses letters
  EXPECT_EQ(Beeps, 1);
  EXPECT_EQ(QtyEdit->Text(), QStringLiteral("5"));
  SetMessageBeepHook(OldBeep);
  // Pasted text is not checked as typed; posting it fails clearly.
  Clipboard()->SetAsText(QStringLiteral("1x2"));
  QtyEdit->SelectAll();
  gui_test::Key(QtyEdit, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
  // Leaving the box posts; the refusal reaches the user as the error: in a
  // message box when the window system moved the focus, else from SetFocus.
  String Error;
  {
    gui_test::MessageBoxRecorder Boxes;
    try {
      Other->SetFocus();
    } catch (const Exception& E) {
      Error = E.Message();
    }
    Application->ProcessMessages();
    for (const TMessageBoxRequest& R : Boxes.Requests)
      Error += R.Text;
  }
  EXPECT_TRUE(Error.contains(QStringLiteral("1x2"))) << Error.toStdString();
  EXPECT_TRUE(QtyEdit->Focused());
  EXPECT_EQ(QtyEdit->SelLength(), 3);
  EXPECT_EQ(Items->FieldByName(QStringLiteral("qty"))->AsInteger(), 5);
  // From code: the old value is shown again and the error goes on.
  EXPECT_ANY_THROW(QtyEdit->SetText(QStringLiteral("zz")));
  EXPECT_EQ(QtyEdit->Text(), QStringLiteral("5"));
}

TEST_F(DBEditEhTest, RequiredMarkerAndPlaceholderShowWhenEmpty)
{
  Items->FieldByName(QStringLiteral("name"))->SetRequired(true);
  Items->Insert();
  Application->ProcessMessages();
  EXPECT_TRUE(NameEdit->IsEmpty());
  EXPECT_TRUE(NameEdit->EmptyDataInfo()->Showing());
  const QImage Shot = NameEdit->Widget()->grab().toImage();
  gui_test::SaveImage(Shot, QStringLiteral("dbeditEh-required-placeholder.png"));
  const int Y = Shot.height() - 3;
  int Red = 0;
  for (int X = 0; X < Shot.width(); ++X)
    Red += Shot.pixelColor(X, Y) == QColor(Qt::red);
  EXPECT_GT(Red, 20) << "a dotted red line under the empty required value";
  int Silver = 0;
  for (int X = 0; X < Shot.width(); ++X)
    for (int YY = 3; YY < Shot.height() - 3; ++YY)
      Silver += Shot.pixelColor(X, YY).red() > 120 && Shot.pixelColor(X, YY).red() < 230;
  EXPECT_GT(Silver, 10) << "the grey placeholder text";
  Items->Cancel();
  EXPECT_FALSE(NameEdit->EmptyDataInfo()->Showing());
}

// ---------------------------------------------------------------------------

namespace {

class DBEditEhOwnValueTest : public gui_test::GuiTest {
protected:
  void SetUp() override
  {
    GuiTest::SetUp();
    Form = new TForm(Application, 0);
    Form->SetBounds(50, 50, 360, 200);
    Edit = new TDBEditEh(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 200, 21);
    Other = new TEdit(Form);
    Other->SetParent(Form);
    Other->SetBounds(10, 100, 100, 21);
    Form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override
  {
    delete Form;
    GuiTest::TearDown();
  }
  TForm* Form = nullptr;
  TDBEditEh* Edit = nullptr;
  TEdit* Other = nullptr;
};

// A grid that uses the editor in place and keeps what it saw.
class THolderGrid : public TCustomGridEh, public IInplaceEditHolderEh {
public:
  using TCustomGridEh::TCustomGridEh;
  bool CanModify = true;
  bool EatKeyDown = false;
  std::vector<UINT> Seen;
  TPoint PressPos;
  LongInt PressTime = 0;
  bool InplaceEditCanModify(TControl*) override { return CanModify; }
  void GetMouseDownInfo(TPoint& Pos, LongInt& Time) override
  {
    Pos = PressPos;
    Time = PressTime;
    PressTime = 0;
  }
  void InplaceEditWndProc(TControl*, TMessage& Message) override { Seen.push_back(Message.Msg); }
  void InplaceEditKeyDown(TControl*, Word& Key, TShiftState) override
  {
    if (EatKeyDown)
      Key = 0;
  }
  void InplaceEditKeyPress(TControl*, QChar&) override {}
  void InplaceEditKeyUp(TControl*, Word&, TShiftState) override {}
  void InternalSetFocus(TControl*) override {}
};

} // namespace

TEST_F(DBEditEhOwnValueTest, OwnValueTypedAndPostedOnExit)
{
  EXPECT_TRUE(Edit->DataLink()->DataIndepended());
  EXPECT_TRUE(Edit->DataLink()->Active());
  EXPECT_TRUE(VarIsNull(Edit->DataLink()->DataIndependentValue));
  Edit->SetFocus();
  gui_test::Type(Edit, QStringLiteral("abc"));
  Other->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(VarToStr(Edit->DataLink()->DataIndependentValue), QStringLiteral("abc"));
  EXPECT_EQ(Edit->Value().VType(), TVarType(varUString));
  EXPECT_EQ(VarToStr(Edit->Value()), QStringLiteral("abc"));
}

// An editor named to a field but given no data source has nothing to write
// to: a write from code is refused clearly and nothing changes.
TEST_F(DBEditEhOwnValueTest, FieldWithoutDataSourceRefusesWrites)
{
  Edit->SetDataField(QStringLiteral("name"));
  EXPECT_FALSE(Edit->DataLink()->DataIndepended());
  EXPECT_THROW(Edit->SetText(QStringLiteral("abc")), EDatabaseError);
  EXPECT_THROW(Edit->SetValue(Variant(QStringLiteral("abc"))), EDatabaseError);
  EXPECT_EQ(Edit->Text(), String());
}

TEST_F(DBEditEhOwnValueTest, PasteJoinsLinesAndKeepsMaxLength)
{
  struct TCase { const char* Clip; Integer MaxLength; bool AutoSize; const char* Result; };
  const TCase Cases[] = {
    {"a\r\nb\r\n", 0, true, "xa by"},
    {"a\n\rb\rc\n", 0, true, "xa b cy"},
    {"plain", 0, true, "xplainy"},
    {"a\r\nbcdef", 5, true, "xa by"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Clip);
    Edit->SetMaxLength(C.MaxLength);
    Edit->SetText(QStringLiteral("xy"));
    Edit->SetFocus();
    Edit->SetSelStart(1);
    Clipboard()->SetAsText(QString::fromLatin1(C.Clip));
    Edit->Perform(WM_PASTE);
    EXPECT_EQ(Edit->Text(), QString::fromLatin1(C.Result));
  }
}

TEST_F(DBEditEhOwnValueTest, KeysCtrlAEnterAndButtonShortCuts)
{
  Edit->SetText(QStringLiteral("hello"));
  Edit->SetFocus();
  Edit->SetSelStart(0);
  gui_test::Key(Edit, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Edit->SelLength(), 0);
  gui_test::Key(Edit, Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01"));
  EXPECT_EQ(Edit->SelLength(), 5);
  Edit->SetSelStart(5);
  gui_test::Key(Edit, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  EXPECT_EQ(Edit->Text(), QStringLiteral("hello"));
  EXPECT_EQ(Edit->GetCompleteKeyPress(), QString());
}

TEST_F(DBEditEhOwnValueTest, InPlaceTheHolderSeesEverythingFirst)
{
  auto* Grid = new THolderGrid(Form);
  Grid->SetParent(Form);
  Grid->SetBounds(10, 40, 300, 120);
  EXPECT_THROW(Edit->SetInplaceEditHolder(Other), Exception);
  EXPECT_FALSE(Edit->InplaceMode());
  Edit->SetParent(Grid);
  Edit->SetInplaceEditHolder(Grid);
  ASSERT_TRUE(Edit->InplaceMode());
  Edit->UpdateLoc(TRect(5, 5, 105, 25));
  EXPECT_TRUE(Edit->Visible());
  EXPECT_EQ(Edit->Width(), 100);
  Grid->Seen.clear();
  Edit->SetFocus();
  Edit->SetText(QStringLiteral("12"));
  gui_test::Type(Edit, QStringLiteral("3"));
  EXPECT_NE(std::find(Grid->Seen.begin(), Grid->Seen.end(), UINT(WM_KEYDOWN)), Grid->Seen.end());
  EXPECT_NE(std::find(Grid->Seen.begin(), Grid->Seen.end(), UINT(WM_CHAR)), Grid->Seen.end());
  Grid->EatKeyDown = true;
  const String Before = Edit->Text();
  gui_test::Key(Edit, Qt::Key_Delete);
  EXPECT_EQ(Edit->Text(), Before);
  // A press soon after the grid's own press, at the same place, is a
  // double click.
  Edit->HandleNeeded();
  const TPoint At = Edit->ClientToScreen(TPoint(10, 5));
  Grid->PressPos = At;
  SetMessageTime(5000);
  Grid->PressTime = 4900;
  Grid->Seen.clear();
  int DblClicks = 0;
  Edit->OnDblClick = [&](TObject*) { ++DblClicks; };
  Edit->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(10, 5));
  EXPECT_EQ(DblClicks, 1);
  // The cell may refuse changes.
  Grid->CanModify = false;
  Edit->SetReadOnly(true);
  EXPECT_TRUE(Edit->TCustomEdit::ReadOnly());
  // An empty rectangle hides the editor.
  Edit->Move(TRect(0, 0, 0, 0));
  EXPECT_FALSE(Edit->Visible());
  // Shown again in a cell, then hidden by the grid: the focus goes back to
  // the grid, and the editor takes no room.
  Edit->UpdateLoc(TRect(5, 30, 105, 50));
  ASSERT_TRUE(Edit->Visible());
  Edit->SetFocus();
  Application->ProcessMessages();
  ASSERT_TRUE(Edit->Focused());
  Edit->Hide();
  Application->ProcessMessages();
  EXPECT_FALSE(Edit->Visible());
  EXPECT_EQ(Edit->Width(), 0);
  EXPECT_TRUE(Grid->Focused());
}

namespace {

QColor QColorOf(TColor Color)
{
  const COLORREF C = COLORREF(ColorToRGB(Color));
  return QColor(GetRValue(C), GetGValue(C), GetBValue(C));
}

int Distance(const QColor& A, const QColor& B)
{
  return std::abs(A.red() - B.red()) + std::abs(A.green() - B.green()) + std::abs(A.blue() - B.blue());
}

// The pixels of an editor's text area (inside the border) of Color.
int CountOf(const QImage& Shot, const QColor& Color, int Left = 3)
{
  int N = 0;
  for (int X = Left; X < Shot.width() - 3; ++X)
    for (int Y = 3; Y < Shot.height() - 3; ++Y)
      N += Shot.pixelColor(X, Y) == Color;
  return N;
}

// The text's colour: of the text area's pixels the one farthest from its
// background.
QColor InkOf(const QImage& Shot)
{
  const QColor Back = Shot.pixelColor(Shot.width() - 5, Shot.height() / 2);
  QColor Ink = Back;
  for (int X = 3; X < Shot.width() - 3; ++X)
    for (int Y = 3; Y < Shot.height() - 3; ++Y)
      if (Distance(Shot.pixelColor(X, Y), Back) > Distance(Ink, Back))
        Ink = Shot.pixelColor(X, Y);
  return Ink;
}

} // namespace

// Screenshots: the editor in each state, with its label at many of its
// places, in two styles; the faults one sees first are checked by pixels.
TEST_F(DBEditEhOwnValueTest, LooksOfEachState)
{
  auto* Images = new TImageList(Form);
  Images->SetWidth(16);
  Images->SetHeight(16);
  for (TColor Color : {clRed, clGreen, clBlue}) {
    TBitmap B;
    B.SetSize(16, 16);
    B.Canvas()->Brush()->SetColor(Color);
    B.Canvas()->FillRect(TRect(0, 0, 16, 16));
    Images->Add(&B, nullptr);
  }
  for (const char* StyleName : {"Windows", "Graphite"}) {
    SCOPED_TRACE(StyleName);
    TStyleManager::SetStyle(QString::fromLatin1(StyleName));
    auto* F = new TForm(Application, 0);
    F->SetBounds(0, 0, 640, 500);
    F->SetColor(clBtnFace);
    struct TState { const char* Caption; TLabelPositionEh Position; std::function<void(TDBEditEh*)> Set; };
    const std::vector<TState> States = {
      {"unfocused", lpAboveLeftEh, [](TDBEditEh*) {}},
      {"read-only", lpLeftTextBaselineEh, [](TDBEditEh* E) { E->SetReadOnly(true); }},
      {"flat", lpAboveRightEh, [](TDBEditEh* E) { E->SetFlat(true); }},
      {"flat, border", lpLeftCenterEh, [](TDBEditEh* E) { E->SetFlat(true); E->SetAlwaysShowBorder(true); }},
      {"disabled", lpBelowLeftEh, [](TDBEditEh* E) { E->SetEnabled(false); }},
      {"right aligned", lpRightCenterEh, [](TDBEditEh* E) { E->SetAlignment(taRightJustify); }},
      // The index given stays through later changes of the text.
      {"image", lpAboveCenterEh, [Images](TDBEditEh* E) {
         E->SetImages(Images);
         E->EditImage()->SetImageIndex(2);
         E->SetText(QStringLiteral("Текст 7"));
       }},
      {"placeholder", lpLeftTopEh, [](TDBEditEh* E) { E->SetText(String()); E->EmptyDataInfo()->SetText(QStringLiteral("пусто")); }},
      {"image, right", lpBelowCenterEh, [Images](TDBEditEh* E) {
         E->OnGetImageIndex = [](TObject*, Integer& Index) { Index = 0; };
         E->SetImages(Images);
         E->SetAlignment(taRightJustify);
       }},
      {"hot", lpRightTopEh, [](TDBEditEh* E) { E->SetFlat(true); E->Perform(CM_MOUSEENTER); }},
      {"disabled, right", lpLeftBottomEh, [](TDBEditEh* E) { E->SetAlignment(taRightJustify); E->SetEnabled(false); }},
      {"focused", lpRightTextBaselineEh, [](TDBEditEh*) {}},
    };
    std::vector<TDBEditEh*> Edits;
    for (std::size_t I = 0; I < States.size(); ++I) {
      auto* E = new TDBEditEh(F);
      E->SetName(QStringLiteral("Edit%1").arg(I + 1));
      E->SetParent(F);
      const int Col = int(I % 2), Row = int(I / 2);
      E->SetBounds(130 + Col * 270, 25 + Row * 78, 130, 21);
      E->SetText(QStringLiteral("Текст %1").arg(I + 1));
      E->ControlLabel()->SetCaption(QString::fromUtf8(States[I].Caption));
      E->ControlLabel()->SetVisible(true);
      E->ControlLabelLocation()->SetPosition(States[I].Position);
      Edits.push_back(E);
    }
    F->Show();
    Application->ProcessMessages();
    for (std::size_t I = 0; I < States.size(); ++I)
      States[I].Set(Edits[I]);
    TDBEditEh* Focused = Edits.back();
    Focused->SetFocus();
    Application->ProcessMessages();
    EXPECT_TRUE(Focused->IsFocused());
    // A selection made in an editor without the focus.
    Edits[0]->SelectAll();
    Application->ProcessMessages();
    const QImage Shot = F->Widget()->grab().toImage();
    gui_test::SaveImage(Shot, QStringLiteral("dbediteh-states-%1.png").arg(QLatin1String(StyleName)));
    const auto ShotOf = [](TDBEditEh* E) { return E->Widget()->grab().toImage(); };

    // The right-aligned text stands at the right while unfocused.
    const QImage Right = ShotOf(Edits[5]);
    int Leftmost = Right.width();
    const QColor Bg = Right.pixelColor(Right.width() / 2, 3);
    for (int X = 3; X < Right.width() - 3; ++X)
      for (int Y = 4; Y < Right.height() - 4; ++Y)
        if (Right.pixelColor(X, Y) != Bg)
          Leftmost = std::min(Leftmost, X);
    EXPECT_GT(Leftmost, Right.width() / 3);

    // The selection shows only in the focused editor.
    const QColor Highlight = Focused->Widget()->palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(Focused->SelLength(), Focused->Text().size());
    EXPECT_GT(CountOf(ShotOf(Focused), Highlight), 50) << "the focused editor shows its selection";
    EXPECT_EQ(Edits[0]->SelLength(), Edits[0]->Text().size()) << "the unfocused one keeps it";
    EXPECT_EQ(CountOf(ShotOf(Edits[0]), Highlight), 0) << "but does not show it";

    // Disabled text is grey, left or right aligned; enabled text is not.
    const QColor Grey =
      QColorOf(TStyleManager::IsCustomStyleActive() ? StyleServices()->GetSystemColor(clGrayText) : clGrayText);
    for (TDBEditEh* E : {Edits[4], Edits[10]}) {
      SCOPED_TRACE(E->Name().toStdString());
      EXPECT_LT(Distance(InkOf(ShotOf(E)), Grey), 40) << InkOf(ShotOf(E)).name().toStdString();
    }
    EXPECT_GT(Distance(InkOf(ShotOf(Edits[1])), Grey), 60);

    // The image strip shows the image given, or the one OnGetImageIndex
    // picks, beside left- or right-aligned text.
    EXPECT_GT(CountOf(ShotOf(Edits[6]), QColorOf(clBlue)), 100);
    EXPECT_EQ(CountOf(ShotOf(Edits[6]), QColorOf(clRed)), 0);
    EXPECT_GT(CountOf(ShotOf(Edits[8]), QColorOf(clRed)), 100);
    delete F;
  }
  TStyleManager::SetStyle(QStringLiteral("Windows"));
}
