// Under Wine the servers run on the Linux side: the wrapper script starts them
// and passes their folder (a Z: path) in PARVEX_NET_SERVER_DIR.
#include "support/test_servers.h"

#include <cstdlib>

#include "net/win32/win32_socket_host.h"
#include "ui/win32/win32_message_pump.h"

namespace parvex::test {

std::string ServerDir() {
  const char* dir = std::getenv("PARVEX_NET_SERVER_DIR");
  return dir != nullptr ? std::string(dir) : std::string();
}

SocketHost& Host() {
  static Win32SocketHost host;
  return host;
}

MessagePump& Pump() {
  static Win32MessagePump pump;
  return pump;
}

void PostNotification(winsock::WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  PostMessageA(reinterpret_cast<HWND>(window), message, wParam, lParam);
}

}  // namespace parvex::test
