// A version.dll such as someone could put beside a program. Loaded, it leaves
// the file "planted-dll-ran.txt" beside itself; called through one of the three
// functions Vantry.exe once imported from version.dll, it leaves
// "planted-dll-called.txt". Its wide-character functions pass on to kernelbase,
// where Windows and Wine keep them, so that a program it was loaded into by
// another DLL still runs. The tests put it beside copies of the programs and
// look for the marks.
#include <windows.h>

namespace {

void LeaveMark(HINSTANCE instance, const char* name) {
  char path[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameA(instance, path, MAX_PATH);
  while (length > 0 && path[length - 1] != '\\') --length;
  ::lstrcpynA(path + length, name, MAX_PATH - length);
  HANDLE mark = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (mark != INVALID_HANDLE_VALUE) ::CloseHandle(mark);
}

HINSTANCE self = nullptr;

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  self = instance;
  LeaveMark(instance, "planted-dll-ran.txt");
  return TRUE;
}

DWORD WINAPI PlantedGetFileVersionInfoSizeA(LPCSTR, LPDWORD) {
  LeaveMark(self, "planted-dll-called.txt");
  return 0;
}

BOOL WINAPI PlantedGetFileVersionInfoA(LPCSTR, DWORD, DWORD, LPVOID) {
  LeaveMark(self, "planted-dll-called.txt");
  return FALSE;
}

BOOL WINAPI PlantedVerQueryValueA(LPCVOID, LPCSTR, LPVOID*, PUINT) {
  LeaveMark(self, "planted-dll-called.txt");
  return FALSE;
}

}  // extern "C"
