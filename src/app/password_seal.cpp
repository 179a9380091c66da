#include "app/password_seal.h"

#include "mail/base64.h"
#include "runtime/exceptions.h"

namespace parvex {

std::string SealPassword(const SecretSealer& sealer, std::string_view clear) {
  if (clear.empty()) return {};
  return Base64Text(sealer.Seal(clear));
}

std::string UnsealPassword(const SecretSealer& sealer, std::string_view stored) {
  if (stored.empty()) return {};
  try {
    return sealer.Unseal(DecodeBase64Chunk(stored));
  } catch (const Exception&) {
    // The user can do one thing about it, whatever the cause: enter it again.
    throw Exception("The stored SMTP password cannot be read; please enter it again.");
  }
}

}  // namespace parvex
