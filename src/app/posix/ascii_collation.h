#pragma once
// Native stand-in for the locale's case-insensitive comparison: ASCII letters
// folded to lower case, every other byte by its value.
#include "app/collation.h"

namespace parvex {

class AsciiCaseInsensitiveCollation final : public Collation {
 public:
  std::string sortKey(std::string_view text) const override;
  void appendSortKey(std::string_view text, std::string& out) const override;
};

}  // namespace parvex
