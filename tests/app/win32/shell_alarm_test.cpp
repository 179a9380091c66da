#include "app/win32/shell_alarm.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace parvex {
namespace {

// Only an existing file is opened; a folder or an empty name only beeps.
TEST(ShellAlarmTest, OnlyAnExistingFileCounts) {
  testing::TempFolder folder;
  const std::string file = folder.file("alarm.bat");
  const std::pair<std::string, bool> cases[] = {
      {file, true}, {folder.path(), false}, {"", false}, {folder.path() + "\\missing.bat", false}};
  const ShellAlarm alarm(nullptr);
  for (const auto& [name, exists] : cases) EXPECT_EQ(alarm.fileExists(name), exists) << "'" << name << "'";
}

}  // namespace
}  // namespace parvex
