#include "platform/win32/window_text_measure.h"

namespace parvex {

namespace {

HFONT fontOf(HWND control) { return reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)); }

}  // namespace

WindowTextMeasure::WindowTextMeasure(HWND control) : dc_(GetWindowDc(control)), font_(dc_.Get(), fontOf(control)) {}

int WindowTextMeasure::textWidth(const std::string& text) const {
  SIZE size{};
  if (!dc_ || !GetTextExtentPoint32A(dc_.Get(), text.c_str(), static_cast<int>(text.size()), &size)) return 0;
  return size.cx;
}

}  // namespace parvex
