#pragma once
// The alarm's platform side: file test, warning beep, ShellExecuteA "open" and the
// error box.
#include <windows.h>

#include "app/alarm.h"

namespace parvex {

class ShellAlarm final : public AlarmShell {
 public:
  explicit ShellAlarm(HWND parent) : parent_(parent) {}
  bool fileExists(const std::string& name) const override;
  void warningBeep() override;
  long shellOpen(const std::string& name) override;
  void errorBox(const std::string& text) override;

 private:
  HWND parent_;
};

}  // namespace parvex
