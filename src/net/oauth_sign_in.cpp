#include "net/oauth_sign_in.h"

#include "net/net_errors.h"

namespace parvex {
namespace {

void Tell(const SignInProgress& progress, const std::string& status) {
  if (progress.status) progress.status(status);
}

}  // namespace

TokenAnswer SignInWithBrowser(const OAuthSettings& settings, const std::string& mailbox, RandomSource& random,
                              LoopbackListener& listener, BrowserOpener& browser, HttpsPoster& poster,
                              const SignInProgress& progress, std::chrono::steady_clock::duration timeLimit) {
  const OAuthEndpoints endpoints = ResolveEndpoints(settings);
  const std::string verifier = MakeCodeVerifier(random);
  const std::string state = MakeState(random);
  const std::string redirectUri = "http://127.0.0.1:" + std::to_string(listener.Port()) + "/";
  const auto deadline = std::chrono::steady_clock::now() + timeLimit;

  Tell(progress, "Waiting for the sign-in in the browser...");
  browser.Open(
      AuthorizationUrl(endpoints, settings.clientId, redirectUri, state, CodeChallengeS256(verifier), mailbox));
  std::string code;
  while (code.empty()) {
    LoopbackRequest request;
    if (listener.NextRequest(request, deadline, progress.cancelled) != LoopbackRequest::Result::Complete) {
      listener.Answer(NotFoundAnswer(), deadline, progress.cancelled);
      continue;
    }
    RedirectOutcome outcome;
    try {
      outcome = ReadRedirect(request.Target(), "/", state);
    } catch (const EOAuthError& e) {
      // The browser's page says what went wrong too, not only the program.
      listener.Answer(BrowserAnswer(false, e.Message()), deadline, progress.cancelled);
      throw;
    }
    switch (outcome.kind) {
      case RedirectOutcome::Kind::Other: listener.Answer(NotFoundAnswer(), deadline, progress.cancelled); break;
      case RedirectOutcome::Kind::Refused: {
        const std::string why = outcome.error + (outcome.description.empty() ? "" : ": " + outcome.description);
        listener.Answer(BrowserAnswer(false, why), deadline, progress.cancelled);
        throw EOAuthError("The sign-in was refused or cancelled in the browser (" + why + ").");
      }
      case RedirectOutcome::Kind::Code:
        listener.Answer(BrowserAnswer(true, ""), deadline, progress.cancelled);
        code = outcome.code;
        break;
    }
  }
  Tell(progress, "Taking the tokens from " + endpoints.tokenUrl + "...");
  return ExchangeCode(settings, poster, code, redirectUri, verifier);
}

}  // namespace parvex
