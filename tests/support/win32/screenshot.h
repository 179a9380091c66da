#pragma once
// Captures what a window shows on the screen.
#include <windows.h>

#include <string>

#include "support/win32/png_writer.h"

namespace e2e {

// The window's client area copied from the screen (the window should be on top);
// an empty image when the window has no area.
Image captureWindow(HWND window);

// Brings the window to the top, has it repaint, and captures it once its
// picture holds still; a picture that keeps moving (a marquee) is taken as it
// is after timeoutMs.
Image settledCapture(HWND window, DWORD timeoutMs = 3000);

// settledCapture written as a PNG file; false when there was nothing to write.
bool saveScreenshot(HWND window, const std::string& pngPath);

}  // namespace e2e
