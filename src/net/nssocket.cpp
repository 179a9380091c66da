#include "net/nssocket.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>

#include "net/net_errors.h"
#include "net/net_strings.h"
#include "net/smtp_reply.h"

namespace parvex {
namespace {

using namespace winsock;

constexpr std::uint16_t kWinsockVersion = 0x0101;

// After these the connection is gone or was never made: the socket is closed
// so that the next send opens a new one instead of talking into a dead one.
bool BreaksTheConnection(unsigned code) {
  switch (static_cast<int>(code)) {
    case kWsaEaddrnotavail:
    case kWsaEafnosupport:
    case kWsaEnetdown:
    case kWsaEnetunreach:
    case kWsaEnetreset:
    case kWsaEconnaborted:
    case kWsaEconnreset:
    case kWsaEnotconn:
    case kWsaEshutdown:
    case kWsaEtimedout:
    case kWsaEconnrefused:
    case kWsaEhostdown:
    case kWsaEhostunreach: return true;
    default: return false;
  }
}

std::string DottedAddress(const unsigned char* bytes) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) text += '.';
    text += std::to_string(bytes[i]);
  }
  return text;
}

}  // namespace

TnsSocket::TnsSocket(SocketHost& host, MessagePump& pump) : TnsSocket(host, pump, TnsWinsock::Instance()) {}

TnsSocket::TnsSocket(SocketHost& host, MessagePump& pump, TnsWinsock& winsock)
    : winsock_(winsock), pump_(pump), counter_(host) {
  window_ = host.CreateHiddenWindow([this](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return WindowProc(message, wParam, lParam);
  });
  SetWinsockLoaded(false);
}

TnsSocket::~TnsSocket() {
  // A lookup still pending would write into this object after it is gone.
  try {
    CancelAsyncRequest();
  } catch (...) {
  }
  window_.reset();
  for (; startupCount_ > 0; --startupCount_) {
    try {
      winsock_.WSACleanup();
    } catch (...) {
      break;  // the binding is gone, and with it every start-up
    }
  }
}

bool TnsSocket::WinsockLoaded() const { return winsock_.Loaded(); }

void TnsSocket::SetWinsockLoaded(bool loaded) {
  if (loaded) {
    if (!winsock_.Loaded()) winsock_.Load();
  } else {
    winsock_.Unload();
  }
}

std::optional<std::intptr_t> TnsSocket::WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  switch (message) {
    case kMsgHostLookup:
    case kMsgServiceLookup:
      // An answer to a request that was cancelled or has timed out belongs to
      // no one: it must not end or fail a later wait.
      if (asyncRequest_ == 0 || wParam != static_cast<std::uintptr_t>(asyncRequest_)) return 0;
      (message == kMsgHostLookup ? hostLookupDone_ : serviceLookupDone_) = true;
      notifyError_ = SelectError(lParam);
      errorPending_ = notifyError_ != 0;
      return 0;
    case kMsgSocketEvent:
      // A notification still queued for a socket closed since (the end of the
      // last send) must not mark the new connection closed or failed.
      if (socketHandle_ == kInvalidSocket || wParam != static_cast<std::uintptr_t>(socketHandle_)) return 0;
      // Windows hands the number of a socket just closed to the next one, and the
      // old socket's last events (its FD_CLOSE) may still be queued. Before the
      // connection is made only FD_CONNECT can be this socket's own.
      if (!connectDone_ && SelectEvent(lParam) != kFdConnect) return 0;
      notifyError_ = SelectError(lParam);
      errorPending_ = notifyError_ != 0;
      if (!errorPending_) {
        switch (SelectEvent(lParam)) {
          case kFdRead: readReady_ = true; break;
          case kFdWrite: writeReady_ = true; break;
          case kFdConnect: connectDone_ = true; break;
          case kFdClose: peerClosed_ = true; break;
          default: break;
        }
      }
      return 0;
    default: return std::nullopt;
  }
}

