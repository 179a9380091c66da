// No platform TLS here: the POSIX build serves tests, which bring their own channel.
#include "net/system_tls.h"

namespace parvex {

TlsChannelFactory SystemTlsFactory() { return {}; }

}  // namespace parvex
