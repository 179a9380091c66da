#include "net/time_counter.h"

namespace parvex {

TTimeCounter::TTimeCounter(SocketHost& host) : timer_(host.CreateTimer(1000, [this] { Tick(); })) {}

void TTimeCounter::Start() {
  Remaining = TimeOut;
  timer_->SetEnabled(true);
}

void TTimeCounter::Stop() { timer_->SetEnabled(false); }

void TTimeCounter::Tick() {
  Remaining = Remaining - 1;
  if (Remaining <= 0) Expired = true;
}

}  // namespace parvex
