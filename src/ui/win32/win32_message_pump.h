#pragma once
// The program's one Win32 message pump: the main loop, modal loops and
// ProcessMessages all take and dispatch messages here. A WM_QUIT ends the pump
// for good; a loop nested in another puts it back so that the outer loop ends on
// it too.
#include <windows.h>

#include <functional>

#include "runtime/message_pump.h"

namespace parvex {

class Win32MessagePump : public MessagePump {
 public:
  // Dispatches everything queued, then returns.
  void processMessages() override;
  // Waits for and dispatches messages until done() holds or a WM_QUIT comes;
  // repostQuit keeps that quit for an outer loop.
  void pumpUntil(const std::function<bool()>& done, bool repostQuit);

  bool Terminated() const { return terminated_; }
  bool QuitRequested() const override { return terminated_; }
  // Sleeps until a message is queued or the time is up: a waiting send then
  // costs no processor time, yet every notification wakes it at once.
  void WaitForMessage(unsigned timeoutMs) override;
  // The window that keyboard messages are routed through as a dialog (tab order,
  // default and cancel buttons); null for none.
  void SetDialogWindow(HWND window) { dialogWindow_ = window; }
  HWND DialogWindow() const { return dialogWindow_; }
  // Sent to the dialog window for Tab (wParam: Shift held) before the dialog
  // manager sees it; a nonzero answer means the form moved the focus itself.
  static UINT TabKeyMessage();
  // False for WM_QUIT, which marks the pump terminated.
  bool DispatchOne(const MSG& msg);

 private:
  HWND dialogWindow_ = nullptr;
  bool terminated_ = false;
};

}  // namespace parvex
