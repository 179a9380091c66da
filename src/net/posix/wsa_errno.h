#pragma once
// errno values as the Winsock error codes that Windows reports for them.
#include <cerrno>

#include "net/winsock_api.h"

namespace parvex {

inline int WsaErrorFromErrno(int error) {
  using namespace winsock;
  switch (error) {
    case 0: return 0;
    case EINTR: return kWsaEintr;
    case EBADF: return kWsaEnotsock;
    case EACCES: return kWsaEacces;
    case EFAULT: return kWsaEfault;
    case EINVAL: return kWsaEinval;
    case EMFILE: case ENFILE: return kWsaEmfile;
    case EAGAIN: case EINPROGRESS: return kWsaEwouldblock;
    case EALREADY: return kWsaEalready;
    case ENOTSOCK: return kWsaEnotsock;
    case EAFNOSUPPORT: return kWsaEafnosupport;
    case EADDRINUSE: return kWsaEaddrinuse;
    case EADDRNOTAVAIL: return kWsaEaddrnotavail;
    case ENETDOWN: return kWsaEnetdown;
    case ENETUNREACH: return kWsaEnetunreach;
    case ENETRESET: return kWsaEnetreset;
    case ECONNABORTED: return kWsaEconnaborted;
    case ECONNRESET: case EPIPE: return kWsaEconnreset;
    case ENOBUFS: case ENOMEM: return kWsaEnobufs;
    case EISCONN: return kWsaEisconn;
    case ENOTCONN: return kWsaEnotconn;
    case ESHUTDOWN: return kWsaEshutdown;
    case ETIMEDOUT: return kWsaEtimedout;
    case ECONNREFUSED: return kWsaEconnrefused;
    case EHOSTDOWN: return kWsaEhostdown;
    case EHOSTUNREACH: return kWsaEhostunreach;
    default: return kWsaEinval;
  }
}

}  // namespace parvex
