#include "settings_registry.h"

#include <vector>

namespace e2e {

namespace {

void deleteTree(HKEY parent, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  std::vector<std::string> children;
  char child[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof child;
    if (RegEnumKeyExA(key, i, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(child, size);
  }
  for (const auto& c : children) deleteTree(key, c);
  RegCloseKey(key);
  RegDeleteKeyA(parent, name.c_str());
}

HKEY openSection(const char* section) {
  HKEY key = nullptr;
  const std::string path = std::string(kSettingsKey) + "\\" + section;
  RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return key;
}

}  // namespace

void clearSettings() { deleteTree(HKEY_CURRENT_USER, kSettingsKey); }

void putString(const char* section, const char* name, const std::string& value) {
  HKEY key = openSection(section);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

void putDword(const char* section, const char* name, DWORD value) {
  HKEY key = openSection(section);
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

std::optional<std::string> getString(const char* section, const char* name) {
  HKEY key = nullptr;
  const std::string path = std::string(kSettingsKey) + "\\" + section;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  char value[1024] = {};
  DWORD size = sizeof value - 1, type = 0;
  const LONG r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  return std::string(value);
}

ScopedUserValue::ScopedUserValue(const char* key, const char* name, DWORD type, const void* data, DWORD size)
    : name_(name) {
  HKEY opened = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
  key_.reset(opened);
  DWORD oldSize = 0;
  hadOld_ = RegQueryValueExA(opened, name, nullptr, &oldType_, nullptr, &oldSize) == ERROR_SUCCESS;
  if (hadOld_) {
    old_.resize(oldSize);
    RegQueryValueExA(opened, name, nullptr, &oldType_, old_.data(), &oldSize);
  }
  RegSetValueExA(opened, name, 0, type, static_cast<const BYTE*>(data), size);
}

ScopedUserValue::~ScopedUserValue() {
  if (hadOld_) {
    RegSetValueExA(key_.Get(), name_.c_str(), 0, oldType_, old_.data(), static_cast<DWORD>(old_.size()));
  } else {
    RegDeleteValueA(key_.Get(), name_.c_str());
  }
}

}  // namespace e2e
