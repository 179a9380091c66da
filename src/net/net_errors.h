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

// A send given up because the program is ending; silent, like every EAbort.
class EQuitRequested : public EAbort {
 public:
  EQuitRequested() : EAbort("The program is ending") {}
};

class EWinsockDLLError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace parvex
