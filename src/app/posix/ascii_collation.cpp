#include "app/posix/ascii_collation.h"

namespace parvex {

std::string AsciiCaseInsensitiveCollation::sortKey(std::string_view text) const {
  std::string key(text);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

}  // namespace parvex
