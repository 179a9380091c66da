#pragma once
// The OAuth 2.0 refresh token where the settings live ("OAuthRefreshToken"),
// sealed for the current user like the password. Written only by a sign-in and
// by a send whose token answer brought a new one, never by saving the screen.
#include "app/password_seal.h"
#include "net/oauth_token_source.h"
#include "runtime/ini_store.h"

namespace parvex {

class StoredRefreshToken final : public RefreshTokenStore {
 public:
  StoredRefreshToken(IniStore& store, const SecretSealer& sealer) : store_(store), sealer_(sealer) {}
  // Empty when none is stored; raises EOAuthSignInExpired when the stored one
  // cannot be unsealed (damaged, or sealed for another user).
  std::string Load() override;
  void Save(const std::string& refreshToken) override;

 private:
  IniStore& store_;
  const SecretSealer& sealer_;
};

bool HasStoredRefreshToken(const IniStore& store);

}  // namespace parvex
