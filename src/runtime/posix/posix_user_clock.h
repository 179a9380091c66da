#pragma once
// Native clock with fixed formats (dd/MM/yyyy, HH:mm:ss), for native runs.
#include "runtime/user_clock.h"

namespace parvex {

class PosixUserClock final : public UserClock {
 public:
  CivilTime now() const override;
  std::string shortDate(const CivilTime& t) const override;
  std::string longTime(const CivilTime& t) const override;
};

}  // namespace parvex
