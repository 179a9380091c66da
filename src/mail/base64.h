#pragma once
// Base64 in chunks and uuencoded lines, on short strings.
#include <cstddef>
#include <string>
#include <string_view>

namespace parvex {

// Up to 255 bytes in; their base64 text out, cut to 255 characters.
std::string EncodeBase64Chunk(std::string_view bytes);
// Appends the base64 text of any number of bytes (no cut).
void AppendBase64(const unsigned char* bytes, std::size_t count, std::string& out);
// The base64 text of any number of bytes (no cut).
std::string Base64Text(std::string_view bytes);
// The base64url text of any number of bytes (RFC 4648 section 5), without "="
// padding: fit for an address or a form field as it stands.
std::string Base64UrlText(std::string_view bytes);
// Base64 text in, bytes out; "=" pads. Raises EMessageParserError
// "Invalid Character" for a character outside the alphabet.
std::string DecodeBase64Chunk(std::string_view text);
// Up to 45 bytes in (ERangeError beyond), one uuencoded line out.
std::string UUEncodeLine(std::string_view bytes);

}  // namespace parvex
