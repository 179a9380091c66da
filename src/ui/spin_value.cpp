#include "ui/spin_value.h"

#include <climits>

#include "ui/string_routines.h"

namespace parvex {

int SpinValue(std::string_view text, int minValue, int maxValue) {
  // A sentinel that no real text produces lets "not a number" be told apart.
  const int value = StrToIntDef(text, INT_MIN);
  if (value == INT_MIN) return minValue;
  if (value < minValue) return minValue;
  if (value > maxValue) return maxValue;
  return value;
}

}  // namespace parvex
