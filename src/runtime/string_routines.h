#pragma once
// The run-time library's string routines that settings and messages rely on.
#include <string>
#include <string_view>
#include <vector>

namespace parvex {

// Integer from text as the settings store reads it: "$1F" and "0x1F" (more than two
// characters) are hexadecimal, anything else decimal after leading blanks and an
// optional sign. Text that is not a whole number, or does not fit in 32 bits, gives
// defaultValue.
int StrToIntDef(std::string_view text, int defaultValue);

std::string IntToStr(int value);

// The head of text in at most count bytes, ending at a character boundary of
// the code page in force (all of it when shorter).
std::string LeftStr(std::string_view text, std::size_t count);

// Replaces the first "%s" of format by argument; a format without one is returned
// unchanged.
std::string FormatStr(std::string_view format, std::string_view argument);

// Lines of a multi-line text as a memo holds them: CR LF, LF or CR end a line, and
// a break at the very end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);
// The lines joined with CR LF, without a break after the last.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace parvex
