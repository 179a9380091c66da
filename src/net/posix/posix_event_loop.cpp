#include "net/posix/posix_event_loop.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <vector>

#include "net/posix/wsa_errno.h"

namespace parvex {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMaxSleepMs = 20;
constexpr int kMaxDispatch = 10000;  // per pump, against handlers that re-post forever

int PendingBytes(int fd) {
  int pending = 0;
  return ioctl(fd, FIONREAD, &pending) == 0 ? pending : 0;
}

}  // namespace

PosixEventLoop& PosixEventLoop::Instance() {
  static PosixEventLoop loop;
  return loop;
}

winsock::WindowHandle PosixEventLoop::CreateWindow(NotifyProc proc) {
  winsock::WindowHandle handle = nextWindow_++;
  windows_[handle] = std::move(proc);
  return handle;
}

void PosixEventLoop::DestroyWindow(winsock::WindowHandle window) {
  windows_.erase(window);
  RemovePosted([window](winsock::WindowHandle target, unsigned, std::uintptr_t) { return target == window; });
}

void PosixEventLoop::PostMessage(winsock::WindowHandle window, unsigned message, std::uintptr_t wParam,
                                 std::intptr_t lParam) {
  queue_.push_back({window, message, wParam, lParam});
}

int PosixEventLoop::RemovePosted(const std::function<bool(winsock::WindowHandle, unsigned, std::uintptr_t)>& match) {
  auto before = queue_.size();
  queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                              [&](const Message& m) { return match(m.window, m.message, m.wParam); }),
               queue_.end());
  return static_cast<int>(before - queue_.size());
}

int PosixEventLoop::CreateTimer(unsigned intervalMs, std::function<void()> onTick) {
  int id = nextTimer_++;
  timers_[id] = Timer{intervalMs, std::move(onTick), false, Clock::now()};
  return id;
}

void PosixEventLoop::EnableTimer(int id, bool enabled) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  if (enabled && !it->second.enabled) it->second.due = Clock::now() + std::chrono::milliseconds(it->second.intervalMs);
  it->second.enabled = enabled;
}

bool PosixEventLoop::TimerEnabled(int id) const {
  auto it = timers_.find(id);
  return it != timers_.end() && it->second.enabled;
}

void PosixEventLoop::DestroyTimer(int id) { timers_.erase(id); }

void PosixEventLoop::Notify(int fd, long event, int error) {
  auto it = watches_.find(fd);
  if (it == watches_.end() || it->second.window == 0 || (it->second.events & event) == 0) return;
  PostMessage(it->second.window, it->second.message, static_cast<std::uintptr_t>(fd),
              winsock::MakeSelectReply(static_cast<std::uint16_t>(event), static_cast<std::uint16_t>(error)));
}

int PosixEventLoop::SleepBudgetMs() const {
  int budget = kMaxSleepMs;
  auto now = Clock::now();
  for (const auto& [id, timer] : timers_) {
    if (!timer.enabled) continue;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(timer.due - now).count();
    budget = std::min<int>(budget, static_cast<int>(std::max<long long>(left, 0)));
  }
  return budget;
}

void PosixEventLoop::PollSockets(int timeoutMs) {
  std::vector<pollfd> fds;
  for (auto& [fd, watch] : watches_) {
    if (watch.listening) {
      if (watch.readArmed) fds.push_back({fd, POLLIN, 0});
      continue;
    }
    if (!watch.connecting && !watch.established) continue;
    short events = 0;
    if (watch.connecting) {
      events = POLLOUT;
    } else if (watch.closePosted) {
      // Nothing can arrive after the peer's close; only leftover data counts.
      if (watch.readArmed && PendingBytes(fd) > 0) events = POLLIN;
      if (events == 0) continue;
    } else {
      events = POLLRDHUP;
      if (watch.readArmed) events |= POLLIN;
      if (watch.writeArmed) events |= POLLOUT;
    }
    fds.push_back({fd, events, 0});
  }
  if (fds.empty()) {
    if (timeoutMs > 0) poll(nullptr, 0, timeoutMs);
    return;
  }
  if (poll(fds.data(), fds.size(), timeoutMs) <= 0) return;

  for (const pollfd& p : fds) {
    if (p.revents == 0) continue;
    auto it = watches_.find(p.fd);
    if (it == watches_.end()) continue;
    Watch& watch = it->second;
    if (watch.listening) {
      if ((p.revents & POLLIN) && watch.readArmed) {
        watch.readArmed = false;
        Notify(p.fd, winsock::kFdAccept, 0);
      }
      continue;
    }
    if (watch.connecting) {
      int error = 0;
      socklen_t length = sizeof error;
      getsockopt(p.fd, SOL_SOCKET, SO_ERROR, &error, &length);
      watch.connecting = false;
      if (error == 0) {
        watch.established = true;
        watch.writeArmed = true;  // Winsock follows FD_CONNECT with FD_WRITE
        Notify(p.fd, winsock::kFdConnect, 0);
      } else {
        Notify(p.fd, winsock::kFdConnect, WsaErrorFromErrno(error));
      }
      continue;
    }
    const int pending = PendingBytes(p.fd);
    if (!watch.closePosted) {
      if (p.revents & POLLERR) {
        watch.closePosted = true;
        Notify(p.fd, winsock::kFdClose, winsock::kWsaEconnreset);
      } else if ((p.revents & (POLLRDHUP | POLLHUP)) && pending == 0) {
        watch.closePosted = true;
        Notify(p.fd, winsock::kFdClose, 0);
      }
    }
    if ((p.revents & POLLIN) && watch.readArmed && pending > 0) {
      watch.readArmed = false;
      Notify(p.fd, winsock::kFdRead, 0);
    }
    if ((p.revents & POLLOUT) && watch.writeArmed) {
      watch.writeArmed = false;
      Notify(p.fd, winsock::kFdWrite, 0);
    }
  }
}

bool PosixEventLoop::FireTimers() {
  bool fired = false;
  std::vector<int> ids;
  for (const auto& [id, timer] : timers_) ids.push_back(id);
  for (int id : ids) {
    auto it = timers_.find(id);  // an earlier tick may have destroyed it
    if (it == timers_.end() || !it->second.enabled) continue;
    auto now = Clock::now();
    if (now < it->second.due) continue;
    it->second.due = now + std::chrono::milliseconds(it->second.intervalMs);
    auto tick = it->second.onTick;  // the handler may destroy the timer
    fired = true;
    tick();
  }
  return fired;
}

bool PosixEventLoop::DispatchQueue() {
  bool dispatched = false;
  for (int i = 0; i < kMaxDispatch && !queue_.empty(); ++i) {
    Message m = queue_.front();
    queue_.pop_front();
    auto it = windows_.find(m.window);
    if (it == windows_.end()) continue;
    auto proc = it->second;  // the handler may destroy the window
    dispatched = true;
    proc(m.message, m.wParam, m.lParam);
  }
  return dispatched;
}

void PosixEventLoop::ProcessMessages() {
  // The layer pumps between its own calls too (before a recv, after a send);
  // only a run of idle pumps with nothing moved in between is a real wait.
  if (progress_) idleRun_ = 0;
  progress_ = false;
  const bool mayBlock = queue_.empty() && idleRun_ >= 2;
  PollSockets(mayBlock ? SleepBudgetMs() : 0);
  bool delivered = FireTimers();
  delivered = DispatchQueue() || delivered;
  idleRun_ = delivered ? 0 : idleRun_ + 1;
}
}  // namespace parvex
