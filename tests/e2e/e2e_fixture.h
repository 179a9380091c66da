#pragma once
// The fixture of the end-to-end tests: a fresh settings key and work folder per
// test, the program started and found, screenshots, and small file helpers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/win32/watcher_controls.h"
#include "e2e_context.h"
#include "settings_registry.h"
#include "support/temp_folder.h"
#include "support/win32/driver.h"
#include "support/win32/screenshot.h"

namespace e2e {

using namespace parvex::watcher;
using parvex::testing::RemoveTree;

constexpr DWORD kStartTimeout = 15000;
constexpr DWORD kStepTimeout = 5000;
// One 5-second interval plus the time Wine needs to scan and draw.
constexpr DWORD kTickTimeout = 9000;
// How long a test watches for something that must not happen (a second mail, a
// summary after Reactivate): more than one 5-second interval, so that a tick
// that would do it has run.
constexpr DWORD kQuietTimeout = 7000;

inline std::string lower(std::string text) {
  for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

inline std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

inline int countLines(const std::vector<std::string>& lines, const std::string& line) {
  int n = 0;
  for (const auto& l : lines) n += l == line;
  return n;
}

inline bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

// Names outside every ANSI code page but UTF-8; the two files are ones the
// ANSI program once saw alike, as "??.txt".
inline const std::string kScriptsFolder =
    "\xE7\x9B\x91\xE8\xA7\x86-\xC3\x9C"
    "berwachung";                                                     // 监视-Überwachung
inline const std::string kChina = "\xE4\xB8\xAD\xE5\x9B\xBD.txt";     // 中国.txt
inline const std::string kJapan = "\xE6\x97\xA5\xE6\x9C\xAC.txt";     // 日本.txt
inline const std::string kCafe = "Caf\xC3\xA9 \xF0\x9F\x99\x82.txt";  // Café 🙂.txt

inline HWND notificationArea() { return FindWindowA("__winex11_standalone_tray", nullptr); }

class ParvexE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    clearSettings();
    // On the system drive rather than in the temporary folder, which Wine's folder
    // picker cannot walk down to.
    static int serial = 0;
    work = std::string("C:\\parvex_e2e_") + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
    RemoveTree(work);
    CreateDirectoryA(work.c_str(), nullptr);
    watched = work + "\\watched";
    CreateDirectoryA(watched.c_str(), nullptr);
    writeFile(watched + "\\existing.txt", "old");
    marker = work + "\\alarm-played.txt";
    alarm = work + "\\alarm.bat";
    writeFile(alarm, "@echo off\r\necho played> \"" + marker + "\"\r\n");
  }

  void TearDown() override {
    for (auto& p : processes) p.kill();
    processes.clear();
    RemoveTree(work);
    clearSettings();
  }

  // Makes the folder of kScriptsFolder in the work folder, with kChina and kJapan,
  // and watches it instead; the change renames kJapan to kCafe (a deletion and an
  // addition in one tick).
  void watchScriptsFolder() {
    watched = work + "\\" + kScriptsFolder;
    CreateDirectoryA(watched.c_str(), nullptr);
    writeFile(watched + "\\" + kChina, "same");
    writeFile(watched + "\\" + kJapan, "same");
  }
  bool renameJapanToCafe() {
    return MoveFileA((watched + "\\" + kJapan).c_str(), (watched + "\\" + kCafe).c_str()) != FALSE;
  }

  // Starts parvex.exe; the process is ended at the end of the test at the latest.
  Process& start() {
    const std::string& exe = context().parvexExe;
    processes.emplace_back(exe, exe.substr(0, exe.find_last_of('\\')));
    EXPECT_TRUE(processes.back().started()) << "cannot start " << exe;
    return processes.back();
  }

