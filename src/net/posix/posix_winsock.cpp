// The native "wsock32.dll": Winsock 1.1's entry points over BSD sockets, with
// the asynchronous look-ups and WSAAsyncSelect delivered through the native
// event loop, so the socket layer runs unchanged in native tests.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <string>

#include "net/library_loader.h"
#include "net/posix/posix_event_loop.h"
#include "net/posix/wsa_errno.h"
#include "net/winsock_api.h"

namespace parvex {
namespace {

using namespace winsock;

int lastError = 0;
int startups = 0;
std::set<int> openSockets;
AsyncHandle nextRequest = 1;

PosixEventLoop& Loop() { return PosixEventLoop::Instance(); }

int Fail(int error) {
  lastError = error;
  return kSocketError;
}

int FailErrno() { return Fail(WsaErrorFromErrno(errno)); }

bool IsOpen(Socket s) { return s != kInvalidSocket && openSockets.count(static_cast<int>(s)) != 0; }

// Lays a hostent/servent out at the start of the caller's buffer, Winsock-style.
class BufferWriter {
 public:
  BufferWriter(char* buffer, int length) : buffer_(buffer), length_(static_cast<std::size_t>(length)) {}
  void* Take(std::size_t bytes) {
    used_ = (used_ + 7) & ~std::size_t{7};
    if (used_ + bytes > length_) return nullptr;
    void* at = buffer_ + used_;
    used_ += bytes;
    return at;
  }
  char* String(const char* text) {
    auto* at = static_cast<char*>(Take(std::strlen(text) + 1));
    if (at != nullptr) std::strcpy(at, text);
    return at;
  }
  int Used() const { return static_cast<int>(used_); }

