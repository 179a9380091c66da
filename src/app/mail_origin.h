#pragma once
// The origination fields every mail needs (RFC 5322): "Date:" in local time with
// its offset, and a "Message-ID:" unique per message.
#include <cstdint>
#include <string>

#include "runtime/user_clock.h"

namespace parvex {

class MailOrigin {
 public:
  struct Moment {
    CivilTime local;
    int utcOffsetMinutes = 0;  // east of UTC positive
    std::int64_t unixSeconds = 0;
  };
  virtual ~MailOrigin() = default;
  virtual Moment Now() = 0;
  virtual unsigned ProcessId() = 0;
  // The local host's name; "" when it cannot be told.
  virtual std::string HostName() = 0;
};

// "Tue, 08 Dec 2026 05:48:04 +0100"
std::string RfcDate(const CivilTime& local, int utcOffsetMinutes);
// The right-hand side of a Message-ID: the domain of the sender's address when it
// has one, else the host's name.
std::string MessageIdDomain(const std::string& senderAddress, const std::string& host);
// "<seconds.process.counter@host>", with "localhost" for a missing or unusable name.
std::string MakeMessageId(std::int64_t unixSeconds, unsigned processId, unsigned counter, const std::string& host);

}  // namespace parvex
