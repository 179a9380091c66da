#pragma once
// The system's own text for an error code, as a sentence ("Access is denied.").
#include <windows.h>

#include <string>

namespace parvex {

// Falls back to "System error N." when the system has no text for the code.
std::string SystemErrorText(DWORD error);
// The same, looked up first in the messages of `module` (WinHTTP keeps its own).
std::string ModuleErrorText(HMODULE module, DWORD error);

}  // namespace parvex
