#include "platform/win32/window_text_measure.h"

namespace parvex {

WindowTextMeasure::WindowTextMeasure(HWND control) : control_(control), dc_(GetDC(control)) {
  auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  if (dc_ && font) oldFont_ = SelectObject(dc_, font);
}

WindowTextMeasure::~WindowTextMeasure() {
  if (!dc_) return;
  if (oldFont_) SelectObject(dc_, oldFont_);
  ReleaseDC(control_, dc_);
}

int WindowTextMeasure::textWidth(const std::string& text) const {
  SIZE size{};
  if (!dc_ || !GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size)) return 0;
  return size.cx;
}

}  // namespace parvex
