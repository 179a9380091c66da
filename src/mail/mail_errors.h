#pragma once
// Failures of the mail composition code. EMessageError: a message that cannot
// be sent as it stands; EMessageParserError: text that cannot be decoded.
#include "runtime/exceptions.h"

namespace parvex {

class EMessageError : public Exception {
 public:
  using Exception::Exception;
};

class EMessageParserError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace parvex
