#pragma once
// The client's half of an SMTP conversation, without any I/O: it is told what
// happened (connected, a reply, the secure channel is up, the body went out)
// and says what to do next. Every decision lives here: HELO or EHLO, whether
// STARTTLS is required, which sign-in, the envelope, and which error the user
// reads. TmxSMTP moves the bytes. Failures are raised as the exceptions the
// user sees; after a refusal that must not be answered with QUIT (a refused
// STARTTLS says nothing went in clear) QuitAllowed() turns false.
#include <cstddef>
#include <string>
#include <vector>

#include "net/smtp_capabilities.h"
#include "net/smtp_security.h"

namespace parvex {

struct SmtpReply {
  int code = -1;                   // -1: no reply (cut, or none came)
  std::vector<std::string> lines;  // every line, without line ends
  bool closed = false;             // the server closed the connection
};

class SmtpDialogue {
 public:
  struct Settings {
    SmtpSecurity security = SmtpSecurity::None;
    std::string userName;  // empty: no sign-in
    std::string password;
    // Non-empty: the sign-in is AUTH XOAUTH2 with this OAuth 2.0 access token,
    // for the mailbox `userName`, and never over a clear connection.
    std::string accessToken;
    std::string server;     // as the user typed it, for the messages
    std::string localHost;  // the name HELO and EHLO give
    bool tlsAvailable = false;
  };

  enum class Action {
    Connect,           // open the TCP connection, then Connected()
    ReadReply,         // read a reply, then Replied()
    SendLine,          // send `text`, read the reply, then Replied()
    StartTls,          // run the handshake, then Secured()
    SendBody,          // send the message text, then BodySent()
    ConfirmRecipient,  // the server refused the address `text`: ask, then Confirmed()
    Done,              // the phase is over
  };
  struct Step {
    Action action = Action::Done;
    std::string text;
  };

  explicit SmtpDialogue(Settings settings);

  // The phases. Each starts afresh; Login raises before connecting on settings
  // that must not reach a server.
  Step BeginLogin();
  Step BeginMail(std::string sender, std::vector<std::string> recipients);
  Step BeginQuit();

  Step Connected();
  Step Replied(const SmtpReply& reply);
  Step Secured();
  Step BodySent();
  Step Confirmed(bool proceed);

  bool QuitAllowed() const { return quitAllowed_; }
  bool IsSecure() const { return secured_; }

 private:
  enum class State {
    Idle, Connecting, Handshake, Greeting, Helo, HeloBare, Ehlo, StartTlsSent,
    AuthPlain, AuthLogin, AuthUser, AuthPassword, AuthXoauth2, AuthXoauth2Refused, MailFrom, Recipient, ConfirmRecipient, Data, Body, Dot, Quit,
  };

  // A token alone asks for a sign-in too, so its checks are never skipped.
  bool Extended() const {
    return settings_.security != SmtpSecurity::None || !settings_.userName.empty() || UsesOAuth();
  }
  Step Send(State next, std::string line);
  Step Finish();
  Step Ehlo();
  Step AfterEhlo();
  Step SignIn();
  Step NextRecipient();
  // Raises the server's own reason unless the reply is of class `expected`.
  void Expect(int expected) const;
  bool Succeeded(int expected) const { return reply_.code / 100 == expected && reply_.code >= 0; }
  void SignInReplied(int expected) const;
  [[noreturn]] void RaiseServerError() const;
  // Says no more to the server: the caller drops the connection without QUIT.
  [[noreturn]] void Refuse(const std::string& text);
  const std::string& LastLine() const;
  bool UsesOAuth() const { return !settings_.accessToken.empty(); }

  Settings settings_;
  State state_ = State::Idle;
  SmtpReply reply_;
  SmtpCapabilities offered_;
  bool secured_ = false;
  bool quitAllowed_ = true;
  std::string sender_;
  std::vector<std::string> recipients_;
  std::size_t nextRecipient_ = 0;
  std::string oauthChallenge_;  // what the server's 334 to XOAUTH2 said, readable
};

}  // namespace parvex
