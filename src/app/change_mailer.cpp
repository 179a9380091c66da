#include "app/change_mailer.h"

#include "app/password_seal.h"
#include "app/smtp_sign_in.h"
#include "net/net_errors.h"

namespace parvex {

void ChangeMailer::send(const MailRequest& request) {
  if (request.useMapi) {
    // Subject and text come from the linked subject field and summary memo.
    mapi_.ToRecipients().clear();
    for (const std::string& line : request.recipients) mapi_.ToRecipients().push_back(line);
    mapi_.Send();
    return;
  }
  sendBySmtp(request);
}

void ChangeMailer::sendBySmtp(const MailRequest& request) {
  message_.Recipients().Clear();
  for (const std::string& line : request.recipients) message_.Recipients().AddAddress(line, line);
  message_.SetSubject(request.subject);
  message_.SetBody(request.body);
  smtp_.Server = request.server;
  message_.Sender().SetAddress(request.senderAddress);
  message_.Sender().SetName(request.senderName);
  smtp_.Security = request.smtpSecurity;
  smtp_.UserName = request.smtpUser;
  // The password and the token are on the SMTP client only for the length of the send.
  struct Forget {
    std::string& secret;
    ~Forget() {
      std::fill(secret.begin(), secret.end(), '\0');
      secret.clear();
    }
  } forgetPassword{smtp_.Password}, forgetToken{smtp_.AccessToken};
  const bool oauth = request.smtpAuth == SmtpAuth::OAuth;
  smtp_.Password = request.smtpUser.empty() || oauth ? std::string() : UnsealPassword(sealer_, request.smtpPassword);
  if (oauth) {
    if (!tokens_) throw EOAuthError("Sign-in with OAuth 2.0 is not available in this program.");
    if (!(request.oauth == tokensFor_)) {
      tokens_->SettingsChanged(ToOAuthSettings(request.oauth, sealer_));
      tokensFor_ = request.oauth;
    }
    // Before connecting: the server's time-out does not run while the token comes.
    smtp_.AccessToken = tokens_->AccessToken();
  }
  stampOrigin();
  pump_.processMessages();
  try {
    smtp_.SendMail();
  } catch (const ESignInRefused&) {
    // The next send asks for a new access token rather than offering this one again.
    if (oauth) tokens_->Forget();
    throw;
  }
}

void ChangeMailer::stampOrigin() {
  TmxHeaders& headers = message_.Headers();
  // Replaced at every send, so a retried send carries its own date and id.
  for (const char* field : {"Date", "Message-ID"})
    while (!headers.GetFieldValue(field).empty()) headers.RemoveField(field);
  const MailOrigin::Moment now = origin_.Now();
  headers.Add("Date: " + RfcDate(now.local, now.utcOffsetMinutes));
  headers.Add("Message-ID: " + MakeMessageId(now.unixSeconds, origin_.ProcessId(), ++sent_,
                                           MessageIdDomain(message_.Sender().Address(), origin_.HostName())));
}

}  // namespace parvex
