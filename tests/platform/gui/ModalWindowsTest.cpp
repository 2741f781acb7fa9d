// ModalWindowsTest.cpp: a modal window (form, message box, exception box)
// disables every other window of the program and belongs to the window that
// was active; boxes carry the application's title; menu lines draw only
// the line.
#include "tests/platform/gui/GuiTestSupport.h"

#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

using gui_test::GuiTest;

namespace {

QWindow* WindowOf(TWinControl* C)
{
  C->HandleNeeded();
  return C->Widget()->windowHandle();
}

int VisibleBoxes()
{
  int N = 0;
  for (QWidget* W : QApplication::topLevelWidgets())
    N += qobject_cast<QMessageBox*>(W) && W->isVisible();
  return N;
}

// Runs Check inside the modal loop about to start, once its window is up.
void WhenModalUp(std::function<void(QWidget* Modal)> Check, int Tries = 200)
{
  QTimer::singleShot(10, qApp, [Check, Tries] {
    QWidget* Modal = QApplication::activeModalWidget();
    if (Modal && Modal->isVisible())
      Check(Modal);
    else if (Tries > 0)
      WhenModalUp(Check, Tries - 1);
  });
}

// A click as a person makes it: through the window system, where a modal
// window keeps it from the windows it blocks.
void ClickThroughWindow(TWinControl* Control, QPoint At)
{
  QWidget* Top = Control->Widget()->window();
  QTest::mouseClick(Top->windowHandle(), Qt::LeftButton, Qt::NoModifier, Control->Widget()->mapTo(Top, At));
}

TForm* ShownForm(Integer Left, Integer Top)
{
  auto* F = new TForm(Application, 0);
  F->SetBounds(Left, Top, 400, 300);
  F->Show();
  return F;
}

} // namespace

// An editor's "Записать" fails and shows the server's refusal; a click on
// the editor while the box is up must neither run the save again nor stack
// a second box, and only brings the box forward.
TEST_F(GuiTest, BoxOverAModalFormTakesNoClickOnTheForm)
{
  TForm* Main = ShownForm(0, 0);
  auto* Editor = new TForm(Application, 0);
  Editor->SetBounds(60, 60, 320, 200);
  auto* Save = new TButton(Editor);
  Save->SetParent(Editor);
  Save->SetBounds(10, 10, 100, 25);
  Save->SetCaption(QStringLiteral("Записать"));

  struct {
    QWindow* EditorParent = nullptr;
    QWindow* BoxParent = nullptr;
    bool MainEnabled = true, EditorEnabled = true;
    int Boxes = 0;
    bool BoxBroughtForward = false;
    bool EditorEnabledAfter = false, MainEnabledAfter = true;
  } Seen;
  int Saves = 0;
  Save->OnClick = [&](TObject*) {
    if (++Saves > 1) {
      QTimer::singleShot(0, qApp, [] { QApplication::activeModalWidget()->close(); });
      Application->MessageBox(QStringLiteral("Повтор"), QStringLiteral("Ошибка"), MB_OK);
      return;
    }
    WhenModalUp([&](QWidget* Box) {
      Seen.BoxParent = Box->windowHandle()->transientParent();
      Seen.MainEnabled = IsWindowEnabled(Main);
      Seen.EditorEnabled = IsWindowEnabled(Editor);
      ClickThroughWindow(Save, QPoint(20, 12));
      // A window manager answers a click on a window by activating it.
      Editor->Widget()->activateWindow();
      QTimer::singleShot(50, qApp, [&, Box] {
        Seen.Boxes = VisibleBoxes();
        Seen.BoxBroughtForward = QApplication::activeWindow() == Box;
        Box->findChildren<QPushButton*>().front()->click();
      });
    });
    Application->MessageBox(QStringLiteral("значение не умещается в тип character varying(255)"),
                            QStringLiteral("Ошибка"), MB_OK | MB_ICONERROR);
    Seen.EditorEnabledAfter = IsWindowEnabled(Editor);
    Seen.MainEnabledAfter = IsWindowEnabled(Main);
    Editor->SetModalResult(mrOk);
  };
  WhenModalUp([&](QWidget*) {
    Seen.EditorParent = WindowOf(Editor)->transientParent();
    ClickThroughWindow(Save, QPoint(20, 12));
  });
  EXPECT_EQ(Editor->ShowModal(), mrOk);

  EXPECT_EQ(Saves, 1);
  EXPECT_EQ(Seen.Boxes, 1);
  EXPECT_TRUE(Seen.BoxBroughtForward);
  EXPECT_EQ(Seen.EditorParent, WindowOf(Main));
  EXPECT_EQ(Seen.BoxParent, WindowOf(Editor));
  EXPECT_FALSE(Seen.MainEnabled);
  EXPECT_FALSE(Seen.EditorEnabled);
  // The box gone, the editor takes input again; the main window waits for
  // the editor.
  EXPECT_TRUE(Seen.EditorEnabledAfter);
  EXPECT_FALSE(Seen.MainEnabledAfter);
  EXPECT_TRUE(IsWindowEnabled(Main));
  EXPECT_EQ(WindowOf(Editor)->transientParent(), nullptr);
}

