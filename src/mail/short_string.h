#pragma once
// Names, addresses, subjects, file names and content types hold at most 255
// bytes; longer texts are cut when stored, at a character boundary.
#include <cstddef>
#include <string>
#include <string_view>

#include "runtime/string_routines.h"

namespace parvex {

inline constexpr std::size_t kShortStringMax = 255;

inline std::string ShortString(std::string_view text) { return LeftStr(text, kShortStringMax); }

}  // namespace parvex
