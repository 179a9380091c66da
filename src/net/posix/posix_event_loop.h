#pragma once
// The native stand-in for the window system's message queue, as far as the
// socket layer needs it: hidden windows, posted messages, window timers, and
// the socket watches that turn poll() readiness into Winsock's FD_ notifications
// (FD_READ re-armed by recv, FD_WRITE by a send that would block, FD_CONNECT
// and FD_CLOSE once each). Single-threaded, like the GUI thread it stands for.
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>

#include "net/socket_host.h"

namespace parvex {

class PosixEventLoop {
 public:
  static PosixEventLoop& Instance();

  winsock::WindowHandle CreateWindow(NotifyProc proc);
  void DestroyWindow(winsock::WindowHandle window);
  void PostMessage(winsock::WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
  // Drops queued messages for which `match` is true; returns how many.
  int RemovePosted(
      const std::function<bool(winsock::WindowHandle window, unsigned message, std::uintptr_t wParam)>& match);

  int CreateTimer(unsigned intervalMs, std::function<void()> onTick);
  void EnableTimer(int id, bool enabled);
  bool TimerEnabled(int id) const;
  void DestroyTimer(int id);

  // Socket watches, kept by the Winsock stand-in.
  struct Watch {
    winsock::WindowHandle window = 0;
    unsigned message = 0;
    long events = 0;
    bool connecting = false;   // connect() under way
    bool established = false;  // connected: readiness is reported
    bool readArmed = true;
    bool writeArmed = false;
    bool closePosted = false;
    bool listening = false;  // FD_ACCEPT when a connection waits, re-armed by accept
  };
  Watch& WatchOf(int fd) { return watches_[fd]; }
  void Unwatch(int fd) { watches_.erase(fd); }
  void Notify(int fd, long event, int error);

  // A send or recv moved bytes: the next pump must not sleep.
  void NoteProgress() { progress_ = true; }

  // Delivers what is due; sleeps in poll() (until a watched socket is ready or
  // a timer is due) only when the caller is plainly waiting.
  void ProcessMessages();

 private:
  struct Message {
    winsock::WindowHandle window;
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
  };
  struct Timer {
    unsigned intervalMs;
    std::function<void()> onTick;
    bool enabled = false;
    std::chrono::steady_clock::time_point due;
  };

  void PollSockets(int timeoutMs);
  bool FireTimers();
  bool DispatchQueue();
  int SleepBudgetMs() const;

  std::map<winsock::WindowHandle, NotifyProc> windows_;
  winsock::WindowHandle nextWindow_ = 0x1000;
  std::deque<Message> queue_;
  std::map<int, Timer> timers_;
  int nextTimer_ = 1;
  std::map<int, Watch> watches_;
  bool progress_ = false;
  int idleRun_ = 0;
};

}  // namespace parvex
