#pragma once
// The platform's own TLS for the SMTP transport: Windows' SChannel. Empty where
// the platform has none (the client then refuses any security but None).
#include "net/tls_channel.h"

namespace parvex {

TlsChannelFactory SystemTlsFactory();

}  // namespace parvex
