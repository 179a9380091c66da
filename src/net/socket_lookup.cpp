// The server's address and port: dotted addresses and typed ports at once,
// names and services through Winsock's asynchronous look-ups.
#include <algorithm>
#include <cstring>

#include "net/net_errors.h"
#include "net/net_strings.h"
#include "net/nssocket.h"
#include "net/smtp_reply.h"

namespace parvex {
namespace {

using namespace winsock;

std::string DottedAddress(const unsigned char* bytes) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) text += '.';
    text += std::to_string(bytes[i]);
  }
  return text;
}

}  // namespace

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
  if (errorPending_) SocketError(notifyError_);
  if (!hostLookupDone_) RaiseStopped();
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
  if (ServiceName.empty()) SocketError(sServiceRequired);
  if (cancelRequested_) RaiseCanceled();

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

void TnsSocket::StartFailed() {
  const int error = winsock_.WSAGetLastError();
  SocketError(error != 0 ? static_cast<unsigned>(error) : static_cast<unsigned>(kWsaEnobufs));
}

}  // namespace parvex
