#pragma once
// The folder probe over the real file system: the drive mask and FindFirstFileA.
#include "platform/folder_probe.h"

namespace parvex {

class Win32FolderProbe final : public FolderProbe {
 public:
  unsigned logicalDrives() const override;
  bool findsDirectory(const std::string& path) const override;
};

}  // namespace parvex
