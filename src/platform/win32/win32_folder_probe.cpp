#include "platform/win32/win32_folder_probe.h"

#include <windows.h>

#include "runtime/win32/scoped_handle.h"

namespace parvex {

unsigned Win32FolderProbe::logicalDrives() const { return GetLogicalDrives(); }

bool Win32FolderProbe::findsDirectory(const std::string& path) const {
  WIN32_FIND_DATAA found;
  if (!FindHandle(FindFirstFileA(path.c_str(), &found))) return false;
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace parvex
