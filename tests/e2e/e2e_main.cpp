// Runs the end-to-end tests:
// e2e_tests --parvex=<parvex.exe> --screenshots=<folder> --source=<source tree>
// (Linux paths are taken as seen through Wine's Z: drive).
#include <gtest/gtest.h>

#include <cstring>

#include "e2e_context.h"
#include "support/win32/driver.h"

namespace e2e {
namespace {
Context g_context;
}
const Context& context() { return g_context; }
}  // namespace e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--parvex=", 0) == 0) e2e::g_context.parvexExe = e2e::windowsPath(arg.substr(9));
    if (arg.rfind("--screenshots=", 0) == 0) {
      e2e::g_context.screenshotDirLinux = arg.substr(14);
      e2e::g_context.screenshotDir = e2e::windowsPath(arg.substr(14));
    }
    if (arg.rfind("--source=", 0) == 0) {
      e2e::g_context.sourceDirLinux = arg.substr(9);
      e2e::g_context.sourceDir = e2e::windowsPath(arg.substr(9));
    }
  }
  if (e2e::g_context.parvexExe.empty()) {
    std::fprintf(stderr, "usage: e2e_tests --parvex=<parvex.exe> [--screenshots=<folder>] [--source=<source tree>]\n");
    return 2;
  }
  return RUN_ALL_TESTS();
}
