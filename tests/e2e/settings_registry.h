#pragma once
// The program's settings in the registry as the test sees them: cleared before
// each test, seeded with values, read back after the program saved.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/win32/scoped_handle.h"

namespace e2e {

inline constexpr const char* kSettingsKey = "Software\\Brenmark Corporation\\Parvex2000";

void clearSettings();
void putString(const char* section, const char* name, const std::string& value);
void putDword(const char* section, const char* name, DWORD value);
// The string value, or nothing when missing or not a string.
std::optional<std::string> getString(const char* section, const char* name);

// A value of the prefix's own settings (Wine's, the desktop's) set for one
// test and put back as it was, or removed, when the test ends.
class ScopedUserValue {
 public:
  ScopedUserValue(const char* key, const char* name, DWORD type, const void* data, DWORD size);
  ~ScopedUserValue();
  ScopedUserValue(const ScopedUserValue&) = delete;
  ScopedUserValue& operator=(const ScopedUserValue&) = delete;

 private:
  parvex::RegKeyHandle key_;
  std::string name_;
  bool hadOld_ = false;
  DWORD oldType_ = REG_NONE;
  std::vector<BYTE> old_;
};

}  // namespace e2e
