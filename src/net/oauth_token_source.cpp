#include "net/oauth_token_source.h"

#include <algorithm>
#include <utility>

#include "net/net_errors.h"

namespace parvex {

AccessTokenSource::AccessTokenSource(OAuthSettings settings, HttpsPoster& poster, RefreshTokenStore& store,
                                     const SecondsClock& clock)
    : settings_(std::move(settings)), poster_(poster), store_(store), clock_(clock) {}

std::string AccessTokenSource::AccessToken() {
  if (cached_ && clock_.NowSeconds() < cached_->renewAt) return cached_->token;
  cached_.reset();
  const std::string refreshToken = store_.Load();
  if (refreshToken.empty()) throw EOAuthSignInExpired("Sign in with OAuth 2.0 in the Security dialog first.");
  const OAuthEndpoints endpoints = ResolveEndpoints(settings_);
  // The lifetime counts from before the request: the token may have been made
  // at any moment while it was under way.
  const long long asked = clock_.NowSeconds();
  const HttpsPoster::Answer answer =
      poster_.PostForm(endpoints.tokenUrl, RefreshBody(settings_, endpoints, refreshToken));
  TokenAnswer token = ReadTokenAnswer(answer.status, answer.body, /*refreshing=*/true);
  // Saved before the access token is used: a rotated refresh token that is not
  // stored would leave the next start with a spent one.
  if (!token.refreshToken.empty() && token.refreshToken != refreshToken) store_.Save(token.refreshToken);
  const long long margin = std::min(kRenewMarginSeconds, token.expiresInSeconds / 2);
  cached_ = Cached{std::move(token.accessToken), asked + token.expiresInSeconds - margin};
  return cached_->token;
}

void AccessTokenSource::Forget() { cached_.reset(); }

void AccessTokenSource::SettingsChanged(OAuthSettings settings) {
  settings_ = std::move(settings);
  cached_.reset();
}

TokenAnswer ExchangeCode(const OAuthSettings& settings, HttpsPoster& poster, const std::string& code,
                         const std::string& redirectUri, const std::string& verifier) {
  const OAuthEndpoints endpoints = ResolveEndpoints(settings);
  const HttpsPoster::Answer answer =
      poster.PostForm(endpoints.tokenUrl, CodeExchangeBody(settings, endpoints, code, redirectUri, verifier));
  TokenAnswer token = ReadTokenAnswer(answer.status, answer.body, /*refreshing=*/false);
  if (token.refreshToken.empty()) {
    throw EOAuthError(
        "The sign-in gave no refresh token, so it would end with the first access token; check that the scope "
        "allows offline access and sign in again.");
  }
  return token;
}

}  // namespace parvex
