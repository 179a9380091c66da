#include "app/change_mailer.h"

#include "app/password_seal.h"

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
  // The password is in clear only for the length of the send.
  struct ForgetPassword {
    std::string& password;
    ~ForgetPassword() {
      std::fill(password.begin(), password.end(), '\0');
      password.clear();
    }
  } forget{smtp_.Password};
  smtp_.Password = request.smtpUser.empty() ? std::string() : UnsealPassword(sealer_, request.smtpPassword);
  stampOrigin();
  pump_.processMessages();
  smtp_.SendMail();
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
