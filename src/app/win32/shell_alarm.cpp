#include "app/win32/shell_alarm.h"

#include "app/win32/watcher_controls.h"

namespace parvex {

bool ShellAlarm::fileExists(const std::string& name) const {
  if (name.empty()) return false;
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ShellAlarm::warningBeep() { calls_.messageBeep(MB_ICONEXCLAMATION); }

long ShellAlarm::shellOpen(const std::string& name) {
  HINSTANCE result = calls_.shellExecute(parent_, "open", name.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return static_cast<long>(reinterpret_cast<INT_PTR>(result));
}

void ShellAlarm::errorBox(const std::string& text) {
  calls_.messageBox(parent_, text.c_str(), watcher::kProgramTitle, MB_OK | MB_ICONERROR);
}

}  // namespace parvex
