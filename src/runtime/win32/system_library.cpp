#include "runtime/win32/system_library.h"

#include <string>

namespace parvex {

HMODULE LoadSystemLibrary(const char* name) {
  // A full path rather than LoadLibraryEx's search flags, which older Windows lacks.
  char folder[MAX_PATH];
  const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  std::string path(folder, n);
  if (path.back() != '\\') path += '\\';
  path += name;
  return LoadLibraryA(path.c_str());
}

}  // namespace parvex
