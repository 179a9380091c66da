#pragma once
// The MIME charset name of an ANSI code page, used for 8-bit text (file names
// in the change summary are in the code page the process runs with).
#include <string>

namespace parvex {

std::string MimeCharsetOf(unsigned codePage);

// The charset of the code page in force.
std::string AnsiCodePageCharset();

}  // namespace parvex
