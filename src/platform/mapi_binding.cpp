#include "platform/mapi_binding.h"

namespace parvex {

namespace {

constexpr const char* kLibraryName = "MAPI32.DLL";
constexpr const char* kEntryNames[] = {"MAPILogon", "MAPISendMail", "MAPIFreeBuffer", "MAPIResolveName"};

template <typename Fn>
Fn as(void* address) {
  return reinterpret_cast<Fn>(address);
}

}  // namespace

bool MapiPresent(MapiSystem& system) {
  const MapiSystem::Version v = system.WindowsVersion();
  if (v.major > 3 || (v.major == 3 && v.minor > 51)) {
    const std::optional<std::string> value = system.MessagingSubsystemMapiValue();
    // Exactly "1" and its terminating zero; the value's type is not looked at.
    return value && *value == std::string("1\0", 2);
  }
  return system.ProfileMailMapi() != 0;
}

MapiBinding::~MapiBinding() {
  if (library_) system_.ReleaseModule(library_);
}

void MapiBinding::bindOnce() {
  if (tried_) return;
  tried_ = true;
  library_ = 0;
  if (MapiPresent(system_)) library_ = system_.LoadModule(kLibraryName);
}

void* MapiBinding::entry(mapi::Function function) {
  bindOnce();
  void*& cached = entries_[static_cast<std::size_t>(function)];
  if (!cached && library_) cached = system_.FindProc(library_, kEntryNames[static_cast<std::size_t>(function)]);
  return cached;
}

bool MapiBinding::Bound(mapi::Function function) { return entry(function) != nullptr; }

mapi::Ulong MapiBinding::Logon(mapi::UiParam ui, char* profile, char* password, mapi::Ulong flags,
                               mapi::Ulong reserved, mapi::Handle* session) {
  void* f = entry(mapi::Function::Logon);
  return f ? as<mapi::LogonFn>(f)(ui, profile, password, flags, reserved, session) : mapi::kUserAbort;
}

mapi::Ulong MapiBinding::SendMail(mapi::Handle session, mapi::UiParam ui, mapi::MapiMessage* message,
                                  mapi::Ulong flags, mapi::Ulong reserved) {
  void* f = entry(mapi::Function::SendMail);
  return f ? as<mapi::SendMailFn>(f)(session, ui, message, flags, reserved) : mapi::kUserAbort;
}

mapi::Ulong MapiBinding::FreeBuffer(void* buffer) {
  void* f = entry(mapi::Function::FreeBuffer);
  return f ? as<mapi::FreeBufferFn>(f)(buffer) : mapi::kUserAbort;
}

mapi::Ulong MapiBinding::ResolveName(mapi::Handle session, mapi::UiParam ui, char* name, mapi::Ulong flags,
                                     mapi::Ulong reserved, mapi::MapiRecipDesc** recipient) {
  void* f = entry(mapi::Function::ResolveName);
  return f ? as<mapi::ResolveNameFn>(f)(session, ui, name, flags, reserved, recipient) : mapi::kUserAbort;
}

}  // namespace parvex
