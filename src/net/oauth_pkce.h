#pragma once
// Proof Key for Code Exchange (RFC 7636): the secret the program keeps while the
// browser signs in, its S256 challenge sent with the authorization request, and
// the state that ties the browser's answer to this sign-in.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace parvex {

// Unpredictable bytes; the Windows adapter asks the system's generator.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual void Fill(std::uint8_t* out, std::size_t n) = 0;
};

// 32 random bytes as base64url without padding: 43 characters of the
// unreserved set.
std::string MakeCodeVerifier(RandomSource& random);

// BASE64URL(SHA256(verifier)) without padding.
std::string CodeChallengeS256(std::string_view verifier);

// 16 random bytes as base64url without padding: 22 characters.
std::string MakeState(RandomSource& random);

}  // namespace parvex
