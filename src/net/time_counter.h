#pragma once
// TTimeCounter: counts the one-second ticks of a wait. A wait expires at the
// TimeOut-th tick after the last Start; only ResetState clears Expired.
#include <memory>

#include "net/socket_host.h"

namespace parvex {

class TTimeCounter {
 public:
  explicit TTimeCounter(SocketHost& host);

  void Start();
  void Stop();
  void Tick();

  int Remaining = 0;
  int TimeOut = 60;
  bool Expired = false;

 private:
  std::unique_ptr<TickTimer> timer_;
};

}  // namespace parvex
