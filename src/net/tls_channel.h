#pragma once
// The encryption a connection switches to (after STARTTLS, or from its first
// byte). The channel only transforms bytes; the socket layer moves them, so the
// handshake and every secure read and write go through the same waits, time-outs
// and message processing as the plain dialogue.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/exceptions.h"

namespace parvex {

// The secure channel could not be made or used; the message says why.
class ETlsError : public Exception {
 public:
  using Exception::Exception;
};

class TlsChannel {
 public:
  virtual ~TlsChannel() = default;
  // One handshake step. Takes what it can use from the front of `received` (what
  // came from the server and is not used yet; empty at the first step) and
  // appends to `toSend` what must go to the server. True once the handshake is
  // complete; bytes that follow it stay in `received`. Raises ETlsError.
  virtual bool Handshake(std::string& received, std::string& toSend) = 0;
  // After the handshake: raises ETlsError unless the server's certificate leads to
  // a root the user trusts, is valid now and names the host the channel was made for.
  virtual void VerifyServer() = 0;
  // The records that carry `plain`.
  virtual std::string Encrypt(std::string_view plain) = 0;
  // Takes the whole records at the front of `received` and appends their content
  // to `plain`. False when the server has closed the secure channel.
  virtual bool Decrypt(std::string& received, std::string& plain) = 0;
};

// Makes the channel for a connection to `hostName` (the name the certificate must carry).
using TlsChannelFactory = std::function<std::unique_ptr<TlsChannel>(const std::string& hostName)>;

}  // namespace parvex
