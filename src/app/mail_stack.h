#pragma once
// The mail components the main window sends its change summaries with, set up
// once the way every send needs them. The platform supplies the pieces that
// touch the desktop and the network.
#include "app/change_mailer.h"
#include "app/mail_origin.h"
#include "mail/mail_message.h"
#include "net/mxsmtp.h"
#include "net/oauth_token_source.h"
#include "net/socket_host.h"
#include "platform/mapi_send_message.h"
#include "platform/simple_mapi.h"
#include "runtime/message_pump.h"

namespace parvex {

class MailPlatform {
 public:
  virtual ~MailPlatform() = default;
  virtual SocketHost& socketHost() = 0;
  // What the SMTP client runs while it waits on the network.
  virtual MessagePump& socketPump() = 0;
  virtual mapi::SimpleMapi& simpleMapi() = 0;
  virtual MapiSendHost& mapiSendHost() = 0;
  virtual MailOrigin& mailOrigin() = 0;
  // The token address's HTTPS and the kept refresh token, for OAuth 2.0 sign-ins.
  virtual HttpsPoster& tokenPoster() = 0;
  virtual RefreshTokenStore& refreshTokens() = 0;
};

// Seconds of the monotonic clock, for the access token's lifetime.
class SteadySecondsClock final : public SecondsClock {
 public:
  long long NowSeconds() const override;
};

class MailStack {
 public:
  // pump gets its turns while a summary is encoded and before each send; summary and
  // subject are the memo and the field a MAPI send reads. None of them is owned.
  MailStack(MailPlatform& platform, MessagePump& pump, const TextLinesSource& summary, const TextSource& subject);
  MailStack(const MailStack&) = delete;
  MailStack& operator=(const MailStack&) = delete;

  MailSender& mailer() { return mailer_; }
  TmxSMTP& mxSMTP1() { return mxSMTP1_; }
  TmxMessage& mxMsg() { return mxMsg_; }
  TMapiSendMessage& mapiSndMsg() { return mapiSndMsg_; }
  // After a new sign-in: the access token in memory was the old one's.
  void ForgetAccessToken() { mailer_.ForgetAccessToken(); }

 private:
  TmxMessage mxMsg_;
  TmxSMTP mxSMTP1_;  // after the message it points to
  TMapiSendMessage mapiSndMsg_;
  SteadySecondsClock clock_;
  AccessTokenSource tokens_;
  ChangeMailer mailer_;
};

}  // namespace parvex
