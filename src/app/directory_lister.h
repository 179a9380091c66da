#pragma once
// Find-first / find-next over one folder mask, as the snapshot needs it: every
// entry with every attribute, its long name and its packed last-write stamp.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace parvex {

class DirectoryLister {
 public:
  using EntryFn = std::function<void(std::string_view name, std::int32_t stamp)>;
  virtual ~DirectoryLister() = default;
  // Calls onEntry for every entry matching mask, "." and ".." included. A folder
  // that cannot be listed yields nothing and raises nothing.
  virtual void enumerate(const std::string& mask, const EntryFn& onEntry) const = 0;
};

}  // namespace parvex
