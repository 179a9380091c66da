#include "ui/win32/win32_message_pump.h"

namespace parvex {

bool Win32MessagePump::DispatchOne(const MSG& msg) {
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return false;
  }
  if (dialogWindow_ && IsWindow(dialogWindow_)) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000) == 0 &&
        SendMessageA(dialogWindow_, TabKeyMessage(), (GetKeyState(VK_SHIFT) & 0x8000) != 0, 0) != 0)
      return true;
    if (IsDialogMessageA(dialogWindow_, const_cast<MSG*>(&msg))) return true;
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

UINT Win32MessagePump::TabKeyMessage() {
  static const UINT message = RegisterWindowMessageA("Parvex.TabKey");
  return message;
}

void Win32MessagePump::processMessages() {
  MSG msg;
  while (!terminated_ && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!DispatchOne(msg)) {
      // Keep the quit for the main loop, which ends on it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
  }
}

void Win32MessagePump::WaitForMessage(unsigned timeoutMs) {
  if (terminated_) return;
  // MWMO_INPUTAVAILABLE: a message already queued ends the wait too, not only a
  // new one.
  MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Win32MessagePump::pumpUntil(const std::function<bool()>& done, bool repostQuit) {
  MSG msg;
  while (!terminated_ && !done()) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (!DispatchOne(msg)) {
      if (repostQuit) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
  }
}

}  // namespace parvex
