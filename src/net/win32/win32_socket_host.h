#pragma once
// Win32 host of the socket layer: hidden utility windows that receive the
// Winsock notifications and carry the one-second window timers.
#include <windows.h>

#include "net/socket_host.h"

namespace parvex {

class Win32SocketHost final : public SocketHost {
 public:
  explicit Win32SocketHost(HINSTANCE instance = ::GetModuleHandleA(nullptr)) : instance_(instance) {}

  std::unique_ptr<HiddenWindow> CreateHiddenWindow(NotifyProc proc) override;
  std::unique_ptr<TickTimer> CreateTimer(unsigned intervalMs, std::function<void()> onTick) override;

 private:
  HINSTANCE instance_;
};

}  // namespace parvex
