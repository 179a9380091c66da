#include "runtime/posix/posix_user_clock.h"

#include <cstdio>
#include <ctime>

namespace parvex {

CivilTime PosixUserClock::now() const {
  const time_t seconds = time(nullptr);
  struct tm local {};
  localtime_r(&seconds, &local);
  return CivilTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour,        local.tm_min,     local.tm_sec > 59 ? 59 : local.tm_sec};
}

std::string PosixUserClock::shortDate(const CivilTime& t) const {
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", t.day, t.month, t.year);
  return text;
}

std::string PosixUserClock::longTime(const CivilTime& t) const {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return text;
}

}  // namespace parvex