template <typename Done>
void TnsSocket::Wait(Done done) {
  counter_.Start();
  for (;;) {
    ProcessMessages();
    if (done() || cancelRequested_ || counter_.Expired) break;
    Idle();
  }
  counter_.Stop();
}

void TnsSocket::Idle() {
  if (pump_.QuitRequested()) GiveUpForQuit();
  pump_.WaitForMessage(kIdleWaitMs);
}

void TnsSocket::GiveUpForQuit() {
  // Nothing is dispatched any more: neither the socket's notifications nor the
  // time-out's ticks would come. The connection goes; QUIT is not sent.
  counter_.Stop();
  CancelAsyncRequest();
  Close();
  throw EQuitRequested();
}

void TnsSocket::ResetState() {
  cancelRequested_ = false;
  counter_.Expired = false;
  asyncRequest_ = 0;
  errorPending_ = false;
  hostLookupDone_ = serviceLookupDone_ = connectDone_ = false;
  readReady_ = writeReady_ = peerClosed_ = false;
}

int TnsSocket::ReplyCode(const std::string& line) { return SmtpReplyCode(line); }

std::string TnsSocket::HostPart() const { return Server.substr(0, Server.find(':')); }

int TnsSocket::PortPart() const {
  auto colon = Server.find(':');
  if (colon == std::string::npos) return 0;
  long long value = 0;
  // A port the user typed wrongly must not quietly become another one.
  if (!ParseSignedDecimal(std::string_view(Server).substr(colon + 1), value) || value < 1 || value > 65535)
    throw ESocketError("The port in the server \"" + Server + "\" is not a number from 1 to 65535.");
  return static_cast<int>(value);
}

void TnsSocket::Open() {
  if (OnOpen) OnOpen(*this);
  if (Server.empty()) SocketError(sServerRequired);
  // A wrong port fails before Winsock is started.
  const int typedPort = PortPart();
  if (winsock_.WSAStartup(kWinsockVersion, &wsaData_) != 0) SocketError(sInvalidWinsockVersion);
  ++startupCount_;

  char name[128] = {};
  if (winsock_.gethostname(name, sizeof name) == kSocketError) {
    localHost_ = HostPart();
  } else {
    localHost_.assign(name, std::find(name, name + sizeof name, '\0'));
  }

  ResolveHost();
  ResolvePort(typedPort);

  socketHandle_ = winsock_.socket(kAfInet, kSockStream, 0);
  if (socketHandle_ == kInvalidSocket) SocketError(static_cast<unsigned>(winsock_.WSAGetLastError()));
}

void TnsSocket::ResolveHost() {
  char host[128] = {};
  std::string part = HostPart();
  std::memcpy(host, part.data(), std::min(part.size(), sizeof host - 1));

  std::uint32_t address = winsock_.inet_addr(host);
  if (address != kInaddrNone) {
    remoteAddr_ = address;
    return;
  }

  std::memset(hostBuffer_, 0, sizeof hostBuffer_);
  asyncRequest_ =
      winsock_.WSAAsyncGetHostByName(window_->Handle(), kMsgHostLookup, host, hostBuffer_, sizeof hostBuffer_);
  // The look-up that could not even start says why itself, not a stale notification.
  if (asyncRequest_ == 0) StartFailed();

  Wait([this] { return hostLookupDone_; });
  EndAsyncRequest(hostLookupDone_);
  if (errorPending_) {
    SocketError(notifyError_);
  } else if (counter_.Expired) {
    RaiseTimedOut();
  } else if (cancelRequested_) {
    RaiseCanceled();
  }
  ProcessMessages();

  // The entry lies at the start of the buffer; its pointers point into it.
  const auto* entry = reinterpret_cast<const HostEnt*>(hostBuffer_);
  std::string dotted;
  if (entry->h_addr_list != nullptr && entry->h_addr_list[0] != nullptr) {
    dotted = DottedAddress(reinterpret_cast<const unsigned char*>(entry->h_addr_list[0]));
  }
  remoteAddr_ = winsock_.inet_addr(dotted.c_str());
  if (remoteAddr_ == kInaddrNone) SocketError(sResolveError);
}

