#include "runtime/win32/registry.h"

#include <algorithm>
#include <vector>

#include "runtime/exceptions.h"
#include "runtime/string_routines.h"

namespace parvex {

namespace {

TRegKey createKey(HKEY parent, const std::string& path) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    throw Exception(FormatStr("Failed to create key %s", path));
  return TRegKey(key);
}

}  // namespace

TRegIniFile::TRegIniFile(HKEY root, const std::string& path) : key_(createKey(root, path)) {}

std::optional<std::string> TRegIniFile::readValue(const std::string& section, const std::string& name) const {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(key_.Get(), section.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return std::nullopt;
  const TRegKey sectionKey(raw);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(sectionKey.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) throw Exception(FormatStr("Invalid data type for '%s'", name));
  // The value may grow between the two calls; ask again until it fits.
  std::vector<char> data;
  LONG status;
  do {
    data.assign(size + 1, '\0');
    size = static_cast<DWORD>(data.size());
    status =
        RegQueryValueExA(sectionKey.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  } while (status == ERROR_MORE_DATA);
  if (status != ERROR_SUCCESS) return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) throw Exception(FormatStr("Invalid data type for '%s'", name));
  // Stored strings may or may not carry their terminating zero.
  std::string text(data.data(), std::min<std::size_t>(size, data.size()));
  const auto end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  return text;
}

void TRegIniFile::writeValue(const std::string& section, const std::string& name, const std::string& text) {
  const TRegKey sectionKey = createKey(key_.Get(), section);
  if (RegSetValueExA(sectionKey.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS)
    throw Exception(FormatStr("Failed to set data for '%s'", name));
}

}  // namespace parvex
