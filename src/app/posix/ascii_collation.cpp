#include "app/posix/ascii_collation.h"

namespace parvex {

std::string AsciiCaseInsensitiveCollation::sortKey(std::string_view text) const {
  std::string key;
  appendSortKey(text, key);
  return key;
}

void AsciiCaseInsensitiveCollation::appendSortKey(std::string_view text, std::string& out) const {
  const std::size_t start = out.size();
  out.append(text);
  for (std::size_t i = start; i < out.size(); ++i)
    if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
}

}  // namespace parvex
