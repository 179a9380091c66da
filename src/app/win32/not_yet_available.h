#pragma once
// PLACEHOLDER: e-mail sending is not built yet. Its controls are in place and
// call this, which tells the user so.
#include "app/monitor_cycle.h"

namespace parvex {

inline constexpr const char* kEmailNotYetAvailable =
    "Sending e-mail is not yet available in this version of Parvex.";

// Raises, so the tick's error box tells the user and the baseline is kept: the
// changes are not lost, they are reported again once a transport is plugged in.
class NotYetAvailableMailSender final : public MailSender {
 public:
  void send(const MailRequest& request) override;
};

}  // namespace parvex
