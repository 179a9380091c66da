#pragma once
// A listening socket on 127.0.0.1 at a port the system picks, for the one
// request a browser sends back at the end of a sign-in. Everything waits
// through the host's messages, so the window goes on answering, and every wait
// ends: at the deadline, when the user cancels, or when the program ends.
#include <chrono>
#include <functional>
#include <memory>
#include <string_view>

#include "net/nswinsock.h"
#include "net/oauth_authorization.h"
#include "net/socket_host.h"
#include "runtime/message_pump.h"

namespace parvex {

class LoopbackListener {
 public:
  using Deadline = std::chrono::steady_clock::time_point;

  // Raises EOAuthError when nothing can listen on this computer.
  LoopbackListener(TnsWinsock& winsock, SocketHost& host, MessagePump& pump);
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  int Port() const { return port_; }

  // Takes the next connection and feeds what it sends to `reader` until the
  // request is whole or cannot be one; a connection closed before that is
  // dropped and the next one taken. Raises ETimedOutError at the deadline,
  // ECanceledError once `cancelled` says so, EQuitRequested when the program ends.
  LoopbackRequest::Result NextRequest(LoopbackRequest& reader, Deadline deadline,
                                      const std::function<bool()>& cancelled);
  // Sends the whole answer on that connection (within the deadline), then closes it.
  void Answer(std::string_view response, Deadline deadline, const std::function<bool()>& cancelled);

 private:
  void Wait(Deadline deadline, const std::function<bool()>& cancelled);
  void CloseConnection();
  [[noreturn]] void Fail(const char* step);

  TnsWinsock& winsock_;
  MessagePump& pump_;
  bool started_ = false;
  winsock::Socket listening_ = winsock::kInvalidSocket;
  winsock::Socket connection_ = winsock::kInvalidSocket;
  std::unique_ptr<HiddenWindow> window_;
  int port_ = 0;
  bool acceptReady_ = false;
  bool readReady_ = false;
  bool writeReady_ = false;
  bool peerClosed_ = false;
};

}  // namespace parvex
