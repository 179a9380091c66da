#pragma once
// Names, addresses, subjects, file names and content types hold at most 255
// characters; longer texts are cut when stored.
#include <cstddef>
#include <string>
#include <string_view>

namespace parvex {

inline constexpr std::size_t kShortStringMax = 255;

inline std::string ShortString(std::string_view text) {
  return std::string(text.substr(0, kShortStringMax));
}

}  // namespace parvex
