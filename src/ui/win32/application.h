#pragma once
// The application object: the hidden top-level window that carries the task-bar
// button, the message loop, ProcessMessages and the default exception handler.
#include <windows.h>

#include <exception>
#include <string>

#include "ui/win32/win32_message_pump.h"
#include "ui/win32/window_thunk.h"

namespace parvex {

class TApplication final : public Win32MessagePump {
 public:
  static constexpr const char* kWindowClass = "TApplication";

  TApplication(HINSTANCE instance, std::string title);
  ~TApplication() override;
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  HINSTANCE Instance() const { return instance_; }
  HWND Handle() const { return window_; }
  const std::string& Title() const { return title_; }
  // The folder of the program's own executable file, without a final backslash.
  std::string ExeFolder() const;

  // Shows or hides the task-bar button (the application window).
  void ShowTaskbarEntry(bool show);
  // Whether Run shows the main window before entering the loop.
  void SetShowMainForm(bool show) { showMainForm_ = show; }
  bool ShowMainForm() const { return showMainForm_; }

  // Shows mainWindow (when marked) and dispatches messages until Terminate or
  // until the main window is destroyed.
  void Run(HWND mainWindow);
  void Terminate();

  // The default handler for an error that escaped an event: an error box with the
  // program's title, nothing for EAbort.
  void HandleException(std::exception_ptr error);

  // Runs an event handler, routing any error to HandleException.
  template <class F>
  void Guarded(F&& handler) {
    try {
      handler();
    } catch (...) {
      HandleException(std::current_exception());
    }
  }

  // A plain message box titled with the program's title.
  void ShowMessage(const std::string& text);
  int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags);

 private:
  friend LRESULT CALLBACK WindowThunk<TApplication>(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND ownerForBoxes() const;

  HINSTANCE instance_;
  std::string title_;
  HWND window_ = nullptr;
  HWND mainWindow_ = nullptr;
  bool showMainForm_ = true;
};

}  // namespace parvex
