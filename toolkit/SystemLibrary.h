#pragma once

#include <windows.h>

namespace toolkit {

// Loads a DLL that Windows ships from the system directory only. A bare name
// would search the program's own folder first, so a DLL dropped beside the
// executable would run inside it.
HMODULE LoadSystemLibrary(const char* fileName);

}  // namespace toolkit
