#include "toolkit/SystemLibrary.h"

#include <string>

namespace toolkit {

HMODULE LoadSystemLibrary(const char* fileName) {
  char dir[MAX_PATH + 1] = {};
  UINT len = ::GetSystemDirectoryA(dir, MAX_PATH);
  if (len == 0 || len >= MAX_PATH) return nullptr;
  std::string path(dir, len);
  if (path.back() != '\\') path += '\\';
  path += fileName;
  return ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool RestrictDllSearchPath() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  auto setDefault = ProcAddress<SetDefaultDllDirectoriesFn>(::GetModuleHandleA("kernel32.dll"),
                                                            "SetDefaultDllDirectories");
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  ::SetDllDirectoryA("");
  return false;
}

}  // namespace toolkit
