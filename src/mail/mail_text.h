#pragma once
// Small text helpers of the mail code (ASCII case rules, blank trimming).
#include <string>
#include <string_view>

namespace parvex {

std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);
bool StartsWithText(std::string_view text, std::string_view prefix);
// Trims blanks and control characters (codes up to 32) at both ends.
std::string Trim(std::string_view text);
std::string_view TrimView(std::string_view text);

}  // namespace parvex
