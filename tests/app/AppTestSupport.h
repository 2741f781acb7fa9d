// AppTestSupport.h: the client's forms on a fresh database, with message
// boxes answered by the test and a way to act inside modal windows.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/SysUtils.h"
#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

namespace apptest {

// Runs F from the event loop that is running next (inside ShowModal).
void Later(std::function<void()> F);
// The same once Form has become the active window (its OnActivate has run
// and the window system has activated it), as it has by the time a user can
// click in it.
void WhenActive(TCustomForm* Form, std::function<void()> F);

// A clean database, an empty configuration folder of its own
// ($XDG_CONFIG_HOME), message boxes answered by Answer and recorded in Boxes.
class AppTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  // Creates the client's forms as the start routine does (the data module
  // connects through "velmora_dev"); the login dialog is shown.
  void StartClient();
  // Signs in with the test server's account through the login dialog and
  // runs Inside while the main window is shown; the main window is closed
  // afterwards.
  void SignIn(std::function<void()> Inside);
  // The configuration folder of this test.
  QString ConfigDir() const;
  // The texts of the message boxes shown so far.
  std::vector<String> BoxTexts() const;

  std::vector<TMessageBoxRequest> Boxes;
  std::function<Integer(const TMessageBoxRequest&)> Answer;

private:
  std::unique_ptr<QTemporaryDir> FConfig;
  TMessageBoxHook FOldHook;
};

String Utf8(const std::string& S);
std::string Std(const String& S);
// Where screenshots go ($VELMORA_TEST_OUTPUT).
String OutputPath(const String& Name);

// Turns the mouse wheel over a shown control by Notches steps, each one
// WHEEL_DELTA; a negative count turns it towards the user ("down").
void TurnWheel(TWinControl* Control, int Notches);

// Double-clicks the middle of a cell (client pixels) of a shown grid.
void DoubleClickRow(TWinControl* Grid, TRect Cell);

// Stands in for a form of the document module that opens a book to pick a
// row (the shift-record editor, the request headers, the route dialog): it
// publishes the members the books write and read, and holds the boxes Edit1
// and Edit2. It is the application's form object of the name given.
class TPickCaller : public TForm {
  VELMORA_CLASS(TPickCaller)
public:
  explicit TPickCaller(const char* Name);
  Integer PersonId = 0;
  Integer JurPersonId = 0;
  Integer WorkerId = 0;
  Integer SavedWorkerId = 0;
  Integer CoWorkerId = 0;
  Integer ItemId = 0;
  Integer RouteId = 0;
  TEdit* Edit1 = nullptr;
  TEdit* Edit2 = nullptr;
};
void RegisterPickCaller();

}  // namespace apptest
