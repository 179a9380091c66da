#include <windows.h>

#include "net/temp_file_stream.h"

namespace parvex {

std::string CreateTempFileName(const std::string& prefix) {
  char directory[256] = {};
  char name[MAX_PATH + 1] = {};
  DWORD length = ::GetTempPathA(255, directory);
  if (length == 0 || length > 255 || ::GetTempFileNameA(directory, prefix.c_str(), 0, name) == 0) {
    throw EFCreateError("Cannot create a temporary file in " + std::string(directory) + ". Error #" +
                        std::to_string(::GetLastError()));
  }
  return name;
}

void DeleteTempFile(const std::string& fileName) { ::DeleteFileA(fileName.c_str()); }

}  // namespace parvex
