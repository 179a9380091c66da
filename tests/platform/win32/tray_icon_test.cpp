#include "platform/win32/tray_icon.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace parvex {
namespace {

struct ShellCall {
  DWORD message;
  DWORD size;
  HWND window;
  UINT id;
  UINT flags;
  UINT callback;
  HICON icon;
  std::string tip;
};

class CountingPump final : public MessagePump {
 public:
  void processMessages() override {
    ++calls;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  int calls = 0;
};

class RecordingMenu final : public PopupMenu {
 public:
  explicit RecordingMenu(std::vector<std::string>& log) : log_(log) {}
  void Popup(int x, int y) override {
    log_.push_back("popup");
    x_ = x;
    y_ = y;
  }
  int x_ = -1, y_ = -1;

 private:
  std::vector<std::string>& log_;
};

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Hidden: mapping and unmapping a window under X costs seconds.
    appWindow = CreateWindowExA(0, "STATIC", "app", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
  }
  void TearDown() override { DestroyWindow(appWindow); }

  TTrayIcon::ShellNotify recorder() {
    return [this](DWORD message, NOTIFYICONDATAA* data) {
      calls.push_back({message, data->cbSize, data->hWnd, data->uID, data->uFlags, data->uCallbackMessage, data->hIcon,
                       data->szTip});
      return TRUE;
    };
  }
  int count(DWORD message) const {
    int n = 0;
    for (const auto& c : calls) n += c.message == message;
    return n;
  }

  HWND appWindow = nullptr;
  CountingPump pump;
  std::vector<ShellCall> calls;
};

TEST_F(TrayIconTest, WindowIsFoundByItsClassAndTheApplicationButtonIsHidden) {
  ShowWindow(appWindow, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(IsWindowVisible(appWindow));
  TTrayIcon tray(GetModuleHandleA(nullptr), appWindow, pump, recorder());
  ASSERT_NE(tray.Handle(), nullptr);
  EXPECT_EQ(FindWindowA(TTrayIcon::kWindowClass, nullptr), tray.Handle());
  EXPECT_FALSE(IsWindowVisible(tray.Handle()));
  EXPECT_FALSE(IsWindowVisible(appWindow));
  EXPECT_FALSE(tray.ShowApp());
  tray.SetShowApp(true);
  tray.Loaded();  // no IDMessage: only the button state is written again
  EXPECT_TRUE(IsWindowVisible(appWindow));
}

TEST_F(TrayIconTest, ActiveAddsOnceModifiesWhileShownAndRemoves) {
  TTrayIcon tray(GetModuleHandleA(nullptr), appWindow, pump, recorder());
  tray.SetToolTip("Parvex (right click for options)");
  EXPECT_TRUE(calls.empty()) << "nothing is sent to the shell while the icon is not shown";

  tray.SetActive(true);
  tray.SetActive(true);
  // The icon in the first layout, then a request for the keyboard version in the longer one.
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_SETVERSION));
  EXPECT_EQ(calls[1].size, sizeof(NOTIFYICONDATAA));
  EXPECT_EQ(calls[1].window, tray.Handle());
  const ShellCall add = calls[0];
  EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(add.size, sizeof(void*) == 4 ? 88u : 104u) << "the first shell record layout, ending after the tip";
  EXPECT_EQ(add.window, tray.Handle());
  EXPECT_EQ(add.id, 0u);
  EXPECT_EQ(add.flags, 7u);
  EXPECT_EQ(add.callback, 0x0401u);
  EXPECT_EQ(add.tip, "Parvex (right click for options)");

  tray.SetToolTip("other");
  ASSERT_EQ(count(NIM_MODIFY), 1);
  EXPECT_EQ(calls.back().tip, "other");

  tray.SetActive(false);
  tray.SetActive(false);
  EXPECT_EQ(count(NIM_DELETE), 1);
  EXPECT_EQ(count(NIM_ADD), 1);
  EXPECT_FALSE(tray.Active());
}

