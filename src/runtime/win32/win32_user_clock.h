#pragma once
// GetLocalTime, and GetDateFormatA / GetTimeFormatA with the user's short date
// and long time formats.
#include "runtime/user_clock.h"

namespace parvex {

class Win32UserClock final : public UserClock {
 public:
  CivilTime now() const override;
  std::string shortDate(const CivilTime& t) const override;
  std::string longTime(const CivilTime& t) const override;
};

}  // namespace parvex
