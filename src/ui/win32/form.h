#pragma once
// Forms: top-level windows whose messages reach a C++ object through the window
// thunk. Commands and notifications of child controls are dispatched by control
// id, each guarded by the application's default exception handler.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>

#include <vector>

#include "ui/win32/application.h"
#include "ui/win32/controls.h"
#include "ui/win32/window_thunk.h"

namespace parvex {

class TForm {
 public:
  TForm(TApplication& application, const char* className, const std::string& caption, DWORD style, DWORD exStyle,
        HWND owner, int clientWidth, int clientHeight);
  virtual ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  HWND Handle() const { return window_; }
  TApplication& Application() const { return application_; }

  void OnCommand(int id, std::function<void(int code)> handler);
  void OnClick(int id, std::function<void()> handler);
  void OnNotify(int id, std::function<void(NMHDR& header)> handler);
  // The control that takes the focus when the form is first activated.
  void SetActiveControl(HWND control) { activeControl_ = control; }
  // Puts the keyboard on the control now, and there again when the form is
  // next activated.
  void FocusControl(HWND control) {
    lastFocus_ = control;
    SetFocus(control);
  }
  // Tab goes from the control's tab strip into its page and Shift+Tab back: the
  // dialog manager does not look inside a tab control.
  void AddPageControl(const TPageControl& pages) { pageControls_.push_back(&pages); }

  void Show();
  void Hide();
  bool Visible() const;
  void SetStayOnTop(bool onTop);
  // Restores a minimised window to its normal state.
  void Restore();
  void CenterOnScreen();
  void SetOuterWidth(int width);
  // Shows the form with its owner disabled until the form is closed.
  void ShowModal();
  // Asks the form to close, as the close box does.
  void Close();
  bool Closed() const { return closed_; }

 protected:
  // Overrides handle what they need and pass the rest on to this.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Asked on WM_CLOSE; false keeps the form open. Errors also keep it open.
  virtual bool CloseQuery() { return true; }
  // After a successful close: the default hides the form.
  virtual void Closing() { Hide(); }

 private:
  friend LRESULT CALLBACK WindowThunk<TForm>(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  TApplication& application_;
  HWND window_ = nullptr;
  HWND activeControl_ = nullptr;
  HWND lastFocus_ = nullptr;
  std::vector<const TPageControl*> pageControls_;
  bool MoveTabFocus(bool backward);
  // The last control Tab reaches in a page, inside a tab control that ends it too.
  HWND LastInside(HWND page) const;
  // Moved to a monitor of another scale: every control and font scaled by
  // newDpi / dpi_, the window to the place the system suggests.
  void ChangeDpi(int newDpi, const RECT& suggested);
  int dpi_ = 96;
  std::vector<FontHandle> scaledFonts_;  // the fonts made for a new scale; they live as long as the form  // where the keyboard was when the form was last left
  bool closed_ = false;
  std::map<int, std::function<void(int)>> commands_;
  std::map<int, std::function<void(NMHDR&)>> notifies_;
};

// Registers a form window class once; later calls with the same name do nothing.
void RegisterFormClass(HINSTANCE instance, const char* className, WNDPROC proc);

}  // namespace parvex
