#include "platform/win32/folder_browse_dlg.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace parvex {
namespace {

// Closes any picker of this thread that is still open after the time-out, so a
// picker that never reports itself cannot hang the run.
BOOL CALLBACK cancelDialog(HWND window, LPARAM) {
  char cls[16] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (std::string(cls) == "#32770") PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  return TRUE;
}
void CALLBACK watchdog(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), cancelDialog, 0); }

class Watchdog {
 public:
  Watchdog() : timer_(SetTimer(nullptr, 0, 10000, watchdog)) {}
  ~Watchdog() { KillTimer(nullptr, timer_); }

 private:
  UINT_PTR timer_;
};

std::string lower(std::string text) {
  for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string windowText(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string windowsFolder() {
  char path[MAX_PATH] = {};
  GetWindowsDirectoryA(path, MAX_PATH);
  return path;
}

// The text of the tree item the picker has selected.
std::string selectedTreeItem(HWND dialog) {
  HWND tree = FindWindowExA(dialog, nullptr, WC_TREEVIEWA, nullptr);
  if (!tree) return {};
  char text[MAX_PATH] = {};
  TVITEMA item{};
  item.mask = TVIF_TEXT;
  item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  item.pszText = text;
  item.cchTextMax = sizeof text;
  if (!item.hItem || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return {};
  return text;
}

void press(HWND dialog, int button) { PostMessageA(dialog, WM_COMMAND, button, 0); }

TEST(FolderBrowseDlg, OpensCentredWithTheProgramsSettingsAndCancelClearsTheSelection) {
  TFolderBrowseDlg dlg(nullptr);
  dlg.SetTitle("Directories to monitor");
  dlg.SetOptions(bfDirectoriesOnly);
  dlg.SetEnableOKButton(false);
  dlg.SetShowSelectionInStatus(false);
  dlg.SetSelection(windowsFolder());
  EXPECT_EQ(dlg.Selection(), windowsFolder() + "\\");
  dlg.SetCaption("Pick a folder");

  bool created = false;
  dlg.OnCreate = [&] {
    created = true;
    HWND window = dlg.DialogWindow();
    ASSERT_NE(window, nullptr);
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    EXPECT_EQ(dlg.Caption(), "Pick a folder");
    const std::string folder = windowsFolder();
    EXPECT_EQ(lower(selectedTreeItem(window)), lower(folder.substr(folder.find_last_of('\\') + 1)));
    HWND status = GetDlgItem(window, TFolderBrowseDlg::kStatusControlId);
    EXPECT_TRUE(status == nullptr || !IsWindowVisible(status)) << "no status area without a status text";
    press(window, IDCANCEL);
  };
  Watchdog guard;
  EXPECT_FALSE(dlg.Execute());
  EXPECT_TRUE(created);
  EXPECT_EQ(dlg.Selection(), "");
  EXPECT_EQ(dlg.DialogWindow(), nullptr);
  EXPECT_EQ(dlg.Caption(), "Pick a folder");
}

TEST(FolderBrowseDlg, OKButtonStartsDisabledWhenAsked) {
  for (bool enabled : {false, true}) {
    TFolderBrowseDlg dlg(nullptr);
    dlg.SetOptions(bfDirectoriesOnly);
    dlg.SetEnableOKButton(enabled);
    bool okEnabled = !enabled;
    dlg.OnCreate = [&] {
      okEnabled = IsWindowEnabled(GetDlgItem(dlg.DialogWindow(), IDOK)) != FALSE;
      press(dlg.DialogWindow(), IDCANCEL);
    };
    Watchdog guard;
    dlg.Execute();
    EXPECT_EQ(okEnabled, enabled);
  }
}

TEST(FolderBrowseDlg, ChosenFoldersComeBackWithAFinalBackslash) {
  const std::string windows = windowsFolder();
  struct Case {
    std::string selection;
    std::string expected;
  } cases[] = {
      {windows, windows + "\\"},
      {"C:", "C:\\"},  // a bare drive is sent to the picker as its root
  };
  for (const auto& c : cases) {
    TFolderBrowseDlg dlg(nullptr);
    dlg.SetOptions(bfDirectoriesOnly);
    dlg.SetSelection(c.selection);
    dlg.OnCreate = [&] { press(dlg.DialogWindow(), IDOK); };
    Watchdog guard;
    ASSERT_TRUE(dlg.Execute()) << c.selection;
    EXPECT_EQ(lower(dlg.Selection()), lower(c.expected));
  }
}

TEST(FolderBrowseDlg, SettersActOnTheOpenPicker) {
  TFolderBrowseDlg dlg(nullptr);
  dlg.SetOptions(bfDirectoriesOnly);
  dlg.SetEnableOKButton(false);
  dlg.SetStatusText("x");  // a status area only exists when there is text at the start
  std::string changedTo;
  dlg.OnSelChanged = [&](const std::string& path) { changedTo = path; };
  dlg.OnCreate = [&] {
    HWND window = dlg.DialogWindow();
    dlg.SetEnableOKButton(true);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDOK)));
    dlg.SetCaption("Renamed");
    EXPECT_EQ(windowText(window), "Renamed");
    dlg.SetShowSelectionInStatus(true);
    dlg.SetSelection(windowsFolder());
    EXPECT_EQ(lower(changedTo), lower(windowsFolder()));
    EXPECT_EQ(lower(dlg.StatusText()), lower(windowsFolder()));
    press(window, IDOK);
  };
  Watchdog guard;
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(lower(dlg.Selection()), lower(windowsFolder() + "\\"));
}

