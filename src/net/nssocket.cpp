#include "net/nssocket.h"

#include <algorithm>

#include "net/net_errors.h"
#include "net/net_strings.h"
#include "net/smtp_reply.h"

namespace parvex {
namespace {

using namespace winsock;

constexpr std::uint16_t kWinsockVersion = 0x0101;

}  // namespace

TnsSocket::TnsSocket(SocketHost& host, MessagePump& pump) : TnsSocket(host, pump, TnsWinsock::Instance()) {}

TnsSocket::TnsSocket(SocketHost& host, MessagePump& pump, TnsWinsock& winsock)
    : host_(host), winsock_(winsock), pump_(pump), counter_(host) {
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
      // Only this connection's socket notifies this window. FD_READ and
      // FD_WRITE only wake the wait: the reads and sends themselves find out.
      notifyError_ = SelectError(lParam);
      errorPending_ = notifyError_ != 0;
      if (!errorPending_) {
        if (SelectEvent(lParam) == kFdConnect) connectDone_ = true;
        if (SelectEvent(lParam) == kFdClose) peerClosed_ = true;
      }
      return 0;
    default: return std::nullopt;
  }
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
  peerClosed_ = false;
}

int TnsSocket::ReplyCode(const std::string& line) { return SmtpReplyCode(line); }

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

  // A fresh window: nothing queued for an earlier connection can reach this one.
  CancelAsyncRequest();
  window_ = host_.CreateHiddenWindow([this](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return WindowProc(message, wParam, lParam);
  });
  connectDone_ = peerClosed_ = errorPending_ = false;

  ResolveHost();
  ResolvePort(typedPort);

  socketHandle_ = winsock_.socket(kAfInet, kSockStream, 0);
  if (socketHandle_ == kInvalidSocket) SocketError(static_cast<unsigned>(winsock_.WSAGetLastError()));
}

void TnsSocket::ConnectSocket() {
  if (cancelRequested_) RaiseCanceled();
  if (!window_) SocketError(sNotConnected);

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

void TnsSocket::Close() {
  if (!Connected()) return;
  // The next connection starts in clear.
  inbound_.Clear();
  tls_.reset();
  if (OnClosing) OnClosing(*this);
  winsock_.closesocket(socketHandle_);
  socketHandle_ = kInvalidSocket;
  // What is still queued for the closed socket goes with its window.
  window_.reset();
  if (OnClosed) OnClosed(*this);
}

void TnsSocket::Cancel() {
  cancelRequested_ = true;
  if (OnCancel) OnCancel(*this);
  CancelAsyncRequest();
  Close();
}

}  // namespace parvex
