#pragma once
// The MIME charset name of the system's ANSI code page, used for 8-bit text
// (file names in the change summary are in that code page). Win32 asks GetACP;
// natively a fixed "windows-1252".
#include <string>

namespace parvex {

std::string AnsiCodePageCharset();

}  // namespace parvex
