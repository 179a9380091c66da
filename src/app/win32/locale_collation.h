#pragma once
// The user locale's case-insensitive order (CompareStringA with NORM_IGNORECASE),
// as sort keys from LCMapStringA.
#include "app/collation.h"

namespace parvex {

class UserLocaleCollation final : public Collation {
 public:
  std::string sortKey(std::string_view text) const override;
  void appendSortKey(std::string_view text, std::string& out) const override;
};

// CompareStringA under the same locale and flag, giving -1, 0 or 1.
int CompareUserLocaleIgnoreCase(std::string_view a, std::string_view b);

}  // namespace parvex
