#pragma once
// TmxSMTP: delivers one TmxMessage per connection: connect and greet, the
// envelope for every recipient, the encoded message after DATA, and QUIT.
#include <functional>
#include <memory>
#include <string>

#include "mail/mail_message.h"
#include "net/mxmb.h"
#include "net/net_errors.h"
#include "net/smtp_capabilities.h"
#include "net/smtp_security.h"
#include "net/tls_channel.h"

// <windows.h> maps SendMessage to SendMessageA; keep the method's own name.
#pragma push_macro("SendMessage")
#undef SendMessage

namespace parvex {

class TmxSMTP;

using TmxAddressRejectedEvent =
    std::function<void(TmxSMTP& sender, const std::string& theAddress, const std::string& serverReply, bool& proceed)>;

class TmxSMTP : public TmxMailBase {
 public:
  TmxSMTP(SocketHost& host, MessagePump& pump);
  // Over another binding than the process's one (tests watch the calls this way).
  TmxSMTP(SocketHost& host, MessagePump& pump, TnsWinsock& winsock);
  ~TmxSMTP() override;

  TNotifyEvent OnPrepare;
  TNotifyEvent OnSending;
  TNotifyEvent OnMailSent;
  TmxAddressRejectedEvent OnAddressRejected;

  // Not owned; the owner clears it when the message goes away.
  TmxMessage* MailMessage = nullptr;

  // With no security and no user name the dialogue is the plain HELO one.
  SmtpSecurity Security = SmtpSecurity::None;
  std::string UserName;  // empty: no sign-in
  std::string Password;
  // Makes the secure channel; needed for any security but None.
  TlsChannelFactory TlsFactory;

  // Connect, SendMessage, and Disconnect in every case.
  void SendMail();
  void Connect();
  void Disconnect();
  void SendMessage();

  void Open() override;
  void Login() override;
  void Logout() override;

 private:
  void PrepareMessage();
  void SendEnvelope();
  void SendBody();
  // Sends a command and raises EServerError unless the reply is class `expected`.
  void Command(const std::string& text, int expected);
  void Expect(int expected);
  // Sends a command; false when the server refused it with a reply of another
  // class, so that the caller can say what was refused. No reply at all raises.
  bool Accepted(const std::string& line, int expected);
  // The error for a failed step: the server's last reply line, or what happened.
  EServerError ServerError() const;
  bool Succeeded(int code, int expected) const { return code / 100 == expected; }
  void CheckEnvelopeAddresses() const;
  bool StreamEndsWithLineBreak();

  // EHLO, STARTTLS and the sign-in, when the settings ask for any of them.
  bool Extended() const { return Security != SmtpSecurity::None || !UserName.empty(); }
  void ExtendedLogin();
  void CheckBeforeConnecting();
  SmtpCapabilities Ehlo();
  void Secure();
  void SignIn(const SmtpCapabilities& offered);
  void SignInStep(const std::string& line, int expected);
  // Drops the connection without another word to the server, then raises.
  [[noreturn]] void Refuse(const std::string& text);

  // Closes the socket and forgets the session's state.
  void DropConnection();

  std::unique_ptr<TStream> messageStream_;
  bool loggedIn_ = false;  // greeting and HELO done on the open socket
};

}  // namespace parvex

#pragma pop_macro("SendMessage")
