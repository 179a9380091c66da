#include "app/win32/shell_browser.h"

#include <shellapi.h>

#include "net/net_errors.h"

namespace parvex {

void ShellBrowser::Open(const std::string& url) {
  // Only web addresses: the shell would run anything else it is given.
  if (url.rfind("https://", 0) != 0 && url.rfind("http://", 0) != 0)
    throw EOAuthError("The sign-in address must begin with https://.");
  const auto result =
      reinterpret_cast<INT_PTR>(ShellExecuteA(owner_, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32)
    throw EOAuthError("No browser could be opened for the sign-in (error " + std::to_string(result) +
                      "); check that a web browser is installed and set as the default.");
}

}  // namespace parvex
