#pragma once
// The token address's side of a sign-in with OAuth 2.0 (RFC 6749 sections
// 4.1.3, 5 and 6): the form bodies that trade an authorization code or a
// refresh token for an access token, and what the answer says. No I/O here.
#include <string>
#include <string_view>

#include "net/oauth_provider.h"

namespace parvex {

// grant_type=authorization_code with the PKCE verifier; the client secret only
// when there is one (a public client must not send any).
std::string CodeExchangeBody(const OAuthSettings& settings, const OAuthEndpoints& endpoints, const std::string& code,
                             const std::string& redirectUri, const std::string& codeVerifier);
// grant_type=refresh_token; the client secret only when there is one.
std::string RefreshBody(const OAuthSettings& settings, const OAuthEndpoints& endpoints,
                        const std::string& refreshToken);

struct TokenAnswer {
  std::string accessToken;
  long long expiresInSeconds = 3600;  // kept within kMinTokenLifetime..kMaxTokenLifetime
  std::string refreshToken;           // empty: the old one stays
};

// A token the provider gives a few seconds is taken for no longer: kept for a
// minute it would be offered to the server after it had run out.
inline constexpr long long kMinTokenLifetime = 1;
inline constexpr long long kMaxTokenLifetime = 24 * 60 * 60;
// No token of the providers comes near this; one beyond it is not taken.
inline constexpr std::size_t kMaxTokenBytes = 16 * 1024;

// The token address's answer. Raises EOAuthSignInExpired when a refresh is
// refused with invalid_grant, EOAuthError for any other refusal or an answer
// without a usable bearer token. The texts carry the answer's error and its
// description (cut and cleaned for a message box), never a token.
TokenAnswer ReadTokenAnswer(int httpStatus, std::string_view body, bool refreshing);

}  // namespace parvex
