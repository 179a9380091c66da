#include "net/mxsmtp.h"

#include "mail/mail_errors.h"
#include "net/net_errors.h"
#include "net/net_strings.h"
#include "net/temp_file_stream.h"
#include "runtime/string_routines.h"

namespace parvex {
namespace {

// MAIL FROM and RCPT TO are composed in a 255-character buffer.
constexpr std::size_t kCommandLimit = 255;

std::string Envelope(const std::string& prefix, const std::string& address) {
  return LeftStr(prefix + address + ">", kCommandLimit);
}

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
    // A failing QUIT replaces the exception that was on its way.
    Disconnect();
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
  TmxMailBase::Open();
}

void TmxSMTP::Expect(int expected) {
  if (!Succeeded(ReadReply(), expected)) throw ServerError();
}

EServerError TmxSMTP::ServerError() const {
  // Without a reply line the box would be empty: say what happened instead.
  if (!LastReply().empty()) return EServerError(LastReply());
  return EServerError(PeerClosed() ? "The SMTP server closed the connection." : "The SMTP server sent no reply.");
}

void TmxSMTP::Command(const std::string& text, int expected) {
  SendLine(text);
  Expect(expected);
}

void TmxSMTP::Login() {
  ConnectSocket();
  Expect(2);
  SendLine("HELO " + LocalHost());
  if (Succeeded(ReadReply(), 2)) return;
  Command("HELO", 2);
}

void TmxSMTP::Logout() {
  ProcessMessages();
  Command("QUIT", 2);
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
  SendEnvelope();
  SendBody();
  if (OnMailSent) OnMailSent(*this);
}

void TmxSMTP::PrepareMessage() {
  if (OnPrepare) OnPrepare(*this);
  MailMessage->EncodeToStream(*messageStream_);
}

void TmxSMTP::SendEnvelope() {
  if (OnSending) OnSending(*this);
  const std::string& sender = MailMessage->Sender().Address();
  if (!sender.empty()) Command(Envelope("MAIL FROM:<", sender), 2);

  for (const TmxAddressList* list : {&MailMessage->Recipients(), &MailMessage->CC(), &MailMessage->BCC()}) {
    for (std::size_t i = 0; i < list->Count(); ++i) {
      const std::string& address = list->Items(i).Address();
      bool proceed = false;
      SendLine(Envelope("RCPT TO:<", address));
      if (Succeeded(ReadReply(), 2)) continue;
      if (OnAddressRejected) OnAddressRejected(*this, address, LastReply(), proceed);
      if (!proceed) throw ServerError();
    }
  }
  Command("DATA", 3);
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

void TmxSMTP::SendBody() {
  SendStream(*messageStream_);
  // The CR LF before "." ends the text's last line; a text that already ends
  // with one would otherwise arrive with an empty line added.
  if (!StreamEndsWithLineBreak()) SendLine("");
  Command(".", 2);
}

}  // namespace parvex
