#pragma once
// Binds a window to the C++ object behind it. The object is passed as
// CreateWindowEx's last argument; at WM_NCCREATE it is stored in the window's
// GWLP_USERDATA, and every later message goes to
//   LRESULT T::OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
// Messages before the binding, or after UnbindAndDestroy, get DefWindowProc.
// Classes keep OnWindowMessage private and befriend WindowThunk<T>.
#include <windows.h>

namespace parvex {

template <class T>
LRESULT CALLBACK WindowThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<T*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
  // Nothing may unwind through the window system's frames. Handlers route their
  // errors to the application's handler themselves; this is only the last stop.
  try {
    return self->OnWindowMessage(window, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

// Cuts the window off from its object first, so that the messages of its
// destruction do not reach an object that is itself being destroyed.
inline void UnbindAndDestroy(HWND& window) {
  if (window == nullptr) return;
  ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  ::DestroyWindow(window);
  window = nullptr;
}

}  // namespace parvex
