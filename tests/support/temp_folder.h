#pragma once
// Scratch folders for tests that touch the real file system.
#include <string>

namespace parvex::testing {

// Removes a folder with everything in it, read-only files included; a folder
// that is not there is no error.
void RemoveTree(const std::string& dir);

// A fresh folder under the system's temporary folder, removed with its contents.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // Creates (or replaces) a file at the relative path with the text; gives its full path.
  std::string file(const std::string& name, const std::string& text = "x") const;

 private:
  std::string path_;
};

}  // namespace parvex::testing
