#pragma once
// The cell grid of the marquee's letter bitmap: one 11 x 19 cell per glyph and
// colour, 67 glyphs across and five colour rows down, and which glyph draws
// which character.
namespace parvex {

inline constexpr int kGlyphCount = 67;
inline constexpr int kColourRowCount = 5;  // green, red, yellow, cyan, white
inline constexpr int kGlyphCellWidth = 11;
inline constexpr int kGlyphCellHeight = 19;
inline constexpr int kBlankGlyph = 41;
// The digits 1 to 5 and the letter F, which mean something inside a code.
inline constexpr int kGlyphDigitOne = 27;
inline constexpr int kGlyphLetterF = 5;

// The glyph for a character, upper case first; every character without a
// glyph of its own is the blank. The tilde, which starts a code, is the blank
// too: callers test for it before asking.
int GlyphOf(char c);

}  // namespace parvex
