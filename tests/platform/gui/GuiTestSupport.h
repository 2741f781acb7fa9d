// GuiTestSupport.h: helpers of the GUI tests: where screenshots go.
#pragma once

#include <QDir>
#include <QImage>
#include <QString>

namespace gui_test {

// The folder for images the tests write: the build's test-output folder.
inline QString OutputDir()
{
  QString Dir = qEnvironmentVariable("VELMORA_TEST_OUTPUT");
  if (Dir.isEmpty())
    Dir = QDir::tempPath() + QStringLiteral("/velmora-test-output");
  QDir().mkpath(Dir);
  return Dir;
}

inline QString OutputPath(const QString& Name) { return OutputDir() + QLatin1Char('/') + Name; }

inline bool SaveImage(const QImage& Image, const QString& Name) { return Image.save(OutputPath(Name), "PNG"); }

} // namespace gui_test

#include "platform/gui/ControlsQt.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Themes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <memory>

#include <vector>

namespace gui_test {

// Where a user's key goes: the focused widget, or the control's own widget
// when the window system has not moved the focus.
inline QWidget* KeyTarget(TWinControl* Fallback)
{
  QWidget* W = QApplication::focusWidget();
  if (!W && Fallback) {
    Fallback->HandleNeeded();
    W = Fallback->Widget();
  }
  return W;
}

// A key press sent by hand sets the toolkit's held modifiers (it looks for
// a shortcut on the way); a release sent by hand never clears them, so the
// next test's keys would carry them. A user's release does: this does too.
inline void ReleaseModifiers()
{
  if (QGuiApplication::queryKeyboardModifiers() == Qt::NoModifier)
    return;
  QWidget Nobody;
  QKeyEvent Press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier);
  QCoreApplication::sendEvent(&Nobody, &Press);
}

inline void Key(TWinControl* Fallback, int QtKey, Qt::KeyboardModifiers Mods = Qt::NoModifier,
                const QString& Text = QString())
{
  QWidget* W = KeyTarget(Fallback);
  QKeyEvent Press(QEvent::KeyPress, QtKey, Mods, Text);
  QCoreApplication::sendEvent(W, &Press);
  QWidget* After = KeyTarget(Fallback);
  QKeyEvent Release(QEvent::KeyRelease, QtKey, Mods, Text);
  QCoreApplication::sendEvent(After ? After : W, &Release);
  ReleaseModifiers();
}

// Types text character by character, as key presses with their text.
inline void Type(TWinControl* Fallback, const QString& Text)
{
  for (QChar C : Text) {
    int K = Qt::Key_unknown;
    if (C.isLetter() && C.unicode() < 128)
      K = Qt::Key_A + (C.toUpper().unicode() - 'A');
    else if (C.isDigit())
      K = Qt::Key_0 + (C.unicode() - '0');
    else if (C == QLatin1Char(' '))
      K = Qt::Key_Space;
    else if (C == QLatin1Char('.'))
      K = Qt::Key_Period;
    else if (C == QLatin1Char(','))
      K = Qt::Key_Comma;
    else
      K = C.toUpper().unicode();
    Key(Fallback, K, Qt::NoModifier, QString(C));
  }
}

// A click at a client point of a windowed control (or of a graphic
// control's parent at the control's place).
inline void Click(TControl* Control, QPoint At = QPoint(5, 5), Qt::MouseButton Button = Qt::LeftButton)
{
  TWinControl* W = dynamic_cast<TWinControl*>(Control);
  QPoint P = At;
  if (!W) {
    W = Control->Parent();
    P += QPoint(Control->Left(), Control->Top());
  }
  W->HandleNeeded();
  QWidget* Target = W->Widget();
  if (!dynamic_cast<TCustomForm*>(W) && Target->childAt(P) && Target->childAt(P) != Target)
    Target = Target->childAt(P), P = Target->mapFrom(W->Widget(), P);
  const QPointF Global = Target->mapToGlobal(QPointF(P));
  QMouseEvent Press(QEvent::MouseButtonPress, QPointF(P), Global, Button, Button, Qt::NoModifier);
  QCoreApplication::sendEvent(Target, &Press);
  QMouseEvent Release(QEvent::MouseButtonRelease, QPointF(P), Global, Button, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(Target, &Release);
}

// One notch of the wheel over a control (negative: towards the user).
inline void Wheel(TWinControl* Control, int Notches)
{
  Control->HandleNeeded();
  QWidget* W = Control->Widget();
  const QPointF Pos(5, 5);
  QWheelEvent E(Pos, W->mapToGlobal(Pos), QPoint(), QPoint(0, 120 * Notches), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(W, &E);
}

// Runs Action once Ready holds, looking every 10 ms from the event loop (a
// modal window's own loop included), for at most TimeoutMs: a zero-time
// timer can fire before the window it means is shown, as under load.
inline void WhenReady(std::function<bool()> Ready, std::function<void()> Action, int TimeoutMs = 20000)
{
  auto* T = new QTimer(qApp);
  T->setInterval(10);
  auto Started = std::make_shared<QElapsedTimer>();
  Started->start();
  QObject::connect(T, &QTimer::timeout, T, [T, Started, Ready = std::move(Ready), Action = std::move(Action), TimeoutMs] {
    if (!Ready()) {
      if (Started->elapsed() < TimeoutMs)
        return;
      ADD_FAILURE() << "the awaited window never came";
    } else {
      Action();
    }
    T->stop();
    T->deleteLater();
  });
  T->start();
}

// Answers every message box with Answer and keeps what they asked.
class MessageBoxRecorder {
public:
  explicit MessageBoxRecorder(Integer Answer = IDOK)
  {
    Old = SetMessageBoxHook([this, Answer](const TMessageBoxRequest& R) {
      Requests.push_back(R);
      if (OnShow)
        OnShow(R);
      return Answer;
    });
  }
  ~MessageBoxRecorder() { SetMessageBoxHook(Old); }
  std::vector<TMessageBoxRequest> Requests;
  std::function<void(const TMessageBoxRequest&)> OnShow;
private:
  TMessageBoxHook Old;
};

// Each GUI test starts as a new program would.
class GuiTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    ReleaseModifiers();
    Application->Initialize();
    TStyleManager::TrySetStyle(QStringLiteral("Windows"), false);
  }
  void TearDown() override { Application->ResetForTesting(); }
};

} // namespace gui_test
