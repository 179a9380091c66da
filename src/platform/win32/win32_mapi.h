#pragma once
// Simple MAPI on Windows: the system probes behind the binding, the process's one
// binding (MAPI32.DLL is freed at program end), and the desktop services the
// sender uses.
#include <windows.h>

#include "platform/mapi_binding.h"
#include "platform/mapi_send_message.h"

namespace parvex {

class Win32MapiSystem final : public MapiSystem {
 public:
  Version WindowsVersion() override;
  std::optional<std::string> MessagingSubsystemMapiValue() override;
  int ProfileMailMapi() override;
  std::uintptr_t LoadModule(const char* name) override;
  void* FindProc(std::uintptr_t library, const char* name) override;
  void ReleaseModule(std::uintptr_t library) override;
};

// The process-wide binding: the presence test and the load run once per run.
MapiBinding& ProcessMapi();

class Win32MapiSendHost final : public MapiSendHost {
 public:
  explicit Win32MapiSendHost(HWND applicationWindow) : applicationWindow_(applicationWindow) {}
  mapi::UiParam ApplicationWindow() override { return reinterpret_cast<mapi::UiParam>(applicationWindow_); }
  void SetWaitCursor(bool wait) override;
  std::string ExpandFileName(const std::string& name) override;

 private:
  HWND applicationWindow_;
};

}  // namespace parvex
