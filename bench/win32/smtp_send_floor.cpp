#include "../smtp_send_floor.h"

// Winsock 2 first: windows.h alone would bring the first version.
#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace parvex::bench {
namespace {

constexpr int kChunk = 2047;
constexpr UINT kSocketMessage = WM_USER + 150;

void ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

class FloorConnection {
 public:
  explicit FloorConnection(bool processMessages) : processMessages_(processMessages) {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    socket_ = socket(AF_INET, SOCK_STREAM, 0);
  }
  ~FloorConnection() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    if (window_) DestroyWindow(window_);
    if (started_) WSACleanup();
  }
  FloorConnection(const FloorConnection&) = delete;
  FloorConnection& operator=(const FloorConnection&) = delete;

  bool Connect(int port) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    return started_ && window_ && socket_ != INVALID_SOCKET &&
           connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }

  // Blocking, a byte per recv with the messages processed around each, as the
  // rules read a reply; true when the reply's code is `code`.
  bool Reply(int code) {
    std::string line;
    for (;;) {
      char byte = 0;
      if (processMessages_) ProcessMessages();
      if (recv(socket_, &byte, 1, 0) != 1) return false;
      if (processMessages_) ProcessMessages();
      line += byte;
      if (byte != '\n') continue;
      if (line.size() >= 4 && line[3] != '-') return std::atoi(line.c_str()) == code;
      line.clear();
    }
  }

  bool Command(const std::string& line, int code) {
    const std::string data = line + "\r\n";
    return send(socket_, data.data(), static_cast<int>(data.size()), 0) == static_cast<int>(data.size()) && Reply(code);
  }

  // Non-blocking with socket notifications, as TmxSMTP sends.
  bool SendBody(const std::string& body) {
    if (WSAAsyncSelect(socket_, window_, kSocketMessage, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) != 0) return false;
    for (std::size_t at = 0; at < body.size();) {
      const int n = static_cast<int>(std::min<std::size_t>(kChunk, body.size() - at));
      for (int position = 0; position < n;) {
        const int sent = send(socket_, body.data() + at + position, n - position, 0);
        if (sent > 0) {
          position += sent;
        } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
          MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        } else {
          return false;
        }
        if (processMessages_) ProcessMessages();
      }
      at += static_cast<std::size_t>(n);
    }
    // Blocking again for the closing replies.
    u_long blocking = 0;
    return WSAAsyncSelect(socket_, window_, 0, 0) == 0 && ioctlsocket(socket_, FIONBIO, &blocking) == 0;
  }

 private:
  bool processMessages_;
  bool started_ = false;
  HWND window_ = nullptr;
  SOCKET socket_ = INVALID_SOCKET;
};

}  // namespace

double SmtpSendFloorMs(int port, const std::string& message, bool processMessages) {
  const auto start = std::chrono::steady_clock::now();
  FloorConnection connection(processMessages);
  const bool sent = connection.Connect(port) && connection.Reply(220) && connection.Command("EHLO floor", 250) &&
                    connection.Command("MAIL FROM:<monitor@example.com>", 250) &&
                    connection.Command("RCPT TO:<reader@example.com>", 250) && connection.Command("DATA", 354) &&
                    connection.SendBody(message) && connection.Command(".", 250) && connection.Command("QUIT", 221);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return sent ? ms : -1.0;
}

}  // namespace parvex::bench
