#pragma once
// The access token a send signs in with: kept in memory while it has time
// left, renewed with the stored refresh token shortly before it runs out. The
// HTTPS request, the refresh token's storage and the clock are the platform's.
// Not for use from more than one thread at a time.
#include <optional>
#include <string>

#include "net/oauth_provider.h"
#include "net/oauth_token.h"

namespace parvex {

class HttpsPoster {
 public:
  virtual ~HttpsPoster() = default;
  struct Answer {
    int status = 0;
    std::string body;
  };
  // POSTs an application/x-www-form-urlencoded body; raises EOAuthError "The
  // token address <host> cannot be reached: <reason>." when no answer comes.
  virtual Answer PostForm(const std::string& url, const std::string& body) = 0;
};

class RefreshTokenStore {
 public:
  virtual ~RefreshTokenStore() = default;
  // "" when none is stored.
  virtual std::string Load() = 0;
  virtual void Save(const std::string& refreshToken) = 0;
};

class SecondsClock {
 public:
  virtual ~SecondsClock() = default;
  virtual long long NowSeconds() const = 0;  // monotonic
};

class AccessTokenSource {
 public:
  // A token is renewed once fewer than this many seconds remain of it (or
  // fewer than half its lifetime, for one that lives shorter than twice this).
  static constexpr long long kRenewMarginSeconds = 5 * 60;

  AccessTokenSource(OAuthSettings settings, HttpsPoster& poster, RefreshTokenStore& store, const SecondsClock& clock);

  // The cached token, or a renewed one; a new refresh token in the answer is
  // saved. Raises EOAuthSignInExpired when no refresh token is stored or the
  // stored one is no longer valid, EOAuthError for the other failures.
  std::string AccessToken();
  // Drops the cached token: the server refused it.
  void Forget();
  // New settings; the cached token is dropped with the old ones.
  void SettingsChanged(OAuthSettings settings);

 private:
  struct Cached {
    std::string token;
    long long renewAt = 0;  // on the clock's scale
  };

  OAuthSettings settings_;
  HttpsPoster& poster_;
  RefreshTokenStore& store_;
  const SecondsClock& clock_;
  std::optional<Cached> cached_;
};

// Trades the browser's authorization code for the first tokens. Raises
// EOAuthError when the answer carries no refresh token, since the sign-in
// would then not outlast the first access token.
TokenAnswer ExchangeCode(const OAuthSettings& settings, HttpsPoster& poster, const std::string& code,
                         const std::string& redirectUri, const std::string& verifier);

}  // namespace parvex
