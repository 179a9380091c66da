#include "net/win32/win32_socket_host.h"

#include <utility>

#include "ui/win32/window_class.h"
#include "ui/win32/window_thunk.h"

namespace parvex {
namespace {

constexpr char kClassName[] = "TnsSocketWindow";
constexpr UINT_PTR kTimerId = 1;

// The object behind each hidden window: a notification procedure, or a tick.
struct WindowTarget {
  NotifyProc proc;
  std::function<void()> onTick;

  LRESULT OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    if (message == WM_TIMER && wParam == kTimerId && onTick) {
      onTick();
      return 0;
    }
    if (proc) {
      if (auto result = proc(message, wParam, lParam)) return *result;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
};

void RegisterHiddenClass(HINSTANCE instance) {
  RegisterWindowClassOnce(instance, kClassName, WindowThunk<WindowTarget>);
}

// RAII for one hidden window and its target.
class Win32HiddenWindow : public HiddenWindow {
 public:
  Win32HiddenWindow(HINSTANCE instance, WindowTarget target) : target_(std::move(target)) {
    RegisterHiddenClass(instance);
    handle_ =
        ::CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, &target_);
  }
  ~Win32HiddenWindow() override { UnbindAndDestroy(handle_); }
  winsock::WindowHandle Handle() const override { return reinterpret_cast<winsock::WindowHandle>(handle_); }
  HWND Hwnd() const { return handle_; }
  void DiscardPending(unsigned message) override {
    MSG queued;
    while (::PeekMessageA(&queued, handle_, message, message, PM_REMOVE)) {
      // A quit request comes out whatever the filter: it must stay for the loop.
      if (queued.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(queued.wParam));
        break;
      }
    }
  }

 private:
  WindowTarget target_;
  HWND handle_ = nullptr;
};

// A send stops and starts its time counter around every chunk of a few
// kilobytes. Stopping therefore only stops the counting; the system timer goes
// at its next tick, or is replaced (and so restarted from zero) by the next
// start, which spares a KillTimer call per chunk.
class Win32TickTimer final : public TickTimer {
 public:
  Win32TickTimer(HINSTANCE instance, unsigned intervalMs, std::function<void()> onTick)
      : window_(instance, WindowTarget{nullptr, [this] { Tick(); }}),
        onTick_(std::move(onTick)),
        intervalMs_(intervalMs) {}
  ~Win32TickTimer() override {
    if (armed_) ::KillTimer(window_.Hwnd(), kTimerId);
  }
  void SetEnabled(bool enabled) override {
    if (enabled == enabled_) return;  // re-enabling keeps the phase
    if (enabled) {
      armed_ = enabled_ = ::SetTimer(window_.Hwnd(), kTimerId, intervalMs_, nullptr) != 0;
    } else {
      enabled_ = false;
    }
  }
  bool Enabled() const override { return enabled_; }

 private:
  void Tick() {
    if (enabled_) return onTick_();
    ::KillTimer(window_.Hwnd(), kTimerId);
    armed_ = false;
  }

  Win32HiddenWindow window_;
  std::function<void()> onTick_;
  unsigned intervalMs_;
  bool enabled_ = false;
  bool armed_ = false;  // the system timer runs
};

}  // namespace

std::unique_ptr<HiddenWindow> Win32SocketHost::CreateHiddenWindow(NotifyProc proc) {
  return std::make_unique<Win32HiddenWindow>(instance_, WindowTarget{std::move(proc), nullptr});
}

std::unique_ptr<TickTimer> Win32SocketHost::CreateTimer(unsigned intervalMs, std::function<void()> onTick) {
  return std::make_unique<Win32TickTimer>(instance_, intervalMs, std::move(onTick));
}

}  // namespace parvex
