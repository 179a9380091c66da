#include "net/oauth_pkce.h"

#include <array>

#include "mail/base64.h"
#include "net/sha256.h"

namespace parvex {
namespace {

template <std::size_t N>
std::string RandomText(RandomSource& random) {
  std::array<std::uint8_t, N> bytes{};
  random.Fill(bytes.data(), bytes.size());
  return Base64UrlText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace

std::string MakeCodeVerifier(RandomSource& random) { return RandomText<32>(random); }

std::string CodeChallengeS256(std::string_view verifier) {
  const auto digest = Sha256(verifier);
  return Base64UrlText(std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
}

std::string MakeState(RandomSource& random) { return RandomText<16>(random); }

}  // namespace parvex
