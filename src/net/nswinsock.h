#pragma once
// TnsWinsock: the process's one binding of "wsock32.dll". Each wrapper looks its
// entry point up by name at the moment of the call, so nothing stale survives an
// Unload and a missing function is reported by name.
#include <cstdint>
#include <string>

#include "net/library_loader.h"
#include "net/winsock_api.h"

namespace parvex {

class TnsWinsock {
 public:
  explicit TnsWinsock(LibraryLoader& loader);
  ~TnsWinsock();
  TnsWinsock(const TnsWinsock&) = delete;
  TnsWinsock& operator=(const TnsWinsock&) = delete;

  // The one instance every socket goes through; unloads when the process ends.
  static TnsWinsock& Instance();

  bool Loaded() const { return handle_ > 0; }
  void Load();
  void Unload();
  void* GetProc(const std::string& name);
  LibraryLoader& Loader() { return loader_; }

  int WSAStartup(std::uint16_t version, winsock::WsaData* data);
  int WSACleanup();
  int gethostname(char* name, int length);
  std::uint32_t inet_addr(const char* text);
  winsock::AsyncHandle WSAAsyncGetHostByName(winsock::WindowHandle window, unsigned message, const char* name,
                                             char* buffer, int length);
  winsock::AsyncHandle WSAAsyncGetServByName(winsock::WindowHandle window, unsigned message, const char* name,
                                             const char* protocol, char* buffer, int length);
  int WSACancelAsyncRequest(winsock::AsyncHandle request);
  winsock::Socket socket(int family, int type, int protocol);
  int WSAAsyncSelect(winsock::Socket socket, winsock::WindowHandle window, unsigned message, long events);
  std::uint16_t htons(std::uint16_t value);
  int connect(winsock::Socket socket, const winsock::SockAddrIn* address, int length);
  int recv(winsock::Socket socket, char* buffer, int length, int flags);
  int send(winsock::Socket socket, const char* buffer, int length, int flags);
  int closesocket(winsock::Socket socket);
  // For the one listening socket: the browser's answer to a sign-in comes back
  // to this computer.
  int bind(winsock::Socket socket, const winsock::SockAddrIn* address, int length);
  int listen(winsock::Socket socket, int backlog);
  winsock::Socket accept(winsock::Socket socket, winsock::SockAddrIn* address, int* length);
  int getsockname(winsock::Socket socket, winsock::SockAddrIn* address, int* length);
  int WSAGetLastError();
  bool WSAIsBlocking();
  int WSACancelBlockingCall();

 private:
  template <typename Fn>
  Fn Proc(const char* name) {
    return reinterpret_cast<Fn>(GetProc(name));
  }

  LibraryLoader& loader_;
  LibraryHandle handle_ = 0;
};

}  // namespace parvex
