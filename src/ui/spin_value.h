#pragma once
// The value of a numeric entry field: its text read as a number and held inside
// [minValue, maxValue]. Empty or unreadable text gives minValue, as a spin field
// without a number does; the field writes the result back so the user sees it.
#include <string_view>

namespace parvex {

int SpinValue(std::string_view text, int minValue, int maxValue);

}  // namespace parvex
