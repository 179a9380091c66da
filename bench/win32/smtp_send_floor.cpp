#include "../smtp_send_floor.h"

// Winsock 2 first: windows.h alone would bring the first version.
#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "runtime/win32/scoped_handle.h"

namespace parvex::bench {
namespace {

constexpr int kChunk = 2047;
constexpr UINT kSocketMessage = WM_USER + 150;

struct SocketKind {
  using Handle = SOCKET;
  static Handle Invalid() { return INVALID_SOCKET; }
  void Close(Handle h) const { closesocket(h); }
};

struct WinsockSession {
  WinsockSession() {
    WSADATA data;
    started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
  }
  ~WinsockSession() {
    if (started) WSACleanup();
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  bool started = false;
};

class FloorConnection {
 public:
  explicit FloorConnection(MessagePump* pump)
      : pump_(pump),
        window_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)),
        socket_(socket(AF_INET, SOCK_STREAM, 0)) {}

  bool Connect(int port) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    return winsock_.started && window_ && socket_ &&
           connect(socket_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }

  // Blocking, a byte per recv with the messages processed around each, as the
  // rules read a reply; true when the reply's code is `code`.
  bool Reply(int code) {
    std::string line;
    for (;;) {
      char byte = 0;
      ProcessMessages();
      if (recv(socket_.Get(), &byte, 1, 0) != 1) return false;
      ProcessMessages();
      line += byte;
      if (byte != '\n') continue;
      if (line.size() >= 4 && line[3] != '-') return std::atoi(line.c_str()) == code;
      line.clear();
    }
  }

  bool Command(const std::string& line, int code) {
    const std::string data = line + "\r\n";
    return send(socket_.Get(), data.data(), static_cast<int>(data.size()), 0) == static_cast<int>(data.size()) &&
           Reply(code);
  }

  // Non-blocking with socket notifications, as TmxSMTP sends.
  bool SendBody(const std::string& body) {
    if (WSAAsyncSelect(socket_.Get(), window_.Get(), kSocketMessage, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) != 0)
      return false;
    for (std::size_t at = 0; at < body.size();) {
      const int n = static_cast<int>(std::min<std::size_t>(kChunk, body.size() - at));
      for (int position = 0; position < n;) {
        const int sent = send(socket_.Get(), body.data() + at + position, n - position, 0);
        if (sent > 0) {
          position += sent;
        } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
          MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        } else {
          return false;
        }
        ProcessMessages();
      }
      at += static_cast<std::size_t>(n);
    }
    // Blocking again for the closing replies.
    u_long blocking = 0;
    return WSAAsyncSelect(socket_.Get(), window_.Get(), 0, 0) == 0 &&
           ioctlsocket(socket_.Get(), FIONBIO, &blocking) == 0;
  }

 private:
  void ProcessMessages() {
    if (pump_) pump_->processMessages();
  }

  MessagePump* pump_;
  WinsockSession winsock_;  // first: the socket goes before Winsock does
  ScopedHandle<handle_kind::NullIsNone<HWND, ::DestroyWindow>> window_;
  ScopedHandle<SocketKind> socket_;
};

}  // namespace

double SmtpSendFloorMs(int port, const std::string& message, MessagePump* pump) {
  const auto start = std::chrono::steady_clock::now();
  FloorConnection connection(pump);
  const bool sent = connection.Connect(port) && connection.Reply(220) && connection.Command("EHLO floor", 250) &&
                    connection.Command("MAIL FROM:<monitor@example.com>", 250) &&
                    connection.Command("RCPT TO:<reader@example.com>", 250) && connection.Command("DATA", 354) &&
                    connection.SendBody(message) && connection.Command(".", 250) && connection.Command("QUIT", 221);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return sent ? ms : -1.0;
}

}  // namespace parvex::bench
