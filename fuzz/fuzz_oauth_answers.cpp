// What reaches the program from outside during a sign-in with OAuth 2.0, of any
// shape: the browser's request head (in pieces), its redirect, the token
// address's answer and the XOAUTH2 challenge. Only EOAuthError may escape, a
// head reads the same in pieces as at once, shown texts hold no control
// characters, and no token of an answer ever shows in an error text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "mail/base64.h"
#include "net/answer_fields.h"
#include "net/net_errors.h"
#include "net/oauth_authorization.h"
#include "net/oauth_token.h"
#include "net/xoauth2.h"

using namespace parvex;

namespace {

// "@T" in the input stands for this token, so that the answers can carry one.
constexpr std::string_view kPlaceholder = "@T";
constexpr std::string_view kToken = "tok.Zq8r-S3CRET";

bool Printable(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

void CheckLoopbackRequest(std::string_view input, std::size_t piece, std::string& target) {
  LoopbackRequest whole;
  const LoopbackRequest::Result wholeResult = whole.Feed(input);
  LoopbackRequest pieces;
  LoopbackRequest::Result result = pieces.Feed({});
  for (std::size_t at = 0; at < input.size(); at += piece) result = pieces.Feed(input.substr(at, piece));
  FUZZ_CHECK(result == wholeResult && pieces.Target() == whole.Target());
  FUZZ_CHECK(result != LoopbackRequest::Result::NeedMore || input.size() < LoopbackRequest::kMaxHeadBytes);
  if (result == LoopbackRequest::Result::Complete) {
    target = whole.Target();
    FUZZ_CHECK(!target.empty() && target.front() == '/' && target.size() < LoopbackRequest::kMaxHeadBytes);
  } else {
    FUZZ_CHECK(whole.Target().empty());
  }
}

void CheckRedirect(const std::string& target) {
  try {
    const RedirectOutcome outcome = ReadRedirect(target, "/", "st4te");
    const std::string_view path = std::string_view(target).substr(0, target.find('?'));
    FUZZ_CHECK((outcome.kind == RedirectOutcome::Kind::Other) == (path != "/"));
    if (outcome.kind == RedirectOutcome::Kind::Code) FUZZ_CHECK(!outcome.code.empty());
    FUZZ_CHECK(outcome.error.size() <= 100 && outcome.description.size() <= 300);
    FUZZ_CHECK(Printable(outcome.error) && Printable(outcome.description));
  } catch (const EOAuthError& e) {
    FUZZ_CHECK(Printable(e.Message()));
  }
}

void CheckTokenAnswer(std::string body, int status, bool refreshing) {
  for (std::size_t at = body.find(kPlaceholder); at != std::string::npos; at = body.find(kPlaceholder, at)) {
    body.replace(at, kPlaceholder.size(), kToken);
    at += kToken.size();
  }
  // The token may also come in by the answer's own fields (its description,
  // say); then it is the server's text and the check below says nothing.
  bool elsewhere = false;
  if (const auto fields = ReadAnswerFields(body)) {
    for (const auto& [name, field] : *fields) {
      if (name != "access_token" && name != "refresh_token") {
        elsewhere = elsewhere || field.text.find(kToken) != std::string::npos;
      }
    }
  }
  try {
    const TokenAnswer answer = ReadTokenAnswer(status, body, refreshing);
    FUZZ_CHECK(status == 200 && !answer.accessToken.empty() && answer.accessToken.size() <= kMaxTokenBytes);
    FUZZ_CHECK(answer.refreshToken.size() <= kMaxTokenBytes);
    FUZZ_CHECK(answer.expiresInSeconds >= kMinTokenLifetime && answer.expiresInSeconds <= kMaxTokenLifetime);
  } catch (const EOAuthError& e) {
    FUZZ_CHECK(Printable(e.Message()));
    FUZZ_CHECK(elsewhere || e.Message().find(kToken) == std::string::npos);
  }
}

void CheckChallenge(const std::string& challenge) {
  const std::string text = Xoauth2ChallengeText(challenge);
  FUZZ_CHECK(Printable(text) && text.size() <= 300);
}

}  // namespace

// The first two bytes choose the piece size, the HTTP status and whether the
// answer is to a refresh; the rest is the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned control = data[0] | (data[1] << 8);
  const std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);

  std::string target(input.substr(0, LoopbackRequest::kMaxHeadBytes));
  CheckLoopbackRequest(input, 1 + (control & 31), target);
  CheckRedirect(target);
  CheckTokenAnswer(std::string(input), static_cast<int>(((control >> 5) & 0x3FF) % 600), (control & 0x8000) != 0);
  CheckChallenge(std::string(input));
  CheckChallenge(Base64Text(input));
  return 0;
}
