#pragma once
// Find-first / find-next over one folder mask, as the snapshot needs it: every
// entry with every attribute, its long name and its packed last-write stamp.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "runtime/exceptions.h"

namespace parvex {

// A folder that could not be listed whole. What it gave, if anything, is not the
// folder, so it must not be compared. The lister raises it with the system's
// text; the snapshot adds the folder.
class FolderNotListed : public Exception {
 public:
  using Exception::Exception;
};

// The first find failed for another reason than "no matching entries": the
// folder is gone, a share or drive is away, access is denied.
class FolderOutOfReach : public FolderNotListed {
 public:
  using FolderNotListed::FolderNotListed;
};

// A listing that began but stopped with an error (a network share's hiccup, say).
class ListingCutShort : public FolderNotListed {
 public:
  using FolderNotListed::FolderNotListed;
};

class DirectoryLister {
 public:
  using EntryFn = std::function<void(std::string_view name, std::int32_t stamp)>;
  virtual ~DirectoryLister() = default;
  // Calls onEntry for every entry matching mask, "." and ".." included. A folder
  // that cannot be listed at all raises FolderOutOfReach (one with no entries at
  // all raises nothing); a listing that stops with an error after it began raises
  // ListingCutShort.
  virtual void enumerate(const std::string& mask, const EntryFn& onEntry) const = 0;
};

}  // namespace parvex
