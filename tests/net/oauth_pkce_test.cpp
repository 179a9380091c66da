// PKCE against RFC 7636 Appendix B.
#include "net/oauth_pkce.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace parvex {
namespace {

// The appendix's 32 "random" bytes.
struct AppendixBytes : RandomSource {
  void Fill(std::uint8_t* out, std::size_t n) override {
    static const std::uint8_t kBytes[32] = {116, 24,  223, 180, 151, 153, 224, 37,  79,  250, 96,
                                            125, 216, 173, 187, 186, 22,  212, 37,  77,  105, 214,
                                            191, 240, 91,  88,  5,   88,  83,  132, 141, 121};
    ASSERT_EQ(n, 32u);
    std::copy(kBytes, kBytes + n, out);
  }
};

TEST(Pkce, Rfc7636AppendixB) {
  AppendixBytes random;
  const std::string verifier = MakeCodeVerifier(random);
  EXPECT_EQ(verifier, "dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk");
  EXPECT_EQ(CodeChallengeS256(verifier), "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");
}

}  // namespace
}  // namespace parvex
