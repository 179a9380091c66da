// The socket layer declares the Winsock records itself (it has no OS headers);
// here the compiler holds those declarations against the real ones, for
// whichever architecture is being built.
#include <winsock.h>

#include <cstddef>

#include "net/winsock_api.h"

namespace parvex::winsock {

static_assert(sizeof(WsaData) == sizeof(WSADATA));
static_assert(alignof(WsaData) >= alignof(WSADATA));
static_assert(sizeof(SockAddrIn) == sizeof(sockaddr_in));

static_assert(sizeof(HostEnt) == sizeof(hostent));
static_assert(offsetof(HostEnt, h_name) == offsetof(hostent, h_name));
static_assert(offsetof(HostEnt, h_aliases) == offsetof(hostent, h_aliases));
static_assert(offsetof(HostEnt, h_addrtype) == offsetof(hostent, h_addrtype));
static_assert(offsetof(HostEnt, h_length) == offsetof(hostent, h_length));
static_assert(offsetof(HostEnt, h_addr_list) == offsetof(hostent, h_addr_list));

static_assert(sizeof(ServEnt) == sizeof(servent));
static_assert(offsetof(ServEnt, s_name) == offsetof(servent, s_name));
static_assert(offsetof(ServEnt, s_aliases) == offsetof(servent, s_aliases));
static_assert(offsetof(ServEnt, s_port) == offsetof(servent, s_port));
static_assert(offsetof(ServEnt, s_proto) == offsetof(servent, s_proto));

static_assert(sizeof(Socket) == sizeof(SOCKET));
static_assert(sizeof(WindowHandle) == sizeof(HWND));
static_assert(sizeof(AsyncHandle) == sizeof(HANDLE));

#if !defined(_WIN64)
// The sizes a 32-bit process works with.
static_assert(sizeof(WSADATA) == 400);
static_assert(sizeof(servent) == 16 && sizeof(hostent) == 16);
#endif

}  // namespace parvex::winsock
