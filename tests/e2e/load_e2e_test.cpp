// The program under load, as people leave it running: a change set of 100,000
// entries in alarm and in SMTP mode, and ten thousand ticks with the process's
// memory and handles watched. Ticks are sent to the window rather than waited
// for, and the interval is set long so that the program's own timer stays out
// of the way. Figures are printed for the record.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>

#include "e2e_fixture.h"
#include "support/test_servers.h"
#include "support/win32/linux_proc.h"

namespace e2e {
namespace {

namespace test = parvex::test;

constexpr int kHugeSet = 100000;

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Usage {
  double privateMb = 0, workingSetMb = 0;
  int programFiles = 0, serverFiles = 0;
  std::size_t windows = 0;
};

// What Wine reports of another process: its committed private memory (the
// page-file figure) and working set. Its handle, GDI and USER counts Wine
// reports as 0, so the program's windows are counted here instead, and Linux
// tells the open files and sockets of the program and of the wineserver, which
// holds the Windows handles behind them.
Usage usageOf(HANDLE process, DWORD pid) {
  Usage u;
  PROCESS_MEMORY_COUNTERS memory{};
  if (GetProcessMemoryInfo(process, &memory, sizeof memory)) {
    u.privateMb = static_cast<double>(memory.PagefileUsage) / (1024.0 * 1024.0);
    u.workingSetMb = static_cast<double>(memory.WorkingSetSize) / (1024.0 * 1024.0);
  }
  for (const std::string& linuxPid : test::LinuxProcessesRunning("parvex.exe"))
    u.programFiles += test::OpenFileCount(linuxPid);
  for (const std::string& linuxPid : test::LinuxProcessesRunning("wineserver"))
    u.serverFiles += test::OpenFileCount(linuxPid);
  for (HWND top : topLevelWindows(pid)) u.windows += 1 + descendants(top).size();
  return u;
}

class ParvexLoadE2E : public ParvexE2E {
 protected:
  // One tick of the monitoring timer, run to its end.
  static bool tick(HWND main, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(main, WM_TIMER, kTimer1, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
  }

  // The folder of 100,000 entries that the test wrapper made, put back where it
  // belongs if an earlier test left it moved away; "" when there is none.
  static std::string bigFolder() {
    if (test::ServerDir().empty()) return "";
    const std::string big = test::ServerDir() + "\\big";
    MoveFileA((big + "-gone").c_str(), big.c_str());
    return fileExists(big) ? big : "";
  }

  // Starts monitoring the folder of many entries; gives the main window once the
  // start snapshot is taken. The window answers a sent message only when its
  // start-up (and so the snapshot) is over; a folder being listed cannot be moved.
  HWND startWatchingBig(const std::string& big) {
    putString("Start", "Dir1", big);
    return startMonitoringAutomatically("600", 120000);
  }
  // Lets the program finish what the last click started: its message loop has
  // come past the click, and no dialog it opened holds the window disabled.
  void settle(HWND main) {
    caughtUp(main, 30000);
    waitUntil([&] { return IsWindowEnabled(main) != FALSE; }, 30000);
  }
  static bool moveFolder(const std::string& from, const std::string& to) {
    return waitUntil([&] { return MoveFileA(from.c_str(), to.c_str()) != 0; }, 30000);
  }
  // Every entry goes at once: the folder is put aside and an empty one takes its
  // place. (A folder that cannot be listed at all is no deletion.)
  static bool emptyFolder(const std::string& folder) {
    return moveFolder(folder, folder + "-gone") && CreateDirectoryA(folder.c_str(), nullptr) != 0;
  }
  static bool refillFolder(const std::string& folder) {
    return RemoveDirectoryA(folder.c_str()) != 0 && moveFolder(folder + "-gone", folder);
  }

  void makeFiles(const std::string& folder, int count) {
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < count; ++i) {
      const std::string path = folder + "\\entry-" + std::to_string(100000 + i) + ".dat";
      HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
  }

  void useSmtp() {
    putString("Opts", "SoundAlarm", "0");
    putString("Opts", "MAPI", "0");
    putString("Opts", "Server", "127.0.0.1:" + std::to_string(test::SinkPort()));
    putString("Opts", "SendEmail", "monitor@example.com");
    putString("Opts", "NumRecip", "1");
    putString("Opts", "Recip1", "ops@example.com");
  }

  // Ten thousand ticks over 20 folders, a change now and then; memory and handles
  // after 1,000, 5,000 and 10,000 ticks must stay flat.
  void longRun(HWND main, bool alarmMode, const std::string& folderBase) {
    constexpr int kTicks = 10000;
    constexpr int kChangeEvery = 500;
    std::vector<Usage> seen;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1; i <= kTicks; ++i) {
      const bool change = i % kChangeEvery == 0;
      if (change) writeFile(folderBase + std::to_string(i / kChangeEvery % 20) + "\\tick-" + std::to_string(i), "x");
      ASSERT_TRUE(tick(main, 60000)) << "tick " << i;
      if (change && alarmMode) {
        ASSERT_TRUE(visible(main)) << "no summary at tick " << i;
        click(findControl(main, kBtActivate));  // Reactivate
        ASSERT_TRUE(waitUntil([&] { return !visible(main); }, kStepTimeout)) << "Reactivate at tick " << i;
      }
      if (i == 1000 || i == 5000 || i == kTicks) {
        seen.push_back(usageOf(processes.back().handle(), processes.back().pid()));
        const Usage& u = seen.back();
        std::printf(
            "  [load] %s mode, %5d ticks (%.0f s): private %.2f MB, working set %.2f MB, windows %zu, "
            "open files %d (wineserver %d)\n",
            alarmMode ? "alarm" : "SMTP", i, secondsSince(start), u.privateMb, u.workingSetMb, u.windows,
            u.programFiles, u.serverFiles);
      }
    }
    ASSERT_EQ(seen.size(), 3u);
    ASSERT_GT(seen[0].privateMb, 0.0) << "no memory figure";
    EXPECT_LT(seen[2].privateMb - seen[0].privateMb, 1.0) << "memory grows with the ticks";
    EXPECT_EQ(seen[2].windows, seen[0].windows) << "windows pile up";
    ASSERT_GT(seen[0].programFiles, 0) << "no open-file figure";
    EXPECT_LE(seen[2].programFiles, seen[0].programFiles + 8) << "files or sockets left open with the ticks";
    // The wineserver serves every Wine process here and settles later than the program.
    EXPECT_LE(seen[2].serverFiles, seen[1].serverFiles + 8) << "the wineserver's files grow with the ticks";
    EXPECT_EQ(waitMessageBox(processes.back().pid(), 200).window, nullptr);
  }

