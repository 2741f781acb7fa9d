// StartupProbe.cpp: the child process that StartupBench times. "bare" shows
// one Qt widget; "client" runs the client's start routine up to its login
// dialog. Either prints "shown" once the window is on screen.
#include "app/Project1.h"
#include "app/Unit23.h"
#include "platform/gui/Forms.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <cstring>

static int Shown(bool Ok)
{
  std::puts(Ok ? "shown" : "failed");
  std::fflush(stdout);
  return Ok ? 0 : 1;
}

int main(int argc, char** argv)
{
  QApplication App(argc, argv);
  if (argc > 1 && std::strcmp(argv[1], "bare") == 0) {
    QWidget Window;
    Window.resize(305, 178);
    Window.show();
    QCoreApplication::processEvents();
    return Shown(Window.isVisible());
  }
  Application->Initialize();
  RegisterAppClasses();
  ApplyStyleFile();
  CreateAppForms();
  QCoreApplication::processEvents();
  return Shown(Form23 && Form23->Showing());
}
