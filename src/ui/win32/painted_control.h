#pragma once
// A child control that draws itself: its window class, its window bound to the
// object, and painting without erasing (every paint covers the whole area).
#include <windows.h>

#include "ui/win32/controls.h"
#include "ui/win32/window_thunk.h"

namespace parvex {

class TPaintedControl {
 public:
  TPaintedControl(const TPaintedControl&) = delete;
  TPaintedControl& operator=(const TPaintedControl&) = delete;

  HWND Handle() const { return window_; }
  void SetBounds(Bounds bounds);

 protected:
  // Registers className on first use. The window exists when the derived
  // constructor runs; messages of its creation get the base class's handling.
  TPaintedControl(const char* className, HWND parent, Bounds bounds, int id);
  virtual ~TPaintedControl();

  virtual void Paint(HDC /*dc*/) {}
  // Messages other than painting; the default passes them on to DefWindowProc.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Paints at once rather than at the next quiet moment.
  void PaintNow();

 private:
  friend LRESULT CALLBACK WindowThunk<TPaintedControl>(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
};

}  // namespace parvex
