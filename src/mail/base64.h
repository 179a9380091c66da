#pragma once
// Base64 in chunks and uuencoded lines, on short strings.
#include <cstddef>
#include <string>
#include <string_view>

#include "runtime/message_pump.h"

namespace parvex {

// Up to 255 bytes in; their base64 text out, cut to 255 characters.
std::string EncodeBase64Chunk(std::string_view bytes, MessagePump* pump = nullptr);
// Appends the base64 text of any number of bytes (no cut, no pump).
void AppendBase64(const unsigned char* bytes, std::size_t count, std::string& out);
// The base64 text of any number of bytes (no cut, no pump).
std::string Base64Text(std::string_view bytes);
// Base64 text in, bytes out; "=" pads. Raises EMessageParserError
// "Invalid Character" for a character outside the alphabet.
std::string DecodeBase64Chunk(std::string_view text, MessagePump* pump = nullptr);
// Up to 45 bytes in (ERangeError beyond), one uuencoded line out.
std::string UUEncodeLine(std::string_view bytes, MessagePump* pump = nullptr);

}  // namespace parvex
