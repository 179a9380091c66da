#pragma once
// Captures what a window shows on the screen.
#include <windows.h>

#include "png_writer.h"

namespace e2e {

// The window's client area copied from the screen (the window should be on top);
// an empty image when the window has no area.
Image captureWindow(HWND window);

}  // namespace e2e
