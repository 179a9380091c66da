#include "net/oauth_provider.h"

#include <algorithm>

#include "mail/mail_text.h"
#include "net/net_errors.h"

namespace parvex {
namespace {

constexpr char kDialog[] = "; fill it in in the Security dialog.";

bool IsAsciiLetterOrDigit(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// Parsed as a whole: digits only, 1 to 65535.
bool ReadPort(std::string_view digits, int& port) {
  if (digits.empty() || digits.size() > 5) return false;
  int value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) return false;
  port = value;
  return true;
}

void Require(const std::string& value, const char* what) {
  if (value.empty()) throw EOAuthError(std::string("Sign-in with OAuth 2.0 needs ") + what + kDialog);
}

// The address as it stands when it may carry a sign-in: https://, or plain
// http:// to this machine only, where a test server listens.
void CheckAddress(const std::string& url, const char* name) {
  const auto address = SplitWebAddress(url);
  const bool loopback = address && (address->host == "127.0.0.1" || SameText(address->host, "localhost"));
  if (address && (address->https || loopback)) return;
  const std::string what = std::string("The ") + name;
  if (address || !(StartsWithText(url, "https://") || StartsWithText(url, "http://"))) {
    throw EOAuthError(what + " must begin with https://.");
  }
  throw EOAuthError(what + " is not a valid web address; correct it in the Security dialog.");
}

// The tenant goes into the addresses' path: a plain name, so that it cannot
// reach another path or host.
void CheckTenant(const std::string& tenant) {
  bool plain = !tenant.empty() && IsAsciiLetterOrDigit(tenant.front());
  for (const char c : tenant) plain = plain && (IsAsciiLetterOrDigit(c) || c == '.' || c == '-');
  if (!plain) {
    throw EOAuthError(
        "The Microsoft tenant may hold only letters, digits, '.' and '-'; correct it in the Security dialog.");
  }
}

std::string OrDefault(const std::string& value, std::string fallback) { return value.empty() ? fallback : value; }

}  // namespace

std::optional<WebAddress> SplitWebAddress(std::string_view url) {
  for (const char c : url) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F || c == '#') return std::nullopt;
  }
  WebAddress address;
  std::size_t at = 0;
  if (StartsWithText(url, "https://")) {
    address.https = true;
    address.port = 443;
    at = 8;
  } else if (StartsWithText(url, "http://")) {
    address.port = 80;
    at = 7;
  } else {
    return std::nullopt;
  }
  const std::size_t authorityEnd = std::min(url.find_first_of("/?", at), url.size());
  std::string_view authority = url.substr(at, authorityEnd - at);
  if (authority.find('@') != std::string_view::npos) return std::nullopt;
  std::string_view port;
  if (!authority.empty() && authority.front() == '[') {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty() && after.front() != ':') return std::nullopt;
    if (!after.empty()) port = after.substr(1);
    authority = authority.substr(1, close - 1);
  } else if (const std::size_t colon = authority.find(':'); colon != std::string_view::npos) {
    port = authority.substr(colon + 1);
    authority = authority.substr(0, colon);
  }
  if (authority.empty()) return std::nullopt;
  if (!port.empty() && !ReadPort(port, address.port)) return std::nullopt;
  address.host = std::string(authority);
  address.target = std::string(url.substr(authorityEnd));
  if (address.target.empty() || address.target.front() == '?') address.target.insert(0, "/");
  return address;
}

OAuthEndpoints ResolveEndpoints(const OAuthSettings& settings) {
  Require(settings.clientId, "the client ID of the program's registration");
  OAuthEndpoints endpoints;
  if (settings.provider == "microsoft") {
    const std::string tenant = OrDefault(settings.tenant, "common");
    CheckTenant(tenant);
    const std::string base = "https://login.microsoftonline.com/" + tenant + "/oauth2/v2.0/";
    endpoints.authorizeUrl = OrDefault(settings.authorizeUrl, base + "authorize");
    endpoints.tokenUrl = OrDefault(settings.tokenUrl, base + "token");
    endpoints.scope = OrDefault(settings.scope, "https://outlook.office.com/SMTP.Send offline_access");
  } else if (settings.provider == "google") {
    // Google gives a refresh token only for offline access, and on a second
    // sign-in only when asked to show the consent again.
    endpoints.authorizeUrl = OrDefault(
        settings.authorizeUrl, "https://accounts.google.com/o/oauth2/v2/auth?access_type=offline&prompt=consent");
    endpoints.tokenUrl = OrDefault(settings.tokenUrl, "https://oauth2.googleapis.com/token");
    endpoints.scope = OrDefault(settings.scope, "https://mail.google.com/");
  } else if (settings.provider == "custom") {
    Require(settings.authorizeUrl, "the authorization address");
    Require(settings.tokenUrl, "the token address");
    Require(settings.scope, "the scope");
    endpoints = {settings.authorizeUrl, settings.tokenUrl, settings.scope};
  } else {
    throw EOAuthError(
        "Sign-in with OAuth 2.0 needs a provider (Microsoft, Google or another); choose one in the Security dialog.");
  }
  CheckAddress(endpoints.authorizeUrl, "authorization address");
  CheckAddress(endpoints.tokenUrl, "token address");
  return endpoints;
}

}  // namespace parvex
