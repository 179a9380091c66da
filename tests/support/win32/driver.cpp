#include "support/win32/driver.h"

#include <commctrl.h>

namespace e2e {

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return condition();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(50);
  }
}

Process::Process(const std::string& exe, const std::string& workingDir, const std::string& arguments) {
  std::string command = "\"" + exe + "\"";
  if (!arguments.empty()) command += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info_)) {
    info_ = {};
    return;
  }
  CloseHandle(info_.hThread);
  info_.hThread = nullptr;
}

Process::~Process() { kill(); }

Process::Process(Process&& other) noexcept : info_(other.info_) { other.info_ = {}; }

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    kill();
    info_ = other.info_;
    other.info_ = {};
  }
  return *this;
}

bool Process::running() const { return started() && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

bool Process::waitExit(DWORD timeoutMs) const {
  return started() && WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::exitCode() const {
  DWORD code = STILL_ACTIVE;
  if (started()) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void Process::kill() {
  if (!started()) return;
  if (running()) {
    TerminateProcess(info_.hProcess, 255);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hProcess);
  info_ = {};
}

namespace {

struct TopLevelSearch {
  DWORD pid;
  const char* cls;
  std::vector<HWND> found;
};

BOOL CALLBACK collectTopLevel(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TopLevelSearch*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && (!search->cls || className(window) == search->cls)) search->found.push_back(window);
  return TRUE;
}

struct ChildSearch {
  const char* cls;
  std::vector<HWND> found;
};

BOOL CALLBACK collectChild(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<ChildSearch*>(data);
  if (!search->cls || className(window) == search->cls) search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> topLevelWindows(DWORD pid, const char* cls) {
  TopLevelSearch search{pid, cls, {}};
  EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND findTopLevel(DWORD pid, const char* cls, DWORD timeoutMs) {
  HWND found = nullptr;
  waitUntil(
      [&] {
        const auto windows = topLevelWindows(pid, cls);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

std::vector<HWND> descendants(HWND root, const char* cls) {
  ChildSearch search{cls, {}};
  EnumChildWindows(root, collectChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string hintOf(DWORD pid, HWND control) {
  // The tool-tip control reads and writes the caller's pointers, so the request
  // and the answer live in the program's own memory.
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return "";
  constexpr SIZE_T kTextSize = 1024;
  auto* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(TOOLINFOA) + kTextSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  std::string hint;
  for (HWND tips : remote ? topLevelWindows(pid, TOOLTIPS_CLASSA) : std::vector<HWND>{}) {
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = GetParent(control);
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = remote + sizeof(TOOLINFOA);
    char text[kTextSize] = {};
    if (!WriteProcessMemory(process, remote, &info, sizeof info, nullptr) ||
        !WriteProcessMemory(process, info.lpszText, text, sizeof text, nullptr))
      break;
    SendMessageA(tips, TTM_GETTEXTA, kTextSize, reinterpret_cast<LPARAM>(remote));
    if (ReadProcessMemory(process, info.lpszText, text, sizeof text - 1, nullptr) && text[0]) {
      hint = text;
      break;
    }
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return hint;
}

HWND findControl(HWND root, int id) {
  for (HWND child : descendants(root))
    if (GetDlgCtrlID(child) == id) return child;
  return nullptr;
}

std::string className(HWND window) {
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string text(HWND window) {
  // WM_GETTEXT is copied across processes by the system; GetWindowText is not
  // for another process's controls.
  const auto length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string value(static_cast<std::size_t>(length) + 1, '\0');
  const auto copied = SendMessageA(window, WM_GETTEXT, value.size(), reinterpret_cast<LPARAM>(value.data()));
  value.resize(static_cast<std::size_t>(copied));
  return value;
}

void setText(HWND window, const std::string& value) {
  SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
}

void pressKey(HWND window, UINT key) {
  PostMessageA(window, WM_KEYDOWN, key, 1);
  PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

void click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

bool checked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool visible(HWND window) { return window && IsWindowVisible(window); }

bool topmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

RECT windowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

RECT clientRect(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return r;
}

RECT rectIn(HWND child, HWND ancestor) {
  RECT r = windowRect(child);
  MapWindowPoints(nullptr, ancestor, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

MessageBoxSeen waitMessageBox(DWORD pid, DWORD timeoutMs) {
  MessageBoxSeen seen;
  waitUntil(
      [&] {
        for (HWND box : topLevelWindows(pid, "#32770")) {
          if (!IsWindowVisible(box)) continue;
          seen.window = box;
          seen.caption = text(box);
          seen.text.clear();
          for (HWND label : descendants(box, "Static")) {
            const std::string t = text(label);
            if (t.empty()) continue;
            if (!seen.text.empty()) seen.text += "\n";
            seen.text += t;
          }
          return true;
        }
        return false;
      },
      timeoutMs);
  return seen;
}

void dismiss(HWND box) {
  // The box's own OK or the single button it has.
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

bool selectTab(HWND tabs, int index) {
  // The tab's rectangle cannot be asked for across processes, so the click walks
  // along the strip of tabs until the wanted one is current.
  const auto current = [&] { return SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == index; };
  const RECT client = clientRect(tabs);
  for (int x = 4; x < client.right; x += 8) {
    const LPARAM at = MAKELPARAM(x, 8);
    PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(tabs, WM_LBUTTONUP, 0, at);
    if (waitUntil(current, 200)) return true;
  }
  return false;
}

bool chooseTrayMenuItem(DWORD pid, HWND trayWindow, int item) {
  // What the shell sends for a right click or the menu key on the icon.
  PostMessageA(trayWindow, WM_USER + 1, MAKEWPARAM(100, 100), MAKELPARAM(WM_CONTEXTMENU, 0));
  HWND menu = nullptr;
  if (!waitUntil(
          [&] {
            for (HWND m : topLevelWindows(pid, "#32768"))
              if (IsWindowVisible(m)) menu = m;
            return menu != nullptr;
          },
          5000))
    return false;
  for (int i = 0; i <= item; ++i) pressKey(menu, VK_DOWN);
  pressKey(menu, VK_RETURN);
  return waitUntil([&] { return !IsWindow(menu) || !IsWindowVisible(menu); }, 5000);
}

std::string windowsPath(std::string path) {
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  for (auto& c : path)
    if (c == '/') c = '\\';
  return path;
}

}  // namespace e2e
