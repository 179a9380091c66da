#pragma once
// SHA-256 (FIPS 180-4) of a whole message at once: the PKCE code challenge is
// the only digest the program needs, so there is no streaming form.
#include <array>
#include <cstdint>
#include <string_view>

namespace parvex {

std::array<std::uint8_t, 32> Sha256(std::string_view data);

}  // namespace parvex
