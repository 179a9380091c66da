#include "net/win32/system_random.h"

#include <windows.h>

#include <limits>

#include "net/net_errors.h"
#include "runtime/win32/scoped_handle.h"
#include "runtime/win32/system_library.h"

namespace parvex {
namespace {

constexpr ULONG kUseSystemPreferredRng = 0x00000002;  // BCRYPT_USE_SYSTEM_PREFERRED_RNG
using GenRandomFn = LONG(WINAPI*)(void*, PUCHAR, ULONG, ULONG);
// RtlGenRandom, which advapi32 exports as SystemFunction036: the generator of
// systems older than bcrypt.
using RtlGenRandomFn = BOOLEAN(WINAPI*)(PVOID, ULONG);

}  // namespace

void SystemRandom::Fill(std::uint8_t* out, std::size_t n) {
  if (n > std::numeric_limits<ULONG>::max()) throw EOAuthError("Too many random bytes asked for.");
  const ModuleHandle bcrypt(LoadSystemLibrary("bcrypt.dll"));
  if (bcrypt) {
    if (auto gen = reinterpret_cast<GenRandomFn>(
            reinterpret_cast<void*>(GetProcAddress(bcrypt.Get(), "BCryptGenRandom")))) {
      if (gen(nullptr, out, static_cast<ULONG>(n), kUseSystemPreferredRng) == 0) return;
    }
  }
  const ModuleHandle advapi(LoadSystemLibrary("advapi32.dll"));
  if (advapi) {
    if (auto gen = reinterpret_cast<RtlGenRandomFn>(
            reinterpret_cast<void*>(GetProcAddress(advapi.Get(), "SystemFunction036")))) {
      if (gen(out, static_cast<ULONG>(n))) return;
    }
  }
  throw EOAuthError("Windows' random number generator is not available, so the sign-in cannot be made safe.");
}

}  // namespace parvex
