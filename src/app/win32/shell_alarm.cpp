#include "app/win32/shell_alarm.h"

#include <shellapi.h>

#include "app/win32/watcher_controls.h"

namespace parvex {

bool ShellAlarm::fileExists(const std::string& name) const {
  if (name.empty()) return false;
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ShellAlarm::warningBeep() { MessageBeep(MB_ICONEXCLAMATION); }

long ShellAlarm::shellOpen(const std::string& name) {
  HINSTANCE result = ShellExecuteA(parent_, "open", name.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return static_cast<long>(reinterpret_cast<INT_PTR>(result));
}

void ShellAlarm::errorBox(const std::string& text) {
  MessageBoxA(parent_, text.c_str(), watcher::kProgramTitle, MB_OK | MB_ICONERROR);
}

}  // namespace parvex
