#pragma once
// Binds Simple MAPI at run time: decides once per binding whether MAPI is
// present, loads "MAPI32.DLL", and looks each function up by name when it is
// first needed (a found address is kept, a missing one is looked for again).
#include <array>
#include <optional>
#include <string>

#include "platform/simple_mapi.h"

namespace parvex {

// What the binding needs from Windows.
class MapiSystem {
 public:
  virtual ~MapiSystem() = default;
  struct Version {
    unsigned major = 0;
    unsigned minor = 0;
  };
  virtual Version WindowsVersion() = 0;
  // HKLM "SOFTWARE\Microsoft\Windows Messaging Subsystem" value "MAPI", read into
  // a 9-byte buffer: its bytes, or nothing when the key or value cannot be read.
  virtual std::optional<std::string> MessagingSubsystemMapiValue() = 0;
  // The profile-file setting "MAPI" of section "Mail" (0 when absent).
  virtual int ProfileMailMapi() = 0;
  // 0 when the library does not load.
  virtual std::uintptr_t LoadModule(const char* name) = 0;
  virtual void* FindProc(std::uintptr_t library, const char* name) = 0;
  virtual void ReleaseModule(std::uintptr_t library) = 0;
};

// Whether the machine says it has Simple MAPI: the registry value on Windows
// after 3.51, the profile file before.
bool MapiPresent(MapiSystem& system);

class MapiBinding final : public mapi::SimpleMapi {
 public:
  explicit MapiBinding(MapiSystem& system) : system_(system) {}
  ~MapiBinding() override;
  MapiBinding(const MapiBinding&) = delete;
  MapiBinding& operator=(const MapiBinding&) = delete;

  bool Bound(mapi::Function function) override;
  mapi::Ulong Logon(mapi::UiParam ui, char* profile, char* password, mapi::Ulong flags, mapi::Ulong reserved,
                    mapi::Handle* session) override;
  mapi::Ulong SendMail(mapi::Handle session, mapi::UiParam ui, mapi::MapiMessage* message, mapi::Ulong flags,
                       mapi::Ulong reserved) override;
  mapi::Ulong FreeBuffer(void* buffer) override;
  mapi::Ulong ResolveName(mapi::Handle session, mapi::UiParam ui, char* name, mapi::Ulong flags,
                          mapi::Ulong reserved, mapi::MapiRecipDesc** recipient) override;

  std::uintptr_t Library() const { return library_; }

 private:
  void bindOnce();
  void* entry(mapi::Function function);

  MapiSystem& system_;
  bool tried_ = false;
  std::uintptr_t library_ = 0;
  std::array<void*, 4> entries_{};
};

}  // namespace parvex
