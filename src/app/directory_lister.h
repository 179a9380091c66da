#pragma once
// Find-first / find-next over one folder mask, as the snapshot needs it: every
// entry with every attribute, its long name and its packed last-write stamp.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "runtime/exceptions.h"

namespace parvex {

// A listing that began but stopped with an error (a network share's hiccup, say).
// What it gave so far is not the folder, so it must not be compared. The lister
// raises it with the system's text; the snapshot adds the folder.
class ListingCutShort : public Exception {
 public:
  using Exception::Exception;
};

class DirectoryLister {
 public:
  using EntryFn = std::function<void(std::string_view name, std::int32_t stamp)>;
  virtual ~DirectoryLister() = default;
  // Calls onEntry for every entry matching mask, "." and ".." included. A folder
  // that cannot be listed at all yields nothing and raises nothing; a listing that
  // stops with an error after it began raises ListingCutShort.
  virtual void enumerate(const std::string& mask, const EntryFn& onEntry) const = 0;
};

}  // namespace parvex
