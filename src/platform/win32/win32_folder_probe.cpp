#include "platform/win32/win32_folder_probe.h"

#include <windows.h>

namespace parvex {

unsigned Win32FolderProbe::logicalDrives() const { return GetLogicalDrives(); }

bool Win32FolderProbe::findsDirectory(const std::string& path) const {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace parvex
