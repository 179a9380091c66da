#pragma once
// Every glyph's dot picture, written down apart from the glyph table file and the
// letter bitmap built from it, so that two pictures swapped under their labels
// show in either place. Bit 5 x row + column is the dot in that column (0 to 4)
// and row (0 to 8, top first).
#include <cstdint>

namespace parvex::testing {

// clang-format off: four glyphs a line, their characters beside them.
inline constexpr std::uint64_t kGlyphPictures[67] = {
    0x008c63f8c5c0, 0x007c62f8c5e0, 0x00744210c5c0, 0x003a6318a4e0,  // A B C D
    0x00f842f087e0, 0x000842f087e0, 0x00f463d0c5c0, 0x008c63f8c620,  // E F G H
    0x0071084211c0, 0x003250842380, 0x008a4a32a620, 0x00f842108420,  // I J K L
    0x008c635aee20, 0x008c7359c620, 0x00746318c5c0, 0x000842f8c5e0,  // M N O P
    0x00b26b18c5c0, 0x008a4af8c5e0, 0x007c20e087c0, 0x0021084213e0,  // Q R S T
    0x00746318c620, 0x0022a318c620, 0x00556b58c620, 0x008c54454620,  // U V W X
    0x002108454620, 0x00f8444443e0, 0x0074675cc5c0, 0x007108421880,  // Y Z 0 1
    0x00f8888845c0, 0x0074608223e0, 0x00423e953100, 0x0074610787e0,  // 2 3 4 5
    0x007462f08980, 0x0010844443e0, 0x007462e8c5c0, 0x003221e8c5c0,  // 6 7 8 9
    0x00018c031800, 0x003180000000, 0x000109f21000, 0x000001f00000,  // : . + -
    0x0023e8e2f880, 0x000000000000, 0x002008421080, 0x00756b6845c0,  // $ blank ! at
    0x0052beafa940, 0x00c644444c60, 0x00b26a22a4c0, 0x00012aea9000,  // # % & *
    0x004104211100, 0x001110841040, 0x00003e0f8000, 0x000410410400,  // ( ) = backslash
    0x000044444000, 0x0020088845c0, 0x02218c031800, 0x000000052940,  // / ? ; "
    0x02218c000000, 0x0000000110c0, 0x00000008a880, 0x00f800000000,  // , ' ^ _
    0x042108421084, 0x00c108221300, 0x001908821060, 0x0070842109c0,  // bar { } [
    0x0072108421c0, 0x004104111100, 0x001111041040,                  // ] < >
};
// clang-format on

}  // namespace parvex::testing
