#include "ui/spin_value.h"

#include <climits>

#include "runtime/string_routines.h"

namespace parvex {

int SpinValue(std::string_view text, int minValue, int maxValue) {
  // A sentinel that no real text produces lets "not a number" be told apart.
  const int value = StrToIntDef(text, INT_MIN);
  if (value == INT_MIN) {
    // A whole number too large for 32 bits is still a number out of range.
    std::size_t i = text.find_first_not_of(' ');
    const bool negative = i != std::string_view::npos && text[i] == '-';
    if (i != std::string_view::npos && (text[i] == '+' || text[i] == '-')) ++i;
    const bool whole = i < text.size() && text.find_first_not_of("0123456789", i) == std::string_view::npos;
    if (whole) return negative ? minValue : maxValue;
    return minValue;
  }
  if (value < minValue) return minValue;
  if (value > maxValue) return maxValue;
  return value;
}

}  // namespace parvex