  // The summary panel answers: it scrolls to its end, and the print and append
  // buttons open their dialogs, which are cancelled.
  void expectPanelUsable(HWND main, int lines) {
    HWND memo = control(main, kMeSummary);
    DWORD_PTR result = 0;
    ASSERT_NE(SendMessageTimeoutA(memo, WM_VSCROLL, SB_BOTTOM, 0, SMTO_NORMAL, 5000, &result), 0u) << "memo hangs";
    DWORD_PTR first = 0;
    SendMessageTimeoutA(memo, EM_GETFIRSTVISIBLELINE, 0, 0, SMTO_NORMAL, 5000, &first);
    EXPECT_GT(first, static_cast<DWORD_PTR>(lines - 100)) << "the memo did not scroll to its end";
    for (int button : {kBtAppend, kBtPrint}) {
      const auto start = std::chrono::steady_clock::now();
      click(control(main, button));
      const MessageBoxSeen dialog = waitMessageBox(processes.back().pid(), 15000);
      ASSERT_NE(dialog.window, nullptr) << "button " << button << " did not answer";
      std::printf("  [load] dialog of button %d after %.2f s\n", button, secondsSince(start));
      // Without a printer the dialog is followed by a box that says so: every box
      // the click brought up is closed before going on.
      for (MessageBoxSeen box = dialog; box.window; box = waitMessageBox(processes.back().pid(), 1500)) {
        PostMessageA(box.window, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(closedWithin(box.window)) << box.text;
      }
    }
  }
};

TEST_F(ParvexLoadE2E, HundredThousandDeletedAndAddedEntriesInAlarmMode) {
  const std::string big = bigFolder();
  if (big.empty()) GTEST_SKIP() << "no folder of many entries";
  HWND main = startWatchingBig(big);
  ASSERT_NE(main, nullptr);

  // Every entry is deleted at once.
  ASSERT_TRUE(emptyFolder(big));
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(tick(main, 120000)) << "the tick did not end";
  ASSERT_TRUE(shownWithin(main, 60000));
  std::printf("  [load] tick to %d deleted entries on screen: %.2f s\n", kHugeSet, secondsSince(start));
  auto lines = summaryLines(main);
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kHugeSet + 2));
  EXPECT_EQ(lines[2].rfind("Deleted " + big + "\\entry-", 0), 0u) << lines[2];
  expectPanelUsable(main, kHugeSet + 2);

