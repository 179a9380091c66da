#include "runtime/user_clock.h"

namespace parvex {

std::string DateTimeToStr(const CivilTime& t, const UserClock& clock) {
  std::string text = clock.shortDate(t);
  if (t.hour != 0 || t.minute != 0 || t.second != 0) {
    text += ' ';
    text += clock.longTime(t);
  }
  return text;
}

}  // namespace parvex
