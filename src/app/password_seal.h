#pragma once
// The SMTP password as it is stored: sealed for the current user by the
// platform (Windows' data protection), then written as base64 text, so the
// settings never hold it in clear.
#include <string>
#include <string_view>

namespace parvex {

class SecretSealer {
 public:
  virtual ~SecretSealer() = default;
  // Bytes in, sealed bytes out. Raises Exception when the platform refuses.
  virtual std::string Seal(std::string_view clear) const = 0;
  // The reverse; raises Exception when the bytes were not sealed for this user.
  virtual std::string Unseal(std::string_view sealed) const = 0;
};

// The platform's sealer for the current user.
const SecretSealer& UserSecretSealer();

// The stored text of a password; an empty password is stored as empty text.
std::string SealPassword(const SecretSealer& sealer, std::string_view clear);
// The password back from its stored text; empty text gives an empty password.
// Raises Exception "The stored SMTP password cannot be read" when the text is
// damaged or was sealed for another user or on another computer.
std::string UnsealPassword(const SecretSealer& sealer, std::string_view stored);

}  // namespace parvex