void TnsSocket::ResolvePort(int typedPort) {
  const int port = typedPort > 0 ? typedPort : FixedPort;
  if (port > 0) {
    remotePort_ = static_cast<std::uint16_t>(port);
    return;
  }
  if (ServiceName.empty()) {
    SocketError(sServiceRequired);
  } else if (cancelRequested_) {
    RaiseCanceled();
  }

  char name[64] = {};
  std::memcpy(name, ServiceName.data(), std::min(ServiceName.size(), sizeof name - 1));
  std::memset(serviceBuffer_, 0, sizeof serviceBuffer_);
  asyncRequest_ = winsock_.WSAAsyncGetServByName(window_->Handle(), kMsgServiceLookup, name, "tcp", serviceBuffer_,
                                                 sizeof serviceBuffer_);
  if (asyncRequest_ == 0) {
    remotePort_ = DefaultPort;
    return;
  }

  Wait([this] { return serviceLookupDone_; });
  EndAsyncRequest(serviceLookupDone_);
  if (errorPending_ || counter_.Expired) {
    remotePort_ = DefaultPort;
  } else if (cancelRequested_) {
    RaiseCanceled();
  } else {
    const auto* entry = reinterpret_cast<const ServEnt*>(serviceBuffer_);
    remotePort_ = winsock_.htons(static_cast<std::uint16_t>(entry->s_port));
  }
}

void TnsSocket::ConnectSocket() {
  if (cancelRequested_) RaiseCanceled();

  SockAddrIn address{};
  address.sin_family = kAfInet;
  address.sin_port = winsock_.htons(remotePort_);
  address.sin_addr = remoteAddr_;

  int selected = winsock_.WSAAsyncSelect(socketHandle_, window_->Handle(), kMsgSocketEvent, kSelectMask);
  if (selected == kSocketError) SocketError(static_cast<unsigned>(winsock_.WSAGetLastError()));
  asyncRequest_ = static_cast<AsyncHandle>(selected);

  counter_.Start();
  if (winsock_.connect(socketHandle_, &address, sizeof address) == kSocketError) {
    int error = winsock_.WSAGetLastError();
    if (error != kWsaEwouldblock) SocketError(static_cast<unsigned>(error));
  }
  // A refused connection is told at once, in Winsock's words, rather than as a
  // time-out a minute later that would send the user looking for a firewall.
  Wait([this] { return connectDone_ || errorPending_; });
  if (cancelRequested_) RaiseCanceled();
  if (connectDone_) return;
  if (errorPending_) SocketError(notifyError_);
  RaiseTimedOut();
}

int TnsSocket::ReadLine(std::string& line) {
  if (!Connected()) SocketError(sNotConnected);
  if (tls_) return ReadSecureLine(line);

  // A server's close ends the wait at once; what it sent before is still read.
  Wait([this] { return readReady_ || errorPending_ || peerClosed_; });
  if (cancelRequested_) RaiseCanceled();
  // A reply that came is taken even when a dialog opened meanwhile kept the
  // messages away for longer than the time-out.
  if (!readReady_ && !peerClosed_) {
    if (errorPending_) SocketError(notifyError_);
    RaiseTimedOut();
  }

  counter_.Start();  // the whole line must arrive within TimeOut
  readReady_ = false;
  ProcessMessages();

  char buffer[kMaxLine + 1] = {};
  line.clear();
  int count = 0;
  int received = 0;
  bool haveLf = false;
  bool idle = false;
  do {
    ProcessMessages();
    if (count >= kMaxLine) {
      // The rest of this line is still unread: the reply stream cannot be
      // trusted any more, so the connection goes before the error is raised.
      counter_.Stop();
      Close();
      throw ERangeError();
    }
    received = winsock_.recv(socketHandle_, buffer + count, 1, 0);
    idle = false;
    if (received == 0) {
      // The server has closed and everything it sent is read. Said here, not only
      // by FD_CLOSE, which no longer comes once the program is ending.
      peerClosed_ = true;
    } else if (received == kSocketError) {
      int error = winsock_.WSAGetLastError();
      if (error != kWsaEwouldblock && !cancelRequested_) SocketError(static_cast<unsigned>(error));
      idle = true;  // FD_READ tells when the next byte is there
    } else {
      count += received;
    }
    haveLf = std::memchr(buffer, '\n', static_cast<std::size_t>(count)) != nullptr;
    ProcessMessages();
    if (idle && !haveLf && !cancelRequested_ && !counter_.Expired) Idle();
    // The time-out counts only while nothing comes.
  } while (!haveLf && !cancelRequested_ && !(idle && counter_.Expired) && received != 0);
  counter_.Stop();

  if (cancelRequested_) RaiseCanceled();
  if (haveLf) {
    line.assign(buffer, static_cast<std::size_t>(count));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return ReplyCode(line);
  }
  if (received != 0) RaiseTimedOut();
  return -1;  // closed before the line ended
}

