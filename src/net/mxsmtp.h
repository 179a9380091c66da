#pragma once
// TmxSMTP: delivers one TmxMessage per connection: connect and greet, the
// envelope for every recipient, the encoded message after DATA, and QUIT.
#include <functional>
#include <memory>
#include <string>

#include "mail/mail_message.h"
#include "net/mxmb.h"
#include "net/net_errors.h"
#include "net/smtp_dialogue.h"
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
  // Non-empty: sign in with this OAuth 2.0 access token (AUTH XOAUTH2) instead.
  std::string AccessToken;
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
  // Runs the dialogue from `step` until the phase is done: the engine decides,
  // this does the I/O. After a refusal that wants no QUIT the connection is dropped.
  void Run(SmtpDialogue::Step step);
  SmtpDialogue::Step Perform(const SmtpDialogue::Step& step);
  SmtpReply Reply();
  SmtpDialogue::Settings DialogueSettings() const;
  void CheckEnvelopeAddresses() const;
  bool StreamEndsWithLineBreak();
  void SendBodyText();
  void Secure();
  // Closes the socket and forgets the session's state.
  void DropConnection();

  SmtpDialogue dialogue_{SmtpDialogue::Settings{}};
  std::unique_ptr<TStream> messageStream_;
  bool loggedIn_ = false;  // greeting and HELO done on the open socket
};

}  // namespace parvex

#pragma pop_macro("SendMessage")
