#include "support/win32/screenshot.h"

#include "support/win32/driver.h"

namespace e2e {

Image captureWindow(HWND window) {
  Image image;
  // The client area: without a window manager the frame is not drawn on the
  // screen, so the outer rectangle would show black margins.
  RECT rect{};
  if (!GetClientRect(window, &rect)) return image;
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return image;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    const auto* bgrx = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i) {
      image.rgb[i * 3] = bgrx[i * 4 + 2];
      image.rgb[i * 3 + 1] = bgrx[i * 4 + 1];
      image.rgb[i * 3 + 2] = bgrx[i * 4];
    }
    SelectObject(memory, old);
  }
  if (dib) DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return image;
}

Image settledCapture(HWND window, DWORD timeoutMs) {
  SetForegroundWindow(window);
  BringWindowToTop(window);
  // For another thread's window the update is sent, so the paint is done on return.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // Once idle, the program's own thread hands what it drew to the screen.
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result);
  // Still means the same picture over three looks in a row.
  Image last = captureWindow(window);
  int same = 0;
  waitUntil(
      [&] {
        Image now = captureWindow(window);
        same =
            now.width > 0 && now.width == last.width && now.height == last.height && now.rgb == last.rgb ? same + 1 : 0;
        last = std::move(now);
        return same >= 3;
      },
      timeoutMs);
  return last;
}

bool saveScreenshot(HWND window, const std::string& pngPath) {
  const Image image = settledCapture(window);
  return image.width > 0 && writePng(pngPath, image);
}

}  // namespace e2e
