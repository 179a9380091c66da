#pragma once
// TmxSMTP: delivers one TmxMessage per connection: connect and greet, the
// envelope for every recipient, the encoded message after DATA, and QUIT.
#include <functional>
#include <memory>
#include <string>

#include "mail/mail_message.h"
#include "net/mxmb.h"
#include "net/net_errors.h"

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
  // The error for a failed step: the server's last reply line, or what happened.
  EServerError ServerError() const;
  bool Succeeded(int code, int expected) const { return code / 100 == expected; }
  void CheckEnvelopeAddresses() const;
  bool StreamEndsWithLineBreak();

  // Closes the socket and forgets the session's state.
  void DropConnection();

  std::unique_ptr<TStream> messageStream_;
  bool loggedIn_ = false;  // greeting and HELO done on the open socket
};

}  // namespace parvex

#pragma pop_macro("SendMessage")
