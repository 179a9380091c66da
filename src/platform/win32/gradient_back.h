#pragma once
// The about box's background: a vertical colour gradient in 256 bands over its
// whole area, blue at the top shading to black (all blue) or to red. It erases
// nothing: every paint covers the area.
#include <windows.h>

#include <array>

#include "ui/win32/painted_control.h"

namespace parvex {

class TGradientBack final : public TPaintedControl {
 public:
  static constexpr const char* kWindowClass = "TGradientBack";

  // Fills the parent's client area.
  TGradientBack(HWND parent, int id);
  bool isAllBlue() const { return isAllBlue_; }
  // Takes effect at the next paint.
  void SetIsAllBlue(bool allBlue) { isAllBlue_ = allBlue; }

 private:
  void Paint(HDC dc) override;

  bool isAllBlue_ = false;
  std::array<COLORREF, 256> blue_{};
  std::array<COLORREF, 256> blend_{};
};

}  // namespace parvex
