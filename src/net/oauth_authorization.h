#pragma once
// The browser's part of a sign-in with OAuth 2.0 (RFC 6749 section 4.1, with
// the loopback redirect of RFC 8252): the address the browser opens, the one
// request the browser then makes to the program's loopback listener, what that
// request says, and the page the browser shows afterwards. No I/O here: the
// listener moves the bytes.
#include <cstddef>
#include <string>
#include <string_view>

#include "net/oauth_provider.h"

namespace parvex {

// Percent-encoding for a form field or a query value: the unreserved
// characters stay, every other byte becomes %XX (upper case; a space is %20).
std::string FormEncode(std::string_view text);
// The reverse: %XX is the byte, '+' a space. A '%' without two hex digits
// raises EOAuthError: an answer that was altered on the way is not guessed at.
std::string FormDecode(std::string_view text);

// The authorization request (response_type=code with PKCE S256); login_hint
// only when loginHint is not empty. Appended with '&' when the authorization
// address already has a query.
std::string AuthorizationUrl(const OAuthEndpoints& endpoints, const std::string& clientId,
                             const std::string& redirectUri, const std::string& state, const std::string& codeChallenge,
                             const std::string& loginHint);

// The head of one HTTP/1.x request as the listener receives it, in pieces of
// any size. Only GET with an origin-form target ("/path?query") is accepted;
// a head beyond kMaxHeadBytes is Invalid. Once Complete or Invalid it stays so;
// bytes after the head are not looked at.
class LoopbackRequest {
 public:
  static constexpr std::size_t kMaxHeadBytes = 8192;
  enum class Result { NeedMore, Complete, Invalid };

  Result Feed(std::string_view bytes);
  // The request target; empty unless Complete.
  const std::string& Target() const;

 private:
  Result ReadRequestLine(std::string_view line);

  std::string head_;
  std::string target_;
  bool requestLineRead_ = false;
  Result result_ = Result::NeedMore;
};

struct RedirectOutcome {
  enum class Kind {
    Code,     // the sign-in succeeded: `code` goes to the token address
    Refused,  // the provider or the user refused: `error` and `description`
    Other,    // a request for another path: answer 404 and keep listening
  } kind = Kind::Other;
  std::string code, error, description;
};

// Reads the browser's redirect to expectedPath ("/" when empty). Raises
// EOAuthError when its state is missing or not expectedState, when it has
// neither a code nor an error, or when it cannot be read. The refusal's texts
// are cut and cleaned for a message box.
RedirectOutcome ReadRedirect(const std::string& target, const std::string& expectedPath,
                             const std::string& expectedState);

// The complete HTTP response to the browser's redirect: a short page saying the
// program is signed in, or that the sign-in was not completed and why (detail).
std::string BrowserAnswer(bool signedIn, const std::string& detail);
// The complete 404 response for any other request.
std::string NotFoundAnswer();

}  // namespace parvex
