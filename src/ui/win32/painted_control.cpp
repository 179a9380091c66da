#include "ui/win32/painted_control.h"

#include "ui/win32/dpi_scale.h"
#include "ui/win32/window_class.h"

namespace parvex {

TPaintedControl::TPaintedControl(const char* className, HWND parent, Bounds b, int id) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterWindowClassOnce(instance, className, WindowThunk<TPaintedControl>,
                          {0, nullptr, LoadCursorA(nullptr, IDC_ARROW), nullptr});
  b = ScaleBounds(b, WindowDpi(parent));
  window_ = CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, b.left, b.top, b.width, b.height,
                            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
}

TPaintedControl::~TPaintedControl() { UnbindAndDestroy(window_); }

void TPaintedControl::SetBounds(Bounds b) {
  b = ScaleBounds(b, WindowDpi(window_));
  SetWindowPos(window_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TPaintedControl::PaintNow() {
  InvalidateRect(window_, nullptr, FALSE);
  UpdateWindow(window_);
}

LRESULT TPaintedControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT TPaintedControl::OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      Paint(dc);
      EndPaint(window, &ps);
      return 0;
    }
    default:
      // During creation window_ is not known yet.
      if (window_ != window) return DefWindowProcA(window, message, wParam, lParam);
      return HandleMessage(message, wParam, lParam);
  }
}

}  // namespace parvex
