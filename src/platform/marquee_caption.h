#pragma once
// Turns a marquee caption into the row of letter cells it draws. A tilde starts
// a code: the digits 1 to 5 choose the colour row, F switches flashing, and the
// code ends at the next blank (a space or any character without a glyph), which
// is not drawn. Other characters inside a code are dropped.
#include <string_view>
#include <vector>

namespace parvex {

struct MarqueeCell {
  int glyph;
  int colourRow;
  bool flashing;  // drawn only in the upper half of the text bitmap
  bool operator==(const MarqueeCell&) const = default;
};

std::vector<MarqueeCell> RenderMarqueeCaption(std::string_view caption);

}  // namespace parvex
