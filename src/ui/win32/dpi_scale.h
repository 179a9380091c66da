#pragma once
// Layouts are designed at 96 DPI; on a screen of another scale every size a
// window gives in design pixels is multiplied by its DPI over 96. Where the
// system knows each monitor's own scale (Windows 10 1607 and later) that is the
// window's monitor; elsewhere the screen's.
#include <windows.h>

#include "ui/win32/controls.h"

namespace parvex {

constexpr int kDesignDpi = 96;

// The DPI of the window's monitor; for no window, the system's.
int WindowDpi(HWND window);
inline int ScaleToDpi(int designPixels, int dpi) { return MulDiv(designPixels, dpi, kDesignDpi); }
inline Bounds ScaleBounds(Bounds b, int dpi) {
  return {ScaleToDpi(b.left, dpi), ScaleToDpi(b.top, dpi), ScaleToDpi(b.width, dpi), ScaleToDpi(b.height, dpi)};
}

}  // namespace parvex
