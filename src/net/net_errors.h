#pragma once
// Exceptions of the SMTP transport; each carries only its message text.
#include "runtime/exceptions.h"

namespace parvex {

class ESocketError : public Exception {
 public:
  using Exception::Exception;
};

class ETimedOutError : public Exception {
 public:
  using Exception::Exception;
};

class ECanceledError : public Exception {
 public:
  using Exception::Exception;
};

// A server reply that failed a step; the message is the server's last reply line.
class EServerError : public Exception {
 public:
  using Exception::Exception;
};

// The server refused the user name or password for good (a 5xx reply to the
// sign-in). Trying the same ones again would only count towards a lock-out.
class ESignInRefused : public EServerError {
 public:
  using EServerError::EServerError;
};

// A send given up because the program is ending; silent, like every EAbort.
class EQuitRequested : public EAbort {
 public:
  EQuitRequested() : EAbort("The program is ending") {}
};

// A sign-in with OAuth 2.0 that cannot go on; the text tells the user what to do.
class EOAuthError : public Exception {
 public:
  using Exception::Exception;
};

// The stored refresh token is gone, expired or revoked: only a new sign-in in the
// Security dialog helps, so retrying the send as it stands is of no use.
class EOAuthSignInExpired : public EOAuthError {
 public:
  using EOAuthError::EOAuthError;
};

class EWinsockDLLError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace parvex
