#pragma once
// Where a sign-in with OAuth 2.0 goes: the provider's authorization and token
// addresses and the scope that lets the program send mail, from the settings.
#include <optional>
#include <string>
#include <string_view>

namespace parvex {

struct OAuthSettings {
  std::string provider;  // "microsoft", "google" or "custom"
  std::string clientId, clientSecret, tenant, authorizeUrl, tokenUrl, scope;
};

struct OAuthEndpoints {
  std::string authorizeUrl, tokenUrl, scope;
};

// The addresses and scope for the settings. Microsoft and Google have their
// own; a non-empty address or scope in the settings stands in for theirs (a test
// server). "custom" takes them from the settings alone. Raises EOAuthError with
// the user's text for a missing client ID or field, an unknown provider, a
// tenant that is not a plain name, or an address that is not https:// (plain
// http only to 127.0.0.1 or localhost).
OAuthEndpoints ResolveEndpoints(const OAuthSettings& settings);

// The parts of an http:// or https:// address that a connection needs.
struct WebAddress {
  bool https = false;
  std::string host;    // as written, without brackets or port
  int port = 0;        // the scheme's own when the address names none
  std::string target;  // path and query, "/" at least; never the fragment
};
// nullopt unless the address is http:// or https:// (any case), then a host, a
// port of 1 to 65535 if one is written, and path and query; no user part, no
// fragment, and no blanks or control characters anywhere.
std::optional<WebAddress> SplitWebAddress(std::string_view url);

}  // namespace parvex
