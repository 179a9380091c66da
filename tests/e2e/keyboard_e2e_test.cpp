// The program with the keyboard alone, through the system's keyboard input:
// Tab reaches every control of a page, the "&" letters of a page are its own,
// Enter activates, and the tray icon's menu key brings the window back.
#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "app/win32/smtp_security_controls.h"
#include "e2e_fixture.h"

namespace e2e {
namespace {

INPUT Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

void Send(std::vector<INPUT> inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Sleep(30);  // the program's loop takes them in turn
}

void Press(WORD vk) { Send({Key(vk, false), Key(vk, true)}); }
void ShiftTab() { Send({Key(VK_SHIFT, false), Key(VK_TAB, false), Key(VK_TAB, true), Key(VK_SHIFT, true)}); }
void Chord(WORD modifier, WORD vk) { Send({Key(modifier, false), Key(vk, false), Key(vk, true), Key(modifier, true)}); }

void Type(const std::string& text) {
  std::vector<INPUT> inputs;
  for (unsigned char c : text) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wScan = c;
    in.ki.dwFlags = KEYEVENTF_UNICODE;
    inputs.push_back(in);
    in.ki.dwFlags |= KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  Send(inputs);
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

bool FocusWithin(HWND window, HWND expected) {
  return waitUntil([&] { return FocusOf(window) == expected; }, 3000);
}

// The mnemonic letters of the controls shown now, with the texts that carry each.
std::map<char, std::vector<std::string>> ShownMnemonics(HWND main) {
  std::map<char, std::vector<std::string>> letters;
  for (HWND c : descendants(main)) {
    if (!IsWindowVisible(c)) continue;
    const std::string caption = text(c);
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
      if (caption[i] != '&') continue;
      if (caption[i + 1] == '&') {
        ++i;
        continue;
      }
      letters[static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])))].push_back(caption);
      break;
    }
  }
  return letters;
}

void ExpectUniqueMnemonics(HWND main, const std::string& page) {
  for (const auto& [letter, captions] : ShownMnemonics(main)) {
    std::string all;
    for (const auto& c : captions) all += " \"" + c + "\"";
    EXPECT_EQ(captions.size(), 1u) << page << ": &" << letter << " on" << all;
  }
}

// The controls Tab visits from `start` until it comes back (then the last one
// is `start` again), at most 80.
std::vector<HWND> TabCycle(HWND main, HWND start, bool backward = false) {
  std::vector<HWND> seen{start};
  for (int i = 0; i < 80; ++i) {
    if (backward) {
      ShiftTab();
    } else {
      Press(VK_TAB);
    }
    HWND now = nullptr;
    waitUntil(
        [&] {
          now = FocusOf(main);
          return now != seen.back();
        },
        2000);
    seen.push_back(now);
    if (now == start) break;
  }
  return seen;
}

std::string Describe(const std::vector<HWND>& windows) {
  std::string text;
  for (HWND w : windows) text += " " + className(w) + "#" + std::to_string(GetDlgCtrlID(w));
  return text;
}

std::vector<HWND> TabStops(HWND main) {
  std::vector<HWND> stops;
  for (HWND c : descendants(main))
    if (IsWindowVisible(c) && IsWindowEnabled(c) && (GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP)) stops.push_back(c);
  return stops;
}

