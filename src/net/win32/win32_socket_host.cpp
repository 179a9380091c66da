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
  ~Win32HiddenWindow() override {
    DropQueued();
    UnbindAndDestroy(handle_);
  }
  winsock::WindowHandle Handle() const override { return reinterpret_cast<winsock::WindowHandle>(handle_); }
  HWND Hwnd() const { return handle_; }

 private:
  // A closed connection's notifications go with its window, so that none can
  // reach a later window that is given the same handle.
  void DropQueued() {
    MSG queued;
    while (::PeekMessageA(&queued, handle_, 0, 0, PM_REMOVE)) {
      // A quit request comes out whatever the filter: it must stay for the loop.
      if (queued.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(queued.wParam));
        break;
      }
    }
  }

  WindowTarget target_;
  HWND handle_ = nullptr;
};

// A send stops and starts its time counter around every chunk of a few
// kilobytes, and under Wine a SetTimer costs about as much as the send itself.
// So stopping only stops the counting (the system timer goes at its next
// tick), and a start while the system timer still runs keeps it. Its phase is
// then older than the start: a first tick that comes too early for the new
// start is not counted but aims the timer at the start's own first tick, so
// every count still begins a full interval after its start.
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
    enabled_ = enabled;
    if (!enabled) return;
    startedAt_ = ::GetTickCount();
    firstTickDue_ = true;
    if (!armed_) Arm(intervalMs_);
    enabled_ = armed_;
  }
  bool Enabled() const override { return enabled_; }

 private:
  // The tick counter's granularity: a tick this close to its time is on time.
  static constexpr DWORD kClockSlackMs = 20;

  void Arm(unsigned periodMs) {
    armed_ = ::SetTimer(window_.Hwnd(), kTimerId, periodMs, nullptr) != 0;
    armedPeriodMs_ = periodMs;
  }

  void Tick() {
    if (!enabled_) {
      ::KillTimer(window_.Hwnd(), kTimerId);
      armed_ = false;
      return;
    }
    if (firstTickDue_) {
      const DWORD elapsed = ::GetTickCount() - startedAt_;
      if (elapsed + kClockSlackMs < intervalMs_) return Arm(intervalMs_ - elapsed);
      firstTickDue_ = false;
      if (armedPeriodMs_ != intervalMs_) Arm(intervalMs_);
    }
    onTick_();
  }

  Win32HiddenWindow window_;
  std::function<void()> onTick_;
  unsigned intervalMs_;
  bool enabled_ = false;
  bool armed_ = false;  // the system timer runs
  unsigned armedPeriodMs_ = 0;
  DWORD startedAt_ = 0;
  bool firstTickDue_ = false;  // the system timer may still run on an older phase
};

}  // namespace

std::unique_ptr<HiddenWindow> Win32SocketHost::CreateHiddenWindow(NotifyProc proc) {
  return std::make_unique<Win32HiddenWindow>(instance_, WindowTarget{std::move(proc), nullptr});
}

std::unique_ptr<TickTimer> Win32SocketHost::CreateTimer(unsigned intervalMs, std::function<void()> onTick) {
  return std::make_unique<Win32TickTimer>(instance_, intervalMs, std::move(onTick));
}

}  // namespace parvex
