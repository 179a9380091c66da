#pragma once
// The run-time library's exception base: every error of the program carries one
// message text, which the application's default handler shows in an error box.
// EAbort is the silent kind: the default handler shows nothing for it.
#include <exception>
#include <string>

namespace parvex {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }

 private:
  std::string message_;
};

class EAbort : public Exception {
 public:
  using Exception::Exception;
};

// Raised where a value runs past its bounds ("Range check error").
class ERangeError : public Exception {
 public:
  ERangeError() : Exception("Range check error") {}
};

}  // namespace parvex