  static HWND mainWindow(const Process& p, DWORD timeout = kStartTimeout) {
    return findTopLevel(p.pid(), kMainWindowClass, timeout);
  }
  static bool shownWithin(HWND window, DWORD timeout) {
    return waitUntil([&] { return visible(window); }, timeout);
  }
  static bool hiddenWithin(HWND window, DWORD timeout) {
    return waitUntil([&] { return !visible(window); }, timeout);
  }
  static bool closedWithin(HWND window, DWORD timeout = kStepTimeout) {
    return waitUntil([&] { return !IsWindow(window); }, timeout);
  }
  // The window's thread answers a sent message only from its message loop, so
  // once whatever it was doing (start-up, a scan, a click's handler) is over.
  static bool answers(HWND window, DWORD timeout) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout, &result) != 0;
  }

  // The program has worked through everything posted to it before, clicks
  // included: a selection posted to the interval box after them shows only then.
  // (A sent message is no proof: it is also answered while the program waits on
  // a message it sent itself.)
  bool caughtUp(HWND main, DWORD timeout) {
    HWND box = findControl(main, kNSecs);
    DWORD_PTR now = 0;
    if (!box || !SendMessageTimeoutA(box, EM_GETSEL, 0, 0, SMTO_NORMAL, timeout, &now)) return false;
    const WPARAM from = LOWORD(now) == 1 && HIWORD(now) == 2 ? 2 : 1;
    PostMessageA(box, EM_SETSEL, from, from + 1);
    return waitUntil(
        [&] {
          DWORD_PTR selection = 0;
          return SendMessageTimeoutA(box, EM_GETSEL, 0, 0, SMTO_NORMAL, timeout, &selection) &&
                 LOWORD(selection) == from && HIWORD(selection) == from + 1;
        },
        timeout);
  }

  // Starts with auto-start, a 5 s interval (unless told) and the .bat alarm; gives the main
  // window once the program monitors from the tray with its start snapshot taken, or nullptr.
  HWND startMonitoringAutomatically(const char* seconds = "5", DWORD snapshotTimeout = kStartTimeout) {
    putString("Opts", "Nsecs", seconds);
    putString("Opts", "Wav", alarm);
    putString("Opts", "AutoStart", "1");
    Process& p = start();
    HWND main = mainWindow(p);
    if (main == nullptr || findTopLevel(p.pid(), "TTrayIconWindow", kStartTimeout) == nullptr) return nullptr;
    // The snapshot is taken during start-up, before the message loop runs.
    return answers(main, snapshotTimeout) ? main : nullptr;
  }

  // The main window of a fresh start, shown with its configuration screen.
  HWND startShown(Process*& process) {
    process = &start();
    HWND main = mainWindow(*process);
    EXPECT_NE(main, nullptr) << "no main window";
    EXPECT_TRUE(shownWithin(main, kStartTimeout)) << "main window never shown";
    return main;
  }

  HWND control(HWND main, int id) {
    HWND c = findControl(main, id);
    EXPECT_NE(c, nullptr) << "no control " << id;
    return c;
  }

  // <screenshots>\<name>.png, when the run keeps screenshots.
  static void screenshot(HWND window, const std::string& name) {
    if (context().screenshotDir.empty()) return;
    EXPECT_TRUE(saveScreenshot(window, context().screenshotDir + "\\" + name + ".png")) << name;
  }
  // A picture already taken, kept the same way.
  static void keepPicture(const Image& image, const std::string& name) {
    if (context().screenshotDir.empty()) return;
    EXPECT_TRUE(writePng(context().screenshotDir + "\\" + name + ".png", image)) << name;
  }

  void setSlot(HWND main, int slot, const std::string& value) { setText(control(main, kEdFirst + slot - 1), value); }

  // Activates with the given folder and a 5-second interval and waits until the
  // window has gone to the tray.
  HWND activateWatching(const Process& p, HWND main) {
    setSlot(main, 1, watched);
    setText(control(main, kNSecs), "5");
    setText(control(main, kEdWave), alarm);
    click(control(main, kBtActivate));
    EXPECT_TRUE(hiddenWithin(main, kStepTimeout)) << "window not hidden after activation";
    HWND tray = findTopLevel(p.pid(), "TTrayIconWindow", kStepTimeout);
    EXPECT_NE(tray, nullptr);
    // Without a desktop tray, Wine shows the notification area as a window of its
    // own while it holds icons.
    HWND area = notificationArea();
    EXPECT_TRUE(waitUntil([&] { return visible(area); }, kStepTimeout)) << "no icon in the notification area";
    return tray;
  }

  std::vector<std::string> summaryLines(HWND main) { return linesOf(text(control(main, kMeSummary))); }

  std::deque<Process> processes;  // stable references while more are started
  std::string work, watched, marker, alarm;
};

}  // namespace e2e
