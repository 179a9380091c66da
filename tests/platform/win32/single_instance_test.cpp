#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// Owns a started helper process and ends it if the test leaves early.
class HelperProcess {
 public:
  explicit HelperProcess(const std::string& key) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string exe = self;
    exe = exe.substr(0, exe.find_last_of("\\/") + 1) + "tray_guard_helper.exe";
    std::string command = "\"" + exe + "\" " + key;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &info_) != FALSE;
    if (started_) CloseHandle(info_.hThread);
  }
  ~HelperProcess() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hProcess);
  }
  bool started() const { return started_; }
  bool exitsWithin(DWORD ms) const { return WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0; }
  bool running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
  DWORD exitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

// Pumps this thread's messages until the handle is signalled or the time is up.
bool waitPumping(HANDLE handle, DWORD ms) {
  const DWORD deadline = GetTickCount() + ms;
  for (;;) {
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(deadline - now) <= 0) return false;
    const DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, deadline - now, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return true;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
}

UINT g_broadcastMessage = 0;
int g_broadcastsSeen = 0;

LRESULT CALLBACK listenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_broadcastMessage != 0 && message == g_broadcastMessage) ++g_broadcastsSeen;
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(SingleInstanceGuard, SecondCopyBroadcastsAndExitsWhileTheFirstRunsOn) {
  const std::string key = "ParvexGuardTest" + std::to_string(GetCurrentProcessId());
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, (key + "-ready").c_str());
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, (key + "-stop").c_str());

  WNDCLASSA cls{};
  cls.lpfnWndProc = listenerProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "GuardBroadcastListener";
  RegisterClassA(&cls);
  HWND listener = CreateWindowExA(0, cls.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  cls.hInstance, nullptr);
  g_broadcastMessage = RegisterWindowMessageA(key.c_str());
  g_broadcastsSeen = 0;

  {
    HelperProcess first(key);
    ASSERT_TRUE(first.started());
    ASSERT_TRUE(waitPumping(ready, 15000)) << "first copy did not get past the guard";
    ResetEvent(ready);

    HelperProcess second(key);
    ASSERT_TRUE(second.started());
    ASSERT_TRUE(second.exitsWithin(10000)) << "second copy kept running";
    EXPECT_EQ(second.exitCode(), 0u);
    EXPECT_EQ(WaitForSingleObject(ready, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "second copy got past the guard";
    EXPECT_TRUE(first.running());
    for (int i = 0; i < 20 && g_broadcastsSeen == 0; ++i) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(25);
    }
    EXPECT_GE(g_broadcastsSeen, 1) << "second copy did not broadcast the key's message";

    SetEvent(stop);
    ASSERT_TRUE(first.exitsWithin(10000));
    EXPECT_EQ(first.exitCode(), 7u);
  }

  // The marker goes with the first copy: the next start is a first copy again.
  ResetEvent(stop);
  {
    HelperProcess again(key);
    ASSERT_TRUE(again.started());
    EXPECT_TRUE(waitPumping(ready, 15000));
    SetEvent(stop);
    ASSERT_TRUE(again.exitsWithin(10000));
    EXPECT_EQ(again.exitCode(), 7u);
  }
  DestroyWindow(listener);
  CloseHandle(ready);
  CloseHandle(stop);
}

}  // namespace
