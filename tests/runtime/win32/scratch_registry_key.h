#pragma once
// A fixture that gives each test its own key under HKEY_CURRENT_USER in Wine's
// real registry, with "Opts" and "Start" sections, and removes it afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace parvex::testing {

class ScratchRegistryKey : public ::testing::Test {
 protected:
  ScratchRegistryKey()
      : path_("Software\\ParvexTests\\registry-" + std::to_string(GetCurrentProcessId()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
  ~ScratchRegistryKey() override {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      for (const char* section : {"Opts", "Start"}) RegDeleteKeyA(key, section);
      RegCloseKey(key);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
  }

  void putRaw(const char* section, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (path_ + "\\" + section).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }

  DWORD typeOf(const char* section, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (path_ + "\\" + section).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      return REG_NONE;
    DWORD type = REG_NONE;
    RegQueryValueExA(key, name, nullptr, &type, nullptr, nullptr);
    RegCloseKey(key);
    return type;
  }

  std::string path_;
};

}  // namespace parvex::testing
