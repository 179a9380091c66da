// Windows' data protection for the current user (CryptProtectData), bound from
// crypt32.dll in the system folder at the moment of use.
#include <windows.h>
#include <wincrypt.h>

#include <string>

#include "app/password_seal.h"
#include "runtime/exceptions.h"
#include "runtime/win32/scoped_handle.h"
#include "runtime/win32/system_library.h"

namespace parvex {
namespace {

using ProtectFn = BOOL(WINAPI*)(DATA_BLOB*, LPCWSTR, DATA_BLOB*, PVOID, CRYPTPROTECT_PROMPTSTRUCT*, DWORD, DATA_BLOB*);
using UnprotectFn = BOOL(WINAPI*)(DATA_BLOB*, LPWSTR*, DATA_BLOB*, PVOID, CRYPTPROTECT_PROMPTSTRUCT*, DWORD,
                                  DATA_BLOB*);

template <class Fn>
Fn Bind(const ModuleHandle& crypt32, const char* name) {
  FARPROC proc = crypt32 ? GetProcAddress(crypt32.Get(), name) : nullptr;
  if (!proc) throw Exception(std::string("Windows' data protection is not available (") + name + ")");
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
}

std::string Run(bool seal, std::string_view in) {
  const ModuleHandle crypt32(LoadSystemLibrary("crypt32.dll"));
  DATA_BLOB input{static_cast<DWORD>(in.size()), reinterpret_cast<BYTE*>(const_cast<char*>(in.data()))};
  DATA_BLOB output{};
  // No extra entropy and no prompt: any program of this user may read it back,
  // which is what keeps it usable for an unattended send.
  const BOOL ok = seal ? Bind<ProtectFn>(crypt32, "CryptProtectData")(&input, L"SMTP password", nullptr, nullptr,
                                                                      nullptr, CRYPTPROTECT_UI_FORBIDDEN, &output)
                       : Bind<UnprotectFn>(crypt32, "CryptUnprotectData")(&input, nullptr, nullptr, nullptr, nullptr,
                                                                          CRYPTPROTECT_UI_FORBIDDEN, &output);
  if (!ok)
    throw Exception("Windows' data protection refused the password (error " + std::to_string(GetLastError()) + ")");
  std::string out(reinterpret_cast<const char*>(output.pbData), output.cbData);
  SecureZeroMemory(output.pbData, output.cbData);
  LocalFree(output.pbData);
  return out;
}

class Win32SecretSealer final : public SecretSealer {
 public:
  std::string Seal(std::string_view clear) const override { return Run(true, clear); }
  std::string Unseal(std::string_view sealed) const override { return Run(false, sealed); }
};

}  // namespace

const SecretSealer& UserSecretSealer() {
  static const Win32SecretSealer sealer;
  return sealer;
}

}  // namespace parvex