 private:
  char* buffer_;
  std::size_t length_;
  std::size_t used_ = 0;
};

int PARVEX_WINAPI Startup(std::uint16_t, WsaData* data) {
  if (data != nullptr) std::memset(data, 0, sizeof *data);
  ++startups;
  return 0;
}

int PARVEX_WINAPI Cleanup() {
  if (startups == 0) return Fail(kWsaNotinitialised);
  if (--startups == 0) {
    // As on Windows, the last clean-up closes whatever is still open.
    for (int fd : openSockets) {
      Loop().Unwatch(fd);
      ::close(fd);
    }
    openSockets.clear();
  }
  return 0;
}

int PARVEX_WINAPI GetHostName(char* name, int length) {
  if (::gethostname(name, static_cast<std::size_t>(length)) != 0) return Fail(kWsaEfault);
  return 0;
}

std::uint32_t PARVEX_WINAPI InetAddr(const char* text) { return ::inet_addr(text); }

AsyncHandle PARVEX_WINAPI AsyncGetHostByName(WindowHandle window, unsigned message, const char* name, char* buffer,
                                             int length) {
  AsyncHandle request = nextRequest++;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::uint16_t error = 0;
  std::uint16_t used = 0;
  if (getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) {
    error = kWsaHostNotFound;
  } else {
    BufferWriter out(buffer, length);
    auto* entry = static_cast<HostEnt*>(out.Take(sizeof(HostEnt)));
    auto** aliases = static_cast<char**>(out.Take(sizeof(char*)));
    auto** list = static_cast<char**>(out.Take(2 * sizeof(char*)));
    auto* address = static_cast<char*>(out.Take(4));
    char* hostName = out.String(name);
    if (entry == nullptr || aliases == nullptr || list == nullptr || address == nullptr || hostName == nullptr) {
      error = kWsaEnobufs;
    } else {
      const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
      std::memcpy(address, &in->sin_addr.s_addr, 4);
      aliases[0] = nullptr;
      list[0] = address;
      list[1] = nullptr;
      *entry = HostEnt{hostName, aliases, kAfInet, 4, list};
      used = static_cast<std::uint16_t>(out.Used());
    }
  }
  if (found != nullptr) freeaddrinfo(found);
  Loop().PostMessage(window, message, request, MakeSelectReply(used, error));
  return request;
}

AsyncHandle PARVEX_WINAPI AsyncGetServByName(WindowHandle window, unsigned message, const char* name,
                                             const char* protocol, char* buffer, int length) {
  AsyncHandle request = nextRequest++;
  std::uint16_t error = 0;
  std::uint16_t used = 0;
  const servent* found = ::getservbyname(name, protocol);
  if (found == nullptr) {
    error = kWsaNoData;
  } else {
    BufferWriter out(buffer, length);
    auto* entry = static_cast<ServEnt*>(out.Take(sizeof(ServEnt)));
    auto** aliases = static_cast<char**>(out.Take(sizeof(char*)));
    char* serviceName = out.String(found->s_name);
    char* proto = out.String(protocol);
    if (entry == nullptr || aliases == nullptr || serviceName == nullptr || proto == nullptr) {
      error = kWsaEnobufs;
    } else {
      aliases[0] = nullptr;
      *entry = ServEnt{serviceName, aliases, static_cast<std::int16_t>(found->s_port), proto};
      used = static_cast<std::uint16_t>(out.Used());
    }
  }
  Loop().PostMessage(window, message, request, MakeSelectReply(used, error));
  return request;
}

int PARVEX_WINAPI CancelAsyncRequest(AsyncHandle request) {
  int removed = Loop().RemovePosted([request](winsock::WindowHandle, unsigned message, std::uintptr_t wParam) {
    return (message == kMsgHostLookup || message == kMsgServiceLookup) && wParam == request;
  });
  return removed > 0 ? 0 : Fail(kWsaEinval);
}

Socket PARVEX_WINAPI CreateSocket(int family, int type, int protocol) {
  if (family != kAfInet || type != kSockStream) {
    lastError = kWsaEafnosupport;
    return kInvalidSocket;
  }
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
  if (fd < 0) {
    FailErrno();
    return kInvalidSocket;
  }
  openSockets.insert(fd);
  return static_cast<Socket>(fd);
}

int PARVEX_WINAPI AsyncSelect(Socket s, WindowHandle window, unsigned message, long events) {
  if (!IsOpen(s)) return Fail(kWsaEnotsock);
  auto& watch = Loop().WatchOf(static_cast<int>(s));
  watch.window = window;
  watch.message = message;
  watch.events = events;
  return 0;
}

std::uint16_t PARVEX_WINAPI Htons(std::uint16_t value) { return htons(value); }

sockaddr_in ToSockaddr(const SockAddrIn& address) {
  sockaddr_in to{};
  to.sin_family = static_cast<sa_family_t>(address.sin_family == kAfInet ? AF_INET : AF_UNSPEC);
  to.sin_port = address.sin_port;
  to.sin_addr.s_addr = address.sin_addr;
  return to;
}

void FromSockaddr(const sockaddr_in& from, SockAddrIn* address, int* length) {
  if (address == nullptr || length == nullptr || *length < static_cast<int>(sizeof(SockAddrIn))) return;
  *address = SockAddrIn{kAfInet, from.sin_port, from.sin_addr.s_addr, {}};
  *length = sizeof(SockAddrIn);
}

int PARVEX_WINAPI Connect(Socket s, const SockAddrIn* address, int length) {
  if (!IsOpen(s)) return Fail(kWsaEnotsock);
  if (address == nullptr || length < static_cast<int>(sizeof(SockAddrIn))) return Fail(kWsaEfault);
  const sockaddr_in to = ToSockaddr(*address);
  const int fd = static_cast<int>(s);
  auto& watch = Loop().WatchOf(fd);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) {
    watch.established = true;
    watch.writeArmed = true;
    Loop().Notify(fd, kFdConnect, 0);
    return 0;
  }
  if (errno == EINPROGRESS) {
    watch.connecting = true;
    return Fail(kWsaEwouldblock);
  }
  if (errno == ECONNREFUSED) {
    // Winsock never refuses on the spot: the refusal comes as FD_CONNECT.
    Loop().Notify(fd, kFdConnect, kWsaEconnrefused);
    return Fail(kWsaEwouldblock);
  }
  return FailErrno();
}

int PARVEX_WINAPI Recv(Socket s, char* buffer, int length, int flags) {
  if (!IsOpen(s)) return Fail(kWsaEnotsock);
  const int fd = static_cast<int>(s);
  Loop().WatchOf(fd).readArmed = true;  // recv re-enables FD_READ
  ssize_t n = ::recv(fd, buffer, static_cast<std::size_t>(length), flags);
  if (n < 0) return FailErrno();
  if (n > 0) Loop().NoteProgress();
  return static_cast<int>(n);
}

int PARVEX_WINAPI Send(Socket s, const char* buffer, int length, int flags) {
  if (!IsOpen(s)) return Fail(kWsaEnotsock);
  const int fd = static_cast<int>(s);
  // Linux says EPIPE for a socket that never connected; Winsock says so plainly.
  const auto& watch = Loop().WatchOf(fd);
  if (!watch.established && !watch.connecting) return Fail(kWsaEnotconn);
  ssize_t n = ::send(fd, buffer, static_cast<std::size_t>(length), flags | MSG_NOSIGNAL);
  if (n < 0) {
    if (errno == EAGAIN) Loop().WatchOf(fd).writeArmed = true;  // FD_WRITE when there is room again
    return FailErrno();
  }
  if (n > 0) Loop().NoteProgress();
  return static_cast<int>(n);
}

int PARVEX_WINAPI CloseSocket(Socket s) {
  if (!IsOpen(s)) return Fail(kWsaEnotsock);
  const int fd = static_cast<int>(s);
  Loop().Unwatch(fd);
  openSockets.erase(fd);
  ::close(fd);
  return 0;
}

int PARVEX_WINAPI Bind(Socket s, const SockAddrIn* address, int length) {
  if (!IsOpen(s)) return Fail(kWsaEnotsock);
  if (address == nullptr || length < static_cast<int>(sizeof(SockAddrIn))) return Fail(kWsaEfault);
  const sockaddr_in at = ToSockaddr(*address);
  if (::bind(static_cast<int>(s), reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) return FailErrno();
  return 0;
}

int PARVEX_WINAPI Listen(Socket s, int backlog) {
  if (!IsOpen(s)) return Fail(kWsaEnotsock);
  const int fd = static_cast<int>(s);
  if (::listen(fd, backlog) != 0) return FailErrno();
  Loop().WatchOf(fd).listening = true;
  return 0;
}

// As in Winsock, the new socket takes the listening socket's WSAAsyncSelect.
Socket PARVEX_WINAPI Accept(Socket s, SockAddrIn* address, int* length) {
  if (!IsOpen(s)) {
    Fail(kWsaEnotsock);
    return kInvalidSocket;
  }
  const int fd = static_cast<int>(s);
  auto& listener = Loop().WatchOf(fd);
  listener.readArmed = true;  // accept re-enables FD_ACCEPT
  sockaddr_in from{};
  socklen_t size = sizeof from;
  const int accepted = ::accept4(fd, reinterpret_cast<sockaddr*>(&from), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (accepted < 0) {
    FailErrno();
    return kInvalidSocket;
  }
  openSockets.insert(accepted);
  auto& watch = Loop().WatchOf(accepted);
  watch.window = listener.window;
  watch.message = listener.message;
  watch.events = listener.events;
  watch.established = true;
  watch.writeArmed = true;
  FromSockaddr(from, address, length);
  return static_cast<Socket>(accepted);
}

int PARVEX_WINAPI GetSockName(Socket s, SockAddrIn* address, int* length) {
  if (!IsOpen(s)) return Fail(kWsaEnotsock);
  if (address == nullptr || length == nullptr || *length < static_cast<int>(sizeof(SockAddrIn))) return Fail(kWsaEfault);
  sockaddr_in at{};
  socklen_t size = sizeof at;
  if (::getsockname(static_cast<int>(s), reinterpret_cast<sockaddr*>(&at), &size) != 0) return FailErrno();
  FromSockaddr(at, address, length);
  return 0;
}

int PARVEX_WINAPI GetLastError() { return lastError; }
int PARVEX_WINAPI IsBlocking() { return 0; }
int PARVEX_WINAPI CancelBlockingCall() { return 0; }

struct Export {
  const char* name;
  void* proc;
};

const Export kExports[] = {
    {"WSAStartup", reinterpret_cast<void*>(&Startup)},
    {"WSACleanup", reinterpret_cast<void*>(&Cleanup)},
    {"gethostname", reinterpret_cast<void*>(&GetHostName)},
    {"inet_addr", reinterpret_cast<void*>(&InetAddr)},
    {"WSAAsyncGetHostByName", reinterpret_cast<void*>(&AsyncGetHostByName)},
    {"WSAAsyncGetServByName", reinterpret_cast<void*>(&AsyncGetServByName)},
    {"WSACancelAsyncRequest", reinterpret_cast<void*>(&CancelAsyncRequest)},
    {"socket", reinterpret_cast<void*>(&CreateSocket)},
    {"WSAAsyncSelect", reinterpret_cast<void*>(&AsyncSelect)},
    {"htons", reinterpret_cast<void*>(&Htons)},
    {"connect", reinterpret_cast<void*>(&Connect)},
    {"recv", reinterpret_cast<void*>(&Recv)},
    {"send", reinterpret_cast<void*>(&Send)},
    {"closesocket", reinterpret_cast<void*>(&CloseSocket)},
    {"bind", reinterpret_cast<void*>(&Bind)},
    {"listen", reinterpret_cast<void*>(&Listen)},
    {"accept", reinterpret_cast<void*>(&Accept)},
    {"getsockname", reinterpret_cast<void*>(&GetSockName)},
    {"WSAGetLastError", reinterpret_cast<void*>(&GetLastError)},
    {"WSAIsBlocking", reinterpret_cast<void*>(&IsBlocking)},
    {"WSACancelBlockingCall", reinterpret_cast<void*>(&CancelBlockingCall)},
};

constexpr LibraryHandle kWinsockHandle = 0x5750;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// Offers "wsock32.dll" only; no other library (and so no "wserr32.dll") exists here.
class PosixLibraryLoader final : public LibraryLoader {
 public:
  unsigned SetProcessErrorMode(unsigned mode) override {
    unsigned previous = mode_;
    mode_ = mode;
    return previous;
  }
  LibraryHandle LoadModule(const std::string& name) override {
    return Lower(name) == "wsock32.dll" ? kWinsockHandle : 0;
  }
  void ReleaseModule(LibraryHandle) override {}
  void* FindProc(LibraryHandle library, const std::string& name) override {
    if (library != kWinsockHandle) return nullptr;
    for (const Export& e : kExports) {
      if (name == e.name) return e.proc;
    }
    return nullptr;
  }
  std::string LoadResourceString(LibraryHandle, unsigned) override { return {}; }

 private:
  unsigned mode_ = 0;
};

}  // namespace

LibraryLoader& SystemLibraryLoader() {
  static PosixLibraryLoader loader;
  return loader;
}

}  // namespace parvex
