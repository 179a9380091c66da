#include "platform/marquee_caption.h"

#include "platform/dot_matrix_glyphs.h"

namespace parvex {

std::vector<MarqueeCell> RenderMarqueeCaption(std::string_view caption) {
  std::vector<MarqueeCell> cells;
  int row = 0;
  bool flashing = false;
  bool inCode = false;
  for (const char c : caption) {
    if (c == '~') {
      inCode = true;
      continue;
    }
    const int glyph = GlyphOf(c);
    if (!inCode) {
      cells.push_back({glyph, row, flashing});
    } else if (glyph >= kGlyphDigitOne && glyph < kGlyphDigitOne + kColourRowCount) {
      row = glyph - kGlyphDigitOne;
    } else if (glyph == kGlyphLetterF) {
      flashing = !flashing;
    } else if (glyph == kBlankGlyph) {
      inCode = false;
    }
  }
  return cells;
}

}  // namespace parvex
