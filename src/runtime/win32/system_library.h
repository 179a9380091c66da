#pragma once
// Loading a system DLL that is bound by name.
#include <windows.h>

namespace parvex {

// Loads the DLL from the system folder and from nowhere else. By bare name the
// loader would also search the program's folder, the current folder and PATH, so
// a planted copy there would run inside the program (and a DLL that current
// Windows no longer ships, such as wserr32.dll, is looked for in all of them).
// nullptr when it cannot be loaded from there.
HMODULE LoadSystemLibrary(const char* name);

}  // namespace parvex
