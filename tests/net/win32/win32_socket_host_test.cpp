#include "net/win32/win32_socket_host.h"

#include <gtest/gtest.h>

namespace parvex {
namespace {

// A closed connection's window takes its queued notifications with it, but a
// filtered PeekMessage hands out (and removes) a pending quit request, which
// must survive; another window's notifications stay too.
TEST(Win32SocketHost, DestroyingAWindowDropsItsNotificationsAndKeepsAQuitRequest) {
  Win32SocketHost host;
  int delivered = 0;
  auto proc = [&delivered](unsigned message, std::uintptr_t, std::intptr_t) -> std::optional<std::intptr_t> {
    if (message < WM_USER) return std::nullopt;
    ++delivered;
    return 0;
  };
  auto window = host.CreateHiddenWindow(proc);
  auto other = host.CreateHiddenWindow(proc);
  const HWND handle = reinterpret_cast<HWND>(window->Handle());
  const HWND otherHandle = reinterpret_cast<HWND>(other->Handle());
  ASSERT_TRUE(handle != nullptr && otherHandle != nullptr);
  PostMessageA(handle, winsock::kMsgSocketEvent, 1, 0);
  PostMessageA(handle, winsock::kMsgHostLookup, 2, 0);
  PostMessageA(otherHandle, winsock::kMsgHostLookup, 3, 0);
  PostQuitMessage(3);
  window.reset();
  MSG queued;
  // First the quit, which a filtered look below would take out as well.
  ASSERT_TRUE(PeekMessageA(&queued, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit request was lost";
  EXPECT_EQ(queued.wParam, 3u);
  EXPECT_TRUE(PeekMessageA(&queued, otherHandle, winsock::kMsgHostLookup, winsock::kMsgHostLookup, PM_REMOVE))
      << "another window's notification was dropped";
  EXPECT_EQ(delivered, 0);
}

}  // namespace
}  // namespace parvex
