#pragma once
// The alarm's platform side: file test, warning beep, ShellExecuteA "open" and the
// error box.
#include <windows.h>
#include <shellapi.h>

#include "app/alarm.h"

namespace parvex {

// The three system calls the alarm makes, the real ones unless a test records them.
struct ShellAlarmCalls {
  BOOL(WINAPI* messageBeep)(UINT) = MessageBeep;
  HINSTANCE(WINAPI* shellExecute)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) = ShellExecuteA;
  int(WINAPI* messageBox)(HWND, LPCSTR, LPCSTR, UINT) = MessageBoxA;
};

class ShellAlarm final : public AlarmShell {
 public:
  explicit ShellAlarm(HWND parent, ShellAlarmCalls calls = {}) : parent_(parent), calls_(calls) {}
  bool fileExists(const std::string& name) const override;
  void warningBeep() override;
  long shellOpen(const std::string& name) override;
  void errorBox(const std::string& text) override;

 private:
  HWND parent_;
  ShellAlarmCalls calls_;
};

}  // namespace parvex
