#pragma once
// Run-time binding of a DLL by name: what TnsWinsock and the error-text look-up
// need from the platform. Handles are opaque numbers; 0 means "not loaded".
#include <cstdint>
#include <string>

namespace parvex {

using LibraryHandle = std::uintptr_t;

class LibraryLoader {
 public:
  virtual ~LibraryLoader() = default;
  // Sets the process error mode and returns the previous one.
  virtual unsigned SetProcessErrorMode(unsigned mode) = 0;
  virtual LibraryHandle LoadModule(const std::string& name) = 0;
  virtual void ReleaseModule(LibraryHandle library) = 0;
  // nullptr when the library (or handle 0) has no such entry point.
  virtual void* FindProc(LibraryHandle library, const std::string& name) = 0;
  // The library's string resource `id`, or "" when it has none.
  virtual std::string LoadResourceString(LibraryHandle library, unsigned id) = 0;
};

// The platform's own loader (LoadLibraryA and friends on Windows; a native
// stand-in that offers "wsock32.dll" over BSD sockets elsewhere).
LibraryLoader& SystemLibraryLoader();

}  // namespace parvex
