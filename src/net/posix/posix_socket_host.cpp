#include "net/posix/posix_socket_host.h"

#include "net/posix/posix_event_loop.h"

namespace parvex {
namespace {

class PosixHiddenWindow final : public HiddenWindow {
 public:
  explicit PosixHiddenWindow(NotifyProc proc) : handle_(PosixEventLoop::Instance().CreateWindow(std::move(proc))) {}
  ~PosixHiddenWindow() override { PosixEventLoop::Instance().DestroyWindow(handle_); }
  winsock::WindowHandle Handle() const override { return handle_; }

 private:
  winsock::WindowHandle handle_;
};

class PosixTickTimer final : public TickTimer {
 public:
  PosixTickTimer(unsigned intervalMs, std::function<void()> onTick)
      : id_(PosixEventLoop::Instance().CreateTimer(intervalMs, std::move(onTick))) {}
  ~PosixTickTimer() override { PosixEventLoop::Instance().DestroyTimer(id_); }
  void SetEnabled(bool enabled) override { PosixEventLoop::Instance().EnableTimer(id_, enabled); }
  bool Enabled() const override { return PosixEventLoop::Instance().TimerEnabled(id_); }

 private:
  int id_;
};

}  // namespace

std::unique_ptr<HiddenWindow> PosixSocketHost::CreateHiddenWindow(NotifyProc proc) {
  return std::make_unique<PosixHiddenWindow>(std::move(proc));
}

std::unique_ptr<TickTimer> PosixSocketHost::CreateTimer(unsigned intervalMs, std::function<void()> onTick) {
  return std::make_unique<PosixTickTimer>(intervalMs, std::move(onTick));
}

void PosixSocketHost::processMessages() { PosixEventLoop::Instance().ProcessMessages(); }

}  // namespace parvex