int TnsSocket::ReadReply() {
  SmtpReplyAssembler reply;
  for (;;) {
    ReadLine(lastReply_);
    if (!reply.lines().empty() && lastReply_.empty() && peerClosed_) {
      // Cut by the server's close: no reply, whatever its first line said.
      replyLines_.clear();
      return -1;
    }
    switch (reply.addLine(lastReply_)) {
      case SmtpReplyAssembler::State::NeedMore: break;
      case SmtpReplyAssembler::State::Complete: replyLines_ = reply.lines(); return reply.code();
      case SmtpReplyAssembler::State::TooManyLines:
        Close();
        throw ESocketError("The server's reply ran past " + std::to_string(SmtpReplyAssembler::kMaxLines) +
                           " lines.");
    }
  }
}

void TnsSocket::SendLine(const std::string& line) {
  if (!Connected()) SocketError(sNotConnected);
  const std::string data = line + "\r\n";
  SendRaw(tls_ ? tls_->Encrypt(data) : data);
}

void TnsSocket::SendRaw(std::string_view data) {
  counter_.Start();
  std::size_t position = 0;
  do {
    ProcessMessages();
    int sent = winsock_.send(socketHandle_, data.data() + position, static_cast<int>(data.size() - position), 0);
    bool idle = false;
    if (sent == kSocketError) {
      int error = winsock_.WSAGetLastError();
      if (error != kWsaEwouldblock && !cancelRequested_) SocketError(static_cast<unsigned>(error));
      idle = true;  // FD_WRITE tells when there is room again
    } else {
      position += static_cast<std::size_t>(sent);
    }
    ProcessMessages();
    if (idle && position < data.size() && !counter_.Expired && !cancelRequested_) Idle();
  } while (position < data.size() && !counter_.Expired && !cancelRequested_);
  counter_.Stop();
  if (counter_.Expired) {
    RaiseTimedOut();
  } else if (cancelRequested_) {
    RaiseCanceled();
  }
}

void TnsSocket::SendStream(TStream& stream) {
  stream.SetPosition(0);
  const std::int64_t size = stream.Size();
  bool last = false;
  do {
    char buffer[kChunk + 1] = {};
    const int n = static_cast<int>(stream.Read(buffer, kChunk));
    // A short read before the end is no end: a cut mail must not go out as whole.
    if (n < kChunk && stream.Position() < size) {
      counter_.Stop();
      throw EReadError("Could not read the mail's temporary file.");
    }
    if (tls_) {
      const std::string records =
          n > 0 ? tls_->Encrypt(std::string_view(buffer, static_cast<std::size_t>(n))) : std::string();
      SendChunk(records.data(), static_cast<int>(records.size()));
    } else {
      SendChunk(buffer, n);
    }
    last = n < kChunk;

    if (OnProgress) {
      const std::int64_t transferred = stream.Position();
      // The percentage is figured in 32 bits (it wraps past 21 MB); an empty
      // stream counts as complete rather than dividing by zero.
      const auto scaled = static_cast<std::int32_t>(static_cast<std::uint32_t>(transferred) * 100u);
      const int perc = size > 0 ? static_cast<int>(std::nearbyint(static_cast<double>(scaled) / size)) : 100;
      OnProgress(*this, perc, static_cast<int>(transferred));
    }
  } while (!last && !counter_.Expired && !cancelRequested_);

  if (counter_.Expired) {
    RaiseTimedOut();
  } else if (cancelRequested_) {
    RaiseCanceled();
  }
  if (OnProgress) OnProgress(*this, 0, 0);
}

