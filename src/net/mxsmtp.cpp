#include "net/mxsmtp.h"

#include "mail/base64.h"
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
  if (Extended()) {
    ExtendedLogin();
    return;
  }
  ConnectSocket();
  Expect(2);
  SendLine("HELO " + LocalHost());
  if (Succeeded(ReadReply(), 2)) return;
  Command("HELO", 2);
}

void TmxSMTP::Refuse(const std::string& text) {
  DropConnection();
  throw EServerError(text);
}

void TmxSMTP::CheckBeforeConnecting() {
  if (Security == SmtpSecurity::Unknown) Refuse("The SMTP security setting is not one this version knows.");
  if (Security != SmtpSecurity::None && !TlsFactory) {
    DropConnection();
    throw ETlsError("No secure connection can be made on this system.");
  }
  // A password never crosses a network in clear.
  if (!UserName.empty() && Security == SmtpSecurity::None && !ServerIsThisComputer(Server))
    Refuse("The password for " + Server + " is sent only over an encrypted connection; choose STARTTLS or SSL/TLS.");
}

void TmxSMTP::ExtendedLogin() {
  CheckBeforeConnecting();
  ConnectSocket();
  if (Security == SmtpSecurity::Implicit) Secure();
  Expect(2);
  SmtpCapabilities offered = Ehlo();
  if (Security == SmtpSecurity::StartTls) {
    if (!offered.startTls)
      Refuse("The server " + Server + " does not offer STARTTLS; nothing was sent without encryption.");
    // Not even QUIT goes in clear after the refusal.
    if (!Accepted("STARTTLS", 2))
      Refuse("The server " + Server + " refused STARTTLS (" + LastReply() + "); nothing was sent without encryption.");
    Secure();
    offered = Ehlo();
  }
  if (!UserName.empty()) SignIn(offered);
}

SmtpCapabilities TmxSMTP::Ehlo() {
  Command("EHLO " + LocalHost(), 2);
  return ParseEhloReply(ReplyLines());
}

void TmxSMTP::Secure() {
  try {
    StartTls(TlsFactory(HostPart()));
  } catch (const ETlsError& e) {
    throw ETlsError("The secure connection to " + Server + " failed: " + e.Message());
  }
}

bool TmxSMTP::Accepted(const std::string& line, int expected) {
  SendLine(line);
  if (Succeeded(ReadReply(), expected)) return true;
  if (LastReply().empty()) throw ServerError();
  return false;
}

void TmxSMTP::SignInStep(const std::string& line, int expected) {
  if (Accepted(line, expected)) return;
  const std::string text = "The server " + Server + " refused the sign-in: " + LastReply();
  // A 4xx is a passing trouble worth another try; a 5xx refuses these credentials.
  if (LastReply().starts_with('5')) throw ESignInRefused(text);
  throw EServerError(text);
}

void TmxSMTP::SignIn(const SmtpCapabilities& offered) {
  if (offered.authPlain) {
    SignInStep("AUTH PLAIN " + Base64Text(std::string(1, '\0') + UserName + '\0' + Password), 2);
  } else if (offered.authLogin) {
    SignInStep("AUTH LOGIN", 3);
    SignInStep(Base64Text(UserName), 3);
    SignInStep(Base64Text(Password), 2);
  } else {
    throw EServerError("The server " + Server + " offers no sign-in method this program knows (AUTH PLAIN or LOGIN).");
  }
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
