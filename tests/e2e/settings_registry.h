#pragma once
// The program's settings in the registry as the test sees them: cleared before
// each test, seeded with values, read back after the program saved.
#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

inline constexpr const char* kSettingsKey = "Software\\Brenmark Corporation\\Parvex2000";

void clearSettings();
void putString(const char* section, const char* name, const std::string& value);
void putDword(const char* section, const char* name, DWORD value);
// The string value, or nothing when missing or not a string.
std::optional<std::string> getString(const char* section, const char* name);

}  // namespace e2e