void TnsSocket::SendChunk(const char* data, int n) {
  counter_.Start();
  int position = 0;
  do {
    int sent = winsock_.send(socketHandle_, data + position, n - position, 0);
    bool idle = false;
    if (sent == kSocketError) {
      int error = winsock_.WSAGetLastError();
      if (error != kWsaEwouldblock && !cancelRequested_) SocketError(static_cast<unsigned>(error));
      sent = 0;
      idle = true;  // FD_WRITE tells when there is room again
    }
    if (sent >= 1) {
      counter_.Start();  // the time-out limits the time without progress
      position += sent;
    }
    ProcessMessages();
    if (idle && position < n && !counter_.Expired && !cancelRequested_) Idle();
  } while (position < n && !counter_.Expired && !cancelRequested_);
  counter_.Stop();
}

void TnsSocket::RaiseIfStopped() {
  if (counter_.Expired) {
    RaiseTimedOut();
  } else if (cancelRequested_) {
    RaiseCanceled();
  }
}

TnsSocket::Received TnsSocket::ReceiveSome() {
  char buffer[16384];
  for (;;) {
    ProcessMessages();
    if (cancelRequested_ || counter_.Expired) return Received::Stopped;
    const int received = winsock_.recv(socketHandle_, buffer, static_cast<int>(sizeof buffer), 0);
    if (received > 0) {
      tlsIn_.append(buffer, static_cast<std::size_t>(received));
      return Received::Data;
    }
    if (received == 0) {
      peerClosed_ = true;
      return Received::PeerClosed;
    }
    const int error = winsock_.WSAGetLastError();
    if (error != kWsaEwouldblock && !cancelRequested_) SocketError(static_cast<unsigned>(error));
    Idle();  // FD_READ tells when more has come
  }
}

void TnsSocket::StartTls(std::unique_ptr<TlsChannel> channel) {
  if (!Connected()) SocketError(sNotConnected);
  tls_.reset();
  tlsIn_.clear();
  tlsPlain_.clear();
  secureEnded_ = false;
  try {
    std::string toSend;
    bool done = false;
    while (!done) {
      done = channel->Handshake(tlsIn_, toSend);
      if (!toSend.empty()) SendRaw(std::exchange(toSend, {}));
      if (done) break;
      counter_.Start();
      const Received got = ReceiveSome();
      counter_.Stop();
      RaiseIfStopped();
      if (got == Received::PeerClosed) throw ETlsError("The server closed the connection during the handshake.");
    }
    channel->VerifyServer();
  } catch (...) {
    // Half a handshake, or a server we do not trust: not one more byte goes to it.
    counter_.Stop();
    Close();
    throw;
  }
  tls_ = std::move(channel);
}

