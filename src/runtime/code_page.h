#pragma once
// The ANSI code page: every ...A function takes and returns text in it. With
// UTF-8 in force (the program's manifest asks for it) a character may take up
// to four bytes, on the East Asian pages two; a text cut to a byte limit must
// not end inside one.
#include <cstddef>
#include <string_view>

namespace parvex {

inline constexpr unsigned kUtf8CodePage = 65001;

// The code page this process runs with; natively a fixed single-byte page.
unsigned ActiveCodePage();

// The length of the longest head of text, at most limit bytes, that ends at a
// character boundary in codePage. Single-byte pages cut at limit exactly.
std::size_t CharacterCutLength(std::string_view text, std::size_t limit, unsigned codePage);

// The bytes of text's first character in codePage (0 for an empty text); a
// broken sequence counts byte by byte.
std::size_t FirstCharacterLength(std::string_view text, unsigned codePage);

}  // namespace parvex
