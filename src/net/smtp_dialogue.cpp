#include "net/smtp_dialogue.h"

#include <stdexcept>
#include <utility>

#include "mail/base64.h"
#include "net/net_errors.h"
#include "net/tls_channel.h"
#include "net/xoauth2.h"
#include "runtime/string_routines.h"

namespace parvex {
namespace {

// MAIL FROM and RCPT TO are composed in a 255-character buffer.
constexpr std::size_t kCommandLimit = 255;

std::string Envelope(const std::string& prefix, const std::string& address) {
  return LeftStr(prefix + address + ">", kCommandLimit);
}

}  // namespace

SmtpDialogue::SmtpDialogue(Settings settings) : settings_(std::move(settings)) {}

SmtpDialogue::Step SmtpDialogue::BeginLogin() {
  state_ = State::Idle;
  secured_ = false;
  quitAllowed_ = true;
  offered_ = {};
  if (Extended()) {
    if (settings_.security == SmtpSecurity::Unknown)
      Refuse("The SMTP security setting is not one this version knows.");
    if (settings_.security != SmtpSecurity::None && !settings_.tlsAvailable) {
      quitAllowed_ = false;
      throw ETlsError("No secure connection can be made on this system.");
    }
    // An access token opens the whole mailbox: it never goes in clear, not even
    // to this computer.
    if (UsesOAuth() && settings_.userName.empty())
      Refuse("Sign-in with OAuth 2.0 needs the mailbox address as the user name; fill it in in the Security dialog.");
    if (UsesOAuth() && settings_.security == SmtpSecurity::None)
      Refuse("Sign-in with OAuth 2.0 is sent only over an encrypted connection; choose STARTTLS or SSL/TLS.");
    // A password never crosses a network in clear.
    if (!settings_.userName.empty() && settings_.security == SmtpSecurity::None &&
        !ServerIsThisComputer(settings_.server))
      Refuse("The password for " + settings_.server +
             " is sent only over an encrypted connection; choose STARTTLS or SSL/TLS.");
  }
  state_ = State::Connecting;
  return {Action::Connect, {}};
}

SmtpDialogue::Step SmtpDialogue::Connected() {
  if (state_ != State::Connecting) throw std::logic_error("SmtpDialogue: not connecting");
  if (settings_.security == SmtpSecurity::Implicit) {
    state_ = State::Handshake;
    return {Action::StartTls, {}};
  }
  state_ = State::Greeting;
  return {Action::ReadReply, {}};
}

SmtpDialogue::Step SmtpDialogue::Secured() {
  if (state_ != State::Handshake) throw std::logic_error("SmtpDialogue: no handshake under way");
  // TLS from the first byte: the greeting comes inside it.
  const bool greetingNext = !secured_ && settings_.security == SmtpSecurity::Implicit;
  secured_ = true;
  if (greetingNext) {
    state_ = State::Greeting;
    return {Action::ReadReply, {}};
  }
  // What the server offered in clear may have been forged: ask again.
  return Ehlo();
}

SmtpDialogue::Step SmtpDialogue::Replied(const SmtpReply& reply) {
  reply_ = reply;
  switch (state_) {
    case State::Greeting:
      Expect(2);
      return Extended() ? Ehlo() : Send(State::Helo, "HELO " + settings_.localHost);
    case State::Helo:
      // Some servers want HELO without a name.
      return Succeeded(2) ? Finish() : Send(State::HeloBare, "HELO");
    case State::HeloBare: Expect(2); return Finish();
    case State::Ehlo:
      Expect(2);
      offered_ = ParseEhloReply(reply_.lines);
      return AfterEhlo();
    case State::StartTlsSent:
      if (!Succeeded(2)) {
        if (LastLine().empty()) RaiseServerError();
        // Not even QUIT goes in clear after the refusal.
        Refuse("The server " + settings_.server + " refused STARTTLS (" + LastLine() +
               "); nothing was sent without encryption.");
      }
      state_ = State::Handshake;
      return {Action::StartTls, {}};
    case State::AuthPlain: SignInReplied(2); return Finish();
    case State::AuthLogin: SignInReplied(3); return Send(State::AuthUser, Base64Text(settings_.userName));
    case State::AuthUser: SignInReplied(3); return Send(State::AuthPassword, Base64Text(settings_.password));
    case State::AuthPassword: SignInReplied(2); return Finish();
    case State::AuthXoauth2:
      // A 334 carries the server's reason; the exchange ends with an empty line
      // and the refusal follows.
      if (reply_.code == 334) {
        oauthChallenge_ = Xoauth2ChallengeText(LastLine().size() > 4 ? LastLine().substr(4) : std::string());
        return Send(State::AuthXoauth2Refused, "");
      }
      SignInReplied(2);
      return Finish();
    case State::AuthXoauth2Refused: SignInReplied(2); return Finish();
    case State::MailFrom: Expect(2); return NextRecipient();
    case State::Recipient:
      if (Succeeded(2)) return NextRecipient();
      state_ = State::ConfirmRecipient;
      return {Action::ConfirmRecipient, recipients_[nextRecipient_ - 1]};
    case State::Data:
      Expect(3);
      state_ = State::Body;
      return {Action::SendBody, {}};
    case State::Dot:
    case State::Quit: Expect(2); return Finish();
    default: throw std::logic_error("SmtpDialogue: no reply expected");
  }
}

SmtpDialogue::Step SmtpDialogue::Confirmed(bool proceed) {
  if (state_ != State::ConfirmRecipient) throw std::logic_error("SmtpDialogue: no address to confirm");
  if (!proceed) RaiseServerError();
  return NextRecipient();
}

SmtpDialogue::Step SmtpDialogue::BodySent() {
  if (state_ != State::Body) throw std::logic_error("SmtpDialogue: no body expected");
  return Send(State::Dot, ".");
}

SmtpDialogue::Step SmtpDialogue::BeginMail(std::string sender, std::vector<std::string> recipients) {
  sender_ = std::move(sender);
  recipients_ = std::move(recipients);
  nextRecipient_ = 0;
  // A message without a sender goes without MAIL FROM, as it always has.
  if (!sender_.empty()) return Send(State::MailFrom, Envelope("MAIL FROM:<", sender_));
  return NextRecipient();
}

SmtpDialogue::Step SmtpDialogue::BeginQuit() { return Send(State::Quit, "QUIT"); }

SmtpDialogue::Step SmtpDialogue::NextRecipient() {
  if (nextRecipient_ < recipients_.size())
    return Send(State::Recipient, Envelope("RCPT TO:<", recipients_[nextRecipient_++]));
  return Send(State::Data, "DATA");
}

SmtpDialogue::Step SmtpDialogue::Send(State next, std::string line) {
  state_ = next;
  return {Action::SendLine, std::move(line)};
}

SmtpDialogue::Step SmtpDialogue::Finish() {
  state_ = State::Idle;
  return {Action::Done, {}};
}

SmtpDialogue::Step SmtpDialogue::Ehlo() { return Send(State::Ehlo, "EHLO " + settings_.localHost); }

SmtpDialogue::Step SmtpDialogue::AfterEhlo() {
  if (settings_.security == SmtpSecurity::StartTls && !secured_) {
    if (!offered_.startTls)
      Refuse("The server " + settings_.server + " does not offer STARTTLS; nothing was sent without encryption.");
    return Send(State::StartTlsSent, "STARTTLS");
  }
  return settings_.userName.empty() ? Finish() : SignIn();
}

SmtpDialogue::Step SmtpDialogue::SignIn() {
  if (UsesOAuth()) {
    if (!offered_.authXoauth2)
      throw EServerError("The server " + settings_.server +
                         " does not offer sign-in with OAuth 2.0 (AUTH XOAUTH2).");
    oauthChallenge_.clear();
    return Send(State::AuthXoauth2,
                "AUTH XOAUTH2 " + Xoauth2InitialResponse(settings_.userName, settings_.accessToken));
  }
  if (offered_.authPlain)
    return Send(State::AuthPlain,
                "AUTH PLAIN " + Base64Text(std::string(1, '\0') + settings_.userName + '\0' + settings_.password));
  if (offered_.authLogin) return Send(State::AuthLogin, "AUTH LOGIN");
  throw EServerError("The server " + settings_.server +
                     " offers no sign-in method this program knows (AUTH PLAIN or LOGIN).");
}

void SmtpDialogue::SignInReplied(int expected) const {
  if (Succeeded(expected)) return;
  if (LastLine().empty()) RaiseServerError();
  std::string text = "The server " + settings_.server + " refused the sign-in: " + LastLine();
  if (!oauthChallenge_.empty()) text += " (" + oauthChallenge_ + ")";
  // Microsoft's answer once a tenant has turned password sign-in off.
  if (!UsesOAuth() && LastLine().find("5.7.139") != std::string::npos)
    text += " The provider takes only sign-in with OAuth 2.0: choose it in the Security dialog.";
  // A 4xx is a passing trouble worth another try; a 5xx refuses these credentials.
  if (LastLine().starts_with('5')) throw ESignInRefused(text);
  throw EServerError(text);
}

void SmtpDialogue::Expect(int expected) const {
  if (!Succeeded(expected)) RaiseServerError();
}

void SmtpDialogue::RaiseServerError() const {
  // Without a reply line the box would be empty: say what happened instead.
  if (!LastLine().empty()) throw EServerError(LastLine());
  throw EServerError(reply_.closed ? "The SMTP server closed the connection." : "The SMTP server sent no reply.");
}

void SmtpDialogue::Refuse(const std::string& text) {
  quitAllowed_ = false;
  state_ = State::Idle;
  throw EServerError(text);
}

const std::string& SmtpDialogue::LastLine() const {
  static const std::string kNone;
  return reply_.lines.empty() ? kNone : reply_.lines.back();
}

}  // namespace parvex
