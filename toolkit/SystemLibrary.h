// Loading the DLLs that Windows ships, from the system folder only. The search
// order for a bare DLL name starts with the program's own folder, so a DLL of
// the same name put beside Vantry.exe would run inside it at every log-on. The
// executable therefore imports only DLLs that Windows always takes from its own
// folder (tests/app/ImportTableTest.cpp names them and says why), loads every
// other one here by its full system path, and narrows the search for the rest
// of the run before it does anything else.
#pragma once

#include <windows.h>

namespace toolkit {

// Loads a DLL that Windows ships from the system directory only. A bare name
// would search the program's own folder first, so a DLL dropped beside the
// executable would run inside it.
HMODULE LoadSystemLibrary(const char* fileName);

// Leaves only the system folder in the DLL search of this process: every later
// load by a bare name, the program's own or one a system DLL makes on its
// behalf, looks there and nowhere else. Windows 7 has the call only with update
// KB2533623, so it is looked up at run time; where it is missing, the current
// folder at least leaves the search. True when only the system folder is left.
bool RestrictDllSearchPath();

// The named function of a module as a pointer of type Fn; null when the module
// is null or has no such function.
template <typename Fn>
Fn ProcAddress(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace toolkit
