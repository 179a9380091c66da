#pragma once
// The local clock and the user's date and time formats, as the framework's date
// routines see them. Win32 reads the system clock and formats with the user's
// short date and long time formats; tests use fixed values.
#include <string>

namespace parvex {

struct CivilTime {
  int year = 1980;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class UserClock {
 public:
  virtual ~UserClock() = default;
  virtual CivilTime now() const = 0;
  virtual std::string shortDate(const CivilTime& t) const = 0;
  virtual std::string longTime(const CivilTime& t) const = 0;
};

// The short date and, unless the time is exactly midnight, one blank and the long time.
std::string DateTimeToStr(const CivilTime& t, const UserClock& clock);

}  // namespace parvex
