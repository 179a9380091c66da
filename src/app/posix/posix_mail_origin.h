#pragma once
#include "app/mail_origin.h"

namespace parvex {

class PosixMailOrigin final : public MailOrigin {
 public:
  Moment Now() override;
  unsigned ProcessId() override;
  std::string HostName() override;
};

}  // namespace parvex
