#pragma once
// The test driver's hands: starts the program, finds its windows and controls
// from outside the process, and uses them through window messages. Every wait
// polls against a deadline.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Polls the condition every 50 ms (pumping this thread's messages) until it
// holds or the time is up; returns its last value.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// One started program; ended by its handle when still running at destruction.
class Process {
 public:
  Process() = default;
  // arguments: the rest of the command line, as the program should see it.
  Process(const std::string& exe, const std::string& workingDir, const std::string& arguments = "");
  ~Process();
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool started() const { return info_.hProcess != nullptr; }
  DWORD pid() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }
  bool running() const;
  bool waitExit(DWORD timeoutMs) const;
  DWORD exitCode() const;
  void kill();

 private:
  PROCESS_INFORMATION info_{};
};

// Top-level windows of a process, optionally of one class.
std::vector<HWND> topLevelWindows(DWORD pid, const char* className = nullptr);
HWND findTopLevel(DWORD pid, const char* className, DWORD timeoutMs);
// A descendant window with the control identifier.
HWND findControl(HWND root, int id);
std::vector<HWND> descendants(HWND root, const char* className = nullptr);

std::string className(HWND window);
std::string text(HWND window);
void setText(HWND window, const std::string& value);
// Posted, so that a handler that opens a modal box does not block the driver.
void click(HWND button);
// Posts a key's press and release to the window, as the keyboard would.
void pressKey(HWND window, UINT key);
bool checked(HWND button);
bool visible(HWND window);
bool topmost(HWND window);
RECT windowRect(HWND window);
RECT clientRect(HWND window);
// The rectangle of a child relative to the client area of an ancestor.
RECT rectIn(HWND child, HWND ancestor);

// A message box of the process: its texts joined by newlines.
struct MessageBoxSeen {
  HWND window = nullptr;
  std::string caption;
  std::string text;
};
MessageBoxSeen waitMessageBox(DWORD pid, DWORD timeoutMs);
void dismiss(HWND box);

// The hint (tool tip) a control of the process shows, or "" when none does.
std::string hintOf(DWORD pid, HWND control);

// Selects a tab of a tab control the way a mouse click would, so that the
// owner's change handler runs; true when the tab became current.
bool selectTab(HWND tabs, int index);

// Opens the tray icon's menu by the icon's callback message and chooses the
// item at the given position (0 first) with the keyboard.
bool chooseTrayMenuItem(DWORD pid, HWND trayWindow, int item);

// A Linux path from the command line as the Windows program sees it.
std::string windowsPath(std::string path);

}  // namespace e2e
