#pragma once
// SASL XOAUTH2, the sign-in with an OAuth 2.0 access token that Microsoft's and
// Google's SMTP servers take (AUTH XOAUTH2 <initial response>).
#include <string>

namespace parvex {

// base64("user=" user ^A "auth=Bearer " token ^A ^A). Raises EOAuthError when
// either is empty or holds ^A, CR or LF, which would break the frame.
std::string Xoauth2InitialResponse(const std::string& user, const std::string& accessToken);

// The server's 334 challenge after a refused token, base64 of a JSON object
// such as {"status":"401","schemes":"bearer","scope":"..."}, as a short text:
// "status 401, scope https://mail.google.com/". Empty when it cannot be read;
// never raises.
std::string Xoauth2ChallengeText(const std::string& base64Challenge);

}  // namespace parvex