TEST_F(TrayIconTest, ToolTipIsCutTo62Characters) {
  TTrayIcon tray(GetModuleHandleA(nullptr), appWindow, pump, recorder());
  const std::string seventy(70, 'x');
  tray.SetToolTip(seventy);
  EXPECT_EQ(tray.ToolTip(), std::string(62, 'x'));
  tray.SetActive(true);
  ASSERT_EQ(count(NIM_ADD), 1);
  EXPECT_EQ(calls[0].tip, std::string(62, 'x'));
}

TEST_F(TrayIconTest, EmptyTipIsRefreshedThroughThePostedMessage) {
  TTrayIcon tray(GetModuleHandleA(nullptr), appWindow, pump, recorder());
  tray.SetActive(true);
  EXPECT_EQ(count(NIM_MODIFY), 0);
  pump.processMessages();
  EXPECT_EQ(count(NIM_MODIFY), 1);
}

TEST_F(TrayIconTest, DestroyingWhileActiveRemovesTheIcon) {
  {
    TTrayIcon tray(GetModuleHandleA(nullptr), appWindow, pump, recorder());
    tray.SetToolTip("tip");
    tray.SetActive(true);
  }
  EXPECT_EQ(count(NIM_DELETE), 1);
  EXPECT_EQ(FindWindowA(TTrayIcon::kWindowClass, nullptr), nullptr);

  calls.clear();
  { TTrayIcon tray(GetModuleHandleA(nullptr), appWindow, pump, recorder()); }
  EXPECT_TRUE(calls.empty());
}

