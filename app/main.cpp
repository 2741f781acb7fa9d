// main.cpp: the client's entry point: the toolkit's application object, then
// the start routine.
#include "app/Project1.h"

#include "platform/gui/Forms.h"

int main(int argc, char** argv)
{
  return RunWithToolkit(argc, argv, ApplicationMain);
}
