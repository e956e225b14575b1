// A program that imports version.dll by name, as Vantry.exe once did: beside a
// planted version.dll it shows that the planted one runs when a program imports
// it, so that its not running beside Vantry.exe means something.
#include <windows.h>

int main() {
  DWORD ignored = 0;
  return ::GetFileVersionInfoSizeA("kernel32.dll", &ignored) != 0 ? 0 : 1;
}
