#include <gtest/gtest.h>

#include <string>

#include "app/settings.h"
#include "runtime/win32/registry.h"
#include "runtime/win32/scratch_registry_key.h"
#include "support/message_of.h"

namespace parvex {
namespace {

using RegistryTest = testing::ScratchRegistryKey;
using testing::MessageOf;

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
  EXPECT_EQ(MessageOf([&] { ReadSettings(store, partial); }), "Invalid data type for 'Delete'");
  EXPECT_EQ(partial.dirs[6], "C:\\seven");  // read before the bad value
  EXPECT_TRUE(partial.soundAlarm);          // never reached
}

}  // namespace
}  // namespace parvex
