#include "app/mail_stack.h"

#include <chrono>

#include "net/system_tls.h"

namespace parvex {

long long SteadySecondsClock::NowSeconds() const {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

MailStack::MailStack(MailPlatform& platform, MessagePump& pump, const TextLinesSource& summary,
                     const TextSource& subject)
    : mxSMTP1_(platform.socketHost(), platform.socketPump()),
      mapiSndMsg_(platform.simpleMapi(), platform.mapiSendHost()),
      tokens_(OAuthSettings{}, platform.tokenPoster(), platform.refreshTokens(), clock_),
      mailer_(mxSMTP1_, mxMsg_, mapiSndMsg_, pump, platform.mailOrigin()) {
  mailer_.SetAccessTokens(&tokens_);
  mxSMTP1_.MailMessage = &mxMsg_;
  mxSMTP1_.DefaultPort = 25;
  mxSMTP1_.SetWinsockLoaded(true);
  mxSMTP1_.TlsFactory = SystemTlsFactory();
  mxMsg_.SetContentType("text/plain");
  mxMsg_.SetSubject("PARVEX 2000 directory change!");
  mxMsg_.SetReturnReceipt(false);
  // Encoding a long summary gives the window its turns too.
  mxMsg_.SetEncodeProgress([&pump] { pump.processMessages(); });
  mapiSndMsg_.SetMessageMemo(&summary);
  mapiSndMsg_.SetSubjectEdit(&subject);
  // Sent as it stands: a change found in the background must not wait on a dialog.
  mapiSndMsg_.Review = false;
}

}  // namespace parvex
