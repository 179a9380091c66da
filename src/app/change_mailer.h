#pragma once
// Mails one change summary by the transport the user chose: through the mail
// client (Simple MAPI) or straight to an SMTP server. The window owns the
// components; this fills them in the order the send needs.
#include "app/mail_origin.h"
#include "app/monitor_cycle.h"
#include "app/password_seal.h"
#include "mail/mail_message.h"
#include "net/mxsmtp.h"
#include "net/oauth_token_source.h"
#include "platform/mapi_send_message.h"
#include "runtime/message_pump.h"

namespace parvex {

class ChangeMailer final : public MailSender {
 public:
  ChangeMailer(TmxSMTP& smtp, TmxMessage& message, TMapiSendMessage& mapi, MessagePump& pump, MailOrigin& origin)
      : ChangeMailer(smtp, message, mapi, pump, origin, UserSecretSealer()) {}
  // The stored SMTP password is unsealed with `sealer` at each send.
  ChangeMailer(TmxSMTP& smtp, TmxMessage& message, TMapiSendMessage& mapi, MessagePump& pump, MailOrigin& origin,
               const SecretSealer& sealer)
      : smtp_(smtp), message_(message), mapi_(mapi), pump_(pump), origin_(origin), sealer_(sealer) {}

  void send(const MailRequest& request) override;
  // Where access tokens for OAuth 2.0 sign-ins come from; none: such sends fail.
  void SetAccessTokens(AccessTokenSource* tokens) { tokens_ = tokens; }
  // After a new sign-in the token in memory belongs to the old one.
  void ForgetAccessToken() {
    if (tokens_) tokens_->Forget();
  }

 private:
  void sendBySmtp(const MailRequest& request);
  void stampOrigin();

  TmxSMTP& smtp_;
  TmxMessage& message_;
  TMapiSendMessage& mapi_;
  MessagePump& pump_;
  MailOrigin& origin_;
  const SecretSealer& sealer_;
  AccessTokenSource* tokens_ = nullptr;
  OAuthRegistration tokensFor_;  // the registration tokens_ was last told of
  unsigned sent_ = 0;
};

}  // namespace parvex
