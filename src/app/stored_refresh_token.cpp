#include "app/stored_refresh_token.h"

#include "app/settings.h"
#include "net/net_errors.h"

namespace parvex {

std::string StoredRefreshToken::Load() {
  const std::string stored = ReadString(store_, kOptsSection, kRefreshTokenValue, "");
  try {
    return UnsealPassword(sealer_, stored);
  } catch (const Exception&) {
    throw EOAuthSignInExpired("The stored OAuth 2.0 sign-in cannot be read; sign in again in the Security dialog.");
  }
}

void StoredRefreshToken::Save(const std::string& refreshToken) {
  WriteString(store_, kOptsSection, kRefreshTokenValue, SealPassword(sealer_, refreshToken));
}

bool HasStoredRefreshToken(const IniStore& store) {
  return !ReadString(store, kOptsSection, kRefreshTokenValue, "").empty();
}

}  // namespace parvex
