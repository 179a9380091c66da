#include "runtime/win32/system_error.h"

namespace parvex {

std::string SystemErrorText(DWORD error) { return ModuleErrorText(nullptr, error); }

std::string ModuleErrorText(HMODULE module, DWORD error) {
  char* buffer = nullptr;
  const DWORD from = module ? FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM : FORMAT_MESSAGE_FROM_SYSTEM;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | from | FORMAT_MESSAGE_IGNORE_INSERTS, module, error,
                                 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = n && buffer ? std::string(buffer, n) : std::string();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
  if (text.empty()) return "System error " + std::to_string(error) + ".";
  if (text.back() != '.') text += '.';
  return text;
}

}  // namespace parvex
