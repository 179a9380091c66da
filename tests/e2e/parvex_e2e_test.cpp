// Drives the real parvex.exe as a user would: through its windows, its controls
// and its tray icon, with the settings read back from the registry.
#include "app/win32/smtp_security_controls.h"
#include "e2e_fixture.h"

namespace e2e {
namespace {

using namespace parvex::smtp_security;

TEST_F(ParvexE2E, FirstRunShowsTheDefaultsInTheDesignedLayout) {
  Process* p = nullptr;
  HWND main = startShown(p);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(text(main), kMainWindowCaption);
  const RECT outer = windowRect(main);
  EXPECT_EQ(outer.right - outer.left, 407);

  for (int slot = 1; slot <= 20; ++slot) EXPECT_EQ(text(control(main, kEdFirst + slot - 1)), "") << slot;
  EXPECT_EQ(text(control(main, kNSecs)), "60");
  EXPECT_TRUE(checked(control(main, kCbNew)));
  EXPECT_TRUE(checked(control(main, kCbChange)));
  EXPECT_TRUE(checked(control(main, kCbDelete)));
  EXPECT_FALSE(checked(control(main, kCbAutoStart)));
  EXPECT_TRUE(checked(control(main, kRbSoundAlarm)));
  EXPECT_FALSE(checked(control(main, kRbSendEmail)));
  EXPECT_TRUE(checked(control(main, kRbMAPI)));
  EXPECT_FALSE(checked(control(main, kRbSMTP)));
  EXPECT_EQ(text(control(main, kEdWave)), "");
  EXPECT_EQ(text(control(main, kBtActivate)), "Activate");
  EXPECT_FALSE(visible(control(main, kPanel1)));

  struct Placed {
    int id;
    RECT expected;  // left, top, right, bottom in the main window's client area
  } placed[] = {
      {kPageControl2, {4, 5, 401, 342}}, {kCbAutoStart, {32, 350, -1, -1}},   {kBtHelp, {38, 376, 113, 401}},
      {kBtAbout, {123, 376, 198, 401}},  {kBtActivate, {207, 376, 282, 401}}, {kBtClose, {292, 376, 367, 401}},
  };
  for (const auto& c : placed) {
    const RECT r = rectIn(control(main, c.id), main);
    EXPECT_EQ(r.left, c.expected.left) << c.id;
    EXPECT_EQ(r.top, c.expected.top) << c.id;
    if (c.expected.right >= 0) {
      EXPECT_EQ(r.right, c.expected.right) << c.id;
    }
    if (c.expected.bottom >= 0) {
      EXPECT_EQ(r.bottom, c.expected.bottom) << c.id;
    }
  }
  // Inside the pages, positions are relative to the page or the scroll box.
  struct Nested {
    int id, parent, left, top, width, height;  // a width or height of 0 is not checked
  } nested[] = {
      {kScrollBox1, kPageFolders, 8, 19, 373, 197},
      {kEdFirst, kScrollBox1, 18, 3, 303, 0},
      {kSbFirst, kScrollBox1, 325, 3, 22, 21},
      {kEdFirst + 1, kScrollBox1, 18, 27, 303, 0},
      {kNSecs, kPageFolders, 64, 263, 54, 0},
      {kCbNew, kPageFolders, 216, 244, 0, 0},
      {kCbChange, kPageFolders, 216, 264, 0, 0},
      {kCbDelete, kPageFolders, 216, 284, 0, 0},
      {kRbSoundAlarm, kPageNotification, 8, 16, 0, 0},
      {kPnlAlarm, kPageNotification, 24, 40, 362, 52},
      {kEdWave, kPnlAlarm, 8, 24, 283, 0},
      {kRbSendEmail, kPageNotification, 8, 104, 0, 0},
      {kPageControl1, kPageNotification, 21, 131, 364, 171},
  };
  for (const auto& c : nested) {
    const RECT r = rectIn(control(main, c.id), control(main, c.parent));
    EXPECT_EQ(r.left, c.left) << c.id;
    EXPECT_EQ(r.top, c.top) << c.id;
    if (c.width) {
      EXPECT_EQ(r.right - r.left, c.width) << c.id;
    }
    if (c.height) {
      EXPECT_EQ(r.bottom - r.top, c.height) << c.id;
    }
  }
  screenshot(main, "folders-page");

  HWND tabs = control(main, kPageControl2);
  ASSERT_TRUE(selectTab(tabs, 1)) << "Notification page not selected";
  EXPECT_TRUE(shownWithin(control(main, kPageNotification), kStepTimeout));
  EXPECT_TRUE(visible(control(main, kPnlAlarm)));
  EXPECT_FALSE(visible(control(main, kPageControl1)));
  screenshot(main, "notification-alarm");
  // "Test" plays the alarm file there and then.
  HWND test = control(main, kButton2);
  EXPECT_EQ(text(test), "&Test");
  EXPECT_EQ(hintOf(p->pid(), test), "Play the sound file as a test");
  setText(control(main, kEdWave), alarm);
  click(test);
  EXPECT_TRUE(waitUntil([&] { return fileExists(marker); }, kStepTimeout)) << "Test did not open the alarm file";

  click(control(main, kRbSendEmail));
  EXPECT_TRUE(waitUntil([&] { return visible(control(main, kPageControl1)); }, kStepTimeout));
  EXPECT_FALSE(visible(control(main, kPnlAlarm)));
  EXPECT_FALSE(visible(control(main, kPnlSMTP)));
  screenshot(main, "notification-email-mapi");

  click(control(main, kRbSMTP));
  EXPECT_TRUE(waitUntil([&] { return visible(control(main, kPnlSMTP)); }, kStepTimeout));
  screenshot(main, "notification-email-smtp");

  // The sign-in is chosen in its own dialog and kept with the rest, the password sealed.
  ASSERT_TRUE(visible(control(main, kBtSmtpSecurity)));
  click(control(main, kBtSmtpSecurity));
  HWND security = nullptr;
  EXPECT_TRUE(waitUntil(
      [&] {
        security = findTopLevel(p->pid(), kSmtpSecurityWindowClass, 0);
        return visible(security);
      },
      kStepTimeout));
  ASSERT_NE(security, nullptr);
  EXPECT_TRUE(checked(findControl(security, kRbSecurityNone)));
  click(findControl(security, kRbSecurityStartTls));
  setText(findControl(security, kEdSmtpUser), "me@example.com");
  setText(findControl(security, kEdSmtpPassword), "pass word 17");
  screenshot(security, "smtp-security");
  click(findControl(security, IDOK));
  EXPECT_TRUE(waitUntil([&] { return !visible(security); }, kStepTimeout));

  // Closing saves: the first run's values are now in the registry.
  click(control(main, kBtClose));
  ASSERT_TRUE(p->waitExit(kStepTimeout));
  EXPECT_EQ(getString("Opts", "Nsecs"), "60");
  EXPECT_EQ(getString("Opts", "SoundAlarm"), "0");
  EXPECT_EQ(getString("Opts", "MAPI"), "0");
  EXPECT_EQ(getString("Start", "Dir1"), "");
  EXPECT_EQ(getString("Opts", "SmtpSecurity"), "1");
  EXPECT_EQ(getString("Opts", "SmtpUser"), "me@example.com");
  const std::string sealed = getString("Opts", "SmtpPassword").value_or("");
  EXPECT_FALSE(sealed.empty());
  EXPECT_EQ(sealed.find("pass"), std::string::npos);
}

TEST_F(ParvexE2E, TypedSettingsSurviveARestart) {
  // Names outside the ANSI code page, as they are typed, stored and shown.
  watchScriptsFolder();
  alarm = work + "\\\xE8\xAD\xA6\xE6\x8A\xA5 Alarm.bat";  // 警报 Alarm.bat
  Process* p = nullptr;
  HWND main = startShown(p);
  ASSERT_NE(main, nullptr);
  setSlot(main, 3, watched);
  setText(control(main, kNSecs), "17");
  setText(control(main, kEdWave), alarm);
  click(control(main, kCbDelete));
  ASSERT_TRUE(waitUntil([&] { return !checked(control(main, kCbDelete)); }, kStepTimeout));
  click(control(main, kBtClose));
  ASSERT_TRUE(p->waitExit(kStepTimeout));

  EXPECT_EQ(getString("Start", "Dir3"), watched);
  EXPECT_EQ(getString("Opts", "Nsecs"), "17");
  EXPECT_EQ(getString("Opts", "Wav"), alarm);
  EXPECT_EQ(getString("Opts", "Delete"), "0");
  EXPECT_EQ(getString("Opts", "New"), "1");

  main = startShown(p);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(text(control(main, kEdFirst + 2)), watched);
  EXPECT_EQ(text(control(main, kNSecs)), "17");
  EXPECT_EQ(text(control(main, kEdWave)), alarm);
  EXPECT_FALSE(checked(control(main, kCbDelete)));
  EXPECT_TRUE(checked(control(main, kCbNew)));
  screenshot(main, "settings-every-script");
}

TEST_F(ParvexE2E, ActivationIsRefusedWithoutFoldersOrOptions) {
  Process* p = nullptr;
  HWND main = startShown(p);
  ASSERT_NE(main, nullptr);
  setText(control(main, kNSecs), "5");
  setSlot(main, 4, "   ");
  click(control(main, kBtActivate));
  MessageBoxSeen box = waitMessageBox(p->pid(), kStepTimeout);
  ASSERT_NE(box.window, nullptr) << "no refusal message";
  EXPECT_NE(box.text.find("You didn't select any directories.  Parvex will not be activated."), std::string::npos)
      << box.text;
  dismiss(box.window);
  ASSERT_TRUE(closedWithin(box.window));
  EXPECT_TRUE(visible(main));

  setSlot(main, 4, watched);
  for (int id : {kCbNew, kCbChange, kCbDelete}) click(control(main, id));
  ASSERT_TRUE(waitUntil([&] { return !checked(control(main, kCbDelete)); }, kStepTimeout));
  click(control(main, kBtActivate));
  box = waitMessageBox(p->pid(), kStepTimeout);
  ASSERT_NE(box.window, nullptr);
  EXPECT_NE(box.text.find("You didn't select any notification options.  Parvex will not be activated."),
            std::string::npos)
      << box.text;
  dismiss(box.window);
  ASSERT_TRUE(closedWithin(box.window));
  EXPECT_TRUE(visible(main));
  EXPECT_FALSE(getString("Start", "Dir4").has_value()) << "a refused activation saved the settings";

  // Had a refusal left the timer running, its tick would report the folder's
  // entries against the empty baseline.
  click(control(main, kCbNew));
  ASSERT_TRUE(waitUntil([&] { return checked(control(main, kCbNew)); }, kStepTimeout));
  writeFile(watched + "\\after-refusal.txt", "x");
  // Nothing marks a tick that did not happen: watch for its summary over more than an interval.
  EXPECT_FALSE(waitUntil([&] { return visible(control(main, kPanel1)); }, kQuietTimeout))
      << "timer ran after a refusal";
}

TEST_F(ParvexE2E, FolderPickerFillsASlotButNotWithAnotherSlotsFolder) {
  Process* p = nullptr;
  HWND main = startShown(p);
  ASSERT_NE(main, nullptr);
  // Wine's picker walks its tree reliably down to the Windows folder (one level
  // below the drive), not to deeper folders made during the run.
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string folder = windows;
  setSlot(main, 3, folder);
  setSlot(main, 9, folder + "\\");
  const auto openPicker = [&] {
    click(control(main, kSbFirst + 2));
    return waitMessageBox(p->pid(), kStepTimeout);
  };

  MessageBoxSeen picker = openPicker();
  ASSERT_NE(picker.window, nullptr) << "folder picker did not open";
  EXPECT_NE(picker.text.find("Directories to monitor"), std::string::npos) << picker.text;
  const RECT r = windowRect(picker.window);
  EXPECT_LE(std::abs((r.left + r.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
  EXPECT_LE(std::abs((r.top + r.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
  screenshot(picker.window, "folder-picker");
  PostMessageA(picker.window, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(closedWithin(picker.window));
  // The picker returns the slot's own folder with a final backslash: slot 9's text.
  const MessageBoxSeen refusal = waitMessageBox(p->pid(), kStepTimeout);
  ASSERT_NE(refusal.window, nullptr) << "duplicate folder accepted: " << text(control(main, kEdFirst + 2));
  EXPECT_EQ(lower(refusal.text), lower("You are already monitoring this directory - " + folder + "\\"));
  dismiss(refusal.window);
  ASSERT_TRUE(closedWithin(refusal.window));
  EXPECT_EQ(text(control(main, kEdFirst + 2)), folder);

  picker = openPicker();
  ASSERT_NE(picker.window, nullptr);
  PostMessageA(picker.window, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(closedWithin(picker.window));
  EXPECT_EQ(text(control(main, kEdFirst + 2)), folder) << "cancel changed the slot";

  setSlot(main, 9, "");
  picker = openPicker();
  ASSERT_NE(picker.window, nullptr);
  PostMessageA(picker.window, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(closedWithin(picker.window));
  EXPECT_TRUE(waitUntil([&] { return lower(text(control(main, kEdFirst + 2))) == lower(folder + "\\"); }, kStepTimeout))
      << text(control(main, kEdFirst + 2));

  // A folder named outside the ANSI code page, one level below the drive too.
  const std::string scripts = "C:\\" + kScriptsFolder + "-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(scripts.c_str(), nullptr);
  setSlot(main, 3, scripts);
  picker = openPicker();
  ASSERT_NE(picker.window, nullptr);
  screenshot(picker.window, "folder-picker-every-script");
  PostMessageA(picker.window, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(closedWithin(picker.window));
  EXPECT_TRUE(waitUntil([&] { return text(control(main, kEdFirst + 2)) == scripts + "\\"; }, kStepTimeout))
      << text(control(main, kEdFirst + 2));
  RemoveDirectoryA(scripts.c_str());
}

TEST_F(ParvexE2E, MonitoringShowsTheSummaryOnTopAndPlaysTheAlarm) {
  Process* p = nullptr;
  HWND main = startShown(p);
  ASSERT_NE(main, nullptr);
  HWND tray = activateWatching(*p, main);
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(getString("Opts", "Nsecs"), "5") << "activation saves the settings";

  const std::string added = watched + "\\new.txt";
  writeFile(added, "new");
  ASSERT_TRUE(shownWithin(main, kTickTimeout)) << "no summary within one interval";
  EXPECT_TRUE(topmost(main));
  EXPECT_TRUE(visible(control(main, kPanel1)));
  const RECT panel = rectIn(control(main, kPanel1), main);
  EXPECT_EQ(panel.left, 2);
  EXPECT_EQ(panel.top, 2);
  EXPECT_EQ(panel.right - panel.left, 402);
  EXPECT_EQ(panel.bottom - panel.top, 368);
  EXPECT_EQ(text(control(main, kBtActivate)), "Reactivate");
  const auto lines = summaryLines(main);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind("Date/Time ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], " ");
  EXPECT_EQ(countLines(lines, "Added " + added), 1);
  EXPECT_EQ(lines.size(), 3u);
  EXPECT_TRUE(waitUntil([&] { return fileExists(marker); }, kStepTimeout)) << "alarm file was not opened";
  screenshot(main, "summary-panel");

  // Reactivate: the change just shown is the new baseline.
  click(control(main, kBtActivate));
  ASSERT_TRUE(hiddenWithin(main, kStepTimeout));
  EXPECT_FALSE(visible(control(main, kPanel1)));
  screenshot(notificationArea(), "notification-area");
  // A repeated report would show the window again: watch it over more than an interval.
  EXPECT_FALSE(shownWithin(main, kQuietTimeout)) << "the change was reported again after Reactivate";

  ASSERT_TRUE(chooseTrayMenuItem(p->pid(), tray, 0)) << "tray menu did not open";
  EXPECT_TRUE(shownWithin(main, kStepTimeout)) << "Show main menu did not show the window";

  // Exit from the tray menu ends the program without saving.
  setText(control(main, kNSecs), "9");
  ASSERT_TRUE(chooseTrayMenuItem(p->pid(), tray, 1));
  ASSERT_TRUE(p->waitExit(kStepTimeout)) << "Exit did not end the program";
  EXPECT_EQ(getString("Opts", "Nsecs"), "5");
}

TEST_F(ParvexE2E, ShowMainMenuStopsScanning) {
  Process* p = nullptr;
  HWND main = startShown(p);
  ASSERT_NE(main, nullptr);
  HWND tray = activateWatching(*p, main);
  ASSERT_NE(tray, nullptr);
  ASSERT_TRUE(chooseTrayMenuItem(p->pid(), tray, 0));
  ASSERT_TRUE(shownWithin(main, kStepTimeout));
  writeFile(watched + "\\unseen.txt", "x");
  // A scan would bring up the summary panel: watch for it over more than an interval.
  EXPECT_FALSE(waitUntil([&] { return visible(control(main, kPanel1)); }, kQuietTimeout))
      << "scanned after Show main menu";
}

TEST_F(ParvexE2E, SecondCopyExitsAtOnceWhileTheFirstRunsOn) {
  Process* first = nullptr;
  HWND main = startShown(first);
  ASSERT_NE(main, nullptr);
  Process& second = start();
  bool secondShowedAWindow = false;
  waitUntil(
      [&] {
        for (HWND w : topLevelWindows(second.pid(), kMainWindowClass)) secondShowedAWindow |= visible(w) != 0;
        return !second.running();
      },
      kStartTimeout);
  EXPECT_FALSE(secondShowedAWindow);
  ASSERT_TRUE(second.waitExit(0)) << "second copy kept running";
  EXPECT_EQ(second.exitCode(), 0u);
  EXPECT_TRUE(first->running());
  EXPECT_TRUE(visible(main));
}

TEST_F(ParvexE2E, AutoStartMonitorsWithoutShowingTheWindow) {
  putString("Start", "Dir1", watched);
  putString("Opts", "Nsecs", "5");
  putString("Opts", "Wav", alarm);
  putString("Opts", "AutoStart", "1");
  Process& p = start();
  ASSERT_NE(findTopLevel(p.pid(), "TTrayIconWindow", kStartTimeout), nullptr);
  HWND main = mainWindow(p);
  ASSERT_NE(main, nullptr);
  // Start-up is over once the window answers; a configuration screen would be up by
  // then, or shortly after: the window is watched a little longer.
  ASSERT_TRUE(answers(main, kStartTimeout));
  EXPECT_FALSE(shownWithin(main, 1500)) << "auto-start showed the configuration screen";
  writeFile(watched + "\\auto.txt", "x");
  ASSERT_TRUE(shownWithin(main, kTickTimeout));
  EXPECT_EQ(countLines(summaryLines(main), "Added " + watched + "\\auto.txt"), 1);
}

TEST_F(ParvexE2E, ValueOfTheWrongTypeShowsTheErrorAndKeepsTheWindowReachable) {
  struct Case {
    const char* name;
    bool autoStart;
    const char* wrongValue;
  } cases[] = {
      {"without auto-start", false, "SoundAlarm"},
      // Read after AutoStart, so the auto-start box is already ticked when it fails.
      {"with auto-start", true, "SoundAlarm"},
      {"auto-start itself", false, "AutoStart"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clearSettings();
    putString("Start", "Dir1", watched);
    if (c.autoStart) putString("Opts", "AutoStart", "1");
    putDword("Opts", c.wrongValue, 1);
    Process& p = start();
    const MessageBoxSeen box = waitMessageBox(p.pid(), kStartTimeout);
    ASSERT_NE(box.window, nullptr) << "no error box";
    EXPECT_NE(box.text.find("Invalid data type for '" + std::string(c.wrongValue) + "'"), std::string::npos)
        << box.text;
    EXPECT_EQ(box.caption, kProgramTitle);
    dismiss(box.window);
    HWND main = mainWindow(p);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(shownWithin(main, kStepTimeout)) << "window not reachable after the read error";
    // A second report would be another box: the program is let finish its start-up, then
    // watched a little longer for one.
    EXPECT_TRUE(answers(main, kStepTimeout));
    EXPECT_EQ(waitMessageBox(p.pid(), 1500).window, nullptr) << "the error was reported twice";
    p.kill();
  }
}

TEST_F(ParvexE2E, TwentySlotsOnOneFolderReportEachCopyAndNothingElse) {
  for (int slot = 1; slot <= 20; ++slot) putString("Start", ("Dir" + std::to_string(slot)).c_str(), watched);
  HWND main = startMonitoringAutomatically();
  ASSERT_NE(main, nullptr);
  writeFile(watched + "\\dup.txt", "x");
  ASSERT_TRUE(shownWithin(main, kTickTimeout));
  const auto lines = summaryLines(main);
  EXPECT_EQ(countLines(lines, "Added " + watched + "\\dup.txt"), 20);
  for (const auto& line : lines) {
    EXPECT_NE(line.rfind("Deleted ", 0), 0u) << line;
    EXPECT_NE(line.rfind("Changed ", 0), 0u) << line;
  }
}

TEST_F(ParvexE2E, SlotNamingAFileIsHarmless) {
  putString("Start", "Dir1", watched + "\\existing.txt");
  putString("Start", "Dir2", watched);
  HWND main = startMonitoringAutomatically();
  ASSERT_NE(main, nullptr);
  writeFile(watched + "\\beside.txt", "x");
  ASSERT_TRUE(shownWithin(main, kTickTimeout));
  EXPECT_TRUE(processes.back().running());
  EXPECT_EQ(countLines(summaryLines(main), "Added " + watched + "\\beside.txt"), 1);
}

// A folder that cannot be listed is told in the summary, not taken as every
// entry deleted (a share that drops looks the same as a folder removed).
TEST_F(ParvexE2E, FolderGoneWhileMonitoredIsToldNotListedAsDeleted) {
  writeFile(watched + "\\second.txt", "2");
  putString("Start", "Dir1", watched);
  HWND main = startMonitoringAutomatically();
  ASSERT_NE(main, nullptr);
  RemoveTree(watched);
  ASSERT_FALSE(fileExists(watched));
  ASSERT_TRUE(shownWithin(main, kTickTimeout));
  const auto lines = summaryLines(main);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2].rfind("Could not list the folder " + watched + ": ", 0), 0u) << lines[2];
}

}  // namespace
}  // namespace e2e
