#include <windows.h>

#include "net/library_loader.h"
#include "runtime/win32/system_library.h"

namespace parvex {
namespace {

class Win32LibraryLoader final : public LibraryLoader {
 public:
  unsigned SetProcessErrorMode(unsigned mode) override { return ::SetErrorMode(mode); }
  LibraryHandle LoadModule(const std::string& name) override {
    return reinterpret_cast<LibraryHandle>(LoadSystemLibrary(name.c_str()));
  }
  void ReleaseModule(LibraryHandle library) override { ::FreeLibrary(reinterpret_cast<HMODULE>(library)); }
  void* FindProc(LibraryHandle library, const std::string& name) override {
    return reinterpret_cast<void*>(::GetProcAddress(reinterpret_cast<HMODULE>(library), name.c_str()));
  }
  std::string LoadResourceString(LibraryHandle library, unsigned id) override {
    char text[256] = {};
    int length = ::LoadStringA(reinterpret_cast<HINSTANCE>(library), id, text, 255);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
  }
};

}  // namespace

LibraryLoader& SystemLibraryLoader() {
  static Win32LibraryLoader loader;
  return loader;
}

}  // namespace parvex