// Every modal loop of the platform follows the same rules.
TEST_F(GuiTest, EveryModalLoopDisablesTheOtherWindowsAndBelongsToTheActiveOne)
{
  struct Case {
    const char* Name;
    std::function<void()> Run;
  };
  const Case Cases[] = {
    {"ShowModal", [] {
       auto* F = new TForm(Application, 0);
       F->SetBounds(80, 80, 200, 100);
       F->ShowModal();
       EXPECT_EQ(WindowOf(F)->transientParent(), nullptr);
     }},
    {"Application->MessageBox", [] { Application->MessageBox(QStringLiteral("Текст"), QStringLiteral("Сообщение")); }},
    {"MessageDlg", [] { MessageDlg(QStringLiteral("Текст"), mtWarning, {mbOK}); }},
    {"ShowMessage", [] { ShowMessage(QStringLiteral("Текст")); }},
    {"HandleException", [] {
       try {
         throw Exception(QStringLiteral("Сбой"));
       } catch (...) {
         Application->HandleException(nullptr);
       }
     }},
  };
  TForm* Main = ShownForm(0, 0);
  TForm* Other = ShownForm(420, 0);
  Main->SetFocus();
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    bool Seen = false;
    WhenModalUp([&](QWidget* Modal) {
      Seen = true;
      EXPECT_EQ(Modal->windowHandle()->transientParent(), WindowOf(Main));
      EXPECT_FALSE(IsWindowEnabled(Main));
      EXPECT_FALSE(IsWindowEnabled(Other));
      Modal->close();
    });
    C.Run();
    EXPECT_TRUE(Seen);
    EXPECT_TRUE(IsWindowEnabled(Main));
    EXPECT_TRUE(IsWindowEnabled(Other));
  }
}

// A box without a caption of its own, and the exception box, carry the
// application's title, not the program file's name.
TEST_F(GuiTest, BoxesWithoutTheirOwnCaptionShowTheApplicationsTitle)
{
  struct Case {
    const char* Name;
    std::function<void()> Show;
  };
  const Case Cases[] = {
    {"ShowMessage", [] { ShowMessage(QStringLiteral("Готово")); }},
    {"MessageDlg mtCustom", [] { MessageDlg(QStringLiteral("Готово"), mtCustom, {mbOK}); }},
    {"MessageBox without caption", [] { Application->MessageBox(QStringLiteral("Готово"), String()); }},
    {"HandleException", [] {
       try {
         throw Exception(QStringLiteral("Сбой"));
       } catch (...) {
         Application->HandleException(nullptr);
       }
     }},
  };
  Application->SetTitle(QStringLiteral("Учёт производства"));
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    gui_test::MessageBoxRecorder Boxes;
    C.Show();
    ASSERT_EQ(Boxes.Requests.size(), 1u);
    EXPECT_EQ(Boxes.Requests[0].Caption, QStringLiteral("Учёт производства"));
  }
  // A real box shows it as its window title.
  WhenModalUp([](QWidget* Box) {
    EXPECT_EQ(Box->windowTitle(), QStringLiteral("Учёт производства"));
    Box->close();
  });
  ShowMessage(QStringLiteral("Готово"));
}

// A menu line ("-") paints exactly as the toolkit's own separator: no stray
// dash at its left.
TEST_F(GuiTest, MenuLinePaintsOnlyTheLine)
{
  auto* Popup = new TPopupMenu(Application);
  for (const char* Caption : {"Открыть", "-", "Выход"}) {
    auto* Item = new TMenuItem(Popup);
    Item->SetCaption(QString::fromUtf8(Caption));
    Popup->Items()->Add(Item);
  }
  QMenu Ours;
  Popup->Items()->FillMenu(&Ours);
  QMenu Plain;
  Plain.addAction(QStringLiteral("Открыть"));
  Plain.addSeparator();
  Plain.addAction(QStringLiteral("Выход"));
  Ours.adjustSize();
  Plain.adjustSize();
  ASSERT_EQ(Ours.size(), Plain.size());
  QAction* Line = Ours.actions().at(1);
  EXPECT_TRUE(Line->isSeparator());
  const QRect Rect = Ours.actionGeometry(Line);
  ASSERT_EQ(Rect, Plain.actionGeometry(Plain.actions().at(1)));
  const QImage A = Ours.grab().toImage().copy(Rect);
  const QImage B = Plain.grab().toImage().copy(Rect);
  gui_test::SaveImage(Ours.grab().toImage(), QStringLiteral("menu-line.png"));
  EXPECT_EQ(A, B);
}
