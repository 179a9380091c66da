#pragma once
// Signing in with OAuth 2.0 in the user's browser, as installed programs do:
// the authorization code with PKCE, brought back to a port on this computer,
// then exchanged for the tokens. The refresh token is the caller's to keep.
#include <chrono>
#include <functional>
#include <string>

#include "net/loopback_listener.h"
#include "net/oauth_pkce.h"
#include "net/oauth_provider.h"
#include "net/oauth_token.h"
#include "net/oauth_token_source.h"

namespace parvex {

class BrowserOpener {
 public:
  virtual ~BrowserOpener() = default;
  // Raises EOAuthError when no browser could be started.
  virtual void Open(const std::string& url) = 0;
};

struct SignInProgress {
  std::function<void(const std::string& status)> status;  // what is happening, for the dialog
  std::function<bool()> cancelled;                        // true once the user has cancelled
};

// How long the user has to sign in in the browser.
inline constexpr std::chrono::minutes kBrowserSignInTime{5};

TokenAnswer SignInWithBrowser(const OAuthSettings& settings, const std::string& mailbox, RandomSource& random,
                              LoopbackListener& listener, BrowserOpener& browser, HttpsPoster& poster,
                              const SignInProgress& progress,
                              std::chrono::steady_clock::duration timeLimit = kBrowserSignInTime);

}  // namespace parvex
