#pragma once
// Native host of the socket layer: hidden windows and timers on the native event
// loop, and that loop as the message pump.
#include "net/socket_host.h"
#include "runtime/message_pump.h"

namespace parvex {

class PosixSocketHost final : public SocketHost, public MessagePump {
 public:
  std::unique_ptr<HiddenWindow> CreateHiddenWindow(NotifyProc proc) override;
  std::unique_ptr<TickTimer> CreateTimer(unsigned intervalMs, std::function<void()> onTick) override;
  void processMessages() override;
};

}  // namespace parvex