TEST_F(ParvexE2E, ConfiguredActivatedAndReopenedWithTheKeyboardAlone) {
  Process* p = nullptr;
  HWND main = startShown(p);
  ASSERT_NE(main, nullptr);
  SetForegroundWindow(main);
  ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == main; }, kStepTimeout)) << "no keyboard focus";

  // Folders page: its letters, and Tab round every control shown.
  ExpectUniqueMnemonics(main, "Folders");
  Chord(VK_MENU, 'M');
  HWND slot1 = control(main, kEdFirst);
  ASSERT_TRUE(FocusWithin(main, slot1)) << "Alt+M did not reach the first folder";
  std::vector<HWND> cycle = TabCycle(main, slot1);
  ASSERT_EQ(cycle.back(), slot1) << "Tab never came back:" << Describe(cycle);
  cycle.pop_back();
  std::vector<HWND> stops = TabStops(main);
  std::vector<HWND> visited = cycle;
  std::sort(stops.begin(), stops.end());
  std::sort(visited.begin(), visited.end());
  EXPECT_EQ(visited, stops) << "Tab visited" << Describe(cycle) << "\nof" << Describe(stops);
  // Shift+Tab goes the same way back.
  std::vector<HWND> back = TabCycle(main, slot1, true);
  std::reverse(back.begin(), back.end());
  back.pop_back();
  EXPECT_EQ(Describe(back), Describe(cycle)) << "Shift+Tab";
  // Reading order within the folder list: each slot, then its folder button.
  ASSERT_GE(cycle.size(), 4u);
  EXPECT_EQ(cycle[1], control(main, kSbFirst));
  EXPECT_EQ(cycle[2], control(main, kEdFirst + 1));

  ASSERT_TRUE(FocusWithin(main, slot1));
  Type(watched);
  Chord(VK_MENU, 'E');
  ASSERT_TRUE(FocusWithin(main, control(main, kNSecs))) << "Alt+E did not reach the interval";
  Press(VK_HOME);
  Chord(VK_SHIFT, VK_END);
  Type("5");

  // The Notification page through its tab, then the alarm file by its letter.
  HWND tabs = control(main, kPageControl2);
  for (int i = 0; i < 60 && FocusOf(main) != tabs; ++i) Press(VK_TAB);
  ASSERT_EQ(FocusOf(main), tabs) << "Tab never reached the page tabs";
  Press(VK_RIGHT);
  ASSERT_TRUE(waitUntil([&] { return visible(control(main, kEdWave)); }, kStepTimeout)) << "Right did not turn the page";
  ExpectUniqueMnemonics(main, "Notification");
  Chord(VK_MENU, 'F');
  ASSERT_TRUE(FocusWithin(main, control(main, kEdWave))) << "Alt+F did not reach the sound file";
  Type(alarm);
  screenshot(main, "keyboard-notification-page");

  // Enter acts as the default button, Activate.
  Press(VK_RETURN);
  ASSERT_TRUE(hiddenWithin(main, kStepTimeout)) << "Enter did not activate";
  EXPECT_EQ(getString("Opts", "Nsecs"), "5");
  EXPECT_EQ(text(control(main, kEdFirst)), watched);
  EXPECT_EQ(text(control(main, kEdWave)), alarm);

  // The menu key on the tray icon: the shell sends WM_CONTEXTMENU with the
  // icon's place; the menu is then worked with the keys.
  HWND tray = findTopLevel(p->pid(), "TTrayIconWindow", kStepTimeout);
  ASSERT_NE(tray, nullptr);
  PostMessageA(tray, WM_USER + 1, MAKEWPARAM(200, 200), MAKELPARAM(WM_CONTEXTMENU, 0));
  HWND menu = nullptr;
  ASSERT_TRUE(waitUntil(
      [&] {
        for (HWND m : topLevelWindows(p->pid(), "#32768"))
          if (IsWindowVisible(m)) menu = m;
        return menu != nullptr;
      },
      kStepTimeout))
      << "the menu key opened no menu";
  Press(VK_DOWN);
  Press(VK_RETURN);
  ASSERT_TRUE(shownWithin(main, kStepTimeout)) << "Show main menu by keys did not bring the window back";
  EXPECT_EQ(text(control(main, kEdFirst)), watched);

  // The security dialog by its letters: its own letters, Tab round its
  // controls from the first, and Escape closes it.
  SetForegroundWindow(main);
  ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == main; }, kStepTimeout));
  Chord(VK_MENU, 'M');  // Send e-mail on file change
  Chord(VK_MENU, 'P');  // Use SMTP to send e-mail
  ASSERT_TRUE(waitUntil([&] { return visible(control(main, kBtSmtpSecurity)); }, kStepTimeout)) << "Alt+M, Alt+P";
  Chord(VK_MENU, 'Y');
  HWND dialog = findTopLevel(p->pid(), parvex::smtp_security::kSmtpSecurityWindowClass, kStepTimeout);
  ASSERT_NE(dialog, nullptr) << "Alt+Y opened no dialog";
  ASSERT_TRUE(shownWithin(dialog, kStepTimeout));
  ExpectUniqueMnemonics(dialog, "Security dialog");
  Chord(VK_MENU, 'U');
  HWND user = findControl(dialog, parvex::smtp_security::kEdSmtpUser);
  ASSERT_TRUE(FocusWithin(dialog, user)) << "Alt+U did not reach the user name";
  std::vector<HWND> ring = TabCycle(dialog, user);
  EXPECT_EQ(ring.back(), user) << "Tab never came back:" << Describe(ring);
  ring.pop_back();
  std::vector<HWND> dialogStops = TabStops(dialog);
  std::sort(ring.begin(), ring.end());
  std::sort(dialogStops.begin(), dialogStops.end());
  EXPECT_EQ(ring, dialogStops);
  Press(VK_ESCAPE);
  EXPECT_TRUE(waitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, kStepTimeout))
      << "Escape did not close the dialog";
}

// The summary as it pops up: the keys work what is seen (the report, its two
// buttons and the buttons below), never the settings the panel covers.
TEST_F(ParvexE2E, SummaryPanelWorkedWithTheKeyboardAlone) {
  putString("Start", "Dir1", watched);
  HWND main = startMonitoringAutomatically();
  ASSERT_NE(main, nullptr);
  writeFile(watched + "\\keys.txt", "x");
  ASSERT_TRUE(shownWithin(main, kTickTimeout)) << "no summary";
  // The alarm file opens with the summary and takes the keyboard; the user
  // comes back to the summary.
  ASSERT_TRUE(waitUntil([&] { return fileExists(marker); }, kStepTimeout)) << "the alarm did not play";
  Sleep(500);
  SetForegroundWindow(main);
  ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == main; }, kStepTimeout)) << "no keyboard focus";
  HWND memo = control(main, kMeSummary);
  ASSERT_TRUE(FocusWithin(main, memo)) << "the summary opened with the focus on" << Describe({FocusOf(main)});

  ExpectUniqueMnemonics(main, "Summary");
  const std::vector<HWND> cycle = TabCycle(main, memo);
  const std::vector<HWND> expected = {memo,
                                      control(main, kBtPrint),
                                      control(main, kBtAppend),
                                      control(main, kBtHelp),
                                      control(main, kBtAbout),
                                      control(main, kBtActivate),
                                      control(main, kBtClose),
                                      memo};
  EXPECT_EQ(Describe(cycle), Describe(expected));

  Chord(VK_MENU, 'A');
  HWND save = waitMessageBox(processes.back().pid(), kStepTimeout).window;
  ASSERT_NE(save, nullptr) << "Alt+A opened no save dialog";
  EXPECT_EQ(text(save), "Append log to Parvex.txt file ");
  Press(VK_ESCAPE);
  ASSERT_TRUE(closedWithin(save)) << "Escape did not close the save dialog";
  EXPECT_TRUE(visible(control(main, kPanel1)));
}

}  // namespace
}  // namespace e2e
