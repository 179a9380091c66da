#pragma once
// FindFirstFileA / FindNextFileA over a folder mask, every attribute accepted.
#include "app/directory_lister.h"

namespace parvex {

class FindFileLister final : public DirectoryLister {
 public:
  void enumerate(const std::string& mask, const EntryFn& onEntry) const override;
};

}  // namespace parvex
