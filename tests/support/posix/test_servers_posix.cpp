// Natively the test binary starts both servers itself (Debian's python3, which
// has aiosmtpd), waits for their port files, and stops them by PID at exit.
#include "support/test_servers.h"

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

#include "net/posix/posix_event_loop.h"
#include "net/posix/posix_socket_host.h"

extern char** environ;

namespace parvex::test {
namespace {

// PARVEX_TEST_PYTHON replaces it, e.g. with a missing one to see how the live
// tests behave when the servers cannot start.
std::string Python() {
  const char* chosen = getenv("PARVEX_TEST_PYTHON");
  return chosen && *chosen ? chosen : "/usr/bin/python3";
}

class Servers {
 public:
  Servers() {
    char pattern[] = "/tmp/parvex-net-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    dir_ = pattern;
    const std::string scripts = std::string(PARVEX_SOURCE_DIR) + "/tests/net/servers/";
    Spawn({Python(), scripts + "fault_smtp.py", "--dir", dir_, "--time-limit", "300"});
    Spawn({Python(), scripts + "sink_smtp.py", "--dir", dir_, "--time-limit", "300"});
    // Nothing to wait for when neither could be started.
    auto now = std::chrono::steady_clock::now();
    auto deadline = pids_.empty() ? now : now + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
      if (std::filesystem::exists(dir_ + "/ports") && std::filesystem::exists(dir_ + "/sink.port")) {
        ready_ = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!ready_) std::fprintf(stderr, "test servers did not start (see %s)\n", dir_.c_str());
  }

  ~Servers() {
    for (pid_t pid : pids_) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
    if (!dir_.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(dir_, ignored);
    }
  }

  std::string Dir() const { return ready_ ? dir_ : std::string(); }

 private:
  void Spawn(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0) pids_.push_back(pid);
  }

  std::string dir_;
  bool ready_ = false;
  std::vector<pid_t> pids_;
};

}  // namespace

std::string ServerDir() {
  static Servers servers;
  return servers.Dir();
}

SocketHost& Host() {
  static PosixSocketHost host;
  return host;
}

MessagePump& Pump() { return static_cast<PosixSocketHost&>(Host()); }

void PostNotification(winsock::WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  PosixEventLoop::Instance().PostMessage(window, message, wParam, lParam);
}

}  // namespace parvex::test
