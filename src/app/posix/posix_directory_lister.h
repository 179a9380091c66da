#pragma once
// Native stand-in for find-first / find-next: readdir and fstatat over the folder
// that a "folder\*.*" mask names. Backslashes in the mask are taken as '/'.
#include "app/directory_lister.h"

namespace parvex {

class PosixDirectoryLister final : public DirectoryLister {
 public:
  void enumerate(const std::string& mask, const EntryFn& onEntry) const override;
};

// The folder a mask names: the mask without its trailing "*.*" and separator.
std::string PosixFolderOfMask(const std::string& mask);

}  // namespace parvex
