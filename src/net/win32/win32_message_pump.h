#pragma once
// The application's ProcessMessages: dispatch everything queued, then return.
// A WM_QUIT met on the way is put back for the main loop.
#include <windows.h>

#include "runtime/message_pump.h"

namespace parvex {

class Win32MessagePump final : public MessagePump {
 public:
  void processMessages() override {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
};

}  // namespace parvex
