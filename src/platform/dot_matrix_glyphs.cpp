#include "platform/dot_matrix_glyphs.h"

#include <string_view>

namespace parvex {

int GlyphOf(char c) {
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= '0' && c <= '9') return 26 + (c - '0');
  // Punctuation in the order of the bitmap from glyph 36 on; the space at 41
  // keeps its place there as the blank.
  constexpr std::string_view kPunctuation = ":.+-$ !@#%&*()=\\/?;\",'^_|{}[]<>";
  const auto at = kPunctuation.find(c);
  if (c == '\0' || at == std::string_view::npos) return kBlankGlyph;
  return 36 + static_cast<int>(at);
}

}  // namespace parvex
