// AppTestSupport.h: the client's forms on a fresh database, with message
// boxes answered by the test and a way to act inside modal windows.
#pragma once

#include "platform/gui/Dialogs.h"
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

}  // namespace apptest
