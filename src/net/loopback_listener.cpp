#include "net/loopback_listener.h"

#include <algorithm>
#include <string>

#include "net/net_errors.h"
#include "net/net_strings.h"

namespace parvex {
namespace {

using namespace winsock;

constexpr std::uint16_t kWinsockVersion = 0x0101;
constexpr unsigned kWaitSliceMs = 250;

}  // namespace

LoopbackListener::LoopbackListener(TnsWinsock& winsock, SocketHost& host, MessagePump& pump)
    : winsock_(winsock), pump_(pump) {
  if (!winsock_.Loaded()) winsock_.Load();
  WsaData data{};
  if (winsock_.WSAStartup(kWinsockVersion, &data) != 0) Fail("start Winsock");
  started_ = true;
  window_ = host.CreateHiddenWindow([this](unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
                                        -> std::optional<std::intptr_t> {
    if (message != kMsgSocketEvent) return std::nullopt;
    const auto event = SelectEvent(lParam);
    if (wParam == listening_ && event == kFdAccept) acceptReady_ = true;
    if (wParam == connection_) {
      if (event == kFdRead) readReady_ = true;
      if (event == kFdWrite) writeReady_ = true;
      if (event == kFdClose) peerClosed_ = true;
    }
    return 0;
  });
  listening_ = winsock_.socket(kAfInet, kSockStream, 0);
  if (listening_ == kInvalidSocket) Fail("make a socket");
  // Only this computer can answer: the address is the loopback one, never any.
  SockAddrIn address{kAfInet, 0, winsock_.inet_addr("127.0.0.1"), {}};
  if (winsock_.bind(listening_, &address, sizeof address) != 0) Fail("take a port");
  int length = sizeof address;
  if (winsock_.getsockname(listening_, &address, &length) != 0) Fail("read its port");
  port_ = winsock_.htons(address.sin_port);  // the same swap turns it back
  if (winsock_.WSAAsyncSelect(listening_, window_->Handle(), kMsgSocketEvent, kFdAccept | kFdRead | kFdWrite |
                                                                                   kFdClose) != 0 ||
      winsock_.listen(listening_, 4) != 0)
    Fail("listen");
}

LoopbackListener::~LoopbackListener() {
  CloseConnection();
  if (listening_ != kInvalidSocket) winsock_.closesocket(listening_);
  window_.reset();  // drops what is still queued for it
  if (started_) winsock_.WSACleanup();
}

void LoopbackListener::Fail(const char* step) {
  const int error = started_ ? winsock_.WSAGetLastError() : 0;
  throw EOAuthError(std::string("The sign-in cannot wait for the browser's answer on this computer (could not ") +
                    step + "): " + WinsockErrorText(static_cast<unsigned>(error)) + ".");
}

void LoopbackListener::CloseConnection() {
  if (connection_ != kInvalidSocket) winsock_.closesocket(connection_);
  connection_ = kInvalidSocket;
  readReady_ = writeReady_ = peerClosed_ = false;
}

void LoopbackListener::Wait(Deadline deadline, const std::function<bool()>& cancelled) {
  pump_.processMessages();
  if (pump_.QuitRequested()) throw EQuitRequested();
  if (cancelled && cancelled()) throw ECanceledError("The sign-in was cancelled.");
  const auto now = std::chrono::steady_clock::now();
  if (now >= deadline) throw ETimedOutError("No answer came from the browser in time; sign in again.");
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
  pump_.WaitForMessage(static_cast<unsigned>(std::min<long long>(left + 1, kWaitSliceMs)));
}

LoopbackRequest::Result LoopbackListener::NextRequest(LoopbackRequest& reader, Deadline deadline,
                                                      const std::function<bool()>& cancelled) {
  CloseConnection();
  for (;;) {
    if (connection_ == kInvalidSocket) {
      acceptReady_ = false;
      SockAddrIn from{};
      int length = sizeof from;
      connection_ = winsock_.accept(listening_, &from, &length);
      if (connection_ == kInvalidSocket) {
        if (winsock_.WSAGetLastError() != kWsaEwouldblock) Fail("take the browser's connection");
        while (!acceptReady_) Wait(deadline, cancelled);
        continue;
      }
      reader = LoopbackRequest();
    }
    char buffer[4096];
    readReady_ = false;
    const int received = winsock_.recv(connection_, buffer, sizeof buffer, 0);
    if (received > 0) {
      const auto result = reader.Feed(std::string_view(buffer, static_cast<std::size_t>(received)));
      if (result != LoopbackRequest::Result::NeedMore) return result;
      continue;
    }
    // Closed, or broken, before the request was whole: a browser's probe; the
    // next connection may bring the answer.
    if (received == 0 || winsock_.WSAGetLastError() != kWsaEwouldblock) {
      CloseConnection();
      continue;
    }
    while (!readReady_ && !peerClosed_) Wait(deadline, cancelled);
  }
}

void LoopbackListener::Answer(std::string_view response, Deadline deadline, const std::function<bool()>& cancelled) {
  while (!response.empty() && connection_ != kInvalidSocket) {
    writeReady_ = false;
    const int sent = winsock_.send(connection_, response.data(), static_cast<int>(response.size()), 0);
    if (sent > 0) {
      response.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    // The browser went away: nobody is left to read the page.
    if (winsock_.WSAGetLastError() != kWsaEwouldblock) break;
    while (!writeReady_ && !peerClosed_) Wait(deadline, cancelled);
    if (peerClosed_) break;
  }
  CloseConnection();
}

}  // namespace parvex
