#pragma once
// One icon in the task bar's notification area: shows and hides it, turns mouse
// actions on it into events and the popup menu, hides the application's task-bar
// button, and keeps a second copy of the program from running (IDMessage names a
// file mapping that only the first copy can create).
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "platform/win32/popup_menu.h"
#include "runtime/message_pump.h"
#include "runtime/win32/scoped_handle.h"
#include "ui/win32/window_thunk.h"

namespace parvex {

class TTrayIcon {
 public:
  static constexpr UINT kIconCallbackMessage = WM_USER + 1;  // 0x0401
  static constexpr UINT kTipRefreshMessage = WM_USER + 2;    // 0x0402
  static constexpr std::size_t kTipLimit = 62;
  static constexpr const char* kWindowClass = "TTrayIconWindow";

  // The shell's notification-area call; replaceable so that tests can count calls.
  using ShellNotify = std::function<BOOL(DWORD message, NOTIFYICONDATAA* data)>;

  TTrayIcon(HINSTANCE instance, HWND applicationWindow, MessagePump& pump, ShellNotify shellNotify = {});
  ~TTrayIcon();
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;

  void SetActive(bool value);
  bool Active() const { return active_; }
  void SetShowApp(bool value);
  bool ShowApp() const { return showApp_; }
  void SetToolTip(std::string value);
  const std::string& ToolTip() const { return toolTip_; }
  void SetIcon(HICON icon);
  HICON Icon() const { return icon_.Get(); }
  void SetIDMessage(std::string value) { idMessage_ = std::move(value); }
  const std::string& IDMessage() const { return idMessage_; }
  UINT IDMessageNumber() const { return idMessageNumber_; }
  void SetPopupMenu(PopupMenu* menu) { popupMenu_ = menu; }
  PopupMenu* GetPopupMenu() const { return popupMenu_; }

  // The step after the owner has set the properties: the single-instance guard
  // (may end the process) and the task-bar button's state.
  void Loaded();

  HWND Handle() const { return window_; }

  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  std::function<void(int x, int y)> OnRightClick;

 private:
  friend LRESULT CALLBACK WindowThunk<TTrayIcon>(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void handleRightClick(POINT cursor);
  void askForKeyboardVersion();
  // After a menu opened from the keyboard the focus returns to the notification area.
  void giveFocusBack();
  void fillIconData();
  bool showIcon();
  bool updateIcon();
  bool removeIcon();

  HWND applicationWindow_;
  MessagePump& pump_;
  ShellNotify shellNotify_;
  KernelHandle mapping_;
  NOTIFYICONDATAA iconData_{};
  IconHandle icon_;
  std::string toolTip_;
  HWND window_ = nullptr;
  bool active_ = false;
  bool showApp_ = false;
  bool keyboardVersion_ = false;  // the shell took NOTIFYICON_VERSION_4
  std::string idMessage_;
  PopupMenu* popupMenu_ = nullptr;
  UINT idMessageNumber_ = 0;
  // Broadcast when the taskbar starts again (after Explorer restarts): every icon
  // must be added anew.
  UINT taskbarCreated_ = 0;
};

}  // namespace parvex
