#pragma once
// Measures text in the font a window control draws with.
#include <windows.h>

#include "platform/text_measure.h"
#include "runtime/win32/scoped_handle.h"
#include "ui/win32/scoped_selection.h"

namespace parvex {

class WindowTextMeasure final : public TextMeasure {
 public:
  explicit WindowTextMeasure(HWND control);

  int textWidth(const std::string& text) const override;

 private:
  WindowDcHandle dc_;
  ScopedSelection font_;  // declared after dc_: deselected before the DC goes back
};

}  // namespace parvex
