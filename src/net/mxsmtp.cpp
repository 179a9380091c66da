#include "net/mxsmtp.h"

#include "mail/base64.h"
#include "mail/mail_errors.h"
#include "net/net_errors.h"
#include "net/net_strings.h"
#include "net/temp_file_stream.h"
#include "runtime/string_routines.h"

namespace parvex {
namespace {

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

std::string Visible(const std::string& text) {
  std::string shown;
  for (char c : text) {
    if (c == '\r') {
      shown += "\\r";
    } else if (c == '\n') {
      shown += "\\n";
    } else {
      shown += c;
    }
  }
  return shown;
}

// The port of SMTP over TLS from the first byte, used when Server names none.
constexpr std::uint16_t kSmtpsPort = 465;

}  // namespace

TmxSMTP::TmxSMTP(SocketHost& host, MessagePump& pump) : TmxSMTP(host, pump, TnsWinsock::Instance()) {}

TmxSMTP::TmxSMTP(SocketHost& host, MessagePump& pump, TnsWinsock& winsock) : TmxMailBase(host, pump, winsock) {
  ServiceName = "smtp";
  DefaultPort = 25;
}

TmxSMTP::~TmxSMTP() = default;

void TmxSMTP::SendMail() {
  try {
    Connect();
    SendMessage();
  } catch (...) {
    // What went wrong is what the user must read (and what decides whether the
    // sign-in is tried again), not what a QUIT to a failing server met.
    try {
      Disconnect();
    } catch (...) {
    }
    throw;
  }
  Disconnect();
}

void TmxSMTP::Connect() {
  if (Connected()) return;
  loggedIn_ = false;
  Open();
  Login();
  loggedIn_ = true;
}

void TmxSMTP::Disconnect() {
  if (!Connected()) return;
  // Without a connection, or once the server has closed it, QUIT would only
  // wait for its own failure.
  if (!Established()) {
    DropConnection();
    return;
  }
  try {
    Logout();
  } catch (const EServerError&) {
    // A live, logged-in server that refuses QUIT keeps its session for the next
    // send; any other session is dropped so that the next send starts afresh.
    if (!loggedIn_ || PeerClosed()) DropConnection();
    throw;
  } catch (...) {
    DropConnection();
    throw;
  }
  Close();
}

void TmxSMTP::DropConnection() {
  Close();
  ResetState();
  loggedIn_ = false;
}

void TmxSMTP::Open() {
  if (Server.empty()) SocketError(sServerRequired);
  ResetState();
  FixedPort = Security == SmtpSecurity::Implicit ? kSmtpsPort : 0;
  TmxMailBase::Open();
}

SmtpDialogue::Settings TmxSMTP::DialogueSettings() const {
  return {Security, UserName, Password, AccessToken, Server, LocalHost(), static_cast<bool>(TlsFactory)};
}

void TmxSMTP::Login() {
  dialogue_ = SmtpDialogue(DialogueSettings());
  Run(dialogue_.BeginLogin());
}

void TmxSMTP::Logout() {
  ProcessMessages();
  Run(dialogue_.BeginQuit());
}

void TmxSMTP::Run(SmtpDialogue::Step step) {
  try {
    while (step.action != SmtpDialogue::Action::Done) step = Perform(step);
  } catch (...) {
    if (!dialogue_.QuitAllowed()) DropConnection();
    throw;
  }
}

SmtpDialogue::Step TmxSMTP::Perform(const SmtpDialogue::Step& step) {
  using Action = SmtpDialogue::Action;
  switch (step.action) {
    case Action::Connect: ConnectSocket(); return dialogue_.Connected();
    case Action::ReadReply: return dialogue_.Replied(Reply());
    case Action::SendLine: SendLine(step.text); return dialogue_.Replied(Reply());
    case Action::StartTls: Secure(); return dialogue_.Secured();
    case Action::SendBody: SendBodyText(); return dialogue_.BodySent();
    case Action::ConfirmRecipient: {
      bool proceed = false;
      if (OnAddressRejected) OnAddressRejected(*this, step.text, LastReply(), proceed);
      return dialogue_.Confirmed(proceed);
    }
    case Action::Done: break;
  }
  return step;
}

SmtpReply TmxSMTP::Reply() {
  SmtpReply reply;
  reply.code = ReadReply();
  reply.lines = ReplyLines();
  reply.closed = PeerClosed();
  return reply;
}

void TmxSMTP::Secure() {
  try {
    StartTls(TlsFactory(HostPart()));
  } catch (const ETlsError& e) {
    throw ETlsError("The secure connection to " + Server + " failed: " + e.Message());
  }
}

void TmxSMTP::CheckEnvelopeAddresses() const {
  // The commands are built from the addresses: a line break would let an
  // address add commands of its own to the dialogue.
  auto check = [](const std::string& address) {
    if (HasLineBreak(address)) throw EMessageError("Line break in e-mail address \"" + Visible(address) + "\"");
  };
  check(MailMessage->Sender().Address());
  for (const TmxAddressList* list : {&MailMessage->Recipients(), &MailMessage->CC(), &MailMessage->BCC()}) {
    for (std::size_t i = 0; i < list->Count(); ++i) check(list->Items(i).Address());
  }
}

void TmxSMTP::SendMessage() {
  if (MailMessage == nullptr) SocketError(sMailMessageRequired);
  MailMessage->Validate();
  CheckEnvelopeAddresses();

  messageStream_ = std::make_unique<TTempFileStream>();
  struct FreeStream {
    std::unique_ptr<TStream>& stream;
    ~FreeStream() { stream.reset(); }
  } freeStream{messageStream_};

  PrepareMessage();
  if (OnSending) OnSending(*this);
  std::vector<std::string> recipients;
  for (const TmxAddressList* list : {&MailMessage->Recipients(), &MailMessage->CC(), &MailMessage->BCC()})
    for (std::size_t i = 0; i < list->Count(); ++i) recipients.push_back(list->Items(i).Address());
  Run(dialogue_.BeginMail(MailMessage->Sender().Address(), std::move(recipients)));
  if (OnMailSent) OnMailSent(*this);
}

void TmxSMTP::PrepareMessage() {
  if (OnPrepare) OnPrepare(*this);
  MailMessage->EncodeToStream(*messageStream_);
}

bool TmxSMTP::StreamEndsWithLineBreak() {
  TStream& stream = *messageStream_;
  const std::int64_t size = stream.Size();
  if (size < 2) return false;
  char tail[2] = {};
  stream.SetPosition(size - 2);
  const bool ends = stream.Read(tail, 2) == 2 && tail[0] == '\r' && tail[1] == '\n';
  stream.SetPosition(0);
  return ends;
}

void TmxSMTP::SendBodyText() {
  SendStream(*messageStream_);
  // The CR LF before "." ends the text's last line; a text that already ends
  // with one would otherwise arrive with an empty line added.
  if (!StreamEndsWithLineBreak()) SendLine("");
}

}  // namespace parvex
