#include "ui/win32/registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/settings.h"
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

TEST_F(RegistryTest, SettingsSurviveARoundTripAndStopAtABadValue) {
  WatcherSettings written;
  written.dirs[6] = "C:\\seven";
  written.nsecs = "5";
  written.soundAlarm = false;
  written.recipients = {"a@x", "", "b@x"};
  {
    TRegIniFile store(HKEY_CURRENT_USER, path_);
    WriteSettings(store, written);
  }
  WatcherSettings read;
  {
    const TRegIniFile store(HKEY_CURRENT_USER, path_);
    ReadSettings(store, read);
  }
  EXPECT_EQ(read.dirs, written.dirs);
  EXPECT_EQ(read.nsecs, "5");
  EXPECT_FALSE(read.soundAlarm);
  EXPECT_EQ(read.recipients, (std::vector<std::string>{"a@x", "b@x"}));

  const DWORD number = 0;
  putRaw("Opts", "Delete", REG_DWORD, &number, sizeof(number));
  WatcherSettings partial;
  const TRegIniFile store(HKEY_CURRENT_USER, path_);
  EXPECT_EQ(messageOf([&] { ReadSettings(store, partial); }), "Invalid data type for 'Delete'");
  EXPECT_EQ(partial.dirs[6], "C:\\seven");  // read before the bad value
  EXPECT_TRUE(partial.soundAlarm);          // never reached
}

}  // namespace
}  // namespace parvex
