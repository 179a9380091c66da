#include "app/smtp_sign_in.h"

#include "net/net_errors.h"

namespace parvex {

OAuthSettings ToOAuthSettings(const OAuthRegistration& r, const SecretSealer& sealer) {
  OAuthSettings settings;
  settings.provider = r.provider;
  settings.clientId = r.clientId;
  try {
    settings.clientSecret = UnsealPassword(sealer, r.sealedClientSecret);
  } catch (const Exception&) {
    throw EOAuthError("The stored OAuth 2.0 client secret cannot be read; please enter it again in the Security dialog.");
  }
  settings.tenant = r.tenant;
  settings.authorizeUrl = r.authorizeUrl;
  settings.tokenUrl = r.tokenUrl;
  settings.scope = r.scope;
  return settings;
}

}  // namespace parvex
