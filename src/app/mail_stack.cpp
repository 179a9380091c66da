#include "app/mail_stack.h"

#include "net/system_tls.h"

namespace parvex {

MailStack::MailStack(MailPlatform& platform, MessagePump& pump, const TextLinesSource& summary,
                     const TextSource& subject)
    : mxSMTP1_(platform.socketHost(), platform.socketPump()),
      mapiSndMsg_(platform.simpleMapi(), platform.mapiSendHost()),
      mailer_(mxSMTP1_, mxMsg_, mapiSndMsg_, pump, platform.mailOrigin()) {
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
