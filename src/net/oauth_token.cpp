#include "net/oauth_token.h"

#include <algorithm>

#include "mail/mail_text.h"
#include "net/answer_fields.h"
#include "net/net_errors.h"
#include "net/oauth_authorization.h"
#include "net/smtp_reply.h"

namespace parvex {
namespace {

constexpr std::size_t kMaxErrorBytes = 100;
constexpr std::size_t kMaxDescriptionBytes = 300;

std::string ClientPart(const OAuthSettings& settings, const OAuthEndpoints& endpoints) {
  std::string part = "&client_id=" + FormEncode(settings.clientId);
  if (!settings.clientSecret.empty()) part += "&client_secret=" + FormEncode(settings.clientSecret);
  return part + "&scope=" + FormEncode(endpoints.scope);
}

const AnswerField* Find(const AnswerFields& fields, const char* name) {
  const auto it = fields.find(name);
  return it == fields.end() ? nullptr : &it->second;
}

// A token goes into the XOAUTH2 frame and the settings as it is: printable
// ASCII only (RFC 6750's b64token is a subset), and of a sane length.
std::string UsableToken(const AnswerField& field) {
  bool usable = !field.isNumber && !field.text.empty() && field.text.size() <= kMaxTokenBytes;
  for (const char c : field.text) usable = usable && c > 0x20 && c < 0x7F;
  if (!usable) throw EOAuthError("The token address answered with a token that cannot be used; sign in again.");
  return field.text;
}

long long Lifetime(const AnswerField* field) {
  if (field == nullptr) return 3600;
  double seconds = field->number;
  if (!field->isNumber) {
    long long parsed = 0;
    if (!ParseSignedDecimal(field->text, parsed)) return 3600;
    seconds = static_cast<double>(parsed);
  }
  // Compared as a double first: a huge value must not overflow the cast.
  return static_cast<long long>(std::clamp(seconds, double(kMinTokenLifetime), double(kMaxTokenLifetime)));
}

}  // namespace

std::string CodeExchangeBody(const OAuthSettings& settings, const OAuthEndpoints& endpoints, const std::string& code,
                             const std::string& redirectUri, const std::string& codeVerifier) {
  return "grant_type=authorization_code&code=" + FormEncode(code) + "&redirect_uri=" + FormEncode(redirectUri) +
         "&code_verifier=" + FormEncode(codeVerifier) + ClientPart(settings, endpoints);
}

std::string RefreshBody(const OAuthSettings& settings, const OAuthEndpoints& endpoints,
                        const std::string& refreshToken) {
  return "grant_type=refresh_token&refresh_token=" + FormEncode(refreshToken) + ClientPart(settings, endpoints);
}

TokenAnswer ReadTokenAnswer(int httpStatus, std::string_view body, bool refreshing) {
  const std::string noToken = "The token address answered with HTTP " + std::to_string(httpStatus) + " and no token.";
  const auto fields = ReadAnswerFields(body);
  if (!fields) throw EOAuthError(noToken);

  if (const AnswerField* error = Find(*fields, "error")) {
    const std::string code = ShownAnswerText(error->text, kMaxErrorBytes);
    if (refreshing && error->text == "invalid_grant") {
      throw EOAuthSignInExpired(
          "The sign-in with OAuth 2.0 has expired or was revoked; sign in again in the Security dialog.");
    }
    if (!code.empty()) {
      std::string message = "The token address refused the request: " + code;
      if (const AnswerField* description = Find(*fields, "error_description")) {
        const std::string shown = ShownAnswerText(description->text, kMaxDescriptionBytes);
        if (!shown.empty()) message += ": " + shown;
      }
      throw EOAuthError(message);
    }
  }
  const AnswerField* access = Find(*fields, "access_token");
  if (httpStatus != 200 || access == nullptr) throw EOAuthError(noToken);

  TokenAnswer answer;
  answer.accessToken = UsableToken(*access);
  // RFC 6749 requires the type; an answer without one is taken as bearer, the
  // only kind there is in practice.
  if (const AnswerField* type = Find(*fields, "token_type"); type != nullptr && !SameText(type->text, "bearer")) {
    throw EOAuthError("The token address gave a token of the type \"" + ShownAnswerText(type->text, 40) +
                      "\", which mail servers do not take; only bearer tokens will do.");
  }
  answer.expiresInSeconds = Lifetime(Find(*fields, "expires_in"));
  if (const AnswerField* refresh = Find(*fields, "refresh_token"); refresh != nullptr && !refresh->text.empty()) {
    answer.refreshToken = UsableToken(*refresh);
  }
  return answer;
}

}  // namespace parvex
