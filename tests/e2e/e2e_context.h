#pragma once
// Where the program under test and the screenshots are, from the command line.
#include <string>

namespace e2e {

struct Context {
  std::string parvexExe;      // Windows path of parvex.exe
  std::string screenshotDir;  // Windows path of the folder for PNG files
};

const Context& context();

}  // namespace e2e
