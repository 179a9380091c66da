#pragma once
// The lookup comparison of snapshot paths: case-insensitive under the user's
// locale. It is expressed as a sort key so that a list of n paths is ordered with
// n key computations and byte comparisons instead of n log n locale calls.
#include <string>
#include <string_view>

namespace parvex {

class Collation {
 public:
  virtual ~Collation() = default;
  // Keys compare bytewise exactly as the texts compare under the locale.
  virtual std::string sortKey(std::string_view text) const = 0;
  // Appends the sort key to out; adapters override it to spare a temporary.
  virtual void appendSortKey(std::string_view text, std::string& out) const { out += sortKey(text); }

  int compare(std::string_view a, std::string_view b) const {
    const int c = sortKey(a).compare(sortKey(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
};

}  // namespace parvex
