#pragma once
// Random bytes from the system's cryptographic generator, for the sign-in's
// code verifier and state.
#include "net/oauth_pkce.h"

namespace parvex {

class SystemRandom final : public RandomSource {
 public:
  // Raises EOAuthError when the system offers no generator.
  void Fill(std::uint8_t* out, std::size_t n) override;
};

}  // namespace parvex