  // Reactivate with the folder empty, then the entries come back: every one is new.
  settle(main);
  click(control(main, kBtActivate));
  ASSERT_TRUE(hiddenWithin(main, 60000));
  settle(main);
  ASSERT_TRUE(refillFolder(big));
  start = std::chrono::steady_clock::now();
  ASSERT_TRUE(tick(main, 120000));
  // A tick that meets one still under way does nothing; the next one reports.
  if (!shownWithin(main, 3000)) {
    ASSERT_TRUE(tick(main, 120000));
  }
  ASSERT_TRUE(shownWithin(main, 60000));
  std::printf("  [load] tick to %d added entries on screen: %.2f s\n", kHugeSet, secondsSince(start));
  lines = summaryLines(main);
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kHugeSet + 2));
  EXPECT_EQ(lines.back().rfind("Added " + big + "\\entry-", 0), 0u) << lines.back();
}

TEST_F(ParvexLoadE2E, HundredThousandDeletedEntriesAreMailedComplete) {
  const std::string big = bigFolder();
  if (big.empty()) GTEST_SKIP() << "no folder of many entries";
  useSmtp();
  HWND main = startWatchingBig(big);
  ASSERT_NE(main, nullptr);
  const int before = test::SinkMessageCount();
  ASSERT_TRUE(emptyFolder(big));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(tick(main, 180000)) << "the tick did not end";
  ASSERT_TRUE(waitUntil([&] { return !test::SinkMessage(before + 1).empty(); }, 60000)) << "no message";
  std::printf("  [load] tick to the message of %d deleted entries stored: %.2f s\n", kHugeSet, secondsSince(start));
  const std::string stored = test::SinkMessage(before + 1);
  int deleted = 0;
  for (std::size_t at = stored.find("\r\nDeleted "); at != std::string::npos; at = stored.find("\r\nDeleted ", at + 2))
    ++deleted;
  EXPECT_EQ(deleted, kHugeSet);
  EXPECT_NE(stored.find("Deleted " + big + "\\entry-" + std::to_string(100000 + kHugeSet - 1) + ".dat\r\n"),
            std::string::npos);
  EXPECT_EQ(waitMessageBox(processes.back().pid(), 200).window, nullptr);
  processes.back().kill();
  refillFolder(big);
}

TEST_F(ParvexLoadE2E, TenThousandTicksKeepMemoryAndHandlesFlat) {
  const bool servers = !test::ServerDir().empty();
  for (bool alarmMode : {true, false}) {
    if (!alarmMode && !servers) continue;
    SCOPED_TRACE(alarmMode ? "alarm mode" : "SMTP mode");
    clearSettings();
    const std::string base = work + (alarmMode ? "\\alarm-" : "\\smtp-");
    for (int f = 0; f < 20; ++f) {
      makeFiles(base + std::to_string(f), 10);
      putString("Start", ("Dir" + std::to_string(f + 1)).c_str(), base + std::to_string(f));
    }
    if (!alarmMode) useSmtp();
    HWND main = startMonitoringAutomatically("600");
    ASSERT_NE(main, nullptr);
    const int before = servers ? test::SinkMessageCount() : 0;
    longRun(main, alarmMode, base);
    if (!alarmMode) {
      EXPECT_EQ(test::SinkMessageCount() - before, 20) << "one message per change";
    }
    processes.back().kill();
  }
}

}  // namespace
}  // namespace e2e
