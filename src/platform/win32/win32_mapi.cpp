#include "platform/win32/win32_mapi.h"

#include <vector>

#include "runtime/win32/system_library.h"

namespace parvex {

MapiSystem::Version Win32MapiSystem::WindowsVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
  static_assert(sizeof(OSVERSIONINFOA) == 148);
  if (!GetVersionExA(&info)) return {};
  return {info.dwMajorVersion, info.dwMinorVersion};
}

std::optional<std::string> Win32MapiSystem::MessagingSubsystemMapiValue() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows Messaging Subsystem", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return std::nullopt;
  char buffer[9] = {};
  DWORD size = sizeof buffer;
  const LONG result = RegQueryValueExA(key, "MAPI", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return std::string(buffer, size);
}

int Win32MapiSystem::ProfileMailMapi() { return static_cast<int>(GetProfileIntA("Mail", "MAPI", 0)); }

std::uintptr_t Win32MapiSystem::LoadModule(const char* name) {
  return reinterpret_cast<std::uintptr_t>(LoadSystemLibrary(name));
}

void* Win32MapiSystem::FindProc(std::uintptr_t library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}

void Win32MapiSystem::ReleaseModule(std::uintptr_t library) { ::FreeLibrary(reinterpret_cast<HMODULE>(library)); }

MapiBinding& ProcessMapi() {
  // Function-local statics: built at the first MAPI call, freed at program end.
  static Win32MapiSystem system;
  static MapiBinding binding(system);
  return binding;
}

void Win32MapiSendHost::SetWaitCursor(bool wait) { SetCursor(LoadCursorA(nullptr, wait ? IDC_WAIT : IDC_ARROW)); }

std::string Win32MapiSendHost::ExpandFileName(const std::string& name) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetFullPathNameA(name.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0) return name;
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(n + 1);
  }
}

}  // namespace parvex
