#pragma once
// What the socket layer needs from the platform besides Winsock itself: a hidden
// window that receives the lookup and socket notifications, and a periodic
// timer. Both deliver through the host's message pump, on the one GUI thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "net/winsock_api.h"

namespace parvex {

// A window procedure: the result for a handled message, nothing to let the
// platform's default processing have it.
using NotifyProc =
    std::function<std::optional<std::intptr_t>(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;

class HiddenWindow {
 public:
  virtual ~HiddenWindow() = default;
  // Destroying the window drops every notification still queued for it.
  virtual winsock::WindowHandle Handle() const = 0;
};

class TickTimer {
 public:
  virtual ~TickTimer() = default;
  // Enabling an enabled timer keeps its phase.
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
};

class SocketHost {
 public:
  virtual ~SocketHost() = default;
  virtual std::unique_ptr<HiddenWindow> CreateHiddenWindow(NotifyProc proc) = 0;
  virtual std::unique_ptr<TickTimer> CreateTimer(unsigned intervalMs, std::function<void()> onTick) = 0;
};

}  // namespace parvex
