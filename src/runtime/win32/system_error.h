#pragma once
// The system's own text for an error code, as a sentence ("Access is denied.").
#include <windows.h>

#include <string>

namespace parvex {

// Falls back to "System error N." when the system has no text for the code.
std::string SystemErrorText(DWORD error);

}  // namespace parvex
