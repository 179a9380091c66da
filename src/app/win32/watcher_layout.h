#pragma once
// The main window's designed sizes and colours, shared by its layout and its handlers.
#include <windows.h>

#include "ui/win32/controls.h"

namespace parvex::watcher {

inline constexpr int kDesignedClientWidth = 668;
inline constexpr int kDesignedClientHeight = 405;
inline constexpr Bounds kPanel1Bounds{1, 1, 402, 368};
inline constexpr COLORREF kNavy = RGB(0, 0, 128);

}  // namespace parvex::watcher
