#include "app/win32/shell_alarm.h"

#include <gtest/gtest.h>

#include <vector>

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

// The system calls the alarm made, one line each.
std::vector<std::string> made;
INT_PTR shellResult = 0;
const HWND kParent = reinterpret_cast<HWND>(0x1234);

std::string text(const char* s) { return s ? "'" + std::string(s) + "'" : "null"; }
std::string parentOf(HWND w) { return w == kParent ? "parent" : "other"; }

BOOL WINAPI RecordBeep(UINT type) {
  made.push_back("beep " + std::to_string(type));
  return TRUE;
}
HINSTANCE WINAPI RecordShellExecute(HWND w, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, INT show) {
  made.push_back("shell " + parentOf(w) + " " + text(verb) + " " + text(file) + " " + text(params) + " " + text(dir) +
                 " " + std::to_string(show));
  return reinterpret_cast<HINSTANCE>(shellResult);
}
int WINAPI RecordMessageBox(HWND w, LPCSTR body, LPCSTR title, UINT type) {
  made.push_back("box " + parentOf(w) + " " + text(body) + " " + text(title) + " " + std::to_string(type));
  return IDOK;
}

// The alarm as the screen runs it: a missing file beeps, an existing one is
// opened by the shell, and a shell failure (32 or less) is told in an error box.
TEST(ShellAlarmTest, BeepsOpensOrTellsTheFailure) {
  testing::TempFolder folder;
  const std::string file = folder.file("alarm.bat");
  const std::string beep = "beep " + std::to_string(MB_ICONEXCLAMATION);
  const std::string open = "shell parent 'open' '" + file + "' null null " + std::to_string(SW_SHOWNORMAL);
  const struct {
    std::string name;
    INT_PTR result;
    std::vector<std::string> calls;
  } cases[] = {
      {file, 33, {open}},
      {file,
       32,
       {open, "box parent 'Couldn't execute " + file + "' 'Parvex 2000' " + std::to_string(MB_OK | MB_ICONERROR)}},
      {folder.path(), 33, {beep}},
      {"", 33, {beep}},
  };
  ShellAlarm alarm(kParent, {RecordBeep, RecordShellExecute, RecordMessageBox});
  for (const auto& c : cases) {
    made.clear();
    shellResult = c.result;
    playAlarmSound(c.name, alarm);
    EXPECT_EQ(made, c.calls) << "'" << c.name << "' " << c.result;
  }
}

}  // namespace
}  // namespace parvex
