#include "ui/win32/registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ui/exceptions.h"

namespace parvex {
namespace {

// Each test works under its own key in Wine's real registry and removes it.
class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest()
      : path_("Software\\ParvexTests\\registry-" + std::to_string(GetCurrentProcessId()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
  ~RegistryTest() override {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      for (const char* section : {"Opts", "Start"}) RegDeleteKeyA(key, section);
      RegCloseKey(key);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
  }

  void putRaw(const char* section, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (path_ + "\\" + section).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }

  DWORD typeOf(const char* section, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (path_ + "\\" + section).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
      return REG_NONE;
    DWORD type = REG_NONE;
    RegQueryValueExA(key, name, nullptr, &type, nullptr, nullptr);
    RegCloseKey(key);
    return type;
  }

  std::string path_;
};

std::string messageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(no error)";
}

TEST_F(RegistryTest, SectionsAreSubkeysOfStringValues) {
  {
    TRegIniFile store(HKEY_CURRENT_USER, path_);
    EXPECT_EQ(store.readValue("Opts", "New"), std::nullopt);  // no section yet
    WriteBool(store, "Opts", "New", false);
    WriteInteger(store, "Opts", "NumRecip", 3);
    WriteString(store, "Start", "Dir1", "C:\\a b");
  }
  EXPECT_EQ(typeOf("Opts", "New"), static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(typeOf("Opts", "NumRecip"), static_cast<DWORD>(REG_SZ));
  const TRegIniFile store(HKEY_CURRENT_USER, path_);
  EXPECT_EQ(store.readValue("Opts", "New"), std::optional<std::string>("0"));
  EXPECT_EQ(ReadInteger(store, "Opts", "NumRecip", -1), 3);
  EXPECT_EQ(ReadString(store, "Start", "Dir1", ""), "C:\\a b");
  EXPECT_EQ(store.readValue("Opts", "Missing"), std::nullopt);
  EXPECT_TRUE(ReadBool(store, "Opts", "Missing", true));
}

TEST_F(RegistryTest, OtherValueTypesCannotBeRead) {
  const DWORD number = 1;
  putRaw("Opts", "New", REG_DWORD, &number, sizeof(number));
  putRaw("Opts", "Wav", REG_BINARY, "ab", 2);
  putRaw("Opts", "Server", REG_EXPAND_SZ, "mail", 5);
  putRaw("Opts", "Sender", REG_SZ, "no terminator", 13);
  const TRegIniFile store(HKEY_CURRENT_USER, path_);
  EXPECT_EQ(messageOf([&] { ReadBool(store, "Opts", "New", true); }), "Invalid data type for 'New'");
  EXPECT_EQ(messageOf([&] { ReadString(store, "Opts", "Wav", ""); }), "Invalid data type for 'Wav'");
  EXPECT_EQ(ReadString(store, "Opts", "Server", ""), "mail");
  EXPECT_EQ(ReadString(store, "Opts", "Sender", ""), "no terminator");
}

TEST_F(RegistryTest, FailuresCarryTheirMessages) {
  const HKEY bogus = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7654321));
  EXPECT_EQ(messageOf([&] { TRegIniFile store(bogus, "Software\\X"); }),
            "Failed to create key Software\\X");
  TRegIniFile store(HKEY_CURRENT_USER, path_);
  // Value names are limited in length; an overlong one cannot be set.
  const std::string hugeName(20000, 'n');
  EXPECT_EQ(messageOf([&] { WriteString(store, "Opts", hugeName, "v"); }),
            "Failed to set data for '" + hugeName + "'");
}

}  // namespace
}  // namespace parvex
