#pragma once
// Owned GDI bitmaps and memory device contexts for drawing off screen.
#include <windows.h>

#include <utility>

namespace parvex {

class TGdiBitmap {
 public:
  TGdiBitmap() = default;
  explicit TGdiBitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
  ~TGdiBitmap() { reset(); }
  TGdiBitmap(TGdiBitmap&& other) noexcept : bitmap_(std::exchange(other.bitmap_, nullptr)) {}
  TGdiBitmap& operator=(TGdiBitmap&& other) noexcept {
    if (this != &other) {
      reset();
      bitmap_ = std::exchange(other.bitmap_, nullptr);
    }
    return *this;
  }
  HBITMAP Handle() const { return bitmap_; }
  explicit operator bool() const { return bitmap_ != nullptr; }
  void reset() {
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = nullptr;
  }

 private:
  HBITMAP bitmap_ = nullptr;
};

// A memory DC compatible with another, holding one bitmap while it lives.
class TMemoryDC {
 public:
  TMemoryDC(HDC compatibleWith, HBITMAP bitmap)
      : dc_(CreateCompatibleDC(compatibleWith)),
        previous_(dc_ && bitmap ? SelectObject(dc_, bitmap) : nullptr) {}
  ~TMemoryDC() {
    if (previous_) SelectObject(dc_, previous_);
    if (dc_) DeleteDC(dc_);
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Handle() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A window's client-area DC for as long as it lives.
class TWindowDC {
 public:
  explicit TWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~TWindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Handle() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace parvex