TEST(FolderBrowseDlg, StatusTextIsFittedToTheStatusArea) {
  // A real, deep folder so that the text is taken as a path.
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string deep = std::string(temp) + "parvex_fit_" + std::to_string(GetCurrentProcessId());
  const std::string top = deep;
  CreateDirectoryA(deep.c_str(), nullptr);
  for (int i = 0; i < 6; ++i) {
    deep += "\\a_rather_long_folder_name_" + std::to_string(i);
    CreateDirectoryA(deep.c_str(), nullptr);
  }
  const std::string plain(300, 'z');

  TFolderBrowseDlg dlg(nullptr);
  dlg.SetStatusText(plain);
  std::string shownPlain, shownPath;
  int statusWidth = 0;
  dlg.OnCreate = [&] {
    HWND status = GetDlgItem(dlg.DialogWindow(), TFolderBrowseDlg::kStatusControlId);
    ASSERT_NE(status, nullptr);
    RECT rect{};
    GetWindowRect(status, &rect);
    statusWidth = rect.right - rect.left;
    shownPlain = windowText(status);
    dlg.SetStatusText(deep);
    shownPath = windowText(status);
    dlg.SetFitStatusText(false);
    EXPECT_EQ(windowText(status), deep);
    press(dlg.DialogWindow(), IDCANCEL);
  };
  Watchdog guard;
  dlg.Execute();

  ASSERT_GT(statusWidth, 0);
  ASSERT_GT(shownPlain.size(), 3u);
  EXPECT_LT(shownPlain.size(), plain.size());
  EXPECT_EQ(shownPlain.substr(shownPlain.size() - 3), "...");
  EXPECT_EQ(shownPlain.substr(0, shownPlain.size() - 3), plain.substr(0, shownPlain.size() - 3));
  ASSERT_LT(shownPath.size(), deep.size());
  EXPECT_EQ(shownPath.substr(0, 7), deep.substr(0, 2) + "\\...\\") << shownPath;
  EXPECT_EQ(shownPath.substr(shownPath.size() - 28), deep.substr(deep.size() - 28));

  for (std::string dir = deep; dir.size() >= top.size(); dir = dir.substr(0, dir.find_last_of('\\')))
    RemoveDirectoryA(dir.c_str());
}

}  // namespace
}  // namespace parvex

namespace parvex {
namespace {

TEST(FolderBrowseDlg, ItemWithoutAFolderPathIsNotReportedAsChosen) {
  // The control panel has a display name but no file-system path.
  TFolderBrowseDlg dlg(nullptr);
  dlg.SetRoot(TRootID::idControlPanel);
  dlg.OnCreate = [&] {
    HWND tree = FindWindowExA(dlg.DialogWindow(), nullptr, WC_TREEVIEWA, nullptr);
    ASSERT_NE(tree, nullptr);
    const LPARAM root = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, root);
    press(dlg.DialogWindow(), IDOK);
  };
  Watchdog guard;
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(dlg.Selection(), "");
}

}  // namespace
}  // namespace parvex

namespace parvex {
namespace {

TEST(FolderBrowseDlg, ErrorRaisedByAnEventClosesThePickerAndReachesTheCaller) {
  TFolderBrowseDlg dlg(nullptr);
  dlg.SetSelection("C:\\");
  dlg.OnCreate = [] { throw std::runtime_error("from the event"); };
  Watchdog guard;
  try {
    dlg.Execute();
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "from the event");
  }
  EXPECT_EQ(dlg.DialogWindow(), nullptr);
  EXPECT_EQ(dlg.Selection(), "");
  // The component is usable again afterwards.
  dlg.OnCreate = [&] { press(dlg.DialogWindow(), IDCANCEL); };
  EXPECT_FALSE(dlg.Execute());
}

}  // namespace
}  // namespace parvex
