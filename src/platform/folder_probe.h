#pragma once
// What the folder picker needs to know about the file system to decide whether a
// text names an existing folder.
#include <string>

namespace parvex {

class FolderProbe {
 public:
  virtual ~FolderProbe() = default;
  // Bit 0 is drive A:, bit 25 drive Z:.
  virtual unsigned logicalDrives() const = 0;
  // A directory search for the path finds an entry and that entry is a directory.
  virtual bool findsDirectory(const std::string& path) const = 0;
};

}  // namespace parvex
