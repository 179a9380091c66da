#pragma once
// The loopback servers the live tests talk to, and the host the sockets run on.
// Natively the tests start the servers themselves; under Wine a wrapper script
// starts them and names their folder in PARVEX_NET_SERVER_DIR.
#include <cstdlib>
#include <cstring>
#include <string>

#include "net/socket_host.h"
#include "runtime/message_pump.h"

namespace parvex::test {

SocketHost& Host();
MessagePump& Pump();
// Queues a notification for a window of Host(), as Winsock would.
void PostNotification(winsock::WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

// The servers' folder, or "" when no servers are running.
std::string ServerDir();

// 0 when the scenario (or the server) is not there.
int FaultPort(const std::string& scenario);
int SinkPort();

// What the fault server received in its latest connection for `scenario`,
// one "C: line" per client line.
std::string FaultTranscript(const std::string& scenario);
// The number of connections the scenario has seen.
int FaultConnections(const std::string& scenario);

// Content of the sink's message n (1-based) and its envelope; "" until stored.
std::string SinkMessage(int n);
std::string SinkEnvelope(int n);
// Message n as a strict receiver reads it (see sink_smtp.py), UTF-8; "" until stored.
std::string SinkMessageAsReceived(int n);
int SinkMessageCount();
// Message n once the sink has stored it, or "" when it does not come within the
// time (generous: the sink writes it a moment after the client's send ended).
std::string WaitForSinkMessage(int n, int timeoutMs = 10000);

std::string ReadFile(const std::string& path);

}  // namespace parvex::test

namespace parvex::test {
// On a build server (CI=true) missing servers are a broken run, not a reason
// to skip: a skipped live test would count as passed.
inline bool ServersMustRun() {
  const char* ci = std::getenv("CI");
  return ci && std::strcmp(ci, "true") == 0;
}
}  // namespace parvex::test

// Skips the current test when the servers are not available (fails under CI).
#define REQUIRE_SERVERS()                                                               \
  do {                                                                                  \
    if (::parvex::test::ServerDir().empty()) {                                          \
      if (::parvex::test::ServersMustRun()) GTEST_FAIL() << "no test servers under CI"; \
      GTEST_SKIP() << "no test servers";                                                \
    }                                                                                   \
  } while (0)
