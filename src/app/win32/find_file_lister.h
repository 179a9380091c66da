#pragma once
// FindFirstFileA / FindNextFileA over a folder mask, every attribute accepted.
#include "app/directory_lister.h"

namespace parvex {

// Whether a failed first find means only that the folder holds no matching
// entry (it can be listed, and is empty). Every other error means the folder is
// out of reach, and its entries must not be taken as deleted.
bool FindErrorMeansNoEntries(unsigned long error);

class FindFileLister final : public DirectoryLister {
 public:
  void enumerate(const std::string& mask, const EntryFn& onEntry) const override;
};

}  // namespace parvex
