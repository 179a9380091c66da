#include "net/win32/win32_socket_host.h"

#include <gtest/gtest.h>

namespace parvex {
namespace {

// A filtered PeekMessage hands out (and removes) a pending quit request, which
// must survive the dropping of a closed socket's notifications.
TEST(Win32SocketHost, DroppingNotificationsKeepsAQuitRequest) {
  Win32SocketHost host;
  auto window = host.CreateHiddenWindow([](unsigned, std::uintptr_t, std::intptr_t) { return std::nullopt; });
  const HWND handle = reinterpret_cast<HWND>(window->Handle());
  PostMessageA(handle, winsock::kMsgSocketEvent, 1, 0);
  PostMessageA(handle, winsock::kMsgHostLookup, 2, 0);
  PostQuitMessage(3);
  window->DiscardPending(winsock::kMsgSocketEvent);
  MSG queued;
  EXPECT_FALSE(PeekMessageA(&queued, handle, winsock::kMsgSocketEvent, winsock::kMsgSocketEvent, PM_NOREMOVE) &&
               queued.message == winsock::kMsgSocketEvent);
  EXPECT_TRUE(PeekMessageA(&queued, handle, winsock::kMsgHostLookup, winsock::kMsgHostLookup, PM_REMOVE) &&
              queued.message == winsock::kMsgHostLookup)
      << "another notification was dropped";
  ASSERT_TRUE(PeekMessageA(&queued, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit request was lost";
  EXPECT_EQ(queued.wParam, 3u);
}

}  // namespace
}  // namespace parvex
