#pragma once
// How the SMTP transport protects its connection. The numbers are the ones kept
// in the settings ("SmtpSecurity"), so they never change.
#include <string>

namespace parvex {

enum class SmtpSecurity {
  None = 0,      // the plain dialogue
  StartTls = 1,  // STARTTLS required; never falls back to a clear connection
  Implicit = 2,  // TLS from the first byte (SMTPS)
  Unknown = -1,  // a stored value this version does not know; nothing is sent with it
};

// How the client signs in, when it has a user name. Kept as "SmtpAuth".
enum class SmtpAuth {
  Password = 0,  // AUTH PLAIN or LOGIN
  OAuth = 1,     // AUTH XOAUTH2 with an OAuth 2.0 access token
  Unknown = -1,  // a stored value this version does not know; nothing is sent with it
};

// The server text (host, optionally ":" port) names this computer by name or
// loopback address: a sign-in there never crosses a network.
bool ServerIsThisComputer(const std::string& server);

}  // namespace parvex
