// A second program for the tests to start: it waits until it is ended, or for at
// most the number of seconds given, so a failed test leaves nothing behind for long.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  DWORD seconds = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 60;
  ::Sleep(seconds * 1000);
  return 0;
}
