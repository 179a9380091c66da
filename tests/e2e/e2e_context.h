#pragma once
// Where the program under test and the screenshots are, from the command line.
#include <string>

namespace e2e {

struct Context {
  std::string parvexExe;      // Windows path of parvex.exe
  std::string screenshotDir;  // Windows path of the folder for PNG files
  std::string screenshotDirLinux;  // the same folder as Linux sees it
  std::string sourceDir;      // Windows path of the project's source tree
  std::string sourceDirLinux;
};

const Context& context();

}  // namespace e2e
