#include "net/nswinsock.h"

#include "net/net_errors.h"
#include "net/net_strings.h"

namespace parvex {
namespace {

constexpr unsigned kNoOpenFileErrorBox = 0x8000;  // SEM_NOOPENFILEERRORBOX

std::string FunctionNotFound(const std::string& name) {
  std::string text = LoadNetString(sFunctionNotFound);
  auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, name);
  return text;
}

}  // namespace

TnsWinsock::TnsWinsock(LibraryLoader& loader) : loader_(loader) {}

TnsWinsock::~TnsWinsock() { Unload(); }

TnsWinsock& TnsWinsock::Instance() {
  static TnsWinsock instance(SystemLibraryLoader());
  return instance;
}

void TnsWinsock::Load() {
  // No "cannot find DLL" box: a missing Winsock is reported as an exception.
  unsigned previous = loader_.SetProcessErrorMode(kNoOpenFileErrorBox);
  handle_ = loader_.LoadModule("wsock32.dll");
  loader_.SetProcessErrorMode(previous);
  if (handle_ < 32) {
    if (handle_ != 0) loader_.ReleaseModule(handle_);
    handle_ = 0;
    throw EWinsockDLLError(LoadNetString(sWinsockNotFound));
  }
}

void TnsWinsock::Unload() {
  if (Loaded()) {
    loader_.ReleaseModule(handle_);
    handle_ = 0;
  }
}

void* TnsWinsock::GetProc(const std::string& name) {
  if (!Loaded()) throw EWinsockDLLError(LoadNetString(sWinsockNotLoaded));
  void* proc = loader_.FindProc(handle_, name);
  if (proc == nullptr) throw EWinsockDLLError(FunctionNotFound(name));
  return proc;
}

int TnsWinsock::WSAStartup(std::uint16_t version, winsock::WsaData* data) {
  return Proc<winsock::WSAStartupFn>("WSAStartup")(version, data);
}

int TnsWinsock::WSACleanup() { return Proc<winsock::WSACleanupFn>("WSACleanup")(); }

int TnsWinsock::gethostname(char* name, int length) {
  return Proc<winsock::GethostnameFn>("gethostname")(name, length);
}

std::uint32_t TnsWinsock::inet_addr(const char* text) {
  // Looked up without the Loaded test: an unloaded binding has no such entry.
  void* proc = loader_.FindProc(handle_, "inet_addr");
  if (proc == nullptr) throw EWinsockDLLError(FunctionNotFound("inet_addr"));
  return reinterpret_cast<winsock::InetAddrFn>(proc)(text);
}

winsock::AsyncHandle TnsWinsock::WSAAsyncGetHostByName(winsock::WindowHandle window, unsigned message,
                                                       const char* name, char* buffer, int length) {
  return Proc<winsock::WSAAsyncGetHostByNameFn>("WSAAsyncGetHostByName")(window, message, name, buffer, length);
}

winsock::AsyncHandle TnsWinsock::WSAAsyncGetServByName(winsock::WindowHandle window, unsigned message,
                                                       const char* name, const char* protocol, char* buffer,
                                                       int length) {
  return Proc<winsock::WSAAsyncGetServByNameFn>("WSAAsyncGetServByName")(window, message, name, protocol, buffer,
                                                                          length);
}

int TnsWinsock::WSACancelAsyncRequest(winsock::AsyncHandle request) {
  return Proc<winsock::WSACancelAsyncRequestFn>("WSACancelAsyncRequest")(request);
}

winsock::Socket TnsWinsock::socket(int family, int type, int protocol) {
  return Proc<winsock::SocketFn>("socket")(family, type, protocol);
}

int TnsWinsock::WSAAsyncSelect(winsock::Socket socket, winsock::WindowHandle window, unsigned message, long events) {
  return Proc<winsock::WSAAsyncSelectFn>("WSAAsyncSelect")(socket, window, message, events);
}

std::uint16_t TnsWinsock::htons(std::uint16_t value) { return Proc<winsock::HtonsFn>("htons")(value); }

int TnsWinsock::connect(winsock::Socket socket, const winsock::SockAddrIn* address, int length) {
  return Proc<winsock::ConnectFn>("connect")(socket, address, length);
}

int TnsWinsock::recv(winsock::Socket socket, char* buffer, int length, int flags) {
  return Proc<winsock::RecvFn>("recv")(socket, buffer, length, flags);
}

int TnsWinsock::send(winsock::Socket socket, const char* buffer, int length, int flags) {
  return Proc<winsock::SendFn>("send")(socket, buffer, length, flags);
}

int TnsWinsock::closesocket(winsock::Socket socket) { return Proc<winsock::ClosesocketFn>("closesocket")(socket); }

int TnsWinsock::bind(winsock::Socket socket, const winsock::SockAddrIn* address, int length) {
  return Proc<winsock::BindFn>("bind")(socket, address, length);
}

int TnsWinsock::listen(winsock::Socket socket, int backlog) {
  return Proc<winsock::ListenFn>("listen")(socket, backlog);
}

winsock::Socket TnsWinsock::accept(winsock::Socket socket, winsock::SockAddrIn* address, int* length) {
  return Proc<winsock::AcceptFn>("accept")(socket, address, length);
}

int TnsWinsock::getsockname(winsock::Socket socket, winsock::SockAddrIn* address, int* length) {
  return Proc<winsock::GetsocknameFn>("getsockname")(socket, address, length);
}

int TnsWinsock::WSAGetLastError() { return Proc<winsock::WSAGetLastErrorFn>("WSAGetLastError")(); }

bool TnsWinsock::WSAIsBlocking() { return Proc<winsock::WSAIsBlockingFn>("WSAIsBlocking")() != 0; }

int TnsWinsock::WSACancelBlockingCall() { return Proc<winsock::WSACancelBlockingCallFn>("WSACancelBlockingCall")(); }

}  // namespace parvex
