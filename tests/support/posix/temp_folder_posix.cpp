#include "support/temp_folder.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace parvex::testing {

void RemoveTree(const std::string& dir) {
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
}

TempFolder::TempFolder() {
  const std::string base = std::filesystem::temp_directory_path().string();
  std::string pattern = base + "/parvex-test-XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempFolder::~TempFolder() {
  if (!path_.empty()) RemoveTree(path_);
}

std::string TempFolder::file(const std::string& name, const std::string& text) const {
  const std::string p = path_ + "/" + name;
  std::ofstream(p, std::ios::binary) << text;
  return p;
}

}  // namespace parvex::testing
