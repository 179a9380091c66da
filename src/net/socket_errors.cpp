// How the socket layer fails: the texts the user reads, which errors end the
// connection, and the time-out and cancel that stop a wait.
#include "net/net_errors.h"
#include "net/net_strings.h"
#include "net/nssocket.h"

namespace parvex {
namespace {

using namespace winsock;

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

}  // namespace

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

void TnsSocket::SocketError(unsigned code) {
  code &= 0xFFFF;
  if (code == 0) return;
  counter_.Stop();
  std::string text = ErrorText(code);
  if (OnError) OnError(*this, text);
  if (BreaksTheConnection(code)) Close();
  throw ESocketError(text);
}

void TnsSocket::RaiseStopped() {
  // The user's cancel is what the user did; it wins over a time-out met meanwhile.
  if (cancelRequested_) RaiseCanceled();
  RaiseTimedOut();
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
