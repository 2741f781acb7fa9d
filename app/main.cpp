// main.cpp: the client's entry point. The start routine arrives with the
// client shell; until then the program only says so.
#include <cstdio>

int main()
{
  std::puts("VELMORA: клиент ещё не собран, база данных и источник данных готовы.");
  return 0;
}
