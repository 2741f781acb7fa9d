// main.cpp: the client's entry point: the Qt application object, then the
// start routine.
#include "app/Project1.h"

#include <QApplication>

int main(int argc, char** argv)
{
  QApplication App(argc, argv);
  return ApplicationMain();
}
