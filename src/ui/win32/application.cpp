#include "ui/win32/application.h"

#include <commctrl.h>

#include "runtime/exceptions.h"
#include "runtime/win32/system_error.h"
#include "ui/win32/window_class.h"
#include "ui/win32/window_thunk.h"

namespace parvex {

TApplication::TApplication(HINSTANCE instance, std::string title) : instance_(instance), title_(std::move(title)) {
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  RegisterWindowClassOnce(instance_, kWindowClass, WindowThunk<TApplication>,
                          {0, LoadIconA(instance_, MAKEINTRESOURCEA(1)), LoadCursorA(nullptr, IDC_ARROW), nullptr});
  // Zero-sized but with a caption: it only exists to carry the task-bar button.
  window_ = CreateWindowExA(
      0, kWindowClass, title_.c_str(), WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
      GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, instance_, this);
}

TApplication::~TApplication() { UnbindAndDestroy(window_); }

LRESULT TApplication::OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Closing the task-bar button's window is a request to close the main window.
  if (message == WM_CLOSE) {
    if (mainWindow_) PostMessageA(mainWindow_, WM_CLOSE, 0, 0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string TApplication::ExeFolder() const {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) throw Exception("Could not find the program's folder: " + SystemErrorText(GetLastError()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void TApplication::ShowTaskbarEntry(bool show) { ShowWindow(window_, show ? SW_SHOWNA : SW_HIDE); }

void TApplication::Run(HWND mainWindow) {
  mainWindow_ = mainWindow;
  if (Terminated()) return;
  if (showMainForm_ && IsWindow(mainWindow)) {
    ShowWindow(mainWindow, SW_SHOW);
    SetForegroundWindow(mainWindow);
  }
  pumpUntil([] { return false; }, false);
}

void TApplication::Terminate() { PostQuitMessage(0); }

HWND TApplication::ownerForBoxes() const {
  HWND active = GetActiveWindow();
  if (active && IsWindowVisible(active)) return active;
  if (mainWindow_ && IsWindowVisible(mainWindow_)) return mainWindow_;
  return nullptr;
}

int TApplication::ShowMessageBox(const std::string& text, const std::string& caption, UINT flags) {
  HWND owner = ownerForBoxes();
  // With the main window hidden the box must still come up where the user sees it.
  if (!owner) flags |= MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST;
  return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void TApplication::ShowMessage(const std::string& text) { ShowMessageBox(text, title_, MB_OK); }

void TApplication::HandleException(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
  } catch (const Exception& e) {
    ShowMessageBox(e.Message(), title_, MB_OK | MB_ICONERROR);
  } catch (const std::exception& e) {
    ShowMessageBox(e.what(), title_, MB_OK | MB_ICONERROR);
  } catch (...) {
    ShowMessageBox("Unknown error", title_, MB_OK | MB_ICONERROR);
  }
}

}  // namespace parvex
