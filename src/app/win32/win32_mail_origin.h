#pragma once
#include "app/mail_origin.h"

namespace parvex {

class Win32MailOrigin final : public MailOrigin {
 public:
  Moment Now() override;
  unsigned ProcessId() override;
  std::string HostName() override;
};

}  // namespace parvex