int TnsSocket::ReadSecureLine(std::string& line) {
  line.clear();
  counter_.Start();  // the whole line must arrive within TimeOut
  for (;;) {
    const std::size_t lf = tlsPlain_.find('\n');
    if (lf != std::string::npos && lf < static_cast<std::size_t>(kMaxLine)) {
      counter_.Stop();
      line = tlsPlain_.substr(0, lf + 1);
      tlsPlain_.erase(0, lf + 1);
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
      return ReplyCode(line);
    }
    if (tlsPlain_.size() >= static_cast<std::size_t>(kMaxLine)) {
      counter_.Stop();
      Close();
      throw ERangeError();
    }
    if (secureEnded_) break;  // nothing more will come
    const std::size_t before = tlsPlain_.size();
    bool open = true;
    try {
      open = tls_->Decrypt(tlsIn_, tlsPlain_);
    } catch (const ETlsError&) {
      // A record that does not decrypt leaves nothing to trust on this connection.
      counter_.Stop();
      Close();
      throw;
    }
    if (!open) {
      // The text that came with the close (a "221 Bye") is read before it counts.
      secureEnded_ = peerClosed_ = true;
      continue;
    }
    if (tlsPlain_.size() > before) continue;
    const Received got = ReceiveSome();
    if (got == Received::Stopped) break;
    if (got == Received::PeerClosed) secureEnded_ = true;
  }
  counter_.Stop();
  RaiseIfStopped();
  return -1;
}

void TnsSocket::Close() {
  if (!Connected()) return;
  // The next connection starts in clear.
  tls_.reset();
  tlsIn_.clear();
  tlsPlain_.clear();
  secureEnded_ = false;
  if (OnClosing) OnClosing(*this);
  winsock_.closesocket(socketHandle_);
  // Nothing more comes for the closed socket; what is already queued is dropped
  // here (the window procedure's socket check stays for the rest).
  if (window_) window_->DiscardPending(kMsgSocketEvent);
  socketHandle_ = kInvalidSocket;
  if (OnClosed) OnClosed(*this);
}

void TnsSocket::CancelAsyncRequest() {
  if (asyncRequest_ != 0) {
    winsock_.WSACancelAsyncRequest(asyncRequest_);
    asyncRequest_ = 0;
  }
}

void TnsSocket::EndAsyncRequest(bool answered) {
  // A request still pending is cancelled before it is forgotten, or its late
  // answer would write into the look-up buffer.
  if (answered) {
    asyncRequest_ = 0;
  } else {
    CancelAsyncRequest();
  }
}

void TnsSocket::Cancel() {
  cancelRequested_ = true;
  if (OnCancel) OnCancel(*this);
  CancelAsyncRequest();
  Close();
}

std::string TnsSocket::ErrorText(unsigned code) {
  std::string text;
  if (code >= 10000 && code <= 11004) {
    LibraryLoader& loader = winsock_.Loader();
    LibraryHandle library = loader.LoadModule("wserr32.dll");
    if (library != 0) {
      text = loader.LoadResourceString(library, code);
      loader.ReleaseModule(library);
    }
    if (text.empty()) text = WinsockErrorText(code);
  } else {
    text = LoadNetString(code);
  }
  if (text.empty()) text = "Error #" + std::to_string(code);
  return text;
}

void TnsSocket::StartFailed() {
  const int error = winsock_.WSAGetLastError();
  SocketError(error != 0 ? static_cast<unsigned>(error) : static_cast<unsigned>(kWsaEnobufs));
}

void TnsSocket::SocketError(unsigned code) {
  code &= 0xFFFF;
  if (code == 0) return;
  counter_.Stop();
  std::string text = ErrorText(code);
  if (OnError) OnError(*this, text);
  if (BreaksTheConnection(code)) Close();
  throw ESocketError(text);
}

void TnsSocket::RaiseTimedOut() {
  counter_.Stop();
  std::string text = LoadNetString(sTimedOut);
  if (OnError) OnError(*this, text);
  CancelAsyncRequest();
  if (winsock_.WSAIsBlocking()) winsock_.WSACancelBlockingCall();
  Close();
  throw ETimedOutError(LoadNetString(sTimedOut));
}

void TnsSocket::RaiseCanceled() {
  counter_.Stop();
  std::string text = LoadNetString(sCanceled);
  if (OnError) OnError(*this, text);
  throw ECanceledError(LoadNetString(sCanceled));
}

}  // namespace parvex
