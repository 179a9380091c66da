#pragma once
// Measures text in the font a window control draws with.
#include <windows.h>

#include "platform/text_measure.h"

namespace parvex {

class WindowTextMeasure final : public TextMeasure {
 public:
  explicit WindowTextMeasure(HWND control);
  ~WindowTextMeasure();
  WindowTextMeasure(const WindowTextMeasure&) = delete;
  WindowTextMeasure& operator=(const WindowTextMeasure&) = delete;

  int textWidth(const std::string& text) const override;

 private:
  HWND control_;
  HDC dc_;
  HGDIOBJ oldFont_ = nullptr;
};

}  // namespace parvex
