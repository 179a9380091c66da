#pragma once
// The mail code's list of text lines (message body, header lines, codec output).
#include <string>
#include <vector>

namespace parvex {

using TStrings = std::vector<std::string>;

}  // namespace parvex