TEST_F(TrayIconTest, RestartedTaskbarGetsTheIconAgainEvenAfterAFailedAdd) {
  bool shellUp = false;  // the first add fails: no taskbar yet
  TTrayIcon tray(GetModuleHandleA(nullptr), appWindow, pump, [&](DWORD message, NOTIFYICONDATAA* data) {
    calls.push_back(
        {message, data->cbSize, data->hWnd, data->uID, data->uFlags, data->uCallbackMessage, data->hIcon, data->szTip});
    return shellUp ? TRUE : FALSE;
  });
  const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  SendMessageA(tray.Handle(), taskbarCreated, 0, 0);
  EXPECT_TRUE(calls.empty()) << "an inactive icon stays away";

  tray.SetToolTip("Parvex (right click for options)");
  tray.SetActive(true);
  shellUp = true;
  SendMessageA(tray.Handle(), taskbarCreated, 0, 0);
  SendMessageA(tray.Handle(), taskbarCreated, 0, 0);
  ASSERT_EQ(count(NIM_ADD), 3);
  // Each add that the shell took asks for the keyboard version again.
  EXPECT_EQ(count(NIM_SETVERSION), 2);
  const ShellCall& lastAdd = calls[calls.size() - 2];
  EXPECT_EQ(lastAdd.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(lastAdd.tip, "Parvex (right click for options)");
  EXPECT_EQ(lastAdd.callback, 0x0401u) << "the menu still reaches the program";
}

TEST_F(TrayIconTest, IconIsCopiedIntoTheOwnedOne) {
  TTrayIcon tray(GetModuleHandleA(nullptr), appWindow, pump, recorder());
  EXPECT_EQ(tray.Icon(), nullptr);
  HICON given = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  tray.SetToolTip("tip");
  tray.SetActive(true);
  tray.SetIcon(given);
  ASSERT_NE(tray.Icon(), nullptr);
  EXPECT_NE(tray.Icon(), given);
  ASSERT_EQ(count(NIM_MODIFY), 1);
  EXPECT_EQ(calls.back().icon, tray.Icon());
}

TEST_F(TrayIconTest, CallbackMessagesReachTheEventsAndTheMenu) {
  TTrayIcon tray(GetModuleHandleA(nullptr), appWindow, pump, recorder());
  std::vector<std::string> log;
  RecordingMenu menu(log);
  int rightX = -1, rightY = -1;
  tray.OnClick = [&] { log.push_back("click"); };
  tray.OnDblClick = [&] { log.push_back("dblclick"); };
  tray.OnRightClick = [&](int x, int y) {
    log.push_back("right");
    rightX = x;
    rightY = y;
  };
  SetCursorPos(123, 45);
  POINT cursor{};
  GetCursorPos(&cursor);

  SendMessageA(tray.Handle(), 0x0401, 0, WM_LBUTTONUP);
  SendMessageA(tray.Handle(), 0x0401, 0, WM_LBUTTONDBLCLK);
  SendMessageA(tray.Handle(), 0x0401, 0, WM_MOUSEMOVE);
  SendMessageA(tray.Handle(), 0x0401, 0, WM_RBUTTONDOWN);
  EXPECT_EQ(log, (std::vector<std::string>{"click", "dblclick"}));

  log.clear();
  SendMessageA(tray.Handle(), 0x0401, 0, WM_RBUTTONUP);
  EXPECT_EQ(log, (std::vector<std::string>{"right"})) << "no menu set: only the event";
  EXPECT_EQ(pump.calls, 0);

  log.clear();
  tray.SetPopupMenu(&menu);
  SendMessageA(tray.Handle(), 0x0401, 0, WM_RBUTTONUP);
  EXPECT_EQ(log, (std::vector<std::string>{"popup", "right"}));
  EXPECT_EQ(pump.calls, 1) << "pending messages are processed before the menu pops up";
  EXPECT_EQ(menu.x_, cursor.x);
  EXPECT_EQ(menu.y_, cursor.y);
  EXPECT_EQ(rightX, cursor.x);
  EXPECT_EQ(rightY, cursor.y);

  // A shell that takes the keyboard version: the event is the low word, the
  // icon's anchor comes in wParam, a right click's menu comes with the
  // WM_CONTEXTMENU after it, Enter or Space opens it too, and the focus goes
  // back to the notification area afterwards.
  tray.SetActive(true);
  ASSERT_EQ(count(NIM_SETVERSION), 1);
  log.clear();
  SendMessageA(tray.Handle(), 0x0401, MAKEWPARAM(200, 300), MAKELPARAM(WM_RBUTTONUP, 0));
  EXPECT_EQ(log, std::vector<std::string>{});
  SendMessageA(tray.Handle(), 0x0401, MAKEWPARAM(200, 300), MAKELPARAM(WM_CONTEXTMENU, 0));
  SendMessageA(tray.Handle(), 0x0401, MAKEWPARAM(210, 310), MAKELPARAM(NIN_KEYSELECT, 0));
  SendMessageA(tray.Handle(), 0x0401, MAKEWPARAM(210, 310), MAKELPARAM(WM_LBUTTONUP, 0));
  EXPECT_EQ(log, (std::vector<std::string>{"popup", "right", "popup", "right", "click"}));
  EXPECT_EQ(menu.x_, 210);
  EXPECT_EQ(menu.y_, 310);
  EXPECT_EQ(count(NIM_SETFOCUS), 2);
}

TEST_F(TrayIconTest, OtherMessagesGetDefaultProcessing) {
  TTrayIcon tray(GetModuleHandleA(nullptr), appWindow, pump, recorder());
  SetWindowTextA(tray.Handle(), "renamed");
  char text[32] = {};
  GetWindowTextA(tray.Handle(), text, sizeof text);
  EXPECT_STREQ(text, "renamed");
}

TEST_F(TrayIconTest, RealShellAcceptsTheIcon) {
  std::vector<std::pair<DWORD, BOOL>> answers;
  TTrayIcon tray(GetModuleHandleA(nullptr), appWindow, pump, [&](DWORD message, NOTIFYICONDATAA* data) {
    const BOOL ok = Shell_NotifyIconA(message, data);
    answers.emplace_back(message, ok);
    return ok;
  });
  tray.SetIcon(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION)));
  tray.SetToolTip("Parvex (right click for options)");
  tray.SetActive(true);
  // The shell knows the icon: a change to it is taken while shown and refused once removed.
  NOTIFYICONDATAA probe{};
  probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
  probe.hWnd = tray.Handle();
  probe.uFlags = NIF_TIP;
  lstrcpynA(probe.szTip, "probe", sizeof probe.szTip);
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe));
  tray.SetActive(false);
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe));
  EXPECT_EQ(answers,
            (std::vector<std::pair<DWORD, BOOL>>{{NIM_ADD, TRUE}, {NIM_SETVERSION, TRUE}, {NIM_DELETE, TRUE}}));
}

}  // namespace
}  // namespace parvex
