#pragma once
// The SMTP sign-in as the screen keeps it between the "Security..." dialog and
// the settings: the connection's protection, the user, and the password or the
// OAuth 2.0 registration. Secrets only as stored (sealed, base64).
#include <string>

#include "app/password_seal.h"
#include "net/oauth_provider.h"
#include "net/smtp_security.h"

namespace parvex {

struct OAuthRegistration {
  std::string provider = "microsoft";  // "microsoft", "google" or "custom"
  std::string clientId;
  std::string sealedClientSecret;  // as stored
  std::string tenant;
  std::string authorizeUrl;
  std::string tokenUrl;
  std::string scope;
  bool operator==(const OAuthRegistration&) const = default;
};

struct SmtpSignIn {
  SmtpSecurity security = SmtpSecurity::None;
  std::string user;
  std::string sealedPassword;  // as stored
  SmtpAuth auth = SmtpAuth::Password;
  OAuthRegistration oauth;
};

// The registration as the sign-in and the token source take it, the client
// secret unsealed. Raises EOAuthError when the stored secret cannot be read.
OAuthSettings ToOAuthSettings(const OAuthRegistration& registration, const SecretSealer& sealer);

}  // namespace parvex
