#include "runtime/code_page.h"

namespace parvex {
namespace {

// Lead bytes of the double-byte pages; any other byte stands alone there.
bool IsLeadByte(unsigned char c, unsigned codePage) {
  switch (codePage) {
    case 932: return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case 936:
    case 949:
    case 950: return c >= 0x81 && c <= 0xFE;
    default: return false;
  }
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::size_t FirstCharacterLength(std::string_view text, unsigned codePage) {
  if (text.empty()) return 0;
  const auto lead = static_cast<unsigned char>(text[0]);
  if (codePage != kUtf8CodePage) return IsLeadByte(lead, codePage) && text.size() >= 2 ? 2 : 1;
  const std::size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  std::size_t n = 1;
  while (n < expected && n < text.size() && IsContinuation(static_cast<unsigned char>(text[n]))) ++n;
  return n;
}

std::size_t CharacterCutLength(std::string_view text, std::size_t limit, unsigned codePage) {
  if (text.size() <= limit) return text.size();
  if (codePage == kUtf8CodePage) {
    // Back over the continuation bytes of the character the limit falls in; a
    // run longer than a character's is not one, so it is cut where it is.
    std::size_t cut = limit;
    while (cut > 0 && limit - cut < 3 && IsContinuation(static_cast<unsigned char>(text[cut]))) --cut;
    return IsContinuation(static_cast<unsigned char>(text[cut])) ? limit : cut;
  }
  // A trail byte of a double-byte page may look like a lead byte, so the
  // characters are counted from the start.
  std::size_t at = 0;
  while (at < limit) {
    const std::size_t width = IsLeadByte(static_cast<unsigned char>(text[at]), codePage) ? 2 : 1;
    if (at + width > limit) break;
    at += width;
  }
  return at;
}

}  // namespace parvex
