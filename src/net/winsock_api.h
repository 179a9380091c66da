#pragma once
// The slice of Winsock 1.1 the socket layer calls, written without OS headers:
// the types, constants and entry-point signatures exactly as wsock32.dll exports
// them, so the same portable code runs over the real DLL or a native stand-in.
#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define PARVEX_WINAPI __stdcall
#else
#define PARVEX_WINAPI
#endif

namespace parvex::winsock {

using Socket = std::uintptr_t;                 // SOCKET
using WindowHandle = std::uintptr_t;           // HWND of the notification window
using AsyncHandle = std::uintptr_t;            // HANDLE of an asynchronous lookup

inline constexpr Socket kInvalidSocket = ~Socket{0};
inline constexpr std::uint32_t kInaddrNone = 0xFFFFFFFFu;
inline constexpr int kSocketError = -1;

inline constexpr int kAfInet = 2;
inline constexpr int kSockStream = 1;

inline constexpr long kFdRead = 0x01;
inline constexpr long kFdWrite = 0x02;
inline constexpr long kFdConnect = 0x10;
inline constexpr long kFdAccept = 0x08;
inline constexpr long kFdClose = 0x20;
inline constexpr long kSelectMask = kFdRead | kFdWrite | kFdConnect | kFdClose;  // 51

// Notification messages of the socket layer's hidden window (WM_USER = 0x400).
inline constexpr unsigned kMsgHostLookup = 0x400 + 148;
inline constexpr unsigned kMsgServiceLookup = 0x400 + 149;
inline constexpr unsigned kMsgSocketEvent = 0x400 + 150;

inline constexpr int kAsyncBufferSize = 1024;  // MAXGETHOSTSTRUCT

// Error codes the layer and its adapters name.
inline constexpr int kWsaEintr = 10004;
inline constexpr int kWsaEbadf = 10009;
inline constexpr int kWsaEacces = 10013;
inline constexpr int kWsaEfault = 10014;
inline constexpr int kWsaEinval = 10022;
inline constexpr int kWsaEmfile = 10024;
inline constexpr int kWsaEwouldblock = 10035;
inline constexpr int kWsaEinprogress = 10036;
inline constexpr int kWsaEalready = 10037;
inline constexpr int kWsaEnotsock = 10038;
inline constexpr int kWsaEafnosupport = 10047;
inline constexpr int kWsaEaddrinuse = 10048;
inline constexpr int kWsaEaddrnotavail = 10049;
inline constexpr int kWsaEnetdown = 10050;
inline constexpr int kWsaEnetunreach = 10051;
inline constexpr int kWsaEnetreset = 10052;
inline constexpr int kWsaEconnaborted = 10053;
inline constexpr int kWsaEconnreset = 10054;
inline constexpr int kWsaEnobufs = 10055;
inline constexpr int kWsaEisconn = 10056;
inline constexpr int kWsaEnotconn = 10057;
inline constexpr int kWsaEshutdown = 10058;
inline constexpr int kWsaEtimedout = 10060;
inline constexpr int kWsaEconnrefused = 10061;
inline constexpr int kWsaEhostdown = 10064;
inline constexpr int kWsaEhostunreach = 10065;
inline constexpr int kWsaSysnotready = 10091;
inline constexpr int kWsaVernotsupported = 10092;
inline constexpr int kWsaNotinitialised = 10093;
inline constexpr int kWsaHostNotFound = 11001;
inline constexpr int kWsaTryAgain = 11002;
inline constexpr int kWsaNoRecovery = 11003;
inline constexpr int kWsaNoData = 11004;

// sockaddr_in: 16 bytes, port and address in network byte order.
struct SockAddrIn {
  std::int16_t sin_family;
  std::uint16_t sin_port;
  std::uint32_t sin_addr;
  char sin_zero[8];
};
static_assert(sizeof(SockAddrIn) == 16);

// hostent and servent as Winsock lays them out; a lookup writes one at the
// start of the caller's 1024-byte buffer, its strings and lists after it.
struct HostEnt {
  char* h_name;
  char** h_aliases;
  std::int16_t h_addrtype;
  std::int16_t h_length;
  char** h_addr_list;
};

// 64-bit Winsock puts the protocol pointer before the port, so that the pointer
// keeps its natural alignment; 32-bit Winsock (and the native stand-in) put the
// port first.
#if defined(_WIN64)
struct ServEnt {
  char* s_name;
  char** s_aliases;
  char* s_proto;
  std::int16_t s_port;
};
#else
struct ServEnt {
  char* s_name;
  char** s_aliases;
  std::int16_t s_port;
  char* s_proto;
};
#endif

// WSADATA: 400 bytes in a 32-bit process, 408 in a 64-bit one (the vendor
// pointer moves ahead of the texts there). Nothing reads it.
#if defined(_WIN64)
inline constexpr std::size_t kWsaDataSize = 408;
#else
inline constexpr std::size_t kWsaDataSize = 400;
#endif
struct WsaData {
  alignas(sizeof(void*)) unsigned char bytes[kWsaDataSize];
};

// The notification's lParam: error in the high word, event in the low word.
constexpr std::uint16_t SelectEvent(std::intptr_t lParam) { return static_cast<std::uint16_t>(lParam & 0xFFFF); }
constexpr std::uint16_t SelectError(std::intptr_t lParam) { return static_cast<std::uint16_t>((lParam >> 16) & 0xFFFF); }
constexpr std::intptr_t MakeSelectReply(std::uint16_t event, std::uint16_t error) {
  return static_cast<std::intptr_t>((static_cast<std::uint32_t>(error) << 16) | event);
}

// Entry-point signatures, looked up by these names.
using WSAStartupFn = int(PARVEX_WINAPI*)(std::uint16_t version, WsaData* data);
using WSACleanupFn = int(PARVEX_WINAPI*)();
using GethostnameFn = int(PARVEX_WINAPI*)(char* name, int length);
using InetAddrFn = std::uint32_t(PARVEX_WINAPI*)(const char* text);
using WSAAsyncGetHostByNameFn = AsyncHandle(PARVEX_WINAPI*)(WindowHandle window, unsigned message, const char* name,
                                                             char* buffer, int length);
using WSAAsyncGetServByNameFn = AsyncHandle(PARVEX_WINAPI*)(WindowHandle window, unsigned message, const char* name,
                                                             const char* protocol, char* buffer, int length);
using WSACancelAsyncRequestFn = int(PARVEX_WINAPI*)(AsyncHandle request);
using SocketFn = Socket(PARVEX_WINAPI*)(int family, int type, int protocol);
using WSAAsyncSelectFn = int(PARVEX_WINAPI*)(Socket socket, WindowHandle window, unsigned message, long events);
using HtonsFn = std::uint16_t(PARVEX_WINAPI*)(std::uint16_t value);
using ConnectFn = int(PARVEX_WINAPI*)(Socket socket, const SockAddrIn* address, int length);
using RecvFn = int(PARVEX_WINAPI*)(Socket socket, char* buffer, int length, int flags);
using SendFn = int(PARVEX_WINAPI*)(Socket socket, const char* buffer, int length, int flags);
using ClosesocketFn = int(PARVEX_WINAPI*)(Socket socket);
using BindFn = int(PARVEX_WINAPI*)(Socket socket, const SockAddrIn* address, int length);
using ListenFn = int(PARVEX_WINAPI*)(Socket socket, int backlog);
using AcceptFn = Socket(PARVEX_WINAPI*)(Socket socket, SockAddrIn* address, int* length);
using GetsocknameFn = int(PARVEX_WINAPI*)(Socket socket, SockAddrIn* address, int* length);
using WSAGetLastErrorFn = int(PARVEX_WINAPI*)();
using WSAIsBlockingFn = int(PARVEX_WINAPI*)();
using WSACancelBlockingCallFn = int(PARVEX_WINAPI*)();

}  // namespace parvex::winsock
