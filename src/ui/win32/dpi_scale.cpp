#include "ui/win32/dpi_scale.h"

#include "runtime/win32/scoped_handle.h"

namespace parvex {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// Bound by name: older systems lack it, and the program must start there too.
GetDpiForWindowFn DpiForWindow() {
  static const auto fn = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  return fn;
}

int SystemDpi() {
  const WindowDcHandle screen = GetWindowDc(nullptr);
  const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int WindowDpi(HWND window) {
  if (window) {
    if (const auto fn = DpiForWindow()) {
      const UINT dpi = fn(window);
      if (dpi > 0) return static_cast<int>(dpi);
    }
  }
  return SystemDpi();
}

}  // namespace parvex
