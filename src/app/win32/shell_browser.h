#pragma once
// The user's own browser, opened at the provider's sign-in page.
#include <windows.h>

#include "net/oauth_sign_in.h"

namespace parvex {

class ShellBrowser final : public BrowserOpener {
 public:
  explicit ShellBrowser(HWND owner) : owner_(owner) {}
  void Open(const std::string& url) override;

 private:
  HWND owner_;
};

}  // namespace parvex
