#include "platform/win32/tray_icon.h"

#include <cstddef>
#include <cstring>

#include "runtime/string_routines.h"
#include "ui/win32/window_class.h"
#include "ui/win32/window_thunk.h"

namespace parvex {

namespace {

// The first shell record layout: every shell version accepts it. It ends after
// a 64-byte tip (later layouts made the tip longer): 88 bytes in a 32-bit
// process, 104 in a 64-bit one.
constexpr DWORD kIconDataSize = offsetof(NOTIFYICONDATAA, szTip) + 64;
#if !defined(_WIN64)
static_assert(kIconDataSize == 88);
#endif
constexpr UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
// The shell's keyboard-aware behaviour (Windows Vista and later): Enter, Space
// and the menu key on the icon reach the program.
constexpr UINT kNotifyIconVersion4 = 4;

void registerWindowClass(HINSTANCE instance, WNDPROC proc) {
  RegisterWindowClassOnce(instance, TTrayIcon::kWindowClass, proc);
}

}  // namespace

TTrayIcon::TTrayIcon(HINSTANCE instance, HWND applicationWindow, MessagePump& pump, ShellNotify shellNotify)
    : applicationWindow_(applicationWindow), pump_(pump), shellNotify_(std::move(shellNotify)) {
  static_assert(kIconDataSize <= sizeof(NOTIFYICONDATAA));
  if (!shellNotify_)
    shellNotify_ = [](DWORD message, NOTIFYICONDATAA* data) { return Shell_NotifyIconA(message, data); };
  registerWindowClass(instance, WindowThunk<TTrayIcon>);
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  // A hidden top-level window rather than a message-only one, so that others can
  // find it by its class.
  window_ = CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this);
  SetShowApp(false);
}

TTrayIcon::~TTrayIcon() {
  if (active_) removeIcon();
  UnbindAndDestroy(window_);
}

void TTrayIcon::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  // A failing shell call is not an error of the property: Active keeps the value.
  if (value) {
    showIcon();
  } else {
    removeIcon();
  }
}

void TTrayIcon::SetShowApp(bool value) {
  showApp_ = value;
  if (applicationWindow_) ShowWindow(applicationWindow_, value ? SW_SHOW : SW_HIDE);
}

void TTrayIcon::SetToolTip(std::string value) {
  toolTip_ = LeftStr(value, kTipLimit);
  updateIcon();
}

void TTrayIcon::SetIcon(HICON icon) {
  if (icon == icon_.Get()) return;
  icon_.reset(icon ? CopyIcon(icon) : nullptr);
  updateIcon();
}

void TTrayIcon::Loaded() {
  if (!idMessage_.empty()) {
    idMessageNumber_ = RegisterWindowMessageA(idMessage_.c_str());
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 32, idMessage_.c_str());
    const bool runningAlready = mapping && GetLastError() == ERROR_ALREADY_EXISTS;
    mapping_.reset(mapping);
    if (runningAlready) {
      PostMessageA(HWND_BROADCAST, idMessageNumber_, 0, 0);
      ExitProcess(0);
    }
  }
  SetShowApp(showApp_);
}

void TTrayIcon::fillIconData() {
  std::memset(&iconData_, 0, sizeof iconData_);
  iconData_.cbSize = kIconDataSize;
  iconData_.hWnd = window_;
  iconData_.uID = 0;
  iconData_.uFlags = kIconFlags;
  iconData_.uCallbackMessage = kIconCallbackMessage;
  iconData_.hIcon = icon_.Get();
  std::memcpy(iconData_.szTip, toolTip_.data(), toolTip_.size());  // at most 62 of 64 bytes
}

bool TTrayIcon::showIcon() {
  fillIconData();
  const bool shown = shellNotify_(NIM_ADD, &iconData_) != FALSE;
  if (shown) askForKeyboardVersion();
  if (toolTip_.empty()) PostMessageA(window_, kTipRefreshMessage, 0, 0);
  return shown;
}

void TTrayIcon::askForKeyboardVersion() {
  // The longer record only for this request: a shell that does not know it
  // refuses, and the icon keeps working with the first layout's messages.
  NOTIFYICONDATAA request{};
  request.cbSize = sizeof request;
  request.hWnd = window_;
  request.uID = 0;
  request.uVersion = kNotifyIconVersion4;
  keyboardVersion_ = shellNotify_(NIM_SETVERSION, &request) != FALSE;
}

void TTrayIcon::giveFocusBack() {
  NOTIFYICONDATAA request{};
  request.cbSize = sizeof request;
  request.hWnd = window_;
  request.uID = 0;
  shellNotify_(NIM_SETFOCUS, &request);
}

bool TTrayIcon::updateIcon() {
  fillIconData();
  if (!active_) return true;
  return shellNotify_(NIM_MODIFY, &iconData_) != FALSE;
}

bool TTrayIcon::removeIcon() { return shellNotify_(NIM_DELETE, &iconData_) != FALSE; }

LRESULT TTrayIcon::OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The messages of the window's creation come before window_ is known.
  if (window != window_) return DefWindowProcA(window, message, wParam, lParam);
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    // The new taskbar knows no icons; this also retries an add that had failed.
    if (active_) showIcon();
    return 0;
  }
  if (message == kTipRefreshMessage) {
    SetToolTip(toolTip_);
    return 0;
  }
  if (message == kIconCallbackMessage) {
    // The keyboard version puts the event in the low word and the icon's
    // anchor point in wParam.
    const UINT event = keyboardVersion_ ? LOWORD(lParam) : static_cast<UINT>(lParam);
    switch (event) {
      case WM_LBUTTONUP:
        if (OnClick) OnClick();
        break;
      case WM_LBUTTONDBLCLK:
        if (OnDblClick) OnDblClick();
        break;
      case WM_RBUTTONUP:
        // The keyboard version follows a right click with WM_CONTEXTMENU.
        if (!keyboardVersion_) {
          POINT cursor{};
          GetCursorPos(&cursor);
          handleRightClick(cursor);
        }
        break;
      case WM_CONTEXTMENU:
      case NIN_KEYSELECT: {
        // The menu key, Shift+F10, Enter or Space on the icon: the icon's one
        // action is its menu, at the icon.
        POINT anchor{static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam))};
        if (!keyboardVersion_) GetCursorPos(&anchor);
        handleRightClick(anchor);
        if (keyboardVersion_) giveFocusBack();
        break;
      }
      default: break;
    }
    return 0;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

void TTrayIcon::handleRightClick(POINT cursor) {
  if (popupMenu_) {
    // Without the foreground the menu would not close when the user clicks
    // elsewhere.
    if (applicationWindow_) SetForegroundWindow(applicationWindow_);
    pump_.processMessages();
    popupMenu_->Popup(cursor.x, cursor.y);
  }
  if (OnRightClick) OnRightClick(cursor.x, cursor.y);
}

}  // namespace parvex
