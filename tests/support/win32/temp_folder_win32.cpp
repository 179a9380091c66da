#include "support/temp_folder.h"

#include <windows.h>

namespace parvex::testing {

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = dir + "\\" + name;
      // A read-only entry cannot be deleted until its attribute is gone.
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(dir.c_str());
}

TempFolder::TempFolder() {
  static int serial = 0;
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  path_ = std::string(base) + "parvex-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

// Through the ANSI API, so that names with high bytes mean what the program sees.
std::string TempFolder::file(const std::string& name, const std::string& text) const {
  const std::string p = path_ + "\\" + name;
  HANDLE h = CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return p;
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
  return p;
}

}  // namespace parvex::testing
